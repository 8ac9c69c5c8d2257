#include "model/load_terms.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "platform/assertions.h"

namespace {

// Shortest member and shortest loaded stretch that carry load terms (m).
constexpr double kMinLength = 0.0001;

// End cases of a member.
enum EndCase { kFixedFixed, kPinFixed, kFixedPin, kSimple };

EndCase GetEndCase(int endI, int endJ) {
    if (endI == 0 && endJ == 0) return kFixedFixed;
    if (endI == 1 && endJ == 0) return kPinFixed;
    if (endI == 0 && endJ == 1) return kFixedPin;
    return kSimple;
}

bool IsDistributed(int code) { return code >= kLoadDistAxial && code <= kLoadDistY; }
bool IsConcentrated(int code) { return code >= kLoadConcAxial && code <= kLoadConcY; }

// Integral over x1..x2 of (m + h x) x^k.
double LoadMoment(double m, double h, double x1, double x2, int k) {
    const double a1 = std::pow(x1, k + 1), a2 = std::pow(x2, k + 1);
    const double b1 = a1 * x1, b2 = a2 * x2;
    return m * (a2 - a1) / (k + 1) + h * (b2 - b1) / (k + 2);
}

// The four load moments I0..I3 of the linear load (x1, q1)-(x2, q2).
struct LoadMoments {
    double i0, i1, i2, i3;
};

LoadMoments GetLoadMoments(double x1, double q1, double x2, double q2) {
    const double h = (q2 - q1) / (x2 - x1);
    const double m = q1 - h * x1;
    return {LoadMoment(m, h, x1, x2, 0), LoadMoment(m, h, x1, x2, 1), LoadMoment(m, h, x1, x2, 2),
            LoadMoment(m, h, x1, x2, 3)};
}

// Number of slices of a loaded stretch: one per `width` started, at most
// 100 (computed in double, so a damaged huge length cannot overflow).
int SliceCount(double stretch, double width) {
    const double n = std::floor(stretch / width) + 1;
    if (!(n >= 1)) return 1;
    return n >= 100 ? 100 : static_cast<int>(n);
}

bool StretchTooShort(double length, double x1, double x2) {
    return length < kMinLength || x2 - x1 < kMinLength;
}

// Straight-line parts of a load's moment: the fixed-end moments of the end
// case (reaction moments, counter-clockwise on the member ends).
EndTerms EndCaseTerms(const MemberLoadContext& member, bool simpleBeam, int code, double x1,
                      double q1, double x2, double q2) {
    const int endI = simpleBeam ? 1 : member.endI;
    const int endJ = simpleBeam ? 1 : member.endJ;
    return FixedEndForces(member.length, endI, endJ, x1, q1, x2, q2, code);
}

// Simple-beam "effect" moment at x of a force F at c (positive for a force
// along +v); the member moment decreases by it.
double SimpleMomentOfForce(double length, double force, double c, double x) {
    if (x >= c) return (length - x) * force * c / length;
    return x * force * (length - c) / length;
}

// Whether the shear and axial force at x are those before a concentrated
// force at a (just beyond x when justPast): a point on the force shows the
// side before it. The J end point shows the member's own side of a force
// on the J end (ForcesAtMemberJEnds puts it into the support there), and
// lies beyond any other force, however the end position was rounded.
bool BeforeForce(double length, double a, double x, bool justPast) {
    if (PlaceOnMember(length, x) == EndPlace::kAtJ)
        return PlaceOnMember(length, a) == EndPlace::kAtJ;
    return justPast ? x < a : x <= a;
}

// Lever-rule value at x of the trapezoid (x1, q1)-(x2, q2): the part beyond
// x counts F (1 - c/L), the part before x counts -F c/L. It is the simple
// beam shear of a perpendicular load and the axial force of an axial one.
double LeverRule(double length, double x1, double q1, double x2, double q2, double x) {
    double value = 0;
    if (x > x1) {  // part before x
        const double xe = std::min(x, x2);
        const double qe = Interpolate(x1, q1, x2, q2, xe);
        double f, fx;
        TrapezoidResultant(x1, q1, xe, qe, f, fx);
        value -= fx / length;
    }
    if (x < x2) {  // part beyond x
        const double xs = std::max(x, x1);
        const double qs = Interpolate(x1, q1, x2, q2, xs);
        double f, fx;
        TrapezoidResultant(xs, qs, x2, q2, f, fx);
        value += f - fx / length;
    }
    return value;
}

// Moment effect of a distributed perpendicular load: the simple-beam
// moment of up to 100 midpoint slices minus the straight line between the
// end case's fixed-end moments. The line takes the closed-form moments the
// assembly used, so that the member ends agree with the nodal equilibrium.
double DistributedMomentEffect(const MemberLoadContext& member, bool simpleBeam, int code,
                               double x1, double q1, double x2, double q2, double x) {
    const double L = member.length;
    const int n = SliceCount(x2 - x1, 0.02);
    const double w = std::max(0.0, (x2 - x1) / n);
    double simple = 0;
    for (int k = 1; k <= n; ++k) {
        const double c = x1 + (k - 0.5) * w;
        const double f = w * Interpolate(x1, q1, x2, q2, c);
        simple += SimpleMomentOfForce(L, f, c, x);
    }
    const EndTerms t = EndCaseTerms(member, simpleBeam, code, x1, q1, x2, q2);
    return simple + t.mi * (1 - x / L) - t.mj * x / L;
}

// Moment effect at x of a couple m0 at a with the end case's fixed-end
// moments t. A couple at an end is on the far side of every point but that
// end's own (the I end shows the moment after it, the J end the moment
// before it); inside, pastCouple tells the side.
double CoupleMomentEffect(double L, double m0, const EndTerms& t, EndPlace place, bool pastCouple,
                          double x) {
    const bool after = place == EndPlace::kAtI || (place == EndPlace::kInside && pastCouple);
    const double simple = after ? m0 * (1 - x / L) : -m0 * x / L;
    return simple + t.mi * (1 - x / L) - t.mj * x / L;
}

// Shear effect of a couple: the linear part from the end moments is in the
// chord of the member forces. A couple inside the member puts its jump
// into that chord, which -m0/L takes out again; a couple at an end leaves
// the end values on the member's side and the chord without a jump.
double CoupleShearEffect(double L, double m0, EndPlace place) {
    return place == EndPlace::kInside ? -m0 / L : 0.0;
}

}  // namespace

