#include "rank/ui/CVisualGuide.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "cluster/Evaluation.h"
#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "rank/ui/CScatterPlotView.h"
#include "rank/ui/CSetCompareView.h"
#include "rank/ui/CSquarePrismView.h"

// ---------------------------------------------------------------- the list

void CPairListModel::setTable(PairTable* table, const std::vector<std::string>* names)
{
    beginResetModel();
    m_pTable = table;
    m_pNames = names;
    endResetModel();
}

int CPairListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pTable ? 0 : m_pTable->rowCount();
}

int CPairListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant CPairListModel::data(const QModelIndex& index, int role) const
{
    if (!m_pTable || !index.isValid() || index.row() >= m_pTable->rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment((index.column() == 0 || index.column() == 3 ? Qt::AlignRight
                                                                                             : Qt::AlignLeft) |
                                                 Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    const PairScore& s = m_pTable->row(index.row());
    static const std::vector<std::string> none;
    const std::vector<std::string>& names = m_pNames ? *m_pNames : none;
    switch (index.column()) {
    case 0: return m_pTable->m_rankOfPair[static_cast<size_t>(m_pTable->m_order[static_cast<size_t>(index.row())])];
    case 1: return QString::fromStdString(pairAxisText(*m_pTable, s, true, names));
    case 2: return QString::fromStdString(pairAxisText(*m_pTable, s, false, names));
    default: return QString::fromStdString(pairScoreText(*m_pTable, s));
    }
}

QVariant CPairListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return QString("Rank");
    case 1: return QString("X axis");
    case 2: return QString("Y axis");
    default: return QString(pairScoreHeader(m_pTable ? m_pTable->m_nCriterion : kPairNoOrder));
    }
}

void CPairListModel::sortBy(int column, bool ascending)
{
    if (!m_pTable)
        return;
    static const std::vector<std::string> none;
    beginResetModel();
    sortByColumn(*m_pTable, column, ascending, m_pNames ? *m_pNames : none);
    endResetModel();
}

// ---------------------------------------------------------------- the panel

