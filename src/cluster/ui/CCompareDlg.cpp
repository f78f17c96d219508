#include "cluster/ui/CCompareDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/CArxDoc.h"
#include "cluster/Similarity.h"

namespace {
const char* kMeasureTexts[] = {"Pearson's Correlation", "Euclidean Distance", "Manhattan Distance",
                               "Simple Matching"};
} // namespace

CCompareDlg::CCompareDlg(CArxDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle("Compare Two Clustering Results");
    auto* top = new QVBoxLayout(this);
    auto* dir = new QHBoxLayout;
    m_pRows = new QRadioButton("Row Clustering (Genes)", this);
    m_pColumns = new QRadioButton("Column Clustering (Samples)", this);
    m_pRows->setChecked(true);
    dir->addWidget(m_pRows);
    dir->addWidget(m_pColumns);
    dir->addStretch(1);
    top->addLayout(dir);
    auto* methods = new QHBoxLayout;
    methods->addWidget(makeMethod(m_methods[0], "Method 1", kLinkageAverage));
    methods->addWidget(makeMethod(m_methods[1], "Method 2", kLinkageComplete));
    top->addLayout(methods);
    auto* okCancel = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(okCancel);
    connect(okCancel, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(okCancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QWidget* CCompareDlg::makeMethod(Method& m, const QString& title, int linkage)
{
    auto* box = new QGroupBox(title, this);
    auto* form = new QFormLayout(box);
    m.linkage = new QComboBox(box);
    for (int i = 0; i <= kLinkageOneByOne; ++i)
        m.linkage->addItem(QString::fromStdString(linkageDisplayName(i)));
    m.linkage->setCurrentIndex(linkage);
    m.measure = new QComboBox(box);
    for (const char* t : kMeasureTexts)
        m.measure->addItem(t);
    m.centered = new QCheckBox("Move center to average (Don't fix average at 0)", box);
    m.centered->setChecked(true);
    m.absolute = new QCheckBox("Take absolute value", box);
    m.pValues = new QCheckBox("Use P-Values as Weights", box);
    m.pValues->setVisible(m_doc.m_bPValuesAvailable);
    form->addRow("Linkage Method", m.linkage);
    form->addRow("Dist Function", m.measure);
    form->addRow(m.centered);
    form->addRow(m.absolute);
    form->addRow(m.pValues);
    auto* centered = m.centered;
    auto* absolute = m.absolute;
    connect(m.measure, &QComboBox::currentIndexChanged, this, [centered, absolute](int i) {
        centered->setEnabled(i == kMeasurePearson);
        absolute->setEnabled(i == kMeasurePearson);
    });
    return box;
}

CCompareMethod CCompareDlg::methodOf(const Method& m) const
{
    CCompareMethod out;
    out.m_nLinkage = m.linkage->currentIndex();
    out.m_nMeasure = m.measure->currentIndex();
    out.m_bCentered = m.centered->isChecked();
    out.m_bAbsolute = m.absolute->isChecked();
    out.m_bPValueWeights = m_doc.m_bPValuesAvailable && m.pValues->isChecked();
    return out;
}

CCompareParameters CCompareDlg::parameters() const
{
    CCompareParameters p;
    p.m_bRows = m_pRows->isChecked();
    p.m_method1 = methodOf(m_methods[0]);
    p.m_method2 = methodOf(m_methods[1]);
    return p;
}
