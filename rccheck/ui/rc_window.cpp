// The RC check window.
#include "rccheck/ui/rc_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/figure_structure.h"
#include "app/grid_helpers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/paths.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/check_sheet_grid.h"
#include "rccheck/ui/member_grid.h"
#include "rccheck/ui/quiet_grid.h"
#include "rccheck/ui/rc_window_host.h"
#include "rccheck/ui/section_window.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

TfmRCanal* fmRCanal = nullptr;

const std::string& RcHistoryText() {
    return "2026.12.08  RC断面照査の画面(配筋表,照査表,断面設定)\n2026.11.20  RC断面照査の計算部\n"_sj;
}

namespace {

constexpr int kDesignWidth = 1280;
constexpr int kDesignHeight = 750;
constexpr int kKeyEnter = 13;
constexpr int kKeyPageUp = 33;
constexpr int kKeyPageDown = 34;
constexpr int kKeyAlt = 0x12;

RcCheckData& Rc() { return *AllocateRcCheckData(); }
int RcMembers() { return CheckedCount(Rc().memberCount, kRcMaxMembers); }
int RcCases() { return CheckedCount(Rc().checkCaseCount, kRcMaxCheckCases); }
bool HaveResults() { return ResultData != nullptr && ResultData->memberCount != 0; }
int ModelMembers() { return FrameData ? CheckedCount(FrameData->memberCount, kMaxMembers) : 0; }

// The date of the newest entry of the change history: the version the
// title shows (the entry's text stays in the history).
std::string RcVersionDate() {
    const std::string& h = RcHistoryText();
    const std::size_t at = h.find("20");
    if (at == std::string::npos) return "";
    const std::size_t end = h.find_first_of(" \t\r\n", at);
    return h.substr(at,
                    std::min<std::size_t>(end == std::string::npos ? h.size() - at : end - at, 80));
}

}  // namespace

RcWindowHost::~RcWindowHost() {
    if (fmRCanal && fmRCanal->Host() == this) fmRCanal->SetHost(nullptr);
}

void OpenCentredOnMainWindow(TForm& form) {
    RcWindowHost* host = fmRCanal ? fmRCanal->Host() : nullptr;
    if (!form.Visible() && host != nullptr) form.CenterOn(host->HostForm());
    form.Show();
}

TfmRCanal::TfmRCanal(RcWindowHost* host) : host_(host) {
    BuildLayout();
    FormCreate();
}

void TfmRCanal::MarkModified() {
    if (host_) host_->MarkModified();
}

std::string TfmRCanal::DataFileName() const {
    return host_ ? host_->DataFileName() : std::string();
}

