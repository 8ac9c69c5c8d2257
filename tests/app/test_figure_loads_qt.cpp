// The load figure: the merge of overlapping loads, packing, the scale of
// the drawn loads and the direction of their arrows.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/figure_loads.h"
#include "platform/sjis_literal.h"
#include "report/figure_labels.h"
#include "test_figure_util.h"

namespace {

struct Span {
    double from, to, qI, qJ;
};

// Loads of case 1 as (from, to, qI, qJ) on the 6 m beam.
std::vector<Span> Spans(const LoadCase& lc) {
    std::vector<Span> out;
    for (int k = 1; k <= lc.count; ++k) {
        const LoadRecord& r = lc.loads[k];
        out.push_back({r.distI, 6 - r.distJ, r.qI, r.qJ});
    }
    return out;
}

LoadRecord Uniform(double q, double from, double to, int code = kLoadDistY, int member = 1) {
    return Load(code, member, q, q, from, 6 - to);
}

TEST(MergeOverlappingLoads, CutsAndAddsToTheResultingLoadDiagram) {
    const struct Case {
        const char* name;
        std::vector<LoadRecord> loads;
        std::vector<Span> expected;
    } cases[] = {
        {"equal ranges add", {Uniform(10, 0, 6), Uniform(10, 0, 6)}, {{0, 6, 20, 20}}},
        {"opposite signs stay apart",
         {Uniform(10, 0, 6), Uniform(-5, 0, 6)},
         {{0, 6, 10, 10}, {0, 6, -5, -5}}},
        {"inside",
         {Uniform(10, 0, 6), Uniform(4, 2, 4)},
         {{0, 2, 10, 10}, {2, 4, 14, 14}, {4, 6, 10, 10}}},
        {"same start", {Uniform(10, 0, 6), Uniform(4, 0, 2)}, {{0, 2, 14, 14}, {2, 6, 10, 10}}},
        {"same end", {Uniform(10, 0, 6), Uniform(4, 4, 6)}, {{0, 4, 10, 10}, {4, 6, 14, 14}}},
        {"partial overlap",
         {Uniform(10, 0, 4), Uniform(6, 2, 6)},
         {{0, 2, 10, 10}, {2, 4, 16, 16}, {4, 6, 6, 6}}},
        {"triangle under a block",
         {Load(kLoadDistY, 1, 0, 12), Uniform(6, 2, 4)},
         {{0, 2, 0, 4}, {2, 4, 10, 14}, {4, 6, 8, 12}}},
        {"other codes stay apart",
         {Uniform(10, 0, 6), Uniform(10, 0, 6, kLoadDistX)},
         {{0, 6, 10, 10}, {0, 6, 10, 10}}},
    };
    for (const Case& c : cases) {
        auto model = SimpleBeam(c.loads);
        LoadCase& lc = model->loadCases[1];
        MergeOverlappingLoads(*model, lc);
        const auto got = Spans(lc);
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].from, c.expected[k].from, 1e-4) << c.name << " load " << k + 1;
            EXPECT_NEAR(got[k].to, c.expected[k].to, 1e-4) << c.name << " load " << k + 1;
            EXPECT_NEAR(got[k].qI, c.expected[k].qI, 1e-4) << c.name << " load " << k + 1;
            EXPECT_NEAR(got[k].qJ, c.expected[k].qJ, 1e-4) << c.name << " load " << k + 1;
        }
    }
}

