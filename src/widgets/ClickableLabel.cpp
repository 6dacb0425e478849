#include "widgets/ClickableLabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    // The base label's press handling (text selection, links) is deliberately not run.
    if (event->button() == Qt::LeftButton)
        emit clicked(m_payload, event);
    else if (event->button() == Qt::RightButton)
        emit rightClicked(m_payload, event);
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event)
{
    event->ignore();
}

void ClickableLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    emit paintEventFinished(true);
}
