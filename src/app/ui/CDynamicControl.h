#pragma once
#include <QWidget>

#include "app/UpdateHints.h"

struct DisplaySettings;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSlider;
class QVBoxLayout;

// The Control tab's panel: the "Color Mapping" group with the colour
// mapping bar, the colour mode and scheme, the mosaic bar height, the
// overview's display flags, the selection marker colour and the mouse move
// update. Its controls write the shared display settings; what the views
// must redo is told through hint(). Everything but the bar height slider
// and the scheme box is disabled while no data is loaded.
class CDynamicControl final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    CDynamicControl(DisplaySettings& settings, QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    void setDataLoaded(bool loaded);
    // The colour mapping bar goes into the "Color Mapping" group.
    void setColorMappingBar(QWidget* bar);
    // "Show Item Names" is available while the overview's leaf spacing is at
    // least 8 pixels.
    void setItemNamesAvailable(bool available);

    QCheckBox* checkBox(const QString& text) const;
    QSlider* barHeightSlider() const { return m_pBarHeight; }
    QComboBox* schemeBox() const { return m_pScheme; }

signals:
    // A change the views must follow (3009, 3010, or 0 for a display flag
    // that only needs a redraw of the overviews).
    void hint(int hint);
    void colorModeChanged(bool threeColors);
    void schemeChanged(int scheme);  // 1..7
    void selectionColorRequested();

private:
    QCheckBox* addFlag(QVBoxLayout* layout, const QString& text, bool* flag);
    DisplaySettings& m_settings;
    bool m_bDataLoaded = false;
    bool m_bItemNamesAvailable = false;
    QGroupBox* m_pMapping;
    QVBoxLayout* m_pMappingLayout;
    QWidget* m_pBar = nullptr;
    QRadioButton* m_pThree;
    QRadioButton* m_pOne;
    QComboBox* m_pScheme;
    QSlider* m_pBarHeight;
    QPushButton* m_pMarkerColor;
    std::vector<QCheckBox*> m_flags;
    QCheckBox* m_pItemNames = nullptr;
};
