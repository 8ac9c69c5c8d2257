// Single-span beams and bars through the whole engine, against textbook
// closed forms. Units: m, kN, kN*m; E = 2.05e8 kN/m2, I = 1e-4 m4.
// Node displacements are in mm and rotations in rad x 1000; M is sagging
// positive for a member from left to right (tension at the bottom);
// member displacement is the deflection below the chord in mm.
// Tolerances: displacements 1e-6 relative (double solution of float
// input), forces and moments 1e-5 relative (float results), values under
// distributed loads 1e-3 (100 midpoint slices), deflection from the chord
// 1e-3 (trapezoid integration at the result points).
#include <gtest/gtest.h>

#include <cmath>

#include "model/analysis_driver.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model_builder.h"

namespace {

const double kE = 2.05e8, kA = 0.01, kI = 1e-4;
// The model holds floats: expected values use the same numbers.
const double kEI = static_cast<double>(static_cast<float>(kE)) * static_cast<float>(kI);
const double kEA = static_cast<double>(static_cast<float>(kE)) * static_cast<float>(kA);

void Rel(double actual, double expected, double rel, const char* what) {
    EXPECT_NEAR(actual, expected, rel * std::max(std::fabs(expected), 1e-9)) << what;
}

// A beam of length L from node 1 at the origin to node 2, divided into n
// parts for its result points.
ModelBuilder Beam(double L, int n = 100) {
    ModelBuilder b;
    b.Material(1, kE, 1.2e-5).Section(1, kA, kI).Node(1, 0, 0).Node(2, L, 0).Member(1, 1, 2);
    DivideMember(b, 1, L, n);
    return b;
}

const NodeResult& NodeOf(const FrameResults& r, int block, int node) {
    return r.block[block].nodes[node];
}

}  // namespace

