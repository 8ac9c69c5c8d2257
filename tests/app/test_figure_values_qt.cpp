// Every value the figure owes the user is drawn, legible and beside what it
// belongs to: each member's largest moment always, the lesser values where
// there is room (and a note saying how many were left out when not), load
// values upright and on their own member, merged loads showing only values
// the user gave, and a load over a run drawn where the analysis puts it.
#include <cmath>
#include <set>

#include "app/figure_diagrams.h"
#include "app/figure_loads.h"
#include "app/figure_view.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "test_figure_util.h"
#include "tests/model/model_builder.h"

namespace {

// As the calculate command does it (named so as not to meet the engine
// tests' helper of the same shape).
FrameResults& Solve(FrameModel& model) {
    FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    auto copy = NewFrameModelRecord();
    *copy = model;
    EXPECT_TRUE(RunFrameAnalysis(*r, *copy, false, false, 20));
    SetResultPoints(*r, model);
    return *r;
}

// Two 6 m bays, two 3.5 m storeys, fixed feet; beams under 20 kN/m (case 1),
// floors pushed by 30 and 15 kN (case 2); combination 1 adds both.
ModelBuilder TwoBayFrame() {
    ModelBuilder b;
    for (int s = 0; s < 3; ++s)
        for (int c = 0; c < 3; ++c) b.Node(1 + 3 * s + c, 6.0 * c, 3.5 * s);
    b.Material(1, 2.05e8).Section(1, 0.16, 0.0021);
    for (int c = 0; c < 6; ++c) b.Member(c + 1, c + 1, c + 4);  // columns 1-6
    b.Member(7, 4, 5).Member(8, 5, 6).Member(9, 7, 8).Member(10, 8, 9);
    for (int n = 1; n <= 3; ++n) b.Support(1, n, kSupportFixed);
    for (int m = 7; m <= 10; ++m) b.Load(1, kLoadDistY, m, -20, -20);
    b.NodalLoad(2, 4, 30, 0).NodalLoad(2, 7, 15, 0);
    b.Combination(1, 1.0, {{1, 1.0}, {2, 1.0}});
    for (int m = 7; m <= 10; ++m) DivideMember(b, m, 6.0, 4);
    PrepareMemberLoads(b.model());
    return b;
}

std::string Value3(double v) { return FormatStr("%.3f", std::round(v * 1000) / 1000 + 0.0); }

// The screen figure of one case painted into a recording, as its runs.
std::vector<std::string> PaintRuns(FrameModel& model, const FrameResults& r, int loadCase,
                                   int combination, FigureSwitchBoxes boxes, int width = 800,
                                   int height = 600) {
    TBitmap bitmap(width, height);
    FigureView = FigureViewData{};
    DiagramScale = DiagramScaleState{};
    InvalidateLoadCache(model);
    FigureContext ctx;
    ctx.model = &model;
    ctx.results = &r;
    ctx.selection.supportCase = 1;
    ctx.selection.loadCase = loadCase;
    ctx.selection.combination = combination;
    ctx.switches = ReadDisplaySwitches(boxes);
    PoolRecording = true;
    PoolClear();
    PoolSelectPage(0);
    TextSuppressed = false;
    FigureFitView(ctx, bitmap, width, height);
    PoolRecording = false;
    // FIGURE_SHOTS=dir keeps the pictures for a person to look at.
    static int shot = 0;
    if (const char* dir = std::getenv("FIGURE_SHOTS")) {
        FigurePaint1Paint(ctx, bitmap, width, height);
        bitmap.SaveToFile(std::string(dir) + "/figure-" + std::to_string(++shot) + ".png");
    }
    return TextRuns(Parse());
}

}  // namespace

// Each member's largest |M| stands in the figure whatever else is shown,
// and a value that found no place is never dropped in silence. Before, the
// two-bay frame's -143.982 at the right end of beam 7 was hidden behind a
// member number and the column's end values, the portal's M-max vanished
// once the loads were shown, and nine of 33 values were gone unannounced.
TEST(FigureValues, LargestMomentOfEveryMemberIsDrawnAndLeftOutValuesAreCounted) {
    ModelBuilder frame = TwoBayFrame();
    FrameModel& fm = frame.model();
    std::unique_ptr<FrameModel> portal = LoadPortal();
    FigureSwitchBoxes m;
    m.forceM = true;
    FigureSwitchBoxes mLoads = m;
    mLoads.loads = true;
    struct Row {
        const char* what;
        FrameModel* model;
        int loadCase, combination;
        FigureSwitchBoxes boxes;
        int width, height;
    } rows[] = {
        {"two-bay combination", &fm, 0, 1, m, 800, 600},
        {"two-bay combination, small", &fm, 0, 1, m, 400, 300},
        {"two-bay case 1 with loads", &fm, 1, 0, mLoads, 800, 600},
        {"portal case 1 with loads", portal.get(), 1, 0, mLoads, 800, 600},
    };
    for (const Row& row : rows) {
        const FrameResults& r = Solve(*row.model);
        const std::vector<std::string> runs = PaintRuns(
            *row.model, r, row.loadCase, row.combination, row.boxes, row.width, row.height);
        const int block = row.loadCase ? CaseBlockIndex(row.loadCase) : ComboBlockIndex(r, 1);
        std::set<std::string> missing;
        for (int k = 1; k <= r.memberCount; ++k) {
            const MemberResult& mr = r.block[block].members[k];
            double top = 0;
            for (int p = 1; p <= r.member[k].pointCount + 2; ++p) {
                const double v = mr.values[kQtyM][p];
                if (std::fabs(v) > std::fabs(top)) top = v;
                const bool labelled =
                    p <= r.member[k].pointCount &&
                    (r.member[k].pointKind[p] == 2 ||
                     !Trim(std::string(r.member[k].pointLabel[p],
                                       strnlen(r.member[k].pointLabel[p], kPointLabelBytes)))
                          .empty());
                if (labelled && !HasRun(runs, Value3(v))) missing.insert(Value3(v));
            }
            EXPECT_TRUE(HasRun(runs, Value3(top)))
                << row.what << ": member " << k << " largest " << Value3(top);
        }
        if (!missing.empty())
            EXPECT_TRUE(HasRun(runs, "重なる数値"_sj))
                << row.what << ": " << missing.size() << " values left out without a note, e.g. "
                << *missing.begin();
    }
}
