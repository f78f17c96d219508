#pragma once
// Single-precision numerical routines behind the pair scores of the
// scatterplot ordering: Gauss-Jordan elimination with full pivoting, a linear
// least-squares fit on a basis (the polynomial basis), covariance
// re-ordering, contingency-table analysis, the complementary incomplete gamma
// function Q(a, x) and ln Gamma(x).
//
// Every index is zero-based. A matrix with r rows and c columns is an array of
// r row pointers into one contiguous block of r x c floats. Routines hold no
// state between calls. A failure aborts the routine and comes back as an
// NrStatus carrying the routine's own text; no partial result is promised.
#include <type_traits>

struct NrStatus {
    bool ok = true;
    const char* message = nullptr;
    explicit operator bool() const { return ok; }
};

inline NrStatus nrFailure(const char* message) { return NrStatus{false, message}; }

// ---- vectors and matrices ----
// Each returns nullptr on a failed allocation and, when status is given,
// sets it to the failure ("allocation failure in vector()", ... ).
float* nrVector(int n, NrStatus* status = nullptr);
int* nrIvector(int n, NrStatus* status = nullptr);
float** nrMatrix(int rows, int cols, NrStatus* status = nullptr);
int** nrImatrix(int rows, int cols, NrStatus* status = nullptr);
void freeNrVector(float* v);
void freeNrIvector(int* v);
void freeNrMatrix(float** m);
void freeNrImatrix(int** m);

// Owning wrapper for callers that keep a matrix for many calls (a contingency
// table or a covariance matrix reused over all pairs). Empty after a failed
// allocation: check valid() (or status()).
template <typename T>
class NrOwnedMatrix {
public:
    NrOwnedMatrix() = default;
    NrOwnedMatrix(int rows, int cols) : m_pRows(allocate(rows, cols, &m_status)), m_nRows(rows), m_nCols(cols) {}
    ~NrOwnedMatrix() { release(m_pRows); }
    NrOwnedMatrix(const NrOwnedMatrix&) = delete;
    NrOwnedMatrix& operator=(const NrOwnedMatrix&) = delete;
    bool valid() const { return m_pRows != nullptr; }
    NrStatus status() const { return m_status; }
    T** rows() const { return m_pRows; }
    T* operator[](int i) const { return m_pRows[i]; }
    int rowCount() const { return m_nRows; }
    int colCount() const { return m_nCols; }

private:
    static T** allocate(int rows, int cols, NrStatus* st)
    {
        if constexpr (std::is_same_v<T, int>)
            return nrImatrix(rows, cols, st);
        else
            return nrMatrix(rows, cols, st);
    }
    static void release(T** m)
    {
        if constexpr (std::is_same_v<T, int>)
            freeNrImatrix(m);
        else
            freeNrMatrix(m);
    }
    NrStatus m_status;
    T** m_pRows = nullptr;
    int m_nRows = 0, m_nCols = 0;
};
using NrFloatMatrix = NrOwnedMatrix<float>;
using NrIntMatrix = NrOwnedMatrix<int>;

// ---- linear algebra and fitting ----
// Solves a x = b for m right-hand sides in place: a (n x n) becomes its
// inverse, b (n x m) the solutions. Full pivoting; among pivot candidates of
// equal magnitude the one scanned last (highest row, then highest column)
// wins. Failures: "gaussj: Singular Matrix-1", "gaussj: Singular Matrix-2".
NrStatus gaussj(float** a, int n, float** b, int m);
// The same, also recording the pivot of each step (row, column; n entries
// each) when the arrays are given.
NrStatus gaussj(float** a, int n, float** b, int m, int* pivotRows, int* pivotCols);

// The polynomial basis: p[0] = 1, p[j] = x p[j - 1].
void fpoly(float x, float p[], int np);

// General linear least squares: fits the parameters j with ia[j] != 0 of
// y = sum_j a[j] funcs_j(x) to ndat points with standard deviations sig.
// covar (ma x ma) receives the covariance matrix, chisq the sum of squared
// weighted residuals. Failures: "lfit: no parameters to be fitted" and those
// of gaussj (an all-equal x or too few distinct x values: Singular Matrix-2).
NrStatus lfit(const float x[], const float y[], const float sig[], int ndat, float a[], const int ia[], int ma,
              float** covar, float* chisq, void (*funcs)(float, float[], int));

// Spreads the mfit x mfit covariance of the fitted parameters over the full
// ma x ma matrix; rows and columns of frozen parameters become 0.
void covsrt(float** covar, int ma, const int ia[], int mfit);

// ---- contingency tables ----
// Chi-square statistic, degrees of freedom, its probability Q(df/2, chisq/2)
// (1.0 when df or chisq is 0), Cramer's V and the contingency coefficient C
// of the ni x nj table nn. Empty rows and columns do not count towards df.
// A table with no counts at all fails ("cntab1: empty table"); Cramer's V of
// a table with a single non-empty row or column is 0.
NrStatus cntab1(int** nn, int ni, int nj, float* chisq, float* df, float* prob, float* cramrv, float* ccc);

// ---- incomplete gamma ----
// Q(a, x) = 1 - P(a, x). Failure: "Invalid arguments in routine gammq" when
// x < 0 or a <= 0, or an iteration limit of gser or gcf.
NrStatus gammq(float a, float x, float* q);
// P(a, x) by its series (for x < a + 1); gln receives ln Gamma(a).
NrStatus gser(float* gamser, float a, float x, float* gln);
// Q(a, x) by its continued fraction (for x >= a + 1); gln receives ln Gamma(a).
NrStatus gcf(float* gammcf, float a, float x, float* gln);
// ln Gamma(x) for x > 0 (Lanczos, six coefficients).
float gammln(float x);
