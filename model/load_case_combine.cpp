// Combinations of load case results, the M-max/M-min points of every
// block, and the support reactions of load cases and combinations.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <unordered_map>
#include <vector>

#include "model/analysis_steps.h"
#include "model/fast_workers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/load_terms.h"
#include "model/member_extremes.h"
#include "model/numeric.h"
#include "model/stiffness.h"
#include "platform/assertions.h"

namespace {

// Positions closer than this (m) to half the member length count as the
// mid-length point.
constexpr double kMidTolerance = 0.0001;
// Spring constants (and restraint markers) below this are no support.
constexpr double kNoSupport = 1e-9;

int PointCountOf(const ResultMember& member) {
    return CheckedCount(member.pointCount, kMaxResultPoints);
}

int ComboCountOf(const FrameResults& results, const FrameModel& model) {
    return CheckedCount(std::min(results.comboCount, model.combinationCount), kMaxResultCombos);
}

// Block index of the load case numbered `no`, 0 when it has no results.
int CaseBlockOf(const FrameResults& results, const FrameModel& model, int no) {
    const int c = FindLoadCaseIndex(model, no);
    return c >= 1 && c <= results.caseCount ? c : 0;
}

// Weight of one entry of a combination: entry factor (float) times the
// combination's overall factor (double).
double EntryWeight(const KumiCase& combo, int e) {
    return static_cast<double>(combo.entries[e].factor) * combo.factor;
}

void CombineOne(FrameResults& results, const FrameModel& model, int k) {
    const KumiCase& combo = model.combinations[k];
    ResultCase& block = results.block[ComboBlockIndex(results, k)];
    block.caseNo = combo.no;
    // Only the slots any analysis since the last whole clear has used.
    const FrameResultsExtent used = WrittenFrameResultsExtent(results);
    std::memset(block.nodes, 0, sizeof(NodeResult) * static_cast<std::size_t>(used.nodes));
    std::memset(block.members, 0, sizeof(MemberResult) * static_cast<std::size_t>(used.members));
    for (int n = 1; n <= results.nodeCount; ++n) block.nodes[n].nodeNo = results.node[n].no;
    const int entries = CheckedCount(combo.count, kMaxCombinationEntries);
    for (int e = 1; e <= entries; ++e) {
        const int c = CaseBlockOf(results, model, combo.entries[e].loadCaseNo);
        if (c == 0) continue;
        const double w = EntryWeight(combo, e);
        const ResultCase& src = results.block[c];
        for (int n = 1; n <= results.nodeCount; ++n) {
            block.nodes[n].dx += w * src.nodes[n].dx;
            block.nodes[n].dy += w * src.nodes[n].dy;
            block.nodes[n].dt += w * src.nodes[n].dt;
        }
        for (int m = 1; m <= results.memberCount; ++m) {
            MemberResult& dst = block.members[m];
            const MemberResult& from = src.members[m];
            const int n = PointCountOf(results.member[m]);
            // The same sum for every value, a row at a time.
            std::copy(from.values[kQtyPos] + 1, from.values[kQtyPos] + n + 1,
                      dst.values[kQtyPos] + 1);
            for (int q = kQtyM; q <= kQtyDisp; ++q) {
                float* d = dst.values[q];
                const float* f = from.values[q];
                for (int p = 1; p <= n; ++p) d[p] = static_cast<float>(d[p] + w * f[p]);
            }
        }
    }
}

}  // namespace

// A point at mid-length is nudged 0.0001 away from 0 for the comparison
// only, so that it wins a tie on the side of its own sign (a constant M
// reports the middle).
void FindExtremes(MemberResult& mr, const ResultMember& rm) {
    const int n = PointCountOf(rm);
    if (n < 1) return;
    const double mid = Round3(rm.length / 2.0);
    auto nudged = [&](int p) {
        double m = mr.values[kQtyM][p];
        if (std::fabs(mr.values[kQtyPos][p] - mid) < kMidTolerance) m += m >= 0 ? 0.0001 : -0.0001;
        return m;
    };
    int maxIndex = 1, minIndex = 1;
    double best = nudged(1), worst = best;
    for (int p = 2; p <= n; ++p) {
        const double m = nudged(p);
        if (m > best) {
            best = m;
            maxIndex = p;
        }
        if (m < worst) {
            worst = m;
            minIndex = p;
        }
    }
    mr.maxIndex = static_cast<int16_t>(maxIndex);
    mr.minIndex = static_cast<int16_t>(minIndex);
    for (int q = kQtyPos; q <= kQtyDisp; ++q) {
        mr.values[q][n + 1] = mr.values[q][maxIndex];
        mr.values[q][n + 2] = mr.values[q][minIndex];
    }
}

