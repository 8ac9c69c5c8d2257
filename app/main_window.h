// The main window: the fourteen input grids on seven tabs and the member
// grid below them, the figure surface, the command bar, and the commands
// on the model: open, drop, save, save as, new, calculate, undo, close.
//
// The window owns the live model (FrameData), the results (ResultData), the
// undo snapshot and, when the RC record is missing, the RC block lines of
// the data file (written back unchanged). Every handler can be run from
// code, which is how the tests drive it. It opens the RC check window and
// is that window's RcWindowHost.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/figure_view.h"
#include "app/input_grids.h"
#include "platform/qt/controls.h"
#include "platform/qt/string_grid.h"
#include "platform/string_list.h"
#include "rccheck/ui/rc_window_host.h"
#include "report/graphics.h"

struct FrameModel;
class TBitmap;
class TFmExtSDK;

// Program paths and start-up values (CP932, folders with a final "/").
extern std::string ExeFolder;
extern std::string ExeBaseName;
extern std::string DataFolder;
extern std::string IniFilePath;
extern std::string TitleBase;
extern std::string VersionDate;
// Unsaved changes of the model.
extern bool ModifiedFlag;
// The figure is drawn into this bitmap (at least 1920 x 1080 pixels, or the
// screen when larger) and copied onto the window's surface.
extern TBitmap* OffscreenBitmap;
// The figure's graphics state, saved when the bitmap became the device.
extern GraphicsState FigureViewState;

// Who asked for a calculation.
enum class CalcSender { None, CalcKVD1, CalcSDK, CalcAuto };

class TFmMain : public TForm, public RcWindowHost {
  public:
    explicit TFmMain(const CommandLineOptions& options);
    ~TFmMain() override;

    // --- start-up and close (timer, close query) ---
    void FormCreate();
    void Timer1Timer();
    void FormCloseQuery(bool& canClose);

    // --- file commands ---
    // Loads a data file into the model and refreshes everything; false when
    // the file does not exist or cannot be read.
    bool LoadDataFile(FrameModel& model, const std::string& fileName);
    // 1 saved, 0 not saved (a message has been shown, the old file kept).
    int SaveDataFile(const std::string& fileName, const FrameModel& model);
    void OpenClick();
    void WMDropFiles(const std::vector<std::string>& names);
    void Label9DblClick();
    // True when the file was saved. A model that was not read whole from
    // its file is written over it only when the person chooses so.
    bool Save1Click() override;
    // True when the model was saved under the chosen name.
    bool SaveAsClick();
    void New1Click();

    // --- calculation and editing ---
    void CalcExecClick(CalcSender sender);
    void StrGridClick(GridId id);
    void GridKeyPress(GridId id, char& key);
    void GridKeyDown(GridId id, int key, bool ctrl);
    void SgGridDblClick(GridId id);
    void TabShow(int tabIndex);
    void BtnUnDoClick();
    void SelectMemberRow(int memberNo) override;
    // Double-click on a hint of the points-of-interest tab; deleteAll for
    // the hint about deleting.
    void lbView2cDblClick(bool deleteAll);
    // Commits the grids to the model (a message when rows did not fit).
    void CommitGrids();
    // Commits the grids; with 逐次計算 and `recalculate`, the results then
    // follow what was typed without Enter.
    void CommitTypedGrids(bool recalculate);
    // Fills the grids and labels from the model.
    void RefreshGrids();
    // Paints the figure into OffscreenBitmap (fitting it first when the
    // surface's width changed) and copies it onto Paint1.
    void Paint1Paint();
    // Fits the figure to the nodes, paints and copies.
    void FitView();

    // --- figure: switches and mouse ---
    // Any display switch or 剛域の設定 clicked (sender: the control).
    void ChangePaintSwitchClick(const TControl* sender);
    void PaintMouseDown(TMouseButton button, int x, int y);
    void PaintMouseMove(int x, int y, bool leftHeld);
    void PaintMouseUp(TMouseButton button, int x, int y);
    void FormMouseWheel(int delta, bool shift);
    // What the figure is drawn from now.
    FigureContext CurrentFigureContext() const;

    // --- small commands ---
    void CopyExcelClick();
    void DispManualClick();
    void WidePaintClick();
    // 印 刷...: the calculation report in the print preview.
    void BtnPrintClick();
    // RC照査...: the RC check window, once there is something to check.
    void btRCanalClick();
    // 図面参照: nodes and members from a reference drawing.
    void SpeedButton1Click();
    // (変更履歴): the program's change history.
    void MyHistoryClick();
    // The hidden sample button: the busy window with its Korvo figure.
    void Button1Click();

    // --- what the RC check window asks of this one ---
    TForm& HostForm() override { return *this; }
    const std::string& DataFileName() const override { return CurrentFileName; }
    void MarkModified() override { ModifiedFlag = true; }
    // In the change-history window.
    void ShowText(const std::string& text) override;

