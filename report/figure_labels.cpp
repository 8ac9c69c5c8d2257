#include "report/figure_labels.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "platform/sjis_literal.h"
#include "report/graphics.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Boxes closer than this (mm) still count as apart: glyphs do not fill
// their cells to the edge.
constexpr double kTouching = 0.05;
// A label tries at most this many places on either side of its own, a
// quarter of a text height apart.
constexpr int kMaxSteps = 40;
constexpr double kStepHeights = 0.25;
// The same text anchored this close (mm) to a placed one says nothing new.
constexpr double kSamePlace = 0.3;

struct PlacedLabel {
    LabelBox box;
    std::string text;
    double x, y;         // anchor point, paper mm
    bool fixed = false;  // a mark of the figure, not a value
};

// Placed labels are found through a grid of square cells on the paper, so
// that a figure with thousands of values stays quick to draw.
constexpr double kCellMm = 8.0;

struct LabelState {
    bool active = false;
    int leftOut = 0;
    std::vector<PlacedLabel> placed;
    std::unordered_map<long long, std::vector<int>> cells;
};

// The grid cells (as keys) that the box's bounding rectangle touches.
template <typename F>
void ForCells(const LabelBox& b, F f) {
    const double x0 = std::min({b.x[0], b.x[1], b.x[2], b.x[3]}),
                 x1 = std::max({b.x[0], b.x[1], b.x[2], b.x[3]});
    const double y0 = std::min({b.y[0], b.y[1], b.y[2], b.y[3]}),
                 y1 = std::max({b.y[0], b.y[1], b.y[2], b.y[3]});
    auto cell = [](double v) {
        return static_cast<long long>(std::floor(std::clamp(v, -1e9, 1e9) / kCellMm));
    };
    const long long cx0 = cell(x0), cx1 = cell(x1), cy0 = cell(y0), cy1 = cell(y1);
    // A box is a few mm; a damaged one spanning many cells is kept to a few.
    for (long long cy = cy0; cy <= std::min(cy1, cy0 + 64); ++cy)
        for (long long cx = cx0; cx <= std::min(cx1, cx0 + 64); ++cx) f(cy * 1000003LL + cx);
}
LabelState& Labels() {
    static LabelState state;
    return state;
}

bool IsEmpty(const LabelBox& b) { return b.x[0] == b.x[2] && b.y[0] == b.y[2]; }

// The interval a box covers when projected onto the axis (ax, ay).
void Project(const LabelBox& b, double ax, double ay, double& lo, double& hi) {
    lo = hi = b.x[0] * ax + b.y[0] * ay;
    for (int k = 1; k < 4; ++k) {
        const double p = b.x[k] * ax + b.y[k] * ay;
        lo = std::min(lo, p);
        hi = std::max(hi, p);
    }
}

bool SeparatedOnEdges(const LabelBox& a, const LabelBox& b) {
    for (int e = 0; e < 2; ++e) {
        // The box's two edge directions; their normals are the axes. Across
        // the text (e = 0) touching boxes are apart; along it (e = 1) the
        // label's clear space must lie between them.
        const double ex = a.x[e + 1] - a.x[e], ey = a.y[e + 1] - a.y[e];
        const double len = std::hypot(ex, ey);
        if (len <= 0) continue;
        const double ax = -ey / len, ay = ex / len;
        double alo, ahi, blo, bhi;
        Project(a, ax, ay, alo, ahi);
        Project(b, ax, ay, blo, bhi);
        const double gap = e == 1 ? std::max(a.along - kTouching, 0.0) : 0.0;
        if (ahi + gap <= blo + kTouching || bhi + gap <= alo + kTouching) return true;
    }
    return false;
}

void Centre(const LabelBox& b, double& x, double& y) {
    x = (b.x[0] + b.x[2]) * 0.5;
    y = (b.y[0] + b.y[2]) * 0.5;
}

// True when `test` holds for a placed label near the box (in a grid cell
// the box touches; a label may be seen more than once).
template <typename F>
bool AnyNear(const LabelBox& box, F test) {
    LabelState& state = Labels();
    bool found = false;
    ForCells(box, [&](long long key) {
        if (found) return;
        const auto it = state.cells.find(key);
        if (it == state.cells.end()) return;
        for (int i : it->second)
            if (test(state.placed[static_cast<std::size_t>(i)])) {
                found = true;
                return;
            }
    });
    return found;
}

