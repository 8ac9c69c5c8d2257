// The template line language: end marks and comments, advances, condition
// letters, fixed tables cut to a row count, repeated row templates, picture
// commands, small-font lines, headings, the page footer and the start of a
// preview run. Checked on the records of a recorded page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/sjis_literal.h"
#include "pool_test_util.h"
#include "report/report_cover.h"
#include "report/report_run.h"
#include "report/report_template.h"

namespace {

struct DrawnChar {
    double x = 0, y = 0;
    std::string text;
};

// Text records since `mark` (device pixels, 10 px/mm).
std::vector<DrawnChar> CharsSince(std::size_t mark = 0, int page = 0) {
    std::vector<DrawnChar> out;
    for (const std::string& r : RecordsSince(mark, page)) {
        if (r.rfind("text ", 0) != 0) continue;
        std::istringstream in(r.substr(5));
        DrawnChar c;
        in >> c.x >> c.y;
        in.get();
        std::getline(in, c.text);
        out.push_back(c);
    }
    return out;
}

// The distinct y values of the drawn characters, top to bottom.
std::vector<double> TextRowsY(const std::vector<DrawnChar>& chars) {
    std::vector<double> ys;
    for (const DrawnChar& c : chars)
        if (std::find_if(ys.begin(), ys.end(),
                         [&](double y) { return std::fabs(y - c.y) < 0.5; }) == ys.end())
            ys.push_back(c.y);
    std::sort(ys.begin(), ys.end());
    return ys;
}

std::string Joined(const std::vector<DrawnChar>& chars) {
    std::string s;
    for (const DrawnChar& c : chars) s += c.text;
    return s;
}

double RunTemplate(double y, std::vector<std::string> lines, int first = 0, int last = 0) {
    TStringList list;
    for (const std::string& l : lines) list.Add(l);
    return PrintTemplateLines(y, list, 0, first, last);
}

void Start() { StartRecording(0); }

}  // namespace

TEST(TemplateRun, EndMarkFirstPrintsNothingAndKeepsY) {
    Start();
    const std::size_t before = RecordCount();
    const char* const lines[] = {"//-- end", "+F1-|ABC", "----|DEF", nullptr};
    EXPECT_DOUBLE_EQ(PrintTemplate(42.5, lines, 0, 0), 42.5);
    EXPECT_TRUE(CharsSince(before).empty());
    EXPECT_DOUBLE_EQ(PrintTemplate(42.5, nullptr, 0, 0), 42.5);
}

TEST(TemplateRun, SkippedLinesNeitherPrintNorAdvance) {
    Start();
    const double y = RunTemplate(10, {"// a comment", "----|#LABEL TABLE1", "----|// body comment",
                                      "----|A", "//--", "----|NOT PRINTED"});
    EXPECT_NEAR(y, 10 + 5.76, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "A");
}

struct AdvanceCase {
    const char* prefix;
    double step;  // mm moved by a template whose first line has this prefix
};

TEST(TemplateRun, PrefixSetsTheAdvance) {
    const AdvanceCase cases[] = {
        {"----|", 5.76},  // the advance every run starts with
        {"+F1-|", 6.4},  {"+F2-|", 5.76}, {"+F3-|", 2.88}, {"+F4-|", 2.52},
        {"-F1-|", -6.4}, {"+2.4|", 2.4},  {"+0.0|", 0.0},  {"-1.0|", -1.0},
        {"0.50|", 0.5},  {"abcd|", 5.76}, {"", 5.76},
    };
    for (const AdvanceCase& c : cases) {
        Start();
        EXPECT_NEAR(RunTemplate(100, {std::string(c.prefix) + "X"}), 100 + c.step, 1e-9)
            << c.prefix;
    }
}

TEST(TemplateRun, AdvanceCarriesFromLineToLineAndRestartsEachRun) {
    Start();
    // F3 once, kept by "----|" lines; the next run starts again at 5.76.
    EXPECT_NEAR(RunTemplate(0, {"+F3-|A", "----|B", "----|C"}), 3 * 2.88, 1e-9);
    const std::vector<double> rows = TextRowsY(CharsSince());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(rows[1] - rows[0], 28.8, 1.1);  // whole pixels
    EXPECT_NEAR(rows[2] - rows[1], 28.8, 1.1);
    EXPECT_NEAR(RunTemplate(0, {"----|D"}), 5.76, 1e-9);
}

