// Puts the Gene Ontology panel into its tab of the information bar.
#include "app/CArxDoc.h"
#include "app/ui/CMainFrame.h"
#include "linked/ui/COntologyInfo.h"
#include "linked/ui/InstallOntologyView.h"

COntologyInfo* installOntologyView(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    auto* panel = new COntologyInfo(nullptr);
    panel->setDocumentSource([f] { return f->document(); });
    frame.setPanel("Gene Ontology", panel, panel);
    return panel;
}
