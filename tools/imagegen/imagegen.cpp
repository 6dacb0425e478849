// Draws every picture of the program's resource bundle and writes the bundle's images.qrc.
//
// Usage: imagegen <src/images>   (tools/imagegen/run builds and runs it)
//
// One look for all: flat shapes, one stroke weight (2 units on a 24-unit grid), round caps, the house
// colours (white glyphs for the dark panels, grey for light dialogs, accent #0669F5). Icons are drawn
// at twice their usual on-screen size so they stay sharp when scaled. The output is deterministic.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace
{

// ---- colours ---------------------------------------------------------------------------------
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kMuted(0xA3, 0xA6, 0xB9); // secondary glyphs on dark panels
const QColor kGrey(0x6B, 0x6C, 0x83);  // glyphs on light dialogs
const QColor kLine(0xDC, 0xDF, 0xE6);  // light borders and tracks
const QColor kAccent(0x06, 0x69, 0xF5);
const QColor kAccentLight(0x3D, 0x8B, 0xFF);
const QColor kRed(0xF5, 0x47, 0x5B);
const QColor kGreen(0x18, 0xC2, 0x6B);
const QColor kAmber(0xFF, 0xA9, 0x1F);
const QColor kPanel(28, 31, 50);
const QColor kPanel2(0x2C, 0x2F, 0x42);
const QColor kPanel3(0x3A, 0x3D, 0x55);

QPen pen(const QColor& c, qreal w = 2.0)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

using Grid = std::function<void(QPainter&)>;             // draws on a 24 x 24 grid
using Pixels = std::function<void(QPainter&, int, int)>; // draws in pixels of a w x h picture

QImage picture(int w, int h, const Pixels& draw)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, w, h);
    p.end();
    return img;
}

QImage icon(int w, int h, const Grid& draw)
{
    return picture(w, h, [&](QPainter& p, int pw, int ph) {
        p.scale(pw / 24.0, ph / 24.0);
        draw(p);
    });
}

QImage icon(int px, const Grid& draw)
{
    return icon(px, px, draw);
}

// ---- glyphs on the 24-unit grid ----------------------------------------------------------------
void line(QPainter& p, const QColor& c, qreal x1, qreal y1, qreal x2, qreal y2, qreal w = 2.0)
{
    p.setPen(pen(c, w));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void disc(QPainter& p, const QColor& c, qreal cx, qreal cy, qreal r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(cx, cy), r, r);
    p.setBrush(Qt::NoBrush);
}

void ring(QPainter& p, const QColor& c, qreal cx, qreal cy, qreal r, qreal w = 2.0)
{
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(cx, cy), r, r);
}

// A path through the points (closed when asked).
QPainterPath poly(std::initializer_list<QPointF> points, bool closed = false)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : points) {
        if (first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        first = false;
    }
    if (closed)
        path.closeSubpath();
    return path;
}

void fillPath(QPainter& p, const QColor& c, const QPainterPath& path)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    p.setBrush(Qt::NoBrush);
}

void strokePath(QPainter& p, const QColor& c, const QPainterPath& path, qreal w = 2.0)
{
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void turned(QPainter& p, qreal degrees, const std::function<void()>& draw)
{
    p.save();
    p.translate(12, 12);
    p.rotate(degrees);
    p.translate(-12, -12);
    draw();
    p.restore();
}

void cross(QPainter& p, const QColor& c, qreal inset = 6, qreal w = 2.0)
{
    line(p, c, inset, inset, 24 - inset, 24 - inset, w);
    line(p, c, 24 - inset, inset, inset, 24 - inset, w);
}

void plus(QPainter& p, const QColor& c, qreal inset = 5, qreal w = 2.0)
{
    line(p, c, 12, inset, 12, 24 - inset, w);
    line(p, c, inset, 12, 24 - inset, 12, w);
}

void minus(QPainter& p, const QColor& c, qreal inset = 5)
{
    line(p, c, inset, 12, 24 - inset, 12);
}

void check(QPainter& p, const QColor& c, qreal w = 2.0)
{
    const QPainterPath path = poly({{6, 12.5}, {10.5, 17}, {18, 8}});
    strokePath(p, c, path, w);
}

// 0 down, 90 left, 180 up, 270 right (the glyph drawn pointing down, then turned).
void chevron(QPainter& p, const QColor& c, qreal degrees)
{
    turned(p, degrees, [&] {
        const QPainterPath path = poly({{7, 9.5}, {12, 14.5}, {17, 9.5}});
        strokePath(p, c, path);
    });
}

void caret(QPainter& p, const QColor& c, qreal degrees)
{
    turned(p, degrees, [&] {
        const QPainterPath path = poly({{7, 9.5}, {17, 9.5}, {12, 15.5}}, true);
        fillPath(p, c, path);
    });
}

// A line through the glyph with a cleared band beside it, so it reads over strokes.
void slash(QPainter& p, const QColor& c)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    line(p, Qt::black, 4, 4, 20, 20, 5);
    p.restore();
    line(p, c, 4, 4, 20, 20);
}

using Glyph = void (*)(QPainter&, const QColor&);

void camera(QPainter& p, const QColor& c)
{
    p.setPen(pen(c));
    p.drawRoundedRect(QRectF(2.5, 7, 13.5, 10), 2, 2);
    const QPainterPath lens = poly({{16, 10.5}, {21.5, 7.5}, {21.5, 16.5}, {16, 13.5}});
    strokePath(p, c, lens);
}

void microphone(QPainter& p, const QColor& c)
{
    p.setPen(pen(c));
    p.drawRoundedRect(QRectF(9, 3, 6, 11), 3, 3);
    p.drawArc(QRectF(5.5, 5, 13, 13), 180 * 16, 180 * 16);
    line(p, c, 12, 18, 12, 21);
    line(p, c, 8.5, 21, 15.5, 21);
}

// A device glyph struck through (switched off, or missing).
Grid struck(Glyph glyph, const QColor& c, const QColor& slashColour)
{
    return [=](QPainter& p) {
        glyph(p, c);
        slash(p, slashColour);
    };
}

void monitor(QPainter& p, const QColor& c)
{
    p.setPen(pen(c));
    p.drawRoundedRect(QRectF(2.5, 4, 19, 12.5), 1.5, 1.5);
    line(p, c, 12, 16.5, 12, 20);
    line(p, c, 8, 20.5, 16, 20.5);
}

QPainterPath pageOutline()
{
    return poly({{5.5, 3}, {14, 3}, {19, 8}, {19, 21}, {5.5, 21}}, true);
}

void documentShape(QPainter& p, const QColor& c, bool lines = true)
{
    QPainterPath path = pageOutline();
    path.addPath(poly({{14, 3}, {14, 8}, {19, 8}}));
    strokePath(p, c, path);
    if (lines) {
        line(p, c, 9, 12.5, 15.5, 12.5);
        line(p, c, 9, 16.5, 15.5, 16.5);
    }
}

void magnifier(QPainter& p, const QColor& c)
{
    ring(p, c, 10.5, 10.5, 6.5);
    line(p, c, 15.5, 15.5, 20.5, 20.5);
}

