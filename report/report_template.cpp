#include "report/report_template.h"

#include <algorithm>
#include <memory>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/figure_file.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_lines.h"
#include "report/report_run.h"
#include "report/text_draw.h"

namespace {

// More rows than any page can hold; keeps a wild row range from looping
// for ever.
constexpr int kMaxTemplateRows = 10000;

bool StartsWith(const std::string& s, const char* p) {
    const std::string t(p);
    return s.compare(0, t.size(), t) == 0;
}

bool Contains(const std::string& s, const std::string& p) {
    return SjisFind(s, p) != std::string::npos;
}

// Byte length of the first `chars` characters of s (fewer when s is short).
std::size_t CharsToBytes(const std::string& s, int chars) {
    std::size_t pos = 0;
    for (int k = 0; k < chars && pos < s.size(); ++k)
        pos += static_cast<std::size_t>(CharByteCount(s, pos));
    return pos;
}

// The k-th character (1-based) of s when it is a single byte, else 0.
unsigned char SingleCharAt(const std::string& s, int k) {
    const std::size_t pos = CharsToBytes(s, k - 1);
    if (pos >= s.size() || CharByteCount(s, pos) != 1) return 0;
    return static_cast<unsigned char>(s[pos]);
}

// Length in bytes of the line's prefix: five characters, or up to and
// including the bar of a '"|' pair. The line already has "----|" appended.
std::size_t PrefixBytes(const std::string& line) {
    const std::size_t q = SjisFind(line, "\"|");
    if (q != std::string::npos) return q + 2;
    return CharsToBytes(line, 5);
}

// Step 5: a capital letter among prefix characters 4 and 5 whose condition
// is clear drops the line.
bool ConditionsHold(const std::string& prefix) {
    for (int k = 4; k <= 5; ++k) {
        const unsigned char c = SingleCharAt(prefix, k);
        if (c >= 'A' && c <= 'Z' && PrintConditions[c & 0x1F] == 0) return false;
    }
    return true;
}

// Step 8: the advance a prefix asks for, or `current` when it asks none.
double AdvanceOf(const std::string& prefix, double current) {
    const double v = TextToDouble(prefix);
    if (Contains(prefix, "+0") || StartsWith(prefix, "0") || v != 0) return v;
    static const struct {
        const char* code;
        double pitch;
    } pitches[] = {{"F1", kPitchF1}, {"F2", kPitchF2}, {"F3", kPitchF3}, {"F4", kPitchF4}};
    for (const auto& p : pitches)
        if (Contains(prefix, p.code)) return StartsWith(prefix, "-F") ? -p.pitch : p.pitch;
    return current;
}

// The earlier of the two bar characters at or after `from`.
std::size_t FirstBar(const std::string& body, std::size_t from) {
    return std::min(SjisFind(body, "│"_sj, from), SjisFind(body, "┃"_sj, from));
}

// Step 7's row number: the integer after the first 「│」, or after the first
// 「┃」 when the line has one; 0 without bars.
int RowNumberOf(const std::string& body) {
    std::size_t bar = SjisFind(body, "┃"_sj);
    if (bar == std::string::npos) bar = SjisFind(body, "│"_sj);
    if (bar == std::string::npos) return 0;
    const double v = TextToDouble(body.substr(bar + 2));
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

std::string BodyAt(const TStringList& lines, int index, std::size_t prefixBytes) {
    const std::string line = StringListGet(lines, index);
    return (prefixBytes < line.size() ? line.substr(prefixBytes) : std::string()) + " ";
}

// Step 9: a row template (number cell "-1") repeated for rows first ..
// last with the next line as separator and the one after as foot. Returns
// false (nothing drawn) when the line is no row template.
bool PrintRowTemplate(double& y, double advance, const std::string& body, const TStringList& lines,
                      int& index, std::size_t prefixBytes, int first, int last) {
    const std::size_t bar1 = FirstBar(body, 0);
    if (bar1 == std::string::npos) return false;
    const std::size_t bar2 = FirstBar(body, bar1 + 2);
    if (bar2 == std::string::npos) return false;
    const std::string cell = body.substr(bar1 + 2, bar2 - bar1 - 2);
    if (Trim(cell).empty() || TextToDouble(cell) != -1.0) return false;
    const std::string head = body.substr(0, bar1 + 2);
    const std::string tail = body.substr(bar2);
    const int width = static_cast<int>(cell.size());
    // A template at the end of its list has an empty separator and foot.
    const std::string separator = BodyAt(lines, index + 1, prefixBytes);
    const std::string foot = BodyAt(lines, index + 2, prefixBytes);
    last = std::max(last, first);
    last = std::min(last, first + kMaxTemplateRows - 1);
    for (int i = first; i <= last; ++i) {
        y += advance;
        PrintTextLine(1, y, head + FormatStr("%*d", width, i) + tail);
        if (i != last) {
            y += advance;
            PrintTextLine(1, y, separator);
        }
    }
    y += advance;
    PrintTextLine(1, y, foot);
    index += 2;
    return true;
}

// Step 10: picture commands. Returns false when the body names none.
bool RunPictureCommand(double& y, const std::string& body) {
    TStringList f;
    f.SetCommaText(body + ",,,,,,");
    if (f.Count() < 6) return false;
    if (Contains(f[0], "Gmm_DrawJpeg")) {
        const double x1 = TextToDouble(f[1]), y1 = TextToDouble(f[2]);
        const double x2 = TextToDouble(f[3]), y2 = TextToDouble(f[4]);
        y = Gmm_DrawJpeg(x1, y + y1, x2, y + y2, Trim(f[5]));
    } else if (Contains(f[0], "G_DrawKRV_18mX9m")) {
        y = G_DrawKRV_18mX9m(y, Trim(f[1]));
    } else {
        return false;
    }
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    return true;
}

}  // namespace

void SetPrintCondition(unsigned char letter) { PrintConditions[letter & 0x1F] = 1; }

void ClearPrintCondition(unsigned char letter) {
    if (letter == 0)
        std::fill(std::begin(PrintConditions), std::end(PrintConditions), 0);
    else
        PrintConditions[letter & 0x1F] = 0;
}

double PrintTemplate(double y, const char* const* lines, int first, int last) {
    TStringList list;
    if (lines)
        for (int i = 0; lines[i]; ++i) list.Add(lines[i]);
    return PrintTemplateLines(y, list, 0, first, last);
}

double PrintTemplateLines(double y, const TStringList& lines, int start, int first, int last) {
    const FontState saved = GetFontState();
    ResetFields();
    double advance = kPitchF2;
    bool skipMark = false;
    for (int index = std::max(start, 0); index < lines.Count(); ++index) {
        const std::string& raw = lines[index];
        // 1-2. End mark and comments.
        if (StartsWith(raw, "//--")) break;
        if (StartsWith(raw, "//")) continue;
        // 3. Prefix and body.
        const std::string line = raw + "----|";
        const std::size_t prefixBytes = PrefixBytes(line);
        const std::string prefix = line.substr(0, prefixBytes);
        const std::string body = raw.substr(std::min(prefixBytes, raw.size())) + " ";
        // 4-5. Labels and conditions.
        if (StartsWith(body, "#LABEL")) continue;
        if (!ConditionsHold(prefix)) continue;
        // 6. Body face; "$>>" lines are headings in the heading face.
        const bool heading = Contains(body, "$>>");
        SetFontMm(saved.height, saved.width, 0, heading ? 0 : 1);
        // 7. Row-limit mode: rows 1 .. first of a fixed table.
        if (first > 0 && last == 0) {
            if (skipMark) {
                skipMark = false;
                continue;
            }
            const int n = RowNumberOf(body);
            if (n >= first) skipMark = true;
            if (n > first) continue;
        }
        // 8. Advance.
        advance = AdvanceOf(prefix, advance);
        // 9. Row-template mode.
        if (first > 0 && last > 0 &&
            PrintRowTemplate(y, advance, body, lines, index, prefixBytes, first, last))
            continue;
        // 10. Pictures.
        if (body[0] == '#' && RunPictureCommand(y, body)) continue;
        // 11. Body comments.
        if (StartsWith(body, "//")) continue;
        // 12. Text.
        y += advance;
        if (!heading && Contains(prefix, "t"))
            Gmm_TextScaled(1, y, body, 0.5);
        else
            PrintTextLine(1, y, body);
    }
    SetFontMm(saved.height, saved.width, 0, 1);
    // X, Y and Z hold for one template run only.
    ClearPrintCondition('X');
    ClearPrintCondition('Y');
    ClearPrintCondition('Z');
    return y;
}

void PrintPageFooter(int n) {
    ReportRun.pageNumber = n;
    const FontState saved = GetFontState();
    SetFontMm(3.4, 2.4, 0, 1);
    if (n > 0) {
        const GraphicsState& g = CurrentGraphics;
        Gmm_TextBC((g.paperRight - g.paperLeft) / 2, g.paperBottom, FormatStr("%d", n));
    }
    SetTextColor(0);
    SetFontState(saved);
}

int CurrentPageNumber() { return ReportRun.pageNumber; }

TBitmap& PreviewPageBitmap() {
    static std::unique_ptr<TBitmap> bitmap;
    if (!bitmap) bitmap = std::make_unique<TBitmap>();
    return *bitmap;
}

void BeginPreview(int width, int height) {
    TBitmap& page = PreviewPageBitmap();
    page.SetSize(width, height);
    G_SetDevice(&page, 0, 0, 0, 2);
    ResetReportRun();
    PoolClear();
    PoolSelectPage(0);
    PoolRecording = true;
}
