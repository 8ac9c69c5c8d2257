// Members on distributed springs and members cut into pieces, end to end:
// the soil acts the same whatever the member's slope and along rigid zones
// too, a load on a joint of two pieces keeps its own jump, every point of
// interest is found, and a case whose cut loads do not fit is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "model/analysis_driver.h"
#include "model/expansion.h"
#include "model/frame_results.h"
#include "model/numeric.h"
#include "model/progress.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"

namespace {

FrameResults& Results() {
    static FrameResults* r = AllocateFrameResults();
    return *r;
}
// A second record, to compare with (the program's one is Results()).
FrameResults& Reference() {
    static FrameResults* r = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    return *r;
}

constexpr double kPi = 3.14159265358979323846;

// A member of length L from (x0, y0) at angle a on springs kv, ku (spring
// case 1 of load case 1, which names support case 1).
ModelBuilder SpringBeam(double x0, double y0, double L, double a, double kv, double ku,
                        double e = 2e7, double inertia = 0.01) {
    ModelBuilder b;
    b.Node(1, x0, y0).Node(2, x0 + L * std::cos(a), y0 + L * std::sin(a));
    b.Material(1, e).Section(1, 0.5, inertia).Member(1, 1, 2);
    b.LoadCaseDef(1, 1);
    b.model().loadCases[1].baneCaseNo = 1;
    b.Spring(1, 1, kv, ku);
    return b;
}

void Analyse999(FrameResults& r, FrameModel& m) {
    ASSERT_TRUE(RunFrameAnalysis(r, m, false, false, 999));
}

double Largest(const FrameResults& r, int member, int q) {
    double v = 0;
    for (int k = 1; k <= r.member[member].pointCount; ++k)
        v = std::max(v, std::fabs(Value(r, 1, member, k, q)));
    return v;
}

// Every point's M, S and N of member 1 in both results agree to `tol` of
// their largest values, and so do M-max and M-min.
void ExpectSameForces(const FrameResults& a, const FrameResults& b, double tol,
                      const std::string& what) {
    ASSERT_EQ(a.member[1].pointCount, b.member[1].pointCount) << what;
    for (const int q : {kQtyM, kQtyS, kQtyN}) {
        const double scale = std::max(Largest(b, 1, q), 1.0);
        // The M-max and M-min rows by their moment (equal moments may
        // sit at either of their points).
        const int rows = q == kQtyM ? 2 : 0;
        for (int k = 1; k <= a.member[1].pointCount + rows; ++k)
            ASSERT_NEAR(Value(a, 1, 1, k, q), Value(b, 1, 1, k, q), tol * scale)
                << what << " quantity " << q << " point " << k;
    }
}

}  // namespace

// ---- slope of the member ----------------------------------------------------

TEST(SpringMembers, TurningTheFrameChangesNothing) {
    // Loads along and across the member and a pin at node 1: the frame
    // turned by any angle is the same frame.
    struct Row {
        double kv, ku;
    };
    std::mt19937 rng(20261209);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (const Row row : {Row{2e4, 0}, Row{3e4, 5e3}}) {
        auto build = [&](double a) {
            ModelBuilder b = SpringBeam(1, 2, 8.4, a, row.kv, row.ku);
            b.Support(1, 1, kSupportPin);
            b.Load(1, kLoadConcPerp, 1, -100, 0, 4.2);
            b.Load(1, kLoadDistPerp, 1, -10, -30, 1, 2);
            b.Load(1, kLoadConcAxial, 1, 40, 0, 3);
            return b;
        };
        ModelBuilder level = build(0);
        Analyse999(Reference(), level.model());
        for (int i = 0; i < 6; ++i) {
            const double a = i == 0 ? kPi / 4 : angle(rng);
            const std::string what = "kv " + std::to_string(row.kv) + " ku " +
                                     std::to_string(row.ku) + " angle " + std::to_string(a);
            ModelBuilder turned = build(a);
            Analyse999(Results(), turned.model());
            ExpectSameForces(Results(), Reference(), 2e-4, what);
            // The free end moves the same way, turned.
            const NodeResult &d = Results().block[1].nodes[2], &d0 = Reference().block[1].nodes[2];
            const double c = std::cos(a), s = std::sin(a);
            const double scale = std::hypot(d0.dx, d0.dy);
            EXPECT_NEAR(c * d.dx + s * d.dy, d0.dx, 2e-4 * scale) << what;
            EXPECT_NEAR(-s * d.dx + c * d.dy, d0.dy, 2e-4 * scale) << what;
        }
    }
}

