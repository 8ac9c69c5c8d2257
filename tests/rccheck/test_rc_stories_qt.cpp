// The RC check window as an engineer uses it while the frame changes:
// bars and haunches typed into its tables with the keyboard, cells and
// buttons clicked where they are on screen, then a member or a point of
// interest added to the frame and the frame calculated again. What was typed
// must still be there, on the members and points it was typed for.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "app/grid_helpers.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/check_sheet_grid.h"
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_window.h"
#include "tests/app/mouse_util.h"
#include "tests/case_output.h"
#include "tests/rccheck/rc_test_host.h"

namespace {

// The portal frame of examples/, analysed as the calculate command does.
class RcStory : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadBuiltInRebarTable();
        std::string warnings;
        ASSERT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/portal.$O1", *model, warnings));
        FrameData = model.get();
        ResultData = AllocateFrameResults();
        RcCheckData& rc = *AllocateRcCheckData();
        RcMemberChecks* blocks = rc.memberChecks;
        for (int i = 0; i <= 8; ++i)
            std::memset(static_cast<void*>(&blocks[i]), 0, sizeof blocks[i]);
        std::memset(static_cast<void*>(&rc), 0, sizeof rc);
        rc.memberChecks = blocks;
        SetMessageDlgHook([this](const std::string& text, TMsgDlgType type, int) {
            messages.push_back(text);
            messageTypes.push_back(type);
            return mrOk;
        });
        Calculate();
    }
    void TearDown() override {
        SetMessageDlgHook(nullptr);
        if (fmSection && fmSection->Visible()) fmSection->Close();
        if (fmRCanal && fmRCanal->Visible()) fmRCanal->Close();
        FrameData = nullptr;
    }

    // The calculate command: a copy analysed, the result points labelled,
    // and the RC window told (it takes in the new forces).
    void Calculate() {
        PrepareMemberLoads(*model);
        ClearFrameResults(*ResultData);
        auto copy = NewFrameModelRecord();
        *copy = *model;
        ASSERT_TRUE(RunFrameAnalysis(*ResultData, *copy, false, false, 20));
        SetResultPoints(*ResultData, *model);
        RefreshRcWindowAfterCalculation();
    }

    // Brings a window to the front with the keyboard, as a click on its
    // title bar does.
    static void Activate(TForm& form) {
        QWidget* w = form.Widget();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    }

    // Opens the RC window as its button does, closes the section settings
    // window it opens on the first show, and brings the RC window to the front.
    TfmRCanal& OpenRcWindow() {
        ShowRcWindow(TestRcHost());
        if (fmSection && fmSection->Visible()) Click(fmSection->SpeedButton2->Widget());
        QWidget* w = fmRCanal->Widget();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        return *fmRCanal;
    }

    // A click at a point of a widget, delivered to whatever lies on top
    // there, which must be the widget meant.
    static void ClickAt(QWidget* target, QPoint local) {
        QWidget* window = target->window();
        const QPoint inWindow = target->mapTo(window, local);
        QWidget* under = window->childAt(inWindow);
        ASSERT_EQ(under, target) << "something else lies on top at that point";
        QTest::mouseClick(under, Qt::LeftButton, Qt::NoModifier, local);
    }
    static void Click(QWidget* target) { ClickAt(target, target->rect().center()); }

    // Clicks the middle of a grid cell, found on screen as a person finds it.
    static void ClickCell(TStringGrid& grid, int col, int row) {
        QWidget* view = nullptr;
        QPoint middle;
        ASSERT_TRUE(GridCellOnScreen(grid, col, row, view, middle))
            << "cell " << col << "," << row << " is not on screen";
        ClickAt(view, middle);
        ASSERT_EQ(grid.Col(), col);
        ASSERT_EQ(grid.Row(), row);
    }

    // Types into whatever has the keyboard focus, key by key as a keyboard
    // does (the first key opens the cell's editor, which takes the rest),
    // then Enter.
    static void TypeAndEnter(const char* text) {
        for (const char* c = text; *c != 0; ++c) {
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            QTest::keyClick(QApplication::focusWidget(), *c);
        }
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    // Row of the check sheet whose key is `key`, -1 when not shown.
    static int SheetRow(const TStringGrid& grid, const std::string& key) {
        for (int r = 1; r < grid.RowCount(); ++r)
            if (CheckSheetRowAttribute(r).key == key) return r;
        return -1;
    }
    // Column of the check sheet showing the point named `name`.
    static int SheetColumn(const TStringGrid& grid, const std::string& name) {
        const int row = SheetRow(grid, "(名称)"_sj);
        for (int c = 3; c < grid.ColCount(); ++c)
            if (grid.Cells(c, row) == name) return c;
        return -1;
    }

    // The RC point of member `member` named `name` (0 when none).
    static int PointNamed(int member, const std::string& name) {
        const RcMemberChecks& m = RcData->memberChecks[member];
        for (int k = 1; k <= m.pointCount; ++k)
            if (name == m.points[k].name) return k;
        return 0;
    }

    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    std::vector<std::string> messages;
    std::vector<TMsgDlgType> messageTypes;
};

