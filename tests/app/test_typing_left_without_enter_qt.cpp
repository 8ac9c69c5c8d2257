// A person types into a cell and leaves it without Enter: with Tab, an
// arrow key, or a click on another row or grid. What was typed is kept,
// also when the move refills the grids (another case chosen, a member row
// reached), and the model has it at once.
#include <cstring>
#include <functional>
#include <string>

#include "main_window_fixture.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/model_tables.h"

namespace {

struct Story {
    const char* name;
    int tab;
    std::function<void()> act;
    std::function<void()> check;
};

}  // namespace

TEST_F(MainWindowTest, WhatIsTypedStaysWhenTheCellIsLeftWithoutEnter) {
    const Story stories[] = {
        // A new section typed across its row with Tab, left with Down.
        {"section row with Tab", TFmMain::kTabSect,
         [this] {
             ClickCell(kSgSection, 1, 3);
             TypeText("3");
             PressKey(Qt::Key_Tab);
             TypeText("0.3");
             PressKey(Qt::Key_Tab);
             TypeText("0.004");
             PressKey(Qt::Key_Down);
         },
         [] {
             ASSERT_EQ(FrameData->sectionCount, 3);
             EXPECT_EQ(FrameData->sections[3].no, 3);
             EXPECT_FLOAT_EQ(FrameData->sections[3].area, 0.3f);
             EXPECT_FLOAT_EQ(FrameData->sections[3].inertia, 0.004f);
         }},
        // A load case renamed, then the other load case clicked.
        {"load case name, other case clicked", TFmMain::kTabLoad,
         [this] {
             ClickCell(kSgLoad1, 2, 1);
             TypeText("DEAD");
             ClickCell(kSgLoad1, 2, 2);
         },
         [] { EXPECT_STREQ(FrameData->loadCases[1].name, "DEAD"); }},
        // A support typed on the append row, then its case clicked again.
        {"support node, case clicked", TFmMain::kTabSupt,
         [this] {
             ClickCell(kSgSupt1, 1, 1);
             ClickCell(kSgSupt2, 1, 3);
             TypeText("2");
             ClickCell(kSgSupt1, 2, 1);
         },
         [] {
             ASSERT_EQ(FrameData->supportCases[1].count, 3);
             EXPECT_EQ(FrameData->supportCases[1].entries[3].nodeNo, 2);
         }},
        // A member renamed, then the next member reached with Down.
        {"member name, Down", TFmMain::kTabPoint,
         [this] {
             ClickCell(kSgMember, 11, 1);
             TypeText("COL");
             PressKey(Qt::Key_Down);
         },
         [] { EXPECT_STREQ(FrameData->members[1].name, "COL"); }},
        // A combination's factor typed, then one of its entries clicked.
        {"combination factor, entry clicked", TFmMain::kTabKumi,
         [this] {
             ClickCell(kSgKumi1, 3, 1);
             TypeText("1.5");
             ClickCell(kSgKumi2, 1, 1);
         },
         [] { EXPECT_DOUBLE_EQ(FrameData->combinations[1].factor, 1.5); }},
    };
    for (const Story& s : stories) {
        SCOPED_TRACE(s.name);
        OpenPortal();
        ClickTab(s.tab);
        s.act();
        s.check();
        // Nothing was lost on the way to the file either.
        EXPECT_TRUE(ModifiedFlag);
        window.reset();
    }
}

// With 逐次計算 the results follow every key, so that what the figure shows
// is always the model the grids show: also after Escape has given a cell
// its text back, and after a cell was left without Enter.
TEST_F(MainWindowTest, AutomaticResultsFollowACellLeftOrCancelledWithoutEnter) {
    struct Leave {
        const char* name;
        int key;  // 0: a click on another tab, -1: on a display switch
        float x;  // node 3's x afterwards (6 m before)
    };
    const Leave leaves[] = {{"Escape", Qt::Key_Escape, 6.0f},
                            {"Down", Qt::Key_Down, 57.0f},
                            {"another tab", 0, 57.0f},
                            {"display switch", -1, 57.0f}};
    for (const Leave& l : leaves) {
        SCOPED_TRACE(l.name);
        OpenPortal();
        ClickButton(U("逐次計算"_sj));
        ASSERT_TRUE(window->CalcAuto->Checked());
        ClickCell(kSgPoint, 2, 3);
        TypeText("57");
        if (l.key > 0)
            PressKey(l.key);
        else if (l.key == 0)
            ClickTab(TFmMain::kTabSect);
        else
            ClickButton(U("数値"_sj));
        // Escape is a key like any other: its results follow the pause.
        WaitFor([] { return ResultData->memberCount > 0; });
        EXPECT_FLOAT_EQ(FrameData->nodes[3].x, l.x);
        ASSERT_GT(ResultData->memberCount, 0);
        EXPECT_FLOAT_EQ(ResultData->node[3].x, l.x);
        window.reset();
    }
}

// Nodes typed into an empty grid with Tab only, row after row: the number
// typed on the append row makes it a data row at once, so Tab after its
// last column goes on to the new append row (not out of the grid).
TEST_F(MainWindowTest, RowsTypedWithTabOnlyIntoAnEmptyGridAreAllKept) {
    Open("");
    ClickCell(kSgPoint, 1, 1);
    for (const char* v : {"1", "0", "0", "2", "6", "0"}) {
        TypeText(v);
        PressKey(Qt::Key_Tab);
    }
    ClickTab(TFmMain::kTabSect);
    ASSERT_EQ(FrameData->nodeCount, 2);
    EXPECT_FLOAT_EQ(FrameData->nodes[2].x, 6.0f);
}

