// The widgets behind the list box and scroll bar stand-ins,
// the print dialog and the event hooks of list_controls.h.
#include "platform/qt/list_controls.h"

#include <QApplication>
#include <QEvent>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/printer.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"

namespace {

// Rows are drawn by the owner through a canvas laid over the list's painter.
class OwnerDrawDelegate : public QStyledItemDelegate {
  public:
    explicit OwnerDrawDelegate(TListBox* owner) : owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!owner_->OnDrawItem) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        TCanvas canvas;
        CanvasAttachPainter(canvas, painter);
        canvas.SetFont(owner_->Font());
        const QRect r = option.rect;
        const TRect rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        owner_->OnDrawItem(index.row(), canvas, rect, (option.state & QStyle::State_Selected) != 0);
        CanvasAttachPainter(canvas, nullptr);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(owner_->ItemHeight());
        return s;
    }

  private:
    TListBox* owner_;
};

QListWidget* ListOf(const TControl* c) { return static_cast<QListWidget*>(c->Widget()); }
QScrollBar* BarOf(const TControl* c) { return static_cast<QScrollBar*>(c->Widget()); }

// Forwards one kind of event of a widget to a handler.
class EventHook : public QObject {
  public:
    EventHook(QWidget* target, std::function<void(int)> wheel, std::function<void()> resize)
        : QObject(target), wheel_(std::move(wheel)), resize_(std::move(resize)) {
        target->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && wheel_) {
            wheel_(static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        }
        if (event->type() == QEvent::Resize && resize_) resize_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(int)> wheel_;
    std::function<void()> resize_;
};

PrintDialogHook& DialogHook() {
    static PrintDialogHook hook;
    return hook;
}

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

// --- list box -------------------------------------------------------------

TListBox::TListBox(TWinControl* parent) {
    font_.face = "ＭＳ ゴシック"_sj;
    font_.height = 12;
    auto* w = new QListWidget;
    w->setItemDelegate(new OwnerDrawDelegate(this));
    w->setUniformItemSizes(true);
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->setFocusPolicy(Qt::NoFocus);
    QObject::connect(w, &QListWidget::currentRowChanged, [this](int) {
        if (OnClick) OnClick();
    });
    Attach(w, parent);
}

TListBox::~TListBox() = default;

void TListBox::Clear() {
    const QSignalBlocker block(ListOf(this));
    ListOf(this)->clear();
    items_.clear();
    data_.clear();
}

void TListBox::AddItem(const std::string& text, double data) {
    items_.push_back(text);
    data_.push_back(data);
    const QSignalBlocker block(ListOf(this));
    ListOf(this)->addItem(SjisToQString(text));
}

const std::string& TListBox::Item(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : EmptyText();
}

double TListBox::ItemData(int index) const {
    return index >= 0 && index < Count() ? data_[static_cast<std::size_t>(index)] : 0.0;
}

int TListBox::ItemIndex() const { return ListOf(this)->currentRow(); }

void TListBox::SetItemIndex(int index) {
    const QSignalBlocker block(ListOf(this));
    if (index < 0 || index >= Count()) {
        ListOf(this)->setCurrentRow(-1);
        ListOf(this)->clearSelection();
        return;
    }
    ListOf(this)->setCurrentRow(index);
}

int TListBox::TopIndex() const {
    QListWidget* w = ListOf(this);
    const QModelIndex top = w->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void TListBox::SetTopIndex(int index) {
    if (index < 0 || index >= Count()) return;
    QListWidget* w = ListOf(this);
    w->scrollToItem(w->item(index), QAbstractItemView::PositionAtTop);
}

void TListBox::SetItemHeight(int height) {
    itemHeight_ = std::max(1, height);
    ListOf(this)->doItemsLayout();
}

void TListBox::SetFont(const TFontSpec& font) {
    font_ = font;
    RepaintItems();
}

void TListBox::RepaintItems() { ListOf(this)->viewport()->update(); }

void TListBox::ClickItem(int index) {
    if (index < 0 || index >= Count()) return;
    if (ListOf(this)->currentRow() == index) {
        if (OnClick) OnClick();
        return;
    }
    ListOf(this)->setCurrentRow(index);  // fires OnClick through the signal
}

void TListBox::DrawItemTo(int index, TBitmap& target, bool selected) {
    const int width = std::max(1, ListOf(this)->viewport()->width());
    target.SetSize(width, itemHeight_);
    if (!OnDrawItem || index < 0 || index >= Count()) return;
    TCanvas& canvas = target.Canvas();
    canvas.SetFont(font_);
    OnDrawItem(index, canvas, TRect{0, 0, width, itemHeight_}, selected);
    canvas.Flush();
}

// --- scroll bar -----------------------------------------------------------

TScrollBar::TScrollBar(TWinControl* parent, bool vertical) {
    auto* w = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal);
    w->setRange(0, 100);
    w->setPageStep(20);
    QObject::connect(w, &QScrollBar::valueChanged, [this](int) {
        if (OnChange) OnChange();
    });
    Attach(w, parent);
}

int TScrollBar::Position() const { return BarOf(this)->value(); }
void TScrollBar::SetPosition(int position) { BarOf(this)->setValue(position); }
int TScrollBar::Min() const { return BarOf(this)->minimum(); }
int TScrollBar::Max() const { return BarOf(this)->maximum(); }
void TScrollBar::SetMin(int value) { BarOf(this)->setMinimum(value); }
void TScrollBar::SetMax(int value) { BarOf(this)->setMaximum(value); }
int TScrollBar::LargeChange() const { return BarOf(this)->pageStep(); }
void TScrollBar::SetLargeChange(int value) { BarOf(this)->setPageStep(std::max(1, value)); }
void TScrollBar::SetSmallChange(int value) { BarOf(this)->setSingleStep(std::max(1, value)); }

// --- print dialog, cursor, hooks ------------------------------------------

bool PrintDialogExecute(TPrinter& printer) {
    if (DialogHook()) return DialogHook()(printer);
    QPrintDialog dialog(&PrinterDevice(printer));
    return dialog.exec() == QDialog::Accepted;
}

void SetPrintDialogHook(PrintDialogHook hook) { DialogHook() = std::move(hook); }

TWaitCursor::TWaitCursor() {
    if (qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor() {
    if (qApp) QApplication::restoreOverrideCursor();
}

void SetWheelHandler(TControl& control, std::function<void(int delta)> handler) {
    new EventHook(control.Widget(), std::move(handler), nullptr);
}

void SetResizeHandler(TControl& control, std::function<void()> handler) {
    new EventHook(control.Widget(), nullptr, std::move(handler));
}
