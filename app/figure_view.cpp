#include "app/figure_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/figure_diagrams.h"
#include "app/figure_loads.h"
#include "app/figure_structure.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/bitmap.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/annotation.h"
#include "report/figure_labels.h"
#include "report/page_pool.h"
#include "report/text_draw.h"

DisplaySwitchState DisplaySwitches = ReadDisplaySwitches(FigureSwitchBoxes{});
DiagramScaleState DiagramScale;
FigureViewData FigureView;

DisplaySwitchState ReadDisplaySwitches(const FigureSwitchBoxes& b) {
    DisplaySwitchState s;
    auto set = [&](int byte, int bit, bool on) {
        if (on) s.bytes[byte] |= static_cast<std::uint8_t>(1u << bit);
    };
    set(0, 0, b.section);
    set(0, 1, b.sectionText && b.section);
    set(0, 2, true);
    set(0, 3, b.nodeNumbers);
    set(0, 4, b.memberThick);
    set(0, 5, b.arrowIJ);
    set(0, 6, b.memberNumbers);
    set(0, 7, true);
    set(1, 0, b.supports);
    set(1, 1, b.viewPoints);
    set(1, 2, b.loads);
    set(1, 3, b.loadsMerged);
    set(1, 4, b.forceM);
    set(1, 5, b.forceS);
    set(1, 6, b.forceN);
    set(1, 7, b.displacement);
    set(2, 0, b.reactions);
    return s;
}

namespace {

int Members(const FrameModel& m) { return CheckedCount(m.memberCount, kMaxMembers); }

// The load case last copied into slot 0, to tell when the copy is stale
// (another case, an edit of the case, or the merge switch changed).
struct LoadCache {
    std::unique_ptr<LoadCase> source;
    bool merged = false;
    bool valid = false;
};
LoadCache& Cache() {
    static LoadCache cache;
    return cache;
}

void SaveView() {
    G_SaveState(FigureView.state);
    FigureView.fitted = true;
}

// reach: how far (m) a diagram may stand beside the members; the view
// leaves that room around the nodes, so that diagrams and their labels
// stay clear of the rulers and the window's edges.
void FitToExtents(TBitmap& bitmap, int width, int height, const FigureExtentsRect& e,
                  double reach) {
    const int w = std::max(width, 1), h = std::max(height, 1);
    // 1.
    G_SetDevice(&bitmap, 0, w, h, 0);
    // 2. Paper 180 mm wide; margins leave room for the rulers and captions.
    const int c = h * 180 / w;
    const double left = 30.0 + 7200.0 / w;
    const double top = c / 4;
    const double bottom = c - (static_cast<double>(c) * 20 / h + c / 4);
    // 3.
    const double pad = 0.1 + reach;
    G_FitWindow(left, top, 150, bottom, e.minX - pad, e.maxY + pad, e.maxX + pad, e.minY - pad);
    // 4.
    FigureView.fitPixelWorld = std::fabs(DevLenToWorldX(1));
    FigureView.extents = e;
    SaveView();
}

void DrawSelection(const FrameModel& model, const SelectionState& sel) {
    if (sel.memberFirst != 0) {
        const int last = sel.memberLast != 0 ? sel.memberLast : sel.memberFirst;
        G_SetLineColor(0x00FFFF);
        G_SetLineWidth(9);
        for (int i = 1; i <= Members(model); ++i) {
            const int no = model.members[i].no;
            if (no >= std::min(sel.memberFirst, last) && no <= std::max(sel.memberFirst, last))
                DrawMember(model, i);
        }
    } else if (sel.nodeI != 0) {
        double x, y;
        if (GetNodeXYByNo(model, x, y, sel.nodeI) != 0) {
            G_SetLineColor(0xFF88FF);
            G_SetLineWidth(15);
            const double d = DevLenToWorldX(1.2);
            G_Line(x, y, x + d, y, 0, 1);
        }
    }
}

void DrawSpringMembers(const FrameModel& model, const SelectionState& sel) {
    const int b = sel.springCase != 0 ? FindSpringCaseIndex(model, sel.springCase) : 0;
    if (b <= 0) return;
    G_SetLineColor(0xFF88FF);
    G_SetLineWidth(11);
    const BaneCase& bc = model.springCases[b];
    for (int e = 1; e <= CheckedCount(bc.count, kMaxSpringEntries); ++e) {
        const int mi = FindMemberIndex(model, bc.entries[e].memberNo);
        if (mi > 0) DrawMember(model, mi);
    }
}

void DrawArrowsIJ(const FrameModel& model) {
    G_SetArrowSize(std::fabs(DevLenToMmX(12)));
    for (int i = 1; i <= Members(model); ++i) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, i);
        G_ArrowLine(xi, yi, xj, yj, kArrowShaft | kArrowHeadSecond);
    }
}

