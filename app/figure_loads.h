// The load figure: the loads of one load case drawn over the structure,
// each scaled to the case's largest load, with its value beside it; and the
// merge that adds up overlapping loads for the composite display.
#pragma once
#include <string>

struct FrameModel;
struct LoadCase;

// Draws the loads of load case `loadCaseIndex` (slot 0 is the figure's
// scratch copy) in the current pen colour; filter 0 draws every load, n only
// load n. scale 1 draws the largest load 5 mm (6 px x 5 on the screen) high.
// Raises the case's maxLoad to at least 0.1.
void DrawLoadCase(FrameModel& model, int loadCaseIndex, int filter, double scale);

// Value labels of a distributed load from (sx, sy) to (ex, ey); u is the
// world length of one mm (one text unit), angle the load's direction in
// radians, the offsets how far the load is drawn from the line (signed).
void PlaceLoadValueLabels(double u, double fontHeight, double fontWidth, double angle, double sx,
                          double sy, double startOffset, const std::string& startText, double ex,
                          double ey, double endOffset, const std::string& endText);

// Adds loads of the same code on the same member with equal ranges and cuts
// overlapping ones at each other's ends, until nothing changes; then packs.
// Cuts that would need more loads than the case holds are left undone.
void MergeOverlappingLoads(const FrameModel& model, LoadCase& lc);
// Drops loads whose intensities are both 0 and sorts the rest by member and
// start distance (stable for equal keys).
void PackLoads(LoadCase& lc);
