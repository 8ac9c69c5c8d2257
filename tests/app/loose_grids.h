// The fourteen input grids on their own, without a window: each with its
// header, as the main window sets them up, for tests of the mapping between
// the model and the grids.
#pragma once
#include <memory>

#include "app/grid_helpers.h"
#include "app/input_grids.h"
#include "platform/qt/string_grid.h"

struct LooseGrids {
    std::unique_ptr<TStringGrid> owned[kGridCount];
    InputGrids g;
    LooseGrids() {
        for (int i = 0; i < kGridCount; ++i) {
            owned[i] = std::make_unique<TStringGrid>();
            g.grid[i] = owned[i].get();
            SetGridHeader(*g.grid[i], 0, GridHeaderSpec(static_cast<GridId>(i)));
        }
    }
    TStringGrid& operator[](GridId id) { return g[id]; }
};
