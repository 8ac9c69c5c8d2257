// The toolkit's own dialogs speak Japanese once the application has started.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "platform/qt/dialogs.h"
#include "platform/qt/list_controls.h"
#include "platform/qt/printer.h"
#include "tests/case_output.h"

TEST(Dialogs, StandardButtonsAreJapaneseAfterStartUp) {
    int argc = 0;
    ASSERT_TRUE(StartApplication(argc, nullptr));
    ASSERT_TRUE(LoadJapaneseDialogTexts()) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // "&Yes", "&No", "Cancel" in Japanese.
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("\u306F\u3044")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(
        box.button(QMessageBox::No)->text().startsWith(QString::fromUtf8("\u3044\u3044\u3048")));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)
                    ->text()
                    .startsWith(QString::fromUtf8("\u30AD\u30E3\u30F3\u30BB\u30EB")));
    box.setText("?");
    box.grab().save(QString::fromStdString(CaseOutputDir()) + "/message_box_ja.png");
}

// A message box is titled by its kind, in Japanese, as the class library's
// boxes are: 警告, エラー, 情報, 確認; a plain notice by the program's name.
TEST(Dialogs, MessageBoxesAreTitledByTheirKindInJapanese) {
    int argc = 0;
    ASSERT_TRUE(StartApplication(argc, nullptr));
    const struct {
        TMsgDlgType type;
        const char* title;  // UTF-8
    } cases[] = {
        {mtWarning, "\u8B66\u544A"},
        {mtError, "\u30A8\u30E9\u30FC"},
        {mtInformation, "\u60C5\u5831"},
        {mtConfirmation, "\u78BA\u8A8D"},
    };
    for (const auto& c : cases) {
        QString seen;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box) return;
            seen = box->windowTitle();
            box->close();
        });
        MessageDlg("?", c.type, mbOK);
        EXPECT_EQ(seen.toStdString(), c.title) << c.type;
    }
}

namespace {

// The texts a person reads on a dialog: its title, its buttons and labels.
QStringList VisibleTexts(QWidget* dialog) {
    QStringList texts{dialog->windowTitle()};
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible()) texts << b->text();
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->isVisible()) texts << l->text();
    return texts;
}

// Runs show (which opens a modal dialog) and, once the dialog is up, keeps
// what it reads, saves its picture and closes it.
QStringList TextsOfModalDialog(const std::function<void()>& show, const QString& png) {
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        texts = VisibleTexts(dialog);
        dialog->grab().save(QString::fromStdString(CaseOutputDir()) + "/" + png);
        dialog->close();
    });
    show();
    return texts;
}

}  // namespace

// The dialogs the program opens through its own calls, as a person sees
// them after start-up: Japanese, without an English caption left over.
TEST(Dialogs, TheProgramsStandardDialogsSpeakJapanese) {
    int argc = 0;
    ASSERT_TRUE(StartApplication(argc, nullptr));
    const struct {
        const char* what;
        std::function<void()> show;
        const char* expected;  // UTF-8, one of the texts read
        const char* english;   // what the untranslated dialog reads there
    } cases[] = {
        {"question", [] { MessageDlg("?", mtWarning, mbYesNoCancel); }, "\u306F\u3044", "&Yes"},
        {"open",
         [] {
             std::string name;
             OpenDialogExecute("data|*.$O1", "", name);
         },
         "\u30AD\u30E3\u30F3\u30BB\u30EB", "Cancel"},
        {"save",
         [] {
             std::string name;
             SaveDialogExecute("data|*.$O1", "", name);
         },
         "\u30AD\u30E3\u30F3\u30BB\u30EB", "Cancel"},
        {"print",
         [] {
             TPrinter printer;
             PrintDialogExecute(printer);
         },
         "\u5370\u5237", "Print"},
    };
    for (const auto& c : cases) {
        const QStringList texts = TextsOfModalDialog(c.show, QString(c.what) + "_ja.png");
        ASSERT_FALSE(texts.isEmpty()) << c.what << ": no dialog came up";
        const QString expected = QString::fromUtf8(c.expected);
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [&](const QString& t) { return t.startsWith(expected); }))
            << c.what << ": " << texts.join(" | ").toStdString();
        EXPECT_FALSE(texts.contains(QString::fromUtf8(c.english)))
            << c.what << ": " << texts.join(" | ").toStdString();
    }
}