TEST(TemplateRun, QuoteBarEndsALongPrefix) {
    Start();
    // The prefix runs to the bar after the double quote, so the body is
    // "BODY" and the prefix reads as 1.25.
    EXPECT_NEAR(RunTemplate(0, {"1.25 long\"|BODY"}), 1.25, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "BODY");
}

TEST(TemplateConditions, LetterLinesPrintOnlyWhileSet) {
    Start();
    const std::vector<std::string> t = {"----|a", "----Xb", "----Ac", "---ABd"};
    RunTemplate(0, t);
    EXPECT_EQ(Joined(CharsSince()), "a");

    SetPrintCondition('X');
    SetPrintCondition('A');
    std::size_t mark = RecordCount();
    RunTemplate(0, t);
    EXPECT_EQ(Joined(CharsSince(mark)), "abc");  // B still clear drops "d"

    // X held for one run; A stays until cleared.
    mark = RecordCount();
    RunTemplate(0, t);
    EXPECT_EQ(Joined(CharsSince(mark)), "ac");
    SetPrintCondition('b');  // lower case selects the same flag as B
    mark = RecordCount();
    RunTemplate(0, t);
    EXPECT_EQ(Joined(CharsSince(mark)), "acd");

    ClearPrintCondition('A');
    mark = RecordCount();
    RunTemplate(0, t);
    EXPECT_EQ(Joined(CharsSince(mark)), "a");
    ClearPrintCondition(0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(PrintConditions[i], 0);
}

TEST(TemplateConditions, XYZClearAfterEveryRunOthersStay) {
    Start();
    for (unsigned char c : {'X', 'Y', 'Z', 'Q'}) SetPrintCondition(c);
    RunTemplate(0, {"----|a"});
    EXPECT_EQ(PrintConditions['X' & 0x1F], 0);
    EXPECT_EQ(PrintConditions['Y' & 0x1F], 0);
    EXPECT_EQ(PrintConditions['Z' & 0x1F], 0);
    EXPECT_NE(PrintConditions['Q' & 0x1F], 0);
}

namespace {

const std::vector<std::string> kRowTemplate = {
    "+F3-|┌──┬───┐"_sj,
    "----|│-1│###│"_sj,
    "----|├──┼───┤"_sj,
    "----|└──┴───┘"_sj,
};

}  // namespace

TEST(TemplateRows, RowTemplateRepeatsFirstToLastWithSeparatorsAndFoot) {
    Start();
    // Frame line, rows 3, 4, 5 with two separators, then the foot: 7 steps.
    EXPECT_NEAR(RunTemplate(10, kRowTemplate, 3, 5), 10 + 7 * 2.88, 1e-9);
    const std::vector<DrawnChar> chars = CharsSince();
    EXPECT_EQ(Joined(chars), "345");
    ASSERT_EQ(chars.size(), 3u);
    // Rows sit two advances apart (a separator between them).
    EXPECT_NEAR(chars[1].y - chars[0].y, 57.6, 1.1);
    EXPECT_NEAR(chars[2].y - chars[1].y, 57.6, 1.1);
    // One field per printed row, filled later in row order.
    EXPECT_EQ(FieldTable.positionalCount, 3);
}

TEST(TemplateRows, NumbersAreRightAlignedInTheCell) {
    Start();
    RunTemplate(10, kRowTemplate, 9, 10);
    const std::vector<DrawnChar> c = CharsSince();
    ASSERT_EQ(Joined(c), "910");
    // " 9" and "10" fill the same two-column cell (the line centres a cell's
    // text, so "9" stands half a column right of the "1" of "10").
    EXPECT_NEAR(c[2].x - c[1].x, 18, 1.1);
    EXPECT_NEAR(c[0].x - c[1].x, 9, 1.1);
}

TEST(TemplateRows, LastBelowFirstPrintsTheSingleRowFirst) {
    Start();
    EXPECT_NEAR(RunTemplate(0, kRowTemplate, 4, 2), 3 * 2.88, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "4");
}

TEST(TemplateRows, CellOtherThanMinusOnePrintsAsAnOrdinaryLine) {
    Start();
    std::vector<std::string> t = kRowTemplate;
    t[1] = "----|│ 7│ x │"_sj;
    EXPECT_NEAR(RunTemplate(0, t, 3, 5), 4 * 2.88, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "7x");
}

TEST(TemplateRows, RowTemplateAtTheEndOfItsListStillPrints) {
    Start();
    EXPECT_NEAR(RunTemplate(0, {"+F3-|┌──┬───┐"_sj, "----|│-1│ a │"_sj}, 1, 2), 5 * 2.88, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "1a2a");
}

TEST(TemplateRows, RowLimitPrintsNumberedRowsUpToFirst) {
    Start();
    const std::vector<std::string> t = {
        "+F3-|┌─┬─┐"_sj, "----|│1│a│"_sj, "----|├─┼─┤"_sj, "----|│2│b│"_sj,
        "----|├─┼─┤"_sj, "----|│3│c│"_sj, "----|├─┼─┤"_sj, "----|│4│d│"_sj,
    };
    // Frame, row 1, separator, row 2; the separator after row 2 and rows 3
    // and 4 with their following lines are dropped.
    EXPECT_NEAR(RunTemplate(0, t, 2, 0), 4 * 2.88, 1e-9);
    EXPECT_EQ(Joined(CharsSince()), "1a2b");
}

TEST(TemplatePictures, MissingFigureShowsTheNoticeAndContinuesBelowIt) {
    Start();
    const double y =
        RunTemplate(30, {"----|#G_DrawKRV_18mX9m,no_folder/no_such_figure.KRV", "----|NEXT"});
    EXPECT_NEAR(y, 30 + 17.1 + 5.76, 1e-9);
    const std::vector<std::string> text = PoolPageText(0);
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0], std::string(89, '#'));
    EXPECT_EQ(text[1], "no_folder/");
    EXPECT_EQ(text[2], "no_such_figure.KRV....が開けません"_sj);
    EXPECT_EQ(text[3], std::string(89, '#'));
    EXPECT_EQ(text[4], "NEXT");
}

