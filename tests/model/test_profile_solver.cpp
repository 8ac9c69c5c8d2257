// The profile solver must give exactly the bits of the dense SolveGauss:
// every case builds a dense matrix, solves it both ways and compares the
// solutions (and the overwritten right-hand sides) with memcmp, so that a
// -0 where the dense solver gives +0 counts as a failure too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/numeric.h"
#include "model/profile_solver.h"

namespace {

using Matrix = std::vector<double>;

struct Shape {
    const char* name;
    int n;
    int band;           // entries within this distance of the diagonal (0: none)
    double sparseFill;  // chance of an entry anywhere else
    bool symmetric;
    double tinyShare;  // share of entries below the 1e-9 multiplier threshold
};

// A random matrix of the given shape: banded part, scattered entries, a few
// exact zeros and -0 inside the pattern, some tiny values, a diagonal that
// dominates (mostly) and carries both signs so that normalised rows hold -0.
Matrix RandomMatrix(const Shape& s, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0), unit(0.0, 1.0);
    const std::size_t n = static_cast<std::size_t>(s.n);
    Matrix a(n * n, 0.0);
    auto value = [&]() {
        const double r = unit(rng);
        if (r < 0.05) return 0.0;
        if (r < 0.08) return -0.0;
        if (r < 0.08 + s.tinyShare) return u(rng) * 1e-10;
        return u(rng) * std::pow(10.0, static_cast<int>(unit(rng) * 6) - 3);
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const std::size_t d = i > j ? i - j : j - i;
            const bool inBand = s.band > 0 && d <= static_cast<std::size_t>(s.band);
            if (!inBand && unit(rng) >= s.sparseFill) continue;
            if (s.symmetric && j < i) continue;
            a[i * n + j] = value();
            if (s.symmetric) a[j * n + i] = a[i * n + j];
        }
        const double sign = unit(rng) < 0.3 ? -1.0 : 1.0;
        a[i * n + i] = sign * (10.0 + 100.0 * unit(rng));
    }
    return a;
}

std::vector<double> RandomVector(int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0), unit(0.0, 1.0);
    std::vector<double> b(static_cast<std::size_t>(n));
    for (double& v : b) {
        const double r = unit(rng);
        v = r < 0.2 ? 0.0 : (r < 0.3 ? -0.0 : u(rng) * 100.0);
    }
    return b;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// First index where the bits differ, for the failure message.
std::string FirstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) {
            return "index " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " +
                   std::to_string(b[i]) +
                   (std::signbit(a[i]) != std::signbit(b[i]) ? " (sign)" : "");
        }
    }
    return "sizes differ";
}

struct Outcome {
    bool ok = false;
    std::vector<double> x, b;
};

Outcome Dense(Matrix a, std::vector<double> b) {
    Outcome o;
    o.x.assign(b.size(), 0.0);
    o.ok = SolveGauss(o.x.data(), a.data(), b.data(), static_cast<int>(b.size()));
    o.b = b;
    return o;
}

Outcome Profile(const Matrix& a, std::vector<double> b, ProfileStatus* status = nullptr) {
    Outcome o;
    o.x.assign(b.size(), 0.0);
    const ProfileStatus st =
        SolveProfileDense(o.x.data(), a.data(), b.data(), static_cast<int>(b.size()));
    if (status) *status = st;
    o.ok = st == ProfileStatus::kOk;
    o.b = b;
    return o;
}

void ExpectIdentical(const Matrix& a, const std::vector<double>& b, const std::string& what) {
    const Outcome d = Dense(a, b);
    const Outcome p = Profile(a, b);
    ASSERT_EQ(d.ok, p.ok) << what;
    if (!d.ok) return;
    EXPECT_TRUE(SameBits(d.x, p.x)) << what << " x " << FirstDifference(d.x, p.x);
    EXPECT_TRUE(SameBits(d.b, p.b)) << what << " b " << FirstDifference(d.b, p.b);
}

}  // namespace

