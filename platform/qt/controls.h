// The window components of the program in the manner of the class library:
// controls placed by bounds or by alignment inside a parent, with events as
// std::function members. Captions are CP932. No Qt header is included; the
// widgets behind the controls live in controls.cpp.
//
// Ownership: a form owns its controls. Every control of a window is made
// with the form's MakeControl and lives until the form goes; a parent's
// list of children only places them and owns nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QObject;
class QWidget;
class TBitmap;
class TCanvas;
class TWinControl;

// How a control fills its parent, in the order the parent's children were
// created: top and bottom bars first take their height, left and right
// bars their width, the client control the rest.
enum TAlign : int { alNone = 0, alTop, alBottom, alLeft, alRight, alClient };

class TControl {
  public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    void SetBounds(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    void SetAlign(TAlign align);
    TAlign Align() const { return align_; }
    void SetVisible(bool visible);
    bool Visible() const;
    // A control disabled while it holds the keyboard focus keeps the focus
    // (the class library's controls do; Qt would hand it to the next
    // widget) and ignores keys and clicks until it is enabled again. Code
    // disables a grid for a moment around a change of its current row.
    void SetEnabled(bool enabled);
    bool Enabled() const;
    // Background colour 0x00BBGGRR of the control.
    void SetColor(std::uint32_t colour);
    void SetFocus();
    void Repaint();
    TWinControl* Parent() const { return parent_; }

    QWidget* Widget() const { return widget_; }

  protected:
    TControl() = default;
    // Takes the widget and places it in the parent (may be null).
    void Attach(QWidget* widget, TWinControl* parent);

  private:
    friend class TWinControl;
    QWidget* widget_ = nullptr;
    TWinControl* parent_ = nullptr;
    TAlign align_ = alNone;
    QObject* inputBlocker_ = nullptr;  // while disabled with the focus kept
};

// A control that holds others (it does not own them: see TForm).
class TWinControl : public TControl {
  public:
    // Children that outlive it are left without a parent.
    ~TWinControl() override;
    // Arranges the aligned children (called on every resize).
    void Realign();
    const std::vector<TControl*>& Children() const { return children_; }
    // After every change of size, once the children are arranged.
    std::function<void()> OnResize;

  protected:
    TWinControl() = default;

  private:
    friend class TControl;
    std::vector<TControl*> children_;
};

// Bevel edges of a panel, as the class library draws them.
enum TBevelCut : int { bvNone = 0, bvLowered, bvRaised };

class TPanel : public TWinControl {
  public:
    // A caption given here is a group title at the top left.
    explicit TPanel(TWinControl* parent, const std::string& caption = "");
    // The panel's own text, drawn centred inside the bevels (one line).
    void SetCaption(const std::string& caption);
    const std::string& Caption() const { return caption_; }
    void SetFontColor(std::uint32_t colour);
    void SetFontHeight(int pixels);
    // Outer and inner bevel, each `width` pixels wide, inside the edge.
    void SetBevels(TBevelCut outer, TBevelCut inner, int width);

  private:
    std::string caption_;
};

class TLabel : public TControl {
  public:
    TLabel(TWinControl* parent, const std::string& caption);
    void SetCaption(const std::string& caption);
    const std::string& Caption() const { return caption_; }
    void SetFontColor(std::uint32_t colour);
    void SetFontHeight(int pixels);
    // The text from the top left corner instead of centred on the height
    // (a block of notes in a tall label).
    void SetLayoutTop();
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

  private:
    std::string caption_;
};

// Push button and speed button alike.
class TButton : public TControl {
  public:
    TButton(TWinControl* parent, const std::string& caption);
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Runs OnClick as a press of the button would (when enabled).
    void Click();
    std::function<void()> OnClick;
};

class TCheckBox : public TControl {
  public:
    TCheckBox(TWinControl* parent, const std::string& caption, bool checked = false);
    bool Checked() const;
    // Setting a different state fires OnClick, as in the class library.
    void SetChecked(bool checked);
    std::function<void()> OnClick;
};

// One of a group of exclusive choices: the radio buttons placed in the
// same parent form a group, checking one unchecks the others.
class TRadioButton : public TControl {
  public:
    TRadioButton(TWinControl* parent, const std::string& caption, bool checked = false);
    bool Checked() const;
    // Checking fires OnClick (unchecking a button by checking another does
    // not), as in the class library.
    void SetChecked(bool checked);
    std::function<void()> OnClick;
};

class TTabSheet : public TWinControl {
  public:
    std::function<void()> OnShow;
    int PageIndex() const { return index_; }

