#include "model/analysis_driver.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "model/analysis_steps.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/fast_workers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/member_extremes.h"
#include "model/numeric.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/paths.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

bool DiagnosticDumpFlag = false;
std::string DiagnosticDumpFolder;

namespace {

// Two positions closer than this (m) are the same point.
constexpr double kSamePoint = 0.0001;

struct Chord {
    bool active = false;    // more than one piece: measure from the user chord
    double x0 = 0, y0 = 0;  // displaced user I node, m
    double c = 1, s = 0;    // cos, sin of the displaced chord angle
};

// Displaced position of the node in table slot `index` (m).
void DisplacedNode(const FrameModel& model, const ResultCase& block, int index, double& x,
                   double& y) {
    GetNodeXY(model, x, y, index);
    if (index >= 1 && index < kResultNodeSlots) {
        x += block.nodes[index].dx / 1000.0;
        y += block.nodes[index].dy / 1000.0;
    }
}

// Offset (m) of a displaced node perpendicular to the user's displaced chord.
double ChordOffset(const Chord& ch, const FrameModel& expanded, const ResultCase& block,
                   int nodeNo) {
    double x, y;
    DisplacedNode(expanded, block, FindNodeIndex(expanded, nodeNo), x, y);
    const double dx = x - ch.x0, dy = y - ch.y0;
    return -ch.s * dx + ch.c * dy;  // the y part after turning by -phi
}

Chord MakeChord(const FrameModel& user, const ResultCase& block, const FrameMember& um) {
    Chord ch;
    ch.active = um.segLast > um.segFirst;
    if (!ch.active) return ch;
    double xj, yj;
    DisplacedNode(user, block, FindNodeIndex(user, um.nodeI), ch.x0, ch.y0);
    DisplacedNode(user, block, FindNodeIndex(user, um.nodeJ), xj, yj);
    const double phi = SafeAtan2(yj - ch.y0, xj - ch.x0);
    ch.c = std::cos(phi);
    ch.s = std::sin(phi);
    return ch;
}

bool NearAny(const std::vector<double>& points, double p) {
    for (const double q : points)
        if (std::fabs(q - p) < kSamePoint) return true;
    return false;
}

}  // namespace

// Positions that are not numbers are near nothing.
std::vector<double> SortedPositions(const std::vector<double>& points) {
    std::vector<double> sorted;
    for (const double q : points)
        if (!std::isnan(q)) sorted.push_back(q);
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

namespace {

// NearAny over sorted positions: only the few within twice the distance
// are compared, by the same test (every match lies in that window).
bool NearSorted(const std::vector<double>& sorted, double p) {
    auto it = std::lower_bound(sorted.begin(), sorted.end(), p - 2 * kSamePoint);
    for (; it != sorted.end() && !(*it > p + 2 * kSamePoint); ++it)
        if (std::fabs(*it - p) < kSamePoint) return true;
    return false;
}

}  // namespace

// The positions are rounded to 0.001 m.
UserPointList UserPoints(const FrameModel& user, int t, bool viewDivisionMode) {
    const MemberPointList list = BuildMemberPointList(user, t, viewDivisionMode);
    UserPointList pts;
    for (int k = 1; k <= std::min(list.count, kMemberPointSlots - 1); ++k) {
        pts.pos.push_back(list.pos[k]);
        pts.label.emplace_back(list.label[k]);
    }
    return pts;
}

// Labels the mapped points of user member t as the engine labels the
// pieces: the names of the listed points (blanks removed) on the points at
// their rounded positions, then both ends 「ﾀﾝﾌﾞ」. The user's raw distances
// are not used: a name at 2.0004 m belongs to the point at 2.000 m.
void LabelUserPoints(ResultMember& rm, const UserPointList& pts) {
    std::memset(rm.pointLabel, 0, sizeof rm.pointLabel);
    const int n = std::min(rm.pointCount, kPointLabelSlots - 1);
    if (n < 1) return;
    for (std::size_t i = 0; i < pts.pos.size(); ++i) {
        if (pts.label[i].empty()) continue;
        const std::string name = RemoveSpaces(pts.label[i]);
        for (int k = 1; k <= n; ++k)
            if (std::fabs(rm.pointPos[k] - pts.pos[i]) < kSamePoint)
                SetFixedText(rm.pointLabel[k], kPointLabelBytes, name.c_str());
    }
    SetFixedText(rm.pointLabel[1], kPointLabelBytes, "ﾀﾝﾌﾞ"_sj.c_str());
    SetFixedText(rm.pointLabel[n], kPointLabelBytes, "ﾀﾝﾌﾞ"_sj.c_str());
}

namespace {

bool PiecesValid(const FrameMember& um, const FrameModel& expanded) {
    return um.segFirst >= 1 && um.segLast >= um.segFirst && um.segLast <= expanded.memberCount &&
           um.segLast < kResultMemberSlots;
}

}  // namespace

std::vector<float> PieceLastPositions(const FrameResults& results,
                                      const std::vector<int>& pieceCount) {
    std::vector<float> last(pieceCount.size(), 0.0f);
    for (std::size_t b = 1;
         b < pieceCount.size() && b < static_cast<std::size_t>(kResultMemberSlots); ++b)
        if (pieceCount[b] >= 1) last[b] = results.member[b].pointPos[pieceCount[b]];
    return last;
}

std::vector<ForceJump> LoadJumpsAtPieceEnds(const FrameModel& expanded, int c,
                                            const std::vector<float>& lastPos) {
    std::vector<ForceJump> jumps(lastPos.size());
    if (c < 1 || c > CheckedCount(expanded.loadCaseCount, kMaxLoadCases)) return jumps;
    const LoadCase& lc = expanded.loadCases[c];
    const int pieces = std::min(CheckedCount(expanded.memberCount, kMaxMembers),
                                static_cast<int>(lastPos.size()) - 1);
    for (int l = 1; l <= CheckedCount(lc.count, kMaxLoads); ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code < kLoadConcAxial || load.code > kLoadConcY) continue;
        // After the expansion a load names its piece, whose number is its slot.
        const int b = load.memberFrom;
        if (b < 1 || b > pieces || expanded.members[b].no != b) continue;
        // At or beyond the last point, which shows the side before it.
        if (!(load.distI >= lastPos[static_cast<std::size_t>(b)])) continue;
        const LoadComponents lcmp =
            ResolveLoadComponents(expanded.members[b].angle, load.code, load.qI, 0);
        jumps[static_cast<std::size_t>(b)].s += lcmp.perpI;
        jumps[static_cast<std::size_t>(b)].n -= lcmp.axialI;
    }
    return jumps;
}

