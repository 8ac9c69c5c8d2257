// The string grid widget: a scroll area that draws every visible cell
// through the owner's OnDrawCell, keeps row 0 and column 0 in place while
// scrolling, and opens a line editor over the current cell when a person
// types into it.
#include "platform/qt/string_grid.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/qt/qt_bridge.h"

namespace {
const std::string kEmpty;

// The in-place editor. A line edit tells an input method that it takes
// input whenever it is editable; this one follows its input-method
// attribute, so that a numbers-only cell switches a Japanese input method
// off.
class CellEditor : public QLineEdit {
  public:
    explicit CellEditor(QWidget* parent) : QLineEdit(parent) {}
    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImEnabled) return isEnabled() && testAttribute(Qt::WA_InputMethodEnabled);
        return QLineEdit::inputMethodQuery(query);
    }
};
}  // namespace

struct TStringGrid::Impl : public QAbstractScrollArea {
    explicit Impl(TStringGrid* owner) : grid(owner), editor(new CellEditor(viewport())) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled);
        editor->hide();
        editor->setFrame(false);
        editor->installEventFilter(this);
        QObject::connect(editor, &QLineEdit::textEdited, [this](const QString& text) {
            grid->SetCell(grid->col_, grid->row_, QStringToSjis(text));
            if (grid->OnEdited) grid->OnEdited();
        });
        viewport()->setAutoFillBackground(false);
    }

    TStringGrid* grid;
    QLineEdit* editor;
    std::string textBeforeEdit;  // the cell's text when its editor opened
    TCanvas canvas;
    int topRow = 1;   // first data row shown under the fixed row
    int leftCol = 1;  // first data column shown beside the fixed column

    int RowTop(int row) const {
        if (row == 0) return 0;
        int y = grid->RowHeight(0) + 1;
        for (int r = topRow; r < row; ++r) y += grid->RowHeight(r) + 1;
        return y;
    }
    int ColLeft(int col) const {
        if (col == 0) return 0;
        int x = grid->ColWidth(0) + 1;
        for (int c = leftCol; c < col; ++c) x += grid->ColWidth(c) + 1;
        return x;
    }
    QRect CellRect(int col, int row) const {
        return QRect(ColLeft(col), RowTop(row), grid->ColWidth(col), grid->RowHeight(row));
    }
    // The scroll bars reach only as far as needed to show the last row and
    // column; they disappear when everything fits.
    void UpdateScrollBars() {
        int lastTop = grid->rowCount_ - 1, used = grid->RowHeight(0) + 1;
        while (lastTop >= 1 && used + grid->RowHeight(lastTop) + 1 <= viewport()->height())
            used += grid->RowHeight(lastTop--) + 1;
        int lastLeft = grid->colCount_ - 1;
        used = grid->ColWidth(0) + 1;
        while (lastLeft >= 1 && used + grid->ColWidth(lastLeft) + 1 <= viewport()->width())
            used += grid->ColWidth(lastLeft--) + 1;
        verticalScrollBar()->setRange(1, std::max(1, lastTop + 1));
        horizontalScrollBar()->setRange(1, std::max(1, lastLeft + 1));
        verticalScrollBar()->setPageStep(5);
    }
    void MakeVisible() {
        if (grid->row_ < topRow) topRow = grid->row_;
        while (topRow < grid->row_ && RowTop(grid->row_ + 1) > viewport()->height()) ++topRow;
        if (grid->col_ < leftCol) leftCol = grid->col_;
        while (leftCol < grid->col_ && ColLeft(grid->col_ + 1) > viewport()->width()) ++leftCol;
        const QSignalBlocker b1(verticalScrollBar()), b2(horizontalScrollBar());
        verticalScrollBar()->setValue(topRow);
        horizontalScrollBar()->setValue(leftCol);
    }
    void scrollContentsBy(int, int) override {
        topRow = verticalScrollBar()->value();
        leftCol = horizontalScrollBar()->value();
        CloseEditor();
        viewport()->update();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), QColor(0xF4, 0xF4, 0xF4));
        CanvasAttachPainter(canvas, &p);
        auto drawCell = [&](int c, int r) {
            const QRect q = CellRect(c, r);
            const TRect rect{q.left(), q.top(), q.right() + 1, q.bottom() + 1};
            p.save();
            p.setClipRect(q);
            if (grid->OnDrawCell) {
                grid->OnDrawCell(c, r, canvas, rect);
            } else {
                p.fillRect(q, (c == 0 || r == 0) ? QColor(0xC0, 0xC0, 0xC0) : QColor(Qt::white));
                p.drawText(q.adjusted(2, 0, 0, 0), Qt::AlignVCenter,
                           SjisToQString(grid->Cells(c, r)));
            }
            p.restore();
            if (r > 0 && c > 0 && r == grid->row_ && c == grid->col_ && hasFocus()) {
                p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
                p.drawRect(q.adjusted(0, 0, -1, -1));
            }
        };
        const int w = viewport()->width(), h = viewport()->height();
        for (int r = topRow; r < grid->rowCount_ && RowTop(r) < h; ++r) {
            drawCell(0, r);
            for (int c = leftCol; c < grid->colCount_ && ColLeft(c) < w; ++c) drawCell(c, r);
        }
        drawCell(0, 0);
        for (int c = leftCol; c < grid->colCount_ && ColLeft(c) < w; ++c) drawCell(c, 0);
        CanvasAttachPainter(canvas, nullptr);
    }

    void mousePressEvent(QMouseEvent* e) override {
        setFocus();
        const int x = static_cast<int>(e->position().x()), y = static_cast<int>(e->position().y());
        if (grid->OnMouseDown) grid->OnMouseDown(x, y);
        int c = 0, r = 0;
        if (grid->MouseToCell(x, y, c, r) && c > 0 && r > 0) {
            CloseEditor();
            MoveTo(c, r, true);
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (grid->OnMouseDown)
            grid->OnMouseDown(static_cast<int>(e->position().x()),
                              static_cast<int>(e->position().y()));
        if (grid->OnDblClick) grid->OnDblClick();
    }

    // Moves the current cell; the click event always follows a person's
    // move, as in the class library.
    void MoveTo(int c, int r, bool click) {
        c = std::clamp(c, 1, std::max(1, grid->colCount_ - 1));
        r = std::clamp(r, 1, std::max(1, grid->rowCount_ - 1));
        const bool changed = c != grid->col_ || r != grid->row_;
        grid->col_ = c;
        grid->row_ = r;
        MakeVisible();
        viewport()->update();
        if ((changed || click) && grid->Enabled() && grid->OnClick) grid->OnClick();
    }

    void OpenEditor(const QString& first) {
        // The view may have been scrolled away from the current cell (the
        // wheel, the scroll bar): the cell typed into is brought into sight.
        MakeVisible();
        viewport()->update();
        textBeforeEdit = grid->Cells(grid->col_, grid->row_);
        const QRect q = CellRect(grid->col_, grid->row_);
        editor->setGeometry(q);
        editor->setText(first);
        editor->show();
        editor->setFocus();
        const std::string text = QStringToSjis(first);
        grid->SetCell(grid->col_, grid->row_, text);
        if (text != textBeforeEdit && grid->OnEdited) grid->OnEdited();
    }
    void CloseEditor() {
        if (!editor->isHidden()) {
            editor->hide();
            setFocus();
        }
    }

    // Passes a typed character to OnKeyPress; false when it was discarded.
    bool PassKey(char& key) {
        if (grid->OnKeyPress) grid->OnKeyPress(key);
        return key != 0;
    }

    void EnterPressed() {
        CloseEditor();
        char key = 13;
        PassKey(key);
        viewport()->update();
    }

    bool HandleKey(QKeyEvent* e, bool inEditor) {
        const bool ctrl = e->modifiers() & Qt::ControlModifier;
        const bool shift = e->modifiers() & Qt::ShiftModifier;
        int vk = 0;
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            vk = 'A' + (e->key() - Qt::Key_A);
        else if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F12)
            vk = 0x70 + (e->key() - Qt::Key_F1);
        // In an open editor the editor's own keys (Ctrl+C, Ctrl+V, Ctrl+X,
        // Ctrl+A, ...) stay the editor's: only Ctrl+Z and the function keys
        // go to the owner.
        if (inEditor && !editor->isHidden() && ctrl && vk >= 'A' && vk < 'Z') return false;
        if (vk && grid->OnKeyDown && (ctrl || vk >= 0x70)) {
            grid->OnKeyDown(vk, ctrl, shift);
            // F2 still opens the cell's editor after the owner has seen it.
            if (vk != 0x71 || ctrl) return true;
        }
        switch (e->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                EnterPressed();
                return true;
            case Qt::Key_Escape: {
                // Cancelled: the cell gets back the text it had, and the
                // owner hears of it as of any key (key 27), after the cell
                // has its text again.
                const bool cancelled = inEditor && !editor->isHidden();
                if (cancelled) grid->SetCell(grid->col_, grid->row_, textBeforeEdit);
                CloseEditor();
                viewport()->update();
                char key = 27;
                if (cancelled) PassKey(key);
                return true;
            }
            case Qt::Key_Up:
                CloseEditor();
                MoveTo(grid->col_, grid->row_ - 1, false);
                return true;
            case Qt::Key_Down:
                CloseEditor();
                MoveTo(grid->col_, grid->row_ + 1, false);
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab: {
                // Cell to cell, typed or not, after the last column on to
                // the next row's first as Enter goes (Shift+Tab backwards);
                // only past the grid's last (first) cell the keyboard goes
                // on to the next (previous) control.
                if (ctrl) return false;
                const bool back = e->key() == Qt::Key_Backtab || shift;
                int c = grid->col_ + (back ? -1 : 1), r = grid->row_;
                if (c >= grid->colCount_) c = 1, ++r;
                if (c < 1) c = grid->colCount_ - 1, --r;
                CloseEditor();
                if (r >= 1 && r < grid->rowCount_)
                    MoveTo(c, r, false);
                else
                    focusNextPrevChild(!back);
                return true;
            }
            case Qt::Key_Left:
            case Qt::Key_Right:
                if (inEditor) return false;
                MoveTo(grid->col_ + (e->key() == Qt::Key_Left ? -1 : 1), grid->row_, false);
                return true;
            case Qt::Key_PageDown:
            case Qt::Key_PageUp: {
                // The current cell moves by the rows in sight, the view
                // with it.
                int rows = 0;
                for (int r = topRow; r < grid->rowCount_ && RowTop(r + 1) <= viewport()->height();
                     ++r)
                    ++rows;
                rows = std::max(1, rows - 1);
                CloseEditor();
                MoveTo(grid->col_, grid->row_ + (e->key() == Qt::Key_PageDown ? rows : -rows),
                       false);
                return true;
            }
            case Qt::Key_Home:
            case Qt::Key_End:
                if (inEditor) return false;
                if (ctrl)
                    MoveTo(grid->col_, e->key() == Qt::Key_Home ? 1 : grid->rowCount_ - 1, false);
                else
                    MoveTo(e->key() == Qt::Key_Home ? 1 : grid->colCount_ - 1, grid->row_, false);
                return true;
            case Qt::Key_F2:
                if (!inEditor) OpenEditor(SjisToQString(grid->Cells(grid->col_, grid->row_)));
                return true;
            default:
                break;
        }
        const QString text = e->text();
        if (text.isEmpty() || ctrl) return false;
        const std::string bytes = QStringToSjis(text);
        char key = bytes.empty() ? 0 : bytes[0];
        if (e->key() == Qt::Key_Backspace) key = 8;
        if (!PassKey(key)) return true;
        // A printable character (a lead byte too) opens the editor; DEL,
        // which some platforms give the Delete key as text, does not.
        const unsigned char byte = static_cast<unsigned char>(key);
        if (!inEditor && byte >= 32 && byte != 127) {
            OpenEditor(text);
            return true;
        }
        return false;  // the editor takes it
    }

    // Text composed with an input method (Japanese names) arrives here, not
    // as key presses: it starts the cell's editor like typed characters do.
    void inputMethodEvent(QInputMethodEvent* e) override {
        const QString text = e->commitString();
        if (text.isEmpty()) {
            QAbstractScrollArea::inputMethodEvent(e);
            return;
        }
        const std::string bytes = QStringToSjis(text);
        char key = bytes.empty() ? 0 : bytes[0];
        if (!PassKey(key)) return;
        OpenEditor(text);
        e->accept();
    }

    // Tab and Shift+Tab reach the grid before the widget's own handling
    // would move the keyboard to the next control.
    bool event(QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
                !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && HandleKey(k, false))
                return true;
        }
        return QAbstractScrollArea::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!HandleKey(e, false)) QAbstractScrollArea::keyPressEvent(e);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == editor && event->type() == QEvent::KeyPress)
            return HandleKey(static_cast<QKeyEvent*>(event), true);
        if (watched == editor && event->type() == QEvent::FocusOut) editor->hide();
        return QAbstractScrollArea::eventFilter(watched, event);
    }
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        UpdateScrollBars();
    }
};

