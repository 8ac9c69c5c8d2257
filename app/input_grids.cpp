#include "app/input_grids.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/grid_helpers.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

SelectionState CurrentSelection;

namespace {

// Rows shown at least in SgView2 (points and the append row).
constexpr int kView2MinPoints = 10;
// Point positions closer than this to a member end are not points.
constexpr double kEndTolerance = 0.00001;

std::string Int(int v) { return FormatStr("%1d", v); }
std::string Name(const char* fixed) { return Trim(std::string(fixed)); }
// A name cell as stored: fitted to 40 bytes without splitting a character.
void StoreName(char* dest, int size, const std::string& cell) {
    SetFixedText(dest, size, Trim(FitTextLength(cell, 40)).c_str());
}
bool Kept(const TStringGrid& grid, int row) { return TextToInt(grid.Cells(1, row)) > 0; }
float F(const TStringGrid& grid, int col, int row) { return static_cast<float>(TextToDouble(grid.Cells(col, row))); }
int I(const TStringGrid& grid, int col, int row) { return TextToInt(grid.Cells(col, row)); }

// RowCount = rows + 2, the append row cleared.
void SizeRows(TStringGrid& grid, int rows) {
    grid.SetRowCount(rows + 2);
    grid.ClearRow(grid.RowCount() - 1);
}

std::string CaseLabel(int number, const char* name) { return FormatStr("%d：%s"_sj.c_str(), number, Trim(name).c_str()); }

// Collects overflow messages of GridsToModel.
struct Overflow {
    std::string text;
    void Note(const char* table, int capacity) {
        text += FormatStr("%s: %d 行を超えた分は取り込めません.\n"_sj.c_str(), table, capacity);
    }
};

void FillSpringCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& b1 = g[kSgBane1];
    TStringGrid& b2 = g[kSgBane2];
    const int n = CheckedCount(m.springCaseCount, kMaxSpringCases);
    SizeRows(b1, n);
    for (int k = 1; k <= n; ++k) {
        b1.SetCell(1, k, Int(m.springCases[k].no));
        b1.SetCell(2, k, Name(m.springCases[k].name));
        b1.SetRowTag(k, k);
    }
    g.LbBaneC = "---";
    SizeRows(b2, 0);
    b2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const BaneCase& c = m.springCases[k];
        if (c.no != sel.springCase) continue;
        g.LbBaneC = CaseLabel(c.no, c.name);
        const int count = CheckedCount(c.count, kMaxSpringEntries);
        SizeRows(b2, count);
        for (int e = 1; e <= count; ++e) {
            b2.SetCell(1, e, Int(c.entries[e].memberNo));
            b2.SetCell(2, e, FormatCellNumber("%12.5e", c.entries[e].kv));
            b2.SetCell(3, e, FormatCellNumber("%12.5e", c.entries[e].ku));
            const int mi = FindMemberIndex(m, c.entries[e].memberNo);
            b2.SetCell(4, e, mi > 0 ? Name(m.members[mi].name) : "");
        }
        break;
    }
}

void FillSupportCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& s1 = g[kSgSupt1];
    TStringGrid& s2 = g[kSgSupt2];
    const int n = CheckedCount(m.supportCaseCount, kMaxSupportCases);
    SizeRows(s1, n);
    for (int k = 1; k <= n; ++k) {
        s1.SetCell(1, k, Int(m.supportCases[k].no));
        s1.SetCell(2, k, Name(m.supportCases[k].name));
        s1.SetRowTag(k, k);
    }
    g.LbSuptC = "---";
    SizeRows(s2, 0);
    s2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const SuptCase& c = m.supportCases[k];
        if (c.no != sel.supportCase) continue;
        // The label shows the case's place in the table, not its number.
        g.LbSuptC = CaseLabel(k, c.name);
        const int count = CheckedCount(c.count, kMaxSupportEntries);
        SizeRows(s2, count);
        for (int e = 1; e <= count; ++e) {
            const SuptEntry& s = c.entries[e];
            s2.SetCell(1, e, Int(s.nodeNo));
            s2.SetCell(2, e, Int(s.code));
            s2.SetCell(3, e, FormatCellNumber("%12.5e", s.kx));
            s2.SetCell(4, e, FormatCellNumber("%12.5e", s.ky));
            s2.SetCell(5, e, FormatCellNumber("%12.5e", s.km));
        }
        break;
    }
}

void FillLoadCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& l1 = g[kSgLoad1];
    TStringGrid& l2 = g[kSgLoad2];
    const int n = CheckedCount(m.loadCaseCount, kMaxLoadCases);
    SizeRows(l1, n);
    for (int k = 1; k <= n; ++k) {
        const LoadCase& c = m.loadCases[k];
        l1.SetCell(1, k, Int(c.no));
        l1.SetCell(2, k, Name(c.name));
        l1.SetCell(3, k, Int(c.suptCaseNo));
        l1.SetCell(4, k, Int(c.baneCaseNo));
        l1.SetRowTag(k, k);
    }
    g.lbLLcNo = g.lbLScNo = g.lbLBcNo = "---";
    const int keepRow = l2.Row();
    const int ci = sel.loadCase > 0 ? FindLoadCaseIndex(m, sel.loadCase) : 0;
    if (ci <= 0) {
        SizeRows(l2, 0);
        l2.ClearRow(1);
        return;
    }
    const LoadCase& c = m.loadCases[ci];
    g.lbLLcNo = CaseLabel(c.no, c.name);
    if (const int si = FindSupportCaseIndex(m, c.suptCaseNo); si > 0)
        g.lbLScNo = CaseLabel(m.supportCases[si].no, m.supportCases[si].name);
    if (const int bi = FindSpringCaseIndex(m, c.baneCaseNo); bi > 0)
        g.lbLBcNo = CaseLabel(m.springCases[bi].no, m.springCases[bi].name);
    const int count = CheckedCount(c.count, kMaxLoads);
    SizeRows(l2, count);
    for (int e = 1; e <= count; ++e) {
        const LoadRecord& r = c.loads[e];
        l2.SetCell(1, e, Int(r.code));
        l2.SetCell(2, e, Int(r.memberFrom));
        l2.SetCell(3, e, Int(r.memberTo));
        l2.SetCell(4, e, FormatCellNumber("%8.3f", r.qI));
        l2.SetCell(5, e, FormatCellNumber("%8.3f", r.qJ));
        l2.SetCell(6, e, FormatCellNumber("%0.3f", r.distI));
        l2.SetCell(7, e, FormatCellNumber("%0.3f", r.distJ));
    }
    const bool enabled = l2.Enabled();
    l2.SetEnabled(false);
    l2.SetRow(std::min(keepRow, l2.RowCount() - 1));
    l2.SetEnabled(enabled);
    g.lbSgmXY = FormatStr("Σ(水平) = %0.3f - %0.3f"_sj.c_str(), c.sumHorizPos, c.sumHorizNeg) +
                FormatStr("　　Σ(鉛直) = %0.3f - %0.3f"_sj.c_str(), c.sumVertPos, c.sumVertNeg);
}

void FillCombinations(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& k1 = g[kSgKumi1];
    TStringGrid& k2 = g[kSgKumi2];
    const int n = CheckedCount(m.combinationCount, kMaxCombinations);
    SizeRows(k1, n);
    for (int k = 1; k <= n; ++k) {
        const KumiCase& c = m.combinations[k];
        k1.SetCell(1, k, Int(c.no));
        k1.SetCell(2, k, Name(c.name));
        k1.SetCell(3, k, FormatCellNumber("%0.3f", c.factor));
        k1.SetRowTag(k, k);
    }
    g.LbKumiC = "---";
    SizeRows(k2, 0);
    k2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const KumiCase& c = m.combinations[k];
        if (c.no != sel.combination) continue;
        g.LbKumiC = CaseLabel(c.no, c.name);
        const int count = CheckedCount(c.count, kMaxCombinationEntries);
        SizeRows(k2, count);
        for (int e = 1; e <= count; ++e) {
            const KumiEntry& en = c.entries[e];
            k2.SetCell(1, e, Int(en.loadCaseNo));
            k2.SetCell(2, e, FormatCellNumber("%0.3f", en.factor));
            const int li = FindLoadCaseIndex(m, en.loadCaseNo);
            k2.SetCell(3, e, li > 0 ? Name(m.loadCases[li].name) : "** 未定義 **"_sj);
        }
        break;
    }
}

}  // namespace

