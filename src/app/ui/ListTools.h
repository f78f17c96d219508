#pragma once
// The Help menu's item-list tools in the main window: "intersections
// between algorithms", "intersections with the current selection" and
// "Summary Result" (the work is in app/ItemLists.h and the document).
#include <QString>
#include <functional>

class CMainFrame;
class QWidget;

// The file and folder pickers the tools ask (tests replace them).
struct ListToolPickers {
    std::function<QString(QWidget*, const QString& title)> openList;   // "Import first list", "Import second list"
    std::function<QString(QWidget*, const QString& title)> saveResult; // where the intersection line goes
    std::function<QString(QWidget*, const QString& title)> folder;     // "specify a path where probe sets files are"
};
ListToolPickers& listToolPickers();

// Sets the three commands' handlers on the frame.
void installListTools(CMainFrame& frame);
