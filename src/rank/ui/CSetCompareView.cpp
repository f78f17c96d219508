#include "rank/ui/CSetCompareView.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <iterator>

#include "app/ui/ViewImage.h"
#include "cluster/Evaluation.h"
#include "platform/Format.h"

namespace {
// The canvas only shows the view's image.
class Canvas final : public QWidget {
public:
    Canvas(const QImage& image, std::function<void()> render, QWidget* parent)
        : QWidget(parent), m_image(image), m_render(std::move(render))
    {
        setMinimumSize(160, 90);
    }
    void paintEvent(QPaintEvent*) override
    {
        if (viewImageStale(m_image, this, size()))
            m_render();
        QPainter p(this);
        p.drawImage(0, 0, m_image);
    }

private:
    const QImage& m_image;
    std::function<void()> m_render;
};
} // namespace

CSetCompareView::CSetCompareView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pCanvas = new Canvas(m_image, [this] { render(); }, this);
    layout->addWidget(m_pCanvas, 1);
    auto* sliders = new QGridLayout;
    m_pFirstLabel = new QLabel(this);
    m_pSecondLabel = new QLabel(this);
    m_pFirstSlider = new QSlider(Qt::Horizontal, this);
    m_pSecondSlider = new QSlider(Qt::Horizontal, this);
    sliders->addWidget(m_pFirstLabel, 0, 0);
    sliders->addWidget(m_pFirstSlider, 0, 1);
    sliders->addWidget(m_pSecondLabel, 1, 0);
    sliders->addWidget(m_pSecondSlider, 1, 1);
    layout->addLayout(sliders);
    connect(m_pFirstSlider, &QSlider::valueChanged, this, [this](int v) {
        setPair(v, m_nSecond);
        emit pairChanged(m_nFirst, m_nSecond);
    });
    connect(m_pSecondSlider, &QSlider::valueChanged, this, [this](int v) {
        setPair(m_nFirst, v);
        emit pairChanged(m_nFirst, m_nSecond);
    });
    clear();
}

void CSetCompareView::setClusters(std::vector<std::vector<int>> first, std::vector<std::vector<int>> second)
{
    m_first = std::move(first);
    m_second = std::move(second);
    for (auto& c : m_first)
        std::sort(c.begin(), c.end());
    for (auto& c : m_second)
        std::sort(c.begin(), c.end());
    {
        const QSignalBlocker b1(m_pFirstSlider), b2(m_pSecondSlider);
        m_pFirstSlider->setRange(0, std::max(0, static_cast<int>(m_first.size()) - 1));
        m_pSecondSlider->setRange(0, std::max(0, static_cast<int>(m_second.size()) - 1));
    }
    m_pFirstSlider->setEnabled(!m_first.empty());
    m_pSecondSlider->setEnabled(!m_second.empty());
    setPair(m_first.empty() ? -1 : 0, m_second.empty() ? -1 : 0);
}

QString CSetCompareView::firstLabel() const
{
    return QString::fromStdString(strFormat("Row Cluster %d", std::max(0, m_nFirst)));
}

QString CSetCompareView::secondLabel() const
{
    return QString::fromStdString(strFormat("Column Cluster %d", std::max(0, m_nSecond)));
}

void CSetCompareView::setPair(int first, int second)
{
    m_nFirst = first >= 0 && first < static_cast<int>(m_first.size()) ? first : (m_first.empty() ? -1 : 0);
    m_nSecond = second >= 0 && second < static_cast<int>(m_second.size()) ? second : (m_second.empty() ? -1 : 0);
    {
        const QSignalBlocker b1(m_pFirstSlider), b2(m_pSecondSlider);
        m_pFirstSlider->setValue(std::max(0, m_nFirst));
        m_pSecondSlider->setValue(std::max(0, m_nSecond));
    }
    m_pFirstLabel->setText(firstLabel());
    m_pSecondLabel->setText(secondLabel());
    recount();
    render();
}

void CSetCompareView::recount()
{
    m_nShared = 0;
    if (m_nFirst < 0 || m_nSecond < 0)
        return;
    const auto& a = m_first[static_cast<size_t>(m_nFirst)];
    const auto& b = m_second[static_cast<size_t>(m_nSecond)];
    std::vector<int> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    m_nShared = static_cast<int>(both.size());
}

void CSetCompareView::render()
{
    const QSize size = m_pCanvas->size().expandedTo(QSize(1, 1));
    fitViewImage(m_image, m_pCanvas, size);
    m_image.fill(Qt::white);
    if (m_nFirst < 0 || m_nSecond < 0) {
        m_pCanvas->update();
        return;
    }
    const int a = static_cast<int>(m_first[static_cast<size_t>(m_nFirst)].size());
    const int b = static_cast<int>(m_second[static_cast<size_t>(m_nSecond)].size());
    const int s = m_nShared;
    const int total = a + b - s;
    QPainter p(&m_image);
    QFont font("Arial");
    font.setPixelSize(11);
    p.setFont(font);
    // Two bars along one scale of total items, overlapping by the shared ones.
    const int left = 10, right = size.width() - 10;
    const double unit = total > 0 ? static_cast<double>(right - left) / total : 0.0;
    const int barHeight = std::max(8, std::min(24, size.height() / 6));
    const QRectF first(left, 8, unit * a, barHeight);
    const QRectF second(left + unit * (a - s), 8 + barHeight * 0.6, unit * b, barHeight);
    p.fillRect(first, QColor(100, 140, 230));
    p.fillRect(second, QColor(230, 110, 100));
    p.fillRect(first.intersected(second), QColor(150, 80, 170));
    p.setPen(Qt::black);
    double precision = 0.0, recall = 0.0;
    const double f = clusterPairFMeasure(s, a, b, &precision, &recall);
    const QStringList lines{
        QString::fromStdString(strFormat("Row Cluster %d: %d items", m_nFirst, a)),
        QString::fromStdString(strFormat("Col Cluster %d: %d items", m_nSecond, b)),
        QString::fromStdString(strFormat("Shared: %d", s)),
        QString::fromStdString(strFormat("P = %.3f   R = %.3f   F = %.3f", precision, recall, f))};
    int y = 8 + static_cast<int>(barHeight * 1.6) + 16;
    for (const QString& line : lines) {
        p.drawText(left, y, line);
        y += 15;
    }
    m_pCanvas->update();
}

void CSetCompareView::paintEvent(QPaintEvent*) {}

void CSetCompareView::resizeEvent(QResizeEvent*) { m_pCanvas->update(); }