// The upright rectangle around two boxes.
LabelBox Around(const LabelBox& a, const LabelBox& b) {
    double x0 = a.x[0], x1 = a.x[0], y0 = a.y[0], y1 = a.y[0];
    for (const LabelBox* p : {&a, &b})
        for (int k = 0; k < 4; ++k) {
            x0 = std::min(x0, p->x[k]), x1 = std::max(x1, p->x[k]);
            y0 = std::min(y0, p->y[k]), y1 = std::max(y1, p->y[k]);
        }
    return LabelBox{{x0, x1, x1, x0}, {y0, y0, y1, y1}};
}

// The box with half a character of room at either end of the text (and a
// little above and below), for the figure's own marks: a value that meets
// the node number "2" end to end reads "30.0002". Between two values the
// blank each label keeps along its text (`along`) does the same.
LabelBox WithRoom(LabelBox box) {
    const double ux = box.x[1] - box.x[0], uy = box.y[1] - box.y[0];
    const double vx = box.x[3] - box.x[0], vy = box.y[3] - box.y[0];
    const double ul = std::hypot(ux, uy), vl = std::hypot(vx, vy);
    if (ul <= 0 || vl <= 0) return box;
    const double du = 0.5 * CurrentFont.width, dv = 0.1 * CurrentFont.height;
    const double su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
    for (int k = 0; k < 4; ++k) {
        box.x[k] += su[k] * du * ux / ul + sv[k] * dv * vx / vl;
        box.y[k] += su[k] * du * uy / ul + sv[k] * dv * vy / vl;
    }
    return box;
}

// A place is free when the text, with the blank it keeps, covers no placed
// label (marks are placed with their room).
bool Free(const LabelBox& box) {
    return !AnyNear(box,
                    [&](const PlacedLabel& other) { return LabelBoxesOverlap(box, other.box); });
}

void Remember(const PlacedLabel& label) {
    LabelState& state = Labels();
    const int index = static_cast<int>(state.placed.size());
    state.placed.push_back(label);
    ForCells(label.box, [&](long long key) { state.cells[key].push_back(index); });
}

// True when moving a label from `from` to `to` (paper direction (ax, ay))
// would carry it past a placed label standing in its way: the values would
// then read in the wrong order along the member.
bool JumpsOver(const LabelBox& from, const LabelBox& to, double ax, double ay) {
    double fx, fy, tx, ty;
    Centre(from, fx, fy);
    Centre(to, tx, ty);
    const double a0 = fx * ax + fy * ay, a1 = tx * ax + ty * ay;
    double lo, hi;
    Project(from, -ay, ax, lo, hi);  // the lane the label moves in
    return AnyNear(Around(from, to), [&](const PlacedLabel& other) {
        if (other.fixed) return false;  // values keep their order among values only
        double cx, cy;
        Centre(other.box, cx, cy);
        const double c = cx * ax + cy * ay;
        if ((c - a0) * (c - a1) >= 0) return false;  // not between
        double olo, ohi;
        Project(other.box, -ay, ax, olo, ohi);
        return ohi > lo + kTouching && hi > olo + kTouching;
    });
}

bool SaidAlready(const std::string& text, double x, double y) {
    // A box starts within a fraction of a text height of its anchor.
    const double r = kSamePlace + 1.0;
    const LabelBox spot{{x - r, x + r, x + r, x - r}, {y - r, y - r, y + r, y + r}};
    return AnyNear(spot, [&](const PlacedLabel& other) {
        return !other.fixed && other.text == text &&
               std::hypot(other.x - x, other.y - y) < kSamePlace;
    });
}

}  // namespace

void BeginFigureLabels() {
    Labels().placed.clear();
    Labels().cells.clear();
    Labels().active = true;
    Labels().leftOut = 0;
}

int EndFigureLabels() {
    const int n = Labels().leftOut;
    Labels().placed.clear();
    Labels().cells.clear();
    Labels().active = false;
    Labels().leftOut = 0;
    return n;
}

int FigureLabelsLeftOut() { return Labels().leftOut; }

std::string LeftOutNote(int count) {
    if (count <= 0) return std::string();
    return "重なる数値 "_sj + std::to_string(count) + " 個を省略"_sj;
}

bool FigureLabelsActive() { return Labels().active; }

LabelBox FigureLabelBox(TextAnchor anchor, double xMm, double yMm, const std::string& text) {
    LabelBox box{};
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        for (int k = 0; k < 4; ++k) box.x[k] = xMm, box.y[k] = yMm;
        return box;
    }
    const std::size_t last = text.find_last_not_of(' ') + 1;
    double dx = 0, dy = 0;
    AnchorOffset(anchor, static_cast<int>(text.size()), dx, dy);
    const double w = CurrentFont.width, h = CurrentFont.height;
    // The inked cells in the text's own frame: u along the text, v down
    // across it, as the cell layout places them.
    const double u0 = dx + static_cast<double>(first) * w, u1 = dx + static_cast<double>(last) * w;
    const double v0 = dy + 0.05 * h, v1 = dy + h;
    const double a = -CurrentFont.angle * kPi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double u[4] = {u0, u1, u1, u0}, v[4] = {v0, v0, v1, v1};
    for (int k = 0; k < 4; ++k) {
        box.x[k] = xMm + u[k] * c - v[k] * s;
        box.y[k] = yMm + u[k] * s + v[k] * c;
    }
    box.along = w;
    return box;
}

