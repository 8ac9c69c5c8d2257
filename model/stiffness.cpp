#include "model/stiffness.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "platform/assertions.h"
#include "platform/sysutils.h"

namespace {

std::size_t allocationLimit = 0;

// Entries below this size in magnitude count as an empty row of K (and an
// unloaded degree of freedom): a node that no member reaches.
constexpr double kEmptyEntry = 1e-32;

// Largest number of result points a member list holds.
constexpr int kMaxListPoints = 131;

}  // namespace

void SetStiffnessAllocationLimit(std::size_t bytes) { allocationLimit = bytes; }

bool StiffnessWork::Allocate(int nodeCount, int memberCount, bool withMatrices) {
    Release();
    const std::size_t n = static_cast<std::size_t>(std::max(nodeCount, 0)) * 3;
    const std::size_t members = static_cast<std::size_t>(std::max(memberCount, 0)) + 1;
    const std::size_t matrices = withMatrices ? 2 * n * n * sizeof(double) : 0;
    const std::size_t bytes =
        matrices + 4 * n * sizeof(double) + n * sizeof(int) + members * sizeof(MemberEndLoad);
    if (allocationLimit != 0 && bytes > allocationLimit) return false;
    try {
        if (withMatrices) {
            k.assign(n * n, 0.0);
            a.assign(n * n, 0.0);
        }
        p.assign(n, 0.0);
        b.assign(n, 0.0);
        x.assign(n, 0.0);
        map.assign(n, -1);
        endLoads.assign(members, MemberEndLoad{});
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    dofCount = static_cast<int>(n);
    keptCount = 0;
    return true;
}

bool StiffnessWork::AllocateMatrices() {
    const std::size_t n = static_cast<std::size_t>(dofCount);
    if (k.size() == n * n && a.size() == n * n) return true;
    if (allocationLimit != 0 && 2 * n * n * sizeof(double) > allocationLimit) return false;
    try {
        k.assign(n * n, 0.0);
        a.assign(n * n, 0.0);
    } catch (const std::bad_alloc&) {
        k = {};
        a = {};
        return false;
    }
    return true;
}

void StiffnessWork::Release() {
    k = {};
    a = {};
    p = {};
    b = {};
    x = {};
    map = {};
    endLoads = {};
    dofCount = 0;
    keptCount = 0;
}

void StiffnessWork::Clear() {
    std::fill(k.begin(), k.end(), 0.0);
    std::fill(p.begin(), p.end(), 0.0);
    std::fill(x.begin(), x.end(), 0.0);
    std::fill(map.begin(), map.end(), -1);
    std::fill(endLoads.begin(), endLoads.end(), MemberEndLoad{});
    keptCount = 0;
}

void MemberCosSin(double angle, double& c, double& s) {
    c = Round9(std::cos(angle));
    s = Round9(std::sin(angle));
}

void MemberStiffness(const FrameModel& model, int memberIndex, double k[6][6]) {
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) k[i][j] = 0;
    const FrameMember& m = model.members[memberIndex];
    const double L = std::max(static_cast<double>(m.length), 0.0001);
    double e, area, inertia;
    GetMemberEAI(model, e, area, inertia, m.materialNo, m.sectionNo);
    const double ea = e * area / L;
    k[0][0] = k[3][3] = ea;
    k[0][3] = k[3][0] = -ea;
    const double ei = e * inertia;
    const double L2 = L * L, L3 = L2 * L;
    // Local order: 0 u_i, 1 v_i, 2 theta_i, 3 u_j, 4 v_j, 5 theta_j.
    auto set = [&](int i, int j, double v) { k[i][j] = k[j][i] = v; };
    // Wide enough for any pair a damaged file gives: those outside 0 and 1
    // make a bar, never an overflow.
    switch (2 * static_cast<std::int64_t>(m.endJ) + m.endI) {
        case 0:
            set(1, 1, 12 * ei / L3);
            set(1, 2, 6 * ei / L2);
            set(1, 4, -12 * ei / L3);
            set(1, 5, 6 * ei / L2);
            set(2, 2, 4 * ei / L);
            set(2, 4, -6 * ei / L2);
            set(2, 5, 2 * ei / L);
            set(4, 4, 12 * ei / L3);
            set(4, 5, -6 * ei / L2);
            set(5, 5, 4 * ei / L);
            break;
        case 1:  // pin at I: the theta_i row and column stay zero
            set(1, 1, 3 * ei / L3);
            set(1, 4, -3 * ei / L3);
            set(1, 5, 3 * ei / L2);
            set(4, 4, 3 * ei / L3);
            set(4, 5, -3 * ei / L2);
            set(5, 5, 3 * ei / L);
            break;
        case 2:  // pin at J: the theta_j row and column stay zero
            set(1, 1, 3 * ei / L3);
            set(1, 2, 3 * ei / L2);
            set(1, 4, -3 * ei / L3);
            set(2, 2, 3 * ei / L);
            set(2, 4, -3 * ei / L2);
            set(4, 4, 3 * ei / L3);
            break;
        default:  // both pinned (or an unknown pair): a bar
            break;
    }
}

