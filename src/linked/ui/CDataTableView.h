#pragma once
// The "Table View" tab: the data as a table (one row per item with its
// identifier, name, description, values and annotation), following the
// selection of the other views both ways, sorted by a header click, with
// copies and web look-ups from a cell's popup and a look-up address per
// column set from a header's popup.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/UpdateHints.h"

class CArxDoc;
class CDataTableModel;
class QCheckBox;
class QItemSelection;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QUrl;

class CDataTableView final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    explicit CDataTableView(QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    // Where look-ups go (default: the desktop's web browser).
    void setUrlOpener(std::function<void(const QUrl&)> opener) { m_urlOpener = std::move(opener); }

    // Rebuilds the rows, the columns, the selection and the count text.
    void refresh();
    // Shows the document's selected items as selected (and scrolls to the first).
    void reselect();
    // List rows shown as selected, ascending.
    std::vector<int> selectedListRows() const;
    // Header click: sorts by the column (toggling its direction).
    void sortByColumn(int column);
    void revertOrder();

    // The cell popup: nothing (nullptr) for an empty cell; otherwise the
    // three copies and one look-up per part when the column has a template.
    QMenu* makeCellMenu(int row, int column, QWidget* parent);
    void copyCell(int row, int column) const;
    void copyColumn(int column) const;
    void copyRow(int row) const;
    // Opens the column's template with the part's look-up term.
    void lookUp(int column, const std::string& part);
    // The header popup's dialog; sets the template on OK.
    void editUrlTemplate(int column);

    QTableView* table() const { return m_pTable; }
    // Sizes a column of a list to its contents, but no wider than a third of
    // the list's view (the full text is in the cell's tooltip) and never
    // narrower than its header's text with the sort arrow. The table and
    // the Detail panel size their columns by it.
    static void fitColumn(QTableView* table, int column);
    CDataTableModel* model() const { return m_pModel; }
    QLabel* countLabel() const { return m_pCount; }
    QPushButton* button(const QString& text) const;
    QCheckBox* checkBox(const QString& text) const;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void onSelectionChanged();
    void updateCount();
    void showColumns();
    void onCellMenu(const QPoint& pos);
    void onHeaderMenu(const QPoint& pos);

    std::function<CArxDoc*()> m_docSource;
    std::function<void(const QUrl&)> m_urlOpener;
    CDataTableModel* m_pModel = nullptr;
    QTableView* m_pTable = nullptr;
    QLabel* m_pCount = nullptr;
    QPushButton* m_pAnnotate = nullptr;
    QPushButton* m_pRevert = nullptr;
    QPushButton* m_pSave = nullptr;
    QCheckBox* m_pShowAnnotation = nullptr;
    QCheckBox* m_pShowData = nullptr;
    QCheckBox* m_pOriginal = nullptr;
    QCheckBox* m_pSelectedOnly = nullptr;
    QCheckBox* m_pAnnotationFirst = nullptr;
    bool m_bSelecting = false;  // the view itself is changing the list selection
    bool m_bStale = false;      // changed while hidden
    // The list's own selection holds the document's selection (it is left
    // empty when another view selected, and filled before a Ctrl click
    // adds to it or takes from it).
    bool m_bListInSync = true;
    void syncListSelection();
};
