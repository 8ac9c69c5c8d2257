// RC section table of the section settings window.
#include "rccheck/ui/section_grid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/grid_helpers.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/canvas.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/quiet_grid.h"

namespace {

GridAttribute RowAttrs[kSectionGridRows + 1];
int PreviousRow = 0;
// The label, sub-label and unit columns; section c (from 1) is in column
// kFixedCols + c - 1, and the 「追加」 column follows the last.
constexpr int kFixedCols = 3;

enum Row {
    kNo = 1,
    kName,
    kB,
    kH,
    kOD1,
    kOD2,
    kK1,
    kID1,
    kID2,
    kK2,
    kStir,
    kPitch,
    kEc,
    kEs,
    kSeparator,
    kSca1,
    kTa1,
    kTsa1,
    kSsa1,
    kSca2,
    kTa2,
    kTsa2,
    kSsa2,
    kFck,
    kFyk,
    kFwk
};

int Count(const RcCheckData& rc) { return CheckedCount(rc.sectionCount, kRcMaxSections); }
std::string Plain(double v) { return FormatStr("%g", v); }
std::string Bars(float d, float n) { return FormatBars(static_cast<int>(Round0(d)), n); }

void LabelRows(TStringGrid& grid) {
    struct Label {
        const char* a;
        const char* b;
        const char* c;
        int editable;
    };
    const std::string tab = "\t";
    static const std::string es = "$ 鉄 筋    "_sj + tab + "    Es";
    const Label labels[kSectionGridRows] = {
        {nullptr, nullptr, nullptr, 0},
        // The No row takes typing: a new No in the add column is how a
        // section is added, and No 0 is how one is removed.
        {"断面No."_sj.c_str(), "", "", 1},
        {"^", "名称"_sj.c_str(), "", 1},
        {"^断面寸法"_sj.c_str(), "$    部材幅     ｂ"_sj.c_str(), "(mm)", 1},
        {"", "$    部材高     ｈ"_sj.c_str(), "(mm)", 1},
        {"^外 鉄 筋"_sj.c_str(), "$     1種目   外D1"_sj.c_str(), "径ｘ本数"_sj.c_str(), 1},
        {"", "$     2種目   外D2"_sj.c_str(), "径ｘ本数"_sj.c_str(), 1},
        {"", "$(純) かぶり    d1'"_sj.c_str(), "(mm)", 1},
        {"^内 鉄 筋"_sj.c_str(), "$     1種目   内D1"_sj.c_str(), "径ｘ本数"_sj.c_str(), 1},
        {"", "$     2種目   内D2"_sj.c_str(), "径ｘ本数"_sj.c_str(), 1},
        {"", "$(純) かぶり    d2'"_sj.c_str(), "(mm)", 1},
        {"^せん断補強筋"_sj.c_str(), "$    鉄  筋      $"_sj.c_str(), "径ｘ本数"_sj.c_str(), 1},
        {"", "$    ピッチ    　$"_sj.c_str(), "(mm)", 1},
        {"^ヤング係数"_sj.c_str(), "$ コンクリート    Ec"_sj.c_str(), "(N/mm2)", 1},
        {"", es.c_str(), "(N/mm2)", 1},
        {"^", "", "", 0},
        {"^照査ﾀｲﾌﾟ(1)"_sj.c_str(), "ｺﾝｸﾘｰﾄ圧縮     σca1"_sj.c_str(), "(N/mm2)", 1},
        {"許容応力度"_sj.c_str(), "$     せん断   τa1$"_sj.c_str(), "(N/mm2)", 1},
        {"", "$    (補強筋有)τsa1"_sj.c_str(), "(N/mm2)", 1},
        {"", "鉄筋引張       σsa1"_sj.c_str(), "(N/mm2)", 1},
        {"^照査ﾀｲﾌﾟ(2)"_sj.c_str(), "ｺﾝｸﾘｰﾄ圧縮     σca2"_sj.c_str(), "(N/mm2)", 1},
        {"許容応力度"_sj.c_str(), "$     せん断   τa2$"_sj.c_str(), "(N/mm2)", 1},
        {"", "$    (補強筋有)τsa2"_sj.c_str(), "(N/mm2)", 1},
        {"", "鉄筋引張       σsa2"_sj.c_str(), "(N/mm2)", 1},
        {"^照査ﾀｲﾌﾟ(3)"_sj.c_str(), "ｺﾝｸﾘｰﾄ圧縮強度   fck"_sj.c_str(), "(N/mm2)", 1},
        {"材料強度"_sj.c_str(), "鉄筋引張降伏強度 fyk"_sj.c_str(), "(N/mm2)", 1},
        {"_", "$ せん断降伏強度 fwk"_sj.c_str(), "(N/mm2)", 1},
    };
    for (int r = 1; r < kSectionGridRows; ++r) {
        const std::string key = (r == kOD1)   ? "(外D1)"_sj
                                : (r == kOD2) ? "(外D2)"_sj
                                : (r == kK1)  ? std::string("(d1)")
                                : (r == kID1) ? "(内D1)"_sj
                                : (r == kID2) ? "(内D2)"_sj
                                : (r == kK2)  ? std::string("(d2)")
                                              : std::string("(****)");
        RowAttrs[r] = GridAttribute{};
        SetRowLabel(grid, r, labels[r].a, labels[r].b, labels[r].c, RowAttrs, key, -1, 0, 0,
                    labels[r].editable);
    }
}

std::string CellText(const RcSection& s, int row, int index) {
    switch (row) {
        case kNo:
            return FormatStr("%d", s.no);
        case kName:
            return s.name;
        case kB:
            return Plain(s.b);
        case kH:
            return Plain(s.h);
        case kOD1:
            return Bars(s.outer.d1, s.outer.n1);
        case kOD2:
            return Bars(s.outer.d2, s.outer.n2);
        case kK1:
            return Plain(s.k1);
        case kID1:
            return Bars(s.inner.d1, s.inner.n1);
        case kID2:
            return Bars(s.inner.d2, s.inner.n2);
        case kK2:
            return Plain(s.k2);
        case kStir:
            return Bars(s.stirrupD, s.stirrupLegs);
        case kPitch:
            return Plain(s.stirrupPitch);
        case kEc:
            return FormatStr("%.0f", s.ec);
        case kEs:
            return FormatStr("%.0f", s.es);
        case kSeparator:
            return FormatStr("%d", index);
        case kSca1:
            return FormatStr("%.2f", s.sca1);
        case kTa1:
            return FormatStr("%.3f", s.ta1);
        case kTsa1:
            return FormatStr("%.3f", s.tsa1);
        case kSsa1:
            return FormatStr("%.1f", s.ssa1);
        case kSca2:
            return FormatStr("%.2f", s.sca2);
        case kTa2:
            return FormatStr("%.3f", s.ta2);
        case kTsa2:
            return FormatStr("%.3f", s.tsa2);
        case kSsa2:
            return FormatStr("%.1f", s.ssa2);
        case kFck:
            return FormatStr("%.2f", s.fck);
        case kFyk:
            return FormatStr("%.1f", s.fyk);
        case kFwk:
            return FormatStr("%.1f", s.fwk);
        default:
            return "";
    }
}

void Fill(TStringGrid& grid, const RcCheckData& rc) {
    const bool first = grid.Cells(0, 0).empty();
    if (first)
        FitGridWidthToColumns(grid, 0, "96:・┃150:┃64:┃96:┃96:┃96:┃96:┃96:┃96:┃96:┃"_sj, false);
    LabelRows(grid);
    grid.SetRowCount(kSectionGridRows);
    if (first) {
        const int h = std::max(8, (grid.Height() - 21) / kSectionGridRows - 1);
        for (int r = 0; r < kSectionGridRows; ++r) grid.SetRowHeight(r, h);
        SpreadRowHeights(grid, 20);
    }
    const int count = Count(rc);
    const int firstWidth = grid.ColWidth(kFixedCols);
    grid.SetColCount(kFixedCols + count + 1);
    for (int c = 1; c <= count; ++c) {
        const int col = kFixedCols + c - 1;
        grid.SetColWidth(col, firstWidth);
        SetCellIfChanged(grid, 0, col, FormatStr("%d", c));
        for (int r = 1; r < kSectionGridRows; ++r)
            SetCellIfChanged(grid, r, col, CellText(rc.sections[c], r, c));
    }
    const int last = kFixedCols + count;
    grid.SetColWidth(last, 32);
    SetCellIfChanged(grid, 0, last, "追加"_sj);
    for (int r = 1; r < kSectionGridRows; ++r) SetCellIfChanged(grid, r, last, "");
    grid.Refresh();
}

void SetBars(float& d, float& n, const std::string& text) {
    float count = 0.0f;
    d = static_cast<float>(ParseBars(text, count));
    n = count;
}

// The section number row: refuses a duplicate, extends the table for a new
// section, and closes the table up over sections numbered 0 or below.
void SetNumber(TStringGrid& grid, RcCheckData& rc, int k, double v) {
    const int n = static_cast<int>(std::trunc(v));
    for (int j = 1; j <= Count(rc); ++j) {
        if (j != k && n > 0 && rc.sections[j].no == n) {
            MessageDlg(FormatStr("No.%d は重複するので受け付けません。"_sj.c_str(), n), mtWarning,
                       mbOK);
            return;
        }
    }
    const int oldNo = k <= Count(rc) ? rc.sections[k].no : 0;
    if (k > Count(rc)) {
        // A section added in the 追加 column starts from the defaults, not
        // from whatever its slot last held.
        if (n <= 0) return;
        rc.sections[k] = NewRcSection(FrameData, n);
    }
    rc.sections[k].no = n;
    rc.sectionCount = std::max(Count(rc), k);
    // The members refer to their section by number: a renumbered section
    // takes its members along. A removed one (No 0) leaves them without a
    // section, which the RC window reports.
    if (oldNo > 0 && n > 0 && oldNo != n)
        for (int m = 1; m <= CheckedCount(rc.memberCount, kRcMaxMembers); ++m)
            if (rc.memberChecks[m].sectionNo == oldNo) rc.memberChecks[m].sectionNo = n;
    int kept = 0;
    for (int j = 1; j <= Count(rc); ++j)
        if (rc.sections[j].no > 0) rc.sections[++kept] = rc.sections[j];
    rc.sectionCount = kept;
    grid.SetRow(std::min(grid.Row() + 1, grid.RowCount() - 1));
}

void WriteRow(RcSection& s, int row, const std::string& text, double v) {
    const auto f = [](double x) { return static_cast<float>(x); };
    switch (row) {
        case kName:
            SetRcText(s.name, kRcNameSize, FitTextLength(text, 40));
            break;
        case kB:
            s.b = f(Round0(v));
            break;
        case kH:
            s.h = f(Round0(v));
            break;
        case kOD1:
            SetBars(s.outer.d1, s.outer.n1, text);
            break;
        case kOD2:
            SetBars(s.outer.d2, s.outer.n2, text);
            break;
        case kK1:
            s.k1 = f(Round0(v));
            break;
        case kID1:
            SetBars(s.inner.d1, s.inner.n1, text);
            break;
        case kID2:
            SetBars(s.inner.d2, s.inner.n2, text);
            break;
        case kK2:
            s.k2 = f(Round0(v));
            break;
        case kStir:
            SetBars(s.stirrupD, s.stirrupLegs, text);
            break;
        case kPitch:
            s.stirrupPitch = f(Round0(v));
            break;
        case kEc:
            s.ec = f(Round0(v));
            break;
        case kEs:
            s.es = f(Round0(v));
            break;
        case kSca1:
            s.sca1 = f(Round2(v));
            break;
        case kTa1:
            s.ta1 = f(Round3(v));
            break;
        case kTsa1:
            s.tsa1 = f(Round3(v));
            break;
        case kSsa1:
            s.ssa1 = f(Round1(v));
            break;
        case kSca2:
            s.sca2 = f(Round2(v));
            break;
        case kTa2:
            s.ta2 = f(Round3(v));
            break;
        case kTsa2:
            s.tsa2 = f(Round3(v));
            break;
        case kSsa2:
            s.ssa2 = f(Round1(v));
            break;
        case kFck:
            s.fck = f(Round2(v));
            break;
        case kFyk:
            s.fyk = f(Round1(v));
            break;
        case kFwk:
            s.fwk = f(Round1(v));
            break;
        default:
            break;
    }
}

void ReadBack(TStringGrid& grid, RcCheckData& rc) {
    const int x = grid.Col(), y = grid.Row();
    const int k = x - kFixedCols + 1;
    if (k < 1 || y < 1 || y >= kSectionGridRows || !RowAttrs[y].editable) return;
    const std::string text = Trim(grid.Cells(x, y));
    const double v = TextToDouble(text);
    if (y == kNo) {
        if (k > kRcMaxSections) {
            MessageDlg(FormatStr("断面は %d までです。"_sj.c_str(), kRcMaxSections), mtWarning,
                       mbOK);
            return;
        }
        SetNumber(grid, rc, k, v);
        return;
    }
    if (k > Count(rc)) return;  // the 追加 column takes a number first
    const bool barRow = y == kOD1 || y == kOD2 || y == kID1 || y == kID2 || y == kStir;
    const std::string refusal = y == kName ? RefuseRcName(text) : barRow ? RefuseBarText(text) : "";
    if (!refusal.empty()) {
        MessageDlg(refusal, mtWarning, mbOK);
        return;
    }
    const bool all = IsKeyDown(VK_SHIFT) && y != kName;
    for (int j = all ? 1 : k; j <= (all ? Count(rc) : k); ++j) WriteRow(rc.sections[j], y, text, v);
}

}  // namespace

