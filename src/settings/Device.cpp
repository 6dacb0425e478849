#include "settings/Device.h"

#include <QAudioDeviceInfo>
#include <QAudioInput>
#include <QDebug>
#include <QtEndian>

#include <cmath>
#include <cstdlib>

Device::Device(QObject* parent) : QIODevice(parent) {}

qint64 Device::readData(char*, qint64)
{
    return -1;
}

qint64 Device::writeData(const char* data, qint64 size)
{
    if (size <= 0)
        return 0;
    const char* p = data;
    qint64 left = size;
    if (m_hasPendingByte) {
        const char pair[2] = {m_pendingByte, *p};
        m_sum += quint64(std::abs(int(qFromLittleEndian<qint16>(pair))));
        ++m_samples;
        m_hasPendingByte = false;
        ++p;
        --left;
    }
    for (; left >= 2; p += 2, left -= 2) {
        m_sum += quint64(std::abs(int(qFromLittleEndian<qint16>(p))));
        ++m_samples;
    }
    if (left == 1) {
        m_pendingByte = *p;
        m_hasPendingByte = true;
    }
    return size; // the whole block is taken
}

int Device::levelOf(quint64 magnitudeSum, quint64 samples)
{
    if (samples == 0)
        return -1;
    const double mean = double(magnitudeSum) / double(samples);
    return mean >= 1.0 ? int(20.0 * std::log10(mean)) : 0;
}

bool Device::takeLevel()
{
    const int level = levelOf(m_sum, m_samples);
    m_sum = 0;
    m_samples = 0;
    if (level < 0)
        return false;
    emit levelChanged(uchar(level));
    return true;
}

void Device::clear()
{
    m_sum = 0;
    m_samples = 0;
    m_hasPendingByte = false;
}

// ---- the default audio input -----------------------------------------------------------------------

QtLevelInput::~QtLevelInput()
{
    stop();
}

bool QtLevelInput::start(QIODevice* sink)
{
    stop();
    // The device the input opens is the default one, so the format is agreed with that device,
    // not with the first one listed (which may be a virtual device of another audio system).
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultInputDevice();
    if (device.isNull()) {
        qWarning() << "level meter: no audio input device";
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(2);
    format.setSampleSize(16);
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(QAudioFormat::SignedInt);
    if (!device.isFormatSupported(format))
        format = device.nearestFormat(format);
    if (format.sampleSize() != 16 || format.sampleType() != QAudioFormat::SignedInt ||
        format.byteOrder() != QAudioFormat::LittleEndian || format.codec() != QLatin1String("audio/pcm")) {
        qWarning() << "level meter: the audio input offers no 16-bit signed PCM:" << format;
        return false;
    }
    m_input = new QAudioInput(device, format, this);
    m_input->start(sink);
    if (m_input->state() == QAudio::StoppedState && m_input->error() != QAudio::NoError) {
        qWarning() << "level meter: the audio input did not start:" << m_input->error();
        stop();
        return false;
    }
    connect(m_input, &QAudioInput::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_input && m_input->error() != QAudio::NoError) {
            qWarning() << "level meter: the audio input stopped:" << m_input->error();
            emit failed();
        }
    });
    return true;
}

void QtLevelInput::stop()
{
    if (!m_input)
        return;
    QAudioInput* input = m_input;
    m_input = nullptr;
    input->disconnect(this);
    input->stop();
    input->deleteLater(); // stop() may run inside one of its signals
}
