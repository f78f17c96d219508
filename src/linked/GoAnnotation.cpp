#include "linked/GoAnnotation.h"

#include <algorithm>
#include <cctype>

#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "platform/Progress.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void sortUnique(std::vector<int>& v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

template <class Fill>
bool attachRows(int rows, GoAttachment& out, IProgress& p, Fill fill)
{
    p.setMessage("Attaching GO information ... ");
    p.setRange(0, rows);
    p.setStep(1);
    const int interval = progressInterval(rows);
    GoAttachment a;
    a.m_rows.resize(static_cast<size_t>(std::max(rows, 0)));
    for (int r = 0; r < rows; ++r) {
        if (cancelledAt(p, r, interval))
            return false;
        std::vector<int>& v = a.m_rows[static_cast<size_t>(r)];
        fill(r, v);
        sortUnique(v);
    }
    out = std::move(a);
    return true;
}

} // namespace

std::vector<int> goNumbersInGoidText(std::string_view text)
{
    std::vector<int> out;
    for (size_t at = text.find("GO:"); at != std::string_view::npos; at = text.find("GO:", at + 3)) {
        const int n = goNumberAfterPrefix(text.substr(at));
        if (n > 0)
            out.push_back(n);
    }
    return out;
}

bool goNumberOfToken(std::string_view token, int& number)
{
    token = trimmedText(token);
    if (token.substr(0, 3) == "GO:")
        token.remove_prefix(3);
    if (token.empty() || token.size() > 9 || !std::all_of(token.begin(), token.end(), isDigit))
        return false;
    int n = 0;
    for (char c : token)
        n = n * 10 + (c - '0');
    number = n;
    return n > 0;
}

std::vector<int> goNumbersInAnnotationText(std::string_view text)
{
    std::vector<int> out;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t slash = text.find('/', start);
        const size_t end = slash == std::string_view::npos ? text.size() : slash;
        int n = 0;
        if (end > start && goNumberOfToken(text.substr(start, end - start), n))
            out.push_back(n);
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    return out;
}

std::vector<int> GoAttachment::itemsAnnotatedWith(int number) const { return itemsAnnotatedWithAny(*this, {number}); }

const std::vector<std::string>& goAnnotationKeywords()
{
    static const std::vector<std::string> k{"molecular", "biological", "cellular"};
    return k;
}

bool attachFromGoidField(const DataMatrix& data, GoAttachment& out, IProgress& p)
{
    const int f = data.fieldIndex(kGoidFieldName);
    if (f < 0)
        return false;
    const FieldInfo* field = data.field(f);
    return attachRows(data.rowCount(), out, p, [&](int r, std::vector<int>& v) {
        if (static_cast<size_t>(r) < field->m_pOrgTexts.size())
            v = goNumbersInGoidText(field->m_pOrgTexts[static_cast<size_t>(r)]);
    });
}

bool attachFromAnnotationTexts(int rows, const std::function<std::string(int)>& text, GoAttachment& out, IProgress& p)
{
    return attachRows(rows, out, p, [&](int r, std::vector<int>& v) { v = goNumbersInAnnotationText(text(r)); });
}

bool attachGoIdentifiers(const DataMatrix& data, const Annotation* annotation, GoAttachment& out, IProgress& p)
{
    if (data.fieldIndex(kGoidFieldName) >= 0)
        return attachFromGoidField(data, out, p);
    if (!annotation)
        return false;
    std::vector<int> columns;
    for (const std::string& k : goAnnotationKeywords())
        if (const int c = annotation->findColumn(k); c >= 0)
            columns.push_back(c);
    if (columns.empty())
        return false;
    return attachFromAnnotationTexts(
        data.rowCount(),
        [&](int r) {
            std::string text;
            const int line = annotation->lineOfRow(r);
            if (line < 0)
                return text;
            for (size_t i = 0; i < columns.size(); ++i) {
                if (i)
                    text += "//";
                text += annotation->cell(line, columns[i]);
            }
            return text;
        },
        out, p);
}