ForceJump MemberSpringJump(const FrameModel& expanded, const ResultCase& block, int c, int t,
                           int nodeNo, double angle) {
    ForceJump jump;
    if (c < 1 || c > CheckedCount(expanded.loadCaseCount, kMaxLoadCases)) return jump;
    const int node = FindNodeIndex(expanded, nodeNo);
    if (node < 1 || node >= kResultNodeSlots) return jump;
    const double dx = block.nodes[node].dx / 1000.0, dy = block.nodes[node].dy / 1000.0;
    double fx = 0, fy = 0;
    const int suptNo = expanded.loadCases[c].suptCaseNo;
    for (int sc = 1; sc <= CheckedCount(expanded.supportCaseCount, kMaxSupportCases); ++sc) {
        const SuptCase& supt = expanded.supportCases[sc];
        if (supt.no != suptNo) continue;
        for (int e = 1; e <= CheckedCount(supt.count, kMaxSupportEntries); ++e) {
            const SuptEntry& se = supt.entries[e];
            if (se.code != kSupportMemberSpring || se.nodeNo != nodeNo ||
                se.reserved[1] != static_cast<float>(t))
                continue;
            // The spring's force on the node.
            fx -= se.kx * dx + se.reserved[0] * dy;
            fy -= se.reserved[0] * dx + se.ky * dy;
        }
    }
    double cs, sn;
    MemberCosSin(angle, cs, sn);
    jump.s = -sn * fx + cs * fy;
    jump.n = -(cs * fx + sn * fy);
    return jump;
}

