// The chapter switches of the calculation report: the analysed portal frame
// with RC check data for one member is composed with each setting of the
// result and RC switches; the body, the contents pages and the jump list
// hold exactly the chapters switched on, the input chapters always.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sjis_literal.h"
#include "rccheck/rc_records.h"
#include "report/contents_pages.h"
#include "report/page_pool.h"
#include "report_body_util.h"
#include "tests/analysed_example.h"

namespace {

// The rows the contents builder hands to the preview's jump list.
struct RecordedJumpList : ContentsJumpList {
    std::vector<std::string> rows;
    int TopIndex() const override { return 0; }
    void SetTopIndex(int) override {}
    void Clear() override { rows.clear(); }
    void AddRow(const std::string& row, double) override { rows.push_back(row); }
    bool Has(const std::string& text) const {
        for (const std::string& r : rows)
            if (r.find(text) != std::string::npos) return true;
        return false;
    }
};

// RC check data for member 2 (the beam) of the portal: one check case on
// combination 1, three points along the beam.
void FillRcRecord(RcCheckData& rc) {
    rc.memberCount = 1;
    rc.checkCaseCount = 1;
    rc.checkCases[1] = RcCheckCase{1, 1, {}};
    RcMemberChecks& m = rc.memberChecks[1];
    m.memberNo = 2;
    SetRcText(m.name, kRcNameSize, "梁"_sj);
    m.length = 6;
    m.pointCount = 3;
    for (int k = 1; k <= 3; ++k) {
        RcPointCheck& p = m.points[k];
        SetRcText(p.name, kRcPointNameSize, "P" + std::to_string(k));
        p.set1 = RcDepths{600, 60, 70};
        p.set2 = RcDepths{600, 60, 70};
        p.cases[1].bend.x = 1.5f * static_cast<float>(k);
        p.cases[1].bend.m = -30.0f;
        p.cases[1].shear = p.cases[1].bend;
    }
}

}  // namespace

TEST(ReportChapters, OnlyTheChaptersSwitchedOnArePrintedAndListed) {
    AnalysedExample a = AnalyseExample("portal.$O1", 20);
    RcCheckData* rc = NewRcCheckData();
    ASSERT_NE(rc, nullptr);
    FillRcRecord(*rc);
    const std::string& results = "断面力の算出"_sj;
    const std::string& rcCheck = "応力度の照査"_sj;
    const std::string& overview = "概要"_sj;
    const struct {
        bool results, rc;
    } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    int pagesWithBoth = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.results ? "results on" : "results off") +
                     (c.rc ? ", rc on" : ", rc off"));
        ReportChapters.results = c.results;
        ReportChapters.rcCheck = c.rc;
        BeginPreview(1800, 2700);
        const int pages = BuildCalculationReport(*a.model, a.results, rc);
        RecordedJumpList jump;
        const int contentsPages = BuildContentsPages(&jump);
        std::string contents;
        for (int k = 1; k <= contentsPages; ++k) contents += Joined(PoolPageText(k));
        const std::string body = Joined(AllBodyLines(pages));
        // The headings are where the switches say, in all three places.
        EXPECT_EQ(body.find(results) != std::string::npos, c.results);
        EXPECT_EQ(contents.find(results) != std::string::npos, c.results);
        EXPECT_EQ(jump.Has(results), c.results);
        EXPECT_EQ(body.find(rcCheck) != std::string::npos, c.rc);
        EXPECT_EQ(contents.find(rcCheck) != std::string::npos, c.rc);
        EXPECT_EQ(jump.Has(rcCheck), c.rc);
        EXPECT_NE(body.find(overview), std::string::npos);
        EXPECT_TRUE(jump.Has(overview));
        if (c.results && c.rc)
            pagesWithBoth = pages;
        else
            EXPECT_LT(pages, pagesWithBoth);
        // The records the chapters come from are left as they were.
        EXPECT_EQ(a.results->memberCount, 3);
        EXPECT_EQ(rc->memberCount, 1);
    }
    ReportChapters = ReportChapterSwitches{};
    FreeRcCheckData(rc);
}
