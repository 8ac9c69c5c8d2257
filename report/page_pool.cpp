#include "report/page_pool.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "model/numeric.h"
#include "platform/qt/picture_file.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

PagePoolData PagePool;
bool PoolRecording = false;

namespace {

// Device coordinates beyond a million pixels are off any page; the clamp
// keeps far zooms and damaged records from overflowing an int.
constexpr double kMaxDevice = 1.0e6;
// 256 MB of records on one page is far beyond any report page (a full page
// of text is about 50,000 words).
constexpr long kMaxPageWords = 64L * 1024 * 1024;

int ToDevInt(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -kMaxDevice, kMaxDevice));
}

std::uint32_t FloatBits(float f) {
    std::uint32_t w;
    std::memcpy(&w, &f, 4);
    return w;
}

float BitsFloat(std::uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

PoolPage* CurrentPage() {
    const int n = PagePool.current;
    if (n < 0 || n >= kPoolPageCount) return nullptr;
    return &PagePool.pages[n];
}

// Adds a record with the given opcode and payload words; nothing when the
// pool is not recording into a valid page.
void Record(std::uint32_t op, const std::uint32_t* payload, int words) {
    std::uint32_t* r = PoolAddRecord(words * 4);
    if (!r) return;
    r[0] = kPoolOpcodeBase | op;
    std::memcpy(r + 2, payload, static_cast<std::size_t>(words) * 4);
}

void RecordFloats(std::uint32_t op, std::initializer_list<float> values) {
    std::uint32_t words[8];
    int n = 0;
    for (float v : values) words[n++] = FloatBits(v);
    Record(op, words, n);
}

void RecordInts(std::uint32_t op, std::initializer_list<std::int32_t> values) {
    std::uint32_t words[8];
    int n = 0;
    for (std::int32_t v : values) words[n++] = static_cast<std::uint32_t>(v);
    Record(op, words, n);
}

bool IsLoneBlank(const std::string& text) { return text == " " || text == "　"_sj; }

}  // namespace

// ---------------------------------------------------------------------------
// Pool management

void PoolReserve(int words) {
    PoolPage* page = CurrentPage();
    if (!page || words <= 0) return;
    if (static_cast<long>(page->used) + words > page->capacity) {
        page->capacity = page->capacity + words + 1024;
        page->buffer.resize(static_cast<std::size_t>(page->capacity));
    }
}

std::uint32_t* PoolAddRecord(int bytes) {
    PoolPage* page = CurrentPage();
    if (!page || bytes < 0 || bytes > (1 << 24)) return nullptr;
    const int words = (bytes + 3) / 4 + 2;
    if (static_cast<long>(page->used) + words > kMaxPageWords) {
        // A runaway drawing: the page keeps what it has and the pool says it
        // was cut, like a report that ran past its last page.
        PagePool.overflowed = true;
        return nullptr;
    }
    PoolReserve(words);
    std::uint32_t* r = page->buffer.data() + page->used;
    std::fill(r, r + words, 0u);
    r[1] = static_cast<std::uint32_t>(words);
    page->used += words;
    return r;
}

void PoolClear() {
    PagePool.highest = 0;
    for (PoolPage& p : PagePool.pages) p.used = 0;
    PagePool.overflowed = false;
    if (PagePool.current >= kPoolPageCount) PagePool.current = 0;
}

void PoolSelectPage(int n) {
    if (n < 0) return;
    if (n >= kPoolPageCount) {
        PagePool.current = std::min(n, INT_MAX / 2);
        PagePool.overflowed = true;
        return;
    }
    PagePool.current = n;
    PagePool.pages[n].used = 0;
    if (PagePool.highest < n) PagePool.highest = n;
}

void PoolReturnToPage(int n) {
    if (n < 0 || n >= kPoolPageCount) return;
    PagePool.current = n;
    if (PagePool.highest < n) PagePool.highest = n;
}

int PoolNextPage() {
    PoolSelectPage(PagePool.current + 1);
    return PagePool.current;
}

int PoolLastPage() { return PagePool.highest; }
int PoolCurrentPage() { return PagePool.current; }

