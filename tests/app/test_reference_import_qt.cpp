// Lines of DXF and Korvo drawings, and the nodes and members built from the
// crossings of one pen's lines.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <random>

#include "app/reference_import.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

std::string Data(const std::string& name) { return std::string(TEST_DATA_DIR) + "/app/" + name; }

std::unique_ptr<RefLineList> Read(const std::string& name) {
    auto list = std::make_unique<RefLineList>();
    EXPECT_TRUE(ReadDrawingLines(Data(name), *list)) << name;
    return list;
}

// Unordered node pairs of the members.
std::set<std::pair<int, int>> Edges(const FrameModel& f) {
    std::set<std::pair<int, int>> e;
    for (int m = 1; m <= f.memberCount; ++m)
        e.insert({std::min(f.members[m].nodeI, f.members[m].nodeJ),
                  std::max(f.members[m].nodeI, f.members[m].nodeJ)});
    return e;
}

// Node positions in tenths of a millimetre.
std::set<std::pair<long, long>> NodesAt(const FrameModel& f) {
    std::set<std::pair<long, long>> n;
    for (int i = 1; i <= f.nodeCount; ++i)
        n.insert({std::lround(f.nodes[i].x * 1e4), std::lround(f.nodes[i].y * 1e4)});
    return n;
}

void AddLine(RefLineList& list, double x1, double y1, double x2, double y2, int pen = 1) {
    RefLine& l = list.lines[++list.count];
    l = RefLine{1, pen, float(x1), float(y1), float(x2), float(y2)};
}

}  // namespace

// --- reading ---------------------------------------------------------------

TEST(ReadDrawingLines, DxfSquareWithLfAndCrLfReadsTheSame) {
    for (const char* name : {"ref_square.dxf", "ref_square_crlf.dxf"}) {
        SCOPED_TRACE(name);
        auto l = Read(name);
        ASSERT_EQ(l->count, 6);
        EXPECT_FLOAT_EQ(l->lines[1].x2, 4.0f);
        EXPECT_FLOAT_EQ(l->lines[2].y2, 3.0f);
        EXPECT_EQ(l->lines[3].pen, 1);  // no colour group: pen 1
        EXPECT_EQ(l->lines[5].pen, 3);
        // Whole millimetres: 1234.9 -> 1.234 m, -0.7 -> 0 m.
        EXPECT_FLOAT_EQ(l->lines[6].x1, 1.234f);
        EXPECT_FLOAT_EQ(l->lines[6].y1, 0.0f);
        EXPECT_FALSE(std::signbit(l->lines[6].y1));  // no "-0.0000" in the node grid
        EXPECT_EQ(l->lines[6].pen, 2);
        for (int i = 1; i <= l->count; ++i) EXPECT_EQ(l->lines[i].kind, 1);
    }
}

TEST(ReadDrawingLines, DxfColourNumbersAreClampedToThePens) {
    auto l = Read("ref_pens.dxf");
    ASSERT_EQ(l->count, 4);
    const int expected[4] = {1, 8, 1, 5};  // 0, 256, -3, 5
    for (int i = 0; i < 4; ++i) EXPECT_EQ(l->lines[i + 1].pen, expected[i]) << i;
}

TEST(ReadDrawingLines, KrvPenBitsAndMillimetres) {
    auto l = Read("ref_portal.KRV");
    ASSERT_EQ(l->count, 7);
    EXPECT_EQ(l->lines[1].pen, 8);  // 9: bit 3 set
    EXPECT_EQ(l->lines[6].pen, 1);  // 16: low bits 0
    EXPECT_EQ(l->lines[7].pen, 5);
    EXPECT_FLOAT_EQ(l->lines[1].x2, 12.0f);
    EXPECT_FLOAT_EQ(l->lines[2].y1, -0.5f);
}

TEST(ReadDrawingLines, DamagedFilesKeepTheReadableLines) {
    auto d = std::make_unique<RefLineList>();
    std::string notice;
    ASSERT_TRUE(ReadDrawingLines(Data("ref_damaged.dxf"), *d, &notice));
    // The line with an overflowing coordinate is dropped; a line with only a
    // start point ends at 0, not at what an earlier line left behind; the
    // file ends inside its last line, which is said and not taken.
    ASSERT_EQ(d->count, 2);
    EXPECT_NE(notice.find("途中で終わっています"_sj), std::string::npos) << notice;
    EXPECT_FLOAT_EQ(d->lines[1].x2, 1.0f);
    EXPECT_FLOAT_EQ(d->lines[2].x1, 0.3f);
    EXPECT_FLOAT_EQ(d->lines[2].x2, 0.0f);
    EXPECT_FLOAT_EQ(d->lines[2].y2, 0.0f);

    auto k = Read("ref_damaged.KRV");
    ASSERT_EQ(k->count, 1);  // short records and an infinite coordinate skipped
    EXPECT_FLOAT_EQ(k->lines[1].x2, 1.0f);
}

