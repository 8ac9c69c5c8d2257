#include "model/frame_results.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"

FrameResults* ResultData = nullptr;

FrameResults* AllocateFrameResults() {
    if (ResultData != nullptr) return ResultData;
    // calloc: the pages are zero without being touched, so the ~360 MB cost
    // only what an analysis uses.
    ResultData = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    return ResultData;
}

void ClearFrameResults(FrameResults& results) { std::memset(&results, 0, sizeof results); }

namespace {

// Named points lie on a result point when they are strictly less than
// this apart (m).
constexpr double kSamePoint = 0.0001;

void SetLabel(ResultMember& member, int point, const std::string& text) {
    if (point < 1 || point >= kPointLabelSlots) return;
    SetFixedText(member.pointLabel[point], kPointLabelBytes, text.c_str());
}

int MemberPointCount(const ResultMember& member) {
    return std::clamp(member.pointCount, 0, kMaxResultPoints);
}

// Every result point of a member that lies on one of the model's named
// points of interest takes its name, blanks removed.
void LabelNamedPoints(FrameResults& results, const FrameModel& model) {
    const int view2Count = std::clamp(model.view2Count, 0, kMaxView2);
    for (int v = 1; v <= view2Count; ++v) {
        const View2Member& entry = model.view2[v];
        const int m = FindMemberIndex(model, entry.memberNo);
        if (m == 0 || m > results.memberCount) continue;
        ResultMember& member = results.member[m];
        const int points = std::clamp(entry.count, 0, kMaxViewPoints);
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
        std::clamp(model.memberCount, 0, std::min(kMaxMembers, kResultMemberSlots - 1));
    results.caseCount = std::clamp(model.loadCaseCount, 0, kMaxResultCases);
    results.comboCount = std::clamp(model.combinationCount, 0, kMaxResultCombos);
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
