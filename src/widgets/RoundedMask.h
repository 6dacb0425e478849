#pragma once
// Frameless windows with rounded corners: the window's mask is an antialiased rounded rectangle
// over its whole size. Called from paint handlers; an unchanged mask is not applied again.

#include <QBitmap>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

inline void setRoundedMask(QWidget& window, int radius)
{
    QBitmap mask(window.size());
    mask.fill(Qt::color0);
    QPainter maskPainter(&mask);
    maskPainter.setRenderHint(QPainter::Antialiasing);
    maskPainter.setPen(Qt::NoPen);
    maskPainter.setBrush(Qt::color1);
    maskPainter.drawRoundedRect(window.rect(), radius, radius);
    maskPainter.end();
    window.setMask(mask);
}

// The window's style-sheet background, then its rounded mask: the paint step every such window
// takes before its children paint.
inline void paintRoundedWindow(QWidget& window, int radius)
{
    QStyleOption option;
    option.initFrom(&window);
    QPainter painter(&window);
    window.style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, &window);
    painter.end();
    setRoundedMask(window, radius);
}
