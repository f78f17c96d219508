#include "data/SpreadsheetProvider.h"

#include <cstring>

#include "data/FreexlProvider.h"
#include "data/TableFile.h"
#include "data/WorkbookSignature.h"
#include "data/XlsxProvider.h"

void setWorkbookError(SpreadsheetError& error, int code, const std::string& path, const std::string& detail)
{
    error.kind = SpreadsheetError::Kind::Workbook;
    error.code = code;
    switch (code) {
    case kNotAWorkbook:
        error.description = path + " is not a workbook that can be read.";
        break;
    case kWorkbookEncrypted:
        error.description = path + " is protected by a password (encrypted) and cannot be read.";
        break;
    case kNoWorksheet:
        error.description = path + " has no worksheet.";
        break;
    case kWorkbookTooLarge:
        error.description = path + " has a first worksheet too large to read.";
        break;
    default:
        error.description = path + " is damaged and cannot be read.";
        break;
    }
    if (!detail.empty())
        error.description += "\n(" + detail + ")";
}

void setSystemError(SpreadsheetError& error, int errnoValue, const std::string& path)
{
    error.kind = SpreadsheetError::Kind::System;
    error.code = errnoValue;
    error.description = std::string(std::strerror(errnoValue)) + "\n\n" + path;
}

std::unique_ptr<ISpreadsheetProvider> makeSpreadsheetProvider(const std::string& path)
{
    const std::string ext = TableFile::extensionOf(path);
    if (ext != "xls" && ext != "xlsx")
        return nullptr;
    // The content decides when it tells: an .xlsx package named .xls, or a
    // legacy workbook named .xlsx, is read all the same.
    switch (workbookContainerOf(path)) {
    case WorkbookContainer::Zip:
    case WorkbookContainer::EncryptedPackage:
        return std::make_unique<XlsxProvider>();
    case WorkbookContainer::Compound:
        return std::make_unique<FreexlProvider>();
    default:
        break;
    }
    if (ext == "xls")
        return std::make_unique<FreexlProvider>();
    return std::make_unique<XlsxProvider>();
}
