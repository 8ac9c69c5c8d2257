#include "report/figure_file.h"

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_lines.h"
#include "report/text_draw.h"

FigureTextSizes FigureTextSizeTable;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFieldStore = 32;  // numeric fields kept per record
constexpr int kMaxPolygonPoints = 256;
constexpr std::uint32_t kThinLineGrey = 0x808080;

enum class Keyword {
    None,
    Window,
    Scale,
    Fill4k,
    Polygon,
    Line,
    SizeH,
    SizeW,
    SizeP,
    Text,
    Circle
};

Keyword KeywordOf(const std::string& field) {
    static const struct {
        const char* name;
        Keyword key;
    } table[] = {{"CF_WINDOW", Keyword::Window}, {"CF_SCALE", Keyword::Scale},
                 {"FILL4K", Keyword::Fill4k},    {"POLYGON", Keyword::Polygon},
                 {"LINE", Keyword::Line},        {"CF_MJSIZH", Keyword::SizeH},
                 {"CF_MJSIZW", Keyword::SizeW},  {"CF_MJSIZP", Keyword::SizeP},
                 {"TEXT", Keyword::Text},        {"CIRCLE", Keyword::Circle}};
    for (const auto& t : table)
        if (field == t.name) return t.key;
    return Keyword::None;
}

struct Record {
    Keyword key = Keyword::None;
    double f[kFieldStore] = {};
    std::vector<std::string> fields;
    std::string raw;
    bool owned = false;  // the text or point line of the record before
};

// A number of a file as an int without overflow.
int ToInt(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

// "$RRGGBB"-style colour: the text after its first character in hex.
std::uint32_t HexColour(const std::string& text) {
    if (text.size() < 2) return 0;
    return static_cast<std::uint32_t>(std::strtoul(text.c_str() + 1, nullptr, 16) & 0xFFFFFFFFu);
}

std::vector<Record> ParseFigureFile(const TStringList& lines) {
    std::vector<Record> records(static_cast<std::size_t>(lines.Count()));
    TStringList split;
    for (int i = 0; i < lines.Count(); ++i) {
        Record& r = records[static_cast<std::size_t>(i)];
        split.SetCommaText(lines[i]);
        r.fields = split.Lines();
        r.raw = lines[i];
        if (r.owned || r.fields.empty()) continue;
        r.key = KeywordOf(r.fields[0]);
        const int n = std::min<int>(static_cast<int>(r.fields.size()), kFieldStore);
        for (int k = 0; k < n; ++k) r.f[k] = TextToDouble(r.fields[static_cast<std::size_t>(k)]);
        // The line after a POLYGON or TEXT record belongs to it, whatever
        // it looks like, in every pass.
        if ((r.key == Keyword::Polygon || r.key == Keyword::Text) && i + 1 < lines.Count())
            records[static_cast<std::size_t>(i) + 1].owned = true;
    }
    return records;
}

// Paper y of a window edge, never negative nor infinite.
double PaperBottomOf(double worldY) {
    const double y = WorldToMmY(worldY);
    return std::isfinite(y) && y > 0 ? y : 0.0;
}

// Low four bits of a drawing record's line code (field 3).
int LineCodeBits(const Record& r) { return ToInt(r.f[3]) & 0xF; }

void FillRecord(const Record& r) {
    const std::uint32_t c = HexColour(r.fields.size() > 12 ? r.fields[12] : std::string());
    G_SetLineColor(c);
    G_SetFillColor(c);
    G_SetFillStyle(bsSolid);
    const double x = r.f[4], y = r.f[5], h = r.f[7], w = r.f[8];
    G_FillQuad(x, y + h, x + w, y);
}

void PolygonRecord(const Record& pointLine) {
    const std::vector<std::string>& p = pointLine.fields;
    if (p.empty()) return;
    const std::uint32_t c = HexColour(p[0]);
    // Pairs after the colour field; a lone number at the end (a trailing
    // comma, a line cut short) has no partner and is not a point.
    const int n = std::min<int>((static_cast<int>(p.size()) - 1) / 2, kMaxPolygonPoints);
    if (n <= 0) return;
    std::vector<double> pts(static_cast<std::size_t>(2 * n));
    for (int i = 0; i < 2 * n; ++i)
        pts[static_cast<std::size_t>(i)] = TextToDouble(p[static_cast<std::size_t>(i) + 1]);
    G_SetFillStyle(bsSolid);
    G_Polygon(pts.data(), n, 0, 0, c, c);
}

// A text's width is its CF_MJSIZW width plus its CF_MJSIZP pitch; a new
// width table drops the pitches, so a pitch never adds up over passes or
// files.
void SizeRecord(const Record& r) {
    FigureTextSizes& t = FigureTextSizeTable;
    for (int k = 1; k < 16; ++k) {
        if (r.key == Keyword::SizeH) {
            t.heights[k] = r.f[k];
        } else if (r.key == Keyword::SizeW) {
            t.widths[k] = r.f[k];
            t.pitches[k] = 0;
        } else if (r.key == Keyword::SizeP) {
            t.pitches[k] = r.f[k];
        }
    }
}

double NormalDegrees(double radians) {
    double deg = std::fmod(radians * 180.0 / kPi, 360.0);
    if (!(deg == deg)) return 0;
    return deg < 0 ? deg + 360.0 : deg;
}

void TextRecord(const Record& r, const Record* textLine, double scale) {
    const int s = ToInt(r.f[7]);
    // A size index outside the tables has no size: the text is left out.
    if (s < 0 || s > 15 || !textLine) return;
    const double h = std::fabs(WorldLenToMmY(FigureTextSizeTable.heights[s] * scale));
    const double w = std::fabs(
        WorldLenToMmX((FigureTextSizeTable.widths[s] + FigureTextSizeTable.pitches[s]) * scale));
    std::string text = textLine->raw;
    int style = 0;
    if (!text.empty() && text[0] == '~') {
        text.erase(0, 1);
        style = 1;
    }
    SetFontMm(h, w * 0.5, NormalDegrees(r.f[6]), style);
    Gmm_TextMarkup(WorldToMmX(r.f[4]), WorldToMmY(r.f[5]), 0, 0, text);
}

void LineRecord(const Record& r, int pass) {
    const int code = LineCodeBits(r);
    TCanvas* canvas = CurrentGraphics.canvas;
    if (pass == 1 && code <= 1) {
        const std::uint32_t c = canvas ? canvas->PenColor() : 0;
        G_SetLineColor(kThinLineGrey);
        G_SetLineWidth(1);
        G_Line(r.f[4], r.f[5], r.f[6], r.f[7], 0, 1);
        PoolSetPenColor(canvas, c);
    } else if (pass == 2 && code >= 2) {
        G_SetLineWidth(code - 1);
        G_Line(r.f[4], r.f[5], r.f[6], r.f[7], 0, 1);
    }
}

}  // namespace

