// The main window: layout, start-up, timer, close query and the cell
// painter of the grids.
#include "app/main_window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/change_history.h"
#include "app/grid_helpers.h"
#include "app/small_windows.h"
#include "app/status_window.h"
#include "app/unopenable_file.h"
#include "model/analysis_driver.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/sdk_bridge.h"
#include "model/text_helpers.h"
#include "platform/encoding.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/canvas.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "rccheck/ui/rc_window.h"

std::string ExeFolder;
std::string ExeBaseName;
std::string DataFolder;
std::string IniFilePath;
std::string TitleBase;
std::string VersionDate;
bool ModifiedFlag = false;
TBitmap* OffscreenBitmap = nullptr;
GraphicsState FigureViewState;
TFmMain* FmMain = nullptr;

namespace {

constexpr int kFormWidth = 1296;
constexpr int kFormHeight = 750;
constexpr int kFormMinWidth = 1280;
constexpr int kFormMinHeight = 600;
constexpr int kRightPanelWidth = 680;
constexpr int kHeaderMinHeight = 33;
// A full repaint is due again an hour after the last one unless pan or zoom
// moves the deadline closer.
constexpr std::uint32_t kRedrawPostpone = 3600000;
// Least size of the figure's bitmap, so that a window moved to a larger
// screen still has room.
constexpr int kMinBitmapWidth = 1920;
constexpr int kMinBitmapHeight = 1080;
// 逐次計算 waits this long after the last key before it calculates, so
// that typing is never held up by the calculation, ms.
constexpr int kTypingPause = 300;

}  // namespace

TFmMain::TFmMain(const CommandLineOptions& options) {
    FmMain = this;
    // 2.-4. Paths; the data folder is created quietly (later writes into it
    // report their own failures).
    ExeFolder = GetExeFolder();
    ExeBaseName = GetExeBaseName();
    DataFolder = GetSharedDataFolder(ExeBaseName);
    if (!DataFolder.empty()) ForceDirectories(DataFolder);
    // Settings only in a folder of the user's own that nobody else may
    // write: another user's folder (or a link planted in its place) would
    // choose which model opens and have other files rewritten.
    const bool settings = !DataFolder.empty() && IsOwnPrivateFolder(DataFolder);
    if (!settings) {
        std::fprintf(stderr, "%s\n",
                     Cp932ToUtf8("設定フォルダー "_sj + DataFolder +
                                 " は使えないため、設定なしで起動します."_sj)
                         .c_str());
        DataFolder.clear();
    }
    IniFilePath = settings ? DataFolder + ExeBaseName + ".ini" : std::string();
    // 5. The large records, alive for the whole run.
    model_ = NewFrameModelRecord();
    undo_ = NewFrameModelRecord();
    FrameData = model_.get();
    AllocateFrameResults();
    // 6. The status window whose panel shows the progress texts.
    statusWindow_ = std::make_unique<TFmExtSDK>();
    FmExtSDK = statusWindow_.get();
    StatusPanel = FmExtSDK->Msg;
    // 7.-8. Command line and version.
    CurrentFileName = options.fileName;
    VersionDate = VersionDateOf(ChangeHistoryText());
    FmExtSDK->lbVersion->SetCaption("KVD 平面フレーム構造解析 "_sj + VersionDate + " 版"_sj);
    TitleBase = "KVD 平面フレーム構造解析 "_sj + VersionDate + " 版 "_sj;
    // Interactive set-up: the figure's bitmap becomes the graphics device.
    offscreen_ = std::make_unique<TBitmap>(std::max(ScreenWidth(), kMinBitmapWidth),
                                           std::max(ScreenHeight(), kMinBitmapHeight));
    OffscreenBitmap = offscreen_.get();
    G_SetDevice(OffscreenBitmap, 0, 99, 99, 0);
    G_SaveState(FigureViewState);
    // The last data file from the ini file.
    // A name given that is there but cannot be read (a folder, a FIFO, a
    // link loop or a link to nothing) is kept, for the load to say what is
    // wrong with it, instead of quietly opening the last file.
    if (!FileExists(CurrentFileName) && !CannotOpenReason(options.triedName).empty()) {
        CurrentFileName = options.triedName;
    } else if (!FileExists(CurrentFileName)) {
        const std::string ini =
            FileExists(IniFilePath) ? IniFilePath : ExeFolder + ExeBaseName + ".ini";
        CurrentFileName = TIniFile(ini).ReadString("DO1", "FILE1", "");
    }
    CurrentSelection = SelectionState{};
    CurrentSelection.memberFirst = 1;
    CurrentSelection.springCase = 1;
    CurrentSelection.supportCase = 1;
    CurrentSelection.loadCase = 1;
    CurrentSelection.combination = 1;
    // The figure starts unfitted, with the default switches and scale.
    FigureView = FigureViewData{};
    DiagramScale = DiagramScaleState{};
    BuildLayout();
    DisplaySwitches = ReadDisplaySwitches(SwitchBoxes());
    // The outside library's button only where the library is installed.
    CalcSDK->SetVisible(LocateExternalEngine(ExeFolder));
    // The status line keeps a copy of the status window's text.
    SetEngineProgress([this](const std::string& text) {
        ShowStatusText(text);
        StatusText->SetCaption(text);
        StatusText->Repaint();
    });
    SetEngineStatusWindow([](bool visible) {
        if (!FmExtSDK) return;
        if (visible)
            FmExtSDK->ShowNow();
        else
            HideForm(*FmExtSDK);
    });
    // While a companion program runs, the windows keep being painted.
    SetPendingMessagePump(ProcessPendingPaints);
    SetEngineMessageSink([](const std::string& text) { MessageDlg(text, mtError, mbOK); });
    OnDropFiles = [this](const std::vector<std::string>& names) { WMDropFiles(names); };
    OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    Timer1.OnTimer = [this] { Timer1Timer(); };
    typingPause_.SetInterval(kTypingPause);
    typingPause_.OnTimer = [this] {
        typingPause_.SetEnabled(false);
        CalculateTypedText();
    };
    FormCreate();
}

