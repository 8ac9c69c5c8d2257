// Ultimate bending capacity with the rectangular stress block 0.68 f'cd b x
// at 0.4 x, εcu = 0.0035, fck 40, fyk 345, Es 2e5, Ec 31000, all γ = 1.
// Closed forms: for a singly reinforced beam x = At fy / (0.68 fc b) and
// Mu = At fy (d - 0.4 x); with compression bars the equilibrium is solved
// for x from the strain of those bars.
#include <gtest/gtest.h>

#include <cmath>

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

TEST(RcUltimateMoment, AxialForceOnly) {
    const UltimateResult c = Ultimate(kS1, 0, 1000);
    EXPECT_NEAR(c.nu, (0.85 * 40 * 1e6 + 345 * (2292 + 3096.8)) * 0.001, 1e-6);
    EXPECT_NEAR(c.mu, 0.001, 0);
    const UltimateResult t = Ultimate(kS1, 0, -1000);
    EXPECT_NEAR(t.nu, -345 * (2292 + 3096.8) * 0.001, 1e-6);
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

// Axial force alone: the capacity of S1 in pure compression or tension is
// reported, while the moment ratio stays 0 (there is no moment to rate):
//   compression Nu = 0.85 fck b H + fyd (As1 + As2) = 34000 + 1859.136
//                  = 35859.136 kN; tension Nu = -fyd (As1 + As2) = -1859.136 kN.
TEST(RcUltimateMoment, AxialForceAloneReportsTheAxialCapacity) {
    struct Row {
        double n, nu;
    } rows[] = {{1000, 35859.136}, {40000, 35859.136}, {-1000, -1859.136}, {-2000, -1859.136}};
    for (const Row& r : rows) {
        RcPointCheck pt = MakeS1Point();
        pt.cases[1].muCK = 1;
        SetForces(pt, 0, r.n);
        CheckBending(pt, 1);
        EXPECT_NEAR(pt.cases[1].nu, r.nu, 0.01) << r.n;
        EXPECT_EQ(pt.cases[1].fm, 0.0f) << r.n;
        EXPECT_EQ(pt.cases[1].ngFm, 0) << r.n;
    }
}

TEST(RcUltimateMoment, UnsetMaterialsGiveFiniteResults) {
    UltimateResult r;
    UltimateMoment(r, RcSectionGeom{}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.0035, 100, 10);
    EXPECT_TRUE(std::isfinite(r.mu));
    EXPECT_TRUE(std::isfinite(r.nu));
}

}  // namespace
