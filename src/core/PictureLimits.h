#pragma once
// What a picture from outside the program may be: the formats it is read in and the bounds it
// must keep. Web replies (avatars, chat pictures, emotes, QR codes) and files the program did not
// write itself (pictures the host picks) all pass PictureDecoder, which applies these.
//
// The format is decided from the content, never from a name or a content type, and only bitmap
// formats are read: a vector picture (SVG) costs time out of all proportion to its bytes, and a
// container (ICO) may hold a picture far larger than its directory says. The bounds hold for the
// picture actually decoded, not only for the size a header announces.

#include <QByteArray>
#include <QSize>
#include <QtGlobal>

class PictureLimits
{
public:
    enum class Format { Unknown, Png, Jpeg, Gif, Bmp, WebP };

    static constexpr int kMaxSide = 4096;                      // pixels per side
    static constexpr qint64 kMaxPixels = 40000000;             // pixels per picture (and per frame)
    static constexpr int kMaxFrames = 300;                     // frames of an animated picture
    static constexpr qint64 kMaxWebBytes = 8 * 1024 * 1024;    // a chat or emote picture reply
    static constexpr qint64 kMaxAvatarBytes = 4 * 1024 * 1024; // avatars, QR codes, co-host photos
    static constexpr qint64 kMaxChosenBytes = 2098175; // a picture the host picks (avatar, background)
    // Anything larger is refused before a reader looks at it (files read from disk included).
    static constexpr qint64 kMaxDecodeBytes = 64 * 1024 * 1024;
    // Picture data a PNG may carry beyond twice its decoded size: a small picture whose data
    // runs on for megabytes hides something no reader needs.
    static constexpr qint64 kMaxSurplusBytes = 1024 * 1024;

    // The format the leading bytes announce; Unknown for everything not accepted (SVG, ICO, TIFF,
    // text...). WebP only when this machine's Qt can read it.
    static Format formatOf(const QByteArray& bytes);
    static QByteArray readerFormat(Format format);
    static bool webpReadable();

    static bool sizeAllowed(const QSize& size)
    {
        return size.isValid() && !size.isEmpty() && size.width() <= kMaxSide && size.height() <= kMaxSide &&
               qint64(size.width()) * size.height() <= kMaxPixels;
    }
};
