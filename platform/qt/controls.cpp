// The widgets behind the class-library controls of controls.h.
#include "platform/qt/controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/bitmap.h"
#include "platform/qt/qt_bridge.h"

namespace {

// A container that places its aligned children on every resize.
class AlignHost : public QWidget {
  public:
    AlignHost(TWinControl* owner, QWidget* parent) : QWidget(parent), owner_(owner) {}

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (owner_) owner_->Realign();
        if (owner_ && owner_->OnResize) owner_->OnResize();
    }

  private:
    TWinControl* owner_;
};

// A panel: its background, the class library's bevels and a centred text.
class PanelWidget : public AlignHost {
  public:
    explicit PanelWidget(TWinControl* owner) : AlignHost(owner, nullptr) {}
    QString caption;
    QColor textColour = Qt::black;
    TBevelCut outer = bvNone, inner = bvNone;
    int bevelWidth = 1;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (outer == bvNone && inner == bvNone && caption.isEmpty()) return;
        QPainter p(this);
        QRect r = rect();
        for (TBevelCut cut : {outer, inner}) {
            if (cut == bvNone) continue;
            // Light from the top left: a raised edge is light there, a
            // lowered one dark.
            const QColor light(0xFF, 0xFF, 0xFF), dark(0x80, 0x80, 0x80);
            const QColor& topLeft = cut == bvRaised ? light : dark;
            const QColor& bottomRight = cut == bvRaised ? dark : light;
            for (int i = 0; i < bevelWidth && r.width() > 1 && r.height() > 1; ++i) {
                p.setPen(topLeft);
                p.drawLine(r.left(), r.top(), r.right(), r.top());
                p.drawLine(r.left(), r.top(), r.left(), r.bottom());
                p.setPen(bottomRight);
                p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
                p.drawLine(r.right(), r.top(), r.right(), r.bottom());
                r.adjust(1, 1, -1, -1);
            }
        }
        if (!caption.isEmpty()) {
            p.setPen(textColour);
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, caption);
        }
    }
};

class ClickLabel : public QLabel {
  public:
    explicit ClickLabel(TLabel* owner) : owner_(owner) {}

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        QLabel::mousePressEvent(e);
        if (e->button() == Qt::LeftButton && owner_->OnClick) owner_->OnClick();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        QLabel::mouseDoubleClickEvent(e);
        if (owner_->OnDblClick) owner_->OnDblClick();
    }

  private:
    TLabel* owner_;
};

class PaintWidget : public QWidget {
  public:
    PaintWidget(TPaintBox* owner, TBitmap* bitmap) : owner_(owner), bitmap_(bitmap) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        bitmap_->Canvas().Flush();
        QPainter p(this);
        p.drawImage(0, 0, BitmapImage(*bitmap_));
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        // Keep the bitmap at least as large as the surface.
        if (bitmap_->Width() < width() || bitmap_->Height() < height())
            bitmap_->SetSize(std::max(bitmap_->Width(), width()),
                             std::max(bitmap_->Height(), height()));
        if (owner_->OnPaint) owner_->OnPaint();
        update();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (owner_->OnMouseDown) owner_->OnMouseDown(ButtonOf(e->button()), X(e), Y(e));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (owner_->OnMouseMove)
            owner_->OnMouseMove(X(e), Y(e), (e->buttons() & Qt::LeftButton) != 0);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (owner_->OnMouseUp) owner_->OnMouseUp(ButtonOf(e->button()), X(e), Y(e));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        // The second press of a double-click is a press as well.
        mousePressEvent(e);
        if (owner_->OnDblClick) owner_->OnDblClick();
    }
    void wheelEvent(QWheelEvent* e) override {
        const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
        if (delta == 0 || !owner_->OnMouseWheel) {
            e->ignore();
            return;
        }
        owner_->OnMouseWheel(delta, (e->modifiers() & Qt::ShiftModifier) != 0);
        e->accept();
    }

  private:
    static int X(const QMouseEvent* e) { return static_cast<int>(e->position().x()); }
    static int Y(const QMouseEvent* e) { return static_cast<int>(e->position().y()); }
    static TMouseButton ButtonOf(Qt::MouseButton b) {
        return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
    }
    TPaintBox* owner_;
    TBitmap* bitmap_;
};

class FormWidget : public AlignHost {
  public:
    explicit FormWidget(TForm* owner) : AlignHost(owner, nullptr), owner_(owner) {
        setAcceptDrops(true);
    }
    bool closing = false;

