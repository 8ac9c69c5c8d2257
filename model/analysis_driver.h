// The one entry of the in-program analysis: expand the model, analyse every
// load case of the expansion, map the pieces' results back onto the user's
// members, thin their points and derive the support reactions.
#pragma once

#include <functional>
#include <string>

#include "model/load_case_loop.h"

struct FrameModel;
struct FrameResults;

// Set at start-up when "<program base name>.bpr" exists in the working
// folder: every analysis then writes the model and its expansion as
// "@Do1A.$O1" and "@Do1B.$O1" into DiagnosticDumpFolder.
extern bool DiagnosticDumpFlag;
// Folder of the diagnostic dumps with a final "/" (CP932); the program's
// folder unless set otherwise.
extern std::string DiagnosticDumpFolder;

// What went wrong or was given up during one analysis (besides the flag).
struct AnalysisReport {
    bool expansionFellBack = false;
    std::string expansionWarnings;  // CP932 lines, each ending "\n"
    // Load cases that were singular and load cases or combinations whose
    // results were not finite numbers (cleared to 0), CP932 lines. Without
    // a report asked for, RunFrameAnalysis shows them through EngineMessage.
    std::string caseWarnings;
    int userMembers = 0;
    int expandedMembers = 0;
};

// Analyses model (a copy of the user's model, rigid zones already zeroed
// when they are switched off) into results. viewDivisionMode is the point
// mode of BuildMemberPointList; useViewDivisions takes each member's point
// capacity from its View1 divisions instead of pointCapacity (doubled for
// spring members). Returns false when the analysis could not be finished
// (a memory failure on any of its threads, or no memory to map the pieces
// back): a message has then said what failed ("メモリーが足りません.(剛性
// マトリックス)"), the analysis stopped there and the results are cleared.
// Expansion fallbacks are shown through EngineMessage.
// blockFinal, where given, may be called with 0 from this thread as soon
// as the load case blocks and the member headers hold their final values
// (every point kept), and then with the index of each
// combination block as soon as it is final (from worker threads, possibly
// at the same time): the rest of the analysis only reads them, so the
// caller may start writing them out on other threads. When it is not
// called, they are final when the analysis returns.
bool RunFrameAnalysis(FrameResults& results, FrameModel& model, bool viewDivisionMode,
                      bool useViewDivisions, int pointCapacity, AnalysisReport* report = nullptr,
                      const std::function<void(int)>& blockFinal = {});

// Maps the results of the pieces of `expanded` back onto the members of
// `user` (whose segFirst/segLast name the pieces): takes the pieces' points
// that match the user's points, makes S and N continuous across joints,
// measures displacements from the user member's chord, recombines and
// thins every member to its point capacity.
// blockFinal as for RunFrameAnalysis; extras go to the recombination
// (CombineCaseResults). False, with a message and the results left as the
// pieces' (no results of user), when there is no memory for a work block.
bool CollapseExpandedResults(FrameResults& results, const FrameModel& expanded,
                             const FrameModel& user, bool viewDivisionMode, bool useViewDivisions,
                             int pointCapacity, const std::function<void(int)>& blockFinal = {},
                             const CombineExtras& extras = {});

// Test hook: the mapping of CollapseExpandedResults gets this many work
// blocks, and no more (below 0: as many as memory gives).
void SetMappingWorkBlockLimit(int blocks);