void DrawPinEnds(const FrameModel& model) {
    for (int i = 1; i <= Members(model); ++i) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, i);
        if (model.members[i].endI == 1) G_Marker(xi, yi, 3, 0x00FF00, 1);
        if (model.members[i].endJ == 1) G_Marker(xj, yj, 3, 0x00FF00, 1);
    }
}

void DrawLoads(const FigureContext& ctx, FrameModel& model) {
    const int c = FindLoadCaseIndex(model, ctx.selection.loadCase);
    if (ctx.selection.loadCase == 0 || c <= 0) return;
    const double s =
        2 * DiagramScale.value *
        std::pow(FigureView.fitPixelWorld / std::max(std::fabs(DevLenToWorldX(1)), 1e-300), 0.7);
    const bool merge = ctx.switches.LoadsMerged();
    LoadCache& cache = Cache();
    if (!cache.source) cache.source = std::make_unique<LoadCase>();
    const bool stale = !cache.valid || cache.merged != merge ||
                       model.loadCases[0].no != model.loadCases[c].no ||
                       !SameLoadCase(*cache.source, model.loadCases[c]);
    if (stale) {
        std::memcpy(cache.source.get(), &model.loadCases[c], sizeof(LoadCase));
        model.loadCases[0] = model.loadCases[c];
        if (merge) {
            LoadCase& merged = model.loadCases[0];
            MergeOverlappingLoads(model, merged);
            // Added loads may exceed the case's largest single load; the
            // scale follows them so that no merged load outgrows the rest.
            for (int k = 1; k <= merged.count; ++k)
                if (merged.loads[k].code != kLoadNodal)
                    merged.maxLoad = std::max({merged.maxLoad, std::fabs(merged.loads[k].qI),
                                               std::fabs(merged.loads[k].qJ)});
        }
        cache.merged = merge;
        cache.valid = true;
    }
    G_SetLineColor(0);
    DrawLoadCase(model, 0, 0, s);
    if (!merge && ctx.currentLoadRow > 0) {
        G_SetLineColor(0xFF00FF);
        DrawLoadCase(model, 0, ctx.currentLoadRow, s);
    }
}

// Block index of the case on show, 0 when none is.
int ShownCase(const FigureContext& ctx, const FrameModel& model, const FrameResults& r,
              bool& combination, int& number, std::string& name) {
    combination = false;
    if (ctx.selection.loadCase != 0) {
        const int c = FindLoadCaseIndex(model, ctx.selection.loadCase);
        if (c <= 0 || c > r.caseCount) return 0;
        number = model.loadCases[c].no;
        name = model.loadCases[c].name;
        return CaseBlockIndex(c);
    }
    const int k = FindCombinationIndex(model, ctx.selection.combination);
    if (k <= 0 || k > r.comboCount) return 0;
    combination = true;
    number = model.combinations[k].no;
    name = model.combinations[k].name;
    const int index = ComboBlockIndex(r, k);
    return index < kResultCaseSlots ? index : 0;
}

void DrawResults(const FigureContext& ctx, const FrameModel& model) {
    const FrameResults* r = ctx.results;
    if (!r || r->memberCount <= 0) return;
    bool combination = false;
    int number = 0;
    std::string name;
    const int index = ShownCase(ctx, model, *r, combination, number, name);
    if (index == 0) return;
    const double q = DiagramScale.value > DiagramScale.minimum ? DiagramScale.value : 0.0;
    const int t = ctx.switches.ViewPoints() ? 2 : 0;
    const std::uint32_t colour = combination ? 0x800000 : 0xFF0000;
    const DisplaySwitchState& sw = ctx.switches;
    G_SetLineWidth(1);
    G_SetLineColor(colour);
    SetTextColor(colour);
    if (sw.ForceM()) DrawMSNDiagram(*r, model, index, kQtyM, 0, q, t);
    if (sw.ForceS()) DrawMSNDiagram(*r, model, index, kQtyS, 0, q, t);
    if (sw.ForceN()) DrawMSNDiagram(*r, model, index, kQtyN, 0, q, t);
    if (sw.Displacement()) {
        G_SetLineColor(0x0000FF);
        SetTextColor(0x0000FF);
        DrawDisplacements(*r, model, index, q, t);
    }
    if (sw.Reactions()) {
        G_SetLineColor(0x0000FF);
        SetTextColor(0x0000FF);
        DrawReactions(*r, model, index);
    }
    // 16. Caption.
    SetFontPx(16, 8, 0, 0);
    SetTextColor(0);
    DevTextCells(48, 4, 8, 0, combination ? "組合わせｹｰｽ"_sj : "　荷重ｹｰｽ　"_sj);
    SetTextColor(0xFF0000);
    DevTextCells(144, 4, 8, 0, FormatStr("%d："_sj.c_str(), number) + name);
}

}  // namespace

