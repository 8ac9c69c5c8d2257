// The RC check while the combinations change, as an engineer works: check
// types and per-case settings typed into the RC windows, then combinations
// inserted, deleted or renumbered in the main window's grid, the frame
// calculated again and the RC window opened. Every combination that is still
// there keeps what was set for it (known by its number), a new one starts
// from the defaults of its name, a removed one's settings are gone; the
// saved file holds the same.
#include <QAbstractScrollArea>

#include <cstring>

#include "app/grid_helpers.h"
#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "mouse_util.h"
#include "platform/qt/string_grid.h"
#include "rccheck/rc_records.h"
#include "rccheck/ui/check_sheet_grid.h"

namespace {

// The portal frame with three combinations, numbered 10, 20 and 30. The
// names give types 1, 1 and 2; the story sets 2, 3 and 1 instead.
std::string WriteThreeCombinationPortal(const fs::path& dir, const char* name = "three.$O1") {
    auto m = NewFrameModelRecord();
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/portal.$O1", *m, warnings));
    const struct {
        int no;
        const std::string& name;
        float f1, f2;
    } combos[] = {{10, "常時"_sj, 1.0f, 0.0f},
                  {20, "常時+風"_sj, 1.0f, 1.0f},
                  {30, "地震時"_sj, 1.0f, -1.0f}};
    m->combinationCount = 0;
    for (const auto& c : combos) {
        KumiCase& k = m->combinations[++m->combinationCount];
        k = KumiCase{};
        k.no = c.no;
        k.factor = 1.0;
        SetFixedText(k.name, kNameSize, c.name.c_str());
        k.count = 0;
        for (const auto& [lc, f] : {std::pair{1, c.f1}, std::pair{2, c.f2}})
            if (f != 0.0f) k.entries[++k.count] = KumiEntry{lc, f};
    }
    const std::string path = (dir / name).string();
    EXPECT_TRUE(WriteFrameDataFile(Utf8ToCp932(path), *m));
    return path;
}

class RcCombinationStory : public MainWindowTest {
  protected:
    // Brings a window to the front, so that keys go to its focused widget.
    static void Activate(TForm& form) {
        QWidget* w = form.Widget();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    }
    // A click in the middle of a grid cell, found on screen as a person
    // finds it, delivered to what lies there.
    static void ClickGridCell(TStringGrid& grid, int col, int row) {
        QWidget* view = nullptr;
        QPoint at;
        ASSERT_TRUE(GridCellOnScreen(grid, col, row, view, at))
            << "cell " << col << "," << row << " is not on screen";
        ASSERT_EQ(view->window()->childAt(view->mapTo(view->window(), at)), view);
        Click(view, at);
        ASSERT_EQ(grid.Col(), col);
        ASSERT_EQ(grid.Row(), row);
    }
    static void ClickControl(TControl& c) {
        QWidget* w = c.Widget();
        ASSERT_TRUE(w->isVisible());
        Click(w, w->rect().center());
    }
    // A value typed into a cell of an RC window's grid, and Enter.
    static void TypeInto(TForm& form, TStringGrid& grid, int col, int row, const std::string& v) {
        Activate(form);
        ClickGridCell(grid, col, row);
        TypeText(v);
        PressEnter();
    }

    // --- the check sheet -----------------------------------------------------
    // Row of the sheet whose label (column 1) is `label`, or whose key is.
    static int SheetRow(const TStringGrid& sheet, const std::string& label) {
        for (int r = 1; r < sheet.RowCount(); ++r)
            if (Trim(sheet.Cells(1, r)) == label || CheckSheetRowAttribute(r).key == label)
                return r;
        return -1;
    }
    // Column of the point named 中央 (the beam's middle).
    static int MiddleColumn(const TStringGrid& sheet) {
        const int row = SheetRow(sheet, "(名称)"_sj);
        for (int c = 3; c < sheet.ColCount(); ++c)
            if (sheet.Cells(c, row) == "中央"_sj) return c;
        return -1;
    }
    // The RC window's check sheet of the beam (member 2) for check case q.
    TStringGrid& ShowBeamSheet(int q) {
        TfmRCanal& rw = *fmRCanal;
        Activate(rw);
        if (rw.Mode() != TfmRCanal::kModeAllRows) ClickControl(*rw.RbZenGyo);
        for (int i = 0; i < 3 && RcData->memberChecks[rw.CurrentRcMember].memberNo != 2; ++i)
            ClickControl(*rw.BtnNext);
        EXPECT_EQ(RcData->memberChecks[rw.CurrentRcMember].memberNo, 2);
        ClickGridCell(*rw.CoKumiList, 1, q + 1);  // row 0 caption, row 1 the envelope
        EXPECT_EQ(rw.CaseIndex(), q);
        return *rw.Sg1;
    }
    // A value typed into the beam's middle point in a row of case q's sheet.
    void TypeAtMiddle(int q, const std::string& row, const std::string& value) {
        TStringGrid& sheet = ShowBeamSheet(q);
        const int r = SheetRow(sheet, row);
        ASSERT_GT(r, 0) << row;
        TypeInto(*fmRCanal, sheet, MiddleColumn(sheet), r, value);
    }
    std::string AtMiddle(int q, const std::string& row) {
        TStringGrid& sheet = ShowBeamSheet(q);
        return Trim(sheet.Cells(MiddleColumn(sheet), SheetRow(sheet, row)));
    }

