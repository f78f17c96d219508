// The "Table View" tab in the main window on the bundled sample and its
// annotation: the Tool menu's annotation command, selection both ways, the
// selected-only listing, sorting and reverting, column hiding, the cell
// popup's copies and look-ups, the look-up address dialog.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include "../../app/ui/MainFrameFixture.h"
#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/ui/CDataTableModel.h"
#include "linked/ui/CDataTableView.h"

class TestTableView : public MainFrameFixture {
    Q_OBJECT
private:
    CDataTableView* view() { return info<CDataTableView>("Table View"); }
    CDataTableModel* model() { return view()->model(); }
    std::vector<int> selectedListRows() { return view()->selectedListRows(); }
    int annotationColumn(const QString& header)
    {
        for (int c = 0; c < model()->columnCount(); ++c)
            if (QString::fromStdString(model()->headerText(c)) == header)
                return c;
        return -1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startWithSample());
        frame()->informationBar()->showTab("Table View");
        QVERIFY(view()->isVisible());
        QCOMPARE(model()->rowCount(), 2000);
        QCOMPARE(model()->columnCount(), 3 + 128);
        QCOMPARE(view()->countLabel()->text(), QString("Select items"));
    }

    void toolMenuAttachesTheAnnotation()
    {
        whenDialogOpens<QFileDialog>([](QFileDialog* d) {
            d->selectFile(kAnnotation);
            QMetaObject::invokeMethod(d, "accept");
        });
        frame()->action("Attach Affymetrix Annotation")->trigger();
        QVERIFY(doc()->annotation());
        QVERIFY(m_log.has(kHintAnnotation));
        QCOMPARE(model()->columnCount(), 3 + 128 + 7);
        QCOMPARE(QString::fromStdString(model()->headerText(3 + 128 + 1)), QString("Gene Title"));
        QCOMPARE(model()->cellText(0, 0), std::string("1005_at"));
        QCOMPARE(model()->cellText(0, 1), std::string("DUSP1"));
        QCOMPARE(model()->cellText(0, 3 + 128 + 1), std::string("dual specificity phosphatase 1"));
        // The leaves carry the gene titles.
        QCOMPARE(doc()->m_pRowForest->m_pOrgNodes[0]->m_strName, std::string("dual specificity phosphatase 1"));
    }

    void anUnmatchedFileLeavesTheViewUnchanged()
    {
        const QString bad = writeFile("bad.csv", "ID,Title\nnone_at,nothing\n");
        m_messages.m_texts.clear();
        QVERIFY(!doc()->attachAnnotation(bad.toStdString()));
        QCOMPARE(m_messages.m_texts.size(), size_t(1));
        QCOMPARE(model()->columnCount(), 3 + 128 + 7);
        QCOMPARE(model()->cellText(0, 3 + 128 + 2), std::string("DUSP1"));
    }

    void selectionBothWays()
    {
        m_log.hints.clear();
        doc()->setItemSelection({0, 2, 5});
        QCOMPARE(selectedListRows(), (std::vector<int>{0, 2, 5}));
        QCOMPARE(view()->countLabel()->text(), QString("3 items selected"));

        // A click in the list: the document's selection and hint 3003 to the others.
        m_log.hints.clear();
        QTableView* t = view()->table();
        const QRect cell = t->visualRect(model()->index(7, 0));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(doc()->m_selectedItems, std::vector<int>{7});
        QCOMPARE(m_log.hints, std::vector<int>{kHintItemSelection});
        QCOMPARE(view()->countLabel()->text(), QString("1 item seleted"));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::ShiftModifier, t->visualRect(model()->index(9, 0)).center());
        QCOMPARE(doc()->m_selectedItems, (std::vector<int>{7, 8, 9}));
        QCOMPARE(selectedListRows(), (std::vector<int>{7, 8, 9}));
        // A Ctrl click adds to a selection another view made.
        doc()->setItemSelection({1, 3});
        QVERIFY(t->selectionModel()->selection().isEmpty());
        QCOMPARE(model()->data(model()->index(3, 5), Qt::BackgroundRole).value<QColor>(),
                 t->palette().color(QPalette::Active, QPalette::Highlight));
        QVERIFY(!model()->data(model()->index(2, 5), Qt::BackgroundRole).isValid());
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::ControlModifier, t->visualRect(model()->index(5, 0)).center());
        QCOMPARE(doc()->m_selectedItems, (std::vector<int>{1, 3, 5}));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::ControlModifier, t->visualRect(model()->index(1, 0)).center());
        QCOMPARE(doc()->m_selectedItems, (std::vector<int>{3, 5}));

        doc()->setItemSelection({});
        QVERIFY(selectedListRows().empty());
        QCOMPARE(view()->countLabel()->text(), QString("Select items"));
    }

    void showSelectedDataOnly()
    {
        doc()->setItemSelection({10, 3});
        view()->checkBox("Show Selected Data Only")->setChecked(true);
        QCOMPARE(model()->rowCount(), 2);
        QCOMPARE(model()->cellText(0, 0), doc()->mainPair()->m_pData->itemId(3));
        QCOMPARE(model()->cellText(1, 0), doc()->mainPair()->m_pData->itemId(10));
        doc()->setItemSelection({4});
        QCOMPARE(model()->rowCount(), 1);
        view()->checkBox("Show Selected Data Only")->setChecked(false);
        QCOMPARE(model()->rowCount(), 2000);
        QCOMPARE(selectedListRows(), std::vector<int>{4});
    }

    void sortTwiceAndRevert()
    {
        QPushButton* revert = view()->button("Revert to Orginal Order");
        QVERIFY(!revert->isEnabled());
        const DataMatrix& data = *doc()->mainPair()->m_pData;
        // A header click sorts by the values, as numbers.
        QHeaderView* header = view()->table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        QVERIFY(revert->isEnabled());
        for (int r = 1; r < 2000; ++r)
            QVERIFY(data.value(model()->matrixRow(r - 1), 0) <= data.value(model()->matrixRow(r), 0));
        // The selected item stays selected where it went.
        QCOMPARE(selectedListRows(), std::vector<int>{model()->listRowOfItem(4)});
        view()->sortByColumn(3);
        for (int r = 1; r < 2000; ++r)
            QVERIFY(data.value(model()->matrixRow(r - 1), 0) >= data.value(model()->matrixRow(r), 0));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Text columns sort as text.
        view()->sortByColumn(0);
        for (int r = 1; r < 2000; ++r)
            QVERIFY(model()->cellText(r - 1, 0) <= model()->cellText(r, 0));
        revert->click();
        QVERIFY(!revert->isEnabled());
        for (int r = 0; r < 2000; ++r)
            QCOMPARE(model()->matrixRow(r), r);
        QCOMPARE(selectedListRows(), std::vector<int>{4});
    }

    void columnHiding()
    {
        QTableView* t = view()->table();
        const int firstAnnotation = 3 + 128;
        view()->checkBox("Show Data")->setChecked(false);
        QVERIFY(t->isColumnHidden(3) && t->isColumnHidden(130));
        QVERIFY(!t->isColumnHidden(0) && !t->isColumnHidden(firstAnnotation));
        view()->checkBox("Show Annotation")->setChecked(false);
        QVERIFY(t->isColumnHidden(firstAnnotation) && t->isColumnHidden(firstAnnotation + 6));
        view()->checkBox("Show Data")->setChecked(true);
        view()->checkBox("Show Annotation")->setChecked(true);
        QVERIFY(!t->isColumnHidden(3) && !t->isColumnHidden(firstAnnotation + 6));
        QVERIFY(t->columnWidth(3) > 0);
    }

    void originalValues()
    {
        const DataMatrix& data = *doc()->mainPair()->m_pData;
        view()->checkBox("Use Original Data")->setChecked(true);
        QCOMPARE(QString::fromStdString(model()->cellText(0, 3)), QString::asprintf("%.2f", data.orgValue(0, 0)));
        view()->checkBox("Use Original Data")->setChecked(false);
        QCOMPARE(QString::fromStdString(model()->cellText(0, 3)), QString::asprintf("%.2f", data.value(0, 0)));
    }

    void copiesGoToTheClipboard()
    {
        QClipboard* clip = QApplication::clipboard();
        view()->copyCell(0, 1);
        QCOMPARE(clip->text(), QString("DUSP1"));
        view()->copyColumn(1);
        const QStringList names = clip->text().split('\n');
        QCOMPARE(names.size(), 2000);
        QCOMPARE(names.at(1), QString("DDR1"));
        view()->copyRow(0);
        const QStringList cells = clip->text().split('\t');
        QCOMPARE(cells.size(), model()->columnCount());
        QCOMPARE(cells.at(0), QString("1005_at"));
        QVERIFY(!clip->text().endsWith(' ') && !clip->text().endsWith('\t'));
    }

    void cellPopupAndLookUps()
    {
        // An empty cell (the sample has no descriptions) gets no menu.
        QVERIFY(!view()->makeCellMenu(0, 2, view()));
        // A cell of a column without a template: the three copies only.
        std::unique_ptr<QMenu> plain(view()->makeCellMenu(0, 1, view()));
        QVERIFY(plain);
        QStringList texts;
        for (QAction* a : plain->actions())
            if (!a->isSeparator())
                texts << a->text();
        QCOMPARE(texts, (QStringList{"Copy this cell to clipboard", "Copy this whole column to clipboard",
                                     "Copy this whole row to clipboard"}));
        // With a template: one look-up per "///" part, the term before "//".
        const int go = annotationColumn("Gene Ontology Molecular Function");
        QVERIFY(go >= 0);
        model()->entry(go).urlTemplate = "https://example.org/find?term=%s";
        std::unique_ptr<QMenu> menu(view()->makeCellMenu(0, go, view()));
        QList<QAction*> lookups;
        for (QAction* a : menu->actions())
            if (a->text().startsWith("Look up \""))
                lookups << a;
        const std::string cell = model()->cellText(0, go);
        size_t parts = 1;
        for (size_t at = cell.find("///"); at != std::string::npos; at = cell.find("///", at + 3))
            ++parts;
        QCOMPARE(size_t(lookups.size()), parts);
        QVERIFY(lookups.size() > 1);
        QVERIFY(lookups.first()->text().endsWith("\" in a linked database"));
        QList<QUrl> opened;
        view()->setUrlOpener([&opened](const QUrl& u) { opened << u; });
        lookups.first()->trigger();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().toString(QUrl::FullyEncoded), QString("https://example.org/find?term=GO%3A0004721"));
    }

    void urlTemplateDialog()
    {
        const int symbol = annotationColumn("Gene Symbol");
        whenDialogOpens<QDialog>([](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Input Dialogbox"));
            bool prompt = false;
            for (QLabel* l : d->findChildren<QLabel*>())
                prompt = prompt || l->text() == "Input a URL template string for the column (Gene Symbol) :";
            QVERIFY(prompt);
            d->findChild<QLineEdit*>()->setText("https://example.org/gene/%s");
            d->accept();
        });
        view()->editUrlTemplate(symbol);
        QCOMPARE(model()->entry(symbol).urlTemplate, std::string("https://example.org/gene/%s"));
        QCOMPARE(model()->headerData(symbol, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
        // "Clear" empties the template.
        whenDialogOpens<QDialog>([](QDialog* d) {
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->text() == "Clear")
                    b->click();
            d->accept();
        });
        view()->editUrlTemplate(symbol);
        QVERIFY(model()->entry(symbol).urlTemplate.empty());
    }

    void newDataClearsTheTable()
    {
        doc()->updateAllViews(nullptr, kHintNewData);
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(model()->columnCount(), 0);
    }
};

ARBOLIX_APP_TEST_MAIN(TestTableView)

#include "test_table_view.moc"
