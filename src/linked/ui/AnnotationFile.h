#pragma once
// Choosing and attaching an annotation file: what Tool/Attach Affymetrix
// Annotation and the table view's "Annotate" button both do.
#include <QString>

class CArxDoc;
class CDocObserver;
class QWidget;

// The file-open dialog "Choose an Affymetrix Annotation File"; empty when cancelled.
QString chooseAnnotationFile(QWidget* parent);
// CArxDoc::attachAnnotation with the wait cursor shown.
bool attachAnnotationFile(CArxDoc& doc, const QString& path, CDocObserver* sender = nullptr);
