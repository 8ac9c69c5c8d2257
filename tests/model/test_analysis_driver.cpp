// The analysis driver end to end: expansion, analysis, mapping back and
// thinning, checked against closed-form beam results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/analysis_driver.h"
#include "model/expansion.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/progress.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "tests/case_output.h"

namespace {

FrameResults& Results() {
    static FrameResults* r = AllocateFrameResults();
    return *r;
}

struct Point {
    double pos, m, s, n, disp;
};

Point PointValues(const FrameResults& r, int block, int member, int k) {
    const MemberResult& mr = r.block[block].members[member];
    return {mr.values[kQtyPos][k], mr.values[kQtyM][k], mr.values[kQtyS][k], mr.values[kQtyN][k],
            mr.values[kQtyDisp][k]};
}

// Index of the point at position x (m), 0 when none.
int DriverPointAt(const FrameResults& r, int member, double x) {
    for (int k = 1; k <= r.member[member].pointCount; ++k)
        if (std::fabs(r.block[1].members[member].values[kQtyPos][k] - x) < 1e-4) return k;
    return 0;
}

// A cantilever along X, fixed at node 1, tip load P (kN, global Y) at node 2.
ModelBuilder Cantilever(double length, double e, double inertia, double p, double zoneI) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, length, 0).Material(1, e).Section(1, 1.0, inertia).Member(1, 1, 2);
    b.model().members[1].rigidI = static_cast<float>(zoneI);
    b.Support(1, 1, kSupportFixed).NodalLoad(1, 2, 0, p);
    b.Combination(1, 1.0, {{1, 1.0}});
    return b;
}

}  // namespace

// ---- rigid zones ------------------------------------------------------------

TEST(AnalysisDriverZones, RigidZoneCantileverMatchesClosedForm) {
    const double L = 4.0, a = 1.0, E = 2.0e7, I = 0.002, P = -10.0;
    ModelBuilder b = Cantilever(L, E, I, P, a);
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    const FrameResults& r = Results();
    // Unit-load method: the zone (0..a) has E x 100.
    const double EI = E * I;
    const double delta =
        P * (std::pow(L, 3) - std::pow(L - a, 3)) / (300 * EI) + P * std::pow(L - a, 3) / (3 * EI);
    EXPECT_NEAR(r.block[1].nodes[2].dy, delta * 1000.0, std::fabs(delta * 1000.0) * 1e-4);
    // The support takes the load and the moment P L.
    ASSERT_EQ(r.block[1].reactionCount, 1);
    EXPECT_NEAR(r.block[1].reactions[1].ry, -P, 1e-4);
    EXPECT_NEAR(std::fabs(r.block[1].reactions[1].rm), std::fabs(P * L), 1e-3);
    // Mapped back onto the one user member, from 0 to L, shear P throughout,
    // moment linear from P L to 0 (the zone's end at a included).
    EXPECT_EQ(r.memberCount, 1);
    const int n = r.member[1].pointCount;
    EXPECT_NEAR(PointValues(r, 1, 1, 1).pos, 0.0, 1e-6);
    EXPECT_NEAR(PointValues(r, 1, 1, n).pos, L, 1e-4);
    const int ka = DriverPointAt(r, 1, a);
    ASSERT_GT(ka, 0);
    EXPECT_NEAR(std::fabs(PointValues(r, 1, 1, ka).m), std::fabs(P) * (L - a), 1e-3);
    for (int k = 1; k <= n; ++k) {
        EXPECT_NEAR(std::fabs(PointValues(r, 1, 1, k).s), std::fabs(P), 1e-3) << "point " << k;
        EXPECT_NEAR(std::fabs(PointValues(r, 1, 1, k).m),
                    std::fabs(P) * (L - PointValues(r, 1, 1, k).pos), 2e-3)
            << "point " << k;
    }
}

TEST(AnalysisDriverZones, ZonesSwitchedOffGiveThePlainCantilever) {
    const double L = 4.0, E = 2.0e7, I = 0.002, P = -10.0;
    ModelBuilder b = Cantilever(L, E, I, P, 0.0);
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    const double delta = P * L * L * L / (3 * E * I);
    EXPECT_NEAR(Results().block[1].nodes[2].dy, delta * 1000.0, std::fabs(delta * 1000.0) * 1e-4);
}

