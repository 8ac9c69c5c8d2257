// Shear checks of S1 (d = 959, pt = 100 x 3096.8 / 959000 = 0.3229 %):
// allowable shear stress corrected for depth, rebar ratio and axial
// compression, required stirrup area, and the capacity Vcd + Vsd with
// fvcd = 0.2 f'cd^(1/3), βd = (1000/d)^(1/4), βp = (100 pt)^(1/3).
#include <gtest/gtest.h>

#include <cmath>

#include "rc_test_sections.h"
#include "rccheck/rc_shear.h"

namespace {

RcPointCheck ShearPoint(double m, double n, double s) {
    RcPointCheck pt = MakeS1Point();
    pt.cases[1].tuCK = 1;
    pt.cases[1].vyCK = 1;
    SetForces(pt, m, n, s);
    return pt;
}

TEST(RcShear, AllowableShearStressOfS1) {
    // τ = 300e3 / (1000 x 959) = 0.313; ce = 1.02, cpt = 1.02, cN = 1;
    // τa = 0.27 x 1.02 x 1.02 = 0.281 -> τ/τa = 1.114 > 1, so with stirrups
    // the judgement is against τsa = 2.5: ft = 0.125.
    // Awa = 1.15 (300e3 - 0.2809 x 959000) x 250 / (160 x 959) = 57.4 mm².
    RcPointCheck pt = ShearPoint(500, 0, 300);
    CheckShear(pt, 1, 160);
    const RcCaseCheck& c = pt.cases[1];
    EXPECT_FLOAT_EQ(c.tau, 0.313f);
    EXPECT_FLOAT_EQ(c.ce, 1.02f);
    EXPECT_FLOAT_EQ(c.cpt, 1.02f);
    EXPECT_FLOAT_EQ(c.cN, 1.0f);
    EXPECT_FLOAT_EQ(c.ta, 0.281f);
    EXPECT_FLOAT_EQ(c.taUsed, 2.5f);
    EXPECT_FLOAT_EQ(c.ft, 0.125f);
    EXPECT_NEAR(c.awa, 57.4, 1e-4);
    EXPECT_EQ(c.ngFt, 0);
    EXPECT_FLOAT_EQ(c.dShear, 959.0f);

    // A negative shear force needs the same stirrups.
    RcPointCheck neg = ShearPoint(500, 0, -300);
    CheckShear(neg, 1, 160);
    EXPECT_NEAR(neg.cases[1].awa, 57.4, 1e-4);

    // Without stirrups the ratio stays against τa and fails.
    RcPointCheck bare = ShearPoint(500, 0, 300);
    bare.stirrupLegs = 0;
    CheckShear(bare, 1, 160);
    EXPECT_FLOAT_EQ(bare.cases[1].ft, 1.114f);
    EXPECT_EQ(bare.cases[1].ngFt, 1);

    // A pitch of 0 sizes stirrups per metre: Awa = 57.35 x 4 = 229.4.
    RcPointCheck nopitch = ShearPoint(500, 0, 300);
    nopitch.stirrupPitch = 0;
    CheckShear(nopitch, 1, 160);
    EXPECT_NEAR(nopitch.cases[1].awa, 229.4, 1e-4);
}

// Stirrups far below the required area: S1, M 200, S 1500, D10x1 @300
// (Aw 71.22). τ = 1500e3 / 959000 = 1.564 > τa 0.281; Awa = 1.15 x
// (1500e3 - 0.280908 x 959000) x 300 / (160 x 959) = 2766.9 mm². τsa 2.5
// alone would read 1.564 / 2.5 = 0.626; the stirrups hold 71.22 / 2766.9
// of what is needed: ft = 2766.9 / 71.22 = 38.850, NG.
TEST(RcShear, TooFewStirrupsAreNg) {
    RcPointCheck pt = ShearPoint(200, 0, 1500);
    pt.stirrupD = 10;
    pt.stirrupLegs = 1;
    pt.stirrupPitch = 300;
    CheckShear(pt, 1, 160);
    const RcCaseCheck& c = pt.cases[1];
    EXPECT_NEAR(c.awa, 2766.9, 1e-3);
    EXPECT_NEAR(c.ft, 38.850, 0.0011);
    EXPECT_EQ(c.ngFt, 1);
    EXPECT_FLOAT_EQ(c.taUsed, 2.5f);
}

// Random sections, stirrups and shear forces: wherever the provided area
// is below the required one the point is NG, and an OK point always has
// its τ within the allowable it was judged against.
TEST(RcShear, ProvidedStirrupsCoverTheRequiredAreaWhereverOkShows) {
    std::mt19937 rng(2480);
    const auto uni = [&](double lo, double hi) { return Uniform(rng, lo, hi); };
    const float sizes[] = {10, 13, 16, 19};
    int shortOfStirrups = 0;
    for (int i = 0; i < 2480; ++i) {
        RcPointCheck pt = ShearPoint(uni(-800, 800), uni(-500, 3000), uni(-2500, 2500));
        pt.b = static_cast<float>(uni(300, 1500));
        const float h = static_cast<float>(uni(300, 1500));
        pt.set2 = RcDepths{h, 40, 41};
        pt.stirrupD = sizes[i % 4];
        pt.stirrupLegs = static_cast<float>(i % 5);  // 0 legs: no stirrups
        pt.stirrupPitch = static_cast<float>(uni(100, 400));
        CheckShear(pt, 1, 160);
        const RcCaseCheck& c = pt.cases[1];
        SCOPED_TRACE(testing::Message() << "case " << i << " Aw " << pt.aw << " Awa " << c.awa);
        if (pt.aw > 0 && c.awa > pt.aw) {
            ++shortOfStirrups;
            EXPECT_EQ(c.ngFt, 1);
        }
        if (!c.ngFt) {
            EXPECT_LE(c.tau, c.taUsed * 1.0005f);
        }
    }
    EXPECT_GT(shortOfStirrups, 100);
}

TEST(RcShear, AxialCompressionRaisesTheAllowable) {
    // Mo = N H / 6 = 1.667e8 N·mm; cN = 1 + Mo / M = 1.33; τa = 0.374;
    // 0.313 / 0.374 = 0.837; the concrete carries all: Awa = 0.
    RcPointCheck pt = ShearPoint(500, 1000, 300);
    CheckShear(pt, 1, 160);
    EXPECT_FLOAT_EQ(pt.cases[1].cN, 1.33f);
    EXPECT_FLOAT_EQ(pt.cases[1].ta, 0.374f);
    EXPECT_FLOAT_EQ(pt.cases[1].ft, 0.837f);
    EXPECT_EQ(pt.cases[1].awa, 0.0f);
}

TEST(RcShear, ShearCapacity) {
    struct Row {
        double n;  // kN, compression positive
        double vyd, fv;
    } rows[] = {
        // Vcd = 1.0105 x 0.6861 x 0.6840 x 959000 / 1000 = 454.76 kN,
        // Vsd = 253.4 x 345 x (959 / 1.15) / 250 / 1000 = 291.61 kN.
        {0, 746.37, 0.402},
        // βn = 1 + 2 Mo / Mud with Mud = 2 M = 1e9: 1.333.
        {1000, 896.78, 0.335},
        // Tension: βn = 1 + 4 Mo / Mu with Mu = 1.0078e9: 0.6692.
        {-500, 595.96, 0.503},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.n);
        RcPointCheck pt = ShearPoint(500, r.n, 300);
        CheckShear(pt, 1, 160);
        EXPECT_NEAR(pt.cases[1].vyd, r.vyd, 0.02);
        EXPECT_NEAR(pt.cases[1].fv, r.fv, 0.0002);
    }
    ShearCapacityResult c;
    ShearCapacity(c, 1, 1, 1, 1, 40, 345, 345, 1000, 1000, 959, 3096.8, 500, 0, 253.4, 250,
                  M_PI / 2);
    EXPECT_NEAR(c.vcd, 454.76, 0.02);
    EXPECT_NEAR(c.vsd, 291.61, 0.02);
    EXPECT_NEAR(c.betaD, 1.0105, 1e-4);
    EXPECT_NEAR(c.betaP, 0.6861, 1e-4);
    EXPECT_NEAR(c.fvcd, 0.6840, 1e-4);
    EXPECT_DOUBLE_EQ(c.betaN, 1.0);
    // A pitch of 10 mm or less: the stirrups count for (next to) nothing.
    ShearCapacity(c, 1, 1, 1, 1, 40, 345, 345, 1000, 1000, 959, 3096.8, 500, 0, 253.4, 10,
                  M_PI / 2);
    EXPECT_NEAR(c.vsd, 291.61 * 250 / 1e6, 1e-4);  // the pitch counts as 1 km
    // No concrete strength: finite, not NaN.
    ShearCapacity(c, 1, 1, 1, 1, 0, 345, 345, 1000, 1000, 959, 3096.8, 500, 0, 253.4, 250,
                  M_PI / 2);
    EXPECT_TRUE(std::isfinite(c.vyd));
}

