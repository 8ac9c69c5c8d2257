// Building the RC check data from the model and the combination results:
// check types from combination names, points and forces, kept settings on
// a refresh, bar depths with added heights, position texts.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"

namespace {

struct RcDataDeleter {
    void operator()(RcCheckData* rc) const { FreeRcCheckData(rc); }
};
using RcDataPtr = std::unique_ptr<RcCheckData, RcDataDeleter>;

TEST(RcCheckType, FromCombinationName) {
    struct Row {
        std::string name;
        int type;
    } rows[] = {
        {"D+L", 1},
        {"", 1},
        {"地震"_sj, 2},
        {"L1", 2},
        {"ﾚ1"_sj, 2},
        {"ｌ１"_sj, 2},            // full-width lower-case l and digit
        {"L2"_sj + "地震"_sj, 3},  // type 3 wins
        {"Ｌ２"_sj, 3},
        {"ﾚﾍﾞﾙ2"_sj, 3},
        {"LOAD 12", 3},  // any L with any 2
        {"D+1", 1},
    };
    for (const Row& r : rows) EXPECT_EQ(RcCheckTypeFromName(r.name), r.type) << r.name;
}

class RcBuild : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadBuiltInRebarTable();
        model = NewFrameModelRecord();
        results = AllocateFrameResults();
        ASSERT_NE(results, nullptr);
        ClearFrameResults(*results);
        rc.reset(NewRcCheckData());
        ASSERT_TRUE(rc);

        model->sectionCount = 1;
        model->sections[1] = FrameSection{3, 0.6f, 0.018f, {}};
        SetFixedText(model->sections[1].name, kNameSize, "S");
        model->memberCount = 1;
        FrameMember& m = model->members[1];
        m.no = 5;
        m.sectionNo = 3;
        m.length = 10;
        model->combinationCount = 2;
        model->combinations[1].no = 1;
        SetFixedText(model->combinations[1].name, kNameSize, " D+L ");
        model->combinations[2].no = 2;
        SetFixedText(model->combinations[2].name, kNameSize, ("L2"_sj + "地震"_sj).c_str());

        results->memberCount = 1;
        results->caseCount = 1;
        results->comboCount = 2;
        ResultMember& rm = results->member[1];
        rm.pointCount = 4;
        const float pos[] = {0, 0, 2.5f, 5, 10, 5, 0};
        const short kind[] = {0, 2, 2, 1, 2};
        for (int k = 1; k <= 4; ++k) {
            rm.pointPos[k] = pos[k];
            rm.pointKind[k] = kind[k];
        }
        SetFixedText(rm.pointLabel[1], kPointLabelBytes, "i-end");
        SetFixedText(rm.pointLabel[4], kPointLabelBytes, "j-end");
        for (int t = 1; t <= 2; ++t) {
            MemberResult& r = results->block[ComboBlockIndex(*results, t)].members[1];
            const float mom[] = {0, 0, 93.754f, 125, 0, 125.004f, -3e7f};
            for (int k = 1; k <= 6; ++k) {
                r.values[kQtyPos][k] = pos[k];
                r.values[kQtyM][k] = mom[k] * t;
                r.values[kQtyS][k] = 50.0f - 10.0f * pos[k];
                r.values[kQtyN][k] = k == 1 && t == 2 ? 0.0f : -100.126f;
                r.values[kQtyDisp][k] = k == 5 ? 512.0f : 1.234567f;
            }
        }
    }

    std::unique_ptr<FrameModel> model;
    FrameResults* results = nullptr;
    RcDataPtr rc;
};

