// The drawing surface of the program: a canvas with a pen, a brush, a font
// and a current point, in the manner of the Windows class library's TCanvas.
// It draws on a bitmap (TBitmap), a printer page (TPrinter) or any other Qt
// paint device handed over by a window; this header names no Qt type, so
// report/ and app/ draw without including Qt.
//
// Coordinates are whole device pixels, x to the right, y downwards.
// Colours are Windows colours 0x00BBGGRR (0x0000FF is red).
// Texts are CP932 byte strings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TBitmap;

struct TPoint {
    int x = 0;
    int y = 0;
};

// Left/top inclusive, right/bottom exclusive, as the Windows rectangles.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Pen styles of the class library.
enum TPenStyle : int {
    psSolid = 0,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
// Brush styles: 0 solid, 1 clear, then the hatches; hatches have a
// transparent background.
enum TBrushStyle : int {
    bsSolid = 0,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// A logical font in the Windows manner. height is the character cell
// height in pixels (ascent + descent); width is the half-width character
// pitch in pixels (0: the face's own proportion); escapement is the text
// direction in tenths of a degree, counter-clockwise. face is a CP932 face
// name such as 「ＭＳ ゴシック」; it is mapped to an installed face in one place.
struct TFontSpec {
    int height = 12;
    int width = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    std::string face;
};

class TCanvas {
  public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Pen: colour, width in pixels (0 draws 1 pixel wide), style.
    void SetPenColor(std::uint32_t colour);
    std::uint32_t PenColor() const;
    void SetPenWidth(int width);
    int PenWidth() const;
    void SetPenStyle(int style);
    int PenStyle() const;

    void SetBrushColor(std::uint32_t colour);
    std::uint32_t BrushColor() const;
    void SetBrushStyle(int style);
    int BrushStyle() const;

    void SetFont(const TFontSpec& font);
    const TFontSpec& Font() const;
    void SetFontHeight(int height);
    void SetFontName(const std::string& face);
    void SetFontColor(std::uint32_t colour);
    std::uint32_t FontColor() const;

    void MoveTo(int x, int y);
    // Draws from the current point to (x, y); (x, y) becomes the current point.
    void LineTo(int x, int y);
    TPoint PenPos() const;

    // Outlined with the pen, filled with the brush (alternate fill).
    void Polygon(const TPoint* points, int count);
    // The ellipse inside the box (right/bottom edge excluded).
    void Ellipse(int x1, int y1, int x2, int y2);
    // The arc of the ellipse in the box, counter-clockwise from the ray to
    // (x3, y3) to the ray to (x4, y4); equal rays give the whole ellipse.
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

    // Text whose cell's top-left corner is (x, y), turned by the font's
    // escapement; with a solid brush its box is filled first.
    void TextOut(int x, int y, const std::string& text);
    // Width in pixels of the text in the current font.
    int TextWidth(const std::string& text) const;

    // The area that can be drawn on: the whole surface.
    TRect ClipRect() const;
    // Fill with the brush / frame with the brush colour, one pixel wide.
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    // The picture stretched into the rectangle.
    void StretchDraw(const TRect& rect, TBitmap& picture);
    // The picture at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TBitmap& picture);

    // Ends any drawing in progress so that the surface can be read or
    // resized; the next drawing operation starts again.
    void Flush();

    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};
