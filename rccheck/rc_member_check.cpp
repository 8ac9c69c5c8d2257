#include "rccheck/rc_member_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

#include "model/numeric.h"
#include "platform/assertions.h"
#include "rccheck/rc_bending.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rc_shear.h"

namespace {

// The smallest allowable bar stress used to size stirrups (N/mm²).
constexpr double kMinSsaForStirrups = 160.0;
// Extreme rows this close to a member end repeat the end point.
constexpr double kEndTolerance = 0.0001;  // m

int Points(const RcMemberChecks& m) { return CheckedCount(m.pointCount, kRcMaxPoints); }
int Cases(const RcCheckData& rc) { return CheckedCount(rc.checkCaseCount, kRcMaxCheckCases); }
int Members(const RcCheckData& rc) { return CheckedCount(rc.memberCount, kRcMaxMembers); }

RcDepths WithAddedHeights(const RcDepthSet& s, const RcPointCheck& pt) {
    return RcDepths{s.h + pt.t1 + pt.t2, s.d1 + pt.t1, s.d2 + pt.t2};
}

// The results of each check, cleared where that check does not run, so
// that nothing of an earlier run (a required stirrup area, a stress) stands
// beside a switched-off check.
void ClearBendingResults(RcCaseCheck& c) {
    c.fc = c.fs1 = c.fs2 = c.fs = c.sc = c.ss1 = c.ss2 = 0.0f;
    c.ngFs1 = c.ngFs2 = c.ngFs = c.ngFc = 0;
}
void ClearUltimateResults(RcCaseCheck& c) {
    c.fm = c.nu = c.mu = c.mud = 0.0f;
    c.ngFm = 0;
}
void ClearShearStressResults(RcCaseCheck& c) {
    c.ft = c.tau = c.ta = c.taUsed = c.awa = c.ce = c.cpt = c.cN = 0.0f;
    c.ngFt = 0;
}
void ClearShearCapacityResults(RcCaseCheck& c) {
    c.fv = c.vcd = c.vsd = c.vyd = 0.0f;
    c.ngFv = 0;
}
void ClearCaseResults(RcCaseCheck& c) {
    ClearBendingResults(c);
    ClearUltimateResults(c);
    ClearShearStressResults(c);
    ClearShearCapacityResults(c);
}
void ClearSwitchedOffResults(RcCaseCheck& c) {
    if (!c.sgCK) ClearBendingResults(c);
    if (!c.muCK) ClearUltimateResults(c);
    if (!c.tuCK) ClearShearStressResults(c);
    if (!c.vyCK) ClearShearCapacityResults(c);
}

void AddToSummary(std::uint8_t* ng, const RcCaseCheck& c) {
    ng[kNgFs1] |= c.ngFs1;
    ng[kNgFs2] |= c.ngFs2;
    ng[kNgFs] |= c.ngFs;
    ng[kNgFc] |= c.ngFc;
    ng[kNgFt] |= c.ngFt;
    ng[kNgFm] |= c.ngFm;
    ng[kNgFv] |= c.ngFv;
    ng[kNgAny] = ng[kNgFs] | ng[kNgFc] | ng[kNgFt] | ng[kNgFm] | ng[kNgFv];
}

void CheckCase(RcMemberChecks& m, int i) {
    const int count = Points(m);
    double ssaMax = kMinSsaForStirrups;
    for (int k = 1; k <= count; ++k) {
        RcCaseCheck& c = m.points[k].cases[i];
        c.taBaseCopy = c.taBase;
        c.tsaCopy = c.tsa;
        ssaMax = std::max<double>(ssaMax, c.ssa);
    }
    // The extreme rows are the last two points: M-max, then M-min.
    const bool hasExtremes = count >= 2;
    if (hasExtremes) {
        RcPointCheck& pmax = m.points[count - 1];
        RcPointCheck& pmin = m.points[count];
        pmax.set1 = WithAddedHeights(m.maxSet1[i], pmax);
        pmax.set2 = WithAddedHeights(m.maxSet2[i], pmax);
        pmin.set1 = WithAddedHeights(m.minSet1[i], pmin);
        pmin.set2 = WithAddedHeights(m.minSet2[i], pmin);
    }
    for (int k = 1; k <= count; ++k) {
        RcPointCheck& pt = m.points[k];
        RcCaseCheck& c = pt.cases[i];
        c.gc = c.gs = c.gbm = c.gbc = c.gbs = c.ga = c.gi = 1.0f;
        const bool extreme = hasExtremes && k >= count - 1;
        const double x = c.bend.x;
        if (extreme && (x < kEndTolerance || x > m.length - kEndTolerance)) {
            // The extreme sits at a member end, where the end point is checked.
            ClearCaseResults(c);
            continue;
        }
        CheckBending(pt, i);
        CheckShear(pt, i, ssaMax);
        ClearSwitchedOffResults(c);
        AddToSummary(m.ng, c);
    }
}

void TakeFc(RcCaseCheck& env, const RcCaseCheck& c) {
    env.fc = c.fc;
    env.sc = c.sc;
    env.sca = c.sca;
    env.ngFc = c.ngFc;
    env.bend = c.bend;
    env.d = c.d;
    env.sgCK = 1;
}

void TakeFs(RcCaseCheck& env, const RcCaseCheck& c) {
    env.fs = c.fs;
    env.fs1 = c.fs1;
    env.fs2 = c.fs2;
    env.ss1 = c.ss1;
    env.ss2 = c.ss2;
    env.ssa = c.ssa;
    env.ngFs = c.ngFs;
    env.ngFs1 = c.ngFs1;
    env.ngFs2 = c.ngFs2;
    env.bend = c.bend;
    env.sgCK = 1;
}

void TakeFm(RcCaseCheck& env, const RcCaseCheck& c) {
    env.fm = c.fm;
    env.fck = c.fck;
    env.fyk = c.fyk;
    env.mu = c.mu;
    env.nu = c.nu;
    env.mud = c.mud;
    env.ngFm = c.ngFm;
    // The M of the governing case stands in its own row (envM); the
    // position stays with the bending force set beside which it is shown.
    env.envM = c.bend.m;
    env.muCK = 1;
}

void TakeFt(RcCaseCheck& env, const RcCaseCheck& c) {
    env.ft = c.ft;
    env.tau = c.tau;
    env.tsa = c.tsa;
    env.taBase = c.taBase;
    env.ta = c.ta;
    env.ce = c.ce;
    env.cpt = c.cpt;
    env.cN = c.cN;
    env.taUsed = c.taUsed;
    env.awa = c.awa;
    env.ngFt = c.ngFt;
    env.shear = c.shear;
    env.dShear = c.dShear;
    env.tuCK = 1;
}

void TakeFv(RcCaseCheck& env, const RcCaseCheck& c) {
    env.fv = c.fv;
    env.fck = c.fck;
    env.fyk = c.fyk;
    env.fwk = c.fwk;
    env.vcd = c.vcd;
    env.vsd = c.vsd;
    env.vyd = c.vyd;
    env.ngFv = c.ngFv;
    env.envS = c.shear.s;
    env.dShear = c.dShear;
    env.vyCK = 1;
}

// Strictly greater; a ratio that is not a number beats any number, so that
// a failed calculation is never hidden behind a passing case.
bool Exceeds(float ratio, float current) {
    if (std::isnan(ratio)) return !std::isnan(current);
    return ratio > current;
}

void EnvelopePoint(RcPointCheck& pt, int cases) {
    RcCaseCheck& env = pt.cases[0];
    std::memset(&env, 0, sizeof(env));
    for (int g = 0; g < kGovCount; ++g) env.governing[g] = 1;
    // Position and forces of one case, the first, until a governing case
    // brings its own whole set.
    if (cases >= 1) {
        env.bend = pt.cases[1].bend;
        env.shear = pt.cases[1].shear;
    }
    for (int k = 1; k <= cases; ++k) {
        RcCaseCheck& c = pt.cases[k];
        for (int g = 0; g < kGovCount; ++g) c.governing[g] = k;
        env.ec = c.ec;
        env.es = c.es;
        // The effective depths of the first case that checked the point,
        // until a governing case gives its own.
        if (env.d == 0.0f) env.d = c.d;
        if (env.dShear == 0.0f) env.dShear = c.dShear;
        // Strictly greater: a tie keeps the earlier case.
        if (Exceeds(c.fc, env.fc)) TakeFc(env, c), env.governing[kGovFc] = k;
        if (Exceeds(c.fs, env.fs)) TakeFs(env, c), env.governing[kGovFs] = k;
        if (Exceeds(c.fm, env.fm)) TakeFm(env, c), env.governing[kGovFm] = k;
        if (Exceeds(c.ft, env.ft)) TakeFt(env, c), env.governing[kGovFt] = k;
        if (Exceeds(c.fv, env.fv)) TakeFv(env, c), env.governing[kGovFv] = k;
    }
}

}  // namespace

