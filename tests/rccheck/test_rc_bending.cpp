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