TEST(AnalysisDriverZones, MappedMembersCarryTheUsersNumbersNodesAndLabels) {
    ModelBuilder b;
    b.Node(10, 0, 0).Node(20, 6, 0).Material(1, 2e7).Section(1, 0.1, 0.002).Member(7, 10, 20, 0, 1);
    b.model().members[1].rigidI = 0.5f;
    b.model().members[1].rigidJ = 0.5f;
    b.Support(1, 10, kSupportPin).Support(1, 20, kSupportRollerY).Load(1, kLoadDistY, 7, -10, -10);
    b.ViewPoints(7, {3.0}, "中央"_sj.c_str());
    b.Combination(1, 1.0, {{1, 1.0}});
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    const ResultMember& rm = Results().member[1];
    EXPECT_EQ(rm.no, 7);
    EXPECT_EQ(rm.nodeI, 10);
    EXPECT_EQ(rm.nodeJ, 20);
    EXPECT_EQ(rm.endI, 0);
    EXPECT_EQ(rm.endJ, 1);
    EXPECT_STREQ(rm.pointLabel[1], "ﾀﾝﾌﾞ"_sj.c_str());
    EXPECT_STREQ(rm.pointLabel[rm.pointCount], "ﾀﾝﾌﾞ"_sj.c_str());
    const int mid = DriverPointAt(Results(), 1, 3.0);
    ASSERT_GT(mid, 0);
    EXPECT_STREQ(rm.pointLabel[mid], "中央"_sj.c_str());
    for (int k = 2; k < rm.pointCount; ++k)
        if (k != mid) {
            EXPECT_STREQ(rm.pointLabel[k], "") << "point " << k;
        }
    // Simple beam under q = 10 over 6 m: midspan moment q L^2 / 8.
    EXPECT_NEAR(std::fabs(PointValues(Results(), 1, 1, mid).m), 10 * 36 / 8.0, 0.5);
}

TEST(AnalysisDriverZones, NamesGoToTheRoundedPointsCutAndWithoutBlanks) {
    // The point list rounds a named distance to 0.001 m and cuts its name
    // to 20 bytes; the mapped points carry those names, blanks removed,
    // with and without rigid zones.
    for (const double zone : {0.0, 0.5}) {
        ModelBuilder b;
        b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2e7).Section(1, 0.1, 0.002).Member(1, 1, 2);
        b.model().members[1].rigidI = static_cast<float>(zone);
        b.model().rigidZoneSwitch = 1;
        b.Support(1, 1, kSupportPin)
            .Support(1, 2, kSupportRollerY)
            .Load(1, kLoadDistY, 1, -10, -10);
        b.ViewPoints(1, {2.0004}, "P Q");
        b.ViewPoints(1, {4.0}, "ABCDEFGHIJKLMNOPQRSTUV");
        ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999)) << zone;
        const ResultMember& rm = Results().member[1];
        const int k2 = DriverPointAt(Results(), 1, 2.0), k4 = DriverPointAt(Results(), 1, 4.0);
        ASSERT_GT(k2, 0) << zone;
        ASSERT_GT(k4, 0) << zone;
        EXPECT_STREQ(rm.pointLabel[k2], "PQ") << zone;
        EXPECT_STREQ(rm.pointLabel[k4], "ABCDEFGHIJKLMNOPQRST") << zone;
        EXPECT_EQ(rm.pointKind[k2], 2) << zone;
    }
}

// ---- distributed springs -----------------------------------------------------

namespace {

// A free beam of length L on springs kv (kN/m2) along X with a point load P
// (kN, downwards) at its centre.
ModelBuilder FoundationBeam(double L, double E, double I, double kv, double ku, double P) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, L, 0).Material(1, E).Section(1, 0.5, I).Member(1, 1, 2);
    b.Load(1, kLoadConcY, 1, -P, 0, L / 2);
    FrameModel& m = b.model();
    m.loadCases[1].suptCaseNo = 0;
    m.loadCases[1].baneCaseNo = 1;
    b.Spring(1, 1, kv, ku);
    b.Combination(1, 1.0, {{1, 1.0}});
    return b;
}

}  // namespace

