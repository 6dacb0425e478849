// test-label: e2e
// The program itself against the simulator: the login dialog after the update check, a WeChat QR
// login confirmed through the simulator, and the main window taking over the host's record.
#include "support/SimulatorProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_LoginToMainWindow : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;
    QTemporaryDir m_home;
    QProcess m_proc;
    QByteArray m_out;

    bool waitForOutput(const QByteArray& text, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!m_out.contains(text) && t.elapsed() < timeoutMs && m_proc.state() == QProcess::Running) {
            m_proc.waitForReadyRead(200);
            m_out += m_proc.readAll();
        }
        return m_out.contains(text);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server");
        QVERIFY(m_sim.start());
    }

    void cleanupTestCase()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill();
            m_proc.waitForFinished(5000);
        }
    }

    void qrLoginOpensTheMainWindow()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SOLVEK_SERVICE_URL", m_sim.baseUrl());
        env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        env.insert("LP_NUM_THREADS", "2");
        env.remove("QT_QPA_PLATFORM");
        m_proc.setProcessEnvironment(env);
        m_proc.setWorkingDirectory(m_home.path());
        m_proc.setProcessChannelMode(QProcess::MergedChannels);
        m_proc.start("stdbuf", {"-oL", SOLVEK_BINARY_DIR "/src/solvek"});
        QVERIFY(m_proc.waitForStarted(10000));

        QVERIFY2(waitForOutput("showing the login dialog", 30000), m_out.constData());
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim.requests("/liveSystem/login/showWechatQrcode").isEmpty(), 15000);
        const QJsonValue marked = m_sim.control("/_sim/login/qrcode", QJsonObject{{"state", "confirmed"}});
        QVERIFY(marked.toObject().value("ok").toBool());

        // The next poll (9 s) confirms; the success mark stays 3 s; then the main window starts.
        QVERIFY2(waitForOutput(" code:  200", 30000), m_out.constData());
        const QString avatar = m_home.filePath("data/solvek/userdoc/10001/temp.jpeg");
        QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(avatar), m_out.constData(), 30000);
        QVERIFY(!m_sim.requests("/pic/100x100/demo-host").isEmpty());
        QVERIFY2(m_proc.state() == QProcess::Running, m_out.constData()); // the main window keeps it running
    }
};

QTEST_GUILESS_MAIN(tst_LoginToMainWindow)
#include "tst_LoginToMainWindow.moc"
