// The toolkit's own dialogs speak Japanese once the application has started.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/qt/dialogs.h"
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
