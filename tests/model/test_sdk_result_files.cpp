// The outside library's result record written as the fourteen result
// files: byte-for-byte against files laid out by hand, and the refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "model/sdk_file_class.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FreshDir(const std::string& name) {
    const std::string dir = CaseOutputDir() + "/sdk_result_files/" + name + "/";
    ForceDirectories(dir);
    return dir;
}

// A small record with every kind of table; values chosen so that each
// column format shows (rounding, negative zero, exponents, empty files).
struct SyntheticResult {
    FR_SDK_NODEROW f11Rows[2] = {{1, {1.5, -2.25, 0.0}}, {3, {12.3456, -0.0004, 1000.0}}};
    FR_SDK_NODECASE f11Case{1, 2, f11Rows};
    FR_SDK_NODEROW f12Rows[1] = {{1, {-3.0, 4.5, 6.125}}};
    FR_SDK_NODECASE f12Case{2, 1, f12Rows};
    FR_SDK_NODEROW f21Rows[2] = {{1, {0.001, -2.5e-5, 0.0}}, {3, {123.456, 0.0, -1e-12}}};
    FR_SDK_NODECASE f21Case{1, 2, f21Rows};
    FR_SDK_FORCEROW m1Rows[2] = {{1, {0.0, 10.5, -2.0, 3.0, 0.0}},
                                 {2, {2.5, -7.25, -2.0, 3.0, 1.23456}}};
    FR_SDK_FORCEROW m2Rows[1] = {{1, {0.0, 1.0, 2.0, 3.0, 4.0}}};
    FR_SDK_FORCEMEMBER f31Members[2] = {{1, 1, 2, 2, m1Rows}, {2, 2, 3, 1, m2Rows}};
    FR_SDK_FORCECASE f31Case{1, 2, f31Members};
    FR_SDK_FORCEROW c1Rows[1] = {{1, {1.0, 2.0, 3.0, 4.0, 0.5}}};
    FR_SDK_FORCEMEMBER f32Members[1] = {{1, 1, 2, 1, c1Rows}};
    FR_SDK_FORCECASE f32Case{5, 1, f32Members};
    FR_SDK_SPRINGROW springRows[2] = {{1, {0.5, 12.0}}, {2, {1.0, -12.0}}};
    FR_SDK_SPRINGMEMBER springMembers[1] = {{1, 1, 2, 2, springRows}};
    FR_SDK_SPRINGRESCASE f33Case{1, 1, springMembers};
    FR_SDK_EXTRACTROW extractRows[6][1];
    FR_SDK_EXTRACTMEMBER extractMembers[6][1];
    FR_SDK_EXTRACTCASE extractCases[6];
    FR_SDK_ENVELOPEROW envelopeRows[2] = {{1, {0.0, 5.0, 6.0, 7.0}, 4, {2.5, -5.0, -6.0, -7.0}},
                                          {2, {1.0, 1.5, 2.5, 3.5}, 3, {1.0, -1.5, -2.5, -3.5}}};
    FR_SDK_ENVELOPECASE f71Case{1, 2, envelopeRows};
    FR_SDK_MAINRES res{};

    SyntheticResult() {
        for (int k = 0; k < 6; ++k) {
            const double v = 10.0 * (k + 1);
            extractRows[k][0] = FR_SDK_EXTRACTROW{3, {v, v + 1, v + 2, v + 3}, 2};
            extractMembers[k][0] = FR_SDK_EXTRACTMEMBER{k + 1, 1, 2, 1, extractRows[k]};
            extractCases[k] = FR_SDK_EXTRACTCASE{1, 1, extractMembers[k]};
        }
        res.f11Count = 1, res.f11 = &f11Case;
        res.f12Count = 1, res.f12 = &f12Case;
        res.f21Count = 1, res.f21 = &f21Case;
        res.f22Count = 0, res.f22 = nullptr;
        res.f31Count = 1, res.f31 = &f31Case;
        res.f32Count = 1, res.f32 = &f32Case;
        res.f33Count = 1, res.f33 = &f33Case;
        // Field by field: the record is packed, so no pointers to its fields.
        res.f41Count = res.f42Count = res.f51Count = res.f52Count = res.f61Count = res.f62Count = 1;
        res.f41 = &extractCases[0], res.f42 = &extractCases[1], res.f51 = &extractCases[2];
        res.f52 = &extractCases[3], res.f61 = &extractCases[4], res.f62 = &extractCases[5];
        res.f71Count = 1, res.f71 = &f71Case;
    }
};