void FillSectionGrid(TStringGrid& grid, RcCheckData& rc, int mode) {
    if (mode == 0)
        Fill(grid, rc);
    else
        ReadBack(grid, rc);
}

void DrawSectionGridCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect) {
    const GridAttribute& a = RowAttrs[std::clamp(row, 0, kSectionGridRows)];
    std::uint32_t back;
    if (row == 0 || row == kSeparator)
        back = 0xC0C0C0;
    else if (col < kFixedCols)
        back = 0xD0D0D0;
    else
        back = a.backColor != -1 ? static_cast<std::uint32_t>(a.backColor) : 0xD0E0E0;
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(back);
    canvas.FillRect(rect);
    canvas.SetFontColor(0x000000);
    canvas.SetBrushStyle(bsClear);
    DrawCellLines(canvas, rect, Trim(grid.Cells(col, row)));
    canvas.SetPenStyle(psSolid);
    canvas.SetPenColor(col < kFixedCols - 1 ? 0xC0C0C0 : 0x000000);
    canvas.MoveTo(rect.right - 1, rect.top);
    canvas.LineTo(rect.right - 1, rect.bottom + 1);
    const bool nextAbove = row + 1 < kSectionGridRows && RowAttrs[row + 1].lineAbove;
    canvas.SetPenColor(row == 0 || a.lineBelow || nextAbove ? 0x000000 : 0xC0C0C0);
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.right, rect.bottom - 1);
}

void MoveToEditableRow(TStringGrid& grid) {
    const int y = grid.Row();
    const int rows = std::min(grid.RowCount(), kSectionGridRows);
    int found = PreviousRow;
    if (y < PreviousRow) {
        for (int r = y; r >= 1; --r)
            if (RowAttrs[r].editable) {
                found = r;
                break;
            }
    } else {
        for (int r = y; r < rows; ++r)
            if (RowAttrs[r].editable) {
                found = r;
                break;
            }
    }
    if (found != y && found >= 1) {
        QuietGrid quiet(grid);
        grid.SetRow(found);
    }
    PreviousRow = found;
}

const GridAttribute& SectionGridRowAttribute(int row) {
    return RowAttrs[std::clamp(row, 0, kSectionGridRows)];
}
