// The figure view without its window: switches, painting the whole
// figure, fitting, pan, wheel zoom with its limits, the diagram scale,
// picking a member, and a golden picture of the portal's moment diagram.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/figure_diagrams.h"
#include "app/figure_view.h"
#include "platform/sjis_literal.h"
#include "test_figure_util.h"
#include "tests/case_output.h"

namespace {

constexpr int kW = 800, kH = 600;

class PortalView : public ::testing::Test {
  protected:
    void SetUp() override {
        model = LoadPortal();
        bitmap = std::make_unique<TBitmap>(kW, kH);
        FigureView = FigureViewData{};
        DiagramScale = DiagramScaleState{};
        ctx.model = model.get();
        ctx.selection.supportCase = 1;
        ctx.switches = ReadDisplaySwitches(FigureSwitchBoxes{});
        FigurePaint1Paint(ctx, *bitmap, kW, kH);
    }
    void TearDown() override { PoolRecording = false; }
    // Device point of a world point in the fitted view.
    void ToDevice(double x, double y, int& dx, int& dy) {
        G_RestoreState(FigureView.state);
        dx = static_cast<int>(std::lround(WorldToDevX(x)));
        dy = static_cast<int>(std::lround(WorldToDevY(y)));
    }
    double PixelsPerMetre() {
        G_RestoreState(FigureView.state);
        return std::fabs(WorldLenToDevX(1));
    }
    void Wheel(int delta, bool shift = false) {
        FigureView.wheelSkip = 0;
        FigureWheel(delta, shift, [] {});
    }
    std::unique_ptr<FrameModel> model;
    std::unique_ptr<TBitmap> bitmap;
    FigureContext ctx;
};

TEST(DisplaySwitches, DefaultsAndDependentBits) {
    const DisplaySwitchState d = ReadDisplaySwitches(FigureSwitchBoxes{});
    // 断面積, 格点No, 部材No and the two fixed bits; 支点ﾏｰｸ and 着目点.
    EXPECT_EQ(d.bytes[0], 0x01 | 0x04 | 0x08 | 0x40 | 0x80);
    EXPECT_EQ(d.bytes[1], 0x03);
    EXPECT_EQ(d.bytes[2], 0x00);
    FigureSwitchBoxes b;
    b.section = false;
    b.sectionText = true;  // the labels need the bands
    b.reactions = true;
    const DisplaySwitchState s = ReadDisplaySwitches(b);
    EXPECT_FALSE(s.SectionText());
    EXPECT_TRUE(s.Reactions());
}

TEST_F(PortalView, FitShowsTheWholeFrameInsideTheMargins) {
    int x1, y1, x2, y2;
    ToDevice(0, 0, x1, y1);
    ToDevice(6, 4, x2, y2);
    EXPECT_GE(x1, 40 + 30 * kW / 180);  // right of the ruler band and margin
    EXPECT_LE(x2, 150 * kW / 180);
    EXPECT_LT(y2, y1);
    EXPECT_LE(y1, kH - 20);
    EXPECT_NEAR(FigureView.fitPixelWorld * PixelsPerMetre(), 1.0, 1e-9);
}

// The fitted view leaves room around the structure for a diagram and its
// value labels, whatever the structure's shape: every value of the moment
// diagram lies right of the left ruler band and above the bottom one. A
// wide frame used to put its column's values under the left ruler.
TEST(FigureFit, DiagramValuesStayClearOfTheRulers) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> nodes;
    } cases[] = {
        {"wide portal", {{0, 0}, {0, 4}, {24, 4}, {24, 0}}},
        {"beam", {{0, 0}, {10, 0}, {20, 0}}},
        {"column", {{0, 0}, {0, 6}}},
    };
    for (const Case& c : cases) {
        // Members from node to node, fixed at the first node and pinned at
        // the last one (a cantilever for two nodes), pushed at node 2.
        auto model = SimpleBeam({Load(kLoadNodal, 2, 30, -50)});
        FrameModel& m = *model;
        const int n = static_cast<int>(c.nodes.size());
        m.nodeCount = n;
        for (int k = 1; k <= n; ++k)
            m.nodes[k] = {k,
                          static_cast<float>(c.nodes[k - 1].first),
                          static_cast<float>(c.nodes[k - 1].second),
                          {}};
        m.memberCount = n - 1;
        for (int k = 1; k < n; ++k) {
            m.members[k] = m.members[1];
            m.members[k].no = k;
            m.members[k].nodeI = k;
            m.members[k].nodeJ = k + 1;
        }
        SuptCase& sc = m.supportCases[1];
        sc.entries[1].code = kSupportFixed;
        sc.entries[1].kx = sc.entries[1].ky = sc.entries[1].km = -1;
        sc.count = n > 2 ? 2 : 1;
        sc.entries[2].nodeNo = n;
        PrepareMemberLoads(m);
        FrameResults& r = Analyse(m);
        TBitmap bitmap(800, 600);
        FigureView = FigureViewData{};
        FigureContext ctx;
        ctx.model = &m;
        ctx.results = &r;
        FigureFitView(ctx, bitmap, 800, 600);
        PoolRecording = true;
        PoolClear();
        PoolSelectPage(0);
        G_RestoreState(FigureView.state);
        DrawMSNDiagram(r, m, CaseBlockIndex(1), kQtyM, 0, 1.0, 2);
        PoolRecording = false;
        int texts = 0;
        for (const Rec& t : Parse()) {
            if (t.kind != "text" && t.kind != "line") continue;
            texts += t.kind == "text";
            EXPECT_GE(t.v[0], 43) << c.what << " " << t.kind << " " << t.text;
            EXPECT_LE(t.v[0], 800) << c.what;
            EXPECT_GE(t.v[1], 0) << c.what;
            EXPECT_LE(t.v[1], 600 - 20) << c.what;
        }
        EXPECT_GT(texts, 0) << c.what;
    }
    // A single node: the view is fitted around it.
    auto one = NewFrameModelRecord();
    one->nodeCount = 1;
    one->nodes[1] = {1, 3, 2, {}};
    TBitmap bitmap(800, 600);
    FigureView = FigureViewData{};
    FigureContext ctx;
    ctx.model = one.get();
    FigureFitView(ctx, bitmap, 800, 600);
    G_RestoreState(FigureView.state);
    // Centred between the left margin (30 mm and 40 px) and 150 mm.
    EXPECT_NEAR(WorldToDevX(3), (30 + 7200.0 / 800 + 150) / 2 * 800 / 180, 1);
    EXPECT_NEAR(std::fabs(CurrentGraphics.window.mmPerUnitX),
                std::fabs(CurrentGraphics.window.mmPerUnitY), 1e-9);
}