long PoolSize() {
    long total = 0;
    for (int i = 0; i <= PagePool.highest && i < kPoolPageCount; ++i)
        total += 4L * PagePool.pages[i].used;
    return total;
}

bool PoolOverflowed() { return PagePool.overflowed; }

// ---------------------------------------------------------------------------
// Drawing operations

void PoolSetFont(TCanvas* canvas, int heightPx, int widthPx, int angleTenths, int style) {
    if (canvas) CreateFontByFace(canvas, heightPx, widthPx, angleTenths, style);
    if (PoolRecording) RecordInts(kOpFont, {heightPx, widthPx, angleTenths, style});
}

void PoolSetFontColor(TCanvas* canvas, std::uint32_t colour) {
    if (canvas) canvas->SetFontColor(colour);
    if (PoolRecording) RecordInts(kOpFontColor, {static_cast<std::int32_t>(colour)});
}

void PoolTextOut(TCanvas* canvas, float x, float y, const std::string& text) {
    if (text.empty() || IsLoneBlank(text)) return;
    if (PoolRecording) {
        // One character: one or two bytes, then a NUL.
        std::uint32_t words[3] = {FloatBits(x), FloatBits(y), 0};
        std::memcpy(&words[2], text.data(), std::min<std::size_t>(text.size(), 2));
        Record(kOpText, words, 3);
    } else if (canvas) {
        canvas->TextOut(ToDevInt(x + 0.1), ToDevInt(y + 0.1), text);
    }
}

void PoolSetPenColor(TCanvas* canvas, std::uint32_t colour) {
    if (canvas) canvas->SetPenColor(colour);
    if (PoolRecording) RecordInts(kOpPenColor, {static_cast<std::int32_t>(colour)});
}

void PoolSetPenWidth(TCanvas* canvas, float width) {
    if (canvas) canvas->SetPenWidth(ToDevInt(width));
    if (PoolRecording) RecordFloats(kOpPenWidth, {width});
}

void PoolSetPenStyle(TCanvas* canvas, int style) {
    if (canvas) canvas->SetPenStyle(style & 0xFF);
    if (PoolRecording) RecordInts(kOpPenStyle, {style & 0xFF});
}

void PoolSetBrushColor(TCanvas* canvas, std::uint32_t colour) {
    if (canvas) canvas->SetBrushColor(colour);
    if (PoolRecording) RecordInts(kOpBrushColor, {static_cast<std::int32_t>(colour)});
}

void PoolSetBrushStyle(TCanvas* canvas, int style) {
    if (canvas) canvas->SetBrushStyle(style & 0xFF);
    if (PoolRecording) RecordInts(kOpBrushStyle, {style & 0xFF});
}

void PoolMoveTo(TCanvas* canvas, float x, float y) {
    if (PoolRecording)
        RecordFloats(kOpMoveTo, {x, y});
    else if (canvas)
        canvas->MoveTo(ToDevInt(x + 0.1), ToDevInt(y + 0.1));
}

void PoolLineTo(TCanvas* canvas, float x, float y) {
    if (PoolRecording)
        RecordFloats(kOpLineTo, {x, y});
    else if (canvas)
        canvas->LineTo(ToDevInt(x + 0.1), ToDevInt(y + 0.1));
}

void PoolEllipse(TCanvas* canvas, float x1, float y1, float x2, float y2) {
    if (canvas)
        canvas->Ellipse(ToDevInt(x1 + 0.1), ToDevInt(y1 + 0.1), ToDevInt(x2 + 0.1),
                        ToDevInt(y2 + 0.1));
    if (PoolRecording) RecordFloats(kOpEllipse, {x1, y1, x2, y2});
}

void PoolArc(TCanvas* canvas, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
             float y4) {
    if (canvas)
        canvas->Arc(ToDevInt(x1), ToDevInt(y1), ToDevInt(x2), ToDevInt(y2), ToDevInt(x3),
                    ToDevInt(y3), ToDevInt(x4), ToDevInt(y4));
    if (PoolRecording) RecordFloats(kOpArc, {x1, y1, x2, y2, x3, y3, x4, y4});
}

