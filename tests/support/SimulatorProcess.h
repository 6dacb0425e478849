#pragma once
// Starts the local service simulator (tools/service-sim/sim.py) on a free loopback port for one
// test, points every service host at it, and talks to its control API.

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();

    // Starts the simulator and waits up to 15 s for READY. Extra arguments go to sim.py
    // (for example {"--rtmp", "rtmp://127.0.0.1:1935/live"}). On success sets SOLVEK_SERVICE_URL
    // and the service override of this process.
    bool start(const QStringList& extraArgs = {});
    void stop();

    QString baseUrl() const { return m_base; }
    QString dataDir() const { return m_data.path(); }

    // Control API (synchronous; each waits at most 10 s).
    QJsonArray requests(const QString& path = QString()) const;
    QJsonArray frames() const;
    // The room-channel frames received whose JSON "type" is `type`, in arrival order.
    QList<QJsonObject> framesOfType(const QString& type) const;
    // Queues scripted replies for a path: each object may hold "status", "content_type", "body"
    // (text or JSON), "headers", "delay" (seconds), "hang" (never answers), "times", "endless"
    // (the body, then zero bytes for as long as the client reads), "hostile" (the body is the
    // simulator's hostile picture of that name, see /hostile/ in tools/service-sim/routes/common.py).
    bool script(const QString& path, const QJsonArray& replies) const;
    bool reset() const;
    bool clearLog() const;
    // Any control call: POST of a JSON object to base + path, the JSON reply (null on failure).
    QJsonValue control(const QString& path, const QJsonObject& body = QJsonObject()) const;
    QJsonValue getJson(const QString& path) const;

    // Raw HTTP helpers (synchronous).
    static QByteArray httpGet(const QUrl& url, int* status = nullptr, int timeoutMs = 10000);
    static QByteArray httpPost(const QUrl& url, const QByteArray& body, const QByteArray& contentType,
                               int* status = nullptr, int timeoutMs = 10000);

private:
    QProcess m_proc;
    QTemporaryDir m_data;
    QString m_base;
};
