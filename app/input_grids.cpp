#include "app/input_grids.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "app/grid_helpers.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/text_draw.h"

SelectionState CurrentSelection;

namespace {

// Rows shown at least in SgView2 (points and the append row).
constexpr int kView2MinPoints = 10;
// Point positions closer than this to a member end are not points.
constexpr double kEndTolerance = 0.00001;

// A row is kept when its number is above 0, or when it shows a row read
// with a number of 0 or less that nobody has typed over (a file's row
// numbered 0 is analysed as the batch run analyses it, and a commit must not
// drop it unasked). Such rows carry their slot as a negative tag.
bool Kept(const TStringGrid& grid, int row) {
    return TextToInt(grid.Cells(kKeyColumn, row)) > 0 || grid.RowTag(row) < 0;
}

// The slot a row was filled from (0 for a row typed on the append row).
long SlotOf(const TStringGrid& grid, int row) { return std::labs(grid.RowTag(row)); }

// RowCount = rows + 2, the append row cleared.
void SizeRows(TStringGrid& grid, int rows) {
    grid.SetRowCount(rows + 2);
    grid.ClearRow(grid.RowCount() - 1);
}

std::string CaseLabel(int number, const char* name) {
    return FormatStr("%d：%s"_sj.c_str(), number, Trim(name).c_str());
}

// Collects overflow messages of GridsToModel.
struct Overflow {
    std::string text;
    void Note(const char* table, int capacity) {
        text += FormatStr("%s: %d 行を超えた分は取り込めません.\n"_sj.c_str(), table, capacity);
    }
};

// The text a column shows for one row of its table.
template <class R>
std::string CellText(const TableColumn<R>& c, const FrameModel& m, const R& row) {
    if (c.derived != nullptr) return c.derived(m, row);
    int size = 0;
    if (const char* text = c.field.Text(row, size)) return Trim(std::string(text));
    if (c.kind == CellKind::Int || c.kind == CellKind::Truncated)
        return FormatStr(c.format, static_cast<int>(c.field.Number(row)));
    return FormatCellNumber(c.format, c.field.Number(row));
}

// Grid row r from one row of the table.
template <class R>
void FillRow(TStringGrid& grid, const ModelTable<R>& table, const FrameModel& m, const R& row,
             int r) {
    for (int k = 1; k <= table.ColumnCount(); ++k)
        grid.SetCell(k, r, CellText(table.Column(k), m, row));
}

// One grid row per table row 1..count, then the append row; each row is
// tagged with the slot it shows.
template <class R>
void FillRows(TStringGrid& grid, const FrameModel& m, const R* rows, int count) {
    const ModelTable<R>& table = TableOf(rows);
    SizeRows(grid, count);
    for (int k = 1; k <= count; ++k) {
        FillRow(grid, table, m, rows[k], k);
        grid.SetRowTag(k, table.Column(kKeyColumn).field.Number(rows[k]) > 0 ? k : -k);
    }
}

// The file field that keeps a number column: its table's, or for the
// numbers the file lays out on lines of their own, that line's field.
template <class R>
FileField StoredAs(const TableColumn<R>& c) {
    if (c.file.kind != FileKind::None) return c.file;
    if constexpr (std::is_same_v<R, SuptEntry>) return kSupportSpringField;
    if constexpr (std::is_same_v<R, KumiCase>) return kCombinationFactorField;
    if constexpr (std::is_same_v<R, ViewPointRow>) return kViewPointField;
    return {};
}

// A typed number as the data file keeps it, so that the grid, the analysis
// and the saved file hold one number. An area or I of 0 or less stays what
// it is (the validation names it), never the file's stand-in for it.
template <class R>
double AsKept(const TableColumn<R>& c, double v) {
    const FileField f = StoredAs(c);
    return f.kind == FileKind::MantExpNonZero && !(v > 0)
               ? v
               : StoredFieldValue(f, v, c.field.Type() == FieldType::Float);
}

// A typed cell into its field.
template <class R>
void ReadCell(const TableColumn<R>& c, const std::string& text, R& row) {
    switch (c.kind) {
        case CellKind::Int:
            c.field.SetNumber(row, TextToInt(text));
            break;
        case CellKind::Truncated:
            c.field.SetNumber(row, TruncToInt(TextToDouble(text)));
            break;
        case CellKind::Real:
            c.field.SetNumber(row, ToFloatInRange(AsKept(c, TextToDouble(text))));
            break;
        case CellKind::Double:
            c.field.SetNumber(row, AsKept(c, TextToDouble(text)));
            break;
        case CellKind::Name: {
            int size = 0;
            char* dest = c.field.Text(row, size);
            // Cut where it no longer fits, each character as typed.
            SetFixedText(dest, size, Trim(CutTextLength(text, c.field.TextBytes())).c_str());
            break;
        }
        case CellKind::Shown:
            break;
    }
}

// Rebuilds rows[1..count] from the kept rows of the grid, in grid order;
// rows beyond the table's capacity are dropped and noted. restore(row, r)
// first fills a table row from the slot grid row r came from.
template <class R, std::size_t N, class Restore>
void ReadRows(const TStringGrid& grid, R (&rows)[N], std::int32_t& count, Overflow& over,
              Restore restore) {
    const ModelTable<R>& table = TableOf(rows);
    constexpr int capacity = static_cast<int>(N) - 1;
    ClearTableRows(rows, count);
    count = 0;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!Kept(grid, r)) continue;
        if (count == capacity) {
            over.Note(table.title.c_str(), capacity);
            break;
        }
        R& row = rows[++count];
        restore(row, r);
        for (int k = 1; k <= table.ColumnCount(); ++k)
            ReadCell(table.Column(k), grid.Cells(k, r), row);
    }
}
template <class R, std::size_t N>
void ReadRows(const TStringGrid& grid, R (&rows)[N], std::int32_t& count, Overflow& over) {
    ReadRows(grid, rows, count, over, [](R&, int) {});
}

