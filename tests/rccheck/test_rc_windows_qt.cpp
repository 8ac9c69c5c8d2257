// The RC check window and the section settings window on the analysed
// portal frame (examples/portal.$O1): the show sequence, Enter commits, the
// NG search, paging, printing, check types and the switch-off options, and
// what they ask of the window that opened them. Screenshots go to the
// case's output folder for a look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_window.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

#include "tests/app/mouse_util.h"
#include "tests/case_output.h"
#include "tests/rccheck/rc_portal_fixture.h"
#include "tests/rccheck/rc_test_host.h"

namespace {

// Answers every message box with `answer` and keeps the last text.
struct Answer {
    std::string last;
    explicit Answer(int answer) {
        SetMessageDlgHook([this, answer](const std::string& t, TMsgDlgType, int) {
            last = t;
            return answer;
        });
    }
    ~Answer() { SetMessageDlgHook(nullptr); }
};

TfmRCanal& ShownWindow() {
    LoadPortalWithEmptyRc();
    ShowRcWindow(TestRcHost());
    fmRCanal->CkDispAllClick(TfmRCanal::kModeBars);
    return *fmRCanal;
}

void Type(TStringGrid& grid, int col, int row, const std::string& text,
          std::function<void(char&)> press) {
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
void ClickButton(TControl& button) {
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
    form.Widget()->grab().save(QString::fromStdString(CaseOutputDir()) + "/" + name);
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
    RecordingRcHost& host = TestRcHost();
    host.modified = false;
    Type(*w.Sg1, 2, 1, "40", [&](char& k) { w.Sg1KeyPress(k); });
    EXPECT_EQ(RcData->sections[1].k1, 40.0f);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(w.Sg1->Col(), 3);
    EXPECT_EQ(w.Sg1->Row(), 1);
    EXPECT_FALSE(w.NgText().empty());  // the NG search ran
    // Enter alone only moves on.
    host.modified = false;
    char enter = 13;
    w.Sg1KeyPress(enter);
    EXPECT_FALSE(host.modified);
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
}

// RC data read with the data file, no calculation yet: the print warns that
// there are no member forces, asks nothing more and prints the RC chapter.
TEST(RcWindow, PrintWithoutResultsWarnsAndPrintsTheRcChapter) {
    TfmRCanal& w = ShownWindow();
    const int members = ResultData->memberCount;
    ResultData->memberCount = 0;
    TFmPriPrev& preview = FmPriPrev();
    std::vector<std::string> asked;
    SetMessageDlgHook([&](const std::string& t, TMsgDlgType, int) {
        asked.push_back(t);
        return mrYes;
    });
    ClickButton(*w.BtnPrint);
    SetMessageDlgHook(nullptr);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "フレーム解析データ(断面力) が有りません！"_sj);
    EXPECT_TRUE(preview.Form.Visible());
    EXPECT_TRUE(JumpListHas(preview, "応力度の照査"_sj));
    EXPECT_FALSE(JumpListHas(preview, "断面力の算出"_sj));
    EXPECT_TRUE(JumpListHas(preview, "概要"_sj));
    HideForm(preview.Form);
    ResultData->memberCount = members;
    ReportChapters = ReportChapterSwitches{};
}

// Only the number of a section the table holds is taken: one that names
// no section is refused with a message, not stored to be checked against
// an empty section.
TEST(RcWindow, SectionNumberChangeOnlyTakesSectionsOfTheTable) {
    TfmRCanal& w = ShownWindow();
    w.CkDispAllClick(TfmRCanal::kModeExtract);
    w.CurrentRcMember = 2;
    // A person clicks the section label, types into the box and presses
    // Enter.
    std::string typed;
    SetModalFormHook([&typed](TForm& box) {
        QLineEdit* edit = box.Widget()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        QTest::keyClicks(edit, QString::fromStdString(typed));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Answer answer(mrOk);
    for (const char* text : {"abc", "-3", "7", "1"}) {
        typed = text;
        QTest::mouseClick(w.DmNo->Widget(), Qt::LeftButton);
        if (typed == "7") {
            EXPECT_EQ(answer.last, "断面No.7 は断面表に有りません。"_sj);
        }
    }
    SetModalFormHook(nullptr);
    EXPECT_EQ(RcData->memberChecks[2].sectionNo, 1);
    w.CkDispAllClick(TfmRCanal::kModeBars);
}

// --- section settings window ------------------------------------------------

TEST(RcSectionWindow, CheckTypeEntryIsClampedAndRowWraps) {
    ShownWindow();
    TfmSection& s = *fmSection;
    struct Case {
        const char* typed;
        int stored;
    };
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
    EXPECT_EQ(beam.points[1].cases[1].tuCK, 0);                // the i end
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

// --- layout -----------------------------------------------------------------

namespace {

// The controls of a window a person sees, with the part of each that is
// visible (cut by the panels that hold it), in the window's coordinates.
struct Seen {
    TControl* control;
    QRect rect;
};

void CollectSeen(TWinControl& parent, QWidget* window, std::vector<Seen>& out) {
    for (TControl* c : parent.Children()) {
        QWidget* w = c->Widget();
        if (!w->isVisibleTo(window)) continue;
        if (auto* inner = dynamic_cast<TWinControl*>(c)) {
            CollectSeen(*inner, window, out);
            continue;
        }
        QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        for (QWidget* a = w->parentWidget(); a != nullptr && a != window; a = a->parentWidget())
            r &= QRect(a->mapTo(window, QPoint(0, 0)), a->size());
        r &= window->rect();
        if (!r.isEmpty()) out.push_back({c, r});
    }
}

// Every pair of controls on screen apart; the named ones wholly on screen.
void ExpectNothingOverlaps(TForm& form, const char* what, std::initializer_list<TControl*> whole) {
    ProcessMessages();
    QWidget* window = form.Widget();
    std::vector<Seen> seen;
    CollectSeen(form, window, seen);
    ASSERT_GT(seen.size(), 5u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_FALSE(seen[i].rect.intersects(seen[j].rect))
                << what << ": controls overlap at " << seen[i].rect.x() << "," << seen[i].rect.y()
                << " " << seen[i].rect.width() << "x" << seen[i].rect.height() << " and "
                << seen[j].rect.x() << "," << seen[j].rect.y() << " " << seen[j].rect.width() << "x"
                << seen[j].rect.height();
    for (TControl* c : whole) {
        QWidget* w = c->Widget();
        const QRect full(w->mapTo(window, QPoint(0, 0)), w->size());
        EXPECT_TRUE(window->rect().contains(full))
            << what << ": a control is cut at the window's edge";
    }
}

// The first row of pixels of a widget, as drawn, that differs from the
// colour of its bottom right corner; -1 when none does.
int FirstDrawnRow(QWidget* w) {
    const QImage image = w->grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) return y;
    return -1;
}

}  // namespace

TEST(RcWindowLayout, NothingOverlapsAtAnySize) {
    TfmRCanal& w = ShownWindow();
    if (fmSection->Visible()) fmSection->Close();
    // Seven sections: the table used to grow under the buttons.
    RcCheckData& rc = *RcData;
    for (int s = 3; s <= 9; ++s) {
        rc.sections[s] = rc.sections[1];
        rc.sections[s].no = s;
    }
    rc.sectionCount = 9;
    fmSection->FormShow();
    struct Size {
        int w, h;
    } sizes[] = {{1200, 750}, {1280, 750}, {1600, 900}, {1920, 1080}};
    for (const TfmRCanal::DispMode mode : {TfmRCanal::kModeBars, TfmRCanal::kModeAllRows}) {
        w.CkDispAllClick(mode);
        for (const Size& s : sizes) {
            w.SetBounds(0, 0, s.w, s.h);
            const std::string name =
                "rc_window_" + std::to_string(int(mode)) + "_" + std::to_string(s.w) + ".png";
            ExpectNothingOverlaps(
                w, name.c_str(), {w.MyHistory, w.BtnHelp1, w.bShowSection, w.RbDispAll, w.BtnNext});
            // The notes start under the NG button, not halfway down a tall
            // window.
            const int first = FirstDrawnRow(w.ListBox1->Widget());
            EXPECT_GE(first, 0) << name;
            EXPECT_LT(first, QFontMetrics(w.ListBox1->Widget()->font()).lineSpacing()) << name;
            Grab(w, name.c_str());
        }
    }
    w.CkDispAllClick(TfmRCanal::kModeBars);
    for (const Size& s : {Size{1250, 750}, Size{1400, 800}, Size{1920, 1080}}) {
        fmSection->SetBounds(0, 0, s.w, s.h);
        const std::string name = "rc_section_window_" + std::to_string(s.w) + ".png";
        ExpectNothingOverlaps(
            *fmSection, name.c_str(),
            {fmSection->SpeedButton2, fmSection->CkApplyH2, fmSection->ApplyShoType});
        Grab(*fmSection, name.c_str());
    }
    fmSection->Close();
}

TEST(RcWindowLayout, DisplayModesAreOneGroupOfRadioButtons) {
    TfmRCanal& w = ShownWindow();
    // Checking one unchecks the others, as a group of radio buttons does.
    w.RbZenGyo->SetChecked(true);
    EXPECT_EQ(w.Mode(), TfmRCanal::kModeAllRows);
    EXPECT_FALSE(w.RbDispBzi->Checked());
    EXPECT_TRUE(w.RbZenGyo->Checked());
    w.RbDispBzi->SetChecked(true);
    EXPECT_EQ(w.Mode(), TfmRCanal::kModeBars);
    EXPECT_FALSE(w.RbZenGyo->Checked());
}

TEST(RcWindowLayout, WindowsOpenCentredOnTheirHostWithTheirNameAsTitle) {
    LoadPortalWithEmptyRc();
    RecordingRcHost& host = TestRcHost();
    host.HostForm().SetBounds(300, 200, 1000, 700);
    host.HostForm().Show();
    if (fmRCanal && fmRCanal->Visible()) fmRCanal->Close();
    if (fmSection && fmSection->Visible()) fmSection->Close();
    ShowRcWindow(host);
    ProcessMessages();
    const QRect m = host.HostForm().Widget()->frameGeometry();
    for (TForm* f : {static_cast<TForm*>(fmRCanal), static_cast<TForm*>(fmSection)}) {
        const QRect r = f->Widget()->frameGeometry();
        // Centred as far as the screen lets a window larger than the host
        // (a frame added at the first show may shift it by its width).
        const QPoint want = CentredOn(m, r, f->Widget()->screen()->availableGeometry());
        EXPECT_NEAR(r.x(), want.x(), 8);
        EXPECT_NEAR(r.y(), want.y(), 8);
    }
    EXPECT_EQ(fmSection->Caption(), "部材断面/許容値・設定"_sj);
    // The RC window's title: its name, the version date and the file, not
    // the text of the change history's newest entry.
    const std::string title = fmRCanal->Caption();
    EXPECT_EQ(title.substr(0, title.find(" > ")), "KVD RC断面照査 2026.12.08 版 "_sj) << title;
    EXPECT_EQ(title.substr(title.find(" > ") + 3), host.fileName);
    fmSection->Close();
    fmRCanal->Close();
    HideForm(host.HostForm());
}

// The RC window saves, shows its texts and moves the member grid through
// the window that opened it.
TEST(RcWindow, SaveHistoryAndPagingGoThroughItsHost) {
    TfmRCanal& w = ShownWindow();
    RecordingRcHost& host = TestRcHost();
    const int saves = host.saves;
    ClickButton(*w.Save1);
    EXPECT_EQ(host.saves, saves + 1);
    host.texts.clear();
    QTest::mouseClick(w.MyHistory->Widget(), Qt::LeftButton);
    ASSERT_EQ(host.texts.size(), 1u);
    EXPECT_EQ(host.texts[0], RcHistoryText());
    // In a sheet mode the member shown is the one the main window's member
    // grid moves to.
    ClickButton(*w.RbExtract);
    host.selectedMembers.clear();
    w.CurrentRcMember = 1;
    ClickButton(*w.BtnNext);
    ASSERT_FALSE(host.selectedMembers.empty());
    EXPECT_EQ(host.selectedMembers.back(), RcData->memberChecks[2].memberNo);
    w.CkDispAllClick(TfmRCanal::kModeBars);
}
