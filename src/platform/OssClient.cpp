#include "platform/OssClient.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QMessageAuthenticationCode>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QXmlStreamReader>

namespace {
constexpr qint64 kMaxReplyBytes = 64 * 1024;

QByteArray resourceOf(const QString& bucket, const QString& key)
{
    return "/" + bucket.toUtf8() + "/" + key.toUtf8();
}

QByteArray encoded(const QByteArray& value)
{
    return QUrl::toPercentEncoding(QString::fromUtf8(value));
}
} // namespace

OssClient::OssClient(const QString& endpoint, const QByteArray& keyId, const QByteArray& keySecret,
                     const QByteArray& securityToken)
    : m_endpoint(endpoint), m_keyId(keyId), m_keySecret(keySecret), m_token(securityToken)
{
    while (m_endpoint.endsWith(QLatin1Char('/')))
        m_endpoint.chop(1);
}

QByteArray OssClient::putStringToSign(const QByteArray& contentMd5, const QByteArray& contentType,
                                      const QByteArray& date, const QByteArray& token, const QString& bucket,
                                      const QString& key)
{
    return "PUT\n" + contentMd5 + "\n" + contentType + "\n" + date + "\nx-oss-security-token:" + token + "\n" +
           resourceOf(bucket, key);
}

QByteArray OssClient::sign(const QByteArray& secret, const QByteArray& stringToSign)
{
    return QMessageAuthenticationCode::hash(stringToSign, secret, QCryptographicHash::Sha1).toBase64();
}

QByteArray OssClient::authorization(const QByteArray& keyId, const QByteArray& secret, const QByteArray& stringToSign)
{
    return "OSS " + keyId + ":" + sign(secret, stringToSign);
}

QByteArray OssClient::httpDate(const QDateTime& when)
{
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime utc = when.toUTC();
    const QDate d = utc.date();
    return QByteArray(days[d.dayOfWeek() - 1]) + ", " + QByteArray::number(d.day()).rightJustified(2, '0') + " " +
           months[d.month() - 1] + " " + QByteArray::number(d.year()) + " " +
           utc.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + " GMT";
}

QByteArray OssClient::contentTypeFor(const QString& key)
{
    const QString suffix = QFileInfo(key).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "image/png";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "image/jpeg";
    if (suffix == QLatin1String("gif"))
        return "image/gif";
    if (suffix == QLatin1String("bmp"))
        return "image/bmp";
    if (suffix == QLatin1String("webp"))
        return "image/webp";
    return "application/octet-stream";
}

void OssClient::readError(const QByteArray& body, QString* code, QString* message)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("Code"))
            *code = xml.readElementText().left(200);
        else if (xml.name() == QLatin1String("Message"))
            *message = xml.readElementText().left(1000);
    }
}

QUrl OssClient::objectUrl(const QString& bucket, const QString& key) const
{
    QUrl url(m_endpoint);
    const QString keyPath = QString::fromLatin1(QUrl::toPercentEncoding(key, "/"));
    if (QHostAddress().setAddress(url.host())) {
        url.setPath(QLatin1Char('/') + bucket + QLatin1Char('/') + keyPath, QUrl::TolerantMode);
    } else {
        url.setHost(bucket + QLatin1Char('.') + url.host());
        url.setPath(QLatin1Char('/') + keyPath, QUrl::TolerantMode);
    }
    return url;
}

QString OssClient::GeneratePresignedUrl(const QString& bucket, const QString& key, qint64 expires) const
{
    if (expires <= 0)
        expires = now().toSecsSinceEpoch() + kPresignSeconds;
    const QByteArray t = QByteArray::number(expires);
    const QByteArray toSign = "GET\n\n\n" + t + "\n" + resourceOf(bucket, key) + "?security-token=" + m_token;
    QUrl url = objectUrl(bucket, key);
    url.setQuery(QString::fromLatin1("Expires=" + t + "&OSSAccessKeyId=" + encoded(m_keyId) +
                                     "&Signature=" + encoded(sign(m_keySecret, toSign)) +
                                     "&security-token=" + encoded(m_token)),
                 QUrl::StrictMode);
    return url.toString(QUrl::FullyEncoded);
}

OssClient::Result OssClient::PutObject(const QString& bucket, const QString& key, const QString& file)
{
    Result result;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        result.code = QStringLiteral("FileNotReadable");
        result.message = f.errorString();
        return result;
    }
    if (f.size() > kMaxFileBytes) {
        result.code = QStringLiteral("FileTooLarge");
        result.message = QStringLiteral("over %1 bytes").arg(kMaxFileBytes);
        return result;
    }
    const QByteArray body = f.readAll();
    const QByteArray md5 = QCryptographicHash::hash(body, QCryptographicHash::Md5).toBase64();
    const QByteArray type = contentTypeFor(key);
    const QByteArray date = httpDate(now());

    QNetworkRequest request(objectUrl(bucket, key));
    request.setRawHeader("Date", date);
    request.setRawHeader("Content-MD5", md5);
    request.setRawHeader("Content-Type", type);
    request.setRawHeader("x-oss-security-token", m_token);
    request.setRawHeader("Authorization",
                         authorization(m_keyId, m_keySecret, putStringToSign(md5, type, date, m_token, bucket, key)));
    request.setTransferTimeout(m_timeoutMs);

    QNetworkAccessManager manager;
    QEventLoop loop;
    QNetworkReply* reply = manager.put(request, body);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxReplyBytes)
            reply->abort();
    });
    // The whole upload is bounded too, and an abort from another thread is seen within 50 ms.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, reply, [this, reply]() {
        if (m_abort)
            reply->abort();
    });
    watch.start(50);
    QTimer::singleShot(m_timeoutMs, reply, [reply]() { reply->abort(); });
    if (!m_abort && !reply->isFinished())
        loop.exec();
    else if (!reply->isFinished())
        reply->abort();

    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray replyBody = reply->read(kMaxReplyBytes);
    if (result.status >= 200 && result.status < 300 && reply->error() == QNetworkReply::NoError) {
        result.ok = true;
    } else {
        readError(replyBody, &result.code, &result.message);
        if (result.code.isEmpty()) {
            result.code = m_abort ? QStringLiteral("Aborted") : QStringLiteral("NetworkError");
            result.message = reply->errorString();
        }
    }
    delete reply;
    return result;
}