std::vector<PieceShift> PieceShifts(const std::vector<PieceEnds>& ends,
                                    const std::vector<ForceJump>& loadJumps,
                                    const std::vector<PieceSoil>& soil, ForceJump startSpring,
                                    ForceJump endSpring) {
    const std::size_t count = ends.size();
    std::vector<PieceShift> shifts(count);
    if (count == 0) return shifts;
    for (std::size_t j = 0; j + 1 < count; ++j) {
        const PieceEnds &cur = ends[j], &next = ends[j + 1];
        // The share of the left piece: half, except where a zone meets
        // the pieces, whose soil lies as the expansion lumped it.
        double left = 0.5;
        if (soil.size() == count) {
            const bool zoneSide =
                (j == 0 && soil[0].atI > 0) || (j + 2 == count && soil[count - 1].atJ > 0);
            const double a = soil[j].atJ, b = soil[j + 1].atI;
            if (zoneSide && a + b > 0) left = a / (a + b);
        }
        const float ds = next.sFirst - cur.sLast, dn = next.nFirst - cur.nLast;
        const double spreadS = ds - loadJumps[j].s, spreadN = dn - loadJumps[j].n;
        shifts[j].s1 = left * spreadS;
        shifts[j].n1 = left * spreadN;
        shifts[j + 1].s0 = -(1 - left) * spreadS;
        shifts[j + 1].n0 = -(1 - left) * spreadN;
    }
    shifts.front().s0 -= startSpring.s;
    shifts.front().n0 -= startSpring.n;
    shifts.back().s1 += endSpring.s;
    shifts.back().n1 += endSpring.n;
    return shifts;
}

bool MemberOnSpringsInCase(const FrameModel& user, int c, int t) {
    if (c < 1 || c > CheckedCount(user.loadCaseCount, kMaxLoadCases)) return false;
    const int s = FindSpringCaseIndex(user, user.loadCases[c].baneCaseNo);
    if (s <= 0) return false;
    const BaneCase& bc = user.springCases[s];
    for (int e = 1; e <= CheckedCount(bc.count, kMaxSpringEntries); ++e)
        if (bc.entries[e].memberNo == user.members[t].no) return true;
    return false;
}

namespace {

// A user point is the piece point nearest to it, within this (m): the
// pieces' points lie within half a millimetre of the user's, which are
// whole millimetres apart.
constexpr double kFindPoint = 0.0006;

}  // namespace

