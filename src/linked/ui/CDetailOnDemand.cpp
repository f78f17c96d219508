#include "linked/ui/CDetailOnDemand.h"

#include <QBitmap>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#include "app/CArxDoc.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "linked/CellText.h"
#include "linked/ui/CDataTableView.h"
#include "linked/ui/SaveSelection.h"

// ---------------------------------------------------------------- selection list

void CDetailSelectionModel::setLeaves(const CForest* forest, std::vector<int> positions)
{
    beginResetModel();
    m_pForest = forest;
    m_positions = std::move(positions);
    endResetModel();
}

int CDetailSelectionModel::rowOfLeaf(int position) const
{
    auto it = std::find(m_positions.begin(), m_positions.end(), position);
    return it == m_positions.end() ? -1 : static_cast<int>(it - m_positions.begin());
}

int CDetailSelectionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !live() ? 0 : static_cast<int>(m_positions.size());
}

int CDetailSelectionModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

std::string CDetailSelectionModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || leafAt(row) < 0 || leafAt(row) >= m_pForest->m_nLeaves)
        return {};
    const CNode* leaf = m_pForest->leaf(leafAt(row));
    switch (column) {
    case 0: return leaf->m_strLabel2;
    case 1: return leaf->m_strName;
    default: return leaf->m_strLabel3.empty() ? leaf->m_strName : leaf->m_strLabel3;
    }
}

QVariant CDetailSelectionModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return QString::fromStdString(text(index.row(), index.column()));
    return {};
}

