#include "rank/ui/CScatterPlotView.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/CArxDoc.h"
#include "app/ui/DisplaySettings.h"
#include "app/ui/ViewContext.h"
#include "app/ui/ViewImage.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"

namespace {

// The region state every scatterplot view shares.
struct SharedRegion {
    int type = kRoiNone;
    RoiRegion region;
    std::vector<PixelPoint> freeForm;
};

SharedRegion& shared()
{
    static SharedRegion s;
    return s;
}

const QColor kAxisColor(100, 100, 100);
const QColor kGridColor(200, 200, 200);
const QRgb kMissingMarker = qRgb(200, 200, 200);
const char* const kDensitySuffix = " Density Plot";
constexpr int kTicks = 5;

QPoint qPoint(const PixelPoint& p) { return {p.px, p.py}; }

} // namespace

CScatterPlotView::CScatterPlotView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(120, 90);
}

CScatterPlotView::~CScatterPlotView() = default;

const DisplaySettings& CScatterPlotView::settings() const
{
    static const DisplaySettings defaults;
    if (m_pSettings)
        return *m_pSettings;
    return viewContext().settings ? *viewContext().settings : defaults;
}

int CScatterPlotView::regionType() { return shared().type; }
void CScatterPlotView::setRegionType(int type) { shared().type = std::clamp(type, 0, 3); }
const RoiRegion& CScatterPlotView::region() { return shared().region; }
void CScatterPlotView::clearRegion()
{
    shared().region = RoiRegion{};
    shared().freeForm.clear();
}

PlotGeometry CScatterPlotView::geometry() const
{
    PlotGeometry g;
    g.m_nWidth = width();
    g.m_nHeight = height();
    g.m_nLeftMargin = kMargin;
    g.m_nBottomMargin = kMargin;
    g.m_nOuterMargin = settings().m_nMargin;
    return g;
}

ScatterMapping CScatterPlotView::mapping() const
{
    const CArxDoc* d = doc();
    const DataMatrix* data = d ? d->data() : nullptr;
    AxisRange range;
    if (data && hasPair() && m_nX < data->m_nColumns && m_nY < data->m_nColumns)
        range = axisRange(*data, m_nX, m_nY, m_bOriginal, m_bSameScale);
    return ScatterMapping(geometry(), range);
}

void CScatterPlotView::setPair(int x, int y, bool original, bool sameScale)
{
    m_nX = x;
    m_nY = y;
    m_bOriginal = original;
    m_bSameScale = sameScale;
    m_density.clear();
    redraw();
}

void CScatterPlotView::setDetails(const std::vector<double>& details, int recordX, int recordY)
{
    m_details = details;
    m_nRecordX = recordX;
    m_nRecordY = recordY;
    redraw();
}

void CScatterPlotView::clearPair()
{
    m_nX = m_nY = m_nRecordX = m_nRecordY = -1;
    m_details.clear();
    m_points.clear();
    m_missing.clear();
    m_curve.clear();
    m_density.clear();
    redraw();
}

void CScatterPlotView::redraw()
{
    recompute();
    render();
    update();
}

void CScatterPlotView::recompute()
{
    m_points.clear();
    m_missing.clear();
    m_curve.clear();
    const CArxDoc* d = doc();
    const DataMatrix* data = d ? d->data() : nullptr;
    if (!data || !hasPair() || m_nX >= data->m_nColumns || m_nY >= data->m_nColumns || data->rowCount() == 0)
        return;
    const ScatterMapping m = mapping();
    mapRows(*data, m_nX, m_nY, m_bOriginal, m, m_points);
    m_missing.resize(m_points.size());
    for (int r = 0; r < data->rowCount(); ++r)
        m_missing[static_cast<size_t>(r)] = data->weight(r, m_nX) == -1.0f || data->weight(r, m_nY) == -1.0f;
    // The record's curve, in the orientation shown.
    const bool samePair = (m_nRecordX == m_nX && m_nRecordY == m_nY) || (m_nRecordX == m_nY && m_nRecordY == m_nX);
    if (samePair)
        m_curve = fittedCurve(m_details, m, m_nRecordX != m_nX);
    if (m_bDensity)
        gridCounts(m, m_points, m_density);
}

void CScatterPlotView::renderWhenShown()
{
    if (!isVisible()) {
        m_bRenderPending = true;
        return;
    }
    render();
    update();
}

void CScatterPlotView::render()
{
    m_bRenderPending = false;
    fitViewImage(m_image, this, size());
    renderInto(m_image);
}

