#pragma once
// The chart of the histogram ordering panel and of its chart windows: the
// histogram of one variable, a control plot (one square per item in the
// item dendrogram's display order at the item's value) and the cumulative
// distribution curve, each shown on demand.
#include "rank/ui/CMyHistogramView.h"

class CControlPlotView final : public CMyHistogramView {
    Q_OBJECT
public:
    explicit CControlPlotView(QWidget* parent = nullptr);

    // Column, value source and the three display choices; redraws.
    void setData(int column, bool original, bool showControlPlot, bool showHistogram, bool showCdf);
    void setShowControlPlot(bool on);
    void setShowHistogram(bool on);
    void setShowCdf(bool on);
    bool showControlPlot() const { return m_bShowControlPlot; }
    bool showCdf() const { return m_bShowCdf; }
    // The view inside the panel: "Make a View" is enabled only there.
    void setEmbedded(bool embedded) { m_bEmbedded = embedded; }
    bool embedded() const { return m_bEmbedded; }

    // The CDF curve's vertices over the records' 200 buckets (view coordinates).
    std::vector<std::pair<int, int>> cdfVertices() const;
    // The items (data indices) whose squares lie in the rectangle spanned by a and b.
    std::vector<int> itemsInBand(QPoint a, QPoint b) const;

    void onUpdate(CDocObserver* sender, int hint) override;

signals:
    // "Make a View" of the popup: a chart window for this column and choices.
    void makeViewRequested(int column, bool original, bool showControlPlot, bool showHistogram, bool showCdf);
    // "Properties": the option sheet on its first page.
    void propertiesRequested();

protected:
    void draw(QPainter& p) override;
    void dragFinished(QPoint a, QPoint b) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    // Item squares: for each drawn square its view point and data index.
    struct Square {
        int x, y, item, column;
        bool missing;
        float value;
    };
    std::vector<Square> squares() const;
    std::vector<int> cdfCounts(long long& total) const;
    void drawControlPlot(QPainter& p);
    void drawCdf(QPainter& p);
    void drawProbabilityAxis(QPainter& p, const QColor& colour);
    bool hasProbabilityAxis() const override { return m_bShowCdf; }

    bool m_bShowControlPlot = false;
    bool m_bShowCdf = false;
    bool m_bEmbedded = false;
};
