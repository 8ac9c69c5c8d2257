// The structure figures of the calculation report, seen from the report:
// the load figure of a load case and the M, S and N diagrams of a result
// block. The drawing itself belongs to the figure units of the main window,
// which fill in a ReportFigureDrawer; the report only fits the world window
// into the figure's paper box and calls it. Without a drawer the box stays
// empty with a thin frame, so the pages keep their layout.
#pragma once

struct FrameModel;
struct FrameResults;

// The quantity of a result diagram.
enum ReportDiagram : int { kReportDiagramM = 0, kReportDiagramS = 1, kReportDiagramN = 2 };

class ReportFigureDrawer {
public:
    virtual ~ReportFigureDrawer() = default;
    // Draws, in the current world window (world y up, metres), the members
    // in black, the loads of load case `loadCaseIndex` (table slot) at scale
    // factor 1.0, the supports of its support case and the springs of its
    // spring case (texts 2.5 mm high).
    virtual void DrawLoadFigure(const FrameModel& model, int loadCaseIndex) = 0;
    // Draws the members in black and the diagram of `quantity` for result
    // block `block` (scale factor 1, the report's flags).
    virtual void DrawResultDiagram(const FrameResults& results, const FrameModel& model, int block,
                                   ReportDiagram quantity) = 0;
    // World length (m) the diagrams reach beyond the members at most, so
    // that the figure leaves room for them; 0 when nothing is drawn there.
    virtual double DiagramReach(const FrameResults& results) {
        (void)results;
        return 0;
    }
};

// The drawer used by the report; nullptr (the default) leaves framed empty
// boxes. Not owned by the report.
void SetReportFigureDrawer(ReportFigureDrawer* drawer);
ReportFigureDrawer* GetReportFigureDrawer();