TEST(ReadDrawingLines, MissingFileAndNamesAndCapacity) {
    RefLineList list;
    list.count = 5;
    EXPECT_FALSE(ReadDrawingLines(Data("no_such_drawing.dxf"), list));
    EXPECT_EQ(list.count, 0);

    EXPECT_TRUE(IsDrawingFileName("a/b.dxf"));
    EXPECT_TRUE(IsDrawingFileName("x.KRV"));
    EXPECT_FALSE(IsDrawingFileName("x.$O1"));
    EXPECT_FALSE(IsDrawingFileName("dxf"));

    TStringList text;
    for (int i = 0; i < kMaxRefLines + 5; ++i)
        for (const char* s : {"0", "LINE", "10", "0", "20", "0", "11", "1000", "21", "0"})
            text.Add(s);
    auto big = std::make_unique<RefLineList>();
    // The lines beyond the list are said, with how many the drawing has.
    const std::string notice = ParseDrawingLines(text, *big);
    EXPECT_EQ(big->count, kMaxRefLines);
    EXPECT_NE(notice.find("1005"), std::string::npos) << notice;
    EXPECT_EQ(ParseDrawingLines(TStringList(), *big), "");
}

TEST(ReadDrawingLines, BlocksAndPolylinesAreReadWhereTheDrawingPlacesThem) {
    auto list = std::make_unique<RefLineList>();
    std::string notice;
    ASSERT_TRUE(ReadDrawingLines(Data("ref_blocks.dxf"), *list, &notice));
    // Three columns of one block placed as an array (base point 500 mm off
    // its line), a fourth from a block turned by 90 degrees and stretched
    // 4x, a beam as LWPOLYLINE and a tie as POLYLINE; the block placed
    // nowhere is not read. Pen 3: a closed outline whose first side is an
    // arc keeps its two straight sides.
    ASSERT_EQ(list->count, 8);
    auto f = NewFrameModelRecord();
    EXPECT_EQ(BuildFrameFromLines(*list, 2, *f), "");
    EXPECT_EQ(f->nodeCount, 8);
    EXPECT_EQ(f->memberCount, 10);
    const auto nodes = NodesAt(*f);
    for (long x : {0, 6, 12, 18})
        for (long y : {0, 4}) EXPECT_EQ(nodes.count({x * 10000, y * 10000}), 1u) << x << "," << y;
    int pen3 = 0;
    for (int i = 1; i <= list->count; ++i) pen3 += list->lines[i].pen == 3;
    EXPECT_EQ(pen3, 2);
    // What was not read is said: the arc and the arc side of the outline.
    EXPECT_NE(notice.find("ARC 1"), std::string::npos) << notice;
    EXPECT_NE(notice.find("円弧の部分 1"_sj), std::string::npos) << notice;
    EXPECT_EQ(notice.find("途中で"_sj), std::string::npos) << notice;
}

TEST(ReadDrawingLines, ADxfCutShortIsSaidAndItsBrokenLastLineDropped) {
    TStringList whole;
    ASSERT_TRUE(whole.LoadFromFile(Data("ref_square.dxf")));
    // Cut inside the last line's end point: the five lines before it stay.
    int cut = whole.Count();
    while (cut > 0 && Trim(whole[cut - 1]) != "11") --cut;
    TStringList part;
    for (int i = 0; i < cut + 1; ++i) part.Add(whole[i]);
    auto list = std::make_unique<RefLineList>();
    const std::string notice = ParseDrawingLines(part, *list);
    EXPECT_EQ(list->count, 5);
    EXPECT_NE(notice.find("途中で終わっています"_sj), std::string::npos) << notice;
    EXPECT_EQ(ParseDrawingLines(whole, *list), "");
    EXPECT_EQ(list->count, 6);
}

// --- nodes -------------------------------------------------------------------

