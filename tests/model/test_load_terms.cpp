// Member load terms against textbook fixed-end forces, statics and beam
// moment diagrams. Sign conventions: loads along +v (the member axis turned
// +90 degrees) are positive; V_i, V_j are equivalent nodal forces (the
// negated end reactions); M_i, M_j are the counter-clockwise end reaction
// moments; the effect M is minus the sagging moment, the member moment
// decreasing by it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/frame_model.h"
#include "model/load_terms.h"
#include "model_builder.h"

namespace {

constexpr double kPi = std::numbers::pi;

struct EndCaseRow {
    const char* name;
    int endI, endJ;
};
const EndCaseRow kEndCases[] = {
    {"fixed-fixed", 0, 0}, {"pin-fixed", 1, 0}, {"fixed-pin", 0, 1}, {"simple", 1, 1}};

// Equilibrium of a set of end terms under a load of resultant W with the
// moment Wc about I and an applied couple M0: V_i + V_j = W and, about I,
// -V_j L + M_i + M_j + Wc + M0 = 0.
void ExpectBalanced(const EndTerms& t, double L, double w, double wc, double m0, const char* what) {
    const double scale = std::fabs(w) * L + std::fabs(wc) + std::fabs(m0) + 1e-12;
    EXPECT_NEAR(t.vi + t.vj, w, 1e-12 * scale) << what;
    EXPECT_NEAR(-t.vj * L + t.mi + t.mj + wc + m0, 0, 1e-12 * scale) << what;
}

MemberLoadContext Member(double L, int endI, int endJ, double angle = 0) {
    MemberLoadContext m;
    m.length = L;
    m.endI = endI;
    m.endJ = endJ;
    m.angle = angle;
    return m;
}

}  // namespace

// --- Resolving components ---------------------------------------------------

TEST(ResolveLoadComponents, LocalAndGlobalCodes) {
    struct Row {
        double angle;
        int code;
        double axI, axJ, pI, pJ;
    };
    const double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
    const Row rows[] = {
        {0.3, kLoadDistAxial, 2, 3, 0, 0},
        {0.3, kLoadDistPerp, 0, 0, 2, 3},
        {0.3, kLoadConcMoment, 0, 0, 2, 3},
        {0.3, kLoadTemperature, 0, 0, 0, 0},
        {kPi / 6, kLoadDistX, 2 * c30, 3 * c30, -2 * s30, -3 * s30},
        {kPi / 6, kLoadConcY, 2 * s30, 3 * s30, 2 * c30, 3 * c30},
        // A global Y load on a vertical member acts wholly along the axis.
        {kPi / 2, kLoadDistY, 2, 3, 0, 0},
        {kPi, kLoadConcX, -2, -3, 0, 0},
    };
    for (const Row& r : rows) {
        const LoadComponents c = ResolveLoadComponents(r.angle, r.code, 2, 3);
        EXPECT_NEAR(c.axialI, r.axI, 1e-8) << r.code;
        EXPECT_NEAR(c.axialJ, r.axJ, 1e-8) << r.code;
        EXPECT_NEAR(c.perpI, r.pI, 1e-8) << r.code;
        EXPECT_NEAR(c.perpJ, r.pJ, 1e-8) << r.code;
    }
    // cos and sin are rounded to 1e-9: exactly zero across a vertical member.
    EXPECT_EQ(ResolveLoadComponents(kPi / 2, kLoadDistY, 5, 5).perpI, 0.0);
}

// --- Fixed-end terms ----------------------------------------------------------

