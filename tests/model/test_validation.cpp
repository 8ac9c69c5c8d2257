// Input validation: exact messages, their order, the 25-line cut and
// tables whose counts exceed their capacity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/validation.h"
#include "platform/sjis_literal.h"
#include "tests/model/test_data_file_util.h"

using namespace datafile_test;

namespace {

std::unique_ptr<FrameModel> DefaultModel() {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    return model;
}

int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(Validation, TheDefaultModelAndTheSampleFilePass) {
    EXPECT_EQ("", CheckFrameData(*DefaultModel()));
    auto sample = ReadText(ReadBytes(std::string(TEST_DATA_DIR) + "/model/sample_portal.$O1"));
    EXPECT_EQ("", CheckFrameData(*sample));
}

TEST(Validation, AnAlmostEmptyModelListsEachMissingTableInOrder) {
    auto m = NewFrameModelRecord();
    m->nodeCount = 1;
    m->nodes[1].no = 1;
    EXPECT_EQ("部材：定義がありません.\n"_sj + "格点：定義は２点以上必要です.\n"_sj +
                  "断面：定義がありません.\n"_sj + "材質：定義がありません.\n"_sj +
                  "荷重：データがありません.\n"_sj + "組合せ荷重：データがありません.\n"_sj,
              CheckFrameData(*m));
}

// One change to the default model and the one line it must produce.
struct MessageCase {
    const char* name;
    std::function<void(FrameModel&)> change;
    std::string expected;
};

class MessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageTest, GivesExactlyThisLine) {
    auto m = DefaultModel();
    GetParam().change(*m);
    EXPECT_EQ(GetParam().expected + "\n", CheckFrameData(*m));
}

// A second node far away, so that extra members have somewhere to go.
void AddNode(FrameModel& m, int no, float x) { m.nodes[++m.nodeCount] = FramePoint{no, x, 5, {}}; }

FrameMember& AddMember(FrameModel& m, int no, int i, int j) {
    FrameMember& r = m.members[++m.memberCount];
    r = m.members[1];
    r.no = no;
    r.nodeI = i;
    r.nodeJ = j;
    return r;
}

LoadRecord& FirstLoad(FrameModel& m) { return m.loadCases[1].loads[1]; }