EndPlace PlaceOnMember(double length, double a) {
    if (a <= kMemberEndTolerance) return EndPlace::kAtI;
    if (a >= length - kMemberEndTolerance) return EndPlace::kAtJ;
    return EndPlace::kInside;
}

LoadComponents ResolveLoadComponents(double angle, int code, double qI, double qJ) {
    LoadComponents r;
    switch (code) {
        case kLoadDistAxial:
        case kLoadConcAxial:
            r.axialI = qI;
            r.axialJ = qJ;
            break;
        case kLoadDistPerp:
        case kLoadConcPerp:
        case kLoadConcMoment:
            r.perpI = qI;
            r.perpJ = qJ;
            break;
        case kLoadDistX:
        case kLoadConcX:
        case kLoadDistY:
        case kLoadConcY: {
            const double c = Round9(std::cos(angle));
            const double s = Round9(std::sin(angle));
            const bool isX = code == kLoadDistX || code == kLoadConcX;
            const double xI = isX ? qI : 0, xJ = isX ? qJ : 0;
            const double yI = isX ? 0 : qI, yJ = isX ? 0 : qJ;
            r.axialI = c * xI + s * yI;
            r.axialJ = c * xJ + s * yJ;
            r.perpI = -s * xI + c * yI;
            r.perpJ = -s * xJ + c * yJ;
            break;
        }
        default:
            break;
    }
    return r;
}

EndTerms TrapezoidEndTerms(double L, double x1, double q1, double x2, double q2) {
    const LoadMoments I = GetLoadMoments(x1, q1, x2, q2);
    const double L2 = L * L, L3 = L2 * L;
    EndTerms t;
    t.vi = (L3 * I.i0 - 3 * L * I.i2 + 2 * I.i3) / L3;
    t.mi = -(L2 * I.i1 - 2 * L * I.i2 + I.i3) / L2;
    t.vj = (3 * L * I.i2 - 2 * I.i3) / L3;
    t.mj = (L * I.i2 - I.i3) / L2;
    return t;
}