// The rows of a case grid: each case keeps the entries of the slot it was
// filled from (the row's tag), however its rows were sorted or renumbered.
template <class R, std::size_t N>
void ReadCaseRows(const TStringGrid& grid, R (&rows)[N], std::int32_t& count, const R (&old)[N],
                  Overflow& over) {
    ReadRows(grid, rows, count, over, [&](R& row, int r) {
        const long from = SlotOf(grid, r);
        if (from > 0 && from < static_cast<long>(N)) row = old[from];
    });
}

template <class R>
void FillCaseRows(TStringGrid& grid, const FrameModel& m, const R* rows, int count) {
    FillRows(grid, m, rows, count);
}

// The current row of an entry grid stays through its refill (limited to
// the rows it has now), set without a click event.
void KeepRow(TStringGrid& grid, int row) {
    const bool enabled = grid.Enabled();
    grid.SetEnabled(false);
    grid.SetRow(std::min(row, grid.RowCount() - 1));
    grid.SetEnabled(enabled);
}

void FillSpringCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& b2 = g[kSgBane2];
    const int n = CheckedCount(m.springCaseCount, kMaxSpringCases);
    FillCaseRows(g[kSgBane1], m, m.springCases, n);
    g.LbBaneC = "---";
    // The row a member click chose stays chosen through the refill.
    const int keepRow = b2.Row();
    SizeRows(b2, 0);
    b2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const BaneCase& c = m.springCases[k];
        if (c.no != sel.springCase) continue;
        g.LbBaneC = CaseLabel(c.no, c.name);
        FillRows(b2, m, c.entries, CheckedCount(c.count, kMaxSpringEntries));
        break;
    }
    KeepRow(b2, keepRow);
}

void FillSupportCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& s2 = g[kSgSupt2];
    const int n = CheckedCount(m.supportCaseCount, kMaxSupportCases);
    FillCaseRows(g[kSgSupt1], m, m.supportCases, n);
    g.LbSuptC = "---";
    const int keepRow = s2.Row();
    SizeRows(s2, 0);
    s2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const SuptCase& c = m.supportCases[k];
        if (c.no != sel.supportCase) continue;
        // The label shows the case's place in the table, not its number.
        g.LbSuptC = CaseLabel(k, c.name);
        FillRows(s2, m, c.entries, CheckedCount(c.count, kMaxSupportEntries));
        break;
    }
    KeepRow(s2, keepRow);
}

