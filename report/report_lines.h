// Report lines: one template body line turned into drawing. Heading markers
// ("%." "%.%" "%.%.%" "%)") are numbered and "$>>" headings recorded for
// the table of contents; cell texts are centred between box bars; box
// characters become real rule lines; runs of "#" become value fields that
// the report content fills afterwards, positionally or by name.
//
// Positions are paper mm; widths count character cells of the current
// font width.
#pragma once
#include <cstdint>
#include <string>

#include "platform/string_list.h"
#include "report/text_draw.h"

struct HeadingCountersData {
    std::int32_t chapter = 0;
    std::int32_t section = 0;
    std::int32_t subsection = 0;
    std::int32_t item = 0;
};
// Part of the report run state (report_run.h), as are the list, the
// offset and the field table below.
extern HeadingCountersData& HeadingCounters;

constexpr int kMaxHeadings = 999;
// Records "%4d,%9.2f,%9.2f,%4d,%s": page (pool page - 10), y mm, x mm, font
// style, heading text (with any 「【…】」 remark).
extern TStringList& HeadingList;
// Number of contents pages of the current report run.
extern int& ContentsPageOffset;

constexpr int kPositionalFields = 1000;  // indices 0 .. 999
constexpr int kFirstNamedField = 1000;   // named fields 1000 .. 1199
constexpr int kLastNamedField = 1199;
constexpr int kFieldNameBytes = 15;  // a longer name keeps its first 15 bytes

struct FieldRecord {
    double lineX = 0;
    double lineY = 0;
    double fieldWidth = 0;  // mm available to the value
    double maskX = 0;       // offset from lineX of the mask (of the name for a named field)
    double dy = 0;
    double cellX = 0;  // offset from lineX of the left edge available to a centred value
    std::int32_t widthChars = 0;
    std::int32_t decimals = 0;
    FontState font;
    char name[16] = {};
};

struct FieldTableData {
    FieldRecord fields[1202];
    std::int32_t positionalCount = 0;
    std::int32_t fillCursor = 0;
    std::int32_t nextNamed = kFirstNamedField;
};
extern FieldTableData& FieldTable;

// The vertical-rule state of DrawBoxRules, one entry per byte column of a
// line: where the open rule of the column started (mm) and its weight.
// It persists from line to line; a line with 「┌」 or 「┏」 clears it.
struct BoxRuleColumn {
    double y = 0;
    double weight = 0;  // 0 none, 1 thin, 2 heavy
};
constexpr int kBoxRuleColumns = 258;

void ResetHeadingNumbers();
void PrintTextLine(double x, double y, const std::string& line);
// Draws the line's box characters as rules and blanks them in `line`;
// returns the number of bytes examined.
int DrawBoxRules(double x, double y, std::string& line);

void ResetFields();
int NextFieldIndex();
// Registers a field (called by the markup of Gmm_TextMarkup). An empty name
// makes a positional field. Full tables register nothing.
void RegisterField(double lineX, double lineY, double maskX, double dy, int widthChars,
                   int decimals, const std::string& name);

// Fillers; n below 0 takes the next positional field. useFieldFont non-zero
// draws in the font stored with the field. A number too wide for its field
// first loses decimals, then prints as '*' characters.
void PutFieldNumber(int n, double value, int useFieldFont);
void FillFieldNumber(int n, double value, int useFieldFont);
void FillNamedFieldNumber(const std::string& name, double value, int useFieldFont);
void PutFieldText(int n, const std::string& text, int useFieldFont);
void FillFieldText(int n, const std::string& text, int useFieldFont);
void FillNamedFieldText(const std::string& name, const std::string& text, int useFieldFont);
