// Load-case loop of the engine: analyses every load case of the expanded
// model into the results record, forms combinations and extremes, and
// derives the support reactions.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct FrameModel;
struct FrameResults;

struct SpringIntensity {
    double kv = 0;  // kN/m2, perpendicular to the member axis
    double ku = 0;  // kN/m2, along the axis
};
constexpr int kSpringCaseSlots = 66;
constexpr int kSpringMemberSlots = 804;

// The distributed-spring table of an expanded model: the intensities per
// load case (slot 1..65) and member of the expansion (slot 1..803), 0 where
// no spring applies. Made by the expansion (ExpandFrameModel), which
// returns it; read by the member forces and the extremes, also on worker
// threads once it is made. A table without springs holds no memory (the
// full one is 850 KB).
class DistributedSprings {
  public:
    // The intensities of one load case slot and member slot; 0 outside the
    // table.
    SpringIntensity At(int caseSlot, int memberSlot) const;
    // Sets them; slots outside the table are ignored.
    void Set(int caseSlot, int memberSlot, double kv, double ku);
    bool Empty() const { return cells_.empty(); }

  private:
    std::vector<SpringIntensity> cells_;  // kSpringCaseSlots x kSpringMemberSlots, or none
};

// Analyses every load case of the (expanded) model: zeroes and sets up the
// results record, solves each case, computes member forces, combinations,
// extremes and labels. The cases are solved on worker threads over row
// profiles, one factorisation serving every case with the same matrix
// (FastCaseSolver), and only the used part of the record is cleared; the
// bits are those of the plain algorithm, one case after the other through
// the dense solver, which the tests compare it with. Recomputes each
// member's length and angle in the model. Returns false after an
// allocation failure of the work areas
// (message 「メモリーが足りません.(剛性マトリックス)」 through EngineMessage).
// A singular case leaves its displacements 0 and adds one line naming the
// case to `warnings` (CP932). remappedMembers >= 0 tells that the caller
// maps the results back onto that many members, wiping their slots, and
// combines again (the mapping back to the user's members does): the
// combination blocks are then left as they are, and the M-max/M-min
// points are found only where they survive (load case slots above
// remappedMembers). springs: the distributed springs of the model when it
// is an expansion (none otherwise).
bool AnalyseLoadCases(FrameResults& results, FrameModel& model, std::string& warnings,
                      int remappedMembers = -1, const DistributedSprings& springs = {});
bool AnalyseLoadCases(FrameResults& results, FrameModel& model);

// Member end forces and M, S, N, displacement at every point of every load
// case, from the node results already in the record (after all cases are
// solved), spread over worker threads member by member.
void CalcMemberForcesAllCases(FrameResults& results, const FrameModel& model,
                              const DistributedSprings& springs);

class MemberExtremeSearch;

// What the analysis driver adds to CombineCaseResults.
struct CombineExtras {
    // The true M-max and M-min, between the result points too (Refine of
    // every block and member whose extremes are found).
    const MemberExtremeSearch* extremes = nullptr;
    // Where given, every value of the load case blocks (before they are
    // combined) and of each combination block (once formed) must be a
    // finite number: a block that is not has its member and node values
    // cleared to 0, and its index is added here (load cases first, each
    // part in increasing order). Reactions are not looked at.
    std::vector<int>* failedBlocks = nullptr;
};

// Combination blocks and the M-max/M-min points of every block; with
// remappedMembers >= 0 (see AnalyseLoadCases) only the points of the load
// case blocks (and the one after them), of the members above it.
// blockFinal, where given (with remappedMembers < 0), is called
// with 0 from this thread as soon as the load case blocks are final,
// before the combinations are formed, and then with the index of each
// combination block once it is final, from any of the worker threads and
// possibly at the same time: a block told final is only read from then on
// (by this call and by what follows it in the analysis), so other threads
// may read it too.
void CombineCaseResults(FrameResults& results, const FrameModel& model, int remappedMembers = -1,
                        const std::function<void(int)>& blockFinal = {},
                        const CombineExtras& extras = {});

// True when every member and node value of block b (members and nodes up
// to the results' counts, the M-max/M-min rows included, the reactions
// left out) is a finite number; otherwise clears those values to 0
// (positions kept, the M-max/M-min rows a copy of point 1) and returns
// false.
bool KeepBlockIfFinite(FrameResults& results, int b);
// The same for the support reactions of block b: its rows and the
// reactions of its node results.
bool KeepReactionsIfFinite(FrameResults& results, int b);

// Support reactions of every load case (rows and node results), from the
// member end values at the points. Includes nodal loads applied at the
// supported node itself and the loads on member ends there that the end
// values leave out (couples, forces at a J end), so the reactions balance
// the case's loads.
void CalcSupportReactions(FrameResults& results, const FrameModel& model);

// Reactions of every combination from the load cases' node reactions.
void CombineReactions(FrameResults& results, const FrameModel& model);
