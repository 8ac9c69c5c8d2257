// Model expansion: the analysis copy of the user's model is rewritten into a
// plain frame the engine can solve.
//
// - Rigid zones at member ends become short pieces of a material 100 times
//   stiffer than the member's (「<剛域>%d-I」, 「<剛域>%d-J」).
// - Members on distributed (Winkler) springs are cut into segments; their
//   inner nodes carry code-5 node springs, one support case per load case.
// - Load runs over several members are cut into per-piece loads, so every
//   load of the copy names exactly one member.
// - Points of interest become named points (View2) of the pieces.
// - Every piece's number equals its position in the copy's member table.
//
// The user's model is read only, except that each user member records its
// first and last piece (segFirst, segLast) and the derived length and angle
// are refreshed. Nothing is ever written beyond a table: a model whose
// expansion would not fit falls back to fewer segments, then to no rigid
// zones, then to no expansion at all, and each fallback is reported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/frame_model.h"
#include "model/load_case_loop.h"

// Most members (pieces) the expanded copy may hold.
constexpr int kMaxExpandedMembers = 800;
// Segment count limit per spring member before the small-count factor.
constexpr int kMaxSpringSegmentsBase = 20;

// Spring segments per user member (slots 1..803), drawn by the structure
// figure: 0 no spring, 1 named by a spring case, n when cut into n segments.
// Cleared at the start of every expansion and when a model is loaded.
extern std::uint8_t SpringSegmentCount[kMaxMembers + 1];
void ClearSpringSegmentCount();

struct ExpansionReport {
    bool fellBack = false;  // zones, springs or segments were given up
    std::string warnings;   // CP932, one line per fallback, each ending "\n"
    // The number of the first load case whose loads, cut onto the pieces,
    // do not fit a load table (0: all fit). Such a case cannot be analysed:
    // leaving loads out would give results of other loads.
    int loadOverflowCase = 0;
};

// The message that refuses load case number `caseNo` whose cut loads do
// not fit (CP932, ending "\n").
std::string LoadOverflowMessage(int caseNo);

// How the soil of user member t's distributed springs lumps onto the ends
// of its pieces (segFirst..segLast of `copy`, in order): the length of
// soil each piece hands to its I node and to its J node, and whether the
// member forces spread it back along the piece (a piece that hands half to
// each end). A rigid zone hands half its soil to each of its ends, the
// member's end node too; the half parts at the ends of a stretch of
// segments hand theirs wholly to their inner node; a member that is one
// piece lumps nothing.
struct PieceSoil {
    double atI = 0, atJ = 0;  // m
    bool spread = false;
};
std::vector<PieceSoil> PieceSoilShares(const FrameModel& copy, const FrameModel& user, int t);

// What the expansion built besides the copy.
struct ExpansionResult {
    // The distributed springs of the copy (load case x piece), for the
    // engine; none without springs.
    DistributedSprings springs;
    ExpansionReport report;
};

// Fills copy with the expansion of user. withSprings = false keeps the
// spring cases as member springs of the pieces (the outside library's
// path); viewDivisionMode is the point mode handed to BuildMemberPointList.
ExpansionResult ExpandFrameModel(FrameModel& copy, FrameModel& user, bool withSprings,
                                 bool viewDivisionMode);
