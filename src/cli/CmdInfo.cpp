// arbolix-cli info FILE: what a user needs to trust a load.
#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/LoadOptions.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"

namespace {
const char* typeName(int type)
{
    switch (type) {
    case Expression: return "Expression";
    case Integer: return "Integer";
    case Real: return "Real";
    case String: return "String";
    case Categorical: return "Categorical";
    case CategoricalStr: return "CategoricalStr";
    default: return "?";
    }
}

const char* weightTypeName(int type)
{
    switch (type) {
    case 0: return "none";
    case 1: return "p-values";
    case 2: return "detection calls";
    default: return "unknown";
    }
}

struct {
    std::string file;
    LoadOptions load;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.file);
    addLoadOptions(cmd, o.load);
}

int run()
{
    const std::string& path = o.file;
    const LoadOptions& options = o.load;
    DataMatrix m;
    if (!loadAndTransform(path, options, m)) {
        std::fprintf(stderr, "arbolix-cli info: cannot load %s\n", path.c_str());
        return kExitFailure;
    }
    std::printf("Data set: %s\n", m.m_strName.c_str());
    std::printf("Items: %d\n", m.m_nRows);
    std::printf("Fields: %d\n", m.m_nFields);
    std::printf("Value columns: %d\n", m.m_nColumns);
    std::printf("Expression columns: %d\n", m.m_nExpColumns);
    std::printf("Class row (CID): %s\n", m.m_bHasCID ? "yes" : "no");
    std::printf("Weight type: %d (%s)\n", m.m_nWeightType, weightTypeName(m.m_nWeightType));
    std::printf("\nFields:\n");
    for (int i = 0; i < static_cast<int>(m.m_fields.size()); ++i) {
        const FieldInfo& f = *m.field(i);
        std::printf("  %3d  %-24s %s", i, f.m_strName.c_str(), typeName(f.m_nType));
        if (f.isCategorical())
            std::printf(" (%zu categories)", f.m_mapCodeToLabel.size());
        std::printf("\n");
    }
    std::printf("\nValue columns (original values):\n");
    std::printf("  %-24s %4s %7s %10s %10s %10s %10s %10s %10s %10s\n", "column", "CID", "missing", "min", "q1",
                "median", "q3", "max", "mean", "stdev");
    for (int k = 0; k < m.m_nColumns; ++k) {
        const FieldInfo& f = *m.columnField(k);
        int missing = 0;
        for (int r = 0; r < m.m_nRows; ++r)
            missing += isMissingWeight(m.weight(r, k));
        const StatRecord& s = f.m_statOrg;
        std::printf("  %-24s %4d %7d %10.4f %10.4f %10.4f %10.4f %10.4f %10.4f %10.4f\n", f.m_strName.c_str(),
                    f.m_nCID, missing, s.min, s.q1, s.median, s.q3, s.max, s.mean, s.stdev);
    }
    std::printf("\nAll values: min %.4f, max %.4f (original); min %.4f, max %.4f (current)\n", m.m_fOrgMin,
                m.m_fOrgMax, m.m_fNorMin, m.m_fNorMax);
    return kExitOk;
}

CliRegistrar reg{{"info",
                  "Load a data file and print what was found in it.\n\n"
                  "Loads a data file as the window would and prints what a user needs to trust the load: the\n"
                  "items, fields and value columns found, the class row and weights, and each value column's\n"
                  "statistics.",
                  &declare, &run}};
} // namespace
