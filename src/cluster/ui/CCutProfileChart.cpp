#include "cluster/ui/CCutProfileChart.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "app/ui/ViewImage.h"
#include "app/CArxDoc.h"
#include "cluster/Forest.h"

CCutProfileChart::CCutProfileChart(QWidget* parent) : QWidget(parent)
{
    // Tall enough for its four axes and legend to be read: a short dock
    // scrolls the tab rather than squeezing the chart to a strip.
    setMinimumHeight(kMinimumChartHeight);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    m_progressTimer.setInterval(200);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] {
        render();
        update();
    });
}

CCutProfileChart::~CCutProfileChart() { stop(); }

QColor CCutProfileChart::seriesColour(int series)
{
    // Colour-blind-safe: blue, orange, bluish green, reddish purple.
    switch (series) {
    case kSeriesClusters: return QColor(0, 114, 178);
    case kSeriesAlones: return QColor(230, 159, 0);
    case kSeriesFMeasure: return QColor(0, 158, 115);
    case kSeriesRatio: return QColor(204, 121, 167);
    default: return Qt::black;
    }
}

void CCutProfileChart::onUpdate(CDocObserver*, int hint)
{
    switch (hint) {
    case kHintNewData:
    case kHintResultsChanged:
    case kHintDirectionSwitched: restart(); break;
    case kHintMinSimilarity:
        render();
        update();
        break;
    default: break;
    }
}

void CCutProfileChart::stop()
{
    if (m_pCancel)
        m_pCancel->store(true);
    if (m_worker.joinable())
        m_worker.join();
    m_progressTimer.stop();
    m_bRunning = false;
}

void CCutProfileChart::restart()
{
    stop();
    ++m_nGeneration;
    m_bHaveResult = false;
    m_profile.clear();
    m_bClustered = false;
    m_bClasses = false;
    CArxDoc* d = doc();
    const CForest* forest = nullptr;
    if (d && d->m_bDataLoaded)
        forest = d->overviewShowsRows() ? d->m_pRowForest : d->m_pColForest;
    if (forest && forest->hasTree()) {
        m_bClustered = true;
        m_bClasses = forest->m_bHasClasses;
        auto input = std::make_shared<CutProfileInput>(
            cutProfileInput(*forest, kSteps, d->m_run[0].m_bCentered, d->m_run[0].m_bAbsolute));
        m_pCancel = std::make_shared<std::atomic<bool>>(false);
        m_pProgress = std::make_shared<std::atomic<double>>(0.0);
        m_bRunning = true;
        m_worker = std::thread([this, input, cancel = m_pCancel, progress = m_pProgress,
                                cancelledCount = m_pCancelledCount, generation = m_nGeneration] {
            auto result = computeCutProfile(*input, cancel.get(), [&](double done) { progress->store(done); });
            if (!result)
                ++*cancelledCount;
            // The chart joins this thread before it goes away, so it is
            // still there to take the result.
            QMetaObject::invokeMethod(
                this, [this, generation, r = std::move(result)]() mutable { finished(generation, std::move(r)); },
                Qt::QueuedConnection);
        });
        m_progressTimer.start();
    }
    render();
    update();
}

void CCutProfileChart::finished(int generation, std::optional<std::vector<CutProfileStep>> result)
{
    if (generation != m_nGeneration)
        return;  // a newer computation has started
    m_progressTimer.stop();
    m_bRunning = false;
    if (result) {
        m_profile = std::move(*result);
        m_axes = profileAxes(m_profile);
        m_bHaveResult = true;
    }
    render();
    update();
    if (m_bHaveResult)
        emit profileReady();
}

float CCutProfileChart::similarityForClick(int x) const
{
    const int step = std::clamp(stepNearestX(m_layout, x, kSteps), 1, kSteps - 1);
    return profileStepSimilarity(step, kSteps);
}

void CCutProfileChart::resizeEvent(QResizeEvent*)
{
    render();
}

void CCutProfileChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (viewImageStale(m_image, this, size()))
        render();
    p.drawImage(0, 0, m_image);
}

void CCutProfileChart::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_bHaveResult || !m_layout.valid() || !m_moveBar)
        return;
    const QPoint pt = e->position().toPoint();
    if (pt.x() < m_layout.left - 3 || pt.x() > m_layout.right + 3 || pt.y() < m_layout.top || pt.y() > m_layout.bottom)
        return;
    m_moveBar(similarityForClick(pt.x()));
    render();
    update();
}

void CCutProfileChart::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (!m_bHaveResult || !m_layout.valid() || pt.x() < m_layout.left - 3 || pt.x() > m_layout.right + 3 ||
        pt.y() < m_layout.top || pt.y() > m_layout.bottom) {
        QToolTip::hideText();
        return;
    }
    const int k = stepNearestX(m_layout, pt.x(), kSteps);
    if (k < 0 || static_cast<size_t>(k) >= m_profile.size())
        return;
    const CutProfileStep& s = m_profile[static_cast<size_t>(k)];
    QString tip = QString::asprintf("Minimum similarity %4.3f\n%d clusters, %d alones", static_cast<double>(s.minSimilarity),
                                    s.evaluation.clusters, s.alones);
    tip += s.fMeasure ? QString::asprintf("\nF-measure %.3f", *s.fMeasure) : QString();
    tip += QString("\nWithin/between ") +
           (s.evaluation.ratio ? QString::asprintf("%.4f", *s.evaluation.ratio) : QString("N/A"));
    QToolTip::showText(e->globalPosition().toPoint(), tip, this);
}

