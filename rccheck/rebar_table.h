// Bar areas by bar number, bar descriptions such as D19×8.00, the default
// RC sections made from the frame sections, and the merging of equal RC
// sections.
#pragma once
#include <string>

#include "rccheck/rc_records.h"

struct FrameModel;

constexpr int kRebarTableSize = 64;  // bar numbers 0..63

// Area of one bar in cm² by bar number: "D" (deformed bars, read by the
// checks) and "M" (bolts, kept only). 0 where the table has no row.
struct RebarAreaTableType {
    double d[kRebarTableSize];
    double m[kRebarTableSize];
};
extern RebarAreaTableType RebarAreaTable;

// The rebar table file's name (CP932), looked for beside the executable.
const std::string& RebarTableFileName();

// Fills RebarAreaTable from the file beside the executable, or from the
// built-in table when that file does not exist.
void LoadRebarTable();

// Fills RebarAreaTable from fileName; the built-in table when the file
// cannot be read. Returns true when the file was read. Rows that cannot be
// understood (headings, bad numbers, other names) are skipped.
bool LoadRebarTableFrom(const std::string& fileName);

// Fills RebarAreaTable from the built-in rows.
void LoadBuiltInRebarTable();

// Area in mm² of `count` bars of the given bar number ("D" table). A bar
// number without a row (or outside 0..63), or a count below 0, gives 0, so
// its bars count as absent. Loads the table on first use.
double RebarArea(int barNumber, double count);

// 「D%d×%.2f」, or "" when there are no bars or the bar number has no row.
std::string FormatBars(int barNumber, double count);

// The reverse of FormatBars: accepts 「D13×2.5」, "13*2.5"; returns the bar
// number and stores the count (2 decimals). Without a separator: 0 and 0.
int ParseBars(const std::string& text, float& count);

// Whether the table holds a row for the bar number (bars of a size it does
// not hold would count as no bars at all).
bool RebarSizeKnown(int barNumber);

// A bar text as typed into a table: "" when it may be taken (empty or zeros
// for no bars, or bars of a size the table holds), else the message that
// refuses it (a size without a row, a negative size or count, or a text
// that is not "size*count").
std::string RefuseBarText(const std::string& text);

// Replaces the whole section table by one default section per frame section.
void InitRcSections(RcCheckData& rc, const FrameModel& model);

// The RC section numbered like the frame section frameSectionNo: its index
// when there is one, else a default section made for it and appended (0
// when the frame has no such section or the table is full).
int AddDefaultRcSection(RcCheckData& rc, const FrameModel& model, int frameSectionNo);
// A section added to the table by its number: the defaults, sized from the
// frame section of that number when there is one, else with h 0 to be typed
// (a member of a section without a height is reported, not checked).
RcSection NewRcSection(const FrameModel* model, int no);

// Merges sections with equal trimmed name, b and h into the first of them,
// renumbers the members' references and compacts the table.
void MergeEqualRcSections(RcCheckData& rc);
