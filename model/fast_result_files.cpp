#include "model/fast_result_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "model/fast_workers.h"
#include "model/frame_results.h"
#include "model/result_files.h"
#include "platform/assertions.h"
#include "platform/file_replace.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "platform/thread_start.h"

namespace {

using U128 = unsigned __int128;

// Values this small are written as 0.
double Z(double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; }

U128 Pow(unsigned base, int e) {
    U128 r = 1;
    for (int i = 0; i < e; ++i) r *= base;
    return r;
}

// 5^p for p = 0..40, as 128-bit integers (5^40 < 2^93).
struct Pow5Table {
    U128 v[41];
    constexpr Pow5Table() : v() {
        v[0] = 1;
        for (int p = 1; p <= 40; ++p) v[p] = v[p - 1] * 5;
    }
};
constexpr Pow5Table kPow5;

// |v| x 10^p rounded half to even, for v = M x 2^E (the float's exact
// value): M x 5^p x 2^(E + p), with only a multiplication and shifts for
// 0 <= p <= 40 (every value the files hold); the long division otherwise.
// False when the numbers would not fit 128 bits.
bool ScaledRound(std::uint32_t M, int E, int p, U128& q, U128* floorOut = nullptr) {
    U128 num, den = 1;
    if (p >= 0) {
        if (p > 40) return false;  // 5^40 x 2^24 stays below 2^117
        num = static_cast<U128>(M) * kPow5.v[p];
        const int s = E + p;
        if (s >= 0) {
            if (s > 10) return false;
            q = num << s;
            if (floorOut) *floorOut = q;
            return true;
        }
        if (-s > 120) return false;
        const int shift = -s;
        q = num >> shift;
        const U128 r = num - (q << shift);
        const U128 half = static_cast<U128>(1) << (shift - 1);
        if (floorOut) *floorOut = q;
        if (r > half || (r == half && (q & 1) != 0)) ++q;
        return true;
    }
    if (E < 0 || E > 104 || -p > 38) return false;
    num = static_cast<U128>(M) << E;
    den = Pow(10, -p);
    q = num / den;
    const U128 r = num % den;
    if (floorOut) *floorOut = q;
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return true;
}

// The decimal exponent of |v| (floor of log10), by comparison with the
// powers of ten: a first guess that the caller corrects by the digits.
int DecimalExponent(double a) {
    static const double kTens[] = {
        1e-46, 1e-45, 1e-44, 1e-43, 1e-42, 1e-41, 1e-40, 1e-39, 1e-38, 1e-37, 1e-36, 1e-35, 1e-34,
        1e-33, 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21,
        1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,
        1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,
        1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,
        1e19,  1e20,  1e21,  1e22,  1e23,  1e24,  1e25,  1e26,  1e27,  1e28,  1e29,  1e30,  1e31,
        1e32,  1e33,  1e34,  1e35,  1e36,  1e37,  1e38,  1e39};
    const double* end = kTens + sizeof kTens / sizeof kTens[0];
    const double* it = std::upper_bound(kTens, end, a);
    if (it == kTens) return -47;
    return static_cast<int>(it - kTens) - 1 - 46;
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

// Two decimal digits of 0..99.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the n digits of d (leading zeros kept) ending just before end.
void PutDigits(char* end, std::uint64_t d, int n) {
    for (; n >= 2; n -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (d % 100), 2);
        d /= 100;
    }
    if (n == 1) *--end = static_cast<char>('0' + d % 10);
}

// Exact powers of ten as doubles.
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

// The common case of FormatFloatE15, 1e-5 <= |v| < 1e8: |v| x 10^p for
// p = 7 - k <= 12 is exact in a double (24 bits of the float times the 28
// bits of 5^12 fit its 53), so rint, which rounds half to even, gives the
// eight digits exactly. Returns 0 for any other value (the general
// routine takes it).
std::size_t QuickE15(char* out, bool negative, double a) {
    if (!(a >= 1e-5 && a < 1e8)) return 0;
    // Powers of ten around the range; 10^j for j < 0 is not a double, but
    // no float lies between 10^j and its nearest double, so the
    // comparison still tells the decimal exponent exactly.
    static const double kTens[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,
                                   1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8};
    int k = -5;
    while (a >= kTens[k + 6]) ++k;  // 10^k <= a < 10^(k + 1)
    const double x = a * kPow10[7 - k];
    auto q = static_cast<std::uint32_t>(std::rint(x));
    if (q >= 100000000u) {  // rounded up to the next power of ten
        q /= 10;
        ++k;
    }
    // "  d.ddddddde+kk" or " -d.ddddddde+kk": 15 bytes either way.
    out[0] = out[1] = ' ';
    char* t = out + 2;
    if (negative) t[-1] = '-';
    t[0] = static_cast<char>('0' + q / 10000000u);
    t[1] = '.';
    PutDigits(t + 9, q % 10000000u, 7);
    t[9] = 'e';
    t[10] = k < 0 ? '-' : '+';
    PutDigits(t + 13, static_cast<std::uint64_t>(k < 0 ? -k : k), 2);
    return 15;
}

// The common case of FormatFloatF15, |v| < 1e8: |v| x 10^4 is exact in a
// double (24 + 10 bits), and rint rounds it half to even. Returns 0
// otherwise.
std::size_t QuickF15(char* out, bool negative, double a) {
    if (!(a < 1e8)) return 0;
    const auto q = static_cast<std::uint64_t>(std::rint(a * 1e4));
    const std::uint64_t whole = q / 10000;
    int digits = 1;
    for (std::uint64_t w = whole; w >= 10; w /= 10) ++digits;
    std::memset(out, ' ', 15);
    PutDigits(out + 15, q % 10000, 4);
    out[10] = '.';
    PutDigits(out + 10, whole, digits);
    if (negative) out[9 - digits] = '-';  // printf keeps the sign of -0.0000
    return 15;
}

}  // namespace

