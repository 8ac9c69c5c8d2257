// More class-library controls: an owner-drawn list box, a scroll bar, the
// print dialog, the wait cursor, and hooks for the wheel and resize events
// of any control (the edit and image are in memo.h). Texts are CP932; no Qt
// type is named here.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/bitmap.h"
#include "platform/qt/canvas.h"
#include "platform/qt/controls.h"

class TPrinter;

// A list of text rows, each with a number kept beside it, drawn row by row
// by the owner. Setting ItemIndex from code does not fire OnClick; a
// person's selection (mouse or keys) does, as in the class library.
class TListBox : public TControl {
  public:
    explicit TListBox(TWinControl* parent);
    ~TListBox() override;

    void Clear();
    void AddItem(const std::string& text, double data = 0.0);
    int Count() const { return static_cast<int>(items_.size()); }
    // Empty text and 0 outside the list.
    const std::string& Item(int index) const;
    double ItemData(int index) const;

    // -1 for no selection; out-of-range values select nothing.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int TopIndex() const;
    void SetTopIndex(int index);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // The font the rows are drawn with (the canvas handed to OnDrawItem).
    void SetFont(const TFontSpec& font);
    const TFontSpec& Font() const { return font_; }
    // Asks every row to be drawn again.
    void RepaintItems();
    // Selects a row as a person's click would and fires OnClick.
    void ClickItem(int index);
    // Draws row `index` through OnDrawItem onto a bitmap of the row's size.
    void DrawItemTo(int index, TBitmap& target, bool selected);

    std::function<void()> OnClick;
    std::function<void(int index, TCanvas& canvas, const TRect& rect, bool selected)> OnDrawItem;

    struct Impl;

  private:
    std::vector<std::string> items_;
    std::vector<double> data_;
    int itemHeight_ = 14;
    TFontSpec font_;
};

// A scroll bar. Position stays within Min .. Max; a change of position,
// whether by a person or by code (also when Max cuts it), fires OnChange.
class TScrollBar : public TControl {
  public:
    TScrollBar(TWinControl* parent, bool vertical = true);
    int Position() const;
    void SetPosition(int position);
    int Min() const;
    int Max() const;
    void SetMin(int value);
    void SetMax(int value);
    int LargeChange() const;
    void SetLargeChange(int value);
    void SetSmallChange(int value);
    std::function<void()> OnChange;
};

// The print dialog: lets a person choose the printer (or a file) for the
// printer object. False when cancelled.
bool PrintDialogExecute(TPrinter& printer);
// Answers the print dialog instead of a person (tests choose a PDF file
// here); an empty function restores the real dialog.
using PrintDialogHook = std::function<bool(TPrinter& printer)>;
void SetPrintDialogHook(PrintDialogHook hook);

// The hourglass cursor while an object of this class lives.
class TWaitCursor {
  public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Calls handler(delta) for a wheel turned over the control (delta > 0 away
// from the person, in the class library's units of 120 a notch); the
// control does not scroll by itself then.
void SetWheelHandler(TControl& control, std::function<void(int delta)> handler);
// Calls handler after every change of the control's size.
void SetResizeHandler(TControl& control, std::function<void()> handler);
