// Reading the result files of an outside calculation back into the results
// record. Both column layouts (the library's and this program's own) are
// read by character positions that fall on each value's field or on the
// blank before it.
//
// Every block, row and member index comes from a file and is checked
// against the record's tables before anything is stored; what does not fit
// is read past and dropped.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/sdk_bridge.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

constexpr int kMaxRows = kResultNodeSlots - 1;  // node and reaction rows 1..807
constexpr int kMaxResultMembers = kResultMemberSlots - 1;

// The number written from 0-based position pos on (blanks skipped).
double RealAt(const std::string& line, std::size_t pos) {
    if (pos >= line.size()) return 0.0;
    const double v = TextToDouble(line.substr(pos));
    return std::isfinite(v) ? v : 0.0;
}

int IntAt(const std::string& line, std::size_t pos) {
    const double v = std::round(RealAt(line, pos));
    return static_cast<int>(
        std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

bool StartsWith(const std::string& line, const char* prefix) {
    return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A section keyword of the data file, not a longer word that begins with it
// ("POINT" but not "POINT2").
bool IsKeyword(const std::string& line, const char* keyword) {
    const std::size_t n = std::char_traits<char>::length(keyword);
    return StartsWith(line, keyword) && (line.size() == n || line[n] == ' ');
}

bool IsOldDialect(const std::string& dataFile) {
    return ExtractFileName(dataFile).find("-00") != std::string::npos;
}

// Block index of the ordinal-th block of a file: load cases at their
// ordinal, combinations behind the load cases; 0 when it does not fit.
int BlockIndex(const FrameResults& results, bool combinations, int ordinal) {
    if (ordinal < 1) return 0;
    if (!combinations) return ordinal <= kMaxResultCases ? ordinal : 0;
    if (ordinal > kMaxResultCombos) return 0;
    const int index = results.doneCaseCount + 1 + ordinal;
    return index < kResultCaseSlots ? index : 0;
}

void ReadModelEcho(FrameResults& results, const std::string& dataFile) {
    TStringList list;
    if (!list.LoadFromFile(ChangeFileExt(dataFile, ".$O1"))) return;
    const bool old = IsOldDialect(dataFile);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& line = list[i];
        if (StartsWith(line, "END")) break;
        if (IsKeyword(line, "POINT")) {
            const int n = std::clamp(IntAt(line, 10), 0, std::min(kMaxRows, list.Count() - i - 1));
            NoteFrameResultsExtent(results, {n + 1, 0, 0});
            for (int k = 1; k <= n; ++k) {
                const std::string& row = list[i + k];
                ResultNode& node = results.node[k];
                node.no = IntAt(row, 0);
                node.x = static_cast<float>(RealAt(row, 10));
                node.y = static_cast<float>(RealAt(row, 20));
                results.maxX = std::max(results.maxX, static_cast<double>(node.x));
                results.maxY = std::max(results.maxY, static_cast<double>(node.y));
            }
            results.nodeCount = n;
            i += n;
        } else if (IsKeyword(line, "MEMBER")) {
            const int n =
                std::clamp(IntAt(line, 10), 0, std::min(kMaxResultMembers, list.Count() - i - 1));
            NoteFrameResultsExtent(results, {0, n + 1, 0});
            for (int k = 1; k <= n; ++k) {
                const std::string& row = list[i + k];
                ResultMember& m = results.member[k];
                m.no = IntAt(row, 0);
                m.nodeI = IntAt(row, 10);
                m.nodeJ = IntAt(row, 15);
                if (old) {
                    m.spare1 = static_cast<float>(RealAt(row, 20));
                    m.spare2 = static_cast<float>(RealAt(row, 40));
                    m.endI = IntAt(row, 65);
                    m.endJ = IntAt(row, 70);
                } else {
                    m.spare1 = m.spare2 = 1.0f;
                    m.endI = IntAt(row, 30);
                    m.endJ = IntAt(row, 35);
                }
            }
            results.memberCount = n;
            i += n;
        }
    }
}

// One member's rows of a member-force block: n point rows, then two extreme
// rows when the MEMBR line announces them.
void ReadMemberRows(FrameResults& results, const TStringList& list, int& i, int block,
                    const std::string& membr, std::vector<bool>& listed) {
    const int member = IntAt(membr, 6);
    const int n = std::max(0, IntAt(membr, 20));
    // In 64 bits: a damaged count near the int limit plus the two extreme
    // rows would overflow.
    const int rows = static_cast<int>(std::min<long long>(
        static_cast<long long>(n) + (IntAt(membr, 25) != 0 ? 2 : 0), list.Count() - i));
    const bool store = block > 0 && member >= 1 && member <= results.memberCount;
    const int kept = std::min(n, kMaxResultPoints);
    for (int r = 1; r <= rows; ++r, ++i) {
        if (!store) continue;
        const int slot = r <= n ? r : kept + (r - n);
        if (r <= n && r > kept) continue;
        const std::string& row = list[i];
        MemberResult& mr = results.block[block].members[member];
        const std::size_t at[5] = {10, 20, 35, 50, 65};
        for (int q = 0; q < 5; ++q) mr.values[q][slot] = static_cast<float>(RealAt(row, at[q]));
    }
    if (!store) return;
    ResultMember& rm = results.member[member];
    rm.pointCount = kept;
    if (listed[static_cast<std::size_t>(member)]) return;
    listed[static_cast<std::size_t>(member)] = true;
    const MemberResult& mr = results.block[block].members[member];
    const int have = std::min(kept, rows);
    for (int k = 1; k <= have; ++k) rm.pointPos[k] = mr.values[kQtyPos][k];
    rm.length = have > 0 ? rm.pointPos[have] : 0.0f;
}

void ReadMemberForces(FrameResults& results, const std::string& fileName, bool combinations,
                      std::vector<bool>& listed) {
    TStringList list;
    if (!list.LoadFromFile(fileName)) return;
    int ordinal = 0, block = 0;
    for (int i = 0; i < list.Count();) {
        const std::string& line = list[i++];
        if (StartsWith(line, "CASE")) {
            ++ordinal;
            if (!combinations && ordinal <= kMaxResultCases)
                results.doneCaseCount = std::max(results.doneCaseCount, ordinal);
            block = BlockIndex(results, combinations, ordinal);
            // Blocks are placed before the counts of the record say so.
            NoteFrameResultsExtent(results, {0, 0, block + 1});
            if (block > 0) results.block[block].caseNo = IntAt(line, 5);
        } else if (StartsWith(line, "MEMB")) {
            const std::string membr = line;
            ReadMemberRows(results, list, i, block, membr, listed);
        }
    }
}

int FindResultNode(const FrameResults& results, int no) {
    for (int k = 1; k <= results.nodeCount; ++k)
        if (results.node[k].no == no) return k;
    return 0;
}

// Displacement (reactions = false) or reaction blocks of one file.
void ReadNodeBlocks(FrameResults& results, const std::string& fileName, bool combinations,
                    bool reactions) {
    TStringList list;
    if (!list.LoadFromFile(fileName)) return;
    int ordinal = 0;
    for (int i = 0; i < list.Count();) {
        const std::string& line = list[i++];
        if (!StartsWith(line, "CASE")) continue;
        const int block = BlockIndex(results, combinations, ++ordinal);
        const int rows = std::clamp(IntAt(line, 10), 0, list.Count() - i);
        const int kept = std::min(rows, kMaxRows);
        NoteFrameResultsExtent(results, {kept + 1, 0, block + 1});
        if (block > 0) {
            results.block[block].caseNo = IntAt(line, 5);
            if (reactions)
                results.block[block].reactionCount = kept;
            else
                results.nodeCount = kept;
        }
        for (int r = 1; r <= rows; ++r, ++i) {
            if (block == 0 || r > kept) continue;
            const std::string& row = list[i];
            ResultCase& rc = results.block[block];
            const int no = IntAt(row, 0);
            const double v[3] = {RealAt(row, 5), RealAt(row, 20), RealAt(row, 35)};
            if (!reactions) {
                rc.nodes[r].nodeNo = no;
                rc.nodes[r].dx = v[0];
                rc.nodes[r].dy = v[1];
                rc.nodes[r].dt = v[2];
                continue;
            }
            rc.reactions[r] = ReactionRow{no, static_cast<float>(v[0]), static_cast<float>(v[1]),
                                          static_cast<float>(v[2])};
            if (const int k = FindResultNode(results, no); k > 0) {
                rc.nodes[k].rx = v[0];
                rc.nodes[k].ry = v[1];
                rc.nodes[k].rm = v[2];
            }
        }
    }
}

}  // namespace

std::vector<std::string> ExternalResultFileNames(const std::string& dataFile) {
    const char* f[6] = {".F31", ".F32", ".F21", ".F22", ".F11", ".F12"};
    const char* o[6] = {".O31", ".O32", ".O21", ".O22", ".O11", ".O12"};
    const bool old = IsOldDialect(dataFile);
    std::vector<std::string> names;
    for (int k = 0; k < 6; ++k) names.push_back(ChangeFileExt(dataFile, old ? o[k] : f[k]));
    return names;
}

void ReadExternalResults(FrameResults& results, const std::string& dataFile) {
    ClearFrameResults(results);
    const std::vector<std::string> names = ExternalResultFileNames(dataFile);
    ReadModelEcho(results, dataFile);
    std::vector<bool> listed(kResultMemberSlots, false);
    ReadMemberForces(results, names[0], false, listed);
    ReadMemberForces(results, names[1], true, listed);
    ReadNodeBlocks(results, names[2], false, false);
    ReadNodeBlocks(results, names[3], true, false);
    ReadNodeBlocks(results, names[4], false, true);
    ReadNodeBlocks(results, names[5], true, true);
}

void CopyExternalReactions(FrameResults& results, const FrameModel& model) {
    const int cases = CheckedCount(results.caseCount, kMaxResultCases);
    for (int c = 1; c <= cases; ++c) {
        ResultCase& rc = results.block[c];
        const int rows = CheckedCount(rc.reactionCount, kMaxRows);
        for (int r = 1; r <= rows; ++r) {
            const ReactionRow& row = rc.reactions[r];
            const int k = FindNodeIndex(model, row.nodeNo);
            if (k <= 0 || k >= kResultNodeSlots) continue;
            rc.nodes[k].rx = row.rx;
            rc.nodes[k].ry = row.ry;
            rc.nodes[k].rm = row.rm;
        }
    }
    CombineReactions(results, model);
}
