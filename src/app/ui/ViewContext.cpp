#include "app/ui/ViewContext.h"

#include "app/CArxDoc.h"
#include "app/ui/CArxView.h"
#include "app/ui/CColorMappingView.h"
#include "app/ui/CDynamicControl.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"

CViewContext& viewContext()
{
    static CViewContext context;
    return context;
}

void installOverviewPages(const DisplaySettings* settings)
{
    viewContext().settings = settings;
    CTabFrameWnd::setPageFactory([](CArxDoc& doc, int pair, QWidget* parent) -> CTabFrameWnd::Page {
        auto* page = new CZoomableWnd(&doc, pair, parent);
        QObject::connect(page->view(), &CArxView::itemNamesAvailable, page, [](bool available) {
            if (viewContext().itemNamesAvailable)
                viewContext().itemNamesAvailable(available);
        });
        page->view()->resetFromDocument();
        return {page, page->view()};
    });
}

CColorMappingView* makeColorMappingBar(CDynamicControl* control, CArxDoc* doc)
{
    auto* bar = new CColorMappingView(doc, &viewContext().mapping);
    if (control) {
        control->setColorMappingBar(bar);
        QObject::connect(control, &CDynamicControl::colorModeChanged, bar,
                         [bar](bool three) { bar->setMode(three ? 3 : 1); });
        QObject::connect(control, &CDynamicControl::schemeChanged, bar, &CColorMappingView::setScheme);
    }
    return bar;
}
