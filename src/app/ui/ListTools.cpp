#include "app/ui/ListTools.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/CArxDoc.h"
#include "app/ItemLists.h"
#include "app/ui/CMainFrame.h"
#include "platform/Format.h"
#include "app/ui/FileDialogs.h"
#include "platform/Messages.h"

namespace {
const char* const kFolderTitle = "specify a path where probe sets files are";
} // namespace

ListToolPickers& listToolPickers()
{
    static ListToolPickers pickers{
        [](QWidget* parent, const QString& title) {
            return chooseFileToOpen(parent, title, kItemListFilter);
        },
        [](QWidget* parent, const QString& title) {
            // The line is appended, so an existing file is no cause to ask.
            return QFileDialog::getSaveFileName(parent, title, QString(), "Text File (*.txt);;All Files (*.*)", nullptr,
                                                QFileDialog::DontConfirmOverwrite);
        },
        [](QWidget* parent, const QString& title) { return QFileDialog::getExistingDirectory(parent, title); },
    };
    return pickers;
}

void installListTools(CMainFrame& frame)
{
    CMainFrame* f = &frame;
    frame.setCommandHandler("intersections between algorithms", [f] {
        ListToolPickers& p = listToolPickers();
        const QString first = p.openList(f, "Import first list");
        if (first.isEmpty())
            return;
        const QString second = p.openList(f, "Import second list");
        if (second.isEmpty())
            return;
        const QString out = p.saveResult(f, "Save the intersection of the two lists");
        if (out.isEmpty())
            return;
        ListIntersection r;
        if (intersectListFiles(first.toStdString(), second.toStdString(), out.toStdString(), r))
            showMessage(r.message(QFileInfo(second).fileName().toStdString()));
    });
    // The two tools on a folder of lists: data needed, then the folder.
    auto folderTool = [f](int (CArxDoc::*run)(const std::string&) const, const char* done) {
        return [f, run, done] {
            CArxDoc* doc = f->document();
            if (!doc || !doc->m_bDataLoaded) {
                showMessage("Load data file first !");
                return;
            }
            const QString folder = listToolPickers().folder(f, kFolderTitle);
            if (folder.isEmpty())
                return;
            const int files = (doc->*run)(folder.toStdString());
            if (files >= 0)
                showMessage(strFormat(done, files, folder.toStdString().c_str()));
        };
    };
    frame.setCommandHandler("intersections with the current selection",
                            folderTool(&CArxDoc::countSelectionInLists, "%d list files counted into %s/num.txt"));
    frame.setCommandHandler("Summary Result",
                            folderTool(&CArxDoc::summariseItemLists, "%d summary files written to %s"));
}