TEST_F(PortalView, WheelZoomKeepsThePointUnderTheMouse) {
    FigureMouseMove(500, 250, false, nullptr);
    G_RestoreState(FigureView.state);
    const double wx = DevToWorldX(500), wy = DevToWorldY(250);
    const double before = PixelsPerMetre();
    Wheel(120);
    EXPECT_NEAR(PixelsPerMetre(), before * 1.1, 1e-9 * before);
    G_RestoreState(FigureView.state);
    EXPECT_NEAR(DevToWorldX(500), wx, 1e-9);
    EXPECT_NEAR(DevToWorldY(250), wy, 1e-9);
    Wheel(-120, true);  // Shift: a fine step
    EXPECT_NEAR(PixelsPerMetre(), before * 1.1 / 1.005, 1e-9 * before);
}

TEST_F(PortalView, ZoomStopsAtItsLimits) {
    FigureMouseMove(400, 300, false, nullptr);
    for (int k = 0; k < 300; ++k) Wheel(-120);
    EXPECT_NEAR(PixelsPerMetre() * 0.2, 1.0, 1e-9);  // 0.2 m per pixel
    for (int k = 0; k < 300; ++k) Wheel(120);
    EXPECT_NEAR(PixelsPerMetre() * 0.0001, 12.0, 1e-9);  // 0.0001 m = 12 px
}

