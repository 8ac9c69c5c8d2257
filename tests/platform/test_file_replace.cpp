// Files replaced whole: the old content survives every failure, a link
// stays a link, permissions stay, long names work, and what is not a
// regular file is refused at once (a FIFO would otherwise block).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_replace.h"
#include "platform/sjis_literal.h"
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

// For the superuser too, whom the system would let write it.
TEST_F(ReplacingFileTest, AWriteProtectedFileStays) {
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

// Every failure says why, in the user's words, and the cause stays with
// the file's name for a caller that only learnt that the write failed.
TEST_F(ReplacingFileTest, EachFailureNamesItsCause) {
    Put(dir / "ro", "old");
    fs::permissions(dir / "ro", fs::perms(0444));
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    const struct {
        std::string name;
        rlim_t sizeLimit;  // 0: none
        std::string cause;
    } rows[] = {
        {Path("big"), 4096, "ファイルの大きさの上限を超えます"_sj},
        {Path("ro"), 0, "ファイルが書込み禁止です"_sj},
        {Path("no/such/file"), 0, "フォルダーがありません"_sj},
        {Path(std::string(300, 'n')), 0, "ファイル名が長すぎます"_sj},
        {Path("pipe"), 0, "通常のファイルではありません"_sj},
        {Path("loop1"), 0, "リンクが循環しています"_sj},
    };
    const std::string big(100000, 'x');
    for (const auto& r : rows) {
        ReplacingFile::Failure why{};
        bool ok;
        if (r.sizeLimit) {
            const FileSizeLimit full(r.sizeLimit);
            ok = WriteFileReplacing(r.name, big, false, &why);
        } else {
            ok = WriteFileReplacing(r.name, big, false, &why);
        }
        EXPECT_FALSE(ok) << r.name;
        EXPECT_EQ(LastWriteFailure(r.name), r.cause) << r.name;
    }
    // What the superuser cannot be shown: a read-only folder refuses the
    // temporary even for a writable file; a full disk.
    EXPECT_EQ(WriteFailureText(ReplacingFile::Failure::kCannotCreate, EACCES),
              "フォルダーが書込み禁止です"_sj);
    EXPECT_EQ(WriteFailureText(ReplacingFile::Failure::kWriteFailed, ENOSPC),
              "ディスクの空きが足りません"_sj);
    EXPECT_EQ(WriteFailureText(ReplacingFile::Failure::kWriteFailed, ENOMEM),
              "メモリーが足りません"_sj);
    // A later success clears the cause.
    ASSERT_TRUE(WriteFileReplacing(Path("big"), "small"));
    EXPECT_EQ(LastWriteFailure(Path("big")), "");
}

// The temporaries a killed writer left are removed when the file is next
// replaced; one a living writer holds, or one just written, stays.
TEST_F(ReplacingFileTest, AKilledRunsTemporariesGoAtTheNextReplacement) {
    Put(dir / "r.F31", "old");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
    for (const char* name : {".r.F31.Ab3dE9", ".r.F31.held00", ".r.F31.short", ".other.xYz123"}) {
        Put(dir / name, std::string(1000, 't'));
        fs::last_write_time(dir / name, old);
    }
    Put(dir / ".r.F31.fresh1", "being written");
    const int held = open((dir / ".r.F31.held00").c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(WriteFileReplacing(Path("r.F31"), "new"));
    close(held);
    EXPECT_FALSE(fs::exists(dir / ".r.F31.Ab3dE9"));
    for (const char* kept : {".r.F31.held00", ".r.F31.short", ".other.xYz123", ".r.F31.fresh1"})
        EXPECT_TRUE(fs::exists(dir / kept)) << kept;
    EXPECT_EQ(Bytes(dir / "r.F31"), "new");
}
