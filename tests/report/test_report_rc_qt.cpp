// The RC chapter of the report: an RC record built in code (one member of
// a small frame, one check case) is printed and read back as page text:
// seven points to a table, the check switches deciding which rows and cells
// appear, the tension side's bar stress only, the sign mark of positive
// moments and the NG marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_records.h"
#include "report/page_pool.h"
#include "report_body_util.h"
#include "tests/case_output.h"
#include "tests/model/model_builder.h"

namespace {

struct RcFixture {
    ModelBuilder b;
    RcCheckData* rc = NewRcCheckData();
    ~RcFixture() { FreeRcCheckData(rc); }

    // Member 1 of a 6 m beam with `points` regular points (0.4 m apart) and
    // the M-max / M-min rows at the i end, which the check order drops.
    explicit RcFixture(int points) {
        b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2.5e7).Section(1, 0.25, 0.005).Member(1, 1, 2);
        b.Support(1, 1, kSupportFixed).NodalLoad(1, 2, 0, -10);
        b.Combination(1, 1.0, {{1, 1.0}});
        SetFixedText(b.model().combinations[1].name, kNameSize, "組合せ1"_sj.c_str());
        PrepareMemberLoads(b.model());
        rc->memberCount = 1;
        rc->checkCaseCount = 1;
        rc->checkCases[1] = RcCheckCase{1, 1, {}};
        RcMemberChecks& m = rc->memberChecks[1];
        m.memberNo = 1;
        SetRcText(m.name, kRcNameSize, "梁"_sj);
        m.length = 6;
        m.pointCount = points + 2;
        for (int k = 1; k <= points + 2; ++k) {
            RcPointCheck& p = m.points[k];
            SetRcText(p.name, kRcPointNameSize, FormatName(k));
            p.set1 = RcDepths{600, 60, 70};
            p.set2 = RcDepths{600, 60, 70};
            p.outer = RcBars{19, 4, 0, 0};
            p.inner = RcBars{22, 3, 0, 0};
            p.as1 = 1146.0f;
            p.as2 = 1161.3f;
            p.stirrupD = 13;
            p.stirrupLegs = 2;
            p.stirrupPitch = 200;
            p.aw = 253.4f;
            RcCaseCheck& c = p.cases[1];
            c.bend.x = k <= points ? 0.4f * static_cast<float>(k) : 0.0f;
            c.bend.m = -30.0f;
            c.shear = c.bend;
        }
    }
    static std::string FormatName(int k) { return "P" + std::to_string(k); }
    RcPointCheck& Point(int k) { return rc->memberChecks[1].points[k]; }

    std::string Compose() {
        const int pages = ComposeReport(b.model(), nullptr, rc);
        return Joined(AllBodyLines(pages));
    }
};

int WordCount(const std::string& text, const std::string& word) {
    int n = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        for (const std::string& w : Words(text.substr(start, end - start))) n += w == word;
        start = end + 1;
    }
    return n;
}

// The page text from the RC chapter's heading on.
std::string RcChapter(const std::string& all) {
    const std::size_t at = all.find("応力度の照査"_sj);
    return at == std::string::npos ? std::string() : all.substr(at);
}

// Characters of pool page `page` drawn across a vertical rule: a rule
// whose x lies inside a character's cells (not just at its edge) and whose
// height overlaps the character's. Returns the offending characters.
std::string TextOverRules(int page) {
    struct Rule {
        double x, y1, y2;
    };
    struct Glyph {
        double x, y, w, h;
        std::string text;
    };
    std::vector<Rule> rules;
    std::vector<Glyph> glyphs;
    double cellPx = 18, heightPx = 36, fromX = 0, fromY = 0;
    for (const std::string& rec : DumpPoolPage(page)) {
        const std::vector<std::string> w = Words(rec);
        if (w.size() >= 3 && w[0] == "font") {
            heightPx = std::atof(w[1].c_str());
            cellPx = std::atof(w[2].c_str());
        } else if (w.size() >= 3 && w[0] == "move") {
            fromX = std::atof(w[1].c_str());
            fromY = std::atof(w[2].c_str());
        } else if (w.size() >= 3 && w[0] == "line") {
            const double x = std::atof(w[1].c_str()), y = std::atof(w[2].c_str());
            if (std::fabs(x - fromX) < 0.5)
                rules.push_back({x, std::min(y, fromY), std::max(y, fromY)});
            fromX = x;
            fromY = y;
        } else if (w.size() >= 4 && w[0] == "text") {
            const std::string t = w[3];
            glyphs.push_back({std::atof(w[1].c_str()), std::atof(w[2].c_str()),
                              cellPx * static_cast<double>(t.size()), heightPx, t});
        }
    }
    std::string out;
    for (const Glyph& g : glyphs)
        for (const Rule& r : rules)
            if (r.x > g.x + 2 && r.x < g.x + g.w - 2 && r.y1 < g.y + g.h && r.y2 > g.y) {
                out += g.text;
                break;
            }
    return out;
}

}  // namespace

