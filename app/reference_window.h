// The reference-drawing window: DXF and Korvo (".KRV") drawings dropped on
// it are shown; choosing a pen builds nodes and members from the crossings
// of that pen's lines, and OK puts them into the model.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/reference_import.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/controls.h"
#include "report/graphics.h"

class TRadioGroup;
struct FrameModel;

class TfmRefDXF : public TForm {
  public:
    TfmRefDXF();
    ~TfmRefDXF() override;

    // Shows the window modally for `model`; returns mrOk when the model got
    // the generated nodes and members, else mrCancel.
    int ShowModal(FrameModel& model);

    // --- handlers ---
    void FormCreate();
    // Files dropped (CP932 names, in order): each existing ".DXF" / ".KRV"
    // replaces the drawing; the frame is rebuilt with the chosen pen.
    void WMDropFiles(const std::vector<std::string>& names);
    void FitDrawing();
    // Paints the drawing into the window's bitmap; refit first when asked.
    void DrawReference(bool refit);
    void Paint1Paint();
    void Paint1DblClick();
    void Paint1MouseDown(int x, int y);
    void Paint1MouseMove(int x, int y, bool leftHeld);
    // delta > 0: wheel forwards (zoom in).
    void FormMouseWheel(int delta);
    void PenSelectClick();
    void BitBtnOKClick();
    void BitBtn1Click();
    void FormClose();

    // --- state, for the main window and tests ---
    const RefLineList& Lines() const { return *lines_; }
    const FrameModel& Generated() const { return *frame_; }
    // The chosen pen, 1..8.
    int ChosenPen() const;
    int ModalResult = 0;
    TBitmap& Picture() { return bitmap_; }
    const GraphicsState& ViewState() const { return state_; }

    // Components.
    TPanel* PanelSide = nullptr;
    TPanel* PanelHint = nullptr;
    TPanel* Panel1 = nullptr;
    TPaintBox* Paint1 = nullptr;
    TRadioGroup* RgPenNo = nullptr;
    TButton* BitBtnOK = nullptr;
    TButton* BitBtn1 = nullptr;

  private:
    void BuildComponents();
    void Repaint();

    std::unique_ptr<RefLineList> lines_;
    std::unique_ptr<FrameModel> frame_;
    DrawingExtents extents_;
    TBitmap bitmap_;
    GraphicsState state_;  // this window's own view
    FrameModel* target_ = nullptr;
    int lastX_ = 0, lastY_ = 0;
};

extern TfmRefDXF* fmRefDXF;

// Creates the window on first use and returns it.
TfmRefDXF& ReferenceWindow();
// The 「図面参照」 command: true when the model received generated nodes and
// members (the caller then treats it as a new unsaved model).
bool ShowReferenceWindow(FrameModel& model);
