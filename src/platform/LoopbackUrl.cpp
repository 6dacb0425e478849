#include "platform/LoopbackUrl.h"

QUrl loopbackChannelUrl(const QString& serviceBase, const QString& path)
{
    QUrl url(serviceBase);
    if (url.scheme() == QLatin1String("http"))
        url.setScheme(QStringLiteral("ws"));
    else if (url.scheme() == QLatin1String("https"))
        url.setScheme(QStringLiteral("wss"));
    else
        return QUrl();
    QString base = url.path();
    while (base.endsWith('/'))
        base.chop(1);
    url.setPath(base + path);
    return url;
}