QImage CScatterPlotView::picture()
{
    QImage image;
    fitViewImage(image, size(), 1.0);
    renderInto(image);
    return image;
}

void CScatterPlotView::renderInto(QImage& image)
{
    image.fill(Qt::white);
    if (!m_points.empty()) {
        if (m_bDensity)
            drawDensity(image);
        drawAxes(image);
        if (!m_bDensity)
            drawMarkers(image);
        drawSelection(image);
    } else {
        drawAxes(image);
    }
    drawOverlay(image);
}

void CScatterPlotView::drawAxes(QImage& image)
{
    QPainter p(&image);
    const PlotGeometry g = geometry();
    const int axisY = g.m_nHeight - g.m_nBottomMargin, axisX = g.m_nLeftMargin;
    QFont font("Arial");
    font.setPixelSize(9);
    p.setFont(font);
    const bool ranged = hasPair() && !m_points.empty();
    const AxisRange r = ranged ? mapping().range() : AxisRange{};
    QPen grid(kGridColor, 1, Qt::DotLine);
    for (int i = 0; i <= kTicks; ++i) {
        const int x = g.plotLeft() + g.plotWidth() * i / kTicks;
        const int y = g.plotBottom() - g.plotHeight() * i / kTicks;
        p.setPen(grid);
        p.drawLine(x, axisY, x, 0);
        p.drawLine(axisX, y, g.m_nWidth, y);
        if (!ranged)
            continue;
        p.setPen(kAxisColor);
        const double vx = r.m_fMinX + (static_cast<double>(r.m_fMaxX) - r.m_fMinX) * i / kTicks;
        const double vy = r.m_fMinY + (static_cast<double>(r.m_fMaxY) - r.m_fMinY) * i / kTicks;
        const QString tx = QString::fromStdString(strFormat("%.2f", vx));
        const QString ty = QString::fromStdString(strFormat("%.2f", vy));
        const int wx = p.fontMetrics().horizontalAdvance(tx);
        const int left = std::clamp(x - wx / 2, axisX, std::max(axisX, g.m_nWidth - wx));
        p.drawText(QRect(left, axisY + 1, wx, g.m_nBottomMargin - 1), Qt::AlignCenter, tx);
        // Rotated labels of the y axis, reading upward.
        p.save();
        p.translate(0, y);
        p.rotate(-90);
        const int wy = p.fontMetrics().horizontalAdvance(ty);
        const int along = std::clamp(-wy / 2, -y, std::max(-y, axisY - y - wy));
        p.drawText(QRect(along, 0, wy, g.m_nLeftMargin - 1), Qt::AlignCenter, ty);
        p.restore();
    }
    p.setPen(kAxisColor);
    p.drawLine(axisX, axisY, g.m_nWidth - 1, axisY);
    p.drawLine(axisX, 0, axisX, axisY);
}

void CScatterPlotView::drawMarkers(QImage& image)
{
    const DisplaySettings& s = settings();
    const int radius = std::max(1, s.m_nMarkerSize);
    const CArxDoc* d = doc();
    const DataMatrix* data = d ? d->data() : nullptr;
    // The marker's pixels relative to its centre, in the image's own pixels
    // (finer than logical pixels on a high-density screen).
    const double dpr = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
    const int rp = std::max(1, static_cast<int>(std::lround(radius * dpr)));
    std::vector<QPoint> shape;
    for (int dy = -rp; dy < rp; ++dy)
        for (int dx = -rp; dx < rp; ++dx)
            if (!s.m_bCircleMarker || (dx + 0.5) * (dx + 0.5) + (dy + 0.5) * (dy + 0.5) <= rp * rp)
                shape.emplace_back(dx, dy);
    const QRgb fixed = s.m_clrMarker.rgb();
    const ColorMapping& colours = viewContext().mapping;
    const int w = image.width(), h = image.height();
    for (size_t r = 0; r < m_points.size(); ++r) {
        QRgb c = fixed;
        if (!s.m_bStaticMarkerColor) {
            if (m_missing[r] || !data) {
                c = kMissingMarker;
            } else {
                const int row = static_cast<int>(r);
                const Rgb m = colours.colorOf(data->value(row, m_nX) + data->value(row, m_nY));
                c = qRgb(m.r, m.g, m.b);
            }
        }
        const PixelPoint& p = m_points[r];
        const int cx = static_cast<int>(std::lround(p.px * dpr)), cy = static_cast<int>(std::lround(p.py * dpr));
        for (const QPoint& o : shape) {
            const int x = cx + o.x(), y = cy + o.y();
            if (x >= 0 && y >= 0 && x < w && y < h)
                reinterpret_cast<QRgb*>(image.scanLine(y))[x] = c;
        }
    }
}