namespace {

// The largest magnitude of the values, +infinity when one of them is not a
// finite number. Taken on the bits of the magnitudes, which order as the
// magnitudes do (the infinities and not-a-numbers above all finite ones),
// so that the loop runs on whole vectors of values.
double LargestMagnitude(const float* values, int count) {
    std::uint32_t largest = 0;
    for (int i = 0; i < count; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof bits);
        bits &= 0x7fffffffu;
        largest = bits > largest ? bits : largest;
    }
    if (largest >= 0x7f800000u) return std::numeric_limits<double>::infinity();
    float magnitude;
    std::memcpy(&magnitude, &largest, sizeof magnitude);
    return magnitude;
}

double LargestMagnitude(const double* values, int count) {
    double largest = 0;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) return std::numeric_limits<double>::infinity();
        largest = std::max(largest, std::fabs(values[i]));
    }
    return largest;
}

}  // namespace

double BlockMagnitude(const FrameResults& results, int b) {
    const ResultCase& block = results.block[b];
    const int memberCount = CheckedCount(results.memberCount, kResultMemberSlots - 1);
    const int nodeCount = CheckedCount(results.nodeCount, kResultNodeSlots - 1);
    double largest = 0;
    for (int m = 1; m <= memberCount; ++m) {
        const MemberResult& mr = block.members[m];
        const int n = PointCountOf(results.member[m]);
        largest =
            std::max({largest, LargestMagnitude(mr.endDisp, 6), LargestMagnitude(mr.endForce, 6)});
        for (int q = kQtyPos; q <= kQtyDisp; ++q)
            largest = std::max(largest, LargestMagnitude(mr.values[q] + 1, n + 2));
    }
    for (int k = 1; k <= nodeCount; ++k) {
        const NodeResult& node = block.nodes[k];
        const double values[6] = {node.fx, node.fy, node.fm, node.dx, node.dy, node.dt};
        largest = std::max(largest, LargestMagnitude(values, 6));
    }
    return largest;
}

void ClearBlockValues(FrameResults& results, int b) {
    ResultCase& block = results.block[b];
    const int memberCount = CheckedCount(results.memberCount, kResultMemberSlots - 1);
    const int nodeCount = CheckedCount(results.nodeCount, kResultNodeSlots - 1);
    for (int m = 1; m <= memberCount; ++m) {
        MemberResult& mr = block.members[m];
        const int n = PointCountOf(results.member[m]);
        std::fill(std::begin(mr.endDisp), std::end(mr.endDisp), 0.0f);
        std::fill(std::begin(mr.endForce), std::end(mr.endForce), 0.0f);
        for (int q = kQtyM; q <= kQtyDisp; ++q)
            std::fill(mr.values[q] + 1, mr.values[q] + n + 3, 0.0f);
        if (n >= 1) mr.values[kQtyPos][n + 1] = mr.values[kQtyPos][n + 2] = mr.values[kQtyPos][1];
        mr.maxIndex = mr.minIndex = 1;
    }
    for (int k = 1; k <= nodeCount; ++k) {
        NodeResult& node = block.nodes[k];
        node.fx = node.fy = node.fm = node.dx = node.dy = node.dt = 0;
    }
}