// Step 3 for one member of one load case.
int MapMember(const ResultCase& work, ResultCase& out, const FrameModel& expanded,
              const FrameModel& user, int t, int c, const std::vector<int>& pieceCount,
              const std::vector<double>& userPoints, const std::vector<ForceJump>& loadJumps,
              const std::vector<PieceSoil>& soil) {
    const FrameMember& um = user.members[t];
    MemberResult& dst = out.members[t];
    std::memset(&dst, 0, sizeof dst);
    if (!PiecesValid(um, expanded)) return 0;
    const int first = um.segFirst, last = um.segLast;
    const Chord ch = MakeChord(user, work, um);
    auto val = [&](int b, int q, int k) { return work.members[b].values[q][k]; };
    // The pieces with points, their starts along the user member (each
    // piece's length taken as the position of its last point) and shifts.
    std::vector<int> slots;
    std::vector<float> starts;
    std::vector<PieceEnds> ends;
    std::vector<ForceJump> jumps;
    float a = 0;
    for (int b = first; b <= last; ++b) {
        const int nb = pieceCount[b];
        if (nb < 1) continue;
        slots.push_back(b);
        starts.push_back(a);
        ends.push_back({val(b, kQtyS, 1), val(b, kQtyS, nb), val(b, kQtyN, 1), val(b, kQtyN, nb)});
        jumps.push_back(loadJumps[static_cast<std::size_t>(b)]);
        a += val(b, kQtyPos, nb);
    }
    const bool soilActs = slots.size() == static_cast<std::size_t>(last - first + 1) &&
                          MemberOnSpringsInCase(user, c, t);
    const ForceJump startSpring =
        MemberSpringJump(expanded, work, c, t, um.nodeI, expanded.members[first].angle);
    const ForceJump endSpring =
        MemberSpringJump(expanded, work, c, t, um.nodeJ, expanded.members[last].angle);
    const std::vector<PieceShift> shifts = PieceShifts(
        ends, jumps, soilActs ? soil : std::vector<PieceSoil>{}, startSpring, endSpring);
    // Every user point takes the piece point nearest to it (the earliest
    // of equally near ones).
    struct Best {
        double distance = kFindPoint;
        std::size_t piece = 0;
        int k = 0;
    };
    std::vector<Best> best(userPoints.size());
    for (std::size_t j = 0; j < slots.size(); ++j) {
        const int b = slots[j];
        for (int k = 1; k <= pieceCount[b]; ++k) {
            const float pos = starts[j] + val(b, kQtyPos, k);
            auto it = std::lower_bound(userPoints.begin(), userPoints.end(), pos - kFindPoint);
            for (; it != userPoints.end() && *it <= pos + kFindPoint; ++it) {
                Best& bp = best[static_cast<std::size_t>(it - userPoints.begin())];
                const double d = std::fabs(*it - pos);
                if (d < bp.distance) bp = {d, j + 1, k};
            }
        }
    }
    // The user position a taken point stands for (the piece's own where
    // it lies within 0.0001 m of it).
    std::vector<std::vector<double>> wanted(slots.size() + 1);
    for (std::size_t i = 0; i < best.size(); ++i) {
        if (best[i].piece == 0) continue;
        std::vector<double>& w = wanted[best[i].piece];
        if (w.size() < static_cast<std::size_t>(best[i].k) + 1)
            w.resize(static_cast<std::size_t>(best[i].k) + 1, -1.0);
        if (w[static_cast<std::size_t>(best[i].k)] < 0)
            w[static_cast<std::size_t>(best[i].k)] = userPoints[i];
    }
    int taken = 0;
    for (std::size_t j = 0; j < slots.size(); ++j) {
        const int b = slots[j], nb = pieceCount[b];
        const float lb = val(b, kQtyPos, nb);
        const PieceShift& sh = shifts[j];
        double e0 = 0, e1 = 0;
        if (ch.active) {
            e0 = ChordOffset(ch, expanded, work, expanded.members[b].nodeI);
            e1 = ChordOffset(ch, expanded, work, expanded.members[b].nodeJ);
        }
        const std::vector<double>& w = wanted[j + 1];
        for (int k = 1; k <= nb; ++k) {
            const float x = val(b, kQtyPos, k);
            float pos = starts[j] + x;
            const bool isEnd = (b == first && k == 1) || (b == last && k == nb);
            const double user = static_cast<std::size_t>(k) < w.size() ? w[k] : -1.0;
            if (!isEnd && user < 0) continue;
            if (!isEnd && std::fabs(user - pos) >= kSamePoint) pos = static_cast<float>(user);
            if (taken > 0 && dst.values[kQtyPos][taken] == pos)
                continue;                                           // the joint's second side
            if (!isEnd && taken >= kMaxResultPoints - 1) continue;  // room stays for the J end
            if (taken >= kMaxResultPoints) break;
            const double r = lb > 0 ? x / lb : 0;
            ++taken;
            dst.values[kQtyPos][taken] = pos;
            dst.values[kQtyM][taken] = val(b, kQtyM, k);
            dst.values[kQtyS][taken] =
                static_cast<float>(val(b, kQtyS, k) + sh.s0 + (sh.s1 - sh.s0) * r);
            dst.values[kQtyN][taken] =
                static_cast<float>(val(b, kQtyN, k) + sh.n0 + (sh.n1 - sh.n0) * r);
            double disp = val(b, kQtyDisp, k);
            if (ch.active) disp -= 1000.0 * (e0 + (e1 - e0) * r);
            dst.values[kQtyDisp][taken] = static_cast<float>(disp);
        }
    }
    for (int q = 0; q < 3; ++q) {
        dst.endDisp[q] = work.members[first].endDisp[q];
        dst.endForce[q] = work.members[first].endForce[q];
        dst.endDisp[q + 3] = work.members[last].endDisp[q + 3];
        dst.endForce[q + 3] = work.members[last].endForce[q + 3];
    }
    return taken;
}

// The user member's own data in the header slot (the pieces' leftovers go).
void SetMemberHeader(FrameResults& results, const FrameModel& user, int t, int points) {
    ResultMember& rm = results.member[t];
    const FrameMember& um = user.members[t];
    std::memset(&rm, 0, sizeof rm);
    rm.no = um.no;
    rm.nodeI = um.nodeI;
    rm.nodeJ = um.nodeJ;
    rm.spare1 = rm.spare2 = 1.0f;
    rm.endI = um.endI;
    rm.endJ = um.endJ;
    rm.length = um.length;
    rm.angle = um.angle;
    rm.pointCount = points;
    const int src = results.caseCount >= 1 ? 1 : 0;
    for (int k = 1; k <= std::min(points, kPointLabelSlots - 1); ++k)
        rm.pointPos[k] = results.block[src].members[t].values[kQtyPos][k];
}

