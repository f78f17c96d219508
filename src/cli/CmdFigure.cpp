// arbolix-cli figure: the overview as a picture file, drawn by the windows'
// own painting code without a display.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/FigureOptions.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cli/FigureDrawing.h"

namespace {

struct {
    DocumentOptions doc;
    std::string out, size, strips, annotation;
    std::optional<float> minSimilarity;
    int colors = 3;
} o;

bool endsWith(const std::string& s, const std::string& tail)
{
    if (s.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

// An exported clustering result is shown as it was saved; anything else is
// a data file, clustered first.
bool isResultFile(const std::string& path) { return endsWith(path, ".dat") || endsWith(path, ".cdt"); }

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file, "the data file, or an exported result (BASE.dat or BASE.cdt)");
    cmd.add_option("--out", o.out, "the picture file: FILE.png, FILE.svg or FILE.pdf")
        ->type_name("FILE")
        ->required()
        ->check(CLI::Validator(
            [](std::string& s) {
                return endsWith(s, ".png") || endsWith(s, ".svg") || endsWith(s, ".pdf")
                           ? std::string()
                           : std::string("the file name must end in .png, .svg or .pdf");
            },
            ""));
    cmd.add_option("--size", o.size, "width and height in pixels, each 50 to 20000 (default 1600x1000)")
        ->type_name("WxH")
        ->check(CLI::Validator(
            [](std::string& s) {
                int w = 0, h = 0;
                return parseFigureSize(s, w, h) ? std::string()
                                                : std::string("WxH must be two whole numbers from 50 to 20000");
            },
            ""));
    cmd.add_option_function<float>(
           "--min-sim", [](const float& s) { o.minSimilarity = s; },
           "cut the dendrograms at minimum similarity S (default 0.5)")
        ->type_name("S")
        ->check(numberIn(0, 1));
    cmd.add_option("--strips", o.strips,
                   "class strips, comma-separated: columns (the CID row's classes) and names of categorical fields "
                   "or annotation columns (default: the columns' classes when the data have them)")
        ->type_name("columns|NAME,...");
    cmd.add_option("--annotation", o.annotation, "an annotation file whose columns --strips may name")
        ->type_name("ANNOT");
    addChoice(cmd, "--colors", o.colors, {"3", "1"}, "the colour scale: 3 or 1 colours (default 3)", {3, 1});
    addClusteringOptions(cmd, o.doc);
}

int run()
{
    FigureOptions figure;
    if (!o.size.empty())
        parseFigureSize(o.size, figure.width, figure.height);
    figure.minSimilarity = o.minSimilarity;
    figure.colors = o.colors;
    if (!o.strips.empty())
        figure.strips = splitCommas(o.strips);

    CArxDoc doc;
    if (isResultFile(o.doc.file)) {
        if (!doc.importResult(o.doc.file)) {
            std::fprintf(stderr, "arbolix-cli figure: cannot import %s\n", o.doc.file.c_str());
            return kExitFailure;
        }
    } else {
        if (!o.doc.rows && !o.doc.columns)
            o.doc.rows = o.doc.columns = true;
        if (!openDocument(doc, "figure", o.doc) || !clusterDocument(doc, "figure", o.doc))
            return kExitFailure;
    }
    if (!o.annotation.empty() && !doc.attachAnnotation(o.annotation)) {
        std::fprintf(stderr, "arbolix-cli figure: cannot read the annotation file %s\n", o.annotation.c_str());
        return kExitFailure;
    }
    if (!figureDrawing()) {
        std::fprintf(stderr, "arbolix-cli figure: this arbolix-cli was built without Qt, which draws the figures\n");
        return kExitFailure;
    }
    std::string error;
    if (!figureDrawing()(doc, o.out, figure, error)) {
        std::fprintf(stderr, "arbolix-cli figure: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("Wrote %s (%d x %d)\n", o.out.c_str(), figure.width, figure.height);
    return kExitOk;
}

CliRegistrar reg{{"figure",
                  "Draw the overview into a PNG, SVG or PDF file, as the window draws it.\n\n"
                  "Clusters the data file (or shows an exported result as it was saved) and draws the overview\n"
                  "without a display: the dendrograms, the mosaic, the cut at --min-sim, the class strips and the\n"
                  "colour scale bar with how the values were transformed.",
                  &declare, &run}};

} // namespace
