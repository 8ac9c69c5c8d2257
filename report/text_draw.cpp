#include "report/text_draw.h"

#include <algorithm>
#include <cmath>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_lines.h"

FontState CurrentFont;
bool TextSuppressed = false;

namespace {

bool IsLead(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }
bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
unsigned char At(const std::string& s, std::size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}
int CodeAt(const std::string& s, std::size_t i) { return At(s, i) * 256 + At(s, i + 1); }

// Font sizes beyond this many pixels are no text anyone can read; the cap
// keeps damaged sizes from overflowing.
constexpr double kMaxFontPx = 100000.0;

int PxOf(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -kMaxFontPx, kMaxFontPx));
}

double PxPerMm() { return std::max(CurrentGraphics.pxPerMmX, 0.1); }

}  // namespace

std::size_t LiteralRunEnd(const std::string& s, std::size_t i) {
    // No byte of a CP932 character is a DEL, so the close is found byte by
    // byte.
    const std::size_t close = s.find(kLiteralClose, i + 1);
    return close == std::string::npos ? s.size() : close + 1;
}

std::size_t SjisFind(const std::string& text, const std::string& pattern, std::size_t from) {
    if (pattern.empty()) return std::string::npos;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == kLiteralOpen) {
            i = LiteralRunEnd(text, i);
            continue;
        }
        if (i >= from && text[i] == pattern[0] && text.compare(i, pattern.size(), pattern) == 0)
            return i;
        i += (IsLead(At(text, i)) && i + 1 < text.size()) ? 2 : 1;
    }
    return std::string::npos;
}

// ---------------------------------------------------------------------------
// Fonts

void SetFontPx(int heightPx, int widthPx, int angleTenths, int style) {
    heightPx = std::max(heightPx, 6);
    widthPx = std::max(widthPx, 4);
    CurrentFont.heightPx = heightPx;
    CurrentFont.widthPx = widthPx;
    CurrentFont.angleTenths = angleTenths;
    CurrentFont.style = style;
    // The device gets even sizes, so that halving in the preview stays exact.
    TCanvas* c = CurrentGraphics.canvas;
    PoolSetFont(c, std::max(heightPx & ~1, 6), std::max(widthPx & ~1, 4), angleTenths, style);
    if (c) c->SetFontColor(0);
    PoolSetBrushStyle(c, bsClear);
}

void SetFontMm(double height, double width, double angle, int style) {
    const double ppm = PxPerMm();
    if (height < 0) height = std::fabs(height) / ppm + 0.01;
    if (width <= 0) width = height / 2;
    if (angle < 0) angle += 360;
    CurrentFont.height = height;
    CurrentFont.width = width;
    CurrentFont.angle = angle;
    SetFontPx(PxOf((height + 0.01) * ppm), PxOf((width + 0.01) * ppm), PxOf((angle + 0.01) * 10),
              style);
}

FontState GetFontState() { return CurrentFont; }

void SetFontState(const FontState& state) {
    SetFontMm(state.height, state.width, state.angle, state.style);
}

void SetFontDevPx(int heightPx, int widthPx, double height, double width, double angle, int style) {
    if (G_IsScreen())
        SetFontMm(DevLenToMmY(heightPx) + 0.001, DevLenToMmX(widthPx) + 0.001, angle, style);
    else
        SetFontMm(height, width, angle, style);
}

double TextWidthMm(const std::string& text) {
    TCanvas* c = CurrentGraphics.canvas;
    return c ? DevLenToWorldX(c->TextWidth(text)) : 0.0;
}

void SetTextColor(std::uint32_t colour) {
    PoolSetFontColor(CurrentGraphics.canvas, G_IsScreen() ? colour : 0);
}

// ---------------------------------------------------------------------------
// Cells

void DevTextOut(double x, double y, const std::string& text) {
    if (TextSuppressed) return;
    if (G_IsScreen()) {
        x = DevToInt(x + 0.5);
        y = DevToInt(y + 0.5);
    } else {
        // Odd pixels, where the replay puts its points.
        x = 2.0 * DevToInt(x * 0.5 + 0.5) + 1;
        y = 2.0 * DevToInt(y * 0.5 + 0.5) + 1;
    }
    PoolTextOut(CurrentGraphics.canvas, static_cast<float>(x), static_cast<float>(y), text);
}

