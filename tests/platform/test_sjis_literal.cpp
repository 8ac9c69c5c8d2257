// The _sj literal and the conversions at the edges.
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/sjis_literal.h"

namespace {

std::string Hex(const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        out += buf;
    }
    return out;
}

TEST(SjLiteral, GivesCp932Bytes) {
    EXPECT_EQ(Hex("表"_sj), "955C");  // trail byte is a backslash
    EXPECT_EQ(Hex("ｶﾞ"_sj), "B6DE");  // half-width kana are one byte each
    EXPECT_EQ(Hex("A１"_sj), "418250");
    // Microsoft's mapping, not plain Shift_JIS: the full-width tilde and minus.
    EXPECT_EQ(Hex("～－"_sj), "8160817C");
    EXPECT_EQ(Hex("①Ⅰ"_sj), "87408754");  // NEC special characters
    EXPECT_EQ("%d個"_sj.size(), 4u);
}

TEST(SjLiteral, IsOneSharedStringPerLiteral) { EXPECT_EQ(&"計算中"_sj, &"計算中"_sj); }

TEST(Encoding, RoundTripsAndReplacesWhatCannotConvert) {
    const std::string sj = "計算条件ファイル"_sj;
    EXPECT_EQ(Cp932ToUtf8(sj),
              "\xE8\xA8\x88\xE7\xAE\x97\xE6\x9D\xA1\xE4\xBB\xB6"
              "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB");
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(sj)), sj);
    // A lone lead byte at the end becomes '?', not a crash or a lost text.
    EXPECT_EQ(Cp932ToUtf8(std::string("ab\x95")), "ab?");
    // A character CP932 lacks (the euro sign) becomes one '?'.
    EXPECT_EQ(Utf8ToCp932("a\xE2\x82\xAC"
                          "b"),
              "a?b");
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

}  // namespace
