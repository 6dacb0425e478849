#pragma once
// The shared client of the service's open API.
//
// One network access manager for the open-API requests of the whole program; replies are judged
// against the service's JSON envelope {"code", "msg", "data"} and handed back through callbacks
// on the GUI thread. After a login every request carries the token in the "openapitoken"
// header. Build form bodies with solvek::FormBody.

#include "core/LoginInfo.h"

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

namespace solvek {
// Every reply from outside has a size bound: past it (or when the reply announces more) the
// reply is aborted and finishes with an error, so an endless body cannot fill memory.
void limitReplySize(QNetworkReply* reply, qint64 maxBytes);

// A bounded, secret-free form of a request or reply body for the log: the values of keys that
// hold credentials (token, signature, password, secret, access keys...) are masked, in JSON and
// in form bodies alike, and the text is cut to a few hundred bytes.
// Push addresses (rtmp, trtc...) keep only their host and application: the stream name and its
// signature are the stream key. Room frames go through this too.
QByteArray loggable(const QByteArray& body);
constexpr int kMaxLoggedBodyBytes = 512;
// Whether `url` is an endpoint whose replies hand out credentials (login tokens, signatures,
// storage credentials, push addresses, the co-host link token): only their envelope is logged.
bool repliesWithCredentials(const QUrl& url);
} // namespace solvek

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
    // The largest open-API reply taken (the longest page of chat history is far below it).
    static constexpr qint64 kMaxReplyBytes = 8 * 1024 * 1024;

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
