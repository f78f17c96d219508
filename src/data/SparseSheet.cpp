#include "data/SparseSheet.h"

#include <algorithm>

void SparseSheet::clear()
{
    m_cells.clear();
    m_texts.clear();
    m_nFirstRow = m_nFirstColumn = 0;
    m_nLastRow = m_nLastColumn = -1;
}

uint32_t SparseSheet::addText(std::string text)
{
    m_texts.push_back(std::move(text));
    return static_cast<uint32_t>(m_texts.size() - 1);
}

void SparseSheet::addCell(int row, int column, SpreadsheetCellType type, double number, uint32_t text)
{
    if (type == SpreadsheetCellType::Empty || row < 0 || column < 0 || column > 0xFFFF)
        return;
    if (type == SpreadsheetCellType::Text && text >= m_texts.size())
        return;
    if (m_cells.empty()) {
        m_nFirstRow = m_nLastRow = row;
        m_nFirstColumn = m_nLastColumn = column;
    }
    m_nFirstRow = std::min(m_nFirstRow, row);
    m_nLastRow = std::max(m_nLastRow, row);
    m_nFirstColumn = std::min(m_nFirstColumn, column);
    m_nLastColumn = std::max(m_nLastColumn, column);
    double value = type == SpreadsheetCellType::Text ? static_cast<double>(text) : number;
    m_cells.push_back(Cell{row, static_cast<uint16_t>(column), type, value});
}

void SparseSheet::finish()
{
    if (!std::is_sorted(m_cells.begin(), m_cells.end(), before))
        std::stable_sort(m_cells.begin(), m_cells.end(), before);
    // Of cells at the same place the last added stays.
    auto same = [](const Cell& a, const Cell& b) { return a.row == b.row && a.column == b.column; };
    std::vector<Cell> unique;
    if (std::adjacent_find(m_cells.begin(), m_cells.end(), same) == m_cells.end())
        return;
    unique.reserve(m_cells.size());
    for (size_t i = 0; i < m_cells.size(); ++i) {
        if (!unique.empty() && same(unique.back(), m_cells[i]))
            unique.back() = m_cells[i];
        else
            unique.push_back(m_cells[i]);
    }
    m_cells.swap(unique);
}

void SparseSheet::usedRange(SheetRange& range) const
{
    range = SheetRange{m_nFirstRow, m_nFirstColumn, m_nLastRow - m_nFirstRow + 1, m_nLastColumn - m_nFirstColumn + 1};
    if (range.rows <= 0 || range.columns <= 0)
        range = SheetRange{};
}

void SparseSheet::readRow(int row, int firstColumn, int columns, std::vector<SpreadsheetCell>& cells) const
{
    cells.assign(static_cast<size_t>(std::max(columns, 0)), SpreadsheetCell{});
    Cell key{row, static_cast<uint16_t>(std::clamp(firstColumn, 0, 0xFFFF)), SpreadsheetCellType::Empty, 0.0};
    for (auto it = std::lower_bound(m_cells.begin(), m_cells.end(), key, before);
         it != m_cells.end() && it->row == row && it->column < firstColumn + columns; ++it) {
        SpreadsheetCell& out = cells[static_cast<size_t>(it->column - firstColumn)];
        out.type = it->type;
        if (it->type == SpreadsheetCellType::Text)
            out.text = m_texts[static_cast<size_t>(it->value)];
        else
            out.number = it->value;
    }
}
