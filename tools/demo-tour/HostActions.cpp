#include "HostActions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWindow>
#include <QtTest>

namespace tour {

QWidget* visibleChildOfClass(QWidget* root, const char* className)
{
    if (!root)
        return nullptr;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->inherits(className) && w->isVisible())
            return w;
    }
    return nullptr;
}

QString textOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return QString();
}

QWidget* visibleChildWithText(QWidget* root, const QString& text)
{
    if (!root)
        return nullptr;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) && textOf(w) == text)
            return w;
    }
    return nullptr;
}

bool isExposed(QWidget* window)
{
    return window && window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed();
}

void click(QWidget* w)
{
    if (w)
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

void type(QWidget* w, const QString& text)
{
    if (!w)
        return;
    w->setFocus(Qt::MouseFocusReason);
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void key(QWidget* w, int qtKey)
{
    if (w)
        QTest::keyClick(w, Qt::Key(qtKey));
}

} // namespace tour
