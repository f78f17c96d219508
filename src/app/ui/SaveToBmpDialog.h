#pragma once
// File/Save Dendrogram: the "Save To BMP" dialog. A folder ("Save to" with
// Browse), a file name ("File Name") and the picture: "Horizontal" (the
// overview as shown), "Vertical" (the mosaic for the full height with the
// other direction's dendrogram beside it) or "Horizontal + Vertical" (both
// dendrograms). The file is a 32-bit BMP, or PNG, SVG or PDF when the name
// says so.
#include <QDialog>

class CArxEntireView;
class CArxView;
class QButtonGroup;
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
    // The path the picture goes to: folder, separator, name, ".bmp" when the
    // name has no extension point.
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
};
