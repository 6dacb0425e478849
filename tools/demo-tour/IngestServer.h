#pragma once
// The drill's private RTMP server, taken away as a crash would take it and brought back as an
// operator would: killed outright, and started again on the same folder and port. The first server
// is the one the launcher started (its process id given); later ones are this object's children and
// end with it.

#include <QObject>
#include <QProcess>
#include <QString>

namespace tour {

class IngestServer : public QObject
{
    Q_OBJECT
public:
    // dir: the server's folder (nginx.conf, logs/) as the launcher laid it out.
    IngestServer(const QString& dir, qint64 pid, int port, QObject* parent = nullptr);
    ~IngestServer() override;

    // SIGKILL to the running server; false when none runs.
    bool kill();
    // nginx again on the same folder and port; it accepts a moment later (see accepting).
    bool start();
    // The port takes connections now.
    bool accepting() const;
    int port() const { return m_port; }

private:
    QString m_dir;
    qint64 m_pid;
    int m_port;
    QProcess m_nginx;
};

} // namespace tour
