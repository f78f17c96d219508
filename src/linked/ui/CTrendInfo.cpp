#include "linked/ui/CTrendInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CArxDoc.h"
#include "app/ui/CRubberSlider.h"
#include "data/DataMatrix.h"
#include "linked/ui/CTrendView.h"

CTrendInfo::CTrendInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName("CTrendInfo");
    m_pView = new CTrendView(m_search, this);

    auto* controls = new QVBoxLayout;
    controls->addWidget(new QLabel("Search Methods :", this));
    m_pMethod = new QComboBox(this);
    m_pMethod->addItems({"Model-based", "Ceil & Floor", "Search by Name"});
    controls->addWidget(m_pMethod);

    m_pMeasureLabel = new QLabel("Distance Measure :", this);
    controls->addWidget(m_pMeasureLabel);
    m_pMeasure = new QComboBox(this);
    m_pMeasure->addItems({"Pearson's r", "Euclidean", "Absolute"});
    controls->addWidget(m_pMeasure);
    m_pThresholdLabel = new QLabel("Thresholds", this);
    controls->addWidget(m_pThresholdLabel);
    m_pSlider = new CRubberSlider(this);
    m_pSlider->setRange(0, kSliderLength);
    // Similarities run left to right: the thumbs sit at 0.80 and 1.00.
    m_pSlider->setValues(80, kSliderLength);
    controls->addWidget(m_pSlider);
    m_pBounds = new QLabel(this);
    controls->addWidget(m_pBounds);

    auto* ceilRow = new QHBoxLayout;
    m_pClearAll = new QPushButton("Clear ALL", this);
    m_pDelete = new QPushButton("Delete", this);
    m_pDelete->setCheckable(true);
    ceilRow->addWidget(m_pClearAll);
    ceilRow->addWidget(m_pDelete);
    controls->addLayout(ceilRow);
    m_pHint = new QLabel("Left Button : Ceiling\nRight Button: Floor", this);
    controls->addWidget(m_pHint);

    m_pNameLabel = new QLabel("Enter a name of item", this);
    controls->addWidget(m_pNameLabel);
    m_pName = new QLineEdit(this);
    controls->addWidget(m_pName);
    auto* nameRow = new QHBoxLayout;
    m_pFind = new QPushButton("Find it!", this);
    m_pIncremental = new QCheckBox("Incremental Search", this);
    nameRow->addWidget(m_pFind);
    nameRow->addWidget(m_pIncremental);
    controls->addLayout(nameRow);

    controls->addStretch(1);
    m_pSilhouette = new QCheckBox("show silhouette", this);
    m_pSilhouette->setChecked(true);
    controls->addWidget(m_pSilhouette);
    m_pPin = new QPushButton("Pin This Result", this);
    m_pConsiderAll = new QPushButton("Consider All Profiles", this);
    controls->addWidget(m_pPin);
    controls->addWidget(m_pConsiderAll);

    auto* left = new QWidget(this);
    left->setLayout(controls);
    left->setFixedWidth(190);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(left);
    layout->addWidget(m_pView, 1);

    connect(m_pMethod, &QComboBox::currentIndexChanged, this, &CTrendInfo::onMethodChanged);
    connect(m_pMeasure, &QComboBox::currentIndexChanged, this, [this](int measure) {
        // Similarities grow to the right, Absolute's distances too: between
        // the two the thumbs are mirrored, so that the items near the model
        // stay the ones picked.
        const bool wasAbsolute = m_search.measure() == kTrendAbsolute;
        m_search.setMeasure(measure);
        if (wasAbsolute != (measure == kTrendAbsolute)) {
            const QSignalBlocker block(m_pSlider);
            m_pSlider->setValues(kSliderLength - m_pSlider->high(), kSliderLength - m_pSlider->low());
        }
        showBounds();
        if (m_search.hasModel())
            runSearch();
    });
    connect(m_pSlider, &CRubberSlider::rangeChanged, this, [this] {
        showBounds();
        if (m_pMethod->currentIndex() == kTrendModel && m_search.hasModel())
            runSearch();
    });
    connect(m_pClearAll, &QPushButton::clicked, this, [this] {
        m_search.clearConstraints();
        runSearch();
    });
    connect(m_pDelete, &QPushButton::toggled, m_pView, &CTrendView::setRemovalMode);
    connect(m_pView, &CTrendView::removalModeToggled, this, [this](bool on) {
        const QSignalBlocker block(m_pDelete);
        m_pDelete->setChecked(on);
    });
    connect(m_pFind, &QPushButton::clicked, this, &CTrendInfo::runSearch);
    connect(m_pName, &QLineEdit::returnPressed, this, &CTrendInfo::runSearch);
    connect(m_pName, &QLineEdit::textEdited, this, [this] {
        if (m_pIncremental->isChecked())
            runSearch();
    });
    connect(m_pSilhouette, &QCheckBox::toggled, m_pView, &CTrendView::setSilhouette);
    connect(m_pPin, &QPushButton::clicked, this, [this] {
        if (m_search.pin()) {
            updateButtons();
            m_pView->refresh();
        }
    });
    connect(m_pConsiderAll, &QPushButton::clicked, this, [this] {
        m_search.considerAll();
        updateButtons();
        m_pView->refresh();
    });
    connect(m_pView, &CTrendView::modelEdited, this, [this] {
        if (m_pMethod->currentIndex() != kTrendModel)
            return;
        runSearch();
    });
    connect(m_pView, &CTrendView::constraintsEdited, this, &CTrendInfo::runSearch);
    connect(m_pView, &CTrendView::makeModelRequested, this, &CTrendInfo::makeModel);
    connect(m_pView, &CTrendView::hoverChanged, this, [this](int row) {
        if (CArxDoc* d = doc(); d && d->m_bDataLoaded)
            d->setCurrentItem(row < 0 ? -1 : d->itemOfRow(row), this);
    });
    onMethodChanged(kTrendModel);
    showBounds();
}