std::size_t FormatFloatE15(char* out, float v) {
    if (!std::isfinite(v) || v == 0) return Fallback(out, "%15.7e", v);
    if (const std::size_t n = QuickE15(out, std::signbit(v), std::fabs(static_cast<double>(v))))
        return n;
    bool negative;
    std::uint32_t M;
    int E;
    Decompose(v, negative, M, E);
    // k: the decimal exponent, so that 10^7 <= |v| x 10^(7-k) < 10^8.
    int k = DecimalExponent(std::fabs(static_cast<double>(v)));
    U128 q = 0, whole = 0;
    for (int tries = 0;; ++tries) {
        if (tries > 4 || !ScaledRound(M, E, 7 - k, q, &whole)) return Fallback(out, "%15.7e", v);
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
    if (const std::size_t n = QuickF15(out, std::signbit(v), std::fabs(static_cast<double>(v))))
        return n;
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

int MemberSlotsUsed(const FrameResults& results) {
    return CheckedCount(results.memberCount, kResultMemberSlots - 1);
}

// The blocks of a member-force file in file order.
std::vector<int> FileBlocks(const FrameResults& results, int which) {
    const int cases = CheckedCount(results.caseCount, kMaxResultCases);
    std::vector<int> blocks;
    if (which == kResultLoadCases) {
        for (int c = 1; c <= cases; ++c) blocks.push_back(CaseBlockIndex(c));
    } else {
        for (int k = 1; k <= CheckedCount(results.comboCount, kMaxResultCombos); ++k)
            blocks.push_back(cases + 1 + k);
    }
    return blocks;
}

const std::string& FileHeading(int which) {
    return which == kResultLoadCases ? "部材力"_sj : "部材力（組み合せ）"_sj;
}

void AddLine(std::string& s, const char* text, std::size_t n) {
    s.append(text, n);
    s.append("\r\n", 2);
}

// Room MemberLinesTo needs at most: the MEMBR line, and per row the row
// number, a %15.4f field (up to 63 bytes for the largest floats), four
// %15.7e fields (15 bytes for every float), the gap, a label and CR LF.
constexpr std::size_t kMemberLineRoom = 5 + 5 * 16 + 2;
constexpr std::size_t kRowRoom = 5 + 64 + 4 * 15 + 5 + kPointLabelBytes + 2;

std::size_t MemberLinesRoom(const ResultMember& rm) {
    const int n = CheckedCount(rm.pointCount, kMaxResultPoints);
    return kMemberLineRoom + static_cast<std::size_t>(n + 2) * kRowRoom;
}

// The lines of one member of one block, as printf formatting gives them,
// written at out (MemberLinesRoom bytes at most); returns their end.
char* MemberLinesTo(char* out, const ResultMember& rm, const MemberResult& mr) {
    const int n = CheckedCount(rm.pointCount, kMaxResultPoints);
    std::memcpy(out, "MEMBR", 5);
    out += 5;
    for (const int v : {rm.no, rm.nodeI, rm.nodeJ, n, 2}) out += FormatInt5(out, v);
    std::memcpy(out, "\r\n", 2);
    out += 2;
    for (int r = 1; r <= n + 2; ++r) {
        const char* label = r <= n ? rm.pointLabel[r] : "";
        if (r == n + 1) {
            std::memcpy(out, "m-max", 5);
            label = "M-max";
        } else if (r == n + 2) {
            std::memcpy(out, "m-min", 5);
            label = "M-min";
        } else {
            // The row number, at most three digits, right-aligned in 5.
            std::memset(out, ' ', 5);
            PutDigits(out + 5, static_cast<std::uint64_t>(r), r >= 100 ? 3 : r >= 10 ? 2 : 1);
        }
        out += 5;
        out += F15(out, mr.values[kQtyPos][r]);
        for (int q = kQtyM; q <= kQtyDisp; ++q) out += E15(out, mr.values[q][r]);
        std::memcpy(out, "     ", 5);
        out += 5;
        const std::size_t labelLen = strnlen(label, kPointLabelBytes);
        std::memcpy(out, label, labelLen);
        out += labelLen;
        std::memcpy(out, "\r\n", 2);
        out += 2;
    }
    return out;
}

void MemberLines(std::string& s, const ResultMember& rm, const MemberResult& mr) {
    const std::size_t old = s.size();
    s.resize(old + MemberLinesRoom(rm));
    char* end = MemberLinesTo(s.data() + old, rm, mr);
    s.resize(static_cast<std::size_t>(end - s.data()));
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
    const int points = CheckedCount(results.member[m].pointCount, kMaxResultPoints);
    s.reserve(static_cast<std::size_t>(points + 3) * 110);
    MemberLines(s, results.member[m], b.members[m]);
}

// One member-force file (".F31" load cases, ".F32" combinations),
// formatted in slices and streamed in order by one writer thread: the way
// used where positional writes are not available, or when a piece's length
// was not foreseen.
bool WriteMemberForceFileStream(const FrameResults& results, int which, const std::string& name) {
    ReplacingFile out;
    if (!out.Open(name)) return false;
    const std::string& head = FileHeading(which);
    const std::vector<int> blocks = FileBlocks(results, which);
    const int members = MemberSlotsUsed(results);
    const int perBlock = members + 1;  // the block head, then each member
    // A few blocks at a time: formatted in parallel, written in order by a
    // thread of its own while the next slice is formatted.
    constexpr int kSlice = 8;
    std::vector<std::string> parts[2];
    std::thread writer;
    bool ok = true;  // set by the writer thread only while it runs
    bool memoryFailed = false;
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
                const ResultCase& b =
                    results.block[blocks[first + static_cast<std::size_t>(task / perBlock)]];
                try {
                    FormatTask(slice[static_cast<std::size_t>(task)], results, b, task % perBlock,
                               head);
                } catch (const std::bad_alloc&) {
                    outOfMemory = true;
                }
            });
        }
        if (writer.joinable()) writer.join();
        if (outOfMemory) ok = false;
        memoryFailed = memoryFailed || outOfMemory;
        if (!ok) break;
        auto write = [&ok, &slice, &out] {
            for (const std::string& s : slice) {
                if (!out.Write(s.data(), s.size())) {
                    ok = false;
                    return;
                }
            }
        };
        if (!StartThread(writer, write)) write();  // no thread to spare: written here
    }
    if (writer.joinable()) writer.join();
    if (!ok) out.Fail(memoryFailed ? ENOMEM : 0);
    return out.Commit();
}

