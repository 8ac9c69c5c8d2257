#include "model/text_helpers.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

constexpr unsigned kZenSpace = 0x8140;

unsigned char ByteAt(const std::string& text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

// Code of the double-byte character at pos (lead * 256 + trail); the caller
// has checked that the character takes two bytes.
unsigned CodeAt(const std::string& text, std::size_t pos) {
    return ByteAt(text, pos) * 256u + ByteAt(text, pos + 1);
}

// Length of the longest prefix of text[0..limit) that ends on a character
// boundary.
std::size_t BoundaryAtOrBelow(const std::string& text, std::size_t limit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + static_cast<std::size_t>(CharByteCount(text, pos));
        if (next > limit) break;
        pos = next;
    }
    return pos;
}

// Formatting under the "C" locale for this thread only, so a decimal-comma
// user locale (set by the GUI toolkit at start) never reaches number texts.
locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

}  // namespace

int CharByteCount(const std::string& text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    if (IsLeadByte(ByteAt(text, pos)) && pos + 1 < text.size()) return 2;
    return 1;
}

std::string FormatStr(const char* format, ...) {
    if (format == nullptr) return std::string();
    // The whole text, however long: a message that names a long file and
    // its cause must not lose its end.
    char buffer[1024];
    const locale_t cLoc = CLocale();
    const locale_t previous = cLoc ? uselocale(cLoc) : static_cast<locale_t>(nullptr);
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    std::string text;
    if (written > 0 && static_cast<std::size_t>(written) < sizeof buffer) {
        text.assign(buffer, static_cast<std::size_t>(written));
    } else if (written > 0) {
        text.resize(static_cast<std::size_t>(written) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(written));
    }
    va_end(again);
    va_end(args);
    if (previous) uselocale(previous);
    return text;
}

double TextToDouble(const std::string& text) {
    const std::string half = (!text.empty() && ByteAt(text, 0) >= 0x80) ? NumZenToHan(text) : text;
    const char* p = half.c_str();
    const char* end = p + half.size();
    // atof's blanks: space, tab, newline, vertical tab, form feed, return.
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = (*p == '-');
        ++p;
    }
    // Take the longest decimal number: digits [. digits] [e [sign] digits].
    const char* start = p;
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        ++p;
        ++digits;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && *p >= '0' && *p <= '9') {
            ++p;
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        if (q < end && *q >= '0' && *q <= '9') {
            while (q < end && *q >= '0' && *q <= '9') ++q;
            p = q;
        }
    }
    // strtod under the "C" locale accepts exactly this syntax now, and
    // gives +/-HUGE_VAL on overflow and 0 (or a denormal) on underflow.
    const std::string number(start, p);
    const locale_t cLoc = CLocale();
    const double value =
        cLoc ? strtod_l(number.c_str(), nullptr, cLoc) : std::strtod(number.c_str(), nullptr);
    return negative ? -value : value;
}

int TextToInt(const std::string& text, int decimals) {
    static constexpr std::array<double, 8> kScale = {1.0,     10.0,     100.0,     1000.0,
                                                     10000.0, 100000.0, 1000000.0, 10000000.0};
    const int index = ((decimals % 8) + 8) % 8;
    const double v = TextToDouble(text) * kScale[static_cast<std::size_t>(index)];
    // Tolerance of a tenth of the last kept unit, so 2.95 typed by the user
    // (stored as 2.9499999...) still reads as 3 with no decimals.
    const double r = (v >= 0.0) ? v + 0.1 : v - 0.1;
    if (std::isnan(r)) return 0;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(r);  // truncation toward zero
}

float ToFloatInRange(double v) {
    if (std::isnan(v)) return 0.0f;
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

int TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(std::trunc(v));
}

