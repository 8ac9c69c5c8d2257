// The main window's file and calculation commands, used through the menu,
// the buttons, drops and the keyboard.
#include <QImage>

#include <sys/stat.h>
#include <QWidget>
#include <cmath>
#include <fstream>

#include "main_window_fixture.h"
#include "model/data_file.h"
#include "model/frame_results.h"
#include "model/model_tables.h"
#include "platform/ini_file.h"
#include "platform/qt/bitmap.h"
#include "tests/file_size_limit.h"

TEST_F(MainWindowTest, GrabOfTheWindowWithTheSampleLoaded) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();
    ProcessMessages();
    const QImage shot = w.Widget()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QString::fromStdString((dir / "main_window.png").string()));
    EXPECT_GE(shot.width(), 1280);
    // One picture per tab, for a person to look at.
    for (int t = 1; t < TFmMain::kTabCount; ++t) {
        w.Page1->SetActivePage(w.Tabs[t]);
        ProcessMessages();
        w.Widget()->grab().toImage().save(
            QString::fromStdString((dir / ("tab" + std::to_string(t) + ".png")).string()));
    }
    // The selected member's row is highlighted in the grab.
    const QImage member = w.Grid(kSgMember).Widget()->grab().toImage();
    bool yellow = false;
    for (int y = 0; y < member.height() && !yellow; ++y)
        for (int x = 0; x < member.width() && !yellow; ++x)
            yellow = member.pixel(x, y) == qRgb(0xFF, 0xFF, 0x88);
    EXPECT_TRUE(yellow);
}

namespace {
const ReactionRow* ReactionOf(int caseIndex, int nodeNo) {
    const ResultCase& b = ResultData->block[caseIndex];
    for (int r = 1; r <= b.reactionCount; ++r)
        if (b.reactions[r].nodeNo == nodeNo) return &b.reactions[r];
    return nullptr;
}
}  // namespace

TEST_F(MainWindowTest, StartUpLoadsTheNamedFileAndRemembersIt) {
    const std::string file = CopyExample("portal.$O1");
    TFmMain& w = Open(file);
    EXPECT_EQ(Cp932ToUtf8(w.Caption()).substr(Cp932ToUtf8(w.Caption()).size() - file.size() - 3),
              " > " + file);
    EXPECT_EQ(FrameData->nodeCount, 4);
    EXPECT_EQ(w.Grid(kSgPoint).RowCount(), 6);
    EXPECT_FALSE(ModifiedFlag);
    EXPECT_EQ(TIniFile(IniFilePath).ReadString("DO1", "FILE1", ""), Utf8ToCp932(file));
    // The undo snapshot is the loaded model.
    EXPECT_EQ(FrameDataFileText(w.UndoSnapshot()), FrameDataFileText(*FrameData));
}

TEST_F(MainWindowTest, WithoutAFileTheLastOneFromTheIniFileIsLoaded) {
    const std::string file = CopyExample("continuous_beam.$O1");
    Open(file);
    window.reset();
    TFmMain& w = Open("");
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), file);
    EXPECT_GT(FrameData->memberCount, 0);
    (void)w;
}

TEST_F(MainWindowTest, OpenTakesOnlyExistingDataFiles) {
    Open(CopyExample("portal.$O1"));
    const std::string portal = FrameDataFileText(*FrameData);
    const std::string other = CopyExample("continuous_beam.$O1");
    const std::string text = (dir / "notes.txt").string();
    std::ofstream(text) << "x";
    dialogAnswer = text;
    ChooseFileMenu(U("開く"_sj));
    EXPECT_EQ(FrameDataFileText(*FrameData), portal);  // a text file is ignored
    dialogAnswer = other;
    ChooseFileMenu(U("開く"_sj));
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), other);
    EXPECT_NE(FrameDataFileText(*FrameData), portal);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, DropLoadsTheFirstDataFileAmongTheNames) {
    Open(CopyExample("portal.$O1"));
    const std::string text = (dir / "a.txt").string();
    std::ofstream(text) << "x";
    const std::string beam = CopyExample("spring_beam.$O1");
    DropFiles({text, (dir / "missing.$O1").string(), beam});
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), beam);
}

