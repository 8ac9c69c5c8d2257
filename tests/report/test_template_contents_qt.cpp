// Contents pages of a preview run: how many, the layout of an entry on the
// 1.8 mm column grid, the jump list, the preview page mapping, the cap at
// ten contents pages, and the halving of rendered page bitmaps.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "pool_test_util.h"
#include "report/contents_pages.h"
#include "report/report_template.h"

namespace {

struct Row {
    std::string text;
    double value;
};

class RecordingJumpList : public ContentsJumpList {
  public:
    std::vector<Row> rows;
    int top = 0;
    int TopIndex() const override { return top; }
    void SetTopIndex(int index) override { top = index; }
    void Clear() override { rows.clear(); }
    void AddRow(const std::string& row, double value) override { rows.push_back({row, value}); }
};

void AddHeading(int page, double y, const std::string& text, int style = 0) {
    HeadingList.Add(FormatStr("%4d,%9.2f,%9.2f,%4d,%s", page, y, 1.0, style, text.c_str()));
}

// x (device px) of the first text record of a page whose y equals the
// y of the n-th distinct text row.
std::vector<std::pair<double, double>> TextPositions(int page) {
    std::vector<std::pair<double, double>> out;
    for (const std::string& r : DumpPoolPage(page)) {
        if (r.rfind("text ", 0) != 0) continue;
        std::istringstream in(r.substr(5));
        double x, y;
        in >> x >> y;
        out.push_back({x, y});
    }
    return out;
}

void Start() {
    BeginPreview(1800, 2700);
    SetFontMm(3.6, 0, 0, 1);
}

}  // namespace

TEST(ContentsPages, FortyOneHeadingsMakeTwoPagesAndShiftTheBody) {
    Start();
    for (int i = 0; i < 41; ++i) AddHeading(1 + i / 10, 20 + i, FormatStr("Heading %02d", i));
    RecordingJumpList list;
    list.top = 7;
    EXPECT_EQ(BuildContentsPages(&list), 2);
    EXPECT_EQ(ContentsPageOffset, 2);
    EXPECT_FALSE(PoolRecording);
    // Preview pages: cover, two contents pages, then body page 1 = pool 11.
    const int expected[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 11}, {4, 12}};
    for (const auto& e : expected) EXPECT_EQ(PoolPageOfPreviewPage(e[0]), e[1]) << e[0];
    // Jump list: cover, contents, one row per heading.
    ASSERT_EQ(list.rows.size(), 43u);
    EXPECT_EQ(list.rows[0].text, FormatStr("%-80s%6.2f", " － 表 紙 －"_sj.c_str(), -2.0));
    EXPECT_EQ(list.rows[1].text, FormatStr("%-80s%6.2f", " － 目 次 －"_sj.c_str(), -1.0));
    EXPECT_DOUBLE_EQ(list.rows[0].value, -2);
    EXPECT_DOUBLE_EQ(list.rows[1].value, -1);
    EXPECT_EQ(list.top, 7);
    // The second contents page holds the 41st entry only.
    const std::vector<std::string> page2 = PoolPageText(2);
    ASSERT_EQ(page2.size(), 2u);  // title and one entry
    EXPECT_EQ(page2[1].substr(0, 10), "Heading 40");
}

TEST(ContentsPages, EntryWithRemarkOnTheColumnGrid) {
    Start();
    // As PrintTextLine records 「1.2荷重【参考】」 (blank after a one-digit section).
    AddHeading(3, 135, "1.2 荷重【参考】"_sj, 2);
    RecordingJumpList list;
    ASSERT_EQ(BuildContentsPages(&list), 1);

    const std::vector<std::string> text = PoolPageText(1);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0], "－ 目 次 －"_sj);
    // 「  1.2 荷重」 is 10 columns; the leader starts 2 columns further, dots
    // to column 45, the remark's 8 columns, dots to column 78, page "  3".
    std::string leader;
    for (int c = 12; c < 45; ++c) leader += "･"_sj;
    leader += "【参考】"_sj;
    for (int c = 53; c < 78; ++c) leader += "･"_sj;
    EXPECT_EQ(text[1], "1.2 荷重"_sj + "  " + leader + "  3");

    // Title at y 7.76 mm, the first entry two rows (11.52 mm) lower; the
    // entry text begins two columns in, at 15.4 + 3.6 mm.
    const auto pos = TextPositions(1);
    double titleY = 1e9, entryY = -1e9, entryX = 1e9;
    for (const auto& p : pos) titleY = std::min(titleY, p.second);
    for (const auto& p : pos) entryY = std::max(entryY, p.second);
    for (const auto& p : pos)
        if (std::fabs(p.second - entryY) < 0.5) entryX = std::min(entryX, p.first);
    EXPECT_NEAR(entryY - titleY, 115.2, 2.1);  // preview text sits on odd pixels
    EXPECT_NEAR(entryX, 190, 1.1);

    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[2].text, FormatStr("%-80s%6.2f", "1.2 荷重"_sj.c_str(), 3.5));
    EXPECT_DOUBLE_EQ(list.rows[2].value, 3.5);
}

