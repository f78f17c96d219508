// Saving chosen items as a data file of their own, with the side file of
// their per-cell weights, so that the pair opens again like any data file.
#include <filesystem>

#include "cluster/LineWriter.h"
#include "cluster/ResultFiles.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

std::string textOf(const DataMatrix& data, const char* name, int row)
{
    const int f = data.fieldIndex(name);
    if (f < 0 || data.field(f)->m_nType != String)
        return {};
    const auto& texts = data.field(f)->m_pOrgTexts;
    return static_cast<size_t>(row) < texts.size() ? texts[static_cast<size_t>(row)] : std::string();
}

std::string description(const DataMatrix& data, int row)
{
    std::string d = textOf(data, "DESC", row);
    return d.empty() ? textOf(data, "DESCRIPTION", row) : d;
}

std::string sideCell(const DataMatrix& data, int row, int column)
{
    const float w = data.weight(row, column);
    if (isMissingWeight(w))
        return {};
    if (data.m_nWeightType == 1)
        return strFormat("%f", 1.0 - static_cast<double>(w));
    return w == 1.0f ? "P" : w == 0.5f ? "M" : "A";
}

} // namespace

bool saveNodes(const DataMatrix& data, const std::vector<int>& items, const std::string& path)
{
    if (items.empty()) {
        showMessage("Nothing to save! Select some first!");
        return false;
    }
    for (int r : items)
        if (r < 0 || r >= data.m_nRows)
            return false;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        messages().question(path + " already exists. Do you want to overwrite it?") != Answer::Yes)
        return false;

    ProgressScope progress("Progress", "Saving the nodes...");
    const int nc = data.m_nColumns;
    std::vector<std::string> header{data.field(0)->m_strName, "NAME"};
    for (int k = 0; k < nc; ++k)
        header.push_back(data.columnField(k)->m_strName);
    header.emplace_back("DESC");

    progress->setMessage("Writing an expression file...");
    LineWriter out;
    if (!out.open(path)) {
        showMessage("Error in opening the file");
        return false;
    }
    out.line(header);
    // The header rows put each column's number under its column name (the
    // identifier and NAME columns come first).
    std::vector<std::string> cells{"WEIGHT", ""};
    for (int k = 0; k < nc; ++k)
        cells.push_back(strFormat("%f", static_cast<double>(data.columnField(k)->m_fWeight)));
    out.line(cells);
    if (data.m_bHasCID) {
        cells = {"CID", ""};
        for (int k = 0; k < nc; ++k)
            cells.push_back(strFormat("%d", data.columnField(k)->m_nCID));
        out.line(cells);
    }
    const int count = static_cast<int>(items.size());
    progress->setRange(0, count);
    const int interval = progressInterval(count);
    for (int i = 0; i < count; ++i) {
        if (cancelledAt(progress.get(), i, interval)) {
            out.close();
            return false;
        }
        const int r = items[static_cast<size_t>(i)];
        cells = {data.itemId(r), data.itemName(r)};
        for (int k = 0; k < nc; ++k)
            cells.push_back(isMissingWeight(data.weight(r, k)) ? std::string()
                                                               : strFormat("%f", static_cast<double>(data.orgValue(r, k))));
        cells.push_back(description(data, r));
        out.line(cells);
    }
    if (!out.close()) {
        showMessage("Error in writing the file " + path);
        return false;
    }
    if (data.m_nWeightType != 1 && data.m_nWeightType != 2)
        return true;

    progress->setMessage("Writing a weight file...");
    const std::string sidePath = DataMatrix::withoutExtension(path) + (data.m_nWeightType == 1 ? ".pvl" : ".pma");
    LineWriter side;
    if (!side.open(sidePath)) {
        showMessage("Error in opening the file");
        return false;
    }
    std::vector<std::string> sideHeader{data.field(0)->m_strName};
    for (int k = 0; k < nc; ++k)
        sideHeader.push_back(data.columnField(k)->m_strName);
    side.line(sideHeader);
    for (int r : items) {
        cells = {data.itemId(r)};
        for (int k = 0; k < nc; ++k)
            cells.push_back(sideCell(data, r, k));
        side.line(cells);
    }
    if (!side.close()) {
        showMessage("Error in writing the file " + sidePath);
        return false;
    }
    return true;
}