TEST_F(PortalView, AfterASlowRepaintEveryNotchStillZoomsAndOnlyThePaintWaits) {
    FigureMouseMove(400, 300, false, nullptr);
    const double before = PixelsPerMetre();
    FigureView.wheelSkip = 2;
    int paints = 0;
    FigureWheel(120, false, [&] { ++paints; });
    FigureWheel(-120, false, [&] { ++paints; });
    EXPECT_EQ(paints, 0);
    EXPECT_NEAR(PixelsPerMetre(), before, 1e-9 * before);  // in and out again
    FigureWheel(120, false, [&] { ++paints; });
    EXPECT_EQ(paints, 1);
    EXPECT_NEAR(PixelsPerMetre(), before * 1.1, 1e-9 * before);
    EXPECT_TRUE(FigureRedrawDue(FigureView.redrawDeadline));
    EXPECT_FALSE(FigureRedrawDue(FigureView.redrawDeadline + 500));  // once only
}

TEST_F(PortalView, AViewFittedPastALimitNeverZoomsTheOtherWay) {
    FigureMouseMove(400, 300, false, nullptr);
    // A frame so wide that 0.2 m is already under a pixel in the fitted view.
    G_RestoreState(FigureView.state);
    G_ZoomAt(400, 300, 0.5 / (PixelsPerMetre() * 0.2));
    G_SaveState(FigureView.state);
    const double wide = PixelsPerMetre();
    Wheel(-120);
    EXPECT_NEAR(PixelsPerMetre(), wide, 1e-9 * wide);  // out: stays, not 2x in
    Wheel(120);
    EXPECT_NEAR(PixelsPerMetre(), wide * 1.1, 1e-9 * wide);
    // And at the near limit, a step in stays.
    G_RestoreState(FigureView.state);
    G_ZoomAt(400, 300, 20 / (PixelsPerMetre() * 0.0001));
    G_SaveState(FigureView.state);
    const double close = PixelsPerMetre();
    Wheel(120);
    EXPECT_NEAR(PixelsPerMetre(), close, 1e-9 * close);
    Wheel(-120);
    EXPECT_NEAR(PixelsPerMetre(), close / 1.1, 1e-9 * close);
}

TEST_F(PortalView, RulerBandWheelSetsTheDiagramScaleWithinItsRange) {
    FigureMouseMove(20, 300, false, nullptr);
    const double before = PixelsPerMetre();
    Wheel(120);
    EXPECT_NEAR(DiagramScale.value, 1.03, 1e-12);
    EXPECT_NEAR(PixelsPerMetre(), before, 1e-9 * before);  // no zoom
    for (int k = 0; k < 200; ++k) Wheel(120);
    EXPECT_DOUBLE_EQ(DiagramScale.value, 10.0);
    for (int k = 0; k < 400; ++k) Wheel(-120);
    EXPECT_DOUBLE_EQ(DiagramScale.value, 0.09);
}

TEST_F(PortalView, PanMovesTheViewByTwiceTheMouse) {
    int x, y;
    ToDevice(3, 4, x, y);
    int repaints = 0;
    FigureMouseDown(100, 100);
    EXPECT_TRUE(FigureMouseMove(110, 95, true, [&] { ++repaints; }));
    EXPECT_EQ(repaints, 1);
    int x2, y2;
    ToDevice(3, 4, x2, y2);
    EXPECT_EQ(x2 - x, 20);
    EXPECT_EQ(y2 - y, -10);
}

