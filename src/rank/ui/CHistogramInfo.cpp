#include "rank/ui/CHistogramInfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "platform/Progress.h"
#include "rank/ui/CColorListView.h"
#include "rank/ui/CControlPlotView.h"

QVariant CHistogramListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_ordering.rowCount() || (m_valid && !m_valid()))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(m_ordering.cellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole)
        return index.column() == kListName ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                           : int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CHistogramListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(m_ordering.headerText(section));
}

CHistogramInfo::CHistogramInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName("Histogram Ordering");
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->addWidget(splitter);

    // ---- left: criterion, choices, strip, list, buttons ----
    auto* left = new QWidget(splitter);
    auto* lv = new QVBoxLayout(left);
    lv->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    // The criterion with its description beside it (up to three lines),
    // rather than under it: the list below keeps the height.
    auto* criterionColumn = new QVBoxLayout;
    m_pCriterion = new QComboBox(left);
    for (int c = 0; c < kHistogramCriteria; ++c)
        m_pCriterion->addItem(histogramCriterionName(c));
    criterionColumn->addWidget(m_pCriterion);
    criterionColumn->addStretch();
    top->addLayout(criterionColumn, 1);
    m_pDescription = new QLabel(QString(histogramCriterionDescription(0)).replace("\r\n", "\n").replace("\n\r", "\n"), left);
    m_pDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pDescription->setMinimumHeight(52);
    top->addWidget(m_pDescription, 1);
    auto* checks = new QVBoxLayout;
    m_pOriginal = new QCheckBox("Use Original Values", left);
    m_pShowControlPlot = new QCheckBox("Show Control Plot", left);
    m_pShowHistogram = new QCheckBox("Show Histogram", left);
    m_pShowCdf = new QCheckBox("Show CDF curve", left);
    m_pShowHistogram->setChecked(true);
    // One line: the column widens to it rather than the bar growing taller.
    m_pValuesShown = new QLabel(left);
    checks->addWidget(m_pOriginal);
    checks->addWidget(m_pValuesShown);
    // The three drawing choices share a line, so that the top of the page
    // is no taller than the criterion and its description and the list
    // below keeps its rows.
    auto* shows = new QHBoxLayout;
    for (QCheckBox* b : {m_pShowControlPlot, m_pShowHistogram, m_pShowCdf})
        shows->addWidget(b);
    shows->addStretch();
    checks->addLayout(shows);
    checks->addStretch();
    top->addLayout(checks);
    lv->addLayout(top);

    auto* stripBox = new QGroupBox("Score Overview", left);
    auto* sv = new QVBoxLayout(stripBox);
    sv->setContentsMargins(4, 2, 4, 2);
    m_pStrip = new CColorListView(stripBox);
    sv->addWidget(m_pStrip);
    lv->addWidget(stripBox);

    auto* listBox = new QGroupBox("Ordered List", left);
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->setContentsMargins(4, 2, 4, 2);
    m_pModel = new CHistogramListModel(m_ordering, this);
    m_pModel->setValidity([this] { return dataValid(); });
    m_pList = new QTableView(listBox);
    m_pList->setModel(m_pModel);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setShowGrid(true);
    m_pList->setWordWrap(false);
    m_pList->setTabKeyNavigation(false);  // Tab leaves the list for "Transpose -->"
    m_pList->verticalHeader()->hide();
    m_pList->verticalHeader()->setDefaultSectionSize(18);
    m_pList->horizontalHeader()->setSortIndicatorShown(true);
    m_pList->horizontalHeader()->setSectionsClickable(true);
    m_pList->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pList->horizontalHeader()->setDefaultSectionSize(64);
    listLayout->addWidget(m_pList);
    lv->addWidget(listBox, 1);

    auto* buttons = new QHBoxLayout;
    m_pTranspose = new QPushButton("Transpose -->", left);
    m_pMakeViews = new QPushButton("Make Views", left);
    buttons->addWidget(m_pTranspose);
    buttons->addWidget(m_pMakeViews);
    buttons->addStretch();
    lv->addLayout(buttons);

    // ---- right: the chart and the variable slider ----
    auto* right = new QWidget(splitter);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    m_pChart = new CControlPlotView(right);
    m_pChart->setEmbedded(true);
    rv->addWidget(m_pChart, 1);
    auto* sliderRow = new QHBoxLayout;
    m_pSlider = new QSlider(Qt::Horizontal, right);
    m_pSlider->setRange(1, 1);
    m_pSliderName = new QLabel(right);
    m_pSliderName->setMinimumWidth(90);
    sliderRow->addWidget(m_pSlider, 1);
    sliderRow->addWidget(m_pSliderName);
    rv->addLayout(sliderRow);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // The list's wide size hint would leave the chart a sliver: it starts
    // with two fifths of the width.
    splitter->setSizes({3000, 2000});
    m_pChart->setOrdering(&m_ordering);

    setTabOrder(m_pList, m_pTranspose);
    setTabOrder(m_pTranspose, m_pSlider);
    setTabOrder(m_pSlider, m_pCriterion);

    connect(m_pCriterion, &QComboBox::currentIndexChanged, this, [this](int c) {
        m_pDescription->setText(QString(histogramCriterionDescription(c)).replace("\r\n", "\n").replace("\n\r", "\n"));
        score(c);
    });
    connect(m_pOriginal, &QCheckBox::toggled, this, [this] {
        showValuesShown();
        score(m_pCriterion->currentIndex());
    });
    connect(m_pShowControlPlot, &QCheckBox::toggled, m_pChart, &CControlPlotView::setShowControlPlot);
    connect(m_pShowHistogram, &QCheckBox::toggled, m_pChart, &CControlPlotView::setShowHistogram);
    connect(m_pShowCdf, &QCheckBox::toggled, m_pChart, &CControlPlotView::setShowCdf);
    connect(m_pStrip, &CColorListView::columnClicked, this, [this](int c) { selectVariable(kFromStrip, c); });
    connect(m_pList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_bUpdating && current.isValid() && current.row() < m_ordering.rowCount())
                    selectVariable(kFromList, m_ordering.columnAt(current.row()));
            });
    connect(m_pList->horizontalHeader(), &QHeaderView::sectionClicked, this, &CHistogramInfo::sortByHeader);
    connect(m_pSlider, &QSlider::valueChanged, this, [this](int p) {
        if (!m_bUpdating)
            selectVariable(kFromSlider, p - 1);
    });
    connect(m_pTranspose, &QPushButton::clicked, this, &CHistogramInfo::transpose);
    connect(m_pMakeViews, &QPushButton::clicked, this, &CHistogramInfo::makeViews);
    connect(m_pChart, &CControlPlotView::makeViewRequested, this, [this](int c, bool o, bool cp, bool h, bool cdf) {
        if (m_openChart && c >= 0)
            m_openChart(c, o, cp, h, cdf);
    });
    connect(m_pChart, &CControlPlotView::propertiesRequested, this, [this] {
        if (m_properties)
            m_properties();
    });
}

