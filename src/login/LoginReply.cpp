#include "login/LoginReply.h"

#include <QDebug>
#include <QJsonDocument>
#include <QNetworkReply>

namespace solvek
{

namespace
{
int s_loginRequestTimeoutMs = kLoginRequestTimeoutMs;
}

int loginRequestTimeoutMs()
{
    return s_loginRequestTimeoutMs;
}

void setLoginRequestTimeoutMs(int ms)
{
    s_loginRequestTimeoutMs = ms;
}

QNetworkRequest loginRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(s_loginRequestTimeoutMs);
    return request;
}

QNetworkRequest loginFormRequest(const QUrl& url)
{
    QNetworkRequest request = loginRequest(url);
    request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    return request;
}

bool readLoginJson(QNetworkReply* reply, QJsonObject* out)
{
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network error:" << reply->errorString();
        return false;
    }
    if (!reply->hasRawHeader("Content-Type"))
        return false;
    const QByteArray type = reply->rawHeader("Content-Type");
    qDebug() << "type: " << type;
    if (type != kLoginJsonContentType)
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(reply->readAll());
    if (!doc.isObject()) {
        qDebug() << "invalid json data";
        return false;
    }
    *out = doc.object();
    return true;
}

int replyCode(const QJsonObject& envelope)
{
    return envelope.value(QStringLiteral("code")).toInt(0);
}

bool loginInfoFromData(const QJsonObject& data, qint32 loginType, LoginInfo* out)
{
    LoginInfo info;
    info.uid = data.value(QStringLiteral("uid")).toInt(0);
    info.wechat_user_space_id = data.value(QStringLiteral("wechat_user_space_id")).toInt(0);
    info.name = data.value(QStringLiteral("name")).toString();
    info.photo = data.value(QStringLiteral("photo")).toString();
    info.token = data.value(QStringLiteral("token")).toString().toUtf8();
    info.loginType = loginType;
    if (info.token.isEmpty())
        return false;
    *out = info;
    return true;
}

} // namespace solvek
