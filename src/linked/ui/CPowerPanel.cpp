#include "linked/ui/CPowerPanel.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/CArxDoc.h"
#include "app/ui/CRubberSlider.h"
#include "app/ui/PictureExport.h"
#include "data/DataMatrix.h"
#include "platform/Messages.h"

namespace {

constexpr int kColumnRole = Qt::UserRole + 1;  // a sample's value column

// Slider ranges, start positions and the field text of a position.
struct InputSlider {
    const char* label;
    int min, max, start;
};
const InputSlider kInputs[4] = {{"Effect size (fold change)", 12, 100, 20},
                                {"Power (1 - beta)", 50, 100, 80},
                                {"Significance (alpha)", 1, 20, 5},
                                {"Sample size per group", 3, 20, 8}};

// The effect-size slider maps position p to the fold 1 + p / 40.
double sliderValue(int target, int pos)
{
    switch (target) {
    case kTargetEffect:
        return 1.0 + pos / 40.0;
    case kTargetPower:
    case kTargetSignificance:
        return pos / 100.0;
    default:
        return pos;
    }
}

int sliderPosition(int target, double value)
{
    switch (target) {
    case kTargetEffect:
        return static_cast<int>(std::lround((value - 1.0) * 40.0));
    case kTargetPower:
    case kTargetSignificance:
        return static_cast<int>(std::lround(value * 100.0));
    default:
        return static_cast<int>(std::lround(value));
    }
}

QString fieldText(int target, double value)
{
    return target == kTargetSize ? QString::number(static_cast<int>(std::lround(value)))
                                 : QString::asprintf("%.2f", value);
}

// Whether a field value is usable for its input.
bool validInput(int target, double v)
{
    switch (target) {
    case kTargetEffect:
        return v > 1.0;
    case kTargetPower:
    case kTargetSignificance:
        return v > 0.0 && v < 1.0;
    default:
        return v > 0.0;
    }
}

} // namespace

// ---------------------------------------------------------------- result list

void CPowerResultModel::setResult(const DataMatrix* data, const PowerRun* run, std::vector<int> rows)
{
    beginResetModel();
    m_pData = data;
    m_pRun = run;
    m_rows = std::move(rows);
    endResetModel();
}

int CPowerResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPowerResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant CPowerResultModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !m_pData || !m_pRun || index.row() >= static_cast<int>(m_rows.size()))
        return {};
    const int r = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case 0:
        return QString::fromStdString(m_pData->itemId(r));
    case 1:
        return QString::asprintf("%.2f", m_pRun->f[static_cast<size_t>(r)]);
    default:
        return QString::fromStdString(powerNote(*m_pRun, r));
    }
}

QVariant CPowerResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const names[] = {"Probe Set Name", "Sample size per group", "Note"};
    return section >= 0 && section < 3 ? QString(names[section]) : QVariant();
}

// ---------------------------------------------------------------- the panel

