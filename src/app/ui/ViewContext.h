#pragma once
// What the document's views share besides the document itself: the display
// settings of the Control tab, the colour mapping with its plain and washed
// palettes, and the Filter Out or Gray Out toggle. There is one document at
// a time, so there is one context; tests may set up their own values in it.
#include <functional>

#include "data/ColorMapping.h"

struct DisplaySettings;
class CArxDoc;
class CDynamicControl;
class CColorMappingView;
class CMainFrame;

struct CViewContext {
    const DisplaySettings* settings = nullptr;  // nullptr: the defaults
    ColorMapping mapping;
    bool filterOut = true;
    // Tells the Control tab whether item names can be shown.
    std::function<void(bool)> itemNamesAvailable;
};

CViewContext& viewContext();

// Plugs the overview pages (a zoomable window around a CArxView per forest
// pair) into the document window and points the views at `settings`.
void installOverviewPages(const DisplaySettings* settings);

// Makes the colour mapping bar, puts it into the Control tab's "Color
// Mapping" group and follows the tab's mode and scheme choices. The bar is
// a view of the document: attach it (the caller owns the attachment).
CColorMappingView* makeColorMappingBar(CDynamicControl* control, CArxDoc* doc);

// Everything of the views in the main window: the overview pages, the
// colour mapping bar in the Control tab, the "Color Mosaic" and "K-means"
// tabs, the Save Dendrogram, Print and Copy commands, and the Filter Out
// toggle and display flags followed by every view.
void installViews(CMainFrame& frame);
