// Labels of one figure that keep clear of each other: a label over another
// one moves along the direction its caller allows, in steps of a quarter
// text height, never past a neighbour; with no free place within its reach
// it is left out, and so is the same text at the same place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "pool_test_util.h"
#include "report/figure_labels.h"

namespace {

// World = paper mm (y down) on the 10 px/mm recording page; font 2 mm high,
// 1 mm cells, upright.
void StartFigure() {
    StartRecording(2);
    SetFontMm(2.0, 1.0, 0, 0);
    BeginFigureLabels();
}

// x (mm) of every character `ch` drawn since `mark`.
std::vector<double> XsOf(std::size_t mark, const std::string& ch) {
    std::vector<double> xs;
    for (const std::string& r : RecordsSince(mark))
        if (r.rfind("text ", 0) == 0 && r.substr(r.rfind(' ') + 1) == ch)
            xs.push_back(std::atof(r.c_str() + 5) / 10.0);
    return xs;
}

// Text positions land on odd pixels: a tenth of a millimetre.
void ExpectNear(const std::vector<double>& got, const std::vector<double>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], expected[k], 0.11) << k;
}

}  // namespace

TEST(FigureLabels, OutsideAFigureEveryLabelIsDrawnWhereItIsAsked) {
    StartRecording(2);
    SetFontMm(2.0, 1.0, 0, 0);
    EndFigureLabels();
    const std::size_t mark = RecordCount();
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 50, 50, "12.5"));
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 50, 50, "73.5"));
    ExpectNear(XsOf(mark, "1"), {50});
    ExpectNear(XsOf(mark, "7"), {50});
}

TEST(FigureLabels, AnOverlappingLabelMovesAlongItsDirectionOrIsLeftOut) {
    StartFigure();
    std::size_t mark = RecordCount();
    // "12.5" covers x 50-54 mm. The next one, asked at 52, may move 10 mm
    // either way along x: the nearest free place is ahead, one blank (a
    // 1 mm cell) after it at 55 mm, in quarter-height steps of 0.5 mm. Put
    // right against it, the two would read as one number, "12.573.5".
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 50, 50, "12.5"));
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 52, 50, "73.5", 1, 0, 10, 10));
    ExpectNear(XsOf(mark, "1"), {50});
    ExpectNear(XsOf(mark, "7"), {55});
    // Without reach there is no other place: left out.
    mark = RecordCount();
    EXPECT_FALSE(G_FigureLabel(TextAnchor::ML, 51, 50, "14.5"));
    EXPECT_TRUE(RecordsSince(mark).empty());
    // The same text at the same place says nothing new.
    EXPECT_FALSE(G_FigureLabel(TextAnchor::ML, 50, 50, "12.5", 1, 0, 10, 10));
    // Another line is free.
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 51, 60, "14.5"));
    EndFigureLabels();
}

TEST(FigureLabels, ALabelNeverJumpsOverItsNeighbour) {
    StartFigure();
    // Two labels side by side, a character apart; a third between them
    // would read out of order wherever it went along the line, so it is
    // left out.
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 50, 50, "1.0"));
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 54, 50, "3.0"));
    // One that would end where another begins is left out too: "1.03.0".
    EXPECT_FALSE(G_FigureLabel(TextAnchor::ML, 47, 50, "5.0"));
    const std::size_t mark = RecordCount();
    EXPECT_FALSE(G_FigureLabel(TextAnchor::ML, 51.5, 50, "2.0", 1, 0, 20, 20));
    EXPECT_TRUE(RecordsSince(mark).empty());
    // Across the line (in another lane) it may move past them.
    EXPECT_TRUE(G_FigureLabel(TextAnchor::ML, 51.5, 50, "2.0", 0, 1, 20, 20));
    EndFigureLabels();
}

TEST(FigureLabels, TurnedBoxesOverlapOnlyWhereTheyReallyDo) {
    StartRecording(2);
    SetFontMm(2.0, 1.0, 90, 0);  // text running up the page
    const LabelBox up = FigureLabelBox(TextAnchor::ML, 50, 50, "1234");
    // 4 mm long upwards from the anchor, 2 mm wide about it.
    double minY = 1e9, maxY = -1e9, minX = 1e9, maxX = -1e9;
    for (int k = 0; k < 4; ++k) {
        minX = std::min(minX, up.x[k]), maxX = std::max(maxX, up.x[k]);
        minY = std::min(minY, up.y[k]), maxY = std::max(maxY, up.y[k]);
    }
    EXPECT_NEAR(maxY, 50, 1e-9);
    EXPECT_NEAR(minY, 46, 1e-9);
    EXPECT_NEAR(maxX - minX, 1.9, 1e-9);
    // Two boxes at 45 degrees whose upright bounding boxes overlap but that
    // pass each other.
    SetFontMm(2.0, 1.0, 45, 0);
    const LabelBox a = FigureLabelBox(TextAnchor::ML, 50, 50, "123456");
    const LabelBox b = FigureLabelBox(TextAnchor::ML, 53, 50, "123456");
    const LabelBox c = FigureLabelBox(TextAnchor::ML, 51, 49, "123456");
    EXPECT_FALSE(LabelBoxesOverlap(a, b));
    EXPECT_TRUE(LabelBoxesOverlap(a, c));
}