namespace {

// Rotation local -> global of one member: T = diag(R, R).
void MemberRotation(double angle, double t[6][6]) {
    double c, s;
    MemberCosSin(angle, c, s);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) t[i][j] = 0;
    for (int base = 0; base < 6; base += 3) {
        t[base][base] = c;
        t[base][base + 1] = -s;
        t[base + 1][base] = s;
        t[base + 1][base + 1] = c;
        t[base + 2][base + 2] = 1;
    }
}

}  // namespace

bool MemberGlobalStiffness(const FrameModel& model, int m, double g[6][6], int base[2]) {
    const FrameMember& member = model.members[m];
    const int ni = FindNodeIndex(model, member.nodeI);
    const int nj = FindNodeIndex(model, member.nodeJ);
    if (ni == 0 || nj == 0) return false;
    double k[6][6], t[6][6], tmp[6][6];
    MemberStiffness(model, m, k);
    MemberRotation(member.angle, t);
    // g = T k T^t, evaluated as T (k T^t) with every sum in index order.
    for (int a = 0; a < 6; ++a)
        for (int j = 0; j < 6; ++j) {
            double sum = 0;
            for (int b = 0; b < 6; ++b) sum += k[a][b] * t[j][b];
            tmp[a][j] = sum;
        }
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
            double sum = 0;
            for (int a = 0; a < 6; ++a) sum += t[i][a] * tmp[a][j];
            g[i][j] = sum;
        }
    base[0] = 3 * (ni - 1);
    base[1] = 3 * (nj - 1);
    return true;
}

void AddMemberLoad(const FrameModel& model, int m, const MemberEndLoad& r, double* p) {
    const FrameMember& member = model.members[m];
    const int ni = FindNodeIndex(model, member.nodeI);
    const int nj = FindNodeIndex(model, member.nodeJ);
    if (ni == 0 || nj == 0) return;
    double t[6][6];
    MemberRotation(member.angle, t);
    const int base[2] = {3 * (ni - 1), 3 * (nj - 1)};
    const double local[6] = {r.ni, r.vi, r.mi, r.nj, r.vj, r.mj};
    for (int i = 0; i < 6; ++i) {
        double sum = 0;
        for (int a = 0; a < 6; ++a) sum += t[i][a] * local[a];
        p[static_cast<std::size_t>(base[i / 3] + i % 3)] += sum;
    }
}

namespace {

void AddSupportSprings(const FrameModel& model, int suptCaseNo, StiffnessWork& work) {
    const std::size_t n = static_cast<std::size_t>(work.dofCount);
    ForEachSpringSupport(model, suptCaseNo, [&](int d, float kx, float ky, float km, float kxy) {
        const std::size_t i = static_cast<std::size_t>(d);
        work.k[i * n + i] += kx;
        work.k[(i + 1) * n + i + 1] += ky;
        work.k[(i + 2) * n + i + 2] += km;
        if (kxy != 0) {
            work.k[i * n + i + 1] += kxy;
            work.k[(i + 1) * n + i] += kxy;
        }
    });
}

void AddMember(const FrameModel& model, int m, StiffnessWork& work) {
    double g[6][6];
    int base[2];
    if (!MemberGlobalStiffness(model, m, g, base)) return;
    const std::size_t n = static_cast<std::size_t>(work.dofCount);
    for (int i = 0; i < 6; ++i) {
        const std::size_t row = static_cast<std::size_t>(base[i / 3] + i % 3);
        for (int j = 0; j < 6; ++j) {
            const std::size_t col = static_cast<std::size_t>(base[j / 3] + j % 3);
            work.k[row * n + col] += g[i][j];
        }
    }
    AddMemberLoad(model, m, work.endLoads[m], work.p.data());
}

void AddNodalLoads(const FrameModel& model, const LoadCase& lc, double* p) {
    const int loadCount = CheckedCount(lc.count, kMaxLoads);
    for (int l = 1; l <= loadCount; ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code != kLoadNodal) continue;
        const int node = FindNodeIndex(model, load.memberFrom);
        if (node == 0) continue;
        const int d = 3 * (node - 1);
        p[d] += load.qI;
        p[d + 1] += load.qJ;
        p[d + 2] += load.distI;
    }
}

