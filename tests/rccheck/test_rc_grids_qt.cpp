// The three RC grids filled from the analysed portal frame (examples/
// portal.$O1: two columns of section 1, a beam of section 2, one
// combination), their NG marks, and edits written back into the RC record.
// Default sections: covers 30, outer D19x8 (2292.0 mm²), inner D22x8.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/grid_helpers.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/check_sheet_grid.h"
#include "rccheck/ui/member_grid.h"
#include "rccheck/ui/section_grid.h"

#include "tests/rccheck/rc_portal_fixture.h"

namespace {

// The analysed portal, built once; the RC record is rebuilt for every test.
RcCheckData& FreshPortalRc() {
    LoadPortalWithEmptyRc();
    RcCheckData& rc = *RcData;
    BuildRcCheckData(rc, *ResultData, *FrameData);
    InitRcSections(rc, *FrameData);
    CopySectionSizeToPoints(rc);
    ApplyCheckTypes(rc);
    ApplyCoversToPoints(rc);
    CheckAllMembers(rc);
    BuildEnvelope(rc);
    return rc;
}

void Edit(TStringGrid& grid, int col, int row, const std::string& text) {
    grid.SetCol(col);
    grid.SetRow(row);
    grid.SetCell(col, row, text);
}

int SheetRow(const TStringGrid& grid, const std::string& label, int nth = 1) {
    for (int r = 0; r < grid.RowCount(); ++r)
        if (grid.Cells(1, r).find(label) != std::string::npos && --nth == 0) return r;
    return -1;
}

bool SectionIsEmpty(const RcSection& s) {
    static const RcSection zero{};
    return std::memcmp(&s, &zero, sizeof zero) == 0;
}

struct ShiftHeld {
    explicit ShiftHeld(bool on) {
        SetKeyStateHook([on](int k) { return on && k == VK_SHIFT; });
    }
    ~ShiftHeld() { SetKeyStateHook(nullptr); }
};

}  // namespace

// --- bar arrangement table ---------------------------------------------

TEST(RcMemberGrid, ShowsSectionBarsAreasAndRatiosPerSide) {
    RcCheckData& rc = FreshPortalRc();
    ASSERT_EQ(rc.memberCount, 3);
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    EXPECT_EQ(grid.RowCount(), 7);
    EXPECT_EQ(grid.ColCount(), 13);
    EXPECT_EQ(grid.Cells(0, 1), "1");
    EXPECT_EQ(grid.Cells(1, 1), "外"_sj);
    EXPECT_EQ(grid.Cells(1, 2), "内"_sj);
    EXPECT_EQ(grid.Cells(2, 1), "30");
    EXPECT_EQ(grid.Cells(3, 1), "D19×8.00"_sj);
    EXPECT_EQ(grid.Cells(3, 2), "D22×8.00"_sj);
    EXPECT_EQ(grid.Cells(5, 1), "2292.0");
    EXPECT_EQ(grid.Cells(8, 1), "D13×2.00"_sj);
    EXPECT_EQ(grid.Cells(9, 1), "250");
    EXPECT_NE(grid.Cells(7, 4).find("(2)"), std::string::npos);  // beam: section 2
    // The NG marks follow the members' summaries of the checks.
    for (int i = 1; i <= 3; ++i) {
        const std::uint8_t* ng = rc.memberChecks[i].ng;
        const bool bend = ng[kNgFc] || ng[kNgFs] || ng[kNgFm];
        EXPECT_EQ(grid.Cells(6, 2 * i - 1)[0] == '*', bend) << i;
        EXPECT_EQ(grid.Cells(6, 2 * i)[0] == '*', bend) << i;
        EXPECT_EQ(grid.Cells(12, 2 * i - 1)[0] == '*', ng[kNgFt] || ng[kNgFv]) << i;
    }
    EXPECT_TRUE(MemberGridColumnAttribute(2).editable);
    EXPECT_FALSE(MemberGridColumnAttribute(5).editable);
}

