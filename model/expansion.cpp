#include "model/expansion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "model/data_file.h"
#include "model/load_case_loop.h"
#include "model/numeric.h"
#include "model/stiffness.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"

std::uint8_t SpringSegmentCount[kMaxMembers + 1];

void ClearSpringSegmentCount() { std::memset(SpringSegmentCount, 0, sizeof(SpringSegmentCount)); }

std::string LoadOverflowMessage(int caseNo) {
    return FormatStr(
               "荷重ｹｰｽ No.%d：部材の分割に沿って分けた荷重の数が %d を超えるため、計算できません．"_sj
                   .c_str(),
               caseNo, kMaxLoads) +
           "\n";
}

std::vector<PieceSoil> PieceSoilShares(const FrameModel& copy, const FrameModel& user, int t) {
    std::vector<PieceSoil> soil;
    if (t < 1 || t > CheckedCount(user.memberCount, kMaxMembers)) return soil;
    const FrameMember& um = user.members[t];
    const int first = um.segFirst, last = um.segLast;
    if (first < 1 || last < first || last > CheckedCount(copy.memberCount, kMaxMembers))
        return soil;
    const int count = last - first + 1;
    soil.resize(static_cast<std::size_t>(count));
    if (count == 1) return soil;
    // A zone piece has the stiff copy of the member's material.
    auto zone = [&](int b) { return copy.members[b].materialNo != um.materialNo; };
    const bool zoneI = zone(first), zoneJ = zone(last);
    const int s0 = zoneI ? 1 : 0, s1 = count - 1 - (zoneJ ? 1 : 0);
    auto length = [&](int j) { return static_cast<double>(copy.members[first + j].length); };
    for (int j = 0; j < count; ++j) {
        PieceSoil& p = soil[static_cast<std::size_t>(j)];
        const double len = length(j);
        if (j < s0 || j > s1) {
            p.atI = p.atJ = len / 2;
        } else if (s0 == s1) {
            // One piece between zones: half to each zone, all to the one.
            if (zoneI && zoneJ) {
                p.atI = p.atJ = len / 2;
                p.spread = true;
            } else if (zoneI) {
                p.atI = len;
            } else {
                p.atJ = len;
            }
        } else if (j == s0) {
            p.atJ = len;
        } else if (j == s1) {
            p.atI = len;
        } else {
            p.atI = p.atJ = len / 2;
            p.spread = true;
        }
    }
    return soil;
}

namespace {

// Members shorter than this are never cut (m).
constexpr double kMinCutLength = 0.01;

// What the expansion will do with one user member.
struct MemberPlan {
    double length = 0;      // m, from the end nodes
    double angle = 0;       // rad
    double rI = 0, rJ = 0;  // rigid zones rounded to 0.001 m
    bool spring = false;
    bool zoneI = false, zoneJ = false;  // zones that become pieces
    int n = 0;                          // spring segments (0 or 1: not segmented)
    bool cut = false;

    int Pieces() const { return cut ? 1 + (zoneI ? 1 : 0) + (zoneJ ? 1 : 0) + (n > 1 ? n : 0) : 1; }
    int NewNodes() const { return cut ? (zoneI ? 1 : 0) + (zoneJ ? 1 : 0) + (n > 1 ? n : 0) : 0; }
};

struct Plan {
    bool expanded = false;            // pieces beyond one per member, or node springs
    bool zones = false;               // rigid zones become pieces
    bool springs = false;             // node springs are made (springCount > 0)
    std::vector<MemberPlan> members;  // 1-based
};

void AddWarning(ExpansionReport& report, const std::string& line) {
    report.fellBack = true;
    report.warnings += line;
    report.warnings += "\n";
}

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Refreshes the derived length and angle of every member, as the data file
// reader and the grids do, so that the expansion never works on stale values.
void RefreshMemberGeometry(FrameModel& model) {
    for (int t = 1; t <= std::min(model.memberCount, kMaxMembers); ++t) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, t);
        const double dx = xj - xi, dy = yj - yi;
        model.members[t].angle = static_cast<float>(SafeAtan2(dy, dx));
        model.members[t].length = static_cast<float>(SafeSqrt(dx * dx + dy * dy));
    }
}

