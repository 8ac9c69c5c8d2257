// The graphics device layer: the three coordinate spaces, windows, zoom and
// pan, preview snapping, dash patterns, pens, colours and shapes, checked on
// the records they leave in a report page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "pool_test_util.h"

namespace {

constexpr double kTol = 1e-9;

// Steps of a dashed line read back from its records: every "move" ends a
// step, which was drawn when a "line" came before it.
std::string DashSteps(const std::vector<std::string>& recs) {
    std::string steps;
    bool drawn = false;
    for (const std::string& r : recs) {
        if (r.rfind("line ", 0) == 0) drawn = true;
        if (r.rfind("move ", 0) == 0) {
            steps += drawn ? '1' : '0';
            drawn = false;
        }
    }
    return steps;
}

}  // namespace

TEST(GraphicsSpaces, ConversionsBetweenDevicePaperAndWorld) {
    StartRecording(0);  // 1800 px wide: 10 px/mm
    // Paper 10..110 x 20..120 mm shows world 0..50 x 0..-50: 2 mm per unit,
    // y turned upwards by the negative scale.
    G_SetWindow(10, 20, 110, 120, 0, 0, 50, -50);
    EXPECT_NEAR(CurrentGraphics.pxPerMmX, 10.0, kTol);
    EXPECT_NEAR(WorldToMmX(5), 20.0, kTol);
    EXPECT_NEAR(WorldToMmY(-10), 40.0, kTol);
    EXPECT_NEAR(WorldToDevX(5), 200.0, kTol);
    EXPECT_NEAR(WorldToDevY(-10), 400.0, kTol);
    EXPECT_NEAR(DevToWorldX(200), 5.0, kTol);
    EXPECT_NEAR(DevToWorldY(400), -10.0, kTol);
    EXPECT_NEAR(MmToDevY(7.5), 75.0, kTol);
    EXPECT_NEAR(DevToMmX(75), 7.5, kTol);
    EXPECT_NEAR(MmToWorldY(40), -10.0, kTol);
    // Lengths keep their sign.
    EXPECT_NEAR(WorldLenToMmY(1), -2.0, kTol);
    EXPECT_NEAR(WorldLenToDevX(1), 20.0, kTol);
    EXPECT_NEAR(DevLenToWorldY(20), -1.0, kTol);
    EXPECT_NEAR(MmLenToWorldX(3), 1.5, kTol);
    EXPECT_NEAR(DevLenToMmY(35), 3.5, kTol);
}

TEST(GraphicsSpaces, DeviceSetupAndDegenerateWindows) {
    TBitmap bmp(900, 600);
    G_SetDevice(&bmp, -1, 0, 0, 0);  // sizes from the canvas, top negative -> 5 mm
    EXPECT_EQ(CurrentGraphics.deviceKind, kDeviceScreen);
    EXPECT_NEAR(CurrentGraphics.pxPerMmX, 5.0, kTol);
    EXPECT_NEAR(CurrentGraphics.paperTop, 5.0, kTol);
    EXPECT_NEAR(CurrentGraphics.paperBottom, 120.0, kTol);
    EXPECT_NEAR(MmToDevY(0), 25.0, kTol);
    G_SetDevice(&bmp, 0, 9, 9, 2);  // tiny widths keep at least 0.1 px/mm
    EXPECT_EQ(CurrentGraphics.deviceKind, kDevicePreview);
    EXPECT_NEAR(CurrentGraphics.pxPerMmX, 0.1, kTol);
    // A world window of no width or height divides by 1.0 instead of 0.
    G_SetWindow(0, 0, 100, 50, 5, 5, 5, 5);
    EXPECT_NEAR(CurrentGraphics.window.mmPerUnitX, 100.0, kTol);
    EXPECT_NEAR(CurrentGraphics.window.mmPerUnitY, 50.0, kTol);
}

