// Text and number helpers on CP932 byte strings. Expected bytes are written
// in hex where the exact code matters, so a wrong table entry cannot hide
// behind the same literal on both sides.
#include <gtest/gtest.h>

#include <locale.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

std::string Hex(const std::string& s) {
    std::string out;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    return out;
}

// ---------------------------------------------------------------- numbers

TEST(TextToDouble, ReadsHalfAndFullWidthNumbers) {
    struct Case {
        std::string text;
        double expected;
    };
    // Kept by hand: the formatter aligns full-width texts differently on
    // every pass.
    // clang-format off
    const std::vector<Case> cases = {
        {"１２．５"_sj, 12.5}, {"－３"_sj, -3.0},
        {"1２"_sj, 1.0},      // starts half-width: read as it stands
        {"１，５"_sj, 1.5},   // full-width comma is a decimal point
        {"　１２"_sj, 12.0},  // full-width space is a blank, not a point
        {"＋５"_sj, 5.0}, {"１２ａ"_sj, 12.0}, {"", 0.0}, {"abc", 0.0},
        {"  -1.5e3x", -1500.0}, {"\t+.5", 0.5}, {"5.", 5.0}, {"1e", 1.0},
        {"1e+", 1.0}, {"-", 0.0}, {"-.e1", 0.0}, {"2.5E-2", 0.025},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.expected) << c.text;
}

TEST(TextToDouble, AcceptsOnlyDecimalSyntax) {
    // NaN would slip through every "<= 0" check of the validation.
    for (const char* t : {"nan", "NAN", "inf", "-infinity", "0x10", "0x1p3"})
        EXPECT_EQ(TextToDouble(t), 0.0) << t;
    EXPECT_EQ(TextToDouble("1e400"), HUGE_VAL);
    EXPECT_EQ(TextToDouble("-1e400"), -HUGE_VAL);
    EXPECT_EQ(TextToDouble("1e-400"), 0.0);
}

