// The calculation status window: shown over the main window while a
// calculation started by a person runs, its panel carrying every progress
// text; not shown for the automatic recalculation; taken down when the
// outside library fails. And the windows keep being painted while a
// companion program is waited for.
#include <sys/stat.h>

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/status_window.h"
#include "main_window_fixture.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "mouse_util.h"
#include "platform/process.h"
#include "platform/qt/memo.h"
#include "platform/qt/qt_bridge.h"
#include "platform/qt/string_grid.h"

namespace {

// What the status window showed when a progress text came.
struct Seen {
    std::string text;  // CP932, as the engine sent it
    bool visible = false;
    std::string panel;
    int left = 0, top = 0;
};

class StatusWindowTest : public MainWindowTest {
  protected:
    TFmMain& OpenPortal() {
        TFmMain& w = Open(CopyExample("portal.$O1"));
        w.AutoSave->SetChecked(false);
        w.Show();
        ProcessMessages();
        // Every progress text still reaches the window; the test looks on.
        auto shown = GetEngineProgress();
        SetEngineProgress([this, shown](const std::string& text) {
            shown(text);
            seen.push_back({text, FmExtSDK->Visible(), FmExtSDK->Msg->Caption(), FmExtSDK->Left(),
                            FmExtSDK->Top()});
            if (seen.size() == 2) {
                grab = FmExtSDK->Widget()->grab().toImage();
                // What the screen shows there, not what the window would
                // paint if asked.
                QWidget* sw = FmExtSDK->Widget();
                screen = QGuiApplication::primaryScreen()
                             ->grabWindow(0, sw->x(), sw->y(), sw->width(), sw->height())
                             .toImage();
            }
        });
        return w;
    }
    QPushButton* Button(const std::string& caption) {
        for (QPushButton* b : window->Widget()->findChildren<QPushButton*>())
            if (QStringToSjis(b->text()) == caption) return b;
        ADD_FAILURE() << "no button " << U(caption);
        return nullptr;
    }
    std::vector<Seen> seen;
    QImage grab;
    QImage screen;
};

}  // namespace

TEST_F(StatusWindowTest, ShowsTheProgressOfACalculationStartedWithTheButton) {
    TFmMain& w = OpenPortal();
    ASSERT_NE(FmExtSDK, nullptr);
    EXPECT_FALSE(FmExtSDK->Visible());
    const int expectTop = (w.Height() - TFmExtSDK::kClientHeight) / 3 + w.Top();
    const int expectLeft = (w.Width() - TFmExtSDK::kClientWidth) / 2 + w.Left();

    ClickMiddle(Button("計算実行"_sj));
    ASSERT_EQ(ResultData->memberCount, 3);

    // The driver's line, then one per load case of the portal's two.
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text.rfind("***  !! 計算中 部材数(展開数)"_sj, 0), 0u) << U(seen[0].text);
    EXPECT_NE(seen[2].text.find("[ 荷重ｹｰｽ  2 / 2 ]"_sj), std::string::npos) << U(seen[2].text);
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.visible);
        EXPECT_EQ(s.panel, s.text);
        EXPECT_EQ(s.top, expectTop);
        EXPECT_EQ(s.left, expectLeft);
    }
    // Done: the window goes, the last text stays in the status line too.
    EXPECT_FALSE(FmExtSDK->Visible());

    // What a person saw: a borderless strip above the other windows, the
    // orange panel inside its bevels, the title and version at the top left.
    QWidget* sw = FmExtSDK->Widget();
    EXPECT_TRUE(sw->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(sw->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_FALSE(grab.isNull());
    grab.save(QString::fromStdString((dir / "status_window.png").string()));
    EXPECT_EQ(grab.size(), QSize(TFmExtSDK::kClientWidth, TFmExtSDK::kClientHeight));
    EXPECT_EQ(grab.pixel(400, 80), qRgb(251, 219, 162));
    EXPECT_EQ(grab.pixel(0, 0), qRgb(255, 255, 255));      // raised outer edge
    EXPECT_EQ(grab.pixel(4, 40), qRgb(0x80, 0x80, 0x80));  // lowered inner edge
    int textPixels = 0;
    for (int x = 100; x < 700; ++x)
        if (qGray(grab.pixel(x, 47)) < 100) ++textPixels;
    EXPECT_GT(textPixels, 20);  // the progress text across the middle
    EXPECT_EQ(FmExtSDK->lbVersion->Caption(),
              "KVD 平面フレーム構造解析 "_sj + VersionDate + " 版"_sj);
    EXPECT_EQ(FmExtSDK->lbVersion->Left(), 11);
    EXPECT_EQ(FmExtSDK->lbVersion->Top(), 9);
    int blue = 0;
    for (int y = 9; y < 25; ++y)
        for (int x = 11; x < 200; ++x) {
            const QRgb p = grab.pixel(x, y);
            if (qBlue(p) > 180 && qRed(p) < 100) ++blue;
        }
    EXPECT_GT(blue, 20);
}

// While the engine works nothing else runs, so the window must be on the
// screen and painted before it starts: shown and left to the window
// system's next turn, it stayed a black strip until it was taken down.
TEST_F(StatusWindowTest, IsPaintedOnTheScreenWhileTheEngineWorks) {
    OpenPortal();
    ClickMiddle(Button("計算実行"_sj));
    ASSERT_EQ(seen.size(), 3u);
    ASSERT_FALSE(screen.isNull());
    screen.save(QString::fromStdString((dir / "status_window_on_screen.png").string()));
    EXPECT_EQ(screen.pixel(400, 80), qRgb(251, 219, 162));
    int textPixels = 0;
    for (int x = 100; x < 700; ++x)
        if (qGray(screen.pixel(x, 47)) < 100) ++textPixels;
    EXPECT_GT(textPixels, 20);
}

// F9 in a table calculates with the program's own engine, and the window
// shows as for the button. Before the first calculation it stands in the
// middle of the screen.
TEST_F(StatusWindowTest, F9InATableShowsItToo) {
    OpenPortal();
    const QRect screenRect = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(FmExtSDK->Left(), (screenRect.width() - TFmExtSDK::kClientWidth) / 2);
    EXPECT_EQ(FmExtSDK->Top(), (screenRect.height() - TFmExtSDK::kClientHeight) / 2);
    ClickCell(kSgPoint, 2, 2);
    PressKey(Qt::Key_F9);
    ASSERT_EQ(ResultData->memberCount, 3);
    ASSERT_EQ(seen.size(), 3u);
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.visible);
        EXPECT_EQ(s.panel, s.text);
    }
    EXPECT_FALSE(FmExtSDK->Visible());
}