void PoolPolygon(TCanvas* canvas, const TPoint* points, int lastIndex) {
    if (!points || lastIndex < 0) return;
    if (!PoolRecording) {
        if (canvas) canvas->Polygon(points, lastIndex + 1);
        return;
    }
    const int count = lastIndex + 1;
    std::uint32_t* r = PoolAddRecord(4 + 8 * count);
    if (!r) return;
    r[0] = kPoolOpcodeBase | kOpPolygon;
    r[2] = FloatBits(static_cast<float>(lastIndex));
    for (int i = 0; i < count; ++i) {
        r[3 + 2 * i] = FloatBits(static_cast<float>(points[i].x));
        r[4 + 2 * i] = FloatBits(static_cast<float>(points[i].y));
    }
}

void PoolFrameRect(TCanvas* canvas, const TRect& rect) {
    if (canvas) canvas->FrameRect(rect);
}

void PoolFillRect(TCanvas* canvas, const TRect& rect) {
    if (canvas) canvas->FillRect(rect);
}

// ---------------------------------------------------------------------------
// Fonts and pictures

TFontSpec FontSpecByFace(int height, int width, int angle, int style) {
    if (angle > 3600) angle %= 3600;
    if (angle < 0) angle = angle % 3600 + 3600;
    TFontSpec f;
    f.height = height;
    f.width = width;
    f.escapement = angle;
    f.weight = (style & 0x10) ? 700 : 400;
    f.italic = (style & 0x20) != 0;
    switch (style) {
        case 1:
            f.face = "ＭＳ 明朝"_sj;
            break;
        case 2:
            f.face = "ＭＳ Ｐゴシック"_sj;
            break;
        case 3:
            f.face = "ＭＳ Ｐ明朝"_sj;
            break;
        case 4:
            f.face = "メイリオ"_sj;
            break;
        default:
            f.face = "ＭＳ ゴシック"_sj;
            break;
    }
    return f;
}

void CreateFontByFace(TCanvas* canvas, int height, int width, int angle, int style) {
    if (canvas) canvas->SetFont(FontSpecByFace(height, width, angle, style));
}

bool LoadPictureFile(TBitmap& bitmap, const std::string& path) {
    if (!FileExists(path)) return false;
    const std::string ext = UpperCase(ExtractFileExt(path));
    if (ext == ".JPG" || ext == ".JPEG") return DecodeJpegFile(path, bitmap);
    if (ext == ".BMP") return bitmap.LoadFromFile(path);
    return true;
}

bool DrawPictureFile(TCanvas* canvas, const TRect& rect, const std::string& path) {
    if (PoolRecording) {
        const std::size_t nameBytes = std::min<std::size_t>(path.size(), 4000);
        std::uint32_t* r = PoolAddRecord(static_cast<int>(16 + nameBytes + 1));
        if (r) {
            r[0] = kPoolOpcodeBase | kOpPicture;
            r[2] = FloatBits(static_cast<float>(rect.left));
            r[3] = FloatBits(static_cast<float>(rect.top));
            r[4] = FloatBits(static_cast<float>(rect.right));
            r[5] = FloatBits(static_cast<float>(rect.bottom));
            std::memcpy(r + 6, path.data(), nameBytes);
        }
        // A damaged picture is told apart from a good one now, so that the
        // caller can show its missing-file notice in the page.
        TBitmap probe;
        return LoadPictureFile(probe, path);
    }
    TBitmap picture;
    const bool ok = LoadPictureFile(picture, path);
    if (canvas) canvas->StretchDraw(rect, picture);
    return ok;
}

// ---------------------------------------------------------------------------
// Replay

