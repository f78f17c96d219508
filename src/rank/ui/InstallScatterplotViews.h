#pragma once
class CMainFrame;

// The "Scatterplot Ordering" tab: the panel, its chart windows through the
// main frame, the open dendrogram views for "Cluster Similarity" and the
// option sheet's "Scatterplot" page for "Properties".
void installScatterplotViews(CMainFrame& frame);
