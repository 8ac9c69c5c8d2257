// The section settings window.
#include "rccheck/ui/section_window.h"

#include <algorithm>
#include <utility>

#include "app/grid_helpers.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/quiet_grid.h"
#include "rccheck/ui/rc_window.h"
#include "rccheck/ui/section_grid.h"

TfmSection* fmSection = nullptr;

namespace {

constexpr int kKeyEnter = 13;
constexpr double kEndTolerance = 0.0001;  // m, a point this close to an end is the end

RcCheckData& Rc() { return *AllocateRcCheckData(); }
int Cases() { return CheckedCount(Rc().checkCaseCount, kRcMaxCheckCases); }

}  // namespace

void SortRcSectionsByNumber(RcCheckData& rc) {
    const int n = CheckedCount(rc.sectionCount, kRcMaxSections);
    // Exchange through a temporary: slot 0 is the empty "no section" record
    // that members without a section read, so it must stay empty.
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j)
            if (rc.sections[j].no < rc.sections[i].no) std::swap(rc.sections[i], rc.sections[j]);
}

TfmSection::TfmSection() { BuildLayout(); }

void TfmSection::BuildLayout() {
    SetCaption("部材断面/許容値・設定"_sj);
    SetBounds(0, 0, 1250, 750);
    SetMinSize(1250, 750);
    SetColor(0xFEDCC0);  // RGB(192, 220, 254)
    // The table takes what the title bar and the column of buttons on the
    // right leave, and scrolls: however many sections it shows, it never
    // reaches under the buttons and option boxes.
    const auto panel = [this](TWinControl* parent, TAlign align, int size) {
        TPanel* p = MakeControl<TPanel>(parent);
        p->SetAlign(align);
        if (align == alTop || align == alBottom)
            p->SetHeight(size);
        else if (align != alClient)
            p->SetWidth(size);
        return p;
    };
    TPanel* head = panel(this, alTop, 26);
    TPanel* side = panel(this, alRight, 336);
    TPanel* table = panel(this, alClient, 0);
    Label2 = MakeControl<TLabel>(head, "部材断面/許容値・設定"_sj);
    Label2->SetBounds(8, 4, 300, 20);
    Sg1 = MakeControl<TStringGrid>(table);
    Sg1->SetAlign(alClient);

    TPanel* sideTop = panel(side, alTop, 122);
    BtnSectionSet = MakeControl<TButton>(sideTop, "1.左表にデフォルト値を設定する "_sj);
    BtnSectionSet->SetBounds(8, 4, 320, 28);
    Label1 = MakeControl<TLabel>(sideTop, "(フレーム断面積,断面名,部材名を参照します)"_sj);
    Label1->SetBounds(8, 34, 320, 20);
    ConsSection = MakeControl<TButton>(sideTop, "2.名称,幅,高さが同じ断面を統合する"_sj);
    ConsSection->SetBounds(8, 58, 320, 28);
    lbType1 = MakeControl<TLabel>(sideTop, "照査ケース別の照査ﾀｲﾌﾟ(1～3)設定"_sj);
    lbType1->SetBounds(8, 98, 320, 20);
    TPanel* sideBottom = panel(side, alBottom, 256);
    GroupBox1 = MakeControl<TPanel>(sideBottom, "摘要条件"_sj);
    GroupBox1->SetBounds(8, 8, 320, 200);
    ApplyShoType = MakeControl<TButton>(GroupBox1, "照査ﾀｲﾌﾟ(1～3)の値を適用する"_sj);
    ApplyShoType->SetBounds(8, 20, 300, 28);
    CkApplyMmax = MakeControl<TCheckBox>(GroupBox1, "Mmax,Mmin部はせん断を照査しない。"_sj, true);
    CkApplyMmax->SetBounds(8, 54, 300, 22);
    CkApplyHasi = MakeControl<TCheckBox>(GroupBox1, "端部はせん断を照査しない。"_sj);
    CkApplyHasi->SetBounds(8, 78, 300, 22);
    CkApplyHanchi = MakeControl<TCheckBox>(GroupBox1, "名称\"ﾊﾝﾁ\"点はせん断を照査しない。"_sj);
    CkApplyHanchi->SetBounds(8, 102, 300, 22);
    CkApplyH2 = MakeControl<TCheckBox>(GroupBox1, "名称\"h/2\"点は曲げを照査しない。"_sj);
    CkApplyH2->SetBounds(8, 126, 300, 22);
    Memo3 = MakeControl<TLabel>(
        GroupBox1, "左表の照査ﾀｲﾌﾟ(1～3)の値を上表の照査ﾀｲﾌﾟ\n設定に従って摘要します。"_sj);
    Memo3->SetBounds(8, 152, 300, 40);
    SpeedButton2 = MakeControl<TButton>(sideBottom, "閉じる"_sj);
    SpeedButton2->SetBounds(8, 220, 100, 28);
    SgType1 = MakeControl<TStringGrid>(side);
    SgType1->SetAlign(alClient);

    Sg1->OnDrawCell = [this](int col, int row, TCanvas& canvas, const TRect& rect) {
        DrawSectionGridCell(*Sg1, col, row, canvas, rect);
    };
    Sg1->OnClick = [this] { Sg1Click(); };
    Sg1->OnMouseDown = [this](int x, int y) { MouseDownX = x, MouseDownY = y; };
    Sg1->OnDblClick = [this] { Sg1DblClick(); };
    Sg1->OnKeyPress = [this](char& key) { Sg1KeyPress(key); };
    SgType1->OnDrawCell = [this](int col, int row, TCanvas& canvas, const TRect& rect) {
        SgType1DrawCell(col, row, canvas, rect);
    };
    SgType1->OnKeyPress = [this](char& key) { SgType1KeyPress(key); };
    SgType1->OnClick = [this] { RefreshSectionGrid(0); };
    BtnSectionSet->OnClick = [this] { BtnSectionSetClick(); };
    ConsSection->OnClick = [this] { ConsSectionClick(); };
    ApplyShoType->OnClick = [this] { ApplyShoTypeClick(); };
    SpeedButton2->OnClick = [this] { Close(); };
    OnCloseQuery = [this](bool& canClose) {
        canClose = true;
        FormClose();
    };
}

