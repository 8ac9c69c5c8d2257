#include "app/window_hooks.h"

#include "platform/qt/controls.h"
#include "platform/qt/memo.h"
#include "platform/sjis_literal.h"

WindowHooksData WindowHooks;

void CallShowRcWindow() {
    if (WindowHooks.showRcWindow) WindowHooks.showRcWindow();
}

void CallRefreshRcWindow() {
    if (WindowHooks.refreshRcWindow) WindowHooks.refreshRcWindow();
}

void CallSelectRcMember(int combinationRow, int memberRow) {
    if (WindowHooks.selectRcMember) WindowHooks.selectRcMember(combinationRow, memberRow);
}

bool RcWindowVisible() { return WindowHooks.rcWindowVisible && WindowHooks.rcWindowVisible(); }

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    TForm box;
    box.SetCaption(caption);
    SetFormDialogBorder(box);
    SetFormClientSize(box, 300, 110);
    box.CenterOnScreen();
    TLabel label(&box, prompt);
    label.SetBounds(12, 10, 276, 18);
    TEdit edit(&box, value);
    edit.SetBounds(12, 32, 276, 24);
    TButton ok(&box, "OK");
    ok.SetBounds(116, 70, 80, 28);
    TButton cancel(&box, "ｷｬﾝｾﾙ"_sj);
    cancel.SetBounds(208, 70, 80, 28);
    bool accepted = false;
    ok.OnClick = [&] {
        accepted = true;
        box.Close();
    };
    edit.OnEnterKey = ok.OnClick;
    cancel.OnClick = [&] { box.Close(); };
    ShowFormModal(box);
    if (accepted) value = edit.Text();
    return accepted;
}
