// The RC block of the ".$O1" data file: the RC sections, the check cases and
// per member its header, its points and one table per check case, written
// after the frame sections as comma-separated tables closed by "EOB".
// Per-section and per-point tables are transposed: one line per key, one
// cell per section or point.
#pragma once
#include <string>

#include "rccheck/rc_records.h"

class TStringList;
struct FrameModel;

// Appends the RC block to list (which already holds the frame sections).
// The model gives the member and combination numbers of the headers. With
// memberCount 0 only the section and check-case tables are written.
void WriteRcCheckData(TStringList& list, const FrameModel& model, const RcCheckData& rc);

// Reads the RC block from the lines of the whole file (frame lines are
// passed over). sectionCount and memberCount start at 0; every other field
// keeps its value until the file sets it. Only what the tables hold is
// read: a count beyond a table's capacity or beyond the cells and lines the
// table carries is cut, a member head with a damaged number takes its place
// in the order of the members, and a table never reads into the next one.
// warnings receives one line (ending in "\n") per cut, skip or bar size the
// rebar table does not hold; "" when nothing was wrong. Never fails.
void ReadRcCheckData(RcCheckData& rc, const FrameModel& model, const TStringList& list,
                     std::string& warnings);
// The same, for callers that show no warnings.
void ReadRcCheckData(RcCheckData& rc, const FrameModel& model, const TStringList& list);

// A number read for the block's 32-bit fields: beyond the float range it
// is kept as the largest float of its sign (never an infinity, which would
// be saved as "inf" and read back as 0); not a number reads as 0.
float StoredRcFloat(double v);
