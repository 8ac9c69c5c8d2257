// Lookups, derived member geometry and the load sums shown in the load grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "platform/sjis_literal.h"

namespace {

class FrameModelTest : public ::testing::Test {
  protected:
    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    FrameModel& m = *model;

    void AddNode(int no, float x, float y) {
        FramePoint& p = m.nodes[++m.nodeCount];
        p.no = no;
        p.x = x;
        p.y = y;
    }
    void AddMember(int no, int i, int j) {
        FrameMember& mb = m.members[++m.memberCount];
        mb.no = no;
        mb.nodeI = i;
        mb.nodeJ = j;
    }
    LoadRecord& AddLoad(int code, int from, int to, float qI, float qJ, float dI, float dJ) {
        if (m.loadCaseCount == 0) m.loadCases[++m.loadCaseCount].no = 1;
        LoadCase& lc = m.loadCases[1];
        LoadRecord& l = lc.loads[++lc.count];
        l = LoadRecord{};
        l.code = code;
        l.memberFrom = from;
        l.memberTo = to;
        l.qI = qI;
        l.qJ = qJ;
        l.distI = dI;
        l.distJ = dJ;
        return l;
    }
    // Three members of 4 m along X: nodes 1-2-3-4.
    void ThreeSpanBeam() {
        for (int k = 0; k < 4; ++k) AddNode(k + 1, 4.0f * k, 0);
        for (int k = 1; k <= 3; ++k) AddMember(k, k, k + 1);
    }
};

TEST_F(FrameModelTest, LookupsReturnTheFirstSlotOrZero) {
    AddNode(7, 1, 2);
    AddNode(5, 3, 4);
    AddNode(7, 9, 9);
    EXPECT_EQ(FindNodeIndex(m, 7), 1);
    EXPECT_EQ(FindNodeIndex(m, 5), 2);
    EXPECT_EQ(FindNodeIndex(m, 6), 0);
    double x, y;
    EXPECT_EQ(GetNodeXYByNo(m, x, y, 5), 2);
    EXPECT_DOUBLE_EQ(x, 3);
    EXPECT_DOUBLE_EQ(y, 4);
    for (int bad : {0, 4, -1}) {
        GetNodeXY(m, x, y, bad);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
    }
    // A damaged count never lets a lookup leave the table.
    m.nodeCount = 1'000'000;
    EXPECT_EQ(FindNodeIndex(m, 123456), 0);
}

TEST_F(FrameModelTest, MissingPropertiesReadAsOne) {
    m.materials[++m.materialCount] = FrameMaterial{1, 2.0e7f, 1e-5f, 0};
    double e, a, i;
    GetMemberEAI(m, e, a, i, 1, 9);
    EXPECT_DOUBLE_EQ(e, 2.0e7);
    EXPECT_EQ(a, 1.0);
    EXPECT_EQ(i, 1.0);
}

TEST_F(FrameModelTest, MemberLengthAndAngle) {
    AddNode(1, 0, 0);
    AddNode(2, 0, 4);
    AddNode(3, 3, 0);
    AddMember(1, 1, 2);
    AddMember(2, 2, 3);
    AddMember(3, 1, 1);   // coincident ends
    AddMember(4, 1, 99);  // missing node counts as (0, 0)
    PrepareMemberLoads(m);
    EXPECT_FLOAT_EQ(m.members[1].length, 4);
    EXPECT_FLOAT_EQ(m.members[1].angle, static_cast<float>(M_PI / 2));
    EXPECT_FLOAT_EQ(m.members[2].length, 5);
    EXPECT_FLOAT_EQ(m.members[2].angle, static_cast<float>(std::atan2(-4.0, 3.0)));
    EXPECT_EQ(m.members[3].length, 0);
    EXPECT_EQ(m.members[3].angle, 0);
    EXPECT_EQ(m.members[4].length, 0);
}

TEST_F(FrameModelTest, DistributedLoadIsCutAlongARun) {
    ThreeSpanBeam();
    // Uniform 10 kN/m in -Y from 0 to 5 m before the run's end (12 - 5 = 7 m).
    LoadRecord& l = AddLoad(kLoadDistY, 1, 3, -10, -10, 0, 5);
    PrepareMemberLoads(m);
    EXPECT_FLOAT_EQ(l.loadedLength, 7.0f);
    EXPECT_FLOAT_EQ(l.resVert, -70.0f);
    EXPECT_FLOAT_EQ(l.resHoriz, 0.0f);
    const LoadCase& lc = m.loadCases[1];
    EXPECT_FLOAT_EQ(lc.sumVertByGroup[1], 70.0f);  // distributed, negative magnitude
    EXPECT_FLOAT_EQ(lc.sumVertNeg, 70.0f);
    EXPECT_FLOAT_EQ(lc.sumVertPos, 0.0f);
}

TEST_F(FrameModelTest, TrapezoidOnARunFollowsOneStraightLine) {
    ThreeSpanBeam();
    // From 0 kN/m at x = 2 m to 12 kN/m at x = 10 m (distJ = 2): area 48 kN.
    LoadRecord& l = AddLoad(kLoadDistY, 1, 3, 0, 12, 2, 2);
    PrepareMemberLoads(m);
    EXPECT_FLOAT_EQ(l.loadedLength, 8.0f);
    EXPECT_NEAR(l.resVert, 48.0, 1e-4);
}

TEST_F(FrameModelTest, IntensitiesAreRoundedToThreeDecimalsBeforeTheResultant) {
    AddNode(1, 0, 0);
    AddNode(2, 3, 0);
    AddMember(1, 1, 2);
    // 1.0006 kN/m is taken as 1.001: 1.001 x 3 m = 3.003 kN. Rounding only the
    // resultant (1.0006 x 3 = 3.0018) would give 3.002.
    LoadRecord& l = AddLoad(kLoadDistY, 1, 0, 1.0006f, 1.0006f, 0, 0);
    PrepareMemberLoads(m);
    EXPECT_NEAR(l.resVert, 3.003, 1e-6);
    EXPECT_NEAR(m.loadCases[1].sumVertPos, 3.003, 1e-6);
}

TEST_F(FrameModelTest, ConcentratedLoadOnARunCountsOnce) {
    ThreeSpanBeam();
    LoadRecord& l = AddLoad(kLoadConcY, 1, 3, -50, 0, 6, 0);
    PrepareMemberLoads(m);
    EXPECT_FLOAT_EQ(l.resVert, -50.0f);
    // At 2 m on member 2 (4 m): 2 m to its j end, as on a member of its
    // own; the run's position gave 4 - 6 = -2.
    EXPECT_FLOAT_EQ(l.loadedLength, 2.0f);
    EXPECT_FLOAT_EQ(m.loadCases[1].sumVertByGroup[3], 50.0f);
}

TEST_F(FrameModelTest, PerpendicularLoadOnInclinedMember) {
    AddNode(1, 0, 0);
    AddNode(2, 3, 4);
    AddMember(1, 1, 2);
    // 2 kN/m perpendicular over 5 m: 10 kN along (cos(θ+90°), sin(θ+90°)) = (-0.8, 0.6).
    LoadRecord& l = AddLoad(kLoadDistPerp, 1, 0, 2, 2, 0, 0);
    PrepareMemberLoads(m);
    EXPECT_NEAR(l.resHoriz, -8.0, 1e-5);
    EXPECT_NEAR(l.resVert, 6.0, 1e-5);
    EXPECT_FLOAT_EQ(l.loadedLength, 5.0f);
}

TEST_F(FrameModelTest, NodalLoadIsOnePieceWhateverItsRange) {
    ThreeSpanBeam();
    // memberFrom is a node here; memberTo must not repeat it per member.
    LoadRecord& l = AddLoad(kLoadNodal, 2, 3, -10, 5, 0, 0);
    PrepareMemberLoads(m);
    EXPECT_FLOAT_EQ(l.resHoriz, -10.0f);
    EXPECT_FLOAT_EQ(l.resVert, 5.0f);
    const LoadCase& lc = m.loadCases[1];
    EXPECT_FLOAT_EQ(lc.sumHorizByGroup[5], 10.0f);
    EXPECT_FLOAT_EQ(lc.sumVertByGroup[4], 5.0f);
    EXPECT_FLOAT_EQ(lc.sumHorizNeg, 10.0f);
    EXPECT_FLOAT_EQ(lc.sumVertPos, 5.0f);
}

TEST_F(FrameModelTest, LoadsWithoutResultantAndHugeRanges) {
    ThreeSpanBeam();
    LoadRecord& t = AddLoad(kLoadTemperature, 2, 0, 30, 0, 0, 0);
    LoadRecord& huge = AddLoad(kLoadDistY, 3, INT_MAX, -1, -1, 0, 0);
    PrepareMemberLoads(m);  // must return at once, not walk two billion numbers
    EXPECT_FLOAT_EQ(t.loadedLength, 4.0f);
    EXPECT_EQ(t.resHoriz, 0);
    EXPECT_EQ(t.resVert, 0);
    EXPECT_FLOAT_EQ(huge.loadedLength, 4.0f);  // only member 3 exists in the range
    EXPECT_FLOAT_EQ(huge.resVert, -4.0f);
}

TEST(FixedText, CutsWithoutSplittingACharacter) {
    char buf[6];
    SetFixedText(buf, sizeof buf, ("ab" + "漢字"_sj).c_str());
    EXPECT_EQ(std::string(buf), "ab" + "漢"_sj);  // 「字」 would need bytes 5 and 6
    SetFixedText(buf, sizeof buf, "abc");
    EXPECT_EQ(std::string(buf), "abc");
    SetFixedText(buf, sizeof buf, "\x95");  // a lone lead byte counts as one
    EXPECT_EQ(std::string(buf), "\x95");
}

}  // namespace
