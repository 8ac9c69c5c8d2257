// The file commands and the calculation command of the main window.
#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "app/reference_window.h"
#include "app/result_clipboard.h"
#include "app/small_windows.h"
#include "app/status_window.h"
#include "app/unopenable_file.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/progress.h"
#include "model/sdk_bridge.h"
#include "model/text_helpers.h"
#include "model/validation.h"
#include "platform/encoding.h"
#include "platform/file_replace.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rc_records.h"
#include "rccheck/ui/rc_window.h"
#include "report/print_preview.h"
#include "report/report_cover.h"

namespace {

const std::string& DataFileFilter() { return "フレーム構造計算ファイル($O1)|*.$O1"_sj; }
const char* const kDataExt = ".$O1";
// How long the status window stays after a calculation, ms.
constexpr int kStatusWindowLinger = 200;

bool IsDataFileName(const std::string& name) { return UpperCase(ExtractFileExt(name)) == kDataExt; }

// The frame sections end with an "END" line, which every save writes. A
// file without it was broken off (a copy cut short, a full disk) even when
// each table it still holds meets its count.
bool HasFrameSectionsEnd(const TStringList& lines) {
    bool frame = false;
    for (int i = 0; i < lines.Count(); ++i) {
        if (lines[i].compare(0, 5, "FRAME") == 0)
            frame = true;
        else if (frame && lines[i].compare(0, 3, "END") == 0)
            return true;
    }
    return false;
}

}  // namespace

void TFmMain::SetCaptionFor(const std::string& fileName) {
    SetCaption(TitleBase + " > " + fileName);
}

void TFmMain::DiscardResults() {
    BtnPrint->SetEnabled(false);
    ClearFrameResults(*ResultData);
    ClearSpringSegmentCount();
}

bool TFmMain::MayReplaceModel() {
    typingPause_.SetEnabled(false);
    if (!ModifiedFlag) return true;
    const int answer = MessageDlg("修正されています。保存しますか？"_sj, mtWarning, mbYesNoCancel);
    if (answer == mrYes) return Save1Click();  // on only when it was saved
    return answer == mrNo;
}

// A message about the file being loaded. At start-up the splash is still up
// and stays above every other window: it goes first, or the message would
// open hidden under it.
namespace {

void TellAboutLoad(bool& splashCutShort, const std::string& text, TMsgDlgType type, int buttons) {
    if (fmOpening && fmOpening->Visible()) {
        HideSplash();
        splashCutShort = true;
    }
    MessageDlg(text, type, buttons);
}

}  // namespace

bool TFmMain::LoadDataFile(FrameModel& model, const std::string& fileName) {
    if (const std::string why = CannotOpenReason(fileName); !why.empty()) {
        TellAboutLoad(splashCutShort_, why, mtError, mbOK);
        return false;
    }
    if (fileName.empty() || !FileExists(fileName)) return false;
    TStringList lines;
    if (!lines.LoadFromFile(fileName)) {
        TellAboutLoad(splashCutShort_, "読み込めません.\n"_sj + fileName, mtError, mbOK);
        return false;
    }
    // A file that is not a data file leaves the model and its file name as
    // they are: read, it would give an empty model that a save (or the
    // automatic save of a calculation) would then write over that file.
    if (!HasFrameIdentifier(lines)) {
        TellAboutLoad(splashCutShort_,
                      "FRAME 行がありません（計算条件ファイルではありません）.\n"_sj + fileName,
                      mtWarning, mbOK);
        return false;
    }
    std::string warnings;
    ReadFrameDataFile(model, lines, warnings);
    const std::string& cutShort = "ファイルが途中で終わっています"_sj;
    if (!HasFrameSectionsEnd(lines) && warnings.find(cutShort) == std::string::npos)
        warnings =
            cutShort +
            ": フレームデータの終わりの END 行がありません（読めた分だけを読み込みました）."_sj +
            "\n" + warnings;
    // The RC block follows the frame sections. Without the RC record (not
    // allocated) its lines are kept as they were read and written back on
    // save, so a file never loses its RC data.
    rcBlock_.Clear();
    if (RcData) {
        std::string rcWarnings;
        ReadRcCheckData(*RcData, model, lines, rcWarnings);
        warnings += rcWarnings;  // one message for the whole file
    } else {
        for (int i = FindRcBlockStart(lines); i < lines.Count(); ++i) rcBlock_.Add(lines[i]);
    }
    // Lengths, angles and the load sums under the load table are derived,
    // not read: without this they stay 0 until the next tab switch.
    PrepareMemberLoads(model);
    SetCaptionFor(fileName);
    // The results belong to the model before; printing waits for new ones.
    DiscardResults();
    InvalidateLoadCache(model);
    ModifiedFlag = false;
    readPartly_ = !warnings.empty();
    fileNamed_ = true;
    RefreshGrids();
    CopyFrameModel(*undo_, model);
    // Kept with its folder: a later start in another folder must open this
    // file, not one of the same name there.
    if (!CurrentFileName.empty())
        TIniFile(IniFilePath).WriteString("DO1", "FILE1", AbsoluteFileName(CurrentFileName));
    if (!warnings.empty()) TellAboutLoad(splashCutShort_, warnings, mtWarning, mbOK);
    return true;
}