void TfmSection::FormShow() {
    OpenCentredOnMainWindow(*this);
    Realign();  // the table's height sets its rows on the first fill
    RefreshSectionGrid(0);
    FillCheckCaseGrid();
}

void TfmSection::FormClose() { RecheckAllAndRefresh(); }

void TfmSection::RefreshSectionGrid(int mode) { FillSectionGrid(*Sg1, Rc(), mode); }

void TfmSection::RecheckAllAndRefresh() {
    CheckAllMembers(Rc());
    BuildEnvelope(Rc());
    if (fmRCanal == nullptr) return;
    // The NG search tells at once of a member left without its section.
    fmRCanal->Bt_NG_CheckClick(false);
    fmRCanal->RefreshRcView(0);
}

// 2. The case table.
void TfmSection::FillCheckCaseGrid() {
    FitGridWidthToColumns(*SgType1, 30, "20:No┃240:照査ケース名称┃32:照査,ﾀｲﾌﾟ"_sj, true);
    SgType1->SetColCount(3);
    SgType1->SetRowCount(std::max(2, Cases() + 1));
    for (int r = 1; r < SgType1->RowCount(); ++r) SgType1->SetRowHeight(r, 22);
    for (int q = 1; q <= Cases(); ++q) {
        const RcCheckCase& c = Rc().checkCases[q];
        SetCellIfChanged(*SgType1, q, 0, FormatStr("%d", q));
        SetCellIfChanged(*SgType1, q, 1, c.name);
        SetCellIfChanged(*SgType1, q, 2, FormatStr("%d", c.checkType));
    }
    SgType1->Refresh();
}

void TfmSection::SgType1DrawCell(int col, int row, TCanvas& canvas, const TRect& rect) {
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(row == 0 ? 0xC0C0C0 : col == 2 ? 0xD0E0E0 : 0xD0D0D0);
    canvas.FillRect(rect);
    canvas.SetBrushStyle(bsClear);
    canvas.SetFontColor(0x000000);
    DrawCellLines(canvas, rect, Trim(SgType1->Cells(col, row)));
    canvas.SetPenColor(0x000000);
    canvas.MoveTo(rect.right - 1, rect.top);
    canvas.LineTo(rect.right - 1, rect.bottom + 1);
    canvas.MoveTo(rect.left, rect.bottom - 1);
    canvas.LineTo(rect.right, rect.bottom - 1);
}

// 3. A check type typed into the case table: 1..3, anything else 1.
void TfmSection::SgType1KeyPress(char& key) {
    if (key != kKeyEnter) return;
    key = 0;
    if (fmRCanal) fmRCanal->MarkModified();
    const int row = SgType1->Row();
    if (row >= 1 && row <= Cases()) {
        const int v = TextToInt(Trim(SgType1->Cells(2, row)));
        Rc().checkCases[row].checkType = v >= 1 ? std::min(3, v) : 1;
    }
    const int next = row >= SgType1->RowCount() - 1 ? 1 : row + 1;
    {
        QuietGrid quiet(*SgType1);
        SgType1->SetRow(next);
    }
    FillCheckCaseGrid();
}

