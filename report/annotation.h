// Engineering symbols drawn on top of plain lines: barbed arrows, dimension
// lines with extension lines and a length label, and distributed loads as a
// row of arrows beside a member. Gmm_ names take paper mm (y down), G_ names
// world coordinates (y up). Everything goes out as solid lines in the
// current pen colour, so the preview records it like any other drawing.
#pragma once
#include <cstdint>
#include <string>

// Arrow flags.
constexpr int kArrowShaft = 0x10;
constexpr int kArrowHeadFirst = 0x100;  // head pointing at the first point
constexpr int kArrowHeadSecond = 0x1;   // head pointing at the second point
// Dimension flags (besides the arrow flags).
constexpr int kDimExtensionFirst = 0x200;
constexpr int kDimExtensionSecond = 0x2;
constexpr int kDimLabelLeft = 0x20;   // above a line drawn left to right
constexpr int kDimLabelRight = 0x40;  // below it; only without 0x20
// Trapezoid end flags.
constexpr int kLoadFirstEnd = 0x1;
constexpr int kLoadSecondEnd = 0x10;

// Lighter shade of the same hue for the inner arrows of a load row.
constexpr std::uint32_t HalfTint(std::uint32_t c) { return ((c >> 1) & 0x7F7F7Fu) | 0x808080u; }

// Barb length in mm, kept in the graphics state.
void G_SetArrowSize(double size);
void Gmm_ArrowLine(double x1, double y1, double x2, double y2, int flags);
void G_ArrowLine(double x1, double y1, double x2, double y2, int flags);
// text "$e" labels the measured length times 10^e; size is the text height
// and the overshoot of the extension lines (mm).
void Gmm_DimensionLine(double x1, double y1, double x2, double y2, double offset, int flags,
                       const std::string& text, double size);
void G_DimensionLine(double x1, double y1, double x2, double y2, double offset, int flags,
                     const std::string& text, double size);
// q1, q2: drawn load heights at the two ends, world lengths.
void G_LoadTrapezoid(double x1, double y1, double q1, double x2, double y2, double q2,
                     double spacing, int flags);
void G_MemberLoad(double x1, double y1, double q1, double x2, double y2, double q2, double r,
                  int flags);
void G_LoadArrowsH(double x1, double y1, double q1, double x2, double y2, double q2,
                   double spacing);
// How far a row of G_LoadArrowsH or G_LoadArrowsV arrows of load height q
// (world, signed) reaches from its base line on the side of its tails: the
// height as drawn (1 mm at least), or the back of the arrowheads where a
// low load's arrows are shorter than their heads. Signed as q.
double LoadArrowsReach(double q);
void G_LoadArrowsV(double x1, double y1, double q1, double x2, double y2, double q2,
                   double spacing);
