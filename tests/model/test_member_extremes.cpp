// The M-max and M-min rows through the whole driver, against closed forms:
// the peak under a concentrated load, on both sides of a couple, at the
// zero of the shear of distributed loads (of a load case and of a
// combination), on members cut into pieces by rigid zones; and the end
// values of members at a couple. The result points are the batch run's
// (every 0.06 m on a 6 m member), so none of these peaks lies on one.
// Units: m, kN, kN*m; M is sagging positive on members from left to right.
// Tolerances: 1e-5 relative for values from concentrated loads (float
// results); under distributed loads the moment is that of 100 midpoint
// slices of width w, up to q w^2 / 8 off between the slices' ends.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/analysis_driver.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model_builder.h"

namespace {

const double kE = 2.05e8, kA = 0.01, kI = 1e-4;

FrameResults& Results() {
    static FrameResults* r = AllocateFrameResults();
    return *r;
}

// A simply supported beam of length L along X (pin at node 1, roller at
// node 2) as one member, optionally with rigid zones at both ends.
ModelBuilder SimpleBeam(double L, double zone = 0) {
    ModelBuilder b;
    b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, L, 0).Member(1, 1, 2);
    b.model().members[1].rigidI = b.model().members[1].rigidJ = static_cast<float>(zone);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    return b;
}

FrameResults& Analysed(ModelBuilder& b, int capacity = 999) {
    FrameResults& r = Results();
    EXPECT_TRUE(RunFrameAnalysis(r, b.model(), false, false, capacity));
    return r;
}

struct Row {
    double pos, m, s, n, disp;
};

// The M-max (which 1) or M-min (which 2) row of member m in block b.
Row Extreme(const FrameResults& r, int block, int m, int which) {
    const MemberResult& mr = r.block[block].members[m];
    const int k = r.member[m].pointCount + which;
    return {mr.values[kQtyPos][k], mr.values[kQtyM][k], mr.values[kQtyS][k], mr.values[kQtyN][k],
            mr.values[kQtyDisp][k]};
}

double EndMoment(const FrameResults& r, int block, int m, bool jEnd) {
    const int k = jEnd ? r.member[m].pointCount : 1;
    return r.block[block].members[m].values[kQtyM][k];
}

void Near(double actual, double expected, double rel, const std::string& what) {
    EXPECT_NEAR(actual, expected, rel * std::max(std::fabs(expected), 1.0)) << what;
}

}  // namespace

// ---- concentrated loads -----------------------------------------------------

TEST(MemberExtremes, PeakUnderAPointLoadIsPabOverL) {
    // The reported fault: 10 kN at 2 m on 6 m gave 13.20 (the point at
    // 1.98 m) instead of 13.333. Upward loads give the M-min row instead.
    const double L = 6;
    struct Case {
        double a, p;  // position (m) and force along +v (up), kN
    };
    const Case cases[] = {{2.0, -10}, {0.7, -25}, {3.03, -4}, {4.55, 12}, {5.9, 7.5}};
    for (const Case& c : cases) {
        for (const int capacity : {999, 20}) {  // the batch run's and the window's
            ModelBuilder b = SimpleBeam(L);
            b.Load(1, kLoadConcPerp, 1, c.p, 0, c.a);
            b.Combination(1, 1.0, {{1, 1.5}});
            FrameResults& r = Analysed(b, capacity);
            const std::string what = "P " + std::to_string(c.p) + " at " + std::to_string(c.a) +
                                     ", capacity " + std::to_string(capacity);
            const double mPeak = -c.p * c.a * (L - c.a) / L;  // sagging under a downward load
            const int which = mPeak > 0 ? 1 : 2;
            const Row row = Extreme(r, 1, 1, which);
            EXPECT_NEAR(row.pos, c.a, 1e-6) << what;
            Near(row.m, mPeak, 1e-5, what);
            // S just before the load: the left reaction, -P b / L.
            Near(row.s, -c.p * (L - c.a) / L, 1e-5, what);
            EXPECT_EQ(row.n, 0.0f) << what;
            Near(Extreme(r, ComboBlockIndex(r, 1), 1, which).m, 1.5 * mPeak, 1e-5,
                 what + " combination");
            // The other row keeps its end point (M = 0 there).
            EXPECT_NEAR(Extreme(r, 1, 1, 3 - which).m, 0, 1e-5) << what;
            EXPECT_EQ(r.block[1].members[1].maxIndex == 0, which == 1) << what;
        }
    }
}