void CheckMember(RcCheckData& rc, int member) {
    if (member < 1 || member > Members(rc)) return;
    RcMemberChecks& m = rc.memberChecks[member];
    std::memset(m.ng, 0, sizeof(m.ng));
    if (rc.forcesMissing || UsableRcSection(rc, m.sectionNo) == 0) {
        // Nothing to check: no results rather than those of zero forces or
        // of an empty section (the RC window says which).
        for (int k = 0; k <= Points(m); ++k)
            for (int i = 0; i < kRcCaseSlots; ++i) ClearCaseResults(m.points[k].cases[i]);
        return;
    }
    CopySectionBarsToPoints(rc, member);
    for (int i = 1; i <= Cases(rc); ++i) CheckCase(m, i);
}

void CheckAllMembers(RcCheckData& rc) {
    for (int p = 1; p <= Members(rc); ++p) CheckMember(rc, p);
}

void BuildEnvelope(RcCheckData& rc) {
    if (Members(rc) >= 1) rc.memberChecks[0] = rc.memberChecks[1];
    for (int p = 1; p <= Members(rc); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        for (int k = 1; k <= Points(m); ++k) EnvelopePoint(m.points[k], Cases(rc));
    }
}

std::unique_ptr<RcMemberChecks> SortMemberPointsByPosition(RcMemberChecks& member, int checkCase,
                                                           bool descending) {
    int count = Points(member);
    for (int k = 1; k <= count; ++k) member.points[k].sortIndex = k;
    // One member block is hundreds of kB: the copy lives on the heap.
    auto copy = std::make_unique<RcMemberChecks>(member);
    RcMemberChecks& w = *copy;
    if (checkCase <= 0 || checkCase >= kRcCaseSlots) return copy;
    const auto pos = [&](int k) { return Round3(w.points[k].cases[checkCase].bend.x); };
    const auto mom = [&](int k) { return Round3(w.points[k].cases[checkCase].bend.m); };
    if (count >= 2) {
        // P: the last regular point; a member with only the two extreme rows
        // has none to compare with.
        const bool hasP = count >= 3;
        const double p = hasP ? pos(count - 2) : 0.0;
        const auto repeats = [&](int k) { return pos(k) == 0.0 || (hasP && pos(k) == p); };
        const int maxRow = count - 1;
        if (mom(maxRow) < 0.0 || repeats(maxRow)) {
            w.points[maxRow] = w.points[count];  // M-min moves up
            --count;
        }
        // The M-min row is now the last one either way.
        if (mom(count) > 0.0 || repeats(count)) --count;
    }
    w.pointCount = count;
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return descending ? pos(a) > pos(b) : pos(a) < pos(b); });
    std::vector<RcPointCheck> sorted;
    sorted.reserve(order.size());
    for (int k : order) sorted.push_back(w.points[k]);
    for (int k = 1; k <= count; ++k) w.points[k] = sorted[static_cast<std::size_t>(k - 1)];
    return copy;
}
