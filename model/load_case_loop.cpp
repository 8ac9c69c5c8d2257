#include "model/load_case_loop.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "model/analysis_steps.h"
#include "model/fast_stiffness.h"
#include "model/fast_workers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_terms.h"
#include "model/member_extremes.h"
#include "model/numeric.h"
#include "model/progress.h"
#include "model/stiffness.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

namespace {

bool InSpringTable(int caseSlot, int memberSlot) {
    return caseSlot >= 0 && caseSlot < kSpringCaseSlots && memberSlot >= 0 &&
           memberSlot < kSpringMemberSlots;
}

std::size_t SpringCell(int caseSlot, int memberSlot) {
    return static_cast<std::size_t>(caseSlot) * kSpringMemberSlots +
           static_cast<std::size_t>(memberSlot);
}

}  // namespace

SpringIntensity DistributedSprings::At(int caseSlot, int memberSlot) const {
    if (cells_.empty() || !InSpringTable(caseSlot, memberSlot)) return {};
    return cells_[SpringCell(caseSlot, memberSlot)];
}

void DistributedSprings::Set(int caseSlot, int memberSlot, double kv, double ku) {
    if (!InSpringTable(caseSlot, memberSlot)) return;
    if (cells_.empty())
        cells_.resize(static_cast<std::size_t>(kSpringCaseSlots) * kSpringMemberSlots);
    cells_[SpringCell(caseSlot, memberSlot)] = SpringIntensity{kv, ku};
}

namespace {

// A member collects at most this many points from the named points of
// interest, its two ends included.
constexpr int kMaxCasePoints = 121;
// Two points closer than this (m) are one point.
constexpr double kPointMerge = 0.0001;

int NodeCountOf(const FrameModel& model) {
    return CheckedCount(model.nodeCount, std::min(kMaxNodes, kResultNodeSlots - 1));
}
int MemberCountOf(const FrameModel& model) {
    return CheckedCount(model.memberCount, std::min(kMaxMembers, kResultMemberSlots - 1));
}

}  // namespace

// The members of the expanded model are written before they are mapped
// onto the user's (fewer) members: the record is told so.
void SetUpResults(FrameResults& results, FrameModel& model) {
    const int blocks = CheckedCount(model.loadCaseCount, kMaxResultCases) +
                       CheckedCount(model.combinationCount, kMaxResultCombos) + 2;
    ClearFrameResults(results);
    NoteFrameResultsExtent(results, {NodeCountOf(model) + 1, MemberCountOf(model) + 1, blocks});
    results.nodeCount = NodeCountOf(model);
    for (int n = 1; n <= results.nodeCount; ++n) {
        const FramePoint& node = model.nodes[n];
        results.node[n].no = node.no;
        results.node[n].x = node.x;
        results.node[n].y = node.y;
        results.maxX = std::max(results.maxX, static_cast<double>(node.x));
        results.maxY = std::max(results.maxY, static_cast<double>(node.y));
    }
    results.memberCount = MemberCountOf(model);
    std::vector<std::vector<double>> points(static_cast<std::size_t>(results.memberCount) + 1);
    for (int m = 1; m <= results.memberCount; ++m) {
        FrameMember& fm = model.members[m];
        ResultMember& rm = results.member[m];
        rm.no = fm.no;
        rm.nodeI = fm.nodeI;
        rm.nodeJ = fm.nodeJ;
        rm.spare1 = rm.spare2 = 1.0f;
        rm.endI = fm.endI;
        rm.endJ = fm.endJ;
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, m);
        const double dx = xj - xi, dy = yj - yi;
        fm.angle = static_cast<float>(SafeAtan2(dy, dx));
        fm.length = static_cast<float>(SafeSqrt(dx * dx + dy * dy));
        rm.angle = fm.angle;
        rm.length = fm.length;
        points[m] = {0.0, static_cast<double>(fm.length)};
    }
    const int view2Count = CheckedCount(model.view2Count, kMaxView2);
    for (int v = 1; v <= view2Count; ++v) {
        const View2Member& entry = model.view2[v];
        const int m = FindMemberIndex(model, entry.memberNo);
        if (m == 0 || m > results.memberCount) continue;
        const int count = CheckedCount(entry.count, kMaxViewPoints);
        for (int p = 1; p <= count; ++p) {
            if (static_cast<int>(points[m].size()) >= kMaxCasePoints) break;
            // A damaged distance (not a number) would break the sort.
            if (!std::isfinite(entry.dist[p])) continue;
            // Taken as they are: the expansion has rounded the user's
            // points to whole millimetres along the user's member, and a
            // piece that starts between two millimetres has its points
            // between them too.
            points[m].push_back(entry.dist[p]);
        }
    }
    for (int m = 1; m <= results.memberCount; ++m) {
        std::vector<double>& list = points[m];
        std::sort(list.begin(), list.end());
        ResultMember& rm = results.member[m];
        int n = 0;
        for (double pos : list) {
            if (n > 0 && pos - rm.pointPos[n] <= kPointMerge) continue;
            rm.pointPos[++n] = static_cast<float>(pos);
        }
        rm.pointCount = n;
    }
}

