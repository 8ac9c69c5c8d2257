#include "app/figure_loads.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/figure_structure.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "report/annotation.h"
#include "report/figure_labels.h"
#include "report/graphics.h"
#include "report/text_draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kBlue = 0xFF0000;

bool NonZero(const LoadRecord& r);

struct Pt {
    double x, y;
};
Pt Along(Pt p, double angle, double d) {
    return {p.x + d * std::cos(angle), p.y + d * std::sin(angle)};
}
double Deg(double rad) { return rad * 180 / kPi; }

// A world rectangle.
struct Box {
    double x0, y0, x1, y1;
};

// What every load drawer needs: scale unit, text size and the pen colour
// the caller chose (restored after the blue arrows), and the arrow rows of
// the case's vertical distributed loads, which a concentrated force's value
// keeps off.
struct LoadPen {
    double u = 0;
    double th = 0, tw = 0;  // text height and width, mm
    double wh = 0, ww = 0;  // text height and width, world
    std::uint32_t colour = 0;
    std::vector<Box> rows;
    // The member (or run) of the load being drawn: its value moves along
    // it only as far as its ends, so that it never reads as a load on the
    // node beyond.
    bool onMember = false;
    double mx0 = 0, my0 = 0, mx1 = 0, my1 = 0;
};

void Font(const LoadPen& p, double angle) { SetFontMm(p.th, p.tw, angle, 0); }

// A label that would cover another label of the figure may move this many
// text heights along its member either way before it is left out: enough
// for a value of seven characters (-50.000) to stand beside another at the
// same place, one blank apart.
constexpr double kLabelReach = 6.0;

// A load's value label; it keeps clear of the figure's other labels by
// moving along the direction theta (its member).
void Label(const LoadPen& p, TextAnchor anchor, Pt at, const std::string& t, double theta) {
    const double reach = kLabelReach * p.wh;
    double ahead = reach, behind = reach;
    const double c = std::cos(theta), s = std::sin(theta);
    if (p.onMember) {
        // How far the anchor lies along the member from either end.
        const double along = (at.x - p.mx0) * c + (at.y - p.my0) * s;
        const double length = (p.mx1 - p.mx0) * c + (p.my1 - p.my0) * s;
        ahead = std::clamp(length - along, 0.0, reach);
        behind = std::clamp(along, 0.0, reach);
    }
    G_FigureLabel(anchor, at.x, at.y, t, c, s, ahead, behind);
}

void BlueArrow(const LoadPen& p, Pt at, double angle) {
    G_SetLineColor(kBlue);
    G_SetFillColor(kBlue);
    G_SetLineWidth(2);
    G_PolyArrow(at.x, at.y, angle, 7 * p.u);
    G_SetLineColor(p.colour);
    G_SetLineWidth(1);
}

// A concentrated force: the blue arrow with its tip at the point and its
// shaft 7u long in direction `angle` (world, radians), and its value
// written upright where it cannot lie on the arrow: centred beyond the
// tail of an upright shaft, above the middle of a level one.
void ForceArrow(const LoadPen& p, Pt at, double angle, const std::string& t, double theta) {
    BlueArrow(p, at, angle);
    Font(p, 0);
    const double gap = 0.8 * p.u;
    if (std::fabs(std::cos(angle)) < 0.5) {
        const Pt tail = Along(at, angle, 7 * p.u);
        const bool up = std::sin(angle) > 0;
        // A distributed load's row where the value would stand would strike
        // it through: the value moves on along the shaft's line past it.
        const double half = TextWidthMm(t) / 2;
        double y = up ? tail.y + gap : tail.y - gap;
        for (std::size_t pass = 0; pass <= p.rows.size(); ++pass) {
            bool moved = false;
            for (const Box& b : p.rows) {
                const double lo = up ? y : y - p.wh, hi = up ? y + p.wh : y;
                if (b.x1 < tail.x - half || b.x0 > tail.x + half || b.y1 <= lo || b.y0 >= hi)
                    continue;
                y = up ? b.y1 + gap : b.y0 - gap;
                moved = true;
            }
            if (!moved) break;
        }
        Label(p, up ? TextAnchor::BC : TextAnchor::TC, {tail.x, y}, t, theta);
    } else {
        const Pt mid = Along(at, angle, 3.5 * p.u);
        Label(p, TextAnchor::BC, {mid.x, mid.y + gap}, t, theta);
    }
}

