#include "app/ui/CScatterplotPage.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/UpdateHints.h"
#include "app/ui/CColorSwatch.h"
#include "app/ui/DisplaySettings.h"

CScatterplotPage::CScatterplotPage(DisplaySettings& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    setObjectName("Scatterplot");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Marker Size", this), 0, 0);
    m_pSize = new QSlider(Qt::Horizontal, this);
    m_pSize->setRange(1, 10);
    m_pSize->setPageStep(2);
    m_pSize->setValue(m_settings.m_nMarkerSize);
    grid->addWidget(m_pSize, 0, 1, 1, 2);

    auto* shape = new QGroupBox(this);
    auto* shapeRow = new QHBoxLayout(shape);
    auto* square = new QRadioButton("Square", shape);
    auto* circle = new QRadioButton("Circle", shape);
    (m_settings.m_bCircleMarker ? circle : square)->setChecked(true);
    shapeRow->addWidget(square);
    shapeRow->addWidget(circle);
    grid->addWidget(shape, 1, 0, 1, 3);

    auto* colour = new QGroupBox(this);
    auto* colourRow = new QHBoxLayout(colour);
    auto* dynamic = new QRadioButton("Dynamic", colour);
    m_pStatic = new QRadioButton("Static", colour);
    (m_settings.m_bStaticMarkerColor ? m_pStatic : dynamic)->setChecked(true);
    m_pSwatch = new CColorSwatch(colour);
    m_pSwatch->setColor(m_settings.m_clrMarker);
    auto* change = new QPushButton("Change", colour);
    colourRow->addWidget(dynamic);
    colourRow->addWidget(m_pStatic);
    colourRow->addWidget(m_pSwatch);
    colourRow->addWidget(change);
    grid->addWidget(colour, 2, 0, 1, 3);

    grid->addWidget(new QLabel("Margin", this), 3, 0);
    m_pMargin = new QSlider(Qt::Horizontal, this);
    m_pMargin->setRange(0, 20);
    m_pMargin->setPageStep(2);
    m_pMargin->setValue(m_settings.m_nMargin);
    grid->addWidget(m_pMargin, 3, 1, 1, 2);
    grid->setRowStretch(4, 1);

    connect(m_pSize, &QSlider::valueChanged, this, [this](int v) {
        m_settings.m_nMarkerSize = v;
        emit hint(kHintScatterOptions);
    });
    connect(circle, &QRadioButton::toggled, this, [this](bool on) {
        m_settings.m_bCircleMarker = on;
        emit hint(kHintScatterOptions);
    });
    connect(m_pStatic, &QRadioButton::toggled, this, [this](bool on) {
        m_settings.m_bStaticMarkerColor = on;
        emit hint(kHintScatterOptions);
    });
    connect(change, &QPushButton::clicked, this, [this] {
        QColor c = QColorDialog::getColor(m_settings.m_clrMarker, this);
        if (c.isValid())
            applyMarkerColor(c);
    });
    connect(m_pMargin, &QSlider::valueChanged, this, [this](int v) {
        m_settings.m_nMargin = v;
        emit hint(kHintScatterOptions2);
    });
}

void CScatterplotPage::applyMarkerColor(const QColor& c)
{
    if (c == m_settings.m_clrMarker)
        return;
    m_settings.m_clrMarker = c;
    m_pSwatch->setColor(c);
    if (!m_pStatic->isChecked())
        m_pStatic->setChecked(true);  // toggled() stores the mode and asks for the hint
    else
        emit hint(kHintScatterOptions);
}