void CHistogramInfo::setDocumentSource(std::function<CArxDoc*()> source)
{
    m_docSource = source;
    m_pChart->setDocumentSource(std::move(source));
}

void CHistogramInfo::setSettings(const DisplaySettings* settings) { m_pChart->setSettings(settings); }

void CHistogramInfo::clearAll()
{
    m_bUpdating = true;
    m_ordering.clear();
    m_nCurrent = -1;
    m_pModel->refresh();
    m_pStrip->clear();
    m_pSlider->setRange(1, 1);
    m_pSliderName->clear();
    m_pCriterion->blockSignals(true);
    m_pCriterion->setCurrentIndex(0);
    m_pCriterion->blockSignals(false);
    m_pDescription->setText(histogramCriterionDescription(0));
    m_pList->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_bUpdating = false;
    m_pChart->setColumn(-1, m_pOriginal->isChecked());
}

bool CHistogramInfo::dataValid() const
{
    const CArxDoc* d = doc();
    return d && d->m_bDataLoaded && d->data() && d->data() == m_ordering.data();
}

void CHistogramInfo::showValuesShown()
{
    m_pValuesShown->setText(QString::fromStdString(valuesShownCaption(doc(), m_pOriginal->isChecked())));
}

void CHistogramInfo::onUpdate(CDocObserver* sender, int hint)
{
    CArxDoc* d = doc();
    if (hint == kHintNewData || hint == kHintResultsChanged)
        showValuesShown();
    if (hint == kHintNewData || !d || !d->m_bDataLoaded || !d->data()) {
        if (hint == kHintNewData || !m_ordering.empty())
            clearAll();
        m_bNeedBuild = true;
        m_pChart->onUpdate(sender, hint);
        return;
    }
    if (hint == kHintResultsChanged && (m_bNeedBuild || m_ordering.data() != d->data() ||
                                        m_ordering.variableCount() != d->data()->m_nColumns)) {
        initialise();
        return;
    }
    if (hint == kHintCurrentVariable || hint == kHintVariableSelection)
        return;
    m_pChart->onUpdate(sender, hint);
}

