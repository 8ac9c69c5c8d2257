// Numeric helpers checked against hand-worked and closed-form values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "model/text_helpers.h"

namespace {

const double kPi = std::acos(-1.0);

// ------------------------------------------------------------ elementary

TEST(Elementary, SignPowerSqrtAtan) {
    EXPECT_EQ(Sign(0.0), 1.0);
    EXPECT_EQ(Sign(-0.0), 1.0);
    EXPECT_EQ(Sign(-1e-300), -1.0);
    EXPECT_EQ(PowerFast(-2.0, 0.0), 1.0);
    EXPECT_EQ(PowerFast(-2.0, 3.0), -8.0);
    EXPECT_NEAR(PowerFast(2.0, 0.5), std::sqrt(2.0), 1e-15);
    EXPECT_EQ(SafeSqrt(-4.0), 0.0);
    EXPECT_EQ(SafeSqrt(std::nan("")), 0.0);
    EXPECT_EQ(SafeSqrt(9.0), 3.0);
    EXPECT_EQ(SafeAtan2(0.0, 0.0), 0.0);
    EXPECT_NEAR(SafeAtan2(0.0, -1.0), kPi, 1e-15);
    EXPECT_NEAR(SafeAtan2(1.0, 0.0), kPi / 2, 1e-15);
}

TEST(Elementary, SortFloatsBothDirections) {
    std::vector<float> v = {3.f, -1.f, 2.5f, 0.f, -1.f};
    SortFloats(v.data(), static_cast<int>(v.size()), 1);
    EXPECT_EQ(v, (std::vector<float>{-1.f, -1.f, 0.f, 2.5f, 3.f}));
    SortFloats(v.data(), static_cast<int>(v.size()), -1);
    EXPECT_EQ(v, (std::vector<float>{3.f, 2.5f, 0.f, -1.f, -1.f}));
    SortFloats(v.data(), 0, 1);  // nothing to do, nothing touched
    EXPECT_EQ(v[0], 3.f);
}

// -------------------------------------------------------------- rounding

TEST(Rounding, AddsJustUnderAHalfAndTruncates) {
    struct Case {
        double (*round)(double);
        double x, expected;
    };
    const std::vector<Case> cases = {
        {Round0, 2.5, 2.0},      {Round0, 2.50001, 3.0},   {Round0, 2.49999, 2.0},
        {Round0, -2.5, -2.0},    {Round0, -2.50001, -3.0}, {Round0, 0.4, 0.0},
        {Round1, -1.25, -1.2},   {Round1, 1.26, 1.3},      {Round2, 1.23456, 1.23},
        {Round3, 0.0015, 0.001}, {Round3, 0.00151, 0.002}, {Round5, 1.234567, 1.23457},
        {Round9, 3.0, 3.0},      {Round9, -7.25, -7.25},   {Round9, 1e-10, 0.0},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.round(c.x), c.expected, 1e-12) << c.x;
}

TEST(Rounding, NeverNegativeZeroNorOverflow) {
    for (double x : {-0.3, -0.0, -1e-4, -0.50001e-3}) {
        EXPECT_FALSE(std::signbit(Round0(x))) << x;
        EXPECT_FALSE(std::signbit(Round3(x * 1e-3))) << x;
    }
    EXPECT_EQ(FormatStr("%.3f", Round3(-1e-4)), "0.000");
    // 5e9 and 4e18 do not fit an int or a 64-bit integer after scaling.
    EXPECT_DOUBLE_EQ(Round9(5.0), 5.0);
    EXPECT_DOUBLE_EQ(Round3(4e18), 4e18);
}

// -------------------------------------------------------------- matrices

TEST(Matrix, TransposeAndMultiply) {
    const double A[6] = {1, 2, 3, 4, 5, 6};  // 2 x 3
    double At[6];
    MatTranspose(At, A, 2, 3);
    EXPECT_EQ(std::vector<double>(At, At + 6), (std::vector<double>{1, 4, 2, 5, 3, 6}));
    double R[4];
    MatMultiply(R, A, At, 2, 3, 2);  // A A^T
    EXPECT_EQ(std::vector<double>(R, R + 4), (std::vector<double>{14, 32, 32, 77}));
    double C[6];
    MatCopy(C, A, 2, 3);
    EXPECT_EQ(std::vector<double>(C, C + 6), std::vector<double>(A, A + 6));
}

TEST(Matrix, MultiplyClampsHugeAndTiny) {
    const double big[1] = {1e50}, tiny[1] = {1e-50}, negBig[1] = {-1e50};
    double r[1];
    MatMultiply(r, big, big, 1, 1, 1);
    EXPECT_EQ(r[0], 1e88);
    MatMultiply(r, big, negBig, 1, 1, 1);
    EXPECT_EQ(r[0], -1e88);
    MatMultiply(r, tiny, tiny, 1, 1, 1);
    EXPECT_EQ(r[0], 0.0);
}

TEST(Matrix, MinorDropsRowAndColumn) {
    const double A[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    double m[4];
    EXPECT_EQ(MatMinor(m, A, 3, 3, 1, 0), 3);
    EXPECT_EQ(std::vector<double>(m, m + 4), (std::vector<double>{2, 3, 8, 9}));
    EXPECT_EQ(MatMinor(m, A, 0, 3, 0, 0), 0);
    // A row or column outside the matrix copies nothing (9 elements would
    // not fit the 4 of the destination).
    double guarded[5] = {-1, -1, -1, -1, 42};
    EXPECT_EQ(MatMinor(guarded, A, 3, 3, 3, 0), 0);
    EXPECT_EQ(MatMinor(guarded, A, 3, 3, 0, -1), 0);
    EXPECT_EQ(std::vector<double>(guarded, guarded + 5), (std::vector<double>{-1, -1, -1, -1, 42}));
}

// Tridiagonal (2, -1): determinant n + 1, and K x = 1 has the closed form
// x_i = i (n + 1 - i) / 2 (1-based), the discrete string under uniform load.
std::vector<double> Tridiagonal(int n) {
    std::vector<double> K(static_cast<std::size_t>(n * n), 0.0);
    for (int i = 0; i < n; ++i) {
        K[static_cast<std::size_t>(i * n + i)] = 2.0;
        if (i > 0) K[static_cast<std::size_t>(i * n + i - 1)] = -1.0;
        if (i + 1 < n) K[static_cast<std::size_t>(i * n + i + 1)] = -1.0;
    }
    return K;
}

TEST(Determinant, CofactorExpansion) {
    const double A3[9] = {6, 1, 1, 4, -2, 5, 2, 8, 7};
    EXPECT_NEAR(Determinant(A3, 3), -306.0, 1e-12);
    EXPECT_NEAR(DeterminantSmall(A3, 3), -306.0, 1e-12);
    const double one[1] = {-4.5};
    EXPECT_EQ(Determinant(one, 1), -4.5);
    for (int n = 2; n <= 7; ++n) {
        const std::vector<double> K = Tridiagonal(n);
        EXPECT_NEAR(Determinant(K.data(), n), n + 1.0, 1e-9) << n;
        EXPECT_NEAR(DeterminantSmall(K.data(), n), n + 1.0, 1e-9) << n;  // n > 5 handed on
    }
    const double singular[4] = {1, 2, 2, 4};
    EXPECT_EQ(Determinant(singular, 2), 0.0);
}

TEST(Cramer, SolvesOrLeavesZeros) {
    const double A[9] = {2, 1, -1, -3, -1, 2, -2, 1, 2};
    const double b[3] = {8, -11, -3};  // solution (2, 3, -1)
    double x[3] = {9, 9, 9};
    SolveCramer(x, A, b, 3);
    EXPECT_NEAR(x[0], 2.0, 1e-12);
    EXPECT_NEAR(x[1], 3.0, 1e-12);
    EXPECT_NEAR(x[2], -1.0, 1e-12);
    const double S[4] = {1, 2, 2, 4};
    const double bs[2] = {1, 1};
    double xs[2] = {9, 9};
    SolveCramer(xs, S, bs, 2);
    EXPECT_EQ(xs[0], 0.0);
    EXPECT_EQ(xs[1], 0.0);
}

// ------------------------------------------------------------ Gauss solver

TEST(SolveGauss, RepairsZeroPivotByAddingRows) {
    double A[4] = {0, 1, 1, 1};
    double b[2] = {1, 2};
    double x[2];
    ASSERT_TRUE(SolveGauss(x, A, b, 2));
    EXPECT_NEAR(x[0], 1.0, 1e-15);
    EXPECT_NEAR(x[1], 1.0, 1e-15);
    // Two additions needed: the anti-diagonal permutation reverses b.
    double P[9] = {0, 0, 1, 0, 1, 0, 1, 0, 0};
    double bp[3] = {1, 2, 3};
    double xp[3];
    ASSERT_TRUE(SolveGauss(xp, P, bp, 3));
    EXPECT_NEAR(xp[0], 3.0, 1e-15);
    EXPECT_NEAR(xp[1], 2.0, 1e-15);
    EXPECT_NEAR(xp[2], 1.0, 1e-15);
}

TEST(SolveGauss, ReportsSingularSystems) {
    double zeroColumn[9] = {0, 1, 2, 0, 3, 4, 0, 5, 7};
    double b[3] = {1, 2, 3}, x[3];
    EXPECT_FALSE(SolveGauss(x, zeroColumn, b, 3));
    double equalRows[4] = {1, 1, 1, 1};
    double b2[2] = {1, 2}, x2[2];
    EXPECT_FALSE(SolveGauss(x2, equalRows, b2, 2));
    EXPECT_TRUE(SolveGauss(x2, equalRows, b2, 0));  // empty system
    EXPECT_FALSE(SolveGauss(x2, equalRows, b2, -1));
    EXPECT_FALSE(SolveGauss(nullptr, equalRows, b2, 2));
}

TEST(SolveGauss, StringUnderUniformLoad) {
    const int n = 50;
    std::vector<double> K = Tridiagonal(n);
    std::vector<double> f(n, 1.0), x(n);
    ASSERT_TRUE(SolveGauss(x.data(), K.data(), f.data(), n));
    for (int i = 1; i <= n; ++i)
        EXPECT_NEAR(x[static_cast<std::size_t>(i - 1)], i * (n + 1.0 - i) / 2.0, 1e-9) << i;
}

TEST(SolveGauss, DiagonallyDominantResidual) {
    const int n = 200;
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> A(static_cast<std::size_t>(n * n)), b(n), x(n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) A[static_cast<std::size_t>(i * n + j)] = u(rng);
        A[static_cast<std::size_t>(i * n + i)] += n + 1.0;
        b[static_cast<std::size_t>(i)] = u(rng);
    }
    const std::vector<double> A0 = A, b0 = b;
    ASSERT_TRUE(SolveGauss(x.data(), A.data(), b.data(), n));
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
        double r = -b0[static_cast<std::size_t>(i)];
        for (int j = 0; j < n; ++j)
            r += A0[static_cast<std::size_t>(i * n + j)] * x[static_cast<std::size_t>(j)];
        worst = std::max(worst, std::fabs(r));
    }
    EXPECT_LT(worst, 1e-9);
}

