#include "app/ui/CDynamicControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "data/ColorMapping.h"
#include "app/ui/DisplaySettings.h"

namespace {
QColor qcolorOf(Rgb c) { return QColor(c.r, c.g, c.b); }

// A swatch of a scheme: low, middle and high side by side.
QIcon schemeIcon(const ColorScheme& s)
{
    QPixmap pm(48, 14);
    QPainter p(&pm);
    int w = pm.width() / 3;
    p.fillRect(0, 0, w, pm.height(), qcolorOf(s.low));
    p.fillRect(w, 0, w, pm.height(), qcolorOf(s.middle));
    p.fillRect(2 * w, 0, pm.width() - 2 * w, pm.height(), qcolorOf(s.high));
    p.setPen(Qt::gray);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    return QIcon(pm);
}
} // namespace

CDynamicControl::CDynamicControl(DisplaySettings& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    setObjectName("Control");
    auto* layout = new QVBoxLayout(this);

    m_pMapping = new QGroupBox("Color Mapping", this);
    m_pMappingLayout = new QVBoxLayout(m_pMapping);
    auto* modeRow = new QHBoxLayout;
    m_pThree = new QRadioButton("3 Colors", m_pMapping);
    m_pOne = new QRadioButton("1 Color", m_pMapping);
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_pThree);
    modes->addButton(m_pOne);
    (m_settings.m_bThreeColors ? m_pThree : m_pOne)->setChecked(true);
    modeRow->addWidget(m_pThree);
    modeRow->addWidget(m_pOne);
    m_pScheme = new QComboBox(m_pMapping);
    m_pScheme->setIconSize(QSize(48, 14));
    for (size_t i = 0; i < kColorSchemes.size(); ++i)
        m_pScheme->addItem(schemeIcon(kColorSchemes[i]), QString::number(static_cast<int>(i) + 1));
    m_pScheme->setCurrentIndex(m_settings.m_nColorScheme);
    modeRow->addWidget(m_pScheme);
    m_pMappingLayout->addLayout(modeRow);
    layout->addWidget(m_pMapping);

    auto* heightRow = new QHBoxLayout;
    heightRow->addWidget(new QLabel("Adjust Bar Height", this));
    m_pBarHeight = new QSlider(Qt::Horizontal, this);
    m_pBarHeight->setRange(0, 100);
    m_pBarHeight->setPageStep(10);
    m_pBarHeight->setValue(m_settings.m_nBarHeight);
    heightRow->addWidget(m_pBarHeight);
    layout->addLayout(heightRow);

    addFlag(layout, "Show Min Similarity Bar", &m_settings.m_bShowMinSimBar);
    addFlag(layout, "Show Detail Similarity Bar", &m_settings.m_bShowDetailSimBar);
    addFlag(layout, "Show Clustering Information", &m_settings.m_bShowClusterInfo);
    addFlag(layout, "Show Color Scale Bar", &m_settings.m_bShowColorScale);
    m_pItemNames = addFlag(layout, "Show Item Names", &m_settings.m_bShowItemNames);
    m_pMarkerColor = new QPushButton("Change Selection Marker Color", this);
    layout->addWidget(m_pMarkerColor);
    addFlag(layout, "Enable Mouse Move Update", &m_settings.m_bMouseMoveUpdate);
    layout->addStretch(1);

    connect(m_pThree, &QRadioButton::toggled, this, [this](bool on) {
        m_settings.m_bThreeColors = on;
        emit colorModeChanged(on);
        if (m_bDataLoaded)
            emit hint(kHintColorMapping);
    });
    connect(m_pScheme, &QComboBox::activated, this, [this](int index) {
        m_settings.m_nColorScheme = index;
        emit schemeChanged(index + 1);
        emit hint(kHintColorMapping);
    });
    // The mosaic height follows page steps and the dragged thumb, not line steps.
    connect(m_pBarHeight, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub ||
            action == QAbstractSlider::SliderMove) {
            m_settings.m_nBarHeight = m_pBarHeight->sliderPosition();
            emit hint(kHintMosaicHeight);
        }
    });
    connect(m_pBarHeight, &QSlider::valueChanged, this, [this](int v) { m_settings.m_nBarHeight = v; });
    connect(m_pMarkerColor, &QPushButton::clicked, this, &CDynamicControl::selectionColorRequested);
    setDataLoaded(false);
}

QCheckBox* CDynamicControl::addFlag(QVBoxLayout* layout, const QString& text, bool* flag)
{
    auto* box = new QCheckBox(text, this);
    box->setChecked(*flag);
    layout->addWidget(box);
    m_flags.push_back(box);
    connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
        *flag = on;
        emit hint(0);
    });
    return box;
}

QCheckBox* CDynamicControl::checkBox(const QString& text) const
{
    for (QCheckBox* b : m_flags)
        if (b->text() == text)
            return b;
    return nullptr;
}

void CDynamicControl::setDataLoaded(bool loaded)
{
    m_bDataLoaded = loaded;
    // The group itself stays usable: the scheme box can be set before loading.
    m_pThree->setEnabled(loaded);
    m_pOne->setEnabled(loaded);
    if (m_pBar)
        m_pBar->setEnabled(loaded);
    for (QCheckBox* b : m_flags)
        b->setEnabled(loaded && (b != m_pItemNames || m_bItemNamesAvailable));
    m_pMarkerColor->setEnabled(true);
}

void CDynamicControl::setItemNamesAvailable(bool available)
{
    m_bItemNamesAvailable = available;
    m_pItemNames->setEnabled(m_bDataLoaded && available);
}

void CDynamicControl::setColorMappingBar(QWidget* bar)
{
    delete m_pBar;
    m_pBar = bar;
    if (bar) {
        bar->setParent(m_pMapping);
        m_pMappingLayout->insertWidget(0, bar);
        bar->setEnabled(m_bDataLoaded);
    }
}

void CDynamicControl::onUpdate(CDocObserver*, int hint)
{
    if (hint == kHintNewData)
        setDataLoaded(false);
}
