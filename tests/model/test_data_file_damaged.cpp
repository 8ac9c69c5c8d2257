// Damaged data files: bad counts are clamped and named in the warnings, and
// no content (short, truncated, binary, repeated) crashes or hangs the reader.
// Run these under the address/undefined sanitizer build as well.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "tests/model/test_data_file_util.h"

using namespace datafile_test;

namespace {

const std::string kSample = std::string(TEST_DATA_DIR) + "/model/sample_portal.$O1";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A file of one section whose count field is given as text.
struct CountCase {
    const char* name;
    std::string text;        // the whole file
    int FrameModel::*count;  // the table count to check (nullptr: see check)
    int expected;
    const char* warningNames;  // a text the warning must hold
};

std::string Frame(const std::string& body) { return "FRAME     F\r\n" + body + "END\r\n"; }

class CountClampTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountClampTest, ClampsToTheTableAndWarns) {
    const CountCase& c = GetParam();
    std::string warnings;
    auto m = ReadText(c.text, &warnings);
    EXPECT_EQ(c.expected, (*m).*(c.count));
    EXPECT_TRUE(Contains(warnings, c.warningNames)) << warnings;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CountClampTest,
    ::testing::Values(
        CountCase{"PointsHuge", Frame("POINT 5000\r\n 1 0 0\r\n"), &FrameModel::nodeCount, 1,
                  "POINT"},
        CountCase{"PointsNegative", Frame("POINT -3\r\n"), &FrameModel::nodeCount, 0, "POINT"},
        CountCase{"MembersOverInt", Frame("MEMBER 2e9\r\n"), &FrameModel::memberCount, 0, "MEMBER"},
        CountCase{"MaterialsHuge", Frame("MATERIAL 99999999999\r\n"), &FrameModel::materialCount, 0,
                  "MATERIAL"},
        CountCase{"SectionsNegative", Frame("SECTION -2e9\r\n"), &FrameModel::sectionCount, 0,
                  "SECTION"},
        CountCase{"View1Huge", Frame("VIEW-1 5000\r\n"), &FrameModel::view1Count, 0, "VIEW-1"},
        CountCase{"View2Huge", Frame("VIEW-2 5000\r\n"), &FrameModel::view2Count, 0, "VIEW-2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedCounts, EntriesPerCaseAreClamped) {
    std::string warnings;
    auto m = ReadText(Frame("LOAD-CASE 3 5000 0 1\r\nSUPT-CASE 4 2e9\r\nBANE-CASE 5 -3\r\n"
                            "KUMI-CASE 6 500 1.0\r\n"),
                      &warnings);
    // Clamped (with a warning), then stopped by the keyword line after
    // each: no keyword is read as an entry.
    ASSERT_EQ(1, m->loadCaseCount);
    EXPECT_EQ(0, m->loadCases[1].count);
    ASSERT_EQ(1, m->supportCaseCount);
    EXPECT_EQ(0, m->supportCases[1].count);
    ASSERT_EQ(1, m->springCaseCount);
    EXPECT_EQ(0, m->springCases[1].count);
    ASSERT_EQ(1, m->combinationCount);
    EXPECT_EQ(0, m->combinations[1].count);
    EXPECT_TRUE(Contains(warnings, "LOAD-CASE No.3")) << warnings;
    EXPECT_TRUE(Contains(warnings, "SUPT-CASE No.4")) << warnings;
    EXPECT_TRUE(Contains(warnings, "BANE-CASE No.5")) << warnings;
    EXPECT_TRUE(Contains(warnings, "KUMI-CASE No.6")) << warnings;
}

TEST(DamagedCounts, CasesBeyondTheTableAreSkippedAndCounted) {
    std::string body;
    for (int k = 1; k <= 70; ++k) body += "LOAD-CASE " + std::to_string(k) + " 0 0 1\r\n";
    for (int k = 1; k <= 20; ++k) body += "BANE-CASE " + std::to_string(k) + " 0\r\n";
    std::string warnings;
    auto m = ReadText(Frame(body), &warnings);
    EXPECT_EQ(kMaxLoadCases, m->loadCaseCount);
    EXPECT_EQ(65, m->loadCases[65].no);
    EXPECT_EQ(kMaxSpringCases, m->springCaseCount);
    EXPECT_TRUE(Contains(warnings, "LOAD-CASE")) << warnings;
    EXPECT_TRUE(Contains(warnings, "BANE-CASE")) << warnings;
    // One summary line per kind of case, not one per skipped case.
    EXPECT_EQ(2, std::count(warnings.begin(), warnings.end(), '\n'));
}

TEST(DamagedCounts, PointsOfInterestAndTheirNamesAreClamped) {
    std::string warnings;
    // 500 members with named points, the first claiming 500 points on a
    // values line of 140 positions; 5000 name lines, the first with 500 names.
    std::string values;
    for (int k = 1; k <= 140; ++k) values += " 1.0";
    auto m = ReadText(Frame("VIEW-2 500\r\n 1 500\r\n" + values + "\r\n") +
                          "V2-NAME 5000\r\n   1  500 abc\r\nEND\r\n",
                      &warnings);
    EXPECT_EQ(1, m->view2Count);  // the entries end at "END"
    EXPECT_EQ(kMaxViewPoints, m->view2[1].count);
    EXPECT_FLOAT_EQ(1.0f, m->view2[1].dist[kMaxViewPoints]);
    EXPECT_EQ("abc", Trimmed(m->view2[1].pointName[1], kPointNameSize));
    EXPECT_TRUE(Contains(warnings, "VIEW-2 No.1")) << warnings;
    EXPECT_TRUE(Contains(warnings, "V2-NAME")) << warnings;
}

TEST(DamagedFiles, WarningsStopAfterTwentyFiveLinesWithASummary) {
    std::string body;
    for (int k = 1; k <= 40; ++k) body += "LOAD-CASE " + std::to_string(k) + " -1 0 1\r\n";
    std::string warnings;
    ReadText(Frame(body), &warnings);
    EXPECT_EQ(26, std::count(warnings.begin(), warnings.end(), '\n'));
    EXPECT_TRUE(Contains(warnings, "15")) << warnings;
}

TEST(DamagedFiles, NoIdentifierLineGivesAnEmptyModelAndAWarning) {
    std::string warnings;
    auto m = ReadText("POINT 1\r\n 1 2 3\r\n", &warnings);
    EXPECT_EQ(0, m->nodeCount);
    EXPECT_TRUE(Contains(warnings, "FRAME")) << warnings;
    ReadText("", &warnings);
    EXPECT_TRUE(Contains(warnings, "FRAME")) << warnings;
}

TEST(DamagedFiles, WithoutEndTheSectionsRunToTheLastLine) {
    std::string warnings;
    auto m =
        ReadText("FRAME     F\r\nPOINT 2\r\n 1 0 0\r\n 2 5 0\r\nMEMBER 1\r\n 1 1 2", &warnings);
    EXPECT_EQ("", warnings);
    EXPECT_EQ(2, m->nodeCount);
    ASSERT_EQ(1, m->memberCount);
    EXPECT_FLOAT_EQ(5.0f, m->members[1].length);
}

TEST(DamagedFiles, AFileEndingBeforeItsCountsIsReadAsFarAsItGoesWithAWarning) {
    // The portal file broken off in its members: the first line of the
    // warnings says the file ended early and names the section.
    const std::string whole =
        "FRAME     F\r\nPOINT 2\r\n 1 0 0\r\n 2 5 0\r\nMEMBER 3\r\n 1 1 2 0 0 0 0\r\n 2 2 1 0 0 0 "
        "0";
    std::string warnings;
    auto m = ReadText(whole, &warnings);
    ASSERT_EQ(m->memberCount, 3);
    EXPECT_EQ(m->members[2].nodeI, 2);
    EXPECT_EQ(warnings.rfind("ファイルが途中で終わっています: MEMBER"_sj, 0), 0u) << warnings;
    // The names of the points of interest come after the first END.
    ReadText("FRAME     F\r\nVIEW-2 1\r\n 1 1\r\n 0.5\r\nEND\r\nV2-NAME 1\r\n", &warnings);
    EXPECT_TRUE(Contains(warnings, "V2-NAME")) << warnings;
    // A count that runs into the next keyword line is no cut file.
    ReadText(Frame("POINT 2\r\n 1 0 0\r\nMEMBER 0\r\n"), &warnings);
    EXPECT_FALSE(Contains(warnings, "途中で終わっています"_sj)) << warnings;
    EXPECT_TRUE(Contains(warnings, "POINT")) << warnings;
}

TEST(DamagedFiles, ShortAndMissingLinesReadAsZero) {
    auto m = ReadText("FRAME\r\nSECTION 2\r\n 1\r\nSUPT-CASE 1 2\r\n 3 1\r\n");
    EXPECT_STREQ("", m->header.modelId);
    // The second section line is the SUPT-CASE keyword: it ends the
    // sections and is read as a keyword.
    ASSERT_EQ(1, m->sectionCount);
    EXPECT_EQ(1, m->sections[1].no);
    EXPECT_FLOAT_EQ(0.0f, m->sections[1].area);
    EXPECT_STREQ("", m->sections[1].name);
    ASSERT_EQ(1, m->supportCaseCount);
    EXPECT_EQ(3, m->supportCases[1].entries[1].nodeNo);
    EXPECT_FLOAT_EQ(1.0f, m->supportCases[1].entries[1].kx);  // no exponent: 10^0
    EXPECT_EQ(0, m->supportCases[1].entries[2].nodeNo);       // past the end
}

TEST(DamagedFiles, LoneLeadBytesNeverJoinTheNextLineOrOverrun) {
    const std::string lead = "\x82";
    const std::string text = "FRAME     " + lead + "\r\nTITLE     ab" + lead +
                             "\r\nSECTION 1\r\n 1 1 0 1 0" + std::string(40, ' ') + "x" + lead +
                             "\r\nLOAD-CASE 1 0 0 1" + std::string(24, ' ') + lead +
                             "\r\nEND\r\nV2-NAME 1\r\n 1 1 " + lead + "\r\nEND\r\n";
    auto m = ReadText(text);
    EXPECT_STREQ("", m->header.modelId);
    EXPECT_STREQ("ab", m->header.title);
    EXPECT_STREQ("x", m->sections[1].name);
    EXPECT_STREQ("", m->loadCases[1].name);
    // Written again, no lone lead byte reaches the file.
    const std::string out = FrameDataFileText(*m);
    auto again = ReadText(out);
    EXPECT_EQ(out, FrameDataFileText(*again));
}

TEST(DamagedFiles, ALeadByteBeforeABlankOrControlByteStaysOneCharacter) {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    // A lead byte takes the byte after it whatever that is, so trimming the
    // blank that follows it would leave it alone to swallow the line end.
    SetFixedText(m->supportCases[1].name, kNameSize, "ab\xFF\x01\xFF");
    SetFixedText(m->members[1].name, kNameSize, "\x82 ");
    const std::string out = FrameDataFileText(*m);
    auto read = ReadText(out);
    EXPECT_EQ("ab\xFF ", std::string(read->supportCases[1].name));
    EXPECT_EQ("\x82 ", std::string(read->members[1].name));
    EXPECT_EQ(out, FrameDataFileText(*read));
}

TEST(DamagedFiles, HugeAndOddNumbersStayFinite) {
    auto m =
        ReadText(Frame("POINT 1\r\n 1 1e999 -1e999\r\nMATERIAL 1\r\n 1 5 2e9 0 -2e9\r\n"
                       "KUMI-CASE 1 1 1e400\r\n 1 nan\r\n"));
    EXPECT_TRUE(std::isfinite(m->nodes[1].x));
    EXPECT_TRUE(std::isfinite(m->nodes[1].y));
    EXPECT_TRUE(std::isfinite(m->materials[1].e));
    EXPECT_FLOAT_EQ(0.0f, m->materials[1].alpha);
    EXPECT_TRUE(std::isfinite(m->combinations[1].factor));
    const std::string out = FrameDataFileText(*m);
    EXPECT_EQ(out, FrameDataFileText(*ReadText(out)));
}

TEST(DamagedFiles, RepeatedSectionsFinishInBoundedTime) {
    std::string body;
    for (int k = 0; k < 20000; ++k) body += "POINT 803\r\n";
    const auto start = std::chrono::steady_clock::now();
    std::string warnings;
    auto m = ReadText(Frame(body), &warnings);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(0, m->nodeCount);  // each section ends at the next keyword
    EXPECT_LT(seconds, 60.0);
    EXPECT_FALSE(warnings.empty());
}

// Random bytes, and the sample with random bytes changed, inserted or cut:
// the reader must survive all of them and what it read must write out and
// read back to the same text.
TEST(DamagedFiles, RandomBytesAndMutationsNeitherCrashNorBreakTheRoundTrip) {
    std::mt19937 random(20261208);
    const std::string sample = ReadBytes(kSample);
    ASSERT_FALSE(sample.empty());
    for (int round = 0; round < 300; ++round) {
        std::string text;
        if (round % 3 == 0) {
            const std::size_t n = random() % 3000;
            for (std::size_t k = 0; k < n; ++k) text += static_cast<char>(random() & 0xFF);
        } else {
            text = sample;
            const int edits = 1 + static_cast<int>(random() % 8);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const std::size_t pos = random() % text.size();
                switch (random() % 3) {
                    case 0:
                        text[pos] = static_cast<char>(random() & 0xFF);
                        break;
                    case 1:
                        text.insert(pos, 1, "0123456789-., \r\n\"\x82\x00"[random() % 17]);
                        break;
                    default:
                        text.erase(pos, random() % 40);
                        break;
                }
            }
        }
        std::string warnings;
        auto m = ReadText(text, &warnings);
        const std::string out = FrameDataFileText(*m);
        EXPECT_EQ(out, FrameDataFileText(*ReadText(out))) << "round " << round;
    }
}

}  // namespace