std::string NumZenToHan(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const int n = CharByteCount(text, pos);
        if (n == 1) {
            out += text[pos];
            pos += 1;
            continue;
        }
        const unsigned c = CodeAt(text, pos);
        if (c >= 0x824F && c <= 0x8258) {
            out += static_cast<char>('0' + (c - 0x824F));
        } else if (c == kZenSpace) {
            out += ' ';
        } else if (c <= 0x8144) {
            // 「、。，．」 (and the codes below them, which no CP932 character
            // uses) are typed as the decimal point.
            out += '.';
        } else if (c == 0x817C) {  // full-width minus
            out += '-';
        } else if (c == 0x817B) {  // full-width plus
            out += '+';
        } else {
            out.append(text, pos, 2);
        }
        pos += 2;
    }
    return out;
}

namespace {

// Half-width forms of the double-byte codes 0x8140..0x83FF that the symbol,
// hiragana and katakana tables cover; an empty entry means no mapping.
constexpr unsigned kTableFirst = 0x8140;
constexpr unsigned kTableLast = 0x83FF;

struct HalfWidthTable {
    std::vector<std::string> entries;
    HalfWidthTable() : entries(kTableLast - kTableFirst + 1) {}

    // Enters each character of full (double-byte only) with the entry of
    // the same index in half (entryBytes bytes each), for codes within
    // [low, high] only.
    void AddRow(const std::string& full, const std::string& half, std::size_t entryBytes,
                unsigned low, unsigned high) {
        std::size_t f = 0, h = 0;
        while (f + 1 < full.size() && h + entryBytes <= half.size()) {
            const unsigned code = CodeAt(full, f);
            if (code >= low && code <= high && entries[code - kTableFirst].empty())
                entries[code - kTableFirst] = half.substr(h, entryBytes);
            f += 2;
            h += entryBytes;
        }
    }
};

const HalfWidthTable& Table() {
    static const HalfWidthTable table = [] {
        HalfWidthTable t;
        const std::string symbolsHalf =
            std::string("\"\"") + "ﾟ'､｡,.･:;?!ﾞﾟ^~_-/|'()[]{}<>｢｣+-=<>@"_sj;
        t.AddRow("″”°′、。，．・：；？！゛゜＾￣＿‐／｜’（）［］｛｝〈〉「」＋－＝＜＞＠"_sj,
                 symbolsHalf, 1, 0x8140, 0x81FF);
        const std::string& kanaHalf =
            "ｧｨｩｪｫｬｭｮﾜ･･ｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ"_sj;
        const std::string& voicedHalf = "ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"_sj;
        t.AddRow(
            "ぁぃぅぇぉゃゅょゎ・・っあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん"_sj,
            kanaHalf, 1, 0x829F, 0x82F1);
        t.AddRow("がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ"_sj, voicedHalf, 2, 0x829F,
                 0x82F1);
        t.AddRow(
            "ァィゥェォャュョヮヵヶッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン"_sj,
            "ｧｨｩｪｫｬｭｮﾜｶｹｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ"_sj, 1, 0x8340, 0x8393);
        t.AddRow("ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ"_sj, voicedHalf, 2, 0x8340,
                 0x8393);
        return t;
    }();
    return table;
}

}  // namespace

std::string HalfWidthChar(unsigned char lead, unsigned char next, int* consumed) {
    // A lead byte without a trail byte (next 0: no CP932 trail byte is 0)
    // is a one-byte character.
    if (!IsLeadByte(lead) || next == 0) {
        if (consumed) *consumed = 1;
        return std::string(1, static_cast<char>(lead));
    }
    if (consumed) *consumed = 2;
    const unsigned c = lead * 256u + next;
    if (c == kZenSpace) return " ";
    if (c >= 0x824F && c <= 0x8258) return std::string(1, static_cast<char>('0' + (c - 0x824F)));
    if (c >= 0x8260 && c <= 0x8279) return std::string(1, static_cast<char>('A' + (c - 0x8260)));
    if (c >= 0x8281 && c <= 0x829A) return std::string(1, static_cast<char>('a' + (c - 0x8281)));
    if (c >= kTableFirst && c <= kTableLast) {
        const std::string& half = Table().entries[c - kTableFirst];
        if (!half.empty()) return half;
    }
    std::string same(1, static_cast<char>(lead));
    same += static_cast<char>(next);
    return same;
}

