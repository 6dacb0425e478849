#pragma once
// ffprobe on a live RTMP address, run in the background so the windows keep working meanwhile.

#include <QJsonArray>
#include <QObject>
#include <QProcess>
#include <QString>

namespace tour {

class StreamProbe : public QObject
{
    Q_OBJECT
public:
    explicit StreamProbe(QObject* parent = nullptr);
    ~StreamProbe() override;

    void start(const QString& url, int timeoutMs = 20000);
    bool isFinished() const { return m_finished; }
    // True once ffprobe found an H.264 video and an AAC audio stream.
    bool hasVideoAndAudio() const;
    // "h264 1920x1080 25/1, aac 44100 Hz" or what went wrong.
    QString summary() const;
    QString url() const { return m_url; }

private:
    void onFinished();

    QProcess m_proc;
    QString m_url;
    QJsonArray m_streams;
    QString m_error;
    bool m_finished = false;
    int m_run = 0;
};

} // namespace tour
