// Message boxes, file dialogs, clipboard, key state and the application.
#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/encoding.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"

namespace {

MessageDlgHook& DlgHook() {
    static MessageDlgHook hook;
    return hook;
}
FileDialogHook& FileHook() {
    static FileDialogHook hook;
    return hook;
}
KeyStateHook& KeyHook() {
    static KeyStateHook hook;
    return hook;
}

// Keys held down, as seen by the application (for F9 and the like).
class KeyTracker : public QObject {
  public:
    std::set<int> held;
    // Shift is down and nothing else was pressed or turned since.
    bool shiftAlone = false;
    bool shiftTapped = false;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
            auto* k = static_cast<QKeyEvent*>(e);
            const bool press = e->type() == QEvent::KeyPress;
            if (!k->isAutoRepeat()) {
                if (press)
                    held.insert(k->key());
                else
                    held.erase(k->key());
            }
            if (k->key() == Qt::Key_Shift) {
                if (press && !k->isAutoRepeat()) shiftAlone = true;
                if (!press && !k->isAutoRepeat() && shiftAlone) shiftTapped = true;
                if (!press) shiftAlone = false;
            } else if (press) {
                shiftAlone = false;
            }
        } else if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::Wheel) {
            shiftAlone = false;
        }
        // Every step above may run again as the event goes up to the
        // parents of its widget: each gives the same state twice.
        return QObject::eventFilter(o, e);
    }
};
KeyTracker* Tracker() {
    static KeyTracker* tracker = nullptr;
    if (!tracker && qApp) {
        tracker = new KeyTracker;
        qApp->installEventFilter(tracker);
    }
    return tracker;
}

QString FilterToQt(const std::string& filter) {
    // "caption|*.ext" -> "caption (*.ext)"; the extension is matched in
    // either case, since file systems here tell the cases apart.
    const std::size_t bar = filter.find('|');
    if (bar == std::string::npos) return SjisToQString(filter);
    const QString pattern = SjisToQString(filter.substr(bar + 1));
    return SjisToQString(filter.substr(0, bar)) + " (" + pattern + " " + pattern.toLower() + ")";
}

}  // namespace

void SetMessageDlgHook(MessageDlgHook hook) { DlgHook() = std::move(hook); }
void SetFileDialogHook(FileDialogHook hook) { FileHook() = std::move(hook); }
void SetKeyStateHook(KeyStateHook hook) { KeyHook() = std::move(hook); }

int MessageDlg(const std::string& text, TMsgDlgType type, int buttons, int defaultButton) {
    if (DlgHook()) return DlgHook()(text, type, buttons);
    if (!qApp) {
        std::fprintf(stderr, "%s\n", Cp932ToUtf8(text).c_str());
        return (buttons & mbOK) ? mrOk : mrCancel;
    }
    QMessageBox box;
    // Titled by its kind, as the class library's boxes are.
    switch (type) {
        case mtWarning:
            box.setWindowTitle(SjisToQString("警告"_sj));
            break;
        case mtError:
            box.setWindowTitle(SjisToQString("エラー"_sj));
            break;
        case mtInformation:
            box.setWindowTitle(SjisToQString("情報"_sj));
            break;
        case mtConfirmation:
            box.setWindowTitle(SjisToQString("確認"_sj));
            break;
        default:
            break;  // a plain notice: the program's name
    }
    box.setText(SjisToQString(text));
    box.setIcon(type == mtError          ? QMessageBox::Critical
                : type == mtWarning      ? QMessageBox::Warning
                : type == mtConfirmation ? QMessageBox::Question
                                         : QMessageBox::Information);
    QMessageBox::StandardButtons sb;
    if (buttons & mbYes) sb |= QMessageBox::Yes;
    if (buttons & mbNo) sb |= QMessageBox::No;
    if (buttons & mbOK) sb |= QMessageBox::Ok;
    if (buttons & mbCancel) sb |= QMessageBox::Cancel;
    box.setStandardButtons(sb);
    if (defaultButton == mbYes) box.setDefaultButton(QMessageBox::Yes);
    if (defaultButton == mbNo) box.setDefaultButton(QMessageBox::No);
    if (defaultButton == mbOK) box.setDefaultButton(QMessageBox::Ok);
    if (defaultButton == mbCancel) box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return mrYes;
        case QMessageBox::No:
            return mrNo;
        case QMessageBox::Ok:
            return mrOk;
        default:
            return mrCancel;
    }
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtCustom, mbOK); }

