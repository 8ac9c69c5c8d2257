// The _sj literal and the conversions at the edges.
#include <gtest/gtest.h>

#include <random>

#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

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

// A name from the system comes back as the same bytes, whatever they are;
// what CP932 holds exactly is CP932, the rest stands for its bytes alone.
TEST(Encoding, FileNamesFromTheSystemKeepTheirBytes) {
    const struct {
        const char* os;     // bytes on the disk
        const char* cp932;  // what the program holds ("" = not checked)
    } rows[] = {
        {"plain.$O1", "plain.$O1"},
        {"\xE6\xA2\x81.$O1", "\x97\xC0.$O1"},            // 梁: CP932 itself
        {"caf\xC3\xA9.$O1", "caf\xF1\x47\xF0\xEA.$O1"},  // é: its two bytes, not '?'
        {"r\xC3\xA9sum\xC3\xA9", ""},
        {"\xE2\x82\xAC", ""},      // the euro sign
        {"latin1-\xE9.txt", ""},   // no UTF-8 at all
        {"\xEE\x80\x80-pua", ""},  // the area that stands for bytes
        {"\xE3\x80\x9C", ""},      // 〜, which CP932 would turn into ～
    };
    for (const auto& r : rows) {
        const std::string held = FileNameFromOs(r.os);
        EXPECT_EQ(OsFileName(held), r.os) << r.os;
        if (*r.cp932) {
            EXPECT_EQ(held, r.cp932) << r.os;
        }
        EXPECT_EQ(held.find('?'), std::string::npos) << r.os;
    }
    // Any bytes at all.
    std::mt19937 random(7);
    for (int n = 0; n < 2000; ++n) {
        std::string os(random() % 12, ' ');
        for (char& c : os) c = static_cast<char>(1 + random() % 255);
        EXPECT_EQ(OsFileName(FileNameFromOs(os)), os);
    }
    // A CP932 text that was never a name shows as it did.
    EXPECT_EQ(FileNameFromOs(Cp932ToUtf8("計算条件ファイル"_sj)), "計算条件ファイル"_sj);
}

}  // namespace
