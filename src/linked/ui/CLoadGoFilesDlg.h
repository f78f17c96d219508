#pragma once
// Dialog 194 "Load GO Files": some of the four GO files are not in the
// current directory; "Open" picks them (or an OBO file) elsewhere,
// "Download" fetches the most recent ones, "Cancel" ends the command. The
// download source can be chosen here.
#include <QDialog>

#include "linked/GoDownload.h"

class QComboBox;
class QLineEdit;

class CLoadGoFilesDlg final : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancel = 0, Open = 1, Download = 2 };

    CLoadGoFilesDlg(const GoDownloadSource& source, QWidget* parent = nullptr);
    // The source as the dialog shows it when closed.
    GoDownloadSource source() const;
    void choose(Choice c) { done(c); }

private:
    GoDownloadSource m_source;
    QComboBox* m_pSource;
    QLineEdit* m_pServer;
};
