#include "model/profile_solver.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/assertions.h"

namespace {

// Pivots and multipliers below this are zero, as in SolveGauss.
constexpr double kZero = 1e-9;

}  // namespace

bool ProfileMatrix::Shape(int n, const int* lo, const int* hi, const int* capHi) {
    Release();
    if (n < 0) return false;
    try {
        lo_.resize(static_cast<std::size_t>(n));
        hi_.resize(static_cast<std::size_t>(n));
        capHi_.resize(static_cast<std::size_t>(n));
        start_.resize(static_cast<std::size_t>(n));
        std::size_t total = 0;
        for (int r = 0; r < n; ++r) {
            // The diagonal is always stored: the pivot is read there. The
            // callers' profiles lie inside the matrix; the clamps keep a
            // fault from placing a row outside the pool when unchecked.
            VEXTOR_ASSERT(lo[r] >= 0 && hi[r] <= n - 1 && (capHi == nullptr || capHi[r] <= n - 1));
            const int l = std::clamp(std::min(lo[r], r), 0, n - 1);
            const int h = std::clamp(std::max(hi[r], r), 0, n - 1);
            const int cap = capHi ? std::clamp(std::max(capHi[r], h), 0, n - 1) : h;
            lo_[r] = l;
            hi_[r] = h;
            capHi_[r] = cap;
            start_[r] = total;
            total += static_cast<std::size_t>(cap - l + 1);
        }
        pool_.assign(total, 0.0);
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    n_ = n;
    return true;
}

void ProfileMatrix::Release() {
    n_ = 0;
    lo_ = {};
    hi_ = {};
    capHi_ = {};
    start_ = {};
    pool_ = {};
}

void ProfileMatrix::WidenRight(int r, int newHi) {
    newHi = std::min(newHi, n_ - 1);
    if (newHi <= hi_[r]) return;
    if (newHi > capHi_[r]) {
        // Outgrown (only after a zero-pivot repair): move the row to the end.
        const std::size_t width = static_cast<std::size_t>(newHi - lo_[r] + 1);
        const std::size_t used = static_cast<std::size_t>(hi_[r] - lo_[r] + 1);
        const std::size_t from = start_[r];
        const std::size_t to = pool_.size();
        pool_.resize(to + width, 0.0);
        std::copy(pool_.begin() + static_cast<std::ptrdiff_t>(from),
                  pool_.begin() + static_cast<std::ptrdiff_t>(from + used),
                  pool_.begin() + static_cast<std::ptrdiff_t>(to));
        start_[r] = to;
        capHi_[r] = newHi;
    }
    // Entries between the old and the new end may hold stale values of an
    // earlier, wider use of the room: they must read +0.
    double* base = RowBase(r);
    for (int c = hi_[r] + 1; c <= newHi; ++c) base[c] = 0.0;
    hi_[r] = newHi;
}

std::size_t ProfileMatrix::StoredCount() const {
    std::size_t count = 0;
    for (int r = 0; r < n_; ++r) count += static_cast<std::size_t>(hi_[r] - lo_[r] + 1);
    return count;
}

std::size_t ProfileMatrix::Bytes() const {
    return pool_.capacity() * sizeof(double) +
           (lo_.capacity() + hi_.capacity() + capHi_.capacity()) * sizeof(int) +
           start_.capacity() * sizeof(std::size_t);
}

void ProfileMatrix::FillCapacity(int n, const int* lo, const int* hi, int* capHi) {
    for (int j = 0; j < n; ++j) {
        int cap = std::max(hi[j], j);
        const int first = std::max(std::min(lo[j], j), 0);
        // Pivot i < j reaches row j while column i lies in row j's profile,
        // and carries its own (already filled) reach into it.
        for (int i = first; i < j; ++i) cap = std::max(cap, capHi[i]);
        capHi[j] = std::min(cap, n - 1);
    }
}

void ProfileMatrix::ToDense(double* out) const {
    const std::size_t n = static_cast<std::size_t>(n_);
    std::fill(out, out + n * n, 0.0);
    for (int r = 0; r < n_; ++r) {
        const double* base = RowBase(r);
        for (int c = lo_[r]; c <= hi_[r]; ++c) out[static_cast<std::size_t>(r) * n + c] = base[c];
    }
}

bool ProfileMatrix::FromDense(const double* a, int n) {
    std::vector<int> lo(static_cast<std::size_t>(n)), hi(static_cast<std::size_t>(n)),
        cap(static_cast<std::size_t>(n));
    const std::size_t nn = static_cast<std::size_t>(n);
    for (int r = 0; r < n; ++r) {
        int l = r, h = r;
        for (int c = 0; c < n; ++c) {
            // -0 and +0 alike count as empty: the dense solver never tells
            // them apart before a row is normalised.
            if (a[r * nn + c] != 0.0 || std::isnan(a[r * nn + c])) {
                l = std::min(l, c);
                h = std::max(h, c);
            }
        }
        lo[r] = l;
        hi[r] = h;
    }
    FillCapacity(n, lo.data(), hi.data(), cap.data());
    if (!Shape(n, lo.data(), hi.data(), cap.data())) return false;
    for (int r = 0; r < n; ++r) {
        double* base = RowBase(r);
        for (int c = lo_[r]; c <= hi_[r]; ++c) base[c] = a[r * nn + c];
    }
    return true;
}

ProfileStatus ProfileSolver::Factorise(ProfileMatrix&& a) {
    Release();
    ProfileMatrix u = std::move(a);
    n_ = u.Size();
    const int n = n_;
    status_ = ProfileStatus::kOk;
    try {
        repairLast_.assign(static_cast<std::size_t>(n), 0);
        pivot_.assign(static_cast<std::size_t>(n), 0.0);
        opStart_.assign(static_cast<std::size_t>(n) + 1, 0);
        uStart_.assign(static_cast<std::size_t>(n) + 1, 0);
    } catch (const std::bad_alloc&) {
        Release();
        status_ = ProfileStatus::kNonFinite;
        return status_;
    }
    // The profile shortcuts hold for finite numbers only.
    for (int r = 0; r < n; ++r) {
        const double* base = u.RowBase(r);
        for (int c = u.Lo(r); c <= u.Hi(r); ++c) {
            if (!std::isfinite(base[c])) {
                status_ = ProfileStatus::kNonFinite;
                return status_;
            }
        }
    }
    // lastRow[i]: the last row whose profile starts at or before column i;
    // rows after it hold an exact 0 in column i. Starts never move left.
    std::vector<int> lastRow(static_cast<std::size_t>(n), -1);
    for (int r = 0; r < n; ++r) lastRow[u.Lo(r)] = std::max(lastRow[u.Lo(r)], r);
    for (int i = 1; i < n; ++i) lastRow[i] = std::max(lastRow[i], lastRow[i - 1]);

    for (int i = 0; i < n; ++i) {
        opStart_[i] = opRow_.size();
        uStart_[i] = uCol_.size();
        // 1. Zero pivot: add the following rows one at a time (columns i..).
        double p = u.RowBase(i)[i];
        repairLast_[i] = i;
        if (std::fabs(p) < kZero) {
            for (int j = i + 1; j < n; ++j) {
                if (u.Hi(j) >= i) {
                    u.WidenRight(i, u.Hi(j));
                    double* row = u.RowBase(i);
                    const double* add = u.RowBase(j);
                    for (int k = std::max(u.Lo(j), i); k <= u.Hi(j); ++k) row[k] += add[k];
                }
                repairLast_[i] = j;
                p = u.RowBase(i)[i];
                if (std::fabs(p) > kZero) break;
            }
            if (std::fabs(p) < kZero) {
                status_ = ProfileStatus::kSingular;
                return status_;
            }
        }
        if (!std::isfinite(p)) {
            status_ = ProfileStatus::kNonFinite;
            return status_;
        }
        pivot_[i] = p;
        // 2. Normalise the pivot row; its non-zero entries are all that the
        // rows below and the back substitution need from it (subtracting a
        // zero product leaves an entry as it is).
        {
            double* row = u.RowBase(i);
            row[i] = 1.0;
            for (int k = i + 1; k <= u.Hi(i); ++k) {
                row[k] /= p;
                if (row[k] != 0.0) {
                    uCol_.push_back(k);
                    uVal_.push_back(row[k]);
                }
            }
        }
        const std::size_t first = uStart_[i], last = uCol_.size();
        const int reach = last > first ? uCol_[last - 1] : i;
        // 3. Eliminate column i below the pivot. The multiplier stays in
        // A(j, i), which no later step reads (the dense solver zeroes it).
        for (int j = i + 1; j <= lastRow[i]; ++j) {
            if (u.Lo(j) > i || u.Hi(j) < i) continue;
            const double m = u.RowBase(j)[i];
            if (!(std::fabs(m) > kZero)) continue;
            if (!std::isfinite(m)) {
                status_ = ProfileStatus::kNonFinite;
                return status_;
            }
            u.WidenRight(j, reach);
            double* row = u.RowBase(j);
            for (std::size_t e = first; e < last; ++e) row[uCol_[e]] -= m * uVal_[e];
            opRow_.push_back(j);
            opMul_.push_back(m);
        }
    }
    opStart_[n] = opRow_.size();
    uStart_[n] = uCol_.size();
    return status_;
}

ProfileStatus ProfileSolver::Solve(double* b, double* x) const {
    if (status_ != ProfileStatus::kOk) return status_;
    const int n = n_;
    // Forward: the right-hand-side operations of the elimination, in order.
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j <= repairLast_[i]; ++j) b[i] += b[j];
        b[i] /= pivot_[i];
        const double bi = b[i];
        for (std::size_t op = opStart_[i]; op < opStart_[i + 1]; ++op) {
            b[opRow_[op]] -= opMul_[op] * bi;
        }
    }
    // Back substitution over the non-zero entries, in increasing column
    // order.
    bool finite = true;
    for (int i = n - 1; i >= 0; --i) {
        double sum = 0.0;
        for (std::size_t e = uStart_[i]; e < uStart_[i + 1]; ++e) sum += uVal_[e] * x[uCol_[e]];
        x[i] = b[i] - sum;
        finite = finite && std::isfinite(x[i]);
    }
    return finite ? ProfileStatus::kOk : ProfileStatus::kNonFinite;
}

