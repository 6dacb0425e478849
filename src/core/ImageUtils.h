#pragma once
// Picture helpers: fetch a picture and wait for it, load from an address or a file with a
// fallback picture, save a downloaded picture into a folder once, round the corners.
//
// The fetching calls block: they wait for the reply in a nested event loop on the calling thread,
// bounded by fetchTimeoutMs(). While they wait, that thread's timers, replies and (on the GUI
// thread) user input are handled, so a widget that uses `this` after the call must hold a
// QPointer to itself and check it.
//
// Threads: QPixmap belongs to the GUI thread. Worker threads use the QImage variants
// (fetchImage, saveImageToLocal); the QPixmap variants are for the GUI thread.
//
// Addresses that come from the service or the room (avatars, chat pictures, gift pictures) are
// untrusted: load them with loadRemotePixmap / loadRemoteImage, which fetch only http and https
// addresses and never open a local file. loadPixmap also reads local and resource paths and is
// for addresses the program itself chose.

#include "core/PictureLimits.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>

class ImageUtils
{
public:
    // ":/images/live/load_failed.png"
    static QString fallbackPath();
    static QPixmap fallbackPixmap();
    static QImage fallbackImage();

    // GET the address (http or https only; any other scheme fails without a request) and decode
    // the body; the fallback picture on any failure (network or HTTP error, time-out, not a
    // picture).
    static QPixmap getPixmapFromUrl(const QUrl& url);
    static QImage fetchImage(const QUrl& url);

    // Text starting with "http" (case-sensitive) is fetched; anything else is a file or resource
    // path. The fallback picture when nothing loads.
    static QPixmap loadPixmap(const QString& pathOrUrl);

    // For untrusted addresses: an http or https address (scheme in any case) is fetched;
    // anything else gives the fallback picture without touching the network or the disk.
    static QPixmap loadRemotePixmap(const QString& address);
    static QImage loadRemoteImage(const QString& address);
    static bool isRemoteAddress(const QString& address);
    // For pictures named by the room: a remote address whose host is not loopback, private,
    // link-local or unspecified (a viewer must not make the program probe the host's own
    // machine or network), unless it is one of the service's own hosts.
    static bool isRoomPictureAddress(const QString& address);
    static bool isInternalHost(const QString& host);

    // Saves the picture at `url` as folder + "/" + fileName unless a picture already loads from
    // there (then the callback gets it and nothing is fetched). Creates a missing folder. The
    // callback (may be empty) gets the saved file's picture (null when the body was not a
    // picture), or the fallback picture when the download or the write failed.
    // `cancel` (may be null), when it becomes true, ends the fetch in progress as a failure, so a
    // worker that is asked to stop need not wait out fetchTimeoutMs().
    static void saveImgToLocal(const QString& url, const QString& folder, const QString& fileName,
                               const std::function<void(const QPixmap&)>& callback);
    static void saveImageToLocal(const QString& url, const QString& folder, const QString& fileName,
                                 const std::function<void(const QImage&)>& callback,
                                 const std::atomic_bool* cancel = nullptr);

    // Decodes picture bytes (or a file's) through PictureDecoder, on the calling thread (worker
    // threads; the window's thread uses PictureDecoder::decodeLater). A null image when they are
    // no accepted picture or out of the bounds of PictureLimits.
    static constexpr qint64 kMaxPixels = PictureLimits::kMaxPixels;
    // The largest picture reply fetched; a larger one fails like a network error.
    static constexpr qint64 kMaxFetchBytes = PictureLimits::kMaxWebBytes;
    static QImage decodeImage(const QByteArray& bytes);
    static QImage loadImageFile(const QString& path);

    // A copy clipped to a rounded rectangle of the given radius (transparent outside); an empty
    // picture gives an empty picture.
    static QPixmap roundedPixmap(const QPixmap& source, int radius);

    // Upper bound of one fetch (10 s); tests may shorten it.
    // How often a fetch that can be cancelled looks at its flag.
    static constexpr int kCancelPollMs = 50;
    static constexpr int kDefaultFetchTimeoutMs = 10000;
    static int fetchTimeoutMs();
    static void setFetchTimeoutMs(int ms);
};
