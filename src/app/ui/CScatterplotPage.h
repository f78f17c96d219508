#pragma once
#include <QWidget>

struct DisplaySettings;
class CColorSwatch;
class QRadioButton;
class QSlider;

// Page "Scatterplot" of the option sheet: marker size, shape, colour mode
// and static colour, and the outer margin, shared by every scatterplot
// view. Marker changes ask for hint 3013, the margin for hint 3014.
class CScatterplotPage final : public QWidget {
    Q_OBJECT
public:
    CScatterplotPage(DisplaySettings& settings, QWidget* parent = nullptr);
    QSlider* markerSizeSlider() const { return m_pSize; }
    QSlider* marginSlider() const { return m_pMargin; }
    // Stores a confirmed static colour and switches to "Static".
    void applyMarkerColor(const QColor& c);

signals:
    void hint(int hint);

private:
    DisplaySettings& m_settings;
    QSlider* m_pSize;
    QSlider* m_pMargin;
    QRadioButton* m_pStatic;
    CColorSwatch* m_pSwatch;
};
