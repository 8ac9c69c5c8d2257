#include "report/report_run.h"

ReportRunState ReportRun;

HeadingCountersData& HeadingCounters = ReportRun.headingCounters;
TStringList& HeadingList = ReportRun.headingList;
int& ContentsPageOffset = ReportRun.contentsPageOffset;
FieldTableData& FieldTable = ReportRun.fieldTable;
std::uint8_t (&PrintConditions)[32] = ReportRun.printConditions;
ReportExtentsData& ReportExtents = ReportRun.extents;
std::string (&PreviewNoteText)[2] = ReportRun.previewNotes;

void ResetReportRun() { ReportRun = ReportRunState{}; }
