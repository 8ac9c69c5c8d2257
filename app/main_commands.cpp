// The file commands and the calculation command of the main window.
#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "app/reference_window.h"
#include "app/result_clipboard.h"
#include "app/small_windows.h"
#include "app/window_hooks.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/sdk_bridge.h"
#include "model/text_helpers.h"
#include "model/validation.h"
#include "platform/encoding.h"
#include "platform/ini_file.h"
#include "platform/qt/dialogs.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rc_records.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

namespace {

const std::string& DataFileFilter() { return "フレーム構造計算ファイル($O1)|*.$O1"_sj; }
const char* const kDataExt = ".$O1";

bool IsDataFileName(const std::string& name) {
    return UpperCase(ExtractFileExt(name)) == kDataExt;
}

}  // namespace

void TFmMain::SetCaptionFor(const std::string& fileName) { SetCaption(TitleBase + " > " + fileName); }

void TFmMain::DiscardResults() {
    BtnPrint->SetEnabled(false);
    ClearFrameResults(*ResultData);
    ClearSpringSegmentCount();
}

bool TFmMain::LoadDataFile(FrameModel& model, const std::string& fileName) {
    if (fileName.empty() || !FileExists(fileName)) return false;
    TStringList lines;
    if (!lines.LoadFromFile(fileName)) {
        MessageDlg("読み込めません.\n"_sj + fileName, mtError, mbOK);
        return false;
    }
    // A file that is not a data file leaves the model and its file name as
    // they are: read, it would give an empty model that a save (or the
    // automatic save of a calculation) would then write over that file.
    if (!HasFrameIdentifier(lines)) {
        MessageDlg("FRAME 行がありません（計算条件ファイルではありません）.\n"_sj + fileName, mtWarning, mbOK);
        return false;
    }
    std::string warnings;
    ReadFrameDataFile(model, lines, warnings);
    // The RC block follows the frame sections. Without the RC record (not
    // allocated) its lines are kept as they were read and written back on
    // save, so a file never loses its RC data.
    rcBlock_.Clear();
    if (RcData) ReadRcCheckData(*RcData, model, lines);
    else
        for (int i = FindRcBlockStart(lines); i < lines.Count(); ++i) rcBlock_.Add(lines[i]);
    SetCaptionFor(fileName);
    ClearFrameResults(*ResultData);
    ClearSpringSegmentCount();
    InvalidateLoadCache(model);
    ModifiedFlag = false;
    RefreshGrids();
    std::memcpy(undo_.get(), &model, sizeof(FrameModel));
    if (!CurrentFileName.empty()) TIniFile(IniFilePath).WriteString("DO1", "FILE1", CurrentFileName);
    if (!warnings.empty()) MessageDlg(warnings, mtWarning, mbOK);
    return true;
}

int TFmMain::SaveDataFile(const std::string& fileName, const FrameModel& model) {
    // Replaced whole (a failed save never leaves the old file emptied),
    // through a symbolic link, with its permissions.
    TStringList rcLines;
    if (RcData) WriteRcCheckData(rcLines, model, *RcData);
    if (!WriteFrameDataFile(fileName, model, RcData ? &rcLines : &rcBlock_)) {
        MessageDlg("保存できません.\n"_sj + fileName, mtError, mbOK);
        return 0;
    }
    ModifiedFlag = false;
    return 1;
}

void TFmMain::OpenClick() {
    std::string name;
    if (!OpenDialogExecute(DataFileFilter(), CurrentFileName, name)) return;
    if (!FileExists(name) || !IsDataFileName(name)) return;
    const std::string previous = CurrentFileName;
    CurrentFileName = name;
    if (!LoadDataFile(*FrameData, CurrentFileName)) {
        CurrentFileName = previous;
        return;
    }
    Grid(kSgMember).SetRow(1);
    ProcessMessages();
    FitView();
    if (CalcAuto->Checked()) {
        CalcExecClick(CalcSender::CalcAuto);
        FitView();
    }
    BtnPrint->SetEnabled(false);
    if (RcData && RcData->memberCount > 0) CallShowRcWindow();
}

void TFmMain::WMDropFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!FileExists(name) || !IsDataFileName(name)) continue;
        const std::string previous = CurrentFileName;
        CurrentFileName = name;
        if (!LoadDataFile(*FrameData, CurrentFileName)) {
            CurrentFileName = previous;
            continue;
        }
        Grid(kSgMember).SetRow(1);
        FitView();
        if (RcData && RcData->memberCount > 0) CallShowRcWindow();
        break;
    }
    if (CalcAuto->Checked()) CalcExecClick(CalcSender::CalcAuto);
}

void TFmMain::Label9DblClick() {
    if (!LoadDataFile(*FrameData, CurrentFileName)) return;
    Grid(kSgMember).SetRow(1);
    FitView();
}

bool TFmMain::Save1Click() { return SaveDataFile(CurrentFileName, *FrameData) == 1; }

void TFmMain::SaveAsClick() {
    std::string name;
    if (!SaveDialogExecute(DataFileFilter(), CurrentFileName, name)) return;
    name = ChangeFileExt(name, kDataExt);
    if (SaveDataFile(name, *FrameData) != 1) return;
    CurrentFileName = name;
    LoadDataFile(*FrameData, CurrentFileName);
}

void TFmMain::New1Click() {
    NewFrameModel(*FrameData, 1);
    CurrentFileName = ExtractFilePath(CurrentFileName) + "新規1.$O1"_sj;
    SetCaptionFor(CurrentFileName);
    ClearFrameResults(*ResultData);
    ClearSpringSegmentCount();
    InvalidateLoadCache(*FrameData);
    rcBlock_.Clear();
    if (RcData) RcData->memberCount = 0;
    RefreshGrids();
    for (int i = 0; i < kGridCount; ++i) {
        TStringGrid& g = *Grids.grid[i];
        const bool enabled = g.Enabled();
        g.SetEnabled(false);
        g.SetRow(1);
        g.SetEnabled(enabled);
    }
    FitView();
    BtnPrint->SetEnabled(false);
}