FigureExtentsRect NodeExtents(const FrameModel& model) {
    FigureExtentsRect e;
    e.minX = e.maxX = model.nodes[1].x;
    e.minY = e.maxY = model.nodes[1].y;
    for (int i = 2; i <= CheckedCount(model.nodeCount, kMaxNodes); ++i) {
        e.minX = std::min<double>(e.minX, model.nodes[i].x);
        e.maxX = std::max<double>(e.maxX, model.nodes[i].x);
        e.minY = std::min<double>(e.minY, model.nodes[i].y);
        e.maxY = std::max<double>(e.maxY, model.nodes[i].y);
    }
    return e;
}

void InvalidateLoadCache(FrameModel& model) {
    model.loadCases[0].no = 0;
    Cache().valid = false;
}

void PaintFigure(const FigureContext& ctx, TBitmap& bitmap, int width, int height,
                 const FigureExtentsRect* fit) {
    if (!ctx.model) return;
    FrameModel& model = *ctx.model;
    const DisplaySwitchState& sw = ctx.switches;
    if (fit || !FigureView.fitted)
        FitToExtents(bitmap, width, height, fit ? *fit : NodeExtents(model),
                     DiagramScaleLength(model));
    // 1. The view is kept; the picture goes to the bitmap given.
    G_RestoreState(FigureView.state);
    CurrentGraphics.canvas = &bitmap.Canvas();
    G_ClearPage(kScreenBackground);
    G_SetLineWidth(1);
    if (sw.Section()) DrawMemberBands(model);                    // 2.
    if (sw.Supports()) DrawSpringMembers(model, ctx.selection);  // 3.
    DrawSelection(model, ctx.selection);                         // 4.
    G_SetLineColor(0);                                           // 5.
    G_SetLineWidth(1);
    if (sw.ArrowIJ()) DrawArrowsIJ(model);
    G_SetLineWidth(sw.MemberThick() ? 3 : 1);  // 6.
    G_SetLineColor(sw.MemberThick() || !sw.Section() ? 0 : 0xC0C0C0);
    DrawMembers(model);
    if (sw.Supports()) {  // 7.
        double th, tw, wh, ww;
        SetDiagramTextSize(th, tw, wh, ww);
        const int s = FindSupportCaseIndex(model, ctx.selection.supportCase);
        if (ctx.selection.supportCase != 0 && s > 0) {
            SetTextColor(0);
            DrawSupportSymbols(model, s, th * 1.33, sw.NodeNumbers() ? 4 : 0);
        }
    }
    // Load and diagram values keep clear of each other and of the node
    // numbers; those that find no free place show again when the view is
    // zoomed in.
    BeginFigureLabels();
    PoolSetBrushStyle(G_GetCanvas(), bsClear);  // 8.
    if (sw.Section() && sw.SectionText()) {
        SetTextColor(0);
        DrawSectionLabels(model);
    }
    if (sw.MemberNumbers()) {
        SetFontDevPx(12, 6, 2.0, 1.0, 0, 0);
        DrawMemberNumbers(model);
    }
    if (sw.NodeNumbers()) {
        SetFontDevPx(12, 6, 2.0, 1.0, 0, 0);
        DrawNodeNumbers(model);
    }
    if (model.rigidZoneSwitch == 1) {  // 9.
        G_SetLineColor(0x008000);
        SetTextColor(0x008000);
        DrawRigidZones(model, sw.MemberThick() ? 5 : 3);
    }
    G_SetLineWidth(1);  // 10.
    DrawNodes(model, 7);
    DrawPinEnds(model);                          // 11.
    if (sw.ViewPoints()) DrawViewPoints(model);  // 12.
    G_SetLineWidth(1);
    if (sw.Loads()) DrawLoads(ctx, model);  // 13.-14.
    DrawResults(ctx, model);                // 15.-16.
    // Values that found no free place are counted, and the figure says so:
    // a tick without its number would otherwise pass for a value of 0.
    const int leftOut = EndFigureLabels();
    if (leftOut > 0) {
        SetFontPx(12, 6, 0, 0);
        SetTextColor(0);
        DevTextCells(48, 24, 6, 0, LeftOutNote(leftOut) + "（拡大で表示）"_sj);
    }
    DrawRulers(width, height, ctx.ctrlHeld);  // 17.
}

