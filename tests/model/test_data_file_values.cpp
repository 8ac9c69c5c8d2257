// The file holds the numbers the model holds: random models through the
// writer and the reader, value for value and byte for byte, and the values
// no text of their columns can hold named before a save.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "model/validation.h"
#include "platform/sjis_literal.h"
#include "tests/model/test_data_file_util.h"

using namespace datafile_test;

namespace {

// Random models whose values are what a person types into the grids:
// coordinates with four decimals, moduli and springs with six significant
// digits, loads and lengths with three decimals, factors with four; or, in
// wild mode, any float at all.
class RandomModel {
  public:
    RandomModel(unsigned seed, bool wild) : random_(seed), wild_(wild) {}

    std::unique_ptr<FrameModel> Make() {
        auto m = NewFrameModelRecord();
        NewFrameModel(*m, 0);
        SetFixedText(m->header.title, kNameSize, "試験 "_sj.c_str());
        const int nodes = Int(2, 10);
        for (int k = 1; k <= nodes; ++k) {
            FramePoint& p = m->nodes[++m->nodeCount];
            p.no = k + 10;
            // Ten columns with a blank before: four decimals up to 999.9999,
            // three beyond (up to 99999.999, or -9999.999).
            p.x = Int(0, 3) == 0 ? Decimal(3, 30000, -9999.999) : Decimal(4, 999);
            p.y = Decimal(4, 999);
        }
        for (int k = 1; k <= Int(1, 3); ++k) {
            FrameMaterial& mat = m->materials[++m->materialCount];
            mat.no = k;
            mat.e = Significant(6, 3, 9);
            mat.alpha = Int(0, 1) ? Significant(6, -7, -4) : 0.0f;
        }
        for (int k = 1; k <= Int(1, 3); ++k) {
            FrameSection& s = m->sections[++m->sectionCount];
            s.no = k;
            s.area = Significant(6, -4, 1);
            s.inertia = Significant(6, -11, 0);
            SetFixedText(s.name, kNameSize, Int(0, 1) ? "H-300x150"_sj.c_str() : "柱"_sj.c_str());
        }
        const int members = nodes - 1;
        for (int k = 1; k <= members; ++k) {
            FrameMember& mb = m->members[++m->memberCount];
            mb.no = k;
            mb.nodeI = 10 + k;
            mb.nodeJ = 11 + k;
            mb.sectionNo = Int(1, m->sectionCount);
            mb.materialNo = Int(1, m->materialCount);
            mb.endI = Int(0, 1);
            mb.endJ = Int(0, 1);
            mb.rigidI = Int(0, 1) ? std::fabs(Decimal(3, 0.5)) : 0.0f;
            mb.rigidJ = Int(0, 1) ? std::fabs(Decimal(3, 0.5)) : 0.0f;
            SetFixedText(mb.name, kNameSize, FormatStr("梁.%d"_sj.c_str(), k).c_str());
        }
        BaneCase& bc = m->springCases[++m->springCaseCount];
        bc.no = 1;
        bc.entries[++bc.count] = {1, Significant(6, 2, 6), Int(0, 1) ? Significant(6, 1, 5) : 0.0f};
        for (int c = 1; c <= 2; ++c) {
            SuptCase& sc = m->supportCases[++m->supportCaseCount];
            sc.no = c;
            for (int k = 1; k <= std::min(Int(1, 4), nodes); ++k) {
                SuptEntry& e = sc.entries[++sc.count];
                e.nodeNo = 10 + k;
                e.code = Int(1, 5);
                const bool x = e.code == 1 || e.code == 3 || e.code == 4;
                const bool y = e.code == 1 || e.code == 2 || e.code == 4;
                e.kx = e.code == 5 ? Spring() : (x ? -1.0f : 0.0f);
                e.ky = e.code == 5 ? Spring() : (y ? -1.0f : 0.0f);
                e.km = e.code == 5 ? Spring() : (e.code == 4 ? -1.0f : 0.0f);
            }
        }
        m->view1[++m->view1Count] = {1, members, Int(1, 20)};
        View2Member& v = m->view2[++m->view2Count];
        v.memberNo = Int(1, members);
        for (int p = 1; p <= Int(1, 5); ++p) {
            v.dist[++v.count] = Decimal(3, p - 0.1, p - 0.999);
            SetFixedText(v.pointName[p], kPointNameSize, ("点"_sj + std::to_string(p)).c_str());
        }
        SortViewPoints(*m);
        const int codes[] = {11, 12, 13, 14, 21, 22, 23, 24, 27, 31, 51};
        for (int c = 1; c <= 2; ++c) {
            LoadCase& lc = m->loadCases[++m->loadCaseCount];
            lc.no = c;
            lc.suptCaseNo = c;
            lc.baneCaseNo = c == 2 ? 1 : 0;
            for (int code : codes) {
                LoadRecord& r = lc.loads[++lc.count];
                r.code = code;
                r.memberFrom = code == kLoadNodal ? 10 + Int(1, nodes) : Int(1, members);
                // Runs of members for some of the member loads.
                r.memberTo = code != kLoadNodal && Int(0, 2) == 0 ? members : 0;
                r.qI = Decimal(3, 99);
                r.qJ = Decimal(3, 99);
                r.distI = Decimal(3, 0.9, 0.1);
                r.distJ = code < 20 ? Decimal(3, 0.9, 0.1) : 0.0f;
            }
        }
        for (int c = 1; c <= 2; ++c) {
            KumiCase& kc = m->combinations[++m->combinationCount];
            kc.no = c;
            kc.factor =
                wild_ ? Any() : static_cast<double>(std::llround(Decimal(4, 3) * 1e4)) / 1e4;
            for (int e = 1; e <= 2; ++e) kc.entries[++kc.count] = {e, Decimal(4, 3)};
        }
        return m;
    }