EndTerms TrapezoidEndTermsPinFixed(double L, double x1, double q1, double x2, double q2) {
    const LoadMoments I = GetLoadMoments(x1, q1, x2, q2);
    const double L2 = L * L, L3 = L2 * L;
    EndTerms t;
    t.vi = (2 * L3 * I.i0 - 3 * L2 * I.i1 + I.i3) / (2 * L3);
    t.mi = 0;
    t.vj = I.i0 - t.vi;
    t.mj = (L2 * I.i1 - I.i3) / (2 * L2);
    return t;
}

EndTerms TrapezoidEndTermsFixedPin(double L, double x1, double q1, double x2, double q2) {
    const LoadMoments I = GetLoadMoments(x1, q1, x2, q2);
    const double L2 = L * L, L3 = L2 * L;
    EndTerms t;
    t.vj = (3 * L * I.i2 - I.i3) / (2 * L3);
    t.vi = I.i0 - t.vj;
    t.mi = -(2 * L2 * I.i1 - 3 * L * I.i2 + I.i3) / (2 * L2);
    t.mj = 0;
    return t;
}

EndTerms TrapezoidEndTermsSimple(double L, double x1, double q1, double x2, double q2) {
    const LoadMoments I = GetLoadMoments(x1, q1, x2, q2);
    EndTerms t;
    t.vi = (L * I.i0 - I.i1) / L;
    t.vj = I.i1 / L;
    return t;
}

EndTerms PointForceEndTerms(double L, int endI, int endJ, double a, double p) {
    const double b = L - a;
    const double L2 = L * L, L3 = L2 * L;
    EndTerms t;
    switch (GetEndCase(endI, endJ)) {
        case kFixedFixed:
            t.vi = p * b * b * (b + 3 * a) / L3;
            t.mi = -p * a * b * b / L2;
            t.vj = p * a * a * (a + 3 * b) / L3;
            t.mj = p * a * a * b / L2;
            break;
        case kPinFixed:
            t.vi = p * b * b * (3 * a + 2 * b) / (2 * L3);
            t.vj = p - t.vi;
            t.mj = p * a * b * (b + 2 * a) / (2 * L2);
            break;
        case kFixedPin:
            t.vj = p * a * a * (3 * b + 2 * a) / (2 * L3);
            t.vi = p - t.vj;
            t.mi = -p * a * b * (a + 2 * b) / (2 * L2);
            break;
        case kSimple:
            t.vi = p * b / L;
            t.vj = p * a / L;
            break;
    }
    return t;
}

// A counter-clockwise moment M0 at a. With one pinned end the fixed-fixed
// moments are released at the pin and half of the released moment is
// carried over to the fixed end; the end shears then follow from the
// member's moment equilibrium V_i L + M_i + M_j + M0 = 0.
EndTerms PointMomentEndTerms(double L, int endI, int endJ, double a, double m0) {
    const double e = a / L, d = 1 - e;
    EndTerms t;
    const EndCase endCase = GetEndCase(endI, endJ);
    if (endCase == kSimple) {
        t.vi = -m0 / L;
        t.vj = m0 / L;
        return t;
    }
    const double miFixed = m0 * d * (2 * e - d);
    const double mjFixed = m0 * e * (2 * d - e);
    if (endCase == kFixedFixed) {
        t.vi = -6 * m0 * e * d / L;
        t.vj = -t.vi;
        t.mi = miFixed;
        t.mj = mjFixed;
        return t;
    }
    if (endCase == kPinFixed) {
        t.mj = mjFixed - miFixed / 2;
    } else {
        t.mi = miFixed - mjFixed / 2;
    }
    t.vi = -(t.mi + t.mj + m0) / L;
    t.vj = -t.vi;
    return t;
}

