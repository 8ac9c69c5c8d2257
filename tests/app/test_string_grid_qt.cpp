// The string grid as a person uses it: typing opens the cell editor and
// writes the cell at once, Enter reaches OnKeyPress, a discarded key never
// reaches the cell, clicks move the current cell, the caption row is found
// under the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"

namespace {

void Key(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

class StringGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetColCount(4);
        grid.SetRowCount(4);
        for (int c = 0; c < 4; ++c) grid.SetColWidth(c, 50);
        grid.SetBounds(0, 0, 300, 200);
        grid.OnKeyPress = [this](char& key) {
            keys.push_back(key);
            if (key == 'x') key = 0;  // discarded
        };
        grid.OnClick = [this] { ++clicks; };
    }
    QWidget* Area() { return grid.Widget(); }
    QLineEdit* Editor() { return grid.Widget()->findChild<QLineEdit*>(); }
    TStringGrid grid;
    std::vector<char> keys;
    int clicks = 0;
};

TEST_F(StringGridTest, TypingWritesTheCellAndEnterCommits) {
    grid.SetRow(2);
    grid.SetCol(3);
    Key(Area(), Qt::Key_4, "4");
    ASSERT_TRUE(grid.Editing());
    EXPECT_EQ(grid.Cells(3, 2), "4");
    // Further typing goes through the editor and is written live.
    Editor()->setText("4.5");
    Q_EMIT Editor()->textEdited("4.5");
    EXPECT_EQ(grid.Cells(3, 2), "4.5");
    Key(Editor(), Qt::Key_Return, "\r");
    EXPECT_FALSE(grid.Editing());
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], '4');
    EXPECT_EQ(keys[1], 13);
}

// Escape while typing gives the cell back the text it had: what was typed
// and then cancelled must not reach the model at the next commit.
TEST_F(StringGridTest, EscapeWhileTypingGivesTheCellItsTextBack) {
    grid.SetCell(2, 1, "4.0000");
    grid.SetRow(1);
    grid.SetCol(2);
    Key(Area(), Qt::Key_7, "7");
    ASSERT_TRUE(grid.Editing());
    ASSERT_EQ(grid.Cells(2, 1), "7");
    Key(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.Cells(2, 1), "4.0000");
    // F2 and more typing: cancelled the same way.
    Key(Area(), Qt::Key_F2);
    ASSERT_TRUE(grid.Editing());
    Editor()->setText("4.00009");
    Q_EMIT Editor()->textEdited("4.00009");
    Key(Editor(), Qt::Key_Escape);
    EXPECT_EQ(grid.Cells(2, 1), "4.0000");
    // Escape on a cell that is not being edited changes nothing.
    Key(Area(), Qt::Key_Escape);
    EXPECT_EQ(grid.Cells(2, 1), "4.0000");
}

TEST_F(StringGridTest, DiscardedKeyNeverReachesTheCell) {
    grid.SetCell(1, 1, "old");
    Key(Area(), Qt::Key_X, "x");
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.Cells(1, 1), "old");
}

TEST_F(StringGridTest, CodeMovesFireClickOnlyWhileEnabled) {
    grid.SetRow(2);
    EXPECT_EQ(clicks, 1);
    grid.SetEnabled(false);
    grid.SetRow(3);
    grid.SetEnabled(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid.Row(), 3);
    // Rows are kept inside the data rows.
    grid.SetRow(99);
    EXPECT_EQ(grid.Row(), 3);
    grid.SetRow(0);
    EXPECT_EQ(grid.Row(), 1);
}

TEST_F(StringGridTest, ArrowKeysMoveTheCurrentCell) {
    Key(Area(), Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    Key(Area(), Qt::Key_Right);
    EXPECT_EQ(grid.Col(), 2);
}

// Values typed across a row with Tab go on to the next row after the last
// column, as after Enter: the next value never lands on the cell just typed.
TEST_F(StringGridTest, TabAfterTheLastColumnGoesOnToTheNextRow) {
    grid.SetRow(1);
    grid.SetCol(3);
    Key(Area(), Qt::Key_7, "7");
    Key(Editor(), Qt::Key_Tab);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 1);
    Key(Area(), Qt::Key_8, "8");
    EXPECT_EQ(grid.Cells(3, 1), "7");
    EXPECT_EQ(grid.Cells(1, 2), "8");
    // On the last row the cursor stays where it is.
    grid.SetRow(3);
    grid.SetCol(3);
    Key(Area(), Qt::Key_Tab);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 3);
}

// The cell that takes the typing is always in sight: Page Down moves the
// current cell a page on (not only the view), and typing after the view was
// scrolled away with the wheel brings the current cell back first.
TEST_F(StringGridTest, TypingGoesIntoACellInSight) {
    grid.SetRowCount(60);
    grid.Widget()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.Widget()));
    QWidget* client = grid.ClientWidget();
    // In sight: the cell under the middle of where it is drawn is itself.
    auto inSight = [&] {
        const TRect r = grid.CellRect(grid.Col(), grid.Row());
        int col = 0, row = 0;
        return r.bottom <= client->height() &&
               grid.MouseToCell((r.left + r.right) / 2, (r.top + r.bottom) / 2, col, row) &&
               col == grid.Col() && row == grid.Row();
    };
    Key(Area(), Qt::Key_PageDown);
    EXPECT_GT(grid.Row(), 3);
    EXPECT_TRUE(inSight());
    Key(Area(), Qt::Key_End);
    EXPECT_EQ(grid.Col(), 3);
    Key(Area(), Qt::Key_Home);
    EXPECT_EQ(grid.Col(), 1);
    Key(Area(), Qt::Key_PageUp);
    EXPECT_EQ(grid.Row(), 1);
    for (int turns = 0; turns < 10; ++turns) {
        const QPointF at(client->width() / 2.0, client->height() / 2.0);
        QWheelEvent wheel(at, client->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(client, &wheel);
    }
    ASSERT_FALSE(inSight());
    Key(Area(), Qt::Key_5, "5");
    EXPECT_EQ(grid.Cells(1, 1), "5");
    EXPECT_TRUE(inSight());
    EXPECT_TRUE(client->rect().contains(Editor()->geometry()));
}