TEST_F(MainWindowTest, AFileWithoutTheFrameLineIsRefusedAndLeftAlone) {
    // Named like a data file but not one: reading it would give an empty
    // model, which the automatic save of the next calculation would write
    // over the file.
    TFmMain& w = Open(CopyExample("portal.$O1"));
    const std::string portal = FrameDataFileText(*FrameData);
    const std::string before = CurrentFileName;
    const std::string notData = (dir / "notes.$O1").string();
    std::ofstream(notData) << "some notes\r\nnot a frame\r\n";
    ASSERT_TRUE(w.AutoSave->Checked());
    ClickButton(U("逐次計算"_sj));
    dialogAnswer = notData;
    ChooseFileMenu(U("開く"_sj));
    DropFiles({notData});
    EXPECT_EQ(CurrentFileName, before);
    EXPECT_EQ(FrameDataFileText(*FrameData), portal);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find(U("FRAME 行がありません"_sj)), std::string::npos);
    std::ifstream in(notData, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "some notes\r\nnot a frame\r\n");
}

TEST_F(MainWindowTest, DroppingOtherFilesWithAutomaticRecalculationStillCalculates) {
    Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("逐次計算"_sj));
    ASSERT_EQ(ResultData->memberCount, 0);
    DropFiles({(dir / "nothing.txt").string()});
    EXPECT_EQ(ResultData->memberCount, 3);
}

TEST_F(MainWindowTest, EditedBeamIsCalculatedAndSaved) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ChooseFileMenu(U("新規作成"_sj));
    EXPECT_EQ(Cp932ToUtf8(ExtractFileName(CurrentFileName)), U("新規1.$O1"_sj));
    // The default beam: node 1 fixed, node 2 on a roller, 10 kN/m down.
    // Stretch it to 4 m by typing the new X of node 2.
    Type(kSgPoint, 2, 2, "4");
    EXPECT_TRUE(ModifiedFlag);
    EXPECT_FLOAT_EQ(FrameData->nodes[2].x, 4.0f);
    ClickButton(U("計算実行"_sj));
    ASSERT_GT(ResultData->memberCount, 0) << (messages.empty() ? "" : messages[0]);
    // Propped cantilever under w = 10 kN/m over L = 4 m: the fixed end takes
    // 5wL/8 = 25 kN and wL^2/8 = 20 kN*m, the roller 3wL/8 = 15 kN.
    const ReactionRow* fixedEnd = ReactionOf(1, 1);
    const ReactionRow* roller = ReactionOf(1, 2);
    ASSERT_TRUE(fixedEnd && roller);
    EXPECT_NEAR(fixedEnd->ry, 25.0, 1e-3);
    EXPECT_NEAR(std::fabs(fixedEnd->rm), 20.0, 1e-3);
    EXPECT_NEAR(roller->ry, 15.0, 1e-3);
    // 自動保存 writes no file under the name only proposed for a new model.
    EXPECT_TRUE(ModifiedFlag);
    EXPECT_FALSE(FileExists(CurrentFileName));
    // The combination tab is shown after a calculation.
    EXPECT_EQ(w.Page1->ActivePage(), w.Tabs[TFmMain::kTabKumi]);
}

TEST_F(MainWindowTest, InvalidModelIsSavedBeforeTheValidationMessage) {
    Open(CopyExample("portal.$O1"));
    Type(kSgMember, 2, 1, "99");  // a node that does not exist
    ASSERT_TRUE(ModifiedFlag);
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(ResultData->memberCount, 0);
    EXPECT_FALSE(ModifiedFlag);
    auto saved = NewFrameModelRecord();
    std::string warnings;
    ASSERT_TRUE(ReadFrameDataFile(CurrentFileName, *saved, warnings));
    EXPECT_EQ(saved->members[1].nodeI, 99);
}

