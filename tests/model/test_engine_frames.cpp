// Frames, trusses and failure cases through the whole engine, against
// textbook closed forms and statics. Units: m, kN, kN*m; node
// displacements in mm. Tolerances: 1e-5 relative on forces (float
// results), 1e-4 where the closed form neglects axial shortening (members
// with a large area), 1e-6 relative on global equilibrium.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/progress.h"
#include "model/text_helpers.h"
#include "model_builder.h"
#include "platform/assertions.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"

namespace {

const double kE = 2.05e8;
const double kEf = static_cast<float>(kE);

void Rel(double actual, double expected, double rel, const std::string& what) {
    EXPECT_NEAR(actual, expected, rel * std::max(std::fabs(expected), 1e-9)) << what;
}

// How a warning names a load case.
std::string FormatCaseLabel(int no) { return FormatStr("荷重ｹｰｽ No.%d："_sj.c_str(), no); }

// Portal frame: columns 1-2 and 4-3 of height h, beam 2-3 of span L;
// sections 1 (columns, Ic) and 2 (beam, Ib) with a large area so that the
// members hardly shorten. Lateral load H at node 2.
ModelBuilder Portal(double h, double L, double ic, double ib, int baseCode, double H) {
    ModelBuilder b;
    b.Material(1, kE).Section(1, 10, ic).Section(2, 10, ib);
    b.Node(1, 0, 0).Node(2, 0, h).Node(3, L, h).Node(4, L, 0);
    b.Member(1, 1, 2, 0, 0, 1).Member(2, 2, 3, 0, 0, 2).Member(3, 4, 3, 0, 0, 1);
    b.Support(1, 1, baseCode).Support(1, 4, baseCode);
    b.NodalLoad(1, 2, H, 0);
    return b;
}

}  // namespace

