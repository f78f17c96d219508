#pragma once
// List 1096: rows of texts under column titles (the enrichment rows or the
// search results), read-only.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class CGoListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(QStringList columns, std::vector<QStringList> rows);
    const QStringList& columns() const { return m_columns; }
    const QStringList& row(int r) const { return m_rows[static_cast<size_t>(r)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_columns;
    std::vector<QStringList> m_rows;
};
