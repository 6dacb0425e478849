// test-label: unit
#include "core/SolVekLog.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstring>

namespace {

QString threadTag()
{
    return QStringLiteral("%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(reinterpret_cast<quintptr>(QThread::currentThreadId()));
}

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<cannot open %1>").arg(path)};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith('\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split('\n');
}

// A writer on a private stream in a private working directory, with a clock the test moves.
struct Fixture {
    QTemporaryDir dir;
    QString console;
    FILE* out = nullptr;
    QDateTime now{QDate(2025, 6, 4), QTime(13, 45, 7, 123)};
    std::unique_ptr<SolVekLog> log;

    Fixture()
    {
        QDir::setCurrent(dir.path());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        console = dir.filePath(QStringLiteral("console.txt"));
        out = std::fopen(QFile::encodeName(console).constData(), "w+");
        log = std::make_unique<SolVekLog>(out);
        log->setClock([this] { return now; });
    }
    ~Fixture()
    {
        if (out)
            std::fclose(out);
        QDir::setCurrent(QDir::tempPath());
    }
    // Closes the stream (wherever it points now) so every file can be read.
    void finish()
    {
        std::fclose(out);
        out = nullptr;
    }
};

const QMessageLogContext kContext("src/shell/LiveMainWindow.cpp", 321, "void f()", "default");

} // namespace

class tst_SolVekLog : public QObject
{
    Q_OBJECT
private slots:
    void lineFormat_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("mark");
        QTest::newRow("debug") << int(QtDebugMsg) << "D  ";
        QTest::newRow("warning") << int(QtWarningMsg) << "W  ";
        QTest::newRow("critical") << int(QtCriticalMsg) << "E ";
        QTest::newRow("fatal") << int(QtFatalMsg) << "E ";
        QTest::newRow("info") << int(QtInfoMsg) << "I ";
    }

    void lineFormat()
    {
        QFETCH(int, type);
        QFETCH(QString, mark);
        Fixture fx;
        fx.log->writeLog(QtMsgType(type), kContext, QStringLiteral("开播 100%1"));
        fx.finish();
        QCOMPARE(readLines(fx.console), QStringList{mark + "06-04 13::45:07.123 " + threadTag() +
                                                    " 开播 100%1 [src/shell/LiveMainWindow.cpp:321]"});
    }

    void originWithoutContext()
    {
        Fixture fx;
        fx.log->writeLog(QtWarningMsg, QMessageLogContext(), QStringLiteral("bare"));
        fx.finish();
        QCOMPARE(readLines(fx.console), QStringList{"W  06-04 13::45:07.123 " + threadTag() + " bare [:0]"});
    }

    void fileModeOffCreatesNothing()
    {
        Fixture fx;
        fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("x"));
        fx.log->creatFile(); // does nothing while off
        fx.finish();
        QVERIFY(!QDir(fx.dir.filePath("log")).exists());
        QVERIFY(!QDir(fx.dir.filePath("data")).exists());
        QCOMPARE(fx.log->fileName(), QString());
    }

    void fileModeNameAndDayRollOver()
    {
        Fixture fx;
        fx.now = QDateTime(QDate(2025, 6, 4), QTime(23, 59, 58, 500));
        fx.log->setEnabled(true);
        const QString first = QStringLiteral("./log//solvek-2025-06-04_23-59-58.log");
        QCOMPARE(fx.log->fileName(), first);
        QVERIFY(QDir(fx.dir.filePath("data/solvek/userdoc/log")).exists());
        fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("first"));
        fx.now = fx.now.addSecs(1); // same day: same file
        fx.log->writeLog(QtInfoMsg, kContext, QStringLiteral("still first"));

        fx.now = QDateTime(QDate(2025, 6, 5), QTime(0, 0, 1, 0));
        fx.log->writeLog(QtWarningMsg, kContext, QStringLiteral("second"));
        fx.log->writeLog(QtCriticalMsg, kContext, QString::fromUtf8("cut\0here", 8));
        const QString second = QStringLiteral("./log//solvek-2025-06-05_00-00-01.log");
        QCOMPARE(fx.log->fileName(), second);
        fx.finish();

        const QStringList console = readLines(fx.console);
        QCOMPARE(console.size(), 1);
        QVERIFY2(console[0].startsWith("D  06-04 23::59:58.500 ") &&
                     console[0].contains(" create log file : " + first + " ["),
                 qPrintable(console[0]));

        const QStringList day1 = readLines(fx.dir.filePath(first));
        QCOMPARE(day1.size(), 3);
        QVERIFY(day1[0].endsWith(" first [src/shell/LiveMainWindow.cpp:321]"));
        QVERIFY(day1[1].startsWith("I 06-04 23::59:59.500 "));
        QVERIFY2(day1[2].startsWith("D  06-05 00::00:01.000 ") &&
                     day1[2].contains(" create log file : " + second + " ["),
                 qPrintable(day1[2]));

        const QStringList day2 = readLines(fx.dir.filePath(second));
        QCOMPARE(day2, (QStringList{"W  06-05 00::00:01.000 " + threadTag() +
                                        " second [src/shell/LiveMainWindow.cpp:321]",
                                    "E 06-05 00::00:01.000 " + threadTag() +
                                        " cut [src/shell/LiveMainWindow.cpp:321]"}));
        QCOMPARE(QDir(fx.dir.filePath("log")).entryList(QDir::Files).size(), 2);
    }

    // A file name only has seconds: making the "same" file again must not wipe what it holds.
    void aSecondFileOfTheSameNameKeepsEarlierLines()
    {
        Fixture fx;
        fx.log->setEnabled(true);
        fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("kept"));
        fx.log->setEnabled(true);
        fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("after"));
        const QString name = fx.log->fileName();
        fx.finish();
        const QStringList lines = readLines(fx.dir.filePath(name));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].contains(" kept ["), qPrintable(lines[0]));
        QVERIFY2(lines[1].contains(" create log file : " + name + " ["), qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(" after ["), qPrintable(lines[2]));
    }

    // No log folder can be made (a file is in the way): lines keep reaching the console.
    void aLogFolderThatCannotBeMadeKeepsTheConsole()
    {
        Fixture fx;
        QFile blocker(fx.dir.filePath("log"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        fx.log->setEnabled(true);
        fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("still here"));
        fx.finish();
        const QStringList console = readLines(fx.console);
        QCOMPARE(console.size(), 2);
        QVERIFY2(console[1].contains(" still here ["), qPrintable(console[1]));
    }

    void threadsCrossingMidnightMakeOneFile()
    {
        Fixture fx;
        fx.now = QDateTime(QDate(2025, 6, 4), QTime(23, 59, 59, 0));
        fx.log->setEnabled(true);
        const QString first = fx.log->fileName();
        fx.now = QDateTime(QDate(2025, 6, 5), QTime(0, 0, 0, 0)); // every thread sees the new day
        constexpr int kThreads = 6, kLines = 40;
        QList<QThread*> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads << QThread::create([&fx, t] {
                for (int i = 0; i < kLines; ++i)
                    fx.log->writeLog(QtDebugMsg, kContext, QStringLiteral("t%1 line %2").arg(t).arg(i));
            });
        }
        for (QThread* t : threads)
            t->start();
        for (QThread* t : threads) {
            QVERIFY(t->wait(30000));
            delete t;
        }
        const QString second = fx.log->fileName();
        fx.finish();
        const QStringList day1 = readLines(fx.dir.filePath(first));
        QCOMPARE(day1.size(), 1); // the one announcement
        QVERIFY(day1[0].contains("create log file : " + second));
        const QStringList day2 = readLines(fx.dir.filePath(second));
        QCOMPARE(day2.size(), kThreads * kLines);
        for (const QString& line : day2)
            QVERIFY2(line.startsWith("D  06-05 00::00:00.000 ") && line.endsWith(":321]"), qPrintable(line));
    }

    // A critical or fatal line must survive the abort that follows, even into a pipe.
    void criticalAndFatalLinesAreFlushed()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fatal-child")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith("D  ") && lines[0].contains(" before "), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith("E ") && lines[1].contains(" trouble "), qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith("E ") && lines[2].contains(" boom "), qPrintable(lines[2]));
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--fatal-child") == 0) {
        // Output goes to a pipe (fully buffered); the process aborts inside qFatal.
        qInstallMessageHandler(logMessageHandler);
        qDebug("before");
        qCritical("trouble");
        qFatal("boom");
    }
    QCoreApplication app(argc, argv);
    tst_SolVekLog test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_SolVekLog.moc"
