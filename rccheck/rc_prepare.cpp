#include "rccheck/rc_prepare.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rebar_table.h"

namespace {

// The characters of a CP932 text, so that a search never matches a trail
// byte of a double-byte character.
std::vector<std::string> SplitChars(const std::string& text) {
    std::vector<std::string> chars;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const int n = CharByteCount(text, pos);
        chars.push_back(text.substr(pos, static_cast<std::size_t>(n)));
        pos += static_cast<std::size_t>(n);
    }
    return chars;
}

bool HasChars(const std::vector<std::string>& chars, const std::string& what) {
    const std::vector<std::string> w = SplitChars(what);
    if (w.empty() || w.size() > chars.size()) return false;
    for (std::size_t i = 0; i + w.size() <= chars.size(); ++i) {
        if (std::equal(w.begin(), w.end(), chars.begin() + static_cast<std::ptrdiff_t>(i)))
            return true;
    }
    return false;
}

float Clamp(double v, double limit) {
    if (!std::isfinite(v)) return 0.0f;
    return static_cast<float>(std::clamp(v, -limit, limit));
}

const RcSection& SectionOf(const RcCheckData& rc, const RcMemberChecks& m) {
    return rc.sections[FindRcSection(rc, m.sectionNo)];
}

void FillPointForces(RcPointCheck& pt, const FrameResults& results, int resultMember, int k,
                     int caseCount) {
    for (int t = 1; t <= caseCount; ++t) {
        const int block = ComboBlockIndex(results, t);
        RcForceSet& f = pt.cases[t].bend;
        if (resultMember < 1 || resultMember >= kResultMemberSlots || block < 1 ||
            block >= kResultCaseSlots || k >= kPointSlots) {
            f = RcForceSet{};
        } else {
            const MemberResult& r = results.block[block].members[resultMember];
            f.x = static_cast<float>(Round3(r.values[kQtyPos][k]));
            // Forces kept to 0.01 kN; the axial force turned so that
            // compression is positive, as the RC formulas take it.
            f.m = Clamp(Round2(r.values[kQtyM][k]), 1e6);
            f.s = Clamp(Round2(r.values[kQtyS][k]), 1e6);
            // 0 - N, not -N: no axial force must not turn into -0.
            f.n = Clamp(0.0 - Round2(r.values[kQtyN][k]), 1e6);
            f.disp = Clamp(Round5(r.values[kQtyDisp][k]), 100.0);
        }
        pt.cases[t].shear = f;
    }
}

// For each new slot p (1..count), the old slot j (1..oldCount) holding the
// same number, 0 when none did: a thing keeps its settings by its number,
// wherever its table now lists it. The old slot of the same index is tried
// first, so that an unchanged table maps onto itself; each old slot is
// taken once (a repeated number finds the next holder).
template <class NewNo, class OldNo>
std::vector<int> MatchByNumber(int count, int oldCount, NewNo newNo, OldNo oldNo) {
    std::vector<int> from(static_cast<std::size_t>(count) + 1, 0);
    std::vector<bool> used(static_cast<std::size_t>(oldCount) + 1, false);
    for (int p = 1; p <= count; ++p) {
        const int no = newNo(p);
        int j = p <= oldCount && oldNo(p) == no && !used[static_cast<std::size_t>(p)] ? p : 0;
        for (int k = 1; j == 0 && k <= oldCount; ++k)
            if (!used[static_cast<std::size_t>(k)] && oldNo(k) == no) j = k;
        if (j > 0) {
            from[static_cast<std::size_t>(p)] = j;
            used[static_cast<std::size_t>(j)] = true;
        }
    }
    return from;
}

