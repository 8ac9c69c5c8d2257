#include "app/batch_run.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/fast_result_files.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/result_files.h"
#include "model/text_helpers.h"
#include "model/validation.h"
#include "platform/encoding.h"
#include "platform/file_replace.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

namespace {

// A CP932 text to the terminal, ending with a line feed.
void PrintLine(std::FILE* out, const std::string& cp932) {
    std::string text = Cp932ToUtf8(cp932);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
}

void ConnectEngineToStderr() {
    SetEngineProgress([](const std::string& text) { PrintLine(stderr, text); });
    SetEngineMessageSink([](const std::string& text) { PrintLine(stderr, text); });
}

// Reads the data file into FrameData; returns an exit code (kBatchOk when
// the model may be analysed).
int LoadAndCheck(const std::string& fileName) {
    std::string warnings;
    if (!ReadFrameDataFile(fileName, *FrameData, warnings)) {
        PrintLine(stderr,
                  warnings.empty()
                      ? FormatStr("計算条件ファイル %s が読めません！"_sj.c_str(), fileName.c_str())
                      : warnings);
        return kBatchMissingFile;
    }
    if (!warnings.empty()) {
        // A count beyond a table was cut: analysing the rest would give
        // results of a different model.
        PrintLine(stderr, warnings);
        return kBatchInvalidModel;
    }
    const std::string problems = CheckFrameData(*FrameData);
    if (!problems.empty()) {
        PrintLine(stderr, problems);
        return kBatchInvalidModel;
    }
    return kBatchOk;
}

// The failed names (one per line), each with why: a full disk, a
// write-protected file or folder, a FIFO in the way, a memory failure.
std::string WithReasons(const std::string& failed) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = failed.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string name = failed.substr(start, end - start);
        std::string cause = LastWriteFailure(name);
        if (cause.empty() && IsNonRegularFile(name)) cause = "通常のファイルではありません"_sj;
        out += name;
        if (!cause.empty()) out += " （"_sj + cause + "）"_sj;
        out += "\n";
    }
    return out;
}

int RunBatchSteps(const CommandLineOptions& options) {
    CurrentFileName = options.fileName;
    // A FIFO or a folder under the name is not read (reading a FIFO would
    // wait for a writer that may never come); what was wrong with the name
    // is said, not that it is missing.
    if (CurrentFileName.empty()) {
        const std::string* what = nullptr;
        switch (GetPathKind(options.triedName)) {
            case PathKind::Directory:
                what = &"計算条件ファイル %s は通常のファイルではありません（フォルダー）！"_sj;
                break;
            case PathKind::Other:
                what = &"計算条件ファイル %s は通常のファイルではありません（FIFO・デバイス）！"_sj;
                break;
            case PathKind::LinkLoop:
                what = &"計算条件ファイル %s はリンクが循環しています！"_sj;
                break;
            case PathKind::BrokenLink:
                what = &"計算条件ファイル %s はリンク先が有りません！"_sj;
                break;
            default:
                break;
        }
        if (what != nullptr) {
            PrintLine(stderr, FormatStr(what->c_str(), options.triedName.c_str()));
            return kBatchFailed;
        }
    }
    if (CurrentFileName.empty() || !FileExists(CurrentFileName)) {
        const std::string& name = CurrentFileName.empty() ? options.triedName : CurrentFileName;
        PrintLine(stderr, FormatStr("計算条件ファイル %s が有りません！"_sj.c_str(), name.c_str()));
        return kBatchMissingFile;
    }
    std::unique_ptr<FrameModel> live, copy;
    try {
        live = NewFrameModelRecord();
        copy = NewFrameModelRecord();
    } catch (const std::bad_alloc&) {
        PrintLine(stderr, "メモリーが足りません."_sj);
        return kBatchFailed;
    }
    FrameData = live.get();
    if (const int rc = LoadAndCheck(CurrentFileName); rc != kBatchOk) return rc;

    CopyFrameModel(*copy, *FrameData);
    if (copy->rigidZoneSwitch == 0 || options.sdk) {
        for (int t = 1; t <= copy->memberCount && t <= kMaxMembers; ++t) {
            copy->members[t].rigidI = 0;
            copy->members[t].rigidJ = 0;
        }
    }
    if (!AllocateFrameResults()) {
        PrintLine(stderr, "メモリーが足りません.(計算結果)"_sj);
        return kBatchFailed;
    }
    AnalysisReport report;
    const std::string base = ChangeFileExt(CurrentFileName, "");
    // The two member-force files, nearly all that is written, go out
    // while the analysis goes on.
    MemberForceFilesDuringAnalysis early(*ResultData, base);
    const bool ok = RunFrameAnalysis(*ResultData, *copy, false, options.sdk, options.packValue,
                                     &report, early.BlockFinal());
    if (!ok) {
        // Without the memory to finish, the results are not those of the
        // model: the older result files stay as they were.
        early.Abandon();
        PrintLine(stderr, "計算を終えられませんでした。結果ファイルは書き換えていません."_sj);
        FrameData = nullptr;
        return kBatchFailed;
    }
    if (!report.caseWarnings.empty()) {
        // A load case without a solution (a mechanism) or whose numbers are
        // no numbers: the results are not those of the model, and no file
        // is written as if they were.
        early.Abandon();
        PrintLine(stderr, report.caseWarnings);
        PrintLine(stderr, "計算を終えられませんでした。結果ファイルは書き換えていません."_sj);
        FrameData = nullptr;
        return kBatchFailed;
    }
    early.AnalysisOver();

    std::string failed;
    const bool written = WriteSdkResultFiles(*ResultData, base, &failed, early.Jobs());
    if (!written) PrintLine(stderr, "結果ファイルに保存できません:\n"_sj + WithReasons(failed));
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        const std::string name = base + SdkResultExtensions()[f];
        if (failed.find(name + "\n") == std::string::npos) PrintLine(stdout, name);
    }
    FrameData = nullptr;
    const bool clean = written && !report.expansionFellBack;
    return clean ? kBatchOk : kBatchFailed;
}

}  // namespace

int RunBatch(const CommandLineOptions& options) {
    ConnectEngineToStderr();
    // A failure the steps did not foresee still ends the run with a
    // message of what failed and the failure code; the result files that
    // were being written are abandoned by their writers.
    try {
        return RunBatchSteps(options);
    } catch (const std::bad_alloc&) {
        PrintLine(stderr, "メモリーが足りません."_sj);
    } catch (const std::exception& e) {
        PrintLine(stderr, "計算を続けられません.("_sj + e.what() + ")");
    }
    FrameData = nullptr;
    return kBatchFailed;
}