CVisualGuide::CVisualGuide(QWidget* parent) : QWidget(parent)
{
    auto* outer = new QHBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    outer->addWidget(splitter);

    // Left: criterion, description, region type, options, the overview.
    auto* left = new QWidget(splitter);
    auto* l = new QVBoxLayout(left);
    l->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Order by :", left));
    m_pCriterion = new QComboBox(left);
    for (int c = 0; c < kPairCriterionCount; ++c)
        m_pCriterion->addItem(pairCriterionName(c));
    m_pCriterion->setCurrentIndex(kPairNoOrder);
    row->addWidget(m_pCriterion, 1);
    l->addLayout(row);
    m_pDescription = new QLabel(left);
    m_pDescription->setWordWrap(true);
    m_pDescription->setMinimumHeight(48);
    m_pDescription->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    l->addWidget(m_pDescription);
    m_pRoiGroup = new QGroupBox("Region of Interest", left);
    auto* roi = new QHBoxLayout(m_pRoiGroup);
    const char* const roiNames[3] = {"Rectangle", "Ellipse", "Free Form"};
    for (int i = 0; i < 3; ++i) {
        m_pRoi[i] = new QRadioButton(roiNames[i], m_pRoiGroup);
        roi->addWidget(m_pRoi[i]);
        connect(m_pRoi[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                roiTypeChanged();
        });
    }
    m_pRoi[0]->setChecked(true);
    // Showing the group must not move the scatterplot, whose pixels the
    // region is drawn in.
    QSizePolicy keep = m_pRoiGroup->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_pRoiGroup->setSizePolicy(keep);
    m_pRoiGroup->hide();
    m_pRoiGroup->setEnabled(false);
    l->addWidget(m_pRoiGroup);
    m_pOriginal = new QCheckBox("Use Original Values", left);
    m_pIgnoreMissing = new QCheckBox("Ignore Missing Values", left);
    m_pSameScale = new QCheckBox("Use the Same Scale", left);
    l->addWidget(m_pOriginal);
    m_pValuesShown = new QLabel(left);
    m_pValuesShown->setWordWrap(true);
    l->addWidget(m_pValuesShown);
    l->addWidget(m_pIgnoreMissing);
    l->addWidget(m_pSameScale);
    l->addStretch(1);

    // The overview in a column of its own, as tall as the bar allows.
    auto* scores = new QWidget(splitter);
    auto* o = new QVBoxLayout(scores);
    o->setContentsMargins(2, 2, 2, 2);
    o->addWidget(new QLabel("Scores Overview", scores));
    m_pOverview = new CSquarePrismView(scores);
    o->addWidget(m_pOverview, 1);

    // Middle: the ordered list and "Make Views".
    auto* middle = new QWidget(splitter);
    auto* m = new QVBoxLayout(middle);
    m->setContentsMargins(2, 2, 2, 2);
    m->addWidget(new QLabel("Ordered List", middle));
    m_pList = new QTableView(middle);
    m_pModel = new CPairListModel(m_pList);
    m_pList->setModel(m_pModel);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setShowGrid(true);
    m_pList->verticalHeader()->hide();
    m_pList->verticalHeader()->setDefaultSectionSize(18);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->horizontalHeader()->setSectionsClickable(true);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m->addWidget(m_pList, 1);
    m_pMakeViews = new QPushButton("Make Views", middle);
    m->addWidget(m_pMakeViews);

    // Right: the scatterplot (or the set comparison) and the sliders.
    auto* right = new QWidget(splitter);
    auto* r = new QVBoxLayout(right);
    r->setContentsMargins(2, 2, 2, 2);
    m_pStack = new QStackedWidget(right);
    m_pView = new CScatterPlotView(m_pStack);
    m_pView->setInOrderingPanel(true);
    m_pSetView = new CSetCompareView(m_pStack);
    m_pStack->addWidget(m_pView);
    m_pStack->addWidget(m_pSetView);
    r->addWidget(m_pStack, 1);
    m_pSliders = new QWidget(right);
    auto* sliders = new QGridLayout(m_pSliders);
    sliders->setContentsMargins(0, 0, 0, 0);
    m_pXSlider = new QSlider(Qt::Horizontal, m_pSliders);
    m_pYSlider = new QSlider(Qt::Horizontal, m_pSliders);
    m_pXName = new QLabel(m_pSliders);
    m_pYName = new QLabel(m_pSliders);
    sliders->addWidget(new QLabel("X", m_pSliders), 0, 0);
    sliders->addWidget(m_pXSlider, 0, 1);
    sliders->addWidget(m_pXName, 0, 2);
    sliders->addWidget(new QLabel("Y", m_pSliders), 1, 0);
    sliders->addWidget(m_pYSlider, 1, 1);
    sliders->addWidget(m_pYName, 1, 2);
    sliders->setColumnStretch(1, 1);
    r->addWidget(m_pSliders);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setStretchFactor(2, 2);
    splitter->setStretchFactor(3, 3);

    connect(m_pCriterion, &QComboBox::activated, this, [this](int c) { chooseCriterion(c); });
    connect(m_pOverview, &CPrismView::cellClicked, this, [this](int row, int column) {
        const PairScore* s = m_table.find(row, column);
        if (s)
            selectPair(kFromOverview, s->m_nX, s->m_nY);
    });
    connect(m_pList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_bUpdating && current.isValid())
                    listRowChanged(current.row());
            });
    connect(m_pList, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            openChart(i.row());
    });
    connect(m_pList->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : true;
        m_nSortColumn = column;
        const int x = m_nX, y = m_nY;
        m_pModel->sortBy(column, m_bSortAscending);
        m_pList->horizontalHeader()->setSortIndicatorShown(true);
        m_pList->horizontalHeader()->setSortIndicator(column, m_bSortAscending ? Qt::AscendingOrder
                                                                               : Qt::DescendingOrder);
        // The current pair keeps its (moved) row.
        const int at = m_table.rowOf(x, y);
        if (at >= 0) {
            m_bUpdating = true;
            m_pList->setCurrentIndex(m_pModel->index(at, 0));
            m_pList->scrollTo(m_pModel->index(at, 0));
            m_bUpdating = false;
        }
    });
    connect(m_pMakeViews, &QPushButton::clicked, this, &CVisualGuide::makeViews);
    connect(m_pOriginal, &QCheckBox::toggled, this, [this] { showValuesShown(); });
    for (QCheckBox* box : {m_pOriginal, m_pIgnoreMissing, m_pSameScale})
        connect(box, &QCheckBox::toggled, this, [this] { rescore(); });
    connect(m_pXSlider, &QSlider::valueChanged, this, [this] {
        if (!m_bUpdating)
            sliderMoved();
    });
    connect(m_pYSlider, &QSlider::valueChanged, this, [this] {
        if (!m_bUpdating)
            sliderMoved();
    });
    connect(m_pView, &CScatterPlotView::regionDrawn, this, [this] {
        if (m_nCriterion == kPairRoi)
            scoreAll();
    });
    connect(m_pView, &CScatterPlotView::makeViewRequested, this, [this] {
        const int row = m_table.rowOf(m_pView->xVariable(), m_pView->yVariable());
        if (!openChart(row))
            return;
    });
    connect(m_pView, &CScatterPlotView::propertiesRequested, this, [this] {
        if (m_propertiesOpener)
            m_propertiesOpener();
    });
    connect(m_pSetView, &CSetCompareView::pairChanged, this,
            [this](int first, int second) { selectPair(kFromView, first, second); });
    clearAll();
}

