#include "app/ui/PictureExport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <algorithm>

#include "app/BmpFile.h"
#include "app/CArxDoc.h"
#include "app/ui/ViewImage.h"
#include "platform/Messages.h"

bool savePictureFile(const QString& path, QSize size, const PictureDrawer& given, bool crop)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    PictureDrawer draw = given;
    if (crop) {
        // Drawn once to find what it covers, then again shifted onto a
        // picture of just that size.
        const QRect drawn = drawnRect(pictureImage(size, given));
        if (!drawn.isEmpty()) {
            const QSize full = size;
            size = drawn.size();
            draw = [given, drawn, full](QPainter& p, int, int) {
                p.translate(-drawn.topLeft());
                given(p, full.width(), full.height());
            };
        }
    }
    const int w = std::max(1, size.width()), h = std::max(1, size.height());
    bool ok = false;
    if (ext == "svg") {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(QSize(w, h));
        svg.setViewBox(QRect(0, 0, w, h));
        svg.setTitle("Arbolix");
        QPainter p;
        if (p.begin(&svg)) {
            draw(p, w, h);
            ok = p.end();
        }
    } else if (ext == "pdf") {
        QPdfWriter pdf(path);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(w, h), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (p.begin(&pdf)) {
            // Points to pixels: the page is w x h points at 96 dots per inch.
            const double scale = pdf.width() / static_cast<double>(w);
            p.scale(scale, scale);
            draw(p, w, h);
            ok = p.end();
        }
    } else {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            draw(p, w, h);
        }
        if (ext == "png")
            ok = image.save(path, "PNG");
        else
            ok = writeBmp32(path.toStdString(), w, h, reinterpret_cast<const uint32_t*>(image.constBits()),
                            static_cast<int>(image.bytesPerLine() / 4));
    }
    if (!ok)
        showMessage("Cannot save the file : " + path.toStdString());
    return ok;
}

QString withBmpExtension(const QString& name) { return withPictureExtension(name, "bmp"); }

QString withPictureExtension(const QString& name, const QString& extension)
{
    const QString file = QFileInfo(name).fileName();
    return file.contains('.') ? name : name + "." + extension;
}

bool mayOverwrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return messages().question(path.toStdString() + " already exists. Do you want to overwrite it?") == Answer::Yes;
}

void printPictureDialog(QWidget* parent, QSize size, const PictureDrawer& draw)
{
    QPrinter printer;
    QPrintDialog dlg(&printer, parent);
    if (dlg.exec() != QDialog::Accepted)
        return;
    QPainter p;
    if (!p.begin(&printer))
        return;
    const QRect page = p.viewport();
    const QSize fit = size.scaled(page.size(), Qt::KeepAspectRatio);
    p.setViewport(page.x(), page.y(), fit.width(), fit.height());
    p.setWindow(0, 0, size.width(), size.height());
    p.fillRect(0, 0, size.width(), size.height(), Qt::white);
    draw(p, size.width(), size.height());
}

void printWidgetPicture(QPrinter& printer, const QImage& image)
{
    QPainter p;
    if (!p.begin(&printer))
        return;
    const QRect page = p.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    p.setViewport(page.x(), page.y(), size.width(), size.height());
    p.setWindow(image.rect());
    p.drawImage(0, 0, image);
    p.end();
}

void saveLeavesDialog(QWidget* parent, CArxDoc* doc, const QVector<int>& rows, bool cluster)
{
    if (!doc || rows.isEmpty())
        return;
    const QString path = QFileDialog::getSaveFileName(parent, cluster ? kSaveClusterTitle : kSaveNodesTitle,
                                                      QString(), "Text Files (*.txt)");
    if (path.isEmpty())
        return;
    // The file holds these items; the selection is left as it was.
    std::vector<int> keep = doc->m_selectedItems;
    std::vector<int> items(rows.begin(), rows.end());
    std::sort(items.begin(), items.end());
    doc->m_selectedItems = items;
    doc->saveSelectedItems(path.toStdString());
    doc->m_selectedItems = std::move(keep);
}

QString askPicturePath(QWidget* parent, const QString& title)
{
    QFileDialog dlg(parent, title);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({"BMP files (*.bmp)", "PNG files (*.png)", "SVG files (*.svg)", "PDF files (*.pdf)"});
    dlg.setDefaultSuffix("bmp");
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}
