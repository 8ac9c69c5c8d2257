// Member forces of the load cases: end forces from the end displacements,
// M, S, N and the deflection from the chord at every result point, and the
// smoothing of the end moments where two rigid ends meet.
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/analysis_steps.h"
#include "model/fast_workers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/load_terms.h"
#include "model/numeric.h"
#include "model/stiffness.h"
#include "platform/assertions.h"

namespace {

// Shortest length a chord slope divides by (m).
constexpr double kMinLength = 0.0001;

int PointCountOf(const ResultMember& member) {
    return CheckedCount(member.pointCount, kMaxResultPoints);
}

}  // namespace

// Member forces, step 1.
void StoreEndForces(MemberResult& mr, const ResultCase& block, const FrameModel& model, int m,
                    double* forces) {
    const FrameMember& fm = model.members[m];
    const int ends[2] = {FindNodeIndex(model, fm.nodeI), FindNodeIndex(model, fm.nodeJ)};
    const int pinned[2] = {fm.endI, fm.endJ};
    double c, s;
    MemberCosSin(fm.angle, c, s);
    double d[6] = {0, 0, 0, 0, 0, 0};
    for (int e = 0; e < 2; ++e) {
        if (ends[e] == 0) continue;
        const NodeResult& node = block.nodes[ends[e]];
        const double dx = node.dx / 1000, dy = node.dy / 1000;
        d[3 * e] = c * dx + s * dy;
        d[3 * e + 1] = c * dy - s * dx;
        // A pinned end does not follow the node's rotation.
        d[3 * e + 2] = pinned[e] == 1 ? 0.0 : node.dt / 1000;
    }
    double k[6][6];
    MemberStiffness(model, m, k);
    for (int i = 0; i < 6; ++i) {
        double f = 0;
        for (int j = 0; j < 6; ++j) f += k[i][j] * d[j];
        mr.endDisp[i] = static_cast<float>(d[i]);
        mr.endForce[i] = static_cast<float>(f);
        if (forces) forces[i] = f;
    }
}

float ChordShear(float mFirst, float mLast, double exactM, double length) {
    const float slope = static_cast<float>((static_cast<double>(mLast) - mFirst) / length);
    const double exact = exactM / length;
    // Within a few units of the float's last place: the float way stands.
    const double ulp = std::ldexp(1.0, std::ilogb(std::max(std::fabs(exact), 1e-30)) - 23);
    return std::fabs(slope - exact) <= 4 * ulp ? slope : static_cast<float>(exact);
}

// Member forces, steps 2 and 3: positions, the straight moment line between the end
// moments (M at I is -M_i, at J M_j) and the axial force N_j.
void StoreChord(MemberResult& mr, const ResultMember& rm, double length) {
    const int n = PointCountOf(rm);
    const double mi = mr.endForce[2], mj = mr.endForce[5];
    for (int p = 1; p <= n; ++p) {
        const double x = rm.pointPos[p];
        mr.values[kQtyPos][p] = rm.pointPos[p];
        mr.values[kQtyM][p] = static_cast<float>(Interpolate(0, -mi, length, mj, x));
        mr.values[kQtyN][p] = mr.endForce[3];
    }
}

namespace {

// Member forces, step 7: distributed springs as linear loads -k v
// (perpendicular) and -k u (axial) between the end displacements, on a
// simple beam; the point-independent work done once per load.
void ApplySpringLoadsFast(MemberResult& mr, const ResultMember& rm, const MemberLoadContext& ctx,
                          const SpringIntensity& spring) {
    const int n = PointCountOf(rm);
    auto apply = [&](int code, double qI, double qJ) {
        const LoadEffectsEvaluator effects(ctx, code, qI, qJ, 0, 0, true);
        for (int p = 1; p <= n; ++p) {
            const PointEffects fx = effects.At(rm.pointPos[p]);
            mr.values[kQtyM][p] = static_cast<float>(mr.values[kQtyM][p] - fx.m);
            mr.values[kQtyN][p] = static_cast<float>(mr.values[kQtyN][p] + fx.n);
        }
    };
    if (spring.kv != 0)
        apply(kLoadDistPerp, -spring.kv * mr.endDisp[1], -spring.kv * mr.endDisp[4]);
    if (spring.ku != 0)
        apply(kLoadDistAxial, -spring.ku * mr.endDisp[0], -spring.ku * mr.endDisp[3]);
}

}  // namespace

