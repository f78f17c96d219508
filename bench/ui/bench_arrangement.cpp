// Flipped subtrees, class strips and figures, measured side by side with the
// overview's plain full drawing in alternating pairs (the order inside a pair
// swapped each time), so that a busy machine disturbs the ratios little:
//
// - a flip at 20000 items: Flip Subtree through the overview, the order, the
//   profiles and the redrawn overview, against one full drawing (the target:
//   at most 30 ms to the redrawn overview);
// - the overview with three item strips against the same overview without
//   (the target: at most 10 % slower);
// - a figure of the bundled sample (read, clustered, drawn and written as
//   PNG, SVG and PDF) against reading and clustering the sample alone.
//
// usage: bench_arrangement [PAIRS] [flip|strips|figure]   (default 30, all)
// Each timing of the overview with and without strips draws it five times,
// so that one stall of a busy machine weighs less in a pair.
// The 20000 x 100 file is made by bench/make_expression_file.py in a
// temporary folder, or taken from ARBOLIX_BENCH_FILE.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/UpdateHints.h"
#include "app/ui/CArxView.h"
#include "app/ui/Figure.h"
#include "app/ui/ViewContext.h"
#include "cluster/ClusterPartition.h"
#include "data/ColorMapping.h"
#include "data/DataMatrix.h"
#include "platform/SilentMessages.h"
#include "../SidePairs.h"
#include "BenchDocument.h"

namespace {

// Runs `a` and `b` in alternating pairs; prints both medians and the median
// of the per-pair ratios b / a with its quartiles.
// `before` runs untimed ahead of each timing, told which side comes.
void pairs(const char* what, const char* nameA, const char* nameB, int count, const std::function<void()>& a,
           const std::function<void()>& b, const std::function<void(bool)>& before = {})
{
    const SidePairs t = timeSidePairs(count, a, b, before);
    std::printf("%s: %s %.2f ms, %s %.2f ms (medians); ratio %.3f (quartiles %.3f..%.3f), %d pairs\n", what, nameA,
                t.medianA(), nameB, t.medianB(), t.medianRatio(), t.lowerQuartile(), t.upperQuartile(), count);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentMessages silent;
    setMessages(&silent);
    const int count = argc > 1 ? std::max(4, std::atoi(argv[1])) : 30;
    const std::string only = argc > 2 ? argv[2] : "";
    auto part = [&](const char* name) { return only.empty() || only == name; };

    // ---- 20000 items ----
    auto doc = std::make_unique<CArxDoc>();
    std::unique_ptr<CForest> rows, cols;
    DataMatrix* data = loadBenchData(*doc, benchExpressionFile("arbolix-bench-draw", 20000, 100), rows, cols);
    if (!data) {
        std::fprintf(stderr, "no benchmark data\n");
        return 1;
    }
    ClusteringOptions options;
    std::fprintf(stderr, "clustering 20000 x 100 (rows and columns)...\n");
    if (!clusterPartition(*rows, *cols, options))
        return 1;
    installBenchPair(*doc, data, std::move(rows), std::move(cols));
    ColorMapping& mapping = viewContext().mapping;
    mapping.m_nMargin = 10;
    mapping.m_nBarLength = 250;
    float lo = 0, hi = 0;
    mapping.startValues(valueHistogram(*data, 100, lo, hi), lo, hi, false);
    CArxView view(doc.get());
    view.resize(1600, 1000);
    view.show();
    QApplication::processEvents();
    doc->attach(&view);
    view.resetFromDocument();
    view.applyTypedMinSimilarity(0.6);

    // Flip: the root and a branch under it in turn (the largest moves).
    CForest& f = *doc->m_pRowForest;
    const CNode* inner = f.root()->m_pFirst->m_nSize > f.root()->m_pSecond->m_nSize ? f.root()->m_pFirst
                                                                                      : f.root()->m_pSecond;
    const int nodes[2] = {f.root()->m_nIndex, inner->m_nIndex};
    int turn = 0;
    if (part("flip"))
        pairs("flip at 20000 items", "full drawing", "flip to redrawn overview", count, [&] { view.renderFull(); },
              [&] { view.flipSubtree(nodes[turn++ % 2]); });

    // Strips: three item strips of 4, 7 and 10 categories.
    std::vector<ClassStrip> items;
    for (int s = 0; s < 3; ++s) {
        std::vector<std::string> texts;
        for (int r = 0; r < data->rowCount(); ++r)
            texts.push_back(std::to_string((r * (s + 3)) % (4 + 3 * s)));
        ClassStrip strip;
        std::string message;
        buildClassStrip("strip " + std::to_string(s), false, texts, kMaxStripCategories, strip, message);
        items.push_back(std::move(strip));
    }
    // Both drawings at the same leaf layout: the strips take room from the
    // mosaic, so each side is laid out once and drawn repeatedly.
    CArxView plainView(doc.get());
    plainView.resize(1600, 1000);
    plainView.show();
    QApplication::processEvents();
    plainView.resetFromDocument();
    plainView.applyTypedMinSimilarity(0.6);
    // The strip view is laid out with the strips, the plain one without;
    // then neither is attached and the document's strips are swapped in and
    // out between the timings.
    doc->showItemStrips(items);
    view.applyTypedMinSimilarity(0.6);
    doc->detach(&view);
    std::vector<ClassStrip> held = items;
    bool shown = true;
    auto fiveTimes = [](CArxView& v) {
        for (int i = 0; i < 5; ++i)
            v.renderFull();
    };
    if (part("strips"))
        pairs("overview at 20000 items (5 drawings)", "without strips", "with 3 item strips", count,
              [&] { fiveTimes(plainView); }, [&] { fiveTimes(view); },
              [&](bool strips) {
                  if (strips != shown) {
                      doc->showItemStrips(strips ? held : std::vector<ClassStrip>{});
                      shown = strips;
                  }
              });

    // ---- the figure on the sample ----
    const std::string sample = std::string(ARBOLIX_BENCH_DIR) + "/../data/samples/all_leukemia_top2000.txt";
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "arbolix-bench-figure";
    std::filesystem::create_directories(out);
    auto readAndCluster = [&](CArxDoc& d) {
        d.readDataFile(sample, false, -1, -1, 0, 1, false);
        CClusteringParameters params;
        for (int p = 0; p < d.m_pColForest->m_nLeaves; ++p)
            params.m_columns.push_back({d.m_pColForest->leaf(p)->m_strName, true});
        d.hierarchicalClustering(params);
    };
    for (const char* ext : {"png", "svg", "pdf"}) {
        if (!part("figure"))
            break;
        const std::string path = (out / (std::string("figure.") + ext)).string();
        const std::string what = std::string("figure of the sample (") + ext + ")";
        pairs(what.c_str(), "read + cluster", "read + cluster + figure", std::max(4, count / 5),
              [&] {
                  CArxDoc d;
                  readAndCluster(d);
              },
              [&] {
                  CArxDoc d;
                  readAndCluster(d);
                  std::string error;
                  if (!saveFigure(d, path, FigureOptions{}, error))
                      std::fprintf(stderr, "%s\n", error.c_str());
              });
    }
    return 0;
}
