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
    ASSERT_TRUE(messages.empty()) << messages[0];
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
    for (const int kanji : {82, 83}) {  // names of 250 and 253 bytes
        std::string name;
        for (int k = 0; k < kanji; ++k) name += U("梁"_sj);  // 3 bytes on the disk
        name += ".$O1";
        const std::string file = CopyExample("portal.$O1", name);
        Open(file);
        Type(kSgPoint, 2, 1, "2.5");
        messages.clear();
        ClickButton(U("保存"_sj));
        EXPECT_FALSE(ModifiedFlag) << name.size();
        EXPECT_TRUE(messages.empty());
        EXPECT_NE(Bytes(file).find("2.5000"), std::string::npos) << name.size();
    }
}

TEST_F(MainWindowTest, SaveOverAFifoOrAFolderIsRefusedAndLeavesItAlone) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    const fs::path fifo = dir / "pipe.$O1", folder = dir / "folder.$O1";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(folder);
    for (const fs::path& p : {fifo, folder}) {
        messages.clear();
        // A FIFO without a reader would block a writer that opened it.
        EXPECT_EQ(w.SaveDataFile(Utf8ToCp932(p.string()), *FrameData), 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind(U("保存できません.\n"_sj), 0), 0u);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder));
}
