#include "app/ui/CTabDockBar.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <algorithm>

#include "app/ui/CEmptyPanel.h"

CTabDockBar::CTabDockBar(const QString& title, const QStringList& tabs, QWidget* parent)
    : QDockWidget(title, parent)
{
    setObjectName(title);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setDocumentMode(true);
    for (const QString& t : tabs) {
        auto* page = new CEmptyPanel(t, m_pTabs);
        m_pTabs->addTab(page, t);
        m_observers.push_back(page);
        m_panels.push_back(page);
    }
    setWidget(m_pTabs);
}

int CTabDockBar::indexOf(const QString& tab) const
{
    for (int i = 0; i < m_pTabs->count(); ++i)
        if (m_pTabs->tabText(i) == tab)
            return i;
    return -1;
}

bool CTabDockBar::setPanel(const QString& tab, QWidget* panel, CDocObserver* observer)
{
    int i = indexOf(tab);
    if (i < 0 || !panel)
        return false;
    const auto k = static_cast<size_t>(i);
    if (m_panels[k] == panel) {  // the same panel with another observer
        m_observers[k] = observer;
        return true;
    }
    QWidget* old = m_pTabs->widget(i);
    bool enabled = old->isEnabled();
    bool current = m_pTabs->currentIndex() == i;
    QWidget* page = panel;
    if (m_bScrolling) {
        auto* area = new QScrollArea(m_pTabs);
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setWidget(panel);
        // Up and down only: the bar is never narrower than the panel.
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setMinimumWidth(panel->minimumSizeHint().width() + area->verticalScrollBar()->sizeHint().width());
        page = area;
    }
    m_pTabs->removeTab(i);
    m_pTabs->insertTab(i, page, tab);
    page->setEnabled(enabled);
    if (current)
        m_pTabs->setCurrentIndex(i);
    m_observers[k] = observer;
    m_panels[k] = panel;
    delete old;
    return true;
}

QWidget* CTabDockBar::panel(const QString& tab) const
{
    int i = indexOf(tab);
    return i < 0 ? nullptr : m_panels[static_cast<size_t>(i)];
}

CDocObserver* CTabDockBar::observer(const QString& tab) const
{
    int i = indexOf(tab);
    return i < 0 ? nullptr : m_observers[static_cast<size_t>(i)];
}

std::vector<CDocObserver*> CTabDockBar::observers() const
{
    std::vector<CDocObserver*> out;
    for (CDocObserver* o : m_observers)
        if (o)
            out.push_back(o);
    return out;
}

void CTabDockBar::showTab(const QString& tab)
{
    int i = indexOf(tab);
    if (i >= 0)
        m_pTabs->setCurrentIndex(i);
    show();
    raise();
}

void CTabDockBar::setPanelsEnabled(bool enabled)
{
    for (int i = 0; i < m_pTabs->count(); ++i)
        m_pTabs->widget(i)->setEnabled(enabled);
}

namespace {
int rowHeight(const QAbstractItemView* view)
{
    if (const auto* table = qobject_cast<const QTableView*>(view))
        return table->verticalHeader()->defaultSectionSize();
    if (view->model() && view->model()->rowCount() > 0)
        return std::max(1, view->sizeHintForRow(0));
    return view->fontMetrics().height() + 6;
}

int headerHeight(const QAbstractItemView* view)
{
    const QHeaderView* header = nullptr;
    if (const auto* table = qobject_cast<const QTableView*>(view))
        header = table->horizontalHeader();
    else if (const auto* tree = qobject_cast<const QTreeView*>(view))
        header = tree->header();
    return header && !header->isHidden() ? header->sizeHint().height() : 0;
}
} // namespace

int CTabDockBar::heightOfRows(const QAbstractItemView* view, int rows)
{
    // The header, the rows, a horizontal scroll bar and the frame.
    return headerHeight(view) + rows * rowHeight(view) + view->horizontalScrollBar()->sizeHint().height() +
           2 * view->frameWidth();
}

int CTabDockBar::visibleRows(const QAbstractItemView* view)
{
    int h = view->viewport()->height();
    if (const auto* table = qobject_cast<const QTableView*>(view))
        if (table->horizontalHeader()->isVisible())
            h = table->height() - 2 * table->frameWidth() - table->horizontalHeader()->height() -
                (table->horizontalScrollBar()->isVisible() ? table->horizontalScrollBar()->height() : 0);
    return h / std::max(1, rowHeight(view));
}

int CTabDockBar::rowsMissing(int rows)
{
    // Each tab is brought to the front and laid out, as a person would see
    // it; the one shown before comes back afterwards.
    const int keep = m_pTabs->currentIndex();
    int missing = 0;
    for (int i = 0; i < m_pTabs->count(); ++i) {
        m_pTabs->setCurrentIndex(i);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (const QAbstractItemView* view : m_pTabs->widget(i)->findChildren<QAbstractItemView*>())
            if (view->isVisible() && !qobject_cast<const QHeaderView*>(view))
                missing = std::max(missing, heightOfRows(view, rows) - view->height());
    }
    m_pTabs->setCurrentIndex(keep);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return missing;
}
