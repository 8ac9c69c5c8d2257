// The calculation status window.
#include "app/status_window.h"

#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"

TFmExtSDK* FmExtSDK = nullptr;
TPanel* StatusPanel = nullptr;

TFmExtSDK::TFmExtSDK() {
    SetFormBorderless(*this, true);
    // The person keeps working in the main window while it shows.
    SetFormShownWithoutFocus(*this);
    SetFormClientSize(*this, kClientWidth, kClientHeight);
    Msg = MakeControl<TPanel>(this);
    Msg->SetAlign(alClient);
    Msg->SetColor(kMsgColour);
    Msg->SetBevels(bvRaised, bvLowered, kBevelWidth);
    Msg->SetFontHeight(18);
    lbVersion = MakeControl<TLabel>(Msg, "");
    lbVersion->SetBounds(11, 9, kClientWidth - 22, 16);
    lbVersion->SetFontColor(0xFF0000);
    Realign();
    CenterOnScreen();
}

void TFmExtSDK::PlaceOver(const TForm& main) {
    // Integer division as the window's own arithmetic does it.
    const int top = (main.Height() - Height()) / 3 + main.Top();
    const int left = (main.Width() - Width()) / 2 + main.Left();
    SetBounds(left, top, Width(), Height());
}

void TFmExtSDK::ShowNow() { ShowFormAndPaintNow(*this); }

void ShowStatusText(const std::string& text) {
    if (!StatusPanel) return;
    StatusPanel->SetCaption(text);
    StatusPanel->Repaint();
    // The engine yields here between load cases: the window system's
    // requests to paint are answered, nothing else runs.
    ProcessPendingPaints();
}
