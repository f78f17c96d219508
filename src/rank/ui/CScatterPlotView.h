#pragma once
// A scatterplot of the items over two variables: markers in the shared
// marker style, the selection's triangles, the fitted curve or the outlying
// items of the pair's ranking record, the region of interest, a rubber band
// that selects items, and a density display. One lives in the scatterplot
// ordering panel; more open as chart windows.
//
// The positions come from the pixel mapping the pair criteria use
// (ScatterGeometry.h), so a criterion scores exactly what is drawn. The
// view paints into an off-screen image and copies it on paint.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"
#include "rank/ScatterGeometry.h"

class CArxDoc;
struct DisplaySettings;
class QMenu;

class CScatterPlotView final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    static constexpr int kMargin = 14;  // left and bottom margins at creation

    explicit CScatterPlotView(QWidget* parent = nullptr);
    ~CScatterPlotView() override;

    // The panels outlive documents: the view asks for the open one.
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void setDisplaySettings(const DisplaySettings* settings) { m_pSettings = settings; }

    // ---- what it shows ----
    void setPair(int x, int y, bool original, bool sameScale);
    // The ranking record's detail values; recordX and recordY are the
    // record's variables (the curve gives recordY as a function of recordX).
    void setDetails(const std::vector<double>& details, int recordX, int recordY);
    void clearPair();
    bool hasPair() const { return m_nX >= 0 && m_nY >= 0; }
    int xVariable() const { return m_nX; }
    int yVariable() const { return m_nY; }
    bool originalValues() const { return m_bOriginal; }
    bool sameScale() const { return m_bSameScale; }
    const std::vector<double>& details() const { return m_details; }
    int recordX() const { return m_nRecordX; }
    int recordY() const { return m_nRecordY; }

    // ---- the mapping the criteria share ----
    PlotGeometry geometry() const;
    ScatterMapping mapping() const;
    // Pixel positions of all rows of the current pair.
    const std::vector<PixelPoint>& positions() const { return m_points; }
    const std::vector<PixelPoint>& curve() const { return m_curve; }

    // ---- region of interest, shared by every scatterplot view ----
    static int regionType();
    static void setRegionType(int type);  // 0 none, 1 rectangle, 2 ellipse, 3 free form
    static const RoiRegion& region();
    static void clearRegion();
    // Inside the ordering panel with "Number of Items in ROI" chosen, a drag
    // draws the region instead of selecting.
    void setRoiMode(bool on) { m_bRoiMode = on; }
    bool roiMode() const { return m_bRoiMode; }
    // "Make a View" is offered in the ordering panel only.
    void setInOrderingPanel(bool on) { m_bInPanel = on; }

    // ---- density display ----
    bool densityShown() const { return m_bDensity; }
    void setDensityShown(bool on);
    const std::vector<int>& densityCounts() const { return m_density; }

    // ---- output ----
    const QImage& image() const { return m_image; }
    void copyToClipboard();
    // The plot as a picture at one pixel per logical pixel.
    QImage picture();
    void redraw();
    // The context menu as it would open now (for tests and the right button).
    QMenu* makeContextMenu();

    void onUpdate(CDocObserver* sender, int hint) override;

signals:
    // A region of interest was drawn (the panel re-scores).
    void regionDrawn();
    // "Make a View" and "Properties" of the context menu.
    void makeViewRequested();
    void propertiesRequested();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void recompute();
    void render();
    void renderInto(QImage& image);
    // Renders now when shown; a hidden view renders when it is next painted.
    void renderWhenShown();
    void drawAxes(QImage& image);
    void drawMarkers(QImage& image);
    void drawDensity(QImage& image);
    void drawSelection(QImage& image);
    void drawOverlay(QImage& image);
    void selectInRectangle(const QPoint& a, const QPoint& b);
    void updateWindowTitle();
    const DisplaySettings& settings() const;

    std::function<CArxDoc*()> m_docSource;
    const DisplaySettings* m_pSettings = nullptr;
    int m_nX = -1, m_nY = -1;
    int m_nRecordX = -1, m_nRecordY = -1;
    bool m_bOriginal = false;
    bool m_bSameScale = false;
    std::vector<double> m_details;
    std::vector<PixelPoint> m_points;
    std::vector<uint8_t> m_missing;  // per row: x or y missing
    std::vector<PixelPoint> m_curve;
    std::vector<int> m_density;
    bool m_bDensity = false;
    bool m_bRoiMode = false;
    bool m_bInPanel = false;
    bool m_bDragging = false;
    int m_nDragType = 0;
    QPoint m_press, m_current;
    QImage m_image;
    bool m_bRenderPending = false;
};
