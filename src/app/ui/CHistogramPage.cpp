#include "app/ui/CHistogramPage.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/UpdateHints.h"
#include "app/ui/CColorSwatch.h"
#include "app/ui/DisplaySettings.h"

CHistogramPage::CHistogramPage(DisplaySettings& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    setObjectName("Control Plot");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Number of buckets", this), 0, 0);
    m_pBuckets = new QSlider(Qt::Horizontal, this);
    m_pBuckets->setRange(10, 200);
    m_pBuckets->setPageStep(10);
    m_pBuckets->setValue(m_settings.m_nBuckets);
    grid->addWidget(m_pBuckets, 0, 1);
    m_pBucketText = new QLabel(QString::number(m_settings.m_nBuckets), this);
    m_pBucketText->setMinimumWidth(30);
    grid->addWidget(m_pBucketText, 0, 2);
    grid->addWidget(new QLabel("Color of Histogram Bars", this), 1, 0);
    m_pSwatch = new CColorSwatch(this);
    m_pSwatch->setColor(m_settings.m_clrHistogramBars);
    grid->addWidget(m_pSwatch, 1, 1, Qt::AlignLeft);
    auto* change = new QPushButton("Change color", this);
    grid->addWidget(change, 1, 2);
    grid->setRowStretch(2, 1);

    connect(m_pBuckets, &QSlider::valueChanged, this, [this](int v) {
        m_settings.m_nBuckets = v;
        m_pBucketText->setNum(v);
        emit hint(kHintHistogramOptions);
    });
    connect(change, &QPushButton::clicked, this, [this] {
        QColor c = QColorDialog::getColor(m_settings.m_clrHistogramBars, this);
        if (c.isValid())
            applyBarColor(c);
    });
}

void CHistogramPage::applyBarColor(const QColor& c)
{
    if (c == m_settings.m_clrHistogramBars)
        return;
    m_settings.m_clrHistogramBars = c;
    m_pSwatch->setColor(c);
    emit hint(kHintHistogramOptions);
}
