// The RC block of the data file: the exact text of an empty block, a file
// (frame sections + RC block) read and written back byte for byte, and
// damaged or oversized blocks that must read without overrunning a table.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rebar_table.h"
#include "tests/case_output.h"

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
    const char* keys[] = {"No",  "B",    "H",   "oD1", "oD2", "oKs", "iD1", "iD2", "iKs",
                          "tDs", "tStp", "Sc1", "Ta1", "Ts1", "Fa1", "Ss1", "Sc2", "Ta2",
                          "Ts2", "Fa2",  "Ss2", "fck", "fyk", "fwk", "Ec",  "Es"};
    std::string expected = "\r\n" + "断面基準データ,    0"_sj + "\r\n";
    for (const char* key : keys) {
        std::string cell = std::string(key) + ",";
        cell.resize(cell.size() < 5 ? 5 : cell.size(), ' ');
        expected += cell + "\r\n";
        if (std::strcmp(key, "No") == 0) expected += "名称,"_sj + "\r\n";
    }
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
    const std::string fileName = CaseOutputDir() + "/rc_round_trip.$O1";
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
    // The forces are the analysis's: not kept, and known to be missing
    // until the next calculation.
    EXPECT_EQ(first.find("MzM"), std::string::npos);
    EXPECT_EQ(m.points[4].cases[2].bend.m, 0.0f);
    EXPECT_TRUE(rc2->forcesMissing);

    // A file written before, with its force rows, still gives its forces.
    for (int i = 0, heads = 0; i < read.Count(); ++i) {
        if (read[i].compare(0, 4, "ｹｰｽ"_sj) != 0 || ++heads != 2) continue;
        TStringList old;
        for (int k = 0; k < read.Count(); ++k) {
            old.Add(read[k]);
            if (k == i) {
                old.Add("MzX,     0.50,     2.50,     5.00,     7.50,    9.996,");
                old.Add("MzM,     1.00,     2.00,     3.00,   250.50,     5.00,");
            }
        }
        RcDataPtr rc3 = NewRc();
        ReadRcCheckData(*rc3, *model2, old);
        EXPECT_FALSE(rc3->forcesMissing);
        EXPECT_FLOAT_EQ(rc3->memberChecks[1].points[4].cases[2].bend.m, 250.5f);
        // A point just inside the member end stays inside it.
        EXPECT_FLOAT_EQ(rc3->memberChecks[1].points[5].cases[2].bend.x, 9.996f);
        EXPECT_EQ(rc3->memberChecks[1].points[3].cases[2].muCK, 1);
        break;
    }
}

// Whatever is typed into a point's case entry (a switch, an allowable, a
// material value) comes back from the file, though only the rows that
// differ from what the check type gives are written.
TEST(RcDataFile, TypedCaseValuesReadBackValueForValue) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    PrepareMemberLoads(*model);
    struct Field {
        float RcCaseCheck::*real;
        std::uint8_t RcCaseCheck::*flag;
        double scale;  // the file keeps this many steps per unit
    };
    const Field fields[] = {
        {&RcCaseCheck::sca, nullptr, 100},     {&RcCaseCheck::ssa, nullptr, 10},
        {&RcCaseCheck::taBase, nullptr, 1000}, {&RcCaseCheck::tsa, nullptr, 1000},
        {&RcCaseCheck::fck, nullptr, 100},     {&RcCaseCheck::fyk, nullptr, 10},
        {&RcCaseCheck::fwk, nullptr, 1000},    {&RcCaseCheck::ec, nullptr, 1000},
        {nullptr, &RcCaseCheck::sgCK, 1},      {nullptr, &RcCaseCheck::muCK, 1},
        {nullptr, &RcCaseCheck::tuCK, 1},      {nullptr, &RcCaseCheck::vyCK, 1},
    };
    std::uint32_t seed = 7;
    const auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    for (int trial = 0; trial < 60; ++trial) {
        RcDataPtr rc = NewRc();
        FillSample(*rc);
        RcMemberChecks& m = rc->memberChecks[1];
        for (int edit = 0; edit < 1 + trial % 5; ++edit) {
            RcCaseCheck& c = m.points[1 + next(5)].cases[1 + next(2)];
            const Field& f = fields[next(12)];
            if (f.flag)
                c.*f.flag = static_cast<std::uint8_t>(1 - c.*f.flag);
            else
                c.*f.real = static_cast<float>(next(400000) / f.scale);
        }
        TStringList list;
        WriteRcCheckData(list, *model, *rc);
        RcDataPtr back = NewRc();
        ReadRcCheckData(*back, *model, list);
        for (int p = 1; p <= 5; ++p)
            for (int t = 1; t <= 2; ++t)
                for (const Field& f : fields) {
                    const RcCaseCheck& a = m.points[p].cases[t];
                    const RcCaseCheck& b = back->memberChecks[1].points[p].cases[t];
                    if (f.flag)
                        EXPECT_EQ(b.*f.flag, a.*f.flag) << trial << " " << p << " " << t;
                    else
                        EXPECT_NEAR(b.*f.real, a.*f.real, 0.5 / f.scale * (1 + 1e-3 * a.*f.real))
                            << trial << " " << p << " " << t;
                }
    }
}