TStringGrid::TStringGrid(TWinControl* parent) {
    impl_ = new Impl(this);
    defaultRowHeight_ = std::max(18, QFontMetrics(impl_->font()).height() + 4);
    EnsureSize();
    Attach(impl_, parent);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::EnsureSize() {
    cells_.resize(static_cast<std::size_t>(rowCount_));
    for (auto& r : cells_) r.resize(static_cast<std::size_t>(colCount_));
    rowTags_.resize(static_cast<std::size_t>(rowCount_), 0);
    colWidths_.resize(static_cast<std::size_t>(colCount_), 64);
    rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    row_ = std::clamp(row_, 1, std::max(1, rowCount_ - 1));
    col_ = std::clamp(col_, 1, std::max(1, colCount_ - 1));
    if (impl_) {
        impl_->topRow = std::clamp(impl_->topRow, 1, std::max(1, rowCount_ - 1));
        impl_->leftCol = std::clamp(impl_->leftCol, 1, std::max(1, colCount_ - 1));
        impl_->UpdateScrollBars();
        impl_->viewport()->update();
    }
}

void TStringGrid::SetColCount(int n) {
    colCount_ = std::max(2, n);
    EnsureSize();
}
void TStringGrid::SetRowCount(int n) {
    rowCount_ = std::max(2, n);
    EnsureSize();
}

const std::string& TStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return kEmpty;
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}
void TStringGrid::SetCell(int col, int row, const std::string& text) {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return;
    cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    if (impl_) impl_->viewport()->update();
}
long TStringGrid::RowTag(int row) const {
    return row >= 0 && row < rowCount_ ? rowTags_[static_cast<std::size_t>(row)] : 0;
}
void TStringGrid::SetRowTag(int row, long tag) {
    if (row >= 0 && row < rowCount_) rowTags_[static_cast<std::size_t>(row)] = tag;
}
void TStringGrid::ClearRow(int row) {
    if (row < 0 || row >= rowCount_) return;
    for (auto& c : cells_[static_cast<std::size_t>(row)]) c.clear();
    rowTags_[static_cast<std::size_t>(row)] = 0;
}