// Arc below the point and one tick at the end that shows the turning sense.
void MomentGlyph(const LoadPen& p, Pt at, double m, const std::string& t, double labelY,
                 double theta) {
    const double u = p.u;
    G_SetLineWidth(2);
    G_Arc(at.x, at.y, 2.4 * u, -120 * kPi / 180, -40 * kPi / 180);
    if (m <= 0)
        G_Line(at.x + u, at.y - 1.6 * u, at.x + 2.8 * u, at.y - 0.5 * u, 0, 1);
    else
        G_Line(at.x - 1.5 * u, at.y - 1.6 * u, at.x - 3.4 * u, at.y - 0.5 * u, 0, 1);
    G_SetLineWidth(1);
    Font(p, 0);
    if (m < 0)
        Label(p, TextAnchor::ML, {at.x + 4.9 * u, labelY}, t, theta);
    else
        Label(p, TextAnchor::MR, {at.x - 4.9 * u, labelY}, t, theta);
}

void DrawNodal(const FrameModel& model, const LoadRecord& r, const LoadPen& p) {
    double x, y;
    if (GetNodeXYByNo(model, x, y, r.memberFrom) == 0) return;  // no such node: nothing to draw
    const Pt at{x, y};
    // A node has no member to move along: its labels move sideways.
    if (r.qI != 0) ForceArrow(p, at, r.qI > 0 ? kPi : 0.0, FormatStr("%.3f", r.qI), 0.0);
    if (r.qJ != 0)
        ForceArrow(p, at, r.qJ > 0 ? 1.5 * kPi : 0.5 * kPi, FormatStr("%.3f", r.qJ), 0.0);
    if (r.distI != 0) MomentGlyph(p, at, r.distI, FormatStr("%.3f", r.distI), y + 3 * p.u, 0.0);
}

// Arrow of a concentrated load along or across the member: tail 5u away
// in direction phi, head at S; label 6u out, never upside down.
void SlantArrow(const LoadPen& p, Pt s, double phi, const std::string& t, bool labelAtTail,
                double theta) {
    G_SetLineWidth(2);
    G_SetArrowSize(3);
    const Pt tail = Along(s, phi, 5 * p.u);
    G_ArrowLine(tail.x, tail.y, s.x, s.y, kArrowShaft | kArrowHeadSecond);
    G_SetLineWidth(1);
    if (labelAtTail) {
        // Beyond the tail along the arrow, on the same side of it, but
        // turned to read upright ("000.01" for a leftward 10.000).
        if (std::cos(phi) > -0.1) {
            Font(p, std::fmod(Deg(phi) + 720, 360));
            Label(p, TextAnchor::BL, tail, t, theta);
        } else {
            Font(p, std::fmod(Deg(phi) + 180 + 720, 360));
            Label(p, TextAnchor::TR, tail, t, theta);
        }
        return;
    }
    const Pt l = Along(s, phi, 6 * p.u);
    if (std::cos(phi) > -0.1) {
        Font(p, std::fmod(Deg(phi) + 720, 360));
        Label(p, TextAnchor::ML, l, t, theta);
    } else {
        Font(p, std::fmod(Deg(phi) + 180 + 720, 360));
        Label(p, TextAnchor::MR, l, t, theta);
    }
}

// Sign rule of the distributed loads 11 and 12: the larger end decides on
// which side the load is drawn; s = -1 when that end is negative.
int FlipToPositive(double& hI, double& hJ) {
    const bool negative = std::fabs(hI) >= std::fabs(hJ) ? hI < 0 : hJ < 0;
    if (!negative) return 1;
    hI = -hI;
    hJ = -hJ;
    return -1;
}

