#pragma once
// 16-bit signed little-endian PCM for the level meter's tests.

#include <QByteArray>
#include <QtEndian>

#include <cmath>

// `count` samples of one value.
inline QByteArray pcmSamples(int count, qint16 value)
{
    QByteArray bytes(count * 2, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        qToLittleEndian<qint16>(value, bytes.data() + 2 * i);
    return bytes;
}

// 0.1 s of a 440 Hz sine at half scale (amplitude 16384), 44100 Hz stereo.
inline QByteArray halfScaleSine()
{
    const int frames = 4410;
    QByteArray bytes(frames * 4, Qt::Uninitialized);
    for (int i = 0; i < frames; ++i) {
        const auto v = qint16(std::lround(16384.0 * std::sin(2.0 * M_PI * 440.0 * i / 44100.0)));
        qToLittleEndian<qint16>(v, bytes.data() + 4 * i);
        qToLittleEndian<qint16>(v, bytes.data() + 4 * i + 2);
    }
    return bytes;
}

// The blocks of `bytes` as the sound server cuts them: `big` bytes, then `small`, in turn.
inline QList<QByteArray> pcmBlocks(const QByteArray& bytes, int big, int small)
{
    QList<QByteArray> blocks;
    for (int at = 0, i = 0; at < bytes.size(); ++i) {
        const int n = i % 2 ? small : big;
        blocks << bytes.mid(at, n);
        at += n;
    }
    return blocks;
}