void FigureFitView(const FigureContext& ctx, TBitmap& bitmap, int width, int height) {
    if (!ctx.model) return;
    const FigureExtentsRect e = NodeExtents(*ctx.model);
    PaintFigure(ctx, bitmap, width, height, &e);
}

void FigurePaint1Paint(const FigureContext& ctx, TBitmap& bitmap, int width, int height) {
    if (width == FigureView.rememberedWidth && FigureView.fitted) {
        PaintFigure(ctx, bitmap, width, height, nullptr);
        return;
    }
    FigureView.rememberedWidth = width;
    FigureFitView(ctx, bitmap, width, height);
}

// ---------------------------------------------------------------------------
// Mouse

void FigureMouseDown(int x, int y) {
    FigureView.pressX = FigureView.lastX = x;
    FigureView.pressY = FigureView.lastY = y;
}

bool FigureMouseMove(int x, int y, bool leftHeld, const std::function<void()>& repaint) {
    const int dx = x - FigureView.lastX, dy = y - FigureView.lastY;
    FigureView.lastX = x;
    FigureView.lastY = y;
    if (!leftHeld || !FigureView.fitted) return false;
    G_RestoreState(FigureView.state);
    // Twice the mouse movement: a short drag crosses the whole figure.
    G_PanBy(dx * 2.0, dy * 2.0);
    SaveView();
    if (repaint) repaint();
    FigureView.redrawDeadline = GetTickCount() + 100;
    FigureView.redrawPending = true;
    return true;
}

int FigureMouseUp(const FrameModel& model, int x, int y) {
    if (std::abs(x - FigureView.pressX) >= 8 || std::abs(y - FigureView.pressY) >= 8)
        return 0;  // a drag
    if (!FigureView.fitted) return 0;
    G_RestoreState(FigureView.state);
    const double wx = DevToWorldX(FigureView.pressX), wy = DevToWorldY(FigureView.pressY);
    const double reach = std::fabs(DevLenToWorldX(24));
    double best = 300;
    int pick = 0;
    for (int i = 1; i <= Members(model); ++i) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, i);
        const double d = DistanceToSegment(wx, wy, xi, yi, xj, yj);
        if (d < best) {
            best = d;
            if (d < reach) pick = i;
        }
    }
    return pick;
}

void ZoomWithinLimits(int x, int y, bool zoomIn, double f) {
    // Between 0.0001 m = 12 px (closest) and 0.2 m = 1 px (farthest). A step
    // stops at the limit and never turns round: a view already past a limit
    // (a wide frame fitted into the window) stays as it is.
    double factor;
    if (zoomIn) {
        const double px = std::fabs(WorldLenToDevX(0.0001));
        factor = px * f > 12 ? std::max(1.0, 12 / px) : f;
    } else {
        const double px = std::fabs(WorldLenToDevX(0.2));
        factor = px / f < 1 && px > 0 ? std::min(1.0, 1 / px) : 1 / f;
    }
    if (factor != 1.0) G_ZoomAt(x, y, factor);
}

void FigureWheel(int delta, bool shift, const std::function<void()>& repaint) {
    FigureViewData& v = FigureView;
    const double f = shift ? 1.005 : v.wheelFactor;
    const std::uint32_t t0 = GetTickCount();
    // After a slow repaint the next notches zoom without painting (the
    // redraw follows 100 ms after the last); every notch acts.
    const bool paint = v.wheelSkip <= 0;
    if (!paint) --v.wheelSkip;
    if (v.lastX >= 40) {
        // Zoom about the mouse.
        if (!v.fitted) return;
        G_RestoreState(v.state);
        ZoomWithinLimits(v.lastX, v.lastY, delta > 0, f);
        SaveView();
    } else {
        // The left ruler band sets the diagram scale.
        DiagramScale.value = delta > 0 ? DiagramScale.value * 1.03 : DiagramScale.value / 1.03;
        DiagramScale.value =
            std::clamp(DiagramScale.value, DiagramScale.minimum, DiagramScale.maximum);
    }
    if (paint) {
        if (repaint) repaint();
        const std::uint32_t elapsed = GetTickCount() - t0;
        v.wheelSkip = static_cast<int>(std::min<std::uint32_t>(3, elapsed / 30));
    }
    v.wheelFactor = 1.1;
    v.redrawDeadline = GetTickCount() + 100;
    v.redrawPending = true;
}

bool FigureRedrawDue(std::uint32_t now) {
    if (!FigureView.redrawPending) return false;
    // Unsigned difference: correct across the 49-day wrap of the tick count.
    if (static_cast<std::int32_t>(now - FigureView.redrawDeadline) < 0) return false;
    FigureView.redrawPending = false;
    return true;
}
