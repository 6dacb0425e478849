#include "documents/ParseQImage.h"

#include "core/ImageUtils.h"

#include <QDebug>
#include <QFile>
#include <QImageReader>
#include <QSemaphore>

ParseQImage::ParseQImage(QString path, std::function<QSize(QSize)> decodeSize, QObject* parent)
    : QThread(parent), m_path(std::move(path)), m_decodeSize(std::move(decodeSize))
{
}

ParseQImage::~ParseQImage()
{
    requestInterruption();
    quit();
    wait();
}

QImage ParseQImage::load(const QString& path, const std::function<QSize(QSize)>& decodeSize, QSize* fullSize)
{
    *fullSize = QSize();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    QImageReader reader(&file);
    const QSize size = reader.size();
    // A few kilobytes of PNG can announce a picture of gigabytes.
    if (size.isValid() && qint64(size.width()) * size.height() > ImageUtils::kMaxPixels) {
        qDebug() << "Error: page picture too large" << size << path;
        return QImage();
    }
    const QSize target = size.isValid() && decodeSize ? decodeSize(size) : QSize();
    if (target.isValid() && !target.isEmpty())
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    *fullSize = size.isValid() ? size : image.size();
    // A format that cannot announce its size is decoded whole and scaled here.
    if (!size.isValid() && decodeSize) {
        const QSize late = decodeSize(image.size());
        if (late.isValid() && !late.isEmpty())
            image = image.scaled(late, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

namespace
{
// Loaders start by the strip-full; this many decode at once, so that the pictures being decoded
// (at full size for formats that cannot decode scaled) stay few whatever the page count.
QSemaphore& decodeSlots()
{
    static QSemaphore available(qMax(2, QThread::idealThreadCount()));
    return available;
}
constexpr int kSlotPollMs = 20;
} // namespace

void ParseQImage::run()
{
    while (!decodeSlots().tryAcquire(1, kSlotPollMs))
        if (isInterruptionRequested())
            return;
    QSemaphoreReleaser slot(decodeSlots());
    QSize fullSize;
    QImage image = load(m_path, m_decodeSize, &fullSize);
    if (isInterruptionRequested())
        return;
    emit ParseImageSig(image, fullSize);
    qDebug() << "ParseQImage thread" << QThread::currentThreadId();
    qDebug() << "work done";
}
