// Result text files ".F11" to ".F32" of the in-program analysis and the
// compact result lines of the clipboard. Fixed-column CP932 text, CR LF.
//
// Every file is a sequence of blocks, one per load case (".F?1") or per
// combination (".F?2"): the heading line, a "CASE" line, then the rows.
// A real below 1e-30 in magnitude is written as 0.
#pragma once

#include <string>

struct FrameResults;
class MemberForceFileJob;
class TStringList;

// Which blocks a writer takes.
constexpr int kResultLoadCases = 1;
constexpr int kResultCombinations = 2;

// Append the blocks of one file to list (which: kResultLoadCases or
// kResultCombinations). The member-force file's lines are built by the
// writer itself (model/fast_result_files.h).
void WriteReactionFile(TStringList& list, const FrameResults& results, int which);
void WriteDisplacementFile(TStringList& list, const FrameResults& results, int which);
// The compact member-force layout (named points, extremes inside the
// member), used for the clipboard.
void WriteMemberForceList(TStringList& list, const FrameResults& results, int which);
// Member-force lists, displacements and reactions, load cases then
// combinations each, appended to list without clearing it.
void ListSdkResults(TStringList& list, const FrameResults& results);

// Saves the list as the file, replacing it whole: false, with the old file
// (if any) unchanged, when it cannot be written or the name is not a
// regular file (a FIFO, a folder).
bool SaveListIfWritable(const TStringList& list, const std::string& fileName);

// Writes base + ".F11", ".F12", ".F21", ".F22", ".F31", ".F32". base is the
// data file name without its extension. A file that cannot be written is
// skipped and the others are still written; returns false when any was
// skipped and then lists the skipped names (one per line) in failed.
// Started jobs (started[0] for base + ".F31", started[1] for ".F32", see
// MemberForceFilesDuringAnalysis) are waited for and counted in place of
// writing their files. Each file is replaced whole. The member-force files
// are formatted on threads (model/fast_result_files.cpp).
bool WriteSdkResultFiles(const FrameResults& results, const std::string& base,
                         std::string* failed = nullptr, MemberForceFileJob* started = nullptr);

// The six file names WriteSdkResultFiles writes for base, in its order.
const char* const* SdkResultExtensions();
constexpr int kSdkResultFileCount = 6;

// Deletes the outside library's extra result files (".F41" ... ".F71")
// beside the data file; a missing file is no error.
void DeleteExtraResultFiles(const std::string& dataFileName);