void TfmRCanal::BuildLayout() {
    SetBounds(0, 0, kDesignWidth, kDesignHeight);
    SetMinSize(1200, 750);
    Panel5 = MakeControl<TPanel>(this);
    Panel5->SetAlign(alTop);
    Panel5->SetHeight(27);
    Panel2 = MakeControl<TPanel>(this);
    Panel2->SetAlign(alRight);
    Panel2->SetWidth(251);
    Panel2->SetColor(0xFEDCC0);  // RGB(192, 220, 254)
    PnSg1 = MakeControl<TPanel>(this);
    PnSg1->SetAlign(alClient);

    // The top bar in three parts, so that its controls never cover one
    // another at any width: the modes and paging on the left, the section,
    // save, print and help buttons on the right, the member texts between
    // (cut short when the window is narrow).
    const auto bar = [this](TAlign align, int width) {
        TPanel* p = MakeControl<TPanel>(Panel5);
        p->SetAlign(align);
        if (width > 0) p->SetWidth(width);
        return p;
    };
    TPanel* modes = bar(alLeft, 446);
    TPanel* tools = bar(alRight, 258);
    TPanel* member = bar(alClient, 0);
    int x = 2;
    const auto place = [&x](TControl* c, int w) {
        c->SetBounds(x, 2, w, 23);
        x += w + 4;
    };
    bClear = MakeControl<TButton>(modes, "消"_sj);
    place(bClear, 26);
    place(MakeControl<TLabel>(modes, "着目点:"_sj), 56);
    RbDispBzi = MakeControl<TRadioButton>(modes, "配筋表"_sj, true);
    place(RbDispBzi, 74);
    place(MakeControl<TLabel>(modes, "["), 8);
    RbExtract = MakeControl<TRadioButton>(modes, "抽出"_sj);
    place(RbExtract, 60);
    RbZenGyo = MakeControl<TRadioButton>(modes, "全行"_sj);
    place(RbZenGyo, 60);
    RbDispAll = MakeControl<TRadioButton>(modes, "全項"_sj);
    place(RbDispAll, 60);
    place(MakeControl<TLabel>(modes, "]"), 8);
    BtnBack = MakeControl<TButton>(modes, "▲"_sj);
    place(BtnBack, 26);
    BtnNext = MakeControl<TButton>(modes, "▼"_sj);
    place(BtnNext, 26);
    x = 4;
    BzName = MakeControl<TLabel>(member, "");
    place(BzName, 300);
    DmNo = MakeControl<TLabel>(member, "");
    DmNo->SetFontColor(0x808000);  // teal
    place(DmNo, 180);
    x = 2;
    bShowSection = MakeControl<TButton>(tools, "断面"_sj);
    place(bShowSection, 48);
    Save1 = MakeControl<TButton>(tools, "保存"_sj);
    place(Save1, 40);
    BtnPrint = MakeControl<TButton>(tools, "印刷"_sj);
    place(BtnPrint, 40);
    BtnHelp1 = MakeControl<TButton>(tools, "？"_sj);
    place(BtnHelp1, 26);
    MyHistory = MakeControl<TLabel>(tools, "(変更履歴)"_sj);
    place(MyHistory, 80);

    CoKumiList = MakeControl<TStringGrid>(Panel2);
    CoKumiList->SetAlign(alTop);
    CoKumiList->SetHeight(260);
    CoKumiList->SetColor(0xB5E8B5);  // RGB(181, 232, 181)
    CoKumiList->SetColCount(2);
    CoKumiList->SetColWidth(0, 0);
    CoKumiList->SetColWidth(1, 244);
    Panel10 = MakeControl<TPanel>(Panel2);
    Panel10->SetAlign(alTop);
    Panel10->SetHeight(120);
    Panel10->SetColor(0xE1E1E1);
    Paint1 = MakeControl<TPaintBox>(Panel10);
    Paint1->SetAlign(alClient);
    lbErr = MakeControl<TLabel>(Panel2, "");
    lbErr->SetAlign(alTop);
    lbErr->SetHeight(24);
    Bt_NG_Check = MakeControl<TButton>(Panel2, "ＮＧチェック（ページ表示）"_sj);
    Bt_NG_Check->SetAlign(alTop);
    Bt_NG_Check->SetHeight(28);
    const std::string* notes[] = {&"*数値の入力は[Enter]キーで確定します。"_sj,
                                  &" Shift+Enterキーで1行一括変更します。"_sj,
                                  &""_sj,
                                  &"*鉄筋入力は"_sj,
                                  &" 13*2.5 入力で D13×2.50 となります。"_sj,
                                  &""_sj,
                                  &"*外側とは i→j 方向で左側のことです。"_sj,
                                  &""_sj,
                                  &"*照査する/否行の\"**\"部に1値を入力すれ"_sj,
                                  &" ば照査対象とします。"_sj,
                                  &""_sj,
                                  &"*最大抽出画面での安全性表示 \"0.340/5\""_sj,
                                  &"　の \"/5\" は ｹｰｽ.5 の値の意味です。"_sj,
                                  &""_sj,
                                  &"*単位横に\"*\"印が有る行は断面設定画面"_sj,
                                  &" データの変更になります。"_sj};
    // Lines joined without a trailing break: an empty seventeenth line
    // would make the text taller than the panel at the smallest size. The
    // notes start at the top of their panel, under the NG button, however
    // tall the window is.
    std::string noteText;
    for (std::size_t i = 0; i < std::size(notes); ++i) noteText += (i ? "\n" : "") + *notes[i];
    ListBox1 = MakeControl<TLabel>(Panel2, noteText);
    ListBox1->SetAlign(alClient);
    ListBox1->SetLayoutTop();
    ListBox1->SetColor(0xFEEFCB);  // RGB(203, 239, 254)

    Sg1 = MakeControl<TStringGrid>(PnSg1);
    Sg1->SetAlign(alClient);
    Sg1->SetColor(0xA0A0A0);
    Sg1->SetColCount(25);
    Sg1->SetRowCount(21);

    bClear->OnClick = [this] { bClearClick(); };
    RbDispBzi->OnClick = [this] { CkDispAllClick(kModeBars); };
    RbExtract->OnClick = [this] { CkDispAllClick(kModeExtract); };
    RbZenGyo->OnClick = [this] { CkDispAllClick(kModeAllRows); };
    RbDispAll->OnClick = [this] { CkDispAllClick(kModeAllItems); };
    BtnBack->OnClick = [this] { BtnBackClick(true); };
    BtnNext->OnClick = [this] { BtnBackClick(false); };
    DmNo->OnClick = [this] { DmNoClick(); };
    bShowSection->OnClick = [this] { bShowSectionClick(); };
    Save1->OnClick = [this] { Save1Click(); };
    BtnPrint->OnClick = [this] { BtnPrintClick(); };
    BtnHelp1->OnClick = [this] { DispHelpClick(); };
    MyHistory->OnClick = [this] { MyHistoryClick(); };
    CoKumiList->OnClick = [this] { CoKumiListClick(); };
    CoKumiList->OnKeyDown = [this](int key, bool ctrl, bool shift) {
        Sg1KeyDown(key, ctrl, shift);
    };
    CoKumiList->OnDrawCell = [this](int col, int row, TCanvas& canvas, const TRect& rect) {
        const bool selected = row >= 1 && row == CoKumiList->Row();
        canvas.SetBrushStyle(bsSolid);
        canvas.SetBrushColor(row == 0 ? 0xE0E0E0 : selected ? 0x00FFFF : 0xB5E8B5);
        canvas.FillRect(rect);
        canvas.SetPenColor(0x000000);
        canvas.MoveTo(rect.left, rect.bottom - 2);
        canvas.LineTo(rect.right, rect.bottom - 2);
        canvas.SetBrushStyle(bsClear);
        canvas.SetFontColor(selected ? 0xFF0000 : 0x000000);
        canvas.TextOut(rect.left + 3, rect.top + 3, Trim(CoKumiList->Cells(col, row)));
    };
    Paint1->OnPaint = [this] { Paint1Paint(); };
    Paint1->OnMouseDown = [this](TMouseButton, int px, int py) { Paint1MouseDown(px, py); };
    Bt_NG_Check->OnClick = [this] { Bt_NG_CheckClick(true); };
    Sg1->OnKeyPress = [this](char& key) { Sg1KeyPress(key); };
    Sg1->OnKeyDown = [this](int key, bool ctrl, bool shift) { Sg1KeyDown(key, ctrl, shift); };
    Sg1->OnClick = [this] { Sg1Click(); };
    Sg1->OnDrawCell = [this](int col, int row, TCanvas& canvas, const TRect& rect) {
        Sg1DrawCell(col, row, canvas, rect);
    };
    OnCloseQuery = [this](bool& canClose) {
        canClose = true;
        FormClose();
    };
    // The sheet modes that stretch their rows to the grid's height follow
    // the window's size.
    PnSg1->OnResize = [this] {
        if (Visible() && !settingMode_ && (mode_ == kModeExtract || mode_ == kModeAllRows))
            CkDispAllClick(mode_);
    };
}

