#pragma once
// A picture that keeps every bound a picture must keep (4096 x 4096, a PNG well under the byte
// limit) and still takes seconds to decode: 16 bits per channel, interlaced, every row
// Paeth-filtered, its data low in entropy so the file stays small. Where such a picture is
// decoded on the window's thread, the window stops answering for that long.

#include <QByteArray>
#include <QRandomGenerator>
#include <QtEndian>

#include <cstring>

namespace testsupport {
namespace slowpicture {

inline quint32 crc32(const QByteArray& data)
{
    static quint32 table[256] = {};
    if (!table[1]) {
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    quint32 c = 0xffffffffu;
    for (char byte : data)
        c = table[(c ^ quint8(byte)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

inline void chunk(QByteArray* out, const char* type, const QByteArray& body)
{
    char be[4];
    qToBigEndian<quint32>(quint32(body.size()), be);
    out->append(be, 4);
    const QByteArray typed = QByteArray(type, 4) + body;
    out->append(typed);
    qToBigEndian<quint32>(crc32(typed), be);
    out->append(be, 4);
}

} // namespace slowpicture

// The PNG's bytes: an opaque picture of `side` x `side`, of no single colour.
inline QByteArray slowPicture(int side = 4096)
{
    using namespace slowpicture;
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}; // Adam7: x0, y0, dx, dy
    const int bytesPerPixel = 6;                                         // 16-bit RGB
    QByteArray raw;
    raw.reserve(int(qint64(side) * side * bytesPerPixel + qint64(side) * 16));
    QRandomGenerator random(63);
    for (const auto& p : passes) {
        const int w = (side - p[0] + p[2] - 1) / p[2];
        const int h = (side - p[1] + p[3] - 1) / p[3];
        for (int y = 0; y < h; ++y) {
            raw.append(char(4)); // Paeth
            const int start = raw.size();
            const int length = w * bytesPerPixel;
            raw.resize(start + length);
            char* row = raw.data() + start;
            for (int i = 0; i < length; i += 4) {
                const quint32 bits = random.generate() & 0x03030303u;
                std::memcpy(row + i, &bits, size_t(qMin(4, length - i)));
            }
        }
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(side), header.data());
    qToBigEndian<quint32>(quint32(side), header.data() + 4);
    header[8] = 16; // bits per channel
    header[9] = 2;  // RGB
    header[12] = 1; // Adam7
    chunk(&png, "IHDR", header);
    chunk(&png, "IDAT", qCompress(raw, 1).mid(4)); // the zlib stream without Qt's length prefix
    chunk(&png, "IEND", QByteArray());
    return png;
}

} // namespace testsupport
