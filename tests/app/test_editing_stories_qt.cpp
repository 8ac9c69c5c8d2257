// Whole stories of a person at the main window, by mouse and keyboard only:
// a frame typed into empty grids, calculated, saved and opened again; a
// modified model and the question before another file replaces it; a file
// read after a larger one.
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "app/batch_run.h"
#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"
#include "platform/string_list.h"
#include "tests/file_size_limit.h"
#include "tests/model/model_builder.h"

namespace {

// The model a data file holds (the file's own warnings must be none).
std::unique_ptr<FrameModel> ReadBack(const std::string& utf8Path) {
    auto m = NewFrameModelRecord();
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(Utf8ToCp932(utf8Path), *m, warnings));
    EXPECT_EQ(warnings, "");
    return m;
}

const ReactionRow* Reaction(int caseIndex, int nodeNo) {
    const ResultCase& b = ResultData->block[caseIndex];
    for (int r = 1; r <= b.reactionCount; ++r)
        if (b.reactions[r].nodeNo == nodeNo) return &b.reactions[r];
    return nullptr;
}

}  // namespace

TEST_F(MainWindowTest, AFrameTypedIntoEmptyGridsIsCalculatedSavedAndOpenedAsTyped) {
    // No file at all: every grid holds only its append row.
    TFmMain& w = Open("");
    ASSERT_EQ(FrameData->nodeCount, 0);
    ASSERT_EQ(w.Grid(kSgPoint).RowCount(), 2);

    // Nodes: a cantilever of two members along x, 2 m each. After the last
    // column Enter goes on to the next row's number.
    ClickCell(kSgPoint, 1, 1);
    TypeEntries({"1", "0", "0", "2", "2", "0", "3", "4", "0"});
    EXPECT_EQ(FocusedGrid(), &w.Grid(kSgPoint));
    // Section and material.
    ClickTab(TFmMain::kTabSect);
    ClickCell(kSgSection, 1, 1);
    TypeEntries({"1", "0.1", "0.002", U("梁"_sj)});
    ClickCell(kSgMaterial, 1, 1);
    TypeEntries({"1", "2.05e8", "1e-5"});
    // Members: number, ends, section, material, end conditions, rigid
    // zones; the length column is skipped on the way to the name.
    ClickCell(kSgMember, 1, 1);
    TypeEntries({"1", "1", "2", "1", "1", "0", "0", "0", "0", U("左"_sj)});
    TypeEntries({"2", "2", "3", "1", "1", "0", "1", "0", "0", U("右"_sj)});
    EXPECT_EQ(FocusedGrid(), &w.Grid(kSgMember));
    // Support case 1 with node 1 fixed (code 4 fills the three -1).
    ClickTab(TFmMain::kTabSupt);
    ClickCell(kSgSupt1, 1, 1);
    TypeEntries({"1"});
    ClickCell(kSgSupt1, 1, 1);
    ClickCell(kSgSupt2, 1, 1);
    TypeEntries({"1", "4"});
    // Load case 1 (support case 1 by default) with 10 kN down at node 3.
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 1);
    TypeEntries({"1"});
    ClickCell(kSgLoad1, 1, 1);
    ClickCell(kSgLoad2, 1, 1);
    TypeEntries({"51", "3", "", "0", "-10", "0", ""});
    // Combination 1 of load case 1 (factor 1 by default).
    ClickTab(TFmMain::kTabKumi);
    ClickCell(kSgKumi1, 1, 1);
    TypeEntries({"1"});
    ClickCell(kSgKumi1, 1, 1);
    ClickCell(kSgKumi2, 1, 1);
    TypeEntries({"1", "1.5"});
    EXPECT_TRUE(ModifiedFlag);

    // Saved under a name of our own, then calculated (自動保存 writes it
    // again) and saved once more.
    dialogAnswer = (dir / "typed").string();
    ChooseFileMenu(U("名前を付けて保存"_sj));
    const std::string file = (dir / "typed.$O1").string();
    ASSERT_EQ(Cp932ToUtf8(CurrentFileName), file);
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_TRUE(messages.empty()) << messages[0];
    ASSERT_EQ(ResultData->memberCount, 2);
    // A cantilever of 4 m with 10 kN at its tip: the fixed end takes 10 kN
    // and 40 kN*m.
    const ReactionRow* fixed = Reaction(1, 1);
    ASSERT_NE(fixed, nullptr);
    EXPECT_NEAR(fixed->ry, 10.0, 1e-4);
    EXPECT_NEAR(std::fabs(fixed->rm), 40.0, 1e-4);
    EXPECT_NEAR(fixed->rx, 0.0, 1e-6);
    ClickButton(U("保存"_sj));
    EXPECT_FALSE(ModifiedFlag);

    // Opened again: the file holds exactly what was typed.
    dialogAnswer = file;
    ChooseFileMenu(U("開く"_sj));
    const auto m = ReadBack(file);
    ASSERT_EQ(m->nodeCount, 3);
    const float xs[] = {0, 2, 4};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(m->nodes[k].no, k);
        EXPECT_FLOAT_EQ(m->nodes[k].x, xs[k - 1]);
        EXPECT_FLOAT_EQ(m->nodes[k].y, 0.0f);
    }
    ASSERT_EQ(m->sectionCount, 1);
    EXPECT_FLOAT_EQ(m->sections[1].area, 0.1f);
    EXPECT_FLOAT_EQ(m->sections[1].inertia, 0.002f);
    EXPECT_EQ(U(m->sections[1].name), U("梁"_sj));
    ASSERT_EQ(m->materialCount, 1);
    EXPECT_FLOAT_EQ(m->materials[1].e, 2.05e8f);
    EXPECT_FLOAT_EQ(m->materials[1].alpha, 1e-5f);
    ASSERT_EQ(m->memberCount, 2);
    const int ends[2][7] = {{1, 1, 2, 1, 1, 0, 0}, {2, 2, 3, 1, 1, 0, 1}};
    for (int k = 1; k <= 2; ++k) {
        const FrameMember& mb = m->members[k];
        const int got[7] = {mb.no,         mb.nodeI, mb.nodeJ, mb.sectionNo,
                            mb.materialNo, mb.endI,  mb.endJ};
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(got[c], ends[k - 1][c]) << "member " << k << " field " << c;
        EXPECT_EQ(mb.rigidI, 0.0f);
        EXPECT_EQ(mb.rigidJ, 0.0f);
    }
    EXPECT_EQ(U(m->members[1].name), U("左"_sj));
    EXPECT_EQ(U(m->members[2].name), U("右"_sj));
    ASSERT_EQ(m->supportCaseCount, 1);
    ASSERT_EQ(m->supportCases[1].count, 1);
    const SuptEntry& s = m->supportCases[1].entries[1];
    EXPECT_EQ(s.nodeNo, 1);
    EXPECT_EQ(s.code, 4);
    EXPECT_EQ(s.kx, -1.0f);
    EXPECT_EQ(s.ky, -1.0f);
    EXPECT_EQ(s.km, -1.0f);
    ASSERT_EQ(m->loadCaseCount, 1);
    const LoadCase& lc = m->loadCases[1];
    EXPECT_EQ(lc.no, 1);
    EXPECT_EQ(lc.suptCaseNo, 1);
    ASSERT_EQ(lc.count, 1);
    EXPECT_EQ(lc.loads[1].code, 51);
    EXPECT_EQ(lc.loads[1].memberFrom, 3);
    EXPECT_EQ(lc.loads[1].qI, 0.0f);
    EXPECT_EQ(lc.loads[1].qJ, -10.0f);
    ASSERT_EQ(m->combinationCount, 1);
    ASSERT_EQ(m->combinations[1].count, 1);
    EXPECT_EQ(m->combinations[1].entries[1].loadCaseNo, 1);
    EXPECT_FLOAT_EQ(m->combinations[1].entries[1].factor, 1.5f);
    // And the grids show it (a picture for a person to look at).
    EXPECT_EQ(FrameDataFileText(*FrameData), FrameDataFileText(*m));
    ClickTab(TFmMain::kTabLoad);
    w.Widget()->grab().toImage().save(QString::fromStdString((dir / "typed_frame.png").string()));
}

