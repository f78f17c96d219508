#pragma once
// What the writers of every result format share: the cells of the values,
// which matrix row or column each display position shows, the overwrite
// question.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CForest;
class DataMatrix;
class FieldInfo;

// A value cell: empty when missing, the label for a categorical column, a
// whole number for an integer column (a fraction, which the reader keeps in
// such columns, is written in full), "%f" otherwise.
std::string valueCell(const DataMatrix& data, const FieldInfo* field, int row, int column, bool original);
// The row (row forest) or value column (column forest) of the matrix shown
// at each display position: the local index of the leaf there (its data
// index may point into a larger matrix).
std::vector<int> displayColumns(const CForest& forest);
// Yes to "<path> already exists. Do you want to overwrite it?" (caption
// "Overwrite?"), or no file there.
bool askOverwrite(const std::string& path);
bool hasCellWeights(const DataMatrix& data);
bool resultPathExists(const std::string& path);
// A TreeView identifier: "NODE%dX", "GENE%dX" or "ARRY%dX" (prefix set to
// the four letters), the number decimal.
bool parseTreeViewNode(std::string_view text, std::string_view& prefix, int& number);
// The item lines of an export: fn(position) for every display position
// under the progress text "Exporting the clustering result...", the cancel
// flag tested every tenth (at most every 100 items). False when cancelled.
bool exportItemLines(int count, const std::function<void(int)>& fn);