double DevTextCells(double x, double y, double dx, double dy, const std::string& text) {
    // 1. Pitch along and across the text direction.
    double p = CurrentFont.width * CurrentGraphics.pxPerMmX;
    double q = 0, c = 1, s = 0;
    if (CurrentFont.angleTenths != 0) {
        const double a = -CurrentFont.angleTenths * 0.1 * M_PI / 180.0;
        s = std::sin(a);
        c = std::cos(a);
        q = s * p;
        p = c * p;
    }
    const std::size_t n = text.size();
    bool literal = false;
    for (std::size_t k = 0; k < n; ++k) {
        // 2. The cell's point, the offset turned with the text.
        const double X = x + k * p + dx * c - dy * s;
        const double Y = y + k * q + dx * s + dy * c;
        const unsigned char b = At(text, k);
        if (IsLead(b)) {
            // 3. A double-byte character takes two cells; a lead byte without a
            // proper trail byte is dropped (its cell stays empty).
            if (k + 1 >= n || !IsTrail(At(text, k + 1))) continue;
            const std::string ch = text.substr(k, 2);
            ++k;
            if (ch == "─"_sj || ch == "━"_sj) {
                // Rules are drawn twice so that they join across cells.
                DevTextOut(X - p * 0.25, Y, ch);
                DevTextOut(X + p * 0.25, Y, ch);
            } else if (ch == "│"_sj || ch == "┃"_sj) {
                DevTextOut(X, Y - p / 3, ch);
                DevTextOut(X, Y + p / 3, ch);
            } else {
                DevTextOut(X, Y, ch);
            }
        } else if (b == static_cast<unsigned char>(kLiteralOpen)) {
            // The marks of a literal run take their cells undrawn.
            literal = !literal;
        } else if (b != '$' || literal) {
            // 4. One-byte characters; "$" takes its cell undrawn, except in a
            // literal run, where it is the user's own character.
            DevTextOut(X, Y, std::string(1, static_cast<char>(b)));
        }
    }
    // 5.
    return x + p * n;
}

double Gmm_Text(double x, double y, double dx, double dy, const std::string& text) {
    return DevTextCells(MmToDevX(x), MmToDevY(y), MmLenToDevX(dx), MmLenToDevY(dy), text);
}

// ---------------------------------------------------------------------------
// Exponents

void G_TextEx(double x, double y, double dx, double dy, const std::string& text) {
    // 1. The patterns whose last character prints as a small raised exponent.
    static const std::string patterns[] = {
        "/cm2", "(cm2", "mm2", "/m2", "/m3", "(m2", "(mm2", "(mm3", "(mm4", ")2", "(mm3", ")3",
        "・t2"_sj, "$^", "$~", "[m2", "[m4", "m/s2", "π2"_sj,
        // Second moments of area in m4, raised like the m2 of areas.
        "(m4"};
    // The bytes that can start a pattern: most texts hold none of them at a
    // character's start and are drawn after one pass.
    static const std::string starts = [] {
        std::string s;
        for (const std::string& pat : patterns)
            if (s.find(pat[0]) == std::string::npos) s += pat[0];
        return s;
    }();
    std::string rest = text;
    const double w = CurrentFont.width;
    for (int guard = 0; guard <= static_cast<int>(text.size()); ++guard) {
        // 2. The leftmost match; on a tie the earlier pattern. One pass over
        // the characters (literal runs skipped), trying the patterns only
        // where one can start.
        std::size_t best = std::string::npos;
        const std::string* match = nullptr;
        for (std::size_t i = 0; i < rest.size() && !match;) {
            if (rest[i] == kLiteralOpen) {
                i = LiteralRunEnd(rest, i);
                continue;
            }
            if (starts.find(rest[i]) != std::string::npos) {
                for (const std::string& pat : patterns)
                    if (rest.compare(i, pat.size(), pat) == 0) {
                        best = i;
                        match = &pat;
                        break;
                    }
            }
            i += (IsLead(At(rest, i)) && i + 1 < rest.size()) ? 2 : 1;
        }
        if (!match) {
            Gmm_Text(x, y, dx, dy, rest);
            return;
        }
        // 3. Head, exponent and rest.
        std::string head, exponent;
        std::size_t restFrom;
        if (*match == "$^" || *match == "$~") {
            head = rest.substr(0, best) + "10";
            const std::size_t e = best + 2;
            const int len = e < rest.size() ? CharByteCount(rest, e) : 0;
            exponent = (*match == "$~" ? "-" : "") + rest.substr(std::min(e, rest.size()), len);
            restFrom = std::min(rest.size(), e + len);
        } else {
            const std::size_t last = best + match->size() - 1;
            head = rest.substr(0, last);
            exponent = rest.substr(last, 1);
            restFrom = last + 1;
        }
        // 4. The head, then the exponent in a smaller font, top-aligned.
        Gmm_Text(x, y, dx, dy, head);
        dx += head.size() * w;
        const FontState saved = CurrentFont;
        SetFontMm(saved.height * 0.75, saved.width, saved.angle, saved.style);
        Gmm_Text(x, y, dx, dy, exponent);
        dx += exponent.size() * w;
        SetFontState(saved);
        rest = rest.substr(restFrom);
    }
}

