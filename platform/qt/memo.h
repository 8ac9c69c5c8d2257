// Further class-library stand-ins for the small windows: a memo, a radio
// group, an edit box, an image, and modal or borderless forms. Texts are
// CP932. No Qt header is included.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/controls.h"

class TBitmap;

// A multi-line text box with a vertical scroll bar.
class TMemo : public TControl {
  public:
    explicit TMemo(TWinControl* parent);
    // Lines separated by "\n" (a CR before it is dropped).
    void SetText(const std::string& text);
    std::string Text() const;
    int LineCount() const;
    void SetReadOnly(bool readOnly);
    // Background colour 0x00BBGGRR of the text area.
    void SetColor(std::uint32_t colour);
    // face is a CP932 face name such as 「ＭＳ ゴシック」; height in pixels.
    void SetFont(const std::string& face, int heightPx);
    void ScrollToTop();
};

// A framed group of radio buttons in columns; ItemIndex is 0-based, -1 none.
class TRadioGroup : public TControl {
  public:
    TRadioGroup(TWinControl* parent, const std::string& caption,
                const std::vector<std::string>& items, int columns);
    int ItemIndex() const;
    // Choosing another item fires OnClick, as a click on it would.
    void SetItemIndex(int index);
    int ItemCount() const { return count_; }
    std::function<void()> OnClick;

  private:
    int count_ = 0;
};

// A one-line edit box. Tag is free for the program (a format code).
class TEdit : public TControl {
  public:
    TEdit(TWinControl* parent, const std::string& text);
    void SetText(const std::string& text);
    std::string Text() const;
    int Tag = 0;
    // Focus leaves the box.
    std::function<void()> OnExit;
    // Enter was pressed in the box.
    std::function<void()> OnEnterKey;
};

// A picture shown at its own size; the picture is drawn on freely and shown
// on the next paint.
class TImage : public TControl {
  public:
    explicit TImage(TWinControl* parent);
    ~TImage() override;
    TBitmap& Picture() { return *picture_; }
    // Resizes the control to the picture.
    void AutoSizeToPicture();
    std::function<void()> OnClick;

  private:
    std::unique_ptr<TBitmap> picture_;
};

// Border and layer of a form: borderless, kept above the other windows.
void SetFormBorderless(TForm& form, bool stayOnTop);
// The form appears without taking the focus from the window in use (a
// status window over the main window).
void SetFormShownWithoutFocus(TForm& form);
// Makes the form a dialog (fixed border, no minimise or maximise).
void SetFormDialogBorder(TForm& form);
void SetFormClientSize(TForm& form, int width, int height);
bool FormIsShowing(TForm& form);
void HideForm(TForm& form);
// Shows the form and returns once the window system has put it on the
// screen and it is painted there (at most about half a second), for a form
// shown just before work that keeps the message loop from running. Only
// paints and the window system's own events are handled meanwhile.
void ShowFormAndPaintNow(TForm& form);
// Waits `ms` milliseconds while windows keep being painted (no input, no
// timers).
void WaitPainting(int ms);
// Brings the application and the form to the front.
void BringFormToFront(TForm& form);

// Shows the form modally and returns when it is hidden or closed; the
// caller keeps its modal result. A hook set for tests runs instead of the
// wait (the form is shown first and hidden afterwards).
void ShowFormModal(TForm& form);
using ModalFormHook = std::function<void(TForm& form)>;
void SetModalFormHook(ModalFormHook hook);

// A small modal box: caption, prompt and an edit starting with `value`.
// True, with `value` the typed text, when closed with OK (or Enter in the
// edit).
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