std::string ZenToHan(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char next = (pos + 1 < text.size()) ? ByteAt(text, pos + 1) : 0;
        int consumed = 1;
        out += HalfWidthChar(ByteAt(text, pos), next, &consumed);
        pos += static_cast<std::size_t>(consumed);
    }
    return out;
}

namespace {

// Walks text by characters; blank is ' ' or the full-width space.
template <typename Visit>
void ForEachChar(const std::string& text, Visit visit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const int n = CharByteCount(text, pos);
        const bool zenSpace = (n == 2 && CodeAt(text, pos) == kZenSpace);
        visit(pos, n, zenSpace);
        pos += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string ZenSpaceToHan(const std::string& text) {
    std::string out;
    ForEachChar(text, [&](std::size_t pos, int n, bool zenSpace) {
        if (zenSpace)
            out += "  ";
        else
            out.append(text, pos, static_cast<std::size_t>(n));
    });
    return out;
}

std::string RemoveSpaces(const std::string& text) {
    std::string out;
    ForEachChar(text, [&](std::size_t pos, int n, bool zenSpace) {
        if (zenSpace || (n == 1 && text[pos] == ' ')) return;
        out.append(text, pos, static_cast<std::size_t>(n));
    });
    return out;
}

std::string SqueezeSpaces(const std::string& text) {
    std::string out;
    bool inBlanks = false;
    ForEachChar(text, [&](std::size_t pos, int n, bool zenSpace) {
        if (zenSpace || (n == 1 && text[pos] == ' ')) {
            if (!inBlanks) out += ' ';
            inBlanks = true;
            return;
        }
        inBlanks = false;
        out.append(text, pos, static_cast<std::size_t>(n));
    });
    return out;
}

std::string Spaces(int n) {
    static const std::string blanks(1024, ' ');
    if (n <= 0) return std::string();
    return blanks.substr(0, static_cast<std::size_t>(n < 1024 ? n : 1024));
}

std::string RepeatText(const std::string& text, int n) {
    if (n <= 0) return std::string();
    if (n > 256) n = 256;
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

std::string FitTextLength(const std::string& text, int len) {
    if (len < 0) len = 0;
    const std::size_t limit = static_cast<std::size_t>(len);
    if (text.size() <= limit) return text;
    // 1. squeeze blanks, 2. drop blanks, 3. half-width, each on the last.
    std::string t = SqueezeSpaces(text);
    if (t.size() <= limit) return t;
    t = RemoveSpaces(t);
    if (t.size() <= limit) return t;
    t = ZenToHan(t);
    if (t.size() <= limit) return t;
    // 4. cut before the first character that does not end within len bytes.
    t.resize(BoundaryAtOrBelow(t, limit));
    return t;
}

std::string CutTextLength(const std::string& text, int len) {
    const std::size_t limit = static_cast<std::size_t>(std::max(len, 0));
    if (text.size() <= limit) return text;
    return text.substr(0, BoundaryAtOrBelow(text, limit));
}

int SplitCommaInPlace(char** fields, int maxFields, char* buffer) {
    if (fields == nullptr || buffer == nullptr || maxFields <= 0) return 0;
    // A comma (0x2C) is never a CP932 trail byte, so a byte scan is safe.
    int count = 1;
    fields[0] = buffer;
    for (char* p = buffer; *p != '\0' && count < maxFields; ++p) {
        if (*p == ',') {
            *p = '\0';
            fields[count++] = p + 1;
        }
    }
    return count;
}

std::string StringListGet(const TStringList& list, int index) {
    if (index < 0 || index >= list.Count()) return std::string();
    return list[index];
}

std::string FormatTextByTag(const std::string& text, int tag) {
    const int width = (tag / 10) % 100;
    const int decimals = tag % 10;
    if (tag == 0 || width <= 0) return text;
    if (decimals > 0) return FormatStr("%*.*f", width, decimals, TextToDouble(text));
    return FormatStr("%*d", width, TextToInt(text));
}
