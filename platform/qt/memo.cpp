// The widgets behind the stand-ins of memo.h.
#include "platform/qt/memo.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QWindow>
#include <chrono>
#include <thread>

#include "platform/qt/bitmap.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"

namespace {

class EditWidget : public QLineEdit {
  public:
    explicit EditWidget(TEdit* owner) : owner_(owner) {}

  protected:
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (owner_->OnExit) owner_->OnExit();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && owner_->OnEnterKey) {
            owner_->OnEnterKey();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

  private:
    TEdit* owner_;
};

class ImageWidget : public QWidget {
  public:
    ImageWidget(TImage* owner, TBitmap* picture) : owner_(owner), picture_(picture) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        picture_->Canvas().Flush();
        QPainter p(this);
        p.drawImage(0, 0, BitmapImage(*picture_));
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && owner_->OnClick) owner_->OnClick();
    }

  private:
    TImage* owner_;
    TBitmap* picture_;
};

ModalFormHook& ModalHook() {
    static ModalFormHook hook;
    return hook;
}

}  // namespace

// --- memo -------------------------------------------------------------------

TMemo::TMemo(TWinControl* parent) {
    auto* w = new QPlainTextEdit;
    w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w->setLineWrapMode(QPlainTextEdit::NoWrap);
    Attach(w, parent);
}
void TMemo::SetText(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r') clean += c;
    static_cast<QPlainTextEdit*>(Widget())->setPlainText(SjisToQString(clean));
}
std::string TMemo::Text() const {
    return QStringToSjis(static_cast<QPlainTextEdit*>(Widget())->toPlainText());
}
int TMemo::LineCount() const {
    const auto* w = static_cast<QPlainTextEdit*>(Widget());
    return w->toPlainText().isEmpty() ? 0 : w->blockCount();
}
void TMemo::SetReadOnly(bool readOnly) {
    static_cast<QPlainTextEdit*>(Widget())->setReadOnly(readOnly);
}
void TMemo::SetColor(std::uint32_t colour) {
    QPalette pal = Widget()->palette();
    pal.setColor(QPalette::Base, WinColorToQColor(colour));
    pal.setColor(QPalette::Window, WinColorToQColor(colour));
    Widget()->setPalette(pal);
}
void TMemo::SetFont(const std::string& face, int heightPx) {
    TFontSpec font;
    font.face = face;
    font.height = heightPx;
    Widget()->setFont(FontSpecToQFont(font));
}
void TMemo::ScrollToTop() {
    static_cast<QPlainTextEdit*>(Widget())->verticalScrollBar()->setValue(0);
}

// --- radio group -------------------------------------------------------------

TRadioGroup::TRadioGroup(TWinControl* parent, const std::string& caption,
                         const std::vector<std::string>& items, int columns)
    : count_(static_cast<int>(items.size())) {
    auto* box = new QGroupBox(SjisToQString(caption));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 2, 4, 2);
    auto* group = new QButtonGroup(box);
    const int cols = columns < 1 ? 1 : columns;
    for (int i = 0; i < count_; ++i) {
        auto* b = new QRadioButton(SjisToQString(items[static_cast<std::size_t>(i)]));
        b->setFocusPolicy(Qt::NoFocus);
        group->addButton(b, i);
        grid->addWidget(b, i / cols, i % cols);
    }
    QObject::connect(group, &QButtonGroup::idToggled, [this](int, bool checked) {
        if (checked && OnClick) OnClick();
    });
    Attach(box, parent);
}
int TRadioGroup::ItemIndex() const {
    auto* group = Widget()->findChild<QButtonGroup*>();
    return group ? group->checkedId() : -1;
}
void TRadioGroup::SetItemIndex(int index) {
    auto* group = Widget()->findChild<QButtonGroup*>();
    if (!group || index < 0 || index >= count_) return;
    group->button(index)->setChecked(true);
}

// --- edit ----------------------------------------------------------------------

