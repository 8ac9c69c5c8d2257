// The windows the main window opens: the print preview of the calculation
// report, the reference drawing, the change history, the splash at start-up
// and the RC check window, which works with the main window it was opened
// from (its save, its member grid, its file name).
#include <sys/stat.h>

#include <QImage>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "app/change_history.h"
#include "app/reference_window.h"
#include "app/small_windows.h"
#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"
#include "mouse_util.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/qt/memo.h"
#include "rccheck/rc_records.h"
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_window.h"
#include "report/page_pool.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

namespace {

// A drawing in mm, all lines in pen (colour) 1, drawn as grid lines that
// overrun each other: two axes 6 m apart and two levels 3 m apart. Only
// crossings become nodes, so this is a closed 6 m x 3 m frame of four
// members.
const char* const kGridDxf =
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nLINE\n  8\n0\n 62\n1\n 10\n0\n 20\n-1000\n 30\n0.0\n 11\n0\n 21\n4000\n 31\n0.0\n"
    "  0\nLINE\n  8\n0\n 62\n1\n 10\n6000\n 20\n-1000\n 30\n0.0\n 11\n6000\n 21\n4000\n 31\n0.0\n"
    "  0\nLINE\n  8\n0\n 62\n1\n 10\n-1000\n 20\n0\n 30\n0.0\n 11\n7000\n 21\n0\n 31\n0.0\n"
    "  0\nLINE\n  8\n0\n 62\n1\n 10\n-1000\n 20\n3000\n 30\n0.0\n 11\n7000\n 21\n3000\n 31\n0.0\n"
    "  0\nENDSEC\n  0\nEOF\n";

bool PageHas(int poolPage, const std::string& cp932) {
    for (const std::string& line : PoolPageText(poolPage))
        if (line.find(cp932) != std::string::npos) return true;
    return false;
}

// Pool pages are the cover (0), the contents (1..10) and the body from 11.
bool BodyHas(int bodyPages, const std::string& cp932) {
    for (int p = 11; p <= 10 + bodyPages; ++p)
        if (PageHas(p, cp932)) return true;
    return false;
}

class MainWindowsTest : public MainWindowTest {
  protected:
    void TearDown() override {
        SetModalFormHook(nullptr);
        if (FmPriPrev().Form.Visible()) HideForm(FmPriPrev().Form);
        MainWindowTest::TearDown();
    }
    std::string WriteDxf() {
        const std::string path = (dir / "grid.dxf").string();
        std::ofstream(path) << kGridDxf;
        return Utf8ToCp932(path);
    }
    // The reference window answers the next modal show: the drawing dropped,
    // pen 1 chosen, then OK or Cancel.
    void AnswerReferenceWindow(const std::string& dxf, bool ok) {
        SetModalFormHook([dxf, ok](TForm&) {
            TfmRefDXF& r = ReferenceWindow();
            DropOn(r.Widget(), {Cp932ToUtf8(dxf)});
            ClickRadioItem(r.RgPenNo->Widget(), 0);
            ClickMiddle((ok ? r.BitBtnOK : r.BitBtn1)->Widget());
        });
    }
};

}  // namespace

TEST_F(MainWindowsTest, PrintAfterACalculationShowsTheComposedReport) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    EXPECT_FALSE(w.BtnPrint->Enabled());  // nothing to report before a calculation
    ClickButton(U("計算実行"_sj));
    ASSERT_GT(ResultData->memberCount, 0);
    ASSERT_TRUE(w.BtnPrint->Enabled());
    // RC members of the model stay out of this report: the RC check window
    // prints them. Their record is not touched for that.
    ASSERT_NE(AllocateRcCheckData(), nullptr);
    RcData->memberCount = 2;
    TFmPriPrev& p = FmPriPrev();
    int rcMembersWhileComposing = -1;
    p.Compose = [&] {
        rcMembersWhileComposing = RcData->memberCount;
        return BuildCalculationReport();
    };
    w.Show();
    EXPECT_EQ(ClickMiddle(w.BtnPrint->Widget()), w.BtnPrint->Widget());
    p.Compose = nullptr;
    EXPECT_EQ(rcMembersWhileComposing, 2);
    EXPECT_EQ(RcData->memberCount, 2);
    RcData->memberCount = 0;
    EXPECT_FALSE(ReportChapters.rcCheck);

    EXPECT_TRUE(p.Form.Visible());
    EXPECT_GT(p.ListJump->Count(), 0);
    ASSERT_GT(p.BodyPageCount(), 0);
    EXPECT_TRUE(PageHas(0, "フレーム構造解析計算書"_sj));
    EXPECT_TRUE(PageHas(0, "portal"));  // the data file's name without extension
    EXPECT_FALSE(PageHas(0, "portal.$O1"));
    const std::string title = Trim(FrameData->header.title);
    ASSERT_FALSE(title.empty());
    EXPECT_TRUE(BodyHas(p.BodyPageCount(), title));
    // The result chapter is there, the RC chapter is not; the jump list
    // says the same.
    EXPECT_TRUE(BodyHas(p.BodyPageCount(), "断面力の算出"_sj));
    EXPECT_FALSE(BodyHas(p.BodyPageCount(), "応力度の照査"_sj));
    bool listed = false;
    for (int i = 0; i < p.ListJump->Count(); ++i) {
        EXPECT_EQ(p.ListJump->Item(i).find("応力度の照査"_sj), std::string::npos);
        listed = listed || p.ListJump->Item(i).find("断面力の算出"_sj) != std::string::npos;
    }
    EXPECT_TRUE(listed);
    ReportChapters = ReportChapterSwitches{};
    p.Form.Widget()->grab().toImage().save(QString::fromStdString((dir / "preview.png").string()));
}

