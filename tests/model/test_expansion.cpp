// Model expansion: rigid zones, spring segments, loads cut over pieces,
// points of interest, and every capacity fallback.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/expansion.h"
#include "model/load_case_loop.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"

namespace {

// Members 1..count along X, each `length` m, nodes 1..count + 1.
ModelBuilder Chain(int count, double length) {
    ModelBuilder b;
    for (int k = 1; k <= count + 1; ++k) b.Node(k, (k - 1) * length, 0);
    b.Material(1, 2e7, 1e-5).Section(1, 0.1, 0.002);
    for (int k = 1; k <= count; ++k) b.Member(k, k, k + 1);
    b.Support(1, 1, kSupportFixed).LoadCaseDef(1, 1);
    return b;
}

void AddSpringCase(FrameModel& m, int caseNo, int memberNo, double kv, double ku) {
    BaneCase& bc = m.springCases[++m.springCaseCount];
    bc.no = caseNo;
    bc.count = 1;
    bc.entries[1] = {memberNo, static_cast<float>(kv), static_cast<float>(ku)};
}

struct Expanded {
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    ExpansionReport report;
    DistributedSprings springs;
};

Expanded Expand(FrameModel& user, bool withSprings = true) {
    Expanded e;
    ExpansionResult r = ExpandFrameModel(*e.copy, user, withSprings, false);
    e.report = std::move(r.report);
    e.springs = std::move(r.springs);
    return e;
}

const LoadRecord& LoadOf(const FrameModel& m, int c, int k) { return m.loadCases[c].loads[k]; }

}  // namespace

// ---- rigid zones ------------------------------------------------------------

TEST(ExpansionZones, MemberWithTwoZonesBecomesThreePieces) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 4, 0).Material(1, 2e7).Material(3, 3e7).Section(1, 0.1, 0.002);
    b.Member(5, 1, 2, 1, 1, 1, 3);
    b.model().members[1].rigidI = 0.5f;
    b.model().members[1].rigidJ = 0.5f;
    b.Support(1, 1, kSupportPin).Load(1, kLoadTemperature, 5, 20);
    Expanded e = Expand(b.model());
    const FrameModel& c = *e.copy;
    EXPECT_FALSE(e.report.fellBack);
    ASSERT_EQ(c.memberCount, 3);
    ASSERT_EQ(c.nodeCount, 4);
    EXPECT_EQ(c.nodes[3].no, 3);
    EXPECT_EQ(c.nodes[4].no, 4);
    EXPECT_FLOAT_EQ(c.nodes[3].x, 0.5f);
    EXPECT_FLOAT_EQ(c.nodes[4].x, 3.5f);
    // Stiff copies: numbered after the largest material number, E x 100.
    ASSERT_EQ(c.materialCount, 4);
    EXPECT_EQ(c.materials[3].no, 4);
    EXPECT_EQ(c.materials[4].no, 5);
    EXPECT_FLOAT_EQ(c.materials[4].e, 3e9f);
    struct Piece {
        std::string name;
        int nodeI, nodeJ, endI, endJ, material;
        float start, length;
    };
    const Piece want[3] = {{"<剛域>5-I"_sj, 1, 3, 1, 0, 5, 0.0f, 0.5f},
                           {"", 3, 4, 0, 0, 3, 0.5f, 3.0f},
                           {"<剛域>5-J"_sj, 4, 2, 0, 1, 5, 3.5f, 0.5f}};
    for (int p = 1; p <= 3; ++p) {
        const FrameMember& m = c.members[p];
        const Piece& w = want[p - 1];
        EXPECT_EQ(m.no, p);
        if (!w.name.empty()) {
            EXPECT_EQ(std::string(m.name), w.name) << p;
        }
        EXPECT_EQ(m.nodeI, w.nodeI) << p;
        EXPECT_EQ(m.nodeJ, w.nodeJ) << p;
        EXPECT_EQ(m.endI, w.endI) << p;
        EXPECT_EQ(m.endJ, w.endJ) << p;
        EXPECT_EQ(m.materialNo, w.material) << p;
        EXPECT_NEAR(m.segStart, w.start, 1e-6) << p;
        EXPECT_NEAR(m.length, w.length, 1e-6) << p;
        EXPECT_EQ(m.segFirst, 1) << p;
        EXPECT_EQ(m.rigidI, 0.0f);
        EXPECT_EQ(m.rigidJ, 0.0f);
    }
    EXPECT_EQ(b.model().members[1].segFirst, 1);
    EXPECT_EQ(b.model().members[1].segLast, 3);
    // The temperature load reaches every piece.
    ASSERT_EQ(c.loadCases[1].count, 3);
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(LoadOf(c, 1, k).memberFrom, k);
}

