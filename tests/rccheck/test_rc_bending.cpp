// Allowable-stress bending check of rectangular sections (n = 15): cracked
// section under bending alone, eccentric compression inside and outside the
// kern, eccentric tension inside and outside the bars. Expected values are
// worked by hand from the textbook equilibrium of the transformed section;
// stored stresses are rounded (σc to 0.01, σs to 0.1 N/mm²).
#include <gtest/gtest.h>

#include <cmath>

#include "rc_test_sections.h"
#include "rccheck/rc_bending.h"
#include "rccheck/rc_cubic.h"

namespace {

struct BendingCase {
    const char* name;
    double m, n;          // kN·m, kN (compression positive)
    double sc, ss1, ss2;  // expected stored stresses
    double fc, fs;        // expected ratios
    bool ngFs;
};

// S1 = b 1000, H 1000, As1 2292 at 40, As2 3096.8 at 959 (see the header).
//  B:  bending alone, x = -p + sqrt(p² + q) = 232.82 mm (p = 80.832,
//      q = 91845), σc = 2M / (b x (d - x/3) + 2n As' (x - d')(d - d')/x).
//  C:  e = 500 > kc 183.8, far-fibre tension > σ1/4: cracked, x = 497.555.
//  C2: e = 166.7 < kc: uncracked, σ = N/Ai ± M y/Ii.
//  C3: tension, |e| = 600 > et1 418: cracked, middle root x = 87.913.
//  C4: tension, |e| = 100 inside the bars: steel only, lever arms about yg.
// Ratios are formed from the stored stresses and rounded by adding 0.49999:
// 242.0/160 = 1.5125 -> 1.512, 76.4/160 = 0.4775 -> 0.477.
const BendingCase kS1Cases[] = {
    {"B pure bending", 500, 0, 3.88, -48.2, 181.7, 0.485, 1.136, true},
    {"B tiny compression", 500, 0.01, 3.88, -48.2, 181.7, 0.485, 1.136, true},
    {"B tiny tension", 500, -0.01, 3.88, -48.2, 181.7, 0.485, 1.136, true},
    {"B negative moment", -500, 0, 4.13, 242.0, -48.9, 0.516, 1.512, true},
    {"C compression outside kern", 500, 1000, 4.21, -58.1, 58.6, 0.526, 0.366, false},
    {"C2 compression inside kern", 500, 3000, 5.29, -76.4, -7.7, 0.661, 0.477, false},
    {"C3 tension outside bars", 300, -500, 1.26, -10.3, 186.9, 0.157, 1.168, true},
    {"C4 tension between bars", 50, -500, 0.0, 84.0, 99.3, 0.0, 0.621, false},
};

TEST(RcBendingAllowable, S1HandWorkedCases) {
    for (const BendingCase& k : kS1Cases) {
        SCOPED_TRACE(k.name);
        RcPointCheck pt = MakeS1Point();
        pt.cases[1].sgCK = 1;
        SetForces(pt, k.m, k.n);
        CheckBending(pt, 1);
        const RcCaseCheck& c = pt.cases[1];
        EXPECT_NEAR(c.sc, k.sc, 0.0051);
        EXPECT_NEAR(c.ss1, k.ss1, 0.051);
        EXPECT_NEAR(c.ss2, k.ss2, 0.051);
        EXPECT_NEAR(c.fc, k.fc, 0.0002);  // ratios: exact to 3 decimals
        EXPECT_NEAR(c.fs, k.fs, 0.0002);
        EXPECT_EQ(c.ngFs, k.ngFs ? 1 : 0);
        EXPECT_EQ(c.ngFc, 0);
        // Effective depth of the tension bars.
        EXPECT_FLOAT_EQ(c.d, k.m >= 0 ? 959.0f : 960.0f);
    }
}

TEST(RcBendingAllowable, StoredRoundedValuesDriveTheRatios) {
    // Singly reinforced (inner D22x8 only), H 600, d = 559, M 200:
    // x = 186.12, σc = 4.32, σs = 130.0 -> fs2 = 130/160 = 0.8125, which
    // rounds down (0.49999 rule) to 0.812; the absent outer layer has no
    // stress at all.
    RcPointCheck pt = MakeS1Point();
    pt.outer = RcBars{0, 0, 0, 0};
    pt.set1 = RcDepths{600, 40, 41};
    pt.cases[1].sgCK = 1;
    SetForces(pt, 200, 0);
    CheckBending(pt, 1);
    const RcCaseCheck& c = pt.cases[1];
    EXPECT_NEAR(c.sc, 4.32, 0.0051);
    EXPECT_NEAR(c.ss2, 130.0, 0.051);
    EXPECT_EQ(c.ss1, 0.0f);
    EXPECT_FLOAT_EQ(c.fc, 0.54f);
    EXPECT_FLOAT_EQ(c.fs2, 0.812f);
    EXPECT_FLOAT_EQ(c.fs1, 0.0f);
    EXPECT_FLOAT_EQ(c.d, 559.0f);
}

TEST(RcBendingAllowable, SingleLayerStressesStayOnTheirLayer) {
    // Only outer bars, negative moment: the outer bars are the tension side
    // at d = H - d1' and carry the tension stress as σs1.
    RcPointCheck pt = MakeS1Point();
    pt.inner = RcBars{0, 0, 0, 0};
    pt.set1 = RcDepths{600, 41, 40};
    pt.cases[1].sgCK = 1;
    SetForces(pt, -200, 0);
    CheckBending(pt, 1);
    const RcCaseCheck& c = pt.cases[1];
    EXPECT_GT(c.ss1, 0.0f);
    EXPECT_EQ(c.ss2, 0.0f);
    EXPECT_FLOAT_EQ(c.d, 559.0f);
}

TEST(RcBendingAllowable, LargeMomentWithTinyAxialForceIsStable) {
    // Stresses are linear in M for pure bending: 4 x case B. A 10 N axial
    // force must not change that (the cubic's coefficients reach 1e9).
    RcPointCheck pt = MakeS1Point();
    pt.cases[1].sgCK = 1;
    SetForces(pt, 2000, 0.01);
    CheckBending(pt, 1);
    EXPECT_NEAR(pt.cases[1].sc, 15.53, 0.011);
    EXPECT_NEAR(pt.cases[1].ss2, 726.6, 0.11);
    EXPECT_EQ(pt.cases[1].ngFs, 1);
    EXPECT_EQ(pt.cases[1].ngFc, 1);
}

TEST(RcBendingAllowable, ZeroForcesAndEmptySectionGiveZeros) {
    RcPointCheck pt = MakeS1Point();
    pt.cases[1].sgCK = 1;
    SetForces(pt, 0, 0);
    CheckBending(pt, 1);
    EXPECT_EQ(pt.cases[1].sc, 0.0f);
    EXPECT_EQ(pt.cases[1].fs, 0.0f);

    // An all-zero section (a member whose section is missing) must produce
    // finite numbers, never a NaN that would read as passing.
    RcPointCheck empty;
    std::memset(&empty, 0, sizeof(empty));
    empty.cases[1].sgCK = 1;
    empty.cases[1].muCK = 1;
    SetForces(empty, 100, 50);
    CheckBending(empty, 1);
    EXPECT_TRUE(std::isfinite(empty.cases[1].sc));
    EXPECT_TRUE(std::isfinite(empty.cases[1].fm));
}

TEST(RcBendingAllowable, CaseLabelsFollowTheAxialForceRegime) {
    const RcSectionGeom s1{1000, 1000, 40, 959, 2292, 3096.8};
    struct Row {
        double m, n;
        const char* labelStart;                // ASCII prefix of the CP932 label
    } rows[] = {{500e6, 3000e3, "\x87\x40"},   // ①
                {500e6, 1000e3, "\x87\x41"},   // ②
                {50e6, -500e3, "\x87\x42"},    // ③
                {300e6, -500e3, "\x87\x43"}};  // ④
    for (const Row& r : rows) {
        StressResult res;
        StressesWithAxial(res, s1, 15, r.m, r.n);
        EXPECT_EQ(res.label.compare(0, 2, r.labelStart), 0) << r.m << " " << r.n;
    }
    // Kern and tension limits of S1 (yc rounded to 0.1 mm).
    StressResult res;
    StressesWithAxial(res, s1, 15, 500e6, 1000e3);
    EXPECT_NEAR(res.yc, 505.1, 1e-9);
    EXPECT_NEAR(res.kc, 183.8, 1e-9);
    EXPECT_NEAR(res.x, 497.555, 0.001);
    StressesWithAxial(res, s1, 15, 300e6, -500e3);
    EXPECT_NEAR(res.et1, 418.0, 0.051);
    EXPECT_NEAR(res.x, 87.913, 0.001);
}

// Sections where the first root or the first case picked does not carry
// the forces. Each worked by hand from the equilibrium of the cracked
// section: moments about the line of the force give the cubic, its roots
// are tried against 0 < x <= H with the concrete in compression.
//  2 bars on one face (inner D22x8, d 959), tension 300 kN at M = 0: the
//    force acts at yc = 520.4, on the concrete side of the only layer, so
//    the compression is on the inner face itself: bars 41 from it, force
//    479.6; x = 30.372, σc 280.62, σs2 = 15 x 280.62 x (41 - x) / x
//    = 1473.0 (300 kN on 3096.8 mm² alone needs 96.9).
//  4 tension between very unequal layers: outer 4 x 71.22 at 55, inner
//    11614 at 820, yc 503.0, e -298.5, force at 801.5 between the layers;
//    lever rule about the unrounded centroid 503.03: σs1 = 2637.2e3 x
//    18.47 / 765 / 284.9 = 223.6, σs2 = 221.6; both faces stretched.
//    fs = 223.6 / 160 = 1.3975, read from the stored float 223.6000061:
//    1.398.
//  5 compression beyond the far fibre's kern: inner D29x11 at 65 from the
//    compressed face, b 300, H 634: yc 226.8, e 149.6 > kt 88.7 (the
//    kern of the near fibre, 159.2, is the wrong one); the far fibre would
//    take -2.56 = 35 % of 7.22, so cracked: roots -116.057, 48.404 (σc
//    negative), 299.253: σc 8.62, σs2 = 15 x 8.62 x (65 - x) / x = -101.2.
//  7 bars only on the compressed face (outer D22x8 at 41), b 500, H 300:
//    yc 124.2, e 90.0; the cubic has one real root 79.510 (the real part
//    of the complex pair, 11.5, gave σc < 0): σc 11.80, σs1 -85.7.
struct SectionCase {
    const char* name;
    double b, h, d1, d2;
    RcBars outer, inner;
    double m, n;
    double sc, ss1, ss2, fc, fs;
};

const SectionCase kSectionCases[] = {
    {"2 single layer, tension",
     1000,
     1000,
     40,
     41,
     {0, 0, 0, 0},
     {22, 8, 0, 0},
     0,
     -300,
     280.62,
     0.0,
     1473.0,
     35.077,
     9.206},
    {"4 unequal layers, tension",
     844,
     859,
     55,
     39,
     {10, 4, 0, 0},
     {38, 10, 10, 3},
     787.22,
     -2637.2,
     0.0,
     223.6,
     221.6,
     0.0,
     1.398},
    {"5 far-fibre kern",
     300,
     634,
     40,
     65,
     {0, 0, 0, 0},
     {29, 11, 0, 0},
     -164.83,
     1102.04,
     8.62,
     0.0,
     -101.2,
     1.077,
     0.632},
    {"7 bars on the compressed face",
     500,
     300,
     41,
     41,
     {22, 8, 0, 0},
     {0, 0, 0, 0},
     45,
     500,
     11.80,
     -85.7,
     0.0,
     1.475,
     0.536},
};

RcPointCheck SectionPoint(const SectionCase& k) {
    RcPointCheck pt = MakeS1Point();
    pt.b = static_cast<float>(k.b);
    pt.set1 = RcDepths{static_cast<float>(k.h), static_cast<float>(k.d1), static_cast<float>(k.d2)};
    pt.outer = k.outer;
    pt.inner = k.inner;
    pt.cases[1].sgCK = 1;
    SetForces(pt, k.m, k.n);
    return pt;
}

TEST(RcBendingAllowable, ReportedStatesAreTheOnesThatCarryTheForces) {
    for (const SectionCase& k : kSectionCases) {
        SCOPED_TRACE(k.name);
        RcPointCheck pt = SectionPoint(k);
        CheckBending(pt, 1);
        const RcCaseCheck& c = pt.cases[1];
        EXPECT_NEAR(c.sc, k.sc, 0.0051);
        EXPECT_NEAR(c.ss1, k.ss1, 0.051);
        EXPECT_NEAR(c.ss2, k.ss2, 0.051);
        EXPECT_NEAR(c.fc, k.fc, 0.0002);
        EXPECT_NEAR(c.fs, k.fs, 0.0002);
        EXPECT_EQ(c.ngFs, k.fs > 1 ? 1 : 0);
        EXPECT_EQ(c.ngFc, k.fc > 1 ? 1 : 0);
    }
    // Tension on a section without bars: nothing holds it.
    RcPointCheck bare = SectionPoint(kSectionCases[0]);
    bare.inner = RcBars{0, 0, 0, 0};
    CheckBending(bare, 1);
    EXPECT_EQ(bare.cases[1].ngFs, 1);
    EXPECT_EQ(bare.cases[1].ngFc, 1);
}

// The force and moment about the transformed centroid that a reported
// stress state carries, from its concrete and bar stresses alone.
struct Carried {
    double n, m;
};

Carried ForcesOfState(const StressResult& r, const RcSectionGeom& s, double yc) {
    double fc = 0, yFc = 0;  // concrete resultant (compression) and its depth
    if (r.concrete == RcConcrete::kWhole) {
        fc = s.b * s.h * (r.sigmaTop + r.sigmaOther) / 2.0;
        const double first = s.b * s.h * s.h * (r.sigmaTop / 6.0 + r.sigmaOther / 3.0);
        yFc = fc != 0.0 ? first / fc : 0.0;
    } else if (r.concrete == RcConcrete::kCracked) {
        fc = s.b * r.x * r.sigmaTop / 2.0;
        yFc = r.farFace ? s.h - r.x / 3.0 : r.x / 3.0;
    }
    const double fdc = -s.ac * r.sigmaAtDc, fdt = -s.at * r.sigmaAtDt;
    return {fc + fdc + fdt, fc * (yc - yFc) + fdc * (yc - s.dc) + fdt * (yc - s.dt)};
}

// Random sections, bars on one face, the other or both, under forces from
// pure bending to pure axial force of either sign: every reported state
// carries the applied N and M, keeps the concrete out of tension (but for
// the quarter allowed on a whole section) and the neutral axis within it.
TEST(RcBendingAllowable, EveryStateCarriesTheAppliedForces) {
    std::mt19937 rng(20261209);
    const auto uni = [&](double lo, double hi) { return Uniform(rng, lo, hi); };
    int checked = 0;
    for (int i = 0; i < 600; ++i) {
        const RcSectionGeom s = RandomSection(rng, i);
        const double nMax = 0.85 * 30 * s.b * s.h;
        const int regime = (i / 4) % 5;
        double m = uni(0, 0.3) * nMax * s.h;
        double n = uni(-0.3, 0.6) * nMax;
        if (regime == 0) n = 0;                        // pure bending
        if (regime == 1) m = 0;                        // pure axial force
        if (regime == 2) n = uni(-1e-3, 1e-3) * nMax;  // nearly pure bending
        StressResult r;
        StressesWithAxial(r, s, 15, m, n);
        const double yc = (15 * (s.dt * s.at + s.dc * s.ac) + s.b * s.h * s.h / 2) /
                          (15 * (s.ac + s.at) + s.b * s.h);
        SCOPED_TRACE(testing::Message()
                     << "b " << s.b << " h " << s.h << " dc " << s.dc << " dt " << s.dt << " ac "
                     << s.ac << " at " << s.at << " M " << m << " N " << n << " " << r.label);
        if (!r.carried) {
            EXPECT_EQ(s.ac + s.at, 0.0);  // only a section without bars fails so
            continue;
        }
        ++checked;
        const Carried f = ForcesOfState(r, s, yc);
        // yc is kept to 0.1 mm: the whole section's stresses about it are
        // off by up to M Ai 0.05 / Ii.
        EXPECT_NEAR(
            f.n, n,
            1e-4 * (std::fabs(n) + m / s.h) + (r.ii > 0 ? m * r.ai * 0.05 / r.ii : 0.0) + 1.0);
        EXPECT_NEAR(f.m, m, 0.2 * std::fabs(n) + 1e-4 * (m + std::fabs(n) * s.h) + 1e3);
        if (r.concrete == RcConcrete::kCracked) {
            EXPECT_GT(r.x, 0.0);
            EXPECT_LE(r.x, s.h * (1 + 1e-9));
            EXPECT_GE(r.sigmaTop, 0.0);
        } else if (r.concrete == RcConcrete::kWhole) {
            EXPECT_GE(r.sigmaOther, -0.25 * r.sigmaTop - 1e-9);
        } else {
            EXPECT_LT(n, 0.0);
            EXPECT_GE(std::min(r.sigmaAtDc, r.sigmaAtDt), 0.0);
        }
    }
    EXPECT_GT(checked, 400);
}

TEST(RcCubicRoot, PicksTheMiddleRootOrTheLargest) {
    // (x + 2)(x - 3)(x - 7): middle root 3 is non-negative.
    EXPECT_NEAR(SmallestCubicRoot(1, -8, 1, 42), 3.0, 1e-9);
    // (x + 5)(x + 2)(x - 4): middle -2 < 0, so the largest.
    EXPECT_NEAR(SmallestCubicRoot(1, 3, -18, -40), 4.0, 1e-9);
    // All negative: floored at 0.001.
    EXPECT_NEAR(SmallestCubicRoot(1, 6, 11, 6), 0.001, 1e-12);
    // Widely spread roots (-1e9, 40, -30): the small ones keep full accuracy.
    const double a = -1e9, b = 40, c = -30;
    const double x = SmallestCubicRoot(1, -(a + b + c), a * b + a * c + b * c, -a * b * c);
    EXPECT_NEAR(x, 40.0, 1e-6);
    EXPECT_NEAR(AtLeastMagnitude(0.1, 0.0), 0.1, 0);
    EXPECT_NEAR(AtLeastMagnitude(0.1, -0.05), -0.1, 0);
}

}  // namespace
