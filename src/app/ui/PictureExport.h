#pragma once
// Pictures of views: files by extension (.bmp through our own 32-bit
// encoder, .png, .svg and .pdf as vector drawings), printing, and saving a
// range of items.
#include <QSize>
#include <QString>
#include <QVector>
#include <functional>

class CArxDoc;
class QImage;
class QPainter;
class QPrinter;
class QWidget;

// Draws a picture of the given size with white background.
using PictureDrawer = std::function<void(QPainter& p, int width, int height)>;

// Writes the picture to `path`; the format follows the extension (BMP when
// it is none of png, svg, pdf). With `crop` the picture is cut to the part
// that holds anything but white. False after the message "Cannot save the
// file : %s".
bool savePictureFile(const QString& path, QSize size, const PictureDrawer& draw, bool crop = false);

// The file name of the save dialogs: ".bmp" appended when the name has no
// extension point.
QString withBmpExtension(const QString& name);
// The same with another extension ("png", "svg", "pdf").
QString withPictureExtension(const QString& name, const QString& extension);

// Asks before overwriting: the path and " already exists. Do you want to
// overwrite it?" (yes, no, cancel). True when the file may be written.
bool mayOverwrite(const QString& path);

// The print dialog, then the picture drawn on the printer (white ground),
// scaled to the page and keeping its shape: lines and text stay sharp.
void printPictureDialog(QWidget* parent, QSize size, const PictureDrawer& draw);

// Prints an image scaled to the page, keeping its shape.
void printWidgetPicture(QPrinter& printer, const QImage& image);

// "Save Only This": the items at the given data indices saved as a data
// file through a save dialog, titled for a cluster (the leaves under a
// node) or for nodes (a band of leaves).
void saveLeavesDialog(QWidget* parent, CArxDoc* doc, const QVector<int>& rows, bool cluster);
inline const char* kSaveClusterTitle = "Save the selected cluster in a tab-delimited text file";
inline const char* kSaveNodesTitle = "Save the selected nodes in a tab-delimited text file";

// The save dialog of the views' popups ("Save Current View"): BMP by
// default, PNG, SVG and PDF by the extension typed or the filter picked.
QString askPicturePath(QWidget* parent, const QString& title);