CPowerPanel::CPowerPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("CPowerPanel");
    auto* layout = new QVBoxLayout(this);

    // 1. Groups and samples.
    auto* groupsBox = new QGroupBox("1. Make groups of samples", this);
    auto* groupsRow = new QHBoxLayout(groupsBox);
    // Samples move from the list (left) into the groups (right).
    m_pSamples = new QTreeWidget(groupsBox);
    m_pSamples->setHeaderLabel("Sample Name");
    m_pSamples->setRootIsDecorated(false);
    m_pSamples->setSelectionMode(QAbstractItemView::ExtendedSelection);
    groupsRow->addWidget(m_pSamples, 1);
    auto* moves = new QVBoxLayout;
    auto* toGroup = new QPushButton("->", groupsBox);
    auto* back = new QPushButton("<-", groupsBox);
    auto* allBack = new QPushButton("<<-", groupsBox);
    auto* add = new QPushButton("New\nGroup", groupsBox);
    auto* remove = new QPushButton("Delete\nGroup", groupsBox);
    m_pByClass = new QPushButton("Group by\nclass", groupsBox);
    m_pByClass->setToolTip("One group per class of the CID row");
    for (QPushButton* b : {toGroup, back, allBack, add, remove, m_pByClass}) {
        b->setFixedWidth(60);
        moves->addWidget(b);
    }
    groupsRow->addLayout(moves);
    m_pGroups = new QTreeWidget(groupsBox);
    m_pGroups->setHeaderLabel("Groups");
    m_pGroups->setSelectionMode(QAbstractItemView::ExtendedSelection);
    groupsRow->addWidget(m_pGroups, 1);
    layout->addWidget(groupsBox);

    // Model.
    auto* modelBox = new QGroupBox("Model", this);
    auto* modelRow = new QHBoxLayout(modelBox);
    m_pModelGroup = new QButtonGroup(this);
    auto* one = new QRadioButton("One-sample t-Test", modelBox);
    auto* two = new QRadioButton("Two-sample t-Test", modelBox);
    m_pModelGroup->addButton(one, kPowerOneSample);
    m_pModelGroup->addButton(two, kPowerTwoSample);
    two->setChecked(true);
    modelRow->addWidget(one);
    modelRow->addWidget(two);
    modelRow->addWidget(new QLabel("H0's mean:", modelBox));
    m_pH0 = new QLineEdit(modelBox);
    m_pH0->setFixedWidth(70);
    m_pH0->setToolTip("Empty: the effect is the group mean times (fold - 1)");
    modelRow->addWidget(m_pH0);
    layout->addWidget(modelBox);

    // 2. The target and the inputs.
    auto* targetBox = new QGroupBox("2. Select one (F) to be calcuated", this);
    auto* grid = new QGridLayout(targetBox);
    m_pTargetGroup = new QButtonGroup(this);
    for (int t = 0; t < 4; ++t) {
        auto* radio = new QRadioButton(kInputs[t].label, targetBox);
        m_pTargetGroup->addButton(radio, t);
        m_pSliders[t] = new QSlider(Qt::Horizontal, targetBox);
        m_pSliders[t]->setRange(kInputs[t].min, kInputs[t].max);
        m_pSliders[t]->setValue(kInputs[t].start);
        m_pFields[t] = new QLineEdit(fieldText(t, sliderValue(t, kInputs[t].start)), targetBox);
        m_pFields[t]->setFixedWidth(60);
        grid->addWidget(radio, t, 0);
        grid->addWidget(m_pSliders[t], t, 1);
        grid->addWidget(m_pFields[t], t, 2);
        connect(m_pSliders[t], &QSlider::valueChanged, this,
                [this, t](int pos) { m_pFields[t]->setText(fieldText(t, sliderValue(t, pos))); });
        connect(m_pFields[t], &QLineEdit::editingFinished, this, [this, t] {
            bool ok = false;
            const double v = m_pFields[t]->text().toDouble(&ok);
            if (!ok || !validInput(t, v)) {
                m_pFields[t]->setText(fieldText(t, sliderValue(t, m_pSliders[t]->value())));
                return;
            }
            const QSignalBlocker block(m_pSliders[t]);
            m_pSliders[t]->setValue(std::clamp(sliderPosition(t, v), m_pSliders[t]->minimum(), m_pSliders[t]->maximum()));
        });
    }
    m_pTargetGroup->button(kTargetSize)->setChecked(true);
    m_pCalculate = new QPushButton("Calculate", targetBox);
    grid->addWidget(m_pCalculate, 4, 2);
    m_pValuesNote = new QLabel("Calculated on the values as loaded (before the log and the normalization): "
                               "the fold change is a ratio of expression levels.",
                               targetBox);
    m_pValuesNote->setWordWrap(true);
    grid->addWidget(m_pValuesNote, 5, 0, 1, 3);
    layout->addWidget(targetBox);
    updateFields(kTargetSize);

    // 5. Filter by F and the result list.
    auto* filterBox = new QGroupBox("5. Filter by F using slider", this);
    auto* filterLayout = new QVBoxLayout(filterBox);
    auto* filterRow = new QHBoxLayout;
    m_pFilterLow = new QLabel(filterBox);
    m_pFilterHigh = new QLabel(filterBox);
    m_pFilter = new CRubberSlider(filterBox);
    m_pFilter->setRange(0, kFilterSteps);
    filterRow->addWidget(m_pFilterLow);
    filterRow->addWidget(m_pFilter, 1);
    filterRow->addWidget(m_pFilterHigh);
    filterLayout->addLayout(filterRow);
    filterLayout->addWidget(new QLabel("Resulting Probe Sets", filterBox));
    m_pResult = new CPowerResultModel(this);
    m_pResultView = new QTableView(filterBox);
    m_pResultView->setModel(m_pResult);
    m_pResultView->verticalHeader()->hide();
    m_pResultView->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_pResultView->horizontalHeader()->setStretchLastSection(true);
    m_pResultView->setColumnWidth(0, 130);
    m_pResultView->setColumnWidth(1, 150);
    m_pResultView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pResultView->setMinimumHeight(140);
    filterLayout->addWidget(m_pResultView, 1);
    auto* resultButtons = new QHBoxLayout;
    m_pHighlight = new QPushButton("&Highlight", filterBox);
    m_pPass = new QPushButton("->>", filterBox);
    m_pExport = new QPushButton("&Export", filterBox);
    resultButtons->addWidget(m_pHighlight);
    resultButtons->addWidget(m_pPass);
    resultButtons->addWidget(m_pExport);
    filterLayout->addLayout(resultButtons);
    layout->addWidget(filterBox, 1);

    // Present-call filter.
    auto* presentBox = new QGroupBox("% present call filtering:", this);
    auto* presentLayout = new QGridLayout(presentBox);
    m_pPresent = new QSlider(Qt::Horizontal, presentBox);
    m_pPresent->setRange(5, 100);
    m_pPresent->setValue(50);
    m_pPresentField = new QLineEdit("50", presentBox);
    m_pPresentField->setFixedWidth(50);
    m_pPresentButton = new QPushButton("Filter && Select", presentBox);
    m_pAbsentButton = new QPushButton("Filter && Select '100% absent call'  data", presentBox);
    m_pRemains = new QLabel(presentBox);
    presentLayout->addWidget(m_pPresent, 0, 0, 1, 2);
    presentLayout->addWidget(m_pPresentField, 0, 2);
    presentLayout->addWidget(m_pPresentButton, 1, 0);
    presentLayout->addWidget(m_pAbsentButton, 1, 1, 1, 2);
    presentLayout->addWidget(new QLabel("# remains out of all", presentBox), 2, 0);
    presentLayout->addWidget(m_pRemains, 2, 1, 1, 2);
    layout->addWidget(presentBox);

    connect(toGroup, &QPushButton::clicked, this, &CPowerPanel::moveToGroup);
    connect(back, &QPushButton::clicked, this, &CPowerPanel::moveBack);
    connect(allBack, &QPushButton::clicked, this, &CPowerPanel::moveAllBack);
    connect(add, &QPushButton::clicked, this, &CPowerPanel::newGroup);
    connect(remove, &QPushButton::clicked, this, &CPowerPanel::deleteGroup);
    connect(m_pByClass, &QPushButton::clicked, this, &CPowerPanel::groupByClass);
    connect(m_pTargetGroup, &QButtonGroup::idClicked, this, &CPowerPanel::updateFields);
    connect(m_pCalculate, &QPushButton::clicked, this, &CPowerPanel::calculate);
    connect(m_pFilter, &CRubberSlider::rangeChanged, this, &CPowerPanel::onFilterMoved);
    connect(m_pHighlight, &QPushButton::clicked, this, &CPowerPanel::highlight);
    connect(m_pPass, &QPushButton::clicked, this, &CPowerPanel::highlight);
    connect(m_pExport, &QPushButton::clicked, this, [this] {
        QMenu menu(this);
        QAction* selected = menu.addAction("The selected probe sets...");
        QAction* summary = menu.addAction("The summary table...");
        menu.addAction("The interactive result...");
        QAction* chosen = menu.exec(m_pExport->mapToGlobal(QPoint(0, m_pExport->height())));
        if (chosen)
            exportWithDialog(chosen == selected ? kExportSelected : chosen == summary ? kExportSummary : kExportInteractive);
    });
    connect(m_pPresent, &QSlider::valueChanged, this, [this](int v) { m_pPresentField->setText(QString::number(v)); });
    connect(m_pPresentField, &QLineEdit::editingFinished, this, [this] {
        bool ok = false;
        const int v = m_pPresentField->text().toInt(&ok);
        if (ok)
            m_pPresent->setValue(v);
        m_pPresentField->setText(QString::number(m_pPresent->value()));
    });
    connect(m_pPresentButton, &QPushButton::clicked, this, [this] { filterPresent(false); });
    connect(m_pAbsentButton, &QPushButton::clicked, this, [this] { filterPresent(true); });
    refill();
}