TFmMain::~TFmMain() {
    SetEngineProgress(nullptr);
    SetEngineMessageSink(nullptr);
    SetEngineStatusWindow(nullptr);
    SetPendingMessagePump(nullptr);
    if (FmExtSDK == statusWindow_.get()) {
        FmExtSDK = nullptr;
        StatusPanel = nullptr;
    }
    Timer1.SetEnabled(false);
    typingPause_.SetEnabled(false);
    if (FrameData == model_.get()) FrameData = nullptr;
    if (OffscreenBitmap == offscreen_.get()) OffscreenBitmap = nullptr;
    if (FmMain == this) FmMain = nullptr;
}

void TFmMain::FormCreate() {
    SetCaption(TitleBase);
    for (int i = 0; i < kGridCount; ++i) {
        SetupGridHeader(*Grids.grid[i], kHeaderMinHeight, GridHeaderSpec(static_cast<GridId>(i)));
        // A table reached with the Tab key before any click in it stands
        // on a number column.
        FollowInputMethod(*Grids.grid[i]);
    }
    for (const auto& [anchor, control] : followers_)
        control->SetBounds(Grids.grid[anchor]->Left() + Grids.grid[anchor]->Width() + 8,
                           control->Top(), control->Width(), control->Height());
    // Showing the first tab is not a switch by the user: the start-up
    // selection (case 1 of everything) stays, so the supports show at once.
    const SelectionState start = CurrentSelection;
    pageSwitchByCode_ = true;
    Page1->SetActivePage(Tabs[kTabPoint]);
    pageSwitchByCode_ = false;
    CurrentSelection = start;
    RefreshGrids();
    Timer1.SetInterval(100);
    Timer1.SetEnabled(true);
}

// --- layout -----------------------------------------------------------------

TStringGrid* TFmMain::MakeGrid(GridId id, TWinControl* parent, int left, int top, int height) {
    TStringGrid* g = MakeControl<TStringGrid>(parent);
    Grids.grid[id] = g;
    g->SetBounds(left, top, 100, height);
    g->SetColCount(2);
    g->OnDrawCell = [this, id](int c, int r, TCanvas& canvas, const TRect& rect) {
        SgDrawCell(id, c, r, canvas, rect);
    };
    g->OnClick = [this, id, g] {
        const bool enabled = g->Enabled();
        StrGridClick(id);
        // The RC check window follows a click in these two grids when both
        // stand on data rows (not the caption or the append row).
        if (!enabled || (id != kSgKumi1 && id != kSgMember)) return;
        const TStringGrid& kumi = Grid(kSgKumi1);
        const TStringGrid& member = Grid(kSgMember);
        auto dataRow = [](const TStringGrid& grid) {
            return grid.Row() >= 1 && grid.Row() <= grid.RowCount() - 2;
        };
        if (dataRow(kumi) && dataRow(member)) RcSelectMember(kumi.Row(), member.Row());
    };
    g->OnKeyPress = [this, id](char& key) { GridKeyPress(id, key); };
    g->OnKeyDown = [this, id](int key, bool ctrl, bool) { GridKeyDown(id, key, ctrl); };
    g->OnDblClick = [this, id] { SgGridDblClick(id); };
    g->OnEdited = [this, id, g] {
        typedSinceCommit_ = true;
        editedGrid_ = id;
        editedCol_ = g->Col();
        editedRow_ = g->Row();
        if (editedCol_ == kKeyColumn) KeyTyped(*g, editedRow_);
        // The text reaches the model at the next commit: closing asks.
        ModifiedFlag = true;
    };
    g->OnMouseDown = [this, g](int x, int y) {
        int c = 0, r = 0;
        headerPress_ = g->MouseToCell(x, y, c, r) && r == 0;
    };
    return g;
}