void TfmRCanal::FormCreate() {
    RcTitleBase = "KVD RC断面照査 "_sj + RcVersionDate() + " 版 "_sj;
    SetCaption(RcTitleBase + " > " + DataFileName());
    if (ScreenHeight() - 99 >= kDesignHeight) SetHeight(ScreenHeight() - 99);
    MemberMidpoints.assign(kRcMemberSlots, TPoint{});
}

// 1. The show sequence.
void TfmRCanal::FormShow() {
    RcCheckData& rc = Rc();
    SetCaption(RcTitleBase + " > " + DataFileName());
    OpenCentredOnMainWindow(*this);
    CurrentRcMember = std::clamp(CurrentRcMember, 1, std::max(1, ModelMembers()));
    const int remembered = rc.memberCount;
    if (HaveResults() && FrameData) {
        MarkModified();
        BuildRcCheckData(rc, *ResultData, *FrameData);
    }
    if (HaveResults() && rc.memberCount > 0 && KeyIsHeld(kKeyAlt) &&
        MessageDlg("前回の設定した断面データを破棄します。\nよろしいですか？"_sj, mtWarning,
                   mbYes | mbNo) == mrYes)
        rc.memberCount = 0;
    // Defaults for everything only when there were no RC data: a frame
    // that gained or lost members keeps the sections and the settings of
    // the members it still has (the build matched them by number).
    if ((rc.memberCount == 0 || remembered == 0) && FrameData) {
        MarkModified();
        if (ResultData) BuildRcCheckData(rc, *ResultData, *FrameData);
        InitRcSections(rc, *FrameData);
        CopySectionSizeToPoints(rc);
        ApplyCheckTypes(rc);
        if (fmSection == nullptr) fmSection = new TfmSection();
        fmSection->FormShow();
        FocusSectionOnActivate = true;
        CopySectionSizeToPoints(rc);
        ApplyCheckTypes(rc);
        ApplyCoversToPoints(rc);
    }
    CurrentRcMember = std::clamp(CurrentRcMember, 1, std::max(1, RcMembers()));
    FillCaseList();
    CheckAllMembers(rc);
    BuildEnvelope(rc);
    // The last NG search spoke of the forces before this show; its "none"
    // must not stand for the new ones.
    SetNgText("", 0);
    if (rc.forcesMissing) SetNgText("断面力が有りません。計算実行してください。"_sj, 0x0000FF);
    CkDispAllClick(mode_);
    Paint1Paint();
}