const std::string& GridHeaderSpec(GridId id) {
    switch (id) {
    case kSgPoint: return "24:・┃格点No┃64:X (m)┃64:Y (m)"_sj;
    case kSgSection: return "24:・┃断面No┃80:断面積,(㎡)┃90:断面2次ﾓｰﾒﾝﾄ,Ｉ (ｍ4)┃120:断面名称"_sj;
    case kSgMaterial: return "24:・┃材質No┃80:ﾔﾝｸﾞ係数,(kN/㎡)┃80:熱膨張係数,(/ﾟC)"_sj;
    case kSgView1: return "24:・┃開始,部材No┃終了,部材No┃分割数"_sj;
    case kSgView2: return "24:・┃72:ｉ端からの,距離┃160:着目点名称┃72:ｊ端からの,距離"_sj;
    case kSgSupt1: return "24:・┃ｹｰｽ,No┃180:支点ケース名称"_sj;
    case kSgSupt2:
        return "24:・┃格点No┃支点ｺｰﾄﾞ┃85:Ｘ方向支点,Kx$(kN/m)┃85:Ｙ方向支点,Ky$(kN/m)┃85:θ方向支点,Km(kN･m/rad)"_sj;
    case kSgBane1: return "24:・┃ｹｰｽ,No┃195:分布バネケース名称"_sj;
    case kSgBane2: return "24:・┃部材No┃87:軸直角バネ係数,Kv$(kN/㎡)┃87:軸方向バネ係数,Ku$(kN/㎡)┃120:部材名称"_sj;
    case kSgLoad1: return "24:・┃ｹｰｽ,No┃108:荷重ケース名称┃36:支点,ｹｰｽNo┃48:分布ﾊﾞﾈ,ｹｰｽNo"_sj;
    case kSgLoad2:
        return "24:・┃72:荷重ｺｰﾄﾞ┃開始,部材┃終了,部材┃56:ｉ端,荷重┃56:ｊ端,荷重┃48:ｉ端,距離┃48:ｊ端,距離"_sj;
    case kSgKumi1: return "24:・┃ｹｰｽ,No┃160:組合せケース名称┃割増係数"_sj;
    case kSgKumi2: return "24:・┃荷重,ｹｰｽNo┃割増係数┃160:荷重ケース名称"_sj;
    case kSgMember:
        return "24:・┃部材No┃44:ｉ端,格点┃44:ｊ端,格点┃44:断面,番号┃44:材質,番号┃44:ｉ端,結合┃44:ｊ端,結合┃52:ｉ端剛域,(m)┃52:ｊ端剛域,(m)┃56:部材長,(m)┃150:部材名称"_sj;
    default: {
        static const std::string empty;
        return empty;
    }
    }
}

GridId InputGrids::IdOf(const TStringGrid* g) const {
    for (int i = 0; i < kGridCount; ++i)
        if (grid[i] == g) return static_cast<GridId>(i);
    return kGridCount;
}

