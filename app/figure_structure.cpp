#include "app/figure_structure.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/analysis_driver.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "report/figure_labels.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/text_draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kRulerBand = 0xB0C0B0;

int Members(const FrameModel& m) { return CheckedCount(m.memberCount, kMaxMembers); }
int Nodes(const FrameModel& m) { return CheckedCount(m.nodeCount, kMaxNodes); }
// A member whose end names a node that does not exist has no place to be
// drawn (its ends would read as the origin).
bool ValidMember(const FrameModel& m, int index) {
    return index >= 1 && index <= Members(m) && FindNodeIndex(m, m.members[index].nodeI) > 0 &&
           FindNodeIndex(m, m.members[index].nodeJ) > 0;
}

// World height of one line of the canvas font.
double FontLineWorld() {
    TCanvas* c = G_GetCanvas();
    return std::fabs(DevLenToWorldY(c ? c->Font().height : 12));
}

void SetPlainFontMm(double height, double angle) { SetFontMm(height, 0, angle, 0); }

}  // namespace

void SetFigureTextSize(double& heightMm, double& widthMm, double& worldHeight, double& worldWidth) {
    if (G_IsScreen()) {
        heightMm = DevLenToMmY(12.1);
        widthMm = DevLenToMmX(6.1);
    } else {
        heightMm = 1.8;
        widthMm = 1.2;
    }
    worldHeight = std::fabs(MmLenToWorldY(heightMm));
    worldWidth = std::fabs(MmLenToWorldX(widthMm));
}

// ---------------------------------------------------------------------------
// Rulers

double RulerStep(double limit, const char** format) {
    static const double steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                                   0.2,   0.5,   1,     2,    5,    10};
    static const char* const formats[] = {"%.3f", "%.3f", "%.3f",  "%.2f",  "%.2f",  "%.2f", "%.1f",
                                          "%.1f", "%.1f", "%.0fm", "%.0fm", "%.0fm", "%.0fm"};
    int chosen = 0;
    for (int k = 0; k < 13; ++k)
        if (steps[k] < limit) chosen = k;
    if (format) *format = formats[chosen];
    return steps[chosen];
}

int RulerMinorTicks(double step) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", step * 1000);
    return text[0] == '2' ? 4 : 5;
}

namespace {

// Tick index range [first, last) of one ruler; an absurd view (far zoom
// or huge coordinates) gives an empty range instead of millions of ticks.
bool TickRange(double from, double to, double step, int n, long long& first, long long& last) {
    const double a = Round0(from / step) * n, b = Round0(to / step) * n;
    if (!std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > 1e12 || std::fabs(b) > 1e12)
        return false;
    first = static_cast<long long>(a);
    last = static_cast<long long>(b);
    return last - first <= 100000;
}

constexpr int kRulerCharPx = 6;  // half the height of the 12 px ruler font
// Pixels left free between a left-ruler label and its tick.
constexpr int kRulerLabelGap = 2;

// The label's width as the canvas draws it: the glyphs of the font in use
// may be wider than half its height.
int RulerTextWidth(const std::string& text) {
    TCanvas* c = G_GetCanvas();
    const int measured = c ? c->TextWidth(text) : 0;
    return measured > 0 ? measured : static_cast<int>(text.size()) * kRulerCharPx;
}

// A label whose characters stand where the font's own advances put them,
// so that it ends where its measured width says.
void RulerText(int x, int y, const std::string& text) {
    for (std::size_t k = 0; k < text.size(); ++k)
        DevTextOut(x + (k == 0 ? 0 : RulerTextWidth(text.substr(0, k))), y, text.substr(k, 1));
}

}  // namespace

// Width of the left ruler band, pixels.
constexpr int kLeftBandWidth = 43;