// One check case per combination. A combination the RC data already held
// (by its number; oldCount of them) keeps its check type; a new one takes
// the type of its name. Returns, per check case, the old case it continues
// (0: new).
std::vector<int> BuildCheckCases(RcCheckData& rc, const FrameModel& model, int oldCount) {
    const std::vector<RcCheckCase> old(rc.checkCases, rc.checkCases + oldCount + 1);
    const int count = CheckedCount(model.combinationCount, kRcMaxCheckCases);
    const std::vector<int> from = MatchByNumber(
        count, oldCount, [&](int q) { return model.combinations[q].no; },
        [&](int j) { return old[static_cast<std::size_t>(j)].comboNo; });
    rc.checkCaseCount = count;
    for (int q = 1; q < kRcCheckCaseSlots; ++q) rc.checkCases[q] = RcCheckCase{};
    for (int q = 1; q <= count; ++q) {
        const KumiCase& k = model.combinations[q];
        RcCheckCase& c = rc.checkCases[q];
        c.comboNo = k.no;
        SetRcText(c.name, kRcNameSize, Trim(k.name));
        const int j = from[static_cast<std::size_t>(q)];
        const int kept = j > 0 ? old[static_cast<std::size_t>(j)].checkType : 0;
        c.checkType = kept >= 1 && kept <= 3 ? kept : RcCheckTypeFromName(c.name);
    }
    return from;
}

// Puts a kept point's per-case entries under the check cases they belong
// to now (caseFrom: as BuildCheckCases returns); the entries of new cases
// are cleared, to be set from their check type.
void MoveCaseEntries(RcPointCheck& pt, const std::vector<int>& caseFrom) {
    const int count = static_cast<int>(caseFrom.size()) - 1;
    bool inPlace = true;
    int last = 0;  // the last old entry that moves
    for (int t = 1; t <= count; ++t) {
        inPlace = inPlace && caseFrom[static_cast<std::size_t>(t)] == t;
        last = std::max(last, caseFrom[static_cast<std::size_t>(t)]);
    }
    if (inPlace) return;
    const std::vector<RcCaseCheck> old(pt.cases, pt.cases + last + 1);
    for (int t = 1; t < kRcCaseSlots; ++t) {
        const int j = t <= count ? caseFrom[static_cast<std::size_t>(t)] : 0;
        pt.cases[t] = j > 0 ? old[static_cast<std::size_t>(j)] : RcCaseCheck{};
    }
}

// ---- Members and points that keep their settings ---------------------------

// Positions are kept to the millimetre.
constexpr double kSamePosition = 0.0005;  // m

bool IsExtremeName(const std::string& name) { return name == "M-max" || name == "M-min"; }

// A label that only gives the point's position names no point of its own.
bool IsPositionText(const std::string& name) {
    if (name.empty()) return true;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; });
}

// Where an old point lies: its position in the first check case (the data
// file keeps positions only there), else the one the build recorded.
double OldPosition(const RcPointCheck& pt, int cases) {
    return cases >= 1 ? pt.cases[1].bend.x : pt.position;
}

struct NewPoint {
    int k;  // result point
    std::string label;
    double position;
};

// For each new point (1-based), the old point whose settings it takes, 0
// for a point new to the member. Points are matched by position along the
// member (the name deciding between points at one position), then named
// points that moved by their name; the M-max and M-min rows by their role.
std::vector<int> MatchPoints(const RcMemberChecks& m, int oldPoints, int oldCases,
                             const std::vector<NewPoint>& pts) {
    const std::size_t n = pts.size();
    std::vector<int> from(n + 1, 0);
    std::vector<bool> used(static_cast<std::size_t>(oldPoints) + 1, false);
    const auto take = [&](std::size_t i, int j) {
        from[i] = j;
        used[static_cast<std::size_t>(j)] = true;
    };
    // 1. Extreme rows, and regular points at the same position.
    for (std::size_t i = 1; i <= n; ++i) {
        const NewPoint& q = pts[i - 1];
        const bool extreme = IsExtremeName(q.label);
        int best = 0;
        for (int j = 1; j <= oldPoints; ++j) {
            const RcPointCheck& o = m.points[j];
            if (used[static_cast<std::size_t>(j)] || IsExtremeName(o.name) != extreme) continue;
            if (extreme) {
                if (q.label == o.name) best = j;
            } else if (std::fabs(OldPosition(o, oldCases) - q.position) < kSamePosition) {
                if (best == 0 || q.label == o.name) best = j;
            }
            if (best == j && q.label == o.name) break;
        }
        if (best > 0) take(i, best);
    }
    // 2. A named point that moved keeps its settings by its name.
    for (std::size_t i = 1; i <= n; ++i) {
        const NewPoint& q = pts[i - 1];
        if (from[i] != 0 || IsExtremeName(q.label) || IsPositionText(q.label)) continue;
        for (int j = 1; j <= oldPoints; ++j) {
            if (!used[static_cast<std::size_t>(j)] && q.label == m.points[j].name) {
                take(i, j);
                break;
            }
        }
    }
    return from;
}

