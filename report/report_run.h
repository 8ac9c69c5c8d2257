// The state of one report run: what the composition of a report builds up
// as it goes and what must start afresh with every run. The heading
// numbers and the contents list, the number of contents pages, the value
// fields of the template being filled, the template conditions, the open
// vertical box rules, the page number of the footer, the world window of
// the report's figures and the notes under the preview are all parts of
// this one object; the names the rest of the program uses for them
// (HeadingCounters, HeadingList, ContentsPageOffset, FieldTable,
// PrintConditions, ReportExtents, PreviewNoteText) refer into it.
//
// A preview run resets it whole (BeginPreview calls ResetReportRun); so do
// tests that draw report lines without a preview run.
//
// Not part of it: the page pool and its recording flag (the pool lives for
// the whole program and is cleared by BeginPreview), the graphics and font
// state (shared with the screen figures), and the cover lines and chapter
// switches, which the print commands set before the run starts.
#pragma once
#include <cstdint>
#include <string>

#include "platform/string_list.h"
#include "report/report_cover.h"
#include "report/report_lines.h"

struct ReportRunState {
    HeadingCountersData headingCounters;
    TStringList headingList;
    int contentsPageOffset = 0;
    FieldTableData fieldTable;
    std::uint8_t printConditions[32] = {};
    BoxRuleColumn boxRules[kBoxRuleColumns];
    int pageNumber = 0;  // the number last given to PrintPageFooter
    ReportExtentsData extents;
    std::string previewNotes[2];
};

extern ReportRunState ReportRun;

// Puts every part of the run state back to its start value.
void ResetReportRun();
