// Conversions between the program's CP932 byte strings and UTF-8, used only
// at the edges: file names handed to the operating system, Qt strings and
// terminal output.
#pragma once
#include <string>

// Bytes that are not valid CP932 become '?'; never fails.
std::string Cp932ToUtf8(const std::string& cp932);
// Characters without a CP932 code become '?'; never fails.
std::string Utf8ToCp932(const std::string& utf8);