TEST(FindOrAddNode, MergesWithinATenthOfAMillimetre) {
    auto f = NewFrameModelRecord();
    EXPECT_EQ(FindOrAddNode(*f, 1.0, 2.0), 1);
    struct Case {
        double dx, dy;
        int node;
    } cases[] = {
        {0.00005, 0.0, 1}, {0.0, -0.00005, 1}, {0.00005, 0.00005, 1},
        {0.0002, 0.0, 2},  {0.0, 0.0002, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindOrAddNode(*f, 1.0 + c.dx, 2.0 + c.dy), c.node) << c.dx << "," << c.dy;
    EXPECT_EQ(f->nodeCount, 3);
    EXPECT_EQ(f->nodes[3].no, 3);
}

// --- building ----------------------------------------------------------------

TEST(BuildFrameFromLines, SquareOfTouchingLinesGivesFourNodesAndMembers) {
    auto l = Read("ref_square.dxf");
    auto f = NewFrameModelRecord();
    EXPECT_EQ(BuildFrameFromLines(*l, 1, *f), "");
    ASSERT_EQ(f->nodeCount, 4);
    ASSERT_EQ(f->memberCount, 4);
    // Numbered from the far upper left: (0,3), (0,0), (4,3), (4,0).
    const float xy[4][2] = {{0, 3}, {0, 0}, {4, 3}, {4, 0}};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(f->nodes[n].no, n);
        EXPECT_NEAR(f->nodes[n].x, xy[n - 1][0], 1e-6);
        EXPECT_NEAR(f->nodes[n].y, xy[n - 1][1], 1e-6);
    }
    // Members ordered by the whole part of the mean node number.
    const int ends[4][2] = {{2, 1}, {3, 1}, {2, 4}, {4, 3}};
    for (int m = 1; m <= 4; ++m) {
        EXPECT_EQ(f->members[m].no, m);
        EXPECT_EQ(f->members[m].nodeI, ends[m - 1][0]) << m;
        EXPECT_EQ(f->members[m].nodeJ, ends[m - 1][1]) << m;
        EXPECT_EQ(f->members[m].sectionNo, 1);
        EXPECT_EQ(f->members[m].materialNo, 1);
    }
}

TEST(BuildFrameFromLines, OtherPensAndSingleCrossingsMakeNothing) {
    auto f = NewFrameModelRecord();
    // The pen-3 diagonal crosses the square but is alone in its pen.
    EXPECT_EQ(BuildFrameFromLines(*Read("ref_square.dxf"), 3, *f), "");
    EXPECT_EQ(f->nodeCount, 0);
    EXPECT_EQ(f->memberCount, 0);
    // Two crossing lines: one crossing each.
    EXPECT_EQ(BuildFrameFromLines(*Read("ref_cross.dxf"), 1, *f), "");
    EXPECT_EQ(f->memberCount, 0);
}

TEST(BuildFrameFromLines, KrvPortalWithOverhangs) {
    auto f = NewFrameModelRecord();
    EXPECT_EQ(BuildFrameFromLines(*Read("ref_portal.KRV"), 8, *f), "");
    ASSERT_EQ(f->nodeCount, 6);
    // Column by column from the left, top first.
    const float xy[6][2] = {{0, 4}, {0, 0}, {6, 4}, {6, 0}, {12, 4}, {12, 0}};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_NEAR(f->nodes[n].x, xy[n - 1][0], 1e-5) << n;
        EXPECT_NEAR(f->nodes[n].y, xy[n - 1][1], 1e-5) << n;
    }
    const std::set<std::pair<int, int>> expected = {{2, 4}, {4, 6}, {1, 2}, {3, 4},
                                                    {5, 6}, {1, 3}, {3, 5}};
    EXPECT_EQ(Edges(*f), expected);
    for (int m = 2; m <= f->memberCount; ++m)
        EXPECT_LE((f->members[m - 1].nodeI + f->members[m - 1].nodeJ) / 2,
                  (f->members[m].nodeI + f->members[m].nodeJ) / 2);
}

TEST(BuildFrameFromLines, CollinearOverlapAndNearlyEqualCrossings) {
    auto l = std::make_unique<RefLineList>();
    // A beam crossed by two columns, and a second beam piece over the first
    // one: the crossings 0.05 mm apart fall on the same nodes, and the
    // repeated member is dropped.
    AddLine(*l, 0, 0, 10, 0);
    AddLine(*l, 2, -1, 2, 1);
    AddLine(*l, 8.00005, -1, 8.00005, 1);
    AddLine(*l, 0, 0.00005, 10, 0.00005);
    auto f = NewFrameModelRecord();
    EXPECT_EQ(BuildFrameFromLines(*l, 1, *f), "");
    EXPECT_EQ(f->nodeCount, 2);
    EXPECT_EQ(f->memberCount, 1);
    EXPECT_NEAR(Distance(f->nodes[1].x, f->nodes[1].y, f->nodes[2].x, f->nodes[2].y), 6.00005,
                1e-4);
}

