#include "report/print_preview.h"

#include <algorithm>
#include <cmath>

#include "model/text_helpers.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/printer.h"
#include "platform/sjis_literal.h"
#include "report/report_cover.h"
#include "report/report_template.h"

namespace {

// The recording page of a preview run: 180 x 270 mm at 10 px/mm.
constexpr int kRecordWidth = 1800;
constexpr int kRecordHeight = 2700;
// The largest view: half the recording page.
constexpr int kMaxViewWidth = 900;
constexpr int kMaxViewHeight = 1350;

constexpr std::uint32_t kButtonsColour = 0xE0E0E0;
constexpr std::uint32_t kPrintingColour = 0x00FFFF;  // yellow
constexpr std::uint32_t kRowColour = 0xCAE095;
constexpr std::uint32_t kSelectedRowColour = 0xA0FF80;
constexpr std::uint32_t kChapterLineColour = 0x008000;
constexpr std::uint32_t kNoteColour = 0x0000C0;
constexpr int kPanel1Width = 360;
constexpr int kPanelBarWidth = 17;
// Band between two pages of the view, pixels.
constexpr int kPageGap = 6;

int WholePart(double v) {
    if (!(v > -1e9)) return -1000000000;
    if (!(v < 1e9)) return 1000000000;
    return static_cast<int>(v);
}

}  // namespace

// --- page lists -----------------------------------------------------------

std::vector<int> PrintAllPageList(int contentsPages, int bodyPages) {
    std::vector<int> pages;
    const int last = std::max(0, contentsPages + bodyPages);
    for (int k = 0; k <= last; ++k) {
        pages.push_back(k);
        // The back of the cover stays empty, so that the contents begin on a
        // front side when printed on both sides.
        if (k == 0 && last > 0) pages.push_back(-1);
    }
    return pages;
}

std::vector<int> PrintRangePageList(int firstBodyPage, int lastBodyPage, int contentsPages,
                                    int bodyPages) {
    const int start = std::max(0, firstBodyPage + contentsPages);
    int end = std::min(lastBodyPage, bodyPages) + contentsPages;
    if (end < start) end = start;
    std::vector<int> pages;
    for (int k = start; k <= end; ++k) pages.push_back(k);
    return pages;
}

// --- window ---------------------------------------------------------------

TFmPriPrev::TFmPriPrev() : printer_(std::make_unique<TPrinter>()) {
    Form.SetCaption("印刷プレビュー"_sj);
    const int screenHeight = ScreenHeight();
    Form.SetBounds(0, 0, std::max(640, std::min(ScreenWidth(), 1280)),
                   std::max(400, screenHeight - 44));
    for (CacheSlot& s : slots_) s.bitmap = std::make_unique<TBitmap>(1, 1);

    Panel1 = Form.MakeControl<TPanel>(&Form);
    Panel1->SetWidth(kPanel1Width);
    Panel1->SetAlign(alLeft);
    BuildButtons();
    LblNote = Form.MakeControl<TLabel>(Panel1, "");
    LblNote->SetFontColor(kNoteColour);
    LblNote->SetHeight(36);
    LblNote->SetAlign(alBottom);
    LblNote->SetVisible(false);
    ListJump = Form.MakeControl<TListBox>(Panel1);
    TFontSpec listFont;
    listFont.face = "ＭＳ ゴシック"_sj;
    listFont.height = 12;
    ListJump->SetFont(listFont);
    ListJump->SetItemHeight(14);
    ListJump->SetAlign(alClient);
    ListJump->OnClick = [this] { ListJumpClick(); };
    ListJump->OnDrawItem = [this](int i, TCanvas& c, const TRect& r, bool sel) {
        ListJumpDrawItem(i, c, r, sel);
    };

    Panel2 = Form.MakeControl<TPanel>(&Form);
    Panel2->SetColor(kPreviewBackground);
    Panel2->SetAlign(alClient);
    PanelBar = Form.MakeControl<TPanel>(Panel2);
    PanelBar->SetWidth(kPanelBarWidth);
    PanelBar->SetAlign(alRight);
    ScrollBar1 = Form.MakeControl<TScrollBar>(PanelBar);
    ScrollBar1->SetAlign(alClient);
    ScrollBar1->SetLargeChange(kPreviewUnitsPerPage);
    ScrollBar1->SetSmallChange(1);
    ScrollBar1->SetPosition(0);
    // Nothing to show until a report has been composed.
    ScrollBar1->SetEnabled(false);
    ScrollBar1->OnChange = [this] { ScrollBar1Change(); };
    Image1 = Form.MakeControl<TImage>(Panel2);
    Image1->SetBounds(0, 0, kMaxViewWidth, kMaxViewHeight);
    Image1->Picture().SetSize(kMaxViewWidth, kMaxViewHeight);

    SetResizeHandler(*Panel2, [this] { Panel2Resize(); });
    SetWheelHandler(*Panel2, [this](int delta) { FormMouseWheel(delta); });
    Form.OnShow = [this] { FormShow(this); };
}

