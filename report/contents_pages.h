// The contents pages of a report run, the mapping of preview page numbers
// onto pool pages, and the halving of rendered page bitmaps.
//
// Pool pages: 0 the cover, 1 .. 10 the contents, body page k at 10 + k.
// Preview (and print) pages: 0 the cover, 1 .. n the contents
// (n = ContentsPageOffset), then n + 1 ... the body.
#pragma once
#include <cstdint>
#include <string>

#include "platform/qt/bitmap.h"
#include "platform/qt/printer.h"

constexpr int kContentsPerPage = 40;
constexpr int kMaxContentsPages = 10;
// Column grid of a contents entry: 1.8 mm columns from x = 15.4 mm, the
// remark from column 45 and the page number from column 78.
constexpr double kContentsLeft = 15.4;
constexpr double kContentsColumn = 1.8;

// The preview window's jump list, seen from the contents builder. Each row
// is the text "%-80s%6.2f" and, separately, its value: the preview page's
// position relative to body page 1 (body page + y / 270).
class ContentsJumpList {
  public:
    virtual ~ContentsJumpList() = default;
    virtual int TopIndex() const = 0;
    virtual void SetTopIndex(int index) = 0;
    virtual void Clear() = 0;
    virtual void AddRow(const std::string& row, double value) = 0;
};

// Records the contents pages of the headings gathered by the run, stops the
// recording and fills the jump list (when given). Returns the number of
// contents pages (at most 10; more than 400 headings end the contents with
// a line saying that the rest is left out).
int BuildContentsPages(ContentsJumpList* list);
// Records contents page k (1-based) into pool page k.
void PrintContentsPage(int k);
// Pool page shown as preview page k.
int PoolPageOfPreviewPage(int k);
// Replays preview page k, recorded at width x height pixels.
void RenderPreviewPage(TBitmap& target, int k, int width, int height, std::uint32_t background);
void RenderPreviewPage(TPrinter& target, int k, int width, int height, std::uint32_t background);
// Each 2 x 2 block of source pixels from source row 2 (i - offset) on
// becomes destination pixel (i, j); rows without two source rows are left.
void DownsampleBitmap2x(TBitmap& destination, TBitmap& source, int offset);
