// The Gene Ontology tab on the bundled sample: loading, tree texts and
// counts, the popup's selections (hint 3003), the selected items' tree,
// search, dialog 194, and the enrichment list following the cut.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "../../app/ui/HintLog.h"
#include "app/CArxDoc.h"
#include "linked/GoAnnotation.h"
#include "linked/GoEnrichment.h"
#include "linked/GoOntology.h"
#include "linked/ui/CGoListModel.h"
#include "linked/ui/CGoTreeModel.h"
#include "linked/ui/CLoadGoFilesDlg.h"
#include "linked/ui/COntologyInfo.h"
#include "platform/Messages.h"
#include "platform/RecordingMessages.h"
#include "../../support/DocSupport.h"

namespace {

const QString kSamples = ARBOLIX_SAMPLES_DIR;

// The document the tab shows: the sample, its annotation, rows clustered.
struct Fixture {
    CArxDoc doc;
    HintLog log;
    COntologyInfo panel;
    RecordingMessages messages;
    QStringList opened;

    Fixture()
    {
        setMessages(&messages);
        doc.readDataFile((kSamples + "/all_leukemia_top2000.txt").toStdString(), false, -1, -1, 0, 1, false);
        doc.attachAnnotation((kSamples + "/all_leukemia_top2000_annotation.csv").toStdString());
        CClusteringParameters params = everyColumn(doc);
        params.m_options.clusterColumns = false;
        doc.hierarchicalClustering(params);
        doc.m_pRowForest->cut(0.5f);
        doc.attach(&log);
        doc.attach(&panel);
        panel.setDocumentSource([this] { return &doc; });
        panel.setUrlOpener([this](const QString& url) { opened << url; });
        panel.resize(1400, 300);
    }
    ~Fixture()
    {
        doc.detach(&panel);
        doc.detach(&log);
        setMessages(nullptr);
    }
    bool load() { return panel.loadFrom(kSamples + "/go-basic.obo.gz"); }
    QString text(const QModelIndex& i) const { return i.data().toString(); }
};

} // namespace

class TestOntologyInfo : public QObject {
    Q_OBJECT
private slots:
    void treeTextsCarryTheItemsUnderEachTerm()
    {
        Fixture f;
        QVERIFY(f.load());
        CGoTreeModel* m = f.panel.treeModel();
        QCOMPARE(m->rowCount(), 1);
        const QModelIndex root = m->index(0, 0);
        QCOMPARE(f.text(root), QString("GO:0003673 (1923) Gene_Ontology"));
        QCOMPARE(m->rowCount(root), 3);
        QCOMPARE(f.text(m->index(1, 0, root)), QString("GO:0008150 (1888) biological_process"));
        QVERIFY(f.text(m->index(0, 0, root)).startsWith("GO:0003674 ("));
        // The whole process tree opens on demand without freezing.
        QElapsedTimer t;
        t.start();
        f.panel.tree()->expandRecursively(m->index(1, 0, root), 2);
        QCoreApplication::processEvents();
        QVERIFY(t.elapsed() < 5000);
        QVERIFY(m->rowCount(m->index(1, 0, root)) > 20);
    }

    void popupSelectionsSendTheSelectionHint()
    {
        Fixture f;
        QVERIFY(f.load());
        const int immune = f.panel.ontology()->termIndex(6955);
        f.panel.runPopupCommand(COntologyInfo::kSelectTerm, immune);
        QCOMPARE(f.doc.m_selectedItems.size(), size_t{97});
        QCOMPARE(f.doc.m_selectedItems.front(), 13);
        QVERIFY(f.log.has(kHintItemSelection));
        f.panel.runPopupCommand(COntologyInfo::kSelectDescendants, immune);
        QCOMPARE(f.doc.m_selectedItems.size(), size_t{351});
        // A root selects every annotated item.
        f.panel.runPopupCommand(COntologyInfo::kSelectDescendants, GoOntology::kRoot);
        QCOMPARE(f.doc.m_selectedItems.size(), size_t{1923});
        f.panel.runPopupCommand(COntologyInfo::kFindInDatabase, immune);
        QCOMPARE(f.opened, QStringList{"https://amigo.geneontology.org/amigo/search/ontology?q=GO:0006955&view=details"});
    }

    void selectedItemsTreeAndItsTitle()
    {
        Fixture f;
        QVERIFY(f.load());
        QCOMPARE(f.panel.selectedTitle()->text(), QString("Ontology IDs of the selected genes"));
        f.doc.setItemSelection({0, 1, 2, 10, 20});
        // Distinct GO numbers of these five items: 122 (counted with Python's csv module).
        QCOMPARE(f.panel.selectedTitle()->text(), QString("Ontology IDs of the selected genes (5 genes, 122 GOIDs)"));
        CGoTreeModel* m = f.panel.selectedModel();
        QCOMPARE(f.text(m->index(0, 0)), QString("GO:0003673 (5) Gene_Ontology"));
        // Only terms with selected items under them are shown.
        const QModelIndex component = m->index(2, 0, m->index(0, 0));
        for (int r = 0; r < m->rowCount(component); ++r)
            QVERIFY(!f.text(m->index(r, 0, component)).contains(" (0) "));
        f.doc.setItemSelection({});
        QCOMPARE(f.panel.selectedTitle()->text(), QString("Ontology IDs of the selected genes"));
    }