CVisualGuide::~CVisualGuide() = default;

void CVisualGuide::setDocumentSource(std::function<CArxDoc*()> source)
{
    m_docSource = source;
    m_pView->setDocumentSource(std::move(source));
}

void CVisualGuide::setDisplaySettings(const DisplaySettings* settings)
{
    m_pSettings = settings;
    m_pView->setDisplaySettings(settings);
}

PairSettings CVisualGuide::settings() const
{
    PairSettings s;
    s.m_bIgnoreMissing = m_pIgnoreMissing->isChecked();
    s.m_bSameScale = m_pSameScale->isChecked();
    s.m_geometry = m_pView->geometry();
    s.m_roi = CScatterPlotView::region();
    return s;
}

void CVisualGuide::showValuesShown()
{
    m_pValuesShown->setText(QString::fromStdString(valuesShownCaption(doc(), m_pOriginal->isChecked())));
}

void CVisualGuide::onUpdate(CDocObserver* sender, int hint)
{
    CArxDoc* d = doc();
    if (hint == kHintNewData || hint == kHintResultsChanged)
        showValuesShown();
    if (hint == kHintNewData || !d || !d->m_bDataLoaded || !d->data()) {
        if (hint == kHintNewData || m_pData)
            clearAll();
        m_pView->onUpdate(sender, hint);
        return;
    }
    if (hint == kHintResultsChanged &&
        (m_pData != d->data() || m_table.m_nVariables != d->data()->m_nColumns || m_names.empty())) {
        initialise();
        return;
    }
    if (hint == kHintVariableSelection || hint == kHintCurrentVariable)
        return;
    m_pView->onUpdate(sender, hint);
}

void CVisualGuide::clearAll()
{
    m_pData = nullptr;
    m_table = PairTable{};
    m_names.clear();
    m_nCriterion = kPairNoOrder;
    m_nX = m_nY = m_nPrevX = m_nPrevY = -1;
    m_bUpdating = true;
    m_pCriterion->setCurrentIndex(kPairNoOrder);
    m_pDescription->setText(pairCriterionDescription(kPairNoOrder));
    m_pModel->setTable(nullptr, nullptr);
    m_pOverview->clear();
    m_pView->clearPair();
    m_pView->setRoiMode(false);
    m_pSetView->clear();
    m_pStack->setCurrentWidget(m_pView);
    m_pSliders->show();
    m_pXSlider->setRange(0, 0);
    m_pYSlider->setRange(0, 0);
    m_pXName->clear();
    m_pYName->clear();
    m_bUpdating = false;
    m_pRoiGroup->hide();
    setEnabled(false);
}

