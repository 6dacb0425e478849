#include "core/ServiceConstants.h"

#include <QReadWriteLock>

namespace solvek {
namespace {

QReadWriteLock g_lock;
QString g_override; // empty: built-in addresses

QString stripSlash(QString s)
{
    while (s.endsWith('/'))
        s.chop(1);
    return s;
}

QString builtIn(ServiceHost host)
{
    switch (host) {
    case ServiceHost::Api: return QStringLiteral(SOLVEK_API_HOST_URL);
    case ServiceHost::LiveSystem: return QStringLiteral(SOLVEK_API_HOST_URL "/liveSystem");
    case ServiceHost::Gateway: return QStringLiteral(SOLVEK_GATEWAY_URL);
    case ServiceHost::WssDefault: return QStringLiteral(SOLVEK_WSS_DEFAULT_URL);
    case ServiceHost::OssEndpoint: return QStringLiteral(SOLVEK_OSS_ENDPOINT_URL);
    case ServiceHost::Console: return QStringLiteral(SOLVEK_CONSOLE_URL);
    case ServiceHost::Website: return QStringLiteral(SOLVEK_WEBSITE_URL);
    case ServiceHost::Static: return QStringLiteral(SOLVEK_EMOTE_URL);
    }
    return QString();
}

} // namespace

QString serviceBase(ServiceHost host)
{
    QString base;
    {
        QReadLocker lock(&g_lock);
        base = g_override;
    }
    if (base.isEmpty())
        return builtIn(host);
    switch (host) {
    case ServiceHost::LiveSystem: return base + QStringLiteral("/liveSystem");
    case ServiceHost::WssDefault:
        if (base.startsWith(QLatin1String("https://")))
            return QStringLiteral("wss://") + base.mid(8);
        if (base.startsWith(QLatin1String("http://")))
            return QStringLiteral("ws://") + base.mid(7);
        return base;
    default: return base;
    }
}

bool isServiceHost(const QUrl& url)
{
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return false;
    const int port = url.port(url.scheme().toLower() == QLatin1String("https") ? 443 : 80);
    for (ServiceHost h : {ServiceHost::Api, ServiceHost::LiveSystem, ServiceHost::Gateway, ServiceHost::WssDefault,
                          ServiceHost::OssEndpoint, ServiceHost::Console, ServiceHost::Website, ServiceHost::Static}) {
        const QUrl base(serviceBase(h));
        const QString scheme = base.scheme().toLower();
        const bool secure = scheme == QLatin1String("https") || scheme == QLatin1String("wss");
        if (base.host().toLower() == host && base.port(secure ? 443 : 80) == port)
            return true;
    }
    return false;
}

void setServiceOverride(const QString& base)
{
    QWriteLocker lock(&g_lock);
    g_override = stripSlash(base.trimmed());
}

QString serviceOverride()
{
    QReadLocker lock(&g_lock);
    return g_override;
}

void applyServiceOverride()
{
    const QByteArray env = qgetenv("SOLVEK_SERVICE_URL");
    if (!env.trimmed().isEmpty())
        setServiceOverride(QString::fromUtf8(env));
}

} // namespace solvek

const QList<NamedServiceUrl>& allServiceEndpoints()
{
#define E(n) NamedServiceUrl{#n, n}
    static const QList<NamedServiceUrl> list{
        E(API_POST_USER_OPT), E(API_GET_WECHAT_USER_LIST), E(API_POST_USER_CANCEL_OPT), E(API_POST_ROOM_TOP),
        E(API_GET_CHAT_RECORD_LIST), E(API_POST_DELETE_MESSAGE), E(API_GET_SENSITIVE_WORD_LIST),
        E(API_POST_JUDGE_WORD), E(API_POST_UCENTER), E(API_GET_ROOM_LIST), E(API_GET_OSS_STS),
        E(API_GET_USER_INFO), E(API_POST_MARK_TAG), E(API_GET_TAG_LIST), E(API_POST_USER_TAG_INFO),
        E(API_GET_WECHAT_QRCODE), E(API_GET_MASTER_USER), E(API_GET_ACCOUNT_CONFIG), E(API_GET_TRTC_USIG),
        E(API_GET_WEB_CASTINFO), E(API_GET_PUSHFLOW_WSTOKEN), E(API_GET_PUSHFLOW_URL), E(API_GET_IMSDK_LOGININFO),
        E(API_LOGIN_USER_LOGIN), E(API_LOGIN_WECHAT_QRCODE_LOGIN), E(API_LOGIN_SUB_LOGIN),
        E(API_LIVE_GET_PUSH_URL), E(API_LIVE_SHARE), E(API_SHUT_UP_ALL), E(API_TOOLS_QRCODE),
        E(API_VERSION_UPDATE), E(API_APPLET_CODE_PUSH), E(RESET_PASSWORD_URL), E(REGISTER_URL), E(RECHARGE_AGREEMENT_URL),
    };
#undef E
    return list;
}

const QStringList& EXCLUDE_PROCESS_LIST()
{
    static const QStringList list{QStringLiteral("CalcFrame.exe"), QStringLiteral("Photos.exe"),
                                  QStringLiteral("RuntimeBroker.exe"), QStringLiteral("ApplicationFrameHost.exe")};
    return list;
}
