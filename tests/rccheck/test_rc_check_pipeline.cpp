// The whole RC check on an analysed frame: a 10 m simple beam under
// 10 kN/m with a named point at 2.5 m, section from area 0.6 m² (1000 x
// 600, D19x8 outer, D22x8 inner), one combination "D+L" (type 1).
// Closed forms: M(x) = w x (L - x) / 2 -> 125 kN·m at midspan, 93.75 at
// 2.5 m; end shear w L / 2 = 50 kN. Stresses by the cracked section with
// n = 15 (x = 166.59 mm at d = 559); shear at the end: τ = 50e3 / (1000 x
// 559), ce = 1.4 - 0.4 (559 - 300) / 700, pt = 0.554 % -> cpt 1.23.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "model/analysis_driver.h"
#include "model/frame_results.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "tests/model/model_builder.h"

namespace {

struct RcDataDeleter {
    void operator()(RcCheckData* rc) const { FreeRcCheckData(rc); }
};

int FindPoint(const RcMemberChecks& m, const char* name) {
    for (int k = 1; k <= m.pointCount; ++k)
        if (std::strcmp(m.points[k].name, name) == 0) return k;
    return 0;
}

using RcDataPtr = std::unique_ptr<RcCheckData, RcDataDeleter>;

// The model analysed and every RC member checked with default sections and
// the check types of the combinations' names, as the RC window does; null
// when the analysis failed.
RcDataPtr AnalyseAndCheck(FrameModel& model) {
    PrepareMemberLoads(model);
    auto copy = NewFrameModelRecord();
    *copy = model;
    FrameResults* results = AllocateFrameResults();
    if (results == nullptr) return nullptr;
    ClearFrameResults(*results);
    if (!RunFrameAnalysis(*results, *copy, false, false, 999)) return nullptr;
    SetResultPoints(*results, model);
    RcDataPtr rc(NewRcCheckData());
    BuildRcCheckData(*rc, *results, model);
    InitRcSections(*rc, model);
    CopySectionSizeToPoints(*rc);
    ApplyCheckTypes(*rc);
    ApplyCoversToPoints(*rc);
    CheckAllMembers(*rc);
    BuildEnvelope(*rc);
    return rc;
}

TEST(RcCheckPipeline, SimpleBeamFromAnalysisToEnvelope) {
    LoadBuiltInRebarTable();
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 10, 0).Material(1, 2.5e7).Section(1, 0.6, 0.018).Member(1, 1, 2);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    b.Load(1, kLoadDistPerp, 1, -10, -10);
    b.Combination(1, 1.0, {{1, 1.0}});
    b.ViewPoints(1, {2.5}, "P1");
    FrameModel& model = b.model();
    SetFixedText(model.combinations[1].name, kNameSize, "D+L");
    const RcDataPtr rc = AnalyseAndCheck(model);
    ASSERT_NE(rc, nullptr);

    const RcMemberChecks& m = rc->memberChecks[1];
    ASSERT_EQ(m.pointCount, 5);
    EXPECT_EQ(rc->sections[1].h, 600.0f);
    const int p1 = FindPoint(m, "P1");
    ASSERT_GT(p1, 0);
    EXPECT_NEAR(m.points[p1].cases[1].bend.m, 93.75, 0.011);
    const RcCaseCheck& mmax = m.points[4].cases[1];
    EXPECT_STREQ(m.points[4].name, "M-max");
    EXPECT_NEAR(mmax.bend.x, 5.0, 1e-3);
    EXPECT_NEAR(mmax.bend.m, 125.0, 0.011);
    EXPECT_NEAR(mmax.sc, 2.25, 0.0051);
    EXPECT_NEAR(mmax.ss2, 79.6, 0.051);
    EXPECT_FLOAT_EQ(mmax.fs, 0.497f);

