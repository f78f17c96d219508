// Class strips and flipped subtrees in the views, and figures: the strips'
// pixels against the classes in leaf order (the CID row read from the file),
// the overview following a flip made in the entire view, a flip undone
// giving back the same picture, the Class Strips dialog's refusal, and the
// figure files (PNG pixels, SVG and PDF structure).
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <fstream>
#include <map>
#include <sstream>

#include "app/CArxDoc.h"
#include "app/OverviewLayout.h"
#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxView.h"
#include "app/ui/CClassStripsDlg.h"
#include "app/ui/DisplaySettings.h"
#include "app/ui/Figure.h"
#include "app/ui/StripPainting.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "../../support/DocSupport.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// Column name -> its CID cell, read straight from the file.
std::map<std::string, std::string> cidOfColumns()
{
    std::ifstream in(kSample);
    std::string header, cid;
    std::getline(in, header);
    std::getline(in, cid);
    auto split = [](const std::string& line) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        for (std::string c; std::getline(ss, c, '\t');)
            cells.push_back(c);
        return cells;
    };
    const auto names = split(header), classes = split(cid);
    std::map<std::string, std::string> out;
    for (size_t k = 2; k < names.size() && k < classes.size(); ++k)
        out[names[k]] = classes[k];
    return out;
}

// Detaches a view when the test leaves its scope, passed or not.
struct Attachment {
    CArxDoc& doc;
    CDocObserver* view;
    Attachment(CArxDoc& d, CDocObserver* v) : doc(d), view(v) { doc.attach(view); }
    ~Attachment() { doc.detach(view); }
};

QRgb rgbOf(Rgb c) { return qRgb(c.r, c.g, c.b); }

// The sample's classes are "1" and "2": legend order 0 and 1.
QRgb classColour(const std::string& cid) { return rgbOf(categoryColor(cid == "1" ? 0 : cid == "2" ? 1 : -1)); }

} // namespace

class TestClassStrips : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<CArxDoc> doc;
    std::unique_ptr<CArxView> shown;  // detached after each test, whatever happened
    DisplaySettings settings;
    std::map<std::string, std::string> cids;

    CArxView* makeView(int w, int h)
    {
        shown = std::make_unique<CArxView>(doc.get());
        CArxView* view = shown.get();
        view->setDisplaySettings(&settings);
        view->resize(w, h);
        doc->attach(view);
        view->show();
        if (!QTest::qWaitForWindowExposed(view))
            return nullptr;
        view->onUpdate(nullptr, kHintResultsChanged);
        return view;
    }

    static bool showEntire(CArxEntireView& entire)
    {
        entire.resize(900, 600);
        entire.show();
        return QTest::qWaitForWindowExposed(&entire);
    }

    // Every mosaic row's cell of the column strip at the overview's left.
    void expectColumnStripInLeafOrder(const QImage& image, const VerticalLayout& v, const CForest& cols)
    {
        QVERIFY(v.cellHeight > 0);
        const int x = kStripGap + kStripThickness / 2;
        for (int r = 0; r < cols.m_nLeaves; ++r) {
            const int y = v.yLeaf + 1 + r * v.cellHeight + v.cellHeight / 2;
            const std::string& cid = cids.at(cols.leaf(r)->m_strName);
            QVERIFY2(image.pixel(x, y) == classColour(cid),
                     qPrintable(QString("row %1 (%2, class %3)").arg(r).arg(cols.leaf(r)->m_strName.c_str(), cid.c_str())));
        }
    }

