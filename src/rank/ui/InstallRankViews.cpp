#include "rank/ui/InstallRankViews.h"

#include "app/CArxDoc.h"
#include "app/ui/CMainFrame.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "platform/Messages.h"
#include "rank/ui/CControlPlotView.h"
#include "rank/ui/CHistogramInfo.h"

namespace {
CHistogramInfo* g_pHistogramInfo = nullptr;
}

CHistogramInfo* histogramInfo() { return g_pHistogramInfo; }

bool openControlPlotWindow(CMainFrame& frame, int column, bool original, bool showControlPlot, bool showHistogram,
                           bool showCdf)
{
    CArxDoc* d = frame.document();
    if (!d || !d->data() || !g_pHistogramInfo || column < 0 || column >= d->data()->m_nColumns) {
        showMessage("Cannot create a CControlPlotView window!");
        return false;
    }
    auto* view = new CControlPlotView;
    CMainFrame* f = &frame;
    view->setDocumentSource([f] { return f->document(); });
    view->setOrdering(&g_pHistogramInfo->ordering());
    view->setSettings(&frame.displaySettings());
    QObject::connect(view, &CControlPlotView::propertiesRequested, f, [f] { f->showOptionSheet(); });
    if (!frame.addChartWindow(view, view, QString::fromStdString(d->data()->columnField(column)->m_strName))) {
        delete view;
        showMessage("Cannot create a CControlPlotView window!");
        return false;
    }
    view->setData(column, original, showControlPlot, showHistogram, showCdf);
    return true;
}

void installRankViews(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto* panel = new CHistogramInfo(nullptr);
    g_pHistogramInfo = panel;
    panel->setDocumentSource([f] { return f->document(); });
    panel->setSettings(&frame.displaySettings());
    panel->setChartOpener([f](int column, bool original, bool cp, bool hist, bool cdf) {
        openControlPlotWindow(*f, column, original, cp, hist, cdf);
    });
    panel->setPropertiesHandler([f] { f->showOptionSheet(); });
    frame.setPanel("Histogram Ordering", panel, panel);
}