TEST_F(MainWindowTest, EnterKeepsTheFocusInTheGridAndMovesAlongTheRow) {
    // Typing 0.5 Enter 3 Enter in node 1's X cell sets node 1 and nothing
    // else.
    TFmMain& w = Open(CopyExample("portal.$O1"));
    const FrameMember before = FrameData->members[1];
    ClickCell(kSgPoint, 2, 1);
    TypeEntries({"0.5", "3"});
    EXPECT_FLOAT_EQ(FrameData->nodes[1].x, 0.5f);
    EXPECT_FLOAT_EQ(FrameData->nodes[1].y, 3.0f);
    EXPECT_EQ(FrameData->members[1].nodeJ, before.nodeJ);
    EXPECT_EQ(FocusedGrid(), &w.Grid(kSgPoint));
    EXPECT_EQ(w.Grid(kSgPoint).Row(), 2);
    EXPECT_EQ(w.Grid(kSgPoint).Col(), 1);
}

struct ReplaceCase {
    int answer;
    bool loadsB;  // the other file replaces the model
    bool savesA;  // the edit reached file A
};

TEST_F(MainWindowTest, OpeningAnotherFileAsksAboutUnsavedEdits) {
    const ReplaceCase cases[] = {
        {mrNo, true, false}, {mrCancel, false, false}, {mrYes, true, true}};
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::string a = CopyExample("portal.$O1", "a.$O1");
        const std::string b = CopyExample("continuous_beam.$O1", "b.$O1");
        const std::string bytesA = ReadBytes(a);
        Open(a);
        Type(kSgPoint, 2, 2, "0.25");
        const std::string edited = FrameDataFileText(*FrameData);
        messages.clear();
        answer = c.answer;
        dialogAnswer = b;
        ChooseFileMenu(U("開く"_sj));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], U("修正されています。保存しますか？"_sj));
        EXPECT_EQ(Cp932ToUtf8(CurrentFileName), c.loadsB ? b : a);
        if (c.loadsB) {
            EXPECT_EQ(FrameDataFileText(*FrameData), FrameDataFileText(*ReadBack(b)));
            EXPECT_FALSE(ModifiedFlag);
        } else {
            // Cancel keeps everything: the edit, its mark, the file name.
            EXPECT_EQ(FrameDataFileText(*FrameData), edited);
            EXPECT_TRUE(ModifiedFlag);
        }
        if (c.savesA)
            EXPECT_FLOAT_EQ(ReadBack(a)->nodes[2].x, 0.25f);
        else
            EXPECT_EQ(ReadBytes(a), bytesA);
        window.reset();
    }
}

