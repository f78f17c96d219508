#pragma once
class CMainFrame;
class CHistogramInfo;

// The rank-by-feature panels in the main window: the "Histogram Ordering"
// tab with its chart windows (control plot views) and the option sheet's
// "Control Plot" page wiring.
void installRankViews(CMainFrame& frame);
// The panel installed in the frame (nullptr before installRankViews).
CHistogramInfo* histogramInfo();
// Opens a chart window of the control plot view on the frame's document.
bool openControlPlotWindow(CMainFrame& frame, int column, bool original, bool showControlPlot, bool showHistogram,
                           bool showCdf);