TEST(RcShear, CorrectionFactorTables) {
    struct Row {
        double d, at;  // at chosen for pt in percent with b = 1000
        double ce, cpt;
    } rows[] = {
        {300, 450, 1.4, 0.8},     // pt 0.15
        {650, 4875, 1.2, 1.35},   // pt 0.75
        {1000, 20000, 1.0, 1.5},  // pt 2
        {1350, 0, 0.8, 0.5},      // pt 0 below the table
        {2750, 2750, 0.5, 0.7},   // deep: the depth factor stops at 0.5
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.d);
        const ShearFactors f =
            ShearCorrections(r.d + 50, 1000, r.d, 1000 * (r.d + 50), r.at, 1e12, 1e6, 0);
        EXPECT_NEAR(f.ce, r.ce, 1e-9);
        EXPECT_NEAR(f.cpt, r.cpt, 1e-9);
        EXPECT_DOUBLE_EQ(f.cN, 1.0);
    }
}

TEST(RcShear, ZeroShearForce) {
    RcPointCheck pt = ShearPoint(500, 0, 0);
    CheckShear(pt, 1, 160);
    EXPECT_EQ(pt.cases[1].tau, 0.0f);
    EXPECT_EQ(pt.cases[1].ft, 0.0f);
    EXPECT_EQ(pt.cases[1].awa, 0.0f);
    EXPECT_EQ(pt.cases[1].fv, 0.0f);
}

}  // namespace
