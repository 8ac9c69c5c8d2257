// Bar arrangement table of the RC check window.
#include "rccheck/ui/member_grid.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/grid_helpers.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/canvas.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/quiet_grid.h"

namespace {

constexpr int kCols = 13;
// The member number and the side (「外」/「内」).
constexpr int kFixedCols = 2;
constexpr std::uint32_t kBlue = 0xFF0000;  // RGB(0, 0, 255)
constexpr std::uint32_t kRed = 0x0000FF;   // RGB(255, 0, 0)

GridAttribute ColAttrs[kCols + 1];
int LastMemberGridCol = 2;
int LastMemberGridRow = 1;

int Members(const RcCheckData& rc) { return CheckedCount(rc.memberCount, kRcMaxMembers); }
int Cases(const RcCheckData& rc) { return CheckedCount(rc.checkCaseCount, kRcMaxCheckCases); }
int Points(const RcMemberChecks& m) { return CheckedCount(m.pointCount, kRcMaxPoints); }

// The section record of a member; the all-zero slot 0 when it has none.
const RcSection& SectionOf(const RcCheckData& rc, const RcMemberChecks& m) {
    return rc.sections[FindRcSection(rc, m.sectionNo)];
}

std::string Bars(float d, float n) { return FormatBars(static_cast<int>(Round0(d)), n); }

// The shortest decimal text of a cover.
std::string Plain(double v) { return FormatStr("%g", v); }

struct MemberSummary {
    double outerRatio = 0, innerRatio = 0, shearRatio = 0, awaMax = 0;
    bool bendNg = false, shearNg = false;
};

MemberSummary Summarise(const RcCheckData& rc, const RcMemberChecks& m) {
    MemberSummary s;
    double fcMax = 0, negMax = 0, posMax = 0;
    for (int k = 1; k <= Points(m); ++k) {
        for (int q = 1; q <= Cases(rc); ++q) {
            const RcCaseCheck& c = m.points[k].cases[q];
            fcMax = std::max<double>(fcMax, c.fc);
            double& side = c.bend.m < 0 ? negMax : posMax;
            side = std::max<double>({side, c.fs, c.fm});
            s.shearRatio = std::max<double>({s.shearRatio, c.ft, c.fv});
            s.awaMax = std::max<double>(s.awaMax, c.awa);
            s.bendNg |= c.ngFc || c.ngFs || c.ngFm;
            s.shearNg |= c.ngFt || c.ngFv;
        }
    }
    s.outerRatio = std::max(fcMax, negMax);
    s.innerRatio = std::max(fcMax, posMax);
    return s;
}

void LabelColumns(TStringGrid& grid) {
    struct Col {
        const std::string& caption;
        const char* key;
        int back;
        int editable;
    };
    const Col cols[kCols] = {
        {"部材,No"_sj, "(**)", 0xC0C0C0, 0},  {"外側,内側"_sj, "(**)", -1, 0},
        {"純かぶり,(mm)"_sj, "(K1)", -1, 1},  {"鉄筋1,径×本数"_sj, "(D1)", -1, 1},
        {"鉄筋2,径×本数"_sj, "(D2)", -1, 1},  {"鉄筋量,(mm2)"_sj, "(As)", -1, 0},
        {"安全性M,≦1.0"_sj, "(Ra1)", -1, 0},  {"部材名称"_sj, "(Name)", 0xD0D0D0, 1},
        {"補強筋,径×本数"_sj, "(Dw)", -1, 1}, {"ピッチ,(mm)"_sj, "(Pt)", -1, 1},
        {"鉄筋量,Aw(mm2)"_sj, "(Aw)", -1, 0}, {"必要,鉄筋量"_sj, "(Awa)", -1, 0},
        {"安全性S,≦1.0"_sj, "(Ra2)", -1, 0},
    };
    for (int c = 0; c < kCols; ++c)
        SetColumnLabel(grid, c, cols[c].caption.c_str(), nullptr, nullptr, ColAttrs, cols[c].key,
                       cols[c].back, 0, 0, cols[c].editable);
}

void WriteMember(TStringGrid& grid, const RcCheckData& rc, int i) {
    const RcMemberChecks& m = rc.memberChecks[i];
    const RcSection& s = SectionOf(rc, m);
    const MemberSummary sum = Summarise(rc, m);
    const int ro = 2 * i - 1, ri = 2 * i;
    const std::string ng = sum.bendNg ? "*" : "";
    const double aw = Points(m) >= 1 ? m.points[1].aw : 0.0;
    const std::string texts[2][kCols] = {
        {FormatStr("%d", m.memberNo), "外"_sj, Plain(s.k1), Bars(s.outer.d1, s.outer.n1),
         Bars(s.outer.d2, s.outer.n2),
         FormatStr("%0.1f", RebarArea(static_cast<int>(Round0(s.outer.d1)), s.outer.n1) +
                                RebarArea(static_cast<int>(Round0(s.outer.d2)), s.outer.n2)),
         ng + FormatStr("%0.3f", sum.outerRatio), m.name, Bars(s.stirrupD, s.stirrupLegs),
         FormatStr("%0.0f", s.stirrupPitch), FormatStr("%0.1f", aw),
         sum.awaMax > 0 ? (aw < sum.awaMax ? "*" : "") + FormatStr("%0.1f", sum.awaMax) : "・"_sj,
         (sum.shearNg ? "*" : "") + FormatStr("%0.3f", sum.shearRatio)},
        {"", "内"_sj, Plain(s.k2), Bars(s.inner.d1, s.inner.n1), Bars(s.inner.d2, s.inner.n2),
         FormatStr("%0.1f", RebarArea(static_cast<int>(Round0(s.inner.d1)), s.inner.n1) +
                                RebarArea(static_cast<int>(Round0(s.inner.d2)), s.inner.n2)),
         ng + FormatStr("%0.3f", sum.innerRatio),
         // In red when the member has no section to be checked against.
         (UsableRcSection(rc, m.sectionNo) == 0 ? "*$" : "$") +
             FormatStr("%25s", FormatStr("(%d) %0.3fm", m.sectionNo, m.length).c_str()),
         "", "", "", "", ""},
    };
    for (int c = 0; c < kCols; ++c) {
        SetCellIfChanged(grid, ro, c, texts[0][c]);
        SetCellIfChanged(grid, ri, c, texts[1][c]);
    }
}

void Fill(TStringGrid& grid, const RcCheckData& rc) {
    const int members = Members(rc);
    const int rows = members > 0 ? 2 * members + 1 : 3;
    if (grid.Cells(0, 0).empty()) {
        grid.SetRowCount(rows);
        grid.SetColCount(kCols);
        for (int r = 0; r < rows; ++r) grid.SetRowHeight(r, 22);
        FitGridWidthToColumns(grid, 20, "42:┃42:┃56:┃90:┃90:┃68:┃64:┃180:┃90:┃56:┃68:┃70:┃64:"_sj,
                              false);
        grid.SetRowHeight(0, 36);
        QuietGrid quiet(grid);
        grid.SetRow(std::clamp(LastMemberGridRow, 1, rows - 1));
    }
    LabelColumns(grid);
    if (grid.RowCount() < rows) grid.SetRowCount(rows);
    for (int i = 1; i <= members; ++i) WriteMember(grid, rc, i);
    grid.SetRowCount(rows);
    grid.Refresh();
}

void SetBars(RcBars& side, bool second, const std::string& text) {
    float count = 0.0f;
    const float d = static_cast<float>(ParseBars(text, count));
    (second ? side.d2 : side.d1) = d;
    (second ? side.n2 : side.n1) = count;
}

// Moves the bar depths of every member using section `no` and copies the
// section's bars and stirrups into their points.
void ApplySectionChange(RcCheckData& rc, int no, const RcSection& s, float dOuter, float dInner) {
    for (int i = 1; i <= Members(rc); ++i) {
        RcMemberChecks& m = rc.memberChecks[i];
        if (m.sectionNo != no) continue;
        for (int k = 1; k <= Points(m); ++k) {
            RcPointCheck& p = m.points[k];
            p.set1.d1 += dOuter, p.set2.d1 += dOuter;
            p.set1.d2 += dInner, p.set2.d2 += dInner;
            p.outer = s.outer, p.inner = s.inner;
            p.stirrupD = s.stirrupD, p.stirrupLegs = s.stirrupLegs, p.stirrupPitch = s.stirrupPitch;
        }
        for (int q = 1; q <= Cases(rc); ++q) {
            for (RcDepthSet* t : {m.maxSet1, m.minSet1, m.maxSet2, m.minSet2}) {
                t[q].d1 += dOuter;
                t[q].d2 += dInner;
            }
        }
    }
}

void ReadBack(TStringGrid& grid, RcCheckData& rc) {
    const int r = grid.Row(), c = grid.Col();
    if (r < 1 || c < 0 || c >= kCols) return;
    const int member = (r - 1) / 2 + 1;
    if (member > Members(rc)) return;
    RcMemberChecks& m = rc.memberChecks[member];
    const bool outer = r % 2 == 1;
    const std::string& key = ColAttrs[c].key;
    const std::string text = Trim(grid.Cells(c, r));
    const std::string refusal = key == "(Name)" ? RefuseRcName(text)
                                : (key == "(D1)" || key == "(D2)" || key == "(Dw)")
                                    ? RefuseBarText(text)
                                    : std::string();
    if (!refusal.empty()) {
        MessageDlg(refusal, mtWarning, mbOK);
        return;
    }
    const double v = TextToDouble(text);
    if (key == "(Name)") {
        if (outer) SetRcText(m.name, kRcNameSize, FitTextLength(text, 20));
        return;
    }
    const int si = FindRcSection(rc, m.sectionNo);
    if (si <= 0) return;  // no RC section: nothing to write into (slot 0 stays empty)
    RcSection& s = rc.sections[si];
    const double oldK1 = Round0(s.k1), oldK2 = Round0(s.k2);
    const int oldOuter = HalfBarDepth(s.outer.d1, s.outer.d2);
    const int oldInner = HalfBarDepth(s.inner.d1, s.inner.d2);
    if (key == "(K1)")
        (outer ? s.k1 : s.k2) = static_cast<float>(Round0(v));
    else if (key == "(D1)")
        SetBars(outer ? s.outer : s.inner, false, text);
    else if (key == "(D2)")
        SetBars(outer ? s.outer : s.inner, true, text);
    else if (outer && key == "(Dw)") {
        float legs = 0.0f;
        s.stirrupD = static_cast<float>(ParseBars(text, legs));
        s.stirrupLegs = legs;
    } else if (outer && key == "(Pt)")
        s.stirrupPitch = static_cast<float>(Round0(v));
    const double dOuter =
        std::round(s.k1 - oldK1 + HalfBarDepth(s.outer.d1, s.outer.d2) - oldOuter);
    const double dInner =
        std::round(s.k2 - oldK2 + HalfBarDepth(s.inner.d1, s.inner.d2) - oldInner);
    ApplySectionChange(rc, s.no, s, static_cast<float>(dOuter), static_cast<float>(dInner));
}

}  // namespace