TEST(TemplatePictures, MissingPictureReturnsItsBottomAndCrossesTheBox) {
    Start();
    const std::size_t before = RecordCount();
    const double y = RunTemplate(20, {"----|#Gmm_DrawJpeg,10,5,60,45,no_such_picture.jpg"});
    EXPECT_NEAR(y, 65, 1e-9);
    // Four outline sides and two diagonals.
    EXPECT_EQ(Records({"line"}).size() - 0, 6u);
    EXPECT_GT(RecordCount(), before);
    // The font is the body font afterwards.
    EXPECT_EQ(CurrentFont.style, 1);
    EXPECT_NEAR(CurrentFont.height, 3.6, 1e-9);
}

TEST(TemplatePictures, PresentPictureIsRecordedInItsBox) {
    Start();
    const std::string name = std::string(TEST_DATA_DIR) + "/report/blue_box.bmp";
    const double y = RunTemplate(20, {"----|#Gmm_DrawJpeg,10,5,60,45," + name});
    EXPECT_NEAR(y, 65, 1e-9);
    const std::vector<std::string> pictures = Records({"picture"});
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0], "picture 100 250 600 650 " + name);
    EXPECT_TRUE(Records({"line"}).empty());
}

TEST(TemplatePictures, UnknownCommandPrintsAsText) {
    Start();
    EXPECT_NEAR(RunTemplate(0, {"----|#PICTURE ABC"}), 5.76, 1e-9);
    EXPECT_NE(Joined(CharsSince()).find("ABC"), std::string::npos);
}

