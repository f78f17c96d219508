#include "cluster/ui/CExportDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/CArxDoc.h"
#include "platform/Messages.h"

CExportDlg::CExportDlg(CArxDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle("Export Clustering Result");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Export to", this), 0, 0);
    m_pFolder = new QLineEdit(QDir::currentPath(), this);
    grid->addWidget(m_pFolder, 0, 1);
    auto* browse = new QPushButton("Browse", this);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(new QLabel("File Name", this), 1, 0);
    m_pName = new QLineEdit(QString::fromStdString(m_doc.m_strDataName), this);
    grid->addWidget(m_pName, 1, 1, 1, 2);
    auto* values = new QHBoxLayout;
    m_pOriginal = new QRadioButton("Original Values", this);
    m_pNormalized = new QRadioButton("Normalized Values", this);
    // Normalized values exist only when the data were normalised; the
    // choice starts on the values the window shows, so that the result
    // reopens with the colours it was exported with.
    m_pNormalized->setEnabled(m_doc.m_nNormDirection != -1);
    (m_doc.m_nNormDirection != -1 ? m_pNormalized : m_pOriginal)->setChecked(true);
    values->addWidget(m_pOriginal);
    values->addWidget(m_pNormalized);
    values->addStretch(1);
    grid->addLayout(values, 2, 1, 1, 2);
    grid->addWidget(new QLabel("Format", this), 3, 0);
    m_pFormat = new QComboBox(this);
    m_pFormat->addItem("Arbolix (.rcr, .ccr, .dat)", static_cast<int>(ResultFormat::Arbolix));
    m_pFormat->addItem("TreeView (.cdt, .gtr, .atr)", static_cast<int>(ResultFormat::TreeView));
    m_pFormat->addItem("Newick trees (.nwk)", static_cast<int>(ResultFormat::Newick));
    grid->addWidget(m_pFormat, 3, 1, 1, 2);
    grid->addWidget(new QLabel("Files to save", this), 4, 0, Qt::AlignTop);
    m_pFiles = new QPlainTextEdit(this);
    m_pFiles->setReadOnly(true);
    m_pFiles->setMinimumSize(420, 90);
    grid->addWidget(m_pFiles, 4, 1, 1, 2);
    auto* okCancel = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(okCancel, 5, 0, 1, 3);
    connect(okCancel, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(okCancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString dir = QFileDialog::getExistingDirectory(this, "Pick a folder", m_pFolder->text());
        if (!dir.isEmpty())
            m_pFolder->setText(dir);
    });
    connect(m_pName, &QLineEdit::textChanged, this, &CExportDlg::updateFiles);
    connect(m_pFormat, &QComboBox::currentIndexChanged, this, &CExportDlg::updateFiles);
    updateFiles();
}

void CExportDlg::accept()
{
    if (fileName().trimmed().isEmpty() || folder().isEmpty() || !QDir(folder()).exists()) {
        showMessage("Error in Export Dialog!");
        return;
    }
    QDialog::accept();
}

QStringList CExportDlg::filesWritten() const
{
    QStringList files;
    for (const QString& line : filesToSave().split('\n', Qt::SkipEmptyParts))
        if (const int tab = line.indexOf('\t'); tab > 0)
            files << line.left(tab);
    // With no tree the data file is written all the same.
    if (files.isEmpty() && format() == ResultFormat::Arbolix)
        files << fileName() + ".dat";
    return files;
}

void CExportDlg::updateFiles()
{
    // The list shows its lines as the system writes them, "\r\n" separated.
    QString text = QString::fromStdString(m_doc.filesToSaveText(format(), m_pName->text().toStdString()));
    m_pFiles->setPlainText(text.remove('\r'));
}

QString CExportDlg::folder() const { return m_pFolder->text(); }
QString CExportDlg::fileName() const { return m_pName->text(); }
bool CExportDlg::originalValues() const { return m_pOriginal->isChecked(); }
QString CExportDlg::filesToSave() const { return m_pFiles->toPlainText(); }
ResultFormat CExportDlg::format() const { return static_cast<ResultFormat>(m_pFormat->currentData().toInt()); }