void gear(QPainter& p, const QColor& c)
{
    QPolygonF outline;
    for (int i = 0; i < 8; ++i) {
        const qreal base = i * 45.0;
        const qreal steps[4][2] = {{-15, 6.8}, {-9, 9.5}, {9, 9.5}, {15, 6.8}};
        for (const auto& s : steps) {
            const qreal a = qDegreesToRadians(base + s[0]);
            outline << QPointF(12 + s[1] * qCos(a), 12 + s[1] * qSin(a));
        }
    }
    p.setPen(pen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(outline);
    ring(p, c, 12, 12, 3, 1.8);
}

// An arc of radius r round the centre with an open arrow head at its end. Angles in degrees,
// counter-clockwise positive as Qt draws them.
void arcArrow(QPainter& p, const QColor& c, qreal start, qreal sweep, qreal r = 7, qreal cx = 12,
              qreal cy = 12)
{
    p.setPen(pen(c));
    p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), int(start * 16), int(sweep * 16));
    const qreal e = qDegreesToRadians(start + sweep);
    const QPointF end(cx + r * qCos(e), cy - r * qSin(e));
    // Direction of travel at the end of the arc (screen coordinates).
    const qreal s = sweep > 0 ? 1 : -1;
    const QPointF dir(-qSin(e) * s, -qCos(e) * s);
    for (qreal turn : {150.0, -150.0}) {
        const qreal t = qDegreesToRadians(turn);
        const QPointF back(dir.x() * qCos(t) - dir.y() * qSin(t), dir.x() * qSin(t) + dir.y() * qCos(t));
        line(p, c, end.x(), end.y(), end.x() + back.x() * 4, end.y() + back.y() * 4);
    }
}

void person(QPainter& p, const QColor& c, qreal dx = 0, qreal scale = 1)
{
    p.save();
    p.translate(dx, 0);
    p.translate(12, 12);
    p.scale(scale, scale);
    p.translate(-12, -12);
    ring(p, c, 12, 8, 3.8);
    p.setPen(pen(c));
    p.drawArc(QRectF(4.5, 14, 15, 13), 0, 180 * 16);
    p.restore();
}

void pictureGlyph(QPainter& p, const QColor& c)
{
    p.setPen(pen(c));
    p.drawRoundedRect(QRectF(3, 4.5, 18, 15), 2, 2);
    const QPainterPath hills = poly({{4, 18}, {9.5, 12}, {13.5, 16}, {16, 13.5}, {20, 17.5}});
    strokePath(p, c, hills);
    disc(p, c, 16, 9, 1.7);
}

void trash(QPainter& p, const QColor& c)
{
    line(p, c, 4.5, 6.5, 19.5, 6.5);
    const QPainterPath lid = poly({{9.5, 6.5}, {9.5, 3.5}, {14.5, 3.5}, {14.5, 6.5}});
    strokePath(p, c, lid);
    const QPainterPath body = poly({{6.5, 6.5}, {7.5, 20.5}, {16.5, 20.5}, {17.5, 6.5}});
    strokePath(p, c, body);
    line(p, c, 10.5, 10, 10.5, 17);
    line(p, c, 13.5, 10, 13.5, 17);
}

void eraser(QPainter& p, const QColor& c)
{
    turned(p, 45, [&] {
        p.setPen(pen(c));
        p.drawRoundedRect(QRectF(8, 3, 8, 17), 1.5, 1.5);
        QPainterPath tip;
        tip.addRoundedRect(QRectF(8, 13, 8, 7), 1.5, 1.5);
        fillPath(p, c, tip);
    });
}

void penGlyph(QPainter& p, const QColor& c)
{
    turned(p, 45, [&] {
        const QPainterPath body = poly({{9.5, 2.5}, {14.5, 2.5}, {14.5, 16.5}, {12, 21}, {9.5, 16.5}}, true);
        strokePath(p, c, body);
        line(p, c, 9.5, 6, 14.5, 6);
    });
}

// Mirror glyph: two triangles about a dashed axis; `filled` says which side is solid (-1 left, 0 none, 1
// right).
void mirrorGlyph(QPainter& p, const QColor& c, int filled)
{
    QPen dashed = pen(c, 1.5);
    dashed.setDashPattern({1.5, 1.5});
    dashed.setCapStyle(Qt::FlatCap);
    p.setPen(dashed);
    p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
    const QPainterPath left = poly({{9.5, 5.5}, {9.5, 18.5}, {3, 12}}, true);
    const QPainterPath right = poly({{14.5, 5.5}, {14.5, 18.5}, {21, 12}}, true);
    strokePath(p, c, left, 1.8);
    strokePath(p, c, right, 1.8);
    if (filled < 0)
        fillPath(p, c, left);
    if (filled > 0)
        fillPath(p, c, right);
}

void stackMove(QPainter& p, const QColor& c, bool toTop)
{
    turned(p, toTop ? 0 : 180, [&] {
        line(p, c, 5, 4, 19, 4);
        line(p, c, 12, 20, 12, 8.5);
        const QPainterPath head = poly({{7.5, 13}, {12, 8.5}, {16.5, 13}});
        strokePath(p, c, head);
    });
}

void swatch(QPainter& p, const QColor& fill, bool selected)
{
    disc(p, fill, 12, 12, 7);
    ring(p, kMuted, 12, 12, 7, 1);
    if (selected)
        ring(p, kWhite, 12, 12, 10, 1.6);
}

void badgeCircle(QPainter& p, const QColor& fill, const std::function<void()>& glyph)
{
    disc(p, fill, 12, 12, 10);
    glyph();
}

void speedBars(QPainter& p, int lit, const QColor& on)
{
    const QRectF bars[4] = {{3, 16, 3.5, 5}, {8.2, 12, 3.5, 9}, {13.4, 8, 3.5, 13}, {18.6, 4, 3.5, 17}};
    for (int i = 0; i < 4; ++i) {
        QPainterPath path;
        path.addRoundedRect(bars[i], 1, 1);
        fillPath(p, i < lit ? on : kPanel3, path);
    }
}

void windowGlyph(QPainter& p, const QColor& c)
{
    p.setPen(pen(c));
    p.drawRoundedRect(QRectF(3, 4.5, 18, 15), 2, 2);
    line(p, c, 3, 9, 21, 9);
    disc(p, c, 6, 6.8, 0.9);
    disc(p, c, 8.8, 6.8, 0.9);
}

void logo(QPainter& p, int w, int h)
{
    const qreal s = qMin(w, h);
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, s, s), s * 0.22, s * 0.22);
    fillPath(p, kAccent, square);
    p.scale(s / 24.0, s / 24.0);
    const QPainterPath play = poly({{9, 7}, {17.5, 12}, {9, 17}}, true);
    p.setPen(pen(kWhite, 1.6));
    p.setBrush(kWhite);
    p.drawPath(play);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kWhite, 1.6));
    p.drawArc(QRectF(3.5, 3.5, 17, 17), 120 * 16, 120 * 16);
}

// ---- encoders ----------------------------------------------------------------------------------
QByteArray png(const QImage& img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(0); // strongest compression
    if (!writer.write(img.convertToFormat(QImage::Format_ARGB32)))
        qFatal("png: %s", qPrintable(writer.errorString()));
    return bytes;
}

