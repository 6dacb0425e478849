#include "core/NetUtils.h"

#include "core/ServiceConstants.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTextCodec>

namespace solvek {

void limitReplySize(QNetworkReply* reply, qint64 maxBytes)
{
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64 total) {
        if (received > maxBytes || total > maxBytes) {
            qDebug() << "reply over" << maxBytes << "bytes, aborted:" << reply->url().host();
            reply->abort();
        }
    });
}

QByteArray loggable(const QByteArray& body)
{
    // A key naming a credential, then its value: a JSON string (to the end of the text when it is
    // cut off), or a bare value up to a separator. Key parts are bounded so that a long run of
    // letters costs linear time.
    static const QRegularExpression secret(
        QStringLiteral(R"re(((?:"|\b)[A-Za-z_]{0,40}(?:token|sig|password|passwd|pwd|secret|accesskey|access_key|)re"
                       R"re(credential|authorization|security)[A-Za-z_]{0,40}"?\s*[:=]\s*)("(?:[^"\\]|\\.)*(?:"|$)|[^&,}\s]*))re"),
        QRegularExpression::CaseInsensitiveOption);
    // A push address: what follows its host and application (the stream name with its signature)
    // is the stream key, whatever key the address stands under (JSON may escape its slashes).
    static const QRegularExpression pushAddress(
        QStringLiteral(
            R"re(\b((?:rtmp[a-z]?|trtc|srt):\\?/\\?/[^/\\\s"'?#]*(?:\\?/[^/\\\s"'?#]*(?=\\?/))?))re"
            R"re((?:\\?/|[?#])[^\s"'<>]*)re"),
        QRegularExpression::CaseInsensitiveOption);
    // Only a window around what can reach the log is read.
    QString text = QString::fromUtf8(body.left(4 * kMaxLoggedBodyBytes));
    text.replace(secret, QStringLiteral("\\1***"));
    text.replace(pushAddress, QStringLiteral("\\1/***"));
    QByteArray out = text.toUtf8();
    if (out.size() > kMaxLoggedBodyBytes || body.size() > 4 * kMaxLoggedBodyBytes) {
        out.truncate(kMaxLoggedBodyBytes);
        out += "... (" + QByteArray::number(body.size()) + " bytes)";
    }
    return out;
}

bool repliesWithCredentials(const QUrl& url)
{
    static const ServiceUrl* const kEndpoints[] = {
        &API_LOGIN_USER_LOGIN,  &API_LOGIN_WECHAT_QRCODE_LOGIN, &API_LOGIN_SUB_LOGIN,
        &API_LIVE_GET_PUSH_URL, &API_GET_PUSHFLOW_URL,          &API_GET_PUSHFLOW_WSTOKEN,
        &API_GET_TRTC_USIG,     &API_GET_IMSDK_LOGININFO,       &API_GET_OSS_STS,
    };
    const QUrl plain = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    for (const ServiceUrl* endpoint : kEndpoints)
        if (endpoint->toUrl().adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment) == plain)
            return true;
    return false;
}

} // namespace solvek

void doDataToJson(const QByteArray& body, const NetJsonCallback& onSuccess, const NetErrorCallback& onError)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &err);
    if (err.error != QJsonParseError::NoError) {
        if (onError)
            onError(err.errorString());
        return;
    }
    if (!doc.isObject()) {
        if (onError)
            onError(QStringLiteral("JSON is not an object"));
        return;
    }
    const QJsonObject obj = doc.object();
    const QJsonValue code = obj.value(QLatin1String("code"));
    // A number with a fraction is no integer here (toInt gives the default for it).
    const bool ok = code.toString() == QLatin1String("200") || code.toString() == QLatin1String("1") ||
                    (code.isDouble() && code.toInt(-1) == 1) || (code.isDouble() && code.toInt(-1) == 200);
    const QString msg = obj.value(QLatin1String("msg")).toString();
    if (ok) {
        if (onSuccess)
            onSuccess(obj);
    } else if (onError) {
        onError(msg);
    }
    qDebug() << "msg: " << msg;
}

NetUtils* NetUtils::getInstance()
{
    static NetUtils instance;
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    return &instance;
}

QNetworkAccessManager* NetUtils::networkManager()
{
    // Parented to the application so it goes away with it, before static destruction; a later
    // application (tests) gets a fresh one.
    if (!m_manager)
        m_manager = new QNetworkAccessManager(QCoreApplication::instance());
    return m_manager;
}