void CScatterPlotView::drawDensity(QImage& image)
{
    if (m_density.empty())
        gridCounts(mapping(), m_points, m_density);
    const PlotGeometry g = geometry();
    const int most = *std::max_element(m_density.begin(), m_density.end());
    QPainter p(&image);
    const double cw = g.plotWidth() / static_cast<double>(ScatterMapping::kGridCells);
    const double ch = g.plotHeight() / static_cast<double>(ScatterMapping::kGridCells);
    for (int row = 0; row < ScatterMapping::kGridCells; ++row)
        for (int col = 0; col < ScatterMapping::kGridCells; ++col) {
            const int count = m_density[static_cast<size_t>(row * ScatterMapping::kGridCells + col)];
            if (count == 0 || most == 0)
                continue;
            // From a light grey for one item to near black for the fullest cell.
            const int level = 230 - static_cast<int>(210.0 * count / most);
            const QRectF cell(g.plotLeft() + col * cw, g.plotBottom() - (row + 1) * ch, cw, ch);
            p.fillRect(cell, QColor(level, level, level));
        }
}

void CScatterPlotView::drawSelection(QImage& image)
{
    const CArxDoc* d = doc();
    if (!d)
        return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Outlying items of the outlier criterion: a red ring each.
    if (m_details.size() > 1 && static_cast<int>(m_details[0]) == 5 && m_nRecordX >= 0) {
        p.setPen(QPen(QColor(255, 0, 0), 1));
        p.setBrush(Qt::NoBrush);
        const int ring = std::max(1, settings().m_nMarkerSize) + 3;
        for (size_t i = 1; i < m_details.size(); ++i) {
            const int row = d->rowOfItem(static_cast<int>(m_details[i]));
            if (row >= 0 && static_cast<size_t>(row) < m_points.size())
                p.drawEllipse(qPoint(m_points[static_cast<size_t>(row)]), ring, ring);
        }
    }
    if (!m_curve.empty()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(0, 0, 255), 2));
        QPolygon line;
        for (const PixelPoint& c : m_curve)
            line << qPoint(c);
        p.drawPolyline(line);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    const Rgb sel = d->m_clrSelection;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(sel.r, sel.g, sel.b));
    for (int item : d->m_selectedItems) {
        const int row = d->rowOfItem(item);
        if (row < 0 || static_cast<size_t>(row) >= m_points.size())
            continue;
        const PixelPoint& c = m_points[static_cast<size_t>(row)];
        const QPoint tri[3] = {{c.px - 8, c.py + 8}, {c.px, c.py - 8}, {c.px + 8, c.py + 8}};
        p.drawPolygon(tri, 3);
    }
}

void CScatterPlotView::drawOverlay(QImage& image)
{
    const RoiRegion& r = shared().region;
    if (r.m_nType == kRoiNone || r.isEmpty())
        return;
    QPainter p(&image);
    p.setPen(QPen(QColor(255, 0, 255), 2, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    const QRect box = QRect(qPoint(r.m_from), qPoint(r.m_to)).normalized();
    if (r.m_nType == kRoiRectangle) {
        p.drawRect(box);
    } else if (r.m_nType == kRoiEllipse) {
        p.drawEllipse(box);
    } else {
        QPolygon poly;
        for (const PixelPoint& q : r.m_polygon)
            poly << qPoint(q);
        p.drawPolygon(poly, Qt::WindingFill);
    }
}

void CScatterPlotView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_bRenderPending) {
        render();
        update();
    }
}

void CScatterPlotView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_bRenderPending || viewImageStale(m_image, this, size()))
        render();
    p.drawImage(0, 0, m_image);
    if (!m_bDragging)
        return;
    // The rubber band of the drag in progress.
    p.setPen(QPen(m_nDragType ? QColor(255, 0, 255) : QColor(0, 0, 0), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    const QRect box = QRect(m_press, m_current).normalized();
    if (m_nDragType == kRoiEllipse) {
        p.drawEllipse(box);
    } else if (m_nDragType == kRoiFreeForm) {
        QPolygon poly;
        for (const PixelPoint& q : shared().freeForm)
            poly << qPoint(q);
        p.drawPolyline(poly);
    } else {
        p.drawRect(box);
    }
}

void CScatterPlotView::resizeEvent(QResizeEvent*)
{
    m_density.clear();
    recompute();
    render();
}

void CScatterPlotView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_bDragging = true;
    m_press = m_current = e->position().toPoint();
    m_nDragType = m_bRoiMode ? shared().type : 0;
    if (m_nDragType == kRoiFreeForm)
        shared().freeForm.assign(1, PixelPoint{m_press.x(), m_press.y()});
}