TFmPriPrev::~TFmPriPrev() {
    // The controls' events call back into this object: silence them first.
    ScrollBar1->OnChange = nullptr;
    ListJump->OnClick = nullptr;
    ListJump->OnDrawItem = nullptr;
    Form.OnShow = nullptr;
}

void TFmPriPrev::BuildButtons() {
    PnlButtons = Form.MakeControl<TPanel>(Panel1);
    PnlButtons->SetHeight(176);
    PnlButtons->SetAlign(alTop);
    PnlButtons->SetColor(kButtonsColour);
    const int w = kPanel1Width - 12;

    PnlPrintAll = Form.MakeControl<TPanel>(PnlButtons);
    PnlPrintAll->SetBounds(6, 6, w, 34);
    BtnPrintAll = Form.MakeControl<TButton>(PnlPrintAll, "全てのページを印刷"_sj);
    BtnPrintAll->SetBounds(4, 4, 200, 26);
    BtnPrintAll->OnClick = [this] { BtnPrintAllClick(); };

    PnlPrintCurrent = Form.MakeControl<TPanel>(PnlButtons);
    PnlPrintCurrent->SetBounds(6, 44, w, 34);
    BtnPrintCurrent = Form.MakeControl<TButton>(PnlPrintCurrent, "現在ページの印刷"_sj);
    BtnPrintCurrent->SetBounds(4, 4, 200, 26);
    BtnPrintCurrent->OnClick = [this] { BtnPrintCurrentClick(); };

    PnlPrintHanni = Form.MakeControl<TPanel>(PnlButtons);
    PnlPrintHanni->SetBounds(6, 82, w, 62);
    BtnPrintHanni = Form.MakeControl<TButton>(PnlPrintHanni, "指定の範囲を印刷"_sj);
    BtnPrintHanni->SetBounds(4, 4, 200, 26);
    BtnPrintHanni->OnClick = [this] { BtnPrintHanniClick(); };
    Label1 = Form.MakeControl<TLabel>(PnlPrintHanni, "開始ページ"_sj);
    Label1->SetBounds(212, 8, 70, 20);
    Label2 = Form.MakeControl<TLabel>(PnlPrintHanni, "終了ページ"_sj);
    Label2->SetBounds(212, 36, 70, 20);
    EdPrintTop = Form.MakeControl<TEdit>(PnlPrintHanni, "   1");
    EdPrintTop->SetBounds(284, 6, 52, 24);
    EdPrintEnd = Form.MakeControl<TEdit>(PnlPrintHanni, " 999");
    EdPrintEnd->SetBounds(284, 34, 52, 24);
    for (TEdit* e : {EdPrintTop, EdPrintEnd}) {
        e->Tag = 40;  // four digits, no decimals
        e->OnEnterKey = [this, e] {
            char key = '\r';
            EditKeyPress(*e, key);
        };
        e->OnExit = [this, e] { EditExit(*e); };
    }

    ckPageDisp = Form.MakeControl<TCheckBox>(PnlButtons, "ページ単位の表示"_sj, true);
    ckPageDisp->SetBounds(10, 150, 200, 22);
    ckPageDisp->OnClick = [this] { ckPageDispClick(); };
}

