#include "support/PulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

PulseServer::~PulseServer()
{
    stop();
}

QString PulseServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("run/native"));
}

bool PulseServer::start()
{
    if (!m_dir.isValid())
        return false;
    const QString run = m_dir.filePath(QStringLiteral("run"));
    const QString home = m_dir.filePath(QStringLiteral("home"));
    QDir().mkpath(run);
    QDir().mkpath(home);
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.remove(QStringLiteral("PULSE_SERVER"));
    m_server.setProcessEnvironment(env);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(m_dir.filePath(QStringLiteral("pulseaudio.log")));
    // -n: none of the system's configuration, only the modules named here.
    m_server.start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
         QStringLiteral("--use-pid-file=no"), QStringLiteral("--disallow-exit"), QStringLiteral("-L"),
         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1/native").arg(run),
         QStringLiteral("-L"),
         QStringLiteral("module-pipe-source source_name=solvek_mic file=%1/mic.fifo format=s16le rate=44100 "
                        "channels=2 source_properties=device.description=%2")
             .arg(run, QString::fromLatin1(kMicDescription)),
         QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=solvek_out")});
    if (!m_server.waitForStarted(5000))
        return false;

    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_server.state() == QProcess::Running) {
        if (QFile::exists(run + QStringLiteral("/native")) &&
            QFile::exists(run + QStringLiteral("/mic.fifo"))) {
            QProcess pactl;
            pactl.start(QStringLiteral("pactl"),
                        {QStringLiteral("-s"), address(), QStringLiteral("set-default-source"),
                         QStringLiteral("solvek_mic")});
            if (pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit &&
                pactl.exitCode() == 0) {
                qputenv("PULSE_SERVER", address().toUtf8());
                return true;
            }
        }
        QThread::msleep(50);
    }
    stop();
    return false;
}

bool PulseServer::feedSine(double amplitude)
{
    stopFeeder();
    const QString a = QString::number(amplitude, 'f', 6);
    const QString channel = QStringLiteral("%1*sin(2*PI*440*t)").arg(a);
    m_feeder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // -re: in real time, as a microphone would deliver it.
    m_feeder.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
         QStringLiteral("-nostdin"), QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"),
         QStringLiteral("-i"), QStringLiteral("aevalsrc=%1|%1:s=44100").arg(channel), QStringLiteral("-f"),
         QStringLiteral("s16le"), QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-ac"),
         QStringLiteral("2"), QStringLiteral("-y"), m_dir.filePath(QStringLiteral("run/mic.fifo"))});
    return m_feeder.waitForStarted(5000);
}

void PulseServer::stopFeeder()
{
    if (m_feeder.state() != QProcess::NotRunning) {
        m_feeder.kill();
        m_feeder.waitForFinished(5000);
    }
}

void PulseServer::stop()
{
    stopFeeder();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(2000);
        }
    }
}
