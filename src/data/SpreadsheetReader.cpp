#include "data/SpreadsheetReader.h"

#include <algorithm>
#include <vector>

#include "data/SpreadsheetProvider.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {
// The largest block read (rows x columns): a table of this many cells
// already takes about half a gigabyte.
constexpr long long kMaxBlockCells = 50'000'000;

void reportFailure(const SpreadsheetError& e)
{
    if (e.kind == SpreadsheetError::Kind::System)
        showMessage(e.description, "COM Error");
    else
        showMessage(strFormat("Run-time error '%d':\n\n%s", e.code, e.description.c_str()), "Server Error");
}

// Closes the workbook on every way out once it is open.
class OpenWorkbook {
public:
    explicit OpenWorkbook(ISpreadsheetProvider& p) : m_p(p) {}
    ~OpenWorkbook() { m_p.close(); }
    OpenWorkbook(const OpenWorkbook&) = delete;
    OpenWorkbook& operator=(const OpenWorkbook&) = delete;

private:
    ISpreadsheetProvider& m_p;
};
} // namespace

int readSpreadsheet(TableFile& table, const std::string& path, IProgress* progress, int maxLines)
{
    auto provider = makeSpreadsheetProvider(path);
    return readSpreadsheet(table, provider.get(), path, progress, maxLines);
}

int readSpreadsheet(TableFile& table, ISpreadsheetProvider* provider, const std::string& path, IProgress* progress,
                    int maxLines)
{
    const bool full = maxLines <= 0;
    IProgress* shown = full ? progress : nullptr;
    if (shown)
        shown->setMessage("Instantiating Excel...");
    if (!provider) {
        table.clear();
        showMessage("CreateDispatch failed. Microsoft Excel is necessary to load an input file (*.xls).",
                    "CreateDispatch failed");
        return -1;
    }
    table.clear();
    if (shown)
        shown->setMessage("Opening the first sheet...");
    OpenWorkbook guard(*provider);
    if (!provider->open(path) || !provider->selectFirstWorksheet()) {
        reportFailure(provider->error());
        return -1;
    }
    if (shown)
        shown->setMessage("Getting dimension info...");
    // The block is the used range itself, wherever it starts on the sheet, so
    // a table that does not begin at A1 loses none of its rows or columns.
    SheetRange range;
    if (!provider->usedRange(range)) {
        reportFailure(provider->error());
        return -1;
    }
    const int rows = range.rows, columns = range.columns;
    if (shown)
        shown->setMessage("Reading " + path + " ...");

    const int blockRows = full ? rows : std::min(maxLines, rows);
    if (static_cast<long long>(blockRows) * columns > kMaxBlockCells) {
        SpreadsheetError tooLarge;
        setWorkbookError(tooLarge, kWorkbookTooLarge, path, strFormat("%d rows x %d columns", blockRows, columns));
        reportFailure(tooLarge);
        return -1;
    }
    const SpreadsheetReadMode mode = full ? SpreadsheetReadMode::Full : SpreadsheetReadMode::Preview;
    const int interval = progressInterval(blockRows);
    if (shown) {
        shown->setRange(0, blockRows);
        shown->setPosition(0);
    }
    std::vector<SpreadsheetCell> cells;
    std::vector<std::string> fields(static_cast<size_t>(columns));
    for (int i = 1; i <= blockRows; ++i) {
        if (!provider->readRow(range.firstRow + i - 1, range.firstColumn, columns, cells)) {
            table.clear();
            reportFailure(provider->error());
            return -1;
        }
        cells.resize(fields.size());
        for (size_t c = 0; c < fields.size(); ++c)
            fields[c] = spreadsheetCellText(cells[c], mode);
        table.addLine(fields);
        if (shown && i % interval == 0) {
            if (shown->cancelled()) {
                table.clear();
                return -1;
            }
            shown->setPosition(i);
            shown->pump();
        }
    }
    if (shown)
        shown->setPosition(blockRows);
    return table.lineCount();
}