TEST(EngineFrames, FixedBasePortalUnderLateralLoad) {
    const double h = 4, L = 6, ic = 2e-4, ib = 3e-4, H = 20;
    ModelBuilder b = Portal(h, L, ic, ib, kSupportFixed, H);
    FrameResults& r = Analyse(b.model());
    const double k = (static_cast<float>(ib) / L) / (static_cast<float>(ic) / h);
    const double mBase = H * h * (3 * k + 1) / (2 * (6 * k + 1));
    const double mKnee = H * h * 3 * k / (2 * (6 * k + 1));
    const double sway =
        H * h * h * h * (2 + 3 * k) / (12 * kEf * static_cast<float>(ic) * (1 + 6 * k));
    // Column 1 runs up from its base: point 1 is the base, the last point the knee.
    const int n = r.member[1].pointCount;
    Rel(std::fabs(Value(r, 1, 1, 1, kQtyM)), mBase, 1e-4, "base moment");
    Rel(std::fabs(Value(r, 1, 1, n, kQtyM)), mKnee, 1e-4, "knee moment");
    EXPECT_LT(Value(r, 1, 1, 1, kQtyM) * Value(r, 1, 1, n, kQtyM), 0) << "double curvature";
    Rel(std::fabs(Value(r, 1, 2, 1, kQtyM)), mKnee, 1e-4, "beam end moment");
    Rel(r.block[1].nodes[2].dx, sway * 1000, 1e-4, "sway");
    Rel(r.block[1].nodes[3].dx, sway * 1000, 1e-4, "sway at the far knee");
    // Both bases resist the overturning with the same counter-clockwise moment.
    Rel(ReactionOf(r, 1, 1)->rm, mBase, 1e-4, "Rm left");
    Rel(ReactionOf(r, 1, 4)->rm, mBase, 1e-4, "Rm right");
    Rel(ReactionOf(r, 1, 1)->rx, -H / 2, 1e-4, "Rx left");
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, PinnedBasePortalUnderLateralLoad) {
    const double h = 4, L = 6, ic = 2e-4, ib = 3e-4, H = 20;
    ModelBuilder b = Portal(h, L, ic, ib, kSupportPin, H);
    FrameResults& r = Analyse(b.model());
    const int n = r.member[1].pointCount;
    // Each column takes H/2: knee moment H h / 2, nothing at the pins.
    Rel(std::fabs(Value(r, 1, 1, n, kQtyM)), H * h / 2, 1e-4, "knee moment");
    EXPECT_NEAR(Value(r, 1, 1, 1, kQtyM), 0, 1e-4 * H * h);
    // Sway: the column as a cantilever plus the beam's end rotation M L/(6 E Ib).
    const double sway = H * h * h * h / (6 * kEf * static_cast<float>(ic)) +
                        H * h * h * L / (12 * kEf * static_cast<float>(ib));
    Rel(r.block[1].nodes[2].dx, sway * 1000, 1e-4, "sway");
    Rel(ReactionOf(r, 1, 4)->ry, H * h / L, 1e-4, "uplift pair, right");
    Rel(ReactionOf(r, 1, 1)->ry, -H * h / L, 1e-4, "uplift pair, left");
    EXPECT_EQ(ReactionOf(r, 1, 1)->rm, 0);
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, PinJointedTrussDropsRotations) {
    // Triangle 1 (0,0) - 2 (4,0) - 3 (2,3), every member end pinned; P down
    // at the apex. Diagonals: N = -P sqrt(13)/6; tie: N = P/3. Apex
    // deflection by virtual work: P (13 sqrt(13)/18 + 4/9) / EA.
    const double P = 30, A = 0.002;
    ModelBuilder b;
    b.Material(1, kE).Section(1, A, 1e-6);
    b.Node(1, 0, 0).Node(2, 4, 0).Node(3, 2, 3);
    b.Member(1, 1, 3, 1, 1).Member(2, 3, 2, 1, 1).Member(3, 1, 2, 1, 1);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.NodalLoad(1, 3, 0, -P);
    std::string warnings;
    FrameResults& r = Analyse(b.model(), &warnings);
    EXPECT_EQ(warnings, "");
    const double ea = kEf * static_cast<float>(A);
    Rel(Value(r, 1, 1, 1, kQtyN), -P * std::sqrt(13.0) / 6, 1e-5, "diagonal");
    Rel(Value(r, 1, 2, 2, kQtyN), -P * std::sqrt(13.0) / 6, 1e-5, "diagonal");
    Rel(Value(r, 1, 3, 1, kQtyN), P / 3, 1e-5, "tie");
    EXPECT_NEAR(Value(r, 1, 1, 2, kQtyM), 0, 1e-9);
    Rel(r.block[1].nodes[3].dy, -P * (13 * std::sqrt(13.0) / 18 + 4.0 / 9) / ea * 1000, 1e-6,
        "apex deflection");
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(r.block[1].nodes[n].dt, 0) << "rotation dropped";
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, NodeNumbersWithGapsAndOrder) {
    // The cantilever of the beam tests with nodes 40 (tip, first in the
    // table) and 7 (wall) and member number 12: every value is placed by
    // node index, not by number.
    const double L = 4, P = 10, I = 1e-4;
    ModelBuilder b;
    b.Material(3, kE).Section(9, 0.01, I);
    b.Node(40, L, 0).Node(7, 0, 0).Node(55, 9, 9);  // 55: unconnected, dropped
    b.Member(12, 7, 40, 0, 0, 9, 3);
    b.Support(2, 7, kSupportFixed).LoadCaseDef(5, 2).NodalLoad(5, 40, 0, -P);
    FrameResults& r = Analyse(b.model());
    const double ei = kEf * static_cast<float>(I);
    EXPECT_EQ(r.block[1].caseNo, 5);
    EXPECT_EQ(r.block[1].nodes[1].nodeNo, 40);
    Rel(r.block[1].nodes[1].dy, -P * L * L * L / (3 * ei) * 1000, 1e-6, "tip");
    EXPECT_EQ(r.block[1].nodes[2].dy, 0);
    EXPECT_EQ(r.block[1].nodes[3].dx, 0);
    ASSERT_NE(ReactionOf(r, 1, 7), nullptr);
    Rel(ReactionOf(r, 1, 7)->rm, P * L, 1e-5, "Rm");
    EXPECT_EQ(r.member[1].no, 12);
    EXPECT_EQ(r.member[1].nodeI, 7);
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, MechanismWarnsWithoutCrash) {
    // Case 1: a beam on two rollers pushed sideways; case 2: a nodal moment
    // on a node where only pinned ends meet (a loaded empty row); case 3 is
    // sound and must still be solved.
    ModelBuilder b;
    b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 5, 0).Node(3, 10, 0);
    b.Member(1, 1, 2, 0, 1).Member(2, 2, 3, 1, 0);
    b.Support(1, 1, kSupportRollerY).Support(1, 3, kSupportRollerY);
    b.Support(2, 1, kSupportFixed).Support(2, 3, kSupportFixed);
    b.LoadCaseDef(1, 1).NodalLoad(1, 2, 5, 0);
    b.LoadCaseDef(2, 2).NodalLoad(2, 2, 0, 0, 3);
    b.LoadCaseDef(3, 2).NodalLoad(3, 2, 0, -10);
    std::string warnings;
    FrameResults& r = Analyse(b.model(), &warnings);
    EXPECT_NE(warnings.find(FormatCaseLabel(1)), std::string::npos) << Cp932ToUtf8(warnings);
    EXPECT_NE(warnings.find(FormatCaseLabel(2)), std::string::npos);
    EXPECT_EQ(warnings.find(FormatCaseLabel(3)), std::string::npos);
    EXPECT_EQ(r.block[1].nodes[2].dx, 0);
    EXPECT_EQ(r.block[2].nodes[2].dy, 0);
    // Case 3: two cantilevers of 5 m joined by the hinge share its load.
    const double ei = kEf * static_cast<float>(1e-4);
    Rel(r.block[3].nodes[2].dy, -10.0 / 2 * 125 / (3 * ei) * 1000, 1e-6, "hinge deflection");
    EXPECT_EQ(r.doneCaseCount, 3);
}