TEST_F(MainWindowTest, CalculatingBannerStaysInTheMiddleWhenTheModelIsRejected) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();  // the surface gets its size
    ProcessMessages();
    ClickButton(U("自動保存"_sj));
    // A section that does not exist: the frame is drawn as it stands.
    Type(kSgMember, 4, 1, "99");
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    TBitmap& shown = w.Paint1->Bitmap();
    const int width = w.Paint1->Width(), y = w.Paint1->Height() / 2 - 16;
    ASSERT_GT(width, 300);
    // The text's pale yellow band is centred (36 px right of the middle of
    // the text), with black letters on it.
    int left = -1, right = -1, black = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = shown.Pixel(x, y + 8);
        if (c == 0xC0FFFF) {
            if (left < 0) left = x;
            right = x;
        }
        if ((c & 0xFFFFFF) < 0x404040) ++black;
    }
    ASSERT_GE(left, 0);
    EXPECT_NEAR((left + right) / 2.0, width / 2.0 + 18, 3);
    EXPECT_GT(black, 10);
}

TEST_F(MainWindowTest, KeyInAGridDiscardsResultsUnlessRecalculating) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(ResultData->memberCount, 3);
    ASSERT_TRUE(w.BtnPrint->Enabled());
    // A key typed into node 2's X (which is 0): the results go.
    ClickTab(TFmMain::kTabPoint);
    ClickCell(kSgPoint, 2, 2);
    TypeText("0");
    EXPECT_EQ(ResultData->memberCount, 0);
    EXPECT_FALSE(w.BtnPrint->Enabled());
    ClickButton(U("逐次計算"_sj));
    TypeText("0");
    EXPECT_TRUE(WaitFor([] { return ResultData->memberCount == 3; }));
}

TEST_F(MainWindowTest, SaveAsThenSaveWritesTheNewFileAndKeepsTheRcBlock) {
    const std::string first = CopyExample("portal.$O1");
    // An RC block after the frame sections must come back unchanged.
    std::string bytes = ReadBytes(first) + "RC-TEST\r\n1,2,3\r\nEOB\r\n";
    WriteFileBytes(first, bytes);
    TFmMain& w = Open(first);
    ASSERT_EQ(w.RcBlockLines().Count(), 3);
    dialogAnswer = (dir / "copy").string();
    ChooseFileMenu(U("名前を付けて保存"_sj));
    const std::string second = (dir / "copy.$O1").string();
    EXPECT_EQ(Cp932ToUtf8(CurrentFileName), second);
    EXPECT_EQ(TIniFile(IniFilePath).ReadString("DO1", "FILE1", ""), Utf8ToCp932(second));
    Type(kSgPoint, 3, 2, "4.5");
    ClickButton(U("保存"_sj));
    EXPECT_FALSE(ModifiedFlag);
    const std::string saved = ReadBytes(second);
    EXPECT_NE(saved.find("4.5000"), std::string::npos);
    EXPECT_NE(saved.find("RC-TEST\r\n1,2,3\r\nEOB\r\n"), std::string::npos);
    EXPECT_EQ(ReadBytes(first), bytes);  // the first file is untouched
}

