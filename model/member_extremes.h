// True M-max and M-min of every member.
//
// The result points of a member are a fixed list (its ends, the named
// points of interest, equal divisions), and the bending moment can peak
// between them: under a concentrated load, on either side of a couple, and
// where the shear of distributed loads (and distributed springs) passes
// zero. MemberExtremeSearch evaluates the moment there too, by the
// operations of the result points in their order (so the rows and the
// points show one and the same moment line, distributed loads taken by
// their slices), and puts a larger maximum or a smaller minimum into the
// member's M-max or M-min row with its position, S, N and member
// displacement. The result points themselves do not change.
#pragma once

#include <cstddef>
#include <vector>

#include "model/load_terms.h"

struct FrameModel;
struct FrameResults;
class DistributedSprings;

class MemberExtremeSearch {
  public:
    // Keeps what the search needs of every member of `analysed` in every
    // load case of `results`, into which `analysed` has just been analysed
    // (end forces, end displacements, spring intensities, the loads on
    // each member, S and N at its ends); to be built once the member
    // forces of every load case are final and before anything overwrites
    // them. `analysed` must outlive the search; `springs` are its
    // distributed springs (only read here).
    MemberExtremeSearch(const FrameResults& results, const FrameModel& analysed,
                        const DistributedSprings& springs);

    // The members of the results are the analysed members themselves.
    void MapMembersToThemselves();
    // The members of the results are the members of `user`, each made of
    // the analysed (expanded) members segFirst..segLast; S and N are made
    // continuous across their joints as the mapping back does (from the
    // pieces' results, the same as given to the constructor).
    void MapMembersTo(const FrameModel& user, const FrameResults& results);

    // Widens the M-max and M-min rows (pointCount + 1 and + 2) of member
    // `member` in block `block` of results, which must already hold the
    // extremes of the result points. `model` gives the combinations of the
    // combination blocks. Load cases marked in failedCases (by case index)
    // had their results cleared and count as 0. A row taken from between
    // the points gets maxIndex or minIndex 0. Only reads the search and
    // writes the one member slot, so blocks and members may be refined on
    // several threads at once.
    void Refine(FrameResults& results, const FrameModel& model, int block, int member,
                const std::vector<unsigned char>& failedCases) const;

  private:
    // One analysed member (a piece of a user member).
    struct Piece {
        MemberLoadContext ctx;
        double length = 0;   // the model's float length
        float firstPos = 0;  // positions of its first and last result points
        float lastPos = 0;
        bool valid = false;  // has result points
    };
    // One piece in one load case.
    struct CaseForces {
        float mi = 0, mj = 0, nj = 0;                        // end forces M_i, M_j, N_j
        float ui = 0, vi = 0, uj = 0, vj = 0;                // end displacements for the springs
        double kv = 0, ku = 0;                               // distributed springs (kN/m2)
        float sFirst = 0, sLast = 0, nFirst = 0, nLast = 0;  // at its end points
        double s0 = 0, s1 = 0, n0 = 0, n1 = 0;               // the mapping's shifts at its ends
        std::vector<int> loads;  // load numbers acting on it, in load order
    };
    // One piece of a member of the results, from `offset` (m) along it.
    struct PieceRef {
        int slot = 0;
        float offset = 0;
    };
    class CaseOnPiece;
    struct Candidate;

    const CaseForces& Forces(int c, int slot) const {
        return forces_[static_cast<std::size_t>(c) * static_cast<std::size_t>(pieceCount_ + 1) +
                       static_cast<std::size_t>(slot)];
    }
    void CollectCandidates(const std::vector<PieceRef>& pieces, std::size_t j,
                           const std::vector<const CaseOnPiece*>& cases,
                           const std::vector<double>& weights, double endPos,
                           const float* positions, int n, std::vector<Candidate>& out) const;

    const FrameModel& analysed_;
    int caseCount_ = 0;
    int pieceCount_ = 0;
    std::vector<Piece> pieces_;                   // slots 1..pieceCount_
    std::vector<CaseForces> forces_;              // case x piece
    std::vector<std::vector<PieceRef>> members_;  // member of the results -> its pieces
};
