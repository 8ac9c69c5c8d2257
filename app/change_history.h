// The program's change history (newest first) and the version date taken
// from it.
#pragma once
#include <string>

// CP932 lines joined with "\n"; each begins with a date yyyy.mm.dd or blanks.
const std::string& ChangeHistoryText();
// The first date of a history: Trim of the 80 bytes from the first "20".
std::string VersionDateOf(const std::string& history);
