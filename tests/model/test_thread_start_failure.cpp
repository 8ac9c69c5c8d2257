// The analysis and its result files when threads cannot be started: with
// every number of threads from none up to all that are asked for, the
// batch run's way of working (member-force files written while the
// analysis forms the combinations) ends, and its six files equal those of
// the reference (tests/oracle), which starts no thread. A run that waits
// for ever is ended by a watchdog so that the test fails instead of
// hanging.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "model/analysis_driver.h"
#include "model/fast_result_files.h"
#include "model/fast_workers.h"
#include "model/frame_results.h"
#include "model/result_files.h"
#include "platform/sysutils.h"
#include "platform/thread_start.h"
#include "tests/case_output.h"
#include "tests/model/model_builder.h"
#include "tests/oracle/reference_analysis.h"
#include "tests/oracle/reference_result_files.h"

namespace {

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A continuous beam of 70 members over 71 supports (more members than
// one piece of a member-force file holds), three load cases and four
// combinations.
std::unique_ptr<FrameModel> Beam() {
    ModelBuilder b;
    b.Material(1, 2.0e8).Section(1, 0.02, 4.0e-4);
    constexpr int kMembers = 70;
    for (int n = 1; n <= kMembers + 1; ++n) {
        b.Node(n, 3.0 * (n - 1), 0);
        b.Support(1, n, n == 1 ? kSupportPin : kSupportRollerY);
    }
    for (int m = 1; m <= kMembers; ++m) b.Member(m, m, m + 1);
    b.Load(1, kLoadDistY, 1, -10, -10, 0, 0, kMembers);
    b.Load(2, kLoadConcY, 5, -40, 0, 1.5);
    b.Load(3, kLoadConcMoment, 33, 12, 0, 1.0);
    b.Combination(1, 1.0, {{1, 1.0}, {2, 1.0}})
        .Combination(2, 1.0, {{1, 1.2}, {3, 1.0}})
        .Combination(3, 0.9, {{2, 1.0}})
        .Combination(4, 1.0, {{1, 1.0}, {2, 1.0}, {3, 1.0}});
    auto m = NewFrameModelRecord();
    std::memcpy(m.get(), &b.model(), sizeof(FrameModel));
    return m;
}

// Aborts the process when not disarmed within the time: a wait that
// cannot end must fail the test, not hang it.
class Watchdog {
  public:
    explicit Watchdog(int seconds, std::string what)
        : what_(std::move(what)), thread_([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(seconds),
                                  [this] { return disarmed_; })) {
                  std::fprintf(stderr, "hung: %s\n", what_.c_str());
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            disarmed_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

  private:
    std::string what_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool disarmed_ = false;
    std::thread thread_;  // started directly: the starter under test may refuse
};

// The batch run's way: the member-force files start while the analysis
// runs, the rest follows it.
bool AnalyseAndWrite(const FrameModel& model, const std::string& base) {
    FrameResults& results = *AllocateFrameResults();
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    std::memcpy(copy.get(), &model, sizeof(FrameModel));
    MemberForceFilesDuringAnalysis early(results, base);
    const bool ok =
        RunFrameAnalysis(results, *copy, false, false, 999, nullptr, early.BlockFinal());
    early.AnalysisOver();
    return WriteSdkResultFiles(results, base, nullptr, early.Jobs()) && ok;
}

}  // namespace

TEST(ThreadStartFailure, EveryNumberOfStartableThreadsGivesTheReferenceFiles) {
    const std::string dir = CaseOutputDir() + "/thread_start_failure/";
    ForceDirectories(dir);
    const std::unique_ptr<FrameModel> model = Beam();
    {
        std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
        std::memcpy(copy.get(), model.get(), sizeof(FrameModel));
        FrameResults& results = *AllocateFrameResults();
        ASSERT_TRUE(reference::RunFrameAnalysis(results, *copy, false, false, 999));
        ASSERT_TRUE(reference::WriteSdkResultFiles(results, dir + "ref"));
    }
    // The pool's helpers (up to 15), two jobs of a writer and two
    // formatters each, the small files' thread, the streaming writers: 32
    // covers a failure at every one of them.
    for (int allowed = 0; allowed <= 32; ++allowed) {
        const ScopedThreadStarter starter(LimitedThreadStarter(allowed));
        RestartWorkerThreads();
        const std::string base = dir + "limit" + std::to_string(allowed);
        bool ok;
        {
            const Watchdog watchdog(60, "analysis with " + std::to_string(allowed) + " threads");
            ok = AnalyseAndWrite(*model, base);
        }
        EXPECT_TRUE(ok) << allowed << " threads";
        for (int f = 0; f < kSdkResultFileCount; ++f) {
            const std::string ext = SdkResultExtensions()[f];
            EXPECT_TRUE(ReadAll(dir + "ref" + ext) == ReadAll(base + ext))
                << ext << " with " << allowed << " threads";
            DeleteFile(base + ext);
        }
    }
    RestartWorkerThreads();  // later tests get the real threads again
}

// A job whose writer could start but none of its formatting threads, with
// a gate that only the calling thread opens (as the analysis does for the
// combination blocks): the job is started and finishes once the calling
// thread has opened the gate, instead of formatting on the calling thread
// and waiting there for blocks that thread has still to form.
TEST(ThreadStartFailure, AGatedJobWithoutFormattersFormatsWhenFinished) {
    const std::string dir = CaseOutputDir() + "/thread_start_failure/";
    ForceDirectories(dir);
    const std::unique_ptr<FrameModel> model = Beam();
    FrameResults& results = *AllocateFrameResults();
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    std::memcpy(copy.get(), model.get(), sizeof(FrameModel));
    ASSERT_TRUE(RunFrameAnalysis(results, *copy, false, false, 999));
    ASSERT_TRUE(reference::WriteSdkResultFiles(results, dir + "gated_ref"));
    const Watchdog watchdog(60, "gated job");
    BlockGate gate;
    MemberForceFileJob job;
    {
        const ScopedThreadStarter starter(LimitedThreadStarter(1));  // the writer only
        ASSERT_TRUE(job.Start(results, kResultCombinations, dir + "gated.F32", 2, &gate));
    }
    for (int k = 1; k <= results.comboCount; ++k) gate.Open(ComboBlockIndex(results, k));
    EXPECT_TRUE(job.Finish());
    EXPECT_TRUE(ReadAll(dir + "gated_ref.F32") == ReadAll(dir + "gated.F32"));
    // Without even the writer, nothing starts and the caller knows.
    const ScopedThreadStarter none(LimitedThreadStarter(0));
    MemberForceFileJob refused;
    EXPECT_FALSE(refused.Start(results, kResultCombinations, dir + "refused.F32", 2, &gate));
    EXPECT_FALSE(FileExists(dir + "refused.F32"));
}
