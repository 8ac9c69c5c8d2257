// Forms are placed as the class library places them: Left and Top are
// those of the whole window with its frame, so a form put at (0, 0) shows
// its title bar on the screen instead of above it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "platform/qt/controls.h"

TEST(Forms, SetBoundsPlacesTheWholeWindowWithItsFrame) {
    TForm form;
    form.SetBounds(0, 0, 300, 200);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    const QRect frame = form.Widget()->frameGeometry();
    EXPECT_EQ(frame.topLeft(), QPoint(0, 0));
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    // The size is the form's inside, as the owners lay their controls out.
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    // Moved again while showing: the same.
    form.SetBounds(40, 30, 320, 240);
    QApplication::processEvents();
    EXPECT_EQ(form.Widget()->frameGeometry().topLeft(), QPoint(40, 30));
    EXPECT_EQ(form.Width(), 320);
}
