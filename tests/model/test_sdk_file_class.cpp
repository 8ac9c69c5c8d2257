// Reading a data file into the outside library's input record: the default
// model and an expanded model field by field against the model written, the
// layouts the library relies on, and the files the reader must refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "model/data_file.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/sdk_file_class.h"
#include "model_builder.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"

namespace {

std::string Text(const char* fixed, std::size_t size) {
    return Trim(std::string(fixed, strnlen(fixed, size)));
}

// Six significant digits, cut (mantissa-exponent fields).
void ExpectNear6(double expected, double actual) {
    EXPECT_NEAR(expected, actual, std::fabs(expected) * 1e-5 + 1e-12);
}

// The record must carry the model as the file holds it: coordinates to
// 1e-4 m, mantissa-exponent values to six digits, loads to 1e-3, factors
// to 1e-4; every table pointer set exactly when its count is above 0.
void ExpectRecordHoldsModel(const FrameModel& m, const FR_SDK_MAINDATA& d) {
    EXPECT_EQ(Text(m.header.title, kNameSize), Text(d.title, sizeof d.title));
    ASSERT_EQ(m.nodeCount, d.nodeCount);
    for (int k = 1; k <= m.nodeCount; ++k) {
        const FR_SDK_NODE n = d.nodes[k - 1];
        EXPECT_EQ(m.nodes[k].no, n.no);
        EXPECT_NEAR(m.nodes[k].x, n.x, 1e-4);
        EXPECT_NEAR(m.nodes[k].y, n.y, 1e-4);
    }
    ASSERT_EQ(m.materialCount, d.materialCount);
    for (int k = 1; k <= m.materialCount; ++k) {
        const FR_SDK_MATERIAL r = d.materials[k - 1];
        EXPECT_EQ(m.materials[k].no, r.no);
        ExpectNear6(m.materials[k].e, r.e);
        ExpectNear6(m.materials[k].alpha, r.alpha);
    }
    ASSERT_EQ(m.sectionCount, d.sectionCount);
    for (int k = 1; k <= m.sectionCount; ++k) {
        const FR_SDK_SECTION r = d.sections[k - 1];
        EXPECT_EQ(m.sections[k].no, r.no);
        ExpectNear6(std::max(1e-9f, m.sections[k].area), r.area);
        ExpectNear6(std::max(1e-9f, m.sections[k].inertia), r.inertia);
    }
    ASSERT_EQ(m.memberCount, d.memberCount);
    for (int k = 1; k <= m.memberCount; ++k) {
        const FrameMember& a = m.members[k];
        const FR_SDK_MEMBER b = d.members[k - 1];
        EXPECT_EQ(a.no, b.no);
        EXPECT_EQ(a.nodeI, b.nodeI);
        EXPECT_EQ(a.nodeJ, b.nodeJ);
        EXPECT_EQ(a.sectionNo, b.sectionNo);
        EXPECT_EQ(a.sectionNo, b.sectionNo2);
        EXPECT_EQ(a.materialNo, b.materialNo);
        EXPECT_EQ(a.endI, b.endI);
        EXPECT_EQ(a.endJ, b.endJ);
    }
    ASSERT_EQ(m.springCaseCount, d.springCaseCount);
    EXPECT_EQ(m.springCaseCount == 0, d.springCases == nullptr);
    for (int c = 1; c <= m.springCaseCount; ++c) {
        const FR_SDK_SPRINGCASE sc = d.springCases[c - 1];
        EXPECT_EQ(m.springCases[c].no, sc.no);
        ASSERT_EQ(m.springCases[c].count, sc.count);
        for (int k = 1; k <= sc.count; ++k) {
            const FR_SDK_SPRINGENTRY e = sc.entries[k - 1];
            EXPECT_EQ(m.springCases[c].entries[k].memberNo, e.memberNo);
            ExpectNear6(m.springCases[c].entries[k].kv, e.kv);
            ExpectNear6(m.springCases[c].entries[k].ku, e.ku);
        }
    }
    ASSERT_EQ(m.supportCaseCount, d.supportCaseCount);
    EXPECT_EQ(m.supportCaseCount == 0, d.supportCases == nullptr);
    for (int c = 1; c <= m.supportCaseCount; ++c) {
        const FR_SDK_SUPPORTCASE sc = d.supportCases[c - 1];
        EXPECT_EQ(m.supportCases[c].no, sc.no);
        ASSERT_EQ(m.supportCases[c].count, sc.count);
        for (int k = 1; k <= sc.count; ++k) {
            const SuptEntry& a = m.supportCases[c].entries[k];
            const FR_SDK_SUPPORTENTRY b = sc.entries[k - 1];
            EXPECT_EQ(a.nodeNo, b.nodeNo);
            EXPECT_EQ(a.code, b.code);
            const float v[6] = {a.kx, a.ky, a.km, a.reserved[0], a.reserved[1], a.reserved[2]};
            // (7, 3) fields: three significant digits.
            for (int f = 0; f < 6; ++f)
                EXPECT_NEAR(v[f], b.values[f], std::fabs(v[f]) * 1e-2 + 1e-12) << f;
        }
    }
    ASSERT_EQ(1, d.viewCount);
    ASSERT_NE(nullptr, d.view);
    const FR_SDK_VIEW view = *d.view;
    ASSERT_EQ(m.view1Count, view.rangeCount);
    EXPECT_EQ(m.view1Count == 0, view.ranges == nullptr);
    for (int k = 1; k <= m.view1Count; ++k) {
        const FR_SDK_VIEWRANGE r = view.ranges[k - 1];
        EXPECT_EQ(m.view1[k].firstMember, r.firstMember);
        EXPECT_EQ(m.view1[k].lastMember, r.lastMember);
        EXPECT_EQ(m.view1[k].divisions, r.divisions);
    }
    ASSERT_EQ(m.view2Count, view.memberCount);
    for (int k = 1; k <= m.view2Count; ++k) {
        const FR_SDK_VIEWMEMBER v = view.members[k - 1];
        EXPECT_EQ(m.view2[k].memberNo, v.memberNo);
        ASSERT_EQ(m.view2[k].count, v.count);
        EXPECT_EQ(v.count == 0, v.distances == nullptr);
        for (int p = 1; p <= v.count; ++p)
            EXPECT_NEAR(m.view2[k].dist[p], v.distances[p - 1], 1e-3);
    }
    ASSERT_EQ(m.loadCaseCount, d.loadCaseCount);
    for (int c = 1; c <= m.loadCaseCount; ++c) {
        const LoadCase& a = m.loadCases[c];
        const FR_SDK_LOADCASE b = d.loadCases[c - 1];
        EXPECT_EQ(a.no, b.no);
        EXPECT_EQ(a.baneCaseNo, b.baneCaseNo);
        EXPECT_EQ(a.suptCaseNo, b.suptCaseNo);
        EXPECT_EQ(Text(a.name, kNameSize), Text(b.name, sizeof b.name));
        ASSERT_EQ(a.count, b.count);
        for (int k = 1; k <= a.count; ++k) {
            const LoadRecord& x = a.loads[k];
            const FR_SDK_LOAD y = b.loads[k - 1];
            EXPECT_EQ(x.code, y.code);
            EXPECT_EQ(x.memberFrom, y.memberFrom);
            EXPECT_EQ(x.memberTo, y.memberTo);
            EXPECT_NEAR(x.qI, y.qI, 1e-3);
            EXPECT_NEAR(x.qJ, y.qJ, 1e-3);
            EXPECT_NEAR(x.distI, y.distI, 1e-3);
            EXPECT_NEAR(x.distJ, y.distJ, 1e-3);
        }
    }
    ASSERT_EQ(m.combinationCount, d.combinationCount);
    for (int c = 1; c <= m.combinationCount; ++c) {
        const KumiCase& a = m.combinations[c];
        const FR_SDK_COMBINATION b = d.combinations[c - 1];
        EXPECT_EQ(a.no, b.no);
        EXPECT_NEAR(a.factor, b.factor, 1e-4);
        EXPECT_EQ(Text(a.name, kNameSize), Text(b.name, sizeof b.name));
        ASSERT_EQ(a.count, b.count);
        for (int k = 1; k <= a.count; ++k) {
            const FR_SDK_COMBIENTRY e = b.entries[k - 1];
            EXPECT_EQ(a.entries[k].loadCaseNo, e.loadCaseNo);
            EXPECT_NEAR(a.entries[k].factor, e.factor, 1e-4);
        }
    }
    EXPECT_EQ(0, d.pickCaseCount);
    EXPECT_EQ(nullptr, d.pickCases);
}

TStringList FileOf(const FrameModel& model) {
    TStringList list;
    WriteFrameDataFile(list, model);
    return list;
}

bool RecordIsZero(const FR_SDK_MAINDATA& d) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&d);
    for (std::size_t k = 0; k < sizeof d; ++k)
        if (bytes[k] != 0) return false;
    return true;
}

