#include "support/RtmpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {
constexpr char kModule[] = "/usr/lib/nginx/modules/ngx_rtmp_module.so";
} // namespace

RtmpServer::~RtmpServer() { stop(); }

int RtmpServer::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString RtmpServer::url() const { return QStringLiteral("rtmp://127.0.0.1:%1/live").arg(m_port); }

QString RtmpServer::recordDir() const { return m_dir.filePath(QStringLiteral("rec")); }

bool RtmpServer::start(int port)
{
    if (!m_dir.isValid() || !QFile::exists(QString::fromLatin1(kModule)))
        return false;
    const QString root = m_dir.path();
    QDir(root).mkpath(QStringLiteral("logs"));
    QDir(root).mkpath(QStringLiteral("rec"));
    // nginx drops to an unprivileged user when started by root: it must still reach the folder.
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    QFile::setPermissions(recordDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther);

    for (int attempt = 0; attempt < (port ? 1 : 5); ++attempt) {
        m_port = port ? port : freePort();
        const QString conf = root + QStringLiteral("/nginx.conf");
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(QStringLiteral("load_module %1;\n"
                               "daemon off;\n"
                               "master_process off;\n"
                               "pid %2/nginx.pid;\n"
                               "error_log %2/logs/error.log info;\n"
                               "events { worker_connections 128; }\n"
                               "rtmp { server { listen 127.0.0.1:%3; chunk_size 4096;\n"
                               "  application live { live on; record all; record_path %4; record_unique on;\n"
                               "    allow publish 127.0.0.1; deny publish all; allow play 127.0.0.1; deny play all; } } }\n")
                    .arg(QString::fromLatin1(kModule), root)
                    .arg(m_port)
                    .arg(recordDir())
                    .toUtf8());
        f.close();
        m_nginx.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_nginx.start(QStringLiteral("/usr/sbin/nginx"),
                      {QStringLiteral("-p"), root, QStringLiteral("-c"), conf, QStringLiteral("-e"),
                       root + QStringLiteral("/logs/error.log")});
        if (!m_nginx.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && m_nginx.state() == QProcess::Running) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (s.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        stop(); // the port was taken in between, or nginx failed: try another port
    }
    return false;
}

void RtmpServer::stop()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.terminate();
        if (!m_nginx.waitForFinished(5000)) {
            m_nginx.kill();
            m_nginx.waitForFinished(2000);
        }
    }
}

void RtmpServer::kill()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.kill(); // one process (no master/worker split), so this ends the whole server
        m_nginx.waitForFinished(2000);
    }
}

bool RtmpServer::isRunning() const { return m_nginx.state() == QProcess::Running; }

QString RtmpServer::recordingOf(const QString& key) const
{
    const QFileInfoList files = QDir(recordDir()).entryInfoList({key + QStringLiteral("*.flv")}, QDir::Files,
                                                                 QDir::Time);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

bool RtmpServer::waitForRecording(const QString& key, qint64 minBytes, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString file = recordingOf(key);
        if (!file.isEmpty() && QFileInfo(file).size() >= minBytes)
            return true;
        QThread::msleep(100);
    }
    return false;
}

QJsonArray RtmpServer::probe(const QString& input, int timeoutMs)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
             QStringLiteral("stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,channels"),
             QStringLiteral("-of"), QStringLiteral("json"), input});
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object().value(QStringLiteral("streams")).toArray();
}