TEST_F(MainWindowTest, FailedSaveKeepsTheOldFileAndTheModifiedMark) {
    const std::string file = CopyExample("portal.$O1");
    const std::string before = ReadBytes(file);
    Open(file);
    Type(kSgPoint, 2, 1, "1.5");
    messages.clear();
    {
        const FileSizeLimit diskFull(64);  // whatever the user's rights
        ClickButton(U("保存"_sj));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(U("保存できません.\n"_sj), 0), 0u);
    EXPECT_TRUE(ModifiedFlag);
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(MainWindowTest, SaveToAFolderThatDoesNotExistFailsWithAMessage) {
    Open(CopyExample("portal.$O1"));
    Type(kSgPoint, 2, 1, "1.5");
    CurrentFileName = Utf8ToCp932((dir / "no" / "such" / "a.$O1").string());
    messages.clear();
    ClickButton(U("保存"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(ModifiedFlag);
}

struct CloseCase {
    int answer;
    bool closes;
    bool saves;
};

TEST_F(MainWindowTest, CloseAsksAboutUnsavedChanges) {
    const CloseCase cases[] = {{mrYes, true, true}, {mrNo, true, false}, {mrCancel, false, false}};
    for (const CloseCase& c : cases) {
        const std::string file = CopyExample("portal.$O1");
        const std::string before = ReadBytes(file);
        Open(file);
        Type(kSgPoint, 2, 1, "1.25");
        messages.clear();
        answer = c.answer;
        EXPECT_EQ(window->Close(), c.closes) << c.answer;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], U("修正されています。保存して終了しますか？"_sj));
        EXPECT_EQ(ReadBytes(file) != before, c.saves) << c.answer;
        window.reset();
    }
}

TEST_F(MainWindowTest, YesWithAFailingSaveKeepsTheWindowOpen) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    Type(kSgPoint, 2, 1, "1.25");
    CurrentFileName = Utf8ToCp932((dir / "gone" / "a.$O1").string());
    answer = mrYes;
    EXPECT_FALSE(w.Close());
}

TEST_F(MainWindowTest, MissingManualIsNamedInAMessage) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ASSERT_FALSE(FileExists(ExeFolder + "Vextor操作説明書.PDF"_sj));
    for (QLabel* l : w.Widget()->findChildren<QLabel*>())
        if (l->text() == QString::fromUtf8(U("(説明書)"_sj))) Click(l, l->rect().center());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], U("ファイル Vextor操作説明書.PDF が有りません."_sj));
}

TEST_F(MainWindowTest, WidePaintNarrowsAndWidensTheTablePanel) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();
    ProcessMessages();
    const int figure = w.Paint1->Width();
    ClickButton(U("▼|"_sj));
    EXPECT_EQ(w.Panel_Right->Width(), 80);
    EXPECT_EQ(w.WidePaint->Caption(), "|▲"_sj);
    // The figure takes the room the tables gave up.
    EXPECT_EQ(w.Paint1->Width(), figure + 600);
    ClickButton(U("|▲"_sj));
    EXPECT_EQ(w.Panel_Right->Width(), 680);
    EXPECT_EQ(w.WidePaint->Caption(), "▼|"_sj);
    EXPECT_EQ(w.Paint1->Width(), figure);
}

TEST_F(MainWindowTest, MemberGridFitsTheWindowAtEverySize) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    w.Show();
    ProcessMessages();
    const QWidget* form = w.Widget();
    const QWidget* grid = w.Grid(kSgMember).Widget();
    for (const auto& [width, height] :
         {std::pair{1296, 750}, std::pair{1280, 600}, std::pair{1600, 1000}}) {
        w.SetBounds(0, 0, width, height);
        ProcessMessages();
        SCOPED_TRACE(height);
        // Every row the grid can scroll to lies inside the window, and the
        // hint under it too.
        const int bottom = grid->mapTo(form, QPoint(0, grid->height())).y();
        EXPECT_LE(bottom, form->height() - 22 - 16);
        EXPECT_GE(grid->height(), 80);
    }
}

namespace {
// The portal's data file broken off inside its member table.
std::string CutPortal(const fs::path& dir) {
    std::string bytes;
    ReadFileBytes((fs::path(EXAMPLES_DIR) / "portal.$O1").string(), bytes);
    const std::size_t member3 = bytes.find("         3    4    3");
    EXPECT_NE(member3, std::string::npos);
    const std::string cut = (dir / "cut.$O1").string();
    WriteFileBytes(cut, bytes.substr(0, member3));
    return cut;
}
}  // namespace

