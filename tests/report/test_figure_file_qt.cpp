// Korvo figure files written by hand: the window and its result, line codes
// and passes, text sizes and text lines, fills and polygons, circles,
// damaged and missing files; the fitted drawing on a canvas; pictures and
// the missing-file notice.
//
// Drawn with G_DrawKRV_18mX9m at y = 0 on a 10 px/mm screen page, a world
// point (x, y) lands on the device pixel (x / 10, -y / 10).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/sjis_literal.h"
#include "pool_test_util.h"
#include "report/figure_file.h"
#include "tests/case_output.h"

namespace {

const std::string kData = std::string(TEST_DATA_DIR) + "/report/";

struct Stroke {
    double x1, y1, x2, y2;
    std::string colour;
    std::string width;
};

// Line records with the pen in force when each was drawn.
std::vector<Stroke> Strokes() {
    std::vector<Stroke> out;
    std::string colour, width;
    double x = 0, y = 0;
    for (const std::string& r : DumpPoolPage(0)) {
        std::istringstream in(r);
        std::string kind;
        in >> kind;
        if (kind == "pen-colour") in >> colour;
        if (kind == "pen-width") in >> width;
        if (kind == "move") in >> x >> y;
        if (kind == "line") {
            Stroke s{x, y, 0, 0, colour, width};
            in >> s.x2 >> s.y2;
            out.push_back(s);
            x = s.x2;
            y = s.y2;
        }
    }
    return out;
}

struct DrawnChar {
    double x = 0, y = 0;
    std::string text;
};

std::vector<DrawnChar> Chars() {
    std::vector<DrawnChar> out;
    for (const std::string& r : Records({"text"})) {
        std::istringstream in(r.substr(5));
        DrawnChar c;
        in >> c.x >> c.y;
        in.get();
        std::getline(in, c.text);
        out.push_back(c);
    }
    return out;
}

// The font record in force when the character `ch` was first drawn.
std::string FontAt(const std::string& ch) {
    std::string font;
    for (const std::string& r : DumpPoolPage(0)) {
        if (r.rfind("font ", 0) == 0) font = r;
        if (r.rfind("text ", 0) == 0 && r.substr(r.rfind(' ') + 1) == ch) return font;
    }
    return {};
}

std::string Joined(const std::vector<DrawnChar>& chars) {
    std::string s;
    for (const DrawnChar& c : chars) s += c.text;
    return s;
}

double Draw(const std::string& file, double y = 0) {
    StartRecording(0);
    return G_DrawKRV_18mX9m(y, kData + file);
}

}  // namespace

TEST(FigureFile, WindowOnlyGivesTheBottomOfTheDrawingAndDrawsNothing) {
    EXPECT_NEAR(Draw("window_only.KRV", 40), 130, 1e-9);
    EXPECT_TRUE(Records({"line", "text", "polygon", "ellipse"}).empty());
    // Names differ in case only: the file is still found.
    EXPECT_NEAR(Draw("WINDOW_ONLY.krv", 40), 130, 1e-9);
    EXPECT_TRUE(Records({"text"}).empty());
}

TEST(FigureFile, LineCodesPickPassAndWeight) {
    Draw("line_codes.KRV");
    const std::vector<Stroke> s = Strokes();
    // Code 1 first (pass 1, grey, weight 1), then codes 4 and 2 in file
    // order (pass 2, weights 3 and 1); codes 7 and 23 are not drawn.
    ASSERT_EQ(s.size(), 3u);
    const double ys[] = {200, 100, 500};
    const char* widths[] = {"1.1", "3.1", "1.1"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(s[i].y1, ys[i], 1e-3) << i;
        EXPECT_NEAR(s[i].x1, 100, 1e-3) << i;
        EXPECT_NEAR(s[i].x2, 500, 1e-3) << i;
        EXPECT_EQ(s[i].width, widths[i]) << i;
    }
    EXPECT_EQ(s[0].colour, "0x808080");
    EXPECT_EQ(s[1].colour, "0x000000");
    EXPECT_EQ(s[2].colour, "0x000000");
}

TEST(FigureFile, TextWidthIsWidthPlusPitchOnceWhateverIsDrawnBefore) {
    // Width 200 + pitch 50 world units = 2.5 mm; the cell is half of it.
    for (const char* file :
         {"text_sizes.KRV", "pitch_only.KRV", "pitch_only.KRV", "text_sizes.KRV"}) {
        Draw(file);
        const std::vector<DrawnChar> c = Chars();
        ASSERT_EQ(Joined(c), "ABCD") << file;
        EXPECT_NEAR(c[1].x - c[0].x, 12.5, 1.0) << file;
        EXPECT_NEAR(c[3].x - c[0].x, 37.5, 1.0) << file;
        // Height 500 world units = 5 mm = 50 px.
        EXPECT_NEAR(std::atoi(FontAt("A").c_str() + 5), 50, 2) << file;
    }
    EXPECT_DOUBLE_EQ(FigureTextSizeTable.widths[1] + FigureTextSizeTable.pitches[1], 250);
}

