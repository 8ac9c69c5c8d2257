// The structure figure of the main window, without the window: the display
// switches, the diagram scale, the painter that composes every layer into
// the off-screen bitmap, fitting, pan, wheel zoom and picking a member.
//
// Wiring (the paint box Paint1 of the main window):
//   paint event        -> FigurePaint1Paint(ctx, bitmap, w, h), then copy
//                         the bitmap onto the paint box at (0, 0)
//   全体 / double-click -> FigureFitView(ctx, bitmap, w, h), then copy
//   switch clicked     -> DisplaySwitches = ReadDisplaySwitches(boxes);
//                         for 合成表示 also InvalidateLoadCache(); repaint
//   left button down   -> FigureMouseDown(x, y)
//   mouse move         -> FigureMouseMove(x, y, leftHeld, repaint)
//   left button up     -> i = FigureMouseUp(model, x, y); when i > 0 set
//                         SgMember's row to i, and when no member was
//                         selected before, select members[i].no and repaint
//   wheel              -> FigureWheel(delta, shift, repaint)
//   100 ms timer       -> repaint when FigureRedrawDue(GetTickCount())
// where repaint paints (FigurePaint1Paint) and copies.
#pragma once
#include <cstdint>
#include <functional>

#include "app/input_grids.h"
#include "report/graphics.h"

struct FrameModel;
struct FrameResults;
class TBitmap;

// --- Display switches ---
// The check boxes and radio buttons of the figure panel.
struct FigureSwitchBoxes {
    bool section = true;        // 断面積
    bool sectionText = false;   // 数値
    bool nodeNumbers = true;    // 格点No
    bool memberThick = false;   // 部材太線
    bool arrowIJ = false;       // ｉ→ｊ
    bool memberNumbers = true;  // 部材No
    bool supports = true;       // 支点ﾏｰｸ
    bool viewPoints = true;     // 着目点
    bool loads = false;         // 荷 重
    bool loadsMerged = false;   // 合成表示
    // Radio group; all false is 無し.
    bool forceM = false, forceS = false, forceN = false, displacement = false, reactions = false;
};

struct DisplaySwitchState {
    std::uint8_t bytes[3] = {0, 0, 0};
    bool Bit(int byte, int bit) const { return (bytes[byte] >> bit) & 1; }
    bool Section() const { return Bit(0, 0); }
    bool SectionText() const { return Bit(0, 1); }
    bool NodeNumbers() const { return Bit(0, 3); }
    bool MemberThick() const { return Bit(0, 4); }
    bool ArrowIJ() const { return Bit(0, 5); }
    bool MemberNumbers() const { return Bit(0, 6); }
    bool Supports() const { return Bit(1, 0); }
    bool ViewPoints() const { return Bit(1, 1); }
    bool Loads() const { return Bit(1, 2); }
    bool LoadsMerged() const { return Bit(1, 3); }
    bool ForceM() const { return Bit(1, 4); }
    bool ForceS() const { return Bit(1, 5); }
    bool ForceN() const { return Bit(1, 6); }
    bool Displacement() const { return Bit(1, 7); }
    bool Reactions() const { return Bit(2, 0); }
};

DisplaySwitchState ReadDisplaySwitches(const FigureSwitchBoxes& boxes);
extern DisplaySwitchState DisplaySwitches;

struct DiagramScaleState {
    double minimum = 0.09;
    double maximum = 10.0;
    double value = 1.0;
};
extern DiagramScaleState DiagramScale;

// --- View state ---
struct FigureExtentsRect {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct FigureViewData {
    GraphicsState state{};  // FigureViewState: window of the figure
    bool fitted = false;
    FigureExtentsRect extents;   // FigureExtents
    double fitPixelWorld = 1.0;  // FitPixelWorld
    int pressX = 0, pressY = 0;
    int lastX = 0, lastY = 0;
    double wheelFactor = 1.1;
    int wheelSkip = 0;
    std::uint32_t redrawDeadline = 0;
    bool redrawPending = false;
    int rememberedWidth = -1;
};
extern FigureViewData FigureView;

// What the painter draws from.
struct FigureContext {
    FrameModel* model = nullptr;
    const FrameResults* results = nullptr;  // null or memberCount 0: no results
    SelectionState selection;
    int currentLoadRow = 0;  // row of SgLoad2, drawn again in magenta
    bool ctrlHeld = false;   // rulers measured from the lower left corner
    DisplaySwitchState switches;
};

// Extents of the nodes (node slot 1 when there are none).
FigureExtentsRect NodeExtents(const FrameModel& model);
// Draws the whole figure into bitmap (width x height pixels); with fit, the
// view is fitted to those extents first.
void PaintFigure(const FigureContext& ctx, TBitmap& bitmap, int width, int height,
                 const FigureExtentsRect* fit);
void FigureFitView(const FigureContext& ctx, TBitmap& bitmap, int width, int height);
// Paints, fitting first at the first call and whenever the width changed.
void FigurePaint1Paint(const FigureContext& ctx, TBitmap& bitmap, int width, int height);
// The merged copy of the current case in load slot 0 is rebuilt.
void InvalidateLoadCache(FrameModel& model);

// --- Mouse ---
void FigureMouseDown(int x, int y);
// Returns true when it panned (and repainted through repaint).
bool FigureMouseMove(int x, int y, bool leftHeld, const std::function<void()>& repaint);
// The member index picked by a click released at (x, y); 0 for a drag or
// a click far from every member.
int FigureMouseUp(const FrameModel& model, int x, int y);
// One zoom step of factor f (> 1) about device point (x, y) of the current
// graphics state, in or out, stopping at 0.0001 m = 12 px and 0.2 m = 1 px.
void ZoomWithinLimits(int x, int y, bool zoomIn, double f);
// delta > 0 zooms in about the last mouse point; in the left ruler band it
// changes DiagramScale instead. Every notch acts; after a slow repaint the
// next notches only zoom and the redraw follows.
void FigureWheel(int delta, bool shift, const std::function<void()>& repaint);
// True once, 100 ms after the last pan or zoom step.
bool FigureRedrawDue(std::uint32_t now);
