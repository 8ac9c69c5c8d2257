// The small windows: history dialog, splash, busy figure and the spring
// test with its calculation checked against the closed form.
#include <QImage>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "app/small_windows.h"
#include "main_window_fixture.h"
#include "mouse_util.h"
#include "platform/encoding.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/memo.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/graphics.h"
#include "tests/case_output.h"

namespace {

QString Out(const char* name) { return QString::fromStdString(CaseOutputDir()) + "/" + name; }

int CountPixels(TBitmap& b, std::uint32_t colour) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) == colour) ++n;
    return n;
}

// Force (moment = false) or moment about the left end of a reaction given
// at the 101 points, by Simpson's rule.
double Resultant(const double* v, double L, bool moment) {
    const int n = kSpringDivisions;
    double s = 0;
    for (int i = 0; i <= n; ++i) {
        const double w = (i == 0 || i == n) ? 1.0 : (i % 2 ? 4.0 : 2.0);
        s += w * v[i] * (moment ? i * L / n : 1.0);
    }
    return s * L / n / 3;
}

}  // namespace

// --- spring test calculation ------------------------------------------------------

TEST(SpringTest, FirstReactionIsTheRigidMembersLinearReaction) {
    struct Case {
        double WL, WR, L, q0, qL;
    } cases[] = {
        {100, 100, 2, 100, 100},  // symmetric: uniform W / L
        {100, 0, 2, 200, -100},   // (4 WL - 2 WR) / L and (4 WR - 2 WL) / L
        {30, 90, 3, -20, 100},
    };
    for (const Case& c : cases) {
        SpringTestInput in;
        in.WL = c.WL;
        in.WR = c.WR;
        in.L = c.L;
        double q[kSpringDivisions + 1];
        SpringFirstReaction(in, q);
        EXPECT_NEAR(q[0], c.q0, 1e-9);
        EXPECT_NEAR(q[kSpringDivisions], c.qL, 1e-9);
        EXPECT_NEAR(Resultant(q, c.L, false), c.WL + c.WR, 1e-9);
        EXPECT_NEAR(Resultant(q, c.L, true), c.WR * c.L, 1e-9);
    }
}

TEST(SpringTest, OneIterationMatchesTheFreeBeamClosedForm) {
    // End loads P on a member resting on the uniform reaction 2P/L: the
    // middle settles less than the ends by 5 P L^3 / (192 EI), so the new
    // reaction at the ends exceeds the one at mid-length by Kv times that.
    SpringTestInput in;  // L 2, H 0.3, P 100, E 2.5e7, Kv 5e4
    double q0[kSpringDivisions + 1], q1[kSpringDivisions + 1], s[kSpringDivisions + 1];
    SpringFirstReaction(in, q0);
    SpringIterate(in, q0, q1, s);
    const double EI = in.E * in.H * in.H * in.H / 12;
    const double expected = in.Kv * 5 * in.WL * std::pow(in.L, 3) / (192 * EI);  // 18.52 kN/m
    EXPECT_NEAR(q1[0] - q1[kSpringDivisions / 2], expected, expected * 1e-3);
    EXPECT_NEAR(q1[0], q1[kSpringDivisions], 1e-9);  // symmetric
    EXPECT_NEAR(Resultant(q1, in.L, false), 2 * in.WL, 1e-9);
    // Settlement carries the reaction.
    EXPECT_NEAR(s[10] * in.Kv, q1[10], 1e-9);
}

