#pragma once
// Power calculation for a t-test design, per item: from the item's mean and
// spread in one group of samples (one-sample t-test) or two groups
// (two-sample t-test), the effect size, power, significance or sample size
// per group that follows from the other three. Also the present-call
// filter of the same panel.
#include <limits>
#include <string>
#include <vector>

class DataMatrix;
class CForest;

// Mean and sample standard deviation (divisor m - 1) of the present cells
// (cell weight not -1.0) of one item over a group's columns; m present
// values. With no present value mean and sd are 0; with one, sd is 0.
struct GroupStats {
    int m = 0;
    double mean = 0.0;
    double sd = 0.0;
};
GroupStats groupStats(const float* values, const float* weights, const std::vector<int>& columns);

enum PowerModel : int { kPowerOneSample = 0, kPowerTwoSample = 1 };
enum PowerTarget : int { kTargetEffect = 0, kTargetPower = 1, kTargetSignificance = 2, kTargetSize = 3 };

struct PowerInputs {
    int model = kPowerTwoSample;
    int target = kTargetSize;
    double fold = 1.5;    // effect size as a fold change
    double power = 0.8;   // 1 - beta
    double alpha = 0.05;  // significance
    double n = 8.0;       // sample size per group
    // "H0's mean:" of the one-sample model; unset keeps the fold rule.
    bool hasH0 = false;
    double h0 = 0.0;
};

// F and the second value of one item; NaN when there is no result.
struct PowerValue {
    double f = std::numeric_limits<double>::quiet_NaN();
    double second = std::numeric_limits<double>::quiet_NaN();
};

// One item: g2 is ignored by the one-sample model. A group with fewer than
// two present values has no standard deviation: no result.
PowerValue powerOfItem(const GroupStats& g1, const GroupStats& g2, const PowerInputs& in);

// The group check of Calculate: empty when the groups suffice, else
// "There should be two items in the first group." (one-sample) or "There
// should be two groups each of which has more than two items." (two-sample).
std::string powerGroupCheck(int model, size_t firstGroupSize, size_t secondGroupSize);

// The results of one calculation, per row of the matrix (NaN for rows not
// calculated or without a result).
struct PowerRun {
    PowerInputs inputs;
    std::vector<int> group1, group2;  // value columns
    bool allItems = true;             // all items, or the selected ones
    std::vector<double> f, second;
    int computed = 0;                 // rows with a finite F
    double minF = std::numeric_limits<double>::quiet_NaN();
    double maxF = std::numeric_limits<double>::quiet_NaN();

    bool empty() const { return f.empty(); }
    // The range of the filter slider: smallest to largest F, the upper end
    // at most 50 for the sample size.
    void filterRange(double& lo, double& hi) const;
    // Rows whose F lies in [lo, hi], in item order.
    std::vector<int> filter(double lo, double hi) const;
};

// Calculates every row (rows == nullptr) or the given rows on the values as
// loaded (before the logarithm and the normalisation), with the
// progress text "Calculating values for all probe sets". False (out left
// empty) after the group check's message or when cancelled.
bool calculatePower(const DataMatrix& data, const std::vector<int>& group1, const std::vector<int>& group2,
                    const PowerInputs& in, const std::vector<int>* rows, PowerRun& out);

// Stores F and the second value in the row nodes of the item forest (leaf
// of each row).
void storePowerInNodes(const PowerRun& run, CForest& rows);

// ---- present-call filter ----
// Rows whose share of present calls (cell weight 1) is at least percent %.
std::vector<int> presentCallRows(const DataMatrix& data, double percent);
// Rows without any present call.
std::vector<int> allAbsentRows(const DataMatrix& data);
// "%d out of %d".
std::string remainsText(int kept, int all);

// ---- exports ----
enum PowerExportKind : int { kExportSelected = 0, kExportSummary = 1, kExportInteractive = 2 };
// The proposed file name from the data name and the group sizes:
// "%s-PowerFilter-Selected-%ds.txt" (one-sample) or
// "%s-PowerFilter-Selected-%ds-%ds.txt" after a calculation over the
// selected items, "%s-PowerFilter-All-%ds-%ds.txt" over all items; the
// summary's "%s-PowerFilter-Selected-%ds-summary.txt" and
// "%s-PowerFilter-All-%ds-%ds-summary.txt"; the interactive result uses
// the first names.
std::string powerExportName(int kind, const std::string& dataName, const PowerRun& run);

// The text of the result list's "Note" column for a row.
std::string powerNote(const PowerRun& run, int row);

// The listed rows (result list): identifier, F ("%.2f") and note under the
// list's column names.
bool writePowerSelected(const std::string& path, const DataMatrix& data, const PowerRun& run,
                        const std::vector<int>& listed);
// The summary table: one line per group ("%s:" and "%s," per sample), the
// model ("One-sample t-Test" / "Two-sample t-Test"), "sample size\tnumber
// of powered probe sets", "%d\t%d" per sample size (sample size target:
// listed rows by their rounded-up F) and "Total\t%d".
bool writePowerSummary(const std::string& path, const DataMatrix& data, const PowerRun& run,
                       const std::vector<int>& listed, const std::vector<std::string>& groupNames);
// "Interactive Power Analysis Result generated by the Arbolix (%d, %d, %d)"
// (the two group sizes and the number of lines), "probe set\t# of chips
// required per group", then "%s\t%d" per listed row (rounded-up F for the
// sample size target, the sample size input otherwise).
bool writePowerInteractive(const std::string& path, const DataMatrix& data, const PowerRun& run,
                           const std::vector<int>& listed);
