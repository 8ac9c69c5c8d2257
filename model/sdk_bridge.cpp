// Finding the outside product, running its calculation and bringing the
// results back.
#include "model/sdk_bridge.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/result_files.h"
#include "model/sdk_file_class.h"
#include "platform/assertions.h"
#include "platform/dynlib.h"
#include "platform/process.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

std::string ProductFolder;
std::string SdkFolder;
std::string ExternalProgramFolder;
FR_SDK_MAINDATA SdkMainData;

namespace {

// The library with its three entry points, loaded on first use and kept.
// It is loaded again only when the library's folder has changed.
struct SdkLibraryState {
    TDynLib lib;
    std::string path;
    FrameCalcProc frameCalc = nullptr;
    FrameErrProc frameErr = nullptr;
    FrameResMemFreeProc frameResMemFree = nullptr;
    bool Ready() const { return frameCalc && frameErr && frameResMemFree; }
};
SdkLibraryState SdkLibrary;

constexpr const char* kCompanionProgram = "@@@Vextor1S.exe";
constexpr int kExternalPointCapacity = 999;  // every point the library gave
constexpr int kExternalDivisions = 20;

std::string WithSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

void ShowFrameError(const std::string& text) { EngineMessage("FRAME.エラー：\n"_sj + text); }

// Every entry point must be there before any is called: a library without
// one counts as not installed.
bool EnsureSdkLibrary() {
    const std::string path = SdkFolder + "FrameSDK.dll";
    if (SdkLibrary.Ready() && SdkLibrary.path == path) return true;
    SdkLibrary = SdkLibraryState{};
    if (!SdkLibrary.lib.Load(path)) return false;
    SdkLibrary.frameCalc = reinterpret_cast<FrameCalcProc>(SdkLibrary.lib.Symbol("FrameCalc"));
    SdkLibrary.frameResMemFree =
        reinterpret_cast<FrameResMemFreeProc>(SdkLibrary.lib.Symbol("FrameResMemFree"));
    SdkLibrary.frameErr = reinterpret_cast<FrameErrProc>(SdkLibrary.lib.Symbol("FrameErr"));
    if (!SdkLibrary.Ready()) {
        SdkLibrary = SdkLibraryState{};
        return false;
    }
    SdkLibrary.path = path;
    return true;
}

// Result files an earlier run left beside the data file must not be taken
// for this run's results.
void DeleteStaleResultFiles(const std::string& dataFile) {
    const std::vector<std::string> names = ExternalResultFileNames(dataFile);
    for (const std::string& name : names) DeleteFile(name);
    // ".F33" beside ".F31", which the program does not read back but a
    // person may open, and the other files of the library's set.
    std::string combined = names[0];
    combined.back() = '3';
    DeleteFile(combined);
    DeleteExtraResultFiles(dataFile);
}

// One range over every member number, 20 divisions each: the same points
// as one range per member, and it always fits the table.
void SetExternalViewRanges(FrameModel& model) {
    const int n = CheckedCount(model.memberCount, kMaxMembers);
    model.view1Count = 0;
    if (n == 0) return;
    int lo = model.members[1].no, hi = model.members[1].no;
    for (int m = 2; m <= n; ++m) {
        lo = std::min(lo, model.members[m].no);
        hi = std::max(hi, model.members[m].no);
    }
    model.view1[1] = View1Range{lo, hi, kExternalDivisions};
    model.view1Count = 1;
}

}  // namespace

std::vector<std::string> DefaultProductFolderCandidates() {
    const char* home = std::getenv("HOME");
    const std::string user = home != nullptr ? WithSlash(home) : std::string("/root/");
    return {"/opt/OUTVENDOR/FrameIn4/", "/usr/local/OUTVENDOR/FrameIn4/",
            user + ".local/share/OUTVENDOR/FrameIn4/", "/usr/local/OUTVENDOR/FrameIn5/",
            "/opt/OUTVENDOR/FrameIn5/"};
}

std::vector<std::string> DefaultSdkFolderCandidates() {
    return {"/opt/FRAME_SDK/", "/opt/FRAME_SDK1.1/"};
}

bool LocateExternalEngine(const std::string& programFolder) {
    return LocateExternalEngine(programFolder, DefaultProductFolderCandidates(),
                                DefaultSdkFolderCandidates());
}

bool LocateExternalEngine(const std::string& programFolder,
                          const std::vector<std::string>& productCandidates,
                          const std::vector<std::string>& sdkCandidates) {
    ExternalProgramFolder = WithSlash(programFolder);
    ProductFolder.clear();
    SdkFolder.clear();
    TStringList text;
    if (text.LoadFromFile(ExternalProgramFolder + "EXTFRAME.txt")) {
        if (text.Count() >= 1 && !Trim(text[0]).empty()) ProductFolder = WithSlash(Trim(text[0]));
        if (text.Count() >= 2 && !Trim(text[1]).empty()) SdkFolder = WithSlash(Trim(text[1]));
    }
    if (ProductFolder.empty() || !DirectoryExists(ProductFolder))
        for (const std::string& c : productCandidates)
            if (DirectoryExists(c)) ProductFolder = WithSlash(c);
    if (SdkFolder.empty() || !DirectoryExists(SdkFolder))
        for (const std::string& c : sdkCandidates)
            if (DirectoryExists(c)) SdkFolder = WithSlash(c);
    return !ProductFolder.empty() && DirectoryExists(ProductFolder) && !SdkFolder.empty() &&
           DirectoryExists(SdkFolder);
}

