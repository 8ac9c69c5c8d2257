// The batch run through the real program, without a display: exit codes,
// messages and the six result files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/command_line.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/result_files.h"
#include "model/stiffness.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "tests/case_output.h"
#include "tests/file_size_limit.h"

extern char** environ;

namespace fs = std::filesystem;

// Fault injection for the in-process runs: while armed, the allocation
// that brings the count below 0 fails, on whichever thread it is made.
namespace {
std::atomic<long> allocationsBeforeFailure{-1};  // below 0: nothing fails
}  // namespace

void* operator new(std::size_t size) {
    if (allocationsBeforeFailure.load(std::memory_order_relaxed) >= 0 &&
        allocationsBeforeFailure.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const char* const kExts[6] = {".F11", ".F12", ".F21", ".F22", ".F31", ".F32"};

struct RunResult {
    int code = -1;
    std::string out, err;  // UTF-8
};

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the program with args in a clean display-less environment.
RunResult RunVextor(const std::vector<std::string>& args, const fs::path& dir) {
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            v.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        env.push_back(v);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        std::FILE* o = std::freopen(out.c_str(), "w", stdout);
        std::FILE* r = std::freopen(err.c_str(), "w", stderr);
        if (!o || !r) _exit(126);
        if (chdir(dir.c_str()) != 0) _exit(126);
        // As a shell starts it: a file-size limit's signal at its default
        // (which ends the process unless the program ignores it).
        signal(SIGXFSZ, SIG_DFL);
        alarm(120);  // a run that blocks ends (as signal 14) instead of hanging the test
        std::vector<char*> argv{const_cast<char*>(VEXTOR_EXE)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& v : env) envp.push_back(v.data());
        envp.push_back(nullptr);
        execve(VEXTOR_EXE, argv.data(), envp.data());
        _exit(127);
    }
    RunResult r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadBytes(out);
    r.err = ReadBytes(err);
    return r;
}

fs::path FreshDir(const std::string& name) {
    const fs::path dir = fs::path(CaseOutputDir()) / "batch" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A portal frame, fixed at both feet, with a lateral and a vertical load.
std::unique_ptr<FrameModel> Portal(float zone = 0.0f, int zoneSwitch = 1) {
    auto m = NewFrameModelRecord();
    const float xy[4][2] = {{0, 0}, {0, 4}, {6, 4}, {6, 0}};
    m->nodeCount = 4;
    for (int k = 1; k <= 4; ++k) m->nodes[k] = {k, xy[k - 1][0], xy[k - 1][1], {}};
    m->materialCount = 1;
    m->materials[1] = {1, 2.5e7f, 1e-5f, 0};
    m->sectionCount = 1;
    m->sections[1].no = 1;
    m->sections[1].area = 0.25f;
    m->sections[1].inertia = 5.2e-3f;
    m->memberCount = 3;
    for (int k = 1; k <= 3; ++k) {
        FrameMember& mb = m->members[k];
        mb.no = k;
        mb.nodeI = k;
        mb.nodeJ = k + 1;
        mb.sectionNo = 1;
        mb.materialNo = 1;
        mb.rigidI = mb.rigidJ = zone;
    }
    m->rigidZoneSwitch = zoneSwitch;
    m->supportCaseCount = 1;
    SuptCase& sc = m->supportCases[1];
    sc.no = 1;
    sc.count = 2;
    sc.entries[1].nodeNo = 1;
    sc.entries[1].code = kSupportFixed;
    sc.entries[2].nodeNo = 4;
    sc.entries[2].code = kSupportFixed;
    m->loadCaseCount = 1;
    LoadCase& lc = m->loadCases[1];
    lc.no = 1;
    lc.suptCaseNo = 1;
    lc.count = 2;
    lc.loads[1] = {kLoadNodal, 2, 0, 30, 0, 0, 0, 0, 0, 0, {}};
    lc.loads[2] = {kLoadDistY, 2, 0, -20, -20, 0, 0, 0, 0, 0, {}};
    m->combinationCount = 1;
    m->combinations[1].no = 1;
    m->combinations[1].factor = 1.0;
    m->combinations[1].count = 1;
    m->combinations[1].entries[1] = {1, 1.2f};
    return m;
}

fs::path WriteModel(const FrameModel& m, const fs::path& dir, const std::string& name) {
    const fs::path p = dir / name;
    EXPECT_TRUE(WriteFrameDataFile(FileNameFromOs(p.string()), m));
    return p;
}

void ExpectSixFiles(const fs::path& dataFile, const RunResult& r, const std::string& what) {
    const std::string base = (dataFile.parent_path() / dataFile.stem()).string();
    for (const char* ext : kExts) {
        EXPECT_TRUE(fs::is_regular_file(base + ext)) << what << ext;
        EXPECT_NE(r.out.find(base + ext + "\n"), std::string::npos) << what << " names " << ext;
    }
}

void ExpectNoResultFiles(const fs::path& dataFile, const std::string& what) {
    const std::string base = (dataFile.parent_path() / dataFile.stem()).string();
    for (const char* ext : kExts) EXPECT_FALSE(fs::exists(base + ext)) << what << ext;
}

}  // namespace

TEST(BatchRun, EveryExampleIsAnalysedWithoutADisplay) {
    std::vector<fs::path> inputs;
    for (const fs::path& folder : {fs::path(EXAMPLES_DIR), fs::path(TEST_DATA_DIR) / "model"}) {
        if (!fs::is_directory(folder)) continue;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().extension() == ".$O1" && folder == fs::path(EXAMPLES_DIR))
                inputs.push_back(e.path());
    }
    if (inputs.empty()) GTEST_SKIP() << "no examples/*.$O1 yet";
    for (const fs::path& src : inputs) {
        const fs::path dir = FreshDir("example_" + src.stem().string());
        const fs::path data = dir / src.filename();
        fs::copy_file(src, data);
        const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
        EXPECT_EQ(r.code, 0) << src << "\n" << r.err;
        ExpectSixFiles(data, r, src.string());
        EXPECT_EQ(ReadBytes(data), ReadBytes(src)) << "the data file is only read";
    }
}

