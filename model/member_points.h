// Listing of one member's result points with their labels and forces,
// ordered along the member: the rows of the report's member-force tables,
// the compact result list and the clipboard export.
#pragma once

#include <vector>

#include "model/frame_results.h"

struct MemberPointRecord {
    char label[kPointLabelBytes];  // CP932
    double position;               // m from the I end
    double m, s, n;                // kN*m, kN, kN
    double disp;                   // mm
};

// At most 135 records: a member's 133 points and the M-max/M-min copies.
constexpr int kMaxListedPoints = kMaxResultPoints + 2;

// Lists the points of member `member` (results table slot) in result block
// `block`: every point with a label, and with includeUnlabelled also every
// named point of interest (point kind 2); the M-max and M-min copies
// ("M-max"/"M-min" when unlabelled) only when they lie at least 0.0001 m
// inside the member. Sorted by position, ascending or descending, equal
// positions keeping their order. Returns the records (none for a block or
// member outside the record).
std::vector<MemberPointRecord> ListPointsWithForces(const FrameResults& results, int block,
                                                    int member, bool descending,
                                                    bool includeUnlabelled);
