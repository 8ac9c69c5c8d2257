// The input grids and the model: filling, writing back, deleting rows,
// sorting, capacities and the cell texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "app/grid_helpers.h"
#include "app/input_grids.h"
#include "loose_grids.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

namespace {

using Grids = LooseGrids;

std::unique_ptr<FrameModel> LoadExample(const std::string& name) {
    auto m = NewFrameModelRecord();
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/" + name, *m, warnings));
    EXPECT_EQ(warnings, "");
    return m;
}

std::string U(const std::string& cp932) { return Cp932ToUtf8(cp932); }

// Relative agreement of a value written with a format of `digits`
// significant or fixed decimals.
void Near(double expected, double actual, double tol, const char* what) {
    EXPECT_NEAR(expected, actual, tol * std::max(1.0, std::fabs(expected))) << what;
}

// Every input field of the model (derived values left out).
void ExpectSameInput(const FrameModel& a, const FrameModel& b) {
    const double t = 1e-4;
    ASSERT_EQ(a.nodeCount, b.nodeCount);
    for (int k = 1; k <= a.nodeCount; ++k) {
        EXPECT_EQ(a.nodes[k].no, b.nodes[k].no);
        Near(a.nodes[k].x, b.nodes[k].x, t, "x");
        Near(a.nodes[k].y, b.nodes[k].y, t, "y");
    }
    ASSERT_EQ(a.materialCount, b.materialCount);
    for (int k = 1; k <= a.materialCount; ++k) {
        EXPECT_EQ(a.materials[k].no, b.materials[k].no);
        Near(a.materials[k].e, b.materials[k].e, t, "E");
        Near(a.materials[k].alpha, b.materials[k].alpha, t, "alpha");
    }
    ASSERT_EQ(a.sectionCount, b.sectionCount);
    for (int k = 1; k <= a.sectionCount; ++k) {
        EXPECT_EQ(a.sections[k].no, b.sections[k].no);
        Near(a.sections[k].area, b.sections[k].area, t, "A");
        Near(a.sections[k].inertia, b.sections[k].inertia, t, "I");
        EXPECT_STREQ(a.sections[k].name, b.sections[k].name);
    }
    ASSERT_EQ(a.memberCount, b.memberCount);
    for (int k = 1; k <= a.memberCount; ++k) {
        const FrameMember &x = a.members[k], &y = b.members[k];
        EXPECT_EQ(x.no, y.no);
        EXPECT_EQ(x.nodeI, y.nodeI);
        EXPECT_EQ(x.nodeJ, y.nodeJ);
        EXPECT_EQ(x.sectionNo, y.sectionNo);
        EXPECT_EQ(x.materialNo, y.materialNo);
        EXPECT_EQ(x.endI, y.endI);
        EXPECT_EQ(x.endJ, y.endJ);
        Near(x.rigidI, y.rigidI, 1e-3, "rigidI");
        Near(x.rigidJ, y.rigidJ, 1e-3, "rigidJ");
        EXPECT_STREQ(x.name, y.name);
    }
    EXPECT_EQ(a.rigidZoneSwitch, b.rigidZoneSwitch);
    ASSERT_EQ(a.springCaseCount, b.springCaseCount);
    for (int k = 1; k <= a.springCaseCount; ++k) {
        const BaneCase &x = a.springCases[k], &y = b.springCases[k];
        EXPECT_EQ(x.no, y.no);
        EXPECT_STREQ(x.name, y.name);
        ASSERT_EQ(x.count, y.count);
        for (int e = 1; e <= x.count; ++e) {
            EXPECT_EQ(x.entries[e].memberNo, y.entries[e].memberNo);
            Near(x.entries[e].kv, y.entries[e].kv, t, "kv");
            Near(x.entries[e].ku, y.entries[e].ku, t, "ku");
        }
    }
    ASSERT_EQ(a.supportCaseCount, b.supportCaseCount);
    for (int k = 1; k <= a.supportCaseCount; ++k) {
        const SuptCase &x = a.supportCases[k], &y = b.supportCases[k];
        EXPECT_EQ(x.no, y.no);
        EXPECT_STREQ(x.name, y.name);
        ASSERT_EQ(x.count, y.count);
        for (int e = 1; e <= x.count; ++e) {
            EXPECT_EQ(x.entries[e].nodeNo, y.entries[e].nodeNo);
            EXPECT_EQ(x.entries[e].code, y.entries[e].code);
            Near(x.entries[e].kx, y.entries[e].kx, t, "kx");
            Near(x.entries[e].ky, y.entries[e].ky, t, "ky");
            Near(x.entries[e].km, y.entries[e].km, t, "km");
        }
    }
    ASSERT_EQ(a.view1Count, b.view1Count);
    for (int k = 1; k <= a.view1Count; ++k) {
        EXPECT_EQ(a.view1[k].firstMember, b.view1[k].firstMember);
        EXPECT_EQ(a.view1[k].lastMember, b.view1[k].lastMember);
        EXPECT_EQ(a.view1[k].divisions, b.view1[k].divisions);
    }
    ASSERT_EQ(a.view2Count, b.view2Count);
    for (int k = 1; k <= a.view2Count; ++k) {
        EXPECT_EQ(a.view2[k].memberNo, b.view2[k].memberNo);
        ASSERT_EQ(a.view2[k].count, b.view2[k].count);
        for (int p = 1; p <= a.view2[k].count; ++p) {
            Near(a.view2[k].dist[p], b.view2[k].dist[p], 1e-3, "dist");
            // The data file pads point names; the grid shows them trimmed.
            EXPECT_EQ(Trim(a.view2[k].pointName[p]), Trim(b.view2[k].pointName[p]));
        }
    }
    ASSERT_EQ(a.loadCaseCount, b.loadCaseCount);
    for (int k = 1; k <= a.loadCaseCount; ++k) {
        const LoadCase &x = a.loadCases[k], &y = b.loadCases[k];
        EXPECT_EQ(x.no, y.no);
        EXPECT_STREQ(x.name, y.name);
        EXPECT_EQ(x.suptCaseNo, y.suptCaseNo);
        EXPECT_EQ(x.baneCaseNo, y.baneCaseNo);
        ASSERT_EQ(x.count, y.count);
        for (int e = 1; e <= x.count; ++e) {
            EXPECT_EQ(x.loads[e].code, y.loads[e].code);
            EXPECT_EQ(x.loads[e].memberFrom, y.loads[e].memberFrom);
            EXPECT_EQ(x.loads[e].memberTo, y.loads[e].memberTo);
            Near(x.loads[e].qI, y.loads[e].qI, 1e-3, "qI");
            Near(x.loads[e].qJ, y.loads[e].qJ, 1e-3, "qJ");
            Near(x.loads[e].distI, y.loads[e].distI, 1e-3, "distI");
            Near(x.loads[e].distJ, y.loads[e].distJ, 1e-3, "distJ");
        }
    }
    ASSERT_EQ(a.combinationCount, b.combinationCount);
    for (int k = 1; k <= a.combinationCount; ++k) {
        const KumiCase &x = a.combinations[k], &y = b.combinations[k];
        EXPECT_EQ(x.no, y.no);
        EXPECT_STREQ(x.name, y.name);
        Near(x.factor, y.factor, 1e-3, "factor");
        ASSERT_EQ(x.count, y.count);
        for (int e = 1; e <= x.count; ++e) {
            EXPECT_EQ(x.entries[e].loadCaseNo, y.entries[e].loadCaseNo);
            Near(x.entries[e].factor, y.entries[e].factor, 1e-3, "entry factor");
        }
    }
}

// Shows every case of every table once (so that each case's entries pass
// through its entry grid) and writes the grids back each time.
void CommitThroughEveryCase(Grids& grids, FrameModel& m) {
    const int n = std::max({m.supportCaseCount, m.springCaseCount, m.loadCaseCount,
                            m.combinationCount, m.memberCount, 1});
    for (int k = 1; k <= n; ++k) {
        SelectionState sel;
        sel.supportCase = k <= m.supportCaseCount ? m.supportCases[k].no : 0;
        sel.springCase = k <= m.springCaseCount ? m.springCases[k].no : 0;
        sel.loadCase = k <= m.loadCaseCount ? m.loadCases[k].no : 0;
        sel.combination = k <= m.combinationCount ? m.combinations[k].no : 0;
        sel.memberFirst = k <= m.memberCount ? m.members[k].no : 0;
        ModelToGrids(grids.g, m, sel);
        ASSERT_EQ(GridsToModel(grids.g, m, sel), "");
    }
}

class ExampleRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleRoundTrip, GridsGiveBackTheModelAndASecondPassChangesNothing) {
    auto original = LoadExample(GetParam());
    auto m = NewFrameModelRecord();
    std::memcpy(m.get(), original.get(), sizeof(FrameModel));
    Grids grids;
    CommitThroughEveryCase(grids, *m);
    ExpectSameInput(*original, *m);
    // The display formats round once; after that the mapping is exact.
    auto once = NewFrameModelRecord();
    std::memcpy(once.get(), m.get(), sizeof(FrameModel));
    CommitThroughEveryCase(grids, *m);
    EXPECT_EQ(FrameDataFileText(*once), FrameDataFileText(*m));
    EXPECT_TRUE(RowsBeyondCountsAreZero(*m));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRoundTrip,
                         ::testing::Values("portal.$O1", "continuous_beam.$O1", "spring_beam.$O1"));