  protected:
    void closeEvent(QCloseEvent* e) override {
        bool canClose = true;
        if (!closing && owner_->OnCloseQuery) owner_->OnCloseQuery(canClose);
        if (canClose)
            e->accept();
        else
            e->ignore();
    }
    void showEvent(QShowEvent* e) override {
        AlignHost::showEvent(e);
        if (!shown_ && owner_->OnShow) owner_->OnShow();
        shown_ = true;
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> names;
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile()) names.push_back(QStringToFileName(url.toLocalFile()));
        e->acceptProposedAction();
        if (owner_->OnDropFiles) owner_->OnDropFiles(names);
    }

  private:
    TForm* owner_;
    bool shown_ = false;
};

// Swallows the keys, clicks and wheel turns meant for a control (and the
// widgets inside it) that is disabled but keeps the keyboard focus.
class InputBlocker : public QObject {
  public:
    explicit InputBlocker(QWidget* widget) : QObject(widget) {
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::InputMethod:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

bool HasFocusWithin(const QWidget* widget) {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

}  // namespace

// --- TControl -------------------------------------------------------------

TControl::~TControl() {
    if (parent_) {
        auto& c = parent_->children_;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    // A widget already deleted with its parent widget has nulled widget_.
    delete widget_;
}

void TControl::Attach(QWidget* widget, TWinControl* parent) {
    widget_ = widget;
    parent_ = parent;
    QObject::connect(widget, &QObject::destroyed, [this] { widget_ = nullptr; });
    if (parent) {
        widget->setParent(parent->Widget());
        parent->children_.push_back(this);
        widget->show();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (widget_->isWindow()) {
        // A form's Left and Top are those of the whole window: its frame
        // stays on the screen (a form at (0, 0) had its title bar above it).
        widget_->resize(width, height);
        widget_->move(left, top);
        return;
    }
    widget_->setGeometry(left, top, width, height);
}
int TControl::Left() const { return widget_->x(); }
int TControl::Top() const { return widget_->y(); }
int TControl::Width() const { return widget_->width(); }
int TControl::Height() const { return widget_->height(); }
void TControl::SetWidth(int width) {
    widget_->resize(width, widget_->height());
    if (parent_) parent_->Realign();
}
void TControl::SetHeight(int height) {
    widget_->resize(widget_->width(), height);
    if (parent_) parent_->Realign();
}
void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_) parent_->Realign();
}
void TControl::SetVisible(bool visible) {
    widget_->setVisible(visible);
    if (parent_) parent_->Realign();
}
bool TControl::Visible() const { return widget_->isVisible(); }
void TControl::SetEnabled(bool enabled) {
    if (!enabled) {
        if (inputBlocker_) return;  // already disabled, with the focus kept
        if (widget_->isEnabled() && HasFocusWithin(widget_)) {
            inputBlocker_ = new InputBlocker(widget_);
            return;
        }
        widget_->setEnabled(false);
        return;
    }
    if (inputBlocker_) {
        delete inputBlocker_;  // which removes its event filters
        inputBlocker_ = nullptr;
    }
    widget_->setEnabled(true);
}
bool TControl::Enabled() const { return widget_->isEnabled() && !inputBlocker_; }
void TControl::SetColor(std::uint32_t colour) {
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, WinColorToQColor(colour));
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
}
void TControl::SetFocus() { widget_->setFocus(); }
void TControl::Repaint() { widget_->repaint(); }

TWinControl::~TWinControl() {
    for (TControl* c : children_) c->parent_ = nullptr;
}

void TWinControl::Realign() {
    QRect area(0, 0, Widget()->width(), Widget()->height());
    for (TControl* c : children_) {
        if (c->Align() == alNone || c->Widget()->isHidden()) continue;
        const int w = c->Width(), h = c->Height();
        switch (c->Align()) {
            case alTop:
                c->Widget()->setGeometry(area.left(), area.top(), area.width(), h);
                area.setTop(area.top() + h);
                break;
            case alBottom:
                c->Widget()->setGeometry(area.left(), area.bottom() + 1 - h, area.width(), h);
                area.setBottom(area.bottom() - h);
                break;
            case alLeft:
                c->Widget()->setGeometry(area.left(), area.top(), w, area.height());
                area.setLeft(area.left() + w);
                break;
            case alRight:
                c->Widget()->setGeometry(area.right() + 1 - w, area.top(), w, area.height());
                area.setRight(area.right() - w);
                break;
            default:
                break;
        }
    }
    for (TControl* c : children_)
        if (c->Align() == alClient && !c->Widget()->isHidden()) c->Widget()->setGeometry(area);
}

// --- simple controls ------------------------------------------------------

TPanel::TPanel(TWinControl* parent, const std::string& caption) {
    auto* w = new PanelWidget(this);
    if (!caption.empty()) {
        auto* l = new QLabel(SjisToQString(caption), w);
        l->move(4, 4);
    }
    Attach(w, parent);
}
void TPanel::SetCaption(const std::string& caption) {
    caption_ = caption;
    static_cast<PanelWidget*>(Widget())->caption = SjisToQString(caption);
    Widget()->update();
}
void TPanel::SetFontColor(std::uint32_t colour) {
    static_cast<PanelWidget*>(Widget())->textColour = WinColorToQColor(colour);
    Widget()->update();
}
void TPanel::SetFontHeight(int pixels) {
    QFont f = Widget()->font();
    f.setPixelSize(pixels);
    Widget()->setFont(f);
}
void TPanel::SetBevels(TBevelCut outer, TBevelCut inner, int width) {
    auto* w = static_cast<PanelWidget*>(Widget());
    w->outer = outer;
    w->inner = inner;
    w->bevelWidth = std::max(1, width);
    w->update();
}

TLabel::TLabel(TWinControl* parent, const std::string& caption) : caption_(caption) {
    auto* w = new ClickLabel(this);
    w->setText(SjisToQString(caption));
    w->adjustSize();
    Attach(w, parent);
}
void TLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    static_cast<QLabel*>(Widget())->setText(SjisToQString(caption));
}
void TLabel::SetFontColor(std::uint32_t colour) {
    QPalette pal = Widget()->palette();
    pal.setColor(QPalette::WindowText, WinColorToQColor(colour));
    Widget()->setPalette(pal);
}
void TLabel::SetFontHeight(int pixels) {
    QFont f = Widget()->font();
    f.setPixelSize(pixels);
    Widget()->setFont(f);
}
void TLabel::SetLayoutTop() {
    static_cast<QLabel*>(Widget())->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

TButton::TButton(TWinControl* parent, const std::string& caption) {
    auto* w = new QPushButton(SjisToQString(caption));
    w->setFocusPolicy(Qt::NoFocus);
    QObject::connect(w, &QPushButton::clicked, [this] {
        if (OnClick) OnClick();
    });
    Attach(w, parent);
}
void TButton::SetCaption(const std::string& caption) {
    static_cast<QPushButton*>(Widget())->setText(SjisToQString(caption));
}
std::string TButton::Caption() const {
    return QStringToSjis(static_cast<QPushButton*>(Widget())->text());
}
void TButton::Click() {
    if (Enabled() && OnClick) OnClick();
}

TCheckBox::TCheckBox(TWinControl* parent, const std::string& caption, bool checked) {
    auto* w = new QCheckBox(SjisToQString(caption));
    w->setChecked(checked);
    w->setFocusPolicy(Qt::NoFocus);
    QObject::connect(w, &QCheckBox::toggled, [this](bool) {
        if (OnClick) OnClick();
    });
    Attach(w, parent);
}
bool TCheckBox::Checked() const { return static_cast<QCheckBox*>(Widget())->isChecked(); }
void TCheckBox::SetChecked(bool checked) { static_cast<QCheckBox*>(Widget())->setChecked(checked); }

// --- radio button ---------------------------------------------------------

TRadioButton::TRadioButton(TWinControl* parent, const std::string& caption, bool checked) {
    auto* w = new QRadioButton(SjisToQString(caption));
    w->setChecked(checked);
    w->setFocusPolicy(Qt::NoFocus);
    QObject::connect(w, &QRadioButton::toggled, [this](bool on) {
        if (on && OnClick) OnClick();
    });
    Attach(w, parent);
}
bool TRadioButton::Checked() const { return static_cast<QRadioButton*>(Widget())->isChecked(); }
void TRadioButton::SetChecked(bool checked) {
    static_cast<QRadioButton*>(Widget())->setChecked(checked);
}

// --- page control ---------------------------------------------------------

TPageControl::TPageControl(TWinControl* parent) {
    auto* w = new QTabWidget;
    QObject::connect(w, &QTabWidget::currentChanged, [this](int index) {
        for (auto& s : sheets_)
            if (s->index_ == index && s->OnShow) s->OnShow();
    });
    Attach(w, parent);
}
TPageControl::~TPageControl() {
    // Removing the sheets must not announce page changes to a window that
    // is going away.
    if (Widget()) Widget()->blockSignals(true);
    sheets_.clear();
}
TTabSheet* TPageControl::AddSheet(const std::string& caption) {
    auto* tabs = static_cast<QTabWidget*>(Widget());
    sheets_.push_back(std::unique_ptr<TTabSheet>(new TTabSheet));
    TTabSheet* sheet = sheets_.back().get();
    auto* w = new AlignHost(sheet, nullptr);
    sheet->Attach(w, nullptr);
    const QSignalBlocker block(tabs);
    sheet->index_ = tabs->addTab(w, SjisToQString(caption));
    return sheet;
}
void TPageControl::SetTabVisible(TTabSheet* sheet, bool visible) {
    static_cast<QTabWidget*>(Widget())->setTabVisible(sheet->index_, visible);
}
TTabSheet* TPageControl::ActivePage() const {
    const int index = static_cast<QTabWidget*>(Widget())->currentIndex();
    for (auto& s : sheets_)
        if (s->index_ == index) return s.get();
    return nullptr;
}
void TPageControl::SetActivePage(TTabSheet* sheet) {
    auto* tabs = static_cast<QTabWidget*>(Widget());
    if (tabs->currentIndex() == sheet->index_) {
        if (sheet->OnShow) sheet->OnShow();
    } else {
        tabs->setCurrentIndex(sheet->index_);
    }
}

// --- paint box ------------------------------------------------------------

TPaintBox::TPaintBox(TWinControl* parent) : bitmap_(std::make_unique<TBitmap>(16, 16)) {
    auto* w = new PaintWidget(this, bitmap_.get());
    // Moves without a button pressed are wanted too: the wheel zooms about
    // the last point the mouse was seen at.
    w->setMouseTracking(true);
    Attach(w, parent);
}
TPaintBox::~TPaintBox() = default;
TCanvas& TPaintBox::Canvas() {
    Widget()->update();
    return bitmap_->Canvas();
}

// --- form -----------------------------------------------------------------

TForm::TForm() { Attach(new FormWidget(this), nullptr); }
TForm::~TForm() {
    static_cast<FormWidget*>(Widget())->closing = true;
    while (!controls_.empty()) controls_.pop_back();
}
void TForm::SetCaption(const std::string& caption) {
    Widget()->setWindowTitle(SjisToQString(caption));
}
std::string TForm::Caption() const { return QStringToSjis(Widget()->windowTitle()); }
void TForm::SetMinSize(int width, int height) { Widget()->setMinimumSize(width, height); }
void TForm::CenterOnScreen() {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        Widget()->move(g.x() + (g.width() - Width()) / 2, g.y() + (g.height() - Height()) / 2);
    }
}
void TForm::CenterOn(const TForm& other) {
    QRect frame = Widget()->frameGeometry();
    frame.moveCenter(other.Widget()->frameGeometry().center());
    if (QScreen* s = other.Widget()->screen()) {
        const QRect area = s->availableGeometry();
        frame.moveLeft(
            std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
        frame.moveTop(
            std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    }
    Widget()->move(frame.topLeft());
}
void TForm::Show() { Widget()->show(); }
bool TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    if (!canClose) return false;
    auto* w = static_cast<FormWidget*>(Widget());
    w->closing = true;
    w->close();
    w->closing = false;
    return true;
}

// --- timer and popup menu -------------------------------------------------

struct TTimer::Impl {
    QTimer timer;
};
TTimer::TTimer() : impl_(std::make_unique<Impl>()) {
    impl_->timer.setInterval(100);
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        if (OnTimer) OnTimer();
    });
}
TTimer::~TTimer() = default;
void TTimer::SetInterval(int ms) { impl_->timer.setInterval(ms); }
void TTimer::SetEnabled(bool enabled) {
    if (enabled)
        impl_->timer.start();
    else
        impl_->timer.stop();
}
bool TTimer::Enabled() const { return impl_->timer.isActive(); }

