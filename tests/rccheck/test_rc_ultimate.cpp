// Ultimate bending capacity with the rectangular stress block 0.68 f'cd b x
// at 0.4 x, εcu = 0.0035, fck 40, fyk 345, Es 2e5, Ec 31000, all γ = 1.
// Closed forms: for a singly reinforced beam x = At fy / (0.68 fc b) and
// Mu = At fy (d - 0.4 x); with compression bars the equilibrium is solved
// for x from the strain of those bars.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "rc_test_sections.h"
#include "rccheck/rc_bending.h"
#include "rccheck/rc_ultimate.h"

namespace {

const RcSectionGeom kS1{1000, 1000, 40, 959, 2292, 3096.8};

UltimateResult Ultimate(const RcSectionGeom& s, double m, double n) {
    UltimateResult r;
    UltimateMoment(r, s, 1, 1, 1, 1, 1, 40, 345, 31000, 200000, 0.0035, m, n);
    return r;
}

TEST(RcUltimateMoment, SinglyReinforcedBeamMatchesTheClosedForm) {
    // x = 3096.8 x 345 / (0.68 x 40 x 1000) = 39.279 mm;
    // Mu = 3096.8 x 345 x (959 - 0.4 x 39.279) = 1007.81 kN·m.
    const RcSectionGeom s{1000, 1000, 1.0, 959, 0, 3096.8};
    const UltimateResult r = Ultimate(s, 500, 0);
    EXPECT_NEAR(r.x, 39.279, 0.01);
    EXPECT_NEAR(r.mu, 1007.81, 0.1);
}

TEST(RcUltimateMoment, DoublyReinforcedPureBendingIsIndependentOfM) {
    // N = 0 is taken as 0.001 kN, so e is about |M| x 1e6 mm; the capacity
    // must not depend on the acting moment (exact x 39.710 mm).
    for (double m : {500.0, 1500.0, 5000.0}) {
        SCOPED_TRACE(m);
        const UltimateResult r = Ultimate(kS1, m, 0);
        EXPECT_NEAR(r.x, 39.710, 0.01);
        EXPECT_NEAR(r.mu, 1007.90, 0.1);
    }
}

TEST(RcUltimateMoment, BranchesWithAxialForce) {
    struct Row {
        const char* name;
        double m, n;
        double x, nu, mu;
        unsigned char labelByte;  // the branch digit's second CP932 byte
    } rows[] = {
        // e 500 >= eb 298.9: tension failure, compression bars yielding;
        // Mu = Nu x e.
        {"compression, tension failure", 500, 1000, 304.892, 8015.4, 4007.7, 0x42},
        // Tension: always the branch with elastic compression bars.
        {"tension", 300, -500, 28.457, -945.2, 567.06, 0x42},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const UltimateResult u = Ultimate(kS1, r.m, r.n);
        EXPECT_NEAR(u.x, r.x, 0.01);
        EXPECT_NEAR(u.nu, r.nu, 0.2);
        EXPECT_NEAR(u.mu, r.mu, 0.2);
        EXPECT_EQ(static_cast<unsigned char>(u.label[1]), r.labelByte);
    }
    // The balanced state of S1: xb = 0.0035 / (0.001725 + 0.0035) x 959.
    const UltimateResult u = Ultimate(kS1, 500, 1000);
    EXPECT_NEAR(u.yg, 502.3, 1e-9);
    EXPECT_NEAR(u.eb, 298.9, 0.051);
    // With dt = 900: xb = Round1(0.0035 / 0.005225 x 900) = 602.9, read
    // back from Nb = Ac fyd + 0.68 f'cd b xb - At fyd.
    const RcSectionGeom deep{1000, 1000, 40, 900, 2292, 3096.8};
    const UltimateResult v = Ultimate(deep, 500, 1000);
    EXPECT_NEAR((v.nb - 2292 * 345.0 + 3096.8 * 345.0) / (0.68 * 40 * 1000), 602.9, 1e-6);
}

TEST(RcUltimateMoment, HeavyCompressionCrushesTheConcrete) {
    // e = 100 mm < eb: compression failure; the capacity still satisfies
    // Mu = Nu x e (eccentricity about the section's centroid).
    const UltimateResult u = Ultimate(kS1, 1000, 10000);
    EXPECT_EQ(static_cast<unsigned char>(u.label[1]), 0x41);  // ②
    EXPECT_NEAR(u.mu / u.nu * 1000.0, 100.0 + 0.0, 1.0);
    EXPECT_GT(u.nu, 10000.0);
}

// An axial force alone acts at the centroid yg = 502.3 (e = 0), above the
// plastic centroid of S1 (503.5): the outer face crushes with the whole
// block, 34000 kN at 500, the outer bars yield, +790.74 kN at 40, and the
// inner bars take σ from the moments about 502.3:
//   34000e3 x (500 - 502.3) + 790.74e3 x (40 - 502.3)
//     + 3096.8 σ (959 - 502.3) = 0  ->  σ = 313.76 N/mm² (< 345)
//   Nu = 34000 + 790.74 + 3096.8 x 0.31376 = 35762.40 kN.
// In tension the line lies between the layers: the lever rule, the outer
// layer first to yield: |Nu| = 790.74 x 919 / (959 - 502.3) = 1591.18 kN.
TEST(RcUltimateMoment, AxialForceOnly) {
    const UltimateResult c = Ultimate(kS1, 0, 1000);
    EXPECT_NEAR(c.nu, 35762.40, 0.02);
    EXPECT_NEAR(c.sigmaTens, 313.76, 0.01);
    EXPECT_NEAR(c.mu, 0.0, 1e-6);
    const UltimateResult t = Ultimate(kS1, 0, -1000);
    EXPECT_NEAR(t.nu, -1591.18, 0.02);
}

TEST(RcUltimateMoment, CheckBendingRatios) {
    struct Row {
        double m, n, fm;
    } rows[] = {{500, 0, 0.496}, {500, 1000, 0.125}, {300, -500, 0.529}, {0, 0, 0.0}};
    for (const Row& r : rows) {
        RcPointCheck pt = MakeS1Point();
        pt.cases[1].muCK = 1;
        SetForces(pt, r.m, r.n);
        CheckBending(pt, 1);
        EXPECT_NEAR(pt.cases[1].fm, r.fm, 0.0002) << r.m << " " << r.n;
        EXPECT_EQ(pt.cases[1].ngFm, 0);
        EXPECT_EQ(pt.cases[1].sc, 0.0f);  // allowable-stress check off
    }
    RcPointCheck pt = MakeS1Point();
    pt.cases[1].muCK = 1;
    SetForces(pt, 1200, 0);
    CheckBending(pt, 1);
    EXPECT_EQ(pt.cases[1].ngFm, 1);
}

// Axial force alone (M = 0, or a moment below the 0.1 kN·m floor of Mud):
// the force is rated against the capacity on the centroid's line (above),
// fm = |N| / |Nu|, with nothing changing as a small moment appears. With
// the inner layer alone (3096.8 at 959) a tension at yg 509.0 lies on the
// concrete side of the bars: the inner face crushes and |Nu| is only 52.0 kN
// (fyd As would be 1068.4).
TEST(RcUltimateMoment, AxialForceAloneIsRatedOnTheCentroidsLine) {
    struct Row {
        double m, n;
        bool innerOnly;
        double nu, fm;
    } rows[] = {
        {0, 1000, false, 35762.40, 0.028},   // 1000 / 35762.40 = 0.02796
        {0, 50000, false, 35762.40, 1.398},  // 1.39812
        {0.05, 50000, false, 35762.40, 1.398}, {0, -1000, false, -1591.18, 0.628},  // 0.62846
        {0, -2000, false, -1591.18, 1.257},                                         // 1.25693
        {0, -1822, false, -1591.18, 1.145},                                         // 1.14506
        {0.1, -1822, false, -1591.52, 1.145},  // e 0.1 mm: 1.14481
        {0, -300, true, -51.99, 5.770},        {0.1, -300, true, -52.03, 5.766},
        {0, 0, false, 35762.40, 0.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.m << " " << r.n << " " << r.innerOnly);
        RcPointCheck pt = MakeS1Point();
        if (r.innerOnly) pt.outer = RcBars{0, 0, 0, 0};
        pt.cases[1].muCK = 1;
        SetForces(pt, r.m, r.n);
        CheckBending(pt, 1);
        EXPECT_NEAR(pt.cases[1].nu, r.nu, 0.02);
        EXPECT_NEAR(pt.cases[1].fm, r.fm, 0.0002);
        EXPECT_EQ(pt.cases[1].ngFm, r.fm > 1 ? 1 : 0);
    }
}

// Runs the ultimate check of S1 (as CheckBending sees it) and returns case 1.
RcCaseCheck UltimateCheckOfS1(double m, double n) {
    RcPointCheck pt = MakeS1Point();
    pt.cases[1].muCK = 1;
    SetForces(pt, m, n);
    CheckBending(pt, 1);
    return pt.cases[1];
}

// As a moment grows from nothing under a fixed axial force, fm grows
// with it, without steps: the 0.1 mm kept of e must not make M / Mu jump
// (S1 at N 35000 read 0.979 at M 3.5, 1.398 NG at M 5, 0.979 at M 5.3).
TEST(RcUltimateMoment, RatingGrowsSmoothlyWithTheMoment) {
    for (double n : {35000.0, 5000.0, -1000.0}) {
        double before = 0;
        for (int i = 0; i <= 400; ++i) {
            const double m = 0.05 * i;
            SCOPED_TRACE(testing::Message() << "N " << n << " M " << m);
            const double fm = UltimateCheckOfS1(m, n).fm;
            if (i > 0) {
                EXPECT_NEAR(fm, before, 0.01);
            }
            before = fm;
        }
    }
}

// Tension with a small eccentricity, worked by strain compatibility with
// elastic-perfectly plastic bars (fyd 345, εy = 345 / 2e5 = 0.001725).
//
// S1 under M = +11.33 kN·m, N = -1700 kN (tension). M > 0 compresses the
// outer face: compression-side bars As1 = 2292 at dc = 40, tension-side
// bars As2 = 3096.8 at dt = 959. n = Es / Ec = 6.4516;
//   yg = Round1((n 3096.8 959 + n 2292 40 + 1000 1000² / 2)
//               / (n 5388.8 + 1e6)) = Round1(502.29) = 502.3 mm
//   e  = Round1(11.33e3 / -1700) = -6.7 mm, e' = Round1(e + dt - yg) = 450.0
//   the force acts at yN = dt - e' = 509.0 mm from the outer face.
// Yield forces: outer 2292 x 345 = 790.74 kN, inner 3096.8 x 345 = 1068.40 kN;
// with both layers yielding their resultant acts at
//   (790.74 x 40 + 1068.40 x 959) / 1859.14 = 568.1 mm.
// Crushing the outer face (εcu at depth 0, neutral axis x > 0) only adds a
// compression near depth 0, which moves the line of the net tension deeper
// than 568.1 mm; the line at 509.0 mm is out of reach. The whole section is
// in tension and the bars alone carry the force by the lever rule (a block
// at the inner face could hold the line at 1633.7 kN, but only with the
// outer bars stretched 40 %, so the first layer to yield ends it):
//   outer share (959 - 509) / 919 = 0.48966, inner share 469 / 919 = 0.51034.
// The outer layer yields first: |Nu| = 790.74 / 0.48966 = 1614.87 kN; the
// inner layer then carries 824.13 kN, σ = 266.1 < 345, strain 0.001331.
// Strains, linear through the bars (0.001725 at 40, 0.001331 at 959): outer
// face 0.001742, inner face 0.001313 -- tension throughout, no concrete
// stress. (The formula without a yield limit put the outer bars at
// 700 (x - 40) / x = -700.7 N/mm², |Nu| 2130.6 > fyd (As1 + As2) 1859.1,
// and read fm 0.794 OK.)
//   Mu = |Nu| |e| = 1614.87 x 0.0067 = 10.820 kN·m; M / Mu = 1.0472;
//   N / Nu = 1700 / 1614.87 = 1.0527 (the e of 0.1 mm loses the rest):
//   fm = 1.053, NG.
//
// The same forces with M = -11.33 compress the inner face: dc = 41 with
// 3096.8, dt = 960 with 2292; yg = Round1(497.71) = 497.7, e' =
// Round1(-6.7 + 960 - 497.7) = 455.6, yN = 504.4. The yielding bars' line
// is now at (1068.40 x 41 + 790.74 x 960) / 1859.14 = 431.9 < 504.4, so the
// inner face can crush: for x < 41 x 700 / (700 + 345) = 27.5 both layers
// yield in tension; moments about yN:
//   27200 x (504.4 - 0.4 x) = 1068.40e3 x 463.4 - 790.74e3 x 455.6
//                           = 134.834e6 N·mm
//   10880 x² - 13 719 680 x + 134.834e6 = 0  ->  x = 9.906 mm (< 27.5)
//   Nu = 27200 x 9.906 - 1859.14e3 = -1589.70 kN.
// But the line also lies between the layers, and there the bars alone
// reach the yield of the outer layer first, at a smaller load:
//   |Nu| = 790.74 x 919 / (504.4 - 41) = 1568.17 kN (inner σ 251.0),
//   Mu = 1568.17 x 0.0067 = 10.507 kN·m; fm = max(11.33 / 10.507,
//   1700 / 1568.17) = max(1.0784, 1.0841) = 1.084, NG.
TEST(RcUltimateMoment, TensionWithSmallEccentricityNeverExceedsTheBarsYield) {
    struct Row {
        double m;
        double nu, mu, fm, sigmaComp, sigmaTens;
    } rows[] = {
        {11.33, -1614.87, 10.820, 1.053, -345.0, -266.1},
        {-11.33, -1568.17, 10.507, 1.084, -251.0, -345.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.m);
        const RcCaseCheck c = UltimateCheckOfS1(r.m, -1700);
        EXPECT_NEAR(c.nu, r.nu, 0.05);
        EXPECT_NEAR(c.mu, r.mu, 0.002);
        EXPECT_NEAR(c.fm, r.fm, 0.0002);
        EXPECT_EQ(c.ngFm, 1);
        EXPECT_LE(std::fabs(c.nu), 345.0 * (2292 + 3096.8) * 0.001);
        // The bar stresses of the ultimate state, in the section as the
        // formulas see it (compression side first).
        const RcSectionGeom s = r.m > 0 ? kS1 : RcSectionGeom{1000, 1000, 41, 960, 3096.8, 2292};
        const UltimateResult u = Ultimate(s, std::fabs(r.m), -1700);
        EXPECT_NEAR(u.sigmaComp, r.sigmaComp, 0.1);
        EXPECT_NEAR(u.sigmaTens, r.sigmaTens, 0.1);
    }
}

// Compression with a small eccentricity: S1, M = 50 kN·m, N = 30000 kN.
//   e = Round1(50e3 / 30000) = 1.7 mm, e' = Round1(1.7 + 959 - 502.3)
//   = 458.4, yN = 500.6 mm. The outer face crushes with the neutral axis
// below the section: the block is the whole depth, 0.85 x 40 x 1000 x 1000
// = 34000 kN at 500 mm (not 0.68 f'cd b x, which would reach past the
// inner face); the outer bars yield, +790.74 kN at 40; the inner bars are
// elastic, σ = 700 (x - 959) / x. Moments about yN = 500.6:
//   34000e3 (500 - 500.6) + 790.74e3 (40 - 500.6) + 3096.8 σ (959 - 500.6) = 0
//   σ = (20.40e6 + 364.215e6) / 1 419 573 = 270.94 N/mm² (< 345)
//   x = 700 x 959 / (700 - 270.94) = 1564.6 mm (block full: x > 1250)
//   Nu = 34000 + 790.74 + 3096.8 x 0.27094 = 35629.8 kN (below the squash
//   load 35859.1), Mu = 35629.8 x 0.0017 = 60.571 kN·m
//   fm = max(50 / 60.571, 30000 / 35629.8) = max(0.8255, 0.8420) = 0.842
// (the old reading, 0.826 from Mu alone, was the 0.1 mm rounding of e).
TEST(RcUltimateMoment, CompressionWithSmallEccentricityKeepsTheBlockInTheSection) {
    const UltimateResult u = Ultimate(kS1, 50, 30000);
    EXPECT_NEAR(u.x, 1564.6, 0.1);
    EXPECT_NEAR(u.sigmaComp, 345.0, 1e-9);
    EXPECT_NEAR(u.sigmaTens, 270.94, 0.01);
    EXPECT_NEAR(u.nu, 35629.8, 0.1);
    EXPECT_NEAR(u.mu, 60.571, 0.002);
    const RcCaseCheck c = UltimateCheckOfS1(50, 30000);
    EXPECT_NEAR(c.fm, 0.842, 0.0002);
    EXPECT_EQ(c.ngFm, 0);
}

// Whatever the forces, the capacity lies within the axial capacities and
// every bar stays within ±fyd.
TEST(RcUltimateMoment, CapacityStaysWithinTheAxialCapacities) {
    const double squash = 0.85 * 40 * 1e6 * 0.001 + 345 * (2292 + 3096.8) * 0.001;
    const double tension = -345 * (2292 + 3096.8) * 0.001;
    for (double n : {-1850.0, -1700.0, -1000.0, -300.0, -10.0, 10.0, 1000.0, 20000.0, 35000.0}) {
        for (double m : {0.5, 5.0, 11.33, 50.0, 300.0, 1000.0}) {
            SCOPED_TRACE(testing::Message() << m << " " << n);
            const UltimateResult u = Ultimate(kS1, m, n);
            EXPECT_LE(u.nu, squash + 1e-6);
            EXPECT_GE(u.nu, tension - 1e-6);
            EXPECT_LE(std::fabs(u.sigmaComp), 345.0 + 1e-9);
            EXPECT_LE(std::fabs(u.sigmaTens), 345.0 + 1e-9);
            EXPECT_GE(u.mu, -1e-6);    // 0 when e rounds to 0.0 mm
            EXPECT_GT(u.nu * n, 0.0);  // the capacity acts the way the force does
        }
    }
}

// A section with bars on one side only, under a tensile force off that
// layer: the lever rule has no second layer, so the far face takes the
// compression; the capacity is small but not zero.
TEST(RcUltimateMoment, SingleLayerUnderTensionStillHasACapacity) {
    const RcSectionGeom single{1000, 1000, 1.0, 959, 0, 3096.8};
    const UltimateResult u = Ultimate(single, 2, -10);
    EXPECT_LT(u.nu, -10.0);
    EXPECT_GT(u.nu, -345 * 3096.8 * 0.001);
    EXPECT_LE(std::fabs(u.sigmaTens), 345.0 + 1e-9);
}

TEST(RcUltimateMoment, UnsetMaterialsGiveFiniteResults) {
    UltimateResult r;
    UltimateMoment(r, RcSectionGeom{}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.0035, 100, 10);
    EXPECT_TRUE(std::isfinite(r.mu));
    EXPECT_TRUE(std::isfinite(r.nu));
}

// An ultimate state worked out independently: every strain plane with one
// face at εcu (neutral axis on a fine logarithmic grid, sign changes of the
// moment about the line of the force halved down), the block 0.85 f'cd over
// min(0.8 x, H) at its middle, bars elastic within ±fyd; and, for a tensile
// force between two layers, the bars alone up to the first yield. The
// capacity is the state on the line reached at the smallest load factor.
// Returns Nu in kN (0 when no state carries the line).
double IndependentNu(const RcSectionGeom& g, double fcd, double fyd, double es, double ec,
                     double mAbs, double nKn) {
    const double b = g.b, h = g.h, ac = g.ac, at = g.at, dt = g.dt;
    const double dc = ac < 1 ? 0.0 : g.dc;
    const double n = es / ec;
    const double yg = Round1((n * at * dt + n * ac * dc + b * h * h / 2) / (n * (at + ac) + b * h));
    const double e = Round1(mAbs * 1000 / nKn);
    const double yN = dt - Round1(e + dt - yg);
    const double force = nKn * 1000;
    struct S {
        double n, mom;
    };
    const auto state = [&](double x, bool far) {
        const double a = std::min(0.8 * x, h);
        const double c = 0.85 * fcd * b * a, yc = far ? h - a / 2 : a / 2;
        const auto sigma = [&](double d) {
            const double from = far ? h - d : d;
            return std::clamp(es * 0.0035 * (x - from) / x, -fyd, fyd);
        };
        const double sc = sigma(dc), st = sigma(dt);
        return S{c + ac * sc + at * st, c * (yc - yN) + ac * sc * (dc - yN) + at * st * (dt - yN)};
    };
    double best = 0;  // the smallest positive load factor
    const auto take = [&](double nu) {
        const double factor = nu / force;
        if (factor > 0 && (best == 0 || factor < best)) best = factor;
    };
    for (bool far : {false, true}) {
        constexpr int kGrid = 3000;
        double x0 = 1e-5 * h, g0 = state(x0, far).mom;
        for (int i = 1; i <= kGrid; ++i) {
            const double x1 = 1e-5 * h * std::pow(1e9, double(i) / kGrid);
            const double g1 = state(x1, far).mom;
            if ((g0 < 0) != (g1 < 0)) {
                double lo = x0, hi = x1;
                for (int k = 0; k < 100; ++k) {
                    const double mid = 0.5 * (lo + hi);
                    ((state(mid, far).mom < 0) == (g0 < 0) ? lo : hi) = mid;
                }
                take(state(hi, far).n);
            }
            x0 = x1, g0 = g1;
        }
    }
    if (force < 0 && ac >= 1 && at >= 1 && yN > dc && yN < dt) {
        const double span = dt - dc;
        take(-std::min(ac * fyd * span / (dt - yN), at * fyd * span / (yN - dc)));
    }
    return best * force * 0.001;
}

// Random sections (bars on both faces, one face or the other, none),
// materials and forces from pure bending to pure axial force of either
// sign: the check's capacity is the independent one, within rounding.
TEST(RcUltimateMoment, CapacityAgreesWithAnIndependentStrainCompatibility) {
    std::mt19937 rng(35);
    const auto uni = [&](double lo, double hi) { return Uniform(rng, lo, hi); };
    const double fyks[] = {295, 345, 390, 490};
    for (int i = 0; i < 300; ++i) {
        const RcSectionGeom s = RandomSection(rng, i);
        const double fck = uni(20, 60), fyk = fyks[i % 4];
        const double squash = (0.85 * fck * s.b * s.h + fyk * (s.ac + s.at)) * 0.001;
        const double pull = fyk * (s.ac + s.at) * 0.001;
        const int regime = (i / 4) % 4;
        double n = uni(-1.2 * pull, 0.9 * squash);
        double m = uni(0, 0.2) * squash * s.h * 0.001;
        if (regime == 0) n = 0;  // pure bending
        if (regime == 1) m = 0;  // pure axial force
        SCOPED_TRACE(testing::Message() << "b " << s.b << " h " << s.h << " dc " << s.dc << " dt "
                                        << s.dt << " ac " << s.ac << " at " << s.at << " fck "
                                        << fck << " fyk " << fyk << " M " << m << " N " << n);
        UltimateResult u;
        UltimateMoment(u, s, 1, 1, 1, 1, 1, fck, fyk, 31000, 200000, 0.0035, m, n);
        const double expected = IndependentNu(s, fck, fyk, 200000, 31000, m, n == 0 ? 0.001 : n);
        EXPECT_NEAR(u.nu, expected, 1e-4 * std::fabs(expected) + 0.05);
        EXPECT_LE(std::fabs(u.sigmaComp), fyk + 1e-9);
        EXPECT_LE(std::fabs(u.sigmaTens), fyk + 1e-9);
    }
}

}  // namespace