// Labels of the distributed loads 13 and 14, beside the arrows' tails and
// away from the member: above (outwardPositive) or below the tails when the
// arrows are vertical, right (outwardPositive) or left of them when they
// are level. Texts across the arrows are turned by 90 degrees, so that they
// never lie over the arrow row; the horizontal loads' values (`upright`)
// always stand upright, which keeps them clear of the row as well.
void TailLabels(const LoadPen& p, Pt a, Pt b, const std::string& ta, const std::string& tb,
                bool vertical, bool outwardPositive, double theta, bool upright) {
    const double angle = vertical ? 90 : 0;
    // A row whose tails lie on a slanting line would strike a value beside
    // it through (its minus sign merged with the line): the value goes to
    // the side of its anchor that the line does not pass.
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double sigma = outwardPositive ? 1 : -1;
    const bool slanting = std::fabs(dx) > 1e-9 && std::fabs(dy) > 1e-9;
    const bool lineAhead = sigma * dx * dy > 0;  // the line crosses the text's side above/right
    auto put = [&](Pt at, const std::string& t) {
        Font(p, angle);
        TextAnchor anchor = outwardPositive ? TextAnchor::ML : TextAnchor::MR;
        if (slanting) {
            const bool top = vertical ? !lineAhead : lineAhead;
            anchor = outwardPositive ? (top ? TextAnchor::TL : TextAnchor::BL)
                                     : (top ? TextAnchor::TR : TextAnchor::BR);
        }
        Label(p, anchor, at, t, theta);
    };
    if (ta != tb) {
        put(a, ta);
        put(b, tb);
        return;
    }
    const Pt m{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const double len = Distance(a.x, a.y, b.x, b.y);
    Font(p, 0);
    if (len > TextWidthMm(ta) && (vertical || !upright)) {
        // Long enough: the value runs along the load line, outside it.
        if (vertical) {
            // Along the line of the tails, however it slants.
            Font(p, std::fmod(Deg(SafeAtan2(dy, dx)) + 720, 360));
            if (outwardPositive)
                Label(p, TextAnchor::BC, {m.x, m.y + 0.5 * p.u}, ta, theta);
            else
                Label(p, TextAnchor::TC, {m.x, m.y - 0.5 * p.u}, ta, theta);
        } else {
            // Turned upwards, the text's top lies on its right.
            Font(p, 90);
            if (outwardPositive)
                Label(p, TextAnchor::TC, {m.x + 0.5 * p.u, m.y}, ta, theta);
            else
                Label(p, TextAnchor::BC, {m.x - 0.5 * p.u, m.y}, ta, theta);
        }
    } else {
        put(m, ta);
    }
}

// A vertical distributed load on a member that is not vertical stands its
// arrow row this far (world y) off the member, on the side of its tails.
double RowShift(const LoadPen& p, double hI, double hJ) {
    return hI + hJ >= 0 ? -4 * p.u : 4 * p.u;
}

// What such a row covers: from its base line to the farthest of its tails
// and arrowheads.
Box VerticalRowBox(const LoadPen& p, Pt s, Pt e, double hI, double hJ) {
    const double shift = RowShift(p, hI, hJ);
    const double ys[4] = {s.y + shift, e.y + shift, s.y + shift - LoadArrowsReach(hI),
                          e.y + shift - LoadArrowsReach(hJ)};
    return {std::min(s.x, e.x), *std::min_element(ys, ys + 4), std::max(s.x, e.x),
            *std::max_element(ys, ys + 4)};
}

void DrawVerticalDistributed(const LoadRecord& r, const LoadPen& p, double theta, Pt s, Pt e,
                             double hI, double hJ) {
    const std::string tI = FormatStr("%.3f", r.qI), tJ = FormatStr("%.3f", r.qJ);
    std::string a = tI, b = tJ;
    if (std::fabs(std::cos(theta)) > 0.01) {
        if (s.x > e.x) {
            std::swap(s, e);
            std::swap(hI, hJ);
            std::swap(a, b);
        }
        // The arrow row stands 4u off the member, on the side of its tails.
        const double shift = RowShift(p, hI, hJ);
        s.y += shift;
        e.y += shift;
        G_LoadArrowsV(s.x, s.y, hI, e.x, e.y, hJ, p.ww);
        const bool up = hI + hJ < 0;  // tails above the member
        const double gap = (up ? 1 : -1) * 0.5 * p.u;
        // Beyond the tails, or the arrowheads where they reach farther.
        TailLabels(p, {s.x, s.y - LoadArrowsReach(hI) + gap},
                   {e.x, e.y - LoadArrowsReach(hJ) + gap}, a, b, true, up, theta, false);
        return;
    }
    // Vertical member: the load acts along it.
    const double side = s.y > e.y ? 1 : -1;
    G_MemberLoad(s.x + side * p.u, s.y, hI, e.x + side * p.u, e.y, hJ, p.ww, 0x11);
    const double out = side * (p.u + std::max(std::fabs(hI), std::fabs(hJ)) + 0.5 * p.u);
    TailLabels(p, {s.x + out, s.y}, {e.x + out, e.y}, a, b, false, side > 0, theta, false);
}

void DrawHorizontalDistributed(const LoadRecord& r, const LoadPen& p, double theta, Pt s, Pt e,
                               double hI, double hJ) {
    std::string a = FormatStr("%.3f", r.qI), b = FormatStr("%.3f", r.qJ);
    if (std::fabs(std::sin(theta)) > 0.01) {
        if (s.y > e.y) {
            std::swap(s, e);
            std::swap(hI, hJ);
            std::swap(a, b);
        }
        const double shift = hI + hJ >= 0 ? -4 * p.u : 4 * p.u;
        s.x += shift;
        e.x += shift;
        G_LoadArrowsH(s.x, s.y, hI, e.x, e.y, hJ, p.ww);
        const bool right = hI + hJ < 0;  // tails right of the member
        const double gap = (right ? 1 : -1) * 0.5 * p.u;
        TailLabels(p, {s.x - LoadArrowsReach(hI) + gap, s.y},
                   {e.x - LoadArrowsReach(hJ) + gap, e.y}, a, b, false, right, theta, true);
        return;
    }
    // Horizontal member: the load acts along it, drawn above or below.
    const double side = s.x < e.x ? 1 : -1;
    G_MemberLoad(s.x, s.y + side * p.u, hI, e.x, e.y + side * p.u, hJ, p.ww, 0x11);
    const double out = side * (p.u + std::max(std::fabs(hI), std::fabs(hJ)) + 0.5 * p.u);
    TailLabels(p, {s.x, s.y + out}, {e.x, e.y + out}, a, b, true, side > 0, theta, true);
}

// Where a member load stands: its start and end points, the middle of its
// span, its member's angle and its drawn heights at the two ends.
struct LoadPlace {
    Pt s, e, mid;
    Pt i, j;  // the ends of the member or run
    double theta = 0, hI = 0, hJ = 0;
};

// False for a load that is not drawn: on a missing member, or on a span
// shorter than 1 mm.
bool PlaceLoad(const FrameModel& model, const LoadRecord& r, double fullHeight, double maxLoad,
               LoadPlace& at) {
    int mi = FindMemberIndex(model, r.memberFrom);
    int mj = mi;
    if (r.memberTo != 0 && r.memberTo != r.memberFrom) {
        // A run goes from its lowest member number to its highest, whichever
        // way round it was typed, as the analysis takes it.
        const std::vector<int> run =
            RunSlots(model, std::min(r.memberFrom, r.memberTo), std::max(r.memberFrom, r.memberTo));
        if (run.empty()) return false;
        mi = run.front();
        mj = run.back();
    }
    if (mi <= 0 || mj <= 0) return false;
    double xi, yi, xj, yj, x2, y2, x3, y3;
    GetMemberEnds(model, xi, yi, xj, yj, mi);
    GetMemberEnds(model, x2, y2, x3, y3, mj);
    at.theta = SafeAtan2(yj - yi, xj - xi);
    const double span = Distance(xi, yi, x3, y3);
    if (span < 0.001) return false;
    at.s = {xi + (x3 - xi) * r.distI / span, yi + (y3 - yi) * r.distI / span};
    at.e = {x3 + (xi - x3) * r.distJ / span, y3 + (yi - y3) * r.distJ / span};
    at.mid = {(xi + x3) / 2, (yi + y3) / 2};
    at.i = {xi, yi};
    at.j = {x3, y3};
    at.hI = r.qI / maxLoad * fullHeight;
    at.hJ = r.qJ / maxLoad * fullHeight;
    return true;
}

void DrawOneLoad(FrameModel& model, const LoadRecord& r, const LoadPen& pen, double fullHeight,
                 double maxLoad) {
    if (r.code == kLoadNodal) {
        DrawNodal(model, r, pen);
        return;
    }
    LoadPlace at;
    if (!PlaceLoad(model, r, fullHeight, maxLoad, at)) return;
    LoadPen p = pen;
    p.onMember = true;
    p.mx0 = at.i.x, p.my0 = at.i.y, p.mx1 = at.j.x, p.my1 = at.j.y;
    const Pt s = at.s, e = at.e;
    const double theta = at.theta;
    double hI = at.hI, hJ = at.hJ;
    const std::string tI = FormatStr("%.3f", r.qI);
    const double u = p.u;
    switch (r.code) {
        case kLoadTemperature:
            Font(p, 0);
            Label(p, TextAnchor::BC, at.mid, tI + "℃"_sj, theta);
            break;
        case kLoadConcMoment:
            MomentGlyph(p, s, r.qI, tI, s.y, theta);
            break;
        case kLoadConcY:
            ForceArrow(p, s, r.qI >= 0 ? 1.5 * kPi : 0.5 * kPi, tI, theta);
            break;
        case kLoadConcX:
            ForceArrow(p, s, r.qI >= 0 ? kPi : 0.0, tI, theta);
            break;
        case kLoadConcPerp:
            SlantArrow(p, s, theta + kPi / 2 + (r.qI >= 0 ? kPi : 0), tI, false, theta);
            break;
        case kLoadConcAxial:
            SlantArrow(p, s, theta + kPi + (r.qI < 0 ? kPi : 0), tI, true, theta);
            break;
        case kLoadDistAxial: {
            const Pt a = Along(s, theta + kPi / 2, 2.2 * u), b = Along(e, theta + kPi / 2, 2.2 * u);
            const int sg = FlipToPositive(hI, hJ);
            G_SetArrowSize(0);
            G_LoadTrapezoid(a.x, a.y, hI, b.x, b.y, hJ, p.ww, 0x11);
            G_SetLineWidth(2);
            G_SetArrowSize(3);
            if (sg > 0)
                G_ArrowLine(a.x, a.y, b.x, b.y, kArrowShaft | kArrowHeadSecond);
            else
                G_ArrowLine(a.x, a.y, b.x, b.y, kArrowShaft | kArrowHeadFirst);
            G_SetLineWidth(1);
            PlaceLoadValueLabels(u, p.th, p.tw, theta, a.x, a.y, -std::fabs(hI), tI, b.x, b.y,
                                 -std::fabs(hJ), FormatStr("%.3f", r.qJ));
            break;
        }
        case kLoadDistPerp: {
            const int sg = FlipToPositive(hI, hJ);
            const Pt a = Along(s, theta - sg * kPi / 2, 2.2 * u),
                     b = Along(e, theta - sg * kPi / 2, 2.2 * u);
            G_SetArrowSize(1);
            // The row stands on the side the load comes from and its arrows
            // point the way it acts: +v for a positive load, the member's
            // local axis turned +90 degrees as the engine takes it.
            if (sg > 0)
                G_LoadTrapezoid(b.x, b.y, hJ, a.x, a.y, hI, p.ww, 0x11);
            else
                G_LoadTrapezoid(a.x, a.y, hI, b.x, b.y, hJ, p.ww, 0x11);
            PlaceLoadValueLabels(u, p.th, p.tw, theta, a.x, a.y, sg * hI, tI, b.x, b.y, sg * hJ,
                                 FormatStr("%.3f", r.qJ));
            break;
        }
        case kLoadDistY:
            DrawVerticalDistributed(r, p, theta, s, e, hI, hJ);
            break;
        case kLoadDistX:
            DrawHorizontalDistributed(r, p, theta, s, e, hI, hJ);
            break;
        default:
            break;  // other codes leave no mark
    }
}

// True when each member of the run goes on from the previous one's j end in
// the first one's direction: the run is then one straight span.
bool StraightRun(const FrameModel& model, const std::vector<int>& run) {
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, run.front());
    const double theta = SafeAtan2(yj - yi, xj - xi);
    for (std::size_t k = 1; k < run.size(); ++k) {
        double ai, bi, aj, bj;
        GetMemberEnds(model, ai, bi, aj, bj, run[k]);
        const double t = SafeAtan2(bj - bi, aj - ai);
        if (Distance(xj, yj, ai, bi) > 0.001 || std::fabs(std::sin(t - theta)) > 1e-3 ||
            std::cos(t - theta) < 0)
            return false;
        xj = aj;
        yj = bj;
    }
    return true;
}