void TfmRCanal::FormActivate() {
    if (!FocusSectionOnActivate) return;
    FocusSectionOnActivate = false;
    if (fmSection && fmSection->Sg1) fmSection->Sg1->SetFocus();
}

void TfmRCanal::FormClose() {
    if (fmSection && fmSection->Visible()) fmSection->Close();
}

void TfmRCanal::SetModeButtons(DispMode mode) {
    settingMode_ = true;
    RbDispBzi->SetChecked(mode == kModeBars);
    RbExtract->SetChecked(mode == kModeExtract);
    RbZenGyo->SetChecked(mode == kModeAllRows);
    RbDispAll->SetChecked(mode == kModeAllItems);
    settingMode_ = false;
}

void TfmRCanal::SetAllRowHeights(int height) {
    for (int r = 0; r < Sg1->RowCount(); ++r) Sg1->SetRowHeight(r, std::max(8, height));
}

// 2. The mode switch.
void TfmRCanal::CkDispAllClick(DispMode mode) {
    if (settingMode_) return;
    mode_ = mode;
    SetModeButtons(mode);
    Sg1->SetCell(0, 0, "");
    if (mode_ == kModeBars) {
        SetCaseIndex(0);
        CoKumiList->SetEnabled(false);
    } else {
        CoKumiList->SetEnabled(true);
        if (mode_ == kModeAllItems) {
            SetAllRowHeights(18);
        } else {
            RefreshRcView(0);
            SetAllRowHeights((Sg1->Height() - 21) / std::max(1, Sg1->RowCount()) - 1);
            SpreadRowHeights(*Sg1, 20);
        }
    }
    RefreshRcView(0);
}

void TfmRCanal::CoKumiListClick() {
    if (mode_ != kModeBars) RefreshRcView(0);
}

int TfmRCanal::CaseIndex() const { return std::max(0, CoKumiList->Row() - 1); }
int TfmRCanal::CaseCount() const { return std::max(0, CoKumiList->RowCount() - 1); }

