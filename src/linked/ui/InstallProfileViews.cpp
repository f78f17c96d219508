// The "Profile Search" tab and the "Power Calculation & Filtering" bar in
// the main window.
#include <QDockWidget>
#include <QScrollArea>
#include <algorithm>

#include "app/CArxDoc.h"
#include "app/ui/CMainFrame.h"
#include "linked/ui/CPowerPanel.h"
#include "linked/ui/CTrendInfo.h"
#include "linked/ui/InstallProfileViews.h"

void installProfileViews(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto source = [f] { return f->document(); };

    auto* trend = new CTrendInfo(nullptr);
    trend->setDocumentSource(source);
    frame.setPanel("Profile Search", trend, trend);

    // The power bar docks on the right, hidden until its Tool command.
    auto* dock = new QDockWidget("Power Calculation & Filtering", f);
    dock->setObjectName("PowerCalculationBar");
    auto* power = new CPowerPanel;
    power->setDocumentSource(source);
    auto* scroll = new QScrollArea(dock);
    scroll->setWidget(power);
    scroll->setWidgetResizable(true);
    dock->setWidget(scroll);
    f->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    frame.addPanelObserver(power);
    frame.setCommandHandler("Power Calculation & Filtering", [f, dock] {
        // The first time it floats beside the main window, large enough to
        // read; afterwards it stays where the user put it.
        if (!dock->property("shownOnce").toBool()) {
            dock->setProperty("shownOnce", true);
            dock->setFloating(true);
            dock->resize(620, 900);
            const QRect g = f->geometry();
            dock->move(std::max(0, g.right() - 640), g.top() + 40);
        }
        dock->show();
        dock->raise();
    });
}

CPowerPanel* powerPanel(CMainFrame& frame)
{
    auto* dock = frame.findChild<QDockWidget*>("PowerCalculationBar");
    auto* scroll = dock ? qobject_cast<QScrollArea*>(dock->widget()) : nullptr;
    return scroll ? qobject_cast<CPowerPanel*>(scroll->widget()) : nullptr;
}
