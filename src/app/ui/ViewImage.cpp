#include "app/ui/ViewImage.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

bool fitViewImage(QImage& image, QSize logical, qreal dpr)
{
    logical = logical.expandedTo(QSize(1, 1));
    dpr = dpr > 0 ? dpr : 1.0;
    const QSize physical(static_cast<int>(std::ceil(logical.width() * dpr)),
                         static_cast<int>(std::ceil(logical.height() * dpr)));
    if (image.size() == physical && image.devicePixelRatio() == dpr && image.format() == QImage::Format_RGB32)
        return false;
    image = QImage(physical, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    return true;
}

bool fitViewImage(QImage& image, const QWidget* view, QSize logical)
{
    return fitViewImage(image, logical, view ? view->devicePixelRatioF() : 1.0);
}

QSize logicalSize(const QImage& image)
{
    const qreal dpr = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
    return QSize(static_cast<int>(std::floor(image.width() / dpr + 1e-9)),
                 static_cast<int>(std::floor(image.height() / dpr + 1e-9)));
}

bool viewImageStale(const QImage& image, const QWidget* view, QSize logical)
{
    const qreal dpr = view ? view->devicePixelRatioF() : 1.0;
    return image.isNull() || image.devicePixelRatio() != dpr || logicalSize(image) != logical.expandedTo(QSize(1, 1));
}

bool writesPixelsDirectly(const QImage* image)
{
    return image && image->format() == QImage::Format_RGB32 && image->devicePixelRatio() == 1.0;
}

QImage pictureImage(QSize size, const std::function<void(QPainter& p, int width, int height)>& draw)
{
    const int w = std::max(1, size.width()), h = std::max(1, size.height());
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (draw) {
        QPainter p(&image);
        draw(p, w, h);
    }
    return image;
}

QRect drawnRect(const QImage& source, QRgb background)
{
    const QImage image =
        source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const QRgb bg = background | 0xff000000u;
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        while (first < w && (line[first] | 0xff000000u) == bg)
            ++first;
        if (first == w)
            continue;
        int last = w - 1;
        while ((line[last] | 0xff000000u) == bg)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    if (right < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QSize logicalSize(const QPaintDevice* device)
{
    if (!device)
        return {};
    const qreal dpr = device->devicePixelRatioF() > 0 ? device->devicePixelRatioF() : 1.0;
    return QSize(static_cast<int>(std::floor(device->width() / dpr + 1e-9)),
                 static_cast<int>(std::floor(device->height() / dpr + 1e-9)));
}
