// An off-screen picture of 32-bit pixels with its own canvas, in the manner
// of the class library's TBitmap. A new bitmap is white.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/qt/canvas.h"

class TBitmap {
  public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Keeps the overlapping top-left part; new area is white. Sizes below 0
    // count as 0; sizes above 32767 are cut to 32767.
    void SetSize(int width, int height);
    int Width() const;
    int Height() const;
    // Every bitmap has 32 bits per pixel; kept for the callers that ask.
    void SetPixelFormat32() {}

    TCanvas& Canvas();

    // Row y as 32-bit words 0x00RRGGBB (the Windows DIB layout: blue in the
    // low byte; the top byte is not used). Null outside the bitmap. Any
    // drawing in progress is finished first.
    std::uint32_t* ScanLine(int y);

    // One pixel as a Windows colour 0x00BBGGRR; 0 outside the bitmap.
    std::uint32_t Pixel(int x, int y);
    void SetPixel(int x, int y, std::uint32_t colour);

    // Copies size and pixels.
    void Assign(TBitmap& other);
    // Loads a BMP (or PNG) file; false leaves the bitmap as it was.
    bool LoadFromFile(const std::string& fileName);
    // Saves by the extension (".png", ".bmp"); false on failure.
    bool SaveToFile(const std::string& fileName);

    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};