void Gmm_TextAt(double x, double y, const std::string& text) { G_TextEx(x, y, 0, 0, text); }

// ---------------------------------------------------------------------------
// Markup

namespace {

bool IsSmallGreekToEnlarge(int code) {
    const std::string& list = "αγεικνπστυχω"_sj;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2)
        if (CodeAt(list, i) == code) return true;
    return false;
}

bool IsAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void Blank(std::string& t, std::size_t from, std::size_t count) {
    for (std::size_t k = from; k < from + count && k < t.size(); ++k) t[k] = ' ';
}

// Draws part of a line in a font scaled from the saved one, then restores it.
void DrawScaled(double x, double y, double dx, double dy, const std::string& part,
                double heightScale, double width, const FontState& saved) {
    SetFontMm(saved.height * heightScale, width, saved.angle, saved.style);
    Gmm_Text(x, y, dx, dy, part);
    SetFontState(saved);
}

// Step 2: a full-width Latin or Greek letter at i, with its prime and
// subscript. Returns the bytes handled.
std::size_t MarkupLetter(double x, double y, double dx, double dy, std::string& t, std::size_t i) {
    const FontState saved = CurrentFont;
    const double h = saved.height, w = saved.width;
    const double X = dx + i * w;
    const int code = CodeAt(t, i);
    const std::string ch = t.substr(i, 2);
    if (code < 0x827A) {
        // Capitals Ａ-Ｚ, a little narrower so that a subscript fits.
        DrawScaled(x, y, X + w / 8, dy, ch, 1.0, w * 7 / 8, saved);
        Blank(t, i, 2);
    } else if (IsSmallGreekToEnlarge(code)) {
        const double big = h * 11 / 8;
        DrawScaled(x, y, X - w * 0.25, dy - h * 3 / 8, ch, 11.0 / 8, big / 2, saved);
        Blank(t, i, 2);
    }
    std::size_t j = i + 2;
    double subX = 1.75 * w;
    if (At(t, j) == '\'' || At(t, j) == '"') {
        Gmm_Text(x, y, X + 1.75 * w, dy, t.substr(j, 1));
        Blank(t, j, 1);
        ++j;
        subX = 2.0 * w;
    }
    std::size_t end = j;
    while (end < t.size()) {
        const unsigned char b = At(t, end);
        if (b == '/' || b == '=' || b <= ')' || b >= '~') break;
        ++end;
    }
    if (end > j) {
        DrawScaled(x, y, X + subX, dy + h * 3 / 8, t.substr(j, end - j), 0.75, w * 7 / 8, saved);
        Blank(t, j, end - j);
    }
    return end - i;
}

// Step 4: a value field whose mask starts at i; registers it and blanks it.
std::size_t MarkupField(double x, double y, double dx, double dy, std::string& t,
                        const std::string& mark, std::size_t i) {
    const double w = CurrentFont.width;
    std::size_t end = i;
    while (end < t.size() && (t[end] == '#' || t[end] == '.')) ++end;
    if (end - i > 1 && t[end - 1] == '.') --end;  // a final "." ends the sentence
    const std::string mask = t.substr(i, end - i);
    const std::size_t dot = mask.find('.');
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(mask.size() - dot - 1);
    std::size_t nameStart = i;
    while (nameStart > 0 && IsAlnum(At(t, nameStart - 1)) && mark[nameStart - 1] != '2')
        --nameStart;
    const std::string name = t.substr(nameStart, i - nameStart);
    Blank(t, nameStart, end - nameStart);
    const double maskX = dx + i * w - name.size() * w;
    RegisterField(x, y, maskX, dy, static_cast<int>(mask.size() + name.size()), decimals, name);
    return end - i;
}

}  // namespace

