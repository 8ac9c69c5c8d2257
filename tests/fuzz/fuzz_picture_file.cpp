// libFuzzer target for the picture files a report template names: any
// bytes, decoded as a JPEG through libjpeg and read as a bitmap file, must
// neither crash nor overrun, and a picture that is refused leaves the
// bitmap as it was. Runs Qt headless.
#include <QApplication>

#include <clocale>
#include <cstdlib>

#include "platform/qt/bitmap.h"
#include "platform/qt/picture_file.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    // Qt's image reader warns about every damaged picture; the run is
    // judged by crashes and the sanitizers, and the warnings only slow it.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& jpeg = ScratchFile(".jpg");
    WriteScratch(jpeg, data, size);
    TBitmap picture(3, 2);
    if (!DecodeJpegFile(jpeg, picture) && (picture.Width() != 3 || picture.Height() != 2))
        std::abort();
    TBitmap other(3, 2);
    if (!other.LoadFromFile(jpeg) && (other.Width() != 3 || other.Height() != 2)) std::abort();
    return 0;
}