TEST(SpringTest, EquilibriumHoldsAndLimitsBehave) {
    struct Case {
        double WL, WR, E, Kv;
    } cases[] = {
        {100, 0, 2.5e7, 5e4},
        {20, 80, 1e6, 1e5},
        {50, 50, 1.0, 1e3},
    };
    for (const Case& c : cases) {
        SpringTestInput in;
        in.WL = c.WL;
        in.WR = c.WR;
        in.E = c.E;
        in.Kv = c.Kv;
        double q0[kSpringDivisions + 1], q1[kSpringDivisions + 1], s[kSpringDivisions + 1];
        SpringFirstReaction(in, q0);
        SpringIterate(in, q0, q1, s);
        EXPECT_NEAR(Resultant(q1, in.L, false), c.WL + c.WR, 1e-6 * (c.WL + c.WR));
        EXPECT_NEAR(Resultant(q1, in.L, true), c.WR * in.L, 1e-6 * (c.WL + c.WR));
    }
    // Without springs, or with a member far stiffer than the springs, the
    // rigid member's linear reaction comes back.
    for (double Kv : {0.0, 1e-3}) {
        SpringTestInput in;
        in.WL = 100;
        in.WR = 0;
        in.Kv = Kv;
        in.E = 2e11;
        double q0[kSpringDivisions + 1], q1[kSpringDivisions + 1], s[kSpringDivisions + 1];
        SpringFirstReaction(in, q0);
        SpringIterate(in, q0, q1, s);
        for (int i = 0; i <= kSpringDivisions; i += 25)
            EXPECT_NEAR(q1[i], q0[i], 1e-6) << Kv << " " << i;
    }
}

