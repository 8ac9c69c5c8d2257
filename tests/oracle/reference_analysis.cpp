#include "tests/oracle/reference_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "model/analysis_steps.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_terms.h"
#include "model/member_extremes.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"

namespace reference {

namespace {

int PointCountOf(const ResultMember& member) {
    return CheckedCount(member.pointCount, kMaxResultPoints);
}

int ComboCountOf(const FrameResults& results, const FrameModel& model) {
    return CheckedCount(std::min(results.comboCount, model.combinationCount), kMaxResultCombos);
}

// Block index of the load case numbered `no`, 0 when it has no results.
int CaseBlockOf(const FrameResults& results, const FrameModel& model, int no) {
    const int c = FindLoadCaseIndex(model, no);
    return c >= 1 && c <= results.caseCount ? c : 0;
}

// Entry factor (float) times the combination's overall factor (double).
double EntryWeight(const KumiCase& combo, int e) {
    return static_cast<double>(combo.entries[e].factor) * combo.factor;
}

// Combination k: its whole block cleared, then each entry's values added
// point by point.
void CombineOne(FrameResults& results, const FrameModel& model, int k) {
    const KumiCase& combo = model.combinations[k];
    ResultCase& block = results.block[ComboBlockIndex(results, k)];
    block.caseNo = combo.no;
    std::memset(block.nodes, 0, sizeof block.nodes);
    std::memset(block.members, 0, sizeof block.members);
    for (int n = 1; n <= results.nodeCount; ++n) block.nodes[n].nodeNo = results.node[n].no;
    const int entries = CheckedCount(combo.count, kMaxCombinationEntries);
    for (int e = 1; e <= entries; ++e) {
        const int c = CaseBlockOf(results, model, combo.entries[e].loadCaseNo);
        if (c == 0) continue;
        const double w = EntryWeight(combo, e);
        const ResultCase& src = results.block[c];
        for (int n = 1; n <= results.nodeCount; ++n) {
            block.nodes[n].dx += w * src.nodes[n].dx;
            block.nodes[n].dy += w * src.nodes[n].dy;
            block.nodes[n].dt += w * src.nodes[n].dt;
        }
        for (int m = 1; m <= results.memberCount; ++m) {
            MemberResult& dst = block.members[m];
            const MemberResult& from = src.members[m];
            for (int p = 1; p <= PointCountOf(results.member[m]); ++p) {
                dst.values[kQtyPos][p] = from.values[kQtyPos][p];
                for (int q = kQtyM; q <= kQtyDisp; ++q) {
                    dst.values[q][p] = static_cast<float>(dst.values[q][p] + w * from.values[q][p]);
                }
            }
        }
    }
}

}  // namespace

bool AnalyseLoadCases(FrameResults& results, FrameModel& model, std::string& warnings,
                      const DistributedSprings& springs) {
    SetUpResults(results, model);
    StiffnessWork work;
    if (!work.Allocate(results.nodeCount, results.memberCount)) {
        EngineMessage("メモリーが足りません.(剛性マトリックス)"_sj);
        return false;
    }
    results.caseCount = CheckedCount(model.loadCaseCount, kMaxResultCases);
    results.comboCount = CheckedCount(model.combinationCount, kMaxResultCombos);
    results.combosIndex = results.caseCount + 1;
    for (int c = 1; c <= results.caseCount; ++c) {
        ResultCase& block = results.block[c];
        work.Clear();
        for (int m = 1; m <= results.memberCount; ++m)
            std::memset(&block.members[m], 0, sizeof(MemberResult));
        block.caseNo = model.loadCases[c].no;
        CalcMemberEndLoads(model, c, work.endLoads.data());
        AssembleStiffness(model, c, work);
        if (!SolveLoadCase(model, c, work)) warnings += SingularCaseWarning(model, c);
        StoreNodeResults(block, model, work, results.nodeCount);
        reference::CalcMemberForces(results, model, c, springs);
    }
    work.Release();
    results.doneCaseCount = results.caseCount;
    MemberExtremeSearch extremes(results, model, springs);
    extremes.MapMembersToThemselves();
    CombineExtras extras;
    extras.extremes = &extremes;
    reference::CombineCaseResults(results, model, extras);
    SetPointLabels(results, model);
    return true;
}

void CombineCaseResults(FrameResults& results, const FrameModel& model,
                        const CombineExtras& extras) {
    results.nodeCount = CheckedCount(model.nodeCount, std::min(kMaxNodes, kResultNodeSlots - 1));
    for (int n = 1; n <= results.nodeCount; ++n) results.node[n].no = model.nodes[n].no;
    results.caseCount = CheckedCount(results.caseCount, kMaxResultCases);
    for (int c = 1; c <= std::min(results.caseCount, model.loadCaseCount); ++c) {
        results.block[c].caseNo = model.loadCases[c].no;
    }
    results.combosIndex = results.caseCount + 1;
    const int comboCount = ComboCountOf(results, model);
    const int lastBlock =
        std::min(results.caseCount + CheckedCount(results.comboCount, kMaxResultCombos) + 1,
                 kResultCaseSlots - 1);
    // Blocks whose values were not all finite and are cleared: the load
    // cases before they are combined, each combination once formed.
    std::vector<unsigned char> failed(kResultCaseSlots, 0);
    const bool check = extras.failedBlocks != nullptr;
    std::vector<double> magnitude(kResultCaseSlots, 0.0);
    if (check) {
        for (int c = 1; c <= std::min(results.caseCount, lastBlock); ++c) {
            magnitude[static_cast<std::size_t>(c)] = BlockMagnitude(results, c);
            if (std::isfinite(magnitude[static_cast<std::size_t>(c)])) continue;
            ClearBlockValues(results, c);
            magnitude[static_cast<std::size_t>(c)] = 0;
            failed[static_cast<std::size_t>(c)] = 1;
        }
    }
    for (int k = 1; k <= comboCount; ++k) CombineOne(results, model, k);
    for (int b = 1; b <= lastBlock; ++b) {
        for (int m = 1; m <= results.memberCount; ++m) {
            FindExtremes(results.block[b].members[m], results.member[m]);
            if (extras.extremes) extras.extremes->Refine(results, model, b, m, failed);
        }
        if (!check || b <= results.caseCount) continue;
        // A combination whose weights times its cases' largest values stay
        // well inside a float needs no look at its values.
        const int k = b - results.caseCount - 1;
        double bound = 0;
        if (k >= 1 && k <= ComboCountOf(results, model)) {
            const KumiCase& combo = model.combinations[k];
            for (int e = 1; e <= CheckedCount(combo.count, kMaxCombinationEntries); ++e) {
                const int c = CaseBlockOf(results, model, combo.entries[e].loadCaseNo);
                if (c != 0)
                    bound +=
                        std::fabs(EntryWeight(combo, e)) * magnitude[static_cast<std::size_t>(c)];
            }
        }
        if (!(bound < 1e37) && !KeepBlockIfFinite(results, b))
            failed[static_cast<std::size_t>(b)] = 1;
    }
    if (!check) return;
    for (int b = 1; b <= lastBlock; ++b)
        if (failed[static_cast<std::size_t>(b)] != 0) extras.failedBlocks->push_back(b);
}

void CollapseExpandedResults(FrameResults& results, const FrameModel& expanded,
                             const FrameModel& user, bool viewDivisionMode, bool useViewDivisions,
                             int pointCapacity, const CombineExtras& extras) {
    std::unique_ptr<ResultCase> work(new (std::nothrow) ResultCase);
    if (!work) {
        EngineMessage("メモリーが足りません.(剛域展開)"_sj);
        return;
    }
    const int pieces = CheckedCount(expanded.memberCount, kResultMemberSlots - 1);
    std::vector<int> pieceCount(kResultMemberSlots, 0);
    for (int b = 1; b <= pieces; ++b) pieceCount[b] = PointCountOf(results.member[b]);
    const int mc = CheckedCount(user.memberCount, kMaxMembers);
    const int usedNodes = CheckedCount(std::max(expanded.nodeCount, user.nodeCount), kMaxNodes) + 1;
    const int usedMembers = pieces + 1;
    results.memberCount = mc;
    const int cases = CheckedCount(results.caseCount, kMaxResultCases);
    std::vector<int> points(static_cast<std::size_t>(mc) + 1, 0);
    std::vector<UserPointList> userPoints(static_cast<std::size_t>(mc) + 1);
    std::vector<std::vector<double>> sortedPoints(static_cast<std::size_t>(mc) + 1);
    std::vector<std::vector<PieceSoil>> soil(static_cast<std::size_t>(mc) + 1);
    for (int t = 1; t <= mc; ++t) {
        userPoints[t] = UserPoints(user, t, viewDivisionMode);
        sortedPoints[t] = SortedPositions(userPoints[t].pos);
        soil[t] = PieceSoilShares(expanded, user, t);
    }
    const std::vector<float> lastPos = PieceLastPositions(results, pieceCount);
    for (int o = 1; o <= cases; ++o) {
        CopyMappedPart(*work, results.block[o], usedNodes, usedMembers);
        const std::vector<ForceJump> jumps = LoadJumpsAtPieceEnds(expanded, o, lastPos);
        for (int t = 1; t <= mc; ++t) {
            const int n = MapMember(*work, results.block[o], expanded, user, t, o, pieceCount,
                                    sortedPoints[t], jumps, soil[t]);
            if (o == 1) points[t] = n;
        }
    }
    work.reset();
    for (int t = 1; t <= mc; ++t) {
        SetMemberHeader(results, user, t, points[t]);
        LabelUserPoints(results.member[t], userPoints[t]);
    }
    // The pieces' header slots beyond the user's members.
    const int written = std::max(WrittenFrameResultsExtent(results).members, usedMembers);
    for (int b = mc + 1; b < written; ++b) std::memset(&results.member[b], 0, sizeof(ResultMember));
    reference::CombineCaseResults(results, user, extras);
    for (int t = 1; t <= mc; ++t) {
        const ThinPlan plan = PlanThinning(results, user, t, useViewDivisions, pointCapacity);
        ThinBlocks(results, t, plan);
        ThinHeader(results.member[t], plan);
    }
}

bool RunFrameAnalysis(FrameResults& results, FrameModel& model, bool viewDivisionMode,
                      bool useViewDivisions, int pointCapacity, AnalysisReport* report) {
    std::unique_ptr<FrameModel> copy;
    try {
        copy = NewFrameModelRecord();
    } catch (const std::bad_alloc&) {
        EngineMessage("メモリーが足りません.(剛域展開)"_sj);
        return false;
    }
    const ExpansionResult expansion = ExpandFrameModel(*copy, model, true, viewDivisionMode);
    const ExpansionReport& er = expansion.report;
    if (er.loadOverflowCase != 0) {
        ClearFrameResults(results);
        EngineMessage(er.warnings + LoadOverflowMessage(er.loadOverflowCase));
        return false;
    }
    std::string caseWarnings;
    const bool ok = reference::AnalyseLoadCases(results, *copy, caseWarnings, expansion.springs);
    // The extremes between the points, from the pieces' forces before the
    // mapping back overwrites them.
    std::unique_ptr<MemberExtremeSearch> extremes;
    if (ok) {
        extremes = std::make_unique<MemberExtremeSearch>(results, *copy, expansion.springs);
        extremes->MapMembersTo(model, results);
    }
    std::vector<int> failedBlocks;
    CombineExtras extras;
    extras.extremes = extremes.get();
    extras.failedBlocks = &failedBlocks;
    reference::CollapseExpandedResults(results, *copy, model, viewDivisionMode, useViewDivisions,
                                       pointCapacity, extras);
    extremes.reset();
    const int expandedMembers = copy->memberCount;
    copy.reset();
    FinishFrameAnalysis(results, model, er, caseWarnings, failedBlocks, expandedMembers, report);
    return ok;
}

}  // namespace reference
