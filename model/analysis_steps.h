// The steps the in-program analysis is made of, declared for a second
// composition of them: the tests' reference analysis (tests/oracle), which
// runs them one load case after the other through the dense solver and
// is compared with the program bit for bit. The program composes them in
// AnalyseLoadCases, CalcMemberForcesAllCases, CombineCaseResults and
// RunFrameAnalysis; nothing else of the program calls them.
//
// Member and node indices are table slots (1-based); positions in m from
// the member's I end; texts CP932.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "model/expansion.h"
#include "model/frame_results.h"

struct AnalysisReport;
struct ExpansionReport;
struct FrameModel;
struct LoadCase;
struct StiffnessWork;

// ---------------------------------------------------- load-case loop

// Set-up of the results record for the (expanded) model: the record
// cleared, nodes and members with their result points (both ends and the
// named points of interest, sorted, points within 0.0001 m merged); each
// member's length and angle are recomputed into the model.
void SetUpResults(FrameResults& results, FrameModel& model);

// Node results of one solved case: assembled forces and displacements
// (mm, rad x 1000) of the kept degrees of freedom, 0 for the others.
void StoreNodeResults(ResultCase& block, const FrameModel& model, const StiffnessWork& work,
                      int nodeCount);

// The warning line (ending "\n") of load case slot c whose matrix is
// singular.
std::string SingularCaseWarning(const FrameModel& model, int c);

// ----------------------------------------- member forces of one case

// Local end displacements (m, rad) and end forces k d of member m; the
// forces unrounded into `forces` too, where given.
void StoreEndForces(MemberResult& mr, const ResultCase& block, const FrameModel& model, int m,
                    double* forces = nullptr);
// The shear from the slope of M between the end points: (mLast - mFirst)
// / length of the stored (float) moments, unless the float rounding of
// those moments has spoiled it (a very short member under large moments):
// then the slope of the unrounded ones, exactM = mLast - mFirst.
float ChordShear(float mFirst, float mLast, double exactM, double length);
// Positions, the straight moment line between the end moments and the
// axial force N_j at every point; length in m.
void StoreChord(MemberResult& mr, const ResultMember& rm, double length);
// Deflection from the displaced chord (mm) at every point.
void StoreDeflection(MemberResult& mr, const ResultMember& rm, const FrameModel& model, int m);
// Node numbers whose members' end moments are not averaged in load case
// lc (rotation restrained, nodal moment, couple at a member end).
std::unordered_set<int> NodesKeepingEndMoments(const FrameModel& model, const LoadCase& lc);

// ------------------------------------------------------ combinations

// M-max and M-min of one member in one block among its result points:
// maxIndex, minIndex and the copies in slots pointCount + 1 and + 2.
void FindExtremes(MemberResult& mr, const ResultMember& rm);
// The largest magnitude of the member and node values of block b (the
// reactions left out), +infinity when one is not a finite number.
double BlockMagnitude(const FrameResults& results, int b);
// Clears the member and node values of block b (positions kept, the
// M-max/M-min rows a copy of point 1).
void ClearBlockValues(FrameResults& results, int b);

// ------------------------------------------------------ mapping back

// The user's points of one member with their labels (cut and trimmed as
// the point lister gives them).
struct UserPointList {
    std::vector<double> pos;
    std::vector<std::string> label;
};
UserPointList UserPoints(const FrameModel& user, int t, bool viewDivisionMode);
// The positions sorted, those that are not numbers left out; the form
// MapMember takes the user's points in.
std::vector<double> SortedPositions(const std::vector<double>& points);
// The part of a load case block the mapping reads (reactions and node
// slots below `nodes`, member slots below `members`) copied into a work
// block; the rest of the work block is left as it is.
void CopyMappedPart(ResultCase& work, const ResultCase& block, int nodes, int members);
// A jump of S and N (kN) at a point of a member.
struct ForceJump {
    double s = 0, n = 0;
};
// For every piece slot of the expanded model in load case slot c, the jump
// that the case's concentrated forces on the piece make between its last
// result point (at lastPos[slot]) and the piece after it: S rises by the
// force across the member, N falls by the force along it.
std::vector<ForceJump> LoadJumpsAtPieceEnds(const FrameModel& expanded, int c,
                                            const std::vector<float>& lastPos);