TEST(SpringMembers, StiffInclinedBeamMovesAsARigidBodyOnItsSoil) {
    // A nearly rigid beam under a vertical uniform load q, held at node 1
    // in x only: with t = (c, s) its direction, the soil takes kv L across
    // and ku L along it and kv L^3 / 12 against rotation, and the support's
    // force Rx, acting at the end, turns it. Equilibrium and the support's
    // condition give Rx (c^2 / ku + 4 s^2 / kv) = q L s c (1 / ku - 1 / kv).
    struct Row {
        double degrees, kv, ku;
    };
    for (const Row row : {Row{30, 3e4, 5e3}, Row{60, 2e4, 8e3}, Row{135, 1e4, 3e4}}) {
        const double a = row.degrees * kPi / 180, L = 10, q = 20;
        ModelBuilder b = SpringBeam(0, 0, L, a, row.kv, row.ku, 2e11, 1.0);
        b.Support(1, 1, kSupportRollerX).Load(1, kLoadDistY, 1, -q, -q);
        Analyse999(Results(), b.model());
        const double c = std::cos(a), s = std::sin(a);
        const double rx =
            q * L * s * c * (1 / row.ku - 1 / row.kv) / (c * c / row.ku + 4 * s * s / row.kv);
        const ReactionRow* r = ReactionOf(Results(), 1, 1);
        ASSERT_NE(r, nullptr) << row.degrees;
        EXPECT_NEAR(r->rx, rx, 0.005 * std::fabs(rx) + 0.01) << row.degrees;
    }
}

// ---- joints of pieces --------------------------------------------------------

TEST(SpringMembers, ALoadOnAJointOfPiecesKeepsItsOwnJump) {
    // The load on a joint and 1 mm further along give nearly the same
    // forces everywhere: only a node spring's jump is spread.
    struct Row {
        const char* what;
        bool springs;
        int code;
        double at;
    };
    const Row rows[] = {
        {"force across, end of a rigid zone", false, kLoadConcY, 0.5},
        {"force along, end of a rigid zone", false, kLoadConcX, 0.5},
        {"force across, joint of spring segments", true, kLoadConcY, 3.025},
        {"force along, end of a zone on springs", true, kLoadConcX, 5.5},
    };
    for (const Row& row : rows) {
        auto build = [&](double at) {
            ModelBuilder b = SpringBeam(0, 0, 6, 0, row.springs ? 2e4 : 0, row.springs ? 2e4 : 0);
            if (!row.springs) b.model().springCaseCount = 0;
            b.model().members[1].rigidI = 0.5f;
            b.model().members[1].rigidJ = 0.5f;
            b.Support(1, 1, kSupportFixed).Support(1, 2, kSupportFixed);
            b.Load(1, row.code, 1, -100, 0, at);
            DivideMember(b, 1, 6, 12);
            return b;
        };
        ModelBuilder on = build(row.at), beside = build(row.at + 0.001);
        Analyse999(Results(), on.model());
        if (!row.springs) ExpectEquilibrium(on.model(), Results());
        Analyse999(Reference(), beside.model());
        ExpectSameForces(Results(), Reference(), 0.01, row.what);
    }
}