// The spring case entries that load case l's spring case holds (null: none).
const BaneCase* SpringCaseOfLoadCase(const FrameModel& user, int l) {
    const int s = FindSpringCaseIndex(user, user.loadCases[l].baneCaseNo);
    return s > 0 ? &user.springCases[s] : nullptr;
}

int SpringEntryCount(const BaneCase& bc) { return CheckedCount(bc.count, kMaxSpringEntries); }
int LoadCaseCount(const FrameModel& m) { return CheckedCount(m.loadCaseCount, kMaxLoadCases); }

// Segment counts for the stride s (Algorithms step 5): returns the piece
// total the way the design counts it (zones + members + n per spring member).
int SetSegmentCounts(Plan& plan, int s, int springCount, double lm, int zoneCount) {
    int total = zoneCount;
    for (std::size_t t = 1; t < plan.members.size(); ++t) {
        MemberPlan& mp = plan.members[t];
        total += 1;
        if (!mp.spring) continue;
        int n = static_cast<int>(std::trunc(s * mp.length / lm + 0.5));
        n = std::clamp(n, 1, kMaxSpringSegmentsBase);
        if (springCount <= 10) {
            n = static_cast<int>(std::trunc(n * (4 / springCount + 1)));
            n = static_cast<int>(std::trunc(std::min<double>(n, std::max(100.0 * mp.length, 2.0))));
        }
        mp.n = n;
        total += n;
    }
    return total;
}

void DecideCuts(Plan& plan) {
    for (std::size_t t = 1; t < plan.members.size(); ++t) {
        MemberPlan& mp = plan.members[t];
        const bool wantsZones = plan.zones && (mp.rI != 0 || mp.rJ != 0);
        mp.cut = plan.expanded && (wantsZones || mp.n > 1) && mp.length >= kMinCutLength;
        mp.zoneI = mp.cut && plan.zones && mp.rI != 0;
        mp.zoneJ = mp.cut && plan.zones && mp.rJ != 0;
    }
}

// Exact capacity test of a plan: pieces, nodes and the node springs of every
// support case fit their tables.
bool PlanFits(const Plan& plan, const FrameModel& user) {
    int pieces = 0, nodes = user.nodeCount;
    for (std::size_t t = 1; t < plan.members.size(); ++t) {
        pieces += plan.members[t].Pieces();
        nodes += plan.members[t].NewNodes();
    }
    if (pieces > kMaxExpandedMembers || nodes > kMaxNodes) return false;
    if (!plan.springs) return true;
    for (int l = 1; l <= LoadCaseCount(user); ++l) {
        const int sc = FindSupportCaseIndex(user, user.loadCases[l].suptCaseNo);
        int entries = sc > 0 ? CheckedCount(user.supportCases[sc].count, kMaxSupportEntries) : 0;
        if (const BaneCase* bc = SpringCaseOfLoadCase(user, l)) {
            for (int e = 1; e <= SpringEntryCount(*bc); ++e) {
                const int t = FindMemberIndex(user, bc->entries[e].memberNo);
                // A node spring at every joint, and at a zoned end.
                if (t > 0)
                    entries += plan.members[t].Pieces() - 1 + plan.members[t].zoneI +
                               plan.members[t].zoneJ;
            }
        }
        if (entries > kMaxSupportEntries) return false;
    }
    return true;
}

// Every member its own single piece; springs act on nothing.
Plan NoExpansionPlan(const std::vector<MemberPlan>& base) {
    Plan plan;
    plan.members = base;
    for (std::size_t t = 1; t < plan.members.size(); ++t) plan.members[t].n = 0;
    DecideCuts(plan);
    return plan;
}

