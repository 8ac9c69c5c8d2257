#include "model/result_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/frame_results.h"
#include "model/member_points.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

// Values this small are noise of the solution (and -0 is not worth a sign).
double Z(double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; }

// The blocks of the load cases or of the combinations, in record order.
template <class Fn>
void ForEachBlock(const FrameResults& r, int which, Fn fn) {
    if (which == kResultLoadCases) {
        for (int c = 1; c <= CheckedCount(r.caseCount, kMaxResultCases); ++c)
            fn(r.block[CaseBlockIndex(c)]);
    } else {
        const int cases = CheckedCount(r.caseCount, kMaxResultCases);
        for (int k = 1; k <= CheckedCount(r.comboCount, kMaxResultCombos); ++k)
            fn(r.block[cases + 1 + k]);
    }
}

int BlockIndexOf(const FrameResults& r, const ResultCase& block) {
    return static_cast<int>(&block - &r.block[0]);
}

const std::string& Heading(int which, const std::string& cases, const std::string& combos) {
    return which == kResultLoadCases ? cases : combos;
}

int MemberCount(const FrameResults& r) {
    return CheckedCount(r.memberCount, kResultMemberSlots - 1);
}

}  // namespace

void WriteReactionFile(TStringList& list, const FrameResults& results, int which) {
    const std::string& head = Heading(which, "支点反力"_sj, "支点反力（組み合せ）"_sj);
    ForEachBlock(results, which, [&](const ResultCase& b) {
        const int rows = CheckedCount(b.reactionCount, kReactionRowSlots - 1);
        list.Add(head);
        list.Add(FormatStr("CASE %5d%5d", b.caseNo, b.reactionCount));
        for (int i = 1; i <= rows; ++i) {
            const ReactionRow& row = b.reactions[i];
            list.Add(
                FormatStr("%5d%15.7e%15.7e%15.7e", row.nodeNo, Z(row.rx), Z(row.ry), Z(row.rm)));
        }
    });
}

void WriteDisplacementFile(TStringList& list, const FrameResults& results, int which) {
    const std::string& head = Heading(which, "格点変位"_sj, "格点変位（組み合せ）"_sj);
    const int nodes = CheckedCount(results.nodeCount, kResultNodeSlots - 1);
    ForEachBlock(results, which, [&](const ResultCase& b) {
        list.Add(head);
        list.Add(FormatStr("CASE %5d%5d", b.caseNo, results.nodeCount));
        for (int i = 1; i <= nodes; ++i) {
            const NodeResult& nr = b.nodes[i];
            list.Add(FormatStr("%5d%15.7e%15.7e%15.7e", results.node[i].no, Z(nr.dx), Z(nr.dy),
                               Z(nr.dt)));
        }
    });
}

void WriteMemberForceList(TStringList& list, const FrameResults& results, int which) {
    const std::string& head = Heading(which, "部材力"_sj, "部材力（組み合せ）"_sj);
    ForEachBlock(results, which, [&](const ResultCase& b) {
        const int blockIndex = BlockIndexOf(results, b);
        list.Add(head);
        list.Add(FormatStr("CASE %5d%5d", b.caseNo, results.memberCount));
        for (int m = 1; m <= MemberCount(results); ++m) {
            const ResultMember& rm = results.member[m];
            // Members running down to the left are listed from their J end.
            const bool descending = std::cos(rm.angle + M_PI / 4) < 0;
            const std::vector<MemberPointRecord> points =
                ListPointsWithForces(results, blockIndex, m, descending, true);
            const int count = static_cast<int>(points.size());
            list.Add(FormatStr("MEMBR%5d%5d%5d%5d", rm.no, rm.nodeI, rm.nodeJ, count));
            for (int k = 1; k <= count; ++k) {
                const MemberPointRecord& p = points[static_cast<std::size_t>(k - 1)];
                list.Add(FormatStr("%d %0.3f %15.7e %15.7e %15.7e %15.7e %s", k, Z(p.position),
                                   Z(p.m), Z(p.s), Z(p.n), Z(p.disp), p.label));
            }
            list.Add("");
        }
    });
}

void ListSdkResults(TStringList& list, const FrameResults& results) {
    WriteMemberForceList(list, results, kResultLoadCases);
    WriteMemberForceList(list, results, kResultCombinations);
    WriteDisplacementFile(list, results, kResultLoadCases);
    WriteDisplacementFile(list, results, kResultCombinations);
    WriteReactionFile(list, results, kResultLoadCases);
    WriteReactionFile(list, results, kResultCombinations);
}

bool SaveListIfWritable(const TStringList& list, const std::string& fileName) {
    // Written whole to a temporary beside the file and renamed over it, so
    // a full disk never leaves an emptied or cut result file behind.
    return list.SaveToFile(fileName);
}

const char* const* SdkResultExtensions() {
    static const char* const ext[kSdkResultFileCount] = {".F11", ".F12", ".F21",
                                                         ".F22", ".F31", ".F32"};
    return ext;
}

void DeleteExtraResultFiles(const std::string& dataFileName) {
    const std::string base = ChangeFileExt(dataFileName, "");
    for (const char* ext : {".F41", ".F42", ".F51", ".F52", ".F61", ".F62", ".F71"})
        DeleteFile(base + ext);
}
