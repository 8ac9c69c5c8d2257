// The ini file keeps the last data file; it must read and write the Windows
// format so that a file edited by hand (or by the old program) still works.
#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string FreshFile(const char* name) {
    const std::string f = CaseOutputDir() + "/" + name;
    DeleteFile(f);
    return f;
}

std::string Bytes(const std::string& f) {
    std::string b;
    ReadFileBytes(f, b);
    return b;
}

TEST(IniFile, WritesTheWindowsFormat) {
    const std::string f = FreshFile("fresh.ini");
    TIniFile ini(f);
    const std::string data = "/home/u/" + "門型"_sj + ".$O1";
    ASSERT_TRUE(ini.WriteString("DO1", "FILE1", data));
    EXPECT_EQ(Bytes(f), "[DO1]\r\nFILE1=" + data + "\r\n");
    EXPECT_EQ(ini.ReadString("DO1", "FILE1", ""), data);
    // Replacing keeps one line.
    ASSERT_TRUE(ini.WriteString("DO1", "FILE1", "b"));
    EXPECT_EQ(Bytes(f), "[DO1]\r\nFILE1=b\r\n");
}

TEST(IniFile, KeepsOtherSectionsAndMatchesWithoutCase) {
    const std::string f = FreshFile("mixed.ini");
    ASSERT_TRUE(WriteFileBytes(f, "; note\r\n[Other]\r\nK=1\r\n\r\n[do1]\r\nfile1 = \"x y\" \r\n"));
    TIniFile ini(f);
    EXPECT_EQ(ini.ReadString("DO1", "FILE1", "d"), "x y");
    EXPECT_EQ(ini.ReadInteger("Other", "K", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Other", "missing", 7), 7);
    EXPECT_EQ(ini.ReadString("None", "K", "d"), "d");
    ASSERT_TRUE(ini.WriteString("Other", "J", "2"));
    EXPECT_EQ(Bytes(f), "; note\r\n[Other]\r\nK=1\r\nJ=2\r\n\r\n[do1]\r\nfile1 = \"x y\" \r\n");
}

TEST(IniFile, MissingOrUnwritableFileFallsBack) {
    TIniFile missing(FreshFile("none.ini"));
    EXPECT_EQ(missing.ReadString("DO1", "FILE1", "def"), "def");
    TIniFile bad("/nonexistent-folder/a.ini");
    EXPECT_FALSE(bad.WriteString("DO1", "FILE1", "x"));
}

}  // namespace