EndTerms FixedEndForces(double length, int endI, int endJ, double x1, double q1, double x2,
                        double q2, int code) {
    EndTerms none;
    if (length < kMinLength) return none;
    const double L = std::max(length, kMinLength);
    if (IsDistributed(code)) {
        if (StretchTooShort(L, x1, x2)) return none;
        switch (GetEndCase(endI, endJ)) {
            case kFixedFixed:
                return TrapezoidEndTerms(L, x1, q1, x2, q2);
            case kPinFixed:
                return TrapezoidEndTermsPinFixed(L, x1, q1, x2, q2);
            case kFixedPin:
                return TrapezoidEndTermsFixedPin(L, x1, q1, x2, q2);
            case kSimple:
                return TrapezoidEndTermsSimple(L, x1, q1, x2, q2);
        }
    }
    if (IsConcentrated(code)) return PointForceEndTerms(L, endI, endJ, x1, q1);
    if (code == kLoadConcMoment) return PointMomentEndTerms(L, endI, endJ, x1, q1);
    return none;
}

void TrapezoidResultant(double x1, double q1, double x2, double q2, double& force, double& moment) {
    const double w = x2 - x1;
    const double rect = w * q1;
    const double tri = w * (q2 - q1) / 2;
    force = rect + tri;
    // Rectangle centroid at the middle, triangle centroid two thirds along.
    // The moment stands on its own: a load whose resultant vanishes (-q to
    // +q) still turns the member and loads its ends.
    moment = rect * (x1 + w / 2) + tri * (x1 + 2 * w / 3);
}

void AxialEndTerms(double length, double force, double moment, double& ni, double& nj) {
    ni = 0;
    nj = 0;
    if (length < kMinLength) return;
    nj = moment / length;
    ni = force - nj;
}

MemberLoadContext GetMemberLoadContext(const FrameModel& model, int memberIndex) {
    MemberLoadContext ctx;
    if (memberIndex < 1 || memberIndex > std::min(model.memberCount, kMaxMembers)) return ctx;
    const FrameMember& m = model.members[memberIndex];
    ctx.length = m.length;
    ctx.angle = m.angle;
    ctx.endI = m.endI;
    ctx.endJ = m.endJ;
    double inertia;
    GetMemberEAI(model, ctx.e, ctx.area, inertia, m.materialNo, m.sectionNo);
    const int mat = FindMaterialIndex(model, m.materialNo);
    ctx.alpha = mat > 0 ? model.materials[mat].alpha : 0.0;
    return ctx;
}

namespace {

// Adds the terms of one load (already resolved for this member) to its end
// load.
void AddLoadTerms(const MemberLoadContext& ctx, const LoadRecord& load, MemberEndLoad& r) {
    const int code = load.code;
    const double L = ctx.length;
    if (L < kMinLength) return;
    if (code == kLoadTemperature) {
        const double n = load.qI * ctx.alpha * ctx.e * ctx.area;
        r.ni -= n;
        r.nj += n;
        return;
    }
    const LoadComponents comp = ResolveLoadComponents(ctx.angle, code, load.qI, load.qJ);
    double x1 = load.distI, x2 = load.distI;
    double force = 0, moment = 0;
    if (IsDistributed(code)) {
        x2 = L - load.distJ;
        if (StretchTooShort(L, x1, x2)) return;
        TrapezoidResultant(x1, comp.axialI, x2, comp.axialJ, force, moment);
    } else if (IsConcentrated(code)) {
        force = comp.axialI;
        moment = force * x1;
    } else if (code != kLoadConcMoment) {
        return;  // nodal loads enter at assembly; unknown codes carry nothing
    }
    const EndTerms t = FixedEndForces(L, ctx.endI, ctx.endJ, x1, comp.perpI, x2, comp.perpJ, code);
    r.vi += t.vi;
    r.vj += t.vj;
    // The member end load is an equivalent nodal load: the negated
    // fixed-end (reaction) moments.
    r.mi -= t.mi;
    r.mj -= t.mj;
    double ni, nj;
    AxialEndTerms(L, force, moment, ni, nj);
    r.ni += ni;
    r.nj += nj;
}

}  // namespace

