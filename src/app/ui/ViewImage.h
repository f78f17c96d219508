#pragma once
// The off-screen images the views paint into. A view's image is allocated at
// the device pixel ratio of the window the view sits in, so that lines and
// text stay sharp on high-density screens, and everyone who draws into it
// measures in logical pixels. A view paints its image again when it is
// shown with another ratio (the window moved to another screen).
//
// Pictures (files, the clipboard, printing) are drawn at one pixel per
// logical pixel instead, so that their size does not depend on the screen.
#include <QImage>
#include <QSize>
#include <functional>

class QPainter;
class QWidget;

// Makes `image` a 32-bit image of `logical` size (at least 1 x 1) at ratio
// `dpr`, reusing it when it already is one. True when it was made anew.
bool fitViewImage(QImage& image, QSize logical, qreal dpr);
// The same at the ratio of the window `view` is shown in.
bool fitViewImage(QImage& image, const QWidget* view, QSize logical);
// The size of a view image in logical pixels.
QSize logicalSize(const QImage& image);
// True when a view's image no longer matches the view: another logical size
// or another device pixel ratio.
bool viewImageStale(const QImage& image, const QWidget* view, QSize logical);
// True when drawing code may write the image's pixels itself: a 32-bit image
// with one pixel per logical pixel (otherwise it draws through the painter).
bool writesPixelsDirectly(const QImage* image);
// A picture of `size` pixels at ratio 1 on white, drawn by `draw`.
QImage pictureImage(QSize size, const std::function<void(QPainter& p, int width, int height)>& draw);
// The part of a picture that holds anything but the background colour, or
// an empty rectangle when nothing was drawn.
QRect drawnRect(const QImage& image, QRgb background = 0xffffffff);
class QPaintDevice;
// The size of what a painter draws on, in logical pixels.
QSize logicalSize(const QPaintDevice* device);
