// The report's figure boxes: with a drawer set, the report fits the
// structure's extents into each box (world y up, aspect kept) and calls the
// drawer once per printed load case and three times (M, S, N) per
// combination; without one, the boxes are left framed and empty.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "model/analysis_driver.h"
#include "report/graphics.h"
#include "report/report_figures.h"
#include "report_body_util.h"
#include "tests/model/model_builder.h"

namespace {

struct Call {
    int loadCase = 0;
    int block = 0;
    int quantity = -1;
    double left, right, top, bottom;  // paper mm of the extents
    double scaleX = 0, scaleY = 0;    // mm per m
};

class RecordingDrawer : public ReportFigureDrawer {
public:
    std::vector<Call> calls;
    double reach = 0;
    double DiagramReach(const FrameResults&) override { return reach; }
    void DrawLoadFigure(const FrameModel&, int loadCaseIndex) override {
        calls.push_back(Box(Call{loadCaseIndex, 0, -1, 0, 0, 0, 0}));
    }
    void DrawResultDiagram(const FrameResults&, const FrameModel&, int block,
                           ReportDiagram quantity) override {
        calls.push_back(Box(Call{0, block, quantity, 0, 0, 0, 0}));
    }

private:
    static Call Box(Call c) {
        const ReportExtentsData& e = ReportExtents;
        c.left = WorldToMmX(e.minX);
        c.right = WorldToMmX(e.maxX);
        c.top = WorldToMmY(e.maxY);
        c.bottom = WorldToMmY(e.minY);
        c.scaleX = CurrentGraphics.window.mmPerUnitX;
        c.scaleY = CurrentGraphics.window.mmPerUnitY;
        return c;
    }
};

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

}  // namespace

TEST(ReportFigures, DrawerGetsFittedBoxes) {
    ModelBuilder b = Portal();
    FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    *copy = b.model();
    ASSERT_TRUE(RunFrameAnalysis(*r, *copy, false, false, 20));
    SetResultPoints(*r, b.model());
    RecordingDrawer drawer;
    SetReportFigureDrawer(&drawer);
    ComposeReport(b.model(), r, nullptr);
    SetReportFigureDrawer(nullptr);
    ASSERT_EQ(drawer.calls.size(), 2u + 3u);
    EXPECT_EQ(drawer.calls[0].loadCase, 1);
    EXPECT_EQ(drawer.calls[1].loadCase, 2);
    for (int q = 0; q < 3; ++q) {
        EXPECT_EQ(drawer.calls[2 + q].quantity, q);
        EXPECT_EQ(drawer.calls[2 + q].block, ComboBlockIndex(*r, 1));
    }
    // Load figures: 80 mm wide boxes; the 2:1 frame fills the width, 40 mm
    // high, centred in the 50 mm box height; world y points up.
    const Call& l = drawer.calls[0];
    EXPECT_NEAR(l.left, 50.0, 1e-6);
    EXPECT_NEAR(l.right, 130.0, 1e-6);
    EXPECT_NEAR(l.bottom - l.top, 40.0, 1e-6);
    // Diagrams: 110 x 50 mm boxes; the frame is limited by the height.
    const Call& d = drawer.calls[2];
    EXPECT_NEAR(d.bottom - d.top, 50.0, 1e-6);
    EXPECT_NEAR(d.right - d.left, 100.0, 1e-6);
    EXPECT_NEAR((d.left + d.right) / 2, 90.0, 1e-6);
}

TEST(ReportFigures, WithoutDrawerBoxesAreFramed) {
    ModelBuilder b = Portal();
    SetReportFigureDrawer(nullptr);
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    ASSERT_GE(pages, 3);
    // The first load case's page holds the four sides of the 80 x 50 mm box
    // (x 50-130 mm): lines ending at x = 130 mm and x = 50 mm.
    int right = 0, left = 0;
    for (int k = 1; k <= pages; ++k)
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() < 3 || (w[0] != "line" && w[0] != "move")) continue;
            const double x = std::atof(w[1].c_str());
            right += std::fabs(x - 1300.0) <= 2;
            left += std::fabs(x - 500.0) <= 2;
        }
    EXPECT_GE(right, 2);
    EXPECT_GE(left, 2);
}

// Members on one line (a continuous beam, a single column) get one scale on
// both axes like any frame, and the diagram figure leaves room beside the
// members for the diagram (its reach) and its value labels (13 mm) inside
// the band from 11 mm below the figure's title line to 118 mm, 8 mm from
// the body's edges.
TEST(ReportFigures, FlatAndUprightStructuresKeepEqualScalesAndRoom) {
    struct Case {
        const char* what;
        double x2, y2;  // the second node; the first is at the origin
        double reach;   // m
    } cases[] = {{"beam", 20, 0, 2.0}, {"column", 0, 6, 1.5}, {"portal-like", 6, 3, 1.5}};
    for (const Case& c : cases) {
        ModelBuilder b;
        b.Node(1, 0, 0)
            .Node(2, c.x2, c.y2)
            .Material(1, 2.05e8)
            .Section(1, 0.01, 0.0002)
            .Member(1, 1, 2);
        b.Support(1, 1, kSupportFixed);
        b.NodalLoad(1, 2, 1, -1);
        b.Combination(1, 1.0, {{1, 1.0}});
        PrepareMemberLoads(b.model());
        FrameResults* r = AllocateFrameResults();
        ClearFrameResults(*r);
        std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
        *copy = b.model();
        ASSERT_TRUE(RunFrameAnalysis(*r, *copy, false, false, 20)) << c.what;
        SetResultPoints(*r, b.model());
        RecordingDrawer drawer;
        drawer.reach = c.reach;
        SetReportFigureDrawer(&drawer);
        ComposeReport(b.model(), r, nullptr);
        SetReportFigureDrawer(nullptr);
        ASSERT_EQ(drawer.calls.size(), 1u + 3u) << c.what;
        for (const Call& k : drawer.calls) {
            EXPECT_NEAR(k.scaleX, -k.scaleY, 1e-9) << c.what;
            EXPECT_GT(k.scaleX, 1.0) << c.what;  // never squashed to nothing
        }
        // The diagram's band on its page: its top is where the drawer's box
        // says less the room kept above the structure.
        const Call& d = drawer.calls[1];
        const double s = d.scaleX, room = c.reach * s + 13.0;
        EXPECT_GE(d.left - room, 8.0 - 1e-6) << c.what;
        EXPECT_LE(d.right + room, 172.0 + 1e-6) << c.what;
        EXPECT_LE(d.bottom - d.top + 2 * room, 118.0 - 11.0 + 1e-6) << c.what;
        EXPECT_NEAR((d.left + d.right) / 2, 90.0, 1e-6) << c.what;
    }
}