void TFmMain::BuildLayout() {
    SetBounds(0, 0, kFormWidth, kFormHeight);
    SetMinSize(kFormMinWidth, kFormMinHeight);
    CenterOnScreen();

    // Command bar.
    TPanel* top = DockedPanel(this, alTop, 34);
    TLabel* file = MakeControl<TLabel>(top, "ファイル"_sj);
    file->SetBounds(8, 9, 56, 18);
    file->SetFontColor(0xFF0000);
    popup_ = std::make_unique<TPopupMenu>();
    popup_->AddItem("新規作成"_sj, [this] { New1Click(); });
    popup_->AddItem("開く"_sj, [this] { OpenClick(); });
    popup_->AddItem("上書き保存"_sj, [this] { Save1Click(); });
    popup_->AddItem("名前を付けて保存"_sj, [this] { SaveAsClick(); });
    popup_->AddItem("結果数値のエクセルコピー"_sj, [this] { CopyExcelClick(); });
    file->OnClick = [this, file] { popup_->PopupUnder(*file); };
    TButton* calc = MakeControl<TButton>(top, "計算実行"_sj);
    calc->SetBounds(70, 4, 90, 26);
    calc->OnClick = [this] { CalcExecClick(CalcSender::CalcKVD1); };
    TButton* save = MakeControl<TButton>(top, "保存"_sj);
    save->SetBounds(166, 4, 60, 26);
    save->OnClick = [this] { Save1Click(); };
    TButton* undo = MakeControl<TButton>(top, "UnDo");
    undo->SetBounds(232, 4, 60, 26);
    undo->OnClick = [this] { BtnUnDoClick(); };
    CalcAuto = MakeControl<TCheckBox>(top, "逐次計算"_sj, false);
    CalcAuto->SetBounds(300, 7, 90, 20);
    AutoSave = MakeControl<TCheckBox>(top, "自動保存"_sj, true);
    AutoSave->SetBounds(392, 7, 90, 20);
    // Printing and the RC check live in windows of their own.
    BtnPrint = MakeControl<TButton>(top, "印 刷..."_sj);
    BtnPrint->SetBounds(488, 4, 80, 26);
    // The report needs results: enabled by a calculation.
    BtnPrint->SetEnabled(false);
    BtnPrint->OnClick = [this] { BtnPrintClick(); };
    btRCanal = MakeControl<TButton>(top, "RC照査..."_sj);
    btRCanal->SetBounds(574, 4, 80, 26);
    btRCanal->OnClick = [this] { btRCanalClick(); };
    CalcSDK = MakeControl<TButton>(top, "SDKで計算"_sj);
    CalcSDK->SetBounds(664, 4, 96, 26);
    CalcSDK->OnClick = [this] { CalcExecClick(CalcSender::CalcSDK); };
    // A sample of the Korvo figure drawing, kept for the developers.
    Button1 = MakeControl<TButton>(top, "Korvoの表示サンプル"_sj);
    Button1->SetBounds(1140, 4, 140, 26);
    Button1->SetVisible(false);
    Button1->OnClick = [this] { Button1Click(); };
    TLabel* hint = MakeControl<TLabel>(top, "(読込はドラッグドロップで)"_sj);
    hint->SetBounds(770, 9, 200, 18);
    TLabel* manual = MakeControl<TLabel>(top, "(説明書)"_sj);
    manual->SetBounds(980, 9, 70, 18);
    manual->SetFontColor(0xFF0000);
    manual->OnClick = [this] { DispManualClick(); };
    MyHistory = MakeControl<TLabel>(top, "(変更履歴)"_sj);
    MyHistory->SetBounds(1056, 9, 80, 18);
    MyHistory->SetFontColor(0xFF0000);
    MyHistory->OnClick = [this] { MyHistoryClick(); };

    // Status line for the engine's progress texts.
    TPanel* bottom = DockedPanel(this, alBottom, 22);
    StatusText = MakeControl<TLabel>(bottom, "");
    StatusText->SetBounds(8, 3, 1200, 16);

    TPanel* right = MakeControl<TPanel>(this);
    Panel_Right = right;
    right->SetWidth(kRightPanelWidth);
    right->SetAlign(alRight);
    Page1 = MakeControl<TPageControl>(right);
    Page1->SetHeight(400);
    Page1->SetAlign(alTop);
    BuildTabs();
    TPanel* memberArea = MakeControl<TPanel>(right);
    memberArea->SetAlign(alClient);
    BuildMemberArea(memberArea);

    TPanel* figureArea = MakeControl<TPanel>(this);
    figureArea->SetAlign(alClient);
    BuildFigureArea(figureArea);
}

