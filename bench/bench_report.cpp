// Report benchmark: the print preview and the PDF of a large report, as the
// user waits for them. Reads a data file, analyses it as the calculate
// command does, then times
//   - composing the report and showing the preview's first page,
//   - scrolling the preview one page on,
//   - printing every page into a PDF file,
// and prints the page count, each time (best of the repeats), the core
// count and the load average.
//
//   bench_report [data file [repeats]]   default: the medium frame that
//                                        bench_engine --models writes
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/paths.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/printer.h"
#include "platform/sysutils.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double v = -1;
    in >> v;
    return v;
}

// The medium frame of the engine benchmark, written by it.
std::string DefaultModel() {
    const std::string folder = "/tmp/vextor_bench_report";
    const std::string file = folder + "/medium_frame.$O1";
    if (!FileExists(file)) {
        const std::string command =
            GetExeFolder() + "bench_engine --models " + folder + " >/dev/null";
        if (std::system(command.c_str()) != 0) return "";
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    StartApplication(argc, argv);
    const std::string file = argc > 1 ? argv[1] : DefaultModel();
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    std::string warnings;
    if (file.empty() || !ReadFrameDataFile(file, *model, warnings)) {
        std::fprintf(stderr, "bench_report: cannot read %s\n", file.c_str());
        return 1;
    }
    PrepareMemberLoads(*model);
    FrameResults* results = AllocateFrameResults();
    ClearFrameResults(*results);
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    *copy = *model;
    if (!RunFrameAnalysis(*results, *copy, false, false, 20)) {
        std::fprintf(stderr, "bench_report: the analysis failed\n");
        return 1;
    }
    SetResultPoints(*results, *model);

    TFmPriPrev window;
    window.Compose = [&] { return BuildCalculationReport(*model, results, nullptr); };
    window.Form.SetBounds(0, 0, 1000, 800);
    const std::string pdf = "/tmp/vextor_bench_report/report.pdf";
    SetPrintDialogHook([&](TPrinter& printer) {
        printer.SetPdfFile(pdf);
        return true;
    });
    double show = 1e9, scroll = 1e9, print = 1e9;
    for (int r = 0; r < repeats; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        window.FormShow(nullptr);
        ProcessMessages();
        show = std::min(show, Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        window.FormMouseWheel(-120);
        window.FormMouseWheel(-120);
        window.FormMouseWheel(-120);
        window.FormMouseWheel(-120);
        ProcessMessages();
        scroll = std::min(scroll, Seconds(t0));
        t0 = std::chrono::steady_clock::now();
        window.BtnPrintAllClick();
        print = std::min(print, Seconds(t0));
    }
    const int pages = 1 + window.ContentsPageCount() + window.BodyPageCount();
    std::printf("report of %s: %d pages (%d contents, %d body)\n", file.c_str(), pages,
                window.ContentsPageCount(), window.BodyPageCount());
    std::printf("  compose + first preview page  %8.3f s\n", show);
    std::printf("  one page on (4 wheel notches)  %8.3f s\n", scroll);
    struct stat st {};
    const long long bytes = stat(pdf.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    std::printf("  PDF of every page              %8.3f s  (%lld bytes)\n", print, bytes);
    std::printf("  best of %d; %u cores, load average %.2f\n", repeats,
                std::thread::hardware_concurrency(), LoadAverage());
    return 0;
}
