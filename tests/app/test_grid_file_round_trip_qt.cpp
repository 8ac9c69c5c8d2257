// Every typed column of every input grid keeps its value through the whole
// way a model goes: typed into the grid, written back into the model,
// saved, read again and shown in fresh grids. The columns are those of the
// table descriptions, so a column whose field, cell kind or file field is
// described wrongly loses or moves its value here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "app/grid_helpers.h"
#include "app/input_grids.h"
#include "loose_grids.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

using Grids = LooseGrids;

// The default model and one spring case: one row in every grid, one
// member of 1 m with one named point at 0.5 m.
std::unique_ptr<FrameModel> OneOfEach() {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    BaneCase& b = m->springCases[++m->springCaseCount];
    b.no = 1;
    SetFixedText(b.name, kNameSize, "地盤"_sj.c_str());
    b.count = 1;
    b.entries[1] = {1, 1000.0f, 500.0f};
    return m;
}

// What is typed into column k: numbers different in every column (and
// exact in every format and file field the columns use, three significant
// digits at most); a name with double-byte characters.
std::string Typed(const GridColumnInfo& c, int k) {
    switch (c.kind) {
        case CellKind::Int:
        case CellKind::Truncated:
            return std::to_string(40 + k);
        case CellKind::Real:
        case CellKind::Double:
            return FormatStr("%g", 0.125 * (k + 1));
        case CellKind::Name:
            return "名称"_sj + std::to_string(k);
        default:
            return "";
    }
}

const char* const kGridNames[kGridCount] = {
    "SgPoint", "SgSection", "SgMaterial", "SgView2", "SgView1", "SgSupt1", "SgSupt2",
    "SgBane1", "SgBane2",   "SgLoad1",    "SgLoad2", "SgKumi1", "SgKumi2", "SgMember"};

class GridFileRoundTrip : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(GridFileRoundTrip, EveryTypedColumnKeepsItsValue) {
    const GridId id = static_cast<GridId>(GetParam());
    SCOPED_TRACE(kGridNames[id]);
    auto model = OneOfEach();
    SelectionState sel;
    sel.memberFirst = sel.memberLast = 1;
    sel.springCase = sel.supportCase = sel.loadCase = sel.combination = 1;
    Grids before;
    ModelToGrids(before.g, *model, sel);

    TStringGrid& grid = before.g[id];
    const int cols = grid.ColCount();
    ASSERT_GT(cols, 1);
    for (int k = 1; k < cols; ++k) {
        // The distance from the j end is turned into the distance from the
        // i end by the Enter that commits it; the write-back reads only the
        // latter.
        if (id == kSgView2 && k == ColumnOf(&ViewPointRow::distJ)) continue;
        const GridColumnInfo c = GridColumn(id, k);
        if (c.kind != CellKind::Shown) grid.SetCell(k, 1, Typed(c, k));
    }
    // A renumbered case or member is still the one shown.
    const int key = TextToInt(grid.Cells(kKeyColumn, 1));
    if (id == kSgSupt1) sel.supportCase = key;
    if (id == kSgBane1) sel.springCase = key;
    if (id == kSgLoad1) sel.loadCase = key;
    if (id == kSgKumi1) sel.combination = key;
    if (id == kSgMember) sel.memberFirst = sel.memberLast = before.g.ShownView2Member = key;
    ASSERT_EQ(GridsToModel(before.g, *model, sel), "");

    TStringList lines;
    WriteFrameDataFile(lines, *model);
    auto read = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(*read, lines, warnings);
    ASSERT_EQ(warnings, "");
    Grids after;
    ModelToGrids(after.g, *read, sel);

    const TStringGrid& shown = after.g[id];
    ASSERT_EQ(shown.ColCount(), cols);
    for (int k = 1; k < cols; ++k) {
        const GridColumnInfo c = GridColumn(id, k);
        if (c.kind == CellKind::Shown) continue;
        SCOPED_TRACE("column " + std::to_string(k) + " " + Cp932ToUtf8(shown.Cells(k, 0)));
        const std::string typed = grid.Cells(k, 1);
        const std::string back = shown.Cells(k, 1);
        if (id == kSgView2 && k == ColumnOf(&ViewPointRow::distJ)) {
            EXPECT_NEAR(TextToDouble(back), 1.0 - TextToDouble(shown.Cells(kKeyColumn, 1)), 1e-9);
        } else if (c.kind == CellKind::Name) {
            EXPECT_EQ(Cp932ToUtf8(back), Cp932ToUtf8(typed));
        } else {
            EXPECT_NEAR(TextToDouble(back), TextToDouble(typed), 1e-9) << "shown as " << back;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryGrid, GridFileRoundTrip,
                         ::testing::Range(0, static_cast<int>(kGridCount)),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kGridNames[info.param]);
                         });

