// The RC section table: one column per RC section, one row per property
// (dimensions, bars, covers, stirrups, moduli, allowables of check types 1
// and 2, material strengths of type 3), with an add column (追加) for a new
// section.
#pragma once

struct RcCheckData;
struct TRect;
struct GridAttribute;
class TCanvas;
class TStringGrid;

constexpr int kSectionGridRows = 27;

// mode 0 fills the grid; any other mode writes the current cell into the
// sections. With Shift held a value goes to every section (not the No and
// name rows). A new No in the add column adds a section; No 0 removes one.
void FillSectionGrid(TStringGrid& grid, RcCheckData& rc, int mode);
void DrawSectionGridCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect);
// After a click: the nearest editable row in the direction of the move.
void MoveToEditableRow(TStringGrid& grid);

const GridAttribute& SectionGridRowAttribute(int row);
