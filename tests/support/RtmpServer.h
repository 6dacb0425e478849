#pragma once
// A private RTMP ingest for one test: nginx with its RTMP module on a free loopback port,
// application "live", recording every stream to a temporary folder. Stopped by stop() or the
// destructor. Also runs ffprobe on what arrived.
//
//   RtmpServer rtmp;
//   QVERIFY(rtmp.start());
//   ... push to rtmp.url() ("rtmp://127.0.0.1:PORT/live") with a stream key ...
//   QVERIFY(rtmp.waitForRecording("KEY", 100000, 15000));
//   QJsonArray streams = RtmpServer::probe(rtmp.recordingOf("KEY"));

#include <QJsonArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class RtmpServer
{
public:
    RtmpServer() = default;
    ~RtmpServer();
    RtmpServer(const RtmpServer&) = delete;
    RtmpServer& operator=(const RtmpServer&) = delete;

    // Starts nginx and waits until the port accepts connections (at most 10 s). A port of 0 picks a
    // free one; a given port (say, the one of a killed server coming back) is tried once.
    bool start(int port = 0);
    void stop();
    // Kills nginx at once, as a crash would (connections drop without a goodbye).
    void kill();
    bool isRunning() const;

    int port() const { return m_port; }
    QString url() const; // rtmp://127.0.0.1:PORT/live
    QString recordDir() const;

    // The newest recording of a stream key ("" when there is none).
    QString recordingOf(const QString& key) const;
    // Waits until a recording of `key` holds at least `minBytes`.
    bool waitForRecording(const QString& key, qint64 minBytes, int timeoutMs) const;

    // ffprobe's stream list of a file or address: objects with codec_type, codec_name, width,
    // height, r_frame_rate, sample_rate, channels. Empty when ffprobe finds nothing.
    static QJsonArray probe(const QString& input, int timeoutMs = 20000);
    // A port nothing listens on at the moment of asking.
    static int freePort();

private:
    QTemporaryDir m_dir;
    QProcess m_nginx;
    int m_port = 0;
};
