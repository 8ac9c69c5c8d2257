// The reference-drawing window: drops, pen choice, OK and Cancel, its own
// view (pan and zoom limits) and its picture.
#include <sys/stat.h>
#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "app/reference_window.h"
#include "model/frame_model.h"
#include "mouse_util.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"
#include "report/graphics.h"
#include "tests/case_output.h"

namespace {

std::string Data(const std::string& name) { return std::string(TEST_DATA_DIR) + "/app/" + name; }

// Counts the pixels of one colour (0x00BBGGRR) in the painted area.
int CountPixels(TBitmap& b, int w, int h, std::uint32_t colour) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (b.Pixel(x, y) == colour) ++n;
    return n;
}

class RefWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageDlgHook([this](const std::string& text, TMsgDlgType, int) {
            messages.push_back(text);
            return mrOk;
        });
        w = std::make_unique<TfmRefDXF>();
        w->SetBounds(0, 0, 900, 600);
        w->Show();
        w->Realign();
    }
    void TearDown() override {
        SetModalFormHook(nullptr);
        SetMessageDlgHook(nullptr);
    }
    // Files dropped on the window, a pen chosen and the buttons clicked
    // with the mouse.
    void Drop(const std::vector<std::string>& paths) { DropOn(w->Widget(), paths); }
    void ChoosePen(int index) { ClickRadioItem(w->RgPenNo->Widget(), index); }
    void ClickOk() { ClickMiddle(w->BitBtnOK->Widget()); }
    void ClickCancel() { ClickMiddle(w->BitBtn1->Widget()); }
    // The mouse wheel turned over the drawing.
    void Wheel(int delta) {
        QWidget* paint = w->Paint1->Widget();
        const QPointF at(130, 90);
        QWheelEvent e(at, paint->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(paint, &e);
    }
    std::unique_ptr<TfmRefDXF> w;
    std::vector<std::string> messages;
};

}  // namespace

TEST_F(RefWindowTest, DropLoadsTheLastDrawingAndBuildsWithTheChosenPen) {
    Drop({Data("ref_portal.KRV"), Data("ref_square.dxf"), Data("missing.dxf"),
          Data("../app/notes.txt")});
    EXPECT_EQ(w->Lines().count, 6);  // the square, dropped last among the drawings
    // The frame follows the new drawing at once with the chosen pen 1.
    EXPECT_EQ(w->Generated().memberCount, 4);
    ChoosePen(2);
    EXPECT_EQ(w->ChosenPen(), 3);
    EXPECT_EQ(w->Generated().memberCount, 0);
    ChoosePen(0);
    EXPECT_EQ(w->Generated().nodeCount, 4);
    // A dropped file that is not a drawing changes nothing.
    Drop({Data("missing.KRV")});
    EXPECT_EQ(w->Lines().count, 6);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RefWindowTest, OkPutsTheFrameIntoTheModelAndEmptiesTheWindow) {
    auto model = NewFrameModelRecord();
    SetModalFormHook([this](TForm&) {
        Drop({Data("ref_portal.KRV")});
        ChoosePen(7);
        ClickOk();
    });
    EXPECT_EQ(w->ShowModal(*model), mrOk);
    EXPECT_EQ(model->nodeCount, 6);
    EXPECT_EQ(model->memberCount, 7);
    EXPECT_EQ(w->Lines().count, 0);
    EXPECT_EQ(w->Generated().memberCount, 0);
}

TEST_F(RefWindowTest, OkWithoutMembersAndCancelLeaveTheModel) {
    auto model = NewFrameModelRecord();
    model->nodeCount = 3;
    SetModalFormHook([this](TForm&) {
        Drop({Data("ref_cross.dxf")});
        ClickOk();
    });
    EXPECT_EQ(w->ShowModal(*model), mrCancel);
    EXPECT_EQ(model->nodeCount, 3);
    SetModalFormHook([this](TForm&) {
        Drop({Data("ref_square.dxf")});
        ClickCancel();
    });
    EXPECT_EQ(w->ShowModal(*model), mrCancel);
    EXPECT_EQ(model->nodeCount, 3);
}

TEST_F(RefWindowTest, TooLargeADrawingIsReportedNotApplied) {
    const std::string name = CaseOutputDir() + "/ref_grid30.dxf";
    {
        std::ofstream f(name);
        for (int i = 0; i < 30; ++i) {
            f << "0\nLINE\n10\n-1000\n20\n" << i * 1000 << "\n11\n40000\n21\n" << i * 1000 << "\n";
            f << "0\nLINE\n10\n" << i * 1000 << "\n20\n-1000\n11\n" << i * 1000 << "\n21\n40000\n";
        }
        f << "0\nEOF\n";
    }
    Drop({name});
    EXPECT_EQ(w->Lines().count, 60);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(w->Generated().nodeCount, 0);
}

