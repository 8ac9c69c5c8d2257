// The report's figure boxes, drawn by the structure figure's units: the
// report fits the structure's extents into each box (world y up, one scale
// both ways) and draws the members, loads and supports of every printed
// load case and the M, S and N diagrams of every combination; drawing
// leaves the report's model as it was. The continuous beam of examples/
// (all members on one line) gets real figures: a moment diagram with
// height, a load figure whose dimension line stands below the supports, and
// values that never lie on each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "model/analysis_driver.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/graphics.h"
#include "report/report_figures.h"
#include "tests/analysed_example.h"
#include "tests/app/test_figure_util.h"
#include "tests/model/model_builder.h"
#include "tests/report/report_body_util.h"

namespace {

// The box (paper mm) of one figure's members.
struct MemberBox {
    int page = 0;  // body page
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

// Every figure's members, in page order. The members are drawn first, at
// the widest pen of the pages, one line each; the page rules drawn with
// that pen are single lines, so a run of `members` (two or more) lines
// between two pen changes is a figure's structure.
std::vector<MemberBox> FigureMemberBoxes(int pages, int members) {
    std::vector<MemberBox> boxes;
    double widest = 0;
    for (int k = 1; k <= pages; ++k)
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() == 2 && w[0] == "pen-width")
                widest = std::max(widest, std::atof(w[1].c_str()));
        }
    for (int k = 1; k <= pages; ++k) {
        double width = 0, x = 0, y = 0;
        int lines = 0;
        MemberBox box;
        const auto finish = [&] {
            if (lines == members && width == widest) {
                box.page = k;
                boxes.push_back(box);
            }
            lines = 0;
            box = MemberBox{};
        };
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.empty()) continue;
            if (w[0] == "pen-width") {
                finish();
                width = std::atof(w[1].c_str());
            } else if ((w[0] == "move" || w[0] == "line") && w.size() == 3) {
                const double px = std::atof(w[1].c_str()), py = std::atof(w[2].c_str());
                if (w[0] == "line") {
                    ++lines;
                    // Pages are recorded at 10 px per mm.
                    for (const auto& [a, b] : {std::pair{x, y}, std::pair{px, py}}) {
                        box.left = std::min(box.left, a / 10);
                        box.right = std::max(box.right, a / 10);
                        box.top = std::min(box.top, b / 10);
                        box.bottom = std::max(box.bottom, b / 10);
                    }
                }
                x = px;
                y = py;
            } else if (w[0] != "pen-style" && w[0] != "pen-colour") {
                finish();
            }
        }
        finish();
    }
    return boxes;
}

// The model analysed as the calculate command does.
FrameResults* Analyse(ModelBuilder& b) {
    FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    *copy = b.model();
    EXPECT_TRUE(RunFrameAnalysis(*r, *copy, false, false, 20));
    SetResultPoints(*r, b.model());
    return r;
}

// A 6 m x 3 m portal: twice as wide as high.
ModelBuilder Portal() {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 0, 3).Node(3, 6, 3).Node(4, 6, 0);
    b.Material(1, 2.05e8).Section(1, 0.01, 0.0002);
    b.Member(1, 1, 2).Member(2, 2, 3).Member(3, 4, 3);
    b.Support(1, 1, kSupportFixed).Support(1, 4, kSupportFixed);
    b.Load(1, kLoadDistY, 2, -10, -10);
    b.NodalLoad(2, 2, 5, 0);
    b.Combination(1, 1.0, {{1, 1.0}, {2, 1.0}});
    PrepareMemberLoads(b.model());
    return b;
}

