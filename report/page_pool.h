// The page pool: the layer between all drawing and the canvas. While
// PoolRecording is set every drawing operation is stored as a record in the
// current report page; otherwise it is drawn on the canvas at once. Pages
// are recorded at 1800 x 2700 pixels (10 px/mm on a 180 x 270 mm page) and
// replayed at any size on a bitmap or the printer.
//
// Record layout (little-endian 32-bit words): opcode word 0x403D40NN, size
// of the whole record in words (payload words + 2), payload. Coordinates are
// floats in device pixels of the recording canvas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/qt/bitmap.h"
#include "platform/qt/canvas.h"
#include "platform/qt/printer.h"

constexpr int kPoolPageCount = 1024;
constexpr std::uint32_t kPoolOpcodeBase = 0x403D4000u;

enum PoolOpcode : std::uint32_t {
    kOpFont = 0x03,
    kOpFontColor = 0x04,
    kOpText = 0x05,
    kOpPenColor = 0x06,
    kOpPenWidth = 0x07,
    kOpPenStyle = 0x08,
    kOpBrushColor = 0x09,
    kOpBrushStyle = 0x0A,
    kOpMoveTo = 0x0B,
    kOpLineTo = 0x0C,
    kOpEllipse = 0x0D,
    kOpArc = 0x0E,
    kOpPolygon = 0x12,
    // A picture file stretched into a box: float x1, y1, x2, y2, then the
    // CP932 file name with a terminating NUL. Recorded so that pictures
    // appear in the preview and on paper as well.
    kOpPicture = 0x13,
};

struct PoolPage {
    std::int32_t capacity = 0;
    std::int32_t used = 0;
    std::vector<std::uint32_t> buffer;
};

struct PagePoolData {
    PoolPage pages[kPoolPageCount];
    // The page drawn into. A value above 1023 means that the report ran past
    // the last page: records are dropped until a valid page is selected.
    std::int32_t current = 0;
    std::int32_t highest = 0;
    // Set since PoolClear when a page past the last one was asked for, or a
    // page grew past its size limit: the report was cut.
    bool overflowed = false;
};

extern PagePoolData PagePool;
extern bool PoolRecording;

// --- Pool management ---
// Room for `words` more words in the current page.
void PoolReserve(int words);
// Appends a record of `bytes` payload bytes with its size word set; returns
// the record's first word (the opcode is the caller's), or null when the
// record is dropped (no valid current page).
std::uint32_t* PoolAddRecord(int bytes);
void PoolClear();
// Pages outside 0..1023 are refused: a negative page changes nothing, a page
// past 1023 makes drawing drop its records and marks the pool overflowed.
void PoolSelectPage(int n);
// Makes page n (0..1023) current again without emptying it, to add to a
// page already drawn; other pages are ignored.
void PoolReturnToPage(int n);
int PoolNextPage();
int PoolLastPage();
int PoolCurrentPage();
// Bytes recorded over pages 0 .. highest.
long PoolSize();
bool PoolOverflowed();

// --- Drawing operations ---
void PoolSetFont(TCanvas* canvas, int heightPx, int widthPx, int angleTenths, int style);
void PoolSetFontColor(TCanvas* canvas, std::uint32_t colour);
void PoolTextOut(TCanvas* canvas, float x, float y, const std::string& text);
void PoolSetPenColor(TCanvas* canvas, std::uint32_t colour);
void PoolSetPenWidth(TCanvas* canvas, float width);
void PoolSetPenStyle(TCanvas* canvas, int style);
void PoolSetBrushColor(TCanvas* canvas, std::uint32_t colour);
void PoolSetBrushStyle(TCanvas* canvas, int style);
void PoolMoveTo(TCanvas* canvas, float x, float y);
void PoolLineTo(TCanvas* canvas, float x, float y);
void PoolEllipse(TCanvas* canvas, float x1, float y1, float x2, float y2);
void PoolArc(TCanvas* canvas, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
             float y4);
// points[0 .. lastIndex].
void PoolPolygon(TCanvas* canvas, const TPoint* points, int lastIndex);
void PoolFrameRect(TCanvas* canvas, const TRect& rect);
void PoolFillRect(TCanvas* canvas, const TRect& rect);

// --- Fonts and pictures ---
// angle in tenths of a degree; style: face 0-4, bold 0x10, italic 0x20.
void CreateFontByFace(TCanvas* canvas, int height, int width, int angle, int style);
TFontSpec FontSpecByFace(int height, int width, int angle, int style);
// True when the file exists (and, for JPEG and BMP, could be read); a
// damaged picture counts as missing and leaves the bitmap untouched.
bool LoadPictureFile(TBitmap& bitmap, const std::string& path);
// Stretches the picture into the rectangle; while recording it is recorded
// into the current page instead. Returns LoadPictureFile's answer: false for
// a missing or damaged picture, recorded or not.
bool DrawPictureFile(TCanvas* canvas, const TRect& rect, const std::string& path);

// --- Replay ---
// Replays a page onto a bitmap (whole bitmap, background filled first) or a
// printer page (a 180 x 270 mm area 15 mm from the paper's edges). A damaged
// record ends the page; nothing is read past the page's records.
void PlayPoolPage(TBitmap& target, int page, int recordedWidth, int recordedHeight,
                  std::uint32_t background);
void PlayPoolPage(TPrinter& target, int page, int recordedWidth, int recordedHeight,
                  std::uint32_t background);

// One line per record of the page, for tests and diagnostics, e.g.
// "font 36 18 0 0", "text 11 13 A", "line 11 13", "polygon 3 1 1 5 1 5 5 1 5".
// Texts stay CP932. A damaged record ends the list with "bad".
std::vector<std::string> DumpPoolPage(int page);

// The texts of a page as lines of characters, top to bottom, for tests of
// report content: characters of one baseline joined left to right, a gap of
// whole cells becoming blanks; a rule character drawn twice counts once.
std::vector<std::string> PoolPageText(int page);
