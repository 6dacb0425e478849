#include "core/LiveRoomInfo.h"

namespace livemode {

PushAddress splitPushAddress(const QString& url)
{
    PushAddress out;
    out.parts = url.split(QLatin1Char('/'), Qt::KeepEmptyParts);
    if (out.parts.size() < 5)
        return out;
    const QStringList& p = out.parts;
    out.complete = true;
    out.server = p[0] + QLatin1String("//") + p[1] + p[2] + QLatin1Char('/') + p[3];
    out.key = p[4];
    return out;
}

PushAddress customPushAddress(const QString& text)
{
    PushAddress out = splitPushAddress(text);
    if (!out.complete)
        out.server = text;
    return out;
}

} // namespace livemode