// Member forces, step 8: positive toward -v, by integrating M / EI twice
// with the trapezoid rule.
void StoreDeflection(MemberResult& mr, const ResultMember& rm, const FrameModel& model, int m) {
    const int n = PointCountOf(rm);
    if (n < 1) return;
    const FrameMember& fm = model.members[m];
    double e, area, inertia;
    GetMemberEAI(model, e, area, inertia, fm.materialNo, fm.sectionNo);
    const double twoEI = 2 * e * inertia;
    double halfSlope = 0, w = 0;
    std::array<double, kPointSlots> defl{};
    for (int p = 2; p <= n; ++p) {
        const double dx = static_cast<double>(mr.values[kQtyPos][p]) - mr.values[kQtyPos][p - 1];
        const double mMean =
            (static_cast<double>(mr.values[kQtyM][p - 1]) + mr.values[kQtyM][p]) / 2;
        const double next = halfSlope + (twoEI != 0 ? mMean * dx / twoEI : 0.0);
        w -= dx * (halfSlope + next);
        halfSlope = next;
        defl[p] = w;
    }
    const double length = std::max(static_cast<double>(fm.length), kMinLength);
    const double wEnd = defl[n];
    for (int p = 1; p <= n; ++p) {
        const float stored = static_cast<float>(1000 * defl[p]);
        mr.values[kQtyDisp][p] =
            static_cast<float>(stored - 1000 * wEnd * mr.values[kQtyPos][p] / length);
    }
}

// Node numbers whose members' end moments must not be averaged: nodes the
// case's support case restrains in rotation (a fixed support, or a spring
// with a rotational constant: the support takes the difference of the end
// moments), nodes carrying a nodal moment of the case, and nodes where a
// couple of the case acts at a member end (each end shows its own side).
std::unordered_set<int> NodesKeepingEndMoments(const FrameModel& model, const LoadCase& lc) {
    std::unordered_set<int> nodes;
    const int caseCount = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int sc = 1; sc <= caseCount; ++sc) {
        const SuptCase& supt = model.supportCases[sc];
        if (supt.no != lc.suptCaseNo) continue;
        const int entries = CheckedCount(supt.count, kMaxSupportEntries);
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            if (entry.code == kSupportFixed || (entry.code == kSupportSpring && entry.km != 0)) {
                nodes.insert(entry.nodeNo);
            }
        }
    }
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    for (int l = 1; l <= loadCount; ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code == kLoadNodal && load.distI != 0) nodes.insert(load.memberFrom);
    }
    ForEachCoupleAtMemberEnd(model, lc, [&](int nodeNo, double) { nodes.insert(nodeNo); });
    return nodes;
}

namespace {

// The unpinned member ends at each node number (members in slot order, the
// I end before the J end, at most three), for every case at once: the
// members and their point counts are the same in each.
struct JointEnd {
    int member = 0;
    int point = 0;  // 1 (I end) or the point count (J end)
};
using JointEnds = std::unordered_map<int, std::vector<JointEnd>>;

JointEnds FindJointEnds(const FrameResults& results, const FrameModel& model) {
    JointEnds joints;
    for (int m = 1; m <= results.memberCount; ++m) {
        const FrameMember& fm = model.members[m];
        const int n = PointCountOf(results.member[m]);
        if (n < 1) continue;
        auto add = [&](int nodeNo, int point) {
            std::vector<JointEnd>& ends = joints[nodeNo];
            if (ends.size() < 3) ends.push_back({m, point});
        };
        if (fm.endI == 0) add(fm.nodeI, 1);
        if (fm.endJ == 0) add(fm.nodeJ, n);
    }
    return joints;
}

// Member forces, step 9: where exactly two rigid member ends meet at a free
// joint without an applied moment, both end moments take the mean
// magnitude; the ends found beforehand.
void SmoothJointsWith(ResultCase& block, const FrameModel& model, const LoadCase& lc,
                      const JointEnds& joints) {
    const std::unordered_set<int> keep = NodesKeepingEndMoments(model, lc);
    const int nodeCount = CheckedCount(model.nodeCount, kMaxNodes);
    for (int k = 1; k <= nodeCount; ++k) {
        const int nodeNo = model.nodes[k].no;
        if (keep.count(nodeNo) != 0) continue;
        const auto it = joints.find(nodeNo);
        if (it == joints.end() || it->second.size() != 2) continue;
        float* ends[2];
        for (int e = 0; e < 2; ++e)
            ends[e] = &block.members[it->second[e].member].values[kQtyM][it->second[e].point];
        const float mean = (std::fabs(*ends[0]) + std::fabs(*ends[1])) / 2;
        *ends[0] = *ends[0] >= 0 ? mean : -mean;
        *ends[1] = *ends[1] >= 0 ? mean : -mean;
    }
}

// The member slots a load acts on, as ForEachLoadedMember finds them (in
// slot order, the first slot of each number in the range), from a table
// sorted by number instead of a walk over every slot.
class LoadedMemberIndex {
  public:
    explicit LoadedMemberIndex(const FrameModel& model) : byNumber_(model) {}
    void Collect(const LoadRecord& load, std::vector<int>& slots) const {
        int from = load.memberFrom;
        int to = load.memberTo == 0 ? from : load.memberTo;
        if (to < from) std::swap(from, to);
        slots = byNumber_.Run(from, to);
        std::sort(slots.begin(), slots.end());
    }