void TfmSection::Sg1Click() {
    MoveToEditableRow(*Sg1);
    RefreshSectionGrid(0);
}

// 5. Sorting by number from the caption rows.
void TfmSection::Sg1DblClick() {
    int col = 0, row = 0;
    if (!Sg1->MouseToCell(MouseDownX, MouseDownY, col, row)) {
        col = Sg1->Col();
        row = Sg1->Row();
    }
    if (!(row == 0 || (row == 1 && col <= 2))) return;
    SortRcSectionsByNumber(Rc());
    if (fmRCanal) fmRCanal->MarkModified();
    RefreshSectionGrid(0);
}

// 1. Enter commits the section table's edit.
void TfmSection::Sg1KeyPress(char& key) {
    if (key != kKeyEnter) {
        SectionEditPending = true;
        return;
    }
    const int row = Sg1->Row();
    if (SectionEditPending) {
        SectionEditPending = false;
        if (fmRCanal) fmRCanal->MarkModified();
        RefreshSectionGrid(1);
        RefreshSectionGrid(0);
        RecheckAllAndRefresh();
    }
    // The number row may already have moved the cursor on.
    const int next =
        std::max(row, Sg1->Row()) + 1 >= Sg1->RowCount() ? 1 : std::max(row, Sg1->Row()) + 1;
    {
        QuietGrid quiet(*Sg1);
        Sg1->SetRow(next);
    }
    key = 0;
}

// 4. Default sections and merging.
void TfmSection::BtnSectionSetClick() {
    if (MessageDlg("フレーム計算の断面積を部材高さとして取込みます.\nよろしいですか？"_sj,
                   mtWarning, mbOK | mbCancel) != mrOk ||
        FrameData == nullptr)
        return;
    if (fmRCanal) fmRCanal->MarkModified();
    InitRcSections(Rc(), *FrameData);
    RefreshSectionGrid(0);
    RecheckAllAndRefresh();
}

void TfmSection::ConsSectionClick() {
    if (MessageDlg("名称,幅,高さが同じ断面を統合します。\nよろしいですか？"_sj, mtWarning,
                   mbYes | mbNo) != mrYes)
        return;
    if (fmRCanal) fmRCanal->MarkModified();
    MergeEqualRcSections(Rc());
    RefreshSectionGrid(0);
    RecheckAllAndRefresh();
}

// 6. Applying the check types and the switch-off options.
void TfmSection::ApplyShoTypeClick() {
    if (MessageDlg("左表の「照査ﾀｲﾌﾟ(1～3)」を各照査ケースに摘要します。\nよろしいですか？"_sj,
                   mtWarning, mbOK | mbCancel) != mrOk)
        return;
    if (fmRCanal) fmRCanal->MarkModified();
    ApplyCheckTypes(Rc());
    ApplyOptionsToPoints();
    RecheckAllAndRefresh();
}

void TfmSection::ApplyOptionsToPoints() {
    RcCheckData& rc = Rc();
    const bool mmax = CkApplyMmax->Checked(), ends = CkApplyHasi->Checked();
    const bool haunch = CkApplyHanchi->Checked(), h2 = CkApplyH2->Checked();
    for (int i = 1; i <= CheckedCount(rc.memberCount, kRcMaxMembers); ++i) {
        RcMemberChecks& m = rc.memberChecks[i];
        const int count = CheckedCount(m.pointCount, kRcMaxPoints);
        for (int k = 1; k <= count; ++k) {
            RcPointCheck& p = m.points[k];
            const std::string name = UpperCase(Trim(ZenToHan(p.name)));
            const bool extreme = count >= 2 && k >= count - 1;
            const bool named = name.find("ﾊﾝﾁ"_sj) != std::string::npos;
            const bool half = name.find("H/2") != std::string::npos;
            for (int t = 0; t <= Cases(); ++t) {
                RcCaseCheck& c = p.cases[t];
                const double x = c.shear.x;
                const bool atEnd = x < kEndTolerance || x > m.length - kEndTolerance;
                if ((mmax && extreme) || (ends && atEnd) || (haunch && named)) c.tuCK = c.vyCK = 0;
                if (h2 && half) c.sgCK = c.muCK = 0;
            }
        }
    }
}