TEST_F(MainWindowTest, DropReloadAndNewAskBeforeDroppingEdits) {
    const std::string a = CopyExample("portal.$O1", "a.$O1");
    const std::string b = CopyExample("continuous_beam.$O1", "b.$O1");
    TFmMain& w = Open(a);
    Type(kSgPoint, 2, 2, "0.25");
    const std::string edited = FrameDataFileText(*FrameData);
    answer = mrCancel;
    messages.clear();
    DropFiles({b});
    QLabel* member = nullptr;  // 部材: a double-click reloads the file
    for (QLabel* l : w.Widget()->findChildren<QLabel*>())
        if (l->text() == QString::fromUtf8(U("部材"_sj))) member = l;
    ASSERT_NE(member, nullptr);
    DoubleClick(member, member->rect().center());
    ChooseFileMenu(U("新規作成"_sj));
    ASSERT_EQ(messages.size(), 3u);
    for (const std::string& m : messages) EXPECT_EQ(m, U("修正されています。保存しますか？"_sj));
    EXPECT_EQ(FrameDataFileText(*FrameData), edited);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), a);
    // No discards the edits; the next file then replaces the model at once.
    answer = mrNo;
    messages.clear();
    DropFiles({b});
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), b);
    messages.clear();
    DropFiles({a});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), a);
    EXPECT_EQ(ReadBytes(a), ReadBytes((fs::path(EXAMPLES_DIR) / "portal.$O1").string()));
}