    // The beam's middle point's entry for check case q.
    static const RcCaseCheck& Middle(int q) {
        const RcMemberChecks& m = RcData->memberChecks[2];
        for (int k = 1; k <= m.pointCount; ++k)
            if (m.points[k].name == "中央"_sj) return m.points[k].cases[q];
        ADD_FAILURE() << "the beam has no middle point";
        return m.points[0].cases[q];
    }

    // Calculates, opens the RC window (its first show builds the RC data
    // and opens the section settings window), types the check types 2, 3, 1
    // into the settings window and applies them, then in the check sheet of
    // the beam's middle point: σca 11 for combination 10, fck 30 for 20 and
    // no shear-stress check for 30.
    void CalculateAndSetUpTheRcCheck() {
        ClickButton(U("計算実行"_sj));
        ASSERT_EQ(ResultData->memberCount, 3);
        ClickButton(U("RC照査..."_sj));
        ASSERT_TRUE(fmRCanal && fmRCanal->Visible());
        ASSERT_TRUE(fmSection && fmSection->Visible());
        ASSERT_EQ(RcData->checkCaseCount, 3);
        TfmSection& s = *fmSection;
        Activate(s);
        ClickGridCell(*s.SgType1, 2, 1);
        TypeEntries({"2", "3", "1"});  // Enter moves down the column
        ClickControl(*s.ApplyShoType);
        ClickControl(*s.SpeedButton2);  // 閉じる
        TypeAtMiddle(1, "許容値 σca"_sj, "11");
        TypeAtMiddle(2, "(fck)", "30");
        TypeAtMiddle(3, "(TuCK)", "0");
        ASSERT_FLOAT_EQ(Middle(1).sca, 11.0f);
        ASSERT_FLOAT_EQ(Middle(2).fck, 30.0f);
        ASSERT_EQ(Middle(3).tuCK, 0);
        fmRCanal->Close();  // the main window's grids take no typing while it shows
        Activate(*window);
    }

    // The row of the combination grid showing combination `no`.
    int KumiRow(int no) {
        const TStringGrid& g = window->Grid(kSgKumi1);
        for (int r = 1; r < g.RowCount() - 1; ++r)
            if (TextToInt(g.Cells(1, r)) == no) return r;
        ADD_FAILURE() << "no row for combination " << no;
        return 1;
    }

    // What one combination must hold after the change, in the RC data and
    // on screen: its number, check type, and at the beam's middle point σca,
    // fck and the shear-stress switch.
    struct Expected {
        int no;
        int type;
        float sca, fck;
        int tuCK;
    };
    void ExpectCases(const std::vector<Expected>& cases) {
        ASSERT_EQ(RcData->checkCaseCount, static_cast<int>(cases.size()));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const int q = static_cast<int>(i) + 1;
            const Expected& e = cases[i];
            SCOPED_TRACE(e.no);
            EXPECT_EQ(RcData->checkCases[q].comboNo, e.no);
            EXPECT_EQ(RcData->checkCases[q].checkType, e.type);
            EXPECT_FLOAT_EQ(Middle(q).sca, e.sca);
            EXPECT_FLOAT_EQ(Middle(q).fck, e.fck);
            EXPECT_EQ(Middle(q).tuCK, e.tuCK);
        }
    }
    // The same as the windows show it: the types in the settings window's
    // case table, the values in the check sheet.
    void ExpectOnScreen(const std::vector<Expected>& cases) {
        ClickControl(*fmRCanal->bShowSection);
        TStringGrid& types = *fmSection->SgType1;
        // Pictures for a person to look at.
        fmSection->Widget()->grab().save(QString::fromStdString((dir / "types.png").string()));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const int q = static_cast<int>(i) + 1;
            const Expected& e = cases[i];
            SCOPED_TRACE(e.no);
            EXPECT_EQ(Trim(types.Cells(2, q)), std::to_string(e.type));
            // Only the rows of the checks the type turns on are filled.
            if (e.type <= 2) {
                EXPECT_EQ(AtMiddle(q, "許容値 σca"_sj), FormatStr("%0.2f", e.sca));
            } else {
                EXPECT_EQ(AtMiddle(q, "(fck)"), FormatStr("%0.1f", e.fck));
            }
            EXPECT_EQ(AtMiddle(q, "(TuCK)"), e.tuCK ? "○"_sj : "**");
        }
        ClickControl(*fmSection->SpeedButton2);
        ShowBeamSheet(2);
        fmRCanal->Widget()->grab().save(QString::fromStdString((dir / "sheet.png").string()));
    }
};

