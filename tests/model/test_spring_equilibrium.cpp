// Equilibrium at the ends of a member on axial distributed springs: the
// support reaction taken from the member's end values must equal what the
// support's own spring carries, and match the closed form of a bar on an
// elastic axial foundation.
#include <gtest/gtest.h>

#include <cmath>

#include "model/analysis_driver.h"
#include "model/frame_results.h"
#include "model_builder.h"

namespace {

FrameResults& Results() {
    static FrameResults* r = AllocateFrameResults();
    return *r;
}

// Bar of length L along direction (cx, cy) on axial springs ku (kN/m2),
// held at its I end by a support spring K (kN/m) along the bar, pulled at
// its J end by P (kN) along the bar. Perpendicular springs kv keep it from
// moving sideways.
ModelBuilder SpringBar(double L, double cx, double cy, double ea, double ku, double K, double P) {
    ModelBuilder b;
    b.Node(1, 0, 0)
        .Node(2, L * cx, L * cy)
        .Material(1, ea / 0.1)
        .Section(1, 0.1, 0.01)
        .Member(1, 1, 2);
    b.Support(1, 1, kSupportSpring, K * std::fabs(cx), K * std::fabs(cy), 0);
    b.NodalLoad(1, 2, P * cx, P * cy);
    b.model().loadCases[1].baneCaseNo = 1;
    b.Spring(1, 1, ku, ku);
    return b;
}

// Closed form: EA u'' = ku u, EA u'(0) = K u(0), EA u'(L) = P. Returns u(0)
// (m); the support reaction is -K u(0).
double EndDisplacement(double L, double ea, double ku, double K, double P) {
    const double lambda = std::sqrt(ku / ea);
    return P / (ea * lambda * (std::sinh(lambda * L) + K / (ea * lambda) * std::cosh(lambda * L)));
}

}  // namespace

TEST(SpringEquilibrium, AxialSpringsLeaveTheEndReactionBalanced) {
    // lambda L = 1: the foundation takes a good part of the load and the
    // bar still moves at the supported end.
    const double L = 10, ea = 1e5, ku = 1000, K = 1000, P = 100;
    const double u0 = EndDisplacement(L, ea, ku, K, P);
    struct Direction {
        const char* what;
        double cx, cy;
    };
    for (const Direction& d : {Direction{"horizontal", 1, 0}, Direction{"vertical", 0, 1}}) {
        ModelBuilder b = SpringBar(L, d.cx, d.cy, ea, ku, K, P);
        ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999)) << d.what;
        const ResultCase& rc = Results().block[1];
        ASSERT_EQ(rc.reactionCount, 1) << d.what;
        const double r = d.cx != 0 ? rc.reactions[1].rx : rc.reactions[1].ry;
        const double u = (d.cx != 0 ? rc.nodes[1].dx : rc.nodes[1].dy) / 1000;  // m
        // The lumped springs of 100 segments reproduce the closed form
        // closely (0.5 %).
        EXPECT_NEAR(u, u0, 0.005 * u0) << d.what;
        // The reaction from the member's end force is the support spring's
        // force: node equilibrium at the support, to float precision.
        EXPECT_NEAR(r, -K * u, 1e-3 * K * u0) << d.what;
        EXPECT_NEAR(r, -K * u0, 0.005 * K * u0) << d.what;
        // N at the I end of the mapped member is the end force itself.
        EXPECT_NEAR(rc.members[1].values[kQtyN][1], K * u, 1e-3 * K * u0) << d.what;
        // At the J end the bar carries the applied load.
        const int n = Results().member[1].pointCount;
        EXPECT_NEAR(rc.members[1].values[kQtyN][n], P, 1e-3 * P) << d.what;
    }
}
