// The results record around the analysis: combinations, the M-max/M-min
// search, point set-up and labels, member point lists, progress texts and
// the failure of the work areas.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"

namespace {

const double kE = 2.05e8;

// Simply supported beam of 8 m with a point load (case 1) and a uniform
// load (case 2), 8 parts.
ModelBuilder TwoCaseBeam() {
    ModelBuilder b;
    b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 8, 0).Member(1, 1, 2);
    DivideMember(b, 1, 8, 8);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.Load(1, kLoadConcPerp, 1, -10, 0, 3);
    b.Load(2, kLoadDistPerp, 1, -4, -4);
    return b;
}

std::string Label(const FrameResults& r, int m, int p) { return r.member[m].pointLabel[p]; }

}  // namespace

// --- Combinations -------------------------------------------------------------------

TEST(EngineResults, CombinationIsWeightedSumOfCases) {
    ModelBuilder b = TwoCaseBeam();
    b.Combination(7, 2.0, {{1, 0.6}, {2, 0.5}});
    b.Combination(8, 1.0, {{1, 1.2}, {99, 5.0}});  // case 99 does not exist
    FrameResults& r = Analyse(b.model());
    ASSERT_EQ(r.caseCount, 2);
    ASSERT_EQ(r.comboCount, 2);
    const int k7 = ComboBlockIndex(r, 1), k8 = ComboBlockIndex(r, 2);
    EXPECT_EQ(k7, 4);
    EXPECT_EQ(r.block[k7].caseNo, 7);
    EXPECT_EQ(r.block[3].caseNo, 0);  // index caseCount + 1 holds nothing
    const double w1 = static_cast<double>(0.6f) * 2.0, w2 = static_cast<double>(0.5f) * 2.0;
    for (int p = 1; p <= r.member[1].pointCount; ++p) {
        EXPECT_EQ(Value(r, k7, 1, p, kQtyPos), Value(r, 1, 1, p, kQtyPos));
        for (int q : {kQtyM, kQtyS, kQtyN, kQtyDisp}) {
            const double expected = w1 * Value(r, 1, 1, p, q) + w2 * Value(r, 2, 1, p, q);
            EXPECT_NEAR(Value(r, k7, 1, p, q), expected, 1e-6 * (std::fabs(expected) + 1)) << p;
            const double only = static_cast<double>(1.2f) * Value(r, 1, 1, p, q);
            EXPECT_NEAR(Value(r, k8, 1, p, q), only, 1e-6 * (std::fabs(only) + 1)) << p;
        }
    }
    EXPECT_NEAR(r.block[k7].nodes[2].dt, w1 * r.block[1].nodes[2].dt + w2 * r.block[2].nodes[2].dt,
                1e-9);
    // Reactions: 10 kN at 3 m and 32 kN spread: left 6.25 and 16.
    const ReactionRow* left = ReactionOf(r, k7, 1);
    ASSERT_NE(left, nullptr);
    EXPECT_NEAR(left->ry, w1 * 6.25 + w2 * 16, 1e-4);
    EXPECT_EQ(r.block[k7].reactionCount, 2);
}

TEST(EngineResults, ReactionRowsFollowSupportCases) {
    ModelBuilder b = TwoCaseBeam();
    b.LoadCaseDef(2, 42);  // names no support case: no rows
    b.Combination(1, 1.0, {{2, 1.0}});
    std::string warnings;
    FrameResults& r = Analyse(b.model(), &warnings);
    EXPECT_EQ(r.block[1].reactionCount, 2);
    EXPECT_EQ(r.block[2].reactionCount, 0);
    // A combination of a case without reactions has no rows at all.
    EXPECT_EQ(r.block[ComboBlockIndex(r, 1)].reactionCount, 0);
}

// --- M-max / M-min --------------------------------------------------------------------