void TFmPriPrev::FormShow(const void* sender) {
    if (sender) {
        InvalidateSlots(kSlotInvalid);
        RenderView();
        return;
    }
    {
        TWaitCursor wait;
        BeginPreview(kRecordWidth, kRecordHeight);
        bodyPages_ = std::max(0, Compose ? Compose() : BuildCalculationReport());
        contentsPages_ = BuildContentsPages(this);
    }
    ShowNotes();
    // The pool now holds another report: nothing cached may be shown again.
    InvalidateSlots(kSlotInvalid);
    ScrollBar1->SetEnabled(true);
    const int maximum = WholePart((contentsPages_ + bodyPages_ + 0.7) * kPreviewUnitsPerPage);
    if (ScrollBar1->Position() > maximum) SetScrollPosition(maximum);
    const bool wasVisible = Form.Visible();
    Form.Show();
    if (wasVisible)
        Panel2Resize();
    else
        RenderView();
}

void TFmPriPrev::ShowNotes() {
    std::string note = PreviewNoteText[0];
    if (!PreviewNoteText[1].empty()) note += (note.empty() ? "" : "\n") + PreviewNoteText[1];
    LblNote->SetCaption(note);
    LblNote->SetVisible(!note.empty());
}

void TFmPriPrev::InvalidateSlots(int mark) {
    for (CacheSlot& s : slots_) s.page = mark;
}

void TFmPriPrev::SetScrollPosition(int position) {
    const bool was = rendering_;
    rendering_ = true;
    ScrollBar1->SetPosition(position);
    rendering_ = was;
}

void TFmPriPrev::ScrollBar1Change() { RenderView(); }

void TFmPriPrev::Panel2Resize() {
    InvalidateSlots(kSlotInvalid);
    RenderView();
    if (Form.Visible()) ScrollBar1->SetFocus();
}

void TFmPriPrev::ckPageDispClick() {
    InvalidateSlots(kSlotModeChanged);
    RenderView();
    if (Form.Visible()) ScrollBar1->SetFocus();
}

void TFmPriPrev::DispPageRefresh() {
    InvalidateSlots(kSlotModeChanged);
    RenderView();
}

void TFmPriPrev::FormMouseWheel(int wheelDelta) {
    ScrollBar1->SetPosition(ScrollBar1->Position() + (wheelDelta <= 0 ? 1 : -1));
}

void TFmPriPrev::ComputeViewSize(int& viewWidth, int& viewHeight) const {
    if (ckPageDisp->Checked()) {
        const int h = std::min(Panel2->Height(), kMaxViewHeight);
        viewHeight = h - 1;
        viewWidth = (h * kMaxViewWidth - kMaxViewWidth) / kMaxViewHeight;
    } else {
        const int w = std::min(Panel2->Width(), kMaxViewWidth);
        viewWidth = w;
        viewHeight = w * kMaxViewHeight / kMaxViewWidth;
    }
    const int available = Panel2->Width() - PanelBar->Width();
    viewWidth = std::min(viewWidth, available - 8);
    // A window shrunk to nothing still gets a view of a few pixels.
    viewWidth = std::max(viewWidth, 2);
    viewHeight = std::max(viewHeight, 2);
}

void TFmPriPrev::RenderSlot(int slot, int page, int width, int height) {
    CacheSlot& s = slots_[slot];
    s.page = page;
    s.bitmap->SetSize(width, height);
    RenderPreviewPage(*s.bitmap, page, kRecordWidth, kRecordHeight, kPreviewBackground);
    TCanvas& c = s.bitmap->Canvas();
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(0x000000);
    c.FrameRect(TRect{0, height * 2 / 270, width - 1, height - 1});
    c.Flush();
    ++renderCount_;
}

