// The clipboard texts of the main window.
#include "app/result_clipboard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/member_points.h"
#include "model/result_files.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/dialogs.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

std::string FixedText(const char* text, int size) { return std::string(text, strnlen(text, size)); }

constexpr double kQuarterPi = 0.78539816339744830962;

void AppendMember(std::string& out, const FrameResults& results, const FrameModel& model, int block,
                  int m) {
    const ResultMember& rm = results.member[m];
    const int mi = FindMemberIndex(model, rm.no);
    const std::string name = mi > 0 ? FixedText(model.members[mi].name, kNameSize) : std::string();
    out +=
        FormatStr("部材番号\t%d\t%s\t\t部材長\t%0.3f\n"_sj.c_str(), rm.no, name.c_str(), rm.length);
    // Members pointing down or to the left are listed from the j end, so
    // that every row reads left to right or bottom to top.
    const bool descending = std::cos(rm.angle + kQuarterPi) < 0;
    std::string names, xs = "X", ms = "M", ns = "N", ss = "S";
    for (const MemberPointRecord& r : ListPointsWithForces(results, block, m, descending, true)) {
        names += "\t" + FixedText(r.label, kPointLabelBytes);
        xs += FormatStr("\t%0.3f", r.position);
        ms += FormatStr("\t%0.3f", r.m);
        ns += FormatStr("\t%0.3f", r.n);
        ss += FormatStr("\t%0.3f", r.s);
    }
    out += names + "\n" + xs + "\n" + ms + "\n" + ns + "\n" + ss + "\n\n";
}

}  // namespace

std::string ExcelCells(const std::string& line) {
    std::string s = SqueezeSpaces(Trim(line));
    // Trail bytes of double-byte characters are never 0x20, so a blank
    // byte is always a blank character.
    for (std::size_t i = 1; i + 1 < s.size(); ++i)
        if (s[i] == ' ' && s[i - 1] != ' ') s[i] = '\t';
    return s;
}

std::string ExcelResultText(const FrameResults& results) {
    TStringList lines;
    lines.Add("Vextor 計算結果"_sj);
    ListSdkResults(lines, results);
    std::string text;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += ExcelCells(lines[i]);
    }
    return text;
}

std::string MemberForcesText(const FrameResults& results, const FrameModel& model) {
    std::string out;
    const int members = CheckedCount(results.memberCount, kResultMemberSlots - 1);
    const int firstCombo = ComboBlockIndex(results, 1);
    const int combos = CheckedCount(results.comboCount, kResultCaseSlots - firstCombo);
    for (int k = 1; k <= combos; ++k) {
        int no = k;
        std::string name;
        if (k <= std::min(model.combinationCount, kMaxCombinations)) {
            no = model.combinations[k].no;
            name = FixedText(model.combinations[k].name, kNameSize);
        }
        // Every block carries its combination, so that a block pasted alone
        // still says what it is.
        for (int m = 1; m <= members; ++m) {
            out += FormatStr("組合せNo\t%d\t\t%s\n"_sj.c_str(), no, name.c_str());
            AppendMember(out, results, model, ComboBlockIndex(results, k), m);
        }
    }
    return out;
}

void CopyMemberForcesToClipboard(const FrameResults& results, const FrameModel& model) {
    ClipboardSetText(MemberForcesText(results, model));
}
