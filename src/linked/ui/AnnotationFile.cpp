#include "linked/ui/AnnotationFile.h"

#include <QApplication>
#include <QFileDialog>

#include "app/CArxDoc.h"

QString chooseAnnotationFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, "Choose an Affymetrix Annotation File", QString(),
                                        "Annotation File (*.csv);;Tab-Delimited Text (*.txt);;"
                                        "Excel Files (*.xls *.xlsx);;All Supported Files (*.txt *.csv *.xls *.xlsx);;"
                                        "All Files (*)");
}

bool attachAnnotationFile(CArxDoc& doc, const QString& path, CDocObserver* sender)
{
    if (path.isEmpty())
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = doc.attachAnnotation(path.toStdString(), sender);
    QApplication::restoreOverrideCursor();
    return ok;
}