// The loads the figure draws for one load: the load itself on one member or
// on a straight run; on a run that bends or breaks off (the beams of two
// floors given as one range) the part the analysis puts on each member,
// each drawn on its own member. Drawn as one span from the first member's
// i end to the last one's j end, such a run's load would cross the frame.
std::vector<LoadRecord> LoadPartsToDraw(const FrameModel& model, const LoadRecord& r) {
    if (r.code == kLoadNodal || r.memberTo == 0 || r.memberTo == r.memberFrom) return {r};
    const std::vector<int> run =
        RunSlots(model, std::min(r.memberFrom, r.memberTo), std::max(r.memberFrom, r.memberTo));
    if (run.size() <= 1 || StraightRun(model, run)) return {r};
    double total = 0;
    for (const int t : run) total += model.members[t].length;
    const bool distributed = r.code >= kLoadDistAxial && r.code <= kLoadDistY;
    const bool concentrated = r.code >= kLoadConcAxial && r.code <= kLoadConcMoment;
    std::vector<LoadRecord> parts;
    double s = 0;  // where the member starts along the run (m)
    for (const int t : run) {
        const double len = model.members[t].length;
        LoadRecord part = r;
        part.memberFrom = model.members[t].no;
        part.memberTo = 0;
        if (distributed) {
            const double x2 = total - r.distJ;
            const double a = std::clamp(r.distI - s, 0.0, len);
            const double b = std::clamp(x2 - s, 0.0, len);
            if (b - a > 0.0001) {
                part.qI = static_cast<float>(Interpolate(r.distI, r.qI, x2, r.qJ, s + a));
                part.qJ = static_cast<float>(Interpolate(r.distI, r.qI, x2, r.qJ, s + b));
                part.distI = static_cast<float>(a);
                part.distJ = static_cast<float>(len - b);
                parts.push_back(part);
            }
        } else if (concentrated) {
            const double c = r.distI - s;
            if (c > -0.0001 && c < len + 0.0001) {
                part.distI = static_cast<float>(std::clamp(c, 0.0, len));
                parts.push_back(part);
                break;  // taken once, at its place along the run
            }
        } else {
            parts.push_back(part);
        }
        s += len;
    }
    return parts;
}

}  // namespace

