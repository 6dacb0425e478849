#pragma once
// What a host does with the windows, as input events: clicks, presses and typing; and how the
// tour finds the windows and widgets it looks at.

#include <QApplication>
#include <QColor>
#include <QPointF>
#include <QList>
#include <QString>
#include <QWidget>

class QListWidget;

namespace tour {

// The first visible top-level window of type T, or null.
template <typename T> T* visibleWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            return t;
    }
    return nullptr;
}

// The first visible widget under `root` whose class is (or derives from) `className`.
QWidget* visibleChildOfClass(QWidget* root, const char* className);
// The first visible label or button under `root` showing exactly `text`.
QWidget* visibleChildWithText(QWidget* root, const QString& text);
// A named widget of a form (visible or not), or null.
template <typename T = QWidget> T* named(QWidget* root, const char* objectName)
{
    return root ? root->findChild<T*>(QString::fromLatin1(objectName)) : nullptr;
}

// True when the window is on the screen and drawn.
bool isExposed(QWidget* window);
// A label's or button's text; empty for null.
QString textOf(QWidget* w);

// A left click in the middle of the widget (press and release); nothing for null.
void click(QWidget* w);
// Typing: every character as a key press with its text.
void type(QWidget* w, const QString& text);
// The pointer enters the widget (what shows hover controls); nothing for null.
void hover(QWidget* w);
// A left press and release on the row of a list whose text (or item widget's label) is `text`;
// false when no row shows it.
bool clickRow(QListWidget* list, const QString& text);
// The mean colour the screen shows in a small patch of `w` around `at` (fractions of its size).
QColor screenColour(QWidget* w, const QPointF& at);
// A key on the widget that has the focus within `w`'s window.
void key(QWidget* w, int qtKey);

} // namespace tour
