// The structure figures of the calculation report: the load figure of a
// load case and the M, S and N diagrams of a result block. The report fits
// the world window into the figure's paper box; these draw into it with the
// structure figure's own drawing units, so the pages show what the screen
// shows.
#pragma once

struct FrameModel;
struct FrameResults;

// The quantity of a result diagram.
enum ReportDiagram : int { kReportDiagramM = 0, kReportDiagramS = 1, kReportDiagramN = 2 };

// Draws, in the current world window (world y up, metres), the members in
// black, the loads of load case `loadCaseIndex` (table slot) at scale
// factor 1.0, the supports of its support case and the springs of its
// spring case (texts 2.5 mm high). The model is left as it was.
void DrawReportLoadFigure(const FrameModel& model, int loadCaseIndex);
// Draws the members in black and the diagram of `quantity` for result
// block `block` (scale factor 1, values labelled).
void DrawReportDiagram(const FrameResults& results, const FrameModel& model, int block,
                       ReportDiagram quantity);
// World length (m) the diagrams reach beyond the members at most, so that
// the figure leaves room for them.
double ReportDiagramReach(const FrameResults& results);
