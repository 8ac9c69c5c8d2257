// Entry points of windows whose library sits above app/ (the RC check
// window uses the main window's grids and figure units, so app/ cannot link
// it). The program sets them at start-up; unset ones do nothing, which is
// also what the main window's tests see.
#pragma once
#include <functional>
#include <string>

struct WindowHooksData {
    // Shows the RC check window and refreshes it from the model and results.
    std::function<void()> showRcWindow;
    // After a calculation: refreshes the RC check window when it is showing.
    std::function<void()> refreshRcWindow;
    // A click in the combination or member grid: the RC window follows it
    // (combination row, member row; both data rows).
    std::function<void(int combinationRow, int memberRow)> selectRcMember;
    // True while the RC check window is on screen: the model may not be
    // edited then, since that window works on the model as it stands.
    std::function<bool()> rcWindowVisible;
};
extern WindowHooksData WindowHooks;

// Calls the hook when it is set.
void CallShowRcWindow();
void CallRefreshRcWindow();
void CallSelectRcMember(int combinationRow, int memberRow);
// False when the hook is not set.
bool RcWindowVisible();

// A small modal box: caption, prompt and an edit starting with `value`.
// True, with `value` the typed text, when closed with OK.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