TEST(BatchRun, FilesEqualTheInProcessAnalysis) {
    const fs::path dir = FreshDir("inprocess");
    const fs::path data = WriteModel(*Portal(), dir, "my portal.$O1");
    // The name holds a blank and is given in two pieces.
    const RunResult r = RunVextor({"/BATCH", (dir / "my").string(), "portal.$O1"}, dir);
    ASSERT_EQ(r.code, 0) << r.err;
    ExpectSixFiles(data, r, "portal");

    auto model = NewFrameModelRecord();
    std::string warnings;
    ASSERT_TRUE(ReadFrameDataFile(data.string(), *model, warnings));
    FrameResults* results = AllocateFrameResults();
    ASSERT_NE(results, nullptr);
    ASSERT_TRUE(RunFrameAnalysis(*results, *model, false, false, kDefaultPackValue));
    const std::string base = (dir / "inprocess").string();
    ASSERT_TRUE(WriteSdkResultFiles(*results, base));
    for (const char* ext : kExts)
        EXPECT_EQ(ReadBytes((dir / "my portal").string() + ext), ReadBytes(base + ext)) << ext;
    // The progress went to stderr, in UTF-8.
    EXPECT_NE(r.err.find(Cp932ToUtf8("計算中"_sj)), std::string::npos);
}

