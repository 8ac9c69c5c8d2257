#include "report/report_lines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_run.h"

namespace {

bool IsLead(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }
unsigned char At(const std::string& s, std::size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

// True when the two-byte character at i is one of the characters of set.
bool CharIn(const std::string& s, std::size_t i, const std::string& set) {
    if (i + 1 >= s.size()) return false;
    for (std::size_t k = 0; k + 1 < set.size(); k += 2)
        if (s[i] == set[k] && s[i + 1] == set[k + 1]) return true;
    return false;
}

std::string TrimRight(const std::string& s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') --e;
    return s.substr(0, e);
}

// Heading markers at byte positions 1 to 8, and only in front of a 「【」
// remark (a marker inside the remark is not printed, so it must not count).
// Returns the byte index just after a one-digit section number (for the
// contents entry), or npos.
std::size_t NumberHeadings(std::string& s) {
    std::size_t afterSection = std::string::npos;
    HeadingCountersData& h = HeadingCounters;
    const std::size_t p = SjisFind(s, "%.");
    if (p != std::string::npos && p < 8 && p < SjisFind(s, "【"_sj)) {
        if (s.compare(p, 5, "%.%.%") == 0) {
            ++h.subsection;
            h.item = 0;
            s.replace(p, 5, FormatStr("%d.%d.%d", h.chapter, h.section, h.subsection));
        } else if (s.compare(p, 3, "%.%") == 0) {
            ++h.section;
            h.subsection = h.item = 0;
            const std::string num = FormatStr("%d.%d", h.chapter, h.section);
            s.replace(p, 3, num);
            if (h.section <= 9) afterSection = p + num.size();
        } else {
            ++h.chapter;
            h.section = h.subsection = h.item = 0;
            s.replace(p, 2, FormatStr("%d.", h.chapter));
        }
    }
    const std::size_t q = SjisFind(s, "%)");
    if (q != std::string::npos && q < 8 && q < SjisFind(s, "【"_sj)) {
        ++h.item;
        s.replace(q, 1, FormatStr("%d", h.item));
    }
    return afterSection;
}

// "$>>" lines feed the table of contents while the pool records.
void RecordHeading(double x, double y, std::string& s, std::size_t afterSection) {
    if (s.compare(0, 3, "$>>") != 0) return;
    s.erase(0, 3);
    if (afterSection != std::string::npos) afterSection = afterSection >= 3 ? afterSection - 3 : 0;
    if (!PoolRecording) return;
    if (s.empty()) {
        HeadingList.Clear();
        ContentsPageOffset = 0;
        PoolClear();
        return;
    }
    if (HeadingList.Count() >= kMaxHeadings) return;
    // A heading on a page past the pool's last one is never printed, so
    // the contents must not point at it.
    if (PoolCurrentPage() >= kPoolPageCount) return;
    std::string text = s;
    // A blank after a one-digit section number lines 1.2 up with 1.10.
    if (afterSection != std::string::npos && afterSection <= text.size())
        text.insert(afterSection, " ");
    HeadingList.Add(FormatStr("%4d,%9.2f,%9.2f,%4d,%s", PoolCurrentPage() - 10, y, x,
                              static_cast<int>(CurrentFont.style), text.c_str()));
}

// Step 5 of PrintTextLine: texts between box bars are centred in their cell.
void CentreCells(double x, double y, std::string& s) {
    const double w = CurrentFont.width;
    const std::string& openers = "│┃┤┫┥"_sj;
    const std::string& closers = "│├┃┠┣┝"_sj;
    std::size_t cellStart = std::string::npos;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == kLiteralOpen) {
            // User text: its bars are no cell walls.
            i = LiteralRunEnd(s, i);
            continue;
        }
        if (s.compare(i, 2, "　"_sj) == 0) s.replace(i, 2, "  ");
        if (!IsLead(At(s, i)) || i + 1 >= s.size()) {
            ++i;
            continue;
        }
        if (cellStart != std::string::npos && CharIn(s, i, closers)) {
            const std::string content = s.substr(cellStart, i - cellStart);
            const std::string trimmed = Trim(content);
            if (!trimmed.empty()) {
                const double dx = cellStart * w + (content.size() - trimmed.size()) * 0.5 * w;
                const int before = FieldTable.positionalCount;
                Gmm_TextMarkup(x, y, dx, 0, trimmed);
                // A mask alone in its cell may use the cell from rule to rule.
                if (trimmed[0] == '#' && FieldTable.positionalCount > before) {
                    FieldRecord& f = FieldTable.fields[FieldTable.positionalCount - 1];
                    f.fieldWidth = (content.size() + 2) * w;
                    f.cellX = (static_cast<double>(cellStart) - 1) * w;
                }
            }
            std::fill(s.begin() + static_cast<long>(cellStart), s.begin() + static_cast<long>(i),
                      ' ');
            cellStart = std::string::npos;
            continue;  // the closing bar may open the next cell
        }
        if (cellStart == std::string::npos && CharIn(s, i, openers)) cellStart = i + 2;
        i += 2;
    }
}

}  // namespace

