#pragma once
// Puts the profile search and the power calculation into the main window.
class CMainFrame;
class CPowerPanel;

void installProfileViews(CMainFrame& frame);
// The panel of the "Power Calculation & Filtering" bar.
CPowerPanel* powerPanel(CMainFrame& frame);