TEST(BatchRun, SdkOptionIgnoresRigidZonesInTheCopyOnly) {
    const fs::path dir = FreshDir("sdk");
    const fs::path zoned = WriteModel(*Portal(0.3f), dir, "z.$O1");
    const std::string before = ReadBytes(zoned);
    ASSERT_EQ(RunVextor({"/BATCH", zoned.string()}, dir).code, 0);
    const std::string withZones = ReadBytes(dir / "z.F31");
    ASSERT_EQ(RunVextor({"/sdk", "/BATCH", zoned.string()}, dir).code, 0);
    const std::string sdk = ReadBytes(dir / "z.F31");
    EXPECT_NE(withZones, sdk);
    EXPECT_EQ(ReadBytes(zoned), before);
    // Zones switched off in the model give the same files as "/SDK" with the
    // default capacity, since no View1 range is given: ends only.
    const fs::path off = WriteModel(*Portal(0.3f, 0), dir, "off.$O1");
    ASSERT_EQ(RunVextor({"/BATCH", off.string()}, dir).code, 0);
    EXPECT_NE(ReadBytes(dir / "off.F31"), withZones);
    EXPECT_EQ(ReadBytes(dir / "off.F11"),
              ReadBytes(dir / "z.F11"));  // reactions: zones ignored both times
}

TEST(BatchRun, BadInputGivesItsExitCodeAndMessage) {
    struct Case {
        const char* what;
        std::string content;  // the data file's bytes; empty: no file at all
        std::vector<std::string> extraArgs;
        int code;
        std::string message;  // UTF-8 text expected on stderr
    };
    auto invalid = Portal();
    invalid->members[2].nodeJ = 9;
    std::ostringstream bad;
    bad << FrameDataFileText(*invalid) << "\r\n";
    std::string overCapacity = FrameDataFileText(*Portal());
    overCapacity.replace(overCapacity.find("POINT         4"), 15, "POINT     99999");
    const Case cases[] = {
        {"missing file", "", {}, 1, Cp932ToUtf8("計算条件ファイル "_sj)},
        {"no file argument", "", {"/BATCH"}, 1, Cp932ToUtf8("計算条件ファイル  が有りません！"_sj)},
        {"validation problems",
         bad.str(),
         {},
         2,
         Cp932ToUtf8("部材：No.2、ｊ端格点 No.9 の定義がありません."_sj)},
        {"count beyond a table", overCapacity, {}, 2, ""},
        {"binary garbage", std::string("\x00\xff\x81\x40garbage\x1a\r\n\x9f", 16), {}, 2, ""},
    };
    for (const Case& c : cases) {
        const fs::path dir = FreshDir("bad");
        const fs::path data = dir / "in.$O1";
        if (!c.content.empty()) std::ofstream(data, std::ios::binary) << c.content;
        const std::vector<std::string> args =
            c.extraArgs.empty() ? std::vector<std::string>{"/BATCH", data.string()} : c.extraArgs;
        const RunResult r = RunVextor(args, dir);
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << c.what;
        if (!c.message.empty()) {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << "\n" << r.err;
        }
        ExpectNoResultFiles(data, c.what);
    }
}

TEST(BatchRun, FailuresAfterValidationGiveExitCodeThree) {
    {
        // A pinned cantilever is a mechanism: the case is singular.
        auto m = Portal();
        m->memberCount = 1;
        m->supportCases[1].count = 1;
        m->supportCases[1].entries[1].code = kSupportPin;
        m->loadCases[1].count = 1;
        m->loadCases[1].loads[1] = {kLoadNodal, 2, 0, 30, 0, 0, 0, 0, 0, 0, {}};
        m->nodeCount = 2;
        const fs::path dir = FreshDir("singular");
        const fs::path data = WriteModel(*m, dir, "s.$O1");
        const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
        EXPECT_EQ(r.code, 3) << r.err;
        EXPECT_NE(r.err.find(Cp932ToUtf8("剛性マトリックスが特異です"_sj)), std::string::npos);
        // The load effects of a mechanism are no results of it.
        ExpectNoResultFiles(data, "singular");
    }
    {
        const fs::path dir = FreshDir("unwritable");
        const fs::path data = WriteModel(*Portal(), dir, "u.$O1");
        fs::create_directories(dir / "u.F21");
        const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
        EXPECT_EQ(r.code, 3) << r.err;
        EXPECT_NE(r.err.find((dir / "u.F21").string()), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_regular_file(dir / "u.F31"));
        EXPECT_EQ(r.out.find("u.F21"), std::string::npos);
    }
}