void CVisualGuide::initialise()
{
    clearAll();
    CArxDoc* d = doc();
    if (!d || !d->data())
        return;
    const DataMatrix& data = *d->data();
    m_pData = d->data();
    for (int k = 0; k < data.m_nColumns; ++k)
        m_names.push_back(data.columnField(k)->m_strName);
    m_table.m_nVariables = data.m_nColumns;
    m_bUpdating = true;
    m_pXSlider->setRange(0, std::max(0, data.m_nColumns - 1));
    m_pYSlider->setRange(0, std::max(0, data.m_nColumns - 1));
    m_bUpdating = false;
    setEnabled(true);
    // The unscored list, unless it would be too long to hold without asking.
    // The first pair is shown without becoming the document's selection.
    if (pairCount(data.m_nColumns) <= kPairsBeforeAsking)
        fillNoOrder(false);
}

void CVisualGuide::fillNoOrder(bool selectTop)
{
    m_table = noOrderTable(static_cast<int>(m_names.size()));
    m_nCriterion = kPairNoOrder;
    showTable(selectTop);
}

void CVisualGuide::showTable(bool selectTop)
{
    m_bUpdating = true;
    m_pCriterion->setCurrentIndex(m_nCriterion);
    m_nSortColumn = -1;
    m_pList->horizontalHeader()->setSortIndicatorShown(false);
    m_pModel->setTable(&m_table, &m_names);
    m_pList->resizeColumnToContents(0);
    m_pOverview->setTable(&m_table, m_names);
    m_bUpdating = false;
    const bool clusters = m_table.isClusterComparison();
    m_pStack->setCurrentWidget(clusters ? static_cast<QWidget*>(m_pSetView) : m_pView);
    m_pSliders->setVisible(!clusters);
    m_pMakeViews->setEnabled(!clusters && m_table.rowCount() > 0);
    m_pList->setEnabled(m_table.rowCount() > 0);
    m_nX = m_nY = -1;
    if (m_table.rowCount() == 0)
        return;
    const PairScore& top = m_table.row(0);
    if (selectTop) {
        selectPair(kFromScoring, top.m_nX, top.m_nY);
    } else {
        m_nX = top.m_nX;
        m_nY = top.m_nY;
        m_bUpdating = true;
        m_pList->selectionModel()->setCurrentIndex(m_pModel->index(0, 0), QItemSelectionModel::ClearAndSelect |
                                                                                QItemSelectionModel::Rows);
        m_bUpdating = false;
        m_pOverview->setHighlight(std::max(m_nX, m_nY), std::min(m_nX, m_nY));
        showRecord(m_nX, m_nY);
        updateSliders();
    }
}

void CVisualGuide::chooseCriterion(int criterion)
{
    CArxDoc* d = doc();
    if (criterion < 0 || criterion >= kPairCriterionCount)
        return;
    m_pDescription->setText(pairCriterionDescription(criterion));
    const bool roi = criterion == kPairRoi;
    m_pRoiGroup->setVisible(roi);
    m_pRoiGroup->setEnabled(roi);
    m_pView->setRoiMode(roi);
    CScatterPlotView::setRegionType(kRoiNone);
    if (!d || !d->data() || m_names.empty()) {
        m_bUpdating = true;
        m_pCriterion->setCurrentIndex(kPairNoOrder);
        m_bUpdating = false;
        return;
    }
    m_bUpdating = true;
    m_pCriterion->setCurrentIndex(criterion);
    m_bUpdating = false;
    if (criterion == kPairNoOrder) {
        fillNoOrder();
    } else if (criterion == kPairClusterSimilarity) {
        compareDendrograms();
    } else if (roi) {
        // Scoring waits for a region drawn in the scatterplot view; until
        // then the pairs show no scores (not the previous criterion's),
        // and the pair on view stays.
        const int x = m_nX, y = m_nY;
        m_table = noOrderTable(static_cast<int>(m_names.size()));
        m_nCriterion = criterion;
        showTable(false);
        if (x >= 0 && y >= 0)
            selectPair(kFromScoring, x, y);
        roiTypeChanged();
        CScatterPlotView::clearRegion();
        m_pView->redraw();
    } else {
        m_nCriterion = criterion;
        scoreAll();
    }
}

