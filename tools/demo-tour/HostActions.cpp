#include "HostActions.h"

#include "StreamFrame.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
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

void hover(QWidget* w)
{
    if (!w)
        return;
    const QPoint centre = w->rect().center();
    QEnterEvent enter(centre, w->mapTo(w->window(), centre), w->mapToGlobal(centre));
    QApplication::sendEvent(w, &enter);
}

bool clickRow(QListWidget* list, const QString& text)
{
    for (int i = 0; list && i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        bool shows = item->text() == text;
        if (QWidget* row = list->itemWidget(item)) {
            for (QLabel* label : row->findChildren<QLabel*>())
                shows |= label->text() == text || label->property("fullText").toString() == text;
        }
        if (shows) {
            list->scrollToItem(item);
            const QPoint at = list->visualItemRect(item).center();
            QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return true;
        }
    }
    return false;
}

QColor screenColour(QWidget* w, const QPointF& at)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!w || !screen)
        return QColor();
    const QPoint centre = w->mapToGlobal(QPoint(int(at.x() * w->width()), int(at.y() * w->height())));
    const QImage patch = screen->grabWindow(0, centre.x() - 4, centre.y() - 4, 9, 9).toImage();
    return meanColour(patch, patch.rect());
}

void key(QWidget* w, int qtKey)
{
    if (w)
        QTest::keyClick(w, Qt::Key(qtKey));
}

} // namespace tour