TEST_F(MainWindowsTest, CommandsThatDropTheResultsDisablePrinting) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    ASSERT_TRUE(w.BtnPrint->Enabled());
    ChooseFileMenu(U("新規作成"_sj));
    EXPECT_FALSE(w.BtnPrint->Enabled());
    ClickButton(U("計算実行"_sj));
    ASSERT_TRUE(w.BtnPrint->Enabled());
    const std::string dxf = WriteDxf();
    AnswerReferenceWindow(dxf, true);
    ClickTab(TFmMain::kTabPoint);
    ClickButton(U("図面参照"_sj));
    EXPECT_FALSE(w.BtnPrint->Enabled());
}

TEST_F(MainWindowsTest, ReferenceDrawingBecomesANewUnsavedModelInTheGrids) {
    const std::string file = CopyExample("portal.$O1");
    TFmMain& w = Open(file);
    ClickButton(U("自動保存"_sj));
    const std::string before = ReadBytes(file);
    ClickButton(U("計算実行"_sj));
    ASSERT_GT(ResultData->memberCount, 0);
    AnswerReferenceWindow(WriteDxf(), true);
    ASSERT_TRUE(w.SpeedButton1->Enabled());
    ClickTab(TFmMain::kTabPoint);
    ClickButton(U("図面参照"_sj));

    ASSERT_EQ(FrameData->nodeCount, 4);
    ASSERT_EQ(FrameData->memberCount, 4);
    EXPECT_TRUE(ModifiedFlag);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), (dir / U("新規1.$O1"_sj)).string());
    const std::string caption = Cp932ToUtf8(w.Caption());
    EXPECT_EQ(caption.substr(caption.size() - U("新規1.$O1"_sj).size()), U("新規1.$O1"_sj));
    EXPECT_EQ(ResultData->memberCount, 0);
    EXPECT_EQ(FrameData->loadCases[1].loads[1].qI, 0.0f);
    EXPECT_EQ(FrameData->loadCases[1].loads[1].qJ, 0.0f);
    // The grids show the drawing's nodes (m) and its members.
    TStringGrid& points = w.Grid(kSgPoint);
    ASSERT_EQ(points.RowCount(), 4 + 2);
    std::multiset<double> xs, ys;
    for (int r = 1; r <= 4; ++r) {
        xs.insert(std::atof(Trim(points.Cells(2, r)).c_str()));
        ys.insert(std::atof(Trim(points.Cells(3, r)).c_str()));
    }
    EXPECT_EQ(xs, (std::multiset<double>{0, 0, 6, 6}));
    EXPECT_EQ(ys, (std::multiset<double>{0, 0, 3, 3}));
    EXPECT_EQ(w.Grid(kSgMember).RowCount(), 4 + 2);
    // The old data file is left as it was.
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(MainWindowsTest, CancelledReferenceDrawingChangesNothing) {
    const std::string file = CopyExample("portal.$O1");
    Open(file);
    const std::string model = FrameDataFileText(*FrameData);
    AnswerReferenceWindow(WriteDxf(), false);
    ClickButton(U("図面参照"_sj));
    EXPECT_EQ(FrameDataFileText(*FrameData), model);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), file);
    EXPECT_FALSE(ModifiedFlag);
}