void CScatterPlotView::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bDragging || !(e->buttons() & Qt::LeftButton))
        return;
    m_current = e->position().toPoint();
    if (m_nDragType == kRoiFreeForm)
        shared().freeForm.push_back({m_current.x(), m_current.y()});
    update();
}

void CScatterPlotView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        QMenu* menu = makeContextMenu();
        menu->exec(e->globalPosition().toPoint());
        delete menu;
        return;
    }
    if (e->button() != Qt::LeftButton || !m_bDragging)
        return;
    m_bDragging = false;
    const QPoint release = e->position().toPoint();
    const PixelPoint a{m_press.x(), m_press.y()}, b{release.x(), release.y()};
    SharedRegion& s = shared();
    switch (m_nDragType) {
    case kRoiRectangle: s.region = RoiRegion::rectangle(a, b); break;
    case kRoiEllipse: s.region = RoiRegion::ellipse(a, b); break;
    case kRoiFreeForm:
        s.freeForm.push_back(b);
        s.freeForm.push_back(s.freeForm.front());
        s.region = RoiRegion::freeForm(s.freeForm);
        break;
    default:
        if (release != m_press)
            selectInRectangle(m_press, release);
        update();
        return;
    }
    render();
    update();
    emit regionDrawn();
}

void CScatterPlotView::selectInRectangle(const QPoint& a, const QPoint& b)
{
    CArxDoc* d = doc();
    if (!d || m_points.empty())
        return;
    const QRect box = QRect(a, b).normalized();
    std::vector<int> items;
    for (size_t r = 0; r < m_points.size(); ++r)
        if (box.contains(qPoint(m_points[r]))) {
            const int item = d->itemOfRow(static_cast<int>(r));
            if (item >= 0)
                items.push_back(item);
        }
    std::sort(items.begin(), items.end());
    d->setItemSelection(std::move(items), this);
    render();
}

QMenu* CScatterPlotView::makeContextMenu()
{
    auto* menu = new QMenu(this);
    menu->setTitle("scatterplot");
    QAction* density = menu->addAction("Show density");
    density->setCheckable(true);
    density->setChecked(m_bDensity);
    connect(density, &QAction::triggered, this, [this] { setDensityShown(!m_bDensity); });
    QAction* make = menu->addAction("Make a View");
    make->setEnabled(m_bInPanel && hasPair());
    connect(make, &QAction::triggered, this, &CScatterPlotView::makeViewRequested);
    connect(menu->addAction("Copy Current View"), &QAction::triggered, this, [this] { copyToClipboard(); });
    connect(menu->addAction("Properties"), &QAction::triggered, this, &CScatterPlotView::propertiesRequested);
    return menu;
}

void CScatterPlotView::setDensityShown(bool on)
{
    if (on == m_bDensity)
        return;
    m_bDensity = on;
    if (on && m_density.empty() && !m_points.empty())
        gridCounts(mapping(), m_points, m_density);
    updateWindowTitle();
    render();
    update();
}

void CScatterPlotView::updateWindowTitle()
{
    QWidget* frame = parentWidget();
    while (frame && !qobject_cast<QMdiSubWindow*>(frame))
        frame = frame->parentWidget();
    if (!frame)
        return;
    QString title = frame->windowTitle();
    if (m_bDensity && !title.endsWith(kDensitySuffix))
        title += kDensitySuffix;
    else if (!m_bDensity && title.endsWith(kDensitySuffix))
        title.chop(static_cast<int>(qstrlen(kDensitySuffix)));
    frame->setWindowTitle(title);
}

void CScatterPlotView::copyToClipboard()
{
    if (QClipboard* c = QApplication::clipboard())
        c->setImage(picture());
}

void CScatterPlotView::onUpdate(CDocObserver*, int hint)
{
    switch (hint) {
    case kHintNewData: clearPair(); break;
    case kHintScatterOptions:
    case kHintItemSelection:
    case kHintColorMapping:
    case kHintSelectionColor:
        renderWhenShown();
        break;
    case kHintScatterOptions2:
    case kHintResultsChanged: redraw(); break;
    default: break;
    }
}
