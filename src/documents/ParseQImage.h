#pragma once
// The loader of one page thumbnail: decodes the page picture off the GUI thread and hands it to
// the thumbnail (queued), then ends. The picture comes decoded at the thumbnail's size, with the
// page's full size beside it, so a long strip never holds all its pages at full size.
//
// Deleting the loader (with its thumbnail) asks it to stop and waits for it.
#include <QImage>
#include <QSize>
#include <QString>
#include <QThread>

#include <functional>

class ParseQImage : public QThread
{
    Q_OBJECT
public:
    // `decodeSize` gives, from the page's full size, the size to decode at (an invalid size
    // decodes at full size).
    ParseQImage(QString path, std::function<QSize(QSize)> decodeSize, QObject* parent = nullptr);
    ~ParseQImage() override;

    // The page's picture: null when the file is missing, no picture or too large.
    // `fullSize` is the page's own size (invalid with a null picture).
    static QImage load(const QString& path, const std::function<QSize(QSize)>& decodeSize, QSize* fullSize);

signals:
    void ParseImageSig(QImage image, QSize fullSize);

protected:
    void run() override;

private:
    QString m_path;
    std::function<QSize(QSize)> m_decodeSize;
};