void TFmMain::CalcExecClick(CalcSender sender) {
    // 1.-2. Banner, then the grids as the model, points in order.
    DrawCalculatingBanner();
    CommitGrids();
    SortViewPoints(*FrameData);
    RefreshGrids();
    // 3. Saved before the validation, so that a rejected model is not lost.
    if (AutoSave->Checked()) Save1Click();
    // 4.-5.
    ClearFrameResults(*ResultData);
    const std::string problems = CheckFrameData(*FrameData);
    if (!problems.empty()) {
        MessageDlg(problems, mtError, mbOK);
        return;
    }
    // 6. The engine works on a copy.
    const std::uint32_t t0 = GetTickCount();
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    CopyFrameModel(*copy, *FrameData);
    if (copy->rigidZoneSwitch == 0)
        for (int t = 1; t <= copy->memberCount && t <= kMaxMembers; ++t) copy->members[t].rigidI = copy->members[t].rigidJ = 0;
    // 8. The outside library only for its own button; every other sender
    // uses the program's own engine.
    const bool ok = sender == CalcSender::CalcSDK
                        ? CalculateWithExternalEngine(*ResultData, DataFolder + "SDK.$O1", *copy)
                        : RunFrameAnalysis(*ResultData, *copy, false, false, 20);
    copy.reset();
    if (!ok) {
        // No half-filled results are shown as if they were complete.
        ClearFrameResults(*ResultData);
        BtnPrint->SetEnabled(false);
        Paint1Paint();
        return;
    }
    SetResultPoints(*ResultData, *FrameData);
    // 10.-11.
    CurrentSelection.nodeI = CurrentSelection.nodeJ = 0;
    CurrentSelection.memberFirst = CurrentSelection.memberLast = 0;
    if (fgForceNon->Checked()) {
        // Results without a diagram would look like no results: show M.
        switchesByCode_ = true;
        fgForceMz->SetChecked(true);
        switchesByCode_ = false;
        DisplaySwitches = ReadDisplaySwitches(SwitchBoxes());
    }
    if (sender != CalcSender::CalcAuto) {
        Page1->SetActivePage(Tabs[kTabKumi]);
        TStringGrid& k1 = Grid(kSgKumi1);
        const bool enabled = k1.Enabled();
        k1.SetEnabled(false);
        k1.SetRow(std::max(1, std::min(k1.Row(), k1.RowCount() - 2)));
        k1.SetEnabled(enabled);
        CurrentSelection.loadCase = 0;
        RefreshGrids();
        // As a click on that row would: the combination's support and
        // spring cases become current, so the diagram is drawn with its
        // supports.
        StrGridClick(kSgKumi1);
    }
    // 12.
    Paint1Paint();
    DrawBanner(FormatStr("%0.3f秒"_sj.c_str(), (GetTickCount() - t0) * 0.001), Paint1->Width() - 80, 8);
    StatusText->SetCaption("");
    // 13. Ctrl held at the end: the member forces per combination.
    BtnPrint->SetEnabled(true);
    if (KeyIsHeld(VK_CONTROL)) CopyMemberForcesToClipboard(*ResultData, *FrameData);
    // 14. An open RC check window takes the new member forces.
    CallRefreshRcWindow();
}

namespace {

// Hides the RC members from the report for the time of one print and gives
// them back afterwards, whatever happens meanwhile.
class RcMembersHidden {
public:
    RcMembersHidden() : count_(RcData ? RcData->memberCount : 0) {
        if (RcData) RcData->memberCount = 0;
    }
    ~RcMembersHidden() {
        if (RcData) RcData->memberCount = count_;
    }
    RcMembersHidden(const RcMembersHidden&) = delete;
    RcMembersHidden& operator=(const RcMembersHidden&) = delete;

private:
    int count_;
};

}  // namespace

void TFmMain::BtnPrintClick() {
    PrepareMemberLoads(*FrameData);
    // The RC chapter is printed from the RC check window, not from here.
    RcMembersHidden hidden;
    ReportCoverLines.title = "フレーム構造解析計算書"_sj;
    ReportCoverLines.second.clear();
    ReportCoverLines.third = ChangeFileExt(ExtractFileName(CurrentFileName), "");
    ShowPrintPreview();
}

void TFmMain::btRCanalClick() {
    const bool rcMembers = RcData && RcData->memberCount > 0;
    if (rcMembers || ResultData->memberCount > 0) {
        CallShowRcWindow();
        return;
    }
    MessageDlg("先ず、[計算実行]ボタンでフレーム解析を実行して下さい！"_sj, mtError, mbOK);
}

void TFmMain::SpeedButton1Click() {
    if (!ShowReferenceWindow(*FrameData)) return;
    // The generated frame is a new model that has not been saved.
    ModifiedFlag = true;
    CurrentFileName = ExtractFilePath(CurrentFileName) + "新規1.$O1"_sj;
    SetCaptionFor(CurrentFileName);
    // Results and RC members of the old model do not fit the new one.
    DiscardResults();
    if (RcData) RcData->memberCount = 0;
    rcBlock_.Clear();
    FrameData->loadCases[1].loads[1].qI = 0;
    FrameData->loadCases[1].loads[1].qJ = 0;
    InvalidateLoadCache(*FrameData);
    RefreshGrids();
    FitView();
}

void TFmMain::MyHistoryClick() { ShowChangeHistory(); }