void putLE16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void putLE32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// Icon file with one 32-bit bitmap entry per size (the form every ico reader knows).
QByteArray ico(const std::vector<QImage>& images)
{
    QByteArray out;
    putLE16(out, 0);
    putLE16(out, 1);
    putLE16(out, int(images.size()));
    std::vector<QByteArray> bodies;
    for (const QImage& src : images) {
        const QImage img = src.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        QByteArray body;
        putLE32(body, 40);
        putLE32(body, quint32(w));
        putLE32(body, quint32(2 * h));
        putLE16(body, 1);
        putLE16(body, 32);
        putLE32(body, 0);
        putLE32(body, quint32(w * h * 4 + maskStride * h));
        for (int i = 0; i < 4; ++i)
            putLE32(body, 0);
        for (int y = h - 1; y >= 0; --y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                body.append(char(qBlue(row[x])));
                body.append(char(qGreen(row[x])));
                body.append(char(qRed(row[x])));
                body.append(char(qAlpha(row[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray mask(maskStride, '\0');
            const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(row[x]) == 0)
                    mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
            body.append(mask);
        }
        bodies.push_back(body);
    }
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.append(char(images[i].width() >= 256 ? 0 : images[i].width()));
        out.append(char(images[i].height() >= 256 ? 0 : images[i].height()));
        out.append(char(0));
        out.append(char(0));
        putLE16(out, 1);
        putLE16(out, 32);
        putLE32(out, quint32(bodies[i].size()));
        putLE32(out, offset);
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& b : bodies)
        out.append(b);
    return out;
}

// GIF variable-length LZW over 8-bit indices, codes packed least significant bit first.
QByteArray lzw(const QByteArray& indices)
{
    const int minCodeSize = 8, clearCode = 256;
    QByteArray out;
    quint32 bits = 0;
    int bitCount = 0;
    auto putCode = [&](int code, int size) {
        bits |= quint32(code) << bitCount;
        bitCount += size;
        while (bitCount >= 8) {
            out.append(char(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    std::map<quint32, int> dict;
    int codeSize = minCodeSize + 1, maxCode = clearCode + 1;
    putCode(clearCode, codeSize);
    int cur = -1;
    for (char ch : indices) {
        const int next = quint8(ch);
        if (cur < 0) {
            cur = next;
            continue;
        }
        const quint32 key = (quint32(cur) << 8) | quint32(next);
        auto it = dict.find(key);
        if (it != dict.end()) {
            cur = it->second;
            continue;
        }
        putCode(cur, codeSize);
        dict[key] = ++maxCode;
        if (maxCode >= (1 << codeSize))
            ++codeSize;
        if (maxCode == 4095) {
            putCode(clearCode, codeSize);
            dict.clear();
            codeSize = minCodeSize + 1;
            maxCode = clearCode + 1;
        }
        cur = next;
    }
    putCode(cur, codeSize);
    putCode(clearCode, codeSize);
    putCode(clearCode + 1, minCodeSize + 1);
    if (bitCount > 0)
        out.append(char(bits & 0xFF));
    return out;
}

// Looping animation. Frames are drawn over `matte` and mapped onto a ramp from matte to `ink`;
// pixels of the bare matte become transparent.
QByteArray gif(const std::vector<QImage>& frames, const QColor& matte, const QColor& ink, int delayCs)
{
    const int w = frames.front().width(), h = frames.front().height();
    QByteArray out("GIF89a");
    putLE16(out, w);
    putLE16(out, h);
    out.append(char(0xF7)); // global table of 256 colours
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const qreal t = i == 0 ? 0 : (i - 1) / 254.0;
        out.append(char(qRound(matte.red() + (ink.red() - matte.red()) * t)));
        out.append(char(qRound(matte.green() + (ink.green() - matte.green()) * t)));
        out.append(char(qRound(matte.blue() + (ink.blue() - matte.blue()) * t)));
    }
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    putLE16(out, 0); // loop for ever
    out.append(char(0));
    const qreal dr = ink.red() - matte.red(), dg = ink.green() - matte.green(),
                db = ink.blue() - matte.blue();
    const qreal len2 = dr * dr + dg * dg + db * db;
    for (const QImage& frame : frames) {
        QImage flat(w, h, QImage::Format_ARGB32);
        flat.fill(matte);
        QPainter p(&flat);
        p.drawImage(0, 0, frame);
        p.end();
        QByteArray indices;
        for (int y = 0; y < h; ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const qreal t = ((qRed(row[x]) - matte.red()) * dr + (qGreen(row[x]) - matte.green()) * dg +
                                 (qBlue(row[x]) - matte.blue()) * db) /
                                len2;
                const int level = qBound(0, qRound(t * 254), 254);
                indices.append(char(level == 0 ? 0 : level + 1));
            }
        }
        out.append("\x21\xF9\x04", 3);
        out.append(char((2 << 2) | 1)); // restore to background, index 0 transparent
        putLE16(out, delayCs);
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        putLE16(out, 0);
        putLE16(out, 0);
        putLE16(out, w);
        putLE16(out, h);
        out.append(char(0));
        out.append(char(8));
        const QByteArray data = lzw(indices);
        for (int i = 0; i < data.size(); i += 255) {
            const QByteArray block = data.mid(i, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

// Spinner frames: `dots` dots round a circle, the brightest one moving one step per frame.
std::vector<QImage> spinner(int px, int dots, const QColor& ink)
{
    std::vector<QImage> frames;
    for (int f = 0; f < dots; ++f) {
        frames.push_back(icon(px, [&](QPainter& p) {
            for (int i = 0; i < dots; ++i) {
                const int age = (f - i + dots) % dots;
                QColor c = ink;
                c.setAlphaF(qMax(0.18, 1.0 - age / qreal(dots) * 1.1));
                const qreal a = qDegreesToRadians(-90 + 360.0 * i / dots);
                disc(p, c, 12 + 7.5 * qCos(a), 12 + 7.5 * qSin(a), 1.9);
            }
        }));
    }
    return frames;
}

// Guards the GIF encoder: a noisy frame (long enough to fill and reset the code table several
// times) must decode to exactly the pixels it was built from.
void selfTestGif()
{
    QImage noise(160, 160, QImage::Format_ARGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.setPixel(x, y, qRgb(255, 255 - int((seed >> 16) % 7) * 40, 255));
        }
    const QColor matte(255, 255, 255), ink(255, 15, 255);
    QByteArray bytes = gif({noise}, matte, ink, 10);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "gif");
    const QImage back = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (back.size() != noise.size())
        qFatal("gif self-test: %s", qPrintable(reader.errorString()));
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            const QRgb want = noise.pixel(x, y), got = back.pixel(x, y);
            const bool bare = want == matte.rgb();
            if (bare ? qAlpha(got) != 0 : qAbs(qGreen(got) - qGreen(want)) > 1)
                qFatal("gif self-test: pixel %d,%d is %08x, want %08x", x, y, got, want);
        }
}

QByteArray svg(const char* body, int size = 20)
{
    return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"") + QByteArray::number(size) +
           "\" height=\"" + QByteArray::number(size) + "\" viewBox=\"0 0 24 24\">\n" + body + "</svg>\n";
}

// ---- the bundle --------------------------------------------------------------------------------
struct Bundle {
    std::map<QString, QByteArray> files; // path below the images folder -> bytes

    void add(const QString& path, const QByteArray& bytes)
    {
        if (files.count(path))
            qFatal("duplicate picture %s", qPrintable(path));
        files[path] = bytes;
    }
    void addIcon(const QString& path, int px, const Grid& draw) { add(path, png(icon(px, draw))); }
    void addPicture(const QString& path, int w, int h, const Pixels& draw)
    {
        add(path, png(picture(w, h, draw)));
    }
};

void liveIcons(Bundle& b)
{
    const int S = 32; // usual icon size (shown at 16 to 32)
    b.addIcon("live/add.png", S, [](QPainter& p) { plus(p, kWhite); });
    b.addIcon("live/showadd.png", S, [](QPainter& p) { plus(p, kWhite, 6); });
    b.addIcon("live/disableadd.png", S, [](QPainter& p) { plus(p, kGrey); });
    b.addIcon("live/add_doc.png", S, [](QPainter& p) {
        documentShape(p, kWhite, false);
        line(p, kWhite, 12.25, 10.5, 12.25, 17.5);
        line(p, kWhite, 8.75, 14, 15.75, 14);
    });
    b.addIcon("live/all.png", S, [](QPainter& p) {
        monitor(p, kWhite);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(5.5, 7, 13, 6.5), 1, 1);
        fillPath(p, kWhite, inner);
    });
    b.addIcon("live/area.png", S, [](QPainter& p) {
        QPen dashed = pen(kWhite, 1.6);
        dashed.setDashPattern({2, 2});
        p.setPen(dashed);
        p.drawRect(QRectF(5, 5, 14, 14));
        for (QPointF c : {QPointF(5, 5), QPointF(19, 5), QPointF(5, 19), QPointF(19, 19)})
            disc(p, kWhite, c.x(), c.y(), 2);
    });
    b.addIcon("live/anticlockwise.png", S, [](QPainter& p) { arcArrow(p, kWhite, -60, 270); });
    b.addIcon("live/clockwise.png", S, [](QPainter& p) { arcArrow(p, kWhite, 240, -270); });
    b.addIcon("live/reset.png", S, [](QPainter& p) {
        arcArrow(p, kWhite, -40, 280);
        disc(p, kWhite, 12, 12, 1.8);
    });
    b.addIcon("live/revoke.png", S, [](QPainter& p) {
        QPainterPath path;
        path.moveTo(5, 10);
        path.lineTo(14.5, 10);
        path.cubicTo(18.5, 10, 20, 12.5, 20, 15);
        path.cubicTo(20, 17.5, 18.5, 20, 14.5, 20);
        path.lineTo(9, 20);
        strokePath(p, kWhite, path);
        const QPainterPath head = poly({{9, 5.5}, {4.5, 10}, {9, 14.5}});
        strokePath(p, kWhite, head);
    });
    b.addIcon("live/app_float_window.png", 28, [](QPainter& p) { windowGlyph(p, kAccent); });
    b.addIcon("live/arrow_down.png", S, [](QPainter& p) { chevron(p, kWhite, 0); });
    b.addIcon("live/arrow_left.png", S, [](QPainter& p) { chevron(p, kWhite, 90); });
    b.addIcon("live/arrow_up.png", S, [](QPainter& p) { chevron(p, kWhite, 180); });
    b.addIcon("live/arrow_right.png", S, [](QPainter& p) { chevron(p, kWhite, 270); });
    b.addIcon("live/clickright.png", S, [](QPainter& p) { chevron(p, kMuted, 270); });
    b.addIcon("live/overturnicon.png", S, [](QPainter& p) { chevron(p, kWhite, 270); });
    b.addIcon("live/down.png", S, [](QPainter& p) { caret(p, kWhite, 0); });
    b.addIcon("live/up.png", S, [](QPainter& p) { caret(p, kWhite, 180); });
    b.addIcon("live/big.png", S, [](QPainter& p) {
        magnifier(p, kWhite);
        line(p, kWhite, 10.5, 7.5, 10.5, 13.5, 1.8);
        line(p, kWhite, 7.5, 10.5, 13.5, 10.5, 1.8);
    });
    b.addIcon("live/small.png", S, [](QPainter& p) {
        magnifier(p, kWhite);
        line(p, kWhite, 7.5, 10.5, 13.5, 10.5, 1.8);
    });
    b.addIcon("live/search.png", S, [](QPainter& p) { magnifier(p, kMuted); });
    b.addIcon("live/ic_online_list_search.png", S, [](QPainter& p) { magnifier(p, kMuted); });

    // Pen colours of the whiteboard.
    const std::pair<const char*, QColor> swatches[] = {{"black", QColor(0x1E, 0x1E, 0x1E)},
                                                       {"blue", kAccent},
                                                       {"red", kRed},
                                                       {"white", kWhite},
                                                       {"yellow", QColor(0xFF, 0xD3, 0x3D)}};
    for (const auto& s : swatches) {
        const QColor c = s.second;
        b.addIcon(QStringLiteral("live/%1.png").arg(s.first), 24, [c](QPainter& p) { swatch(p, c, false); });
        b.addIcon(QStringLiteral("live/%1select.png").arg(s.first), 24,
                  [c](QPainter& p) { swatch(p, c, true); });
    }

    b.addIcon("live/Topping.png", S, [](QPainter& p) { stackMove(p, kWhite, true); });
    b.addIcon("live/Bottoming.png", S, [](QPainter& p) { stackMove(p, kWhite, false); });
    b.addIcon("live/camera_open.png", S, [](QPainter& p) { camera(p, kWhite); });
    b.addIcon("live/camera_close.png", S, struck(camera, kWhite, kRed));
    b.addIcon("live/camera_close1.png", S, struck(camera, kMuted, kMuted));
    b.addIcon("live/nocamera.png", S, struck(camera, kGrey, kGrey));
    b.addIcon("live/mic_open.png", S, [](QPainter& p) { microphone(p, kWhite); });
    b.addIcon("live/mic_close.png", S, struck(microphone, kWhite, kRed));
    b.addIcon("live/nomic.png", S, struck(microphone, kGrey, kGrey));
    b.addIcon("live/cancle.png", S, [](QPainter& p) {
        ring(p, kWhite, 12, 12, 8.5);
        cross(p, kWhite, 8.5);
    });
    b.addIcon("live/chart.png", S, [](QPainter& p) {
        for (const QRectF& r : {QRectF(4, 13, 4, 7), QRectF(10, 8, 4, 12), QRectF(16, 4, 4, 16)}) {
            QPainterPath bar;
            bar.addRoundedRect(r, 1, 1);
            fillPath(p, kWhite, bar);
        }
        line(p, kWhite, 2.5, 21.5, 21.5, 21.5, 1.5);
    });
    b.addIcon("live/clear.png", S, [](QPainter& p) { trash(p, kWhite); });
    b.addIcon("live/close.png", S, [](QPainter& p) { cross(p, kWhite); });
    b.addIcon("live/close_hover.png", S, [](QPainter& p) { cross(p, kRed); });
    b.addIcon("live/exit.png", S, [](QPainter& p) { cross(p, kMuted); });
    b.addIcon("live/ic_close.png", S, [](QPainter& p) { cross(p, kMuted, 7); });
    b.addIcon("live/layout_close.png", S, [](QPainter& p) { cross(p, kWhite, 7); });
    b.addIcon("live/documentTipClose.png", S, [](QPainter& p) {
        disc(p, kGrey, 12, 12, 9);
        cross(p, kWhite, 8.5, 1.8);
    });
    b.addIcon("live/ic_online_list_search_clear.png", S, [](QPainter& p) {
        disc(p, kGrey, 12, 12, 8);
        cross(p, kWhite, 9, 1.6);
    });
    b.addIcon("live/minimize.png", S, [](QPainter& p) { minus(p, kWhite, 6); });
    b.addIcon("live/minimize_hover.png", S, [](QPainter& p) { minus(p, kAccentLight, 6); });
    b.addIcon("live/normal.png", S, [](QPainter& p) {
        p.setPen(pen(kWhite));
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 1, 1);
    });
    b.addIcon("live/normal_hover.png", S, [](QPainter& p) {
        p.setPen(pen(kAccentLight));
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 1, 1);
    });
    for (const auto& [name, c] : {std::pair<const char*, QColor>{"live/restore.png", kWhite},
                                  std::pair<const char*, QColor>{"live/restore_hover.png", kAccentLight}}) {
        const QColor col = c;
        b.addIcon(name, S, [col](QPainter& p) {
            p.setPen(pen(col));
            p.drawRoundedRect(QRectF(5, 9, 10, 10), 1, 1);
            const QPainterPath back = poly({{9, 9}, {9, 5}, {19, 5}, {19, 15}, {15, 15}});
            strokePath(p, col, back);
        });
    }
    b.addIcon("live/settings.png", 24, [](QPainter& p) { gear(p, kWhite); });
    b.addIcon("live/settings_hover.png", 24, [](QPainter& p) { gear(p, kAccentLight); });
    b.addIcon("live/more_settings.png", S, [](QPainter& p) { gear(p, kWhite); });
    b.addIcon("live/update.png", S, [](QPainter& p) {
        ring(p, kWhite, 12, 12, 9);
        line(p, kWhite, 12, 17, 12, 7.5);
        const QPainterPath head = poly({{8, 11}, {12, 7}, {16, 11}});
        strokePath(p, kWhite, head);
    });
    b.addIcon("live/logout.png", S, [](QPainter& p) {
        p.setPen(pen(kWhite));
        p.drawArc(QRectF(4.5, 5, 15, 15), 125 * 16, 290 * 16);
        line(p, kWhite, 12, 3.5, 12, 11.5);
    });
    b.addIcon("live/conn_mic.png", S, [](QPainter& p) {
        person(p, kMuted, 4, 0.8);
        person(p, kWhite, -3, 0.9);
    });
    b.addIcon("live/remove.png", S, [](QPainter& p) {
        person(p, kWhite, -2.5, 0.9);
        line(p, kRed, 16.5, 12, 22, 12);
    });
    b.addIcon("live/desktop_share.png", S, [](QPainter& p) {
        monitor(p, kWhite);
        line(p, kWhite, 12, 13.5, 12, 7.5, 1.8);
        const QPainterPath head = poly({{9, 10}, {12, 7}, {15, 10}});
        strokePath(p, kWhite, head, 1.8);
    });
    b.addIcon("live/float_window.png", 40, [](QPainter& p) {
        monitor(p, kGreen);
        disc(p, kGreen, 12, 10.25, 2.5);
    });
    b.addIcon("live/document.png", S, [](QPainter& p) { documentShape(p, kWhite); });
    b.addIcon("live/docTip.png", S, [](QPainter& p) {
        ring(p, kMuted, 12, 12, 9, 1.8);
        p.setPen(pen(kMuted, 1.8));
        p.drawArc(QRectF(9, 6.5, 6, 6), 180 * 16, -270 * 16);
        line(p, kMuted, 12, 12.5, 12, 14, 1.8);
        disc(p, kMuted, 12, 17, 1.2);
    });
    b.addIcon("live/tip.png", S, [](QPainter& p) {
        badgeCircle(p, kAmber, [&] {
            line(p, kWhite, 12, 6.5, 12, 13.5, 2.2);
            disc(p, kWhite, 12, 17, 1.4);
        });
    });
    b.addIcon("live/graphical.png", S, [](QPainter& p) {
        p.setPen(pen(kWhite, 1.8));
        p.drawRect(QRectF(3, 3, 9, 9));
        ring(p, kWhite, 16.5, 16.5, 4.5, 1.8);
        const QPainterPath tri = poly({{3.5, 21}, {7.5, 14.5}, {11.5, 21}}, true);
        strokePath(p, kWhite, tri, 1.8);
    });
    b.addIcon("live/line.png", S, [](QPainter& p) { line(p, kWhite, 5, 19, 19, 5); });
    b.addIcon("live/xuline.png", S, [](QPainter& p) {
        QPen dashed = pen(kWhite);
        dashed.setDashPattern({1.5, 2});
        p.setPen(dashed);
        p.drawLine(QPointF(5, 19), QPointF(19, 5));
    });
    b.addIcon("live/pen.png", S, [](QPainter& p) { penGlyph(p, kWhite); });
    b.addIcon("live/rubber.png", S, [](QPainter& p) { eraser(p, kWhite); });
    b.addIcon("live/spacerase.png", S, [](QPainter& p) {
        p.save();
        p.translate(-2, -3);
        eraser(p, kWhite);
        p.restore();
        line(p, kWhite, 12, 21, 21, 21, 1.6);
        line(p, kWhite, 16, 17.5, 21, 17.5, 1.6);
    });
    b.addIcon("live/ic_upload_picture.png", S, [](QPainter& p) { pictureGlyph(p, kMuted); });
    b.addIcon("live/ic_emote.png", S, [](QPainter& p) {
        ring(p, kMuted, 12, 12, 9);
        disc(p, kMuted, 9, 10, 1.3);
        disc(p, kMuted, 15, 10, 1.3);
        p.setPen(pen(kMuted));
        p.drawArc(QRectF(7.5, 8.5, 9, 8), 200 * 16, 140 * 16);
    });
    b.addIcon("live/ic_online_list_refresh.png", S, [](QPainter& p) {
        arcArrow(p, kMuted, 100, 150);
        arcArrow(p, kMuted, 280, 150);
    });
    b.addIcon("live/ic_toast_default.png", S, [](QPainter& p) {
        badgeCircle(p, kAccent, [&] {
            disc(p, kWhite, 12, 7.3, 1.4);
            line(p, kWhite, 12, 11, 12, 17, 2.2);
        });
    });
    b.addIcon("live/ic_toast_failed.png", S,
              [](QPainter& p) { badgeCircle(p, kRed, [&] { cross(p, kWhite, 8); }); });
    b.addIcon("live/ic_toast_success.png", S,
              [](QPainter& p) { badgeCircle(p, kGreen, [&] { check(p, kWhite, 2.2); }); });
    b.addIcon("live/ic_user_shield.png", S, [](QPainter& p) {
        QPainterPath shield;
        shield.moveTo(12, 2.5);
        shield.lineTo(19.5, 5.5);
        shield.lineTo(19.5, 11);
        shield.cubicTo(19.5, 16, 16.5, 19.5, 12, 21.5);
        shield.cubicTo(7.5, 19.5, 4.5, 16, 4.5, 11);
        shield.lineTo(4.5, 5.5);
        shield.closeSubpath();
        fillPath(p, kRed, shield);
        line(p, kWhite, 8.5, 8, 15.5, 15.5, 1.8);
    });
    b.addIcon("live/level.png", S, [](QPainter& p) { mirrorGlyph(p, kWhite, -1); });
    b.addIcon("live/vertical.png", S,
              [](QPainter& p) { turned(p, 90, [&] { mirrorGlyph(p, kWhite, -1); }); });
    b.addIcon("live/overturn.png", S, [](QPainter& p) {
        p.save();
        p.translate(12, 13.5);
        p.scale(0.8, 0.8);
        p.translate(-12, -12);
        mirrorGlyph(p, kWhite, 0);
        p.restore();
        p.setPen(pen(kWhite, 1.6));
        p.drawArc(QRectF(6, 1.5, 12, 7), 30 * 16, 120 * 16);
    });
    b.addIcon("live/mirror_left.png", S, [](QPainter& p) { mirrorGlyph(p, kWhite, -1); });
    b.addIcon("live/mirror_right.png", S, [](QPainter& p) { mirrorGlyph(p, kWhite, 1); });
    b.addIcon("live/mode.png", S, [](QPainter& p) {
        p.setPen(pen(kWhite, 1.8));
        p.drawRoundedRect(QRectF(2.5, 9, 12, 8), 1.5, 1.5);
        p.drawRoundedRect(QRectF(15.5, 4.5, 6, 15), 1.5, 1.5);
        p.drawArc(QRectF(5, 2.5, 10, 10), 60 * 16, 100 * 16);
    });
    b.addIcon("live/move.png", S, [](QPainter& p) {
        line(p, kWhite, 12, 3, 12, 21, 1.8);
        line(p, kWhite, 3, 12, 21, 12, 1.8);
        for (int d : {0, 90, 180, 270}) {
            turned(p, d, [&] {
                const QPainterPath head = poly({{9, 5.5}, {12, 2.5}, {15, 5.5}});
                strokePath(p, kWhite, head, 1.8);
            });
        }
    });
    b.addIcon("live/sort.png", S, [](QPainter& p) {
        line(p, kWhite, 3.5, 6, 13, 6);
        line(p, kWhite, 3.5, 12, 11, 12);
        line(p, kWhite, 3.5, 18, 9, 18);
        line(p, kWhite, 18, 4, 18, 20, 1.8);
        QPainterPath heads = poly({{15, 7}, {18, 4}, {21, 7}});
        heads.addPath(poly({{15, 17}, {18, 20}, {21, 17}}));
        strokePath(p, kWhite, heads, 1.8);
    });
    b.addIcon("live/share.png", S, [](QPainter& p) {
        line(p, kWhite, 7, 12, 17, 6, 1.8);
        line(p, kWhite, 7, 12, 17, 18, 1.8);
        for (QPointF c : {QPointF(17, 6), QPointF(7, 12), QPointF(17, 18)})
            disc(p, kWhite, c.x(), c.y(), 3);
    });
    b.addIcon("live/whiteboard.png", S, [](QPainter& p) {
        p.setPen(pen(kWhite));
        p.drawRoundedRect(QRectF(3, 3.5, 18, 12.5), 1.5, 1.5);
        line(p, kWhite, 8.5, 16, 6.5, 21);
        line(p, kWhite, 15.5, 16, 17.5, 21);
        QPainterPath scribble;
        scribble.moveTo(6.5, 12);
        scribble.cubicTo(8.5, 7, 10, 7, 11.5, 10.5);
        scribble.cubicTo(13, 14, 15, 13, 17.5, 7.5);
        strokePath(p, kWhite, scribble, 1.6);
    });
    b.addIcon("live/select.png", S, [](QPainter& p) { check(p, kAccent); });
    b.addIcon("live/noselectChk.png", S, [](QPainter& p) {
        p.setPen(pen(kMuted, 1.5));
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3, 3);
    });
    b.addIcon("live/selectChk.png", S, [](QPainter& p) {
        QPainterPath box;
        box.addRoundedRect(QRectF(2.75, 2.75, 18.5, 18.5), 3, 3);
        fillPath(p, kAccent, box);
        check(p, kWhite, 2.2);
    });
    b.addIcon("live/noselectRio.png", S, [](QPainter& p) { ring(p, kMuted, 12, 12, 8.5, 1.5); });
    b.addIcon("live/selectRio.png", S, [](QPainter& p) {
        ring(p, kAccent, 12, 12, 8.5, 1.8);
        disc(p, kAccent, 12, 12, 4.5);
    });
    b.addIcon("live/radiono.png", S, [](QPainter& p) { ring(p, kWhite, 12, 12, 8.5, 1.5); });
    b.addIcon("live/select_radiono.png", S, [](QPainter& p) {
        ring(p, kWhite, 12, 12, 8.5, 1.5);
        disc(p, kAccent, 12, 12, 4.5);
    });
    b.addIcon("live/speed_low.png", S, [](QPainter& p) { speedBars(p, 1, kRed); });
    b.addIcon("live/speed_medium.png", S, [](QPainter& p) { speedBars(p, 2, kAmber); });
    b.addIcon("live/speed_high.png", S, [](QPainter& p) { speedBars(p, 4, kGreen); });
    b.addIcon("live/live_pause.png", 48, [](QPainter& p) {
        badgeCircle(p, kAmber, [&] {
            line(p, kWhite, 9.5, 8, 9.5, 16, 2.4);
            line(p, kWhite, 14.5, 8, 14.5, 16, 2.4);
        });
    });
    b.addIcon("live/live_stop.png", 48, [](QPainter& p) {
        badgeCircle(p, kRed, [&] {
            QPainterPath sq;
            sq.addRoundedRect(QRectF(8, 8, 8, 8), 1.2, 1.2);
            fillPath(p, kWhite, sq);
        });
    });
    b.addIcon("live/loading.png", S, [](QPainter& p) {
        for (int i = 0; i < 8; ++i) {
            QColor c = kWhite;
            c.setAlphaF(0.25 + 0.75 * i / 7.0);
            const qreal a = qDegreesToRadians(-90 + 45.0 * i);
            disc(p, c, 12 + 7.5 * qCos(a), 12 + 7.5 * qSin(a), 1.9);
        }
    });
}

void livePictures(Bundle& b)
{
    // Kind badges of the document tiles (documents, pictures), shown at 36 x 18.
    const std::tuple<const char*, QColor, Glyph> badges[] = {
        {"live/docm.png", kAccent, [](QPainter& p, const QColor& c) { documentShape(p, c, false); }},
        {"live/image.png", kGreen, pictureGlyph}};
    for (const auto& [name, colour, glyph] : badges) {
        const QColor c = colour;
        const auto draw = glyph;
        b.addPicture(name, 72, 36, [c, draw](QPainter& p, int w, int h) {
            QPainterPath pill;
            pill.addRoundedRect(QRectF(0, 0, w, h), 8, 8);
            fillPath(p, c, pill);
            p.scale(h / 24.0, h / 24.0);
            p.translate(1, 0);
            draw(p, kWhite);
            for (int i = 0; i < 3; ++i)
                line(p, kWhite, 26, 7 + i * 5, 44 - i * 4, 7 + i * 5, 2.4);
        });
    }
    b.addPicture("live/logo.png", 64, 64, [](QPainter& p, int w, int h) { logo(p, w, h); });
    b.add("live/icon.ico", ico({icon(16, [](QPainter& p) { windowGlyph(p, kAccent); }),
                                icon(32, [](QPainter& p) { windowGlyph(p, kAccent); })}));

    // Preview area of the layout editor.
    b.addPicture("live/backgroud.png", 600, 338, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), kPanel2);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(kPanel3, 1));
        for (int x = 30; x < w; x += 30)
            p.drawLine(x, 0, x, h);
        for (int y = 26; y < h; y += 26)
            p.drawLine(0, y, w, y);
    });
    // Background of the separate camera window.
    b.addPicture("live/showcamerabk.png", 320, 180, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), kPanel);
        p.translate((w - 64) / 2.0, (h - 64) / 2.0);
        p.scale(64 / 24.0, 64 / 24.0);
        camera(p, kPanel3);
    });
    // Cover of a panel while it loads.
    b.addPicture("live/loading_cover.png", 362, 446, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), kPanel);
        p.translate((w - 72) / 2.0, (h - 72) / 2.0);
        p.scale(3, 3);
        ring(p, kPanel3, 12, 12, 8, 2.2);
        p.setPen(pen(kAccent, 2.2));
        p.drawArc(QRectF(4, 4, 16, 16), 90 * 16, 100 * 16);
    });
    // Start and stop buttons carry their text on top of these.
    b.addPicture("live/play.png", 164, 116, [](QPainter& p, int w, int h) {
        QPainterPath r;
        r.addRoundedRect(QRectF(0, 0, w, h), 12, 12);
        fillPath(p, kAccent, r);
    });
    b.addPicture("live/stop.png", 164, 116, [](QPainter& p, int w, int h) {
        QPainterPath r;
        r.addRoundedRect(QRectF(0, 0, w, h), 12, 12);
        fillPath(p, kRed, r);
    });
    // Placeholders (72 x 72).
    b.addIcon("live/documentLayout.png", 72, [](QPainter& p) {
        const QPainterPath page = pageOutline();
        fillPath(p, kPanel3, page);
        documentShape(p, kGrey);
    });
    b.addIcon("live/layout.png", 72, [](QPainter& p) {
        QPainterPath frame;
        frame.addRoundedRect(QRectF(2.5, 4.5, 19, 15), 1.5, 1.5);
        fillPath(p, kPanel3, frame);
        for (const QRectF& r : {QRectF(4.5, 6.5, 9, 11), QRectF(15, 6.5, 4.5, 5), QRectF(15, 12.5, 4.5, 5)}) {
            QPainterPath tile;
            tile.addRoundedRect(r, 0.8, 0.8);
            fillPath(p, kGrey, tile);
        }
    });
    b.addIcon("live/message.png", 72, [](QPainter& p) {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(2.5, 4, 19, 13), 3, 3);
        bubble.moveTo(7, 16.5);
        bubble.lineTo(6.5, 21);
        bubble.lineTo(11.5, 16.5);
        fillPath(p, kPanel3, bubble);
        for (qreal x : {8.0, 12.0, 16.0})
            disc(p, kGrey, x, 10.5, 1.3);
    });
    b.addPicture("live/ic_online_list_data_is_null.png", 96, 80, [](QPainter& p, int, int) {
        p.scale(4, 4);
        const QPainterPath tray = poly({{2, 11}, {6, 4}, {18, 4}, {22, 11}, {22, 18}, {2, 18}}, true);
        fillPath(p, kPanel3, tray);
        const QPainterPath slot = poly({{2, 11}, {8, 11}, {9.5, 13.5}, {14.5, 13.5}, {16, 11}, {22, 11}});
        strokePath(p, kGrey, slot, 1.2);
        strokePath(p, kGrey, tray, 1.2);
    });
    b.addIcon("live/fileanasisyFaild.png", 56, [](QPainter& p) {
        documentShape(p, kMuted);
        disc(p, kRed, 17.5, 17.5, 5.5);
        line(p, kWhite, 15.5, 15.5, 19.5, 19.5, 1.6);
        line(p, kWhite, 19.5, 15.5, 15.5, 19.5, 1.6);
    });
    b.addIcon("live/load_failed.png", 64, [](QPainter& p) {
        QPainterPath frame;
        frame.addRoundedRect(QRectF(2.5, 4, 19, 16), 2, 2);
        fillPath(p, QColor(0xC8, 0xCA, 0xD6), frame);
        const QPainterPath hills = poly({{3.5, 18}, {9, 11.5}, {12, 15}, {15, 12}, {20.5, 18}}, true);
        fillPath(p, kWhite, hills);
        disc(p, kWhite, 16.5, 8.5, 1.8);
        // the tear across the picture
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        const QPainterPath tear = poly({{13, 3}, {11, 9}, {14, 13}, {11.5, 21}});
        strokePath(p, Qt::black, tear, 1.4);
        p.restore();
    });
    // Animated "loading more" mark of the chat list (dark list).
    b.add("live/load_more_record.gif", gif(spinner(32, 8, kWhite), kPanel, kWhite, 10));

    b.add("live/ic_chat_record_notice.svg",
          svg("<path d=\"M3.5 9.5h3.5l7.5-5v15l-7.5-5H3.5z\" fill=\"#FFA91F\"/>\n"
              "<path d=\"M17.5 8.5a4.5 4.5 0 0 1 0 7\" fill=\"none\" stroke=\"#FFA91F\" stroke-width=\"2\" "
              "stroke-linecap=\"round\"/>\n"
              "<path d=\"M7.5 15l1.5 5\" fill=\"none\" stroke=\"#FFA91F\" stroke-width=\"2\" "
              "stroke-linecap=\"round\"/>\n"));
    b.add("live/ic_chat_record_red_bag.svg",
          svg("<rect x=\"5\" y=\"2.5\" width=\"14\" height=\"19\" rx=\"2\" fill=\"#F5475B\"/>\n"
              "<path d=\"M5 8Q12 12.5 19 8V4.5a2 2 0 0 0-2-2H7a2 2 0 0 0-2 2z\" fill=\"#D93347\"/>\n"
              "<circle cx=\"12\" cy=\"10.5\" r=\"2.6\" fill=\"#FFC53D\"/>\n"));
    b.add("live/ic_chat_record_to_buy.svg",
          svg("<path d=\"M2.5 4h2.5l2.2 11h11l2-8H6.2\" fill=\"none\" stroke=\"#FF7A1F\" stroke-width=\"2\" "
              "stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n"
              "<circle cx=\"9\" cy=\"19\" r=\"1.7\" fill=\"#FF7A1F\"/>\n"
              "<circle cx=\"17\" cy=\"19\" r=\"1.7\" fill=\"#FF7A1F\"/>\n"));
    b.add("live/ic_online_list_search_clear.svg",
          svg("<circle cx=\"12\" cy=\"12\" r=\"8\" fill=\"#6B6C83\"/>\n"
              "<path d=\"M9 9l6 6M15 9l-6 6\" stroke=\"#FFFFFF\" stroke-width=\"1.6\" "
              "stroke-linecap=\"round\"/>\n",
              16));
}

