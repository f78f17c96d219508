#pragma once
// The "Color Mosaic" tab: the whole colour mosaic at a fixed cell size. The
// leaves of the overview's forest are the columns, the leaves of the other
// forest the rows at the bottom of a tall canvas, and the other forest's
// dendrogram stands beside the mosaic with its own vertical
// minimum-similarity bar.
#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"
#include "app/ui/StripPainting.h"

class CArxDoc;
class CForest;
class CNode;
class ColorMapping;
class QPainter;

class CArxEntireView final : public QAbstractScrollArea, public CDocObserver {
    Q_OBJECT
public:
    enum class Drag { Idle, Bar, Side };
    static constexpr int kCell = 10;         // "bars width"
    static constexpr int kSideWidth = 100;   // side dendrogram
    static constexpr int kHandleWidth = 50;  // the band left of it

    explicit CArxEntireView(CArxDoc* doc, QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    // The panels outlive documents: they ask for the open one.
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : m_pDoc; }
    // Takes the forests for the document's current direction and lays out.
    void resetFromDocument();
    void setFilterOut(bool filterOut);

    // ---- state, for the windows around it and for tests ----
    CForest* mainForest() const { return m_pMain; }
    CForest* sideForest() const { return m_pSide; }
    int sideX() const { return m_nSideX; }
    double barX() const { return m_dBarX; }
    float sideMinSimilarity() const;
    int canvasHeight() const { return m_nCanvasHeight; }
    int mosaicTop() const { return m_nMosaicTop; }
    int firstVisibleColumn() const;
    int lastVisibleColumn() const;
    int shownRows() const { return static_cast<int>(m_rows.size()); }
    const QImage& image() const { return m_image; }
    // Rows the picture of the vertical export needs: 5 + 3 + 1 + cell x rows.
    int heightNeededForExport() const;
    int highlightedNode() const { return m_nHighlighted; }

    // Draws the side dendrogram of every row (the vertical dendrogram of the
    // Save To BMP pictures) into a rectangle: leaves at rows of `cell`
    // pixels from `top`, similarity 1 at x0 and 0 at x0 + width.
    void drawSideDendrogram(QPainter& p, int x0, int top, int width, int cell, bool allRows) const;

    // Left edge of the caption beside the side bar (its value, the number
    // of clusters and the hint), `captionWidth` wide: right of the bar when
    // it fits before the view's right edge, else left of it, and never over
    // the row names left of the side dendrogram (x < sideX). The caller
    // wraps a caption wider than the side dendrogram's room.
    static int barCaptionX(int barX, int captionWidth, int sideX, int viewWidth);

    // Flip Subtree of the popup on a side dendrogram's branch: its two
    // children change places (through the document, every view follows).
    bool flipSubtree(int nodeIndex);

    void renderFull();
    void print();
    void copyToClipboard();
    // The view as a picture at one pixel per logical pixel.
    QImage picture();
    bool savePicture(const QString& path);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    bool hasData() const;
    void layout();
    void updateScrollBars();
    void render(QPainter& p, int width, int height, int vscroll);
    const CNode* nodeAt(const QPoint& pt) const;
    void drawLegends(QPainter& p, int bottom);
    void clear();

    CArxDoc* m_pDoc;
    std::function<CArxDoc*()> m_docSource;
    CForest* m_pMain = nullptr;
    CForest* m_pSide = nullptr;
    bool m_bRowMain = true;
    int m_nSideX = 0;
    double m_dBarX = 0.0;
    int m_nCanvasHeight = 0;
    int m_nMosaicTop = 0;
    std::vector<int> m_rows;  // side forest positions shown, top to bottom
    std::vector<int> m_rowOf; // side position -> row, -1 when left out
    int m_nHighlighted = -1, m_nPrevHighlighted = -1;
    Drag m_drag = Drag::Idle;
    int m_nGrabX = 0, m_nGrabSideX = 0;
    bool m_bFilterOut = true;
    bool m_bFirstLayout = true;
    QImage m_image;
    StripLegendCache m_legends;
};