TPanel* TFmMain::DockedPanel(TWinControl* parent, TAlign align, int height) {
    TPanel* panel = MakeControl<TPanel>(parent);
    panel->SetHeight(height);
    panel->SetAlign(align);
    return panel;
}

void TFmMain::BuildFigureArea(TWinControl* parent) {
    // Two rows of switches above the figure.
    TPanel* switches = DockedPanel(parent, alTop, 46);
    TPanel* hintBar = DockedPanel(parent, alBottom, 20);
    Paint1 = MakeControl<TPaintBox>(parent);
    Paint1->SetAlign(alClient);
    Paint1->OnPaint = [this] { Paint1Paint(); };
    Paint1->OnMouseDown = [this](TMouseButton b, int x, int y) { PaintMouseDown(b, x, y); };
    Paint1->OnMouseMove = [this](int x, int y, bool left) { PaintMouseMove(x, y, left); };
    Paint1->OnMouseUp = [this](TMouseButton b, int x, int y) { PaintMouseUp(b, x, y); };
    Paint1->OnDblClick = [this] { FitView(); };
    Paint1->OnMouseWheel = [this](int delta, bool shift) { FormMouseWheel(delta, shift); };

    TLabel* show = MakeControl<TLabel>(switches, "表示"_sj);
    show->SetBounds(4, 4, 34, 18);
    TLabel* sw = MakeControl<TLabel>(switches, "ｽｲｯﾁ"_sj);
    sw->SetBounds(4, 24, 34, 18);
    for (TLabel* l : {show, sw}) l->OnClick = [this] { FitView(); };
    struct BoxDef {
        TCheckBox** box;
        const std::string* caption;
        bool checked;
        int left, top, width;
    };
    const BoxDef boxes[] = {
        {&fgSection, &"断面積"_sj, true, 40, 2, 64},
        {&txSection, &"数値"_sj, false, 104, 2, 52},
        {&txPoint1, &"格点No"_sj, true, 156, 2, 68},
        {&fgMember, &"部材太線"_sj, false, 224, 2, 80},
        {&fgArrowIJ, &"ｉ→ｊ"_sj, false, 304, 2, 60},
        {&txMember, &"部材No"_sj, true, 364, 2, 68},
        {&fgSupt, &"支点ﾏｰｸ"_sj, true, 432, 2, 76},
        {&fgView2, &"着目点"_sj, true, 508, 2, 68},
        {&fgKajyu, &"荷 重"_sj, false, 40, 22, 60},
        {&fgKajyuConect, &"合成表示"_sj, false, 100, 22, 80},
    };
    for (const BoxDef& d : boxes) {
        TCheckBox* b = MakeControl<TCheckBox>(switches, *d.caption, d.checked);
        b->SetBounds(d.left, d.top, d.width, 20);
        b->OnClick = [this, b] { ChangePaintSwitchClick(b); };
        *d.box = b;
    }
    // The result radio group sits in a panel of its own so that it is
    // exclusive by itself.
    TPanel* radios = MakeControl<TPanel>(switches);
    radios->SetBounds(184, 22, 380, 22);
    struct RadioDef {
        TRadioButton** radio;
        const char* caption;
        int left, width;
    };
    const RadioDef defs[] = {{&fgForceNon, nullptr, 0, 56}, {&fgForceMz, "Mz", 56, 48},
                             {&fgForceSy, "Sy", 104, 48},   {&fgForceNx, "Nx", 152, 48},
                             {&fgHenni, nullptr, 200, 56},  {&fgRxym, nullptr, 256, 56}};
    const std::string* named[] = {&"無し"_sj, nullptr, nullptr, nullptr, &"変位"_sj, &"反力"_sj};
    for (int i = 0; i < 6; ++i) {
        const RadioDef& d = defs[i];
        TRadioButton* r = MakeControl<TRadioButton>(
            radios, named[i] ? *named[i] : std::string(d.caption), i == 0);
        r->SetBounds(d.left, 1, d.width, 20);
        r->OnClick = [this, r] { ChangePaintSwitchClick(r); };
        *d.radio = r;
    }

    TLabel* hint = MakeControl<TLabel>(
        hintBar, "ﾏｳｽ左端+ｺﾛｺﾛでｸﾞﾗﾌ倍率、 (Shift+)ｺﾛｺﾛで拡大/縮小、 ドラッグで移動、 "_sj +
                     "ﾀﾞﾌﾞﾙｸﾘｯｸで全体表示　　　"_sj);
    hint->SetBounds(4, 2, 520, 16);
    hint->OnClick = [this] { FitView(); };
    TLabel* fit = MakeControl<TLabel>(hintBar, "全体"_sj);
    fit->SetBounds(530, 2, 40, 16);
    fit->SetFontColor(0xFF0000);
    fit->OnClick = [this] { FitView(); };
}