// A model with every kind of table, rigid zones, a pin, springs, a member
// whose points of interest all sit at 0 and names in Japanese.
std::unique_ptr<FrameModel> RichModel() {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 0, 3.5).Node(3, 6, 3.5).Node(4, 6, 0).Node(7, -2.25, 3.5);
    b.Material(1, 2.05e8, 1e-5).Material(2, 2.5e7, 1.2e-5);
    b.Section(1, 0.25, 0.0052).Section(3, 0.0123, 0.000456);
    b.Member(1, 1, 2).Member(2, 2, 3, 0, 1, 3, 2).Member(3, 4, 3).Member(4, 7, 2, 1, 0);
    FrameModel& m = b.model();
    m.members[2].rigidI = 0.3f;
    m.members[2].rigidJ = 0.45f;
    SetFixedText(m.header.title, kNameSize, "門型ラーメン 検討"_sj.c_str());
    b.Support(1, 1, kSupportFixed).Support(1, 4, kSupportSpring, 12345, 5e4, 3.2e3);
    b.Support(2, 1, kSupportPin).Support(2, 4, kSupportRollerY);
    m.springCaseCount = 1;
    BaneCase& bc = m.springCases[1];
    bc.no = 5;
    bc.count = 2;
    bc.entries[1] = BaneEntry{2, 1.5e4f, 2.0e3f};
    bc.entries[2] = BaneEntry{4, 800.0f, 0.0f};
    m.view1Count = 1;
    m.view1[1] = View1Range{1, 4, 8};
    b.ViewPoints(3, {});  // an entry without points
    b.ViewPoints(2, {1.5, 3.0}, "中間"_sj.c_str());
    b.Load(1, kLoadDistY, 2, -12.5, -12.5);
    b.Load(1, kLoadConcX, 1, 20, 0, 1.75);
    b.Load(2, kLoadNodal, 7, 3.0, -4.0, 1.5);
    b.LoadCaseDef(2, 2);
    m.loadCases[2].baneCaseNo = 5;
    SetFixedText(m.loadCases[1].name, kNameSize, "固定荷重"_sj.c_str());
    SetFixedText(m.loadCases[2].name, kNameSize, "地震 X方向"_sj.c_str());
    b.Combination(1, 1.0, {{1, 1.0}, {2, 1.5}});
    SetFixedText(m.combinations[1].name, kNameSize, "長期+短期"_sj.c_str());
    auto out = NewFrameModelRecord();
    std::memcpy(out.get(), &m, sizeof(FrameModel));
    return out;
}