// Steps 2 to 5: which members are spring members, which zones expand, and
// how many segments each spring member gets.
Plan MakePlan(FrameModel& user, bool withSprings, ExpansionReport& report) {
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    std::vector<MemberPlan> base(static_cast<std::size_t>(mc) + 1);
    int zoneCount = 0, springCount = 0;
    double springLength = 0;
    for (int t = 1; t <= mc; ++t) {
        MemberPlan& mp = base[t];
        mp.length = user.members[t].length;
        mp.angle = user.members[t].angle;
        mp.rI = Round3(user.members[t].rigidI);
        mp.rJ = Round3(user.members[t].rigidJ);
        // Zones must leave some flexible length between them; otherwise the
        // inner nodes would lie beyond each other and reverse the middle piece.
        const bool zoned = mp.rI != 0 || mp.rJ != 0;
        if (zoned && (mp.rI < 0 || mp.rJ < 0 || mp.rI + mp.rJ >= mp.length - 0.001)) {
            AddWarning(
                report,
                FormatStr(
                    "警告：部材 No.%d の剛域長が部材長に収まらないため、この部材の剛域を無視します。"_sj
                        .c_str(),
                    user.members[t].no));
            mp.rI = mp.rJ = 0;
        }
        zoneCount += (mp.rI != 0) + (mp.rJ != 0);
    }
    // Every member a spring case names is marked for the figure.
    for (int s = 1; s <= CheckedCount(user.springCaseCount, kMaxSpringCases); ++s) {
        for (int e = 1; e <= SpringEntryCount(user.springCases[s]); ++e) {
            const int t = FindMemberIndex(user, user.springCases[s].entries[e].memberNo);
            if (t > 0) SpringSegmentCount[t] = 1;
        }
    }
    if (withSprings) {
        for (int l = 1; l <= LoadCaseCount(user); ++l) {
            const BaneCase* bc = SpringCaseOfLoadCase(user, l);
            if (!bc) continue;
            for (int e = 1; e <= SpringEntryCount(*bc); ++e) {
                const int t = FindMemberIndex(user, bc->entries[e].memberNo);
                if (t > 0 && !base[t].spring) {
                    base[t].spring = true;
                    ++springCount;
                    springLength += base[t].length;
                }
            }
        }
    }
    const double lm = (0.01 + springLength) / std::max(1, springCount);

    bool zones = zoneCount > 0;
    if (zones && mc + zoneCount > kMaxExpandedMembers) zones = false;
    if (zones && 2 * user.materialCount > kMaxMaterials) zones = false;
    if (zoneCount > 0 && !zones) {
        AddWarning(
            report,
            "警告：展開後の部材数または材質数が上限を超えるため、剛域を無視して計算します。"_sj);
        zoneCount = 0;
    }
    if (zoneCount == 0 && springCount == 0) return NoExpansionPlan(base);
    if (mc + zoneCount + 2 * springCount > kMaxExpandedMembers) {
        AddWarning(
            report,
            "警告：展開後の部材数が上限を超えるため、剛域と分布バネを無視して計算します。"_sj);
        return NoExpansionPlan(base);
    }

    Plan plan;
    plan.members = base;
    plan.expanded = true;
    plan.zones = zones;
    plan.springs = springCount > 0;
    // Lower the stride until the pieces, the new nodes and the node springs
    // of every case fit (the first pass uses 20).
    int s = kMaxSpringSegmentsBase + 1;
    bool fits = false;
    do {
        --s;
        const int total = SetSegmentCounts(plan, s, springCount, lm, zoneCount);
        DecideCuts(plan);
        fits = total <= kMaxExpandedMembers && PlanFits(plan, user);
    } while (!fits && s > 1);
    if (!fits) {
        AddWarning(
            report,
            "警告：展開後の部材数・格点数・支点数が上限を超えるため、剛域と分布バネを無視して計算します。"_sj);
        return NoExpansionPlan(base);
    }
    if (springCount > 0 && s < kMaxSpringSegmentsBase) {
        AddWarning(
            report,
            FormatStr(
                "警告：展開後の部材数が上限を超えるため、分布バネ部材の分割数を減らしました（%d/%d）。"_sj
                    .c_str(),
                s, kMaxSpringSegmentsBase));
    }
    return plan;
}

