#include "widgets/RoundLabel.h"

#include <QPainter>
#include <QPainterPath>

RoundLabel::RoundLabel(QWidget* parent) : QLabel(parent) {}

void RoundLabel::paintEvent(QPaintEvent* event)
{
    const QPixmap pix = pixmap(Qt::ReturnByValue);
    if (pix.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    const int d = qMin(width(), height());
    QPainterPath circle;
    circle.addEllipse(0, 0, d, d);
    painter.setClipPath(circle, Qt::ReplaceClip);
    // Stretched 10 px beyond the label and shifted up-left, so the circle shows the picture's
    // centre rather than its top-left edge.
    painter.drawPixmap(QRect(-10, -10, width() + 10, height() + 10), pix);
}
