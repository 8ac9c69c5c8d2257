// Clicks in the main window's grids, sent with the mouse to the cell under
// the pointer: the input method follows the clicked column (open for
// names, closed for numbers), a click in the member grid or the range grid
// selects the matching rows of the other grids, and a pan of the figure
// hands the keyboard back to the tables.
#include <QAbstractScrollArea>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstring>

#include "main_window_fixture.h"
#include "mouse_util.h"
#include "platform/qt/string_grid.h"

namespace {

class GridClicks : public MainWindowTest {
  protected:
    // A click on cell (col, row) of a grid on the page showing it.
    void ClickCell(GridId id, int col, int row) {
        TStringGrid& g = window->Grid(id);
        QWidget* viewport = static_cast<QAbstractScrollArea*>(g.Widget())->viewport();
        int x = 0, y = 0;
        for (int c = 0; c < col; ++c) x += g.ColWidth(c) + 1;
        for (int r = 0; r < row; ++r) y += g.RowHeight(r) + 1;
        const QPoint at(x + g.ColWidth(col) / 2, y + g.RowHeight(row) / 2);
        int hitCol = 0, hitRow = 0;
        ASSERT_TRUE(g.MouseToCell(at.x(), at.y(), hitCol, hitRow));
        ASSERT_EQ(hitCol, col);
        ASSERT_EQ(hitRow, row);
        QWidget* target = ClickAt(viewport, at);
        ASSERT_EQ(target, viewport) << "the cell is covered";
    }
    // What an input method asks the widget that has the keyboard.
    static void AskInputMethod(QWidget* focus, bool& enabled, Qt::InputMethodHints& hints) {
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
        QApplication::sendEvent(focus, &query);
        enabled = query.value(Qt::ImEnabled).toBool();
        hints = Qt::InputMethodHints(query.value(Qt::ImHints).toInt());
    }
    QWidget* KeyboardWidget() { return window->Widget()->focusWidget(); }
    // A second equal-division range, for member 3, and member 2's points
    // at 1.5 m and (from the file) 3 m.
    void AddRangeAndPoint() {
        FrameData->view1[2] = View1Range{3, 3, 4};
        FrameData->view1Count = 2;
        View2Member& points = FrameData->view2[1];
        ASSERT_EQ(points.memberNo, 2);
        points.dist[2] = points.dist[1];
        std::memcpy(points.pointName[2], points.pointName[1], sizeof points.pointName[2]);
        points.dist[1] = 1.5f;
        points.pointName[1][0] = 0;
        points.count = 2;
        window->RefreshGrids();
        window->Page1->SetActivePage(window->Tabs[TFmMain::kTabPoint]);
    }
    // With member 2 selected its points are listed: the first one clicked.
    void PickFirstPoint() {
        TStringGrid& v2 = window->Grid(kSgView2);
        ASSERT_EQ(v2.Cells(1, 1), "  1.500");
        ASSERT_EQ(v2.Cells(1, 2), "  3.000");
        window->Page1->SetActivePage(window->Tabs[TFmMain::kTabView]);
        ClickCell(kSgView2, 2, 1);
        ASSERT_EQ(v2.Row(), 1);
        window->Page1->SetActivePage(window->Tabs[TFmMain::kTabPoint]);
    }
};

}  // namespace

TEST_F(GridClicks, InputMethodOpensOnNameColumnsOnly) {
    TFmMain& w = OpenPortal();
    const struct {
        int tab;
        GridId grid;
        int col;
        bool open;
    } cases[] = {
        {TFmMain::kTabSect, kSgSection, 4, true},    // 断面名称
        {TFmMain::kTabSect, kSgSection, 2, false},   // 断面積
        {TFmMain::kTabSect, kSgMaterial, 2, false},  // ﾔﾝｸﾞ係数
        {TFmMain::kTabSupt, kSgSupt1, 2, true},      // 支点ケース名称
        {TFmMain::kTabSupt, kSgSupt2, 2, false},     // 支点ｺｰﾄﾞ
        {TFmMain::kTabView, kSgView2, 2, true},      // 着目点名称
        {TFmMain::kTabView, kSgView2, 1, false},     // ｉ端からの距離
        {TFmMain::kTabPoint, kSgMember, 11, true},   // 部材名称
        {TFmMain::kTabPoint, kSgMember, 8, false},   // ｉ端剛域
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "grid " << c.grid << " column " << c.col);
        w.Page1->SetActivePage(w.Tabs[c.tab]);
        ClickCell(c.grid, c.col, 1);
        TStringGrid& g = w.Grid(c.grid);
        ASSERT_EQ(KeyboardWidget(), g.Widget());
        bool enabled = !c.open;
        Qt::InputMethodHints hints;
        AskInputMethod(KeyboardWidget(), enabled, hints);
        EXPECT_EQ(enabled, c.open);
        if (c.open)
            EXPECT_EQ(hints, Qt::ImhNone);
        else
            EXPECT_TRUE(hints & Qt::ImhFormattedNumbersOnly);
        // Typing opens the cell's editor, which asks the same of the
        // input method.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
        QApplication::sendEvent(KeyboardWidget(), &key);
        ASSERT_TRUE(g.Editing());
        ASSERT_NE(qobject_cast<QLineEdit*>(KeyboardWidget()), nullptr);
        AskInputMethod(KeyboardWidget(), enabled, hints);
        EXPECT_EQ(enabled, c.open);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(KeyboardWidget(), &escape);
    }
}

