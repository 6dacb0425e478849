// Runs one soak drill to its end for the short forms in tests/soak/: what it printed (also echoed
// to the test log) and whether it exited normally with status 0.
#pragma once

#include <QDebug>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

struct DrillRun
{
    bool ok = false;
    QString output;
};

inline DrillRun runDrill(const QString& program, const QStringList& arguments, int timeoutMs,
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                         const QString& workingDirectory = QString())
{
    QProcess drill;
    drill.setProcessChannelMode(QProcess::MergedChannels);
    drill.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        drill.setWorkingDirectory(workingDirectory);
    drill.start(program, arguments);
    DrillRun run;
    if (!drill.waitForStarted(10000)) {
        run.output = QStringLiteral("the drill did not start: ") + drill.errorString();
        return run;
    }
    const bool finished = drill.waitForFinished(timeoutMs);
    run.output = QString::fromUtf8(drill.readAll());
    qInfo().noquote() << run.output;
    if (!finished) {
        drill.kill();
        drill.waitForFinished(5000);
        run.output += QStringLiteral("\nthe drill did not end in time");
        return run;
    }
    run.ok = drill.exitStatus() == QProcess::NormalExit && drill.exitCode() == 0;
    return run;
}

} // namespace testsupport