void CPowerPanel::updateFields(int target)
{
    // The target's own slider and field are not inputs.
    for (int t = 0; t < 4; ++t) {
        m_pSliders[t]->setEnabled(t != target);
        m_pFields[t]->setEnabled(t != target);
    }
}

void CPowerPanel::updateEnabled()
{
    CArxDoc* d = doc();
    const bool loaded = d && d->m_bDataLoaded && d->data();
    m_pPresentButton->setEnabled(loaded && d->data()->m_nWeightType == 2);
    m_pAbsentButton->setEnabled(loaded);
    const bool haveResult = !m_run.empty();
    m_pHighlight->setEnabled(haveResult);
    m_pPass->setEnabled(haveResult);
    m_pExport->setEnabled(haveResult);
    m_pFilter->setEnabled(haveResult);
}

void CPowerPanel::refill()
{
    m_pGroups->clear();
    m_pSamples->clear();
    m_nGroupsMade = 2;
    for (const char* name : {"Group1", "Group2"})
        m_pGroups->addTopLevelItem(new QTreeWidgetItem(QStringList(name)));
    m_run = PowerRun{};
    m_pResult->setResult(nullptr, nullptr, {});
    m_pFilterLow->clear();
    m_pFilterHigh->clear();
    m_pRemains->clear();
    m_pShownData = nullptr;
    m_nShownRows = -1;
    if (CArxDoc* d = doc(); d && d->m_bDataLoaded && d->data()) {
        m_pShownData = d->data();
        m_nShownRows = m_pShownData->rowCount();
        for (int k = 0; k < d->data()->m_nColumns; ++k)
            addSample(k);
    }
    updateEnabled();
}

