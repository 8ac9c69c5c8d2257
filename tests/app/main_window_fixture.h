// A main window for the tests: its ini file and data folder in a scratch
// folder, message boxes and file dialogs answered by the test, the timer
// stopped (the tests run its ticks). The window is shown and active, and
// the helpers below use it as a person does: clicks on what is under the
// mouse, keys to the widget that has the keyboard focus.
#pragma once
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

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
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_window.h"
#include "tests/case_output.h"

namespace fs = std::filesystem;

inline std::string U(const std::string& cp932) { return Cp932ToUtf8(cp932); }

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(CaseOutputDir());
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
        // The RC check windows live for the run; the next test starts
        // without them on screen.
        if (fmSection && fmSection->Visible()) fmSection->Close();
        if (fmRCanal && fmRCanal->Visible()) fmRCanal->Close();
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
    // A window that has run its start-up ticks with fileName (UTF-8),
    // shown and active.
    TFmMain& Open(const std::string& fileName) {
        CommandLineOptions options;
        options.fileName = Utf8ToCp932(fileName);
        window = std::make_unique<TFmMain>(options);
        window->Timer1.SetEnabled(false);
        window->Timer1Timer();
        window->Timer1Timer();
        window->Show();
        window->Widget()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
        return *window;
    }
    // The portal example opened and its window painted.
    TFmMain& OpenPortal() {
        TFmMain& w = Open(CopyExample("portal.$O1"));
        w.Show();
        ProcessMessages();
        return w;
    }

    // --- a person's input ---------------------------------------------------
    // A left click at a point of a widget.
    static void Click(QWidget* widget, QPoint at) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    }
    // A double-click: press, release, and the second press that the window
    // system reports as a double-click.
    static void DoubleClick(QWidget* widget, QPoint at) {
        Click(widget, at);
        const QPointF p(at), global(widget->mapToGlobal(at));
        QMouseEvent second(QEvent::MouseButtonDblClick, p, global, Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(widget, &second);
        QMouseEvent release(QEvent::MouseButtonRelease, p, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(widget, &release);
    }
    // A click on a cell of a grid (on a tab that is showing).
    void ClickCell(GridId id, int col, int row) {
        TStringGrid& g = window->Grid(id);
        QWidget* client = g.ClientWidget();
        ASSERT_TRUE(client->isVisible()) << "grid " << id << " is not showing";
        // A row out of sight is brought into it with the mouse wheel.
        for (int turns = 0; turns < 200; ++turns) {
            const TRect now = g.CellRect(col, row);
            const int step = now.bottom > client->height() ? -120
                             : now.top < g.RowHeight(0)    ? 120
                                                           : 0;
            if (step == 0) break;
            const QPointF at(client->width() / 2.0, client->height() / 2.0);
            QWheelEvent wheel(at, client->mapToGlobal(at), QPoint(), QPoint(0, step), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(client, &wheel);
        }
        const TRect r = g.CellRect(col, row);
        ASSERT_LE(r.bottom, client->height()) << "row " << row << " is scrolled out of sight";
        Click(client, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // A click on the tab of a page.
    void ClickTab(int tab) {
        QTabBar* bar = window->Page1->Widget()->findChild<QTabBar*>();
        ASSERT_NE(bar, nullptr);
        Click(bar, bar->tabRect(tab).center());
    }
    // A click on the button or check box with this caption (UTF-8).
    void ClickButton(const std::string& caption) {
        for (QAbstractButton* b : window->Widget()->findChildren<QAbstractButton*>())
            if (b->text() == QString::fromUtf8(caption) && b->isVisible()) {
                Click(b, b->rect().center());
                return;
            }
        ADD_FAILURE() << "no button " << caption;
    }
    // Clicks RC照査... (which opens the RC check window, and on its first
    // show the section settings window) and comes back to the main window,
    // as a person does who glances at the RC check and works on in the
    // main window.
    void OpenRcWindow() {
        ClickButton(U("RC照査..."_sj));
        ASSERT_NE(fmRCanal, nullptr);
        ASSERT_TRUE(fmRCanal->Visible());
        window->Widget()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    }
    // Clicks ファイル and then the item of its menu.
    void ChooseFileMenu(const std::string& item) {
        QLabel* file = nullptr;
        for (QLabel* l : window->Widget()->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(U("ファイル"_sj))) file = l;
        ASSERT_NE(file, nullptr);
        Click(file, file->rect().center());
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromUtf8(item)) {
                Click(menu, menu->actionGeometry(a).center());
                // The window is active again once the menu has closed (the
                // offscreen platform does not hand the activation back).
                if (window && window->Widget()->isVisible()) {
                    window->Widget()->activateWindow();
                    EXPECT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
                }
                return;
            }
        ADD_FAILURE() << "no menu item " << item;
    }
    // Files dropped on the window (UTF-8 paths), in this order.
    void DropFiles(const std::vector<std::string>& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
        mime.setUrls(urls);
        QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application passes drop events only
        // while a drag of its own is going on.
        static_cast<QObject*>(window->Widget())->event(&drop);
    }
    // A key pressed and released on the widget that has the keyboard focus.
    static void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                         const QString& text = {}) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr) << "no widget has the keyboard focus";
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target,
                                &release);
    }
    // Characters typed one by one (UTF-8), each to the focused widget.
    static void TypeText(const std::string& utf8) {
        for (const QChar c : QString::fromUtf8(utf8)) {
            int key = 0;
            if (c.isDigit())
                key = Qt::Key_0 + c.digitValue();
            else if (c >= QChar('a') && c <= QChar('z'))
                key = Qt::Key_A + (c.unicode() - 'a');
            else if (c >= QChar('A') && c <= QChar('Z'))
                key = Qt::Key_A + (c.unicode() - 'A');
            else if (c == QChar('.'))
                key = Qt::Key_Period;
            else if (c == QChar('-'))
                key = Qt::Key_Minus;
            else if (c == QChar(' '))
                key = Qt::Key_Space;
            PressKey(key, Qt::NoModifier, QString(c));
        }
    }
    static void PressEnter() { PressKey(Qt::Key_Return, Qt::NoModifier, "\r"); }
    // Values typed into the focused grid, each followed by Enter.
    static void TypeEntries(const std::vector<std::string>& values) {
        for (const std::string& v : values) {
            TypeText(v);
            PressEnter();
        }
    }
    // Types text into a cell and presses Enter, as a person would: a click
    // on the cell, the keys, Enter.
    void Type(GridId id, int col, int row, const std::string& utf8) {
        ClickCell(id, col, row);
        TypeText(utf8);
        PressEnter();
    }
    // The grid that has the keyboard focus (its editor included), or null.
    TStringGrid* FocusedGrid() const {
        for (int i = 0; i < kGridCount; ++i)
            if (window->Grids.grid[i]->Focused()) return window->Grids.grid[i];
        return nullptr;
    }

    // Lets the window's events run until cond holds (at most 5 s), as the
    // calculation that 逐次計算 makes once typing pauses needs; true when
    // it came to hold.
    template <class Cond>
    static bool WaitFor(Cond cond) {
        return QTest::qWaitFor(cond, 5000);
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