// The cursor that Enter moves into a name column opens the input method as
// a click there does, and the one it moves back to a number closes it:
// the cell reached by typing takes Japanese as the cell clicked does.
TEST_F(GridClicks, InputMethodFollowsTheCursorThatEnterMoves) {
    TFmMain& w = OpenPortal();
    TStringGrid& g = w.Grid(kSgMember);
    ClickCell(kSgMember, 9, 1);  // ｊ端剛域: numbers
    bool enabled = true;
    Qt::InputMethodHints hints;
    AskInputMethod(KeyboardWidget(), enabled, hints);
    ASSERT_FALSE(enabled);
    TypeText("0");
    PressEnter();
    ASSERT_EQ(g.Col(), 11);  // 部材名称; the length column is skipped
    ASSERT_EQ(KeyboardWidget(), g.Widget());
    AskInputMethod(KeyboardWidget(), enabled, hints);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(hints, Qt::ImhNone);
    TypeText(U("柱"_sj));
    ASSERT_TRUE(g.Editing());
    AskInputMethod(KeyboardWidget(), enabled, hints);
    EXPECT_TRUE(enabled);
    PressEnter();
    // On to the next row's number.
    ASSERT_EQ(g.Col(), 1);
    ASSERT_EQ(g.Row(), 2);
    AskInputMethod(KeyboardWidget(), enabled, hints);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(hints & Qt::ImhFormattedNumbersOnly);
}

TEST_F(GridClicks, MemberRowSelectsItsNodesSectionMaterialAndPoints) {
    TFmMain& w = OpenPortal();
    AddRangeAndPoint();
    // Member 2 (node 2 to 3, section 2, material 1).
    ClickCell(kSgMember, 1, 2);
    EXPECT_EQ(CurrentSelection.memberFirst, 2);
    EXPECT_EQ(w.Grid(kSgPoint).Row(), 2);     // node 2
    EXPECT_EQ(w.Grid(kSgSection).Row(), 2);   // section 2
    EXPECT_EQ(w.Grid(kSgMaterial).Row(), 1);  // material 1
    PickFirstPoint();
    // Member 3 (node 4 to 3, section 1).
    ClickCell(kSgMember, 1, 3);
    EXPECT_EQ(CurrentSelection.memberFirst, 3);
    EXPECT_EQ(CurrentSelection.nodeI, 4);
    EXPECT_EQ(CurrentSelection.section, 1);
    EXPECT_EQ(w.Grid(kSgPoint).Row(), 4);
    EXPECT_EQ(w.Grid(kSgSection).Row(), 1);
    EXPECT_EQ(w.Grid(kSgView1).Row(), 2);  // the range that starts at member 3
    // The points grid is keyed by its first column: the row reading 3.
    EXPECT_EQ(w.Grid(kSgView2).Row(), 2);
}

TEST_F(GridClicks, RangeRowSelectsItsFirstMember) {
    TFmMain& w = OpenPortal();
    AddRangeAndPoint();
    ClickCell(kSgMember, 1, 2);
    PickFirstPoint();
    // The range grid is kept out of sight in the window; shown here, a
    // click on it works as on every grid.
    w.Page1->SetActivePage(w.Tabs[TFmMain::kTabView]);
    w.Grid(kSgView1).SetVisible(true);
    ClickCell(kSgView1, 2, 2);
    EXPECT_EQ(CurrentSelection.memberFirst, 3);
    EXPECT_EQ(CurrentSelection.memberLast, 3);
    EXPECT_EQ(w.Grid(kSgMember).Row(), 3);
    EXPECT_EQ(w.Grid(kSgView2).Row(), 2);  // the row reading 3
}

