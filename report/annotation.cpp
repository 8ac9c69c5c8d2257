#include "report/annotation.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "model/text_helpers.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/text_draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBarbAngle = kPi / 12;  // 15 degrees either side of the shaft
constexpr double kSamePoint = 1e-6;
// Load rows are spaced at least 2 mm on paper and 0.01 world units apart;
// the cap only guards against absurd zooms.
constexpr double kMinSpacingMm = 2.0;
constexpr double kMinSpacingWorld = 0.01;
constexpr int kMaxArrowsInRow = 10000;
constexpr double kLoadArrowSize = 1.5;

TCanvas* Canvas() { return CurrentGraphics.canvas; }
std::uint32_t PenColour() { return Canvas() ? Canvas()->PenColor() : 0; }
int PenWidthPx() { return Canvas() ? Canvas()->PenWidth() : 1; }
void SetPenColour(std::uint32_t c) { PoolSetPenColor(Canvas(), c); }

bool SamePoint(double x1, double y1, double x2, double y2) {
    return std::fabs(y2 - y1) < kSamePoint && std::fabs(x2 - x1) < kSamePoint;
}

double NormalDegrees(double deg) {
    deg = std::fmod(deg, 360.0);
    if (!(deg == deg)) return 0;
    return deg < 0 ? deg + 360.0 : deg;
}

// "$e": the length times 10^e, as a whole number.
std::string MeasuredText(const std::string& text, double length) {
    const double e = TextToDouble(text.substr(1, 9));
    return FormatStr("%.0f", length * std::pow(10.0, e));
}

// A load height below 1 mm on paper is drawn 1 mm high, keeping its sign
// (0 counts as positive).
double AtLeastOneMm(double q, double k) {
    if (std::fabs(q) >= k) return q;
    return q < 0 ? -k : k;
}

// Spacing of a load row: at least 2 mm on paper and 0.01 world units.
double RowSpacing(double spacing) {
    double d = std::max(spacing, MmLenToWorldX(1) * kMinSpacingMm);
    if (d < kMinSpacingWorld) d = kMinSpacingWorld;
    return d;
}

int ArrowCount(double length, double d) {
    const double m = std::max(length / d + 0.5, 1.0);
    return static_cast<int>(std::min(m, static_cast<double>(kMaxArrowsInRow)));
}

}  // namespace

void G_SetArrowSize(double size) { CurrentGraphics.arrowSize = size; }

void Gmm_ArrowLine(double x1, double y1, double x2, double y2, int flags) {
    // 1.
    if (flags & kArrowShaft) Gmm_Line(x1, y1, x2, y2, 0, 1);
    // 2.
    const double a = SafeAtan2(y2 - y1, x2 - x1);
    const double L = std::hypot(x2 - x1, y2 - y1);
    double s = CurrentGraphics.arrowSize;
    // 3. A double-headed arrow too short for two heads keeps only its shaft
    // (with a hair of slack, so that exactly 2.2 heads computed from paper
    // positions still gets its heads).
    if ((flags & 0x101) == 0x101 && 2.2 * s > L + 1e-9) s = 0;
    if (s == 0) return;
    // 4-5. Barbs point back along the shaft from the tip.
    if (flags & kArrowHeadFirst)
        for (double sign : {1.0, -1.0})
            Gmm_Line(x1, y1, x1 + s * std::cos(a + sign * kBarbAngle),
                     y1 + s * std::sin(a + sign * kBarbAngle), 0, 1);
    if (flags & kArrowHeadSecond) {
        const double b = a + kPi;
        for (double sign : {1.0, -1.0})
            Gmm_Line(x2, y2, x2 + s * std::cos(b + sign * kBarbAngle),
                     y2 + s * std::sin(b + sign * kBarbAngle), 0, 1);
    }
}

void G_ArrowLine(double x1, double y1, double x2, double y2, int flags) {
    Gmm_ArrowLine(WorldToMmX(x1), WorldToMmY(y1), WorldToMmX(x2), WorldToMmY(y2), flags);
}

