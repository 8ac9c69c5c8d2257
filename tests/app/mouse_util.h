// A person's mouse in the window tests: clicks sent to the widget under the
// pointer, as the window system would deliver them.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <string>
#include <vector>

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
