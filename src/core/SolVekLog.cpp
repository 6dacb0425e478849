#include "core/SolVekLog.h"

#include "core/DataCenter.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QThread>

namespace {

const char* levelMark(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "D ";
    case QtWarningMsg:
        return "W ";
    case QtCriticalMsg:
    case QtFatalMsg:
        return "E";
    case QtInfoMsg:
        return "I";
    }
    return "";
}

} // namespace

SolVekLog* SolVekLog::getInstance()
{
    // Never destroyed: messages may still arrive while the process tears down.
    static SolVekLog* instance = new SolVekLog(stdout);
    return instance;
}

SolVekLog::SolVekLog(FILE* out) : m_out(out), m_clock([] { return QDateTime::currentDateTime(); }) {}

void SolVekLog::setClock(Clock clock)
{
    QMutexLocker lock(&m_mutex);
    m_clock = std::move(clock);
}

void SolVekLog::setEnabled(bool enabled)
{
    QMutexLocker lock(&m_mutex);
    m_enabled = enabled;
    if (enabled)
        creatFileLocked();
}

bool SolVekLog::isEnabled() const
{
    QMutexLocker lock(&m_mutex);
    return m_enabled;
}

QString SolVekLog::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_logFile.fileName();
}

void SolVekLog::creatFile()
{
    QMutexLocker lock(&m_mutex);
    creatFileLocked();
}

QString SolVekLog::formatLine(QtMsgType type, const QMessageLogContext& context, const QString& msg,
                              const QDateTime& now)
{
    // Plain concatenation: the message may itself contain "%1".
    return QLatin1String(levelMark(type)) + QLatin1Char(' ') + now.toString(QStringLiteral("MM-dd hh::mm:ss.zzz")) +
           QLatin1Char(' ') + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
           QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId())) + QLatin1Char(' ') + msg +
           QStringLiteral(" [") + QString::fromLocal8Bit(context.file) + QLatin1Char(':') +
           QString::number(context.line) + QLatin1Char(']');
}

void SolVekLog::writeLog(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    QMutexLocker lock(&m_mutex);
    if (m_enabled && m_clock().date() != m_createTime.date()) {
        // First line of a new day: the announcement closes the old file, this line opens the new one.
        m_logFile.close();
        creatFileLocked();
    }
    writeLineLocked(type, context, msg);
}

void SolVekLog::writeLineLocked(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    const QDateTime now = m_clock();
    if (!m_enabled) {
        const QByteArray line = formatLine(type, context, msg, now).toLocal8Bit();
        std::fprintf(m_out, "%s\n", line.constData());
        // A fatal message aborts the process right after this handler returns; a critical one
        // often precedes a crash. Either would be lost in a pipe's buffer.
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fflush(m_out);
        return;
    }
    // In file mode the message ends at its first NUL character.
    const QString cut = QString::fromUtf8(msg.toUtf8().constData());
    const QByteArray line = formatLine(type, context, cut, now).toUtf8();
    std::fprintf(m_out, "%s\n", line.constData());
    std::fflush(m_out);
}

void SolVekLog::creatFileLocked()
{
    if (!m_enabled)
        return;
    QDir().mkpath(CDataCenter::defaultUserDocRoot() + QStringLiteral("/log"));
    QDir().mkpath(QStringLiteral("./log"));
    // Taken before the announcement below, so the announcement itself does not roll over again.
    m_createTime = m_clock();
    const QString name = QStringLiteral("./log/") + QStringLiteral("/solvek-") +
                         QLocale(QLocale::Chinese, QLocale::China)
                             .toString(m_createTime, QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
                         QStringLiteral(".log");
    // Still reaches the previous destination (the console or the previous day's file).
    writeLineLocked(QtDebugMsg, QMessageLogContext(__FILE__, __LINE__, Q_FUNC_INFO, "default"),
                    QStringLiteral("create log file : ") + name);
    m_logFile.setFileName(name);
    const bool created = m_logFile.open(QIODevice::WriteOnly | QIODevice::Append);
    m_logFile.close();
    std::fflush(m_out);
    // A file that cannot be made leaves the output where it was: a failed reopen would close it.
    // Appending, not truncating: a second file made within the same second (logging switched on
    // twice, a clock set back) has the same name, and its earlier lines must survive.
    if (created)
        std::freopen(QFile::encodeName(name).constData(), "ab", m_out);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    SolVekLog::getInstance()->writeLog(type, context, msg);
}
