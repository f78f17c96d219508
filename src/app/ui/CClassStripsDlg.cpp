#include "app/ui/CClassStripsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/CArxDoc.h"

CClassStripsDlg::CClassStripsDlg(CArxDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle("Class Strips");
    auto* layout = new QVBoxLayout(this);
    m_pColumns = new QCheckBox("Column classes (the CID row)", this);
    m_pColumns->setEnabled(doc.hasColumnClasses());
    m_pColumns->setChecked(doc.hasColumnClasses() && doc.columnStripShown());
    layout->addWidget(m_pColumns);
    layout->addWidget(new QLabel("Item strips (categorical fields, annotation columns with at most 12 values):", this));
    m_pItems = new QListWidget(this);
    QStringList shown;
    for (const ClassStrip& s : doc.itemStrips())
        shown << QString::fromStdString(s.m_strName);
    for (const std::string& name : doc.itemStripCandidates()) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), m_pItems);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(shown.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
    }
    if (m_pItems->count() == 0)
        m_pItems->addItem(new QListWidgetItem("(no categorical field; attach an annotation for more)"));
    layout->addWidget(m_pItems);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 360);
}

QStringList CClassStripsDlg::chosenItemStrips() const
{
    QStringList out;
    for (int i = 0; i < m_pItems->count(); ++i)
        if ((m_pItems->item(i)->flags() & Qt::ItemIsUserCheckable) && m_pItems->item(i)->checkState() == Qt::Checked)
            out << m_pItems->item(i)->text();
    return out;
}

bool CClassStripsDlg::apply()
{
    std::vector<std::string> names;
    for (const QString& n : chosenItemStrips())
        names.push_back(n.toStdString());
    if (!m_doc.setItemStrips(names))
        return false;
    if (m_doc.hasColumnClasses())
        m_doc.setColumnStripShown(m_pColumns->isChecked());
    return true;
}

void CClassStripsDlg::accept()
{
    if (apply())
        QDialog::accept();
}