TEST(GraphicsWindow, FitZoomPanAndReset) {
    StartRecording(0);
    // A world square on paper twice as wide as high: narrowed by 50 mm on
    // both sides, 10 mm per unit.
    G_FitWindow(0, 0, 200, 100, 0, 0, 10, 10);
    const GraphicsWindow fitted = CurrentGraphics.window;
    EXPECT_NEAR(fitted.x1, 50.0, kTol);
    EXPECT_NEAR(fitted.x2, 150.0, kTol);
    EXPECT_NEAR(fitted.mmPerUnitX, 10.0, kTol);
    EXPECT_NEAR(fitted.mmPerUnitY, 10.0, kTol);
    // A wide drawing narrows vertically instead; a turned y axis keeps its sign.
    G_FitWindow(0, 100, 100, 0, 0, 0, 10, 5);
    EXPECT_NEAR(CurrentGraphics.window.y1, 75.0, kTol);
    EXPECT_NEAR(CurrentGraphics.window.y2, 25.0, kTol);
    EXPECT_NEAR(CurrentGraphics.window.mmPerUnitY, -10.0, kTol);
    G_FitWindow(0, 0, 200, 100, 0, 0, 10, 10);

    // Zoom keeps the world point under the given pixel in place.
    const double wx = DevToWorldX(730), wy = DevToWorldY(410);
    G_ZoomAt(730, 410, 2.5);
    EXPECT_NEAR(WorldToDevX(wx), 730.0, 1e-6);
    EXPECT_NEAR(WorldToDevY(wy), 410.0, 1e-6);
    EXPECT_NEAR(CurrentGraphics.window.mmPerUnitX, 25.0, kTol);
    // Pan moves the drawing by the pixel offset.
    const double before = WorldToDevX(3.0), beforeY = WorldToDevY(3.0);
    G_PanBy(30, -12);
    EXPECT_NEAR(WorldToDevX(3.0), before + 30, 1e-6);
    EXPECT_NEAR(WorldToDevY(3.0), beforeY - 12, 1e-6);
    // Factor 0 brings the fitted window back exactly.
    G_ZoomAt(0, 0, 0);
    EXPECT_EQ(std::memcmp(&CurrentGraphics.window, &fitted, sizeof fitted), 0);

    GraphicsState copy;
    G_SaveState(copy);
    G_ZoomAt(1, 1, 4);
    G_RestoreState(copy);
    EXPECT_NEAR(CurrentGraphics.window.mmPerUnitX, 10.0, kTol);
}

// Drawings on one line (a continuous beam, a single column) and a single
// point keep one scale for both axes, the empty extent centred: a 20 m beam
// in an 80 x 50 mm box (paper y down, world y up) is drawn at 4 mm/m both
// ways, on the box's middle line.
TEST(GraphicsWindow, FitOfADrawingWithoutWidthOrHeightKeepsEqualScales) {
    StartRecording(0);
    struct Case {
        const char* what;
        double X1, Y1, X2, Y2;
        double scale;       // mm per world unit, both axes
        double midX, midY;  // paper point of the world point (X1, Y1)
    } cases[] = {
        {"flat beam", 0, 3, 20, 3, 4.0, 50, 40},
        {"column", 5, 0, 5, 10, 5.0, 90, 65},
        {"one point", 2, 2, 2, 2, 1.0, 90, 40},
    };
    for (const Case& c : cases) {
        G_FitWindow(50, 65, 130, 15, c.X1, c.Y1, c.X2, c.Y2);
        const GraphicsWindow& w = CurrentGraphics.window;
        EXPECT_NEAR(w.mmPerUnitX, c.scale, kTol) << c.what;
        EXPECT_NEAR(w.mmPerUnitY, -c.scale, kTol) << c.what;
        EXPECT_NEAR(WorldToMmX(c.X1), c.midX, kTol) << c.what;
        EXPECT_NEAR(WorldToMmY(c.Y1), c.midY, kTol) << c.what;
        // The far corner lands inside the box, centred.
        EXPECT_NEAR(WorldToMmX(c.X2) + WorldToMmX(c.X1), 180.0, kTol) << c.what;
        EXPECT_NEAR(WorldToMmY(c.Y2) + WorldToMmY(c.Y1), 80.0, kTol) << c.what;
        EXPECT_EQ(std::memcmp(&CurrentGraphics.savedWindow, &w, sizeof w), 0) << c.what;
    }
}

TEST(GraphicsLines, PreviewSnapsToOddPixelsScreenDoesNot) {
    struct Case {
        int previewFlag;
        int penWidth;
        const char* expected;
    };
    const Case cases[] = {
        {2, 1, "line 11 13"}, {2, 2, "line 11 13"}, {2, 3, "line 10 12"}, {0, 3, "line 10.4 11.6"}};
    for (const Case& c : cases) {
        StartRecording(c.previewFlag);
        PoolSetPenWidth(G_GetCanvas(), static_cast<float>(c.penWidth));
        DevLineTo(10.4, 11.6);
        EXPECT_EQ(Records({"line"}).back(), c.expected) << "pen " << c.penWidth;
        // The current point keeps the unsnapped value.
        EXPECT_DOUBLE_EQ(CurrentGraphics.devX, 10.4);
        EXPECT_DOUBLE_EQ(CurrentGraphics.devY, 11.6);
    }
}