// ---- building the copy ----------------------------------------------------

struct Builder {
    FrameModel& copy;
    FrameModel& user;  // only segFirst and segLast are written
    int nextNodeNo = 1;
    int stiffBase = 0;  // largest material number of the user's model

    int AddNode(double x, double y) {
        const int k = ++copy.nodeCount;  // capacity checked by the plan
        FramePoint& p = copy.nodes[k];
        std::memset(&p, 0, sizeof p);
        p.no = nextNodeNo++;
        p.x = static_cast<float>(x);
        p.y = static_cast<float>(y);
        return p.no;
    }

    int AddPiece(int t, int nodeI, int nodeJ, int endI, int endJ, double segStart) {
        const int b = ++copy.memberCount;  // capacity checked by the plan
        FrameMember& m = copy.members[b];
        m = user.members[t];
        m.no = b;
        m.nodeI = nodeI;
        m.nodeJ = nodeJ;
        m.endI = endI;
        m.endJ = endJ;
        m.segFirst = t;
        m.segLast = 0;
        m.segStart = static_cast<float>(Round3(segStart));
        return b;
    }

    void MakeZonePiece(int b, int t, const char* side) {
        FrameMember& m = copy.members[b];
        SetFixedText(m.name, kNameSize,
                     FormatStr("<剛域>%d-%s"_sj.c_str(), user.members[t].no, side).c_str());
        const int k = FindMaterialIndex(user, user.members[t].materialNo);
        if (k > 0) m.materialNo = stiffBase + k;
    }
};

void AppendStiffMaterials(FrameModel& copy, const FrameModel& user, int& stiffBase) {
    const int mc = CheckedCount(user.materialCount, kMaxMaterials);
    stiffBase = 0;
    for (int k = 1; k <= mc; ++k) stiffBase = std::max(stiffBase, user.materials[k].no);
    if (2 * mc > kMaxMaterials) return;  // the plan drops zones then
    for (int k = 1; k <= mc; ++k) {
        FrameMaterial& s = copy.materials[mc + k];
        s = user.materials[k];
        s.no = stiffBase + k;
        s.e = user.materials[k].e * 100.0f;
    }
    copy.materialCount = 2 * mc;
}

// Step 7: the pieces of user member t.
void BuildPieces(Builder& bld, int t, MemberPlan& mp) {
    const FrameModel& user = bld.user;
    const FrameMember& um = user.members[t];
    FrameMember& uw = bld.user.members[t];
    if (!mp.cut) {
        const int b = bld.AddPiece(t, um.nodeI, um.nodeJ, um.endI, um.endJ, 0);
        uw.segFirst = uw.segLast = b;
        return;
    }
    double xi, yi, xj, yj;
    GetMemberEnds(user, xi, yi, xj, yj, t);
    const double lp = std::max(Distance(xi, yi, xj, yj), 0.001);
    const double ux = (xj - xi) / lp, uy = (yj - yi) / lp;
    double v = 0;
    int cur = um.nodeI;
    double cx = xi, cy = yi;
    bool any = false;
    int first = 0;
    auto remember = [&](int b) {
        if (!first) first = b;
    };
    if (mp.zoneI) {
        cx = xi + ux * mp.rI;
        cy = yi + uy * mp.rI;
        const int node = bld.AddNode(cx, cy);
        const int b = bld.AddPiece(t, cur, node, um.endI, 0, 0);
        bld.MakeZonePiece(b, t, "I");
        remember(b);
        v += mp.rI;
        cur = node;
        any = true;
    }
    const double ex = mp.zoneJ ? xj - ux * mp.rJ : xj;
    const double ey = mp.zoneJ ? yj - uy * mp.rJ : yj;
    if (mp.n > 1) {
        const double sx = cx, sy = cy;
        const double ls = Round3(Distance(sx, sy, ex, ey));
        const int n = mp.n;
        for (int k = 1; k <= n; ++k) {
            const double d = (k - 0.5) * ls / n;
            const int node = bld.AddNode(sx + ux * d, sy + uy * d);
            const int endI = (k > 1 || mp.zoneI) ? 0 : um.endI;
            remember(bld.AddPiece(t, cur, node, endI, 0, v + std::max(0.0, (k - 1.5) * ls / n)));
            cur = node;
        }
        v += (n - 0.5) * ls / n;
        any = true;
        SpringSegmentCount[t] = static_cast<std::uint8_t>(std::min(n, 255));
    }
    int last = 0;
    if (mp.zoneJ) {
        const int node = bld.AddNode(ex, ey);
        remember(bld.AddPiece(t, cur, node, any ? 0 : um.endI, 0, v));
        last = bld.AddPiece(t, node, um.nodeJ, 0, um.endJ, mp.length - mp.rJ);
        bld.MakeZonePiece(last, t, "J");
    } else {
        last = bld.AddPiece(t, cur, um.nodeJ, any ? 0 : um.endI, um.endJ, v);
        remember(last);
    }
    uw.segFirst = first;
    uw.segLast = last;
}

