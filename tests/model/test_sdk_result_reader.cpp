// Reading an outside calculation's result files back into the results
// record: the library's layout, this program's own layout, the ".O" files
// of "-00" names, and files that do not fit the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/sdk_bridge.h"
#include "model/sdk_file_class.h"
#include "model_builder.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string FreshDir(const std::string& name) {
    const std::string dir = CaseOutputDir() + "/sdk_result_reader/" + name + "/";
    ForceDirectories(dir);
    return dir;
}

void WriteLines(const std::string& file, const std::string& text) {
    TStringList list;
    list.SetText(text);
    ASSERT_TRUE(list.SaveToFile(file));
}

// Three nodes, two members: 1 (1-2) and 2 (2-3).
std::string WriteEchoModel(const std::string& dir, const std::string& name) {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 4, 0).Node(3, 4, -3.5).Material(1, 2e8).Section(1, 0.1, 0.01);
    b.Member(1, 1, 2, 0, 1).Member(2, 2, 3, 1, 0);
    b.Support(1, 1, kSupportFixed).Support(1, 3, kSupportPin);
    const std::string file = dir + name;
    EXPECT_TRUE(WriteFrameDataFile(file, b.model()));
    return file;
}

FrameResults& Results() {
    FrameResults* r = AllocateFrameResults();
    EXPECT_NE(nullptr, r);
    return *r;
}

TEST(SdkResultReader, LibraryLayoutComesBackByPosition) {
    const std::string dir = FreshDir("library");
    const std::string data = WriteEchoModel(dir, "frame.$O1");
    // Two load cases numbered 10 and 20 and one combination numbered 3:
    // the blocks go by their order in the file, not by these numbers.
    FR_SDK_FORCEROW rows1[2] = {{1, {0.0, 1.5, -2.0, 3.25, 0.0}},
                                {2, {4.0, -6.5, -2.0, 3.25, 0.125}}};
    FR_SDK_FORCEROW rows2[3] = {{1, {0.0, -6.5, 1.0, -0.5, 0.0}},
                                {2, {1.75, 0.0, 1.0, -0.5, 2.5}},
                                {3, {3.5, 6.5, 1.0, -0.5, 0.0}}};
    FR_SDK_FORCEMEMBER members[2] = {{1, 1, 2, 2, rows1}, {2, 2, 3, 3, rows2}};
    FR_SDK_FORCECASE forceCases[2] = {{10, 2, members}, {20, 2, members}};
    FR_SDK_FORCECASE comboCases[1] = {{3, 2, members}};
    FR_SDK_NODEROW disp[3] = {{1, {0.0, 0.0, 0.0}}, {2, {1.5, -0.25, 0.003}}, {3, {0.0, 0.0, 0.5}}};
    FR_SDK_NODECASE dispCases[2] = {{10, 3, disp}, {20, 3, disp}};
    FR_SDK_NODEROW react[2] = {{1, {1.25, 30.5, -4.125}}, {3, {-1.25, 9.5, 0.0}}};
    FR_SDK_NODECASE reactCases[2] = {{10, 2, react}, {20, 1, react + 1}};
    FR_SDK_NODECASE reactCombo[1] = {{3, 2, react}};
    FR_SDK_MAINRES res{};
    res.f11Count = 2, res.f11 = reactCases;
    res.f12Count = 1, res.f12 = reactCombo;
    res.f21Count = 2, res.f21 = dispCases;
    res.f31Count = 2, res.f31 = forceCases;
    res.f32Count = 1, res.f32 = comboCases;
    TFrameFileClass file;
    ASSERT_TRUE(file.SaveToFile(ChangeFileExt(data, ""), &res));

    FrameResults& r = Results();
    ReadExternalResults(r, data);
    // Model echo.
    ASSERT_EQ(3, r.nodeCount);
    EXPECT_EQ(3, r.node[3].no);
    EXPECT_FLOAT_EQ(-3.5f, r.node[3].y);
    EXPECT_DOUBLE_EQ(4.0, r.maxX);
    EXPECT_DOUBLE_EQ(0.0, r.maxY);  // never below 0
    ASSERT_EQ(2, r.memberCount);
    EXPECT_EQ(2, r.member[2].nodeI);
    EXPECT_EQ(3, r.member[2].nodeJ);
    EXPECT_EQ(1, r.member[1].endJ);
    EXPECT_EQ(1, r.member[2].endI);
    EXPECT_FLOAT_EQ(1.0f, r.member[1].spare1);
    // Member forces: three-decimal columns, five-decimal displacements.
    EXPECT_EQ(2, r.doneCaseCount);
    EXPECT_EQ(3, r.member[2].pointCount);
    EXPECT_FLOAT_EQ(1.75f, r.member[2].pointPos[2]);
    EXPECT_FLOAT_EQ(3.5f, r.member[2].length);
    EXPECT_FLOAT_EQ(4.0f, r.member[1].length);
    for (int block : {1, 2, 4}) {  // case 10, case 20, combination 3 (after 2 + 1)
        SCOPED_TRACE(block);
        const MemberResult& m = r.block[block].members[1];
        EXPECT_FLOAT_EQ(4.0f, m.values[kQtyPos][2]);
        EXPECT_FLOAT_EQ(-6.5f, m.values[kQtyM][2]);
        EXPECT_FLOAT_EQ(-2.0f, m.values[kQtyS][2]);
        EXPECT_FLOAT_EQ(3.25f, m.values[kQtyN][2]);
        EXPECT_FLOAT_EQ(0.125f, m.values[kQtyDisp][2]);
        EXPECT_FLOAT_EQ(2.5f, r.block[block].members[2].values[kQtyDisp][2]);
    }
    EXPECT_EQ(20, r.block[2].caseNo);
    // Nothing in the block between load cases and combinations.
    EXPECT_EQ(0.0f, r.block[3].members[1].values[kQtyM][2]);
    // Displacements: three digits after the point of %15.7e and more.
    EXPECT_DOUBLE_EQ(1.5, r.block[2].nodes[2].dx);
    EXPECT_DOUBLE_EQ(-0.25, r.block[2].nodes[2].dy);
    EXPECT_DOUBLE_EQ(0.003, r.block[2].nodes[2].dt);
    // Reactions: rows, and the node results of the nodes they name.
    EXPECT_EQ(2, r.block[1].reactionCount);
    EXPECT_EQ(1, r.block[2].reactionCount);
    EXPECT_EQ(3, r.block[2].reactions[1].nodeNo);
    EXPECT_FLOAT_EQ(-1.25f, r.block[2].reactions[1].rx);
    EXPECT_DOUBLE_EQ(30.5, r.block[1].nodes[1].ry);
    EXPECT_DOUBLE_EQ(-4.125, r.block[1].nodes[1].rm);
    EXPECT_DOUBLE_EQ(9.5, r.block[2].nodes[3].ry);
    EXPECT_DOUBLE_EQ(30.5, r.block[4].nodes[1].ry);
    // The combination went to its block before the record's counts say
    // there are cases: a clear still finds it.
    ClearFrameResults(r);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof r, [](unsigned char b) { return b == 0; }));
}