void DrawRulers(int width, int height, bool originFlag) {
    TCanvas* c = G_GetCanvas();
    if (!c || width <= 0 || height <= 0) return;
    // 1. Font and the longest label the step must leave room for.
    SetFontPx(12, kRulerCharPx, 0, 0);
    SetTextColor(0);
    const double onePx = std::fabs(DevLenToWorldX(1));
    const double limit = 2 * RulerTextWidth("-999.123") * onePx;
    // 2.-3. Step, label format and minor ticks.
    const char* format = "%.3f";
    const double step = RulerStep(limit, &format);
    const int n = RulerMinorTicks(step);
    // 4. Bottom band.
    PoolSetBrushStyle(c, bsSolid);
    PoolSetBrushColor(c, kRulerBand);
    PoolFillRect(c, TRect{0, height - 20, width, height});
    PoolSetBrushStyle(c, bsClear);
    PoolSetPenColor(c, 0);
    PoolSetPenWidth(c, 1);
    PoolSetPenStyle(c, psSolid);
    // 5. Bottom ticks.
    const double ox = originFlag ? DevToWorldX(80) : 0.0;
    long long j0 = 0, j1 = 0;
    if (TickRange(DevToWorldX(-100) - ox, DevToWorldX(width + 100) - ox, step, n, j0, j1)) {
        for (long long j = j0; j < j1; ++j) {
            const double t = j * step / n;
            const int x = DevToInt(Round0(WorldToDevX(t + ox)));
            const bool major = j % n == 0;
            const bool half = n == 4 && std::llabs(j) % 4 == 2;
            PoolMoveTo(c, x, height - 20);
            PoolLineTo(c, x, height - 20 + (major || half ? 6 : 3));
            if (major) {
                // Only whole labels: one cut by the left band or the right
                // edge reads as another number ("-4m" as "4m").
                const std::string label = FormatStr(format, t);
                const int left = x - RulerTextWidth(label) / 2;
                if (left >= kLeftBandWidth && left + RulerTextWidth(label) <= width)
                    RulerText(left, height - 13, label);
            }
        }
    }
    // 6. Left band.
    PoolSetBrushStyle(c, bsSolid);
    PoolSetBrushColor(c, kRulerBand);
    PoolFillRect(c, TRect{0, 0, kLeftBandWidth, height});
    PoolSetBrushStyle(c, bsClear);
    // 7. Left ticks, leaving the bottom band alone.
    const double oy = originFlag ? DevToWorldY(height - 80) : 0.0;
    long long k0 = 0, k1 = 0;
    if (!TickRange(DevToWorldY(height + 100) - oy, DevToWorldY(-100) - oy, step, n, k0, k1)) return;
    for (long long k = k0; k < k1; ++k) {
        const double t = k * step / n;
        const int y = DevToInt(Round0(WorldToDevY(t + oy)));
        if (y > height - 18) continue;
        const bool major = k % n == 0;
        const bool half = n == 4 && std::llabs(k) % 4 == 2;
        PoolMoveTo(c, 42, y);
        PoolLineTo(c, major || half ? 36 : 39, y);
        if (major) {
            // Right-aligned by its measured width, clear of its tick.
            const std::string label = FormatStr(format, t);
            if (y - 6 >= 0) RulerText(36 - kRulerLabelGap - RulerTextWidth(label), y - 6, label);
        }
    }
}

// ---------------------------------------------------------------------------
// Members

void DrawMemberBand(const FrameModel& model, int index) {
    if (!ValidMember(model, index)) return;
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, index);
    const int s = FindSectionIndex(model, model.members[index].sectionNo);
    const double a = s > 0 ? model.sections[s].area : 0.0;
    const double len = Distance(xi, yi, xj, yj);
    const double ang = SafeAtan2(yj - yi, xj - xi);
    const double co = std::cos(ang), si = std::sin(ang);
    const double local[4][2] = {{0, a / 2}, {len, a / 2}, {len, -a / 2}, {0, -a / 2}};
    double pts[8];
    for (int k = 0; k < 4; ++k) {
        pts[2 * k] = xi + local[k][0] * co - local[k][1] * si;
        pts[2 * k + 1] = yi + local[k][0] * si + local[k][1] * co;
    }
    G_Polygon(pts, 4, bsSolid, 0xFFE0E0, 0xFFE0E0, 0xC0C0C0);
}

void DrawMemberBands(const FrameModel& model) {
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 1; i <= Members(model); ++i) {
            double xi, yi, xj, yj;
            GetMemberEnds(model, xi, yi, xj, yj, i);
            const bool flat = std::fabs(xi - xj) > std::fabs(yi - yj);
            if (flat == (pass == 0)) DrawMemberBand(model, i);
        }
}

void DrawMember(const FrameModel& model, int index) {
    if (!ValidMember(model, index)) return;
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, index);
    G_Line(xi, yi, xj, yj, 0, 1);
}

void DrawMembers(const FrameModel& model) {
    for (int i = 1; i <= Members(model); ++i) DrawMember(model, i);
}

void DrawRigidZones(const FrameModel& model, double lineWeight) {
    G_SetLineWidth(lineWeight);
    for (int i = 1; i <= Members(model); ++i) {
        const FrameMember& m = model.members[i];
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, i);
        const double len = std::max(static_cast<double>(m.length), 0.0001);
        const double ri = Round3(m.rigidI), rj = Round3(m.rigidJ);
        if (ri != 0) {
            const double px = xi + ri * (xj - xi) / len, py = yi + ri * (yj - yi) / len;
            G_Line(xi, yi, px, py, 0, 1);
            DrawRigidZoneLabel(xi, yi, px, py);
        }
        if (rj != 0) {
            const double qx = xi + (m.length - rj) * (xj - xi) / len;
            const double qy = yi + (m.length - rj) * (yj - yi) / len;
            G_Line(qx, qy, xj, yj, 0, 1);
            DrawRigidZoneLabel(qx, qy, xj, yj);
        }
    }
    G_SetLineWidth(1);
}

