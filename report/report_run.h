// The state of one report run: what the composition of a report builds up
// as it goes and what must start afresh with every run. The heading
// numbers and the contents list, the number of contents pages, the value
// fields of the template being filled, the open vertical box rules, the
// template conditions, the page number of the footer, the world window of
// the report's figures and the notes under the preview are all parts of
// this one object; the names the rest of the program uses for them
// (HeadingCounters, HeadingList, ContentsPageOffset and FieldTable in
// report_lines.h, PrintConditions, ReportExtents and PreviewNoteText here)
// refer into it.
//
// A preview run resets it whole (BeginPreview calls ResetReportRun); so do
// tests that draw report lines without a preview run. It lives with the
// report lines, which keep most of it; the rest is plain data of the
// report's templates and chapters.
//
// Not part of it: the page pool and its recording flag (the pool lives for
// the whole program and is cleared by BeginPreview), the graphics and font
// state (shared with the screen figures), and the cover lines and chapter
// switches, which the print commands set before the run starts.
#pragma once
#include <cstdint>
#include <string>

#include "platform/string_list.h"
#include "report/report_lines.h"

// World window of every report figure: the bounding box (m) of all member
// end points, recomputed at the start of each report.
struct ReportExtentsData {
    double minX = 1e99, minY = 1e99, maxX = -1e99, maxY = -1e99;
};

struct ReportRunState {
    HeadingCountersData headingCounters;
    TStringList headingList;
    int contentsPageOffset = 0;
    FieldTableData fieldTable;
    BoxRuleColumn boxRules[kBoxRuleColumns];
    std::uint8_t printConditions[32] = {};
    int pageNumber = 0;  // the number last given to PrintPageFooter
    ReportExtentsData extents;
    std::string previewNotes[2];
};

extern ReportRunState ReportRun;

// Puts every part of the run state back to its start value.
void ResetReportRun();

// The condition letters of the template language, indexed by the letter's
// code AND 0x1F (A = 1 ... Z = 26); non-zero means set.
extern std::uint8_t (&PrintConditions)[32];
// The world window of every report figure.
extern ReportExtentsData& ReportExtents;
// Two notes the preview shows under the page; emptied at the start of each
// report. The report writes the first one when it ran out of pool pages.
extern std::string (&PreviewNoteText)[2];
