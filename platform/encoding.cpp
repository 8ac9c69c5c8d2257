#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One conversion through iconv; an unconvertible or damaged byte is replaced
// by '?' and skipped, so a damaged file name or text still shows.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::string Convert(const char* to, const char* from, const std::string& in, bool utf8Source) {
    if (in.empty()) return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf.data();
        std::size_t dstLeft = buf.size();
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), dst);
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (truncated sequence at the end): replace and skip.
            out.push_back('?');
            const std::size_t n = errno != EILSEQ ? srcLeft
                                  : utf8Source
                                      ? Utf8SequenceLength(static_cast<unsigned char>(*src))
                                      : 1;
            const std::size_t step = n < srcLeft ? n : srcLeft;
            src += step;
            srcLeft -= step;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

namespace {

// The CP932 code of U+E000 + b: the user-defined area runs from 0xF040 on,
// 188 codes to a lead byte (trail bytes 0x40-0x7E, then 0x80-0xFC).
void AppendByteCode(std::string& out, unsigned char b) {
    const unsigned index = b;
    const unsigned lead = 0xF0 + index / 188, t = index % 188;
    out.push_back(static_cast<char>(lead));
    out.push_back(static_cast<char>(t < 63 ? 0x40 + t : 0x80 + (t - 63)));
}

// U+E000 .. U+E0FF in UTF-8 (EE 80 80 .. EE 83 BF) back to their byte.
std::string BytesFromCodes(std::string utf8) {
    if (utf8.find('\xEE') == std::string::npos) return utf8;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c1 = static_cast<unsigned char>(utf8[i]);
        if (c1 == 0xEE && i + 2 < utf8.size()) {
            const auto c2 = static_cast<unsigned char>(utf8[i + 1]);
            const auto c3 = static_cast<unsigned char>(utf8[i + 2]);
            if (c2 >= 0x80 && c2 <= 0x83 && c3 >= 0x80 && c3 <= 0xBF) {
                out.push_back(static_cast<char>(((c2 & 0x03) << 6) | (c3 & 0x3F)));
                i += 2;
                continue;
            }
        }
        out.push_back(static_cast<char>(c1));
    }
    return out;
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none.
std::size_t WellFormedLength(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80   ? 1
                          : c < 0xC2 ? 0
                          : c < 0xE0 ? 2
                          : c < 0xF0 ? 3
                          : c < 0xF5 ? 4
                                     : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    const auto c2 = static_cast<unsigned char>(s[i + 1 < s.size() ? i + 1 : i]);
    if ((c == 0xE0 && c2 < 0xA0) || (c == 0xED && c2 >= 0xA0) || (c == 0xF0 && c2 < 0x90) ||
        (c == 0xF4 && c2 >= 0x90))
        return 0;  // overlong, surrogate or beyond U+10FFFF
    return n;
}

// One conversion of a whole short text; false when any of it fails.
bool ConvertExactly(iconv_t cd, const std::string& in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0)
        return false;
    out.assign(buf, dst);
    return true;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) {
    return BytesFromCodes(Convert("UTF-8", "CP932", cp932, false));
}

std::string FileNameFromOs(const std::string& os) {
    std::string out;
    out.reserve(os.size());
    iconv_t toCp932 = iconv_open("CP932", "UTF-8");
    iconv_t back = iconv_open("UTF-8", "CP932");
    const bool usable =
        toCp932 != reinterpret_cast<iconv_t>(-1) && back != reinterpret_cast<iconv_t>(-1);
    for (std::size_t i = 0; i < os.size();) {
        const auto c = static_cast<unsigned char>(os[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const std::size_t n = WellFormedLength(os, i);
        std::string ch = n ? os.substr(i, n) : std::string(1, static_cast<char>(c));
        std::string code, again;
        // Kept as its CP932 code only when that code comes back as the
        // same character, and never as a code of the area that stands
        // for bytes.
        const bool exact =
            usable && n > 0 && ConvertExactly(toCp932, ch, code) &&
            ConvertExactly(back, code, again) && again == ch &&
            !(code.size() == 2 && (static_cast<unsigned char>(code[0]) & 0xFE) == 0xF0);
        if (exact) {
            out += code;
        } else {
            for (const char b : ch) AppendByteCode(out, static_cast<unsigned char>(b));
        }
        i += ch.size();
    }
    if (toCp932 != reinterpret_cast<iconv_t>(-1)) iconv_close(toCp932);
    if (back != reinterpret_cast<iconv_t>(-1)) iconv_close(back);
    return out;
}

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8, true); }
