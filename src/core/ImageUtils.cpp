#include "core/ImageUtils.h"

#include "core/NetUtils.h"
#include "core/PictureDecoder.h"
#include "core/ServiceConstants.h"

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QImageReader>
#include <QSaveFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <atomic>
#include <memory>

namespace
{

std::atomic<int> g_fetchTimeoutMs{ImageUtils::kDefaultFetchTimeoutMs};

struct FetchResult {
    bool ok = false;
    QByteArray body;
};

bool isHttpScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// One GET, waited for in a nested event loop. The network manager would also read file:, qrc: and
// data: addresses, so everything but http(s) fails here without a request.
FetchResult fetch(const QUrl& url, const std::atomic_bool* cancel = nullptr)
{
    FetchResult result;
    if (!isHttpScheme(url)) {
        qDebug() << "Error:"
                 << "not an http address" << url.toString();
        return result;
    }
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    solvek::limitReplySize(reply.get(), ImageUtils::kMaxFetchBytes);
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ImageUtils::fetchTimeoutMs());
    QTimer cancelPoll;
    if (cancel) {
        QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [&loop, cancel] {
            if (cancel->load())
                loop.quit();
        });
        cancelPoll.start(ImageUtils::kCancelPollMs);
    }
    if (!reply->isFinished() && !(cancel && cancel->load()))
        loop.exec();
    if (!reply->isFinished() && cancel && cancel->load()) {
        qDebug() << "Error:"
                 << "cancelled" << url.toString();
        reply->abort();
        return result;
    }
    if (!reply->isFinished()) {
        qDebug() << "Error:"
                 << "timed out" << url.toString();
        reply->abort();
        return result;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Error:" << reply->errorString();
        return result;
    }
    result.ok = true;
    result.body = reply->readAll();
    return result;
}

} // namespace

QString ImageUtils::fallbackPath()
{
    return QStringLiteral(":/images/live/load_failed.png");
}

QPixmap ImageUtils::fallbackPixmap()
{
    return QPixmap(fallbackPath());
}

QImage ImageUtils::fallbackImage()
{
    return QImage(fallbackPath());
}

QImage ImageUtils::decodeImage(const QByteArray& bytes)
{
    return PictureDecoder::decode(bytes);
}

QImage ImageUtils::loadImageFile(const QString& path)
{
    return PictureDecoder::decodeFile(path);
}

QImage ImageUtils::fetchImage(const QUrl& url)
{
    const FetchResult r = fetch(url);
    if (!r.ok)
        return fallbackImage();
    QImage image = decodeImage(r.body);
    return image.isNull() ? fallbackImage() : image;
}

QPixmap ImageUtils::getPixmapFromUrl(const QUrl& url)
{
    return QPixmap::fromImage(fetchImage(url));
}

QPixmap ImageUtils::loadPixmap(const QString& pathOrUrl)
{
    if (pathOrUrl.startsWith(QLatin1String("http")))
        return getPixmapFromUrl(QUrl(pathOrUrl));
    if (pathOrUrl.startsWith(QLatin1String(":/")))
        return QPixmap(pathOrUrl).isNull() ? fallbackPixmap() : QPixmap(pathOrUrl);
    const QImage image = loadImageFile(pathOrUrl);
    return image.isNull() ? fallbackPixmap() : QPixmap::fromImage(image);
}

bool ImageUtils::isInternalHost(const QString& host)
{
    const QString name = host.toLower();
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost")))
        return true;
    QHostAddress address;
    if (!address.setAddress(name.startsWith(QLatin1Char('[')) ? name.mid(1, name.size() - 2) : name))
        return false; // a name: its address is the resolver's business
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped); // also an IPv4 address mapped into IPv6
    if (mapped)
        address = QHostAddress(v4);
    if (address.isLoopback() || address.isNull() || address == QHostAddress::AnyIPv4 ||
        address == QHostAddress::AnyIPv6 || address.isLinkLocal() || address.isSiteLocal() ||
        address.isUniqueLocalUnicast())
        return true;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        const quint32 a = address.toIPv4Address();
        return (a >> 24) == 10 || (a >> 24) == 0 || (a >> 20) == (172u << 4 | 1u) ||
               (a >> 16) == (192u << 8 | 168u) || (a >> 16) == (169u << 8 | 254u) ||
               (a >> 22) == ((100u << 2) | 1u); // 100.64/10, shared
    }
    return false;
}

bool ImageUtils::isRoomPictureAddress(const QString& address)
{
    if (!isRemoteAddress(address))
        return false;
    const QUrl url(address);
    return solvek::isServiceHost(url) || !isInternalHost(url.host());
}

bool ImageUtils::isRemoteAddress(const QString& address)
{
    return isHttpScheme(QUrl(address));
}

QImage ImageUtils::loadRemoteImage(const QString& address)
{
    if (!isRemoteAddress(address))
        return fallbackImage();
    return fetchImage(QUrl(address));
}

QPixmap ImageUtils::loadRemotePixmap(const QString& address)
{
    return QPixmap::fromImage(loadRemoteImage(address));
}

void ImageUtils::saveImageToLocal(const QString& url, const QString& folder, const QString& fileName,
                                  const std::function<void(const QImage&)>& callback,
                                  const std::atomic_bool* cancel)
{
    const QString path = folder + QLatin1Char('/') + fileName;
    const QImage existing = loadImageFile(path);
    if (!existing.isNull()) {
        if (callback)
            callback(existing);
        return;
    }
    QDir().mkpath(folder);
    const FetchResult r = fetch(QUrl(url), cancel);
    if (!r.ok) {
        if (callback)
            callback(fallbackImage());
        return;
    }
    // Written aside and renamed into place: a failed or interrupted write (a full disk, the
    // program ending) never leaves half a picture that later runs would take as cached, and two
    // threads saving the same picture never mix their bytes.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(r.body) != r.body.size() || !file.commit()) {
        qDebug() << "Failed to save image to" << path;
        if (callback)
            callback(fallbackImage());
        return;
    }
    qDebug() << "Image downloaded and saved to" << path;
    if (callback)
        callback(loadImageFile(path));
}

void ImageUtils::saveImgToLocal(const QString& url, const QString& folder, const QString& fileName,
                                const std::function<void(const QPixmap&)>& callback)
{
    std::function<void(const QImage&)> toPixmap;
    if (callback)
        toPixmap = [&callback](const QImage& image) { callback(QPixmap::fromImage(image)); };
    saveImageToLocal(url, folder, fileName, toPixmap);
}

QPixmap ImageUtils::roundedPixmap(const QPixmap& source, int radius)
{
    if (source.isNull())
        return QPixmap();
    QPixmap result(source.size());
    result.fill(Qt::transparent);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, source.width(), source.height()), radius, radius, Qt::AbsoluteSize);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(path);
    painter.drawPixmap(0, 0, source);
    return result;
}

int ImageUtils::fetchTimeoutMs()
{
    return g_fetchTimeoutMs.load();
}

void ImageUtils::setFetchTimeoutMs(int ms)
{
    g_fetchTimeoutMs.store(ms > 0 ? ms : kDefaultFetchTimeoutMs);
}
