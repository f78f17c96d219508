#include "linked/ui/InstallLinkedViews.h"

#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
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
    eval->setMinSimilaritySource([f] {
        CTabFrameWnd* tabs = f->documentWindow();
        auto* page = tabs ? qobject_cast<CZoomableWnd*>(tabs->currentPage()) : nullptr;
        if (!page && tabs && tabs->pageCount() > 0)
            page = qobject_cast<CZoomableWnd*>(tabs->page(0));
        return page && page->view() ? page->view()->minSimilarity() : 0.5f;
    });
    frame.setPanel("Evaluation", eval, eval);
    QObject::connect(eval, &CEvalCluster::kMeansRequested, f, [f] { f->kMeansClustering(); });
}