int AssembledMemberCount(const FrameModel& model, const StiffnessWork& work) {
    return std::min(CheckedCount(model.memberCount, kMaxMembers),
                    static_cast<int>(work.endLoads.size()) - 1);
}

}  // namespace

void AssembleLoads(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    if (caseIndex < 1 || caseIndex > CheckedCount(model.loadCaseCount, kMaxLoadCases)) return;
    const int memberCount = AssembledMemberCount(model, work);
    for (int m = 1; m <= memberCount; ++m) AddMemberLoad(model, m, work.endLoads[m], work.p.data());
    AddNodalLoads(model, model.loadCases[caseIndex], work.p.data());
}

void RestrainedDirections(const SuptEntry& entry, bool held[3]) {
    const int code = entry.code;
    const bool spring = code == kSupportSpring;
    held[0] = code == kSupportPin || code == kSupportRollerX || code == kSupportFixed ||
              (spring && entry.kx < 0);
    held[1] = code == kSupportPin || code == kSupportRollerY || code == kSupportFixed ||
              (spring && entry.ky < 0);
    held[2] = code == kSupportFixed || (spring && entry.km < 0);
}

void ApplyRestraints(const FrameModel& model, int caseIndex, int* map) {
    const int suptNo = model.loadCases[caseIndex].suptCaseNo;
    const int caseCount = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int sc = 1; sc <= caseCount; ++sc) {
        const SuptCase& supt = model.supportCases[sc];
        if (supt.no != suptNo) continue;
        const int entries = CheckedCount(supt.count, kMaxSupportEntries);
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            const int node = FindNodeIndex(model, entry.nodeNo);
            if (node == 0) continue;
            const int d = 3 * (node - 1);
            bool held[3];
            RestrainedDirections(entry, held);
            for (int k = 0; k < 3; ++k)
                if (held[k]) map[d + k] = -1;
        }
    }
}

void AssembleStiffness(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    if (caseIndex < 1 || caseIndex > CheckedCount(model.loadCaseCount, kMaxLoadCases)) return;
    const LoadCase& lc = model.loadCases[caseIndex];
    AddSupportSprings(model, lc.suptCaseNo, work);
    const int memberCount = AssembledMemberCount(model, work);
    for (int m = 1; m <= memberCount; ++m) AddMember(model, m, work);
    AddNodalLoads(model, lc, work.p.data());
}