const char* const kExtensions[14] = {".F11", ".F12", ".F21", ".F22", ".F31", ".F32", ".F33",
                                     ".F41", ".F42", ".F51", ".F52", ".F61", ".F62", ".F71"};

TEST(SdkResultFiles, FourteenFilesMatchTheHandLaidOutOnes) {
    SyntheticResult s;
    const std::string dir = FreshDir("golden");
    TFrameFileClass file;
    ASSERT_TRUE(file.SaveToFile(dir + "frame", &s.res));
    const std::string golden = std::string(TEST_DATA_DIR) + "/model/sdk_results/golden";
    for (const char* ext : kExtensions) {
        SCOPED_TRACE(ext);
        EXPECT_EQ(Bytes(golden + ext), Bytes(dir + "frame" + ext));
    }
    // No combinations of displacements: the file exists and is empty.
    EXPECT_TRUE(FileExists(dir + "frame.F22"));
    EXPECT_EQ("", Bytes(dir + "frame.F22"));
}

TEST(SdkResultFiles, ABaseWithADotKeepsIt) {
    SyntheticResult s;
    const std::string dir = FreshDir("dotted");
    TFrameFileClass file;
    ASSERT_TRUE(file.SaveToFile(dir + "plan.v2", &s.res));
    EXPECT_TRUE(FileExists(dir + "plan.v2.F11"));
    EXPECT_TRUE(FileExists(dir + "plan.v2.F71"));
    EXPECT_FALSE(FileExists(dir + "plan.F11"));
}

TEST(SdkResultFiles, ValuesThatAreNoNumbersAreWrittenAsZero) {
    // A case the library could not compute may hand over infinities or
    // NaNs: every real column of every file shows 0 instead, as for the
    // program's own engine; the rest of the file is as with zeros there.
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    SyntheticResult bad, zero;
    auto spoil = [&](SyntheticResult& s, double v) {
        s.f11Rows[0].values[1] = v;
        s.f21Rows[1].values[0] = v;
        s.m1Rows[1].values[1] = v;
        s.m2Rows[0].values[4] = v;
        s.springRows[0].values[1] = v;
        s.extractRows[2][0].values[3] = v;
        s.envelopeRows[1].maxValues[0] = v;
        s.envelopeRows[0].minValues[2] = v;
    };
    spoil(zero, 0.0);
    const std::string dir = FreshDir("not_numbers");
    TFrameFileClass file;
    ASSERT_TRUE(file.SaveToFile(dir + "zero", &zero.res));
    for (const double v : {inf, nan}) {
        spoil(bad, v);
        ASSERT_TRUE(file.SaveToFile(dir + "bad", &bad.res));
        for (const char* ext : kExtensions) {
            SCOPED_TRACE(ext);
            EXPECT_EQ(Bytes(dir + "zero" + ext), Bytes(dir + "bad" + ext));
        }
    }
}

TEST(SdkResultFiles, RefusesWhatCannotBeWrittenSafely) {
    const std::string dir = FreshDir("refusals");
    TFrameFileClass file;
    EXPECT_FALSE(file.SaveToFile(dir + "null", nullptr));
    EXPECT_FALSE(FileExists(dir + "null.F11"));

    // A count with no table behind it, in the middle of the order: the
    // files before it are written, none after it.
    {
        SyntheticResult s;
        s.res.f31 = nullptr;
        EXPECT_FALSE(file.SaveToFile(dir + "holes", &s.res));
        EXPECT_TRUE(FileExists(dir + "holes.F22"));
        EXPECT_FALSE(FileExists(dir + "holes.F31"));
        EXPECT_FALSE(FileExists(dir + "holes.F71"));
    }
    // A negative count, and a row table missing under a member.
    {
        SyntheticResult s;
        s.res.f12Count = -1;
        EXPECT_FALSE(file.SaveToFile(dir + "negative", &s.res));
    }
    {
        SyntheticResult s;
        s.f31Members[1].rows = nullptr;
        EXPECT_FALSE(file.SaveToFile(dir + "norows", &s.res));
    }
}

TEST(SdkResultFiles, AnUnwritableFolderFails) {
    SyntheticResult s;
    TFrameFileClass file;
    EXPECT_FALSE(file.SaveToFile(FreshDir("x") + "missing/sub/frame", &s.res));
    if (geteuid() != 0) {  // root writes anywhere
        const std::string dir = FreshDir("readonly");
        chmod(dir.c_str(), 0555);
        EXPECT_FALSE(file.SaveToFile(dir + "frame", &s.res));
        chmod(dir.c_str(), 0755);
    }
}

}  // namespace