TEST(AnalysisDriverSprings, BeamOnElasticFoundationMatchesTheInfiniteBeam) {
    // beta = (k / 4EI)^(1/4) = 0.5 /m; the ends lie at beta x = 6 from the
    // load, where the infinite-beam solution has decayed to 0.25 %.
    const double L = 24, E = 2e7, I = 0.01, k = 5e4, P = 100;
    ModelBuilder b = FoundationBeam(L, E, I, k, 1e3, P);
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    const FrameResults& r = Results();
    const double beta = std::pow(k / (4 * E * I), 0.25);
    const int mid = DriverPointAt(r, 1, L / 2);
    ASSERT_GT(mid, 0);
    const double w0 = P * beta / (2 * k) * 1000;  // mm
    EXPECT_NEAR(std::fabs(PointValues(r, 1, 1, mid).disp), w0, 0.02 * w0);
    const double m0 = P / (4 * beta);
    EXPECT_NEAR(std::fabs(PointValues(r, 1, 1, mid).m), m0, 0.02 * m0);
    EXPECT_EQ(SpringSegmentCount[1], 100);
}

TEST(AnalysisDriverSprings, NodeSpringForcesBalanceTheLoad) {
    const double L = 24, E = 2e7, I = 0.01, k = 5e4, P = 100;
    ModelBuilder b = FoundationBeam(L, E, I, k, 1e3, P);
    auto copy = NewFrameModelRecord();
    const ExpansionResult expansion = ExpandFrameModel(*copy, b.model(), true, false);
    std::string warnings;
    ASSERT_TRUE(AnalyseLoadCases(Results(), *copy, warnings, -1, expansion.springs));
    EXPECT_EQ(warnings, "");
    double sumFy = 0, sumFx = 0;
    const SuptCase& sc = copy->supportCases[1];
    ASSERT_EQ(sc.count, 100);
    for (int e = 1; e <= sc.count; ++e) {
        const int node = FindNodeIndex(*copy, sc.entries[e].nodeNo);
        sumFy += sc.entries[e].ky * Results().block[1].nodes[node].dy / 1000.0;
        sumFx += sc.entries[e].kx * Results().block[1].nodes[node].dx / 1000.0;
    }
    EXPECT_NEAR(sumFy, -P, 1e-3 * P);  // springs push up as much as the load pushes down
    EXPECT_NEAR(sumFx, 0, 1e-6);
}

TEST(AnalysisDriverSprings, ShearAndAxialForceAreContinuousAcrossPieceJoints) {
    // Axial springs make N change at every spring node, and a lateral load
    // makes S change there: after the mapping back no step is left at the
    // joints beyond what the springs between two neighbouring points carry.
    const double L = 10, E = 2e7, I = 0.01;
    ModelBuilder b = FoundationBeam(L, E, I, 2e4, 2e4, 50);
    b.Load(1, kLoadConcX, 1, 40, 0, L);  // pulls the beam along its axis
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    const FrameResults& r = Results();
    const int n = r.member[1].pointCount;
    ASSERT_GT(n, 50);
    double worstS = 0, worstN = 0;
    for (int k = 1; k < n; ++k) {
        const Point p = PointValues(r, 1, 1, k), q = PointValues(r, 1, 1, k + 1);
        if (std::fabs(q.pos - 5.0) < 0.06 || std::fabs(p.pos - 5.0) < 0.06)
            continue;  // the point load
        worstS = std::max(worstS, std::fabs(q.s - p.s));
        worstN = std::max(worstN, std::fabs(q.n - p.n));
    }
    // Points lie 0.1 m apart: S changes by at most q x 0.1 with the spring
    // pressure q = k w <= 2e4 x 0.00066 = 13 kN/m, N by ku u x 0.1 < 0.5 kN.
    EXPECT_LT(worstS, 2.0);
    EXPECT_LT(worstN, 0.5);
}

TEST(AnalysisDriverSprings, AClearAfterTheAnalysisLeavesEveryByteZero) {
    // The 50 pieces of the one user member were written to the record
    // before the mapping back left it one member: clearing the record,
    // which writes only where analyses wrote, must still find them.
    ModelBuilder b = FoundationBeam(10, 2e7, 0.01, 2e4, 2e4, 50);
    FrameResults& r = Results();
    ASSERT_TRUE(RunFrameAnalysis(r, b.model(), false, false, 999));
    ASSERT_EQ(r.memberCount, 1);
    ASSERT_GT(WrittenFrameResultsExtent(r).members, 50);
    ClearFrameResults(r);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof r, [](unsigned char c) { return c == 0; }));
}

