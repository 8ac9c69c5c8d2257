// Check sheet grid: rows are described by one table; filling, reading back
// and drawing all go through the row's description, so a row's value, its
// editability and its write-back can never drift apart.
#include "rccheck/ui/check_sheet_grid.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/quiet_grid.h"

namespace {

// What a row shows (and, for editable rows, what an edit writes).
enum class Val {
    Name,
    Pos,
    B,
    H,
    T1,
    T2,
    K1,
    D1,
    OD1,
    OD2,
    As1,
    K2,
    D2,
    ID1,
    ID2,
    As2,
    BM,
    BN,
    SgSw,
    Sc,
    Sca,
    Fc,
    Ss1,
    Ss2,
    Ssa,
    Fs,
    MuSw,
    Ec,
    Es,
    Fck,
    Fyk,
    Mu,
    Mud,
    Fm,
    Stir,
    Pitch,
    Aw,
    Awa,
    Tsa,
    SM,
    SN,
    SS,
    Ds,
    TuSw,
    Tau,
    TaUsed,
    Ft,
    TaBase,
    Ce,
    Cpt,
    CN,
    VySw,
    Fwk,
    Vy,
    Vyd,
    Fv
};
enum Edit { kNo = 0, kYes, kCase };
enum Check { kNone = 0, kSg, kMu, kTu, kVy, kChecks };
enum Look { kPlain = 0, kBlue = 1, kBold = 2, kNameRow = 4, kPosRow = 8, kForceRow = 16 };

struct SheetRow {
    const std::string* group;  // null: none
    const std::string* label;  // null: the member length
    const std::string* unit;
    std::string key;
    Val val;
    Edit edit;
    bool full;    // only in the full-detail sheet
    Check check;  // only when some point has this check on
    int look;
};

constexpr std::uint32_t kBlueText = 0xFF0000;
constexpr std::uint32_t kRedText = 0x0000FF;
constexpr int kNameBack = 0xC0C0C0;
constexpr int kPosBack = 0xE0E0E0;
constexpr int kForceBack = 0xE0E0A0;
constexpr int kMaxRows = 99;
// The group, label and unit columns; point k (from 1) is in column
// kFixedCols + k - 1.
constexpr int kFixedCols = 3;

const std::vector<SheetRow>& Rows() {
    static const std::vector<SheetRow> rows = {
        {&"^曲げ照査"_sj, nullptr, &"着目点名称"_sj, "(名称)"_sj, Val::Name, kYes, false, kNone,
         kNameRow},
        {&"部材No.%d"_sj, &"端からの距離"_sj, &"(ｍ)"_sj, "(****)", Val::Pos, kNo, false, kNone,
         kPosRow | kBlue},
        {&"^断面サイズ"_sj, &"部材幅   ｂ"_sj, &"(mm)"_sj, "(ZB)", Val::B, kYes, true, kNone, 0},
        {nullptr, &"部材高   ｈ"_sj, &"$   (mm)  *"_sj, "(MH)", Val::H, kYes, true, kNone, 0},
        {&"^追加高"_sj, &"外側     t1"_sj, &"(mm)"_sj, "(外t)"_sj, Val::T1, kYes, false, kNone, 0},
        {nullptr, &"内側     t2"_sj, &"(mm)"_sj, "(内t)"_sj, Val::T2, kYes, false, kNone, 0},
        {&"^外鉄筋"_sj, &"純かぶり k1"_sj, &"$   (mm)  *"_sj, "(外k)"_sj, Val::K1, kYes, true,
         kNone, 0},
        {nullptr, &"有効高   d1"_sj, &"(mm)"_sj, "(外d)"_sj, Val::D1, kNo, true, kNone, 0},
        {nullptr, &"1種目 外D1"_sj, &"$径ｘ本数 *"_sj, "(外D1)"_sj, Val::OD1, kYes, false, kNone,
         0},
        {nullptr, &"2種目 外D2"_sj, &"$径ｘ本数 *"_sj, "(外D2)"_sj, Val::OD2, kYes, false, kNone,
         0},
        {nullptr, &"鉄筋量 As1"_sj, &"$  (mm2)  *"_sj, "(****)", Val::As1, kNo, true, kNone, kBlue},
        {&"^内鉄筋"_sj, &"純かぶり k2"_sj, &"$   (mm)  *"_sj, "(内k)"_sj, Val::K2, kYes, true,
         kNone, 0},
        {nullptr, &"有効高   d2"_sj, &"(mm)"_sj, "(内d)"_sj, Val::D2, kNo, true, kNone, 0},
        {nullptr, &"1種目 内D1"_sj, &"$径ｘ本数 *"_sj, "(内D1)"_sj, Val::ID1, kYes, false, kNone,
         0},
        {nullptr, &"2種目 内D2"_sj, &"$径ｘ本数 *"_sj, "(内D2)"_sj, Val::ID2, kYes, false, kNone,
         0},
        {nullptr, &"鉄筋量 As2"_sj, &"$  (mm2)  *"_sj, "(****)", Val::As2, kNo, true, kNone, kBlue},
        {&"^断面力"_sj, &"曲げﾓｰﾒﾝﾄ M"_sj, &"(kN･m)"_sj, "(MzM1)", Val::BM, kCase, false, kNone,
         kForceRow},
        {nullptr, &"圧縮軸力  N"_sj, &"(kN)"_sj, "(MzN1)", Val::BN, kCase, false, kNone, kForceRow},
        {&"^圧縮応力度"_sj, &"照査する/否"_sj, &"1 or 0"_sj, "(SgCK)", Val::SgSw, kCase, false,
         kNone, kForceRow},
        {nullptr, &"ｺﾝｸﾘｰﾄ σc$"_sj, &"(N/mm2)"_sj, "(****)", Val::Sc, kNo, false, kSg,
         kBlue | kBold},
        {nullptr, &"許容値 σca"_sj, &"(N/mm2)"_sj, "(****)", Val::Sca, kCase, false, kSg, 0},
        {nullptr, &"安全性   fc"_sj, &"≦1でOK"_sj, "(****)", Val::Fc, kNo, false, kSg, kBlue},
        {&"^引張応力度"_sj, &"照査する/否"_sj, &"1 or 0"_sj, "(SgCK)", Val::SgSw, kCase, false,
         kNone, kForceRow},
        {nullptr, &"外鉄筋 σs1"_sj, &"(N/mm2)"_sj, "(****)", Val::Ss1, kNo, false, kSg,
         kBlue | kBold},
        {nullptr, &"内鉄筋 σs2"_sj, &"(N/mm2)"_sj, "(****)", Val::Ss2, kNo, false, kSg,
         kBlue | kBold},
        {nullptr, &"許容値 σsa"_sj, &"(N/mm2)"_sj, "(****)", Val::Ssa, kCase, false, kSg, 0},
        {nullptr, &"安全性   fs"_sj, &"≦1でOK"_sj, "(****)", Val::Fs, kNo, false, kSg, kBlue},
        {&"^曲げ耐力"_sj, &"照査する/否"_sj, &"1 or 0"_sj, "(MuCK)", Val::MuSw, kCase, false, kNone,
         kForceRow},
        {&"^ヤング係数"_sj, &"ｺﾝｸﾘｰﾄ  Ec"_sj, &"$ (N/mm2) *"_sj, "(Ec)", Val::Ec, kCase, true, kMu,
         0},
        {nullptr, &"鉄筋    Es"_sj, &"$ (N/mm2) *"_sj, "(Es)", Val::Es, kCase, true, kMu, 0},
        {&"^材料強度"_sj, &"ｺﾝｸﾘｰﾄ圧縮強度"_sj, &"fck(N/mm2)"_sj, "(fck)", Val::Fck, kCase, true,
         kMu, 0},
        {&"_"_sj, &"鉄筋降伏強度"_sj, &"fyk(N/mm2)"_sj, "(fyk)", Val::Fyk, kCase, true, kMu, 0},
        {nullptr, &"曲げﾓｰﾒﾝﾄ Mu"_sj, &"(kN･m)"_sj, "(Mu)", Val::Mu, kCase, false, kMu, kForceRow},
        {nullptr, &"曲げ耐力 Mud"_sj, &"(kN･m)"_sj, "(****)", Val::Mud, kNo, false, kMu,
         kBlue | kBold},
        {nullptr, &"安全性   fm"_sj, &"≦1でOK"_sj, "(****)", Val::Fm, kNo, false, kMu, kBlue},
        {&"^せん断照査"_sj, nullptr, &"着目点名称"_sj, "(name)", Val::Name, kYes, false, kNone,
         kNameRow},
        {&"^せん断補強筋"_sj, &"鉄  筋  DxN"_sj, &"$径ｘ本数 *"_sj, "(****)", Val::Stir, kYes,
         false, kNone, 0},
        {nullptr, &"ピッチ　  $"_sj, &"$   (mm)  *"_sj, "ピッチ"_sj, Val::Pitch, kYes, false, kNone,
         0},
        {nullptr, &"鉄筋量  Aw$"_sj, &"$  (mm2)  *"_sj, "(****)", Val::Aw, kNo, false, kNone,
         kBlue},
        {nullptr, &"必要量  Awa"_sj, &"$  (mm2)  $"_sj, "(****)", Val::Awa, kNo, false, kNone,
         kBlue},
        {&"(許容応力度)"_sj, &"基準値 τa2"_sj, &"(N/mm2)"_sj, "(τa2)"_sj, Val::Tsa, kCase, false,
         kNone, 0},
        {&"^断面力"_sj, &"曲げﾓｰﾒﾝﾄ M"_sj, &"(kN･m)"_sj, "(SyMz)", Val::SM, kCase, false, kNone,
         kForceRow},
        {nullptr, &"圧縮軸力  N"_sj, &"(kN)"_sj, "(SyNx)", Val::SN, kCase, false, kNone, kForceRow},
        {nullptr, &"せん断力  S"_sj, &"(kN)"_sj, "(SySy)", Val::SS, kCase, false, kNone, kForceRow},
        {&"^引張側鉄筋"_sj, &"有効高   ｄ"_sj, &"(mm)"_sj, "(****)", Val::Ds, kNo, true, kNone,
         kBlue},
        {&"^せん断応力度"_sj, &"照査する/否"_sj, &"1 or 0"_sj, "(TuCK)", Val::TuSw, kCase, false,
         kNone, kForceRow},
        {nullptr, &"応力度  τ"_sj, &"(N/mm2)"_sj, "(****)", Val::Tau, kNo, false, kTu,
         kBlue | kBold},
        {nullptr, &"許容値 τa"_sj, &"(N/mm2)"_sj, "(****)", Val::TaUsed, kNo, false, kTu, kBlue},
        {nullptr, &"安全性  ft"_sj, &"≦1でOK"_sj, "(****)", Val::Ft, kNo, false, kTu, kBlue},
        {&"^許容応力度"_sj, &"基準値 τa1"_sj, &"(N/mm2)"_sj, "(****)", Val::TaBase, kCase, false,
         kTu, 0},
        {nullptr, &"有効高補正"_sj, &"Ce"_sj, "(****)", Val::Ce, kNo, true, kTu, kBlue},
        {nullptr, &"鉄筋比補正"_sj, &"Cpt"_sj, "(****)", Val::Cpt, kNo, true, kTu, kBlue},
        {nullptr, &"圧縮力補正"_sj, &"CN"_sj, "(****)", Val::CN, kNo, true, kTu, kBlue},
        {&"^せん断応耐力"_sj, &"照査する/否"_sj, &"1 or 0"_sj, "(VyCK)", Val::VySw, kCase, false,
         kNone, kForceRow},
        {nullptr, &"せん断降伏強度"_sj, &"fwk(N/mm2)"_sj, "(fwk)", Val::Fwk, kCase, false, kVy, 0},
        {nullptr, &"せん断力 Vy"_sj, &"(kN)"_sj, "(Vy)", Val::Vy, kCase, false, kVy, kForceRow},
        {&"_"_sj, &"せん断耐力 Vyd"_sj, &"(kN)\t"_sj, "(****)", Val::Vyd, kNo, false, kVy,
         kBlue | kBold},
        {nullptr, &"安全性　fv"_sj, &"≦1でOK"_sj, "(****)", Val::Fv, kNo, false, kVy, kBlue},
    };
    return rows;
}

// State of the one sheet grid, rebuilt at every fill.
struct SheetState {
    GridAttribute attrs[kMaxRows + 1];
    int rowDef[kMaxRows + 1] = {};  // index into Rows(), -1 = none
    bool dottedBelow[kMaxRows + 1] = {};
    std::vector<int> colPoint;  // column -> member point index
    bool anyOn[kChecks] = {};
    int prevRow = 0;
};
SheetState& State() {
    static SheetState s;
    return s;
}

Check SwitchCheck(Val v) {
    switch (v) {
        case Val::SgSw:
            return kSg;
        case Val::MuSw:
            return kMu;
        case Val::TuSw:
            return kTu;
        case Val::VySw:
            return kVy;
        default:
            return kNone;
    }
}

bool CheckOn(const RcCaseCheck& c, Check k) {
    switch (k) {
        case kSg:
            return c.sgCK != 0;
        case kMu:
            return c.muCK != 0;
        case kTu:
            return c.tuCK != 0;
        case kVy:
            return c.vyCK != 0;
        default:
            return true;
    }
}

// A value the format shows as zero shows without a minus sign ("-0.00").
std::string Num(const char* fmt, double v) { return FormatCellNumber(fmt, v); }
std::string DashOrNum(double v) { return v == 0.0 ? "－"_sj : Num("%0.0f", v); }

// A ratio with its NG marker and, in the envelope, the governing case.
std::string Ratio(double v, bool ng, int checkCase, int governing) {
    std::string s = (ng ? "*" : "") + Num("%0.3f", v);
    if (checkCase == 0) s += FormatStr("/%d", governing);
    return s;
}

std::string CellText(const SheetRow& row, const RcPointCheck& p, int cs, const RcSection& s) {
    const RcCaseCheck& c = p.cases[cs];
    switch (row.val) {
        case Val::K1:
            return Num("%0.0f", s.k1);
        case Val::K2:
            return Num("%0.0f", s.k2);
        case Val::Name:
            return p.name;
        case Val::B:
            return Num("%0.0f", p.b);
        case Val::H:
            return Num("%0.0f", p.set1.h);
        case Val::T1:
            return DashOrNum(p.t1);
        case Val::T2:
            return DashOrNum(p.t2);
        case Val::D1:
            return Num("%0.0f", p.set1.h - p.set1.d1);
        case Val::OD1:
            return FormatBars(static_cast<int>(Round0(p.outer.d1)), p.outer.n1);
        case Val::OD2:
            return FormatBars(static_cast<int>(Round0(p.outer.d2)), p.outer.n2);
        case Val::As1:
            return Num("%0.1f", p.as1);
        case Val::D2:
            return Num("%0.0f", p.set1.h - p.set1.d2);
        case Val::ID1:
            return FormatBars(static_cast<int>(Round0(p.inner.d1)), p.inner.n1);
        case Val::ID2:
            return FormatBars(static_cast<int>(Round0(p.inner.d2)), p.inner.n2);
        case Val::As2:
            return Num("%0.1f", p.as2);
        case Val::BM:
            return Num("%0.2f", c.bend.m);
        case Val::BN:
            return Num("%0.2f", c.bend.n);
        case Val::SgSw:
        case Val::MuSw:
        case Val::TuSw:
        case Val::VySw:
            return CheckOn(c, SwitchCheck(row.val)) ? "○"_sj : "**";
        case Val::Sc:
            return (c.ngFc ? "*" : "") + Num("%0.2f", c.sc);
        case Val::Sca:
            return Num("%0.2f", c.sca);
        case Val::Fc:
            return Ratio(c.fc, c.ngFc, cs, c.governing[kGovFc]);
        case Val::Ss1:
            return Num("%0.1f", c.ss1);
        case Val::Ss2:
            return Num("%0.1f", c.ss2);
        case Val::Ssa:
            return Num("%0.1f", c.ssa);
        case Val::Fs:
            return Ratio(c.fs, c.ngFs, cs, c.governing[kGovFs]);
        case Val::Ec:
            return Num("%0.0f", c.ec);
        case Val::Es:
            return Num("%0.0f", c.es);
        case Val::Fck:
            return Num("%0.1f", c.fck);
        case Val::Fyk:
            return Num("%0.1f", c.fyk);
        case Val::Mu:
            return Num("%0.2f", cs == 0 ? c.envM : c.bend.m);
        case Val::Mud:
            return (c.ngFm ? "*" : "") + Num("%0.1f", c.mud);
        case Val::Fm:
            return Ratio(c.fm, c.ngFm, cs, c.governing[kGovFm]);
        case Val::Stir: {
            const std::string bars =
                FormatBars(static_cast<int>(Round0(p.stirrupD)), p.stirrupLegs);
            return bars.empty() ? "－"_sj : bars;
        }
        case Val::Pitch:
            return DashOrNum(p.stirrupPitch);
        case Val::Aw:
            return Num("%0.1f", p.aw);
        case Val::Awa:
            return Num("%0.1f", c.awa);
        case Val::Tsa:
            return Num("%0.3f", c.tsa);
        case Val::SM:
            return Num("%0.2f", c.shear.m);
        case Val::SN:
            return Num("%0.2f", c.shear.n);
        case Val::SS:
            return Num("%0.2f", c.shear.s);
        case Val::Ds:
            return DashOrNum(c.dShear);  // 「－」: no check reached the point
        case Val::Tau:
            return (c.ngFt ? "*" : "") + Num("%0.3f", c.tau);
        case Val::TaUsed:
            return (c.taUsed == c.tsa && c.tsa != 0.0f ? "#" : "") + Num("%0.3f", c.taUsed);
        case Val::Ft:
            return Ratio(c.ft, c.ngFt, cs, c.governing[kGovFt]);
        case Val::TaBase:
            return Num("%0.3f", c.taBase);
        case Val::Ce:
            return Num("%0.2f", c.ce);
        case Val::Cpt:
            return Num("%0.2f", c.cpt);
        case Val::CN:
            return Num("%0.2f", c.cN);
        case Val::Fwk:
            return Num("%0.1f", c.fwk);
        case Val::Vy:
            return Num("%0.2f", cs == 0 ? c.envS : c.shear.s);
        case Val::Vyd:
            return (c.ngFv ? "*" : "") + Num("%0.1f", c.vyd);
        case Val::Fv:
            return Ratio(c.fv, c.ngFv, cs, c.governing[kGovFv]);
        default:
            return "";
    }
}

// A member drawn from right to left lists its points from j to i, so the
// columns follow the figure.
bool DrawnRightToLeft(const RcMemberChecks& m) {
    if (FrameData == nullptr) return false;
    const int idx = FindMemberIndex(*FrameData, m.memberNo);
    if (idx <= 0) return false;
    const FrameMember& fm = FrameData->members[idx];
    const int ni = FindNodeIndex(*FrameData, fm.nodeI);
    const int nj = FindNodeIndex(*FrameData, fm.nodeJ);
    if (ni <= 0 || nj <= 0) return false;
    const double dx = FrameData->nodes[nj].x - FrameData->nodes[ni].x;
    const double dy = FrameData->nodes[nj].y - FrameData->nodes[ni].y;
    const double len = std::hypot(dx, dy);
    return len > 0.0 && dx / len < -0.9;
}

// The extreme rows take this case's depths, as the member check gives them.
void SetExtremeDepths(RcMemberChecks& m, int cs) {
    const int count = CheckedCount(m.pointCount, kRcMaxPoints);
    if (count < 2) return;
    const auto with = [](const RcDepthSet& s, const RcPointCheck& pt) {
        return RcDepths{s.h + pt.t1 + pt.t2, s.d1 + pt.t1, s.d2 + pt.t2};
    };
    RcPointCheck& pmax = m.points[count - 1];
    RcPointCheck& pmin = m.points[count];
    pmax.set1 = with(m.maxSet1[cs], pmax);
    pmax.set2 = with(m.maxSet2[cs], pmax);
    pmin.set1 = with(m.minSet1[cs], pmin);
    pmin.set2 = with(m.minSet2[cs], pmin);
}

bool RowShown(const SheetRow& r, bool full, const bool* anyOn) {
    if (r.full && !full) return false;
    return r.check == kNone || anyOn[r.check];
}

void Fill(TStringGrid& grid, RcCheckData& rc, int member, int cs, bool full) {
    SheetState& st = State();
    RcMemberChecks& m = rc.memberChecks[member];
    SetExtremeDepths(m, cs);
    const std::unique_ptr<RcMemberChecks> sorted =
        SortMemberPointsByPosition(m, cs, DrawnRightToLeft(m));
    const RcMemberChecks& w = *sorted;
    const int points = CheckedCount(w.pointCount, kRcMaxPoints);

    std::fill(std::begin(st.anyOn), std::end(st.anyOn), false);
    for (int k = 1; k <= points; ++k)
        for (int c = kSg; c < kChecks; ++c)
            if (CheckOn(w.points[k].cases[cs], static_cast<Check>(c))) st.anyOn[c] = true;

    const int cols = std::max(points, 1) + kFixedCols;
    if (grid.Cells(0, 0).empty())
        FitGridWidthToColumns(grid, 0, "94:・┃108:┃80:着目点┃80:┃80:┃"_sj, false);
    grid.SetColCount(cols);
    // The point columns have no caption; the bar table's must not stay.
    for (int col = kFixedCols; col < cols; ++col) SetCellIfChanged(grid, 0, col, "");
    st.colPoint.assign(static_cast<std::size_t>(cols), 0);
    for (int col = kFixedCols; col < cols; ++col) {
        const int k = col - kFixedCols + 1;
        grid.SetColWidth(col, grid.ColWidth(kFixedCols));
        st.colPoint[static_cast<std::size_t>(col)] = k <= points ? w.points[k].sortIndex : 0;
    }

    const std::string lengthText = FormatStr("L = %0.3fm", w.length);
    const RcSection& section = rc.sections[FindRcSection(rc, m.sectionNo)];  // slot 0: none
    const std::vector<SheetRow>& rows = Rows();
    // Row 0 is the grid's fixed caption row; the sheet starts below it.
    st.attrs[0] = GridAttribute{};
    st.rowDef[0] = -1;
    st.dottedBelow[0] = false;
    int row = 1;
    for (std::size_t d = 0; d < rows.size() && row < kMaxRows; ++d) {
        const SheetRow& r = rows[d];
        if (!RowShown(r, full, st.anyOn)) continue;
        std::string group = r.group ? *r.group : "";
        if (r.val == Val::Pos) group = FormatStr(group.c_str(), w.memberNo);
        const std::string label = r.label ? *r.label : lengthText;
        const int editable = r.edit == kYes || (r.edit == kCase && cs != 0);
        const int back = (r.look & kNameRow)    ? kNameBack
                         : (r.look & kPosRow)   ? kPosBack
                         : (r.look & kForceRow) ? kForceBack
                                                : -1;
        st.attrs[row] = GridAttribute{};
        SetRowLabel(grid, row, group.c_str(), label.c_str(), r.unit->c_str(), st.attrs, r.key, back,
                    (r.look & kBlue) ? static_cast<int>(kBlueText) : 0, (r.look & kBold) ? 1 : 0,
                    editable);
        st.rowDef[row] = static_cast<int>(d);
        for (int k = 1; k <= points; ++k) {
            const RcPointCheck& p = w.points[k];
            std::string text;
            if (r.val == Val::Pos)
                text = PointPositionText(w, k, cs, false);
            else if (CheckOn(p.cases[cs], r.check))
                text = CellText(r, p, cs, section);
            SetCellIfChanged(grid, row, kFixedCols + k - 1, text);
        }
        if (points == 0) SetCellIfChanged(grid, row, kFixedCols, "");
        ++row;
    }
    grid.SetRowCount(std::max(row, 2));
    // Dotted rule under the last row of each check block in use.
    for (int y = 1; y < row; ++y) {
        const Check c = rows[static_cast<std::size_t>(st.rowDef[y])].check;
        const Check next =
            y + 1 < row ? rows[static_cast<std::size_t>(st.rowDef[y + 1])].check : kNone;
        st.dottedBelow[y] = c != kNone && next != c && st.anyOn[c];
    }
    for (int y = row; y <= kMaxRows; ++y) st.rowDef[y] = -1;
    grid.Refresh();
}

// Writes one value into one point (or its section, or its case entry).
void WriteValue(RcCheckData& rc, RcMemberChecks& m, int k, int cs, Val val, const std::string& text,
                double v) {
    RcPointCheck& p = m.points[k];
    RcCaseCheck& c = p.cases[cs];
    const int si = FindRcSection(rc, m.sectionNo);
    RcSection* s = si > 0 ? &rc.sections[si] : nullptr;  // no section: the edit is ignored
    const bool on = Round0(v) != 0.0 || text.find("○"_sj) != std::string::npos;
    float count = 0.0f;
    switch (val) {
        case Val::Name:
            SetRcText(p.name, kRcPointNameSize, FitTextLength(text, 20));
            break;
        case Val::B:
            p.b = static_cast<float>(Round0(v));
            break;
        case Val::T1:
            p.t1 = static_cast<float>(Round0(v));
            break;
        case Val::T2:
            p.t2 = static_cast<float>(Round0(v));
            break;
        case Val::H:
            if (s) s->h = static_cast<float>(Round0(v));
            break;
        case Val::K1:
            if (s) s->k1 = static_cast<float>(Round0(v));
            break;
        case Val::K2:
            if (s) s->k2 = static_cast<float>(Round0(v));
            break;
        case Val::OD1:
            if (s) {
                s->outer.d1 = static_cast<float>(ParseBars(text, count));
                s->outer.n1 = count;
            }
            break;
        case Val::OD2:
            if (s) {
                s->outer.d2 = static_cast<float>(ParseBars(text, count));
                s->outer.n2 = count;
            }
            break;
        case Val::ID1:
            if (s) {
                s->inner.d1 = static_cast<float>(ParseBars(text, count));
                s->inner.n1 = count;
            }
            break;
        case Val::ID2:
            if (s) {
                s->inner.d2 = static_cast<float>(ParseBars(text, count));
                s->inner.n2 = count;
            }
            break;
        case Val::Stir:
            if (s) {
                s->stirrupD = static_cast<float>(ParseBars(text, count));
                s->stirrupLegs = count;
            }
            break;
        case Val::Pitch:
            if (s) s->stirrupPitch = static_cast<float>(Round0(v));
            break;
        case Val::BM:
        case Val::Mu:
            c.bend.m = static_cast<float>(v);
            break;
        case Val::BN:
            c.bend.n = static_cast<float>(v);
            break;
        case Val::SM:
            c.shear.m = static_cast<float>(v);
            break;
        case Val::SN:
            c.shear.n = static_cast<float>(v);
            break;
        case Val::SS:
        case Val::Vy:
            c.shear.s = static_cast<float>(v);
            break;
        case Val::SgSw:
            c.sgCK = on;
            break;
        case Val::MuSw:
            c.muCK = on;
            break;
        case Val::TuSw:
            c.tuCK = on;
            break;
        case Val::VySw:
            c.vyCK = on;
            break;
        case Val::Sca:
            c.sca = static_cast<float>(v);
            break;
        case Val::Ssa:
            c.ssa = static_cast<float>(v);
            break;
        case Val::Tsa:
            c.tsa = static_cast<float>(v);
            break;
        case Val::TaBase:
            c.taBase = static_cast<float>(v);
            break;
        case Val::Ec:
            c.ec = static_cast<float>(v);
            break;
        case Val::Es:
            c.es = static_cast<float>(v);
            break;
        case Val::Fck:
            c.fck = static_cast<float>(v);
            break;
        case Val::Fyk:
            c.fyk = static_cast<float>(v);
            break;
        case Val::Fwk:
            c.fwk = static_cast<float>(v);
            break;
        default:
            break;
    }
}

bool IsForceRow(Val v) {
    return v == Val::BM || v == Val::BN || v == Val::SM || v == Val::SN || v == Val::SS;
}
bool IsBarText(Val v) {
    return v == Val::OD1 || v == Val::OD2 || v == Val::ID1 || v == Val::ID2 || v == Val::Stir;
}
bool IsBarRow(Val v) {
    return v == Val::OD1 || v == Val::OD2 || v == Val::ID1 || v == Val::ID2 || v == Val::Stir ||
           v == Val::Pitch;
}

void ReadBack(TStringGrid& grid, RcCheckData& rc, int member, int cs) {
    SheetState& st = State();
    const int col = grid.Col(), row = grid.Row();
    if (col < kFixedCols || row < 0 || row > kMaxRows || st.rowDef[row] < 0) return;
    if (!st.attrs[row].editable) return;
    const int point =
        col < static_cast<int>(st.colPoint.size()) ? st.colPoint[static_cast<std::size_t>(col)] : 0;
    RcMemberChecks& m = rc.memberChecks[member];
    const int points = CheckedCount(m.pointCount, kRcMaxPoints);
    if (point < 1 || point > points) return;
    const Val val = Rows()[static_cast<std::size_t>(st.rowDef[row])].val;
    const std::string text = Trim(grid.Cells(col, row));
    // Text the data could not hold faithfully is refused before anything
    // changes: the refilled sheet shows the value as it was.
    const std::string refusal = val == Val::Name ? RefuseRcName(text)
                                : IsBarText(val) ? RefuseBarText(text)
                                                 : std::string();
    if (!refusal.empty()) {
        MessageDlg(refusal, mtWarning, mbOK);
        return;
    }
    const double v = TextToDouble(text);
    const bool all = !IsForceRow(val) && (IsKeyDown(VK_SHIFT) || IsBarRow(val));
    for (int k = all ? 1 : point; k <= (all ? points : point); ++k)
        WriteValue(rc, m, k, cs, val, text, v);
}

}  // namespace