// A run of members of one block of one member-force file; the first run
// of a block carries the block's head.
struct Piece {
    int file = 0;   // 0 ".F31", 1 ".F32"
    int block = 0;  // index into results.block
    int first = 1, last = 0;
};

// Members per piece: pieces of some hundred kilobytes, enough of them to
// keep every thread busy while the writer copies into the file.
constexpr int kPieceMembers = 32;

// Formatting threads of a job: three of them keep up with its writer, and
// two jobs with their writers fill eight processors.
constexpr int kFormatThreads = 3;

// The pieces of one file (0 ".F31", 1 ".F32") in file order.
std::vector<Piece> CutPieces(const FrameResults& results, int file) {
    const int members = MemberSlotsUsed(results);
    std::vector<Piece> pieces;
    for (const int block :
         FileBlocks(results, file == 0 ? kResultLoadCases : kResultCombinations)) {
        for (int first = 1;; first += kPieceMembers) {
            Piece p;
            p.file = file;
            p.block = block;
            p.first = first;
            p.last = std::min(members, first + kPieceMembers - 1);
            pieces.push_back(p);
            if (p.last >= members) break;
        }
    }
    return pieces;
}

// The text of one piece, in a buffer of `capacity` bytes.
struct Text {
    std::unique_ptr<char[]> data;
    std::size_t size = 0, capacity = 0;
};