TEST(FixedEndForces, UniformLoadTextbookValues) {
    const double L = 6, q = 10;
    struct Row {
        int endI, endJ;
        double vi, mi, vj, mj;
    };
    const Row rows[] = {
        {0, 0, q * L / 2, -q * L * L / 12, q * L / 2, q * L * L / 12},
        {1, 0, 3 * q * L / 8, 0, 5 * q * L / 8, q * L * L / 8},
        {0, 1, 5 * q * L / 8, -q * L * L / 8, 3 * q * L / 8, 0},
        {1, 1, q * L / 2, 0, q * L / 2, 0},
    };
    for (const Row& r : rows) {
        const EndTerms t = FixedEndForces(L, r.endI, r.endJ, 0, q, L, q, kLoadDistPerp);
        EXPECT_NEAR(t.vi, r.vi, 1e-10) << r.endI << r.endJ;
        EXPECT_NEAR(t.mi, r.mi, 1e-10) << r.endI << r.endJ;
        EXPECT_NEAR(t.vj, r.vj, 1e-10) << r.endI << r.endJ;
        EXPECT_NEAR(t.mj, r.mj, 1e-10) << r.endI << r.endJ;
    }
}

TEST(FixedEndForces, TriangularLoadFixedFixed) {
    // 0 at I rising to q at J: qL^2/30 at the light end, qL^2/20 at the heavy
    // end, end shears 3qL/20 and 7qL/20.
    const double L = 5, q = 12;
    const EndTerms t = FixedEndForces(L, 0, 0, 0, 0, L, q, kLoadDistPerp);
    EXPECT_NEAR(t.mi, -q * L * L / 30, 1e-10);
    EXPECT_NEAR(t.mj, q * L * L / 20, 1e-10);
    EXPECT_NEAR(t.vi, 3 * q * L / 20, 1e-10);
    EXPECT_NEAR(t.vj, 7 * q * L / 20, 1e-10);
}

TEST(FixedEndForces, PointForceTextbookValues) {
    const double L = 8, P = 10, a = 3, b = L - a;
    const EndTerms ff = FixedEndForces(L, 0, 0, a, P, a, 0, kLoadConcPerp);
    EXPECT_NEAR(ff.mi, -P * a * b * b / (L * L), 1e-10);
    EXPECT_NEAR(ff.mj, P * a * a * b / (L * L), 1e-10);
    // Propped cantilever with the force at mid-span: 5P/16 at the pin,
    // 11P/16 and 3PL/16 at the fixed end.
    const EndTerms pf = FixedEndForces(L, 1, 0, L / 2, P, L / 2, 0, kLoadConcPerp);
    EXPECT_NEAR(pf.vi, 5 * P / 16, 1e-10);
    EXPECT_NEAR(pf.vj, 11 * P / 16, 1e-10);
    EXPECT_NEAR(pf.mj, 3 * P * L / 16, 1e-10);
    EXPECT_EQ(pf.mi, 0);
    const EndTerms fp = FixedEndForces(L, 0, 1, L / 2, P, L / 2, 0, kLoadConcPerp);
    EXPECT_NEAR(fp.vi, 11 * P / 16, 1e-10);
    EXPECT_NEAR(fp.mi, -3 * P * L / 16, 1e-10);
    EXPECT_EQ(fp.mj, 0);
}

// The closed-form trapezoid terms equal the point-force terms integrated
// over the load (Simpson's rule, exact enough for these polynomials), for
// every end case; and every set is in equilibrium.
TEST(FixedEndForces, TrapezoidEqualsIntegratedPointForces) {
    const double L = 7, x1 = 1.2, x2 = 5.9, q1 = -4, q2 = 9;
    for (const EndCaseRow& e : kEndCases) {
        const EndTerms t = FixedEndForces(L, e.endI, e.endJ, x1, q1, x2, q2, kLoadDistPerp);
        EndTerms sum;
        const int n = 2000;
        const double h = (x2 - x1) / n;
        for (int k = 0; k <= n; ++k) {
            const double x = x1 + k * h;
            const double w = (k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2);
            const double q = q1 + (q2 - q1) * (x - x1) / (x2 - x1);
            const EndTerms p = FixedEndForces(L, e.endI, e.endJ, x, q, x, 0, kLoadConcPerp);
            sum.vi += w * h / 3 * p.vi;
            sum.mi += w * h / 3 * p.mi;
            sum.vj += w * h / 3 * p.vj;
            sum.mj += w * h / 3 * p.mj;
        }
        EXPECT_NEAR(t.vi, sum.vi, 1e-9) << e.name;
        EXPECT_NEAR(t.mi, sum.mi, 1e-9) << e.name;
        EXPECT_NEAR(t.vj, sum.vj, 1e-9) << e.name;
        EXPECT_NEAR(t.mj, sum.mj, 1e-9) << e.name;
        double w, wc;
        TrapezoidResultant(x1, q1, x2, q2, w, wc);
        ExpectBalanced(t, L, w, wc, 0, e.name);
    }
}

