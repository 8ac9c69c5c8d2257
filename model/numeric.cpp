#include "model/numeric.h"

#include <cmath>
#include <cstddef>
#include <vector>

double Sign(double x) { return x >= 0.0 ? 1.0 : -1.0; }

double PowerFast(double x, double y) {
    if (y == 0.0) return 1.0;
    if (y == 1.0) return x;
    if (y == 2.0) return x * x;
    if (y == 3.0) return x * x * x;
    return std::pow(x, y);
}

double SafeSqrt(double x) {
    if (std::isnan(x) || x < 0.0) return 0.0;
    return std::sqrt(x);
}

double SafeAtan2(double y, double x) {
    if (y == 0.0 && x == 0.0) return 0.0;
    return std::atan2(y, x);
}

void SwapDouble(double& a, double& b) {
    const double t = a;
    a = b;
    b = t;
}

void SwapInt(int& a, int& b) {
    const int t = a;
    a = b;
    b = t;
}

void SortFloats(float* values, int n, int direction) {
    if (values == nullptr) return;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const bool exchange = direction < 0 ? values[i] < values[j] : values[i] > values[j];
            if (exchange) {
                const float t = values[i];
                values[i] = values[j];
                values[j] = t;
            }
        }
    }
}

void MatTranspose(double* dst, const double* src, int a, int b) {
    for (int i = 0; i < a; ++i)
        for (int j = 0; j < b; ++j) dst[j * a + i] = src[i * b + j];
}

void MatCopy(double* dst, const double* src, int a, int b) {
    if (a <= 0 || b <= 0) return;
    const std::size_t count = static_cast<std::size_t>(a) * static_cast<std::size_t>(b);
    for (std::size_t k = 0; k < count; ++k) dst[k] = src[k];
}

void MatMultiply(double* R, const double* A, const double* B, int n, int m, int p) {
    // Clamping keeps overflowing products finite and flushes dust to exact
    // zeros so later tests against 0 behave.
    constexpr double kHuge = 1e88;
    constexpr double kTiny = 1e-88;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < p; ++j) {
            double sum = 0.0;
            for (int k = 0; k < m; ++k) sum += A[i * m + k] * B[k * p + j];
            if (sum >= kHuge)
                sum = kHuge;
            else if (sum < -kHuge)
                sum = -kHuge;
            if (std::fabs(sum) < kTiny) sum = 0.0;
            R[i * p + j] = sum;
        }
    }
}

int MatMinor(double* dst, const double* src, int n, int m, int row, int column) {
    if (n <= 0) return 0;
    // A row or column outside the matrix would leave n x (m - 1) or more
    // elements for an (n - 1) x (m - 1) destination: copy nothing.
    if (row < 0 || row >= n || column < 0 || column >= m) return 0;
    int k = 0;
    for (int i = 0; i < n; ++i) {
        if (i == row) continue;
        for (int j = 0; j < m; ++j) {
            if (j == column) continue;
            dst[k++] = src[i * m + j];
        }
    }
    return n;
}

namespace {

constexpr int kSmallMax = 5;

}  // namespace

double DeterminantSmall(const double* A, int n) {
    if (n <= 0) return 0.0;
    if (n == 1) return A[0];
    if (n > kSmallMax) return Determinant(A, n);
    // Cofactor expansion along row 0; the minor fits the fixed buffer.
    double minor[(kSmallMax - 1) * (kSmallMax - 1)];
    double det = 0.0;
    double sign = 1.0;
    for (int j = 0; j < n; ++j) {
        MatMinor(minor, A, n, n, 0, j);
        det += sign * A[j] * DeterminantSmall(minor, n - 1);
        sign = -sign;
    }
    return det;
}

double Determinant(const double* A, int n) {
    if (n <= 0) return 0.0;
    if (n == 1) return A[0];
    if (n <= kSmallMax) return DeterminantSmall(A, n);
    std::vector<double> minor(static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(n - 1));
    double det = 0.0;
    double sign = 1.0;
    for (int j = 0; j < n; ++j) {
        MatMinor(minor.data(), A, n, n, 0, j);
        det += sign * A[j] * Determinant(minor.data(), n - 1);
        sign = -sign;
    }
    return det;
}

