// Member load terms: how a load record turns into member-axis and
// perpendicular intensities, the fixed-end terms it puts on the member ends
// for the member's end conditions, and its effects (M, S, N) at a point.
//
// Local axes: u along the member from I to J, v perpendicular (u turned
// +90 degrees). Lengths in m, forces in kN, moments in kN*m, distributed
// loads in kN/m. End conditions: 0 rigid, 1 pin.
#pragma once

#include <functional>

struct FrameModel;
struct LoadCase;
struct LoadRecord;

// Load codes (kLoadDistAxial .. kLoadNodal) are those of model/frame_model.h.

// Axial and perpendicular intensities at the start and the end of a load.
struct LoadComponents {
    double axialI = 0, axialJ = 0;
    double perpI = 0, perpJ = 0;
};

// Resolves qI, qJ of a load of the given code on a member of angle `angle`
// (rad) into local components (cos and sin rounded to 1e-9).
LoadComponents ResolveLoadComponents(double angle, int code, double qI, double qJ);

// Fixed-end terms of a perpendicular load: end shears (positive along +v,
// the force the member ends need to carry the load) and end moments in the
// sign convention of a counter-clockwise moment on the member end.
struct EndTerms {
    double vi = 0, mi = 0, vj = 0, mj = 0;
};

// Fixed-end terms for the member's end conditions. Distributed codes
// (11-14) take the load linear between (x1, q1) and (x2, q2), positions
// from the I end; concentrated codes (21-24) take the force q1 at x1;
// code 27 the moment q1 at x1. The length is raised to 0.0001 m.
EndTerms FixedEndForces(double length, int endI, int endJ, double x1, double q1, double x2,
                        double q2, int code);

// Distributed-load terms for the four end cases (rigid-rigid, pin at I,
// pin at J, both pinned); x1 < x2 positions from the I end.
EndTerms TrapezoidEndTerms(double length, double x1, double q1, double x2, double q2);
EndTerms TrapezoidEndTermsPinFixed(double length, double x1, double q1, double x2, double q2);
EndTerms TrapezoidEndTermsFixedPin(double length, double x1, double q1, double x2, double q2);
EndTerms TrapezoidEndTermsSimple(double length, double x1, double q1, double x2, double q2);

// Concentrated perpendicular force and concentrated moment at a.
EndTerms PointForceEndTerms(double length, int endI, int endJ, double a, double p);
EndTerms PointMomentEndTerms(double length, int endI, int endJ, double a, double m0);

// Resultant and its moment about the I end (the resultant times its
// centroid's distance from the I end) of the trapezoid (x1,q1)-(x2,q2).
void TrapezoidResultant(double x1, double q1, double x2, double q2, double& force, double& moment);

// Axial end terms of an axial load of resultant F and moment F c about the
// I end: N_j = F c / L, N_i = F - N_j.
void AxialEndTerms(double length, double force, double moment, double& ni, double& nj);

// Member end load: six doubles in local axes summed over a case's loads.
struct MemberEndLoad {
    double ni = 0, vi = 0, mi = 0, nj = 0, vj = 0, mj = 0;
};

// Calls fn(member slot) for every member the load acts on: the members
// numbered memberFrom..memberTo (memberTo 0 = memberFrom; a reversed range
// is taken in increasing order), each by its first slot.
void ForEachLoadedMember(const FrameModel& model, const LoadRecord& load,
                         const std::function<void(int)>& fn);

// Fills endLoads[1..member count] for load case `caseIndex` (table slot) of
// the model; endLoads must have member count + 1 elements.
void CalcMemberEndLoads(const FrameModel& model, int caseIndex, MemberEndLoad* endLoads);

// What a load's effects are computed on: the member's geometry, end
// conditions and (for temperature) E, A and alpha.
struct MemberLoadContext {
    double length = 0, angle = 0;
    int endI = 0, endJ = 0;
    double e = 1, area = 1, alpha = 0;
};

