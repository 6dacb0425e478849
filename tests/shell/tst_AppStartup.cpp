// test-label: integration
#include "core/DataCenter.h"
#include "core/ServiceConstants.h"
#include "login/LoginDialog.h"
#include "shell/AppStartup.h"
#include "shell/LiveMainWindow.h"
#include "shell/VersonUpdate.h"
#include "support/FakeLiveCore.h"
#include "support/SimulatorProcess.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using solvek::AppStartup;

namespace {

template <typename T> T* topLevel()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w))
            return t;
    return nullptr;
}

// Notes whether the main window was already visible when the login dialog went away.
class HideProbe : public QObject
{
public:
    QWidget* window = nullptr;
    int hides = 0;
    bool windowVisibleAtHide = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide) {
            ++hides;
            windowVisibleAtHide = window && window->isVisible();
        }
        return false;
    }
};

} // namespace

class tst_AppStartup : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_root;

    bool configure(const QJsonObject& cfg) { return m_sim.control("/_sim/update/config", cfg).isObject(); }

    // The update dialog as the host leaves it: by its close button, or by updating.
    static AppStartup::DialogRunner clicking(const char* button, int* runs, QString* version, QString* hint)
    {
        return [=](QDialog& dialog) {
            ++*runs;
            *version = dialog.findChild<QLabel*>("label_4")->text();
            *hint = dialog.findChild<QLabel*>("label_3")->text();
            QTimer::singleShot(0, &dialog, [&dialog, button]() { dialog.findChild<QPushButton*>(button)->click(); });
            return dialog.exec();
        };
    }

    struct Check {
        AppStartup::UpdateOutcome outcome;
        bool loginShown = false;
        int runs = 0; // update dialogs shown
        QString version, hint, downloadUrl;
    };
    // The update check with real dialogs; the host clicks `button` in the update dialog.
    static Check check(const char* button, int timeoutMs = solvek::kUpdateCheckTimeoutMs)
    {
        Check c;
        AppStartup startup;
        startup.setUpdateTimeout(timeoutMs);
        startup.setDialogRunner(clicking(button, &c.runs, &c.version, &c.hint));
        LoginDialog login;
        VersonUpdate update;
        c.outcome = startup.checkForUpdate(login, update);
        c.loginShown = login.isVisible();
        c.downloadUrl = update.downloadUrl;
        return c;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        auto store = std::make_shared<CDataCenter>(m_root.path() + QStringLiteral("/config.ini"));
        store->userDocRoot = m_root.path() + QStringLiteral("/userdoc");
        CDataCenter::setInstanceForTesting(store);
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        solvek::setServiceOverride(m_sim.baseUrl());
    }

    void versions_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("newer");
        QTest::newRow("same") << "2.0.1" << false;
        QTest::newRow("patch") << "2.0.2" << true;
        QTest::newRow("two-digit patch") << "2.0.10" << true;
        QTest::newRow("minor") << "2.1" << true;
        QTest::newRow("major only") << "3" << true;
        QTest::newRow("two-digit major") << "10.0.0" << true;
        QTest::newRow("older patch") << "2.0.0" << false;
        QTest::newRow("older minor") << "1.9.9" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("trailing text") << "2.0.1 x" << true;
        QTest::newRow("letter suffix") << "2.0.1a" << true;
        QTest::newRow("extra zero part") << "2.0.1.0" << false;
        QTest::newRow("extra part") << "2.0.1.1" << true;
        QTest::newRow("leading zeros") << "02.00.01" << false;
        QTest::newRow("huge number") << "2.0.99999999999999999999" << true;
        QTest::newRow("not a version") << "abc" << false;
    }
    void versions()
    {
        QFETCH(QString, server);
        QFETCH(bool, newer);
        QCOMPARE(solvek::isNewerVersion(server, QLatin1String(solvek::kAppVersion)), newer);
    }

    void updateCheck_data()
    {
        QTest::addColumn<QJsonObject>("config");   // the update endpoint's settings
        QTest::addColumn<QJsonObject>("scripted"); // a scripted reply instead, when not empty
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("loginShown");
        const QJsonObject none;
        QTest::newRow("same version") << QJsonObject{{"display_version", "2.0.1"}} << none << false << true;
        QTest::newRow("older version") << QJsonObject{{"display_version", "1.9.9"}} << none << false << true;
        QTest::newRow("code as text") << QJsonObject{{"display_version", "2.0.2"}, {"code", "200"}} << none << false
                                      << true;
        QTest::newRow("code 500") << QJsonObject{{"display_version", "2.0.2"}, {"code", 500}} << none << false << true;
        QTest::newRow("unparsable") << none << QJsonObject{{"body", "<html>oops"}} << false << true;
        QTest::newRow("http error") << none << QJsonObject{{"status", 502}, {"body", ""}} << false << true;
        QTest::newRow("silent server") << none << QJsonObject{{"hang", true}} << false << true;
        // Replies of the wrong shape read as "no update".
        QTest::newRow("array") << none << QJsonObject{{"body", "[{\"code\":200}]"}} << false << true;
        QTest::newRow("null") << none << QJsonObject{{"body", "null"}} << false << true;
        QTest::newRow("data not an object")
            << none << QJsonObject{{"body", "{\"code\":200,\"data\":\"2.0.2\"}"}} << false << true;
        QTest::newRow("version as a number")
            << none << QJsonObject{{"body", "{\"code\":200,\"data\":{\"display_version\":3,\"is_force_update\":1}}"}}
            << false << true;
        QTest::newRow("code with a fraction")
            << none << QJsonObject{{"body", "{\"code\":200.5,\"data\":{\"display_version\":\"3\"}}"}} << false
            << true;
        QTest::newRow("forced, closed") << QJsonObject{{"display_version", "10.0.0"}, {"is_force_update", 1}} << none
                                        << true << false;
        QTest::newRow("optional, declined") << QJsonObject{{"display_version", "2.0.10"}, {"is_force_update", 0}}
                                            << none << true << true;
    }
    void updateCheck()
    {
        QFETCH(QJsonObject, config);
        QFETCH(QJsonObject, scripted);
        QFETCH(bool, offered);
        QFETCH(bool, loginShown);
        if (!config.isEmpty())
            QVERIFY(configure(config));
        if (!scripted.isEmpty())
            QVERIFY(m_sim.script("/Mobile/Tools/versionUpdate", {scripted}));

        // Only the silent server waits out the (shortened) time-out; a busy machine may take a
        // while to answer the others.
        const Check c = check("btn_close", scripted.value("hang").toBool() ? 500 : solvek::kUpdateCheckTimeoutMs);
        QCOMPARE(c.runs, offered ? 1 : 0);
        QCOMPARE(c.loginShown, loginShown);
        QCOMPARE(c.outcome, loginShown ? AppStartup::UpdateOutcome::ContinueToLogin : AppStartup::UpdateOutcome::EndProgram);
        if (offered) {
            QCOMPARE(c.version, "发现新版本v" + config.value("display_version").toString());
            QCOMPARE(c.hint, config.value("is_force_update").toInt() ? QStringLiteral("当前版本过低，请您立即更新")
                                                                      : QStringLiteral("为确保您的最佳使用体验，请尽快升级"));
            QCOMPARE(c.downloadUrl, m_sim.baseUrl() + "/download/solvek-setup.exe");
        }
        // A request the client gave up on may reach the simulator's log a little later.
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests("/Mobile/Tools/versionUpdate").size(), 1, 10000);
        const QJsonArray log = m_sim.requests("/Mobile/Tools/versionUpdate");
        const QJsonObject query = log.first().toObject().value("query").toObject();
        QCOMPARE(query, (QJsonObject{{"current_version", "2.0.1"}, {"type", "11"}}));
        QVERIFY(!log.first().toObject().value("headers").toObject().contains("openapitoken"));
    }

    void closedPortLeadsToLogin()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        solvek::setServiceOverride(QStringLiteral("http://127.0.0.1:%1").arg(port));
        const Check c = check("btn_close");
        QCOMPARE(c.outcome, AppStartup::UpdateOutcome::ContinueToLogin);
        QVERIFY(c.loginShown);
        QCOMPARE(c.runs, 0);
    }

    void finishedDownloadEndsTheProgram_data()
    {
        QTest::addColumn<int>("force");
        QTest::newRow("forced") << 1;
        QTest::newRow("optional") << 0;
    }
    void finishedDownloadEndsTheProgram()
    {
        QFETCH(int, force);
        QVERIFY(configure({{"display_version", "2.0.2"}, {"is_force_update", force}}));
        const Check c = check("btn_Update");
        QCOMPARE(c.outcome, AppStartup::UpdateOutcome::EndProgram);
        QVERIFY(!c.loginShown);
        QCOMPARE(c.runs, 1);
        QCOMPARE(QFileInfo(CDataCenter::getInstance()->userDocRoot + "/download/solvek-setup.exe").size(),
                 qint64(64 * 1024));
    }

    void runRestartsOnlyOn777_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("launches");
        QTest::newRow("logout") << 777 << 1;
        QTest::newRow("closed") << 0 << 0;
    }
    void runRestartsOnlyOn777()
    {
        QFETCH(int, exitCode);
        QFETCH(int, launches);
        QList<QPair<QString, QStringList>> launched;
        bool loginWasShown = false;
        AppStartup startup;
        startup.setLauncher([&](const QString& program, const QStringList& args) {
            launched.append(qMakePair(program, args));
            return true;
        });
        startup.setEventLoop([&]() {
            for (QWidget* w : QApplication::topLevelWidgets())
                loginWasShown |= qobject_cast<LoginDialog*>(w) && w->isVisible();
            return exitCode;
        });
        QCOMPARE(startup.run(), 0);
        QVERIFY(loginWasShown);
        QVERIFY(QFileInfo(CDataCenter::getInstance()->userDocRoot + "/micUser").isDir());
        QCOMPARE(launched.size(), launches);
        if (launches) {
            QCOMPARE(launched.first().first, QCoreApplication::applicationFilePath());
            QCOMPARE(launched.first().second, QStringList());
        }
    }

    void loginSuccessShowsTheWindowBeforeClosingTheDialog()
    {
        FakeLiveCore core;
        HideProbe probe;
        bool hiddenBeforeLogin = false, windowShown = false, dialogShown = true, engineStarted = false;
        AppStartup startup;
        startup.setEventLoop([&]() {
            LoginDialog* login = topLevel<LoginDialog>();
            auto* window = topLevel<LiveMainWindow>();
            if (!login || !window)
                return -1;
            hiddenBeforeLogin = !window->isVisible();
            probe.window = window;
            login->installEventFilter(&probe);
            LoginInfo info;
            info.uid = 7;
            info.name = QStringLiteral("主播");
            info.token = "tok";
            login->onLoginStatusNotify(&info, 200);
            windowShown = window->isVisible();
            dialogShown = login->isVisible();
            engineStarted = core.count("core_startup") == 1;
            login->removeEventFilter(&probe);
            return 0;
        });
        QCOMPARE(startup.run(), 0);
        QVERIFY(hiddenBeforeLogin);
        QVERIFY(windowShown);
        QVERIFY(!dialogShown);
        QVERIFY(engineStarted);
        QCOMPARE(probe.hides, 1);
        QVERIFY(probe.windowVisibleAtHide);
    }

    void runEndsWhenAForcedUpdateIsClosed()
    {
        QVERIFY(configure({{"display_version", "2.0.2"}, {"is_force_update", 1}}));
        int runs = 0, loops = 0;
        QString version, hint;
        AppStartup startup;
        startup.setDialogRunner(clicking("btn_close", &runs, &version, &hint));
        startup.setEventLoop([&]() { return ++loops; });
        QCOMPARE(startup.run(), 0);
        QCOMPARE(runs, 1);
        QCOMPARE(loops, 0);
    }
};

QTEST_MAIN(tst_AppStartup)
#include "tst_AppStartup.moc"
