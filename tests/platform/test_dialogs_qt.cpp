// The toolkit's own dialogs speak Japanese once the application has started.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "platform/qt/dialogs.h"

TEST(Dialogs, StandardButtonsAreJapaneseAfterStartUp) {
    int argc = 0;
    ASSERT_TRUE(StartApplication(argc, nullptr));
    ASSERT_TRUE(LoadJapaneseDialogTexts()) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // "&Yes", "&No", "Cancel" in Japanese.
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("\u306F\u3044")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QString::fromUtf8("\u3044\u3044\u3048")));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith(QString::fromUtf8("\u30AD\u30E3\u30F3\u30BB\u30EB")));
    box.setText("?");
    box.grab().save(QString(TEST_OUTPUT_DIR) + "/message_box_ja.png");
}