TEST_F(PortalView, ClickPicksTheNearestMemberWithinReach) {
    int bx, by;
    ToDevice(3, 4, bx, by);  // beam midpoint
    const struct {
        int pressDx, pressDy, releaseDx, releaseDy;
        int expected;
    } cases[] = {
        {0, 7, 0, 7, 2},    // 7 px below the beam
        {0, 7, 7, 14, 2},   // released 7 px away: still a click
        {0, 7, 8, 7, 0},    // 8 px away: a drag
        {0, 30, 0, 30, 0},  // beyond 24 px of every member
    };
    for (const auto& c : cases) {
        FigureMouseDown(bx + c.pressDx, by + c.pressDy);
        EXPECT_EQ(FigureMouseUp(*model, bx + c.releaseDx, by + c.releaseDy), c.expected)
            << c.pressDy << " " << c.releaseDx;
    }
    // A member lying on the beam: equal distances go to the earlier member.
    model->memberCount = 4;
    model->members[4] = model->members[2];
    model->members[4].no = 4;
    FigureMouseDown(bx, by + 5);
    EXPECT_EQ(FigureMouseUp(*model, bx, by + 5), 2);
}

TEST_F(PortalView, CaptionOnlyWithResults) {
    ctx.selection.loadCase = 1;
    auto captionDrawn = [&]() {
        PoolRecording = true;
        PoolClear();
        PoolSelectPage(0);
        PaintFigure(ctx, *bitmap, kW, kH, nullptr);
        PoolRecording = false;
        return !Texts(Parse(), "ｹ"_sj).empty();
    };
    EXPECT_FALSE(captionDrawn());
    FrameResults& r = Analyse(*model);
    ctx.results = &r;
    EXPECT_TRUE(captionDrawn());
    ctx.selection.loadCase = 9;  // no such case: nothing of the results
    EXPECT_FALSE(captionDrawn());
}

TEST_F(PortalView, SelectedMemberIsYellow) {
    ctx.selection.memberFirst = 2;
    PaintFigure(ctx, *bitmap, kW, kH, nullptr);
    int x, y;
    ToDevice(4.5, 4, x, y);
    EXPECT_EQ(bitmap->Pixel(x, y + 3), 0x00FFFFu);
    ToDevice(0, 2, x, y);  // column 1 not selected
    EXPECT_NE(bitmap->Pixel(x + 3, y), 0x00FFFFu);
}

TEST_F(PortalView, SupportsAndLoadsWhereTheyBelong) {
    ctx.selection.loadCase = 1;
    FigureSwitchBoxes b;
    b.loads = true;
    ctx.switches = ReadDisplaySwitches(b);
    PaintFigure(ctx, *bitmap, kW, kH, nullptr);
    // The point load of 50 kN at 2 m on the beam: its blue arrow above.
    int x, y;
    ToDevice(2, 4, x, y);
    auto blue = [&](int px, int py) {
        for (int dx = -2; dx <= 2; ++dx) {
            const std::uint32_t c = bitmap->Pixel(px + dx, py);
            if ((c >> 16 & 0xFF) > 180 && (c & 0xFF) < 90 && (c >> 8 & 0xFF) < 90) return true;
        }
        return false;
    };
    int above = 0, below = 0;
    for (int dy = 5; dy < 40; ++dy) above += blue(x, y - dy), below += blue(x, y + dy);
    EXPECT_GT(above, 25);
    EXPECT_EQ(below, 0);
    // The fixed base and the pin: their glyphs just below nodes 1 and 4.
    for (double nx : {0.0, 6.0}) {
        ToDevice(nx, 0, x, y);
        int ink = 0;
        for (int dy = 8; dy < 40; ++dy)
            for (int dx = -8; dx <= 8; ++dx) {
                const std::uint32_t c = bitmap->Pixel(x + dx, y + dy);
                ink += (c & 0xFF) < 110 && (c >> 8 & 0xFF) < 110 && (c >> 16 & 0xFF) < 110;
            }
        EXPECT_GT(ink, 10) << nx;
    }
}

