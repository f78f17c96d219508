#include "linked/ui/CDataTableModel.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "app/CArxDoc.h"
#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/CellText.h"
#include "linked/Lookup.h"

void CDataTableModel::refresh(CArxDoc* doc, bool selectedOnly)
{
    beginResetModel();
    const DataMatrix* data = doc && doc->m_bDataLoaded && doc->mainPair() ? doc->mainPair()->m_pData : nullptr;
    const Annotation* annotation = data ? doc->annotation() : nullptr;
    const bool sameAnnotation =
        annotation && m_pAnnotation == annotation && m_pData == data && m_strAnnotationPath == annotation->path();
    m_pDoc = data ? doc : nullptr;
    m_pData = data;
    m_pAnnotation = annotation;
    m_strAnnotationPath = annotation ? annotation->path() : std::string();
    m_nValueColumns = data ? data->m_nColumns : 0;
    m_nAnnotationColumns = annotation ? annotation->columnCount() : 0;
    m_bSequence = data && doc->m_bSequence;
    m_nDescriptionField = -1;
    for (const char* name : {"DESC", "DESCRIPTION"})
        if (data && m_nDescriptionField < 0) {
            const int f = data->fieldIndex(name);
            if (f >= 0 && data->field(f)->m_nType == String)
                m_nDescriptionField = f;
        }
    rebuildItemMap();

    // Rows: every item in item order, or the selected ones.
    m_rows.clear();
    if (data) {
        if (selectedOnly) {
            for (int item : doc->m_selectedItems)
                if (item >= 0 && static_cast<size_t>(item) < m_rowOfItem.size() && m_rowOfItem[static_cast<size_t>(item)] >= 0)
                    m_rows.push_back(m_rowOfItem[static_cast<size_t>(item)]);
            std::sort(m_rows.begin(), m_rows.end());
        } else {
            m_rows.resize(static_cast<size_t>(data->m_nRows));
            std::iota(m_rows.begin(), m_rows.end(), 0);
        }
    }
    m_listRowOfRow.assign(static_cast<size_t>(data ? data->m_nRows : 0), -1);
    m_selected.assign(static_cast<size_t>(data ? data->m_nRows : 0), 0);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_listRowOfRow[static_cast<size_t>(m_rows[i])] = static_cast<int>(i);

    // Columns: the sort state goes; look-up templates of the same annotation stay.
    std::vector<ColumnEntry> old = std::move(m_entries);
    m_entries.assign(static_cast<size_t>(kFixedColumns + m_nValueColumns + m_nAnnotationColumns), ColumnEntry{});
    for (int k = 0; k < m_nValueColumns; ++k) {
        const int type = data->columnField(k)->m_nType;
        m_entries[static_cast<size_t>(kFixedColumns + k)].numeric = !m_bSequence && type != String && type != CategoricalStr;
    }
    for (int c = 0; c < m_nAnnotationColumns; ++c) {
        const size_t at = static_cast<size_t>(kFixedColumns + m_nValueColumns + c);
        m_entries[at].urlTemplate = sameAnnotation && at < old.size() ? old[at].urlTemplate
                                                                     : defaultUrlTemplate(annotation->header(c));
    }
    m_bSorted = false;
    endResetModel();
}

void CDataTableModel::rebuildItemMap()
{
    m_itemOfRow.clear();
    m_rowOfItem.clear();
    if (!m_pData)
        return;
    int largest = -1;
    m_itemOfRow.resize(static_cast<size_t>(m_pData->m_nRows));
    for (int r = 0; r < m_pData->m_nRows; ++r) {
        const int item = m_pDoc->itemOfRow(r);
        m_itemOfRow[static_cast<size_t>(r)] = item;
        largest = std::max(largest, item);
    }
    m_rowOfItem.assign(static_cast<size_t>(largest + 1), -1);
    for (int r = 0; r < m_pData->m_nRows; ++r)
        if (m_itemOfRow[static_cast<size_t>(r)] >= 0)
            m_rowOfItem[static_cast<size_t>(m_itemOfRow[static_cast<size_t>(r)])] = r;
}

void CDataTableModel::setUseOriginal(bool original)
{
    if (original == m_bOriginal)
        return;
    m_bOriginal = original;
    if (m_nValueColumns > 0 && !m_rows.empty())
        emit dataChanged(index(0, kFixedColumns), index(rowCount() - 1, kFixedColumns + m_nValueColumns - 1),
                         {Qt::DisplayRole});
}

int CDataTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CDataTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_pData ? 0 : static_cast<int>(m_entries.size());
}

int CDataTableModel::itemOf(int row) const { return m_itemOfRow[static_cast<size_t>(matrixRow(row))]; }

int CDataTableModel::listRowOfItem(int item) const
{
    if (item < 0 || static_cast<size_t>(item) >= m_rowOfItem.size())
        return -1;
    const int r = m_rowOfItem[static_cast<size_t>(item)];
    return r < 0 ? -1 : m_listRowOfRow[static_cast<size_t>(r)];
}