namespace {

// A random valid model: every table filled, every load code, loads on runs
// of members, numbers in random order. Values carry the digits their file
// fields keep (the support springs three, the others six significant or
// their fixed decimals).
class RandomModel {
  public:
    explicit RandomModel(unsigned seed) : rng_(seed), m_(NewFrameModelRecord()) { Build(); }
    std::unique_ptr<FrameModel> Take() { return std::move(m_); }

  private:
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    // k / 10^decimals with |value| below limit.
    double Fixed(double limit, int decimals) {
        const double unit = std::pow(10.0, decimals);
        const int n = static_cast<int>(limit * unit) - 1;
        return Int(-n, n) / unit;
    }
    // digits significant digits, exponent lo..hi, positive.
    double Sig(int digits, int lo, int hi) {
        const int top = static_cast<int>(std::pow(10.0, digits - 1));
        return Int(top, 10 * top - 1) / static_cast<double>(top) * std::pow(10.0, Int(lo, hi));
    }
    // distinct numbers 1..99 in random order.
    std::vector<int> Numbers(int n) {
        std::vector<int> all(99);
        std::iota(all.begin(), all.end(), 1);
        std::shuffle(all.begin(), all.end(), rng_);
        all.resize(static_cast<std::size_t>(n));
        return all;
    }
    template <std::size_t N>
    void Name(char (&dest)[N], const std::string& base) {
        SetFixedText(dest, static_cast<int>(N), (base + std::to_string(Int(0, 999))).c_str());
    }
    int Pick(const std::vector<int>& from) {
        return from[static_cast<std::size_t>(Int(0, static_cast<int>(from.size()) - 1))];
    }

    void Build() {
        FrameModel& m = *m_;
        NewFrameModel(m, 0);
        nodes_ = Numbers(Int(2, 6));
        for (const int no : nodes_)
            m.nodes[++m.nodeCount] = {no, float(Fixed(100, 4)), float(Fixed(100, 4)), {}};
        // A row numbered 0, as a file may hold: kept as it is.
        if (Int(0, 3) == 0) m.nodes[++m.nodeCount] = {0, float(Fixed(100, 4)), 0.0f, {}};
        const std::vector<int> materials = Numbers(Int(1, 3)), sections = Numbers(Int(1, 3));
        for (const int no : materials)
            m.materials[++m.materialCount] = {no, float(Sig(6, 5, 8)),
                                              float(Int(0, 1) ? Sig(6, -6, -4) : 0), 0};
        for (const int no : sections) {
            FrameSection& s = m.sections[++m.sectionCount];
            s.no = no;
            s.area = float(Sig(6, -3, 0));
            s.inertia = float(Sig(6, -6, -1));
            Name(s.name, "断面"_sj);
        }
        members_ = Numbers(Int(2, 6));
        for (const int no : members_) {
            FrameMember& b = m.members[++m.memberCount];
            b.no = no;
            b.nodeI = Pick(nodes_);
            do b.nodeJ = Pick(nodes_);
            while (b.nodeJ == b.nodeI);
            b.sectionNo = Pick(sections);
            b.materialNo = Pick(materials);
            b.endI = Int(0, 1);
            b.endJ = Int(0, 1);
            b.rigidI = float(Int(0, 300) / 1000.0);
            b.rigidJ = float(Int(0, 300) / 1000.0);
            Name(b.name, "部材"_sj);
        }
        const std::vector<int> springs = Numbers(Int(0, 2));
        for (const int no : springs) {
            BaneCase& c = m.springCases[++m.springCaseCount];
            c.no = no;
            Name(c.name, "地盤"_sj);
            for (const int member : members_)
                if (Int(0, 1))
                    c.entries[++c.count] = {member, float(Sig(6, 2, 6)), float(Sig(6, 2, 6))};
        }
        const std::vector<int> supports = Numbers(Int(1, 2));
        for (const int no : supports) {
            SuptCase& c = m.supportCases[++m.supportCaseCount];
            c.no = no;
            Name(c.name, "支点"_sj);
            for (const int node : nodes_) {
                if (Int(0, 1) == 0) continue;
                SuptEntry& e = c.entries[++c.count];
                e.nodeNo = node;
                e.code = Int(1, 5);
                const bool rx = e.code == 1 || e.code == 3 || e.code == 4;
                const bool ry = e.code == 1 || e.code == 2 || e.code == 4;
                e.kx = e.code == 5 ? float(Sig(3, 2, 6)) : rx ? -1.0f : 0.0f;
                e.ky = e.code == 5 ? float(Sig(3, 2, 6)) : ry ? -1.0f : 0.0f;
                e.km = e.code == 5 ? float(Sig(3, 2, 6)) : e.code == 4 ? -1.0f : 0.0f;
            }
        }
        for (int k = Int(0, 2); k > 0; --k) {
            View1Range& r = m.view1[++m.view1Count];
            r.firstMember = Pick(members_);
            r.lastMember = Int(0, 1) ? 0 : Pick(members_);
            r.divisions = Int(1, 10);
        }
        for (const int member : members_) {
            if (Int(0, 1) == 0) continue;
            View2Member& v = m.view2[++m.view2Count];
            v.memberNo = member;
            for (int d = Int(1, 99); d < 999 && v.count < 4; d += Int(1, 300)) {
                v.dist[++v.count] = float(d / 1000.0);  // every member is longer than 1 m
                Name(v.pointName[v.count], "点"_sj);
            }
        }
        const int codes[] = {11, 12, 13, 14, 21, 22, 23, 24, 27, 31, 41, 51, 61};
        const std::vector<int> loadCases = Numbers(Int(1, 3));
        for (const int no : loadCases) {
            LoadCase& c = m.loadCases[++m.loadCaseCount];
            c.no = no;
            c.suptCaseNo = Pick(supports);
            c.baneCaseNo = springs.empty() || Int(0, 1) ? 0 : Pick(springs);
            Name(c.name, "荷重"_sj);
            for (const int code : codes) {
                if (Int(0, 2) == 0) continue;
                LoadRecord& l = c.loads[++c.count];
                l.code = code;
                const bool nodal = code == 51 || code == 61;
                l.memberFrom = nodal ? Pick(nodes_) : Pick(members_);
                l.memberTo = nodal || Int(0, 1) ? 0 : Pick(members_);
                l.qI = float(Fixed(1000, 3));
                l.qJ = float(Fixed(1000, 3));
                l.distI = float(Fixed(100, 3));
                l.distJ = float(Fixed(100, 3));
            }
        }
        for (const int no : Numbers(Int(1, 2))) {
            KumiCase& c = m.combinations[++m.combinationCount];
            c.no = no;
            c.factor = Fixed(10, 4);
            Name(c.name, "組合せ"_sj);
            for (const int lc : loadCases) c.entries[++c.count] = {lc, float(Fixed(10, 4))};
        }
    }

