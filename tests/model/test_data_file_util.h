// Shared helpers of the data file tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace datafile_test {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline TStringList ListOf(const std::string& text) {
    TStringList list;
    list.SetText(text);
    return list;
}

// Reads text into a new model; the warnings go to *warnings when given.
inline std::unique_ptr<FrameModel> ReadText(const std::string& text,
                                            std::string* warnings = nullptr) {
    auto model = NewFrameModelRecord();
    std::string w;
    EXPECT_TRUE(ReadFrameDataFile(*model, ListOf(text), w));
    if (warnings) *warnings = w;
    return model;
}

// The text up to and including the second "END" line.
inline std::string UpToSecondEnd(const std::string& text) {
    std::size_t pos = 0;
    for (int ends = 0; ends < 2;) {
        const std::size_t next = text.find("\nEND", pos);
        if (next == std::string::npos) return text;
        ++ends;
        pos = next + 4;
    }
    const std::size_t eol = text.find('\n', pos);
    return eol == std::string::npos ? text : text.substr(0, eol + 1);
}

inline std::string Trimmed(const char* text, std::size_t size) {
    return Trim(std::string(text, strnlen(text, size)));
}

// Mantissa-exponent fields keep 6 significant digits, cut rather than
// rounded, so a value may lose up to 1e-5 of itself (times slack).
inline void ExpectNear6(double expected, double actual, const std::string& what, double slack = 1) {
    EXPECT_NEAR(expected, actual, slack * (std::fabs(expected) * 1e-5 + 1e-12)) << what;
}