void loginPictures(Bundle& b)
{
    // The login window (960 x 680): an illustration on the left; the form's panel sits on the right.
    b.addPicture("login/background.png", 960, 680, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), QColor(0xF3, 0xF7, 0xFF));
        disc(p, QColor(0xE3, 0xED, 0xFF), 250, 360, 250);
        disc(p, QColor(0xD4, 0xE4, 0xFF), 250, 360, 170);
        disc(p, QColor(0xE3, 0xED, 0xFF), 60, 90, 40);
        disc(p, QColor(0xD4, 0xE4, 0xFF), 430, 600, 26);
        // a screen on air
        QPainterPath screen;
        screen.addRoundedRect(QRectF(130, 270, 240, 150), 10, 10);
        fillPath(p, kAccent, screen);
        p.fillRect(QRectF(235, 420, 30, 26), kAccent);
        QPainterPath foot;
        foot.addRoundedRect(QRectF(190, 444, 120, 10), 5, 5);
        fillPath(p, kAccent, foot);
        const QPainterPath play = poly({{232, 318}, {276, 345}, {232, 372}}, true);
        fillPath(p, kWhite, play);
        p.setPen(pen(kAccentLight, 8));
        // waves on air, between the slogan and the screen; the form brings its own white panel
        p.drawArc(QRectF(160, 246, 180, 90), 55 * 16, 70 * 16);
        p.drawArc(QRectF(130, 232, 240, 120), 60 * 16, 60 * 16);
    });
    b.addIcon("login/close.png", 32, [](QPainter& p) { cross(p, kGrey); });
    b.addIcon("login/minimize.png", 32, [](QPainter& p) { minus(p, kGrey, 6); });
    b.addIcon("login/updateclose.png", 32, [](QPainter& p) { cross(p, kWhite); });
    b.addIcon("login/empty.png", 36, [](QPainter& p) {
        disc(p, QColor(0xC8, 0xCA, 0xD6), 12, 12, 9);
        cross(p, kWhite, 8.5, 1.8);
    });
    b.addIcon("login/eye_open.png", 48, [](QPainter& p) {
        QPainterPath eye;
        eye.moveTo(2.5, 12);
        eye.quadTo(12, 2, 21.5, 12);
        eye.quadTo(12, 22, 2.5, 12);
        strokePath(p, kGrey, eye, 1.6);
        ring(p, kGrey, 12, 12, 3, 1.6);
    });
    b.addIcon("login/eye_closed.png", 48, [](QPainter& p) {
        QPainterPath lid;
        lid.moveTo(3, 10);
        lid.quadTo(12, 19, 21, 10);
        strokePath(p, kGrey, lid, 1.6);
        line(p, kGrey, 6.5, 13.5, 5, 16, 1.6);
        line(p, kGrey, 12, 14.8, 12, 17.8, 1.6);
        line(p, kGrey, 17.5, 13.5, 19, 16, 1.6);
    });
    b.addIcon("login/success.png", 64,
              [](QPainter& p) { badgeCircle(p, kGreen, [&] { check(p, kWhite, 2.2); }); });
    b.addIcon("login/failed.png", 64,
              [](QPainter& p) { badgeCircle(p, kRed, [&] { cross(p, kWhite, 8); }); });
    b.addIcon("login/refresh.png", 48,
              [](QPainter& p) { badgeCircle(p, kAccent, [&] { arcArrow(p, kWhite, 60, 280, 5.5); }); });
    b.addPicture("login/logo.png", 44, 44, [](QPainter& p, int w, int h) { logo(p, w, h); });
    // Header of the update dialog (340 x 142).
    b.addPicture("login/updatebackground.png", 340, 142, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), kAccent);
        disc(p, QColor(0x1C, 0x77, 0xF6), 300, 20, 90);
        disc(p, QColor(0x2F, 0x83, 0xF7), 300, 20, 55);
        disc(p, QColor(0x1C, 0x77, 0xF6), 30, 150, 50);
        // a rocket
        p.translate(250, 30);
        p.rotate(35);
        QPainterPath body;
        body.moveTo(0, -34);
        body.cubicTo(16, -18, 16, 10, 11, 24);
        body.lineTo(-11, 24);
        body.cubicTo(-16, 10, -16, -18, 0, -34);
        fillPath(p, kWhite, body);
        disc(p, kAccent, 0, -6, 6);
        QPainterPath fins;
        fins.moveTo(-11, 10);
        fins.lineTo(-22, 28);
        fins.lineTo(-9, 24);
        fins.moveTo(11, 10);
        fins.lineTo(22, 28);
        fins.lineTo(9, 24);
        fillPath(p, QColor(0xCF, 0xE1, 0xFF), fins);
        const QPainterPath flame = poly({{-7, 26}, {0, 42}, {7, 26}}, true);
        fillPath(p, kAmber, flame);
    });
    // The QR panel's loading mark (white panel), scaled to 180 x 180 there.
    b.add("login/ic_qrcode_loading.gif", gif(spinner(60, 12, kAccent), kWhite, kAccent, 8));
}