TEST(TextToInt, RoundsWithTenthTolerance) {
    struct Case {
        std::string text;
        int decimals;
        int expected;
    };
    const std::vector<Case> cases = {
        {"", 0, 0},           {"0.95", 0, 1},        {"2.95", 0, 3},        {"2.85", 0, 2},
        {"-2.95", 0, -3},     {"-2.85", 0, -2},      {"３"_sj, 0, 3},       {"－１２"_sj, 0, -12},
        {"1.23", 2, 123},   // scaled by 100, not pushed up by 0.1 x 100
        {"1.23", -6, 123},  // -6 mod 8 is 2
        {"7", 8, 7},        // 8 mod 8 is 0
        {"1e20", 0, INT_MAX}, {"-1e20", 0, INT_MIN}, {"1e400", 0, INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextToInt(c.text, c.decimals), c.expected) << c.text << " d=" << c.decimals;
}

TEST(NumZenToHan, MapsOnlyNumberCharacters) {
    EXPECT_EQ(NumZenToHan("０１２３４５６７８９"_sj), "0123456789");
    EXPECT_EQ(NumZenToHan("、。，．"_sj), "....");
    // Every double-byte code up to 0x8144 reads as the point, also the
    // unassigned ones a damaged text may hold ("\x81\x31" is one character).
    EXPECT_EQ(NumZenToHan("\x81\x31"
                          "5"),
              ".5");
    EXPECT_EQ(TextToDouble("\x81\x31"
                           "5"),
              0.5);
    EXPECT_EQ(NumZenToHan("　"_sj), " ");
    EXPECT_EQ(NumZenToHan("－＋"_sj), "-+");
    // Other symbols between them stay as they are.
    EXPECT_EQ(Hex(NumZenToHan("・：＝"_sj)), "81 45 81 46 81 81 ");
    EXPECT_EQ(NumZenToHan("ａ漢x"_sj), "ａ漢x"_sj);
    // A lone lead byte at the end is one character of its own.
    EXPECT_EQ(Hex(NumZenToHan("１"_sj + "\x82")), "31 82 ");
}

// ------------------------------------------------------------- half-width

TEST(HalfWidthChar, ConvertsOneCharacter) {
    struct Case {
        unsigned char lead, next;
        const char* expectedHex;
        int consumed;
    };
    const std::vector<Case> cases = {
        {'a', 'b', "61 ", 1},      {0xB1, 0x41, "B1 ", 1},  // half-width kana is one byte
        {0x81, 0x40, "20 ", 2},                             // full-width space
        {0x81, 0x8D, "22 ", 2},                             // first symbol: double prime
        {0x81, 0x8B, "DF ", 2},                             // degree sign
        {0x81, 0x45, "A5 ", 2},                             // middle dot
        {0x81, 0x7C, "2D ", 2},                             // full-width minus
        {0x81, 0x97, "40 ", 2},                             // last symbol: at sign
        {0x81, 0xA0, "81 A0 ", 2},                          // symbol without a mapping
        {0x82, 0x4F, "30 ", 2},                             // digit zero
        {0x82, 0x60, "41 ", 2},                             // A
        {0x82, 0x79, "5A ", 2},                             // Z
        {0x82, 0x81, "61 ", 2},                             // a
        {0x82, 0x9A, "7A ", 2},                             // z
        {0x82, 0x9F, "A7 ", 2},                             // small a (hiragana)
        {0x82, 0xF1, "DD ", 2},                             // n (hiragana)
        {0x82, 0xAA, "B6 DE ", 2},                          // ga (hiragana)
        {0x82, 0xDB, "CE DF ", 2},                          // po (hiragana)
        {0x83, 0x40, "A7 ", 2},                             // small a (katakana)
        {0x83, 0x93, "DD ", 2},                             // n (katakana)
        {0x83, 0x4B, "B6 DE ", 2},                          // ga (katakana)
        {0x83, 0x94, "83 94 ", 2},                          // vu: outside the kana range
        {0x83, 0x95, "83 95 ", 2},                          // small ka: outside the kana range
        {0x8A, 0xBF, "8A BF ", 2},                          // kanji
        {0x82, 0x00, "82 ", 1},                             // lone lead byte
    };
    for (const Case& c : cases) {
        int consumed = -1;
        const std::string out = HalfWidthChar(c.lead, c.next, &consumed);
        EXPECT_EQ(Hex(out), c.expectedHex) << std::hex << int(c.lead) << " " << int(c.next);
        EXPECT_EQ(consumed, c.consumed) << std::hex << int(c.lead) << " " << int(c.next);
    }
}

TEST(ZenToHan, ConvertsWholeTexts) {
    const std::string gakkou = ZenToHan("ガッコウ"_sj);
    EXPECT_EQ(gakkou.size(), 5u);
    EXPECT_EQ(gakkou, "ｶﾞｯｺｳ"_sj);
    EXPECT_EQ(ZenToHan("Ａｂ　１（漢）"_sj), "Ab 1(漢)"_sj);
    EXPECT_EQ(ZenToHan("ぱぴぷぺぽ"_sj), "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"_sj);
    EXPECT_EQ(ZenToHan("をんヲン"_sj), "ｦﾝｦﾝ"_sj);
    // Ends in a lone lead byte: kept as one byte, nothing read beyond.
    EXPECT_EQ(Hex(ZenToHan(std::string("\x83\x41\x83", 3))), "B1 83 ");
}

// ----------------------------------------------------------------- blanks

TEST(Blanks, SpaceHelpersWalkByCharacter) {
    EXPECT_EQ(ZenSpaceToHan("a　b"_sj), "a  b");
    EXPECT_EQ(RemoveSpaces(" a　b c "_sj), "abc");
    EXPECT_EQ(SqueezeSpaces("  a 　 b　"_sj), " a b ");
    EXPECT_EQ(SqueezeSpaces("a"), "a");
    // Bytes 81 81 40: the full-width equals sign followed by '@'. A byte
    // scan would see a full-width space (81 40) across the two characters.
    const std::string equalsAt = "＝@"_sj;
    EXPECT_EQ(RemoveSpaces(equalsAt), equalsAt);
    EXPECT_EQ(SqueezeSpaces(equalsAt), equalsAt);
    EXPECT_EQ(ZenSpaceToHan(equalsAt), equalsAt);
    // Lone lead byte at the end.
    EXPECT_EQ(Hex(RemoveSpaces(std::string(" \x81", 2))), "81 ");
    EXPECT_EQ(Hex(SqueezeSpaces(std::string("  \x81", 3))), "20 81 ");
}

TEST(Blanks, SpacesAndRepeatAreBounded) {
    EXPECT_EQ(Spaces(3), "   ");
    EXPECT_EQ(Spaces(0), "");
    EXPECT_EQ(Spaces(-5), "");
    EXPECT_EQ(Spaces(2000), std::string(1024, ' '));
    EXPECT_EQ(RepeatText(",", 300), std::string(256, ','));
    EXPECT_EQ(RepeatText("ab", 3), "ababab");
    EXPECT_EQ(RepeatText("ab", 0), "");
    EXPECT_EQ(RepeatText("ab", -1), "");
}

// ---------------------------------------------------------------- fitting

TEST(FitTextLength, TriesEachStepThenCuts) {
    struct Case {
        std::string text;
        int len;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"abc", 3, "abc"},
        {"a  b", 3, "a b"},             // squeeze
        {"a b c", 3, "abc"},            // remove blanks
        {"ＡＢＣ"_sj, 3, "ABC"},        // half-width
        {"漢字漢字"_sj, 5, "漢字"_sj},  // cut before a split character
        {"ab漢"_sj, 3, "ab"},
        {"abcdef", 4, "abcd"},
        {"x", 0, ""},
        {"x", -3, ""},
        {std::string("ab\x82", 3), 3, std::string("ab\x82", 3)},
        {std::string("abc\x82", 4), 3, "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Hex(FitTextLength(c.text, c.len)), Hex(c.expected)) << c.text << " len " << c.len;
}

TEST(CutTextLength, CutsBeforeTheFirstCharacterThatDoesNotFit) {
    const std::pair<std::string, std::string> cases[] = {
        {"アイウエオ"_sj, "アイウ"_sj},  // 6 of 7 bytes: kana stay full-width
        {"ab  アイ"_sj, "ab  ア"_sj},    // blanks stay
        {"abcdefg", "abcdefg"},         {"abcdefgh", "abcdefg"}, {"abcdef漢"_sj, "abcdef"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Hex(CutTextLength(text, 7)), Hex(expected));
}

// ------------------------------------------------------------ comma split

TEST(SplitCommaInPlace, SplitsIntoBoundedFields) {
    struct Case {
        std::string buffer;
        int maxFields;
        std::vector<std::string> fields;
    };
    const std::vector<Case> cases = {
        {"a,b,c", 2, {"a", "b,c"}},
        {"a,b,c", 5, {"a", "b", "c"}},
        {"", 5, {""}},
        {"a,,b", 5, {"a", "", "b"}},
        {"a,b,", 5, {"a", "b", ""}},
        {"abc", 1, {"abc"}},
        {"上,$下"_sj, 64, {"上"_sj, "$下"_sj}},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.buffer.begin(), c.buffer.end());
        buffer.push_back('\0');
        std::vector<char*> fields(static_cast<std::size_t>(c.maxFields), nullptr);
        const int n = SplitCommaInPlace(fields.data(), c.maxFields, buffer.data());
        ASSERT_EQ(n, static_cast<int>(c.fields.size())) << c.buffer;
        for (int k = 0; k < n; ++k) EXPECT_EQ(std::string(fields[k]), c.fields[k]) << c.buffer;
    }
    char text[] = "a,b";
    char* none[1];
    EXPECT_EQ(SplitCommaInPlace(none, 0, text), 0);
    EXPECT_EQ(SplitCommaInPlace(none, 1, nullptr), 0);
}

TEST(StringListGet, OutOfRangeGivesEmpty) {
    TStringList list;
    list.Add("first");
    list.Add("second");
    EXPECT_EQ(StringListGet(list, 0), "first");
    EXPECT_EQ(StringListGet(list, 1), "second");
    EXPECT_EQ(StringListGet(list, 2), "");
    EXPECT_EQ(StringListGet(list, -1), "");
}

// ------------------------------------------------------------- formatting

TEST(FormatStr, FormatsLikePrintf) {
    EXPECT_EQ(FormatStr("%d-%s", 42, "x"), "42-x");
    EXPECT_EQ(FormatStr("%8.3f|%-4d|%5s", -1.5, 7, "ab"), "  -1.500|7   |   ab");
    EXPECT_EQ(FormatStr("%12.4e", 12345.678), "  1.2346e+04");
    EXPECT_EQ(FormatStr("No.%d "_sj.c_str(), 3), "No.3 "_sj);
    EXPECT_EQ(FormatStr("%s", ""), "");
}

// A long message keeps its end (a file name and its cause come last).
TEST(FormatStr, LongResultsAreWhole) {
    EXPECT_EQ(FormatStr("%s", std::string(2000, 'a').c_str()), std::string(2000, 'a'));
    std::string kanji;
    for (int i = 0; i < 600; ++i) kanji += "漢"_sj;
    EXPECT_EQ(FormatStr("a%s%d", kanji.c_str(), 7), "a" + kanji + "7");
}

// ----------------------------------------------------------------- locale

// The GUI toolkit sets the user's locale at start; numbers must still use a
// decimal point.
TEST(Locale, NumbersIgnoreADecimalCommaLocale) {
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8",  "de_DE",      "fr_FR.UTF-8",
                                "fr_FR.utf8",  "ru_RU.UTF-8", "nl_NL.UTF-8"};
    const std::string saved = setlocale(LC_ALL, nullptr);
    const char* used = nullptr;
    for (const char* name : candidates) {
        if (setlocale(LC_ALL, name) != nullptr) {
            used = name;
            break;
        }
    }
    if (used == nullptr) GTEST_SKIP() << "no decimal-comma locale installed";
    const bool commaLocale = std::string(localeconv()->decimal_point) == ",";
    const double read = TextToDouble("12.5");
    const std::string written = FormatStr("%.1f", 1.5);
    const double readFull = TextToDouble("１２．５"_sj);
    setlocale(LC_ALL, saved.c_str());
    ASSERT_TRUE(commaLocale) << used;
    EXPECT_EQ(read, 12.5);
    EXPECT_EQ(readFull, 12.5);
    EXPECT_EQ(written, "1.5");
}

}  // namespace

TEST(FormatTextByTag, WidthAndDecimalsFromTheTag) {
    struct Case {
        const char* text;
        int tag;
        const char* expected;
    } cases[] = {
        {"3.14159", 83, "   3.142"},
        {"3.14159", 52, " 3.14"},
        {"12.7", 50, "   12"},
        {"-1", 62, " -1.00"},
        {"1", 40, "   1"},
        {" 12 ", 40, "  12"},
        {"abc", 40, "   0"},
        {"12345", 40, "12345"},  // wider than the field: nothing is
                                 // cut
        {"abc 1", 0, "abc 1"},
        {"2.5", 3, "2.5"},  // no width: the text as it is
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTextByTag(c.text, c.tag), c.expected) << c.text << " " << c.tag;
}
