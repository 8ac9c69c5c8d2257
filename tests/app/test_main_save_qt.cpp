// Saving from the main window keeps the file what it was: a symbolic link
// stays a link to the file it names, the permissions stay, a name at the
// file-name limit saves in place, and something that is not a regular file
// is never written over.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "main_window_fixture.h"
#include "model/data_file.h"

namespace {

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST_F(MainWindowTest, SaveThroughALinkWritesTheLinkedFileWithItsPermissions) {
    const fs::path target = CopyExample("portal.$O1", "real.$O1");
    fs::permissions(target, fs::perms(0640));
    const fs::path link = dir / "link.$O1";
    fs::create_symlink("real.$O1", link);  // relative, as people make them
    Open(link.string());
    Type(kSgPoint, 2, 1, "1.5");
    messages.clear();
    ClickButton(U("保存"_sj));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "real.$O1");
    EXPECT_NE(Bytes(target).find("1.5000"), std::string::npos);
    EXPECT_EQ(ModeOf(target), 0640u);
    // Nothing else was left in the folder.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) entries += e.path().filename() != "xdg";
    EXPECT_EQ(entries, 2);
}

TEST_F(MainWindowTest, ANameAtTheFileNameLimitSavesInPlace) {
    for (const std::size_t length : {251u, 253u, 255u}) {
        // Letters, then characters of 3 bytes on the disk.
        std::string name((length - 4) % 3, 'a');
        while (name.size() < length - 4) name += U("梁"_sj);
        name += ".$O1";
        ASSERT_EQ(name.size(), length);
        const std::string file = CopyExample("portal.$O1", name);
        Open(file);
        Type(kSgPoint, 2, 1, "2.5");
        messages.clear();
        ClickButton(U("保存"_sj));
        EXPECT_TRUE(messages.empty()) << length;
        EXPECT_FALSE(ModifiedFlag) << length;
        EXPECT_NE(Bytes(file).find("2.5000"), std::string::npos) << length;
        int entries = 0;  // no temporary left beside it
        for (const auto& e : fs::directory_iterator(dir)) entries += e.path().filename() != "xdg";
        EXPECT_EQ(entries, 1) << length;
        fs::remove(file);
    }
}

TEST_F(MainWindowTest, SaveOverAFifoOrAFolderIsRefusedAndLeavesItAlone) {
    const std::string portal = CopyExample("portal.$O1");
    Open(portal);
    const fs::path fifo = dir / "pipe.$O1", folder = dir / "folder.$O1";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(folder);
    for (const fs::path& p : {fifo, folder}) {
        messages.clear();
        // A FIFO without a reader would block a writer that opened it.
        dialogAnswer = p.string();
        ChooseFileMenu(U("名前を付けて保存"_sj));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind(U("保存できません.\n"_sj), 0), 0u);
        EXPECT_EQ(Cp932ToUtf8(CurrentFileName), portal);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder));
}