TEST(FixedEndForces, ConcentratedMomentAllEndCases) {
    const double L = 4, a = 1, b = L - a, M0 = 10;
    for (const EndCaseRow& e : kEndCases) {
        const EndTerms t = FixedEndForces(L, e.endI, e.endJ, a, M0, a, 0, kLoadConcMoment);
        ExpectBalanced(t, L, 0, 0, M0, e.name);
        if (e.endI == 1) {
            EXPECT_EQ(t.mi, 0) << e.name;
        }
        if (e.endJ == 1) {
            EXPECT_EQ(t.mj, 0) << e.name;
        }
    }
    // Fixed-fixed: M0 b (2a - b)/L^2 and M0 a (2b - a)/L^2.
    const EndTerms ff = FixedEndForces(L, 0, 0, a, M0, a, 0, kLoadConcMoment);
    EXPECT_NEAR(ff.mi, M0 * b * (2 * a - b) / (L * L), 1e-12);
    EXPECT_NEAR(ff.mj, M0 * a * (2 * b - a) / (L * L), 1e-12);
    // Propped cantilever (Roark): the prop reaction is 3 M0 (L^2 - s^2)/(2 L^3),
    // s the distance of the couple from the prop; the equivalent load is its
    // negative at the pinned end.
    const EndTerms pf = FixedEndForces(L, 1, 0, a, M0, a, 0, kLoadConcMoment);
    EXPECT_NEAR(pf.vi, -3 * M0 * (L * L - a * a) / (2 * L * L * L), 1e-12);
    const EndTerms fp = FixedEndForces(L, 0, 1, a, M0, a, 0, kLoadConcMoment);
    EXPECT_NEAR(fp.vj, 3 * M0 * (L * L - b * b) / (2 * L * L * L), 1e-12);
}

TEST(FixedEndForces, DegenerateStretchOrMemberGivesNothing) {
    struct Row {
        double L, x1, x2;
    };
    const Row rows[] = {{5, 2, 2.00005}, {5, 3, 2}, {0.00005, 0, 0.00005}};
    for (const Row& r : rows) {
        const EndTerms t = FixedEndForces(r.L, 0, 0, r.x1, 10, r.x2, 10, kLoadDistPerp);
        EXPECT_EQ(t.vi, 0);
        EXPECT_EQ(t.mi, 0);
        EXPECT_EQ(t.vj, 0);
        EXPECT_EQ(t.mj, 0);
    }
    const EndTerms p = FixedEndForces(0.00005, 0, 0, 0, 10, 0, 0, kLoadConcPerp);
    EXPECT_EQ(p.vi + p.vj, 0);
}

// --- Effects at points ---------------------------------------------------------