// Step 8, with springs: one support case per load case with the node
// springs of its spring case, and the distributed-spring table.
//
// The soil under a stretch of pieces is lumped onto their joints as
// PieceSoilShares tells. A node spring acts across the member (kv) and
// along it (ku), whatever its slope: kv n n^T + ku t t^T with t the
// member's direction and n the normal, which couples x and y on an
// inclined member (the x-y term goes to the entry's coupling).
void BuildNodeSprings(FrameModel& copy, const FrameModel& user, const Plan& plan,
                      DistributedSprings& springs) {
    const int lc = LoadCaseCount(user);
    for (int l = 1; l <= lc; ++l) {
        SuptCase& sc = copy.supportCases[l];
        const int src = FindSupportCaseIndex(user, user.loadCases[l].suptCaseNo);
        if (src > 0) {
            sc = user.supportCases[src];
            sc.count = CheckedCount(sc.count, kMaxSupportEntries);
        } else {
            std::memset(&sc, 0, sizeof sc);
        }
        sc.no = l;
        SetFixedText(sc.name, kNameSize,
                     FormatStr("荷重ｹｰｽ.%2d"_sj.c_str(), user.loadCases[l].no).c_str());
        copy.loadCases[l].suptCaseNo = l;
        copy.loadCases[l].baneCaseNo = 0;
        const BaneCase* bc = SpringCaseOfLoadCase(user, l);
        if (!bc) continue;
        for (int e = 1; e <= SpringEntryCount(*bc); ++e) {
            const int t = FindMemberIndex(user, bc->entries[e].memberNo);
            if (t <= 0) continue;
            const double kv = bc->entries[e].kv, ku = bc->entries[e].ku;
            double c, s;
            MemberCosSin(plan.members[t].angle, c, s);
            auto small = [](double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; };
            const double fx = small(ku * c * c + kv * s * s);
            const double fy = small(ku * s * s + kv * c * c);
            const double fxy = small((ku - kv) * c * s);
            const int first = user.members[t].segFirst, last = user.members[t].segLast;
            const std::vector<PieceSoil> soil = PieceSoilShares(copy, user, t);
            auto add = [&](int nodeNo, double trib) {
                if (!(trib > 0)) return;
                if (sc.count >= kMaxSupportEntries) return;  // the plan keeps this unreachable
                SuptEntry& se = sc.entries[++sc.count];
                std::memset(&se, 0, sizeof se);
                se.nodeNo = nodeNo;
                se.code = kSupportMemberSpring;
                se.kx = static_cast<float>(fx * trib);
                se.ky = static_cast<float>(fy * trib);
                se.km = 0;
                se.reserved[0] = static_cast<float>(fxy * trib);
                se.reserved[1] = static_cast<float>(t);
            };
            if (soil.empty()) continue;
            add(copy.members[first].nodeI, soil.front().atI);
            for (int v = first; v < last; ++v) {
                const std::size_t j = static_cast<std::size_t>(v - first);
                add(copy.members[v].nodeJ, soil[j].atJ + soil[j + 1].atI);
            }
            add(copy.members[last].nodeJ, soil.back().atJ);
            // The member forces spread a piece's soil along it where the
            // piece hands it half to each end, as the lumping does.
            for (int v = first; v <= last; ++v)
                if (soil[static_cast<std::size_t>(v - first)].spread) springs.Set(l, v, kv, ku);
        }
    }
    copy.supportCaseCount = lc;
}

