#include "app/ui/ListTools.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/CArxDoc.h"
#include "app/ItemLists.h"
#include "app/ui/CMainFrame.h"
#include "platform/Format.h"
#include "platform/Messages.h"

namespace {
const char* const kFolderTitle = "specify a path where probe sets files are";
} // namespace

ListToolPickers& listToolPickers()
{
    static ListToolPickers pickers{
        [](QWidget* parent, const QString& title) {
            return QFileDialog::getOpenFileName(parent, title, QString(), "Text File (*.txt *.exp);;All Files (*.*)");
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
    frame.setCommandHandler("intersections with the current selection", [f] {
        CArxDoc* doc = f->document();
        if (!doc || !doc->m_bDataLoaded) {
            showMessage("Load data file first !");
            return;
        }
        const QString folder = listToolPickers().folder(f, kFolderTitle);
        if (folder.isEmpty())
            return;
        const int files = doc->countSelectionInLists(folder.toStdString());
        if (files >= 0)
            showMessage(strFormat("%d list files counted against %d selected items into %s/num.txt", files,
                                  static_cast<int>(doc->m_selectedItems.size()), folder.toStdString().c_str()));
    });
    frame.setCommandHandler("Summary Result", [f] {
        CArxDoc* doc = f->document();
        if (!doc || !doc->m_bDataLoaded) {
            showMessage("Load data file first !");
            return;
        }
        const QString folder = listToolPickers().folder(f, kFolderTitle);
        if (folder.isEmpty())
            return;
        const int files = doc->summariseItemLists(folder.toStdString());
        if (files >= 0)
            showMessage(strFormat("%d summary files written to %s", files, folder.toStdString().c_str()));
    });
}