// Models the analysis must not take as they stand, and models whose results
// overflow a float: the message line on stderr and the exit code. The
// portal's member 2 is the 6 m beam; its load case holds two loads, a new
// one is load No.3. Neither refused models nor failed results write a
// result file (no file ever holds "nan" or "inf").
TEST(BatchRun, RefusedModelsAndResultsThatAreNoNumbers) {
    auto addLoad = [](FrameModel& m, int code, int member, float q, float distI, float distJ = 0,
                      int to = 0) {
        LoadCase& lc = m.loadCases[1];
        lc.loads[++lc.count] = {code, member, to, q, q, distI, distJ, 0, 0, 0, {}};
    };
    const std::string tooLarge = "の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj;
    const std::string overflow = "計算結果が数値で表せる範囲を超えました．結果を 0 としました．"_sj;
    struct Case {
        const char* what;
        std::function<void(FrameModel&)> change;
        std::string line;  // CP932
        int code;
    };
    const Case cases[] = {
        {"point load beyond the J end",
         [&](FrameModel& m) { addLoad(m, kLoadConcY, 2, -10, 6.5f); },
         "荷重ｹｰｽ No.1、荷重 No.3：部材 No.2 の範囲外に荷重があります."_sj, 2},
        {"point load at a negative position",
         [&](FrameModel& m) { addLoad(m, kLoadConcPerp, 2, -10, -0.5f); },
         "荷重ｹｰｽ No.1、荷重 No.3：部材 No.2 の範囲外に荷重があります."_sj, 2},
        {"couple beyond the J end",
         [&](FrameModel& m) { addLoad(m, kLoadConcMoment, 2, 12, 6.2f); },
         "荷重ｹｰｽ No.1、荷重 No.3：部材 No.2 の範囲外に荷重があります."_sj, 2},
        {"distributed load longer than its member",
         [&](FrameModel& m) { addLoad(m, kLoadDistY, 2, -5, 4, 3); },
         "荷重ｹｰｽ No.1、荷重 No.3：部材 No.2 の範囲外に荷重があります."_sj, 2},
        {"distributed load longer than its run",
         [&](FrameModel& m) { addLoad(m, kLoadDistPerp, 1, -5, 10, 5, 3); },
         "荷重ｹｰｽ No.1、荷重 No.3：部材 No.1～No.3 の範囲外に荷重があります."_sj, 2},
        {"Young's modulus 0", [](FrameModel& m) { m.materials[1].e = 0; },
         "材質：ヤング係数がゼロの定義があります."_sj, 2},
        {"negative Young's modulus", [](FrameModel& m) { m.materials[1].e = -2.5e7f; },
         "材質：No.1、ヤング係数が負の値です."_sj, 2},
        {"a load of 1e38",
         [](FrameModel& m) { m.loadCases[1].loads[2].qI = m.loadCases[1].loads[2].qJ = 1e38f; },
         "荷重ｹｰｽ No.1、荷重 No.2：荷重データ"_sj + tooLarge, 2},
        {"an area of 3e38", [](FrameModel& m) { m.sections[1].area = 3e38f; },
         "断面：No.1、面積又は断面二次モーメント"_sj + tooLarge, 2},
        {"a load case whose axial forces overflow",
         [&](FrameModel& m) {
             m.materials[1].e = 1e15f;
             m.materials[1].alpha = 1e10f;
             m.sections[1].area = 1e10f;
             addLoad(m, kLoadTemperature, 2, 1e5f, 0);
         },
         "荷重ｹｰｽ No.1："_sj + overflow, 3},
        {"a combination that overflows",
         [](FrameModel& m) {
             m.loadCases[1].loads[1].qI = 1e15f;
             m.combinations[1].factor = 1e15;
             m.combinations[1].entries[1].factor = 1e15f;
         },
         "組合せ荷重ｹｰｽ No.1："_sj + overflow, 3},
    };
    for (const Case& c : cases) {
        auto m = Portal();
        c.change(*m);
        const fs::path dir = FreshDir("refused");
        const fs::path data = WriteModel(*m, dir, "r.$O1");
        const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.err;
        EXPECT_NE(r.err.find(Cp932ToUtf8(c.line) + "\n"), std::string::npos) << c.what << "\n"
                                                                             << r.err;
        ExpectNoResultFiles(data, c.what);
    }
}

