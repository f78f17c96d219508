#pragma once
// Office Open XML workbooks (.xlsx): the package is opened with libzip and
// its parts are parsed with pugixml.
//
// The first worksheet is the first sheet of the workbook's tab order whose
// part is a worksheet (chart sheets are skipped). Its cells are kept in a
// SparseSheet once the sheet is selected; the XML is released then.
// Numbers whose format is a date or time format become Date cells, as do
// ISO date cells; "b" cells are Boolean and "e" cells Error.
#include <string>
#include <vector>

#include "data/SheetBackedProvider.h"

typedef struct zip zip_t;

class XlsxProvider final : public SheetBackedProvider {
public:
    ~XlsxProvider() override { close(); }

    bool open(const std::string& path) override;
    bool selectFirstWorksheet() override;
    void close() override;

private:
    bool readPart(const std::string& name, std::string& out, bool required);
    bool readRelationships(const std::string& part, std::vector<std::pair<std::string, std::string>>& idTarget,
                           std::vector<std::string>* types);
    bool readSharedStrings(const std::string& part);
    bool readStyles(const std::string& part);
    bool isDateStyle(int styleIndex) const;
    // Parses a slice of whole <row> elements (in place) into the cells.
    bool parseRows(char* text, size_t size, int& rowNumber);
    void fail(int code, const std::string& detail = {});

    zip_t* m_zip = nullptr;
    std::string m_strSheetPart;
    std::vector<bool> m_dateStyles;      // per cell format (xf) index
    size_t m_nSharedStrings = 0;
};
