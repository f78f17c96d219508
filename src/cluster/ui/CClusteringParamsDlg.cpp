#include "cluster/ui/CClusteringParamsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/CArxDoc.h"
#include "app/DialogChecks.h"
#include "cluster/Similarity.h"
#include "cluster/ui/CColumnCheckList.h"
#include "data/DataMatrix.h"
#include "platform/Messages.h"

namespace {
const char* kMeasureTexts[] = {"Pearson's Correlation", "Euclidean Distance", "Manhattan Distance",
                               "Simple Matching"};
} // namespace

CClusteringParamsDlg::CClusteringParamsDlg(CArxDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle("Clustering Parameters");
    auto* top = new QHBoxLayout(this);

    // ---- left: partitioning and the column lists ----
    auto* left = new QVBoxLayout;
    auto* partRow = new QHBoxLayout;
    partRow->addWidget(new QLabel("Data Partitioning :", this));
    auto* partGroup = new QButtonGroup(this);
    const char* partTexts[] = {"None", "by Row", "by Column"};
    for (int i = 0; i < 3; ++i) {
        m_pPartition[i] = new QRadioButton(partTexts[i], this);
        partGroup->addButton(m_pPartition[i], i);
        partRow->addWidget(m_pPartition[i]);
    }
    partRow->addStretch(1);
    m_pPartition[0]->setChecked(true);
    left->addLayout(partRow);

    auto* lists = new QGridLayout;
    m_pFirstLabel = new QLabel("Check columns to cluster", this);
    m_pSecondLabel = new QLabel(this);
    m_pFirst = new CColumnCheckList(this);
    m_pSecond = new CColumnCheckList(this);
    auto* checkAll = new QPushButton("Check All", this);
    auto* uncheckAll = new QPushButton("Uncheck All", this);
    m_pCheckAll2 = new QPushButton("Check All", this);
    m_pUncheckAll2 = new QPushButton("Uncheck All", this);
    m_pRight = new QPushButton("->", this);
    m_pLeft = new QPushButton("<-", this);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch(1);
    arrows->addWidget(m_pRight);
    arrows->addWidget(m_pLeft);
    arrows->addStretch(1);
    lists->addWidget(m_pFirstLabel, 0, 0);
    lists->addWidget(m_pSecondLabel, 0, 2);
    lists->addWidget(m_pFirst, 1, 0);
    lists->addLayout(arrows, 1, 1);
    lists->addWidget(m_pSecond, 1, 2);
    auto* buttons1 = new QHBoxLayout;
    buttons1->addWidget(checkAll);
    buttons1->addWidget(uncheckAll);
    auto* buttons2 = new QHBoxLayout;
    buttons2->addWidget(m_pCheckAll2);
    buttons2->addWidget(m_pUncheckAll2);
    lists->addLayout(buttons1, 2, 0);
    lists->addLayout(buttons2, 2, 2);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);
    left->addLayout(lists, 1);
    top->addLayout(left, 1);

    // ---- right: the methods ----
    auto* right = new QVBoxLayout;
    auto* linkageBox = new QGroupBox(this);
    auto* linkageLayout = new QVBoxLayout(linkageBox);
    m_pLinkage = new QButtonGroup(this);
    for (int i = 0; i <= kLinkageOneByOne; ++i) {
        auto* b = new QRadioButton(QString::fromStdString(linkageDialogCaption(i)), linkageBox);
        m_pLinkage->addButton(b, i);
        linkageLayout->addWidget(b);
    }
    m_pLinkage->button(kLinkageAverage)->setChecked(true);
    right->addWidget(linkageBox);

    auto* dirBox = new QGroupBox(this);
    auto* dirLayout = new QGridLayout(dirBox);
    m_pRows = new QCheckBox("Cluster Rows", dirBox);
    m_pColumns = new QCheckBox("Cluster Columns", dirBox);
    m_pRows->setChecked(true);
    m_pColumns->setChecked(true);
    m_pRowMatrix = new QPushButton("Load Similarity Matrix for Rows", dirBox);
    m_pColumnMatrix = new QPushButton("Load Similarity Matrix for Columns", dirBox);
    m_pRowMatrixName = new QLabel(dirBox);
    m_pColumnMatrixName = new QLabel(dirBox);
    dirLayout->addWidget(m_pRows, 0, 0);
    dirLayout->addWidget(m_pColumns, 0, 1);
    dirLayout->addWidget(m_pRowMatrix, 1, 0);
    dirLayout->addWidget(m_pRowMatrixName, 1, 1);
    dirLayout->addWidget(m_pColumnMatrix, 2, 0);
    dirLayout->addWidget(m_pColumnMatrixName, 2, 1);
    right->addWidget(dirBox);

    auto* arrangeBox = new QGroupBox(this);
    auto* arrangeLayout = new QHBoxLayout(arrangeBox);
    m_pArrangement = new QButtonGroup(this);
    auto* redder = new QRadioButton("Keep Right Child Redder", arrangeBox);
    auto* small = new QRadioButton("Keep Right Child Small", arrangeBox);
    m_pArrangement->addButton(redder, kKeepRightChildRedder);
    m_pArrangement->addButton(small, kKeepRightChildSmall);
    redder->setChecked(true);
    arrangeLayout->addWidget(redder);
    arrangeLayout->addWidget(small);
    right->addWidget(arrangeBox);

    auto* measureBox = new QGroupBox("Similarity/Distance Measure", this);
    auto* measureLayout = new QVBoxLayout(measureBox);
    m_pMeasure = new QButtonGroup(this);
    for (int i = 0; i <= kMeasureMatching; ++i) {
        auto* b = new QRadioButton(kMeasureTexts[i], measureBox);
        m_pMeasure->addButton(b, i);
        measureLayout->addWidget(b);
    }
    m_pMeasure->button(kMeasurePearson)->setChecked(true);
    m_pCentered = new QCheckBox("Move center to average (Don't fix average at 0)", measureBox);
    m_pCentered->setChecked(true);
    m_pAbsolute = new QCheckBox("Take absolute value", measureBox);
    m_pPValues = new QCheckBox("Use P-Values as Weights", measureBox);
    measureLayout->addWidget(m_pCentered);
    measureLayout->addWidget(m_pAbsolute);
    measureLayout->addWidget(m_pPValues);
    right->addWidget(measureBox);
    right->addStretch(1);
    auto* okCancel = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    right->addWidget(okCancel);
    top->addLayout(right);

    connect(okCancel, &QDialogButtonBox::accepted, this, &CClusteringParamsDlg::accept);
    connect(okCancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(partGroup, &QButtonGroup::idClicked, this, &CClusteringParamsDlg::setPartitioning);
    connect(m_pMeasure, &QButtonGroup::idClicked, this, [this](int) { updateControls(); });
    connect(checkAll, &QPushButton::clicked, this, [this] { m_pFirst->setAllChecked(true); });
    connect(uncheckAll, &QPushButton::clicked, this, [this] { m_pFirst->setAllChecked(false); });
    connect(m_pCheckAll2, &QPushButton::clicked, this, [this] { m_pSecond->setAllChecked(true); });
    connect(m_pUncheckAll2, &QPushButton::clicked, this, [this] { m_pSecond->setAllChecked(false); });
    connect(m_pRight, &QPushButton::clicked, this, [this] { m_pFirst->moveSelectedTo(*m_pSecond); });
    connect(m_pLeft, &QPushButton::clicked, this, [this] { m_pSecond->moveSelectedTo(*m_pFirst); });
    connect(m_pRowMatrix, &QPushButton::clicked, this, [this] {
        QString f = chooseMatrix("Load Similarity Matrix for Rows");
        if (!f.isEmpty()) {
            m_strRowMatrix = f;
            m_pRowMatrixName->setText(QFileInfo(f).fileName());
        }
    });
    connect(m_pColumnMatrix, &QPushButton::clicked, this, [this] {
        QString f = chooseMatrix("Load Similarity Matrix for Columns");
        if (!f.isEmpty()) {
            m_strColumnMatrix = f;
            m_pColumnMatrixName->setText(QFileInfo(f).fileName());
        }
    });

    // What the data allow.
    const DataMatrix* data = m_doc.data();
    m_pPartition[kPartitionByRow]->setEnabled(data && data->categoricalFieldCount() > 0);
    m_pPValues->setEnabled(m_doc.m_bPValuesAvailable);
    if (m_doc.m_bSequence) {
        m_pColumns->setChecked(false);
        m_pColumns->setEnabled(false);
        m_pColumnMatrix->setEnabled(false);
    }
    fillLists();
    updateControls();
    resize(860, 520);
}