int TFmMain::SaveDataFile(const std::string& fileName, const FrameModel& model) {
    // Replaced whole (a failed save never leaves the old file emptied),
    // through a symbolic link, with its permissions.
    if (const std::string why = ValuesTheFileCannotHold(model); !why.empty()) {
        MessageDlg(why, mtError, mbOK);
        return 0;
    }
    TStringList rcLines;
    if (RcData) WriteRcCheckData(rcLines, model, *RcData);
    if (!WriteFrameDataFile(fileName, model, RcData ? &rcLines : &rcBlock_)) {
        const std::string cause = LastWriteFailure(fileName);
        MessageDlg("保存できません.\n"_sj + fileName + (cause.empty() ? "" : "\n" + cause), mtError,
                   mbOK);
        return 0;
    }
    ModifiedFlag = false;
    return 1;
}

void TFmMain::OpenClick() {
    std::string name;
    if (!OpenDialogExecute(DataFileFilter(), CurrentFileName, name)) return;
    if (const std::string why = CannotOpenReason(name); !why.empty()) {
        MessageDlg(why, mtError, mbOK);
        return;
    }
    if (!FileExists(name) || !IsDataFileName(name)) return;
    if (!MayReplaceModel()) return;
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
    if (RcData && RcData->memberCount > 0) ShowRcWindow(*this);
}

void TFmMain::WMDropFiles(const std::vector<std::string>& names) {
    std::string refused;  // the first name that is there but no file
    bool loaded = false;
    for (const std::string& name : names) {
        if (const std::string why = CannotOpenReason(name); !why.empty()) {
            if (refused.empty()) refused = why;
            continue;
        }
        if (!FileExists(name) || !IsDataFileName(name)) continue;
        if (!MayReplaceModel()) return;  // Cancel keeps everything
        loaded = true;
        const std::string previous = CurrentFileName;
        CurrentFileName = name;
        if (!LoadDataFile(*FrameData, CurrentFileName)) {
            CurrentFileName = previous;
            continue;
        }
        Grid(kSgMember).SetRow(1);
        FitView();
        if (RcData && RcData->memberCount > 0) ShowRcWindow(*this);
        break;
    }
    if (!loaded && !refused.empty()) MessageDlg(refused, mtError, mbOK);
    if (CalcAuto->Checked()) CalcExecClick(CalcSender::CalcAuto);
}

void TFmMain::Label9DblClick() {
    if (FileExists(CurrentFileName) && !MayReplaceModel()) return;
    if (!LoadDataFile(*FrameData, CurrentFileName)) return;
    Grid(kSgMember).SetRow(1);
    FitView();
}

bool TFmMain::Save1Click() {
    typingPause_.SetEnabled(false);
    // A model without a file of its own (new, or its start-up file did not
    // load) is saved under a name the person chooses, never over the
    // proposed one unasked.
    if (!fileNamed_) return SaveAsClick();
    // What was typed into a cell without Enter is saved too.
    CommitGrids();
    RefreshGrids();
    if (readPartly_) {
        // Written over its file, the model would take with it every record
        // that could not be read; the safe choice is the default.
        const int answer = MessageDlg(
            "このモデルはファイルの一部しか読み込めていません。上書き保存すると、"_sj +
                "読み込めなかったデータはファイルから失われます。\n"_sj +
                "別の名前で保存しますか？\n（はい: 名前を付けて保存　いいえ: 上書き保存　キャンセル: 保存しない）"_sj,
            mtWarning, mbYesNoCancel, mbYes);
        if (answer == mrYes) return SaveAsClick();
        if (answer != mrNo) return false;
    }
    if (SaveDataFile(CurrentFileName, *FrameData) != 1) return false;
    readPartly_ = false;
    return true;
}

