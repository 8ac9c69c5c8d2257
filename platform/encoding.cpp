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

std::string Cp932ToUtf8(const std::string& cp932) {
    return Convert("UTF-8", "CP932", cp932, false);
}

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8, true); }
