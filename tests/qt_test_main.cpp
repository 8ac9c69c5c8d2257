// Main for the Qt tests: a headless application with a fixed DPI, so that
// drawings and window sizes do not depend on the machine running them.
#include <QApplication>
#include <clocale>
#include <cstdlib>

#include <gtest/gtest.h>

// Under the sanitizer preset, leak reports are switched off for the window
// tests only: fontconfig and Qt keep their caches until the process ends, and
// the program's forms, like the class library's, live for the whole run, so
// the tests that create and drop forms would report what the program never
// frees by design. Address and undefined-behaviour checks stay on.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_FONT_DPI", "96", 1);
    QApplication app(argc, argv);
    // Qt sets the C locale from the environment; numbers must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