namespace {

// The member's named points of interest, rounded to 0.001 m as the point
// lister takes them.
std::vector<double> NamedPositions(const FrameModel& user, int t) {
    std::vector<double> pos;
    for (int v = 1; v <= CheckedCount(user.view2Count, kMaxView2); ++v) {
        const View2Member& e = user.view2[v];
        if (e.memberNo != user.members[t].no) continue;
        for (int k = 1; k <= CheckedCount(e.count, kMaxViewPoints); ++k)
            pos.push_back(Round3(e.dist[k]));
    }
    return pos;
}

int MemberCapacity(const FrameModel& user, int t, bool useViewDivisions, int capacity) {
    int c = capacity;
    if (useViewDivisions) {
        c = 0;
        const int no = user.members[t].no;
        for (int v = 1; v <= CheckedCount(user.view1Count, kMaxView1); ++v) {
            const View1Range& r = user.view1[v];
            const int lastNo = r.lastMember == 0 ? r.firstMember : r.lastMember;
            if (no >= std::min(r.firstMember, lastNo) && no <= std::max(r.firstMember, lastNo))
                c = r.divisions;
        }
    }
    if (SpringSegmentCount[t] != 0) c *= 2;
    return c;
}

}  // namespace

// Step 7 planned.
ThinPlan PlanThinning(const FrameResults& results, const FrameModel& user, int t,
                      bool useViewDivisions, int capacity) {
    const ResultMember& rm = results.member[t];
    const int w = rm.pointCount;
    ThinPlan plan;
    if (w < 1) return plan;
    std::vector<int>& kind = plan.kind;
    kind.assign(static_cast<std::size_t>(w) + 1, 0);
    const int c = MemberCapacity(user, t, useViewDivisions, capacity);
    if (c < w) {
        for (int n = 1; n <= c - 1; ++n)
            kind[static_cast<std::size_t>(static_cast<long long>(n) * w / c)] = 1;
    } else {
        std::fill(kind.begin() + 1, kind.end(), 1);
    }
    const std::vector<double> named = NamedPositions(user, t);
    for (int k = 2; k <= w - 1; ++k)
        if (NearAny(named, rm.pointPos[k])) kind[static_cast<std::size_t>(k)] = 2;
    kind[1] = 2;
    kind[static_cast<std::size_t>(w)] = 2;
    for (int k = 1; k <= w; ++k)
        if (w == 1 || kind[k] != 0 || k == w) plan.keep.push_back(k);
    plan.keep.push_back(w + 1);
    plan.keep.push_back(w + 2);
    for (std::size_t i = 0; i < plan.keep.size() && plan.identity; ++i)
        plan.identity = plan.keep[i] == static_cast<int>(i) + 1;
    return plan;
}

// Step 7 on the blocks of member t: the kept slots moved to the front.
void ThinBlocks(FrameResults& results, int t, const ThinPlan& plan) {
    if (plan.kind.empty()) return;
    const std::vector<int>& keep = plan.keep;
    const int blocks = std::min(results.caseCount + results.comboCount + 1, kResultCaseSlots - 1);
    for (int o = 1; o <= blocks; ++o) {
        MemberResult& mr = results.block[o].members[t];
        for (int q = 0; q < kQtyCount; ++q) {
            // Every point kept (the batch run's capacity): each array stays
            // where it is, and slot 0 and the slots after the kept ones
            // already read 0 (the mapping and the combinations clear a
            // member's slot before they fill it), so nothing is written:
            // for a large model that would be hundreds of megabytes of
            // zeros over zeros.
            if (plan.identity) {
                VEXTOR_ASSERT(mr.values[q][0] == 0 && std::all_of(mr.values[q] + keep.size() + 1,
                                                                  mr.values[q] + kPointSlots,
                                                                  [](float v) { return v == 0; }));
                continue;
            }
            float tmp[kPointSlots] = {};
            for (std::size_t i = 0; i < keep.size(); ++i) tmp[i + 1] = mr.values[q][keep[i]];
            std::memcpy(mr.values[q], tmp, sizeof tmp);
        }
    }
}

// Step 7 on the header of member t: positions, labels and kinds of the
// kept points.
void ThinHeader(ResultMember& rm, const ThinPlan& plan) {
    if (plan.kind.empty()) return;
    const std::vector<int>& keep = plan.keep;
    ResultMember old = rm;
    std::memset(rm.pointPos, 0, sizeof rm.pointPos);
    std::memset(rm.pointLabel, 0, sizeof rm.pointLabel);
    std::memset(rm.pointKind, 0, sizeof rm.pointKind);
    const int kept = static_cast<int>(keep.size()) - 2;
    for (int i = 1; i <= kept; ++i) {
        const int k = keep[static_cast<std::size_t>(i - 1)];
        rm.pointPos[i] = old.pointPos[k];
        std::memcpy(rm.pointLabel[i], old.pointLabel[k], kPointLabelBytes);
        rm.pointKind[i] = static_cast<int16_t>(plan.kind[static_cast<std::size_t>(k)]);
    }
    rm.pointCount = kept;
}

