// The text layer on the records it leaves: font sizes, the cell layout,
// rotation, unit exponents, the markup of full-width letters, the nine
// anchors and suppressed text. Font-independent: only record positions.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/sjis_literal.h"
#include "pool_test_util.h"

namespace {

// The text records since `mark` as "x y char" (without the word "text").
std::vector<std::string> TextsSince(std::size_t mark) {
    std::vector<std::string> out;
    for (const std::string& r : RecordsSince(mark))
        if (r.rfind("text ", 0) == 0) out.push_back(r.substr(5));
    return out;
}

// Text records since `mark`, each prefixed with the device font height in
// force ("36:E").
std::vector<std::string> SizedCharsSince(std::size_t mark) {
    std::vector<std::string> out;
    std::string height = std::to_string(CurrentFont.heightPx & ~1);
    for (const std::string& r : RecordsSince(mark)) {
        if (r.rfind("font ", 0) == 0) height = r.substr(5, r.find(' ', 5) - 5);
        if (r.rfind("text ", 0) == 0) out.push_back(height + ":" + r.substr(r.rfind(' ') + 1));
    }
    return out;
}

}  // namespace

TEST(TextFonts, SizesInMillimetresAndPixels) {
    StartRecording(0);  // 10 px/mm
    SetFontMm(3.6, 0, 0, 0);
    EXPECT_EQ(CurrentFont.heightPx, 36);
    EXPECT_EQ(CurrentFont.widthPx, 18);
    EXPECT_DOUBLE_EQ(CurrentFont.width, 1.8);
    EXPECT_EQ(Records({"font"}).back(), "font 36 18 0 0");
    SetFontMm(0.3, 0, 0, 0);
    EXPECT_EQ(CurrentFont.heightPx, 6);
    EXPECT_EQ(CurrentFont.widthPx, 4);
    SetFontMm(-20, 0, -90, 1);  // pixels, and a negative angle
    EXPECT_NEAR(CurrentFont.height, 2.01, 1e-12);
    EXPECT_DOUBLE_EQ(CurrentFont.angle, 270);
    EXPECT_EQ(CurrentFont.angleTenths, 2700);
    // Odd pixel sizes are kept in the state but the device gets even ones.
    SetFontPx(37, 19, 0, 0x11);
    EXPECT_EQ(CurrentFont.heightPx, 37);
    EXPECT_EQ(Records({"font"}).back(), "font 36 18 0 17");
    // The state comes back whole.
    SetFontMm(5, 2, 10, 3);
    const FontState saved = GetFontState();
    SetFontMm(1, 1, 0, 0);
    SetFontState(saved);
    EXPECT_DOUBLE_EQ(CurrentFont.height, 5);
    EXPECT_DOUBLE_EQ(CurrentFont.width, 2);
    EXPECT_EQ(CurrentFont.style, 3);
    EXPECT_EQ(CurrentFont.angleTenths, 100);
}

TEST(TextCells, OneCellPerByte) {
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);  // 18 px cells
    std::size_t mark = RecordCount();
    Gmm_Text(0, 0, 0, 0, "ab$cd");
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"0 0 a", "18 0 b", "54 0 c", "72 0 d"}));

    mark = RecordCount();
    const double end = Gmm_Text(0, 10, 0, 0, "漢a"_sj + "\x82");  // a lone lead byte at the end
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"0 100 " + "漢"_sj, "36 100 a"}));
    EXPECT_DOUBLE_EQ(end, 4 * 18.0);

    // Rules are drawn twice, a quarter cell to each side, so they join.
    mark = RecordCount();
    Gmm_Text(0, 20, 0, 0, "──"_sj);
    const std::string r = "─"_sj;
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"-4 200 " + r, "5 200 " + r,
                                                          "32 200 " + r, "41 200 " + r}));
    mark = RecordCount();
    Gmm_Text(0, 30, 0, 0, "│"_sj);
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"0 294 " + "│"_sj, "0 306 " + "│"_sj}));

    // Off screen the points become odd pixels.
    StartRecording(2);
    SetFontMm(3.6, 1.8, 0, 0);
    mark = RecordCount();
    Gmm_Text(0, 0, 0, 0, "ab");
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"1 1 a", "19 1 b"}));
}

