// The print preview window 「印刷プレビュー」: composes the calculation report
// into the page pool and shows it as a continuous run of pages, with a jump
// list of the cover, the contents pages and every heading, and three print
// commands (all pages, the current page, a page range).
//
// Preview pages: 0 the cover, 1 .. ContentsPageOffset the contents pages,
// then the body pages. The scroll position counts 20 units a page.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/bitmap.h"
#include "platform/qt/controls.h"
#include "platform/qt/list_controls.h"
#include "platform/qt/memo.h"
#include "report/contents_pages.h"

class TPrinter;

constexpr int kPreviewUnitsPerPage = 20;
constexpr std::uint32_t kPreviewBackground = 0xD0E0E0;
// Page cache marks: -1 after a resize or a new report, -99 after a change
// of the view mode; either makes the slot render again.
constexpr int kSlotInvalid = -1;
constexpr int kSlotModeChanged = -99;

class TFmPriPrev : public ContentsJumpList {
  public:
    // Builds the window (FormCreate); it stays hidden until FormShow.
    TFmPriPrev();
    ~TFmPriPrev() override;
    TFmPriPrev(const TFmPriPrev&) = delete;
    TFmPriPrev& operator=(const TFmPriPrev&) = delete;

    // Composes the report into the pool and returns its body page count;
    // the default composes from the program's model and results. The pool
    // is recording (BeginPreview) when it is called.
    std::function<int()> Compose;

    // Without a sender: composes the report, lays out the contents pages,
    // fills the jump list and shows the window. With a sender (the window
    // being shown): the cache is dropped and the view redrawn.
    void FormShow(const void* sender);

    // --- events ---
    void ScrollBar1Change();
    void Panel2Resize();
    void ckPageDispClick();
    void DispPageRefresh();
    void FormMouseWheel(int wheelDelta);
    void ListJumpClick();
    void ListJumpDrawItem(int index, TCanvas& canvas, const TRect& rect, bool selected);
    void EditKeyPress(TEdit& edit, char& key);
    void EditExit(TEdit& edit);
    void BtnPrintAllClick();
    void BtnPrintCurrentClick();
    void BtnPrintHanniClick();

    // --- ContentsJumpList ---
    int TopIndex() const override;
    void SetTopIndex(int index) override;
    void Clear() override;
    void AddRow(const std::string& row, double value) override;

    // --- state, for the main window and tests ---
    int BodyPageCount() const { return bodyPages_; }
    int ContentsPageCount() const { return contentsPages_; }
    int CurrentPage() const { return currentPage_; }
    int SlotPage(int slot) const { return slots_[slot].page; }
    // Page renderings done since the window was made.
    int RenderCount() const { return renderCount_; }
    // The preview pages the last print command sent, in order; -1 stands for
    // the blank sheet after the cover.
    const std::vector<int>& LastPrintedPages() const { return lastPrinted_; }
    TBitmap& ViewBitmap() { return Image1->Picture(); }

    TForm Form;
    TPanel* Panel1 = nullptr;
    TPanel* PnlButtons = nullptr;
    TPanel* PnlPrintAll = nullptr;
    TPanel* PnlPrintCurrent = nullptr;
    TPanel* PnlPrintHanni = nullptr;
    TButton* BtnPrintAll = nullptr;
    TButton* BtnPrintCurrent = nullptr;
    TButton* BtnPrintHanni = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* EdPrintTop = nullptr;
    TEdit* EdPrintEnd = nullptr;
    TCheckBox* ckPageDisp = nullptr;
    TLabel* LblNote = nullptr;
    TListBox* ListJump = nullptr;
    TPanel* Panel2 = nullptr;
    TImage* Image1 = nullptr;
    TPanel* PanelBar = nullptr;
    TScrollBar* ScrollBar1 = nullptr;

  private:
    struct CacheSlot {
        int page = kSlotInvalid;
        std::unique_ptr<TBitmap> bitmap;
    };

    void BuildButtons();
    void InvalidateSlots(int mark);
    void RenderView();
    void ComputeViewSize(int& viewWidth, int& viewHeight) const;
    void RenderSlot(int slot, int page, int width, int height);
    void SelectJumpRow(int position);
    void ShowNotes();
    void SetScrollPosition(int position);
    // Prints the preview pages (-1: a blank sheet) as one document, with the
    // framed panel of the command lit meanwhile.
    void PrintPages(TPanel& framed, const std::vector<int>& pages);

    int bodyPages_ = 0;
    int contentsPages_ = 0;
    int currentPage_ = 0;
    int previousPosition_ = 0;
    int renderCount_ = 0;
    bool rendering_ = false;
    CacheSlot slots_[2];
    std::unique_ptr<TPrinter> printer_;
    std::vector<int> lastPrinted_;
};

// The pages "all pages" prints: 0 .. last, a blank sheet (-1) after the
// cover when more pages follow.
std::vector<int> PrintAllPageList(int contentsPages, int bodyPages);
// The pages of a range typed as body page numbers (as in the page footers);
// an end before the start prints the start page alone.
std::vector<int> PrintRangePageList(int firstBodyPage, int lastBodyPage, int contentsPages,
                                    int bodyPages);

// The preview window of the program, made on first use.
TFmPriPrev& FmPriPrev();
// The print command of the main and RC windows: composes and shows.
void ShowPrintPreview();