// Reactions that are not finite numbers are cleared too; then one line for
// every block whose results were cleared: the load cases, then the
// combinations.
std::string NonFiniteBlockWarnings(FrameResults& results, const FrameModel& model,
                                   std::vector<int> failedBlocks) {
    const int caseCount = CheckedCount(results.caseCount, kMaxResultCases);
    const int comboCount = CheckedCount(results.comboCount, kMaxResultCombos);
    for (int b = 1; b <= caseCount; ++b)
        if (!KeepReactionsIfFinite(results, b)) failedBlocks.push_back(b);
    for (int k = 1; k <= comboCount; ++k) {
        const int b = ComboBlockIndex(results, k);
        if (!KeepReactionsIfFinite(results, b)) failedBlocks.push_back(b);
    }
    std::sort(failedBlocks.begin(), failedBlocks.end());
    failedBlocks.erase(std::unique(failedBlocks.begin(), failedBlocks.end()), failedBlocks.end());
    std::string text;
    for (const int b : failedBlocks) {
        // Numbers beyond what a float holds, or no number at all: nothing
        // of the block may be shown or written as if it were a result.
        if (b <= caseCount) {
            const int no =
                b <= model.loadCaseCount ? model.loadCases[b].no : results.block[b].caseNo;
            text += FormatStr(
                "荷重ｹｰｽ No.%d：計算結果が数値で表せる範囲を超えました．結果を 0 としました．"_sj
                    .c_str(),
                no);
        } else {
            text += FormatStr(
                "組合せ荷重ｹｰｽ No.%d：計算結果が数値で表せる範囲を超えました．結果を 0 としました．"_sj
                    .c_str(),
                results.block[b].caseNo);
        }
        text += "\n";
    }
    return text;
}

namespace {

// Work blocks of the mapping that may still be allocated (below 0: no
// limit).
int mappingBlocksLeft = -1;

// A work block for the mapping, or null without the memory for one.
ResultCase* NewMappingWorkBlock() {
    if (mappingBlocksLeft == 0) return nullptr;
    if (mappingBlocksLeft > 0) --mappingBlocksLeft;
    return new (std::nothrow) ResultCase;
}

}  // namespace

void SetMappingWorkBlockLimit(int blocks) { mappingBlocksLeft = blocks; }

// The rest of the work block is never read.
void CopyMappedPart(ResultCase& work, const ResultCase& block, int nodes, int members) {
    const auto* from = reinterpret_cast<const char*>(&block);
    std::memcpy(
        &work, &block,
        static_cast<std::size_t>(reinterpret_cast<const char*>(&block.nodes[nodes]) - from));
    std::memcpy(work.members, block.members,
                sizeof(MemberResult) * static_cast<std::size_t>(members));
}

