#include "app/figure_diagrams.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/figure_structure.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/figure_labels.h"
#include "report/graphics.h"
#include "report/text_draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// How far (text heights) a value label may move along its member to keep
// clear of the other labels of the figure.
constexpr double kLabelReach = 4.0;

int ResultMembers(const FrameResults& r) {
    return CheckedCount(r.memberCount, kResultMemberSlots - 1);
}
int ResultNodes(const FrameResults& r) { return CheckedCount(r.nodeCount, kResultNodeSlots - 1); }
bool ValidCase(int c) { return c >= 1 && c < kResultCaseSlots; }

int ResultNodeSlot(const FrameResults& r, int no) {
    for (int k = 1; k <= ResultNodes(r); ++k)
        if (r.node[k].no == no) return k;
    return 0;
}

bool MemberEnds(const FrameResults& r, int m, double& xi, double& yi, double& xj, double& yj) {
    const int a = ResultNodeSlot(r, r.member[m].nodeI), b = ResultNodeSlot(r, r.member[m].nodeJ);
    if (a == 0 || b == 0) return false;
    xi = r.node[a].x;
    yi = r.node[a].y;
    xj = r.node[b].x;
    yj = r.node[b].y;
    return true;
}

int PointCount(const ResultMember& m) { return CheckedCount(m.pointCount, kMaxResultPoints); }

std::string Trimmed(const char* label, int size) {
    return Trim(std::string(label, strnlen(label, size)));
}

std::uint32_t PenColour() {
    TCanvas* c = G_GetCanvas();
    return c ? c->PenColor() : 0;
}

double Rounded(double v, double step) { return std::round(v / step) * step + 0.0; }

// One point of a member's diagram before sorting.
struct DiagramPoint {
    double pos = 0, value = 0;
    int kind = 0;
    std::string label;
};

std::vector<DiagramPoint> MemberPoints(const FrameResults& r, int m, int caseIndex, int quantity) {
    const ResultMember& rm = r.member[m];
    const MemberResult& mr = r.block[caseIndex].members[m];
    const int n = PointCount(rm);
    std::vector<DiagramPoint> pts;
    for (int k = 1; k <= n + 2; ++k) {
        DiagramPoint p;
        p.pos = mr.values[kQtyPos][k];
        p.value = mr.values[quantity][k];
        p.kind = rm.pointKind[k];
        if (k <= n) {
            p.label = Trimmed(rm.pointLabel[k], kPointLabelBytes);
        } else {
            p.kind = 0;
            // Extremes at the member ends are the end values already shown.
            if (p.pos > 0.0005 && p.pos < rm.length - 0.0001)
                p.label = k == n + 1 ? "M-max" : "M-min";
        }
        pts.push_back(p);
    }
    std::stable_sort(pts.begin(), pts.end(),
                     [](const DiagramPoint& a, const DiagramPoint& b) { return a.pos < b.pos; });
    return pts;
}

void DiagramFont(double angleDeg) {
    double h, w, wh, ww;
    SetDiagramTextSize(h, w, wh, ww);
    SetFontMm(h, w, std::fmod(angleDeg + 720, 360), 0);
}

void DistanceText(double px, double py, double x, double len, double a, double value) {
    const bool nearI = x + 0.0001 <= len - x;
    const double d = nearI ? x : len - x;
    const bool turned = std::cos(a) <= -0.01;
    DiagramFont(a * 180 / kPi + (turned ? 180 : 0));
    const bool pos = value >= 0;
    const std::string left = FormatStr("←%0.3f"_sj.c_str(), d),
                      right = FormatStr("%0.3f→"_sj.c_str(), d);
    if (!turned) {
        if (!nearI)
            (pos ? G_TextBL : G_TextTL)(px, py, left);
        else
            (pos ? G_TextBR : G_TextTR)(px, py, right);
    } else {
        if (!nearI)
            (pos ? G_TextTR : G_TextBR)(px, py, right);
        else
            (pos ? G_TextTL : G_TextBL)(px, py, left);
    }
}

}  // namespace

void SetDiagramTextSize(double& heightMm, double& widthMm, double& worldHeight,
                        double& worldWidth) {
    SetFigureTextSize(heightMm, widthMm, worldHeight, worldWidth);
}

namespace {

// Wm and Hm: the largest width and height of a single member.
double ScaleLengthOf(double wm, double hm) {
    return std::max({std::min(wm, hm) / 3, wm / 4, hm / 4});
}

}  // namespace