QVariant CDetailSelectionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const names[] = {"ID", "Name", "Description"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return QString(names[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------- detail list

void CDetailValuesModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CDetailValuesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CDetailValuesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant CDetailValuesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Row& r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0: return QString::fromStdString(r.field);
        case 1: return QString::fromStdString(r.transformed);
        case 2: return QString::fromStdString(r.original);
        default: return {};  // the colour is painted, not written
        }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
        if (index.column() == 3)
            return QColor(r.color.r, r.color.g, r.color.b);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment((index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant CDetailValuesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const names[] = {"Field", "Transformed", "Original", "Color"};
    if (orientation == Qt::Horizontal && section >= 0 && section < 4) {
        if (role == Qt::DisplayRole)
            return QString(names[section]);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment((section == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------- the panel

namespace {
QTableView* makeList(QWidget* parent, QAbstractItemModel* model)
{
    auto* list = new QTableView(parent);
    list->setModel(model);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->horizontalHeader()->setStretchLastSection(true);
    list->resizeColumnsToContents();  // every column fits its header
    return list;
}

// A down arrow for the right triangle's square (the up arrow is the system's).
const QCursor& downArrowCursor()
{
    static const QCursor cursor = [] {
        QPixmap pix(16, 16);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setPen(Qt::black);
        p.setBrush(Qt::black);
        p.drawRect(7, 1, 2, 9);
        const QPoint head[] = {{3, 9}, {12, 9}, {8, 14}};
        p.drawPolygon(head, 3);
        p.end();
        return QCursor(pix, 8, 14);
    }();
    return cursor;
}
} // namespace

CDetailOnDemand::CDetailOnDemand(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Detail");
    setMouseTracking(true);
    m_pSave = new QToolButton(this);
    m_pSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_pSave->setToolTip("Save the items on the list");
    m_pSave->setEnabled(false);
    m_pSelCaption = new QLabel("Select items", this);
    m_pSelModel = new CDetailSelectionModel(this);
    m_pSelModel->setLiveness([this](const CForest* f) {
        const CArxDoc* d = doc();
        return d && (f == d->m_pRowForest || f == d->m_pColForest);
    });
    m_pSelList = makeList(this, m_pSelModel);
    m_pDetailCaption = new QLabel(this);
    m_pValuesModel = new CDetailValuesModel(this);
    m_pDetailList = makeList(this, m_pValuesModel);
    connect(m_pSave, &QToolButton::clicked, this, [this] {
        if (CArxDoc* d = doc(); d && m_bListRows && m_pSelModel->rowCount() > 0)
            saveSelectedItemsWithDialog(this, *d);
    });
    connect(m_pSelList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CDetailOnDemand::onCurrentRowChanged);
    connect(m_pSelList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { activateRow(index.row()); });
    m_bReady = true;
    layoutControls();
}

void CDetailOnDemand::setFraction(float fraction)
{
    m_fFraction = fraction;
    layoutControls();
    update();
}

void CDetailOnDemand::layoutControls()
{
    if (!m_bReady)
        return;
    const DetailLayout l = currentLayout();
    auto place = [](QWidget* w, const PanelRect& r) { w->setGeometry(r.left, r.top, r.width, r.height); };
    place(m_pSave, l.saveButton);
    place(m_pSelCaption, l.selectionCaption);
    place(m_pSelList, l.selectionList);
    place(m_pDetailCaption, l.detailCaption);
    place(m_pDetailList, l.detailList);
}

void CDetailOnDemand::resizeEvent(QResizeEvent*) { layoutControls(); }

void CDetailOnDemand::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const DetailLayout l = currentLayout();
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = QRect(l.bar.left, l.bar.top, l.bar.width, l.bar.height);
    option.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p, this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    for (const int* t : {l.leftTriangle, l.rightTriangle}) {
        const QPoint points[] = {{t[0], t[1]}, {t[2], t[3]}, {t[4], t[5]}};
        p.drawPolygon(points, 3);
    }
}

void CDetailOnDemand::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    switch (barHitTest(currentLayout(), pos.x(), pos.y())) {
    case BarHit::LeftSquare:
        setFraction(0.05f);
        return;
    case BarHit::RightSquare:
        setFraction(0.95f);
        return;
    case BarHit::Bar:
        setCursor(Qt::SplitVCursor);
        [[fallthrough]];
    default:
        m_bDragging = true;  // the panel keeps the mouse until the button is released
        break;
    }
}

void CDetailOnDemand::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    switch (barHitTest(currentLayout(), pos.x(), pos.y())) {
    case BarHit::LeftSquare: setCursor(Qt::UpArrowCursor); break;
    case BarHit::RightSquare: setCursor(downArrowCursor()); break;
    case BarHit::Bar: setCursor(Qt::SplitVCursor); break;
    default:
        if (!m_bDragging)
            unsetCursor();
        break;
    }
    if (!m_bDragging)
        return;
    m_fFraction = dragFraction(pos.y(), height());
    layoutControls();
    update();
}

void CDetailOnDemand::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_bDragging)
        return;
    m_bDragging = false;
    update();
}

void CDetailOnDemand::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton && barHitTest(currentLayout(), pos.x(), pos.y()) == BarHit::Bar)
        setFraction(0.5f);
}

// ---------------------------------------------------------------- hints

void CDetailOnDemand::setSubject(bool rows)
{
    CArxDoc* d = doc();
    m_bSubjectRows = rows;
    m_pSubject = d ? (rows ? d->m_pRowForest : d->m_pColForest) : nullptr;
    m_pPartner = d ? (rows ? d->m_pColForest : d->m_pRowForest) : nullptr;
}

void CDetailOnDemand::onUpdate(CDocObserver*, int hint)
{
    // The lists point into the forests: whatever is gone, hidden or not,
    // leaves them empty.
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || !d->m_pRowForest || !d->m_pColForest || hint == kHintNewData) {
        m_pSubject = m_pPartner = nullptr;
        m_bListRows = true;
        clearLists();
        return;
    }
    if (!isVisible() && hint != kHintResultsChanged)
        return;
    switch (hint) {
    case kHintResultsChanged:
    case kHintDirectionSwitched:
        clearLists();
        m_bListRows = true;
        setSubject(true);
        break;
    case kHintItemSelection:
        m_bListRows = true;
        setSubject(true);
        refillSelection();
        break;
    case kHintVariableSelection:
    case kHintVariableSubtree:
        if (!d->m_bRowView) {
            m_bListRows = false;
            setSubject(false);
            refillSelection();
        }
        break;
    case kHintCurrentItem:
        setSubject(true);
        showHovered();
        break;
    case kHintCurrentVariable:
        setSubject(false);
        showHovered();
        break;
    case kHintAnnotation:  // the items' labels changed
        if (m_pSubject)
            refillSelection();
        break;
    default:
        break;
    }
}

