#include "app/reference_window.h"

#include <algorithm>
#include <cmath>

#include "app/figure_structure.h"
#include "app/figure_view.h"
#include "app/unopenable_file.h"
#include "model/frame_model.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/memo.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/page_pool.h"
#include "report/text_draw.h"

TfmRefDXF* fmRefDXF = nullptr;

namespace {

constexpr std::uint32_t kChosenPenColour = 0x0000FF;  // red
constexpr std::uint32_t kOtherPenColour = 0x808080;
constexpr std::uint32_t kGeneratedColour = 0x00FFFF;  // yellow

// The window draws through the one global graphics state; the caller's
// state (the main figure's) is put back when the window is done.
class KeepCallerGraphics {
  public:
    KeepCallerGraphics() { G_SaveState(saved_); }
    ~KeepCallerGraphics() { G_RestoreState(saved_); }

  private:
    GraphicsState saved_;
};

}  // namespace

TfmRefDXF::TfmRefDXF()
    : lines_(std::make_unique<RefLineList>()),
      frame_(NewFrameModelRecord()),
      bitmap_(std::max(1920, ScreenWidth()), std::max(1080, ScreenHeight())) {
    {
        KeepCallerGraphics keep;
        G_SetDevice(&bitmap_, 0, 99, 99, 0);
        G_SaveState(state_);
    }
    SetCaption("DXF参照、格点データ・部材データの作成"_sj);
    SetBounds(100, 60, 1000, 680);
    BuildComponents();
    FormCreate();
}

TfmRefDXF::~TfmRefDXF() {
    if (fmRefDXF == this) fmRefDXF = nullptr;
}

void TfmRefDXF::BuildComponents() {
    PanelSide = MakeControl<TPanel>(this);
    PanelSide->SetWidth(210);
    PanelSide->SetAlign(alRight);
    PanelHint = MakeControl<TPanel>(this);
    PanelHint->SetHeight(24);
    PanelHint->SetAlign(alBottom);
    MakeControl<TLabel>(PanelHint, "ドラッグで移動、ｺﾛｺﾛで拡大/縮小、ﾀﾞﾌﾞﾙｸﾘｯｸで全体表示"_sj);
    Panel1 = MakeControl<TPanel>(this);

    auto* title = MakeControl<TLabel>(PanelSide, "格点ﾃﾞｰﾀ・部材ﾃﾞｰﾀの作成"_sj);
    title->SetBounds(8, 8, 196, 20);
    std::vector<std::string> pens;
    for (int i = 1; i <= 8; ++i) pens.push_back(std::to_string(i));
    RgPenNo = MakeControl<TRadioGroup>(PanelSide, "着目ペン番号"_sj, pens, 4);
    RgPenNo->SetBounds(8, 36, 196, 70);
    RgPenNo->SetItemIndex(0);
    RgPenNo->OnClick = [this] { PenSelectClick(); };
    const std::string notes[3] = {
        "DXFファイルはVer1など初期\nのバージョンのものを入力し\nて下さい。"_sj,
        "DXF,KRVの図面で任意ペン番号\nで書かれた直線の交点を格点と\nして抽出します。"_sj,
        "KRVファイルとは\n弊社フリーソフト２次元CAD\n「Korvo」のファイルです。"_sj,
    };
    for (int i = 0; i < 3; ++i) {
        auto* note = MakeControl<TLabel>(PanelSide, notes[i]);
        note->SetBounds(8, 120 + i * 64, 196, 56);
    }
    BitBtnOK = MakeControl<TButton>(PanelSide, "摘 要"_sj);
    BitBtnOK->SetBounds(8, 330, 94, 32);
    BitBtnOK->OnClick = [this] { BitBtnOKClick(); };
    BitBtn1 = MakeControl<TButton>(PanelSide, "ｷｬﾝｾﾙ"_sj);
    BitBtn1->SetBounds(110, 330, 94, 32);
    BitBtn1->OnClick = [this] { BitBtn1Click(); };
}

