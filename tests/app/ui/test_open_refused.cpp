// Opening a file that is refused leaves the open document, its results and
// the panels as they were; opening another file while a clustering result
// has not been exported asks "Save changes to %1?" and follows the answer.
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include "cluster/ui/CExportDlg.h"
#include "data/ui/CLoadDialog.h"
#include "MainFrameFixture.h"

namespace {
const char* const kSmall = "ID\tNAME\tA\tB\tC\tD\nr1\tn1\t1\t2\t3\t4\nr2\tn2\t2\t3\t1\t5\nr3\tn3\t4\t1\t2\t2\n"
                           "r4\tn4\t3\t3\t3\t1\n";

} // namespace

class TestOpenRefused : public MainFrameFixture {
    Q_OBJECT
private:
    RecordingPanel* m_pPanel = nullptr;

    // Answers the modal dialogs as they come, in order: a reply that returns
    // false leaves the window alone (a progress window, say). The timer is
    // the caller's to delete once the command is done.
    QTimer* answerDialogs(std::vector<std::function<bool(QWidget*)>> replies)
    {
        auto* timer = new QTimer(this);
        auto left = std::make_shared<std::vector<std::function<bool(QWidget*)>>>(std::move(replies));
        connect(timer, &QTimer::timeout, this, [timer, left] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible())
                return;
            if (!left->empty() && left->front()(w))
                left->erase(left->begin());
        });
        timer->start(20);
        return timer;
    }

    // What the open document shows, to compare before and after.
    struct Snapshot {
        CArxDoc* doc;
        DataMatrix* data;
        CForest* rows;
        QString title;
        bool panelEnabled;
        bool modified;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot()
    {
        return {doc(), doc()->data(), doc()->m_pRowForest, frame()->windowTitle(), m_pPanel->isEnabled(),
                doc()->m_bModified};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
        m_pPanel = new RecordingPanel;
        QVERIFY(frame()->setPanel("Table View", m_pPanel, m_pPanel));
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(writeFile("small.txt", kSmall)));
        CClusteringParameters p;
        for (const char* c : {"A", "B", "C", "D"})
            p.m_columns.push_back({c, true});
        QVERIFY(doc()->hierarchicalClustering(p));
        QVERIFY(doc()->m_pRowForest->hasTree());
        QVERIFY(doc()->m_bModified);
    }

    void aRefusedFileLeavesTheOpenDocument()
    {
        const Snapshot before = snapshot();
        m_messages.m_texts.clear();
        m_messages.m_questions.clear();
        m_messages.m_answers = {Answer::No};
        // The preview shows its first lines; the whole read then finds no value column.
        const QString passwd = writeFile("passwd.txt", "root:x:0:0:root:/root:/bin/bash\nbin:x:2:2::/:\n");
        acceptNextDialog<CLoadDialog>();
        QVERIFY(!frame()->openDataFile(passwd));
        QCOMPARE(m_messages.m_questions, std::vector<std::string>{"Save changes to small?"});
        QCOMPARE(m_messages.m_texts, std::vector<std::string>{passwd.toStdString() + ": the file has no value columns"});
        QVERIFY(snapshot() == before);
        QVERIFY(doc()->m_bDataLoaded);
        QCOMPARE(doc()->data()->m_nRows, 4);
        // A result whose tree does not fit its items is refused the same way.
        const QString dat = writeFile("bad.dat", "not a result\n");
        m_messages.m_texts.clear();
        m_messages.m_answers = {Answer::No};
        QVERIFY(!frame()->openClusteringResult(dat));
        QCOMPARE(m_messages.m_texts.size(), size_t(1));
        QVERIFY(snapshot() == before);
    }

    void cancelKeepsEverything()
    {
        const Snapshot before = snapshot();
        m_messages.m_questions.clear();
        m_messages.m_answers = {Answer::Cancel};
        const QString other = writeFile("other.txt", kSmall);
        bool dialogOpened = false;
        std::unique_ptr<QTimer> timer(answerDialogs({[&dialogOpened](QWidget* w) {
            dialogOpened = true;
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            return true;
        }}));
        QVERIFY(!frame()->openDataFile(other));
        QVERIFY(!dialogOpened);
        QCOMPARE(m_messages.m_questions, std::vector<std::string>{"Save changes to small?"});
        QVERIFY(snapshot() == before);
    }

    void yesExportsThroughTheExportDialog()
    {
        m_messages.m_questions.clear();
        m_messages.m_answers = {Answer::Yes};
        QTemporaryDir out;
        const QString other = writeFile("other.txt", kSmall);
        std::unique_ptr<QTimer> timer(answerDialogs({[&out](QWidget* w) {
                           auto* d = qobject_cast<CExportDlg*>(w);
                           if (!d)
                               return false;
                           d->folderEdit()->setText(out.path());
                           d->fileNameEdit()->setText("kept");
                           d->accept();
                           return true;
                       },
                       [](QWidget* w) {
                           auto* d = qobject_cast<CLoadDialog*>(w);
                           if (d)
                               d->accept();
                           return d != nullptr;
                       }}));
        const bool opened = frame()->openDataFile(other);
        QVERIFY(opened);
        QCOMPARE(m_messages.m_questions, std::vector<std::string>{"Save changes to small?"});
        QVERIFY(QFile::exists(out.filePath("kept.dat")));
        QVERIFY(QFile::exists(out.filePath("kept.rcr")));
        QCOMPARE(frame()->windowTitle(), QString("Arbolix - other"));
        QVERIFY(!doc()->m_bModified);
    }

    void noDiscardsAndAWarnedFileOpensWithOneMessage()
    {
        CClusteringParameters p;
        for (const char* c : {"A", "B", "C", "D"})
            p.m_columns.push_back({c, true});
        QVERIFY(doc()->hierarchicalClustering(p));
        m_messages.m_questions.clear();
        m_messages.m_texts.clear();
        m_messages.m_answers = {Answer::No};
        const QString warned = writeFile("warned.txt",
                                         QByteArray(kSmall) + "r5\tn5\t1\t2\t3\t4\t5\nr6\tn6\t1\n");
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(warned));
        QCOMPARE(m_messages.m_questions, std::vector<std::string>{"Save changes to other?"});
        QCOMPARE(frame()->windowTitle(), QString("Arbolix - warned"));
        QCOMPARE(m_messages.m_texts,
                 std::vector<std::string>{warned.toStdString() +
                                          ": 2 warnings\n"
                                          "line 6: 7 cells, the header has 6; the extra cells are ignored\n"
                                          "line 7: 3 cells, the header has 6; the missing cells are read as missing "
                                          "values"});
        QVERIFY(m_pPanel->isEnabled());
    }
};

ARBOLIX_APP_TEST_MAIN(TestOpenRefused)
#include "test_open_refused.moc"