// Yes saves first; when that save fails (the disk is full) nothing goes
// on: the edit, its mark and the file name stay, and file A is unharmed.
TEST_F(MainWindowTest, YesWithASaveThatFailsKeepsTheEditedModel) {
    const std::string a = CopyExample("portal.$O1", "a.$O1");
    const std::string b = CopyExample("continuous_beam.$O1", "b.$O1");
    const std::string bytesA = ReadBytes(a);
    TFmMain& w = Open(a);
    Type(kSgPoint, 2, 2, "0.25");
    const std::string edited = FrameDataFileText(*FrameData);
    answer = mrYes;
    const std::vector<std::pair<const char*, std::function<void()>>> replacements = {
        {"open",
         [&] {
             dialogAnswer = b;
             ChooseFileMenu(U("開く"_sj));
         }},
        {"drop", [&] { DropFiles({b}); }},
        {"new", [&] { ChooseFileMenu(U("新規作成"_sj)); }},
    };
    for (const auto& [what, replace] : replacements) {
        SCOPED_TRACE(what);
        messages.clear();
        {
            const FileSizeLimit diskFull(64);
            replace();
        }
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0], U("修正されています。保存しますか？"_sj));
        EXPECT_EQ(messages[1].rfind(U("保存できません.\n"_sj), 0), 0u) << messages[1];
        EXPECT_EQ(Cp932ToUtf8(CurrentFileName), a);
        EXPECT_EQ(FrameDataFileText(*FrameData), edited);
        EXPECT_TRUE(ModifiedFlag);
        EXPECT_EQ(w.Grid(kSgPoint).Cells(2, 2), " 0.2500");
        EXPECT_EQ(ReadBytes(a), bytesA);
    }
}

TEST_F(MainWindowTest, AFileWithMemberNumberZeroShowsNothingOfTheFileBefore) {
    // The portal has three members; the second file two, the second of
    // them numbered 0.
    const std::string portal = CopyExample("portal.$O1");
    auto m = NewFrameModelRecord();
    std::string warnings;
    ASSERT_TRUE(ReadFrameDataFile(Utf8ToCp932(portal), *m, warnings));
    m->memberCount = 2;
    m->members[2].no = 0;
    m->members[2].nodeI = 1;
    m->members[2].nodeJ = 4;
    m->members[2].sectionNo = 2;
    SetFixedText(m->members[2].name, kNameSize, "");
    const std::string zero = (dir / "zero.$O1").string();
    ASSERT_TRUE(WriteFrameDataFile(Utf8ToCp932(zero), *m));
    TFmMain& w = Open(portal);
    // Opened with 逐次計算 on (a calculation at once), the file is not
    // written.
    ClickButton(U("逐次計算"_sj));
    const std::string bytes = ReadBytes(zero);
    const auto stamp = fs::last_write_time(zero);
    dialogAnswer = zero;
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(Cp932ToUtf8(CurrentFileName), zero);
    EXPECT_EQ(fs::last_write_time(zero), stamp);
    EXPECT_EQ(ReadBytes(zero), bytes);
    // Every member row is the new file's.
    const TStringGrid& g = w.Grid(kSgMember);
    ASSERT_EQ(g.RowCount(), 4);
    const char* row2[] = {"0", "1", "4", "2", "1", "0", "0"};
    for (int c = 1; c <= 7; ++c) EXPECT_EQ(g.Cells(c, 2), row2[c - 1]) << c;
    EXPECT_EQ(g.Cells(11, 2), "");
    // A commit keeps no trace of the portal's second member, and keeps the
    // row numbered 0 as the file has it (the batch run analyses it so).
    ClickButton(U("保存"_sj));
    const auto saved = ReadBack(zero);
    for (int k = 1; k <= saved->memberCount; ++k) EXPECT_NE(saved->members[k].nodeJ, 3) << k;
    ASSERT_EQ(saved->memberCount, 2);
    EXPECT_EQ(saved->members[2].no, 0);
    EXPECT_EQ(saved->members[2].nodeJ, 4);
    // Typing 0 over its number deletes it.
    Type(kSgMember, 1, 2, "0");
    EXPECT_EQ(FrameData->memberCount, 1);
}