TEST(SdkFileClassLoad, DefaultModelArrivesWhole) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    TFrameFileClass file;
    FR_SDK_MAINDATA d;
    ASSERT_TRUE(file.LoadFromList(FileOf(*model), d));
    ExpectRecordHoldsModel(*model, d);
    // The default beam, by value: 200000 kN/m2 survives its mantissa field.
    EXPECT_DOUBLE_EQ(200000.0, d.materials[0].e);
    EXPECT_EQ(0, d.springCaseCount);
    EXPECT_EQ(0, d.options);
}

TEST(SdkFileClassLoad, RichAndExpandedModelsArriveWhole) {
    auto user = RichModel();
    {
        SCOPED_TRACE("as the user wrote it");
        TFrameFileClass file;
        FR_SDK_MAINDATA d;
        ASSERT_TRUE(file.LoadFromList(FileOf(*user), d));
        ExpectRecordHoldsModel(*user, d);
        // The member entry without points takes no values line of its own.
        ASSERT_EQ(2, d.view->memberCount);
        EXPECT_EQ(0, d.view->members[0].count);
        EXPECT_NEAR(3.0, d.view->members[1].distances[1], 1e-9);
    }
    auto copy = NewFrameModelRecord();
    ExpandFrameModel(*copy, *user, false, false);
    ASSERT_GT(copy->memberCount, user->memberCount);  // the rigid zones became members
    SCOPED_TRACE("expanded");
    TFrameFileClass file;
    FR_SDK_MAINDATA d;
    ASSERT_TRUE(file.LoadFromList(FileOf(*copy), d));
    ExpectRecordHoldsModel(*copy, d);
}