struct TPopupMenu::Impl {
    QMenu menu;
    std::vector<QAction*> actions;
};
TPopupMenu::TPopupMenu() : impl_(std::make_unique<Impl>()) {}
TPopupMenu::~TPopupMenu() = default;
int TPopupMenu::AddItem(const std::string& caption, std::function<void()> onClick) {
    QAction* a =
        caption == "-" ? impl_->menu.addSeparator() : impl_->menu.addAction(SjisToQString(caption));
    if (onClick) QObject::connect(a, &QAction::triggered, [fn = std::move(onClick)] { fn(); });
    impl_->actions.push_back(a);
    return static_cast<int>(impl_->actions.size()) - 1;
}
void TPopupMenu::SetItemEnabled(int index, bool enabled) {
    if (index >= 0 && index < static_cast<int>(impl_->actions.size()))
        impl_->actions[static_cast<std::size_t>(index)]->setEnabled(enabled);
}
void TPopupMenu::Popup(int x, int y) { impl_->menu.popup(QPoint(x, y)); }
void TPopupMenu::PopupUnder(TControl& control) {
    Popup(control.Widget()->mapToGlobal(QPoint(0, control.Height() + 2)).x(),
          control.Widget()->mapToGlobal(QPoint(0, control.Height() + 2)).y());
}