// Formatted pieces of one file handed from the formatting threads to its
// writer.
class PieceQueue {
  public:
    explicit PieceQueue(std::size_t pieces) : text_(pieces), ready_(pieces, 0) {}

    // A buffer of at least `room` bytes: one the writers have finished
    // with when there is one (fresh memory would cost a page fault per
    // page, every piece).
    Text Buffer(std::size_t room) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t k = 0; k < free_.size(); ++k) {
                if (free_[k].capacity >= room) {
                    Text t = std::move(free_[k]);
                    free_[k] = std::move(free_.back());
                    free_.pop_back();
                    t.size = 0;
                    return t;
                }
            }
        }
        Text t;
        t.data.reset(new char[room]);
        t.capacity = room;
        return t;
    }
    // Hands over piece i, then waits while too much text waits for the
    // writers (the piece is handed over first, so a writer never waits
    // for a thread that waits for it).
    void Put(std::size_t i, Text&& text) {
        std::unique_lock<std::mutex> lock(mutex_);
        pending_ += text.size;
        text_[i] = std::move(text);
        ready_[i] = 1;
        if (waitingFor_ == i) readyCv_.notify_one();
        if (pending_ > kPendingLimit) {
            ++roomWaiters_;
            roomCv_.wait(lock, [this] { return pending_ <= kPendingLimit; });
            --roomWaiters_;
        }
    }
    Text Take(std::size_t i) {
        std::unique_lock<std::mutex> lock(mutex_);
        waitingFor_ = i;
        readyCv_.wait(lock, [&] { return ready_[i] != 0; });
        waitingFor_ = kNone;
        return std::move(text_[i]);
    }
    // A writer is done with a piece: its buffer goes back for reuse.
    void Done(Text&& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ -= text.size;
        try {
            if (text.data) free_.push_back(std::move(text));
        } catch (const std::bad_alloc&) {
            // No room to keep the buffer for reuse: it is freed instead
            // (this runs on the writer thread, which must not end on it).
        }
        if (roomWaiters_ > 0 && pending_ <= kPendingLimit) roomCv_.notify_all();
    }

  private:
    static constexpr std::size_t kPendingLimit = std::size_t{32} << 20;
    static constexpr std::size_t kNone = ~std::size_t{0};
    std::mutex mutex_;
    std::condition_variable readyCv_, roomCv_;
    std::vector<Text> text_, free_;
    std::vector<char> ready_;
    std::size_t waitingFor_ = kNone;
    std::size_t pending_ = 0;
    int roomWaiters_ = 0;
};

// The text of one piece, in a buffer from the queue.
Text FormatPiece(const FrameResults& results, const Piece& p, PieceQueue& queue) {
    const ResultCase& b = results.block[p.block];
    std::string head;
    if (p.first == 1)
        FormatTask(head, results, b, 0,
                   FileHeading(p.file == 0 ? kResultLoadCases : kResultCombinations));
    std::size_t room = head.size();
    for (int m = p.first; m <= p.last; ++m) room += MemberLinesRoom(results.member[m]);
    Text t = queue.Buffer(room);
    char* out = t.data.get();
    std::memcpy(out, head.data(), head.size());
    out += head.size();
    for (int m = p.first; m <= p.last; ++m)
        out = MemberLinesTo(out, results.member[m], b.members[m]);
    t.size = static_cast<std::size_t>(out - t.data.get());
    return t;
}

}  // namespace

