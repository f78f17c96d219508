#pragma once
#include <QWidget>

struct DisplaySettings;
class CColorSwatch;
class QSlider;
class QLabel;

// Page "Control Plot" of the option sheet: the number of buckets (10 to
// 200) and the colour of the histogram bars, shared by every control plot
// view. Each change asks for hint 3015.
class CHistogramPage final : public QWidget {
    Q_OBJECT
public:
    CHistogramPage(DisplaySettings& settings, QWidget* parent = nullptr);
    QSlider* bucketSlider() const { return m_pBuckets; }
    // Stores a confirmed colour (what "Change color" does after the chooser).
    void applyBarColor(const QColor& c);

signals:
    void hint(int hint);

private:
    DisplaySettings& m_settings;
    QSlider* m_pBuckets;
    QLabel* m_pBucketText;
    CColorSwatch* m_pSwatch;
};