TEST(RcDataFile, DamagedAndOversizedBlocksReadSafely) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    rc->memberChecks[2].points[3].cases[1].bend.m = 77;  // not in the file
    const std::string memberHead = "部材断面ｉ(ib/No/np)"_sj;
    const std::string text = "断面基準データ"_sj +
                             ",  9999\r\n"
                             "No,  1,  2,\r\n" +
                             "名称"_sj +
                             ",A,\r\n"
                             "H,   500\r\n"
                             "XYZ, 1,2\r\n"
                             "oD1, D19" +
                             "×"_sj +
                             "8.00,13*2\r\n"
                             "EOB\r\n" +
                             "荷重組合せデータ"_sj +
                             ", 9999,\r\n"
                             " 1,    2,    7,  A,B\r\n" +
                             memberHead +
                             ",9999,1,9999,9999\r\n"
                             "..bzNo,5.9,  a b\r\n"
                             "EOB\r\n" +
                             memberHead +
                             ",2,7,3,1\r\n"
                             "....bzNo,   12,  col\r\n"
                             ".." +
                             "着目点数"_sj +
                             ",   3\r\n"
                             "EOB\r\n" +
                             "名称"_sj +
                             ",p1,p2\r\n"
                             "EOB\r\n" +
                             "ｹｰｽ"_sj +
                             ",   1,   1\r\n"
                             "SgCK,  1,  0,  5\r\n"
                             "MzM,   1.5,\r\n"
                             "EOB\r\n";
    TStringList list;
    list.SetText(text);
    std::string warnings;
    ReadRcCheckData(*rc, *model, list, warnings);

    // Only the two sections the table holds, not 9999 (or 803) of them.
    EXPECT_EQ(rc->sectionCount, 2);
    EXPECT_EQ(rc->sections[1].no, 1);
    EXPECT_EQ(rc->sections[2].no, 2);
    EXPECT_STREQ(rc->sections[1].name, "A");
    EXPECT_EQ(rc->sections[1].h, 500.0f);
    EXPECT_EQ(rc->sections[1].outer.d1, 19.0f);
    EXPECT_EQ(rc->sections[1].outer.n1, 8.0f);
    EXPECT_EQ(rc->sections[2].outer.d1, 13.0f);
    EXPECT_EQ(rc->sections[2].outer.n1, 2.0f);

    ASSERT_EQ(rc->checkCaseCount, 1);
    EXPECT_EQ(rc->checkCases[1].comboNo, 7);
    EXPECT_STREQ(rc->checkCases[1].name, "A");  // a comma ends the name

    // The head with a damaged number is the first member; its point table
    // is missing, so it has no points, and its tables never swallow the
    // next member's. The second reads whole.
    EXPECT_EQ(rc->memberCount, 2);
    EXPECT_EQ(rc->memberChecks[1].memberNo, 5);
    EXPECT_EQ(rc->memberChecks[1].pointCount, 0);
    const RcMemberChecks& m = rc->memberChecks[2];
    EXPECT_EQ(m.memberNo, 12);  // keys match by containment
    EXPECT_STREQ(m.name, "col");
    EXPECT_EQ(m.pointCount, 2);  // 3 declared, 2 held
    EXPECT_STREQ(m.points[1].name, "p1");
    EXPECT_STREQ(m.points[2].name, "p2");
    EXPECT_EQ(m.points[1].cases[1].sgCK, 1);
    EXPECT_EQ(m.points[2].cases[1].sgCK, 0);
    EXPECT_FLOAT_EQ(m.points[1].cases[1].bend.m, 1.5f);
    EXPECT_FLOAT_EQ(m.points[3].cases[1].bend.m, 77.0f);  // beyond the points: untouched

    EXPECT_EQ(
        warnings,
        "RC断面データの断面数 9999 に対し、データは 2 断面分しか無いため 2 断面としました.\n"_sj
        "荷重組合せデータのケース数 9999 に対し、データは 1 ケース分しか無いため 1 ケースとしました.\n"_sj
        "1 番目の部材データの見出しの番号 \"9999\" を 1 として読みました.\n"_sj
        "部材データ 1 のケース数 9999 に対し、データは 1 ケース分しか無いため 1 ケースとしました.\n"_sj
        "部材データ 1 の着目点の表が EOB で終わっていません.\n"_sj
        "部材データ 1 の着目点数 9999 に対し、データは 0 点分しか無いため 0 点としました.\n"_sj
        "部材データ 1 のケース 1 以降の表が見つかりません.\n"_sj
        "部材データ 2 の着目点数 3 に対し、データは 2 点分しか無いため 2 点としました.\n"_sj);
}