TEST(RcMemberGrid, OneNgFlagMarksBothBendingCellsAndAwaShortfallIsMarked) {
    RcCheckData& rc = FreshPortalRc();
    rc.memberChecks[2].points[1].cases[1].ngFs = 1;
    rc.memberChecks[2].points[1].cases[1].awa = 9999.0f;  // more than Aw
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    EXPECT_EQ(grid.Cells(6, 3)[0], '*');
    EXPECT_EQ(grid.Cells(6, 4)[0], '*');
    EXPECT_EQ(grid.Cells(11, 3), "*9999.0");
    EXPECT_NE(grid.Cells(6, 1)[0], '*');  // member 1 untouched
}

TEST(RcMemberGrid, NoRequiredStirrupsShowsDot) {
    RcCheckData& rc = FreshPortalRc();
    for (int k = 1; k <= rc.memberChecks[1].pointCount; ++k)
        rc.memberChecks[1].points[k].cases[1].awa = 0;
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    EXPECT_EQ(grid.Cells(11, 1), "・"_sj);
}

TEST(RcMemberGrid, CoverAndBarEditsMoveDepthsOfEveryMemberOfTheSection) {
    struct Case {
        int col, row;
        const char* text;
        double dOuter, dInner;
    };
    const Case cases[] = {
        {2, 1, "40", 10, 0},   // outer cover 30 -> 40
        {3, 1, "25*8", 3, 0},  // D19 -> D25: half diameter 10 -> 13
        {2, 2, "45", 0, 15},   // inner cover 30 -> 45
    };
    for (const Case& c : cases) {
        RcCheckData& rc = FreshPortalRc();
        const float d1Col = rc.memberChecks[3].points[1].set1.d1;  // member 3 shares section 1
        const float d2Col = rc.memberChecks[3].points[1].set1.d2;
        const float d1Beam = rc.memberChecks[2].points[1].set1.d1;
        const float tbl = rc.memberChecks[3].maxSet1[1].d1;
        TStringGrid grid;
        FillMemberGrid(grid, rc, false);
        Edit(grid, c.col, c.row, c.text);
        FillMemberGrid(grid, rc, true);
        EXPECT_FLOAT_EQ(rc.memberChecks[3].points[1].set1.d1, d1Col + c.dOuter) << c.text;
        EXPECT_FLOAT_EQ(rc.memberChecks[3].points[1].set1.d2, d2Col + c.dInner) << c.text;
        EXPECT_FLOAT_EQ(rc.memberChecks[3].maxSet1[1].d1, tbl + c.dOuter) << c.text;
        EXPECT_FLOAT_EQ(rc.memberChecks[2].points[1].set1.d1, d1Beam) << c.text;
    }
}

TEST(RcMemberGrid, StirrupsAndNameGoWhereTheyBelong) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    Edit(grid, 8, 3, "16*4");
    FillMemberGrid(grid, rc, true);
    Edit(grid, 7, 3, "大梁"_sj);
    FillMemberGrid(grid, rc, true);
    const RcSection& s = rc.sections[FindRcSection(rc, rc.memberChecks[2].sectionNo)];
    EXPECT_EQ(s.stirrupD, 16.0f);
    EXPECT_EQ(s.stirrupLegs, 4.0f);
    EXPECT_EQ(rc.memberChecks[2].points[2].stirrupLegs, 4.0f);
    EXPECT_EQ(std::string(rc.memberChecks[2].name), "大梁"_sj);
}

TEST(RcMemberGrid, EditOfMemberWithoutSectionLeavesNoneRecordEmpty) {
    RcCheckData& rc = FreshPortalRc();
    rc.memberChecks[2].sectionNo = 99;
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    EXPECT_EQ(grid.Cells(3, 3), "");  // shown with the empty record
    Edit(grid, 2, 3, "70");
    FillMemberGrid(grid, rc, true);
    EXPECT_TRUE(SectionIsEmpty(rc.sections[0]));
    EXPECT_EQ(rc.sections[1].k1, 30.0f);
    EXPECT_EQ(rc.sections[2].k1, 30.0f);
}

