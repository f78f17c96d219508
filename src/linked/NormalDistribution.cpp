#include "linked/NormalDistribution.h"

#include <cmath>
#include <limits>

double normalQuantile(double p)
{
    static const double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                               1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                               6.680131188771972e+01,  -1.328068155288572e+01};
    static const double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                               -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static const double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                               3.754408661907416e+00};
    constexpr double kLow = 0.02425, kHigh = 1.0 - kLow;
    if (std::isnan(p) || p < 0.0 || p > 1.0)
        return std::numeric_limits<double>::quiet_NaN();
    if (p == 0.0)
        return -std::numeric_limits<double>::infinity();
    if (p == 1.0)
        return std::numeric_limits<double>::infinity();
    auto tail = [&](double q) {
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    };
    if (p < kLow)
        return tail(std::sqrt(-2.0 * std::log(p)));
    if (p > kHigh)
        return -tail(std::sqrt(-2.0 * std::log(1.0 - p)));
    const double q = p - 0.5, r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

namespace {

// Cody's CALERF: kind 0 erf, 1 erfc.
double calerf(double x, int kind)
{
    static const double a[] = {3.16112374387056560e00, 1.13864154151050156e02, 3.77485237685302021e02,
                               3.20937758913846947e03, 1.85777706184603153e-1};
    static const double b[] = {2.36012909523441209e01, 2.44024637934444173e02, 1.28261652607737228e03,
                               2.84423683343917062e03};
    static const double c[] = {5.64188496988670089e-1, 8.88314979438837594e00, 6.61191906371416295e01,
                               2.98635138197400131e02, 8.81952221241769090e02, 1.71204761263407058e03,
                               2.05107837782607147e03, 1.23033935479799725e03, 2.15311535474403846e-8};
    static const double d[] = {1.57449261107098347e01, 1.17693950891312499e02, 5.37181101862009858e02,
                               1.62138957456669019e03, 3.29079923573345963e03, 4.36261909014324716e03,
                               3.43936767414372164e03, 1.23033935480374942e03};
    static const double p[] = {3.05326634961232344e-1, 3.60344899949804439e-1, 1.25781726111229246e-1,
                               1.60837851487422766e-2, 6.58749161529837803e-4, 1.63153871373020978e-2};
    static const double q[] = {2.56852019228982242e00, 1.87295284992346725e00, 5.27905102951428412e-1,
                               6.05183413124413191e-2, 2.33520497626869185e-3};
    constexpr double kThresh = 0.46875;
    constexpr double kSqrPi = 5.6418958354775628695e-1;  // 1 / sqrt(pi)
    constexpr double kXSmall = 1.11e-16;
    constexpr double kXBig = 26.543;

    if (std::isnan(x))
        return x;
    const double y = std::fabs(x);
    double result;
    if (y <= kThresh) {
        const double ysq = y > kXSmall ? y * y : 0.0;
        double xnum = a[4] * ysq, xden = ysq;
        for (int i = 0; i < 3; ++i) {
            xnum = (xnum + a[i]) * ysq;
            xden = (xden + b[i]) * ysq;
        }
        result = x * (xnum + a[3]) / (xden + b[3]);
        return kind == 0 ? result : 1.0 - result;
    }
    if (y <= 4.0) {
        double xnum = c[8] * y, xden = y;
        for (int i = 0; i < 7; ++i) {
            xnum = (xnum + c[i]) * y;
            xden = (xden + d[i]) * y;
        }
        result = (xnum + c[7]) / (xden + d[7]);
    } else if (y >= kXBig) {
        result = 0.0;
    } else {
        const double ysq = 1.0 / (y * y);
        double xnum = p[5] * ysq, xden = ysq;
        for (int i = 0; i < 4; ++i) {
            xnum = (xnum + p[i]) * ysq;
            xden = (xden + q[i]) * ysq;
        }
        result = ysq * (xnum + p[4]) / (xden + q[4]);
        result = (kSqrPi - result) / y;
    }
    if (result != 0.0) {
        const double ysq = std::trunc(y * 16.0) / 16.0;
        const double del = (y - ysq) * (y + ysq);
        result = std::exp(-ysq * ysq) * std::exp(-del) * result;
    }
    // result is erfc(|x|) here.
    if (kind == 0) {
        result = (0.5 - result) + 0.5;
        return x < 0.0 ? -result : result;
    }
    return x < 0.0 ? 2.0 - result : result;
}

} // namespace

double erfCody(double x) { return calerf(x, 0); }
double erfcCody(double x) { return calerf(x, 1); }

double normalCdf(double x)
{
    if (std::isinf(x))
        return x > 0 ? 1.0 : 0.0;
    return 0.5 * erfcCody(-x / std::sqrt(2.0));
}