// Every stored (not derived) field of a and b agrees within what the file
// keeps: numbers to the precision of their usual layout times slack (0:
// exactly), names without blanks at either end, point names without
// trailing blanks.
inline void ExpectSameModel(const FrameModel& a, const FrameModel& b, double slack = 1) {
    EXPECT_STREQ(a.header.modelId, b.header.modelId);
    EXPECT_STREQ(a.header.title, b.header.title);
    EXPECT_EQ(a.header.optRenumber, b.header.optRenumber);
    EXPECT_EQ(a.header.optPrestress, b.header.optPrestress);
    EXPECT_EQ(a.rigidZoneSwitch, b.rigidZoneSwitch);
    ASSERT_EQ(a.nodeCount, b.nodeCount);
    for (int k = 1; k <= a.nodeCount; ++k) {
        EXPECT_EQ(a.nodes[k].no, b.nodes[k].no);
        EXPECT_NEAR(a.nodes[k].x, b.nodes[k].x, slack * 5e-5) << "node " << k;
        EXPECT_NEAR(a.nodes[k].y, b.nodes[k].y, slack * 5e-5) << "node " << k;
    }
    ASSERT_EQ(a.materialCount, b.materialCount);
    for (int k = 1; k <= a.materialCount; ++k) {
        EXPECT_EQ(a.materials[k].no, b.materials[k].no);
        ExpectNear6(a.materials[k].e, b.materials[k].e, "E", slack);
        ExpectNear6(a.materials[k].alpha, b.materials[k].alpha, "alpha", slack);
    }
    ASSERT_EQ(a.sectionCount, b.sectionCount);
    for (int k = 1; k <= a.sectionCount; ++k) {
        const FrameSection& s = a.sections[k];
        EXPECT_EQ(s.no, b.sections[k].no);
        ExpectNear6(s.area, b.sections[k].area, "area", slack);
        ExpectNear6(s.inertia, b.sections[k].inertia, "inertia", slack);
        EXPECT_EQ(Trimmed(s.name, kNameSize), Trimmed(b.sections[k].name, kNameSize));
    }
    ASSERT_EQ(a.memberCount, b.memberCount);
    for (int k = 1; k <= a.memberCount; ++k) {
        const FrameMember& m = a.members[k];
        const FrameMember& n = b.members[k];
        EXPECT_EQ(m.no, n.no);
        EXPECT_EQ(m.nodeI, n.nodeI);
        EXPECT_EQ(m.nodeJ, n.nodeJ);
        EXPECT_EQ(m.sectionNo, n.sectionNo);
        EXPECT_EQ(m.materialNo, n.materialNo);
        EXPECT_EQ(m.endI, n.endI);
        EXPECT_EQ(m.endJ, n.endJ);
        EXPECT_NEAR(m.rigidI, n.rigidI, slack * 5e-4);
        EXPECT_NEAR(m.rigidJ, n.rigidJ, slack * 5e-4);
        EXPECT_EQ(Trimmed(m.name, kNameSize), Trimmed(n.name, kNameSize));
    }
    ASSERT_EQ(a.springCaseCount, b.springCaseCount);
    for (int c = 1; c <= a.springCaseCount; ++c) {
        const BaneCase& x = a.springCases[c];
        const BaneCase& y = b.springCases[c];
        EXPECT_EQ(x.no, y.no);
        ASSERT_EQ(x.count, y.count);
        EXPECT_EQ(Trimmed(x.name, kNameSize), Trimmed(y.name, kNameSize));
        for (int k = 1; k <= x.count; ++k) {
            EXPECT_EQ(x.entries[k].memberNo, y.entries[k].memberNo);
            ExpectNear6(x.entries[k].kv, y.entries[k].kv, "kv", slack);
            ExpectNear6(x.entries[k].ku, y.entries[k].ku, "ku", slack);
        }
    }
    ASSERT_EQ(a.supportCaseCount, b.supportCaseCount);
    for (int c = 1; c <= a.supportCaseCount; ++c) {
        const SuptCase& x = a.supportCases[c];
        const SuptCase& y = b.supportCases[c];
        EXPECT_EQ(x.no, y.no);
        ASSERT_EQ(x.count, y.count);
        EXPECT_EQ(Trimmed(x.name, kNameSize), Trimmed(y.name, kNameSize));
        for (int k = 1; k <= x.count; ++k) {
            EXPECT_EQ(x.entries[k].nodeNo, y.entries[k].nodeNo);
            EXPECT_EQ(x.entries[k].code, y.entries[k].code);
            // (7, 3) fields keep three significant digits at least.
            EXPECT_NEAR(x.entries[k].kx, y.entries[k].kx,
                        slack * std::fabs(x.entries[k].kx) * 0.01);
            EXPECT_NEAR(x.entries[k].ky, y.entries[k].ky,
                        slack * std::fabs(x.entries[k].ky) * 0.01);
            EXPECT_NEAR(x.entries[k].km, y.entries[k].km,
                        slack * std::fabs(x.entries[k].km) * 0.01);
        }
    }
    ASSERT_EQ(a.view1Count, b.view1Count);
    for (int k = 1; k <= a.view1Count; ++k) {
        EXPECT_EQ(a.view1[k].firstMember, b.view1[k].firstMember);
        EXPECT_EQ(a.view1[k].lastMember, b.view1[k].lastMember);
        EXPECT_EQ(a.view1[k].divisions, b.view1[k].divisions);
    }
    ASSERT_EQ(a.view2Count, b.view2Count);
    for (int k = 1; k <= a.view2Count; ++k) {
        const View2Member& x = a.view2[k];
        const View2Member& y = b.view2[k];
        EXPECT_EQ(x.memberNo, y.memberNo);
        ASSERT_EQ(x.count, y.count);
        for (int p = 1; p <= x.count; ++p) {
            EXPECT_NEAR(x.dist[p], y.dist[p], slack * 5e-4);
            EXPECT_EQ(Trimmed(x.pointName[p], kPointNameSize),
                      Trimmed(y.pointName[p], kPointNameSize));
        }
    }
    ASSERT_EQ(a.loadCaseCount, b.loadCaseCount);
    for (int c = 1; c <= a.loadCaseCount; ++c) {
        const LoadCase& x = a.loadCases[c];
        const LoadCase& y = b.loadCases[c];
        EXPECT_EQ(x.no, y.no);
        EXPECT_EQ(x.baneCaseNo, y.baneCaseNo);
        EXPECT_EQ(x.suptCaseNo, y.suptCaseNo);
        EXPECT_EQ(Trimmed(x.name, kNameSize), Trimmed(y.name, kNameSize));
        ASSERT_EQ(x.count, y.count);
        for (int k = 1; k <= x.count; ++k) {
            const LoadRecord& r = x.loads[k];
            const LoadRecord& s = y.loads[k];
            EXPECT_EQ(r.code, s.code);
            EXPECT_EQ(r.memberFrom, s.memberFrom);
            EXPECT_EQ(r.memberTo, s.memberTo);
            EXPECT_NEAR(r.qI, s.qI, slack * 5e-4);
            EXPECT_NEAR(r.qJ, s.qJ, slack * 5e-4);
            EXPECT_NEAR(r.distI, s.distI, slack * 5e-4);
            EXPECT_NEAR(r.distJ, s.distJ, slack * 5e-4);
        }
    }
    ASSERT_EQ(a.combinationCount, b.combinationCount);
    for (int c = 1; c <= a.combinationCount; ++c) {
        const KumiCase& x = a.combinations[c];
        const KumiCase& y = b.combinations[c];
        EXPECT_EQ(x.no, y.no);
        EXPECT_NEAR(x.factor, y.factor, slack * 5e-5);
        EXPECT_EQ(Trimmed(x.name, kNameSize), Trimmed(y.name, kNameSize));
        ASSERT_EQ(x.count, y.count);
        for (int k = 1; k <= x.count; ++k) {
            EXPECT_EQ(x.entries[k].loadCaseNo, y.entries[k].loadCaseNo);
            EXPECT_NEAR(x.entries[k].factor, y.entries[k].factor, slack * 5e-5);
        }
    }
}

}  // namespace datafile_test
