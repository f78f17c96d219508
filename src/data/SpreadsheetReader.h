#pragma once
// Reads the first worksheet of a workbook into a table (see TableFile::readTable).
//
// The block read is the sheet's used range, wherever it starts. A full read (maxLines 0) keeps every row of the
// block, blank ones included, and converts cells by the full-read rules of
// spreadsheetCellText; a preview (maxLines > 0) reads at most maxLines rows
// by the preview rules. With a progress window a full read shows its steps,
// advances every progressInterval(rows) rows and stops when cancelled.
#include <string>

class IProgress;
class ISpreadsheetProvider;
class TableFile;

// Returns the number of lines, or -1 after a message when the workbook cannot
// be read, or -1 without one when the read was cancelled (the table is then
// empty).
int readSpreadsheet(TableFile& table, const std::string& path, IProgress* progress, int maxLines);

// The same with a given provider (null: none could be created).
int readSpreadsheet(TableFile& table, ISpreadsheetProvider* provider, const std::string& path, IProgress* progress,
                    int maxLines);
