// The report driver, the cover, body paging and the chapters' shared helpers.
#include "report/report_cover.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_records.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_input.h"
#include "report/report_lines.h"
#include "report/report_rc.h"
#include "report/report_results.h"
#include "report/report_template.h"
#include "report/text_draw.h"

ReportCoverLinesData ReportCoverLines{"フレーム構造解析計算書"_sj, "", ""};
ReportChapterSwitches ReportChapters;

// --- Driver ---

int BuildCalculationReport() {
    if (FrameData == nullptr) return 0;
    return BuildCalculationReport(*FrameData, ResultData, RcData);
}

int BuildCalculationReport(FrameModel& model, const FrameResults* results, RcCheckData* rc) {
    // 1. Notes emptied; no number on the cover; the body font.
    PreviewNoteText[0].clear();
    PreviewNoteText[1].clear();
    PrintPageFooter(0);
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    // 2. The cover.
    PoolSelectPage(0);
    PrintCoverPage();
    // 3. The world window of every figure.
    ComputeReportExtents(model);
    // 4. The body starts after the pages kept for the contents.
    double y = 0;
    PoolSelectPage(10);
    ResetHeadingNumbers();
    // 5. Chapters.
    y = PrintOverviewSection(y, model);
    y = PrintMaterialTable(y, model);
    y = PrintSectionTable(y, model);
    y = PrintNodeTable(y, model);
    y = PrintMemberTable(y, model);
    y = PrintPointTable(y, model);
    y = PrintSupportTable(y, model);
    y = PrintSpringTable(y, model);
    y = PrintLoadSection(y, model);
    if (ReportChapters.results && results != nullptr && results->memberCount != 0)
        PrintResultSection(*results, model);
    if (ReportChapters.rcCheck && rc != nullptr && rc->memberCount != 0 &&
        rc->memberChecks != nullptr)
        PrintRcCheckSection(*rc, model);
    // 6. A report longer than the pool is cut; say so under the preview
    // and, for the paper copy, at the foot of its last page.
    if (PoolOverflowed()) {
        PreviewNoteText[0] = "ページ数が上限を超えたため、以降のページは省略されています。"_sj;
        PrintReportCutNote();
    }
    return std::max(0, PoolLastPage() - 10);
}

void PrintReportCutNote() {
    const int last = std::min(PoolLastPage(), kPoolPageCount - 1);
    if (last <= 10) return;
    PoolReturnToPage(last);
    const FontState saved = GetFontState();
    SetFontMm(kBaseTextHeight, 0, 0, 0);
    SetTextColor(0);
    const std::string& note =
        "＊＊ 計算書はページ数の上限(%dページ)に達したため、ここで打ち切りました ＊＊"_sj;
    Gmm_Text(1, kReportBodyHeight - kReportCutNoteRoom + 0.5, 0, 0,
             FormatStr(note.c_str(), kPoolPageCount - 11));
    SetFontState(saved);
}

void PrintCoverPage() {
    SetFontMm(6.4, 0, 0, 1);
    Gmm_TextTC(90, 60, ReportCoverLines.title);
    Gmm_TextTC(90, 80, ReportCoverLines.second);
    SetFontMm(4.8, 0, 0, 1);
    // The data file's name is the user's.
    Gmm_TextTC(90, 120, ReportSafeText(ReportCoverLines.third));
    SetFontMm(kBaseTextHeight, 0, 0, 1);
}

void NewReportPage() {
    if (PoolRecording) {
        const int page = PoolNextPage();
        PrintPageFooter(page - 10);
    }
    SetFontMm(kBaseTextHeight, 0, 0, 1);
}

bool PageHasRoom(double y, double h) {
    // The page number stands at the foot of every page; the pool's last
    // page keeps more room there for the note that the report was cut.
    const double bottom = PoolCurrentPage() >= kPoolPageCount - 1
                              ? kReportBodyHeight - kReportCutNoteRoom
                              : kReportBodyHeight - kReportFooterRoom;
    return y + h < bottom;
}