double DiagramScaleLength(const FrameResults& results) {
    double wm = 0, hm = 0;
    for (int m = 1; m <= ResultMembers(results); ++m) {
        double xi, yi, xj, yj;
        if (!MemberEnds(results, m, xi, yi, xj, yj)) continue;
        wm = std::max(wm, std::fabs(xj - xi));
        hm = std::max(hm, std::fabs(yj - yi));
    }
    return ScaleLengthOf(wm, hm);
}

double DiagramScaleLength(const FrameModel& model) {
    double wm = 0, hm = 0;
    for (int m = 1; m <= CheckedCount(model.memberCount, kMaxMembers); ++m) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, m);
        wm = std::max(wm, std::fabs(xj - xi));
        hm = std::max(hm, std::fabs(yj - yi));
    }
    return ScaleLengthOf(wm, hm);
}

void DrawDiagramCurve(const DiagramPoints& pts, double factor, bool closeStart, bool closeEnd) {
    const std::size_t n = std::min({pts.pos.size(), pts.value.size()});
    if (n == 0) return;
    const std::uint32_t colour = PenColour();
    const double a = SafeAtan2(pts.yj - pts.yi, pts.xj - pts.xi);
    const double ca = std::cos(a), sa = std::sin(a);
    auto base = [&](std::size_t k, double& x, double& y) {
        x = pts.xi + pts.pos[k] * ca;
        y = pts.yi + pts.pos[k] * sa;
    };
    auto curve = [&](std::size_t k, double& x, double& y) {
        base(k, x, y);
        x += -pts.value[k] * factor * sa;
        y += pts.value[k] * factor * ca;
    };
    const bool screen = G_IsScreen();
    for (std::size_t k = 0; k < n; ++k) {
        double px, py, qx, qy;
        base(k, px, py);
        curve(k, qx, qy);
        if (k < pts.text.size() && !pts.text[k].empty()) {
            G_SetLineColor(screen ? 0x808080 : 0);
            G_SetLineWidth(screen ? 1 : 0);
            G_Line(px, py, qx, qy, 0, 1);
            G_SetLineColor(colour);
        }
        G_SetLineWidth(1);
        if ((k == 0 && closeStart) || (k == n - 1 && closeEnd)) G_Line(px, py, qx, qy, 0, 1);
        if (k + 1 < n) {
            double rx, ry;
            curve(k + 1, rx, ry);
            G_Line(qx, qy, rx, ry, 0, 1);
        }
    }
    G_SetLineColor(colour);
}

