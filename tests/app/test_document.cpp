// The document: its defaults, the update notification, reading, the
// commands with their guards, selections, and the dialogs' checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/CArxDoc.h"
#include "app/DialogChecks.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

struct RecordingView : CDocObserver {
    void onUpdate(CDocObserver* sender, int hint) override
    {
        hints.push_back(hint);
        senders.push_back(sender);
        if (onHint)
            onHint(hint);
    }
    std::vector<int> hints;
    std::vector<CDocObserver*> senders;
    std::function<void(int)> onHint;
};

// Six items; KIND splits them 3 / 2 / 1; C is constant in the first row.
const char* const kTyped = "ID\tNAME\tA\tB\tC\tKIND\n"
                           "FIELDTYPE\tSTRING\tEXPRESSION\tEXPRESSION\tEXPRESSION\tCATEGORICAL\n"
                           "g1\tn1\t1\t2\t3\tred\n"
                           "g2\tn2\t1.2\t2.1\t3.3\tred\n"
                           "g3\tn3\t9\t1\t7\tblue\n"
                           "g4\tn4\t9.5\t1.2\t7.1\tblue\n"
                           "g5\tn5\t4\t4\t4\tred\n"
                           "g6\tn6\t0\t5\t1\tgreen\n";

CClusteringParameters parameters(const std::vector<std::string>& columns, int measure = kMeasureEuclidean)
{
    CClusteringParameters p;
    p.m_options.measure = measure;
    for (const std::string& c : columns)
        p.m_columns.push_back({c, true});
    return p;
}

class DocumentTest : public ::testing::Test {
protected:
    void load(const char* text = kTyped)
    {
        ASSERT_TRUE(doc.readDataFile(dir.write("typed.txt", text), false, -1, -1, 0, 1, false));
    }
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
};

} // namespace

TEST(Document, StartsWithItsDefaults)
{
    CArxDoc doc;
    EXPECT_EQ(doc.m_clrSelection.r, 210);
    EXPECT_EQ(doc.m_clrSelection.g, 105);
    EXPECT_EQ(doc.m_clrSelection.b, 30);
    EXPECT_TRUE(doc.m_bRowView);
    EXPECT_TRUE(doc.m_bLogTransformed);
    EXPECT_TRUE(doc.m_bClusterColumns);
    EXPECT_TRUE(doc.m_bClusterRows);
    EXPECT_EQ(doc.m_nNormDirection, -1);
    EXPECT_EQ(doc.m_nNormMethod, -1);
    EXPECT_EQ(doc.m_run[0].m_nLinkage, -1);
    EXPECT_EQ(doc.m_run[1].m_nLinkage, -1);
    EXPECT_EQ(doc.m_nCurrentItem, -1);
    EXPECT_EQ(doc.m_nCurrentVariable, -1);
    EXPECT_EQ(doc.m_palette[1].b, 0xFF);
    EXPECT_EQ(kFirstHint, 3000);
    EXPECT_EQ(kLastHint, 3015);
}

TEST(Document, NotifiesEveryViewButTheSender)
{
    CArxDoc doc;
    RecordingView a, b, c;
    doc.attach(&a);
    doc.attach(&b);
    doc.attach(&b);  // once only
    doc.attach(&c);
    doc.updateAllViews(&a, kHintItemSelection);
    EXPECT_TRUE(a.hints.empty());
    EXPECT_EQ(b.hints, std::vector<int>{3003});
    EXPECT_EQ(b.senders, std::vector<CDocObserver*>{&a});
    // A view that detaches another while notified: the other hears no more.
    b.onHint = [&](int) { doc.detach(&c); };
    doc.updateAllViews(nullptr, kHintColorMapping);
    EXPECT_EQ(a.hints, std::vector<int>{3009});
    EXPECT_EQ(c.hints, std::vector<int>{3003});
    EXPECT_FALSE(doc.isAttached(&c));
}

TEST(Document, SelectionAndHoverSetters)
{
    CArxDoc doc;
    RecordingView view, other;
    doc.attach(&view);
    doc.attach(&other);
    doc.setItemSelection({5, 2, 5}, &view);
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{2, 5}));
    doc.setVariableSelection({1}, &view);
    doc.setCurrentItem(3, &view);
    doc.setCurrentItem(3, &view);  // unchanged: no hint
    doc.setCurrentVariable(0, &view);
    doc.setSelectionColor({1, 2, 3}, &view);
    EXPECT_TRUE(view.hints.empty());
    EXPECT_EQ(other.hints, (std::vector<int>{3003, 3004, 3005, 3006, 3011}));
    EXPECT_EQ(doc.m_nCurrentItem, 3);
    EXPECT_EQ(doc.m_clrSelection.b, 3);
}

