// Line splitting and the class library's comma-text rule, which every reader
// of the data file relies on to turn missing cells into empty items.
#include <gtest/gtest.h>

#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
    TStringList l;
    l.SetCommaText(text);
    return l.Lines();
}

using V = std::vector<std::string>;

TEST(CommaText, SplitsByTheClassLibraryRule) {
    struct Case {
        std::string in;
        V out;
    } cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"a,,,,", {"a", "", "", "", ""}},
        {"  a  b ", {"a", "b"}},      // blanks separate like commas
        {"a , b", {"a", "b"}},        // blanks around a comma are one separator
        {"\"a b\",c", {"a b", "c"}},  // quotes group
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open", {"open"}},  // an unclosed quote takes the rest
        {"", {}},
        {"   ", {}},
        {",a", {"", "a"}},
        {"1,2.5,-3\t4", {"1", "2.5", "-3", "4"}},  // a tab is a blank too
    };
    for (const auto& c : cases) EXPECT_EQ(Split(c.in), c.out) << "input: " << c.in;
}

TEST(CommaText, KeepsDoubleByteCharactersWhole) {
    // Bytes of 0x80 and above are not blanks, though char is signed here.
    const std::string name = "格点"_sj;
    EXPECT_EQ(Split(name + ",1"), (V{name, "1"}));
    // 「表」 ends in 0x5C; inside quotes a trail byte never ends the item.
    EXPECT_EQ(Split("\"" + "表"_sj + "\""), (V{"表"_sj}));
}

TEST(CommaText, JoinsAndQuotesWhereNeeded) {
    TStringList l;
    l.Add("a");
    l.Add("b c");
    l.Add("x,y");
    l.Add("q\"q");
    EXPECT_EQ(l.CommaText(), "a,\"b c\",\"x,y\",\"q\"\"q\"");
    TStringList back;
    back.SetCommaText(l.CommaText());
    EXPECT_EQ(back.Lines(), l.Lines());
}

TEST(StringListText, SplitsAtCrLfOrEitherAlone) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(l.Lines(), (V{"a", "b", "c", "d"}));
    l.SetText("a\r\n\r\nb\r\n");
    EXPECT_EQ(l.Lines(), (V{"a", "", "b"}));
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Text(), "");
}

TEST(StringListFile, WritesCrLfAndReadsBackByteForByte) {
    const std::string file = CaseOutputDir() + "/list_" + "計算"_sj + ".txt";
    TStringList l;
    l.Add("FRAME-03");
    l.Add("表"_sj);
    ASSERT_TRUE(l.SaveToFile(file));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes, "FRAME-03\r\n" + "表"_sj + "\r\n");
    TStringList back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.Lines(), l.Lines());
    EXPECT_FALSE(back.LoadFromFile(file + ".missing"));
    EXPECT_EQ(back.Count(), 0);
    EXPECT_FALSE(l.SaveToFile("/nonexistent-folder/x.txt"));
}

}  // namespace
