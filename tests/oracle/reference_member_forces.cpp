// Member forces of one load case, the plain way: every load walked once
// per member it acts on, its effects evaluated point by point
// (LoadEffectsAt), the springs likewise, the joints smoothed by a walk
// over the members at every node.
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "model/analysis_steps.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/load_terms.h"
#include "model/numeric.h"
#include "platform/assertions.h"
#include "tests/oracle/reference_analysis.h"

namespace reference {

namespace {

// Shortest length a chord slope divides by (m).
constexpr double kMinLength = 0.0001;

int PointCountOf(const ResultMember& member) {
    return CheckedCount(member.pointCount, kMaxResultPoints);
}

// The shear effects of one load on one member, kept in load order so that
// step 6 subtracts them after the chord slope is known, and its moments
// at the member's first and last point.
struct ShearStep {
    int member;
    std::array<double, kPointSlots> s;
    double mFirst = 0, mLast = 0;
};

// Step 4: every load of the case lowers M and raises N at the points of
// its member; returns the shear effects for step 6.
std::vector<ShearStep> ApplyLoadEffects(ResultCase& block, const FrameResults& results,
                                        const FrameModel& model, int caseIndex) {
    std::vector<ShearStep> steps;
    const LoadCase& lc = model.loadCases[caseIndex];
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    for (int l = 1; l <= loadCount; ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code == kLoadNodal) continue;
        ForEachLoadedMember(model, load, [&](int m) {
            if (m > results.memberCount) return;
            const MemberLoadContext ctx = GetMemberLoadContext(model, m);
            const ResultMember& rm = results.member[m];
            MemberResult& mr = block.members[m];
            ShearStep step{m, {}};
            for (int p = 1; p <= PointCountOf(rm); ++p) {
                const PointEffects fx = LoadEffectsAt(ctx, load.code, load.qI, load.qJ, load.distI,
                                                      load.distJ, rm.pointPos[p]);
                mr.values[kQtyM][p] = static_cast<float>(mr.values[kQtyM][p] - fx.m);
                mr.values[kQtyN][p] = static_cast<float>(mr.values[kQtyN][p] + fx.n);
                step.s[p] = fx.s;
                if (p == 1) step.mFirst = fx.m;
                if (p == PointCountOf(rm)) step.mLast = fx.m;
            }
            steps.push_back(step);
        });
    }
    return steps;
}

// Step 7: distributed springs as linear loads -k v (perpendicular) and
// -k u (axial) between the end displacements, on a simple beam.
void ApplySpringLoads(MemberResult& mr, const ResultMember& rm, const MemberLoadContext& ctx,
                      const SpringIntensity& spring) {
    const int n = PointCountOf(rm);
    auto apply = [&](int code, double qI, double qJ) {
        for (int p = 1; p <= n; ++p) {
            const PointEffects fx = LoadEffectsAt(ctx, code, qI, qJ, 0, 0, rm.pointPos[p], true);
            mr.values[kQtyM][p] = static_cast<float>(mr.values[kQtyM][p] - fx.m);
            mr.values[kQtyN][p] = static_cast<float>(mr.values[kQtyN][p] + fx.n);
        }
    };
    if (spring.kv != 0)
        apply(kLoadDistPerp, -spring.kv * mr.endDisp[1], -spring.kv * mr.endDisp[4]);
    if (spring.ku != 0)
        apply(kLoadDistAxial, -spring.ku * mr.endDisp[0], -spring.ku * mr.endDisp[3]);
}

// Step 9: where exactly two rigid member ends meet at a free joint without
// an applied moment, both end moments take the mean magnitude.
void SmoothJoints(ResultCase& block, const FrameResults& results, const FrameModel& model,
                  const LoadCase& lc) {
    const std::unordered_set<int> keep = NodesKeepingEndMoments(model, lc);
    const int nodeCount = CheckedCount(model.nodeCount, kMaxNodes);
    for (int k = 1; k <= nodeCount; ++k) {
        const int nodeNo = model.nodes[k].no;
        if (keep.count(nodeNo) != 0) continue;
        int found = 0;
        float* ends[3] = {nullptr, nullptr, nullptr};
        for (int m = 1; m <= results.memberCount && found < 3; ++m) {
            const FrameMember& fm = model.members[m];
            const int n = PointCountOf(results.member[m]);
            if (n < 1) continue;
            if (fm.nodeI == nodeNo && fm.endI == 0 && found < 3)
                ends[found++] = &block.members[m].values[kQtyM][1];
            if (fm.nodeJ == nodeNo && fm.endJ == 0 && found < 3)
                ends[found++] = &block.members[m].values[kQtyM][n];
        }
        if (found != 2) continue;
        const float mean = (std::fabs(*ends[0]) + std::fabs(*ends[1])) / 2;
        *ends[0] = *ends[0] >= 0 ? mean : -mean;
        *ends[1] = *ends[1] >= 0 ? mean : -mean;
    }
}

}  // namespace