TEST(MemberExtremes, PeakOnAResultPointKeepsThatPoint) {
    // A load on a division point (3 m = 50 x 0.06): the point already
    // shows the peak, and it stays the M-max row with its own index.
    ModelBuilder b = SimpleBeam(6);
    b.Load(1, kLoadConcPerp, 1, -10, 0, 3.0);
    FrameResults& r = Analysed(b);
    const int k = r.block[1].members[1].maxIndex;
    ASSERT_GT(k, 0);
    EXPECT_NEAR(r.member[1].pointPos[k], 3.0, 1e-6);
    Near(Extreme(r, 1, 1, 1).m, 15, 1e-5, "M-max");
}

TEST(MemberExtremes, AFlatStretchKeepsTheMidLengthPoint) {
    // Four-point bending: 10 kN at 2 m and at 4 m (neither on a point) give
    // M = 20 all the way between them. The loads' places are no larger
    // than that, so the mid-length point keeps the M-max row, as it does
    // for any constant moment.
    ModelBuilder b = SimpleBeam(6);
    b.Load(1, kLoadConcPerp, 1, -10, 0, 2.0).Load(1, kLoadConcPerp, 1, -10, 0, 4.0);
    FrameResults& r = Analysed(b);
    const int k = r.block[1].members[1].maxIndex;
    ASSERT_GT(k, 0);
    EXPECT_NEAR(r.member[1].pointPos[k], 3.0, 1e-6);
    Near(Extreme(r, 1, 1, 1).m, 20, 1e-5, "M-max");
}

// ---- couples ----------------------------------------------------------------

TEST(MemberExtremes, CoupleAtAJointGivenOnEitherMember) {
    // A simple beam of 2 m + 4 m with a rigid joint at x = 2 where a couple
    // M0 = 12 acts: R = M0/6 = 2, M = +4 just before the couple and -8 just
    // after it, S = 2 throughout. Each member shows its own side at the
    // joint, whichever member (or the node) the couple is given on, so
    // member 1 never goes below 0 and member 2 never above it.
    const double M0 = 12;
    struct Case {
        const char* name;
        int code, member;
        double distI;
    };
    const Case cases[] = {{"nodal moment", kLoadNodal, 2, 0},
                          {"couple at the J end of member 1", kLoadConcMoment, 1, 2},
                          {"couple at the I end of member 2", kLoadConcMoment, 2, 0},
                          {"J end of member 1, 0.00005 short", kLoadConcMoment, 1, 1.99995}};
    for (const Case& c : cases) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, 2, 0).Node(3, 6, 0);
        b.Member(1, 1, 2).Member(2, 2, 3);
        b.Support(1, 1, kSupportPin).Support(1, 3, kSupportRollerY);
        if (c.code == kLoadNodal) {
            b.NodalLoad(1, 2, 0, 0, M0);
        } else {
            b.Load(1, kLoadConcMoment, c.member, M0, 0, c.distI);
        }
        b.Combination(1, 1.0, {{1, 1.0}});
        FrameResults& r = Analysed(b);
        for (const int block : {1, ComboBlockIndex(r, 1)}) {
            const std::string what = std::string(c.name) + ", block " + std::to_string(block);
            Near(EndMoment(r, block, 1, true), 4, 1e-5, what + ": member 1 at the joint");
            Near(EndMoment(r, block, 2, false), -8, 1e-5, what + ": member 2 at the joint");
            Near(Extreme(r, block, 1, 1).m, 4, 1e-5, what + ": member 1 M-max");
            EXPECT_NEAR(Extreme(r, block, 1, 2).m, 0, 1e-5) << what << ": member 1 M-min";
            EXPECT_NEAR(Extreme(r, block, 2, 1).m, 0, 1e-5) << what << ": member 2 M-max";
            Near(Extreme(r, block, 2, 2).m, -8, 1e-5, what + ": member 2 M-min");
            for (const int m : {1, 2})
                for (const int k : {1, r.member[m].pointCount})
                    Near(r.block[block].members[m].values[kQtyS][k], 2, 1e-5, what + ": S");
        }
        Near(ReactionOf(r, 1, 1)->ry, 2, 1e-5, std::string(c.name) + ": left reaction");
        Near(ReactionOf(r, 1, 3)->ry, -2, 1e-5, std::string(c.name) + ": right reaction");
        ExpectEquilibrium(b.model(), r);
    }
}

