#include "cluster/ui/CKMeansDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/CArxDoc.h"
#include "app/DialogChecks.h"
#include "platform/Messages.h"

CKMeansDlg::CKMeansDlg(CArxDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle("K-means Clustering");
    auto* top = new QVBoxLayout(this);
    top->addWidget(makeGroup(m_rows, "Cluster Rows", true));
    top->addWidget(makeGroup(m_columns, "Cluster Columns", false));
    auto* okCancel = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(okCancel);
    connect(okCancel, &QDialogButtonBox::accepted, this, &CKMeansDlg::accept);
    connect(okCancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_rows.run->setChecked(true);
    updateGroup(m_rows);
    updateGroup(m_columns);
}

QWidget* CKMeansDlg::makeGroup(Group& g, const QString& title, bool rows)
{
    auto* frame = new QWidget(this);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    g.run = new QCheckBox(title, frame);
    layout->addWidget(g.run);
    g.box = new QGroupBox(frame);
    auto* inner = new QVBoxLayout(g.box);
    g.label = new QLabel(QString::fromStdString(kMeansRandomLabel()), g.box);
    inner->addWidget(g.label);
    auto* kRow = new QHBoxLayout;
    kRow->addWidget(new QLabel("K =", g.box));
    g.k = new QSpinBox(g.box);
    g.k->setRange(0, 100000);
    g.k->setValue(2);
    kRow->addWidget(g.k);
    kRow->addStretch(1);
    inner->addLayout(kRow);
    inner->addWidget(new QLabel("< Initial Cluster Generation Method >", g.box));
    g.random = new QRadioButton("Random Generation", g.box);
    g.tree = new QRadioButton("Use the Hierarchical Clustering Result", g.box);
    g.random->setChecked(true);
    inner->addWidget(g.random);
    inner->addWidget(g.tree);
    layout->addWidget(g.box);
    connect(g.run, &QCheckBox::toggled, this, [this, &g] { updateGroup(g); });
    connect(g.random, &QRadioButton::clicked, this, [this, rows] { useRandom(rows); });
    connect(g.tree, &QRadioButton::clicked, this, [this, rows] { useTree(rows); });
    return frame;
}

void CKMeansDlg::updateGroup(Group& g) { g.box->setEnabled(g.run->isChecked()); }

void CKMeansDlg::useTree(bool rows)
{
    Group& g = rows ? m_rows : m_columns;
    const CKMeansTreeChoice choice = m_doc.kMeansTreeChoice(rows);
    if (!choice.m_strMessage.empty()) {
        showMessage(choice.m_strMessage);
        g.random->setChecked(true);
        return;
    }
    g.tree->setChecked(true);
    g.label->setText(QString::fromStdString(choice.m_strLabel));
    g.k->setValue(choice.m_nK);
    g.k->setEnabled(false);
}

void CKMeansDlg::useRandom(bool rows)
{
    Group& g = rows ? m_rows : m_columns;
    g.random->setChecked(true);
    g.label->setText(QString::fromStdString(kMeansRandomLabel()));
    g.k->setEnabled(true);
}

CKMeansParameters CKMeansDlg::parameters() const
{
    CKMeansParameters p;
    auto fill = [](const Group& g, CKMeansDirection& d) {
        d.m_bRun = g.run->isChecked();
        d.m_nK = g.k->value();
        d.m_bUseTree = g.tree->isChecked();
    };
    fill(m_rows, p.m_rows);
    fill(m_columns, p.m_columns);
    return p;
}

void CKMeansDlg::accept()
{
    const int rowLeaves = m_doc.m_pRowForest ? m_doc.m_pRowForest->m_nLeaves : 0;
    const int columnLeaves = m_doc.m_pColForest ? m_doc.m_pColForest->m_nLeaves : 0;
    const std::string refusal = checkKMeansParameters(parameters(), rowLeaves, columnLeaves);
    if (!refusal.empty()) {
        showMessage(refusal);
        return;
    }
    QDialog::accept();
}
