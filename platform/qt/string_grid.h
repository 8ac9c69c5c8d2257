// A table of CP932 text cells in the manner of the class library's
// TStringGrid: row 0 and column 0 are fixed (captions, row labels), every
// cell is drawn by the owner's OnDrawCell, and typing into a cell writes
// its text at once (the in-place editor). No Qt type is named here.
//
// Events follow the class library: OnClick fires whenever the current cell
// changes, also when code sets Row or Col, unless the grid is disabled (the
// owners disable a grid around code changes for that reason). OnKeyPress
// receives a mutable key: setting it to 0 discards it. Enter is key 13;
// Escape that cancels an edit comes as key 27 once the cell has its text
// back.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/canvas.h"
#include "platform/qt/controls.h"

class TStringGrid : public TControl {
  public:
    explicit TStringGrid(TWinControl* parent = nullptr);
    ~TStringGrid() override;

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    void SetColCount(int n);
    void SetRowCount(int n);

    // Empty for a cell outside the grid; writes outside are ignored.
    const std::string& Cells(int col, int row) const;
    void SetCell(int col, int row, const std::string& text);
    // A number kept per row (the class library's Objects[]); it moves with
    // the row when rows are exchanged by the owner.
    long RowTag(int row) const;
    void SetRowTag(int row, long tag);
    void ClearRow(int row);

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    int DefaultRowHeight() const { return defaultRowHeight_; }

    int Row() const { return row_; }
    int Col() const { return col_; }
    // Moves the current cell (clamped to the data cells); fires OnClick
    // when the cell changes and the grid is enabled.
    void SetRow(int row);
    void SetCol(int col);

    // Width of a text in the grid's font, pixels.
    int TextWidth(const std::string& text) const;
    void Refresh();
    bool Focused() const;
    // The cell under a point of the grid's client area; false outside cells.
    bool MouseToCell(int x, int y, int& col, int& row) const;
    // Where a cell is drawn now, in the client area's pixels (the area that
    // receives the mouse: the widget's viewport).
    TRect CellRect(int col, int row) const;
    QWidget* ClientWidget() const;
    // True while the in-place editor is open.
    bool Editing() const;
    // The input method of the grid and its editor: open for text of any
    // kind (names typed in Japanese), closed for numbers, where the editor
    // asks for digits only and a Japanese input method switches itself off.
    void SetImeMode(bool open);
    bool ImeOpen() const { return imeOpen_; }

    std::function<void(int col, int row, TCanvas& canvas, const TRect& rect)> OnDrawCell;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(char& key)> OnKeyPress;
    // key: Qt-independent virtual key code (VK_* values of Windows: 'Z' 90,
    // F9 120); ctrl and shift: modifier state.
    std::function<void(int key, bool ctrl, bool shift)> OnKeyDown;
    std::function<void(int x, int y)> OnMouseDown;
    // After a person's typing has changed the current cell's text (keys,
    // deletions, a paste into the editor); not for texts set by code.
    std::function<void()> OnEdited;

    struct Impl;

  private:
    friend struct Impl;
    void EnsureSize();
    int colCount_ = 5;
    int rowCount_ = 5;
    int row_ = 1;
    int col_ = 1;
    int defaultRowHeight_ = 20;
    bool imeOpen_ = true;
    std::vector<std::vector<std::string>> cells_;  // [row][col]
    std::vector<long> rowTags_;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    Impl* impl_ = nullptr;  // owned by the widget tree
};
