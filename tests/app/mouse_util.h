// A person's mouse in the window tests: clicks sent to the widget under the
// pointer, as the window system would deliver them.
#pragma once
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

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