// The position of every piece's last result point (slot by slot, from the
// pieces' header), for LoadJumpsAtPieceEnds; pieceCount the point counts.
std::vector<float> PieceLastPositions(const FrameResults& results,
                                      const std::vector<int>& pieceCount);
// The jump that the node springs of user member t's soil at node nodeNo
// (the expansion's member springs there) make in load case slot c of the
// expanded model, across and along a member of the given angle, from the
// node displacements of `block`.
ForceJump MemberSpringJump(const FrameModel& expanded, const ResultCase& block, int c, int t,
                           int nodeNo, double angle);
// Whether the spring case of user load case slot c names member t.
bool MemberOnSpringsInCase(const FrameModel& user, int c, int t);
// What is added to S and N at the start and at the end of a piece (linear
// between) to make them continuous across its joints.
struct PieceShift {
    double s0 = 0, s1 = 0, n0 = 0, n1 = 0;
};
// The S and N at the first and last result point of a piece.
struct PieceEnds {
    float sFirst = 0, sLast = 0, nFirst = 0, nLast = 0;
};
// The shifts of the pieces of one user member in one load case: at every
// joint the jump that the node spring there makes (the whole jump less
// the loads' own, `loadJumps` per piece for the joint after it) is shared
// between the two pieces, half each, or as their soil lies at a zone
// (`soil`, from PieceSoilShares); the spring jumps at the member's own
// ends (startSpring, endSpring) go wholly into the end pieces. A load's
// own jump stays where the load is.
std::vector<PieceShift> PieceShifts(const std::vector<PieceEnds>& ends,
                                    const std::vector<ForceJump>& loadJumps,
                                    const std::vector<PieceSoil>& soil, ForceJump startSpring,
                                    ForceJump endSpring);
// User member t of load case slot c from the pieces' values in `work`,
// written into `out`; returns the number of points taken. pieceCount
// holds each piece's point count, userPoints the user's points sorted,
// loadJumps the case's LoadJumpsAtPieceEnds, soil the member's
// PieceSoilShares.
int MapMember(const ResultCase& work, ResultCase& out, const FrameModel& expanded,
              const FrameModel& user, int t, int c, const std::vector<int>& pieceCount,
              const std::vector<double>& userPoints, const std::vector<ForceJump>& loadJumps,
              const std::vector<PieceSoil>& soil);
// The user member's own data in header slot t, with `points` points whose
// positions are those of load case 1.
void SetMemberHeader(FrameResults& results, const FrameModel& user, int t, int points);
// Labels the mapped points of a user member: the names of its listed
// points, then both ends 「ﾀﾝﾌﾞ」.
void LabelUserPoints(ResultMember& rm, const UserPointList& pts);

// The thinning of user member t planned: the kind of every point and the
// slots kept (the points, then the M-max and M-min rows).
struct ThinPlan {
    std::vector<int> kind;  // 1..w
    std::vector<int> keep;
    bool identity = true;  // every slot stays where it is
};
ThinPlan PlanThinning(const FrameResults& results, const FrameModel& user, int t,
                      bool useViewDivisions, int capacity);
// The plan carried out on every block of member t, and on its header.
void ThinBlocks(FrameResults& results, int t, const ThinPlan& plan);
void ThinHeader(ResultMember& rm, const ThinPlan& plan);

// The last step after the mapping back: support reactions of the cases
// and combinations; blocks whose results are not finite numbers (those in
// failedBlocks and any with such reactions) cleared and named in the case
// warnings; the expansion's and the cases' warnings to the report, or to
// the user when there is none.
void FinishFrameAnalysis(FrameResults& results, const FrameModel& model,
                         const ExpansionReport& expansion, std::string caseWarnings,
                         const std::vector<int>& failedBlocks, int expandedMembers,
                         AnalysisReport* report);