void TfmRCanal::SetCaseIndex(int index) {
    {
        QuietGrid quiet(*CoKumiList);
        CoKumiList->SetRow(std::clamp(index, 0, std::max(0, CaseCount() - 1)) + 1);
    }
    CoKumiList->Refresh();
}

// 3. The view of the current mode.
void TfmRCanal::RefreshRcView(int readBack) {
    RcCheckData& rc = Rc();
    if (mode_ == kModeBars) {
        BtnBack->SetVisible(false);
        BtnNext->SetVisible(false);
        BzName->SetCaption("");
        DmNo->SetCaption("");
        FillMemberGrid(*Sg1, rc, readBack != 0);
        return;
    }
    BtnBack->SetVisible(true);
    BtnNext->SetVisible(true);
    if (RcMembers() == 0) return;
    CurrentRcMember = std::clamp(CurrentRcMember, 1, RcMembers());
    const RcMemberChecks& m = rc.memberChecks[CurrentRcMember];
    BzName->SetCaption(FormatStr("No.%2d    %-40s", m.memberNo, m.name));
    const int si = FindRcSection(rc, m.sectionNo);
    DmNo->SetCaption(FormatStr("断面.%d　%s"_sj.c_str(), m.sectionNo,
                               si > 0 ? rc.sections[si].name : "(断面表に無し)"_sj.c_str()));
    if (host_ && readBack == 0) host_->SelectMemberRow(m.memberNo);
    FillCheckSheet(*Sg1, rc, readBack != 0, CurrentRcMember, std::min(CaseIndex(), RcCases()),
                   mode_ != kModeExtract);
}

void TfmRCanal::RefreshRcViewAndFocus() {
    RefreshRcView(0);
    if (Visible()) Sg1->SetFocus();
}

// 4. The case list.
void TfmRCanal::FillCaseList() {
    const int keep = std::clamp(CaseIndex(), 0, RcCases());
    {
        QuietGrid quiet(*CoKumiList);
        CoKumiList->SetRowCount(RcCases() + 2);
        CoKumiList->SetCell(1, 0, "照査ケース"_sj);
        CoKumiList->SetCell(1, 1, ". 許容値比で最大応力部の抽出"_sj);
        for (int q = 1; q <= RcCases(); ++q)
            CoKumiList->SetCell(1, q + 1,
                                FormatStr("%02d. %s", q, Trim(Rc().checkCases[q].name).c_str()));
        for (int r = 0; r < CoKumiList->RowCount(); ++r) CoKumiList->SetRowHeight(r, 22);
    }
    SetCaseIndex(keep);
}

// 5. Enter commits the typed value.
void TfmRCanal::Sg1KeyPress(char& key) {
    if (key != kKeyEnter) {
        RcEditPending = true;
        return;
    }
    const int row = Sg1->Row();
    if (RcEditPending) {
        RcEditPending = false;
        // Every commit changes the RC data, whichever mode or case shows it.
        MarkModified();
        SetNgText("", 0);
        RefreshRcView(1);
        CheckMember(Rc(), CurrentRcMember);
        Bt_NG_CheckClick(false);
        RefreshRcView(0);
    }
    MoveToNextColumn();
    {
        QuietGrid quiet(*Sg1);
        Sg1->SetRow(row);
    }
    if (fmSection && fmSection->Visible()) fmSection->RefreshSectionGrid(0);
    key = 0;
}

void TfmRCanal::MoveToNextColumn() {
    int col = Sg1->Col() + 1;
    if (col >= Sg1->ColCount()) col = FixedCols();
    QuietGrid quiet(*Sg1);
    Sg1->SetCol(col);
}

// 6. Paging through the members.
void TfmRCanal::Sg1KeyDown(int key, bool, bool) {
    if (mode_ == kModeBars || (key != kKeyPageUp && key != kKeyPageDown)) return;
    const int count = std::max(1, std::min(ModelMembers(), RcMembers()));
    if (key == kKeyPageUp)
        CurrentRcMember = CurrentRcMember <= 1 ? count : CurrentRcMember - 1;
    else
        CurrentRcMember = CurrentRcMember >= count ? 1 : CurrentRcMember + 1;
    RefreshRcView(0);
    Paint1Paint();
}