TEST(RcMemberGrid, ClickOnReadOnlyColumnMovesToNearestEditable) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);
    grid.SetEnabled(false);
    grid.SetCol(9);
    MemberGridSelectCell(grid);
    EXPECT_EQ(grid.Col(), 9);
    grid.SetCol(6);  // left of 9, read-only: leftwards to 4
    MemberGridSelectCell(grid);
    EXPECT_EQ(grid.Col(), 4);
    grid.SetCol(10);  // right of 4, read-only: rightwards past 11, 12 to none -> stays 4
    MemberGridSelectCell(grid);
    EXPECT_EQ(grid.Col(), 4);
    grid.SetCol(7);
    EXPECT_TRUE(MemberGridSelectCell(grid));  // the name column opens the input method
}

// --- check sheet ---------------------------------------------------------

TEST(RcCheckSheet, EnvelopeShowsGoverningCaseAndNothingCaseBoundIsEditable) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 0, true);
    const int fc = SheetRow(grid, "安全性   fc"_sj);
    const int m = SheetRow(grid, "曲げﾓｰﾒﾝﾄ M"_sj);
    ASSERT_GT(fc, 0);
    ASSERT_GT(m, 0);
    EXPECT_NE(grid.Cells(3, fc).find("/1"), std::string::npos) << grid.Cells(3, fc);
    EXPECT_FALSE(CheckSheetRowAttribute(m).editable);
    EXPECT_FALSE(CheckSheetRowAttribute(SheetRow(grid, "照査する/否"_sj)).editable);
    EXPECT_TRUE(CheckSheetRowAttribute(SheetRow(grid, "1種目 外D1"_sj)).editable);
    // One column per point shown (the extreme rows may drop out).
    EXPECT_GE(grid.ColCount(), 4);
    EXPECT_LE(grid.ColCount(), rc.memberChecks[2].pointCount + 3);
}

TEST(RcCheckSheet, ShortSheetDropsFullDetailRows) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 1, 1, true);
    const int full = grid.RowCount();
    EXPECT_GT(SheetRow(grid, "部材幅   ｂ"_sj), 0);
    FillCheckSheet(grid, rc, false, 1, 1, false);
    EXPECT_LT(grid.RowCount(), full);
    EXPECT_LT(SheetRow(grid, "部材幅   ｂ"_sj), 0);
    EXPECT_LE(full, 58);
}

TEST(RcCheckSheet, BarEditReachesSectionAndShowsAsFormatted) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int row = SheetRow(grid, "1種目 外D1"_sj);
    Edit(grid, 3, row, "13*2.5");
    FillCheckSheet(grid, rc, true, 2, 1, true);
    const RcSection& s = rc.sections[FindRcSection(rc, 2)];
    EXPECT_EQ(s.outer.d1, 13.0f);
    EXPECT_FLOAT_EQ(s.outer.n1, 2.5f);
    EXPECT_EQ(s.stirrupD, 13.0f);  // stirrups untouched
    EXPECT_EQ(s.stirrupLegs, 2.0f);
    CheckMember(rc, 2);
    FillCheckSheet(grid, rc, false, 2, 1, true);
    EXPECT_EQ(grid.Cells(3, row), "D13×2.50"_sj);
}

TEST(RcCheckSheet, SwitchRowsTurnOneChecksOnAndOffAtOnePoint) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    int tu = -1;
    for (int r = 0; r < grid.RowCount(); ++r)
        if (CheckSheetRowAttribute(r).key == "(TuCK)") tu = r;
    ASSERT_GT(tu, 0);
    const int point = CheckSheetColumnPoint(3);
    const int other = CheckSheetColumnPoint(4);
    ASSERT_GT(point, 0);
    ASSERT_GT(other, 0);
    struct Step {
        std::string text;
        int expected;
    };
    for (const Step& s : {Step{"0", 0}, Step{"1", 1}, Step{"0", 0}, Step{"○"_sj, 1}}) {
        Edit(grid, 3, tu, s.text);
        FillCheckSheet(grid, rc, true, 2, 1, true);
        EXPECT_EQ(rc.memberChecks[2].points[point].cases[1].tuCK, s.expected) << s.text;
        EXPECT_EQ(rc.memberChecks[2].points[other].cases[1].tuCK, 1) << s.text;
    }
    // Off at that point: its shear stress cells are empty.
    Edit(grid, 3, tu, "0");
    FillCheckSheet(grid, rc, true, 2, 1, true);
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int tau = SheetRow(grid, "応力度  τ"_sj);
    ASSERT_GT(tau, 0);
    EXPECT_EQ(grid.Cells(3, tau), "");
    EXPECT_NE(grid.Cells(4, tau), "");
    EXPECT_EQ(grid.Cells(3, SheetRow(grid, "照査する/否"_sj, 4)), "**");
}