void CPowerPanel::addSample(int column)
{
    CArxDoc* d = doc();
    if (!d || !d->data())
        return;
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(d->data()->columnField(column)->m_strName)));
    item->setData(0, kColumnRole, column);
    // Kept in column order.
    int at = 0;
    while (at < m_pSamples->topLevelItemCount() && m_pSamples->topLevelItem(at)->data(0, kColumnRole).toInt() < column)
        ++at;
    m_pSamples->insertTopLevelItem(at, item);
}

void CPowerPanel::onUpdate(CDocObserver* sender, int hint)
{
    if (sender == this)
        return;
    // New data refills; clustering the same data again keeps the groups
    // and the result.
    if (hint == kHintNewData) {
        refill();
    } else if (hint == kHintResultsChanged) {
        CArxDoc* d = doc();
        const DataMatrix* data = d && d->m_bDataLoaded ? d->data() : nullptr;
        if (data != m_pShownData || (data && data->rowCount() != m_nShownRows))
            refill();
    }
}

QTreeWidgetItem* CPowerPanel::selectedGroup() const
{
    QTreeWidgetItem* item = m_pGroups->currentItem();
    if (!item || !item->isSelected()) {
        const QList<QTreeWidgetItem*> sel = m_pGroups->selectedItems();
        item = sel.isEmpty() ? nullptr : sel.front();
    }
    while (item && item->parent())
        item = item->parent();
    return item;
}

std::vector<int> CPowerPanel::groupColumns(int group) const
{
    std::vector<int> out;
    if (group < 0 || group >= m_pGroups->topLevelItemCount())
        return out;
    QTreeWidgetItem* g = m_pGroups->topLevelItem(group);
    for (int i = 0; i < g->childCount(); ++i)
        out.push_back(g->child(i)->data(0, kColumnRole).toInt());
    return out;
}

void CPowerPanel::moveToGroup()
{
    QTreeWidgetItem* group = selectedGroup();
    if (!group) {
        showMessage("Select a group first");
        return;
    }
    for (QTreeWidgetItem* s : m_pSamples->selectedItems()) {
        m_pSamples->takeTopLevelItem(m_pSamples->indexOfTopLevelItem(s));
        group->addChild(s);
    }
    group->setExpanded(true);
}

void CPowerPanel::moveBack()
{
    for (QTreeWidgetItem* s : m_pGroups->selectedItems()) {
        if (!s->parent())
            continue;
        const int column = s->data(0, kColumnRole).toInt();
        delete s->parent()->takeChild(s->parent()->indexOfChild(s));
        addSample(column);
    }
}

void CPowerPanel::moveAllBack()
{
    for (int g = 0; g < m_pGroups->topLevelItemCount(); ++g)
        for (int column : groupColumns(g))
            addSample(column);
    for (int g = 0; g < m_pGroups->topLevelItemCount(); ++g)
        qDeleteAll(m_pGroups->topLevelItem(g)->takeChildren());
}