TEST(ExpansionZones, PlainModelIsCopiedWithRunsCutAndPointsRebuilt) {
    ModelBuilder b = Chain(3, 4);
    b.Load(1, kLoadDistY, 1, -5, -5, 0, 0, 3).NodalLoad(1, 2, 3, -4, 1);
    b.model().view1Count = 1;
    b.model().view1[1] = {1, 3, 4};
    Expanded e = Expand(b.model());
    const FrameModel& c = *e.copy;
    EXPECT_FALSE(e.report.fellBack);
    EXPECT_EQ(c.memberCount, 3);
    EXPECT_EQ(c.nodeCount, 4);
    EXPECT_EQ(c.materialCount, 1);
    EXPECT_EQ(c.supportCaseCount, 1);
    EXPECT_EQ(c.view1Count, 0);
    // Every member has its 99 division points as named points.
    ASSERT_EQ(c.view2Count, 3);
    EXPECT_EQ(c.view2[1].count, 99);
    ASSERT_EQ(c.loadCases[1].count, 4);
    for (int k = 1; k <= 3; ++k) {
        const LoadRecord& l = LoadOf(c, 1, k);
        EXPECT_EQ(l.memberFrom, k);
        EXPECT_EQ(l.memberTo, 0);
        EXPECT_FLOAT_EQ(l.qI, -5);
        EXPECT_FLOAT_EQ(l.qJ, -5);
        EXPECT_FLOAT_EQ(l.distI, 0);
        EXPECT_FLOAT_EQ(l.distJ, 0);
    }
    EXPECT_EQ(LoadOf(c, 1, 4).code, kLoadNodal);
    EXPECT_EQ(LoadOf(c, 1, 4).memberFrom, 2);
    EXPECT_FLOAT_EQ(LoadOf(c, 1, 4).distI, 1);
}

// ---- loads over runs and pieces ---------------------------------------------

TEST(ExpansionLoads, RunsAndPiecesTakeTheirParts) {
    struct Expect {
        int piece;
        float qI, qJ, distI, distJ;
    };
    struct Case {
        const char* what;
        int code, from, to;
        double qI, qJ, distI, distJ;
        double zoneI;  // on member 1
        std::vector<Expect> loads;
    };
    const Case cases[] = {
        {"uniform over 1..3",
         kLoadDistY,
         1,
         3,
         -5,
         -5,
         0,
         0,
         0,
         {{1, -5, -5, 0, 0}, {2, -5, -5, 0, 0}, {3, -5, -5, 0, 0}}},
        {"reversed run",
         kLoadDistY,
         3,
         1,
         -5,
         -5,
         0,
         0,
         0,
         {{1, -5, -5, 0, 0}, {2, -5, -5, 0, 0}, {3, -5, -5, 0, 0}}},
        {"trapezoid over 1..2",
         kLoadDistPerp,
         1,
         2,
         0,
         8,
         0,
         0,
         0,
         {{1, 0, 4, 0, 0}, {2, 4, 8, 0, 0}}},
        {"stops 5 m before the run's end",
         kLoadDistX,
         1,
         3,
         2,
         2,
         0,
         5,
         0,
         {{1, 2, 2, 0, 0}, {2, 2, 2, 0, 1}}},
        {"point load on a run, once at 6 m", kLoadConcY, 1, 3, -7, 0, 6, 0, 0, {{2, -7, 0, 2, 0}}},
        {"point load on a piece joint: first piece",
         kLoadConcPerp,
         1,
         0,
         -7,
         0,
         1.0,
         0,
         1.0,
         {{1, -7, 0, 1, 0}}},
        {"0.00005 m beyond a piece end: that end",
         kLoadConcMoment,
         1,
         0,
         3,
         0,
         1.00005,
         0,
         1.0,
         {{1, 3, 0, 1, 0}}},
        {"uniform cut at a zone",
         kLoadDistAxial,
         1,
         0,
         1,
         1,
         0.5,
         0,
         1.0,
         {{1, 1, 1, 0.5, 0}, {2, 1, 1, 0, 0}}},
        {"trapezoid cut at a zone",
         kLoadDistY,
         1,
         0,
         0,
         4,
         0,
         0,
         1.0,
         {{1, 0, 1, 0, 0}, {2, 1, 4, 0, 0}}},
    };
    for (const Case& t : cases) {
        ModelBuilder b = Chain(3, 4);
        b.model().members[1].rigidI = static_cast<float>(t.zoneI);
        b.Load(1, t.code, t.from, t.qI, t.qJ, t.distI, t.distJ, t.to);
        Expanded e = Expand(b.model());
        const FrameModel& c = *e.copy;
        ASSERT_EQ(c.loadCases[1].count, static_cast<int>(t.loads.size())) << t.what;
        for (std::size_t k = 0; k < t.loads.size(); ++k) {
            const LoadRecord& l = LoadOf(c, 1, static_cast<int>(k) + 1);
            const Expect& w = t.loads[k];
            EXPECT_EQ(l.code, t.code) << t.what;
            EXPECT_EQ(l.memberFrom, w.piece) << t.what << " load " << k;
            EXPECT_EQ(l.memberTo, 0) << t.what;
            EXPECT_NEAR(l.qI, w.qI, 1e-5) << t.what << " load " << k;
            EXPECT_NEAR(l.qJ, w.qJ, 1e-5) << t.what << " load " << k;
            EXPECT_NEAR(l.distI, w.distI, 1e-5) << t.what << " load " << k;
            EXPECT_NEAR(l.distJ, w.distJ, 1e-5) << t.what << " load " << k;
        }
    }
}