TEST_F(RcBuild, PointsAndForces) {
    InitRcSections(*rc, *model);
    BuildRcCheckData(*rc, *results, *model);
    ASSERT_EQ(rc->memberCount, 1);
    ASSERT_EQ(rc->checkCaseCount, 2);
    EXPECT_EQ(rc->checkCases[1].checkType, 1);
    EXPECT_EQ(rc->checkCases[2].checkType, 3);
    EXPECT_STREQ(rc->checkCases[1].name, "D+L");
    const RcMemberChecks& m = rc->memberChecks[1];
    EXPECT_EQ(std::string(m.name), "部材.5"_sj);
    EXPECT_EQ(m.sectionNo, 3);
    EXPECT_FLOAT_EQ(m.length, 10);
    // Labelled or named points, then the two extreme rows; the unnamed
    // stride point at 5 m is left out.
    ASSERT_EQ(m.pointCount, 5);
    const char* names[] = {"", "i-end", "2.500", "j-end", "M-max", "M-min"};
    for (int k = 1; k <= 5; ++k) EXPECT_STREQ(m.points[k].name, names[k]) << k;
    const RcCaseCheck& c = m.points[2].cases[1];
    EXPECT_FLOAT_EQ(c.bend.x, 2.5f);
    EXPECT_FLOAT_EQ(c.bend.m, 93.75f);
    EXPECT_FLOAT_EQ(c.bend.s, 25.0f);
    EXPECT_FLOAT_EQ(c.bend.n, 100.13f);  // compression positive
    // No axial force is 0, never -0 (the sheet would read "-0.00").
    EXPECT_FALSE(std::signbit(m.points[1].cases[2].bend.n));
    EXPECT_FLOAT_EQ(c.bend.disp, 1.23457f);
    EXPECT_FLOAT_EQ(m.points[4].cases[1].bend.m, 125.0f);
    EXPECT_FLOAT_EQ(m.points[4].cases[2].bend.m, 250.01f);
    EXPECT_FLOAT_EQ(m.points[5].cases[1].bend.m, -1e6f);      // clamped
    EXPECT_FLOAT_EQ(m.points[4].cases[1].bend.disp, 100.0f);  // clamped, mm
    EXPECT_FLOAT_EQ(m.points[2].position, 2.5f);
    EXPECT_FLOAT_EQ(m.points[2].cases[2].shear.m, m.points[2].cases[2].bend.m);
    EXPECT_STREQ(m.points[0].name, "i-end");
    // Switches of the new entries from their case's type.
    EXPECT_EQ(m.points[1].cases[1].sgCK, 1);
    EXPECT_FLOAT_EQ(m.points[1].cases[1].sca, 8.0f);
    EXPECT_EQ(m.points[1].cases[2].muCK, 1);
    EXPECT_EQ(m.points[1].cases[2].sgCK, 0);
}

TEST_F(RcBuild, RefreshKeepsUserSettings) {
    InitRcSections(*rc, *model);
    BuildRcCheckData(*rc, *results, *model);
    rc->sections[1].b = 300;
    rc->memberChecks[1].sectionNo = 3;
    rc->checkCases[1].checkType = 2;
    rc->memberChecks[1].points[2].cases[1].sgCK = 0;
    BuildRcCheckData(*rc, *results, *model);
    EXPECT_EQ(rc->checkCases[1].checkType, 2);  // same combination: kept
    EXPECT_EQ(rc->memberChecks[1].points[2].cases[1].sgCK, 0);
    CheckMember(*rc, 1);
    EXPECT_FLOAT_EQ(rc->memberChecks[1].points[2].b, 300.0f);  // the section's width
    model->combinations[1].no = 9;
    BuildRcCheckData(*rc, *results, *model);
    EXPECT_EQ(rc->checkCases[1].comboNo, 9);
    EXPECT_EQ(rc->checkCases[1].checkType, 1);  // another combination: from its name
}

TEST_F(RcBuild, NoResultsStillGivesTheExtremeRows) {
    ClearFrameResults(*results);
    BuildRcCheckData(*rc, *results, *model);
    ASSERT_EQ(rc->memberChecks[1].pointCount, 2);
    EXPECT_STREQ(rc->memberChecks[1].points[1].name, "M-max");
    EXPECT_FLOAT_EQ(rc->memberChecks[1].points[1].b, 1000.0f);
}