void ResetHeadingNumbers() { HeadingCounters = HeadingCountersData{}; }

void PrintTextLine(double x, double y, const std::string& line) {
    std::string s = line;
    // 2-3. Numbers first, so that the contents entry keeps its remark.
    const std::size_t afterSection = NumberHeadings(s);
    // 4. Contents entry.
    RecordHeading(x, y, s, afterSection);
    // 1. A remark from 「【」 on is not printed.
    const std::size_t remark = SjisFind(s, "【"_sj);
    if (remark != std::string::npos) s = TrimRight(ZenSpaceToHan(s.substr(0, remark)));
    // 5. Cells.
    s += " ";
    CentreCells(x, y, s);
    // 6-7. Rules, then the rest of the line.
    DrawBoxRules(x, y, s);
    Gmm_TextMarkup(x, y, 0, 0, s);
}

// ---------------------------------------------------------------------------
// Box rules

namespace {

void RuleLine(double x1, double y1, double x2, double y2, double weight) {
    // Weight 0 gives the thinnest line the device draws.
    G_SetLineWidth(weight);
    Gmm_Line(x1, y1, x2, y2, 0, 1);
}

// What each box character (codes 0x849F to 0x84BE) does, looked up once
// per character instead of searching the character sets again and again.
enum BoxRole : unsigned {
    kRunStartThin = 1u << 0,
    kRunStartHeavy = 1u << 1,
    kHeavyHorizontal = 1u << 2,
    kRunEnd = 1u << 3,
    kHeavyVertical = 1u << 4,
    kTopThin = 1u << 5,
    kTopHeavy = 1u << 6,
    kBottom = 1u << 7,
    kThinHorizontal = 1u << 8,
};
constexpr int kFirstBoxCode = 0x849F, kLastBoxCode = 0x84BE;

unsigned BoxRoles(int code) {
    static const auto table = [] {
        std::array<unsigned, kLastBoxCode - kFirstBoxCode + 1> t{};
        const std::pair<const std::string*, unsigned> sets[] = {
            {&"┌└├┠"_sj, kRunStartThin}, {&"┝┏┗┣"_sj, kRunStartHeavy}, {&"━"_sj, kHeavyHorizontal},
            {&"┐┘┤┨┓┛┫┥"_sj, kRunEnd},   {&"┃"_sj, kHeavyVertical},    {&"┌┐┬┯"_sj, kTopThin},
            {&"┏┓┳┰"_sj, kTopHeavy},     {&"┘└┴┛┗┻┷┸"_sj, kBottom},    {&"─"_sj, kThinHorizontal},
        };
        for (const auto& [set, role] : sets)
            for (std::size_t k = 0; k + 1 < set->size(); k += 2) {
                const int c = At(*set, k) * 256 + At(*set, k + 1);
                if (c >= kFirstBoxCode && c <= kLastBoxCode) t[c - kFirstBoxCode] |= role;
            }
        return t;
    }();
    return table[code - kFirstBoxCode];
}

}  // namespace