TEST(ReportRcChapter, CellTextsStayBetweenTheRules) {
    // Ten and more bars a side and moments of four digits give texts of ten
    // and eleven characters in the eight-character point cells.
    RcFixture f(3);
    for (int k = 1; k <= 5; ++k) {
        f.Point(k).outer = RcBars{22, 12.5f, 0, 0};
        f.Point(k).inner = RcBars{25, 10, 0, 0};
    }
    f.Point(1).cases[1].bend.m = 1234.56f;
    f.Point(2).cases[1].bend.m = 12345.67f;
    f.Point(1).cases[1].shear = f.Point(1).cases[1].bend;
    f.Point(2).cases[1].shear = f.Point(2).cases[1].bend;
    const int pages = ComposeReport(f.b.model(), nullptr, f.rc);
    const std::string rc = RcChapter(Joined(AllBodyLines(pages)));
    ASSERT_NE(rc.find("D22×12.50"_sj), std::string::npos);
    ASSERT_NE(rc.find("(+12345.67)"), std::string::npos);
    int checked = 0;
    for (int k = 1; k <= pages; ++k) {
        const std::string page = Joined(BodyPageText(k));
        if (page.find("照査"_sj) == std::string::npos) continue;
        ++checked;
        EXPECT_EQ(TextOverRules(10 + k), "") << "body page " << k;
        TBitmap bmp(1800, 2700);
        PlayPoolPage(bmp, 10 + k, 1800, 2700, 0xFFFFFF);
        bmp.SaveToFile(CaseOutputDir() + "/rc_narrow_cells" + std::to_string(k) + ".png");
    }
    EXPECT_GE(checked, 1);
}

TEST(ReportRcChapter, FifteenPointsMakeThreeTablesOnTheirOwnPages) {
    RcFixture f(15);
    const std::string rc = RcChapter(f.Compose());
    ASSERT_FALSE(rc.empty());
    EXPECT_EQ(CountOccurrences(rc, "・曲げ照査"_sj), 3);
    EXPECT_EQ(CountOccurrences(rc, "・せん断照査"_sj), 3);
    // Every point once in the bending and once in the shear table; the
    // dropped extreme rows never.
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(WordCount(rc, "P" + std::to_string(k)), 2) << k;
    EXPECT_EQ(WordCount(rc, "P16"), 0);
    EXPECT_EQ(WordCount(rc, "P17"), 0);
    // Tables after the first repeat the unlisted heading.
    EXPECT_EQ(CountOccurrences(rc, "\n.1 組合せ1"_sj), 2);
    // The listed heading reaches the contents once.
    const std::string contents = Joined(PoolPageText(1));
    EXPECT_EQ(CountOccurrences(contents, "組合せ1"_sj), 1);
    EXPECT_NE(contents.find("応力度の照査"_sj), std::string::npos);
}

TEST(ReportRcChapter, PositionsFollowTheMemberAndTablesFitThePage) {
    RcFixture f(8);
    const int pages = ComposeReport(f.b.model(), nullptr, f.rc);
    const std::string rc = RcChapter(Joined(AllBodyLines(pages)));
    EXPECT_NE(rc.find("i→0.400"_sj), std::string::npos);
    EXPECT_NE(rc.find("2.800←j"_sj), std::string::npos);
    for (int k = 1; k <= pages; ++k) EXPECT_LE(LowestRecordY(10 + k), 2700.0) << "page " << k;
}

