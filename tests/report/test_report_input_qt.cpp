// Input chapters of the report: paging of row tables in blocks of 40, the
// load tables' first block on the current page, texts of supports, joints
// and rigid zones, case headings, and the helpers behind the tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/report_cover.h"
#include "report_body_util.h"
#include "tests/model/model_builder.h"

namespace {

// A small frame: nodes 1..n along X, members between neighbours.
ModelBuilder Beam(int nodes) {
    ModelBuilder b;
    b.Material(1, 2.05e8).Section(1, 0.01, 0.0002);
    for (int i = 1; i <= nodes; ++i) b.Node(i, i - 1.0, 0);
    for (int i = 1; i < nodes; ++i) b.Member(i, i, i + 1);
    b.Support(1, 1, kSupportFixed);
    return b;
}

struct PageRow {
    int page;
    std::vector<std::string> words;
};

// Rows of every table whose first word is a row number and that has
// `count` words, with their body page.
std::vector<PageRow> NumberedRows(int pages, std::size_t count, const std::string& second = "") {
    std::vector<PageRow> out;
    for (int k = 1; k <= pages; ++k)
        for (const std::string& l : BodyPageText(k)) {
            const std::vector<std::string> w = Words(l);
            if (w.size() == count && std::isdigit(static_cast<unsigned char>(w[0][0])) &&
                (second.empty() || w[1] == second))
                out.push_back({k, w});
        }
    return out;
}

}  // namespace

TEST(ReportTemplates, GeneratedTablesKeepTheirRulesAligned) {
    // A header wider than its column is cut rather than shifting the rules.
    const std::vector<std::string> lines = ReportTableTemplate(
        {{4, "No", "", "-1"}, {6, "とても長い見出し"_sj, "(m)", "##.##"}, {8, "B", "x", "####"}},
        2);
    ASSERT_EQ(lines.size(), 8u);  // top, 2 header lines + spacer, heavy rule, row, separator, foot
    for (const std::string& l : lines) EXPECT_EQ(l.size(), lines[0].size()) << l;
    // The row template reads as row-template mode: rows 3..5, separators
    // between them, one foot: 2 x 3 lines at 2.88 mm after 5 fixed lines.
    EXPECT_NEAR(ReportTemplateHeight(lines, 3), 2.88 * (5 + 6), 1e-9);
}

TEST(ReportTemplates, ThreeDigitExponents) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{2500, "2.50000E+003"},
                 {-1.5e-7, "-1.50000E-007"},
                 {0, "0.00000E+000"},
                 {1e100, "1.00000E+100"},
                 {2.05e8, "2.05000E+008"}};
    for (const auto& c : cases) EXPECT_EQ(Trim(FormatReportE(c.value)), c.text) << c.value;
    EXPECT_EQ(FormatReportE(1).size(), 12u);
}

TEST(ReportPaging, FortyOneNodesPrintFortyThenOne) {
    ModelBuilder b = Beam(41);
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    // Node rows: No, number, X, Y; every row exactly once.
    std::set<int> seen;
    int lastPage = 0;
    for (const PageRow& r : NumberedRows(pages, 4)) {
        if (r.words[3] != "0.0000") continue;
        EXPECT_TRUE(seen.insert(std::atoi(r.words[0].c_str())).second) << r.words[0];
        EXPECT_EQ(std::atoi(r.words[0].c_str()), std::atoi(r.words[1].c_str()));
        lastPage = r.page;
    }
    EXPECT_EQ(seen.size(), 41u);
    // The second block repeats the table header under a blank line.
    EXPECT_EQ(CountOccurrences(Joined(AllBodyLines(pages)), "Ｘ座標"_sj), 2);
    EXPECT_GE(lastPage, 2);
    for (int k = 1; k <= pages; ++k) EXPECT_LE(LowestRecordY(10 + k), 2700.0) << k;
}

TEST(ReportPaging, LongLoadTableStartsOnTheCurrentPage) {
    ModelBuilder b = Beam(2);
    for (int i = 1; i <= 45; ++i) b.Load(1, kLoadDistY, 1, -i, -i);
    PrepareMemberLoads(b.model());
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    const std::vector<PageRow> rows = NumberedRows(pages, 11, "鉛直分布"_sj);
    ASSERT_EQ(rows.size(), 45u);
    // A first block on the load case's page, the rest (at most 40) on the next.
    const int firstPage = rows.front().page;
    int onFirst = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::atoi(rows[i].words[0].c_str()), static_cast<int>(i) + 1);
        onFirst += rows[i].page == firstPage;
    }
    EXPECT_GT(onFirst, 0);
    EXPECT_GE(onFirst, 5);
    EXPECT_EQ(rows.back().page, firstPage + 1);
    EXPECT_NE(Joined(BodyPageText(firstPage)).find("荷重ケースNo: 1"_sj), std::string::npos);
    for (int k = 1; k <= pages; ++k) EXPECT_LE(LowestRecordY(10 + k), 2700.0) << k;
}