// For each frame member slot p (1..count), the old RC member block holding
// its member number, 0 for a member new to the RC data.
std::vector<int> MatchMembersByNumber(const RcCheckData& rc, int oldMembers,
                                      const FrameModel& model, int count) {
    return MatchByNumber(
        count, oldMembers, [&](int p) { return model.members[p].no; },
        [&](int j) { return rc.memberChecks[j].memberNo; });
}

// Moves the old blocks to their new slots (from: as MatchMembersByNumber)
// and clears the blocks of new members. A block is only overwritten once
// its own content has gone where it belongs; blocks that trade places in a
// ring go through one spare block.
void MoveMemberBlocks(RcCheckData& rc, const std::vector<int>& from, int count) {
    const int slots = kRcMaxMembers;
    std::vector<int> source(from);  // kSpare once parked in the spare
    constexpr int kSpare = -1;
    std::vector<bool> waiting(static_cast<std::size_t>(slots) + 1, false);  // content still to move
    std::vector<bool> done(static_cast<std::size_t>(count) + 1, false);
    int left = 0;
    for (int p = 1; p <= count; ++p) {
        const int j = source[static_cast<std::size_t>(p)];
        if (j == p)
            done[static_cast<std::size_t>(p)] = true;
        else
            ++left;
        if (j > 0 && j != p) waiting[static_cast<std::size_t>(j)] = true;
    }
    std::unique_ptr<RcMemberChecks> spare;
    RcMemberChecks* blocks = rc.memberChecks;
    while (left > 0) {
        bool moved = false;
        for (int p = 1; p <= count; ++p) {
            if (done[static_cast<std::size_t>(p)] || waiting[static_cast<std::size_t>(p)]) continue;
            const int j = source[static_cast<std::size_t>(p)];
            if (j == 0) {
                std::memset(static_cast<void*>(&blocks[p]), 0, sizeof blocks[p]);
            } else if (j == kSpare) {
                std::memcpy(static_cast<void*>(&blocks[p]), spare.get(), sizeof blocks[p]);
            } else {
                std::memcpy(static_cast<void*>(&blocks[p]), &blocks[j], sizeof blocks[p]);
                waiting[static_cast<std::size_t>(j)] = false;
            }
            done[static_cast<std::size_t>(p)] = true;
            --left;
            moved = true;
        }
        if (moved) continue;
        // Only rings are left: park one block so that its slot comes free.
        for (int p = 1; p <= count; ++p) {
            const int j = source[static_cast<std::size_t>(p)];
            if (done[static_cast<std::size_t>(p)] || j <= 0) continue;
            if (!spare) spare = std::make_unique<RcMemberChecks>();
            std::memcpy(static_cast<void*>(spare.get()), &blocks[j], sizeof blocks[j]);
            waiting[static_cast<std::size_t>(j)] = false;
            source[static_cast<std::size_t>(p)] = kSpare;
            break;
        }
    }
}

