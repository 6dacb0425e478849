#pragma once
// The shared client of the service's open API.
//
// One network access manager for the open-API requests of the whole program; replies are judged
// against the service's JSON envelope {"code", "msg", "data"} and handed back through callbacks
// on the GUI thread. After a login every request carries the token in the "openapitoken"
// header. Build form bodies with solvek::FormBody.

#include "login/LoginInfo.h"

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

using NetRawCallback = std::function<void(const QByteArray&)>;
using NetJsonCallback = std::function<void(const QJsonObject&)>;
using NetErrorCallback = std::function<void(const QString&)>;

// Judges the envelope of a reply body: success ("code" "200", "1", 1 or 200) calls onSuccess with
// the whole object; anything else calls onError (when set) with "msg", "JSON is not an object"
// or the parser's error text.
void doDataToJson(const QByteArray& body, const NetJsonCallback& onSuccess, const NetErrorCallback& onError);

class NetUtils : public QObject
{
    Q_OBJECT
public:
    // A request that transfers nothing for this long ends in the error callback.
    static constexpr int kDefaultTransferTimeoutMs = 30000;

    static NetUtils* getInstance();

    void getAsync(const QUrl& url, const NetRawCallback& onSuccess, const NetErrorCallback& onError = {});
    void postAsync(const QUrl& url, const QByteArray& body, const NetRawCallback& onSuccess,
                   const NetErrorCallback& onError = {}, const QString& contentType = QString());
    void getAsyncJson(const QUrl& url, const NetJsonCallback& onSuccess, const NetErrorCallback& onError = {});
    void postAsyncJson(const QUrl& url, const QByteArray& body, const NetJsonCallback& onSuccess,
                       const NetErrorCallback& onError = {}, const QString& contentType = QString());

    // The operations callers use: the URL as text, the body as text (sent as UTF-8, the locale codec).
    void getJson(const QString& url, const NetJsonCallback& onSuccess, const NetErrorCallback& onError = {});
    void postJson(const QString& url, const QString& body, const NetJsonCallback& onSuccess,
                  const NetErrorCallback& onError = {}, const QString& contentType = QString());
    void postRaw(const QString& url, const QString& body, const NetRawCallback& onSuccess,
                 const NetErrorCallback& onError = {}, const QString& contentType = QString());

    void setLoginInfo(const LoginInfo& info);
    LoginInfo getLoginInfo() const;

    // Tests shorten the transfer time-out.
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms; }
    int transferTimeout() const { return m_transferTimeoutMs; }

    // The manager every request goes through (made on first use, a child of the application).
    QNetworkAccessManager* networkManager();

private:
    NetUtils() = default;
    QNetworkRequest makeRequest(const QUrl& url) const;
    void watch(QNetworkReply* reply, const char* what, const NetRawCallback& onSuccess,
               const NetErrorCallback& onError);

    QPointer<QNetworkAccessManager> m_manager;
    LoginInfo m_loginInfo;
    int m_transferTimeoutMs = kDefaultTransferTimeoutMs;
};