void Gmm_DimensionLine(double x1, double y1, double x2, double y2, double offset, int flags,
                       const std::string& label, double size) {
    // 1.
    if (SamePoint(x1, y1, x2, y2)) return;
    const FontState saved = GetFontState();
    const std::uint32_t fontColour = Canvas() ? Canvas()->FontColor() : 0;
    // 2.
    const double a = SafeAtan2(y2 - y1, x2 - x1);
    // 3. Extension lines start 1 mm off the measured points and overshoot
    // the dimension line by a third of the text size.
    if (offset != 0) {
        const double nx = std::cos(a - kPi / 2), ny = std::sin(a - kPi / 2);
        const double sigma = offset >= 0 ? 1.0 : -1.0;
        const double reach = offset + sigma * size / 3;
        if (flags & kDimExtensionFirst)
            Gmm_Line(x1 + sigma * nx, y1 + sigma * ny, x1 + reach * nx, y1 + reach * ny, 0, 1);
        if (flags & kDimExtensionSecond)
            Gmm_Line(x2 + sigma * nx, y2 + sigma * ny, x2 + reach * nx, y2 + reach * ny, 0, 1);
        x1 += offset * nx;
        y1 += offset * ny;
        x2 += offset * nx;
        y2 += offset * ny;
    }
    // 4.
    Gmm_ArrowLine(x1, y1, x2, y2, flags);
    // 5.
    std::string text = label;
    if (!text.empty() && text[0] == '$') text = MeasuredText(text, std::hypot(x2 - x1, y2 - y1));
    // 6. The label turns with the line (paper y runs down, angles count up).
    SetFontMm(size, 0.6 * size, NormalDegrees(-a * 180 / kPi), 0);
    PoolSetFontColor(Canvas(), fontColour);
    // 7.
    if (!text.empty() && (flags & (kDimLabelLeft | kDimLabelRight)) != 0) {
        const int widthPx = Canvas() ? Canvas()->TextWidth(text) : 0;
        const double h = (widthPx / 2) / std::max(CurrentGraphics.pxPerMmX, 0.001);
        double qx = (x1 + x2) / 2 - h * std::cos(a), qy = (y1 + y2) / 2 - h * std::sin(a);
        const double px = std::cos(a + kPi / 2), py = std::sin(a + kPi / 2);
        const double shift = (flags & kDimLabelLeft) ? -1.1 * size : 0.3 * size;
        qx += shift * px;
        qy += shift * py;
        G_TextEx(qx, qy, 0, 0, text);
    }
    // 8.
    SetFontState(saved);
    PoolSetFontColor(Canvas(), fontColour);
}

void G_DimensionLine(double x1, double y1, double x2, double y2, double offset, int flags,
                     const std::string& label, double size) {
    std::string text = label;
    if (!text.empty() && text[0] == '$') text = MeasuredText(text, std::hypot(x2 - x1, y2 - y1));
    Gmm_DimensionLine(WorldToMmX(x1), WorldToMmY(y1), WorldToMmX(x2), WorldToMmY(y2),
                      WorldLenToMmX(offset), flags, text, size);
}

void G_LoadTrapezoid(double x1, double y1, double q1, double x2, double y2, double q2,
                     double spacing, int flags) {
    // 1.
    if (SamePoint(x1, y1, x2, y2)) return;
    const FontState saved = GetFontState();
    const std::uint32_t c = PenColour(), t = HalfTint(c);
    // 2. The load stands on the left of the direction first -> second.
    const double a = SafeAtan2(y2 - y1, x2 - x1);
    const double nx = std::cos(a + kPi / 2), ny = std::sin(a + kPi / 2);
    const double t1x = x1 + q1 * nx, t1y = y1 + q1 * ny, t2x = x2 + q2 * nx, t2y = y2 + q2 * ny;
    // 3.
    G_Line(x1, y1, x2, y2, 0, 1);
    G_Line(t1x, t1y, t2x, t2y, 0, 1);
    // 4-5.
    const int m = ArrowCount(std::hypot(x2 - x1, y2 - y1), RowSpacing(spacing));
    // 6.
    for (int i = 0; i <= m; ++i) {
        if (i == 0 && !(flags & kLoadFirstEnd)) continue;
        if (i == m && !(flags & kLoadSecondEnd)) continue;
        SetPenColour(i > 0 && i < m ? t : c);
        const double bx = ((m - i) * x1 + i * x2) / m, by = ((m - i) * y1 + i * y2) / m;
        double tx = ((m - i) * t1x + i * t2x) / m, ty = ((m - i) * t1y + i * t2y) / m;
        // Members along an axis get exactly vertical or horizontal arrows.
        if (std::fabs(nx) < 0.001) tx = bx;
        if (std::fabs(ny) < 0.001) ty = by;
        G_ArrowLine(tx, ty, bx, by, 0x11);
    }
    // 7.
    SetPenColour(c);
    SetFontState(saved);
}