void settingsPictures(Bundle& b)
{
    b.addIcon("settings/close.png", 32, [](QPainter& p) { cross(p, kGrey); });
    b.addIcon("settings/minimize.png", 32, [](QPainter& p) { minus(p, kGrey, 6); });
    b.addIcon("settings/select.png", 20, [](QPainter& p) { chevron(p, kGrey, 0); });
    b.addIcon("settings/select_hover.png", 20, [](QPainter& p) { chevron(p, kAccent, 0); });
    b.addIcon("settings/slider.png", 38, [](QPainter& p) {
        disc(p, kWhite, 12, 12, 10);
        ring(p, kAccent, 12, 12, 9, 2.4);
    });
    b.addPicture("settings/switch_close.png", 88, 44, [](QPainter& p, int w, int h) {
        QPainterPath track;
        track.addRoundedRect(QRectF(0, 0, w, h), h / 2.0, h / 2.0);
        fillPath(p, kLine, track);
        disc(p, kWhite, h / 2.0, h / 2.0, h / 2.0 - 4);
    });
    b.addPicture("settings/switch_open.png", 88, 44, [](QPainter& p, int w, int h) {
        QPainterPath track;
        track.addRoundedRect(QRectF(0, 0, w, h), h / 2.0, h / 2.0);
        fillPath(p, kAccent, track);
        disc(p, kWhite, w - h / 2.0, h / 2.0, h / 2.0 - 4);
    });
    b.addPicture("settings/noCamear.png", 434, 244, [](QPainter& p, int w, int h) {
        p.fillRect(QRect(0, 0, w, h), QColor(0xF0, 0xF2, 0xF5));
        // The slash clears a band of the glyph, so the glyph is drawn on its own layer first.
        const QColor c(0xB4, 0xB7, 0xC6);
        p.drawImage(QPointF((w - 72) / 2.0, (h - 72) / 2.0), icon(72, struck(camera, c, c)));
    });
    // Colour choices, plain and chosen.
    const std::pair<const char*, QColor> colours[] = {
        {"Black", QColor(0x1E, 0x1E, 0x1E)}, {"Brown", QColor(0x8B, 0x5A, 0x2B)}, {"White", kWhite}};
    for (const auto& colour : colours) {
        const QColor c = colour.second;
        b.addIcon(QStringLiteral("settings/noSelect%1.png").arg(colour.first), 48, [c](QPainter& p) {
            QPainterPath box;
            box.addRoundedRect(QRectF(3, 3, 18, 18), 3, 3);
            fillPath(p, c, box);
            strokePath(p, kLine, box, 1);
        });
        b.addIcon(QStringLiteral("settings/Select%1.png").arg(colour.first), 48, [c](QPainter& p) {
            QPainterPath box;
            box.addRoundedRect(QRectF(3, 3, 18, 18), 3, 3);
            fillPath(p, c, box);
            strokePath(p, kAccent, box, 2);
            disc(p, kAccent, 18.5, 18.5, 4.5);
            const QPainterPath tick = poly({{16.3, 18.6}, {18, 20.2}, {20.8, 17}});
            strokePath(p, kWhite, tick, 1.3);
        });
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen <images folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    selfTestGif();

    Bundle b;
    b.add("favicon.ico", ico({picture(16, 16, logo), picture(32, 32, logo), picture(48, 48, logo)}));
    liveIcons(b);
    livePictures(b);
    loginPictures(b);
    settingsPictures(b);

    qint64 total = 0;
    QByteArray qrc("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/images\">\n");
    for (const auto& [path, bytes] : b.files) {
        const QString target = dir.filePath(path);
        QDir().mkpath(QFileInfo(target).path());
        QFile f(target);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(target));
        f.close();
        QImageReader check(target);
        if (check.read().isNull())
            qFatal("%s does not read back: %s", qPrintable(target), qPrintable(check.errorString()));
        total += bytes.size();
        qrc += "    <file>" + path.toUtf8() + "</file>\n";
    }
    qrc += "</qresource>\n</RCC>\n";
    QFile qrcFile(dir.filePath("images.qrc"));
    if (!qrcFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || qrcFile.write(qrc) != qrc.size())
        qFatal("cannot write images.qrc");
    std::printf("%d pictures, %lld bytes\n", int(b.files.size()), total);
    return 0;
}
