// A person's mouse in the window tests: clicks sent to the widget under the
// pointer, as the window system would deliver them.
#pragma once
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QButtonGroup>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QRect>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/qt/string_grid.h"

// Press and release of the left button at `local` (pixels of `widget`),
// delivered to whichever visible widget lies under that point.
inline QWidget* ClickAt(QWidget* widget, QPoint local) {
    const QPoint global = widget->mapToGlobal(local);
    QWidget* target = widget->window()->childAt(widget->window()->mapFromGlobal(global));
    if (target == nullptr) target = widget;
    const QPointF at(target->mapFromGlobal(global));
    QMouseEvent press(QEvent::MouseButtonPress, at, QPointF(global), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, QPointF(global), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    return target;
}

// A click in the middle of a widget.
inline QWidget* ClickMiddle(QWidget* widget) {
    return ClickAt(widget, QPoint(widget->width() / 2, widget->height() / 2));
}

// A click on item `index` (from 0) of a radio group.
inline void ClickRadioItem(QWidget* group, int index) {
    auto* buttons = group->findChild<QButtonGroup*>();
    if (buttons && buttons->button(index)) ClickMiddle(buttons->button(index));
}

// Files dropped on a window (UTF-8 paths, in this order), as the window
// system delivers a drop: straight to the window, since the application
// passes drop events on only while a drag of its own is going on.
inline void DropOn(QWidget* window, const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    mime.setUrls(urls);
    QDropEvent drop(QPointF(window->width() / 2.0, window->height() / 2.0), Qt::CopyAction, &mime,
                    Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(window)->event(&drop);
}

// The middle of a grid cell as a person finds it on screen: scans the
// grid's viewport for the pixels the grid maps to that cell. False when no
// part of the cell is in sight. `view` is the viewport clicks go to.
inline bool GridCellOnScreen(TStringGrid& grid, int col, int row, QWidget*& view, QPoint& middle) {
    view = static_cast<QAbstractScrollArea*>(grid.Widget())->viewport();
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < view->height(); ++y)
        for (int x = 0; x < view->width(); x += 2) {
            int c = 0, r = 0;
            if (!grid.MouseToCell(x, y, c, r) || c != col || r != row) continue;
            if (left < 0 || x < left) left = x;
            right = std::max(right, x);
            if (top < 0) top = y;
            bottom = y;
        }
    middle = QPoint((left + right) / 2, (top + bottom) / 2);
    return left >= 0;
}

// Where a window whose frame is `frame` stands when it is centred on
// `host` as far as `screen` lets it (a window larger than its host keeps
// inside the screen).
inline QPoint CentredOn(const QRect& host, const QRect& frame, const QRect& screen) {
    return {std::max(screen.left(), std::min(host.center().x() - frame.width() / 2,
                                             screen.right() + 1 - frame.width())),
            std::max(screen.top(), std::min(host.center().y() - frame.height() / 2,
                                            screen.bottom() + 1 - frame.height()))};
}
