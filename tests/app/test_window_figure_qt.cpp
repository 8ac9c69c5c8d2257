// The figure inside the main window: painted after a calculation, picking a
// member with the mouse, wheel zoom about the mouse, the switches, and the
// figure's load copy kept current while editing.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>

#include "app/figure_view.h"
#include "main_window_fixture.h"
#include "model/frame_results.h"
#include "platform/qt/string_grid.h"
#include "report/graphics.h"

namespace {

class WindowFigure : public MainWindowTest {
  protected:
    QWidget* Surface() { return window->Paint1->Widget(); }
    // Pixel of a world point (m) in the current view.
    QPoint Device(double x, double y) {
        G_RestoreState(FigureView.state);
        return QPoint(static_cast<int>(std::lround(WorldToDevX(x))),
                      static_cast<int>(std::lround(WorldToDevY(y))));
    }
    void World(QPoint p, double& x, double& y) {
        G_RestoreState(FigureView.state);
        x = DevToWorldX(p.x());
        y = DevToWorldY(p.y());
    }
    double PixelsPerMetre() {
        G_RestoreState(FigureView.state);
        return std::fabs(WorldLenToDevX(1.0));
    }
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(p), QPointF(Surface()->mapToGlobal(p)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(Surface(), &e);
    }
    void Click(QPoint p) {
        Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    void Wheel(QPoint p, int delta) {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
        FigureView.wheelSkip = 0;  // a slow debug repaint must not swallow the step
        QWheelEvent e(QPointF(p), QPointF(Surface()->mapToGlobal(p)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Surface(), &e);
    }
    QImage Grab() { return Surface()->grab().toImage(); }
    // Pixels in a (2r+1)-square around p that are not the figure's
    // background (0xD0E0E0 in BGR).
    static int Drawn(const QImage& img, QPoint p, int r = 2) {
        int n = 0;
        for (int y = p.y() - r; y <= p.y() + r; ++y)
            for (int x = p.x() - r; x <= p.x() + r; ++x)
                if (img.valid(x, y) && img.pixel(x, y) != qRgb(0xE0, 0xE0, 0xD0)) ++n;
        return n;
    }
};

}  // namespace

TEST_F(WindowFigure, PortalIsDrawnWithSupportsAndAfterCalculationTheMomentDiagram) {
    TFmMain& w = OpenPortal();
    ASSERT_GT(w.Paint1->Width(), 300);
    ASSERT_GT(w.Paint1->Height(), 300);
    QImage before = Grab();
    before.save(QString::fromStdString((dir / "figure_before.png").string()));
    // Members of the portal: both columns and the beam.
    for (QPoint p : {Device(0, 2), Device(3, 4), Device(6, 2)})
        EXPECT_GT(Drawn(before, p), 0) << p.x() << "," << p.y();
    // Empty inside the frame.
    EXPECT_EQ(Drawn(before, Device(3, 1.5), 1), 0);
    // The supports of case 1 are drawn at start: their glyphs (16 px high)
    // stand 4.6 mm below nodes 1 and 4, below the node numbers.
    const int glyph = static_cast<int>(4.6 * w.Paint1->Width() / 180.0) + 8;
    EXPECT_GT(Drawn(before, Device(0, 0) + QPoint(0, glyph), 3), 0);
    EXPECT_GT(Drawn(before, Device(6, 0) + QPoint(0, glyph), 3), 0);
    // With the loads of case 1 on: a picture for a person.
    ClickButton(U("荷 重"_sj));
    Grab().save(QString::fromStdString((dir / "figure_loads.png").string()));

    ClickButton(U("計算実行"_sj));
    ASSERT_GT(ResultData->memberCount, 0);
    ProcessMessages();
    // No diagram was chosen, so the moment diagram is switched on.
    EXPECT_TRUE(w.fgForceMz->Checked());
    EXPECT_TRUE(DisplaySwitches.ForceM());
    w.Paint1Paint();
    const QImage after = Grab();
    after.save(QString::fromStdString((dir / "figure_moment.png").string()));
    w.Widget()->grab().toImage().save(QString::fromStdString((dir / "window_moment.png").string()));
    // The combination's diagram is drawn in 0x800000 (BGR): dark blue.
    int navy = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const QColor c = after.pixelColor(x, y);
            if (c.red() < 60 && c.green() < 60 && c.blue() > 90 && c.blue() < 170) ++navy;
        }
    EXPECT_GT(navy, 100);
    int navyBefore = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QColor c = before.pixelColor(x, y);
            if (c.red() < 60 && c.green() < 60 && c.blue() > 90 && c.blue() < 170) ++navyBefore;
        }
    EXPECT_LT(navyBefore, navy / 4);
}

TEST_F(WindowFigure, ClickOnAMemberSelectsItsRow) {
    TFmMain& w = OpenPortal();
    ClickButton(U("計算実行"_sj));
    ProcessMessages();
    ASSERT_EQ(CurrentSelection.memberFirst, 0);  // the calculation cleared it
    Click(Device(3, 4) + QPoint(0, 3));          // a little below the beam
    EXPECT_EQ(w.Grid(kSgMember).Row(), 2);
    EXPECT_EQ(CurrentSelection.memberFirst, 2);
    // The figure marks the selected member in yellow (0x00FFFF in BGR).
    const QImage marked = Grab();
    const QPoint beam = Device(2, 4);
    bool yellow = false;
    for (int dy = -4; dy <= 4; ++dy)
        yellow = yellow || marked.pixel(beam + QPoint(0, dy)) == qRgb(0xFF, 0xFF, 0);
    EXPECT_TRUE(yellow);
    Click(Device(6, 1));  // right column
    EXPECT_EQ(w.Grid(kSgMember).Row(), 3);
    EXPECT_EQ(CurrentSelection.memberFirst, 3);
    // Far from every member, and a drag: nothing changes.
    Click(Device(3, 2));
    EXPECT_EQ(w.Grid(kSgMember).Row(), 3);
    const QPoint from = Device(0, 2);
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, from + QPoint(0, 8), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.Grid(kSgMember).Row(), 3);
}

