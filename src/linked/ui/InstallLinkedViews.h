#pragma once
class CMainFrame;

// The panels of the linked views: the "Table View" tab, the "Detail" and
// "Evaluation" tabs of the control bar, and the evaluation panel's "Do
// K-means" wired to the main window's K-means Clustering command.
void installLinkedViews(CMainFrame& frame);
