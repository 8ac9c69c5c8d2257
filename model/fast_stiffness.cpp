#include "model/fast_stiffness.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "platform/sjis_literal.h"

namespace {

// Entries of this size or less make an empty row, as in SolveLoadCase.
constexpr double kEmptyEntry = 1e-32;

std::uint32_t Bits(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

int ClampedCount(int count, int capacity) { return std::clamp(count, 0, capacity); }

// Every support entry of the case's support cases, in the order the
// assembly and the restraints walk them: equal keys give the same matrix
// (springs added in the same order) and the same restraints.
std::vector<std::uint32_t> SupportKey(const FrameModel& model, int caseIndex) {
    std::vector<std::uint32_t> key;
    const int suptNo = model.loadCases[caseIndex].suptCaseNo;
    const int caseCount = ClampedCount(model.supportCaseCount, kMaxSupportCases);
    for (int sc = 1; sc <= caseCount; ++sc) {
        const SuptCase& supt = model.supportCases[sc];
        if (supt.no != suptNo) continue;
        const int entries = ClampedCount(supt.count, kMaxSupportEntries);
        key.push_back(0xFFFFFFFFu);  // a new support case begins
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            key.push_back(static_cast<std::uint32_t>(entry.nodeNo));
            key.push_back(static_cast<std::uint32_t>(entry.code));
            key.push_back(Bits(entry.kx));
            key.push_back(Bits(entry.ky));
            key.push_back(Bits(entry.km));
        }
    }
    return key;
}

}  // namespace

FastCaseSolver::Stiffness* FastCaseSolver::FindOrBuildStiffness(const FrameModel& model, int caseIndex,
                                                                int dofCount) {
    std::vector<std::uint32_t> key = SupportKey(model, caseIndex);
    ++clock_;
    for (auto& st : stiffness_) {
        if (st->key == key) {
            st->lastUse = clock_;
            return st.get();
        }
    }
    auto st = std::make_unique<Stiffness>();
    st->id = ++nextId_;
    st->lastUse = clock_;
    st->key = std::move(key);
    const int nodeCount = dofCount / 3;
    const int memberCount = ClampedCount(model.memberCount, kMaxMembers);
    // Row ranges: a node's rows reach the nodes its members join.
    std::vector<int> nodeLo(static_cast<std::size_t>(nodeCount) + 1),
        nodeHi(static_cast<std::size_t>(nodeCount) + 1);
    for (int k = 1; k <= nodeCount; ++k) nodeLo[k] = nodeHi[k] = k;
    std::vector<int> ends(2 * (static_cast<std::size_t>(memberCount) + 1), 0);
    for (int m = 1; m <= memberCount; ++m) {
        const int ni = FindNodeIndex(model, model.members[m].nodeI);
        const int nj = FindNodeIndex(model, model.members[m].nodeJ);
        if (ni == 0 || nj == 0 || ni > nodeCount || nj > nodeCount) continue;
        for (const int k : {ni, nj}) {
            nodeLo[k] = std::min({nodeLo[k], ni, nj});
            nodeHi[k] = std::max({nodeHi[k], ni, nj});
        }
    }
    std::vector<int> lo(static_cast<std::size_t>(dofCount)), hi(static_cast<std::size_t>(dofCount));
    for (int r = 0; r < dofCount; ++r) {
        lo[r] = 3 * (nodeLo[r / 3 + 1] - 1);
        hi[r] = 3 * (nodeHi[r / 3 + 1] - 1) + 2;
    }
    if (!st->k.Shape(dofCount, lo.data(), hi.data())) return nullptr;
    // 1. Spring supports on the diagonal, then 2. the members in table
    // order: the same additions in the same order as the dense assembly.
    ForEachSpringSupport(model, model.loadCases[caseIndex].suptCaseNo,
                         [&](int d, float kx, float ky, float km) {
                             st->k.At(d, d) += kx;
                             st->k.At(d + 1, d + 1) += ky;
                             st->k.At(d + 2, d + 2) += km;
                         });
    for (int m = 1; m <= memberCount; ++m) {
        double g[6][6];
        int base[2];
        if (!MemberGlobalStiffness(model, m, g, base)) continue;
        if (base[0] + 2 >= dofCount || base[1] + 2 >= dofCount) continue;
        for (int i = 0; i < 6; ++i) {
            const int row = base[i / 3] + i % 3;
            double* r = st->k.RowBase(row);
            for (int j = 0; j < 6; ++j) r[base[j / 3] + j % 3] += g[i][j];
        }
    }
    st->emptyRow.assign(static_cast<std::size_t>(dofCount), 1);
    for (int r = 0; r < dofCount; ++r) {
        const double* row = st->k.RowBase(r);
        for (int c = st->k.Lo(r); c <= st->k.Hi(r); ++c) {
            if (!(std::fabs(row[c]) <= kEmptyEntry)) {
                st->emptyRow[r] = 0;
                break;
            }
        }
    }
    stiffness_.push_back(std::move(st));
    Stiffness* current = stiffness_.back().get();
    TrimStiffness(current);
    return current;
}

void FastCaseSolver::TrimStiffness(const Stiffness* keep) {
    for (;;) {
        std::size_t total = 0;
        for (const auto& st : stiffness_) total += st->k.Bytes() + st->emptyRow.capacity();
        if (total <= cacheBytes_ || stiffness_.size() <= 1) return;
        auto oldest = stiffness_.end();
        for (auto it = stiffness_.begin(); it != stiffness_.end(); ++it) {
            if (it->get() == keep) continue;
            if (oldest == stiffness_.end() || (*it)->lastUse < (*oldest)->lastUse) oldest = it;
        }
        if (oldest == stiffness_.end()) return;
        // Its factorisations go with it.
        const int id = (*oldest)->id;
        factors_.erase(std::remove_if(factors_.begin(), factors_.end(),
                                      [id](const std::unique_ptr<Factor>& f) { return f->stiffness == id; }),
                       factors_.end());
        stiffness_.erase(oldest);
    }
}