TEST(TemplateText, SmallFontLinesAndHeadings) {
    Start();
    SetFontMm(3.6, 1.8, 0, 0);
    RunTemplate(20, {"---t|small words", "----|$>>%.Heading"});
    const std::vector<std::string> fonts = Records({"font"});
    ASSERT_FALSE(fonts.empty());
    // The "t" line used a smaller font than the 36-pixel body font.
    bool smaller = false;
    for (const std::string& f : fonts) smaller |= std::atoi(f.c_str() + 5) < 36;
    EXPECT_TRUE(smaller);
    // The heading was numbered, printed and listed for the contents, in the
    // heading face.
    ASSERT_EQ(HeadingList.Count(), 1);
    EXPECT_NE(HeadingList[0].find("1.Heading"), std::string::npos);
    EXPECT_EQ(std::atoi(HeadingList[0].substr(25, 4).c_str()), 0);
    // The run ends in the body face at the height it started with.
    EXPECT_EQ(CurrentFont.style, 1);
    EXPECT_NEAR(CurrentFont.height, 3.6, 1e-9);
}

TEST(PageFooter, NumberBottomCentredOnlyForPositivePages) {
    Start();
    PrintPageFooter(0);
    PrintPageFooter(-1);
    EXPECT_TRUE(CharsSince().empty());
    EXPECT_EQ(CurrentPageNumber(), -1);

    const FontState before = CurrentFont;
    PrintPageFooter(12);
    EXPECT_EQ(CurrentPageNumber(), 12);
    const std::vector<DrawnChar> c = CharsSince();
    ASSERT_EQ(Joined(c), "12");
    // Centred on x = 90 mm, above the 270 mm bottom edge.
    const double cell = 24;  // 2.4 mm at 10 px/mm
    EXPECT_NEAR((c[0].x + c[1].x + cell) / 2, 900, 2);
    EXPECT_LT(c[0].y, 2700);
    EXPECT_GT(c[0].y, 2700 - 60);
    EXPECT_NEAR(CurrentFont.height, before.height, 1e-9);
    EXPECT_EQ(CurrentFont.style, before.style);
}

TEST(PreviewRun, BeginPreviewStartsAnEmptyRecordingRun) {
    Start();
    // Everything a previous run leaves behind.
    SetPrintCondition('A');
    PrintTextLine(1, 10, "$>>%.%.%Old ##.#"_sj);
    PrintTextLine(1, 20, "┌──┐"_sj);  // a vertical rule left open
    ContentsPageOffset = 3;
    PrintPageFooter(7);
    ReportExtents = ReportExtentsData{0, 0, 5, 5};
    PreviewNoteText[1] = "old";
    ASSERT_EQ(HeadingList.Count(), 1);
    ASSERT_EQ(FieldTable.positionalCount, 1);
    PoolSelectPage(12);
    Gmm_Line(1, 1, 2, 2, 0, 0);
    PoolRecording = false;

    BeginPreview(1800, 2700);
    EXPECT_TRUE(PoolRecording);
    EXPECT_EQ(HeadingList.Count(), 0);
    EXPECT_EQ(PrintConditions['A' & 0x1F], 0);
    EXPECT_EQ(HeadingCounters.chapter, 0);
    EXPECT_EQ(HeadingCounters.subsection, 0);
    EXPECT_EQ(FieldTable.positionalCount, 0);
    EXPECT_EQ(ContentsPageOffset, 0);
    EXPECT_EQ(CurrentPageNumber(), 0);
    EXPECT_EQ(ReportExtents.minX, ReportExtentsData{}.minX);
    EXPECT_TRUE(PreviewNoteText[1].empty());
    // The rule left open is forgotten: a closing line draws no vertical rule.
    const std::size_t mark = RecordCount();
    PrintTextLine(1, 30, "└──┘"_sj);
    int verticals = 0;
    for (const std::string& r : RecordsSince(mark))
        if (r.rfind("move ", 0) == 0) ++verticals;
    EXPECT_EQ(verticals, 1);  // the bottom rule only
    EXPECT_EQ(PoolLastPage(), 0);
    EXPECT_EQ(PoolCurrentPage(), 0);
    EXPECT_EQ(PreviewPageBitmap().Width(), 1800);
    EXPECT_EQ(PreviewPageBitmap().Height(), 2700);
    EXPECT_EQ(CurrentGraphics.deviceKind, kDevicePreview);
    EXPECT_NEAR(CurrentGraphics.pxPerMmX, 10, 1e-9);
    EXPECT_EQ(G_GetCanvas(), &PreviewPageBitmap().Canvas());
}
