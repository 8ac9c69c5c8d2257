// Main for the Qt tests: a headless application with a fixed DPI, so that
// drawings and window sizes do not depend on the machine running them.
#include <QApplication>
#include <clocale>
#include <cstdlib>

#include <gtest/gtest.h>

// Under the sanitizer preset the window tests look for leaks like every
// other test: a form owns its controls, and the windows that live for the
// run stay reachable through their globals. Only fontconfig's font cache,
// which it never frees, is not reported; it is allocated inside fontconfig,
// so no allocation of ours can hide behind this.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_FONT_DPI", "96", 1);
    QApplication app(argc, argv);
    // Qt sets the C locale from the environment; numbers must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
