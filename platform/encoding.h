// Conversions between the program's CP932 byte strings and UTF-8, used only
// at the edges: file names handed to the operating system, Qt strings and
// terminal output.
#pragma once
#include <string>

// Bytes that are not valid CP932 become '?'; never fails. The bytes a file
// name from the operating system carries as they are (see FileNameFromOs)
// come back as those bytes.
std::string Cp932ToUtf8(const std::string& cp932);
// Characters without a CP932 code become '?'; never fails.
std::string Utf8ToCp932(const std::string& utf8);

// A name from the operating system (a file name, a folder, an argument:
// any bytes, UTF-8 as a rule) as the program's CP932 text, losing nothing:
// a character CP932 holds exactly becomes its CP932 code; any other byte
// (a character outside CP932, a byte that is no UTF-8) is kept as a
// character of CP932's user-defined area that stands for that byte alone
// (U+E000 + byte, lead byte 0xF0 or 0xF1), which Cp932ToUtf8 and so
// OsFileName turn back into the byte. So "café.$O1" opens "café.$O1", never
// "caf?.$O1".
std::string FileNameFromOs(const std::string& os);