class GridMapping : public ::testing::Test {
  protected:
    void SetUp() override {
        m = LoadExample("portal.$O1");
        sel.supportCase = 1;
        sel.loadCase = 1;
        sel.combination = 1;
        sel.memberFirst = 2;
        ModelToGrids(grids.g, *m, sel);
    }
    std::string Commit() { return GridsToModel(grids.g, *m, sel); }
    std::unique_ptr<FrameModel> m;
    SelectionState sel;
    Grids grids;
};

TEST_F(GridMapping, EveryGridEndsWithAnEmptyAppendRow) {
    EXPECT_EQ(grids[kSgPoint].RowCount(), m->nodeCount + 2);
    EXPECT_EQ(grids[kSgMember].RowCount(), m->memberCount + 2);
    EXPECT_EQ(grids[kSgPoint].Cells(1, grids[kSgPoint].RowCount() - 1), "");
    EXPECT_EQ(grids[kSgLoad2].RowCount(), m->loadCases[1].count + 2);
}

TEST_F(GridMapping, ZeroAsTheNumberDeletesTheRowAndTheRestMoveUp) {
    grids[kSgPoint].SetCell(1, 2, "0");
    ASSERT_EQ(Commit(), "");
    ASSERT_EQ(m->nodeCount, 3);
    EXPECT_EQ(m->nodes[1].no, 1);
    EXPECT_EQ(m->nodes[2].no, 3);
    EXPECT_FLOAT_EQ(m->nodes[2].x, 6.0f);
    EXPECT_EQ(m->nodes[3].no, 4);
}

