#include "platform/qt/canvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/qt/bitmap.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"

struct TCanvas::Impl {
    QPaintDevice* device = nullptr;
    bool lazy = true;
    QPainter own;
    QPainter* external = nullptr;

    std::uint32_t penColor = 0;
    int penWidth = 1;
    int penStyle = psSolid;
    std::uint32_t brushColor = 0xFFFFFF;
    int brushStyle = bsSolid;
    TFontSpec font;
    std::uint32_t fontColor = 0;
    TPoint pos;

    // The active painter, opened on demand for lazy devices; null when
    // nothing can be drawn (no device, or a printer outside a document).
    QPainter* Painter() {
        if (external) return external;
        if (own.isActive()) return &own;
        if (!device || !lazy) return nullptr;
        if (device->width() <= 0 || device->height() <= 0) return nullptr;
        if (!own.begin(device)) return nullptr;
        own.setRenderHint(QPainter::Antialiasing, false);
        own.setRenderHint(QPainter::TextAntialiasing, true);
        own.setBackgroundMode(Qt::TransparentMode);
        return &own;
    }

    void End() {
        if (own.isActive()) own.end();
    }

    QPen MakePen() const {
        if (penStyle == psClear) return QPen(Qt::NoPen);
        const int w = std::max(1, penWidth);
        QPen pen(WinColorToQColor(penColor));
        pen.setWidth(w);
        // Windows draws styled lines only with one-pixel pens.
        Qt::PenStyle style = Qt::SolidLine;
        if (w == 1) {
            switch (penStyle) {
                case psDash:
                    style = Qt::DashLine;
                    break;
                case psDot:
                    style = Qt::DotLine;
                    break;
                case psDashDot:
                    style = Qt::DashDotLine;
                    break;
                case psDashDotDot:
                    style = Qt::DashDotDotLine;
                    break;
                default:
                    break;
            }
        }
        pen.setStyle(style);
        // One-pixel lines leave out their last pixel, wide ones are round.
        pen.setCapStyle(w == 1 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(w == 1 ? Qt::MiterJoin : Qt::RoundJoin);
        return pen;
    }

    QBrush MakeBrush() const {
        const QColor c = WinColorToQColor(brushColor);
        switch (brushStyle) {
            case bsSolid:
                return QBrush(c, Qt::SolidPattern);
            case bsHorizontal:
                return QBrush(c, Qt::HorPattern);
            case bsVertical:
                return QBrush(c, Qt::VerPattern);
            case bsFDiagonal:
                return QBrush(c, Qt::FDiagPattern);
            case bsBDiagonal:
                return QBrush(c, Qt::BDiagPattern);
            case bsCross:
                return QBrush(c, Qt::CrossPattern);
            case bsDiagCross:
                return QBrush(c, Qt::DiagCrossPattern);
            default:
                return QBrush(Qt::NoBrush);
        }
    }

    QPainter* Prepared() {
        QPainter* p = Painter();
        if (!p) return nullptr;
        p->setPen(MakePen());
        p->setBrush(MakeBrush());
        return p;
    }

    // The Qt font of `font` with its metrics and the advances of the short
    // texts drawn in it, made again only when the font changes: reports
    // draw every character on its own, thousands a page.
    struct FontCache {
        bool valid = false;
        TFontSpec spec;
        QFont qfont;
        std::unique_ptr<QFontMetricsF> metrics;
        std::unordered_map<std::string, double> advances;
        // The shaped glyphs of the short texts, laid out for one device
        // with their baseline at 0: shaping a character again for every
        // cell is most of the time a PDF of a long report takes.
        const QPaintDevice* runsDevice = nullptr;
        std::unordered_map<std::string, QList<QGlyphRun>> runs;
        int generation = 0;
    } fontCache;
    // The painter, the font generation and the painter's font as TextOut
    // last set them; the font is set again when any of them changed (a
    // painter begun again starts from its default font).
    const QPainter* fontPainter = nullptr;
    int fontPainterGeneration = -1;
    QFont fontOnPainter;

    static bool SameFont(const TFontSpec& a, const TFontSpec& b) {
        return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
               a.face == b.face;
    }
    const QFont& CurrentQFont() {
        FontCache& c = fontCache;
        if (!c.valid || !SameFont(c.spec, font)) {
            c.valid = true;
            c.spec = font;
            c.qfont = FontSpecToQFont(font);
            c.metrics = std::make_unique<QFontMetricsF>(c.qfont);
            c.advances.clear();
            c.runs.clear();
            ++c.generation;
        }
        return c.qfont;
    }
    double Advance(const std::string& text, const QString& qs) {
        CurrentQFont();
        if (text.size() > 2) return fontCache.metrics->horizontalAdvance(qs);
        const auto it = fontCache.advances.find(text);
        if (it != fontCache.advances.end()) return it->second;
        const double w = fontCache.metrics->horizontalAdvance(qs);
        fontCache.advances.emplace(text, w);
        return w;
    }

    const QList<QGlyphRun>& ShortTextRuns(const std::string& text, const QString& qs,
                                          QPaintDevice* device) {
        FontCache& c = fontCache;
        if (c.runsDevice != device) {
            c.runs.clear();
            c.runsDevice = device;
        }
        const auto it = c.runs.find(text);
        if (it != c.runs.end()) return it->second;
        QTextLayout layout(qs, c.qfont, device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        line.setPosition(QPointF(0, -line.ascent()));
        return c.runs.emplace(text, layout.glyphRuns()).first->second;
    }

    double StretchX() const {
        if (font.width <= 0 || font.height <= 0) return 1.0;
        return font.width / (font.height * 0.5);
    }
};

namespace {

// The outline of a Windows box (l, t)-(r, b) covers l .. r - 1 and
// t .. b - 1; Qt's one-pixel outline of this rectangle lands there.
QRectF WindowsBox(int l, int t, int r, int b) {
    return QRectF(l + 0.5, t + 0.5, std::max(0, r - l - 1), std::max(0, b - t - 1));
}

// Reports convert the same few characters again and again.
QString ShortTextToQString(const std::string& text) {
    if (text.size() > 2) return SjisToQString(text);
    static std::unordered_map<std::string, QString> cache;
    const auto it = cache.find(text);
    if (it != cache.end()) return it->second;
    return cache.emplace(text, SjisToQString(text)).first->second;
}

}  // namespace

TCanvas::TCanvas() : impl_(std::make_unique<Impl>()) { impl_->font.face = "ＭＳ ゴシック"_sj; }

TCanvas::~TCanvas() { impl_->End(); }

void TCanvas::SetPenColor(std::uint32_t colour) { impl_->penColor = colour & 0xFFFFFF; }
std::uint32_t TCanvas::PenColor() const { return impl_->penColor; }
void TCanvas::SetPenWidth(int width) { impl_->penWidth = std::clamp(width, 0, 10000); }
int TCanvas::PenWidth() const { return impl_->penWidth; }
void TCanvas::SetPenStyle(int style) { impl_->penStyle = style; }
int TCanvas::PenStyle() const { return impl_->penStyle; }
void TCanvas::SetBrushColor(std::uint32_t colour) { impl_->brushColor = colour & 0xFFFFFF; }
std::uint32_t TCanvas::BrushColor() const { return impl_->brushColor; }
void TCanvas::SetBrushStyle(int style) { impl_->brushStyle = style; }
int TCanvas::BrushStyle() const { return impl_->brushStyle; }

void TCanvas::SetFont(const TFontSpec& font) {
    impl_->font = font;
    impl_->font.height = std::clamp(std::abs(font.height), 1, 20000);
    impl_->font.width = std::clamp(font.width, 0, 20000);
}
const TFontSpec& TCanvas::Font() const { return impl_->font; }
void TCanvas::SetFontHeight(int height) {
    impl_->font.height = std::clamp(std::abs(height), 1, 20000);
}
void TCanvas::SetFontName(const std::string& face) { impl_->font.face = face; }
void TCanvas::SetFontColor(std::uint32_t colour) { impl_->fontColor = colour & 0xFFFFFF; }
std::uint32_t TCanvas::FontColor() const { return impl_->fontColor; }

void TCanvas::MoveTo(int x, int y) { impl_->pos = {x, y}; }

void TCanvas::LineTo(int x, int y) {
    if (QPainter* p = impl_->Prepared()) p->drawLine(impl_->pos.x, impl_->pos.y, x, y);
    impl_->pos = {x, y};
}

TPoint TCanvas::PenPos() const { return impl_->pos; }

void TCanvas::Polygon(const TPoint* points, int count) {
    if (!points || count < 2) return;
    QPainter* p = impl_->Prepared();
    if (!p) return;
    QPolygon poly(count);
    for (int i = 0; i < count; ++i) poly.setPoint(i, points[i].x, points[i].y);
    p->drawPolygon(poly, Qt::OddEvenFill);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    QPainter* p = impl_->Prepared();
    if (!p) return;
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2),
              b = std::max(y1, y2);
    p->drawEllipse(WindowsBox(l, t, r, b));
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    QPainter* p = impl_->Prepared();
    if (!p) return;
    const int l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2),
              b = std::max(y1, y2);
    const double cx = (l + r) * 0.5, cy = (t + b) * 0.5;
    // Screen y runs down, so the mathematical angle takes -dy.
    const double a1 = std::atan2(-(y3 - cy), x3 - cx) * 180.0 / M_PI;
    const double a2 = std::atan2(-(y4 - cy), x4 - cx) * 180.0 / M_PI;
    double span = a2 - a1;
    while (span <= 0.0) span += 360.0;
    if (span > 360.0) span = 360.0;
    p->setBrush(Qt::NoBrush);
    p->drawArc(WindowsBox(l, t, r, b), static_cast<int>(std::lround(a1 * 16)),
               static_cast<int>(std::lround(span * 16)));
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty()) return;
    QPainter* p = impl_->Painter();
    if (!p) return;
    const QFont& qf = impl_->CurrentQFont();
    const QString qs = ShortTextToQString(text);
    double sx = impl_->StretchX();
    const double natural = impl_->Advance(text, qs);
    double shift = 0;
    if (text.size() <= 2 && natural > 0) {
        // One character fills its cells (one per byte): a proportional glyph
        // wider than its cells is narrowed, a narrower one centred.
        const double half = impl_->font.width > 0 ? impl_->font.width : impl_->font.height * 0.5;
        const double cells = half * static_cast<double>(text.size());
        if (natural * sx > cells)
            sx = cells / natural;
        else
            shift = (cells - natural * sx) * 0.5;
    }
    // The painter's transform is put back by hand rather than through
    // save() and restore(), which a PDF writes out for every character.
    const QTransform saved = p->worldTransform();
    if (impl_->fontPainter != p || impl_->fontPainterGeneration != impl_->fontCache.generation ||
        !(p->font() == impl_->fontOnPainter)) {
        p->setFont(qf);
        impl_->fontPainter = p;
        impl_->fontPainterGeneration = impl_->fontCache.generation;
        impl_->fontOnPainter = p->font();
    }
    p->translate(x, y);
    p->rotate(-impl_->font.escapement / 10.0);
    if (impl_->brushStyle == bsSolid)
        p->fillRect(QRectF(0, 0, natural * sx + 2 * shift, impl_->font.height),
                    WinColorToQColor(impl_->brushColor));
    p->translate(shift, 0);
    p->scale(sx, 1.0);
    p->setPen(WinColorToQColor(impl_->fontColor));
    const QPointF baseline(0, impl_->font.height * kBaselineShare);
    if (text.size() <= 2) {
        for (const QGlyphRun& run : impl_->ShortTextRuns(text, qs, p->device()))
            p->drawGlyphRun(baseline, run);
    } else {
        p->drawText(baseline, qs);
    }
    p->setWorldTransform(saved);
}