TEST_F(DocumentTest, CommandsBeforeDataShowTheirGuardAndChangeNothing)
{
    EXPECT_FALSE(doc.hierarchicalClustering(parameters({"A"})));
    EXPECT_FALSE(doc.compareClustering(CCompareParameters{}));
    CKMeansParameters k;
    k.m_rows = {true, 2, false};
    EXPECT_FALSE(doc.kMeansClustering(k));
    EXPECT_EQ(messages->m_texts,
              (std::vector<std::string>{"Load data file first !", "Load data file first !", "Please load data first!"}));
    EXPECT_EQ(doc.powerCalculationGuard(), "Load data file first !");
    EXPECT_FALSE(doc.canSwitchViews());
    EXPECT_FALSE(doc.switchViews());
    EXPECT_TRUE(doc.m_bRowView);
    EXPECT_FALSE(doc.canExportResult());
    EXPECT_FALSE(doc.exportResult(dir.path(""), "x", true));
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.dat")));
    EXPECT_FALSE(doc.evaluateHierarchical(true, 0.5f));
    EXPECT_EQ(messages->m_texts.back(), "Do Hierarchical Clustering first!");
    EXPECT_FALSE(doc.evaluateKMeans(true));
    EXPECT_EQ(messages->m_texts.back(), "Do K-means Clustering first!");
    EXPECT_EQ(messages->m_texts.size(), 5u);
    EXPECT_FALSE(doc.m_bCompareMode);
    EXPECT_TRUE(doc.m_forestPairs.empty());
}

TEST_F(DocumentTest, OpeningADataFileSendsNewDataThenResultsChanged)
{
    RecordingView view;
    doc.attach(&view);
    ASSERT_TRUE(doc.openDataFile(dir.write("typed.txt", kTyped), false, -1, -1, 0, 1, false));
    EXPECT_EQ(view.hints, (std::vector<int>{3008, 3002}));
    EXPECT_TRUE(doc.m_bDataLoaded);
    EXPECT_EQ(doc.m_strDataName, "typed");
    EXPECT_EQ(doc.windowCaption(), "Arbolix - typed");
    EXPECT_EQ(doc.m_pRowForest->m_nLeaves, 6);
    EXPECT_EQ(doc.m_pColForest->m_nLeaves, 4);
    EXPECT_FALSE(doc.m_bLogTransformed);
    EXPECT_EQ(doc.m_pRowForest->m_pPartner, doc.m_pColForest);

    view.hints.clear();
    EXPECT_FALSE(doc.openDataFile(dir.path("missing.txt"), false, -1, -1, 0, 1, false));
    EXPECT_EQ(view.hints, std::vector<int>{3008});
    EXPECT_FALSE(doc.m_bDataLoaded);
    EXPECT_TRUE(doc.m_forestPairs.empty());
}

TEST_F(DocumentTest, FilteredDataWaitingInTheApplicationAreRead)
{
    CArxData app;
    app.m_pFilteredData = std::make_unique<DataMatrix>();
    ASSERT_TRUE(app.m_pFilteredData->loadDataFile(dir.write("typed.txt", kTyped)));
    CArxDoc withApp(&app);
    // The path is not read again: the filtered matrix is the data.
    ASSERT_TRUE(withApp.readDataFile(dir.path("gone.txt"), false, -1, -1, 0, 1, false));
    EXPECT_EQ(withApp.data(), app.m_pFilteredData.get());
    EXPECT_EQ(withApp.mainPair()->m_pData, app.m_pFilteredData.get());
    EXPECT_EQ(withApp.m_pRowForest->m_nLeaves, 6);
    // Without filtered data the file is read into m_pData.
    app.prepareFreshRead();
    ASSERT_TRUE(withApp.readDataFile(dir.path("typed.txt"), false, -1, -1, 0, 1, false));
    EXPECT_EQ(withApp.data(), app.m_pData.get());
}

TEST_F(DocumentTest, AFailedNormalisationClosesTheDocument)
{
    // Control normalisation row by row divides by column 0, which is 0 in g6.
    EXPECT_FALSE(doc.readDataFile(dir.write("typed.txt", kTyped), false, 0, 1, 0, 1, false));
    EXPECT_FALSE(doc.m_bDataLoaded);
    EXPECT_TRUE(doc.m_forestPairs.empty());
    EXPECT_EQ(messages->m_texts.size(), 1u);
}