int DrawBoxRules(double x, double y, std::string& line) {
    const double w = CurrentFont.width, h = CurrentFont.height;
    const double mid = y + h * 0.5;
    // 1.
    if (SjisFind(line, "┌"_sj) != std::string::npos || SjisFind(line, "┏"_sj) != std::string::npos)
        for (BoxRuleColumn& r : ReportRun.boxRules) r = BoxRuleColumn{};
    const std::size_t limit = std::min<std::size_t>(line.size(), 256);
    // 2. The horizontal run of this line.
    std::size_t runStart = 0;
    double runWeight = 0;
    std::size_t i = 0;
    while (i < limit) {
        if (line[i] == kLiteralOpen) {
            // User text: its box characters are characters, not rules.
            i = LiteralRunEnd(line, i);
            continue;
        }
        if (!IsLead(At(line, i)) || i + 1 >= line.size()) {
            ++i;
            continue;
        }
        const int code = At(line, i) * 256 + At(line, i + 1);
        if (code < kFirstBoxCode || code > kLastBoxCode) {
            i += 2;
            continue;
        }
        const unsigned role = BoxRoles(code);
        // 3. The character at byte position p (1-based) has its middle at x + w p.
        const std::size_t p = i + 1;
        const double px = x + w * static_cast<double>(p);
        const bool inRun = runWeight != 0;
        if (role & kRunStartThin) {
            runStart = p;
            runWeight = 1;
        } else if (role & kRunStartHeavy) {
            runStart = p;
            runWeight = 2;
        } else if (inRun && (role & kHeavyHorizontal)) {
            runWeight = 2;
        } else if (role & kRunEnd) {
            RuleLine(x + w * static_cast<double>(runStart), mid, px, mid, runWeight);
            runWeight = 0;
        }
        BoxRuleColumn& col = ReportRun.boxRules[p];
        if ((role & kHeavyVertical) && col.weight != 0) col.weight = 2;
        if (role & kTopThin)
            col = {mid, 1};
        else if (role & kTopHeavy)
            col = {mid, 2};
        else if ((role & kBottom) && col.weight != 0) {
            RuleLine(px, col.y, px, mid, col.weight);
            col.weight = 0;
        }
        // A 「─」 outside any run stays as a character.
        if (!((role & kThinHorizontal) && !inRun)) {
            line[i] = ' ';
            line[i + 1] = ' ';
        }
        i += 2;
    }
    return static_cast<int>(limit);
}

// ---------------------------------------------------------------------------
// Value fields

namespace {

bool Registered(int n) {
    if (n >= 0 && n < FieldTable.positionalCount) return true;
    return n >= kFirstNamedField && n < FieldTable.nextNamed;
}

int ResolveField(int n) {
    if (n < 0) return NextFieldIndex();
    return Registered(n) ? n : -1;
}

// Fixed-point text "%*.*f"; empty when the number cannot be shown at all.
std::string FormatFixed(int width, int decimals, double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e100) return std::string();
    char buf[256];
    std::snprintf(buf, sizeof buf, "%*.*f", std::clamp(width, 0, 120), std::clamp(decimals, 0, 20),
                  value);
    // A small negative value that rounds to zero (or -0.0, such as the
    // turned axial force of a beam without any) prints as zero: "-0.00"
    // would tell the reader of a sign that is not there.
    std::string text = buf;
    if (text.find_first_of("123456789") == std::string::npos) {
        const std::size_t minus = text.find('-');
        if (minus != std::string::npos) text[minus] = ' ';
    }
    return text;
}

// Uses the field's font when asked; the caller's font comes back on leaving.
struct FontScope {
    FontState saved = CurrentFont;
    FontScope(const FieldRecord& f, int useFieldFont) {
        if (useFieldFont) SetFontState(f.font);
    }
    ~FontScope() { SetFontState(saved); }
};

double FieldDy(const FieldRecord& f) {
    return f.dy + (f.font.height - CurrentFont.height) * 2.0 / 3.0;
}

// The number as wide as `cells` at most: decimals are dropped first, and a
// number whose whole part does not fit becomes '*' characters.
std::string FitNumber(double value, int cells, int decimals) {
    for (int d = std::max(decimals, 0); d >= 0; --d) {
        std::string t = Trim(FormatFixed(cells, d, value));
        if (t.empty()) break;
        if (t[0] != '-' && static_cast<int>(t.size()) < cells) t = " " + t;
        if (static_cast<int>(t.size()) <= cells) return t;
    }
    return std::string(static_cast<std::size_t>(std::max(cells, 1)), '*');
}

std::string PrepareText(const std::string& text) { return Trim(ZenSpaceToHan(text)); }

std::string CutName(const std::string& name) { return name.substr(0, kFieldNameBytes); }

}  // namespace

void ResetFields() {
    FieldTable.positionalCount = 0;
    FieldTable.fillCursor = 0;
    FieldTable.nextNamed = kFirstNamedField;
}

int NextFieldIndex() {
    if (FieldTable.fillCursor >= FieldTable.positionalCount) return -1;
    return FieldTable.fillCursor++;
}

