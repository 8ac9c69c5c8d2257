// The calculation report 「フレーム構造解析計算書」: the driver that composes
// the whole report into the page pool, the cover page, the body paging
// shared by every chapter, and the small helpers the chapters share (table
// templates built from column lists, the report's number texts).
//
// Body pages are 180 x 270 mm; y is in mm from the top of the body area.
// Pool page 0 is the cover, pool pages 1-10 the contents, body page k is
// pool page 10 + k.
#pragma once
#include <string>
#include <vector>

#include "report/report_run.h"

struct FrameModel;
struct FrameResults;
struct RcCheckData;

constexpr double kReportBodyWidth = 180.0;   // mm
constexpr double kReportBodyHeight = 270.0;  // mm
// The foot of a body page (mm above kReportBodyHeight) kept for its page
// number: the number is 3.4 mm high and stands on the body's bottom edge,
// and a table's closing rule is drawn up to 2 mm below the height its
// template advances, so blocks are placed to end 6 mm above the edge.
constexpr double kReportFooterRoom = 6.0;
// Rows of a table block; longer tables continue in further blocks.
constexpr int kReportBlockRows = 40;
constexpr double kReportLine = 5.76;      // mm, one text line
constexpr double kReportHalfLine = 2.88;  // mm, one template frame line

struct ReportCoverLinesData {
    std::string title;   // CP932; initially 「フレーム構造解析計算書」
    std::string second;  // CP932; e.g. 「ＲＣ断面照査」 for the RC window's print
    std::string third;   // CP932; the data file's name
};
extern ReportCoverLinesData ReportCoverLines;

// ReportExtents, the world window of every report figure, and
// PreviewNoteText, the notes under the preview: report_run.h.

// Which of the chapters that depend on the calculation the next report
// prints, set by the print commands before the preview composes it: the
// main window's print leaves the RC check out (the RC window prints it),
// the RC window's print asks whether the member forces go with it. A
// chapter switched on still needs something to show (results, RC members).
struct ReportChapterSwitches {
    bool results = true;  // 「断面力の算出」
    bool rcCheck = true;  // 「応力度の照査」
};
extern ReportChapterSwitches ReportChapters;

// Composes the whole report from FrameData, ResultData and RcData (either of
// the last two may be null or empty) into the page pool, which must be
// recording (BeginPreview), with the chapters ReportChapters switches on.
// Returns the number of body pages.
int BuildCalculationReport();
// The same over explicit records; results and rc may be null.
int BuildCalculationReport(FrameModel& model, const FrameResults* results, RcCheckData* rc);

void PrintCoverPage();
// Room (mm) kept at the foot of the pool's last page for the note that
// the report was cut there.
constexpr double kReportCutNoteRoom = 9.0;
// Writes that note on the last page the pool holds.
void PrintReportCutNote();
// Starts the next body page (its number at the foot) and resets the font to
// the body font; the caller continues at y = 0 or at its chapter's y.
void NewReportPage();
// True when h mm more still fit below y on a body page.
bool PageHasRoom(double y, double h);
void ComputeReportExtents(const FrameModel& model);
// Fits ReportExtents into the paper box (x1, top) - (x2, bottom), mm, with
// world y pointing up and the aspect kept.
void FitReportExtents(double x1, double top, double x2, double bottom);

// --- Helpers shared by the chapters ---

// One column of a generated table template. Widths are in bytes (even, so
// that rules of full-width characters fill them); cell is the row
// template's content: "-1" for the row-number column, a "#" mask, or text.
struct ReportColumn {
    int width;
    std::string head1;
    std::string head2;  // second header line, empty for none
    std::string cell;
};

// A framed table: top rule, header lines, heavy header rule, the row
// template with its separator and foot, indented by `indent` blanks.
std::vector<std::string> ReportTableTemplate(const std::vector<ReportColumn>& columns, int indent);
// Runs template lines (CP932, with their prefixes). first/last as for
// PrintTemplate.
double RunReportTemplate(double y, const std::vector<std::string>& lines, int first = 0,
                         int last = 0);
// Height (mm) that RunReportTemplate will advance for these lines with
// `rows` rows in the row template (conditions as currently set).
double ReportTemplateHeight(const std::vector<std::string>& lines, int rows);
// Concatenation helper for building template lists.
std::vector<std::string> JoinLines(std::vector<std::string> a, const std::vector<std::string>& b);

// "%12.5E" with the exponent always signed and of three digits
// ("2.50000E+003"), as the report prints moduli and stiffnesses.
std::string FormatReportE(double value);
// The one way a user's text (a name, a title, a case name, the file name)
// goes into a report line: blanks trimmed, control bytes dropped, cut to
// maxBytes (0: no limit) at a character boundary, and made a literal run
// (text_draw.h), so that nothing in it is read as markup (「【」 remarks, "~"
// overbars, subscripts, "%." heading markers, "#" fields, "$" commands, box
// rules). It prints exactly as typed; its two marks take a cell each, which
// in a table's cell fall on the rules' cells. An empty text stays empty.
std::string ReportSafeText(const std::string& text, int maxBytes = 0);
// The same for a name held in a fixed char array, which need not end in a
// NUL when it fills the array.
template <std::size_t N>
std::string ReportSafeText(const char (&name)[N], int maxBytes = 0) {
    std::size_t n = 0;
    while (n < N && name[n] != '\0') ++n;
    return ReportSafeText(std::string(name, n), maxBytes);
}
// A heading's lead (ending in a blank) and its name: a user's name opens
// with the mark of its literal run, whose empty cell stands for that blank,
// so that names line up with the program's own headings.
std::string ReportHeading(const std::string& lead, const std::string& name);
// A report line without the marks of its literal runs (for list boxes).
std::string ReportPlainText(const std::string& line);
// Whole millimetres (fraction dropped), the y the chapters hand on.
double ReportWholeMm(double y);
// Byte length of a CP932 text.
int ReportTextBytes(const std::string& text);
