#include "tests/oracle/reference_result_files.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/frame_results.h"
#include "model/result_files.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace reference {

namespace {

// Values this small are written as 0.
double Z(double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; }

}  // namespace

void WriteMemberForceFile(TStringList& list, const FrameResults& results, int which) {
    const std::string head = which == kResultLoadCases ? "部材力"_sj : "部材力（組み合せ）"_sj;
    const int cases = CheckedCount(results.caseCount, kMaxResultCases);
    const int first = which == kResultLoadCases ? 1 : cases + 2;
    const int count =
        which == kResultLoadCases ? cases : CheckedCount(results.comboCount, kMaxResultCombos);
    const int members = CheckedCount(results.memberCount, kResultMemberSlots - 1);
    for (int b = first; b < first + count; ++b) {
        const ResultCase& block = results.block[b];
        list.Add(head);
        list.Add(FormatStr("CASE %5d%5d", block.caseNo, results.memberCount));
        for (int m = 1; m <= members; ++m) {
            const ResultMember& rm = results.member[m];
            const MemberResult& mr = block.members[m];
            const int n = CheckedCount(rm.pointCount, kMaxResultPoints);
            list.Add(FormatStr("MEMBR%5d%5d%5d%5d%5d", rm.no, rm.nodeI, rm.nodeJ, n, 2));
            for (int r = 1; r <= n + 2; ++r) {
                std::string point = FormatStr("%5d", r);
                const char* label = r <= n ? rm.pointLabel[r] : "";
                if (r == n + 1) point = "m-max", label = "M-max";
                if (r == n + 2) point = "m-min", label = "M-min";
                list.Add(FormatStr("%5s%15.4f%15.7e%15.7e%15.7e%15.7e     %s", point.c_str(),
                                   Z(mr.values[kQtyPos][r]), Z(mr.values[kQtyM][r]),
                                   Z(mr.values[kQtyS][r]), Z(mr.values[kQtyN][r]),
                                   Z(mr.values[kQtyDisp][r]), label));
            }
        }
    }
}

bool WriteSdkResultFiles(const FrameResults& results, const std::string& base,
                         std::string* failed) {
    using Writer = void (*)(TStringList&, const FrameResults&, int);
    static const Writer writers[kSdkResultFileCount] = {
        ::WriteReactionFile,     ::WriteReactionFile,  ::WriteDisplacementFile,
        ::WriteDisplacementFile, WriteMemberForceFile, WriteMemberForceFile};
    bool all = true;
    TStringList list;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        list.Clear();
        writers[f](list, results, f % 2 == 0 ? kResultLoadCases : kResultCombinations);
        const std::string name = base + SdkResultExtensions()[f];
        if (!SaveListIfWritable(list, name)) {
            all = false;
            if (failed) *failed += name + "\n";
        }
    }
    return all;
}

}  // namespace reference
