// Files replaced whole: the old content survives every failure, a link
// stays a link, permissions stay, long names work, and what is not a
// regular file is refused at once (a FIFO would otherwise block).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_replace.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"
#include "tests/file_size_limit.h"

namespace fs = std::filesystem;

namespace {

class ReplacingFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(CaseOutputDir()) / "file_replace" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string Path(const std::string& name) const {
        return (dir / name).string();
    }  // ASCII: CP932 too
    static std::string Bytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Put(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    int Entries() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir)) n += !e.path().empty();
        return n;
    }
    static mode_t Mode(const fs::path& p) {
        struct stat st {};
        stat(p.c_str(), &st);
        return st.st_mode & 07777;
    }
    fs::path dir;
};

}  // namespace

TEST_F(ReplacingFileTest, NewAndExistingFilesGetTheWholeContent) {
    EXPECT_TRUE(WriteFileReplacing(Path("a.txt"), "first"));
    EXPECT_EQ(Bytes(dir / "a.txt"), "first");
    EXPECT_TRUE(WriteFileReplacing(Path("a.txt"), "second, longer"));
    EXPECT_TRUE(WriteFileReplacing(Path("a.txt"), "3rd"));
    EXPECT_EQ(Bytes(dir / "a.txt"), "3rd");
    EXPECT_EQ(Entries(), 1);  // no temporary left behind
}

TEST_F(ReplacingFileTest, AFullDiskKeepsTheOldFile) {
    Put(dir / "r.F31", "complete older results\n");
    const std::string big(100000, 'x');
    ReplacingFile::Failure why = ReplacingFile::Failure::kNone;
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(WriteFileReplacing(Path("r.F31"), big, false, &why));
    }
    EXPECT_EQ(why, ReplacingFile::Failure::kWriteFailed);
    EXPECT_EQ(Bytes(dir / "r.F31"), "complete older results\n");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(ReplacingFileTest, NothingChangesUntilCommitAndADiscardLeavesTheOldFile) {
    Put(dir / "d.$O1", "old");
    {
        ReplacingFile f;
        ASSERT_TRUE(f.Open(Path("d.$O1")));
        ASSERT_TRUE(f.Write("new", 3));
        EXPECT_EQ(Bytes(dir / "d.$O1"), "old");
        EXPECT_TRUE(fs::exists(f.TemporaryName()));
    }  // dropped without Commit
    EXPECT_EQ(Bytes(dir / "d.$O1"), "old");
    EXPECT_EQ(Entries(), 1);
    ReplacingFile f;
    ASSERT_TRUE(f.Open(Path("d.$O1")));
    f.Write("new", 3);
    f.Fail();  // e.g. a formatting thread ran out of memory
    EXPECT_FALSE(f.Commit());
    EXPECT_EQ(Bytes(dir / "d.$O1"), "old");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(ReplacingFileTest, LinksAreFollowedAndStayLinks) {
    fs::create_directories(dir / "real");
    Put(dir / "real" / "m.$O1", "old");
    fs::create_symlink("real/m.$O1", dir / "rel.$O1");
    fs::create_symlink(dir / "rel.$O1", dir / "chain.$O1");  // a link to a link
    fs::create_symlink("real/new.$O1", dir / "dangling.$O1");
    EXPECT_TRUE(WriteFileReplacing(Path("chain.$O1"), "through two links"));
    EXPECT_TRUE(fs::is_symlink(dir / "chain.$O1"));
    EXPECT_TRUE(fs::is_symlink(dir / "rel.$O1"));
    EXPECT_EQ(Bytes(dir / "real" / "m.$O1"), "through two links");
    // A link to a file not there yet creates that file.
    EXPECT_TRUE(WriteFileReplacing(Path("dangling.$O1"), "created"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.$O1"));
    EXPECT_EQ(Bytes(dir / "real" / "new.$O1"), "created");
    // A loop of links is refused.
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    EXPECT_FALSE(WriteFileReplacing(Path("loop1"), "x"));
    EXPECT_TRUE(fs::is_symlink(dir / "loop1"));
}

TEST_F(ReplacingFileTest, PermissionsAreKeptAndNewFilesFollowTheUmask) {
    for (const mode_t mode : {0600u, 0640u, 0755u, 0444u | 0200u}) {
        Put(dir / "p", "old");
        fs::permissions(dir / "p", fs::perms(mode));
        ASSERT_TRUE(WriteFileReplacing(Path("p"), "new"));
        EXPECT_EQ(Mode(dir / "p"), mode) << std::oct << mode;
        fs::remove(dir / "p");
    }
    const mode_t mask = umask(022);
    umask(mask);
    ASSERT_TRUE(WriteFileReplacing(Path("fresh"), "x"));
    EXPECT_EQ(Mode(dir / "fresh"), 0666u & ~mask);
}

TEST_F(ReplacingFileTest, AWriteProtectedFileStays) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
    Put(dir / "ro", "old");
    fs::permissions(dir / "ro", fs::perms(0444));
    ReplacingFile::Failure why{};
    EXPECT_FALSE(WriteFileReplacing(Path("ro"), "new", false, &why));
    EXPECT_EQ(why, ReplacingFile::Failure::kNotWritable);
    EXPECT_EQ(Bytes(dir / "ro"), "old");
}

TEST_F(ReplacingFileTest, NamesUpToTheLimitAreReplacedInPlace) {
    for (const std::size_t length : {200u, 247u, 248u, 251u, 254u, 255u}) {
        std::string name(length - 4, 'n');
        name += ".$O1";
        Put(dir / name, "old");
        EXPECT_TRUE(WriteFileReplacing(Path(name), "new")) << length;
        EXPECT_EQ(Bytes(dir / name), "new") << length;
        fs::remove(dir / name);
    }
    // The temporary's name is cut before a multi-byte character, not
    // inside it (the CP932 name becomes 3-byte UTF-8 characters).
    std::string kanji;
    for (int k = 0; k < 84; ++k) kanji += "\x97\xc0";  // 梁 in CP932: 252 bytes on the disk
    ReplacingFile f;
    ASSERT_TRUE(f.Open((dir / "").string() + kanji));
    const std::string temp = fs::path(f.TemporaryName()).filename().string();
    EXPECT_LE(temp.size(), 255u);
    EXPECT_EQ((temp.size() - 8) % 3, 0u) << temp;
    ASSERT_TRUE(f.Commit());
}

TEST_F(ReplacingFileTest, WhatIsNotARegularFileIsRefusedWithoutOpeningIt) {
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_directory(dir / "folder");
    for (const char* name : {"pipe", "folder", "/dev/null"}) {
        const std::string path = name[0] == '/' ? std::string(name) : Path(name);
        ReplacingFile::Failure why{};
        EXPECT_FALSE(WriteFileReplacing(path, "x", false, &why)) << name;
        EXPECT_EQ(why, ReplacingFile::Failure::kNotRegularFile) << name;
        EXPECT_TRUE(IsNonRegularFile(path)) << name;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_FALSE(IsNonRegularFile(Path("absent")));
    // A FIFO is not read either.
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(Path("pipe"), bytes));
    EXPECT_FALSE(FileIsWritable(Path("pipe")));
}

TEST_F(ReplacingFileTest, AMissingFolderIsAFailureToCreate) {
    ReplacingFile::Failure why{};
    EXPECT_FALSE(WriteFileReplacing(Path("no/such/file"), "x", false, &why));
    EXPECT_EQ(why, ReplacingFile::Failure::kCannotCreate);
}
