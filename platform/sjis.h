// The lead-byte test of the program's Shift-JIS texts: a byte whose top three
// bits are 100 or 111 (0x80-0x9F, 0xE0-0xFF) starts a double-byte character.
#pragma once

inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }
