#include "data/XlsxProvider.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

#include "data/XlsxNumberFormat.h"
#include "data/WorkbookSignature.h"
#include "data/XlsxReference.h"

namespace {
// Parts larger than this are refused rather than read into memory.
constexpr zip_uint64_t kMaxPartSize = 1ull << 31;

// The local name of an element or attribute ("x:row" -> "row").
std::string_view localName(const char* name)
{
    std::string_view s(name);
    size_t colon = s.find(':');
    return colon == std::string_view::npos ? s : s.substr(colon + 1);
}

pugi::xml_node child(pugi::xml_node node, std::string_view name)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == name)
            return c;
    return {};
}

bool endsWith(std::string_view s, std::string_view end)
{
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// Resolves a relationship target against the folder of the part that owns it.
std::string resolveTarget(const std::string& sourcePart, const std::string& target)
{
    std::string joined;
    if (!target.empty() && target[0] == '/')
        joined = target.substr(1);
    else {
        size_t slash = sourcePart.rfind('/');
        joined = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + target;
    }
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        std::string seg = joined.substr(start, end - start);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".")
            segments.push_back(seg);
        start = end + 1;
    }
    std::string out;
    for (const std::string& s : segments)
        out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string relationshipsPartOf(const std::string& part)
{
    size_t slash = part.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
    return folder + "_rels/" + name + ".rels";
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

void appendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Workbook texts escape characters XML cannot carry as "_xHHHH_" (a UTF-16
// unit in hex); "_x005F_" is an escaped underscore.
std::string unescapeText(const char* text)
{
    std::string out;
    for (const char* p = text; *p;) {
        int h[4] = {-1, -1, -1, -1};
        if (p[0] == '_' && p[1] == 'x' && (h[0] = hexValue(p[2])) >= 0 && (h[1] = hexValue(p[3])) >= 0 &&
            (h[2] = hexValue(p[4])) >= 0 && (h[3] = hexValue(p[5])) >= 0 && p[6] == '_') {
            unsigned unit = static_cast<unsigned>(h[0] << 12 | h[1] << 8 | h[2] << 4 | h[3]);
            if (unit < 0xD800 || unit > 0xDFFF)
                appendUtf8(out, unit);   // lone surrogates are dropped
            p += 7;
        } else {
            out += *p++;
        }
    }
    return out;
}

// The text of a shared or inline string item: its <t>, or its runs' <t>s
// (phonetic runs excluded).
std::string stringItemText(pugi::xml_node item)
{
    std::string text;
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        std::string_view n = localName(c.name());
        if (n == "t")
            text += c.text().get();
        else if (n == "r")
            text += child(c, "t").text().get();
    }
    return unescapeText(text.c_str());
}

// A cell's number; from_chars for speed, strtod's leniency as a fallback.
double numberOf(pugi::xml_node v)
{
    const char* text = v.text().get();
    double d = 0.0;
    const char* end = text + std::strlen(text);
    auto [p, ec] = std::from_chars(text, end, d);
    return ec == std::errc() && p == end ? d : v.text().as_double();
}
} // namespace

void XlsxProvider::fail(int code, const std::string& detail) { setWorkbookError(m_error, code, m_strPath, detail); }

bool XlsxProvider::readPart(const std::string& name, std::string& out, bool required)
{
    out.clear();
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(m_zip, name.c_str(), ZIP_FL_NOCASE, &st) != 0) {
        if (required)
            fail(kWorkbookDamaged, "the part " + name + " is missing");
        return false;
    }
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize) {
        fail(kWorkbookDamaged, "the part " + name + " is too large");
        return false;
    }
    zip_file_t* file = zip_fopen(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (!file) {
        fail(kWorkbookDamaged, std::string("the part ") + name + " cannot be read: " + zip_strerror(m_zip));
        return false;
    }
    out.resize(st.size);
    zip_int64_t n = st.size ? zip_fread(file, out.data(), st.size) : 0;
    std::string reason = n < 0 ? zip_file_strerror(file) : "";
    zip_fclose(file);
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size) {
        fail(kWorkbookDamaged, "the part " + name + " cannot be read" + (reason.empty() ? "" : ": " + reason));
        return false;
    }
    return true;
}

bool XlsxProvider::readRelationships(const std::string& part,
                                     std::vector<std::pair<std::string, std::string>>& idTarget,
                                     std::vector<std::string>* types)
{
    idTarget.clear();
    if (types)
        types->clear();
    std::string xml;
    if (!readPart(relationshipsPartOf(part), xml, false))
        return m_error.code == 0;   // a part without relationships has none
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size())) {
        fail(kWorkbookDamaged, "the relationships of " + part + " are not well-formed");
        return false;
    }
    pugi::xml_node root = child(doc, "Relationships");
    for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling()) {
        if (localName(r.name()) != "Relationship" || std::string_view(r.attribute("TargetMode").value()) == "External")
            continue;
        idTarget.emplace_back(r.attribute("Id").value(), resolveTarget(part, r.attribute("Target").value()));
        if (types)
            types->push_back(r.attribute("Type").value());
    }
    return true;
}

