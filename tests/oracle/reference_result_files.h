// The reference result-file writer: every line built by printf-style
// formatting into a line list (the reactions and displacements by the
// program's own line builders, which the clipboard uses too), each file
// saved whole. The program's writer (::WriteSdkResultFiles), which formats
// on threads by exact arithmetic, must give the same bytes.
#pragma once

#include <string>

struct FrameResults;
class TStringList;

namespace reference {

// The member-force blocks of one file (which: kResultLoadCases or
// kResultCombinations), appended to list.
void WriteMemberForceFile(TStringList& list, const FrameResults& results, int which);

// Writes base + ".F11", ".F12", ".F21", ".F22", ".F31", ".F32"; a file that
// cannot be written is skipped and named in failed (one per line), and the
// result is then false.
bool WriteSdkResultFiles(const FrameResults& results, const std::string& base,
                         std::string* failed = nullptr);

}  // namespace reference
