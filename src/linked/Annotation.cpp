#include "linked/Annotation.h"

#include <algorithm>
#include <cctype>

#include "cluster/Forest.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

const char* const kNoAnnotationMatched =
    "No annotation is matched to your data.\nThis doesn't seem to be an appropriate annotation file for your data.";

namespace {
const char* const kLoadingCaption = "Loading Affymetrix Annotation File : ";
} // namespace

bool containsNoCase(std::string_view text, std::string_view part)
{
    if (part.size() > text.size())
        return false;
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

std::string_view trimIdentifier(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && (isBlank(text[b]) || text[b] == '"'))
        ++b;
    while (e > b && (isBlank(text[e - 1]) || text[e - 1] == '"'))
        --e;
    return text.substr(b, e - b);
}

int Annotation::findColumn(std::string_view part) const
{
    if (m_table.lineCount() < 1)
        return -1;
    for (int c = 0; c < columnCount(); ++c)
        if (containsNoCase(header(c), part))
            return c;
    return -1;
}

int Annotation::lineOf(std::string_view identifier) const
{
    auto it = m_mapLine.find(trimIdentifier(identifier));
    return it == m_mapLine.end() ? -1 : it->second;
}

std::string_view Annotation::cellOf(std::string_view identifier, std::string_view part) const
{
    const int line = lineOf(identifier);
    if (line < 0)
        return {};
    return cell(line, findColumn(part));
}

std::string annotationCell(const Annotation& annotation, std::string_view identifier, std::string_view part)
{
    return std::string(annotation.cellOf(identifier, part));
}

bool loadAnnotation(const std::string& path, const DataMatrix& data, Annotation& out)
{
    // 1. Nothing of a previous table stays.
    out.m_table.clear();
    out.m_mapLine.clear();
    out.m_rowLines.clear();
    out.m_nMatched = 0;
    out.m_strPath.clear();

    bool cancelled = false;
    ReadReport report(path);
    {
        // 2. The file.
        ProgressScope progress(kLoadingCaption, kLoadingCaption);
        IProgress& p = progress.get();
        const int lines = out.m_table.readTable(path, &p, 0);
        if (lines < 0) {
            const std::string ext = TableFile::extensionOf(path);
            // Workbooks have told what is wrong; a cancelled read is no fault.
            if (out.m_table.refused())
                ReadReport::refuse(path, 0, out.m_table.error());
            else if (ext != "xls" && ext != "xlsx" && !p.cancelled())
                showMessage(strFormat("Cannot open the file : %s", path.c_str()));
            out.m_table.clear();
            return false;
        }
        // Cells beyond the header's are never looked up; missing ones read as empty.
        report = out.m_table.report();
        out.m_table.checkLineWidths(report, 1, out.m_table.fieldCount(0), "empty texts");

        // 3. Identifier -> line; a later line replaces an earlier one.
        p.setMessage("Validating the Annotation File... (1/2)");
        p.setRange(1, std::max(1, lines));
        int interval = progressInterval(lines);
        out.m_mapLine.reserve(static_cast<size_t>(lines));
        for (int i = 1; i < lines && !cancelled; ++i) {
            cancelled = cancelledAt(p, i, interval);
            const std::string_view id = trimIdentifier(out.m_table.cell(i, 0));
            if (!id.empty())
                out.m_mapLine[id] = i;
        }

        // 4. The items found in the map.
        p.setMessage("Validating the Annotation File... (2/2)");
        p.setRange(0, data.m_nRows);
        interval = progressInterval(data.m_nRows);
        out.m_rowLines.assign(static_cast<size_t>(std::max(0, data.m_nRows)), -1);
        for (int r = 0; r < data.m_nRows && !cancelled; ++r) {
            cancelled = cancelledAt(p, r, interval);
            const int line = out.lineOf(data.itemId(r));
            out.m_rowLines[static_cast<size_t>(r)] = line;
            out.m_nMatched += line > 0;
        }
    }

    // 5. Without a match (or after Cancel) nothing is kept.
    if (cancelled || out.m_nMatched == 0) {
        out.m_table.clear();
        out.m_mapLine.clear();
        out.m_rowLines.clear();
        out.m_nMatched = 0;
        if (!cancelled)
            showMessage(kNoAnnotationMatched);
        return false;
    }
    out.m_strPath = path;
    report.report();
    return true;
}

int relabelLeaves(CForest& forest, const Annotation& annotation)
{
    if (!forest.m_bRowForest)
        return 0;
    const int column = annotation.findColumn("title");
    if (column < 0)
        return 0;
    int relabelled = 0;
    for (CNode* leaf : forest.m_pOrgNodes) {
        const std::string_view title = annotation.cell(annotation.lineOf(leaf->m_strLabel2), column);
        if (!title.empty()) {
            leaf->m_strName.assign(title);
            ++relabelled;
        }
    }
    return relabelled;
}
