#include "platform/qt/bitmap.h"

#include <QImage>
#include <algorithm>
#include <cstring>

#include "platform/qt/qt_bridge.h"
#include "platform/sysutils.h"

namespace {
// Larger pictures are refused by the raster engine anyway; the cap keeps a
// damaged size from asking for gigabytes.
constexpr int kMaxSide = 32767;
}  // namespace

struct TBitmap::Impl {
    QImage image;
    TCanvas canvas;
};

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()) {
    CanvasAttachDevice(impl_->canvas, &impl_->image, true);
}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() { impl_->canvas.Flush(); }

void TBitmap::SetSize(int width, int height) {
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    QImage& img = impl_->image;
    if (img.width() == width && img.height() == height && !img.isNull()) return;
    impl_->canvas.Flush();
    QImage next(width, height, QImage::Format_RGB32);
    if (next.isNull() && (width > 0 && height > 0)) return;  // out of memory: keep the old one
    next.fill(0xFFFFFFFFu);
    const int w = std::min(width, img.width()), h = std::min(height, img.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(next.scanLine(y), img.constScanLine(y), static_cast<std::size_t>(w) * 4);
    img = std::move(next);
}

int TBitmap::Width() const { return impl_->image.width(); }
int TBitmap::Height() const { return impl_->image.height(); }
TCanvas& TBitmap::Canvas() { return impl_->canvas; }

std::uint32_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= Height()) return nullptr;
    impl_->canvas.Flush();
    return reinterpret_cast<std::uint32_t*>(impl_->image.scanLine(y));
}

std::uint32_t TBitmap::Pixel(int x, int y) {
    if (x < 0 || x >= Width()) return 0;
    const std::uint32_t* row = ScanLine(y);
    return row ? PixelToWinColor(row[x]) : 0;
}

void TBitmap::SetPixel(int x, int y, std::uint32_t colour) {
    if (x < 0 || x >= Width()) return;
    if (std::uint32_t* row = ScanLine(y)) row[x] = WinColorToPixel(colour);
}

void TBitmap::Assign(TBitmap& other) {
    if (&other == this) return;
    other.Canvas().Flush();
    impl_->canvas.Flush();
    impl_->image = other.impl_->image.copy();
}

bool TBitmap::LoadFromFile(const std::string& fileName) {
    QImage loaded;
    if (!loaded.load(QString::fromStdString(OsFileName(fileName)))) return false;
    loaded = loaded.convertToFormat(QImage::Format_RGB32);
    if (loaded.isNull() || loaded.width() > kMaxSide || loaded.height() > kMaxSide) return false;
    impl_->canvas.Flush();
    impl_->image = std::move(loaded);
    return true;
}

bool TBitmap::SaveToFile(const std::string& fileName) {
    impl_->canvas.Flush();
    return impl_->image.save(QString::fromStdString(OsFileName(fileName)));
}

QImage& BitmapImage(TBitmap& bitmap) {
    bitmap.Canvas().Flush();
    return bitmap.impl().image;
}