void G_MemberLoad(double x1, double y1, double q1, double x2, double y2, double q2, double r,
                  int flags) {
    // 1.
    if (SamePoint(x1, y1, x2, y2)) return;
    const FontState saved = GetFontState();
    const std::uint32_t c = PenColour();
    const int w = PenWidthPx();
    const double s = std::trunc(CurrentGraphics.arrowSize);
    // 2.
    const double K = MmLenToWorldX(1);
    q1 = AtLeastOneMm(q1, K);
    q2 = AtLeastOneMm(q2, K);
    // 3. A light trapezoid of head-less strokes beside the member.
    G_SetLineWidth(w / 2);
    G_SetArrowSize(0);
    G_LoadTrapezoid(x1, y1, q1, x2, y2, q2, std::fabs(r), flags);
    // 4. A heavy arrow on the member, pointing at the second end for a
    // positive load.
    SetPenColour(c);
    G_SetLineWidth(2 * w);
    G_SetArrowSize(std::max(4 * s, WorldLenToMmX(2 * std::fabs(r))));
    G_ArrowLine(x1, y1, x2, y2, (q1 + q2) * r >= 0 ? 0x11 : 0x110);
    // 5. The pen width goes back as pixels: through the line-weight setter
    // it would grow on the preview at every call.
    G_SetArrowSize(s);
    PoolSetPenWidth(Canvas(), static_cast<float>(w));
    SetPenColour(c);
    SetFontState(saved);
}

void G_LoadArrowsH(double x1, double y1, double q1, double x2, double y2, double q2,
                   double spacing) {
    // 1.
    const double K = MmLenToWorldX(1);
    q1 = AtLeastOneMm(q1, K);
    q2 = AtLeastOneMm(q2, K);
    // 2. On a horizontal member the load acts along the member.
    if (std::fabs(y1 - y2) < 0.001) {
        G_MemberLoad(x1, y1, q1, x2, y2, q2, spacing, 0x11);
        return;
    }
    // 3.
    const std::uint32_t c = PenColour();
    G_Line(x1, y1, x2, y2, 0, 1);
    G_Line(x1 - q1, y1, x2 - q2, y2, 0, 1);
    G_SetArrowSize(kLoadArrowSize);
    // 4.
    const int m = ArrowCount(std::fabs(y2 - y1), RowSpacing(spacing));
    // 5.
    for (int i = 0; i <= m; ++i) {
        const double y = y1 + (y2 - y1) * i / m;
        const double xb = Interpolate(y1, x1, y2, x2, y);
        const double xt = Interpolate(y1, x1 - q1, y2, x2 - q2, y);
        SetPenColour(i > 0 && i < m ? HalfTint(c) : c);
        G_ArrowLine(xt, y, xb, y, 0x11);
    }
    // 6.
    SetPenColour(c);
}

double LoadArrowsReach(double q) {
    const double k = std::fabs(MmLenToWorldX(1));
    const double drawn = AtLeastOneMm(q, k);
    // The barbs run back from the tip along the shaft by their length
    // times the cosine of their angle.
    const double head = kLoadArrowSize * std::cos(kBarbAngle) * k;
    if (std::fabs(drawn) >= head) return drawn;
    return drawn < 0 ? -head : head;
}

void G_LoadArrowsV(double x1, double y1, double q1, double x2, double y2, double q2,
                   double spacing) {
    // 1.
    const double K = MmLenToWorldX(1);
    q1 = AtLeastOneMm(q1, K);
    q2 = AtLeastOneMm(q2, K);
    // 2.
    if (std::fabs(x1 - x2) >= 0.001) {
        const std::uint32_t c = PenColour();
        G_Line(x1, y1, x2, y2, 0, 1);
        G_Line(x1, y1 - q1, x2, y2 - q2, 0, 1);
        G_SetArrowSize(kLoadArrowSize);
        const int m = ArrowCount(std::fabs(x2 - x1), RowSpacing(spacing));
        for (int i = 0; i <= m; ++i) {
            const double x = x1 + (x2 - x1) * i / m;
            const double yb = Interpolate(x1, y1, x2, y2, x);
            const double yt = Interpolate(x1, y1 - q1, x2, y2 - q2, x);
            SetPenColour(i > 0 && i < m ? HalfTint(c) : c);
            G_ArrowLine(x, yt, x, yb, 0x11);
        }
        SetPenColour(c);
        return;
    }
    // 3. A vertical member: the load acts along it, drawn from its lower end.
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
        std::swap(q1, q2);
        q1 = -q1;
        q2 = -q2;
    }
    G_MemberLoad(x1, y1, q1, x2, y2, q2, spacing, 0x11);
}