TEST_F(DocumentTest, HierarchicalClusteringSetsTheViewByTheDirections)
{
    load();
    RecordingView view;
    doc.attach(&view);
    auto p = parameters({"A", "B", "C"});
    p.m_options.clusterRows = false;
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_FALSE(doc.m_bRowView);
    EXPECT_FALSE(doc.m_pRowForest->hasTree());
    EXPECT_TRUE(doc.m_pColForest->hasTree());
    EXPECT_FALSE(doc.m_bClusterRows);
    EXPECT_EQ(view.hints, std::vector<int>{3002});
    p.m_options.clusterColumns = false;
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_FALSE(doc.m_bRowView);  // neither direction: unchanged
    p.m_options.clusterRows = true;
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_TRUE(doc.m_bRowView);
    EXPECT_EQ(doc.m_run[0].m_nMeasure, kMeasureEuclidean);
    EXPECT_EQ(doc.m_run[0].m_nLinkage, kLinkageAverage);
    // No p-values in the file: the choice is not kept.
    p.m_options.pValueWeights = true;
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_FALSE(doc.m_bUsePValueWeights);
    // A refused dialog check changes nothing.
    messages->m_texts.clear();
    EXPECT_FALSE(doc.hierarchicalClustering(parameters({})));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Please select at least one sample to cluster"});
    EXPECT_TRUE(doc.m_pRowForest->hasTree());
}

TEST_F(DocumentTest, PartitionByRowMakesOnePairPerCategory)
{
    load();
    auto p = parameters({"A", "B", "C"});
    p.m_nPartitioning = kPartitionByRow;
    p.m_second = {{"KIND", true}};
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_FALSE(doc.m_bRowView);
    ASSERT_EQ(doc.m_forestPairs.size(), 4u);
    ASSERT_EQ(doc.m_partitions.size(), 3u);
    std::vector<std::string> names;
    for (size_t i = 1; i < doc.m_forestPairs.size(); ++i)
        names.push_back(doc.m_forestPairs[i].m_strName);
    EXPECT_EQ(names, (std::vector<std::string>{"KIND=red", "KIND=blue", "KIND=green"}));
    // The red partition's row leaves keep their rows of the whole data.
    std::vector<int> rows;
    const CForest& red = *doc.m_forestPairs[1].m_pRows;
    for (int q = 0; q < red.m_nLeaves; ++q)
        rows.push_back(red.dataIndex(q));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 4}));
    EXPECT_TRUE(red.hasTree());
    // A new run without partitioning drops them.
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    EXPECT_EQ(doc.m_forestPairs.size(), 1u);
    EXPECT_TRUE(doc.m_partitions.empty());
}

TEST_F(DocumentTest, PartitionByColumnMakesTwoPairsOverAllRows)
{
    load();
    auto p = parameters({"A", "B"});
    p.m_nPartitioning = kPartitionByColumn;
    p.m_second = {{"C", true}, {"KIND", true}};
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_TRUE(doc.m_bRowView);
    ASSERT_EQ(doc.m_forestPairs.size(), 3u);
    EXPECT_EQ(doc.m_forestPairs[1].m_strName, "2/4");
    EXPECT_EQ(doc.m_forestPairs[2].m_strName, "2/4");
    EXPECT_EQ(doc.m_forestPairs[1].m_pRows->m_nLeaves, 6);
    EXPECT_TRUE(doc.m_forestPairs[2].m_pRows->hasTree());
}

TEST_F(DocumentTest, CompareMakesASecondPairAndDisablesSwitchViews)
{
    load();
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    CCompareParameters c;
    c.m_bRows = true;
    c.m_method1.m_nLinkage = kLinkageSingle;
    c.m_method1.m_nMeasure = kMeasureEuclidean;
    c.m_method2.m_nLinkage = kLinkageComplete;
    c.m_method2.m_nMeasure = kMeasureManhattan;
    RecordingView view;
    doc.attach(&view);
    ASSERT_TRUE(doc.compareClustering(c));
    EXPECT_TRUE(doc.m_bCompareMode);
    ASSERT_EQ(doc.m_forestPairs.size(), 2u);
    EXPECT_EQ(doc.m_pRowForest2, doc.m_forestPairs[1].m_pRows.get());
    EXPECT_EQ(doc.m_pRowForest2->m_pPartner, doc.m_pColForest2);
    EXPECT_TRUE(doc.m_pRowForest->hasTree());
    EXPECT_TRUE(doc.m_pRowForest2->hasTree());
    EXPECT_EQ(doc.m_run[0].m_nArrangement, kKeepRightChildSmall);
    EXPECT_EQ(doc.m_run[1].m_nLinkage, kLinkageComplete);
    EXPECT_TRUE(doc.overviewShowsRows());
    EXPECT_EQ(view.hints, std::vector<int>{3002});
    EXPECT_FALSE(doc.canSwitchViews());
    EXPECT_FALSE(doc.switchViews());
    doc.cancelCompare();
    EXPECT_FALSE(doc.m_bCompareMode);
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    EXPECT_EQ(doc.m_forestPairs.size(), 1u);
    EXPECT_EQ(doc.m_pRowForest2, nullptr);
    EXPECT_EQ(doc.m_run[1].m_nLinkage, -1);
}

