// The RC block of the data file: the exact text of an empty block, a file
// (frame sections + RC block) read and written back byte for byte, and
// damaged or oversized blocks that must read without overrunning a table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rebar_table.h"

namespace {

struct RcDataDeleter {
    void operator()(RcCheckData* rc) const { FreeRcCheckData(rc); }
};
using RcDataPtr = std::unique_ptr<RcCheckData, RcDataDeleter>;

RcDataPtr NewRc() {
    RcDataPtr rc(NewRcCheckData());
    EXPECT_TRUE(rc);
    return rc;
}

TEST(RcDataFile, EmptyBlockText) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    TStringList list;
    WriteRcCheckData(list, *model, *rc);
    const char* keys[] = {"No", "B", "H", "oD1", "oD2", "oKs", "iD1", "iD2", "iKs",
                          "tDs", "tStp", "Sc1", "Ta1", "Ts1", "Fa1", "Ss1", "Sc2", "Ta2",
                          "Ts2", "Fa2", "Ss2", "fck", "fyk", "fwk", "Ec", "Es"};
    std::string expected = "\r\n" + "断面基準データ,    0"_sj + "\r\n";
    for (const char* key : keys) {
        std::string cell = std::string(key) + ",";
        cell.resize(cell.size() < 5 ? 5 : cell.size(), ' ');
        expected += cell + "\r\n";
        if (std::strcmp(key, "No") == 0) expected += "名称,"_sj + "\r\n";
    }
    for (int i = 0; i < 13; ++i) expected += ",    \r\n";
    expected += "EOB\r\n\r\n" + "荷重組合せデータ,    0,"_sj + "\r\nEOB\r\n";
    EXPECT_EQ(list.Text(), expected);
}

// One member with five points (three named, M-max, M-min), two sections,
// two check cases.
void FillSample(RcCheckData& rc) {
    LoadBuiltInRebarTable();
    rc.sectionCount = 2;
    for (int s = 1; s <= 2; ++s) {
        RcSection& x = rc.sections[s];
        x.no = s * 10;
        x.b = 1000;
        x.h = 500.0f + s;
        x.k1 = 30, x.k2 = 35;
        x.outer = RcBars{19, 8, 13, 2.5f};
        x.inner = RcBars{22, 4, 0, 0};
        x.stirrupD = 13, x.stirrupLegs = 2, x.stirrupPitch = 250;
        x.sca1 = 8, x.ta1 = 0.27f, x.tsa1 = 2.5f, x.fa1 = 1.5f, x.ssa1 = 160;
        x.sca2 = 12, x.ta2 = 0.405f, x.tsa2 = 3.75f, x.ssa2 = 240;
        x.ec = 31000, x.es = 200000, x.fck = 40, x.fyk = 345, x.fwk = 295;
    }
    SetRcText(rc.sections[1].name, kRcNameSize, "柱 1"_sj);
    SetRcText(rc.sections[2].name, kRcNameSize, "B2");
    rc.checkCaseCount = 2;
    rc.checkCases[1] = RcCheckCase{1, 1, {}};
    SetRcText(rc.checkCases[1].name, kRcNameSize, "D+L");
    rc.checkCases[2] = RcCheckCase{2, 3, {}};
    SetRcText(rc.checkCases[2].name, kRcNameSize, "L2 地震"_sj);
    rc.memberCount = 1;
    RcMemberChecks& m = rc.memberChecks[1];
    m.designStrength = 24;
    m.memberNo = 1;
    SetRcText(m.name, kRcNameSize, "beam");
    m.sectionNo = 20;
    m.b = 1000, m.h = 502;
    m.pointCount = 5;
    const char* names[] = {"", "i-end", "2.500", "j-end", "M-max", "M-min"};
    for (int p = 1; p <= 5; ++p) {
        RcPointCheck& pt = m.points[p];
        SetRcText(pt.name, kRcPointNameSize, names[p]);
        pt.b = 1000;
        pt.t1 = p == 2 ? 20.5f : 0.0f;
        for (int t = 1; t <= 2; ++t) {
            RcCaseCheck& c = pt.cases[t];
            c.sgCK = c.tuCK = t == 1;
            c.muCK = c.vyCK = t == 2;
            c.sca = 8, c.ssa = 160, c.taBase = 0.27f, c.tsa = 2.5f;
            c.fck = 40, c.fyk = 345, c.fwk = 295, c.ec = 31000, c.es = 200000;
            c.bend = RcForceSet{p == 5 ? 9.996f : 2.5f * (p - 1), 0, 125.25f * t, -50, 10, 0};
            c.shear = RcForceSet{2.5f, 0, 12, 50.5f, -10, 0};
            c.gc = c.gs = c.gbm = c.gbc = c.gbs = c.ga = c.gi = 1;
        }
    }
}

