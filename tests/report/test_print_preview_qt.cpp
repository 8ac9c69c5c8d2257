// The print preview window over the portal-frame example's report: the
// jump list, scrolling and its page cache, the view at two window sizes,
// and the three print commands into PDF files.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/printer.h"
#include "platform/sjis_literal.h"
#include "report/print_preview.h"
#include "report/report_cover.h"
#include "tests/analysed_example.h"
#include "tests/case_output.h"
#include "tests/file_size_limit.h"

namespace {

using Portal = AnalysedExample;

Portal& PortalData() {
    static Portal p = AnalyseExample("portal.$O1", 20);
    return p;
}

// One window for the whole program, as in the program, showing the portal
// report at 1000 x 800 pixels.
TFmPriPrev& Window() {
    static TFmPriPrev* w = [] {
        auto* win = new TFmPriPrev;
        win->Compose = [] {
            return BuildCalculationReport(*PortalData().model, PortalData().results, nullptr);
        };
        win->Form.SetBounds(0, 0, 1000, 800);
        win->FormShow(nullptr);
        ProcessMessages();
        return win;
    }();
    return *w;
}

void Resize(TFmPriPrev& w, int width, int height) {
    w.Form.SetBounds(0, 0, width, height);
    ProcessMessages();
    w.Panel2Resize();
}

int PdfPageCount(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string pdf = ss.str();
    static const std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

// Sends the next print job into a fresh PDF file; returns its path.
std::string PrintToPdf(const std::string& name) {
    const std::string path = CaseOutputDir() + "/" + name;
    std::remove(path.c_str());
    SetPrintDialogHook([path](TPrinter& printer) {
        printer.SetPdfFile(path);
        return true;
    });
    return path;
}

int NonBackgroundPixels(TBitmap& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (b.Pixel(x, y) != kPreviewBackground) ++n;
    return n;
}

void Grab(TFmPriPrev& w, const std::string& name) {
    w.Form.Widget()->grab().save(QString::fromStdString(CaseOutputDir() + "/" + name));
}

}  // namespace

// --- page lists and the edit format (no window) ---------------------------

TEST(PreviewPageLists, AllPagesLeaveTheBackOfTheCoverBlank) {
    // 2 contents + 5 body pages: 8 pages on 9 sheets, the second one blank.
    EXPECT_EQ(PrintAllPageList(2, 5), (std::vector<int>{0, -1, 1, 2, 3, 4, 5, 6, 7}));
    // A cover alone gets no trailing blank sheet.
    EXPECT_EQ(PrintAllPageList(0, 0), (std::vector<int>{0}));
}

TEST(PreviewPageLists, RangesCountInBodyPages) {
    struct Case {
        int first, last, contents, body;
        std::vector<int> pages;
    } cases[] = {
        {3, 999, 2, 5, {5, 6, 7}},                       // body pages 3 to 5
        {1, 1, 1, 4, {2}},           {4, 2, 2, 5, {6}},  // end before start: the start page alone
        {-5, 1, 2, 5, {0, 1, 2, 3}},  // a start before the cover begins at the cover
        {0, 0, 3, 0, {3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintRangePageList(c.first, c.last, c.contents, c.body), c.pages)
            << c.first << ".." << c.last;
}

// --- the window over a composed report ------------------------------------

TEST(PreviewJumpList, ListsCoverContentsAndHeadingsWithTheirPages) {
    TFmPriPrev& w = Window();
    const int c = w.ContentsPageCount();
    ASSERT_GE(c, 1);
    ASSERT_GE(w.BodyPageCount(), 2);
    TListBox& list = *w.ListJump;
    ASSERT_GT(list.Count(), 4);
    EXPECT_NE(list.Item(0).find("表 紙"_sj), std::string::npos);
    EXPECT_DOUBLE_EQ(list.ItemData(0), -c);
    EXPECT_NE(list.Item(1).find("目 次"_sj), std::string::npos);
    EXPECT_DOUBLE_EQ(list.ItemData(1), 1 - c);
    // Headings follow in page order, each within the body, and the number
    // printed at the row's end is the value kept beside it.
    for (int i = 2; i < list.Count(); ++i) {
        const double v = list.ItemData(i);
        EXPECT_GE(v, 1.0) << list.Item(i);
        EXPECT_LT(v, w.BodyPageCount() + 1.0) << list.Item(i);
        EXPECT_GE(v, list.ItemData(i - 1)) << list.Item(i);
        ASSERT_GE(list.Item(i).size(), 86u);
        EXPECT_NEAR(TextToDouble(list.Item(i).substr(80)), v, 0.005) << list.Item(i);
    }
}

TEST(PreviewJumpList, ClickScrollsToTheHeadingAndSelectsIt) {
    TFmPriPrev& w = Window();
    const int c = w.ContentsPageCount();
    TListBox& list = *w.ListJump;
    // The last heading lies furthest into the body.
    const int row = list.Count() - 1;
    const double v = list.ItemData(row);
    list.ClickItem(row);
    const int expected = static_cast<int>((v + c) * 20) & ~1;
    EXPECT_EQ(w.ScrollBar1->Position(), expected);
    EXPECT_EQ(list.ItemIndex(), row);
    // The cover row goes back to the top.
    list.ClickItem(0);
    EXPECT_EQ(w.ScrollBar1->Position(), 0);
    EXPECT_EQ(list.ItemIndex(), 0);
}

TEST(PreviewJumpList, ChapterRowsAreMarkedWithAGreenTopLine) {
    TFmPriPrev& w = Window();
    TListBox& list = *w.ListJump;
    int chapter = -1, other = -1;
    for (int i = 2; i < list.Count(); ++i) {
        const double lead = TextToDouble(list.Item(i));
        if (lead >= 1 && lead == static_cast<int>(lead) && chapter < 0) chapter = i;
        if (lead != static_cast<int>(lead) && other < 0) other = i;
    }
    ASSERT_GE(chapter, 0);
    ASSERT_GE(other, 0);
    TBitmap row;
    list.DrawItemTo(chapter, row, false);
    EXPECT_EQ(row.Pixel(5, 0), 0x008000u);
    EXPECT_EQ(row.Pixel(row.Width() - 2, 5), 0xCAE095u);
    list.DrawItemTo(other, row, true);
    EXPECT_EQ(row.Pixel(5, 0), 0xA0FF80u);
    list.DrawItemTo(0, row, false);
    EXPECT_EQ(row.Pixel(5, 0), 0xCAE095u);  // the cover row is no chapter
}

TEST(PreviewScrolling, MaximumAndCurrentPageFollowThePageCounts) {
    TFmPriPrev& w = Window();
    Resize(w, 1000, 800);
    const int pages = w.ContentsPageCount() + w.BodyPageCount();
    EXPECT_EQ(w.ScrollBar1->Max(), static_cast<int>((pages + 0.7) * 20));
    w.ScrollBar1->SetPosition((w.ContentsPageCount() + 2) * 20);  // body page 2 at the top
    EXPECT_EQ(w.CurrentPage(), w.ContentsPageCount() + 2);
    EXPECT_EQ(w.BtnPrintCurrent->Caption(), FormatStr("現在ページ(%d)の印刷"_sj.c_str(), 2));
    // Half a page further the next page fills the upper half: it counts.
    w.ScrollBar1->SetPosition(w.ScrollBar1->Position() + 12);
    EXPECT_EQ(w.CurrentPage(), w.ContentsPageCount() + 3);
}

TEST(PreviewScrolling, OnePageDownRendersOnlyTheNewPage) {
    TFmPriPrev& w = Window();
    Resize(w, 1000, 800);
    w.ScrollBar1->SetPosition(0);
    EXPECT_EQ(w.SlotPage(0), 0);
    EXPECT_EQ(w.SlotPage(1), 1);
    const int before = w.RenderCount();
    w.ScrollBar1->SetPosition(20);
    EXPECT_EQ(w.RenderCount(), before + 1);
    EXPECT_EQ(w.SlotPage(0), 1);
    EXPECT_EQ(w.SlotPage(1), 2);
    // A small move inside the page renders nothing.
    w.ScrollBar1->SetPosition(21);
    EXPECT_EQ(w.RenderCount(), before + 1);
    // A jump of several pages renders both.
    w.ScrollBar1->SetPosition(60);
    EXPECT_EQ(w.RenderCount(), before + 3);
    // A new view mode renders both again.
    w.ckPageDisp->SetChecked(false);
    EXPECT_EQ(w.RenderCount(), before + 5);
    w.ckPageDisp->SetChecked(true);
}

TEST(PreviewScrolling, PageDownLandsOnAPageTopAndTheWheelMovesOneUnit) {
    TFmPriPrev& w = Window();
    w.ScrollBar1->SetPosition(10);
    w.ScrollBar1->SetPosition(30);  // one large change further
    EXPECT_EQ(w.ScrollBar1->Position(), 20);
    w.FormMouseWheel(-120);
    EXPECT_EQ(w.ScrollBar1->Position(), 21);
    w.FormMouseWheel(120);
    w.FormMouseWheel(120);
    EXPECT_EQ(w.ScrollBar1->Position(), 19);
}

TEST(PreviewView, WholePageAndPageWidthSizes) {
    TFmPriPrev& w = Window();
    Resize(w, 1000, 800);
    w.ScrollBar1->SetPosition(0);
    const int ph = w.Panel2->Height();
    const int pw = w.Panel2->Width();
    ASSERT_GT(ph, 700);
    // Whole pages: the page's height fits the panel.
    EXPECT_EQ(w.ViewBitmap().Height(), ph - 1);
    EXPECT_EQ(w.ViewBitmap().Width(), (ph * 900 - 900) / 1350);
    // The cover has something drawn on it, and the frame's left edge shows.
    TBitmap& v = w.ViewBitmap();
    EXPECT_GT(NonBackgroundPixels(v, 0, 0, v.Width(), v.Height() / 2), 200);
    EXPECT_NE(v.Pixel(0, v.Height() / 2), kPreviewBackground);
    Grab(w, "preview_1000x800.png");

    // Page width: as wide as the panel allows (at most 900), taller than it.
    w.ckPageDisp->SetChecked(false);
    const int expectedWidth = std::min(std::min(pw, 900), pw - w.PanelBar->Width() - 8);
    EXPECT_EQ(v.Width(), expectedWidth);
    EXPECT_EQ(v.Height(), std::min(pw, 900) * 1350 / 900);
    EXPECT_GT(v.Height(), ph);
    w.ckPageDisp->SetChecked(true);

    // A smaller window gives a smaller page, re-rendered at the new size.
    Resize(w, 900, 520);
    const int ph2 = w.Panel2->Height();
    EXPECT_EQ(v.Height(), ph2 - 1);
    EXPECT_EQ(v.Width(), (ph2 * 900 - 900) / 1350);
    EXPECT_GT(NonBackgroundPixels(v, 0, 0, v.Width(), v.Height() / 2), 100);
    Grab(w, "preview_900x520.png");
    Resize(w, 1000, 800);
}

TEST(PreviewView, TwoPagesShareTheViewWithABandBetween) {
    TFmPriPrev& w = Window();
    Resize(w, 1000, 800);
    // Half a page into body page 1.
    w.ScrollBar1->SetPosition((w.ContentsPageCount() + 1) * 20 + 10);
    TBitmap& v = w.ViewBitmap();
    const int offset = static_cast<int>(0.5 * v.Height());
    for (int x = 0; x < v.Width(); x += 37) {
        EXPECT_EQ(v.Pixel(x, offset + 2), kPreviewBackground) << x;
    }
    // Both halves carry page content.
    EXPECT_GT(NonBackgroundPixels(v, 0, 0, v.Width(), offset), 200);
    EXPECT_GT(NonBackgroundPixels(v, 0, offset + 6, v.Width(), v.Height()), 200);
    Grab(w, "preview_two_pages.png");
    w.ScrollBar1->SetPosition(0);
}

// --- printing ---------------------------------------------------------------

TEST(PreviewPrinting, AllPagesWithTheBlankBackOfTheCover) {
    TFmPriPrev& w = Window();
    const std::string path = PrintToPdf("preview_all.pdf");
    w.BtnPrintAll->Click();
    const int pages = w.ContentsPageCount() + w.BodyPageCount() + 1;
    EXPECT_EQ(PdfPageCount(path), pages + 1);
    ASSERT_EQ(static_cast<int>(w.LastPrintedPages().size()), pages + 1);
    EXPECT_EQ(w.LastPrintedPages()[1], -1);
    SetPrintDialogHook(nullptr);
}

TEST(PreviewPrinting, RangeAndCurrentPage) {
    TFmPriPrev& w = Window();
    const int c = w.ContentsPageCount();
    const int b = w.BodyPageCount();
    ASSERT_GE(b, 3);
    w.EdPrintTop->SetText("2");
    w.EdPrintEnd->SetText("999");
    std::string path = PrintToPdf("preview_range.pdf");
    w.BtnPrintHanni->Click();
    EXPECT_EQ(PdfPageCount(path), b - 1);
    ASSERT_FALSE(w.LastPrintedPages().empty());
    EXPECT_EQ(w.LastPrintedPages().front(), c + 2);
    EXPECT_EQ(w.LastPrintedPages().back(), c + b);

    w.ScrollBar1->SetPosition((c + 1) * 20);
    path = PrintToPdf("preview_current.pdf");
    w.BtnPrintCurrent->Click();
    EXPECT_EQ(PdfPageCount(path), 1);
    EXPECT_EQ(w.LastPrintedPages(), std::vector<int>{c + 1});
    w.EdPrintTop->SetText("   1");
    w.EdPrintEnd->SetText(" 999");
    SetPrintDialogHook(nullptr);
}

// A PDF that cannot be written to its end (a full disk) is said so, the
// older PDF stays whole, and the next print is complete again.
TEST(PreviewPrinting, AFailedPdfSaysSoKeepsTheOldFileAndTheNextPrintWorks) {
    TFmPriPrev& w = Window();
    const std::string path = PrintToPdf("preview_full_disk.pdf");
    auto click = [&] { QTest::mouseClick(w.BtnPrintCurrent->Widget(), Qt::LeftButton); };
    click();
    std::ifstream in(path, std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(good.size(), 4096u);
    std::vector<std::string> messages;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        messages.push_back(text);
        return mrOk;
    });
    {
        const FileSizeLimit full(4096);
        click();
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("印刷できません.\n"_sj, 0), 0u) << messages[0];
    std::ifstream again(path, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(again), {}) == good);
    std::remove(path.c_str());
    click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(PdfPageCount(path), 1);
    SetMessageDlgHook(nullptr);
    SetPrintDialogHook(nullptr);
}

TEST(PreviewPrinting, CancelledDialogPrintsNothing) {
    TFmPriPrev& w = Window();
    const std::string path = CaseOutputDir() + "/preview_cancel.pdf";
    std::remove(path.c_str());
    SetPrintDialogHook([path](TPrinter& printer) {
        printer.SetPdfFile(path);
        return false;
    });
    w.BtnPrintAll->Click();
    EXPECT_TRUE(w.LastPrintedPages().empty());
    EXPECT_FALSE(std::ifstream(path).good());
    SetPrintDialogHook(nullptr);
}

// --- edits, notes, recomposition ------------------------------------------

TEST(PreviewEdits, LeavingAnEditReformatsItsNumber) {
    TFmPriPrev& w = Window();
    w.EdPrintTop->SetText("7");
    w.EditExit(*w.EdPrintTop);
    EXPECT_EQ(w.EdPrintTop->Text(), "   7");
    char key = '\r';
    w.EditKeyPress(*w.EdPrintTop, key);
    EXPECT_EQ(key, 0);  // Enter is swallowed
    key = '5';
    w.EditKeyPress(*w.EdPrintTop, key);
    EXPECT_EQ(key, '5');
    w.EdPrintTop->SetText("   1");
}

TEST(PreviewCompose, ANewReportDropsTheCachedPagesAndShowsItsNotes) {
    TFmPriPrev& w = Window();
    w.ScrollBar1->SetPosition(0);
    const int before = w.RenderCount();
    auto compose = w.Compose;
    // A one-page report with a note from the composer.
    w.Compose = [] {
        const int pages = BuildCalculationReport(*PortalData().model, nullptr, nullptr);
        PreviewNoteText[0] = "注意"_sj;
        return pages;
    };
    w.FormShow(nullptr);
    EXPECT_GE(w.RenderCount(), before + 2);
    EXPECT_TRUE(w.LblNote->Visible());
    EXPECT_EQ(w.LblNote->Caption(), "注意"_sj);
    EXPECT_EQ(w.ScrollBar1->Max(),
              static_cast<int>((w.ContentsPageCount() + w.BodyPageCount() + 0.7) * 20));
    w.Compose = compose;
    w.FormShow(nullptr);
    EXPECT_FALSE(w.LblNote->Visible());
}
