// Stiffness assembly, supports and solution of one load case.
//
// Degrees of freedom: three per node in node-table order; the node in
// table slot k owns x 3(k-1), y 3(k-1)+1 and rotation 3(k-1)+2 (0-based).
// The global matrix is dense (N x N doubles, N = 3 x nodes).
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "model/frame_model.h"
#include "model/load_terms.h"
#include "platform/assertions.h"

struct FrameModel;

// Work areas of one analysis, allocated once and cleared per load case.
struct StiffnessWork {
    int dofCount = 0;                     // N
    int keptCount = 0;                    // n, kept degrees of freedom
    std::vector<double> k;                // N x N, row-major
    std::vector<double> p;                // N, assembled loads
    std::vector<int> map;                 // N: i when kept, -1 restrained or dropped
    std::vector<double> a;                // compact n x n (overwritten by the solver)
    std::vector<double> b;                // compact n (overwritten by the solver)
    std::vector<double> x;                // n, solution
    std::vector<MemberEndLoad> endLoads;  // 1..members

    // Allocates for the given node and member counts; without matrices
    // only the vectors, the map and the end loads (the profile solver keeps
    // its own storage). Returns false (and releases everything) when the
    // memory is not available.
    bool Allocate(int nodeCount, int memberCount, bool withMatrices = true);
    // Adds the two N x N matrices to work areas allocated without them.
    bool AllocateMatrices();
    void Release();
    // Clears K, p, x and the end loads and sets the map to -1.
    void Clear();
};

// Test hook: allocations of StiffnessWork above this many bytes fail
// (0 = no limit).
void SetStiffnessAllocationLimit(std::size_t bytes);

// Local 6 x 6 stiffness of the member in table slot memberIndex, order
// (u_i, v_i, theta_i, u_j, v_j, theta_j); pinned ends have zero rows.
void MemberStiffness(const FrameModel& model, int memberIndex, double k[6][6]);

// Direction cosines of a member angle, rounded to 1e-9.
void MemberCosSin(double angle, double& c, double& s);

// Global 6 x 6 matrix T k T^t of the member in table slot m and the
// degree-of-freedom bases of its end nodes (I, J); false (nothing set) when
// an end node is missing. Every assembly adds exactly these numbers.
bool MemberGlobalStiffness(const FrameModel& model, int m, double g[6][6], int base[2]);

// Adds T r (the member end load r turned to global axes) into p at the
// member's end nodes; nothing when an end node is missing.
void AddMemberLoad(const FrameModel& model, int m, const MemberEndLoad& r, double* p);

// Calls add(d, kx, ky, km, kxy) for every spring support (code 5, and the
// expansion's node springs of members) of the support cases numbered
// suptCaseNo, in table order; d is the x degree of freedom of the
// support's node (missing nodes are skipped), kxy the x-y coupling (0 for
// code 5). Both assemblies add the springs through this, so they add the
// same numbers in the same order. A negative constant of a code-5 support
// marks a rigid direction (the grids write -1 there, the report prints it
// as fixed): it adds no spring, ApplyRestraints holds it.
template <class Add>
void ForEachSpringSupport(const FrameModel& model, int suptCaseNo, Add add) {
    const int caseCount = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int sc = 1; sc <= caseCount; ++sc) {
        const SuptCase& supt = model.supportCases[sc];
        if (supt.no != suptCaseNo) continue;
        const int entries = CheckedCount(supt.count, kMaxSupportEntries);
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            if (entry.code != kSupportSpring && entry.code != kSupportMemberSpring) continue;
            const int node = FindNodeIndex(model, entry.nodeNo);
            if (node == 0) continue;
            const bool member = entry.code == kSupportMemberSpring;
            const float kxy = member ? entry.reserved[0] : 0.0f;
            auto spring = [member](float k) { return !member && k < 0 ? 0.0f : k; };
            add(3 * (node - 1), spring(entry.kx), spring(entry.ky), spring(entry.km), kxy);
        }
    }
}

// Adds springs, members (T k T^t and T r) and nodal loads of load case
// `caseIndex` (table slot) into work.k and work.p. Expects work cleared and
// work.endLoads filled by CalcMemberEndLoads.
void AssembleStiffness(const FrameModel& model, int caseIndex, StiffnessWork& work);

// Only the load vector of AssembleStiffness: T r of every member, then the
// nodal loads, added into work.p in the same order.
void AssembleLoads(const FrameModel& model, int caseIndex, StiffnessWork& work);

// Sets map[d] = -1 for every degree of freedom the supports of load case
// `caseIndex` (table slot, checked by the caller) restrain: by code, and
// for a spring support (code 5) each direction whose constant is negative.
void ApplyRestraints(const FrameModel& model, int caseIndex, int* map);

// The directions (x, y, rotation) a support entry holds rigidly.
void RestrainedDirections(const SuptEntry& entry, bool held[3]);

// A stiffness diagonal below this (and not zero) belongs to a very soft
// frame (EI of 1e-17, say) rather than to a mechanism: the solvers' zero
// tests of 1e-9 are absolute, so such a system is solved scaled.
constexpr double kSoftDiagonal = 1e-6;

// Applies the supports of the case, drops empty unloaded degrees of
// freedom, compacts and solves. Returns the solver's flag (false: singular,
// work.x left 0). work.map tells where each kept DOF's value is.
bool SolveLoadCase(const FrameModel& model, int caseIndex, StiffnessWork& work);

// The result points of one member, as BuildMemberPointList gives them:
// positions in m from the I end (rounded to 0.001 m) and labels (CP932, at
// most 20 bytes) in slots 1..count, unsorted. The member's named points of
// interest come first (slots 1..namedCount, in entry order), then the
// divisions.
constexpr int kMemberPointSlots = 134;
struct MemberPointList {
    int count = 0;
    int namedCount = 0;
    double pos[kMemberPointSlots] = {};
    char label[kMemberPointSlots][24] = {};
};

// The result point list of the member in table slot memberIndex (at most
// 131 points; none for a slot outside the member table).
MemberPointList BuildMemberPointList(const FrameModel& model, int memberIndex,
                                     bool viewDivisionMode);