void ModelToGrids(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    // 1. Nodes, sections, materials.
    const int nodes = CheckedCount(m.nodeCount, kMaxNodes);
    SizeRows(g[kSgPoint], nodes);
    for (int k = 1; k <= nodes; ++k) {
        g[kSgPoint].SetCell(1, k, Int(m.nodes[k].no));
        g[kSgPoint].SetCell(2, k, FormatCellNumber("%7.4f", m.nodes[k].x));
        g[kSgPoint].SetCell(3, k, FormatCellNumber("%7.4f", m.nodes[k].y));
    }
    const int sections = CheckedCount(m.sectionCount, kMaxSections);
    SizeRows(g[kSgSection], sections);
    for (int k = 1; k <= sections; ++k) {
        g[kSgSection].SetCell(1, k, Int(m.sections[k].no));
        g[kSgSection].SetCell(2, k, FormatCellNumber("%12.5e", m.sections[k].area));
        g[kSgSection].SetCell(3, k, FormatCellNumber("%12.5e", m.sections[k].inertia));
        g[kSgSection].SetCell(4, k, Name(m.sections[k].name));
    }
    const int materials = CheckedCount(m.materialCount, kMaxMaterials);
    SizeRows(g[kSgMaterial], materials);
    for (int k = 1; k <= materials; ++k) {
        g[kSgMaterial].SetCell(1, k, Int(m.materials[k].no));
        g[kSgMaterial].SetCell(2, k, FormatCellNumber("%12.5e", m.materials[k].e));
        g[kSgMaterial].SetCell(3, k, FormatCellNumber("%12.5e", m.materials[k].alpha));
    }
    // 2. Rigid-zone switch.
    g.CkGoiki = m.rigidZoneSwitch != 0;
    // 3. Members, with their lengths refreshed from the end nodes.
    const int members = CheckedCount(m.memberCount, kMaxMembers);
    TStringGrid& sm = g[kSgMember];
    SizeRows(sm, members);
    // Every slot gets its row, a member numbered 0 or less too: a row left
    // out would keep the text of the model shown before.
    for (int k = 1; k <= members; ++k) {
        FrameMember& mb = m.members[k];
        double xi, yi, xj, yj;
        GetMemberEnds(m, xi, yi, xj, yj, k);
        mb.length = static_cast<float>(Distance(xi, yi, xj, yj));
        const int v[] = {mb.no, mb.nodeI, mb.nodeJ, mb.sectionNo, mb.materialNo, mb.endI, mb.endJ};
        for (int c = 0; c < 7; ++c) sm.SetCell(c + 1, k, Int(v[c]));
        sm.SetCell(8, k, FormatCellNumber("%5.3f", mb.rigidI));
        sm.SetCell(9, k, FormatCellNumber("%5.3f", mb.rigidJ));
        sm.SetCell(10, k, FormatCellNumber("%6.4f", mb.length));
        sm.SetCell(11, k, Name(mb.name));
    }
    // 4.-8. Cases and their entries, points of interest.
    FillSpringCases(g, m, sel);
    FillSupportCases(g, m, sel);
    const int ranges = CheckedCount(m.view1Count, kMaxView1);
    SizeRows(g[kSgView1], ranges);
    for (int k = 1; k <= ranges; ++k) {
        g[kSgView1].SetCell(1, k, Int(m.view1[k].firstMember));
        g[kSgView1].SetCell(2, k, Int(m.view1[k].lastMember));
        g[kSgView1].SetCell(3, k, Int(m.view1[k].divisions));
    }
    RebuildView2Grid(g, m, sel);
    FillLoadCases(g, m, sel);
    FillCombinations(g, m, sel);
}

