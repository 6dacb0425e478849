#pragma once
// Mouse events sent straight to a widget, with no window system in between (offscreen tests).

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

namespace testsupport {

// An event at `local` in the widget, its global position as the widget maps it.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// A left-button press, drag move or release with both positions given (a window dragged by the
// pointer sees the global one move while the local one lags).
inline void sendLeftMouse(QWidget* w, QEvent::Type type, const QPoint& local, const QPoint& global)
{
    QMouseEvent event(type, local, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace testsupport
