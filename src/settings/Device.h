#pragma once
// The microphone level meter's arithmetic and its input.
//
// `Device` is the sink the audio input writes into: it adds up the magnitudes of the 16-bit signed
// samples it is given (both channels alike) and, when asked, turns everything written since the
// last asking into one decibel-like level, 20 log10 of the mean magnitude (0 to 90). The audio
// page asks once per 100 ms. A level per written block would jump about: the sound server hands
// over blocks of very different sizes (4092 bytes, then 4), and a 4-byte block is two samples.
//
// `LevelInput` is what feeds a `Device`: the system's default audio input through Qt Multimedia
// (`QtLevelInput`), or a test's fake that writes chosen blocks.

#include <QIODevice>
#include <QPointer>

class QAudioInput;

class Device : public QIODevice
{
    Q_OBJECT
public:
    explicit Device(QObject* parent = nullptr);

    // Emits levelChanged with the level of the samples written since the last call and forgets
    // them. Returns false and emits nothing when no whole sample was written.
    bool takeLevel();
    // Drops what was written and not yet taken.
    void clear();

    // The level of `samples` samples whose magnitudes add up to `magnitudeSum`: the integer part of
    // 20 log10(mean) when the mean is 1 or more, else 0. -1 when there are no samples.
    static int levelOf(quint64 magnitudeSum, quint64 samples);

signals:
    void levelChanged(uchar level);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    quint64 m_sum = 0; // 64 bits: a long sample of full-scale input overflows 32
    quint64 m_samples = 0;
    // A block may end inside a sample; its first byte waits for the next block.
    bool m_hasPendingByte = false;
    char m_pendingByte = 0;
};

// A source of 16-bit signed little-endian PCM for a Device.
class LevelInput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts writing into `sink` (open for writing). False when the input cannot run; the reason is
    // logged once.
    virtual bool start(QIODevice* sink) = 0;
    virtual void stop() = 0;

signals:
    // The running input stopped by itself (the device or the sound server went away).
    void failed();
};

// The system's default audio input through Qt Multimedia, asked for 44100 Hz stereo 16-bit signed
// PCM or the device's nearest format; formats other than 16-bit signed PCM are refused, since the
// meter reads its blocks as such.
class QtLevelInput : public LevelInput
{
    Q_OBJECT
public:
    using LevelInput::LevelInput;
    ~QtLevelInput() override;
    bool start(QIODevice* sink) override;
    void stop() override;

private:
    QAudioInput* m_input = nullptr;
};