void CTrendInfo::setDocumentSource(std::function<CArxDoc*()> source)
{
    m_docSource = source;
    m_pView->setDocumentSource(std::move(source));
}

void CTrendInfo::onMethodChanged(int method)
{
    const bool model = method == kTrendModel, ceil = method == kTrendCeilFloor, name = method == kTrendName;
    for (QWidget* w : std::initializer_list<QWidget*>{m_pMeasureLabel, m_pMeasure, m_pThresholdLabel, m_pSlider, m_pBounds})
        w->setVisible(model);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pClearAll, m_pDelete, m_pHint})
        w->setVisible(ceil);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pNameLabel, m_pName, m_pFind, m_pIncremental})
        w->setVisible(name);
    if (!ceil)
        m_pDelete->setChecked(false);
    m_pView->setMethod(method);
}

void CTrendInfo::thresholds(double& lo, double& hi) const
{
    const double p1 = m_pSlider->low(), p2 = m_pSlider->high();
    const double length = std::max(1, m_pSlider->maximum() - m_pSlider->minimum());
    if (m_search.measure() == kTrendAbsolute) {
        const TrendMapping map = m_pView->mapping();
        lo = map.valueDistance(p1 / length * map.plotHeight());
        hi = map.valueDistance(p2 / length * map.plotHeight());
    } else {
        lo = p1 / length;
        hi = p2 / length;
    }
}

// The bounds under the slider: similarities, or the Absolute band's
// distances in values.
void CTrendInfo::showBounds()
{
    double lo, hi;
    thresholds(lo, hi);
    m_pBounds->setText(QString::asprintf(m_search.measure() == kTrendAbsolute ? "distance %.2f to %.2f" : "%.2f to %.2f", lo, hi));
}

void CTrendInfo::runSearch()
{
    if (!m_search.data())
        return;
    switch (m_pMethod->currentIndex()) {
    case kTrendModel: {
        double lo, hi;
        thresholds(lo, hi);
        m_search.searchModel(lo, hi);
        break;
    }
    case kTrendCeilFloor:
        m_search.searchCeilFloor();
        break;
    default: {
        const bool busy = !m_pName->text().isEmpty();
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_search.searchName(m_pName->text().toStdString());
        if (busy)
            QGuiApplication::restoreOverrideCursor();
        break;
    }
    }
    publish();
}

void CTrendInfo::makeModel(int row)
{
    if (!m_search.data() || row < 0 || row >= m_search.itemCount())
        return;
    m_pMethod->setCurrentIndex(kTrendModel);
    m_search.setModelFromItem(row);
    runSearch();
}

void CTrendInfo::publish()
{
    if (CArxDoc* d = doc(); d && d->m_bDataLoaded) {
        std::vector<int> items;
        for (int r : m_search.matchedRows()) {
            const int item = d->itemOfRow(r);
            items.push_back(item >= 0 ? item : r);
        }
        std::sort(items.begin(), items.end());
        d->setItemSelection(std::move(items), this);
    }
    updateButtons();
    m_pView->refresh();
}

void CTrendInfo::updateButtons()
{
    m_pPin->setEnabled(m_search.matchedCount() > 0);
    m_pConsiderAll->setEnabled(m_search.pinned());
}

void CTrendInfo::reset(bool keepModel)
{
    CArxDoc* d = doc();
    const DataMatrix* data = d && d->m_bDataLoaded ? d->data() : nullptr;
    if (data && data == m_pShownData && data->rowCount() == m_nShownRows) {
        // Clustering again: the same items; re-apply the search.
        if (keepModel && (m_search.hasModel() || m_search.hasConstraints() || !m_pName->text().isEmpty()))
            runSearch();
        updateButtons();
        m_pView->refresh();
        return;
    }
    const std::vector<float> model = m_search.model();
    m_search.setData(data);
    m_search.setMeasure(m_pMeasure->currentIndex());
    if (keepModel && data && static_cast<int>(model.size()) == m_search.variableCount())
        m_search.setModel(model);
    m_pShownData = data;
    m_nShownRows = data ? data->rowCount() : -1;
    m_pView->setHoveredRow(-1);
    showBounds();
    if (data && m_search.hasModel())
        runSearch();
    updateButtons();
    m_pView->refresh();
}

void CTrendInfo::onUpdate(CDocObserver* sender, int hint)
{
    if (sender == this)
        return;
    switch (hint) {
    case kHintNewData:
        m_search.setData(nullptr);
        m_pShownData = nullptr;
        m_nShownRows = -1;
        m_pView->setHoveredRow(-1);
        updateButtons();
        m_pView->refresh();
        break;
    case kHintResultsChanged:
        reset(true);
        break;
    case kHintSelectionColor:
        m_pView->refresh();
        break;
    case kHintCurrentItem:
        if (CArxDoc* d = doc(); d && m_search.data()) {
            const int row = d->m_nCurrentItem < 0 ? -1 : d->rowOfItem(d->m_nCurrentItem);
            m_pView->setHoveredRow(row < m_search.itemCount() ? row : -1);
        }
        break;
    default:
        break;
    }
}