namespace {

// A person replacing an edit's text: a click into it, every character
// selected and the new text typed over them, to the focused widget.
void TypeOver(TEdit& edit, const char* text) {
    QTest::mouseClick(edit.Widget(), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

}  // namespace

TEST(SpringTest, WindowReadsFormatsAndRunsBothSteps) {
    TfmBaneT w;
    w.Show();
    w.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.Widget()));
    const SpringTestInput in = w.ReadInputs();
    EXPECT_DOUBLE_EQ(in.L, 2.0);
    EXPECT_EQ(w.lbI->Caption(), "I = 0.002250");
    // Leaving the edit (a click into the next one) formats its number.
    TypeOver(*w.Ed_L, "3.14159");
    QTest::mouseClick(w.Ed_H->Widget(), Qt::LeftButton);
    EXPECT_EQ(w.Ed_L->Text(), "   3.142");
    TypeOver(*w.Ed_L, "2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Enter: both steps
    double q0[kSpringDivisions + 1];
    SpringFirstReaction(w.ReadInputs(), q0);
    EXPECT_NEAR(w.Curves().q0[0], q0[0], 1e-12);
    EXPECT_GT(w.Curves().q1[0], w.Curves().q1[50]);
    w.Widget()->grab().toImage().save(Out("spring_test.png"));

    // Damaged input: lengths floor at 1 mm, a zero modulus stays finite.
    w.Ed_L->SetText("abc");
    w.Ed_H->SetText("-5");
    w.Ed_E->SetText("0");
    w.EdWL->SetText("1e999");
    EXPECT_DOUBLE_EQ(w.ReadInputs().L, 0.001);
    EXPECT_DOUBLE_EQ(w.ReadInputs().H, 0.001);
    ClickMiddle(w.Button1->Widget());
    ClickMiddle(w.Button2->Widget());
    for (int i = 0; i <= kSpringDivisions; ++i) ASSERT_TRUE(std::isfinite(w.Curves().q1[i])) << i;
}

// --- history, splash, busy figure ----------------------------------------------------

TEST(ChangeHistory, AnOpenDialogIsRefilledAndStaysOpen) {
    ShowChangeHistory("2026.01.01  一行目\n2025.12.01  二行目"_sj);
    ASSERT_NE(FormVer2, nullptr);
    TFormVer2* first = FormVer2;
    EXPECT_TRUE(FormIsShowing(*FormVer2));
    EXPECT_EQ(FormVer2->Caption(), "変更履歴"_sj);
    EXPECT_EQ(FormVer2->Memo1->LineCount(), 2);
    EXPECT_EQ(FormVer2->Width(), 784);
    EXPECT_EQ(FormVer2->Height(), 629);
    ShowChangeHistory("RC\r\nhistory\r\nthree"_sj);
    EXPECT_EQ(FormVer2, first);
    EXPECT_TRUE(FormIsShowing(*FormVer2));
    EXPECT_EQ(FormVer2->Memo1->Text(), "RC\nhistory\nthree");
    ShowChangeHistory();
    EXPECT_GT(FormVer2->Memo1->LineCount(), 0);
    const QImage shot = FormVer2->Widget()->grab().toImage();
    shot.save(Out("change_history.png"));
    // The memo's pale yellow 10478843 (0x9FE4FB) behind the lines.
    EXPECT_EQ(shot.pixelColor(400, 500), QColor(0xFB, 0xE4, 0x9F));
    HideForm(*FormVer2);
}

TEST(Splash, OutlinedTextAndClickCloses) {
    TBitmap b(200, 60);
    TCanvas& c = b.Canvas();
    c.SetBrushColor(0x00FF00);
    c.FillRect({0, 0, 200, 60});
    DrawOutlinedText(c, 10, 10, 0x800000, 0xFFFFFF, 30, 2, "平面"_sj);
    c.Flush();
    const int text = CountPixels(b, 0x800000), outline = CountPixels(b, 0xFFFFFF);
    EXPECT_GT(text, 50);
    EXPECT_GT(outline, text / 2);  // the rim shows around the strokes

    ShowSplash();
    ASSERT_NE(fmOpening, nullptr);
    EXPECT_TRUE(FormIsShowing(*fmOpening));
    // Client = picture + 4 bevel widths.
    EXPECT_EQ(fmOpening->Width(), fmOpening->Image1->Picture().Width() + 12);
    EXPECT_EQ(fmOpening->Image1->Left(), 6);
    EXPECT_GT(CountPixels(fmOpening->Image1->Picture(), 0x800000), 100);
    fmOpening->Widget()->grab().toImage().save(Out("splash.png"));
    ClickMiddle(fmOpening->Image1->Widget());
    EXPECT_FALSE(FormIsShowing(*fmOpening));
    HideSplash();  // hiding twice is harmless
}

TEST(BusyFigure, PaintsTheFigureFileOrTheNotice) {
    // The program's folder is the case's own, so that no other case sees
    // the figure file come and go.
    const std::string programFolder = ExeFolder;
    ExeFolder = Utf8ToCp932(CaseOutputDir()) + "/";
    const std::string os = Cp932ToUtf8(BusyFigureFileName());
    std::remove(os.c_str());
    ShowBusyFigure();
    ASSERT_NE(fmBusy, nullptr);
    EXPECT_EQ(fmBusy->Caption(), "fmBusy");
    EXPECT_GT(CountPixels(fmBusy->Paint1->Bitmap(), 0xD0E0E0),
              1000);  // missing file: notice, no crash
    {
        std::ofstream f(os, std::ios::binary);
        f << "CF_WINDOW,0,-9000,18000,0\r\nLINE,0,0,1,0,0,18000,-9000\r\nLINE,0,0,1,0,-9000,18000,"
             "0\r\n";
    }
    fmBusy->Paint1Paint();
    TBitmap& b = fmBusy->Paint1->Bitmap();
    EXPECT_GT(CountPixels(b, 0xD0E0E0), b.Width() * b.Height() / 2);
    // The two diagonals of the file: about a line of pixels per column.
    EXPECT_GT(b.Width() * b.Height() - CountPixels(b, 0xD0E0E0), b.Width());
    fmBusy->Widget()->grab().toImage().save(Out("busy_figure.png"));
    std::remove(os.c_str());
    HideForm(*fmBusy);
    ExeFolder = programFolder;
}

// --- the hidden sample button of the main window ------------------------------------

namespace {

// Columns of non-background pixels: the leftmost and rightmost.
void DrawnSpan(TBitmap& b, int& left, int& right) {
    left = b.Width();
    right = -1;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != 0xD0E0E0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
}

}  // namespace

TEST_F(MainWindowTest, HiddenSampleButtonShowsTheKorvoFigureFitted) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();
    ProcessMessages();
    // The button is there but out of sight: a click at its place misses it.
    ASSERT_NE(w.Button1, nullptr);
    EXPECT_EQ(w.Button1->Caption(), "Korvoの表示サンプル"_sj);
    EXPECT_FALSE(w.Button1->Visible());
    EXPECT_NE(ClickMiddle(w.Button1->Widget()), w.Button1->Widget());
    EXPECT_TRUE(fmBusy == nullptr || !FormIsShowing(*fmBusy));
    // Shown, as a developer would: without the figure file the window
    // shows the notice in its place, and no message box comes up.
    w.Button1->SetVisible(true);
    ExeFolder = Utf8ToCp932(dir.string()) + "/";  // the case's own, as above
    const std::string os = Cp932ToUtf8(BusyFigureFileName());
    std::remove(os.c_str());
    ASSERT_EQ(ClickMiddle(w.Button1->Widget()), w.Button1->Widget());
    ASSERT_NE(fmBusy, nullptr);
    EXPECT_TRUE(FormIsShowing(*fmBusy));
    EXPECT_TRUE(messages.empty());
    TBitmap& b = fmBusy->Paint1->Bitmap();
    int left = 0, right = 0;
    DrawnSpan(b, left, right);
    EXPECT_GT(right, left);  // the notice's rows of "#"
    fmBusy->Widget()->grab().toImage().save(Out("busy_missing_from_button.png"));
    // A portal on a ground line, 18 m x 9 m: fitted, the ground line runs
    // across the window but for a 1 % margin at each side.
    {
        std::ofstream f(os, std::ios::binary);
        f << "CF_WINDOW,0,-9000,18000,0\r\n"
             "LINE,0,0,1,0,-8000,18000,-8000\r\n"
             "LINE,0,0,4,3000,-8000,3000,-2000\r\n"
             "LINE,0,0,4,15000,-8000,15000,-2000\r\n"
             "LINE,0,0,6,3000,-2000,15000,-2000\r\n"
             "CIRCLE,0,0,2,9000,-5000,1500,1\r\n";
    }
    HideForm(*fmBusy);
    ClickMiddle(w.Button1->Widget());
    EXPECT_TRUE(FormIsShowing(*fmBusy));
    DrawnSpan(b, left, right);
    const int margin = std::min(fmBusy->Paint1->Width(), fmBusy->Paint1->Height()) / 100;
    EXPECT_NEAR(left, margin, 2);
    EXPECT_NEAR(right, fmBusy->Paint1->Width() - 1 - margin, 2);
    fmBusy->Widget()->grab().toImage().save(Out("busy_figure_from_button.png"));
    std::remove(os.c_str());
    HideForm(*fmBusy);
    EXPECT_TRUE(messages.empty());
}