// ---- distributed springs ----------------------------------------------------

TEST(ExpansionSprings, TenMetreSpringMemberGetsHundredSegments) {
    ModelBuilder b = Chain(1, 10);
    b.Load(1, kLoadDistY, 1, -1, -1);
    b.model().loadCases[1].baneCaseNo = 3;
    b.model().loadCases[1].no = 4;
    AddSpringCase(b.model(), 3, 1, 2000, 500);
    Expanded e = Expand(b.model());
    const FrameModel& c = *e.copy;
    EXPECT_FALSE(e.report.fellBack) << e.report.warnings;
    EXPECT_EQ(SpringSegmentCount[1], 100);
    ASSERT_EQ(c.memberCount, 101);
    EXPECT_EQ(c.nodeCount, 102);
    EXPECT_NEAR(c.members[1].length, 0.05, 1e-5);
    EXPECT_NEAR(c.members[50].length, 0.1, 1e-5);
    EXPECT_NEAR(c.members[101].length, 0.05, 1e-5);
    // One support case per load case: the user's supports, then the springs.
    ASSERT_EQ(c.supportCaseCount, 1);
    const SuptCase& sc = c.supportCases[1];
    EXPECT_EQ(sc.no, 1);
    EXPECT_STREQ(sc.name, "荷重ｹｰｽ. 4"_sj.c_str());
    EXPECT_EQ(c.loadCases[1].suptCaseNo, 1);
    EXPECT_EQ(c.loadCases[1].baneCaseNo, 0);
    ASSERT_EQ(sc.count, 101);
    EXPECT_EQ(sc.entries[1].code, kSupportFixed);
    double sumKx = 0, sumKy = 0;
    for (int k = 2; k <= sc.count; ++k) {
        EXPECT_EQ(sc.entries[k].code, kSupportMemberSpring);
        EXPECT_EQ(sc.entries[k].reserved[0], 0.0f);  // a level member couples nothing
        EXPECT_EQ(sc.entries[k].reserved[1], 1.0f);  // the user member's slot
        EXPECT_EQ(sc.entries[k].nodeNo, c.members[k - 1].nodeJ);
        EXPECT_EQ(sc.entries[k].km, 0.0f);
        sumKx += sc.entries[k].kx;
        sumKy += sc.entries[k].ky;
    }
    EXPECT_NEAR(sumKy, 2000 * 10, 1e-2);  // kv over the whole length
    EXPECT_NEAR(sumKx, 500 * 10, 1e-2);   // ku likewise
    // The inner pieces spread their node springs back along themselves; the
    // two end pieces carry theirs at their inner node and take none.
    for (int v = 2; v <= 100; ++v) {
        EXPECT_EQ(e.springs.At(1, v).kv, 2000) << v;
        EXPECT_EQ(e.springs.At(1, v).ku, 500) << v;
    }
    for (const int v : {1, 101}) {
        EXPECT_EQ(e.springs.At(1, v).kv, 0) << v;
        EXPECT_EQ(e.springs.At(1, v).ku, 0) << v;
    }
    // The uniform load reaches every piece whole.
    EXPECT_EQ(c.loadCases[1].count, 101);
}

