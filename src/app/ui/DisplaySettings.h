#pragma once
// The display options every view of a kind shares, edited on the Control
// tab and on the option sheet "Change options for displays". They start
// from their defaults at each start of the program (nothing is stored).
#include <QColor>

struct DisplaySettings {
    // ---- the overviews (Control tab) ----
    bool m_bThreeColors = true;        // "3 Colors" / "1 Color"
    int m_nColorScheme = 4;            // index into the scheme box (scheme 5)
    int m_nBarHeight = 67;             // "Adjust Bar Height", 0..100
    bool m_bShowMinSimBar = true;      // "Show Min Similarity Bar"
    bool m_bShowDetailSimBar = true;   // "Show Detail Similarity Bar"
    bool m_bShowClusterInfo = true;    // "Show Clustering Information"
    bool m_bShowColorScale = true;     // "Show Color Scale Bar"
    bool m_bShowItemNames = false;     // "Show Item Names"
    bool m_bMouseMoveUpdate = true;    // "Enable Mouse Move Update"

    // ---- control plot views (page "Control Plot") ----
    int m_nBuckets = 100;                          // "Number of buckets", 10..200
    QColor m_clrHistogramBars = QColor(50, 50, 100);  // "Color of Histogram Bars"

    // ---- scatterplot views (page "Scatterplot") ----
    int m_nMarkerSize = 2;                          // "Marker Size" (radius in pixels)
    bool m_bCircleMarker = false;                   // "Square" / "Circle"
    bool m_bStaticMarkerColor = false;              // "Dynamic" / "Static"
    QColor m_clrMarker = QColor(0, 0, 255);         // the static marker colour
    int m_nMargin = 3;                              // "Margin" (outer margin of both axes)
};
