#include "cli/LoadOptions.h"

#include <cstdlib>

#include "data/DataMatrix.h"
#include "data/FilePreview.h"
#include "data/LoadPipeline.h"
#include "data/TableFile.h"

namespace {
bool parseFloat(const std::string& s, float& out)
{
    char* end = nullptr;
    out = std::strtof(s.c_str(), &end);
    return end && *end == 0 && !s.empty();
}
} // namespace

bool parseLoadOption(const std::vector<std::string>& args, size_t& i, LoadOptions& o, std::string& error)
{
    const std::string& a = args[i];
    auto need = [&](size_t n) {
        if (i + n >= args.size()) {
            error = a + " needs " + std::to_string(n) + (n == 1 ? " value" : " values");
            return false;
        }
        return true;
    };
    if (a == "--log") {
        o.log = true;
        return true;
    }
    if (a == "--normalize") {
        if (!need(1))
            return true;
        const std::string& v = args[++i];
        if (v == "row")
            o.direction = 0;
        else if (v == "column")
            o.direction = 1;
        else
            error = "--normalize takes row or column";
        if (o.method < 0)
            o.method = 0;
        return true;
    }
    if (a == "--method") {
        if (!need(1))
            return true;
        const std::string& v = args[++i];
        if (v.size() == 1 && v[0] >= '0' && v[0] <= '3')
            o.method = v[0] - '0';
        else
            error = "--method takes 0, 1, 2 or 3";
        return true;
    }
    if (a == "--scale") {
        if (!need(2))
            return true;
        if (!parseFloat(args[i + 1], o.lo) || !parseFloat(args[i + 2], o.hi))
            error = "--scale takes two numbers";
        i += 2;
        o.method = 3;
        return true;
    }
    return false;
}

bool loadAndTransform(const std::string& path, const LoadOptions& o, DataMatrix& out)
{
    TableFile head;
    const bool sequence = head.readTable(path, nullptr, 1) > 0 && isSequenceFileHeader(head.cell(0, 0));
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