// This program's own layout: "CASE %5d%5d", MEMBR with a fifth field 2 and
// two extreme rows after the points.
TEST(SdkResultReader, OwnLayoutWithExtremeRows) {
    const std::string dir = FreshDir("own");
    const std::string data = WriteEchoModel(dir, "own.$O1");
    WriteLines(dir + "own.F31", R"(FORCES
CASE     7    1
MEMBR    1    1    2    3    2
    1         0.0000  1.0000000e+00  2.0000000e+00 -3.0000000e+00  4.0000000e-01     
    2         0.7500 -1.5000000e+00  2.0000000e+00 -3.0000000e+00  5.0000000e-01     
    3         1.5000  4.2500000e+00  2.0000000e+00 -3.0000000e+00  0.0000000e+00     
m-max         1.5000  4.2500000e+00  2.0000000e+00 -3.0000000e+00  0.0000000e+00     M-max
m-min         0.7500 -1.5000000e+00  2.0000000e+00 -3.0000000e+00  5.0000000e-01     M-min
MEMBR    2    2    3    1    0
    1         2.0000  9.0000000e+00  0.0000000e+00  0.0000000e+00  0.0000000e+00     
)");
    WriteLines(dir + "own.F21", R"(DISPLACEMENTS
CASE     7    2
    1  0.0000000e+00  0.0000000e+00  0.0000000e+00
    2  1.2500000e+00 -2.5000000e-03  3.0000000e-04
)");
    WriteLines(dir + "own.F11", R"(REACTIONS
CASE     7    1
    1 -4.5000000e+00  1.2000000e+01  0.0000000e+00
)");
    FrameResults& r = Results();
    ReadExternalResults(r, data);
    EXPECT_EQ(1, r.doneCaseCount);
    EXPECT_EQ(7, r.block[1].caseNo);
    const MemberResult& m = r.block[1].members[1];
    EXPECT_EQ(3, r.member[1].pointCount);
    EXPECT_FLOAT_EQ(1.5f, r.member[1].length);
    EXPECT_FLOAT_EQ(4.25f, m.values[kQtyM][3]);
    EXPECT_FLOAT_EQ(4.25f, m.values[kQtyM][4]);  // M-max copy
    EXPECT_FLOAT_EQ(-1.5f, m.values[kQtyM][5]);  // M-min copy
    EXPECT_FLOAT_EQ(0.5f, m.values[kQtyDisp][5]);
    // The flag 0 member reads one row and nothing more.
    EXPECT_EQ(1, r.member[2].pointCount);
    EXPECT_FLOAT_EQ(9.0f, r.block[1].members[2].values[kQtyM][1]);
    EXPECT_EQ(2, r.nodeCount);
    EXPECT_DOUBLE_EQ(-0.0025, r.block[1].nodes[2].dy);
    EXPECT_DOUBLE_EQ(12.0, r.block[1].nodes[1].ry);
    // No combination files: nothing read, nothing wrong.
    EXPECT_EQ(0, r.block[3].reactionCount);
}