std::string CallFrameSDKDll(const std::string& dataFile) {
    std::string error;
    const std::string frameIn = ProductFolder + "FrameIn.exe";
    if (!EnsureSdkLibrary()) {
        error = "EXTFRAME SDK がインストールされていません．"_sj + "\n･･･"_sj + SdkFolder +
                "FrameSDK.dll が有りません．"_sj;
    } else if (!FileExists(frameIn)) {
        error = "EXTFRAMEがインストールされていません．"_sj + "\n･･･"_sj + frameIn +
                " が有りません．"_sj;
    } else {
        auto file = std::make_unique<TFrameFileClass>();
        bool loaded = false;
        try {
            loaded = file->LoadFromFile(dataFile, SdkMainData);
        } catch (const std::exception&) {
            loaded = false;
        }
        if (!loaded) {
            error = dataFile + "を正常に読めません"_sj;
        } else {
            FR_SDK_MAINRES* result = SdkLibrary.frameCalc(ProductFolder.c_str(), &SdkMainData);
            if (result != nullptr) {
                bool saved = false;
                try {
                    saved = file->SaveToFile(ChangeFileExt(dataFile, ""), result);
                } catch (const std::exception&) {
                    saved = false;
                }
                if (!saved) error = dataFile + "に保存できません"_sj;
                SdkLibrary.frameResMemFree(result);
            } else {
                char* message = nullptr;
                const int code = SdkLibrary.frameErr(&message);
                error = "[" + std::to_string(code) + "] " + (message != nullptr ? message : "");
            }
        }
    }
    if (!error.empty()) {
        ShowFrameError(error);
        return error;
    }
    // The library may have moved the current folder.
    if (!ExternalProgramFolder.empty()) SetCurrentDir(ExternalProgramFolder);
    return error;
}

std::string RunExternalCalculation(const std::string& dataFile) {
    EngineProgress("!! 計算中  ["_sj + dataFile + "]");
    const std::string backup = ChangeFileExt(dataFile, ".bak");
    std::string text;
    const bool haveText = ReadFileBytes(dataFile, text);
    DeleteFile(backup);
    DeleteStaleResultFiles(dataFile);

    std::string error;
    const std::string companion = ExternalProgramFolder + kCompanionProgram;
    if (!ExternalProgramFolder.empty() && FileExists(companion)) {
        // The name is quoted so that a folder with blanks stays one argument.
        RunProgramAndWait(companion, "/@SDK \"" + dataFile + "\"", false);
        // The companion reports nothing itself: without the member forces
        // it has failed.
        const std::string forces = ExternalResultFileNames(dataFile)[0];
        if (!FileExists(forces)) {
            error = forces + "を正常に読めません"_sj;
            ShowFrameError(error);
        }
    } else {
        error = CallFrameSDKDll(dataFile);
    }
    if (error.empty() && haveText) WriteFileBytes(backup, text);
    return error;
}

namespace {

// The status window is up for exactly the time of one external calculation,
// whichever way it ends.
class StatusWindowShown {
  public:
    StatusWindowShown() { ShowEngineStatusWindow(true); }
    ~StatusWindowShown() { ShowEngineStatusWindow(false); }
    StatusWindowShown(const StatusWindowShown&) = delete;
    StatusWindowShown& operator=(const StatusWindowShown&) = delete;
};

}  // namespace

bool CalculateWithExternalEngine(FrameResults& results, const std::string& dataFile,
                                 FrameModel& model) {
    const StatusWindowShown shown;
    SetExternalViewRanges(model);
    std::unique_ptr<FrameModel> copy;
    try {
        copy = NewFrameModelRecord();
    } catch (const std::bad_alloc&) {
        EngineMessage("メモリーが足りません.(剛域展開)"_sj);
        model.view1Count = 0;
        return false;
    }
    // The library takes member springs as they are, and its points are the
    // equal divisions of the range above (view-division point mode).
    const ExpansionResult expansion = ExpandFrameModel(*copy, model, false, true);
    if (expansion.report.loadOverflowCase != 0) {
        ShowFrameError(LoadOverflowMessage(expansion.report.loadOverflowCase));
        model.view1Count = 0;
        return false;
    }
    if (!WriteFrameDataFile(dataFile, *copy)) {
        ShowFrameError(dataFile + "に保存できません"_sj);
        model.view1Count = 0;
        return false;
    }
    if (!RunExternalCalculation(dataFile).empty()) {
        model.view1Count = 0;
        return false;
    }
    ReadExternalResults(results, dataFile);
    DeleteExtraResultFiles(dataFile);
    // Results that do not cover the load cases of the model cannot be
    // mapped onto it.
    if (results.doneCaseCount != copy->loadCaseCount || results.memberCount != copy->memberCount) {
        ClearFrameResults(results);
        ShowFrameError(ExternalResultFileNames(dataFile)[0] + "を正常に読めません"_sj);
        model.view1Count = 0;
        return false;
    }
    results.caseCount = model.loadCaseCount;
    results.comboCount = model.combinationCount;
    results.combosIndex = results.caseCount + 1;
    if (!CollapseExpandedResults(results, *copy, model, true, false, kExternalPointCapacity)) {
        ClearFrameResults(results);
        model.view1Count = 0;
        return false;
    }
    CopyExternalReactions(results, model);
    copy.reset();
    model.view1Count = 0;
    return true;
}