INSTANTIATE_TEST_SUITE_P(
    Rows, MessageTest,
    ::testing::Values(
        MessageCase{"MissingNodeI", [](FrameModel& m) { m.members[1].nodeI = 7; },
                    "部材：No.1、ｉ端格点 No.7 の定義がありません."_sj},
        MessageCase{"MissingNodeJ", [](FrameModel& m) { m.members[1].nodeJ = 8; },
                    "部材：No.1、ｊ端格点 No.8 の定義がありません."_sj},
        MessageCase{"MissingSection", [](FrameModel& m) { m.members[1].sectionNo = 3; },
                    "部材：No.1、断面 No.3 の定義がありません."_sj},
        MessageCase{"MissingMaterial", [](FrameModel& m) { m.members[1].materialNo = 4; },
                    "部材：No.1、材質 No.4 の定義がありません."_sj},
        MessageCase{"SameEnds",
                    [](FrameModel& m) {
                        AddNode(m, 3, 0);
                        AddMember(m, 2, 3, 3);
                    },
                    "部材：No.2、I,J 格点が同一です."_sj},
        MessageCase{"MemberNumberTwice",
                    [](FrameModel& m) {
                        AddNode(m, 3, 0);
                        AddMember(m, 1, 2, 3);
                    },
                    "部材：No.1 が重複しています."_sj},
        MessageCase{"SameNodesSameWay", [](FrameModel& m) { AddMember(m, 2, 1, 2); },
                    "部材：No.1 と No.2 が重複しています."_sj},
        MessageCase{"SameNodesReversed", [](FrameModel& m) { AddMember(m, 2, 2, 1); },
                    "部材：No.1 と No.2 が重複しています."_sj},
        MessageCase{"NodesOnEachOther",
                    [](FrameModel& m) {
                        AddNode(m, 3, 0);
                        m.nodes[3].y = 0;
                    },
                    "格点：No.1 と No.3 の座標が重複しています."_sj},
        MessageCase{"NodeNumberTwice", [](FrameModel& m) { AddNode(m, 2, 7); },
                    "格点：No.2 が重複しています."_sj},
        MessageCase{"NegativeArea", [](FrameModel& m) { m.sections[1].area = -0.1f; },
                    "断面：面積が負の定義があります."_sj},
        MessageCase{"ZeroArea", [](FrameModel& m) { m.sections[1].area = 0; },
                    "断面：面積がゼロの定義があります."_sj},
        MessageCase{"ZeroInertia", [](FrameModel& m) { m.sections[1].inertia = 0; },
                    "断面：断面二次モーメントがゼロの定義があります."_sj},
        MessageCase{"SectionTwice",
                    [](FrameModel& m) { m.sections[++m.sectionCount] = m.sections[1]; },
                    "断面：No.1 が重複しています."_sj},
        MessageCase{"ZeroModulus", [](FrameModel& m) { m.materials[1].e = 0; },
                    "材質：ヤング係数がゼロの定義があります."_sj},
        MessageCase{"MaterialTwice",
                    [](FrameModel& m) { m.materials[++m.materialCount] = m.materials[1]; },
                    "材質：No.1 が重複しています."_sj},
        MessageCase{"DivisionStart", [](FrameModel& m) { m.view1[1].firstMember = 9; },
                    "着目点(View1-等分割)：No.1、始点部材 No.9 の定義がありません."_sj},
        MessageCase{"DivisionEnd", [](FrameModel& m) { m.view1[1].lastMember = 6; },
                    "着目点(View1-等分割)：No.1、終点部材 No.6 の定義がありません."_sj},
        MessageCase{"NamedPointsMember", [](FrameModel& m) { m.view2[1].memberNo = 5; },
                    "着目点(View2-任意位置)：No.1、部材 No.5 の定義がありません."_sj},
        MessageCase{
            "NamedPointBeyondItsMember", [](FrameModel& m) { m.view2[1].dist[1] = 99; },
            "着目点(View2-任意位置)：部材 No.1 の 99.000 m は部材長 1.000 m を超えています."_sj},
        MessageCase{"SupportCaseEmpty", [](FrameModel& m) { m.supportCases[1].count = 0; },
                    "支点ｹｰｽ：No.1：支点データがありません."_sj},
        MessageCase{"SupportNode", [](FrameModel& m) { m.supportCases[1].entries[2].nodeNo = 12; },
                    "支点ｹｰｽ No.1、支点 No.2：格点 No.12 の定義がありません."_sj},
        MessageCase{"SupportCode", [](FrameModel& m) { m.supportCases[1].entries[2].code = 6; },
                    "支点ｹｰｽ No.1、支点 No.2：無効な支点コード(6)があります."_sj},
        MessageCase{"SupportNodeTwice", [](FrameModel& m) { m.supportCases[1].entries[2].nodeNo = 1; },
                    "支点ｹｰｽ No.1、支点 No.2：格点 No.1 は支点 No.1 と重複しています."_sj},
        MessageCase{"SupportCaseTwice",
                    [](FrameModel& m) { m.supportCases[++m.supportCaseCount] = m.supportCases[1]; },
                    "支点ｹｰｽ No.1 が重複しています."_sj},
        MessageCase{"SpringCaseEmpty",
                    [](FrameModel& m) { m.springCases[++m.springCaseCount].no = 2; },
                    "分布バネ･ｹｰｽ No.2：ばねデータがありません."_sj},
        MessageCase{"SpringMember",
                    [](FrameModel& m) {
                        BaneCase& b = m.springCases[++m.springCaseCount];
                        b.no = 1;
                        b.count = 1;
                        b.entries[1] = BaneEntry{4, 100, 0};
                    },
                    "分布バネ･ｹｰｽ No.1：部材 No.4 の定義がありません."_sj},
        MessageCase{"SpringZero",
                    [](FrameModel& m) {
                        BaneCase& b = m.springCases[++m.springCaseCount];
                        b.no = 1;
                        b.count = 1;
                        b.entries[1] = BaneEntry{1, 0, 0};
                    },
                    "分布バネ･ｹｰｽ No.1：部材 No.1 分布バネ定数がゼロです."_sj},
        MessageCase{"NoSupportNorSpring", [](FrameModel& m) { m.loadCases[1].suptCaseNo = 0; },
                    "荷重ｹｰｽ No.1：支点ｹｰｽNo 又は 分布バネｹｰｽNo が未入力です."_sj},
        MessageCase{"UnknownSupportCase", [](FrameModel& m) { m.loadCases[1].suptCaseNo = 3; },
                    "荷重ｹｰｽ No.1：支点ｹｰｽ No.3 は未定義です."_sj},
        MessageCase{"UnknownSpringCase", [](FrameModel& m) { m.loadCases[1].baneCaseNo = 2; },
                    "荷重ｹｰｽ No.1：分布バネｹｰｽNo.2 は未定義です."_sj},
        MessageCase{"LoadCode", [](FrameModel& m) { FirstLoad(m).code = 17; },
                    "荷重ｹｰｽ No.1：無効な荷重コード(17)があります."_sj},
        MessageCase{"LoadStartMember", [](FrameModel& m) { FirstLoad(m).memberFrom = 9; },
                    "荷重ｹｰｽ No.1：始点部材 No.9 の定義がありません."_sj},
        MessageCase{"LoadEndMember", [](FrameModel& m) { FirstLoad(m).memberTo = 9; },
                    "荷重ｹｰｽ No.1：終点部材 No.9 の定義がありません."_sj},
        MessageCase{"NodalLoadOnMissingNode",
                    [](FrameModel& m) {
                        FirstLoad(m).code = kLoadNodal;
                        FirstLoad(m).memberFrom = 99;
                        FirstLoad(m).memberTo = 98;  // means nothing for a nodal load
                    },
                    "荷重ｹｰｽ No.1：格点 No.99 の定義がありません."_sj},
        MessageCase{"NodalLoadNotAMember",
                    [](FrameModel& m) {
                        // Member 1 exists, node 1 does not: the node is what counts.
                        m.nodes[1].no = 5;
                        m.members[1].nodeI = 5;
                        m.supportCases[1].entries[1].nodeNo = 5;
                        FirstLoad(m).code = kLoadNodal;
                        FirstLoad(m).memberFrom = 1;
                    },
                    "荷重ｹｰｽ No.1：格点 No.1 の定義がありません."_sj},
        MessageCase{"LoadCaseTwice",
                    [](FrameModel& m) { m.loadCases[++m.loadCaseCount] = m.loadCases[1]; },
                    "荷重ｹｰｽ No.1 が重複しています."_sj},
        MessageCase{"CombinationEmpty", [](FrameModel& m) { m.combinations[1].count = 0; },
                    "組合せ荷重ｹｰｽ No.1：荷重データがありません."_sj},
        MessageCase{"CombinationCase",
                    [](FrameModel& m) { m.combinations[1].entries[1].loadCaseNo = 4; },
                    "組合せ荷重ｹｰｽ No.1：荷重ケース No.4 の定義がありません."_sj},
        MessageCase{"CombinationTwice",
                    [](FrameModel& m) { m.combinations[++m.combinationCount] = m.combinations[1]; },
                    "組合せ荷重ｹｰｽ No.1 が重複しています."_sj},
        // Numbers the engine cannot carry (the batch run's table has the
        // loads and sections), and not numbers at all.
        MessageCase{"HugeCoordinate", [](FrameModel& m) { m.nodes[2].x = 2e15f; },
                    "格点：No.2、座標の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "HugeExpansion", [](FrameModel& m) { m.materials[1].alpha = -1e16f; },
            "材質：No.1、ヤング係数又は線膨張係数の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "HugeRigidZone", [](FrameModel& m) { m.members[1].rigidJ = 1e20f; },
            "部材：No.1、剛域長の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "PointOfInterestNotANumber", [](FrameModel& m) { m.view2[1].dist[1] = std::nanf(""); },
            "着目点(View2-任意位置)：No.1、位置の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "HugeSupportSpring", [](FrameModel& m) { m.supportCases[1].entries[2].km = 1e30f; },
            "支点ｹｰｽ No.1、支点 No.2：ばね定数の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "InfiniteSpring",
            [](FrameModel& m) {
                BaneCase& b = m.springCases[++m.springCaseCount];
                b.no = 1;
                b.count = 1;
                b.entries[1] = BaneEntry{1, std::numeric_limits<float>::infinity(), 0};
            },
            "分布バネ･ｹｰｽ No.1：部材 No.1 分布バネ定数の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{
            "HugeFactor", [](FrameModel& m) { m.combinations[1].factor = 1e300; },
            "組合せ荷重ｹｰｽ No.1：割増係数の値が大きすぎます（計算できるのは絶対値 1.0E+15 まで）."_sj},
        MessageCase{"NegativeModulus", [](FrameModel& m) { m.materials[1].e = -1.0f; },
                    "材質：No.1、ヤング係数が負の値です."_sj},
        // Loads outside the 1 m member of the default model.
        MessageCase{"DistributedFromBeforeTheIEnd",
                    [](FrameModel& m) { FirstLoad(m).distI = -0.2f; },
                    "荷重ｹｰｽ No.1、荷重 No.1：部材 No.1 の範囲外に荷重があります."_sj},
        MessageCase{"DistributedPastTheJEnd", [](FrameModel& m) { FirstLoad(m).distJ = -0.01f; },
                    "荷重ｹｰｽ No.1、荷重 No.1：部材 No.1 の範囲外に荷重があります."_sj},
        MessageCase{"CoupleJustPastTheJEnd",
                    [](FrameModel& m) {
                        FirstLoad(m).code = kLoadConcMoment;
                        FirstLoad(m).distI = 1.0002f;
                    },
                    "荷重ｹｰｽ No.1、荷重 No.1：部材 No.1 の範囲外に荷重があります."_sj},
        MessageCase{"PointLoadPastTheEndOfARun",
                    [](FrameModel& m) {
                        AddNode(m, 3, 1);
                        AddMember(m, 2, 2, 3);  // 5 m long
                        FirstLoad(m).code = kLoadConcY;
                        FirstLoad(m).memberTo = 2;
                        FirstLoad(m).distI = 6.1f;
                    },
                    "荷重ｹｰｽ No.1、荷重 No.1：部材 No.1～No.2 の範囲外に荷重があります."_sj}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Validation, ChangesThatMustPass) {
    auto m = DefaultModel();
    FirstLoad(*m).memberTo = 0;       // 0: the same as memberFrom
    FirstLoad(*m).code = kLoadNodal;  // on node 2, which exists, though
    FirstLoad(*m).memberFrom = 2;     // no member 2 does
    m->view1[1].lastMember = 0;
    m->materials[1].e = 1e15f;  // as large as the engine takes
    EXPECT_EQ("", CheckFrameData(*m));
    // Loads on their member (1 m long) or run, at its ends or a hair
    // beyond (the analysis puts those at the end).
    AddNode(*m, 3, 1);
    AddMember(*m, 2, 2, 3);  // 5 m long
    LoadCase& lc = m->loadCases[1];
    lc.loads[lc.count = 1] = LoadRecord{kLoadDistPerp, 1, 0, 5, 5, 0.25f, 0.75f, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadConcMoment, 1, 0, 5, 0, 1.00005f, 0, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadConcPerp, 1, 0, 5, 0, -0.00005f, 0, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadConcY, 1, 2, 5, 0, 6.0f, 0, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadDistY, 2, 1, 5, 5, 2.0f, 3.5f, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadTemperature, 1, 0, 20, 0, 99.0f, 0, 0, 0, 0, {}};
    // Fields a code does not use may hold anything.
    lc.loads[++lc.count] = LoadRecord{kLoadTemperature, 1, 0, 20, 1e30f, 1e30f, 1e30f, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadConcPerp, 1, 0, 5, 1e30f, 0.5f, 1e30f, 0, 0, 0, {}};
    EXPECT_EQ("", CheckFrameData(*m));
}

TEST(Validation, EachCheckRunsOverAllItsSlotsBeforeTheNext) {
    auto m = DefaultModel();
    AddNode(*m, 3, 0);
    AddMember(*m, 2, 2, 3);
    m->members[1].nodeI = 8;
    m->members[1].sectionNo = 5;
    m->members[2].nodeI = 9;
    m->members[2].sectionNo = 6;
    EXPECT_EQ("部材：No.1、ｉ端格点 No.8 の定義がありません.\n"_sj +
                  "部材：No.2、ｉ端格点 No.9 の定義がありません.\n"_sj +
                  "部材：No.1、断面 No.5 の定義がありません.\n"_sj +
                  "部材：No.2、断面 No.6 の定義がありません.\n"_sj,
              CheckFrameData(*m));
}

TEST(Validation, ANumberThreeTimesGivesAMessagePerPair) {
    auto m = DefaultModel();
    for (int k = 0; k < 2; ++k) m->materials[++m->materialCount] = m->materials[1];
    EXPECT_EQ(3, LineCount(CheckFrameData(*m)));
}

// The first 25 lines, and a last one that says more were left out.
TEST(Validation, KeepsOnlyTheFirstTwentyFiveLinesAndSaysMoreExist) {
    auto m = DefaultModel();
    // Forty members whose i-end nodes do not exist.
    for (int k = 2; k <= 41; ++k) AddMember(*m, k, 100 + k, 2);
    const std::string text = CheckFrameData(*m);
    EXPECT_EQ(kMaxValidationLines + 1, LineCount(text));
    EXPECT_NE(text.find("ほかにも問題があります"_sj), std::string::npos);
    EXPECT_EQ('\n', text.back());
    // A few problems: all shown, nothing said to be left out.
    auto few = DefaultModel();
    for (int k = 2; k <= 4; ++k) AddMember(*few, k, 100 + k, 2);
    EXPECT_EQ(CheckFrameData(*few).find("ほかにも問題があります"_sj), std::string::npos);
    EXPECT_EQ(0u, text.find("部材：No.2、ｉ端格点 No.102 の定義がありません.\n"_sj));
}

TEST(Validation, CountsBeyondCapacityAreReportedAndNeverOverrun) {
    auto m = DefaultModel();
    m->nodeCount = 900;
    m->memberCount = 5000;
    m->sectionCount = 2000000000;
    m->loadCases[1].count = 4000;
    m->supportCases[1].count = 3000;
    m->combinations[1].count = 70;
    m->view2Count = 801;
    m->loadCaseCount = 66;
    const std::string text = CheckFrameData(*m);
    EXPECT_EQ(
        0u,
        text.find("格点数オーバー 803 < 900\n"_sj + "部材数オーバー 803 < 5000\n"_sj +
                  "断面数オーバー 803 < 2000000000\n"_sj + "着目点部材数オーバー 800 < 801\n"_sj +
                  "荷重ケース数オーバー 65 < 66\n"_sj + "荷重データ数オーバー 1599 < 4000\n"_sj))
        << text;
    EXPECT_LE(LineCount(text), kMaxValidationLines + 1);
    m->memberCount = -4;
    m->nodeCount = -1;
    EXPECT_NE(std::string::npos, CheckFrameData(*m).find("部材：定義がありません.\n"_sj));
}

}  // namespace
