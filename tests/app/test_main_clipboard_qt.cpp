// The clipboard exports of the main window: the result lines as
// spreadsheet cells, and the member forces per combination, checked on a
// simple beam whose forces are known in closed form.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/result_clipboard.h"
#include "main_window_fixture.h"
#include "model/frame_results.h"

namespace {

// 6 m simple beam, pin at node 1, roller at node 2, 10 kN/m downwards on
// the whole span, one combination of that case, a point named 中央 at
// mid-span. Hand results: reactions 30 kN up, M = qL²/8 = 45 kN·m at
// mid-span, S = ±qL/2 = ±30 kN at the ends.
const std::string& Beam() {
    static const std::string text =
        std::string() + "FRAME     FRAME-03\r\n" + "TITLE     単純梁\r\n"_sj +
        "CONTROL1   格点 部材 材質 断面 バＣ バネ 支Ｃ 支点\r\n"_sj +
        "              2    1    1    1    0    0    1    0\r\n" +
        "CONTROL2   荷重 組合 抽出 二重 剛Ｓ 剛Ｂ\r\n"_sj +
        "              1    1    0    0    0    0\r\n" +
        "CONTROL3   リナ Mmax 着点 割増 プレ\r\n"_sj + "              0    0    0    0    0\r\n" +
        "POINT         2\r\n" + "         1    0.0000    0.0000\r\n" +
        "         2    6.0000    0.0000\r\n" + "MATERIAL      1\r\n" +
        "         1   2.50000    7   1.00000   -5\r\n" + "SECTION       1\r\n" +
        "         1   2.80000   -1   1.14330   -2          梁\r\n"_sj + "MEMBER        1\r\n" +
        "         1    1    2    1    1    0    0         0.000     0.000 梁\r\n"_sj +
        "SUPT-CASE     1    2                    支点ケース1\r\n"_sj +
        "         1  -1.00  0  -1.00  0   0.00  0   0.00  0   0.00  0   0.00  0    1\r\n" +
        "         2   0.00  0  -1.00  0   0.00  0   0.00  0   0.00  0   0.00  0    2\r\n" +
        "VIEW-2        1\r\n" + "         1    1\r\n" + "     3.000\r\n" +
        "LOAD-CASE     1    1    0    1          等分布\r\n"_sj +
        "        14    1    0   -10.000   -10.000     0.000     0.000\r\n" +
        "KUMI-CASE     1    1    1.0000          組合せ1\r\n"_sj +
        "              1         1.0000\r\n" + "END\r\n" + "V2-NAME       1\r\n" +
        "   1    1 中央                \r\n"_sj + "END\r\n";
    return text;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
        if (c == sep) {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

class Clipboard : public MainWindowTest {
  protected:
    TFmMain& CalculatedBeam() {
        const fs::path file = dir / "beam.$O1";
        {
            std::ofstream out(file, std::ios::binary);
            out << Beam();
        }
        TFmMain& w = Open(file.string());
        ClickButton(U("自動保存"_sj));
        ClickButton(U("計算実行"_sj));
        EXPECT_EQ(ResultData->memberCount, 1) << (messages.empty() ? "" : messages.back());
        return w;
    }
};

}  // namespace

TEST(ExcelCells, BlankRunsBecomeOneTab) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"    1  2.5000000e+01   -3.0E+00", "1\t2.5000000e+01\t-3.0E+00"},
        {"CASE    1    2", "CASE\t1\t2"},
        {"word", "word"},
        {"", ""},
        {"  a \t  ", "a"},
        // Full-width blanks count as blanks; a double-byte character whose
        // second byte is not a blank stays whole.
        {"荷重　　ケース 1"_sj, "荷重\tケース\t1"_sj},
    };
    for (const Case& c : cases) EXPECT_EQ(ExcelCells(c.in), c.out) << Cp932ToUtf8(c.in);
}

TEST_F(Clipboard, ExcelCopyWithoutResultsOnlyTellsSo) {
    Open(CopyExample("portal.$O1"));
    ClipboardSetText("kept");
    ChooseFileMenu(U("結果数値のエクセルコピー"_sj));
    EXPECT_EQ(ClipboardText(), "kept");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("計算結果がありません。"_sj));
}