// ---- mapping back, hand-built pieces ----------------------------------------

namespace {

// User member 1 from (0,0) to (2,0) split into two pieces at node 3 (1,0);
// each piece has points at 0, 0.5 and 1.
struct TwoPieces {
    ModelBuilder user, expanded;
    TwoPieces() {
        user.Node(1, 0, 0).Node(2, 2, 0).Material(1, 2e7).Section(1, 0.1, 0.002).Member(1, 1, 2);
        user.LoadCaseDef(1, 0);
        user.model().members[1].length = 2;
        user.model().members[1].segFirst = 1;
        user.model().members[1].segLast = 2;
        expanded.Node(1, 0, 0).Node(2, 2, 0).Node(3, 1, 0).Material(1, 2e7).Section(1, 0.1, 0.002);
        expanded.Member(1, 1, 3).Member(2, 3, 2);
        expanded.model().members[1].length = 1;
        expanded.model().members[2].length = 1;
        expanded.LoadCaseDef(1, 0);
    }
    void Fill(FrameResults& r, double s1, double s2, double n1, double n2, double dy3) {
        ClearFrameResults(r);
        r.caseCount = 1;
        r.nodeCount = 3;
        r.memberCount = 2;
        r.block[1].caseNo = 1;
        r.block[1].nodes[3].dy = dy3;
        const double s[3] = {0, s1, s2}, n[3] = {0, n1, n2};
        for (int b = 1; b <= 2; ++b) {
            r.member[b].pointCount = 3;
            for (int k = 1; k <= 3; ++k) {
                MemberResult& mr = r.block[1].members[b];
                mr.values[kQtyPos][k] = 0.5f * (k - 1);
                mr.values[kQtyS][k] = static_cast<float>(s[b]);
                mr.values[kQtyN][k] = static_cast<float>(n[b]);
                mr.values[kQtyM][k] = static_cast<float>(b * 10 + k);
            }
        }
    }
};

}  // namespace

TEST(AnalysisDriverMapping, JumpsAreSharedAndTheJointIsTakenOnce) {
    TwoPieces tp;
    FrameResults& r = Results();
    tp.Fill(r, 10, 20, -4, 4, 0);
    CollapseExpandedResults(r, tp.expanded.model(), tp.user.model(), false, false, 999);
    ASSERT_EQ(r.memberCount, 1);
    ASSERT_EQ(r.member[1].pointCount, 5);
    const double pos[5] = {0, 0.5, 1.0, 1.5, 2.0};
    const double s[5] = {10, 12.5, 15, 17.5, 20};
    const double n[5] = {-4, -2, 0, 2, 4};
    const double m[5] = {11, 12, 13, 22, 23};  // the joint keeps the first piece's values
    for (int k = 1; k <= 5; ++k) {
        const Point p = PointValues(r, 1, 1, k);
        EXPECT_NEAR(p.pos, pos[k - 1], 1e-6) << k;
        EXPECT_NEAR(p.s, s[k - 1], 1e-5) << k;
        EXPECT_NEAR(p.n, n[k - 1], 1e-5) << k;
        EXPECT_NEAR(p.m, m[k - 1], 1e-5) << k;
        EXPECT_EQ(r.member[1].pointKind[k], k == 1 || k == 5 ? 2 : 1) << k;
    }
    // The M-max/M-min copies follow the points.
    EXPECT_NEAR(PointValues(r, 1, 1, 6).m, 23, 1e-5);
    EXPECT_NEAR(PointValues(r, 1, 1, 7).m, 11, 1e-5);
}

TEST(AnalysisDriverMapping, DisplacementIsMeasuredFromTheUsersChord) {
    TwoPieces tp;
    FrameResults& r = Results();
    tp.Fill(r, 0, 0, 0, 0, 10.0);  // the inner node moves up 10 mm
    CollapseExpandedResults(r, tp.expanded.model(), tp.user.model(), false, false, 999);
    // Deflection is positive away from the member's left side (-v).
    const double disp[5] = {0, -5, -10, -5, 0};
    for (int k = 1; k <= 5; ++k) EXPECT_NEAR(PointValues(r, 1, 1, k).disp, disp[k - 1], 1e-4) << k;
}