void TFmMain::BuildTabs() {
    const std::string captions[kTabCount] = {"  格 点  "_sj, " 断面/材質 "_sj, "  着目点  "_sj,
                                             " 支 点 "_sj,   " 分布バネ "_sj,  " 荷 重 "_sj,
                                             " 組合せ "_sj};
    for (int t = 0; t < kTabCount; ++t) {
        Tabs[t] = Page1->AddSheet(captions[t]);
        Tabs[t]->OnShow = [this, t] { TabShow(t); };
    }
    auto hintAt = [this](TWinControl* parent, int x, int y, const std::string& text) {
        TLabel* l = MakeControl<TLabel>(parent, text);
        l->SetBounds(x, y, 660, 16);
        l->SetFontColor(0x800000);
        return l;
    };
    const int gridTop = 4, gridHeight = 320;
    // 格点
    MakeGrid(kSgPoint, Tabs[kTabPoint], 4, gridTop, gridHeight);
    hintAt(Tabs[kTabPoint], 4, gridTop + gridHeight + 4, "格点Noの 0 入力で削除"_sj)->SetWidth(200);
    SpeedButton1 = MakeControl<TButton>(Tabs[kTabPoint], "図面参照"_sj);
    SpeedButton1->SetBounds(420, gridTop, 90, 26);
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    // 断面/材質
    MakeGrid(kSgSection, Tabs[kTabSect], 4, gridTop, gridHeight);
    followers_.push_back(
        {kSgSection, MakeGrid(kSgMaterial, Tabs[kTabSect], 420, gridTop, gridHeight)});
    hintAt(Tabs[kTabSect], 4, gridTop + gridHeight + 4,
           "断面Noの 0 入力で削除    　  Ｉの 0 入力で矩形値をｾｯﾄ"_sj);
    followers_.push_back({kSgSection, hintAt(Tabs[kTabSect], 420, gridTop + gridHeight + 4,
                                             "材質Noの 0 入力で削除"_sj)});
    followers_.back().second->SetWidth(240);
    // 着目点 (the equal divisions are kept but not shown)
    labels_[7] = hintAt(Tabs[kTabView], 4, 4, "");
    MakeGrid(kSgView2, Tabs[kTabView], 4, 24, gridHeight - 34);
    MakeGrid(kSgView1, Tabs[kTabView], 360, 24, 100);
    Grids.grid[kSgView1]->SetVisible(false);
    const std::string viewHints[3] = {
        "ヘッダーのダブルクリックはｉ端からの距離でソート"_sj + "します．"_sj,
        "'c3' と入力すれば部材No3のデータをコピーします。"_sj,
        "ｉ端からの距離に 0 入力で削除。"_sj};
    for (int h = 0; h < 3; ++h) {
        TLabel* l = hintAt(Tabs[kTabView], 4, 24 + gridHeight - 34 + 2 + 16 * h, viewHints[h]);
        // A double-click on the last hint deletes every point of interest.
        l->OnDblClick = [this, h] { lbView2cDblClick(h == 2); };
    }
    // 支点
    labels_[0] = hintAt(Tabs[kTabSupt], 250, 4, "---");
    followers_.push_back({kSgSupt1, labels_[0]});
    MakeGrid(kSgSupt1, Tabs[kTabSupt], 4, gridTop, gridHeight - 20);
    followers_.push_back({kSgSupt1, MakeGrid(kSgSupt2, Tabs[kTabSupt], 250, 24, gridHeight - 40)});
    hintAt(Tabs[kTabSupt], 4, gridTop + gridHeight - 12, "ｹｰｽNoの 0 入力で削除"_sj)->SetWidth(200);
    followers_.push_back({kSgSupt1, hintAt(Tabs[kTabSupt], 250, gridTop + gridHeight - 12,
                                           "格点Noの 0 入力で削除"_sj)});
    hintAt(Tabs[kTabSupt], 4, gridTop + gridHeight + 6,
           "支点ｺｰﾄﾞ: 0:削除　1:ピン　2:水平ﾛｰﾗｰ　3:鉛直ﾛｰﾗｰ　4:固定　5:バネ"_sj);
    // 分布バネ
    labels_[1] = hintAt(Tabs[kTabBane], 250, 4, "---");
    followers_.push_back({kSgBane1, labels_[1]});
    MakeGrid(kSgBane1, Tabs[kTabBane], 4, gridTop, gridHeight);
    followers_.push_back({kSgBane1, MakeGrid(kSgBane2, Tabs[kTabBane], 250, 24, gridHeight - 20)});
    hintAt(Tabs[kTabBane], 4, gridTop + gridHeight + 4, "ｹｰｽNoの 0 入力で削除"_sj)->SetWidth(200);
    followers_.push_back({kSgBane1, hintAt(Tabs[kTabBane], 250, gridTop + gridHeight + 4,
                                           "部材Noの 0 入力で削除"_sj)});
    // 荷重
    labels_[3] = hintAt(Tabs[kTabLoad], 4, 4, "---");
    labels_[4] = hintAt(Tabs[kTabLoad], 160, 4, "---");
    labels_[5] = hintAt(Tabs[kTabLoad], 316, 4, "---");
    for (int i = 3; i <= 5; ++i) labels_[i]->SetWidth(150);
    MakeGrid(kSgLoad1, Tabs[kTabLoad], 4, 24, 100);
    MakeGrid(kSgLoad2, Tabs[kTabLoad], 4, 128, 170);
    labels_[6] = hintAt(Tabs[kTabLoad], 4, 302, "");
    hintAt(Tabs[kTabLoad], 4, 322,
           "ｹｰｽNoの 0 入力で削除"_sj + "／  荷重ｺｰﾄﾞ:"_sj +
               "0:削除、11:平行分布,12:直角分布,13:水平分布,14:鉛直分布"_sj);
    hintAt(Tabs[kTabLoad], 4, 340,
           "21:平行集中,22:直角集中,23:水平集中,24:鉛直集中,27:集中ﾓｰﾒﾝﾄ,51:格点集中"_sj);
    // 組合せ
    MakeGrid(kSgKumi1, Tabs[kTabKumi], 4, gridTop, gridHeight);
    labels_[2] = hintAt(Tabs[kTabKumi], 300, 4, "---");
    followers_.push_back({kSgKumi1, labels_[2]});
    followers_.push_back({kSgKumi1, MakeGrid(kSgKumi2, Tabs[kTabKumi], 300, 24, gridHeight - 20)});
    hintAt(Tabs[kTabKumi], 4, gridTop + gridHeight + 4, "ｹｰｽNoの 0 入力で削除"_sj)->SetWidth(250);
    followers_.push_back({kSgKumi1, hintAt(Tabs[kTabKumi], 300, gridTop + gridHeight + 4,
                                           "荷重ｹｰｽNoの 0 入力で削除"_sj)});
}