TEST(EngineBeams, CantileverTipLoad) {
    const double L = 4, P = 10;
    ModelBuilder b = Beam(L);
    b.Support(1, 1, kSupportFixed).NodalLoad(1, 2, 0, -P);
    FrameResults& r = Analyse(b.model());
    Rel(NodeOf(r, 1, 2).dy, -P * L * L * L / (3 * kEI) * 1000, 1e-6, "tip deflection");
    Rel(NodeOf(r, 1, 2).dt, -P * L * L / (2 * kEI) * 1000, 1e-6, "tip rotation");
    const ReactionRow* base = ReactionOf(r, 1, 1);
    ASSERT_NE(base, nullptr);
    EXPECT_NEAR(base->rx, 0, 1e-6);
    Rel(base->ry, P, 1e-5, "Ry");
    Rel(base->rm, P * L, 1e-5, "Rm");
    const int n = r.member[1].pointCount;
    Rel(Value(r, 1, 1, 1, kQtyM), -P * L, 1e-5, "M at the wall");
    EXPECT_NEAR(Value(r, 1, 1, n, kQtyM), 0, 1e-5 * P * L);
    Rel(Value(r, 1, 1, 37, kQtyS), P, 1e-5, "S");
    // Above the chord by P L^3 / (16 EI) at mid-length.
    Rel(Value(r, 1, 1, PointAt(r, 1, L / 2), kQtyDisp), -P * L * L * L / (16 * kEI) * 1000, 1e-3,
        "deflection from the chord");
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineBeams, ProppedCantileverUniformLoad) {
    const double L = 6, w = 10;
    ModelBuilder b = Beam(L);
    b.ViewPoints(1, {5 * L / 8});
    b.Support(1, 1, kSupportFixed).Support(1, 2, kSupportPin);
    b.Load(1, kLoadDistPerp, 1, -w, -w);
    FrameResults& r = Analyse(b.model());
    Rel(ReactionOf(r, 1, 1)->ry, 5 * w * L / 8, 1e-5, "Ry fixed end");
    Rel(ReactionOf(r, 1, 2)->ry, 3 * w * L / 8, 1e-5, "Ry prop");
    Rel(ReactionOf(r, 1, 1)->rm, w * L * L / 8, 1e-5, "Rm");
    Rel(Value(r, 1, 1, 1, kQtyM), -w * L * L / 8, 1e-5, "M at the wall");
    // Largest sagging moment 9 w L^2 / 128 at 5L/8 from the wall: M-max.
    const MemberResult& mr = r.block[1].members[1];
    const int n = r.member[1].pointCount;
    Rel(mr.values[kQtyPos][n + 1], 5 * L / 8, 1e-6, "M-max position");
    Rel(mr.values[kQtyM][n + 1], 9 * w * L * L / 128, 1e-3, "M-max");
    Rel(mr.values[kQtyM][n + 2], -w * L * L / 8, 1e-5, "M-min");
    EXPECT_EQ(mr.minIndex, 1);
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineBeams, FixedFixedUniformLoadWithFreeMidNode) {
    const double L = 8, w = 12;
    ModelBuilder b;
    b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, L / 2, 0).Node(3, L, 0);
    b.Member(1, 1, 2).Member(2, 2, 3);
    DivideMember(b, 1, L / 2, 50);
    DivideMember(b, 2, L / 2, 50);
    b.Support(1, 1, kSupportFixed).Support(1, 3, kSupportFixed);
    b.Load(1, kLoadDistPerp, 1, -w, -w, 0, 0, 2);
    FrameResults& r = Analyse(b.model());
    Rel(NodeOf(r, 1, 2).dy, -w * std::pow(L, 4) / (384 * kEI) * 1000, 1e-6, "mid deflection");
    EXPECT_NEAR(NodeOf(r, 1, 2).dt, 0, 1e-9);
    Rel(Value(r, 1, 1, 1, kQtyM), -w * L * L / 12, 1e-5, "end moment");
    Rel(Value(r, 1, 1, r.member[1].pointCount, kQtyM), w * L * L / 24, 1e-3, "mid moment");
    Rel(Value(r, 1, 2, 1, kQtyM), w * L * L / 24, 1e-3, "mid moment, second member");
    Rel(ReactionOf(r, 1, 1)->ry, w * L / 2, 1e-5, "Ry");
    Rel(ReactionOf(r, 1, 1)->rm, w * L * L / 12, 1e-5, "Rm left");
    Rel(ReactionOf(r, 1, 3)->rm, -w * L * L / 12, 1e-5, "Rm right");
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineBeams, SimplySupportedPointLoad) {
    const double L = 8, P = 10, a = 3, bb = L - a;
    ModelBuilder b = Beam(L, 80);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.Load(1, kLoadConcPerp, 1, -P, 0, a);
    FrameResults& r = Analyse(b.model());
    const int at = PointAt(r, 1, a);
    Rel(Value(r, 1, 1, at, kQtyM), P * a * bb / L, 1e-5, "M under the load");
    Rel(Value(r, 1, 1, 2, kQtyS), P * bb / L, 1e-5, "S left of the load");
    Rel(Value(r, 1, 1, at + 1, kQtyS), -P * a / L, 1e-5, "S right of the load");
    Rel(ReactionOf(r, 1, 1)->ry, P * bb / L, 1e-5, "Ry left");
    Rel(ReactionOf(r, 1, 2)->ry, P * a / L, 1e-5, "Ry right");
    EXPECT_EQ(ReactionOf(r, 1, 2)->rx, 0);  // the roller takes no horizontal force
    Rel(NodeOf(r, 1, 1).dt, -P * a * bb * (L + bb) / (6 * kEI * L) * 1000, 1e-6, "end rotation");
    Rel(Value(r, 1, 1, at, kQtyDisp), P * a * a * bb * bb / (3 * kEI * L) * 1000, 1e-3,
        "deflection under the load");
    EXPECT_EQ(r.block[1].members[1].maxIndex, at);
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineBeams, SimplySupportedTrapezoidalLoads) {
    const double L = 6;
    ModelBuilder b = Beam(L, 60);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    // Case 1: 4 kN/m at I rising to 10 kN/m at J, downward, full length.
    b.Load(1, kLoadDistPerp, 1, -4, -10);
    // Case 2: 6 kN/m falling to 3 kN/m from x = 1 to x = 4 (global Y).
    b.Load(2, kLoadDistY, 1, -6, -3, 1, 2);
    FrameResults& r = Analyse(b.model());
    Rel(ReactionOf(r, 1, 1)->ry, L * (2 * 4 + 10) / 6.0, 1e-5, "case 1 Ry left");
    Rel(ReactionOf(r, 1, 2)->ry, L * (4 + 2 * 10) / 6.0, 1e-5, "case 1 Ry right");
    // Mid-span: R_I L/2 - q1 (L/2)^2 / 2 - (q_mid - q1) (L/2)^2 / 6.
    Rel(Value(r, 1, 1, PointAt(r, 1, 3), kQtyM), 18.0 * 3 - 4 * 9 / 2.0 - 3 * 9 / 6.0, 1e-3,
        "case 1 mid moment");
    // Case 2: resultant 13.5 kN at 7/3 m from I.
    Rel(ReactionOf(r, 2, 1)->ry, 13.5 * (L - 7.0 / 3) / L, 1e-5, "case 2 Ry left");
    Rel(ReactionOf(r, 2, 2)->ry, 13.5 * (7.0 / 3) / L, 1e-5, "case 2 Ry right");
    Rel(Value(r, 2, 1, PointAt(r, 1, 5), kQtyS), -13.5 * (7.0 / 3) / L, 1e-5, "case 2 S beyond");
    Rel(Value(r, 2, 1, PointAt(r, 1, 0.5), kQtyM), 8.25 * 0.5, 1e-5, "case 2 M before the load");
    ExpectEquilibrium(b.model(), r);
}