TEST(ProfileSolver, RandomMatricesGiveTheDenseBits) {
    const Shape shapes[] = {
        {"banded symmetric", 60, 5, 0.0, true, 0.02},
        {"banded unsymmetric", 60, 4, 0.0, false, 0.02},
        {"wide band", 90, 20, 0.0, true, 0.0},
        {"sparse symmetric", 70, 0, 0.05, true, 0.03},
        {"sparse unsymmetric", 70, 1, 0.06, false, 0.03},
        {"dense", 25, 25, 1.0, false, 0.0},
        {"tiny entries", 40, 3, 0.02, false, 0.4},
        {"one unknown", 1, 0, 0.0, false, 0.0},
        {"two unknowns", 2, 1, 0.0, false, 0.0},
    };
    for (const Shape& s : shapes) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            std::mt19937_64 rng(seed * 7919u + static_cast<unsigned>(s.n));
            const Matrix a = RandomMatrix(s, rng);
            ExpectIdentical(a, RandomVector(s.n, rng),
                            std::string(s.name) + " seed " + std::to_string(seed));
        }
    }
}

TEST(ProfileSolver, ZeroPivotRepairGivesTheDenseBits) {
    // [[0,1],[1,1]] with b = (1, 2): one row added, x = (1, 1).
    {
        const Matrix a = {0, 1, 1, 1};
        ExpectIdentical(a, {1, 2}, "2x2 repair");
        std::vector<double> b = {1, 2}, x(2);
        ASSERT_EQ(SolveProfileDense(x.data(), a.data(), b.data(), 2), ProfileStatus::kOk);
        EXPECT_DOUBLE_EQ(x[0], 1.0);
        EXPECT_DOUBLE_EQ(x[1], 1.0);
    }
    // Zero diagonals inside random banded matrices: the repair adds one or
    // several rows whose profiles reach farther right than the pivot row's,
    // so the rows below must grow as well.
    struct Case {
        const char* name;
        int row;       // pivot row that is zeroed
        int zeroRows;  // following rows whose column `row` is zeroed too
        int band;
    };
    const Case cases[] = {
        {"one addition", 10, 0, 3},
        {"three additions", 20, 2, 3},
        {"repair at the first row", 0, 1, 2},
        {"repair reaching a far row", 15, 0, 6},
    };
    for (const Case& c : cases) {
        for (unsigned seed = 1; seed <= 8; ++seed) {
            std::mt19937_64 rng(seed + 100u);
            const Shape s{"repair", 40, c.band, 0.01, false, 0.0};
            Matrix a = RandomMatrix(s, rng);
            const std::size_t n = 40;
            // The pivot row and the next zeroRows rows get nothing in columns
            // 0..row, so no elimination can fill the pivot before its turn.
            for (int z = 0; z <= c.zeroRows; ++z)
                for (int k = 0; k <= c.row; ++k) a[(c.row + z) * n + k] = 0.0;
            a[(c.row + c.zeroRows + 1) * n + c.row] = 2.0;
            // A far entry in the last added row makes the repaired row wider.
            a[(c.row + c.zeroRows + 1) * n + (n - 1)] = 3.5;
            ExpectIdentical(a, RandomVector(40, rng),
                            std::string(c.name) + " seed " + std::to_string(seed));
            ProfileMatrix m;
            ASSERT_TRUE(m.FromDense(a.data(), 40));
            ProfileSolver solver;
            solver.Factorise(std::move(m));
            EXPECT_GE(solver.RepairAdditions(), c.zeroRows + 1) << c.name;
        }
    }
}

TEST(ProfileSolver, SingularMatricesFailLikeTheDenseSolver) {
    std::mt19937_64 rng(5);
    const Shape s{"singular", 30, 3, 0.0, true, 0.0};
    // A zero column: no row addition can repair its pivot.
    Matrix zeroColumn = RandomMatrix(s, rng);
    for (int r = 0; r < 30; ++r) zeroColumn[r * 30 + 12] = 0.0;
    // A last row of zeros: nothing is left to add.
    Matrix zeroLastRow = RandomMatrix(s, rng);
    for (int c = 0; c < 30; ++c) zeroLastRow[29 * 30 + c] = 0.0;
    // Two equal rows: elimination leaves a zero pivot with zero rows below.
    Matrix equalRows = RandomMatrix(s, rng);
    for (int c = 0; c < 30; ++c) equalRows[29 * 30 + c] = equalRows[28 * 30 + c];
    for (const Matrix* a : {&zeroColumn, &zeroLastRow, &equalRows}) {
        const std::vector<double> b = RandomVector(30, rng);
        ProfileStatus st;
        Profile(*a, b, &st);
        EXPECT_FALSE(Dense(*a, b).ok);
        EXPECT_EQ(st, ProfileStatus::kSingular);
    }
    std::vector<double> x(1), b = {1.0};
    const Matrix one = {0.0};
    EXPECT_EQ(SolveProfileDense(x.data(), one.data(), b.data(), 1), ProfileStatus::kSingular);
}