void DrawLoadCase(FrameModel& model, int loadCaseIndex, int filter, double scale) {
    if (loadCaseIndex < 0 || loadCaseIndex > std::min(model.loadCaseCount, kMaxLoadCases)) return;
    LoadCase& lc = model.loadCases[loadCaseIndex];
    LoadPen p;
    p.u = G_IsScreen() ? DevLenToWorldX(6) : MmLenToWorldX(1);
    const double fullHeight = 5 * p.u * scale;
    lc.maxLoad = std::max(0.1f, lc.maxLoad);
    SetFigureTextSize(p.th, p.tw, p.wh, p.ww);
    TCanvas* c = G_GetCanvas();
    p.colour = c ? c->PenColor() : 0;
    const int count = CheckedCount(lc.count, kMaxLoads);
    // The rows of the whole case, also when only one load is drawn: the
    // chosen load is drawn over the case and its value stands where the
    // case put it.
    for (int k = 1; k <= count; ++k) {
        if (lc.loads[k].code != kLoadDistY || !NonZero(lc.loads[k])) continue;
        for (const LoadRecord& r : LoadPartsToDraw(model, lc.loads[k])) {
            LoadPlace at;
            if (!PlaceLoad(model, r, fullHeight, lc.maxLoad, at)) continue;
            if (std::fabs(std::cos(at.theta)) > 0.01)
                p.rows.push_back(VerticalRowBox(p, at.s, at.e, at.hI, at.hJ));
        }
    }
    for (int k = 1; k <= count; ++k) {
        if (filter != 0 && k != filter) continue;
        if (!NonZero(lc.loads[k])) continue;
        for (const LoadRecord& r : LoadPartsToDraw(model, lc.loads[k])) {
            if (!NonZero(r)) continue;
            G_SetLineWidth(1);
            G_SetArrowSize(0.5);
            DrawOneLoad(model, r, p, fullHeight, lc.maxLoad);
        }
    }
    G_SetLineColor(p.colour);
    G_SetLineWidth(1);
}

