#pragma once
// Clustering result files: the tree files (.rcr rows, .ccr columns), the
// data file (.dat) with the header that tells how the result was made, and
// the per-cell weights (.wts), written from a pair of forests and read back
// without clustering again.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CForest;
class DataMatrix;

// How the result was made: line 0 of the .dat.
struct ResultHeader {
    std::string title;
    bool logTransformed = false;
    int linkage = -1;  // of the row clustering
    int measure = -1;
    bool centered = true;
    bool absolute = false;
    bool pValueWeights = false;  // the run used the p-values as weights (measure name)
    bool originalValues = false; // "Original" instead of the normalisation
    int normMethod = -1;
    int normDirection = -1;
    float lo = 0.0f, hi = 1.0f;
    int weightType = 0;  // > 0: "PVal Weight %d"
    bool sequence = false;
};

// The normalisation cell: "Original", or "Normalize <method> <direction>"
// with "(lo,hi)" appended exactly when the method is 3 (rescaling). Data
// without a normalisation always export as "Original".
std::string normalisationCell(const ResultHeader& h);
// Reads it back into h (normMethod, normDirection, lo, hi, originalValues);
// false when the cell is neither form.
bool parseNormalisationCell(const std::string& cell, ResultHeader& h);
// Line 0 of the .dat: title, "1"/"0", linkage, measure, normalisation and,
// with per-cell weights, "PVal Weight %d" or, for a sequence file,
// "protein sequence".
std::vector<std::string> headerCells(const ResultHeader& h);
// Reads line 0 back; an unknown linkage or measure shows the naming
// messages and leaves -1. False (with the reason) for an unusable
// normalisation cell.
bool parseHeaderCells(const std::vector<std::string>& cells, ResultHeader& h, std::string& error);

// The tree file of one forest: one line per branch in pre-order (root,
// first subtree, second subtree): "BRCH%d", first child, second child,
// similarity "%f". Asks before overwriting; writes nothing for a forest
// without a tree. False when declined, not written or cancelled.
bool writeTree(const CForest& forest, const std::string& path);

// What an export writes.
struct ExportSource {
    const CForest* rows = nullptr;     // the row forest (display order, cut)
    const CForest* columns = nullptr;  // the column forest
    const DataMatrix* data = nullptr;  // the matrix both were built over
    bool rowsClustered = false;
    bool columnsClustered = false;
    ResultHeader header;
    // All three given, the forests one leaf per row and per column of the data.
    bool complete() const;
};

// The export dialog's "Files to save" text.
std::string filesToSaveText(const std::string& name, bool rowsClustered, bool columnsClustered, bool cellWeights,
                            bool geneArrayWording = false);

// Writes base.rcr (rows clustered), base.ccr (columns clustered), base.dat
// and, with per-cell weights, base.wts. Overwrite questions go through the
// message interface; a declined tree file is skipped, a declined .dat or
// .wts ends the export. Cluster numbers come from the forests' current cut.
bool exportResult(const ExportSource& source, const std::string& base);
bool exportResult(const ExportSource& source, const std::string& folder, const std::string& fileName);

// A result read back: the matrix (with the log and normalisation of the
// header applied again) and its two forests in the exported display order.
struct ImportedResult {
    ResultHeader header;
    std::unique_ptr<DataMatrix> data;
    std::unique_ptr<CForest> rows;
    std::unique_ptr<CForest> columns;
    bool rowsClustered = false;
    bool columnsClustered = false;
};

// Reads base.dat (".dat" path given) with its .wts, .rcr and .ccr. A file
// that cannot be read or is malformed is refused with a message naming the
// file and line; nothing is returned then. A missing or unusable .rcr
// leaves the rows unclustered with "No available gene clustering result
// file"; a missing or unusable .ccr leaves the columns unclustered.
std::unique_ptr<ImportedResult> importResult(const std::string& datPath);

// Reads a tree file into a forest whose leaves are in place (their data
// indices set): the branches, their similarities and profiles, the leaf
// order. False (the forest left without a tree) when the file is missing or
// malformed; `error` then tells the file and line ("" for a missing file).
//
// With `treeView` the file is a TreeView tree file (.gtr, .atr): an optional
// title line ("NODEID"), then one line per branch in any order: "NODE%dX",
// the children ("GENE%dX" / "ARRY%dX" leaves, numbers translated into data
// indices by the map, or "NODE%dX"), the similarity written as 2S - 1; the
// root is the branch that no line names, and each branch shows first the
// child whose leaves come first among the forest's leaves.
using TreeViewLeaves = std::unordered_map<int, int>;  // file's leaf number -> data index
bool readTree(CForest& forest, const std::string& path, std::string* error = nullptr,
              const TreeViewLeaves* treeView = nullptr);

// ---- files other programs read and write (TreeView.cpp) ----

// The formats File/Export Clustering Result and the command line offer.
enum class ResultFormat { Arbolix, TreeView, Newick };

// The "Files to save" text of a format (Arbolix: filesToSaveText above).
std::string filesToSaveText(ResultFormat format, const std::string& name, bool rowsClustered, bool columnsClustered,
                            bool cellWeights);

// TreeView's triple: base.cdt (the data in display order; a GID column of
// "GENE%dX" when rows were clustered, an AID row of "ARRY%dX" when columns
// were, the NAME and GWEIGHT columns and the EWEIGHT row), base.gtr (rows
// clustered) and base.atr (columns clustered): one line per branch in the
// order of forming, "NODE%dX", both children, 2S - 1. Asks before
// overwriting; a declined tree file is skipped, a declined .cdt ends it.
bool exportTreeView(const ExportSource& source, const std::string& base);
// Reads base.cdt with the base.gtr and base.atr present beside it as a
// result that opens like a .dat does (leaf order and trees kept, values as
// written, no transformation). Same refusals and messages as importResult.
std::unique_ptr<ImportedResult> importTreeView(const std::string& cdtPath);

// Newick: base_rows.nwk (rows clustered) and base_columns.nwk (columns
// clustered), leaves named by the items' identifiers (columns: their
// names), quoted where Newick needs it, branch lengths from the similarity
// scale (a node's height is 1 - S; a branch is the parent's height minus
// the child's). Asks before overwriting.
bool exportNewick(const ExportSource& source, const std::string& base);
// One tree as Newick text (";" ended); labels by display position.
std::string newickText(const CForest& forest, const std::vector<std::string>& labels);
// A Newick label: as it is when that is safe, else in single quotes with
// inner quotes doubled.
std::string newickLabel(const std::string& label);

// Any format, by the choice.
bool exportResult(ResultFormat format, const ExportSource& source, const std::string& base);

// The saved nodes file: the chosen items (row indices of `data`) as a data
// file with their side file (.pvl / .pma) when the data carry per-cell
// weights. Asks before overwriting.
bool saveNodes(const DataMatrix& data, const std::vector<int>& items, const std::string& path);