TEST_F(RcCombinationStory, ACombinationInsertedBeforeTheOthersLeavesTheirSettingsWithThem) {
    const std::string path = WriteThreeCombinationPortal(dir);
    Open(path);
    CalculateAndSetUpTheRcCheck();

    // Combination 5 typed on the append row, given load case 1, and sorted
    // before the others by a double-click on the grid's caption.
    ClickTab(TFmMain::kTabKumi);
    Type(kSgKumi1, 1, window->Grid(kSgKumi1).RowCount() - 1, "5");
    ClickCell(kSgKumi1, 1, KumiRow(5));
    ClickCell(kSgKumi2, 1, 1);
    TypeEntries({"1", "1"});
    TStringGrid& kumi = window->Grid(kSgKumi1);
    const TRect caption = kumi.CellRect(1, 0);
    DoubleClick(kumi.ClientWidget(),
                QPoint((caption.left + caption.right) / 2, (caption.top + caption.bottom) / 2));
    ASSERT_EQ(FrameData->combinationCount, 4);
    ASSERT_EQ(FrameData->combinations[1].no, 5);

    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(ResultData->comboCount, 4);
    ClickButton(U("RC照査..."_sj));
    ASSERT_TRUE(fmRCanal->Visible());
    EXPECT_FALSE(fmSection->Visible());  // the RC data were not rebuilt
    // Combination 5 (「組合せケース. 5」, type 1 by its name) gets type 1's
    // defaults; the others keep theirs.
    const std::vector<Expected> after = {{5, 1, 8.0f, 40.0f, 1},
                                         {10, 2, 11.0f, 40.0f, 1},
                                         {20, 3, 8.0f, 30.0f, 0},
                                         {30, 1, 8.0f, 40.0f, 0}};
    ExpectCases(after);
    ExpectOnScreen(after);

    // Saved with the RC window's 保存, opened again: the file holds the
    // same, before and after the next calculation.
    ClickControl(*fmRCanal->Save1);
    ASSERT_FALSE(ModifiedFlag);
    fmRCanal->Close();
    Activate(*window);
    // What the windows hold is forgotten: the file must bring it back.
    std::memset(static_cast<void*>(RcData->checkCases), 0, sizeof RcData->checkCases);
    for (int p = 1; p <= 3; ++p)
        std::memset(static_cast<void*>(&RcData->memberChecks[p]), 0, sizeof(RcMemberChecks));
    dialogAnswer = path;
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(ResultData->memberCount, 0);
    ExpectCases(after);
    // Looked at without new results, the RC data stay as the file has them.
    ASSERT_FALSE(ModifiedFlag);
    ClickButton(U("RC照査..."_sj));
    EXPECT_FALSE(ModifiedFlag);
    ExpectCases(after);
    fmRCanal->Close();
    Activate(*window);
    ClickButton(U("計算実行"_sj));
    ClickButton(U("RC照査..."_sj));
    ExpectCases(after);
}

