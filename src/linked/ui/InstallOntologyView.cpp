// Puts the Gene Ontology panel into its tab of the information bar.
#include <QAction>

#include "app/CArxDoc.h"
#include "app/ui/CMainFrame.h"
#include "linked/ui/COntologyInfo.h"
#include "linked/ui/InstallOntologyView.h"

COntologyInfo* installOntologyView(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto* panel = new COntologyInfo(nullptr);
    panel->setDocumentSource([f] { return f->document(); });
    panel->setAnnotationLoader([f] {
        if (QAction* a = f->action("Attach Affymetrix Annotation"))
            a->trigger();
    });
    frame.setPanel("Gene Ontology", panel, panel);
    return panel;
}