// The sample block written, with one line of it replaced.
std::string DamagedSample(const std::string& from, const std::string& to) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    FillSample(*rc);
    TStringList list;
    WriteRcCheckData(list, *model, *rc);
    std::string text = list.Text();
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct ReadBack {
    RcDataPtr rc = NewRc();
    std::string warnings;
    std::string written;  // the block written again from what was read
};

ReadBack ReadText(const std::string& text) {
    ReadBack r;
    auto model = NewFrameModelRecord();
    TStringList list;
    list.SetText(text);
    ReadRcCheckData(*r.rc, *model, list, r.warnings);
    TStringList again;
    WriteRcCheckData(again, *model, *r.rc);
    r.written = again.Text();
    return r;
}

std::string SampleText() { return DamagedSample("EOB", "EOB"); }

TEST(RcDataFile, ASectionCountBeyondTheTableReadsOnlyTheSectionsHeld) {
    // A count of 9999 over a table of two sections: two sections, a
    // warning, and the file written back as it was (not 800 empty sections).
    const ReadBack r =
        ReadText(DamagedSample("断面基準データ,    2"_sj, "断面基準データ, 9999"_sj));
    EXPECT_EQ(r.rc->sectionCount, 2);
    EXPECT_EQ(r.written, SampleText());
    EXPECT_EQ(
        r.warnings,
        "RC断面データの断面数 9999 に対し、データは 2 断面分しか無いため 2 断面としました.\n"_sj);
    // Fewer declared than held: the rest is named, not silently dropped.
    const ReadBack fewer =
        ReadText(DamagedSample("断面基準データ,    2"_sj, "断面基準データ,    1"_sj));
    EXPECT_EQ(fewer.rc->sectionCount, 1);
    EXPECT_EQ(fewer.warnings,
              "RC断面データの断面数 1 を超える 1 断面分のデータを読み飛ばしました.\n"_sj);
    const ReadBack negative =
        ReadText(DamagedSample("断面基準データ,    2"_sj, "断面基準データ,   -4"_sj));
    EXPECT_EQ(negative.rc->sectionCount, 0);
    EXPECT_EQ(negative.warnings.substr(0, negative.warnings.find('\n')),
              "RC断面データの断面数 -4 は無効なため 0 としました."_sj);
}

