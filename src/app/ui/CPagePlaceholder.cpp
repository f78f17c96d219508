#include "app/ui/CPagePlaceholder.h"

#include "app/CArxDoc.h"

CPagePlaceholder::CPagePlaceholder(CArxDoc& doc, int pairIndex, QWidget* parent)
    : QLabel(parent), m_doc(doc), m_nPair(pairIndex)
{
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    refresh();
}

void CPagePlaceholder::onUpdate(CDocObserver*, int hint)
{
    if (hint == kHintNewData || hint == kHintResultsChanged || hint == kHintDirectionSwitched)
        refresh();
}

void CPagePlaceholder::refresh()
{
    if (!m_doc.m_bDataLoaded || m_nPair >= static_cast<int>(m_doc.m_forestPairs.size())) {
        clear();
        return;
    }
    const CForestPair& pair = m_doc.m_forestPairs[static_cast<size_t>(m_nPair)];
    const int rows = pair.m_pRows ? pair.m_pRows->m_nLeaves : 0;
    const int columns = pair.m_pColumns ? pair.m_pColumns->m_nLeaves : 0;
    setText(QString("%1\n%2 items, %3 columns")
                .arg(QString::fromStdString(pair.m_strName.empty() ? m_doc.m_strDataName : pair.m_strName))
                .arg(rows)
                .arg(columns));
}