// The drawing's frame replaces the model: an edited model is asked about
// first, as before opening another file.
TEST_F(MainWindowsTest, ReferenceDrawingAsksBeforeItReplacesAnEditedModel) {
    const std::string file = CopyExample("portal.$O1");
    const std::string before = ReadBytes(file);
    Open(file);
    Type(kSgPoint, 2, 2, "0.25");
    const std::string edited = FrameDataFileText(*FrameData);
    AnswerReferenceWindow(WriteDxf(), true);
    ClickTab(TFmMain::kTabPoint);
    // Cancel: the window does not open and the edit stays.
    answer = mrCancel;
    messages.clear();
    ClickButton(U("図面参照"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("修正されています。保存しますか？"_sj));
    EXPECT_EQ(FrameDataFileText(*FrameData), edited);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), file);
    // No: the edit is dropped and the drawing's frame comes in.
    answer = mrNo;
    messages.clear();
    ClickButton(U("図面参照"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(FrameData->memberCount, 4);
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), (dir / U("新規1.$O1"_sj)).string());
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(MainWindowsTest, HistoryWindowShowsTheChangeHistory) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ASSERT_TRUE(w.MyHistory->Enabled());
    Click(w.MyHistory->Widget(), w.MyHistory->Widget()->rect().center());
    ASSERT_NE(FormVer2, nullptr);
    EXPECT_TRUE(FormVer2->Visible());
    const std::string shown = FormVer2->Memo1->Text();
    // The history begins with the version date shown in the title.
    EXPECT_NE(shown.find(VersionDate), std::string::npos);
    EXPECT_GT(shown.size(), 20u);
    HideForm(*FormVer2);
}

TEST_F(MainWindowsTest, SplashGoesAtTheFifteenthTick) {
    TFmMain& w = Open(CopyExample("portal.$O1"));  // ticks 1 and 2 have run
    ShowSplash();
    for (int t = 3; t <= 14; ++t) w.Timer1Timer();
    EXPECT_TRUE(fmOpening->Visible());
    w.Timer1Timer();
    EXPECT_FALSE(fmOpening->Visible());
}

// A file read only in part says so at start-up, while the splash is still
// up: the message must not open under the splash, which stays on top and
// would hide it (the program then seems to hang on its splash).
TEST_F(MainWindowsTest, StartUpWarningIsNotHiddenUnderTheSplash) {
    const std::string file = CopyExample("portal.$O1");
    {
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string from = "POINT         4", to = "POINT        -4";
        ASSERT_NE(text.find(from), std::string::npos);
        text.replace(text.find(from), from.size(), to);
        std::ofstream(file, std::ios::binary) << text;
    }
    bool splashUp = false;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        messages.push_back(Cp932ToUtf8(text));
        splashUp = splashUp || (fmOpening != nullptr && fmOpening->Visible());
        return answer;
    });
    // Start-up as the program runs it: the splash, then the main window
    // under it, then the timer's ticks.
    ShowSplash();
    CommandLineOptions options;
    options.fileName = Utf8ToCp932(file);
    window = std::make_unique<TFmMain>(options);
    window->Timer1.SetEnabled(false);
    window->Show();
    ASSERT_NE(fmOpening, nullptr);
    ASSERT_TRUE(fmOpening->Visible());
    window->Timer1Timer();
    window->Timer1Timer();  // loads the file
    ASSERT_FALSE(messages.empty());
    EXPECT_FALSE(splashUp);
    // What the end of the splash does still happens at its time: a model
    // with RC members opens the RC window.
    ASSERT_NE(AllocateRcCheckData(), nullptr);
    RcData->memberCount = 3;
    for (int t = 3; t <= 14; ++t) window->Timer1Timer();
    EXPECT_FALSE(RcWindowVisible());
    window->Timer1Timer();
    EXPECT_TRUE(RcWindowVisible());
    fmRCanal->Close();
    window->Timer1Timer();
    EXPECT_FALSE(RcWindowVisible());
    RcData->memberCount = 0;
}