void ForEachLoadedMember(const FrameModel& model, const LoadRecord& load,
                         const std::function<void(int)>& fn) {
    int from = load.memberFrom;
    int to = load.memberTo == 0 ? from : load.memberTo;
    if (to < from) std::swap(from, to);
    const int count = std::min(model.memberCount, kMaxMembers);
    // Walk the member slots rather than the numbers, so that a huge range
    // from a damaged file costs no more than the table; a number held twice
    // takes the first slot, as every lookup by number does.
    for (int m = 1; m <= count; ++m) {
        const int no = model.members[m].no;
        if (no < from || no > to) continue;
        if (FindMemberIndex(model, no) != m) continue;
        fn(m);
    }
}

void ForEachLoadAtMemberEnd(
    const FrameModel& model, const LoadCase& lc,
    const std::function<void(const LoadRecord& load, int member, EndPlace place)>& fn) {
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    // The members by number, made when a concentrated load first asks.
    std::optional<MemberNumberIndex> byNumber;
    for (int k = 1; k <= loadCount; ++k) {
        const LoadRecord& load = lc.loads[k];
        if (load.code < kLoadConcAxial || load.code > kLoadConcMoment) continue;
        if (!byNumber) byNumber.emplace(model);
        int from = load.memberFrom, to = load.memberTo == 0 ? from : load.memberTo;
        if (to < from) std::swap(from, to);
        double start = 0;  // of the member along the run (m)
        for (const int m : byNumber->Run(from, to)) {
            const double length = model.members[m].length;
            const double c = load.distI - start;
            start += length;
            if (!(c > -kMemberEndTolerance && c < length + kMemberEndTolerance)) continue;
            const EndPlace place = PlaceOnMember(length, std::clamp(c, 0.0, length));
            if (place != EndPlace::kInside) fn(load, m, place);
            break;
        }
    }
}

void ForEachCoupleAtMemberEnd(const FrameModel& model, const LoadCase& lc,
                              const std::function<void(int nodeNo, double m0)>& fn) {
    ForEachLoadAtMemberEnd(model, lc, [&](const LoadRecord& load, int m, EndPlace place) {
        if (load.code != kLoadConcMoment) return;
        const FrameMember& member = model.members[m];
        fn(place == EndPlace::kAtI ? member.nodeI : member.nodeJ, load.qI);
    });
}

void CalcMemberEndLoads(const FrameModel& model, int caseIndex, MemberEndLoad* endLoads) {
    const int memberCount = std::min(model.memberCount, kMaxMembers);
    for (int m = 0; m <= memberCount; ++m) endLoads[m] = MemberEndLoad{};
    if (caseIndex < 1 || caseIndex > std::min(model.loadCaseCount, kMaxLoadCases)) return;
    const LoadCase& lc = model.loadCases[caseIndex];
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    for (int k = 1; k <= loadCount; ++k) {
        const LoadRecord& load = lc.loads[k];
        if (load.code == kLoadNodal) continue;
        ForEachLoadedMember(model, load, [&](int m) {
            AddLoadTerms(GetMemberLoadContext(model, m), load, endLoads[m]);
        });
    }
}

PointEffects LoadEffectsAt(const MemberLoadContext& member, int code, double qI, double qJ,
                           double distI, double distJ, double x, bool simpleBeam) {
    PointEffects fx;
    if (member.length < kMinLength) return fx;
    MemberLoadContext ctx = member;
    const double L = ctx.length;
    if (code == kLoadTemperature) {
        fx.n = -qI * ctx.alpha * ctx.e * ctx.area;
        return fx;
    }
    const LoadComponents comp = ResolveLoadComponents(ctx.angle, code, qI, qJ);
    if (IsDistributed(code)) {
        const double x1 = distI, x2 = L - distJ;
        if (StretchTooShort(L, x1, x2)) return fx;
        if (comp.perpI != 0 || comp.perpJ != 0) {
            fx.m =
                DistributedMomentEffect(ctx, simpleBeam, code, x1, comp.perpI, x2, comp.perpJ, x);
            fx.s = LeverRule(L, x1, comp.perpI, x2, comp.perpJ, x);
        }
        if (comp.axialI != 0 || comp.axialJ != 0) {
            fx.n = LeverRule(L, x1, comp.axialI, x2, comp.axialJ, x);
        }
        return fx;
    }
    const double a = distI;
    if (IsConcentrated(code)) {
        const double p = comp.perpI;
        const EndTerms t = EndCaseTerms(ctx, simpleBeam, code, a, p, a, 0);
        fx.m = SimpleMomentOfForce(L, p, a, x) + t.mi * (1 - x / L) - t.mj * x / L;
        const bool before = BeforeForce(L, a, x, false);
        fx.s = before ? p * (L - a) / L : -p * a / L;
        const double f = comp.axialI;
        fx.n = before ? f * (1 - a / L) : -f * a / L;
        return fx;
    }
    if (code == kLoadConcMoment) {
        const double m0 = comp.perpI;
        const EndTerms t = EndCaseTerms(ctx, simpleBeam, code, a, m0, a, 0);
        const EndPlace place = PlaceOnMember(L, a);
        fx.m = CoupleMomentEffect(L, m0, t, place, x > a, x);
        fx.s = CoupleShearEffect(L, m0, place);
    }
    return fx;
}

