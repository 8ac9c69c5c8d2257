// A main window for the tests: its ini file and data folder in a scratch
// folder, message boxes and file dialogs answered by the test, the timer
// stopped (the tests run its ticks).
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "model/frame_model.h"
#include "platform/encoding.h"
#include "platform/qt/dialogs.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

namespace fs = std::filesystem;

inline std::string U(const std::string& cp932) { return Cp932ToUtf8(cp932); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(TEST_OUTPUT_DIR) / (std::string(info->test_suite_name()) + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        SetMessageDlgHook([this](const std::string& text, TMsgDlgType, int) {
            messages.push_back(Cp932ToUtf8(text));
            return answer;
        });
        SetFileDialogHook([this](bool, const std::string&, std::string& name) {
            if (dialogAnswer.empty()) return false;
            name = Utf8ToCp932(dialogAnswer);
            return true;
        });
        SetKeyStateHook([](int) { return false; });
    }
    void TearDown() override {
        window.reset();
        SetMessageDlgHook(nullptr);
        SetFileDialogHook(nullptr);
        SetKeyStateHook(nullptr);
    }
    // A copy of an example data file in the scratch folder (UTF-8 path).
    std::string CopyExample(const std::string& name, const std::string& as = "") {
        const fs::path to = dir / (as.empty() ? name : as);
        fs::copy_file(fs::path(EXAMPLES_DIR) / name, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    // A window that has run its start-up ticks with fileName (UTF-8).
    TFmMain& Open(const std::string& fileName) {
        CommandLineOptions options;
        options.fileName = Utf8ToCp932(fileName);
        window = std::make_unique<TFmMain>(options);
        window->Timer1.SetEnabled(false);
        window->Timer1Timer();
        window->Timer1Timer();
        return *window;
    }
    // Types text into a cell and presses Enter, as a person would.
    void Type(GridId id, int col, int row, const std::string& utf8) {
        TStringGrid& g = window->Grid(id);
        g.SetRow(row);
        g.SetCol(col);
        g.SetCell(col, row, Utf8ToCp932(utf8));
        char key = 13;
        window->GridKeyPress(id, key);
    }
    static std::string ReadBytes(const std::string& path) {
        std::string bytes;
        ReadFileBytes(path, bytes);
        return bytes;
    }

    fs::path dir;
    std::unique_ptr<TFmMain> window;
    std::vector<std::string> messages;  // UTF-8
    int answer = mrOk;
    std::string dialogAnswer;  // UTF-8; empty = cancel
};
