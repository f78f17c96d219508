#pragma once
// The update notification between the document and its views: a view that
// changed something in the document asks it to notify every other view with
// one of these hints; each view decides from the hint what to redraw.

enum UpdateHint : int {
    kHintMinSimilarity = 3000,      // the overview's minimum similarity changed
    kHintLeavesShown = 3001,        // leaves were hidden or shown again
    kHintResultsChanged = 3002,     // clustering results were replaced
    kHintItemSelection = 3003,      // the item selection changed
    kHintVariableSelection = 3004,  // the variable (column) selection changed
    kHintCurrentItem = 3005,        // the hovered item changed (m_nCurrentItem)
    kHintCurrentVariable = 3006,    // the hovered or picked variable changed (m_nCurrentVariable)
    kHintVariableSubtree = 3007,    // a subtree of variables was picked (the column forest's highlighted range)
    kHintNewData = 3008,            // a new data file or clustering result was opened: views clear themselves
    kHintColorMapping = 3009,       // the colour mapping changed
    kHintMosaicHeight = 3010,       // the colour-mosaic bar height changed
    kHintSelectionColor = 3011,     // the selection marker colour changed
    kHintDirectionSwitched = 3012,  // the overview's direction was switched
    kHintScatterOptions = 3013,     // scatterplot options changed
    kHintScatterOptions2 = 3014,    // scatterplot options changed (second kind)
    kHintHistogramOptions = 3015,   // histogram options changed
    // An annotation file was attached (CArxDoc::attachAnnotation): the item
    // labels and the annotation columns changed.
    kHintAnnotation = 3016,
    // A subtree was flipped (CArxDoc::flipSubtree): the leaf order of a
    // forest changed; its tree, cut and similarities did not.
    kHintLeafOrder = 3017,
    // The class strips shown beside the mosaics changed.
    kHintClassStrips = 3018,
};

constexpr int kFirstHint = kHintMinSimilarity;
constexpr int kLastHint = kHintHistogramOptions;

// Anything that shows the document: the overview, the panels of both bars,
// chart windows. A row view ignores the column hints (3004, 3006) and a
// column view the row hints (3003, 3005).
class CDocObserver {
public:
    virtual ~CDocObserver() = default;
    // `sender` is the view that caused the change (never notified itself),
    // or nullptr when the document itself did.
    virtual void onUpdate(CDocObserver* sender, int hint) = 0;
};
