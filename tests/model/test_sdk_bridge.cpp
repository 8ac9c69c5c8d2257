// The external calculation through the library, with our stand-in library
// (tests/model/sdk_double.cpp): a model there and back, every error text,
// the ".bak" copy and stale result files.
//
// The stand-in returns, for load case c (1-based) and member ordinal m, 21
// points at x = L k / 20 with M = 100 c + m + x, S = -c, N = m / 2 and a
// displacement of k / 100 mm; node displacements dx = no / 10 + c,
// dy = -no / 5, rotation c / 1000; reactions at the case's supports
// Rx = c, Ry = 10 no, Rm = 0.5.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/sdk_bridge.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A program folder naming a product folder (with FrameIn.exe) and one of
// the stand-in libraries; every message shown is collected.
class SdkBridge : public ::testing::Test {
  protected:
    std::string root, work, product, dump;
    std::vector<std::string> messages;

    void Prepare(const std::string& name, const std::string& sdkVariant = "full",
                 bool frameIn = true) {
        root = CaseOutputDir() + "/sdk_bridge/" + name + "/";
        work = root + "work/";
        product = root + "product/";
        ForceDirectories(root + "prog/");
        ForceDirectories(work);
        ForceDirectories(product);
        DeleteFile(product + "FrameIn.exe");
        if (frameIn) WriteFileBytes(product + "FrameIn.exe", "");
        const std::string sdk =
            sdkVariant.empty() ? root + "nosdk/" : SDK_DOUBLE_DIR + sdkVariant + "/";
        ForceDirectories(sdk);
        TStringList txt;
        txt.Add(product);
        txt.Add(sdk);
        ASSERT_TRUE(txt.SaveToFile(root + "prog/EXTFRAME.txt"));
        ASSERT_TRUE(LocateExternalEngine(root + "prog/", {}, {}));
        dump = root + "dump.txt";
        DeleteFile(dump);
        setenv("FRAMESDK_DOUBLE_DUMP", dump.c_str(), 1);
        setenv("FRAMESDK_DOUBLE_MODE", "ok", 1);
        SetEngineMessageSink([this](const std::string& text) { messages.push_back(text); });
    }
    void TearDown() override { SetEngineMessageSink(nullptr); }

    std::unique_ptr<FrameModel> DefaultModel() {
        auto model = NewFrameModelRecord();
        NewFrameModel(*model, 1);
        PrepareMemberLoads(*model);
        return model;
    }
    FrameResults& Results() {
        FrameResults* r = AllocateFrameResults();
        ClearFrameResults(*r);
        return *r;
    }
    bool DumpHas(const std::string& line) {
        return ("\n" + Bytes(dump)).find("\n" + line + "\n") != std::string::npos;
    }
    // The stand-in's own counters (the library stays loaded).
    int DoubleCounter(const char* name) {
        void* h = dlopen((SdkFolder + "FrameSDK.dll").c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h == nullptr) return -1;
        auto fn = reinterpret_cast<int (*)()>(dlsym(h, name));
        const int v = fn != nullptr ? fn() : -1;
        dlclose(h);
        return v;
    }
    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ("FRAME.エラー：\n"_sj + text, messages[0]);
        messages.clear();
    }
};