// -------------------------------------------------------------- polynomials

void ExpectRoots(double a, double b, double c, double d, std::vector<double> expected,
                 double expectedImag) {
    double r1, r2, r3, i1, i2;
    SolveCubic(r1, r2, r3, i1, i2, a, b, c, d);
    if (expectedImag == 0.0) {
        std::vector<double> got = {r1, r2, r3};
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(got[static_cast<std::size_t>(k)], expected[static_cast<std::size_t>(k)],
                        1e-6)
                << a << " " << b << " " << c << " " << d;
        EXPECT_EQ(i1, 0.0);
        EXPECT_EQ(i2, 0.0);
    } else {
        // expected = {real root, real part of the pair}
        EXPECT_NEAR(r1, expected[0], 1e-9);
        EXPECT_NEAR(r2, expected[1], 1e-9);
        EXPECT_NEAR(r3, expected[1], 1e-9);
        EXPECT_NEAR(i1, expectedImag, 1e-9);
        EXPECT_NEAR(i2, -expectedImag, 1e-9);
    }
}

TEST(SolveCubic, RealAndComplexRoots) {
    ExpectRoots(1, -6, 11, -6, {1, 2, 3}, 0.0);
    ExpectRoots(1, 0, -3, 2, {-2, 1, 1}, 0.0);                // double root, negative Q
    ExpectRoots(1, -6, 12, -8, {2, 2, 2}, 0.0);               // triple root
    ExpectRoots(2, -4, -22, 24, {1, -3, 4}, 0.0);             // leading factor 2
    ExpectRoots(1, 0, 0, -1, {1, -0.5}, std::sqrt(3.0) / 2);  // cube roots of 1
    ExpectRoots(1, 0, 1, 0, {0, 0}, 1.0);                     // real root 0, pair +/- i
}