TEST(MergeOverlappingLoads, AFullCaseKeepsItsLoadsAndEnds) {
    // A cut that needs one more load than the case holds is left undone.
    auto model = SimpleBeam({});
    LoadCase& lc = model->loadCases[1];
    lc.count = kMaxLoads;
    for (int k = 1; k <= kMaxLoads; ++k) lc.loads[k] = Uniform(1, 0, 6, kLoadDistY, 1);
    lc.loads[1] = Uniform(10, 0, 6, kLoadDistX);
    lc.loads[2] = Uniform(4, 2, 4, kLoadDistX);
    lc.loads[3] = Uniform(-1, 0, 6, kLoadDistPerp);  // keeps the 14s from merging into one
    for (int k = 4; k <= kMaxLoads; ++k)
        lc.loads[k] = Uniform(1, k % 2 ? 0 : 3, k % 2 ? 3 : 6, kLoadDistY, 1 + k);
    MergeOverlappingLoads(*model, lc);
    ASSERT_LE(lc.count, kMaxLoads);
    double total = 0;
    for (int k = 1; k <= lc.count; ++k)
        if (lc.loads[k].code == kLoadDistX)
            total += lc.loads[k].qI * (6 - lc.loads[k].distJ - lc.loads[k].distI);
    EXPECT_NEAR(total, 10 * 6 + 4 * 2, 1e-3);
}

TEST(PackLoads, DropsEmptyLoadsAndSortsByMemberThenStart) {
    LoadCase lc{};
    lc.count = 5;
    lc.loads[1] = Load(kLoadDistY, 3, 1, 1, 2.0);
    lc.loads[2] = Load(kLoadDistY, 1, 0, 0);
    lc.loads[3] = Load(kLoadDistY, 3, 2, 2, 1.0);
    lc.loads[4] = Load(kLoadNodal, 2, 0, 0, 5.0);  // a nodal moment alone is a load
    lc.loads[5] = Load(kLoadDistY, 1, 3, 3, 0.5);
    PackLoads(lc);
    ASSERT_EQ(lc.count, 4);
    EXPECT_EQ(lc.loads[1].memberFrom, 1);
    EXPECT_EQ(lc.loads[2].memberFrom, 2);
    EXPECT_FLOAT_EQ(lc.loads[3].qI, 2);
    EXPECT_FLOAT_EQ(lc.loads[4].qI, 1);
    // The slot beyond the new count is empty again.
    const LoadRecord empty{};
    EXPECT_EQ(std::memcmp(&lc.loads[5], &empty, sizeof empty), 0);
}

class LoadDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        bitmap = std::make_unique<TBitmap>(800, 600);
        StartScreen(*bitmap, -1, -3, 7, 3);  // 100 px per m, u = 6 px
        G_SetLineColor(0);
    }
    void TearDown() override { StopRecording(); }
    std::unique_ptr<TBitmap> bitmap;
};

TEST_F(LoadDrawing, SmallCaseIsScaledToTheTenthFloor) {
    auto model = SimpleBeam({Uniform(-0.05, 0, 6)});
    DrawLoadCase(*model, 1, 0, 1.0);
    EXPECT_FLOAT_EQ(model->loadCases[1].maxLoad, 0.1f);
    // Full height 5u = 30 px; 0.05 of 0.1 reaches 15 px: the two long
    // horizontal lines (row base and load line) are 15 px apart.
    std::vector<double> ys;
    for (const Seg& s : Segments(Parse()))
        if (std::fabs(s.y1 - s.y2) < 0.5 && std::fabs(s.x2 - s.x1) > 550) ys.push_back(s.y1);
    ASSERT_EQ(ys.size(), 2u);
    EXPECT_NEAR(std::fabs(ys[0] - ys[1]), 15, 1.01);
    // Downward load: the load line above the row, the row above the beam.
    EXPECT_LT(std::min(ys[0], ys[1]), std::max(ys[0], ys[1]));
    EXPECT_LT(std::max(ys[0], ys[1]), WorldToDevY(0));
}