TEST(LoadEffects, UniformLoadMomentDiagrams) {
    // Effect = simple-beam moment minus the end-moment line:
    // simple q x (L-x)/2; fixed-fixed minus qL^2/12; propped (pin at I)
    // minus qL x/8; fixed at I, pin at J minus qL(L-x)/8.
    const double L = 6, q = 10;
    for (const EndCaseRow& e : kEndCases) {
        const MemberLoadContext m = Member(L, e.endI, e.endJ);
        for (double x : {0.0, 0.75, 2.2, 3.0, 5.1, 6.0}) {
            double expected = q * x * (L - x) / 2;
            if (e.endI == 0 && e.endJ == 0) expected -= q * L * L / 12;
            if (e.endI == 1 && e.endJ == 0) expected -= q * L * x / 8;
            if (e.endI == 0 && e.endJ == 1) expected -= q * L * (L - x) / 8;
            const PointEffects fx = LoadEffectsAt(m, kLoadDistPerp, q, q, 0, 0, x);
            // Midpoint slices: about q w^2 / 8 near x (w = 0.06 m).
            EXPECT_NEAR(fx.m, expected, 1e-4 * q * L * L / 8) << e.name << " x=" << x;
            EXPECT_NEAR(fx.s, q * (L / 2 - x), 1e-9) << e.name << " x=" << x;
            EXPECT_EQ(fx.n, 0);
        }
    }
}

TEST(LoadEffects, PointForceAndPartialTrapezoid) {
    const double L = 8, P = 10, a = 3;
    const MemberLoadContext simple = Member(L, 1, 1);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcPerp, P, 0, a, 0, a).m, P * a * (L - a) / L, 1e-12);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcPerp, P, 0, a, 0, 6).m, P * a * (L - 6) / L, 1e-12);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcPerp, P, 0, a, 0, 1).s, P * (L - a) / L, 1e-12);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcPerp, P, 0, a, 0, 4).s, -P * a / L, 1e-12);
    // A uniform q over [2, 5] on a simple beam of 8 m: left reaction
    // 3q (8 - 3.5)/8; at x = 4 the moment is R x - q (x - 2)^2 / 2.
    const double q = 6, R = 3 * q * 4.5 / 8;
    const PointEffects fx = LoadEffectsAt(simple, kLoadDistPerp, q, q, 2, 3, 4);
    EXPECT_NEAR(fx.m, R * 4 - q * 4 / 2, 1e-3);
    EXPECT_NEAR(fx.s, R - q * 2, 1e-12);
}

TEST(LoadEffects, ConcentratedMomentSimpleAndFixed) {
    const double L = 4, M0 = 8;
    // Simple beam, couple at a: the sagging moment is M0 x/L before a and
    // -M0 (1 - x/L) after it; the effect is its negative.
    const MemberLoadContext simple = Member(L, 1, 1);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcMoment, M0, 0, 1, 0, 0.5).m, -M0 * 0.5 / L, 1e-12);
    EXPECT_NEAR(LoadEffectsAt(simple, kLoadConcMoment, M0, 0, 1, 0, 3).m, M0 * (1 - 3 / L), 1e-12);
    // Fixed-fixed, couple at mid-span: end moments M0/4, the sagging moment
    // -M0/4 at I, +M0/2 just before mid-span, -M0/2 just after, +M0/4 at J.
    const MemberLoadContext ff = Member(L, 0, 0);
    auto sag = [&](double x) { return -LoadEffectsAt(ff, kLoadConcMoment, M0, 0, 2, 0, x).m; };
    EXPECT_NEAR(sag(0), -M0 / 4, 1e-12);
    EXPECT_NEAR(sag(2), M0 / 2, 1e-12);
    EXPECT_NEAR(sag(2.0000001), -M0 / 2, 1e-5);
    EXPECT_NEAR(sag(4), M0 / 4, 1e-12);
    for (const EndCaseRow& e : kEndCases) {
        const PointEffects fx =
            LoadEffectsAt(Member(L, e.endI, e.endJ), kLoadConcMoment, M0, 0, 1, 0, 2);
        EXPECT_NEAR(fx.s, -M0 / L, 1e-12) << e.name;
    }
}