TEST_F(RcBuild, ManyNamedPointsAreCut) {
    ResultMember& rm = results->member[1];
    rm.pointCount = 40;
    for (int k = 1; k <= 40; ++k) rm.pointKind[k] = 2;
    BuildRcCheckData(*rc, *results, *model);
    EXPECT_EQ(rc->memberChecks[1].pointCount, kRcMaxPoints);
    EXPECT_STREQ(rc->memberChecks[1].points[kRcMaxPoints].name, "M-min");
}

TEST_F(RcBuild, BarDepthsWithAddedHeights) {
    InitRcSections(*rc, *model);
    BuildRcCheckData(*rc, *results, *model);
    RcSection& s = rc->sections[1];
    s.h = 800;
    s.outer = RcBars{25, 4, 19, 2};
    RcPointCheck& pt = rc->memberChecks[1].points[2];
    pt.t1 = 20;
    CopySectionBarsToPoints(*rc, 1);
    // d1' = t1 + k1 + (25 + 1) / 2 = 20 + 30 + 13; d2' = 0 + 30 + (22 + 1) / 2.
    EXPECT_FLOAT_EQ(pt.set1.h, 820.0f);
    EXPECT_FLOAT_EQ(pt.set1.d1, 63.0f);
    EXPECT_FLOAT_EQ(pt.set1.d2, 41.0f);
    EXPECT_FLOAT_EQ(pt.set2.d1, 63.0f);
    EXPECT_FLOAT_EQ(pt.as1, 4 * 506.7f + 2 * 286.5f);
    EXPECT_FLOAT_EQ(rc->memberChecks[1].maxSet1[2].d1, 43.0f);  // no added height
    EXPECT_FLOAT_EQ(rc->memberChecks[1].minSet2[1].h, 800.0f);

    ApplyCoversToPoints(*rc);
    EXPECT_FLOAT_EQ(pt.set1.d1, 43.0f);
    CopySectionSizeToPoints(*rc);
    EXPECT_FLOAT_EQ(rc->memberChecks[1].h, 800.0f);
    EXPECT_EQ(FindRcSection(*rc, 3), 1);
    EXPECT_EQ(FindRcSection(*rc, 4), 0);
}

// Sets the frame's members to the numbers given (in that order), each with
// the results of the fixture's member (points, forces of both cases).
void SetMembers(FrameModel& model, FrameResults& results, std::initializer_list<int> numbers) {
    static ResultMember point;  // the fixture's point list, kept once
    static MemberResult forces[3];
    static bool kept = false;
    if (!kept) {
        point = results.member[1];
        for (int t = 1; t <= 2; ++t)
            forces[t] = results.block[ComboBlockIndex(results, t)].members[1];
        kept = true;
    }
    int p = 0;
    for (int no : numbers) {
        ++p;
        model.members[p] = model.members[1];
        model.members[p].no = no;
        model.members[p].sectionNo = 3;
        results.member[p] = point;
        for (int t = 1; t <= 2; ++t)
            results.block[ComboBlockIndex(results, t)].members[p] = forces[t];
    }
    model.memberCount = p;
    results.memberCount = p;
}

// Marks a member's block with its own number so that its place can be seen.
void Mark(RcCheckData& rc, int slot) {
    RcMemberChecks& m = rc.memberChecks[slot];
    m.designStrength = static_cast<float>(m.memberNo);
    m.points[2].t1 = static_cast<float>(m.memberNo);
    m.points[1].cases[1].tuCK = 0;
}