// A counter-clockwise couple M0 at a on a member of 4 m, for the member's
// end cases: expected vertical reactions at both nodes and the moment
// reactions, from textbook formulas (Roark for the propped cases).
TEST(EngineBeams, ConcentratedMomentOnEveryEndCase) {
    const double L = 4, M0 = 8;
    struct Row {
        const char* name;
        int supportI, supportJ, endI, endJ;
        double a, ryI, rmI, rmJ;
    };
    auto propJ = [&](double a) { return 3 * M0 * (L * L - (L - a) * (L - a)) / (2 * L * L * L); };
    auto propI = [&](double a) { return 3 * M0 * (L * L - a * a) / (2 * L * L * L); };
    const Row rows[] = {
        // Fixed-fixed: R_I = 6 M0 a b / L^3, M_I = M0 b (2a - b)/L^2, M_J = M0 a (2b - a)/L^2.
        {"fixed-fixed mid", kSupportFixed, kSupportFixed, 0, 0, 2, 1.5 * M0 / L, M0 / 4, M0 / 4},
        {"fixed-fixed a=1", kSupportFixed, kSupportFixed, 0, 0, 1, 6 * M0 * 3 / 64, -1.5, 2.5},
        {"simple", kSupportPin, kSupportRollerY, 0, 0, 1, M0 / L, 0, 0},
        {"simple, pinned member", kSupportPin, kSupportRollerY, 1, 1, 3, M0 / L, 0, 0},
        // Fixed at I, propped at J: the member's J end pinned, or the node.
        {"propped, member pin at J", kSupportFixed, kSupportPin, 0, 1, 1, propJ(1),
         L * propJ(1) - M0, 0},
        {"propped, support pin at J", kSupportFixed, kSupportPin, 0, 0, 1, propJ(1),
         L * propJ(1) - M0, 0},
        {"propped, member pin at I", kSupportPin, kSupportFixed, 1, 0, 1, propI(1), 0,
         L * propI(1) - M0},
    };
    for (const Row& row : rows) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, L, 0);
        b.Member(1, 1, 2, row.endI, row.endJ);
        DivideMember(b, 1, L, 40);
        b.Support(1, 1, row.supportI).Support(1, 2, row.supportJ);
        b.Load(1, kLoadConcMoment, 1, M0, 0, row.a);
        std::string warnings;
        FrameResults& r = Analyse(b.model(), &warnings);
        EXPECT_EQ(warnings, "") << row.name;
        Rel(ReactionOf(r, 1, 1)->ry, row.ryI, 1e-5, row.name);
        Rel(ReactionOf(r, 1, 2)->ry, -row.ryI, 1e-5, row.name);
        EXPECT_NEAR(ReactionOf(r, 1, 1)->rm, row.rmI, 1e-5 * M0) << row.name;
        EXPECT_NEAR(ReactionOf(r, 1, 2)->rm, row.rmJ, 1e-5 * M0) << row.name;
        // No transverse load: S is the left reaction everywhere.
        const int n = r.member[1].pointCount;
        for (int p : {1, 15, n}) Rel(Value(r, 1, 1, p, kQtyS), row.ryI, 1e-5, row.name);
        // M jumps by -M0 across the couple.
        const int at = PointAt(r, 1, row.a);
        Rel(Value(r, 1, 1, at, kQtyM) - Value(r, 1, 1, at + 1, kQtyM),
            M0 + row.ryI * (r.member[1].pointPos[at] - r.member[1].pointPos[at + 1]), 1e-5,
            row.name);
        if (row.endJ == 1) {
            EXPECT_NEAR(Value(r, 1, 1, n, kQtyM), 0, 1e-5 * M0) << row.name;
        }
        ExpectEquilibrium(b.model(), r);
    }
}