TEST_F(StatusWindowTest, AutomaticRecalculationNeverShowsIt) {
    TFmMain& w = OpenPortal();
    w.CalcAuto->SetChecked(true);
    seen.clear();
    // A person types a digit into the node grid: it is recalculated.
    TStringGrid& g = w.Grid(kSgPoint);
    g.SetRow(2);
    g.SetCol(2);
    // (x 1 m keeps the beam's named point at 3 m within the beam.)
    QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QApplication::sendEvent(g.Widget(), &press);
    // The calculation follows once typing pauses.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !seen.empty(); }, 5000));
    for (const Seen& s : seen) EXPECT_FALSE(s.visible);
    EXPECT_FALSE(FmExtSDK->Visible());
}

TEST_F(StatusWindowTest, FailingOutsideLibraryTakesItDownAgain) {
    TFmMain& w = OpenPortal();
    // The library's button as if the library had been found; it is not
    // there, so the calculation fails with the library's message.
    w.CalcSDK->SetVisible(true);
    bool visibleAtMessage = false;
    SetMessageDlgHook([&](const std::string& text, TMsgDlgType, int) {
        messages.push_back(U(text));
        visibleAtMessage = FmExtSDK->Visible();
        return mrOk;
    });
    ClickMiddle(Button("SDKで計算"_sj));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(U("FRAME.エラー："_sj)), std::string::npos) << messages[0];
    EXPECT_TRUE(visibleAtMessage);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].text.rfind("!! 計算中  ["_sj, 0), 0u);
    EXPECT_TRUE(seen[0].visible);
    EXPECT_FALSE(FmExtSDK->Visible());
    EXPECT_EQ(ResultData->memberCount, 0);
}

namespace {
// A window that counts its paints.
class PaintCounter : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A shell script that runs body, made executable; its UTF-8 name.
std::string Script(const std::filesystem::path& file, const char* body) {
    std::ofstream(file) << "#!/bin/sh\n" << body;
    chmod(file.c_str(), 0755);
    return file.string();
}

void ShowAndSettle(PaintCounter& window) {
    window.resize(200, 100);
    window.show();
    ProcessMessages();
}
}  // namespace

TEST_F(StatusWindowTest, WaitingForACompanionProgramKeepsTheWindowsPainted) {
    OpenPortal();
    const std::string script = Script(dir / "companion.sh", "sleep 0.8\n");
    PaintCounter other;
    ShowAndSettle(other);
    // The program outlasts the start pause, so the wait checks on it a few
    // times. A repaint asked for is done during the wait; a timer (the main
    // window's start-up and redraw timer among them) waits until after it.
    const int paintsBefore = other.paints;
    other.update();
    int timerRuns = 0;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++timerRuns; });
    timer.start(10);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(RunProgramAndWait(Utf8ToCp932(script), "", false));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    EXPECT_GT(other.paints, paintsBefore);
    EXPECT_EQ(timerRuns, 0);
    EXPECT_GE(ms, kProgramStartPause);
    ProcessMessages();
    EXPECT_EQ(timerRuns, 1);  // due long ago, it runs at once
}

// A window that asks to be painted during the pause after the start is
// painted before the wait ends, also when the program has ended by then.
TEST_F(StatusWindowTest, ThePauseAfterTheStartKeepsTheWindowsPaintedToo) {
    OpenPortal();
    const std::string script = Script(dir / "quick.sh", "exit 0\n");
    PaintCounter other;
    ShowAndSettle(other);
    const int paintsBefore = other.paints;
    // Uncovered, say, a fifth of a second into the pause.
    std::thread uncover([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(kProgramStartPause / 5));
        QMetaObject::invokeMethod(
            &other, [&other] { other.update(); }, Qt::QueuedConnection);
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(RunProgramAndWait(Utf8ToCp932(script), "", false));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    uncover.join();
    EXPECT_GT(other.paints, paintsBefore);
    EXPECT_GE(ms, kProgramStartPause);
}