TEST(FigureFile, TextLinesBelongToTheirRecordAndCirclesDrawInPassThree) {
    Draw("text_records.KRV");
    // The text line that reads like a LINE record is text, not a line.
    EXPECT_TRUE(Strokes().empty());
    const std::string text = Joined(Chars());
    EXPECT_EQ(text, "LINE,0,0,4,0,0,9000,-9000"_sj + "寸法"_sj);
    // "~" selects the body face (style 1) and is not printed.
    const std::string font = FontAt("寸"_sj);
    EXPECT_EQ(font.substr(font.rfind(' ') + 1), "1");
    const std::string plain = FontAt("L");
    EXPECT_EQ(plain.substr(plain.rfind(' ') + 1), "0");
    // One circle: centre (900, 450) px, radius 100 px; code 7 is hidden.
    const std::vector<std::string> e = Records({"ellipse"});
    ASSERT_EQ(e.size(), 1u);
    double x1, y1, x2, y2;
    std::istringstream(e[0].substr(8)) >> x1 >> y1 >> x2 >> y2;
    EXPECT_NEAR((x1 + x2) / 2, 900, 1.5);
    EXPECT_NEAR((y1 + y2) / 2, 450, 1.5);
    EXPECT_NEAR(x2 - x1, 200, 2.5);
}

TEST(FigureFile, FillsAndPolygonsUseTheirHexColours) {
    Draw("fill_polygon.KRV");
    const std::vector<std::string> brushes = Records({"brush-colour"});
    ASSERT_GE(brushes.size(), 2u);
    EXPECT_EQ(brushes[0], "brush-colour 0x00FF00");
    EXPECT_EQ(brushes.back(), "brush-colour 0x0000FF");
    // All 20 points of the polygon, read past the 32-field store.
    const std::vector<std::string> polys = Records({"polygon"});
    ASSERT_FALSE(polys.empty());
    const std::string& p = polys.back();
    EXPECT_EQ(p.rfind("polygon 19 0 0 10 5 ", 0), 0u) << p;
    EXPECT_EQ(p.substr(p.size() - 7), " 190 95") << p;
}

// A point line with an even number of fields (a trailing comma, or a line
// that a NUL byte cuts short) read one field past its end.
TEST(FigureFile, APolygonLineWithAnUnpairedFieldDrawsItsWholePointsOnly) {
    Draw("polygon_trailing_comma.KRV");
    const std::vector<std::string> polys = Records({"polygon"});
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0], "polygon 2 0 0 10 5 20 10");  // three points: n is the last index
    Draw("polygon_cut_by_nul.KRV");  // found by the fuzzer: 13 points before the NUL
    ASSERT_FALSE(Records({"polygon"}).empty());
    const std::string cut = Records({"polygon"}).back();
    EXPECT_EQ(cut.rfind("polygon 12 0 0 10 5 ", 0), 0u) << cut;
}

TEST(FigureFile, DamagedFilesNeverBreakTheDrawing) {
    for (const char* file : {"damaged.KRV", "garbage.KRV", "empty.KRV", "text_last.KRV"}) {
        const double y = Draw(file);
        EXPECT_TRUE(std::isfinite(y)) << file;
        EXPECT_GE(y, 0) << file;
        EXPECT_NE(DumpPoolPage(0).back(), "bad") << file;
    }
    // A TEXT record on the last line has no text to draw.
    Draw("text_last.KRV");
    EXPECT_TRUE(Records({"text"}).empty());
    // The size tables stay inside their 16 entries whatever the file said.
    Draw("damaged.KRV");
    EXPECT_TRUE(Records({"text"}).empty());
}