// The member shear is S = (M(L) - M(0))/L - s_effect, and it must be the
// slope of M = -m_effect wherever the diagram is smooth. This catches a
// shear effect that counts the end-moment line twice.
TEST(LoadEffects, ShearIsSlopeOfMoment) {
    struct Load {
        int code;
        double qI, qJ, distI, distJ;
    };
    const Load loads[] = {
        {kLoadConcPerp, 7, 0, 2.5, 0},   {kLoadConcMoment, 9, 0, 2.5, 0},
        {kLoadConcMoment, 9, 0, 4.0, 0}, {kLoadConcMoment, 9, 0, 0.0, 0},  // at the I end
        {kLoadConcMoment, 9, 0, 6.0, 0},                                   // at the J end
        {kLoadDistPerp, 3, 8, 1, 1.5},   {kLoadDistY, 5, 5, 0, 0}};
    const double L = 6;
    for (const EndCaseRow& e : kEndCases) {
        const MemberLoadContext m = Member(L, e.endI, e.endJ, 0.4);
        for (const Load& l : loads) {
            auto M = [&](double x) {
                return -LoadEffectsAt(m, l.code, l.qI, l.qJ, l.distI, l.distJ, x).m;
            };
            const double chord = (M(L) - M(0)) / L;
            for (double x : {0.7, 1.9, 3.3, 5.2}) {
                const double s =
                    chord - LoadEffectsAt(m, l.code, l.qI, l.qJ, l.distI, l.distJ, x).s;
                // Sliced distributed moments are piecewise linear: their slope is
                // taken over several slices (about 0.05 m each).
                const double h = l.code < 20 ? 0.2 : 1e-4;
                const double slope = (M(x + h) - M(x - h)) / (2 * h);
                const double tol = l.code < 20 ? 0.03 : 1e-6;
                EXPECT_NEAR(s, slope, tol) << e.name << " code " << l.code << " x=" << x;
            }
        }
    }
}

TEST(LoadEffects, PinnedEndCarriesNoMoment) {
    const double L = 5;
    for (const EndCaseRow& e : kEndCases) {
        const MemberLoadContext m = Member(L, e.endI, e.endJ);
        for (int code : {kLoadDistPerp, kLoadConcPerp, kLoadConcMoment}) {
            const double x = code == kLoadDistPerp ? 0 : 2;
            if (e.endI == 1) {
                EXPECT_NEAR(LoadEffectsAt(m, code, 4, 4, x, 0, 0).m, 0, 1e-12);
            }
            if (e.endJ == 1) {
                EXPECT_NEAR(LoadEffectsAt(m, code, 4, 4, x, 0, L).m, 0, 1e-12);
            }
        }
    }
}

TEST(LoadEffects, AxialForceAndTemperature) {
    const double L = 4;
    MemberLoadContext m = Member(L, 0, 0);
    // Uniform axial q with both ends held: N = q (L/2 - x).
    for (double x : {0.0, 1.0, 2.5, 4.0}) {
        EXPECT_NEAR(LoadEffectsAt(m, kLoadDistAxial, 3, 3, 0, 0, x).n, 3 * (L / 2 - x), 1e-12);
    }
    EXPECT_NEAR(LoadEffectsAt(m, kLoadConcAxial, 8, 0, 1, 0, 0.5).n, 8 * (1 - 1 / L), 1e-12);
    EXPECT_NEAR(LoadEffectsAt(m, kLoadConcAxial, 8, 0, 1, 0, 2).n, -8 * 1 / L, 1e-12);
    m.e = 2e8;
    m.area = 0.01;
    m.alpha = 1e-5;
    EXPECT_NEAR(LoadEffectsAt(m, kLoadTemperature, 30, 0, 0, 0, 1.3).n, -30 * 1e-5 * 2e8 * 0.01,
                1e-9);
}

// --- Member end loads of a load case -------------------------------------------