bool OpenDialogExecute(const std::string& filter, const std::string& initialName,
                       std::string& name) {
    if (FileHook()) return FileHook()(false, initialName, name);
    const QString chosen = QFileDialog::getOpenFileName(
        nullptr, QString(), FileNameToQString(initialName), FilterToQt(filter));
    if (chosen.isEmpty()) return false;
    name = QStringToFileName(chosen);
    return true;
}

bool SaveDialogExecute(const std::string& filter, const std::string& initialName,
                       std::string& name) {
    if (FileHook()) return FileHook()(true, initialName, name);
    const QString chosen = QFileDialog::getSaveFileName(
        nullptr, QString(), FileNameToQString(initialName), FilterToQt(filter));
    if (chosen.isEmpty()) return false;
    name = QStringToFileName(chosen);
    return true;
}

void ClipboardSetText(const std::string& text) {
    if (qApp) QGuiApplication::clipboard()->setText(SjisToQString(text));
}
std::string ClipboardText() {
    return qApp ? QStringToSjis(QGuiApplication::clipboard()->text()) : std::string();
}

bool KeyIsHeld(int virtualKey) {
    if (KeyHook()) return KeyHook()(virtualKey);
    if (!qApp) return false;
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    if (virtualKey == VK_CONTROL) return m & Qt::ControlModifier;
    if (virtualKey == VK_SHIFT) return m & Qt::ShiftModifier;
    KeyTracker* t = Tracker();
    if (!t) return false;
    int qtKey = 0;
    if (virtualKey >= 0x70 && virtualKey <= 0x7B)
        qtKey = Qt::Key_F1 + (virtualKey - 0x70);
    else if (virtualKey >= 'A' && virtualKey <= 'Z')
        qtKey = Qt::Key_A + (virtualKey - 'A');
    return qtKey && t->held.count(qtKey);
}

bool TakeShiftTap() {
    KeyTracker* t = Tracker();
    if (!t || !t->shiftTapped) return false;
    t->shiftTapped = false;
    return true;
}

bool LoadJapaneseDialogTexts() {
    static QTranslator* translator = nullptr;
    if (translator) return true;
    if (!qApp) return false;
    // The program speaks Japanese whatever the user's locale, so the
    // translation is chosen by name, not by the locale.
    auto* t = new QTranslator(qApp);
    if (!t->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    translator = t;
    return true;
}

bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    // A platform that draws into memory or a framebuffer needs no display
    // server; the window systems' own platforms need theirs.
    if (const char* qpa = std::getenv("QT_QPA_PLATFORM"); qpa && *qpa) {
        if (std::strncmp(qpa, "xcb", 3) == 0) return set("DISPLAY");
        if (std::strncmp(qpa, "wayland", 7) == 0) return set("WAYLAND_DISPLAY");
        return true;
    }
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

bool StartApplication(int& argc, char** argv) {
    if (!qApp) new QApplication(argc, argv);
    // Qt takes the user's locale for the C library; numbers stay "C".
    std::setlocale(LC_NUMERIC, "C");
    Tracker();
    // Without the translation installed the dialogs stay English; nothing
    // else depends on it.
    LoadJapaneseDialogTexts();
    return true;
}
int RunApplication() { return qApp ? QApplication::exec() : 0; }
void ProcessMessages() {
    if (qApp) QApplication::processEvents();
}
void ProcessPendingPaints() {
    // Timers stay out too: a timer handler must not run in the middle of
    // the work that is waiting.
    if (qApp)
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
}
int ScreenWidth() {
    QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().width() : 0;
}
int ScreenHeight() {
    QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().height() : 0;
}
bool OpenDocument(const std::string& fileOrUrl) {
    const QString target = SjisToQString(fileOrUrl);
    const QUrl url = target.contains("://") ? QUrl(target) : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}
