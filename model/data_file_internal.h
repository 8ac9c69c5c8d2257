// Helpers shared by the data file's reader and writer (not for other units).
#pragma once
#include <cmath>
#include <cstddef>
#include <string>

namespace datafile_detail {

// The longest prefix of text of at most len bytes that ends on a character
// boundary, without a trailing lone lead byte.
std::string CutToBytes(const std::string& text, std::size_t len);

// The zero-terminated text of a fixed array of size bytes (also when it
// lacks its terminator), with control bytes turned into blanks so that a
// text can never break a line of the file.
std::string FixedText(const char* text, std::size_t size);

// text without blanks and control bytes at either end, taken character by
// character: a trail byte that happens to be a blank stays with its lead
// byte (a byte-wise trim would leave a lone lead byte behind).
std::string TrimText(const std::string& text);

inline double FiniteOr0(double v) { return std::isfinite(v) ? v : 0.0; }

// The value a mantissa field and an exponent field read back as: mantissa
// times ten to the power exponent (the exponent clamped so that pow stays
// finite for any text).
double MantExpValue(double mantissa, int exponent);

}  // namespace datafile_detail