// A user's D25x6 stays when a brace is added to the frame and when it is
// taken out again: the member count changed, but only the new member is
// given defaults, and only the removed one's data go.
TEST_F(RcStory, BarsTypedIntoTheBarTableSurviveAnAddedBrace) {
    TfmRCanal& w = OpenRcWindow();
    ASSERT_EQ(RcData->memberCount, 3);
    ASSERT_EQ(RcData->sectionCount, 2);
    // Member 1's outer bars (section 1, the columns), typed as the note says.
    ClickCell(*w.Sg1, 3, 1);
    TypeAndEnter("25*6");
    EXPECT_EQ(w.Sg1->Cells(3, 1), "D25×6.00"_sj);
    ASSERT_EQ(RcData->sections[1].outer.d1, 25.0f);
    // Enter moved on to the second kind of bars, and the keyboard is still
    // the table's: the next value goes straight in.
    ASSERT_EQ(w.Sg1->Col(), 4);
    TypeAndEnter("13*2");
    ASSERT_EQ(RcData->sections[1].outer.d2, 13.0f);
    ASSERT_EQ(RcData->sections[1].outer.n2, 2.0f);
    // A member name with a comma is refused (the data file would split it).
    ClickCell(*w.Sg1, 7, 1);
    TypeAndEnter("col,1");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "名称にカンマ(,)は使えません。全角の「，」をお使いください。"_sj);
    EXPECT_STREQ(RcData->memberChecks[1].name, "左柱"_sj.c_str());
    // The beam's stirrup pitch (member 2, outer row 3, column 9).
    ClickCell(*w.Sg1, 9, 3);
    TypeAndEnter("150");
    ASSERT_EQ(RcData->sections[2].stirrupPitch, 150.0f);
    // A size the rebar table does not hold is refused, and nothing changes.
    ClickCell(*w.Sg1, 3, 3);
    TypeAndEnter("11*4");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "D11 は鉄筋の断面積表に無いので受け付けません。"_sj);
    // Titled 警告 as the program's other warnings (they were titled with
    // the program's name).
    for (const TMsgDlgType type : messageTypes) EXPECT_EQ(type, mtWarning);
    EXPECT_EQ(RcData->sections[2].outer.d1, 19.0f);
    EXPECT_EQ(w.Sg1->Cells(3, 3), "D19×8.00"_sj);

    // A brace of a new section, from node 1 to node 3; the frame is
    // calculated again.
    FrameModel& m = *model;
    m.sections[3] = m.sections[2];
    m.sections[3].no = 3;
    std::strcpy(m.sections[3].name, "BR");
    m.sections[3].area = 0.09f;
    m.sectionCount = 3;
    m.members[4] = m.members[2];
    m.members[4].no = 4;
    m.members[4].nodeI = 1;
    m.members[4].nodeJ = 3;
    m.members[4].sectionNo = 3;
    std::strcpy(m.members[4].name, "brace");
    m.memberCount = 4;
    Calculate();

    ASSERT_EQ(RcData->memberCount, 4);
    ASSERT_EQ(RcData->sectionCount, 3);
    EXPECT_EQ(RcData->sections[1].outer.d1, 25.0f);
    EXPECT_EQ(RcData->sections[1].outer.n1, 6.0f);
    EXPECT_EQ(RcData->sections[2].stirrupPitch, 150.0f);
    EXPECT_EQ(RcData->sections[3].no, 3);
    EXPECT_EQ(RcData->sections[3].outer.d1, 19.0f);  // the brace: defaults
    EXPECT_FLOAT_EQ(RcData->sections[3].h, 90.0f);
    EXPECT_EQ(RcData->memberChecks[4].sectionNo, 3);
    // What the table shows after the calculation.
    EXPECT_EQ(w.Sg1->Cells(3, 1), "D25×6.00"_sj);
    EXPECT_EQ(w.Sg1->Cells(9, 3), "150");
    EXPECT_EQ(w.Sg1->Cells(3, 7), "D19×8.00"_sj);
    EXPECT_EQ(w.Sg1->Cells(0, 7), "4");

    // The stirrup pitch of the brace's section typed, then the brace taken
    // out again: the members left keep everything, the brace's block goes.
    ClickCell(*w.Sg1, 9, 7);
    TypeAndEnter("125");
    ASSERT_EQ(RcData->sections[3].stirrupPitch, 125.0f);
    m.memberCount = 3;
    Calculate();
    ASSERT_EQ(RcData->memberCount, 3);
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(RcData->memberChecks[p].memberNo, p);
    EXPECT_EQ(RcData->sections[1].outer.d1, 25.0f);
    EXPECT_EQ(RcData->sections[1].outer.n2, 2.0f);
    EXPECT_EQ(RcData->sections[2].stirrupPitch, 150.0f);
    EXPECT_EQ(w.Sg1->Cells(3, 1), "D25×6.00"_sj);
    EXPECT_EQ(w.Sg1->Cells(9, 3), "150");
    EXPECT_EQ(w.Sg1->Cells(0, 7), "");
}

