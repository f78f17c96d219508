// The views in the main window.
#include <QObject>
#include <vector>

#include "app/CArxDoc.h"
#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxKmeansView.h"
#include "app/ui/CArxView.h"
#include "app/ui/CColorMappingView.h"
#include "app/ui/CDynamicControl.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CObserverFan.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "app/ui/ListTools.h"
#include "app/ui/SaveToBmpDialog.h"
#include "app/ui/ViewContext.h"
#include "linked/ui/InstallLinkedViews.h"
#include "linked/ui/InstallOntologyView.h"
#include "linked/ui/InstallProfileViews.h"
#include "rank/ui/InstallRankViews.h"
#include "rank/ui/InstallScatterplotViews.h"

namespace {

// The overviews of every page of the document window.
std::vector<CArxView*> overviews(CMainFrame& frame)
{
    std::vector<CArxView*> out;
    if (CTabFrameWnd* tabs = frame.documentWindow())
        for (int i = 0; i < tabs->pageCount(); ++i)
            if (auto* page = qobject_cast<CZoomableWnd*>(tabs->page(i)))
                out.push_back(page->view());
    return out;
}

CArxView* currentOverview(CMainFrame& frame)
{
    CTabFrameWnd* tabs = frame.documentWindow();
    auto* page = tabs ? qobject_cast<CZoomableWnd*>(tabs->currentPage()) : nullptr;
    return page ? page->view() : nullptr;
}

} // namespace

void installViews(CMainFrame& frame)
{
    installOverviewPages(&frame.displaySettings());
    installListTools(frame);
    installProfileViews(frame);
    CMainFrame* f = &frame;
    auto source = [f] { return f->document(); };

    CColorMappingView* bar = makeColorMappingBar(frame.controlPanel(), nullptr);
    bar->setDocumentSource(source);
    auto* entire = new CArxEntireView(nullptr);
    entire->setDocumentSource(source);
    frame.setPanel("Color Mosaic", entire, entire);
    auto* kmeans = new CArxKmeansView(nullptr);
    kmeans->setDocumentSource(source);
    frame.setPanel("K-means", kmeans, kmeans);
    installLinkedViews(frame);
    installOntologyView(frame);
    QObject::connect(kmeans, &CArxKmeansView::kMeansRequested, f, [f] { f->kMeansClustering(); });
    QObject::connect(f, &CMainFrame::kMeansDone, kmeans, &CArxKmeansView::refresh);

    // The Control tab's observer: the panel and its colour mapping bar.
    static CObserverFan controlFan({frame.controlPanel(), bar});
    frame.setPanel("Control", frame.controlPanel(), &controlFan);
    viewContext().itemNamesAvailable = [f](bool available) { f->controlPanel()->setItemNamesAvailable(available); };

    QObject::connect(f, &CMainFrame::filterOutChanged, entire, [f, entire](bool filterOut) {
        viewContext().filterOut = filterOut;
        for (CArxView* v : overviews(*f))
            v->setFilterOut(filterOut);
        entire->setFilterOut(filterOut);
    });
    QObject::connect(f, &CMainFrame::displayFlagsChanged, entire, [f] {
        for (CArxView* v : overviews(*f))
            v->refresh();
    });
    frame.setCommandHandler("Save Dendrogram", [f, entire] {
        CArxView* v = currentOverview(*f);
        if (!v)
            return;
        SaveToBmpDialog dlg(v, entire, f);
        dlg.setFileName(QString::fromStdString(f->document()->m_strDataName));
        dlg.exec();
    });
    frame.setCommandHandler("Copy", [f] {
        if (CArxView* v = currentOverview(*f))
            v->copyToClipboard();
    });
    frame.setCommandHandler("Print...", [f] {
        if (CArxView* v = currentOverview(*f))
            v->print();
    });
    installRankViews(frame);
    installScatterplotViews(frame);
}