namespace {

// Member angle from the model's node coordinates (float, as the model
// holds it), so that a stale derived angle cannot turn a reaction.
double MemberAngle(const FrameModel& model, int m) {
    double xi, yi, xj, yj;
    GetMemberEnds(model, xi, yi, xj, yj, m);
    return static_cast<float>(SafeAtan2(yj - yi, xj - xi));
}

// Which directions of a support entry carry a reaction: those its code
// holds rigidly, and on a spring support (code 5) those with a spring. The
// constants of codes 1 to 4 are not springs the analysis knows: whatever
// they hold, a free direction has no reaction (only round-off).
void ReactionDirections(const SuptEntry& entry, bool dir[3]) {
    RestrainedDirections(entry, dir);
    if (entry.code != kSupportSpring) return;
    dir[0] = dir[0] || entry.kx > kNoSupport;
    dir[1] = dir[1] || entry.ky > kNoSupport;
    dir[2] = dir[2] || entry.km > kNoSupport;
}

// Loads given on member ends that the members' end values leave out, by
// node: couples at either end (each end shows its member's side) and
// concentrated forces at a J end (the J end shows the side before them; the
// I end's values hold a force on it). Global X, Y and the moment.
struct EndLoads {
    double f[3] = {0, 0, 0};
};
std::unordered_map<int, EndLoads> LoadsOnMemberEnds(const FrameModel& model, const LoadCase& lc) {
    std::unordered_map<int, EndLoads> at;
    ForEachLoadAtMemberEnd(model, lc, [&](const LoadRecord& load, int m, EndPlace place) {
        const FrameMember& member = model.members[m];
        if (load.code == kLoadConcMoment) {
            at[place == EndPlace::kAtI ? member.nodeI : member.nodeJ].f[2] += load.qI;
            return;
        }
        if (place != EndPlace::kAtJ) return;
        double c, s;
        MemberCosSin(MemberAngle(model, m), c, s);
        double fx = 0, fy = 0;
        switch (load.code) {
            case kLoadConcAxial:
                fx = load.qI * c;
                fy = load.qI * s;
                break;
            case kLoadConcPerp:
                fx = -load.qI * s;
                fy = load.qI * c;
                break;
            case kLoadConcX:
                fx = load.qI;
                break;
            case kLoadConcY:
                fy = load.qI;
                break;
        }
        EndLoads& e = at[member.nodeJ];
        e.f[0] += fx;
        e.f[1] += fy;
    });
    return at;
}

// Reaction at one supported node: the member end values turned to global
// axes, less the nodal loads applied at the node itself and the loads given
// on member ends there that the end values leave out (endLoads, from
// LoadsOnMemberEnds: the node takes them).
void NodeReaction(const FrameResults& results, const ResultCase& block, const FrameModel& model,
                  const LoadCase& lc, const std::unordered_map<int, EndLoads>& endLoads,
                  const SuptEntry& entry, double r[3]) {
    bool dir[3];
    ReactionDirections(entry, dir);
    double sum[3] = {0, 0, 0};
    const int memberCount = std::min(results.memberCount, model.memberCount);
    for (int m = 1; m <= memberCount; ++m) {
        const FrameMember& fm = model.members[m];
        const MemberResult& mr = block.members[m];
        const int n = PointCountOf(results.member[m]);
        if (n < 1) continue;
        if (fm.nodeI != entry.nodeNo && fm.nodeJ != entry.nodeNo) continue;
        double c, s;
        MemberCosSin(MemberAngle(model, m), c, s);
        auto add = [&](double b, double v, double mm) {
            sum[0] += b * c - v * s;
            sum[1] += b * s + v * c;
            sum[2] += mm;
        };
        if (fm.nodeI == entry.nodeNo) {
            add(-mr.values[kQtyN][1], mr.values[kQtyS][1], -mr.values[kQtyM][1]);
        }
        if (fm.nodeJ == entry.nodeNo) {
            add(mr.values[kQtyN][n], -mr.values[kQtyS][n], mr.values[kQtyM][n]);
        }
    }
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    for (int l = 1; l <= loadCount; ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code != kLoadNodal || load.memberFrom != entry.nodeNo) continue;
        sum[0] -= load.qI;
        sum[1] -= load.qJ;
        sum[2] -= load.distI;
    }
    if (const auto it = endLoads.find(entry.nodeNo); it != endLoads.end()) {
        for (int i = 0; i < 3; ++i) sum[i] -= it->second.f[i];
    }
    for (int i = 0; i < 3; ++i) r[i] = dir[i] ? sum[i] : 0.0;
}

}  // namespace

bool KeepBlockIfFinite(FrameResults& results, int b) {
    if (b < 1 || b >= kResultCaseSlots) return true;
    if (std::isfinite(BlockMagnitude(results, b))) return true;
    ClearBlockValues(results, b);
    return false;
}

bool KeepReactionsIfFinite(FrameResults& results, int b) {
    if (b < 1 || b >= kResultCaseSlots) return true;
    ResultCase& block = results.block[b];
    const int rows = CheckedCount(block.reactionCount, kReactionRowSlots - 1);
    const int nodeCount = CheckedCount(results.nodeCount, kResultNodeSlots - 1);
    double largest = 0;
    for (int r = 1; r <= rows; ++r) {
        const float values[3] = {block.reactions[r].rx, block.reactions[r].ry,
                                 block.reactions[r].rm};
        largest = std::max(largest, LargestMagnitude(values, 3));
    }
    for (int k = 1; k <= nodeCount; ++k) {
        const double values[3] = {block.nodes[k].rx, block.nodes[k].ry, block.nodes[k].rm};
        largest = std::max(largest, LargestMagnitude(values, 3));
    }
    if (std::isfinite(largest)) return true;
    for (int r = 1; r <= rows; ++r)
        block.reactions[r].rx = block.reactions[r].ry = block.reactions[r].rm = 0;
    for (int k = 1; k <= nodeCount; ++k)
        block.nodes[k].rx = block.nodes[k].ry = block.nodes[k].rm = 0;
    return false;
}