TEST(TextCells, TurnedTextStepsAlongItsAngle) {
    StartRecording(0);
    SetFontMm(3.6, 1.8, 90, 0);
    std::size_t mark = RecordCount();
    Gmm_Text(10, 50, 0, 0, "ab");
    // 90 degrees counter-clockwise: each cell 18 px higher on the screen.
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"100 500 a", "100 482 b"}));
    // Offsets turn with the text: dy (down the text) becomes +x.
    mark = RecordCount();
    Gmm_Text(10, 50, 0, 1, "a");
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"110 500 a"}));
}

TEST(TextExponents, UnitsAndPowersOfTen) {
    struct Case {
        std::string text;
        std::vector<std::string> chars;
    };
    const Case cases[] = {
        {"kN/m2", {"36:k", "36:N", "36:/", "36:m", "26:2"}},
        {"$~5", {"36:1", "36:0", "26:-", "26:5"}},
        {"1.5×$^3"_sj, {"36:1", "36:.", "36:5", "36:" + "×"_sj, "36:1", "36:0", "26:3"}},
        {"E=2.1×$~5"_sj,
         {"36:E", "36:=", "36:2", "36:.", "36:1", "36:" + "×"_sj, "36:1", "36:0", "26:-", "26:5"}},
        {"I(mm4)", {"36:I", "36:(", "36:m", "36:m", "26:4", "36:)"}},
        {"Iz(m4)", {"36:I", "36:z", "36:(", "36:m", "26:4", "36:)"}},  // raised as m2 is
        {"m2", {"36:m", "36:2"}},                                      // no pattern
    };
    for (const Case& c : cases) {
        StartRecording(0);
        SetFontMm(3.6, 1.8, 0, 0);
        const std::size_t mark = RecordCount();
        G_TextEx(0, 0, 0, 0, c.text);
        EXPECT_EQ(SizedCharsSince(mark), c.chars) << c.text;
        EXPECT_DOUBLE_EQ(CurrentFont.height, 3.6) << "font restored after " << c.text;
    }
    // The exponent takes the next cell, top-aligned with the line.
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);
    const std::size_t mark = RecordCount();
    G_TextEx(0, 0, 0, 0, "/m2x");
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"0 0 /", "18 0 m", "36 0 2", "54 0 x"}));
}

TEST(TextMarkup, FullWidthLettersSubscriptsAndPrimes) {
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);
    std::size_t mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "Ｍmax"_sj);
    // Ｍ at 7/8 width a little right; "max" smaller, lower, from 1.75 cells.
    EXPECT_EQ(TextsSince(mark),
              (std::vector<std::string>{"2 0 " + "Ｍ"_sj, "32 14 m", "47 14 a", "63 14 x"}));
    EXPECT_EQ(SizedCharsSince(mark)[1], "26:m");

    mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "Ｍ'y"_sj);
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"2 0 " + "Ｍ"_sj, "32 0 '", "36 14 y"}));

    // σ is enlarged and "=" ends any subscript.
    mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "σ="_sj);
    EXPECT_EQ(SizedCharsSince(mark), (std::vector<std::string>{"48:" + "σ"_sj, "36:="}));
    EXPECT_EQ(TextsSince(mark).front(), "-4 -13 " + "σ"_sj);

    // Overbar: a full-width minus half a line up (-17.5 px truncates to -17),
    // then Ｎ.
    mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "N~");
    EXPECT_EQ(TextsSince(mark), (std::vector<std::string>{"0 -17 " + "－"_sj, "2 0 " + "Ｎ"_sj}));

    // Large sigma and parentheses, plain text keeps its cells.
    mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "a$Σb"_sj);
    EXPECT_EQ(SizedCharsSince(mark), (std::vector<std::string>{"72:" + "Σ"_sj, "36:a", "36:b"}));
    EXPECT_EQ(TextsSince(mark).back(), "72 0 b");
    EXPECT_DOUBLE_EQ(CurrentFont.height, 3.6);
}

