#include "cluster/PrecomputedMatrix.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "cluster/CondensedMatrix.h"
#include "cluster/Forest.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

std::string_view trimmed(std::string_view s)
{
    auto junk = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\r' || c == '\n'; };
    while (!s.empty() && junk(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && junk(s.back()))
        s.remove_suffix(1);
    return s;
}

bool parseSimilarity(std::string_view text, unsigned long long& value)
{
    if (text.empty())
        return false;
    size_t i = text[0] == '+' ? 1 : 0;
    if (i == text.size())
        return false;
    value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0xFFFFFFFFFFFFull / 10)
            return false;
    }
    return true;
}

enum class Read { Ok, Cancelled, Refused };

// One pass over the file: calls put(i, j, similarity) for every cell of the
// lower triangle and reports the largest similarity.
template <class Put>
Read readRows(const std::string& path, int n, IProgress& progress, unsigned long long& largest, Put put)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        showMessage(strFormat("Cannot open the file : %s", path.c_str()));
        return Read::Refused;
    }
    std::string line;
    std::getline(in, line);  // header
    int lineNumber = 1;
    const int every = progressInterval(n);
    largest = 0;
    int row = 0;
    while (row < n && std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            break;
        std::string_view rest(line);
        // Token 0 is the row label.
        size_t tab = rest.find('\t');
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
        for (int j = 0; j < row; ++j) {
            if (rest.data() == nullptr || (rest.empty() && tab == std::string_view::npos)) {
                showMessage(strFormat("Too few similarities in %s, line %d: row %d needs %d.", path.c_str(),
                                      lineNumber, row + 1, row));
                return Read::Refused;
            }
            tab = rest.find('\t');
            const std::string_view token = trimmed(rest.substr(0, tab));
            rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
            unsigned long long s;
            if (!parseSimilarity(token, s)) {
                showMessage(strFormat("Invalid similarity \"%.*s\" in %s, line %d: similarities are non-negative "
                                      "integers.",
                                      static_cast<int>(token.size()), token.data(), path.c_str(), lineNumber));
                return Read::Refused;
            }
            if (s > largest)
                largest = s;
            put(row, j, s);
        }
        ++row;
        if (row % every == 0) {
            progress.setMessage(strFormat("Line number %d/%d", row, n));
            progress.setPosition(row);
            progress.pump();
            if (progress.cancelled())
                return Read::Cancelled;
        }
    }
    if (row < n) {
        showMessage(strFormat("Too few rows in the similarity matrix file %s: it ends at line %d, but %d leaves need "
                              "%d rows after the header.",
                              path.c_str(), lineNumber, n, n));
        return Read::Refused;
    }
    if (largest == 0) {
        showMessage(strFormat("No similarity above 0 in %s (lines 2 to %d): the similarities cannot be scaled.",
                              path.c_str(), lineNumber));
        return Read::Refused;
    }
    return Read::Ok;
}

unsigned short toDistance(unsigned long long s, unsigned long long largest)
{
    return roundDistance((1.0 - static_cast<double>(s) / static_cast<double>(largest)) * kMaxDistance);
}

} // namespace

bool loadPrecomputedMatrix(CForest& forest, const std::string& path)
{
    forest.m_pMatrix.reset();
    const int n = forest.m_nLeaves;
    std::unique_ptr<CondensedMatrix> matrix = CondensedMatrix::allocate(n);
    if (!matrix)
        return false;
    ProgressScope progress("Loading Similarity Matrix");
    progress->setMessage("Phase 1 of 2 : Loading the precomputed distance matrix");
    progress->setMessage("Reading " + path + " ...");
    progress->setRange(0, n);

    // Similarities up to 65535 wait in the cells for the largest; a larger
    // one needs a second pass that converts as it reads.
    bool fits = true;
    unsigned long long largest = 0;
    Read r = readRows(path, n, progress.get(), largest, [&](int i, int j, unsigned long long s) {
        if (s > kMaxDistanceCell)
            fits = false;
        else
            matrix->row(i)[j] = static_cast<unsigned short>(s);
    });
    if (r != Read::Ok)
        return false;
    progress->setMessage(strFormat("Converting to distance values %llu", largest));
    if (fits) {
        for (int i = 1; i < n; ++i) {
            const CondensedMatrix::Row row = matrix->row(i);
            for (int j = 0; j < i; ++j)
                row[j] = toDistance(row[j], largest);
        }
    } else {
        const unsigned long long known = largest;
        r = readRows(path, n, progress.get(), largest,
                     [&](int i, int j, unsigned long long s) { matrix->row(i)[j] = toDistance(s, known); });
        if (r != Read::Ok)
            return false;
    }
    progress->setMessage("Closing this progress bar");
    forest.m_pMatrix = std::move(matrix);
    return true;
}