void CPowerPanel::newGroup()
{
    m_pGroups->addTopLevelItem(new QTreeWidgetItem(QStringList(QString("Group%1").arg(++m_nGroupsMade))));
}

bool CPowerPanel::groupByClass()
{
    CArxDoc* d = doc();
    const DataMatrix* data = d && d->m_bDataLoaded ? d->data() : nullptr;
    std::map<int, std::vector<int>> classes;
    if (data)
        for (int k = 0; k < data->m_nColumns; ++k)
            if (const int cid = data->columnField(k)->m_nCID; cid >= 0)
                classes[cid].push_back(k);
    if (classes.empty()) {
        showMessage("The data have no classes (no CID row).");
        return false;
    }
    m_pGroups->clear();
    m_pSamples->clear();
    m_nGroupsMade = 0;
    for (const auto& [cid, columns] : classes) {
        auto* group = new QTreeWidgetItem(QStringList(QString("Class %1").arg(cid)));
        ++m_nGroupsMade;
        for (int k : columns) {
            auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(data->columnField(k)->m_strName)));
            item->setData(0, kColumnRole, k);
            group->addChild(item);
        }
        m_pGroups->addTopLevelItem(group);
    }
    // Columns without a class stay among the samples.
    for (int k = 0; k < data->m_nColumns; ++k)
        if (data->columnField(k)->m_nCID < 0)
            addSample(k);
    return true;
}

void CPowerPanel::deleteGroup()
{
    QTreeWidgetItem* group = selectedGroup();
    if (!group) {
        showMessage("Select a group first");
        return;
    }
    for (int i = 0; i < group->childCount(); ++i)
        addSample(group->child(i)->data(0, kColumnRole).toInt());
    delete m_pGroups->takeTopLevelItem(m_pGroups->indexOfTopLevelItem(group));
}

void CPowerPanel::setModel(int model) { m_pModelGroup->button(model)->setChecked(true); }
int CPowerPanel::model() const { return m_pModelGroup->checkedId(); }

void CPowerPanel::setTarget(int target)
{
    m_pTargetGroup->button(target)->setChecked(true);
    updateFields(target);
}

int CPowerPanel::target() const { return m_pTargetGroup->checkedId(); }

PowerInputs CPowerPanel::inputs() const
{
    PowerInputs in;
    in.model = model();
    in.target = target();
    double* values[4] = {&in.fold, &in.power, &in.alpha, &in.n};
    for (int t = 0; t < 4; ++t) {
        bool ok = false;
        const double v = m_pFields[t]->text().toDouble(&ok);
        *values[t] = ok && validInput(t, v) ? v : sliderValue(t, m_pSliders[t]->value());
    }
    bool ok = false;
    const double h0 = m_pH0->text().trimmed().toDouble(&ok);
    in.hasH0 = ok;
    in.h0 = ok ? h0 : 0.0;
    return in;
}

bool CPowerPanel::calculate()
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || !d->data()) {
        showMessage("Load data file first !");
        return false;
    }
    const std::vector<int> g1 = groupColumns(0), g2 = groupColumns(1);
    const PowerInputs in = inputs();
    const std::string check = powerGroupCheck(in.model, g1.size(), g2.size());
    if (!check.empty()) {
        showMessage(check);
        return false;
    }
    std::vector<int> rows;
    bool all = true;
    if (!d->m_selectedItems.empty()) {
        const Answer a = messages().question("Calculate for all probe sets?\n"
                                             "Yes: all probe sets    No: the selected probe sets only");
        if (a == Answer::Cancel)
            return false;
        all = a == Answer::Yes;
        if (!all) {
            // Items to rows in one pass (items are rows for opened data).
            std::vector<int> rowOf;
            for (int r = 0; r < d->data()->rowCount(); ++r) {
                const int item = d->itemOfRow(r);
                const int key = item >= 0 ? item : r;
                if (key >= static_cast<int>(rowOf.size()))
                    rowOf.resize(static_cast<size_t>(key) + 1, -1);
                rowOf[static_cast<size_t>(key)] = r;
            }
            for (int item : d->m_selectedItems)
                if (item >= 0 && item < static_cast<int>(rowOf.size()) && rowOf[static_cast<size_t>(item)] >= 0)
                    rows.push_back(rowOf[static_cast<size_t>(item)]);
        }
    }
    PowerRun run;
    if (!calculatePower(*d->data(), g1, g2, in, all ? nullptr : &rows, run))
        return false;
    m_run = std::move(run);
    if (d->m_pRowForest)
        storePowerInNodes(m_run, *d->m_pRowForest);
    m_run.filterRange(m_dFilterMin, m_dFilterMax);
    {
        const QSignalBlocker block(m_pFilter);
        m_pFilter->setValues(0, kFilterSteps);
    }
    updateEnabled();
    listFiltered();
    return true;
}

