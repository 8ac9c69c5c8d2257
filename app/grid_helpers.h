// Helpers shared by every table of the program: column definitions
// (「24:・┃格点No┃64:X (m)」), row selection by number, cells written only
// when changed, row and column labels of the RC grids, grid sizing, the
// numeric edit format code, and the drawing of cell texts.
//
// Column definition: items separated by 「┃」; an item is "width:caption" or
// a bare caption measured from its text plus one "X". Inside a caption ","
// starts a second line and "$" is a blank that survives trimming.
#pragma once
#include <cstdint>
#include <string>

class TCanvas;
class TControl;
class TStringGrid;
struct TRect;

// Fills the caption row and column widths from a definition; returns the
// total width in pixels (1 + the sum of width + 1), 0 for an empty one.
int SetGridHeader(TStringGrid& grid, int captionRow, const std::string& definition);
// SetGridHeader on row 0, grid width = total + 20, caption row at least
// minHeaderHeight pixels high.
void SetupGridHeader(TStringGrid& grid, int minHeaderHeight, const std::string& definition);
// The same with the margin optional.
void FitGridWidthToColumns(TStringGrid& grid, int minHeaderHeight, const std::string& definition,
                           bool addMargin);
// Makes the first data row whose key column reads as number current (the
// grid disabled meanwhile, so no click event fires); refreshes the grid.
void SelectGridRowByKey(TStringGrid& grid, int keyColumn, int number);
void SetCellIfChanged(TStringGrid& grid, int row, int col, const std::string& text);
// A number for a cell by a printf format of one real ("%7.4f", "%12.5e"):
// a value that the format shows as zero is shown without a minus sign
// ("-0.0000" would read as another number).
std::string FormatCellNumber(const char* format, double value);

// Display attributes of one row (or column) of an RC grid.
struct GridAttribute {
    std::string key;  // "(ZB)", "(****)" for a row without input
    int editable = 0;
    int backColor = -1;  // -1: the grid's default
    int fontColor = 0;
    int bold = 0;
    int lineAbove = 0;  // label began with "^"
    int lineBelow = 0;  // label began with "_"
};
// Labels one row (columns 0, 1, 2) or one column (rows 0, 1, 2); null texts
// are left as they are. A leading run of "^" and "_" on the label sets the
// line flags and is removed.
void SetRowLabel(TStringGrid& grid, int row, const char* label, const char* second,
                 const char* third, GridAttribute* attributes, const std::string& key,
                 int backColor, int fontColor, int bold, int editable);
void SetColumnLabel(TStringGrid& grid, int col, const char* label, const char* second,
                    const char* third, GridAttribute* attributes, const std::string& key,
                    int backColor, int fontColor, int bold, int editable);
// Adds one pixel to up to min(spare, rows) rows, spread evenly, so that the
// rows fill the grid's height less reserved; rows grown never pass 26 px.
void SpreadRowHeights(TStringGrid& grid, int reservedHeight);

// True while the key (virtual-key code) is held down.
bool IsKeyDown(int virtualKey);
// TextToDouble of a label's caption; 0 for other controls.
double ControlToDouble(const TControl& control);
// Sets the canvas font to a cell font: height <= 0 keeps the magnitude of
// the present height, width <= 0 is half the height; kind 1 gothic, 2
// mincho, else the present face.
void CreateCellFont(TCanvas& canvas, int height, int width, int angle, int kind);
// The text squeezed (narrower characters) into width pixels, left-aligned;
// width <= 0 draws it as it is.
void DrawCellText(TCanvas& canvas, int x, int y, int width, const std::string& text);
// The same, centred in the width.
void DrawCellTextAt(TCanvas& canvas, int x, int y, int width, const std::string& text);
// Comma-separated lines spread over the rectangle's height, "$" as blank.
void DrawCellLines(TCanvas& canvas, const TRect& rect, const std::string& text);