void ComputeReportExtents(const FrameModel& model) {
    ReportExtents = ReportExtentsData{};
    const int count = CheckedCount(model.memberCount, kMaxMembers);
    for (int j = 1; j <= count; ++j) {
        double xi, yi, xj, yj;
        GetMemberEnds(model, xi, yi, xj, yj, j);
        ReportExtents.minX = std::min({ReportExtents.minX, xi, xj});
        ReportExtents.maxX = std::max({ReportExtents.maxX, xi, xj});
        ReportExtents.minY = std::min({ReportExtents.minY, yi, yj});
        ReportExtents.maxY = std::max({ReportExtents.maxY, yi, yj});
    }
    if (count <= 0) ReportExtents = ReportExtentsData{0, 0, 1, 1};
}

void FitReportExtents(double x1, double top, double x2, double bottom) {
    const ReportExtentsData& e = ReportExtents;
    // Paper y runs down, world y up: the paper's bottom edge takes minY.
    G_FitWindow(x1, bottom, x2, top, e.minX, e.minY, e.maxX, e.maxY);
}

// --- Template helpers ---

int ReportTextBytes(const std::string& text) { return static_cast<int>(text.size()); }

namespace {

std::string TrimRightBlanks(const std::string& s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') --e;
    return s.substr(0, e);
}

std::string Centred(const std::string& text, int width) {
    // A text wider than its column is cut, so that the rules stay aligned.
    const std::string fitted = FitTextLength(text, width);
    const int len = ReportTextBytes(fitted);
    const int left = (width - len) / 2;
    return Spaces(left) + fitted + Spaces(width - len - left);
}

std::string Rule(const std::string& ch, int width) { return RepeatText(ch, width / 2); }

std::string Line(const std::string& prefix, int indent, const std::string& body) {
    return prefix + Spaces(indent) + body;
}

}  // namespace

std::vector<std::string> ReportTableTemplate(const std::vector<ReportColumn>& columns, int indent) {
    const std::string& bar = "│"_sj;
    std::string top = "┌"_sj, head1 = bar, spacer = bar, head2 = bar, heavy = "┝"_sj;
    std::string row = bar, sep = "├"_sj, foot = "└"_sj;
    bool twoLines = false;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ReportColumn& col = columns[c];
        const bool last = c + 1 == columns.size();
        top += Rule("─"_sj, col.width) + (last ? "┐"_sj : "┬"_sj);
        head1 += Centred(col.head1, col.width) + bar;
        spacer += Spaces(col.width) + bar;
        head2 += Centred(col.head2, col.width) + bar;
        heavy += Rule("━"_sj, col.width) + (last ? "┥"_sj : "┿"_sj);
        row += Centred(col.cell, col.width) + bar;
        sep += Rule("─"_sj, col.width) + (last ? "┤"_sj : "┼"_sj);
        foot += Rule("─"_sj, col.width) + (last ? "┘"_sj : "┴"_sj);
        if (!col.head2.empty()) twoLines = true;
    }
    std::vector<std::string> lines{Line("+F3-|", indent, top), Line("----|", indent, head1)};
    if (twoLines) {
        lines.push_back(Line("----|", indent, spacer));
        lines.push_back(Line("----|", indent, head2));
    }
    lines.push_back(Line("----|", indent, heavy));
    lines.push_back(Line("----|", indent, row));
    lines.push_back(Line("----|", indent, sep));
    lines.push_back(Line("----|", indent, foot));
    return lines;
}

double RunReportTemplate(double y, const std::vector<std::string>& lines, int first, int last) {
    TStringList list;
    for (const std::string& line : lines) list.Add(line);
    return PrintTemplateLines(y, list, 0, first, last);
}

