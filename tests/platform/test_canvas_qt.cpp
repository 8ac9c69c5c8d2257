// The platform's canvas, bitmap and printer over Qt, checked on pixels:
// colour byte order, line end pixels, hatch directions, the ellipse box,
// arcs, turned text, bitmap rows and printer pages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/qt/bitmap.h"
#include "platform/qt/picture_file.h"
#include "platform/qt/printer.h"
#include "platform/sjis_literal.h"
#include "tests/case_output.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    long count = 0;
};

InkBox Ink(TBitmap& bmp) {
    InkBox b;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != kWhite) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
                ++b.count;
            }
    return b;
}

}  // namespace

TEST(CanvasColours, WindowsByteOrderAndScanLines) {
    TBitmap bmp(4, 2);
    EXPECT_EQ(bmp.Pixel(0, 0), kWhite);  // a new bitmap is white
    TCanvas& c = bmp.Canvas();
    c.SetBrushColor(0x0000FF);  // red in 0x00BBGGRR
    c.SetBrushStyle(bsSolid);
    c.FillRect({0, 0, 2, 2});
    EXPECT_EQ(bmp.Pixel(1, 1), 0x0000FFu);
    // Rows are DIB words: red sits in bits 16-23.
    EXPECT_EQ(bmp.ScanLine(0)[0] & 0xFFFFFF, 0xFF0000u);
    bmp.ScanLine(1)[3] = 0x000000FF;  // blue written as a DIB word
    EXPECT_EQ(bmp.Pixel(3, 1), 0xFF0000u);
    EXPECT_EQ(bmp.ScanLine(2), nullptr);
    EXPECT_EQ(bmp.ScanLine(-1), nullptr);
    // Resizing keeps the top-left part; new area is white.
    bmp.SetSize(6, 3);
    EXPECT_EQ(bmp.Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(bmp.Pixel(5, 2), kWhite);
}

TEST(CanvasLines, OnePixelLinesLeaveOutTheirLastPixel) {
    TBitmap bmp(20, 20);
    TCanvas& c = bmp.Canvas();
    c.SetPenColor(0);
    c.SetPenWidth(1);
    c.MoveTo(2, 5);
    c.LineTo(10, 5);
    EXPECT_EQ(bmp.Pixel(2, 5), 0u);
    EXPECT_EQ(bmp.Pixel(9, 5), 0u);
    EXPECT_EQ(bmp.Pixel(10, 5), kWhite);
    EXPECT_EQ(c.PenPos().x, 10);
    // Clear pens draw nothing.
    c.SetPenStyle(psClear);
    c.LineTo(10, 15);
    EXPECT_EQ(bmp.Pixel(10, 10), kWhite);
}

TEST(CanvasBrushes, HatchesRunLikeWindowsHatches) {
    struct Case {
        int style;
        int dx;  // the next inked pixel of a hatch line one row down
    };
    // Forward diagonal runs down to the right, backward diagonal up to the right.
    const Case cases[] = {{bsFDiagonal, 1}, {bsBDiagonal, -1}};
    for (const Case& h : cases) {
        TBitmap bmp(32, 32);
        TCanvas& c = bmp.Canvas();
        c.SetPenStyle(psClear);
        c.SetBrushColor(0);
        c.SetBrushStyle(h.style);
        const TPoint square[4] = {{0, 0}, {32, 0}, {32, 32}, {0, 32}};
        c.Polygon(square, 4);
        int ink = 0, along = 0;
        for (int y = 8; y < 24; ++y)
            for (int x = 8; x < 24; ++x)
                if (bmp.Pixel(x, y) == 0) {
                    ++ink;
                    if (bmp.Pixel(x + h.dx, y + 1) == 0) ++along;
                }
        EXPECT_GT(ink, 0) << h.style;
        EXPECT_EQ(along, ink) << "hatch direction of style " << h.style;
        // The background between hatch lines stays as it was.
        EXPECT_LT(ink, 16 * 16 / 2);
    }
}

TEST(CanvasShapes, EllipseBoxAndArcs) {
    TBitmap bmp(40, 40);
    TCanvas& c = bmp.Canvas();
    c.SetPenColor(0);
    c.SetBrushStyle(bsClear);
    c.Ellipse(10, 10, 30, 20);  // right and bottom edges stay outside
    InkBox b = Ink(bmp);
    EXPECT_EQ(b.left, 10);
    EXPECT_EQ(b.right, 29);
    EXPECT_EQ(b.top, 10);
    EXPECT_EQ(b.bottom, 19);

    // A quarter arc counter-clockwise from the right (3 o'clock) to the top.
    TBitmap arc(40, 40);
    arc.Canvas().SetPenColor(0);
    arc.Canvas().Arc(0, 0, 40, 40, 40, 20, 20, 0);
    b = Ink(arc);
    EXPECT_GE(b.left, 18);
    EXPECT_LE(b.bottom, 21);
}

TEST(CanvasText, CellsTurnedTextAndWidths) {
    TBitmap bmp(200, 200);
    TCanvas& c = bmp.Canvas();
    TFontSpec f;
    f.height = 40;
    f.width = 20;
    f.face = "ＭＳ ゴシック"_sj;
    c.SetFont(f);
    c.SetBrushStyle(bsClear);
    c.SetFontColor(0);
    // 「─」 fills its two cells along the text direction.
    c.TextOut(50, 50, "─"_sj);
    InkBox b = Ink(bmp);
    EXPECT_GT(b.right - b.left, 30);
    EXPECT_LT(b.bottom - b.top, 8);
    EXPECT_GE(b.left, 48);
    EXPECT_LE(b.right, 92);
    EXPECT_EQ(c.TextWidth("AB"), 40);
    EXPECT_EQ(c.TextWidth("漢"_sj), 40);

    // Turned by 90 degrees counter-clockwise it runs upwards from (50, 150).
    TBitmap turned(200, 200);
    f.escapement = 900;
    turned.Canvas().SetFont(f);
    turned.Canvas().SetBrushStyle(bsClear);
    turned.Canvas().TextOut(50, 150, "─"_sj);
    b = Ink(turned);
    EXPECT_GT(b.bottom - b.top, 30);
    EXPECT_LT(b.right - b.left, 8);
    EXPECT_LE(b.bottom, 152);
    EXPECT_GE(b.top, 108);

    // A solid brush makes the text opaque.
    TBitmap opaque(100, 60);
    f.escapement = 0;
    opaque.Canvas().SetFont(f);
    opaque.Canvas().SetBrushStyle(bsSolid);
    opaque.Canvas().SetBrushColor(0x00FF00);
    opaque.Canvas().TextOut(0, 0, "a");
    EXPECT_EQ(opaque.Pixel(1, 1), 0x00FF00u);
}

// One or two bytes are drawn from glyphs shaped once per font and device;
// they must land on the same pixels as the same character drawn as part of
// a longer text (a trailing blank takes the text through full shaping).
TEST(CanvasText, CachedCharactersDrawLikeShapedText) {
    const struct {
        const char* label;
        std::string text;
        int height, width, escapement, weight;
    } rows[] = {
        {"kanji", "漢"_sj, 40, 20, 0, 400},
        {"latin", "a", 40, 20, 0, 400},
        {"digit bold", "7", 24, 12, 0, 700},
        {"kana turned", "ア"_sj, 30, 15, 900, 400},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TFontSpec f;
        f.height = row.height;
        f.width = row.width;
        f.escapement = row.escapement;
        f.weight = row.weight;
        f.face = "ＭＳ ゴシック"_sj;
        TBitmap cached(120, 120), shaped(120, 120);
        for (TBitmap* b : {&cached, &shaped}) {
            b->Canvas().SetFont(f);
            b->Canvas().SetBrushStyle(bsClear);
            b->Canvas().SetFontColor(0);
        }
        // Only a character whose advance fills its cells is drawn unscaled.
        const int cells = row.width * static_cast<int>(row.text.size());
        ASSERT_EQ(cached.Canvas().TextWidth(row.text), cells);
        cached.Canvas().TextOut(-500, -500, row.text);  // fills the cache off the bitmap
        cached.Canvas().TextOut(40, 70, row.text);
        shaped.Canvas().TextOut(40, 70, row.text + " ");
        long ink = 0, differ = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) {
                ink += cached.Pixel(x, y) != kWhite;
                differ += cached.Pixel(x, y) != shaped.Pixel(x, y);
            }
        EXPECT_GT(ink, 20);
        EXPECT_EQ(differ, 0);
    }
}

