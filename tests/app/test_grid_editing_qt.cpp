// What Enter does in each grid, selection by clicks, tab switches and undo,
// all through clicks and keys.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <cmath>

#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/string_list.h"

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

// Text a column cannot take gets a message when it is committed, and the
// cell and the model keep what they held; what a column can take is kept as
// the data file keeps it, and shown so.
TEST_F(MainWindowTest, TypedTextIsTakenAsTheFileKeepsItOrRefusedWithAMessage) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    struct Case {
        int tab;
        GridId grid;
        int col, row;
        std::string typed;    // UTF-8
        std::string refused;  // a part of the message; "" when taken
        std::string shown;    // the cell after Enter when taken
    };
    const Case cases[] = {
        {TFmMain::kTabPoint, kSgPoint, 1, 2, "abc", U("数値ではありません"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 1, 2, "-3", U("負の数"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 1, 2, U("－３"_sj), U("負の数"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 1, 2, "2.95", U("整数"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 2, 3, "1,5", U("数値ではありません"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 2, 3, "-1234.5678", U("桁に収まりません"_sj), ""},
        {TFmMain::kTabPoint, kSgPoint, 2, 3, "1e39", U("桁に収まりません"_sj), ""},
        {TFmMain::kTabSect, kSgSection, 2, 1, "-0.5", U("0 より大きい"_sj), ""},
        {TFmMain::kTabSect, kSgSection, 3, 1, "-1e-3", U("0 より大きい"_sj), ""},
        {TFmMain::kTabPoint, kSgMember, 2, 1, "1.5", U("整数"_sj), ""},
        // Full-width digits and comma read as 1.5.
        {TFmMain::kTabPoint, kSgPoint, 2, 3, U("１，５"_sj), "", " 1.5000"},
        {TFmMain::kTabKumi, kSgKumi2, 2, 1, "1.2345", "", "1.2345"},
        {TFmMain::kTabKumi, kSgKumi1, 3, 1, "0.8765", "", "0.8765"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ClickTab(c.tab);
        const std::string model = FrameDataFileText(*FrameData);
        const std::string before = Cell(w, c.grid, c.col, c.row);
        messages.clear();
        Type(c.grid, c.col, c.row, c.typed);
        if (c.refused.empty()) {
            EXPECT_TRUE(messages.empty()) << messages[0];
            EXPECT_EQ(Cell(w, c.grid, c.col, c.row), c.shown);
            continue;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(c.refused), std::string::npos) << messages[0];
        EXPECT_EQ(Cell(w, c.grid, c.col, c.row), before);
        EXPECT_EQ(FrameDataFileText(*FrameData), model);
    }
    EXPECT_FLOAT_EQ(FrameData->nodes[3].x, 1.5f);
    EXPECT_FLOAT_EQ(FrameData->combinations[1].entries[1].factor, 1.2345f);
    EXPECT_DOUBLE_EQ(FrameData->combinations[1].factor, 0.8765);
    // With 逐次計算 a number half typed ("-") waits for its digits.
    ClickTab(TFmMain::kTabPoint);
    Type(kSgPoint, 2, 3, "6");
    ClickButton(U("逐次計算"_sj));
    messages.clear();
    Type(kSgPoint, 2, 3, "-6");
    EXPECT_TRUE(messages.empty()) << messages[0];
    EXPECT_FLOAT_EQ(FrameData->nodes[3].x, -6.0f);
    ClickButton(U("逐次計算"_sj));
    // A support spring: the grid, the model and the file hold one number.
    ClickTab(TFmMain::kTabSupt);
    Type(kSgSupt2, 2, 2, "5");
    Type(kSgSupt2, 3, 2, "1.23456e5");
    const float kx = FrameData->supportCases[1].entries[2].kx;
    EXPECT_DOUBLE_EQ(TextToDouble(w.Grid(kSgSupt2).Cells(3, 2)), kx);
    auto read = NewFrameModelRecord();
    std::string warnings;
    TStringList lines;
    WriteFrameDataFile(lines, *FrameData);
    ReadFrameDataFile(*read, lines, warnings);
    EXPECT_EQ(read->supportCases[1].entries[2].kx, kx);
    EXPECT_NEAR(kx, 1.23456e5, 0.005 * 1.23456e5);
}

// Code 0 deletes a support, as the hint beside the table says; a node that
// does not exist is marked in the member table like node 0 and the member
// gets no length.
TEST_F(MainWindowTest, SupportCodeZeroDeletesAndAMissingNodeIsMarked) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabSupt);
    Type(kSgSupt2, 2, 2, "0");
    EXPECT_EQ(FrameData->supportCases[1].count, 1);
    EXPECT_EQ(w.Grid(kSgSupt2).Row(), 2);
    Type(kSgMember, 2, 1, "9");
    EXPECT_EQ(FrameData->members[1].nodeI, 9);
    EXPECT_EQ(GridCellLook(w.Grids, *FrameData, CurrentSelection, kSgMember, 2, 1).text, "**");
    EXPECT_EQ(GridCellLook(w.Grids, *FrameData, CurrentSelection, kSgMember, 10, 1).text, "**");
    EXPECT_NE(GridCellLook(w.Grids, *FrameData, CurrentSelection, kSgMember, 10, 2).text, "**");
}

// In a cell's editor Ctrl+A, Ctrl+X, Ctrl+C and Ctrl+V do what they do in
// any text box; a key that changes no text (Backspace on a closed cell,
// Enter without typing) leaves the model unmodified.
TEST_F(MainWindowTest, EditorKeysWorkInACellAndKeysThatChangeNothingModifyNothing) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickCell(kSgPoint, 2, 3);
    PressKey(Qt::Key_Backspace, Qt::NoModifier, "\b");
    PressEnter();
    EXPECT_FALSE(ModifiedFlag);
    ClickCell(kSgPoint, 2, 3);
    TypeText("12.5");
    PressKey(Qt::Key_A, Qt::ControlModifier);
    PressKey(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Cell(w, kSgPoint, 2, 3), "");
    PressKey(Qt::Key_V, Qt::ControlModifier);
    TypeText("1");
    PressEnter();
    EXPECT_FLOAT_EQ(FrameData->nodes[3].x, 12.51f);
    EXPECT_TRUE(ModifiedFlag);
}

// Points of interest and equal-division ranges are the user's: a member
// briefly shorter keeps its points (the calculation names the point beyond
// the end meanwhile), and a renumbered member takes them along.
TEST_F(MainWindowTest, PointsOfInterestStayThroughShorterAndRenumberedMembers) {
    Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    // Member 2 runs from node 2 (0,4) to node 3 (6,4); 中央 at 3 m.
    Type(kSgPoint, 2, 3, "2");
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(U("部材長"_sj)), std::string::npos) << messages[0];
    ClickTab(TFmMain::kTabPoint);
    Type(kSgPoint, 2, 3, "6");
    ASSERT_EQ(FrameData->view2Count, 1);
    EXPECT_EQ(FrameData->view2[1].memberNo, 2);
    EXPECT_FLOAT_EQ(FrameData->view2[1].dist[1], 3.0f);
    EXPECT_EQ(U(Trim(FrameData->view2[1].pointName[1])), U("中央"_sj));
    // Members 1 and 2 renumbered: the range 1..3 and the points follow.
    Type(kSgMember, 1, 1, "7");
    Type(kSgMember, 1, 2, "9");
    EXPECT_EQ(FrameData->view1[1].firstMember, 7);
    EXPECT_EQ(FrameData->view2[1].memberNo, 9);
    // The loads still name the old numbers (the user sees and mends them);
    // nothing is said of the points or ranges.
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].find(U("着目点"_sj)), std::string::npos) << messages[0];
    // A range ending at a deleted member (7..3 by number now) ends at the
    // nearest member inside it; a deleted member takes its points.
    ClickTab(TFmMain::kTabPoint);
    Type(kSgMember, 1, 3, "0");
    EXPECT_EQ(FrameData->view1[1].lastMember, 7);
    Type(kSgMember, 1, 2, "0");
    EXPECT_EQ(FrameData->view2Count, 0);
}
