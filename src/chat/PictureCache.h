#pragma once
// Pictures of chat rows (emotes, gifts, picture messages, avatars), loaded asynchronously and kept
// in a small cache. They are decoded off the window's thread by PictureDecoder. Only http and https addresses
// are fetched; any other address (a path, file:, data:, ...) gets the fallback picture and is never opened.

#include "core/PictureLimits.h"

#include <QCache>
#include <QImage>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

class PictureCache : public QObject
{
    Q_OBJECT
public:
    static PictureCache& instance();

    // The picture when it is known (loaded, or the fallback for a failure or a refused address);
    // a null pixmap while it loads, in which case pictureReady(address) follows.
    QPixmap picture(const QString& address);
    bool isPending(const QString& address) const { return m_pending.contains(address); }
    // Calls `done` with the picture: at once when it is known, else when it arrives (not at all
    // once `context` is gone).
    void fetch(const QString& address, QObject* context, std::function<void(const QPixmap&)> done);
    // Like fetch, with a picture made from the address's picture by `make` (a round avatar, say).
    // It is made once per address and variant and then shared: every chat row of one sender shows
    // the same pixmap instead of a copy of its own.
    void fetchMade(const QString& address, const QString& variant, QObject* context,
                   std::function<QPixmap(const QPixmap&)> make, std::function<void(const QPixmap&)> done);

    static bool isFetchable(const QString& address);
    // ":/images/live/load_failed.png", or a drawn stand-in when the bundle lacks it.
    static QPixmap fallback();

    // Forgets every picture (tests).
    void clear();

    static constexpr qint64 kMaxBytes = PictureLimits::kMaxWebBytes; // larger replies are refused
    static constexpr int kMaxSide = PictureLimits::kMaxSide;         // larger pictures are refused
    // Bytes of decoded pictures kept; a picture larger than this is refused (load-failed picture).
    static constexpr int kBudgetBytes = 64 * 1024 * 1024;
    int usedBytes() const { return m_cache.totalCost(); }
    int budgetBytes() const { return m_cache.maxCost(); }
    static constexpr int kTimeoutMs = 30000;

signals:
    void pictureReady(const QString& address);

private:
    PictureCache();
    void finished(QNetworkReply* reply, const QString& address);
    void store(const QString& address, const QImage& image);

    QNetworkAccessManager* m_nam = nullptr;
    QCache<QString, QPixmap> m_cache;
    QCache<QString, QPixmap> m_made; // by variant, a line break, and the address
    QSet<QString> m_pending;
};
