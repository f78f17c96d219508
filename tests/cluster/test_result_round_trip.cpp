// The contract of the clustering result files: what is exported and
// imported again has the same trees (structure, similarities to the printed
// precision, leaf order), the same clusters at the same minimum similarity,
// the same values (missing cells stay missing), weights, weight type and
// transformation. Checked on the bundled sample.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "app/CArxDoc.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/RecordingMessages.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// The pre-order lines a tree file holds, as the forest has them.
std::vector<std::string> treeLines(const CForest& f)
{
    std::vector<std::string> out;
    if (!f.hasTree())
        return out;
    auto id = [](const CNode* n) { return strFormat(n->isLeaf() ? "LEAF%d" : "BRCH%d", n->m_nIndex); };
    std::vector<const CNode*> stack{f.root()};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        if (n->isLeaf())
            continue;
        out.push_back(id(n) + " " + id(n->m_pFirst) + " " + id(n->m_pSecond) + " " +
                      strFormat("%f", static_cast<double>(n->m_fSimilarity)));
        stack.push_back(n->m_pSecond);
        stack.push_back(n->m_pFirst);
    }
    return out;
}

struct Variant {
    int linkage = kLinkageAverage;
    int measure = kMeasurePearson;
    bool rows = true, columns = true;
    bool log = false;
    int direction = -1, method = -1;
    float lo = 0.0f, hi = 1.0f;
    bool original = true;
    bool pValueWeights = false;
    bool withMissingCells = false;
};

// Clusters `path` with the variant, exports at minimum similarity 0.6, and
// imports the result into a second document; then compares the two.
void roundTrip(const std::string& path, const Variant& v, const TempDir& dir)
{
    ScopedRecordingMessages messages;
    CArxDoc before;
    ASSERT_TRUE(before.readDataFile(path, v.log, v.direction, v.method, v.lo, v.hi, false));
    CClusteringParameters params = everyColumn(before, v.measure);
    params.m_options.linkage = v.linkage;
    params.m_options.clusterRows = v.rows;
    params.m_options.clusterColumns = v.columns;
    params.m_options.pValueWeights = v.pValueWeights;
    ASSERT_TRUE(before.hierarchicalClustering(params));
    before.m_pRowForest->cut(0.6f);
    before.m_pColForest->cut(0.6f);
    ASSERT_TRUE(before.exportResult(dir.path(""), "result", v.original));
    EXPECT_EQ(std::filesystem::exists(dir.path("result.ccr")), v.columns);
    EXPECT_EQ(std::filesystem::exists(dir.path("result.wts")), before.m_nWeightType > 0);

    CArxDoc after;
    ASSERT_TRUE(after.importResult(dir.path("result.dat")));
    EXPECT_TRUE(messages->m_texts.empty()) << messages->m_texts.front();

    // Trees, leaf order and names.
    const CForest* forests[2][2] = {{before.m_pRowForest, before.m_pColForest}, {after.m_pRowForest, after.m_pColForest}};
    for (int d = 0; d < 2; ++d) {
        const CForest& a = *forests[0][d];
        const CForest& b = *forests[1][d];
        ASSERT_EQ(a.m_nLeaves, b.m_nLeaves);
        EXPECT_EQ(treeLines(a), treeLines(b)) << (d ? "columns" : "rows");
        EXPECT_EQ(leafOrder(a), leafOrder(b));
        for (int p = 0; p < a.m_nLeaves; ++p)
            ASSERT_EQ(a.leaf(p)->m_strName, b.leaf(p)->m_strName);
    }
    EXPECT_EQ(after.m_pRowForest->hasTree(), v.rows);
    EXPECT_EQ(after.m_pColForest->hasTree(), v.columns);
    EXPECT_EQ(after.m_bClusterRows, v.rows);
    EXPECT_EQ(after.m_bClusterColumns, v.columns);

    // The cut's clusters at the same minimum similarity.
    for (float s : {0.3f, 0.6f, 0.8f}) {
        for (int d = 0; d < 2; ++d) {
            const_cast<CForest*>(forests[0][d])->cut(s);
            const_cast<CForest*>(forests[1][d])->cut(s);
            EXPECT_EQ(forests[0][d]->clusterNumbers(), forests[1][d]->clusterNumbers()) << "s = " << s;
        }
    }

    // Values, missing cells, weights, in display order.
    const DataMatrix& m0 = *before.mainPair()->m_pData;
    const DataMatrix& m1 = *after.mainPair()->m_pData;
    ASSERT_EQ(m0.m_nRows, m1.m_nRows);
    ASSERT_EQ(m0.m_nColumns, m1.m_nColumns);
    const CForest& rows = *before.m_pRowForest;
    const CForest& cols = *before.m_pColForest;
    int checkedMissing = 0;
    for (int p = 0; p < rows.m_nLeaves; ++p) {
        const int r0 = rows.dataIndex(p);
        ASSERT_EQ(m0.itemId(r0), m1.itemId(p));
        for (int q = 0; q < cols.m_nLeaves; ++q) {
            const int k0 = cols.dataIndex(q);
            ASSERT_EQ(m0.weight(r0, k0) == -1.0f, m1.weight(p, q) == -1.0f) << p << "," << q;
            if (m0.weight(r0, k0) == -1.0f) {
                ++checkedMissing;
                continue;
            }
            if (before.m_nWeightType > 0) {
                ASSERT_EQ(strFormat("%f", m0.weight(r0, k0)), strFormat("%f", m1.weight(p, q)));
            }
            if (v.original) {
                ASSERT_EQ(strFormat("%f", m0.orgValue(r0, k0)), strFormat("%f", m1.orgValue(p, q)));
            }
            // The current values come back through the same transformation.
            ASSERT_NEAR(m0.value(r0, k0), m1.value(p, q), 2e-4 * std::max(1.0f, std::fabs(m0.value(r0, k0))))
                << p << "," << q;
        }
    }
    EXPECT_EQ(checkedMissing > 0, v.withMissingCells);

    // How the result was made.
    EXPECT_EQ(after.m_nWeightType, before.m_nWeightType);
    EXPECT_EQ(after.m_bLogTransformed, before.m_bLogTransformed);
    EXPECT_EQ(after.m_strDataName, before.m_strDataName);
    EXPECT_EQ(after.m_run[0].m_nLinkage, v.linkage);
    EXPECT_EQ(after.m_run[0].m_nMeasure, v.measure);
    EXPECT_EQ(after.m_bUsePValueWeights, before.m_bUsePValueWeights);
    if (!v.original) {
        EXPECT_EQ(after.m_nNormDirection, v.direction);
        EXPECT_EQ(after.m_nNormMethod, v.method);
        EXPECT_FLOAT_EQ(after.m_fScaleLo, v.direction >= 0 && v.method == 3 ? v.lo : after.m_fScaleLo);
        EXPECT_FLOAT_EQ(after.m_fScaleHi, v.direction >= 0 && v.method == 3 ? v.hi : after.m_fScaleHi);
    }
    // Column classes (the CID row) come back as well.
    EXPECT_EQ(after.m_pColForest->m_bHasClasses, before.m_pColForest->m_bHasClasses);
    EXPECT_EQ(after.m_pColForest->m_classSizes, before.m_pColForest->m_classSizes);
}