struct BlockGate::State {
    mutable std::mutex mutex;
    mutable std::condition_variable opened;
    std::vector<char> open = std::vector<char>(kResultCaseSlots, 0);
    bool all = false;
};

BlockGate::BlockGate() : state_(std::make_unique<State>()) {}
BlockGate::~BlockGate() = default;

void BlockGate::Open(int block) {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (block >= 0 && block < kResultCaseSlots)
            state_->open[static_cast<std::size_t>(block)] = 1;
    }
    state_->opened.notify_all();
}

void BlockGate::OpenAll() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->all = true;
    }
    state_->opened.notify_all();
}

void BlockGate::WaitOpen(int block) const {
    std::unique_lock<std::mutex> lock(state_->mutex);
    const bool inRange = block >= 0 && block < kResultCaseSlots;
    state_->opened.wait(lock, [&] {
        return state_->all || (inRange && state_->open[static_cast<std::size_t>(block)] != 0);
    });
}

// The job's state, shared by its threads.
struct MemberForceFileJob::State {
    State(const FrameResults& r, int file)
        : results(r), pieces(CutPieces(r, file)), queue(pieces.size()) {}
    const FrameResults& results;
    const BlockGate* gate = nullptr;
    const std::vector<Piece> pieces;
    PieceQueue queue;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> good{true};
    std::atomic<bool> outOfMemory{false};
    ReplacingFile file;
    std::vector<std::thread> formatters;
    std::thread writer;
    // No formatting thread could be started: the pieces are formatted by
    // the thread that calls Finish.
    bool formatInFinish = false;
    std::function<void()> format;
};

MemberForceFileJob::MemberForceFileJob() = default;

// A job nobody finished belongs to an analysis or a writing that did not
// end: its file stays as it was.
MemberForceFileJob::~MemberForceFileJob() { Abandon(); }