    void searchListsMatchesAndShowsTheFirst()
    {
        Fixture f;
        QVERIFY(f.load());
        f.panel.search("  6955 ");
        QCOMPARE(f.panel.listModel()->rowCount(), 1);
        QCOMPARE(f.panel.listModel()->row(0).value(1), QString("immune response"));
        QVERIFY(f.panel.tree()->currentIndex().data().toString().startsWith("GO:0006955 (351) immune response"));
        // "<- All" selects the items annotated with the listed terms.
        f.panel.selectFromList(false);
        QCOMPARE(f.doc.m_selectedItems.size(), size_t{97});
        f.panel.search("IMMUNE RESPONSE");
        QVERIFY(f.panel.listModel()->rowCount() > 10);
        for (int r = 0; r < f.panel.listModel()->rowCount(); ++r)
            QVERIFY(f.panel.listModel()->row(r).value(1).contains("immune response", Qt::CaseInsensitive));
        f.panel.list()->selectRow(0);
        f.panel.selectFromList(true);
        QVERIFY(!f.doc.m_selectedItems.empty());
    }

    void enrichmentFollowsTheCutAndTheNewestCutWins()
    {
        Fixture f;
        QVERIFY(f.load());
        QSignalSpy shown(&f.panel, &COntologyInfo::enrichmentShown);
        f.panel.hypeTest();
        QVERIFY(shown.wait(20000));
        QCOMPARE(f.panel.listTitle()->text(), QString("Current Clusters"));
        CGoListModel* list = f.panel.listModel();
        QCOMPARE(list->columns(), (QStringList{"cluster", "GO identifier", "term", "k", "n", "K", "N", "p-value", "FDR"}));
        // The engine's own answer for the same cut and FDR <= 0.05 (the default).
        auto expectedRows = [&] {
            return rowsUpToFdr(enrichClusters(*f.panel.index(), clusterOfItems(*f.doc.m_pRowForest)), 0.05);
        };
        QCOMPARE(static_cast<size_t>(list->rowCount()), expectedRows().size());
        QCOMPARE(list->row(0).value(1), QString("GO:0070062"));

        // Two bar moves in a row: only the newest cut is shown.
        shown.clear();
        const int started = f.panel.enrichmentRunsStarted();
        const int before = f.panel.enrichmentRunsShown();
        f.doc.m_pRowForest->cut(0.7f);
        f.doc.updateAllViews(nullptr, kHintMinSimilarity);
        f.doc.m_pRowForest->cut(0.8f);
        f.doc.updateAllViews(nullptr, kHintMinSimilarity);
        QCOMPARE(f.panel.enrichmentRunsStarted(), started + 2);
        QVERIFY(shown.wait(20000));
        QTest::qWait(300);
        QCOMPARE(f.panel.enrichmentRunsShown(), before + 1);
        const std::vector<GoEnrichmentRow> expected = expectedRows();
        QCOMPARE(static_cast<size_t>(list->rowCount()), expected.size());
        QCOMPARE(list->row(0).value(1), QString::fromStdString(goIdText(expected.front().m_nNumber)));
        QCOMPARE(list->row(0).value(0), QString::number(expected.front().m_nCluster));

        // The threshold box filters the same result again.
        f.panel.fdrBox()->setCurrentIndex(4);  // all
        QCOMPARE(static_cast<size_t>(list->rowCount()),
                 enrichClusters(*f.panel.index(), clusterOfItems(*f.doc.m_pRowForest)).size());

        // The same rows as tab-delimited text.
        QTemporaryDir dir;
        const QString path = dir.filePath("enriched.txt");
        QVERIFY(f.panel.exportList(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), list->rowCount() + 1);
        QCOMPARE(lines.front(), QString("cluster\tGO identifier\tterm\tk\tn\tK\tN\tp-value\tFDR"));
        QCOMPARE(lines.at(1), list->row(0).join('\t'));
    }

    void missingFilesShowDialog194()
    {
        Fixture f;
        QTemporaryDir empty;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(empty.path());
        f.doc.m_strDataPath = (empty.path() + "/data.txt").toStdString();
        auto answer = [](CLoadGoFilesDlg::Choice c) {
            QTimer::singleShot(0, [c] {
                auto* d = qobject_cast<CLoadGoFilesDlg*>(QApplication::activeModalWidget());
                if (d) {
                    QCOMPARE(d->windowTitle(), QString("Load GO Files"));
                    d->choose(c);
                }
            });
        };
        answer(CLoadGoFilesDlg::Cancel);
        QVERIFY(!f.panel.loadOntology());
        QVERIFY(!f.panel.ontology());
        // "Open" with an OBO file loads it.
        f.panel.setFileChooser([] { return kSamples + "/go-basic.obo.gz"; });
        answer(CLoadGoFilesDlg::Open);
        QVERIFY(f.panel.loadOntology());
        QCOMPARE(f.panel.ontology()->termCount(), 43559);
        // Beside the data file no dialog is needed.
        f.doc.m_strDataPath = (kSamples + "/all_leukemia_top2000.txt").toStdString();
        QVERIFY(f.panel.loadOntology());
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(TestOntologyInfo)
#include "test_ontology_info.moc"