AnalysedExample& AnalysedPortal() {
    static AnalysedExample a = AnalyseExample("portal.$O1", 20);
    return a;
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

TEST(ReportFigures, LoadFiguresAndDiagramsAreFittedIntoTheirBoxes) {
    ModelBuilder b = Portal();
    FrameResults* r = Analyse(b);
    const int pages = ComposeReport(b.model(), r, nullptr);
    const std::vector<MemberBox> boxes = FigureMemberBoxes(pages, 3);
    // One load figure per load case, then M, S and N of the combination.
    ASSERT_EQ(boxes.size(), 2u + 3u);
    // Load figures: 80 mm wide boxes; the 2:1 frame fills the width, 40 mm
    // high, centred in the 50 mm box height.
    for (int f = 0; f < 2; ++f) {
        EXPECT_NEAR(boxes[f].left, 50.0, 0.15) << f;
        EXPECT_NEAR(boxes[f].right, 130.0, 0.15) << f;
        EXPECT_NEAR(boxes[f].Height(), 40.0, 0.15) << f;
    }
    // Diagrams: the frame keeps its 2:1 shape, centred across the body,
    // within the 110 x 50 mm box and leaving room beside it for the diagram
    // (its reach) and the values (13 mm) inside 8 mm of the body's edges.
    const double reach = ReportDiagramReach(*r);
    ASSERT_GT(reach, 0);
    for (int f = 2; f < 5; ++f) {
        const MemberBox& d = boxes[f];
        EXPECT_NEAR(d.Width(), 2 * d.Height(), 0.3) << f;
        EXPECT_NEAR((d.left + d.right) / 2, 90.0, 0.15) << f;
        EXPECT_LE(d.Width(), 110.0 + 0.15) << f;
        EXPECT_LE(d.Height(), 50.0 + 0.15) << f;
        const double room = reach * d.Width() / 6.0 + 13.0;
        EXPECT_GE(d.left - room, 8.0 - 0.15) << f;
        EXPECT_LE(d.right + room, 172.0 + 0.15) << f;
    }
}

// Members on one line (a continuous beam, a single column) get one scale on
// both axes like any frame, never squashed to nothing, and the diagram
// figure leaves room beside the members for the diagram (its reach) and
// its value labels (13 mm) inside the band from 11 mm below the figure's
// title line to 118 mm, 8 mm from the body's edges.
TEST(ReportFigures, FlatAndUprightStructuresKeepEqualScalesAndRoom) {
    struct Case {
        const char* what;
        double x2, y2;  // the last node; the first is at the origin, one between
    } cases[] = {{"beam", 20, 0}, {"column", 0, 6}, {"slope", 6, 3}};
    for (const Case& c : cases) {
        ModelBuilder b;
        b.Node(1, 0, 0)
            .Node(2, c.x2 / 2, c.y2 / 2)
            .Node(3, c.x2, c.y2)
            .Material(1, 2.05e8)
            .Section(1, 0.01, 0.0002)
            .Member(1, 1, 2)
            .Member(2, 2, 3);
        b.Support(1, 1, kSupportFixed);
        b.NodalLoad(1, 3, 1, -1);
        b.Combination(1, 1.0, {{1, 1.0}});
        PrepareMemberLoads(b.model());
        FrameResults* r = Analyse(b);
        const int pages = ComposeReport(b.model(), r, nullptr);
        const std::vector<MemberBox> boxes = FigureMemberBoxes(pages, 2);
        ASSERT_EQ(boxes.size(), 1u + 3u) << c.what;
        const double reach = ReportDiagramReach(*r);
        for (std::size_t f = 0; f < boxes.size(); ++f) {
            const MemberBox& k = boxes[f];
            // mm per m, from whichever extent the structure has.
            const double s = c.x2 != 0 ? k.Width() / c.x2 : k.Height() / c.y2;
            EXPECT_GT(s, 1.0) << c.what << " " << f;
            EXPECT_NEAR(k.Width(), s * c.x2, 0.3) << c.what << " " << f;
            EXPECT_NEAR(k.Height(), s * c.y2, 0.3) << c.what << " " << f;
            if (f == 0) continue;  // the load figure
            const double room = reach * s + 13.0;
            EXPECT_GE(k.left - room, 8.0 - 0.15) << c.what;
            EXPECT_LE(k.right + room, 172.0 + 0.15) << c.what;
            EXPECT_LE(k.Height() + 2 * room, 118.0 - 11.0 + 0.15) << c.what;
            EXPECT_NEAR((k.left + k.right) / 2, 90.0, 0.15) << c.what;
        }
    }
}

TEST(ReportFigures, LeavesTheModelAsItWas) {
    AnalysedExample& p = AnalysedPortal();
    std::unique_ptr<FrameModel> before = NewFrameModelRecord();
    std::memcpy(before.get(), p.model.get(), sizeof(FrameModel));
    ComposeReport(*p.model, p.results, nullptr);
    // The report itself sets each case's load scale; nothing else changes.
    for (int c = 1; c <= p.model->loadCaseCount; ++c)
        before->loadCases[c].maxLoad = p.model->loadCases[c].maxLoad;
    EXPECT_EQ(0, std::memcmp(before.get(), p.model.get(), sizeof(FrameModel)));
}

TEST(ReportFigures, ContinuousBeamDiagramsHaveHeightAndReadableValues) {
    AnalysedExample& beam = ContinuousBeam();
    const int pages = ComposeReport(*beam.model, beam.results, nullptr);
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

// Every figure of the shipped examples' reports, loads and diagrams alike:
// no two value characters lie on each other. Drawn where they were asked
// for, the continuous beam's values at its supports (the two members' end
// values and the point beside them) and the spring beam's values under its
// load were written over each other.
TEST(ReportFigures, ExampleFiguresNeverWriteValuesOverEachOther) {
    for (const char* file : {"portal.$O1", "continuous_beam.$O1", "spring_beam.$O1"}) {
        AnalysedExample a = AnalyseExample(file, 20);
        const int pages = ComposeReport(*a.model, a.results, nullptr);
        int figures = 0;
        for (int k = 1; k <= pages; ++k) {
            // The figures' values are the page's small characters; table
            // cells and headings, a cell apart, are left aside.
            std::vector<Glyph> small;
            double heightPx = 36;
            for (const std::string& rec : DumpPoolPage(10 + k)) {
                const std::vector<std::string> w = Words(rec);
                if (w.size() >= 2 && w[0] == "font") heightPx = std::atof(w[1].c_str());
                if (w.size() >= 4 && w[0] == "text" && heightPx < 30)
                    small.push_back({std::atof(w[1].c_str()), std::atof(w[2].c_str()), w[3]});
            }
            if (std::count_if(small.begin(), small.end(), IsValueChar) < 8) continue;
            ++figures;
            EXPECT_EQ(OverlappingGlyphs(small, 0, 2700), 0) << file << " page " << k;
        }
        EXPECT_GE(figures, 4) << file;  // its load figures and the M, S and N diagrams
    }
}

// Two point loads 0.3 m apart on a 6 m beam: their values stand side by
// side, each a number of its own, with at least a blank between them. Put
// against each other they read as one, "-50.000-30.000".
TEST(ReportFigures, CloseLoadValuesStayApartByABlank) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2.5e7).Section(1, 0.25, 0.005).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.Load(1, kLoadConcY, 1, -50, 0, 2.0);
    b.Load(1, kLoadConcY, 1, -30, 0, 2.3);
    PrepareMemberLoads(b.model());
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
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

// A distributed load given over a run of members that is not one straight
// span (the floor beam and the roof beam of a two-storey frame as the range
// 5-6) is drawn on each member with its own value, as the analysis loads
// them; drawn from the first member's i end to the last one's j end, its
// row crossed the storey diagonally with one value in the middle.
TEST(ReportFigures, ALoadOverARunOnTwoFloorsIsDrawnOnEachMember) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 6, 0).Node(3, 0, 3).Node(4, 6, 3).Node(5, 0, 6).Node(6, 6, 6);
    b.Material(1, 2.05e8).Section(1, 0.01, 0.0002);
    b.Member(1, 1, 3).Member(2, 2, 4).Member(3, 3, 5).Member(4, 4, 6);
    b.Member(5, 3, 4).Member(6, 5, 6);
    b.Support(1, 1, kSupportFixed).Support(1, 2, kSupportFixed);
    b.Load(1, kLoadDistY, 5, -10, -10, 0, 0, 6);
    // 9 m along the run: the middle of the roof beam.
    b.Load(1, kLoadConcY, 5, -5, 0, 9, 0, 6);
    b.Combination(1, 1.0, {{1, 1.0}});
    PrepareMemberLoads(b.model());
    FrameResults* r = Analyse(b);
    const int pages = ComposeReport(b.model(), r, nullptr);
    double y = 0;
    const int page = PageWith(pages, "荷重ケース番号"_sj, y);
    ASSERT_GT(page, 0);
    // Members, arrows' shafts, rows and dimension lines are level or
    // upright; only arrowheads and support marks are short slanted strokes.
    int slanted = 0;
    double x0 = 0, y0 = 0;
    for (const std::string& rec : DumpPoolPage(page)) {
        const std::vector<std::string> w = Words(rec);
        if (w.size() != 3 || (w[0] != "move" && w[0] != "line")) continue;
        const double x1 = std::atof(w[1].c_str()), y1 = std::atof(w[2].c_str());
        if (w[0] == "line" && std::fabs(x1 - x0) > 2 && std::fabs(y1 - y0) > 2 &&
            std::hypot(x1 - x0, y1 - y0) > 50)
            ++slanted;
        x0 = x1;
        y0 = y1;
    }
    EXPECT_EQ(slanted, 0);
    // The figure's values: the page's text above the load table.
    std::string figure;
    for (const std::string& l : PoolPageText(page)) {
        if (l.find("部材分布荷重"_sj) != std::string::npos) break;
        figure += l + "\n";
    }
    EXPECT_EQ(CountOccurrences(figure, "-10.000"), 2) << Cp932ToUtf8(figure);
    // The concentrated load's value stands over the roof beam, not beyond
    // the frame where 9 m along the straight span would put it.
    const std::vector<MemberBox> boxes = FigureMemberBoxes(pages, 6);
    ASSERT_FALSE(boxes.empty());
    const MemberBox& frame = boxes.front();
    std::vector<Glyph> glyphs;
    std::vector<double> ys;
    PageRecords(page, glyphs, ys);
    int fives = 0;
    for (const Glyph& g : glyphs) {
        if (g.text != "5" || g.y > frame.bottom * 10) continue;
        ++fives;
        EXPECT_GT(g.x / 10, frame.left);
        EXPECT_LT(g.x / 10, frame.right);
        EXPECT_LT(g.y / 10, frame.top);
    }
    EXPECT_EQ(fives, 1);
}

