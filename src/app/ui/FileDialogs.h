#pragma once
// The file-open dialogs' common ground: each lists every format its reader
// takes ("All Supported Files" first, then each format, then "All Files"),
// adds no extension to a typed name, and starts in the folder of the open
// data file.
#include <QString>

class QWidget;

extern const char* const kDataFileFilter;        // data files
extern const char* const kResultFileFilter;      // clustering results
extern const char* const kAnnotationFileFilter;  // annotation tables
extern const char* const kItemListFilter;        // item lists
extern const char* const kOntologyFileFilter;    // Gene Ontology files

// The folder the dialogs start in: that of the last file opened (data or
// clustering result); before any, the bundled sample's folder of an
// installed program, else empty (the working folder).
QString dataFolder();
// Remembers the folder of an opened file.
void setDataFolder(const QString& openedFile);

// A file-open dialog in the data folder; "" when cancelled.
QString chooseFileToOpen(QWidget* parent, const QString& title, const char* filter);
