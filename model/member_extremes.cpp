#include "model/member_extremes.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_set>
#include <utility>

#include "model/analysis_steps.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/numeric.h"
#include "platform/assertions.h"

namespace {

// Two positions closer than this (m) are one point.
constexpr double kSamePoint = 0.0001;
// Shortest length a chord slope divides by (m), as for the member forces.
constexpr double kMinLength = 0.0001;
// Intervals shorter than this (m) hold no zero of the shear worth a look.
constexpr double kShortestInterval = 1e-6;

bool IsConcentratedForce(int code) { return code >= kLoadConcAxial && code <= kLoadConcY; }
bool IsDistributed(int code) { return code >= kLoadDistAxial && code <= kLoadDistY; }

// M, S and N of one block at one position.
struct PointValues {
    float m = 0, s = 0, n = 0;
};

// The zeros in [-0.5, 0.5] of t(s) = a s^2 + b s + c.
std::vector<double> QuadraticZeros(double a, double b, double c) {
    std::vector<double> zeros;
    auto keep = [&](double s) {
        if (std::isfinite(s) && std::fabs(s) <= 0.5) zeros.push_back(s);
    };
    if (a == 0) {
        if (b != 0) keep(-c / b);
        return zeros;
    }
    const double disc = b * b - 4 * a * c;
    if (disc < 0) return zeros;  // no zero, or a touching one: no extreme there
    // The stable pair of roots: q / a and c / q.
    const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    if (q == 0) return zeros;  // a = b = c... only a touching zero at 0 is left
    keep(q / a);
    keep(c / q);
    return zeros;
}

}  // namespace

// One load case on one piece, ready to be evaluated anywhere along it by
// the operations of the member forces, in their order: the straight line
// between the end moments, then every load (M, N and, after the slope
// between the end points is known, S), then the distributed springs.
class MemberExtremeSearch::CaseOnPiece {
  public:
    CaseOnPiece(const Piece& piece, const CaseForces& forces, const LoadCase& lc)
        : piece_(piece), forces_(forces) {
        for (const int l : forces.loads) {
            const LoadRecord& load = lc.loads[l];
            loads_.push_back(&load);
            effects_.emplace_back(piece.ctx, load.code, load.qI, load.qJ, load.distI, load.distJ);
        }
        if (forces.kv != 0) {
            springs_.emplace_back(piece.ctx, kLoadDistPerp, -forces.kv * forces.vi,
                                  -forces.kv * forces.vj, 0, 0, true);
        }
        if (forces.ku != 0) {
            springs_.emplace_back(piece.ctx, kLoadDistAxial, -forces.ku * forces.ui,
                                  -forces.ku * forces.uj, 0, 0, true);
        }
        const double length = std::max(piece.length, kMinLength);
        slope_ = static_cast<float>(
            (static_cast<double>(StoredMoment(piece.lastPos)) - StoredMoment(piece.firstPos)) /
            length);
        exactSlope_ = (ExactMoment(piece.lastPos) - ExactMoment(piece.firstPos)) / length;
    }

    const std::vector<const LoadRecord*>& Loads() const { return loads_; }
    bool HasSprings() const { return !springs_.empty(); }

    // The values as the result points get them (so that a row never lies
    // off the moment the points show: distributed loads by their slices
    // too); justPast takes the side after a concentrated load or couple
    // at x.
    PointValues At(float x, bool justPast) const {
        PointValues v;
        v.m = static_cast<float>(Chord(x));
        v.n = forces_.nj;
        v.s = slope_;
        for (const LoadEffectsEvaluator& e : effects_) {
            const PointEffects fx = justPast ? e.AtJustPast(x) : e.At(x);
            v.m = static_cast<float>(v.m - fx.m);
            v.n = static_cast<float>(v.n + fx.n);
            v.s = static_cast<float>(v.s - fx.s);
        }
        for (const LoadEffectsEvaluator& e : springs_) {
            const PointEffects fx = e.At(x);
            v.m = static_cast<float>(v.m - fx.m);
            v.n = static_cast<float>(v.n + fx.n);
        }
        return v;
    }

