#include "model/member_points.h"
#include "platform/assertions.h"

#include <algorithm>
#include <cstring>

namespace {
// Extremes closer than this to an end (m) are the end points themselves.
constexpr double kEndMargin = 0.0001;
}  // namespace

std::vector<MemberPointRecord> ListPointsWithForces(const FrameResults& results, int block,
                                                    int member, bool descending,
                                                    bool includeUnlabelled) {
    std::vector<MemberPointRecord> found;
    if (block < 1 || block >= kResultCaseSlots || member < 1 || member >= kResultMemberSlots)
        return found;
    const ResultMember& rm = results.member[member];
    const MemberResult& mr = results.block[block].members[member];
    const int n = CheckedCount(rm.pointCount, kMaxResultPoints);
    found.reserve(static_cast<std::size_t>(n) + 2);
    for (int j = 1; j <= n + 2; ++j) {
        char label[kPointLabelBytes] = {};
        if (j < kPointLabelSlots) std::memcpy(label, rm.pointLabel[j], kPointLabelBytes - 1);
        const double pos = mr.values[kQtyPos][j];
        if (j > n) {
            if (label[0] == '\0') std::strcpy(label, j == n + 1 ? "M-max" : "M-min");
            if (pos < kEndMargin || pos > rm.length - kEndMargin) continue;
        } else if (label[0] == '\0' && !(includeUnlabelled && rm.pointKind[j] == 2)) {
            continue;
        }
        MemberPointRecord& r = found.emplace_back();
        std::memcpy(r.label, label, kPointLabelBytes);
        r.position = pos;
        r.m = mr.values[kQtyM][j];
        r.s = mr.values[kQtyS][j];
        r.n = mr.values[kQtyN][j];
        r.disp = mr.values[kQtyDisp][j];
    }
    std::stable_sort(found.begin(), found.end(),
                     [descending](const MemberPointRecord& a, const MemberPointRecord& b) {
                         return descending ? a.position > b.position : a.position < b.position;
                     });
    return found;
}
