#include "app/ui/CTabFrameWnd.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/CArxDoc.h"
#include "app/ui/CPagePlaceholder.h"

namespace {
CTabFrameWnd::PageFactory& pageFactory()
{
    static CTabFrameWnd::PageFactory factory;
    return factory;
}

// The page of a forest pair while no overview is plugged in.
CTabFrameWnd::Page placeholderPage(CArxDoc& doc, int pairIndex, QWidget* parent)
{
    auto* page = new CPagePlaceholder(doc, pairIndex, parent);
    return {page, page};
}
} // namespace

void CTabFrameWnd::setPageFactory(PageFactory factory) { pageFactory() = std::move(factory); }

CTabFrameWnd::CTabFrameWnd(CArxDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    setObjectName("ArxTabWnd");
    setWindowTitle("Dendrogram View");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setTabPosition(QTabWidget::South);
    layout->addWidget(m_pTabs);
    addPage("All", 0);
}

CTabFrameWnd::~CTabFrameWnd()
{
    for (CDocObserver* o : m_observers)
        if (o)
            m_doc.detach(o);
}

void CTabFrameWnd::addPage(const QString& label, int pairIndex)
{
    Page p = pageFactory() ? pageFactory()(m_doc, pairIndex, m_pTabs) : placeholderPage(m_doc, pairIndex, m_pTabs);
    if (!p.widget)
        p = placeholderPage(m_doc, pairIndex, m_pTabs);
    m_pTabs->addTab(p.widget, label);
    m_observers.push_back(p.observer);
    if (p.observer)
        m_doc.attach(p.observer);
}

void CTabFrameWnd::removePage(int i)
{
    CDocObserver* o = m_observers[static_cast<size_t>(i)];
    if (o)
        m_doc.detach(o);
    m_observers.erase(m_observers.begin() + i);
    QWidget* w = m_pTabs->widget(i);
    m_pTabs->removeTab(i);
    delete w;
}

void CTabFrameWnd::rebuildPartitionPages()
{
    removePartitionPages();
    for (size_t k = 1; k < m_doc.m_forestPairs.size(); ++k) {
        const CForestPair& pair = m_doc.m_forestPairs[k];
        // Partition pairs carry the partition's name; the comparison's second
        // pair is drawn on the "All" page.
        if (pair.m_strName.empty() || pair.m_strName == "Comparison")
            continue;
        addPage(QString::fromStdString(pair.m_strName), static_cast<int>(k));
    }
    m_pTabs->setCurrentIndex(0);
}

void CTabFrameWnd::removePartitionPages()
{
    while (m_pTabs->count() > 1)
        removePage(m_pTabs->count() - 1);
}

int CTabFrameWnd::pageCount() const { return m_pTabs->count(); }
QString CTabFrameWnd::pageLabel(int i) const { return m_pTabs->tabText(i); }
QWidget* CTabFrameWnd::page(int i) const { return m_pTabs->widget(i); }
QWidget* CTabFrameWnd::currentPage() const { return m_pTabs->currentWidget(); }