void TfmRCanal::BtnBackClick(bool previous) {
    if (mode_ == kModeBars) return;
    const int count = std::max(1, RcMembers());
    if (previous)
        CurrentRcMember = CurrentRcMember <= 1 ? count : CurrentRcMember - 1;
    else
        CurrentRcMember = CurrentRcMember >= count ? 1 : CurrentRcMember + 1;
    RefreshRcView(0);
    Paint1Paint();
}

void TfmRCanal::Sg1Click() {
    if (selectBusy_) return;
    selectBusy_ = true;
    if (mode_ == kModeBars) {
        MemberGridSelectCell(*Sg1);
        CurrentRcMember = std::clamp((Sg1->Row() - 1) / 2 + 1, 1, std::max(1, RcMembers()));
        Paint1Paint();
    } else {
        CheckSheetSelectCell(*Sg1);
    }
    selectBusy_ = false;
}

void TfmRCanal::Sg1DrawCell(int col, int row, TCanvas& canvas, const TRect& rect) {
    if (mode_ == kModeBars)
        DrawMemberGridCell(*Sg1, col, row, canvas, rect);
    else
        DrawCheckSheetCell(*Sg1, col, row, canvas, rect);
}

// 7. The small figure and picking.
void TfmRCanal::Paint1Paint() {
    TBitmap& bmp = Paint1->Bitmap();
    const int w = Paint1->Width(), h = Paint1->Height();
    if (w <= 0 || h <= 0 || FrameData == nullptr) return;
    const FrameModel& model = *FrameData;
    const int nodes = CheckedCount(model.nodeCount, kMaxNodes);
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    if (nodes >= 1) {
        x1 = x2 = model.nodes[1].x;
        y1 = y2 = model.nodes[1].y;
        for (int n = 2; n <= nodes; ++n) {
            x1 = std::min<double>(x1, model.nodes[n].x),
            x2 = std::max<double>(x2, model.nodes[n].x);
            y1 = std::min<double>(y1, model.nodes[n].y),
            y2 = std::max<double>(y2, model.nodes[n].y);
        }
    }
    GraphicsState outside;
    G_SaveState(outside);  // the main figure keeps its own state
    bmp.SetSize(w, h);
    G_SetDevice(&bmp, 0, w, h, 0);
    const int paperH = h * 180 / w;
    // Paper rectangle (mm, y down) first, then the world extents with the
    // top edge at the largest Y.
    G_FitWindow(11, paperH / 12, 169, paperH - paperH / 12, x1, y2, x2, y1);
    G_SaveState(RcFigureState);
    G_ClearPage(0xD0E0E0);  // RGB(224, 224, 208)
    G_SetLineColor(0x000000);
    G_SetLineWidth(1);
    DrawMembers(model);
    RcCheckData& rc = Rc();
    const int current = CurrentRcMember >= 1 && CurrentRcMember <= RcMembers()
                            ? FindMemberIndex(model, rc.memberChecks[CurrentRcMember].memberNo)
                            : 0;
    if (current > 0) {
        G_SetLineColor(0xFF00FF);
        bmp.Canvas().SetPenWidth(3);
        DrawMember(model, current);
        bmp.Canvas().SetPenWidth(1);
        TFontSpec f = bmp.Canvas().Font();
        f.height = 14;
        bmp.Canvas().SetFont(f);
        bmp.Canvas().SetBrushStyle(bsClear);
        bmp.Canvas().SetFontColor(0x000000);
        bmp.Canvas().TextOut(2, 1, FormatStr("No.%d", model.members[current].no));
    }
    MemberMidpoints.assign(kRcMemberSlots, TPoint{-100000, -100000});
    for (int i = 1; i <= RcMembers(); ++i) {
        const int k = FindMemberIndex(model, rc.memberChecks[i].memberNo);
        if (k <= 0) continue;
        const int a = FindNodeIndex(model, model.members[k].nodeI);
        const int b = FindNodeIndex(model, model.members[k].nodeJ);
        if (a <= 0 || b <= 0) continue;
        MemberMidpoints[i] =
            TPoint{DevToInt(WorldToDevX((model.nodes[a].x + model.nodes[b].x) / 2.0)),
                   DevToInt(WorldToDevY((model.nodes[a].y + model.nodes[b].y) / 2.0))};
    }
    bmp.Canvas().Flush();
    G_RestoreState(outside);
    Paint1->Repaint();
}