TEST_F(MainWindowTest, LoadColumnCaptionsFollowTheLoadedModel) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 2);
    ClickCell(kSgLoad2, 1, 1);  // a nodal load (51)
    ASSERT_EQ(U(w.Grid(kSgLoad2).Cells(2, 0)), U("格点"_sj));
    // Load case 2 of the beam holds a vertical concentrated load (24) and a
    // vertical distributed one (14), neither of them a nodal load.
    DropFiles({CopyExample("continuous_beam.$O1")});
    ASSERT_EQ(CurrentSelection.loadCase, 2);
    const std::string code = w.Grid(kSgLoad2).Cells(1, w.Grid(kSgLoad2).Row());
    ASSERT_TRUE(code == "24" || code == "14") << code;
    // A concentrated load may stand on a run of members, as a distributed one.
    EXPECT_EQ(U(w.Grid(kSgLoad2).Cells(2, 0)), U("開始,部材"_sj));
    EXPECT_EQ(U(w.Grid(kSgLoad2).Cells(3, 0)), U("終了,部材"_sj));
}

// The sums under the load table are those of the file just opened, not
// left at zero until the next tab switch.
TEST_F(MainWindowTest, LoadSumsFollowTheOpenedFile) {
    Open(CopyExample("portal.$O1"));
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 1);
    auto sums = [&] {
        for (QLabel* l : window->Widget()->findChildren<QLabel*>())
            if (l->isVisible() && l->text().startsWith(QString::fromUtf8(U("Σ(水平)"_sj))))
                return l->text().toStdString();
        return std::string("(no sums shown)");
    };
    // The portal's case 1: 20 kN/m down over the 6 m beam and 50 kN down.
    EXPECT_NE(sums().find(U("Σ(鉛直) = 0.000 - 170.000"_sj)), std::string::npos) << sums();
    // The beam's case 1: 30 kN/m down over its three spans, 20 m.
    dialogAnswer = CopyExample("continuous_beam.$O1");
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(CurrentSelection.loadCase, 1);
    EXPECT_NE(sums().find(U("Σ(鉛直) = 0.000 - 600.000"_sj)), std::string::npos) << sums();
    // A file without a load case 1: no sums of the file before are left.
    const std::string other = CopyExample("portal.$O1", "other.$O1");
    auto m = ReadBack(other);
    m->loadCases[1].no = 5;
    ASSERT_TRUE(WriteFrameDataFile(Utf8ToCp932(other), *m));
    dialogAnswer = other;
    ChooseFileMenu(U("開く"_sj));
    EXPECT_EQ(sums().find(U("600.000"_sj)), std::string::npos) << sums();
}

// A number beyond what a float field holds, in a file: the model keeps the
// largest float (never an undefined conversion), and the calculation
// refuses it with the validation's message instead of computing with it.
// (Typed into a cell, such a number is refused at once.)
TEST_F(MainWindowTest, ANumberTooLargeForItsFieldIsRefusedByTheCalculation) {
    const std::string file = CopyExample("portal.$O1");
    auto m = ReadBack(file);
    m->nodes[1].x = 3.4e38f;
    ASSERT_TRUE(WriteFrameDataFile(Utf8ToCp932(file), *m));
    Open(file);
    ClickButton(U("自動保存"_sj));
    ASSERT_GE(FrameData->nodeCount, 1);
    EXPECT_TRUE(std::isfinite(FrameData->nodes[1].x));
    EXPECT_GT(FrameData->nodes[1].x, 1e38f);
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(U("の値が大きすぎます"_sj)), std::string::npos) << messages[0];
    EXPECT_EQ(ResultData->memberCount, 0);
}

