// The program's result-file writer must give the bytes of the reference
// writer (tests/oracle): its number formatting is checked against printf
// on floats of every kind (random bit patterns, exact halfway cases,
// powers of ten, the zero rule boundary), and whole files against the
// reference's.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "model/fast_result_files.h"
#include "model/frame_results.h"
#include "model/result_files.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"
#include "tests/oracle/reference_result_files.h"

namespace {

std::string Fast(float v, bool fixed) {
    char out[64];
    const std::size_t n = fixed ? FormatFloatF15(out, v) : FormatFloatE15(out, v);
    return std::string(out, n);
}

std::string Printf(float v, bool fixed) {
    char out[64];
    std::snprintf(out, sizeof out, fixed ? "%15.4f" : "%15.7e", static_cast<double>(v));
    return out;
}

// Compares both formats for one value; returns false (after one failure
// message) on a difference, so a loop stops at the first.
bool Same(float v) {
    for (const bool fixed : {false, true}) {
        const std::string a = Fast(v, fixed), b = Printf(v, fixed);
        if (a != b) {
            ADD_FAILURE() << (fixed ? "%15.4f" : "%15.7e") << " of " << std::hexfloat << v << ": '"
                          << a << "' vs '" << b << "'";
            return false;
        }
    }
    return true;
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(FastResultFiles, NumbersAreFormattedAsPrintfFormatsThem) {
    // Random bit patterns over the whole float range.
    std::mt19937 rng(2024);
    for (int k = 0; k < 400000; ++k) {
        const std::uint32_t bits = rng();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!Same(v)) return;
    }
    // The magnitudes result values have (1e-6 to 1e9), evenly on a log scale.
    std::uniform_real_distribution<double> logMag(-6.0, 9.0);
    for (int k = 0; k < 300000; ++k) {
        const float v = static_cast<float>(std::pow(10.0, logMag(rng)));
        if (!Same(v) || !Same(-v)) return;
    }
    // Dyadic values m / 2^e: their decimal expansions end, and many end in
    // an exact half at the last printed digit (2.44140625e-03).
    for (int m = 1; m < 4096; ++m) {
        for (int e = -20; e <= 40; ++e) {
            const float v = std::ldexp(static_cast<float>(m), -e);
            if (!Same(v) || !Same(-v)) return;
        }
    }
    // Powers of ten and their neighbours, the zero-rule boundary, extremes.
    for (int p = -30; p <= 38; ++p) {
        const float v = static_cast<float>(std::pow(10.0, p));
        for (const float w : {v, std::nextafter(v, 0.0f),
                              std::nextafter(v, std::numeric_limits<float>::infinity())}) {
            if (!Same(w) || !Same(-w)) return;
        }
    }
    for (const float v :
         {0.0f, -0.0f, 1e-30f, 99999.99995f, 0.00005f, 0.00015f, 1e15f, -1e15f,
          std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
          std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        if (!Same(v) || !Same(-v)) return;
    }
}

// A results record filled with random values and awkward ones: tiny ones
// under the zero rule, -0, halfway cases, positions of 1e8 and more (wider
// fields), infinities, numbers of more than five digits, labels that fill
// their slot without a terminating NUL, members without points.
struct RecordShape {
    int members, cases, combos;
    unsigned seed;
};

FrameResults* NewRecord(const RecordShape& shape) {
    FrameResults* r = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    if (!r) return nullptr;
    std::mt19937 rng(shape.seed);
    std::uniform_real_distribution<float> u(-1000.0f, 1000.0f);
    r->nodeCount = 5;
    r->memberCount = shape.members;
    r->caseCount = shape.cases;
    r->comboCount = shape.combos;
    for (int n = 1; n <= 5; ++n) r->node[n].no = 10 * n;
    for (int m = 1; m <= shape.members; ++m) {
        ResultMember& rm = r->member[m];
        rm.no = m % 9 == 0 ? 1234567 : m + 100;
        rm.nodeI = m;
        rm.nodeJ = m % 11 == 0 ? -98765 : m + 1;
        rm.pointCount = m % 6 == 0 ? 0 : static_cast<int>(rng() % kMaxResultPoints) + 1;
        std::snprintf(rm.pointLabel[1], kPointLabelBytes, "END");
        std::snprintf(rm.pointLabel[2], kPointLabelBytes, "P%d", m);
        std::memset(rm.pointLabel[3], 'L', kPointLabelBytes);  // no NUL
    }
    const float odd[] = {1e-31f,
                         -1e-31f,
                         -0.0f,
                         2.44140625e-3f,
                         0.00005f,
                         123456.789f,
                         99999999.0f,
                         1.0e8f,
                         -4.5e12f,
                         3.0e38f,
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    const int oddCount = sizeof odd / sizeof odd[0];
    for (int b = 1; b <= shape.cases + shape.combos + 1; ++b) {
        ResultCase& block = r->block[b];
        block.caseNo = b;
        block.reactionCount = 2;
        block.reactions[1] = {10, u(rng), -0.0f, 1e-35f};
        block.reactions[2] = {50, u(rng), u(rng), u(rng)};
        for (int n = 1; n <= 5; ++n) block.nodes[n].dx = u(rng) * 1e-3;
        for (int m = 1; m <= shape.members; ++m)
            for (int q = 0; q < kQtyCount; ++q)
                for (int p = 1; p <= r->member[m].pointCount + 2; ++p)
                    block.members[m].values[q][p] = (p % 7 == 0) ? odd[(p + q + m) % oddCount]
                                                                 : u(rng) * std::pow(10.0f, q - 2);
    }
    return r;
}

std::string OutputDir() {
    const std::string dir = CaseOutputDir() + "/fast_result_files/";
    ForceDirectories(dir);
    return dir;
}

}  // namespace

TEST(FastResultFiles, FilesAreByteIdenticalToTheReferenceWriter) {
    // One member, no combinations, exactly one and several pieces of
    // members per block, a record without members.
    const RecordShape shapes[] = {{6, 3, 2, 7},   {1, 1, 0, 8},   {32, 2, 1, 9},
                                  {33, 2, 2, 10}, {70, 3, 3, 11}, {0, 2, 1, 12}};
    const std::string dir = OutputDir();
    for (const RecordShape& shape : shapes) {
        FrameResults* r = NewRecord(shape);
        ASSERT_NE(r, nullptr);
        ASSERT_TRUE(reference::WriteSdkResultFiles(*r, dir + "ref"));
        std::string failed;
        EXPECT_TRUE(WriteSdkResultFiles(*r, dir + "fast", &failed));
        EXPECT_EQ(failed, "");
        for (int f = 0; f < kSdkResultFileCount; ++f) {
            const std::string ext = SdkResultExtensions()[f];
            const std::string a = ReadAll(dir + "ref" + ext), b = ReadAll(dir + "fast" + ext);
            EXPECT_TRUE(FileExists(dir + "fast" + ext)) << ext;
            EXPECT_TRUE(a == b) << ext << " differs for " << shape.members << " members, seed "
                                << shape.seed;
        }
        std::free(r);
    }
}

TEST(FastResultFiles, AShorterFileReplacesALongerOne) {
    const std::string dir = OutputDir();
    FrameResults* big = NewRecord({40, 3, 3, 21});
    FrameResults* small = NewRecord({3, 1, 1, 22});
    ASSERT_TRUE(big && small);
    ASSERT_TRUE(WriteSdkResultFiles(*big, dir + "over"));
    ASSERT_TRUE(WriteSdkResultFiles(*small, dir + "over"));
    ASSERT_TRUE(reference::WriteSdkResultFiles(*small, dir + "plain"));
    for (const char* ext : {".F31", ".F32"})
        EXPECT_TRUE(ReadAll(dir + "over" + ext) == ReadAll(dir + "plain" + ext)) << ext;
    std::free(big);
    std::free(small);
}

// A file size limit makes the big files fail part way (the small ones fit):
// a write error in the middle of a file is reported, not passed over.
TEST(FastResultFiles, AWriteErrorInTheMiddleOfAFileIsReported) {
    const std::string dir = OutputDir();
    FrameResults* r = NewRecord({70, 3, 3, 31});
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(reference::WriteSdkResultFiles(*r, dir + "sizes"));
    const std::size_t smallest = ReadAll(dir + "sizes.F31").size();
    ASSERT_GT(smallest, 300000u);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 200000;  // above every small file, below the big ones
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string failed;
    const bool all = WriteSdkResultFiles(*r, dir + "limited", &failed);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(all);
    EXPECT_EQ(failed, dir + "limited.F31\n" + dir + "limited.F32\n");
    std::free(r);
}

TEST(FastResultFiles, AFileThatCannotBeWrittenIsNamed) {
    FrameResults* r = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    ASSERT_NE(r, nullptr);
    std::string failed;
    EXPECT_FALSE(WriteSdkResultFiles(*r, "/nonexistent-folder/x", &failed));
    EXPECT_NE(failed.find("/nonexistent-folder/x.F31\n"), std::string::npos);
    EXPECT_NE(failed.find("/nonexistent-folder/x.F11\n"), std::string::npos);
    std::free(r);
}

// Positions at the edge of their 15-byte field and beyond it (the field
// grows, the line with it), and a NaN, keep the reference writer's bytes.
TEST(FastResultFiles, PositionsWiderThanTheirFieldMatchTheReference) {
    const float wide[] = {999999936.0f,
                          -999999936.0f,
                          1.0e9f,
                          -1.0e9f,
                          9.999999e9f,
                          -9.999999e9f,
                          1.0e10f,
                          -1.0e10f,
                          1.0e15f,
                          -3.0e38f,
                          std::numeric_limits<float>::quiet_NaN()};
    const RecordShape shape{40, 2, 2, 41};
    const std::string dir = OutputDir();
    FrameResults* r = NewRecord(shape);
    ASSERT_NE(r, nullptr);
    int k = 0;
    for (int b = 1; b <= shape.cases + shape.combos + 1; ++b)
        for (int m = 1; m <= shape.members; ++m)
            for (int p = 1; p <= r->member[m].pointCount + 2; ++p)
                r->block[b].members[m].values[kQtyPos][p] =
                    wide[k++ % (sizeof wide / sizeof wide[0])];
    ASSERT_TRUE(reference::WriteSdkResultFiles(*r, dir + "wide_ref"));
    std::string failed;
    EXPECT_TRUE(WriteSdkResultFiles(*r, dir + "wide_fast", &failed));
    EXPECT_EQ(failed, "");
    for (const char* ext : {".F31", ".F32"})
        EXPECT_TRUE(ReadAll(dir + "wide_ref" + ext) == ReadAll(dir + "wide_fast" + ext)) << ext;
    std::free(r);
}