// A name on the command line that cannot be read says what is wrong with
// it; the last file of the ini is not opened in its place.
TEST_F(MainWindowsTest, AnUnreadableNameAtStartUpIsSaidAndOpensNothingElse) {
    const std::string last = CopyExample("portal.$O1");
    const std::string ini = GetSharedDataFolder(GetExeBaseName()) + GetExeBaseName() + ".ini";
    ForceDirectories(GetSharedDataFolder(GetExeBaseName()));
    ASSERT_TRUE(TIniFile(ini).WriteString("DO1", "FILE1", Utf8ToCp932(last)));
    ASSERT_EQ(mkfifo((dir / "pipe.$O1").c_str(), 0644), 0);
    fs::create_directory(dir / "folder.$O1");
    fs::create_symlink("loop2.$O1", dir / "loop1.$O1");
    fs::create_symlink("loop1.$O1", dir / "loop2.$O1");
    fs::create_symlink("nowhere.$O1", dir / "dangling.$O1");
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        messages.push_back(Cp932ToUtf8(text));
        return mrOk;
    });
    for (const char* name : {"pipe.$O1", "folder.$O1", "loop1.$O1", "dangling.$O1"}) {
        messages.clear();
        CommandLineOptions options;
        options.triedName = Utf8ToCp932((dir / name).string());
        window = std::make_unique<TFmMain>(options);
        window->Timer1.SetEnabled(false);
        window->Timer1Timer();
        window->Timer1Timer();
        ASSERT_EQ(messages.size(), 1u) << name;
        EXPECT_NE(messages[0].find(name), std::string::npos) << messages[0];
        EXPECT_EQ(FrameData->nodeCount, 0) << name;
        EXPECT_EQ(CurrentFileName, "") << name;
        window.reset();
    }
}

TEST_F(MainWindowsTest, RcButtonNeedsResultsOrRcMembers) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ASSERT_TRUE(w.btRCanal->Enabled());
    ASSERT_NE(AllocateRcCheckData(), nullptr);
    RcData->memberCount = 0;
    messages.clear();
    ClickButton(U("RC照査..."_sj));
    EXPECT_FALSE(RcWindowVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("先ず、[計算実行]ボタンでフレーム解析を実行して下さい！"_sj));
    ClickButton(U("計算実行"_sj));
    OpenRcWindow();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(RcData->memberCount, 3);  // built from the results
    // Every calculation hands the new forces to the open RC window: its
    // NG verdict, made for the old ones, goes.
    ClickMiddle(fmRCanal->Bt_NG_Check->Widget());
    ASSERT_FALSE(fmRCanal->NgText().empty());
    ClickButton(U("計算実行"_sj));
    EXPECT_EQ(fmRCanal->NgText(), "");
}

TEST_F(MainWindowsTest, RcWindowOpensAfterTheSplashWhenTheModelHasRcMembers) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    OpenRcWindow();
    ASSERT_GT(RcData->memberCount, 0);
    fmSection->Close();
    fmRCanal->Close();
    ShowSplash();
    for (int t = 3; t <= 14; ++t) w.Timer1Timer();
    EXPECT_FALSE(RcWindowVisible());
    w.Timer1Timer();
    EXPECT_TRUE(RcWindowVisible());
    fmRCanal->Close();
    w.Timer1Timer();  // the splash is gone and Shift is not held
    EXPECT_FALSE(RcWindowVisible());
    RcData->memberCount = 0;
}

// The RC check window opened with a click in the main window: it opens
// centred on it with the data file's name in its title, its save button
// saves through the main window, its member follows the main window's
// grids and the main window's member grid follows it.
TEST_F(MainWindowsTest, RcWindowOpenedFromTheMainWindowWorksWithIt) {
    const std::string file = CopyExample("portal.$O1");
    TFmMain& w = Open(file);
    ClickButton(U("自動保存"_sj));
    w.SetBounds(300, 200, 1000, 700);
    ClickButton(U("計算実行"_sj));
    ASSERT_FALSE(RcWindowVisible());
    OpenRcWindow();
    TfmRCanal& rc = *fmRCanal;
    ASSERT_NE(fmSection, nullptr);
    EXPECT_TRUE(fmSection->Visible());  // new RC data: the sections first
    EXPECT_EQ(RcData->memberCount, 3);
    ProcessMessages();
    const QRect m = w.Widget()->frameGeometry();
    for (TForm* f : {static_cast<TForm*>(&rc), static_cast<TForm*>(fmSection)}) {
        const QRect r = f->Widget()->frameGeometry();
        // Centred as far as the screen lets a window larger than the main one
        // (a frame added at the first show may shift it by its width).
        const QPoint want = CentredOn(m, r, f->Widget()->screen()->availableGeometry());
        EXPECT_NEAR(r.x(), want.x(), 8);
        EXPECT_NEAR(r.y(), want.y(), 8);
    }
    // The title: the RC check's name, its version date and the data file.
    const std::string title = rc.Caption();
    EXPECT_EQ(title.substr(0, title.find(" > ")), "KVD RC断面照査 2026.12.08 版 "_sj)
        << Cp932ToUtf8(title);
    EXPECT_EQ(Cp932ToUtf8(title.substr(title.find(" > ") + 3)), file);
    ClickMiddle(fmSection->SpeedButton2->Widget());  // 閉じる

    // 保存 in the RC window is the main window's save: the RC data go into
    // the data file and the changes count as saved.
    ASSERT_TRUE(ModifiedFlag);  // the new RC data
    const std::string before = ReadBytes(file);
    EXPECT_EQ(before.find("EOB"), std::string::npos);
    EXPECT_EQ(ClickMiddle(rc.Save1->Widget()), rc.Save1->Widget());
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_NE(ReadBytes(file).find("EOB"), std::string::npos);

    // A click on a member in the main window shows it in the RC window's
    // check sheet; paging there moves the main window's member grid.
    EXPECT_EQ(ClickMiddle(rc.RbExtract->Widget()), rc.RbExtract->Widget());
    ASSERT_EQ(rc.Mode(), TfmRCanal::kModeExtract);
    w.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.Widget()));
    ClickTab(TFmMain::kTabKumi);
    ClickCell(kSgKumi1, 1, 1);
    ClickCell(kSgMember, 1, 2);
    EXPECT_EQ(rc.CurrentRcMember, 2);
    EXPECT_NE(rc.BzName->Caption().find("No. 2"), std::string::npos)
        << Cp932ToUtf8(rc.BzName->Caption());
    EXPECT_EQ(ClickMiddle(rc.BtnNext->Widget()), rc.BtnNext->Widget());  // ▼
    EXPECT_EQ(rc.CurrentRcMember, 3);
    EXPECT_EQ(w.Grid(kSgMember).Row(), 3);

    // The RC check's change history opens in the program's text window.
    if (FormVer2) HideForm(*FormVer2);
    Click(rc.MyHistory->Widget(), rc.MyHistory->Widget()->rect().center());
    ASSERT_NE(FormVer2, nullptr);
    EXPECT_TRUE(FormVer2->Visible());
    EXPECT_EQ(FormVer2->Memo1->Text().find("2026.12.08"), 0u);
    HideForm(*FormVer2);
}

