#pragma once
// Legacy Excel workbooks (.xls, BIFF) through the FreeXL library.
//
// FreeXL is not safe on every damaged file, so the workbook is read in a
// child process that sends the first worksheet's cells back through a pipe:
// a reader that fails or dies on a broken file becomes a failure message
// instead of taking the program down.
//
// FreeXL does not tell boolean cells from integers, so a TRUE or FALSE cell
// of an .xls workbook arrives as the number 1 or 0.
#include "data/SheetBackedProvider.h"

class FreexlProvider final : public SheetBackedProvider {
public:
    bool open(const std::string& path) override;
    bool selectFirstWorksheet() override;
    void close() override;

private:
    bool decode(const std::string& data);

    bool m_bHasWorksheet = false;
};
