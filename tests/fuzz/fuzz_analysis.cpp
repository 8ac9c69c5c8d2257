// libFuzzer target for the whole path of the batch run: any bytes read as
// a data file; a small model that passes validation is expanded and
// analysed by the program, and its result files are written by the
// program's writer into the temporary folder. With VEXTOR_FUZZ_COMPARE=1
// in the environment the tests' reference analysis and writer
// (tests/oracle) do the same and every result file must come out the same
// (slower: the reference clears the whole 350 MB results record each
// time). Models are kept small (two dozen nodes and members, a few cases)
// so that each input takes milliseconds.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/fast_result_files.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/result_files.h"
#include "model/validation.h"
#include "tests/fuzz/fuzz_util.h"
#include "tests/oracle/reference_analysis.h"
#include "tests/oracle/reference_result_files.h"

namespace {

bool Small(const FrameModel& m) {
    if (m.nodeCount > 24 || m.memberCount > 24 || m.loadCaseCount > 4 || m.combinationCount > 4)
        return false;
    if (m.supportCaseCount > 3 || m.springCaseCount > 2 || m.view1Count > 8 || m.view2Count > 8)
        return false;
    for (int c = 1; c <= m.loadCaseCount; ++c)
        if (m.loadCases[c].count > 12) return false;
    for (int c = 1; c <= m.springCaseCount; ++c)
        if (m.springCases[c].count > 8) return false;
    for (int k = 1; k <= m.view1Count; ++k)
        if (m.view1[k].divisions > 40) return false;
    return true;
}

// Where the program's and the reference's result files of this process go.
std::string ResultBase(bool ofReference) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/vextor_fuzz_" + std::to_string(getpid()) +
           (ofReference ? "_reference" : "_program");
}

void RemoveResultFiles() {
    for (const bool ofReference : {false, true})
        for (int f = 0; f < kSdkResultFileCount; ++f)
            std::remove((ResultBase(ofReference) + SdkResultExtensions()[f]).c_str());
}

// The six result files written by the program's writer (or the
// reference's), read back as one text.
std::string ResultFiles(const FrameResults& results, bool ofReference) {
    const std::string base = ResultBase(ofReference);
    const bool written = ofReference ? reference::WriteSdkResultFiles(results, base)
                                     : WriteSdkResultFiles(results, base);
    if (!written) {
        std::fprintf(stderr, "fuzz_analysis: cannot write the result files %s.*\n", base.c_str());
        std::abort();
    }
    std::string text;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        std::ifstream in(base + SdkResultExtensions()[f], std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        text += bytes.str() + "\f";
    }
    return text;
}

bool compare = false;

struct Records {
    std::unique_ptr<FrameModel> model = NewFrameModelRecord(), copy = NewFrameModelRecord();
    FrameResults* program = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    FrameResults* reference = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetEngineProgress([](const std::string&) {});
    SetEngineMessageSink([](const std::string&) {});
    const char* c = std::getenv("VEXTOR_FUZZ_COMPARE");
    compare = c && std::strcmp(c, "1") == 0;
    std::atexit(RemoveResultFiles);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Records r;
    if (!r.program || (compare && !r.reference)) std::abort();
    std::string warnings;
    ReadFrameDataFile(*r.model, InputLines(data, size), warnings);
    if (!warnings.empty() || !Small(*r.model) || !CheckFrameData(*r.model).empty()) return 0;
    // As the batch run does: a copy, rigid zones gone when switched off.
    auto copy = [&] {
        CopyFrameModel(*r.copy, *r.model);
        if (r.copy->rigidZoneSwitch == 0)
            for (int t = 1; t <= r.copy->memberCount; ++t)
                r.copy->members[t].rigidI = r.copy->members[t].rigidJ = 0;
        return r.copy.get();
    };
    const bool programOk = RunFrameAnalysis(*r.program, *copy(), false, false, 999);
    const std::string files = ResultFiles(*r.program, false);
    if (compare) {
        const bool referenceOk =
            reference::RunFrameAnalysis(*r.reference, *copy(), false, false, 999);
        if (programOk != referenceOk || ResultFiles(*r.reference, true) != files) std::abort();
    }
    return 0;
}