void RebuildView2Grid(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    // 1. Normalise: one entry per member, points inside the member only.
    const int n = CheckedCount(m.view2Count, kMaxView2);
    for (int k = 1; k <= n; ++k) {
        View2Member& v = m.view2[k];
        for (int j = 1; j < k; ++j)
            if (v.memberNo != 0 && m.view2[j].memberNo == v.memberNo) v.memberNo = 0;
        const int mi = FindMemberIndex(m, v.memberNo);
        const double len = mi > 0 ? m.members[mi].length : 0.0;
        const int count = CheckedCount(v.count, kMaxViewPoints);
        bool any = false;
        for (int p = 1; p <= count; ++p) {
            if (v.dist[p] < kEndTolerance || v.dist[p] > len - kEndTolerance) {
                v.dist[p] = 0;
                v.pointName[p][0] = 0;
            } else {
                any = true;
            }
        }
        if (!any) v.memberNo = 0;
    }
    int kept = 0;
    for (int k = 1; k <= n; ++k)
        if (m.view2[k].memberNo != 0) {
            if (kept + 1 != k) m.view2[kept + 1] = m.view2[k];
            ++kept;
        }
    ZeroRowsBeyond(m.view2, kept, n);
    m.view2Count = kept;
    // 2.-4. List the selected member's points.
    TStringGrid& v2 = g[kSgView2];
    g.ShownView2Member = sel.memberFirst;
    g.lbV2BzNo = FormatStr("部材No. %d の着目点"_sj.c_str(), sel.memberFirst);
    const int vi = sel.memberFirst > 0 ? FindViewPointIndex(m, sel.memberFirst) : 0;
    const int points = vi > 0 ? CheckedCount(m.view2[vi].count, kMaxViewPoints) : 0;
    // Every point gets a row (not only the first ten), so none is lost when
    // the grid is written back.
    const int rows = std::max(kView2MinPoints, points);
    v2.SetRowCount(rows + 2);
    for (int r = 1; r < v2.RowCount(); ++r) v2.ClearRow(r);
    const int mi = FindMemberIndex(m, sel.memberFirst);
    const double len = mi > 0 ? m.members[mi].length : 0.0;
    for (int p = 1; p <= points; ++p) {
        const double d = Round3(m.view2[vi].dist[p]);
        if (d <= 0) continue;
        v2.SetCell(1, p, FormatCellNumber("%7.3f", d));
        v2.SetCell(2, p, Trim(m.view2[vi].pointName[p]));
        v2.SetCell(3, p, FormatCellNumber("%7.3f", Round3(len - d)));
    }
    if (sel.memberFirst <= 0) v2.SetCell(2, 5, "部材が選択されていません"_sj);
}