// Every value a diagram of the report owes is on its page: each member's
// largest value always, and the others too unless the title line says how
// many were left out for want of room. The two-storey frame with rigid
// zones lost its largest moment of combination 1 (the left member's end
// value at an interior joint), and the continuous beam both inner-support
// shears, without a word.
TEST(ReportFigures, DiagramsShowEachMembersLargestValueAndCountTheOthersLeftOut) {
    ModelBuilder frame;
    for (int s = 0; s < 3; ++s)
        for (int c = 0; c < 3; ++c) frame.Node(1 + 3 * s + c, 6.0 * c, 3.5 * s);
    frame.Material(1, 2.05e7).Section(1, 0.25, 0.0052);
    for (int c = 0; c < 6; ++c) frame.Member(c + 1, c + 1, c + 4);
    frame.Member(7, 4, 5).Member(8, 5, 6).Member(9, 7, 8).Member(10, 8, 9);
    for (int n = 1; n <= 3; ++n) frame.Support(1, n, kSupportFixed);
    for (int m = 7; m <= 10; ++m) frame.Load(1, kLoadDistY, m, -30, -30);
    frame.NodalLoad(2, 4, 40, 0).NodalLoad(2, 7, 20, 0);
    frame.Combination(1, 1.0, {{1, 1.0}, {2, 1.0}}).Combination(2, 1.0, {{1, 1.0}, {2, -1.0}});
    for (int m = 7; m <= 10; ++m) {
        frame.model().members[m].rigidI = frame.model().members[m].rigidJ = 0.3f;
        frame.ViewPoints(m, {1.5, 3.0, 4.5});
    }
    frame.model().rigidZoneSwitch = 1;
    PrepareMemberLoads(frame.model());
    // One results record serves the process: each model is analysed just
    // before its report.
    AnalysedExample beam;
    for (int row = 0; row < 2; ++row) {
        const char* what = row == 0 ? "two-storey frame" : "continuous beam";
        FrameModel* model = &frame.model();
        FrameResults* results = nullptr;
        if (row == 0) {
            results = Analyse(frame);
        } else {
            beam = AnalyseExample("continuous_beam.$O1", 20);
            model = beam.model.get();
            results = beam.results;
        }
        const FrameResults& r = *results;
        const int pages = ComposeReport(*model, results, nullptr);
        // FIGURE_SHOTS=dir keeps the pages for a person to look at.
        if (const char* dir = std::getenv("FIGURE_SHOTS"))
            for (int k = 1; k <= pages; ++k) {
                TBitmap page(900, 1350);
                PlayPoolPage(page, 10 + k, 1800, 2700, 0xFFFFFF);
                page.SaveToFile(std::string(dir) + "/report-" + std::to_string(row) + "-" +
                                std::to_string(k) + ".png");
            }
        int diagram = 0;
        for (int k = 1; k <= pages; ++k) {
            const std::vector<Rec> recs = Parse(10 + k);
            for (const Rec& t : recs) {
                // A title's first character: "・" of 「・モーメント図」 and the others.
                if (t.kind != "text" || t.text != "・"_sj) continue;
                const std::vector<std::string> title = TextRuns(recs, 1e9, t.v[1] - 5, t.v[1] + 5);
                if (!HasRun(title, "・モーメント図"_sj) && !HasRun(title, "・せん断力図"_sj) &&
                    !HasRun(title, "・軸力図"_sj))
                    continue;
                const int block = ComboBlockIndex(r, 1 + diagram / 3);
                const int q = kQtyM + diagram % 3;
                ++diagram;
                const double top = t.v[1] - 50;
                const std::vector<std::string> runs = TextRuns(recs, 30, top + 100, top + 1190);
                bool missing = false;
                for (int m = 1; m <= r.memberCount; ++m) {
                    const MemberResult& mr = r.block[block].members[m];
                    double largest = 0;
                    for (int p = 1; p <= r.member[m].pointCount; ++p) {
                        const double v = mr.values[q][p];
                        if (std::fabs(v) > std::fabs(largest)) largest = v;
                        const std::string text =
                            FormatStr("%.3f", std::round(v * 1000) / 1000 + 0.0);
                        if (r.member[m].pointKind[p] == 2 && !HasRun(runs, text)) missing = true;
                    }
                    const std::string text =
                        FormatStr("%.3f", std::round(largest * 1000) / 1000 + 0.0);
                    EXPECT_TRUE(HasRun(runs, text)) << what << " page " << k << " diagram "
                                                    << diagram << " member " << m << ": " << text;
                }
                if (missing) {
                    EXPECT_TRUE(HasRun(title, "重なる数値"_sj))
                        << what << " page " << k << " diagram " << diagram;
                }
            }
        }
        EXPECT_EQ(diagram, 3 * std::min(r.comboCount, model->combinationCount)) << what;
    }
}

