// libFuzzer target for the whole path of the batch run: any bytes read as
// a data file; a small model that passes validation is expanded and
// analysed by the program's path, and its result files are formatted.
// With VEXTOR_FUZZ_COMPARE=1 in the environment the reference path
// analyses it too and every result file must come out the same (slower:
// the reference clears the whole 350 MB results record each time). Models
// are kept small (two dozen nodes and members, a few cases) so that each
// input takes milliseconds.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/progress.h"
#include "model/result_files.h"
#include "model/validation.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

bool Small(const FrameModel& m) {
    if (m.nodeCount > 24 || m.memberCount > 24 || m.loadCaseCount > 4 || m.combinationCount > 4) return false;
    if (m.supportCaseCount > 3 || m.springCaseCount > 2 || m.view1Count > 8 || m.view2Count > 8) return false;
    for (int c = 1; c <= m.loadCaseCount; ++c)
        if (m.loadCases[c].count > 12) return false;
    for (int c = 1; c <= m.springCaseCount; ++c)
        if (m.springCases[c].count > 8) return false;
    for (int k = 1; k <= m.view1Count; ++k)
        if (m.view1[k].divisions > 40) return false;
    return true;
}

// The six result files' text.
std::string ResultText(const FrameResults& results) {
    TStringList lines;
    std::string text;
    for (const int which : {kResultLoadCases, kResultCombinations}) {
        lines.Clear();
        WriteReactionFile(lines, results, which);
        WriteDisplacementFile(lines, results, which);
        WriteMemberForceFile(lines, results, which);
        text += lines.Text();
    }
    return text;
}

bool compare = false;

struct Records {
    std::unique_ptr<FrameModel> model = NewFrameModelRecord(), copy = NewFrameModelRecord();
    FrameResults* fast = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    FrameResults* reference = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetEngineProgress([](const std::string&) {});
    SetEngineMessageSink([](const std::string&) {});
    const char* c = std::getenv("VEXTOR_FUZZ_COMPARE");
    compare = c && std::strcmp(c, "1") == 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Records r;
    if (!r.fast || (compare && !r.reference)) std::abort();
    std::string warnings;
    ReadFrameDataFile(*r.model, InputLines(data, size), warnings);
    if (!warnings.empty() || !Small(*r.model) || !CheckFrameData(*r.model).empty()) return 0;
    // As the batch run does: a copy, rigid zones gone when switched off.
    auto analyse = [&](EnginePath path, FrameResults& results) {
        SetEnginePath(path);
        CopyFrameModel(*r.copy, *r.model);
        if (r.copy->rigidZoneSwitch == 0)
            for (int t = 1; t <= r.copy->memberCount; ++t) r.copy->members[t].rigidI = r.copy->members[t].rigidJ = 0;
        return RunFrameAnalysis(results, *r.copy, false, false, 999);
    };
    const bool fastOk = analyse(EnginePath::kFast, *r.fast);
    const std::string files = ResultText(*r.fast);
    if (compare) {
        const bool referenceOk = analyse(EnginePath::kReference, *r.reference);
        if (fastOk != referenceOk || ResultText(*r.reference) != files) std::abort();
    }
    return 0;
}