    // dM/dx at x, the springs included (the member forces leave them out
    // of S), without rounding to floats: the zeros are looked for in it.
    double Shear(double x) const {
        double s = exactSlope_;
        for (const LoadEffectsEvaluator& e : effects_) s -= e.At(x).s;
        for (const LoadEffectsEvaluator& e : springs_) s -= e.At(x).s;
        return s;
    }

  private:
    double Chord(double x) const {
        return Interpolate(0, -static_cast<double>(forces_.mi), piece_.length, forces_.mj, x);
    }
    // M before the springs, as the slope of S takes it at the end points.
    float StoredMoment(float x) const {
        float m = static_cast<float>(Chord(x));
        for (const LoadEffectsEvaluator& e : effects_) m = static_cast<float>(m - e.At(x).m);
        return m;
    }
    double ExactMoment(double x) const {
        double m = Chord(x);
        for (const LoadEffectsEvaluator& e : effects_) m -= e.At(x).m;
        return m;
    }

    const Piece& piece_;
    const CaseForces& forces_;
    std::vector<const LoadRecord*> loads_;
    std::vector<LoadEffectsEvaluator> effects_;
    std::vector<LoadEffectsEvaluator> springs_;
    float slope_ = 0;
    double exactSlope_ = 0;
};

// A place to evaluate: piece j of the member at x along it, on the far
// side of a load at x when justPast. A couple's two sides are both looked
// at, even on a result point (which shows only one of them).
struct MemberExtremeSearch::Candidate {
    std::size_t piece = 0;
    float x = 0;
    bool justPast = false;
};

MemberExtremeSearch::MemberExtremeSearch(const FrameResults& results, const FrameModel& analysed,
                                         const DistributedSprings& springs)
    : analysed_(analysed) {
    caseCount_ = CheckedCount(std::min(results.caseCount, analysed.loadCaseCount), kMaxResultCases);
    pieceCount_ = CheckedCount(std::min(results.memberCount, analysed.memberCount),
                               std::min(kMaxMembers, kResultMemberSlots - 1));
    pieces_.resize(static_cast<std::size_t>(pieceCount_) + 1);
    for (int p = 1; p <= pieceCount_; ++p) {
        const ResultMember& rm = results.member[p];
        const int np = CheckedCount(rm.pointCount, kMaxResultPoints);
        Piece& piece = pieces_[static_cast<std::size_t>(p)];
        piece.valid = np >= 1;
        if (!piece.valid) continue;
        piece.ctx = GetMemberLoadContext(analysed, p);
        piece.length = analysed.members[p].length;
        piece.firstPos = rm.pointPos[1];
        piece.lastPos = rm.pointPos[np];
    }
    // The member slots by number, the first slot of each number, for the
    // members a load's range names.
    std::vector<std::pair<int, int>> byNumber;
    std::unordered_set<int> seen;
    for (int p = 1; p <= pieceCount_; ++p)
        if (seen.insert(analysed.members[p].no).second)
            byNumber.emplace_back(analysed.members[p].no, p);
    std::sort(byNumber.begin(), byNumber.end());

    forces_.resize(static_cast<std::size_t>(caseCount_ + 1) *
                   static_cast<std::size_t>(pieceCount_ + 1));
    for (int c = 1; c <= caseCount_; ++c) {
        const ResultCase& block = results.block[c];
        auto forcesOf = [&](int p) -> CaseForces& {
            return forces_[static_cast<std::size_t>(c) * static_cast<std::size_t>(pieceCount_ + 1) +
                           static_cast<std::size_t>(p)];
        };
        for (int p = 1; p <= pieceCount_; ++p) {
            const MemberResult& mr = block.members[p];
            const int np = CheckedCount(results.member[p].pointCount, kMaxResultPoints);
            CaseForces& f = forcesOf(p);
            f.mi = mr.endForce[2];
            f.mj = mr.endForce[5];
            f.nj = mr.endForce[3];
            f.ui = mr.endDisp[0];
            f.vi = mr.endDisp[1];
            f.uj = mr.endDisp[3];
            f.vj = mr.endDisp[4];
            if (np >= 1) {
                f.sFirst = mr.values[kQtyS][1];
                f.sLast = mr.values[kQtyS][np];
                f.nFirst = mr.values[kQtyN][1];
                f.nLast = mr.values[kQtyN][np];
            }
            const SpringIntensity spring = springs.At(c, p);
            f.kv = spring.kv;
            f.ku = spring.ku;
        }
        const LoadCase& lc = analysed.loadCases[c];
        const int loadCount = CheckedCount(lc.count, kMaxLoads);
        for (int l = 1; l <= loadCount; ++l) {
            const LoadRecord& load = lc.loads[l];
            if (load.code == kLoadNodal) continue;
            int from = load.memberFrom, to = load.memberTo == 0 ? from : load.memberTo;
            if (to < from) std::swap(from, to);
            auto it = std::lower_bound(byNumber.begin(), byNumber.end(), std::make_pair(from, 0));
            for (; it != byNumber.end() && it->first <= to; ++it)
                forcesOf(it->second).loads.push_back(l);
        }
    }
}