void TFmMain::BuildMemberArea(TWinControl* parent) {
    // The grid takes the height between its title bar and the hint, so that
    // its last rows stay within reach in a small window.
    TPanel* bar = DockedPanel(parent, alTop, 24);
    TPanel* foot = DockedPanel(parent, alBottom, 22);
    TLabel* title = MakeControl<TLabel>(bar, "部材"_sj);
    title->SetBounds(6, 4, 36, 18);
    WidePaint = MakeControl<TButton>(bar, "▼|"_sj);
    WidePaint->SetBounds(40, 2, 26, 20);
    WidePaint->OnClick = [this] { WidePaintClick(); };
    title->SetFontColor(0xFF0000);
    title->OnDblClick = [this] { Label9DblClick(); };
    CkGoiki = MakeControl<TCheckBox>(bar, "剛域の設定"_sj, false);
    CkGoiki->SetBounds(70, 2, 106, 20);
    CkGoiki->OnClick = [this] { ChangePaintSwitchClick(CkGoiki); };
    TLabel* h1 = MakeControl<TLabel>(bar, "部材Noの 0 入力で削除"_sj);
    h1->SetBounds(180, 4, 160, 16);
    TLabel* h2 = MakeControl<TLabel>(bar, "結合入力は 0:剛  1:ﾋﾟﾝ"_sj);
    h2->SetBounds(340, 4, 160, 16);
    TLabel* h3 =
        MakeControl<TLabel>(foot, "各表のヘッダーをダブルクリックすればNoなどでソートします．"_sj);
    h3->SetBounds(6, 3, 600, 16);
    MakeGrid(kSgMember, parent, 4, 24, 220)->SetAlign(alClient);
}

