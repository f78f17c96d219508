#include "rank/ui/InstallScatterplotViews.h"

#include <QTabWidget>

#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/COptionSheet.h"
#include "app/ui/CScatterplotPage.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "cluster/Forest.h"
#include "rank/ui/CVisualGuide.h"

namespace {

// Every dendrogram the document window shows: the forest of each page's
// overview and, when two clusterings are compared, the second one.
std::vector<CPickDendrogramsDlg::Dendrogram> openDendrograms(CMainFrame& frame)
{
    std::vector<CPickDendrogramsDlg::Dendrogram> out;
    CTabFrameWnd* tabs = frame.documentWindow();
    if (!tabs)
        return out;
    for (int i = 0; i < tabs->pageCount(); ++i) {
        auto* page = qobject_cast<CZoomableWnd*>(tabs->page(i));
        CArxView* view = page ? page->view() : nullptr;
        if (!view)
            continue;
        const QString direction = view->isRowView() ? "Rows" : "Columns";
        const QString base = tabs->pageLabel(i) + " (" + direction + ")";
        for (CForest* f : {view->forest(), view->secondForest()}) {
            if (!f || !f->hasTree())
                continue;
            const QString title = f == view->secondForest() ? base + " Method 2" : base;
            out.push_back({title, static_cast<int>(out.size()) + 1, f});
        }
    }
    return out;
}

} // namespace

void installScatterplotViews(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto* guide = new CVisualGuide(nullptr);
    guide->setDocumentSource([f] { return f->document(); });
    guide->setDisplaySettings(&frame.displaySettings());
    guide->setChartOpener([f](QWidget* view, CDocObserver* observer, const QString& title) {
        return f->addChartWindow(view, observer, title);
    });
    guide->setDendrogramSource([f] { return openDendrograms(*f); });
    guide->setPropertiesOpener([f] {
        f->showOptionSheet();
        if (COptionSheet* sheet = f->optionSheet())
            sheet->pages()->setCurrentWidget(sheet->scatterplotPage());
    });
    frame.setPanel("Scatterplot Ordering", guide, guide);
}