std::string CDataTableModel::cellText(int row, int column) const
{
    if (!m_pData || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    const int r = matrixRow(row);
    switch (column) {
    case 0:
        return m_pData->itemId(r);
    case 1:
        return m_pData->itemName(r);
    case 2:
        return m_nDescriptionField < 0 ? std::string() : m_pData->field(m_nDescriptionField)->m_pOrgTexts[static_cast<size_t>(r)];
    default:
        break;
    }
    if (isValueColumn(column)) {
        const int k = column - kFixedColumns;
        return valueCellText(*m_pData->columnField(k), m_bOriginal ? m_pData->orgValue(r, k) : m_pData->value(r, k),
                             m_pData->weight(r, k), m_bOriginal ? ValueShown::Original : ValueShown::Current,
                             m_bSequence);
    }
    const int c = column - kFixedColumns - m_nValueColumns;
    return std::string(m_pAnnotation->cell(m_pAnnotation->lineOfRow(r), c));
}

std::string CDataTableModel::headerText(int column) const
{
    if (column < kFixedColumns) {
        static const char* const names[] = {"ID", "Name", "Description"};
        return names[column];
    }
    if (isValueColumn(column))
        return m_pData->columnField(column - kFixedColumns)->m_strName;
    if (isAnnotationColumn(column))
        return std::string(m_pAnnotation->header(column - kFixedColumns - m_nValueColumns));
    return {};
}

QVariant CDataTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return QString::fromStdString(cellText(index.row(), index.column()));
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
        if (!isRowSelected(index.row()))
            return {};
        return role == Qt::BackgroundRole ? m_clrSelBackground : m_clrSelText;
    }
    if (role == Qt::TextAlignmentRole) {
        bool left = true;
        if (isValueColumn(index.column())) {
            const int type = m_pData->columnField(index.column() - kFixedColumns)->m_nType;
            left = type == String || type == CategoricalStr;
        }
        return QVariant::fromValue(Qt::Alignment((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    }
    return {};
}

QVariant CDataTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromStdString(headerText(section));
    // Columns with a look-up are marked in blue.
    if (role == Qt::ForegroundRole && !entry(section).urlTemplate.empty())
        return QColor(Qt::blue);
    if (role == Qt::ToolTipRole && !entry(section).urlTemplate.empty())
        return QString::fromStdString(entry(section).urlTemplate);
    return {};
}

void CDataTableModel::setSelectionColours(const QColor& background, const QColor& text)
{
    m_clrSelBackground = background;
    m_clrSelText = text;
}

void CDataTableModel::setSelectedItems(const std::vector<int>& items)
{
    std::fill(m_selected.begin(), m_selected.end(), 0);
    for (int item : items)
        if (item >= 0 && static_cast<size_t>(item) < m_rowOfItem.size() && m_rowOfItem[static_cast<size_t>(item)] >= 0)
            m_selected[static_cast<size_t>(m_rowOfItem[static_cast<size_t>(item)])] = 1;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
}

double CDataTableModel::sortValue(int row, int column) const
{
    const int r = matrixRow(row), k = column - kFixedColumns;
    if (m_pData->weight(r, k) == -1.0f)
        return -std::numeric_limits<double>::infinity();
    return m_bOriginal ? m_pData->orgValue(r, k) : m_pData->value(r, k);
}

bool CDataTableModel::sortByColumn(int column)
{
    if (column < 0 || column >= columnCount())
        return false;
    ColumnEntry& e = entry(column);
    e.ascending = e.sorted ? !e.ascending : true;
    e.sorted = true;
    const bool ascending = e.ascending;
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (e.numeric) {
        std::vector<double> key(m_rows.size());
        for (size_t i = 0; i < key.size(); ++i)
            key[i] = sortValue(static_cast<int>(i), column);
        std::stable_sort(order.begin(), order.end(),
                         [&](int x, int y) { return ascending ? key[x] < key[y] : key[y] < key[x]; });
    } else {
        std::vector<std::string> key(m_rows.size());
        for (size_t i = 0; i < key.size(); ++i)
            key[i] = cellText(static_cast<int>(i), column);
        std::stable_sort(order.begin(), order.end(),
                         [&](int x, int y) { return ascending ? key[x] < key[y] : key[y] < key[x]; });
    }
    std::vector<int> rows(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        rows[i] = m_rows[static_cast<size_t>(order[i])];
    setOrder(std::move(rows));
    m_bSorted = true;
    return ascending;
}

void CDataTableModel::revertOrder()
{
    std::vector<int> rows = m_rows;
    std::sort(rows.begin(), rows.end());
    setOrder(std::move(rows));
    for (ColumnEntry& e : m_entries)
        e.ascending = e.sorted = false;
    m_bSorted = false;
}

void CDataTableModel::setOrder(std::vector<int> rows)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> oldRows = std::exchange(m_rows, std::move(rows));
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_listRowOfRow[static_cast<size_t>(m_rows[i])] = static_cast<int>(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.push_back(index(m_listRowOfRow[static_cast<size_t>(oldRows[static_cast<size_t>(i.row())])], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