// Context of the member in table slot memberIndex of the model.
MemberLoadContext GetMemberLoadContext(const FrameModel& model, int memberIndex);

// A concentrated load or couple closer than this (m) to a member end acts
// at that end.
constexpr double kMemberEndTolerance = 0.0001;

// Where a point or a concentrated load at position a (m from the I end)
// sits on a member of the given length: at an end (within
// kMemberEndTolerance; the I end first on a member too short to tell) or
// inside. A member's end value is the moment on the member's own side of a
// couple at that end, so the jump of the couple shows only where it lies
// inside the member.
enum class EndPlace { kAtI, kInside, kAtJ };
EndPlace PlaceOnMember(double length, double a);

// Calls fn(load, member slot, end) for every concentrated load or couple
// (codes 21-24, 27) of the load case that acts at a member end. A load is
// placed as the expansion places it: on a single member at its position,
// on a run once, on the first member of the run (in number order) its
// position along the run falls on; a load more than kMemberEndTolerance
// outside its member or run acts nowhere.
void ForEachLoadAtMemberEnd(
    const FrameModel& model, const LoadCase& lc,
    const std::function<void(const LoadRecord& load, int member, EndPlace place)>& fn);

// Calls fn(node number, m0) for every couple (code 27, moment m0) of the
// load case that acts at a member end, with the node at that end.
void ForEachCoupleAtMemberEnd(const FrameModel& model, const LoadCase& lc,
                              const std::function<void(int nodeNo, double m0)>& fn);

// Effects of one load at position x: bending moment M to subtract, shear S
// to subtract (simple-beam part; the linear part from the end moments is
// the chord of the member forces) and axial force N to add.
struct PointEffects {
    double m = 0, s = 0, n = 0;
};

// Effects at x of a load (code, qI, qJ, distI, distJ as in a LoadRecord) on
// the member; simpleBeam = true takes both ends as pinned. At the position
// of a concentrated load or of a couple inside the member, x is taken just
// before it (a couple at a member end: see EndPlace). So the I end
// point's S and N hold a force on the I end, while the J end point (within
// kMemberEndTolerance of the J end) shows the member's side of a force on
// the J end: the support reactions add such forces (ForcesAtMemberJEnds).
PointEffects LoadEffectsAt(const MemberLoadContext& member, int code, double qI, double qJ,
                           double distI, double distJ, double x, bool simpleBeam = false);

// LoadEffectsAt for many points of one load on one member: everything
// that does not depend on the point (components, fixed-end terms, the
// slices of a distributed load) is worked out once, and At(x) then gives
// exactly the bits of LoadEffectsAt(member, code, ..., x, simpleBeam).
class LoadEffectsEvaluator {
  public:
    LoadEffectsEvaluator(const MemberLoadContext& member, int code, double qI, double qJ,
                         double distI, double distJ, bool simpleBeam = false);
    PointEffects At(double x) const;
    // The effects just beyond x: at the position of a concentrated load or
    // of a couple inside the member, the side after it (elsewhere At(x)).
    PointEffects AtJustPast(double x) const;

  private:
    PointEffects Evaluate(double x, bool justPast) const;
    enum Kind { kNone, kTemperature, kDistributed, kConcentrated, kMoment };
    Kind kind_ = kNone;
    double L_ = 0;
    LoadComponents comp_;
    double x1_ = 0, x2_ = 0, a_ = 0;
    double temperatureN_ = 0;
    bool perp_ = false, axial_ = false;
    double ti_ = 0, tj_ = 0;  // fixed-end moments mi, mj of the end case
    EndPlace couplePlace_ = EndPlace::kInside;
    int slices_ = 0;
    double sliceC_[100] = {}, sliceF_[100] = {};
};

// Deflection (m, positive along +v) at x of a member under one load for
// fixed-fixed, pin-pin or propped ends; EI in kN*m2. Codes other than 11-14, 21-24 and 27 give 0.
double CalcLoadDeflection(double ei, const MemberLoadContext& member, int code, double qI,
                          double qJ, double distI, double distJ, double x);