void FillMemberGrid(TStringGrid& grid, RcCheckData& rc, bool readBack) {
    if (rc.memberChecks == nullptr) return;
    if (readBack)
        ReadBack(grid, rc);
    else
        Fill(grid, rc);
}

void DrawMemberGridCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect) {
    const GridAttribute& a = ColAttrs[std::clamp(col, 0, kCols)];
    std::string text = Trim(grid.Cells(col, row));
    std::uint32_t back;
    if (row == 0)
        back = 0xC0C0FF;
    else if (col < kFixedCols)
        back = 0xE0E0E0;
    else if (a.backColor != -1)
        back = static_cast<std::uint32_t>(a.backColor);
    else
        back = a.editable ? 0xD0E0E0 : 0xB0D0D0;
    const int current = grid.Row();
    if (row > 0 && (row - 1) / 2 == (current - 1) / 2 && current > 0) back = 0xA0E0E0;
    std::uint32_t font = static_cast<std::uint32_t>(a.fontColor);
    bool bold = a.bold != 0;
    if (text.find("**") == std::string::npos) {
        while (!text.empty() && (text[0] == '#' || text[0] == '*')) {
            font = text[0] == '#' ? kBlue : kRed;
            bold = true;
            text.erase(0, 1);
        }
    }
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(back);
    canvas.FillRect(rect);
    canvas.SetFontColor(font);
    TFontSpec f = canvas.Font();
    f.weight = bold ? 700 : 400;
    canvas.SetFont(f);
    canvas.SetBrushStyle(bsClear);
    // The member's name, on its outer row, is one line along the bottom.
    if (a.key == "(Name)" && row % 2 == 1) {
        const int h = std::abs(f.height);
        DrawCellText(canvas, rect.left + 6, rect.bottom - 1 - h, rect.Width() - 6, text);
    } else {
        DrawCellLines(canvas, rect, text);
    }
    canvas.SetPenColor(col < kFixedCols - 1 ? 0xC0C0C0 : 0x000000);
    canvas.MoveTo(rect.right - 1, rect.top);
    canvas.LineTo(rect.right - 1, rect.bottom + 1);
    canvas.SetPenColor(row == 0 || row % 2 == 0 ? 0x000000 : 0xC0C0C0);
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.right, rect.bottom - 1);
}