TEST(EngineBeams, TemperatureOnBars) {
    const double L = 5, dT = 30, alpha = 1.2e-5;
    const double a = static_cast<float>(alpha);
    // Held at both ends: N = -alpha dT EA, pushing both supports outward.
    {
        ModelBuilder b = Beam(L, 10);
        b.Support(1, 1, kSupportFixed).Support(1, 2, kSupportFixed);
        b.Load(1, kLoadTemperature, 1, dT);
        FrameResults& r = Analyse(b.model());
        for (int p : {1, 5, 11}) Rel(Value(r, 1, 1, p, kQtyN), -a * dT * kEA, 1e-5, "N");
        Rel(ReactionOf(r, 1, 1)->rx, a * dT * kEA, 1e-5, "Rx left");
        Rel(ReactionOf(r, 1, 2)->rx, -a * dT * kEA, 1e-5, "Rx right");
        ExpectEquilibrium(b.model(), r);
    }
    // Two equal bars in series, only the first heated: each carries half.
    {
        ModelBuilder b;
        b.Material(1, kE, alpha).Section(1, kA, kI).Node(1, 0, 0).Node(2, L, 0).Node(3, 2 * L, 0);
        b.Member(1, 1, 2).Member(2, 2, 3);
        b.Support(1, 1, kSupportFixed)
            .Support(1, 3, kSupportFixed)
            .Load(1, kLoadTemperature, 1, dT);
        FrameResults& r = Analyse(b.model());
        Rel(Value(r, 1, 1, 1, kQtyN), -a * dT * kEA / 2, 1e-5, "N heated");
        Rel(Value(r, 1, 2, 1, kQtyN), -a * dT * kEA / 2, 1e-5, "N cold");
        Rel(NodeOf(r, 1, 2).dx, a * dT * L / 2 * 1000, 1e-6, "joint movement");
        ExpectEquilibrium(b.model(), r);
    }
    // Free to expand on a roller: no force, the end moves alpha dT L.
    {
        ModelBuilder b = Beam(L, 10);
        b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
        b.Load(1, kLoadTemperature, 1, dT);
        FrameResults& r = Analyse(b.model());
        EXPECT_NEAR(Value(r, 1, 1, 3, kQtyN), 0, 1e-6 * a * dT * kEA);
        Rel(NodeOf(r, 1, 2).dx, a * dT * L * 1000, 1e-6, "free expansion");
        ExpectEquilibrium(b.model(), r);
    }
}

// A linear load whose resultant vanishes (-q to +q) still turns the beam:
// its moment about the ends is kept whatever the resultant. Before, the
// load terms took the centroid as the midpoint below a resultant of 1e-9,
// so -8 to +8 kN/m on a 6 m simple beam gave no reactions instead of +-8 kN
// (-8 to +8.001 gave the right ones). A load changed by a hair changes the
// reactions by a hair.
TEST(EngineBeams, AZeroResultantLoadKeepsItsMoment) {
    struct Row {
        const char* what;
        int spans;  // of 6 m / spans each, loaded as one run
        double q;   // from -q to +q
        double r1;  // hand reaction at the left end (NaN: continuity only)
    };
    const Row rows[] = {
        {"simple beam, -8 to +8", 1, 8, 8.0},  // R1 = -(1/L) int q (L - x) dx
        {"three spans, -12 to +12", 3, 12, NAN},
    };
    for (const Row& row : rows) {
        double reactions[2][4] = {};
        for (int variant = 0; variant < 2; ++variant) {
            ModelBuilder b;
            b.Material(1, kE).Section(1, kA, kI);
            const double span = 6.0 / row.spans;
            for (int n = 0; n <= row.spans; ++n) b.Node(n + 1, n * span, 0);
            for (int m = 1; m <= row.spans; ++m) b.Member(m, m, m + 1);
            b.Support(1, 1, kSupportPin);
            for (int n = 2; n <= row.spans + 1; ++n) b.Support(1, n, kSupportRollerY);
            const double qJ = row.q + (variant == 1 ? 1e-3 : 0);
            b.Load(1, 14, 1, -row.q, qJ, 0, 0, row.spans > 1 ? row.spans : 0);
            b.Combination(1, 1.0, {{1, 1.0}});
            FrameResults& r = *AllocateFrameResults();
            ASSERT_TRUE(RunFrameAnalysis(r, b.model(), false, false, 999));
            ExpectEquilibrium(b.model(), r);
            for (int n = 1; n <= row.spans + 1; ++n)
                reactions[variant][n - 1] = ReactionOf(r, 1, n)->ry;
        }
        if (!std::isnan(row.r1)) {
            Rel(reactions[0][0], row.r1, 1e-5, row.what);
            Rel(reactions[0][1], -row.r1, 1e-5, row.what);
        }
        for (int n = 0; n <= row.spans; ++n)
            EXPECT_NEAR(reactions[0][n], reactions[1][n], 0.01) << row.what << " node " << n + 1;
    }
}
