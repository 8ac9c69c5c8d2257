// The example models of examples/: built here in code, written by the
// program's writer, and checked to read back field by field and to write
// back byte-identically. Run with VEXTOR_WRITE_EXAMPLES=1 to (re)write the
// files in examples/ from these builders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/validation.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "tests/model/test_data_file_util.h"

using namespace datafile_test;

namespace {

// Small builders over the model's tables.
struct Builder {
    FrameModel& m;

    void Node(int no, float x, float y) { m.nodes[++m.nodeCount] = FramePoint{no, x, y, {}}; }
    void Material(int no, float e, float alpha) {
        m.materials[++m.materialCount] = FrameMaterial{no, e, alpha, 0};
    }
    void Section(int no, float area, float inertia, const std::string& name) {
        FrameSection& s = m.sections[++m.sectionCount];
        s.no = no;
        s.area = area;
        s.inertia = inertia;
        SetFixedText(s.name, kNameSize, name.c_str());
    }
    void Member(int no, int i, int j, int section, float rigidI, float rigidJ,
                const std::string& name) {
        FrameMember& r = m.members[++m.memberCount];
        r.no = no;
        r.nodeI = i;
        r.nodeJ = j;
        r.sectionNo = section;
        r.materialNo = 1;
        r.rigidI = rigidI;
        r.rigidJ = rigidJ;
        SetFixedText(r.name, kNameSize, name.c_str());
    }
    SuptCase& SupportCase(int no, const std::string& name) {
        SuptCase& c = m.supportCases[++m.supportCaseCount];
        c.no = no;
        SetFixedText(c.name, kNameSize, name.c_str());
        return c;
    }
    // -1.0 marks each restrained direction, as the input grid does.
    static void Support(SuptCase& c, int node, int code) {
        SuptEntry& e = c.entries[++c.count];
        e.nodeNo = node;
        e.code = code;
        const bool x = code == kSupportPin || code == kSupportRollerX || code == kSupportFixed;
        const bool y = code == kSupportPin || code == kSupportRollerY || code == kSupportFixed;
        e.kx = x ? -1.0f : 0.0f;
        e.ky = y ? -1.0f : 0.0f;
        e.km = code == kSupportFixed ? -1.0f : 0.0f;
    }
    void Divide(int first, int last, int divisions) {
        m.view1[++m.view1Count] = View1Range{first, last, divisions};
    }
    View2Member& Points(int member) {
        View2Member& v = m.view2[++m.view2Count];
        v.memberNo = member;
        return v;
    }
    static void Point(View2Member& v, float dist, const std::string& name) {
        v.dist[++v.count] = dist;
        SetFixedText(v.pointName[v.count], kPointNameSize, name.c_str());
    }
    LoadCase& Loads(int no, int springCase, int supportCase, const std::string& name) {
        LoadCase& c = m.loadCases[++m.loadCaseCount];
        c.no = no;
        c.baneCaseNo = springCase;
        c.suptCaseNo = supportCase;
        SetFixedText(c.name, kNameSize, name.c_str());
        return c;
    }
    static void Load(LoadCase& c, int code, int from, int to, float qI, float qJ, float distI,
                     float distJ) {
        LoadRecord& r = c.loads[++c.count];
        r.code = code;
        r.memberFrom = from;
        r.memberTo = to;
        r.qI = qI;
        r.qJ = qJ;
        r.distI = distI;
        r.distJ = distJ;
    }
    KumiCase& Combination(int no, const std::string& name) {
        KumiCase& c = m.combinations[++m.combinationCount];
        c.no = no;
        c.factor = 1.0;
        SetFixedText(c.name, kNameSize, name.c_str());
        return c;
    }
    static void Factor(KumiCase& c, int loadCase, float factor) {
        c.entries[++c.count] = KumiEntry{loadCase, factor};
    }
};

void Start(FrameModel& m, const std::string& title) {
    NewFrameModel(m, 0);
    SetFixedText(m.header.title, kNameSize, title.c_str());
}

// Portal frame 6 m wide and 4 m high, left column fixed, right column
// pinned; RC, E = 2.5e7 kN/m2.
void BuildPortal(FrameModel& m) {
    Start(m, "門形ラーメン試験モデル"_sj);
    Builder b{m};
    b.Node(1, 0, 0);
    b.Node(2, 0, 4);
    b.Node(3, 6, 4);
    b.Node(4, 6, 0);
    b.Material(1, 2.5e7f, 1e-5f);
    b.Section(1, 0.25f, 5.2083e-3f, "柱"_sj);  // 500 x 500
    b.Section(2, 0.28f, 1.1433e-2f, "梁"_sj);  // 400 x 700
    b.Member(1, 1, 2, 1, 0, 0, "左柱"_sj);
    b.Member(2, 2, 3, 2, 0, 0, "梁"_sj);
    b.Member(3, 4, 3, 1, 0, 0, "右柱"_sj);
    SuptCase& s = b.SupportCase(1, "支点ケース1"_sj);
    Builder::Support(s, 1, kSupportFixed);
    Builder::Support(s, 4, kSupportPin);
    b.Divide(1, 3, 4);
    Builder::Point(b.Points(2), 3.0f, "中央"_sj);
    LoadCase& vertical = b.Loads(1, 0, 1, "鉛直荷重"_sj);
    Builder::Load(vertical, kLoadDistY, 2, 0, -20, -20, 0, 0);
    Builder::Load(vertical, kLoadConcY, 2, 0, -50, 0, 2, 0);
    LoadCase& horizontal = b.Loads(2, 0, 1, "水平荷重"_sj);
    Builder::Load(horizontal, kLoadNodal, 2, 0, 30, 0, 0, 0);
    Builder::Load(horizontal, kLoadDistX, 1, 0, 5, 5, 0, 0);
    KumiCase& k = b.Combination(1, "組合せ1"_sj);
    Builder::Factor(k, 1, 1.0f);
    Builder::Factor(k, 2, 1.0f);
}

// Continuous beam over three spans of 6, 8 and 6 m on a pin and three
// rollers, with rigid zones of 0.3 m (half a 600 mm column) at the inner
// supports; 400 x 800 RC beam.
void BuildContinuousBeam(FrameModel& m) {
    Start(m, "3径間連続梁（剛域付き）"_sj);
    m.rigidZoneSwitch = 1;
    Builder b{m};
    b.Node(1, 0, 0);
    b.Node(2, 6, 0);
    b.Node(3, 14, 0);
    b.Node(4, 20, 0);
    b.Material(1, 2.5e7f, 1e-5f);
    b.Section(1, 0.32f, 0.4f * 0.8f * 0.8f * 0.8f / 12.0f, "梁 400x800"_sj);
    b.Member(1, 1, 2, 1, 0.0f, 0.3f, "第1径間"_sj);
    b.Member(2, 2, 3, 1, 0.3f, 0.3f, "第2径間"_sj);
    b.Member(3, 3, 4, 1, 0.3f, 0.0f, "第3径間"_sj);
    SuptCase& s = b.SupportCase(1, "連続梁支点"_sj);
    Builder::Support(s, 1, kSupportPin);
    Builder::Support(s, 2, kSupportRollerY);
    Builder::Support(s, 3, kSupportRollerY);
    Builder::Support(s, 4, kSupportRollerY);
    b.Divide(1, 3, 10);
    View2Member& p1 = b.Points(1);
    Builder::Point(p1, 3.0f, "中央"_sj);
    Builder::Point(p1, 5.7f, "右端フェイス"_sj);
    View2Member& p2 = b.Points(2);
    Builder::Point(p2, 0.3f, "左端フェイス"_sj);
    Builder::Point(p2, 4.0f, "中央"_sj);
    Builder::Point(p2, 7.7f, "右端フェイス"_sj);
    View2Member& p3 = b.Points(3);
    Builder::Point(p3, 0.3f, "左端フェイス"_sj);
    Builder::Point(p3, 3.0f, "中央"_sj);
    LoadCase& dead = b.Loads(1, 0, 1, "固定荷重"_sj);
    Builder::Load(dead, kLoadDistY, 1, 3, -30, -30, 0, 0);
    LoadCase& live = b.Loads(2, 0, 1, "積載荷重"_sj);
    Builder::Load(live, kLoadConcY, 2, 0, -100, 0, 4, 0);
    Builder::Load(live, kLoadDistY, 1, 0, -15, -15, 0, 0);
    KumiCase& longTerm = b.Combination(1, "長期"_sj);
    Builder::Factor(longTerm, 1, 1.0f);
    Builder::Factor(longTerm, 2, 1.0f);
    KumiCase& ultimate = b.Combination(2, "終局"_sj);
    Builder::Factor(ultimate, 1, 1.2f);
    Builder::Factor(ultimate, 2, 1.6f);
}

// A 10 m footing beam (1.0 m wide, 0.5 m deep) on a Winkler foundation of
// 30000 kN/m3, so kv = 30000 kN/m2 per metre of beam; only node 1 is held,
// horizontally, so the springs carry every vertical load.
void BuildSpringBeam(FrameModel& m) {
    Start(m, "弾性床上の梁"_sj);
    Builder b{m};
    b.Node(1, 0, 0);
    b.Node(2, 10, 0);
    b.Material(1, 2.5e7f, 1e-5f);
    b.Section(1, 0.5f, 1.0f * 0.5f * 0.5f * 0.5f / 12.0f, "基礎梁 1000x500"_sj);
    b.Member(1, 1, 2, 1, 0, 0, "基礎梁"_sj);
    m.springCaseCount = 1;
    BaneCase& springs = m.springCases[1];
    springs.no = 1;
    springs.count = 1;
    springs.entries[1] = BaneEntry{1, 30000.0f, 0.0f};
    SetFixedText(springs.name, kNameSize, "地盤ばね"_sj.c_str());
    SuptCase& s = b.SupportCase(1, "水平拘束"_sj);
    Builder::Support(s, 1, kSupportRollerX);
    b.Divide(1, 0, 20);
    View2Member& p = b.Points(1);
    Builder::Point(p, 2.5f, "1/4点"_sj);
    Builder::Point(p, 5.0f, "載荷点"_sj);
    LoadCase& point = b.Loads(1, 1, 1, "中央集中荷重"_sj);
    Builder::Load(point, kLoadConcY, 1, 0, -200, 0, 5, 0);
    LoadCase& uniform = b.Loads(2, 1, 1, "等分布荷重"_sj);
    Builder::Load(uniform, kLoadDistY, 1, 0, -20, -20, 0, 0);
    KumiCase& k = b.Combination(1, "合計"_sj);
    Builder::Factor(k, 1, 1.0f);
    Builder::Factor(k, 2, 1.0f);
}

struct Example {
    const char* file;
    std::function<void(FrameModel&)> build;
};

class ExampleTest : public ::testing::TestWithParam<Example> {
  protected:
    std::string Path() const { return std::string(EXAMPLES_DIR) + "/" + GetParam().file; }
    std::unique_ptr<FrameModel> Built() const {
        auto m = NewFrameModelRecord();
        GetParam().build(*m);
        return m;
    }
};

TEST_P(ExampleTest, FileIsWhatTheWriterMakesOfTheModel) {
    const std::string text = FrameDataFileText(*Built());
    if (std::getenv("VEXTOR_WRITE_EXAMPLES") != nullptr) {
        TStringList list;
        list.SetText(text);
        ASSERT_TRUE(list.SaveToFile(Path()));
    }
    EXPECT_EQ(text, ReadBytes(Path()));
}

TEST_P(ExampleTest, ReadsBackFieldByFieldAndWritesBackByteIdentical) {
    const std::string bytes = ReadBytes(Path());
    ASSERT_FALSE(bytes.empty()) << Path();
    std::string warnings;
    auto read = ReadText(bytes, &warnings);
    EXPECT_EQ("", warnings);
    ExpectSameModel(*Built(), *read);
    EXPECT_EQ(UpToSecondEnd(bytes), FrameDataFileText(*read));
}

TEST_P(ExampleTest, PassesValidation) {
    auto read = ReadText(ReadBytes(Path()));
    EXPECT_EQ("", CheckFrameData(*read));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest,
                         ::testing::Values(Example{"portal.$O1", BuildPortal},
                                           Example{"continuous_beam.$O1", BuildContinuousBeam},
                                           Example{"spring_beam.$O1", BuildSpringBeam}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// The portal example is the same model as the sample file written by hand
// for this project, so the writer reproduces that file exactly.
TEST(Examples, PortalEqualsTheHandWrittenSample) {
    auto m = NewFrameModelRecord();
    BuildPortal(*m);
    EXPECT_EQ(ReadBytes(std::string(TEST_DATA_DIR) + "/model/sample_portal.$O1"),
              FrameDataFileText(*m));
}

}  // namespace