TEST(ExpansionSprings, VerticalSpringMemberTurnsItsConstants) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 0, 3).Material(1, 2e7).Section(1, 0.1, 0.002).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Load(1, kLoadConcX, 1, 1, 0, 3);
    b.model().loadCases[1].baneCaseNo = 1;
    AddSpringCase(b.model(), 1, 1, 2000, 500);
    Expanded e = Expand(b.model());
    const SuptCase& sc = e.copy->supportCases[1];
    double sumKx = 0, sumKy = 0;
    for (int k = 2; k <= sc.count; ++k) sumKx += sc.entries[k].kx, sumKy += sc.entries[k].ky;
    EXPECT_NEAR(sumKx, 2000 * 3, 1e-2);  // kv acts across the member: along X
    EXPECT_NEAR(sumKy, 500 * 3, 1e-2);
}

TEST(ExpansionSprings, WithoutNodeSpringsEachEntryFollowsThePieces) {
    ModelBuilder b = Chain(2, 4);
    b.model().members[2].rigidI = 0.5f;
    b.Load(1, kLoadDistY, 2, -1, -1);
    b.model().loadCases[1].baneCaseNo = 1;
    AddSpringCase(b.model(), 1, 2, 100, 0);
    Expanded e = Expand(b.model(), false);
    const FrameModel& c = *e.copy;
    ASSERT_EQ(c.memberCount, 3);
    EXPECT_EQ(SpringSegmentCount[2], 1);
    const BaneCase& bc = c.springCases[1];
    ASSERT_EQ(bc.count, 2);
    EXPECT_EQ(bc.entries[1].memberNo, 2);
    EXPECT_EQ(bc.entries[2].memberNo, 3);
    EXPECT_EQ(bc.entries[2].kv, 100.0f);
    EXPECT_EQ(c.supportCases[1].count, 1);  // no node springs
    EXPECT_TRUE(e.springs.Empty());
}

// ---- points of interest -------------------------------------------------------

TEST(ExpansionPoints, NamedPointsMoveOntoTheirPieces) {
    ModelBuilder b = Chain(1, 4);
    b.model().members[1].rigidI = 0.5f;
    b.model().members[1].rigidJ = 0.5f;
    b.ViewPoints(1, {2.0}, "中"_sj.c_str());
    Expanded e = Expand(b.model());
    const FrameModel& c = *e.copy;
    ASSERT_EQ(c.view2Count, 3);
    // Division points every 0.04 m: 12 inside the I zone, 75 and the named
    // point on the middle piece, 12 inside the J zone.
    EXPECT_EQ(c.view2[1].memberNo, 1);
    EXPECT_EQ(c.view2[1].count, 12);
    EXPECT_EQ(c.view2[2].memberNo, 2);
    EXPECT_EQ(c.view2[3].memberNo, 3);
    EXPECT_EQ(c.view2[3].count, 12);
    const View2Member& mid = c.view2[2];
    int named = 0;
    for (int k = 1; k <= mid.count; ++k) {
        if (std::string(mid.pointName[k]) == "中"_sj) {
            ++named;
            EXPECT_NEAR(mid.dist[k], 1.5, 1e-6);
        }
        if (k > 1) {
            EXPECT_GE(mid.dist[k], mid.dist[k - 1]);
        }
    }
    EXPECT_EQ(named, 1);
    EXPECT_NEAR(mid.dist[1], 0.02, 1e-6);  // 0.52 from the member's I end
}

// ---- capacities and fallbacks ------------------------------------------------

