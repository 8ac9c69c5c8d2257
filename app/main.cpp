// Program entry. The command line decides between the batch run (no
// window, no Qt object) and the interactive program. The RC check windows
// sit in a library above the main window's, so their entry points are
// handed to it here.
#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/small_windows.h"
#include "app/window_hooks.h"
#include "model/analysis_driver.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/ui/rc_window.h"
#include "report/print_preview.h"

namespace {

// The RC window's own links to the program's preview, history window and
// input box, set once the window exists.
void ConnectRcWindow() {
    if (fmRCanal == nullptr || fmRCanal->OnPrintPreview) return;
    fmRCanal->OnPrintPreview = [] { ShowPrintPreview(); };
    fmRCanal->OnShowText = [](const std::string& text) { ShowChangeHistory(text); };
    fmRCanal->OnInputQuery = InputQuery;
}

void InstallWindowHooks() {
    WindowHooks.showRcWindow = [] {
        ShowRcWindow();
        ConnectRcWindow();
    };
    WindowHooks.refreshRcWindow = [] { RefreshRcWindowAfterCalculation(); };
    WindowHooks.selectRcMember = [](int combinationRow, int memberRow) { RcSelectMember(combinationRow, memberRow); };
    WindowHooks.rcWindowVisible = [] { return fmRCanal != nullptr && fmRCanal->Visible(); };
}

}  // namespace

int main(int argc, char** argv) {
    // Numbers are read and written with '.' whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.push_back(Utf8ToCp932(argv[i]));
        const CommandLineOptions options = ParseCommandLine(args);
        BatchMode = options.batchMode;
        CurrentFileName = options.fileName;
        // "<base>.bpr" in the working folder switches on the engine's dumps.
        DiagnosticDumpFlag = FileExists(GetExeBaseName() + ".bpr");
        DiagnosticDumpFolder = GetExeFolder();
        if (BatchMode) return RunBatch(options);
        InstallWindowHooks();
        return RunInteractive(argc, argv, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "?\n");
    }
    return kBatchFailed;
}