// The notice of a missing figure file stands at the current paper y, where
// the drawing before it left off; the busy window shows it whole wherever
// that was: below or above the window it would have left a blank window.
TEST_F(MainWindowTest, TheMissingFigureNoticeStaysInsideTheBusyWindow) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();
    ProcessMessages();
    w.Button1->SetVisible(true);
    ExeFolder = Utf8ToCp932(dir.string()) + "/";
    std::remove(Cp932ToUtf8(BusyFigureFileName()).c_str());
    ClickMiddle(w.Button1->Widget());
    ASSERT_NE(fmBusy, nullptr);
    const int width = fmBusy->Paint1->Width(), height = fmBusy->Paint1->Height();
    EXPECT_EQ(width, 657);  // the paint box fills the window
    EXPECT_EQ(height, 398);
    const double pxPerMm = width / 180.0;
    const double noticeMm = 3 * 1.25 * 3.6 + 3.6;
    const struct {
        double leftY;     // mm, where the last drawing left the current point
        double expectMm;  // the notice's top, mm
    } cases[] = {
        {30, 30},                                             // in sight: where it was
        {height / pxPerMm - 2, height / pxPerMm - noticeMm},  // its foot inside
        {500, height / pxPerMm - noticeMm},
        {-40, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "left at y = " << c.leftY << " mm");
        HideForm(*fmBusy);
        CurrentGraphics.mmY = c.leftY;
        ClickMiddle(w.Button1->Widget());
        ASSERT_TRUE(FormIsShowing(*fmBusy));
        EXPECT_DOUBLE_EQ(CurrentGraphics.mmY, c.leftY);  // the state is given back
        TBitmap& b = fmBusy->Paint1->Bitmap();
        int top = height, bottom = -1;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (b.Pixel(x, y) != 0xD0E0E0) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(bottom, 0) << "nothing drawn";
        EXPECT_NEAR(top, c.expectMm * pxPerMm, 0.04 * height);
        EXPECT_LT(bottom, height);
        // Four lines: more than three line pitches from the first to the last.
        EXPECT_GT(bottom - top, 3 * 1.25 * 3.6 * pxPerMm);
    }
    fmBusy->Widget()->grab().toImage().save(Out("busy_missing_left_low.png"));
    HideForm(*fmBusy);
}
