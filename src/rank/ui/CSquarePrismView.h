#pragma once
// The score overview of the scatterplot ordering: one cell per pair, the
// lower triangle of the variables (row = the larger index, column = the
// smaller) or, when two dendrograms are compared, a grid of their clusters.
// Cells take the blue-white-red score scale over the run's range; a score
// of -1000 (no order) is white; a range of zero width turns every cell
// black. For criteria 3 and 7 a cell's auxiliary value is the side of a
// centred square. Hovering shows the pair, a click picks it, and the
// current pair is outlined.
#include <QImage>
#include <QWidget>
#include <vector>

#include "rank/ScatterGeometry.h"

struct PairTable;

class CPrismView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

signals:
    // A cell was clicked: its row and column (matrix numbers).
    void cellClicked(int row, int column);
};

class CSquarePrismView final : public CPrismView {
    Q_OBJECT
public:
    explicit CSquarePrismView(QWidget* parent = nullptr);

    // The pairs to show and the names of the variables (not kept: copied).
    void setTable(const PairTable* table, const std::vector<std::string>& names);
    void clear();
    void setHighlight(int row, int column);
    int highlightRow() const { return m_nHighlightRow; }
    int highlightColumn() const { return m_nHighlightColumn; }
    const PrismLayout& layout() const { return m_layout; }
    const QImage& image() const { return m_image; }
    // The colour a cell is drawn with, and the hover text of a cell.
    QColor cellColor(int row, int column) const;
    QString hoverText(int row, int column) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    void relayout();
    void render();
    const struct PairScore* pairAt(int row, int column) const;

    const PairTable* m_pTable = nullptr;
    std::vector<std::string> m_names;
    PrismLayout m_layout;
    QImage m_image;
    int m_nHighlightRow = -1, m_nHighlightColumn = -1;
};