TEST(RcDataFile, AMemberHeadWithADamagedNumberKeepsItsData) {
    const std::string head = "部材断面ｉ(ib/No/np)"_sj;
    for (const char* number : {"x", "0", "9999", "-1"}) {
        SCOPED_TRACE(number);
        const ReadBack r = ReadText(DamagedSample(head + ",1,", head + "," + number + ","));
        ASSERT_EQ(r.rc->memberCount, 1);
        const RcMemberChecks& m = r.rc->memberChecks[1];
        EXPECT_EQ(m.pointCount, 5);
        EXPECT_FLOAT_EQ(m.points[2].t1, 20.5f);
        EXPECT_EQ(r.written, SampleText());
        EXPECT_EQ(
            r.warnings,
            FormatStr("1 番目の部材データの見出しの番号 \"%s\" を 1 として読みました.\n"_sj.c_str(),
                      number[0] == 'x' ? "x" : number));
    }
}

TEST(RcDataFile, CountsBeyondTheTablesOrTheCapacitiesAreCutAndNamed) {
    const std::string head = "部材断面ｉ(ib/No/np)"_sj;
    // A member head that declares more cases than the case table holds.
    const ReadBack cases = ReadText(DamagedSample(head + ",1,0,5,2", head + ",1,0,5,70"));
    EXPECT_EQ(cases.rc->checkCaseCount, 2);
    EXPECT_EQ(
        cases.warnings,
        "部材データ 1 のケース数 70 に対し、データは 2 ケース分しか無いため 2 ケースとしました.\n"_sj);
    const ReadBack points = ReadText(DamagedSample("着目点数,    5"_sj, "着目点数,   40"_sj));
    EXPECT_EQ(points.rc->memberChecks[1].pointCount, 5);
    EXPECT_EQ(
        points.warnings,
        "部材データ 1 の着目点数 40 に対し、データは 5 点分しか無いため 5 点としました.\n"_sj);
    // A table that really holds more sections than the record can.
    std::string numbers = "No,  ";
    for (int s = 1; s <= 900; ++s) numbers += FormatStr("%d,", s);
    const ReadBack sections = ReadText("断面基準データ,  900\r\n"_sj + numbers + "\r\nEOB\r\n");
    EXPECT_EQ(sections.rc->sectionCount, kRcMaxSections);
    EXPECT_EQ(sections.rc->sections[kRcMaxSections].no, kRcMaxSections);
    EXPECT_EQ(sections.warnings, "RC断面データの断面数 900 を上限の 803 に切り詰めました.\n"_sj);
}

TEST(RcDataFile, BarSizesTheRebarTableDoesNotHoldAreReported) {
    // D11 has no row: kept as written (the file is not changed behind the
    // user's back) and named, since its bars count as no steel.
    const ReadBack r = ReadText(DamagedSample("D19×8.00"_sj, "D11×8.00"_sj));
    EXPECT_EQ(r.rc->sections[1].outer.d1, 11.0f);
    EXPECT_EQ(r.warnings,
              "RC断面 No.10 の 外D1 D11 は鉄筋の断面積表に無いため、鉄筋量 0 となります.\n"_sj);
    EXPECT_EQ(RefuseBarText("D11*8"), "D11 は鉄筋の断面積表に無いので受け付けません。"_sj);
    EXPECT_EQ(RefuseBarText("D19*8"), "");
    EXPECT_EQ(RefuseBarText(""), "");
    EXPECT_EQ(RefuseBarText("13*2.5"), "");
}