TEST_F(MainWindowTest, AFileCutShortIsOpenedWithAWarningAndNeverSavedOverUnasked) {
    const std::string cut = CutPortal(dir);
    const std::string before = ReadBytes(cut);
    TFmMain& w = Open(CopyExample("portal.$O1"));
    dialogAnswer = cut;
    ChooseFileMenu(U("開く"_sj));
    ASSERT_EQ(Cp932ToUtf8(CurrentFileName), cut);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(U("ファイルが途中で終わっています"_sj)), std::string::npos)
        << messages[0];
    EXPECT_EQ(FrameData->memberCount, 3);  // as far as it was read
    // 計算実行 with 自動保存 on leaves the file alone and says so.
    ASSERT_TRUE(w.AutoSave->Checked());
    Type(kSgPoint, 2, 2, "0.5");
    messages.clear();
    ClickButton(U("計算実行"_sj));
    EXPECT_EQ(ReadBytes(cut), before);
    EXPECT_NE(Cp932ToUtf8(w.StatusText->Caption()).find(U("自動保存しませんでした"_sj)),
              std::string::npos);
    EXPECT_TRUE(ModifiedFlag);
}

// Wherever a copy broke off before the end of the frame sections, opening
// it says so: between two sections, or inside a line of a table whose
// count it still meets.
TEST_F(MainWindowTest, AFileCutAnywhereBeforeItsEndLineIsNamedOnOpening) {
    std::string bytes;
    ReadFileBytes((fs::path(EXAMPLES_DIR) / "portal.$O1").string(), bytes);
    const std::size_t sectionTwo = bytes.find("         2   2.80000");
    const std::size_t combinations = bytes.find("KUMI-CASE");
    ASSERT_NE(sectionTwo, std::string::npos);
    ASSERT_NE(combinations, std::string::npos);
    const struct {
        const char* what;
        std::size_t length;
    } cuts[] = {
        {"inside the second section's line", sectionTwo + 12},
        {"before the combinations", combinations},
    };
    TFmMain& w = Open(CopyExample("portal.$O1"));
    for (const auto& c : cuts) {
        SCOPED_TRACE(c.what);
        const std::string cut = (dir / "cut.$O1").string();
        WriteFileBytes(cut, bytes.substr(0, c.length));
        messages.clear();
        answer = mrNo;  // an edit before, if any, is not kept
        dialogAnswer = cut;
        ChooseFileMenu(U("開く"_sj));
        ASSERT_EQ(Cp932ToUtf8(CurrentFileName), cut);
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().find(U("ファイルが途中で終わっています"_sj)), std::string::npos)
            << messages.back();
        // Never written over unasked.
        const std::string before = ReadBytes(cut);
        ClickButton(U("計算実行"_sj));
        EXPECT_EQ(ReadBytes(cut), before);
    }
    EXPECT_TRUE(w.AutoSave->Checked());
}