// Step 8, without node springs: each spring entry repeated for every piece
// of its member (the pieces are renumbered).
void RepeatSpringEntries(FrameModel& copy, const FrameModel& user, ExpansionReport& report) {
    for (int s = 1; s <= CheckedCount(user.springCaseCount, kMaxSpringCases); ++s) {
        const BaneCase& ub = user.springCases[s];
        BaneCase& cb = copy.springCases[s];
        cb.count = 0;
        bool cutShort = false;
        for (int e = 1; e <= SpringEntryCount(ub); ++e) {
            const int t = FindMemberIndex(user, ub.entries[e].memberNo);
            if (t <= 0) continue;
            for (int b = user.members[t].segFirst; b <= user.members[t].segLast; ++b) {
                if (cb.count >= kMaxSpringEntries) {
                    cutShort = true;
                    break;
                }
                BaneEntry& be = cb.entries[++cb.count];
                be = ub.entries[e];
                be.memberNo = b;
            }
        }
        if (cutShort) {
            AddWarning(
                report,
                FormatStr(
                    "警告：分布バネ･ｹｰｽ No.%d の展開後のばね数が %d を超えるため、超過分を無視しました。"_sj
                        .c_str(),
                    ub.no, kMaxSpringEntries));
        }
    }
}

// Step 9: the part of one member's load that each of its pieces takes.
void DistributeToPieces(const FrameModel& copy, const FrameMember& um, double memberLength,
                        const LoadRecord& ld, std::vector<LoadRecord>& out) {
    for (int b = um.segFirst; b <= um.segLast && b >= 1; ++b) {
        const double p = copy.members[b].segStart, lp = copy.members[b].length;
        LoadRecord nl{};
        nl.code = ld.code;
        nl.memberFrom = b;
        nl.memberTo = 0;
        switch (ld.code) {
            case kLoadDistAxial:
            case kLoadDistPerp:
            case kLoadDistX:
            case kLoadDistY: {
                const double e1 = ld.distI - p, e2 = memberLength - ld.distJ - p;
                const double e = Clamp(e1, 0, lp), g = Clamp(e2, 0, lp);
                if (g - e < 0.001) continue;
                nl.qI = static_cast<float>(Interpolate(e1, ld.qI, e2, ld.qJ, e));
                nl.qJ = static_cast<float>(Interpolate(e1, ld.qI, e2, ld.qJ, g));
                nl.distI = static_cast<float>(e);
                nl.distJ = static_cast<float>(lp - g);
                out.push_back(nl);
                break;
            }
            case kLoadConcAxial:
            case kLoadConcPerp:
            case kLoadConcX:
            case kLoadConcY:
            case kLoadConcMoment: {
                const double c = ld.distI - p;
                if (!(c > -0.0001 && c < lp + 0.0001)) continue;
                nl.qI = ld.qI;
                // A load on a joint sits exactly on the piece's end, where
                // its own jump stays between the two pieces.
                nl.distI = std::fabs(c - lp) < 0.0001 ? copy.members[b].length
                                                      : static_cast<float>(Clamp(c, 0, lp));
                out.push_back(nl);
                return;  // a load on a joint goes to the first piece only
            }
            case kLoadTemperature:
                // The whole member warms, so every piece takes the record as it is.
                nl.qI = ld.qI;
                nl.qJ = ld.qJ;
                nl.distI = ld.distI;
                nl.distJ = ld.distJ;
                out.push_back(nl);
                break;
            default:
                return;
        }
    }
}