namespace {

// One record of a page, checked against the page's bounds.
struct RecordView {
    std::uint32_t op = 0;
    const std::uint32_t* payload = nullptr;
    int words = 0;  // payload words
};

// Reads the record at pos; false at the end of the page or for a damaged
// record (wrong opcode prefix, size below 2 or past the used words).
bool ReadRecord(const PoolPage& page, int& pos, RecordView& rec) {
    if (pos < 0 || pos + 2 > page.used || page.used > static_cast<int>(page.buffer.size()))
        return false;
    const std::uint32_t head = page.buffer[static_cast<std::size_t>(pos)];
    const std::uint32_t size = page.buffer[static_cast<std::size_t>(pos) + 1];
    if ((head & 0xFFFFFF00u) != kPoolOpcodeBase) return false;
    if (size < 2 || size > static_cast<std::uint32_t>(page.used - pos)) return false;
    rec.op = head & 0xFF;
    rec.payload = page.buffer.data() + pos + 2;
    rec.words = static_cast<int>(size) - 2;
    pos += static_cast<int>(size);
    return true;
}

// Payload words an opcode needs at least; -1 for opcodes we do not know.
int MinimumWords(std::uint32_t op) {
    switch (op) {
        case kOpFont:
            return 4;
        case kOpFontColor:
        case kOpPenColor:
        case kOpPenWidth:
        case kOpPenStyle:
        case kOpBrushColor:
        case kOpBrushStyle:
            return 1;
        case kOpText:
            return 3;
        case kOpMoveTo:
        case kOpLineTo:
            return 2;
        case kOpEllipse:
            return 4;
        case kOpArc:
            return 8;
        case kOpPolygon:
            return 1;
        case kOpPicture:
            return 5;
        default:
            return -1;
    }
}

// Points of a polygon record; -1 when the stored count does not fit it.
int PolygonPoints(const RecordView& rec) {
    const float n = BitsFloat(rec.payload[0]);
    if (!std::isfinite(n) || n < 0.0f || n > 1.0e6f) return -1;
    const int count = static_cast<int>(n) + 1;
    if (1 + 2 * count > rec.words) return -1;
    return count;
}

std::string TextOfRecord(const RecordView& rec) {
    char bytes[5] = {};
    std::memcpy(bytes, &rec.payload[2], 4);
    return std::string(bytes, strnlen(bytes, 4));
}

std::string NameOfRecord(const RecordView& rec) {
    const char* p = reinterpret_cast<const char*>(rec.payload + 4);
    return std::string(p, strnlen(p, static_cast<std::size_t>(rec.words - 4) * 4));
}

struct ReplayMap {
    double sx, sy, ox, oy, penAdd, penScale;
    // Replayed points land on odd pixels.
    int X(float v) const { return ToDevInt(v * sx + ox + 0.1) | 1; }
    int Y(float v) const { return ToDevInt(v * sy + oy + 0.1) | 1; }
};

TBitmap& PictureCache(std::string*& cachedPath, bool*& cachedOk) {
    static TBitmap* bitmap = new TBitmap;
    static std::string path;
    static bool ok = false;
    cachedPath = &path;
    cachedOk = &ok;
    return *bitmap;
}

void ReplayPicture(TCanvas& canvas, const RecordView& rec, const ReplayMap& m) {
    const std::string name = NameOfRecord(rec);
    std::string* cachedPath;
    bool* cachedOk;
    TBitmap& picture = PictureCache(cachedPath, cachedOk);
    if (*cachedPath != name || name.empty()) {
        picture.SetSize(0, 0);
        *cachedOk = LoadPictureFile(picture, name);
        *cachedPath = name;
    }
    if (!*cachedOk) return;
    const std::uint32_t* p = rec.payload;
    const TRect r{m.X(BitsFloat(p[0])), m.Y(BitsFloat(p[1])), m.X(BitsFloat(p[2])),
                  m.Y(BitsFloat(p[3]))};
    canvas.StretchDraw(r, picture);
}

// Draws one record; false ends the page.
bool ReplayRecord(TCanvas& c, const RecordView& rec, const ReplayMap& m) {
    const int need = MinimumWords(rec.op);
    if (need < 0 || rec.words < need) return false;
    const std::uint32_t* p = rec.payload;
    auto F = [&](int i) { return BitsFloat(p[i]); };
    auto I = [&](int i) { return static_cast<std::int32_t>(p[i]); };
    switch (rec.op) {
        case kOpFont:
            CreateFontByFace(&c, std::max(1, ToDevInt(I(0) * m.sy)),
                             std::max(1, ToDevInt(I(1) * m.sx)), I(2), I(3));
            break;
        case kOpFontColor:
            c.SetFontColor(p[0]);
            break;
        case kOpPenColor:
            c.SetPenColor(p[0]);
            break;
        case kOpPenStyle:
            c.SetPenStyle(static_cast<int>(p[0] & 0xFF));
            break;
        case kOpBrushColor:
            c.SetBrushColor(p[0]);
            break;
        case kOpBrushStyle:
            c.SetBrushStyle(static_cast<int>(p[0] & 0xFF));
            break;
        case kOpPenWidth:
            c.SetPenWidth(ToDevInt((F(0) + m.penAdd) * m.penScale + 0.5));
            break;
        case kOpText:
            c.TextOut(ToDevInt(F(0) * m.sx + m.ox), ToDevInt(F(1) * m.sy + m.oy),
                      TextOfRecord(rec));
            break;
        case kOpMoveTo:
            c.MoveTo(m.X(F(0)), m.Y(F(1)));
            break;
        case kOpLineTo:
            c.LineTo(m.X(F(0)), m.Y(F(1)));
            break;
        case kOpEllipse:
            c.Ellipse(m.X(F(0)), m.Y(F(1)), m.X(F(2)), m.Y(F(3)));
            break;
        case kOpArc:
            c.Arc(m.X(F(0)), m.Y(F(1)), m.X(F(2)), m.Y(F(3)), m.X(F(4)), m.Y(F(5)), m.X(F(6)),
                  m.Y(F(7)));
            break;
        case kOpPolygon: {
            const int count = PolygonPoints(rec);
            if (count < 0) return false;
            std::vector<TPoint> points(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                points[static_cast<std::size_t>(i)] = {m.X(F(1 + 2 * i)), m.Y(F(2 + 2 * i))};
            c.Polygon(points.data(), count);
            break;
        }
        case kOpPicture:
            ReplayPicture(c, rec, m);
            break;
        default:
            return false;
    }
    return true;
}

void ReplayPage(TCanvas& canvas, int page, const ReplayMap& m) {
    // Every page starts from the same pen, brush and font colour, whatever
    // the page replayed before left behind.
    canvas.SetPenColor(0);
    canvas.SetPenWidth(1);
    canvas.SetPenStyle(psSolid);
    canvas.SetBrushStyle(bsClear);
    canvas.SetFontColor(0);
    if (page < 0 || page > PagePool.highest || page >= kPoolPageCount) return;
    const PoolPage& pg = PagePool.pages[page];
    int pos = 0;
    RecordView rec;
    while (ReadRecord(pg, pos, rec))
        if (!ReplayRecord(canvas, rec, m)) break;
}

}  // namespace

void PlayPoolPage(TBitmap& target, int page, int recordedWidth, int recordedHeight,
                  std::uint32_t background) {
    ReplayMap m{};
    m.sx = target.Width() / static_cast<double>(std::max(recordedWidth, 99));
    m.sy = target.Height() / static_cast<double>(std::max(recordedHeight, 99));
    m.penScale = SafeSqrt(m.sx);
    TCanvas& c = target.Canvas();
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(background);
    c.FillRect(c.ClipRect());
    ReplayPage(c, page, m);
}

void PlayPoolPage(TPrinter& target, int page, int recordedWidth, int recordedHeight,
                  std::uint32_t) {
    const double ppmX = target.PixelsPerInchX() * 0.0393700787;
    const double ppmY = target.PixelsPerInchY() * 0.0393700787;
    const double offX = target.PhysicalOffsetX() / std::max(ppmX, 1e-9);
    const double offY = target.PhysicalOffsetY() / std::max(ppmY, 1e-9);
    ReplayMap m{};
    m.ox = (15.0 - offX) * ppmX;
    m.oy = (15.0 - offY) * ppmY;
    m.sx = ppmX * 180.0 / std::max(recordedWidth, 99);
    m.sy = ppmY * 270.0 / std::max(recordedHeight, 99);
    m.penAdd = 1.0;
    m.penScale = SafeSqrt(m.sx);
    ReplayPage(target.Canvas(), page, m);
}

// ---------------------------------------------------------------------------
// Dump

namespace {

std::string Num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string Hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", v);
    return buf;
}

std::string DumpRecord(const RecordView& rec) {
    const std::uint32_t* p = rec.payload;
    auto F = [&](int i) { return Num(BitsFloat(p[i])); };
    auto I = [&](int i) { return std::to_string(static_cast<std::int32_t>(p[i])); };
    switch (rec.op) {
        case kOpFont:
            return "font " + I(0) + " " + I(1) + " " + I(2) + " " + I(3);
        case kOpFontColor:
            return "font-colour " + Hex(p[0]);
        case kOpText:
            return "text " + F(0) + " " + F(1) + " " + TextOfRecord(rec);
        case kOpPenColor:
            return "pen-colour " + Hex(p[0]);
        case kOpPenWidth:
            return "pen-width " + F(0);
        case kOpPenStyle:
            return "pen-style " + std::to_string(p[0] & 0xFF);
        case kOpBrushColor:
            return "brush-colour " + Hex(p[0]);
        case kOpBrushStyle:
            return "brush-style " + std::to_string(p[0] & 0xFF);
        case kOpMoveTo:
            return "move " + F(0) + " " + F(1);
        case kOpLineTo:
            return "line " + F(0) + " " + F(1);
        case kOpEllipse:
            return "ellipse " + F(0) + " " + F(1) + " " + F(2) + " " + F(3);
        case kOpArc: {
            std::string s = "arc";
            for (int i = 0; i < 8; ++i) s += " " + F(i);
            return s;
        }
        case kOpPolygon: {
            const int count = PolygonPoints(rec);
            if (count < 0) return "bad";
            std::string s = "polygon " + std::to_string(count - 1);
            for (int i = 0; i < count; ++i) s += " " + F(1 + 2 * i) + " " + F(2 + 2 * i);
            return s;
        }
        case kOpPicture:
            return "picture " + F(0) + " " + F(1) + " " + F(2) + " " + F(3) + " " +
                   NameOfRecord(rec);
        default:
            return "bad";
    }
}

}  // namespace