void SolveCramer(double* x, const double* A, const double* b, int n) {
    if (n <= 0) return;
    for (int i = 0; i < n; ++i) x[i] = 0.0;
    const double D = Determinant(A, n);
    if (std::fabs(D) < 1e-29) return;
    std::vector<double> work(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        MatCopy(work.data(), A, n, n);
        for (int r = 0; r < n; ++r) work[static_cast<std::size_t>(r * n + i)] = b[r];
        x[i] = Determinant(work.data(), n) / D;
    }
}

bool SolveGauss(double* x, double* A, double* b, int n) {
    if (n <= 0 || x == nullptr || A == nullptr || b == nullptr) return n == 0;
    // Pivots and multipliers below this are taken as zero: stiffness terms
    // are many orders of magnitude larger, so 1e-9 only catches true zeros
    // of an unsupported or unconnected degree of freedom.
    constexpr double kZero = 1e-9;
    const std::size_t N = static_cast<std::size_t>(n);
    auto at = [A, N](std::size_t i, std::size_t j) -> double& { return A[i * N + j]; };

    // 1. Forward elimination without row exchanges.
    for (std::size_t i = 0; i < N; ++i) {
        // 1.1 Repair a zero pivot by adding the following rows one by one.
        double p = at(i, i);
        if (std::fabs(p) < kZero) {
            for (std::size_t j = i + 1; j < N; ++j) {
                for (std::size_t k = i; k < N; ++k) at(i, k) += at(j, k);
                b[i] += b[j];
                p = at(i, i);
                if (std::fabs(p) > kZero) break;
            }
            if (std::fabs(p) < kZero) return false;
        }
        // 1.2 Normalise the pivot row.
        at(i, i) = 1.0;
        for (std::size_t k = i + 1; k < N; ++k) at(i, k) /= p;
        b[i] /= p;
        // 1.3 Eliminate column i below the pivot; rows with a negligible
        // multiplier (the zeros of a banded matrix) cost nothing.
        for (std::size_t j = i + 1; j < N; ++j) {
            const double m = at(j, i);
            at(j, i) = 0.0;
            if (std::fabs(m) > kZero) {
                for (std::size_t k = i + 1; k < N; ++k) at(j, k) -= m * at(i, k);
                b[j] -= m * b[i];
            }
        }
    }
    // 2. Back substitution.
    for (std::size_t ii = N; ii-- > 0;) {
        double sum = 0.0;
        for (std::size_t j = ii + 1; j < N; ++j) sum += at(ii, j) * x[j];
        x[ii] = b[ii] - sum;
    }
    return true;
}

void DumpMatrix(std::FILE* file, const double* A, const double* b, int n, const char* title) {
    if (file == nullptr) return;
    std::fprintf(file, "\n");
    if (title != nullptr) std::fprintf(file, ">> %s\n", title);
    for (int i = 0; i < n; ++i) {
        if (A != nullptr) {
            for (int j = 0; j < n; ++j) {
                const double v = A[i * n + j];
                if (std::fabs(v) > 1e-9)
                    std::fprintf(file, "%12.4e,", v);
                else
                    std::fprintf(file, "      0      ");
            }
        }
        if (b != nullptr) {
            if (std::fabs(b[i]) > 1e-9)
                std::fprintf(file, "|%12.5f |", b[i]);
            else
                std::fprintf(file, "|      0      |");
        }
        std::fprintf(file, "\n");
    }
}

