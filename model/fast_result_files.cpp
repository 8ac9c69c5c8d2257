#include "model/fast_result_files.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "model/fast_workers.h"
#include "model/frame_results.h"
#include "model/result_files.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

using U128 = unsigned __int128;

// Values this small are written as 0, as the reference writer does.
double Z(double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; }

U128 Pow(unsigned base, int e) {
    U128 r = 1;
    for (int i = 0; i < e; ++i) r *= base;
    return r;
}

// |v| x 10^p rounded half to even, for v = M x 2^E (the float's exact
// value). False when the numbers would not fit 128 bits.
bool ScaledRound(std::uint32_t M, int E, int p, U128& q, U128* floorOut = nullptr) {
    U128 num, den = 1;
    if (p >= 0) {
        if (p > 40) return false;  // 5^40 x 2^24 stays below 2^117
        num = static_cast<U128>(M) * Pow(5, p);
        const int s = E + p;
        if (s >= 0) {
            if (s > 60) return false;
            num <<= s;
        } else {
            if (-s > 120) return false;
            den = static_cast<U128>(1) << (-s);
        }
    } else {
        if (E < 0 || E > 104 || -p > 38) return false;
        num = static_cast<U128>(M) << E;
        den = Pow(10, -p);
    }
    q = num / den;
    const U128 r = num % den;
    if (floorOut) *floorOut = q;
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return true;
}

void Decompose(float v, bool& negative, std::uint32_t& M, int& E) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    negative = (bits >> 31) != 0;
    const int ef = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint32_t mf = bits & 0x7FFFFF;
    M = ef == 0 ? mf : (mf | 0x800000u);
    E = (ef == 0 ? 1 : ef) - 150;
}

// Right-aligns text of length n in a field of width (no cut when longer).
std::size_t Pad(char* out, const char* text, std::size_t n, std::size_t width) {
    std::size_t pad = n < width ? width - n : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text, n);
    return pad + n;
}

std::size_t Fallback(char* out, const char* format, double v) {
    const int n = std::snprintf(out, 64, format, v);
    return n > 0 ? std::min<std::size_t>(static_cast<std::size_t>(n), 63) : 0;
}

std::size_t FormatInt5(char* out, int v) {
    char text[16];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return Pad(out, text, static_cast<std::size_t>(r.ptr - text), 5);
}

}  // namespace

std::size_t FormatFloatE15(char* out, float v) {
    if (!std::isfinite(v) || v == 0) return Fallback(out, "%15.7e", v);
    bool negative;
    std::uint32_t M;
    int E;
    Decompose(v, negative, M, E);
    // k: the decimal exponent, so that 10^7 <= |v| x 10^(7-k) < 10^8.
    int k = static_cast<int>(std::floor(std::log10(std::fabs(static_cast<double>(v)))));
    U128 q = 0, whole = 0;
    for (int tries = 0;; ++tries) {
        if (tries > 3 || !ScaledRound(M, E, 7 - k, q, &whole)) return Fallback(out, "%15.7e", v);
        if (whole < 10000000u) {
            --k;
        } else if (whole >= 100000000u) {
            ++k;
        } else {
            break;
        }
    }
    if (q >= 100000000u) {  // rounded up to the next power of ten
        q /= 10;
        ++k;
    }
    char text[24];
    std::size_t n = 0;
    if (negative) text[n++] = '-';
    char digits[8];
    std::uint32_t d = static_cast<std::uint32_t>(q);
    for (int i = 7; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + d % 10);
        d /= 10;
    }
    text[n++] = digits[0];
    text[n++] = '.';
    std::memcpy(text + n, digits + 1, 7);
    n += 7;
    text[n++] = 'e';
    text[n++] = k < 0 ? '-' : '+';
    const int ak = k < 0 ? -k : k;
    if (ak >= 100) text[n++] = static_cast<char>('0' + ak / 100);
    text[n++] = static_cast<char>('0' + ak / 10 % 10);
    text[n++] = static_cast<char>('0' + ak % 10);
    return Pad(out, text, n, 15);
}

std::size_t FormatFloatF15(char* out, float v) {
    if (!std::isfinite(v) || v == 0 || std::fabs(v) >= 1e15f) return Fallback(out, "%15.4f", v);
    bool negative;
    std::uint32_t M;
    int E;
    Decompose(v, negative, M, E);
    U128 q;
    if (!ScaledRound(M, E, 4, q)) return Fallback(out, "%15.4f", v);
    char text[40];
    std::size_t n = 0;
    if (negative) text[n++] = '-';  // printf keeps the sign of -0.0000
    const auto whole = static_cast<unsigned long long>(q / 10000);
    const auto frac = static_cast<unsigned>(q % 10000);
    const auto r = std::to_chars(text + n, text + sizeof text, whole);
    n = static_cast<std::size_t>(r.ptr - text);
    text[n++] = '.';
    text[n++] = static_cast<char>('0' + frac / 1000);
    text[n++] = static_cast<char>('0' + frac / 100 % 10);
    text[n++] = static_cast<char>('0' + frac / 10 % 10);
    text[n++] = static_cast<char>('0' + frac % 10);
    return Pad(out, text, n, 15);
}

