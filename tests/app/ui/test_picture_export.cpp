// Save To BMP and the picture files: the refusal messages, the 32-bit BMP
// header of our encoder, the extension rules, the overwrite question, and
// PNG and SVG by the name's extension.
#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include "app/BmpFile.h"
#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxView.h"
#include "app/ui/SaveToBmpDialog.h"
#include "platform/RecordingMessages.h"
#include "ViewFixture.h"
#include "cluster/Forest.h"

class TestPictureExport : public QObject {
    Q_OBJECT
private:
    ViewFixture fx;
    RecordingMessages messages;
    QTemporaryDir dir;
    std::unique_ptr<CArxView> view;
    std::unique_ptr<CArxEntireView> entire;

    void makeViews(int w, int h)
    {
        view = std::make_unique<CArxView>(fx.doc.get());
        view->setColorMapping(&fx.mapping);
        view->resize(w, h);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->resetFromDocument();
        entire = std::make_unique<CArxEntireView>(fx.doc.get());
        entire->resize(600, 400);
        entire->resetFromDocument();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(fx.load());
        QVERIFY(dir.isValid());
        setMessages(&messages);
    }
    void cleanupTestCase() { setMessages(nullptr); }
    void init()
    {
        messages.m_texts.clear();
        messages.m_questions.clear();
        makeViews(800, 500);
    }

    void emptyFileNameIsRefused()
    {
        SaveToBmpDialog dlg(view.get(), entire.get());
        dlg.setFolder(dir.path());
        dlg.setFileName("  ");
        QVERIFY(!dlg.save());
        QCOMPARE(messages.m_texts.size(), size_t{1});
        QCOMPARE(messages.m_texts[0], std::string("File Name field is empty!"));
    }

    void verticalExportNeedsATallView()
    {
        // 128 samples need 5 + 3 + 1 + 10 x 128 = 1289 pixels.
        SaveToBmpDialog dlg(view.get(), entire.get());
        dlg.setFolder(dir.path());
        dlg.setFileName("vertical");
        for (auto kind : {SaveToBmpDialog::Vertical, SaveToBmpDialog::Both}) {
            messages.m_texts.clear();
            dlg.setKind(kind);
            QVERIFY(!dlg.save());
            QCOMPARE(messages.m_texts.size(), size_t{1});
            QCOMPARE(messages.m_texts[0],
                     std::string("The height of dendrogram view is too small to draw the dendrogram and color mosaic "
                                 "with the bars width of 10. \n\n Close the information bar (horizontal control bar) "
                                 "and try again"));
            QVERIFY(!QFile::exists(dir.filePath("vertical.bmp")));
        }
        QCOMPARE(entire->heightNeededForExport(), 1289);
        // Tall enough: saved, the side dendrogram beside the mosaic.
        makeViews(700, 1289);
        SaveToBmpDialog tall(view.get(), entire.get());
        tall.setFolder(dir.path());
        tall.setFileName("vertical");
        tall.setKind(SaveToBmpDialog::Both);
        messages.m_texts.clear();
        QVERIFY(tall.save());
        QVERIFY(messages.m_texts.empty());
        BmpImage image;
        std::string error;
        QVERIFY(readBmp(dir.filePath("vertical.bmp").toStdString(), image, error));
        // Cut to what is drawn: within the full-height layout, and drawn up
        // to each of its four edges.
        QVERIFY(image.width <= 700 + CArxEntireView::kSideWidth + 10 && image.width > 700 / 2);
        QVERIFY(image.height <= 1289 && image.height > 1289 / 2);
        auto drawn = [&](int x, int y) {
            return (image.pixels[static_cast<size_t>(y * image.width + x)] & 0xFFFFFFu) != 0xFFFFFFu;
        };
        bool top = false, bottom = false, left = false, right = false;
        for (int x = 0; x < image.width; ++x)
            top |= drawn(x, 0), bottom |= drawn(x, image.height - 1);
        for (int y = 0; y < image.height; ++y)
            left |= drawn(0, y), right |= drawn(image.width - 1, y);
        QVERIFY(top && bottom && left && right);
    }

    void horizontalBmpHeaderAndPixels()
    {
        SaveToBmpDialog dlg(view.get(), entire.get());
        dlg.setFolder(dir.path());
        dlg.setFileName("overview");
        QCOMPARE(dlg.targetPath(), dir.filePath("overview.bmp"));
        QVERIFY(dlg.save());
        QFile f(dir.filePath("overview.bmp"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        auto u32 = [&](int at) {
            return static_cast<quint32>(static_cast<unsigned char>(b[at])) |
                   (static_cast<quint32>(static_cast<unsigned char>(b[at + 1])) << 8) |
                   (static_cast<quint32>(static_cast<unsigned char>(b[at + 2])) << 16) |
                   (static_cast<quint32>(static_cast<unsigned char>(b[at + 3])) << 24);
        };
        QCOMPARE(b.left(2), QByteArray("BM"));
        QCOMPARE(u32(2), static_cast<quint32>(b.size()));
        QCOMPARE(u32(10), 54u);
        QCOMPARE(u32(14), 40u);
        QCOMPARE(u32(18), 800u);
        QCOMPARE(u32(22), 500u);
        QCOMPARE(static_cast<int>(b[26]), 1);   // planes
        QCOMPARE(static_cast<int>(b[28]), 32);  // bits per pixel
        QCOMPARE(u32(30), 0u);
        QCOMPARE(b.size(), 54 + 800 * 500 * 4);
        // The picture is the overview as shown.
        BmpImage image;
        std::string error;
        QVERIFY(readBmp(dir.filePath("overview.bmp").toStdString(), image, error));
        const QImage& shown = view->snapshot();
        for (QPoint pt : {QPoint(0, 0), QPoint(400, 420), QPoint(799, 499), QPoint(123, 300)})
            QCOMPARE(image.pixels[static_cast<size_t>(pt.y() * 800 + pt.x())] | 0xFF000000u, shown.pixel(pt));
    }

    void extensionsAndOverwrite()
    {
        SaveToBmpDialog dlg(view.get(), entire.get());
        dlg.setFolder(dir.path());
        dlg.setFileName("picture.png");
        QCOMPARE(dlg.targetPath(), dir.filePath("picture.png"));
        QVERIFY(dlg.save());
        QImage png(dir.filePath("picture.png"));
        QCOMPARE(png.size(), QSize(800, 500));
        // The file exists now: "no" keeps it, "yes" writes it again.
        messages.m_answers.push_back(Answer::No);
        QFile::resize(dir.filePath("picture.png"), 10);
        QVERIFY(!dlg.save());
        QCOMPARE(messages.m_questions.back(),
                 (dir.filePath("picture.png") + " already exists. Do you want to overwrite it?").toStdString());
        QCOMPARE(QFileInfo(dir.filePath("picture.png")).size(), 10);
        messages.m_answers.push_back(Answer::Yes);
        QVERIFY(dlg.save());
        QVERIFY(QFileInfo(dir.filePath("picture.png")).size() > 10);

        dlg.setFileName("vector.svg");
        QVERIFY(dlg.save());
        QFile svg(dir.filePath("vector.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
        dlg.setFileName("paper.pdf");
        QVERIFY(dlg.save());
        QFile pdf(dir.filePath("paper.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }
};

QTEST_MAIN(TestPictureExport)
#include "test_picture_export.moc"