// The reader clears only the rows the record used: read into a record that
// held another model (the one before, a full one), a file must give the
// very bytes it gives in a fresh record, and nothing beyond the counts.
TEST(DamagedFiles, ReadingIntoAUsedRecordGivesTheBytesOfAFreshOne) {
    const std::string sample = ReadBytes(kSample);
    ASSERT_FALSE(sample.empty());
    std::string values;
    for (int k = 1; k <= 6; ++k) values += " 0.5";
    std::vector<std::string> texts = {
        sample,
        // A section read again with fewer rows or entries.
        Frame("POINT 3\r\n 1 0 0\r\n 2 1 0\r\n 3 2 0\r\nPOINT 1\r\n 9 5 5\r\n"),
        Frame("VIEW-2 2\r\n 1 2\r\n 0.5 0.7\r\n 2 1\r\n 0.3\r\nVIEW-2 1\r\n 4 1\r\n\r\n"),
        // Positions and names beyond the counts.
        Frame("VIEW-2 1\r\n 1 2\r\n" + values + "\r\n") +
            "V2-NAME 3\r\n   1    5 a b c d e\r\n   2    1 x\r\n" + "   3    1 y\r\nEND\r\n",
    };
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        std::string text = sample;
        for (int e = 0; e < 4 && !text.empty(); ++e) {
            const std::size_t pos = random() % text.size();
            if (random() % 2)
                text[pos] = "0123456789 \r\n"[random() % 13];
            else
                text.erase(pos, random() % 30);
        }
        texts.push_back(text);
    }
    auto used = NewFrameModelRecord();
    // First a record full of a large model's rows.
    std::string big = "POINT 803\r\n";
    for (int k = 1; k <= 803; ++k) big += " " + std::to_string(k) + " 1 1\r\n";
    std::string warnings;
    ReadFrameDataFile(*used, ListOf(Frame(big) + sample), warnings);
    for (std::size_t t = 0; t < texts.size(); ++t) {
        ReadFrameDataFile(*used, ListOf(texts[t]), warnings);
        const auto fresh = ReadText(texts[t]);
        EXPECT_EQ(std::memcmp(used.get(), fresh.get(), sizeof(FrameModel)), 0) << "text " << t;
        EXPECT_TRUE(RowsBeyondCountsAreZero(*fresh)) << "text " << t;
        SortViewPoints(*used);
        EXPECT_TRUE(RowsBeyondCountsAreZero(*used)) << "text " << t;
    }
}