TEST_F(RcCombinationStory, DeletedAndRenumberedCombinationsTakeTheirSettingsAway) {
    const std::string path = WriteThreeCombinationPortal(dir);
    Open(path);
    CalculateAndSetUpTheRcCheck();

    // Combination 10 deleted (0 as its number), 20 renumbered 25.
    ClickTab(TFmMain::kTabKumi);
    Type(kSgKumi1, 1, KumiRow(10), "0");
    Type(kSgKumi1, 1, KumiRow(20), "25");
    ASSERT_EQ(FrameData->combinationCount, 2);
    // Saved before the next calculation and opened again: the file still
    // holds the RC check cases of 10, 20 and 30, each with its own settings.
    ClickButton(U("保存"_sj));
    ASSERT_FALSE(ModifiedFlag);
    dialogAnswer = path;
    ChooseFileMenu(U("開く"_sj));
    ExpectCases({{10, 2, 11.0f, 40.0f, 1}, {20, 3, 8.0f, 30.0f, 0}, {30, 1, 8.0f, 40.0f, 0}});

    ClickButton(U("計算実行"_sj));
    ClickButton(U("RC照査..."_sj));
    // 25 is a combination the RC data never knew: its name's type (常時+風,
    // 1) and that type's defaults; 30 keeps the type and the switch set for
    // it.
    const std::vector<Expected> after = {{25, 1, 8.0f, 40.0f, 1}, {30, 1, 8.0f, 40.0f, 0}};
    ExpectCases(after);
    ExpectOnScreen(after);
}

// Another model opened after RC settings were made for the first one: its
// combinations carry the same numbers, but its RC check is new, and its
// check types come from its own combinations' names.
TEST_F(RcCombinationStory, AnotherModelTakesNoCheckTypesFromTheModelBefore) {
    Open(WriteThreeCombinationPortal(dir));
    CalculateAndSetUpTheRcCheck();
    answer = mrNo;  // the question about the unsaved first model
    dialogAnswer = WriteThreeCombinationPortal(dir, "other.$O1");
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(RcData->memberCount, 0);  // the file holds no RC data
    ClickButton(U("計算実行"_sj));
    ClickButton(U("RC照査..."_sj));
    ASSERT_TRUE(fmSection->Visible());  // RC data built anew
    ClickControl(*fmSection->SpeedButton2);
    const std::vector<Expected> byName = {
        {10, 1, 8.0f, 40.0f, 1}, {20, 1, 8.0f, 40.0f, 1}, {30, 2, 12.0f, 40.0f, 1}};
    ExpectCases(byName);
    ExpectOnScreen(byName);
}

// Shift pressed and let go on its own brings the RC window up; Shift held
// for another command does not: Shift+Enter in the check sheet commits the
// typed value (the timer refilled the sheet under the cell editor every
// 100 ms while Shift was held), and the fine zoom (Shift with the wheel)
// leaves the RC window where it is.
TEST_F(RcCombinationStory, ShiftHeldForAnotherCommandLeavesTheRcWindowAlone) {
    Open(WriteThreeCombinationPortal(dir));
    CalculateAndSetUpTheRcCheck();
    bool shiftDown = false;
    SetKeyStateHook([&shiftDown](int key) { return key == VK_SHIFT && shiftDown; });
    const auto ticks = [this](int n) {
        for (int i = 0; i < n; ++i) window->Timer1Timer();
    };
    ticks(15);  // past the splash
    ClickButton(U("RC照査..."_sj));
    ASSERT_TRUE(fmRCanal->Visible());
    TStringGrid& sheet = ShowBeamSheet(1);
    const int row = SheetRow(sheet, "許容値 σca"_sj);
    ClickGridCell(sheet, MiddleColumn(sheet), row);
    TypeText("9.5");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    shiftDown = true;
    QTest::keyPress(editor, Qt::Key_Shift);
    ticks(2);  // 200 ms with Shift held
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    ticks(2);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Shift, Qt::ShiftModifier);
    shiftDown = false;
    ticks(2);
    EXPECT_FLOAT_EQ(Middle(1).sca, 9.5f);
    EXPECT_EQ(AtMiddle(1, "許容値 σca"_sj), "9.50");

    // The fine zoom over the main window: the RC window, hidden behind it,
    // stays hidden; a Shift tap alone brings it up.
    fmRCanal->Close();
    Activate(*window);
    QWidget* figure = window->Paint1->Widget();
    shiftDown = true;
    QTest::keyPress(figure, Qt::Key_Shift);
    ticks(1);
    const QPoint at = figure->rect().center();
    QWheelEvent wheel(at, figure->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(figure, &wheel);
    ticks(2);
    QTest::keyRelease(figure, Qt::Key_Shift, Qt::ShiftModifier);
    shiftDown = false;
    ticks(2);
    EXPECT_FALSE(fmRCanal->Visible());
    QTest::keyClick(figure, Qt::Key_Shift);
    ticks(1);
    EXPECT_TRUE(fmRCanal->Visible());
    SetKeyStateHook([](int) { return false; });
}

}  // namespace
