// The section settings window: the RC section table, the check type of
// each check case, default sections, merging of equal sections, sorting by
// number, and applying the check types to every point with four options
// that switch checks off. Every change reruns the RC checks and refreshes
// the RC check window.
#pragma once
#include <memory>
#include <vector>

#include "platform/qt/canvas.h"
#include "platform/qt/controls.h"

class TStringGrid;

class TfmSection : public TForm {
  public:
    TfmSection();

    void FormShow();
    void FormClose();
    void RefreshSectionGrid(int mode);
    void RecheckAllAndRefresh();
    void FillCheckCaseGrid();
    void Sg1Click();
    void Sg1DblClick();
    void Sg1KeyPress(char& key);
    void SgType1DrawCell(int col, int row, TCanvas& canvas, const TRect& rect);
    void SgType1KeyPress(char& key);
    void BtnSectionSetClick();
    void ConsSectionClick();
    void ApplyShoTypeClick();

    bool SectionEditPending = false;
    int MouseDownX = 0, MouseDownY = 0;

    TLabel* Label2 = nullptr;
    TStringGrid* Sg1 = nullptr;
    TButton* BtnSectionSet = nullptr;
    TLabel* Label1 = nullptr;
    TButton* ConsSection = nullptr;
    TLabel* lbType1 = nullptr;
    TStringGrid* SgType1 = nullptr;
    TPanel* GroupBox1 = nullptr;
    TButton* ApplyShoType = nullptr;
    TCheckBox* CkApplyMmax = nullptr;
    TCheckBox* CkApplyHasi = nullptr;
    TCheckBox* CkApplyHanchi = nullptr;
    TCheckBox* CkApplyH2 = nullptr;
    TLabel* Memo3 = nullptr;
    TButton* SpeedButton2 = nullptr;

  private:
    void BuildLayout();
    void ApplyOptionsToPoints();
};

extern TfmSection* fmSection;

// Sorts sections 1..sectionCount by number (equal numbers keep their
// order); the member references are by number, so they stay valid.
struct RcCheckData;
void SortRcSectionsByNumber(RcCheckData& rc);
