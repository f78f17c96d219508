#pragma once
// The cells of a worksheet that hold a value, kept compactly (16 bytes a
// cell, texts once each) and handed out by row. Providers fill it while they
// parse a workbook and read rows from it afterwards.
#include <cstdint>
#include <string>
#include <vector>

#include "data/SpreadsheetCell.h"
#include "data/SpreadsheetProvider.h"

class SparseSheet {
public:
    void clear();

    // Stores a text once and returns its index for addCell.
    uint32_t addText(std::string text);
    size_t textCount() const { return m_texts.size(); }

    // Adds a cell (row and column from 0 at A1). Text cells pass a text index
    // from addText; Empty cells are not stored. A later cell at the same
    // place replaces an earlier one.
    void addCell(int row, int column, SpreadsheetCellType type, double number = 0.0, uint32_t text = 0);

    // Orders the cells; call once after the last addCell.
    void finish();

    // The smallest rectangle holding every stored cell; 0 x 0 when none.
    void usedRange(SheetRange& range) const;

    // `columns` cells of a row from `firstColumn` on; places without a value are Empty.
    void readRow(int row, int firstColumn, int columns, std::vector<SpreadsheetCell>& cells) const;

private:
    struct Cell {
        int32_t row;
        uint16_t column;
        SpreadsheetCellType type;
        double value;   // the number, or the text index of a Text cell
    };
    static bool before(const Cell& a, const Cell& b)
    {
        return a.row < b.row || (a.row == b.row && a.column < b.column);
    }

    std::vector<Cell> m_cells;
    std::vector<std::string> m_texts;
    int m_nFirstRow = 0, m_nLastRow = -1, m_nFirstColumn = 0, m_nLastColumn = -1;
};
