// The fast way to the solution of one load case: the stiffness matrix is
// assembled into row profiles (once per distinct set of supports), the
// system of the kept degrees of freedom is factorised once and reused for
// every load case with the same matrix and the same kept degrees of
// freedom. The load vector, the map of degrees of freedom and the solution
// come out bit for bit as AssembleStiffness + SolveLoadCase leave them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/profile_solver.h"

struct FrameModel;
struct StiffnessWork;

class FastCaseSolver {
  public:
    // Assembled matrices and factorisations kept for reuse are dropped
    // (least recently used first) beyond this many bytes each; the ones in
    // use always stay. Together they stay well below the two dense N x N
    // matrices of the reference (92 MB at N = 2400).
    explicit FastCaseSolver(std::size_t cacheBytes = 32u << 20) : cacheBytes_(cacheBytes) {}

    // Same contract as AssembleStiffness followed by SolveLoadCase on work
    // (allocated, possibly without matrices, and cleared): fills work.p,
    // work.map, work.keptCount and work.x and returns the solver's flag.
    // Where the profile solver meets a number that is not finite, the case
    // is solved the dense way (the matrices are then allocated on demand;
    // if that fails, the memory message is shown and the case is left
    // without displacements).
    bool SolveCase(const FrameModel& model, int caseIndex, StiffnessWork& work);

    // Counters for tests and the benchmark.
    int Factorisations() const { return factorisations_; }
    int Reuses() const { return reuses_; }
    int DenseFallbacks() const { return denseFallbacks_; }

  private:
    struct Stiffness {
        int id = 0;
        std::vector<std::uint32_t> key;  // the support entries that shape K
        ProfileMatrix k;                 // all N degrees of freedom
        std::vector<char> emptyRow;      // |K(i, j)| <= 1e-32 for every j
        unsigned lastUse = 0;
    };
    struct Factor {
        int stiffness = 0;  // id of its Stiffness
        std::vector<int> map;
        ProfileSolver solver;
        unsigned lastUse = 0;
    };

    Stiffness* FindOrBuildStiffness(const FrameModel& model, int caseIndex, int dofCount);
    Factor* FindOrBuildFactor(const Stiffness& st, const std::vector<int>& map, int kept);
    void TrimStiffness(const Stiffness* keep);
    void TrimCache(const Factor* keep);
    bool SolveDense(const FrameModel& model, int caseIndex, StiffnessWork& work);

    std::size_t cacheBytes_;
    std::vector<std::unique_ptr<Stiffness>> stiffness_;
    std::vector<std::unique_ptr<Factor>> factors_;
    unsigned clock_ = 0;
    int nextId_ = 0;
    int factorisations_ = 0, reuses_ = 0, denseFallbacks_ = 0;
    std::vector<double> b_;
};