TEST(TextAnchors, NineAnchorsByCellsNotFontMetrics) {
    struct Case {
        void (*draw)(double, double, const std::string&);
        const char* first;  // position of the first character
    };
    // "AB" at (50, 100) mm: 2 cells of 18 px, height 36 px.
    const Case cases[] = {
        {Gmm_TextTL, "500 1005"}, {Gmm_TextTC, "482 1005"}, {Gmm_TextTR, "464 1005"},
        {Gmm_TextML, "500 982"},  {Gmm_TextMC, "482 982"},  {Gmm_TextMR, "464 982"},
        {Gmm_TextBL, "500 964"},  {Gmm_TextBC, "482 964"},  {Gmm_TextBR, "464 964"},
    };
    for (const Case& c : cases) {
        StartRecording(0);
        SetFontMm(3.6, 1.8, 0, 0);
        const std::size_t mark = RecordCount();
        c.draw(50, 100, "AB");
        const std::vector<std::string> texts = TextsSince(mark);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0], std::string(c.first) + " A");
    }
    // World anchors go through the window first.
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);
    G_SetWindow(0, 0, 100, 100, 0, 0, 10, -10);  // 10 mm per unit, y up
    const std::size_t mark = RecordCount();
    G_TextBR(5, -10, "AB");
    EXPECT_EQ(TextsSince(mark).front(), "464 964 A");
}

TEST(TextScaled, WordsKeepTheirColumns) {
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);
    const std::size_t mark = RecordCount();
    Gmm_TextScaled(0, 10, "ab　cd"_sj, 0.5);
    // Smaller font; words start at their byte column less 1/8 cell, raised.
    EXPECT_EQ(SizedCharsSince(mark), (std::vector<std::string>{"26:a", "26:b", "26:c", "26:d"}));
    const std::vector<std::string> texts = TextsSince(mark);
    EXPECT_EQ(texts[0], "-1 91 a");  // -2.25 + 0.5 truncates towards 0
    EXPECT_EQ(texts[2], "70 91 c");
    EXPECT_DOUBLE_EQ(CurrentFont.height, 3.6);
    EXPECT_DOUBLE_EQ(CurrentFont.width, 1.8);
}

TEST(TextSuppression, FiguresKeepLinesButLoseTexts) {
    StartRecording(0);
    TextSuppressed = true;
    Gmm_TextTL(10, 10, "ABC");
    Gmm_Line(0, 0, 10, 10, 0, 0);
    TextSuppressed = false;
    EXPECT_TRUE(Records({"text"}).empty());
    EXPECT_EQ(Records({"line"}).size(), 1u);
}

TEST(TextSearch, NeverMatchesInsideADoubleByteCharacter) {
    // 「ソ」 is 0x83 0x5C: its trail byte is a backslash.
    EXPECT_EQ(SjisFind("ソ"_sj, "\\"), std::string::npos);
    EXPECT_EQ(SjisFind("ソ\\"_sj, "\\"), 2u);
    EXPECT_EQ(SjisFind("a%.b", "%.", 2), std::string::npos);
    EXPECT_EQ(SjisFind("表m2"_sj, "m2"), 2u);
}

// User text as a literal run: every byte in its own cell and drawn as it
// is, the two marks taking a cell each undrawn; nothing inside is markup
// (no overbar, narrowed capital, subscript, exponent, field or hidden "$").
TEST(TextLiteral, UserTextKeepsEveryCharacterInItsCell) {
    const std::string user = std::string(1, kLiteralOpen) + "N~$#Ａ1mm2"_sj + kLiteralClose;
    StartRecording(0);
    SetFontMm(3.6, 1.8, 0, 0);
    const std::size_t mark = RecordCount();
    Gmm_TextMarkup(0, 0, 0, 0, "a" + user + "b");
    EXPECT_EQ(TextsSince(mark),
              (std::vector<std::string>{"0 0 a", "36 0 N", "54 0 ~", "72 0 $", "90 0 #",
                                        "108 0 " + "Ａ"_sj, "144 0 1", "162 0 m", "180 0 m",
                                        "198 0 2", "234 0 b"}));
    for (const std::string& c : SizedCharsSince(mark)) EXPECT_EQ(c.substr(0, 3), "36:") << c;
    EXPECT_EQ(FieldTable.positionalCount, 0);
    // Searches for markup pass over literal runs.
    EXPECT_EQ(SjisFind("x" + std::string(1, kLiteralOpen) + "%." + kLiteralClose + "%.", "%."), 5u);
    EXPECT_EQ(SjisFind(std::string(1, kLiteralOpen) + "【"_sj, "【"_sj), std::string::npos);
}
