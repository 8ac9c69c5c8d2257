// Program entry. The command line decides between the batch run (no
// window, no Qt object) and the interactive program.
#include <signal.h>

#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "model/analysis_driver.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/sysutils.h"

int main(int argc, char** argv) {
    // Numbers are read and written with '.' whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    // A file-size limit makes a write fail (EFBIG) instead of ending the
    // process, so a save beyond it is reported like a full disk and the
    // window with its edits stays.
    signal(SIGXFSZ, SIG_IGN);
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.push_back(FileNameFromOs(argv[i]));
        const CommandLineOptions options = ParseCommandLine(args);
        BatchMode = options.batchMode;
        CurrentFileName = options.fileName;
        // "<base>.bpr" in the working folder switches on the engine's dumps.
        DiagnosticDumpFlag = FileExists(GetExeBaseName() + ".bpr");
        DiagnosticDumpFolder = GetExeFolder();
        if (BatchMode) return RunBatch(options);
        return RunInteractive(argc, argv, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "?\n");
    }
    return kBatchFailed;
}