TEST(SdkResultReader, MinusZeroZeroNamesReadTheOFiles) {
    const std::string dir = FreshDir("old");
    const std::string data = dir + "plan-001.$O1";
    // The older echo layout: float words at 20 and 40, end conditions at
    // 65 and 70.
    WriteLines(data, R"(FRAME     FRAME-03
POINT         2
         1    0.0000    0.0000
         2    2.0000    1.0000
MEMBER        1
         1    1    2               0.500               0.750    0    1    0
END
)");
    WriteLines(dir + "plan-001.O31", R"(FORCES
CASE     1    1
MEMBR   1    1    2    2
    1          0.000          5.000          0.000          0.000        0.00000
    2          2.236         -5.000          0.000          0.000        0.00000
)");
    WriteLines(dir + "plan-001.F31", R"(FORCES
CASE     1    1
MEMBR   1    1    2    1
    1          0.000         99.000          0.000          0.000        0.00000
)");
    FrameResults& r = Results();
    ReadExternalResults(r, data);
    ASSERT_EQ(1, r.memberCount);
    EXPECT_FLOAT_EQ(0.5f, r.member[1].spare1);
    EXPECT_FLOAT_EQ(0.75f, r.member[1].spare2);
    EXPECT_EQ(1, r.member[1].endI);
    EXPECT_EQ(0, r.member[1].endJ);
    EXPECT_DOUBLE_EQ(1.0, r.maxY);
    EXPECT_EQ(2, r.member[1].pointCount);
    EXPECT_FLOAT_EQ(-5.0f, r.block[1].members[1].values[kQtyM][2]);

    // "-00" in a folder name does not count.
    const std::string dir2 = FreshDir("a-00");
    const std::string data2 = WriteEchoModel(dir2, "b.$O1");
    EXPECT_EQ(ChangeFileExt(data2, ".F31"), ExternalResultFileNames(data2)[0]);
    EXPECT_EQ(ChangeFileExt(data, ".O12"), ExternalResultFileNames(data)[5]);
}

TEST(SdkResultReader, WhatDoesNotFitIsSkipped) {
    const std::string dir = FreshDir("bounds");
    const std::string data = WriteEchoModel(dir, "big.$O1");
    // 70 load case blocks (the record holds 65), a member the model does
    // not have, a row count running past the end of the file.
    std::string forces = "";
    for (int c = 1; c <= 70; ++c) {
        forces += "CASE  " + std::string(c < 10 ? "   " : "  ") + std::to_string(c) + "    2\n";
        forces +=
            "MEMBR   9    1    2    1\n    1          0.000          1.000          0.000          "
            "0.000        0.00000\n";
        forces += "MEMBR   1    1    2    1\n    1          0.000          " + std::to_string(c) +
                  ".000          0.000          0.000        0.00000\n";
    }
    forces += "CASE     71    1\nMEMBR   2    2    3 99999\n    1          0.000          1.000\n";
    WriteLines(dir + "big.F31", forces);
    const std::string row = "          1.000          2.000          3.000\n";
    WriteLines(dir + "big.F11", "CASE     1 99999\n    1" + row + "   42" + row);
    WriteLines(dir + "big.F12", "CASE    -5   -1\n    1" + row);
    FrameResults& r = Results();
    ReadExternalResults(r, data);
    EXPECT_EQ(65, r.doneCaseCount);
    EXPECT_FLOAT_EQ(65.0f, r.block[65].members[1].values[kQtyM][1]);
    EXPECT_EQ(0.0f, r.block[66].members[1].values[kQtyM][1]);
    EXPECT_EQ(0, r.member[9].pointCount);
    EXPECT_EQ(2, r.block[1].reactionCount);         // as many rows as there are
    EXPECT_EQ(42, r.block[1].reactions[2].nodeNo);  // kept as a row, no node of its own
    EXPECT_DOUBLE_EQ(2.0, r.block[1].nodes[1].ry);
    EXPECT_EQ(0, r.block[67].reactionCount);  // a negative count reads no rows
}

TEST(SdkResultReader, MissingFilesLeaveTheEchoAlone) {
    const std::string dir = FreshDir("missing");
    const std::string data = WriteEchoModel(dir, "alone.$O1");
    FrameResults& r = Results();
    ReadExternalResults(r, data);
    EXPECT_EQ(2, r.memberCount);
    EXPECT_EQ(0, r.doneCaseCount);
    ReadExternalResults(r, dir + "nothing.$O1");
    EXPECT_EQ(0, r.memberCount);
    EXPECT_EQ(0, r.nodeCount);
}

}  // namespace