void CVisualGuide::roiTypeChanged()
{
    if (m_nCriterion != kPairRoi && m_pCriterion->currentIndex() != kPairRoi)
        return;
    for (int i = 0; i < 3; ++i)
        if (m_pRoi[i]->isChecked())
            CScatterPlotView::setRegionType(i + 1);
}

void CVisualGuide::scoreAll()
{
    CArxDoc* d = doc();
    if (!d || !d->data() || m_nCriterion < 0 || m_nCriterion > kPairAssociation)
        return;
    const DataMatrix& data = *d->data();
    std::vector<int> items(static_cast<size_t>(data.rowCount()));
    for (int r = 0; r < data.rowCount(); ++r)
        items[static_cast<size_t>(r)] = d->itemOfRow(r);
    const PairColumns columns = PairColumns::from(data, m_pOriginal->isChecked(), std::move(items));
    m_pList->setUpdatesEnabled(false);
    m_table = scoreAllPairs(m_nCriterion, columns, settings());
    m_pList->setUpdatesEnabled(true);
    if (m_table.m_bCancelled)
        m_nCriterion = kPairNoOrder;
    showTable();
}

void CVisualGuide::rescore()
{
    if (m_nCriterion <= kPairAssociation && m_nCriterion != kPairRoi)
        scoreAll();
    else if (m_nCriterion == kPairRoi && !CScatterPlotView::region().isEmpty())
        scoreAll();
    else if (m_nX >= 0 && !m_table.isClusterComparison())
        showRecord(m_nX, m_nY);
}

void CVisualGuide::compareDendrograms()
{
    std::vector<CPickDendrogramsDlg::Dendrogram> dendrograms;
    if (m_dendrogramSource)
        dendrograms = m_dendrogramSource();
    CPickDendrogramsDlg dlg(std::move(dendrograms), this);
    if (dlg.exec() != QDialog::Accepted) {
        // The comparison is dropped.
        fillNoOrder();
        return;
    }
    auto first = cutClusterItems(*dlg.first()), second = cutClusterItems(*dlg.second());
    m_nCriterion = kPairClusterSimilarity;
    m_table = clusterPairTable(compareClusterCuts(*dlg.first(), *dlg.second()), static_cast<int>(first.size()),
                               static_cast<int>(second.size()));
    m_pSetView->setClusters(std::move(first), std::move(second));
    showTable();
}

void CVisualGuide::showRecord(int x, int y)
{
    bool reversed = false;
    const PairScore* s = m_table.isScored() ? m_table.find(x, y, &reversed) : nullptr;
    m_pView->setPair(x, y, m_pOriginal->isChecked(), m_pSameScale->isChecked());
    if (s)
        m_pView->setDetails(s->m_details, s->m_nX, s->m_nY);
    else
        m_pView->setDetails({}, -1, -1);
}

void CVisualGuide::updateSliders()
{
    m_bUpdating = true;
    if (m_nX >= 0 && m_nY >= 0 && !m_table.isClusterComparison()) {
        m_pXSlider->setValue(m_nX);
        m_pYSlider->setValue(m_nY);
        m_pXName->setText(QString::fromStdString(m_names[static_cast<size_t>(m_nX)]));
        m_pYName->setText(QString::fromStdString(m_names[static_cast<size_t>(m_nY)]));
    }
    m_bUpdating = false;
}

