// The result chapter of the report over small analysed frames: combination
// headings (with the fallback name), reactions under their node numbers,
// statics of a simple beam, long member tables in blocks that stay on the
// page, and results without combinations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <cmath>
#include "model/analysis_driver.h"
#include "model/member_points.h"
#include "platform/sjis_literal.h"
#include "report_body_util.h"
#include "tests/model/model_builder.h"

namespace {

// A 4 m simple beam between nodes 5 (pin) and 9 (roller) under 10 kN/m down.
ModelBuilder SimpleBeam() {
    ModelBuilder b;
    b.Node(5, 0, 0).Node(9, 4, 0).Material(1, 2.05e8).Section(1, 0.01, 0.0002).Member(1, 5, 9);
    b.Support(1, 5, kSupportPin).Support(1, 9, kSupportRollerY);
    b.Load(1, kLoadDistY, 1, -10, -10);
    return b;
}

FrameResults& AnalyseForReport(FrameModel& model) {
    PrepareMemberLoads(model);
    FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    *copy = model;
    EXPECT_TRUE(RunFrameAnalysis(*r, *copy, false, false, kMaxResultPoints));
    SetResultPoints(*r, model);
    return *r;
}

std::vector<std::vector<std::string>> ReactionRows(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> rows;
    bool on = false;
    for (const std::string& l : lines) {
        if (l.find("・"_sj) != std::string::npos) on = l.find("・支点反力"_sj) != std::string::npos;
        const std::vector<std::string> w = Words(l);
        if (on && w.size() == 5 && std::isdigit(static_cast<unsigned char>(w[0][0])))
            rows.push_back(w);
    }
    return rows;
}

}  // namespace

TEST(ReportResults, CombinationsHeadingsAndReactions) {
    ModelBuilder b = SimpleBeam();
    b.Combination(1, 1.0, {{1, 1.0}});
    b.Combination(2, 1.5, {{1, 1.0}});
    SetFixedText(b.model().combinations[1].name, kNameSize, "設計荷重"_sj.c_str());
    FrameResults& r = AnalyseForReport(b.model());
    const int pages = ComposeReport(b.model(), &r, nullptr);
    const std::vector<std::string> lines = AllBodyLines(pages);
    const std::string all = Joined(lines);
    EXPECT_NE(all.find("設計荷重"_sj), std::string::npos);
    EXPECT_NE(all.find("組み合わせケース[2]"_sj), std::string::npos);
    EXPECT_NE(all.find("1.500"), std::string::npos);  // the overall factor
    // Both combinations list the supports under their own node numbers;
    // wL/2 = 20 kN up at each end, times 1.0 and 1.5.
    const auto rows = ReactionRows(lines);
    ASSERT_EQ(rows.size(), 4u);
    const double factor[] = {1.0, 1.0, 1.5, 1.5};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][1], i % 2 == 0 ? "5" : "9");
        EXPECT_NEAR(std::atof(rows[i][3].c_str()), 20.0 * factor[i], 0.002);
        EXPECT_NEAR(std::atof(rows[i][2].c_str()), 0.0, 0.002);
    }
    // Each combination after the first starts its own page.
    const std::string contents = Joined(PoolPageText(1));
    EXPECT_NE(contents.find("組み合わせケース[2]"_sj), std::string::npos);
}

TEST(ReportResults, WithoutCombinationsOnlyTheChapterHeading) {
    ModelBuilder b = SimpleBeam();
    FrameResults& r = AnalyseForReport(b.model());
    ASSERT_NE(r.memberCount, 0);
    const int pages = ComposeReport(b.model(), &r, nullptr);
    const std::string all = Joined(AllBodyLines(pages));
    EXPECT_NE(all.find("断面力の算出"_sj), std::string::npos);
    EXPECT_EQ(all.find("・支点反力"_sj), std::string::npos);
    EXPECT_EQ(all.find("・モーメント図"_sj), std::string::npos);
}

TEST(ReportResults, LongMemberTableContinuesWithinThePage) {
    ModelBuilder b = SimpleBeam();
    b.Combination(1, 1.0, {{1, 1.0}});
    View2Member& v = b.model().view2[++b.model().view2Count];
    v.memberNo = 1;
    for (int k = 1; k <= 60; ++k) {
        v.dist[k] = static_cast<float>(k * 4.0 / 61.0);
        SetFixedText(v.pointName[k], kPointNameSize, ("K" + std::to_string(k)).c_str());
    }
    v.count = 60;
    FrameResults& r = AnalyseForReport(b.model());
    const int pages = ComposeReport(b.model(), &r, nullptr);
    // Every point of interest once, numbered on across the blocks, each
    // with M = 5x(4 - x) (kN*m, 10 kN/m over the 4 m span).
    int found = 0;
    bool on = false;
    for (const std::string& l : AllBodyLines(pages)) {
        if (l.find("・"_sj) != std::string::npos) on = l.find("・部材"_sj) != std::string::npos;
        const std::vector<std::string> w = Words(l);
        if (!on || (w.size() != 6 && w.size() != 7) ||
            !std::isdigit(static_cast<unsigned char>(w[0][0])))
            continue;
        ++found;
        EXPECT_EQ(std::atoi(w[0].c_str()), found);
        const std::size_t at = w.size() - 5;  // the label may be blank
        const double x = std::atof(w[at].c_str());
        EXPECT_NEAR(std::atof(w[at + 1].c_str()) + x, 4.0, 0.0015);
        // x is printed to 3 decimals: allow its rounding times the slope,
        // plus 0.003 kN*m for the engine's float storage of the values.
        const double tol = 0.0005 * std::fabs(5.0 * (4.0 - 2.0 * x)) + 0.003;
        EXPECT_NEAR(std::atof(w[at + 2].c_str()), 5.0 * x * (4.0 - x), tol) << l;
    }
    // More rows than one block holds, and every listed point printed.
    EXPECT_GT(found, 40);
    EXPECT_EQ(found, static_cast<int>(
                         ListPointsWithForces(r, ComboBlockIndex(r, 1), 1, false, true).size()));
    for (int k = 1; k <= pages; ++k) EXPECT_LE(LowestRecordY(10 + k), 2700.0) << k;
}
