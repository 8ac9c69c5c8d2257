// One report page drawn through the whole path (text lines, fields, rules,
// shapes, recording, replay) and compared with a reference picture, plus
// the page-text listing of the same page. A mismatch writes the rendered
// page and a difference picture into the test output folder.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "platform/sjis_literal.h"
#include "pool_test_util.h"
#include "tests/case_output.h"

namespace {

const std::string kReference = std::string(TEST_DATA_DIR) + "/report/golden_page.png";
// Where the page and its difference picture go (the case's own folder).
std::string OutBase() { return CaseOutputDir() + "/golden_page"; }

// A channel differing by more than this marks a pixel as different: small
// enough to catch a moved line, large enough for anti-aliasing noise.
constexpr int kChannelTolerance = 48;
// Share of differing pixels still accepted (font rasteriser updates).
constexpr double kPixelShare = 0.002;

void ComposePage() {
    StartRecording(2);
    SetFontMm(3.6, 0, 0, 0);
    PrintTextLine(1, 8, "%.フレーム構造解析計算書"_sj);
    SetFontMm(3.6, 0, 0, 1);
    PrintTextLine(1, 16, "  %.%設計条件  E=2.05×$^5 N/mm2  Ｍmax  σ'ck  N~"_sj);
    PrintTextLine(1, 26, "┏━━━━┯━━━━━━━━┯━━━━━━━━┓"_sj);
    PrintTextLine(1, 29.6, "┃  番号  │      荷重      │    変位(mm)    ┃"_sj);
    PrintTextLine(1, 33.2, "┠────┼────────┼────────┨"_sj);
    PrintTextLine(1, 36.8, "┃   ##   │    ####.###    │    ###.####    ┃"_sj);
    PrintTextLine(1, 40.4, "┗━━━━┷━━━━━━━━┷━━━━━━━━┛"_sj);
    FillFieldNumber(-1, 7, 0);
    FillFieldNumber(-1, 12.3456, 0);
    FillFieldNumber(-1, -0.00125, 0);
    G_SetLineColor(0);
    G_SetLineWidth(1);
    Gmm_Line(10, 60, 170, 60, 3, 0);
    Gmm_Line(10, 66, 170, 66, 1, 0);
    G_Ellipse(40, 90, 12, 0.6);
    G_Arc(90, 90, 12, 0.3, 2.8);
    const double tri[] = {120, 80, 160, 80, 140, 105};
    G_Polygon(tri, 3, bsBDiagonal, 0xFFFFFF, 0x0000FF, 0);
    G_PolyArrow(60, 120, 0.4, 40);
    SetFontMm(5, 0, 30, 0);
    Gmm_TextML(110, 130, "回転 ABC"_sj);
    PoolRecording = false;
}

bool FontsInstalled() {
    const QStringList families = QFontDatabase::families();
    return families.contains("Noto Sans Mono CJK JP") && families.contains("Noto Serif CJK JP");
}

}  // namespace

TEST(ReportRender, PageMatchesReferencePicture) {
    if (!FontsInstalled()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
    ComposePage();
    TBitmap page(600, 900);
    PlayPoolPage(page, 0, 1800, 2700, kScreenBackground);
    page.SaveToFile(OutBase() + ".out.png");

    TBitmap reference;
    ASSERT_TRUE(reference.LoadFromFile(kReference))
        << "no reference picture; check " << OutBase() << ".out.png and copy it to " << kReference;
    ASSERT_EQ(reference.Width(), page.Width());
    ASSERT_EQ(reference.Height(), page.Height());
    TBitmap diff(page.Width(), page.Height());
    long different = 0;
    for (int y = 0; y < page.Height(); ++y)
        for (int x = 0; x < page.Width(); ++x) {
            const std::uint32_t a = page.Pixel(x, y), b = reference.Pixel(x, y);
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                                 static_cast<int>((b >> shift) & 0xFF)));
            if (worst > kChannelTolerance) {
                ++different;
                diff.SetPixel(x, y, 0x0000FF);
            }
        }
    const double share = static_cast<double>(different) / (page.Width() * page.Height());
    if (share > kPixelShare) diff.SaveToFile(OutBase() + ".diff.png");
    EXPECT_LE(share, kPixelShare) << different << " pixels differ; see " << OutBase()
                                  << ".diff.png";
}

TEST(ReportRender, PageTextListsTheLines) {
    ComposePage();
    const std::vector<std::string> lines = PoolPageText(0);
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "1.フレーム構造解析計算書"_sj);
    // Cells are centred between the rules: gaps of 10 and 12 cells.
    EXPECT_TRUE(has("番号          荷重            変位(mm)"_sj));
    // Values right-aligned in their masks "##", "####.###", "###.####".
    EXPECT_TRUE(has("7           12.346           -0.0013"));
    EXPECT_TRUE(has("1.1設計条件  E=2.05×105 N/mm2   Ｍ       '      Ｎ"_sj));
    EXPECT_TRUE(has("max      ck"));
}