int TCanvas::TextWidth(const std::string& text) const {
    if (text.empty()) return 0;
    const double w = impl_->Advance(text, ShortTextToQString(text));
    return static_cast<int>(std::lround(w * impl_->StretchX()));
}

TRect TCanvas::ClipRect() const {
    if (impl_->external && impl_->external->device()) {
        QPaintDevice* d = impl_->external->device();
        return {0, 0, d->width(), d->height()};
    }
    if (!impl_->device) return {};
    return {0, 0, impl_->device->width(), impl_->device->height()};
}

void TCanvas::FillRect(const TRect& rect) {
    if (impl_->brushStyle == bsClear) return;
    QPainter* p = impl_->Painter();
    if (!p || rect.Width() <= 0 || rect.Height() <= 0) return;
    p->fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), impl_->MakeBrush());
}

void TCanvas::FrameRect(const TRect& rect) {
    QPainter* p = impl_->Painter();
    if (!p || rect.Width() <= 0 || rect.Height() <= 0) return;
    const QColor c = WinColorToQColor(impl_->brushColor);
    p->fillRect(QRect(rect.left, rect.top, rect.Width(), 1), c);
    p->fillRect(QRect(rect.left, rect.bottom - 1, rect.Width(), 1), c);
    p->fillRect(QRect(rect.left, rect.top, 1, rect.Height()), c);
    p->fillRect(QRect(rect.right - 1, rect.top, 1, rect.Height()), c);
}

