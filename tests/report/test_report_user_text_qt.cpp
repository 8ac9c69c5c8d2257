// User text in the calculation report: names, titles and case names print
// exactly as typed and never act as the template's markup (「【」 remarks,
// "%." heading markers, "#" fields, "$" commands, "~" overbars), in the
// real report of an analysed beam; a name wider than its column is cut to
// that column at a character boundary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "model/analysis_driver.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "report/text_draw.h"
#include "report_body_util.h"
#include "tests/model/model_builder.h"

namespace {

std::string Literal(const std::string& inner) { return kLiteralOpen + inner + kLiteralClose; }

// A name that holds a remark, an overbar, a "$" command, a
// field mask and a heading marker, 16 bytes.
const std::string& TrickyName() {
    static const std::string name = "梁【端部】~$#%.%"_sj;
    return name;
}

// A 6 m simple beam (pin, roller) under 10 kN/m down, one combination:
// M(x) = 5 x (6 - x) kN·m.
struct Beam {
    ModelBuilder b;
    FrameResults* results = nullptr;
    explicit Beam(const std::string& memberName, const std::string& sectionName = "") {
        b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2.05e8).Section(1, 0.01, 0.0002).Member(1, 1, 2);
        b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
        b.Load(1, kLoadDistY, 1, -10, -10);
        b.Combination(1, 1.0, {{1, 1.0}});
        b.ViewPoints(1, {1.5, 3.0, 4.5});
        FrameModel& m = b.model();
        SetFixedText(m.members[1].name, kNameSize, memberName.c_str());
        SetFixedText(m.sections[1].name, kNameSize, sectionName.c_str());
        SetFixedText(m.loadCases[1].name, kNameSize, "固定%.%荷重"_sj.c_str());
        SetFixedText(m.supportCases[1].name, kNameSize, "支点【両端】$#~"_sj.c_str());
        SetFixedText(m.combinations[1].name, kNameSize, "長期【常時】#1"_sj.c_str());
        PrepareMemberLoads(m);
        results = AllocateFrameResults();
        ClearFrameResults(*results);
        std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
        *copy = m;
        EXPECT_TRUE(RunFrameAnalysis(*results, *copy, false, false, kMaxResultPoints));
        SetResultPoints(*results, m);
    }
    int Compose() { return ComposeReport(b.model(), results, nullptr); }
};

const std::string* FindLine(const std::vector<std::string>& lines, const std::string& what) {
    for (const std::string& l : lines)
        if (l.find(what) != std::string::npos) return &l;
    return nullptr;
}

// The lead line of a member-force table starts with the word 「・部材」.
bool IsMemberLead(const std::string& line) {
    const std::vector<std::string> w = Words(line);
    return !w.empty() && w[0] == "・部材"_sj;
}

}  // namespace

TEST(ReportSafeText, LiteralRunsOfTheTextAsTyped) {
    const std::string kanji43 = "A" + RepeatText("鋼"_sj, 21);  // 43 bytes
    const struct {
        std::string text;
        int maxBytes;
        std::string expected;  // inside the marks; "" for no run at all
    } cases[] = {
        {"  A#1$ ", 0, "A#1$"},
        {TrickyName(), 16, TrickyName()},
        {"表示"_sj, 0, "表示"_sj},  // 0x5C trail byte kept
        {kanji43, 0, kanji43},
        {kanji43, 16, "A" + RepeatText("鋼"_sj, 7)},  // the 8th character would end at byte 17
        {kanji43, 15, "A" + RepeatText("鋼"_sj, 7)},
        {"\x01"
         "A\x7F"
         "B\tC",
         0, "ABC"},         // control bytes and the mark itself dropped
        {"A\x88", 0, "A"},  // a lead byte without its trail byte
        {"   ", 0, ""},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        const std::string expected = c.expected.empty() ? std::string() : Literal(c.expected);
        EXPECT_EQ(ReportSafeText(c.text, c.maxBytes), expected)
            << Cp932ToUtf8(c.text) << " / " << c.maxBytes;
    }
    EXPECT_EQ(ReportPlainText("a" + Literal("b") + "c"), "abc");
}