void CCutProfileChart::render()
{
    fitViewImage(m_image, this, size());
    m_image.fill(palette().color(QPalette::Base));
    QPainter p(&m_image);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(font());
    const int labelWidth = std::max(fm.horizontalAdvance("00000"), fm.horizontalAdvance("0.00"));
    m_layout = profileChartLayout(width(), height(), fm.height(), labelWidth, m_bClasses);
    p.setPen(palette().color(QPalette::Text));
    const QRect all(0, 0, width(), height());
    if (!m_bClustered) {
        p.drawText(all, Qt::AlignCenter | Qt::TextWordWrap, "Cut profile: cluster the data first");
        return;
    }
    if (!m_bHaveResult) {
        const double done = m_pProgress ? m_pProgress->load() : 0.0;
        p.drawText(all, Qt::AlignCenter | Qt::TextWordWrap,
                   QString::asprintf("Computing the cut profile... %d%%", static_cast<int>(done * 100)));
        return;
    }
    if (m_layout.valid())
        drawChart(p);
}

void CCutProfileChart::drawChart(QPainter& p)
{
    const ProfileChartLayout& l = m_layout;
    const QFontMetrics fm(font());
    const QColor text = palette().color(QPalette::Text);
    const QColor grid(225, 225, 225);

    // Legend: two rows of two entries.
    const int entryWidth = (l.width - 8) / 2;
    int entry = 0;
    for (int s = 0; s < kSeriesCount; ++s) {
        if (l.axisX[s] < 0)
            continue;
        const int x = 4 + (entry % 2) * entryWidth, y = l.legendTop + (entry / 2) * l.legendRowHeight;
        const int mid = y + l.legendRowHeight / 2;
        p.setPen(QPen(seriesColour(s), 2));
        p.drawLine(x, mid, x + 18, mid);
        p.setPen(text);
        p.drawText(QRect(x + 22, y, entryWidth - 24, l.legendRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   profileSeriesName(s));
        ++entry;
    }

    // Grid and the similarity axis.
    p.setPen(QPen(grid, 1));
    for (int i = 0; i <= 4; ++i) {
        const double y = l.bottom - i * (l.bottom - l.top) / 4.0;
        p.drawLine(QPointF(l.left, y), QPointF(l.right, y));
    }
    p.setPen(QPen(QColor(160, 160, 160), 1));
    p.drawRect(QRectF(l.left, l.top, l.right - l.left, l.bottom - l.top));
    p.setPen(text);
    // Labels every 0.2, or every 0.5 when that would crowd them.
    const int labelEvery = l.right - l.left < 6 * fm.horizontalAdvance("0.0 ") ? 5 : 2;
    for (int i = 0; i <= 10; ++i) {
        const double x = xOfSimilarity(l, i / 10.0);
        p.drawLine(QPointF(x, l.bottom), QPointF(x, l.bottom + 3));
        if (i % labelEvery == 0) {
            const QString label = QString::number(i / 10.0, 'g', 2);
            const int w = fm.horizontalAdvance(label);
            p.drawText(QPointF(x - w / 2.0, l.xLabelsTop + fm.ascent()), label);
        }
    }
    p.drawText(QRect(l.left, l.xLabelsTop + fm.height(), l.right - l.left, fm.height()), Qt::AlignCenter,
               "Minimum similarity");

    // One axis per series: its line, ticks at the quarters, labels at the
    // ends and the middle, in the series' colour.
    for (int s = 0; s < kSeriesCount; ++s) {
        if (l.axisX[s] < 0)
            continue;
        const QColor c = seriesColour(s);
        p.setPen(QPen(c, 1));
        p.drawLine(QPointF(l.axisX[s], l.top), QPointF(l.axisX[s], l.bottom));
        for (int i = 0; i <= 4; ++i) {
            const double y = l.bottom - i * (l.bottom - l.top) / 4.0;
            const double tick = l.axisOnLeft[s] ? -3 : 3;
            p.drawLine(QPointF(l.axisX[s], y), QPointF(l.axisX[s] + tick, y));
            if (i % 2 != 0)
                continue;
            const QString label = QString::fromStdString(profileAxisLabel(s, m_axes.top[s] * i / 4.0));
            const int w = fm.horizontalAdvance(label);
            const double x = l.axisOnLeft[s] ? l.axisX[s] - 4 - w : l.axisX[s] + 4;
            const double base = std::clamp(y + fm.ascent() / 2.0 - 1, static_cast<double>(l.top - 2 + fm.ascent()),
                                           static_cast<double>(l.bottom + fm.ascent() - 1));
            p.drawText(QPointF(x, base), label);
        }
    }

    // The lines; a series is broken where it is not available.
    for (int s = 0; s < kSeriesCount; ++s) {
        if (l.axisX[s] < 0)
            continue;
        QPainterPath path;
        bool open = false;
        for (const CutProfileStep& step : m_profile) {
            double v = 0.0;
            if (!profileValue(step, s, v)) {
                open = false;
                continue;
            }
            const QPointF pt(xOfSimilarity(l, step.minSimilarity), yOfValue(l, v, 0.0, m_axes.top[s]));
            if (open)
                path.lineTo(pt);
            else
                path.moveTo(pt);
            open = true;
        }
        p.setPen(QPen(seriesColour(s), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }

    // The bar's position.
    if (m_minSimilarity) {
        const double s = m_minSimilarity();
        const double x = xOfSimilarity(l, s);
        p.setPen(QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
        p.drawLine(QPointF(x, l.top), QPointF(x, l.bottom));
        const QString label = QString::asprintf("%4.3f", s);
        const int w = fm.horizontalAdvance(label);
        const double lx = std::clamp(x - w / 2.0, static_cast<double>(l.left), static_cast<double>(l.right - w));
        p.setPen(QColor(200, 0, 0));
        p.drawText(QPointF(lx, l.top - 3), label);
    }
}