int ProfileSolver::RepairAdditions() const {
    int count = 0;
    for (int i = 0; i < static_cast<int>(repairLast_.size()); ++i) count += repairLast_[i] - i;
    return count;
}

std::size_t ProfileSolver::Bytes() const {
    return uStart_.capacity() * sizeof(std::size_t) + uCol_.capacity() * sizeof(int) +
           uVal_.capacity() * sizeof(double) + repairLast_.capacity() * sizeof(int) +
           pivot_.capacity() * sizeof(double) + opStart_.capacity() * sizeof(std::size_t) +
           opRow_.capacity() * sizeof(int) + opMul_.capacity() * sizeof(double);
}

void ProfileSolver::Release() {
    n_ = 0;
    status_ = ProfileStatus::kSingular;
    uStart_ = {};
    uCol_ = {};
    uVal_ = {};
    repairLast_ = {};
    pivot_ = {};
    opStart_ = {};
    opRow_ = {};
    opMul_ = {};
}

ProfileStatus SolveProfileDense(double* x, const double* a, double* b, int n) {
    if (n <= 0) return ProfileStatus::kOk;
    ProfileMatrix m;
    if (!m.FromDense(a, n)) return ProfileStatus::kNonFinite;
    ProfileSolver solver;
    const ProfileStatus st = solver.Factorise(std::move(m));
    if (st != ProfileStatus::kOk) return st;
    return solver.Solve(b, x);
}