// Builds the RC member in slot p from the frame member and the results.
// A new member starts from a cleared block (its section made from the
// frame's when the RC sections lack it); a kept one keeps its section, and
// each of its points the added heights and per-case settings of the old
// point at the same place, each setting under the combination it was made
// for (caseFrom: as BuildCheckCases returns).
void BuildMember(RcCheckData& rc, const FrameResults& results, const FrameModel& model, int p,
                 bool isNew, int oldCases, const std::vector<int>& caseFrom) {
    const int cases = rc.checkCaseCount;
    const FrameMember& fm = model.members[p];
    RcMemberChecks& m = rc.memberChecks[p];
    const int oldPoints = isNew ? 0 : CheckedCount(m.pointCount, kRcMaxPoints);
    m.memberNo = fm.no;
    std::string name = Trim(FitTextLength(fm.name, 40));
    if (name.empty()) name = FormatStr("%s%d", "部材."_sj.c_str(), fm.no);
    SetRcText(m.name, kRcNameSize, name);
    if (m.sectionNo == 0) m.sectionNo = fm.sectionNo;
    if (isNew && rc.sectionCount > 0) AddDefaultRcSection(rc, model, m.sectionNo);
    m.length = fm.length;
    std::memcpy(&m.memberWord, &fm.reserved1, sizeof(float));
    const int sec = FindRcSection(rc, m.sectionNo);
    const RcSection& s = rc.sections[sec];
    if (isNew) m.b = s.b, m.h = s.h;
    // The section's width where there is one; a fresh strip is 1 m wide.
    const float b = sec > 0 ? s.b : 1000.0f;

    // The points the results give: labelled or named points, then the
    // M-max and M-min rows.
    const bool hasResults = p <= results.memberCount && p < kResultMemberSlots;
    const int n = hasResults ? CheckedCount(results.member[p].pointCount, kMaxResultPoints) : 0;
    const int firstBlock = ComboBlockIndex(results, 1);
    std::vector<NewPoint> pts;
    for (int k = 1; k <= n && static_cast<int>(pts.size()) < kRcMaxRegularPoints; ++k) {
        const ResultMember& rm = results.member[p];
        std::string label = Trim(FitTextLength(rm.pointLabel[k], 20));
        if (label.empty() && rm.pointKind[k] != 2) continue;
        if (label.empty()) {
            double x = rm.pointPos[k];
            if (cases >= 1 && firstBlock < kResultCaseSlots)
                x = results.block[firstBlock].members[p].values[kQtyPos][k];
            label = FormatStr("%0.3f", x);
        }
        pts.push_back({k, label, rm.pointPos[k]});
    }
    const auto extremePos = [&](int k) -> double {
        if (!hasResults || cases < 1 || firstBlock >= kResultCaseSlots) return 0.0;
        return results.block[firstBlock].members[p].values[kQtyPos][k];
    };
    pts.push_back({n + 1, "M-max", extremePos(n + 1)});
    pts.push_back({n + 2, "M-min", extremePos(n + 2)});
    const int count = static_cast<int>(pts.size());

    // Each point takes over the old point at its place.
    const std::vector<int> from = MatchPoints(m, oldPoints, oldCases, pts);
    bool inPlace = true;
    for (int i = 1; i <= count; ++i)
        inPlace = inPlace && (from[static_cast<std::size_t>(i)] == i ||
                              from[static_cast<std::size_t>(i)] == 0);
    if (!inPlace) {
        const std::vector<RcPointCheck> old(m.points + 1, m.points + 1 + oldPoints);
        for (int i = 1; i <= count; ++i) {
            const int j = from[static_cast<std::size_t>(i)];
            if (j > 0) m.points[i] = old[static_cast<std::size_t>(j - 1)];
        }
    }
    for (int i = 1; i <= count; ++i) {
        const bool fresh = from[static_cast<std::size_t>(i)] == 0;
        RcPointCheck& pt = m.points[i];
        if (fresh)
            std::memset(static_cast<void*>(&pt), 0, sizeof pt);
        else
            MoveCaseEntries(pt, caseFrom);
        const NewPoint& q = pts[static_cast<std::size_t>(i - 1)];
        SetRcText(pt.name, kRcPointNameSize, q.label);
        pt.position = static_cast<float>(q.position);
        // A kept point keeps the width it has (its section's, or one typed
        // for it); the member check brings it up to a changed section.
        if (fresh) pt.b = b;
        FillPointForces(pt, results, hasResults ? p : 0, q.k, cases);
        // Entries that did not exist before (a new point, a new
        // combination) have no switches yet.
        for (int t = 1; t <= cases; ++t)
            if (fresh || caseFrom[static_cast<std::size_t>(t)] == 0)
                ApplyCheckTypeToEntry(pt.cases[t], s, rc.checkCases[t].checkType);
    }
    m.pointCount = count;
    m.points[0] = m.points[1];
}

}  // namespace

