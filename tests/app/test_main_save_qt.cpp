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
#include "platform/ini_file.h"

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

// A file the person did not name is never written over: the name a Save
// As writes when the extension was left off, the name proposed for a new
// model, a start-up file that is no data file, the program's own folder
// when no file is open. Each is asked for (the save dialog starting in the
// user's folder when no file is open), and the name saved is remembered.
TEST_F(MainWindowTest, NoFileIsWrittenOverThatThePersonDidNotName) {
    std::vector<std::string> dialogStarts;  // UTF-8
    SetFileDialogHook([&](bool, const std::string& start, std::string& name) {
        dialogStarts.push_back(Cp932ToUtf8(start));
        if (dialogAnswer.empty()) return false;
        name = Utf8ToCp932(dialogAnswer);
        return true;
    });
    const std::string keep = "keep\r\n";
    auto kept = [&](const fs::path& p) { return Bytes(p) == keep; };
    const fs::path portal = CopyExample("portal.$O1");

    // Save As "B": the dialog was asked about "B", the file is "B.$O1".
    const fs::path b = dir / "B.$O1";
    std::ofstream(b, std::ios::binary) << keep;
    Open(portal.string());
    for (const int reply : {mrNo, mrYes}) {
        messages.clear();
        answer = reply;
        dialogAnswer = (dir / "B").string();
        ChooseFileMenu(U("名前を付けて保存"_sj));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(b.string()), std::string::npos) << messages[0];
        EXPECT_EQ(kept(b), reply == mrNo);
    }
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), b.string());

    // 新規作成 proposes 新規1.$O1 beside the file; 計算実行 with 自動保存
    // and 保存 cancelled leave the one there alone.
    const fs::path proposed = dir / U("新規1.$O1"_sj);
    std::ofstream(proposed, std::ios::binary) << keep;
    ChooseFileMenu(U("新規作成"_sj));
    ASSERT_TRUE(window->AutoSave->Checked());
    ClickButton(U("計算実行"_sj));
    EXPECT_TRUE(kept(proposed));
    dialogStarts.clear();
    dialogAnswer.clear();
    ClickButton(U("保存"_sj));
    ASSERT_EQ(dialogStarts.size(), 1u);
    EXPECT_EQ(dialogStarts[0], proposed.string());
    EXPECT_TRUE(kept(proposed));
    // A name chosen is saved and remembered for the next start.
    const fs::path chosen = dir / "mine.$O1";
    dialogAnswer = chosen.string();
    ClickButton(U("保存"_sj));
    EXPECT_TRUE(fs::exists(chosen));
    EXPECT_EQ(TIniFile(IniFilePath).ReadString("DO1", "FILE1", ""), Utf8ToCp932(chosen.string()));
    window.reset();

    // A start-up file that is no data file: refused, and never saved over.
    const fs::path notes = dir / "notes.txt";
    std::ofstream(notes, std::ios::binary) << keep;
    for (const bool fromIni : {false, true}) {
        SCOPED_TRACE(fromIni ? "from the ini file" : "on the command line");
        if (fromIni) TIniFile(IniFilePath).WriteString("DO1", "FILE1", Utf8ToCp932(notes.string()));
        messages.clear();
        answer = mrOk;
        Open(fromIni ? "" : notes.string());
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages[0].find(U("FRAME 行がありません"_sj)), std::string::npos);
        ClickButton(U("計算実行"_sj));
        dialogStarts.clear();
        dialogAnswer.clear();
        ClickButton(U("保存"_sj));
        EXPECT_EQ(dialogStarts.size(), 1u);
        EXPECT_TRUE(kept(notes));
        window.reset();
    }

    // No file at all: the dialog starts in the user's folder.
    TIniFile(IniFilePath).WriteString("DO1", "FILE1", "");
    Open("");
    dialogStarts.clear();
    ClickButton(U("保存"_sj));
    ASSERT_EQ(dialogStarts.size(), 1u);
    EXPECT_EQ(dialogStarts[0].rfind(std::string(std::getenv("HOME")) + "/", 0), 0u)
        << dialogStarts[0];
    EXPECT_FALSE(FileExists(ExeFolder + ExeBaseName + ".$O1"));
}