// The dimension lines under a load figure keep heads of 2 mm whatever load
// was drawn last: they took the last load's arrow size (none at all after
// an axial load, 3 mm after a perpendicular force).
TEST(ReportFigures, DimensionLineHeadsDoNotFollowTheLastLoad) {
    for (const LoadRecord& last : {Load(kLoadDistAxial, 1, 5, 5), Load(kLoadConcPerp, 1, -9, 0, 3),
                                   Load(kLoadDistY, 1, -5, -5)}) {
        ModelBuilder b;
        b.Node(1, 0, 0).Node(2, 6, 0).Node(3, 6, 3);
        b.Material(1, 2.05e8).Section(1, 0.01, 0.0002).Member(1, 1, 2).Member(2, 2, 3);
        b.Support(1, 1, kSupportFixed).Support(1, 3, kSupportPin);
        b.Load(1, kLoadConcY, 1, -10, 0, 2);
        b.Load(1, last.code, 1, last.qI, last.qJ, last.distI, last.distJ);
        PrepareMemberLoads(b.model());
        const int pages = ComposeReport(b.model(), nullptr, nullptr);
        double y = 0;
        const int page = PageWith(pages, "荷重ケース番号"_sj, y);
        ASSERT_GT(page, 0);
        const std::vector<Seg> segs = Segments(Parse(page));
        // The horizontal dimension line: the lowest level segment as long
        // as the 6 m frame is wide in its 80 mm box (table rules are longer).
        const Seg* shaft = nullptr;
        for (const Seg& s : segs)
            if (std::fabs(s.y1 - s.y2) < 0.01 && std::fabs(std::fabs(s.x2 - s.x1) - 800) < 2 &&
                (!shaft || s.y1 > shaft->y1))
                shaft = &s;
        ASSERT_NE(shaft, nullptr);
        int barbs = 0;
        for (const Seg& s : segs) {
            if (&s == shaft || std::fabs(s.y1 - s.y2) < 0.01 || std::fabs(s.x1 - s.x2) < 0.01)
                continue;
            for (double x : {shaft->x1, shaft->x2})
                if (std::hypot(s.x1 - x, s.y1 - shaft->y1) < 0.5) {
                    ++barbs;
                    EXPECT_NEAR(std::hypot(s.x2 - s.x1, s.y2 - s.y1), 20, 2)
                        << last.code;  // whole px
                }
        }
        EXPECT_EQ(barbs, 4) << last.code;
    }
}
