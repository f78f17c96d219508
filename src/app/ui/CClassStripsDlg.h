#pragma once
// View/Class Strips...: which class strips the mosaics show. The columns'
// classes (the CID row) as one box, and one box per categorical field and
// per annotation column with at most 12 distinct values for the items.
#include <QDialog>
#include <QStringList>

class CArxDoc;
class QCheckBox;
class QListWidget;

class CClassStripsDlg final : public QDialog {
    Q_OBJECT
public:
    CClassStripsDlg(CArxDoc& doc, QWidget* parent = nullptr);

    QCheckBox* columnBox() const { return m_pColumns; }
    QListWidget* itemList() const { return m_pItems; }
    // The item strips ticked, in the list's order.
    QStringList chosenItemStrips() const;
    // Hands the choice to the document; false (the dialog stays open) when
    // it refuses a strip.
    bool apply();

protected:
    void accept() override;

private:
    CArxDoc& m_doc;
    QCheckBox* m_pColumns;
    QListWidget* m_pItems;
};
