#pragma once
// A chat avatar for tests: a 36 x 36 disc of one colour on transparency, the size rows show.

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace testsupport {

inline QPixmap discAvatar(const QColor& colour)
{
    QPixmap pm(36, 36);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(0, 0, 36, 36);
    return pm;
}

} // namespace testsupport