TEST(ReportRcChapter, SwitchesOffLeaveSafetyCellsEmpty) {
    RcFixture f(3);
    const std::string rc = RcChapter(f.Compose());
    ASSERT_FALSE(rc.empty());
    EXPECT_EQ(rc.find("O.K"), std::string::npos);
    EXPECT_EQ(rc.find("N.G"), std::string::npos);
    EXPECT_EQ(rc.find("OK\n"), std::string::npos);
    // Without allowable-stress checks the stress rows are not printed.
    EXPECT_EQ(rc.find("外引張"_sj), std::string::npos);
    EXPECT_EQ(rc.find("内引張"_sj), std::string::npos);
    EXPECT_EQ(rc.find("せん断応力度"_sj), std::string::npos);
    EXPECT_EQ(rc.find("曲げ耐力"_sj), std::string::npos);
    // The section rows are always there.
    EXPECT_NE(rc.find("D19×4.00"_sj), std::string::npos);
    EXPECT_NE(rc.find("D22×3.00"_sj), std::string::npos);
}

// The bar stress printed is the one fs is made of (|σs| / σsa, the larger
// side), the compressed bars' where they govern; the width stands with the
// heights, the required stirrup area with the provided one.
TEST(ReportRcChapter, AllowableChecksShowTheGoverningBarStressAndTheMarks) {
    RcFixture f(4);
    // Point 1: positive moment, inner bars in tension and governing,
    // concrete NG.
    RcCaseCheck& c1 = f.Point(1).cases[1];
    c1.sgCK = 1;
    c1.bend.m = 12.5f;
    c1.sc = 7.25f;
    c1.sca = 8.0f;
    c1.ss1 = 77.7f;
    c1.ss2 = 123.4f;
    c1.ssa = 180.0f;
    c1.fs1 = 0.432f;  // 77.7 / 180
    c1.fs2 = 0.686f;  // 123.4 / 180
    c1.fc = 1.125f;
    c1.ngFc = 1;
    // Point 2: negative moment, outer bars in tension, passing.
    RcCaseCheck& c2 = f.Point(2).cases[1];
    c2.sgCK = 1;
    c2.bend.m = -40.0f;
    c2.ss1 = 150.5f;
    c2.ss2 = 66.6f;
    c2.ssa = 180.0f;
    c2.fc = 0.5f;
    c2.fs1 = 0.836f;  // 150.5 / 180
    c2.fs2 = 0.370f;  // 66.6 / 180
    c2.fs = 0.836f;
    // Point 4: positive moment, but the compressed outer bars carry more
    // than the inner bars in tension: fs = 30.8 / 160.
    RcCaseCheck& c4 = f.Point(4).cases[1];
    c4.sgCK = 1;
    c4.bend.m = 5.0f;
    c4.ss1 = -30.8f;
    c4.ss2 = 21.3f;
    c4.ssa = 160.0f;
    c4.fs1 = 0.193f;
    c4.fs2 = 0.133f;
    c4.fs = 0.193f;
    f.Point(4).b = 750;
    c4.tuCK = 1;
    c4.awa = 294.7f;
    // Point 3: shear stress check failing, no stirrups.
    RcCaseCheck& c3 = f.Point(3).cases[1];
    c3.tuCK = 1;
    c3.ft = 1.5f;
    c3.fv = 0.2f;
    c3.ngFt = 1;
    f.Point(3).aw = 0;
    const std::string rc = RcChapter(f.Compose());
    ASSERT_FALSE(rc.empty());
    EXPECT_NE(rc.find("(+12.50)"), std::string::npos);
    EXPECT_NE(rc.find("-40.00"), std::string::npos);
    EXPECT_NE(rc.find("*N.G*"), std::string::npos);
    EXPECT_NE(rc.find("O.K"), std::string::npos);
    EXPECT_NE(rc.find("*NG*"), std::string::npos);
    // The governing side only: inner 123.4 for point 1, outer 150.5 for
    // point 2, the compressed outer -30.8 for point 4.
    EXPECT_NE(rc.find("123.4"), std::string::npos);
    EXPECT_NE(rc.find("150.5"), std::string::npos);
    EXPECT_NE(rc.find("-30.8"), std::string::npos);
    EXPECT_EQ(rc.find("77.7"), std::string::npos);
    EXPECT_EQ(rc.find("66.6"), std::string::npos);
    EXPECT_EQ(rc.find("21.3"), std::string::npos);
    EXPECT_EQ(WordCount(rc, "750"), 2);  // the width, in both tables
    EXPECT_NE(rc.find("部材幅"_sj), std::string::npos);
    EXPECT_NE(rc.find("294.7"), std::string::npos);
    // Shear safety is the larger of ft and fv.
    EXPECT_NE(rc.find("1.500"), std::string::npos);
    // No stirrups: dashes instead of diameter, pitch and area.
    EXPECT_NE(rc.find("－"_sj), std::string::npos);
    EXPECT_NE(rc.find("D13"), std::string::npos);
}