TEST(MemberExtremes, CoupleInsideAMemberGivesBothSides) {
    // The same beam as one 6 m member: 2 m lies between the points 1.98 and
    // 2.04, where M is 3.96 and -7.92; the rows carry +4 and -8 at 2 m.
    ModelBuilder b = SimpleBeam(6);
    b.Load(1, kLoadConcMoment, 1, 12, 0, 2);
    FrameResults& r = Analysed(b);
    const Row top = Extreme(r, 1, 1, 1), bottom = Extreme(r, 1, 1, 2);
    EXPECT_NEAR(top.pos, 2, 1e-6);
    EXPECT_NEAR(bottom.pos, 2, 1e-6);
    Near(top.m, 4, 1e-5, "before the couple");
    Near(bottom.m, -8, 1e-5, "after the couple");
    Near(top.s, 2, 1e-5, "S");
    Near(bottom.s, 2, 1e-5, "S");
}

TEST(MemberExtremes, CoupleAtAMemberEndOnASupport) {
    // Cantilevers with a couple at an end of their only member. Fixed at
    // the couple's end: the support takes it, the member stays unstressed.
    // Free at the couple's end: the member carries it along its length
    // (sagging M0 for a couple at the J end, hogging at the I end).
    const double L = 4, M0 = 6;
    struct Case {
        const char* name;
        double distI;
        int fixedNode;
        double memberM, rm;
    };
    const Case cases[] = {{"couple at the fixed I end", 0, 1, 0, -M0},
                          {"couple at the fixed J end", L, 2, 0, -M0},
                          {"couple at the free J end", L, 1, M0, -M0},
                          {"couple at the free I end", 0, 2, -M0, -M0}};
    for (const Case& c : cases) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, L, 0).Member(1, 1, 2);
        b.Support(1, c.fixedNode, kSupportFixed);
        b.Load(1, kLoadConcMoment, 1, M0, 0, c.distI);
        FrameResults& r = Analysed(b);
        for (const bool j : {false, true}) Near(EndMoment(r, 1, 1, j), c.memberM, 1e-5, c.name);
        Near(ReactionOf(r, 1, c.fixedNode)->rm, c.rm, 1e-5, std::string(c.name) + ": Rm");
        ExpectEquilibrium(b.model(), r);
    }
}

TEST(MemberExtremes, ForceAtAMemberEndGoesIntoTheSupportThere) {
    // Two spans of 6 m on a roller, a pin and a roller (nodes 1, 2, 3): a
    // force placed on the middle support, whichever way it is given, goes
    // wholly into that support and bends nothing. The J end of member 1
    // shows the side before such a force, so the reaction must add it.
    const double P = 10;
    struct Case {
        const char* name;
        int code, from, to;
        double distI, zone;
        double rx, ry;  // expected reaction at node 2
    };
    const Case cases[] = {
        {"global Y at the J end of member 1", kLoadConcY, 1, 0, 6, 0, 0, P},
        {"perpendicular at the J end of member 1", kLoadConcPerp, 1, 0, 6, 0, 0, P},
        {"global X at the J end of member 1", kLoadConcX, 1, 0, 6, 0, P, 0},
        {"axial at the J end of member 1", kLoadConcAxial, 1, 0, 6, 0, P, 0},
        {"0.00005 beyond the J end of member 1", kLoadConcY, 1, 0, 6.00005, 0, 0, P},
        {"at the joint of the run 1-2", kLoadConcY, 1, 2, 6, 0, 0, P},
        {"at the J end of member 1 with rigid zones", kLoadConcY, 1, 0, 6, 0.5, 0, P},
        {"at the I end of member 2", kLoadConcY, 2, 0, 0, 0, 0, P},
    };
    for (const Case& c : cases) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, 6, 0).Node(3, 12, 0);
        b.Member(1, 1, 2).Member(2, 2, 3);
        for (const int m : {1, 2})
            b.model().members[m].rigidI = b.model().members[m].rigidJ = static_cast<float>(c.zone);
        b.Support(1, 1, kSupportRollerY).Support(1, 2, kSupportPin).Support(1, 3, kSupportRollerY);
        b.Load(1, c.code, c.from, -P, 0, c.distI, 0, c.to);
        b.Combination(1, 1.0, {{1, 2.0}});
        FrameResults& r = Analysed(b);
        for (const int block : {1, ComboBlockIndex(r, 1)}) {
            const double w = block == 1 ? 1 : 2;
            const std::string what = std::string(c.name) + ", block " + std::to_string(block);
            const ReactionRow* mid = ReactionOf(r, block, 2);
            if (!mid) {
                ADD_FAILURE() << what << ": no reaction at the middle support";
                continue;
            }
            Near(mid->rx, w * c.rx, 1e-5, what + ": Rx at the middle support");
            Near(mid->ry, w * c.ry, 1e-5, what + ": Ry at the middle support");
            for (const int node : {1, 3}) {
                const ReactionRow* end = ReactionOf(r, block, node);
                if (end) {
                    EXPECT_NEAR(end->ry, 0, 1e-5) << what << ": Ry at node " << node;
                }
            }
            for (const int m : {1, 2})
                for (const int which : {1, 2})
                    EXPECT_NEAR(Extreme(r, block, m, which).m, 0, 1e-5) << what << ": member " << m;
        }
    }
    // The J end shows the member's own side: at a free tip the force the
    // member carries, the reaction at the wall being the same force.
    ModelBuilder b;
    b.Material(1, kE).Section(1, kA, kI).Node(1, 0, 0).Node(2, 4, 0).Member(1, 1, 2);
    b.Support(1, 1, kSupportFixed);
    b.Load(1, kLoadConcY, 1, -P, 0, 4);
    FrameResults& r = Analysed(b);
    Near(r.block[1].members[1].values[kQtyS][r.member[1].pointCount], P, 1e-5, "S at the tip");
    Near(ReactionOf(r, 1, 1)->ry, P, 1e-5, "Ry at the wall");
    Near(ReactionOf(r, 1, 1)->rm, 4 * P, 1e-5, "Rm at the wall");
    ExpectEquilibrium(b.model(), r);
}