// A FIFO where a result file would go blocked the batch run for ever: it
// is refused at once, named with the reason, and the other files written.
TEST(BatchRun, AFifoInPlaceOfAResultFileEndsTheRunWithCode3) {
    const fs::path dir = FreshDir("fifo_result");
    const fs::path data = WriteModel(*Portal(), dir, "p.$O1");
    ASSERT_EQ(mkfifo((dir / "p.F31").c_str(), 0644), 0);
    fs::create_directory(dir / "p.F12");
    const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
    EXPECT_EQ(r.code, 3) << r.err;
    for (const char* ext : {".F31", ".F12"}) {
        EXPECT_NE(r.err.find((dir / "p").string() + ext +
                             Cp932ToUtf8(" （通常のファイルではありません）"_sj)),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find((dir / "p").string() + ext), std::string::npos);
    }
    EXPECT_TRUE(fs::is_fifo(dir / "p.F31"));
    for (const char* ext : {".F11", ".F21", ".F22", ".F32"})
        EXPECT_TRUE(fs::is_regular_file(dir / ("p" + std::string(ext))));
}

TEST(BatchRun, ADataFileThatIsNotARegularFileEndsTheRunWithCode3) {
    const fs::path dir = FreshDir("fifo_data");
    ASSERT_EQ(mkfifo((dir / "pipe.$O1").c_str(), 0644), 0);
    fs::create_directory(dir / "folder.$O1");
    fs::create_symlink("loop-b.$O1", dir / "loop-a.$O1");
    fs::create_symlink("loop-a.$O1", dir / "loop-b.$O1");
    fs::create_symlink("nowhere.$O1", dir / "dangling.$O1");
    const struct {
        const char* name;
        const std::string& says;
    } rows[] = {
        {"pipe.$O1", "通常のファイルではありません（FIFO・デバイス）"_sj},
        {"folder.$O1", "通常のファイルではありません（フォルダー）"_sj},
        {"loop-a.$O1", "リンクが循環しています"_sj},
        {"dangling.$O1", "リンク先が有りません"_sj},
    };
    for (const auto& row : rows) {
        const RunResult r = RunVextor({"/BATCH", (dir / row.name).string()}, dir);
        EXPECT_EQ(r.code, 3) << row.name << r.err;
        EXPECT_NE(r.err.find(Cp932ToUtf8(row.says)), std::string::npos) << r.err;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.$O1"));
}

// A name outside CP932 is the file of that name, not one whose name has
// "?" in place of the character.
TEST(BatchRun, ANameOutsideCp932IsThatFile) {
    const fs::path dir = FreshDir("name_outside_cp932");
    const fs::path data = WriteModel(*Portal(), dir, "caf\xC3\xA9.$O1");
    auto other = Portal();
    other->loadCases[1].loads[1].qI = 99;
    WriteModel(*other, dir, "caf?.$O1");
    const RunResult r = RunVextor({"/BATCH", data.string()}, dir);
    EXPECT_EQ(r.code, 0) << r.err;
    ExpectSixFiles(data, r, "caf\xC3\xA9");
    EXPECT_FALSE(fs::exists(dir / "caf?.F11"));
}

namespace {

// The portal analysed into dir as "p.$O1", its six result files kept in
// older, then the data file changed so that every file would differ.
bool AnalysedThenChanged(const fs::path& dir, std::array<std::string, 6>& older) {
    const fs::path data = WriteModel(*Portal(), dir, "p.$O1");
    if (RunVextor({"/BATCH", data.string()}, dir).code != 0) return false;
    for (int f = 0; f < 6; ++f) older[f] = ReadBytes(dir / ("p" + std::string(kExts[f])));
    auto changed = Portal();
    changed->loadCases[1].loads[1].qI = 45;  // other numbers in every file
    WriteModel(*changed, dir, "p.$O1");
    return true;
}

}  // namespace

// On a full disk the complete older result files stay; only files that
// were written whole take their place.
TEST(BatchRun, AFullDiskKeepsTheOlderResultFilesWhole) {
    const fs::path dir = FreshDir("full_disk");
    const fs::path data = dir / "p.$O1";
    std::array<std::string, 6> older;
    ASSERT_TRUE(AnalysedThenChanged(dir, older));
    const std::size_t limit = 1500;
    ASSERT_GT(older[4].size(), limit);  // the member-force files do not fit
    RunResult r;
    {
        const FileSizeLimit full(limit);
        r = RunVextor({"/BATCH", data.string()}, dir);
    }
    EXPECT_EQ(r.code, 3) << r.err;
    int kept = 0;
    for (int f = 0; f < 6; ++f) {
        const fs::path p = dir / ("p" + std::string(kExts[f]));
        const std::string now = ReadBytes(p);
        if (r.out.find(p.string() + "\n") != std::string::npos) {
            EXPECT_TRUE(now != older[f]) << kExts[f] << " was written anew";
        } else {
            EXPECT_TRUE(now == older[f]) << kExts[f] << " must stay whole";
            ++kept;
        }
    }
    EXPECT_GE(kept, 2);
    EXPECT_NE(r.err.find(Cp932ToUtf8("ファイルの大きさの上限を超えます"_sj)), std::string::npos)
        << r.err;
    int entries = 0;  // no temporaries left behind
    for (const auto& e : fs::directory_iterator(dir))
        entries += e.path().filename().string()[0] == '.';
    EXPECT_EQ(entries, 0);
}

// An analysis that runs out of memory (its work areas, or the blocks that
// map the pieces back) ends with code 3 and a message, and writes no
// result file: the older ones stay whole. Memory can only be taken away
// inside the process, so this runs the batch in the test itself.
TEST(BatchRun, AnAnalysisOutOfMemoryLeavesTheOlderResultFiles) {
    const fs::path dir = FreshDir("out_of_memory");
    const fs::path data = dir / "p.$O1";
    std::array<std::string, 6> older;
    ASSERT_TRUE(AnalysedThenChanged(dir, older));
    const struct {
        const char* what;
        std::function<void(bool)> starve;
    } cases[] = {
        {"work areas", [](bool on) { SetStiffnessAllocationLimit(on ? 1 : 0); }},
        {"mapping blocks", [](bool on) { SetMappingWorkBlockLimit(on ? 0 : -1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CommandLineOptions options;
        options.batchMode = true;
        options.fileName = Utf8ToCp932(data.string());
        testing::internal::CaptureStderr();
        c.starve(true);
        const int code = RunBatch(options);
        c.starve(false);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 3) << err;
        EXPECT_NE(err.find(Cp932ToUtf8("メモリーが足りません"_sj)), std::string::npos) << err;
        EXPECT_NE(err.find(Cp932ToUtf8("結果ファイルは書き換えていません"_sj)), std::string::npos)
            << err;
        for (int f = 0; f < 6; ++f)
            EXPECT_TRUE(ReadBytes(dir / ("p" + std::string(kExts[f]))) == older[f]) << kExts[f];
        int temporaries = 0;
        for (const auto& e : fs::directory_iterator(dir))
            temporaries += e.path().filename().string()[0] == '.';
        EXPECT_EQ(temporaries, 0);
    }
}

// Without a display the batch switch runs wherever it stands, also behind
// the file's name; a start for the window says that it cannot show one and
// ends with code 4 (it ended on the toolkit's abort, signal 6).
TEST(BatchRun, WithoutADisplayTheSwitchAnywhereRunsAndAWindowIsRefused) {
    struct Case {
        const char* what;
        bool switchFirst, withSwitch;
        int code;
    };
    const Case cases[] = {{"switch first", true, true, 0},
                          {"switch behind the name", false, true, 0},
                          {"no switch", false, false, 4}};
    for (const Case& c : cases) {
        const fs::path dir = FreshDir("display");
        const fs::path data = WriteModel(*Portal(), dir, "p.$O1");
        std::vector<std::string> args{data.string()};
        if (c.withSwitch) args.insert(c.switchFirst ? args.begin() : args.end(), "/BATCH");
        const RunResult r = RunVextor(args, dir);
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.err;
        if (c.code == 0) {
            ExpectSixFiles(data, r, c.what);
        } else {
            EXPECT_NE(r.err.find(Cp932ToUtf8("ウィンドウを表示できません"_sj)), std::string::npos)
                << r.err;
            ExpectNoResultFiles(data, c.what);
        }
    }
}

// One allocation fails, at every point of the batch run in turn (on the
// analysis's worker threads, in the extremes search, while the member-force
// files are written): the run either ends as a run without the failure
// does, or says that memory ran out and leaves every result file either as
// it was or complete and new. No file is committed with blocks the
// analysis never formed.
TEST(BatchRun, AnAllocationFailingAnywhereNeverCommitsAPartialFile) {
    const fs::path dir = FreshDir("failing_allocation");
    const fs::path data = dir / "p.$O1";
    std::array<std::string, 6> older, fresh;
    ASSERT_TRUE(AnalysedThenChanged(dir, older));
    CommandLineOptions options;
    options.batchMode = true;
    options.fileName = Utf8ToCp932(data.string());
    long left = 0;  // of the allocations allowed before the failure
    auto run = [&](long failAt, std::string& err) {
        for (int f = 0; f < 6; ++f)
            std::ofstream(dir / ("p" + std::string(kExts[f])), std::ios::binary) << older[f];
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        allocationsBeforeFailure = failAt;
        int code = -1;
        try {
            code = RunBatch(options);
        } catch (...) {
            code = -2;  // an exception left the run
        }
        left = allocationsBeforeFailure.exchange(-1);
        testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return code;
    };
    constexpr long kPlenty = 1L << 40;
    std::string err;
    ASSERT_EQ(run(kPlenty, err), 0) << err;
    const long allocations = kPlenty - left - 1;
    for (int f = 0; f < 6; ++f) fresh[f] = ReadBytes(dir / ("p" + std::string(kExts[f])));
    ASSERT_GT(allocations, 50);
    const long step = std::max(1L, allocations / 400);
    int failures = 0;
    for (long k = 0; k < allocations + 20; k += step) {
        const int code = run(k, err);
        SCOPED_TRACE("allocation " + std::to_string(k) + " of " + std::to_string(allocations));
        ASSERT_TRUE(code == 0 || code == 3) << code << err;
        if (code == 3) {
            ++failures;
            EXPECT_NE(err.find(Cp932ToUtf8("メモリーが足りません"_sj)), std::string::npos) << err;
        }
        for (int f = 0; f < 6; ++f) {
            const std::string now = ReadBytes(dir / ("p" + std::string(kExts[f])));
            if (code == 0)
                EXPECT_TRUE(now == fresh[f]) << kExts[f];
            else
                EXPECT_TRUE(now == fresh[f] || now == older[f]) << kExts[f] << " is a third file";
        }
        int temporaries = 0;
        for (const auto& e : fs::directory_iterator(dir))
            temporaries += e.path().filename().string()[0] == '.';
        EXPECT_EQ(temporaries, 0);
    }
    EXPECT_GT(failures, 0);
}
