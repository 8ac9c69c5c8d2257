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
    bool fellBack = false;  // zones, springs, segments or loads were given up
    std::string warnings;   // CP932, one line per fallback, each ending "\n"
};

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
