// The report's load figures and diagrams, drawn by the structure figure's
// units.
#include "report/report_figures.h"

#include <cstdint>
#include <memory>

#include "app/figure_diagrams.h"
#include "app/figure_loads.h"
#include "app/figure_structure.h"
#include "model/frame_model.h"
#include "report/graphics.h"
#include "report/text_draw.h"

namespace {

constexpr std::uint32_t kBlack = 0x000000;

void DrawStructureLines(const FrameModel& model) {
    G_SetLineColor(kBlack);
    G_SetLineWidth(2);
    DrawMembers(model);
    G_SetLineWidth(1);
}

}  // namespace

void DrawReportLoadFigure(const FrameModel& model, int loadCaseIndex) {
    DrawStructureLines(model);
    // The load figure may rewrite the case it draws (its maxLoad floor), so
    // it works on a copy; the report's model stays as it is.
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    CopyFrameModel(*copy, model);
    SetTextColor(kBlack);
    DrawLoadCase(*copy, loadCaseIndex, 0, 1.0);
    const LoadCase& lc = copy->loadCases[loadCaseIndex];
    const int support = FindSupportCaseIndex(*copy, lc.suptCaseNo);
    if (support > 0) DrawSupportSymbols(*copy, support, 2.5, 0);
    DrawSpringCase(*copy, loadCaseIndex, 2.5);
}

void DrawReportDiagram(const FrameResults& results, const FrameModel& model, int block,
                       ReportDiagram quantity) {
    DrawStructureLines(model);
    SetTextColor(kBlack);
    // Quantities of the diagram unit: 1 M, 2 S, 3 N; flags 2 labels values.
    DrawMSNDiagram(results, model, block, static_cast<int>(quantity) + 1, 0, 1.0, 2);
}

double ReportDiagramReach(const FrameResults& results) {
    // The largest ordinate is drawn this far from its member (scale 1).
    return DiagramScaleLength(results);
}