TEST_F(GridClicks, PanningTheFigureGivesTheKeyboardToTheTables) {
    TFmMain& w = OpenPortal();
    QWidget* surface = w.Paint1->Widget();
    auto pan = [&] {
        const QPoint from(surface->width() / 2, surface->height() / 2), to = from + QPoint(30, 10);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(from),
                          QPointF(surface->mapToGlobal(from)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(surface, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(surface->mapToGlobal(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to),
                            QPointF(surface->mapToGlobal(to)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(surface, &release);
    };
    QWidget* tables = w.Page1->Widget();
    QWidget* tablesKeyboard = tables->focusProxy() ? tables->focusProxy() : tables;
    ClickCell(kSgPoint, 2, 1);
    ASSERT_EQ(KeyboardWidget(), w.Grid(kSgPoint).Widget());
    pan();
    EXPECT_EQ(KeyboardWidget(), tablesKeyboard);
    // While the RC check window is up, the keyboard stays where it was.
    ClickButton(U("計算実行"_sj));
    OpenRcWindow();
    ClickTab(TFmMain::kTabPoint);
    ClickCell(kSgPoint, 2, 1);
    pan();
    EXPECT_EQ(KeyboardWidget(), w.Grid(kSgPoint).Widget());
}

// The spring and load tables follow the member clicked in the member grid,
// and a member clicked in them (or a range in the range grid) moves the
// member grid: the first row naming that member is selected.
TEST_F(GridClicks, SpringAndLoadRowsFollowTheClickedMember) {
    TFmMain& w = OpenPortal();
    FrameModel& m = *FrameData;
    // A spring case on all three members, listed 3, 1, 2; the loads of
    // load case 2 on members 3 and 1.
    BaneCase& springs = m.springCases[1];
    springs.no = 1;
    springs.count = 3;
    const int springMembers[] = {3, 1, 2};
    for (int k = 1; k <= 3; ++k) springs.entries[k] = BaneEntry{springMembers[k - 1], 1000, 1000};
    m.springCaseCount = 1;
    LoadCase& loads = m.loadCases[2];
    loads.loads[1].code = 13;
    loads.loads[1].memberFrom = 3;
    loads.loads[2].memberFrom = 1;
    loads.loads[2].code = 14;
    w.RefreshGrids();
    // Load case 2 made current in its table, then the spring tab.
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad1, 1, 2);
    ASSERT_EQ(CurrentSelection.loadCase, 2);
    ClickTab(TFmMain::kTabBane);
    ASSERT_EQ(CurrentSelection.springCase, 1);
    TStringGrid& bane = w.Grid(kSgBane2);
    TStringGrid& load = w.Grid(kSgLoad2);
    TStringGrid& member = w.Grid(kSgMember);
    ASSERT_EQ(bane.RowCount(), 5);
    ASSERT_EQ(load.RowCount(), 4);

    const struct {
        GridId grid;
        int col, row;
        int memberRow, baneRow, loadRow;  // rows expected afterwards
    } clicks[] = {
        {kSgMember, 1, 1, 1, 2, 2},  // member 1
        {kSgMember, 1, 3, 3, 1, 1},  // member 3
        {kSgMember, 1, 2, 2, 3, 1},  // member 2: no load on it, the row stays
        {kSgBane2, 2, 2, 1, 2, 2},   // the spring row of member 1
        {kSgBane2, 2, 1, 3, 1, 1},   // the spring row of member 3
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(testing::Message() << "grid " << c.grid << " row " << c.row);
        ClickCell(c.grid, c.col, c.row);
        EXPECT_EQ(member.Row(), c.memberRow);
        EXPECT_EQ(bane.Row(), c.baneRow);
        EXPECT_EQ(load.Row(), c.loadRow);
    }
    // On the load tab (no spring case current there) a load row moves the
    // member grid, and a member clicked moves the load grid.
    ClickTab(TFmMain::kTabLoad);
    ClickCell(kSgLoad2, 2, 2);
    EXPECT_EQ(CurrentSelection.memberFirst, 1);
    EXPECT_EQ(member.Row(), 1);
    ClickCell(kSgMember, 1, 3);
    EXPECT_EQ(load.Row(), 1);
    // A range of the range grid selects its first member's load row.
    w.Page1->SetActivePage(w.Tabs[TFmMain::kTabView]);
    m.view1[1] = View1Range{1, 2, 4};
    w.RefreshGrids();
    w.Grid(kSgView1).SetVisible(true);
    ClickCell(kSgView1, 2, 1);
    EXPECT_EQ(CurrentSelection.memberFirst, 1);
    EXPECT_EQ(CurrentSelection.memberLast, 2);
    EXPECT_EQ(member.Row(), 1);
    EXPECT_EQ(load.Row(), 2);
}

// A table reached with the Tab key, before any click in it, stands on its
// first column, a number: the input method is off there too.
TEST_F(GridClicks, ATableReachedWithTheTabKeyTakesNumbersOnly) {
    TFmMain& w = OpenPortal();
    w.Page1->SetActivePage(w.Tabs[TFmMain::kTabSect]);
    w.Page1->Widget()->setFocus(Qt::OtherFocusReason);
    std::vector<GridId> reached;
    for (int presses = 0; presses < 80; ++presses) {
        QWidget* focus = KeyboardWidget();
        ASSERT_NE(focus, nullptr);
        for (int id = 0; id < kGridCount; ++id)
            if (w.Grid(static_cast<GridId>(id)).Widget() == focus &&
                std::find(reached.begin(), reached.end(), id) == reached.end()) {
                reached.push_back(static_cast<GridId>(id));
                SCOPED_TRACE(testing::Message() << "grid " << id);
                EXPECT_EQ(w.Grid(static_cast<GridId>(id)).Col(), 1);
                bool enabled = true;
                Qt::InputMethodHints hints;
                AskInputMethod(focus, enabled, hints);
                EXPECT_FALSE(enabled);
                EXPECT_TRUE(hints & Qt::ImhFormattedNumbersOnly);
            }
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(focus, &tab);
    }
    // The member grid and both tables of the page.
    EXPECT_GE(reached.size(), 3u);
}
