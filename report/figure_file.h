// Figure files of the drawing program Korvo (".KRV"): text files of comma
// separated drawing records in world coordinates, drawn into the current
// world window. Also picture files stretched into a paper rectangle, and the
// notice that stands in for a missing file.
//
// File names are CP932, relative to the working folder; when the exact name
// is missing, a file of the same folder whose name differs only in the case
// of its ASCII letters is taken (the names were written for a file system
// that ignores case).
#pragma once
#include <cstdint>
#include <string>

class TCanvas;

// Draws the file; returns the paper y (mm, at least 0) of its CF_WINDOW
// record's y1, 0 without one. A missing file draws the notice at the
// current paper y and returns the y below it.
double DrawFigureFile(const std::string& name);
// Fits the world rectangle (0, 0)-(18000, -9000) into the paper rectangle
// (0, y)-(180, y + 90) mm and draws the file there.
double G_DrawKRV_18mX9m(double y, const std::string& name);
// Draws the file fitted into a canvas with a 1 % margin, on the given
// background colour. The graphics state is put back afterwards. Returns
// DrawFigureFile's result, or 0 for a file without CF_WINDOW.
double DrawFigureFileFitted(TCanvas* canvas, std::uint32_t background, const std::string& name);
// Stretches a picture file (".JPG", ".JPEG", ".BMP") into the rectangle, or
// draws the missing-file notice and a crossed box. Returns y2.
double Gmm_DrawJpeg(double x1, double y1, double x2, double y2, const std::string& name);
// Four lines from y at x = 10 mm naming the file; returns y + 17.1.
double DrawFileMissingNotice(double y, const std::string& name);

// The name under which the file exists (see above), or "" when none does.
std::string ResolveFigureFileName(const std::string& name);

// Text sizes of the size indices 0 .. 15 (world units), kept from file to
// file as the drawing program does. A text's width is width + pitch.
struct FigureTextSizes {
    double heights[16] = {};
    double widths[16] = {};
    double pitches[16] = {};
};
extern FigureTextSizes FigureTextSizeTable;