// ---- distributed loads ------------------------------------------------------

TEST(MemberExtremes, PeakWhereTheShearOfDistributedLoadsVanishes) {
    const double L = 6, w = 10;
    auto sliceError = [&](double stretch) {
        const double width = stretch / 100;
        return w * width * width / 8 + 1e-5;
    };
    // Propped cantilever under a full UDL: 9 w L^2 / 128 at 3L/8 from the
    // prop (3.75 m from the wall, between 3.72 and 3.78).
    {
        ModelBuilder b = SimpleBeam(L);
        b.model().supportCases[1].entries[1].code = kSupportFixed;
        b.model().supportCases[1].entries[1].km = -1;
        b.Load(1, kLoadDistPerp, 1, -w, -w);
        FrameResults& r = Analysed(b);
        const Row row = Extreme(r, 1, 1, 1);
        EXPECT_NEAR(row.pos, 5 * L / 8, 1e-3) << "propped cantilever";
        EXPECT_NEAR(row.m, 9 * w * L * L / 128, sliceError(L)) << "propped cantilever";
        EXPECT_NEAR(row.s, 0, 1e-3 * w * L) << "zero shear";
        // Better than either neighbouring point.
        const int k = PointAt(r, 1, 5 * L / 8);
        EXPECT_GE(row.m, r.block[1].members[1].values[kQtyM][k]);
    }
    // Simple beam, UDL from 1 m to 4 m: R = 1.75 w, zero shear at 2.75 m,
    // M = 3.28125 w. Load case 2, a point load of 30 at 1 m, with a full UDL
    // of 10 in case 3: their combination has its own zero shear at 2.5 m,
    // M = 61.25, where neither case peaks.
    {
        ModelBuilder b = SimpleBeam(L);
        b.Load(1, kLoadDistPerp, 1, -w, -w, 1, 2);
        b.Load(2, kLoadConcPerp, 1, -30, 0, 1);
        b.Load(3, kLoadDistPerp, 1, -w, -w);
        b.Combination(1, 1.0, {{2, 1.0}, {3, 1.0}});
        FrameResults& r = Analysed(b);
        const Row partial = Extreme(r, 1, 1, 1);
        EXPECT_NEAR(partial.pos, 2.75, 1e-3) << "partial UDL";
        EXPECT_NEAR(partial.m, 3.28125 * w, sliceError(3)) << "partial UDL";
        const Row combined = Extreme(r, ComboBlockIndex(r, 1), 1, 1);
        EXPECT_NEAR(combined.pos, 2.5, 1e-3) << "combination";
        EXPECT_NEAR(combined.m, 61.25, sliceError(L)) << "combination";
    }
    // Linearly varying loads, where the shear is a parabola. A triangle
    // from 0 at the I end to w at the J end: the peak w L^2 / (9 sqrt 3) at
    // L / sqrt 3 (3.4641, between 3.42 and 3.48). A trapezoid from 4 at
    // 0.5 m to 10 at 4.7 m: R = W (L - c) / L, and the shear
    // R - (q1 t + h t^2 / 2) vanishes at t from the load's start.
    {
        ModelBuilder b = SimpleBeam(L);
        b.Load(1, kLoadDistPerp, 1, 0, -w);
        const double x1 = 0.5, x2 = 4.7, q1 = 4, q2 = 10;
        b.Load(2, kLoadDistPerp, 1, -q1, -q2, x1, L - x2);
        FrameResults& r = Analysed(b);
        const Row triangle = Extreme(r, 1, 1, 1);
        EXPECT_NEAR(triangle.pos, L / std::sqrt(3.0), 1e-3) << "triangle";
        EXPECT_NEAR(triangle.m, w * L * L / (9 * std::sqrt(3.0)), sliceError(L)) << "triangle";
        const double h = (q2 - q1) / (x2 - x1), W = (x2 - x1) * (q1 + q2) / 2;
        const double c = x1 + (x2 - x1) * (q1 + 2 * q2) / (3 * (q1 + q2));
        const double R = W * (L - c) / L;
        const double t = (std::sqrt(q1 * q1 + 2 * h * R) - q1) / h;
        const double mPeak = R * (x1 + t) - (q1 * t * t / 2 + h * t * t * t / 6);
        const Row trapezoid = Extreme(r, 2, 1, 1);
        EXPECT_NEAR(trapezoid.pos, x1 + t, 1e-3) << "trapezoid";
        EXPECT_NEAR(trapezoid.m, mPeak, q2 * std::pow((x2 - x1) / 100, 2) / 8 + 1e-5)
            << "trapezoid";
        for (const int block : {1, 2}) {
            const MemberResult& mr = r.block[block].members[1];
            for (int k = 1; k <= r.member[1].pointCount; ++k)
                EXPECT_GE(Extreme(r, block, 1, 1).m, mr.values[kQtyM][k]) << block << " " << k;
        }
    }
}