// A distributed load is drawn on the side it comes from: its load line
// (the long line farther from the beam) lies below the beam for a load
// pushing up and above it for a load pressing down.
TEST_F(LoadDrawing, DistributedLoadsStandOnTheSideTheyComeFrom) {
    const struct {
        LoadRecord load;
        bool below;
    } cases[] = {
        {Uniform(-10, 0, 6, kLoadDistY), false},
        {Uniform(10, 0, 6, kLoadDistY), true},
        {Uniform(-10, 0, 6, kLoadDistPerp), false},  // -v on a left-to-right beam: down
        {Uniform(10, 0, 6, kLoadDistPerp), true},
    };
    for (const auto& c : cases) {
        auto model = SimpleBeam({c.load});
        PoolClear();
        PoolSelectPage(0);
        DrawLoadCase(*model, 1, 0, 1.0);
        std::vector<double> ys;
        for (const Seg& s : Segments(Parse()))
            if (std::fabs(s.y1 - s.y2) < 0.5 && std::fabs(s.x2 - s.x1) > 550) ys.push_back(s.y1);
        ASSERT_EQ(ys.size(), 2u) << c.load.code << " " << c.load.qI;
        const double beam = WorldToDevY(0);
        const double loadLine = std::fabs(ys[0] - beam) > std::fabs(ys[1] - beam) ? ys[0] : ys[1];
        EXPECT_EQ(loadLine > beam, c.below) << c.load.code << " " << c.load.qI;
        EXPECT_NEAR(std::fabs(ys[0] - ys[1]), 30, 1.01);  // the largest load: 5u high
    }
}

// The arrow polygon of a concentrated load: tip and the side of its shaft.
TEST_F(LoadDrawing, ConcentratedArrowsPointTheWayTheForceActs) {
    const struct {
        LoadRecord load;
        double tipX, tipY;     // world
        int shaftDx, shaftDy;  // where the shaft lies from the tip (device)
    } cases[] = {
        {Load(kLoadConcY, 1, -50, 0, 2.0), 2, 0, 0, -1},  // down: shaft above
        {Load(kLoadConcY, 1, 50, 0, 2.0), 2, 0, 0, 1},    // up: shaft below
        {Load(kLoadNodal, 2, 30, 0), 6, 0, -1, 0},        // +x at node 2: shaft left
        {Load(kLoadNodal, 2, 0, -30), 6, 0, 0, -1},       // -y: shaft above
        {Load(kLoadConcX, 1, -20, 0, 3.0), 3, 0, 1, 0},   // -x: shaft right
    };
    for (const auto& c : cases) {
        auto model = SimpleBeam({c.load});
        PoolClear();
        PoolSelectPage(0);
        DrawLoadCase(*model, 1, 0, 1.0);
        const auto recs = Parse();
        auto poly = std::find_if(recs.begin(), recs.end(),
                                 [](const Rec& r) { return r.kind == "polygon"; });
        ASSERT_NE(poly, recs.end()) << c.load.code;
        const double tx = WorldToDevX(c.tipX), ty = WorldToDevY(c.tipY);
        double far = 0, fx = tx, fy = ty;
        bool tip = false;
        for (std::size_t k = 1; k + 1 < poly->v.size(); k += 2) {
            const double x = poly->v[k], y = poly->v[k + 1];
            tip = tip || std::hypot(x - tx, y - ty) <= 3;  // the tip is rounded by a pen width
            if (std::hypot(x - tx, y - ty) > far) far = std::hypot(x - tx, y - ty), fx = x, fy = y;
        }
        EXPECT_TRUE(tip) << c.load.code;
        EXPECT_GT(far, 20) << c.load.code;  // 7u = 42 px long
        if (c.shaftDx) {
            EXPECT_GT((fx - tx) * c.shaftDx, 20) << c.load.code;
        }
        if (c.shaftDy) {
            EXPECT_GT((fy - ty) * c.shaftDy, 20) << c.load.code;
        }
    }
}

// Device boxes (x1, y1, x2, y2) of the characters drawn: cells of the
// 12 x 6 px figure font whose turn is that of the last font record.
struct CharBox {
    double x1, y1, x2, y2;
    double angle;  // tenths of a degree
};
std::vector<CharBox> CharBoxes(const std::vector<Rec>& recs) {
    std::vector<CharBox> out;
    double angle = 0;
    for (const Rec& r : recs) {
        if (r.kind == "font" && r.v.size() >= 3) angle = r.v[2];
        if (r.kind == "text") out.push_back({r.v[0], r.v[1], r.v[0] + 6, r.v[1] + 12, angle});
    }
    return out;
}