  private:
    MemberNumberIndex byNumber_;
};

// Steps 1-8 of one member of one case: the loads on the member are taken
// in load order for M and N, then their shear effects in load order (the
// operations and their order of the plain per-case loop, so the bits are
// its bits).
void MemberForcesOfCase(ResultCase& block, const FrameResults& results, const FrameModel& model,
                        int caseIndex, int m, const std::vector<int>& loads,
                        const MemberLoadContext& ctx, const DistributedSprings& springs) {
    MemberResult& mr = block.members[m];
    const ResultMember& rm = results.member[m];
    const int n = PointCountOf(rm);
    double forces[6] = {0, 0, 0, 0, 0, 0};
    StoreEndForces(mr, block, model, m, forces);
    StoreChord(mr, rm, model.members[m].length);
    const LoadCase& lc = model.loadCases[caseIndex];
    std::vector<std::array<double, kPointSlots>> shear(loads.size());
    // M(last) - M(first) without the rounding to floats.
    double exactM = 0;
    if (n >= 1) {
        const double length = model.members[m].length;
        exactM = Interpolate(0, -forces[2], length, forces[5], rm.pointPos[n]) -
                 Interpolate(0, -forces[2], length, forces[5], rm.pointPos[1]);
    }
    for (std::size_t k = 0; k < loads.size(); ++k) {
        const LoadRecord& load = lc.loads[loads[k]];
        const LoadEffectsEvaluator effects(ctx, load.code, load.qI, load.qJ, load.distI,
                                           load.distJ);
        double mFirst = 0, mLast = 0;
        for (int p = 1; p <= n; ++p) {
            const PointEffects fx = effects.At(rm.pointPos[p]);
            mr.values[kQtyM][p] = static_cast<float>(mr.values[kQtyM][p] - fx.m);
            mr.values[kQtyN][p] = static_cast<float>(mr.values[kQtyN][p] + fx.n);
            shear[k][p] = fx.s;
            if (p == 1) mFirst = fx.m;
            if (p == n) mLast = fx.m;
        }
        exactM -= mLast - mFirst;
    }
    if (n >= 1) {
        const double length = std::max(static_cast<double>(model.members[m].length), kMinLength);
        const float slope = ChordShear(mr.values[kQtyM][1], mr.values[kQtyM][n], exactM, length);
        for (int p = 1; p <= n; ++p) mr.values[kQtyS][p] = slope;
    }
    for (std::size_t k = 0; k < loads.size(); ++k) {
        for (int p = 1; p <= n; ++p) {
            mr.values[kQtyS][p] = static_cast<float>(mr.values[kQtyS][p] - shear[k][p]);
        }
    }
    const SpringIntensity spring = springs.At(caseIndex, m);
    if (spring.kv != 0 || spring.ku != 0) ApplySpringLoadsFast(mr, rm, ctx, spring);
    StoreDeflection(mr, rm, model, m);
}

}  // namespace

void CalcMemberForcesAllCases(FrameResults& results, const FrameModel& model,
                              const DistributedSprings& springs) {
    const int caseCount =
        std::min(results.caseCount, std::min(model.loadCaseCount, kMaxResultCases));
    const int memberCount = results.memberCount;
    if (caseCount < 1 || memberCount < 1) return;
    std::vector<MemberLoadContext> contexts(static_cast<std::size_t>(memberCount) + 1);
    for (int m = 1; m <= memberCount; ++m) contexts[m] = GetMemberLoadContext(model, m);
    // The loads on every member of every case, in load order.
    const LoadedMemberIndex index(model);
    std::vector<std::vector<std::vector<int>>> loadsOf(static_cast<std::size_t>(caseCount) + 1);
    std::vector<int> slots;
    for (int c = 1; c <= caseCount; ++c) {
        loadsOf[c].resize(static_cast<std::size_t>(memberCount) + 1);
        const LoadCase& lc = model.loadCases[c];
        const int loadCount = CheckedCount(lc.count, kMaxLoads);
        for (int l = 1; l <= loadCount; ++l) {
            if (lc.loads[l].code == kLoadNodal) continue;
            index.Collect(lc.loads[l], slots);
            for (const int m : slots)
                if (m <= memberCount) loadsOf[c][m].push_back(l);
        }
    }
    ParallelFor(caseCount * memberCount, [&](int task) {
        const int c = task / memberCount + 1, m = task % memberCount + 1;
        MemberForcesOfCase(results.block[c], results, model, c, m, loadsOf[c][m], contexts[m],
                           springs);
    });
    // Step 9 reads end moments of several members: after all of them.
    const JointEnds joints = FindJointEnds(results, model);
    ParallelFor(caseCount, [&](int task) {
        const int c = task + 1;
        SmoothJointsWith(results.block[c], model, model.loadCases[c], joints);
    });
}
