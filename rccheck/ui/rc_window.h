// The RC check window: the bar arrangement table of all RC members or the
// check sheet of one member for one check case (or the envelope), the case
// list, a small figure to pick a member, the NG search, printing of the RC
// chapter and the way to the section settings window. Works on the global
// RC record RcData, the model FrameData and the results ResultData; reaches
// the main window only through its RcWindowHost.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/canvas.h"
#include "platform/qt/controls.h"
#include "report/graphics.h"

class RcWindowHost;
class TStringGrid;

// The RC module's change history, newest first; its first date is the
// window's version.
extern const std::string& RcHistoryText();

class TfmRCanal : public TForm {
  public:
    enum DispMode { kModeBars = 0, kModeExtract, kModeAllRows, kModeAllItems };

    // host: the window that opens this one (null: none, as in tests of
    // the RC windows alone).
    explicit TfmRCanal(RcWindowHost* host = nullptr);

    RcWindowHost* Host() const { return host_; }
    void SetHost(RcWindowHost* host) { host_ = host; }
    // The model or the RC data changed (tells the host).
    void MarkModified();

    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void CkDispAllClick(DispMode mode);
    void CoKumiListClick();
    void RefreshRcView(int readBack);
    void RefreshRcViewAndFocus();
    void FillCaseList();
    void Sg1KeyPress(char& key);
    void Sg1KeyDown(int key, bool ctrl, bool shift);
    void BtnBackClick(bool previous);
    void Sg1Click();
    void Sg1DrawCell(int col, int row, TCanvas& canvas, const TRect& rect);
    void Paint1Paint();
    void Paint1MouseDown(int x, int y);
    void Bt_NG_CheckClick(bool byButton);
    void DmNoClick();
    void BtnPrintClick();
    void bClearClick();
    void bShowSectionClick();
    void Save1Click();
    void MyHistoryClick();
    void DispHelpClick();
    void RcSelectMember(int caseIndex, int memberIndex);

    DispMode Mode() const { return mode_; }
    // Case list item: 0 the envelope, q the check case q.
    int CaseIndex() const;
    void SetCaseIndex(int index);
    int CaseCount() const;
    const std::string& NgText() const { return ngText_; }

    int CurrentRcMember = 1;
    bool RcEditPending = false;
    bool FocusSectionOnActivate = false;
    std::vector<TPoint> MemberMidpoints;  // device pixels per RC member
    GraphicsState RcFigureState{};
    std::string RcTitleBase;

    // Components.
    TPanel* Panel5 = nullptr;
    TButton* bClear = nullptr;
    // The display modes exclude each other: one group of radio buttons.
    TRadioButton* RbDispBzi = nullptr;
    TRadioButton* RbExtract = nullptr;
    TRadioButton* RbZenGyo = nullptr;
    TRadioButton* RbDispAll = nullptr;
    TButton* BtnBack = nullptr;
    TButton* BtnNext = nullptr;
    TLabel* BzName = nullptr;
    TLabel* DmNo = nullptr;
    TButton* bShowSection = nullptr;
    TButton* Save1 = nullptr;
    TButton* BtnPrint = nullptr;
    TButton* BtnHelp1 = nullptr;
    TLabel* MyHistory = nullptr;
    TPanel* Panel2 = nullptr;
    TStringGrid* CoKumiList = nullptr;  // row 0 caption, item k in row k + 1
    TPanel* Panel10 = nullptr;
    TPaintBox* Paint1 = nullptr;
    TLabel* lbErr = nullptr;
    TButton* Bt_NG_Check = nullptr;
    TLabel* ListBox1 = nullptr;
    TPanel* PnSg1 = nullptr;
    TStringGrid* Sg1 = nullptr;

  private:
    void BuildLayout();
    void SetModeButtons(DispMode mode);
    void SetAllRowHeights(int height);
    void SetNgText(const std::string& text, std::uint32_t colour);
    std::string DataFileName() const;
    void MoveToNextColumn();
    int FixedCols() const { return mode_ == kModeBars ? 2 : 3; }

    RcWindowHost* host_ = nullptr;
    DispMode mode_ = kModeBars;
    bool settingMode_ = false;
    bool selectBusy_ = false;
    std::string ngText_;
};

extern TfmRCanal* fmRCanal;

// Shows an RC window; one that was hidden opens centred on the RC check
// window's host (where the user looks), not wherever the screen's middle
// happens to be.
void OpenCentredOnMainWindow(TForm& form);

// Creates the window on first use and runs its show sequence; `host` is the
// window that opens it, from now on the one it works with.
void ShowRcWindow(RcWindowHost& host);
// After every calculation: when the RC window is showing, it takes in the
// new forces (its show sequence).
void RefreshRcWindowAfterCalculation();
// The member grid's click in the main window (caseIndex 0: keep the case).
void RcSelectMember(int caseIndex, int memberIndex);
// True while the RC check window is on screen: the model may not be edited
// then, since that window works on the model as it stands.
bool RcWindowVisible();
// True while a cell of the RC check window or of the section settings
// window is being typed into.
bool RcWindowBeingEdited();
