// solvek-demo-tour: the program itself, started as main() starts it, with a host driving its
// windows through the tour. Prints the steps and a summary; exits 0 only when every step held.
//
//   solvek-demo-tour --out DIR [--phone P --password W --room NAME --chat TEXT --documents DIR]
//                    [--startup-only | --hold-live SECONDS [--bench-scene FILE]]   (the benchmarks' modes)
//                    [--cycles N [--custom-base URL]]         (the broadcast drill)
//                    [--ingest-cases 5,30,never --rtmp-dir DIR [--reconnect-retries N --reconnect-delay S]]
//                                                             (the ingest drill)
//                    [--long-room MINUTES [--sample-seconds S --warm-up MINUTES]]   (the long-room drill)
//
// The service addresses come from SOLVEK_SERVICE_URL as for the program. The program's own log
// goes to DIR/solvek.log, so the terminal shows only the tour.
#include "DemoTour.h"

#include "core/ServiceConstants.h"
#include "core/SolVekLog.h"
#include "shell/AppStartup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QTextCodec>

#include <util/bmem.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Sends standard output and error (where the program's log handler and libobs write) to
// `logFile` and returns a stream on the original standard output for the tour's own lines.
FILE* divertProgramLog(const QString& logFile)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int terminal = dup(STDOUT_FILENO);
    const int log = open(QFile::encodeName(logFile).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (terminal < 0 || log < 0)
        return stdout;
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    close(log);
    FILE* out = fdopen(terminal, "w");
    return out ? out : stdout;
}

} // namespace