// Tab goes from cell to cell of the table whether or not something was
// typed: a cell skipped with Tab does not send the next value into another
// table (the member grid took it as a member's new number). After the last
// cell of the append row the keyboard goes on to the next control.
TEST_F(MainWindowTest, TabWithoutTypingStaysInTheTable) {
    TFmMain& w = OpenPortal();
    TStringGrid& nodes = w.Grid(kSgPoint);
    ClickCell(kSgPoint, 1, 3);
    PressKey(Qt::Key_Tab);
    ASSERT_EQ(FocusedGrid(), &nodes);
    EXPECT_EQ(nodes.Col(), 2);
    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(nodes.Row(), 4);
    EXPECT_EQ(nodes.Col(), 1);
    PressKey(Qt::Key_Tab);
    TypeEntries({"7.5"});
    EXPECT_FLOAT_EQ(FrameData->nodes[4].x, 7.5f);
    EXPECT_EQ(FrameData->members[1].no, 1);
    // Shift+Tab goes back, over the start of a row to the end of the one
    // before.
    ClickCell(kSgPoint, 1, 2);
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusedGrid(), &nodes);
    EXPECT_EQ(nodes.Row(), 1);
    EXPECT_EQ(nodes.Col(), 3);
    // The last cell of the append row hands the keyboard on.
    ClickCell(kSgPoint, 3, 5);
    PressKey(Qt::Key_Tab);
    EXPECT_NE(FocusedGrid(), &nodes);
}

// Concentrated loads on a run of three 4 m beams, placed 6 m and 10 m along
// the run: the load grid shows the run, and a save keeps it, so that the
// batch run takes the saved file as it took the original.
TEST_F(MainWindowTest, ConcentratedLoadsOnARunOfMembersKeepTheirRun) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 4, 0).Node(3, 8, 0).Node(4, 12, 0);
    b.Material(1, 2.05e8).Section(1, 0.01, 1e-4);
    b.Member(1, 1, 2).Member(2, 2, 3).Member(3, 3, 4);
    b.Support(1, 1, kSupportPin).Support(1, 4, kSupportRollerY);
    b.Load(1, 24, 1, -30, 0, 6, 0, 3).Load(1, 22, 1, -10, 0, 10, 0, 3);
    b.Combination(1, 1.0, {{1, 1.0}});
    const FrameModel* m = &b.model();
    const std::string file = (dir / "run.$O1").string();
    ASSERT_TRUE(WriteFrameDataFile(Utf8ToCp932(file), *m));
    ASSERT_NE(ReadBytes(file).find("24    1    3"), std::string::npos);
    CommandLineOptions batch;
    batch.batchMode = true;
    batch.fileName = Utf8ToCp932(file);
    testing::internal::CaptureStderr();
    ASSERT_EQ(RunBatch(batch), kBatchOk) << testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStderr();

    TFmMain& w = Open(file);
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 1);
    ClickCell(kSgLoad2, 1, 1);
    EXPECT_EQ(GridCellLook(w.Grids, *FrameData, CurrentSelection, kSgLoad2, 3, 1).text, "3");
    EXPECT_EQ(U(w.Grid(kSgLoad2).Cells(3, 0)), U("終了,部材"_sj));
    messages.clear();
    ClickButton(U("保存"_sj));
    ASSERT_TRUE(messages.empty()) << messages[0];
    const auto saved = ReadBack(file);
    ASSERT_EQ(saved->loadCases[1].count, 2);
    EXPECT_EQ(saved->loadCases[1].loads[1].memberTo, 3);
    EXPECT_EQ(saved->loadCases[1].loads[2].memberTo, 3);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunBatch(batch), kBatchOk) << testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStderr();
}
