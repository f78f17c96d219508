#pragma once
// The options shared by the commands that open a data file into the
// document and cluster it as the Clustering Parameters dialog would:
// the load options (LoadOptions.h) and the clustering choices.
#include <string>
#include <vector>

#include "cli/LoadOptions.h"
#include "cluster/ClusterPartition.h"

class CArxDoc;

struct DocumentOptions {
    std::string file;
    bool rows = false, columns = false;  // neither given: both
    ClusteringOptions clustering;
    std::vector<std::string> useColumns;  // empty: every value column
    std::string rowMatrix, columnMatrix;
    LoadOptions load;
};

// Declares the clustering options (group "Clustering options") and the load
// options on a command.
void addClusteringOptions(CLI::App& cmd, DocumentOptions& o);

// Reads the data file into the document (a "protein sequence" file is
// recognised by its first cell). Prints the reason and returns false on
// failure.
bool openDocument(CArxDoc& doc, const std::string& command, const DocumentOptions& o);

// Hierarchical clustering of the document with the options (the directions
// of o.rows / o.columns, both when neither is set); false after the
// refusal or failure is printed.
bool clusterDocument(CArxDoc& doc, const std::string& command, const DocumentOptions& o);

// "a,b,c" split at commas, empty parts dropped.
std::vector<std::string> splitCommas(const std::string& s);
// A whole-text number.
bool parseNumber(const std::string& s, double& out);
