// What Enter does in each grid, selection by clicks, tab switches and undo,
// all through clicks and keys.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <cmath>

#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"

namespace {
const InputGrids& Grids(TFmMain& w) { return w.Grids; }
std::string Cell(TFmMain& w, GridId id, int col, int row) {
    return Cp932ToUtf8(w.Grid(id).Cells(col, row));
}
}  // namespace

TEST_F(MainWindowTest, ZeroAsTheSecondMomentGivesTheRectangleOfTheArea) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabSect);
    Type(kSgSection, 2, 1, "0.5");
    Type(kSgSection, 3, 1, "0");
    // A rectangle 1 m wide and 0.5 m high: 0.5^3 / 12.
    // Written as "%11.5e", shown after the commit in the column's "%12.5e".
    EXPECT_EQ(Cell(w, kSgSection, 3, 1), " 1.04167e-02");
    EXPECT_NEAR(FrameData->sections[1].inertia, 0.0104167, 1e-7);
}

TEST_F(MainWindowTest, SupportCodeFillsTheSpringColumns) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabSupt);
    ASSERT_EQ(CurrentSelection.supportCase, 1);
    struct Case {
        const char* code;
        const char* kx;
        const char* ky;
        const char* km;
        int nextCol;
    };
    const Case cases[] = {{"2", "0", "-1", "0", 1},
                          {"1", "-1", "-1", "0", 1},
                          {"3", "-1", "0", "0", 1},
                          {"4", "-1", "-1", "-1", 1},
                          {"5", "0", "0", "0", 3}};
    for (const Case& c : cases) {
        Type(kSgSupt2, 2, 1, c.code);
        const SuptEntry& e = FrameData->supportCases[1].entries[1];
        EXPECT_EQ(e.code, std::atoi(c.code));
        EXPECT_FLOAT_EQ(e.kx, std::atof(c.kx)) << c.code;
        EXPECT_FLOAT_EQ(e.ky, std::atof(c.ky)) << c.code;
        EXPECT_FLOAT_EQ(e.km, std::atof(c.km)) << c.code;
        EXPECT_EQ(w.Grid(kSgSupt2).Col(), c.nextCol) << c.code;
    }
}

TEST_F(MainWindowTest, NewCasesAreNamedAfterTheirNumber) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabSupt);
    Type(kSgSupt1, 1, w.Grid(kSgSupt1).RowCount() - 1, "3");
    ASSERT_EQ(FrameData->supportCaseCount, 2);
    EXPECT_EQ(Cp932ToUtf8(FrameData->supportCases[2].name), U("支点ケース. 3"_sj));
    ClickTab(TFmMain::kTabLoad);
    Type(kSgLoad1, 1, w.Grid(kSgLoad1).RowCount() - 1, "12");
    const LoadCase& lc = FrameData->loadCases[FrameData->loadCaseCount];
    EXPECT_EQ(Cp932ToUtf8(lc.name), U("荷重ケース.12"_sj));
    EXPECT_EQ(lc.suptCaseNo, 1);
    ClickTab(TFmMain::kTabKumi);
    Type(kSgKumi1, 1, w.Grid(kSgKumi1).RowCount() - 1, "4");
    const KumiCase& kc = FrameData->combinations[FrameData->combinationCount];
    EXPECT_EQ(Cp932ToUtf8(kc.name), U("組合せケース. 4"_sj));
    EXPECT_DOUBLE_EQ(kc.factor, 1.0);
}

TEST_F(MainWindowTest, EntryGridsWithoutACaseSayWhichCaseIsMissing) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    // A new load case typed but not chosen: no case is current.
    ClickTab(TFmMain::kTabLoad);
    Type(kSgLoad1, 1, w.Grid(kSgLoad1).RowCount() - 1, "9");
    ClickCell(kSgLoad1, 1, w.Grid(kSgLoad1).RowCount() - 1);
    ASSERT_EQ(CurrentSelection.loadCase, 0);
    messages.clear();
    Type(kSgLoad2, 1, 1, "11");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("荷重ケースが選択されていません."_sj));
}

TEST_F(MainWindowTest, DeletingARowKeepsTheCursorOnIt) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    Type(kSgPoint, 1, 2, "0");
    EXPECT_EQ(FrameData->nodeCount, 3);
    EXPECT_EQ(w.Grid(kSgPoint).Row(), 2);
    EXPECT_EQ(w.Grid(kSgPoint).Col(), 1);
    Type(kSgPoint, 2, 1, "0.5");
    EXPECT_EQ(w.Grid(kSgPoint).Col(), 3);  // on to the next column
    Type(kSgPoint, 3, 1, "0.5");
    EXPECT_EQ(w.Grid(kSgPoint).Row(), 2);  // last column: next row
    EXPECT_EQ(w.Grid(kSgPoint).Col(), 1);
}

