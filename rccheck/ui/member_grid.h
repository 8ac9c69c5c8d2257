// The bar arrangement table: two rows per RC member (outer 外 and inner 内)
// with the covers, bars and stirrups of the member's RC section, the bar
// areas and the largest safety ratios over all points and check cases.
#pragma once

struct RcCheckData;
struct TRect;
struct GridAttribute;
class TCanvas;
class TStringGrid;

// readBack false fills the grid; true first writes the current cell into
// the RC data (covers, bars, stirrups and pitch go to the member's RC
// section and move the bar depths of every member using it).
void FillMemberGrid(TStringGrid& grid, RcCheckData& rc, bool readBack);
void DrawMemberGridCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect);
// After a click: moves the current column to an editable one and repaints
// the highlight of the member rows. Returns true when the input method
// should be open (the column holds names).
bool MemberGridSelectCell(TStringGrid& grid);

const GridAttribute& MemberGridColumnAttribute(int col);
