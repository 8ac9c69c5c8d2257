// The calculation report of the portal-frame example, composed the way the
// preview composes it and read back as page text: the cover, the chapter
// headings and the contents, the input tables, and the result chapter whose
// reactions must balance the loads (checked by statics, not by the engine).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "report/contents_pages.h"
#include "report_body_util.h"
#include "tests/case_output.h"

namespace {

struct Portal {
    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    FrameResults* results = nullptr;
    int pages = 0;
};

Portal& Composed() {
    static Portal p = [] {
        Portal q;
        std::string warnings;
        const std::string file = std::string(EXAMPLES_DIR) + "/portal.$O1";
        EXPECT_TRUE(ReadFrameDataFile(file, *q.model, warnings)) << warnings;
        PrepareMemberLoads(*q.model);
        q.results = AllocateFrameResults();
        ClearFrameResults(*q.results);
        std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
        *copy = *q.model;
        EXPECT_TRUE(RunFrameAnalysis(*q.results, *copy, false, false, 20));
        SetResultPoints(*q.results, *q.model);
        q.pages = ComposeReport(*q.model, q.results, nullptr);
        return q;
    }();
    return p;
}

// Rows of a table: lines whose words are all numbers or the given texts,
// with the given word count, after the line holding `heading`.
std::vector<std::vector<std::string>> RowsAfter(const std::vector<std::string>& lines,
                                                const std::string& heading, std::size_t words) {
    std::vector<std::vector<std::string>> rows;
    bool on = false;
    for (const std::string& l : lines) {
        if (l.find(heading) != std::string::npos) {
            on = true;
            continue;
        }
        if (!on) continue;
        const std::vector<std::string> w = Words(l);
        const bool numbered = !w.empty() && std::isdigit(static_cast<unsigned char>(w[0][0]));
        if (w.size() == words && numbered) {
            rows.push_back(w);
        } else if (!rows.empty() && !w.empty() && !numbered) {
            break;
        }
    }
    return rows;
}

bool HasRow(const std::vector<std::string>& lines, const std::vector<std::string>& words) {
    for (const std::string& l : lines)
        if (Words(l) == words) return true;
    return false;
}

double Num(const std::string& w) { return std::atof(w.c_str()); }

}  // namespace

TEST(ReportPortal, CoverAndContents) {
    Portal& p = Composed();
    ASSERT_GT(p.pages, 5);
    EXPECT_NE(Joined(PoolPageText(0)).find("フレーム構造解析計算書"_sj), std::string::npos);
    const std::string contents = Joined(PoolPageText(1));
    // Chapters and sections numbered in order, load cases as items, each
    // with the body page it starts on.
    const std::vector<std::string> expected = {
        "1. 概要"_sj,         "1.1  基本データ"_sj, "1.2  計算オプション"_sj, "2. 構造"_sj,
        "2.1  材質データ"_sj, "2.3  格点データ"_sj, "2.6  支点データ"_sj,     "2.7  荷重データ"_sj,
        "(1) 鉛直荷重"_sj,    "(2) 水平荷重"_sj,    "3. 断面力の算出"_sj,     "3.1  組合せ1"_sj};
    std::size_t at = 0;
    for (const std::string& e : expected) {
        const std::size_t found = contents.find(e, at);
        EXPECT_NE(found, std::string::npos) << Cp932ToUtf8(e);
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(contents.find("分布バネデータ"_sj), std::string::npos);  // no spring cases
}

TEST(ReportPortal, InputTablesShowTheModel) {
    Portal& p = Composed();
    const std::vector<std::string> lines = AllBodyLines(p.pages);
    // Basic data.
    EXPECT_NE(Joined(lines).find("門形ラーメン試験モデル"_sj), std::string::npos);
    // Nodes: No, number, X, Y with four decimals.
    const auto nodes = RowsAfter(lines, "格点データ"_sj, 4);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[1], (std::vector<std::string>{"2", "2", "0.0000", "4.0000"}));
    EXPECT_EQ(nodes[2], (std::vector<std::string>{"3", "3", "6.0000", "4.0000"}));
    // Members: rigid joints, no rigid zones, length from the node coordinates.
    EXPECT_TRUE(HasRow(lines, {"2", "2", "2", "3", "2", "1", "剛"_sj, "剛"_sj, "－"_sj, "－"_sj,
                               "6.000", "梁"_sj}));
    // Sections and materials in the three-digit exponent form.
    EXPECT_TRUE(HasRow(lines, {"1", "1", "2.50000E-001", "5.20830E-003", "柱"_sj}));
    EXPECT_TRUE(HasRow(lines, {"1", "1", "2.50000E+007", "1.00000E-005"}));
    // Supports: the fixed node and the pin.
    EXPECT_TRUE(HasRow(lines, {"1", "1", "4", "(固定)"_sj, "固定"_sj, "固定"_sj, "固定"_sj}));
    EXPECT_TRUE(HasRow(lines, {"2", "4", "1", "(ﾋﾟﾝ支点)"_sj, "固定"_sj, "固定"_sj, "自由"_sj}));
    // Loads: 20 kN/m over the 6 m beam is 120 kN down; the point load has
    // no horizontal part; the nodal load is 30 kN horizontal.
    EXPECT_TRUE(HasRow(lines, {"1", "鉛直分布"_sj, "2", "－"_sj, "-20.000", "-20.000", "0.0", "0.0",
                               "6.000", "－"_sj, "-120.000"}));
    EXPECT_TRUE(HasRow(lines, {"1", "鉛直集中"_sj, "2", "-50.000", "2.000", "－"_sj, "-50.000"}));
    EXPECT_TRUE(HasRow(lines, {"1", "水平分布"_sj, "1", "－"_sj, "5.000", "5.000", "0.0", "0.0",
                               "4.000", "20.000", "－"_sj}));
    EXPECT_TRUE(
        HasRow(lines, {"1", "格点荷重"_sj, "2", "30.000", "0.000", "0.000", "30.000", "－"_sj}));
    // The case totals: 170 kN down in case 1, 50 kN horizontal in case 2.
    const std::string all = Joined(lines);
    EXPECT_NE(all.find("0.000 - 170.000"), std::string::npos);
    EXPECT_NE(all.find("50.000 - 0.000"), std::string::npos);
    // The load scale of each printed case is written back.
    EXPECT_FLOAT_EQ(p.model->loadCases[1].maxLoad, 50.0f);
    EXPECT_FLOAT_EQ(p.model->loadCases[2].maxLoad, 30.0f);
}

