#pragma once
// Distances between two profiles on the fixed 0..65535 scale, the similarity
// derived from them, and the names of measures and linkages on screen and in
// files.
//
// A profile is an array of values with one cell weight each; a cell weight or
// a column weight of exactly -1.0 keeps that cell out of the computation.
#include <string>

constexpr double kMaxDistance = 65535.0;
constexpr double kHalfScale = 32767.5;
constexpr unsigned kMaxDistanceCell = 65535;

enum MeasureIndex {
    kMeasurePearson = 0,
    kMeasureEuclidean = 1,
    kMeasureManhattan = 2,
    kMeasureMatching = 3,
};

enum LinkageIndex {
    kLinkageAverage = 0,
    kLinkageAverageGroup = 1,
    kLinkageComplete = 2,
    kLinkageSingle = 3,
    kLinkageOneByOne = 4,
};

// Everything a distance needs besides the two profiles: shared by all pairs
// of one clustering.
struct DistanceParams {
    const float* columnWeights = nullptr;  // one per column, -1.0 = excluded
    int n = 0;                             // number of columns
    bool centered = true;                  // Pearson: subtract the weighted mean
    bool absolute = false;                 // Pearson: |r|
    bool pValueWeights = false;            // pair weight from the two cell weights
    double euclideanNormaliser = 0.0;
    double manhattanNormaliser = 0.0;
};

// Distance of profile A (values a, cell weights wa) and profile B, in
// [0, 65535] before rounding.
using DistanceFn = double (*)(const float* a, const float* wa, const float* b, const float* wb,
                              const DistanceParams& p);

double pearsonDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p);
double euclideanDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p);
double manhattanDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p);
double matchingDistance(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p);

// The function of a measure index; nullptr for any other index.
DistanceFn distanceFunction(int measure);

// The weighted Pearson coefficient itself: r, or |r| when absolute; -1 (0
// when absolute) when the total weight or the denominator is 0.
double correlation(const float* a, const float* wa, const float* b, const float* wb, const DistanceParams& p);

// Round half up onto the 16-bit scale: the integer part of d + 0.5, limited
// to 0..65535.
inline unsigned short roundDistance(double d)
{
    if (!(d > 0.0))
        return 0;
    double r = d + 0.5;
    return r >= kMaxDistance ? static_cast<unsigned short>(kMaxDistanceCell) : static_cast<unsigned short>(r);
}

// Similarity of a 16-bit distance: 1 - d / 65535.
inline float similarityOf(unsigned d) { return static_cast<float>(1.0 - d / kMaxDistance); }

// ---- names ----
std::string linkageDisplayName(int linkage);
std::string linkageDialogCaption(int linkage);
std::string measureDisplayName(int measure, bool centered, bool absolute, bool pValueWeights);
// Key parsing (upper-cased, blanks around the text trimmed). -1 after the
// message "Strange Linkage Name :" / "Strange Distance Measure Name :"
// followed by the text.
int parseLinkageName(const std::string& text);
int parseMeasureName(const std::string& text, bool& centered, bool& absolute);