TEST(ContentsPages, IndentationAndJumpTexts) {
    Start();
    AddHeading(1, 10, "1.概要"_sj);
    AddHeading(1, 20, "1.1 条件"_sj);
    AddHeading(1, 30, "(1) 材料"_sj);
    AddHeading(1, 40, "【注】のみ"_sj);
    RecordingJumpList list;
    BuildContentsPages(&list);
    // Entry x: plain at 15.4 mm, section numbers 2 columns in, items 4.
    std::vector<double> firstX;
    double lastY = -1;
    for (const auto& p : TextPositions(1)) {
        if (p.second == lastY) continue;
        lastY = p.second;
        firstX.push_back(p.first);
    }
    ASSERT_EQ(firstX.size(), 5u);  // title + 4 entries
    EXPECT_NEAR(firstX[1], 154, 1.1);
    EXPECT_NEAR(firstX[2], 154 + 36, 1.1);
    EXPECT_NEAR(firstX[3], 154 + 72, 1.1);
    // Jump texts: "(" gets a blank in front; a remark is cut unless it opens
    // the text.
    ASSERT_EQ(list.rows.size(), 6u);
    EXPECT_EQ(Trim(list.rows[4].text.substr(0, 80)), "(1) 材料"_sj);
    EXPECT_EQ(list.rows[4].text.substr(0, 2), " (");
    EXPECT_EQ(Trim(list.rows[5].text.substr(0, 80)), "【注】のみ"_sj);
}

TEST(ContentsPages, SortedByPageThenY) {
    Start();
    AddHeading(12, 50, "late");
    AddHeading(2, 200, "middle");
    AddHeading(2, 30, "early");
    RecordingJumpList list;
    BuildContentsPages(&list);
    ASSERT_EQ(list.rows.size(), 5u);
    EXPECT_EQ(Trim(list.rows[2].text.substr(0, 80)), "early");
    EXPECT_EQ(Trim(list.rows[3].text.substr(0, 80)), "middle");
    EXPECT_EQ(Trim(list.rows[4].text.substr(0, 80)), "late");
    EXPECT_NEAR(list.rows[4].value, 12 + 50 / 270.0, 1e-9);
}

TEST(ContentsPages, MoreThanFourHundredHeadingsStayOnTenPages) {
    Start();
    PoolSelectPage(11);  // body page 1
    Gmm_Line(10, 10, 20, 20, 0, 0);
    const std::size_t bodyRecords = RecordCount(11);
    for (int i = 0; i < 450; ++i) AddHeading(1 + i / 40, 10 + (i % 40), FormatStr("H%03d", i));
    RecordingJumpList list;
    EXPECT_EQ(BuildContentsPages(&list), 10);
    EXPECT_EQ(PoolPageOfPreviewPage(11), 11);
    EXPECT_EQ(RecordCount(11), bodyRecords);  // the body is untouched
    const std::vector<std::string> last = PoolPageText(10);
    ASSERT_EQ(last.size(), 41u);  // title, 39 entries, the note
    EXPECT_EQ(last[39].substr(0, 4), "H398");
    EXPECT_EQ(last[40], "…以下省略"_sj);
    EXPECT_EQ(list.rows.size(), 452u);  // every heading can still be jumped to
}

TEST(ContentsPages, NoHeadingsNoContentsPages) {
    Start();
    EXPECT_EQ(BuildContentsPages(nullptr), 0);
    EXPECT_EQ(PoolPageOfPreviewPage(1), 11);
    EXPECT_FALSE(PoolRecording);
}

TEST(PreviewPages, RenderReplaysTheMappedPoolPage) {
    Start();
    G_SetWindow(0, 0, 180, 270, 0, 0, 180, 270);
    PoolSelectPage(11);
    G_Quad(10, 10, 60, 60, 0, 0, 0x000000, 0x000000);
    AddHeading(1, 10, "A");
    BuildContentsPages(nullptr);
    TBitmap out(180, 270);
    RenderPreviewPage(out, 2, 1800, 2700, 0xFFFFFF);  // body page 1
    EXPECT_EQ(out.Pixel(35, 35), 0x000000u);
    RenderPreviewPage(out, 1, 1800, 2700, 0xFFFFFF);  // the contents page
    EXPECT_EQ(out.Pixel(35, 35), 0xFFFFFFu);
}

TEST(Downsample, MeanOfEachTwoByTwoBlock) {
    TBitmap src(2, 2), dst(1, 1);
    src.SetPixel(0, 0, 0x000000);
    src.SetPixel(1, 0, 0x0000FF);
    src.SetPixel(0, 1, 0x0000FF);
    src.SetPixel(1, 1, 0x0000FF);
    DownsampleBitmap2x(dst, src, 0);
    // Each channel is cut to a multiple of 4 first: 3 x 0xFC / 4 = 0xBD.
    EXPECT_EQ(dst.Pixel(0, 0), 0x0000BDu);

    // All three channels at once, no carries between them.
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y) src.SetPixel(x, y, 0xFFFFFF);
    src.SetPixel(0, 0, 0x0408FC);
    DownsampleBitmap2x(dst, src, 0);
    EXPECT_EQ(dst.Pixel(0, 0), 0xBEBFFCu);  // (0x04 + 3 x 0xFC) / 4, (0x08 + 3 x 0xFC) / 4, 0xFC
}

TEST(Downsample, OffsetRowsAndShortSourcesLeaveDestinationPixels) {
    TBitmap src(3, 4), dst(2, 3);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 4; ++y) src.SetPixel(x, y, 0x404040);
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 3; ++y) dst.SetPixel(x, y, 0x123456);
    DownsampleBitmap2x(dst, src, 1);
    // Row 0 would start at source row -2; row 1 uses rows 0-1; row 2 rows
    // 2-3. Column 1 would need source column 3, which is not there.
    EXPECT_EQ(dst.Pixel(0, 0), 0x123456u);
    EXPECT_EQ(dst.Pixel(0, 1), 0x404040u);
    EXPECT_EQ(dst.Pixel(0, 2), 0x404040u);
    EXPECT_EQ(dst.Pixel(1, 1), 0x123456u);
    DownsampleBitmap2x(dst, dst, 0);  // the same bitmap: nothing happens
    EXPECT_EQ(dst.Pixel(0, 1), 0x404040u);
}
