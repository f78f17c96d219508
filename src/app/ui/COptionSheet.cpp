#include "app/ui/COptionSheet.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/CHistogramPage.h"
#include "app/ui/CScatterplotPage.h"

COptionSheet::COptionSheet(DisplaySettings& settings, QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName("optionSheet");
    setWindowTitle("Change options for displays");
    auto* layout = new QVBoxLayout(this);
    m_pPages = new QTabWidget(this);
    m_pHistogram = new CHistogramPage(settings, m_pPages);
    m_pScatter = new CScatterplotPage(settings, m_pPages);
    m_pPages->addTab(m_pHistogram, "Control Plot");
    m_pPages->addTab(m_pScatter, "Scatterplot");
    layout->addWidget(m_pPages);
    connect(m_pHistogram, &CHistogramPage::hint, this, &COptionSheet::hint);
    connect(m_pScatter, &CScatterplotPage::hint, this, &COptionSheet::hint);
    resize(360, 240);
}

void COptionSheet::showFirstPage()
{
    m_pPages->setCurrentIndex(0);
    show();
    raise();
    activateWindow();
}

void COptionSheet::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    emit visibilityChanged(true);
}

void COptionSheet::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    emit visibilityChanged(false);
}
