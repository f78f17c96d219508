#pragma once
#include <QDialog>

#include "app/DialogParameters.h"

class CArxDoc;
class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSpinBox;

// "K-means Clustering": for rows and for columns, whether to run, K and the
// initial cluster generation ("Random Generation" or "Use the Hierarchical
// Clustering Result"). OK refuses K < 2 with a message and stays open.
class CKMeansDlg final : public QDialog {
    Q_OBJECT
public:
    CKMeansDlg(CArxDoc& doc, QWidget* parent = nullptr);

    CKMeansParameters parameters() const;

    struct Group {
        QCheckBox* run = nullptr;
        QGroupBox* box = nullptr;
        QLabel* label = nullptr;
        QSpinBox* k = nullptr;
        QRadioButton* random = nullptr;
        QRadioButton* tree = nullptr;
    };
    const Group& rows() const { return m_rows; }
    const Group& columns() const { return m_columns; }
    // "Use the Hierarchical Clustering Result" for a direction.
    void useTree(bool rows);
    void useRandom(bool rows);

public slots:
    void accept() override;

private:
    QWidget* makeGroup(Group& g, const QString& title, bool rows);
    void updateGroup(Group& g);

    CArxDoc& m_doc;
    Group m_rows;
    Group m_columns;
};
