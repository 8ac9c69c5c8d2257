// Row-profile storage and a Gauss solver over it that gives the same bits
// as SolveGauss (model/numeric.h) on the dense matrix.
//
// Each row r stores the columns lo(r)..hi(r) (the diagonal always
// included); every entry outside is an exact +0. The solver performs the
// dense algorithm's operations in the dense algorithm's order and leaves
// out only those whose result is known exactly:
//   - row subtractions A(j,k) -= m A(i,k) where the normalised pivot row
//     holds a zero A(i,k), inside its profile or beyond it (a +-0 product
//     taken from a +0 or non-zero entry leaves it unchanged: unnormalised
//     rows never hold -0);
//   - rows whose multiplier A(j,i) lies outside their profile (m = 0, which
//     the dense solver skips too);
//   - back-substitution terms A(i,j) x(j) with a zero A(i,j) (a +-0 added
//     to a running sum that is never -0 leaves it unchanged).
// So the elimination works inside the row profiles, and the factor keeps
// only the non-zero entries of the upper triangle.
// These hold only for finite numbers (inf x 0 is NaN): the factorisation
// and the solution report kNonFinite when a pivot, a used multiplier or a
// solution value is not finite, and the caller then uses SolveGauss.
//
// A factorisation is kept: the right-hand-side operations (zero-pivot
// repair additions, division by the pivot, multiplier subtractions, back
// substitution) are replayed in the dense order for every new vector.
#pragma once

#include <cstddef>
#include <vector>

// A square matrix stored by row profiles in one pool of doubles.
class ProfileMatrix {
  public:
    // n rows; row r will store columns lo[r]..hi[r] widened to include r
    // (columns lie in 0..n-1: checked, and clamped there in a build without
    // the checks). Capacity for growth up to capHi[r] when
    // given (nullptr: no room beyond hi). Every stored entry is +0.
    // Returns false when the memory is not available.
    bool Shape(int n, const int* lo, const int* hi, const int* capHi = nullptr);
    void Release();

    int Size() const { return n_; }
    int Lo(int r) const { return lo_[r]; }
    int Hi(int r) const { return hi_[r]; }
    // Entry (r, c); 0 outside the profile.
    double Get(int r, int c) const { return c < lo_[r] || c > hi_[r] ? 0.0 : pool_[Index(r, c)]; }
    // Entry (r, c) inside the profile (lo(r) <= c <= hi(r)).
    double& At(int r, int c) { return pool_[Index(r, c)]; }
    // Pointer p with p[c] = entry (r, c) for lo(r) <= c <= hi(r); valid
    // until the next Widen.
    double* RowBase(int r) { return pool_.data() + start_[r] - lo_[r]; }
    const double* RowBase(int r) const { return pool_.data() + start_[r] - lo_[r]; }

    // Widens row r to the right up to column newHi (never narrows); new
    // entries are +0. Moves the row to the end of the pool when it outgrows
    // its room. Pointers from RowBase are invalid afterwards.
    void WidenRight(int r, int newHi);

    // Number of stored entries (the profile's size).
    std::size_t StoredCount() const;
    // Bytes held by the pool and the row tables.
    std::size_t Bytes() const;

    // Room each row needs for the fill-in of an elimination without
    // repairs: capHi[r] = the last column row r can reach (lo, hi already
    // widened to the diagonal).
    static void FillCapacity(int n, const int* lo, const int* hi, int* capHi);

    // Dense row-major copy into out (n x n). For tests and dumps.
    void ToDense(double* out) const;
    // Shape from the non-zero pattern of a dense row-major n x n matrix and
    // copy its values. For tests.
    bool FromDense(const double* a, int n);

  private:
    std::size_t Index(int r, int c) const {
        return start_[r] + static_cast<std::size_t>(c - lo_[r]);
    }

    int n_ = 0;
    std::vector<int> lo_, hi_, capHi_;
    std::vector<std::size_t> start_;  // pool index of column lo_[r]
    std::vector<double> pool_;
};

enum class ProfileStatus { kOk, kSingular, kNonFinite };

// Gauss elimination without row exchanges on a ProfileMatrix, kept for
// repeated solutions.
class ProfileSolver {
  public:
    // Eliminates `a` (taken over; it becomes the factor). kSingular when a
    // zero pivot cannot be repaired (SolveGauss returns false), kNonFinite
    // when a pivot or a used multiplier is not finite (or the input holds a
    // non-finite entry): then only SolveGauss gives the dense solver's bits.
    ProfileStatus Factorise(ProfileMatrix&& a);

    // Solves for the right-hand side b (n values, overwritten as SolveGauss
    // overwrites it) into x (n values). Returns kOk, the factorisation's
    // own failure, or kNonFinite when a solution value is not finite.
    ProfileStatus Solve(double* b, double* x) const;

    ProfileStatus Status() const { return status_; }
    // Rows added to zero pivots by the repair (0 for most matrices).
    int RepairAdditions() const;
    int Size() const { return n_; }
    std::size_t Bytes() const;
    void Release();

  private:
    int n_ = 0;
    ProfileStatus status_ = ProfileStatus::kSingular;
    // The unit upper factor by rows, its zero entries left out (a +-0 term
    // leaves the back-substitution sum as it is): row i's entries are
    // uCol_/uVal_ [uStart_[i], uStart_[i+1]), in increasing column order.
    std::vector<std::size_t> uStart_;
    std::vector<int> uCol_;
    std::vector<double> uVal_;
    std::vector<int> repairLast_;       // last row added to row i (i when none)
    std::vector<double> pivot_;         // pivot of row i before normalisation
    std::vector<std::size_t> opStart_;  // multipliers of pivot i: ops [opStart_[i], opStart_[i+1])
    std::vector<int> opRow_;
    std::vector<double> opMul_;
};

// Convenience for tests: factorises a copy of the dense n x n matrix a and
// solves for b (overwritten). Same contract as SolveGauss; kNonFinite is
// reported as such.
ProfileStatus SolveProfileDense(double* x, const double* a, double* b, int n);