// The user's member numbers in increasing order, each with the first slot
// that holds it (as FindMemberIndex finds it).
std::vector<std::pair<int, int>> MemberNumbersInOrder(const FrameModel& user) {
    std::vector<std::pair<int, int>> numbers;
    for (int t = 1; t <= CheckedCount(user.memberCount, kMaxMembers); ++t)
        numbers.emplace_back(user.members[t].no, t);
    std::stable_sort(numbers.begin(), numbers.end(),
                     [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
                         return a.first < b.first;
                     });
    numbers.erase(std::unique(numbers.begin(), numbers.end(),
                              [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
                                  return a.first == b.first;
                              }),
                  numbers.end());
    return numbers;
}

void ExpandOneLoad(const FrameModel& copy, const FrameModel& user,
                   const std::vector<std::pair<int, int>>& numbers, const LoadRecord& ld,
                   std::vector<LoadRecord>& out) {
    if (ld.code == kLoadNodal) {
        out.push_back(ld);
        return;
    }
    int from = ld.memberFrom, to = ld.memberTo == 0 ? ld.memberFrom : ld.memberTo;
    if (to < from) std::swap(from, to);
    // The run's members in number order, each number by its first slot
    // (numbers are taken from the table, so a huge range costs nothing).
    std::vector<int> run;
    double total = 0;
    auto it = std::lower_bound(numbers.begin(), numbers.end(), from,
                               [](const std::pair<int, int>& e, int no) { return e.first < no; });
    for (; it != numbers.end() && it->first <= to; ++it) {
        run.push_back(it->second);
        total += user.members[it->second].length;
    }
    const bool concentrated = ld.code >= kLoadConcAxial && ld.code <= kLoadConcMoment;
    double s = 0;
    for (const int t : run) {
        const double len = user.members[t].length;
        LoadRecord part = ld;
        if (run.size() > 1 && ld.code >= kLoadDistAxial && ld.code <= kLoadDistY) {
            const double a = Clamp(ld.distI - s, 0, len), b = Clamp(total - ld.distJ - s, 0, len);
            if (b - a > 0.0001) {
                const double x2 = total - ld.distJ;
                part.qI = static_cast<float>(Interpolate(ld.distI, ld.qI, x2, ld.qJ, s + a));
                part.qJ = static_cast<float>(Interpolate(ld.distI, ld.qI, x2, ld.qJ, s + b));
                part.distI = static_cast<float>(a);
                part.distJ = static_cast<float>(len - b);
                DistributeToPieces(copy, user.members[t], len, part, out);
            }
        } else if (run.size() > 1 && concentrated) {
            // Taken once, at its position along the run.
            const double c = ld.distI - s;
            if (c > -0.0001 && c < len + 0.0001) {
                part.distI = static_cast<float>(c);
                DistributeToPieces(copy, user.members[t], len, part, out);
                return;
            }
        } else {
            DistributeToPieces(copy, user.members[t], len, part, out);
        }
        s += len;
    }
}

// Returns the number of the first load case whose loads did not fit (0: all
// fitted); the loads beyond the table are left out.
int BuildLoads(FrameModel& copy, const FrameModel& user) {
    int overflow = 0;
    std::vector<LoadRecord> out;
    const std::vector<std::pair<int, int>> numbers = MemberNumbersInOrder(user);
    for (int l = 1; l <= LoadCaseCount(user); ++l) {
        const LoadCase& uc = user.loadCases[l];
        out.clear();
        for (int k = 1; k <= CheckedCount(uc.count, kMaxLoads); ++k)
            ExpandOneLoad(copy, user, numbers, uc.loads[k], out);
        LoadCase& cc = copy.loadCases[l];
        if (static_cast<int>(out.size()) > kMaxLoads && overflow == 0)
            overflow = uc.no == 0 ? l : uc.no;
        cc.count = std::min(static_cast<int>(out.size()), kMaxLoads);
        for (int k = 1; k <= cc.count; ++k) cc.loads[k] = out[static_cast<std::size_t>(k - 1)];
    }
    return overflow;
}

