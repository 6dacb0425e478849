#include "canvas/HideWindow.h"

#include <QDebug>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

HideWindow::HideWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    auto* frame = new QFrame(this);
    frame->setStyleSheet("background: transparent;");
    setFixedSize(kWidth, 1);
    frame->setGeometry(rect());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    move((area.width() - kWidth) / 2, area.top() + 1);
    installEventFilter(this);
}

bool HideWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Enter) {
            qDebug() << "HideWindow Mouse Enter";
            emit showFloatingWindow();
        } else if (event->type() == QEvent::Leave) {
            qDebug() << "HideWindow Mouse Leave";
        }
    }
    return QWidget::eventFilter(watched, event);
}