void MemberExtremeSearch::MapMembersToThemselves() {
    members_.assign(static_cast<std::size_t>(pieceCount_) + 1, {});
    for (int p = 1; p <= pieceCount_; ++p)
        if (pieces_[static_cast<std::size_t>(p)].valid)
            members_[static_cast<std::size_t>(p)].push_back({p, 0.0f});
}

void MemberExtremeSearch::MapMembersTo(const FrameModel& user, const FrameResults& results) {
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    members_.assign(static_cast<std::size_t>(mc) + 1, {});
    std::vector<float> lastPos(static_cast<std::size_t>(pieceCount_) + 1, 0.0f);
    for (int p = 1; p <= pieceCount_; ++p)
        lastPos[p] = pieces_[static_cast<std::size_t>(p)].lastPos;
    std::vector<std::vector<ForceJump>> jumps(static_cast<std::size_t>(caseCount_) + 1);
    for (int c = 1; c <= caseCount_; ++c) jumps[c] = LoadJumpsAtPieceEnds(analysed_, c, lastPos);
    for (int t = 1; t <= mc; ++t) {
        const FrameMember& um = user.members[t];
        if (um.segFirst < 1 || um.segLast < um.segFirst || um.segLast > pieceCount_) continue;
        // Offsets as the mapping back sums them: the pieces' last positions.
        float a = 0;
        std::vector<PieceRef>& refs = members_[static_cast<std::size_t>(t)];
        for (int b = um.segFirst; b <= um.segLast; ++b) {
            const Piece& piece = pieces_[static_cast<std::size_t>(b)];
            if (!piece.valid) continue;
            refs.push_back({b, a});
            a += piece.lastPos;
        }
        if (refs.size() < 2 && um.segFirst == um.segLast) continue;
        // The shifts of each case, as the mapping back makes them.
        const std::vector<PieceSoil> soil = PieceSoilShares(analysed_, user, t);
        const bool whole = refs.size() == static_cast<std::size_t>(um.segLast - um.segFirst + 1);
        for (int c = 1; c <= caseCount_; ++c) {
            std::vector<PieceEnds> ends;
            std::vector<ForceJump> at;
            for (const PieceRef& ref : refs) {
                const CaseForces& f = Forces(c, ref.slot);
                ends.push_back({f.sFirst, f.sLast, f.nFirst, f.nLast});
                at.push_back(jumps[c][static_cast<std::size_t>(ref.slot)]);
            }
            const ResultCase& block = results.block[c];
            const ForceJump startSpring = MemberSpringJump(analysed_, block, c, t, um.nodeI,
                                                           analysed_.members[um.segFirst].angle);
            const ForceJump endSpring = MemberSpringJump(analysed_, block, c, t, um.nodeJ,
                                                         analysed_.members[um.segLast].angle);
            const bool soilActs = whole && MemberOnSpringsInCase(user, c, t);
            const std::vector<PieceShift> shifts = PieceShifts(
                ends, at, soilActs ? soil : std::vector<PieceSoil>{}, startSpring, endSpring);
            for (std::size_t j = 0; j < refs.size(); ++j) {
                CaseForces& f = forces_[static_cast<std::size_t>(c) *
                                            static_cast<std::size_t>(pieceCount_ + 1) +
                                        static_cast<std::size_t>(refs[j].slot)];
                f.s0 = shifts[j].s0;
                f.s1 = shifts[j].s1;
                f.n0 = shifts[j].n0;
                f.n1 = shifts[j].n1;
            }
        }
    }
}