// Before, the member-force table's line was cut at 「【」, its 部材長 field
// never existed and every value moved one heading to the left; the "#" of
// a name opened a field of its own and its "$" vanished.
TEST(ReportUserText, MarkupInNamesPrintsAsTypedAndValuesKeepTheirHeadings) {
    Beam beam(TrickyName());
    const int pages = beam.Compose();
    const std::vector<std::string> lines = AllBodyLines(pages);

    // The member table: every value under its heading, the name last.
    const std::string* row = FindLine(lines, TrickyName());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Words(*row), (std::vector<std::string>{"1", "1", "1", "2", "1", "1", "剛"_sj, "剛"_sj,
                                                     "－"_sj, "－"_sj, "6.000", TrickyName()}));

    // The member-force table's lead line: the name whole and the length
    // field after it.
    const auto lead = std::find_if(lines.begin(), lines.end(), IsMemberLead);
    ASSERT_NE(lead, lines.end());
    EXPECT_EQ(Words(*lead), (std::vector<std::string>{"・部材"_sj, "1", TrickyName(), "部材長"_sj,
                                                      "=", "6.000", "(m)"}));

    // Its rows: No, point, x, L - x, M, N, S in their columns.
    int rows = 0;
    bool on = false;
    for (const std::string& l : lines) {
        if (l.find("・"_sj) != std::string::npos) on = IsMemberLead(l);
        const std::vector<std::string> w = Words(l);
        if (!on || w.size() < 6 || !std::isdigit(static_cast<unsigned char>(w[0][0]))) continue;
        const std::size_t at = w.size() - 5;
        const double x = std::atof(w[at].c_str());
        EXPECT_NEAR(std::atof(w[at + 1].c_str()), 6.0 - x, 0.0015) << l;
        EXPECT_NEAR(std::atof(w[at + 2].c_str()), 5.0 * x * (6.0 - x),
                    0.0005 * std::fabs(30 - 10 * x) + 0.003)
            << l;
        EXPECT_NEAR(std::atof(w[at + 3].c_str()), 0.0, 1e-9) << l;
        EXPECT_NEAR(std::atof(w[at + 4].c_str()), 30.0 - 10.0 * x, 0.006) << l;
        ++rows;
    }
    EXPECT_GE(rows, 5);

    // Case names with markers: printed whole, listed whole in the contents,
    // and the chapters numbered on as if they were plain names.
    const std::string all = Joined(lines);
    EXPECT_NE(all.find("固定%.%荷重"_sj), std::string::npos);
    EXPECT_NE(all.find("長期【常時】#1"_sj), std::string::npos);
    // The load case's lines: its heading, and its title and its support
    // case's title each after their label, nothing dropped or moved.
    const std::string* title = FindLine(lines, "荷重タイトル"_sj);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(Words(*title), (std::vector<std::string>{"荷重ケース番号"_sj, ":", "1",
                                                       "荷重タイトル"_sj, ":", "固定%.%荷重"_sj}));
    const std::string* support = FindLine(lines, "支点タイトル"_sj);
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(Words(*support),
              (std::vector<std::string>{"支点ケース番号"_sj, ":", "1", "支点タイトル"_sj, ":",
                                        "支点【両端】$#~"_sj}));
    EXPECT_NE(FindLine(lines, "(1) 固定%.%荷重"_sj), nullptr);
    const std::string contents = Joined(PoolPageText(1));
    EXPECT_NE(contents.find("(1) 固定%.%荷重"_sj), std::string::npos);
    EXPECT_NE(contents.find("3. 断面力の算出"_sj), std::string::npos);
    EXPECT_NE(contents.find("3.1  長期【常時】#1"_sj), std::string::npos);
    // Their leaders start two blanks after the name, as after any heading.
    EXPECT_NE(contents.find("3.1  長期【常時】#1  ･"_sj), std::string::npos);
    EXPECT_NE(contents.find("(1) 固定%.%荷重  ･"_sj), std::string::npos);
    EXPECT_EQ(contents.find("4."), std::string::npos);
}

// A 43-byte member name (the most a name holds) in the 16-byte 部材名
// column, and a 43-byte section name in the 26-byte 断面名称 column: cut to
// the column, every character of it between the column's two rules.
TEST(ReportUserText, LongNamesStayInsideTheirColumns) {
    const std::string longName = "A" + RepeatText("鋼"_sj, 21);
    const std::string sectionName = "B" + RepeatText("柱"_sj, 21);
    Beam beam(longName, sectionName);
    beam.Compose();
    struct Case {
        const std::string glyph;
        int kept;  // characters the column holds
    } cases[] = {{"鋼"_sj, 7}, {"柱"_sj, 12}};
    for (const Case& c : cases) {
        // The page and baseline of the table row that holds the name.
        int page = 0;
        double y = -1;
        std::vector<double> xs;
        for (int k = 1; k <= 3 && xs.empty(); ++k)
            for (const std::string& rec : DumpPoolPage(10 + k)) {
                const std::vector<std::string> w = Words(rec);
                if (w.size() == 4 && w[0] == "text" && w[3] == c.glyph) {
                    page = 10 + k;
                    y = std::atof(w[2].c_str());
                    xs.push_back(std::atof(w[1].c_str()));
                }
            }
        ASSERT_EQ(static_cast<int>(xs.size()), c.kept) << Cp932ToUtf8(c.glyph);
        // The vertical rules that cross that row.
        std::vector<double> rules;
        double cx = 0, cy = 0;
        for (const std::string& rec : DumpPoolPage(page)) {
            const std::vector<std::string> w = Words(rec);
            if (w.size() < 3 || (w[0] != "move" && w[0] != "line")) continue;
            const double x = std::atof(w[1].c_str()), ry = std::atof(w[2].c_str());
            if (w[0] == "line" && std::fabs(x - cx) < 1 && std::min(cy, ry) <= y &&
                std::max(cy, ry) >= y)
                rules.push_back(x);
            cx = x;
            cy = ry;
        }
        std::sort(rules.begin(), rules.end());
        ASSERT_GE(rules.size(), 2u);
        // All of the name's characters (two cells of 18 px) between the
        // same two rules.
        const auto right = std::upper_bound(rules.begin(), rules.end(), xs.front());
        ASSERT_NE(right, rules.begin());
        ASSERT_NE(right, rules.end()) << "the name runs past the table's edge";
        const double leftRule = *(right - 1), rightRule = *right;
        for (double x : xs) {
            EXPECT_GT(x, leftRule) << Cp932ToUtf8(c.glyph);
            EXPECT_LE(x + 36, rightRule) << Cp932ToUtf8(c.glyph);
        }
    }
}
