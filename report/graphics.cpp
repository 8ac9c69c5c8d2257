#include "report/graphics.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "model/numeric.h"
#include "report/page_pool.h"

GraphicsState CurrentGraphics;

namespace {

GraphicsState& S() { return CurrentGraphics; }

constexpr double kMaxDevice = 1.0e6;

// Clamped device value as a double, for coordinates handed to the pool.
double DevClamp(double v) {
    if (!std::isfinite(v)) return 0.0;
    return std::clamp(v, -kMaxDevice, kMaxDevice);
}

int CurrentPenWidth() { return S().canvas ? S().canvas->PenWidth() : 1; }

// Preview snapping: whole, even, and one more for thin pens, so that thin
// lines fall on the odd pixels where the replay puts them.
double Snap(double v) {
    int i = DevToInt(Round0(DevClamp(v)));
    i = (i >> 1) * 2;
    if (CurrentPenWidth() <= 2) i += 1;
    return i;
}

double NonTiny(double v, double floor) { return std::fabs(v) < floor ? floor : v; }

}  // namespace

int DevToInt(double v) { return static_cast<int>(DevClamp(v)); }

// ---------------------------------------------------------------------------
// Device and window

void G_SetDevice(TBitmap* target, int top, int width, int height, int previewFlag) {
    G_SetDevice(target ? &target->Canvas() : nullptr, top, width, height, previewFlag);
}

