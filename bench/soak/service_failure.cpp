// The service-failure drill (ServiceFailureDrill): every open-API request of the host's main road
// fails in turn (500, garbage, a late answer, no answer). Prints one line per case and a summary
// line "soak service cases=.. passed=.. longest_wait_ms=.. longest_gui_stall_ms=..
// settings_written_on_failure=.."; exits non-zero when any case failed.
//
//   soak_service_failure [--out DIR] [--timeout-ms MS] [--modes 500,garbage,late,never]
//                        [--slow-paths "chat send,room list"]
//
// At full length the request time-out is the program's own (30 s) and a late answer comes after
// 40 s. Settings, documents and the program's log (DIR/solvek.log) stay in a private folder.
#include "ServiceFailureDrill.h"

#include "core/NetUtils.h"
#include "core/ServiceConstants.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCodec>

#include <cstdio>

namespace {

QFile* s_logFile = nullptr;

void drillMessageHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    ServiceFailureDrill::noteLog(message);
    if (s_logFile) {
        s_logFile->write(message.toUtf8() + '\n');
        s_logFile->flush();
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Everything the program writes stays in a folder of the drill's own, set before Qt reads
    // the environment.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QDir().mkpath(home.filePath("config"));
    QDir::setCurrent(home.path());

    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Makes each open-API request of the main road fail in turn."));
    parser.addHelpOption();
    const QCommandLineOption out({"o", "out"}, "Folder for the program log.", "dir", "soak-out/service");
    const QCommandLineOption timeout("timeout-ms", "Request time-out of the network layer (default the program's own).",
                                     "ms", QString::number(NetUtils::kDefaultTransferTimeoutMs));
    const QCommandLineOption modes("modes", "Failure modes, comma-separated: 500, garbage, late, never.", "list",
                                   "500,garbage,late,never");
    const QCommandLineOption slowPaths("slow-paths", "Paths whose late and never modes run (default all), comma-separated.",
                                       "list");
    parser.addOptions({out, timeout, modes, slowPaths});
    parser.process(app);

    ServiceFailureOptions options;
    options.outDir = QDir(parser.value(out)).absolutePath();
    options.timeoutMs = parser.value(timeout).toInt();
    options.modes = parser.value(modes).split(',', Qt::SkipEmptyParts);
    if (parser.isSet(slowPaths))
        options.slowPaths = parser.value(slowPaths).split(',', Qt::SkipEmptyParts);
    if (options.timeoutMs <= 0 || !QDir().mkpath(options.outDir)) {
        std::fprintf(stderr, "bad --timeout-ms or --out\n");
        return 2;
    }

    QFile log(QDir(options.outDir).filePath("solvek.log"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        s_logFile = &log;
    qInstallMessageHandler(drillMessageHandler);

    bool ok = false;
    {
        ServiceFailureDrill drill(options, stdout);
        ok = drill.run();
    }
    qInstallMessageHandler(nullptr);
    s_logFile = nullptr;
    return ok ? 0 : 1;
}