TEST_F(GridMapping, RowsAndEntriesGivenUpAreZeroAgain) {
    // A node row, a load and the only named point go: the rows the tables
    // no longer count read zero, as in a record never written.
    grids[kSgPoint].SetCell(1, 2, "0");
    grids[kSgLoad2].SetCell(1, 1, "0");
    grids[kSgView2].SetCell(1, 1, "0");
    ASSERT_EQ(Commit(), "");
    ASSERT_EQ(m->nodeCount, 3);
    ASSERT_EQ(m->view2Count, 0);
    EXPECT_TRUE(RowsBeyondCountsAreZero(*m));
}

TEST_F(GridMapping, TextThatIsNoNumberDropsTheRow) {
    grids[kSgMaterial].SetCell(1, 1, "abc");
    ASSERT_EQ(Commit(), "");
    EXPECT_EQ(m->materialCount, 0);
}

TEST_F(GridMapping, FullWidthDigitsAreReadAsNumbers) {
    grids[kSgPoint].SetCell(2, 4, "１２．５"_sj);
    grids[kSgPoint].SetCell(3, 4, "－３"_sj);
    ASSERT_EQ(Commit(), "");
    EXPECT_FLOAT_EQ(m->nodes[4].x, 12.5f);
    EXPECT_FLOAT_EQ(m->nodes[4].y, -3.0f);
}

TEST_F(GridMapping, TypedRowOnTheAppendRowBecomesANewEntry) {
    TStringGrid& p = grids[kSgPoint];
    const int r = p.RowCount() - 1;
    p.SetCell(1, r, "5");
    p.SetCell(2, r, "3");
    p.SetCell(3, r, "7");
    ASSERT_EQ(Commit(), "");
    ASSERT_EQ(m->nodeCount, 5);
    EXPECT_EQ(m->nodes[5].no, 5);
    EXPECT_FLOAT_EQ(m->nodes[5].y, 7.0f);
}