    // Components the commands and tests reach.
    InputGrids Grids;
    TStringGrid& Grid(GridId id) { return Grids[id]; }
    TPageControl* Page1 = nullptr;
    enum TabIndex {
        kTabPoint = 0,
        kTabSect,
        kTabView,
        kTabSupt,
        kTabBane,
        kTabLoad,
        kTabKumi,
        kTabCount
    };
    TTabSheet* Tabs[kTabCount] = {};
    TCheckBox* CalcAuto = nullptr;
    TCheckBox* AutoSave = nullptr;
    TCheckBox* CkGoiki = nullptr;
    TButton* BtnPrint = nullptr;
    TButton* btRCanal = nullptr;
    TButton* CalcSDK = nullptr;  // shown only when the outside library is found
    TButton* WidePaint = nullptr;
    TButton* SpeedButton1 = nullptr;  // 図面参照 (node tab)
    TButton* Button1 = nullptr;       // Korvoの表示サンプル, never shown to the user
    TLabel* MyHistory = nullptr;      // (変更履歴)
    TPanel* Panel_Right = nullptr;
    // Display switches of the figure.
    TCheckBox* fgSection = nullptr;      // 断面積
    TCheckBox* txSection = nullptr;      // 数値
    TCheckBox* txPoint1 = nullptr;       // 格点No
    TCheckBox* fgMember = nullptr;       // 部材太線
    TCheckBox* fgArrowIJ = nullptr;      // ｉ→ｊ
    TCheckBox* txMember = nullptr;       // 部材No
    TCheckBox* fgSupt = nullptr;         // 支点ﾏｰｸ
    TCheckBox* fgView2 = nullptr;        // 着目点
    TCheckBox* fgKajyu = nullptr;        // 荷 重
    TCheckBox* fgKajyuConect = nullptr;  // 合成表示
    TRadioButton* fgForceNon = nullptr;  // 無し
    TRadioButton* fgForceMz = nullptr;
    TRadioButton* fgForceSy = nullptr;
    TRadioButton* fgForceNx = nullptr;
    TRadioButton* fgHenni = nullptr;  // 変位
    TRadioButton* fgRxym = nullptr;   // 反力
    TLabel* StatusText = nullptr;
    TPaintBox* Paint1 = nullptr;
    TTimer Timer1;
    int TimerTicks = 0;
    std::uint32_t RedrawDeadline = 0;
    const TStringList& RcBlockLines() const { return rcBlock_; }
    // The time drawn after the last complete calculation ("0.012秒").
    const std::string& CalcTimeText() const { return calcTimeText_; }
    FrameModel& UndoSnapshot() { return *undo_; }

  private:
    void BuildLayout();
    void BuildTabs();
    // 逐次計算 while typing: the cell's text as it stands after the pause
    // is calculated, neither committed to the grids nor saved.
    void CalculateTypedText();
    // The name a new model is proposed under: "新規1.$O1" in the current
    // file's folder, or in the user's folder when no file is open.
    std::string NewFileProposal() const;
    // A panel of the given height docked to the top or bottom of parent.
    TPanel* DockedPanel(TWinControl* parent, TAlign align, int height);
    void BuildMemberArea(TWinControl* parent);
    void BuildFigureArea(TWinControl* parent);
    FigureSwitchBoxes SwitchBoxes() const;
    // Copies the off-screen figure onto Paint1.
    void CopyFigure();
    TStringGrid* MakeGrid(GridId id, TWinControl* parent, int left, int top, int height);
    void UpdateLabels();
    void SetCaptionFor(const std::string& fileName);
    // Before another model replaces a modified one: asks whether to save;
    // true to go on (saved, or the edits discarded).
    bool MayReplaceModel();
    void DiscardResults();
    void DiscardResultsOrRecalculate();
    void CopyViewPoints(int sourceMember);
    void EnterInGrid(GridId id);
    void MoveAfterEnter(GridId id, int col, int row, double x);
    void SetLoadHeaders(int code);
    void SgDrawCell(GridId id, int col, int row, TCanvas& canvas, const TRect& rect);
    void DrawBanner(const std::string& text, int x, int y);
    void DrawCalculatingBanner();

    std::unique_ptr<TFmExtSDK> statusWindow_;
    std::unique_ptr<TBitmap> offscreen_;
    std::unique_ptr<FrameModel> model_;
    std::unique_ptr<FrameModel> undo_;
    TStringList rcBlock_;  // lines of the RC block, written back unchanged
    bool clickBusy_ = false;
    bool undoArmed_ = false;
    // A cell was typed into and not committed since (no Enter yet), and
    // which cell it was.
    bool typedSinceCommit_ = false;
    GridId editedGrid_ = kGridCount;
    int editedCol_ = 0, editedRow_ = 0;
    // True, with a message and the grids showing the model again, when the
    // cell typed into holds text its column cannot take.
    bool RefuseEditedCell();
    bool pageSwitchByCode_ = false;
    // CurrentFileName names the file the model was read from or saved
    // into by the person's choice; otherwise (a new model, a start-up file
    // that did not load) it is only a proposal, never written over unasked.
    bool fileNamed_ = false;
    // The calculation under way follows typing (see CalculateTypedText).
    bool calcFromTyping_ = false;
    // Restarted by every key typed into a grid while 逐次計算 is on.
    TTimer typingPause_;
    std::string calcTimeText_;
    bool headerPress_ = false;     // the last press was on a grid's caption row
    bool switchesByCode_ = false;  // a switch set from code is not a click
    // The model was read with warnings (cut at a table's capacity, or the
    // file ended early): its file holds more than the model.
    bool readPartly_ = false;
    // The splash went before its time to let a message about the loaded
    // file be seen; the fifteenth tick still does what the splash's end
    // does (open the RC window of a model with RC members).
    bool splashCutShort_ = false;
    std::unique_ptr<TPopupMenu> popup_;
    TLabel* labels_[8] = {};
    // Controls placed to the right of a grid once its width is known.
    std::vector<std::pair<GridId, TControl*>>
        followers_;  // LbSuptC, LbBaneC, LbKumiC, lbLLcNo, lbLScNo, lbLBcNo, lbSgmXY, lbV2BzNo
};

extern TFmMain* FmMain;

// Exit code of a window start where no window can be shown (no display).
constexpr int kExitNoDisplay = 4;

// Starts the interactive program: application object, splash, main window,
// loop; kExitNoDisplay, with a message on stderr, without a display.
int RunInteractive(int argc, char** argv, const CommandLineOptions& options);