GoIndex::GoIndex(std::shared_ptr<const GoOntology> ontology, std::shared_ptr<const GoAttachment> attachment)
    : m_pOntology(std::move(ontology)), m_pAttachment(std::move(attachment))
{
    const GoOntology& o = *m_pOntology;
    const int terms = o.termCount();
    const int rows = m_pAttachment->rowCount();
    // The links as flat arrays, and GO number -> term as a dense table, so
    // that the walks below stay in a few cache-friendly blocks.
    std::vector<int> parentBegin(static_cast<size_t>(terms) + 1, 0), parents;
    int maxNumber = 0;
    for (int t = 0; t < terms; ++t) {
        const GoTerm& term = o.term(t);
        parents.insert(parents.end(), term.m_parents.begin(), term.m_parents.end());
        parentBegin[static_cast<size_t>(t) + 1] = static_cast<int>(parents.size());
        maxNumber = std::max(maxNumber, term.m_nNumber);
    }
    std::vector<int> termOfNumber(static_cast<size_t>(maxNumber) + 1, -1);
    for (int t = 0; t < terms; ++t)
        termOfNumber[static_cast<size_t>(o.term(t).m_nNumber)] = t;

    m_counts.assign(static_cast<size_t>(terms), 0);
    m_begin.assign(static_cast<size_t>(rows) + 1, 0);
    std::vector<int> stamp(static_cast<size_t>(terms), -1);
    std::vector<int> stack;
    m_terms.reserve(static_cast<size_t>(rows) * 64);
    for (int r = 0; r < rows; ++r) {
        const size_t first = m_terms.size();
        for (int number : m_pAttachment->numbersOf(r)) {
            const int t = number >= 0 && number <= maxNumber ? termOfNumber[static_cast<size_t>(number)] : -1;
            if (t < 0 || stamp[static_cast<size_t>(t)] == r)
                continue;
            stamp[static_cast<size_t>(t)] = r;
            stack.push_back(t);
            while (!stack.empty()) {
                const int u = stack.back();
                stack.pop_back();
                m_terms.push_back(u);
                ++m_counts[static_cast<size_t>(u)];
                for (int i = parentBegin[static_cast<size_t>(u)]; i < parentBegin[static_cast<size_t>(u) + 1]; ++i) {
                    const int parent = parents[static_cast<size_t>(i)];
                    if (stamp[static_cast<size_t>(parent)] != r) {
                        stamp[static_cast<size_t>(parent)] = r;
                        stack.push_back(parent);
                    }
                }
            }
        }
        m_begin[static_cast<size_t>(r) + 1] = m_terms.size();
        m_nAnnotated += m_terms.size() != first;
    }
}

std::vector<int> GoIndex::itemsUnder(int term) const
{
    std::vector<int> out;
    for (int r = 0; r < rowCount(); ++r)
        if (std::find(termsBegin(r), termsEnd(r), term) != termsEnd(r))
            out.push_back(r);
    return out;
}

std::vector<int> GoIndex::countsAmong(const std::vector<int>& rows) const
{
    std::vector<int> counts(m_counts.size(), 0);
    for (int r : rows)
        if (r >= 0 && r < rowCount())
            for (const int* t = termsBegin(r); t != termsEnd(r); ++t)
                ++counts[static_cast<size_t>(*t)];
    return counts;
}

std::vector<int> itemsAnnotatedWithAny(const GoAttachment& attachment, const std::vector<int>& numbers)
{
    std::vector<int> sorted = numbers;
    sortUnique(sorted);
    std::vector<int> out;
    for (int r = 0; r < attachment.rowCount(); ++r)
        for (int n : attachment.numbersOf(r))
            if (std::binary_search(sorted.begin(), sorted.end(), n)) {
                out.push_back(r);
                break;
            }
    return out;
}

int distinctGoNumbers(const GoAttachment& attachment, const std::vector<int>& rows)
{
    std::vector<int> all;
    for (int r : rows)
        if (r >= 0 && r < attachment.rowCount())
            all.insert(all.end(), attachment.numbersOf(r).begin(), attachment.numbersOf(r).end());
    sortUnique(all);
    return static_cast<int>(all.size());
}
