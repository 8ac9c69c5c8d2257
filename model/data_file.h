// The ".$O1" data file: the frame sections of the model, the default new
// model and the ordering of the named points of interest.
//
// A data file is CP932 text with CR LF line ends (LF-only lines are read as
// well). It holds the frame sections up to a first "END", the names of the
// points of interest ("V2-NAME") up to a second "END", and after that the RC
// block, which belongs to the RC check and is read and written by its own
// code from the lines after the second "END" (see FindRcBlockStart).
//
// Fields are fixed columns when written and blank or comma separated when
// read, so a hand-edited file with shifted columns still reads. Counts read
// from a file are clamped to the capacity of their table; every cut is named
// in the reader's warning text, which the caller shows to the user.
#pragma once
#include <string>

#include "model/model_tables.h"

struct FrameModel;
class TStringList;

// The number fields that the file lays out on lines of their own rather
// than by a table's description: the springs of a support entry, the factor
// of a combination, the positions of the points of interest.
extern const FileField kSupportSpringField;
extern const FileField kCombinationFactorField;
extern const FileField kViewPointField;

// The number the file keeps for value written into field: what reading the
// field back gives (value itself for a field that holds no number). isFloat:
// the model holds the value as a float (all but the combination factor).
double StoredFieldValue(const FileField& field, double value, bool isFloat = true);

// The only layout the program writes.
constexpr int kFrameFileFormat = 3;

// Clears list and appends the frame sections of model, the V2-NAME list and
// both "END" lines. format is kFrameFileFormat (any other value is treated
// the same). Counts beyond a table's capacity are written as the capacity.
void WriteFrameDataFile(TStringList& list, const FrameModel& model, int format = kFrameFileFormat);

// The same lines joined with CR LF: the exact bytes of the frame sections in
// a file.
std::string FrameDataFileText(const FrameModel& model);

// Writes the frame sections (and, when rcBlock is given, its lines after
// them) to fileName (CP932), replacing the file whole (a symbolic link is
// followed, the permissions kept). False, with the old file unchanged, when
// it cannot be written or the name is not a regular file.
bool WriteFrameDataFile(const std::string& fileName, const FrameModel& model,
                        const TStringList* rcBlock = nullptr);

// The values of model that the file cannot hold: one line (ending in
// "\n") per value whose written text would read back as another number,
// naming the value and what it would become; at most as many lines as a
// validation text. "" when the file holds the model value for value. A save
// refuses a model with such values rather than change them unseen.
std::string ValuesTheFileCannotHold(const FrameModel& model);

// Fills model from the lines of a data file. The model is cleared first;
// fields that cannot be read become 0 and missing lines read as empty.
// warnings receives one line (ending in "\n") per count that had to be cut
// to a table's capacity or was negative, a first line when the list ends
// before the entries its counts declare (a file cut short), and a line when
// the list holds no "FRAME" identifier line; "" when nothing was wrong. A
// model read with warnings is not exactly what the file holds: it must not
// be written over that file without the user's choice. Never fails for
// damaged content: always returns true.
bool ReadFrameDataFile(FrameModel& model, const TStringList& list, std::string& warnings);

// Whether the lines hold the "FRAME" identifier line that makes them a
// data file (without it, reading gives an empty model and a warning).
bool HasFrameIdentifier(const TStringList& list);

// Loads fileName (CP932) and reads it as above. False, with a message in
// warnings and the model cleared, when the file cannot be read.
bool ReadFrameDataFile(const std::string& fileName, FrameModel& model, std::string& warnings);

// Index of the first line after the second "END" (the start of the RC
// block), or list.Count() when the list has no such line.
int FindRcBlockStart(const TStringList& list);

// The line at index, or a text of 99 commas when index is outside the list,
// so that every field of a missing line reads as empty.
std::string GetLineOrBlank(const TStringList& list, int index);

// Writes value as a mantissa field of m columns and an exponent field of e
// columns into line, starting at the 0-based byte offset column (the line is
// padded with blanks up to there). m is clamped to 4..10 and e to 2..5. One
// blank follows the fields when the line was already longer; the line ends at
// the end of the exponent field or where it ended before, whichever is later.
// A value whose exponent would fill the whole exponent field (and so glue to
// the mantissa) is written as 0 when it is tiny (below 1e-9 in a 3-column
// field) and as the largest value the field holds when it is huge; NaN is 0.
void FormatMantExp(std::string& line, int column, int m, int e, double value);

// Clears model and sets its identifier to "FRAME-03"; with makeDefault = 1
// builds the default model: a 1 m simple beam (node 1 fixed, node 2 roller)
// with a uniform load of -10 kN/m, one load case and one combination.
void NewFrameModel(FrameModel& model, int makeDefault);

// Orders the named points of every member by position (points at 0 or less
// dropped to the end and out of the count), then the members by number.
void SortViewPoints(FrameModel& model);
