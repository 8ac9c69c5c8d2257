#include "rccheck/rc_cubic.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"

namespace {

double Cubic(double b, double c, double d, double x) { return ((x + b) * x + c) * x + d; }

// Newton steps on the monic cubic while they reduce the residual.
double Polish(double b, double c, double d, double x) {
    if (!std::isfinite(x)) return x;
    double fx = Cubic(b, c, d, x);
    for (int i = 0; i < 60 && fx != 0.0; ++i) {
        const double slope = (3.0 * x + 2.0 * b) * x + c;
        if (slope == 0.0 || !std::isfinite(slope)) break;
        const double next = x - fx / slope;
        const double fn = Cubic(b, c, d, next);
        if (!(std::fabs(fn) < std::fabs(fx))) break;
        x = next;
        fx = fn;
    }
    return x;
}

struct Candidate {
    double rounded, raw;
};

void SortedCandidates(double a, double b, double c, double d, Candidate out[3]) {
    double v[3];
    CubicValues(a, b, c, d, v);
    for (int i = 0; i < 3; ++i) {
        out[i].raw = v[i];
        out[i].rounded = std::fabs(v[i]) < 1e6 ? Round3(v[i]) : v[i];
    }
    std::sort(out, out + 3,
              [](const Candidate& p, const Candidate& q) { return p.rounded < q.rounded; });
}

}  // namespace

int CubicValues(double a, double b, double c, double d, double values[3]) {
    double r1, r2, r3, i1, i2;
    SolveCubic(r1, r2, r3, i1, i2, a, b, c, d);
    b /= a;
    c /= a;
    d /= a;
    const bool threeReal = i1 == 0.0 && i2 == 0.0;
    double big = r1;
    if (threeReal) {
        if (std::fabs(r2) > std::fabs(big)) big = r2;
        if (std::fabs(r3) > std::fabs(big)) big = r3;
    }
    big = Polish(b, c, d, big);
    if (!std::isfinite(big)) {
        values[0] = r1, values[1] = r2, values[2] = r3;
        return threeReal ? 3 : 1;
    }
    // x³ + b x² + c x + d = (x - big)(x² + p x + q); q from the product of
    // the roots avoids the cancellation in c + big p.
    const double p = b + big;
    const double q = big != 0.0 ? -d / big : c + big * p;
    const double disc = p * p - 4.0 * q;
    values[0] = big;
    if (disc < 0.0) {
        values[1] = values[2] = -p / 2.0;
        return 1;
    }
    const double s = -0.5 * (p + (p >= 0.0 ? 1.0 : -1.0) * std::sqrt(disc));
    const double other = s != 0.0 ? q / s : 0.0;
    values[1] = Polish(b, c, d, s);
    values[2] = Polish(b, c, d, other);
    return 3;
}

double SmallestCubicRoot(double a, double b, double c, double d) {
    Candidate v[3];
    SortedCandidates(a, b, c, d, v);
    const double x = v[1].rounded >= 0.0 ? v[1].raw : v[2].raw;
    return std::isfinite(x) && x > 0.001 ? x : 0.001;
}

double LargestCubicRoot(double a, double b, double c, double d) {
    Candidate v[3];
    SortedCandidates(a, b, c, d, v);
    const double x = v[2].raw;
    return std::isfinite(x) && x > 0.001 ? x : 0.001;
}

double AtLeastMagnitude(double m, double v) {
    if (std::fabs(v) >= m) return v;
    return v < 0.0 ? -m : m;
}