void CalcMemberForces(FrameResults& results, const FrameModel& model, int caseIndex,
                      const DistributedSprings& springs) {
    if (caseIndex < 1 || caseIndex > std::min(model.loadCaseCount, kMaxResultCases)) return;
    ResultCase& block = results.block[caseIndex];
    const int memberCount = results.memberCount;
    // 1-3. End forces, positions, the chord of M and N_j; the difference
    // of M between the end points, unrounded.
    std::vector<double> exactM(static_cast<std::size_t>(memberCount) + 1, 0.0);
    for (int m = 1; m <= memberCount; ++m) {
        MemberResult& mr = block.members[m];
        double f[6] = {0, 0, 0, 0, 0, 0};
        StoreEndForces(mr, block, model, m, f);
        const ResultMember& rm = results.member[m];
        StoreChord(mr, rm, model.members[m].length);
        const int n = PointCountOf(rm);
        const double length = model.members[m].length;
        if (n >= 1)
            exactM[m] = Interpolate(0, -f[2], length, f[5], rm.pointPos[n]) -
                        Interpolate(0, -f[2], length, f[5], rm.pointPos[1]);
    }
    // 4. Load effects on M and N.
    const std::vector<ShearStep> shear = ApplyLoadEffects(block, results, model, caseIndex);
    for (const ShearStep& step : shear) exactM[step.member] -= step.mLast - step.mFirst;
    // 5. S from the slope of M between the member ends.
    for (int m = 1; m <= memberCount; ++m) {
        MemberResult& mr = block.members[m];
        const int n = PointCountOf(results.member[m]);
        if (n < 1) continue;
        const double length = std::max(static_cast<double>(model.members[m].length), kMinLength);
        const float slope = ChordShear(mr.values[kQtyM][1], mr.values[kQtyM][n], exactM[m], length);
        for (int p = 1; p <= n; ++p) mr.values[kQtyS][p] = slope;
    }
    // 6. Shear effects of the loads, in load order.
    for (const ShearStep& step : shear) {
        MemberResult& mr = block.members[step.member];
        for (int p = 1; p <= PointCountOf(results.member[step.member]); ++p) {
            mr.values[kQtyS][p] = static_cast<float>(mr.values[kQtyS][p] - step.s[p]);
        }
    }
    // 7. Distributed springs.
    for (int m = 1; m <= memberCount; ++m) {
        const SpringIntensity spring = springs.At(caseIndex, m);
        if (spring.kv == 0 && spring.ku == 0) continue;
        ApplySpringLoads(block.members[m], results.member[m], GetMemberLoadContext(model, m),
                         spring);
    }
    // 8. Deflection from the chord.
    for (int m = 1; m <= memberCount; ++m)
        StoreDeflection(block.members[m], results.member[m], model, m);
    // 9. Joint smoothing.
    SmoothJoints(block, results, model, model.loadCases[caseIndex]);
}

}  // namespace reference