namespace {

// The advance a prefix sets, following the interpreter's rule; `keep` when
// the prefix keeps the previous advance.
double PrefixAdvance(const std::string& prefix, double current) {
    const double v = TextToDouble(prefix);
    if (prefix.find("+0") != std::string::npos || prefix.rfind("0", 0) == 0 || v != 0) return v;
    static const char* const kCodes[] = {"F1", "F2", "F3", "F4"};
    static const double kPitches[] = {kPitchF1, kPitchF2, kPitchF3, kPitchF4};
    for (int i = 0; i < 4; ++i) {
        if (prefix.find(kCodes[i]) != std::string::npos)
            return prefix.rfind("-F", 0) == 0 ? -kPitches[i] : kPitches[i];
    }
    return current;
}

bool ConditionDrops(const std::string& prefix) {
    for (std::size_t i = 3; i < 5 && i < prefix.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(prefix[i]);
        if (c >= 'A' && c <= 'Z' && PrintConditions[c & 0x1F] == 0) return true;
    }
    return false;
}

bool IsRowTemplate(const std::string& body) {
    const std::string& bar = "│"_sj;
    const std::size_t a = SjisFind(body, bar);
    if (a == std::string::npos) return false;
    const std::size_t b = SjisFind(body, bar, a + bar.size());
    if (b == std::string::npos) return false;
    return Trim(body.substr(a + bar.size(), b - a - bar.size())) == "-1";
}

}  // namespace

double ReportTemplateHeight(const std::vector<std::string>& lines, int rows) {
    double advance = kReportLine, h = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("//--", 0) == 0) break;
        if (line.rfind("//", 0) == 0) continue;
        const std::string prefix = line.substr(0, std::min<std::size_t>(5, line.size()));
        const std::string body = line.size() > 5 ? line.substr(5) : std::string();
        if (ConditionDrops(prefix) || body.rfind("//", 0) == 0) continue;
        advance = PrefixAdvance(prefix, advance);
        if (rows > 0 && IsRowTemplate(body)) {
            // Rows with separators between them, then the foot.
            h += advance * (2 * rows);
            i += 2;
            continue;
        }
        h += advance;
    }
    return h;
}

std::vector<std::string> JoinLines(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// --- Texts ---

std::string FormatReportE(double value) {
    std::string text = FormatStr("%.5E", value);
    // C prints at least two exponent digits; the report shows three.
    const std::size_t e = text.find('E');
    if (e != std::string::npos && e + 2 < text.size()) {
        const std::string sign = text.substr(e + 1, 1);
        std::string digits = text.substr(e + 2);
        if (digits.size() < 3) digits = std::string(3 - digits.size(), '0') + digits;
        text = text.substr(0, e + 1) + sign + digits;
    }
    if (text.size() < 12) text = std::string(12 - text.size(), ' ') + text;
    return text;
}

std::string ReportSafeText(const std::string& text, int maxBytes) {
    // Control bytes and DEL print nothing (and DEL marks the run); a lead
    // byte without its trail byte is no character.
    std::string clean;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const int n = CharByteCount(text, i);
        if (n == 2 && i + 1 < text.size()) {
            clean += text.substr(i, 2);
            i += 2;
            continue;
        }
        if (b >= 0x20 && b != 0x7F && !((b >= 0x80 && b <= 0x9F) || b >= 0xE0))
            clean += static_cast<char>(b);
        ++i;
    }
    clean = Trim(clean);
    // A text wider than its column is cut at a character boundary.
    if (maxBytes > 0 && static_cast<int>(clean.size()) > maxBytes) {
        std::size_t end = 0;
        while (end < clean.size()) {
            const std::size_t next =
                end + static_cast<std::size_t>(std::max(1, CharByteCount(clean, end)));
            if (next > static_cast<std::size_t>(maxBytes)) break;
            end = next;
        }
        clean = TrimRightBlanks(clean.substr(0, end));
    }
    if (clean.empty()) return clean;
    return kLiteralOpen + clean + kLiteralClose;
}

std::string ReportHeading(const std::string& lead, const std::string& name) {
    if (!name.empty() && name[0] == kLiteralOpen && !lead.empty() && lead.back() == ' ')
        return lead.substr(0, lead.size() - 1) + name;
    return lead + name;
}

std::string ReportPlainText(const std::string& line) {
    std::string out;
    for (char c : line)
        if (c != kLiteralOpen && c != kLiteralClose) out += c;
    return out;
}

double ReportWholeMm(double y) { return std::trunc(y); }
