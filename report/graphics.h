// The graphics device layer: the one drawing interface of the program. It
// keeps the global GraphicsState, which says which canvas is drawn on and
// how three coordinate spaces map onto each other:
//   device  - pixels of the canvas, x right, y down        (Dev...)
//   paper   - millimetres, x right, y down, origin at the  (Gmm_...)
//             top left of the usable paper area; the page is 180 mm wide
//   world   - the drawing's own units (m), x right and,     (G_...)
//             with a negative y scale, y up
// Every pen, brush, move, line and shape goes through the page pool, which
// records it into the current report page or draws it at once.
// Colours are 0x00BBGGRR; 0xFF000000 means "no colour" where optional.
#pragma once
#include <cstdint>

#include "platform/qt/bitmap.h"
#include "platform/qt/canvas.h"

constexpr std::uint32_t kNoColor = 0xFF000000u;
constexpr std::uint32_t kScreenBackground = 0xD0E0E0u;
// Device kinds.
constexpr int kDeviceScreen = 1;
constexpr int kDevicePreview = 2;

struct GraphicsWindow {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // paper rectangle, mm
    double mmPerUnitX = 0, mmPerUnitY = 0;  // mm per world unit (signed)
    double paperOriginX = 0, paperOriginY = 0;
    double worldOriginX = 0, worldOriginY = 0;
};

struct GraphicsState {
    std::int32_t deviceKind = 0;
    double arrowSize = 0;  // mm, used by the annotation primitives
    TCanvas* canvas = nullptr;
    double paperLeft = 0, paperRight = 0, paperTop = 0, paperBottom = 0;  // mm
    double pxPerMmX = 0, pxPerMmY = 0;
    double devX = 0, devY = 0;      // current device point, before snapping
    double mmX = 0, mmY = 0;        // current paper point
    double worldX = 0, worldY = 0;  // current world point
    GraphicsWindow window;
    GraphicsWindow savedWindow;
};

// The one global state; starts all zero.
extern GraphicsState CurrentGraphics;

// --- Device and window ---
// top: paper offset in whole mm (negative: 5); width, height: pixels, 0 takes
// the canvas's clip rectangle; previewFlag non-zero: preview page bitmap.
void G_SetDevice(TBitmap* target, int top, int width, int height, int previewFlag);
void G_SetDevice(TCanvas* target, int top, int width, int height, int previewFlag);
TCanvas* G_GetCanvas();
bool G_IsScreen();
void G_SetWindow(double x1, double y1, double x2, double y2, double X1, double Y1, double X2,
                 double Y2);
void G_FitWindow(double x1, double y1, double x2, double y2, double X1, double Y1, double X2,
                 double Y2);
// The world rectangle's centre on the paper point (cx, cy) at the given
// signed scales (mm per world unit); saved for the zoom reset like a fit.
void G_CentreWindow(double cx, double cy, double mmPerUnitX, double mmPerUnitY, double X1,
                    double Y1, double X2, double Y2);
void G_ZoomAt(double devX, double devY, double factor);
void G_PanBy(double dx, double dy);
void G_SaveState(GraphicsState& block);
void G_RestoreState(const GraphicsState& block);

// --- Conversions ---
double MmToDevX(double v);
double MmToDevY(double v);
double DevToMmX(double v);
double DevToMmY(double v);
double MmToWorldX(double v);
double MmToWorldY(double v);
double WorldToMmX(double v);
double WorldToMmY(double v);
double WorldToDevX(double v);
double WorldToDevY(double v);
double DevToWorldX(double v);
double DevToWorldY(double v);
double DevLenToMmX(double v);
double DevLenToMmY(double v);
double MmLenToDevX(double v);
double MmLenToDevY(double v);
double DevLenToWorldX(double v);
double DevLenToWorldY(double v);
double WorldLenToDevX(double v);
double WorldLenToDevY(double v);
double MmLenToWorldX(double v);
double MmLenToWorldY(double v);
double WorldLenToMmX(double v);
double WorldLenToMmY(double v);

// --- Colours, pens, brushes ---
std::uint32_t ColorToGray(std::uint32_t colour);
void G_SetLineColor(std::uint32_t colour);
void G_SetLineStyle(int style);
void G_SetFillColor(std::uint32_t colour);
void G_SetFillStyle(int style);
void G_SetLineWidthMm(double mm);
void G_SetLineWidth(double units);
void G_ClearPage(std::uint32_t colour);

// --- Moves and lines ---
void DevMoveTo(double x, double y);
void DevLineTo(double x, double y);
void Gmm_MoveTo(double x, double y);
void G_MoveTo(double x, double y);
// lineType 0 solid, 3 long dashes, other values short dashes; colour 1 keeps
// the current pen colour.
void Gmm_LineTo(double x, double y, int lineType, std::uint32_t colour);
void G_LineTo(double x, double y, int lineType, std::uint32_t colour);
void Gmm_Line(double x1, double y1, double x2, double y2, int lineType, std::uint32_t colour);
void G_Line(double x1, double y1, double x2, double y2, int lineType, std::uint32_t colour);

// --- Shapes ---
void G_Ellipse(double cx, double cy, double radius, double aspect);
void G_Arc(double cx, double cy, double radius, double angle1, double angle2);
void DevPolygon(const TPoint* points, int count, int fillStyle, std::uint32_t backColour,
                std::uint32_t fillColour, std::uint32_t lineColour);
// points: count pairs (x, y) of world coordinates; at most 256 are drawn.
void G_Polygon(const double* points, int count, int fillStyle, std::uint32_t backColour,
               std::uint32_t fillColour, std::uint32_t lineColour);
void G_Quad(double x1, double y1, double x2, double y2, int fillStyle, std::uint32_t backColour,
            std::uint32_t fillColour, std::uint32_t lineColour);
void G_FillQuad(double x1, double y1, double x2, double y2);
void G_Marker(double x, double y, int size, std::uint32_t fillColour, std::uint32_t frameColour);
void PolyArrowPx(int x, int y, double angle, int maxLength);
void G_PolyArrow(double x, double y, double angle, double length);

// Device pixels as an int, clamped to +/-1e6 (NaN gives 0), so that far
// zooms never overflow.
int DevToInt(double v);
