// Report templates: the small line language every report page is composed
// from. Each template line is a prefix (advance, conditions, "t" for the
// small font) and a body of fixed-pitch text that draws itself through
// PrintTextLine, with its box rules and "#" value fields; a few bodies are
// picture commands. Also the page footer and the start of a preview run.
//
// Positions are paper mm, y downwards; the body area is 180 x 270 mm.
#pragma once
#include <cstdint>
#include <string>

#include "platform/qt/bitmap.h"
#include "platform/string_list.h"
#include "report/report_run.h"

// Advances (mm) of the pitch codes of a prefix.
constexpr double kPitchF1 = 6.4;
constexpr double kPitchF2 = 5.76;
constexpr double kPitchF3 = 2.88;
constexpr double kPitchF4 = 2.52;
// Body text height of every report page, mm.
constexpr double kBaseTextHeight = 3.6;

// The condition letters of the template language, PrintConditions, are part
// of the report run state (report_run.h).
void SetPrintCondition(unsigned char letter);
// 0 clears all 32 flags.
void ClearPrintCondition(unsigned char letter);

// Runs a template given as an array of CP932 lines ended by a null entry.
// first > 0 with last == 0 prints the numbered rows 1 .. first of a fixed
// table; first > 0 with last > 0 repeats a row template for rows
// first .. last. Returns the y below the last printed line.
double PrintTemplate(double y, const char* const* lines, int first, int last);
// The interpreter, from line index start (0-based) of a string list.
double PrintTemplateLines(double y, const TStringList& lines, int start, int first, int last);

// Page number n at the foot of the current page; n <= 0 draws nothing.
void PrintPageFooter(int n);
// The number last given to PrintPageFooter.
int CurrentPageNumber();

// The page bitmap a preview run draws on, created on first use.
TBitmap& PreviewPageBitmap();
// Starts a preview run: the page bitmap of width x height pixels becomes
// the device, the report run state (contents list, conditions, ...) starts
// afresh, the pool is emptied and records from page 0.
void BeginPreview(int width, int height);