TEST(CanvasPictures, StretchDrawAndJpegErrors) {
    TBitmap src(2, 2);
    src.SetPixel(0, 0, 0x0000FF);
    src.SetPixel(1, 0, 0x0000FF);
    src.SetPixel(0, 1, 0x0000FF);
    src.SetPixel(1, 1, 0x0000FF);
    TBitmap dst(20, 20);
    dst.Canvas().StretchDraw({5, 5, 15, 15}, src);
    EXPECT_EQ(dst.Pixel(10, 10), 0x0000FFu);
    EXPECT_EQ(dst.Pixel(4, 4), kWhite);
    EXPECT_EQ(dst.Pixel(15, 15), kWhite);

    const std::string data = std::string(TEST_DATA_DIR) + "/report/";
    TBitmap jpeg(3, 3);
    EXPECT_FALSE(DecodeJpegFile(data + "truncated.jpg", jpeg));
    EXPECT_FALSE(DecodeJpegFile(data + "not_a_picture.jpg", jpeg));
    EXPECT_FALSE(DecodeJpegFile(data + "nothing_here.jpg", jpeg));
    EXPECT_EQ(jpeg.Width(), 3);
    EXPECT_TRUE(DecodeJpegFile(data + "red_box.jpg", jpeg));
    EXPECT_EQ(jpeg.Width(), 40);
}

TEST(CanvasPrinter, PdfPagesAndDeviceFacts) {
    const std::string path = CaseOutputDir() + "/printer_pages.pdf";
    std::remove(path.c_str());
    {
        TPrinter p;
        p.SetPdfFile(path);
        EXPECT_FALSE(p.NewPage());  // not printing yet
        ASSERT_TRUE(p.BeginDoc());
        // A4 at the printer's resolution, printable area inside the paper.
        const double mmPerPixel = 25.4 / p.PixelsPerInchX();
        EXPECT_NEAR(p.PageWidth() * mmPerPixel + 2 * p.PhysicalOffsetX() * mmPerPixel, 210.0, 1.0);
        p.Canvas().SetPenColor(0);
        p.Canvas().MoveTo(100, 100);
        p.Canvas().LineTo(1000, 1000);
        EXPECT_TRUE(p.NewPage());
        p.Canvas().TextOut(100, 100, "二頁目"_sj);
        p.EndDoc();
        EXPECT_EQ(p.PageCount(), 2);
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_NE(ss.str().find("/Count 2"), std::string::npos);
}
