#include "StreamProbe.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTimer>

namespace tour {

StreamProbe::StreamProbe(QObject* parent) : QObject(parent)
{
    connect(&m_proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, [this] { onFinished(); });
    connect(&m_proc, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            m_error = QStringLiteral("ffprobe could not be started");
            m_finished = true;
        }
    });
}

StreamProbe::~StreamProbe()
{
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.kill();
        m_proc.waitForFinished(2000);
    }
}

void StreamProbe::start(const QString& url, int timeoutMs)
{
    m_url = url;
    m_streams = QJsonArray();
    m_error.clear();
    m_finished = false;
    m_proc.start(QStringLiteral("ffprobe"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                  QStringLiteral("stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate"),
                  QStringLiteral("-of"), QStringLiteral("json"), url});
    // The time-out belongs to this run: an earlier run's must not end a later probe.
    const int run = ++m_run;
    QTimer::singleShot(timeoutMs, this, [this, run] {
        if (run == m_run && m_proc.state() != QProcess::NotRunning) {
            m_error = QStringLiteral("ffprobe found nothing in time");
            m_proc.kill();
        }
    });
}

void StreamProbe::onFinished()
{
    m_streams = QJsonDocument::fromJson(m_proc.readAllStandardOutput()).object().value("streams").toArray();
    if (m_streams.isEmpty() && m_error.isEmpty())
        m_error = QString::fromUtf8(m_proc.readAllStandardError()).trimmed().section(QLatin1Char('\n'), -1);
    m_finished = true;
}

bool StreamProbe::hasVideoAndAudio() const
{
    bool video = false, audio = false;
    for (const QJsonValue& v : m_streams) {
        const QJsonObject s = v.toObject();
        video |= s.value("codec_type").toString() == "video" && s.value("codec_name").toString() == "h264";
        audio |= s.value("codec_type").toString() == "audio" && s.value("codec_name").toString() == "aac";
    }
    return video && audio;
}

QString StreamProbe::summary() const
{
    if (m_streams.isEmpty())
        return m_error.isEmpty() ? QStringLiteral("no streams") : m_error;
    QStringList parts;
    for (const QJsonValue& v : m_streams) {
        const QJsonObject s = v.toObject();
        if (s.value("codec_type").toString() == "video")
            parts << QStringLiteral("%1 %2x%3 %4 fps")
                         .arg(s.value("codec_name").toString())
                         .arg(s.value("width").toInt())
                         .arg(s.value("height").toInt())
                         .arg(s.value("r_frame_rate").toString().section(QLatin1Char('/'), 0, 0));
        else
            parts << QStringLiteral("%1 %2 Hz").arg(s.value("codec_name").toString(), s.value("sample_rate").toString());
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace tour
