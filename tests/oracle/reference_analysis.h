// The reference analysis: the plain algorithm, one load case after the
// other through the dense solver (AssembleStiffness, SolveLoadCase), the
// member values of each case by their own loop (CalcMemberForces), the
// whole combination blocks cleared and formed one after the other, the
// mapping back in one work block. No threads, no reuse of a factorisation,
// no partial clearing. It exists to be compared with: the program's
// analysis (RunFrameAnalysis) must give the same results record, bit for
// bit, and the same warnings.
//
// The shared steps (set-up, end forces, extremes, mapping of one member,
// thinning, reactions) are the program's own (model/analysis_steps.h);
// this composition of them is what the program's faster one must equal.
#pragma once

#include <string>

#include "model/analysis_driver.h"
#include "model/load_case_loop.h"

struct FrameModel;
struct FrameResults;

namespace reference {

// Same contract as ::RunFrameAnalysis without blockFinal: analyses a copy
// of the user's model into results. No progress texts and no diagnostic
// dumps; without a report, the case warnings go to EngineMessage.
bool RunFrameAnalysis(FrameResults& results, FrameModel& model, bool viewDivisionMode,
                      bool useViewDivisions, int pointCapacity, AnalysisReport* report = nullptr);

// Same contract as ::AnalyseLoadCases with remappedMembers < 0: every
// combination and extreme formed. The dense work areas (two N x N
// matrices) are allocated once.
bool AnalyseLoadCases(FrameResults& results, FrameModel& model, std::string& warnings);

// Member end forces and M, S, N, displacement at every point of load case
// slot caseIndex, from the node results already in the record.
void CalcMemberForces(FrameResults& results, const FrameModel& model, int caseIndex);

// Same contract as ::CombineCaseResults with remappedMembers < 0 and no
// blockFinal.
void CombineCaseResults(FrameResults& results, const FrameModel& model,
                        const CombineExtras& extras = {});

// Same contract as ::CollapseExpandedResults without blockFinal.
void CollapseExpandedResults(FrameResults& results, const FrameModel& expanded,
                             const FrameModel& user, bool viewDivisionMode, bool useViewDivisions,
                             int pointCapacity, const CombineExtras& extras = {});

}  // namespace reference