TEST_F(SdkBridge, DefaultBeamThereAndBack) {
    Prepare("default");
    auto model = DefaultModel();
    FrameResults& r = Results();
    const std::string data = work + "SDK.$O1";
    const int freedBefore = std::max(0, DoubleCounter("SdkDoubleFreeCount"));  // -1: not loaded yet
    ASSERT_TRUE(CalculateWithExternalEngine(r, data, *model));
    EXPECT_TRUE(messages.empty());

    // What reached the library.
    EXPECT_TRUE(DumpHas("folder " + product));
    EXPECT_TRUE(DumpHas("member 1 1 2 1 1 1 0 0"));
    // The 20 divisions arrive as points of interest of the piece.
    // (with the named point at 0.5 as well).
    EXPECT_TRUE(
        DumpHas("points 1 20 0.05 0.1 0.15 0.2 0.25 0.3 0.35 0.4 0.45 0.5 0.5 0.55 0.6 "
                "0.65 0.7 0.75 0.8 0.85 0.9 0.95"));
    EXPECT_TRUE(DumpHas("support 1 1 -1 -1 -1 4"));
    EXPECT_TRUE(DumpHas("load 14 1 0 -10 -10 0 0"));
    EXPECT_TRUE(DumpHas("combination 1 1 1"));
    EXPECT_EQ(0, model->view1Count);  // the range was for this run only

    // What came back, mapped onto the user's member.
    ASSERT_EQ(1, r.memberCount);
    EXPECT_EQ(1, r.caseCount);
    EXPECT_EQ(1, r.comboCount);
    ASSERT_EQ(21, r.member[1].pointCount);
    const int combo = ComboBlockIndex(r, 1);
    const double w = static_cast<double>(1.2f) * 1.0;  // entry factor x overall factor
    for (int k = 1; k <= 21; ++k) {
        SCOPED_TRACE(k);
        const double x = (k - 1) / 20.0;
        const MemberResult& m = r.block[1].members[1];
        EXPECT_NEAR(x, m.values[kQtyPos][k], 1e-6);
        EXPECT_NEAR(101.0 + x, m.values[kQtyM][k], 1e-3);
        EXPECT_NEAR(-1.0, m.values[kQtyS][k], 1e-6);
        EXPECT_NEAR(0.5, m.values[kQtyN][k], 1e-6);
        EXPECT_NEAR((k - 1) / 100.0, m.values[kQtyDisp][k], 1e-5);
        EXPECT_NEAR(w * (101.0 + x), r.block[combo].members[1].values[kQtyM][k], 2e-3);
    }
    // M grows along the member: the largest at the J end.
    EXPECT_NEAR(102.0, r.block[1].members[1].values[kQtyM][21 + 1], 1e-3);
    // Node results: displacements as given, reactions by node number,
    // combined with the combination's weight.
    EXPECT_NEAR(1.1, r.block[1].nodes[1].dx, 1e-6);
    EXPECT_NEAR(-0.4, r.block[1].nodes[2].dy, 1e-6);
    EXPECT_NEAR(10.0, r.block[1].nodes[1].ry, 1e-9);
    EXPECT_NEAR(20.0, r.block[1].nodes[2].ry, 1e-9);
    EXPECT_NEAR(0.5, r.block[1].nodes[2].rm, 1e-9);
    EXPECT_NEAR(w * 20.0, r.block[combo].nodes[2].ry, 1e-6);

    // Files: the ".bak" copy of the input, the extractions gone, the
    // six tables and the spring reactions kept.
    EXPECT_EQ(Bytes(data), Bytes(ChangeFileExt(data, ".bak")));
    for (const char* ext : {".F11", ".F12", ".F21", ".F22", ".F31", ".F32", ".F33"})
        EXPECT_TRUE(FileExists(ChangeFileExt(data, ext))) << ext;
    for (const char* ext : {".F41", ".F42", ".F51", ".F52", ".F61", ".F62", ".F71"})
        EXPECT_FALSE(FileExists(ChangeFileExt(data, ext))) << ext;
    // The one result handed out was given back.
    EXPECT_EQ(freedBefore + 1, DoubleCounter("SdkDoubleFreeCount"));
    EXPECT_EQ(0, DoubleCounter("SdkDoubleLiveCount"));
}

TEST_F(SdkBridge, RigidZonesTravelAsMembersAndComeBackAsOne) {
    Prepare("rigid");
    auto model = DefaultModel();
    model->nodes[2].x = 2.0f;
    model->members[1].rigidI = 0.25f;
    model->members[1].rigidJ = 0.5f;
    PrepareMemberLoads(*model);
    FrameResults& r = Results();
    ASSERT_TRUE(CalculateWithExternalEngine(r, work + "SDK.$O1", *model));
    EXPECT_TRUE(DumpHas("members 3"));
    EXPECT_TRUE(DumpHas("nodes 4"));
    EXPECT_EQ(1, r.memberCount);
    // The pieces' points lie end to end along the user's member.
    const int n = r.member[1].pointCount;
    ASSERT_GT(n, 2);
    EXPECT_NEAR(0.0, r.member[1].pointPos[1], 1e-6);
    EXPECT_NEAR(2.0, r.member[1].pointPos[n], 1e-4);
}

