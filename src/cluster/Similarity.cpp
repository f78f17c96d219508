#include "cluster/Similarity.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/Messages.h"

namespace {

// Pair weight of column i: false when the column takes no part.
inline bool pairWeight(const float* wa, const float* wb, const DistanceParams& p, int i, double& w)
{
    const float cw = p.columnWeights ? p.columnWeights[i] : 1.0f;
    if (cw == -1.0f || wa[i] == -1.0f || wb[i] == -1.0f)
        return false;
    w = p.pValueWeights ? (static_cast<double>(wa[i]) + wb[i]) * 0.5 : cw;
    return true;
}

// Total pair weight W and the number m of valid columns.
inline double totalWeight(const float* wa, const float* wb, const DistanceParams& p, int& m)
{
    double total = 0.0;
    m = 0;
    for (int i = 0; i < p.n; ++i) {
        double w;
        if (pairWeight(wa, wb, p, i, w)) {
            total += w;
            ++m;
        }
    }
    return total;
}

// Weighted Pearson coefficient; false when the total weight or the
// denominator is 0.
bool pearsonR(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p, double& r)
{
    int m;
    const double total = totalWeight(wa, wb, p, m);
    if (total == 0.0)
        return false;
    double meanA = 0.0, meanB = 0.0;
    if (p.centered) {
        for (int i = 0; i < p.n; ++i) {
            double w;
            if (pairWeight(wa, wb, p, i, w)) {
                w /= total;
                meanA += w * a[i];
                meanB += w * b[i];
            }
        }
    }
    double sab = 0.0, saa = 0.0, sbb = 0.0;
    for (int i = 0; i < p.n; ++i) {
        double w;
        if (pairWeight(wa, wb, p, i, w)) {
            w /= total;
            const double da = a[i] - meanA, db = b[i] - meanB;
            sab += w * da * db;
            saa += w * da * da;
            sbb += w * db * db;
        }
    }
    const double den = std::sqrt(saa * sbb);
    if (den == 0.0)
        return false;
    r = sab / den;
    return true;
}

inline double capped(double d) { return d > kMaxDistance ? kMaxDistance : d; }

// Distance from a sum scaled by a normaliser; a zero normaliser (every
// partner profile constant) keeps identical profiles at 0 and puts all
// others at the largest distance instead of dividing by zero.
inline double normalised(double value, double normaliser)
{
    if (value == 0.0)
        return 0.0;
    if (!(normaliser > 0.0))
        return kMaxDistance;
    return capped(value / normaliser * kMaxDistance);
}

std::string upperTrimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    std::string s = text.substr(b, e - b);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

double pearsonDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p)
{
    double r;
    if (!pearsonR(a, wa, b, wb, p, r))
        return kMaxDistance;
    return p.absolute ? (1.0 - std::fabs(r)) * kMaxDistance : (1.0 - r) * kHalfScale;
}

double euclideanDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p)
{
    int m;
    const double total = totalWeight(wa, wb, p, m);
    if (total == 0.0)
        return kMaxDistance;
    double sum = 0.0;
    for (int i = 0; i < p.n; ++i) {
        double w;
        if (pairWeight(wa, wb, p, i, w)) {
            const double d = static_cast<double>(a[i]) - b[i];
            sum += w / total * d * d;
        }
    }
    return normalised(std::sqrt(m * sum), p.euclideanNormaliser);
}

double manhattanDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p)
{
    int m;
    const double total = totalWeight(wa, wb, p, m);
    if (total == 0.0)
        return kMaxDistance;
    double sum = 0.0;
    for (int i = 0; i < p.n; ++i) {
        double w;
        if (pairWeight(wa, wb, p, i, w))
            sum += w / total * std::fabs(static_cast<double>(a[i]) - b[i]);
    }
    return normalised(sum * m, p.manhattanNormaliser);
}

double matchingDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p)
{
    double total = 0.0, matched = 0.0;
    for (int i = 0; i < p.n; ++i) {
        const float cw = p.columnWeights ? p.columnWeights[i] : 1.0f;
        if (cw == -1.0f || wa[i] == -1.0f || wb[i] == -1.0f)
            continue;
        total += cw;
        if (a[i] == b[i])
            matched += cw;
    }
    if (total == 0.0)
        return kMaxDistance;
    return capped((1.0 - matched / total) * kMaxDistance);
}

DistanceFn distanceFunction(int measure)
{
    switch (measure) {
    case kMeasurePearson: return &pearsonDistance;
    case kMeasureEuclidean: return &euclideanDistance;
    case kMeasureManhattan: return &manhattanDistance;
    case kMeasureMatching: return &matchingDistance;
    default: return nullptr;
    }
}

double correlation(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p)
{
    double r;
    if (!pearsonR(a, wa, b, wb, p, r))
        return p.absolute ? 0.0 : -1.0;
    return p.absolute ? std::fabs(r) : r;
}

// ---- names ----

namespace {
const char* const kLinkageNames[] = {"Average", "Average Group", "Complete", "Single", "Velmar's 1by1"};
const char* const kLinkageKeys[] = {"AVERAGE", "AVERAGE GROUP", "COMPLETE", "SINGLE", "VELMAR'S 1BY1"};
const char* const kLinkageCaptions[] = {"Average Linkage (UPGMA)", "Average Group Linkage", "Complete Linkage",
                                        "Single Linkage", "Velmar's 1by1"};
const char* const kPValueSuffix = ": P-Values as Weight";
} // namespace

std::string linkageDisplayName(int linkage)
{
    return linkage >= 0 && linkage < 5 ? kLinkageNames[linkage] : "";
}

std::string linkageDialogCaption(int linkage)
{
    return linkage >= 0 && linkage < 5 ? kLinkageCaptions[linkage] : "";
}

std::string measureDisplayName(int measure, bool centered, bool absolute, bool pValueWeights)
{
    std::string s;
    switch (measure) {
    case kMeasurePearson:
        s = std::string("Pearson's r :") + (centered ? " Centered," : " Uncentered,") +
            (absolute ? " Absoute" : " Unabsolute");
        break;
    case kMeasureEuclidean: s = "Euclidean "; break;
    case kMeasureManhattan: s = "Manhattan :"; break;
    case kMeasureMatching: return "Simple Matching";
    default: return "";
    }
    if (pValueWeights)
        s += kPValueSuffix;
    return s;
}

int parseLinkageName(const std::string& text)
{
    const std::string key = upperTrimmed(text);
    for (int i = 0; i < 5; ++i)
        if (key == kLinkageKeys[i])
            return i;
    showMessage("Strange Linkage Name :" + text);
    return -1;
}

int parseMeasureName(const std::string& text, bool& centered, bool& absolute)
{
    std::string key = upperTrimmed(text);
    if (key.find("PEARSON'S R") != std::string::npos) {
        centered = key.find("UNCENTERED") == std::string::npos;
        absolute = key.find("UNABSOLUTE") == std::string::npos;
        return kMeasurePearson;
    }
    // The other display names may carry the p-value suffix and end in " :".
    const std::string suffix = upperTrimmed(kPValueSuffix);
    if (endsWith(key, suffix))
        key.erase(key.size() - suffix.size());
    while (!key.empty() && (key.back() == ':' || std::isspace(static_cast<unsigned char>(key.back()))))
        key.pop_back();
    if (key == "EUCLIDEAN")
        return kMeasureEuclidean;
    if (key == "MANHATTAN")
        return kMeasureManhattan;
    if (key == "SIMPLE MATCHING")
        return kMeasureMatching;
    showMessage("Strange Distance Measure Name :" + text);
    return -1;
}