// ---- thinning ---------------------------------------------------------------

namespace {

ModelBuilder SimpleBeam(double L) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, L, 0).Material(1, 2e7).Section(1, 0.1, 0.002).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY).Load(1, kLoadDistY, 1, -10, -10);
    b.Combination(1, 1.0, {{1, 1.0}});
    return b;
}

}  // namespace

TEST(AnalysisDriverThinning, CapacityKeepsEndsNamedPointsAndStridePoints) {
    struct Case {
        const char* what;
        int capacity;
        bool useViewDivisions;
        bool named;
        int expected;
    };
    const Case cases[] = {
        {"batch default keeps every point", 999, false, false, 101},
        {"capacity 20: ends and 19 strides", 20, false, false, 21},
        {"capacity 20 with a named point", 20, false, true, 22},
        {"view divisions without a range: ends and named point", 20, true, true, 3},
    };
    for (const Case& c : cases) {
        ModelBuilder b = SimpleBeam(10);
        if (c.named) b.ViewPoints(1, {3.3}, "P");
        ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, c.useViewDivisions, c.capacity))
            << c.what;
        const FrameResults& r = Results();
        const ResultMember& rm = r.member[1];
        EXPECT_EQ(rm.pointCount, c.expected) << c.what;
        EXPECT_NEAR(rm.pointPos[1], 0, 1e-6) << c.what;
        EXPECT_NEAR(rm.pointPos[rm.pointCount], 10, 1e-4) << c.what;
        if (c.named) {
            EXPECT_GT(DriverPointAt(r, 1, 3.3), 0) << c.what;
        }
        if (c.capacity == 20 && !c.useViewDivisions) {
            // Stride n * 101 / 20 of the 101 points 0, 0.1, ..., 10.
            for (int n = 1; n <= 19; ++n) {
                const double x = 0.1 * (n * 101 / 20 - 1);
                EXPECT_GT(DriverPointAt(r, 1, x), 0) << c.what << " stride " << n;
            }
        }
        // The extremes stay behind the kept points in every block.
        const int n = rm.pointCount;
        for (int block : {1, ComboBlockIndex(r, 1)}) {
            const MemberResult& mr = r.block[block].members[1];
            EXPECT_NEAR(mr.values[kQtyM][n + 1], 10 * 100 / 8.0, 0.6) << c.what;
            EXPECT_NEAR(mr.values[kQtyPos][n + 1], 5.0, 0.6) << c.what;
        }
    }
}

TEST(AnalysisDriverThinning, SpringMembersKeepTwiceTheStridePoints) {
    ModelBuilder b = FoundationBeam(10, 2e7, 0.01, 2e4, 0, 50);
    b.model().loadCases[1].suptCaseNo = 1;
    b.Support(1, 1, kSupportPin);
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 20));
    // 40 stride points (38 inner ones besides point 1), plus the two ends
    // and the load point: at most 42, far more than the 21 of a plain member.
    const int n = Results().member[1].pointCount;
    EXPECT_GE(n, 40);
    EXPECT_LE(n, 42);
}

// ---- progress and diagnostics -----------------------------------------------

TEST(AnalysisDriverDiagnostics, ProgressTextAndDumpFiles) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(CaseOutputDir()) / "driver_dump";
    fs::create_directories(dir);
    fs::remove(dir / "@Do1A.$O1");
    fs::remove(dir / "@Do1B.$O1");
    std::string last;
    SetEngineProgress([&](const std::string& t) { last = t; });
    DiagnosticDumpFlag = true;
    DiagnosticDumpFolder = dir.string() + "/";
    ModelBuilder b = Cantilever(4, 2e7, 0.002, -10, 1.0);
    RunFrameAnalysis(Results(), b.model(), false, false, 999);
    DiagnosticDumpFlag = false;
    DiagnosticDumpFolder.clear();
    SetEngineProgress(nullptr);
    EXPECT_EQ(last, "***  !! 計算中 部材数(展開数) 1 ( 2)  *** : [ 荷重ｹｰｽ  1 / 1 ]"_sj);
    TStringList a, e;
    ASSERT_TRUE(a.LoadFromFile((dir / "@Do1A.$O1").string()));
    ASSERT_TRUE(e.LoadFromFile((dir / "@Do1B.$O1").string()));
    EXPECT_EQ(a.Text().find("<剛域>"_sj), std::string::npos);
    EXPECT_NE(e.Text().find("<剛域>1-I"_sj), std::string::npos);
}

