#pragma once
// The one way a picture from outside the program becomes an image (formats and bounds:
// PictureLimits.h). decode() refuses, with a null image, anything that is not one of the accepted
// bitmap formats by content, a JPEG cut short, an animation of more frames than allowed, and a
// picture whose announced or decoded size is out of bounds. With a shown size it reads the picture
// no larger than needed to fill that size.
//
// Threads: decode() and decodeFile() run on the calling thread and are for worker threads.
// The window's thread uses decodeLater() / decodeFileLater(): the decoding runs on a small pool of
// its own and `done` is called on the window's thread afterwards, unless `receiver` is gone by
// then. A refused picture reaches `done` as a null image; the caller shows its load-failed picture.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QObject;

class PictureDecoder
{
public:
    static QImage decode(const QByteArray& bytes, const QSize& shownSize = QSize());
    // The same, the size to read chosen from the announced size (within bounds) by `readSize`
    // (an invalid size reads it whole); `announced` (may be null) gets that size.
    using ReadSize = std::function<QSize(const QSize&)>;
    static QImage decode(const QByteArray& bytes, const ReadSize& readSize, QSize* announced);
    // A file of at most `maxBytes` (and PictureLimits::kMaxDecodeBytes).
    static QImage decodeFile(const QString& path, qint64 maxBytes = -1, const QSize& shownSize = QSize());

    using Done = std::function<void(const QImage&)>;
    static void decodeLater(const QByteArray& bytes, const QSize& shownSize, QObject* receiver, Done done);
    static void decodeFileLater(const QString& path, qint64 maxBytes, const QSize& shownSize,
                                QObject* receiver, Done done);

    // Waits until every decoding started so far has been handed over (tests).
    static void waitForIdle();
};