bool XlsxProvider::readSharedStrings(const std::string& part)
{
    std::string xml;
    if (!readPart(part, xml, true))
        return false;
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(xml.data(), xml.size())) {
        fail(kWorkbookDamaged, "the shared strings are not well-formed");
        return false;
    }
    pugi::xml_node sst = child(doc, "sst");
    for (pugi::xml_node si = sst.first_child(); si; si = si.next_sibling())
        if (localName(si.name()) == "si")
            m_sheet.addText(stringItemText(si));
    return true;
}

bool XlsxProvider::readStyles(const std::string& part)
{
    std::string xml;
    if (!readPart(part, xml, true))
        return false;
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(xml.data(), xml.size())) {
        fail(kWorkbookDamaged, "the styles are not well-formed");
        return false;
    }
    pugi::xml_node sheet = child(doc, "styleSheet");
    std::vector<int> customDateFormats;
    for (pugi::xml_node f = child(child(sheet, "numFmts"), "numFmt"); f; f = f.next_sibling())
        if (localName(f.name()) == "numFmt" && isDateFormatCode(f.attribute("formatCode").value()))
            customDateFormats.push_back(f.attribute("numFmtId").as_int());
    for (pugi::xml_node xf = child(sheet, "cellXfs").first_child(); xf; xf = xf.next_sibling()) {
        if (localName(xf.name()) != "xf")
            continue;
        int id = xf.attribute("numFmtId").as_int();
        m_dateStyles.push_back(isBuiltinDateFormat(id) ||
                               std::find(customDateFormats.begin(), customDateFormats.end(), id) !=
                                   customDateFormats.end());
    }
    return true;
}

bool XlsxProvider::isDateStyle(int styleIndex) const
{
    return styleIndex >= 0 && static_cast<size_t>(styleIndex) < m_dateStyles.size() &&
           m_dateStyles[static_cast<size_t>(styleIndex)];
}

bool XlsxProvider::open(const std::string& path)
{
    if (!beginOpen(path))
        return false;
    switch (workbookContainerOf(path)) {
    case WorkbookContainer::EncryptedPackage:
        fail(kWorkbookEncrypted);
        return false;
    case WorkbookContainer::Compound:
        fail(kNotAWorkbook, "a compound document, not an .xlsx package");
        return false;
    default:
        break;
    }
    int zipError = 0;
    m_zip = zip_open(path.c_str(), ZIP_RDONLY, &zipError);
    if (!m_zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, zipError);
        fail(kNotAWorkbook, zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return false;
    }

    // The package's relationships name the workbook part.
    std::string workbookPart;
    std::vector<std::pair<std::string, std::string>> rels;
    std::vector<std::string> types;
    if (!readRelationships("", rels, &types))
        return false;
    for (size_t i = 0; i < rels.size(); ++i)
        if (endsWith(types[i], "/officeDocument"))
            workbookPart = rels[i].second;
    if (workbookPart.empty())
        workbookPart = "xl/workbook.xml";

    std::string xml;
    if (!readPart(workbookPart, xml, false)) {
        if (m_error.code == 0)
            fail(kNotAWorkbook, "the package holds no workbook");
        return false;
    }
    pugi::xml_document workbook;
    if (!workbook.load_buffer_inplace(xml.data(), xml.size())) {
        fail(kWorkbookDamaged, "the workbook part is not well-formed");
        return false;
    }
    if (!readRelationships(workbookPart, rels, &types))
        return false;
    for (size_t i = 0; i < rels.size(); ++i) {
        if (endsWith(types[i], "/sharedStrings") && !readSharedStrings(rels[i].second))
            return false;
        if (endsWith(types[i], "/styles") && !readStyles(rels[i].second))
            return false;
    }
    m_nSharedStrings = m_sheet.textCount();

    // The first sheet in tab order whose part is a worksheet.
    pugi::xml_node sheets = child(child(workbook, "workbook"), "sheets");
    for (pugi::xml_node s = sheets.first_child(); s && m_strSheetPart.empty(); s = s.next_sibling()) {
        if (localName(s.name()) != "sheet")
            continue;
        std::string id;
        for (pugi::xml_attribute a = s.first_attribute(); a; a = a.next_attribute())
            if (localName(a.name()) == "id" && std::string_view(a.name()) != "sheetId")
                id = a.value();
        for (size_t i = 0; i < rels.size(); ++i)
            if (rels[i].first == id && endsWith(types[i], "/worksheet"))
                m_strSheetPart = rels[i].second;
    }
    return true;
}