void Gmm_TextMarkup(double x, double y, double dx, double dy, const std::string& text) {
    std::string t = text + " ";
    const std::size_t n = t.size();
    std::string mark(n, '0');
    std::size_t i = 0;
    while (i < n) {
        const double h = CurrentFont.height, w = CurrentFont.width;
        const double X = dx + i * w;
        const unsigned char b = At(t, i);
        if (t[i] == kLiteralOpen) {
            // User text: left as it is, drawn by the cells below.
            i = LiteralRunEnd(t, i);
            continue;
        }
        if ((b == 'N' || b == 'B') && At(t, i + 1) == '~') {
            // 1. Overbar, then the letter as a full-width capital.
            Gmm_Text(x, y, X, dy - h * 0.5, "－"_sj);
            t.replace(i, 2, b == 'N' ? "Ｎ"_sj : "Ｂ"_sj);
            continue;
        }
        if (IsLead(b)) {
            // 2. Double-byte characters.
            if (i + 1 >= n) break;
            mark[i] = '1';
            mark[i + 1] = '2';
            const int code = CodeAt(t, i);
            if ((code >= 0x8260 && code < 0x829B) || (code >= 0x839F && code < 0x83D7))
                i += MarkupLetter(x, y, dx, dy, t, i);
            else
                i += 2;
            continue;
        }
        if (b == '$') {
            // 3. Large sigma and parentheses, twice the size.
            const FontState saved = CurrentFont;
            if (t.compare(i + 1, 2, "Σ"_sj) == 0) {
                DrawScaled(x, y, X - 0.75 * w, dy - h * 0.5, "Σ"_sj, 2.0, 2 * w, saved);
                Blank(t, i, 3);
                i += 3;
                continue;
            }
            if (At(t, i + 1) == '(' || At(t, i + 1) == ')') {
                DrawScaled(x, y, X, dy - h * 0.5, t.substr(i + 1, 1), 2.0, 2 * w, saved);
                Blank(t, i, 2);
                i += 2;
                continue;
            }
            ++i;
            continue;
        }
        if (b == '#') {
            // 4. A value field.
            i += std::max<std::size_t>(1, MarkupField(x, y, dx, dy, t, mark, i));
            continue;
        }
        ++i;  // 5.
    }
    G_TextEx(x, y, dx, dy, t);
}

void Gmm_TextScaled(double x, double y, const std::string& text, double raise) {
    const FontState saved = CurrentFont;
    const double h = saved.height, w = saved.width;
    SetFontMm(h * 0.75, w * 0.875, saved.angle, saved.style);
    const std::string t = ZenSpaceToHan(text) + "  ";
    std::size_t s = 0;
    while (s < t.size()) {
        if (t[s] == ' ') {
            ++s;
            continue;
        }
        // A literal run belongs to its word whatever blanks it holds.
        std::size_t e = s;
        while (e < t.size() && t[e] != ' ') e = t[e] == kLiteralOpen ? LiteralRunEnd(t, e) : e + 1;
        // Byte position s + 1 (1-based) starts the word.
        Gmm_Text(x, y, (static_cast<double>(s) - 0.125) * w, -h * (raise - 0.25),
                 t.substr(s, e - s));
        s = e;
    }
    SetFontState(saved);
}

// ---------------------------------------------------------------------------
// Anchors

namespace {

void Anchored(double x, double y, const std::string& text, TextAnchor anchor) {
    double dx = 0, dy = 0;
    AnchorOffset(anchor, static_cast<int>(text.size()), dx, dy);
    Gmm_TextMarkup(x, y, dx, dy, text);
}

}  // namespace

void AnchorOffset(TextAnchor anchor, int n, double& dx, double& dy) {
    const double h = CurrentFont.height, w = CurrentFont.width;
    const int column = static_cast<int>(anchor) % 3, row = static_cast<int>(anchor) / 3;
    dx = column == 0 ? 0.0 : column == 1 ? -n * w * 0.5 : -n * w;
    dy = row == 0 ? h * 0.125 : row == 1 ? -h * 0.5 : -h;
}

void G_TextAnchored(TextAnchor anchor, double x, double y, const std::string& text) {
    Anchored(WorldToMmX(x), WorldToMmY(y), text, anchor);
}

void Gmm_TextTL(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::TL); }
void Gmm_TextTC(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::TC); }
void Gmm_TextTR(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::TR); }
void Gmm_TextML(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::ML); }
void Gmm_TextMC(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::MC); }
void Gmm_TextMR(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::MR); }
void Gmm_TextBL(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::BL); }
void Gmm_TextBC(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::BC); }
void Gmm_TextBR(double x, double y, const std::string& t) { Anchored(x, y, t, TextAnchor::BR); }

void G_TextTL(double x, double y, const std::string& t) {
    Gmm_TextTL(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextTC(double x, double y, const std::string& t) {
    Gmm_TextTC(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextTR(double x, double y, const std::string& t) {
    Gmm_TextTR(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextML(double x, double y, const std::string& t) {
    Gmm_TextML(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextMC(double x, double y, const std::string& t) {
    Gmm_TextMC(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextMR(double x, double y, const std::string& t) {
    Gmm_TextMR(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextBL(double x, double y, const std::string& t) {
    Gmm_TextBL(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextBC(double x, double y, const std::string& t) {
    Gmm_TextBC(WorldToMmX(x), WorldToMmY(y), t);
}
void G_TextBR(double x, double y, const std::string& t) {
    Gmm_TextBR(WorldToMmX(x), WorldToMmY(y), t);
}
