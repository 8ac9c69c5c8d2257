#include "model/fast_stiffness.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"

namespace {

// Entries of this size or less make an empty row, as in SolveLoadCase.
constexpr double kEmptyEntry = 1e-32;

std::uint32_t Bits(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

// Every support entry of the case's support cases, in the order the
// assembly and the restraints walk them: equal keys give the same matrix
// (springs added in the same order) and the same restraints.
std::vector<std::uint32_t> SupportKey(const FrameModel& model, int caseIndex) {
    std::vector<std::uint32_t> key;
    const int suptNo = model.loadCases[caseIndex].suptCaseNo;
    const int caseCount = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int sc = 1; sc <= caseCount; ++sc) {
        const SuptCase& supt = model.supportCases[sc];
        if (supt.no != suptNo) continue;
        const int entries = CheckedCount(supt.count, kMaxSupportEntries);
        key.push_back(0xFFFFFFFFu);  // a new support case begins
        for (int e = 1; e <= entries; ++e) {
            const SuptEntry& entry = supt.entries[e];
            key.push_back(static_cast<std::uint32_t>(entry.nodeNo));
            key.push_back(static_cast<std::uint32_t>(entry.code));
            key.push_back(Bits(entry.kx));
            key.push_back(Bits(entry.ky));
            key.push_back(Bits(entry.km));
            key.push_back(entry.code == kSupportMemberSpring ? Bits(entry.reserved[0]) : 0u);
        }
    }
    return key;
}

}  // namespace

std::shared_ptr<const FastCaseSolver::Stiffness> FastCaseSolver::BuildStiffness(
    const FrameModel& model, int caseIndex, int dofCount) {
    auto st = std::make_shared<Stiffness>();
    const int nodeCount = dofCount / 3;
    const int memberCount = CheckedCount(model.memberCount, kMaxMembers);
    // Row ranges: a node's rows reach the nodes its members join.
    std::vector<int> nodeLo(static_cast<std::size_t>(nodeCount) + 1),
        nodeHi(static_cast<std::size_t>(nodeCount) + 1);
    for (int k = 1; k <= nodeCount; ++k) nodeLo[k] = nodeHi[k] = k;
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
                         [&](int d, float kx, float ky, float km, float kxy) {
                             st->k.At(d, d) += kx;
                             st->k.At(d + 1, d + 1) += ky;
                             st->k.At(d + 2, d + 2) += km;
                             if (kxy != 0) {
                                 st->k.At(d, d + 1) += kxy;
                                 st->k.At(d + 1, d) += kxy;
                             }
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
    return st;
}

std::shared_ptr<const FastCaseSolver::Factor> FastCaseSolver::BuildFactor(
    const Stiffness& st, const std::vector<int>& map, int kept) {
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
    auto f = std::make_shared<Factor>();
    f->solver.Factorise(std::move(a));
    return f;
}

namespace {

// Looks up an entry in a cache list under the caller's lock; when there is
// none, adds one that the caller must build (`build` set, `promise` to be
// fulfilled). Returns the entry's future.
template <typename E, typename T, typename Match>
std::shared_future<std::shared_ptr<const T>> FindOrAdd(
    std::vector<std::unique_ptr<E>>& list, Match match, unsigned clock, int& nextId, int& id,
    bool& build, std::promise<std::shared_ptr<const T>>& promise, std::unique_ptr<E>& added) {
    for (auto& e : list) {
        if (match(*e)) {
            e->lastUse = clock;
            id = e->id;
            build = false;
            return e->ready;
        }
    }
    added = std::make_unique<E>();
    added->id = id = ++nextId;
    added->lastUse = clock;
    added->ready = promise.get_future().share();
    build = true;
    return added->ready;
}

// Builds under no lock and fulfils the promise whatever happens, so that a
// thread waiting for the entry never waits for ever.
template <typename T, typename Build>
std::shared_ptr<const T> BuildAndPublish(std::promise<std::shared_ptr<const T>>& promise,
                                         Build build) {
    std::shared_ptr<const T> value;
    try {
        value = build();
    } catch (const std::bad_alloc&) {
        value = nullptr;  // the caller takes the dense way
    }
    promise.set_value(value);
    return value;
}

template <typename E>
void EraseId(std::vector<std::unique_ptr<E>>& list, int id) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [id](const std::unique_ptr<E>& e) { return e->id == id; }),
               list.end());
}

// Index of the least recently used ready entry other than `keep`, or -1.
template <typename E>
int Oldest(const std::vector<std::unique_ptr<E>>& list, int keep) {
    int oldest = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const E& e = *list[i];
        if (e.id == keep || e.bytes == 0) continue;
        if (oldest < 0 || e.lastUse < list[static_cast<std::size_t>(oldest)]->lastUse)
            oldest = static_cast<int>(i);
    }
    return oldest;
}

template <typename E>
std::size_t TotalBytes(const std::vector<std::unique_ptr<E>>& list) {
    std::size_t total = 0;
    for (const auto& e : list) total += e->bytes;
    return total;
}

}  // namespace

std::shared_ptr<const FastCaseSolver::Stiffness> FastCaseSolver::GetStiffness(
    const FrameModel& model, int caseIndex, int dofCount, int& id) {
    const std::vector<std::uint32_t> key = SupportKey(model, caseIndex);
    std::promise<std::shared_ptr<const Stiffness>> promise;
    std::unique_ptr<StiffnessEntry> added;
    bool build = false;
    std::shared_future<std::shared_ptr<const Stiffness>> ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready = FindOrAdd(
            stiffness_, [&](const StiffnessEntry& e) { return e.key == key; }, ++clock_, nextId_,
            id, build, promise, added);
        if (added) {
            added->key = key;
            stiffness_.push_back(std::move(added));
        }
    }
    if (!build) return ready.get();
    std::shared_ptr<const Stiffness> st =
        BuildAndPublish(promise, [&] { return BuildStiffness(model, caseIndex, dofCount); });
    std::lock_guard<std::mutex> lock(mutex_);
    if (!st) {
        EraseId(stiffness_, id);
        return st;
    }
    for (auto& e : stiffness_)
        if (e->id == id)
            e->bytes = std::max<std::size_t>(1, st->k.Bytes() + st->emptyRow.capacity());
    TrimStiffness(id);
    return st;
}