// A haunch typed at the beam's middle point and the shear check switched
// off at both its ends stay with those points when a point of interest is
// added before them (the j end and the extreme rows move down the list).
TEST_F(RcStory, PointSettingsFollowTheirPointsWhenAPointIsAdded) {
    TfmRCanal& w = OpenRcWindow();
    Click(w.RbZenGyo->Widget());  // the check sheet, every row on screen
    ASSERT_EQ(w.Mode(), TfmRCanal::kModeAllRows);
    // Page with ▼ to the beam, member 2.
    for (int i = 0; i < 3 && RcData->memberChecks[w.CurrentRcMember].memberNo != 2; ++i)
        Click(w.BtnNext->Widget());
    ASSERT_EQ(RcData->memberChecks[w.CurrentRcMember].memberNo, 2);
    // The first check case in the case list (row 0 caption, item 0 the envelope).
    ClickCell(*w.CoKumiList, 1, 2);
    ASSERT_EQ(w.CaseIndex(), 1);

    TStringGrid& sheet = *w.Sg1;
    const int middle = SheetColumn(sheet, "中央"_sj);
    ASSERT_GT(middle, 0);
    ClickCell(sheet, middle, SheetRow(sheet, "(外t)"_sj));
    TypeAndEnter("200");
    const int iEnd = CheckSheetColumnPoint(3);  // points ascend from the i end
    ASSERT_EQ(RcData->memberChecks[2].points[iEnd].cases[1].bend.x, 0.0f);
    ClickCell(sheet, 3, SheetRow(sheet, "(TuCK)"));
    TypeAndEnter("0");
    // And at the j end, which the added point moves along the member's list.
    const int jEndColumn = SheetColumn(sheet, "右端"_sj);
    ASSERT_GT(jEndColumn, 3);
    const int jEnd = CheckSheetColumnPoint(jEndColumn);
    ClickCell(sheet, jEndColumn, SheetRow(sheet, "(TuCK)"));
    TypeAndEnter("0");
    w.Widget()->grab().save(QString::fromStdString(CaseOutputDir()) + "/rc_story_sheet.png");
    ASSERT_FLOAT_EQ(RcData->memberChecks[2].points[PointNamed(2, "中央"_sj)].t1, 200.0f);
    ASSERT_EQ(RcData->memberChecks[2].points[iEnd].cases[1].tuCK, 0);
    ASSERT_EQ(RcData->memberChecks[2].points[jEnd].cases[1].tuCK, 0);
    ASSERT_STREQ(RcData->memberChecks[2].points[jEnd].name, "右端"_sj.c_str());
    const std::string iEndName = RcData->memberChecks[2].points[iEnd].name;

    // A named point at 1.5 m on the beam, before the middle one.
    View2Member& v = model->view2[1];
    ASSERT_EQ(v.memberNo, 2);
    v.count = 2;
    v.dist[2] = v.dist[1];
    std::strcpy(v.pointName[2], v.pointName[1]);
    v.dist[1] = 1.5f;
    std::strcpy(v.pointName[1], "H1");
    Calculate();

    const RcMemberChecks& beam = RcData->memberChecks[2];
    const int h1 = PointNamed(2, "H1");
    const int mid = PointNamed(2, "中央"_sj);
    ASSERT_GT(h1, 0);
    ASSERT_GT(mid, h1);
    EXPECT_FLOAT_EQ(beam.points[mid].t1, 200.0f);
    EXPECT_FLOAT_EQ(beam.points[h1].t1, 0.0f);
    EXPECT_EQ(beam.points[h1].cases[1].tuCK, 1);
    EXPECT_EQ(beam.points[PointNamed(2, iEndName)].cases[1].tuCK, 0);
    EXPECT_EQ(beam.points[PointNamed(2, "右端"_sj)].cases[1].tuCK, 0);
    EXPECT_EQ(beam.points[PointNamed(2, "M-max")].cases[1].tuCK, 1);
    // And the sheet shows them so.
    EXPECT_EQ(w.Mode(), TfmRCanal::kModeAllRows);
    EXPECT_EQ(sheet.Cells(SheetColumn(sheet, "中央"_sj), SheetRow(sheet, "(外t)"_sj)), "200");
    EXPECT_EQ(sheet.Cells(SheetColumn(sheet, "H1"), SheetRow(sheet, "(外t)"_sj)), "－"_sj);
}