void DrawMSNDiagram(const FrameResults& results, const FrameModel& model, int caseIndex,
                    int quantity, double maximum, double scale, int flags) {
    (void)model;
    if (!ValidCase(caseIndex) || quantity < kQtyM || quantity > kQtyN) return;
    const double len = DiagramScaleLength(results);
    // 1. Largest value and the drawing factor; M and N are drawn negated so
    // that a positive moment lies on the tension side below a beam.
    double vmax = maximum;
    if (vmax == 0) {
        for (int m = 1; m <= ResultMembers(results); ++m) {
            if (results.member[m].length < 0.001) continue;
            const int n = PointCount(results.member[m]);
            for (int k = 1; k <= n; ++k)
                vmax =
                    std::max(vmax, std::fabs(static_cast<double>(
                                       results.block[caseIndex].members[m].values[quantity][k])));
        }
    }
    const double sign = quantity == kQtyS ? 1.0 : -1.0;
    const double f = sign * scale * len / std::max(std::fabs(vmax), 0.001);
    const bool labels = (flags & 3) != 0;
    const bool screen = G_IsScreen();
    double th, tw, wh, ww;
    SetDiagramTextSize(th, tw, wh, ww);
    // Every member's curve first; its labels wait so that each member's
    // largest value can be placed before any lesser one takes its room.
    struct PendingLabel {
        double xi, yi, xj, yj, len, pos, value;
        std::string text, label;
        int rank;  // 0 the member's largest, 1 an end or named point, 2 others
        bool first, last;
    };
    std::vector<PendingLabel> pending;
    for (int m = 1; m <= ResultMembers(results); ++m) {
        double xi, yi, xj, yj;
        if (!MemberEnds(results, m, xi, yi, xj, yj)) continue;
        const double memberLen = Distance(xi, yi, xj, yj);
        if (memberLen - 0.0001 < 0.0002) continue;                                            // 2.
        const std::vector<DiagramPoint> pts = MemberPoints(results, m, caseIndex, quantity);  // 3.
        DiagramPoints dp;
        dp.xi = xi, dp.yi = yi, dp.xj = xj, dp.yj = yj;
        std::vector<std::string> labelText(pts.size());
        for (std::size_t k = 0; k < pts.size(); ++k) {  // 4.
            dp.pos.push_back(pts[k].pos);
            dp.value.push_back(pts[k].value);
            std::string t;
            if (labels && (pts[k].kind == 2 || !pts[k].label.empty())) {
                t = FormatStr(" %.3f ", Rounded(pts[k].value, 0.001));
                if (screen && !pts[k].label.empty()) labelText[k] = " " + pts[k].label + " ";
            }
            dp.text.push_back(t);
        }
        DrawDiagramCurve(dp, f, true, true);  // 5.
        std::size_t top = pts.size();
        for (std::size_t k = 0; k < pts.size(); ++k)
            if (!dp.text[k].empty() &&
                (top == pts.size() || std::fabs(pts[k].value) > std::fabs(pts[top].value)))
                top = k;
        for (std::size_t k = 0; k < pts.size(); ++k) {
            if (dp.text[k].empty()) continue;
            const bool end = k == 0 || k + 1 == pts.size() || pts[k].pos <= 1e-9 ||
                             pts[k].pos >= memberLen - 1e-9;
            pending.push_back({xi, yi, xj, yj, memberLen, pts[k].pos, pts[k].value, dp.text[k],
                               labelText[k],
                               k == top                         ? 0
                               : (end || !pts[k].label.empty()) ? 1
                                                                : 2,
                               k == 0, pts[k].pos >= memberLen - 1e-9 || k + 1 == pts.size()});
        }
    }
    std::stable_sort(pending.begin(), pending.end(),
                     [](const PendingLabel& a, const PendingLabel& b) { return a.rank < b.rank; });
    // 6. Labels, on the side the diagram is drawn.
    for (const PendingLabel& p : pending) {
        const double xi = p.xi, yi = p.yi, xj = p.xj, yj = p.yj, memberLen = p.len;
        const double a = SafeAtan2(yj - yi, xj - xi);
        const bool flat = std::fabs(xj - xi) > std::fabs(yj - yi);
        const bool forward = flat ? xj >= xi : yi >= yj;
        const double v = p.value, x = p.pos;
        double px = xi + x * std::cos(a), py = yi + x * std::sin(a);
        double lx = px, ly = py;
        if (v * sign >= 0) {
            lx -= v * f * std::sin(a);
            ly += v * f * std::cos(a);
        }
        const bool first = p.first, last = p.last;
        // A label over another one (where members meet, or at points
        // close together) moves along its member, never past its ends.
        const double reach = kLabelReach * wh;
        const double ahead = std::clamp(memberLen - x, 0.0, reach),
                     behind = std::clamp(x, 0.0, reach);
        const LabelRank rank = p.rank == 0 ? LabelRank::Governing : LabelRank::Lesser;
        if (forward) {
            DiagramFont(a * 180 / kPi + 90);
            G_FigureLabel(first  ? TextAnchor::TL
                          : last ? TextAnchor::BL
                                 : TextAnchor::ML,
                          lx, ly, p.text + p.label, std::cos(a), std::sin(a), ahead, behind, rank);
        } else {
            DiagramFont(a * 180 / kPi - 90);
            G_FigureLabel(first  ? TextAnchor::BR
                          : last ? TextAnchor::TR
                                 : TextAnchor::MR,
                          lx, ly, p.label + p.text, std::cos(a), std::sin(a), ahead, behind, rank);
        }
        // 7. Distance of a named point from the nearer end, on screen.
        if (screen && !p.label.empty() && 200 * wh < memberLen && x >= 0.001 &&
            x <= memberLen - 0.001)
            DistanceText(px, py, x, memberLen, a, v);
    }
}