// The rows of a sheet are parsed a slice at a time, so that a large sheet
// never has its whole document tree in memory at once.
constexpr int kRowsPerSlice = 1000;

bool XlsxProvider::selectFirstWorksheet()
{
    if (m_strSheetPart.empty()) {
        fail(kNoWorksheet);
        return false;
    }
    std::string xml;
    if (!readPart(m_strSheetPart, xml, true))
        return false;
    // The sheetData element and its namespace prefix ("" or "x:").
    size_t name = xml.find("sheetData");
    size_t open = name == std::string::npos ? std::string::npos : xml.rfind('<', name);
    if (open == std::string::npos) {
        fail(kWorkbookDamaged, "the first worksheet has no sheet data");
        return false;
    }
    const std::string prefix = xml.substr(open + 1, name - open - 1);
    size_t contentBegin = xml.find('>', name);
    if (contentBegin == std::string::npos || prefix.find_first_of("<>/ ") != std::string::npos) {
        fail(kWorkbookDamaged, "the first worksheet is not well-formed");
        return false;
    }
    if (xml[contentBegin - 1] == '/') {
        m_sheet.finish();
        return true;   // <sheetData/>: no rows
    }
    ++contentBegin;
    size_t contentEnd = xml.find("</" + prefix + "sheetData>", contentBegin);
    if (contentEnd == std::string::npos) {
        fail(kWorkbookDamaged, "the first worksheet is not well-formed");
        return false;
    }

    const std::string rowEnd = "</" + prefix + "row>";
    int rowNumber = -1;
    for (size_t begin = contentBegin; begin < contentEnd;) {
        size_t end = begin;
        for (int n = 0; n < kRowsPerSlice; ++n) {
            size_t next = xml.find(rowEnd, end);
            if (next == std::string::npos || next >= contentEnd) {
                end = contentEnd;
                break;
            }
            end = next + rowEnd.size();
        }
        if (!parseRows(xml.data() + begin, end - begin, rowNumber))
            return false;
        begin = end;
    }
    m_sheet.finish();
    return true;
}

bool XlsxProvider::parseRows(char* text, size_t size, int& rowNumber)
{
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer_inplace(text, size, pugi::parse_default | pugi::parse_fragment);
    if (!parsed) {
        fail(kWorkbookDamaged, std::string("the first worksheet is not well-formed: ") + parsed.description());
        return false;
    }
    for (pugi::xml_node rowNode = doc.first_child(); rowNode; rowNode = rowNode.next_sibling()) {
        if (localName(rowNode.name()) != "row")
            continue;
        int r = rowNode.attribute("r").as_int(0);
        rowNumber = r >= 1 ? r - 1 : rowNumber + 1;
        int column = -1;
        for (pugi::xml_node c = rowNode.first_child(); c; c = c.next_sibling()) {
            if (localName(c.name()) != "c")
                continue;
            int refRow = 0, refColumn = 0;
            column = parseCellReference(c.attribute("r").value(), refRow, refColumn) ? refColumn : column + 1;
            std::string_view t = c.attribute("t").value();
            pugi::xml_node v = child(c, "v");
            if (t == "inlineStr") {
                if (pugi::xml_node is = child(c, "is"))
                    m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Text, 0.0,
                                    m_sheet.addText(stringItemText(is)));
            } else if (!v) {
                // a formatted cell without a value
            } else if (t == "s") {
                long index = std::strtol(v.text().get(), nullptr, 10);
                if (index >= 0 && static_cast<size_t>(index) < m_nSharedStrings)
                    m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Text, 0.0, static_cast<uint32_t>(index));
            } else if (t == "str") {
                m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Text, 0.0, m_sheet.addText(unescapeText(v.text().get())));
            } else if (t == "b") {
                m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Boolean);
            } else if (t == "e") {
                m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Error);
            } else if (t == "d") {
                m_sheet.addCell(rowNumber, column, SpreadsheetCellType::Date);
            } else {
                bool date = isDateStyle(c.attribute("s").as_int(-1));
                m_sheet.addCell(rowNumber, column, date ? SpreadsheetCellType::Date : SpreadsheetCellType::Double,
                                numberOf(v));
            }
        }
    }
    return true;
}

void XlsxProvider::close()
{
    if (m_zip)
        zip_discard(m_zip);
    m_zip = nullptr;
    m_strSheetPart.clear();
    m_dateStyles.clear();
    m_sheet.clear();
    m_nSharedStrings = 0;
}
