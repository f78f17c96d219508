#include "linked/ui/InstallLinkedViews.h"

#include <QBoxLayout>

#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "cluster/ui/CCutProfileChart.h"
#include "cluster/ui/CEvalCluster.h"
#include "linked/ui/CDataTableView.h"
#include "linked/ui/CDetailOnDemand.h"

void installLinkedViews(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto source = [f] { return f->document(); };

    auto* table = new CDataTableView(nullptr);
    table->setDocumentSource(source);
    frame.setPanel("Table View", table, table);

    auto* detail = new CDetailOnDemand(nullptr);
    detail->setDocumentSource(source);
    frame.setPanel("Detail", detail, detail);

    auto* eval = new CEvalCluster(nullptr);
    eval->setDocumentSource(source);
    // The overview whose bar the tab follows: the current page, else the first.
    auto overview = [f]() -> CArxView* {
        CTabFrameWnd* tabs = f->documentWindow();
        auto* page = tabs ? qobject_cast<CZoomableWnd*>(tabs->currentPage()) : nullptr;
        if (!page && tabs && tabs->pageCount() > 0)
            page = qobject_cast<CZoomableWnd*>(tabs->page(0));
        return page ? page->view() : nullptr;
    };
    auto minSimilarity = [overview] {
        CArxView* view = overview();
        return view ? view->minSimilarity() : 0.5f;
    };
    eval->setMinSimilaritySource(minSimilarity);
    frame.setPanel("Evaluation", eval, eval);

    // The cut-quality chart at the foot of the tab, following the document.
    auto* chart = new CCutProfileChart(eval);
    chart->setDocumentSource(source);
    chart->setMinSimilaritySource(minSimilarity);
    chart->setBarMover([overview](float s) {
        if (CArxView* view = overview())
            view->applyTypedMinSimilarity(s);
    });
    if (auto* box = qobject_cast<QBoxLayout*>(eval->layout())) {
        // Before the closing stretch, taking the room that stretch had.
        box->insertWidget(box->count() - 1, chart, 1);
        box->setStretch(box->count() - 1, 0);
    }
    frame.addPanelObserver(chart);
    QObject::connect(eval, &CEvalCluster::kMeansRequested, f, [f] { f->kMeansClustering(); });
}
