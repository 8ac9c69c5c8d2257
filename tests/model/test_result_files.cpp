// Result text files and the compact result list, byte for byte against
// golden files written by hand from the file layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/frame_results.h"
#include "model/result_files.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path OutDir(const char* name) {
    const fs::path dir = fs::path(CaseOutputDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

struct MemberSpec {
    int no, nodeI, nodeJ;
    std::vector<float> pos;  // the points, then the M-max and M-min copies
    std::vector<std::string> labels;
    std::vector<int> kinds;
    float length, angle;
};

// Two members, three nodes, load cases 1 and 2 and one combination; every
// value follows a simple rule of its slot and its block's factor.
FrameResults& HandBuiltRecord(int combos = 1) {
    static FrameResults* r = AllocateFrameResults();
    ClearFrameResults(*r);
    const int nodeNos[3] = {1, 5, 7};
    r->nodeCount = 3;
    for (int i = 1; i <= 3; ++i) r->node[i].no = nodeNos[i - 1];
    const MemberSpec members[2] = {
        {3,
         1,
         5,
         {0, 0.5f, 1.0f, 1.5f, 2.0f, 1.0f, 0.00005f},
         {"ﾀﾝﾌﾞ"_sj, "", "中央"_sj, "", "ﾀﾝﾌﾞ"_sj},
         {2, 1, 2, 2, 2},
         2.0f,
         0.0f},
        {4, 5, 7, {0, 3.0f, 1.5f, 1.5f}, {"ﾀﾝﾌﾞ"_sj, "ﾀﾝﾌﾞ"_sj}, {2, 2}, 3.0f, 3.14159265f},
    };
    r->memberCount = 2;
    r->caseCount = 2;
    r->comboCount = combos;
    struct Block {
        int no, index;
        double f;
    };
    const Block blocks[3] = {{1, 1, 1.0}, {2, 2, -2.0}, {1, 4, 1.5}};
    for (int m = 1; m <= 2; ++m) {
        const MemberSpec& s = members[m - 1];
        ResultMember& rm = r->member[m];
        rm.no = s.no;
        rm.nodeI = s.nodeI;
        rm.nodeJ = s.nodeJ;
        rm.pointCount = static_cast<int>(s.labels.size());
        rm.length = s.length;
        rm.angle = s.angle;
        for (int k = 1; k <= rm.pointCount; ++k) {
            rm.pointPos[k] = s.pos[k - 1];
            std::strcpy(rm.pointLabel[k], s.labels[k - 1].c_str());
            rm.pointKind[k] = static_cast<int16_t>(s.kinds[k - 1]);
        }
    }
    for (const Block& b : blocks) {
        if (b.index > 3 + combos) continue;
        ResultCase& rc = r->block[b.index];
        const float f = static_cast<float>(b.f);
        rc.caseNo = b.no;
        rc.reactionCount = 2;
        rc.reactions[1] = {1, 1.5f * f, -2.25f * f, 1e-31f};
        rc.reactions[2] = {7, -1e-31f, static_cast<float>(12.34567 * b.f), 0.0f};
        rc.nodes[1].dx = -1e-31;
        rc.nodes[1].dt = 1e-31;
        for (int i = 2; i <= 3; ++i) {
            rc.nodes[i].dx = 0.5 * i * b.f;
            rc.nodes[i].dy = -12.345678 * b.f;
            rc.nodes[i].dt = 0.001 * i * b.f;
        }
        for (int m = 1; m <= 2; ++m) {
            const MemberSpec& s = members[m - 1];
            MemberResult& mr = rc.members[m];
            for (int k = 1; k <= static_cast<int>(s.pos.size()); ++k) {
                mr.values[kQtyPos][k] = s.pos[k - 1];
                mr.values[kQtyM][k] = static_cast<float>(b.f * (1.25 * k - 3));
                mr.values[kQtyS][k] = static_cast<float>(b.f * (0.5 - 0.25 * k));
                mr.values[kQtyN][k] = static_cast<float>(b.f * (-0.5 * k));
                mr.values[kQtyDisp][k] = static_cast<float>(b.f * 0.1 * k);
            }
        }
    }
    return *r;
}

}  // namespace