// Figure files damaged at random, as a copy cut short or a line edited by
// hand leaves them: a byte dropped, doubled or replaced by a separator or
// digit, a comma before a line's end, the file cut anywhere. Every one is
// drawn to its end. Before, one in five crashed the reader on a polygon's
// point line with a field too many.
TEST(FigureFile, RandomlyDamagedFilesAreDrawnToTheirEnd) {
    std::string original;
    for (const char* name : {"fill_polygon.KRV", "line_codes.KRV", "text_records.KRV"}) {
        std::ifstream in(kData + name, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        original += all.str();
    }
    ASSERT_GT(original.size(), 200u);
    const std::string path = CaseOutputDir() + "/damaged.KRV";
    std::mt19937 random(13);
    static const char kBytes[] = ",,,\n\r-.0123456789$ABF";
    for (int round = 0; round < 200; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % text.size();
            const char byte = kBytes[random() % (sizeof kBytes - 1)];
            switch (random() % 5) {
                case 0:
                    text.erase(at, 1);
                    break;
                case 1:
                    text.insert(at, 1, text[at]);
                    break;
                case 2:
                    text[at] = byte;
                    break;
                case 3: {
                    const std::size_t end = text.find('\n', at);
                    text.insert(end == std::string::npos ? text.size() : end, ",");
                    break;
                }
                default:
                    text.resize(at);
                    break;
            }
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        StartRecording(0);
        const double y = G_DrawKRV_18mX9m(0, path);
        ASSERT_TRUE(std::isfinite(y)) << "round " << round;
        ASSERT_NE(DumpPoolPage(0).back(), "bad") << "round " << round;
    }
}

TEST(FigureFile, MissingFileShowsTheNoticeAtTheCurrentPosition) {
    StartRecording(0);
    Gmm_MoveTo(0, 50);
    const double y = DrawFigureFile("no_folder/none.KRV");
    EXPECT_NEAR(y, 50 + 17.1, 1e-9);
    const std::vector<std::string> text = PoolPageText(0);
    ASSERT_EQ(text.size(), 4u);
    EXPECT_EQ(text[0], std::string(89, '#'));
    EXPECT_EQ(text[1], "no_folder/");
    EXPECT_EQ(text[2], "none.KRV....が開けません"_sj);
    EXPECT_EQ(text[3], std::string(89, '#'));
    // Lines 4.5 mm apart from y = 50 mm, starting at x = 10 mm.
    const std::vector<DrawnChar> c = Chars();
    EXPECT_NEAR(c.front().x, 100, 1.1);
    EXPECT_NEAR(c.back().y - c.front().y, 135, 1.1);
}

TEST(FigureFile, FittedDrawingFillsTheCanvasAndPutsTheStateBack) {
    StartRecording(0);
    PoolRecording = false;
    const GraphicsState before = CurrentGraphics;
    TBitmap canvas(400, 200);
    const double y = DrawFigureFileFitted(&canvas.Canvas(), 0xD0E0E0, kData + "line_codes.KRV");
    EXPECT_GT(y, 0);
    EXPECT_EQ(CurrentGraphics.canvas, before.canvas);
    EXPECT_DOUBLE_EQ(CurrentGraphics.pxPerMmX, before.pxPerMmX);
    // The background, and the weight-3 line at world y = -1000: 1/9 of the
    // way down the 196 pixels inside the 2-pixel margin.
    EXPECT_EQ(canvas.Pixel(300, 150), 0xD0E0E0u);
    bool black = false;
    for (int row = 22; row <= 26; ++row) black |= canvas.Pixel(60, row) == 0x000000u;
    EXPECT_TRUE(black);
    // A file without a window draws nothing and gives 0.
    TBitmap other(100, 100);
    EXPECT_EQ(DrawFigureFileFitted(&other.Canvas(), 0xD0E0E0, kData + "empty.KRV"), 0);
    EXPECT_EQ(other.Pixel(50, 50), 0xFFFFFFu);
    PoolRecording = true;
}

TEST(Pictures, MissingPictureDrawsNoticeAndCrossedBox) {
    StartRecording(0);
    EXPECT_NEAR(Gmm_DrawJpeg(10, 20, 60, 50, "missing.jpg"), 50, 1e-9);
    const std::vector<Stroke> s = Strokes();
    ASSERT_EQ(s.size(), 6u);
    const double expected[6][4] = {{100, 200, 600, 200}, {600, 200, 600, 500},
                                   {600, 500, 100, 500}, {100, 500, 100, 200},
                                   {100, 200, 600, 500}, {100, 500, 600, 200}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(s[i].x1, expected[i][0], 1e-3) << i;
        EXPECT_NEAR(s[i].y1, expected[i][1], 1e-3) << i;
        EXPECT_NEAR(s[i].x2, expected[i][2], 1e-3) << i;
        EXPECT_NEAR(s[i].y2, expected[i][3], 1e-3) << i;
        EXPECT_EQ(s[i].colour, "0x000000");
    }
    EXPECT_EQ(PoolPageText(0).size(), 3u);  // no folder line for a bare name
}

TEST(Pictures, DamagedPictureCountsAsMissing) {
    StartRecording(0);
    EXPECT_NEAR(Gmm_DrawJpeg(10, 20, 60, 50, kData + "truncated.jpg"), 50, 1e-9);
    EXPECT_EQ(Strokes().size(), 6u);
    StartRecording(0);
    EXPECT_NEAR(Gmm_DrawJpeg(10, 20, 60, 50, kData + "red_box.jpg"), 50, 1e-9);
    EXPECT_TRUE(Strokes().empty());
    EXPECT_EQ(Records({"picture"}).size(), 1u);
}