namespace {

void ReportProgress(int c, int caseCount) {
    if (!HasEngineProgress()) return;
    const std::string& current = EngineProgressText();
    const std::size_t colon = current.find(':');
    std::string text = colon == std::string::npos ? std::string() : current.substr(0, colon + 1);
    text += FormatStr(" [ 荷重ｹｰｽ %2d / %d ]"_sj.c_str(), c, caseCount);
    EngineProgress(text);
    SleepMs(0);
}

}  // namespace

// Restrained and dropped degrees of freedom stay 0.
void StoreNodeResults(ResultCase& block, const FrameModel& model, const StiffnessWork& work,
                      int nodeCount) {
    int next = 0;
    for (int i = 0; i < 3 * nodeCount; ++i) {
        NodeResult& node = block.nodes[i / 3 + 1];
        node.nodeNo = model.nodes[i / 3 + 1].no;
        double force = 0, disp = 0;
        if (work.map[i] >= 0) {
            force = work.p[i];
            disp = work.x[next++] * 1000;
        }
        double* f[3] = {&node.fx, &node.fy, &node.fm};
        double* d[3] = {&node.dx, &node.dy, &node.dt};
        *f[i % 3] = force;
        *d[i % 3] = disp;
    }
}

std::string SingularCaseWarning(const FrameModel& model, int c) {
    // A mechanism: the displacements stay 0 and the member values are the
    // load effects alone, which the user must not take for results.
    return FormatStr(
               "荷重ｹｰｽ No.%d：剛性マトリックスが特異です（不安定構造）．変位を 0 としました．"_sj
                   .c_str(),
               model.loadCases[c].no) +
           "\n";
}