void TfmRCanal::Paint1MouseDown(int x, int y) {
    int best = 0;
    double bestDist = 10000.0;
    for (int i = 1; i <= RcMembers() && i < static_cast<int>(MemberMidpoints.size()); ++i) {
        const double d = std::hypot(MemberMidpoints[i].x - x, MemberMidpoints[i].y - y);
        if (d < bestDist) bestDist = d, best = i;
    }
    if (best == 0 || best == CurrentRcMember) return;
    CurrentRcMember = best;
    if (mode_ == kModeBars) {
        Sg1->SetCol(FixedCols());
        Sg1->SetRow(2 * best - 1);
    } else {
        RefreshRcView(0);
    }
    Paint1Paint();
}

void TfmRCanal::SetNgText(const std::string& text, std::uint32_t colour) {
    ngText_ = text;
    lbErr->SetFontColor(colour);
    lbErr->SetCaption(text);
    lbErr->Repaint();
}

// 8. The NG search.
void TfmRCanal::Bt_NG_CheckClick(bool byButton) {
    RcCheckData& rc = Rc();
    CheckAllMembers(rc);
    SetNgText("", 0);
    if (byButton) {
        ProcessMessages();
        SleepMs(200);
    }
    if (rc.forcesMissing) {
        SetNgText("断面力が有りません。計算実行してください。"_sj, 0x0000FF);
        return;
    }
    // A member without a section to check against comes first: it has no
    // results at all, which must not pass for "no NG".
    for (int i = 1; i <= RcMembers(); ++i) {
        const RcMemberChecks& m = rc.memberChecks[i];
        if (UsableRcSection(rc, m.sectionNo) != 0) continue;
        const char* fmt = FindRcSection(rc, m.sectionNo) == 0
                              ? "断面No.%d が無く未照査、部材No.%d"_sj.c_str()
                              : "断面No.%d の b,h が 0 で未照査、部材No.%d"_sj.c_str();
        SetNgText(FormatStr(fmt, m.sectionNo, m.memberNo), 0x0000FF);
        if (byButton) {
            CurrentRcMember = i;
            RefreshRcViewAndFocus();
        }
        BuildEnvelope(rc);
        return;
    }
    int foundCase = 0, foundMember = 0;
    for (int q = 1; q <= RcCases() && foundCase == 0; ++q) {
        for (int i = 1; i <= RcMembers() && foundCase == 0; ++i) {
            const RcMemberChecks& m = rc.memberChecks[i];
            for (int k = 1; k <= CheckedCount(m.pointCount, kRcMaxPoints); ++k) {
                const RcCaseCheck& c = m.points[k].cases[q];
                const bool bend = c.ngFc || c.ngFs || c.ngFm;
                if (!bend && !(c.ngFt || c.ngFv)) continue;
                const char* fmt = bend ? "曲げNG ｹｰｽNo.%d、部材No.%d"_sj.c_str()
                                       : "せん断NG ｹｰｽNo.%d、部材No.%d"_sj.c_str();
                SetNgText(FormatStr(fmt, rc.checkCases[q].comboNo, m.memberNo), 0x0000FF);
                foundCase = q, foundMember = i;
                break;
            }
        }
    }
    if (foundCase == 0) SetNgText("NG 箇所は無し"_sj, 0x000000);
    if (foundCase != 0 && byButton) {
        // The list item is the check case's position, whatever its
        // combination number.
        SetCaseIndex(foundCase);
        CurrentRcMember = foundMember;
        RefreshRcViewAndFocus();
    }
    BuildEnvelope(rc);
}

