// The member point lister: which points are listed, with which names, in
// which order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/frame_results.h"
#include "model/member_points.h"
#include "platform/sjis_literal.h"

namespace {

struct Slot {
    float pos;
    const char* label;  // ASCII labels keep the table short
    int kind;
};

// Member 1 of block 1: the points, then the M-max and M-min copies.
FrameResults& Record(const std::vector<Slot>& points, float maxPos, float minPos,
                     float length = 4.0f) {
    static FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    r->memberCount = 1;
    r->caseCount = 1;
    ResultMember& rm = r->member[1];
    rm.length = length;
    rm.pointCount = static_cast<int>(points.size());
    MemberResult& mr = r->block[1].members[1];
    for (int k = 1; k <= rm.pointCount; ++k) {
        const Slot& s = points[static_cast<std::size_t>(k - 1)];
        rm.pointPos[k] = s.pos;
        std::strcpy(rm.pointLabel[k], s.label);
        rm.pointKind[k] = static_cast<int16_t>(s.kind);
        mr.values[kQtyPos][k] = s.pos;
        mr.values[kQtyM][k] = static_cast<float>(10 * k);
    }
    const int n = rm.pointCount;
    mr.values[kQtyPos][n + 1] = maxPos;
    mr.values[kQtyM][n + 1] = 99;
    mr.values[kQtyPos][n + 2] = minPos;
    mr.values[kQtyM][n + 2] = -99;
    return *r;
}

std::vector<std::string> Labels(const std::vector<MemberPointRecord>& listing) {
    std::vector<std::string> out;
    for (const MemberPointRecord& p : listing) out.emplace_back(p.label);
    return out;
}

}  // namespace

TEST(MemberPoints, WhichPointsAreListed) {
    struct Case {
        const char* what;
        std::vector<Slot> points;
        float maxPos, minPos;
        bool descending, includeUnlabelled;
        std::vector<std::string> expected;
    };
    const std::vector<Slot> base = {{0, "A", 2}, {1, "", 1}, {2, "", 2}, {3, "D", 1}, {4, "E", 2}};
    const Case cases[] = {
        {"labelled points and inner extremes",
         base,
         2.5f,
         1.5f,
         false,
         false,
         {"A", "M-min", "M-max", "D", "E"}},
        {"named points of interest join with the flag",
         base,
         2.5f,
         1.5f,
         false,
         true,
         {"A", "M-min", "", "M-max", "D", "E"}},
        {"extremes at the ends are left out",
         base,
         0.00005f,
         3.99995f,
         false,
         true,
         {"A", "", "D", "E"}},
        {"extremes just inside are kept",
         base,
         0.0002f,
         3.9998f,
         false,
         false,
         {"A", "M-max", "D", "M-min", "E"}},
        {"descending", base, 2.5f, 1.5f, true, false, {"E", "D", "M-max", "M-min", "A"}},
        {"equal positions keep their slot order",
         {{2, "A", 2}, {2, "B", 2}, {1, "C", 2}},
         0,
         0,
         false,
         false,
         {"C", "A", "B"}},
        {"equal positions keep their slot order, descending",
         {{1, "A", 2}, {1, "B", 2}, {2, "C", 2}},
         0,
         0,
         true,
         false,
         {"C", "A", "B"}},
    };
    for (const Case& c : cases) {
        const FrameResults& r = Record(c.points, c.maxPos, c.minPos);
        EXPECT_EQ(Labels(ListPointsWithForces(r, 1, 1, c.descending, c.includeUnlabelled)),
                  c.expected)
            << c.what;
    }
}

TEST(MemberPoints, RecordsCarryTheBlocksValues) {
    const FrameResults& r = Record({{0, "A", 2}, {4, "B", 2}}, 2.0f, 3.0f);
    const std::vector<MemberPointRecord> listing = ListPointsWithForces(r, 1, 1, false, false);
    ASSERT_EQ(listing.size(), 4u);
    EXPECT_EQ(listing[1].position, 2.0);
    EXPECT_EQ(listing[1].m, 99);
    EXPECT_EQ(listing[2].m, -99);
    EXPECT_EQ(listing[3].m, 20);
}

TEST(MemberPoints, LabelledExtremesKeepTheirLabel) {
    FrameResults& r = Record({{0, "A", 2}, {4, "B", 2}}, 2.0f, 3.0f);
    std::strcpy(r.member[1].pointLabel[3], "中央"_sj.c_str());
    const std::vector<MemberPointRecord> listing = ListPointsWithForces(r, 1, 1, false, false);
    ASSERT_EQ(listing.size(), 4u);
    EXPECT_EQ(std::string(listing[1].label), "中央"_sj);
    EXPECT_EQ(std::string(listing[2].label), "M-min");
}

TEST(MemberPoints, FullMemberAndBadIndexesStayInBounds) {
    std::vector<Slot> many;
    for (int k = 0; k < kMaxResultPoints; ++k) many.push_back({0.01f * k, "P", 2});
    const FrameResults& r = Record(many, 0.5f, 0.6f, 2.0f);
    EXPECT_EQ(ListPointsWithForces(r, 1, 1, false, false).size(), std::size_t{kMaxListedPoints});
    EXPECT_TRUE(ListPointsWithForces(r, 0, 1, false, false).empty());
    EXPECT_TRUE(ListPointsWithForces(r, kResultCaseSlots, 1, false, false).empty());
    EXPECT_TRUE(ListPointsWithForces(r, 1, kResultMemberSlots, false, false).empty());
}