TEST(RcCheckSheet, ForceRowTakesOnePointEvenWithShiftOthersTakeAll) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int m = SheetRow(grid, "曲げﾓｰﾒﾝﾄ M"_sj);
    const int t1 = SheetRow(grid, "外側     t1"_sj);
    const int point = CheckSheetColumnPoint(3);
    const int count = rc.memberChecks[2].pointCount;
    ShiftHeld shift(true);
    Edit(grid, 3, m, "-1234.5");
    FillCheckSheet(grid, rc, true, 2, 1, true);
    Edit(grid, 3, t1, "100");
    FillCheckSheet(grid, rc, true, 2, 1, true);
    int moved = 0;
    for (int k = 1; k <= count; ++k) {
        moved += rc.memberChecks[2].points[k].cases[1].bend.m == -1234.5f;
        EXPECT_EQ(rc.memberChecks[2].points[k].t1, 100.0f) << k;
    }
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(rc.memberChecks[2].points[point].cases[1].bend.m, -1234.5f);
}

// A value the sheet shows as zero shows without a minus sign: "-0.00"
// reads as another number.
TEST(RcCheckSheet, ValuesShownAsZeroHaveNoMinusSign) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    RcCaseCheck& c = rc.memberChecks[2].points[CheckSheetColumnPoint(3)].cases[1];
    c.bend.m = -0.004f;
    c.bend.n = -0.001f;
    c.ss1 = -0.04f;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    EXPECT_EQ(grid.Cells(3, SheetRow(grid, "曲げﾓｰﾒﾝﾄ M"_sj)), "0.00");
    EXPECT_EQ(grid.Cells(3, SheetRow(grid, "圧縮軸力  N"_sj)), "0.00");
    EXPECT_EQ(grid.Cells(3, SheetRow(grid, "外鉄筋 σs1"_sj)), "0.0");
}

TEST(RcCheckSheet, NgValuesCarryMarkers) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int m = SheetRow(grid, "曲げﾓｰﾒﾝﾄ M"_sj);
    // A moment far beyond the section's capacity makes the bars fail.
    Edit(grid, 3, m, "90000");
    FillCheckSheet(grid, rc, true, 2, 1, true);
    CheckMember(rc, 2);
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int fs = SheetRow(grid, "安全性   fs"_sj);
    EXPECT_EQ(grid.Cells(3, fs)[0], '*') << grid.Cells(3, fs);
    const RcCaseCheck& other = rc.memberChecks[2].points[CheckSheetColumnPoint(4)].cases[1];
    EXPECT_EQ(grid.Cells(4, fs)[0] == '*', other.ngFs != 0);
    const int fc = SheetRow(grid, "安全性   fc"_sj);
    const RcCaseCheck& first = rc.memberChecks[2].points[CheckSheetColumnPoint(3)].cases[1];
    EXPECT_EQ(grid.Cells(3, fc)[0] == '*', first.ngFc != 0);
    EXPECT_EQ(grid.Cells(3, fc - 2)[0] == '*', first.ngFc != 0);  // the σc row, two above fc
}

