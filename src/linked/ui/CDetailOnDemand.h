#pragma once
// The "Detail" tab: the selected items (or variables) in an upper list and
// the values of the one under the mouse in a lower list, with a splitter
// bar between them that the user drags, clicks at its triangles or
// double-clicks. It reads the document's forests whenever a hint arrives and
// writes back only the hovered item of a double-clicked entry.
#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/UpdateHints.h"
#include "cluster/Node.h"
#include "linked/DetailLayout.h"

class CArxDoc;
class CForest;
class QLabel;
class QTableView;
class QToolButton;

// The selection list: one row per selected leaf of the subject forest.
class CDetailSelectionModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Whether a forest is still the document's: the lists point into it, and
    // a closed document takes its forests with it before any hint comes.
    void setLiveness(std::function<bool(const CForest*)> live) { m_live = std::move(live); }
    void setLeaves(const CForest* forest, std::vector<int> positions);
    int leafAt(int row) const { return m_positions[static_cast<size_t>(row)]; }
    int rowOfLeaf(int position) const;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    std::string text(int row, int column) const;

private:
    bool live() const { return m_pForest && (!m_live || m_live(m_pForest)); }
    const CForest* m_pForest = nullptr;
    std::vector<int> m_positions;  // leaf positions in the subject forest
    std::function<bool(const CForest*)> m_live;
};

// The detail list: "Field", "Transformed", "Original" and the painted "Color".
class CDetailValuesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        std::string field, transformed, original;
        Rgb color{255, 255, 255};
    };
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<Row> rows);
    const Row& row(int r) const { return m_rows[static_cast<size_t>(r)]; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> m_rows;
};

class CDetailOnDemand final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    explicit CDetailOnDemand(QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }

    // ---- state ----
    float fraction() const { return m_fFraction; }
    void setFraction(float fraction);
    bool dragging() const { return m_bDragging; }
    DetailLayout currentLayout() const { return detailLayout(width(), height(), m_fFraction); }
    const CForest* subject() const { return m_pSubject; }
    // Whether the selection list shows items (true) or the selected
    // variables of the column view.
    bool listShowsItems() const { return m_bListRows; }
    QTableView* selectionList() const { return m_pSelList; }
    QTableView* detailList() const { return m_pDetailList; }
    CDetailSelectionModel* selectionModel() const { return m_pSelModel; }
    CDetailValuesModel* valuesModel() const { return m_pValuesModel; }
    QLabel* selectionCaption() const { return m_pSelCaption; }
    QLabel* detailCaption() const { return m_pDetailCaption; }
    QToolButton* saveButton() const { return m_pSave; }

    // ---- the panel's work ----
    void refillSelection();
    void showHovered();
    // The values of the subject's leaf at a display position.
    void showLeaf(int position);
    void clearLists();
    // A double click on a row of the selection list.
    void activateRow(int row);

protected:
    void resizeEvent(QResizeEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

private:
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void setSubject(bool rows);
    const CForest* listForest() const;
    void layoutControls();
    void onCurrentRowChanged();

    std::function<CArxDoc*()> m_docSource;
    const CForest* m_pSubject = nullptr;
    const CForest* m_pPartner = nullptr;
    bool m_bSubjectRows = true;  // the hovered leaf's forest (detail list)
    bool m_bListRows = true;     // the selection list's forest
    float m_fFraction = 0.5f;
    bool m_bDragging = false;
    bool m_bReady = false;
    QToolButton* m_pSave = nullptr;
    QLabel* m_pSelCaption = nullptr;
    QTableView* m_pSelList = nullptr;
    QLabel* m_pDetailCaption = nullptr;
    QTableView* m_pDetailList = nullptr;
    CDetailSelectionModel* m_pSelModel = nullptr;
    CDetailValuesModel* m_pValuesModel = nullptr;
};
