#include "chat/PictureCache.h"

#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/PictureLimits.h"

#include <QDebug>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QUrl>
#include <memory>

PictureCache& PictureCache::instance()
{
    static PictureCache* cache = new PictureCache; // lives as long as the process
    return *cache;
}

PictureCache::PictureCache() : m_nam(new QNetworkAccessManager(this))
{
    m_cache.setMaxCost(kBudgetBytes); // bytes of decoded pictures
    m_made.setMaxCost(16 * 1024 * 1024);
}

bool PictureCache::isFetchable(const QString& address)
{
    return ImageUtils::isRoomPictureAddress(address);
}

QPixmap PictureCache::fallback()
{
    QPixmap pm = ImageUtils::fallbackPixmap();
    if (!pm.isNull())
        return pm;
    pm = QPixmap(40, 40);
    pm.fill(QColor(0x5F, 0x62, 0x81));
    QPainter p(&pm);
    p.setPen(QPen(QColor(0xA5, 0xAB, 0xC7), 3));
    p.drawLine(12, 12, 28, 28);
    p.drawLine(28, 12, 12, 28);
    return pm;
}

void PictureCache::clear()
{
    m_cache.clear();
    m_made.clear();
}

namespace
{
// Bytes the pixmap holds. Not capped: a picture larger than a cache's whole budget is not kept
// (PictureCache refuses it), so the budget bounds the memory under any sequence of pictures.
qint64 costOf(const QPixmap& pm)
{
    return qMax<qint64>(1, qint64(pm.width()) * pm.height() * ((pm.depth() + 7) / 8));
}
} // namespace

QPixmap PictureCache::picture(const QString& address)
{
    if (QPixmap* pm = m_cache.object(address))
        return *pm;
    if (!isFetchable(address)) {
        const QPixmap pm = fallback();
        return pm;
    }
    if (m_pending.contains(address))
        return QPixmap();
    m_pending.insert(address);
    QNetworkRequest req{QUrl(address)};
    req.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = m_nam->get(req);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, address]() { finished(reply, address); });
    return QPixmap();
}

void PictureCache::fetch(const QString& address, QObject* context, std::function<void(const QPixmap&)> done)
{
    const QPixmap known = picture(address);
    if (!known.isNull()) {
        done(known);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &PictureCache::pictureReady, context,
                          [this, address, done, connection](const QString& a) {
                              if (a != address)
                                  return;
                              disconnect(*connection);
                              const QPixmap* pm = m_cache.object(address);
                              done(pm ? *pm : fallback());
                          });
}

void PictureCache::fetchMade(const QString& address, const QString& variant, QObject* context,
                             std::function<QPixmap(const QPixmap&)> make,
                             std::function<void(const QPixmap&)> done)
{
    const QString key = variant + QLatin1Char('\n') + address;
    fetch(address, context, [this, key, make, done](const QPixmap& picture) {
        if (const QPixmap* made = m_made.object(key)) {
            done(*made);
            return;
        }
        const QPixmap made = make(picture);
        const qint64 cost = costOf(made);
        if (cost <= m_made.maxCost())
            m_made.insert(key, new QPixmap(made), int(cost));
        done(made);
    });
}

void PictureCache::finished(QNetworkReply* reply, const QString& address)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        store(address, QImage());
        return;
    }
    // Decoded off the window's thread; the address stays pending until the picture is stored.
    PictureDecoder::decodeLater(reply->readAll(), QSize(), this,
                                [this, address](const QImage& image) { store(address, image); });
}

void PictureCache::store(const QString& address, const QImage& image)
{
    m_pending.remove(address);
    QPixmap pm = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    if (!pm.isNull() && costOf(pm) > m_cache.maxCost()) {
        qDebug() << "picture refused: larger than the picture cache" << pm.size();
        pm = QPixmap();
    }
    if (pm.isNull())
        pm = fallback();
    m_cache.insert(address, new QPixmap(pm), int(qMin<qint64>(costOf(pm), m_cache.maxCost())));
    emit pictureReady(address);
}
