// The fourteen input grids of the main window and their mapping to the
// model: filling every grid from FrameModel, rebuilding the model's tables
// from the grids, the cell texts and colours shown, and header sorting.
//
// Every grid has a fixed column 0 (row number) and a fixed caption row 0;
// data rows are 1..RowCount-2 and the last row is the append row (「追加」).
// Columns 1.. are those of the grid's table description (model_tables.h):
// filling, writing back and the cell looks iterate it, and the editing
// rules name columns by their fields (ColumnOf).
// Rows of the four case grids (SgSupt1, SgBane1, SgLoad1, SgKumi1) carry
// the table slot they were filled from as their row tag, so a case keeps its
// own entries however its rows were sorted or renumbered.
#pragma once
#include <cstdint>
#include <string>

#include "model/model_tables.h"

struct FrameModel;
class TStringGrid;

// The selection shared by the grids, the figure and the commands (0 = none).
struct SelectionState {
    int nodeI = 0;
    int nodeJ = 0;
    int memberFirst = 0;
    int memberLast = 0;  // 0 = the same as memberFirst
    int section = 0;
    int material = 0;
    int springCase = 0;
    int supportCase = 0;
    int loadCase = 0;
    int combination = 0;
};
extern SelectionState CurrentSelection;

// Identifies a grid for the shared handlers.
enum GridId : int {
    kSgPoint = 0,
    kSgSection,
    kSgMaterial,
    kSgView2,
    kSgView1,
    kSgSupt1,
    kSgSupt2,
    kSgBane1,
    kSgBane2,
    kSgLoad1,
    kSgLoad2,
    kSgKumi1,
    kSgKumi2,
    kSgMember,
    kGridCount
};

// The column definition of a grid (begins 「24:・┃」).
const std::string& GridHeaderSpec(GridId id);

// Column 1 of every grid holds the row's key: its number (the load code in
// SgLoad2, the first member in SgView1, the distance in SgView2). A row
// whose key reads as 0 or less is dropped by the next write-back.
constexpr int kKeyColumn = 1;

// What the shared handlers need of a grid column (from 1); a column beyond
// the grid's table is shown only.
struct GridColumnInfo {
    CellKind kind = CellKind::Shown;
    CellShow show = CellShow::Text;
    CellTint tint = CellTint::None;
    int textBytes = 0;  // a name column: the bytes the table keeps
};
GridColumnInfo GridColumn(GridId id, int col);

// Why the text typed into a cell cannot be taken, "" when it can: text that
// is not one number in a number column, a negative number or a fraction in
// a column of whole numbers, an area or I of 0 or less, a value that its
// field in the data file would change (too wide for it, or beyond a float).
std::string RefusedCellText(GridId id, int col, const std::string& text);

struct InputGrids {
    TStringGrid* grid[kGridCount] = {};
    TStringGrid& operator[](GridId id) const { return *grid[id]; }
    // Which grid a pointer is; kGridCount when none.
    GridId IdOf(const TStringGrid* g) const;

    // Texts of the labels beside the grids.
    std::string LbSuptC, LbBaneC, LbKumiC, lbLLcNo, lbLScNo, lbLBcNo, lbSgmXY, lbV2BzNo;
    bool CkGoiki = false;      // 剛域の設定
    int ShownView2Member = 0;  // the member whose points SgView2 lists
};

// A number typed into a row's key cell: from now on the row is kept only
// while its number is above 0 (a row read with a number of 0 or less is
// kept as read until then).
void KeyTyped(TStringGrid& grid, int row);

// Fills every grid and label from the model; member lengths are refreshed
// in the model on the way.
void ModelToGrids(InputGrids& g, FrameModel& model, const SelectionState& sel);
// Rebuilds the model's tables from the grids. Returns "" or a message
// naming the tables whose rows did not fit (those rows are dropped).
std::string GridsToModel(InputGrids& g, FrameModel& model, const SelectionState& sel);
// Normalises the points of interest and lists those of the selected member.
void RebuildView2Grid(InputGrids& g, FrameModel& model, const SelectionState& sel);
// Exchange sort of the data rows by the number in keyColumn (columns from 1
// and the row tags move, column 0 stays).
void SortGridRows(TStringGrid& grid, int keyColumn);
// Names are typed in Japanese, every other column takes numbers: the input
// method is opened for a column whose caption holds 「名」 and closed for
// the others. Called whenever the current column may have changed.
void FollowInputMethod(TStringGrid& grid);

// What one cell shows.
struct CellLook {
    std::string text;
    std::uint32_t back = 0xD0E0E0;
    std::uint32_t font = 0;
};
CellLook GridCellLook(const InputGrids& g, const FrameModel& model, const SelectionState& sel,
                      GridId id, int col, int row);
