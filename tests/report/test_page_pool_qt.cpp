// The page pool: record layout and page management, replay at any size onto
// bitmaps and onto the printer (a PDF file), damaged records, fonts by face
// and pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/qt/picture_file.h"
#include "platform/sjis_literal.h"
#include "pool_test_util.h"
#include "tests/case_output.h"

namespace {

const std::string kData = std::string(TEST_DATA_DIR) + "/report/";
constexpr std::uint32_t kBackground = 0xD0E0E0;

// Rows of column x whose pixel is not the background colour.
std::vector<int> InkRows(TBitmap& bmp, int x) {
    std::vector<int> rows;
    for (int y = 0; y < bmp.Height(); ++y)
        if (bmp.Pixel(x, y) != kBackground) rows.push_back(y);
    return rows;
}

// A recording of plain device coordinates (screen kind: no snapping).
void StartPlainRecording() { StartRecording(0); }

int PdfPageCount(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string pdf = ss.str();
    const std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(
        std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

}  // namespace

TEST(PoolRecords, SizeWordsAndPageManagement) {
    StartPlainRecording();
    const int before = PagePool.pages[0].used;
    std::uint32_t* r = PoolAddRecord(13);  // 4 payload words
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[1], 6u);
    EXPECT_EQ(PagePool.pages[0].used, before + 6);

    PoolSelectPage(9);
    PoolSelectPage(5);
    EXPECT_EQ(PoolLastPage(), 9);
    EXPECT_EQ(PoolCurrentPage(), 5);
    EXPECT_EQ(PoolNextPage(), 6);
    PoolSelectPage(-3);  // refused
    EXPECT_EQ(PoolCurrentPage(), 6);
    EXPECT_FALSE(PoolOverflowed());

    // Past the last page: nothing is recorded anywhere, and the pool says so.
    PoolSelectPage(1023);
    DevLineTo(5, 5);
    const int usedLast = PagePool.pages[1023].used;
    PoolSelectPage(1024);
    DevLineTo(6, 6);
    EXPECT_EQ(PoolNextPage(), 1025);
    DevLineTo(7, 7);
    EXPECT_TRUE(PoolOverflowed());
    EXPECT_EQ(PoolLastPage(), 1023);
    EXPECT_EQ(PagePool.pages[1023].used, usedLast);

    PoolClear();
    EXPECT_FALSE(PoolOverflowed());
    EXPECT_EQ(PoolLastPage(), 0);
    EXPECT_EQ(PoolSize(), 0);
    EXPECT_EQ(PagePool.pages[9].used, 0);
    EXPECT_GE(PagePool.pages[0].capacity, 1024);  // buffers are kept
}

TEST(PoolRecords, TextsHoldOneCharacterAndLoneBlanksVanish) {
    StartPlainRecording();
    const std::size_t mark = RecordCount();
    PoolTextOut(G_GetCanvas(), 1, 2, " ");
    PoolTextOut(G_GetCanvas(), 1, 2, "　"_sj);
    PoolTextOut(G_GetCanvas(), 1, 2, "abc");
    PoolTextOut(G_GetCanvas(), 3, 4, "表"_sj);
    EXPECT_EQ(RecordsSince(mark), (std::vector<std::string>{"text 1 2 ab", "text 3 4 " + "表"_sj}));
    // Growth keeps earlier records.
    for (int i = 0; i < 3000; ++i) DevLineTo(i, i);
    EXPECT_EQ(RecordsSince(mark)[0], "text 1 2 ab");
    EXPECT_EQ(Records({"line"}).back(), "line 2999 2999");
}

TEST(PoolReplay, ScalesProportionallyOntoOddPixels) {
    StartPlainRecording();
    PoolSetPenColor(G_GetCanvas(), 0);
    PoolSetPenWidth(G_GetCanvas(), 1);
    DevMoveTo(100, 200);
    DevLineTo(1000, 200);
    DevMoveTo(10, 10);
    DevLineTo(10, 20);
    PoolRecording = false;

    TBitmap full(1800, 2700), half(900, 1350);
    PlayPoolPage(full, 0, 1800, 2700, kBackground);
    PlayPoolPage(half, 0, 1800, 2700, kBackground);
    // Recorded y 200 lands on pixel 201 at scale 1 and 101 at scale 0.5.
    EXPECT_EQ(InkRows(full, 500), std::vector<int>{201});
    EXPECT_EQ(InkRows(half, 250), std::vector<int>{101});
    // A line from (10, 10) starts at pixel (11, 11).
    EXPECT_NE(full.Pixel(11, 11), kBackground);
    EXPECT_EQ(full.Pixel(10, 10), kBackground);
    EXPECT_EQ(full.Pixel(10, 11), kBackground);
}

TEST(PoolReplay, ArcsKeepTheirStartAndEndPoints) {
    StartPlainRecording();
    PoolSetPenColor(G_GetCanvas(), 0);
    PoolSetPenWidth(G_GetCanvas(), 1);
    // Centre (900, 900) px, radius 120 px, counter-clockwise from 3 o'clock
    // to 9 o'clock: the upper half only.
    G_Arc(90, 90, 12, 0, M_PI);
    EXPECT_EQ(Records({"arc"}).back(), "arc 780 780 1020 1020 1020 900 780 900");
    PoolRecording = false;
    TBitmap page(1800, 2700);
    PlayPoolPage(page, 0, 1800, 2700, kBackground);
    const std::vector<int> top = InkRows(page, 901);
    ASSERT_FALSE(top.empty());
    EXPECT_LE(top.back(), 785);  // the top of the circle, no bottom
    EXPECT_GE(top.front(), 780);
}

TEST(PoolReplay, PenWidthFollowsTheSquareRootOfTheScale) {
    StartPlainRecording();
    PoolSetPenWidth(G_GetCanvas(), 2.2f);
    DevMoveTo(100, 400);
    DevLineTo(1000, 400);
    PoolRecording = false;
    TBitmap half(900, 1350);
    PlayPoolPage(half, 0, 1800, 2700, kBackground);
    // int(2.2 * sqrt(0.5) + 0.5) = 2 pixels.
    EXPECT_EQ(InkRows(half, 300).size(), 2u);
}

TEST(PoolReplay, DamagedRecordsEndThePage) {
    struct Case {
        const char* what;
        void (*damage)(PoolPage&, int at);
    };
    const Case cases[] = {
        {"unknown opcode", [](PoolPage& p, int at) { p.buffer[at] = kPoolOpcodeBase | 0x77; }},
        {"foreign word", [](PoolPage& p, int at) { p.buffer[at] = 0x12345678; }},
        {"size word 0", [](PoolPage& p, int at) { p.buffer[at + 1] = 0; }},
        {"size past the end", [](PoolPage& p, int at) { p.buffer[at + 1] = 0x7FFFFFFF; }},
        {"short payload", [](PoolPage& p, int at) { p.buffer[at + 1] = 3; }},
    };
    for (const Case& c : cases) {
        StartPlainRecording();
        DevMoveTo(100, 100);
        DevLineTo(1000, 100);
        const int at = PagePool.pages[0].used;
        DevMoveTo(100, 300);
        DevLineTo(1000, 300);
        c.damage(PagePool.pages[0], at);
        PoolRecording = false;
        TBitmap page(1800, 2700);
        PlayPoolPage(page, 0, 1800, 2700, kBackground);
        EXPECT_EQ(InkRows(page, 500), std::vector<int>{101}) << c.what;
        EXPECT_EQ(DumpPoolPage(0).back(), "bad") << c.what;
    }
    // A polygon whose point count exceeds its record.
    StartPlainRecording();
    const TPoint tri[3] = {{10, 10}, {50, 10}, {30, 40}};
    const int at = PagePool.pages[0].used;
    PoolPolygon(G_GetCanvas(), tri, 2);
    const float huge = 1000.0f;
    std::memcpy(&PagePool.pages[0].buffer[at + 2], &huge, 4);
    PoolRecording = false;
    TBitmap page(180, 270);
    PlayPoolPage(page, 0, 1800, 2700, kBackground);
    EXPECT_EQ(DumpPoolPage(0).back(), "bad");
    // Pages never selected draw only the background.
    TBitmap empty(90, 135);
    PlayPoolPage(empty, 500, 1800, 2700, kBackground);
    PlayPoolPage(empty, -1, 1800, 2700, kBackground);
    EXPECT_EQ(empty.Pixel(45, 60), kBackground);
}

TEST(PoolFonts, FacesByStyle) {
    struct Case {
        int style;
        int angle;
        std::string face;
        int weight;
        bool italic;
        int escapement;
    };
    const Case cases[] = {
        {0, 0, "ＭＳ ゴシック"_sj, 400, false, 0},
        {1, 0, "ＭＳ 明朝"_sj, 400, false, 0},
        {2, 0, "ＭＳ Ｐゴシック"_sj, 400, false, 0},
        {3, 0, "ＭＳ Ｐ明朝"_sj, 400, false, 0},
        {4, 0, "メイリオ"_sj, 400, false, 0},
        {0x11, 0, "ＭＳ ゴシック"_sj, 700, false, 0},
        {0x21, 0, "ＭＳ ゴシック"_sj, 400, true, 0},
        {0, 4000, "ＭＳ ゴシック"_sj, 400, false, 400},
        {0, -900, "ＭＳ ゴシック"_sj, 400, false, 2700},
    };
    for (const Case& c : cases) {
        const TFontSpec f = FontSpecByFace(36, 18, c.angle, c.style);
        EXPECT_EQ(f.face, c.face) << c.style;
        EXPECT_EQ(f.weight, c.weight) << c.style;
        EXPECT_EQ(f.italic, c.italic) << c.style;
        EXPECT_EQ(f.escapement, c.escapement) << c.angle;
    }
}

TEST(PoolPictures, JpegAndBmpFilesAndDamagedOnes) {
    TBitmap bmp;
    ASSERT_TRUE(LoadPictureFile(bmp, kData + "red_box.jpg"));
    EXPECT_EQ(bmp.Width(), 40);
    EXPECT_EQ(bmp.Height(), 20);
    const std::uint32_t red = bmp.Pixel(20, 10);
    EXPECT_GE(red & 0xFF, 0xF0u);
    EXPECT_LE((red >> 16) & 0xFF, 0x10u);
    ASSERT_TRUE(LoadPictureFile(bmp, kData + "blue_box.bmp"));
    EXPECT_EQ(bmp.Width(), 16);
    EXPECT_EQ(bmp.Pixel(3, 3), 0xFF0000u);
    ASSERT_TRUE(DecodeJpegFile(kData + "green_cmyk.jpg", bmp));
    const std::uint32_t green = bmp.Pixel(5, 5);
    EXPECT_GE((green >> 8) & 0xFF, 0xC0u);
    EXPECT_LE(green & 0xFF, 0x40u);

    // Stray bytes before the end marker leave the picture whole.
    ASSERT_TRUE(LoadPictureFile(bmp, kData + "extraneous_bytes.jpg"));
    EXPECT_EQ(bmp.Width(), 40);
    EXPECT_GE(bmp.Pixel(20, 10) & 0xFF, 0xF0u);

    // Damaged or missing pictures count as missing and leave the bitmap.
    for (const char* name : {"truncated.jpg", "not_a_picture.jpg", "no_such_file.jpg"}) {
        TBitmap keep(7, 3);
        EXPECT_FALSE(LoadPictureFile(keep, kData + name)) << name;
        EXPECT_EQ(keep.Width(), 7) << name;
    }
}

TEST(PoolPictures, RecordedIntoThePageAndReplayed) {
    StartPlainRecording();
    const TRect box{100, 100, 300, 200};
    EXPECT_TRUE(DrawPictureFile(G_GetCanvas(), box, kData + "red_box.jpg"));
    EXPECT_EQ(Records({"picture"}).back(), "picture 100 100 300 200 " + kData + "red_box.jpg");
    EXPECT_FALSE(DrawPictureFile(G_GetCanvas(), {400, 400, 500, 500}, kData + "missing.jpg"));
    // A damaged picture answers as a missing one, so its notice is shown.
    EXPECT_FALSE(DrawPictureFile(G_GetCanvas(), {400, 400, 500, 500}, kData + "truncated.jpg"));
    PoolRecording = false;
    TBitmap half(900, 1350);
    PlayPoolPage(half, 0, 1800, 2700, kBackground);
    // The box lands at (51, 51)-(151, 101) at half size, filled with red.
    EXPECT_GE(half.Pixel(100, 75) & 0xFF, 0xF0u);
    EXPECT_LE((half.Pixel(100, 75) >> 8) & 0xFF, 0x10u);
    EXPECT_EQ(half.Pixel(40, 40), kBackground);
    EXPECT_EQ(half.Pixel(225, 225), kBackground);
    // Without recording it is stretched onto the canvas at once.
    TBitmap direct(100, 100);
    EXPECT_TRUE(DrawPictureFile(&direct.Canvas(), {0, 0, 50, 50}, kData + "blue_box.bmp"));
    EXPECT_EQ(direct.Pixel(25, 25), 0xFF0000u);
    EXPECT_EQ(direct.Pixel(75, 75), 0xFFFFFFu);
}

TEST(PoolPrinter, PdfGetsOnePagePerReplayedPage) {
    StartRecording(2);
    for (int page = 0; page < 3; ++page) {
        PoolSelectPage(page);
        SetFontMm(3.6, 0, 0, 0);
        Gmm_TextTL(10, 10, "ページ"_sj);
        Gmm_Line(0, 0, 180, 270, 0, 0);
    }
    PoolRecording = false;
    const std::string path = CaseOutputDir() + "/three_pages.pdf";
    std::remove(path.c_str());
    {
        TPrinter printer;
        printer.SetPdfFile(path);
        ASSERT_TRUE(printer.BeginDoc("test"));
        EXPECT_GT(printer.PixelsPerInchX(), 0);
        EXPECT_GE(printer.PhysicalOffsetX(), 0);
        for (int page = 0; page < 3; ++page) {
            if (page > 0) {
                ASSERT_TRUE(printer.NewPage());
            }
            PlayPoolPage(printer, page, 1800, 2700, kBackground);
        }
        EXPECT_EQ(printer.PageCount(), 3);
        printer.EndDoc();
        EXPECT_FALSE(printer.Printing());
    }
    EXPECT_EQ(PdfPageCount(path), 3);
}