LoadEffectsEvaluator::LoadEffectsEvaluator(const MemberLoadContext& member, int code, double qI,
                                           double qJ, double distI, double distJ, bool simpleBeam) {
    // Every expression below is the one LoadEffectsAt evaluates, split at
    // the point where x first enters.
    if (member.length < kMinLength) return;
    const MemberLoadContext& ctx = member;
    L_ = ctx.length;
    if (code == kLoadTemperature) {
        kind_ = kTemperature;
        temperatureN_ = -qI * ctx.alpha * ctx.e * ctx.area;
        return;
    }
    comp_ = ResolveLoadComponents(ctx.angle, code, qI, qJ);
    if (IsDistributed(code)) {
        x1_ = distI;
        x2_ = L_ - distJ;
        if (StretchTooShort(L_, x1_, x2_)) return;
        kind_ = kDistributed;
        perp_ = comp_.perpI != 0 || comp_.perpJ != 0;
        axial_ = comp_.axialI != 0 || comp_.axialJ != 0;
        if (perp_) {
            slices_ = SliceCount(x2_ - x1_, 0.02);
            const double w = std::max(0.0, (x2_ - x1_) / slices_);
            for (int k = 1; k <= slices_; ++k) {
                const double c = x1_ + (k - 0.5) * w;
                sliceC_[k - 1] = c;
                sliceF_[k - 1] = w * Interpolate(x1_, comp_.perpI, x2_, comp_.perpJ, c);
            }
            const EndTerms t =
                EndCaseTerms(ctx, simpleBeam, code, x1_, comp_.perpI, x2_, comp_.perpJ);
            ti_ = t.mi;
            tj_ = t.mj;
        }
        return;
    }
    a_ = distI;
    if (IsConcentrated(code)) {
        kind_ = kConcentrated;
        const EndTerms t = EndCaseTerms(ctx, simpleBeam, code, a_, comp_.perpI, a_, 0);
        ti_ = t.mi;
        tj_ = t.mj;
        return;
    }
    if (code == kLoadConcMoment) {
        kind_ = kMoment;
        const EndTerms t = EndCaseTerms(ctx, simpleBeam, code, a_, comp_.perpI, a_, 0);
        ti_ = t.mi;
        tj_ = t.mj;
        couplePlace_ = PlaceOnMember(L_, a_);
    }
}

PointEffects LoadEffectsEvaluator::At(double x) const { return Evaluate(x, false); }

PointEffects LoadEffectsEvaluator::AtJustPast(double x) const { return Evaluate(x, true); }