bool LabelBoxesOverlap(const LabelBox& a, const LabelBox& b) {
    if (IsEmpty(a) || IsEmpty(b)) return false;
    return !SeparatedOnEdges(a, b) && !SeparatedOnEdges(b, a);
}

void G_FixedFigureLabel(TextAnchor anchor, double x, double y, const std::string& text) {
    G_TextAnchored(anchor, x, y, text);
    if (!Labels().active) return;
    const double x0 = WorldToMmX(x), y0 = WorldToMmY(y);
    const LabelBox box = WithRoom(FigureLabelBox(anchor, x0, y0, text));
    if (IsEmpty(box)) return;
    PlacedLabel label{box, text, x0, y0};
    label.fixed = true;
    Remember(label);
}

bool G_FigureLabel(TextAnchor anchor, double x, double y, const std::string& text, double alongX,
                   double alongY, double forward, double backward, LabelRank rank) {
    LabelState& state = Labels();
    if (!state.active) {
        G_TextAnchored(anchor, x, y, text);
        return true;
    }
    const double x0 = WorldToMmX(x), y0 = WorldToMmY(y);
    if (SaidAlready(text, x0, y0)) return false;
    const LabelBox home = FigureLabelBox(anchor, x0, y0, text);
    const double len = std::hypot(alongX, alongY);
    const double ux = len > 0 ? alongX / len : 0.0, uy = len > 0 ? alongY / len : 0.0;
    // The direction on the paper, for the order test.
    const double pdx = WorldLenToMmX(ux), pdy = WorldLenToMmY(uy);
    const double plen = std::hypot(pdx, pdy);
    const double ax = plen > 0 ? pdx / plen : 0.0, ay = plen > 0 ? pdy / plen : 0.0;
    const double step = kStepHeights * std::fabs(MmLenToWorldX(CurrentFont.height));
    // The nearest free place, first ahead and then behind at each distance;
    // a side is given up once the label would pass another one.
    bool open[2] = {forward > 0 && len > 0 && step > 0, backward > 0 && len > 0 && step > 0};
    for (int k = 0; k <= kMaxSteps; ++k) {
        for (int side = 0; side < 2; ++side) {
            if (k == 0 && side == 1) continue;
            if (k > 0 && !open[side]) continue;
            const double shift = (side == 0 ? 1 : -1) * k * step;
            if (k > 0 && std::fabs(shift) > (side == 0 ? forward : backward)) {
                open[side] = false;
                continue;
            }
            const double px = x + shift * ux, py = y + shift * uy;
            const LabelBox box = FigureLabelBox(anchor, WorldToMmX(px), WorldToMmY(py), text);
            if (!Free(box)) continue;
            if (k > 0 && JumpsOver(home, box, ax, ay)) {
                open[side] = false;
                continue;
            }
            Remember({box, text, x0, y0});
            G_TextAnchored(anchor, px, py, text);
            return true;
        }
        if (k > 0 && !open[0] && !open[1]) break;
    }
    if (rank == LabelRank::Lesser) {
        ++state.leftOut;
        return false;
    }
    // A governing value moves along its own text (on its tick's line for a
    // diagram value), nearest place first, up to three text lengths.
    const double ta = CurrentFont.angle * kPi / 180.0;
    const double tx = MmLenToWorldX(std::cos(ta)), ty = MmLenToWorldX(std::sin(ta));
    const double reachText = 3.0 * static_cast<double>(text.size()) * CurrentFont.width;
    const double stepMm = kStepHeights * CurrentFont.height;
    for (double d = stepMm; stepMm > 0 && d <= reachText; d += stepMm)
        for (int side : {1, -1}) {
            const double px = x + side * d * tx, py = y + side * d * ty;
            const LabelBox box = FigureLabelBox(anchor, WorldToMmX(px), WorldToMmY(py), text);
            if (!Free(box)) continue;
            Remember({box, text, x0, y0});
            G_TextAnchored(anchor, px, py, text);
            return true;
        }
    // No free place at all: it stands where it belongs, over what is there.
    Remember({home, text, x0, y0});
    G_TextAnchored(anchor, x, y, text);
    return true;
}