namespace {

// The cases are solved on the worker threads, each case's numbers from its
// own work areas by the same operations as one at a time. A case the
// profile solver hands back for the dense solver is solved here
// afterwards.
void SolveCases(FrameResults& results, FrameModel& model, std::vector<StiffnessWork>& works,
                std::string& warnings) {
    const int caseCount = results.caseCount;
    std::vector<StiffnessWork*> freeWorks;
    for (StiffnessWork& w : works) freeWorks.push_back(&w);
    FastCaseSolver solver;
    std::mutex workMutex;
    // 1 solved, 0 singular, -1 for the dense solver.
    std::vector<signed char> outcome(static_cast<std::size_t>(caseCount) + 1, 0);
    auto solveOne = [&](int c) {
        StiffnessWork* w;
        {
            std::lock_guard<std::mutex> lock(workMutex);
            w = freeWorks.back();
            freeWorks.pop_back();
        }
        w->Clear();
        CalcMemberEndLoads(model, c, w->endLoads.data());
        const FastCaseSolver::Outcome o = solver.SolveCaseProfile(model, c, *w);
        if (o == FastCaseSolver::Outcome::kNeedsDense) {
            outcome[static_cast<std::size_t>(c)] = -1;
        } else {
            outcome[static_cast<std::size_t>(c)] = o == FastCaseSolver::Outcome::kSolved ? 1 : 0;
            StoreNodeResults(results.block[c], model, *w, results.nodeCount);
        }
        std::lock_guard<std::mutex> lock(workMutex);
        freeWorks.push_back(w);
    };
    // The progress line is shown from this thread only: each time it
    // finishes a case, it reports every case finished since its last report.
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> finished{0};
    int reported = 0;
    auto report = [&] {
        for (const int upTo = finished.load(); reported < upTo;)
            ReportProgress(++reported, caseCount);
    };
    for (int c = 1; c <= caseCount; ++c) results.block[c].caseNo = model.loadCases[c].no;
    ParallelFor(caseCount, [&](int i) {
        solveOne(i + 1);
        ++finished;
        if (std::this_thread::get_id() == caller) report();
    });
    report();
    StiffnessWork& work = works.front();
    for (int c = 1; c <= caseCount; ++c) {
        if (outcome[static_cast<std::size_t>(c)] < 0) {
            work.Clear();
            CalcMemberEndLoads(model, c, work.endLoads.data());
            outcome[static_cast<std::size_t>(c)] = solver.SolveCase(model, c, work) ? 1 : 0;
            StoreNodeResults(results.block[c], model, work, results.nodeCount);
        }
        if (outcome[static_cast<std::size_t>(c)] == 0) warnings += SingularCaseWarning(model, c);
    }
}

}  // namespace

bool AnalyseLoadCases(FrameResults& results, FrameModel& model, std::string& warnings,
                      int remappedMembers, const DistributedSprings& springs) {
    SetUpResults(results, model);
    const int caseCount = CheckedCount(model.loadCaseCount, kMaxResultCases);
    // Work areas: the vectors of one case per thread (the profile solver
    // keeps its own storage; the set-up has already zeroed the member
    // slots).
    const int workCount = std::clamp(WorkerThreadCount(), 1, std::max(caseCount, 1));
    std::vector<StiffnessWork> works(static_cast<std::size_t>(workCount));
    for (StiffnessWork& w : works) {
        if (!w.Allocate(results.nodeCount, results.memberCount, false)) {
            EngineMessage(OutOfMemoryMessage("剛性マトリックス"_sj));
            return false;
        }
    }
    results.caseCount = caseCount;
    results.comboCount = CheckedCount(model.combinationCount, kMaxResultCombos);
    results.combosIndex = results.caseCount + 1;
    // A memory failure on any thread ends the analysis with what it was
    // doing: no later step works on results that were never computed.
    try {
        RunNamedStep("剛性マトリックス"_sj, [&] { SolveCases(results, model, works, warnings); });
        works.clear();
        RunNamedStep("部材応力"_sj, [&] {
            CalcMemberForcesAllCases(results, model, springs);
            results.doneCaseCount = results.caseCount;
            MemberExtremeSearch extremes(results, model, springs);
            extremes.MapMembersToThemselves();
            CombineExtras extras;
            extras.extremes = &extremes;
            CombineCaseResults(results, model, remappedMembers, {}, extras);
            SetPointLabels(results, model);
        });
    } catch (const OutOfMemory& e) {
        EngineMessage(OutOfMemoryMessage(e.Task()));
        results.doneCaseCount = 0;
        return false;
    }
    return true;
}

bool AnalyseLoadCases(FrameResults& results, FrameModel& model) {
    std::string warnings;
    const bool ok = AnalyseLoadCases(results, model, warnings);
    if (!warnings.empty()) EngineMessage(warnings);
    return ok;
}