// A file with more records than the tables hold (a member past the last
// slot, a load case past the last) is cut on opening with a warning, and
// 計算実行 with 自動保存 on keeps the cut model off the file.
TEST_F(MainWindowTest, AFileWithMoreRecordsThanTheTablesIsNeverSavedOverUnasked) {
    std::string portal;
    ReadFileBytes((fs::path(EXAMPLES_DIR) / "portal.$O1").string(), portal);
    const std::string memberHead = "MEMBER        3\r\n";
    const std::size_t members = portal.find(memberHead);
    const std::size_t cases = portal.find("KUMI-CASE");
    ASSERT_NE(members, std::string::npos);
    ASSERT_NE(cases, std::string::npos);
    std::string tooManyMembers = portal;
    {
        // Members 4 to 804 as copies of member 1.
        const std::size_t line1 = members + memberHead.size();
        const std::string member1 = portal.substr(line1, portal.find("\r\n", line1) + 2 - line1);
        std::string more;
        for (int m = 4; m <= kMaxMembers + 1; ++m) {
            const std::string no = std::to_string(m);
            more += std::string(10 - no.size(), ' ') + no + member1.substr(10);
        }
        const std::size_t supports = portal.find("SUPT-CASE");
        tooManyMembers.insert(supports, more);
        tooManyMembers.replace(members, memberHead.size(),
                               "MEMBER      " + std::to_string(kMaxMembers + 1) + "\r\n");
    }
    std::string tooManyCases = portal;
    {
        // Load cases 3 to 66 without loads.
        std::string more;
        for (int c = 3; c <= kMaxLoadCases + 1; ++c) {
            const std::string no = std::to_string(c);
            more += "LOAD-CASE" + std::string(5 - no.size(), ' ') + no + "    0    0    1\r\n";
        }
        tooManyCases.insert(cases, more);
    }
    const struct {
        const char* what;
        const std::string& bytes;
        int FrameModel::*count;
        int kept;
    } files[] = {{"804 members", tooManyMembers, &FrameModel::memberCount, kMaxMembers},
                 {"66 load cases", tooManyCases, &FrameModel::loadCaseCount, kMaxLoadCases}};
    TFmMain& w = Open(CopyExample("portal.$O1"));
    ASSERT_TRUE(w.AutoSave->Checked());
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        const std::string name = (dir / "many.$O1").string();
        WriteFileBytes(name, f.bytes);
        messages.clear();
        answer = mrNo;  // an edit before, if any, is not kept
        dialogAnswer = name;
        ChooseFileMenu(U("開く"_sj));
        ASSERT_EQ(Cp932ToUtf8(CurrentFileName), name);
        ASSERT_EQ(messages.size(), 1u);  // the warning about the cut
        EXPECT_EQ((*FrameData).*(f.count), f.kept);
        ClickButton(U("計算実行"_sj));
        EXPECT_TRUE(ReadBytes(name) == f.bytes);
        EXPECT_NE(Cp932ToUtf8(w.StatusText->Caption()).find(U("自動保存しませんでした"_sj)),
                  std::string::npos);
    }
}

struct PartSaveCase {
    int answer;
    bool overwrites;  // the cut file is written
    bool savesAs;     // a new file is written
};

TEST_F(MainWindowTest, SavingAModelReadPartlyAsksAndOffersSaveAs) {
    const PartSaveCase cases[] = {
        {mrYes, false, true}, {mrNo, true, false}, {mrCancel, false, false}};
    for (const PartSaveCase& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::string cut = CutPortal(dir);
        const std::string before = ReadBytes(cut);
        const std::string other = (dir / "whole.$O1").string();
        fs::remove(other);
        Open(cut);
        messages.clear();
        answer = c.answer;
        dialogAnswer = other;
        ClickButton(U("保存"_sj));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(U("別の名前で保存しますか？"_sj)), std::string::npos)
            << messages[0];
        EXPECT_EQ(ReadBytes(cut) != before, c.overwrites);
        EXPECT_EQ(fs::exists(other), c.savesAs);
        // Once written whole somewhere, the next save asks nothing.
        if (c.savesAs || c.overwrites) {
            messages.clear();
            ClickButton(U("保存"_sj));
            EXPECT_TRUE(messages.empty());
        }
        window.reset();
    }
}

TEST_F(MainWindowTest, FoldersFifosAndBrokenLinksAreNamedInAMessage) {
    fs::create_directories(dir / "folder.$O1");
    ASSERT_EQ(mkfifo((dir / "pipe.$O1").c_str(), 0600), 0);
    fs::create_symlink(dir / "gone.$O1", dir / "link.$O1");
    struct Case {
        const char* name;
        std::string message;
    };
    const Case cases[] = {{"folder.$O1", U("フォルダーは開けません."_sj)},
                          {"pipe.$O1", U("通常のファイルではないため開けません."_sj)},
                          {"link.$O1", U("リンク先のファイルが有りません."_sj)}};
    Open(CopyExample("portal.$O1"));
    const std::string portal = FrameDataFileText(*FrameData);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        messages.clear();
        dialogAnswer = path;
        ChooseFileMenu(U("開く"_sj));
        DropFiles({path});
        ASSERT_EQ(messages.size(), 2u);
        for (const std::string& m : messages) EXPECT_EQ(m, c.message + "\n" + path);
        EXPECT_EQ(FrameDataFileText(*FrameData), portal);
    }
}