TEST_F(GridMapping, MemberLengthAndAngleFollowTheirNodes) {
    ASSERT_EQ(Commit(), "");
    // Member 2 runs from (0,4) to (6,4); member 3 from (6,0) up to (6,4).
    EXPECT_NEAR(m->members[2].length, 6.0, 1e-6);
    EXPECT_NEAR(m->members[2].angle, 0.0, 1e-6);
    EXPECT_NEAR(m->members[3].angle, M_PI / 2, 1e-6);
}

TEST_F(GridMapping, NamesAreCutAtFortyBytesWithoutSplittingACharacter) {
    // 41 bytes: one ASCII letter then twenty double-byte characters.
    grids[kSgSection].SetCell(4, 1, "x" + "断断断断断断断断断断断断断断断断断断断断"_sj);
    ASSERT_EQ(Commit(), "");
    const std::string name = m->sections[1].name;
    EXPECT_LE(name.size(), 40u);
    EXPECT_EQ(name.size() % 2, 1u);  // "x" and whole characters only
}

TEST_F(GridMapping, ConcentratedAndDistributedLoadsKeepTheirRun) {
    TStringGrid& l = grids[kSgLoad2];
    l.SetCell(1, 2, "24");
    l.SetCell(3, 2, "3");
    l.SetCell(1, 1, "14");
    l.SetCell(3, 1, "3");
    ASSERT_EQ(Commit(), "");
    EXPECT_EQ(m->loadCases[1].loads[2].memberTo, 3);
    EXPECT_EQ(m->loadCases[1].loads[1].memberTo, 3);
}

TEST_F(GridMapping, LargestLoadIsRaisedButNeverLowered) {
    m->loadCases[1].maxLoad = 100;
    ModelToGrids(grids.g, *m, sel);
    ASSERT_EQ(Commit(), "");
    EXPECT_FLOAT_EQ(m->loadCases[1].maxLoad, 100.0f);
    grids[kSgLoad2].SetCell(4, 1, "-250");
    ASSERT_EQ(Commit(), "");
    EXPECT_FLOAT_EQ(m->loadCases[1].maxLoad, 250.0f);
}

TEST_F(GridMapping, DeletedSupportCaseLeavesTheOthersWithTheirOwnSupports) {
    // Give the model a second support case with one spring support.
    m->supportCaseCount = 2;
    SuptCase& c2 = m->supportCases[2];
    c2.no = 2;
    c2.count = 1;
    c2.entries[1].nodeNo = 4;
    c2.entries[1].code = 5;
    c2.entries[1].kx = 1000;
    ModelToGrids(grids.g, *m, sel);
    grids[kSgSupt1].SetCell(1, 1, "0");
    ASSERT_EQ(Commit(), "");
    ASSERT_EQ(m->supportCaseCount, 1);
    EXPECT_EQ(m->supportCases[1].no, 2);
    ASSERT_EQ(m->supportCases[1].count, 1);
    EXPECT_EQ(m->supportCases[1].entries[1].code, 5);
    // The label shows the case's place in the table.
    SelectionState s2 = sel;
    s2.supportCase = 2;
    ModelToGrids(grids.g, *m, s2);
    EXPECT_EQ(U(grids.g.LbSuptC), U("1："_sj) + U(m->supportCases[1].name));
}

TEST_F(GridMapping, SortedCaseRowsKeepTheirOwnEntries) {
    m->loadCases[2].no = 0;  // renumber so that sorting exchanges the rows
    m->loadCases[1].no = 9;
    m->loadCases[2].no = 3;
    sel.loadCase = 0;
    ModelToGrids(grids.g, *m, sel);
    const int loads9 = m->loadCases[1].count, loads3 = m->loadCases[2].count;
    const int code9 = m->loadCases[1].loads[1].code, code3 = m->loadCases[2].loads[1].code;
    SortGridRows(grids[kSgLoad1], 1);
    EXPECT_EQ(grids[kSgLoad1].Cells(1, 1), "3");
    ASSERT_EQ(Commit(), "");
    EXPECT_EQ(m->loadCases[1].no, 3);
    EXPECT_EQ(m->loadCases[1].count, loads3);
    EXPECT_EQ(m->loadCases[1].loads[1].code, code3);
    EXPECT_EQ(m->loadCases[2].no, 9);
    EXPECT_EQ(m->loadCases[2].count, loads9);
    EXPECT_EQ(m->loadCases[2].loads[1].code, code9);
}