TEST(EngineResults, ExtremesPreferMidLengthOnTies) {
    struct Row {
        const char* name;
        float length;
        std::vector<float> pos, m;
        int maxIndex, minIndex;
    };
    const Row rows[] = {
        {"constant positive", 4, {0, 1, 2, 3, 4}, {5, 5, 5, 5, 5}, 3, 1},
        {"constant negative", 4, {0, 1, 2, 3, 4}, {-5, -5, -5, -5, -5}, 1, 3},
        {"no mid point", 4, {0, 1.5, 4}, {5, 5, 5}, 1, 1},
        {"ties keep the earlier point", 4, {0, 1, 3, 4}, {2, 5, 5, 1}, 2, 4},
        {"mid within 0.0001", 4.0004f, {0, 2.00005f, 4.0004f}, {3, 3, 3}, 2, 1},
        {"mid 0.0002 away", 4, {0, 2.0002f, 4}, {3, 3, 3}, 1, 1},
    };
    FrameResults& r = *AllocateFrameResults();
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 4, 0).Member(1, 1, 2).Load(1, kLoadNodal, 1, 0);
    for (const Row& row : rows) {
        ClearFrameResults(r);
        r.nodeCount = 2;
        r.memberCount = 1;
        r.caseCount = 1;
        const int n = static_cast<int>(row.pos.size());
        r.member[1].pointCount = n;
        r.member[1].length = row.length;
        MemberResult& mr = r.block[1].members[1];
        for (int p = 1; p <= n; ++p) {
            mr.values[kQtyPos][p] = row.pos[p - 1];
            mr.values[kQtyM][p] = row.m[p - 1];
            mr.values[kQtyS][p] = 10.0f * p;
            mr.values[kQtyN][p] = 100.0f * p;
            mr.values[kQtyDisp][p] = 1000.0f * p;
        }
        CombineCaseResults(r, b.model());
        EXPECT_EQ(mr.maxIndex, row.maxIndex) << row.name;
        EXPECT_EQ(mr.minIndex, row.minIndex) << row.name;
        for (int q = kQtyPos; q <= kQtyDisp; ++q) {
            EXPECT_EQ(mr.values[q][n + 1], mr.values[q][row.maxIndex]) << row.name;
            EXPECT_EQ(mr.values[q][n + 2], mr.values[q][row.minIndex]) << row.name;
        }
    }
}

// --- Points and labels -------------------------------------------------------------------

TEST(EngineResults, CasePointsAreSortedMergedAndCapped) {
    ModelBuilder b;
    b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 10, 0).Node(3, 0, 5);
    b.Member(1, 1, 2).Member(2, 1, 3);
    b.ViewPoints(1, {7.5, 2.5, 2.50005, 5.0, 0.00004});
    // 130 points on member 2: its ends and the first 119 in entry order.
    View2Member& v = b.model().view2[++b.model().view2Count];
    v.memberNo = 2;
    for (int k = 1; k <= 130; ++k) v.dist[++v.count] = static_cast<float>(5.0 - k * 0.03);
    b.Support(1, 1, kSupportFixed);
    FrameResults& r = Analyse(b.model());
    const ResultMember& m1 = r.member[1];
    ASSERT_EQ(m1.pointCount, 5);
    const float expected[] = {0, 2.5f, 5, 7.5f, 10};
    for (int p = 1; p <= 5; ++p) EXPECT_FLOAT_EQ(m1.pointPos[p], expected[p - 1]) << p;
    const ResultMember& m2 = r.member[2];
    ASSERT_EQ(m2.pointCount, 121);
    EXPECT_FLOAT_EQ(m2.pointPos[1], 0);
    EXPECT_FLOAT_EQ(m2.pointPos[2], 5.0f - 119 * 0.03f);
    EXPECT_FLOAT_EQ(m2.pointPos[121], 5);
    for (int p = 2; p <= 121; ++p) EXPECT_LT(m2.pointPos[p - 1], m2.pointPos[p]);
    // The engine labels both ends 「ﾀﾝﾌﾞ」.
    EXPECT_EQ(Label(r, 1, 1), "ﾀﾝﾌﾞ"_sj);
    EXPECT_EQ(Label(r, 1, 5), "ﾀﾝﾌﾞ"_sj);
}