void FillLoadCases(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& l2 = g[kSgLoad2];
    FillCaseRows(g[kSgLoad1], m, m.loadCases, CheckedCount(m.loadCaseCount, kMaxLoadCases));
    g.lbLLcNo = g.lbLScNo = g.lbLBcNo = "---";
    const int keepRow = l2.Row();
    const int ci = sel.loadCase > 0 ? FindLoadCaseIndex(m, sel.loadCase) : 0;
    if (ci <= 0) {
        SizeRows(l2, 0);
        l2.ClearRow(1);
        // The sums of a case no longer shown (of the file before) go.
        g.lbSgmXY.clear();
        return;
    }
    const LoadCase& c = m.loadCases[ci];
    g.lbLLcNo = CaseLabel(c.no, c.name);
    if (const int si = FindSupportCaseIndex(m, c.suptCaseNo); si > 0)
        g.lbLScNo = CaseLabel(m.supportCases[si].no, m.supportCases[si].name);
    if (const int bi = FindSpringCaseIndex(m, c.baneCaseNo); bi > 0)
        g.lbLBcNo = CaseLabel(m.springCases[bi].no, m.springCases[bi].name);
    FillRows(l2, m, c.loads, CheckedCount(c.count, kMaxLoads));
    const bool enabled = l2.Enabled();
    l2.SetEnabled(false);
    l2.SetRow(std::min(keepRow, l2.RowCount() - 1));
    l2.SetEnabled(enabled);
    g.lbSgmXY = FormatStr("Σ(水平) = %0.3f - %0.3f"_sj.c_str(), c.sumHorizPos, c.sumHorizNeg) +
                FormatStr("　　Σ(鉛直) = %0.3f - %0.3f"_sj.c_str(), c.sumVertPos, c.sumVertNeg);
}

void FillCombinations(InputGrids& g, const FrameModel& m, const SelectionState& sel) {
    TStringGrid& k2 = g[kSgKumi2];
    const int n = CheckedCount(m.combinationCount, kMaxCombinations);
    FillCaseRows(g[kSgKumi1], m, m.combinations, n);
    g.LbKumiC = "---";
    const int keepRow = k2.Row();
    SizeRows(k2, 0);
    k2.ClearRow(1);
    for (int k = 1; k <= n; ++k) {
        const KumiCase& c = m.combinations[k];
        if (c.no != sel.combination) continue;
        g.LbKumiC = CaseLabel(c.no, c.name);
        FillRows(k2, m, c.entries, CheckedCount(c.count, kMaxCombinationEntries));
        break;
    }
    KeepRow(k2, keepRow);
}

// The points of the member SgView2 lists: its entry (the last one for the
// member, or a new one) is rebuilt from the rows whose distance is above 0;
// then entries left without points are dropped. The points of a member that
// does not exist stay (the validation names them): a mistyped member number
// must not take them away for good.
void ReadViewPoints(InputGrids& g, FrameModel& m, Overflow& over) {
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
        const int distCol = ColumnOf(&ViewPointRow::dist);
        const int nameCol = ColumnOf(&ViewPointRow::name);
        for (int r = 1; r < s.RowCount(); ++r) {
            ViewPointRow row{};
            row.dist = Round3(TextToDouble(s.Cells(distCol, r)));
            if (row.dist <= 0) continue;
            if (v.count == kMaxViewPoints) {
                over.Note(ViewPointTable().title.c_str(), kMaxViewPoints);
                break;
            }
            ReadCell(ViewPointTable().Column(nameCol), s.Cells(nameCol, r), row);
            ++v.count;
            v.dist[v.count] = ToFloatInRange(row.dist);
            std::memcpy(v.pointName[v.count], row.name, sizeof row.name);
        }
    }
    int kept = 0;
    for (int k = 1; k <= CheckedCount(m.view2Count, kMaxView2); ++k)
        if (m.view2[k].count > 0) {
            if (kept + 1 != k) m.view2[kept + 1] = m.view2[k];
            ++kept;
        }
    ZeroRowsBeyond(m.view2, kept, m.view2Count);
    m.view2Count = kept;
}

