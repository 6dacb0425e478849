#include "scenes/ClickableFrame.h"

#include <QMouseEvent>

ClickableFrame::ClickableFrame(QWidget* parent) : QFrame(parent) {}

void ClickableFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QFrame::mousePressEvent(event);
}

void ClickableFrame::enterEvent(QEvent* event)
{
    event->ignore();
}

void ClickableFrame::leaveEvent(QEvent* event)
{
    event->ignore();
}
