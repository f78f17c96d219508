#include "linked/Lookup.h"

#include <algorithm>
#include <cctype>

#include "data/CellValue.h"
#include "linked/Annotation.h"

namespace {
struct DefaultTemplate {
    const char* header;
    const char* url;
};

// Hosts: the NCBI web server for the nucleotide and gene pages, the EBI's
// sequence retrieval server for the protein page.
const DefaultTemplate kDefaults[] = {
    {"Unigene", "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?db=unigene&cmd=search&term=%s"},
    {"LocusLink", "https://www.ncbi.nlm.nih.gov/LocusLink/LocRpt.cgi?l=%s"},
    {"SwissProt",
     "https://srs.ebi.ac.uk/srsbin/wgetz?-newId+[SWALL-AllText:%s]+-lv+30+-view+SeqSimpleView+-page+qResult"},
    {"Full Length Ref. Sequences", "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Search&db=Nucleotide&term=%s"},
};
} // namespace

std::string defaultUrlTemplate(std::string_view header)
{
    for (const DefaultTemplate& d : kDefaults)
        if (containsNoCase(header, d.header))
            return d.url;
    return {};
}

std::vector<std::string> lookupParts(std::string_view cell)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t cut = cell.find("///", start);
        const std::string_view part = stripBlanks(cell.substr(start, cut == std::string_view::npos ? cut : cut - start));
        if (!part.empty())
            parts.emplace_back(part);
        if (cut == std::string_view::npos)
            break;
        start = cut + 3;
    }
    return parts;
}

std::string lookupTerm(std::string_view part)
{
    const size_t comment = part.find("//");
    return std::string(stripBlanks(part.substr(0, comment)));
}

std::string lookupEntryText(std::string_view part) { return "Look up \"" + std::string(part) + "\" in a linked database"; }

std::string lookupUrl(std::string_view urlTemplate, std::string_view term)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string encoded;
    for (char ch : term) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~')
            encoded += ch;
        else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    std::string url;
    size_t start = 0;
    for (size_t at; (at = urlTemplate.find("%s", start)) != std::string_view::npos; start = at + 2)
        url.append(urlTemplate.substr(start, at - start)).append(encoded);
    url.append(urlTemplate.substr(start));
    return url;
}