TEST(EngineFrames, EveryLoadCodeBalances) {
    // An inclined two-bay frame with a pinned member end, loads of every
    // code, nodal loads on free and on supported nodes, and a spring
    // support: the reactions of every case balance the loads.
    ModelBuilder b;
    b.Material(1, kE, 1e-5).Material(2, kE / 3, 1.2e-5);
    b.Section(1, 0.02, 3e-4).Section(2, 0.015, 2e-4);
    b.Node(1, 0, 0).Node(2, 0.5, 4).Node(3, 6, 5).Node(4, 11, 4.2).Node(5, 11.5, 0).Node(6, 6, 0);
    b.Member(1, 1, 2).Member(2, 2, 3, 0, 0, 2, 2).Member(3, 3, 4, 0, 1, 2).Member(4, 5, 4);
    b.Member(5, 6, 3, 1, 0);
    b.Support(1, 1, kSupportFixed)
        .Support(1, 5, kSupportPin)
        .Support(1, 6, kSupportSpring, 5e4, 8e4, 2e4);
    b.Load(1, kLoadDistAxial, 2, 3, 1, 0.5, 1).Load(1, kLoadDistPerp, 3, -4, -7, 0, 2);
    b.Load(1, kLoadDistX, 1, 2, 2).Load(1, kLoadDistY, 2, -5, -5, 1, 0);
    b.Load(2, kLoadConcAxial, 3, 6, 0, 2).Load(2, kLoadConcPerp, 2, -9, 0, 3);
    b.Load(2, kLoadConcX, 4, 4, 0, 1).Load(2, kLoadConcY, 5, -7, 0, 2.5);
    b.Load(3, kLoadConcMoment, 2, 12, 0, 2).Load(3, kLoadConcMoment, 3, -6, 0, 4);
    b.Load(3, kLoadConcMoment, 5, 5, 0, 1.5).Load(3, kLoadTemperature, 2, 25);
    b.Load(4, kLoadNodal, 2, 10, -3, 4).Load(4, kLoadNodal, 1, 7, 8, 9);
    b.Load(4, kLoadNodal, 5, -6, 2, 0).Load(4, kLoadNodal, 6, 3, -4, 1);
    for (int m = 1; m <= 5; ++m) DivideMember(b, m, 1.0, 2);
    std::string warnings;
    FrameResults& r = Analyse(b.model(), &warnings);
    EXPECT_EQ(warnings, "");
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, VeryShortMembersPassTheirShearOnWhole) {
    // A 1 mm stub between the support and a loaded beam carries the beam's
    // end shear under a large moment: its S, and so the reaction, must not
    // lose the shear to the rounding of the moments.
    for (const double stub : {0.001, 0.0005, 0.01}) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, 0.24, 0.0072);
        b.Node(1, 0, 0).Node(2, stub, 0).Node(3, 5, 0).Member(1, 1, 2).Member(2, 2, 3);
        b.Support(1, 1, kSupportFixed).Load(1, kLoadDistY, 2, -10, -10);
        FrameResults& r = Analyse(b.model());
        ExpectEquilibrium(b.model(), r);
        EXPECT_NEAR(Value(r, 1, 1, 1, kQtyS), 10 * (5 - stub), 1e-4) << stub;
    }
}