  private:
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    // A float of any size and sign, 1e-12 .. 1e12 in magnitude.
    float Any() {
        const double e = std::uniform_real_distribution<double>(-12, 12)(random_);
        return static_cast<float>((Int(0, 1) ? -1 : 1) * std::pow(10.0, e));
    }
    // A number of `decimals` decimals from lo (-range when not given) to
    // range.
    float Decimal(int decimals, double range, double lo = NAN) {
        if (wild_) return Any();
        const double scale = std::pow(10.0, decimals);
        const long long top = std::llround(range * scale);
        const long long bottom = std::isnan(lo) ? -top : std::llround(lo * scale);
        const long long n = std::uniform_int_distribution<long long>(bottom, top)(random_);
        return static_cast<float>(static_cast<double>(n) / scale);
    }
    // A positive number of `digits` significant digits, 10^lo .. 10^hi.
    float Significant(int digits, int lo, int hi) {
        if (wild_) return std::fabs(Any());
        const long long top = std::llround(std::pow(10.0, digits));
        const long long n = std::uniform_int_distribution<long long>(top / 10, top - 1)(random_);
        return static_cast<float>(static_cast<double>(n) *
                                  std::pow(10.0, Int(lo, hi) - digits + 1));
    }
    float Spring() {
        const int kind = Int(0, 2);
        return kind == 0 ? -1.0f : kind == 1 ? 0.0f : Significant(6, 0, 8);
    }

    std::mt19937 random_;
    bool wild_;
};

}  // namespace

// What a person types is held exactly: the model reads back value for
// value and writes again to the same bytes.
TEST(FileValues, TypedModelsReadBackValueForValueAndByteForByte) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        auto model = RandomModel(seed, false).Make();
        ASSERT_EQ("", CheckFrameData(*model));
        EXPECT_EQ("", ValuesTheFileCannotHold(*model));
        const std::string text = FrameDataFileText(*model);
        auto read = ReadText(text);
        ExpectSameModel(*model, *read, 0);
        EXPECT_EQ(text, FrameDataFileText(*read));
        if (HasFailure()) break;
    }
}

// Any float: either the file holds it exactly, or the save is told which
// value it cannot hold; what was written always reads back to a fixed
// point.
TEST(FileValues, AnyFloatIsHeldExactlyOrNamed) {
    int named = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        auto model = RandomModel(seed, true).Make();
        const std::string problems = ValuesTheFileCannotHold(*model);
        const std::string text = FrameDataFileText(*model);
        auto read = ReadText(text);
        if (problems.empty()) {
            ExpectSameModel(*model, *read, 0);
        } else {
            ++named;
            EXPECT_NE(std::string::npos, problems.find("ファイルに保存できません"_sj)) << problems;
        }
        const std::string again = FrameDataFileText(*read);
        EXPECT_EQ(again, FrameDataFileText(*ReadText(again)));
        EXPECT_EQ("", ValuesTheFileCannotHold(*read));
        if (HasFailure()) break;
    }
    EXPECT_GT(named, 0);  // the wild values do reach beyond the columns
}

