#pragma once
// Comparing where the real engine has a source on the canvas with where the window asked for it.
#include "engine/LiveCore.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

namespace testsupport
{
// Empty when `shown` lies within a pixel of `wanted` in place and size; otherwise both, for the
// failure message.
inline QString canvasRectMismatch(const QString& name, const QRectF& shown, const QRectF& wanted)
{
    if (qAbs(shown.x() - wanted.x()) <= 1 && qAbs(shown.y() - wanted.y()) <= 1 &&
        qAbs(shown.width() - wanted.width()) <= 1 && qAbs(shown.height() - wanted.height()) <= 1)
        return QString();
    const auto text = [](const QRectF& r) {
        return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return QString("%1 shown %2, wanted %3").arg(name, text(shown), text(wanted));
}

// Saves a 1920 x 1080 picture of one colour as `file` and shows it over the whole canvas through
// the image source, on top: what the engine draws becomes recognisable. False when a step failed.
inline bool coverCanvas(const QString& file, const QColor& colour)
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(colour);
    LiveCore* core = LiveCore::get_instance();
    return picture.save(file) && core->source_set_image_file("image_source", file, false) &&
           core->scene_add_source(nullptr, nullptr, "image_source", true);
}
} // namespace testsupport
