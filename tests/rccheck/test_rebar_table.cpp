// Bar areas by bar number, bar descriptions, the rebar table file (with a
// damaged copy), default RC sections from the frame sections and merging.
#include <gtest/gtest.h>

#include <memory>

#include "model/frame_model.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"

namespace {

struct RcDataDeleter {
    void operator()(RcCheckData* rc) const { FreeRcCheckData(rc); }
};
using RcDataPtr = std::unique_ptr<RcCheckData, RcDataDeleter>;

TEST(RebarTable, BuiltInAreas) {
    LoadBuiltInRebarTable();
    struct Row {
        int bar;
        double count, area;  // mm²
    } rows[] = {
        {19, 8, 2.865 * 100 * 8},  // 2292
        {13, 2, 253.4},
        {51, 1, 2027.0},
        {22, 2.5, 387.1 * 2.5},
        {11, 1, 0.0},  // no D11 row
        {5, 1, 0.0},   // a bar number without a row has no area, not D10's
        {60, 1, 0.0},
        {-3, 1, 0.0},
        {1000, 1, 0.0},
    };
    for (const Row& r : rows) EXPECT_NEAR(RebarArea(r.bar, r.count), r.area, 1e-9) << r.bar;
    // The bolt table is filled but not used for bars.
    EXPECT_DOUBLE_EQ(RebarAreaTable.m[39], 9.76);
    EXPECT_DOUBLE_EQ(RebarAreaTable.d[39], 0.0);
}

TEST(RebarTable, FormatAndParseBars) {
    LoadBuiltInRebarTable();
    const std::string times = "×"_sj;
    EXPECT_EQ(FormatBars(19, 8), "D19" + times + "8.00");
    EXPECT_EQ(FormatBars(11, 1), "");
    EXPECT_EQ(FormatBars(19, 0), "");
    EXPECT_EQ(FormatBars(0, 4), "");

    struct Row {
        std::string text;
        int bar;
        float count;
    } rows[] = {
        {"D13" + times + "2.5", 13, 2.5f},
        {"13*2.5", 13, 2.5f},
        {" D19" + times + "8.00 ", 19, 8.0f},
        {"D22*3.333", 22, 3.33f},
        {"D19", 0, 0.0f},
        {"", 0, 0.0f},
        {"d13*2", 0, 2.0f},  // only an upper-case D is a prefix
    };
    for (const Row& r : rows) {
        float count = -1;
        EXPECT_EQ(ParseBars(r.text, count), r.bar) << r.text;
        EXPECT_FLOAT_EQ(count, r.count) << r.text;
    }
    float count = 0;
    EXPECT_EQ(ParseBars(FormatBars(29, 4.25), count), 29);
    EXPECT_FLOAT_EQ(count, 4.25f);
}

TEST(RebarTable, DamagedFileReadsWhatItCan) {
    ASSERT_TRUE(LoadRebarTableFrom(std::string(TEST_DATA_DIR) + "/rccheck/rebar_damaged.csv"));
    const RebarAreaTableType& t = RebarAreaTable;
    EXPECT_DOUBLE_EQ(t.d[10], 0.7122);
    EXPECT_DOUBLE_EQ(t.d[13], 1.267);
    EXPECT_DOUBLE_EQ(t.d[16], 1.986);  // the later of two rows wins
    EXPECT_DOUBLE_EQ(t.d[19], 0.0);    // rows without a leading number
    EXPECT_DOUBLE_EQ(t.d[63], 5.0);    // D99 is kept in the last slot
    EXPECT_DOUBLE_EQ(t.d[22], 0.0);    // X22 ignored, "7,D22" has no area
    EXPECT_DOUBLE_EQ(t.d[25], 0.0);    // quoted name
    EXPECT_DOUBLE_EQ(t.m[20], 2.45);
    EXPECT_DOUBLE_EQ(t.d[29], 6.424);
    EXPECT_DOUBLE_EQ(t.d[32], 7.942);  // after a line of junk bytes
    LoadBuiltInRebarTable();
}

TEST(RebarTable, MissingFileFallsBackToTheBuiltInTable) {
    RebarAreaTable.d[19] = 123;
    EXPECT_FALSE(LoadRebarTableFrom(std::string(TEST_DATA_DIR) + "/rccheck/no-such-file.csv"));
    EXPECT_DOUBLE_EQ(RebarAreaTable.d[19], 2.865);
}

TEST(RcSections, DefaultsFromTheFrameSections) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc(NewRcCheckData());
    ASSERT_TRUE(rc);
    model->sectionCount = 3;
    model->sections[1] = FrameSection{1, 0.35f, 0.01f, {}};
    SetFixedText(model->sections[1].name, kNameSize, "A,1");
    model->sections[2] = FrameSection{7, 0.0004f, 0.0f, {}};
    model->sections[3] = FrameSection{9, 0.6f, 0.0f, {}};
    model->materialCount = 2;
    model->materials[1] = FrameMaterial{1, 2.5e7f, 0, 0};
    model->materials[2] = FrameMaterial{2, 3.0e7f, 0, 0};
    model->memberCount = 3;
    model->members[1].no = 1, model->members[1].sectionNo = 7, model->members[1].materialNo = 1;
    SetFixedText(model->members[1].name, kNameSize, " beam1 ");
    model->members[2].no = 2, model->members[2].sectionNo = 7, model->members[2].materialNo = 2;
    SetFixedText(model->members[2].name, kNameSize, "beam2");
    model->members[3].no = 3, model->members[3].sectionNo = 1, model->members[3].materialNo = 2;