TEST_F(MainWindowsTest, RcDataGoesIntoTheDataFileAndComesBack) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ASSERT_NE(AllocateRcCheckData(), nullptr);
    RcData->sectionCount = 1;
    RcData->sections[1].no = 7;
    RcData->sections[1].b = 400;  // mm
    RcData->sections[1].h = 600;
    ClickButton(U("保存"_sj));
    ASSERT_FALSE(ModifiedFlag);
    RcData->sectionCount = 0;
    RcData->sections[1] = RcSection{};
    for (QLabel* l : w.Widget()->findChildren<QLabel*>())  // 部材: a double-click reloads
        if (l->text() == QString::fromUtf8(U("部材"_sj))) DoubleClick(l, l->rect().center());
    ASSERT_EQ(RcData->sectionCount, 1);
    EXPECT_EQ(RcData->sections[1].no, 7);
    EXPECT_NEAR(RcData->sections[1].b, 400, 1e-3);
    EXPECT_NEAR(RcData->sections[1].h, 600, 1e-3);
    // A new model has no RC members.
    RcData->memberCount = 1;
    ChooseFileMenu(U("新規作成"_sj));
    EXPECT_EQ(RcData->memberCount, 0);
    RcData->sectionCount = 0;
}

TEST_F(MainWindowsTest, ClicksInTheCombinationAndMemberGridsMoveTheRcWindow) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    OpenRcWindow();
    TfmRCanal& rc = *fmRCanal;
    ClickMiddle(rc.RbDispBzi->Widget());  // the bar table, whatever was shown last
    ASSERT_EQ(rc.Mode(), TfmRCanal::kModeBars);
    w.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.Widget()));
    TStringGrid& member = w.Grid(kSgMember);
    TStringGrid& kumi = w.Grid(kSgKumi1);
    ASSERT_GE(kumi.RowCount(), 3);
    ASSERT_EQ(member.RowCount(), 3 + 2);
    ClickTab(TFmMain::kTabKumi);
    ClickCell(kSgKumi1, 1, 1);
    ClickCell(kSgMember, 1, 2);
    EXPECT_EQ(rc.CurrentRcMember, 2);
    EXPECT_EQ(rc.Sg1->Row(), 2 * 2 - 1);  // the bar table's row of member 2
    // The append row of the member grid is not a member.
    ClickCell(kSgMember, 1, member.RowCount() - 1);
    EXPECT_EQ(rc.CurrentRcMember, 2);
    // Other grids leave the RC window alone.
    ClickCell(kSgMember, 1, 3);
    EXPECT_EQ(rc.CurrentRcMember, 3);
    ClickTab(TFmMain::kTabPoint);
    ClickCell(kSgPoint, 1, 2);
    EXPECT_EQ(rc.CurrentRcMember, 3);
}