int TStringGrid::ColWidth(int col) const {
    return col >= 0 && col < colCount_ ? colWidths_[static_cast<std::size_t>(col)] : 0;
}
void TStringGrid::SetColWidth(int col, int width) {
    if (col >= 0 && col < colCount_) colWidths_[static_cast<std::size_t>(col)] = std::max(0, width);
    if (impl_) impl_->UpdateScrollBars();
}
int TStringGrid::RowHeight(int row) const {
    return row >= 0 && row < rowCount_ ? rowHeights_[static_cast<std::size_t>(row)] : 0;
}
void TStringGrid::SetRowHeight(int row, int height) {
    if (row >= 0 && row < rowCount_)
        rowHeights_[static_cast<std::size_t>(row)] = std::max(0, height);
    if (impl_) {
        impl_->UpdateScrollBars();
        impl_->viewport()->update();
    }
}

void TStringGrid::SetRow(int row) { impl_->MoveTo(col_, row, false); }
void TStringGrid::SetCol(int col) { impl_->MoveTo(col, row_, false); }

int TStringGrid::TextWidth(const std::string& text) const {
    return QFontMetrics(impl_->font()).horizontalAdvance(SjisToQString(text));
}
void TStringGrid::Refresh() { impl_->viewport()->update(); }
bool TStringGrid::Focused() const { return impl_->hasFocus() || impl_->editor->hasFocus(); }
bool TStringGrid::Editing() const { return !impl_->editor->isHidden(); }

