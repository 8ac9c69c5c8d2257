// Structure drawing units: ruler steps, support and spring glyphs where
// they belong, rigid-zone labels, member-number sides, an empty model.
#include <cmath>

#include "app/figure_structure.h"
#include "platform/sjis_literal.h"
#include "report/figure_labels.h"
#include "test_figure_util.h"

namespace {

TEST(RulerStep, LastStepBelowTheLimitWithItsFormatAndMinorTicks) {
    struct Case {
        double limit;
        double step;
        const char* format;
        int minor;
    } cases[] = {
        {0.0001, 0.001, "%.3f", 5},  // nothing below the limit: the first step
        {0.0015, 0.001, "%.3f", 5}, {0.0025, 0.002, "%.3f", 4}, {0.03, 0.02, "%.2f", 4},
        {0.25, 0.2, "%.1f", 4},     {0.2, 0.1, "%.1f", 5},  // strictly below
        {1.5, 1, "%.0fm", 5},       {3, 2, "%.0fm", 4},         {1e9, 10, "%.0fm", 5},
    };
    for (const Case& c : cases) {
        const char* format = nullptr;
        EXPECT_DOUBLE_EQ(RulerStep(c.limit, &format), c.step) << c.limit;
        EXPECT_STREQ(format, c.format) << c.limit;
        EXPECT_EQ(RulerMinorTicks(c.step), c.minor) << c.step;
    }
}

class PortalFigure : public ::testing::Test {
  protected:
    void SetUp() override {
        model = LoadPortal();
        bitmap = std::make_unique<TBitmap>(800, 600);
        StartScreen(*bitmap, -1, -1, 7, 5);  // 100 px per m
    }
    void TearDown() override { StopRecording(); }
    std::unique_ptr<FrameModel> model;
    std::unique_ptr<TBitmap> bitmap;
};

TEST_F(PortalFigure, SupportGlyphsStandBelowTheirNodes) {
    // Node 1 (0, 0) fixed, node 4 (6, 0) pinned; gap 4 mm = 40 px... on this
    // device 1 mm = 800 / 180 px.
    DrawSupportSymbols(*model, 1, 3.0, 4);
    const auto recs = Parse();
    const auto fixed = Texts(recs, "▲"_sj), pinned = Texts(recs, "△"_sj);
    ASSERT_EQ(fixed.size(), 1u);
    ASSERT_EQ(pinned.size(), 1u);
    const double mm = 800.0 / 180;
    for (const auto& [glyph, x] : {std::pair{fixed[0], 0.0}, std::pair{pinned[0], 6.0}}) {
        EXPECT_NEAR(glyph.v[0] + 1.5 * mm, WorldToDevX(x), 1.5 * mm);  // centred on the node
        EXPECT_NEAR(glyph.v[1], WorldToDevY(0) + 4.6 * mm, 2.0);       // (gap + 0.6) mm below
    }
}

TEST_F(PortalFigure, SupportCodesChooseTheirGlyphs) {
    SuptCase& sc = model->supportCases[1];
    const struct {
        int code;
        std::string glyph;  // "" for none
    } cases[] = {{0, ""}, {2, "＿"_sj}, {5, "§"_sj}, {9, "？"_sj}};
    for (const auto& c : cases) {
        PoolClear();
        PoolSelectPage(0);
        sc.count = 1;
        sc.entries[1].code = c.code;
        DrawSupportSymbols(*model, 1, 3.0, 0);
        const auto recs = Parse();
        std::size_t texts = 0;
        for (const Rec& r : recs) texts += r.kind == "text";
        if (c.glyph.empty())
            EXPECT_EQ(texts, 0u) << c.code;
        else
            EXPECT_EQ(Texts(recs, c.glyph).size(), 1u) << c.code;
    }
}

TEST_F(PortalFigure, VerticalRollerTurnsItsGlyphAwayFromTheFrame) {
    SuptCase& sc = model->supportCases[1];
    sc.count = 2;
    sc.entries[1] = SuptEntry{1, 0, 0, 0, {}, 3};  // x = 0: glyph to the left
    sc.entries[2] = SuptEntry{4, 0, 0, 0, {}, 3};  // x = 6: to the right
    DrawSupportSymbols(*model, 1, 3.0, 0);
    const auto recs = Parse();
    std::vector<double> angles, xs;
    for (const Rec& r : recs) {
        if (r.kind == "font") angles.push_back(r.v[2]);
        if (r.kind == "text" && r.text == "△"_sj) xs.push_back(r.v[0]);
    }
    ASSERT_EQ(xs.size(), 2u);
    EXPECT_LT(xs[0], WorldToDevX(0) + 1);
    EXPECT_GT(xs[1], WorldToDevX(6) - 1);
    bool plus = false, minus = false;
    for (double a : angles) plus = plus || a == 900, minus = minus || a == 2700 || a == -900;
    EXPECT_TRUE(plus);
    EXPECT_TRUE(minus);
}

TEST_F(PortalFigure, SpringGlyphEveryFiveDrawnMillimetres) {
    // The beam (6 m) on the spring case of load case 1.
    model->springCaseCount = 1;
    model->springCases[1].no = 1;
    model->springCases[1].count = 1;
    model->springCases[1].entries[1].memberNo = 2;
    model->loadCases[1].baneCaseNo = 1;
    // 6 m at 100 px/m = 600 px = 135 mm: n = 27, 26 glyphs.
    DrawSpringCase(*model, 1, 2.5);
    EXPECT_EQ(Texts(Parse(), "§"_sj).size(), 26u);
    // 12 drawn mm: n = 2, one glyph at the midpoint.
    PoolClear();
    PoolSelectPage(0);
    G_SetWindow(0, 0, 180, 135, 0, 135 * 0.5, 180 * 0.5, 0);  // 2 mm per m
    DrawSpringCase(*model, 1, 2.5);
    EXPECT_NEAR(std::fabs(WorldLenToMmX(6)), 12, 1e-9);
    const auto one = Texts(Parse(), "§"_sj);
    ASSERT_EQ(one.size(), 1u);
    model->loadCases[1].baneCaseNo = 0;
    PoolClear();
    PoolSelectPage(0);
    DrawSpringCase(*model, 1, 2.5);
    EXPECT_TRUE(Texts(Parse(), "§"_sj).empty());
}

TEST_F(PortalFigure, RigidZoneLabelOnlyWhenItFits) {
    // 12.1 px text here is 12.1 x 180 / 800 mm; a label "10" needs 2 x h/2.
    model->members[2].rigidI = 0.010f;  // 1 px long: no label
    model->members[2].rigidJ = 0.500f;  // 50 px: "500" fits
    DrawRigidZones(*model, 3);
    const auto recs = Parse();
    EXPECT_TRUE(Texts(recs, "1").empty());
    EXPECT_EQ(Texts(recs, "5").size(), 1u);
    EXPECT_EQ(Segments(recs).size(), 2u);
    EXPECT_EQ(recs.back().kind, "pen-width");  // the weight is set back
}

TEST_F(PortalFigure, MemberNumbersBesideTheirMembers) {
    SetFontDevPx(12, 6, 2, 1, 0, 0);
    DrawMemberNumbers(*model);
    const auto recs = Parse();
    const auto bracket = Texts(recs, "[");
    ASSERT_EQ(bracket.size(), 3u);
    // Column at x = 0: right of it; beam: below the line; column at 6: left.
    EXPECT_GT(bracket[0].v[0], WorldToDevX(0));
    EXPECT_NEAR(bracket[1].v[1], WorldToDevY(4), 2);  // hanging from the line
    EXPECT_LT(bracket[2].v[0], WorldToDevX(6) - 12);
    EXPECT_EQ(Texts(recs, "2").size(), 1u);
}

// With the section texts shown, each member's number moves along its
// member out of their block instead of being written over "…e-03I".
TEST_F(PortalFigure, MemberNumbersKeepClearOfTheSectionTexts) {
    BeginFigureLabels();
    SetFontDevPx(12, 6, 2, 1, 0, 0);
    DrawSectionLabels(*model);
    SetFontDevPx(12, 6, 2, 1, 0, 0);
    DrawMemberNumbers(*model);
    EndFigureLabels();
    // Text is recorded a character at a time from its top-left corner, in
    // a 12 px high font 6 px a byte wide; the numbers are the green ones.
    struct Box {
        double x0, y0, x1, y1;
    };
    std::vector<Box> sections, numbers;
    unsigned colour = 0;
    for (const Rec& r : Parse()) {
        if (r.kind == "font-colour") colour = static_cast<unsigned>(r.v[0]);
        if (r.kind != "text" || r.text.empty()) continue;
        const Box b{r.v[0], r.v[1], r.v[0] + 6.0 * r.text.size(), r.v[1] + 12};
        (colour == 0x008000 ? numbers : sections).push_back(b);
    }
    ASSERT_EQ(sections.size(), 9u * 10);  // "2.500e-01A" and the like
    ASSERT_EQ(numbers.size(), 3u * 3);    // "[1]" to "[3]"
    for (const Box& n : numbers)
        for (const Box& t : sections)
            EXPECT_FALSE(n.x0 < t.x1 && t.x0 < n.x1 && n.y0 < t.y1 && t.y0 < n.y1)
                << "number at " << n.x0 << "," << n.y0 << " over a section text at " << t.x0 << ","
                << t.y0;
}

TEST_F(PortalFigure, BandsOfSteepMembersLieOnTop) {
    DrawMemberBands(*model);
    std::vector<Rec> polys;
    for (const Rec& r : Parse())
        if (r.kind == "polygon") polys.push_back(r);
    ASSERT_EQ(polys.size(), 3u);
    // The beam (flat) first, its band 0.28 m = 28 px wide.
    EXPECT_NEAR(std::fabs(polys[0].v[2] - polys[0].v[8]), 28, 1.01);
    EXPECT_NEAR(std::fabs(polys[1].v[1] - polys[1].v[7]), 25, 1.01);
}

TEST_F(PortalFigure, EmptyModelDrawsNothing) {
    auto empty = NewFrameModelRecord();
    DrawMemberBands(*empty);
    DrawMembers(*empty);
    DrawSupportSymbols(*empty, 1, 3, 0);
    DrawSectionLabels(*empty);
    DrawMemberNumbers(*empty);
    DrawNodeNumbers(*empty);
    DrawNodes(*empty, 7);
    DrawViewPoints(*empty);
    for (const Rec& r : Parse())
        EXPECT_TRUE(r.kind != "line" && r.kind != "text" && r.kind != "polygon") << r.kind;
}

// A left-ruler label ends, by the width the font really gives it, two
// pixels short of its tick (x = 36 to 42): the tick never strikes through
// its last character ("0.0" read as 「0.θ」).
TEST_F(PortalFigure, LeftRulerLabelsEndClearOfTheirTicks) {
    DrawRulers(800, 600, false);
    TCanvas* canvas = G_GetCanvas();
    ASSERT_NE(canvas, nullptr);
    int labels = 0;
    for (const Rec& r : Parse()) {
        if (r.kind != "text" || r.v[0] >= 43 || r.v[1] > 600 - 20) continue;
        const double right = r.v[0] + canvas->TextWidth(r.text);
        EXPECT_LE(right, 36.0 - 2 + 0.5) << r.text << " at y " << r.v[1];
        ++labels;
    }
    EXPECT_GT(labels, 4);
}

// A label the left band or an edge would cut is left out: "-4m" with its
// minus under the left band read "4m", "10m" cut at the right edge "1".
TEST_F(PortalFigure, RulerLabelsAreWholeOrNotThere) {
    // x = 0 m at 45 px and 7.5 m at 795 px: labels centred there would
    // reach under the band and past the right edge.
    StartScreen(*bitmap, -0.45, -1, 7.55, 5);
    DrawRulers(800, 600, false);
    TCanvas* canvas = G_GetCanvas();
    ASSERT_NE(canvas, nullptr);
    int bottom = 0;
    for (const Rec& r : Parse()) {
        if (r.kind != "text") continue;
        if (r.v[1] > 600 - 20) {  // a character of a bottom label
            EXPECT_GE(r.v[0], 43) << r.text << " under the left band";
            EXPECT_LE(r.v[0] + canvas->TextWidth(r.text), 800)
                << r.text << " cut at the right edge";
            ++bottom;
        } else {
            EXPECT_GE(r.v[1], 0) << r.text << " cut at the top";
        }
    }
    EXPECT_GT(bottom, 10);
}

TEST_F(PortalFigure, RulersSurviveAbsurdViews) {
    DrawRulers(800, 600, false);
    // Labels of 8 cells of 6 px need 96 px: at 100 px/m the step is 0.5 m.
    std::string all;
    for (const std::string& line : PoolPageText(0)) all += line + "|";
    for (const char* label : {"-0.5", "0.0", "0.5", "1.0", "4.5"})
        EXPECT_NE(all.find(label), std::string::npos) << label;
    EXPECT_EQ(all.find("0.25"), std::string::npos);
    // A window a billion metres from the origin at 1 mm per pixel: no hang.
    G_SetWindow(0, 0, 180, 135, 1e9, 1e9 + 0.15, 1e9 + 0.2, 1e9);
    PoolClear();
    PoolSelectPage(0);
    DrawRulers(800, 600, true);
    SUCCEED();
}

}  // namespace
