#include "linked/ui/AnnotationFile.h"

#include <QApplication>
#include <QFileDialog>

#include "app/CArxDoc.h"
#include "app/ui/FileDialogs.h"

QString chooseAnnotationFile(QWidget* parent)
{
    return chooseFileToOpen(parent, "Choose an Affymetrix Annotation File", kAnnotationFileFilter);
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