TEST(SolveCubic, LeadingZeroFallsBackToQuadratic) {
    double r1, r2, r3, i1, i2;
    SolveCubic(r1, r2, r3, i1, i2, 0, 1, -3, 2);  // x^2 - 3x + 2
    EXPECT_NEAR(std::min(r2, r3), 1.0, 1e-12);
    EXPECT_NEAR(std::max(r2, r3), 2.0, 1e-12);
    EXPECT_EQ(r1, r2);
    EXPECT_EQ(i1, 0.0);
    SolveCubic(r1, r2, r3, i1, i2, 0, 1, 0, 4);  // x^2 + 4: +/- 2i
    EXPECT_NEAR(r2, 0.0, 1e-12);
    EXPECT_NEAR(i1, 2.0, 1e-12);
    EXPECT_NEAR(i2, -2.0, 1e-12);
    SolveCubic(r1, r2, r3, i1, i2, 0, 0, 2, -3);  // linear
    EXPECT_NEAR(r1, 1.5, 1e-12);
    EXPECT_TRUE(std::isfinite(r2) && std::isfinite(r3));
}

TEST(FitPolynomial, CubicThroughFourPoints) {
    // y = 1 + 2x - x^2 + 0.5x^3
    const double xs[4] = {0, 1, 2, 3};
    double ys[4];
    for (int k = 0; k < 4; ++k) ys[k] = 1 + 2 * xs[k] - xs[k] * xs[k] + 0.5 * xs[k] * xs[k] * xs[k];
    double c[4];
    FitPolynomial(c, 3, xs, ys, 4);
    EXPECT_NEAR(c[0], 1.0, 1e-9);
    EXPECT_NEAR(c[1], 2.0, 1e-9);
    EXPECT_NEAR(c[2], -1.0, 1e-9);
    EXPECT_NEAR(c[3], 0.5, 1e-9);
    // All points at one x: no fit, the constant is the second point's y.
    const double same[4] = {2, 2, 2, 2}, ys2[4] = {5, 6, 7, 8};
    FitPolynomial(c, 3, same, ys2, 4);
    EXPECT_EQ(c[0], 6.0);
    EXPECT_EQ(c[1], 0.0);
    EXPECT_EQ(c[2], 0.0);
    EXPECT_EQ(c[3], 0.0);
}

