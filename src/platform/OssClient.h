#pragma once
// A small client of the service's object storage: signed uploads with temporary credentials and
// presigned download addresses. It is used from one worker thread at a time; every upload makes
// its own network manager there and waits for the reply (at most kTimeoutMs). abort() may be
// called from any thread and ends the upload in progress at once.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>
#include <atomic>

class OssClient
{
public:
    struct Result {
        bool ok = false;
        int status = 0;   // HTTP status, 0 when no reply came
        QString code;     // the storage's error code ("SignatureDoesNotMatch", ...), or a local one
        QString message;
    };

    static constexpr int kTimeoutMs = 30000;
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
    static constexpr qint64 kPresignSeconds = 3600;

    // `endpoint` is the storage address ("https://oss-...com" or "http://127.0.0.1:port").
    OssClient(const QString& endpoint, const QByteArray& keyId, const QByteArray& keySecret,
              const QByteArray& securityToken);

    Result PutObject(const QString& bucket, const QString& key, const QString& file);
    // The object's address with a signature valid until `expires` (seconds since the epoch; by
    // default an hour from now).
    QString GeneratePresignedUrl(const QString& bucket, const QString& key, qint64 expires = 0) const;

    void abort() { m_abort = true; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // The plain address of an object: "<bucket>.<host>/<key>", or "<host>/<bucket>/<key>" when the
    // endpoint's host is an IP address.
    QUrl objectUrl(const QString& bucket, const QString& key) const;

    // ---- the signing steps, public for tests --------------------------------------------------
    static QByteArray putStringToSign(const QByteArray& contentMd5, const QByteArray& contentType,
                                      const QByteArray& date, const QByteArray& token, const QString& bucket,
                                      const QString& key);
    static QByteArray sign(const QByteArray& secret, const QByteArray& stringToSign);
    // "OSS <id>:<signature>".
    static QByteArray authorization(const QByteArray& keyId, const QByteArray& secret, const QByteArray& stringToSign);
    // RFC 1123 in GMT, English names whatever the locale.
    static QByteArray httpDate(const QDateTime& when);
    // By the key's suffix: image/png, image/jpeg, image/gif, image/bmp, image/webp, else
    // application/octet-stream.
    static QByteArray contentTypeFor(const QString& key);
    // Code and message of an XML error body (empty when it has none).
    static void readError(const QByteArray& body, QString* code, QString* message);

    // Tests fix the clock of the signature.
    void setClockForTest(const QDateTime& now) { m_fixedNow = now; }

private:
    QDateTime now() const { return m_fixedNow.isValid() ? m_fixedNow : QDateTime::currentDateTimeUtc(); }

    QString m_endpoint;
    QByteArray m_keyId;
    QByteArray m_keySecret;
    QByteArray m_token;
    int m_timeoutMs = kTimeoutMs;
    std::atomic_bool m_abort{false};
    QDateTime m_fixedNow;
};