TEST(ReportPaging, ShortLoadTableThatDoesNotFitMovesWhole) {
    ModelBuilder b = Beam(2);
    for (int i = 1; i <= 30; ++i) b.Load(1, kLoadConcY, 1, -i, 0, 0.5);
    PrepareMemberLoads(b.model());
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    const std::vector<PageRow> rows = NumberedRows(pages, 7, "鉛直集中"_sj);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows.front().page, rows.back().page);
    EXPECT_EQ(Joined(BodyPageText(rows.front().page)).find("荷重ケースNo"_sj), std::string::npos);
}

TEST(ReportInputTexts, SupportsJointsRigidZonesAndCaseTitles) {
    ModelBuilder b = Beam(3);
    b.Support(1, 3, kSupportSpring, -1, 0, 2500);
    b.model().members[1].rigidI = 0.0001f;
    b.model().members[1].rigidJ = 0.25f;
    b.model().members[2].endJ = 1;
    SetFixedText(b.model().members[2].name, kNameSize, ("柱"_sj + "#1$").c_str());
    b.Load(1, kLoadDistY, 1, -1, -1);  // case 1: blank title
    b.Load(2, kLoadDistY, 1, -1, -1);
    b.Load(3, kLoadDistY, 1, -1, -1);
    b.model().loadCases[2].count = 0;  // a case without loads prints nothing
    b.Spring(1, 1, 2e4, 5e3);
    PrepareMemberLoads(b.model());
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    const std::vector<std::string> lines = AllBodyLines(pages);
    const std::string all = Joined(lines);
    const auto has = [&](const std::vector<std::string>& w) {
        for (const std::string& l : lines)
            if (Words(l) == w) return true;
        return false;
    };
    EXPECT_TRUE(has({"2", "3", "5", "(ﾊﾞﾈ支点)"_sj, "固定"_sj, "自由"_sj, "2.50000E+003"}));
    EXPECT_TRUE(has({"1", "1", "1", "2", "1", "1", "剛"_sj, "剛"_sj, "－"_sj, "0.250", "1.000"}));
    EXPECT_TRUE(has({"2", "2", "2", "3", "1", "1", "剛"_sj, "ﾋﾟﾝ"_sj, "－"_sj, "－"_sj, "1.000",
                     "柱"_sj + "#1$"}));
    EXPECT_NE(all.find("荷重ケースNo: 1"_sj), std::string::npos);
    EXPECT_NE(all.find("荷重ケースNo: 3"_sj), std::string::npos);
    EXPECT_EQ(all.find("荷重ケースNo: 2"_sj), std::string::npos);
    // The distributed-spring table heads its two constants apart.
    // The distributed-spring table heads its two constants apart: Ｋ with
    // the subscript v, then Ｋ with u (the subscript is drawn on its own).
    std::vector<std::string> subscripts;
    for (int k = 1; k <= pages; ++k) {
        std::string last;
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() < 4 || w[0] != "text") continue;
            if (last == "Ｋ"_sj && (w[3] == "v" || w[3] == "u")) subscripts.push_back(w[3]);
            last = w[3];
        }
    }
    EXPECT_EQ(subscripts, (std::vector<std::string>{"v", "u"}));
    const std::string contents = Joined(PoolPageText(1));
    EXPECT_NE(contents.find("(2) 荷重ケースNo: 3"_sj), std::string::npos);
}

// Unit exponents in the real tables' headings: the 4 of the section
// table's Iz(m4) is small and raised to the letters' top, as the 2 of
// A(m2) is; written at full size on the line it read as "m4".
TEST(ReportInputTexts, UnitExponentsOfTheSectionTableAreRaised) {
    ModelBuilder b = Beam(2);
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    struct Drawn {
        double y, height;
        std::string text;
    };
    int checked = 0;
    for (int k = 1; k <= pages; ++k) {
        std::vector<Drawn> drawn;
        double height = 0;
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() >= 2 && w[0] == "font") height = std::atof(w[1].c_str());
            if (w.size() >= 4 && w[0] == "text")
                drawn.push_back({std::atof(w[2].c_str()), height, w[3]});
        }
        for (std::size_t i = 0; i + 4 < drawn.size(); ++i) {
            const std::string unit = drawn[i].text + drawn[i + 1].text + drawn[i + 2].text;
            if (unit != "(m2" && !(unit == "z(m" && drawn[i + 3].text == "4")) continue;
            const Drawn& base = unit == "(m2" ? drawn[i + 1] : drawn[i + 2];
            const Drawn& exponent = unit == "(m2" ? drawn[i + 2] : drawn[i + 3];
            EXPECT_LT(exponent.height, base.height) << unit;
            // Its top at the top of the letters (paper y runs down).
            EXPECT_LE(exponent.y, base.y) << unit;
            checked += unit == "z(m";
        }
    }
    EXPECT_EQ(checked, 1);
}