TEST(GraphicsLines, DashPatternsStepByThreePenWidths) {
    StartRecording(0);
    PoolSetPenWidth(G_GetCanvas(), 1);
    // 100 px long: steps at 0, 3, ..., 99 (34 steps).
    Gmm_MoveTo(10, 10);
    std::size_t mark = RecordCount();
    Gmm_LineTo(20, 10, 3, 1);
    const std::string longDash = DashSteps(RecordsSince(mark));
    // Step 0 has no length; then a dash of three steps, off, on, off, and
    // from then on dashes of five steps, off, on, off.
    EXPECT_EQ(longDash, "1111010111110101111101011111010111");
    // The piece after the last step is not drawn.
    EXPECT_EQ(Records({"line"}).back(), "line 199 100");

    Gmm_MoveTo(10, 20);
    mark = RecordCount();
    Gmm_LineTo(20, 20, 1, 0x0000FF);
    EXPECT_EQ(DashSteps(RecordsSince(mark)), "1010101010101010101010101010101010");
    // The colour of a line is used as given, not greyed.
    EXPECT_EQ(Records({"pen-colour"}).back(), "pen-colour 0x0000FF");

    // A wider pen takes longer steps: 3 px pen, 9 px steps over 100 px.
    PoolSetPenWidth(G_GetCanvas(), 3);
    Gmm_MoveTo(10, 30);
    mark = RecordCount();
    Gmm_LineTo(20, 30, 1, 1);
    EXPECT_EQ(DashSteps(RecordsSince(mark)).size(), 12u);

    // Shorter than a pixel: still one step.
    Gmm_MoveTo(10, 40);
    mark = RecordCount();
    Gmm_LineTo(10.01, 40, 3, 1);
    EXPECT_EQ(DashSteps(RecordsSince(mark)), "1");
}

TEST(GraphicsPens, ColoursGreyOffScreen) {
    EXPECT_EQ(ColorToGray(0x0000FF), 0x1F1F1Fu);  // pure red
    EXPECT_EQ(ColorToGray(0x00FF00), 0x8F8F8Fu);  // (9 * 255) >> 4 = 143
    EXPECT_EQ(ColorToGray(0xFFFFFF), 0xFFFFFFu);
    StartRecording(2);
    G_SetFillColor(kScreenBackground);
    EXPECT_EQ(Records({"brush-colour"}).back(), "brush-colour 0xD0E0E0");
    G_SetFillColor(0x0000FF);
    EXPECT_EQ(Records({"brush-colour"}).back(), "brush-colour 0x1F1F1F");
    G_SetLineColor(0x0000FF);
    EXPECT_EQ(Records({"pen-colour"}).back(), "pen-colour 0x1F1F1F");
    const std::size_t styles = Records({"pen-style"}).size();
    G_SetLineStyle(2);  // ignored off screen
    EXPECT_EQ(Records({"pen-style"}).size(), styles);
    StartRecording(0);
    G_SetFillColor(0x0000FF);
    EXPECT_EQ(Records({"brush-colour"}).back(), "brush-colour 0x0000FF");
}

TEST(GraphicsPens, LineWidths) {
    struct Case {
        int previewFlag;
        double units;
        int pixels;
    };
    const Case cases[] = {{0, 1, 1}, {2, 1, 2}, {0, 0, 1}, {2, 0, 1}, {0, 3, 3}, {2, 3, 6}};
    for (const Case& c : cases) {
        StartRecording(c.previewFlag);
        G_SetLineWidth(c.units);
        EXPECT_EQ(G_GetCanvas()->PenWidth(), c.pixels) << c.units << " on kind " << c.previewFlag;
    }
    StartRecording(0);
    G_SetLineWidthMm(0.25);  // 2.5 px rounds with 0.49999 to 2
    EXPECT_EQ(G_GetCanvas()->PenWidth(), 2);
    G_SetLineWidthMm(0.01);
    EXPECT_EQ(G_GetCanvas()->PenWidth(), 1);
}

