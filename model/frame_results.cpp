#include "model/frame_results.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"

FrameResults* ResultData = nullptr;

namespace {

constexpr FrameResultsExtent kWholeRecord{kResultNodeSlots, kResultMemberSlots, kResultCaseSlots};

FrameResultsExtent Larger(FrameResultsExtent a, FrameResultsExtent b) {
    return {std::max(a.nodes, b.nodes), std::max(a.members, b.members),
            std::max(a.blocks, b.blocks)};
}

// The extents the program notes lie inside the tables; a fault never takes
// a clear past them (nor below 0).
FrameResultsExtent Clamped(FrameResultsExtent e) {
    return {CheckedCount(e.nodes, kWholeRecord.nodes),
            CheckedCount(e.members, kWholeRecord.members),
            CheckedCount(e.blocks, kWholeRecord.blocks)};
}

// A count and the slots before it: slots [0, count + 1), or all slots for
// a count outside the table.
int SlotsThrough(int count, int slots) { return count >= 0 && count < slots ? count + 1 : slots; }

// Zeroes the bytes [from, to) of the record.
void ZeroRange(const void* from, const void* to) {
    char* a = static_cast<char*>(const_cast<void*>(from));
    const char* b = static_cast<const char*>(to);
    if (b > a) std::memset(a, 0, static_cast<std::size_t>(b - a));
}

}  // namespace

FrameResults* AllocateFrameResults() {
    if (ResultData != nullptr) return ResultData;
    // calloc: the pages are zero without being touched, so the ~360 MB cost
    // only what an analysis uses.
    ResultData = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    return ResultData;
}

void NoteFrameResultsExtent(FrameResults& results, FrameResultsExtent extent) {
    results.written = Clamped(Larger(Clamped(results.written), extent));
}

FrameResultsExtent WrittenFrameResultsExtent(const FrameResults& results) {
    const int cases = results.caseCount, combos = results.comboCount;
    // Combination k sits at caseCount + 1 + k: the last one in use is at
    // caseCount + comboCount + 1 (a count out of range takes every block).
    const bool inRange =
        cases >= 0 && cases <= kMaxResultCases && combos >= 0 && combos <= kMaxResultCombos;
    const int blocks = inRange ? cases + combos + 2 : kResultCaseSlots;
    const FrameResultsExtent counts{SlotsThrough(results.nodeCount, kResultNodeSlots),
                                    SlotsThrough(results.memberCount, kResultMemberSlots), blocks};
    return Clamped(Larger(Clamped(results.written), counts));
}

void ClearFrameResults(FrameResults& results) {
    const FrameResultsExtent e = WrittenFrameResultsExtent(results);
    FrameResults& r = results;
    ZeroRange(&r, &r.node[e.nodes]);
    ZeroRange(&r.maxX, &r.member[e.members]);
    ZeroRange(&r.doneCaseCount, &r.block[0]);
    for (int b = 0; b < e.blocks; ++b) {
        ResultCase& block = r.block[b];
        ZeroRange(&block, &block.nodes[e.nodes]);
        ZeroRange(&block.members[0], &block.members[e.members]);
    }
    ZeroRange(&r.combosIndex, reinterpret_cast<const char*>(&r) + sizeof r);
}

namespace {

// Named points lie on a result point when they are strictly less than
// this apart (m).
constexpr double kSamePoint = 0.0001;

void SetLabel(ResultMember& member, int point, const std::string& text) {
    if (point < 1 || point >= kPointLabelSlots) return;
    SetFixedText(member.pointLabel[point], kPointLabelBytes, text.c_str());
}

int MemberPointCount(const ResultMember& member) {
    return CheckedCount(member.pointCount, kMaxResultPoints);
}

// Every result point of a member that lies on one of the model's named
// points of interest takes its name, blanks removed.
void LabelNamedPoints(FrameResults& results, const FrameModel& model) {
    const int view2Count = CheckedCount(model.view2Count, kMaxView2);
    for (int v = 1; v <= view2Count; ++v) {
        const View2Member& entry = model.view2[v];
        const int m = FindMemberIndex(model, entry.memberNo);
        if (m == 0 || m > results.memberCount) continue;
        ResultMember& member = results.member[m];
        const int points = CheckedCount(entry.count, kMaxViewPoints);
        for (int p = 1; p <= points; ++p) {
            char name[kPointNameSize + 1];
            std::memcpy(name, entry.pointName[p], kPointNameSize);
            name[kPointNameSize] = '\0';
            if (name[0] == '\0') continue;
            const std::string label = RemoveSpaces(name);
            for (int r = 1; r <= MemberPointCount(member); ++r) {
                if (std::fabs(member.pointPos[r] - entry.dist[p]) < kSamePoint) {
                    SetLabel(member, r, label);
                }
            }
        }
    }
}

// End labels by the direction of the member (s = sin, c = cos of its angle).
void LabelEndsByDirection(ResultMember& member, double angle) {
    const double s = std::sin(angle), c = std::cos(angle);
    const std::string* first;
    const std::string* last;
    if (s > 0.8) {
        first = &"下端"_sj;
        last = &"上端"_sj;
    } else if (s < -0.8) {
        first = &"上端"_sj;
        last = &"下端"_sj;
    } else if (c > 0.8) {
        first = &"左端"_sj;
        last = &"右端"_sj;
    } else if (c >= -0.8) {
        first = &"端部"_sj;
        last = &"端部"_sj;
    } else {
        first = &"右端"_sj;
        last = &"左端"_sj;
    }
    const int n = MemberPointCount(member);
    if (n < 1) return;
    SetLabel(member, 1, *first);
    SetLabel(member, n, *last);
}

}  // namespace

void SetResultPoints(FrameResults& results, const FrameModel& model) {
    results.memberCount =
        CheckedCount(model.memberCount, std::min(kMaxMembers, kResultMemberSlots - 1));
    results.caseCount = CheckedCount(model.loadCaseCount, kMaxResultCases);
    results.comboCount = CheckedCount(model.combinationCount, kMaxResultCombos);
    const MemberResult* case1 = results.caseCount >= 1 ? results.block[1].members : nullptr;
    for (int m = 1; m <= results.memberCount; ++m) {
        ResultMember& member = results.member[m];
        member.length = model.members[m].length;
        member.angle = model.members[m].angle;
        const int n = MemberPointCount(member);
        for (int p = 1; p <= n && case1 != nullptr; ++p) {
            member.pointPos[p] = case1[m].values[kQtyPos][p];
        }
        std::memset(member.pointLabel, 0, sizeof member.pointLabel);
        LabelEndsByDirection(member, member.angle);
    }
    LabelNamedPoints(results, model);
}

void SetPointLabels(FrameResults& results, const FrameModel& model) {
    LabelNamedPoints(results, model);
    for (int m = 1; m <= results.memberCount; ++m) {
        ResultMember& member = results.member[m];
        const int n = MemberPointCount(member);
        if (n < 1) continue;
        SetLabel(member, 1, "ﾀﾝﾌﾞ"_sj);
        SetLabel(member, n, "ﾀﾝﾌﾞ"_sj);
    }
}
