// Every value the figure owes the user is drawn, legible and beside what it
// belongs to: each member's largest moment always, the lesser values where
// there is room (and a note saying how many were left out when not), load
// values upright and on their own member, merged loads showing only values
// the user gave, and a load over a run drawn where the analysis puts it.
#include <cmath>
#include <cstring>
#include <set>

#include "app/figure_diagrams.h"
#include "app/figure_loads.h"
#include "app/figure_structure.h"
#include "app/figure_view.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/figure_labels.h"
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

namespace {

// A 6 m beam of loads from (0, 0) to (6 cos a, 6 sin a), and the run of
// three members 1-2-3 of 10 m along x when `run` is set.
ModelBuilder LoadedBeam(double angleDeg, std::initializer_list<LoadRecord> loads) {
    ModelBuilder b;
    const double a = angleDeg * M_PI / 180;
    b.Node(1, 0, 0).Node(2, 6 * std::cos(a), 6 * std::sin(a));
    b.Material(1, 2.05e8).Section(1, 0.01, 0.0002).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    for (const LoadRecord& l : loads)
        b.Load(1, l.code, l.memberFrom, l.qI, l.qJ, l.distI, l.distJ, l.memberTo);
    PrepareMemberLoads(b.model());
    return b;
}

// The recorded loads of case 1 drawn at 100 px per m (u = 6 px).
std::vector<Rec> DrawnLoads(FrameModel& model, double x1, double y1, double x2, double y2,
                            const std::string& shot = "") {
    TBitmap bitmap(800, 600);
    StartScreen(bitmap, x1, y1, x2, y2);
    BeginFigureLabels();
    G_SetLineColor(0);
    DrawLoadCase(model, 1, 0, 1.0);
    EndFigureLabels();
    StopRecording();
    if (std::getenv("FIGURE_SHOTS") && !shot.empty()) {
        const std::vector<Rec> recs = Parse();
        FigureSwitchBoxes loads;
        loads.loads = true;
        GraphicsState saved;
        G_SaveState(saved);
        PaintRuns(model, Solve(model), 1, 0, loads);  // the screen figure, kept as a picture
        G_RestoreState(saved);
        return recs;
    }
    return Parse();
}

// A character cell on the device (y down), turned by the font's angle.
struct Cell {
    double x, y, w, h, angle;  // angle in radians, counter-clockwise
    std::string text;
    bool Covers(double px, double py, double margin) const {
        const double ux = std::cos(angle), uy = -std::sin(angle);
        const double a = (px - x) * ux + (py - y) * uy, b = -(px - x) * uy + (py - y) * ux;
        return a > margin && a < w - margin && b > 0.2 * h && b < h - margin;
    }
};

std::vector<Cell> ValueCells(const std::vector<Rec>& recs) {
    std::vector<Cell> out;
    double h = 12, w = 6, angle = 0;
    for (const Rec& r : recs) {
        if (r.kind == "font" && r.v.size() >= 3)
            h = r.v[0], w = r.v[1], angle = r.v[2] / 10 * M_PI / 180;
        if (r.kind == "text" && r.text.size() == 1 && std::strchr("0123456789.-", r.text[0]))
            out.push_back({r.v[0], r.v[1], w, h, angle, r.text});
    }
    return out;
}

}  // namespace

// The merge shows what the user gave: two forces on one member stay two
// (a second one took the first as a range to the member's end and showed
// -55.000 for -40 and -35), and only forces at one point add up.
TEST(FigureValues, MergedLoadsShowOnlyGivenValuesOrSumsAtOnePoint) {
    struct Row {
        std::vector<LoadRecord> loads;
        std::vector<float> shown;  // qI of the merged loads, in order
    } rows[] = {
        {{Load(kLoadConcY, 1, -40, 0, 2), Load(kLoadConcY, 1, -35, 0, 4)}, {-40, -35}},
        {{Load(kLoadConcMoment, 1, 10, 0, 1), Load(kLoadConcMoment, 1, 15, 0, 3)}, {10, 15}},
        {{Load(kLoadConcY, 1, -40, 0, 2), Load(kLoadConcY, 1, -35, 0, 2)}, {-75}},
        {{Load(kLoadConcX, 1, 5, 0, 2), Load(kLoadConcX, 1, -3, 0, 2)}, {5, -3}},
        {{Load(kLoadDistY, 1, -10, -10), Load(kLoadDistY, 1, -10, -10)}, {-20}},
    };
    for (const Row& row : rows) {
        auto model = SimpleBeam(row.loads);
        LoadCase lc = model->loadCases[1];
        MergeOverlappingLoads(*model, lc);
        std::vector<float> got;
        for (int k = 1; k <= lc.count; ++k) got.push_back(lc.loads[k].qI);
        std::vector<float> want = row.shown;
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << "code " << row.loads[0].code;
    }
}