std::string ResolveFigureFileName(const std::string& name) {
    if (name.empty()) return {};
    if (FileExists(name)) return name;
    const std::string folder = ExtractFilePath(name);
    const std::string wanted = UpperCase(ExtractFileName(name));
    DIR* dir = opendir(OsFileName(folder.empty() ? std::string(".") : folder).c_str());
    if (!dir) return {};
    std::string found;
    while (const dirent* e = readdir(dir)) {
        const std::string entry = FileNameFromOs(e->d_name);
        if (UpperCase(entry) == wanted && FileExists(folder + entry)) {
            found = folder + entry;
            break;
        }
    }
    closedir(dir);
    return found;
}

namespace {
constexpr double kNoticeTextHeight = 3.6;                     // mm
constexpr double kNoticeLineStep = 1.25 * kNoticeTextHeight;  // mm
// From the notice's first line to below its last.
constexpr double kNoticeHeight = 3 * kNoticeLineStep + kNoticeTextHeight;
}  // namespace

double DrawFileMissingNotice(double y, const std::string& name) {
    const FontState saved = GetFontState();
    SetFontMm(kNoticeTextHeight, 0, 0, 1);
    const std::string rule(89, '#');
    const std::string lines[4] = {rule, ExtractFilePath(name),
                                  ExtractFileName(name) + "....が開けません"_sj, rule};
    for (int k = 0; k < 4; ++k) Gmm_Text(10, y + k * kNoticeLineStep, 0, 0, lines[k]);
    SetFontState(saved);
    return y + kNoticeHeight;
}