void CPowerPanel::filterRange(double& lo, double& hi) const
{
    const double span = m_dFilterMax - m_dFilterMin;
    lo = m_pFilter->low() == 0 ? m_dFilterMin : m_dFilterMin + span * m_pFilter->low() / kFilterSteps;
    hi = m_pFilter->high() == kFilterSteps ? m_dFilterMax : m_dFilterMin + span * m_pFilter->high() / kFilterSteps;
}

void CPowerPanel::setFilterRange(double lo, double hi)
{
    const double span = m_dFilterMax - m_dFilterMin;
    auto pos = [&](double v) {
        return span > 0 ? std::clamp(static_cast<int>(std::lround((v - m_dFilterMin) / span * kFilterSteps)), 0, kFilterSteps)
                        : 0;
    };
    m_pFilter->setValues(pos(lo), span > 0 ? pos(hi) : kFilterSteps);
    onFilterMoved();
}

void CPowerPanel::onFilterMoved() { listFiltered(); }

void CPowerPanel::listFiltered()
{
    if (m_run.empty() || !doc() || !doc()->data()) {
        m_pResult->setResult(nullptr, nullptr, {});
        return;
    }
    double lo, hi;
    filterRange(lo, hi);
    m_pFilterLow->setText(QString::asprintf("%.2f", lo));
    m_pFilterHigh->setText(QString::asprintf("%.2f", hi));
    m_pResult->setResult(doc()->data(), &m_run, m_run.filter(lo, hi));
}

void CPowerPanel::selectRows(const std::vector<int>& rows)
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded)
        return;
    std::vector<int> items;
    items.reserve(rows.size());
    for (int r : rows) {
        const int item = d->itemOfRow(r);
        items.push_back(item >= 0 ? item : r);
    }
    std::sort(items.begin(), items.end());
    d->setItemSelection(std::move(items), this);
}

void CPowerPanel::highlight() { selectRows(m_pResult->rows()); }

bool CPowerPanel::exportTo(int kind, const QString& path)
{
    CArxDoc* d = doc();
    if (m_run.empty() || !d || !d->data())
        return false;
    const std::string p = path.toStdString();
    switch (kind) {
    case kExportSelected:
        return writePowerSelected(p, *d->data(), m_run, m_pResult->rows());
    case kExportSummary: {
        std::vector<std::string> names;
        for (int g = 0; g < std::min(2, m_pGroups->topLevelItemCount()); ++g)
            names.push_back(m_pGroups->topLevelItem(g)->text(0).toStdString());
        return writePowerSummary(p, *d->data(), m_run, m_pResult->rows(), names);
    }
    default:
        return writePowerInteractive(p, *d->data(), m_run, m_pResult->rows());
    }
}

void CPowerPanel::exportWithDialog(int kind)
{
    CArxDoc* d = doc();
    if (m_run.empty() || !d)
        return;
    static const char* const titles[] = {"Export the selected probe sets in a txt file",
                                         "Export the summary table in a txt file",
                                         "Export the interactive power analysis result in a txt file"};
    QFileDialog dlg(this, titles[kind]);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.setNameFilter("text files (*.txt)");
    dlg.setDefaultSuffix("txt");
    dlg.selectFile(QString::fromStdString(powerExportName(kind, d->m_strDataName, m_run)));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString path = dlg.selectedFiles().front();
    if (mayOverwrite(path))
        exportTo(kind, path);
}

void CPowerPanel::filterPresent(bool allAbsent)
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || !d->data())
        return;
    const std::vector<int> rows = allAbsent ? allAbsentRows(*d->data()) : presentCallRows(*d->data(), m_pPresent->value());
    m_pRemains->setText(QString::fromStdString(remainsText(static_cast<int>(rows.size()), d->data()->rowCount())));
    selectRows(rows);
}