TEST_F(RefWindowTest, OwnViewLeavesTheCallersGraphicsAndStopsAtTheZoomLimits) {
    GraphicsState before;
    G_SaveState(before);
    Drop({Data("ref_square.dxf")});
    // A drag from (100, 100) to (130, 90), then the wheel turned there.
    QWidget* paint = w->Paint1->Widget();
    QTest::mousePress(paint, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QMouseEvent drag(QEvent::MouseMove, QPointF(130, 90), paint->mapToGlobal(QPointF(130, 90)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(paint, &drag);
    QTest::mouseRelease(paint, Qt::LeftButton, Qt::NoModifier, QPoint(130, 90));
    for (int i = 0; i < 200; ++i) Wheel(120);
    EXPECT_EQ(CurrentGraphics.canvas, before.canvas);
    EXPECT_EQ(CurrentGraphics.window.mmPerUnitX, before.window.mmPerUnitX);

    G_SaveState(before);
    G_RestoreState(w->ViewState());
    EXPECT_NEAR(std::fabs(WorldLenToDevX(0.0001)), 12.0, 1e-6);
    G_RestoreState(before);
    for (int i = 0; i < 400; ++i) Wheel(-120);
    G_RestoreState(w->ViewState());
    EXPECT_NEAR(std::fabs(WorldLenToDevX(0.2)), 1.0, 1e-6);
    G_RestoreState(before);
}

TEST_F(RefWindowTest, PictureShowsTheHintThenTheChosenPenAndTheFrame) {
    const int W = w->Paint1->Width(), H = w->Paint1->Height();
    ASSERT_GT(W, 100);
    w->FitDrawing();
    EXPECT_GT(CountPixels(w->Picture(), W, H, 0x000000), 100);  // the hint text
    BitmapImage(w->Picture())
        .copy(0, 0, W, H)
        .save(QString::fromStdString(CaseOutputDir()) + "/reference_empty.png");

    Drop({Data("ref_square.dxf")});
    EXPECT_GT(CountPixels(w->Picture(), W, H, 0x00FFFF), 200);  // generated members in yellow
    EXPECT_GT(CountPixels(w->Picture(), W, H, 0x808080), 100);  // other pens in grey
    BitmapImage(w->Picture())
        .copy(0, 0, W, H)
        .save(QString::fromStdString(CaseOutputDir()) + "/reference_square.png");
    w->Widget()->grab().toImage().save(QString::fromStdString(CaseOutputDir()) +
                                       "/reference_window.png");
    // The lone pen-3 diagonal in red, and no frame.
    ChoosePen(2);
    EXPECT_GT(CountPixels(w->Picture(), W, H, 0x0000FF), 100);
    EXPECT_EQ(CountPixels(w->Picture(), W, H, 0x00FFFF), 0);
}

TEST_F(RefWindowTest, ADrawingNameOnAFolderAFifoOrADanglingLinkIsNamedInAMessage) {
    namespace fs = std::filesystem;
    const fs::path dir = CaseOutputDir();
    fs::remove_all(dir);
    fs::create_directories(dir / "folder.dxf");
    ASSERT_EQ(mkfifo((dir / "pipe.KRV").c_str(), 0644), 0);
    fs::create_symlink("nowhere.dxf", dir / "dangling.dxf");
    Drop({Data("ref_square.dxf")});
    ASSERT_EQ(w->Lines().count, 6);
    // A FIFO opened for reading would wait for a writer: the drop must
    // return, say why for each name, and keep the drawing it had.
    Drop({(dir / "folder.dxf").string(), (dir / "pipe.KRV").string(),
          (dir / "dangling.dxf").string()});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("フォルダーは開けません"_sj), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("通常のファイルではないため開けません"_sj), std::string::npos);
    EXPECT_NE(messages[2].find("リンク先のファイルが有りません"_sj), std::string::npos);
    EXPECT_EQ(w->Lines().count, 6);
}

TEST_F(RefWindowTest, WhatADroppedDrawingHoldsBeyondTheLinesIsSaid) {
    // A drawing cut short in the middle of its last line, and one with
    // entities that are not straight lines: each drop says what was not read.
    const std::string cut = CaseOutputDir() + "/cut.dxf";
    {
        std::ifstream in(Data("ref_square.dxf"));
        std::string text((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(cut) << text.substr(0, text.rfind("\n 11\n"));
    }
    Drop({cut});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("途中で終わっています"_sj), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("cut.dxf"), std::string::npos) << messages[0];
    EXPECT_EQ(w->Lines().count, 5);
    Drop({Data("ref_blocks.dxf")});
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].find("ARC"), std::string::npos) << messages[1];
    ChoosePen(1);
    EXPECT_EQ(w->Generated().memberCount, 10);
    Drop({Data("ref_square.dxf")});
    EXPECT_EQ(messages.size(), 2u);  // a whole drawing: nothing to say
}

TEST_F(RefWindowTest, OpenedAgainAfterCancelItShowsTheHintAndOkSaysWhyItCannotApply) {
    const int W = w->Paint1->Width(), H = w->Paint1->Height();
    w->FitDrawing();
    const int hintPixels = CountPixels(w->Picture(), W, H, 0x000000);
    auto model = NewFrameModelRecord();
    model->nodeCount = 3;
    SetModalFormHook([this](TForm&) {
        Drop({Data("ref_square.dxf")});
        ClickCancel();
    });
    EXPECT_EQ(w->ShowModal(*model), mrCancel);
    int grey = -1, black = -1;
    SetModalFormHook([&](TForm&) {
        QWidget* paint = w->Paint1->Widget();
        const QImage seen = paint->grab().toImage();
        grey = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x)
                grey += seen.pixel(x, y) == qRgb(0x80, 0x80, 0x80);
        black = CountPixels(w->Picture(), W, H, 0x000000);
        seen.save(QString::fromStdString(CaseOutputDir()) + "/reopened.png");
        ClickOk();
    });
    EXPECT_EQ(w->ShowModal(*model), mrCancel);
    // The window holds no drawing: the hint in its own size, not the square.
    EXPECT_EQ(grey, 0);
    EXPECT_EQ(black, hintPixels);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("ドロップして下さい"_sj), std::string::npos) << messages[0];
    EXPECT_EQ(model->nodeCount, 3);
}
