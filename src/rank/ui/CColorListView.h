#pragma once
// The score overview strip: one cell per variable in column order, coloured
// by its score on the three-colour score scale between the strip's minimum
// and maximum; the current variable is framed. Clicking a cell picks its
// variable.
#include <QWidget>
#include <vector>

class CColorListView final : public QWidget {
    Q_OBJECT
public:
    explicit CColorListView(QWidget* parent = nullptr);

    // Scores by column; `scored[c]` false draws the cell grey (no score).
    void setScores(std::vector<double> scores, std::vector<char> scored, double minimum, double maximum);
    void clear();
    void setCurrent(int column);
    int current() const { return m_nCurrent; }
    int cellCount() const { return static_cast<int>(m_scores.size()); }
    // The column under x (-1 outside the cells), and the first x of a column.
    int columnAt(int x) const;
    int xOfColumn(int column) const;
    QString minimumText() const;
    QString maximumText() const;
    QSize sizeHint() const override { return {300, 34}; }

signals:
    void columnClicked(int column);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    static constexpr int kCellHeight = 16;
    int cellsWidth() const { return width() - 2; }
    std::vector<double> m_scores;
    std::vector<char> m_scored;
    double m_dMin = 0.0, m_dMax = 0.0;
    bool m_bHasRange = false;
    int m_nCurrent = -1;
};