FastCaseSolver::Factor* FastCaseSolver::FindOrBuildFactor(const Stiffness& st, const std::vector<int>& map,
                                                          int kept) {
    ++clock_;
    for (auto& f : factors_) {
        if (f->stiffness == st.id && f->map == map) {
            f->lastUse = clock_;
            ++reuses_;
            return f.get();
        }
    }
    const ProfileMatrix& k = st.k;
    const int n = static_cast<int>(map.size());
    // Compact numbering of the kept degrees of freedom, in their order;
    // below[i]: kept ones before i (the compact index of the next kept one).
    std::vector<int> below(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) below[i + 1] = below[i] + (map[i] >= 0 ? 1 : 0);
    std::vector<int> lo(static_cast<std::size_t>(kept)), hi(static_cast<std::size_t>(kept)),
        cap(static_cast<std::size_t>(kept));
    for (int i = 0; i < n; ++i) {
        if (map[i] < 0) continue;
        const int r = below[i];
        const int first = below[k.Lo(i)];         // first kept column at or after Lo
        const int last = below[k.Hi(i) + 1] - 1;  // last kept column at or before Hi
        lo[r] = first <= last ? first : r;
        hi[r] = first <= last ? last : r;
    }
    ProfileMatrix::FillCapacity(kept, lo.data(), hi.data(), cap.data());
    ProfileMatrix a;
    if (!a.Shape(kept, lo.data(), hi.data(), cap.data())) return nullptr;
    for (int i = 0; i < n; ++i) {
        if (map[i] < 0) continue;
        double* dst = a.RowBase(below[i]);
        const double* src = k.RowBase(i);
        for (int c = k.Lo(i); c <= k.Hi(i); ++c) {
            if (map[c] >= 0) dst[below[c]] = src[c];
        }
    }
    auto f = std::make_unique<Factor>();
    f->stiffness = st.id;
    f->map = map;
    f->lastUse = clock_;
    f->solver.Factorise(std::move(a));
    ++factorisations_;
    factors_.push_back(std::move(f));
    Factor* current = factors_.back().get();
    TrimCache(current);
    return current;
}

void FastCaseSolver::TrimCache(const Factor* keep) {
    for (;;) {
        std::size_t total = 0;
        for (const auto& f : factors_) total += f->solver.Bytes();
        if (total <= cacheBytes_ || factors_.size() <= 1) return;
        auto oldest = factors_.end();
        for (auto it = factors_.begin(); it != factors_.end(); ++it) {
            if (it->get() == keep) continue;
            if (oldest == factors_.end() || (*it)->lastUse < (*oldest)->lastUse) oldest = it;
        }
        if (oldest == factors_.end()) return;
        factors_.erase(oldest);
    }
}

bool FastCaseSolver::SolveDense(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    ++denseFallbacks_;
    if (!work.AllocateMatrices()) {
        EngineMessage("メモリーが足りません.(剛性マトリックス)"_sj);
        std::fill(work.x.begin(), work.x.end(), 0.0);
        return false;
    }
    std::fill(work.k.begin(), work.k.end(), 0.0);
    std::fill(work.p.begin(), work.p.end(), 0.0);
    AssembleStiffness(model, caseIndex, work);
    return SolveLoadCase(model, caseIndex, work);
}

bool FastCaseSolver::SolveCase(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    const int n = work.dofCount;
    std::fill(work.x.begin(), work.x.end(), 0.0);
    if (caseIndex < 1 || caseIndex > ClampedCount(model.loadCaseCount, kMaxLoadCases)) {
        for (int i = 0; i < n; ++i) work.map[i] = i;
        return false;
    }
    AssembleLoads(model, caseIndex, work);
    const Stiffness* found = FindOrBuildStiffness(model, caseIndex, n);
    if (found == nullptr) return SolveDense(model, caseIndex, work);
    const Stiffness& st = *found;
    // 1. Restraints; 2. empty, unloaded degrees of freedom are dropped.
    for (int i = 0; i < n; ++i) work.map[i] = i;
    ApplyRestraints(model, caseIndex, work.map.data());
    for (int i = 0; i < n; ++i) {
        if (work.map[i] < 0 || std::fabs(work.p[i]) >= kEmptyEntry) continue;
        if (st.emptyRow[i]) work.map[i] = -1;
    }
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (work.map[i] >= 0) ++kept;
    work.keptCount = kept;
    if (kept == 0) return true;
    Factor* f = FindOrBuildFactor(st, work.map, kept);
    if (f == nullptr) return SolveDense(model, caseIndex, work);
    // 3. The kept loads in order; 4. the stored factorisation's replay.
    b_.resize(static_cast<std::size_t>(kept));
    int r = 0;
    for (int i = 0; i < n; ++i)
        if (work.map[i] >= 0) b_[static_cast<std::size_t>(r++)] = work.p[i];
    const ProfileStatus status = f->solver.Solve(b_.data(), work.x.data());
    if (status == ProfileStatus::kNonFinite) return SolveDense(model, caseIndex, work);
    if (status != ProfileStatus::kOk) {
        std::fill(work.x.begin(), work.x.end(), 0.0);
        return false;
    }
    return true;
}
