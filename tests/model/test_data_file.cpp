// The data file's layout, the default model and reading of well-formed files.
#include "model/data_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "tests/case_output.h"
#include "tests/model/test_data_file_util.h"

using namespace datafile_test;
using namespace std::string_literals;

namespace {

const std::string kDataDir = std::string(TEST_DATA_DIR) + "/model/";

std::unique_ptr<FrameModel> DefaultModel() {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    return model;
}

// ---------------------------------------------------------------------------
// Mantissa-exponent fields

struct MantExpCase {
    int m, e;
    double value;
    const char* field;  // the m + e columns written
    double readBack;    // mantissa x 10^exponent of those columns
};

class FormatMantExpTest : public ::testing::TestWithParam<MantExpCase> {};

TEST_P(FormatMantExpTest, WritesColumnsThatReadBack) {
    const MantExpCase& c = GetParam();
    std::string line;
    FormatMantExp(line, 0, c.m, c.e, c.value);
    EXPECT_EQ(std::string(c.field), line);
    const std::string mantissa = line.substr(0, static_cast<std::size_t>(std::clamp(c.m, 4, 10)));
    const std::string exponent = line.substr(mantissa.size());
    const double read = TextToDouble(mantissa) * std::pow(10.0, TextToInt(exponent, 0));
    EXPECT_NEAR(c.readBack, read, std::fabs(c.readBack) * 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FormatMantExpTest,
    ::testing::Values(MantExpCase{10, 5, 200000.0, "   2.00000    5", 200000.0},
                      MantExpCase{10, 5, 0.0, "   0.00000    0", 0.0},
                      MantExpCase{10, 5, 1e-9, "   1.00000   -9", 1e-9},
                      MantExpCase{10, 5, -2.5e7, "  -2.50000    7", -2.5e7},
                      // 0.1f is 0.0999999985...: the 1.0000001 factor lifts it to 1.00000.
                      MantExpCase{10, 5, 0.1f, "   1.00000   -1", 0.1},
                      MantExpCase{10, 5, 0.01f, "   1.00000   -2", 0.01},
                      // Digits beyond the field are cut, not rounded.
                      MantExpCase{10, 5, 1.234569e3, "   1.23456    3", 1234.56},
                      MantExpCase{7, 3, 12345.0, "   1.23  4", 12300.0},
                      MantExpCase{7, 3, -1.0, "  -1.00  0", -1.0},
                      MantExpCase{10, 3, 1e-9, "   1.00000 -9", 1e-9},
                      // Exponent -10 would fill three columns and glue to the mantissa.
                      MantExpCase{10, 3, 5e-10, "   0.00000  0", 0.0},
                      MantExpCase{7, 3, -9.99e-10, "   0.00  0", 0.0},
                      // Below 1e-10 everything is 0.
                      MantExpCase{10, 5, 5e-11, "   0.00000    0", 0.0},
                      // A value beyond what three columns can carry becomes the largest.
                      MantExpCase{10, 3, 1e120, "   9.99999 99", 9.99999e99},
                      MantExpCase{10, 5, std::nan(""), "   0.00000    0", 0.0},
                      // m and e are clamped to 4..10 and 2..5.
                      MantExpCase{12, 9, 3.0, "   3.00000    0", 3.0},
                      MantExpCase{2, 1, 3.0, "   3 0", 3.0}));

TEST(FormatMantExp, PlacesFieldsInsideALineBeingBuilt) {
    // Into a longer line: the fields and one blank overwrite, the end stays.
    std::string line(40, 'x');
    FormatMantExp(line, 10, 10, 5, 1.0);
    EXPECT_EQ("xxxxxxxxxx   1.00000    0 xxxxxxxxxxxxxx", line);
    // Beyond the end: padded with blanks, the line ends after the exponent.
    std::string shortLine = "ab";
    FormatMantExp(shortLine, 5, 7, 3, 2.0);
    EXPECT_EQ("ab      2.00  0", shortLine);
}

// ---------------------------------------------------------------------------
// The default model

TEST(DefaultModel, WritesTheHandMadeGoldenFile) {
    const std::string golden = ReadBytes(kDataDir + "default_model.$O1");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(golden, FrameDataFileText(*DefaultModel()));
}

TEST(DefaultModel, ReadsBackAsTheSameModelWithDerivedValuesSet) {
    auto original = DefaultModel();
    std::string warnings;
    auto read = ReadText(FrameDataFileText(*original), &warnings);
    EXPECT_EQ("", warnings);
    ExpectSameModel(*original, *read);
    EXPECT_STREQ("FRAME-03", read->header.modelId);
    EXPECT_STREQ("", read->header.title);
    EXPECT_FLOAT_EQ(1.0f, read->members[1].length);
    EXPECT_FLOAT_EQ(0.0f, read->members[1].angle);
    // The new model starts with 16; reading sets the largest load magnitude.
    EXPECT_FLOAT_EQ(16.0f, original->loadCases[1].maxLoad);
    EXPECT_FLOAT_EQ(10.0f, read->loadCases[1].maxLoad);
    EXPECT_EQ("中央点"_sj + std::string(14, ' '), read->view2[1].pointName[1]);
}

TEST(DefaultModel, WithoutDefaultContentIsEmptyButIdentified) {
    auto model = DefaultModel();
    NewFrameModel(*model, 0);
    EXPECT_STREQ("FRAME-03", model->header.modelId);
    EXPECT_EQ(0, model->nodeCount);
    EXPECT_EQ(0, model->loadCaseCount);
}

// ---------------------------------------------------------------------------
// A file written by hand for this project

TEST(SampleFile, ReadsTheTablesOfThePortalFrame) {
    std::string warnings;
    auto m = ReadText(ReadBytes(kDataDir + "sample_portal.$O1"), &warnings);
    EXPECT_EQ("", warnings);
    EXPECT_EQ("門形ラーメン試験モデル"_sj, m->header.title);
    EXPECT_EQ(4, m->nodeCount);
    EXPECT_EQ(3, m->memberCount);
    EXPECT_EQ(1, m->materialCount);
    EXPECT_EQ(2, m->sectionCount);
    EXPECT_EQ(0, m->springCaseCount);
    EXPECT_EQ(1, m->supportCaseCount);
    EXPECT_EQ(2, m->loadCaseCount);
    EXPECT_EQ(1, m->combinationCount);
    EXPECT_FLOAT_EQ(2.5e7f, m->materials[1].e);
    EXPECT_FLOAT_EQ(1e-5f, m->materials[1].alpha);
    EXPECT_FLOAT_EQ(0.0114330f, m->sections[2].inertia);
    EXPECT_EQ("梁"_sj, m->sections[2].name);
    EXPECT_EQ("右柱"_sj, m->members[3].name);
    EXPECT_EQ("支点ケース1"_sj, m->supportCases[1].name);
    EXPECT_EQ(1, m->supportCases[1].entries[2].code);
    EXPECT_FLOAT_EQ(-1.0f, m->supportCases[1].entries[2].ky);
    EXPECT_EQ(51, m->loadCases[2].loads[1].code);
    EXPECT_FLOAT_EQ(30.0f, m->loadCases[2].loads[1].qI);
    EXPECT_FLOAT_EQ(50.0f, m->loadCases[1].maxLoad);
    EXPECT_EQ(2, m->combinations[1].count);
    EXPECT_DOUBLE_EQ(1.0, m->combinations[1].factor);
    EXPECT_FLOAT_EQ(3.0f, m->view2[1].dist[1]);
    // Lengths 4, 6, 4; the columns point up (pi/2), the beam along x.
    EXPECT_FLOAT_EQ(4.0f, m->members[1].length);
    EXPECT_FLOAT_EQ(6.0f, m->members[2].length);
    EXPECT_FLOAT_EQ(static_cast<float>(M_PI / 2), m->members[3].angle);
    EXPECT_FLOAT_EQ(0.0f, m->members[2].angle);
}

TEST(SampleFile, WritesBackByteIdentical) {
    const std::string bytes = ReadBytes(kDataDir + "sample_portal.$O1");
    auto m = ReadText(bytes);
    EXPECT_EQ(bytes, FrameDataFileText(*m));
}

TEST(SampleFile, LfOnlyLinesReadLikeCrLf) {
    std::string bytes = ReadBytes(kDataDir + "sample_portal.$O1");
    std::string lf;
    for (char c : bytes)
        if (c != '\r') lf += c;
    auto m = ReadText(lf);
    EXPECT_EQ(bytes, FrameDataFileText(*m));
}

// ---------------------------------------------------------------------------
// Reading rules

// A count announcing more entries than follow stops at the next keyword
// line, with a warning, instead of reading it as an entry (a node 0, a load
// of code 0) that a save would then write; the keyword is still read.
TEST(Reader, ACountBeyondItsEntriesStopsAtTheNextKeywordWithAWarning) {
    struct Row {
        const char* from;
        const char* to;
        int (*count)(const FrameModel&);
        int expected;
    };
    const Row rows[] = {
        {"LOAD-CASE     2    2", "LOAD-CASE     2    3",
         [](const FrameModel& m) { return m.loadCases[2].count; }, 2},
        {"POINT         4", "POINT         6", [](const FrameModel& m) { return m.nodeCount; }, 4},
        {"MEMBER        3", "MEMBER        9", [](const FrameModel& m) { return m.memberCount; },
         3},
    };
    const std::string sample = ReadBytes(kDataDir + "sample_portal.$O1");
    for (const Row& row : rows) {
        std::string text = sample;
        ASSERT_NE(std::string::npos, text.find(row.from)) << row.from;
        text.replace(text.find(row.from), std::strlen(row.from), row.to);
        std::string warnings;
        auto m = ReadText(text, &warnings);
        EXPECT_EQ(row.expected, row.count(*m)) << row.to;
        EXPECT_NE(std::string::npos, warnings.find(std::string(row.to).substr(0, 5))) << warnings;
        // Every section after it still reads, and a save writes the file
        // as it was.
        EXPECT_EQ(1, m->combinationCount);
        EXPECT_EQ(2, m->combinations[1].count);
        EXPECT_EQ(UpToSecondEnd(sample), FrameDataFileText(*m)) << row.to;
    }
}

TEST(Reader, FieldsMaySitInOtherColumnsAndBeSeparatedByCommas) {
    const std::string text = "FRAME     X\r\nPOINT 2\r\n1,0.5,2\r\n  2   "s + "３．５"_sj +
                             "   -1\r\nMEMBER 1\r\n7 1 2 1 1 1 0 0.25 0.5\r\nEND\r\n";
    auto m = ReadText(text);
    ASSERT_EQ(2, m->nodeCount);
    EXPECT_FLOAT_EQ(0.5f, m->nodes[1].x);
    EXPECT_FLOAT_EQ(2.0f, m->nodes[1].y);
    EXPECT_FLOAT_EQ(3.5f, m->nodes[2].x);  // full-width digits
    EXPECT_FLOAT_EQ(-1.0f, m->nodes[2].y);
    EXPECT_EQ(7, m->members[1].no);
    EXPECT_EQ(1, m->members[1].endI);
    EXPECT_FLOAT_EQ(0.25f, m->members[1].rigidI);
    EXPECT_FLOAT_EQ(0.5f, m->members[1].rigidJ);
    EXPECT_FLOAT_EQ(3.5f - 0.5f, m->members[1].length * std::cos(m->members[1].angle));
}

TEST(Reader, OptionWordsAndRigidZoneSwitchAreTruncatedTowardZero) {
    const std::string text =
        "FRAME     X\r\nCONTROL2\r\n 1 1 0 0 1.9 0\r\nCONTROL3\r\n 1 2.7 -3.9 4 5\r\nEND\r\n";
    auto m = ReadText(text);
    EXPECT_EQ(1, m->rigidZoneSwitch);
    EXPECT_EQ(1, m->header.optRenumber);
    EXPECT_EQ(2, m->header.optMmax);
    EXPECT_EQ(-3, m->header.optViewPoint);
    EXPECT_EQ(5, m->header.optPrestress);
}

TEST(Reader, ALineBeforeTheIdentifierAndAfterTheEndIsIgnored) {
    const std::string text =
        "POINT 1\r\n 9 9 9\r\nFRAME     ABC\r\nTITLE     t\r\nEND\r\nPOINT 1\r\n 8 8 8\r\n";
    auto m = ReadText(text);
    EXPECT_STREQ("ABC", m->header.modelId);
    EXPECT_STREQ("t", m->header.title);
    EXPECT_EQ(0, m->nodeCount);
}

TEST(Reader, SeparatesTheRcBlockAfterTheSecondEnd) {
    const std::string frame = FrameDataFileText(*DefaultModel());
    TStringList list = ListOf(frame + "RC-DATA 1\r\nEND\r\n");
    const int start = FindRcBlockStart(list);
    ASSERT_LT(start, list.Count());
    EXPECT_EQ("RC-DATA 1", list[start]);
    EXPECT_EQ(ListOf(frame).Count(), FindRcBlockStart(ListOf(frame)));
    auto m = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(*m, list, warnings);
    EXPECT_EQ(frame, FrameDataFileText(*m));
}

TEST(Reader, GetLineOrBlankGivesNinetyNineCommasOutsideTheList) {
    TStringList list = ListOf("a\r\nb\r\n");
    EXPECT_EQ("b", GetLineOrBlank(list, 1));
    EXPECT_EQ(std::string(99, ','), GetLineOrBlank(list, 2));
    EXPECT_EQ(std::string(99, ','), GetLineOrBlank(list, -1));
}

TEST(DataFile, WritesAndReadsThroughTheFileSystem) {
    const std::string path = CaseOutputDir() + "/data_file_default.$O1";
    TStringList rc = ListOf("RC-BLOCK\r\n");
    ASSERT_TRUE(WriteFrameDataFile(path, *DefaultModel(), &rc));
    EXPECT_EQ(FrameDataFileText(*DefaultModel()) + "RC-BLOCK\r\n", ReadBytes(path));
    auto m = NewFrameModelRecord();
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(path, *m, warnings));
    EXPECT_EQ("", warnings);
    EXPECT_EQ(2, m->nodeCount);

    m->nodeCount = 5;
    EXPECT_FALSE(ReadFrameDataFile(path + ".missing", *m, warnings));
    EXPECT_EQ(0, m->nodeCount);
    EXPECT_NE(std::string::npos, warnings.find("missing"));
    EXPECT_FALSE(WriteFrameDataFile(CaseOutputDir() + "/no/such/dir/x.$O1", *m));
}

// ---------------------------------------------------------------------------
// Values at the edges of their columns

TEST(Writer, CoordinatesOfAnySizeKeepTheirColumnsAndReadBack) {
    const float values[] = {0.0f,      9999.9999f, 10000.0f, -999.9999f, -1000.0f,
                            12345.68f, -123456.7f, 1.0e9f,   -3.0e12f,   3.0e38f};
    auto model = DefaultModel();
    model->nodeCount = 0;
    for (float v : values) {
        FramePoint& p = model->nodes[++model->nodeCount];
        p.no = 100 + model->nodeCount;
        p.x = v;
        p.y = -v;
    }
    const std::string text = FrameDataFileText(*model);
    auto read = ReadText(text);
    ASSERT_EQ(model->nodeCount, read->nodeCount);
    for (int k = 1; k <= model->nodeCount; ++k) {
        const double v = model->nodes[k].x;
        // Decimals dropped for room: at worst 7 significant digits remain.
        const double tolerance = std::max(5e-5, std::fabs(v) * 1e-6);
        EXPECT_EQ(100 + k, read->nodes[k].no);
        EXPECT_NEAR(v, read->nodes[k].x, tolerance) << k;
        EXPECT_NEAR(-v, read->nodes[k].y, tolerance) << k;
    }
    EXPECT_EQ(text, FrameDataFileText(*read));
    // Every node line is exactly three fields of ten columns.
    TStringList list = ListOf(text);
    for (int i = 9; i < 9 + model->nodeCount; ++i) EXPECT_EQ(30u, list[i].size()) << list[i];
}

TEST(Writer, TinySpringsBecomeZeroWithoutShiftingTheLine) {
    auto model = DefaultModel();
    model->supportCases[1].entries[1].kx = 5e-10f;
    model->supportCases[1].entries[1].ky = 123.0f;
    model->springCaseCount = 1;
    BaneCase& bc = model->springCases[1];
    bc.no = 1;
    bc.count = 1;
    bc.entries[1] = BaneEntry{1, 7e-10f, 2500.0f};
    auto read = ReadText(FrameDataFileText(*model));
    EXPECT_FLOAT_EQ(0.0f, read->supportCases[1].entries[1].kx);
    EXPECT_FLOAT_EQ(123.0f, read->supportCases[1].entries[1].ky);
    EXPECT_EQ(4, read->supportCases[1].entries[1].code);
    EXPECT_FLOAT_EQ(0.0f, read->springCases[1].entries[1].kv);
    EXPECT_FLOAT_EQ(2500.0f, read->springCases[1].entries[1].ku);
}

TEST(Writer, LongTextsAreCutAtCharacterBoundariesAndReadBackAsWritten) {
    auto model = DefaultModel();
    // 43 bytes: "a" and 21 double-byte characters.
    const std::string title = "a" + RepeatText("漢"_sj, 21);
    SetFixedText(model->header.title, kNameSize, title.c_str());
    SetFixedText(model->members[1].name, kNameSize, ("  " + RepeatText("梁"_sj, 21)).c_str());
    SetFixedText(model->view2[1].pointName[1], kPointNameSize,
                 ("b" + RepeatText("点"_sj, 11)).c_str());
    const std::string text = FrameDataFileText(*model);
    auto read = ReadText(text);
    EXPECT_EQ("a" + RepeatText("漢"_sj, 19), read->header.title);  // 39 bytes
    EXPECT_EQ(RepeatText("梁"_sj, 20), read->members[1].name);
    // 19 bytes of whole characters and one blank of padding.
    EXPECT_EQ("b" + RepeatText("点"_sj, 9) + " ", read->view2[1].pointName[1]);
    EXPECT_EQ(text, FrameDataFileText(*read));
}

TEST(Reader, APointNameCutInsideACharacterLeavesTheNextNameWhole) {
    // The first name's 20 bytes end with the lead byte of a character the
    // 20-byte cut split; the second name begins right after it.
    const std::string first = "x" + RepeatText("名"_sj, 9) + "名"_sj.substr(0, 1);
    const std::string second = "ab" + std::string(18, ' ');
    const std::string text =
        "FRAME     F\r\nVIEW-2 1\r\n 1 2\r\n 1.0 2.0\r\nEND\r\nV2-NAME 1\r\n   1    2 " + first +
        second + "\r\nEND\r\n";
    auto m = ReadText(text);
    EXPECT_EQ("x" + RepeatText("名"_sj, 9) + " ", m->view2[1].pointName[1]);
    EXPECT_EQ(second, m->view2[1].pointName[2]);
}

// ---------------------------------------------------------------------------
// Points of interest

TEST(SortViewPoints, OrdersPositionsDropsNonPositiveOnesAndOrdersMembers) {
    auto model = DefaultModel();
    model->view2Count = 3;
    View2Member& a = model->view2[1];
    a.memberNo = 5;
    a.count = 3;
    const float dists[] = {0.4f, 0.0f, 0.2f};
    const char* names[] = {"A", "B", "C"};
    for (int k = 1; k <= 3; ++k) {
        a.dist[k] = dists[k - 1];
        SetFixedText(a.pointName[k], kPointNameSize, names[k - 1]);
    }
    model->view2[2] = View2Member{};
    model->view2[2].memberNo = 2;
    model->view2[2].count = 2;
    model->view2[2].dist[1] = -1.0f;
    model->view2[2].dist[2] = 0.0f;
    model->view2[3] = View2Member{};
    model->view2[3].memberNo = 3;
    SortViewPoints(*model);
    EXPECT_EQ(2, model->view2[1].memberNo);
    EXPECT_EQ(0, model->view2[1].count);
    EXPECT_EQ(3, model->view2[2].memberNo);
    const View2Member& sorted = model->view2[3];
    EXPECT_EQ(5, sorted.memberNo);
    ASSERT_EQ(2, sorted.count);
    EXPECT_FLOAT_EQ(0.2f, sorted.dist[1]);
    EXPECT_STREQ("C", sorted.pointName[1]);
    EXPECT_FLOAT_EQ(0.4f, sorted.dist[2]);
    EXPECT_STREQ("A", sorted.pointName[2]);
    // Nothing stays beyond the count: the point at 0 goes with its name.
    EXPECT_FLOAT_EQ(0.0f, sorted.dist[3]);
    EXPECT_STREQ("", sorted.pointName[3]);
    EXPECT_TRUE(RowsBeyondCountsAreZero(*model));
}

TEST(SortViewPoints, AMemberWithoutPositivePointsIsWrittenEmptyAndReadsBackEmpty) {
    auto model = DefaultModel();
    model->view2[1].count = 2;
    model->view2[1].dist[1] = 0.0f;
    model->view2[1].dist[2] = 0.0f;
    SortViewPoints(*model);
    ASSERT_EQ(0, model->view2[1].count);
    const std::string text = FrameDataFileText(*model);
    EXPECT_NE(std::string::npos, text.find("VIEW-2        1\r\n         1    0\r\n\r\nLOAD-CASE"));
    auto read = ReadText(text);
    EXPECT_EQ(1, read->view2Count);
    EXPECT_EQ(0, read->view2[1].count);
    EXPECT_EQ(text, FrameDataFileText(*read));
}

TEST(Reader, PointPositionsBeyondTheValuesLineReadAsZero) {
    const std::string text =
        "FRAME     F\r\nVIEW-2 2\r\n 4 3\r\n 1.5 2.5\r\n 6 1\r\n 7.25\r\nEND\r\n";
    auto m = ReadText(text);
    ASSERT_EQ(2, m->view2Count);
    EXPECT_EQ(3, m->view2[1].count);
    EXPECT_FLOAT_EQ(2.5f, m->view2[1].dist[2]);
    EXPECT_FLOAT_EQ(0.0f, m->view2[1].dist[3]);
    EXPECT_EQ(6, m->view2[2].memberNo);
    EXPECT_FLOAT_EQ(7.25f, m->view2[2].dist[1]);
}

}  // namespace