void CVisualGuide::selectPair(int source, int x, int y)
{
    const bool clusters = m_table.isClusterComparison();
    if (x < 0 || y < 0 || (!clusters && (x == y || x >= static_cast<int>(m_names.size()) ||
                                         y >= static_cast<int>(m_names.size()))))
        return;
    const int row = m_table.rowOf(x, y);
    if (source != kFromList) {
        m_bUpdating = true;
        if (row >= 0) {
            const QModelIndex at = m_pModel->index(row, 0);
            m_pList->selectionModel()->setCurrentIndex(
                at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            m_pList->scrollTo(at);
        } else {
            m_pList->selectionModel()->clearSelection();
        }
        m_bUpdating = false;
    }
    if (source != kFromOverview) {
        if (clusters)
            m_pOverview->setHighlight(x, y);
        else
            m_pOverview->setHighlight(std::max(x, y), std::min(x, y));
    }
    if (source != kFromView) {
        m_nPrevX = m_nX;
        m_nPrevY = m_nY;
        if (clusters) {
            m_pSetView->setPair(x, y);
        } else {
            // The record's orientation, which swaps the axes of a reversed pair.
            bool reversed = false;
            const PairScore* s = m_table.find(x, y, &reversed);
            if (s && reversed)
                std::swap(x, y);
            showRecord(x, y);
        }
    }
    // The document's selection is the pair's two variables in either order.
    const bool changed = std::minmax(x, y) != std::minmax(m_nX, m_nY);
    m_nX = x;
    m_nY = y;
    if (!clusters)
        updateSliders();
    if (changed && !clusters) {
        if (CArxDoc* d = doc())
            d->setVariableSelection({std::min(x, y), std::max(x, y)}, this);
    }
}

void CVisualGuide::listRowChanged(int row)
{
    if (row < 0 || row >= m_table.rowCount())
        return;
    const PairScore& s = m_table.row(row);
    selectPair(kFromList, s.m_nX, s.m_nY);
}

void CVisualGuide::sliderMoved()
{
    const int x = m_pXSlider->value(), y = m_pYSlider->value();
    if (m_names.empty())
        return;
    m_pXName->setText(QString::fromStdString(m_names[static_cast<size_t>(x)]));
    m_pYName->setText(QString::fromStdString(m_names[static_cast<size_t>(y)]));
    if (x == y) {
        // A variable against itself is no pair: shown, but nothing is selected.
        m_pView->setPair(x, y, m_pOriginal->isChecked(), m_pSameScale->isChecked());
        m_pView->setDetails({}, -1, -1);
        return;
    }
    m_nPrevX = m_nX;
    m_nPrevY = m_nY;
    showRecord(x, y);
    selectPair(kFromView, x, y);
}

void CVisualGuide::makeViews()
{
    const QModelIndexList rows = m_pList->selectionModel()->selectedRows();
    std::vector<int> chosen;
    for (const QModelIndex& i : rows)
        chosen.push_back(i.row());
    std::sort(chosen.begin(), chosen.end());
    for (int row : chosen)
        openChart(row);
    m_bUpdating = true;
    m_pList->selectionModel()->clearSelection();
    m_bUpdating = false;
}

QMdiSubWindow* CVisualGuide::openChart(int row)
{
    if (row < 0 || row >= m_table.rowCount() || m_table.isClusterComparison())
        return nullptr;
    const PairScore& s = m_table.row(row);
    auto* view = new CScatterPlotView;
    view->setDocumentSource(m_docSource);
    view->setDisplaySettings(m_pSettings);
    connect(view, &CScatterPlotView::propertiesRequested, this, [this] {
        if (m_propertiesOpener)
            m_propertiesOpener();
    });
    QMdiSubWindow* w = nullptr;
    if (m_chartOpener) {
        const QString title = QString::fromStdString(m_names[static_cast<size_t>(s.m_nY)] + " vs. " +
                                                     m_names[static_cast<size_t>(s.m_nX)]);
        w = m_chartOpener(view, view, title);
    }
    if (!w) {
        delete view;
        showMessage("Cannot create a scatterplot window!");
        return nullptr;
    }
    view->setPair(s.m_nX, s.m_nY, m_pOriginal->isChecked(), m_pSameScale->isChecked());
    view->setDetails(s.m_details, s.m_nX, s.m_nY);
    return w;
}
