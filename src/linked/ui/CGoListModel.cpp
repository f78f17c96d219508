#include "linked/ui/CGoListModel.h"

void CGoListModel::setRows(QStringList columns, std::vector<QStringList> rows)
{
    beginResetModel();
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    endResetModel();
}

int CGoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CGoListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(m_columns.size()); }

QVariant CGoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::ToolTipRole))
        return {};
    const QStringList& r = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::TextAlignmentRole) {
        bool number = false;
        r.value(index.column()).toDouble(&number);
        return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return r.value(index.column());
}

QVariant CGoListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_columns.value(section);
    return section + 1;
}