TEST(CalcMemberEndLoads, RangesTemperatureAndGlobalLoads) {
    ModelBuilder b;
    b.Material(1, 2e8, 1e-5).Section(1, 0.01, 1e-4);
    for (int n = 1; n <= 6; ++n) b.Node(n, 4.0 * (n - 1), 0);
    b.Node(7, 20, 5);
    for (int m = 1; m <= 5; ++m) b.Member(m, m, m + 1);
    b.Member(6, 6, 7);  // vertical, 5 m
    // Members 5 down to 3: the range is taken in increasing order.
    b.Load(1, kLoadDistPerp, 5, 2, 2, 0, 0, 3);
    b.Load(1, kLoadTemperature, 1, 20);
    b.Load(1, kLoadDistY, 6, -3, -3);
    b.Load(1, kLoadNodal, 2, 100, 100, 100);
    FrameModel& model = b.model();
    PrepareMemberLoads(model);
    std::vector<MemberEndLoad> loads(model.memberCount + 1);
    CalcMemberEndLoads(model, 1, loads.data());
    for (int m : {3, 4, 5}) {
        EXPECT_NEAR(loads[m].vi, 4.0, 1e-9) << m;
        EXPECT_NEAR(loads[m].mi, 2.0 * 16 / 12, 1e-9) << m;  // negated FEF moment
        EXPECT_NEAR(loads[m].mj, -2.0 * 16 / 12, 1e-9) << m;
    }
    EXPECT_EQ(loads[2].vi, 0);
    const double n = 20 * 1e-5 * 2e8 * 0.01;
    // E and alpha are floats in the model.
    EXPECT_NEAR(loads[1].ni, -n, 1e-6 * n);
    EXPECT_NEAR(loads[1].nj, n, 1e-6 * n);
    EXPECT_EQ(loads[1].vi, 0);
    // Global Y on the vertical member: axial only, half to each end (the
    // float angle leaves a perpendicular part of order 1e-8).
    EXPECT_NEAR(loads[6].ni, -7.5, 1e-9);
    EXPECT_NEAR(loads[6].nj, -7.5, 1e-9);
    EXPECT_NEAR(loads[6].vi, 0, 1e-6);
}

// --- Deflection of one member under one load ------------------------------------

TEST(CalcLoadDeflection, TextbookMidSpanValues) {
    const double L = 6, EI = 20000, q = -5, P = -12, M0 = 9;
    struct Row {
        const char* name;
        int endI, endJ, code;
        double qI, distI, expected;
    };
    const Row rows[] = {
        {"simple UDL", 1, 1, kLoadDistPerp, q, 0, 5 * q * L * L * L * L / (384 * EI)},
        {"fixed UDL", 0, 0, kLoadDistPerp, q, 0, q * L * L * L * L / (384 * EI)},
        {"simple P", 1, 1, kLoadConcPerp, P, L / 2, P * L * L * L / (48 * EI)},
        {"fixed P", 0, 0, kLoadConcPerp, P, L / 2, P * L * L * L / (192 * EI)},
        {"propped P", 1, 0, kLoadConcPerp, P, L / 2, 7 * P * L * L * L / (768 * EI)},
        {"propped P mirrored", 0, 1, kLoadConcPerp, P, L / 2, 7 * P * L * L * L / (768 * EI)},
        // A counter-clockwise end couple on a simple beam lifts its middle.
        {"simple end couple", 1, 1, kLoadConcMoment, M0, 0, M0 * L * L / (16 * EI)},
    };
    for (const Row& r : rows) {
        const MemberLoadContext m = Member(L, r.endI, r.endJ);
        const double d = CalcLoadDeflection(EI, m, r.code, r.qI, r.qI, r.distI, 0, L / 2);
        EXPECT_NEAR(d, r.expected, 1e-3 * std::fabs(r.expected)) << r.name;
    }
    EXPECT_EQ(CalcLoadDeflection(EI, Member(L, 0, 0), kLoadTemperature, 10, 0, 0, 0, 3), 0);
}
