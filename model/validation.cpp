// Input validation before every analysis.
//
// Each check runs over all slots of its table before the next check starts,
// so the messages come grouped by check. Only the first kMaxValidationLines
// lines are kept, and collecting stops once they are full: a model of 800
// equal nodes would otherwise build a third of a million messages.
#include "model/validation.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"

namespace {

// Collects one message beyond the kept ones, only to learn that there are
// more: the text then ends with a line that says so, so that nobody takes
// the 25 lines for all the problems.
class Messages {
  public:
    bool Full() const { return lines_ > kMaxValidationLines; }
    void Add(const std::string& line) {
        if (Full()) return;
        if (++lines_ > kMaxValidationLines) return;
        text_ += line;
        text_ += '\n';
    }
    std::string Text() const {
        return lines_ > kMaxValidationLines ? text_ + "ほかにも問題があります（省略しました）.\n"_sj
                                            : text_;
    }

  private:
    std::string text_;
    int lines_ = 0;
};

// Slots a loop may visit: the count, but never beyond the table.
int Slots(int count, int capacity) { return std::clamp(count, 0, capacity); }

// The largest size of an input number the engine is given. Its results
// are 32-bit floats (up to 3.4e38); products of two inputs up to 1e15 stay
// far below that, so only a badly conditioned model can still overflow
// (the analysis then reports the load case). Not a number fails too.
constexpr double kMaxInputSize = 1e15;
bool Computable(double v) { return std::fabs(v) <= kMaxInputSize; }
template <typename... T>
bool Computable(double v, T... more) {
    return Computable(v) && Computable(more...);
}
// The end of the messages about such numbers.
std::string TooLarge() { return "の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj; }

// Whether the numbers a load of its code uses are computable (the fields a
// code does not use may hold anything).
bool LoadComputable(const LoadRecord& r) {
    if (r.code >= kLoadDistAxial && r.code <= kLoadDistY)
        return Computable(r.qI, r.qJ, r.distI, r.distJ);
    if (r.code >= kLoadConcAxial && r.code <= kLoadConcMoment) return Computable(r.qI, r.distI);
    if (r.code == kLoadTemperature) return Computable(r.qI);
    if (r.code == kLoadNodal) return Computable(r.qI, r.qJ, r.distI);
    return true;
}

// Loads further than this (m) outside their member or run are refused;
// the analysis takes a load this close to an end as lying at the end.
constexpr double kLoadEndTolerance = 0.0001;

// Length of the member in slot m from its nodes' coordinates (the derived
// length of the record may be stale).
double MemberLength(const FrameModel& m, int slot) {
    double xi, yi, xj, yj;
    GetMemberEnds(m, xi, yi, xj, yj, slot);
    return static_cast<float>(SafeSqrt((xj - xi) * (xj - xi) + (yj - yi) * (yj - yi)));
}

bool IsKnownLoadCode(int code) {
    switch (code) {
        case kLoadDistAxial:
        case kLoadDistPerp:
        case kLoadDistX:
        case kLoadDistY:
        case kLoadConcAxial:
        case kLoadConcPerp:
        case kLoadConcX:
        case kLoadConcY:
        case kLoadConcMoment:
        case kLoadTemperature:
        case kLoadNodal:
            return true;
        default:
            return false;
    }
}

// Rows 1-10: counts over the capacity of their tables.
void CheckCapacities(const FrameModel& m, Messages& out) {
    auto over = [&](const std::string& format, int capacity, int count) {
        if (count > capacity) out.Add(FormatStr(format.c_str(), capacity, count));
    };
    over("格点数オーバー %d < %d"_sj, kMaxNodes, m.nodeCount);
    over("部材数オーバー %d < %d"_sj, kMaxMembers, m.memberCount);
    over("材質数オーバー %d < %d"_sj, kMaxMaterials, m.materialCount);
    over("断面数オーバー %d < %d"_sj, kMaxSections, m.sectionCount);
    over("支点ケースオーバー %d < %d"_sj, kMaxSupportCases, m.supportCaseCount);
    over("ばねケースオーバー %d < %d"_sj, kMaxSpringCases, m.springCaseCount);
    over("着目点部材数オーバー %d < %d"_sj, kMaxView2, m.view2Count);
    over("荷重ケース数オーバー %d < %d"_sj, kMaxLoadCases, m.loadCaseCount);
    int largest = 0;
    for (int c = 1; c <= Slots(m.loadCaseCount, kMaxLoadCases); ++c)
        largest = std::max(largest, m.loadCases[c].count);
    over("荷重データ数オーバー %d < %d"_sj, kMaxLoads, largest);
    over("組合ケース数オーバー %d < %d"_sj, kMaxCombinations, m.combinationCount);
}

// Reports every later slot whose number repeats an earlier one (pairs k < l).
template <typename NoOf>
void CheckDuplicateNumbers(int count, NoOf noOf, const std::string& format, Messages& out) {
    for (int k = 1; k <= count && !out.Full(); ++k)
        for (int l = k + 1; l <= count; ++l)
            if (noOf(k) == noOf(l)) out.Add(FormatStr(format.c_str(), noOf(k)));
}

// Rows 11-19.
void CheckMembers(const FrameModel& m, Messages& out) {
    const int n = Slots(m.memberCount, kMaxMembers);
    if (n == 0) out.Add("部材：定義がありません."_sj);
    const FrameMember* mem = m.members;
    for (int k = 1; k <= n; ++k)
        if (FindNodeIndex(m, mem[k].nodeI) == 0)
            out.Add(FormatStr("部材：No.%d、ｉ端格点 No.%d の定義がありません."_sj.c_str(),
                              mem[k].no, mem[k].nodeI));
    for (int k = 1; k <= n; ++k)
        if (FindNodeIndex(m, mem[k].nodeJ) == 0)
            out.Add(FormatStr("部材：No.%d、ｊ端格点 No.%d の定義がありません."_sj.c_str(),
                              mem[k].no, mem[k].nodeJ));
    for (int k = 1; k <= n; ++k)
        if (FindSectionIndex(m, mem[k].sectionNo) == 0)
            out.Add(FormatStr("部材：No.%d、断面 No.%d の定義がありません."_sj.c_str(), mem[k].no,
                              mem[k].sectionNo));
    for (int k = 1; k <= n; ++k)
        if (FindMaterialIndex(m, mem[k].materialNo) == 0)
            out.Add(FormatStr("部材：No.%d、材質 No.%d の定義がありません."_sj.c_str(), mem[k].no,
                              mem[k].materialNo));
    for (int k = 1; k <= n; ++k)
        if (mem[k].nodeI == mem[k].nodeJ)
            out.Add(FormatStr("部材：No.%d、I,J 格点が同一です."_sj.c_str(), mem[k].no));
    CheckDuplicateNumbers(
        n, [&](int k) { return mem[k].no; }, "部材：No.%d が重複しています."_sj, out);
    const std::string& twice = "部材：No.%d と No.%d が重複しています."_sj;
    for (int k = 1; k <= n && !out.Full(); ++k)
        for (int l = k + 1; l <= n; ++l)
            if (mem[k].nodeI == mem[l].nodeI && mem[k].nodeJ == mem[l].nodeJ)
                out.Add(FormatStr(twice.c_str(), mem[k].no, mem[l].no));
    for (int k = 1; k <= n && !out.Full(); ++k)
        for (int l = k + 1; l <= n; ++l)
            if (mem[k].nodeI == mem[l].nodeJ && mem[k].nodeJ == mem[l].nodeI)
                out.Add(FormatStr(twice.c_str(), mem[k].no, mem[l].no));
    for (int k = 1; k <= n; ++k)
        if (!Computable(mem[k].rigidI, mem[k].rigidJ))
            out.Add(FormatStr("部材：No.%d、剛域長"_sj.c_str(), mem[k].no) + TooLarge());
}

// Rows 20-29.
void CheckNodesSectionsMaterials(const FrameModel& m, Messages& out) {
    const int nodes = Slots(m.nodeCount, kMaxNodes);
    if (nodes < 2) out.Add("格点：定義は２点以上必要です."_sj);
    const FramePoint* p = m.nodes;
    for (int k = 1; k <= nodes && !out.Full(); ++k)
        for (int l = k + 1; l <= nodes; ++l)
            if (p[k].x == p[l].x && p[k].y == p[l].y)
                out.Add(FormatStr("格点：No.%d と No.%d の座標が重複しています."_sj.c_str(),
                                  p[k].no, p[l].no));
    CheckDuplicateNumbers(
        nodes, [&](int k) { return p[k].no; }, "格点：No.%d が重複しています."_sj, out);
    for (int k = 1; k <= nodes; ++k)
        if (!Computable(p[k].x, p[k].y))
            out.Add(FormatStr("格点：No.%d、座標"_sj.c_str(), p[k].no) + TooLarge());

    const int sections = Slots(m.sectionCount, kMaxSections);
    if (sections == 0) out.Add("断面：定義がありません."_sj);
    // "Not above 0" so that a NaN fails as well.
    // A negative value is named as such, not as zero.
    for (int k = 1; k <= sections; ++k)
        if (m.sections[k].area < 0.0f)
            out.Add("断面：面積が負の定義があります."_sj);
        else if (!(m.sections[k].area > 0.0f))
            out.Add("断面：面積がゼロの定義があります."_sj);
    for (int k = 1; k <= sections; ++k)
        if (m.sections[k].inertia < 0.0f)
            out.Add("断面：断面二次モーメントが負の定義があります."_sj);
        else if (!(m.sections[k].inertia > 0.0f))
            out.Add("断面：断面二次モーメントがゼロの定義があります."_sj);
    CheckDuplicateNumbers(
        sections, [&](int k) { return m.sections[k].no; }, "断面：No.%d が重複しています."_sj, out);
    for (int k = 1; k <= sections; ++k)
        if (!Computable(m.sections[k].area, m.sections[k].inertia))
            out.Add(
                FormatStr("断面：No.%d、面積又は断面二次モーメント"_sj.c_str(), m.sections[k].no) +
                TooLarge());

    const int materials = Slots(m.materialCount, kMaxMaterials);
    if (materials == 0) out.Add("材質：定義がありません."_sj);
    for (int k = 1; k <= materials; ++k)
        if (m.materials[k].e == 0.0f) out.Add("材質：ヤング係数がゼロの定義があります."_sj);
    // A negative modulus makes a frame that pushes back the wrong way.
    for (int k = 1; k <= materials; ++k)
        if (m.materials[k].e < 0.0f)
            out.Add(
                FormatStr("材質：No.%d、ヤング係数が負の値です."_sj.c_str(), m.materials[k].no));
    CheckDuplicateNumbers(
        materials, [&](int k) { return m.materials[k].no; }, "材質：No.%d が重複しています."_sj,
        out);
    for (int k = 1; k <= materials; ++k)
        if (!Computable(m.materials[k].e, m.materials[k].alpha))
            out.Add(
                FormatStr("材質：No.%d、ヤング係数又は線膨張係数"_sj.c_str(), m.materials[k].no) +
                TooLarge());
}

// Rows 30-32.
void CheckViewPoints(const FrameModel& m, Messages& out) {
    const int ranges = Slots(m.view1Count, kMaxView1);
    for (int k = 1; k <= ranges; ++k)
        if (FindMemberIndex(m, m.view1[k].firstMember) == 0)
            out.Add(FormatStr(
                "着目点(View1-等分割)：No.%d、始点部材 No.%d の定義がありません."_sj.c_str(), k,
                m.view1[k].firstMember));
    for (int k = 1; k <= ranges; ++k)
        if (m.view1[k].lastMember != 0 && FindMemberIndex(m, m.view1[k].lastMember) == 0)
            out.Add(FormatStr(
                "着目点(View1-等分割)：No.%d、終点部材 No.%d の定義がありません."_sj.c_str(), k,
                m.view1[k].lastMember));
    const int entries = Slots(m.view2Count, kMaxView2);
    for (int k = 1; k <= entries; ++k)
        if (FindMemberIndex(m, m.view2[k].memberNo) == 0)
            out.Add(FormatStr(
                "着目点(View2-任意位置)：No.%d、部材 No.%d の定義がありません."_sj.c_str(), k,
                m.view2[k].memberNo));
    // A point beyond its member's end is kept (the member may be short for a
    // moment while its nodes are typed) and named here.
    for (int k = 1; k <= entries; ++k) {
        const View2Member& v = m.view2[k];
        const int mi = FindMemberIndex(m, v.memberNo);
        // A member without its nodes has no length to measure by (its
        // nodes are named above).
        if (mi == 0 || FindNodeIndex(m, m.members[mi].nodeI) == 0 ||
            FindNodeIndex(m, m.members[mi].nodeJ) == 0)
            continue;
        double xi, yi, xj, yj;
        GetMemberEnds(m, xi, yi, xj, yj, mi);
        const double length = Distance(xi, yi, xj, yj);
        for (int p = 1; p <= Slots(v.count, kMaxViewPoints); ++p)
            if (Computable(v.dist[p]) && v.dist[p] > length + 0.0005)
                out.Add(FormatStr(
                    "着目点(View2-任意位置)：部材 No.%d の %.3f m は部材長 %.3f m を超えています."_sj
                        .c_str(),
                    v.memberNo, v.dist[p], length));
    }
    for (int k = 1; k <= entries; ++k) {
        const View2Member& v = m.view2[k];
        bool computable = true;
        for (int p = 1; p <= Slots(v.count, kMaxViewPoints); ++p)
            computable = computable && Computable(v.dist[p]);
        if (!computable)
            out.Add(FormatStr("着目点(View2-任意位置)：No.%d、位置"_sj.c_str(), k) + TooLarge());
    }
}

// Rows 33-40.
void CheckSupportsAndSprings(const FrameModel& m, Messages& out) {
    const int supt = Slots(m.supportCaseCount, kMaxSupportCases);
    const SuptCase* sc = m.supportCases;
    for (int c = 1; c <= supt; ++c)
        if (sc[c].count <= 0)
            out.Add(FormatStr("支点ｹｰｽ：No.%d：支点データがありません."_sj.c_str(), sc[c].no));
    for (int c = 1; c <= supt && !out.Full(); ++c)
        for (int k = 1; k <= Slots(sc[c].count, kMaxSupportEntries); ++k)
            if (FindNodeIndex(m, sc[c].entries[k].nodeNo) == 0)
                out.Add(FormatStr(
                    "支点ｹｰｽ No.%d、支点 No.%d：格点 No.%d の定義がありません."_sj.c_str(),
                    sc[c].no, k, sc[c].entries[k].nodeNo));
    for (int c = 1; c <= supt && !out.Full(); ++c)
        for (int k = 1; k <= Slots(sc[c].count, kMaxSupportEntries); ++k) {
            const int code = sc[c].entries[k].code;
            if (code < kSupportPin || code > kSupportSpring)
                out.Add(FormatStr(
                    "支点ｹｰｽ No.%d、支点 No.%d：無効な支点コード(%d)があります."_sj.c_str(),
                    sc[c].no, k, code));
        }
    // A node supported twice in one case would carry its reaction twice
    // (and the combinations only one of them).
    for (int c = 1; c <= supt && !out.Full(); ++c) {
        const int n = Slots(sc[c].count, kMaxSupportEntries);
        for (int k = 1; k <= n && !out.Full(); ++k)
            for (int l = k + 1; l <= n; ++l)
                if (sc[c].entries[k].nodeNo == sc[c].entries[l].nodeNo) {
                    out.Add(FormatStr(
                        "支点ｹｰｽ No.%d、支点 No.%d：格点 No.%d は支点 No.%d と重複しています."_sj
                            .c_str(),
                        sc[c].no, l, sc[c].entries[l].nodeNo, k));
                    break;
                }
    }
    CheckDuplicateNumbers(
        supt, [&](int k) { return sc[k].no; }, "支点ｹｰｽ No.%d が重複しています."_sj, out);
    for (int c = 1; c <= supt && !out.Full(); ++c)
        for (int k = 1; k <= Slots(sc[c].count, kMaxSupportEntries); ++k) {
            const SuptEntry& e = sc[c].entries[k];
            if (!Computable(e.kx, e.ky, e.km))
                out.Add(FormatStr("支点ｹｰｽ No.%d、支点 No.%d：ばね定数"_sj.c_str(), sc[c].no, k) +
                        TooLarge());
        }

    const int bane = Slots(m.springCaseCount, kMaxSpringCases);
    const BaneCase* bc = m.springCases;
    for (int c = 1; c <= bane; ++c)
        if (bc[c].count <= 0)
            out.Add(FormatStr("分布バネ･ｹｰｽ No.%d：ばねデータがありません."_sj.c_str(), bc[c].no));
    for (int c = 1; c <= bane && !out.Full(); ++c)
        for (int k = 1; k <= Slots(bc[c].count, kMaxSpringEntries); ++k)
            if (FindMemberIndex(m, bc[c].entries[k].memberNo) == 0)
                out.Add(FormatStr("分布バネ･ｹｰｽ No.%d：部材 No.%d の定義がありません."_sj.c_str(),
                                  bc[c].no, bc[c].entries[k].memberNo));
    for (int c = 1; c <= bane && !out.Full(); ++c)
        for (int k = 1; k <= Slots(bc[c].count, kMaxSpringEntries); ++k)
            if (bc[c].entries[k].kv == 0.0f && bc[c].entries[k].ku == 0.0f)
                out.Add(
                    FormatStr("分布バネ･ｹｰｽ No.%d：部材 No.%d 分布バネ定数がゼロです."_sj.c_str(),
                              bc[c].no, bc[c].entries[k].memberNo));
    CheckDuplicateNumbers(
        bane, [&](int k) { return bc[k].no; }, "分布バネ･ｹｰｽ No.%d が重複しています."_sj, out);
    for (int c = 1; c <= bane && !out.Full(); ++c)
        for (int k = 1; k <= Slots(bc[c].count, kMaxSpringEntries); ++k) {
            const BaneEntry& e = bc[c].entries[k];
            if (!Computable(e.kv, e.ku))
                out.Add(FormatStr("分布バネ･ｹｰｽ No.%d：部材 No.%d 分布バネ定数"_sj.c_str(),
                                  bc[c].no, e.memberNo) +
                        TooLarge());
        }
}

// A load on a member (or a run of members, memberFrom..memberTo in number
// order) must lie on it: the position of a concentrated load or couple
// between its ends, a distributed load's stretch within them. The analysis
// would drop such a load, or the part of it outside, without a word.
void CheckLoadPosition(const FrameModel& m, const LoadCase& lc, int k, Messages& out) {
    const LoadRecord& r = lc.loads[k];
    const bool concentrated = r.code >= kLoadConcAxial && r.code <= kLoadConcMoment;
    const bool distributed = r.code >= kLoadDistAxial && r.code <= kLoadDistY;
    if (!concentrated && !distributed) return;
    if (!LoadComputable(r)) return;  // reported above
    if (FindMemberIndex(m, r.memberFrom) == 0) return;
    if (r.memberTo != 0 && FindMemberIndex(m, r.memberTo) == 0) return;
    int from = r.memberFrom, to = r.memberTo == 0 ? from : r.memberTo;
    if (to < from) std::swap(from, to);
    // The run's length: each number by its first slot, as the analysis
    // takes it.
    double length = 0;
    for (int t = 1; t <= Slots(m.memberCount, kMaxMembers); ++t) {
        const int no = m.members[t].no;
        if (no >= from && no <= to && FindMemberIndex(m, no) == t) length += MemberLength(m, t);
    }
    const double tol = kLoadEndTolerance;
    const bool outside = concentrated
                             ? r.distI < -tol || r.distI > length + tol
                             : r.distI < -tol || r.distJ < -tol || r.distI + r.distJ > length + tol;
    if (!outside) return;
    if (from == to) {
        out.Add(
            FormatStr("荷重ｹｰｽ No.%d、荷重 No.%d：部材 No.%d の範囲外に荷重があります."_sj.c_str(),
                      lc.no, k, from));
    } else {
        out.Add(FormatStr(
            "荷重ｹｰｽ No.%d、荷重 No.%d：部材 No.%d～No.%d の範囲外に荷重があります."_sj.c_str(),
            lc.no, k, from, to));
    }
}

// Rows 45-47 for every load of every case. A nodal load (code 51) holds a
// node number where the others hold member numbers, so it is looked up among
// the nodes, and its memberTo means nothing.
void CheckLoads(const FrameModel& m, int cases, Messages& out) {
    const LoadCase* lc = m.loadCases;
    for (int c = 1; c <= cases && !out.Full(); ++c)
        for (int k = 1; k <= Slots(lc[c].count, kMaxLoads); ++k)
            if (!IsKnownLoadCode(lc[c].loads[k].code))
                out.Add(FormatStr("荷重ｹｰｽ No.%d：無効な荷重コード(%d)があります."_sj.c_str(),
                                  lc[c].no, lc[c].loads[k].code));
    for (int c = 1; c <= cases && !out.Full(); ++c)
        for (int k = 1; k <= Slots(lc[c].count, kMaxLoads); ++k) {
            const LoadRecord& r = lc[c].loads[k];
            if (r.code == kLoadNodal) {
                if (FindNodeIndex(m, r.memberFrom) == 0)
                    out.Add(FormatStr("荷重ｹｰｽ No.%d：格点 No.%d の定義がありません."_sj.c_str(),
                                      lc[c].no, r.memberFrom));
            } else if (FindMemberIndex(m, r.memberFrom) == 0) {
                out.Add(FormatStr("荷重ｹｰｽ No.%d：始点部材 No.%d の定義がありません."_sj.c_str(),
                                  lc[c].no, r.memberFrom));
            }
        }
    for (int c = 1; c <= cases && !out.Full(); ++c)
        for (int k = 1; k <= Slots(lc[c].count, kMaxLoads); ++k) {
            const LoadRecord& r = lc[c].loads[k];
            if (r.code != kLoadNodal && r.memberTo != 0 && FindMemberIndex(m, r.memberTo) == 0)
                out.Add(FormatStr("荷重ｹｰｽ No.%d：終点部材 No.%d の定義がありません."_sj.c_str(),
                                  lc[c].no, r.memberTo));
        }
    for (int c = 1; c <= cases && !out.Full(); ++c)
        for (int k = 1; k <= Slots(lc[c].count, kMaxLoads); ++k) {
            const LoadRecord& r = lc[c].loads[k];
            if (!LoadComputable(r))
                out.Add(FormatStr("荷重ｹｰｽ No.%d、荷重 No.%d：荷重データ"_sj.c_str(), lc[c].no, k) +
                        TooLarge());
        }
    for (int c = 1; c <= cases && !out.Full(); ++c)
        for (int k = 1; k <= Slots(lc[c].count, kMaxLoads); ++k)
            CheckLoadPosition(m, lc[c], k, out);
}

// Rows 41-52.
void CheckLoadCasesAndCombinations(const FrameModel& m, Messages& out) {
    const int cases = Slots(m.loadCaseCount, kMaxLoadCases);
    const LoadCase* lc = m.loadCases;
    if (cases == 0) out.Add("荷重：データがありません."_sj);
    for (int c = 1; c <= cases; ++c)
        if (lc[c].suptCaseNo == 0 && lc[c].baneCaseNo == 0)
            out.Add(FormatStr(
                "荷重ｹｰｽ No.%d：支点ｹｰｽNo 又は 分布バネｹｰｽNo が未入力です."_sj.c_str(), lc[c].no));
    for (int c = 1; c <= cases; ++c)
        if (lc[c].suptCaseNo != 0 && FindSupportCaseIndex(m, lc[c].suptCaseNo) == 0)
            out.Add(FormatStr("荷重ｹｰｽ No.%d：支点ｹｰｽ No.%d は未定義です."_sj.c_str(), lc[c].no,
                              lc[c].suptCaseNo));
    for (int c = 1; c <= cases; ++c)
        if (lc[c].baneCaseNo != 0 && FindSpringCaseIndex(m, lc[c].baneCaseNo) == 0)
            out.Add(FormatStr("荷重ｹｰｽ No.%d：分布バネｹｰｽNo.%d は未定義です."_sj.c_str(), lc[c].no,
                              lc[c].baneCaseNo));
    CheckLoads(m, cases, out);
    CheckDuplicateNumbers(
        cases, [&](int k) { return lc[k].no; }, "荷重ｹｰｽ No.%d が重複しています."_sj, out);

    const int combos = Slots(m.combinationCount, kMaxCombinations);
    const KumiCase* kc = m.combinations;
    if (combos == 0) out.Add("組合せ荷重：データがありません."_sj);
    for (int c = 1; c <= combos; ++c)
        if (kc[c].count <= 0)
            out.Add(FormatStr("組合せ荷重ｹｰｽ No.%d：荷重データがありません."_sj.c_str(), kc[c].no));
    for (int c = 1; c <= combos && !out.Full(); ++c)
        for (int k = 1; k <= Slots(kc[c].count, kMaxCombinationEntries); ++k)
            if (FindLoadCaseIndex(m, kc[c].entries[k].loadCaseNo) == 0)
                out.Add(FormatStr(
                    "組合せ荷重ｹｰｽ No.%d：荷重ケース No.%d の定義がありません."_sj.c_str(),
                    kc[c].no, kc[c].entries[k].loadCaseNo));
    CheckDuplicateNumbers(
        combos, [&](int k) { return kc[k].no; }, "組合せ荷重ｹｰｽ No.%d が重複しています."_sj, out);
    for (int c = 1; c <= combos; ++c) {
        bool computable = Computable(kc[c].factor);
        for (int k = 1; k <= Slots(kc[c].count, kMaxCombinationEntries); ++k)
            computable = computable && Computable(kc[c].entries[k].factor);
        if (!computable)
            out.Add(FormatStr("組合せ荷重ｹｰｽ No.%d：割増係数"_sj.c_str(), kc[c].no) + TooLarge());
    }
}

}  // namespace

std::string CheckFrameData(const FrameModel& model) {
    Messages out;
    CheckCapacities(model, out);
    CheckMembers(model, out);
    CheckNodesSectionsMaterials(model, out);
    CheckViewPoints(model, out);
    CheckSupportsAndSprings(model, out);
    CheckLoadCasesAndCombinations(model, out);
    return out.Text();
}
