// Opening a data file whose RC block is damaged: the model and what the
// block holds are read, and the user is told what was cut in the one
// warning of the open.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "main_window_fixture.h"
#include "rccheck/rc_records.h"

TEST_F(MainWindowTest, ADamagedRcBlockIsNamedInTheOpensWarning) {
    const std::string path = CopyExample("portal.$O1", "damaged.$O1");
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << "\r\n断面基準データ, 9999\r\nNo,   1,   2,\r\n名称,  柱,  梁,\r\nEOB\r\n"_sj;
    }
    ASSERT_NE(AllocateRcCheckData(), nullptr);  // as the program's start does
    Open(path);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0],
        U("RC断面データの断面数 9999 に対し、データは 2 断面分しか無いため 2 断面としました.\n"_sj));
    EXPECT_EQ(RcData->sectionCount, 2);
    EXPECT_EQ(FrameData->memberCount, 3);

    // Saved under another name, the file holds the two sections read with
    // all their fields (a few kB), not hundreds of empty sections (some
    // 270 bytes each).
    dialogAnswer = (dir / "saved").string();
    ChooseFileMenu(U("名前を付けて保存"_sj));
    const std::string saved = ReadBytes((dir / "saved.$O1").string());
    ASSERT_FALSE(saved.empty());
    EXPECT_LT(saved.size(), 8000u);
    EXPECT_NE(saved.find("断面基準データ,    2"_sj), std::string::npos);
    EXPECT_EQ(saved.find("9999"), std::string::npos);
}