void RegisterField(double lineX, double lineY, double maskX, double dy, int widthChars,
                   int decimals, const std::string& name) {
    int index;
    if (name.empty()) {
        if (FieldTable.positionalCount >= kPositionalFields) return;
        index = FieldTable.positionalCount++;
    } else {
        if (FieldTable.nextNamed > kLastNamedField) return;
        index = FieldTable.nextNamed++;
    }
    FieldRecord& f = FieldTable.fields[index];
    f = FieldRecord{};
    f.lineX = lineX;
    f.lineY = lineY;
    f.fieldWidth = widthChars * CurrentFont.width;
    f.maskX = maskX;
    f.dy = dy;
    f.cellX = maskX;
    f.widthChars = widthChars;
    f.decimals = decimals;
    f.font = CurrentFont;
    const std::string kept = CutName(name);
    std::memcpy(f.name, kept.data(), kept.size());
}

void PutFieldNumber(int n, double value, int useFieldFont) {
    const int idx = ResolveField(n);
    if (idx < 0) return;
    const FieldRecord& f = FieldTable.fields[idx];
    FontScope scope(f, useFieldFont);
    const double w = std::max(CurrentFont.width, 0.1);
    const int cells = static_cast<int>(f.fieldWidth / w + 0.1);
    const std::string text = FitNumber(value, cells, f.decimals);
    const double dx = f.cellX + (f.fieldWidth - text.size() * w) * 0.5;
    G_SetFillStyle(bsClear);
    G_TextEx(f.lineX, f.lineY, dx, FieldDy(f), text);
}

void FillFieldNumber(int n, double value, int useFieldFont) {
    const int idx = ResolveField(n);
    if (idx < 0) return;
    const FieldRecord& f = FieldTable.fields[idx];
    FontScope scope(f, useFieldFont);
    const double w = CurrentFont.width;
    // 1. Right-aligned in the mask.
    const int cells = w > 0 ? static_cast<int>(f.fieldWidth / w + 0.1) : f.widthChars;
    const int maskLen = f.widthChars;
    const std::string text = FormatFixed(maskLen, f.decimals, value);
    const int len = static_cast<int>(text.size());
    // 2. Too long: move left into the cell's free room, or centre it.
    double move = 0;
    if (text.empty()) {
        PutFieldNumber(idx, value, useFieldFont);
        return;
    }
    if (len > maskLen) {
        const int k = (cells - maskLen) / 2;
        if (k + maskLen < len) {
            if (2 * k + maskLen < len) {
                PutFieldNumber(idx, value, useFieldFont);
                return;
            }
            move = ((maskLen + cells) / 2 - maskLen) * w;
        } else {
            move = (len - maskLen) * w;
        }
    }
    // 3-4.
    const double dx = std::max(f.maskX - move, f.cellX);
    G_SetFillStyle(bsClear);
    G_TextEx(f.lineX, f.lineY, dx, FieldDy(f), text);
}

void FillNamedFieldNumber(const std::string& name, double value, int useFieldFont) {
    const std::string key = CutName(name);
    for (int i = kFirstNamedField; i < FieldTable.nextNamed; ++i)
        if (key == FieldTable.fields[i].name) {
            FillFieldNumber(i, value, useFieldFont);
            return;
        }
}

void PutFieldText(int n, const std::string& text, int useFieldFont) {
    const int idx = ResolveField(n);
    if (idx < 0) return;
    const FieldRecord& f = FieldTable.fields[idx];
    FontScope scope(f, useFieldFont);
    const std::string t = PrepareText(text);
    const double dx = f.cellX + (f.fieldWidth - t.size() * CurrentFont.width) * 0.5;
    Gmm_TextMarkup(f.lineX, f.lineY, dx, FieldDy(f), t);
}

void FillFieldText(int n, const std::string& text, int useFieldFont) {
    const int idx = ResolveField(n);
    if (idx < 0) return;
    const FieldRecord& f = FieldTable.fields[idx];
    std::string t = PrepareText(text);
    if (static_cast<int>(t.size()) > f.widthChars) {
        PutFieldText(idx, text, useFieldFont);
        return;
    }
    FontScope scope(f, useFieldFont);
    t.insert(0, static_cast<std::size_t>(f.widthChars) - t.size(), ' ');
    Gmm_TextMarkup(f.lineX, f.lineY, f.maskX, FieldDy(f), t);
}

void FillNamedFieldText(const std::string& name, const std::string& text, int useFieldFont) {
    const std::string key = CutName(name);
    for (int i = kFirstNamedField; i < FieldTable.nextNamed; ++i)
        if (key == FieldTable.fields[i].name) {
            FillFieldText(i, text, useFieldFont);
            return;
        }
}