// RC data read from a file, not calculated since, have no forces: the
// chapter says so instead of printing tables of zeros marked O.K.
TEST(ReportRcChapter, WithoutForcesTheChapterAsksForACalculation) {
    RcFixture f(3);
    f.Point(1).cases[1].sgCK = 1;
    f.rc->forcesMissing = true;
    const std::string rc = RcChapter(f.Compose());
    EXPECT_NE(rc.find("断面力が有りません。計算実行後に印刷してください。"_sj), std::string::npos);
    EXPECT_EQ(rc.find("O.K"), std::string::npos);
    EXPECT_EQ(rc.find("D19×4.00"_sj), std::string::npos);
}

TEST(ReportRcChapter, BothKindsOfChecksShowAllRowsAndRender) {
    RcFixture f(8);
    RcCaseCheck& c1 = f.Point(1).cases[1];
    c1.sgCK = c1.muCK = 1;
    c1.fck = 24;
    c1.fyk = 345;
    c1.mud = 321.5f;
    RcCaseCheck& c2 = f.Point(2).cases[1];
    c2.tuCK = c2.vyCK = 1;
    c2.vyd = 456.78f;
    // fyd not positive: no strength cells for point 3.
    RcCaseCheck& c3 = f.Point(3).cases[1];
    c3.muCK = 1;
    c3.fck = 30;
    c3.mud = 999.9f;
    const int pages = ComposeReport(f.b.model(), nullptr, f.rc);
    const std::string rc = RcChapter(Joined(AllBodyLines(pages)));
    EXPECT_NE(rc.find("321.50"), std::string::npos);
    EXPECT_NE(rc.find("456.78"), std::string::npos);
    EXPECT_EQ(rc.find("999.9"), std::string::npos);
    EXPECT_NE(rc.find("曲げ耐力"_sj), std::string::npos);
    EXPECT_NE(rc.find("せん断応力度"_sj), std::string::npos);
    // Moments in kN･m, written as every other table writes them.
    EXPECT_GE(CountOccurrences(rc, "(kN･m)"_sj), 3);  // the two moments and the capacity
    EXPECT_EQ(rc.find("kN-m"), std::string::npos);
    TBitmap bmp(900, 1350);
    for (int k = pages - 2; k <= pages; ++k) {
        EXPECT_LE(LowestRecordY(10 + k), 2700.0) << k;
        PlayPoolPage(bmp, 10 + k, 1800, 2700, 0xFFFFFF);
        EXPECT_TRUE(bmp.SaveToFile(CaseOutputDir() + "/rc_page" + std::to_string(k) + ".png"));
    }
}

// An ultimate-only check (type 3) is rated by M / Mud: the bending table
// prints that ratio, and the ratios of the allowable-stress check, which did
// not run, stay empty instead of reading 0.000 beside an *N.G*.
TEST(ReportRcChapter, UltimateOnlyPointsShowTheirBendingCapacityRatio) {
    RcFixture f(2);
    RcCaseCheck& c1 = f.Point(1).cases[1];
    c1.muCK = c1.vyCK = 1;
    c1.fck = 40;
    c1.fyk = 345;
    c1.mud = 24.5f;
    c1.fm = 1.224f;  // |M| 30 / Mud 24.5
    c1.ngFm = 1;
    RcCaseCheck& c2 = f.Point(2).cases[1];
    c2.sgCK = 1;
    c2.fc = 0.25f;
    c2.fs = 0.375f;
    const std::string rc = RcChapter(f.Compose());
    ASSERT_FALSE(rc.empty());
    std::string fmLine, fcLine, fsLine;
    std::size_t start = 0;
    while (start < rc.size()) {
        std::size_t end = rc.find('\n', start);
        if (end == std::string::npos) end = rc.size();
        const std::string line = rc.substr(start, end - start);
        if (line.find("安全性 fm"_sj) != std::string::npos) fmLine = line;
        if (line.find("安全性 fc"_sj) != std::string::npos) fcLine = line;
        if (line.find("安全性 fs"_sj) != std::string::npos) fsLine = line;
        start = end + 1;
    }
    const std::vector<std::string> fm = Words(fmLine), fc = Words(fcLine), fs = Words(fsLine);
    ASSERT_FALSE(fm.empty()) << "no fm row";
    EXPECT_EQ(fm.back(), "1.224");
    // Point 1 ran no allowable-stress check: its fc and fs cells are empty,
    // and point 2 (allowable stresses only) has no fm.
    ASSERT_FALSE(fc.empty());
    ASSERT_FALSE(fs.empty());
    EXPECT_EQ(fc.back(), "0.250");
    EXPECT_EQ(fs.back(), "0.375");
    EXPECT_EQ(CountOccurrences(fcLine + fsLine + fmLine, "0.000"), 0);
    EXPECT_NE(rc.find("*N.G*"), std::string::npos);
}