// A load over members 3 to 1 is the load over 1 to 3, as the analysis and
// the report's table take it: drawn from member 1's i end to member 3's j
// end (10 m), not over the 2 m from member 3's i end back to member 1's.
TEST(FigureValues, RunTypedEitherWayIsDrawnOverTheWholeRun) {
    auto extent = [](int from, int to) {
        ModelBuilder b;
        b.Node(1, 0, 0).Node(2, 4, 0).Node(3, 6, 0).Node(4, 10, 0);
        b.Material(1, 2.05e8).Section(1, 0.01, 0.0002);
        b.Member(1, 1, 2).Member(2, 2, 3).Member(3, 3, 4);
        b.Support(1, 1, kSupportPin).Support(1, 4, kSupportRollerY);
        b.Load(1, kLoadDistY, from, -10, -10, 0, 0, to);
        PrepareMemberLoads(b.model());
        double lo = 1e9, hi = -1e9;
        for (const Seg& s : Segments(DrawnLoads(b.model(), -1, -4, 11, 4))) {
            lo = std::min({lo, DevToWorldX(s.x1), DevToWorldX(s.x2)});
            hi = std::max({hi, DevToWorldX(s.x1), DevToWorldX(s.x2)});
        }
        return std::pair{lo, hi};
    };
    for (auto [from, to] : {std::pair{1, 3}, std::pair{3, 1}}) {
        const auto [lo, hi] = extent(from, to);
        EXPECT_NEAR(lo, 0, 0.05) << from << "-" << to;
        EXPECT_NEAR(hi, 10, 0.05) << from << "-" << to;
    }
}

// Every load code on a level, a slanting and a steep member, alone and all
// together: each value reads upright, no line of the figure runs through
// one of its characters (a minus sign merged with the tail line read
// "-6.000" as "6.000"), and each stands beside its own member, never moved
// past its ends where it reads as a load on the node beyond.
TEST(FigureValues, LoadValuesReadUprightOffEveryLineAndBesideTheirMember) {
    // The distributed loads keep a metre from either end, so that every
    // value has its place within the member's length.
    const std::vector<LoadRecord> all = {
        Load(kLoadDistAxial, 1, 3, 3, 1, 1), Load(kLoadDistPerp, 1, -5, -5, 1, 2),
        Load(kLoadDistX, 1, -6, -6, 1, 1),   Load(kLoadDistY, 1, -5, -2, 1, 1),
        Load(kLoadConcAxial, 1, 10, 0, 2),   Load(kLoadConcAxial, 1, -10, 0, 4),
        Load(kLoadConcPerp, 1, -9, 0, 3),    Load(kLoadConcX, 1, 4, 0, 1),
        Load(kLoadConcY, 1, -7, 0, 2.5),     Load(kLoadConcMoment, 1, 12, 0, 5.5),
        Load(kLoadTemperature, 1, 25, 0),
    };
    for (double angle : {0.0, 30.0, 80.0}) {
        // Each load alone first: where its values stand uncrowded bounds
        // where they may stand among all the others.
        std::vector<std::vector<LoadRecord>> cases;
        for (const LoadRecord& l : all) cases.push_back({l});
        cases.push_back(all);
        double lowest = 1e9, highest = -1e9;
        for (const auto& loads : cases) {
            ModelBuilder b = LoadedBeam(angle, {});
            LoadCase& lc = b.model().loadCases[1];
            b.model().loadCaseCount = 1;
            lc.no = 1;
            lc.suptCaseNo = 1;
            lc.count = static_cast<int>(loads.size());
            lc.maxLoad = 0;
            for (std::size_t k = 0; k < loads.size(); ++k) {
                lc.loads[k + 1] = loads[k];
                // As the reader and the grids keep it: the largest intensity.
                lc.maxLoad = std::max({lc.maxLoad, std::fabs(loads[k].qI), std::fabs(loads[k].qJ)});
            }
            PrepareMemberLoads(b.model());
            const std::vector<Rec> recs =
                DrawnLoads(b.model(), -7, -3, 8, 8,
                           loads.size() > 1 ? "loads-" + std::to_string(int(angle)) : "");
            const std::string what = "angle " + std::to_string(angle) + " first code " +
                                     std::to_string(loads[0].code) +
                                     (loads.size() > 1 ? " (all)" : "");
            const double a = angle * M_PI / 180;
            const double ix = WorldToDevX(0), iy = WorldToDevY(0);
            const double ux = std::cos(a), uy = -std::sin(a);  // along the member, device
            const double len = 6 * std::fabs(WorldLenToDevX(1));
            for (const Cell& c : ValueCells(recs)) {
                EXPECT_GT(std::cos(c.angle), -0.1) << what << ": upside down " << c.text;
                // Alone, no load's own lines cross its values.
                for (const Seg& s : Segments(loads.size() == 1 ? recs : std::vector<Rec>{}))
                    for (int k = 0; k <= 40; ++k) {
                        const double t = k / 40.0;
                        if (c.Covers(s.x1 + t * (s.x2 - s.x1), s.y1 + t * (s.y2 - s.y1), 1.5)) {
                            ADD_FAILURE() << what << ": a line through '" << c.text << "'";
                            k = 41;
                        }
                    }
                const double along = (c.x - ix) * ux + (c.y - iy) * uy;
                if (loads.size() == 1) {
                    lowest = std::min({lowest, along, 0.0});
                    highest = std::max({highest, along, len});
                    continue;
                }
                EXPECT_GT(along, lowest - c.h) << what << ": " << c.text << " beyond the i end";
                EXPECT_LT(along, highest + c.h) << what << ": " << c.text << " beyond the j end";
            }
        }
    }
}
