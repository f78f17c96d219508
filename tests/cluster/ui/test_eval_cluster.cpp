// The "Evaluation" tab in the main window on the bundled sample: the two
// refusals, the hierarchical and k-means evaluations against the engine's
// numbers, the F-measure with the columns' classes, and the log file.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "../../app/ui/MainFrameFixture.h"
#include "cluster/Evaluation.h"
#include "cluster/Forest.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CEvalCluster.h"
#include "cluster/ui/CKMeansDlg.h"

namespace {
QString text(const std::optional<double>& v) { return QString::fromStdString(evaluationText(v)); }
// A mean distance with the same mean as a similarity on the 0..65535 scale.
QString distance(const std::optional<double>& d)
{
    return d ? QString::asprintf("%6.3f (similarity %.3f)", *d, 1.0 - *d / 65535.0) : QString("N/A");
}
}

class TestEvalCluster : public MainFrameFixture {
    Q_OBJECT
private:
    CEvalCluster* panel() { return control<CEvalCluster>("Evaluation"); }

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame() && panel());
        QVERIFY(frame()->openCommandLineFile(kSample));
        frame()->controlBar()->showTab("Evaluation");
    }

    void refusalsWithoutResults()
    {
        m_messages.m_texts.clear();
        panel()->hierarchical().evaluate->click();
        panel()->kMeans().evaluate->click();
        QCOMPARE(m_messages.m_texts,
                 (std::vector<std::string>{"Do Hierarchical Clustering first!", "Do K-means Clustering first!"}));
        QVERIFY(panel()->hierarchical().within->text().isEmpty());
    }

    void hierarchicalEvaluationWithItsLog()
    {
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QVERIFY(doc()->m_pRowForest->hasTree());
        const QString log = m_dir.filePath("eval.log");
        QVERIFY(panel()->openLog(log));
        QCOMPARE(panel()->logButton()->text(), QString("Close Log File"));

        panel()->hierarchical().evaluate->click();
        // The engine on the same cut (the overview's bar starts at 0.5).
        const CForest& rows = *doc()->m_pRowForest;
        const ClusterEvaluation e = evaluateHierarchical(rows, doc()->m_run[0].m_bCentered, doc()->m_run[0].m_bAbsolute);
        QVERIFY(e.within && e.between);
        QCOMPARE(panel()->hierarchical().within->text(), distance(e.within));
        QCOMPARE(panel()->hierarchical().between->text(), distance(e.between));
        QCOMPARE(panel()->hierarchical().ratio->text(), text(e.ratio));
        QCOMPARE(panel()->hierarchical().fMeasure->text(), QString("N/A (no classes in the data)"));

        // The columns carry the B/T classes of the CID row.
        QVERIFY(doc()->switchViews());
        panel()->hierarchical().evaluate->click();
        const CForest& cols = *doc()->m_pColForest;
        const ClusterEvaluation c = evaluateHierarchical(cols, doc()->m_run[0].m_bCentered, doc()->m_run[0].m_bAbsolute);
        QCOMPARE(panel()->hierarchical().within->text(), distance(c.within));
        QCOMPARE(panel()->hierarchical().fMeasure->text(), QString::asprintf("%.3f", fMeasure(cols)));
        QVERIFY(doc()->switchViews());

        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(f.readAll());
        QCOMPARE(written, QString::fromStdString(evaluationLogLine(e, 0.5f) + evaluationLogLine(c, 0.5f)));

        panel()->closeLog();
        panel()->hierarchical().evaluate->click();
        f.close();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), written);
    }

    void doKMeansThenEvaluate()
    {
        whenDialogOpens<CKMeansDlg>([](CKMeansDlg* d) {
            d->rows().k->setValue(4);
            d->accept();
        });
        panel()->doKMeansButton()->click();
        QVERIFY(doc()->m_pRowForest->m_bKMeans);
        QVERIFY(panel()->openLog(m_dir.filePath("kmeans.log")));
        panel()->kMeans().evaluate->click();
        const ClusterEvaluation e =
            evaluateKMeans(*doc()->m_pRowForest, doc()->m_run[0].m_bCentered, doc()->m_run[0].m_bAbsolute);
        QCOMPARE(e.clusters, 4);
        QCOMPARE(panel()->kMeans().within->text(), distance(e.within));
        QCOMPARE(panel()->kMeans().between->text(), distance(e.between));
        QCOMPARE(panel()->kMeans().ratio->text(), text(e.ratio));
        QCOMPARE(panel()->kMeans().fMeasure->text(), QString("N/A (for a dendrogram cut only)"));
        QFile f(m_dir.filePath("kmeans.log"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QString("4\tN/A\t%1\t%2\n").arg(text(e.within), text(e.between)));
        panel()->closeLog();
        // New results empty the fields.
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QVERIFY(panel()->kMeans().within->text().isEmpty());
    }
};

ARBOLIX_APP_TEST_MAIN(TestEvalCluster)

#include "test_eval_cluster.moc"