TEST(EngineResults, EndLabelsByDirectionAndNamedPoints) {
    struct Row {
        double dx, dy;
        const std::string& first;
        const std::string& last;
    };
    const Row rows[] = {
        {0, 3, "下端"_sj, "上端"_sj},   {0, -3, "上端"_sj, "下端"_sj},
        {3, 0, "左端"_sj, "右端"_sj},   {-3, 0, "右端"_sj, "左端"_sj},
        {3, 3, "端部"_sj, "端部"_sj},   {-3, 3, "端部"_sj, "端部"_sj},
        {-3, -1, "右端"_sj, "左端"_sj},
    };
    ModelBuilder b;
    int m = 0;
    for (const Row& row : rows) {
        ++m;
        b.Node(2 * m - 1, 10.0 * m, 0).Node(2 * m, 10.0 * m + row.dx, row.dy);
        b.Member(m, 2 * m - 1, 2 * m);
    }
    b.ViewPoints(3, {1.00005}, "Ａ　点 "_sj.c_str());
    b.ViewPoints(3, {1.0002}, "B");
    b.ViewPoints(4, {0}, "柱頭"_sj.c_str());
    PrepareMemberLoads(b.model());
    FrameResults& r = *AllocateFrameResults();
    ClearFrameResults(r);
    r.caseCount = 1;
    for (int k = 1; k <= m; ++k) {
        r.member[k].pointCount = 3;
        const float pos[] = {0, 1, 3};
        for (int p = 1; p <= 3; ++p) r.block[1].members[k].values[kQtyPos][p] = pos[p - 1];
    }
    b.model().loadCaseCount = 1;
    SetResultPoints(r, b.model());
    EXPECT_EQ(r.memberCount, m);
    for (int k = 1; k <= m; ++k) {
        if (k != 4) {  // member 4 has a named point at its I end
            EXPECT_EQ(Label(r, k, 1), rows[k - 1].first) << k;
        }
        EXPECT_EQ(Label(r, k, 3), rows[k - 1].last) << k;
    }
    // Strictly less than 0.0001 m apart names the point, blanks removed;
    // a named end point wins over the end label.
    EXPECT_EQ(Label(r, 3, 2), "Ａ点"_sj);
    EXPECT_EQ(Label(r, 4, 1), "柱頭"_sj);
    // In the engine the end label wins over the name.
    SetPointLabels(r, b.model());
    EXPECT_EQ(Label(r, 4, 1), "ﾀﾝﾌﾞ"_sj);
    EXPECT_EQ(Label(r, 3, 2), "Ａ点"_sj);
}

TEST(EngineResults, RecordHoldsEveryBlockAndStartsEmpty) {
    FrameResults* r = AllocateFrameResults();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(AllocateFrameResults(), r);
    EXPECT_EQ(ResultData, r);
    ClearFrameResults(*r);
    EXPECT_EQ(r->memberCount, 0);
    r->caseCount = 65;
    EXPECT_EQ(ComboBlockIndex(*r, 65), 131);
    EXPECT_LT(131, kResultCaseSlots);
    // Room for the largest point count plus the M-max and M-min copies.
    EXPECT_GE(kPointSlots, kMaxResultPoints + 3);
    r->block[131].members[807].values[kQtyDisp][kMaxResultPoints + 2] = 1.0f;
    r->member[807].pointKind[kMaxResultPoints + 2] = 2;
    // Beyond every count and untold: put back, as no writer leaves such bytes.
    r->block[131].members[807].values[kQtyDisp][kMaxResultPoints + 2] = 0.0f;
    r->member[807].pointKind[kMaxResultPoints + 2] = 0;
    r->caseCount = 0;
}

// --- Member point lists ------------------------------------------------------------------