    // The i end (position 0) carries the end shear.
    int end = 0;
    for (int k = 1; k <= 3; ++k)
        if (std::fabs(m.points[k].cases[1].bend.x) < 1e-6) end = k;
    ASSERT_GT(end, 0);
    const RcCaseCheck& e = m.points[end].cases[1];
    EXPECT_NEAR(std::fabs(e.shear.s), 50.0, 0.011);
    EXPECT_FLOAT_EQ(e.tau, 0.089f);
    EXPECT_FLOAT_EQ(e.ce, 1.25f);
    EXPECT_FLOAT_EQ(e.cpt, 1.23f);
    EXPECT_FLOAT_EQ(e.ta, 0.415f);
    EXPECT_FLOAT_EQ(e.ft, 0.214f);
    EXPECT_EQ(m.ng[kNgAny], 0);
    EXPECT_FLOAT_EQ(m.points[4].cases[0].fs, 0.497f);
}

// A 1 m x 1 m column strip (b 1000, H 1000 from the area 1.0 m²) with the
// default bars: outer D19x8, As1 = 2292 mm² at 30 + 10 = 40 mm from the outer
// face, inner D22x8, As2 = 3096.8 mm² at 30 + 11 = 41 mm from the inner
// face; fck 40, fyk 345, Ec 31000, Es 2e5, all factors 1. A 2 m cantilever
// held at node 1 and loaded at its free end by an axial force of 1700 kN
// and a couple of 11.33 kN·m: the forces are the same at every point, and
// the four combinations (check type 3 by their names) take both signs of
// each.
//
// Worked by strain compatibility, εcu 0.0035 at the crushed face, the
// block 0.85 f'cd over 0.8 x (at most H), bars elastic up to ±345
// (σ = 700 (x - depth) / x while |σ| < 345). n = Es / Ec = 6.4516.
//
// Tension 1700, the outer face on the compression side (dc 40, dt 959):
//   yg = Round1((n 3096.8 959 + n 2292 40 + 1000 1000² / 2)
//        / (n 5388.8 + 1000 1000)) = 502.3, e = Round1(11330 / -1700) = -6.7,
//   e' = Round1(-6.7 + 959 - 502.3) = 450.0: the pull acts 959 - 450 = 509.0
//   from the outer face. Both layers yielding pull at
//   (2292 40 + 3096.8 959) / 5388.8 = 568.1, deeper than 509.0, and any
//   concrete compression at the outer face only moves the net pull deeper:
//   the section is in tension through, and the bars share the pull by the
//   lever rule, outer (959 - 509) / 919 = 0.4897, inner 0.5103. The outer
//   bars yield first: Nu = 2292 x 345 / 0.4897 = 1614.9 kN (inner bars at
//   266 N/mm², elastic); fm = 1700 / 1614.9 = 1.053 (Mu = 1614.9 x 0.0067
//   = 10.82, 11.33 / 10.82 = 1.047), NG. (A thin block at the inner face
//   would balance the line at 1633.7 kN, fm 1.041, but only once the outer
//   bars had stretched 40 %: the first yield of a layer ends the capacity.)
// Tension 1700, the inner face on the compression side (dc 41 with
//   3096.8, dt 960 with 2292): yg = Round1(497.71) = 497.7, e' = Round1(-6.7
//   + 960 - 497.7) = 455.6, the pull at 504.4. Both layers yielding pull at
//   (3096.8 41 + 2292 960) / 5388.8 = 431.9, short of 504.4: a thin block
//   at the inner face brings the line there. With both layers at -345
//   (x < 41 x 700 / 1045 = 27.5), moments about 504.4:
//   27200 x (504.4 - 0.4 x) = 1068.40e3 x 463.4 - 790.74e3 x 455.6
//   -> 10880 x² - 13 719 680 x + 134.83e6 = 0, x = 9.906 mm,
//   Nu = 27200 x 9.906 - 1859.1e3 = -1589.7 kN. The pull at 504.4 also
//   lies between the layers, where the bars alone reach the yield of the
//   outer layer sooner: Nu = 790.74 x 919 / (504.4 - 41) = 1568.2 kN,
//   Mu = 10.507 kN·m; fm = max(11.33 / 10.507, 1700 / 1568.2) = 1.084, NG.
// Compression 1700, the outer face crushed: e' = Round1(6.7 + 959 - 502.3)
//   = 463.4, the push at 495.6. The outer bars yield (+345), the inner
//   are elastic; moments about 495.6 with the block 27200 x at 0.4 x:
//   27200 x (0.4 x - 495.6) - 790.74e3 x 455.6
//     + 3096.8 x 700 (x - 959) / x x 463.4 = 0  ->  x = 1248.4 mm
//   (0.8 x = 998.7 < 1000), inner bars 162.3 N/mm²; Nu = 33 956 + 790.7
//   + 502.5 = 35 249 kN, Mu = 35 249 x 0.0067 = 236.2 kN·m;
//   fm = max(11.33 / 236.2, 1700 / 35 249) = max(0.0480, 0.0482) = 0.048.
// Compression 1700, the inner face crushed: e' = Round1(6.7 + 960 - 497.7)
//   = 469.0, the push at 491.0; the same equation with the layers
//   exchanged gives x = 1250.4 (the block just the whole depth), inner
//   bars yielding, outer 162.6 N/mm², Nu = 34 000 + 1068.4 + 372.7
//   = 35 441 kN, fm = max(11.33 / 237.5, 1700 / 35 441) = 0.048.
// (Bars without a lower stress limit put the compression-side layer under
// tension beyond yield, and read the first case 0.794, OK.)
TEST(RcCheckPipeline, ColumnStripUnderTensionAndACoupleIsRatedByItsBarsYield) {
    LoadBuiltInRebarTable();
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 2, 0).Material(1, 3.1e7).Section(1, 1.0, 0.0833).Member(1, 1, 2);
    b.Support(1, 1, kSupportFixed);
    const double pulls[] = {1700, 1700, -1700, -1700};
    const double couples[] = {11.33, -11.33, 11.33, -11.33};
    for (int c = 1; c <= 4; ++c) {
        b.NodalLoad(c, 2, pulls[c - 1], 0, couples[c - 1]);
        b.Combination(c, 1.0, {{c, 1.0}});
    }
    FrameModel& model = b.model();
    SetFixedText(model.sections[1].name, kNameSize, "C1");
    for (int c = 1; c <= 4; ++c)
        SetFixedText(model.combinations[c].name, kNameSize,
                     (std::string("L2") + char('A' + c - 1)).c_str());
    const RcDataPtr rc = AnalyseAndCheck(model);
    ASSERT_NE(rc, nullptr);

    const RcMemberChecks& m = rc->memberChecks[1];
    ASSERT_EQ(rc->checkCaseCount, 4);
    // The two ends, then the M-max and M-min rows, which a constant moment
    // puts at an end (where the end's point is checked instead).
    ASSERT_EQ(m.pointCount, 4);
    for (int k = 1; k <= 2; ++k) {
        const RcPointCheck& p = m.points[k];
        SCOPED_TRACE(p.name);
        EXPECT_FLOAT_EQ(p.as1, 2292.0f);
        EXPECT_FLOAT_EQ(p.as2, 3096.8f);
        for (int t = 1; t <= 4; ++t) {
            SCOPED_TRACE(t);
            const RcCaseCheck& c = p.cases[t];
            ASSERT_EQ(rc->checkCases[t].checkType, 3);
            ASSERT_EQ(c.muCK, 1);
            ASSERT_NEAR(std::fabs(c.bend.m), 11.33, 1e-3);
            ASSERT_NEAR(std::fabs(c.bend.n), 1700.0, 1e-2);
            const bool tension = c.bend.n < 0.0f;
            // The sign that compresses the outer face reads as positive M.
            const bool outerCrushed = c.bend.m > 0.0f;
            const float fm = tension ? (outerCrushed ? 1.053f : 1.084f) : 0.048f;
            EXPECT_FLOAT_EQ(c.fm, fm);
            EXPECT_EQ(c.ngFm, tension ? 1 : 0);
            const double nu =
                tension ? (outerCrushed ? -1614.9 : -1568.2) : (outerCrushed ? 35249.2 : 35441.1);
            EXPECT_NEAR(c.nu, nu, 0.2);
        }
        // Both tensile cases came out of different combinations' signs.
        EXPECT_NE(p.cases[1].bend.m > 0.0f, p.cases[2].bend.m > 0.0f);
        EXPECT_NE(p.cases[1].bend.n < 0.0f, p.cases[3].bend.n < 0.0f);
        EXPECT_FLOAT_EQ(p.cases[0].fm, 1.084f);
    }
    EXPECT_EQ(m.ng[kNgFm], 1);
    EXPECT_EQ(m.ng[kNgAny], 1);
}

}  // namespace
