#include "rank/Numerics.h"

#include <cmath>
#include <new>
#include <utility>

namespace {

constexpr int kItmax = 100;
constexpr float kEps = 3.0e-7f;
constexpr float kFpmin = 1.0e-30f;
constexpr float kTiny = 1.0e-30f;

// Work space of a routine: on the stack for the small sizes every caller of
// this system uses, from the heap otherwise.
template <typename T, int N>
class WorkVector {
public:
    explicit WorkVector(int n) : m_p(n <= N ? m_local : new (std::nothrow) T[n > 0 ? n : 1]) {}
    ~WorkVector()
    {
        if (m_p != m_local)
            delete[] m_p;
    }
    WorkVector(const WorkVector&) = delete;
    WorkVector& operator=(const WorkVector&) = delete;
    bool valid() const { return m_p != nullptr; }
    T& operator[](int i) { return m_p[i]; }
    T* data() { return m_p; }

private:
    T m_local[N];
    T* m_p;
};

template <typename T>
T** allocMatrix(int rows, int cols, NrStatus* status)
{
    if (rows < 0 || cols < 0) {
        if (status)
            *status = nrFailure("allocation failure 1 in matrix()");
        return nullptr;
    }
    T** m = new (std::nothrow) T*[rows > 0 ? rows : 1];
    if (!m) {
        if (status)
            *status = nrFailure("allocation failure 1 in matrix()");
        return nullptr;
    }
    T* block = new (std::nothrow) T[static_cast<size_t>(rows) * cols + 1]();
    if (!block) {
        delete[] m;
        if (status)
            *status = nrFailure("allocation failure 2 in matrix()");
        return nullptr;
    }
    m[0] = block;
    for (int i = 1; i < rows; ++i)
        m[i] = block + static_cast<size_t>(i) * cols;
    if (status)
        *status = NrStatus{};
    return m;
}

template <typename T>
void freeMatrix(T** m)
{
    if (!m)
        return;
    delete[] m[0];
    delete[] m;
}

} // namespace

float* nrVector(int n, NrStatus* status)
{
    float* v = n < 0 ? nullptr : new (std::nothrow) float[n > 0 ? n : 1]();
    if (status)
        *status = v ? NrStatus{} : nrFailure("allocation failure in vector()");
    return v;
}

int* nrIvector(int n, NrStatus* status)
{
    int* v = n < 0 ? nullptr : new (std::nothrow) int[n > 0 ? n : 1]();
    if (status)
        *status = v ? NrStatus{} : nrFailure("allocation failure in ivector()");
    return v;
}

float** nrMatrix(int rows, int cols, NrStatus* status) { return allocMatrix<float>(rows, cols, status); }
int** nrImatrix(int rows, int cols, NrStatus* status) { return allocMatrix<int>(rows, cols, status); }
void freeNrVector(float* v) { delete[] v; }
void freeNrIvector(int* v) { delete[] v; }
void freeNrMatrix(float** m) { freeMatrix(m); }
void freeNrImatrix(int** m) { freeMatrix(m); }

NrStatus gaussj(float** a, int n, float** b, int m) { return gaussj(a, n, b, m, nullptr, nullptr); }