namespace {

// Every table at its capacity: the largest file the program can write reads
// back whole, without a warning, and writes back to the same bytes.
TEST(Capacity, AModelWithEveryTableFullReadsBackWhole) {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    m->nodeCount = kMaxNodes;
    m->materialCount = kMaxMaterials;
    m->sectionCount = kMaxSections;
    m->memberCount = kMaxMembers;
    for (int k = 1; k <= kMaxNodes; ++k) {
        m->nodes[k] = FramePoint{k, 0.5f * k, -0.25f * k, {}};
        m->materials[k] = FrameMaterial{k, 2.05e8f, 1.2e-5f, 0};
        m->sections[k] = m->sections[1];
        m->sections[k].no = k;
        m->members[k] = m->members[1];
        m->members[k].no = k;
    }
    m->springCaseCount = kMaxSpringCases;
    for (int c = 1; c <= kMaxSpringCases; ++c) {
        m->springCases[c].no = c;
        m->springCases[c].count = kMaxSpringEntries;
        for (int k = 1; k <= kMaxSpringEntries; ++k)
            m->springCases[c].entries[k] = BaneEntry{k, 1000.0f * c, 10.0f * k};
    }
    m->supportCaseCount = kMaxSupportCases;
    m->view1Count = kMaxView1;
    m->view2Count = kMaxView2;
    for (int k = 1; k <= kMaxView2; ++k) {
        m->view1[k] = View1Range{k, 0, 4};
        View2Member& v = m->view2[k];
        v.memberNo = k;
        v.count = kMaxViewPoints;
        for (int p = 1; p <= kMaxViewPoints; ++p) {
            v.dist[p] = 0.125f * p;
            SetFixedText(v.pointName[p], kPointNameSize, "点"_sj.c_str());
        }
    }
    m->loadCaseCount = kMaxLoadCases;
    m->combinationCount = kMaxCombinations;
    for (int c = 1; c <= kMaxLoadCases; ++c) {
        SuptCase& s = m->supportCases[c];
        s = m->supportCases[1];
        s.no = c;
        s.count = kMaxSupportEntries;
        for (int k = 1; k <= kMaxSupportEntries; ++k) s.entries[k] = s.entries[1 + k % 2];
        LoadCase& l = m->loadCases[c];
        l = m->loadCases[1];
        l.no = c;
        l.count = kMaxLoads;
        for (int k = 1; k <= kMaxLoads; ++k) l.loads[k] = l.loads[1];
        KumiCase& kc = m->combinations[c];
        kc = m->combinations[1];
        kc.no = c;
        kc.count = kMaxCombinationEntries;
        for (int k = 1; k <= kMaxCombinationEntries; ++k) kc.entries[k] = KumiEntry{k, 1.5f};
    }
    const std::string text = FrameDataFileText(*m);
    std::string warnings;
    auto read = ReadText(text, &warnings);
    EXPECT_EQ("", warnings);
    ExpectSameModel(*m, *read);
    EXPECT_EQ(text, FrameDataFileText(*read));
}

}  // namespace

