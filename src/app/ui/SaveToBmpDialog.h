#pragma once
// File/Save Dendrogram: the "Save To BMP" dialog. A folder ("Save to" with
// Browse), a file name ("File Name") and the picture: "Horizontal" (the
// overview as shown), "Vertical" (the mosaic for the full height with the
// other direction's dendrogram beside it) or "Horizontal + Vertical" (both
// dendrograms). The file is a 32-bit BMP, or PNG, SVG or PDF when the name
// says so or the format box is set to it. The Vertical and Horizontal +
// Vertical pictures are cropped to what is drawn.
#include <QDialog>

class CArxEntireView;
class CArxView;
class QButtonGroup;
class QComboBox;
class QLineEdit;

class SaveToBmpDialog final : public QDialog {
    Q_OBJECT
public:
    enum Kind { Horizontal = 0, Vertical = 1, Both = 2 };
    static constexpr int kBarsWidth = 10;

    SaveToBmpDialog(CArxView* overview, CArxEntireView* entire, QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    void setFileName(const QString& name);
    void setKind(Kind kind);
    Kind kind() const;
    // The writer for a name without extension: "bmp", "png", "svg" or "pdf".
    void setFormat(const QString& extension);
    QString format() const;
    QComboBox* formatBox() const { return m_pFormat; }
    // The path the picture goes to: folder, separator, name, and the chosen
    // format's extension (".bmp" at first) when the name has no extension point.
    QString targetPath() const;
    // OK: checks, asks before overwriting and saves. True when saved; false
    // after a message or a "no" (the dialog then stays open).
    bool save();

    void accept() override;

private:
    CArxView* m_pOverview;
    CArxEntireView* m_pEntire;
    QLineEdit* m_pFolder;
    QLineEdit* m_pName;
    QButtonGroup* m_pKind;
    QComboBox* m_pFormat;
};
