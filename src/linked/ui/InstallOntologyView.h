#pragma once
class CMainFrame;
class COntologyInfo;

// Makes the "Gene Ontology" tab's panel and wires it to the frame.
COntologyInfo* installOntologyView(CMainFrame& frame);