void PlaceLoadValueLabels(double u, double fontHeight, double fontWidth, double angle, double sx,
                          double sy, double startOffset, const std::string& startText, double ex,
                          double ey, double endOffset, const std::string& endText) {
    double deg = Deg(angle);
    if (deg < 0) deg += 360;
    const double half = u / 2;
    // Along the load, clear of the figure's other labels.
    // Along the load, within its own length: moved past its ends a value
    // reads as belonging to the next load or node.
    const double c = std::cos(angle), s = std::sin(angle);
    const double endAlong = (ex - sx) * c + (ey - sy) * s;
    const double lo = std::min(0.0, endAlong), hi = std::max(0.0, endAlong);
    auto label = [&](TextAnchor anchor, double x, double y, const std::string& t) {
        const double reach = kLabelReach * std::fabs(MmLenToWorldX(fontHeight));
        const double along = (x - sx) * c + (y - sy) * s;
        G_FigureLabel(anchor, x, y, t, c, s, std::clamp(hi - along, 0.0, reach),
                      std::clamp(along - lo, 0.0, reach));
    };
    auto turned = [&](double x, double y, double offset, const std::string& t) {
        const double phi = deg + 90 + (offset >= 0 ? 180 : 0);
        const double r = phi * kPi / 180;
        const double px = x + (half + std::fabs(offset)) * std::cos(r);
        const double py = y + (half + std::fabs(offset)) * std::sin(r);
        if (std::cos(r) > -0.1) {
            SetFontMm(fontHeight, fontWidth, std::fmod(phi, 360), 0);
            label(TextAnchor::ML, px, py, t);
        } else {
            SetFontMm(fontHeight, fontWidth, std::fmod(phi + 180, 360), 0);
            label(TextAnchor::MR, px, py, t);
        }
    };
    if (startText != endText) {
        turned(sx, sy, startOffset, startText);
        turned(ex, ey, endOffset, endText);
        return;
    }
    const double mx = (sx + ex) / 2, my = (sy + ey) / 2;
    SetFontMm(fontHeight, fontWidth, 0, 0);
    if (TextWidthMm(startText) >= Distance(sx, sy, ex, ey)) {
        turned(mx, my, startOffset, startText);
        return;
    }
    const double phi = (deg + 90 + (startOffset >= 0 ? 180 : 0)) * kPi / 180;
    const double e = startOffset >= 0 ? u * fontHeight : 0.0;
    const double d = half + std::fabs(startOffset) + e;
    const double px = mx + d * std::cos(phi), py = my + d * std::sin(phi);
    if (std::cos(angle) <= -0.1) {
        SetFontMm(fontHeight, fontWidth, std::fmod(deg + 180, 360), 0);
        label(TextAnchor::TC, px, py, startText);
    } else {
        SetFontMm(fontHeight, fontWidth, deg, 0);
        label(TextAnchor::BC, px, py, startText);
    }
}

