#pragma once
// Row filtering of a data matrix by present calls and by standard deviation.
class DataMatrix;

// Copies into `dest` (by DataMatrix::copyRows, in ascending order) the rows
// of `src` that pass both tests, and returns their number:
// - present calls, when percent > 0: a cell is present when its side-file
//   weight says so (p-value weights: weight > 1 - p, i.e. p-value below p;
//   detection calls: weight exactly 1.0, a "P"); without side-file weights no
//   cell is present. A row passes when at least `percent` % of its value
//   columns are present. percent <= 0 lets every row pass.
// - standard deviation, when s >= 0: the population standard deviation of
//   the row's present original values must exceed s.
// Shows the progress window "Filtering Expression Profile Data" and tests
// its cancel flag every 100 rows; returns -1 when cancelled (dest untouched)
// or when the copy cannot be made. The source matrix is never changed.
int filterRows(const DataMatrix& src, double p, double percent, double s, DataMatrix& dest);