namespace {

// A value of the member-force file: the zero rule, then the exact format.
std::size_t E15(char* out, float v) {
    return Z(v) == 0 ? Pad(out, "0.0000000e+00", 13, 15) : FormatFloatE15(out, v);
}
std::size_t F15(char* out, float v) {
    return Z(v) == 0 ? Pad(out, "0.0000", 6, 15) : FormatFloatF15(out, v);
}

void AddLine(std::string& s, const char* text, std::size_t n) {
    s.append(text, n);
    s.append("\r\n", 2);
}

// The lines of one member of one block, as WriteMemberForceFile adds them.
void MemberLines(std::string& s, const ResultMember& rm, const MemberResult& mr) {
    const int n = std::clamp(rm.pointCount, 0, kMaxResultPoints);
    char line[256];
    std::size_t len = 0;
    std::memcpy(line, "MEMBR", 5);
    len = 5;
    for (const int v : {rm.no, rm.nodeI, rm.nodeJ, n, 2}) len += FormatInt5(line + len, v);
    AddLine(s, line, len);
    for (int r = 1; r <= n + 2; ++r) {
        const char* label = r <= n ? rm.pointLabel[r] : "";
        if (r == n + 1) {
            std::memcpy(line, "m-max", 5);
            label = "M-max";
            len = 5;
        } else if (r == n + 2) {
            std::memcpy(line, "m-min", 5);
            label = "M-min";
            len = 5;
        } else {
            len = FormatInt5(line, r);
        }
        len += F15(line + len, mr.values[kQtyPos][r]);
        for (int q = kQtyM; q <= kQtyDisp; ++q) len += E15(line + len, mr.values[q][r]);
        std::memcpy(line + len, "     ", 5);
        len += 5;
        const std::size_t labelLen = strnlen(label, kPointLabelBytes);
        s.append(line, len);
        s.append(label, labelLen);
        s.append("\r\n", 2);
    }
}

// The lines of one task of a slice: task 0 of each block is its head
// (heading and CASE line), task m its member m.
void FormatTask(std::string& s, const FrameResults& results, const ResultCase& b, int m,
                const std::string& head) {
    if (m == 0) {
        char line[64];
        std::size_t len = 5;
        std::memcpy(line, "CASE ", 5);
        len += FormatInt5(line + len, b.caseNo);
        len += FormatInt5(line + len, results.memberCount);
        s.reserve(head.size() + len + 4);
        AddLine(s, head.data(), head.size());
        AddLine(s, line, len);
        return;
    }
    const int points = std::clamp(results.member[m].pointCount, 0, kMaxResultPoints);
    s.reserve(static_cast<std::size_t>(points + 3) * 110);
    MemberLines(s, results.member[m], b.members[m]);
}

// One member-force file (".F31" load cases, ".F32" combinations).
bool WriteMemberForceFileFast(const FrameResults& results, int which, const std::string& name) {
    std::FILE* f = std::fopen(OsFileName(name).c_str(), "wb");
    if (!f) return false;
    const std::string& head = which == kResultLoadCases ? "部材力"_sj : "部材力（組み合せ）"_sj;
    const int cases = std::clamp(results.caseCount, 0, kMaxResultCases);
    std::vector<int> blocks;
    if (which == kResultLoadCases) {
        for (int c = 1; c <= cases; ++c) blocks.push_back(CaseBlockIndex(c));
    } else {
        for (int k = 1; k <= std::clamp(results.comboCount, 0, kMaxResultCombos); ++k)
            blocks.push_back(cases + 1 + k);
    }
    const int members = std::clamp(results.memberCount, 0, kResultMemberSlots - 1);
    const int perBlock = members + 1;  // the block head, then each member
    // A few blocks at a time: formatted in parallel, written in order by a
    // thread of its own while the next slice is formatted.
    constexpr int kSlice = 8;
    std::vector<std::string> parts[2];
    std::thread writer;
    bool ok = true;  // set by the writer thread only while it runs
    int slot = 0;
    for (std::size_t first = 0; first < blocks.size(); first += kSlice, slot ^= 1) {
        const int count = static_cast<int>(std::min<std::size_t>(kSlice, blocks.size() - first));
        std::vector<std::string>& slice = parts[slot];
        std::atomic<bool> outOfMemory{false};
        try {
            slice.assign(static_cast<std::size_t>(count * perBlock), std::string());
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        if (!outOfMemory) {
            ParallelFor(count * perBlock, [&](int task) {
                const ResultCase& b = results.block[blocks[first + static_cast<std::size_t>(task / perBlock)]];
                try {
                    FormatTask(slice[static_cast<std::size_t>(task)], results, b, task % perBlock, head);
                } catch (const std::bad_alloc&) {
                    outOfMemory = true;
                }
            });
        }
        if (writer.joinable()) writer.join();
        if (outOfMemory) ok = false;
        if (!ok) break;
        auto write = [&ok, &slice, f] {
            for (const std::string& s : slice) {
                if (!s.empty() && std::fwrite(s.data(), 1, s.size(), f) != s.size()) {
                    ok = false;
                    return;
                }
            }
        };
        try {
            writer = std::thread(write);
        } catch (const std::system_error&) {
            write();  // no thread to spare: write the slice here
        }
    }
    if (writer.joinable()) writer.join();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

bool WriteSdkResultFilesFast(const FrameResults& results, const std::string& base, std::string* failed) {
    using Writer = void (*)(TStringList&, const FrameResults&, int);
    static const Writer writers[4] = {WriteReactionFile, WriteReactionFile, WriteDisplacementFile,
                                      WriteDisplacementFile};
    bool all = true;
    TStringList list;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        const int which = f % 2 == 0 ? kResultLoadCases : kResultCombinations;
        const std::string name = base + SdkResultExtensions()[f];
        bool wrote;
        if (f < 4) {
            list.Clear();
            writers[f](list, results, which);
            wrote = SaveListIfWritable(list, name);
        } else {
            wrote = WriteMemberForceFileFast(results, which, name);
        }
        if (!wrote) {
            all = false;
            if (failed) *failed += name + "\n";
        }
    }
    return all;
}