std::string GridsToModel(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    Overflow over;
    std::unique_ptr<FrameModel> old = NewFrameModelRecord();
    CopyFrameModel(*old, m);
    auto rows = [](const TStringGrid& grid) { return grid.RowCount() - 1; };  // data + append row

    // 1.-3. Nodes, materials, sections.
    ClearTableRows(m.nodes, m.nodeCount);
    m.nodeCount = 0;
    for (int r = 1; r < rows(g[kSgPoint]) + 1; ++r) {
        const TStringGrid& s = g[kSgPoint];
        if (!Kept(s, r)) continue;
        if (m.nodeCount == kMaxNodes) { over.Note("格点"_sj.c_str(), kMaxNodes); break; }
        FramePoint& p = m.nodes[++m.nodeCount];
        p.no = I(s, 1, r);
        p.x = F(s, 2, r);
        p.y = F(s, 3, r);
    }
    ClearTableRows(m.materials, m.materialCount);
    m.materialCount = 0;
    for (int r = 1; r <= rows(g[kSgMaterial]); ++r) {
        const TStringGrid& s = g[kSgMaterial];
        if (!Kept(s, r)) continue;
        if (m.materialCount == kMaxMaterials) { over.Note("材質"_sj.c_str(), kMaxMaterials); break; }
        FrameMaterial& t = m.materials[++m.materialCount];
        t.no = I(s, 1, r);
        t.e = F(s, 2, r);
        t.alpha = F(s, 3, r);
    }
    ClearTableRows(m.sections, m.sectionCount);
    m.sectionCount = 0;
    for (int r = 1; r <= rows(g[kSgSection]); ++r) {
        const TStringGrid& s = g[kSgSection];
        if (!Kept(s, r)) continue;
        if (m.sectionCount == kMaxSections) { over.Note("断面"_sj.c_str(), kMaxSections); break; }
        FrameSection& t = m.sections[++m.sectionCount];
        t.no = I(s, 1, r);
        t.area = F(s, 2, r);
        t.inertia = F(s, 3, r);
        StoreName(t.name, kNameSize, s.Cells(4, r));
    }
    // 4. Rigid-zone switch.
    m.rigidZoneSwitch = g.CkGoiki ? 1 : 0;
    // 5. Members.
    ClearTableRows(m.members, m.memberCount);
    m.memberCount = 0;
    for (int r = 1; r <= rows(g[kSgMember]); ++r) {
        const TStringGrid& s = g[kSgMember];
        if (!Kept(s, r)) continue;
        if (m.memberCount == kMaxMembers) { over.Note("部材"_sj.c_str(), kMaxMembers); break; }
        const int k = ++m.memberCount;
        FrameMember& t = m.members[k];
        t.no = I(s, 1, r);
        t.nodeI = I(s, 2, r);
        t.nodeJ = I(s, 3, r);
        t.sectionNo = I(s, 4, r);
        t.materialNo = I(s, 5, r);
        t.endI = I(s, 6, r);
        t.endJ = I(s, 7, r);
        t.rigidI = F(s, 8, r);
        t.rigidJ = F(s, 9, r);
        StoreName(t.name, kNameSize, s.Cells(11, r));
        double xi, yi, xj, yj;
        GetMemberEnds(m, xi, yi, xj, yj, k);
        t.length = static_cast<float>(Distance(xi, yi, xj, yj));
        t.angle = static_cast<float>(SafeAtan2(yj - yi, xj - xi));
    }
    // 6. Spring cases: each keeps the entries of the slot it was filled from.
    {
        const TStringGrid& s = g[kSgBane1];
        ClearTableRows(m.springCases, m.springCaseCount);
        m.springCaseCount = 0;
        for (int r = 1; r <= rows(s); ++r) {
            if (!Kept(s, r)) continue;
            if (m.springCaseCount == kMaxSpringCases) { over.Note("分布バネケース"_sj.c_str(), kMaxSpringCases); break; }
            BaneCase& c = m.springCases[++m.springCaseCount];
            const long from = s.RowTag(r);
            if (from > 0 && from <= kMaxSpringCases) c = old->springCases[from];
            c.no = I(s, 1, r);
            StoreName(c.name, kNameSize, s.Cells(2, r));
        }
        if (const int ci = FindSpringCaseIndex(m, sel.springCase); ci > 0 && sel.springCase > 0) {
            BaneCase& c = m.springCases[ci];
            ClearTableRows(c.entries, c.count);
            c.count = 0;
            const TStringGrid& e = g[kSgBane2];
            for (int r = 1; r <= rows(e); ++r) {
                if (!Kept(e, r)) continue;
                if (c.count == kMaxSpringEntries) { over.Note("分布バネ"_sj.c_str(), kMaxSpringEntries); break; }
                BaneEntry& b = c.entries[++c.count];
                b.memberNo = I(e, 1, r);
                b.kv = F(e, 2, r);
                b.ku = F(e, 3, r);
            }
        }
    }
    // 7. Support cases likewise.
    {
        const TStringGrid& s = g[kSgSupt1];
        ClearTableRows(m.supportCases, m.supportCaseCount);
        m.supportCaseCount = 0;
        for (int r = 1; r <= rows(s); ++r) {
            if (!Kept(s, r)) continue;
            if (m.supportCaseCount == kMaxSupportCases) { over.Note("支点ケース"_sj.c_str(), kMaxSupportCases); break; }
            SuptCase& c = m.supportCases[++m.supportCaseCount];
            const long from = s.RowTag(r);
            if (from > 0 && from <= kMaxSupportCases) c = old->supportCases[from];
            c.no = I(s, 1, r);
            StoreName(c.name, kNameSize, s.Cells(2, r));
        }
        if (const int ci = FindSupportCaseIndex(m, sel.supportCase); ci > 0 && sel.supportCase > 0) {
            SuptCase& c = m.supportCases[ci];
            ClearTableRows(c.entries, c.count);
            c.count = 0;
            const TStringGrid& e = g[kSgSupt2];
            for (int r = 1; r <= rows(e); ++r) {
                if (!Kept(e, r)) continue;
                if (c.count == kMaxSupportEntries) { over.Note("支点"_sj.c_str(), kMaxSupportEntries); break; }
                SuptEntry& t = c.entries[++c.count];
                t.nodeNo = I(e, 1, r);
                t.code = I(e, 2, r);
                t.kx = F(e, 3, r);
                t.ky = F(e, 4, r);
                t.km = F(e, 5, r);
            }
        }
    }
    // 8. Equal-division ranges.
    {
        const TStringGrid& s = g[kSgView1];
        ClearTableRows(m.view1, m.view1Count);
        m.view1Count = 0;
        for (int r = 1; r <= rows(s); ++r) {
            if (!Kept(s, r)) continue;
            if (m.view1Count == kMaxView1) { over.Note("着目点分割"_sj.c_str(), kMaxView1); break; }
            View1Range& v = m.view1[++m.view1Count];
            v.firstMember = I(s, 1, r);
            v.lastMember = static_cast<int>(TextToDouble(s.Cells(2, r)));
            v.divisions = static_cast<int>(TextToDouble(s.Cells(3, r)));
        }
    }
    // 9. Named points of the member SgView2 lists.
    if (g.ShownView2Member > 0) {
        int vi = 0;
        for (int k = 1; k <= CheckedCount(m.view2Count, kMaxView2); ++k)
            if (m.view2[k].memberNo == g.ShownView2Member) vi = k;
        if (vi == 0 && m.view2Count < kMaxView2) {
            vi = ++m.view2Count;
            std::memset(&m.view2[vi], 0, sizeof m.view2[vi]);
            m.view2[vi].memberNo = g.ShownView2Member;
        }
        if (vi > 0) {
            View2Member& v = m.view2[vi];
            std::memset(v.dist, 0, sizeof v.dist);
            std::memset(v.pointName, 0, sizeof v.pointName);
            v.count = 0;
            const TStringGrid& s = g[kSgView2];
            for (int r = 1; r <= rows(s); ++r) {
                const double d = Round3(TextToDouble(s.Cells(1, r)));
                if (d <= 0) continue;
                if (v.count == kMaxViewPoints) { over.Note("着目点"_sj.c_str(), kMaxViewPoints); break; }
                ++v.count;
                v.dist[v.count] = static_cast<float>(d);
                SetFixedText(v.pointName[v.count], kPointNameSize, Trim(FitTextLength(s.Cells(2, r), 20)).c_str());
            }
        }
        // Entries of members that are gone, and entries left without points,
        // are dropped.
        int kept = 0;
        for (int k = 1; k <= CheckedCount(m.view2Count, kMaxView2); ++k)
            if (FindMemberIndex(m, m.view2[k].memberNo) != 0 && m.view2[k].count > 0) {
                if (kept + 1 != k) m.view2[kept + 1] = m.view2[k];
                ++kept;
            }
        ZeroRowsBeyond(m.view2, kept, m.view2Count);
        m.view2Count = kept;
    }
    // 10. Load cases, each with the loads of its own slot.
    {
        const TStringGrid& s = g[kSgLoad1];
        ClearTableRows(m.loadCases, m.loadCaseCount);
        m.loadCaseCount = 0;
        for (int r = 1; r <= rows(s); ++r) {
            if (!Kept(s, r)) continue;
            if (m.loadCaseCount == kMaxLoadCases) { over.Note("荷重ケース"_sj.c_str(), kMaxLoadCases); break; }
            LoadCase& c = m.loadCases[++m.loadCaseCount];
            const long from = s.RowTag(r);
            if (from > 0 && from <= kMaxLoadCases) c = old->loadCases[from];
            c.no = I(s, 1, r);
            StoreName(c.name, kNameSize, s.Cells(2, r));
            c.suptCaseNo = I(s, 3, r);
            c.baneCaseNo = I(s, 4, r);
        }
        if (const int ci = FindLoadCaseIndex(m, sel.loadCase); ci > 0 && sel.loadCase > 0) {
            LoadCase& c = m.loadCases[ci];
            ClearTableRows(c.loads, c.count);
            c.count = 0;
            const TStringGrid& e = g[kSgLoad2];
            for (int r = 1; r <= rows(e); ++r) {
                if (!Kept(e, r)) continue;
                if (c.count == kMaxLoads) { over.Note("荷重"_sj.c_str(), kMaxLoads); break; }
                LoadRecord& t = c.loads[++c.count];
                t.code = I(e, 1, r);
                t.memberFrom = I(e, 2, r);
                t.memberTo = I(e, 3, r);
                t.qI = F(e, 4, r);
                t.qJ = F(e, 5, r);
                t.distI = F(e, 6, r);
                t.distJ = F(e, 7, r);
                c.maxLoad = std::max({c.maxLoad, std::fabs(t.qI), std::fabs(t.qJ)});
            }
        }
        for (int k = 1; k <= m.loadCaseCount; ++k)
            for (int e = 1; e <= CheckedCount(m.loadCases[k].count, kMaxLoads); ++e) {
                LoadRecord& t = m.loadCases[k].loads[e];
                if ((t.code >= 21 && t.code <= 24) || t.code == 27) t.memberTo = 0;
            }
    }
    // 11. Combinations.
    {
        const TStringGrid& s = g[kSgKumi1];
        ClearTableRows(m.combinations, m.combinationCount);
        m.combinationCount = 0;
        for (int r = 1; r <= rows(s); ++r) {
            if (!Kept(s, r)) continue;
            if (m.combinationCount == kMaxCombinations) { over.Note("組合せ"_sj.c_str(), kMaxCombinations); break; }
            KumiCase& c = m.combinations[++m.combinationCount];
            // By the slot the row came from, not by its number: a renumbered
            // combination keeps its entries.
            const long from = s.RowTag(r);
            if (from > 0 && from <= kMaxCombinations) c = old->combinations[from];
            c.no = I(s, 1, r);
            StoreName(c.name, kNameSize, s.Cells(2, r));
            c.factor = TextToDouble(s.Cells(3, r));
        }
        if (const int ci = FindCombinationIndex(m, sel.combination); ci > 0 && sel.combination > 0) {
            KumiCase& c = m.combinations[ci];
            std::memset(c.entries, 0, sizeof c.entries);
            c.count = 0;
            const TStringGrid& e = g[kSgKumi2];
            for (int r = 1; r <= rows(e); ++r) {
                if (!Kept(e, r)) continue;
                if (c.count == kMaxCombinationEntries) { over.Note("組合せ荷重"_sj.c_str(), kMaxCombinationEntries); break; }
                KumiEntry& t = c.entries[++c.count];
                t.loadCaseNo = I(e, 1, r);
                t.factor = F(e, 2, r);
            }
        }
    }
    return over.text;
}

void SortGridRows(TStringGrid& grid, int keyColumn) {
    const int last = grid.RowCount() - 2;
    for (int r = 1; r <= last; ++r)
        for (int j = r + 1; j <= last; ++j) {
            if (!(TextToDouble(grid.Cells(keyColumn, j)) < TextToDouble(grid.Cells(keyColumn, r)))) continue;
            for (int c = 1; c < grid.ColCount(); ++c) {
                const std::string t = grid.Cells(c, r);
                grid.SetCell(c, r, grid.Cells(c, j));
                grid.SetCell(c, j, t);
            }
            const long tag = grid.RowTag(r);
            grid.SetRowTag(r, grid.RowTag(j));
            grid.SetRowTag(j, tag);
        }
}
