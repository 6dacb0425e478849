#include "support/SimulatorProcess.h"

#include "core/ServiceConstants.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

SimulatorProcess::~SimulatorProcess() { stop(); }

bool SimulatorProcess::start(const QStringList& extraArgs)
{
    QStringList args{QStringLiteral(SOLVEK_SOURCE_DIR "/tools/service-sim/sim.py"), QStringLiteral("--port"),
                     QStringLiteral("0"), QStringLiteral("--data"), m_data.path()};
    args += extraArgs;
    m_proc.setProcessChannelMode(QProcess::SeparateChannels);
    m_proc.setReadChannel(QProcess::StandardOutput);
    m_proc.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_proc.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    QByteArray buf;
    while (t.elapsed() < 15000) {
        if (!m_proc.waitForReadyRead(500)) {
            if (m_proc.state() != QProcess::Running)
                break;
            continue;
        }
        buf += m_proc.readAllStandardOutput();
        const int at = buf.indexOf("READY ");
        if (at >= 0 && buf.indexOf('\n', at) > 0) {
            m_base = QString::fromUtf8(buf.mid(at + 6, buf.indexOf('\n', at) - at - 6)).trimmed();
            qputenv("SOLVEK_SERVICE_URL", m_base.toUtf8());
            solvek::setServiceOverride(m_base);
            return true;
        }
    }
    qWarning("simulator did not start: %s", m_proc.readAllStandardError().constData());
    return false;
}

void SimulatorProcess::stop()
{
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.terminate();
        if (!m_proc.waitForFinished(3000)) {
            m_proc.kill();
            m_proc.waitForFinished(2000);
        }
    }
    if (!m_base.isEmpty() && solvek::serviceOverride() == m_base)
        solvek::setServiceOverride(QString());
    m_base.clear();
}

static QByteArray runRequest(bool post, const QUrl& url, const QByteArray& body, const QByteArray& contentType,
                             int* status, int timeoutMs)
{
    QNetworkAccessManager nam;
    QNetworkRequest req(url);
    if (!contentType.isEmpty())
        req.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply* reply = post ? nam.post(req, body) : nam.get(req);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QByteArray out;
    if (reply->isFinished()) {
        out = reply->readAll();
        if (status)
            *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    } else {
        reply->abort();
        if (status)
            *status = -1;
    }
    delete reply;
    return out;
}

QByteArray SimulatorProcess::httpGet(const QUrl& url, int* status, int timeoutMs)
{
    return runRequest(false, url, QByteArray(), QByteArray(), status, timeoutMs);
}

QByteArray SimulatorProcess::httpPost(const QUrl& url, const QByteArray& body, const QByteArray& contentType,
                                      int* status, int timeoutMs)
{
    return runRequest(true, url, body, contentType, status, timeoutMs);
}

QJsonValue SimulatorProcess::control(const QString& path, const QJsonObject& body) const
{
    const QByteArray out = httpPost(QUrl(m_base + path), QJsonDocument(body).toJson(QJsonDocument::Compact),
                                    "application/json");
    const QJsonDocument doc = QJsonDocument::fromJson(out);
    if (doc.isObject())
        return doc.object();
    if (doc.isArray())
        return doc.array();
    return QJsonValue();
}

QJsonValue SimulatorProcess::getJson(const QString& path) const
{
    const QJsonDocument doc = QJsonDocument::fromJson(httpGet(QUrl(m_base + path)));
    if (doc.isObject())
        return doc.object();
    if (doc.isArray())
        return doc.array();
    return QJsonValue();
}

QJsonArray SimulatorProcess::requests(const QString& path) const
{
    QString p = QStringLiteral("/_sim/requests");
    if (!path.isEmpty())
        p += QStringLiteral("?path=") + QString::fromUtf8(QUrl::toPercentEncoding(path));
    return getJson(p).toArray();
}

QJsonArray SimulatorProcess::frames() const { return getJson(QStringLiteral("/_sim/frames")).toArray(); }

QList<QJsonObject> SimulatorProcess::framesOfType(const QString& type) const
{
    QList<QJsonObject> out;
    for (const QJsonValue& f : frames()) {
        const QJsonObject o =
            QJsonDocument::fromJson(f.toObject().value(QStringLiteral("text")).toString().toUtf8()).object();
        if (o.value(QStringLiteral("type")).toString() == type)
            out << o;
    }
    return out;
}

bool SimulatorProcess::script(const QString& path, const QJsonArray& replies) const
{
    return control(QStringLiteral("/_sim/script"), QJsonObject{{"path", path}, {"replies", replies}})
        .toObject()
        .value("ok")
        .toBool();
}

bool SimulatorProcess::reset() const { return control(QStringLiteral("/_sim/reset")).toObject().value("ok").toBool(); }
bool SimulatorProcess::clearLog() const
{
    return control(QStringLiteral("/_sim/clear-log")).toObject().value("ok").toBool();
}