bool CollapseExpandedResults(FrameResults& results, const FrameModel& expanded,
                             const FrameModel& user, bool viewDivisionMode, bool useViewDivisions,
                             int pointCapacity, const std::function<void(int)>& blockFinal,
                             const CombineExtras& extras) {
    const int pieces = CheckedCount(expanded.memberCount, kResultMemberSlots - 1);
    std::vector<int> pieceCount(kResultMemberSlots, 0);
    for (int b = 1; b <= pieces; ++b)
        pieceCount[b] = CheckedCount(results.member[b].pointCount, kMaxResultPoints);
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    // The node and member slots the mapping reads: those of the expanded
    // model (the user's nodes are among its first).
    const int usedNodes = CheckedCount(std::max(expanded.nodeCount, user.nodeCount), kMaxNodes) + 1;
    const int usedMembers = pieces + 1;
    results.memberCount = mc;
    const int cases = CheckedCount(results.caseCount, kMaxResultCases);
    std::vector<int> points(static_cast<std::size_t>(mc) + 1, 0);
    std::vector<UserPointList> userPoints(static_cast<std::size_t>(mc) + 1);
    std::vector<std::vector<double>> sortedPoints(static_cast<std::size_t>(mc) + 1);
    std::vector<std::vector<PieceSoil>> soil(static_cast<std::size_t>(mc) + 1);
    for (int t = 1; t <= mc; ++t) {
        userPoints[t] = UserPoints(user, t, viewDivisionMode);
        sortedPoints[t] = SortedPositions(userPoints[t].pos);
        soil[t] = PieceSoilShares(expanded, user, t);
    }
    const std::vector<float> lastPos = PieceLastPositions(results, pieceCount);
    // Each load case maps from its own copy into its own block, so the cases
    // are mapped on worker threads, one work block per thread (without the
    // memory for them, one after the other in the one block).
    std::vector<std::unique_ptr<ResultCase>> works(static_cast<std::size_t>(WorkerThreadCount()));
    std::vector<ResultCase*> freeWorks;
    for (auto& w : works) {
        w.reset(NewMappingWorkBlock());
        if (w) freeWorks.push_back(w.get());
    }
    // Not even one block: the load cases stay the pieces' results, which
    // belong to no member of the user's model.
    if (freeWorks.empty()) {
        EngineMessage("メモリーが足りません.(剛域展開)"_sj);
        return false;
    }
    if (freeWorks.size() == works.size()) {
        std::mutex workMutex;
        ParallelFor(cases, [&](int task) {
            const int o = task + 1;
            ResultCase* w;
            {
                std::lock_guard<std::mutex> lock(workMutex);
                w = freeWorks.back();
                freeWorks.pop_back();
            }
            CopyMappedPart(*w, results.block[o], usedNodes, usedMembers);
            const std::vector<ForceJump> jumps = LoadJumpsAtPieceEnds(expanded, o, lastPos);
            for (int t = 1; t <= mc; ++t) {
                const int n = MapMember(*w, results.block[o], expanded, user, t, o, pieceCount,
                                        sortedPoints[t], jumps, soil[t]);
                if (o == 1) points[t] = n;
            }
            std::lock_guard<std::mutex> lock(workMutex);
            freeWorks.push_back(w);
        });
    } else {
        ResultCase& work = *freeWorks.front();
        for (int o = 1; o <= cases; ++o) {
            CopyMappedPart(work, results.block[o], usedNodes, usedMembers);
            const std::vector<ForceJump> jumps = LoadJumpsAtPieceEnds(expanded, o, lastPos);
            for (int t = 1; t <= mc; ++t) {
                const int n = MapMember(work, results.block[o], expanded, user, t, o, pieceCount,
                                        sortedPoints[t], jumps, soil[t]);
                if (o == 1) points[t] = n;
            }
        }
    }
    works.clear();
    for (int t = 1; t <= mc; ++t) {
        SetMemberHeader(results, user, t, points[t]);
        LabelUserPoints(results.member[t], userPoints[t]);
    }
    // The pieces' header slots beyond the user's members (the rest is 0).
    const int written = std::max(WrittenFrameResultsExtent(results).members, usedMembers);
    for (int b = mc + 1; b < written; ++b) std::memset(&results.member[b], 0, sizeof(ResultMember));
    // Each member's thinning touches only its own slots.
    std::vector<ThinPlan> plans(static_cast<std::size_t>(mc) + 1);
    ParallelFor(mc, [&](int i) {
        plans[i + 1] = PlanThinning(results, user, i + 1, useViewDivisions, pointCapacity);
    });
    bool identity = true;
    for (int t = 1; t <= mc; ++t) identity = identity && plans[t].identity;
    if (!identity) {
        CombineCaseResults(results, user, -1, {}, extras);
        ParallelFor(mc, [&](int i) {
            ThinBlocks(results, i + 1, plans[i + 1]);
            ThinHeader(results.member[i + 1], plans[i + 1]);
        });
        return true;
    }
    // Every point kept: the headers get their kinds before the
    // combinations (which read only the point counts, unchanged), so that
    // the load case blocks and the headers are final once the load cases'
    // extremes are found, and a caller may start reading them then (and
    // each combination block once it is formed).
    ParallelFor(mc, [&](int i) { ThinHeader(results.member[i + 1], plans[i + 1]); });
    CombineCaseResults(results, user, -1, blockFinal, extras);
    // Only slot 0 and the slots after the kept ones, which no reader of
    // the load cases looks at.
    ParallelFor(mc, [&](int i) { ThinBlocks(results, i + 1, plans[i + 1]); });
    return true;
}