TEST_F(DocumentTest, CompareAfterARunWithUncheckedColumnsKeepsTheColumnTreeInOrder)
{
    load();
    auto p = parameters({"A", "B", "C"});
    p.m_columns[0].m_bChecked = false;
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    CCompareParameters c;
    c.m_method1.m_nMeasure = c.m_method2.m_nMeasure = kMeasureEuclidean;
    c.m_method2.m_nLinkage = kLinkageSingle;
    ASSERT_TRUE(doc.compareClustering(c));
    for (const CForest* f : {doc.m_pColForest, doc.m_pColForest2}) {
        ASSERT_TRUE(f->hasTree());
        // The in-order walk of the column tree meets the positions in order.
        std::vector<int> positions;
        std::vector<const CNode*> stack{f->root()};
        while (!stack.empty()) {
            const CNode* n = stack.back();
            stack.pop_back();
            if (n->isLeaf()) {
                positions.push_back(n->m_nPosition);
                continue;
            }
            stack.push_back(n->m_pSecond);
            stack.push_back(n->m_pFirst);
        }
        EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3}));
    }
}

TEST_F(DocumentTest, SwitchViewsFlipsTheDirectionAndCutsAtOneHalf)
{
    load();
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    RecordingView sender, other;
    doc.attach(&sender);
    doc.attach(&other);
    ASSERT_TRUE(doc.switchViews(&sender));
    EXPECT_FALSE(doc.m_bRowView);
    std::vector<CNode*> clusters = doc.m_pColForest->m_clusters;
    doc.m_pColForest->cut(0.5f);
    EXPECT_EQ(clusters, doc.m_pColForest->m_clusters);
    EXPECT_TRUE(sender.hints.empty());
    EXPECT_EQ(other.hints, std::vector<int>{3012});
}

TEST_F(DocumentTest, ItemsListCombinesWithTheSelection)
{
    load();
    const std::string list = dir.write("list.txt", "g2\nunknown\ng4\tignored\ng2\n");
    doc.setItemSelection({0, 1, 2});
    RecordingView view;
    doc.attach(&view);
    EXPECT_EQ(doc.importItemsList(list, kSetDifference), 2);
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{0, 2}));  // the selection minus the list
    EXPECT_EQ(view.hints, std::vector<int>{3003});
    EXPECT_EQ(doc.importItemsList(list, kSetUnion), 2);
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(doc.importItemsList(list, kSetIntersection), 2);
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{1, 3}));
    EXPECT_EQ(doc.importItemsList(list, kSetNew), 2);
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{1, 3}));
    EXPECT_EQ(doc.importItemsList(dir.path("none.txt")), -1);
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Cannot open the file : " + dir.path("none.txt")});
}

TEST_F(DocumentTest, TopTenPercentByTheMeanOfTheValues)
{
    std::string text = "ID\tA\tB\n";
    for (int i = 0; i < 20; ++i)
        text += "i" + std::to_string(i) + "\t" + std::to_string(i % 7) + "\t" + std::to_string(i) + "\n";
    load(text.c_str());
    doc.selectTop10Percent();
    // Means (i % 7 + i) / 2: 12 for i = 19 and 11 for i = 18 lead.
    EXPECT_EQ(doc.m_selectedItems, (std::vector<int>{18, 19}));
    load("ID\tA\na\t1\nb\t2\nc\t3\nd\t4\n");
    doc.selectTop10Percent();  // floor(4 x 0.1 + 0.5) = 0
    EXPECT_TRUE(doc.m_selectedItems.empty());
}

TEST_F(DocumentTest, EvaluationAppendsItsLogLine)
{
    load();
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    doc.m_strEvaluationLogPath = dir.path("eval.log");
    const auto e = doc.evaluateHierarchical(true, 0.0f);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->clusters, 1);
    EXPECT_FALSE(e->between);
    EXPECT_EQ(TempDir::read(dir.path("eval.log")), evaluationLogLine(*e, 0.0f));
}