TEST(ResultFiles, SixFilesEqualTheGoldenFiles) {
    const fs::path dir = OutDir("result_files_basic");
    const std::string base = (dir / "result_basic").string();
    ASSERT_TRUE(WriteSdkResultFiles(HandBuiltRecord(), base));
    for (const char* ext : {"F11", "F12", "F21", "F22", "F31", "F32"}) {
        const std::string got = ReadBytes(base + "." + ext);
        const std::string want =
            ReadBytes(fs::path(TEST_DATA_DIR) / "model" / (std::string("result_basic.") + ext));
        ASSERT_FALSE(want.empty()) << ext;
        EXPECT_EQ(got, want) << ext;
    }
}

TEST(ResultFiles, ClipboardListEqualsTheGoldenList) {
    TStringList list;
    list.Add("title");
    ListSdkResults(list, HandBuiltRecord());
    const std::string want = ReadBytes(fs::path(TEST_DATA_DIR) / "model" / "result_basic.lst");
    EXPECT_EQ(list.Text(), "title\r\n" + want);
}

TEST(ResultFiles, NoCombinationsGiveEmptyCombinationFiles) {
    const fs::path dir = OutDir("result_files_nocombo");
    const std::string base = (dir / "x").string();
    ASSERT_TRUE(WriteSdkResultFiles(HandBuiltRecord(0), base));
    for (const char* ext : {".F12", ".F22", ".F32"}) {
        ASSERT_TRUE(fs::exists(base + ext)) << ext;
        EXPECT_EQ(fs::file_size(base + ext), 0u) << ext;
    }
    EXPECT_GT(fs::file_size(base + ".F31"), 0u);
}

TEST(ResultFiles, UnwritableFileIsSkippedAndReported) {
    const fs::path dir = OutDir("result_files_blocked");
    const std::string base = (dir / "b").string();
    fs::create_directories(base + ".F21");  // a folder where the file should go
    std::string failed;
    EXPECT_FALSE(WriteSdkResultFiles(HandBuiltRecord(), base, &failed));
    EXPECT_EQ(failed, base + ".F21\n");
    for (const char* ext : {".F11", ".F12", ".F22", ".F31", ".F32"})
        EXPECT_TRUE(fs::is_regular_file(base + ext)) << ext;

    TStringList list;
    list.Add("x");
    EXPECT_FALSE(SaveListIfWritable(list, (dir / "missing-folder" / "a.F11").string()));
}

TEST(ResultFiles, SaveListIfWritableReplacesTheOldContent) {
    const fs::path dir = OutDir("result_files_replace");
    const std::string name = (dir / "r.F11").string();
    std::ofstream(name, std::ios::binary) << "a much longer old content than the new one\r\n";
    TStringList list;
    list.Add("new");
    ASSERT_TRUE(SaveListIfWritable(list, name));
    EXPECT_EQ(ReadBytes(name), "new\r\n");
}

TEST(ResultFiles, ExtraResultFilesAreDeletedBesideTheDataFile) {
    const fs::path dir = OutDir("result_files_extra");
    const std::string base = (dir / "data").string();
    for (const char* ext : {".F11", ".F33", ".F41", ".F42", ".F51", ".F61", ".F62", ".F71"})
        std::ofstream(base + ext) << "x";
    DeleteExtraResultFiles(base + ".$O1");  // .F52 is missing: no error
    for (const char* ext : {".F41", ".F42", ".F51", ".F52", ".F61", ".F62", ".F71"})
        EXPECT_FALSE(fs::exists(base + ext)) << ext;
    EXPECT_TRUE(fs::exists(base + ".F11"));
    EXPECT_TRUE(fs::exists(base + ".F33"));
}

TEST(ResultFiles, ZeroRuleAndExtremeRows) {
    TStringList list;
    WriteReactionFile(list, HandBuiltRecord(), kResultLoadCases);
    ASSERT_GE(list.Count(), 4);
    EXPECT_EQ(list[3], "    7  0.0000000e+00  1.2345670e+01  0.0000000e+00");
    const std::string base = (OutDir("result_files_rows") / "rows").string();
    ASSERT_TRUE(WriteSdkResultFiles(HandBuiltRecord(), base));
    ASSERT_TRUE(list.LoadFromFile(base + ".F31"));
    ASSERT_GE(list.Count(), 10);
    EXPECT_EQ(list[2], "MEMBR    3    1    5    5    2");
    EXPECT_EQ(list[8].substr(0, 5), "m-max");
    EXPECT_EQ(list[9].substr(0, 5), "m-min");
    EXPECT_EQ(list[9].substr(list[9].size() - 10), "     M-min");
}
