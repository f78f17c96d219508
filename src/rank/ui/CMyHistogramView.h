#pragma once
// The histogram of one variable: one bar per bucket between the variable's
// minimum and maximum, drawn off screen and copied to the window. Dragging a
// rectangle over it selects the items of the bars it touches (hint 3003).
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"
#include "rank/ControlPlotLayout.h"

class CArxDoc;
class HistogramOrdering;
struct DisplaySettings;
class QPainter;

class CMyHistogramView : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    explicit CMyHistogramView(QWidget* parent = nullptr);

    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    // The ordering whose records (bucket data) the view shows.
    void setOrdering(const HistogramOrdering* ordering) { m_pOrdering = ordering; }
    // nullptr: the defaults (100 bars, colour (50, 50, 100)).
    void setSettings(const DisplaySettings* settings) { m_pSettings = settings; }

    // The variable shown (-1: every variable) and its value source; redraws.
    void setColumn(int column, bool original);
    int column() const { return m_nColumn; }
    bool useOriginal() const { return m_bOriginal; }
    bool turned() const { return m_bTurned; }
    void setTurned(bool turned);
    // "Transpose -->": turns the drawing by 90 degrees.
    void toggleTurned() { setTurned(!m_bTurned); }
    bool showHistogram() const { return m_bShowHistogram; }

    // The drawn bars: the counts re-binned to the option's number of buckets.
    const std::vector<int>& barCounts() const { return m_barCounts; }
    int barCount() const;
    ChartGeometry geometry() const { return ChartGeometry(width(), height(), m_bTurned, hasProbabilityAxis()); }
    const QImage& image() const { return m_image; }
    // Redraws the off-screen image from the document.
    void render();
    // Renders now when shown; a hidden view renders when it is next painted.
    void renderWhenShown();
    // The bar selection of a drag from a to b (view coordinates).
    void selectBars(QPoint a, QPoint b);

    void onUpdate(CDocObserver* sender, int hint) override;

protected:
    bool hasData() const;
    // A chart that draws a CDF keeps room for its probability axis.
    virtual bool hasProbabilityAxis() const { return false; }
    // Draws the layers into the image (the histogram here).
    virtual void draw(QPainter& p);
    // A finished drag: the histogram selects bars.
    virtual void dragFinished(QPoint a, QPoint b);
    // The bars; translucent with an outline when something is drawn beneath.
    void drawHistogram(QPainter& p, bool translucent = false);
    void drawValueAxis(QPainter& p, const QString& itemAxisLabel);
    void recomputeBars();
    QColor barColor() const;

    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

    std::function<CArxDoc*()> m_docSource;
    const HistogramOrdering* m_pOrdering = nullptr;
    const DisplaySettings* m_pSettings = nullptr;
    int m_nColumn = -1;
    bool m_bOriginal = false;
    bool m_bTurned = true;
    bool m_bShowHistogram = true;
    float m_fMin = 0.0f, m_fMax = 0.0f;
    std::vector<int> m_barCounts;
    QImage m_image;
    bool m_bRenderPending = false;
    bool m_bDragging = false;
    QPoint m_ptStart, m_ptEnd;
};
