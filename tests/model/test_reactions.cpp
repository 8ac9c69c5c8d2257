// Supports and their reactions: which directions a support holds, what it
// reports, and that reactions balance the loads of every load case and
// combination. Units: m, kN, kN*m; displacements in mm.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "model/analysis_driver.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/validation.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"

namespace {

const double kE = 2.05e8;
const double kEf = static_cast<float>(kE);

// Reactions of a combination balance the factored loads of its cases.
void ExpectCombinationEquilibrium(const FrameModel& model, const FrameResults& r) {
    for (int k = 1; k <= r.comboCount; ++k) {
        const KumiCase& combo = model.combinations[k];
        StaticSum s;
        for (int e = 1; e <= combo.count; ++e) {
            const int c = FindLoadCaseIndex(model, combo.entries[e].loadCaseNo);
            const double w = static_cast<double>(combo.entries[e].factor) * combo.factor;
            const StaticSum one = AppliedLoads(model, c);
            s.fx += w * one.fx;
            s.fy += w * one.fy;
            s.m += w * one.m;
            s.scale += std::fabs(w) * one.scale;
        }
        AddReactions(s, model, r.block[ComboBlockIndex(r, k)], false);
        ExpectBalanced(s, "combination " + std::to_string(combo.no));
    }
}

// Symmetric portal (columns h, beam L, axially rigid) on two equal bases of
// rotational stiffness kTheta (negative: fixed), lateral load H at the left
// knee, by slope-deflection: knee rotation t, base rotation f, chord
// rotation psi of the columns. Clockwise end moments positive.
struct PortalSway {
    double sway, baseMoment;
};
PortalSway SlopeDeflection(double h, double L, double eic, double eib, double kTheta, double H) {
    const double c = 2 * eic / h;
    // Unknowns (t, f, psi); rows: knee joint, base joint, storey shear.
    double a[3][4] = {
        {2 * c + 6 * eib / L, c, -3 * c, 0},
        {c, 2 * c + std::max(kTheta, 0.0), -3 * c, 0},
        {3 * c / h, 3 * c / h, -6 * c / h, -H / 2},
    };
    if (kTheta < 0) a[1][0] = 0, a[1][1] = 1, a[1][2] = 0;  // fixed: f = 0
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const double m = a[j][i] / a[i][i];
            for (int k = i; k < 4; ++k) a[j][k] -= m * a[i][k];
        }
    double x[3];
    for (int i = 2; i >= 0; --i) {
        double s = a[i][3];
        for (int k = i + 1; k < 3; ++k) s -= a[i][k] * x[k];
        x[i] = s / a[i][i];
    }
    const double f = x[1], t = x[0], psi = x[2];
    return {psi * h, c * (2 * f + t - 3 * psi)};
}

}  // namespace

// A spring support holds a direction whose constant is negative rigidly
// (as the report prints it: fixed) and springs the others. Before, -1 was
// assembled as a spring of -1 kN/m: the portal on Kx = Ky = -1, Km = 2500
// swayed 15 m and rose 60 m under 30 kN without a word.
TEST(Supports, NegativeSpringConstantsHoldTheirDirectionRigidly) {
    const double h = 4, L = 6, ic = 2e-4, ib = 3e-4, H = 30;
    const double eic = kEf * static_cast<float>(ic), eib = kEf * static_cast<float>(ib);
    struct Row {
        const char* what;
        double km;
    };
    for (const Row& row : {Row{"rotational spring 2500", 2500}, Row{"rigid in all three", -1},
                           Row{"free rotation", 0}}) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, 10, ic).Section(2, 10, ib);
        b.Node(1, 0, 0).Node(2, 0, h).Node(3, L, h).Node(4, L, 0);
        b.Member(1, 1, 2, 0, 0, 1).Member(2, 2, 3, 0, 0, 2).Member(3, 4, 3, 0, 0, 1);
        b.Support(1, 1, kSupportSpring, -1, -1, row.km)
            .Support(1, 4, kSupportSpring, -1, -1, row.km);
        b.NodalLoad(1, 2, H, 0);
        FrameResults& r = Analyse(b.model());
        const PortalSway hand = SlopeDeflection(h, L, eic, eib, row.km, H);
        EXPECT_NEAR(r.block[1].nodes[2].dx, hand.sway * 1000, 1e-4 * std::fabs(hand.sway * 1000))
            << row.what;
        EXPECT_NEAR(r.block[1].nodes[2].dy, 0, 1e-3) << row.what;  // the columns hardly shorten
        EXPECT_EQ(0, r.block[1].nodes[1].dx) << row.what;          // held, not sprung
        const ReactionRow* base = ReactionOf(r, 1, 1);
        ASSERT_NE(nullptr, base) << row.what;
        EXPECT_NEAR(base->rx, -H / 2, 1e-4 * H) << row.what;
        // The base moment on the column is the support's counter-clockwise
        // reaction (clockwise end moment positive in the hand solution).
        EXPECT_NEAR(base->rm, -hand.baseMoment, 1e-4 * H * h + 1e-6) << row.what;
        ExpectEquilibrium(b.model(), r);
    }
}