TEST_F(WindowFigure, WheelZoomsAboutTheMouseAndDoubleClickFitsAgain) {
    OpenPortal();
    const double fitted = PixelsPerMetre();
    const QPoint at = Device(4.5, 3.0);
    double x0, y0, x1, y1;
    World(at, x0, y0);
    Wheel(at, 120);
    EXPECT_NEAR(PixelsPerMetre(), fitted * 1.1, fitted * 1e-6);
    World(at, x1, y1);
    // Within a tenth of a pixel.
    EXPECT_NEAR(x1, x0, 0.1 / fitted);
    EXPECT_NEAR(y1, y0, 0.1 / fitted);
    Wheel(at, -120);
    Wheel(at, -120);
    EXPECT_NEAR(PixelsPerMetre(), fitted * 1.1 / 1.1 / 1.1, fitted * 1e-6);
    // Drag with the left button pans by twice the movement.
    const QPoint p = Device(3, 2);
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, p + QPoint(10, 0), Qt::NoButton, Qt::LeftButton);
    double xa, ya;
    World(p + QPoint(20, 0), xa, ya);
    EXPECT_NEAR(xa, 3.0, 1.0 / PixelsPerMetre());
    Mouse(QEvent::MouseButtonRelease, p + QPoint(10, 0), Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    EXPECT_NEAR(PixelsPerMetre(), fitted, fitted * 1e-9);
}

TEST_F(WindowFigure, SwitchesAreReadFromTheBoxes) {
    TFmMain& w = OpenPortal();
    // Window defaults: 断面積, 格点No, 部材No, 支点ﾏｰｸ, 着目点 and 無し.
    EXPECT_TRUE(DisplaySwitches.Section());
    EXPECT_TRUE(DisplaySwitches.NodeNumbers());
    EXPECT_TRUE(DisplaySwitches.MemberNumbers());
    EXPECT_TRUE(DisplaySwitches.Supports());
    EXPECT_TRUE(DisplaySwitches.ViewPoints());
    EXPECT_FALSE(DisplaySwitches.Loads());
    EXPECT_FALSE(DisplaySwitches.ForceM() || DisplaySwitches.ForceS() || DisplaySwitches.ForceN() ||
                 DisplaySwitches.Displacement() || DisplaySwitches.Reactions());
    ClickButton(U("ｉ→ｊ"_sj));
    EXPECT_TRUE(DisplaySwitches.ArrowIJ());
    ClickButton("Sy");
    ClickButton(U("反力"_sj));  // the radio group is exclusive
    EXPECT_FALSE(w.fgForceSy->Checked());
    EXPECT_TRUE(DisplaySwitches.Reactions());
    EXPECT_FALSE(DisplaySwitches.ForceS());
    // Choosing a load case in its grid shows the loads.
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 2);
    EXPECT_TRUE(w.fgKajyu->Checked());
    EXPECT_TRUE(DisplaySwitches.Loads());
    EXPECT_EQ(CurrentSelection.loadCase, 2);
}

TEST_F(WindowFigure, EditedLoadIsShownAtOnce) {
    TFmMain& w = OpenPortal();
    ClickTab(TFmMain::kTabLoad);
    if (!w.fgKajyu->Checked()) ClickButton(U("荷 重"_sj));
    ASSERT_EQ(CurrentSelection.loadCase, 1);
    // The figure holds its copy of the current case in load slot 0.
    ASSERT_EQ(FrameData->loadCases[0].no, 1);
    EXPECT_FLOAT_EQ(FrameData->loadCases[0].loads[1].qI, -20.0f);
    Type(kSgLoad2, 4, 1, "-35");
    EXPECT_FLOAT_EQ(FrameData->loadCases[1].loads[1].qI, -35.0f);
    EXPECT_FLOAT_EQ(FrameData->loadCases[0].loads[1].qI, -35.0f);
}

TEST_F(WindowFigure, CtrlHeldAtTheEndOfACalculationCopiesMemberForces) {
    OpenPortal();
    ClipboardSetText("unchanged");
    ClickButton(U("計算実行"_sj));
    EXPECT_EQ(ClipboardText(), "unchanged");
    SetKeyStateHook([](int key) { return key == VK_CONTROL; });
    ClickButton(U("計算実行"_sj));
    const std::string text = ClipboardText();
    EXPECT_EQ(text.rfind("組合せNo\t1\t\t組合せ1\n部材番号\t1\t左柱\t\t部材長\t4.000\n"_sj, 0), 0u)
        << Cp932ToUtf8(text.substr(0, 200));
    // One block per member of the one combination.
    std::size_t blocks = 0;
    const std::string& head = "組合せNo"_sj;
    for (std::size_t at = text.find(head); at != std::string::npos; at = text.find(head, at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 3u);
}

TEST_F(WindowFigure, OutsideEngineButtonOnlyWithTheLibrary) {
    TFmMain& w = OpenPortal();
    // No library is installed on the test machine.
    EXPECT_FALSE(w.CalcSDK->Visible());
}