// A copy of the sample's first `items` items (with its CID row), some cells
// blanked (missing), and optionally a p-value side file.
std::string sampleCopy(const TempDir& dir, const std::string& name, int items, bool withPValues, int missingEvery)
{
    std::ifstream in(kSample);
    std::string line, out;
    std::vector<std::string> ids;
    int lineNo = 0, cells = 0;
    size_t columns = 0;
    while (std::getline(in, line) && lineNo < items + 2) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t'))
            f.push_back(cell);
        if (lineNo == 0)
            columns = f.size() - 2;
        if (lineNo >= 2) {  // line 1 is the CID row
            ids.push_back(f[0]);
            for (size_t k = 2; k < f.size(); ++k)
                if (missingEvery > 0 && ++cells % missingEvery == 0)
                    f[k].clear();
        }
        for (size_t i = 0; i < f.size(); ++i)
            out += (i ? "\t" : "") + f[i];
        out += "\n";
        ++lineNo;
    }
    const std::string path = dir.write(name + ".txt", out);
    if (withPValues) {
        std::mt19937 rng(11);
        std::string side = "ID";
        for (size_t k = 0; k < columns; ++k)
            side += "\tS" + std::to_string(k);
        side += "\n";
        for (const std::string& id : ids) {
            side += id;
            for (size_t k = 0; k < columns; ++k)
                side += strFormat("\t%.4f", (rng() % 10000) / 10000.0);
            side += "\n";
        }
        dir.write(name + ".pvl", side);
    }
    return path;
}

class ResultRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(ResultRoundTrip, EveryLinkageOnTheSample)
{
    TempDir dir;
    Variant v;
    v.linkage = GetParam();
    roundTrip(kSample, v, dir);
}

INSTANTIATE_TEST_SUITE_P(Linkages, ResultRoundTrip,
                         ::testing::Values(kLinkageAverage, kLinkageAverageGroup, kLinkageComplete, kLinkageSingle,
                                           kLinkageOneByOne));

// Each variant on the sample, or on a 600-item copy of it (with a p-value
// side file, with every n-th cell missing).
TEST(ResultRoundTripVariants, EachVariantComesBackWhole)
{
    struct Case {
        const char* name;
        const char* copy;  // nullptr: the sample itself
        bool withPValues;
        int missingEvery;
        Variant v;
    } cases[] = {
        {"p-values as weights, missing cells", "withp", true, 37,
         {.measure = kMeasureEuclidean, .pValueWeights = true, .withMissingCells = true}},
        {"p-values carried but not used", "withp", true, 0, {.linkage = kLinkageComplete}},
        {"missing cells stay missing", "holes", false, 13, {.measure = kMeasureManhattan, .withMissingCells = true}},
        {"only rows clustered", nullptr, false, 0, {.columns = false}},
        {"log of the original values", "part", false, 0, {.log = true}},
        {"normalised row by row", "part", false, 0, {.direction = 0, .method = 0, .original = false}},
        {"rescaled column by column with log", "part", false, 0,
         {.log = true, .direction = 1, .method = 3, .lo = -2.0f, .hi = 3.5f, .original = false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        roundTrip(c.copy ? sampleCopy(dir, c.copy, 600, c.withPValues, c.missingEvery) : kSample, c.v, dir);
    }
}

TEST(ResultRoundTripVariants, ExportingTheImportGivesTheSameFiles)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(kSample, false, -1, -1, 0, 1, false));
    ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
    doc.m_pRowForest->cut(0.7f);
    doc.m_pColForest->cut(0.9f);
    ASSERT_TRUE(doc.exportResult(dir.path(""), "first", true));
    CArxDoc again;
    ASSERT_TRUE(again.importResult(dir.path("first.dat")));
    again.m_pRowForest->cut(0.7f);
    again.m_pColForest->cut(0.9f);
    ASSERT_TRUE(again.exportResult(dir.path(""), "second", true));
    for (const char* ext : {".rcr", ".ccr"})
        EXPECT_EQ(TempDir::read(dir.path(std::string("first") + ext)), TempDir::read(dir.path(std::string("second") + ext)));
    EXPECT_EQ(TempDir::read(dir.path("first.dat")), TempDir::read(dir.path("second.dat")));
}

} // namespace