TEST(RcCheckSheet, SelectionSkipsReadOnlyRowsInTheDirectionOfTheMove) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int pos = SheetRow(grid, "端からの距離"_sj);
    grid.SetEnabled(false);
    grid.SetRow(pos + 1);
    CheckSheetSelectCell(grid);  // downwards: the b row is editable
    EXPECT_TRUE(CheckSheetRowAttribute(grid.Row()).editable);
    grid.SetRow(pos);  // upwards from there: the name row above
    CheckSheetSelectCell(grid);
    EXPECT_EQ(grid.Row(), pos - 1);
}

// --- section table ---------------------------------------------------------

TEST(RcSectionGrid, ShowsOneColumnPerSectionAndAnAddColumn) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    grid.SetBounds(0, 0, 900, 700);
    FillSectionGrid(grid, rc, 0);
    EXPECT_EQ(grid.RowCount(), kSectionGridRows);
    EXPECT_EQ(grid.ColCount(), 3 + 2 + 1);
    EXPECT_EQ(grid.Cells(3, 1), "1");
    EXPECT_EQ(grid.Cells(4, 1), "2");
    EXPECT_EQ(grid.Cells(3, 4), "250");  // h from area 0.25 m² on b = 1 m
    EXPECT_EQ(grid.Cells(3, 5), "D19×8.00"_sj);
    EXPECT_EQ(grid.Cells(3, 16), "8.00");
    EXPECT_EQ(grid.Cells(3, 17), "0.270");
    EXPECT_EQ(grid.Cells(5, 0), "追加"_sj);
    EXPECT_EQ(grid.ColWidth(5), 32);
}

TEST(RcSectionGrid, ShiftAppliesToAllSectionsExceptNameRow) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillSectionGrid(grid, rc, 0);
    ShiftHeld shift(true);
    Edit(grid, 3, 17, "0.3");
    FillSectionGrid(grid, rc, 1);
    Edit(grid, 3, 2, "ABC");
    FillSectionGrid(grid, rc, 1);
    EXPECT_FLOAT_EQ(rc.sections[1].ta1, 0.3f);
    EXPECT_FLOAT_EQ(rc.sections[2].ta1, 0.3f);
    EXPECT_STREQ(rc.sections[1].name, "ABC");
    EXPECT_STRNE(rc.sections[2].name, "ABC");
    FillSectionGrid(grid, rc, 0);
    EXPECT_EQ(grid.Cells(4, 17), "0.300");
}

TEST(RcSectionGrid, NumbersAddRemoveAndRefuseDuplicates) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillSectionGrid(grid, rc, 0);
    std::string shown;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        shown = text;
        return mrOk;
    });
    Edit(grid, 4, 1, "1");  // section 2 to No 1: taken
    FillSectionGrid(grid, rc, 1);
    EXPECT_EQ(shown, "No.1 は重複するので受け付けません。"_sj);
    EXPECT_EQ(rc.sections[2].no, 2);
    Edit(grid, 5, 1, "7");  // the add column
    FillSectionGrid(grid, rc, 1);
    EXPECT_EQ(rc.sectionCount, 3);
    EXPECT_EQ(rc.sections[3].no, 7);
    Edit(grid, 3, 1, "0");  // removes section 1; the others close up
    FillSectionGrid(grid, rc, 1);
    EXPECT_EQ(rc.sectionCount, 2);
    EXPECT_EQ(rc.sections[1].no, 2);
    EXPECT_EQ(rc.sections[2].no, 7);
    SetMessageDlgHook(nullptr);
}

TEST(RcSectionGrid, BarsTypedWithStarAndCursorSkipsSeparator) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillSectionGrid(grid, rc, 0);
    Edit(grid, 3, 5, "13*2.5");
    FillSectionGrid(grid, rc, 1);
    EXPECT_EQ(rc.sections[1].outer.d1, 13.0f);
    EXPECT_EQ(rc.sections[1].stirrupD, 13.0f);
    EXPECT_EQ(rc.sections[1].stirrupLegs, 2.0f);
    grid.SetEnabled(false);
    grid.SetRow(14);
    MoveToEditableRow(grid);
    grid.SetRow(15);
    MoveToEditableRow(grid);
    EXPECT_EQ(grid.Row(), 16);
    grid.SetRow(20);
    MoveToEditableRow(grid);
    grid.SetRow(15);
    MoveToEditableRow(grid);
    EXPECT_EQ(grid.Row(), 14);
}