void TFmPriPrev::RenderView() {
    if (!ScrollBar1->Enabled() || rendering_) return;
    rendering_ = true;
    int vw = 0, vh = 0;
    ComputeViewSize(vw, vh);
    TBitmap& view = Image1->Picture();
    view.SetSize(vw, vh);
    const int available = Panel2->Width() - PanelBar->Width();
    Image1->SetBounds(std::max(0, (available - vw) / 2), 0, vw, vh);

    // A page-down click lands on the top of a page.
    int position = ScrollBar1->Position();
    const int large = ScrollBar1->LargeChange();
    if (position == previousPosition_ + large) {
        position -= position % large;
        ScrollBar1->SetPosition(position);
    }
    const double pages = position * 0.05;
    const int first = WholePart(pages);
    previousPosition_ = position;

    // A page moved by one keeps its rendering.
    if (std::abs(first - slots_[0].page) == 1) std::swap(slots_[0], slots_[1]);

    const int rw = 2 * vw;
    const int rh = 2 * vh - 2;
    view.Canvas().SetBrushStyle(bsSolid);
    view.Canvas().SetBrushColor(kPreviewBackground);
    view.Canvas().FillRect(TRect{0, 0, vw, vh});
    view.Canvas().Flush();
    int secondOffset = vh;
    for (int i = 0; i < 2; ++i) {
        CacheSlot& s = slots_[i];
        if (s.bitmap->Width() != rw || s.bitmap->Height() != rh || s.page != first + i)
            RenderSlot(i, first + i, rw, rh);
        const int offset = WholePart((first + i - pages) * vh);
        if (i == 1) secondOffset = offset;
        DownsampleBitmap2x(view, *s.bitmap, offset);
    }
    const bool fraction = pages != first;
    const int bandTop = fraction ? secondOffset : 0;
    view.Canvas().SetBrushColor(kPreviewBackground);
    view.Canvas().FillRect(TRect{0, bandTop, vw, bandTop + kPageGap});
    view.Canvas().Flush();
    Image1->Repaint();

    const int lastPage = contentsPages_ + bodyPages_;
    ScrollBar1->SetMax(WholePart((lastPage + 0.7) * kPreviewUnitsPerPage));
    const int second = secondOffset < Panel2->Height() / 2 ? 1 : 0;
    currentPage_ = WholePart(std::min(pages + second, static_cast<double>(lastPage)));
    BtnPrintCurrent->SetCaption(
        FormatStr("現在ページ(%d)の印刷"_sj.c_str(), currentPage_ - contentsPages_));
    SelectJumpRow(position);
    rendering_ = false;
}

void TFmPriPrev::SelectJumpRow(int position) {
    int row = -1;
    for (int i = 0; i < ListJump->Count(); ++i)
        if (WholePart((ListJump->ItemData(i) + contentsPages_ - 0.45) * kPreviewUnitsPerPage) <=
            position)
            row = i;
    ListJump->SetItemIndex(row);
    ListJump->RepaintItems();
}

void TFmPriPrev::ListJumpClick() {
    const int row = ListJump->ItemIndex();
    if (row < 0) return;
    // The row's value is kept beside its text: a heading longer than its
    // columns cannot shift it.
    const int units = WholePart((ListJump->ItemData(row) + contentsPages_) * kPreviewUnitsPerPage);
    ScrollBar1->SetPosition(std::max(0, units & ~1));
    if (Form.Visible()) ScrollBar1->SetFocus();
}