void CombineCaseResults(FrameResults& results, const FrameModel& model, int remappedMembers,
                        const std::function<void(int)>& blockFinal, const CombineExtras& extras) {
    results.nodeCount = CheckedCount(model.nodeCount, std::min(kMaxNodes, kResultNodeSlots - 1));
    for (int n = 1; n <= results.nodeCount; ++n) results.node[n].no = model.nodes[n].no;
    results.caseCount = CheckedCount(results.caseCount, kMaxResultCases);
    for (int c = 1; c <= std::min(results.caseCount, model.loadCaseCount); ++c) {
        results.block[c].caseNo = model.loadCases[c].no;
    }
    results.combosIndex = results.caseCount + 1;
    const bool remapped = remappedMembers >= 0;
    const int comboCount = remapped ? 0 : ComboCountOf(results, model);
    // With the remapping to come, the combination blocks are wiped and
    // made again, and so is every load case slot up to remappedMembers.
    const int lastBlock = std::min(
        results.caseCount + (remapped ? 0 : CheckedCount(results.comboCount, kMaxResultCombos)) + 1,
        kResultCaseSlots - 1);
    // The first member whose points of block b are kept.
    auto firstMember = [&](int b) {
        return remapped && b <= results.caseCount ? remappedMembers + 1 : 1;
    };
    // Blocks whose values were not all finite and are cleared now; the
    // load cases first, as the combinations add them up.
    std::vector<unsigned char> failed(kResultCaseSlots, 0);
    const bool check = extras.failedBlocks != nullptr && !remapped;
    // The largest magnitude in each load case block: a combination whose
    // weights times these stay well inside a float cannot overflow, and
    // needs no look at its values.
    std::vector<double> magnitude(kResultCaseSlots, 0.0);
    if (check) {
        const int cases = std::min(results.caseCount, lastBlock);
        auto checkCase = [&](int c) {
            magnitude[static_cast<std::size_t>(c)] = BlockMagnitude(results, c);
            if (std::isfinite(magnitude[static_cast<std::size_t>(c)])) return;
            ClearBlockValues(results, c);
            magnitude[static_cast<std::size_t>(c)] = 0;
            failed[static_cast<std::size_t>(c)] = 1;
        };
        ParallelFor(cases, [&](int task) { checkCase(task + 1); });
    }
    auto extremesOf = [&](int b) {
        for (int m = firstMember(b); m <= results.memberCount; ++m) {
            FindExtremes(results.block[b].members[m], results.member[m]);
            if (extras.extremes) extras.extremes->Refine(results, model, b, m, failed);
        }
        // A combination is final once its extremes are: check it, unless
        // its values cannot come near the largest float (3.4e38).
        if (!check || b <= results.caseCount) return;
        const int k = b - results.caseCount - 1;
        double bound = 0;
        if (k >= 1 && k <= ComboCountOf(results, model)) {
            const KumiCase& combo = model.combinations[k];
            for (int e = 1; e <= CheckedCount(combo.count, kMaxCombinationEntries); ++e) {
                const int c = CaseBlockOf(results, model, combo.entries[e].loadCaseNo);
                if (c != 0)
                    bound +=
                        std::fabs(EntryWeight(combo, e)) * magnitude[static_cast<std::size_t>(c)];
            }
        }
        if (!(bound < 1e37) && !KeepBlockIfFinite(results, b))
            failed[static_cast<std::size_t>(b)] = 1;
    };
    auto reportFailed = [&] {
        if (!check) return;
        for (int b = 1; b <= lastBlock; ++b)
            if (failed[static_cast<std::size_t>(b)] != 0) extras.failedBlocks->push_back(b);
    };
    // Each combination block and each block's extremes depend on nothing
    // another task writes. A combination's extremes are found while its
    // block is fresh in the cache; it reads only the load cases' points,
    // never the extreme slots written beside them.
    std::vector<int> comboOf(static_cast<std::size_t>(lastBlock) + 1, 0);
    std::vector<int> elsewhere;
    for (int k = 1; k <= comboCount; ++k) {
        const int b = ComboBlockIndex(results, k);
        if (b >= 1 && b <= lastBlock) {
            comboOf[static_cast<std::size_t>(b)] = k;
        } else {
            elsewhere.push_back(k);
        }
    }
    auto finishBlock = [&](int b) {
        const int k = comboOf[static_cast<std::size_t>(b)];
        if (k != 0) CombineOne(results, model, k);
        extremesOf(b);
    };
    // With a caller waiting for the load cases, their blocks are finished
    // first (no combination lies among them, as ComboBlockIndex places the
    // combinations after the cases): the combinations read only their
    // points, never the extreme slots written beside them.
    const bool tell = blockFinal && !remapped;
    int firstOther = 1;
    if (tell) {
        const int cases = std::min(results.caseCount, lastBlock);
        ParallelFor(cases, [&](int task) { finishBlock(task + 1); });
        blockFinal(0);
        firstOther = cases + 1;
    }
    ParallelFor(static_cast<int>(elsewhere.size()), [&](int i) {
        const int k = elsewhere[static_cast<std::size_t>(i)];
        CombineOne(results, model, k);
        if (tell) blockFinal(ComboBlockIndex(results, k));
    });
    ParallelFor(lastBlock - firstOther + 1, [&](int task) {
        finishBlock(firstOther + task);
        if (tell) blockFinal(firstOther + task);
    });
    reportFailed();
}