bool MemberForceFileJob::Start(const FrameResults& results, int which, const std::string& name,
                               int threads, const BlockGate* gate) {
    if (state_) return false;
    try {
        state_ = std::make_unique<State>(results, which == kResultLoadCases ? 0 : 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    State& st = *state_;
    st.gate = gate;
    if (!st.file.Open(name)) st.good = false;
    st.format = [&st] {
        for (;;) {
            const std::size_t i = st.next.fetch_add(1);
            if (i >= st.pieces.size()) return;
            Text text;
            if (st.gate) st.gate->WaitOpen(st.pieces[i].block);
            if (st.good) {
                try {
                    text = FormatPiece(st.results, st.pieces[i], st.queue);
                } catch (const std::bad_alloc&) {
                    st.outOfMemory = true;
                    st.good = false;
                }
            }
            st.queue.Put(i, std::move(text));
        }
    };
    auto write = [&st] {
        for (std::size_t i = 0; i < st.pieces.size(); ++i) {
            Text text = st.queue.Take(i);
            if (st.good && !st.file.Write(text.data.get(), text.size)) st.good = false;
            st.queue.Done(std::move(text));
        }
    };
    // Without its writer the job cannot run: the caller writes the file
    // another way.
    if (!StartThread(st.writer, write)) {
        state_.reset();
        return false;
    }
    try {
        st.formatters.reserve(static_cast<std::size_t>(std::max(threads, 1)));
    } catch (const std::bad_alloc&) {
    }
    for (int t = 0; t < std::max(threads, 1) && st.formatters.size() < st.formatters.capacity();
         ++t) {
        std::thread formatter;
        if (!StartThread(formatter, st.format)) break;
        st.formatters.push_back(std::move(formatter));
    }
    // With no formatter at all the pieces wait for Finish: formatting them
    // here could wait on the gate for blocks that only this thread (the
    // analysis) has still to form.
    st.formatInFinish = st.formatters.empty();
    return true;
}

bool MemberForceFileJob::Started() const { return state_ != nullptr; }

bool MemberForceFileJob::Finish() { return End(true); }

bool MemberForceFileJob::End(bool commit) {
    if (!state_) return false;
    State& st = *state_;
    if (!commit) st.good = false;  // nothing more is formatted or written
    if (st.formatInFinish) st.format();
    for (std::thread& t : st.formatters) t.join();
    if (st.writer.joinable()) st.writer.join();
    bool ok = false;
    if (commit) {
        if (!st.good) st.file.Fail(st.outOfMemory ? ENOMEM : 0);
        ok = st.file.Commit();
    } else {
        st.file.Discard();
    }
    state_.reset();
    return ok;
}

void MemberForceFileJob::Abandon() { End(false); }

MemberForceFilesDuringAnalysis::MemberForceFilesDuringAnalysis(const FrameResults& results,
                                                               std::string base)
    : results_(results), base_(std::move(base)) {}

MemberForceFilesDuringAnalysis::~MemberForceFilesDuringAnalysis() {
    // Only WriteSdkResultFiles, after a finished analysis, commits the
    // files; a job still running here belongs to an analysis that was left
    // by an exception, and its file stays as it was.
    Abandon();
}

std::function<void(int)> MemberForceFilesDuringAnalysis::BlockFinal() {
    // Two formatting threads per file keep up with its writer; more only
    // crowd the threads still forming the combinations.
    constexpr int kThreads = 2;
    return [this](int block) {
        if (block != 0) {
            combinations_.Open(block);
            return;
        }
        jobs_[0].Start(results_, kResultLoadCases, base_ + SdkResultExtensions()[4], kThreads);
        jobs_[1].Start(results_, kResultCombinations, base_ + SdkResultExtensions()[5], kThreads,
                       &combinations_);
    };
}

void MemberForceFilesDuringAnalysis::AnalysisOver() { combinations_.OpenAll(); }

void MemberForceFilesDuringAnalysis::Abandon() {
    combinations_.OpenAll();
    for (MemberForceFileJob& job : jobs_) job.Abandon();
}

bool WriteSdkResultFiles(const FrameResults& results, const std::string& base, std::string* failed,
                         MemberForceFileJob* started) {
    using Writer = void (*)(TStringList&, const FrameResults&, int);
    static const Writer writers[4] = {WriteReactionFile, WriteReactionFile, WriteDisplacementFile,
                                      WriteDisplacementFile};
    bool wrote[kSdkResultFileCount] = {};
    auto names = [&base](int f) { return base + SdkResultExtensions()[f]; };
    // The small files on a thread of their own, beside the big ones.
    auto smallFiles = [&] {
        TStringList list;
        for (int f = 0; f < 4; ++f) {
            const int which = f % 2 == 0 ? kResultLoadCases : kResultCombinations;
            list.Clear();
            try {
                writers[f](list, results, which);
                wrote[f] = SaveListIfWritable(list, names(f));
            } catch (const std::bad_alloc&) {
                wrote[f] = false;
                NoteWriteFailure(names(f), ReplacingFile::Failure::kWriteFailed, ENOMEM);
            }
        }
    };
    std::thread side;
    if (!StartThread(side, smallFiles)) smallFiles();
    // Each member-force file by a job of its own, unless it is on its way
    // already; without threads to spare, formatted and written here.
    MemberForceFileJob own[2];
    MemberForceFileJob* jobs[2] = {&own[0], &own[1]};
    for (int f = 0; f < 2; ++f) {
        const int which = f == 0 ? kResultLoadCases : kResultCombinations;
        if (started != nullptr && started[f].Started()) {
            jobs[f] = &started[f];
        } else if (!own[f].Start(results, which, names(4 + f), kFormatThreads)) {
            jobs[f] = nullptr;
            wrote[4 + f] = WriteMemberForceFileStream(results, which, names(4 + f));
        }
    }
    for (int f = 0; f < 2; ++f)
        if (jobs[f]) wrote[4 + f] = jobs[f]->Finish();
    if (side.joinable()) side.join();
    bool all = true;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        if (!wrote[f]) {
            all = false;
            if (failed) *failed += names(f) + "\n";
        }
    }
    return all;
}