bool MemberGridSelectCell(TStringGrid& grid) {
    const int clicked = grid.Col();
    const bool right = clicked >= LastMemberGridCol;
    int found = -1;
    for (int c = clicked; right ? c < kCols : c >= kFixedCols; c += right ? 1 : -1)
        if (ColAttrs[c].editable) {
            found = c;
            break;
        }
    if (found < 0) found = LastMemberGridCol;
    const int row = grid.Row();
    {
        QuietGrid quiet(grid);
        if (found != clicked) grid.SetCol(found);
        LastMemberGridCol = found;
        // Repaint both members' rows so the highlight follows the current row.
        if ((row - 1) / 2 != (LastMemberGridRow - 1) / 2) {
            for (int r : {row, LastMemberGridRow}) {
                const int first = 2 * ((r - 1) / 2) + 1;
                for (int rr = first; rr <= first + 1 && rr < grid.RowCount(); ++rr)
                    for (int c = 2; c < grid.ColCount(); ++c) {
                        const std::string keep = grid.Cells(c, rr);
                        grid.SetCell(c, rr, keep + " ");
                        grid.SetCell(c, rr, keep);
                    }
            }
        }
    }
    LastMemberGridRow = row;
    return grid.Cells(found, 0).find("名"_sj) != std::string::npos;
}

const GridAttribute& MemberGridColumnAttribute(int col) {
    return ColAttrs[std::clamp(col, 0, kCols)];
}