std::vector<std::string> DumpPoolPage(int page) {
    std::vector<std::string> lines;
    if (page < 0 || page >= kPoolPageCount || page > PagePool.highest) return lines;
    const PoolPage& pg = PagePool.pages[page];
    int pos = 0;
    RecordView rec;
    while (pos < pg.used) {
        if (!ReadRecord(pg, pos, rec) || MinimumWords(rec.op) < 0 ||
            rec.words < MinimumWords(rec.op)) {
            lines.push_back("bad");
            break;
        }
        lines.push_back(DumpRecord(rec));
        if (lines.back() == "bad") break;
    }
    return lines;
}

namespace {

struct PlacedChar {
    float x, y;
    float cell;  // half-width cell in pixels
    std::string text;
};

}  // namespace

std::vector<std::string> PoolPageText(int page) {
    std::vector<std::string> lines;
    if (page < 0 || page >= kPoolPageCount || page > PagePool.highest) return lines;
    std::vector<PlacedChar> chars;
    float cell = 18;
    const PoolPage& pg = PagePool.pages[page];
    int pos = 0;
    RecordView rec;
    while (ReadRecord(pg, pos, rec)) {
        if (MinimumWords(rec.op) < 0 || rec.words < MinimumWords(rec.op)) break;
        if (rec.op == kOpFont)
            cell = static_cast<float>(
                std::max<std::int32_t>(1, static_cast<std::int32_t>(rec.payload[1])));
        if (rec.op == kOpText)
            chars.push_back(
                {BitsFloat(rec.payload[0]), BitsFloat(rec.payload[1]), cell, TextOfRecord(rec)});
    }
    std::stable_sort(chars.begin(), chars.end(), [](const PlacedChar& a, const PlacedChar& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    std::size_t i = 0;
    while (i < chars.size()) {
        std::string line;
        const float y = chars[i].y;
        float end = chars[i].x;
        const PlacedChar* prev = nullptr;
        for (; i < chars.size() && chars[i].y == y; ++i) {
            const PlacedChar& c = chars[i];
            if (prev && prev->text == c.text && c.x - prev->x < c.cell * 0.6f * c.text.size())
                continue;
            const float gap = (c.x - end) / c.cell;
            if (prev && gap > 0.5f)
                line.append(static_cast<std::size_t>(std::min(gap + 0.5f, 200.0f)), ' ');
            line += c.text;
            end = c.x + c.cell * static_cast<float>(c.text.size());
            prev = &c;
        }
        lines.push_back(line);
    }
    return lines;
}
