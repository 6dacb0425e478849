#pragma once
// Reading what is on the screen back, one pixel at a time, for the tests on an X server of their
// own (see PrivateXServer.h), and telling the test pictures' plain colours apart.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QScreen>

namespace testsupport
{
inline QColor screenPixel(const QPoint& global)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage().pixelColor(0, 0);
}

inline bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
inline bool isGreen(const QColor& c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; }
inline bool isBlue(const QColor& c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }
} // namespace testsupport