TEST_F(SdkBridge, EveryFailureHasItsText) {
    auto model = DefaultModel();
    FrameResults& r = Results();

    Prepare("nolib", "");
    std::string data = work + "SDK.$O1";
    EXPECT_FALSE(CalculateWithExternalEngine(r, data, *model));
    ExpectOneMessage("EXTFRAME SDK がインストールされていません．\n･･･"_sj + root + "nosdk/" +
                     "FrameSDK.dll が有りません．"_sj);
    EXPECT_EQ(0, r.memberCount);
    EXPECT_EQ(0, model->view1Count);

    // A library that lacks one entry point is no library.
    Prepare("noerr", "no_err");
    EXPECT_FALSE(CalculateWithExternalEngine(r, work + "SDK.$O1", *model));
    ExpectOneMessage("EXTFRAME SDK がインストールされていません．\n･･･"_sj + SDK_DOUBLE_DIR +
                     "no_err/FrameSDK.dll が有りません．"_sj);

    Prepare("noframein", "full", false);
    EXPECT_FALSE(CalculateWithExternalEngine(r, work + "SDK.$O1", *model));
    ExpectOneMessage("EXTFRAMEがインストールされていません．\n･･･"_sj + product +
                     "FrameIn.exe が有りません．"_sj);

    Prepare("calcfails");
    setenv("FRAMESDK_DOUBLE_MODE", "fail", 1);
    data = work + "SDK.$O1";
    EXPECT_FALSE(CalculateWithExternalEngine(r, data, *model));
    ExpectOneMessage("[-3] stiffness matrix is singular");
    EXPECT_EQ(0, r.memberCount);

    // The work file itself cannot be written.
    Prepare("nowork");
    data = root + "no such folder/SDK.$O1";
    EXPECT_FALSE(CalculateWithExternalEngine(r, data, *model));
    ExpectOneMessage(data + "に保存できません"_sj);

    // The library's input cannot be read.
    Prepare("unreadable");
    data = work + "broken.$O1";
    WriteFileBytes(data, "FRAME     FRAME-03\r\nTITLE\r\n");
    EXPECT_FALSE(CallFrameSDKDll(data).empty());
    ExpectOneMessage(data + "を正常に読めません"_sj);

    // The result files cannot be written: a folder stands where ".F11" goes.
    Prepare("unwritable");
    data = work + "blocked.$O1";
    ASSERT_TRUE(WriteFrameDataFile(data, *model));
    ForceDirectories(work + "blocked.F11/");
    EXPECT_EQ(data + "に保存できません"_sj, CallFrameSDKDll(data));
    ExpectOneMessage(data + "に保存できません"_sj);
    EXPECT_EQ(0, DoubleCounter("SdkDoubleLiveCount"));  // freed all the same
}

TEST_F(SdkBridge, BackupAndStaleResultsOfAnEarlierRun) {
    Prepare("backup");
    auto model = DefaultModel();
    FrameResults& r = Results();
    const std::string data = work + "SDK.$O1";
    const std::string bak = ChangeFileExt(data, ".bak");
    WriteFileBytes(bak, "an old input");
    // Every result file of an earlier run, those the program does not read
    // back included: after a failed run none may pass for its results.
    const char* const results[] = {".F11", ".F12", ".F21", ".F22", ".F31", ".F32", ".F33",
                                   ".F41", ".F42", ".F51", ".F52", ".F61", ".F62", ".F71"};
    for (const char* ext : results) WriteFileBytes(ChangeFileExt(data, ext), "stale");

    setenv("FRAMESDK_DOUBLE_MODE", "fail", 1);
    EXPECT_FALSE(CalculateWithExternalEngine(r, data, *model));
    EXPECT_FALSE(FileExists(bak));
    for (const char* ext : results) EXPECT_FALSE(FileExists(ChangeFileExt(data, ext))) << ext;

    setenv("FRAMESDK_DOUBLE_MODE", "ok", 1);
    messages.clear();
    ASSERT_TRUE(CalculateWithExternalEngine(r, data, *model));
    EXPECT_EQ(Bytes(data), Bytes(bak));

    // A second run of another model replaces the copy.
    model->nodes[2].x = 3.0f;
    PrepareMemberLoads(*model);
    ASSERT_TRUE(CalculateWithExternalEngine(r, data, *model));
    EXPECT_EQ(Bytes(data), Bytes(bak));
    EXPECT_NE(std::string::npos, Bytes(bak).find("3.0000"));
    EXPECT_NEAR(3.0, r.member[1].length, 1e-5);
}

TEST_F(SdkBridge, ProgressNamesTheWorkFile) {
    Prepare("progress");
    auto model = DefaultModel();
    std::vector<std::string> texts;
    SetEngineProgress([&](const std::string& t) { texts.push_back(t); });
    FrameResults& r = Results();
    ASSERT_TRUE(CalculateWithExternalEngine(r, work + "SDK.$O1", *model));
    SetEngineProgress(nullptr);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("!! 計算中  ["_sj + work + "SDK.$O1]", texts.front());
}

}  // namespace