QNetworkRequest NetUtils::makeRequest(const QUrl& url) const
{
    QNetworkRequest request(url);
    // The token is text: it ends at its first NUL, and a line break would smuggle in headers.
    QByteArray token = m_loginInfo.token;
    const int end = token.indexOf('\0');
    if (end >= 0)
        token.truncate(end);
    for (const char stop : {'\r', '\n'}) {
        const int at = token.indexOf(stop);
        if (at >= 0)
            token.truncate(at);
    }
    if (!token.isEmpty())
        request.setRawHeader("openapitoken", token);
    if (m_transferTimeoutMs > 0)
        request.setTransferTimeout(m_transferTimeoutMs);
    return request;
}

void NetUtils::watch(QNetworkReply* reply, const char* what, const NetRawCallback& onSuccess,
                     const NetErrorCallback& onError)
{
    solvek::limitReplySize(reply, kMaxReplyBytes);
    connect(reply, &QNetworkReply::finished, this, [reply, what, onSuccess, onError]() {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            if (onError)
                onError(reply->errorString());
            return;
        }
        const QByteArray data = reply->readAll();
        if (solvek::repliesWithCredentials(reply->url())) {
            // What such a reply carries may stand under any key (the co-host link token is the
            // bare "data"): only its envelope is logged.
            const QJsonObject envelope = QJsonDocument::fromJson(data).object();
            qDebug() << what << "(credentials," << data.size()
                     << "bytes) code:" << envelope.value("code").toVariant()
                     << "msg:" << envelope.value("msg").toString().left(solvek::kMaxLoggedBodyBytes);
        } else {
            qDebug() << what << solvek::loggable(data);
        }
        if (onSuccess)
            onSuccess(data);
    });
}

void NetUtils::getAsync(const QUrl& url, const NetRawCallback& onSuccess, const NetErrorCallback& onError)
{
    const QNetworkRequest request = makeRequest(url);
    qDebug() << "getAsync url:" << url.adjusted(QUrl::RemoveQuery);
    watch(networkManager()->get(request), "getAsync responseData:", onSuccess, onError);
}

void NetUtils::postAsync(const QUrl& url, const QByteArray& body, const NetRawCallback& onSuccess,
                         const NetErrorCallback& onError, const QString& contentType)
{
    QNetworkRequest request = makeRequest(url);
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    else // what the HTTP layer would pick anyway, without its warning
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    qDebug() << "postAsync request url:" << url.adjusted(QUrl::RemoveQuery);
    qDebug() << "postAsync request data:" << solvek::loggable(body);
    watch(networkManager()->post(request, body), "postAsync responseData:", onSuccess, onError);
}

void NetUtils::getAsyncJson(const QUrl& url, const NetJsonCallback& onSuccess, const NetErrorCallback& onError)
{
    getAsync(url, [onSuccess, onError](const QByteArray& data) { doDataToJson(data, onSuccess, onError); }, onError);
}

void NetUtils::postAsyncJson(const QUrl& url, const QByteArray& body, const NetJsonCallback& onSuccess,
                             const NetErrorCallback& onError, const QString& contentType)
{
    postAsync(url, body, [onSuccess, onError](const QByteArray& data) { doDataToJson(data, onSuccess, onError); },
              onError, contentType);
}

void NetUtils::getJson(const QString& url, const NetJsonCallback& onSuccess, const NetErrorCallback& onError)
{
    getAsyncJson(QUrl(url), onSuccess, onError);
}

void NetUtils::postJson(const QString& url, const QString& body, const NetJsonCallback& onSuccess,
                        const NetErrorCallback& onError, const QString& contentType)
{
    postAsyncJson(QUrl(url), body.toUtf8(), onSuccess, onError, contentType);
}

void NetUtils::postRaw(const QString& url, const QString& body, const NetRawCallback& onSuccess,
                       const NetErrorCallback& onError, const QString& contentType)
{
    postAsync(QUrl(url), body.toUtf8(), onSuccess, onError, contentType);
}

void NetUtils::setLoginInfo(const LoginInfo& info) { m_loginInfo = info; }

LoginInfo NetUtils::getLoginInfo() const { return m_loginInfo; }