private slots:
    void initTestCase()
    {
        cids = cidOfColumns();
        QCOMPARE(static_cast<int>(cids.size()), 128);
        doc = std::make_unique<CArxDoc>();
        QVERIFY(doc->readDataFile(kSample, false, -1, -1, 0, 1, false));
        QVERIFY(doc->hierarchicalClustering(everyColumn(*doc)));
        ColorMapping& m = viewContext().mapping;
        m.m_nMargin = 10;
        m.m_nBarLength = 210;
        float lo = 0, hi = 0;
        m.startValues(valueHistogram(*doc->data(), 100, lo, hi), lo, hi, false);
    }

    void cleanup()
    {
        if (shown)
            doc->detach(shown.get());
        shown.reset();
        while (doc->canUndoFlip())
            doc->undoFlip();
        doc->showItemStrips({});
        doc->setColumnStripShown(true);
    }

    void columnStripFollowsTheLeafOrderAndAFlipInTheEntireView()
    {
        auto view = makeView(1600, 1000);
        QVERIFY(view);
        CArxEntireView entire(doc.get());
        QVERIFY(showEntire(entire));
        Attachment attached(*doc, &entire);
        entire.resetFromDocument();
        const CForest& cols = *doc->m_pColForest;
        QCOMPARE(view->stripRoomLeft(), stripBandSize(1));
        expectColumnStripInLeafOrder(view->snapshot(), view->verticalLayoutState(), cols);

        // The column dendrogram's root flipped in the entire view: the
        // overview's rows follow.
        const int firstBefore = cols.dataIndex(0);
        QVERIFY(entire.flipSubtree(cols.root()->m_nIndex));
        QVERIFY(cols.dataIndex(0) != firstBefore);
        expectColumnStripInLeafOrder(view->snapshot(), view->verticalLayoutState(), cols);
        // The mosaic's rows too: a cell shows the value of the column now in its row.
        const VerticalLayout& v = view->verticalLayoutState();
        const CForest& rows = *doc->m_pRowForest;
        const double x = view->leafX(0);
        const int r = 5;
        const float value = doc->data()->value(rows.dataIndex(0), cols.dataIndex(r));
        QCOMPARE(view->snapshot().pixel(static_cast<int>(x), v.yLeaf + 1 + r * v.cellHeight),
                 rgbOf(viewContext().mapping.colorOf(value)));

    }

    void itemStripsFollowZoomInBothViews()
    {
        // Items in three groups by their row number.
        std::vector<std::string> texts;
        for (int r = 0; r < doc->data()->rowCount(); ++r)
            texts.push_back("g" + std::to_string(r % 3));
        ClassStrip strip;
        std::string message;
        QVERIFY(buildClassStrip("Group", false, texts, kMaxStripCategories, strip, message));
        std::vector<ClassStrip> strips;
        strips.push_back(strip);
        auto view = makeView(1600, 1000);
        QVERIFY(view);
        doc->showItemStrips(std::move(strips));
        QCOMPARE(view->stripRoomBelow(), stripBandSize(1));
        // The mosaic made room: the leaf line moved up by the strip band.
        QCOMPARE(view->verticalLayoutState().yLeaf,
                 verticalLayout(1000 - stripBandSize(1), 128, 67, 100, false).yLeaf);
        view->setLeafRange(100, 199);
        const CForest& rows = *doc->m_pRowForest;
        const int y = 1000 - stripBandSize(1) + kStripGap + kStripThickness / 2;
        int checked = 0;
        for (int pos = 0; pos < rows.m_nLeaves; ++pos) {
            const double x = view->leafX(pos);
            if (x < view->stripRoomLeft() || x >= 1600)
                continue;
            const int item = rows.dataIndex(pos);
            QCOMPARE(view->snapshot().pixel(static_cast<int>(x), y), rgbOf(categoryColor(item % 3)));
            ++checked;
        }
        QCOMPARE(checked, 100);

        CArxEntireView entire(doc.get());
        QVERIFY(showEntire(entire));
        Attachment attached(*doc, &entire);
        entire.resetFromDocument();
        // Scrolled so that the strip above the mosaic is in the window.
        const int band = stripBandSize(1);
        entire.verticalScrollBar()->setValue(entire.mosaicTop() - band - 40);
        const QImage& e = entire.image();
        const int mosaicTop = entire.mosaicTop() - entire.verticalScrollBar()->value();
        if (qEnvironmentVariableIsSet("ARBOLIX_VIEW_SNAPSHOT"))
            e.save(qEnvironmentVariable("ARBOLIX_VIEW_SNAPSHOT"));
        const int sy = mosaicTop - band + kStripGap + kStripThickness / 2;
        // The first columns (the side bar's caption may cover the last ones).
        for (int col = entire.firstVisibleColumn(); col <= entire.firstVisibleColumn() + 40; ++col) {
            const int x = (col - entire.firstVisibleColumn()) * CArxEntireView::kCell + CArxEntireView::kCell / 2;
            QCOMPARE(e.pixel(x, sy), rgbOf(categoryColor(rows.dataIndex(col) % 3)));
        }
    }

    void aFlipUndoneGivesBackTheSamePicture()
    {
        auto view = makeView(1200, 700);
        QVERIFY(view);
        view->applyTypedMinSimilarity(0.6);
        const QImage before = view->snapshot().copy();
        const CForest& rows = *doc->m_pRowForest;
        const CNode* inner = rows.root()->m_pFirst->m_nSize > rows.root()->m_pSecond->m_nSize ? rows.root()->m_pFirst
                                                                                              : rows.root()->m_pSecond;
        QVERIFY(!inner->isLeaf());
        const std::string clusters = view->clusteringInfo().toStdString();
        QVERIFY(view->flipSubtree(inner->m_nIndex));
        QVERIFY(view->snapshot() != before);
        // The cut is the same: same text, same bar.
        QCOMPARE(view->clusteringInfo().toStdString(), clusters);
        QCOMPARE(view->minSimilarity(), 0.6f);
        QVERIFY(doc->undoFlip());
        QVERIFY(view->snapshot() == before);
    }

    // The legend is laid out once for many redraws, and again whenever what
    // it counts changed: the strip's content (even in the same object), the
    // width, the results; a view's legend after a change of strips is the
    // one a fresh view draws.
    void legendLaidOutAgainOnlyWhenWhatItShowsChanges()
    {
        const CForest& rows = *doc->m_pRowForest;
        auto groups = [&](int count) {
            std::vector<std::string> texts;
            for (int r = 0; r < doc->data()->rowCount(); ++r)
                texts.push_back("g" + std::to_string(r % count));
            ClassStrip strip;
            std::string message;
            if (!buildClassStrip("Group", false, texts, kMaxStripCategories, strip, message))
                qFatal("strip refused");
            return strip;
        };
        ClassStrip strip = groups(3);
        StripLegendCache cache;
        const std::vector<const ClassStrip*> strips{&strip};
        const std::vector<const CForest*> along{&rows};
        const auto revision = doc->resultsRevision();
        for (int i = 0; i < 3; ++i)
            cache.layout(revision, strips, along, 800);
        QCOMPARE(cache.layouts(), 1);
        strip = groups(4);
        const StripLegendLayout& layout = cache.layout(revision, strips, along, 800);
        QCOMPARE(cache.layouts(), 2);
        QCOMPARE(layout.lines.size(), size_t(1));
        QCOMPARE(layout.lines[0].entries.size(), size_t(4));
        // 2000 items in four groups by row number.
        QCOMPARE(rows.m_nLeaves, 2000);
        for (int g = 0; g < 4; ++g)
            QCOMPARE(layout.lines[0].entries[static_cast<size_t>(g)].text, QString("g%1 (500)").arg(g));
        cache.layout(revision, strips, along, 600);
        QCOMPARE(cache.layouts(), 3);
        cache.layout(revision + 1, strips, along, 600);
        QCOMPARE(cache.layouts(), 4);
        cache.layout(revision + 1, strips, along, 600);
        QCOMPARE(cache.layouts(), 4);

        auto view = makeView(1400, 800);
        QVERIFY(view);
        doc->showItemStrips({groups(3)});
        (void)view->snapshot();
        doc->showItemStrips({groups(5)});
        const QImage changed = view->snapshot().copy();
        CArxView fresh(doc.get());
        fresh.setDisplaySettings(&settings);
        fresh.resize(1400, 800);
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        fresh.resetFromDocument();
        QVERIFY(fresh.snapshot() == changed);
    }

    void dialogRefusesACategoricalFieldWithMoreThanTwelveValues()
    {
        QTemporaryDir tmp;
        const std::string path = (tmp.path() + "/t.txt").toStdString();
        std::string text = "ID\tNAME\tA\tB\tTISSUE\tSEX\nFIELDTYPE\tSTRING\tEXPRESSION\tEXPRESSION\tCATEGORICAL\tCATEGORICAL\n";
        for (int i = 0; i < 26; ++i)
            text += "g" + std::to_string(i) + "\tn\t" + std::to_string(i) + "\t" + std::to_string(i % 5) + "\tt" +
                    std::to_string(i % 13) + "\t" + (i % 2 ? "f" : "m") + "\n";
        ScopedRecordingMessages messages;
        CArxDoc small;
        std::ofstream(path) << text;
        QVERIFY(small.readDataFile(path, false, -1, -1, 0, 1, false));
        CClassStripsDlg dlg(small);
        QVERIFY(!dlg.columnBox()->isEnabled());  // no CID row
        QCOMPARE(dlg.itemList()->count(), 2);
        QCOMPARE(dlg.itemList()->item(0)->text(), QString("TISSUE"));
        dlg.itemList()->item(0)->setCheckState(Qt::Checked);
        dlg.itemList()->item(1)->setCheckState(Qt::Checked);
        QVERIFY(!dlg.apply());
        QCOMPARE(QString::fromStdString(messages->m_texts.back()),
                 QString("TISSUE has 13 distinct values; a class strip shows at most 12."));
        QVERIFY(small.itemStrips().empty());
        dlg.itemList()->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(dlg.apply());
        QCOMPARE(small.itemStrips().size(), size_t(1));
        QCOMPARE(QString::fromStdString(small.itemStrips()[0].m_strName), QString("SEX"));
    }

    void figuresInEveryFormat()
    {
        QTemporaryDir tmp;
        auto inDir = [&](const char* name) { return (tmp.path() + "/" + name).toStdString(); };
        FigureOptions options;  // 1600 x 1000, the column strip
        std::string error;
        const std::string png = inDir("f.png"), svg = inDir("f.svg"), pdf = inDir("f.pdf");
        QVERIFY2(saveFigure(*doc, png, options, error), error.c_str());
        QImage image(QString::fromStdString(png));
        QCOMPARE(image.size(), QSize(1600, 1000));
        expectColumnStripInLeafOrder(image.convertToFormat(QImage::Format_RGB32),
                                     verticalLayout(1000, 128, settings.m_nBarHeight, 100, false), *doc->m_pColForest);

        options.width = 800;
        options.height = 500;
        QVERIFY2(saveFigure(*doc, svg, options, error), error.c_str());
        QFile s(QString::fromStdString(svg));
        QVERIFY(s.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&s);
        int elements = 0;
        QString root;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && elements++ == 0)
                root = xml.name().toString();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(root, QString("svg"));
        QVERIFY(elements > 100);

        QVERIFY2(saveFigure(*doc, pdf, options, error), error.c_str());
        QFile f(QString::fromStdString(pdf));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("%PDF-1."));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        // The cross-reference table sits where startxref says.
        const int sx = bytes.lastIndexOf("startxref");
        QVERIFY(sx > 0);
        const qsizetype offset = bytes.mid(sx + 9).trimmed().split('\n').first().trimmed().toLongLong();
        QVERIFY(bytes.mid(offset, 4) == "xref");

        // Refusals come back as the error, nothing written.
        options.strips = std::vector<std::string>{"NOPE"};
        QVERIFY(!saveFigure(*doc, inDir("g.png"), options, error));
        QCOMPARE(QString::fromStdString(error), QString("No categorical field or annotation column is named NOPE."));
        QVERIFY(!QFile::exists(QString::fromStdString(inDir("g.png"))));
        options.strips.reset();
        QVERIFY(!saveFigure(*doc, inDir("g.gif"), options, error));
    }

    // arbolix-cli figure: the sample clustered as above and drawn without a
    // display, in each format; the column strip in the PNG shows the classes
    // in the clustered leaf order.
    void figureCommandInEveryFormat()
    {
        QTemporaryDir tmp;
        for (const char* name : {"c.png", "c.svg", "c.pdf"}) {
            const QString out = tmp.path() + "/" + name;
            QProcess cli;
            cli.start(ARBOLIX_CLI, {"figure", QString::fromStdString(kSample), "--out", out});
            QVERIFY(cli.waitForFinished(120000));
            QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
            QCOMPARE(QString(cli.readAllStandardOutput()), QString("Wrote %1 (1600 x 1000)\n").arg(out));
            QFile f(out);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            if (out.endsWith(".png")) {
                const QImage image = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
                QCOMPARE(image.size(), QSize(1600, 1000));
                expectColumnStripInLeafOrder(image, verticalLayout(1000, 128, settings.m_nBarHeight, 100, false),
                                             *doc->m_pColForest);
            } else if (out.endsWith(".svg")) {
                QXmlStreamReader xml(bytes);
                while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
                }
                QCOMPARE(xml.name().toString(), QString("svg"));
                while (!xml.atEnd())
                    xml.readNext();
                QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            } else {
                QVERIFY(bytes.startsWith("%PDF"));
                QVERIFY(bytes.trimmed().endsWith("%%EOF"));
            }
        }
    }
};

QTEST_MAIN(TestClassStrips)
#include "test_class_strips.moc"
