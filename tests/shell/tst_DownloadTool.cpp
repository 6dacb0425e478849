// test-label: integration
#include "shell/DownLoadTool.h"
#include "support/SimulatorProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray packageBytes(int size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        out[i] = char((i * 7 + 3) & 0xFF);
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A disk that is full: every write is refused once the buffer is flushed.
class FullDiskTool : public DownloadTool
{
public:
    using DownloadTool::DownloadTool;
    std::unique_ptr<QFile> openFileForWrite(const QString&) override
    {
        std::unique_ptr<QFile> f(new QFile(QStringLiteral("/dev/full")));
        return f->open(QIODevice::WriteOnly | QIODevice::Unbuffered) ? std::move(f) : nullptr;
    }
};

struct Run {
    int finished = 0;
    int failed = 0;
    QString error;
    QList<double> progress;
    QList<qlonglong> totals;
};

} // namespace

class tst_DownloadTool : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QScopedPointer<QTemporaryDir> m_dir;

    QString url(const QString& path) const { return m_sim.baseUrl() + path; }
    QString dir() const { return m_dir->path() + QStringLiteral("/download"); }

    void runTool(DownloadTool& tool, Run& run)
    {
        connect(&tool, &DownloadTool::sigDownloadFinished, [&run]() { ++run.finished; });
        connect(&tool, &DownloadTool::sigDownloadFailedHttp, [&run](const QString& e) {
            ++run.failed;
            run.error = e;
        });
        connect(&tool, &DownloadTool::sigProgress, [&run](qlonglong, qlonglong total, double p) {
            run.progress << p;
            run.totals << total;
        });
        tool.startDownload();
        QTRY_VERIFY_WITH_TIMEOUT(run.finished + run.failed > 0, 15000);
        QTest::qWait(50); // nothing else may follow
        QCOMPARE(run.finished + run.failed, 1);
    }
    bool package(const QJsonObject& spec) { return m_sim.control("/_sim/update/package", spec).isObject(); }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }
    void init()
    {
        QVERIFY(m_sim.reset());
        m_dir.reset(new QTemporaryDir);
    }

    void savesUnderTheLastPathSegment_data()
    {
        QTest::addColumn<QString>("path");     // requested
        QTest::addColumn<QString>("served");   // the path the simulator sees
        QTest::addColumn<QString>("fileName"); // saved as
        QTest::newRow("named") << "/pkg/setup-2.0.2.exe" << "/pkg/setup-2.0.2.exe" << "setup-2.0.2.exe";
        QTest::newRow("no name") << "/pkg/" << "/pkg/" << "tmp";
        QTest::newRow("encoded blank") << "/pkg/a%20b.exe" << "/pkg/a b.exe" << "a b.exe";
        QTest::newRow("encoded slashes") << "/pkg/..%2F..%2Fevil.exe" << "/pkg/../../evil.exe" << "evil.exe";
        QTest::newRow("dot dot") << "/pkg/%2E%2E" << "/" << "tmp"; // the server normalises the path
    }
    void savesUnderTheLastPathSegment()
    {
        QFETCH(QString, path);
        QFETCH(QString, served);
        QFETCH(QString, fileName);
        QVERIFY(m_sim.script(served, {QJsonObject{{"body", "package body"}}}));
        DownloadTool tool(url(path), dir());
        Run run;
        runTool(tool, run);
        QVERIFY2(run.finished == 1, qPrintable(run.error + " " + m_sim.requests().last().toObject().value("path").toString()));
        QCOMPARE(tool.filePath(), dir() + "/" + fileName);
        QCOMPARE(readFile(dir() + "/" + fileName), QByteArray("package body"));
        QCOMPARE(QDir(dir()).entryList(QDir::Files), QStringList{fileName});
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    }

    void replacesAnExistingFile()
    {
        QDir().mkpath(dir());
        QFile old(dir() + "/solvek-setup.exe");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(200 * 1024, 'x'));
        old.close();
        QFile stale(dir() + "/solvek-setup.exe.part"); // an earlier run ended mid-download
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray(300 * 1024, 'y'));
        stale.close();
        DownloadTool tool(url("/download/solvek-setup.exe"), dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.finished, 1);
        QCOMPARE(readFile(tool.filePath()), packageBytes(64 * 1024));
        QCOMPARE(QDir(dir()).entryList(QDir::Files), QStringList{"solvek-setup.exe"});
        QCOMPARE(run.progress.last(), 1.0);
        QCOMPARE(run.totals.last(), qlonglong(64 * 1024));
    }

    void redirectsGiveTheFinalBodyOnly()
    {
        DownloadTool tool(url("/redirect/3/download/solvek-setup.exe"), dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.finished, 1);
        QCOMPARE(tool.filePath(), dir() + "/solvek-setup.exe");
        QCOMPARE(readFile(tool.filePath()), packageBytes(64 * 1024));
        QCOMPARE(m_sim.requests().size(), 4);
        for (double p : run.progress)
            QVERIFY(p >= 0 && p <= 1);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QJsonObject>("package"); // set up before the download, when not empty
        QTest::addColumn<QString>("scriptPath");
        QTest::addColumn<QJsonObject>("scripted");
        const QJsonObject none;
        QTest::newRow("404") << "/download/missing.exe" << none << "" << none;
        QTest::newRow("500") << "/pkg/p.exe" << none << "/pkg/p.exe" << QJsonObject{{"status", 500}, {"body", "x"}};
        QTest::newRow("shorter than announced")
            << "/download/short.exe" << QJsonObject{{"name", "short.exe"}, {"size", 100000}, {"short_by", 1000}}
            << "" << none;
        QTest::newRow("too many redirects") << "/redirect/11/download/solvek-setup.exe" << none << "" << none;
        QTest::newRow("redirect to a local file")
            << "/pkg/p.exe" << none << "/pkg/p.exe"
            << QJsonObject{{"status", 302}, {"headers", QJsonObject{{"Location", "file:///etc/hostname"}}}};
        QTest::newRow("redirect to ftp")
            << "/pkg/p.exe" << none << "/pkg/p.exe"
            << QJsonObject{{"status", 302}, {"headers", QJsonObject{{"Location", "ftp://127.0.0.1/p.exe"}}}};
        QTest::newRow("invalid address") << "http://" << none << "" << none;
        QTest::newRow("not a web address") << "file:///etc/hostname" << none << "" << none;
    }
    void failures()
    {
        QFETCH(QString, address);
        QFETCH(QJsonObject, package);
        QFETCH(QString, scriptPath);
        QFETCH(QJsonObject, scripted);
        if (!package.isEmpty())
            QVERIFY(this->package(package));
        if (!scriptPath.isEmpty())
            QVERIFY(m_sim.script(scriptPath, {scripted}));
        DownloadTool tool(address.startsWith('/') ? url(address) : address, dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.failed, 1);
        QVERIFY(!run.error.isEmpty());
        QCOMPARE(QDir(dir()).entryList(QDir::Files), QStringList());
    }

    void redirectsUpToTheLimitAreFollowed()
    {
        DownloadTool tool(url(QStringLiteral("/redirect/%1/download/solvek-setup.exe").arg(DownloadTool::kMaxRedirects)),
                          dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.finished, 1);
    }

    void unknownLengthShowsNoProgress()
    {
        QVERIFY(package({{"name", "chunked.bin"}, {"size", 300000}, {"no_length", true}}));
        DownloadTool tool(url("/download/chunked.bin"), dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.finished, 1);
        QCOMPARE(readFile(tool.filePath()), packageBytes(300000));
        QVERIFY(!run.progress.isEmpty());
        for (int i = 0; i < run.progress.size(); ++i) {
            if (run.totals.at(i) <= 0)
                QCOMPARE(run.progress.at(i), 0.0);
        }
    }

    void aFullDiskFails()
    {
        FullDiskTool tool(url("/download/solvek-setup.exe"), dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.failed, 1);
        QCOMPARE(run.finished, 0);
    }

    void aFolderThatCannotBeMadeFails()
    {
        QFile blocker(m_dir->path() + "/download");
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        DownloadTool tool(url("/download/solvek-setup.exe"), dir());
        Run run;
        runTool(tool, run);
        QCOMPARE(run.failed, 1);
        QVERIFY(m_sim.requests().isEmpty());
    }

    // A server that stops sending half-way ends in the failure (and its retry), not a wait for ever.
    void aStalledTransferFails()
    {
        QVERIFY(package({{"name", "stalled.bin"}, {"size", 1000}, {"pause_at", 500}, {"pause_seconds", 30}}));
        DownloadTool tool(url("/download/stalled.bin"), dir());
        tool.setStallTimeout(1000);
        Run run;
        runTool(tool, run);
        QCOMPARE(run.failed, 1);
        QCOMPARE(QDir(dir()).entryList(QDir::Files), QStringList());
    }

    void cancelStopsQuietlyAndRemovesThePartialFile()
    {
        QVERIFY(package({{"name", "slow.bin"}, {"size", 1000}, {"pause_at", 500}, {"pause_seconds", 1}}));
        auto* tool = new DownloadTool(url("/download/slow.bin"), dir());
        Run run;
        QSignalSpy progress(tool, &DownloadTool::sigProgress);
        connect(tool, &DownloadTool::sigDownloadFinished, [&run]() { ++run.finished; });
        connect(tool, &DownloadTool::sigDownloadFailedHttp, [&run]() { ++run.failed; });
        tool->startDownload();
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), 10000);
        const QString path = tool->partialFilePath();
        QVERIFY(QFile::exists(path));
        // Half a package never carries the package's name (the program may end at any moment).
        QVERIFY(!QFile::exists(tool->filePath()));
        delete tool; // closing the dialog drops the tool like this
        QVERIFY(!QFile::exists(path));
        QTest::qWait(1500);
        QCOMPARE(run.finished + run.failed, 0);
    }
};

QTEST_GUILESS_MAIN(tst_DownloadTool)
#include "tst_DownloadTool.moc"