// ---------------------------------------------------------------------------
// Merge and pack

namespace {

int Mm(double metres) { return static_cast<int>(metres * 1000 + 0.1); }

struct MmLoad {
    int from, to;  // mm from the i end
};

MmLoad Range(const LoadRecord& r, int lengthMm) {
    return {Mm(r.distI), static_cast<int>(lengthMm - r.distJ * 1000 + 0.1)};
}

void SetRange(LoadRecord& r, int from, int to, int lengthMm) {
    r.distI = static_cast<float>(from * 0.001);
    r.distJ = static_cast<float>((lengthMm - to) * 0.001);
}

double ValueAt(const LoadRecord& r, MmLoad m, int at) {
    return Interpolate(m.from, r.qI, m.to, r.qJ, at);
}

// A nodal load may be a moment alone (held in distI).
bool NonZero(const LoadRecord& r) {
    return r.qI != 0 || r.qJ != 0 || (r.code == kLoadNodal && r.distI != 0);
}

// One merge step of loads i and j; true when something changed.
bool IsDistributed(int code) { return code >= kLoadDistAxial && code <= kLoadDistY; }

// Concentrated loads (forces and moments) act at a point and add up only
// with one of the same code at the same point: taken as a range to the
// member's end, a second force showed the sum of both, a value nobody gave.
bool MergeAtOnePoint(LoadCase& lc, int i, int j) {
    LoadRecord& a = lc.loads[i];
    LoadRecord& b = lc.loads[j];
    if (a.code < kLoadConcAxial || a.code > kLoadConcMoment) return false;
    if (!NonZero(a) || !NonZero(b) || Mm(a.distI) != Mm(b.distI)) return false;
    if (static_cast<double>(a.qI) * b.qI < 0) return false;
    a.qI += b.qI;
    b.qI = b.qJ = 0;
    return true;
}

bool MergePair(LoadCase& lc, int i, int j, int lengthMm) {
    LoadRecord& a = lc.loads[i];
    LoadRecord& b = lc.loads[j];
    if ((static_cast<double>(a.qI) + a.qJ) * (static_cast<double>(b.qI) + b.qJ) < 0) return false;
    if (!NonZero(a) || !NonZero(b)) return false;
    const MmLoad ra = Range(a, lengthMm), rb = Range(b, lengthMm);
    const int f = ra.from, g = ra.to, m = rb.from, o = rb.to;
    if (f >= g) {
        a.qI = a.qJ = 0;
        return false;
    }
    if (m >= o) {
        b.qI = b.qJ = 0;
        return false;
    }
    const bool room = lc.count < kMaxLoads;
    if (f == m && g == o) {
        a.qI += b.qI;
        a.qJ += b.qJ;
        b.qI = b.qJ = 0;
        return true;
    }
    if (f < m && o < g) {
        if (!room) return false;  // the cut needs one more load than the case holds
        const double am = ValueAt(a, ra, m), ao = ValueAt(a, ra, o);
        LoadRecord tail = a;
        SetRange(tail, o, g, lengthMm);
        tail.qI = static_cast<float>(ao);
        SetRange(a, f, m, lengthMm);
        a.qJ = static_cast<float>(am);
        b.qI = static_cast<float>(b.qI + am);
        b.qJ = static_cast<float>(b.qJ + ao);
        lc.loads[++lc.count] = tail;
        return true;
    }
    if (f == m && o < g) {
        const double ao = ValueAt(a, ra, o);
        const float oldEnd = a.qJ;
        SetRange(a, f, o, lengthMm);
        a.qI = a.qI + b.qI;
        a.qJ = static_cast<float>(b.qJ + ao);
        SetRange(b, o, g, lengthMm);
        b.qI = static_cast<float>(ao);
        b.qJ = oldEnd;
        return true;
    }
    if (f < m && g == o) {
        const double am = ValueAt(a, ra, m);
        const float oldEnd = a.qJ;
        SetRange(a, f, m, lengthMm);
        a.qJ = static_cast<float>(am);
        b.qI = static_cast<float>(b.qI + am);
        b.qJ = b.qJ + oldEnd;
        return true;
    }
    if (f < m && m < g && g < o) {
        if (!room) return false;
        const double am = ValueAt(a, ra, m), bg = ValueAt(b, rb, g);
        LoadRecord mid = a;
        SetRange(mid, m, g, lengthMm);
        mid.qI = static_cast<float>(b.qI + am);
        mid.qJ = static_cast<float>(a.qJ + bg);
        SetRange(a, f, m, lengthMm);
        a.qJ = static_cast<float>(am);
        SetRange(b, g, o, lengthMm);
        b.qI = static_cast<float>(bg);
        lc.loads[++lc.count] = mid;
        return true;
    }
    return false;  // the other arrangements are met in the other order
}

}  // namespace