int RcCheckTypeFromName(const std::string& name) {
    const std::vector<std::string> c = SplitChars(UpperCase(ZenToHan(name)));
    const bool l = HasChars(c, "L") || HasChars(c, "ﾚ"_sj);
    int type = 1;
    if (HasChars(c, "地震"_sj) || (l && HasChars(c, "1"))) type = 2;
    if (l && HasChars(c, "2")) type = 3;
    return type;
}

int FindRcSection(const RcCheckData& rc, int sectionNo) {
    const int count = CheckedCount(rc.sectionCount, kRcMaxSections);
    for (int i = 1; i <= count; ++i) {
        if (rc.sections[i].no == sectionNo) return i;
    }
    return 0;
}

int UsableRcSection(const RcCheckData& rc, int sectionNo) {
    const int i = FindRcSection(rc, sectionNo);
    if (i == 0) return 0;
    const RcSection& s = rc.sections[i];
    return s.b > 0.0f && s.h > 0.0f ? i : 0;
}

int HalfBarDepth(float d1, float d2) {
    const int dmax = static_cast<int>(std::max(d1, d2));
    return (dmax + 1) / 2;
}

void BuildRcCheckData(RcCheckData& rc, const FrameResults& results, const FrameModel& model) {
    const int oldMembers = CheckedCount(rc.memberCount, kRcMaxMembers);
    // Without members there are no RC data (a new model, a file without
    // them, data the user discarded): the check cases left in the record
    // belong to no one, and must not lend their types to combinations that
    // happen to have the same numbers.
    const int oldCases = oldMembers > 0 ? CheckedCount(rc.checkCaseCount, kRcMaxCheckCases) : 0;
    // Every combination keeps its check type and the per-point settings
    // made for it, wherever the model now lists it.
    const std::vector<int> caseFrom = BuildCheckCases(rc, model, oldCases);
    const int count = CheckedCount(model.memberCount, kRcMaxMembers);
    // Every member keeps its own block, wherever the frame now lists it;
    // the blocks of removed members go, new members start from defaults.
    const std::vector<int> from = MatchMembersByNumber(rc, oldMembers, model, count);
    MoveMemberBlocks(rc, from, count);
    rc.memberCount = count;
    rc.forcesMissing = results.memberCount <= 0;
    for (int p = 1; p <= count; ++p)
        BuildMember(rc, results, model, p, from[static_cast<std::size_t>(p)] == 0, oldCases,
                    caseFrom);
}

void CopySectionSizeToPoints(RcCheckData& rc) {
    for (int p = 1; p <= CheckedCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        m.b = s.b;
        m.h = s.h;
        for (int k = 0; k <= CheckedCount(m.pointCount, kRcMaxPoints); ++k) {
            m.points[k].b = s.b;
            m.points[k].set1.h = s.h;
        }
        for (int t = 0; t < kRcCaseSlots; ++t) {
            m.maxSet1[t].h = m.minSet1[t].h = m.maxSet2[t].h = m.minSet2[t].h = s.h;
        }
    }
}

void ApplyCheckTypeToEntry(RcCaseCheck& c, const RcSection& s, int checkType) {
    c.sgCK = c.muCK = c.tuCK = c.vyCK = 0;
    if (checkType > 2) {
        c.muCK = c.vyCK = 1;
    } else {
        c.sgCK = c.tuCK = 1;
        const bool type1 = checkType == 1;
        c.sca = type1 ? s.sca1 : s.sca2;
        c.ssa = type1 ? s.ssa1 : s.ssa2;
        c.taBase = type1 ? s.ta1 : s.ta2;
        c.tsa = type1 ? s.tsa1 : s.tsa2;
        c.fa = type1 ? s.fa1 : s.fa2;
    }
    c.fck = s.fck;
    c.fyk = s.fyk;
    c.fwk = s.fwk;
    c.ec = s.ec;
    c.es = s.es;
    c.gc = c.gs = c.gbm = c.gbc = c.gbs = c.ga = c.gi = 1.0f;
}

void ApplyCheckTypes(RcCheckData& rc) {
    const int cases = CheckedCount(rc.checkCaseCount, kRcMaxCheckCases);
    for (int p = 1; p <= CheckedCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        for (int k = 1; k <= CheckedCount(m.pointCount, kRcMaxPoints); ++k) {
            for (int t = 0; t <= cases; ++t) {
                // The envelope (t = 0) has type 0 and is set like type 2.
                const int type = t == 0 ? 0 : rc.checkCases[t].checkType;
                ApplyCheckTypeToEntry(m.points[k].cases[t], s, type);
            }
        }
    }
}

