#pragma once
// The "K-means" tab: the colour mosaic in k-means order. Every item is a
// column, the items of one k-means cluster stand side by side and clusters
// are one pixel apart; every variable is a row. A draggable band carries
// the variable names over the mosaic.
#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"

class CArxDoc;
class CForest;
class QPainter;

class CArxKmeansView final : public QAbstractScrollArea, public CDocObserver {
    Q_OBJECT
public:
    static constexpr int kCell = 10;
    static constexpr int kTopMargin = 18;     // cluster labels above the first row
    static constexpr int kRightBand = 50;     // kept white
    static constexpr int kDividerWidth = 50;  // the draggable band
    static constexpr int kMinDividerX = 5;

    explicit CArxKmeansView(CArxDoc* doc, QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    // The panels outlive documents: they ask for the open one.
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : m_pDoc; }
    bool hasResult() const;
    // Item columns in drawing order (display positions of the item forest)
    // and the x of each, cluster gaps included, before scrolling.
    void itemLayout(std::vector<int>& positions, std::vector<int>& xs) const;
    int scrollPosition() const;
    int dividerX() const { return m_nDividerX; }
    const QImage& image() const { return m_image; }
    // Scrolls so that the first selected item is visible, 24 pixels in
    // from the left edge where possible.
    void showSelection();
    // The popup's Export Clustering Result (after its guard messages).
    void exportResult();
    void renderFull();
    // A new k-means result (no hint announces it): the scroll range and the
    // picture follow at once, whether or not the tab was just brought up.
    void refresh();

signals:
    // "Do K-means Clustering": the document's K-means Clustering command.
    void kMeansRequested();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    void clear();
    void updateScrollBar();
    CForest* items() const;
    CForest* variables() const;

    CArxDoc* m_pDoc;
    std::function<CArxDoc*()> m_docSource;
    int m_nDividerX = -1;
    bool m_bDragging = false;
    int m_nGrabOffset = 0;
    QImage m_image;
};