void TfmRefDXF::FormCreate() {
    Panel1->SetAlign(alClient);
    Paint1 = MakeControl<TPaintBox>(Panel1);
    Paint1->SetAlign(alClient);
    Paint1->OnPaint = [this] { Paint1Paint(); };
    Paint1->OnMouseDown = [this](TMouseButton, int x, int y) { Paint1MouseDown(x, y); };
    Paint1->OnMouseMove = [this](int x, int y, bool left) { Paint1MouseMove(x, y, left); };
    Paint1->OnMouseWheel = [this](int delta, bool) { FormMouseWheel(delta); };
    Paint1->OnDblClick = [this] { Paint1DblClick(); };
    OnDropFiles = [this](const std::vector<std::string>& names) { WMDropFiles(names); };
    OnCloseQuery = [this](bool&) {
        if (ModalResult == 0) ModalResult = mrCancel;
    };
}

int TfmRefDXF::ChosenPen() const {
    const int index = RgPenNo->ItemIndex();
    return index < 0 ? 1 : index + 1;
}

int TfmRefDXF::ShowModal(FrameModel& model) {
    target_ = &model;
    ModalResult = 0;
    Realign();
    // The picture shows what the window holds now (it was emptied when it
    // last closed), not the drawing of the last time.
    Paint1Paint();
    ShowFormModal(*this);
    if (ModalResult != mrOk) ModalResult = mrCancel;
    FormClose();
    target_ = nullptr;
    return ModalResult;
}

void TfmRefDXF::WMDropFiles(const std::vector<std::string>& names) {
    BringFormToFront(*this);
    bool loaded = false;
    for (const std::string& name : names) {
        if (!IsDrawingFileName(name)) continue;
        // A drawing's name on a folder, a FIFO or a dangling link is said,
        // not silently passed over as a file that is not a drawing would be.
        if (const std::string why = CannotOpenReason(name); !why.empty()) {
            MessageDlg(why, mtWarning, mbOK);
            continue;
        }
        if (!FileExists(name)) continue;
        std::string notice;
        if (ReadDrawingLines(name, *lines_, &notice)) loaded = true;
        FitDrawing();
        // What the drawing holds that the window could not take is said, so
        // a frame built from part of a drawing is not taken for the whole.
        if (!notice.empty()) MessageDlg(ExtractFileName(name) + "\n" + notice, mtWarning, mbOK);
    }
    // A new drawing must not leave the frame of the previous one for OK.
    if (loaded) PenSelectClick();
}

void TfmRefDXF::FitDrawing() {
    DrawReference(true);
    Repaint();
}

void TfmRefDXF::DrawReference(bool refit) {
    KeepCallerGraphics keep;
    const int W = std::max(Paint1->Width(), 1), H = std::max(Paint1->Height(), 1);
    if (refit) {
        if (lines_->count > 0) extents_ = ComputeExtents(*lines_);
        G_SetDevice(&bitmap_, 0, W, H, 0);
        // Paper 180 mm wide and as high as the box; room left for the rulers.
        const double a = H * 180.0 / W;
        G_FitWindow(7200.0 / W + 11, a / 12, 169, a - (a / 12 + a * 20 / H), extents_.xMin - 0.1,
                    extents_.yMax + 0.1, extents_.xMax + 0.1, extents_.yMin - 0.1);
        G_SaveState(state_);
    }
    G_RestoreState(state_);
    CurrentGraphics.canvas = &bitmap_.Canvas();
    G_ClearPage(kScreenBackground);
    TCanvas& c = bitmap_.Canvas();
    if (lines_->count == 0) {
        c.SetBrushStyle(bsClear);
        // A whole font: the numbers of the last drawing left a narrow one.
        TFontSpec font = c.Font();
        font.height = 28;
        font.width = 0;
        font.escapement = 0;
        font.weight = 400;
        font.italic = false;
        c.SetFont(font);
        c.SetFontColor(0);
        c.TextOut(16, H / 2 - 14, "ここに図面(DXF､KRV)ファイルをドロップして下さい。"_sj);
        return;
    }
    // 1. The drawing, the chosen pen in red.
    G_SetLineWidth(1);
    const int pen = ChosenPen();
    for (int i = 1; i <= lines_->count; ++i) {
        const RefLine& l = lines_->lines[i];
        const std::uint32_t colour = l.pen == pen ? kChosenPenColour : kOtherPenColour;
        G_SetLineColor(colour);
        G_Line(l.x1, l.y1, l.x2, l.y2, 0, colour);
    }
    // 2. The generated frame over it.
    G_SetLineColor(kGeneratedColour);
    G_SetLineWidth(3);
    DrawMembers(*frame_);
    G_SetLineWidth(1);
    PoolSetBrushStyle(&c, bsClear);
    SetTextColor(0);
    SetFontDevPx(12, 6, 2.0, 1.0, 0, 0);
    DrawMemberNumbers(*frame_);
    DrawNodeNumbers(*frame_);
    DrawNodes(*frame_, 7);
    // 3. Rulers, from the 80-pixel origin while Ctrl is held.
    G_SetLineColor(0);
    DrawRulers(W, H, KeyIsHeld(VK_CONTROL));
}