void CDetailOnDemand::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    CArxDoc* d = doc();
    if (d && d->m_bDataLoaded && d->m_pRowForest && d->m_pColForest) {
        if (!m_pSubject)
            setSubject(m_bListRows);
        refillSelection();
    }
}

void CDetailOnDemand::clearLists()
{
    m_pSelModel->setLeaves(nullptr, {});
    m_pValuesModel->setRows({});
    m_pDetailCaption->clear();
    m_pSelCaption->setText(QString::fromStdString(selectionCountText(0)));
    m_pSave->setEnabled(false);
}

const CForest* CDetailOnDemand::listForest() const
{
    CArxDoc* d = doc();
    return d ? (m_bListRows ? d->m_pRowForest : d->m_pColForest) : nullptr;
}

void CDetailOnDemand::refillSelection()
{
    // The list follows the last selection made (items, or the variables of
    // the column view), whatever the pointer hovers over meanwhile.
    CArxDoc* d = doc();
    const CForest* forest = listForest();
    if (!d || !forest)
        return;
    const std::vector<int>& selected = m_bListRows ? d->m_selectedItems : d->m_selectedVariables;
    std::vector<int> positions;
    // Data index -> position through the leaf map.
    std::vector<int> byData;
    for (int p = 0; p < forest->m_nLeaves; ++p) {
        const int di = forest->dataIndex(p);
        if (di >= static_cast<int>(byData.size()))
            byData.resize(static_cast<size_t>(di) + 1, -1);
        if (di >= 0)
            byData[static_cast<size_t>(di)] = p;
    }
    for (int di : selected)
        if (di >= 0 && static_cast<size_t>(di) < byData.size() && byData[static_cast<size_t>(di)] >= 0)
            positions.push_back(byData[static_cast<size_t>(di)]);
    m_pSelList->setUpdatesEnabled(false);
    m_pSelModel->setLeaves(forest, std::move(positions));
    CDataTableView::fitColumn(m_pSelList, 0);
    CDataTableView::fitColumn(m_pSelList, 1);
    m_pSelList->setUpdatesEnabled(true);
    const int rows = m_pSelModel->rowCount();
    m_pSelCaption->setText(QString::fromStdString(m_bListRows ? selectionCountText(rows)
                                                              : variableSelectionCountText(rows)));
    // The button saves items; a list of variables has nothing to save.
    m_pSave->setEnabled(m_bListRows && rows > 0);
}

void CDetailOnDemand::showHovered()
{
    CArxDoc* d = doc();
    if (!d || !m_pSubject)
        return;
    const int hovered = m_bSubjectRows ? d->m_nCurrentItem : d->m_nCurrentVariable;
    int position = -1;
    for (int p = 0; p < m_pSubject->m_nLeaves && hovered >= 0; ++p)
        if (m_pSubject->dataIndex(p) == hovered) {
            position = p;
            break;
        }
    if (position < 0) {
        m_pValuesModel->setRows({});
        m_pDetailCaption->clear();
        m_pSelList->clearSelection();
        return;
    }
    // The list shows only its own forest's selection; a leaf of the other forest does not count.
    const int row = m_bSubjectRows == m_bListRows && m_pSelModel->rowCount() > 0 ? m_pSelModel->rowOfLeaf(position) : -1;
    if (row >= 0) {
        const QModelIndex index = m_pSelModel->index(row, 0);
        m_pSelList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
        m_pSelList->scrollTo(index);
    } else {
        m_pSelList->clearSelection();
    }
    showLeaf(position);
}