// A bar text that is neither bars nor a clearing of them is refused: typed
// with a letter x, or without the count, it used to read as "no bars" and
// silently dropped the section's steel.
TEST(RcDataFile, BarTextsThatAreNotBarsAreRefusedAtEntry) {
    const std::string format = "鉄筋は 径*本数（例 19*8）で入力して下さい。"_sj;
    for (const char* typed : {"25x6", "2586", "D25", "25*", "d25*6", "*6", "abc", "-"})
        EXPECT_EQ(RefuseBarText(typed), format) << typed;
    // Clearing the bars stays possible: an empty cell or zeros.
    for (const std::string& typed :
         {std::string(), std::string("  "), std::string("0"), std::string("0*0"), "D0×0.00"_sj})
        EXPECT_EQ(RefuseBarText(typed), "") << typed;
    EXPECT_EQ(RefuseBarText("D25×6.00"_sj), "");
    EXPECT_EQ(RefuseBarText("２５＊６"_sj), format);
    // Negative counts or sizes would take steel away (a negative area).
    for (const std::string& typed : {"D19×-2.00"_sj, std::string("22*-5"), std::string("-19*8")})
        EXPECT_EQ(RefuseBarText(typed), "鉄筋の径と本数は 0 以上で入力して下さい。"_sj) << typed;
    EXPECT_EQ(RebarArea(22, -5), 0.0);
}

// A negative count in a file is named and counts as no steel.
TEST(RcDataFile, NegativeBarCountsAreReportedAndCountAsNoSteel) {
    const ReadBack r = ReadText(DamagedSample("D19×8.00"_sj, "D19×-2.00"_sj));
    EXPECT_EQ(r.warnings,
              "RC断面 No.10 の 外D1 D19 の本数 -2.00 は負のため、鉄筋量 0 となります.\n"_sj);
}

// Names with a comma (from the frame model's member, point and combination
// names) are written with a full-width comma: read back, every cell after
// them stays where it was.
TEST(RcDataFile, CommasInNamesDoNotShiftTheCellsAfterThem) {
    auto model = NewFrameModelRecord();
    RcDataPtr rc = NewRc();
    FillSample(*rc);
    SetRcText(rc->sections[1].name, kRcNameSize, "S1,A");
    SetRcText(rc->checkCases[1].name, kRcNameSize, "D+L,1");
    SetRcText(rc->memberChecks[1].name, kRcNameSize, "beam,1");
    SetRcText(rc->memberChecks[1].points[2].name, kRcPointNameSize, "\"p,2");
    TStringList list;
    WriteRcCheckData(list, *model, *rc);
    const ReadBack r = ReadText(list.Text());
    EXPECT_EQ(r.warnings, "");
    EXPECT_EQ(std::string(r.rc->sections[1].name), "S1，A"_sj);
    EXPECT_STREQ(r.rc->sections[2].name, "B2");
    EXPECT_EQ(r.rc->sections[2].no, 20);
    EXPECT_EQ(std::string(r.rc->checkCases[1].name), "D+L，1"_sj);
    EXPECT_EQ(std::string(r.rc->memberChecks[1].name), "beam，1"_sj);
    EXPECT_EQ(std::string(r.rc->memberChecks[1].points[2].name), "”p，2"_sj);
    EXPECT_STREQ(r.rc->memberChecks[1].points[3].name, "j-end");
    EXPECT_EQ(RefuseRcName("S1,A"),
              "名称にカンマ(,)は使えません。全角の「，」をお使いください。"_sj);
    EXPECT_EQ(RefuseRcName("S1，A"_sj), "");
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
    // 2 + 27 + 1 section lines, 3 + 65 case lines, member header 10 lines,
    // points 5, per case its head and EOB with the rows in use: the
    // cleared entries differ from what their check type gives in SgCK,
    // TuCK and the seven partial factors.
    EXPECT_EQ(list.Count(), 30 + 68 + 10 + 5 + 65 * (2 + 9));
}

}  // namespace

// A value beyond the float range stays the largest float, which saves and
// reads back as itself, instead of an infinity that read back as 0.
TEST(RcDataFile, ValuesBeyondTheFloatRangeStayLargest) {
    const struct {
        double in;
        float stored;
    } rows[] = {
        {1e40, FLT_MAX}, {-1e40, -FLT_MAX}, {12.5, 12.5f}, {HUGE_VAL, 0.0f}, {NAN, 0.0f},
    };
    for (const auto& r : rows) EXPECT_EQ(StoredRcFloat(r.in), r.stored) << r.in;
    EXPECT_EQ(StoredRcFloat(TextToDouble(FormatStr("%.9g", FLT_MAX))), FLT_MAX);
}