TEST(RcDataFile, FileRoundTripIsByteIdentical) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    PrepareMemberLoads(*model);
    RcDataPtr rc = NewRc();
    FillSample(*rc);
    TStringList list;
    WriteFrameDataFile(list, *model);
    WriteRcCheckData(list, *model, *rc);
    const std::string first = list.Text();

    TStringList read;
    read.SetText(first);
    auto model2 = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(*model2, read, warnings);
    RcDataPtr rc2 = NewRc();
    ReadRcCheckData(*rc2, *model2, read);
    TStringList again;
    WriteFrameDataFile(again, *model2);
    WriteRcCheckData(again, *model2, *rc2);
    EXPECT_EQ(again.Text(), first);

    // Through a file: frame sections and the RC block as the save writes it.
    TStringList block;
    WriteRcCheckData(block, *model, *rc);
    const std::string fileName = std::string(TEST_OUTPUT_DIR) + "/rc_round_trip.$O1";
    ASSERT_TRUE(WriteFrameDataFile(fileName, *model, &block));
    TStringList loaded;
    ASSERT_TRUE(loaded.LoadFromFile(fileName));
    EXPECT_EQ(loaded.Text(), first);

    // Fields, including the transformations of the format.
    ASSERT_EQ(rc2->sectionCount, 2);
    EXPECT_EQ(rc2->sections[1].no, 10);
    EXPECT_EQ(std::string(rc2->sections[1].name), "柱1"_sj);  // blanks removed
    EXPECT_EQ(rc2->sections[2].outer.d2, 13.0f);
    EXPECT_EQ(rc2->sections[2].outer.n2, 2.5f);
    EXPECT_EQ(rc2->sections[2].inner.d2, 0.0f);  // empty bar cell: no bars
    EXPECT_EQ(rc2->sections[2].stirrupLegs, 2.0f);
    EXPECT_FLOAT_EQ(rc2->sections[2].fa1, 1.5f);
    EXPECT_EQ(rc2->sections[2].fwk, 295.0f);
    ASSERT_EQ(rc2->checkCaseCount, 2);
    EXPECT_EQ(rc2->checkCases[2].checkType, 3);
    EXPECT_EQ(std::string(rc2->checkCases[2].name), "L2地震"_sj);
    ASSERT_EQ(rc2->memberCount, 1);
    const RcMemberChecks& m = rc2->memberChecks[1];
    EXPECT_EQ(m.sectionNo, 20);
    EXPECT_EQ(m.pointCount, 5);
    EXPECT_FLOAT_EQ(m.designStrength, 24);
    EXPECT_STREQ(m.name, "beam");
    EXPECT_FLOAT_EQ(m.length, model2->members[1].length);
    EXPECT_STREQ(m.points[5].name, "M-min");
    EXPECT_FLOAT_EQ(m.points[2].t1, 20.5f);
    EXPECT_EQ(m.points[3].cases[2].muCK, 1);
    EXPECT_EQ(m.points[3].cases[2].sgCK, 0);
    EXPECT_FLOAT_EQ(m.points[4].cases[2].bend.m, 250.5f);
    // A point just inside the member end stays inside it.
    EXPECT_FLOAT_EQ(m.points[5].cases[1].bend.x, 9.996f);
    EXPECT_FLOAT_EQ(m.points[4].cases[1].shear.s, 50.5f);
}

