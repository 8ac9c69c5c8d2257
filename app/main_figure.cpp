// The main window's figure: display switches, mouse and wheel on the
// surface, and the small commands around it.
#include <algorithm>

#include "app/main_window.h"
#include "app/result_clipboard.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/qt/dialogs.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/ui/rc_window.h"

namespace {
constexpr int kWidePanel = 680;
constexpr int kNarrowPanel = 80;
}  // namespace

FigureSwitchBoxes TFmMain::SwitchBoxes() const {
    FigureSwitchBoxes b;
    b.section = fgSection->Checked();
    b.sectionText = txSection->Checked();
    b.nodeNumbers = txPoint1->Checked();
    b.memberThick = fgMember->Checked();
    b.arrowIJ = fgArrowIJ->Checked();
    b.memberNumbers = txMember->Checked();
    b.supports = fgSupt->Checked();
    b.viewPoints = fgView2->Checked();
    b.loads = fgKajyu->Checked();
    b.loadsMerged = fgKajyuConect->Checked();
    b.forceM = fgForceMz->Checked();
    b.forceS = fgForceSy->Checked();
    b.forceN = fgForceNx->Checked();
    b.displacement = fgHenni->Checked();
    b.reactions = fgRxym->Checked();
    return b;
}

void TFmMain::ChangePaintSwitchClick(const TControl* sender) {
    if (switchesByCode_) return;
    // A change from code (the box disabled) is only a display.
    if (sender == CkGoiki && !CkGoiki->Enabled()) return;
    if (sender == CkGoiki && RcWindowVisible()) {
        // A change of the model under the RC check: refused, as typing is.
        CkGoiki->SetEnabled(false);
        CkGoiki->SetChecked(!CkGoiki->Checked());
        CkGoiki->SetEnabled(true);
        ShowMessage("× RC照査画面表示中は変更できません。"_sj);
        return;
    }
    DisplaySwitches = ReadDisplaySwitches(SwitchBoxes());
    // The rigid-zone switch recalculates below in any case.
    CommitTypedGrids(sender != CkGoiki);
    if (sender == fgKajyuConect) InvalidateLoadCache(*FrameData);
    if (sender == CkGoiki) {
        // The rigid-zone switch changes the model: results of the other
        // model are not kept.
        ModifiedFlag = true;
        if (CalcAuto->Checked())
            CalcExecClick(CalcSender::CalcAuto);
        else
            DiscardResults();
    }
    Paint1Paint();
}

void TFmMain::PaintMouseDown(TMouseButton button, int x, int y) {
    if (button == mbLeft) FigureMouseDown(x, y);
}

void TFmMain::PaintMouseMove(int x, int y, bool leftHeld) {
    // After a pan the keys go to the tables again (Enter, Ctrl+Z), unless
    // the RC check window is the one in use.
    if (FigureMouseMove(x, y, leftHeld, [this] { Paint1Paint(); }) && !RcWindowVisible())
        Page1->SetFocus();
}

void TFmMain::PaintMouseUp(TMouseButton button, int x, int y) {
    if (button != mbLeft) return;
    const int i = FigureMouseUp(*FrameData, x, y);
    if (i <= 0) return;
    const bool noneBefore = CurrentSelection.memberFirst == 0;
    TStringGrid& g = Grid(kSgMember);
    // Moving the grid's row selects through the grid's click handler.
    if (i < g.RowCount() - 1) g.SetRow(i);
    if (noneBefore) {
        CurrentSelection.memberFirst = CurrentSelection.memberLast = FrameData->members[i].no;
        Paint1Paint();
    }
}

void TFmMain::FormMouseWheel(int delta, bool shift) {
    FigureWheel(delta, shift || KeyIsHeld(VK_SHIFT), [this] { Paint1Paint(); });
}

void TFmMain::CopyExcelClick() {
    if (!ResultData || ResultData->memberCount == 0) {
        ShowMessage("計算結果がありません。"_sj);
        return;
    }
    ClipboardSetText(ExcelResultText(*ResultData));
    ShowMessage("エクセル画面で「貼り付け」操作を行って下さい。"_sj);
}

void TFmMain::DispManualClick() {
    const std::string file = ExeFolder + "Vextor操作説明書.PDF"_sj;
    if (!FileExists(file)) {
        ShowMessage("ファイル "_sj + ExtractFileName(file) + " が有りません."_sj);
        return;
    }
    if (!OpenDocument(file)) MessageDlg("開けません.\n"_sj + file, mtError, mbOK);
}

void TFmMain::WidePaintClick() {
    if (Panel_Right->Width() <= 200) {
        Panel_Right->SetWidth(kWidePanel);
        WidePaint->SetCaption("▼|"_sj);
    } else {
        Panel_Right->SetWidth(kNarrowPanel);
        WidePaint->SetCaption("|▲"_sj);
    }
    Realign();
    Paint1Paint();
}
