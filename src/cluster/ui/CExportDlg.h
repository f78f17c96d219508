#pragma once
#include <QDialog>
#include <QStringList>

#include "cluster/ResultFiles.h"

class CArxDoc;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

// "Export Clustering Result": the folder ("Export to", "Browse"), the file
// name, original or normalized values, the format (ours, TreeView's triple,
// Newick trees), and the read-only list of the files the export will write.
// The values start on those the window shows.
class CExportDlg final : public QDialog {
    Q_OBJECT
public:
    CExportDlg(CArxDoc& doc, QWidget* parent = nullptr);

    QString folder() const;
    QString fileName() const;
    bool originalValues() const;
    QString filesToSave() const;
    ResultFormat format() const;
    // The names of the files the export writes, as the list shows them.
    QStringList filesWritten() const;
    // Refuses an empty file name or a folder that does not exist with
    // "Error in Export Dialog!" and stays open.
    void accept() override;

    QLineEdit* folderEdit() const { return m_pFolder; }
    QLineEdit* fileNameEdit() const { return m_pName; }
    QRadioButton* normalizedButton() const { return m_pNormalized; }
    QComboBox* formatBox() const { return m_pFormat; }

private:
    void updateFiles();

    CArxDoc& m_doc;
    QLineEdit* m_pFolder;
    QLineEdit* m_pName;
    QRadioButton* m_pOriginal;
    QRadioButton* m_pNormalized;
    QComboBox* m_pFormat;
    QPlainTextEdit* m_pFiles;
};
