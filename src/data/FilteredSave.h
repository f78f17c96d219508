#pragma once
// Saving a filtered matrix as a data file with its side file, so that the
// pair opens again like the original file.
#include <string>

class DataMatrix;

// The save dialog's texts: title, default extension and name filters (the
// names a Qt file dialog takes).
inline constexpr const char* kSaveFilteredTitle = "Save data as a txt file";
inline constexpr const char* kSaveFilteredExtension = "exp";
inline constexpr const char* kSaveFilteredNameFilters = "exp Files (*.exp);;All Files (*.*)";

// The name the save dialog offers: the data set name + "_Filtered.exp".
std::string defaultFilteredFileName(const DataMatrix& m);

// The side file written beside a signal file: its name with the extension
// replaced by ".pvl" (weight type 1) or ".pma" (weight type 2), so that the
// data loader finds it. A name whose replacement would be the signal file
// itself (say "result.pvl") gets the ending appended instead. Empty for
// other weight types, which write no side file.
std::string weightFilePath(const std::string& signalPath, int weightType);

// Writes the signal file to `signalPath` and, for p-value or detection-call
// weights, the side file at weightFilePath(). The signal file has a header
// line of all field names and one line per row: texts for text fields,
// labels for categorical fields and original values as "%f" for the others;
// a missing cell is an empty cell. Header rows follow the names only where
// the loader needs them to rebuild the same fields: "CID" when the columns
// have CIDs, "FIELDTYPE" when a field's type differs from what its name
// gives, otherwise "EWEIGHT" when a column weight is not 1.
// The side file has the identifier and one cell per value column: the
// p-value (1 - weight) as "%f", or the call "P" (1.0), "M" (0.5) or "A";
// empty for a missing cell. Shows the progress window "Saving the filtering
// result"; a cancel before writing writes nothing. False on cancel or when
// a file cannot be written.
bool saveFiltered(const DataMatrix& m, const std::string& signalPath);