TEST(ReportRcChapter, ReportLongerThanThePoolIsCutWithANote) {
    // 520 RC members of one point with both kinds of checks take two pages
    // apiece: more than the 1013 body pages the pool holds.
    RcFixture f(1);
    f.Point(1).cases[1].sgCK = f.Point(1).cases[1].muCK = 1;
    f.rc->memberCount = 520;
    for (int j = 2; j <= 520; ++j) {
        RcMemberChecks& m = f.rc->memberChecks[j];
        m.memberNo = 1;
        m.length = 6;
        m.pointCount = 1;
        m.points[1] = f.rc->memberChecks[1].points[1];
    }
    const int pages = ComposeReport(f.b.model(), nullptr, f.rc);
    EXPECT_EQ(pages, kPoolPageCount - 1 - 10);
    EXPECT_TRUE(PoolOverflowed());
    EXPECT_FALSE(PreviewNoteText[0].empty());
    // A report that fits leaves the note empty again.
    RcFixture small(1);
    ComposeReport(small.b.model(), nullptr, small.rc);
    EXPECT_TRUE(PreviewNoteText[0].empty());
}

// Names in the RC chapter (the member's, its points', the combination's)
// print as typed, never as markup, and a name longer than its field is cut
// to the field at a character boundary, so the member length keeps its
// place after it. (Without results the RC chapter is the third.)
TEST(ReportRcChapter, NamesPrintAsTypedWithinTheirFields) {
    const std::string tricky = "梁【端部】~$#%.%"_sj;
    const std::string longName = "A" + RepeatText("鋼"_sj, 21);  // 43 bytes
    struct Case {
        std::string member, point;
        std::string memberShown, pointShown;  // as printed
    } cases[] = {
        {tricky, "P【1】#$"_sj, tricky, "P【1】#$"_sj},
        // A face's name of six full-width characters prints whole (it
        // lost its last one before).
        {"梁"_sj, "左端フェイス"_sj, "梁"_sj, "左端フェイス"_sj},
        // 「1. 」 and the name share the 24 cells of the member field, two
        // kept blank; a point name has 12 cells.
        {longName, "Q" + RepeatText("柱"_sj, 10), "A" + RepeatText("鋼"_sj, 9),
         "Q" + RepeatText("柱"_sj, 5)},
    };
    for (const Case& c : cases) {
        RcFixture f(3);
        SetFixedText(f.b.model().combinations[1].name, kNameSize, "長期【常時】#1"_sj.c_str());
        SetRcText(f.rc->memberChecks[1].name, kRcNameSize, c.member);
        SetRcText(f.Point(1).name, kRcPointNameSize, c.point);
        const int pages = ComposeReport(f.b.model(), nullptr, f.rc);
        const std::vector<std::string> lines = AllBodyLines(pages);
        const auto member = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            const std::vector<std::string> w = Words(l);
            return w.size() >= 2 && w[0] == "部材"_sj && w[1] == ":";
        });
        ASSERT_NE(member, lines.end()) << Cp932ToUtf8(c.member);
        EXPECT_EQ(Words(*member), (std::vector<std::string>{"部材"_sj, ":", "1.", c.memberShown,
                                                            "部材長"_sj, "6.000", "(m)"}))
            << Cp932ToUtf8(*member);
        EXPECT_NE(member->find("1. " + c.memberShown), std::string::npos) << Cp932ToUtf8(*member);
        const std::string rc = RcChapter(Joined(lines));
        EXPECT_EQ(WordCount(rc, c.pointShown), 2) << Cp932ToUtf8(c.point);  // bending and shear
        EXPECT_NE(rc.find("3.1 長期【常時】#1"_sj), std::string::npos);
        EXPECT_NE(Joined(PoolPageText(1)).find("3.1  長期【常時】#1"_sj), std::string::npos);
    }
}