void FastCaseSolver::TrimStiffness(int keep) {
    while (TotalBytes(stiffness_) > cacheBytes_ && stiffness_.size() > 1) {
        const int oldest = Oldest(stiffness_, keep);
        if (oldest < 0) return;
        // Its factorisations go with it (a thread solving with one keeps it
        // alive until it is done).
        const int id = stiffness_[static_cast<std::size_t>(oldest)]->id;
        factors_.erase(std::remove_if(factors_.begin(), factors_.end(),
                                      [id](const std::unique_ptr<FactorEntry>& f) {
                                          return f->stiffness == id;
                                      }),
                       factors_.end());
        stiffness_.erase(stiffness_.begin() + oldest);
    }
}

std::shared_ptr<const FastCaseSolver::Factor> FastCaseSolver::GetFactor(const Stiffness& st,
                                                                        int stiffnessId,
                                                                        const std::vector<int>& map,
                                                                        int kept) {
    std::promise<std::shared_ptr<const Factor>> promise;
    std::unique_ptr<FactorEntry> added;
    bool build = false;
    int id = 0;
    std::shared_future<std::shared_ptr<const Factor>> ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready = FindOrAdd(
            factors_,
            [&](const FactorEntry& f) { return f.stiffness == stiffnessId && f.map == map; },
            ++clock_, nextId_, id, build, promise, added);
        if (added) {
            added->stiffness = stiffnessId;
            added->map = map;
            factors_.push_back(std::move(added));
        }
    }
    if (!build) {
        ++reuses_;
        return ready.get();
    }
    std::shared_ptr<const Factor> f =
        BuildAndPublish(promise, [&] { return BuildFactor(st, map, kept); });
    std::lock_guard<std::mutex> lock(mutex_);
    if (!f) {
        EraseId(factors_, id);
        return f;
    }
    ++factorisations_;
    for (auto& e : factors_)
        if (e->id == id) e->bytes = std::max<std::size_t>(1, f->solver.Bytes());
    TrimFactors(id);
    return f;
}

void FastCaseSolver::TrimFactors(int keep) {
    while (TotalBytes(factors_) > cacheBytes_ && factors_.size() > 1) {
        const int oldest = Oldest(factors_, keep);
        if (oldest < 0) return;
        factors_.erase(factors_.begin() + oldest);
    }
}

bool FastCaseSolver::SolveDense(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    ++denseFallbacks_;
    // Without the matrices the case is not solved: counting it as singular
    // would give every case zero displacements as if the frame moved
    // freely.
    if (!work.AllocateMatrices()) throw OutOfMemory("剛性マトリックス"_sj);
    std::fill(work.k.begin(), work.k.end(), 0.0);
    std::fill(work.p.begin(), work.p.end(), 0.0);
    AssembleStiffness(model, caseIndex, work);
    return SolveLoadCase(model, caseIndex, work);
}

bool FastCaseSolver::SolveCase(const FrameModel& model, int caseIndex, StiffnessWork& work) {
    switch (SolveCaseProfile(model, caseIndex, work)) {
        case Outcome::kSolved:
            return true;
        case Outcome::kSingular:
            return false;
        case Outcome::kNeedsDense:
            break;
    }
    return SolveDense(model, caseIndex, work);
}

FastCaseSolver::Outcome FastCaseSolver::SolveCaseProfile(const FrameModel& model, int caseIndex,
                                                         StiffnessWork& work) {
    const int n = work.dofCount;
    std::fill(work.x.begin(), work.x.end(), 0.0);
    if (caseIndex < 1 || caseIndex > CheckedCount(model.loadCaseCount, kMaxLoadCases)) {
        for (int i = 0; i < n; ++i) work.map[i] = i;
        return Outcome::kSingular;
    }
    AssembleLoads(model, caseIndex, work);
    int stiffnessId = 0;
    const std::shared_ptr<const Stiffness> found = GetStiffness(model, caseIndex, n, stiffnessId);
    if (found == nullptr) return Outcome::kNeedsDense;
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
    if (kept == 0) return Outcome::kSolved;
    const std::shared_ptr<const Factor> f = GetFactor(st, stiffnessId, work.map, kept);
    if (f == nullptr) return Outcome::kNeedsDense;
    // 3. The kept loads in order; 4. the stored factorisation's replay.
    std::vector<double> b(static_cast<std::size_t>(kept));
    int r = 0;
    for (int i = 0; i < n; ++i)
        if (work.map[i] >= 0) b[static_cast<std::size_t>(r++)] = work.p[i];
    const ProfileStatus status = f->solver.Solve(b.data(), work.x.data());
    if (status == ProfileStatus::kNonFinite) return Outcome::kNeedsDense;
    if (status != ProfileStatus::kOk) {
        std::fill(work.x.begin(), work.x.end(), 0.0);
        // A very soft frame is no mechanism: the dense solver scales it.
        for (int i = 0; i < n; ++i) {
            const double d = std::fabs(st.k.Get(i, i));
            if (work.map[i] >= 0 && d > 0 && d < kSoftDiagonal) return Outcome::kNeedsDense;
        }
        return Outcome::kSingular;
    }
    return Outcome::kSolved;
}