TEST(AnalysisDriverDiagnostics, FailedCasesGoToTheReportOrElseToTheUser) {
    // Load case 2 warms the cantilever so much that its axial force passes
    // the largest float: its block is cleared and named; case 1 and the
    // combination of both stay as they are.
    ModelBuilder b = Cantilever(4, 2e7, 0.002, -10, 0);
    b.model().materials[1].alpha = 1e-5f;
    b.Load(2, kLoadTemperature, 1, 3e38);
    b.Combination(2, 1.0, {{1, 1.0}, {2, 1.0}});
    std::vector<std::string> messages;
    SetEngineMessageSink([&](const std::string& t) { messages.push_back(t); });
    AnalysisReport report;
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999, &report));
    const std::string line =
        "荷重ｹｰｽ No.2：計算結果が数値で表せる範囲を超えました．結果を 0 としました．\n"_sj;
    EXPECT_EQ(report.caseWarnings, line);
    EXPECT_TRUE(messages.empty());
    const FrameResults& r = Results();
    const int n = r.member[1].pointCount;
    for (int k = 1; k <= n + 2; ++k) {
        EXPECT_EQ(r.block[2].members[1].values[kQtyN][k], 0.0f) << k;
        EXPECT_EQ(r.block[2].members[1].values[kQtyM][k], 0.0f) << k;
    }
    EXPECT_NEAR(r.block[1].members[1].values[kQtyM][1], -40, 1e-4);  // the tip load's P L, hogging
    for (const int k : {1, 2}) {
        const MemberResult& combo = r.block[ComboBlockIndex(r, k)].members[1];
        EXPECT_NEAR(combo.values[kQtyM][1], -40, 1e-4) << "combination " << k;
    }
    // Without a report the user is told.
    ASSERT_TRUE(RunFrameAnalysis(Results(), b.model(), false, false, 999));
    SetEngineMessageSink(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], line);
}

// Without the memory to map the pieces back the analysis fails, says so
// and leaves no results: the pieces' results are no member's. One work
// block is enough: the load cases are then mapped one after the other, to
// the same closed-form cantilever.
TEST(AnalysisDriverMapping, WithoutWorkBlocksTheAnalysisFailsAndWithOneItMapsInTurn) {
    const double L = 4.0, E = 2.0e7, I = 0.002, P = -10.0;
    std::vector<std::string> messages;
    SetEngineMessageSink([&](const std::string& t) { messages.push_back(t); });
    {
        ModelBuilder b = Cantilever(L, E, I, P, 1.0);
        SetMappingWorkBlockLimit(0);
        const bool ok = RunFrameAnalysis(Results(), b.model(), false, false, 999);
        SetMappingWorkBlockLimit(-1);
        EXPECT_FALSE(ok);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "メモリーが足りません.(剛域展開)"_sj);
        EXPECT_EQ(Results().memberCount, 0);
        EXPECT_EQ(Results().caseCount, 0);
    }
    messages.clear();
    {
        ModelBuilder b = Cantilever(L, E, I, P, 0);
        b.NodalLoad(2, 2, 0, 2 * P);  // a second case, mapped after the first
        b.Combination(2, 1.0, {{2, 1.0}});
        SetMappingWorkBlockLimit(1);
        const bool ok = RunFrameAnalysis(Results(), b.model(), false, false, 999);
        SetMappingWorkBlockLimit(-1);
        ASSERT_TRUE(ok);
        EXPECT_TRUE(messages.empty());
        const FrameResults& r = Results();
        for (const int c : {1, 2}) {
            const double delta = c * P * std::pow(L, 3) / (3 * E * I);
            EXPECT_NEAR(r.block[c].nodes[2].dy, delta * 1000.0, std::fabs(delta) * 0.1) << c;
            EXPECT_NEAR(std::fabs(PointValues(r, c, 1, 1).m), std::fabs(c * P * L), 1e-3) << c;
        }
    }
    SetEngineMessageSink(nullptr);
}
