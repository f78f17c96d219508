#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "rank/Numerics.h"

namespace {

bool hasMessage(const NrStatus& st, const char* text) { return !st && st.message && std::strcmp(st.message, text) == 0; }

// A table of counts, row after row.
template <int R, int C>
void fill(NrIntMatrix& nn, const int (&t)[R][C])
{
    for (int i = 0; i < R; ++i)
        for (int j = 0; j < C; ++j)
            nn[i][j] = t[i][j];
}

struct Fit {
    NrFloatMatrix covar;
    float a[3] = {0, 0, 0};
    float chisq = -1.0f;
    NrStatus status;
    Fit(const float* x, const float* y, int n, int ma, const int* ia = nullptr, const float* start = nullptr)
        : covar(ma, ma)
    {
        float sig[64];
        for (int i = 0; i < n; ++i)
            sig[i] = 1.0f;
        const int all[3] = {1, 1, 1};
        if (start)
            for (int j = 0; j < ma; ++j)
                a[j] = start[j];
        status = lfit(x, y, sig, n, a, ia ? ia : all, ma, covar.rows(), &chisq, fpoly);
    }
};

} // namespace

TEST(Numerics, PolynomialBasis)
{
    float p[4];
    fpoly(3.0f, p, 4);
    EXPECT_EQ(p[0], 1.0f);
    EXPECT_EQ(p[1], 3.0f);
    EXPECT_EQ(p[2], 9.0f);
    EXPECT_EQ(p[3], 27.0f);
}

TEST(Numerics, LinesAndParabolasFitExactDataAndMatchNumpyOnNoisyData)
{
    struct Case {
        const char* what;
        std::vector<float> x, y, a;
        float chisq;
        double tolerance, chisqTolerance;
    } cases[] = {
        {"y = 2x + 1", {1, 2, 3, 4, 5, 6}, {3, 5, 7, 9, 11, 13}, {1, 2}, 0.0f, 1e-5, 1e-9},
        // numpy.polyfit(x, y, 1) = [1.03428571, -0.05333333], residual sum 0.15276190.
        {"noisy line", {1, 2, 3, 4, 5, 6}, {1.1f, 1.9f, 3.2f, 3.8f, 5.1f, 6.3f}, {-0.05333333f, 1.03428571f},
         0.15276190f, 1e-5, 1e-5},
        {"y = 0.5x^2 - 3x + 2", {0, 1, 2, 3, 4, 5}, {2, -0.5f, -2, -2.5f, -2, -0.5f}, {2, -3, 0.5f}, 0.0f, 1e-5, 1e-6},
    };
    for (const Case& c : cases) {
        Fit f(c.x.data(), c.y.data(), static_cast<int>(c.x.size()), static_cast<int>(c.a.size()));
        ASSERT_TRUE(f.status) << c.what;
        for (size_t j = 0; j < c.a.size(); ++j)
            EXPECT_NEAR(f.a[j], c.a[j], c.tolerance) << c.what << " a" << j;
        EXPECT_NEAR(f.chisq, c.chisq, c.chisqTolerance) << c.what;
    }
    // The exact line's covariance: (X^T X)^-1 with X^T X = [[6, 21], [21, 91]], determinant 105.
    Fit line(cases[0].x.data(), cases[0].y.data(), 6, 2);
    const double covar[2][2] = {{91.0 / 105, -21.0 / 105}, {-21.0 / 105, 6.0 / 105}};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_NEAR(line.covar[i][j], covar[i][j], 1e-5) << i << "," << j;
}

TEST(Numerics, SingularFitsFailWithTheRoutinesText)
{
    const float same[4] = {2, 2, 2, 2};
    const float y[4] = {1, 2, 3, 4};
    Fit line(same, y, 4, 2);
    EXPECT_TRUE(hasMessage(line.status, "gaussj: Singular Matrix-2"));

    // Two distinct x values cannot fix three parameters.
    const float two[4] = {0, 0, 1, 1};
    Fit parabola(two, y, 4, 3);
    EXPECT_TRUE(hasMessage(parabola.status, "gaussj: Singular Matrix-2"));

    const int none[2] = {0, 0};
    Fit nothing(two, y, 4, 2, none);
    EXPECT_TRUE(hasMessage(nothing.status, "lfit: no parameters to be fitted"));
}

