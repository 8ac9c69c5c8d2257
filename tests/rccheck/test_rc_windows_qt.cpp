// The RC check window and the section settings window on the analysed
// portal frame (examples/portal.$O1): the show sequence, Enter commits, the
// NG search, paging, printing, check types and the switch-off options.
// Screenshots go to TEST_OUTPUT_DIR for a look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_window.h"
#include "platform/qt/memo.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

#include "tests/rccheck/rc_portal_fixture.h"

namespace {

// Answers every message box with `answer` and keeps the last text.
struct Answer {
    std::string last;
    explicit Answer(int answer) {
        SetMessageDlgHook([this, answer](const std::string& t, TMsgDlgType, int) { last = t; return answer; });
    }
    ~Answer() { SetMessageDlgHook(nullptr); }
};

TfmRCanal& ShownWindow() {
    LoadPortalWithEmptyRc();
    ShowRcWindow();
    fmRCanal->CkDispAllClick(TfmRCanal::kModeBars);
    return *fmRCanal;
}

void Type(TStringGrid& grid, int col, int row, const std::string& text, std::function<void(char&)> press) {
    grid.SetEnabled(false);
    grid.SetCol(col);
    grid.SetRow(row);
    grid.SetEnabled(true);
    grid.SetCell(col, row, text);
    char k = text.empty() ? 'x' : text[0];
    press(k);
    char enter = 13;
    press(enter);
    EXPECT_EQ(enter, 0);  // swallowed
}

// A person's click on a button: press and release over its middle.
void ClickButton(TButton& button) {
    QWidget* target = button.Widget();
    const QPointF centre(target->width() / 2.0, target->height() / 2.0);
    const QPointF global = target->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

bool JumpListHas(TFmPriPrev& preview, const std::string& text) {
    for (int i = 0; i < preview.ListJump->Count(); ++i)
        if (preview.ListJump->Item(i).find(text) != std::string::npos) return true;
    return false;
}

void Grab(TControl& form, const char* name) {
    ProcessMessages();
    form.Widget()->grab().save(QString::fromUtf8(TEST_OUTPUT_DIR) + "/" + name);
}

}  // namespace

TEST(RcWindow, FirstShowBuildsDataOpensSectionsAndListsCases) {
    TfmRCanal& w = ShownWindow();
    RcCheckData& rc = *RcData;
    EXPECT_EQ(rc.memberCount, 3);
    EXPECT_EQ(rc.sectionCount, 2);
    ASSERT_NE(fmSection, nullptr);
    EXPECT_TRUE(fmSection->Visible());
    EXPECT_TRUE(w.FocusSectionOnActivate);
    EXPECT_EQ(w.CaseCount(), 2);
    EXPECT_EQ(w.CoKumiList->Cells(1, 1), ". 許容値比で最大応力部の抽出"_sj);
    EXPECT_EQ(w.CoKumiList->Cells(1, 2).substr(0, 4), "01. ");
    EXPECT_EQ(w.Sg1->RowCount(), 7);
    EXPECT_FALSE(w.BtnBack->Visible());
    Grab(w, "rc_window_bars.png");
    Grab(*fmSection, "rc_section_window.png");
    // At the design size the note lines fit their panel: none is cut at the
    // top or bottom (the label centres a text taller than itself).
    const std::string& notes = w.ListBox1->Caption();
    const int lines = static_cast<int>(std::count(notes.begin(), notes.end(), '\n')) + 1;
    EXPECT_EQ(lines, 16);
    const QFontMetrics metrics(w.ListBox1->Widget()->font());
    EXPECT_GE(w.ListBox1->Widget()->height(), lines * metrics.lineSpacing())
        << "line spacing " << metrics.lineSpacing();
}

TEST(RcWindow, ReshowWithSameMembersKeepsEditedSections) {
    TfmRCanal& w = ShownWindow();
    RcData->sections[1].k1 = 55;
    w.FormShow();
    EXPECT_EQ(RcData->sections[1].k1, 55.0f);
    EXPECT_EQ(w.Sg1->Cells(2, 1), "55");
}

TEST(RcWindow, EnterCommitsBarTableEditAndMarksModified) {
    TfmRCanal& w = ShownWindow();
    ModifiedFlag = false;
    Type(*w.Sg1, 2, 1, "40", [&](char& k) { w.Sg1KeyPress(k); });
    EXPECT_EQ(RcData->sections[1].k1, 40.0f);
    EXPECT_TRUE(ModifiedFlag);
    EXPECT_EQ(w.Sg1->Col(), 3);
    EXPECT_EQ(w.Sg1->Row(), 1);
    EXPECT_FALSE(w.NgText().empty());  // the NG search ran
    // Enter alone only moves on.
    ModifiedFlag = false;
    char enter = 13;
    w.Sg1KeyPress(enter);
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_EQ(w.Sg1->Col(), 4);
}

TEST(RcWindow, NgSearchJumpsToFirstNgOrReportsNone) {
    TfmRCanal& w = ShownWindow();
    w.Bt_NG_CheckClick(true);
    const std::string text = w.NgText();
    const bool found = text.find("NG ｹｰｽNo.1、部材No."_sj) != std::string::npos;
    ASSERT_TRUE(found) << text;
    const int memberNo = std::atoi(text.substr(text.rfind('.') + 1).c_str());
    EXPECT_EQ(RcData->memberChecks[w.CurrentRcMember].memberNo, memberNo);
    EXPECT_EQ(w.CaseIndex(), 1);
    // Sections far beyond the forces: nothing fails.
    for (int s = 1; s <= RcData->sectionCount; ++s) {
        RcData->sections[s].b = 3000;
        RcData->sections[s].h = 3000;
    }
    CopySectionSizeToPoints(*RcData);
    ApplyCoversToPoints(*RcData);
    for (int i = 1; i <= RcData->memberCount; ++i) CopySectionBarsToPoints(*RcData, i);
    w.Bt_NG_CheckClick(false);
    EXPECT_EQ(w.NgText(), "NG 箇所は無し"_sj);
    // New forces (the show after a calculation): the old verdict goes.
    w.FormShow();
    EXPECT_EQ(w.NgText(), "");
}

TEST(RcWindow, SheetModePagingWrapsAround) {
    TfmRCanal& w = ShownWindow();
    w.CkDispAllClick(TfmRCanal::kModeAllItems);
    EXPECT_TRUE(w.BtnBack->Visible());
    w.CurrentRcMember = 1;
    w.BtnBackClick(true);
    EXPECT_EQ(w.CurrentRcMember, 3);
    w.Sg1KeyDown(34, false, false);  // PgDn from the last
    EXPECT_EQ(w.CurrentRcMember, 1);
    EXPECT_NE(w.BzName->Caption().find("No. 1"), std::string::npos);
    EXPECT_NE(w.DmNo->Caption().find("断面.1"_sj), std::string::npos);
    w.SetCaseIndex(1);
    w.CoKumiListClick();
    Grab(w, "rc_window_sheet.png");
    w.CkDispAllClick(TfmRCanal::kModeBars);
}

TEST(RcWindow, PrintAsksWhetherTheMemberForcesGoWithTheRcChapter) {
    TfmRCanal& w = ShownWindow();
    const int members = ResultData->memberCount;
    w.OnPrintPreview = [] { ShowPrintPreview(); };
    TFmPriPrev& preview = FmPriPrev();
    // The report is made from the records as they stand.
    int membersWhileComposing = -1;
    preview.Compose = [&] {
        membersWhileComposing = ResultData->memberCount;
        return BuildCalculationReport();
    };
    const struct {
        int answer;
        bool withForces;
    } cases[] = {{mrNo, false}, {mrYes, true}};
    for (const auto& c : cases) {
        Answer answer(c.answer);
        ClickButton(*w.BtnPrint);
        EXPECT_EQ(answer.last, "フレーム解析データ(断面力) も印刷しますか？"_sj);
        EXPECT_TRUE(preview.Form.Visible());
        EXPECT_EQ(JumpListHas(preview, "断面力の算出"_sj), c.withForces);
        EXPECT_TRUE(JumpListHas(preview, "応力度の照査"_sj));
        EXPECT_EQ(membersWhileComposing, members);
        EXPECT_EQ(ResultData->memberCount, members);
    }
    EXPECT_EQ(ReportCoverLines.second, "ＲＣ断面照査"_sj);
    Grab(preview.Form, "rc_print_preview.png");
    preview.Compose = nullptr;
    HideForm(preview.Form);
    ReportChapters = ReportChapterSwitches{};
    w.OnPrintPreview = nullptr;
}

TEST(RcWindow, SectionNumberChangeOnlyTakesPositiveIntegers) {
    TfmRCanal& w = ShownWindow();
    w.CkDispAllClick(TfmRCanal::kModeExtract);
    w.CurrentRcMember = 2;
    for (const char* typed : {"abc", "-3", "7"}) {
        w.OnInputQuery = [typed](const std::string&, const std::string&, std::string& v) { v = typed; return true; };
        w.DmNoClick();
    }
    EXPECT_EQ(RcData->memberChecks[2].sectionNo, 7);
    w.OnInputQuery = nullptr;
    w.CkDispAllClick(TfmRCanal::kModeBars);
}

// --- section settings window ------------------------------------------------

TEST(RcSectionWindow, CheckTypeEntryIsClampedAndRowWraps) {
    ShownWindow();
    TfmSection& s = *fmSection;
    struct Case { const char* typed; int stored; };
    for (const Case& c : {Case{"5", 3}, Case{"0", 1}, Case{"x", 1}, Case{"2", 2}}) {
        s.SgType1->SetEnabled(false);
        s.SgType1->SetRow(1);
        s.SgType1->SetCol(2);
        s.SgType1->SetEnabled(true);
        s.SgType1->SetCell(2, 1, c.typed);
        char enter = 13;
        s.SgType1KeyPress(enter);
        EXPECT_EQ(RcData->checkCases[1].checkType, c.stored) << c.typed;
        EXPECT_EQ(s.SgType1->Row(), 1);  // one case: the last row wraps to row 1
    }
}

TEST(RcSectionWindow, ApplyOptionsSwitchChecksOffByNameEndAndExtremes) {
    ShownWindow();
    TfmSection& s = *fmSection;
    RcMemberChecks& beam = RcData->memberChecks[2];
    ASSERT_GE(beam.pointCount, 4);
    // A regular inner point named in full-width characters.
    int inner = 0;
    for (int k = 1; k <= beam.pointCount - 2 && inner == 0; ++k) {
        const double x = beam.points[k].cases[1].shear.x;
        if (x > 0.001 && x < beam.length - 0.001) inner = k;
    }
    ASSERT_GT(inner, 0);
    SetRcText(beam.points[inner].name, kRcPointNameSize, "ハンチ部"_sj);
    s.CkApplyHanchi->SetChecked(true);
    s.CkApplyHasi->SetChecked(true);
    {
        Answer ok(mrOk);
        s.ApplyShoTypeClick();
    }
    const RcCaseCheck& c = beam.points[inner].cases[1];
    EXPECT_EQ(c.tuCK, 0);
    EXPECT_EQ(c.sgCK, 1);
    EXPECT_EQ(beam.points[1].cases[1].tuCK, 0);  // the i end
    EXPECT_EQ(beam.points[beam.pointCount].cases[1].tuCK, 0);  // M-min row
    // h/2 takes the bending checks instead; all options off only resets.
    SetRcText(beam.points[inner].name, kRcPointNameSize, "h/2");
    s.CkApplyHanchi->SetChecked(false);
    s.CkApplyHasi->SetChecked(false);
    s.CkApplyMmax->SetChecked(false);
    s.CkApplyH2->SetChecked(true);
    {
        Answer ok(mrOk);
        s.ApplyShoTypeClick();
    }
    EXPECT_EQ(beam.points[inner].cases[1].sgCK, 0);
    EXPECT_EQ(beam.points[inner].cases[1].tuCK, 1);
    EXPECT_EQ(beam.points[1].cases[1].tuCK, 1);
    s.CkApplyH2->SetChecked(false);
    s.CkApplyMmax->SetChecked(true);
}

TEST(RcSectionWindow, SortByNumberKeepsNoneRecordEmpty) {
    ShownWindow();
    RcCheckData& rc = *RcData;
    rc.sections[1].no = 9;
    rc.sections[2].no = 4;
    SortRcSectionsByNumber(rc);
    EXPECT_EQ(rc.sections[1].no, 4);
    EXPECT_EQ(rc.sections[2].no, 9);
    static const RcSection zero{};
    EXPECT_EQ(std::memcmp(&rc.sections[0], &zero, sizeof zero), 0);
}

TEST(RcSectionWindow, CancelledConfirmationsChangeNothing) {
    ShownWindow();
    RcData->sections[1].k1 = 77;
    Answer cancel(mrCancel);
    fmSection->BtnSectionSetClick();
    fmSection->ConsSectionClick();
    EXPECT_EQ(RcData->sections[1].k1, 77.0f);
    EXPECT_EQ(RcData->sectionCount, 2);
}
