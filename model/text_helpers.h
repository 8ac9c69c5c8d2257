// Text and number helpers used everywhere: formatting, reading numbers that
// may be typed in full-width (double-byte) digits, full-width to half-width
// conversion, blank handling and byte-length fitting.
//
// Every text is a CP932 (Shift-JIS) byte string; lengths are in bytes. A
// double-byte character is never split: a byte 0x80-0x9F or 0xE0-0xFF is a
// lead byte and the character is that byte plus the next one. A lead byte
// that is the last byte of a text (a damaged cut) counts as a one-byte
// character, so no helper reads past the end of its text.
//
// Number reading and formatting ignore the user's locale: the decimal point
// is always '.'.
#pragma once
#include <cstddef>
#include <string>

class TStringList;

// True for the first byte of a double-byte CP932 character.
inline bool IsLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }

// Bytes taken by the character starting at pos (1 or 2; 1 for a lone lead
// byte at the end, 0 when pos is at or past the end).
int CharByteCount(const std::string& text, std::size_t pos);

// printf-style formatting, the whole result whatever its length. Always
// uses '.' as the decimal point whatever the process locale.
std::string FormatStr(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Reads a real like atof (leading blanks skipped, stops at the first byte
// that cannot continue a decimal number, 0 when nothing can be read). A text
// whose first byte is 0x80 or above goes through NumZenToHan first. Only
// decimal syntax is accepted ("nan", "inf" and hex read as 0); a magnitude
// beyond the double range reads as +/-HUGE_VAL like atof.
double TextToDouble(const std::string& text);

// Reads a number scaled by 10^(decimals mod 8) and rounded with a tolerance
// of 0.1 in the last kept unit (with decimals 0: "2.95" -> 3, "2.85" -> 2,
// "-2.95" -> -3). Results beyond the int range are clamped; NaN gives 0.
int TextToInt(const std::string& text, int decimals = 0);

// A typed or read real into a float field: clamped to the float range (a
// larger magnitude cannot be held, and the cast would be undefined), NaN
// as 0. Validation then refuses what the engine cannot carry.
float ToFloatInRange(double v);

// A real truncated toward zero into an int field, clamped to the int range,
// NaN as 0.
int TruncToInt(double v);

// Re-formats an edit's number by its format code (an edit's tag): width =
// (tag / 10) mod 100, decimals = tag mod 10; a width of 0 leaves the text
// as it is.
std::string FormatTextByTag(const std::string& text, int tag);

// Full-width digits, 「－」, 「＋」, the full-width space and 「、。，．」 to their
// half-width number characters (「、。，．」 all become '.', as does any
// double-byte code below 0x8140); everything else is copied unchanged.
// Meant only for number parsing.
std::string NumZenToHan(const std::string& text);

// One character to half-width. lead is the character's first byte, next the
// byte after it (0 when there is none). Stores 1 or 2 in *consumed (when
// consumed is not null). A character without a half-width form comes back
// unchanged.
std::string HalfWidthChar(unsigned char lead, unsigned char next, int* consumed);

// The whole text through HalfWidthChar.
std::string ZenToHan(const std::string& text);

// Each full-width space becomes two blanks.
std::string ZenSpaceToHan(const std::string& text);

// Drops every blank and every full-width space.
std::string RemoveSpaces(const std::string& text);

// Every run of blanks and full-width spaces becomes one blank.
std::string SqueezeSpaces(const std::string& text);

// n blanks, 0 <= n <= 1024 (n is clamped to that range).
std::string Spaces(int n);

// n copies of text; n above 256 counts as 256, n <= 0 gives "".
std::string RepeatText(const std::string& text, int n);

// Makes text at most len bytes: squeeze blanks, drop blanks, half-width, and
// finally cut at a character boundary (so the result may be len - 1 bytes).
std::string FitTextLength(const std::string& text, int len);
// Makes text at most len bytes by cutting it before the first character
// that does not end within len bytes, leaving every character as it was
// (a name typed in full-width kana stays in full-width kana).
std::string CutTextLength(const std::string& text, int len);

// Splits a zero-terminated buffer at commas in place: each comma becomes a
// terminator and fields[k] points at the k-th field. After maxFields fields
// the rest (commas included) stays in the last field. An empty buffer gives
// one empty field. Returns the field count (0 when maxFields <= 0 or buffer
// is null). fields must hold maxFields pointers.
int SplitCommaInPlace(char** fields, int maxFields, char* buffer);

// The line at index, or "" when index is outside the list.
std::string StringListGet(const TStringList& list, int index);
