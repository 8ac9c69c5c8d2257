// FrameResults: every result of one analysis in one flat record.
//
// The record is about 360 MB and is allocated once for the whole run
// (AllocateFrameResults); it is reached through the global pointer
// ResultData. It holds no pointers (the combination base is an index).
// It starts zero-filled (calloc: its pages cost nothing until written) and
// is cleared only where it was written (ClearFrameResults), so that a
// small model never touches most of it.
//
// Tables are 1-based: element k sits in slot k, slot 0 is never used.
// Units: positions and lengths in m, forces in kN, moments in kN*m, node
// displacements in mm (m x 1000), node rotations in rad x 1000, member
// displacements (deflection from the displaced chord) in mm.
#pragma once

#include <cstdint>
#include <string>

struct FrameModel;

// Capacities. The node and member tables have 808 slots (more than the
// 803 a model can hold). A member can carry at most 133 result points
// (outside results included); the per-point arrays also hold the M-max and
// M-min copies at pointCount + 1 and + 2, hence 133 + 2 + slot 0.
constexpr int kResultNodeSlots = 808;
constexpr int kResultMemberSlots = 808;
constexpr int kReactionRowSlots = 808;                  // rows 1..807
constexpr int kMaxResultPoints = 133;                   // largest pointCount
constexpr int kPointSlots = kMaxResultPoints + 3;       // 136: 0..135
constexpr int kPointLabelSlots = kMaxResultPoints + 1;  // 134: 0..133
constexpr int kPointLabelBytes = 32;
constexpr int kMaxResultCases = 65;                                       // load cases
constexpr int kMaxResultCombos = 65;                                      // combinations
constexpr int kResultCaseSlots = kMaxResultCases + kMaxResultCombos + 2;  // 0..131

// Index of a quantity within MemberResult::values.
enum ResultQuantity : int {
    kQtyPos = 0,    // position from the I end, m
    kQtyM = 1,      // bending moment, kN*m
    kQtyS = 2,      // shear force, kN (dM/dx from I to J)
    kQtyN = 3,      // axial force, kN, tension positive
    kQtyDisp = 4,   // deflection from the chord, mm
    kQtySpare = 5,  // stays 0
    kQtyCount = 6
};

struct ResultNode {
    int32_t no;
    float x, y;  // m
    int32_t reserved[10];
};

struct ResultMember {
    int32_t no;
    int32_t nodeI, nodeJ;  // node numbers
    float spare1, spare2;  // always 1.0
    int32_t endI, endJ;    // 0 rigid, 1 pin
    int32_t pointCount;
    float pointPos[kPointLabelSlots];  // m from the I end, slots 1..pointCount
    float length;                      // m
    float angle;                       // rad, I->J, counter-clockwise from global X
    int32_t reserved;
    char pointLabel[kPointLabelSlots][kPointLabelBytes];  // CP932, NUL-terminated
    int16_t pointKind[kPointSlots];  // 0 none, 1 stride, 2 end / point of interest
};

struct ReactionRow {
    int32_t nodeNo;
    float rx, ry, rm;  // kN, kN, kN*m (global X, global Y, counter-clockwise)
};

struct NodeResult {
    int32_t nodeNo;
    int32_t reserved;
    double fx, fy, fm;  // assembled nodal forces at free DOFs
    double dx, dy, dt;  // mm, mm, rad x 1000
    double rx, ry, rm;  // reaction (0 where none)
};

struct MemberResult {
    float endDisp[6];   // u_i, v_i, theta_i, u_j, v_j, theta_j (m, rad, local)
    float endForce[6];  // N_i, S_i, M_i, N_j, S_j, M_j (k * d, no fixed-end terms)
    float values[kQtyCount][kPointSlots];  // indexed by ResultQuantity, then point
    int32_t reserved[2];
    // Points of the M-max and M-min rows; 0 where the extreme lies between
    // the result points (under a load, beside a couple, at zero shear).
    int16_t maxIndex, minIndex;
};

struct ResultCase {
    int32_t caseNo;
    int32_t reserved;
    int32_t reactionCount;
    ReactionRow reactions[kReactionRowSlots];
    NodeResult nodes[kResultNodeSlots];
    MemberResult members[kResultMemberSlots];
};

// How much of a results record may hold values: node slots [0, nodes) and
// member slots [0, members) of the header and of every block, blocks
// [0, blocks) (reaction rows counted whole).
struct FrameResultsExtent {
    int32_t nodes = 0, members = 0, blocks = 0;
};

struct FrameResults {
    int32_t nodeCount;
    ResultNode node[kResultNodeSlots];
    double maxX, maxY;    // largest node X and Y, never below 0
    int32_t memberCount;  // 0 = no results
    ResultMember member[kResultMemberSlots];
    int32_t doneCaseCount;  // load case count once all cases ran
    int32_t caseCount;
    int32_t comboCount;
    // Load case c at index c; combination k at caseCount + 1 + k.
    // Index 0 and caseCount + 1 never hold results.
    ResultCase block[kResultCaseSlots];
    // Base index of the combinations (the block at caseCount + 1);
    // combination k is block[combosIndex + k].
    int32_t combosIndex;
    // What writers told they may write beyond the counts above since the
    // record was last cleared (the engine writes the pieces of the
    // expanded model before it maps them onto fewer members); kept by
    // NoteFrameResultsExtent, read by ClearFrameResults.
    FrameResultsExtent written;
};

// The one results record of the program (nullptr until allocated).
extern FrameResults* ResultData;

// Allocates the results record zero-filled on the heap the first time it
// is called and stores it in ResultData; later calls return the same
// record. Returns nullptr when the memory is not available.
FrameResults* AllocateFrameResults();

// Makes the record all zero (memberCount 0: the state without results),
// as a memset of the whole record would. Only the part that may hold
// values is written (WrittenFrameResultsExtent): the rest of the record
// is still zero, for a record starts zero-filled and every writer keeps
// within its counts or tells its extent first. Afterwards nothing is
// written.
void ClearFrameResults(FrameResults& results);

// A writer that is going to write beyond the counts of the record tells
// the extent it may write here first (it adds to what was told before).
void NoteFrameResultsExtent(FrameResults& results, FrameResultsExtent extent);

// The part of the record that may hold values: what writers told since
// the last clear, and what the counts cover (node and member slots
// 0..count, blocks 0..caseCount + comboCount + 1).
FrameResultsExtent WrittenFrameResultsExtent(const FrameResults& results);

// Block index of load case c (1-based position) and combination k.
inline int CaseBlockIndex(int c) { return c; }
inline int ComboBlockIndex(const FrameResults& r, int k) { return r.caseCount + 1 + k; }

// Labels the result points after an interactive calculation: sets
// memberCount, caseCount and comboCount from the model, copies length and
// angle, takes the positions from load case 1, labels both ends by the
// member's direction and the named points of interest by their names.
void SetResultPoints(FrameResults& results, const FrameModel& model);

// Engine labelling: named points of interest, then both end points of
// every member 「ﾀﾝﾌﾞ」 (the end label wins over a name).
void SetPointLabels(FrameResults& results, const FrameModel& model);