void TCanvas::StretchDraw(const TRect& rect, TBitmap& picture) {
    if (&picture.Canvas() == this) return;
    picture.Canvas().Flush();
    QPainter* p = impl_->Painter();
    if (!p || rect.Width() == 0 || rect.Height() == 0) return;
    const QImage& img = BitmapImage(picture);
    if (img.isNull()) return;
    p->drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), img);
}

void TCanvas::Draw(int x, int y, TBitmap& picture) {
    if (&picture.Canvas() == this) return;
    picture.Canvas().Flush();
    QPainter* p = impl_->Painter();
    if (!p) return;
    const QImage& img = BitmapImage(picture);
    if (!img.isNull()) p->drawImage(QPoint(x, y), img);
}

void TCanvas::Flush() {
    if (impl_->lazy) impl_->End();
}

void CanvasAttachDevice(TCanvas& canvas, QPaintDevice* device, bool lazy) {
    TCanvas::Impl& d = canvas.impl();
    d.End();
    d.device = device;
    d.lazy = lazy;
}

void CanvasAttachPainter(TCanvas& canvas, QPainter* painter) {
    TCanvas::Impl& d = canvas.impl();
    d.End();
    d.external = painter;
}

bool CanvasBegin(TCanvas& canvas) {
    TCanvas::Impl& d = canvas.impl();
    if (d.own.isActive()) return true;
    if (!d.device || !d.own.begin(d.device)) return false;
    d.own.setRenderHint(QPainter::Antialiasing, false);
    d.own.setRenderHint(QPainter::TextAntialiasing, true);
    d.own.setBackgroundMode(Qt::TransparentMode);
    return true;
}

bool CanvasEnd(TCanvas& canvas) {
    QPainter& own = canvas.impl().own;
    return !own.isActive() || own.end();
}