TEST(Numerics, FrozenParameterAndCovarianceReordering)
{
    // y = 1 + 3x + 2x^2 with a1 held at 3: the fit finds a0 = 1 and a2 = 2;
    // row and column 1 of the covariance are 0, the rest is (X^T X)^-1 of the
    // basis (1, x^2): [[5, 30], [30, 354]], determinant 870.
    const float x[5] = {0, 1, 2, 3, 4};
    float y[5];
    for (int i = 0; i < 5; ++i)
        y[i] = 1.0f + 3.0f * x[i] + 2.0f * x[i] * x[i];
    const int ia[3] = {1, 0, 1};
    const float start[3] = {0, 3, 0};
    Fit f(x, y, 5, 3, ia, start);
    ASSERT_TRUE(f.status);
    EXPECT_NEAR(f.a[0], 1.0f, 1e-4);
    EXPECT_EQ(f.a[1], 3.0f);
    EXPECT_NEAR(f.a[2], 2.0f, 1e-5);
    EXPECT_NEAR(f.chisq, 0.0f, 1e-6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.covar[1][i], 0.0f);
        EXPECT_EQ(f.covar[i][1], 0.0f);
    }
    EXPECT_NEAR(f.covar[0][0], 354.0 / 870, 1e-5);
    EXPECT_NEAR(f.covar[0][2], -30.0 / 870, 1e-5);
    EXPECT_NEAR(f.covar[2][0], -30.0 / 870, 1e-5);
    EXPECT_NEAR(f.covar[2][2], 5.0 / 870, 1e-6);
}

TEST(Numerics, GaussJordanInvertsAndSolves)
{
    NrFloatMatrix a(3, 3), b(3, 1);
    const float m[3][3] = {{4, -2, 1}, {-2, 4, -2}, {1, -2, 4}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            a[i][j] = m[i][j];
    b[0][0] = 11;
    b[1][0] = -16;
    b[2][0] = 17;
    ASSERT_TRUE(gaussj(a.rows(), 3, b.rows(), 1));
    EXPECT_NEAR(b[0][0], 1.0f, 1e-5);
    EXPECT_NEAR(b[1][0], -2.0f, 1e-5);
    EXPECT_NEAR(b[2][0], 3.0f, 1e-5);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k)
                s += m[i][k] * a[k][j];
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-5);
        }
}