void DrawRigidZoneLabel(double x1, double y1, double x2, double y2) {
    const double h = DevLenToMmX(12.1);
    const double len = Distance(x1, y1, x2, y2);
    const std::string text = FormatStr("%0.0f", len * 1000);
    // Too short a zone stays unlabelled rather than being overwritten by it.
    if (len <= std::fabs(MmLenToWorldX(text.size() * h / 2))) return;
    const double ang = SafeAtan2(y2 - y1, x2 - x1);
    double deg = Round0(ang * 180 / kPi);
    if (deg < 0) deg += 360;
    const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2;
    if (std::cos(ang) > -0.01) {
        SetPlainFontMm(h, deg);
        G_TextBC(mx, my, text);
    } else {
        SetPlainFontMm(h, deg + 180);
        G_TextTC(mx, my, text);
    }
}

// ---------------------------------------------------------------------------
// Supports and springs

void DrawSupportSymbols(const FrameModel& model, int supportCaseIndex, double textHeight, int gap) {
    if (supportCaseIndex < 1 ||
        supportCaseIndex > std::min(model.supportCaseCount, kMaxSupportCases))
        return;
    const SuptCase& sc = model.supportCases[supportCaseIndex];
    const double mm = MmLenToWorldX(1);
    const int count = CheckedCount(sc.count, kMaxSupportEntries);
    for (int e = 1; e <= count; ++e) {
        const SuptEntry& en = sc.entries[e];
        double x, y;
        if (GetNodeXYByNo(model, x, y, en.nodeNo) == 0) continue;  // no such node: nothing to mark
        SetPlainFontMm(textHeight, 0);
        auto below = [&](const std::string& glyph, double d) {
            G_TextTC(x, y - (gap + d) * mm, glyph);
        };
        switch (en.code) {
            case 0:
                break;
            case 1:
                below("△"_sj, 0.6);
                break;
            case 2:
                below("△"_sj, 0.6);
                below("＿"_sj, 0.9);
                break;
            case 3: {
                const double side = x >= 0.001 ? 1.0 : -1.0;
                SetPlainFontMm(textHeight, side > 0 ? 90 : -90);
                G_TextTC(x + side * (gap + 0.6) * mm, y, "△"_sj);
                G_TextTC(x + side * (gap + 0.9) * mm, y, "＿"_sj);
                break;
            }
            case 4:
                below("▲"_sj, 0.6);
                break;
            case 5:
                below("§"_sj, 0.8);
                break;
            default:
                below("？"_sj, 0.6);
                break;
        }
    }
}

void DrawSpringCase(const FrameModel& model, int loadCaseIndex, double textHeight) {
    if (loadCaseIndex < 0 || loadCaseIndex > std::min(model.loadCaseCount, kMaxLoadCases)) return;
    const int caseNo = model.loadCases[loadCaseIndex].baneCaseNo;
    if (caseNo == 0) return;
    const int b = FindSpringCaseIndex(model, caseNo);
    if (b <= 0) return;
    const BaneCase& bc = model.springCases[b];
    const int count = CheckedCount(bc.count, kMaxSpringEntries);
    for (int e = 1; e <= count; ++e) {
        const int mi = FindMemberIndex(model, bc.entries[e].memberNo);
        if (mi <= 0) continue;
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, mi);
        const double drawnMm = std::fabs(WorldLenToMmX(Distance(xi, yi, xj, yj)));
        const int n = static_cast<int>(std::min(std::max(2.0, 0.2 * drawnMm), 10000.0));
        const double sx = (xj - xi) / n, sy = (yj - yi) / n;
        const double deg =
            std::fabs(sy) >= std::fabs(sx) ? -SafeAtan2(yj - yi, xj - xi) * 180 / kPi : 0.0;
        SetPlainFontMm(textHeight, deg);
        for (int k = 1; k < n; ++k) G_TextTC(xi + k * sx, yi + k * sy, "§"_sj);
    }
}

// ---------------------------------------------------------------------------
// Labels

