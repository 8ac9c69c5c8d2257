// The result files written fast: the same bytes as WriteSdkResultFiles
// (model/result_files.h). The member-force files, which hold one line per
// result point of every member and case (hundreds of megabytes for the
// largest models), are cut into pieces of a few dozen members, formatted
// on the worker threads straight into buffers and written in file order by
// one thread per file, both files at once, beside a thread for the four
// small files; their numbers are formatted by exact arithmetic instead of
// printf.
#pragma once

#include <cstddef>
#include <string>

struct FrameResults;

// Same contract as WriteSdkResultFiles: writes base + ".F11" ... ".F32";
// a file that cannot be written is skipped and named in failed (one per
// line), and the result is then false.
bool WriteSdkResultFilesFast(const FrameResults& results, const std::string& base,
                             std::string* failed = nullptr);

// printf("%15.7e", v) and printf("%15.4f", v) for a value v that is a
// float (as every member value is), written at out (room for 64 bytes);
// return the number of bytes. Exact: the decimal digits are those of the
// float's exact binary value, rounded half to even, as glibc's printf
// rounds them; values outside the exact range go to snprintf.
std::size_t FormatFloatE15(char* out, float v);
std::size_t FormatFloatF15(char* out, float v);