TEST(ProfileSolver, OneFactorisationServesManyRightHandSides) {
    std::mt19937_64 rng(77);
    const Shape s{"reuse", 80, 6, 0.01, true, 0.01};
    Matrix a = RandomMatrix(s, rng);
    // With a repair at row 33, whose additions are replayed too.
    for (int k = 0; k <= 33; ++k) a[33 * 80 + k] = 0.0;
    ProfileMatrix m;
    ASSERT_TRUE(m.FromDense(a.data(), 80));
    ProfileSolver solver;
    ASSERT_EQ(solver.Factorise(std::move(m)), ProfileStatus::kOk);
    EXPECT_GE(solver.RepairAdditions(), 1);
    for (int k = 0; k < 6; ++k) {
        const std::vector<double> b = RandomVector(80, rng);
        const Outcome d = Dense(a, b);
        std::vector<double> pb = b, px(80);
        ASSERT_EQ(solver.Solve(pb.data(), px.data()), ProfileStatus::kOk);
        ASSERT_TRUE(d.ok);
        EXPECT_TRUE(SameBits(d.x, px)) << "vector " << k << " " << FirstDifference(d.x, px);
        EXPECT_TRUE(SameBits(d.b, pb)) << "vector " << k;
    }
}

TEST(ProfileSolver, NonFiniteNumbersAreHandedBack) {
    const double inf = std::numeric_limits<double>::infinity();
    // An infinite matrix entry: inf x 0 would differ from a skipped term.
    {
        const Matrix a = {4, 1, 0, 1, 4, inf, 0, 1, 4};
        std::vector<double> b = {1, 2, 3}, x(3);
        EXPECT_EQ(SolveProfileDense(x.data(), a.data(), b.data(), 3), ProfileStatus::kNonFinite);
    }
    // A finite matrix with an infinite load: the factor is fine, the
    // solution is not.
    {
        const Matrix a = {4, 1, 0, 1, 4, 1, 0, 1, 4};
        ProfileMatrix m;
        ASSERT_TRUE(m.FromDense(a.data(), 3));
        ProfileSolver solver;
        ASSERT_EQ(solver.Factorise(std::move(m)), ProfileStatus::kOk);
        std::vector<double> b = {1, inf, 3}, x(3);
        EXPECT_EQ(solver.Solve(b.data(), x.data()), ProfileStatus::kNonFinite);
    }
    // Overflow during the elimination: the multiplier becomes infinite.
    {
        const Matrix a = {1e-5, 1e300, 1e300, 1e300};
        std::vector<double> b = {1, 1}, x(2);
        EXPECT_EQ(SolveProfileDense(x.data(), a.data(), b.data(), 2), ProfileStatus::kNonFinite);
    }
}

TEST(ProfileMatrix, StoresOnlyTheProfileAndGrowsOnDemand) {
    // A tridiagonal 5 x 5 stores 13 entries; widening a row keeps its values
    // and reads +0 in the new columns, also after moving past its room.
    Matrix a(25, 0.0);
    for (int i = 0; i < 5; ++i) {
        a[i * 5 + i] = 2.0 + i;
        if (i > 0) a[i * 5 + i - 1] = -1.0;
        if (i < 4) a[i * 5 + i + 1] = -1.0;
    }
    ProfileMatrix m;
    ASSERT_TRUE(m.FromDense(a.data(), 5));
    EXPECT_EQ(m.StoredCount(), 13u);
    m.WidenRight(0, 4);
    EXPECT_EQ(m.Hi(0), 4);
    EXPECT_EQ(m.Get(0, 0), 2.0);
    EXPECT_EQ(m.Get(0, 1), -1.0);
    EXPECT_EQ(m.Get(0, 4), 0.0);
    EXPECT_FALSE(std::signbit(m.Get(0, 3)));
    Matrix back(25);
    m.ToDense(back.data());
    EXPECT_EQ(0, std::memcmp(back.data(), a.data(), sizeof(double) * 25));
}