void TFmMain::UpdateLabels() {
    const std::string* texts[8] = {&Grids.LbSuptC, &Grids.LbBaneC, &Grids.LbKumiC, &Grids.lbLLcNo,
                                   &Grids.lbLScNo, &Grids.lbLBcNo, &Grids.lbSgmXY, &Grids.lbV2BzNo};
    for (int i = 0; i < 8; ++i)
        if (labels_[i]) labels_[i]->SetCaption(*texts[i]);
    CkGoiki->SetEnabled(false);
    CkGoiki->SetChecked(Grids.CkGoiki);
    CkGoiki->SetEnabled(true);
}

void TFmMain::RefreshGrids() {
    // Texts typed and not committed are replaced here.
    typedSinceCommit_ = false;
    ModelToGrids(Grids, *FrameData, CurrentSelection);
    // The load columns' captions follow the current load row of this model,
    // not the row clicked in the model shown before.
    const TStringGrid& loads = Grid(kSgLoad2);
    SetLoadHeaders(TextToInt(loads.Cells(ColumnOf(&LoadRecord::code), loads.Row())));
    UpdateLabels();
    for (int i = 0; i < kGridCount; ++i) Grids.grid[i]->Refresh();
}

void TFmMain::CommitTypedGrids(bool recalculate) {
    const bool typed = typedSinceCommit_;
    CommitGrids();
    if (recalculate && typed && CalcAuto->Checked()) CalcExecClick(CalcSender::CalcAuto);
}

void TFmMain::CommitGrids() {
    RefuseEditedCell();
    Grids.CkGoiki = CkGoiki->Checked();
    typedSinceCommit_ = false;
    const std::string overflow = GridsToModel(Grids, *FrameData, CurrentSelection);
    // Lengths, angles and the load sums under the load grid follow the
    // values just taken, not those of the commit before.
    PrepareMemberLoads(*FrameData);
    if (!overflow.empty()) MessageDlg(overflow, mtError, mbOK);
}

void TFmMain::lbView2cDblClick(bool deleteAll) {
    if (deleteAll && RcWindowVisible()) {
        // The RC check works on these points: no change meanwhile.
        ShowMessage("× RC照査画面表示中は変更できません。"_sj);
        return;
    }
    if (deleteAll) {
        ZeroRowsBeyond(FrameData->view2, 0, FrameData->view2Count);
        FrameData->view2Count = 0;
        ModifiedFlag = true;
    }
    RefreshGrids();
    Paint1Paint();
}

// --- timer, close, paint ----------------------------------------------------

void TFmMain::Timer1Timer() {
    ++TimerTicks;
    if (TimerTicks == 2) {
        const bool unopenable = !CannotOpenReason(CurrentFileName).empty();
        if (!FileExists(CurrentFileName) && !unopenable)
            CurrentFileName = ExeFolder + ExeBaseName + ".$O1";
        // The load says what is wrong with a name that cannot be read. A
        // name that did not load as a data file (none there, text of another
        // kind, a folder) is not the model's file: a save asks for a name
        // instead of writing over it.
        if (!LoadDataFile(*FrameData, CurrentFileName)) {
            CurrentFileName.clear();
            SetCaption(TitleBase);
        }
        FitView();
    }
    // The splash goes after 1.5 s. Shift pressed and let go on its own
    // brings the RC window up, refreshed: once per press, not on every tick
    // while it is held (that refilled a sheet under the cell being typed,
    // and popped the window up over the fine zoom, Shift with the wheel),
    // and not while a cell of the RC windows is being typed into.
    const bool shiftTap = TakeShiftTap() && !RcWindowBeingEdited();
    if (TimerTicks >= 15 && ((fmOpening && fmOpening->Visible()) || splashCutShort_ || shiftTap)) {
        splashCutShort_ = false;
        HideSplash();
        if (RcData && RcData->memberCount > 0) ShowRcWindow(*this);
    }
    // Once more 100 ms after the last pan or zoom step.
    if (FigureRedrawDue(GetTickCount())) Paint1Paint();
    if (GetTickCount() > RedrawDeadline) {
        RedrawDeadline += kRedrawPostpone;
        Paint1Paint();
    }
}

