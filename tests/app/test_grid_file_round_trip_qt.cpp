// Every typed column of every input grid keeps its value through the whole
// way a model goes: typed into the grid, written back into the model,
// saved, read again and shown in fresh grids. The columns are those of the
// table descriptions, so a column whose field, cell kind or file field is
// described wrongly loses or moves its value here.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/grid_helpers.h"
#include "app/input_grids.h"
#include "loose_grids.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

using Grids = LooseGrids;

// The default model and one spring case: one row in every grid, one
// member of 1 m with one named point at 0.5 m.
std::unique_ptr<FrameModel> OneOfEach() {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    BaneCase& b = m->springCases[++m->springCaseCount];
    b.no = 1;
    SetFixedText(b.name, kNameSize, "地盤"_sj.c_str());
    b.count = 1;
    b.entries[1] = {1, 1000.0f, 500.0f};
    return m;
}

// What is typed into column k: numbers different in every column (and
// exact in every format and file field the columns use, three significant
// digits at most); a name with double-byte characters.
std::string Typed(const GridColumnInfo& c, int k) {
    switch (c.kind) {
        case CellKind::Int:
        case CellKind::Truncated:
            return std::to_string(40 + k);
        case CellKind::Real:
        case CellKind::Double:
            return FormatStr("%g", 0.125 * (k + 1));
        case CellKind::Name:
            return "名称"_sj + std::to_string(k);
        default:
            return "";
    }
}

const char* const kGridNames[kGridCount] = {
    "SgPoint", "SgSection", "SgMaterial", "SgView2", "SgView1", "SgSupt1", "SgSupt2",
    "SgBane1", "SgBane2",   "SgLoad1",    "SgLoad2", "SgKumi1", "SgKumi2", "SgMember"};

class GridFileRoundTrip : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(GridFileRoundTrip, EveryTypedColumnKeepsItsValue) {
    const GridId id = static_cast<GridId>(GetParam());
    SCOPED_TRACE(kGridNames[id]);
    auto model = OneOfEach();
    SelectionState sel;
    sel.memberFirst = sel.memberLast = 1;
    sel.springCase = sel.supportCase = sel.loadCase = sel.combination = 1;
    Grids before;
    ModelToGrids(before.g, *model, sel);

    TStringGrid& grid = before.g[id];
    const int cols = grid.ColCount();
    ASSERT_GT(cols, 1);
    for (int k = 1; k < cols; ++k) {
        // The distance from the j end is turned into the distance from the
        // i end by the Enter that commits it; the write-back reads only the
        // latter.
        if (id == kSgView2 && k == ColumnOf(&ViewPointRow::distJ)) continue;
        const GridColumnInfo c = GridColumn(id, k);
        if (c.kind != CellKind::Shown) grid.SetCell(k, 1, Typed(c, k));
    }
    // A renumbered case or member is still the one shown.
    const int key = TextToInt(grid.Cells(kKeyColumn, 1));
    if (id == kSgSupt1) sel.supportCase = key;
    if (id == kSgBane1) sel.springCase = key;
    if (id == kSgLoad1) sel.loadCase = key;
    if (id == kSgKumi1) sel.combination = key;
    if (id == kSgMember) sel.memberFirst = sel.memberLast = before.g.ShownView2Member = key;
    ASSERT_EQ(GridsToModel(before.g, *model, sel), "");

    TStringList lines;
    WriteFrameDataFile(lines, *model);
    auto read = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(*read, lines, warnings);
    ASSERT_EQ(warnings, "");
    Grids after;
    ModelToGrids(after.g, *read, sel);

    const TStringGrid& shown = after.g[id];
    ASSERT_EQ(shown.ColCount(), cols);
    for (int k = 1; k < cols; ++k) {
        const GridColumnInfo c = GridColumn(id, k);
        if (c.kind == CellKind::Shown) continue;
        SCOPED_TRACE("column " + std::to_string(k) + " " + Cp932ToUtf8(shown.Cells(k, 0)));
        const std::string typed = grid.Cells(k, 1);
        const std::string back = shown.Cells(k, 1);
        if (id == kSgView2 && k == ColumnOf(&ViewPointRow::distJ)) {
            EXPECT_NEAR(TextToDouble(back), 1.0 - TextToDouble(shown.Cells(kKeyColumn, 1)), 1e-9);
        } else if (c.kind == CellKind::Name) {
            EXPECT_EQ(Cp932ToUtf8(back), Cp932ToUtf8(typed));
        } else {
            EXPECT_NEAR(TextToDouble(back), TextToDouble(typed), 1e-9) << "shown as " << back;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryGrid, GridFileRoundTrip,
                         ::testing::Range(0, static_cast<int>(kGridCount)),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kGridNames[info.param]);
                         });
