// The report's figure boxes drawn by the structure figure's units: the load
// figure and the M/S/N diagrams appear in the composed pages, inside their
// boxes, and drawing leaves the report's model untouched. The continuous
// beam of examples/ (all members on one line) gets real figures: a moment
// diagram with height, a load figure whose dimension line stands below the
// supports, and values that never lie on each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/report_figure_drawer.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "report/graphics.h"
#include "report/report_figures.h"
#include "tests/analysed_example.h"
#include "tests/model/model_builder.h"
#include "tests/report/report_body_util.h"

namespace {

AnalysedExample& Portal() {
    static AnalysedExample a = AnalyseExample("portal.$O1", 20);
    return a;
}

// Line and polygon records of every body page.
int DrawingRecords(int pages) {
    int n = 0;
    for (int k = 1; k <= pages; ++k)
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (!w.empty() && (w[0] == "line" || w[0] == "polygon" || w[0] == "polyline")) ++n;
        }
    return n;
}

TEST(ReportFigureDrawer, FillsTheFigureBoxes) {
    AnalysedExample& p = Portal();
    SetReportFigureDrawer(nullptr);
    const int framedOnly = DrawingRecords(ComposeReport(*p.model, p.results, nullptr));
    InstallReportFigureDrawer();
    const int pages = ComposeReport(*p.model, p.results, nullptr);
    const int drawn = DrawingRecords(pages);
    SetReportFigureDrawer(nullptr);
    // Two load figures and three diagrams of one combination, each with its
    // three members, loads and supports or curves: far more than the frames.
    EXPECT_GT(drawn, framedOnly + 5 * 3);
}

TEST(ReportFigureDrawer, LeavesTheModelAsItWas) {
    AnalysedExample& p = Portal();
    std::unique_ptr<FrameModel> before = NewFrameModelRecord();
    std::memcpy(before.get(), p.model.get(), sizeof(FrameModel));
    InstallReportFigureDrawer();
    ComposeReport(*p.model, p.results, nullptr);
    SetReportFigureDrawer(nullptr);
    // The report itself sets each case's load scale; nothing else changes.
    for (int c = 1; c <= p.model->loadCaseCount; ++c) before->loadCases[c].maxLoad = p.model->loadCases[c].maxLoad;
    EXPECT_EQ(0, std::memcmp(before.get(), p.model.get(), sizeof(FrameModel)));
}

struct Glyph {
    double x, y;  // px of the 10 px/mm recording page
    std::string text;
};

// Text and line records of one body page, as numbers.
void PageRecords(int page, std::vector<Glyph>& glyphs, std::vector<double>& lineYs) {
    for (const std::string& rec : DumpPoolPage(page)) {
        const std::vector<std::string> w = Words(rec);
        if (w.size() >= 4 && w[0] == "text")
            glyphs.push_back({std::atof(w[1].c_str()), std::atof(w[2].c_str()), w[3]});
        if (w.size() >= 3 && (w[0] == "line" || w[0] == "move"))
            lineYs.push_back(std::atof(w[2].c_str()));
    }
}

// The first body page whose text holds `what`, and that text's y (px).
int PageWith(int pages, const std::string& what, double& y) {
    for (int k = 1; k <= pages; ++k) {
        const std::vector<std::string> lines = BodyPageText(k);
        for (const std::string& l : lines)
            if (l.find(what) != std::string::npos) {
                std::vector<Glyph> glyphs;
                std::vector<double> ys;
                PageRecords(10 + k, glyphs, ys);
                const std::string first = what.substr(0, 2);
                for (const Glyph& g : glyphs)
                    if (g.text == first) {
                        y = g.y;
                        return 10 + k;
                    }
            }
    }
    return 0;
}

bool IsValueChar(const Glyph& g) {
    return g.text.size() == 1 && std::strchr("0123456789.-", g.text[0]);
}

// Two characters of values closer than a cell both ways lie on each other
// (support glyphs such as a roller's △ over ＿ are stacked on purpose).
int OverlappingGlyphs(const std::vector<Glyph>& all, double top, double bottom) {
    std::vector<Glyph> glyphs;
    std::copy_if(all.begin(), all.end(), std::back_inserter(glyphs), IsValueChar);
    int n = 0;
    for (std::size_t a = 0; a < glyphs.size(); ++a)
        for (std::size_t b = a + 1; b < glyphs.size(); ++b) {
            const Glyph &g = glyphs[a], &h = glyphs[b];
            if (g.y < top || g.y > bottom || h.y < top || h.y > bottom) continue;
            if (std::fabs(g.x - h.x) < 12 && std::fabs(g.y - h.y) < 12) ++n;
        }
    return n;
}