// ---------------------------------------------------------------- geometry

TEST(Geometry, DistancesToPointsAndSegments) {
    EXPECT_DOUBLE_EQ(Distance(1, 1, 4, 5), 5.0);
    struct Case {
        double px, py, ax, ay, bx, by, expected;
    };
    const std::vector<Case> cases = {
        {5, 3, 0, 0, 10, 0, 3},  // beside the segment
        {5, -3, 0, 0, 10, 0, 3},
        {13, 4, 0, 0, 10, 0, 5},             // beyond b
        {-3, -4, 0, 0, 10, 0, 5},            // before a
        {0, 2, 0, 0, 2, 2, std::sqrt(2.0)},  // across a diagonal
        {3, 3, 1, 1, 1, 1, std::sqrt(8.0)},  // zero-length segment
    };
    for (const Case& c : cases)
        EXPECT_NEAR(DistanceToSegment(c.px, c.py, c.ax, c.ay, c.bx, c.by), c.expected, 1e-12)
            << c.px << "," << c.py;
}

TEST(Geometry, IntersectSegmentsCodes) {
    struct Case {
        double cx, cy, dx, dy;
        int code;
        double x, y;
    };
    // a-b is (0,0)-(10,0) throughout.
    const std::vector<Case> cases = {
        {5, -1, 5, 1, 0x22, 5, 0},     // crosses between a and b
        {12, -1, 12, 1, 0x32, 12, 0},  // beyond b
        {-2, -1, -2, 3, 0x12, -2, 0},  // before a
        {5, 1, 5, 3, 0x21, 5, 0},      // c nearer, both above
        {5, -3, 5, -1, 0x23, 5, 0},    // d nearer, both below
        {0, 1, 2, -1, 0x22, 1, 0},     // slanted
        {2, 0, 5, 0, 0x22, 2, 0},      // on the line, overlapping
    };
    for (const Case& c : cases) {
        double x = -99, y = -99;
        EXPECT_EQ(IntersectSegments(0, 0, 10, 0, c.cx, c.cy, c.dx, c.dy, x, y), c.code)
            << c.cx << "," << c.cy;
        EXPECT_NEAR(x, c.x, 1e-9);
        EXPECT_NEAR(y, c.y, 1e-9);
    }
    // Along a vertical a-b the crossing is found in the turned frame too.
    double x = 0, y = 0;
    EXPECT_EQ(IntersectSegments(0, 0, 0, 10, -1, 4, 1, 4, x, y), 0x22);
    EXPECT_NEAR(x, 0.0, 1e-9);
    EXPECT_NEAR(y, 4.0, 1e-9);
    // Parallel off the line, and on the line but outside: no crossing.
    for (const Case& c : std::vector<Case>{{0, 1, 10, 1, 0, 0, 0}, {11, 0, 14, 0, 0, 0, 0}}) {
        x = -99, y = -99;
        EXPECT_EQ(IntersectSegments(0, 0, 10, 0, c.cx, c.cy, c.dx, c.dy, x, y), 0);
        EXPECT_EQ(x, -99.0);
        EXPECT_EQ(y, -99.0);
    }
}

TEST(Geometry, Interpolate) {
    EXPECT_DOUBLE_EQ(Interpolate(1, 3, 1, 5, 1), 4.0);  // coincident x: mean
    EXPECT_DOUBLE_EQ(Interpolate(0, 10, 4, 30, 1), 15.0);
    EXPECT_DOUBLE_EQ(Interpolate(0, 10, 4, 30, 6), 40.0);  // extrapolates
}

// ---------------------------------------------------------------- dump

TEST(DumpMatrix, ListsRowsWithRightHandSide) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const double A[4] = {1, 0, 1e-12, -2};
    const double b[2] = {0.5, 0};
    DumpMatrix(f, A, b, 2, "K");
    DumpMatrix(nullptr, A, b, 2, "K");  // no file: nothing happens
    std::rewind(f);
    std::string text;
    char buf[256];
    while (std::fgets(buf, sizeof buf, f)) text += buf;
    std::fclose(f);
    EXPECT_EQ(text,
              "\n>> K\n"
              "  1.0000e+00,      0      |     0.50000 |\n"
              "      0       -2.0000e+00,|      0      |\n");
}

}  // namespace
