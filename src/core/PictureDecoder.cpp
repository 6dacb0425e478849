#include "core/PictureDecoder.h"

#include "core/PictureLimits.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QImageReader>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

PictureLimits::Format PictureLimits::formatOf(const QByteArray& bytes)
{
    if (bytes.startsWith(QByteArray::fromRawData("\x89PNG\r\n\x1a\n", 8)))
        return Format::Png;
    if (bytes.startsWith(QByteArray::fromRawData("\xff\xd8\xff", 3)))
        return Format::Jpeg;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return Format::Gif;
    if (bytes.startsWith("BM") && bytes.size() >= 26)
        return Format::Bmp;
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP" && webpReadable())
        return Format::WebP;
    return Format::Unknown;
}

QByteArray PictureLimits::readerFormat(Format format)
{
    switch (format) {
    case Format::Png:
        return QByteArrayLiteral("png");
    case Format::Jpeg:
        return QByteArrayLiteral("jpeg");
    case Format::Gif:
        return QByteArrayLiteral("gif");
    case Format::Bmp:
        return QByteArrayLiteral("bmp");
    case Format::WebP:
        return QByteArrayLiteral("webp");
    case Format::Unknown:
        break;
    }
    return QByteArray();
}

bool PictureLimits::webpReadable()
{
    static const bool readable = QImageReader::supportedImageFormats().contains("webp");
    return readable;
}

namespace
{

// A JPEG cut short still decodes (the missing part comes out grey), so it is judged by its
// markers: the last scan must be followed by the end-of-picture marker. Inside a scan a 0xFF byte
// is always followed by 0x00 or a restart marker, so neither marker can occur by chance there.
bool jpegComplete(const QByteArray& bytes)
{
    const int lastScan = bytes.lastIndexOf(QByteArray::fromRawData("\xff\xda", 2));
    return lastScan >= 0 && bytes.indexOf(QByteArray::fromRawData("\xff\xd9", 2), lastScan + 2) >= 0;
}

// The bytes of a PNG's picture data (its IDAT chunks), walked chunk by chunk.
qint64 pngDataBytes(const QByteArray& bytes)
{
    qint64 total = 0;
    qint64 at = 8;
    while (at + 12 <= bytes.size()) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
        const qint64 length = (qint64(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        const QByteArray type = bytes.mid(int(at + 4), 4);
        if (type == "IDAT")
            total += length;
        if (type == "IEND")
            break;
        at += 12 + length;
    }
    return total;
}

QImage refuse(const char* why, const QSize& size = QSize())
{
    qDebug() << "picture refused:" << why << size;
    return QImage();
}

// Reads no more than `shown` needs: both sides at least as large as shown, never larger than
// the picture.
QSize readSize(const QSize& size, const QSize& shown)
{
    if (!shown.isValid() || shown.isEmpty())
        return QSize();
    const QSize fill = size.scaled(shown, Qt::KeepAspectRatioByExpanding);
    if (fill.width() >= size.width() || fill.height() >= size.height() || fill.isEmpty())
        return QSize();
    return fill;
}

QThreadPool* decodePool()
{
    // Two threads at most: pictures arrive in bursts (a page of chat), and a burst must not take
    // every core from the broadcast.
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(2);
        pool->setExpiryTimeout(30000);
    }
    return pool;
}

QByteArray readFile(const QString& path, qint64 maxBytes)
{
    const qint64 limit =
        maxBytes > 0 ? qMin(maxBytes, PictureLimits::kMaxDecodeBytes) : PictureLimits::kMaxDecodeBytes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    if (file.size() > limit) {
        qDebug() << "picture refused: file too large" << path;
        return QByteArray();
    }
    return file.read(limit + 1).left(int(limit));
}

} // namespace

QImage PictureDecoder::decode(const QByteArray& bytes, const QSize& shownSize)
{
    return decode(
        bytes, [shownSize](const QSize& size) { return readSize(size, shownSize); }, nullptr);
}

