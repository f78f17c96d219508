#pragma once
#include <QDialog>

#include "app/DialogParameters.h"

class CArxDoc;
class CColumnCheckList;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "Clustering Parameters": data partitioning, the columns to cluster (one
// list, or two with partitioning), linkage, directions, precomputed
// similarity matrices, node arrangement and the similarity measure. OK runs
// the dialog checks and stays open after a refusal's message.
class CClusteringParamsDlg final : public QDialog {
    Q_OBJECT
public:
    CClusteringParamsDlg(CArxDoc& doc, QWidget* parent = nullptr);

    // What the controls say now.
    CClusteringParameters parameters() const;

    // The controls, for the tests.
    void setPartitioning(int mode);
    void setMeasure(int measure);
    CColumnCheckList* firstList() const { return m_pFirst; }
    CColumnCheckList* secondList() const { return m_pSecond; }
    QRadioButton* partitionButton(int mode) const { return m_pPartition[mode]; }
    QCheckBox* clusterRowsBox() const { return m_pRows; }
    QCheckBox* clusterColumnsBox() const { return m_pColumns; }
    QCheckBox* centeredBox() const { return m_pCentered; }
    QCheckBox* absoluteBox() const { return m_pAbsolute; }
    QCheckBox* pValueBox() const { return m_pPValues; }

public slots:
    void accept() override;

private:
    void fillLists();
    void updateControls();
    QString chooseMatrix(const QString& title);

    CArxDoc& m_doc;
    int m_nPartitioning = kPartitionNone;
    QRadioButton* m_pPartition[3];
    QLabel* m_pFirstLabel;
    QLabel* m_pSecondLabel;
    CColumnCheckList* m_pFirst;
    CColumnCheckList* m_pSecond;
    QPushButton* m_pCheckAll2;
    QPushButton* m_pUncheckAll2;
    QPushButton* m_pRight;
    QPushButton* m_pLeft;
    QButtonGroup* m_pLinkage;
    QCheckBox* m_pRows;
    QCheckBox* m_pColumns;
    QPushButton* m_pRowMatrix;
    QPushButton* m_pColumnMatrix;
    QLabel* m_pRowMatrixName;
    QLabel* m_pColumnMatrixName;
    QString m_strRowMatrix, m_strColumnMatrix;
    QButtonGroup* m_pArrangement;
    QButtonGroup* m_pMeasure;
    QCheckBox* m_pCentered;
    QCheckBox* m_pAbsolute;
    QCheckBox* m_pPValues;
};