TEST(SpringMembers, ZonesOnSpringsCarryTheirSoil) {
    // A foundation beam with column zones at its ends is the same as the
    // beam made of three spring members, the zones stiff.
    const double L = 8, r = 0.6, E = 2e7, kv = 3e4;
    ModelBuilder zoned = SpringBeam(0, 0, L, 0, kv, 0, E);
    zoned.model().members[1].rigidI = static_cast<float>(r);
    zoned.model().members[1].rigidJ = static_cast<float>(r);
    ModelBuilder parts;
    parts.Node(1, 0, 0).Node(2, L, 0).Node(3, r, 0).Node(4, L - r, 0);
    parts.Material(1, E).Material(2, 100 * E).Section(1, 0.5, 0.01);
    parts.Member(1, 1, 3, 0, 0, 1, 2).Member(2, 3, 4).Member(3, 4, 2, 0, 0, 1, 2);
    parts.LoadCaseDef(1, 1);
    parts.model().loadCases[1].baneCaseNo = 1;
    for (int k = 1; k <= 3; ++k) parts.Spring(1, k, kv, 0);
    for (ModelBuilder* b : {&zoned, &parts}) {
        b->NodalLoad(1, 1, 0, -500).NodalLoad(1, 2, 0, -300);
        b->Support(1, 1, kSupportRollerX);
    }
    Analyse999(Results(), zoned.model());
    Analyse999(Reference(), parts.model());
    for (const int node : {1, 2}) {
        const double dy = Reference().block[1].nodes[node].dy;
        EXPECT_NEAR(Results().block[1].nodes[node].dy, dy, 0.01 * std::fabs(dy)) << node;
    }
    // The end shear is the column load's, the soil under the zone counted
    // with the member.
    const double s0 = Value(Reference(), 1, 1, 1, kQtyS);
    EXPECT_NEAR(Value(Results(), 1, 1, 1, kQtyS), s0, 0.01 * std::fabs(s0));
}

// ---- points -------------------------------------------------------------------

TEST(SpringMembers, EveryPointOfInterestIsFoundOnSpringMembers) {
    for (const double L : {5.0, 6.0, 6.2, 6.3, 7.5, 8.25, 9.1, 12.345}) {
        ModelBuilder b = SpringBeam(0, 0, L, 0, 2e4, 0);
        b.Support(1, 1, kSupportRollerX).Load(1, kLoadConcY, 1, -50, 0, 2.5);
        b.ViewPoints(1, {2.5}, "ﾊﾞｲﾝﾄ"_sj.c_str());
        Analyse999(Results(), b.model());
        const ResultMember& rm = Results().member[1];
        // Both ends, the 99 divisions and the named point (unless a
        // division lies there too).
        bool onDivision = false;
        for (int f = 1; f < 100; ++f) onDivision = onDivision || Round3(f * L / 100) == 2.5;
        EXPECT_EQ(rm.pointCount, onDivision ? 101 : 102) << L;
        const int k = PointAt(Results(), 1, 2.5);
        EXPECT_FLOAT_EQ(rm.pointPos[k], 2.5f) << L;
        EXPECT_STREQ(rm.pointLabel[k], "ﾊﾞｲﾝﾄ"_sj.c_str()) << L;
        EXPECT_EQ(rm.pointKind[k], 2) << L;
        // The point under the load shows the side before it, as on a
        // member of one piece: S = the shear just left of 2.5 m.
        const double before = Value(Results(), 1, 1, k - 1, kQtyS);
        EXPECT_NEAR(Value(Results(), 1, 1, k, kQtyS), before, 5) << L;
    }
}

// ---- loads that do not fit ----------------------------------------------------

TEST(SpringMembers, ACaseWhoseCutLoadsDoNotFitIsRefused) {
    std::string shown;
    SetEngineMessageSink([&](const std::string& text) { shown += text; });
    struct Row {
        const char* what;
        int loads;
        bool springs;
    };
    for (const Row row : {Row{"14 loads on a beam of 3 x 41 pieces", 14, true},
                          Row{"loads over a run of two members", kMaxLoads, false}}) {
        shown.clear();
        ModelBuilder b;
        b.Node(1, 0, 0).Node(2, 6, 0).Node(3, 12, 0).Node(4, 18, 0);
        b.Material(1, 2e7).Section(1, 0.5, 0.01);
        b.Member(1, 1, 2).Member(2, 2, 3).Member(3, 3, 4).Support(1, 1, kSupportPin);
        for (int k = 0; k < row.loads; ++k) b.Load(7, kLoadDistY, 1, -1, -1, 0, 0, 3);
        if (row.springs) {
            b.model().loadCases[1].baneCaseNo = 1;
            for (int k = 1; k <= 3; ++k) b.Spring(1, k, 2e4, 0);
        }
        EXPECT_FALSE(RunFrameAnalysis(Results(), b.model(), false, false, 999)) << row.what;
        EXPECT_EQ(Results().memberCount, 0) << row.what;
        EXPECT_NE(shown.find("荷重ｹｰｽ No.7："_sj), std::string::npos) << row.what << shown;
    }
    SetEngineMessageSink({});
}
