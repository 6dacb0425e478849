#pragma once
// The log writer: every Qt diagnostic of the process becomes one line on standard output.
// With file logging on, standard output itself is pointed at a dated file under "./log", and the
// first line of each new calendar day starts the next file.
//
// Line: level mark ("D ", "W ", "E", "I"), blank, "MM-dd hh::mm:ss.zzz", blank, "<pid>-<thread>",
// blank, the message, " [<file>:<line>]".

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <functional>

class SolVekLog
{
public:
    using Clock = std::function<QDateTime()>;

    // The single writer on the process's standard output, file logging off.
    static SolVekLog* getInstance();

    // A writer on `out` (the stream that file logging reopens onto the log file). Tests use their
    // own stream; the process uses stdout through getInstance.
    explicit SolVekLog(FILE* out = stdout);
    SolVekLog(const SolVekLog&) = delete;
    SolVekLog& operator=(const SolVekLog&) = delete;

    // Switches file logging; switching on makes a new log file at once.
    void setEnabled(bool enabled);
    bool isEnabled() const;

    // Formats and writes one line (called by logMessageHandler).
    void writeLog(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    // With file logging on: makes a new log file and points the output stream at it.
    void creatFile();

    // Name of the current log file (empty before the first one).
    QString fileName() const;

    // Replaces the source of the current time (tests; default QDateTime::currentDateTime).
    void setClock(Clock clock);

    // The line for one message at `now`, without a line break.
    static QString formatLine(QtMsgType type, const QMessageLogContext& context, const QString& msg,
                              const QDateTime& now);

private:
    void creatFileLocked();
    void writeLineLocked(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    FILE* m_out;
    QFile m_logFile;
    QDateTime m_createTime;
    bool m_enabled = false;
    Clock m_clock;
    // Serialises lines and the day roll-over, so two threads crossing midnight make one file.
    // Recursive: a Qt warning raised while a file is being made comes back through the handler.
    mutable QRecursiveMutex m_mutex;
};

// Qt message handler (qInstallMessageHandler): hands every message to SolVekLog::getInstance().
void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg);
