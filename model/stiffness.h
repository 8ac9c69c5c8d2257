// Stiffness assembly, supports and solution of one load case.
//
// Degrees of freedom: three per node in node-table order; the node in
// table slot k owns x 3(k-1), y 3(k-1)+1 and rotation 3(k-1)+2 (0-based).
// The global matrix is dense (N x N doubles, N = 3 x nodes).
#pragma once

#include <cstddef>
#include <vector>

#include "model/load_terms.h"

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

    // Allocates for the given node and member counts. Returns false (and
    // releases everything) when the memory is not available.
    bool Allocate(int nodeCount, int memberCount);
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

// Adds springs, members (T k T^t and T r) and nodal loads of load case
// `caseIndex` (table slot) into work.k and work.p. Expects work cleared and
// work.endLoads filled by CalcMemberEndLoads.
void AssembleStiffness(const FrameModel& model, int caseIndex, StiffnessWork& work);

// Applies the supports of the case, drops empty unloaded degrees of
// freedom, compacts and solves. Returns the solver's flag (false: singular,
// work.x left 0). work.map tells where each kept DOF's value is.
bool SolveLoadCase(const FrameModel& model, int caseIndex, StiffnessWork& work);

// The work list filled by BuildMemberPointList: positions in m from the I
// end (rounded to 0.001 m), labels (CP932, at most 20 bytes), unsorted.
constexpr int kMemberPointSlots = 134;
struct MemberPointList {
    int count = 0;
    double pos[kMemberPointSlots] = {};
    char label[kMemberPointSlots][24] = {};
};
extern MemberPointList PointList;

// Positions of each member's named points alone (member table slots 1..803),
// for the thinning of the mapping back.
constexpr int kNamedPointMembers = 804;
struct NamedPointPositions {
    int count = 0;
    double pos[kMemberPointSlots] = {};
};
extern NamedPointPositions NamedPoints[kNamedPointMembers];

// Builds the result point list of the member in table slot memberIndex
// into PointList (and its named positions into NamedPoints[memberIndex]);
// returns the number of points (at most 131).
int BuildMemberPointList(const FrameModel& model, int memberIndex, bool viewDivisionMode);