// What became of each member number of the model the member grid was
// filled from: its new number, 0 when its row was deleted; numbers that did
// not change are left out.
std::vector<std::pair<int, int>> MemberRenumbering(const TStringGrid& grid, const FrameModel& old) {
    std::vector<std::pair<int, int>> moved;
    const int oldCount = CheckedCount(old.memberCount, kMaxMembers);
    for (int r = 1; r < grid.RowCount(); ++r) {
        const long from = SlotOf(grid, r);
        if (from < 1 || from > oldCount) continue;
        const int before = old.members[from].no;
        const int now = Kept(grid, r) ? TextToInt(grid.Cells(kKeyColumn, r)) : 0;
        if (before > 0 && now != before) moved.emplace_back(before, now);
    }
    return moved;
}

// The member number no becomes after the renumbering (itself when it was
// not touched).
int Renumbered(const std::vector<std::pair<int, int>>& moved, int no) {
    for (const auto& [before, now] : moved)
        if (before == no) return now;
    return no;
}

// The points of interest and the equal-division ranges name members by
// number: they follow their members' new numbers. The points of a deleted
// member go with it; a range whose end member was deleted ends at the
// nearest member still inside it, and goes when none is left.
void FollowMemberNumbers(FrameModel& m, const std::vector<std::pair<int, int>>& moved) {
    if (moved.empty()) return;
    for (int k = 1; k <= CheckedCount(m.view2Count, kMaxView2); ++k) {
        View2Member& v = m.view2[k];
        v.memberNo = Renumbered(moved, v.memberNo);
        if (v.memberNo == 0) v.count = 0;
    }
    int kept = 0;
    for (int k = 1; k <= CheckedCount(m.view2Count, kMaxView2); ++k)
        if (m.view2[k].memberNo != 0 && m.view2[k].count > 0) {
            if (kept + 1 != k) m.view2[kept + 1] = m.view2[k];
            ++kept;
        }
    ZeroRowsBeyond(m.view2, kept, m.view2Count);
    m.view2Count = kept;
    // A range's ends, deleted ones moved inwards to a member that exists.
    auto inward = [&](int from, int to) {
        const int step = from <= to ? 1 : -1;
        for (int no = from;; no += step) {
            if (Renumbered(moved, no) != 0 && FindMemberIndex(m, Renumbered(moved, no)) > 0)
                return Renumbered(moved, no);
            if (no == to) return 0;
        }
    };
    kept = 0;
    for (int k = 1; k <= CheckedCount(m.view1Count, kMaxView1); ++k) {
        View1Range r = m.view1[k];
        const int last = r.lastMember > 0 ? r.lastMember : r.firstMember;
        if (Renumbered(moved, r.firstMember) == 0)
            r.firstMember = inward(r.firstMember, last);
        else
            r.firstMember = Renumbered(moved, r.firstMember);
        if (r.lastMember > 0) {
            if (Renumbered(moved, r.lastMember) == 0)
                r.lastMember = inward(r.lastMember, m.view1[k].firstMember);
            else
                r.lastMember = Renumbered(moved, r.lastMember);
        }
        if (r.firstMember <= 0) continue;
        m.view1[++kept] = r;
    }
    ZeroRowsBeyond(m.view1, kept, m.view1Count);
    m.view1Count = kept;
}

// Calls f with the description of a grid's table.
template <class F>
auto WithTable(GridId id, F f) {
    switch (id) {
        case kSgPoint:
            return f(NodeTable());
        case kSgSection:
            return f(SectionTable());
        case kSgMaterial:
            return f(MaterialTable());
        case kSgView2:
            return f(ViewPointTable());
        case kSgView1:
            return f(View1Table());
        case kSgSupt1:
            return f(SupportCaseTable());
        case kSgSupt2:
            return f(SupportEntryTable());
        case kSgBane1:
            return f(SpringCaseTable());
        case kSgBane2:
            return f(SpringEntryTable());
        case kSgLoad1:
            return f(LoadCaseTable());
        case kSgLoad2:
            return f(LoadTable());
        case kSgKumi1:
            return f(CombinationTable());
        case kSgKumi2:
            return f(CombinationEntryTable());
        default:
            return f(MemberTable());
    }
}

}  // namespace