void CalcSupportReactions(FrameResults& results, const FrameModel& model) {
    const int caseCount =
        std::min(results.caseCount, CheckedCount(model.loadCaseCount, kMaxLoadCases));
    for (int c = 1; c <= caseCount; ++c) {
        ResultCase& block = results.block[c];
        block.reactionCount = 0;
        for (int n = 1; n <= results.nodeCount; ++n) {
            block.nodes[n].rx = block.nodes[n].ry = block.nodes[n].rm = 0;
        }
        const LoadCase& lc = model.loadCases[c];
        const int sc = FindSupportCaseIndex(model, lc.suptCaseNo);
        if (sc == 0) continue;
        const SuptCase& supt = model.supportCases[sc];
        const int entries =
            CheckedCount(supt.count, std::min(kMaxSupportEntries, kReactionRowSlots - 1));
        const std::unordered_map<int, EndLoads> endLoads = LoadsOnMemberEnds(model, lc);
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            double r[3];
            NodeReaction(results, block, model, lc, endLoads, entry, r);
            ReactionRow& row = block.reactions[e];
            row.nodeNo = entry.nodeNo;
            row.rx = static_cast<float>(r[0]);
            row.ry = static_cast<float>(r[1]);
            row.rm = static_cast<float>(r[2]);
            const int node = FindNodeIndex(model, entry.nodeNo);
            if (node >= 1 && node <= results.nodeCount) {
                block.nodes[node].rx = r[0];
                block.nodes[node].ry = r[1];
                block.nodes[node].rm = r[2];
            }
        }
        block.reactionCount = entries;
    }
}

void CombineReactions(FrameResults& results, const FrameModel& model) {
    const int comboCount = ComboCountOf(results, model);
    for (int k = 1; k <= comboCount; ++k) {
        const KumiCase& combo = model.combinations[k];
        ResultCase& block = results.block[ComboBlockIndex(results, k)];
        const int entries = CheckedCount(combo.count, kMaxCombinationEntries);
        block.reactionCount = 0;
        for (int n = 1; n <= results.nodeCount; ++n) {
            NodeResult& node = block.nodes[n];
            node.rx = node.ry = node.rm = 0;
            for (int e = 1; e <= entries; ++e) {
                const int c = CaseBlockOf(results, model, combo.entries[e].loadCaseNo);
                if (c == 0) continue;
                const double w = EntryWeight(combo, e);
                node.rx += w * results.block[c].nodes[n].rx;
                node.ry += w * results.block[c].nodes[n].ry;
                node.rm += w * results.block[c].nodes[n].rm;
            }
            if (node.rx == 0 && node.ry == 0 && node.rm == 0) continue;
            if (block.reactionCount >= kReactionRowSlots - 1) continue;
            ReactionRow& row = block.reactions[++block.reactionCount];
            row.nodeNo = results.node[n].no;
            row.rx = static_cast<float>(node.rx);
            row.ry = static_cast<float>(node.ry);
            row.rm = static_cast<float>(node.rm);
        }
    }
}
