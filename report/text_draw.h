// The text layer: CP932 text drawn on the current graphics device in fixed
// character cells (one cell per byte, whatever the font's own metrics), with
// the small inline markup of the report templates and figures: unit
// exponents ("kN/m2"), powers of ten ("$^3", "$~5"), overbars ("N~"),
// full-width letters with subscripts and primes, a large sigma (「$Σ」) and
// large parentheses ("$(" "$)"). Every character goes out as one text
// operation of the page pool.
//
// Sizes are in mm unless the name says Px; angles in degrees
// counter-clockwise (tenths of a degree where the name says Tenths).
#pragma once
#include <cstdint>
#include <string>

struct FontState {
    double height = 0;  // mm
    double width = 0;   // mm, the cell pitch
    double angle = 0;   // degrees, 0 to 360
    std::int32_t heightPx = 0;
    std::int32_t widthPx = 0;
    std::int32_t angleTenths = 0;
    // Face 0 ＭＳ ゴシック, 1 ＭＳ 明朝, 2 ＭＳ Ｐゴシック, 3 ＭＳ Ｐ明朝, 4 メイリオ;
    // 0x10 bold, 0x20 italic.
    std::int32_t style = 0;
};

extern FontState CurrentFont;
// While set, no text reaches the device (lines and shapes still do).
extern bool TextSuppressed;

// --- Fonts ---
void SetFontPx(int heightPx, int widthPx, int angleTenths, int style);
// A negative height means pixels; a width not above 0 is half the height.
void SetFontMm(double height, double width, double angle, int style);
FontState GetFontState();
void SetFontState(const FontState& state);
void SetFontDevPx(int heightPx, int widthPx, double height, double width, double angle, int style);
// Width of the text in the canvas font, in WORLD units.
double TextWidthMm(const std::string& text);
void SetTextColor(std::uint32_t colour);

// --- Drawing ---
void DevTextOut(double x, double y, const std::string& text);
// Cell layout in device pixels; returns the x after the last cell.
double DevTextCells(double x, double y, double dx, double dy, const std::string& text);
// Paper mm; returns the device x after the last cell.
double Gmm_Text(double x, double y, double dx, double dy, const std::string& text);
// Paper mm with unit exponents and powers of ten.
void G_TextEx(double x, double y, double dx, double dy, const std::string& text);
void Gmm_TextAt(double x, double y, const std::string& text);
// Paper mm with the full markup; registers the line's value fields.
void Gmm_TextMarkup(double x, double y, double dx, double dy, const std::string& text);
// A template line in a smaller font, word by word.
void Gmm_TextScaled(double x, double y, const std::string& text, double raise);

// Anchored texts: T/M/B (top, middle, bottom) and L/C/R (left, centre,
// right), in paper mm and in world coordinates.
void Gmm_TextTL(double x, double y, const std::string& text);
void Gmm_TextTC(double x, double y, const std::string& text);
void Gmm_TextTR(double x, double y, const std::string& text);
void Gmm_TextML(double x, double y, const std::string& text);
void Gmm_TextMC(double x, double y, const std::string& text);
void Gmm_TextMR(double x, double y, const std::string& text);
void Gmm_TextBL(double x, double y, const std::string& text);
void Gmm_TextBC(double x, double y, const std::string& text);
void Gmm_TextBR(double x, double y, const std::string& text);
void G_TextTL(double x, double y, const std::string& text);
void G_TextTC(double x, double y, const std::string& text);
void G_TextTR(double x, double y, const std::string& text);
void G_TextML(double x, double y, const std::string& text);
void G_TextMC(double x, double y, const std::string& text);
void G_TextMR(double x, double y, const std::string& text);
void G_TextBL(double x, double y, const std::string& text);
void G_TextBC(double x, double y, const std::string& text);
void G_TextBR(double x, double y, const std::string& text);

// The nine anchors as one value, for code that chooses an anchor by case.
enum class TextAnchor { TL, TC, TR, ML, MC, MR, BL, BC, BR };
// Offset (mm, in the text's own turned frame) of an n-byte text from its
// anchor point in the current font: the dx and dy of the anchored texts.
void AnchorOffset(TextAnchor anchor, int n, double& dx, double& dy);
// The anchored text of the given kind at a world point.
void G_TextAnchored(TextAnchor anchor, double x, double y, const std::string& text);

// User text inside a report line (a name, a title) stands between two of
// these marks as a literal run: no markup, heading marker, field mask,
// remark or box rule is recognised inside it, and every byte of it prints
// as it is ("$" too). Each byte keeps its cell; the two marks take a cell
// each and draw nothing. The mark is DEL, which is no CP932 character nor
// part of one, and which the trimming of texts keeps (control bytes would
// be trimmed away). ReportSafeText (report_cover.h) makes such runs.
constexpr char kLiteralOpen = '\x7F';
constexpr char kLiteralClose = '\x7F';
// The index just past the literal run that opens at i (past its close, or
// the end of s for a run left open).
std::size_t LiteralRunEnd(const std::string& s, std::size_t i);

// Byte position of the first occurrence of pattern in text at or after
// from that starts on a character boundary (never inside a double-byte
// character) and outside every literal run; std::string::npos when none.
std::size_t SjisFind(const std::string& text, const std::string& pattern, std::size_t from = 0);