NrStatus gaussj(float** a, int n, float** b, int m, int* pivotRows, int* pivotCols)
{
    WorkVector<int, 8> indxc(n), indxr(n), ipiv(n);
    if (!indxc.valid() || !indxr.valid() || !ipiv.valid())
        return nrFailure("allocation failure in ivector()");
    for (int j = 0; j < n; ++j)
        ipiv[j] = 0;
    for (int i = 0; i < n; ++i) {
        float big = 0.0f;
        int irow = 0, icol = 0;
        for (int j = 0; j < n; ++j) {
            if (ipiv[j] == 1)
                continue;
            for (int k = 0; k < n; ++k) {
                if (ipiv[k] == 0) {
                    if (std::fabs(a[j][k]) >= big) {
                        big = std::fabs(a[j][k]);
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    return nrFailure("gaussj: Singular Matrix-1");
                }
            }
        }
        ++ipiv[icol];
        if (irow != icol) {
            for (int l = 0; l < n; ++l)
                std::swap(a[irow][l], a[icol][l]);
            for (int l = 0; l < m; ++l)
                std::swap(b[irow][l], b[icol][l]);
        }
        indxr[i] = irow;
        indxc[i] = icol;
        if (pivotRows)
            pivotRows[i] = irow;
        if (pivotCols)
            pivotCols[i] = icol;
        if (a[icol][icol] == 0.0f)
            return nrFailure("gaussj: Singular Matrix-2");
        const float pivinv = 1.0f / a[icol][icol];
        a[icol][icol] = 1.0f;
        for (int l = 0; l < n; ++l)
            a[icol][l] *= pivinv;
        for (int l = 0; l < m; ++l)
            b[icol][l] *= pivinv;
        for (int ll = 0; ll < n; ++ll) {
            if (ll == icol)
                continue;
            const float dum = a[ll][icol];
            a[ll][icol] = 0.0f;
            for (int l = 0; l < n; ++l)
                a[ll][l] -= a[icol][l] * dum;
            for (int l = 0; l < m; ++l)
                b[ll][l] -= b[icol][l] * dum;
        }
    }
    for (int l = n - 1; l >= 0; --l) {
        if (indxr[l] != indxc[l])
            for (int k = 0; k < n; ++k)
                std::swap(a[k][indxr[l]], a[k][indxc[l]]);
    }
    return {};
}

void fpoly(float x, float p[], int np)
{
    if (np < 1)
        return;
    p[0] = 1.0f;
    for (int j = 1; j < np; ++j)
        p[j] = p[j - 1] * x;
}

NrStatus lfit(const float x[], const float y[], const float sig[], int ndat, float a[], const int ia[], int ma,
              float** covar, float* chisq, void (*funcs)(float, float[], int))
{
    int mfit = 0;
    for (int j = 0; j < ma; ++j)
        if (ia[j])
            ++mfit;
    if (mfit == 0)
        return nrFailure("lfit: no parameters to be fitted");
    WorkVector<float, 8> afunc(ma), betaBlock(mfit);
    WorkVector<float*, 8> beta(mfit);
    if (!afunc.valid() || !betaBlock.valid() || !beta.valid())
        return nrFailure("allocation failure in vector()");
    for (int j = 0; j < mfit; ++j) {
        beta[j] = &betaBlock[j];
        betaBlock[j] = 0.0f;
        for (int k = 0; k < mfit; ++k)
            covar[j][k] = 0.0f;
    }
    for (int i = 0; i < ndat; ++i) {
        funcs(x[i], afunc.data(), ma);
        float ym = y[i];
        if (mfit < ma)
            for (int j = 0; j < ma; ++j)
                if (!ia[j])
                    ym -= a[j] * afunc[j];
        const float sig2i = 1.0f / (sig[i] * sig[i]);
        for (int j = -1, l = 0; l < ma; ++l) {
            if (!ia[l])
                continue;
            const float wt = afunc[l] * sig2i;
            ++j;
            for (int k = -1, mm = 0; mm <= l; ++mm)
                if (ia[mm])
                    covar[j][++k] += wt * afunc[mm];
            betaBlock[j] += ym * wt;
        }
    }
    for (int j = 1; j < mfit; ++j)
        for (int k = 0; k < j; ++k)
            covar[k][j] = covar[j][k];
    if (NrStatus st = gaussj(covar, mfit, beta.data(), 1); !st)
        return st;
    for (int j = -1, l = 0; l < ma; ++l)
        if (ia[l])
            a[l] = betaBlock[++j];
    float sum2 = 0.0f;
    for (int i = 0; i < ndat; ++i) {
        funcs(x[i], afunc.data(), ma);
        float sum = 0.0f;
        for (int j = 0; j < ma; ++j)
            sum += a[j] * afunc[j];
        const float r = (y[i] - sum) / sig[i];
        sum2 += r * r;
    }
    *chisq = sum2;
    covsrt(covar, ma, ia, mfit);
    return {};
}

void covsrt(float** covar, int ma, const int ia[], int mfit)
{
    for (int i = mfit; i < ma; ++i)
        for (int j = 0; j <= i; ++j)
            covar[i][j] = covar[j][i] = 0.0f;
    int k = mfit - 1;
    for (int j = ma - 1; j >= 0; --j) {
        if (!ia[j])
            continue;
        for (int i = 0; i < ma; ++i)
            std::swap(covar[i][k], covar[i][j]);
        for (int i = 0; i < ma; ++i)
            std::swap(covar[k][i], covar[j][i]);
        --k;
    }
}

NrStatus cntab1(int** nn, int ni, int nj, float* chisq, float* df, float* prob, float* cramrv, float* ccc)
{
    WorkVector<float, 32> sumi(ni), sumj(nj);
    if (!sumi.valid() || !sumj.valid())
        return nrFailure("allocation failure in vector()");
    float sum = 0.0f;
    int nni = ni, nnj = nj;
    for (int i = 0; i < ni; ++i) {
        sumi[i] = 0.0f;
        for (int j = 0; j < nj; ++j) {
            sumi[i] += static_cast<float>(nn[i][j]);
            sum += static_cast<float>(nn[i][j]);
        }
        if (sumi[i] == 0.0f)
            --nni;
    }
    for (int j = 0; j < nj; ++j) {
        sumj[j] = 0.0f;
        for (int i = 0; i < ni; ++i)
            sumj[j] += static_cast<float>(nn[i][j]);
        if (sumj[j] == 0.0f)
            --nnj;
    }
    // Without a single count the expected values are 0 / 0.
    if (sum == 0.0f)
        return nrFailure("cntab1: empty table");
    *df = static_cast<float>(nni * nnj - nni - nnj + 1);
    float x2 = 0.0f;
    for (int i = 0; i < ni; ++i)
        for (int j = 0; j < nj; ++j) {
            const float expctd = sumj[j] * sumi[i] / sum;
            const float temp = static_cast<float>(nn[i][j]) - expctd;
            x2 += temp * temp / (expctd + kTiny);
        }
    *chisq = x2;
    if (*df == 0.0f || x2 == 0.0f) {
        *prob = 1.0f;
    } else if (NrStatus st = gammq(0.5f * *df, 0.5f * x2, prob); !st) {
        return st;
    }
    const int minij = nni < nnj ? nni - 1 : nnj - 1;
    // A single non-empty row or column: chisq / (N 0) has no value; no association.
    *cramrv = minij > 0 ? std::sqrt(x2 / (sum * static_cast<float>(minij))) : 0.0f;
    *ccc = std::sqrt(x2 / (x2 + sum));
    return {};
}

NrStatus gammq(float a, float x, float* q)
{
    if (x < 0.0f || a <= 0.0f || std::isnan(x) || std::isnan(a))
        return nrFailure("Invalid arguments in routine gammq");
    float gln = 0.0f;
    if (x < a + 1.0f) {
        float gamser = 0.0f;
        if (NrStatus st = gser(&gamser, a, x, &gln); !st)
            return st;
        *q = 1.0f - gamser;
    } else {
        float gammcf = 0.0f;
        if (NrStatus st = gcf(&gammcf, a, x, &gln); !st)
            return st;
        *q = gammcf;
    }
    return {};
}

NrStatus gser(float* gamser, float a, float x, float* gln)
{
    *gln = gammln(a);
    if (x <= 0.0f) {
        if (x < 0.0f)
            return nrFailure("x less than 0 in routine gser");
        *gamser = 0.0f;
        return {};
    }
    float ap = a;
    float del = 1.0f / a, sum = del;
    for (int n = 1; n <= kItmax; ++n) {
        ++ap;
        del *= x / ap;
        sum += del;
        if (std::fabs(del) < std::fabs(sum) * kEps) {
            *gamser = sum * std::exp(-x + a * std::log(x) - *gln);
            return {};
        }
    }
    return nrFailure("a too large, ITMAX too small in routine gser");
}

NrStatus gcf(float* gammcf, float a, float x, float* gln)
{
    *gln = gammln(a);
    float b = x + 1.0f - a;
    float c = 1.0f / kFpmin;
    float d = 1.0f / b;
    float h = d;
    int i = 1;
    for (; i <= kItmax; ++i) {
        const float an = -static_cast<float>(i) * (static_cast<float>(i) - a);
        b += 2.0f;
        d = an * d + b;
        if (std::fabs(d) < kFpmin)
            d = kFpmin;
        c = b + an / c;
        if (std::fabs(c) < kFpmin)
            c = kFpmin;
        d = 1.0f / d;
        const float del = d * c;
        h *= del;
        if (std::fabs(del - 1.0f) < kEps)
            break;
    }
    if (i > kItmax)
        return nrFailure("a too large, ITMAX too small in gcf");
    *gammcf = std::exp(-x + a * std::log(x) - *gln) * h;
    return {};
}

float gammln(float xx)
{
    static const double cof[6] = {76.18009172947146,     -86.50532032941678,    24.01409824083091,
                                  -1.231739572450155,    0.1208650973866179e-2, -0.5395239384953e-5};
    double x = xx, y = xx;
    double tmp = x + 5.5;
    tmp -= (x + 0.5) * std::log(tmp);
    double ser = 1.000000000190015;
    for (int j = 0; j < 6; ++j)
        ser += cof[j] / ++y;
    return static_cast<float>(-tmp + std::log(2.5066282746310005 * ser / x));
}