const std::string& GridHeaderSpec(GridId id) {
    static const std::string empty;
    static const auto specs = [] {
        std::array<std::string, kGridCount> all;
        for (int i = 0; i < kGridCount; ++i)
            all[static_cast<std::size_t>(i)] = WithTable(
                static_cast<GridId>(i), [](const auto& table) { return table.HeaderSpec(); });
        return all;
    }();
    return id >= 0 && id < kGridCount ? specs[static_cast<std::size_t>(id)] : empty;
}

GridColumnInfo GridColumn(GridId id, int col) {
    if (id < 0 || id >= kGridCount) return {};
    return WithTable(id, [col](const auto& table) {
        if (col < 1 || col > table.ColumnCount()) return GridColumnInfo{};
        const auto& c = table.Column(col);
        return GridColumnInfo{c.kind, c.show, c.tint, c.field.IsText() ? c.field.TextBytes() : 0};
    });
}

namespace {

// The number a whole cell text stands for (full-width digits as half-width
// when the text begins with a double-byte character, blanks around it
// aside; an empty text is 0). False when the text is anything but one
// number: "abc", "1,5", "3m".
bool WholeNumber(const std::string& text, double& value) {
    const std::string t = Trim(
        (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x80) ? NumZenToHan(text) : text);
    value = 0;
    if (t.empty()) return true;
    std::size_t i = 0, digits = 0;
    const auto digit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
    if (t[i] == '+' || t[i] == '-') ++i;
    for (; digit(i); ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; digit(i); ++i) ++digits;
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (!digit(i)) return false;
        while (digit(i)) ++i;
    }
    if (i != t.size()) return false;
    value = TextToDouble(t);
    return true;
}

// A column's caption on one line, for messages.
std::string CaptionText(const GridTitle& title) {
    std::string text;
    for (std::size_t i = 0; i < title.caption.size();) {
        const int n = std::max(1, CharByteCount(title.caption, i));
        const char c = title.caption[i];
        if (n == 1 && c == '$')
            text += ' ';
        else if (!(n == 1 && c == ','))
            text.append(title.caption, i, static_cast<std::size_t>(n));
        i += static_cast<std::size_t>(n);
    }
    return text;
}

}  // namespace

std::string RefusedCellText(GridId id, int col, const std::string& text) {
    if (id < 0 || id >= kGridCount) return "";
    return WithTable(id, [&](const auto& table) -> std::string {
        if (col < 1 || col > table.ColumnCount()) return "";
        const auto& c = table.Column(col);
        if (c.kind == CellKind::Name || c.kind == CellKind::Shown) return "";
        // The first column of the points grid also takes "c3": copy member
        // 3's points.
        if (id == kSgView2 && col == kKeyColumn && !text.empty() &&
            (text[0] == 'c' || text[0] == 'C'))
            return "";
        const std::string what = CaptionText(c.title);
        double v = 0;
        if (!WholeNumber(text, v))
            return FormatStr("%s：「%s」は数値ではありません."_sj.c_str(), what.c_str(),
                             text.c_str());
        if (c.kind == CellKind::Int || c.kind == CellKind::Truncated) {
            if (v < 0) return FormatStr("%s：負の数は入力できません."_sj.c_str(), what.c_str());
            if (v != std::floor(v))
                return FormatStr("%s：整数を入力してください."_sj.c_str(), what.c_str());
            if (v > INT_MAX)
                return FormatStr("%s：%s は大きすぎます."_sj.c_str(), what.c_str(),
                                 Trim(text).c_str());
            return "";
        }
        const FileField f = StoredAs(c);
        if (f.kind == FileKind::MantExpNonZero && !(v > 0)) {
            // An I of 0 asks for the rectangle of the area.
            if (id == kSgSection && col == ColumnOf(&FrameSection::inertia) && v == 0) return "";
            return FormatStr("%s：0 より大きい値を入力してください."_sj.c_str(), what.c_str());
        }
        const bool inFloat = c.kind == CellKind::Real;
        const double stored = StoredFieldValue(f, v, c.field.Type() == FieldType::Float);
        // A fixed field rounds to its decimals, a mantissa to its digits;
        // anything more is a number the file would change.
        const bool fixed = f.kind == FileKind::Fixed || f.kind == FileKind::Printf;
        const double slack =
            fixed ? 0.5 * std::pow(10.0, -f.digits) * (1 + 1e-9) : 0.01 * std::fabs(v);
        if (!std::isfinite(v) || (inFloat && std::fabs(v) > FLT_MAX) ||
            (f.kind != FileKind::None && !(std::fabs(stored - v) <= slack)))
            return FormatStr("%s：%s はデータファイルの桁に収まりません."_sj.c_str(), what.c_str(),
                             Trim(text).c_str());
        return "";
    });
}