// A direction its code leaves free has no reaction, whatever its constant
// field holds: the old choice by |k| > 1e-9 reported round-off (Rx
// -4.7e-15 at a roller whose Kx held -1).
TEST(Supports, ReactionsAreThoseOfTheDirectionsTheCodeHolds) {
    struct Row {
        int code;
        float kx, ky, km;
        bool rx, ry, rm;  // which reactions may be non-zero
    };
    const Row rows[] = {
        {kSupportRollerY, -1, -1, -1, false, true, false},
        {kSupportRollerX, -1, -1, -1, true, false, false},
        {kSupportPin, 0, 0, -1, true, true, false},
        {kSupportFixed, 0, 0, 0, true, true, true},
        {kSupportSpring, -1, 1e5f, 0, true, true, false},
    };
    for (const Row& row : rows) {
        // An inclined cantilever, fixed at node 1, propped at node 2 by the
        // support under test; a vertical load makes both end forces turn.
        ModelBuilder b;
        b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 5.2, 3.0).Member(1, 1, 2);
        b.Support(1, 1, kSupportFixed).Support(1, 2, row.code);
        SuptEntry& e = b.model().supportCases[1].entries[2];
        e.kx = row.kx;
        e.ky = row.ky;
        e.km = row.km;
        b.Load(1, 14, 1, -8, -8).Load(1, 23, 1, 5, 0, 2.0);
        FrameResults& r = Analyse(b.model());
        const ReactionRow* prop = ReactionOf(r, 1, 2);
        ASSERT_NE(nullptr, prop) << row.code;
        EXPECT_EQ(row.rx, prop->rx != 0) << row.code;
        EXPECT_EQ(row.ry, prop->ry != 0) << row.code;
        EXPECT_EQ(row.rm, prop->rm != 0) << row.code;
        ExpectEquilibrium(b.model(), r);
    }
}

// A node given twice in one support case is refused: before, its reaction
// was listed twice (97.5 kN of reactions for a 60 kN load) and the
// combination kept only one of the rows.
TEST(Supports, ANodeSupportedTwiceInOneCaseIsRefused) {
    ModelBuilder b;
    b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 6, 0).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY).Support(1, 1, kSupportFixed);
    b.Load(1, 14, 1, -10, -10).Combination(1, 1.0, {{1, 1.2}});
    EXPECT_NE(std::string::npos, CheckFrameData(b.model()).find("格点 No.1 は支点 No.1 と重複"_sj));
}

// Over random frames on every kind of support with loads of every code
// (nodal loads on supported nodes included), the reactions balance the
// loads of every load case and of every combination.
TEST(Supports, ReactionsBalanceTheLoadsOfRandomFrames) {
    std::mt19937 random(20261209);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        ModelBuilder b;
        b.Material(1, kE, 1e-5).Section(1, 0.02, 3e-4);
        const int nodes = pick(3, 7);
        double x = 0, y = 0;
        for (int n = 1; n <= nodes; ++n) {
            b.Node(n, x, y);
            x += uniform(1, 5);
            y += uniform(-3, 3);
        }
        for (int m = 1; m < nodes; ++m) b.Member(m, m, m + 1);
        // Node 1 always held fully (code 4, or code 5 rigid everywhere);
        // the others by a random code, some with springs.
        if (pick(0, 1))
            b.Support(1, 1, kSupportFixed);
        else
            b.Support(1, 1, kSupportSpring, -1, -1, -1);
        for (int n = 2; n <= nodes; ++n) {
            const int code = pick(0, 5);
            if (code == 0) continue;
            auto k = [&] { return pick(0, 2) == 0 ? -1.0 : pick(0, 1) ? 0.0 : uniform(1e3, 1e6); };
            b.Support(1, n, code, k(), k(), k());
        }
        const int codes[] = {11, 12, 13, 14, 21, 22, 23, 24, 27, 31, 51};
        for (int c = 1; c <= 2; ++c)
            for (int code : codes) {
                const int from = pick(1, nodes - 1);
                const int to = pick(0, 1) ? 0 : pick(from, nodes - 1);
                if (code == kLoadNodal) {
                    b.NodalLoad(c, pick(1, nodes), uniform(-20, 20), uniform(-20, 20),
                                uniform(-10, 10));
                } else if (code < 20) {
                    b.Load(c, code, from, uniform(-9, 9), uniform(-9, 9), uniform(0, 0.5),
                           uniform(0, 0.5), to);
                } else {
                    b.Load(c, code, from, uniform(-20, 20), 0, uniform(0, 1), 0, to);
                }
            }
        b.Combination(1, 1.0, {{1, 1.2}, {2, -0.8}}).Combination(2, 1.5, {{2, 1.0}});
        FrameModel& model = b.model();
        PrepareMemberLoads(model);
        ASSERT_EQ("", CheckFrameData(model));
        // Through the whole driver: the runs are cut into their members.
        FrameResults& r = *AllocateFrameResults();
        AnalysisReport report;
        ASSERT_TRUE(RunFrameAnalysis(r, model, false, false, 999, &report));
        EXPECT_EQ("", report.caseWarnings);
        ExpectEquilibrium(model, r);
        ExpectCombinationEquilibrium(model, r);
        if (HasFailure()) break;
    }
}