double DrawFigureFile(const std::string& name) {
    // 1. A missing file: the notice at the current position.
    const std::string path = ResolveFigureFileName(name);
    if (path.empty()) return DrawFileMissingNotice(CurrentGraphics.mmY, name);
    // 2.
    ResetFields();
    const FontState saved = GetFontState();
    double scale = 1.0;
    TStringList lines;
    lines.LoadFromFile(path);
    const std::vector<Record> records = ParseFigureFile(lines);
    auto next = [&](std::size_t i) { return i + 1 < records.size() ? &records[i + 1] : nullptr; };
    // 3. Pass 0: the window, fills and polygons.
    double result = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        if (r.owned) continue;
        switch (r.key) {
            case Keyword::Window:
                result = PaperBottomOf(r.f[2]);
                break;
            case Keyword::Scale:
                scale = r.f[1];
                break;
            case Keyword::Fill4k:
                FillRecord(r);
                break;
            case Keyword::Polygon:
                if (const Record* p = next(i)) PolygonRecord(*p);
                break;
            default:
                break;
        }
    }
    // 4. Passes 1 to 3: thin lines, thick lines, then texts and circles.
    G_SetLineColor(0);
    for (int pass = 1; pass <= 3; ++pass) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            const Record& r = records[i];
            if (r.owned || r.raw.empty() || r.raw[0] < 'A' || r.raw[0] > 'Z') continue;
            const bool drawing =
                r.key == Keyword::Line || r.key == Keyword::Text || r.key == Keyword::Circle;
            if (drawing && LineCodeBits(r) == 7) continue;
            switch (r.key) {
                case Keyword::Line:
                    LineRecord(r, pass);
                    break;
                case Keyword::Scale:
                    scale = r.f[1];
                    break;
                case Keyword::SizeH:
                case Keyword::SizeW:
                case Keyword::SizeP:
                    SizeRecord(r);
                    break;
                case Keyword::Text:
                    if (pass == 3) TextRecord(r, next(i), scale);
                    break;
                case Keyword::Circle:
                    if (pass == 3) {
                        G_SetFillStyle(bsClear);
                        G_Ellipse(r.f[4], r.f[5], r.f[6], r.f[7]);
                    }
                    break;
                default:
                    break;
            }
        }
    }
    // 5.
    SetFontState(saved);
    return result;
}

double G_DrawKRV_18mX9m(double y, const std::string& name) {
    G_FitWindow(0, y, 180, y + 90, 0, 0, 18000, -9000);
    // A missing file's notice stands where the figure would have begun.
    CurrentGraphics.mmX = 0;
    CurrentGraphics.mmY = y;
    return DrawFigureFile(name);
}

double DrawFigureFileFitted(TCanvas* canvas, std::uint32_t background, const std::string& name) {
    if (!canvas) return 0;
    GraphicsState before;
    G_SaveState(before);
    const TRect clip = canvas->ClipRect();
    const int W = clip.right, H = clip.bottom;
    G_SetDevice(canvas, 0, W, H, 0);
    double result = 0;
    const std::string path = ResolveFigureFileName(name);
    if (path.empty()) {
        // The current y is where the drawing before this one left off, on
        // another device perhaps: the notice is moved into the canvas where
        // that y would put it out of sight, which would leave a blank window.
        const double lowest = std::max(0.0, CurrentGraphics.paperBottom - kNoticeHeight);
        result = DrawFileMissingNotice(std::clamp(CurrentGraphics.mmY, 0.0, lowest), name);
    } else {
        TStringList lines;
        lines.LoadFromFile(path);
        for (const Record& r : ParseFigureFile(lines)) {
            if (r.owned || r.key != Keyword::Window) continue;
            const double m = std::min(W, H) * 0.01;
            G_ClearPage(background);
            G_FitWindow(DevToMmX(m), DevToMmY(m), DevToMmX(W - m), DevToMmY(H - m), r.f[1], r.f[4],
                        r.f[3], r.f[2]);
            result = DrawFigureFile(path);
            break;
        }
    }
    G_RestoreState(before);
    return result;
}

double Gmm_DrawJpeg(double x1, double y1, double x2, double y2, const std::string& name) {
    TCanvas* canvas = CurrentGraphics.canvas;
    const TRect rect{DevToInt(MmToDevX(x1)), DevToInt(MmToDevY(y1)), DevToInt(MmToDevX(x2)),
                     DevToInt(MmToDevY(y2))};
    const std::string path = ResolveFigureFileName(name);
    if (!path.empty() && DrawPictureFile(canvas, rect, path)) return y2;
    DrawFileMissingNotice(y1, name);
    G_SetLineWidth(0);
    Gmm_MoveTo(x1, y1);
    Gmm_LineTo(x2, y1, 0, 0);
    Gmm_LineTo(x2, y2, 0, 0);
    Gmm_LineTo(x1, y2, 0, 0);
    Gmm_LineTo(x1, y1, 0, 0);
    Gmm_LineTo(x2, y2, 0, 0);
    Gmm_Line(x1, y2, x2, y1, 0, 0);
    return y2;
}
