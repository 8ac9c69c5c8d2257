#include "rccheck/rc_prepare.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
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

int ClampCount(int n, int max) { return n < 0 ? 0 : (n > max ? max : n); }

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
            f.n = Clamp(-Round2(r.values[kQtyN][k]), 1e6);
            f.disp = Clamp(Round5(r.values[kQtyDisp][k]), 100.0);
        }
        pt.cases[t].shear = f;
    }
}

void BuildCheckCases(RcCheckData& rc, const FrameModel& model) {
    const int oldCount = rc.checkCaseCount;
    rc.checkCaseCount = ClampCount(model.combinationCount, kRcMaxCheckCases);
    for (int q = 1; q <= rc.checkCaseCount; ++q) {
        const KumiCase& k = model.combinations[q];
        RcCheckCase& c = rc.checkCases[q];
        // A type the user set stays while the case still means the same
        // combination.
        const bool keep = q <= oldCount && c.comboNo == k.no && c.checkType >= 1 &&
                          c.checkType <= 3;
        c.comboNo = k.no;
        SetRcText(c.name, kRcNameSize, Trim(k.name));
        if (!keep) c.checkType = RcCheckTypeFromName(c.name);
    }
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
    const int count = ClampCount(rc.sectionCount, kRcMaxSections);
    for (int i = 1; i <= count; ++i) {
        if (rc.sections[i].no == sectionNo) return i;
    }
    return 0;
}

int HalfBarDepth(float d1, float d2) {
    const int dmax = static_cast<int>(std::max(d1, d2));
    return (dmax + 1) / 2;
}

void BuildRcCheckData(RcCheckData& rc, const FrameResults& results, const FrameModel& model) {
    const int oldMembers = rc.memberCount;
    const int oldCases = rc.checkCaseCount;
    BuildCheckCases(rc, model);
    const int cases = rc.checkCaseCount;
    rc.memberCount = ClampCount(model.memberCount, kRcMaxMembers);
    for (int p = 1; p <= rc.memberCount; ++p) {
        const FrameMember& fm = model.members[p];
        RcMemberChecks& m = rc.memberChecks[p];
        const int oldPoints = p <= oldMembers ? ClampCount(m.pointCount, kRcMaxPoints) : 0;
        m.memberNo = fm.no;
        std::string name = Trim(FitTextLength(fm.name, 40));
        if (name.empty()) name = FormatStr("%s%d", "部材."_sj.c_str(), fm.no);
        SetRcText(m.name, kRcNameSize, name);
        if (m.sectionNo == 0) m.sectionNo = fm.sectionNo;
        m.length = fm.length;
        std::memcpy(&m.memberWord, &fm.reserved1, sizeof(float));
        const int sec = FindRcSection(rc, m.sectionNo);
        // The section's width where there is one; a fresh strip is 1 m wide.
        const float b = sec > 0 ? rc.sections[sec].b : 1000.0f;

        const bool hasResults = p <= results.memberCount && p < kResultMemberSlots;
        const int n = hasResults ? std::clamp(results.member[p].pointCount, 0, kMaxResultPoints) : 0;
        const int firstBlock = ComboBlockIndex(results, 1);
        int count = 0;
        auto take = [&](int k, const std::string& label, double position) {
            RcPointCheck& pt = m.points[++count];
            SetRcText(pt.name, kRcPointNameSize, label);
            pt.position = static_cast<float>(position);
            pt.b = b;
            FillPointForces(pt, results, hasResults ? p : 0, k, cases);
        };
        for (int k = 1; k <= n && count < kRcMaxRegularPoints; ++k) {
            const ResultMember& rm = results.member[p];
            std::string label = Trim(FitTextLength(rm.pointLabel[k], 20));
            if (label.empty() && rm.pointKind[k] != 2) continue;
            if (label.empty()) {
                double x = rm.pointPos[k];
                if (cases >= 1 && firstBlock < kResultCaseSlots)
                    x = results.block[firstBlock].members[p].values[kQtyPos][k];
                label = FormatStr("%0.3f", x);
            }
            take(k, label, rm.pointPos[k]);
        }
        const auto extremePos = [&](int k) -> double {
            if (!hasResults || cases < 1 || firstBlock >= kResultCaseSlots) return 0.0;
            return results.block[firstBlock].members[p].values[kQtyPos][k];
        };
        take(n + 1, "M-max", extremePos(n + 1));
        take(n + 2, "M-min", extremePos(n + 2));
        m.pointCount = count;
        m.points[0] = m.points[1];

        // Entries that did not exist before have no switches yet.
        const RcSection& s = rc.sections[sec];
        for (int k = 1; k <= count; ++k) {
            for (int t = 1; t <= cases; ++t) {
                if (k > oldPoints || t > oldCases)
                    ApplyCheckTypeToEntry(m.points[k].cases[t], s, rc.checkCases[t].checkType);
            }
        }
    }
}

void CopySectionSizeToPoints(RcCheckData& rc) {
    for (int p = 1; p <= ClampCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        m.b = s.b;
        m.h = s.h;
        for (int k = 0; k <= ClampCount(m.pointCount, kRcMaxPoints); ++k) {
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
    const int cases = ClampCount(rc.checkCaseCount, kRcMaxCheckCases);
    for (int p = 1; p <= ClampCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        for (int k = 1; k <= ClampCount(m.pointCount, kRcMaxPoints); ++k) {
            for (int t = 0; t <= cases; ++t) {
                // The envelope (t = 0) has type 0 and is set like type 2.
                const int type = t == 0 ? 0 : rc.checkCases[t].checkType;
                ApplyCheckTypeToEntry(m.points[k].cases[t], s, type);
            }
        }
    }
}

void CopySectionBarsToPoints(RcCheckData& rc, int member) {
    if (member < 1 || member > ClampCount(rc.memberCount, kRcMaxMembers)) return;
    RcMemberChecks& m = rc.memberChecks[member];
    const RcSection& s = SectionOf(rc, m);
    const int c1 = HalfBarDepth(s.outer.d1, s.outer.d2);
    const int c2 = HalfBarDepth(s.inner.d1, s.inner.d2);
    const float as1 = static_cast<float>(RebarArea(static_cast<int>(s.outer.d1), s.outer.n1) +
                                         RebarArea(static_cast<int>(s.outer.d2), s.outer.n2));
    const float as2 = static_cast<float>(RebarArea(static_cast<int>(s.inner.d1), s.inner.n1) +
                                         RebarArea(static_cast<int>(s.inner.d2), s.inner.n2));
    for (int k = 0; k <= ClampCount(m.pointCount, kRcMaxPoints); ++k) {
        RcPointCheck& pt = m.points[k];
        pt.outer = s.outer;
        pt.inner = s.inner;
        pt.stirrupD = s.stirrupD;
        pt.stirrupLegs = s.stirrupLegs;
        pt.stirrupPitch = s.stirrupPitch;
        pt.as1 = as1;
        pt.as2 = as2;
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
    for (int p = 1; p <= ClampCount(rc.memberCount, kRcMaxMembers); ++p) {
        RcMemberChecks& m = rc.memberChecks[p];
        const RcSection& s = SectionOf(rc, m);
        const float d1 = std::trunc(s.k1 + HalfBarDepth(s.outer.d1, s.outer.d2));
        const float d2 = std::trunc(s.k2 + HalfBarDepth(s.inner.d1, s.inner.d2));
        for (int k = 0; k <= ClampCount(m.pointCount, kRcMaxPoints); ++k) {
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
