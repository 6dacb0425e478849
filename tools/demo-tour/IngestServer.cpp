#include "IngestServer.h"

#include <QDir>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tour {

IngestServer::IngestServer(const QString& dir, qint64 pid, int port, QObject* parent)
    : QObject(parent), m_dir(dir), m_pid(pid), m_port(port)
{
}

IngestServer::~IngestServer()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.kill();
        m_nginx.waitForFinished(2000);
    }
}

bool IngestServer::kill()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.kill(); // one process (no master/worker split)
        m_nginx.waitForFinished(2000);
        return true;
    }
    if (m_pid <= 0)
        return false;
    const bool sent = ::kill(pid_t(m_pid), SIGKILL) == 0;
    m_pid = 0;
    return sent;
}

bool IngestServer::start()
{
    if (m_nginx.state() != QProcess::NotRunning)
        return false;
    const QDir dir(m_dir);
    m_nginx.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_nginx.setStandardOutputFile(QProcess::nullDevice());
    m_nginx.start(QStringLiteral("/usr/sbin/nginx"),
                  {QStringLiteral("-p"), m_dir, QStringLiteral("-c"), dir.filePath(QStringLiteral("nginx.conf")),
                   QStringLiteral("-e"), dir.filePath(QStringLiteral("logs/error.log"))});
    return m_nginx.waitForStarted(5000);
}

bool IngestServer::accepting() const
{
    // A loopback connect is answered at once, taken or refused.
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(m_port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool taken = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    ::close(s);
    return taken;
}

} // namespace tour