QString CClusteringParamsDlg::chooseMatrix(const QString& title)
{
    return QFileDialog::getOpenFileName(this, title, QString(), "Text Files (*.txt);;All Files (*.*)");
}

void CClusteringParamsDlg::setPartitioning(int mode)
{
    m_nPartitioning = mode;
    m_pPartition[mode]->setChecked(true);
    fillLists();
    updateControls();
}

void CClusteringParamsDlg::setMeasure(int measure)
{
    if (QAbstractButton* b = m_pMeasure->button(measure))
        b->setChecked(true);
    updateControls();
}

void CClusteringParamsDlg::fillLists()
{
    m_pFirst->clear();
    m_pSecond->clear();
    const DataMatrix* data = m_doc.data();
    if (!data)
        return;
    for (int k = 0; k < data->m_nColumns; ++k)
        m_pFirst->addColumn(*data, k, true);
    if (m_nPartitioning == kPartitionByRow) {
        // The categorical variables; the first checked one partitions the rows.
        for (int k = 0; k < data->m_nColumns; ++k)
            if (data->columnField(k)->isCategorical())
                m_pSecond->addColumn(*data, k, false);
    }
}

void CClusteringParamsDlg::updateControls()
{
    const bool second = m_nPartitioning != kPartitionNone;
    const bool arrows = m_nPartitioning == kPartitionByColumn;
    m_pSecond->setVisible(second);
    m_pSecondLabel->setVisible(second);
    m_pCheckAll2->setVisible(second);
    m_pUncheckAll2->setVisible(second);
    m_pRight->setVisible(arrows);
    m_pLeft->setVisible(arrows);
    m_pSecondLabel->setText(m_nPartitioning == kPartitionByRow ? "Check one variable to partition by" : "");
    const bool pearson = m_pMeasure->checkedId() == kMeasurePearson;
    m_pCentered->setVisible(pearson);
    m_pAbsolute->setVisible(pearson);
}

CClusteringParameters CClusteringParamsDlg::parameters() const
{
    CClusteringParameters p;
    p.m_nPartitioning = m_nPartitioning;
    p.m_columns = m_pFirst->choices();
    if (m_nPartitioning != kPartitionNone)
        p.m_second = m_pSecond->choices();
    ClusteringOptions& o = p.m_options;
    o.linkage = m_pLinkage->checkedId();
    o.arrangement = m_pArrangement->checkedId();
    o.measure = m_pMeasure->checkedId();
    o.centered = m_pCentered->isChecked();
    o.absolute = m_pAbsolute->isChecked();
    o.clusterRows = m_pRows->isChecked();
    o.clusterColumns = m_pColumns->isChecked();
    o.pValueWeights = m_pPValues->isEnabled() && m_pPValues->isChecked();
    p.m_strRowMatrix = m_strRowMatrix.toStdString();
    p.m_strColumnMatrix = m_strColumnMatrix.toStdString();
    return p;
}

void CClusteringParamsDlg::accept()
{
    const std::string refusal = checkClusteringParameters(parameters());
    if (!refusal.empty()) {
        showMessage(refusal);
        return;
    }
    QDialog::accept();
}
