#pragma once
// The profile plot of the "Profile Search" tab: every item a line across
// the variables, the matched ones in the document's selection colour over
// grey unmatched ones, the hovered one thicker, the model in black, the
// ceilings and floors with their filled band, and the two silhouettes.
// The plot is drawn into an off-screen image that is reused while the
// pointer hovers; the hovered line is drawn over it.
//
// The mouse edits what the search looks for: in Model-based mode a left
// press moves the model points near the pointer to its height; in Ceil &
// Floor mode the left button sets ceilings and the right button floors
// (removal mode: a click removes the nearer constraint). Keys: Delete
// toggles removal mode, Escape leaves it, Ctrl+C copies the view.
#include <QImage>
#include <QWidget>
#include <functional>

#include "linked/ProfileSearch.h"
#include "linked/TrendMapping.h"

class CArxDoc;
class CProfileSearch;
class QPainter;

// Colours and widths of the plot. The band between ceilings and floors is
// laid over the lines, translucent, so that the lines inside stay visible.
struct TrendStyle {
    QColor matched{210, 105, 30};
    QColor unmatched{175, 175, 175};
    QColor outside{225, 225, 225};  // items outside a pinned candidate list
    QColor model{0, 0, 0};
    QColor band{255, 255, 176};
    QColor ceiling{200, 0, 0};
    QColor floor{0, 0, 200};
    QColor allEnvelope{220, 220, 220};
    QColor matchedEnvelope{150, 150, 150};
    bool silhouette = true;
    bool showModel = true;        // Model-based mode
    bool showConstraints = true;  // Ceil & Floor mode
};

// Draws the whole plot (without the hovered line) on any painter.
void drawTrendPlot(QPainter& p, const CProfileSearch& search, const TrendMapping& map, const TrendStyle& style);
// The same into an RGB32 image, the lines written straight into its pixels
// (what the view shows; the painter version serves files and printing).
void drawTrendImage(QImage& image, const CProfileSearch& search, const TrendMapping& map, const TrendStyle& style);
// Draws one item's line (the hovered one) over the plot.
void drawTrendItem(QPainter& p, const CProfileSearch& search, const TrendMapping& map, int row, const QColor& colour,
                   double width);
// The item whose line passes nearest to a point, within `reach` pixels;
// matched items first. -1 for none.
int trendItemAt(const CProfileSearch& search, const TrendMapping& map, double x, double y, double reach = 4.0);

class CTrendView final : public QWidget {
    Q_OBJECT
public:
    explicit CTrendView(CProfileSearch& search, QWidget* parent = nullptr);

    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    TrendMapping mapping() const;
    void setMethod(int method);
    int method() const { return m_nMethod; }
    void setSilhouette(bool on);
    bool silhouette() const { return m_style.silhouette; }
    void setRemovalMode(bool on);
    bool removalMode() const { return m_bRemoval; }
    int hoveredRow() const { return m_nHovered; }
    void setHoveredRow(int row);
    // Whether the search works on the open document's matrix.
    bool showsCurrentData() const;
    // The search changed: the image is drawn again on the next paint.
    void refresh();
    // The off-screen image (drawn now when out of date).
    const QImage& image();

    // ---- popup ----
    void copyToClipboard();
    bool savePicture(const QString& path);
    void saveWithDialog();
    void print();

    // The data tip of the last press ("%5.2f"), for tests.
    QString lastTip() const { return m_strTip; }

signals:
    // The model points moved: the search runs again with the thresholds.
    void modelEdited();
    // A ceiling or floor was set or removed.
    void constraintsEdited();
    // "Make it a model pattern" for the hovered item.
    void makeModelRequested(int row);
    // Delete pressed: removal mode toggled.
    void removalModeToggled(bool on);
    // The pointer moved onto another item (-1 for none).
    void hoverChanged(int row);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    void editAt(const QPointF& pos, Qt::MouseButton button);
    void showTip(const QPointF& pos, const QPoint& global);
    void popup(const QPoint& global);
    void updateCursor();
    TrendStyle currentStyle() const;

    CProfileSearch& m_search;
    std::function<CArxDoc*()> m_docSource;
    int m_nMethod = 0;
    bool m_bRemoval = false;
    int m_nHovered = -1;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    TrendStyle m_style;
    QImage m_image;
    bool m_bStale = true;
    QString m_strTip;
};
