#pragma once
// Pictures that tests make for themselves.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QtTest>

namespace testsupport {

// A chat avatar: a 36 x 36 disc of one colour on transparency, the size rows show.
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

// A PNG file of one colour (the running test fails when it cannot be written).
inline void writePicture(const QString& path, const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "PNG"));
}

} // namespace testsupport
