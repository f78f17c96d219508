#pragma once
// The rows of the "Table View" read from the document on demand: one row per
// item (or per selected item), the columns "ID", "Name", "Description", one
// per value column and, with an annotation attached, one per annotation
// column. Nothing is copied per cell, so 20000 items x 128 values x 40
// annotation columns fill at once.
#include <QAbstractTableModel>
#include <QColor>
#include <string>
#include <vector>

class Annotation;
class CArxDoc;
class DataMatrix;

class CDataTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFixedColumns = 3;  // ID, Name, Description

    // What the view keeps per list column.
    struct ColumnEntry {
        bool ascending = false;  // direction of the next (or last) sort
        bool sorted = false;     // sorted by this column since the last revert
        bool numeric = false;    // compared as numbers
        std::string urlTemplate;  // "" = no look-up
    };

    explicit CDataTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Rebuilds rows and columns from the document (nullptr or no data: empty).
    // selectedOnly lists only the selected items.
    void refresh(CArxDoc* doc, bool selectedOnly);
    void clear() { refresh(nullptr, false); }
    void setUseOriginal(bool original);
    bool useOriginal() const { return m_bOriginal; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell (the table's one formatting of every column).
    std::string cellText(int row, int column) const;
    std::string headerText(int column) const;

    // Matrix row and item (data index) of a list row; list row of an item (-1: not listed).
    int matrixRow(int row) const { return m_rows[static_cast<size_t>(row)]; }
    int itemOf(int row) const;
    int listRowOfItem(int item) const;

    int valueColumnCount() const { return m_nValueColumns; }
    int annotationColumnCount() const { return m_nAnnotationColumns; }
    bool isValueColumn(int column) const { return column >= kFixedColumns && column < kFixedColumns + m_nValueColumns; }
    bool isAnnotationColumn(int column) const { return column >= kFixedColumns + m_nValueColumns && column < columnCount(); }

    ColumnEntry& entry(int column) { return m_entries[static_cast<size_t>(column)]; }
    const ColumnEntry& entry(int column) const { return m_entries[static_cast<size_t>(column)]; }

    // Toggles the column's direction and sorts the rows by it (numbers for
    // numeric columns, texts otherwise; a missing value sorts below every
    // number). Returns the new direction.
    bool sortByColumn(int column);
    // Rows back in item order; every column's direction cleared.
    void revertOrder();
    bool isSorted() const { return m_bSorted; }

    // The document's selection as the table shows it: a flag per matrix row,
    // painted in the selection colours (a selection of thousands of
    // scattered items costs no thousands of selection ranges).
    void setSelectedItems(const std::vector<int>& items);
    bool isRowSelected(int row) const
    {
        const size_t r = static_cast<size_t>(matrixRow(row));
        return r < m_selected.size() && m_selected[r];
    }
    void setSelectionColours(const QColor& background, const QColor& text);

private:
    double sortValue(int row, int column) const;
    // Puts the rows into a new order; persistent indices (the selection) follow their rows.
    void setOrder(std::vector<int> rows);
    void rebuildItemMap();

    CArxDoc* m_pDoc = nullptr;
    const DataMatrix* m_pData = nullptr;
    const Annotation* m_pAnnotation = nullptr;
    std::vector<int> m_rows;         // list row -> matrix row
    std::vector<int> m_listRowOfRow;  // matrix row -> list row (-1)
    std::vector<int> m_itemOfRow;     // matrix row -> item
    std::vector<int> m_rowOfItem;     // item -> matrix row (-1)
    std::vector<ColumnEntry> m_entries;
    std::vector<char> m_selected;  // matrix row -> selected
    QColor m_clrSelBackground, m_clrSelText;
    std::string m_strAnnotationPath;
    int m_nValueColumns = 0;
    int m_nAnnotationColumns = 0;
    int m_nDescriptionField = -1;
    bool m_bOriginal = false;
    bool m_bSequence = false;
    bool m_bSorted = false;
};