void CDetailOnDemand::onCurrentRowChanged()
{
    const QModelIndex current = m_pSelList->currentIndex();
    if (current.isValid() && m_pSelList->selectionModel()->isRowSelected(current.row(), {})) {
        setSubject(m_bListRows);
        showLeaf(m_pSelModel->leafAt(current.row()));
    }
}

void CDetailOnDemand::showLeaf(int position)
{
    CArxDoc* d = doc();
    if (!d || !m_pSubject || !m_pPartner || position < 0 || position >= m_pSubject->m_nLeaves)
        return;
    const DataMatrix* data = d->mainPair() ? d->mainPair()->m_pData : nullptr;
    if (!data)
        return;
    const CNode* leaf = m_pSubject->leaf(position);
    const ColorMapping& mapping = viewContext().mapping;
    std::vector<CDetailValuesModel::Row> rows;
    rows.reserve(static_cast<size_t>(m_pPartner->m_nLeaves) + 6);
    for (int j = 0; j < m_pPartner->m_nLeaves; ++j) {
        CDetailValuesModel::Row r;
        r.field = m_pPartner->leaf(j)->m_strName;
        const int column = m_bSubjectRows ? m_pPartner->dataIndex(j) : m_pSubject->dataIndex(position);
        const float weight = leaf->m_pWeights ? leaf->m_pWeights[j] : -1.0f;
        if (column >= 0 && column < data->m_nColumns && leaf->m_pValues && leaf->m_pOrgValues) {
            const FieldInfo& field = *data->columnField(column);
            r.transformed = valueCellText(field, leaf->m_pValues[j], weight, ValueShown::Transformed, d->m_bSequence);
            r.original = valueCellText(field, leaf->m_pOrgValues[j], weight, ValueShown::Original, d->m_bSequence);
        }
        if (!r.transformed.empty())
            r.color = mapping.colorOf(leaf->m_pValues[j]);
        rows.push_back(std::move(r));
    }
    if (m_bSubjectRows) {
        // The text fields the row forest carries for its leaves.
        const auto* item = static_cast<const CRowNode*>(leaf);
        auto add = [&](const char* name, const std::string& text) {
            const int f = data->fieldIndex(name);
            if (f > 0 && data->field(f)->m_nType == String) {
                CDetailValuesModel::Row r;
                r.field = data->field(f)->m_strName;
                r.transformed = text;
                rows.push_back(std::move(r));
            }
        };
        if (!data->m_fields.empty()) {
            CDetailValuesModel::Row id;
            id.field = data->field(0)->m_strName;
            id.transformed = item->m_strLabel2;
            rows.push_back(std::move(id));
        }
        add(data->fieldIndex("NAME") >= 0 ? "NAME" : "TITLE", item->m_strName);
        add(data->fieldIndex("DESC") >= 0 ? "DESC" : "DESCRIPTION", item->m_strLabel3);
        if (data->fieldIndex("NAME") >= 0)
            add("TITLE", item->m_strTitle);
        add(data->fieldIndex("GO") >= 0 ? "GO" : "GOID", item->m_strOntology);
    }
    m_pDetailList->setUpdatesEnabled(false);
    m_pValuesModel->setRows(std::move(rows));
    CDataTableView::fitColumn(m_pDetailList, 0);  // the field names, not cut to their header's width
    m_pDetailList->setUpdatesEnabled(true);
    if (m_pValuesModel->rowCount() > 0)
        m_pDetailList->scrollTo(m_pValuesModel->index(m_pValuesModel->rowCount() - 1, 0));
    m_pDetailCaption->setText(m_bSubjectRows ? QString::fromStdString(leaf->m_strName)
                                             : QString::fromStdString(leaf->m_strName) + " (variable)");
}

void CDetailOnDemand::activateRow(int row)
{
    CArxDoc* d = doc();
    const CForest* forest = listForest();
    if (!d || !forest || row < 0 || row >= m_pSelModel->rowCount())
        return;
    const int di = forest->dataIndex(m_pSelModel->leafAt(row));
    if (m_bListRows)
        d->setCurrentItem(di);
    else
        d->setCurrentVariable(di);
}