TEdit::TEdit(TWinControl* parent, const std::string& text) {
    auto* w = new EditWidget(this);
    w->setText(SjisToQString(text));
    Attach(w, parent);
}
void TEdit::SetText(const std::string& text) {
    static_cast<QLineEdit*>(Widget())->setText(SjisToQString(text));
}
std::string TEdit::Text() const { return QStringToSjis(static_cast<QLineEdit*>(Widget())->text()); }

// --- image -----------------------------------------------------------------------

TImage::TImage(TWinControl* parent) : picture_(std::make_unique<TBitmap>(16, 16)) {
    Attach(new ImageWidget(this, picture_.get()), parent);
}
TImage::~TImage() = default;
void TImage::AutoSizeToPicture() {
    Widget()->resize(picture_->Width(), picture_->Height());
    Widget()->update();
}

// --- forms -----------------------------------------------------------------------

void SetFormBorderless(TForm& form, bool stayOnTop) {
    Qt::WindowFlags f = Qt::Window | Qt::FramelessWindowHint;
    if (stayOnTop) f |= Qt::WindowStaysOnTopHint;
    form.Widget()->setWindowFlags(f);
}
void SetFormShownWithoutFocus(TForm& form) {
    form.Widget()->setAttribute(Qt::WA_ShowWithoutActivating);
    form.Widget()->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}
void SetFormDialogBorder(TForm& form) {
    form.Widget()->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}
void SetFormClientSize(TForm& form, int width, int height) { form.Widget()->resize(width, height); }
bool FormIsShowing(TForm& form) { return form.Widget()->isVisible(); }
void HideForm(TForm& form) { form.Widget()->hide(); }

void ShowFormAndPaintNow(TForm& form) {
    QWidget* w = form.Widget();
    QWidget* active = QApplication::activeWindow();
    w->show();
    // A window is on the screen only once the window system says so; what
    // is painted before that is lost.
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(500);
    while (qApp && !(w->windowHandle() && w->windowHandle()->isExposed()) && Clock::now() < until) {
        ProcessPendingPaints();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    w->repaint();
    ProcessPendingPaints();
    // A form that takes no focus leaves the keyboard where it was, also on
    // window systems that make every window shown the active one.
    if ((w->windowFlags() & Qt::WindowDoesNotAcceptFocus) && active && active != w &&
        QApplication::activeWindow() != active) {
        active->activateWindow();
        ProcessPendingPaints();
    }
}

void WaitPainting(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    while (Clock::now() < until) {
        ProcessPendingPaints();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
void BringFormToFront(TForm& form) {
    form.Widget()->raise();
    form.Widget()->activateWindow();
}

void ShowFormModal(TForm& form) {
    QWidget* w = form.Widget();
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    if (ModalHook()) {
        ModalHook()(form);
        w->hide();
    } else {
        QEventLoop loop;
        while (w->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    w->setWindowModality(Qt::NonModal);
}
void SetModalFormHook(ModalFormHook hook) { ModalHook() = std::move(hook); }

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    TForm box;
    box.SetCaption(caption);
    SetFormDialogBorder(box);
    SetFormClientSize(box, 300, 110);
    box.CenterOnScreen();
    box.MakeControl<TLabel>(&box, prompt)->SetBounds(12, 10, 276, 18);
    TEdit* edit = box.MakeControl<TEdit>(&box, value);
    edit->SetBounds(12, 32, 276, 24);
    TButton* ok = box.MakeControl<TButton>(&box, "OK");
    ok->SetBounds(116, 70, 80, 28);
    TButton* cancel = box.MakeControl<TButton>(&box, "ｷｬﾝｾﾙ"_sj);
    cancel->SetBounds(208, 70, 80, 28);
    bool accepted = false;
    ok->OnClick = [&] {
        accepted = true;
        box.Close();
    };
    edit->OnEnterKey = ok->OnClick;
    cancel->OnClick = [&] { box.Close(); };
    ShowFormModal(box);
    if (accepted) value = edit->Text();
    return accepted;
}