bool SolveLoadCase(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    const int n = work.dofCount;
    std::fill(work.x.begin(), work.x.end(), 0.0);
    for (int i = 0; i < n; ++i) work.map[i] = i;
    if (caseIndex < 1 || caseIndex > CheckedCount(model.loadCaseCount, kMaxLoadCases)) {
        return false;
    }
    // 1. Restraints of the case's support cases.
    ApplyRestraints(model, caseIndex, work.map.data());
    // 2. Empty, unloaded degrees of freedom are dropped; an empty row that
    // carries a load stays and makes the system singular.
    const std::size_t nn = static_cast<std::size_t>(n);
    for (int i = 0; i < n; ++i) {
        if (work.map[i] < 0 || std::fabs(work.p[i]) >= kEmptyEntry) continue;
        const double* row = &work.k[i * nn];
        bool empty = true;
        for (int j = 0; j < n && empty; ++j) empty = std::fabs(row[j]) <= kEmptyEntry;
        if (empty) work.map[i] = -1;
    }
    // 3. Compaction of the kept rows and columns, in order.
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (work.map[i] >= 0) ++kept;
    work.keptCount = kept;
    if (kept == 0) return true;
    const std::size_t kn = static_cast<std::size_t>(kept);
    std::size_t r = 0;
    for (int i = 0; i < n; ++i) {
        if (work.map[i] < 0) continue;
        std::size_t c = 0;
        const double* row = &work.k[i * nn];
        for (int j = 0; j < n; ++j) {
            if (work.map[j] < 0) continue;
            work.a[r * kn + c] = row[j];
            ++c;
        }
        work.b[r] = work.p[i];
        ++r;
    }
    // 4. The compact system is solved in place (it is not needed again).
    // A very soft frame is scaled first, row i and column i by a power of
    // two near 1 / sqrt(|K(i, i)|): exact, so x is the same solution, and
    // its pivots come near 1 where the absolute zero tests see them.
    std::vector<double> scale;
    for (std::size_t i = 0; i < kn && scale.empty(); ++i) {
        const double d = std::fabs(work.a[i * kn + i]);
        if (d > 0 && d < kSoftDiagonal) scale.assign(kn, 1.0);
    }
    if (!scale.empty()) {
        for (std::size_t i = 0; i < kn; ++i) {
            const double d = std::fabs(work.a[i * kn + i]);
            if (d > 0) scale[i] = std::ldexp(1.0, -std::ilogb(d) / 2);
        }
        for (std::size_t i = 0; i < kn; ++i) {
            for (std::size_t j = 0; j < kn; ++j) work.a[i * kn + j] *= scale[i] * scale[j];
            work.b[i] *= scale[i];
        }
    }
    const bool ok = SolveGauss(work.x.data(), work.a.data(), work.b.data(), kept);
    if (!ok) std::fill(work.x.begin(), work.x.end(), 0.0);
    if (ok && !scale.empty())
        for (std::size_t i = 0; i < kn; ++i) work.x[i] *= scale[i];
    return ok;
}

namespace {

void AppendPoint(MemberPointList& list, double pos, const char* label) {
    if (list.count >= kMaxListPoints) return;
    ++list.count;
    list.pos[list.count] = pos;
    // At most 20 bytes, never half a double-byte character, then trimmed.
    char cut[21];
    SetFixedText(cut, sizeof cut, label ? label : "");
    SetFixedText(list.label[list.count], 24, Trim(cut).c_str());
}

}  // namespace

MemberPointList BuildMemberPointList(const FrameModel& model, int memberIndex,
                                     bool viewDivisionMode) {
    MemberPointList list;
    if (memberIndex < 1 || memberIndex > CheckedCount(model.memberCount, kMaxMembers)) return list;
    const FrameMember& member = model.members[memberIndex];
    const double L = member.length;
    // 1. Named points of interest, in entry order.
    const int namedLimit = viewDivisionMode ? 20 : kMaxListPoints;
    const int view2Count = CheckedCount(model.view2Count, kMaxView2);
    for (int v = 1; v <= view2Count; ++v) {
        const View2Member& entry = model.view2[v];
        if (entry.memberNo != member.no) continue;
        const int points = CheckedCount(entry.count, kMaxViewPoints);
        for (int p = 1; p <= points && list.count < namedLimit; ++p) {
            char name[kPointNameSize + 1];
            std::memcpy(name, entry.pointName[p], kPointNameSize);
            name[kPointNameSize] = '\0';
            AppendPoint(list, Round3(entry.dist[p]), name);
        }
    }
    list.namedCount = list.count;
    if (viewDivisionMode) {
        // 2. Equal divisions of every View1 range covering the member.
        const int view1Count = CheckedCount(model.view1Count, kMaxView1);
        for (int v = 1; v <= view1Count; ++v) {
            const View1Range& range = model.view1[v];
            const int last = range.lastMember == 0 ? range.firstMember : range.lastMember;
            const int lo = std::min(range.firstMember, last),
                      hi = std::max(range.firstMember, last);
            if (member.no < lo || member.no > hi) continue;
            const int g = std::min(range.divisions, 21 - list.count);
            for (int t = 1; t <= g - 1; ++t) AppendPoint(list, Round3(t * L / g), nullptr);
        }
    } else {
        // 3. Up to 100 equal parts (an even number).
        const int e = std::min(132 - list.count, 100) & ~1;
        for (int f = 1; f <= e - 1 && list.count < kMaxListPoints; ++f) {
            AppendPoint(list, Round3(f * L / e), nullptr);
        }
    }
    return list;
}
