// Message boxes, file dialogs, clipboard, key state and the application
// object, in the manner of the class library. Texts are CP932. Every
// function that would wait for a person has a hook, so that tests (and an
// offscreen run) answer instead.
#pragma once
#include <functional>
#include <string>

// Message box kinds and buttons (the class library's values).
enum TMsgDlgType : int { mtWarning = 0, mtError, mtInformation, mtConfirmation, mtCustom };
constexpr int mbYes = 1;
constexpr int mbNo = 2;
constexpr int mbOK = 4;
constexpr int mbCancel = 8;
constexpr int mbYesNoCancel = mbYes | mbNo | mbCancel;
// Results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

// Shows a box and returns the button pressed (mrCancel when the box was
// closed without a button). defaultButton (one of the mb values, 0 = the
// box's own choice) is the one Enter presses.
int MessageDlg(const std::string& text, TMsgDlgType type, int buttons, int defaultButton = 0);
// A plain notice with an OK button.
void ShowMessage(const std::string& text);
// Answers every box instead of a person; the hook receives the text, kind
// and buttons. An empty function restores the real boxes.
using MessageDlgHook = std::function<int(const std::string& text, TMsgDlgType type, int buttons)>;
void SetMessageDlgHook(MessageDlgHook hook);

// Open and save dialogs. filter is "caption|*.ext" (CP932). Returns false
// when the person cancelled; name receives the chosen file (CP932).
bool OpenDialogExecute(const std::string& filter, const std::string& initialName,
                       std::string& name);
bool SaveDialogExecute(const std::string& filter, const std::string& initialName,
                       std::string& name);
// Answers the file dialogs: save is true for the save dialog; return false
// for a cancel.
using FileDialogHook =
    std::function<bool(bool save, const std::string& initialName, std::string& name)>;
void SetFileDialogHook(FileDialogHook hook);

void ClipboardSetText(const std::string& text);
std::string ClipboardText();

// Virtual key codes used by the program.
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_F9 = 0x78;
// True while the key is held down (Ctrl and Shift from the keyboard
// modifiers, other keys from the key events the application has seen).
bool KeyIsHeld(int virtualKey);
// True once after Shift was pressed and let go on its own: no other key,
// mouse button or wheel turn while it was down (Shift+Enter or Shift with
// the wheel is another command). Watching starts with the first call.
bool TakeShiftTap();
using KeyStateHook = std::function<bool(int virtualKey)>;
void SetKeyStateHook(KeyStateHook hook);

// False when no window can be shown: no display server is named (DISPLAY,
// WAYLAND_DISPLAY) and no platform without one (QT_QPA_PLATFORM=offscreen
// and the like) is chosen. Creating the application object then would end
// the process.
bool DisplayAvailable();
// Creates the application object when there is none (keeping numbers in
// the "C" locale) and gives the toolkit's own dialogs (file dialogs, the
// buttons of message boxes, the print dialog) their Japanese texts; returns
// true; runs the message loop and returns its exit code.
bool StartApplication(int& argc, char** argv);
// Loads the toolkit's Japanese translation of its dialogs (once); false
// when the translation is not installed.
bool LoadJapaneseDialogTexts();
int RunApplication();
void ProcessMessages();
// Lets the windows repaint while a person's input and the timers wait
// until the program is free again.
void ProcessPendingPaints();
int ScreenWidth();
int ScreenHeight();
// Opens a document or address with the desktop's program; false on failure.
bool OpenDocument(const std::string& fileOrUrl);