TEST(Numerics, EqualPivotCandidatesTheLastScannedWins)
{
    // Every element has magnitude 2: the first pivot is the last one scanned,
    // row 2, column 2. After it, rows 0 and 1 hold [3, -1] and [0, 3] in
    // columns 0 and 1; the largest is 3 and the last 3 scanned is (1, 1).
    NrFloatMatrix a(3, 3), b(3, 1);
    const float m[3][3] = {{2, -2, 2}, {-2, 2, 2}, {2, 2, -2}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            a[i][j] = m[i][j];
        b[i][0] = 0;
    }
    int rows[3], cols[3];
    ASSERT_TRUE(gaussj(a.rows(), 3, b.rows(), 1, rows, cols));
    EXPECT_EQ(rows[0], 2);
    EXPECT_EQ(cols[0], 2);
    EXPECT_EQ(rows[1], 1);
    EXPECT_EQ(cols[1], 1);
    EXPECT_EQ(rows[2], 0);
    EXPECT_EQ(cols[2], 0);
    // The inverse of m is [[1, 0, 1], [0, 1, 1], [1, 1, 0]] / 4.
    const float inv[3][3] = {{1, 0, 1}, {0, 1, 1}, {1, 1, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(a[i][j], inv[i][j] / 4.0f, 1e-6);
}

TEST(Numerics, ContingencyTableMatchesScipy)
{
    // scipy.stats.chi2_contingency(correction=False): chi2 25.372110647972722,
    // p 3.0939705509130054e-06, dof 2; V = sqrt(chi2 / 77), C = sqrt(chi2 / (chi2 + 77)).
    NrIntMatrix nn(2, 3);
    fill(nn, {{10, 20, 5}, {3, 9, 30}});
    float chisq, df, prob, v, c;
    ASSERT_TRUE(cntab1(nn.rows(), 2, 3, &chisq, &df, &prob, &v, &c));
    EXPECT_NEAR(chisq, 25.372110647972722, 1e-4);
    EXPECT_EQ(df, 2.0f);
    EXPECT_NEAR(prob, 3.0939705509130054e-06, 1e-10);
    EXPECT_NEAR(v, 0.5740278133445733, 1e-6);
    EXPECT_NEAR(c, 0.4978373424563228, 1e-6);
}

TEST(Numerics, EmptyRowsAndColumnsDoNotCount)
{
    // The same as the 3 x 2 table without the empty row and column:
    // scipy gives chi2 6.973910225247123, p 0.030593885427443738, dof 2.
    NrIntMatrix nn(4, 3);
    fill(nn, {{4, 0, 7}, {0, 0, 0}, {2, 0, 9}, {5, 0, 1}});
    float chisq, df, prob, v, c;
    ASSERT_TRUE(cntab1(nn.rows(), 4, 3, &chisq, &df, &prob, &v, &c));
    EXPECT_NEAR(chisq, 6.973910225247123, 1e-4);
    EXPECT_EQ(df, 2.0f);
    EXPECT_NEAR(prob, 0.030593885427443738, 1e-6);
    EXPECT_NEAR(v, 0.4990673524988931, 1e-6);
    EXPECT_NEAR(c, 0.44654587383205063, 1e-6);
}

TEST(Numerics, DegenerateTables)
{
    float chisq, df, prob, v, c;
    // One non-empty row: df 0, probability 1, no association.
    NrIntMatrix row(2, 3);
    fill(row, {{3, 4, 5}, {0, 0, 0}});
    ASSERT_TRUE(cntab1(row.rows(), 2, 3, &chisq, &df, &prob, &v, &c));
    EXPECT_EQ(df, 0.0f);
    EXPECT_EQ(prob, 1.0f);
    EXPECT_EQ(chisq, 0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(c, 0.0f);

    // Observed counts equal to the expected ones: chisq 0, probability 1.
    NrIntMatrix even(2, 2);
    even[0][0] = 2, even[0][1] = 4, even[1][0] = 3, even[1][1] = 6;
    ASSERT_TRUE(cntab1(even.rows(), 2, 2, &chisq, &df, &prob, &v, &c));
    EXPECT_EQ(df, 1.0f);
    EXPECT_EQ(chisq, 0.0f);
    EXPECT_EQ(prob, 1.0f);

    // No counts at all: a failure, not 0 / 0.
    NrIntMatrix empty(2, 2);
    EXPECT_TRUE(hasMessage(cntab1(empty.rows(), 2, 2, &chisq, &df, &prob, &v, &c), "cntab1: empty table"));
}

TEST(Numerics, IncompleteGammaAgainstScipy)
{
    // scipy.special.gammaincc(a, x)
    const struct {
        float a, x;
        double q;
    } cases[] = {{0.5f, 0.3f, 0.4385780260809997},  {2.5f, 1.0f, 0.8491450360846096},
                 {3.0f, 7.5f, 0.020256715056664387}, {10.0f, 4.0f, 0.9918677572030661},
                 {0.5f, 12.0f, 9.63357008643095e-07}, {50.0f, 55.0f, 0.23220478050085636}};
    for (const auto& k : cases) {
        float q = -1;
        ASSERT_TRUE(gammq(k.a, k.x, &q)) << k.a << " " << k.x;
        EXPECT_NEAR(q, k.q, 1e-5 * k.q + 1e-7) << k.a << " " << k.x;
    }
}

TEST(Numerics, IncompleteGammaEdges)
{
    float q = -1;
    for (float a : {0.1f, 1.0f, 7.0f, 80.0f}) {
        ASSERT_TRUE(gammq(a, 0.0f, &q));
        EXPECT_EQ(q, 1.0f) << a;
    }
    // Q(1, x) = exp(-x), by the series below x = 2 and the fraction above.
    for (float x : {0.1f, 0.5f, 1.9f, 2.0f, 5.0f, 20.0f}) {
        ASSERT_TRUE(gammq(1.0f, x, &q));
        EXPECT_NEAR(q, std::exp(-x), 1e-6 * std::exp(-x) + 1e-7) << x;
    }
    EXPECT_TRUE(hasMessage(gammq(1.0f, -0.5f, &q), "Invalid arguments in routine gammq"));
    EXPECT_TRUE(hasMessage(gammq(0.0f, 1.0f, &q), "Invalid arguments in routine gammq"));
    EXPECT_TRUE(hasMessage(gammq(1.0f, NAN, &q), "Invalid arguments in routine gammq"));
    float g, gln;
    EXPECT_TRUE(hasMessage(gser(&g, 1.0f, -1.0f, &gln), "x less than 0 in routine gser"));
    // The series needs more than 100 terms for a large a and x just below a + 1.
    EXPECT_TRUE(hasMessage(gser(&g, 5000.0f, 5000.5f, &gln), "a too large, ITMAX too small in routine gser"));
}

TEST(Numerics, LogGammaAgainstScipy)
{
    // scipy.special.gammaln
    EXPECT_NEAR(gammln(0.5f), 0.5723649429247, 1e-6);
    EXPECT_NEAR(gammln(1.0f), 0.0, 1e-6);
    EXPECT_NEAR(gammln(3.7f), 1.428072326665388, 1e-6);
    EXPECT_NEAR(gammln(10.0f), 12.801827480081469, 1e-5);
    EXPECT_NEAR(gammln(100.0f), 359.1342053695754, 1e-4);
}

TEST(Numerics, AllocationHelpers)
{
    NrStatus st;
    float** m = nrMatrix(3, 4, &st);
    ASSERT_TRUE(st);
    EXPECT_EQ(m[2], m[0] + 8);
    freeNrMatrix(m);
    EXPECT_EQ(nrMatrix(-1, 2, &st), nullptr);
    EXPECT_TRUE(hasMessage(st, "allocation failure 1 in matrix()"));
    EXPECT_EQ(nrVector(-1, &st), nullptr);
    EXPECT_TRUE(hasMessage(st, "allocation failure in vector()"));
    EXPECT_EQ(nrIvector(-1, &st), nullptr);
    EXPECT_TRUE(hasMessage(st, "allocation failure in ivector()"));
}