  private:
    friend class TPageControl;
    TTabSheet() = default;
    int index_ = 0;
};

class TPageControl : public TWinControl {
  public:
    explicit TPageControl(TWinControl* parent);
    ~TPageControl() override;
    TTabSheet* AddSheet(const std::string& caption);
    void SetTabVisible(TTabSheet* sheet, bool visible);
    TTabSheet* ActivePage() const;
    // Showing a sheet fires its OnShow, whether the user or code switched.
    void SetActivePage(TTabSheet* sheet);

  private:
    std::vector<std::unique_ptr<TTabSheet>> sheets_;
};

enum TMouseButton : int { mbLeft = 0, mbRight, mbMiddle };

// A drawing surface: drawings go to a backing bitmap that is shown on the
// next paint; OnPaint runs when the surface must be redrawn whole (first
// show, resize).
class TPaintBox : public TControl {
  public:
    explicit TPaintBox(TWinControl* parent);
    ~TPaintBox() override;
    TCanvas& Canvas();
    TBitmap& Bitmap() { return *bitmap_; }
    std::function<void()> OnPaint;
    // Mouse events in the surface's pixels. Moves are reported with and
    // without a button held (mouse tracking is on); wheel delta is in
    // eighths of a degree (120 per notch, positive away from the user).
    std::function<void(TMouseButton button, int x, int y)> OnMouseDown;
    std::function<void(int x, int y, bool leftHeld)> OnMouseMove;
    std::function<void(TMouseButton button, int x, int y)> OnMouseUp;
    std::function<void()> OnDblClick;
    std::function<void(int delta, bool shift)> OnMouseWheel;

  private:
    std::unique_ptr<TBitmap> bitmap_;
};

class TForm : public TWinControl {
  public:
    TForm();
    // Destroys the form's controls, the last made first, so that children
    // go before the panels that hold them.
    ~TForm() override;
    // Makes a control that this form owns (the arguments are the control's
    // own: its parent, which is this form or one of its controls, and the
    // rest) and returns it; it lives as long as the form.
    template <class T, class... A>
    T* MakeControl(A&&... args) {
        auto control = std::make_unique<T>(std::forward<A>(args)...);
        T* raw = control.get();
        controls_.push_back(std::move(control));
        return raw;
    }
    void SetCaption(const std::string& caption);
    std::string Caption() const;
    void SetMinSize(int width, int height);
    void CenterOnScreen();
    // Centres the form's frame on another form's frame, kept within the
    // screen that form is on.
    void CenterOn(const TForm& other);
    void Show();
    // Asks OnCloseQuery; closes when allowed. True when the form closed.
    bool Close();
    // Files dropped on the form: names CP932, in the order dropped.
    std::function<void(const std::vector<std::string>& names)> OnDropFiles;
    std::function<void(bool& canClose)> OnCloseQuery;
    std::function<void()> OnShow;

  private:
    std::vector<std::unique_ptr<TControl>> controls_;
};

class TTimer {
  public:
    TTimer();
    ~TTimer();
    void SetInterval(int ms);
    void SetEnabled(bool enabled);
    bool Enabled() const;
    std::function<void()> OnTimer;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class TPopupMenu {
  public:
    TPopupMenu();
    ~TPopupMenu();
    // Adds an item; "-" adds a separator. Returns the item's index.
    int AddItem(const std::string& caption, std::function<void()> onClick);
    void SetItemEnabled(int index, bool enabled);
    // Shows the menu at screen coordinates.
    void Popup(int x, int y);
    // Shows it under a control.
    void PopupUnder(TControl& control);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