void KeyTyped(TStringGrid& grid, int row) {
    if (grid.RowTag(row) < 0) grid.SetRowTag(row, -grid.RowTag(row));
}

GridId InputGrids::IdOf(const TStringGrid* g) const {
    for (int i = 0; i < kGridCount; ++i)
        if (grid[i] == g) return static_cast<GridId>(i);
    return kGridCount;
}

void ModelToGrids(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    // 1. Nodes, sections, materials.
    FillRows(g[kSgPoint], m, m.nodes, CheckedCount(m.nodeCount, kMaxNodes));
    FillRows(g[kSgSection], m, m.sections, CheckedCount(m.sectionCount, kMaxSections));
    FillRows(g[kSgMaterial], m, m.materials, CheckedCount(m.materialCount, kMaxMaterials));
    // 2. Rigid-zone switch.
    g.CkGoiki = m.rigidZoneSwitch != 0;
    // 3. Members, with their lengths refreshed from the end nodes. Every
    // slot gets its row, a member numbered 0 or less too: a row left out
    // would keep the text of the model shown before.
    const int members = CheckedCount(m.memberCount, kMaxMembers);
    for (int k = 1; k <= members; ++k) {
        double xi, yi, xj, yj;
        GetMemberEnds(m, xi, yi, xj, yj, k);
        m.members[k].length = static_cast<float>(Distance(xi, yi, xj, yj));
    }
    FillRows(g[kSgMember], m, m.members, members);
    // 4.-8. Cases and their entries, points of interest.
    FillSpringCases(g, m, sel);
    FillSupportCases(g, m, sel);
    FillRows(g[kSgView1], m, m.view1, CheckedCount(m.view1Count, kMaxView1));
    RebuildView2Grid(g, m, sel);
    FillLoadCases(g, m, sel);
    FillCombinations(g, m, sel);
}

