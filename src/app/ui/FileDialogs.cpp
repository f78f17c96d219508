#include "app/ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/InstalledData.h"

const char* const kDataFileFilter = "All Supported Files (*.txt *.csv *.exp *.xls *.xlsx);;Tab-Delimited Text (*.txt);;"
                                    "CSV (Comma delimited) (*.csv);;Expression Files (*.exp);;"
                                    "Excel Files (*.xls *.xlsx);;All Files (*)";
const char* const kResultFileFilter =
    "All Supported Files (*.dat *.cdt);;Cluster Data Files (*.dat);;TreeView Files (*.cdt);;All Files (*)";
const char* const kAnnotationFileFilter = "All Supported Files (*.csv *.txt *.xls *.xlsx);;Annotation File (*.csv);;"
                                          "Tab-Delimited Text (*.txt);;Excel Files (*.xls *.xlsx);;All Files (*)";
const char* const kItemListFilter = "All Supported Files (*.txt *.exp *.csv *.xls *.xlsx);;Text File (*.txt *.exp);;"
                                    "CSV (Comma delimited) (*.csv);;Excel Files (*.xls *.xlsx);;All Files (*)";
const char* const kOntologyFileFilter =
    "All Supported Files (*.obo *.obo.gz GO.terms_and_ids* *.ontology *.ontology.gz);;OBO Files (*.obo *.obo.gz);;"
    "Flat Ontology Files (GO.terms_and_ids* *.ontology *.ontology.gz);;All Files (*)";

namespace {
QString g_folder;
} // namespace

QString dataFolder()
{
    if (g_folder.isEmpty())
        return QString::fromStdString(installedDataFolder());
    return g_folder;
}

void setDataFolder(const QString& openedFile) { g_folder = QFileInfo(openedFile).absolutePath(); }

QString chooseFileToOpen(QWidget* parent, const QString& title, const char* filter)
{
    return QFileDialog::getOpenFileName(parent, title, dataFolder(), QString::fromLatin1(filter));
}