void DrawSectionLabel(const FrameModel& model, int index) {
    if (!ValidMember(model, index)) return;
    const FrameMember& m = model.members[index];
    const int s = FindSectionIndex(model, m.sectionNo);
    const int t = FindMaterialIndex(model, m.materialNo);
    const double a = s > 0 ? model.sections[s].area : 0.0;
    const double inertia = s > 0 ? model.sections[s].inertia : 0.0;
    const double e = t > 0 ? model.materials[t].e : 0.0;
    SetFontDevPx(12, 6, 2.0, 1.0, 0, 0);
    const double d = FontLineWorld();
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, index);
    const double mx = (xi + xj) / 2, my = (yi + yj) / 2;
    // Fixed in a figure, so the member number drawn after them moves aside
    // instead of being written over them.
    G_FixedFigureLabel(TextAnchor::MC, mx, my + d, FormatStr("%9.3eA", a));
    G_FixedFigureLabel(TextAnchor::MC, mx, my, FormatStr("%9.3eI", inertia));
    G_FixedFigureLabel(TextAnchor::MC, mx, my - d, FormatStr("%9.3eE", e));
}

void DrawSectionLabels(const FrameModel& model) {
    for (int i = 1; i <= Members(model); ++i) DrawSectionLabel(model, i);
}

void DrawMemberNumber(const FrameModel& model, int index) {
    if (!ValidMember(model, index)) return;
    const FrameMember& m = model.members[index];
    const double d = FontLineWorld();
    SetTextColor(0x008000);
    std::string text = FormatStr("[%d]", m.no);
    if (DiagnosticDumpFlag && SpringSegmentCount[index] != 0)
        text += FormatStr("%d", SpringSegmentCount[index]);
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, index);
    const double mx = (xi + xj) / 2, my = (yi + yj) / 2;
    const double th = SafeAtan2(yj - yi, xj - xi);
    TextAnchor anchor = TextAnchor::BC;
    double x = mx, y = my + d / 16;
    if (std::fabs(std::sin(th)) >= 0.001) {
        anchor = mx < 0.5 ? TextAnchor::ML : TextAnchor::MR;
        x = mx < 0.5 ? mx + d / 2 : mx - d / 2;
        y = my;
    } else if (std::cos(th) > 0) {
        anchor = TextAnchor::TC;
        y = my + d / 9;
    }
    // In a figure the number keeps clear of the section texts and other
    // labels by moving along its member, up to just short of either end;
    // where no place is free it stays at the midpoint all the same, as a
    // member must never lose its number.
    const double reach = 0.4 * Distance(xi, yi, xj, yj);
    if (!G_FigureLabel(anchor, x, y, text, xj - xi, yj - yi, reach, reach))
        G_FixedFigureLabel(anchor, x, y, text);
}

void DrawMemberNumbers(const FrameModel& model) {
    for (int i = 1; i <= Members(model); ++i) DrawMemberNumber(model, i);
}

void DrawNodes(const FrameModel& model, int markerSize) {
    for (int i = 1; i <= Nodes(model); ++i)
        G_Marker(model.nodes[i].x, model.nodes[i].y, markerSize, 0x800000, 1);
}

void DrawNodeNumbers(const FrameModel& model) {
    TCanvas* c = G_GetCanvas();
    const int n = Nodes(model);
    if (c && c->BrushStyle() == bsSolid) {
        for (int i = 1; i <= n; ++i)
            G_TextMC(model.nodes[i].x, model.nodes[i].y, FormatStr("(%d)", model.nodes[i].no));
        return;
    }
    if (n == 0) return;
    double ymin = model.nodes[1].y, ymax = model.nodes[1].y;
    for (int i = 2; i <= n; ++i) {
        ymin = std::min<double>(ymin, model.nodes[i].y);
        ymax = std::max<double>(ymax, model.nodes[i].y);
    }
    const double d = FontLineWorld();
    SetTextColor(0);
    for (int i = 1; i <= n; ++i) {
        const double x = model.nodes[i].x, y = model.nodes[i].y;
        const std::string text = FormatStr("%d", model.nodes[i].no);
        // Load and diagram values drawn later keep clear of the numbers.
        if (y > ymax - 0.001)
            G_FixedFigureLabel(TextAnchor::BC, x, y + d / 4, text);
        else if (y < ymin + 0.001)
            G_FixedFigureLabel(TextAnchor::TC, x, y - d / 3, text);
        else
            G_FixedFigureLabel(TextAnchor::ML, x + d / 2, y, text);
    }
}

void DrawViewPoints(const FrameModel& model) {
    const int count = CheckedCount(model.view2Count, kMaxView2);
    for (int v = 1; v <= count; ++v) {
        const View2Member& vm = model.view2[v];
        const int mi = FindMemberIndex(model, vm.memberNo);
        if (mi <= 0) continue;
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, mi);
        const double len = std::max(static_cast<double>(model.members[mi].length), 0.0001);
        const int n = CheckedCount(vm.count, kMaxViewPoints);
        for (int k = 1; k <= n; ++k) {
            const double s = vm.dist[k] / len;
            G_Marker(xi + s * (xj - xi), yi + s * (yj - yi), 5, 0xFF00FF, 0);
        }
    }
}