TEST(GraphicsShapes, EllipseArcAndPolygons) {
    StartRecording(0);
    G_Ellipse(50, 70, 10, 0.5);
    EXPECT_EQ(Records({"ellipse"}).back(), "ellipse 400 650 600 750");
    G_Arc(100, 90, 10, 0, M_PI / 2);
    EXPECT_EQ(Records({"arc"}).back(), "arc 900 800 1100 1000 1100 900 1000 800");

    // A hatch over a background colour: the background polygon first.
    const double tri[] = {10, 10, 20, 10, 15, 20};
    const std::size_t mark = RecordCount();
    G_Polygon(tri, 3, bsDiagCross, 0xFFFFFF, 0x0000FF, 0x00FF00);
    const std::vector<std::string> expected = {"pen-colour 0x00FF00",
                                               "brush-colour 0xFFFFFF",
                                               "brush-style 0",
                                               "polygon 2 100 100 200 100 150 200",
                                               "brush-colour 0x0000FF",
                                               "brush-style 7",
                                               "polygon 2 100 100 200 100 150 200",
                                               "brush-style 1"};
    EXPECT_EQ(RecordsSince(mark), expected);

    std::vector<double> many(600);
    for (int i = 0; i < 300; ++i) {
        many[2 * i] = i * 0.1;
        many[2 * i + 1] = 5;
    }
    G_Polygon(many.data(), 300, bsSolid, kNoColor, 0, 0);
    EXPECT_EQ(Records({"polygon"}).back().rfind("polygon 255 ", 0), 0u);

    G_Quad(1, 2, 3, 4, bsSolid, kNoColor, 0, 0);
    EXPECT_EQ(Records({"polygon"}).back(), "polygon 3 10 20 30 20 30 40 10 40");
}

TEST(GraphicsShapes, MarkerOnlyOnScreen) {
    StartRecording(2);
    std::size_t mark = RecordCount();
    G_Marker(10, 10, 6, 0x0000FF, 0);
    EXPECT_EQ(RecordsSince(mark), std::vector<std::string>{"brush-style 1"});
    StartRecording(0);
    mark = RecordCount();
    G_Marker(10, 10, 6, 0x0000FF, 0);
    const std::vector<std::string> recs = RecordsSince(mark);
    ASSERT_FALSE(recs.empty());
    EXPECT_EQ(recs.front(), "pen-width 1");
    EXPECT_EQ(recs.back(), "brush-style 1");
}

TEST(GraphicsShapes, ArrowShapeScalesWithPen) {
    StartRecording(0);
    PoolSetPenWidth(G_GetCanvas(), 2);
    PolyArrowPx(100, 100, 0, 40);
    // Tip at (100, 100), head 5 widths long and 4 wide, shaft 2 wide and cut
    // at the given length; the caller's width comes back afterwards.
    EXPECT_EQ(Records({"polygon"}).back(),
              "polygon 7 102 100 112 104 112 102 140 102 140 98 112 98 112 96 102 100");
    EXPECT_EQ(G_GetCanvas()->PenWidth(), 2);
    EXPECT_EQ(Records({"pen-width"}).back(), "pen-width 2");
    // Pointing up on the screen: the shaft runs to smaller y.
    PolyArrowPx(100, 100, M_PI / 2, 40);
    EXPECT_EQ(Records({"polygon"}).back(),
              "polygon 7 100 98 104 88 102 88 102 60 98 60 98 88 96 88 100 98");
    // World version: the length is a world length.
    G_PolyArrow(10, 10, 0, 4);
    EXPECT_EQ(Records({"polygon"}).back(),
              "polygon 7 102 100 112 104 112 102 140 102 140 98 112 98 112 96 102 100");
}

TEST(GraphicsRobustness, FarZoomStaysInsideDeviceRange) {
    StartRecording(2);
    G_SetWindow(0, 0, 100, 100, 0, 0, 1e-9, 1e-9);  // 1e11 mm per unit
    G_Line(0, 0, 1, 1, 0, 0);
    G_Line(0, 0, 1, 1, 3, 0);
    G_Ellipse(1, 1, 1, 1);
    const double pts[] = {0, 0, 1, 0, std::nan(""), 1};
    G_Polygon(pts, 3, bsSolid, kNoColor, 0, 0);
    for (const std::string& r : DumpPoolPage(0)) {
        ASSERT_NE(r, "bad");
        float a = 0, b = 0;
        if (std::sscanf(r.c_str(), "line %f %f", &a, &b) == 2 ||
            std::sscanf(r.c_str(), "move %f %f", &a, &b) == 2) {
            EXPECT_LE(std::fabs(a), 1.0e6f + 1);
            EXPECT_LE(std::fabs(b), 1.0e6f + 1);
        }
    }
    EXPECT_EQ(DevToInt(1e300), 1000000);
    EXPECT_EQ(DevToInt(-1e300), -1000000);
    EXPECT_EQ(DevToInt(std::nan("")), 0);
}
