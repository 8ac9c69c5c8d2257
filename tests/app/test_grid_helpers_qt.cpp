// Column definitions, row selection, labels, row spreading and the edit
// format code of the grid helpers.
#include <gtest/gtest.h>

#include "app/grid_helpers.h"
#include "platform/encoding.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/canvas.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"

namespace {

std::string U(const std::string& cp932) { return Cp932ToUtf8(cp932); }

TEST(SetGridHeader, WidthsCaptionsAndTotal) {
    TStringGrid g;
    g.SetColCount(2);
    const int total = SetGridHeader(g, 0, "24:・┃格点No┃64:X (m)┃64:Y (m)"_sj);
    ASSERT_EQ(g.ColCount(), 4);  // grown to the definition, never shrunk
    EXPECT_EQ(g.ColWidth(0), 24);
    EXPECT_EQ(U(g.Cells(0, 0)), U("・"_sj));
    // A bare caption is as wide as its text with one "X" appended.
    EXPECT_EQ(g.ColWidth(1), g.TextWidth("格点NoX"_sj));
    EXPECT_EQ(U(g.Cells(1, 0)), U("格点No"_sj));
    EXPECT_EQ(g.ColWidth(2), 64);
    EXPECT_EQ(g.Cells(3, 0), "Y (m)");
    EXPECT_EQ(total, 1 + 24 + g.ColWidth(1) + 64 + 64 + 4);
}

TEST(SetGridHeader, LeadingAndTrailingBarsAreOptional) {
    for (const std::string& def :
         {"80:断面積,(㎡)"_sj, "┃80:断面積,(㎡)"_sj, "80:断面積,(㎡)┃"_sj, "┃80:断面積,(㎡)┃"_sj}) {
        TStringGrid g;
        g.SetColCount(1);
        EXPECT_EQ(SetGridHeader(g, 0, def), 82) << U(def);
        EXPECT_EQ(g.ColWidth(0), 80);
        EXPECT_EQ(U(g.Cells(0, 0)), U("断面積,(㎡)"_sj));
    }
}

TEST(SetGridHeader, TwoLineCaptionTakesItsWiderLine) {
    TStringGrid g;
    SetGridHeader(g, 0, "24:・┃ｹｰｽ,No"_sj);
    EXPECT_EQ(g.ColWidth(1), std::max(g.TextWidth("ｹｰｽX"_sj), g.TextWidth("NoX")));
}

TEST(SetGridHeader, EmptyDefinitionChangesNothing) {
    TStringGrid g;
    g.SetColWidth(1, 33);
    EXPECT_EQ(SetGridHeader(g, 0, ""), 0);
    EXPECT_EQ(g.ColWidth(1), 33);
}

TEST(SelectGridRowByKey, FirstMatchingRowWithoutAClickEvent) {
    TStringGrid g;
    g.SetRowCount(5);
    const char* keys[] = {"", "7", "3", "3", ""};
    for (int r = 1; r < 5; ++r) g.SetCell(1, r, keys[r]);
    int clicks = 0;
    g.OnClick = [&] { ++clicks; };
    SelectGridRowByKey(g, 1, 3);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(g.Enabled());
    SelectGridRowByKey(g, 1, 42);  // no row holds it: the row stays
    EXPECT_EQ(g.Row(), 2);
}

TEST(SetRowLabel, MarkersSetTheLineFlagsAndAreRemoved) {
    TStringGrid g;
    g.SetRowCount(2);
    GridAttribute attributes[8];
    SetRowLabel(g, 5, "^_Mz", "kN", nullptr, attributes, "(MzM1)", -1, 0xFF0000, 1, 1);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.Cells(0, 5), "Mz");
    EXPECT_EQ(g.Cells(1, 5), "kN");
    EXPECT_EQ(attributes[5].lineAbove, 1);
    EXPECT_EQ(attributes[5].lineBelow, 1);
    EXPECT_EQ(attributes[5].key, "(MzM1)");
    EXPECT_EQ(attributes[5].fontColor, 0xFF0000);
    SetColumnLabel(g, 7, "_N", nullptr, nullptr, nullptr, "", -1, 0, 0, 0);
    EXPECT_EQ(g.ColCount(), 8);
    EXPECT_EQ(g.Cells(7, 0), "N");
}

TEST(SpreadRowHeights, AddsAtMostOnePixelPerRowAndLeavesSmallSpareAlone) {
    TStringGrid g;
    g.SetRowCount(4);
    for (int r = 0; r < 4; ++r) g.SetRowHeight(r, 20);
    const int used = 1 + 4 * 21;
    g.SetBounds(0, 0, 100, used + 2);  // 2 px spare: nothing happens
    SpreadRowHeights(g, 0);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(g.RowHeight(r), 20);
    g.SetBounds(0, 0, 100, used + 3);  // 3 px spare: three rows grow by one
    SpreadRowHeights(g, 0);
    int grown = 0;
    for (int r = 0; r < 4; ++r) grown += g.RowHeight(r) - 20;
    EXPECT_EQ(grown, 3);
    g.SetRowHeight(0, 30);
    g.SetBounds(0, 0, 100, 400);
    SpreadRowHeights(g, 0);
    EXPECT_EQ(g.RowHeight(0), 26);  // a grown row never passes 26 px
}

// Rows of the bitmap that hold any dark pixel.
std::vector<int> InkedRows(TBitmap& b) {
    std::vector<int> rows;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if ((b.Pixel(x, y) & 0xFF) < 0x80) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(DrawCellLines, CommaSplitsTheTextIntoLinesOverTheHeight) {
    TBitmap one(80, 40), two(80, 40);
    for (TBitmap* b : {&one, &two}) {
        b->Canvas().SetBrushColor(0xFFFFFF);
        b->Canvas().FillRect(TRect{0, 0, 80, 40});
        b->Canvas().SetBrushStyle(bsClear);
        b->Canvas().SetFontHeight(12);
    }
    DrawCellLines(one.Canvas(), TRect{0, 0, 80, 40}, "AB");
    DrawCellLines(two.Canvas(), TRect{0, 0, 80, 40}, "AB,$CD");
    one.Canvas().Flush();
    two.Canvas().Flush();
    const std::vector<int> r1 = InkedRows(one), r2 = InkedRows(two);
    ASSERT_FALSE(r1.empty());
    ASSERT_FALSE(r2.empty());
    // One line sits in the middle band; two lines reach both halves.
    EXPECT_GT(r1.front(), 8);
    EXPECT_LT(r1.back(), 32);
    EXPECT_LT(r2.front(), 20);
    EXPECT_GT(r2.back(), 20);
}

}  // namespace