void MemberExtremeSearch::CollectCandidates(const std::vector<PieceRef>& pieces, std::size_t j,
                                            const std::vector<const CaseOnPiece*>& cases,
                                            const std::vector<double>& weights, double endPos,
                                            const float* positions, int n,
                                            std::vector<Candidate>& out) const {
    const PieceRef& ref = pieces[j];
    const Piece& piece = pieces_[static_cast<std::size_t>(ref.slot)];
    auto inside = [&](std::size_t k, float x) {
        const double pos = static_cast<float>(pieces[k].offset + x);
        return pos > kSamePoint && pos < endPos - kSamePoint;
    };
    // A result point already shows the moment at its position.
    auto onPoint = [&](std::size_t k, float x) {
        const float pos = pieces[k].offset + x;
        const float* it = std::lower_bound(positions + 1, positions + n + 1, pos);
        return (it <= positions + n && *it - pos < kSamePoint) ||
               (it > positions + 1 && pos - *(it - 1) < kSamePoint);
    };
    auto add = [&](std::size_t k, float x, bool justPast, bool evenOnPoint) {
        if (inside(k, x) && (evenOnPoint || !onPoint(k, x))) out.push_back({k, x, justPast});
    };
    std::vector<double> breaks = {piece.firstPos, piece.lastPos};
    bool curved = false;  // the shear is not constant between the breaks
    for (const CaseOnPiece* cp : cases) {
        curved = curved || cp->HasSprings();
        for (const LoadRecord* load : cp->Loads()) {
            const double a = load->distI;
            if (IsConcentratedForce(load->code)) {
                breaks.push_back(a);
                add(j, static_cast<float>(a), false, false);
            } else if (load->code == kLoadConcMoment) {
                switch (PlaceOnMember(piece.ctx.length, a)) {
                    case EndPlace::kInside:
                        breaks.push_back(a);
                        add(j, static_cast<float>(a), false, true);
                        add(j, static_cast<float>(a), true, true);
                        break;
                    case EndPlace::kAtI:  // at a joint of two pieces: both ends
                        if (j > 0 && inside(j, piece.firstPos)) {
                            add(j, piece.firstPos, false, true);
                            add(j - 1,
                                pieces_[static_cast<std::size_t>(pieces[j - 1].slot)].lastPos,
                                false, true);
                        }
                        break;
                    case EndPlace::kAtJ:
                        if (j + 1 < pieces.size() && inside(j, piece.lastPos)) {
                            add(j, piece.lastPos, false, true);
                            add(j + 1,
                                pieces_[static_cast<std::size_t>(pieces[j + 1].slot)].firstPos,
                                false, true);
                        }
                        break;
                }
            } else if (IsDistributed(load->code)) {
                curved = true;
                breaks.push_back(a);
                breaks.push_back(piece.ctx.length - load->distJ);
            }
        }
    }
    if (!curved) return;
    // Between two breaks the shear of the block is a polynomial of degree
    // two at most (linear loads): three values give it, and its zeros are
    // where the moment peaks.
    breaks.erase(
        std::remove_if(breaks.begin(), breaks.end(), [](double b) { return !std::isfinite(b); }),
        breaks.end());
    for (double& b : breaks)
        b = std::clamp(b, static_cast<double>(piece.firstPos), static_cast<double>(piece.lastPos));
    std::sort(breaks.begin(), breaks.end());
    auto shear = [&](double x) {
        double s = 0;
        for (std::size_t i = 0; i < cases.size(); ++i) s += weights[i] * cases[i]->Shear(x);
        return s;
    };
    for (std::size_t k = 0; k + 1 < breaks.size(); ++k) {
        const double lo = breaks[k], hi = breaks[k + 1], h = hi - lo;
        if (!(h > kShortestInterval)) continue;
        const double mid = lo + h / 2;
        const double tm = shear(lo + h / 4), t0 = shear(mid), tp = shear(hi - h / 4);
        // t(s) at s = -1/4, 0, 1/4 of the interval around its middle.
        const double a = 8 * (tp + tm - 2 * t0), b = 2 * (tp - tm), c = t0;
        for (const double s : QuadraticZeros(a, b, c))
            add(j, static_cast<float>(mid + s * h), false, false);
    }
}