void FillCheckSheet(TStringGrid& grid, RcCheckData& rc, bool readBack, int member, int checkCase,
                    bool fullDetail) {
    if (rc.memberChecks == nullptr || member < 1 ||
        member > std::min(rc.memberCount, kRcMaxMembers))
        return;
    const int cs = std::clamp(checkCase, 0, std::min(rc.checkCaseCount, kRcMaxCheckCases));
    if (readBack)
        ReadBack(grid, rc, member, cs);
    else
        Fill(grid, rc, member, cs, fullDetail);
}

void DrawCheckSheetCell(TStringGrid& grid, int col, int row, TCanvas& canvas, const TRect& rect) {
    const SheetState& st = State();
    if (row < 0 || row > kMaxRows) return;
    const int def = st.rowDef[row];
    const SheetRow* r = def >= 0 ? &Rows()[static_cast<std::size_t>(def)] : nullptr;
    const GridAttribute& a = st.attrs[row];
    std::uint32_t back;
    if (r && (r->look & kNameRow))
        back = 0xC0C0FF;
    else if (col < kFixedCols || row == 0)
        back = 0xE0E0E0;
    else if (a.backColor != -1)
        back = static_cast<std::uint32_t>(a.backColor);
    else
        back = a.editable ? 0xD0E0E0 : 0xB0D0D0;
    std::uint32_t font = static_cast<std::uint32_t>(a.fontColor);
    std::string text = Trim(grid.Cells(col, row));
    bool marked = false;  // "#": the τa used is τsa
    if (text.find("**") == std::string::npos) {
        std::size_t lead = 0;
        for (; lead < text.size() && (text[lead] == '#' || text[lead] == '*'); ++lead) {
            font = text[lead] == '#' ? kBlueText : kRedText;
            marked = marked || text[lead] == '#';
        }
        // "*" only colours; "#" stays in the text, in bold, since its row is
        // blue already and the colour alone would not show it.
        text = (marked ? "#" : "") + text.substr(lead);
    }
    if (r && SwitchCheck(r->val) != kNone)
        back = st.anyOn[SwitchCheck(r->val)] ? 0xE0E0A0 : 0xC0C0C0;
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(back);
    canvas.FillRect(rect);
    canvas.SetFontColor(font);
    TFontSpec f = canvas.Font();
    f.weight = a.bold || marked ? 700 : 400;
    canvas.SetFont(f);
    canvas.SetBrushStyle(bsClear);
    DrawCellLines(canvas, rect, text);
    canvas.SetPenStyle(psSolid);
    canvas.SetPenColor(col < kFixedCols - 1 ? 0xC0C0C0 : 0x000000);
    canvas.MoveTo(rect.right - 1, rect.top);
    canvas.LineTo(rect.right - 1, rect.bottom + 1);
    const bool last = row == grid.RowCount() - 1;
    const bool solid = last || a.lineBelow || (row + 1 <= kMaxRows && st.attrs[row + 1].lineAbove);
    if (solid)
        canvas.SetPenColor(0x000000);
    else if (st.dottedBelow[row])
        canvas.SetPenColor(0x000000), canvas.SetPenStyle(psDot);
    else
        canvas.SetPenColor(0xC0C0C0);
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.right, rect.bottom - 1);
    canvas.SetPenStyle(psSolid);
}

void CheckSheetSelectCell(TStringGrid& grid) {
    SheetState& st = State();
    const int rows = std::min(grid.RowCount(), kMaxRows + 1);
    const int y = grid.Row();
    const bool up = y < st.prevRow;
    int found = -1;
    for (int r = y; up ? r >= 1 : r < rows; r += up ? -1 : 1)
        if (st.attrs[r].editable) {
            found = r;
            break;
        }
    if (found < 0)
        for (int r = y; up ? r < rows : r >= 1; r += up ? 1 : -1)
            if (st.attrs[r].editable) {
                found = r;
                break;
            }
    if (found < 0) found = up ? 1 : rows - 1;
    if (found != y) {
        QuietGrid quiet(grid);
        grid.SetRow(found);
    }
    st.prevRow = found;
}

const GridAttribute& CheckSheetRowAttribute(int row) {
    return State().attrs[std::clamp(row, 0, kMaxRows)];
}

int CheckSheetColumnPoint(int col) {
    const SheetState& st = State();
    if (col < 0 || col >= static_cast<int>(st.colPoint.size())) return 0;
    return st.colPoint[static_cast<std::size_t>(col)];
}