TEST_F(DocumentTest, BatchRunWritesTheViewsFileAfterAskingToOverwrite)
{
    load();
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    const std::string path = doc.batchRun(dir.path(""), 10);
    EXPECT_EQ(path, dir.path("typed_gene_batch.txt"));
    EXPECT_EQ(TempDir::read(path).rfind("minsim\t# of Cluster\t# of Change\t# of Alone\n1.000\t", 0), 0u);
    messages->m_answers = {Answer::No};
    EXPECT_EQ(doc.batchRun(dir.path(""), 10), "");
    EXPECT_EQ(messages->m_questions.back(), path + " already exists. Do you want to overwrite it?");
}

TEST_F(DocumentTest, ClusteringResultsOpenLikeFiles)
{
    EXPECT_TRUE(CArxDoc::isClusteringResultName("/data/RESULT.DAT"));
    EXPECT_TRUE(CArxDoc::isClusteringResultName("a.dat.txt"));
    EXPECT_FALSE(CArxDoc::isClusteringResultName("a.txt"));
    load();
    EXPECT_EQ(doc.filesToSaveText("r"), "Nothing to export!");
    ASSERT_TRUE(doc.hierarchicalClustering(parameters({"A", "B", "C"})));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    CArxDoc other;
    RecordingView view;
    other.attach(&view);
    ASSERT_TRUE(other.openClusteringResult(dir.path("r.dat")));
    EXPECT_EQ(view.hints, (std::vector<int>{3008, 3002}));
    EXPECT_TRUE(other.m_bDataLoaded);
    EXPECT_FALSE(other.m_bCompareMode);
    EXPECT_EQ(other.m_strDataName, "typed");
    // Item and leaf row map both ways, whatever numbering the file gave the leaves.
    for (const CArxDoc* d : {&doc, &other}) {
        const int leaves = d->m_pRowForest->m_nLeaves;
        for (int k = 0; k < leaves; ++k)
            EXPECT_EQ(d->rowOfItem(d->itemOfRow(k)), k);
        EXPECT_EQ(d->rowOfItem(-1), -1);
        EXPECT_EQ(d->rowOfItem(leaves + 7), -1);
    }
}

TEST(DialogChecks, ClusteringParametersInTheirOrder)
{
    CClusteringParameters p;
    EXPECT_EQ(checkClusteringParameters(p), "Please select at least one sample to cluster");
    p.m_options.clusterRows = p.m_options.clusterColumns = false;
    EXPECT_EQ(checkClusteringParameters(p), "");
    p.m_columns = {{"A", true}, {"B", true}, {"C", false}};
    EXPECT_EQ(checkClusteringParameters(p),
              "Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
              "Please select more than 2, or choose another distance measure.");
    p.m_options.measure = kMeasureEuclidean;
    EXPECT_EQ(checkClusteringParameters(p), "");
    p.m_nPartitioning = kPartitionByRow;
    EXPECT_EQ(checkClusteringParameters(p), "Please select one variable to partion by on the list on the right");
    p.m_second = {{"KIND", true}};
    EXPECT_EQ(checkClusteringParameters(p), "");
    p.m_options.measure = kMeasurePearson;
    EXPECT_EQ(checkClusteringParameters(p),
              "Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
              "Please select more than 2 on each list, or choose another distance measure.");
    p.m_columns = {{"A", false}};
    EXPECT_EQ(checkClusteringParameters(p), "Please select at least one sample to cluster on each list");
    p.m_nPartitioning = kPartitionByColumn;
    p.m_columns = {{"A", true}, {"B", true}, {"C", true}};
    p.m_second = {{"D", false}};
    EXPECT_EQ(checkClusteringParameters(p), "Please select at least one sample to cluster on each list");
}

TEST(DialogChecks, PickTwoDendrograms)
{
    CForest one(5, 0, 3, true), two(5, 0, 3, true);
    EXPECT_EQ(checkPickDendrograms(nullptr, &two), "The first dendrogram is not valid.");
    EXPECT_EQ(checkPickDendrograms(&one, nullptr), "The second dendrogram is not valid.");
    EXPECT_EQ(checkPickDendrograms(&one, &two),
              "Drag minium similarity bar to generate at least TWO clusters on the FIRST dendrogram.");
    one.m_clusters = {one.m_pNodes[3], one.m_pNodes[4]};
    EXPECT_EQ(checkPickDendrograms(&one, &two),
              "Drag minium similarity bar to generate at least TWO clusters on the SECOND dendrogram.");
    two.m_clusters = one.m_clusters;
    EXPECT_EQ(checkPickDendrograms(&one, &two), "");
    EXPECT_EQ(dendrogramInfoText(2, "leuk", 3, 7), "Dendro2:leuk\r\n3\r\n# of Clusters=7");
    EXPECT_EQ(kMeansRandomLabel(), "How many clusters do you like to have?");
}
