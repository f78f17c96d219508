#pragma once
// The standard normal distribution as the power calculation needs it.

// The quantile z(p) by Acklam's rational approximation of the inverse
// normal distribution (relative error below 1.15e-9): the tail formula
// below 0.02425 and above 0.97575, the central formula between. -inf at 0,
// +inf at 1, NaN outside [0, 1].
double normalQuantile(double p);

// erf and erfc by W. J. Cody's rational Chebyshev approximations: the
// central range |x| < 0.46875, the middle range up to |x| = 4 and the tail
// beyond.
double erfCody(double x);
double erfcCody(double x);

// The distribution function Phi(x) = erfc(-x / sqrt 2) / 2 (the central
// range of erf is then |x| < 0.6629126073623883).
double normalCdf(double x);