void MergeOverlappingLoads(const FrameModel& model, LoadCase& lc) {
    lc.count = CheckedCount(lc.count, kMaxLoads);
    // Every change removes an overlap, so the passes end; the bound only
    // guards against a pathological case.
    for (int pass = 0; pass < 100000; ++pass) {
        bool changed = false;
        for (int i = 1; i <= lc.count; ++i) {
            if (lc.loads[i].memberTo != 0) continue;
            const int a = FindMemberIndex(model, lc.loads[i].memberFrom);
            if (a <= 0) continue;
            double xi, yi, xj, yj;
            GetMemberEnds(model, xi, yi, xj, yj, a);
            const double len =
                model.members[a].length > 0 ? model.members[a].length : Distance(xi, yi, xj, yj);
            const int lengthMm = Mm(len);
            for (int j = 1; j <= lc.count; ++j) {
                if (j == i) continue;
                const LoadRecord& b = lc.loads[j];
                if (b.memberTo != 0 || b.code != lc.loads[i].code ||
                    b.memberFrom != lc.loads[i].memberFrom)
                    continue;
                if (IsDistributed(b.code)) {
                    if (MergePair(lc, i, j, lengthMm)) changed = true;
                } else if (MergeAtOnePoint(lc, i, j)) {
                    changed = true;
                }
            }
        }
        if (!changed) break;
    }
    PackLoads(lc);
}

void PackLoads(LoadCase& lc) {
    const int count = CheckedCount(lc.count, kMaxLoads);
    int kept = 0;
    for (int k = 1; k <= count; ++k)
        if (NonZero(lc.loads[k])) lc.loads[++kept] = lc.loads[k];
    ZeroRowsBeyond(lc.loads, kept, count);
    lc.count = kept;
    auto key = [](const LoadRecord& r) {
        const double m = r.memberTo != 0 ? r.memberFrom * 1000.0 + r.memberTo : r.memberFrom;
        return m * 1000 + r.distI;
    };
    std::stable_sort(lc.loads + 1, lc.loads + 1 + kept,
                     [&](const LoadRecord& a, const LoadRecord& b) { return key(a) < key(b); });
}