    InitRcSections(*rc, *model);
    ASSERT_EQ(rc->sectionCount, 3);
    const RcSection& a = rc->sections[1];
    EXPECT_EQ(a.no, 1);
    EXPECT_EQ(std::string(a.name), "A，1"_sj);  // as the data file keeps it, on one line
    EXPECT_EQ(a.b, 1000.0f);
    EXPECT_EQ(a.h, 350.0f);
    EXPECT_EQ(a.ec, 31000.0f);  // a named section keeps the default modulus
    EXPECT_EQ(a.outer.d1, 19.0f);
    EXPECT_EQ(a.inner.n1, 8.0f);
    EXPECT_EQ(a.stirrupPitch, 250.0f);
    EXPECT_FLOAT_EQ(a.ta2, 0.405f);
    EXPECT_EQ(a.ssa2, 240.0f);
    // Unnamed: the last member using it gives name and Ec (kN/m² -> N/mm²).
    EXPECT_STREQ(rc->sections[2].name, "beam2");
    EXPECT_EQ(rc->sections[2].h, 0.0f);
    EXPECT_EQ(rc->sections[2].ec, 30000.0f);
    EXPECT_STREQ(rc->sections[3].name, "(9)");
    EXPECT_EQ(rc->sections[3].h, 600.0f);
}

TEST(RcSections, MergeEqualSections) {
    RcDataPtr rc(NewRcCheckData());
    ASSERT_TRUE(rc);
    const struct {
        int no;
        const char* name;
        float h;
    } rows[] = {{1, "A", 500}, {2, " A", 500}, {3, "A", 600}, {4, "B", 500}, {5, "A", 500}};
    rc->sectionCount = 5;
    for (int i = 0; i < 5; ++i) {
        RcSection& s = rc->sections[i + 1];
        s.no = rows[i].no;
        SetRcText(s.name, kRcNameSize, rows[i].name);
        s.b = 1000;
        s.h = rows[i].h;
        s.k1 = static_cast<float>(i);
    }
    rc->memberCount = 3;
    rc->memberChecks[1].sectionNo = 2;
    rc->memberChecks[2].sectionNo = 5;
    rc->memberChecks[3].sectionNo = 3;
    MergeEqualRcSections(*rc);
    ASSERT_EQ(rc->sectionCount, 3);
    EXPECT_EQ(rc->sections[1].no, 1);
    EXPECT_EQ(rc->sections[2].no, 3);  // numbers are not renumbered
    EXPECT_EQ(rc->sections[3].no, 4);
    EXPECT_EQ(rc->sections[1].k1, 0.0f);  // the first section's values stay
    EXPECT_EQ(rc->sections[4].no, 0);
    EXPECT_EQ(rc->memberChecks[1].sectionNo, 1);
    EXPECT_EQ(rc->memberChecks[2].sectionNo, 1);
    EXPECT_EQ(rc->memberChecks[3].sectionNo, 3);
}

}  // namespace
