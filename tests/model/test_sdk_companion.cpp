// The companion program route of the external calculation, and running a
// program and waiting for it. The companion here is a shell script under
// the companion's name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/sdk_bridge.h"
#include "platform/process.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteScript(const std::string& path, const std::string& body) {
    ASSERT_TRUE(WriteFileBytes(path, "#!/bin/sh\n" + body));
    chmod(path.c_str(), 0755);
}

std::string FreshDir(const std::string& name) {
    const std::string dir = CaseOutputDir() + "/sdk_companion/" + name + "/";
    ForceDirectories(dir);
    return dir;
}

TEST(RunProgramAndWait, WaitsAndPassesTheParameters) {
    const std::string dir = FreshDir("run");
    const std::string script = dir + "tool.sh";
    // The script writes its arguments only after a pause: the call must
    // not come back before.
    WriteScript(script,
                "sleep 0.3\nprintf '[%s]' \"$@\" > \"$(dirname \"$0\")/args.txt\"\nexit 3\n");
    DeleteFile(dir + "args.txt");
    int code = 0;
    EXPECT_TRUE(RunProgramAndWait(script, "/@SDK \"" + dir + "a b.$O1\"  x", false, &code));
    EXPECT_EQ("[/@SDK][" + dir + "a b.$O1][x]", Bytes(dir + "args.txt"));
    EXPECT_EQ(3, code);

    EXPECT_FALSE(RunProgramAndWait(dir + "no such program", "", false));
    WriteFileBytes(dir + "plain.txt", "not a program");
    chmod((dir + "plain.txt").c_str(), 0644);
    EXPECT_FALSE(RunProgramAndWait(dir + "plain.txt", "", true));
}

TEST(RunProgramAndWait, PumpsPendingMessagesWhileItWaits) {
    const std::string dir = FreshDir("pump");
    const std::string script = dir + "slow.sh";
    WriteScript(script, "sleep 0.8\n");
    int pumped = 0;
    SetPendingMessagePump([&] { ++pumped; });
    const std::uint32_t t0 = GetTickCount();
    EXPECT_TRUE(RunProgramAndWait(script, "", false));
    const std::uint32_t ms = GetTickCount() - t0;
    SetPendingMessagePump(nullptr);
    // Once before the start pause, then between the checks while the
    // program still runs.
    EXPECT_GE(pumped, 3);
    EXPECT_GE(ms, 800u);
    EXPECT_LT(ms, 5000u);
}

TEST(RunProgramAndWait, ParameterSplitting) {
    const struct {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"", {}},
        {"  a   b ", {"a", "b"}},
        {"/@SDK \"C:/x y/SDK.$O1\"", {"/@SDK", "C:/x y/SDK.$O1"}},
        {"\"\"", {""}},
        {"a\"b c\"d", {"ab cd"}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.items, SplitParameters(c.text)) << c.text;
}

// A program folder with the companion script, a product folder and a
// library folder without a library: the library route would fail loudly.
class SdkCompanion : public ::testing::Test {
  protected:
    std::string root, work, data;
    std::vector<std::string> messages;

    void SetUp() override {
        // One folder per test: ctest runs the tests of this file in parallel.
        root = FreshDir(std::string("route_") +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ForceDirectories(root + "prog/");
        ForceDirectories(root + "product/");
        ForceDirectories(root + "nosdk/");
        TStringList txt;
        txt.Add(root + "product/");
        txt.Add(root + "nosdk/");
        ASSERT_TRUE(txt.SaveToFile(root + "prog/EXTFRAME.txt"));
        ASSERT_TRUE(LocateExternalEngine(root + "prog/", {}, {}));
        // A folder with a blank: the data file must arrive as one argument.
        work = root + "work dir/";
        ForceDirectories(work);
        data = work + "SDK.$O1";
        // Results of one load case and one combination for the default
        // beam in the library's layout, written only when asked to.
        WriteScript(root + "prog/@@@Vextor1S.exe", R"(
[ "$1" = "/@SDK" ] || exit 2
base="${2%.*}"
printf '%s\n' "$2" > "$(dirname "$0")/last_data.txt"
[ "$COMPANION_WRITES" = "1" ] || exit 0
for ext in F31 F32; do
  printf 'FORCES\r\nCASE     1    1\r\nMEMBR   1    1    2    2\r\n' > "$base.$ext"
  printf '    1          0.000          3.000          1.000          0.000        0.00000\r\n' >> "$base.$ext"
  printf '    2          1.000          4.000          1.000          0.000        0.25000\r\n' >> "$base.$ext"
done
printf 'DISP\r\nCASE     1    2\r\n    1  0.0000000e+00  0.0000000e+00  1.0000000e+00\r\n    2  0.0000000e+00 -2.5000000e+00  0.0000000e+00\r\n' > "$base.F21"
printf 'REACT\r\nCASE     1    1\r\n    1          0.000         12.000          0.000\r\n' > "$base.F11"
)");
        SetEngineMessageSink([this](const std::string& t) { messages.push_back(t); });
    }
    void TearDown() override {
        SetEngineMessageSink(nullptr);
        unsetenv("COMPANION_WRITES");
    }
    std::unique_ptr<FrameModel> DefaultModel() {
        auto model = NewFrameModelRecord();
        NewFrameModel(*model, 1);
        PrepareMemberLoads(*model);
        return model;
    }
};

TEST_F(SdkCompanion, ResultsComeFromTheCompanion) {
    setenv("COMPANION_WRITES", "1", 1);
    auto model = DefaultModel();
    FrameResults& r = *AllocateFrameResults();
    ClearFrameResults(r);
    ASSERT_TRUE(CalculateWithExternalEngine(r, data, *model));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(data + "\n", Bytes(root + "prog/last_data.txt"));
    ASSERT_EQ(1, r.memberCount);
    ASSERT_EQ(2, r.member[1].pointCount);
    EXPECT_NEAR(4.0, r.block[1].members[1].values[kQtyM][2], 1e-6);
    EXPECT_NEAR(0.25, r.block[1].members[1].values[kQtyDisp][2], 1e-6);
    EXPECT_NEAR(-2.5, r.block[1].nodes[2].dy, 1e-9);
    EXPECT_NEAR(12.0, r.block[1].nodes[1].ry, 1e-9);
    // The combination is formed here from the load case (1.2 x 1.0).
    EXPECT_NEAR(1.2 * 4.0, r.block[ComboBlockIndex(r, 1)].members[1].values[kQtyM][2], 1e-5);
    EXPECT_EQ(Bytes(data), Bytes(ChangeFileExt(data, ".bak")));
}

TEST_F(SdkCompanion, ACompanionThatWritesNothingFails) {
    auto model = DefaultModel();
    // Results of an earlier run must not pass for this run's.
    WriteFileBytes(ChangeFileExt(data, ".F31"),
                   "CASE     1    1\r\nMEMBR   1    1    2    1\r\n    1          0.000"
                   "          9.000          0.000          0.000        0.00000\r\n");
    WriteFileBytes(ChangeFileExt(data, ".bak"), "old");
    FrameResults& r = *AllocateFrameResults();
    ClearFrameResults(r);
    EXPECT_FALSE(CalculateWithExternalEngine(r, data, *model));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("FRAME.エラー：\n"_sj + work + "SDK.F31を正常に読めません"_sj, messages[0]);
    EXPECT_EQ(0, r.memberCount);
    EXPECT_FALSE(FileExists(ChangeFileExt(data, ".bak")));
    EXPECT_FALSE(FileExists(ChangeFileExt(data, ".F31")));
}

}  // namespace