TEST(BuildFrameFromLines, OverlappingCollinearLinesMakeNodesOnlyWhereLinesMeet) {
    // A portal of two bays on a base line: 6 nodes and 7 members, however
    // often its lines are drawn again in pieces on top of themselves.
    auto plain = std::make_unique<RefLineList>();
    AddLine(*plain, 0, 0, 12, 0);
    for (double x : {0.0, 6.0, 12.0}) AddLine(*plain, x, 0, x, -4);
    AddLine(*plain, -1, -4, 13, -4);
    auto expected = NewFrameModelRecord();
    ASSERT_EQ(BuildFrameFromLines(*plain, 1, *expected), "");
    ASSERT_EQ(expected->nodeCount, 6);
    ASSERT_EQ(expected->memberCount, 7);

    // The drawing of the report: a piece 3-9 on the beam and the beam once more.
    std::mt19937 rng(7);
    for (int trial = 0; trial < 60; ++trial) {
        auto l = std::make_unique<RefLineList>();
        *l = *plain;
        if (trial == 0) {
            AddLine(*l, 3, 0, 9, 0);
            AddLine(*l, 0, 0, 12, 0);
        } else {
            // Random pieces over the beam, a column or the base, either way round.
            std::uniform_real_distribution<double> u(0.0, 1.0);
            for (int k = 0; k < 1 + trial % 4; ++k) {
                const RefLine& host = plain->lines[1 + static_cast<int>(u(rng) * plain->count)];
                double a = u(rng), b = u(rng);
                if (std::fabs(a - b) < 0.01) b = a + 0.3;
                auto at = [&](double t, double& x, double& y) {
                    x = host.x1 + t * (host.x2 - host.x1);
                    y = host.y1 + t * (host.y2 - host.y1);
                };
                double x1, y1, x2, y2;
                at(std::clamp(a, 0.0, 1.0), x1, y1);
                at(std::clamp(b, 0.0, 1.0), x2, y2);
                AddLine(*l, x1, y1, x2, y2);
                // Lines were drawn in any order: put it anywhere in the list.
                std::swap(l->lines[l->count], l->lines[1 + static_cast<int>(u(rng) * l->count)]);
            }
        }
        auto f = NewFrameModelRecord();
        ASSERT_EQ(BuildFrameFromLines(*l, 1, *f), "") << trial;
        ASSERT_EQ(f->nodeCount, 6) << trial;
        ASSERT_EQ(f->memberCount, 7) << trial;
        EXPECT_EQ(NodesAt(*f), NodesAt(*expected)) << trial;
    }
    // Collinear lines that only touch end to end still meet in a node.
    auto touching = std::make_unique<RefLineList>();
    AddLine(*touching, 0, 0, 6, 0);
    AddLine(*touching, 6, 0, 12, 0);
    AddLine(*touching, 0, 1, 0, -1);
    AddLine(*touching, 12, 1, 12, -1);
    auto f = NewFrameModelRecord();
    EXPECT_EQ(BuildFrameFromLines(*touching, 1, *f), "");
    EXPECT_EQ(f->nodeCount, 3);
    EXPECT_EQ(f->memberCount, 2);
}

TEST(BuildFrameFromLines, TooManyNodesIsReportedAndLeavesNothing) {
    auto l = std::make_unique<RefLineList>();
    for (int i = 0; i < 30; ++i) {
        AddLine(*l, -1, i, 40, i);
        AddLine(*l, i, -1, i, 40);
    }
    auto f = NewFrameModelRecord();
    const std::string error = BuildFrameFromLines(*l, 1, *f);
    EXPECT_FALSE(error.empty());  // 900 crossings > 803 nodes
    EXPECT_EQ(f->nodeCount, 0);
    EXPECT_EQ(f->memberCount, 0);
}

TEST(ApplyGeneratedFrame, ReplacesNodesAndMembersOfANewModel) {
    auto gen = NewFrameModelRecord();
    BuildFrameFromLines(*Read("ref_square.dxf"), 1, *gen);
    auto model = NewFrameModelRecord();
    model->nodeCount = 7;
    model->memberCount = 9;
    ASSERT_TRUE(ApplyGeneratedFrame(*gen, *model));
    EXPECT_EQ(model->nodeCount, 4);
    EXPECT_EQ(model->memberCount, 4);
    EXPECT_GE(model->materialCount, 1);  // the new model's material stays
    EXPECT_EQ(model->members[3].nodeI, gen->members[3].nodeI);

    auto empty = NewFrameModelRecord();
    model->header.title[0] = 'T';
    EXPECT_FALSE(ApplyGeneratedFrame(*empty, *model));
    EXPECT_EQ(model->header.title[0], 'T');
    EXPECT_EQ(model->memberCount, 4);
}
