// Where a test writes its files: a folder of its own for every test case,
// <build>/tests/output/<program>/<suite>.<case>/, made on first use. ctest
// runs every case as a process of its own and runs the cases of one
// program side by side, so no two cases may share a file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The running case's folder (UTF-8, no trailing "/"); outside a case (in a
// suite's set-up) the suite's folder, else the program's.
inline std::string CaseOutputDir() {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    std::string name;
    if (const ::testing::TestInfo* info = unit.current_test_info())
        name = std::string(info->test_suite_name()) + "." + info->name();
    else if (const ::testing::TestSuite* suite = unit.current_test_suite())
        name = suite->name();
    // Parameterised names hold "/" ("Fields/FormatMantExpTest.WritesColumns/3").
    for (char& c : name)
        if (c == '/') c = '_';
    const std::filesystem::path dir = std::filesystem::path(TEST_OUTPUT_ROOT) / TEST_PROGRAM / name;
    std::filesystem::create_directories(dir);
    return dir.string();
}