// ---- members cut into pieces ------------------------------------------------

TEST(MemberExtremes, PeakOnABeamOnSprings) {
    // A free 24 m beam on a Winkler foundation (cut into 100 pieces with
    // node springs), P = 100 at 12.1 m, between the points 12.0 and 12.24:
    // beta = (k / 4EI)^(1/4) = 0.5 /m and the infinite beam's P / (4 beta)
    // = 50 under the load (2 % for the springs' spacing).
    const double L = 24, P = 100;
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, L, 0).Material(1, 2e7).Section(1, 0.5, 0.01).Member(1, 1, 2);
    b.Load(1, kLoadConcY, 1, -P, 0, 12.1);
    FrameModel& m = b.model();
    m.loadCases[1].suptCaseNo = 0;
    m.loadCases[1].baneCaseNo = 1;
    m.springCaseCount = 1;
    m.springCases[1].no = 1;
    m.springCases[1].count = 1;
    m.springCases[1].entries[1] = {1, 5e4f, 1e3f};
    FrameResults& r = Analysed(b);
    const Row row = Extreme(r, 1, 1, 1);
    EXPECT_NEAR(row.pos, 12.1, 1e-4);
    EXPECT_NEAR(row.m, 50, 0.02 * 50);
    const MemberResult& mr = r.block[1].members[1];
    for (int k = 1; k <= r.member[1].pointCount; ++k) EXPECT_GT(row.m, mr.values[kQtyM][k]) << k;
}

TEST(MemberExtremes, RigidZonesDoNotMoveThePeak) {
    // A simple beam is statically determinate: zones of 0.5 m at both ends
    // (three pieces) change nothing in M. A load at 2 m lies on the middle
    // piece; a couple at 0.5 m on the joint of the I zone and the middle
    // piece (R = M0/6 = 2: M = 1 before it, -11 after it).
    {
        ModelBuilder b = SimpleBeam(6, 0.5);
        b.Load(1, kLoadConcPerp, 1, -10, 0, 2.0);
        FrameResults& r = Analysed(b);
        const Row row = Extreme(r, 1, 1, 1);
        EXPECT_NEAR(row.pos, 2.0, 1e-5);
        Near(row.m, 10 * 2.0 * 4.0 / 6, 1e-5, "load on the middle piece");
    }
    {
        ModelBuilder b = SimpleBeam(6, 0.5);
        b.Load(1, kLoadConcMoment, 1, 12, 0, 0.5);
        FrameResults& r = Analysed(b);
        const Row top = Extreme(r, 1, 1, 1), bottom = Extreme(r, 1, 1, 2);
        EXPECT_NEAR(top.pos, 0.5, 1e-5);
        EXPECT_NEAR(bottom.pos, 0.5, 1e-5);
        Near(top.m, 1, 1e-5, "before the couple");
        Near(bottom.m, -11, 1e-5, "after the couple");
        ExpectEquilibrium(b.model(), r);
    }
}