TEST_F(MainWindowTest, MemberGridSkipsTheLengthColumnAndKeepsEndsZeroOrOne) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    Type(kSgMember, 9, 1, "0.2");
    EXPECT_EQ(w.Grid(kSgMember).Col(), 11);
    EXPECT_FLOAT_EQ(FrameData->members[1].rigidJ, 0.2f);
    Type(kSgMember, 6, 2, "3");
    EXPECT_EQ(Cell(w, kSgMember, 6, 2), "1");
}

TEST_F(MainWindowTest, PointsOfInterestAreTypedFromEitherEndAndCopied) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    // Select member 2 (6 m long) by clicking its row.
    ClickCell(kSgMember, 1, 2);
    ASSERT_EQ(CurrentSelection.memberFirst, 2);
    ClickTab(TFmMain::kTabView);
    ASSERT_EQ(Grids(w).ShownView2Member, 2);
    // A negative distance counts from the j end: 6 - 1.5 = 4.5.
    Type(kSgView2, 1, 2, "-1.5");
    const int vi = FindViewPointIndex(*FrameData, 2);
    ASSERT_GT(vi, 0);
    ASSERT_EQ(FrameData->view2[vi].count, 2);
    EXPECT_NEAR(FrameData->view2[vi].dist[2], 4.5, 1e-6);
    // Typing in the j-end column sets the distance from the i end.
    Type(kSgView2, 3, 2, "2");
    EXPECT_NEAR(FrameData->view2[vi].dist[2], 4.0, 1e-6);
    // "c2" while member 1 is selected copies member 2's points to it.
    ClickCell(kSgMember, 1, 1);
    Type(kSgView2, 1, 1, "c2");
    const int copied = FindViewPointIndex(*FrameData, 1);
    ASSERT_GT(copied, 0);
    EXPECT_EQ(FrameData->view2[copied].count, 2);
    // A member without points copies nothing.
    ClickCell(kSgMember, 1, 3);
    Type(kSgView2, 1, 1, "c3");
    EXPECT_EQ(FindViewPointIndex(*FrameData, 3), 0);
}

TEST_F(MainWindowTest, UndoReturnsToTheSnapshotAndTwiceIsLikeOnce) {
    Open(CopyExample("portal.$O1"));
    const std::string loaded = FrameDataFileText(*FrameData);
    Type(kSgPoint, 2, 2, "9");
    ASSERT_NE(FrameDataFileText(*FrameData), loaded);
    ClickButton("UnDo");
    EXPECT_EQ(FrameDataFileText(*FrameData), loaded);
    ClickButton("UnDo");
    EXPECT_EQ(FrameDataFileText(*FrameData), loaded);
    // A user's tab switch takes a new snapshot.
    Type(kSgPoint, 2, 2, "9");
    const std::string edited = FrameDataFileText(*FrameData);
    ClickTab(TFmMain::kTabSect);
    Type(kSgSection, 2, 1, "0.75");
    ClickButton("UnDo");
    EXPECT_EQ(FrameDataFileText(*FrameData), edited);
}

// Undone after a save, the model is no longer the file's: closing asks.
// Undo that changes nothing asks nothing.
TEST_F(MainWindowTest, UndoAfterASaveLeavesTheModelToBeSaved) {
    const std::string file = CopyExample("portal.$O1");
    Open(file);
    ClickButton("UnDo");
    EXPECT_FALSE(ModifiedFlag);
    Type(kSgPoint, 2, 2, "9");
    ClickButton(U("保存"_sj));
    ASSERT_FALSE(ModifiedFlag);
    const std::string saved = ReadBytes(file);
    ClickButton("UnDo");
    EXPECT_TRUE(ModifiedFlag);
    messages.clear();
    answer = mrCancel;
    EXPECT_FALSE(window->Close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("修正されています。保存して終了しますか？"_sj));
    EXPECT_EQ(ReadBytes(file), saved);
}

TEST_F(MainWindowTest, CtrlZUndoesAndF9Calculates) {
    Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickCell(kSgPoint, 2, 2);
    PressKey(Qt::Key_F9);
    EXPECT_EQ(ResultData->memberCount, 3);
    ClickTab(TFmMain::kTabPoint);
    const std::string loaded = FrameDataFileText(*FrameData);
    Type(kSgPoint, 2, 2, "9");
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FrameDataFileText(*FrameData), loaded);
}

TEST_F(MainWindowTest, ClickingALoadCaseShowsItsLoadsAndCases) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 2);
    EXPECT_EQ(CurrentSelection.loadCase, FrameData->loadCases[2].no);
    EXPECT_EQ(w.Grid(kSgLoad2).RowCount(), FrameData->loadCases[2].count + 2);
    EXPECT_EQ(w.Grid(kSgLoad2).Row(), w.Grid(kSgLoad2).RowCount() - 1);
    // A nodal load retitles the columns.
    ClickCell(kSgLoad2, 1, 1);
    ASSERT_EQ(FrameData->loadCases[2].loads[1].code, 51);
    EXPECT_EQ(Cell(w, kSgLoad2, 2, 0), U("格点"_sj));
    EXPECT_EQ(Cell(w, kSgLoad2, 4, 0), U("水平荷重,(kN)"_sj));
}