int main(int argc, char* argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    solvek::prepareApplication();
    QApplication app(argc, argv);
    solvek::applyServiceOverride();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/favicon.ico")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Drives the program's windows as a host would."));
    parser.addHelpOption();
    const QCommandLineOption out({"o", "out"}, "Folder for the screenshots and the program log.", "dir", "demo-out");
    const QCommandLineOption phone("phone", "Phone number of the account.", "number");
    const QCommandLineOption password("password", "Password of the account.", "text");
    const QCommandLineOption room("room", "Name of the room to go live in.", "name");
    const QCommandLineOption chat("chat", "Chat text the host sends.", "text");
    const QCommandLineOption documents("documents",
                                       "Folder of the documents the tour puts on the canvas (holding documents.py's Word document).",
                                       "dir");
    const QCommandLineOption startupOnly("startup-only", "Stop once the main window is drawn; print start-up figures.");
    const QCommandLineOption holdLive("hold-live", "Start the broadcast, stay live this long once the output runs, print CPU figures and end there.",
                                      "seconds");
    const QCommandLineOption benchScene("bench-scene", "With --hold-live: write the scene libobs holds at the end to this JSON file.",
                                        "file");
    const QCommandLineOption cycles("cycles", "The broadcast drill: this many choose/start/pause/resume/stop cycles.", "count");
    const QCommandLineOption customBase("custom-base",
                                        "RTMP application address for the drill's custom-address cycles (default $RTMP_URL).", "url");
    const QCommandLineOption ingest("ingest-cases",
                                    "The ingest drill: kill the RTMP server mid-broadcast, start it again after each "
                                    "listed number of seconds or never (\"5,30,never\").",
                                    "list");
    const QCommandLineOption rtmpDir("rtmp-dir", "The RTMP server's folder (nginx.conf, logs/), for the ingest drill.",
                                     "dir");
    const QCommandLineOption retries("reconnect-retries", "The engine's reconnect retries in the ingest drill.", "count");
    const QCommandLineOption retryDelay("reconnect-delay", "Seconds between the engine's reconnect retries.", "seconds");
    const QCommandLineOption maxStall("max-stall-ms", "The ingest drill fails above this GUI-thread stall.", "ms");
    parser.addOptions({out, phone, password, room, chat, documents, startupOnly, holdLive, benchScene, cycles, customBase});
    parser.addOptions({ingest, rtmpDir, retries, retryDelay, maxStall});
    const QCommandLineOption longRoom("long-room", "The long-room drill: stay live this many minutes in a busy room.",
                                      "minutes");
    const QCommandLineOption sampleSeconds("sample-seconds", "The long-room drill: seconds between memory samples (60).",
                                           "seconds");
    const QCommandLineOption warmUp("warm-up", "The long-room drill: minutes before the memory slope is fitted (10).",
                                    "minutes");
    parser.addOptions({longRoom, sampleSeconds, warmUp});
    parser.process(app);

    tour::TourOptions options;
    options.outDir = QDir(parser.value(out)).absolutePath();
    if (parser.isSet(phone))
        options.phone = parser.value(phone);
    if (parser.isSet(password))
        options.password = parser.value(password);
    if (parser.isSet(room))
        options.room = parser.value(room);
    if (parser.isSet(chat))
        options.chat = parser.value(chat);
    if (parser.isSet(documents))
        options.documentsDir = QDir(parser.value(documents)).absolutePath();
    options.cycles = parser.value(cycles).toInt();
    options.customBase = parser.isSet(customBase) ? parser.value(customBase) : qEnvironmentVariable("RTMP_URL");
    if (parser.isSet(ingest))
        options.ingestCases = parser.value(ingest).split(QLatin1Char(','), Qt::SkipEmptyParts);
    options.rtmpDir = parser.value(rtmpDir);
    options.reconnectRetries = parser.value(retries).toInt();
    options.reconnectDelaySec = parser.value(retryDelay).toInt();
    if (parser.isSet(maxStall))
        options.maxStallMs = parser.value(maxStall).toInt();
    options.longRoomMinutes = parser.value(longRoom).toDouble();
    if (parser.isSet(sampleSeconds))
        options.sampleSeconds = std::max(1, parser.value(sampleSeconds).toInt());
    if (parser.isSet(warmUp))
        options.warmUpMinutes = parser.value(warmUp).toDouble();
    options.startupOnly = parser.isSet(startupOnly);
    options.holdLiveSeconds = parser.value(holdLive).toInt();
    options.benchScene = parser.value(benchScene);
    if (!QDir().mkpath(options.outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(options.outDir));
        return 2;
    }

    FILE* terminal = divertProgramLog(QDir(options.outDir).filePath(QStringLiteral("solvek.log")));
    SolVekLog::getInstance()->setEnabled(false);
    qInstallMessageHandler(logMessageHandler);

    std::fprintf(terminal, "Tour against %s\n", qPrintable(solvek::serviceBase(solvek::ServiceHost::Api)));
    tour::DemoTour demo(options, terminal);
    solvek::AppStartup startup;
    startup.setLauncher([](const QString&, const QStringList&) { return true; }); // the tour never restarts
    startup.setEventLoop([&demo] {
        QObject::connect(&demo, &tour::DemoTour::finished, qApp, [] { QCoreApplication::exit(0); },
                         Qt::QueuedConnection);
        demo.start();
        return QApplication::exec();
    });
    startup.run();

    demo.runner().printSummary(terminal);
    if (options.startupOnly)
        std::fprintf(terminal, "%s\n", qPrintable(demo.startupFigures()));
    if (!demo.liveFigures().isEmpty())
        std::fprintf(terminal, "%s\n", qPrintable(demo.liveFigures()));
    // libobs has shut down with the application: whatever it still holds leaked.
    const long leaked = bnum_allocs();
    if (!demo.ingestFigures().isEmpty())
        std::fprintf(terminal, "%s\n", qPrintable(demo.ingestFigures()));
    if (!demo.soakFigures().isEmpty())
        std::fprintf(terminal, "%s libobs_allocs_at_exit=%ld\n", qPrintable(demo.soakFigures()), leaked);
    if (!demo.longRoomFigures().isEmpty())
        std::fprintf(terminal, "%s\n", qPrintable(demo.longRoomFigures()));
    std::fflush(terminal);
    if (options.cycles > 0 && leaked != 0)
        return 1;
    return demo.runner().allHeld() ? 0 : 1;
}
