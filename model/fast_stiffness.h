// The fast way to the solution of one load case: the stiffness matrix is
// assembled into row profiles (once per distinct set of supports), the
// system of the kept degrees of freedom is factorised once and reused for
// every load case with the same matrix and the same kept degrees of
// freedom. The load vector, the map of degrees of freedom and the solution
// come out bit for bit as AssembleStiffness + SolveLoadCase leave them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "model/profile_solver.h"

struct FrameModel;
struct StiffnessWork;

class FastCaseSolver {
  public:
    // Assembled matrices and factorisations kept for reuse are dropped
    // (least recently used first) beyond this many bytes each; the ones in
    // use always stay. Together they stay well below the two dense N x N
    // matrices of the dense solver (92 MB at N = 2400).
    explicit FastCaseSolver(std::size_t cacheBytes = 32u << 20) : cacheBytes_(cacheBytes) {}

    // Same contract as AssembleStiffness followed by SolveLoadCase on work
    // (allocated, possibly without matrices, and cleared): fills work.p,
    // work.map, work.keptCount and work.x and returns the solver's flag.
    // Where the profile solver meets a number that is not finite, the case
    // is solved the dense way (the matrices are then allocated on demand;
    // if that fails, the memory message is shown and the case is left
    // without displacements).
    bool SolveCase(const FrameModel& model, int caseIndex, StiffnessWork& work);

    enum class Outcome { kSolved, kSingular, kNeedsDense };
    // SolveCase without the dense way: kNeedsDense where SolveCase would
    // turn to it (work is then to be cleared and the case given to
    // SolveCase). Several threads may call it at once, each with its own
    // work: a matrix or factorisation another thread is building is waited
    // for, not built twice, and each case's numbers come out as SolveCase
    // gives them.
    Outcome SolveCaseProfile(const FrameModel& model, int caseIndex, StiffnessWork& work);

    // Counters for tests and the benchmark.
    int Factorisations() const { return factorisations_; }
    int Reuses() const { return reuses_; }
    int DenseFallbacks() const { return denseFallbacks_; }

  private:
    struct Stiffness {
        ProfileMatrix k;             // all N degrees of freedom
        std::vector<char> emptyRow;  // |K(i, j)| <= 1e-32 for every j
    };
    struct Factor {
        ProfileSolver solver;
    };
    // A cache entry: ready once its builder has set the value (null when
    // the build failed; the entry is then gone from the cache).
    template <typename T>
    struct Entry {
        int id = 0;
        std::shared_future<std::shared_ptr<const T>> ready;
        std::size_t bytes = 0;  // 0 while it is being built
        unsigned lastUse = 0;
    };
    struct StiffnessEntry : Entry<Stiffness> {
        std::vector<std::uint32_t> key;  // the support entries that shape K
    };
    struct FactorEntry : Entry<Factor> {
        int stiffness = 0;  // id of its stiffness entry
        std::vector<int> map;
    };

    std::shared_ptr<const Stiffness> GetStiffness(const FrameModel& model, int caseIndex,
                                                  int dofCount, int& id);
    std::shared_ptr<const Factor> GetFactor(const Stiffness& st, int stiffnessId,
                                            const std::vector<int>& map, int kept);
    static std::shared_ptr<const Stiffness> BuildStiffness(const FrameModel& model, int caseIndex,
                                                           int dofCount);
    static std::shared_ptr<const Factor> BuildFactor(const Stiffness& st,
                                                     const std::vector<int>& map, int kept);
    // Drops the least recently used ready entries beyond the limit; the
    // one with id `keep` stays. Called with mutex_ held.
    void TrimStiffness(int keep);
    void TrimFactors(int keep);
    bool SolveDense(const FrameModel& model, int caseIndex, StiffnessWork& work);

    std::size_t cacheBytes_;
    std::mutex mutex_;  // guards the two lists and the clock
    std::vector<std::unique_ptr<StiffnessEntry>> stiffness_;
    std::vector<std::unique_ptr<FactorEntry>> factors_;
    unsigned clock_ = 0;
    int nextId_ = 0;
    std::atomic<int> factorisations_{0}, reuses_{0}, denseFallbacks_{0};
};
