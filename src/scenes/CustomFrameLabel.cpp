#include "scenes/CustomFrameLabel.h"

#include <QPainter>

CustomFrameLabel::CustomFrameLabel(QWidget* parent) : QLabel(parent) {}

void CustomFrameLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 128));
    painter.drawRect(rect());
}