TEST(EngineFrames, FixedSupportKeepsUnequalEndMoments) {
    // Two spans of 6 m over a fixed middle support, only the first span
    // loaded: it acts as a propped cantilever (moment wL^2/8 at the middle)
    // and the unloaded span carries none; the support takes the difference.
    const double L = 6, w = 10;
    ModelBuilder b;
    b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, L, 0).Node(3, 2 * L, 0);
    b.Member(1, 1, 2).Member(2, 2, 3);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportFixed).Support(1, 3, kSupportRollerY);
    b.Load(1, kLoadDistPerp, 1, -w, -w);
    FrameResults& r = Analyse(b.model());
    const int n = r.member[1].pointCount;
    Rel(Value(r, 1, 1, n, kQtyM), -w * L * L / 8, 1e-5, "first span at the support");
    EXPECT_NEAR(Value(r, 1, 2, 1, kQtyM), 0, 1e-6);
    Rel(ReactionOf(r, 1, 2)->rm, -w * L * L / 8, 1e-5, "support moment");
    ExpectEquilibrium(b.model(), r);
}

TEST(EngineFrames, CoupleAtRigidJointKeepsItsJump) {
    // A simply supported beam of 12 m built from spans of 4 m and 8 m with
    // a rigid joint at x = 4, where a couple M0 acts: R = M0/12, M = 4 just
    // before the couple and -8 just after it, S = 1 throughout. However the
    // couple is given (a nodal moment, or a concentrated moment at the end
    // of either member), each member shows its own side at the joint and
    // the two end moments are not averaged.
    const double M0 = 12;
    struct Row {
        const char* name;
        int code, member;
        double distI, m1J, m2I;
    };
    const Row rows[] = {{"nodal moment", kLoadNodal, 2, 0, 4, -8},
                        {"couple at the J end of member 1", kLoadConcMoment, 1, 4, 4, -8},
                        {"couple at the I end of member 2", kLoadConcMoment, 2, 0, 4, -8}};
    for (const Row& row : rows) {
        ModelBuilder b;
        b.Material(1, kE).Section(1, 0.01, 1e-4).Node(1, 0, 0).Node(2, 4, 0).Node(3, 12, 0);
        b.Member(1, 1, 2).Member(2, 2, 3);
        b.Support(1, 1, kSupportPin).Support(1, 3, kSupportRollerY);
        if (row.code == kLoadNodal) {
            b.NodalLoad(1, 2, 0, 0, M0);
        } else {
            b.Load(1, kLoadConcMoment, row.member, M0, 0, row.distI);
        }
        FrameResults& r = Analyse(b.model());
        const int n = r.member[1].pointCount;
        Rel(Value(r, 1, 1, n, kQtyM), row.m1J, 1e-5, row.name);
        Rel(Value(r, 1, 2, 1, kQtyM), row.m2I, 1e-5, row.name);
        for (int m : {1, 2}) Rel(Value(r, 1, m, 1, kQtyS), M0 / 12, 1e-5, row.name);
        Rel(ReactionOf(r, 1, 1)->ry, M0 / 12, 1e-5, row.name);
        ExpectEquilibrium(b.model(), r);
    }
}