AnalysedExample& ContinuousBeam() {
    static AnalysedExample a = AnalyseExample("continuous_beam.$O1", 20);
    return a;
}

}  // namespace

TEST(ReportFigureDrawer, ContinuousBeamDiagramsHaveHeightAndReadableValues) {
    AnalysedExample& beam = ContinuousBeam();
    InstallReportFigureDrawer();
    const int pages = ComposeReport(*beam.model, beam.results, nullptr);
    SetReportFigureDrawer(nullptr);
    for (const std::string& title : {"・モーメント図"_sj, "・せん断力図"_sj}) {
        double titleY = 0;
        const int page = PageWith(pages, title, titleY);
        ASSERT_GT(page, 0) << Cp932ToUtf8(title);
        std::vector<Glyph> glyphs;
        std::vector<double> ys;
        PageRecords(page, glyphs, ys);
        // The figure's band: 11 to 118 mm below the top of its 120 mm.
        const double top = titleY - 50 + 110, bottom = titleY - 50 + 1180;
        double low = 1e9, high = -1e9;
        for (double y : ys)
            if (y > top && y < bottom) low = std::min(low, y), high = std::max(high, y);
        // The largest ordinate is drawn 2 m (a quarter of the longest span)
        // from the beam: well over a centimetre on the page. Squashed flat,
        // the curve had no height at all.
        EXPECT_GT(high - low, 100.0) << Cp932ToUtf8(title);
        EXPECT_EQ(OverlappingGlyphs(glyphs, top, bottom), 0) << Cp932ToUtf8(title);
    }
    // The load figures: the overall length's dimension stands under the
    // supports, not over them, and no two values lie on each other.
    double headY = 0;
    const int loads = PageWith(pages, "積載荷重"_sj, headY);
    ASSERT_GT(loads, 0);
    std::vector<Glyph> glyphs;
    std::vector<double> ys;
    PageRecords(loads, glyphs, ys);
    double support = 0, dimension = 0;
    for (const Glyph& g : glyphs) {
        if (g.text == "△"_sj) support = std::max(support, g.y);
        if (g.text == "2" && g.y > support + 1 && g.y < 1500) dimension = std::max(dimension, g.y);
    }
    ASSERT_GT(support, 0);
    EXPECT_GT(dimension - support, 100.0);
    EXPECT_EQ(OverlappingGlyphs(glyphs, headY + 100, 1500), 0);
}

// Two point loads 0.3 m apart on a 6 m beam: their values stand side by
// side, each a number of its own, with at least a blank between them. Put
// against each other they read as one, "-50.000-30.000".
TEST(ReportFigureDrawer, CloseLoadValuesStayApartByABlank) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2.5e7).Section(1, 0.25, 0.005).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.Load(1, kLoadConcY, 1, -50, 0, 2.0);
    b.Load(1, kLoadConcY, 1, -30, 0, 2.3);
    PrepareMemberLoads(b.model());
    InstallReportFigureDrawer();
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    SetReportFigureDrawer(nullptr);
    double headY = 0;
    const int page = PageWith(pages, "荷重ケース番号"_sj, headY);
    ASSERT_GT(page, 0);
    std::vector<Glyph> glyphs;
    std::vector<double> ys;
    PageRecords(page, glyphs, ys);
    // The value characters of the figure, line by line, split into words
    // wherever a blank's width (half a cell or more) lies between them.
    std::vector<Glyph> values;
    std::copy_if(glyphs.begin(), glyphs.end(), std::back_inserter(values),
                 [&](const Glyph& g) { return IsValueChar(g) && g.y > headY + 100 && g.y < 1500; });
    std::sort(values.begin(), values.end(),
              [](const Glyph& a, const Glyph& c) { return a.y != c.y ? a.y < c.y : a.x < c.x; });
    std::vector<std::string> words;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool joined =
            i > 0 && values[i].y == values[i - 1].y && values[i].x - values[i - 1].x < 18;
        if (!joined) words.emplace_back();
        words.back() += values[i].text;
    }
    int fifty = 0, thirty = 0;
    for (const std::string& w : words) {
        fifty += w == "-50.000";
        thirty += w == "-30.000";
        EXPECT_LE(std::count(w.begin(), w.end(), '.'), 1) << w;
    }
    EXPECT_EQ(fifty, 1);
    EXPECT_EQ(thirty, 1);
}