// Values each with the text the file now holds for it; the first three
// are the usual layout, kept byte for byte.
TEST(FileValues, FieldsHoldAsManyDigitsAsTheirColumns) {
    struct Row {
        const char* what;
        void (*set)(FrameModel&, float);
        float value;
        const char* text;  // a piece of the line that holds it
    };
    const Row rows[] = {
        {"E 200000", [](FrameModel& m, float v) { m.materials[1].e = v; }, 200000.0f,
         "   2.00000    5"},
        {"Kx -1 (rigid)", [](FrameModel& m, float v) { m.supportCases[1].entries[2].kx = v; },
         -1.0f, "  -1.00  0"},
        {"load -10", [](FrameModel& m, float v) { m.loadCases[1].loads[1].qI = v; }, -10.0f,
         "  -10.000"},
        {"Kx 12345", [](FrameModel& m, float v) { m.supportCases[1].entries[2].kx = v; }, 12345.0f,
         " 1.2345  4"},
        {"Kx 19999", [](FrameModel& m, float v) { m.supportCases[1].entries[2].kx = v; }, 19999.0f,
         " 1.9999  4"},
        {"Kx 123456", [](FrameModel& m, float v) { m.supportCases[1].entries[2].kx = v; },
         123456.0f, " 123456  0"},
        {"E 205000.5", [](FrameModel& m, float v) { m.materials[1].e = v; }, 205000.5f,
         "  2.050005    5"},
        {"area 0", [](FrameModel& m, float v) { m.sections[1].area = v; }, 0.0f, "   0.00000    0"},
        {"area -0.1", [](FrameModel& m, float v) { m.sections[1].area = v; }, -0.1f,
         "  -1.00000   -1"},
        {"inertia 5e-11", [](FrameModel& m, float v) { m.sections[1].inertia = v; }, 5e-11f,
         "         5  -11"},
        {"x 12345.678", [](FrameModel& m, float v) { m.nodes[2].x = v; }, 12345.678f, " 12345.678"},
        {"x 1.23456", [](FrameModel& m, float v) { m.nodes[2].x = v; }, 1.23456f, "   1.23456"},
        {"load 1.2345", [](FrameModel& m, float v) { m.loadCases[1].loads[1].qI = v; }, 1.2345f,
         "   1.2345"},
        {"factor 1.2345", [](FrameModel& m, float v) { m.combinations[1].entries[1].factor = v; },
         1.2345f, "         1.2345"},
        {"factor 1.23456", [](FrameModel& m, float v) { m.combinations[1].entries[1].factor = v; },
         1.23456f, "        1.23456"},
    };
    for (const Row& row : rows) {
        auto model = NewFrameModelRecord();
        NewFrameModel(*model, 1);
        row.set(*model, row.value);
        const std::string text = FrameDataFileText(*model);
        EXPECT_NE(std::string::npos, text.find(row.text)) << row.what << "\n" << text;
        EXPECT_EQ("", ValuesTheFileCannotHold(*model)) << row.what;
        auto read = ReadText(text);
        ExpectSameModel(*model, *read, 0);
        EXPECT_EQ(text, FrameDataFileText(*read)) << row.what;
    }
}

// A section without area is written as it stands; read back, the check
// before an analysis refuses it instead of the frame moving by kilometres
// (and names a negative I as negative).
TEST(FileValues, ASectionWithoutAreaReadsBackRefused) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    model->sections[1].area = 0.0f;
    model->sections[1].inertia = -0.01f;
    auto read = ReadText(FrameDataFileText(*model));
    EXPECT_EQ(0.0f, read->sections[1].area);
    EXPECT_EQ(-0.01f, read->sections[1].inertia);
    const std::string problems = CheckFrameData(*read);
    EXPECT_NE(std::string::npos, problems.find("断面：面積がゼロの定義があります."_sj));
    EXPECT_NE(std::string::npos, problems.find("断面二次モーメントが負"_sj));
}

// Numbers no text of their columns holds: named with their place.
TEST(FileValues, ValuesBeyondTheColumnsAreNamed) {
    auto model = NewFrameModelRecord();
    NewFrameModel(*model, 1);
    model->supportCases[1].entries[2].kx = 1234567.0f;  // seven digits in a 7-column mantissa
    model->nodes[2].x = NAN;
    const std::string problems = ValuesTheFileCannotHold(*model);
    EXPECT_NE(std::string::npos, problems.find("支点ｹｰｽ No.1、支点 No.2 の Kx の値 1234567"_sj))
        << problems;
    EXPECT_NE(std::string::npos, problems.find("格点 No.2 の X (m) の値 nan"_sj)) << problems;
}
