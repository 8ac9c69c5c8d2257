// The meeting point of the platform classes and Qt, for platform/qt and for
// windows that must hand a Qt paint device to a canvas. Nothing outside
// platform/ and tests includes this header.
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>
#include <string>

#include "platform/qt/canvas.h"

class QPaintDevice;
class QPainter;
class QPrinter;
class TBitmap;
class TPrinter;

// Windows colour 0x00BBGGRR <-> QColor; the one place where the byte order
// is turned.
QColor WinColorToQColor(std::uint32_t colour);
std::uint32_t QColorToWinColor(const QColor& colour);
// QImage RGB32 pixel (0xAARRGGBB) <-> Windows colour.
std::uint32_t PixelToWinColor(std::uint32_t pixel);
std::uint32_t WinColorToPixel(std::uint32_t colour);

QString SjisToQString(const std::string& cp932);
std::string QStringToSjis(const QString& text);
// File names between Qt and the program: the operating system's bytes kept
// as they are (platform/encoding.h, FileNameFromOs), not text, so a name
// outside CP932 is neither lost nor replaced by another.
std::string QStringToFileName(const QString& name);
QString FileNameToQString(const std::string& fileName);

// The installed face for a program face name (CP932): 「ＭＳ ゴシック」 ->
// Noto Sans Mono CJK JP, 「ＭＳ 明朝」/「ＭＳ Ｐ明朝」 -> Noto Serif CJK JP,
// 「ＭＳ Ｐゴシック」/「メイリオ」 -> Noto Sans CJK JP; any other name as given.
QString MapFaceName(const std::string& cp932Face);
QFont FontSpecToQFont(const TFontSpec& font);
// Where a text's baseline lies below its cell's top, as a share of the cell
// height: the ideographic em box of the Noto CJK faces fills the cell.
constexpr double kBaselineShare = 0.88;

QImage& BitmapImage(TBitmap& bitmap);
QPrinter& PrinterDevice(TPrinter& printer);

// Makes the canvas draw on a paint device. lazy: the canvas opens its
// painter on the first drawing and closes it on Flush (images); otherwise
// the owner opens and closes it (printers) with CanvasBegin / CanvasEnd.
void CanvasAttachDevice(TCanvas& canvas, QPaintDevice* device, bool lazy);
// Makes the canvas draw through a painter owned by someone else (a widget's
// paint event); null detaches.
void CanvasAttachPainter(TCanvas& canvas, QPainter* painter);
bool CanvasBegin(TCanvas& canvas);
// False when the device reports that the painting could not be ended.
bool CanvasEnd(TCanvas& canvas);
