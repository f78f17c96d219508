#pragma once
// A horizontal range slider with two thumbs that pick [low, high] within
// [minimum, maximum]; dragging the band between them moves both. Marker
// positions (fractions of the track) can be shown on the track.
#include <QColor>
#include <QVector>
#include <QWidget>

class CRubberSlider final : public QWidget {
    Q_OBJECT
public:
    explicit CRubberSlider(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);  // also resets low and high to the ends
    void setValues(int low, int high);
    int minimum() const { return m_nMin; }
    int maximum() const { return m_nMax; }
    int low() const { return m_nLow; }
    int high() const { return m_nHigh; }
    void setMarkers(const QVector<double>& fractions, const QColor& colour);
    const QVector<double>& markers() const { return m_markers; }
    QColor markerColor() const { return m_clrMarker; }

    // Track geometry, for tests: the x of a value and the value at an x.
    int xOfValue(double v) const;
    int valueAtX(int x) const;
    QSize sizeHint() const override { return {200, 16}; }

signals:
    void rangeChanged(int low, int high);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    enum class Part { None, Low, High, Band };
    QRect thumbRect(bool lowThumb) const;
    int trackLeft() const { return kThumb; }
    int trackRight() const { return width() - kThumb - 1; }
    static constexpr int kThumb = 8;
    int m_nMin = 0, m_nMax = 0, m_nLow = 0, m_nHigh = 0;
    Part m_drag = Part::None;
    int m_nGrabX = 0, m_nGrabLow = 0, m_nGrabHigh = 0;
    QVector<double> m_markers;
    QColor m_clrMarker{210, 105, 30};
};
