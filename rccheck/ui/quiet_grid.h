// Moving a grid's current cell from code without the click event that a
// person's move fires.
#pragma once
#include "platform/qt/string_grid.h"

// Disables the grid for its lifetime (a disabled grid fires no OnClick) and
// then gives it back its state and the keyboard focus it had: a disabled
// widget loses the focus, and a person who just clicked a cell or pressed
// Enter must be able to type on.
class QuietGrid {
  public:
    explicit QuietGrid(TStringGrid& grid)
        : grid_(grid), enabled_(grid.Enabled()), focused_(grid.Focused()) {
        grid_.SetEnabled(false);
    }
    ~QuietGrid() {
        grid_.SetEnabled(enabled_);
        if (enabled_ && focused_) grid_.SetFocus();
    }
    QuietGrid(const QuietGrid&) = delete;
    QuietGrid& operator=(const QuietGrid&) = delete;

  private:
    TStringGrid& grid_;
    bool enabled_;
    bool focused_;
};