void CopySectionBarsToPoints(RcCheckData& rc, int member) {
    if (member < 1 || member > CheckedCount(rc.memberCount, kRcMaxMembers)) return;
    RcMemberChecks& m = rc.memberChecks[member];
    const RcSection& s = SectionOf(rc, m);
    const int c1 = HalfBarDepth(s.outer.d1, s.outer.d2);
    const int c2 = HalfBarDepth(s.inner.d1, s.inner.d2);
    const float as1 = static_cast<float>(RebarArea(static_cast<int>(s.outer.d1), s.outer.n1) +
                                         RebarArea(static_cast<int>(s.outer.d2), s.outer.n2));
    const float as2 = static_cast<float>(RebarArea(static_cast<int>(s.inner.d1), s.inner.n1) +
                                         RebarArea(static_cast<int>(s.inner.d2), s.inner.n2));
    // Every point shows its stirrup area, also one no case checks.
    const float aw = static_cast<float>(RebarArea(static_cast<int>(s.stirrupD), s.stirrupLegs));
    // The points follow their section's width: a point still at the width
    // the member had takes the section's new one; a width typed for one
    // point in the check sheet stays that point's.
    const float oldWidth = m.b;
    m.b = s.b;
    m.h = s.h;
    for (int k = 0; k <= CheckedCount(m.pointCount, kRcMaxPoints); ++k) {
        RcPointCheck& pt = m.points[k];
        if (pt.b == oldWidth || !(pt.b > 0.0f)) pt.b = s.b;
        pt.outer = s.outer;
        pt.inner = s.inner;
        pt.stirrupD = s.stirrupD;
        pt.stirrupLegs = s.stirrupLegs;
        pt.stirrupPitch = s.stirrupPitch;
        pt.as1 = as1;
        pt.as2 = as2;
        pt.aw = aw;
        const RcDepths d{s.h + pt.t1 + pt.t2, pt.t1 + s.k1 + c1, pt.t2 + s.k2 + c2};
        pt.set1 = d;
        pt.set2 = d;
        pt.es = s.es;
        pt.ec = s.ec;
    }
    const RcDepthSet plain{s.h, s.k1 + c1, s.k2 + c2};
    for (int t = 0; t < kRcCaseSlots; ++t) {
        m.maxSet1[t] = m.minSet1[t] = m.maxSet2[t] = m.minSet2[t] = plain;
    }
}

void ApplyCoversToPoints(RcCheckData& rc) {
    for (int p = 1; p <= CheckedCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        const float d1 = std::trunc(s.k1 + HalfBarDepth(s.outer.d1, s.outer.d2));
        const float d2 = std::trunc(s.k2 + HalfBarDepth(s.inner.d1, s.inner.d2));
        for (int k = 0; k <= CheckedCount(m.pointCount, kRcMaxPoints); ++k) {
            m.points[k].set1.d1 = m.points[k].set2.d1 = d1;
            m.points[k].set1.d2 = m.points[k].set2.d2 = d2;
        }
        for (int t = 0; t < kRcCaseSlots; ++t) {
            for (RcDepthSet* set : {m.maxSet1, m.minSet1, m.maxSet2, m.minSet2}) {
                set[t].d1 = d1;
                set[t].d2 = d2;
            }
        }
    }
}

std::string PointPositionText(const RcMemberChecks& member, int point, int checkCase, bool fromJ) {
    if (point < 0 || point >= kRcPointSlots || checkCase < 0 || checkCase >= kRcCaseSlots)
        return "";
    const double length = member.length;
    double pos = member.points[point].cases[checkCase].bend.x;
    if (fromJ) pos = length - pos;
    const char* near = fromJ ? "j" : "i";
    const char* far = fromJ ? "i" : "j";
    if (pos < length / 2 + 0.001) return FormatStr("%s%s%0.3f", near, "→"_sj.c_str(), pos);
    return FormatStr("%0.3f%s%s", length - pos, "←"_sj.c_str(), far);
}