    std::mt19937 rng_;
    std::unique_ptr<FrameModel> m_;
    std::vector<int> nodes_, members_;
};

// The selection that shows the k-th case of every table and the k-th member.
SelectionState KthOfEach(const FrameModel& m, int k) {
    SelectionState sel;
    sel.supportCase = k <= m.supportCaseCount ? m.supportCases[k].no : 0;
    sel.springCase = k <= m.springCaseCount ? m.springCases[k].no : 0;
    sel.loadCase = k <= m.loadCaseCount ? m.loadCases[k].no : 0;
    sel.combination = k <= m.combinationCount ? m.combinations[k].no : 0;
    sel.memberFirst = sel.memberLast = k <= m.memberCount ? m.members[k].no : 0;
    return sel;
}

int Selections(const FrameModel& m) {
    return std::max({m.supportCaseCount, m.springCaseCount, m.loadCaseCount, m.combinationCount,
                     m.memberCount, 1});
}

// Every cell of every grid, shown once for each selection.
std::vector<std::string> EveryCell(FrameModel& m) {
    Grids grids;
    std::vector<std::string> cells;
    for (int k = 1; k <= Selections(m); ++k) {
        ModelToGrids(grids.g, m, KthOfEach(m, k));
        for (int id = 0; id < kGridCount; ++id) {
            const TStringGrid& g = grids.g[static_cast<GridId>(id)];
            for (int r = 1; r < g.RowCount(); ++r)
                for (int c = 1; c < g.ColCount(); ++c)
                    cells.push_back(std::string(kGridNames[id]) + " " + std::to_string(r) + "," +
                                    std::to_string(c) + ": " + Cp932ToUtf8(g.Cells(c, r)));
        }
    }
    return cells;
}

// The grids filled and written back once for each selection.
void ThroughTheGrids(FrameModel& m) {
    Grids grids;
    for (int k = 1; k <= Selections(m); ++k) {
        const SelectionState sel = KthOfEach(m, k);
        ModelToGrids(grids.g, m, sel);
        ASSERT_EQ(GridsToModel(grids.g, m, sel), "");
    }
}

}  // namespace

TEST(GridFileRoundTripProperty, RandomModelsComeBackValueForValue) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto m = RandomModel(seed).Take();
        const std::vector<std::string> shown = EveryCell(*m);
        const std::string original = FrameDataFileText(*m);
        ThroughTheGrids(*m);
        // The window analyses and saves the model the file holds.
        const std::string file = FrameDataFileText(*m);
        EXPECT_EQ(file, original);
        TStringList lines;
        WriteFrameDataFile(lines, *m);
        auto read = NewFrameModelRecord();
        std::string warnings;
        ReadFrameDataFile(*read, lines, warnings);
        ASSERT_EQ(warnings, "");
        EXPECT_EQ(FrameDataFileText(*read), file);
        const std::vector<std::string> back = EveryCell(*read);
        ASSERT_EQ(back.size(), shown.size());
        for (std::size_t i = 0; i < shown.size(); ++i) ASSERT_EQ(back[i], shown[i]);
    }
}
