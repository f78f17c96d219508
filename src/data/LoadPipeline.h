#pragma once
// The reading of a data file for the document, after the load dialog: which
// matrix is current, and the statistics and transformations applied to it in
// the program's order.
#include <memory>
#include <string>

class DataMatrix;

// The dialog's choices handed to the document read.
struct TransformChoice {
    bool log = false;
    int direction = 0;     // -1 no normalisation, 0 row by row, 1 column by column
    int method = 0;        // 0 standardise, 1 control, 2 median, 3 scale from lo to hi
    float lo = 0.0f;
    float hi = 1.0f;
    bool sequence = false; // a "protein sequence" file
};

// Makes the current matrix of the document: the filtered matrix when the
// dialog filtered; otherwise `data` (created when absent) loaded afresh from
// `path` by the sequence or the general loader, after which any filtered
// matrix is dropped. Null when the load fails.
DataMatrix* loadCurrentMatrix(const std::string& path, bool sequence, std::unique_ptr<DataMatrix>& data,
                              std::unique_ptr<DataMatrix>& filtered);

// Statistics of the original values, the natural logarithm when chosen, the
// normalisation unless the direction is -1, then statistics of the current
// values. False when the normalisation fails.
bool applyTransformations(DataMatrix& m, const TransformChoice& choice);