TEST(ExpansionFallbacks, CapacitiesAreNeverExceededAndFallbacksAreReported) {
    struct Case {
        const char* what;
        void (*build)(ModelBuilder&);
        int members;  // expected member count of the copy
        int nodes;    // expected node count of the copy (0: not checked)
        bool fellBack;
        bool springs;  // the pieces carry distributed springs
    };
    const Case cases[] = {
        {"members + 2 x springs above 800: no expansion",
         [](ModelBuilder& b) {
             b = Chain(799, 1);
             b.model().loadCases[1].baneCaseNo = 1;
             AddSpringCase(b.model(), 1, 5, 100, 0);
         },
         799, 800, true, false},
        {"803 nodes and one zone: no room for its node",
         [](ModelBuilder& b) {
             b = Chain(1, 1);
             for (int k = 3; k <= 803; ++k) b.Node(k, 0, k);
             b.model().members[1].rigidI = 0.2f;
         },
         1, 803, true, false},
        {"members + zones above 800: zones dropped",
         [](ModelBuilder& b) {
             b = Chain(401, 1);
             for (int k = 1; k <= 401; ++k) b.model().members[k].rigidI = 0.1f;
         },
         401, 402, true, false},
        {"many spring members: fewer segments",
         [](ModelBuilder& b) {
             b = Chain(50, 1);
             b.model().loadCases[1].baneCaseNo = 1;
             BaneCase& bc = b.model().springCases[++b.model().springCaseCount];
             bc.no = 1;
             for (int k = 1; k <= 50; ++k) bc.entries[++bc.count] = {k, 100, 0};
         },
         800, 0, true, true},
        {"loads cut over 101 pieces overflow the case: the springs stay (the case is refused)",
         [](ModelBuilder& b) {
             b = Chain(1, 10);
             b.model().loadCases[1].baneCaseNo = 1;
             AddSpringCase(b.model(), 1, 1, 100, 0);
             for (int k = 0; k < 20; ++k) b.Load(1, kLoadDistY, 1, -1, -1);
         },
         101, 102, false, true},
        {"zones longer than their member are ignored",
         [](ModelBuilder& b) {
             b = Chain(2, 1);
             b.model().members[1].rigidI = 0.6f;
             b.model().members[1].rigidJ = 0.4f;
             b.model().members[2].rigidJ = -0.2f;
         },
         2, 3, true, false},
        {"a few spring members fit",
         [](ModelBuilder& b) {
             b = Chain(3, 2);
             b.model().loadCases[1].baneCaseNo = 1;
             AddSpringCase(b.model(), 1, 2, 100, 0);
         },
         3 + 100, 4 + 100, false, true},
    };
    for (const Case& t : cases) {
        ModelBuilder b;
        t.build(b);
        Expanded e = Expand(b.model());
        EXPECT_EQ(e.copy->memberCount, t.members) << t.what;
        if (t.nodes) {
            EXPECT_EQ(e.copy->nodeCount, t.nodes) << t.what;
        }
        EXPECT_LE(e.copy->memberCount, kMaxExpandedMembers) << t.what;
        EXPECT_LE(e.copy->nodeCount, kMaxNodes) << t.what;
        EXPECT_LE(e.copy->materialCount, kMaxMaterials) << t.what;
        EXPECT_EQ(e.report.fellBack, t.fellBack) << t.what;
        EXPECT_EQ(e.report.warnings.empty(), !t.fellBack) << t.what;
        EXPECT_EQ(e.springs.Empty(), !t.springs) << t.what;
        for (int s = 1; s <= e.copy->supportCaseCount; ++s)
            EXPECT_LE(e.copy->supportCases[s].count, kMaxSupportEntries) << t.what;
    }
}

TEST(ExpansionFallbacks, LoadTableOverflowNamesTheCaseAndWritesNoFurther) {
    ModelBuilder b = Chain(2, 1);
    b.model().loadCases[1].no = 7;
    for (int k = 0; k < kMaxLoads; ++k) b.Load(7, kLoadDistY, 1, -1, -1, 0, 0, 2);
    Expanded e = Expand(b.model());
    EXPECT_EQ(e.report.loadOverflowCase, 7);
    EXPECT_EQ(e.copy->loadCases[1].count, kMaxLoads);
    EXPECT_NE(LoadOverflowMessage(7).find("No.7："_sj), std::string::npos);
}
