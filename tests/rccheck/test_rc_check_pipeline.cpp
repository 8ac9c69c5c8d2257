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
    PrepareMemberLoads(model);
    auto copy = NewFrameModelRecord();
    *copy = model;
    FrameResults* results = AllocateFrameResults();
    ASSERT_NE(results, nullptr);
    ClearFrameResults(*results);
    ASSERT_TRUE(RunFrameAnalysis(*results, *copy, false, false, 999));
    SetResultPoints(*results, model);

    std::unique_ptr<RcCheckData, RcDataDeleter> rc(NewRcCheckData());
    BuildRcCheckData(*rc, *results, model);
    InitRcSections(*rc, model);
    CopySectionSizeToPoints(*rc);
    ApplyCheckTypes(*rc);
    ApplyCoversToPoints(*rc);
    CheckAllMembers(*rc);
    BuildEnvelope(*rc);

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

}  // namespace