// 9. A new RC section number for the current member.
void TfmRCanal::DmNoClick() {
    std::string value;
    if (!InputQuery("断面番号の変更"_sj, "断面番号"_sj, value)) return;
    const int no = TextToInt(Trim(value));
    if (no > 0 && CurrentRcMember >= 1 && CurrentRcMember <= RcMembers()) {
        if (FindRcSection(Rc(), no) == 0) {
            MessageDlg(FormatStr("断面No.%d は断面表に有りません。"_sj.c_str(), no), mtWarning,
                       mbOK);
        } else {
            Rc().memberChecks[CurrentRcMember].sectionNo = no;
            MarkModified();
            // The new section's results at once, not the old one's under
            // the new number.
            CheckMember(Rc(), CurrentRcMember);
            Bt_NG_CheckClick(false);
        }
    }
    RefreshRcViewAndFocus();
}

// 10. Printing the RC chapter.
void TfmRCanal::BtnPrintClick() {
    const bool results = HaveResults();
    if (!results) MessageDlg("フレーム解析データ(断面力) が有りません！"_sj, mtWarning, mbOK);
    if (FrameData) PrepareMemberLoads(*FrameData);
    ReportChapters.rcCheck = true;
    ReportChapters.results =
        !results || MessageDlg("フレーム解析データ(断面力) も印刷しますか？"_sj, mtWarning,
                               mbYes | mbNo) != mrNo;
    ReportCoverLines.title = "フレーム構造解析計算書"_sj;
    ReportCoverLines.second = "ＲＣ断面照査"_sj;
    ReportCoverLines.third = ChangeFileExt(ExtractFileName(DataFileName()), "");
    ShowPrintPreview();
}

// 11. Discarding the RC data.
void TfmRCanal::bClearClick() {
    if (MessageDlg("断面照査データを破棄して終了します。\nよろしいですか？"_sj, mtWarning,
                   mbYes | mbNo) != mrYes)
        return;
    Rc().memberCount = 0;
    MarkModified();
    Close();
}

void TfmRCanal::bShowSectionClick() {
    if (fmSection == nullptr) fmSection = new TfmSection();
    fmSection->FormShow();
}

void TfmRCanal::Save1Click() {
    if (host_) host_->Save1Click();
}

void TfmRCanal::MyHistoryClick() {
    if (host_) host_->ShowText(RcHistoryText());
}

void TfmRCanal::DispHelpClick() {
    const std::string name = GetExeFolder() + "@RC断面検討の操作説明書.txt"_sj;
    if (!FileExists(name)) return;
    TStringList lines;
    lines.LoadFromFile(name);
    if (host_) host_->ShowText(lines.Text());
}

void TfmRCanal::RcSelectMember(int caseIndex, int memberIndex) {
    if (selectBusy_) return;
    selectBusy_ = true;
    CurrentRcMember = RcMembers() == 0 ? 1 : std::clamp(memberIndex, 1, RcMembers());
    if (CaseCount() > 1 && caseIndex != 0) SetCaseIndex(std::min(caseIndex, CaseCount() - 1));
    if (mode_ == kModeBars) {
        QuietGrid quiet(*Sg1);
        Sg1->SetRow(2 * CurrentRcMember - 1);
    }
    RefreshRcViewAndFocus();
    Paint1Paint();
    selectBusy_ = false;
}

void ShowRcWindow(RcWindowHost& host) {
    if (fmRCanal == nullptr) fmRCanal = new TfmRCanal(&host);
    fmRCanal->SetHost(&host);
    fmRCanal->FormShow();
}

void RefreshRcWindowAfterCalculation() {
    if (fmRCanal && fmRCanal->Visible()) fmRCanal->FormShow();
}

void RcSelectMember(int caseIndex, int memberIndex) {
    if (fmRCanal && fmRCanal->Visible()) fmRCanal->RcSelectMember(caseIndex, memberIndex);
}

bool RcWindowVisible() { return fmRCanal != nullptr && fmRCanal->Visible(); }

bool RcWindowBeingEdited() {
    const bool sheet = RcWindowVisible() && fmRCanal->Sg1->Editing();
    return sheet || (fmSection != nullptr && fmSection->Visible() && fmSection->Sg1->Editing());
}