void TfmRefDXF::Repaint() { Paint1->Canvas().Draw(0, 0, bitmap_); }

void TfmRefDXF::Paint1Paint() {
    DrawReference(false);
    Repaint();
}

void TfmRefDXF::Paint1DblClick() { FitDrawing(); }

void TfmRefDXF::Paint1MouseDown(int x, int y) {
    lastX_ = x;
    lastY_ = y;
}

void TfmRefDXF::Paint1MouseMove(int x, int y, bool leftHeld) {
    const int dx = x - lastX_, dy = y - lastY_;
    lastX_ = x;
    lastY_ = y;
    if (!leftHeld) return;
    {
        KeepCallerGraphics keep;
        G_RestoreState(state_);
        // Twice the mouse movement, as in the main figure.
        G_PanBy(dx * 2.0, dy * 2.0);
        G_SaveState(state_);
    }
    Paint1Paint();
}

void TfmRefDXF::FormMouseWheel(int delta) {
    {
        KeepCallerGraphics keep;
        G_RestoreState(state_);
        ZoomWithinLimits(lastX_, lastY_, delta > 0, 1.1);
        G_SaveState(state_);
    }
    Paint1Paint();
}

void TfmRefDXF::PenSelectClick() {
    const std::string error = BuildFrameFromLines(*lines_, ChosenPen(), *frame_);
    if (!error.empty()) MessageDlg(error, mtError, mbOK);
    Paint1Paint();
}

void TfmRefDXF::BitBtnOKClick() {
    // Nothing to apply: say why and stay, rather than close as if done.
    if (frame_->memberCount <= 0) {
        MessageDlg(
            lines_->count == 0
                ? "図面がありません。DXF または KRV のファイルをドロップして下さい。"_sj
                : "このペン番号の線からは部材が作られていません。別のペン番号を選んで下さい。"_sj,
            mtWarning, mbOK);
        return;
    }
    if (target_ && ApplyGeneratedFrame(*frame_, *target_))
        ModalResult = mrOk;
    else
        ModalResult = mrCancel;
    Close();
}

void TfmRefDXF::BitBtn1Click() {
    ModalResult = mrCancel;
    Close();
}

void TfmRefDXF::FormClose() {
    lines_->count = 0;
    ZeroRowsBeyond(frame_->nodes, 0, frame_->nodeCount);
    ZeroRowsBeyond(frame_->members, 0, frame_->memberCount);
    frame_->nodeCount = 0;
    frame_->memberCount = 0;
    Paint1Paint();
}

TfmRefDXF& ReferenceWindow() {
    if (!fmRefDXF) fmRefDXF = new TfmRefDXF;
    return *fmRefDXF;
}

bool ShowReferenceWindow(FrameModel& model) { return ReferenceWindow().ShowModal(model) == mrOk; }