// A value written where a node number stands read as one number with it
// ("30.000" and "2" as "30.0002"): the values keep clear of node numbers.
TEST_F(PortalView, LoadValuesKeepClearOfNodeNumbers) {
    ctx.selection.loadCase = 2;  // 30 kN pushing node 2, and a load on the column below it
    FigureSwitchBoxes b;
    b.loads = true;
    b.nodeNumbers = true;
    ctx.switches = ReadDisplaySwitches(b);
    PoolRecording = true;
    PoolClear();
    PoolSelectPage(0);
    PaintFigure(ctx, *bitmap, kW, kH, nullptr);
    PoolRecording = false;
    int nx, ny;
    ToDevice(0, 4, nx, ny);  // node 2
    // Character cells of the figure's 12 px font, in drawing order.
    struct Cell {
        double x1, y1, x2, y2;
        std::string text;
    };
    std::vector<Cell> cells;
    for (const Rec& r : Parse())
        if (r.kind == "text" && !r.text.empty())
            cells.push_back({r.v[0], r.v[1], r.v[0] + 6, r.v[1] + 12, r.text});
    const auto number = std::find_if(cells.begin(), cells.end(), [&](const Cell& c) {
        return c.text == "2" && std::fabs(c.x1 + 3 - nx) < 8 && c.y2 <= ny + 1 && c.y2 > ny - 20;
    });
    ASSERT_NE(number, cells.end()) << "node 2 has no number above it";
    bool valueDrawn = false;
    for (const Cell& c : cells) {
        if (&c == &*number) continue;
        valueDrawn |= c.text == "3" || c.text.find("30") != std::string::npos;
        // Cells side by side read as one word: a gap of half a cell at least.
        const double gap = 3;
        const bool apart = c.x2 + gap <= number->x1 || c.x1 >= number->x2 + gap ||
                           c.y2 <= number->y1 || c.y1 >= number->y2;
        EXPECT_TRUE(apart) << "\"" << c.text << "\" at (" << c.x1 << ", " << c.y1
                           << ") covers node 2's number";
    }
    EXPECT_TRUE(valueDrawn);
}

// The golden picture: a small tolerance for anti-aliasing; on a mismatch
// the picture and a difference map are written to the output folder.
TEST_F(PortalView, MomentDiagramMatchesTheGoldenPicture) {
    FrameResults& r = Analyse(*model);
    ctx.results = &r;
    ctx.selection.loadCase = 1;
    FigureSwitchBoxes b;
    b.forceM = true;
    ctx.switches = ReadDisplaySwitches(b);
    TBitmap shot(640, 480);
    FigureView = FigureViewData{};
    FigureFitView(ctx, shot, 640, 480);
    const std::string golden = std::string(TEST_DATA_DIR) + "/app/portal_moment.png";
    const std::string out = CaseOutputDir() + "/portal_moment.png";
    TBitmap expected;
    if (!expected.LoadFromFile(golden)) {
        shot.SaveToFile(out);
        GTEST_SKIP() << "no golden picture; written " << out;
    }
    ASSERT_EQ(expected.Width(), 640);
    ASSERT_EQ(expected.Height(), 480);
    TBitmap diff(640, 480);
    int bad = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t a = shot.Pixel(x, y), e = expected.Pixel(x, y);
            int d = 0;
            for (int s = 0; s < 24; s += 8)
                d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((e >> s) & 0xFF)));
            if (d > 48) {
                ++bad;
                diff.SetPixel(x, y, 0x0000FF);
            }
        }
    if (bad > 640 * 480 / 200) {
        shot.SaveToFile(out);
        diff.SaveToFile(CaseOutputDir() + "/portal_moment_diff.png");
    }
    EXPECT_LE(bad, 640 * 480 / 200) << "see " << out;
}

}  // namespace