TEST_F(RcBuild, MembersKeepTheirSettingsWhenTheFrameGainsOrLosesMembers) {
    InitRcSections(*rc, *model);
    SetMembers(*model, *results, {5, 6, 7});
    BuildRcCheckData(*rc, *results, *model);
    std::set<int> marked;
    for (int p = 1; p <= 3; ++p) Mark(*rc, p), marked.insert(5 + p - 1);
    struct Step {
        const char* what;
        std::initializer_list<int> numbers;
    } steps[] = {
        {"a member added at the end", {5, 6, 7, 8}},
        {"one added in the middle", {5, 9, 6, 7, 8}},
        {"one removed in the middle", {5, 6, 7, 8}},
        {"the order turned round (blocks trade places)", {8, 7, 6, 5}},
        {"the first two swapped", {7, 8, 6, 5}},
        {"the removed one back: new again", {7, 8, 9, 6, 5}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SetMembers(*model, *results, step.numbers);
        BuildRcCheckData(*rc, *results, *model);
        ASSERT_EQ(rc->memberCount, static_cast<int>(step.numbers.size()));
        int p = 0;
        for (int no : step.numbers) {
            const RcMemberChecks& m = rc->memberChecks[++p];
            EXPECT_EQ(m.memberNo, no);
            if (marked.count(no) != 0) {
                EXPECT_FLOAT_EQ(m.designStrength, static_cast<float>(no));
                EXPECT_FLOAT_EQ(m.points[2].t1, static_cast<float>(no));
                EXPECT_EQ(m.points[1].cases[1].tuCK, 0);
            } else {  // new: defaults, whatever the slot held before
                EXPECT_FLOAT_EQ(m.designStrength, 0.0f);
                EXPECT_FLOAT_EQ(m.points[2].t1, 0.0f);
                EXPECT_EQ(m.points[1].cases[1].tuCK, 1);
                if (no != 9) Mark(*rc, p), marked.insert(no);
            }
            EXPECT_EQ(m.pointCount, 5);
        }
    }
    // The sections were never rebuilt.
    EXPECT_EQ(rc->sectionCount, 1);
}

TEST_F(RcBuild, ANewMemberWithANewSectionGetsADefaultSection) {
    InitRcSections(*rc, *model);
    BuildRcCheckData(*rc, *results, *model);
    rc->sections[1].outer = RcBars{25, 6, 0, 0};
    model->sectionCount = 2;
    model->sections[2] = FrameSection{4, 0.35f, 0.01f, {}};
    SetFixedText(model->sections[2].name, kNameSize, "BR");
    SetMembers(*model, *results, {5, 6});
    model->members[2].sectionNo = 4;
    BuildRcCheckData(*rc, *results, *model);
    ASSERT_EQ(rc->sectionCount, 2);
    EXPECT_EQ(rc->sections[1].outer.d1, 25.0f);  // the user's bars stay
    EXPECT_EQ(rc->sections[2].no, 4);
    EXPECT_EQ(rc->sections[2].outer.d1, 19.0f);
    EXPECT_FLOAT_EQ(rc->sections[2].h, 350.0f);
    EXPECT_STREQ(rc->sections[2].name, "BR");
    EXPECT_EQ(rc->memberChecks[2].sectionNo, 4);
}

TEST_F(RcBuild, PointsKeepTheirSettingsByPositionWhenPointsAreAdded) {
    InitRcSections(*rc, *model);
    BuildRcCheckData(*rc, *results, *model);
    RcMemberChecks& m = rc->memberChecks[1];
    ASSERT_STREQ(m.points[2].name, "2.500");
    m.points[2].t1 = 200;           // a haunch at 2.5 m
    m.points[1].cases[1].tuCK = 0;  // no shear check at the i end
    m.points[4].t2 = 50;            // on the M-max row
    // A named point at 1 m comes before them; the one at 2.5 m moves to
    // slot 3.
    ResultMember& rm = results->member[1];
    const float pos[] = {0, 0, 1, 2.5f, 5, 10};
    const short kind[] = {0, 2, 2, 2, 1, 2};
    rm.pointCount = 5;
    for (int k = 1; k <= 5; ++k) rm.pointPos[k] = pos[k], rm.pointKind[k] = kind[k];
    SetFixedText(rm.pointLabel[1], kPointLabelBytes, "i-end");
    SetFixedText(rm.pointLabel[2], kPointLabelBytes, "");
    SetFixedText(rm.pointLabel[3], kPointLabelBytes, "");
    SetFixedText(rm.pointLabel[4], kPointLabelBytes, "");
    SetFixedText(rm.pointLabel[5], kPointLabelBytes, "j-end");
    for (int t = 1; t <= 2; ++t) {
        MemberResult& r = results->block[ComboBlockIndex(*results, t)].members[1];
        for (int k = 1; k <= 7; ++k) r.values[kQtyPos][k] = k <= 5 ? pos[k] : 5;
    }
    BuildRcCheckData(*rc, *results, *model);
    ASSERT_EQ(m.pointCount, 6);
    const char* names[] = {"", "i-end", "1.000", "2.500", "j-end", "M-max", "M-min"};
    for (int k = 1; k <= 6; ++k) EXPECT_STREQ(m.points[k].name, names[k]) << k;
    EXPECT_FLOAT_EQ(m.points[3].t1, 200.0f);
    EXPECT_FLOAT_EQ(m.points[2].t1, 0.0f);  // the new point
    EXPECT_EQ(m.points[2].cases[1].tuCK, 1);
    EXPECT_EQ(m.points[1].cases[1].tuCK, 0);
    EXPECT_EQ(m.points[4].cases[1].tuCK, 1);
    EXPECT_FLOAT_EQ(m.points[5].t2, 50.0f);
    // A named point that moves keeps its settings by its name.
    SetFixedText(rm.pointLabel[3], kPointLabelBytes, "H1");
    BuildRcCheckData(*rc, *results, *model);
    m.points[3].t1 = 120;
    rm.pointPos[3] = 3.0f;
    for (int t = 1; t <= 2; ++t)
        results->block[ComboBlockIndex(*results, t)].members[1].values[kQtyPos][3] = 3.0f;
    BuildRcCheckData(*rc, *results, *model);
    EXPECT_STREQ(m.points[3].name, "H1");
    EXPECT_FLOAT_EQ(m.points[3].t1, 120.0f);
}

// Sets the model's combinations to the numbers given (in that order), named
// "C<no>" (check type 1 by name); the fixture member's M in each is the
// combination's number, so that the forces a case took show where from.
void SetCombinations(FrameModel& model, FrameResults& results, std::initializer_list<int> numbers) {
    const MemberResult shape = results.block[ComboBlockIndex(results, 1)].members[1];
    int q = 0;
    for (int no : numbers) {
        KumiCase& k = model.combinations[++q];
        k.no = no;
        SetFixedText(k.name, kNameSize, ("C" + std::to_string(no)).c_str());
        MemberResult& r = results.block[ComboBlockIndex(results, q)].members[1];
        r = shape;
        for (float& m : r.values[kQtyM]) m = static_cast<float>(no);
    }
    model.combinationCount = q;
    results.comboCount = q;
}

// What a user sets for one combination: its check type in the settings
// window and, at a point, its allowables, material values and switches.
void MarkCase(RcCheckData& rc, int t) {
    const int no = rc.checkCases[t].comboNo;
    rc.checkCases[t].checkType = 2 + no % 2;
    RcCaseCheck& c = rc.memberChecks[1].points[2].cases[t];
    c.fck = static_cast<float>(no);
    c.sca = static_cast<float>(no) + 0.5f;
    c.vyCK = 1;
    c.sgCK = 0;
}

TEST_F(RcBuild, EachCombinationKeepsItsCheckTypeAndSettingsByItsNumber) {
    InitRcSections(*rc, *model);
    SetCombinations(*model, *results, {10, 20, 30});
    BuildRcCheckData(*rc, *results, *model);
    std::set<int> marked;
    for (int t = 1; t <= 3; ++t) MarkCase(*rc, t), marked.insert(rc->checkCases[t].comboNo);
    struct Step {
        const char* what;
        std::initializer_list<int> numbers;
    } steps[] = {
        {"one inserted before them", {5, 10, 20, 30}},
        {"the first one removed", {10, 20, 30}},
        {"the order turned round", {30, 20, 10}},
        {"20 renumbered 25: new, and 20's settings gone", {30, 25, 10}},
        {"20 back: new again", {20, 30, 25, 10}},
        {"all but one removed", {25}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SetCombinations(*model, *results, step.numbers);
        BuildRcCheckData(*rc, *results, *model);
        ASSERT_EQ(rc->checkCaseCount, static_cast<int>(step.numbers.size()));
        int t = 0;
        for (int no : step.numbers) {
            SCOPED_TRACE(no);
            const RcCheckCase& c = rc->checkCases[++t];
            EXPECT_EQ(c.comboNo, no);
            EXPECT_EQ(std::string(c.name), "C" + std::to_string(no));
            const RcCaseCheck& e = rc->memberChecks[1].points[2].cases[t];
            EXPECT_FLOAT_EQ(e.bend.m, static_cast<float>(no));  // its own forces
            if (marked.count(no) != 0) {
                EXPECT_EQ(c.checkType, 2 + no % 2);
                EXPECT_FLOAT_EQ(e.fck, static_cast<float>(no));
                EXPECT_FLOAT_EQ(e.sca, no + 0.5f);
                EXPECT_EQ(e.sgCK, 0);
                EXPECT_EQ(e.vyCK, 1);
            } else {  // new: the type of its name and that type's defaults
                EXPECT_EQ(c.checkType, 1);
                EXPECT_FLOAT_EQ(e.fck, 40.0f);
                EXPECT_FLOAT_EQ(e.sca, 8.0f);
                EXPECT_EQ(e.sgCK, 1);
                EXPECT_EQ(e.vyCK, 0);
                MarkCase(*rc, t), marked.insert(no);
            }
        }
        // A combination that is gone takes its settings with it.
        marked = std::set<int>(step.numbers);
    }
}

// RC data discarded (or never there) leave check cases behind in the
// record; a model built anew takes its types from its combinations' names,
// not from whatever case had the same combination number.
TEST_F(RcBuild, ChecksBuiltAnewTakeNoTypeFromCasesLeftInTheRecord) {
    BuildRcCheckData(*rc, *results, *model);
    rc->checkCases[1].checkType = 3;
    rc->checkCases[2].checkType = 2;
    rc->memberCount = 0;  // discarded: no RC data
    BuildRcCheckData(*rc, *results, *model);
    EXPECT_EQ(rc->checkCases[1].checkType, 1);  // "D+L"
    EXPECT_EQ(rc->checkCases[2].checkType, 3);  // 「L2地震」
    EXPECT_EQ(rc->memberChecks[1].points[1].cases[1].sgCK, 1);
}

TEST(RcPointText, PositionFromEitherEnd) {
    auto m = std::make_unique<RcMemberChecks>();
    m->length = 10;
    m->points[1].cases[1].bend.x = 1.25f;
    m->points[2].cases[1].bend.x = 8.0f;
    EXPECT_EQ(PointPositionText(*m, 1, 1, false), "i" + "→"_sj + "1.250");
    EXPECT_EQ(PointPositionText(*m, 2, 1, false), "2.000" + "←"_sj + "j");
    EXPECT_EQ(PointPositionText(*m, 2, 1, true), "j" + "→"_sj + "2.000");
    EXPECT_EQ(PointPositionText(*m, 1, 1, true), "1.250" + "←"_sj + "i");
    EXPECT_EQ(PointPositionText(*m, 99, 1, false), "");
}

}  // namespace