// Section 1 (the columns) edited in the section settings window as a
// person does: every change reaches every point of its members at once, in
// the check sheet and in the saved block. Before, a width of 500 stayed
// 1000 at the points until the next calculation, a renumbered section lost
// its members, and a section added in the 追加 column started from zeros.
TEST_F(RcStory, SectionEditsReachEveryPointAtOnce) {
    TfmRCanal& w = OpenRcWindow();
    Click(w.bShowSection->Widget());
    ASSERT_TRUE(fmSection->Visible());
    Activate(*fmSection);
    TStringGrid& table = *fmSection->Sg1;
    constexpr int kWidthRow = 3, kNoRow = 1, kHeightRow = 4;
    ClickCell(table, 3, kWidthRow);  // section 1
    TypeAndEnter("500");
    ASSERT_EQ(RcData->sections[1].b, 500.0f);
    // The window's own read of the sheet: b row and the τ the check
    // reports against |S| / (b d) from the same columns.
    const auto expectSheetWidth = [&](float b) {
        TStringGrid& sheet = *w.Sg1;
        const int col = 3;  // the first point
        EXPECT_EQ(sheet.Cells(col, SheetRow(sheet, "(ZB)")), FormatStr("%0.0f", b));
        const RcMemberChecks& m = RcData->memberChecks[w.CurrentRcMember];
        const RcCaseCheck& c = m.points[CheckSheetColumnPoint(col)].cases[0];
        EXPECT_NEAR(c.tau, std::fabs(c.shear.s) * 1000.0 / (b * c.dShear), 0.0006);
    };
    Click(fmSection->SpeedButton2->Widget());  // 閉じる
    Activate(w);
    Click(w.RbDispAll->Widget());  // 全項, the envelope
    ASSERT_EQ(w.Mode(), TfmRCanal::kModeAllItems);
    ASSERT_EQ(RcData->memberChecks[w.CurrentRcMember].sectionNo, 1);
    expectSheetWidth(500.0f);
    // The saved block holds it too: the header and the points' cells.
    TStringList saved;
    WriteRcCheckData(saved, *model, *RcData);
    const std::string text = saved.Text();
    int widths = 0;  // the two columns' headers
    for (std::size_t at = text.find("..B0,      500.0"); at != std::string::npos;
         at = text.find("..B0,      500.0", at + 1))
        ++widths;
    EXPECT_EQ(widths, 2);
    EXPECT_NE(text.find("\r\nB,         500,      500,"), std::string::npos);

    // Section 1 renumbered 5: its members go with it and stay checked.
    Click(w.bShowSection->Widget());
    Activate(*fmSection);
    ClickCell(table, 3, kNoRow);
    TypeAndEnter("5");
    EXPECT_EQ(RcData->sections[1].no, 5);
    EXPECT_EQ(RcData->memberChecks[1].sectionNo, 5);
    EXPECT_EQ(RcData->memberChecks[3].sectionNo, 5);
    EXPECT_GT(RcData->memberChecks[1].points[1].cases[1].fc, 0.0f);
    // A section added in the 追加 column (column 3 + 2) starts from the
    // defaults; without a frame section of its number its h is to be typed.
    ClickCell(table, 5, kNoRow);
    TypeAndEnter("9");
    ASSERT_EQ(RcData->sectionCount, 3);
    const RcSection& added = RcData->sections[3];
    EXPECT_EQ(added.no, 9);
    EXPECT_EQ(added.b, 1000.0f);
    EXPECT_EQ(added.k1, 30.0f);
    EXPECT_EQ(added.outer.d1, 19.0f);
    EXPECT_EQ(added.sca1, 8.0f);
    EXPECT_EQ(added.h, 0.0f);
    Click(fmSection->SpeedButton2->Widget());
    Activate(w);
    // The beam (member 2) given section 9 through the section label: it is
    // reported and not checked against h 0; once h is typed it is checked.
    for (int i = 0; i < 3 && RcData->memberChecks[w.CurrentRcMember].memberNo != 2; ++i)
        Click(w.BtnNext->Widget());
    SetModalFormHook([](TForm& box) {
        QLineEdit* edit = box.Widget()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        QTest::keyClick(edit, '9');
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Click(w.DmNo->Widget());
    SetModalFormHook(nullptr);
    ASSERT_EQ(RcData->memberChecks[2].sectionNo, 9);
    EXPECT_EQ(w.NgText(), "断面No.9 の b,h が 0 で未照査、部材No.2"_sj);
    for (int k = 1; k <= RcData->memberChecks[2].pointCount; ++k)
        EXPECT_EQ(RcData->memberChecks[2].points[k].cases[1].sc, 0.0f);
    Click(w.bShowSection->Widget());
    Activate(*fmSection);
    ClickCell(table, 5, kHeightRow);
    TypeAndEnter("600");
    EXPECT_EQ(w.NgText().find("未照査"_sj), std::string::npos);
    EXPECT_GT(RcData->memberChecks[2].points[1].cases[1].fc, 0.0f);
    EXPECT_LT(RcData->memberChecks[2].points[1].cases[1].sc, 100.0f);
}

}  // namespace