TEST_F(GridMapping, RenumberedCaseKeepsItsOwnEntries) {
    // A case given a new number in its first column keeps what it held;
    // the selection still names the old number, as right after typing.
    struct Case {
        GridId grid;
        int (*count)(const FrameModel&);
    };
    const Case cases[] = {
        {kSgSupt1, [](const FrameModel& f) { return f.supportCases[1].count; }},
        {kSgLoad1, [](const FrameModel& f) { return f.loadCases[1].count; }},
        {kSgKumi1, [](const FrameModel& f) { return f.combinations[1].count; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grid);
        const int before = c.count(*m);
        ASSERT_GT(before, 0);
        grids[c.grid].SetCell(1, 1, "7");
        ASSERT_EQ(Commit(), "");
        EXPECT_EQ(c.count(*m), before);
        ModelToGrids(grids.g, *m, sel);
    }
    EXPECT_EQ(m->combinations[1].no, 7);
    EXPECT_EQ(m->combinations[1].entries[2].loadCaseNo, 2);
}

TEST_F(GridMapping, HeaderSortOfTheLoadsOrdersByFirstMemberAndKeepsTheAppendRow) {
    TStringGrid& l = grids[kSgLoad2];
    ASSERT_GE(l.RowCount(), 4);
    l.SetCell(2, 1, "3");
    l.SetCell(1, 1, "14");
    l.SetCell(2, 2, "1");
    l.SetCell(1, 2, "24");
    SortGridRows(l, 2);
    EXPECT_EQ(l.Cells(2, 1), "1");
    EXPECT_EQ(l.Cells(1, 1), "24");
    EXPECT_EQ(l.Cells(1, l.RowCount() - 1), "");
}

TEST_F(GridMapping, RowsBeyondATablesCapacityAreRefusedWithAMessage) {
    TStringGrid& p = grids[kSgPoint];
    p.SetRowCount(812);
    for (int r = 1; r <= 810; ++r) {
        p.SetCell(1, r, FormatStr("%d", r));
        p.SetCell(2, r, "1");
    }
    const std::string message = Commit();
    EXPECT_EQ(m->nodeCount, kMaxNodes);
    EXPECT_EQ(m->nodes[kMaxNodes].no, kMaxNodes);
    EXPECT_NE(U(message).find(U("格点"_sj)), std::string::npos);
}

TEST_F(GridMapping, PointsBeyondTheTenthSurviveAWriteBack) {
    View2Member& v = m->view2[1];
    ASSERT_EQ(v.memberNo, 2);
    v.count = 12;
    for (int p = 1; p <= 12; ++p) v.dist[p] = 0.4f * p;
    ModelToGrids(grids.g, *m, sel);
    EXPECT_GE(grids[kSgView2].RowCount(), 14);
    ASSERT_EQ(Commit(), "");
    EXPECT_EQ(m->view2[1].count, 12);
    EXPECT_NEAR(m->view2[1].dist[12], 4.8, 1e-6);
}

TEST_F(GridMapping, PointsOfInterestShowDistancesFromBothEnds) {
    // Member 2 (6 m) has a point at 3 m.
    EXPECT_EQ(grids[kSgView2].Cells(1, 1), "  3.000");
    EXPECT_EQ(grids[kSgView2].Cells(3, 1), "  3.000");
    EXPECT_EQ(U(grids.g.lbV2BzNo), U("部材No. 2 の着目点"_sj));
    SelectionState none = sel;
    none.memberFirst = 0;
    ModelToGrids(grids.g, *m, none);
    EXPECT_EQ(U(grids[kSgView2].Cells(2, 5)), U("部材が選択されていません"_sj));
}

TEST_F(GridMapping, CaseLabelsAndLoadSums) {
    EXPECT_EQ(U(grids.g.lbLLcNo), U("1："_sj) + U(m->loadCases[1].name));
    EXPECT_EQ(U(grids.g.LbBaneC), "---");
    m->loadCases[1].sumVertNeg = 170;
    ModelToGrids(grids.g, *m, sel);
    EXPECT_NE(U(grids.g.lbSgmXY).find(U("Σ(鉛直) = 0.000 - 170.000"_sj)), std::string::npos);
}

struct LookCase {
    GridId grid;
    int col, row;
    std::string cell;      // written into the cell first, "": as filled
    std::string expected;  // text shown
};

TEST_F(GridMapping, CellTextsShowCodesAndMissingReferences) {
    // An entry of combination 1 naming a load case that does not exist.
    m->combinations[1].entries[1].loadCaseNo = 42;
    ModelToGrids(grids.g, *m, sel);
    const LookCase cases[] = {
        {kSgKumi2, 3, 1, "", "** 未定義 **"_sj}, {kSgMember, 6, 1, "0", "剛"_sj},
        {kSgMember, 7, 1, "1", "ﾋﾟﾝ"_sj},        {kSgMember, 4, 1, "0", "**"},
        {kSgMember, 8, 1, "0.000", "－"_sj},     {kSgSupt2, 2, 1, "4", "4:固定"_sj},
        {kSgSupt2, 2, 1, "2", "2:Xrol"},         {kSgLoad2, 1, 1, "14", "14:鉛直分布"_sj},
        {kSgLoad1, 4, 1, "0", "－"_sj},          {kSgPoint, 0, 2, "", "2"},
    };
    for (const LookCase& c : cases) {
        if (!c.cell.empty()) grids[c.grid].SetCell(c.col, c.row, c.cell);
        EXPECT_EQ(GridCellLook(grids.g, *m, sel, c.grid, c.col, c.row).text, c.expected)
            << "grid " << c.grid << " col " << c.col;
    }
    const int append = grids[kSgPoint].RowCount() - 1;
    EXPECT_EQ(U(GridCellLook(grids.g, *m, sel, kSgPoint, 0, append).text), U("追加"_sj));
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgMember, 4, 1).font, 0x0000FFu);
}

