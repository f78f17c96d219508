#include "linked/ui/SaveSelection.h"

#include <QFileDialog>

#include "app/CArxDoc.h"

bool saveSelectedItemsWithDialog(QWidget* parent, CArxDoc& doc)
{
    if (!doc.m_pRowForest)
        return false;
    const QString path = QFileDialog::getSaveFileName(parent, "Save the nodes on the list in a tab-delimited text file",
                                                      QString(), "Expression Files (*.exp);;All Files (*.*)");
    return !path.isEmpty() && doc.saveSelectedItems(path.toStdString());
}
