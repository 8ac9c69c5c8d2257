// libFuzzer target for the figure-file (".KRV") reader: any bytes, drawn as
// a figure file into a recorded report page and fitted onto a canvas, must
// neither crash nor overrun. Runs Qt headless.
#include <QApplication>

#include <clocale>
#include <cstdlib>

#include "platform/qt/bitmap.h"
#include "report/figure_file.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_lines.h"
#include "report/report_run.h"
#include "report/text_draw.h"
#include "tests/fuzz/fuzz_util.h"

// fontconfig keeps what it allocates for its caches until the process
// ends; that is not a leak of the reader's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_FONT_DPI", "96", 1);
    static QApplication app(*argc, *argv);
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& file = ScratchFile(".KRV");
    WriteScratch(file, data, size);
    // A recorded report page, as the report's picture command draws it.
    static TBitmap page(1800, 2700);
    G_SetDevice(&page, 0, 0, 0, 2);
    G_SetWindow(0, 0, 180, 270, 0, 0, 180, 270);
    PoolRecording = true;
    PoolClear();
    PoolSelectPage(0);
    ResetReportRun();
    SetFontMm(3.6, 1.8, 0, 0);
    G_DrawKRV_18mX9m(40, file);
    // Fitted onto a small canvas, as the busy window draws it.
    PoolRecording = false;
    static TBitmap canvas(64, 48);
    DrawFigureFileFitted(&canvas.Canvas(), 0xD0E0E0, file);
    return 0;
}