TEST_F(GridMapping, UnusedLoadColumnsShowADash) {
    grids[kSgLoad2].SetCell(1, 2, "24");
    for (int col : {5, 7})
        EXPECT_EQ(U(GridCellLook(grids.g, *m, sel, kSgLoad2, col, 2).text), U("－"_sj)) << col;
    EXPECT_NE(U(GridCellLook(grids.g, *m, sel, kSgLoad2, 4, 2).text), U("－"_sj));
}

TEST_F(GridMapping, SelectedMemberHighlightsItsNodesSectionAndRow) {
    // Member 2 joins nodes 2 and 3 with section 2.
    const std::uint32_t yellow = 0x88FFFF;
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgPoint, 1, 2).back, yellow);
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgPoint, 1, 3).back, yellow);
    EXPECT_NE(GridCellLook(grids.g, *m, sel, kSgPoint, 1, 1).back, yellow);
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgSection, 1, 2).back, yellow);
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgMember, 1, 2).back, yellow);
    EXPECT_EQ(GridCellLook(grids.g, *m, sel, kSgMember, 1, 0).back, 0xC0C0C0u);
}

}  // namespace

TEST_F(GridMapping, NoCellShowsANegativeZero) {
    // Values that round to zero in their column's format, from below.
    m->nodes[1].x = -0.0f;
    m->nodes[1].y = -0.00001f;
    m->sections[1].inertia = -0.0f;
    m->members[1].rigidI = -0.0001f;
    m->loadCases[1].loads[1].qI = -0.0004f;
    m->loadCases[1].loads[1].distI = -0.0f;
    ModelToGrids(grids.g, *m, sel);
    EXPECT_EQ(grids[kSgPoint].Cells(2, 1), " 0.0000");
    EXPECT_EQ(grids[kSgPoint].Cells(3, 1), " 0.0000");
    EXPECT_EQ(grids[kSgSection].Cells(3, 1), " 0.00000e+00");
    EXPECT_EQ(grids[kSgMember].Cells(8, 1), "0.000");
    EXPECT_EQ(grids[kSgLoad2].Cells(4, 1), "   0.000");
    EXPECT_EQ(grids[kSgLoad2].Cells(6, 1), "0.000");
    // A small negative value that the format still shows keeps its sign.
    EXPECT_EQ(FormatCellNumber("%12.5e", -1e-30), "-1.00000e-30");
    EXPECT_EQ(FormatCellNumber("%7.4f", -0.00005), "-0.0001");
}