TEST(RcSectionGrid, AddColumnBeyondCapacityIsRefused) {
    RcCheckData& rc = FreshPortalRc();
    rc.sectionCount = kRcMaxSections;
    for (int k = 1; k <= kRcMaxSections; ++k) rc.sections[k].no = k;
    TStringGrid grid;
    FillSectionGrid(grid, rc, 0);
    std::string shown;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        shown = text;
        return mrOk;
    });
    Edit(grid, 3 + kRcMaxSections, 1, "9999");
    FillSectionGrid(grid, rc, 1);
    SetMessageDlgHook(nullptr);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(rc.sectionCount, kRcMaxSections);
}

TEST(RcCheckSheet, MemberWhoseOnlyRowsDropOutKeepsOnePointColumn) {
    RcCheckData& rc = FreshPortalRc();
    RcMemberChecks& m = rc.memberChecks[1];
    m.pointCount = 2;  // only the M-max and M-min rows, both at the i end
    for (int k = 1; k <= 2; ++k) m.points[k].cases[1].bend.x = 0.0f;
    TStringGrid grid;
    FillCheckSheet(grid, rc, false, 1, 1, true);
    EXPECT_EQ(grid.ColCount(), 4);
    EXPECT_EQ(grid.Cells(3, SheetRow(grid, "部材幅   ｂ"_sj)), "");
    EXPECT_EQ(CheckSheetColumnPoint(3), 0);
}

// What the engineer reads on the sheet after the bar table: no captions of
// that table above the point columns; in the envelope the effective depth
// and the stirrup area of every point (also an extreme row that no case
// checked); a "#" before the τa that is τsa, seen on screen.
TEST(RcCheckSheet, EnvelopeShowsDepthsAndStirrupsAndNoStaleCaptions) {
    RcCheckData& rc = FreshPortalRc();
    TStringGrid grid;
    FillMemberGrid(grid, rc, false);  // the window's grid showed the bar table
    ASSERT_FALSE(grid.Cells(5, 0).empty());
    grid.SetCell(0, 0, "");  // as the mode switch leaves it
    FillCheckSheet(grid, rc, false, 2, 0, true);
    for (int c = 3; c < grid.ColCount(); ++c) EXPECT_EQ(grid.Cells(c, 0), "") << c;
    const int d = SheetRow(grid, "有効高   ｄ"_sj);
    const int aw = SheetRow(grid, "鉄筋量  Aw$"_sj);
    ASSERT_GT(d, 0);
    ASSERT_GT(aw, 0);
    for (int c = 3; c < grid.ColCount(); ++c) {
        const RcPointCheck& p = rc.memberChecks[2].points[CheckSheetColumnPoint(c)];
        SCOPED_TRACE(p.name);
        EXPECT_EQ(grid.Cells(c, aw), "253.4");  // D13 x 2 legs
        // The beam is 280 deep: 280 - 41 or 280 - 40 mm, 「－」 for a row no
        // case reached.
        const bool checked = p.cases[1].tuCK && p.cases[1].dShear != 0.0f;
        if (checked)
            EXPECT_TRUE(grid.Cells(c, d) == "239" || grid.Cells(c, d) == "240") << grid.Cells(c, d);
        else
            EXPECT_EQ(grid.Cells(c, d), "－"_sj);
    }
}