TEST_F(MainWindowTest, CalculationShowsTheCombinationAndKeepsTheTabWhenAutomatic) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    // 逐次計算: typing recalculates once it pauses, and the tab stays.
    ClickButton(U("逐次計算"_sj));
    ClickCell(kSgPoint, 2, 2);
    TypeText("0");  // node 2's X as it is
    EXPECT_TRUE(WaitFor([] { return ResultData->memberCount == 3; }));
    EXPECT_EQ(w.Page1->ActivePage(), w.Tabs[TFmMain::kTabPoint]);
    ClickButton(U("逐次計算"_sj));
    ClickButton(U("計算実行"_sj));
    EXPECT_EQ(w.Page1->ActivePage(), w.Tabs[TFmMain::kTabKumi]);
    EXPECT_EQ(CurrentSelection.loadCase, 0);
}

TEST_F(MainWindowTest, NothingCanBeTypedWhileTheRcCheckWindowIsShowing) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(ResultData->memberCount, 3);
    OpenRcWindow();
    // What the RC check window's first show marked is not this test's.
    ModifiedFlag = false;
    messages.clear();
    ClickTab(TFmMain::kTabPoint);
    TStringGrid& g = w.Grid(kSgPoint);
    ClickCell(kSgPoint, 2, 2);
    const std::string before = g.Cells(2, 2);
    // A person typing "9" and Enter into the node grid.
    TypeText("9");
    PressEnter();
    EXPECT_EQ(g.Cells(2, 2), before);
    EXPECT_FALSE(g.Editing());
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_EQ(ResultData->memberCount, 3);  // the results the RC check uses stay
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], U("× RC照査画面表示中は変更できません。"_sj));
    // UnDo (the button, Ctrl+Z) would change the model under the RC check
    // too: it says the same and leaves the model and its results.
    const std::string model = FrameDataFileText(*FrameData);
    messages.clear();
    ClickButton("UnDo");
    ClickCell(kSgPoint, 2, 2);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FrameDataFileText(*FrameData), model);
    EXPECT_EQ(ResultData->memberCount, 3);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], U("× RC照査画面表示中は変更できません。"_sj));
    // The rigid-zone switch is part of the model as well.
    ClickButton(U("剛域の設定"_sj));
    EXPECT_FALSE(w.CkGoiki->Checked());
    EXPECT_EQ(FrameData->rigidZoneSwitch, 0);
    EXPECT_EQ(ResultData->memberCount, 3);
    EXPECT_FALSE(ModifiedFlag);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2], U("× RC照査画面表示中は変更できません。"_sj));
    // So are the points of interest that a double-click on their hint
    // deletes.
    ClickTab(TFmMain::kTabView);
    ASSERT_EQ(FrameData->view2Count, 1);
    for (QLabel* l : w.Widget()->findChildren<QLabel*>())
        if (l->text() == QString::fromUtf8(U("ｉ端からの距離に 0 入力で削除。"_sj)))
            DoubleClick(l, l->rect().center());
    EXPECT_EQ(FrameData->view2Count, 1);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[3], U("× RC照査画面表示中は変更できません。"_sj));
}

TEST_F(MainWindowTest, TypingWithoutEnterStillCountsAsAChange) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ASSERT_FALSE(ModifiedFlag);
    TStringGrid& g = w.Grid(kSgPoint);
    ClickCell(kSgPoint, 3, 3);
    TypeText("7");
    ASSERT_EQ(g.Cells(3, 3), "7");
    // The person goes to another tab: the typed value is now the model's.
    ClickTab(TFmMain::kTabSect);
    EXPECT_FLOAT_EQ(FrameData->nodes[3].y, 7.0f);
    EXPECT_TRUE(ModifiedFlag);
    answer = mrCancel;
    EXPECT_FALSE(w.Close());
    EXPECT_EQ(messages.size(), 1u);
}

// Ctrl+Z in a case grid: the case the cursor's row holds in the restored
// model becomes current, and its entries are the ones shown (a deleted first
// load case undone showed the loads of the case that had moved up).
TEST_F(MainWindowTest, UndoInACaseGridShowsTheCaseOfTheCursorsRow) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabLoad);
    Type(kSgLoad1, 1, 1, "0");
    ASSERT_EQ(FrameData->loadCaseCount, 1);
    ASSERT_EQ(w.Grid(kSgLoad1).Row(), 1);
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(FrameData->loadCaseCount, 2);
    EXPECT_EQ(CurrentSelection.loadCase, 1);
    EXPECT_EQ(Cell(w, kSgLoad2, 1, 1), "14");
    EXPECT_EQ(w.Grid(kSgLoad2).RowCount(), 4);
}