void FitPolynomial(double* coefficients, int order, const double* xs, const double* ys, int count) {
    if (coefficients == nullptr || order < 0) return;
    const int t = order + 1;
    const std::size_t T = static_cast<std::size_t>(t);
    std::vector<double> M(T * T, 0.0), r(T, 0.0), c(T, 0.0);
    // Normal equations: M(l, m) = sum x^(l+m), r(l) = sum y x^l.
    for (int k = 0; k < count; ++k) {
        for (int l = 0; l < t; ++l) {
            double xl = 1.0;
            for (int e = 0; e < l; ++e) xl *= xs[k];
            r[static_cast<std::size_t>(l)] += ys[k] * xl;
            for (int m = 0; m < t; ++m) {
                double xlm = 1.0;
                for (int e = 0; e < l + m; ++e) xlm *= xs[k];
                M[static_cast<std::size_t>(l * t + m)] += xlm;
            }
        }
    }
    if (std::fabs(Determinant(M.data(), t)) >= 1e-6) {
        SolveCramer(c.data(), M.data(), r.data(), t);
        for (int l = 0; l < t; ++l) coefficients[l] = c[static_cast<std::size_t>(l)];
        return;
    }
    for (int l = 0; l < t; ++l) coefficients[l] = 0.0;
    coefficients[0] = count >= 2 ? ys[1] : (count == 1 ? ys[0] : 0.0);
}

namespace {

// Roots of a x^2 + b x + c (a != 0) in the cubic's output convention.
void SolveQuadratic(double& r1, double& r2, double& im1, double& im2, double a, double b,
                    double c) {
    const double disc = b * b - 4.0 * a * c;
    im1 = im2 = 0.0;
    if (disc >= 0.0) {
        const double s = std::sqrt(disc);
        r1 = (-b + s) / (2.0 * a);
        r2 = (-b - s) / (2.0 * a);
    } else {
        r1 = r2 = -b / (2.0 * a);
        im1 = std::fabs(std::sqrt(-disc) / (2.0 * a));
        im2 = -im1;
    }
}

// A "cubic" with a = 0: solve what is left instead of dividing by zero.
void SolveDegenerateCubic(double& root1, double& root2, double& root3, double& im1, double& im2,
                          double b, double c, double d) {
    im1 = im2 = 0.0;
    if (b != 0.0) {
        SolveQuadratic(root2, root3, im1, im2, b, c, d);
        root1 = root2;
    } else if (c != 0.0) {
        root1 = root2 = root3 = -d / c;
    } else {
        root1 = root2 = root3 = 0.0;
    }
}

}  // namespace

void SolveCubic(double& root1, double& root2, double& root3, double& imaginary1, double& imaginary2,
                double a, double b, double c, double d) {
    if (a == 0.0) {
        SolveDegenerateCubic(root1, root2, root3, imaginary1, imaginary2, b, c, d);
        return;
    }
    // 1. Reduced form: x = t - s, t^3 - 3 P t - 2 Q = 0.
    const double s = b / (3.0 * a);
    const double P = PowerFast(s, 2) - c / (3.0 * a);
    const double Q = ((c / a - 2.0 * PowerFast(s, 2)) * s - d / a) / 2.0;
    const double delta = PowerFast(Q, 2) - PowerFast(P, 3);
    double r;
    if (delta > 0.0) {
        // 2. One real root.
        const double u = Sign(Q) * std::cbrt(SafeSqrt(delta) + std::fabs(Q));
        r = u + P / u - s;
    } else if (-delta > 1e-31) {
        // 3. Three real roots (P > 0 here); the clamp guards acos against
        // rounding just outside [-1, 1].
        double cosArg = Q / std::pow(P, 1.5);
        if (cosArg > 1.0) cosArg = 1.0;
        if (cosArg < -1.0) cosArg = -1.0;
        r = 2.0 * SafeSqrt(P) * std::cos(std::acos(cosArg) / 3.0) - s;
    } else {
        // 4. Double root: real cube root, so a negative Q works too.
        r = 2.0 * std::cbrt(Q) - s;
    }
    root1 = r;
    // 5. Deflate to x^2 + e x + q0 = 0 for the other two roots.
    const double e = b / a + r;
    const double q0 = PowerFast(r, 2) + (b * r + c) / a;
    double g = PowerFast(e, 2) - 4.0 * q0;
    if (!(g > 0.0)) g = 0.0;
    root2 = (SafeSqrt(g) - e) / 2.0;
    root3 = -(SafeSqrt(g) + e) / 2.0;
    if (PowerFast(b + a * r, 2) >= 4.0 * a * (a * PowerFast(r, 2) + b * r + c)) {
        imaginary1 = imaginary2 = 0.0;
        return;
    }
    // Complex pair: its modulus squared is the product of the two roots,
    // the quadratic's constant term q0. (Taking it as -d / (a r) instead
    // loses the pair when r is a rounding error away from 0 and d is 0,
    // as for x^3 + x.)
    imaginary1 = SafeSqrt(q0 - PowerFast(e, 2) / 4.0);
    imaginary2 = -imaginary1;
}