void G_SetDevice(TCanvas* target, int top, int width, int height, int previewFlag) {
    GraphicsState& s = S();
    s.deviceKind = previewFlag ? kDevicePreview : kDeviceScreen;
    s.canvas = target;
    if ((width == 0 || height == 0) && target) {
        const TRect r = target->ClipRect();
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    // The page is always 180 mm wide.
    const double ppm = std::max(width / 180.0, 0.1);
    s.pxPerMmX = s.pxPerMmY = ppm;
    s.paperLeft = 0;
    s.paperRight = 180;
    s.paperTop = top < 0 ? 5 : top;
    s.paperBottom = height / ppm;
    s.window.mmPerUnitX = 1.0;
    s.window.mmPerUnitY = 1.0;
}

TCanvas* G_GetCanvas() { return S().canvas; }
bool G_IsScreen() { return S().deviceKind == kDeviceScreen; }

void G_SetWindow(double x1, double y1, double x2, double y2, double X1, double Y1, double X2,
                 double Y2) {
    GraphicsWindow& w = S().window;
    auto extent = [](double d) { return std::fabs(d) < 1e-9 ? 1.0 : d; };
    w.mmPerUnitX = extent(x2 - x1) / extent(X2 - X1);
    w.mmPerUnitY = extent(y2 - y1) / extent(Y2 - Y1);
    w.paperOriginX = x1;
    w.paperOriginY = y1;
    w.worldOriginX = X1;
    w.worldOriginY = Y1;
    w.x1 = x1;
    w.y1 = y1;
    w.x2 = x2;
    w.y2 = y2;
}

void G_FitWindow(double x1, double y1, double x2, double y2, double X1, double Y1, double X2,
                 double Y2) {
    // 1. Extents; the paper's never below 1e-9 in magnitude.
    const double pw = NonTiny(x2 - x1, 1e-9), ph = NonTiny(y2 - y1, 1e-9);
    const double ww = X2 - X1, wh = Y2 - Y1;
    // 2.-3. One scale for both axes: the larger one at which the drawing
    // still fits both ways. A drawing without width or height (the members
    // of a continuous beam or of a single column on one line) is fitted by
    // its other extent alone; a single point draws at 1 mm per unit. Taking
    // the empty extent as 1e-9 instead would shrink the whole figure into a
    // line of that height.
    const bool flatX = std::fabs(ww) < 1e-9, flatY = std::fabs(wh) < 1e-9;
    double scale = 1.0;
    if (!flatX && !flatY)
        scale = std::min(std::fabs(pw / ww), std::fabs(ph / wh));
    else if (!flatX)
        scale = std::fabs(pw / ww);
    else if (!flatY)
        scale = std::fabs(ph / wh);
    // Paper and world axes point the same way or opposite ways (world y up
    // on paper y down); an empty world extent counts as pointing forward.
    const double mx = (pw >= 0) == (ww >= 0) ? scale : -scale;
    const double my = (ph >= 0) == (wh >= 0) ? scale : -scale;
    G_CentreWindow((x1 + x2) * 0.5, (y1 + y2) * 0.5, mx, my, X1, Y1, X2, Y2);
}

void G_CentreWindow(double cx, double cy, double mmPerUnitX, double mmPerUnitY, double X1,
                    double Y1, double X2, double Y2) {
    const double ww = X2 - X1, wh = Y2 - Y1;
    GraphicsWindow& w = S().window;
    w.mmPerUnitX = mmPerUnitX;
    w.mmPerUnitY = mmPerUnitY;
    // The paper rectangle is the drawing's own, centred on (cx, cy).
    w.x1 = w.paperOriginX = cx - mmPerUnitX * ww * 0.5;
    w.y1 = w.paperOriginY = cy - mmPerUnitY * wh * 0.5;
    w.x2 = cx + mmPerUnitX * ww * 0.5;
    w.y2 = cy + mmPerUnitY * wh * 0.5;
    w.worldOriginX = X1;
    w.worldOriginY = Y1;
    // Kept for the zoom reset.
    S().savedWindow = w;
}

void G_ZoomAt(double devX, double devY, double factor) {
    GraphicsWindow& w = S().window;
    if (factor == 0) {
        w = S().savedWindow;
        return;
    }
    const double wx = DevToWorldX(devX), wy = DevToWorldY(devY);
    w.worldOriginX = wx + (w.worldOriginX - wx) / factor;
    w.worldOriginY = wy + (w.worldOriginY - wy) / factor;
    w.mmPerUnitX *= factor;
    w.mmPerUnitY *= factor;
}

void G_PanBy(double dx, double dy) {
    GraphicsWindow& w = S().window;
    w.worldOriginX -= dx / NonTiny(S().pxPerMmX * w.mmPerUnitX, 1e-12);
    w.worldOriginY -= dy / NonTiny(S().pxPerMmY * w.mmPerUnitY, 1e-12);
}

void G_SaveState(GraphicsState& block) { block = S(); }
void G_RestoreState(const GraphicsState& block) { S() = block; }

// ---------------------------------------------------------------------------
// Conversions. Scales are signed: a y length in world units turns negative
// in mm when the window's y scale is negative.

double MmToDevX(double v) { return (v + S().paperLeft) * S().pxPerMmX; }
double MmToDevY(double v) { return (v + S().paperTop) * S().pxPerMmY; }
double DevToMmX(double v) { return v / NonTiny(S().pxPerMmX, 0.001) - S().paperLeft; }
double DevToMmY(double v) { return v / NonTiny(S().pxPerMmY, 0.001) - S().paperTop; }
double MmToWorldX(double v) {
    const GraphicsWindow& w = S().window;
    return (v - w.paperOriginX) / NonTiny(w.mmPerUnitX, 1e-300) + w.worldOriginX;
}
double MmToWorldY(double v) {
    const GraphicsWindow& w = S().window;
    return (v - w.paperOriginY) / NonTiny(w.mmPerUnitY, 1e-300) + w.worldOriginY;
}
double WorldToMmX(double v) {
    const GraphicsWindow& w = S().window;
    return (v - w.worldOriginX) * w.mmPerUnitX + w.paperOriginX;
}
double WorldToMmY(double v) {
    const GraphicsWindow& w = S().window;
    return (v - w.worldOriginY) * w.mmPerUnitY + w.paperOriginY;
}
double WorldToDevX(double v) { return MmToDevX(WorldToMmX(v)); }
double WorldToDevY(double v) { return MmToDevY(WorldToMmY(v)); }
double DevToWorldX(double v) { return MmToWorldX(DevToMmX(v)); }
double DevToWorldY(double v) { return MmToWorldY(DevToMmY(v)); }
double DevLenToMmX(double v) { return v / std::max(S().pxPerMmX, 0.001); }
double DevLenToMmY(double v) { return v / std::max(S().pxPerMmY, 0.001); }
double MmLenToDevX(double v) { return v * S().pxPerMmX; }
double MmLenToDevY(double v) { return v * S().pxPerMmY; }
double DevLenToWorldX(double v) { return MmLenToWorldX(DevLenToMmX(v)); }
double DevLenToWorldY(double v) { return MmLenToWorldY(DevLenToMmY(v)); }
double WorldLenToDevX(double v) { return v * S().pxPerMmX * S().window.mmPerUnitX; }
double WorldLenToDevY(double v) { return v * S().pxPerMmY * S().window.mmPerUnitY; }
double MmLenToWorldX(double v) { return v / NonTiny(S().window.mmPerUnitX, 1e-300); }
double MmLenToWorldY(double v) { return v / NonTiny(S().window.mmPerUnitY, 1e-300); }
double WorldLenToMmX(double v) { return v * S().window.mmPerUnitX; }
double WorldLenToMmY(double v) { return v * S().window.mmPerUnitY; }

// ---------------------------------------------------------------------------
// Colours, pens, brushes

std::uint32_t ColorToGray(std::uint32_t c) {
    const std::uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    const std::uint32_t grey = (9 * g + 5 * b + 2 * r) >> 4;
    return grey * 0x010101u;
}

void G_SetLineColor(std::uint32_t colour) {
    PoolSetPenColor(S().canvas, G_IsScreen() ? colour : ColorToGray(colour));
}

void G_SetLineStyle(int style) {
    if (G_IsScreen()) PoolSetPenStyle(S().canvas, style);
}

void G_SetFillColor(std::uint32_t colour) {
    if (S().deviceKind == kDevicePreview && colour != kScreenBackground)
        colour = ColorToGray(colour);
    PoolSetBrushColor(S().canvas, colour);
}

void G_SetFillStyle(int style) { PoolSetBrushStyle(S().canvas, style); }

void G_SetLineWidthMm(double mm) {
    const double w = std::max(Round0(DevClamp(MmLenToDevX(mm))), 1.0);
    PoolSetPenWidth(S().canvas, static_cast<float>(w));
}

void G_SetLineWidth(double units) {
    double w = units + 0.1;
    if (S().deviceKind == kDevicePreview) w *= 2;
    w = std::clamp(w, 1.0, 10000.0);
    PoolSetPenWidth(S().canvas, static_cast<float>(w));
}

void G_ClearPage(std::uint32_t colour) {
    if (S().deviceKind != kDeviceScreen && S().deviceKind != kDevicePreview) return;
    TCanvas* c = S().canvas;
    PoolSetBrushStyle(c, bsSolid);
    PoolSetBrushColor(c, colour);
    if (c) PoolFillRect(c, c->ClipRect());
    PoolSetBrushStyle(c, bsClear);
}

// ---------------------------------------------------------------------------
// Moves and lines

void DevMoveTo(double x, double y) {
    S().devX = x;
    S().devY = y;
    if (S().deviceKind == kDevicePreview) {
        x = Snap(x);
        y = Snap(y);
    }
    PoolMoveTo(S().canvas, static_cast<float>(DevClamp(x)), static_cast<float>(DevClamp(y)));
}

void DevLineTo(double x, double y) {
    S().devX = x;
    S().devY = y;
    if (S().deviceKind == kDevicePreview) {
        x = Snap(x);
        y = Snap(y);
    }
    PoolLineTo(S().canvas, static_cast<float>(DevClamp(x)), static_cast<float>(DevClamp(y)));
}

void Gmm_MoveTo(double x, double y) {
    S().mmX = x;
    S().mmY = y;
    DevMoveTo(MmToDevX(x), MmToDevY(y));
}

void G_MoveTo(double x, double y) {
    S().worldX = x;
    S().worldY = y;
    Gmm_MoveTo(WorldToMmX(x), WorldToMmY(y));
}

namespace {

// A dashed line from the current device point to E, one pattern bit per
// step of three pen widths; the piece after the last step is not drawn.
void DashedLineTo(double ex, double ey, int lineType) {
    const std::uint32_t pattern = lineType == 3 ? 0xF5F5F5F5u : 0xAAAAAAAAu;
    const double sx = DevClamp(S().devX), sy = DevClamp(S().devY);
    ex = DevClamp(ex);
    ey = DevClamp(ey);
    int n = static_cast<int>(SafeSqrt((ex - sx) * (ex - sx) + (ey - sy) * (ey - sy)));
    if (n < 1) n = 1;
    const int step = std::max(1, 3 * CurrentPenWidth());
    std::uint32_t mask = 0x80000000u;
    for (long w = 0; w < n; w += step) {
        const double px = ((n - w) * sx + w * ex) / n;
        const double py = ((n - w) * sy + w * ey) / n;
        if (pattern & mask) DevLineTo(px, py);
        DevMoveTo(px, py);
        mask >>= 1;
        if (mask == 0) mask = 0x80000000u;
    }
}

}  // namespace

void Gmm_LineTo(double x, double y, int lineType, std::uint32_t colour) {
    S().mmX = x;
    S().mmY = y;
    if (colour != 1) PoolSetPenColor(S().canvas, colour);
    PoolSetPenStyle(S().canvas, psSolid);
    if (lineType == 0)
        DevLineTo(MmToDevX(x), MmToDevY(y));
    else
        DashedLineTo(MmToDevX(x), MmToDevY(y), lineType);
}

void G_LineTo(double x, double y, int lineType, std::uint32_t colour) {
    Gmm_LineTo(WorldToMmX(x), WorldToMmY(y), lineType, colour);
}

void Gmm_Line(double x1, double y1, double x2, double y2, int lineType, std::uint32_t colour) {
    Gmm_MoveTo(x1, y1);
    Gmm_LineTo(x2, y2, lineType, colour);
}

void G_Line(double x1, double y1, double x2, double y2, int lineType, std::uint32_t colour) {
    G_MoveTo(x1, y1);
    G_LineTo(x2, y2, lineType, colour);
}

// ---------------------------------------------------------------------------
// Shapes

void G_Ellipse(double cx, double cy, double radius, double aspect) {
    const int x = DevToInt(WorldToDevX(cx)), y = DevToInt(WorldToDevY(cy));
    const int rx = DevToInt(WorldLenToDevX(radius));
    const int ry = DevToInt(rx * aspect);
    PoolEllipse(S().canvas, static_cast<float>(x - rx), static_cast<float>(y - ry),
                static_cast<float>(x + rx), static_cast<float>(y + ry));
}

void G_Arc(double cx, double cy, double radius, double angle1, double angle2) {
    const int x = DevToInt(WorldToDevX(cx)), y = DevToInt(WorldToDevY(cy));
    const int r = DevToInt(WorldLenToDevX(radius));
    const int x3 = DevToInt(x + r * std::cos(angle1)), y3 = DevToInt(y - r * std::sin(angle1));
    const int x4 = DevToInt(x + r * std::cos(angle2)), y4 = DevToInt(y - r * std::sin(angle2));
    PoolArc(S().canvas, static_cast<float>(x - r), static_cast<float>(y - r),
            static_cast<float>(x + r), static_cast<float>(y + r), static_cast<float>(x3),
            static_cast<float>(y3), static_cast<float>(x4), static_cast<float>(y4));
}

void DevPolygon(const TPoint* points, int count, int fillStyle, std::uint32_t backColour,
                std::uint32_t fillColour, std::uint32_t lineColour) {
    if (!points || count <= 0) return;
    TCanvas* c = S().canvas;
    PoolSetPenColor(c, lineColour);
    if (fillStyle != bsSolid && backColour != kNoColor) {
        // A hatch has a transparent background: lay the background first.
        G_SetFillColor(backColour);
        PoolSetBrushStyle(c, bsSolid);
        PoolPolygon(c, points, count - 1);
    }
    G_SetFillColor(fillColour);
    PoolSetBrushStyle(c, fillStyle);
    PoolPolygon(c, points, count - 1);
    PoolSetBrushStyle(c, bsClear);
}

void G_Polygon(const double* points, int count, int fillStyle, std::uint32_t backColour,
               std::uint32_t fillColour, std::uint32_t lineColour) {
    if (!points || count <= 0) return;
    TPoint device[256];
    count = std::min(count, 256);
    for (int i = 0; i < count; ++i)
        device[i] = {DevToInt(WorldToDevX(points[2 * i])),
                     DevToInt(WorldToDevY(points[2 * i + 1]))};
    DevPolygon(device, count, fillStyle, backColour, fillColour, lineColour);
}

void G_Quad(double x1, double y1, double x2, double y2, int fillStyle, std::uint32_t backColour,
            std::uint32_t fillColour, std::uint32_t lineColour) {
    const double pts[8] = {x1, y1, x2, y1, x2, y2, x1, y2};
    G_Polygon(pts, 4, fillStyle, backColour, fillColour, lineColour);
}

void G_FillQuad(double x1, double y1, double x2, double y2) {
    TCanvas* c = S().canvas;
    if (!c) return;
    G_Quad(x1, y1, x2, y2, c->BrushStyle(), kNoColor, c->BrushColor(), c->PenColor());
}

void G_Marker(double x, double y, int size, std::uint32_t fillColour, std::uint32_t frameColour) {
    TCanvas* c = S().canvas;
    if (G_IsScreen() && c) {
        const int left = DevToInt(Round0(DevClamp(WorldToDevX(x))) - size / 2);
        const int top = DevToInt(Round0(DevClamp(WorldToDevY(y))) - size / 2);
        const TRect r{left, top, left + size, top + size};
        PoolSetPenWidth(c, 1);
        PoolSetPenStyle(c, psSolid);
        PoolSetPenColor(c, fillColour);
        PoolSetBrushColor(c, fillColour);
        PoolSetBrushStyle(c, bsSolid);
        PoolFillRect(c, r);
        if (frameColour != 1) {
            PoolSetBrushColor(c, frameColour);
            PoolFrameRect(c, r);
        }
    }
    PoolSetBrushStyle(c, bsClear);
}

void PolyArrowPx(int x, int y, double angle, int maxLength) {
    // Offsets in pen widths: a head 5 widths long and 4 wide, a shaft 2 wide.
    static const int table[][2] = {{1, 0},       {6, 2},  {6, 1},  {999999, 1},
                                   {999999, -1}, {6, -1}, {6, -2}, {1, 0}};
    TCanvas* c = S().canvas;
    const int w = CurrentPenWidth();
    const double ca = std::cos(angle), sa = std::sin(angle);
    TPoint arrow[std::size(table)];
    int count = 0;
    for (const auto& e : table) {
        const double u = std::min(static_cast<double>(e[0]) * w, static_cast<double>(maxLength));
        const double v = static_cast<double>(e[1]) * w;
        arrow[count++] = {DevToInt(x + Round0(u * ca + v * sa)),
                          DevToInt(y + Round0(-u * sa + v * ca))};
    }
    G_SetLineWidth(1);
    if (G_IsScreen()) PoolSetPenStyle(c, psSolid);
    PoolSetBrushStyle(c, bsSolid);
    PoolPolygon(c, arrow, count - 1);
    // Back to the caller's width without the preview's doubling; through the
    // pool, so that a replayed page gets it back as well.
    PoolSetPenWidth(c, static_cast<float>(w));
}

void G_PolyArrow(double x, double y, double angle, double length) {
    PolyArrowPx(DevToInt(WorldToDevX(x)), DevToInt(WorldToDevY(y)), angle,
                DevToInt(WorldLenToDevX(length)));
}