// Step 10: the user's points of interest as named points of the pieces.
// The pieces of a member cut into spring segments do not start at whole
// millimetres: their points lie at the exact distance from the piece's
// start (segStart), as the loads on them do, so that a point under a
// load shows the same side of it as on a member of one piece.
void BuildViewPoints(FrameModel& copy, const FrameModel& user, const Plan& plan,
                     bool viewDivisionMode) {
    copy.view1Count = 0;
    copy.view2Count = 0;
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    for (int t = 1; t <= mc; ++t) {
        const MemberPointList points = BuildMemberPointList(user, t, viewDivisionMode);
        const int count = points.count;
        const FrameMember& um = user.members[t];
        const bool exact = plan.members[t].cut && plan.members[t].n > 1;
        double w = 0;
        for (int b = um.segFirst; b <= um.segLast && b >= 1; ++b) {
            const double lp = copy.members[b].length;
            if (exact) w = copy.members[b].segStart;
            View2Member* entry = nullptr;
            for (int k = 1; k <= std::min(count, kMemberPointSlots - 1); ++k) {
                const double u = exact ? points.pos[k] - w : Round3(points.pos[k] - w);
                if (!(u > 0.0001 && u < lp - 0.0001)) continue;
                if (!entry) {
                    if (copy.view2Count >= kMaxView2) break;
                    entry = &copy.view2[++copy.view2Count];
                    std::memset(entry, 0, sizeof *entry);
                    entry->memberNo = b;
                }
                if (entry->count >= kMaxViewPoints) break;
                ++entry->count;
                entry->dist[entry->count] = static_cast<float>(u);
                SetFixedText(entry->pointName[entry->count], kPointNameSize, points.label[k]);
            }
            w += Round3(lp);
        }
    }
    SortViewPoints(copy);
}

// The pieces of a member cut into spring segments start where the
// lengths of the pieces before them add up to, as the mapping back adds
// them: the loads and points of interest are placed from there.
void SetExactPieceStarts(FrameModel& copy, const FrameModel& user, const Plan& plan) {
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    for (int t = 1; t <= mc; ++t) {
        if (!plan.members[t].cut || plan.members[t].n <= 1) continue;
        float w = 0;
        for (int b = user.members[t].segFirst; b <= user.members[t].segLast && b >= 1; ++b) {
            copy.members[b].segStart = w;
            w += copy.members[b].length;
        }
    }
}

void BuildCopy(FrameModel& copy, FrameModel& user, Plan& plan, bool viewDivisionMode,
               ExpansionResult& result, int& loadOverflow) {
    CopyFrameModel(copy, user);
    result.springs = DistributedSprings{};
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    Builder bld{copy, user};
    for (int k = 1; k <= CheckedCount(user.nodeCount, kMaxNodes); ++k)
        bld.nextNodeNo = std::max(bld.nextNodeNo, user.nodes[k].no + 1);
    if (plan.expanded) AppendStiffMaterials(copy, user, bld.stiffBase);
    copy.memberCount = 0;
    for (int t = 1; t <= mc; ++t) BuildPieces(bld, t, plan.members[t]);
    for (int b = 1; b <= copy.memberCount; ++b) {
        FrameMember& m = copy.members[b];
        m.rigidI = m.rigidJ = 0;
    }
    RefreshMemberGeometry(copy);
    SetExactPieceStarts(copy, user, plan);
    if (plan.springs) {
        BuildNodeSprings(copy, user, plan, result.springs);
    } else {
        RepeatSpringEntries(copy, user, result.report);
    }
    loadOverflow = BuildLoads(copy, user);
    BuildViewPoints(copy, user, plan, viewDivisionMode);
}

}  // namespace

ExpansionResult ExpandFrameModel(FrameModel& copy, FrameModel& user, bool withSprings,
                                 bool viewDivisionMode) {
    ExpansionResult result;
    ExpansionReport& rep = result.report;
    ClearSpringSegmentCount();
    RefreshMemberGeometry(user);
    Plan plan = MakePlan(user, withSprings, rep);
    int overflow = 0;
    BuildCopy(copy, user, plan, viewDivisionMode, result, overflow);
    rep.loadOverflowCase = overflow;
    return result;
}