TEST_F(Clipboard, ExcelCopyGivesCellsWithTheReactionsOfTheBeam) {
    CalculatedBeam();
    messages.clear();
    ChooseFileMenu(U("結果数値のエクセルコピー"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("エクセル画面で「貼り付け」操作を行って下さい。"_sj));
    const std::vector<std::string> lines = Split(Cp932ToUtf8(ClipboardText()), '\n');
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0], U("Vextor\t計算結果\r"_sj));
    int reactions = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (i + 1 < lines.size()) {
            ASSERT_TRUE(!l.empty() && l.back() == '\r') << i;
        }
        EXPECT_EQ(l.find("  "), std::string::npos) << l;
        EXPECT_EQ(l.find("\t\t"), std::string::npos) << l;
        // Reaction rows: node, Rx, Ry, Rm; both supports carry half the load.
        std::vector<std::string> cells = Split(l.substr(0, l.size() - (l.empty() ? 0 : 1)), '\t');
        if (cells.size() == 4 && (cells[0] == "1" || cells[0] == "2") &&
            cells[1].find('e') != std::string::npos &&
            std::fabs(std::atof(cells[2].c_str()) - 30.0) < 1e-3) {
            EXPECT_NEAR(std::atof(cells[1].c_str()), 0.0, 1e-6);
            ++reactions;
        }
    }
    // Both nodes, in the load case and in the combination.
    EXPECT_EQ(reactions, 4);
}

TEST_F(Clipboard, MemberForcesOfTheBeamPerCombination) {
    CalculatedBeam();
    const std::string text = Cp932ToUtf8(MemberForcesText(*ResultData, *FrameData));
    const std::vector<std::string> lines = Split(text, '\n');
    ASSERT_GE(lines.size(), 8u) << text;
    EXPECT_EQ(lines[0], U("組合せNo\t1\t\t組合せ1"_sj));
    EXPECT_EQ(lines[1], U("部材番号\t1\t梁\t\t部材長\t6.000"_sj));
    const std::vector<std::string> names = Split(lines[2], '\t');
    const std::vector<std::string> x = Split(lines[3], '\t');
    const std::vector<std::string> m = Split(lines[4], '\t');
    const std::vector<std::string> n = Split(lines[5], '\t');
    const std::vector<std::string> s = Split(lines[6], '\t');
    EXPECT_EQ(x[0], "X");
    EXPECT_EQ(m[0], "M");
    EXPECT_EQ(n[0], "N");
    EXPECT_EQ(s[0], "S");
    ASSERT_GE(names.size(), 3u);
    ASSERT_EQ(x.size(), names.size());
    ASSERT_EQ(m.size(), names.size());
    ASSERT_EQ(s.size(), names.size());
    // A beam pointing right is listed from the i end.
    EXPECT_EQ(x[1], "0.000");
    EXPECT_EQ(x.back(), "6.000");
    bool mid = false;
    for (std::size_t k = 1; k < names.size(); ++k) {
        const double xv = std::atof(x[k].c_str());
        // M = q x (L - x) / 2 and S = q (L / 2 - x) in magnitude, to the
        // printed three decimals.
        EXPECT_NEAR(std::fabs(std::atof(m[k].c_str())), 10.0 * xv * (6.0 - xv) / 2.0, 0.0011) << k;
        EXPECT_NEAR(std::fabs(std::atof(s[k].c_str())), std::fabs(10.0 * (3.0 - xv)), 0.0011) << k;
        EXPECT_NEAR(std::atof(n[k].c_str()), 0.0, 0.0011) << k;
        if (names[k] == U("中央"_sj)) {
            mid = true;
            EXPECT_EQ(x[k], "3.000");
            EXPECT_EQ(std::fabs(std::atof(m[k].c_str())), 45.0);
        }
    }
    EXPECT_TRUE(mid) << lines[2];
    EXPECT_EQ(lines[7], "");
}