// The value of a concentrated force stands upright and clear of its arrow:
// it used to be written along the shaft, over it.
TEST_F(LoadDrawing, ConcentratedValuesStandUprightClearOfTheirArrows) {
    const LoadRecord cases[] = {
        Load(kLoadConcY, 1, -50, 0, 2.0), Load(kLoadConcY, 1, 50, 0, 2.0),
        Load(kLoadConcX, 1, -20, 0, 3.0), Load(kLoadNodal, 2, 30, 0),
        Load(kLoadNodal, 2, 0, -30),
    };
    for (const LoadRecord& load : cases) {
        auto model = SimpleBeam({load});
        PoolClear();
        PoolSelectPage(0);
        DrawLoadCase(*model, 1, 0, 1.0);
        const auto recs = Parse();
        auto poly = std::find_if(recs.begin(), recs.end(),
                                 [](const Rec& r) { return r.kind == "polygon"; });
        ASSERT_NE(poly, recs.end()) << load.code;
        double px1 = 1e9, py1 = 1e9, px2 = -1e9, py2 = -1e9;
        for (std::size_t k = 1; k + 1 < poly->v.size(); k += 2) {
            px1 = std::min(px1, poly->v[k]), px2 = std::max(px2, poly->v[k]);
            py1 = std::min(py1, poly->v[k + 1]), py2 = std::max(py2, poly->v[k + 1]);
        }
        const std::vector<CharBox> chars = CharBoxes(recs);
        ASSERT_FALSE(chars.empty()) << load.code;
        for (const CharBox& c : chars) {
            EXPECT_EQ(c.angle, 0) << load.code << " " << load.qI;
            const bool apart = c.x2 <= px1 || c.x1 >= px2 || c.y2 <= py1 || c.y1 >= py2;
            EXPECT_TRUE(apart) << load.code << " " << load.qI << ": a character on the arrow";
        }
    }
}

// A concentrated force on a beam under a distributed load: its value,
// beyond the arrow's tail, is struck by none of the distributed load's
// lines (its row and its load line), whichever load is the larger and
// whichever way they act; it stands beyond the row instead.
TEST_F(LoadDrawing, ConcentratedValuesStandClearOfADistributedLoadsRow) {
    const struct {
        double distributed, force;
    } cases[] = {{-20, -50}, {-20, -10}, {20, 50}, {20, 10}, {-20, -5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.distributed << " kN/m, " << c.force << " kN");
        // In either order of the table.
        for (const bool forceFirst : {false, true}) {
            const LoadRecord row = Uniform(c.distributed, 0, 6),
                             force = Load(kLoadConcY, 1, c.force, 0, 2.0);
            auto model = SimpleBeam(forceFirst ? std::vector<LoadRecord>{force, row}
                                               : std::vector<LoadRecord>{row, force});
            PoolClear();
            PoolSelectPage(0);
            BeginFigureLabels();
            DrawLoadCase(*model, 1, 0, 1.0);
            EndFigureLabels();
            const auto recs = Parse();
            const std::vector<CharBox> chars = CharBoxes(recs);
            ASSERT_GE(chars.size(), 7u);
            for (const Seg& s : Segments(recs)) {
                if (std::fabs(s.y1 - s.y2) > 0.5 || std::fabs(s.x1 - s.x2) < 50) continue;
                const double x0 = std::min(s.x1, s.x2), x1 = std::max(s.x1, s.x2);
                for (const CharBox& ch : chars)
                    EXPECT_FALSE(s.y1 > ch.y1 + 0.5 && s.y1 < ch.y2 - 0.5 && ch.x2 > x0 &&
                                 ch.x1 < x1)
                        << "a line at y " << s.y1 << " through a character at " << ch.x1 << ", "
                        << ch.y1 << (forceFirst ? " (force first)" : "");
            }
        }
    }
}