QImage PictureDecoder::decode(const QByteArray& bytes, const ReadSize& readSizeOf, QSize* announced)
{
    if (announced)
        *announced = QSize();
    if (bytes.isEmpty())
        return QImage();
    if (bytes.size() > PictureLimits::kMaxDecodeBytes)
        return refuse("too many bytes");
    const PictureLimits::Format format = PictureLimits::formatOf(bytes);
    if (format == PictureLimits::Format::Unknown)
        return refuse("not an accepted format");
    if (format == PictureLimits::Format::Jpeg && !jpegComplete(bytes))
        return refuse("JPEG cut short");

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, PictureLimits::readerFormat(format));
    reader.setAutoDetectImageFormat(false); // the format is the one the content announced
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!PictureLimits::sizeAllowed(size))
        return refuse("announced size out of bounds", size);
    if (reader.supportsAnimation() || format == PictureLimits::Format::Gif) {
        const int frames = reader.imageCount();
        if (frames > PictureLimits::kMaxFrames)
            return refuse("too many frames", QSize(frames, 0));
    }
    // Picture data far beyond what the picture needs (at 8 bytes a pixel, 16-bit RGBA) hides
    // something no reader should be made to go through.
    if (format == PictureLimits::Format::Png &&
        pngDataBytes(bytes) > PictureLimits::kMaxSurplusBytes + 2 * 8 * qint64(size.width()) * size.height())
        return refuse("far more picture data than the picture holds", size);
    QSize scaled = readSizeOf ? readSizeOf(size) : QSize();
    if (scaled.isValid() && !scaled.isEmpty()) {
        // Read larger than the picture (to fill a screen, say) only within the bounds.
        if (!PictureLimits::sizeAllowed(scaled))
            scaled = scaled.scaled(PictureLimits::kMaxSide, PictureLimits::kMaxSide, Qt::KeepAspectRatio);
        if (PictureLimits::sizeAllowed(scaled))
            reader.setScaledSize(scaled);
    }
    QImage image = reader.read();
    if (image.isNull())
        return refuse("undecodable");
    if (!PictureLimits::sizeAllowed(image.size()))
        return refuse("decoded size out of bounds", image.size());
    if (announced)
        *announced = size;
    return image;
}

QImage PictureDecoder::decodeFile(const QString& path, qint64 maxBytes, const QSize& shownSize)
{
    return decode(readFile(path, maxBytes), shownSize);
}

namespace
{

void handOver(QObject* receiver, std::function<QImage()> work, PictureDecoder::Done done)
{
    if (!receiver || !QCoreApplication::instance() ||
        receiver->thread() != QCoreApplication::instance()->thread()) {
        // Not the window's thread: that thread may decode for itself.
        done(work());
        return;
    }
    QPointer<QObject> guard(receiver);
    decodePool()->start([guard, work = std::move(work), done = std::move(done)]() mutable {
        const QImage image = work();
        QObject* app = QCoreApplication::instance();
        if (!app)
            return;
        // Checked on the window's thread, where the receiver lives and is deleted.
        QMetaObject::invokeMethod(
            app,
            [guard, image, done = std::move(done)]() {
                if (guard)
                    done(image);
            },
            Qt::QueuedConnection);
    });
}

} // namespace

void PictureDecoder::decodeLater(const QByteArray& bytes, const QSize& shownSize, QObject* receiver,
                                 Done done)
{
    handOver(
        receiver, [bytes, shownSize]() { return decode(bytes, shownSize); }, std::move(done));
}

void PictureDecoder::decodeFileLater(const QString& path, qint64 maxBytes, const QSize& shownSize,
                                     QObject* receiver, Done done)
{
    handOver(
        receiver, [path, maxBytes, shownSize]() { return decodeFile(path, maxBytes, shownSize); },
        std::move(done));
}

void PictureDecoder::waitForIdle()
{
    decodePool()->waitForDone();
    QCoreApplication::sendPostedEvents();
}
