// The calculation status window: a borderless strip kept above the other
// windows, whose panel `Msg` shows the progress texts of every calculation
// run from the main window (the program's own engine and the outside
// library alike), with the program's title and version date in its corner.
// The batch run has no windows: its progress goes to stderr.
#pragma once
#include <string>

#include "platform/qt/controls.h"

class TFmExtSDK : public TForm {
  public:
    TFmExtSDK();
    // Client area of the window, pixels.
    static constexpr int kClientWidth = 814;
    static constexpr int kClientHeight = 94;
    static constexpr int kBevelWidth = 3;
    // RGB(251, 219, 162), as 0x00BBGGRR.
    static constexpr std::uint32_t kMsgColour = 0xA2DBFB;

    // Over the main window: a third of the way down, centred across.
    void PlaceOver(const TForm& main);
    // Shows it and paints it at once (the calculation that follows blocks
    // the message loop).
    void ShowNow();

    TPanel* Msg = nullptr;
    TLabel* lbVersion = nullptr;
};
extern TFmExtSDK* FmExtSDK;

// The panel the progress texts are written into; null until the status
// window exists.
extern TPanel* StatusPanel;

// Writes a progress text into StatusPanel and repaints it at once.
void ShowStatusText(const std::string& text);