// Entries typed into a case's entry grid with Tab and Enter: the row the
// cursor is on stays the row typed into when the grids are shown again.
TEST_F(MainWindowTest, EntriesTypedWithTabStayOnTheirRows) {
    OpenPortal();
    ClickTab(TFmMain::kTabSupt);
    ClickCell(kSgSupt1, 1, 1);
    ClickCell(kSgSupt2, 1, 3);
    TypeText("2");
    PressKey(Qt::Key_Tab);
    TypeText("1");
    PressEnter();
    TypeText("3");
    PressKey(Qt::Key_Tab);
    TypeText("2");
    PressEnter();
    const SuptCase& s = FrameData->supportCases[1];
    ASSERT_EQ(s.count, 4);
    EXPECT_EQ(s.entries[1].code, 4);
    EXPECT_EQ(s.entries[3].nodeNo, 2);
    EXPECT_EQ(s.entries[4].nodeNo, 3);
    EXPECT_EQ(s.entries[4].code, 2);

    ClickTab(TFmMain::kTabKumi);
    ClickCell(kSgKumi1, 1, 1);
    ClickCell(kSgKumi2, 1, 3);
    TypeText("2");
    PressKey(Qt::Key_Tab);
    TypeText("0.5");
    PressEnter();
    const KumiCase& k = FrameData->combinations[1];
    ASSERT_EQ(k.count, 3);
    EXPECT_DOUBLE_EQ(k.entries[1].factor, 1.0);
    EXPECT_EQ(k.entries[3].loadCaseNo, 2);
    EXPECT_DOUBLE_EQ(k.entries[3].factor, 0.5);
}

// With 逐次計算 and 自動保存 no key waits for a calculation: the results
// follow the text the cell shows once typing pauses (typing 40 shows the
// results of 40, not of 4), and the file is written only from what was
// committed. Text still being typed is asked about when the window closes.
TEST_F(MainWindowTest, TypingWithAutomaticCalculationSavesOnlyWhatWasCommitted) {
    const std::string file = CopyExample("portal.$O1");
    const std::string before = ReadBytes(file);
    TFmMain& w = Open(file);
    ASSERT_TRUE(w.AutoSave->Checked());
    ClickButton(U("逐次計算"_sj));
    ClickCell(kSgPoint, 2, 3);  // node 3's x, 6 m
    for (const char* key : {"4", "0"}) {
        ResultData->memberCount = 0;
        TypeText(key);
        EXPECT_EQ(ResultData->memberCount, 0) << "a key waited for a calculation";
        ASSERT_TRUE(WaitFor([] { return ResultData->memberCount > 0; })) << key;
        const float typed = key[0] == '4' ? 4.0f : 40.0f;
        EXPECT_FLOAT_EQ(FrameData->nodes[3].x, typed);
        EXPECT_FLOAT_EQ(ResultData->node[3].x, typed);
        // The cell still shows what was typed, being edited.
        EXPECT_EQ(w.Grid(kSgPoint).Cells(2, 3), key[0] == '4' ? "4" : "40");
        EXPECT_TRUE(w.Grid(kSgPoint).Editing());
    }
    EXPECT_EQ(ReadBytes(file), before);
    messages.clear();
    answer = mrCancel;
    EXPECT_FALSE(w.Close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("修正されています。保存して終了しますか？"_sj));
    // Enter commits: the calculation that follows saves the value typed.
    PressEnter();
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_NE(ReadBytes(file).find("   40.0000    4.0000"), std::string::npos);
    // Opening another file while typing asks first.
    ClickCell(kSgPoint, 3, 3);
    TypeText("7");
    messages.clear();
    dialogAnswer = CopyExample("continuous_beam.$O1");
    answer = mrCancel;
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), file);
}

// The load sums under the load grid are those of the loads as they now
// stand: portal's case 1 has 20 kN/m over the 6 m beam and 50 kN on it,
// 170 kN down; 80 kN for the 50 gives 200 kN at once.
TEST_F(MainWindowTest, LoadSumsFollowTheLoadJustTyped) {
    TFmMain& w = OpenPortal();
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 1);
    EXPECT_NE(U(w.Grids.lbSgmXY).find("170.000"), std::string::npos) << U(w.Grids.lbSgmXY);
    Type(kSgLoad2, ColumnOf(&LoadRecord::qI), 2, "-80");
    EXPECT_NE(U(w.Grids.lbSgmXY).find("200.000"), std::string::npos) << U(w.Grids.lbSgmXY);
}

// A name longer than its field keeps the characters typed, cut between two
// of them (they became half-width katakana): 25 full-width kana for a
// member's 40 bytes keep 20.
TEST_F(MainWindowTest, ALongNameIsCutBetweenCharactersAsTyped) {
    TFmMain& w = OpenPortal();
    std::string kana;
    for (int k = 0; k < 25; ++k) kana += "ア"_sj;
    Type(kSgMember, ColumnOf(&FrameMember::name), 1, U(kana));
    const FrameMember& m = FrameData->members[1];
    EXPECT_EQ(U(std::string(m.name, strnlen(m.name, sizeof m.name))), U(kana.substr(0, 40)));
    EXPECT_EQ(U(w.Grid(kSgMember).Cells(ColumnOf(&FrameMember::name), 1)), U(kana.substr(0, 40)));
}