namespace {

// Numbers wider than their columns push the rest of the line along; the
// texts after them are still found, so such a model reads back unchanged.
TEST(Writer, NumbersWiderThanTheirColumnsKeepTheTextsAfterThem) {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    m->nodes[2].no = 123456;
    m->members[1].nodeJ = 123456;
    m->members[1].rigidJ = 123456.5f;
    m->sections[1].no = -2147483647;
    m->supportCases[1].entries[1].nodeNo = -1999999999;
    m->materials[1].no = -1000000000;
    m->supportCases[1].no = 99999;
    m->supportCases[1].count = 2;
    m->loadCases[1].no = -12345;
    m->loadCases[1].suptCaseNo = 99999;
    m->combinations[1].no = 77777;
    m->combinations[1].factor = 1234567.0;
    m->view2[1].memberNo = 1234567;
    const std::string text = FrameDataFileText(*m);
    auto read = ReadText(text);
    ExpectSameModel(*m, *read);
    EXPECT_EQ("単純梁.1"_sj, read->members[1].name);
    EXPECT_EQ("組合せ1"_sj, read->combinations[1].name);
    EXPECT_EQ("中央点"_sj + std::string(14, ' '), read->view2[1].pointName[1]);
    EXPECT_EQ(text, FrameDataFileText(*read));
}

}  // namespace