// A horizontal load on a column and a vertical one on a beam: their values
// stand beyond everything the load draws on the side it comes from (the
// arrows' tails, and the backs of their heads where a small load's arrows
// are shorter than their heads), never over the arrow row; the horizontal
// load's values upright.
TEST_F(LoadDrawing, DistributedValuesStandBeyondTheTailsAndTheHeads) {
    for (const int code : {kLoadDistX, kLoadDistY})
        for (const double scale : {1.0, 0.05})
            for (const double q : {10.0, -10.0}) {
                SCOPED_TRACE(testing::Message()
                             << "code " << code << " q " << q << " scale " << scale);
                auto model = SimpleBeam({Uniform(q, 0, 6, code)});
                const bool column = code == kLoadDistX;
                if (column) {
                    model->nodes[1].x = 3, model->nodes[1].y = -2.5;
                    model->nodes[2].x = 3, model->nodes[2].y = 2.5;
                    PrepareMemberLoads(*model);
                }
                PoolClear();
                PoolSelectPage(0);
                DrawLoadCase(*model, 1, 0, scale);
                const auto recs = Parse();
                // The load draws nothing but its row beside the member.
                double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
                for (const Seg& s : Segments(recs)) {
                    left = std::min({left, s.x1, s.x2}), right = std::max({right, s.x1, s.x2});
                    top = std::min({top, s.y1, s.y2}), bottom = std::max({bottom, s.y1, s.y2});
                }
                ASSERT_LT(left, right);
                const std::vector<CharBox> chars = CharBoxes(recs);
                ASSERT_FALSE(chars.empty());
                for (const CharBox& c : chars) {
                    if (column) {
                        EXPECT_EQ(c.angle, 0) << "the value is turned";
                        if (q > 0)
                            EXPECT_LE(c.x2, left + 0.5) << "pushing right: values left of the row";
                        else
                            EXPECT_GE(c.x1, right - 0.5) << "pushing left: values right of it";
                    } else if (q < 0) {
                        EXPECT_LE(std::max(c.y1, c.y2), top + 0.5) << "pressing down: above";
                    } else {
                        EXPECT_GE(std::min(c.y1, c.y2), bottom - 0.5) << "pushing up: below";
                    }
                }
            }
}

TEST_F(LoadDrawing, UnknownCodesAndMissingMembersLeaveNoMark) {
    auto model = SimpleBeam({Load(41, 1, 5, 5), Load(61, 1, 5, 5), Uniform(5, 0, 6, kLoadDistY, 9),
                             Load(kLoadNodal, 7, 5, 5)});
    DrawLoadCase(*model, 1, 0, 1.0);
    for (const Rec& r : Parse())
        EXPECT_TRUE(r.kind != "line" && r.kind != "text" && r.kind != "polygon" && r.kind != "arc")
            << r.kind;
}

TEST_F(LoadDrawing, FilterDrawsOnlyTheChosenLoad) {
    auto model = SimpleBeam({Load(kLoadTemperature, 1, 11, 0), Load(kLoadTemperature, 1, 22, 0),
                             Load(kLoadTemperature, 1, 15, 0)});
    DrawLoadCase(*model, 1, 3, 1.0);
    std::string all;
    for (const Rec& r : Parse())
        if (r.kind == "text") all += r.text;
    EXPECT_EQ(all, "15.000"_sj.substr(0) + "℃"_sj);
}

TEST_F(LoadDrawing, MomentGlyphHangsBelowThePoint) {
    auto model = SimpleBeam({Load(kLoadConcMoment, 1, 12, 0, 3.0)});
    DrawLoadCase(*model, 1, 0, 1.0);
    const auto recs = Parse();
    auto arc = std::find_if(recs.begin(), recs.end(), [](const Rec& r) { return r.kind == "arc"; });
    ASSERT_NE(arc, recs.end());
    // Box centred on (3, 0), radius 2.4u = 14.4 px.
    EXPECT_NEAR((arc->v[0] + arc->v[2]) / 2, WorldToDevX(3), 1);
    EXPECT_NEAR((arc->v[2] - arc->v[0]) / 2, 14.4, 1);
    // Both arc ends below the centre (-120 and -40 degrees).
    EXPECT_GT(arc->v[5], WorldToDevY(0));
    EXPECT_GT(arc->v[7], WorldToDevY(0));
}

}  // namespace