void FinishFrameAnalysis(FrameResults& results, const FrameModel& model,
                         const ExpansionReport& expansion, std::string caseWarnings,
                         const std::vector<int>& failedBlocks, int expandedMembers,
                         AnalysisReport* report) {
    CalcSupportReactions(results, model);
    CombineReactions(results, model);
    caseWarnings += NonFiniteBlockWarnings(results, model, failedBlocks);
    if (!expansion.warnings.empty()) EngineMessage(expansion.warnings);
    if (!report && !caseWarnings.empty()) EngineMessage(caseWarnings);
    if (report) {
        report->expansionFellBack = expansion.fellBack;
        report->expansionWarnings = expansion.warnings;
        report->caseWarnings = caseWarnings;
        report->userMembers = model.memberCount;
        report->expandedMembers = expandedMembers;
    }
}

namespace {

bool RunFrameAnalysisSteps(FrameResults& results, FrameModel& model, bool viewDivisionMode,
                           bool useViewDivisions, int pointCapacity, AnalysisReport* report,
                           const std::function<void(int)>& blockFinal) {
    std::unique_ptr<FrameModel> copy;
    try {
        copy = NewFrameModelRecord();
    } catch (const std::bad_alloc&) {
        throw OutOfMemory("剛域展開"_sj);
    }
    ExpansionResult expansion;
    RunNamedStep("剛域展開"_sj,
                 [&] { expansion = ExpandFrameModel(*copy, model, true, viewDivisionMode); });
    const ExpansionReport& er = expansion.report;
    if (er.loadOverflowCase != 0) {
        // Without some of its loads the case would give results of other
        // loads: nothing is analysed.
        ClearFrameResults(results);
        EngineMessage(er.warnings + LoadOverflowMessage(er.loadOverflowCase));
        return false;
    }
    if (HasEngineProgress()) {
        EngineProgress(FormatStr("***  !! 計算中 部材数(展開数) %d ( %d)  *** :"_sj.c_str(),
                                 model.memberCount, copy->memberCount));
    }
    if (DiagnosticDumpFlag) {
        const std::string folder =
            DiagnosticDumpFolder.empty() ? GetExeFolder() : DiagnosticDumpFolder;
        TStringList list;
        WriteFrameDataFile(list, model, kFrameFileFormat);
        list.SaveToFile(folder + "@Do1A.$O1");  // a failed dump is not worth a message
        WriteFrameDataFile(list, *copy, kFrameFileFormat);
        list.SaveToFile(folder + "@Do1B.$O1");
    }
    std::string caseWarnings;
    // The mapping back wipes the slots of the user's members and combines
    // the cases again: the work it would undo is left out.
    const int remapped = CheckedCount(model.memberCount, kMaxMembers);
    // A case left unsolved for want of memory (a message said which work
    // stopped) ends the analysis: nothing of it is a result of the model.
    if (!AnalyseLoadCases(results, *copy, caseWarnings, remapped, expansion.springs)) return false;
    std::vector<int> failedBlocks;
    bool mapped = false;
    RunNamedStep("組合せ"_sj, [&] {
        // What the extremes between the result points are found from: the
        // pieces' forces, before the mapping back overwrites them.
        MemberExtremeSearch extremes(results, *copy, expansion.springs);
        extremes.MapMembersTo(model, results);
        CombineExtras extras;
        extras.extremes = &extremes;
        extras.failedBlocks = &failedBlocks;
        mapped = CollapseExpandedResults(results, *copy, model, viewDivisionMode, useViewDivisions,
                                         pointCapacity, blockFinal, extras);
    });
    const int expandedMembers = copy->memberCount;
    copy.reset();
    if (!mapped) return false;  // the pieces' results are no results of this model
    RunNamedStep("反力"_sj, [&] {
        FinishFrameAnalysis(results, model, er, caseWarnings, failedBlocks, expandedMembers,
                            report);
    });
    return true;
}

}  // namespace

bool RunFrameAnalysis(FrameResults& results, FrameModel& model, bool viewDivisionMode,
                      bool useViewDivisions, int pointCapacity, AnalysisReport* report,
                      const std::function<void(int)>& blockFinal) {
    // Whatever stops the analysis, on whichever thread, stops it here with
    // a message, and no part of it is left to be taken for results.
    bool ok = false;
    try {
        ok = RunFrameAnalysisSteps(results, model, viewDivisionMode, useViewDivisions,
                                   pointCapacity, report, blockFinal);
    } catch (const OutOfMemory& e) {
        EngineMessage(OutOfMemoryMessage(e.Task()));
    } catch (const std::bad_alloc&) {
        EngineMessage(OutOfMemoryMessage(std::string()));
    } catch (const std::exception& e) {
        EngineMessage("計算を続けられません.("_sj + e.what() + ")");
    }
    if (!ok) ClearFrameResults(results);
    return ok;
}
