#include "cli/LoadOptions.h"

#include <cmath>
#include <vector>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/FilePreview.h"
#include "data/LoadPipeline.h"
#include "data/TableFile.h"
#include "platform/ReadReport.h"

void addLoadOptions(CLI::App& cmd, LoadOptions& o)
{
    const char* group = "Load options";
    cmd.add_flag("--log", o.log, "take the logarithm of the values")->group(group);
    addChoice(cmd, "--normalize", o.direction, {"row", "column"},
              "normalise row by row or column by column (method 0 unless --method or --scale is given)")
        ->each([&o](const std::string&) {
            if (o.method < 0)
                o.method = 0;
        })
        ->trigger_on_parse()
        ->group(group);
    cmd.add_option_function<int>(
           "--method", [&o](int m) { o.method = m; },
           "normalisation method: 0 standardisation (mean and stdev), 1 control, 2 median, 3 rescaling (--scale)")
        ->type_name("0..3")
        ->check(wholeNumberIn(0, 3))
        ->trigger_on_parse()
        ->group(group);
    cmd.add_option_function<std::vector<float>>(
           "--scale",
           [&o](const std::vector<float>& v) {
               // A last option may come with fewer values than it needs.
               if (v.size() != 2)
                   throw CLI::ValidationError("--scale", "takes two numbers, LO and HI");
               o.lo = v[0];
               o.hi = v[1];
               o.method = 3;
           },
           "scale the values into [LO, HI] (method 3)")
        ->expected(2)
        ->type_name("LO HI")
        ->check(numberIn(-HUGE_VAL, HUGE_VAL))
        ->trigger_on_parse()
        ->group(group);
}

std::optional<bool> readsAsSequenceFile(const std::string& path)
{
    TableFile head;
    const int lines = head.readTable(path, nullptr, 1);
    if (lines < 0) {
        if (!head.error().empty())
            ReadReport::refuse(path, 0, head.error());
        return std::nullopt;
    }
    // An empty file is no sequence file: the full read refuses it.
    return lines > 0 && isSequenceFileHeader(stripBlanks(head.cell(0, 0)));
}

bool loadAndTransform(const std::string& path, const LoadOptions& o, DataMatrix& out)
{
    const std::optional<bool> readable = readsAsSequenceFile(path);
    if (!readable)
        return false;
    const bool sequence = *readable;
    if (!(sequence ? out.loadSequenceFile(path) : out.loadDataFile(path)))
        return false;
    TransformChoice choice;
    choice.sequence = sequence;
    // A sequence file takes no transformation.
    choice.log = o.log && !sequence;
    choice.direction = sequence ? -1 : o.direction;
    choice.method = o.method;
    choice.lo = o.lo;
    choice.hi = o.hi;
    return applyTransformations(out, choice);
}