void TFmMain::FormCloseQuery(bool& canClose) {
    typingPause_.SetEnabled(false);
    canClose = true;
    if (!ModifiedFlag) return;
    const int answer =
        MessageDlg("修正されています。保存して終了しますか？"_sj, mtWarning, mbYesNoCancel);
    if (answer == mrYes)
        canClose = Save1Click();  // a failed save keeps the window open
    else
        canClose = answer == mrNo;
}

FigureContext TFmMain::CurrentFigureContext() const {
    FigureContext ctx;
    ctx.model = FrameData;
    ctx.results = ResultData;
    ctx.selection = CurrentSelection;
    ctx.currentLoadRow = Grids.grid[kSgLoad2] ? Grids.grid[kSgLoad2]->Row() : 0;
    ctx.ctrlHeld = KeyIsHeld(VK_CONTROL);
    ctx.switches = DisplaySwitches;
    return ctx;
}

namespace {
// The surface may grow past the screen's size; the figure stays within its
// bitmap.
int Clip(int size, int limit) { return std::clamp(size, 1, limit); }
}  // namespace

void TFmMain::Paint1Paint() {
    if (!FrameData || !Paint1) return;
    FigurePaint1Paint(CurrentFigureContext(), *offscreen_,
                      Clip(Paint1->Width(), offscreen_->Width()),
                      Clip(Paint1->Height(), offscreen_->Height()));
    CopyFigure();
}

void TFmMain::FitView() {
    if (!FrameData || !Paint1) return;
    FigureView.rememberedWidth = Clip(Paint1->Width(), offscreen_->Width());
    FigureFitView(CurrentFigureContext(), *offscreen_, FigureView.rememberedWidth,
                  Clip(Paint1->Height(), offscreen_->Height()));
    CopyFigure();
}

void TFmMain::CopyFigure() {
    TCanvas& c = offscreen_->Canvas();
    c.Flush();
    Paint1->Canvas().Draw(0, 0, *offscreen_);
    Paint1->Canvas().Flush();
    Paint1->Repaint();
}

void TFmMain::DrawBanner(const std::string& text, int x, int y) {
    TCanvas& c = Paint1->Canvas();
    c.SetBrushStyle(bsClear);
    c.SetFontColor(0x0000FF);
    c.SetFontHeight(16);
    c.TextOut(x, y, text);
    c.Flush();
    Paint1->Repaint();
}

void TFmMain::DrawCalculatingBanner() {
    // Black on pale yellow across the middle of the figure; it stays there
    // when the calculation stops at the validation.
    const std::string& text = " ***  計 算 中  *** "_sj;
    TCanvas& c = Paint1->Canvas();
    c.SetFontHeight(16);
    c.SetFontColor(0);
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(0xC0FFFF);
    c.TextOut((Paint1->Width() - c.TextWidth(text) + 36) / 2, Paint1->Height() / 2 - 16, text);
    c.SetBrushStyle(bsClear);
    c.Flush();
    Paint1->Repaint();
}

void TFmMain::SgDrawCell(GridId id, int col, int row, TCanvas& canvas, const TRect& rect) {
    const CellLook look = GridCellLook(Grids, *FrameData, CurrentSelection, id, col, row);
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(look.back);
    canvas.FillRect(rect);
    canvas.SetBrushStyle(bsClear);
    canvas.SetFontColor(look.font);
    canvas.SetFontHeight(13);
    DrawCellLines(canvas, rect, look.text);
}

// --- entry ------------------------------------------------------------------

int RunInteractive(int argc, char** argv, const CommandLineOptions& options) {
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "%s\n",
                     Cp932ToUtf8("ウィンドウを表示できません（ディスプレイがありません）。"_sj +
                                 "計算だけなら /BATCH を付けて起動してください。"_sj)
                         .c_str());
        return kExitNoDisplay;
    }
    StartApplication(argc, argv);
    ShowSplash();
    ProcessMessages();
    // The RC record lives for the run; without it (memory short) RC blocks
    // of data files are carried through unchanged.
    AllocateRcCheckData();
    LoadRebarTable();
    auto window = std::make_unique<TFmMain>(options);
    window->Show();
    // The splash stays above the main window until the timer closes it.
    if (fmOpening) BringFormToFront(*fmOpening);
    const int rc = RunApplication();
    window.reset();
    return rc;
}