namespace {

// x rounded at k decimals: scale is 10^k, unit the double nearest 10^-k.
double RoundScaled(double x, double scale, double unit) {
    double r = Round0(x * scale) * unit;
    if (r == 0.0) r = 0.0;  // -0 would print as "-0.000"
    return r;
}

}  // namespace

double Round0(double x) {
    // 0.49999 rather than 0.5 so that values stored as 2.4999999 from
    // floats do not round up unexpectedly; truncation in double keeps
    // large values (Round9 of 3 is 3e9 before scaling back) exact.
    double r = x >= 0.0 ? std::trunc(x + 0.49999) : std::trunc(x - 0.49999);
    if (r == 0.0) r = 0.0;
    return r;
}

double Round1(double x) { return RoundScaled(x, 10.0, 0.1); }
double Round2(double x) { return RoundScaled(x, 100.0, 0.01); }
double Round3(double x) { return RoundScaled(x, 1000.0, 0.001); }
double Round5(double x) { return RoundScaled(x, 100000.0, 0.00001); }
double Round9(double x) { return RoundScaled(x, 1e9, 1e-9); }

double Distance(double x1, double y1, double x2, double y2) {
    return SafeSqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double L = Distance(ax, ay, bx, by);
    const double theta = SafeAtan2(by - ay, bx - ax);
    const double c = std::cos(theta), s = std::sin(theta);
    const double u = (px - ax) * c + (py - ay) * s;
    const double v = -(px - ax) * s + (py - ay) * c;
    if (u > L) return Distance(px, py, bx, by);
    if (u < 0.0) return Distance(px, py, ax, ay);
    return std::fabs(v);
}

int IntersectSegments(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                      double dy, double& x, double& y) {
    // 1. Turn c and d into the frame of a-b: u along, v across.
    const double L = Distance(ax, ay, bx, by);
    const double theta = SafeAtan2(by - ay, bx - ax);
    const double co = std::cos(theta), si = std::sin(theta);
    const double uc = (cx - ax) * co + (cy - ay) * si;
    const double vc = -(cx - ax) * si + (cy - ay) * co;
    const double ud = (dx - ax) * co + (dy - ay) * si;
    double vd = -(dx - ax) * si + (dy - ay) * co;
    // 2. Parallel: no crossing unless c-d lies on the line and overlaps a-b;
    // then nudge d off the line so the crossing falls at c.
    if (std::fabs(vc - vd) < 1e-6) {
        if (std::fabs(vc) > 1e-6) return 0;
        if ((uc < 0.0 && ud < 0.0) || (uc > L && ud > L)) return 0;
        vd = (vc >= vd) ? vc - 1e-6 : vc + 1e-6;
    }
    // 3. Position of the crossing along a-b.
    const double t = uc - (ud - uc) * vc / (vd - vc);
    // 4. Position code, with 0.1 mm of slack at the ends (lengths in m).
    const int P = (t < -0.0001) ? 1 : (t > L + 0.0001) ? 3 : 2;
    // 5. Side code.
    int S = 2;
    if ((vc < -0.0001 && vd < -0.0001) || (vc > 0.0001 && vd > 0.0001))
        S = (std::fabs(vc) < std::fabs(vd)) ? 1 : 3;
    // 6. The crossing point.
    x = ax + t * co;
    y = ay + t * si;
    return 16 * P + S;
}

double Interpolate(double x1, double y1, double x2, double y2, double x) {
    if (std::fabs(x2 - x1) > 1e-6) return y1 + (y2 - y1) * (x - x1) / (x2 - x1);
    return (y1 + y2) / 2.0;
}