std::string TFmMain::NewFileProposal() const {
    const std::string folder =
        fileNamed_ && !CurrentFileName.empty() ? ExtractFilePath(CurrentFileName) : GetUserFolder();
    return folder + "新規1.$O1"_sj;
}

bool TFmMain::SaveAsClick() {
    typingPause_.SetEnabled(false);
    std::string chosen;
    const std::string start = CurrentFileName.empty() ? NewFileProposal() : CurrentFileName;
    if (!SaveDialogExecute(DataFileFilter(), start, chosen)) return false;
    const std::string name = ChangeFileExt(chosen, kDataExt);
    // The dialog asked about the name it was given; the file written is
    // the one with the data file's extension, which may be another one.
    if (name != chosen && FileExists(name) &&
        MessageDlg(name + " は既にあります。\n上書きしますか？"_sj, mtWarning, mbYes | mbNo,
                   mbNo) != mrYes)
        return false;
    CommitGrids();
    if (SaveDataFile(name, *FrameData) != 1) return false;
    CurrentFileName = name;
    LoadDataFile(*FrameData, CurrentFileName);
    return true;
}

void TFmMain::New1Click() {
    if (!MayReplaceModel()) return;
    NewFrameModel(*FrameData, 1);
    PrepareMemberLoads(*FrameData);
    readPartly_ = false;
    CurrentFileName = NewFileProposal();
    fileNamed_ = false;
    SetCaptionFor(CurrentFileName);
    DiscardResults();
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
}

void TFmMain::CalculateTypedText() {
    if (!CalcAuto->Checked() || !FrameData) return;
    // A number half typed ("-", "1e") is no number yet: 逐次計算 waits for
    // it, and Enter or leaving the cell says what is wrong.
    if (typedSinceCommit_ && editedGrid_ != kGridCount &&
        !RefusedCellText(editedGrid_, editedCol_, Grid(editedGrid_).Cells(editedCol_, editedRow_))
             .empty()) {
        DiscardResults();
        Paint1Paint();
        return;
    }
    calcFromTyping_ = true;
    CalcExecClick(CalcSender::CalcAuto);
    calcFromTyping_ = false;
}