void TStringGrid::SetImeMode(bool open) {
    imeOpen_ = open;
    const Qt::InputMethodHints hints =
        open ? Qt::ImhNone : Qt::ImhFormattedNumbersOnly | Qt::ImhNoPredictiveText;
    for (QWidget* w : {static_cast<QWidget*>(impl_), static_cast<QWidget*>(impl_->editor)}) {
        w->setAttribute(Qt::WA_InputMethodEnabled, open);
        w->setInputMethodHints(hints);
    }
    // The input method in use learns of the change at once, not only at the
    // next focus change.
    if (Focused()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}
TRect TStringGrid::CellRect(int col, int row) const {
    const QRect q = impl_->CellRect(col, row);
    return TRect{q.left(), q.top(), q.right() + 1, q.bottom() + 1};
}
QWidget* TStringGrid::ClientWidget() const { return impl_->viewport(); }

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    col = row = -1;
    for (int r = 0; r < rowCount_; r = (r == 0 ? impl_->topRow : r + 1)) {
        const int top = impl_->RowTop(r);
        if (y >= top && y < top + RowHeight(r) + 1) {
            row = r;
            break;
        }
        if (top > y) break;
    }
    for (int c = 0; c < colCount_; c = (c == 0 ? impl_->leftCol : c + 1)) {
        const int left = impl_->ColLeft(c);
        if (x >= left && x < left + ColWidth(c) + 1) {
            col = c;
            break;
        }
        if (left > x) break;
    }
    return col >= 0 && row >= 0;
}
