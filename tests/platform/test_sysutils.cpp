// File-name helpers and folders: names are CP932 inside the program.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

TEST(FileNames, SplitAndChangeExtension) {
    struct Case {
        std::string in, path, name, ext, f11;
    } cases[] = {
        {"/home/u/a.$O1", "/home/u/", "a.$O1", ".$O1", "/home/u/a.F11"},
        {"a.b/c", "a.b/", "c", "", "a.b/c.F11"},
        {"x", "", "x", "", "x.F11"},
        {"/d/" + "表"_sj + ".$O1", "/d/", "表"_sj + ".$O1", ".$O1", "/d/" + "表"_sj + ".F11"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.in), c.path) << c.in;
        EXPECT_EQ(ExtractFileName(c.in), c.name) << c.in;
        EXPECT_EQ(ExtractFileExt(c.in), c.ext) << c.in;
        EXPECT_EQ(ChangeFileExt(c.in, ".F11"), c.f11) << c.in;
    }
}

TEST(TextHelpers, TrimAndUpperCaseWorkOnBytes) {
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(UpperCase("frame-03"), "FRAME-03");
    // 「ソ」 is 0x83 0x5C and "ab" after a lead byte must not be touched as a pair.
    const std::string s =
        "\x83"
        "ab";
    EXPECT_EQ(UpperCase(s),
              "\x83"
              "aB");
    EXPECT_EQ(Trim("\x81\x40x"), "\x81\x40x");  // a full-width space is not a blank byte
}

TEST(Folders, ForceDirectoriesAndDelete) {
    const std::string base = CaseOutputDir() + "/dirs/" + "日本"_sj + "/a/b/";
    ASSERT_TRUE(ForceDirectories(base));
    EXPECT_TRUE(DirectoryExists(base));
    const std::string f = base + "f.txt";
    ASSERT_TRUE(WriteFileBytes(f, "x"));
    EXPECT_TRUE(FileExists(f));
    EXPECT_FALSE(FileExists(base));  // a folder is not a file
    EXPECT_TRUE(DeleteFile(f));
    EXPECT_FALSE(FileExists(f));
    EXPECT_FALSE(DeleteFile(f));
}

TEST(Paths, SharedDataFolderFollowsXdg) {
    setenv("XDG_DATA_HOME", "/tmp/xdg-test/", 1);
    EXPECT_EQ(GetSharedDataFolder("vextor"), "/tmp/xdg-test/DORAZO/vextor/");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetSharedDataFolder("vextor"), "/home/someone/.local/share/DORAZO/vextor/");
    const std::string exe = GetExeFolder();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.back(), '/');
    EXPECT_EQ(GetExeBaseName(), "test_sysutils");
    // Without either, the user's home from the system, never a shared
    // folder where another user could plant the settings.
    unsetenv("HOME");
    const std::string fallback = GetSharedDataFolder("vextor");
    EXPECT_NE(fallback.rfind("/tmp", 0), 0u) << fallback;
}

// Settings are kept only in a folder of the user's own that nobody else
// may write, never through a link planted in its place.
TEST(Paths, OnlyTheUsersOwnPrivateFolderKeepsSettings) {
    const std::string root = CaseOutputDir() + "/settings/";
    std::filesystem::remove_all(root);
    ASSERT_TRUE(ForceDirectories(root + "own"));
    ASSERT_TRUE(ForceDirectories(root + "open"));
    ASSERT_TRUE(ForceDirectories(root + "other"));
    chmod((root + "own").c_str(), 0700);
    chmod((root + "open").c_str(), 0777);
    std::filesystem::create_directory_symlink(root + "own", root + "link");
    const bool canGiveAway = chown((root + "other").c_str(), geteuid() + 1, getegid()) == 0;
    EXPECT_TRUE(IsOwnPrivateFolder(root + "own/"));
    EXPECT_FALSE(IsOwnPrivateFolder(root + "open/"));
    EXPECT_FALSE(IsOwnPrivateFolder(root + "link/"));
    EXPECT_FALSE(IsOwnPrivateFolder(root + "missing/"));
    if (canGiveAway) EXPECT_FALSE(IsOwnPrivateFolder(root + "other/"));
}

}  // namespace