void DrawDisplacements(const FrameResults& results, const FrameModel& model, int caseIndex,
                       double scale, int flags) {
    (void)model;
    (void)flags;
    if (!ValidCase(caseIndex)) return;
    const ResultCase& rc = results.block[caseIndex];
    const double len = DiagramScaleLength(results);
    // 1. One factor for the node moves and the member deflections.
    double dmax = 0, wmax = 0;
    for (int k = 1; k <= ResultNodes(results); ++k)
        dmax = std::max({dmax, std::fabs(rc.nodes[k].dx), std::fabs(rc.nodes[k].dy)});
    for (int m = 1; m <= ResultMembers(results); ++m)
        for (int k = 1; k <= PointCount(results.member[m]); ++k)
            wmax =
                std::max(wmax, std::fabs(static_cast<double>(rc.members[m].values[kQtyDisp][k])));
    const double s = std::min(len * 0.5 * scale / std::max(dmax, 0.001),
                              len * 0.5 * scale / std::max(wmax, 0.001));
    const std::uint32_t colour = PenColour();
    double th, tw, wh, ww;
    SetDiagramTextSize(th, tw, wh, ww);
    // 2. Members.
    for (int m = 1; m <= ResultMembers(results); ++m) {
        const ResultMember& rm = results.member[m];
        const int a = ResultNodeSlot(results, rm.nodeI), b = ResultNodeSlot(results, rm.nodeJ);
        if (a == 0 || b == 0) continue;
        const double xi = results.node[a].x, yi = results.node[a].y, xj = results.node[b].x,
                     yj = results.node[b].y;
        const double l0 = Distance(xi, yi, xj, yj);
        if (l0 < 0.0002) continue;
        const double ix = xi + s * rc.nodes[a].dx, iy = yi + s * rc.nodes[a].dy;
        const double jx = xj + s * rc.nodes[b].dx, jy = yj + s * rc.nodes[b].dy;
        const double ang = SafeAtan2(yj - yi, xj - xi);
        const double nx = std::sin(ang), ny = -std::cos(ang);  // turned -90 degrees
        G_SetLineColor(0xFF0000);
        G_Line(ix, iy, jx, jy, 0, 1);
        G_SetLineColor(colour);
        double chord = SafeAtan2(jy - iy, jx - ix) * 180 / kPi;
        chord = std::round(chord / 30) * 30;
        const int n = PointCount(rm);
        double px = 0, py = 0;
        for (int k = 1; k <= n; ++k) {
            const double x = rc.members[m].values[kQtyPos][k],
                         w = rc.members[m].values[kQtyDisp][k];
            const double qx = ix + x * (jx - ix) / l0 + s * w * nx,
                         qy = iy + x * (jy - iy) / l0 + s * w * ny;
            if (k > 1) G_Line(px, py, qx, qy, 0, 1);
            px = qx;
            py = qy;
            if (rm.pointKind[k] == 2 && k > 1 && k < n) {
                const std::string t = FormatStr(" %0.5f ", Rounded(w, 0.00001));
                if (std::cos((chord + 90) * kPi / 180 - 0.01) > 0) {
                    DiagramFont(chord + 90);
                    G_TextML(qx, qy, t);
                } else {
                    DiagramFont(chord - 90);
                    G_TextMR(qx, qy, t);
                }
            }
        }
    }
    // 3. Node values, stacked above the node or below a node at the base.
    DiagramFont(0);
    for (int k = 1; k <= ResultNodes(results); ++k) {
        const double x = results.node[k].x, y = results.node[k].y;
        const std::string t[3] = {FormatStr("%8.5fx", Rounded(rc.nodes[k].dx, 0.00001)),
                                  FormatStr("%8.5fy", Rounded(rc.nodes[k].dy, 0.00001)),
                                  FormatStr("%8.5fa", Rounded(rc.nodes[k].dt, 0.00001))};
        for (int r = 0; r < 3; ++r) {
            if (y > 0.1)
                G_TextBC(x, y + (4 - r) * wh, t[r]);
            else
                G_TextTC(x, y - (2 + r) * wh, t[r]);
        }
    }
}

void DrawReactions(const FrameResults& results, const FrameModel& model, int caseIndex) {
    (void)model;
    if (!ValidCase(caseIndex)) return;
    const ResultCase& rc = results.block[caseIndex];
    double th, tw, wh, ww;
    SetDiagramTextSize(th, tw, wh, ww);
    DiagramFont(0);
    const int rows = CheckedCount(rc.reactionCount, kReactionRowSlots - 1);
    for (int r = 1; r <= rows; ++r) {
        const ReactionRow& row = rc.reactions[r];
        const int k = ResultNodeSlot(results, row.nodeNo);
        if (k == 0) continue;
        const double x = results.node[k].x, y = results.node[k].y;
        const std::string t[3] = {FormatStr("%8.3f", Rounded(row.rx, 0.001)),
                                  FormatStr("%8.3f", Rounded(row.ry, 0.001)),
                                  FormatStr("%8.3f", Rounded(row.rm, 0.001))};
        for (int i = 0; i < 3; ++i) {
            if (y > 0.1)
                G_TextBC(x, y + (4 - i) * wh, t[i]);
            else
                G_TextTC(x, y - (3 + i) * wh, t[i]);
        }
    }
}
