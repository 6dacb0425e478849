// test-label: integration
// The program itself against the simulator: which way start-up goes after the update check.
#include "support/SimulatorProcess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_main : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;

    // Starts the program (line-buffered standard output), waits for `line`, returns the output.
    QByteArray startAndWaitFor(const QByteArray& line, int timeoutMs, bool* stillRunning)
    {
        QTemporaryDir home;
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SOLVEK_SERVICE_URL", m_sim.baseUrl());
        env.insert("XDG_DATA_HOME", home.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        proc.setProcessEnvironment(env);
        proc.setWorkingDirectory(home.path());
        proc.setProcessChannelMode(QProcess::MergedChannels);
        proc.start("stdbuf", {"-oL", SOLVEK_BINARY_DIR "/src/solvek"});
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains(line) && t.elapsed() < timeoutMs && proc.state() != QProcess::NotRunning) {
            proc.waitForReadyRead(200);
            out += proc.readAll();
        }
        QTest::qWait(200);
        out += proc.readAll();
        *stillRunning = proc.state() == QProcess::Running;
        proc.kill();
        proc.waitForFinished(5000);
        return out;
    }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }
    void init() { QVERIFY(m_sim.reset()); }

    void noUpdateShowsTheLoginDialog()
    {
        bool running = false;
        const QByteArray out = startAndWaitFor("showing the login dialog", 30000, &running);
        QVERIFY2(out.contains("update check: no update, showing the login dialog"), out.constData());
        QVERIFY(running);
        const QJsonArray log = m_sim.requests("/Mobile/Tools/versionUpdate");
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().toObject().value("query").toObject(),
                 (QJsonObject{{"current_version", "2.0.1"}, {"type", "11"}}));
    }

    void aSilentServerGivesUpAfterTheTimeOut()
    {
        QVERIFY(m_sim.script("/Mobile/Tools/versionUpdate", {QJsonObject{{"hang", true}}}));
        bool running = false;
        const QByteArray out = startAndWaitFor("showing the login dialog", 60000, &running);
        QVERIFY2(out.contains("update check: no answer within 10000 ms"), out.constData());
        QVERIFY2(out.contains("showing the login dialog"), out.constData());
        QVERIFY(running);
    }

    void aNewerVersionOpensTheUpdateDialog()
    {
        QVERIFY(m_sim.control("/_sim/update/config", {{"display_version", "2.0.2"}, {"is_force_update", 1}}).isObject());
        bool running = false;
        const QByteArray out = startAndWaitFor("offering version", 30000, &running);
        QVERIFY2(out.contains("update check: offering version \"2.0.2\" (forced)"), out.constData());
        QVERIFY(!out.contains("showing the login dialog"));
        QVERIFY(running); // waiting for the host in the update dialog
    }
};

QTEST_GUILESS_MAIN(tst_main)
#include "tst_main.moc"