void CHistogramInfo::initialise()
{
    CArxDoc* d = doc();
    clearAll();
    if (!d || !d->m_bDataLoaded || !d->data())
        return;
    m_ordering.build(d->data(), m_pOriginal->isChecked());
    m_bNeedBuild = false;
    m_sortAscending.fill(false);
    refreshList();
    refreshStrip();
    m_bUpdating = true;
    m_pSlider->setRange(1, std::max(1, m_ordering.variableCount()));
    m_bUpdating = false;
    if (m_ordering.variableCount() > 0) {
        // Shows variable 0 without making it the document's current variable.
        m_nCurrent = 0;
        m_pStrip->setCurrent(0);
        showListRow(0);
        m_pSliderName->setText(QString::fromStdString(d->data()->columnField(0)->m_strName));
        m_pChart->setData(0, m_pOriginal->isChecked(), m_pShowControlPlot->isChecked(),
                          m_pShowHistogram->isChecked(), m_pShowCdf->isChecked());
    }
}

void CHistogramInfo::refreshList()
{
    m_bUpdating = true;
    m_pModel->refresh();
    QHeaderView* h = m_pList->horizontalHeader();
    h->resizeSection(kListRank, 44);
    h->resizeSection(kListName, std::max(h->fontMetrics().horizontalAdvance("Column Name") + 16, 90));
    if (m_ordering.sortColumn() >= 0)
        h->setSortIndicator(m_ordering.sortColumn(), m_ordering.sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    else
        h->setSortIndicator(-1, Qt::AscendingOrder);
    m_bUpdating = false;
}

void CHistogramInfo::refreshStrip()
{
    const int n = m_ordering.variableCount();
    std::vector<double> scores(static_cast<size_t>(n));
    std::vector<char> scored(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        scores[static_cast<size_t>(c)] = m_ordering.record(c).m_dScore;
        scored[static_cast<size_t>(c)] = m_ordering.record(c).m_bScored;
    }
    m_pStrip->setScores(std::move(scores), std::move(scored), m_ordering.scoreMin(), m_ordering.scoreMax());
}

void CHistogramInfo::score(int criterion)
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || m_ordering.empty())
        return;
    const bool original = m_pOriginal->isChecked();
    if (!m_ordering.score(criterion, original, &progress())) {
        // Cancelled: the list is in original order again.
        m_pCriterion->blockSignals(true);
        m_pCriterion->setCurrentIndex(0);
        m_pCriterion->blockSignals(false);
        m_pDescription->setText(histogramCriterionDescription(0));
    }
    refreshList();
    refreshStrip();
    if (m_ordering.rowCount() > 0)
        selectVariable(kFromScoring, m_ordering.columnAt(0));
}

void CHistogramInfo::showListRow(int column)
{
    if (column < 0 || column >= m_ordering.variableCount())
        return;
    const bool was = m_bUpdating;
    m_bUpdating = true;
    const QModelIndex idx = m_pModel->index(m_ordering.rowOfColumn(column), 0);
    m_pList->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_pList->scrollTo(idx);
    m_bUpdating = was;
}

void CHistogramInfo::selectVariable(int source, int column)
{
    CArxDoc* d = doc();
    if (!d || column < 0 || column >= m_ordering.variableCount())
        return;
    m_nCurrent = column;
    m_pStrip->setCurrent(column);
    if (source != kFromList)
        showListRow(column);
    if (source != kFromSlider) {
        m_bUpdating = true;
        m_pSlider->setValue(column + 1);
        m_bUpdating = false;
    }
    m_pSliderName->setText(QString::fromStdString(d->data()->columnField(column)->m_strName));
    m_pChart->setData(column, m_pOriginal->isChecked(), m_pShowControlPlot->isChecked(), m_pShowHistogram->isChecked(),
                      m_pShowCdf->isChecked());
    d->m_nCurrentVariable = column;
    d->updateAllViews(this, kHintCurrentVariable);
}

void CHistogramInfo::sortByHeader(int listColumn)
{
    if (listColumn < 0 || listColumn >= kHistogramListColumns || m_ordering.empty())
        return;
    bool& ascending = m_sortAscending[static_cast<size_t>(listColumn)];
    ascending = !ascending;
    m_ordering.sortBy(listColumn, ascending);
    refreshList();
    showListRow(m_nCurrent);
}

void CHistogramInfo::makeViews()
{
    const QModelIndexList rows = m_pList->selectionModel()->selectedRows();
    if (m_openChart)
        for (const QModelIndex& r : rows)
            m_openChart(m_ordering.columnAt(r.row()), m_pOriginal->isChecked(), m_pShowControlPlot->isChecked(),
                        m_pShowHistogram->isChecked(), m_pShowCdf->isChecked());
    m_bUpdating = true;
    m_pList->clearSelection();
    m_bUpdating = false;
}

void CHistogramInfo::transpose()
{
    m_pChart->toggleTurned();
    m_pChart->setFocus();
}