TEST(SdkFileClassLoad, LayoutsTheLibraryReliesOn) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    model->header.optMmax = 1;
    model->header.optExtraFactor = 1;
    model->header.optPrestress = 1;  // not passed on
    model->members[1].sectionNo = 3;
    model->members[1].endJ = 1;
    model->supportCaseCount = 0;
    model->loadCases[1].suptCaseNo = 0;
    TFrameFileClass file;
    FR_SDK_MAINDATA d;
    ASSERT_TRUE(file.LoadFromList(FileOf(*model), d));
    EXPECT_EQ(4 + 48, d.options);
    const FR_SDK_MEMBER m = d.members[0];
    const int expected[8] = {1, 1, 2, 3, 3, 1, 0, 1};
    const int got[8] = {m.no,         m.nodeI,      m.nodeJ, m.sectionNo,
                        m.sectionNo2, m.materialNo, m.endI,  m.endJ};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(expected[k], got[k]) << k;
    EXPECT_EQ(0, d.supportCaseCount);
    EXPECT_EQ(nullptr, d.supportCases);
    EXPECT_EQ(0, d.springCaseCount);
    EXPECT_EQ(nullptr, d.springCases);

    // Every option alone sets its own bit.
    const int bits[4] = {2, 4, 8, 48};
    for (int k = 0; k < 4; ++k) {
        model->header.optRenumber = k == 0;
        model->header.optMmax = k == 1;
        model->header.optViewPoint = k == 2;
        model->header.optExtraFactor = k == 3;
        ASSERT_TRUE(file.LoadFromList(FileOf(*model), d));
        EXPECT_EQ(bits[k], d.options) << k;
    }
}

TEST(SdkFileClassLoad, EveryShortenedFileIsRefused) {
    auto model = RichModel();
    const TStringList full = FileOf(*model);
    int end = 0;
    while (full[end] != "END") ++end;
    TFrameFileClass file;
    FR_SDK_MAINDATA d;
    // Up to the last combination entry every line is needed; the names
    // after "END" are not.
    for (int n = 0; n < end; ++n) {
        TStringList cut;
        for (int k = 0; k < n; ++k) cut.Add(full[k]);
        EXPECT_FALSE(file.LoadFromList(cut, d)) << n << " lines";
        EXPECT_TRUE(RecordIsZero(d));
    }
    TStringList enough;
    for (int k = 0; k < end; ++k) enough.Add(full[k]);
    EXPECT_TRUE(file.LoadFromList(enough, d));
}

TEST(SdkFileClassLoad, DamagedValues) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    const TStringList good = FileOf(*model);
    auto index = [&](const char* keyword) {
        for (int k = 0; k < good.Count(); ++k)
            if (good[k].rfind(keyword, 0) == 0) return k;
        return -1;
    };
    struct Damage {
        const char* what;
        int line;
        std::string text;
        bool accepted;
    };
    const int point = index("POINT");
    const int member = index("MEMBER");
    const int load = index("LOAD-CASE");
    const Damage cases[] = {
        {"node number with decimals", point + 1, "       1.5    0.0000    0.0000", false},
        {"node number not a number", point + 1, "         x    0.0000    0.0000", false},
        {"unreadable coordinate reads as 0", point + 2, "         2       abc    0.0000", true},
        {"member item missing", member + 1, "         1    1    2    1", false},
        {"negative node count", 3, "             -2    1    1    1    0    0    1    0", false},
        {"count beyond the file", 3, "         99999    1    1    1    0    0    1    0", false},
        {"load value unreadable", load + 1,
         "        14    1    0   -10.000       q     0.000     0.000", false},
        {"not a data file", 0, "HELLO", false},
        {"extraction cases announced", 5, "              1    1    3    0    0    0", false},
    };
    TFrameFileClass file;
    for (const Damage& c : cases) {
        TStringList list = good;
        list[c.line] = c.text;
        FR_SDK_MAINDATA d;
        EXPECT_EQ(c.accepted, file.LoadFromList(list, d)) << c.what;
        if (c.accepted) {
            EXPECT_EQ(0.0, d.nodes[1].x) << c.what;
        }
    }
    FR_SDK_MAINDATA d;
    EXPECT_FALSE(file.LoadFromFile(CaseOutputDir() + "/no such file.$O1", d));
}

TEST(SdkFileClassLoad, LongNamesAreCutAtACharacterBoundary) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    TStringList list = FileOf(*model);
    int load = 0;
    while (list[load].rfind("LOAD-CASE", 0) != 0) ++load;
    // 39 ASCII bytes then a double-byte character across column 80.
    list[load] = list[load].substr(0, 40) + std::string(39, 'a') + "荷重"_sj;
    TFrameFileClass file;
    FR_SDK_MAINDATA d;
    ASSERT_TRUE(file.LoadFromList(list, d));
    EXPECT_EQ(std::string(39, 'a'), std::string(d.loadCases[0].name));
}

}  // namespace