void TFmMain::CalcExecClick(CalcSender sender) {
    // A calculation asked for now makes the one waiting for a pause in
    // typing needless.
    const bool typing = calcFromTyping_;
    calcFromTyping_ = false;
    typingPause_.SetEnabled(false);
    // 1.-2. Banner, then the grids as the model, points in order. While a
    // cell is being typed into, its text is taken as it stands, and the
    // grids keep it as typed: the cell is still being edited, and it is
    // committed (and saved) when it is left or Enter is pressed.
    DrawCalculatingBanner();
    if (typing) {
        Grids.CkGoiki = CkGoiki->Checked();
        const std::string overflow = GridsToModel(Grids, *FrameData, CurrentSelection);
        PrepareMemberLoads(*FrameData);
        if (!overflow.empty()) MessageDlg(overflow, mtError, mbOK);
        SortViewPoints(*FrameData);
    } else {
        CommitGrids();
        SortViewPoints(*FrameData);
        RefreshGrids();
    }
    // 3. Saved before the validation, so that a rejected model is not lost;
    // but a model not read whole is never written over its file unasked,
    // a model without a file of its own is never written over the name
    // proposed for it, and text still being typed is not saved. A model as
    // its file holds it (just opened, or saved since) is not written again:
    // opening a file never rewrites it.
    std::string notSaved;
    if (AutoSave->Checked() && !typing) {
        if (readPartly_)
            notSaved = "自動保存しませんでした（ファイルの一部しか読み込めていないモデルです）."_sj;
        else if (!fileNamed_)
            notSaved =
                "自動保存しませんでした（ファイル名がありません。[保存]で名前を付けてください）."_sj;
        else if (ModifiedFlag)
            Save1Click();
    }
    // 4.-5.
    DiscardResults();
    const std::string problems = CheckFrameData(*FrameData);
    if (!problems.empty()) {
        StatusText->SetCaption(notSaved);
        MessageDlg(problems, mtError, mbOK);
        return;
    }
    // 6. The engine works on a copy.
    const std::uint32_t t0 = GetTickCount();
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    CopyFrameModel(*copy, *FrameData);
    if (copy->rigidZoneSwitch == 0)
        for (int t = 1; t <= copy->memberCount && t <= kMaxMembers; ++t)
            copy->members[t].rigidI = copy->members[t].rigidJ = 0;
    // 7.-8. The status window over this one. The outside library only for
    // its own button (it shows the status window itself); every other
    // sender uses the program's own engine, and shows the window unless the
    // calculation follows each key press. The engine's messages wait until
    // the calculation is over: the time shown is the calculation's, not
    // that of a message box waiting for OK.
    FmExtSDK->PlaceOver(*this);
    if (sender != CalcSender::CalcSDK && sender != CalcSender::CalcAuto) FmExtSDK->ShowNow();
    // (The outside library's errors are shown as they come, over its own
    // status window, which names the step that failed.)
    std::string engineMessages;
    const bool own = sender != CalcSender::CalcSDK;
    if (own)
        SetEngineMessageSink([&engineMessages](const std::string& text) {
            engineMessages += text;
            if (!text.empty() && text.back() != '\n') engineMessages += '\n';
        });
    AnalysisReport report;
    bool ok = sender == CalcSender::CalcSDK
                  ? CalculateWithExternalEngine(*ResultData, DataFolder + "SDK.$O1", *copy)
                  : RunFrameAnalysis(*ResultData, *copy, false, false, 20, &report);
    copy.reset();
    if (ok) SetResultPoints(*ResultData, *FrameData);
    const double seconds = (GetTickCount() - t0) * 0.001;
    if (own) SetEngineMessageSink([](const std::string& text) { MessageDlg(text, mtError, mbOK); });
    // A load case without a solution (a mechanism) or with numbers that are
    // no numbers leaves the analysis incomplete: none of it is shown,
    // printed or copied as results.
    if (!report.caseWarnings.empty()) ok = false;
    engineMessages += report.caseWarnings;
    if (!ok) {
        HideForm(*FmExtSDK);
        // No half-filled results are shown as if they were complete.
        ClearFrameResults(*ResultData);
        BtnPrint->SetEnabled(false);
        Paint1Paint();
        StatusText->SetCaption(notSaved);
        if (!engineMessages.empty()) MessageDlg(engineMessages, mtError, mbOK);
        RefreshRcWindowAfterCalculation();
        return;
    }
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
    calcTimeText_ = FormatStr("%0.3f秒"_sj.c_str(), seconds);
    DrawBanner(calcTimeText_, Paint1->Width() - 80, 8);
    StatusText->SetCaption(notSaved);
    // 13. Ctrl held at the end: the member forces per combination.
    BtnPrint->SetEnabled(true);
    if (KeyIsHeld(VK_CONTROL)) CopyMemberForcesToClipboard(*ResultData, *FrameData);
    // 14. The last progress text stays readable for a moment.
    if (FmExtSDK->Visible()) {
        WaitPainting(kStatusWindowLinger);
        HideForm(*FmExtSDK);
    }
    // What the engine had to say about a complete analysis (a fallback of
    // the expansion), now that its time has been taken.
    if (!engineMessages.empty()) MessageDlg(engineMessages, mtError, mbOK);
    // An open RC check window takes the new member forces.
    RefreshRcWindowAfterCalculation();
}

void TFmMain::BtnPrintClick() {
    // The report is made of results: without them the preview would be empty.
    if (ResultData->memberCount <= 0) return;
    PrepareMemberLoads(*FrameData);
    // The RC chapter is printed from the RC check window, not from here.
    ReportChapters.results = true;
    ReportChapters.rcCheck = false;
    ReportCoverLines.title = "フレーム構造解析計算書"_sj;
    ReportCoverLines.second.clear();
    ReportCoverLines.third = ChangeFileExt(ExtractFileName(CurrentFileName), "");
    ShowPrintPreview();
}

void TFmMain::btRCanalClick() {
    const bool rcMembers = RcData && RcData->memberCount > 0;
    if (rcMembers || ResultData->memberCount > 0) {
        ShowRcWindow(*this);
        return;
    }
    MessageDlg("先ず、[計算実行]ボタンでフレーム解析を実行して下さい！"_sj, mtError, mbOK);
}

void TFmMain::SpeedButton1Click() {
    // The drawing's frame replaces the model.
    if (!MayReplaceModel()) return;
    if (!ShowReferenceWindow(*FrameData)) return;
    // The generated frame is a new model that has not been saved.
    ModifiedFlag = true;
    readPartly_ = false;
    CurrentFileName = NewFileProposal();
    fileNamed_ = false;
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

void TFmMain::ShowText(const std::string& text) { ShowChangeHistory(text); }

void TFmMain::Button1Click() { ShowBusyFigure(); }