TEST(EngineResults, MemberPointListModes) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 10, 0).Member(5, 1, 2);
    // 19 bytes of ASCII then a double-byte character straddling byte 20.
    b.ViewPoints(5, {6.0004}, "ABCDEFGHIJKLMNOPQRS柱X"_sj.c_str());
    b.ViewPoints(5, {2.0}, "  P2  ");
    PrepareMemberLoads(b.model());
    FrameModel& model = b.model();
    // Without view divisions: the named points in entry order, then 100 parts.
    MemberPointList list = BuildMemberPointList(model, 1, false);
    ASSERT_EQ(list.count, 2 + 99);
    EXPECT_DOUBLE_EQ(list.pos[1], 6.0);
    EXPECT_EQ(std::string(list.label[1]), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(std::string(list.label[2]), "P2");
    EXPECT_DOUBLE_EQ(list.pos[3], 0.1);
    EXPECT_DOUBLE_EQ(list.pos[101], 9.9);
    EXPECT_EQ(list.namedCount, 2);
    EXPECT_DOUBLE_EQ(list.pos[2], 2.0);
    // View divisions: a range over members 3..7 with 4 parts.
    model.view1[++model.view1Count] = View1Range{3, 7, 4};
    list = BuildMemberPointList(model, 1, true);
    ASSERT_EQ(list.count, 2 + 3);
    EXPECT_EQ(list.namedCount, 2);
    EXPECT_DOUBLE_EQ(list.pos[3], 2.5);
    // 140 named points: the list stops at 131.
    View2Member& v = model.view2[++model.view2Count];
    v.memberNo = 5;
    for (int k = 1; k <= 132; ++k) v.dist[++v.count] = static_cast<float>(k * 0.05);
    EXPECT_EQ(BuildMemberPointList(model, 1, false).count, 131);
    // In view-division mode at most 20 named points, and no divisions after.
    list = BuildMemberPointList(model, 1, true);
    EXPECT_EQ(list.count, 20);
    EXPECT_EQ(list.namedCount, 20);
    // A slot outside the member table has no points.
    EXPECT_EQ(BuildMemberPointList(model, 2, false).count, 0);
}

// --- Progress and failures ------------------------------------------------------------------

TEST(EngineResults, ProgressNamesEachCase) {
    ModelBuilder b = TwoCaseBeam();
    std::vector<std::string> texts;
    SetEngineProgress([&](const std::string& t) { texts.push_back(t); });
    EngineProgress("counts 3 ( 3) :old");
    Analyse(b.model());
    EngineProgress("no colon");
    ModelBuilder c = TwoCaseBeam();
    Analyse(c.model());
    SetEngineProgress(nullptr);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[1], "counts 3 ( 3) :" + " [ 荷重ｹｰｽ  1 / 2 ]"_sj);
    EXPECT_EQ(texts[2], "counts 3 ( 3) :" + " [ 荷重ｹｰｽ  2 / 2 ]"_sj);
    EXPECT_EQ(texts[4], " [ 荷重ｹｰｽ  1 / 2 ]"_sj);
}

TEST(EngineResults, WorkAreaFailureIsReported) {
    ModelBuilder b = TwoCaseBeam();
    std::vector<std::string> messages;
    SetEngineMessageSink([&](const std::string& t) { messages.push_back(t); });
    SetStiffnessAllocationLimit(1);
    FrameResults& r = *AllocateFrameResults();
    std::string warnings;
    const bool ok = AnalyseLoadCases(r, b.model(), warnings);
    SetStiffnessAllocationLimit(0);
    SetEngineMessageSink(nullptr);
    EXPECT_FALSE(ok);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "メモリーが足りません.(剛性マトリックス)"_sj);
    EXPECT_EQ(r.doneCaseCount, 0);
}

// End codes from a damaged file, however large, make the member a bar (as
// both ends pinned), never an overflow.
TEST(EngineResults, EndCodesOutsidePinAndJointMakeABar) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 4, 0).Material(1, 2.0e7).Section(1, 0.1, 0.002).Member(1, 1, 2);
    FrameMember& m = b.model().members[1];
    m.length = 4;
    m.endI = m.endJ = 1;
    double bar[6][6], k[6][6];
    MemberStiffness(b.model(), 1, bar);
    const int pairs[][2] = {{1, INT_MAX}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {0, INT_MIN}};
    for (const auto& p : pairs) {
        m.endI = p[0];
        m.endJ = p[1];
        MemberStiffness(b.model(), 1, k);
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j) EXPECT_EQ(k[i][j], bar[i][j]) << p[0] << " " << p[1];
    }
    EXPECT_NE(bar[0][0], 0.0);
}