TEST_F(StringGridTest, MouseFindsCellsAndTheCaptionRow) {
    int col = -1, row = -1;
    const int rowHeight = grid.RowHeight(1);
    ASSERT_TRUE(grid.MouseToCell(5, 5, col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    ASSERT_TRUE(grid.MouseToCell(60, rowHeight + 3, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(grid.MouseToCell(290, 5, col, row));  // right of the last column
}

TEST_F(StringGridTest, RowTagsFollowTheirRowsAndOutsideCellsAreEmpty) {
    grid.SetRowTag(2, 7);
    grid.SetRowCount(10);
    EXPECT_EQ(grid.RowTag(2), 7);
    grid.ClearRow(2);
    EXPECT_EQ(grid.RowTag(2), 0);
    EXPECT_EQ(grid.Cells(50, 50), "");
    grid.SetCell(50, 50, "x");  // ignored, no crash
    EXPECT_EQ(grid.Cells(50, 50), "");
}

}  // namespace

TEST_F(StringGridTest, KanaTypedOnACellOpensTheEditor) {
    grid.SetRow(1);
    grid.SetCol(2);
    Key(Area(), Qt::Key_A, QString::fromUtf16(u"ア"));
    EXPECT_TRUE(grid.Editing());
    EXPECT_EQ(grid.Cells(2, 1), "ア"_sj);
}

TEST_F(StringGridTest, DeleteOnACellLeavesItsText) {
    // The platform gives the Delete key the text "\x7f"; it is no character
    // to type into a cell.
    grid.SetCell(1, 1, "12");
    grid.SetRow(1);
    grid.SetCol(1);
    Key(Area(), Qt::Key_Delete, QString(QChar(0x7f)));
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.Cells(1, 1), "12");
}

TEST_F(StringGridTest, F2OpensTheEditorAlsoWhenTheOwnerWatchesKeys) {
    std::vector<int> down;
    grid.OnKeyDown = [&](int key, bool, bool) { down.push_back(key); };
    grid.SetCell(2, 2, "3.5");
    grid.SetRow(2);
    grid.SetCol(2);
    Key(Area(), Qt::Key_F2);
    EXPECT_TRUE(grid.Editing());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "3.5");
    EXPECT_EQ(down, std::vector<int>{0x71});
}

TEST_F(StringGridTest, TextFromAnInputMethodOpensTheEditorWithIt) {
    grid.SetRow(3);
    grid.SetCol(1);
    QInputMethodEvent composed;
    composed.setCommitString(QString::fromUtf16(u"左柱"));
    QApplication::sendEvent(Area(), &composed);
    EXPECT_TRUE(grid.Editing());
    EXPECT_EQ(grid.Cells(1, 3), "左柱"_sj);
    ASSERT_EQ(keys.size(), 1u);  // the owner saw it as a key press first
    // A discarded key keeps the cell as it was.
    grid.OnKeyPress = [](char& key) { key = 0; };
    grid.SetRow(2);
    QApplication::sendEvent(Area(), &composed);
    EXPECT_EQ(grid.Cells(1, 2), "");
}

TEST(StringGridFocus, DisabledWhileFocusedItKeepsTheFocusAndIgnoresKeys) {
    // Two grids in a window; the first has the focus when code disables it
    // around a change of its row (as the main window does after Enter).
    TPanel host(nullptr);
    host.SetBounds(0, 0, 400, 200);
    TStringGrid first(&host), second(&host);
    first.SetBounds(0, 0, 200, 200);
    second.SetBounds(200, 0, 200, 200);
    std::vector<char> keys;
    first.OnKeyPress = [&](char& key) { keys.push_back(key); };
    host.Widget()->show();
    host.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.Widget()));
    first.SetFocus();
    ASSERT_TRUE(first.Focused());
    first.SetEnabled(false);
    first.SetEnabled(false);  // nested, as a row selected inside another change
    EXPECT_FALSE(first.Enabled());
    EXPECT_TRUE(first.Focused());
    EXPECT_FALSE(second.Focused());
    Key(QApplication::focusWidget(), Qt::Key_5, "5");
    EXPECT_TRUE(keys.empty());  // no input while disabled
    first.SetEnabled(true);
    EXPECT_TRUE(first.Enabled());
    Key(QApplication::focusWidget(), Qt::Key_5, "5");
    EXPECT_EQ(keys, std::vector<char>{'5'});
    // A grid without the focus is disabled as before.
    second.SetEnabled(false);
    EXPECT_FALSE(second.Widget()->isEnabled());
    second.SetEnabled(true);
}