PointEffects LoadEffectsEvaluator::Evaluate(double x, bool justPast) const {
    PointEffects fx;
    const double L = L_;
    switch (kind_) {
        case kNone:
            break;
        case kTemperature:
            fx.n = temperatureN_;
            break;
        case kDistributed:
            if (perp_) {
                double simple = 0;
                for (int k = 0; k < slices_; ++k) {
                    simple += SimpleMomentOfForce(L, sliceF_[k], sliceC_[k], x);
                }
                fx.m = simple + ti_ * (1 - x / L) - tj_ * x / L;
                fx.s = LeverRule(L, x1_, comp_.perpI, x2_, comp_.perpJ, x);
            }
            if (axial_) fx.n = LeverRule(L, x1_, comp_.axialI, x2_, comp_.axialJ, x);
            break;
        case kConcentrated: {
            const double a = a_, p = comp_.perpI;
            fx.m = SimpleMomentOfForce(L, p, a, x) + ti_ * (1 - x / L) - tj_ * x / L;
            const bool before = BeforeForce(L, a, x, justPast);
            fx.s = before ? p * (L - a) / L : -p * a / L;
            const double f = comp_.axialI;
            fx.n = before ? f * (1 - a / L) : -f * a / L;
            break;
        }
        case kMoment: {
            const double a = a_, m0 = comp_.perpI;
            const EndTerms t{0, ti_, 0, tj_};
            fx.m = CoupleMomentEffect(L, m0, t, couplePlace_, justPast ? x >= a : x > a, x);
            fx.s = CoupleShearEffect(L, m0, couplePlace_);
            break;
        }
    }
    return fx;
}

namespace {

// Deflection at x (along +v) of a point force p (along +v) at a.
double PointForceDeflection(double ei, double L, int endI, int endJ, double a, double p, double x) {
    const EndCase endCase = GetEndCase(endI, endJ);
    if (endCase == kFixedFixed) {
        const double b = L - a;
        const double den = 6 * L * std::max(ei * L * L, 1.0);
        if (x <= a) return p * b * b * x * x * (3 * a * L - 3 * a * x - b * x) / den;
        const double y = L - x;
        return p * a * a * y * y * (3 * b * L - 3 * b * y - a * y) / den;
    }
    if (endCase == kSimple) {
        const double den = 6 * std::max(L * ei, 0.001);
        const double b = L - a;
        if (x <= a) return p * b * x * (L * L - b * b - x * x) / den;
        const double y = L - x;
        return p * a * y * (L * L - a * a - y * y) / den;
    }
    // Propped: fixed at one end, pinned at the other. Measured from the
    // fixed end: the cantilever under p minus the cantilever under the prop
    // reaction R = p a^2 (3L - a) / (2 L^3).
    const bool fixedAtI = endCase == kFixedPin;
    const double s = fixedAtI ? x : L - x;
    const double c = fixedAtI ? a : L - a;
    const double e6 = 6 * std::max(ei, 1e-30);
    auto cantilever = [&](double load, double at, double pos) {
        return pos <= at ? load * pos * pos * (3 * at - pos) / e6
                         : load * at * at * (3 * pos - at) / e6;
    };
    const double prop = p * c * c * (3 * L - c) / (2 * L * L * L);
    return cantilever(p, c, s) - cantilever(prop, L, s);
}

}  // namespace

double CalcLoadDeflection(double ei, const MemberLoadContext& member, int code, double qI,
                          double qJ, double distI, double distJ, double x) {
    const double L = std::max(member.length, kMinLength);
    if (!IsDistributed(code) && !IsConcentrated(code) && code != kLoadConcMoment) return 0;
    const LoadComponents comp = ResolveLoadComponents(member.angle, code, qI, qJ);
    const int endI = member.endI, endJ = member.endJ;
    if (IsDistributed(code)) {
        const double x1 = distI, x2 = L - distJ;
        if (x2 - x1 <= 0) return 0;
        const int n = SliceCount(x2 - x1, 0.002);
        const double w = (x2 - x1) / n;
        double sum = 0;
        for (int k = 1; k <= n; ++k) {
            const double c = x1 + (k - 0.5) * w;
            sum += PointForceDeflection(ei, L, endI, endJ, c,
                                        w * Interpolate(x1, comp.perpI, x2, comp.perpJ, c), x);
        }
        return sum;
    }
    if (IsConcentrated(code)) return PointForceDeflection(ei, L, endI, endJ, distI, comp.perpI, x);
    // A counter-clockwise couple M0 is the limit of +M0/h at a + h/2 and
    // -M0/h at a - h/2.
    const double h = 1e-4 * L;
    const double up = PointForceDeflection(ei, L, endI, endJ, distI + h / 2, 1.0, x);
    const double down = PointForceDeflection(ei, L, endI, endJ, distI - h / 2, 1.0, x);
    return comp.perpI * (up - down) / h;
}