void RebuildView2Grid(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    // 1. Normalise: one entry per member, without the points deleted (at 0
    // or before). A point beyond its member's end stays: the member may be
    // short only for a moment while its nodes are typed, and the validation
    // names such a point.
    const int n = CheckedCount(m.view2Count, kMaxView2);
    for (int k = 1; k <= n; ++k) {
        View2Member& v = m.view2[k];
        for (int j = 1; j < k; ++j)
            if (v.memberNo != 0 && m.view2[j].memberNo == v.memberNo) v.memberNo = 0;
        const int count = CheckedCount(v.count, kMaxViewPoints);
        bool any = false;
        for (int p = 1; p <= count; ++p) {
            if (v.dist[p] < kEndTolerance) {
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
        ViewPointRow row{};
        row.dist = Round3(m.view2[vi].dist[p]);
        if (row.dist <= 0) continue;
        std::memcpy(row.name, m.view2[vi].pointName[p], sizeof row.name);
        row.distJ = Round3(len - row.dist);
        FillRow(v2, ViewPointTable(), m, row, p);
    }
    if (sel.memberFirst <= 0)
        v2.SetCell(ColumnOf(&ViewPointRow::name), 5, "部材が選択されていません"_sj);
}

std::string GridsToModel(InputGrids& g, FrameModel& m, const SelectionState& sel) {
    Overflow over;
    std::unique_ptr<FrameModel> old = NewFrameModelRecord();
    CopyFrameModel(*old, m);

    // 1.-3. Nodes, materials, sections.
    ReadRows(g[kSgPoint], m.nodes, m.nodeCount, over);
    ReadRows(g[kSgMaterial], m.materials, m.materialCount, over);
    ReadRows(g[kSgSection], m.sections, m.sectionCount, over);
    // 4. Rigid-zone switch.
    m.rigidZoneSwitch = g.CkGoiki ? 1 : 0;
    // 5. Members, with their lengths and angles from the end nodes.
    ReadRows(g[kSgMember], m.members, m.memberCount, over);
    for (int k = 1; k <= m.memberCount; ++k) {
        double xi, yi, xj, yj;
        GetMemberEnds(m, xi, yi, xj, yj, k);
        m.members[k].length = static_cast<float>(Distance(xi, yi, xj, yj));
        m.members[k].angle = static_cast<float>(SafeAtan2(yj - yi, xj - xi));
    }
    // 6.-7. Spring and support cases; the entries of the current case from
    // its entry grid.
    ReadCaseRows(g[kSgBane1], m.springCases, m.springCaseCount, old->springCases, over);
    if (const int ci = FindSpringCaseIndex(m, sel.springCase); ci > 0 && sel.springCase > 0)
        ReadRows(g[kSgBane2], m.springCases[ci].entries, m.springCases[ci].count, over);
    ReadCaseRows(g[kSgSupt1], m.supportCases, m.supportCaseCount, old->supportCases, over);
    if (const int ci = FindSupportCaseIndex(m, sel.supportCase); ci > 0 && sel.supportCase > 0)
        ReadRows(g[kSgSupt2], m.supportCases[ci].entries, m.supportCases[ci].count, over);
    // 8. Equal-division ranges.
    ReadRows(g[kSgView1], m.view1, m.view1Count, over);
    // 9. Named points of the member SgView2 lists; then the points and the
    // ranges follow renumbered members.
    if (g.ShownView2Member > 0) ReadViewPoints(g, m, over);
    FollowMemberNumbers(m, MemberRenumbering(g[kSgMember], *old));
    // 10. Load cases; the loads of the current case, whose largest load is
    // raised (never lowered) to what they hold. A concentrated load on a
    // run of members keeps its run: its distance is measured along the run.
    ReadCaseRows(g[kSgLoad1], m.loadCases, m.loadCaseCount, old->loadCases, over);
    if (const int ci = FindLoadCaseIndex(m, sel.loadCase); ci > 0 && sel.loadCase > 0) {
        LoadCase& c = m.loadCases[ci];
        ReadRows(g[kSgLoad2], c.loads, c.count, over);
        for (int e = 1; e <= c.count; ++e)
            c.maxLoad = std::max({c.maxLoad, std::fabs(c.loads[e].qI), std::fabs(c.loads[e].qJ)});
    }
    // 11. Combinations; the current one's entries, the one after the last
    // cleared.
    ReadCaseRows(g[kSgKumi1], m.combinations, m.combinationCount, old->combinations, over);
    if (const int ci = FindCombinationIndex(m, sel.combination); ci > 0 && sel.combination > 0) {
        KumiCase& c = m.combinations[ci];
        std::memset(c.entries, 0, sizeof c.entries);
        ReadRows(g[kSgKumi2], c.entries, c.count, over);
    }
    return over.text;
}

void FollowInputMethod(TStringGrid& grid) {
    grid.SetImeMode(SjisFind(grid.Cells(grid.Col(), 0), "名"_sj) != std::string::npos);
}

void SortGridRows(TStringGrid& grid, int keyColumn) {
    const int last = grid.RowCount() - 2;
    for (int r = 1; r <= last; ++r)
        for (int j = r + 1; j <= last; ++j) {
            if (!(TextToDouble(grid.Cells(keyColumn, j)) < TextToDouble(grid.Cells(keyColumn, r))))
                continue;
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