TEST(ReportPortal, ReactionsBalanceTheCombinedLoads) {
    Portal& p = Composed();
    const std::vector<std::string> lines = AllBodyLines(p.pages);
    const auto rows = RowsAfter(lines, "・支点反力"_sj, 5);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[1][1], "4");
    // Loads of the combination (1.0 x both cases): 30 kN at node 2 and
    // 5 kN/m over the 4 m left column to the right, 20 kN/m over the 6 m
    // beam and 50 kN at 2 m down. Printed to 3 decimals: 0.002 tolerance.
    const double rx = Num(rows[0][2]) + Num(rows[1][2]);
    const double ry = Num(rows[0][3]) + Num(rows[1][3]);
    EXPECT_NEAR(rx, -(30.0 + 5.0 * 4.0), 0.002);
    EXPECT_NEAR(ry, 20.0 * 6.0 + 50.0, 0.002);
    // Moments about node 1 (0,0), counter-clockwise positive: the loads give
    // -120*3 - 50*2 - 30*4 - 20*2 = -620; node 4 (6,0) is pinned.
    EXPECT_NEAR(Num(rows[1][4]), 0.0, 0.001);
    EXPECT_NEAR(Num(rows[0][4]) + 6.0 * Num(rows[1][3]), 620.0, 0.01);
    // The fixed node does not move; rotations are printed in radians.
    const auto disp = RowsAfter(lines, "・格点変位"_sj, 5);
    ASSERT_EQ(disp.size(), 4u);
    EXPECT_EQ(disp[0], (std::vector<std::string>{"1", "1", "0.000", "0.000", "0.000000"}));
    EXPECT_LT(std::fabs(Num(disp[1][4])), 0.01);
}

TEST(ReportPortal, MemberTablesAndCombination) {
    Portal& p = Composed();
    const std::vector<std::string> lines = AllBodyLines(p.pages);
    const std::string all = Joined(lines);
    EXPECT_TRUE(HasRow(lines, {"1", "1", "鉛直荷重"_sj, "1.0000"}));
    EXPECT_TRUE(HasRow(lines, {"2", "2", "水平荷重"_sj, "1.0000"}));
    for (const std::string* t : {&"・モーメント図"_sj, &"・せん断力図"_sj, &"・軸力図"_sj})
        EXPECT_EQ(CountOccurrences(all, *t), 1);
    // The beam runs left to right: its points ascend, the named point of
    // interest 中央 at 3 m sits between the ends; i + j distances = 6 m.
    const auto beam = RowsAfter(lines, "・部材    2"_sj, 7);
    ASSERT_GE(beam.size(), 3u);
    EXPECT_EQ(beam.front()[2], "0.000");
    EXPECT_EQ(beam.back()[2], "6.000");
    bool middle = false;
    for (const auto& r : beam) {
        EXPECT_NEAR(Num(r[2]) + Num(r[3]), 6.0, 1e-9);
        middle = middle || (r[1] == "中央"_sj && r[2] == "3.000");
    }
    EXPECT_TRUE(middle);
    // The columns point up, so they are listed from their top (j) end.
    const auto column = RowsAfter(lines, "・部材    1"_sj, 7);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_EQ(column[0][2], "4.000");
    EXPECT_EQ(column[1][2], "0.000");
    // The left column's foot moment equals the fixed node's reaction moment.
    const auto rows = RowsAfter(lines, "・支点反力"_sj, 5);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(std::fabs(Num(column[1][4])), std::fabs(Num(rows[0][4])), 0.0015);
}

TEST(ReportPortal, NothingRunsOffThePage) {
    Portal& p = Composed();
    for (int k = 1; k <= p.pages; ++k) {
        // The page number is drawn bottom-centred at 270 mm; everything else
        // stays above it.
        EXPECT_LE(LowestRecordY(10 + k), 2700.0) << "page " << k;
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() >= 3 && (w[0] == "text" || w[0] == "line")) {
                EXPECT_LE(std::atof(w[1].c_str()), 1800.0) << "page " << k << ": " << rec;
            }
        }
    }
}

TEST(ReportPortal, RendersPages) {
    Portal& p = Composed();
    TBitmap bmp(900, 1350);
    for (int page : {0, 1, 11, 12, 13, 15, 17}) {
        PlayPoolPage(bmp, page, 1800, 2700, 0xFFFFFF);
        EXPECT_TRUE(
            bmp.SaveToFile(CaseOutputDir() + "/portal_page" + std::to_string(page) + ".png"));
    }
    (void)p;
}
