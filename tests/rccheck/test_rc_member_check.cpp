// The member check driver and the envelope: extreme rows at a member end
// are not checked, one NG point marks the member, the envelope keeps the
// largest ratio per check with the earlier case on ties, and the sorted
// work copy drops redundant extreme rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "platform/assertions.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"

namespace {

struct RcDataDeleter {
    void operator()(RcCheckData* rc) const { FreeRcCheckData(rc); }
};
using RcDataPtr = std::unique_ptr<RcCheckData, RcDataDeleter>;

// Section S1 (b 1000, h 1000, covers 30, D19x8 / D22x8, D13x2 @250),
// one 10 m member with two points and the M-max / M-min rows, two
// allowable-stress cases of type 1.
RcDataPtr MakeMember(const double (&moments)[2][4], const double (&positions)[2][4]) {
    LoadBuiltInRebarTable();
    RcDataPtr rc(NewRcCheckData());
    RcSection& s = rc->sections[1];
    s.no = 1;
    s.b = 1000, s.h = 1000, s.k1 = 30, s.k2 = 30;
    s.outer = RcBars{19, 8, 0, 0};
    s.inner = RcBars{22, 8, 0, 0};
    s.stirrupD = 13, s.stirrupLegs = 2, s.stirrupPitch = 250;
    s.sca1 = 8, s.ta1 = 0.27f, s.tsa1 = 2.5f, s.ssa1 = 160;
    s.ec = 31000, s.es = 200000, s.fck = 40, s.fyk = s.fwk = 345;
    rc->sectionCount = 1;
    rc->checkCaseCount = 2;
    rc->checkCases[1] = RcCheckCase{1, 1, {}};
    rc->checkCases[2] = RcCheckCase{2, 1, {}};
    rc->memberCount = 1;
    RcMemberChecks& m = rc->memberChecks[1];
    m.memberNo = 1;
    m.sectionNo = 1;
    m.length = 10;
    m.pointCount = 4;
    for (int k = 1; k <= 4; ++k) {
        for (int t = 1; t <= 2; ++t) {
            RcForceSet f{};
            f.x = static_cast<float>(positions[t - 1][k - 1]);
            f.m = static_cast<float>(moments[t - 1][k - 1]);
            f.s = 100;
            m.points[k].cases[t].bend = m.points[k].cases[t].shear = f;
        }
    }
    CopySectionSizeToPoints(*rc);
    ApplyCheckTypes(*rc);
    return rc;
}

// Point positions: two named points, M-max, M-min (m from the i end).
const double kPositions[2][4] = {{2.5, 7.5, 0.0, 5.0}, {2.5, 7.5, 5.0, 0.0}};

TEST(RcMemberCheck, ExtremeRowAtAnEndIsNotCheckedAndNgMarksTheMember) {
    // Case 1: point 1 at 500 kN·m fails (σs 181.7 > 160, case B); the M-max
    // row also carries 500 but sits at the i end.
    const double moments[2][4] = {{500, 100, 500, -100}, {200, 100, 300, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    CheckAllMembers(*rc);
    const RcMemberChecks& m = rc->memberChecks[1];
    EXPECT_FLOAT_EQ(m.points[1].cases[1].fs, 1.136f);
    EXPECT_EQ(m.points[1].cases[1].ngFs, 1);
    EXPECT_EQ(m.points[3].cases[1].fs, 0.0f);
    EXPECT_EQ(m.points[3].cases[1].fc, 0.0f);
    EXPECT_EQ(m.points[3].cases[1].ngFs, 0);
    EXPECT_GT(m.points[3].cases[2].fs, 0.0f);  // inside the member in case 2
    EXPECT_EQ(m.ng[kNgFs], 1);
    EXPECT_EQ(m.ng[kNgFs2], 1);
    EXPECT_EQ(m.ng[kNgFs1], 0);
    EXPECT_EQ(m.ng[kNgFc], 0);
    EXPECT_EQ(m.ng[kNgAny], 1);
}

TEST(RcMemberCheck, AllWithinAllowablesLeavesTheSummaryClear) {
    const double moments[2][4] = {{100, -100, 100, -100}, {50, 50, 80, -50}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    CheckAllMembers(*rc);
    for (int i = 0; i < kNgCount; ++i) EXPECT_EQ(rc->memberChecks[1].ng[i], 0) << i;
}

TEST(RcMemberCheck, ExtremeRowsUseTheirOwnDepthsWithAddedHeights) {
    const double moments[2][4] = {{100, 100, 100, -100}, {100, 100, 300, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    rc->memberChecks[1].points[3].t1 = 20;
    CheckMember(*rc, 1);
    // M-max row in case 2: H = 1000 + 20, tension bars at H - d2' = 979.
    EXPECT_FLOAT_EQ(rc->memberChecks[1].points[3].cases[2].d, 979.0f);
    EXPECT_FLOAT_EQ(rc->memberChecks[1].points[3].set1.d1, 60.0f);
}

TEST(RcMemberCheck, StirrupAreaUsesAtLeast160) {
    // S = 300 kN, no axial force: Awa = 1.15 (300e3 - τa' b d) s / (160 d)
    // = 57.4 mm² even though this case allows only 100 N/mm² in the bars.
    const double moments[2][4] = {{500, 100, 100, -100}, {500, 100, 100, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    RcMemberChecks& m = rc->memberChecks[1];
    for (int k = 1; k <= 4; ++k) {
        m.points[k].cases[1].ssa = 100;
        m.points[k].cases[1].shear.s = 300;
    }
    CheckMember(*rc, 1);
    EXPECT_NEAR(m.points[1].cases[1].awa, 57.4, 1e-4);
}

TEST(RcEnvelope, LargestRatioWinsAndTiesKeepTheFirstCase) {
    // Point 1: case 2 has the larger moment; point 2: equal in both cases.
    const double moments[2][4] = {{200, 100, 100, -100}, {400, 100, 100, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    CheckAllMembers(*rc);
    BuildEnvelope(*rc);
    const RcMemberChecks& m = rc->memberChecks[1];
    const RcCaseCheck& e1 = m.points[1].cases[0];
    EXPECT_EQ(e1.governing[kGovFc], 2);
    EXPECT_EQ(e1.governing[kGovFs], 2);
    EXPECT_FLOAT_EQ(e1.fc, m.points[1].cases[2].fc);
    EXPECT_FLOAT_EQ(e1.sc, m.points[1].cases[2].sc);
    EXPECT_FLOAT_EQ(e1.bend.m, 400.0f);
    EXPECT_EQ(e1.sgCK, 1);
    const RcCaseCheck& e2 = m.points[2].cases[0];
    EXPECT_EQ(e2.governing[kGovFc], 1);
    EXPECT_EQ(e2.governing[kGovFt], 1);
    // Ultimate checks never ran: ratio 0, switch off, governing case 1.
    EXPECT_EQ(e2.fm, 0.0f);
    EXPECT_EQ(e2.muCK, 0);
    EXPECT_EQ(e2.governing[kGovFm], 1);
    EXPECT_EQ(m.points[1].cases[2].governing[kGovFc], 2);
    EXPECT_EQ(rc->memberChecks[0].memberNo, 1);  // slot 0 mirrors member 1
}

TEST(RcSortPoints, OrdersByPositionAndDropsRepeatedExtremes) {
    const double moments[2][4] = {{100, 100, 125, -50}, {100, 100, 125, -50}};
    double positions[2][4] = {{7.5, 2.5, 5.0, 0.0}, {7.5, 2.5, 2.5, 3.0}};
    RcDataPtr rc = MakeMember(moments, positions);
    RcMemberChecks& m = rc->memberChecks[1];

    // Case 1: M-min at 0 is dropped; the rest sorted.
    const std::unique_ptr<RcMemberChecks> a = SortMemberPointsByPosition(m, 1, false);
    ASSERT_EQ(a->pointCount, 3);
    EXPECT_FLOAT_EQ(a->points[1].cases[1].bend.x, 2.5f);
    EXPECT_FLOAT_EQ(a->points[2].cases[1].bend.x, 5.0f);
    EXPECT_EQ(a->points[2].sortIndex, 3);
    EXPECT_FLOAT_EQ(a->points[3].cases[1].bend.x, 7.5f);
    const std::unique_ptr<RcMemberChecks> d = SortMemberPointsByPosition(m, 1, true);
    EXPECT_FLOAT_EQ(d->points[1].cases[1].bend.x, 7.5f);
    // Each order is a copy of its own: the first one stays as it was, and
    // the member keeps its stored order.
    EXPECT_FLOAT_EQ(a->points[1].cases[1].bend.x, 2.5f);
    EXPECT_FLOAT_EQ(m.points[1].cases[1].bend.x, 7.5f);
    EXPECT_EQ(m.pointCount, 4);

    // Case 2: M-max repeats the last named point (2.5) and goes; M-min
    // moves up and stays.
    const std::unique_ptr<RcMemberChecks> b = SortMemberPointsByPosition(m, 2, false);
    ASSERT_EQ(b->pointCount, 3);
    EXPECT_EQ(b->points[2].sortIndex, 4);
    EXPECT_FLOAT_EQ(b->points[2].cases[2].bend.x, 3.0f);

    // The envelope keeps the stored order.
    EXPECT_EQ(SortMemberPointsByPosition(m, 0, false)->pointCount, 4);

    // Only the two extreme rows: nothing to repeat, both kept.
    m.pointCount = 2;
    m.points[1] = m.points[3];
    m.points[2] = m.points[4];
    const std::unique_ptr<RcMemberChecks> c = SortMemberPointsByPosition(m, 1, false);
    EXPECT_EQ(c->pointCount, 1);  // M-min at 0 still goes
    EXPECT_FLOAT_EQ(c->points[1].cases[1].bend.x, 5.0f);
}

TEST(RcMemberCheck, OutOfRangeMembersAndTinyMembersAreSafe) {
    const double moments[2][4] = {{100, 100, 100, -100}, {100, 100, 100, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    CheckMember(*rc, 0);
    CheckMember(*rc, 5000);
    rc->memberChecks[1].pointCount = 1;  // as a damaged file may give
    CheckMember(*rc, 1);
    EXPECT_GT(rc->memberChecks[1].points[1].cases[1].fc, 0.0f);
}

// Every result of a check that is switched off is cleared at the next
// check, not left from the run before (a required stirrup area beside a
// shear check marked "**").
TEST(RcMemberCheck, ASwitchedOffCheckKeepsNoResults) {
    struct Row {
        std::uint8_t RcCaseCheck::*sw;
        int type;  // check type that runs that check
        float RcCaseCheck::*result;
    };
    const Row rows[] = {
        {&RcCaseCheck::sgCK, 1, &RcCaseCheck::sc},  {&RcCaseCheck::sgCK, 1, &RcCaseCheck::ss2},
        {&RcCaseCheck::tuCK, 1, &RcCaseCheck::awa}, {&RcCaseCheck::tuCK, 1, &RcCaseCheck::tau},
        {&RcCaseCheck::muCK, 3, &RcCaseCheck::mud}, {&RcCaseCheck::vyCK, 3, &RcCaseCheck::vyd},
    };
    const double moments[2][4] = {{500, 100, 100, -100}, {500, 100, 100, -100}};
    for (const Row& r : rows) {
        RcDataPtr rc = MakeMember(moments, kPositions);
        rc->checkCases[1].checkType = r.type;
        ApplyCheckTypes(*rc);
        RcCaseCheck& c = rc->memberChecks[1].points[1].cases[1];
        c.shear.s = 300;  // beyond the concrete: stirrups are required
        CheckMember(*rc, 1);
        ASSERT_GT(c.*r.result, 0.0f);
        c.*r.sw = 0;
        CheckMember(*rc, 1);
        EXPECT_EQ(c.*r.result, 0.0f);
    }
}

// A member whose section number names no section, or a section without a
// width or height, gets no results at all (an empty section gave stresses
// of hundreds of thousands of N/mm²), and no NG summary.
TEST(RcMemberCheck, AMemberWithoutAUsableSectionIsNotChecked) {
    const double moments[2][4] = {{500, 100, 100, -100}, {500, 100, 100, -100}};
    for (const int caseNo : {0, 1, 2}) {
        RcDataPtr rc = MakeMember(moments, kPositions);
        CheckMember(*rc, 1);
        ASSERT_EQ(rc->memberChecks[1].ng[kNgFs], 1);
        if (caseNo == 0) rc->memberChecks[1].sectionNo = 9;
        if (caseNo == 1) rc->sections[1].h = 0;
        if (caseNo == 2) rc->sections[1].b = 0;
        EXPECT_EQ(UsableRcSection(*rc, rc->memberChecks[1].sectionNo), 0);
        CheckMember(*rc, 1);
        const RcMemberChecks& m = rc->memberChecks[1];
        for (int i = 0; i < kNgCount; ++i) EXPECT_EQ(m.ng[i], 0) << caseNo;
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(m.points[k].cases[1].sc, 0.0f);
            EXPECT_EQ(m.points[k].cases[1].fs, 0.0f);
            EXPECT_EQ(m.points[k].cases[1].awa, 0.0f);
        }
    }
}

// A section's width reaches every point at the next check (a width of
// 500 typed in the section table used to leave the points at 1000); a width
// typed for one point stays that point's.
TEST(RcMemberCheck, TheSectionsWidthReachesItsPoints) {
    const double moments[2][4] = {{100, 100, 100, -100}, {100, 100, 100, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    RcMemberChecks& m = rc->memberChecks[1];
    m.points[2].b = 800;  // typed for point 2 in the check sheet
    rc->sections[1].b = 500;
    rc->sections[1].h = 900;
    CheckMember(*rc, 1);
    EXPECT_EQ(m.b, 500.0f);
    EXPECT_EQ(m.h, 900.0f);
    for (int k : {1, 3, 4}) EXPECT_EQ(m.points[k].b, 500.0f) << k;
    EXPECT_EQ(m.points[2].b, 800.0f);
    // τ = |S| / (b d): 100 kN on 500 x 900 - 30 - 11 = 859 mm.
    EXPECT_NEAR(m.points[1].cases[1].tau, 100e3 / (500.0 * 859.0), 0.0005);
}

// The envelope shows each point's position and forces from one case: the
// case of its bending set (an M-max row showed the position of the case
// that governed fm beside the moment of the case that governed σc).
TEST(RcEnvelope, PositionAndForcesOfAPointComeFromOneCase) {
    std::uint32_t seed = 12345;
    const auto next = [&seed](double lo, double hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * (seed >> 8) / double(1u << 24);
    };
    for (int trial = 0; trial < 200; ++trial) {
        double moments[2][4], positions[2][4];
        for (int t = 0; t < 2; ++t)
            for (int k = 0; k < 4; ++k) {
                moments[t][k] = next(-600, 600);
                positions[t][k] = k < 2 ? kPositions[t][k] : next(0.5, 9.5);
            }
        RcDataPtr rc = MakeMember(moments, positions);
        rc->checkCases[2].checkType = trial % 2 == 0 ? 3 : 1;  // fm only in case 2
        ApplyCheckTypes(*rc);
        CheckAllMembers(*rc);
        BuildEnvelope(*rc);
        for (int k = 1; k <= 4; ++k) {
            const RcPointCheck& p = rc->memberChecks[1].points[k];
            const RcForceSet& e = p.cases[0].bend;
            bool one = false;
            for (int t = 1; t <= 2; ++t)
                one = one || (e.x == p.cases[t].bend.x && e.m == p.cases[t].bend.m &&
                              e.n == p.cases[t].bend.n);
            EXPECT_TRUE(one) << "trial " << trial << " point " << k;
        }
    }
}

// The reader clamps a point count to the table: one beyond it is a fault of
// the program. A checked build stops on it; without the checks the check
// stays inside the table.
TEST(RcMemberCheckDeathTest, APointCountBeyondTheTableIsAFaultOfTheProgram) {
    const double moments[2][4] = {{100, 100, 100, -100}, {100, 100, 100, -100}};
    RcDataPtr rc = MakeMember(moments, kPositions);
    rc->memberChecks[1].pointCount = 9999;
#if VEXTOR_ASSERTIONS
    EXPECT_DEATH(CheckAllMembers(*rc), "own logic failed");
#else
    CheckAllMembers(*rc);
    BuildEnvelope(*rc);
    SUCCEED();
#endif
}

}  // namespace
