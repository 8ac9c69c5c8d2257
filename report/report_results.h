// The result chapter of the calculation report, 「断面力の算出」: per load
// combination its make-up, the M, S and N diagrams, the member forces at
// the members' points, the node displacements and the support reactions.
// y values are mm; the table operations return whole mm.
#pragma once

struct FrameModel;
struct FrameResults;

void PrintResultSection(const FrameResults& results, const FrameModel& model);
// combination: 1-based combination number (slot of the model's table).
double PrintCombinationTable(double y, const FrameModel& model, int combination);
// block: result block index (ComboBlockIndex).
double PrintForceDiagrams(double y, const FrameResults& results, const FrameModel& model,
                          int block);
double PrintDisplacementTable(double y, const FrameResults& results, const FrameModel& model,
                              int block);
double PrintReactionTable(double y, const FrameResults& results, const FrameModel& model,
                          int block);