TEST(RcDataFile, DamagedAndOversizedBlocksReadSafely) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    rc->memberChecks[2].points[3].cases[1].bend.m = 77;  // not in the file
    const std::string memberHead = "部材断面ｉ(ib/No/np)"_sj;
    const std::string text =
        "断面基準データ"_sj + ",  9999\r\n"
        "No,  1,  2,\r\n" +
        "名称"_sj + ",A,\r\n"
        "H,   500\r\n"
        "XYZ, 1,2\r\n"
        "oD1, D19" + "×"_sj + "8.00,13*2\r\n"
        "EOB\r\n" +
        "荷重組合せデータ"_sj + ", 9999,\r\n"
        " 1,    2,    7,  A,B\r\n" +
        memberHead + ",9999,1,9999,9999\r\n"
        "..bzNo,5.9,  a b\r\n"
        "EOB\r\n" +
        memberHead + ",2,7,3,1\r\n"
        "....bzNo,   12,  col\r\n"
        ".." + "着目点数"_sj + ",   3\r\n"
        "EOB\r\n" +
        "名称"_sj + ",p1,p2\r\n"
        "EOB\r\n" +
        "ｹｰｽ"_sj + ",   1,   1\r\n"
        "SgCK,  1,  0,  5\r\n"
        "MzM,   1.5,\r\n"
        "EOB\r\n";
    TStringList list;
    list.SetText(text);
    ReadRcCheckData(*rc, *model, list);

    EXPECT_EQ(rc->sectionCount, kRcMaxSections);
    EXPECT_EQ(rc->sections[1].no, 1);
    EXPECT_EQ(rc->sections[2].no, 2);
    EXPECT_EQ(rc->sections[3].no, 0);  // missing cell reads as 0
    EXPECT_STREQ(rc->sections[1].name, "A");
    EXPECT_EQ(rc->sections[1].h, 500.0f);
    EXPECT_EQ(rc->sections[1].outer.d1, 19.0f);
    EXPECT_EQ(rc->sections[1].outer.n1, 8.0f);
    EXPECT_EQ(rc->sections[2].outer.d1, 13.0f);
    EXPECT_EQ(rc->sections[2].outer.n1, 2.0f);

    // The oversized member index has no block: skipped. Member 2 reads.
    EXPECT_EQ(rc->memberCount, 2);
    EXPECT_EQ(rc->checkCaseCount, 1);  // set by the member header
    EXPECT_EQ(rc->checkCases[1].comboNo, 7);
    EXPECT_STREQ(rc->checkCases[1].name, "A");  // a comma ends the name
    const RcMemberChecks& m = rc->memberChecks[2];
    EXPECT_EQ(m.memberNo, 12);  // keys match by containment
    EXPECT_STREQ(m.name, "col");
    EXPECT_EQ(m.pointCount, 3);
    EXPECT_STREQ(m.points[1].name, "p1");
    EXPECT_STREQ(m.points[2].name, "p2");
    EXPECT_EQ(m.points[1].cases[1].sgCK, 1);
    EXPECT_EQ(m.points[2].cases[1].sgCK, 0);
    EXPECT_EQ(m.points[3].cases[1].sgCK, 1);  // any value but 0 switches on
    EXPECT_FLOAT_EQ(m.points[1].cases[1].bend.m, 1.5f);
    EXPECT_FLOAT_EQ(m.points[3].cases[1].bend.m, 77.0f);  // no cell: kept
}

TEST(RcDataFile, OversizedCountsAreWrittenWithinTheTables) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    rc->sectionCount = 100000;
    rc->checkCaseCount = 9999;
    rc->memberCount = 1;
    rc->memberChecks[1].pointCount = 500;
    TStringList list;
    WriteRcCheckData(list, *model, *rc);
    // 2 + 40 + 1 section lines, 3 + 65 case lines, member header 10 lines,
    // points 23, per case 1 + 35 + 1.
    EXPECT_EQ(list.Count(), 43 + 68 + 10 + 23 + 65 * 37);
}

}  // namespace