TEST(RcCheckSheet, TheTauSaMarkIsSeen) {
    RcCheckData& rc = FreshPortalRc();
    // A shear far above τa at every point of the beam: with stirrups the
    // check is judged against τsa, marked "#".
    RcMemberChecks& beam = rc.memberChecks[2];
    for (int k = 1; k <= beam.pointCount; ++k) beam.points[k].cases[1].shear.s = 600;
    CheckMember(rc, 2);
    TStringGrid grid;
    grid.SetBounds(0, 0, 900, 1200);
    FillCheckSheet(grid, rc, false, 2, 1, true);
    const int ta = SheetRow(grid, "許容値 τa"_sj);
    ASSERT_GT(ta, 0);
    ASSERT_EQ(grid.Cells(3, ta).substr(0, 1), "#") << grid.Cells(3, ta);
    // Drawn with and without the mark: the two cells must differ.
    const TRect rect{0, 0, 80, 20};
    TBitmap marked(80, 20), plain(80, 20);
    DrawCheckSheetCell(grid, 3, ta, marked.Canvas(), rect);
    grid.SetCell(3, ta, grid.Cells(3, ta).substr(1));
    DrawCheckSheetCell(grid, 3, ta, plain.Canvas(), rect);
    int differing = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) differing += marked.Pixel(x, y) != plain.Pixel(x, y);
    EXPECT_GT(differing, 10);
}

// Text the data could not hold as typed is refused in every RC table, with
// a message, and changes nothing: a bar size without a row in the rebar
// table (it would count as no steel), a name with a comma (it would shift
// the data file's cells).
TEST(RcGrids, BarSizesWithoutARowAndNamesWithACommaAreRefused) {
    RcCheckData& rc = FreshPortalRc();
    std::string shown;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        shown = text;
        return mrOk;
    });
    const std::string noRow = "D11 は鉄筋の断面積表に無いので受け付けません。"_sj;
    const std::string comma = "名称にカンマ(,)は使えません。全角の「，」をお使いください。"_sj;
    {
        TStringGrid grid;
        FillSectionGrid(grid, rc, 0);
        struct Row {
            int row;
            std::string text;
            const std::string& message;
        } rows[] = {{5, "11*4", noRow}, {11, "D11×2"_sj, noRow}, {2, "S,1", comma}};
        for (const Row& r : rows) {
            shown.clear();
            Edit(grid, 3, r.row, r.text);
            FillSectionGrid(grid, rc, 1);
            EXPECT_EQ(shown, r.message) << r.text;
        }
        EXPECT_EQ(rc.sections[1].outer.d1, 19.0f);
        EXPECT_EQ(rc.sections[1].stirrupD, 13.0f);
        EXPECT_EQ(std::string(rc.sections[1].name), "柱"_sj);
    }
    {
        TStringGrid grid;
        FillCheckSheet(grid, rc, false, 2, 1, true);
        const int point = CheckSheetColumnPoint(3);
        const std::string name = rc.memberChecks[2].points[point].name;
        shown.clear();
        Edit(grid, 3, SheetRow(grid, "1種目 内D1"_sj), "11*4");
        FillCheckSheet(grid, rc, true, 2, 1, true);
        EXPECT_EQ(shown, noRow);
        EXPECT_EQ(rc.sections[2].inner.d1, 22.0f);
        shown.clear();
        int nameRow = -1;
        for (int r = 0; r < grid.RowCount(); ++r)
            if (CheckSheetRowAttribute(r).key == "(名称)"_sj) nameRow = r;
        Edit(grid, 3, nameRow, "p,1");
        FillCheckSheet(grid, rc, true, 2, 1, true);
        EXPECT_EQ(shown, comma);
        EXPECT_EQ(rc.memberChecks[2].points[point].name, name);
    }
    {
        TStringGrid grid;
        FillMemberGrid(grid, rc, false);
        const std::string name = rc.memberChecks[1].name;
        shown.clear();
        Edit(grid, 7, 1, "C,1");  // the member name column
        FillMemberGrid(grid, rc, true);
        EXPECT_EQ(shown, comma);
        EXPECT_EQ(rc.memberChecks[1].name, name);
        shown.clear();
        Edit(grid, 7, 1, "C，1"_sj);  // the full-width comma is taken
        FillMemberGrid(grid, rc, true);
        EXPECT_EQ(shown, "");
        EXPECT_EQ(std::string(rc.memberChecks[1].name), "C，1"_sj);
    }
    SetMessageDlgHook(nullptr);
}
