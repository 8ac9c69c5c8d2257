// The _sj literal: Japanese text written in UTF-8 source becomes CP932
// (Shift-JIS) bytes at compile time, so that every text inside the program
// is the byte string the rest of the code measures and cuts by lead bytes.
//
//   const std::string& t = 「計算中」_sj;   // 0x8C 0x76 0x8E 0x5A 0x92 0x86
//
// A character without a CP932 code is a compile error (the converter throws
// during constant evaluation).
#pragma once
#include <cstddef>
#include <string>

#include "platform/cp932_table.h"

namespace sjis_detail {

template <std::size_t N>
struct Utf8Text {
    char bytes[N]{};
    constexpr Utf8Text(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

constexpr int FindCp932(std::uint32_t cp) {
    int lo = 0, hi = kCp932PairCount - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (kCp932Pairs[mid].unicode == cp) return kCp932Pairs[mid].code;
        if (kCp932Pairs[mid].unicode < cp)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

// CP932 never needs more bytes than UTF-8 for the same character.
template <std::size_t N>
struct Cp932Text {
    char bytes[N]{};
    std::size_t size = 0;
};

template <std::size_t N>
constexpr Cp932Text<N> ConvertUtf8ToCp932(const Utf8Text<N>& in) {
    Cp932Text<N> out;
    std::size_t i = 0;
    const std::size_t len = N - 1;  // without the terminating zero
    while (i < len) {
        const unsigned char b = static_cast<unsigned char>(in.bytes[i]);
        std::uint32_t cp = 0;
        int extra = 0;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else
            throw "_sj: invalid or unsupported UTF-8 sequence";
        if (i + extra >= N) throw "_sj: truncated UTF-8 sequence";
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(in.bytes[i + k]);
            if ((c & 0xC0) != 0x80) throw "_sj: invalid UTF-8 continuation";
            cp = (cp << 6) | (c & 0x3F);
        }
        i += extra + 1;
        if (cp < 0x80) {
            out.bytes[out.size++] = static_cast<char>(cp);
            continue;
        }
        const int code = FindCp932(cp);
        if (code < 0) throw "_sj: character has no CP932 code";
        if (code < 0x100) {
            out.bytes[out.size++] = static_cast<char>(code);
        } else {
            out.bytes[out.size++] = static_cast<char>(code >> 8);
            out.bytes[out.size++] = static_cast<char>(code & 0xFF);
        }
    }
    return out;
}

template <Utf8Text S>
struct Cp932Literal {
    static constexpr auto value = ConvertUtf8ToCp932(S);
};

}  // namespace sjis_detail

// Returns one shared string per literal, built once; .c_str() gives the
// zero-terminated bytes for printf-style formats.
template <sjis_detail::Utf8Text S>
const std::string& operator""_sj() {
    static const std::string text(sjis_detail::Cp932Literal<S>::value.bytes,
                                  sjis_detail::Cp932Literal<S>::value.size);
    return text;
}
