#pragma once
// The overview: a dendrogram of one direction drawn from the top down to the
// leaf line, the colour mosaic under it, the selection markers, and the
// minimum-similarity and detail bars over the dendrogram. Everything is
// drawn into an off-screen image (the snapshot); plain repaints copy it and
// add the hover marking.
#include <QImage>
#include <QPoint>
#include <QVector>
#include <QWidget>
#include <vector>

#include "app/OverviewLayout.h"
#include "app/UpdateHints.h"
#include "app/ui/StripPainting.h"

class CArxDoc;
struct ClassStrip;
class CForest;
class CNode;
class ColorMapping;
struct DisplaySettings;
class QMenu;
class QPainter;

class CArxView final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    enum class Drag { Idle, MinSim, Detail, Band };

    // `pair` is the document's forest pair the view shows (0: the main
    // result, further entries the partitions).
    explicit CArxView(CArxDoc* doc, int pair = 0, QWidget* parent = nullptr);
    ~CArxView() override;

    void setDisplaySettings(const DisplaySettings* settings) { m_pSettings = settings; }
    void setColorMapping(const ColorMapping* mapping) { m_pMapping = mapping; }
    // Filter Out or Gray Out: clears the highlight and lays out again
    // without a new cut.
    void setFilterOut(bool filterOut);
    bool filterOut() const { return m_bFilterOut; }

    // ---- the document ----
    void onUpdate(CDocObserver* sender, int hint) override;
    // Takes the forests of the document's pair for the current direction,
    // resets zoom, bars, scroll, hover and highlight, lays out and draws.
    void resetFromDocument();
    // The leaf range picked by the zoom slider (indices into the leaves in
    // place); lays out without a new cut and redraws.
    void setLeafRange(int low, int high);

    // ---- state for the windows around it and for tests ----
    bool isRowView() const { return m_bRowView; }
    CForest* forest() const { return m_pForest; }
    CForest* secondForest() const { return m_pForest2; }
    float minSimilarity() const { return m_fMinSim; }
    float detailCutoff() const;
    const BarPositions& bars() const { return m_bars; }
    const VerticalLayout& verticalLayoutState() const { return m_v; }
    const HorizontalLayout& horizontalLayoutState() const { return m_h; }
    int leavesInPlaceCount() const { return static_cast<int>(m_slots.size()); }
    int hoveredLeaf() const { return m_nHovered; }
    bool hoverPinned() const { return m_bPinned; }
    int highlightedNode() const { return m_nHighlighted; }
    bool somethingHidden() const { return m_bSomethingHidden; }
    const QImage& snapshot() const { return m_image; }
    // The clustering information line of the last drawing ("" when none).
    const QString& clusteringInfo() const { return m_strInfo; }
    // x of the centre of a leaf's column (display position), or -1.
    double leafX(int position) const;
    // Minimum similarity typed into the MinSim box: 0 < v < 1 becomes the
    // cut; anything else is ignored (false).
    bool applyTypedMinSimilarity(double v);
    // The View popup's commands on the leaf range [first, last] (display
    // positions).
    void selectLeaves(int first, int last);
    void hideLeaves(int first, int last);
    void showOnlyLeaves(int first, int last);
    void showAll();
    // The leaf range of the last band, or of the node it was opened on.
    QPair<int, int> bandRange() const { return {m_nBandFirst, m_nBandLast}; }
    // Flip Subtree of the View popup: the two children of a branch of the
    // view's forest change places (through the document, so that every
    // view follows); the view keeps its cut, zoom and bars.
    bool flipSubtree(int nodeIndex);
    // The class strips: those along the leaves (below the marker strip) and
    // those along the mosaic rows (left of the mosaic), and the room each
    // group takes.
    std::vector<const ClassStrip*> stripsAlongLeaves() const;
    std::vector<const ClassStrip*> stripsAlongRows() const;
    int stripRoomBelow() const;
    int stripRoomLeft() const;

    // ---- drawing ----
    // The full drawing into `image` at its size (used for the snapshot, the
    // clipboard, files and the benchmark).
    void renderFull();
    // Lays out again and redraws (display flags changed).
    void refresh();
    // A colour mapping change: only the mosaic and the colour scale bar are
    // drawn again into the snapshot.
    void recolour();
    void render(QPainter& p, int width, int height);
    // The pictures of Save To BMP's Vertical and Horizontal + Vertical: the
    // mosaic at `cell` pixels per row laid out for the full height, with the
    // dendrogram above it when `withTree`; the other direction's dendrogram
    // is drawn beside it by the caller.
    void renderFullHeight(QPainter& p, int width, int height, int cell, bool withTree);
    // A layout for the export: the leaf line and the mosaic top of it.
    VerticalLayout fullHeightLayout(int height, int cell) const;
    void print();
    void copyToClipboard();
    // Saves the overview as shown (BMP through our encoder, PNG, SVG or PDF
    // by the file's extension). False after a message.
    bool savePicture(const QString& path);

signals:
    // Selection marker positions along the zoom slider's track (0..1).
    void markersChanged(const QVector<double>& fractions, const QColor& colour);
    // The number of leaves in place (the zoom slider's range).
    void leafCountChanged(int count);
    void itemNamesAvailable(bool available);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override {}

private:
    struct ForestScratch;
    bool hasData() const;
    bool withGap() const;
    void verticalLayout();
    void horizontalLayout(bool keepRange);
    void computeCut(CForest* forest, ForestScratch& s, bool applyCut);
    void drawForest(QPainter& p, QImage* image, CForest* forest, ForestScratch& s, bool mirrored, int width,
                    int height);
    void drawMosaic(QImage* image, QPainter& p, CForest* forest, ForestScratch& s, bool mirrored, int width);
    void drawMarkers(QPainter& p, CForest* forest, ForestScratch& s, bool mirrored, int width);
    void drawInfo(QPainter& p, int width);
    // Returns the bottom of the scale's box (0 when not drawn).
    int drawColorScale(QPainter& p, int width);
    void drawStrips(QPainter& p, int width, int height, int legendTop);
    void followLeafOrder(bool treeFollowed = false);
    HorizontalLayout layoutAcross(int count) const;
    void drawHover(QPainter& p);
    void drawColumnMarks(QPainter& p);
    void redraw();
    void sendHint(int hint);
    void setMinSimilarityFromY(float y);
    void finishMinSimDrag();
    const CNode* nodeAt(const QPoint& pt) const;
    void highlightNode(const CNode* node);
    void clearHighlight();
    void setHovered(int position, bool pinned);
    void openViewPopup(const QPoint& global);
    void openMinSimPopup(const QPoint& global);
    QVector<int> dataIndices(int first, int last) const;
    int slotOfPosition(int position) const;
    const DisplaySettings& settings() const;

    CArxDoc* m_pDoc;
    int m_nPair;
    const DisplaySettings* m_pSettings = nullptr;
    const ColorMapping* m_pMapping = nullptr;

    CForest* m_pForest = nullptr;
    CForest* m_pForest2 = nullptr;
    bool m_bRowView = true;
    bool m_bCompare = false;

    VerticalLayout m_v;
    HorizontalLayout m_h;
    BarPositions m_bars;
    double m_dZoom = 1.0;
    float m_fMinSim = 0.5f;
    int m_nLow = 0, m_nHigh = -1;  // zoom slider range; high -1 = all
    std::vector<int> m_slots;      // display positions of the leaves in place, left to right
    std::vector<int> m_slotOf;     // display position -> slot, -1 when not in place
    ForestScratch* m_pScratch;
    ForestScratch* m_pScratch2;
    StripLegendCache m_legends;

    Drag m_drag = Drag::Idle;
    int m_nHovered = -1;
    bool m_bPinned = false;
    int m_nHighlighted = -1, m_nPrevHighlighted = -1;
    QPoint m_bandStart, m_bandEnd;
    bool m_bBandShown = false;
    int m_nBandFirst = -1, m_nBandLast = -1;
    int m_nPopupNode = -1;  // the branch the View popup was opened on, -1 for a band
    bool m_bBandIsCluster = false;  // the range is the leaves under one node
    bool m_bSomethingHidden = false;
    bool m_bFilterOut = true;
    bool m_bLinkLines = false;
    bool m_bNoTree = false;  // export picture without the dendrogram and bars  // comparison: the highlighted node's leaves linked to the lower dendrogram
    int m_nColumnMarkFirst = -1, m_nColumnMarkLast = -1;  // 3007 in a row view
    QImage m_image;
    QString m_strInfo;
};