void MemberExtremeSearch::Refine(FrameResults& results, const FrameModel& model, int block,
                                 int member, const std::vector<unsigned char>& failedCases) const {
    if (member < 1 || member >= static_cast<int>(members_.size())) return;
    const std::vector<PieceRef>& pieces = members_[static_cast<std::size_t>(member)];
    const int n = CheckedCount(results.member[member].pointCount, kMaxResultPoints);
    if (pieces.empty() || n < 2 || block < 1 || block >= kResultCaseSlots) return;
    auto failed = [&](int c) {
        return c < static_cast<int>(failedCases.size()) &&
               failedCases[static_cast<std::size_t>(c)] != 0;
    };
    // The load cases of the block with their weights.
    std::vector<int> cases;
    std::vector<double> weights;
    bool combination = false;
    if (block <= results.caseCount) {
        if (block > caseCount_ || failed(block)) return;
        cases.push_back(block);
        weights.push_back(1.0);
    } else {
        const int k = block - results.caseCount - 1;
        if (k < 1 || k > std::min({results.comboCount, model.combinationCount, kMaxCombinations}))
            return;
        combination = true;
        const KumiCase& combo = model.combinations[k];
        for (int e = 1; e <= CheckedCount(combo.count, kMaxCombinationEntries); ++e) {
            const int c = FindLoadCaseIndex(model, combo.entries[e].loadCaseNo);
            // A failed case was cleared: it adds nothing.
            if (c < 1 || c > results.caseCount || c > caseCount_ || failed(c)) continue;
            cases.push_back(c);
            weights.push_back(static_cast<double>(combo.entries[e].factor) * combo.factor);
        }
    }
    if (cases.empty()) return;

    MemberResult& mr = results.block[block].members[member];
    const float* positions = mr.values[kQtyPos];
    const double endPos = positions[n];
    // Each case on each piece, made when first needed.
    std::vector<std::vector<std::unique_ptr<CaseOnPiece>>> made(pieces.size());
    auto casesOn = [&](std::size_t j) {
        std::vector<std::unique_ptr<CaseOnPiece>>& list = made[j];
        const int slot = pieces[j].slot;
        if (list.empty()) {
            for (const int c : cases)
                list.push_back(
                    std::make_unique<CaseOnPiece>(pieces_[static_cast<std::size_t>(slot)],
                                                  Forces(c, slot), analysed_.loadCases[c]));
        }
        std::vector<const CaseOnPiece*> raw;
        for (const auto& p : list) raw.push_back(p.get());
        return raw;
    };
    std::vector<Candidate> candidates;
    for (std::size_t j = 0; j < pieces.size(); ++j) {
        const int slot = pieces[j].slot;
        bool loaded = false;
        for (const int c : cases) {
            const CaseForces& f = Forces(c, slot);
            loaded = loaded || !f.loads.empty() || f.kv != 0 || f.ku != 0;
        }
        // Unloaded: the moment is straight between the ends of the piece.
        if (loaded)
            CollectCandidates(pieces, j, casesOn(j), weights, endPos, positions, n, candidates);
    }
    if (candidates.empty()) return;

    // The block's values at a candidate: each case's values made continuous
    // across the pieces' joints as the mapping back makes them, then
    // combined as the combinations are.
    auto valuesAt = [&](const Candidate& cand) {
        const std::vector<const CaseOnPiece*> on = casesOn(cand.piece);
        const std::size_t j = cand.piece;
        const int slot = pieces[j].slot;
        const float lb = pieces_[static_cast<std::size_t>(slot)].lastPos;
        const double r = lb > 0 ? cand.x / lb : 0;
        PointValues sum;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const int c = cases[i];
            const CaseForces& f = Forces(c, slot);
            PointValues v = on[i]->At(cand.x, cand.justPast);
            v.s = static_cast<float>(v.s + f.s0 + (f.s1 - f.s0) * r);
            v.n = static_cast<float>(v.n + f.n0 + (f.n1 - f.n0) * r);
            if (!combination) return v;
            sum.m = static_cast<float>(sum.m + weights[i] * v.m);
            sum.s = static_cast<float>(sum.s + weights[i] * v.s);
            sum.n = static_cast<float>(sum.n + weights[i] * v.n);
        }
        return sum;
    };
    // Member displacement between two result points: the straight line.
    auto displacementAt = [&](float pos) {
        const float* disp = mr.values[kQtyDisp];
        int k =
            static_cast<int>(std::upper_bound(positions + 1, positions + n + 1, pos) - positions) -
            1;
        k = std::clamp(k, 1, n - 1);
        const double span = static_cast<double>(positions[k + 1]) - positions[k];
        const double t = span > 0 ? (pos - positions[k]) / span : 0.0;
        return static_cast<float>(disp[k] + (static_cast<double>(disp[k + 1]) - disp[k]) * t);
    };
    float best = mr.values[kQtyM][n + 1], worst = mr.values[kQtyM][n + 2];
    // A place between the points must beat them by more than the rounding
    // of floats, so that a flat stretch of the moment keeps its point.
    const double margin = 1e-6 * std::max(std::fabs(best), std::fabs(worst));
    const Candidate* top = nullptr;
    const Candidate* bottom = nullptr;
    PointValues topValues, bottomValues;
    for (const Candidate& cand : candidates) {
        const PointValues v = valuesAt(cand);
        if (!std::isfinite(v.m) || !std::isfinite(v.s) || !std::isfinite(v.n)) continue;
        if (v.m > best + margin) {
            best = v.m;
            top = &cand;
            topValues = v;
        }
        if (v.m < worst - margin) {
            worst = v.m;
            bottom = &cand;
            bottomValues = v;
        }
    }
    auto store = [&](int slot, const Candidate& cand, const PointValues& v) {
        const float pos = pieces[cand.piece].offset + cand.x;
        mr.values[kQtyPos][slot] = pos;
        mr.values[kQtyM][slot] = v.m;
        mr.values[kQtyS][slot] = v.s;
        mr.values[kQtyN][slot] = v.n;
        mr.values[kQtyDisp][slot] = displacementAt(pos);
    };
    if (top) {
        store(n + 1, *top, topValues);
        mr.maxIndex = 0;
    }
    if (bottom) {
        store(n + 2, *bottom, bottomValues);
        mr.minIndex = 0;
    }
}
