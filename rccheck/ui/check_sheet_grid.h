// The check sheet of one RC member: one row per quantity (section data,
// forces, stresses, capacities, safety ratios of the bending and shear
// checks), one column per point, for one check case or for the envelope
// (case 0). NG values carry a leading "*", blue values a leading "#".
#pragma once

struct RcCheckData;
struct TRect;
class TCanvas;
class TStringGrid;
struct GridAttribute;

// readBack false: fills the grid for member (1..memberCount) and checkCase
// (0 = envelope). readBack true: writes the current cell's text into the
// RC data (points, the member's section, or the shown case). fullDetail
// shows every row; otherwise the short sheet.
void FillCheckSheet(TStringGrid& grid, RcCheckData& rc, bool readBack, int member, int checkCase,
                    bool fullDetail);

// Owner drawing of one cell of the sheet.
void DrawCheckSheetCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect);

// Keeps the current cell on an editable row after a selection.
void CheckSheetSelectCell(TStringGrid& grid);

// The attributes of the sheet's rows as last filled (row 0..RowCount-1).
const GridAttribute& CheckSheetRowAttribute(int row);
// The member's point index shown in a column, 0 for the fixed columns.
int CheckSheetColumnPoint(int col);