TEST_F(MainWindowTest, PrintingIsEnabledOnlyWhileResultsExist) {
    TFmMain& w = Open(CopyExample("portal.$O1"));
    EXPECT_FALSE(w.BtnPrint->Enabled());
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    ASSERT_GT(ResultData->memberCount, 0);
    EXPECT_TRUE(w.BtnPrint->Enabled());
    // A dropped file brings a model without results.
    DropFiles({CopyExample("continuous_beam.$O1")});
    EXPECT_EQ(ResultData->memberCount, 0);
    EXPECT_FALSE(w.BtnPrint->Enabled());
    ClickButton(U("計算実行"_sj));
    EXPECT_TRUE(w.BtnPrint->Enabled());
    // A model rejected by the validation has none either.
    Type(kSgMember, 2, 1, "99");
    ClickButton(U("計算実行"_sj));
    EXPECT_FALSE(w.BtnPrint->Enabled());
}

// A failed analysis shows, prints and copies nothing: on two horizontal
// rollers the portal is a mechanism, and the load effects left in its
// members are no results of it. The time shown after a calculation is the
// calculation's own, not that of a message box waiting for OK.
TEST_F(MainWindowTest, AFailedAnalysisLeavesNoResultsAndMessageBoxesAreNotTimed) {
    TFmMain& w = OpenPortal();
    ClickButton(U("自動保存"_sj));
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(ResultData->memberCount, 3);
    // Both feet on horizontal rollers: nothing holds the frame sideways.
    ClickTab(TFmMain::kTabSupt);
    ClickCell(kSgSupt1, 1, 1);
    for (int row = 1; row <= 2; ++row) Type(kSgSupt2, ColumnOf(&SuptEntry::code), row, "2");
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u) << FrameDataFileText(*FrameData);
    EXPECT_NE(messages[0].find(U("剛性マトリックスが特異です"_sj)), std::string::npos);
    EXPECT_EQ(ResultData->memberCount, 0);
    EXPECT_FALSE(w.BtnPrint->Enabled());
    messages.clear();
    ChooseFileMenu(U("結果数値のエクセルコピー"_sj));
    EXPECT_EQ(messages, std::vector<std::string>{U("計算結果がありません。"_sj)});
    window.reset();

    // Rigid zones longer than the beam are ignored with a warning, and the
    // analysis completes; the person takes 1.5 s to read the warning.
    SetMessageDlgHook([this](const std::string& text, TMsgDlgType, int) {
        messages.push_back(Cp932ToUtf8(text));
        if (messages.back().find(U("剛域長"_sj)) != std::string::npos) QTest::qSleep(1500);
        return answer;
    });
    TFmMain& z = OpenPortal();
    ClickButton(U("自動保存"_sj));
    Type(kSgMember, ColumnOf(&FrameMember::rigidI), 2, "4");
    Type(kSgMember, ColumnOf(&FrameMember::rigidJ), 2, "3");
    ClickButton(U("剛域の設定"_sj));
    ASSERT_TRUE(z.CkGoiki->Checked());
    messages.clear();
    ClickButton(U("計算実行"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(U("剛域長"_sj)), std::string::npos);
    EXPECT_EQ(ResultData->memberCount, 3);
    ASSERT_FALSE(z.CalcTimeText().empty());
    EXPECT_LT(std::stod(z.CalcTimeText()), 1.0) << U(z.CalcTimeText());
}