void TFmPriPrev::ListJumpDrawItem(int index, TCanvas& canvas, const TRect& rect, bool selected) {
    const std::string& text = ListJump->Item(index);
    // Chapter rows begin with a whole number ("2. ...").
    const int tenths = WholePart(TextToDouble(text) * 10 + 0.1);
    const bool chapter = tenths != 0 && tenths % 10 == 0;
    const std::uint32_t back = selected ? kSelectedRowColour : kRowColour;
    canvas.SetBrushStyle(bsSolid);
    canvas.SetBrushColor(back);
    canvas.FillRect(rect);
    canvas.SetPenStyle(psSolid);
    canvas.SetPenWidth(1);
    canvas.SetPenColor(chapter ? kChapterLineColour : back);
    canvas.MoveTo(rect.left, rect.top);
    canvas.LineTo(rect.right, rect.top);
    TFontSpec font = ListJump->Font();
    font.weight = chapter ? 700 : 400;
    canvas.SetFont(font);
    canvas.SetFontColor(0x000000);
    canvas.SetBrushStyle(bsClear);
    canvas.TextOut(rect.left + 1, rect.top + 2, text);
}

void TFmPriPrev::EditKeyPress(TEdit& edit, char& key) {
    if (key != '\r') return;
    key = 0;
    // The start page's next control is the end page; after the end page
    // the view takes the keys.
    if (&edit == EdPrintTop)
        EdPrintEnd->SetFocus();
    else
        ScrollBar1->SetFocus();
}

void TFmPriPrev::EditExit(TEdit& edit) { edit.SetText(FormatTextByTag(edit.Text(), edit.Tag)); }

// --- jump list interface --------------------------------------------------

int TFmPriPrev::TopIndex() const { return ListJump->TopIndex(); }
void TFmPriPrev::SetTopIndex(int index) { ListJump->SetTopIndex(index); }
void TFmPriPrev::Clear() { ListJump->Clear(); }
void TFmPriPrev::AddRow(const std::string& row, double value) { ListJump->AddItem(row, value); }

// --- printing -------------------------------------------------------------

void TFmPriPrev::PrintPages(TPanel& framed, const std::vector<int>& pages) {
    framed.SetColor(kPrintingColour);
    framed.Repaint();
    lastPrinted_.clear();
    if (!pages.empty() && PrintDialogExecute(*printer_)) {
        TWaitCursor wait;
        if (!printer_->BeginDoc(ReportCoverLines.title)) {
            ShowMessage(printer_->ErrorText().empty()
                            ? "プリンタを開けませんでした。"_sj
                            : "印刷できません.\n"_sj + printer_->ErrorText());
        } else {
            for (std::size_t i = 0; i < pages.size(); ++i) {
                if (i > 0) printer_->NewPage();
                if (pages[i] >= 0)
                    RenderPreviewPage(*printer_, pages[i], kRecordWidth, kRecordHeight, 0xFFFFFF);
                lastPrinted_.push_back(pages[i]);
            }
            // A document that could not be ended is said so: a PDF file
            // then keeps what it held before.
            if (!printer_->EndDoc()) ShowMessage("印刷できません.\n"_sj + printer_->ErrorText());
        }
    }
    framed.SetColor(kButtonsColour);
}

void TFmPriPrev::BtnPrintAllClick() {
    PrintPages(*PnlPrintAll, PrintAllPageList(contentsPages_, bodyPages_));
}

void TFmPriPrev::BtnPrintCurrentClick() { PrintPages(*PnlPrintCurrent, {currentPage_}); }

void TFmPriPrev::BtnPrintHanniClick() {
    PrintPages(*PnlPrintHanni,
               PrintRangePageList(TextToInt(EdPrintTop->Text()), TextToInt(EdPrintEnd->Text()),
                                  contentsPages_, bodyPages_));
}

// --- entry points ---------------------------------------------------------

TFmPriPrev& FmPriPrev() {
    static TFmPriPrev* window = new TFmPriPrev;  // lives for the run
    return *window;
}

void ShowPrintPreview() { FmPriPrev().FormShow(nullptr); }
