#pragma once
// Similarity matrices computed elsewhere, loaded in place of phase 1.
#include <string>

class CForest;

// Reads a similarity matrix file into the forest's condensed matrix; the
// next buildDendrogram of the forest uses it (and frees it).
//
// The file: a header line, then one line per leaf in the forest's data
// order: a label, then tab-separated non-negative integer similarities
// (larger = more similar), of which the first i are read on line i (a full
// square matrix or a lower triangle both load). Blanks and double quotes
// around a value are ignored. Similarities s become distances
// round-half-up((1 - s / largest) * 65535).
//
// Refused with a message naming the file and the line: fewer rows than
// leaves, a row with fewer values than it needs, a negative or non-numeric
// value, no similarity above 0. Cancel is quiet. On every failure the forest
// keeps no matrix.
bool loadPrecomputedMatrix(CForest& forest, const std::string& path);