// What a data file can hold however damaged it is.
ModelBuilder DamagedPortal() {
    ModelBuilder b = Portal(4, 6, 2e-4, 3e-4, kSupportFixed, 10);
    b.Member(9, 1, 88).Support(1, 99, kSupportFixed);
    b.Load(1, kLoadDistPerp, 2, 5, 5, 4, 3);
    b.Load(1, kLoadConcPerp, 99, 5, 0, 1);
    b.Load(1, kLoadDistPerp, 1, 5, 5, 0, 0, 2000000000);
    b.Load(1, kLoadNodal, 77, 1, 1, 1);
    b.Load(1, 99, 1, 1, 1);
    b.ViewPoints(2, {std::nan(""), 1.0, 1e30});
    b.Combination(1, 1.0, {{1, 1.0}, {-4, 2.0}});
    return b;
}

TEST(EngineFrames, DamagedModelNeverCrashes) {
    // References to nothing, reversed and huge ranges, a stretch of
    // negative length, a distance that is not a number, an unknown load
    // code: the analysis runs (under the sanitizers too) and stays bounded.
    ModelBuilder b = DamagedPortal();
    FrameModel& model = b.model();
    std::string warnings;
    FrameResults& r = *AllocateFrameResults();
    EXPECT_TRUE(AnalyseLoadCases(r, model, warnings));
    CalcSupportReactions(r, model);
    CombineReactions(r, model);
    EXPECT_EQ(r.caseCount, 1);
    EXPECT_LE(r.member[2].pointCount, 121);
    EXPECT_EQ(r.block[1].caseNo, 1);
    EXPECT_EQ(r.block[ComboBlockIndex(r, 1)].caseNo, 1);
}

// Counts beyond their tables never leave the reader or the grids (they
// clamp them and say so), and the validation refuses them: inside the
// engine such a count is a fault of the program. A checked build stops on
// it; a build without the checks still keeps within the tables.
TEST(EngineFramesDeathTest, CountsBeyondTheTablesAreAFaultOfTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ModelBuilder b = DamagedPortal();
    FrameModel& model = b.model();
    model.view2[1].count = 500;
    model.loadCaseCount = 1000;
    model.loadCases[2].count = -7;
    model.combinations[1].count = 999;
    model.combinationCount = -3;
    model.supportCases[1].count = 5000;
    std::string warnings;
    FrameResults& r = *AllocateFrameResults();
#if VEXTOR_ASSERTIONS
    EXPECT_DEATH(AnalyseLoadCases(r, model, warnings), "own logic failed");
#else
    EXPECT_TRUE(AnalyseLoadCases(r, model, warnings));
    CalcSupportReactions(r, model);
    CombineReactions(r, model);
    EXPECT_EQ(r.caseCount, kMaxResultCases);
    EXPECT_LE(r.member[2].pointCount, 121);
    EXPECT_EQ(r.block[1].caseNo, 1);
    EXPECT_EQ(r.block[ComboBlockIndex(r, 1)].caseNo, 0);  // a count of -3 is none
#endif
}

// A very soft frame is no mechanism: a cantilever of EI 1e-17 kN m2 (its
// stiffness terms far below the solvers' absolute zero of 1e-9) bends by
// P L^3 / (3 EI) instead of being called singular.
TEST(EngineFrames, AVerySoftCantileverIsSolvedNotCalledSingular) {
    const double L = 2, P = 1e-15, ei = static_cast<double>(1e-17f);
    ModelBuilder b;
    b.Material(1, 1.0).Section(1, 1.0, ei).Node(1, 0, 0).Node(2, L, 0).Member(1, 1, 2);
    b.Support(1, 1, kSupportFixed).NodalLoad(1, 2, 0, -P);
    std::string warnings;
    FrameResults& r = Analyse(b.model(), &warnings);
    EXPECT_EQ("", warnings);
    Rel(r.block[1].nodes[2].dy, -P * L * L * L / (3 * ei) * 1000, 1e-6, "tip deflection");
    Rel(ReactionOf(r, 1, 1)->rm, P * L, 1e-5, "Rm");
}
