#pragma once
// What the benchmarks that drive the main window share: the process set up offscreen with its own
// data folder and the service simulator, and the main window logged in, shown and let go again.
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatWebSocketClient.h"
#include "core/LoginInfo.h"
#include "core/NetUtils.h"
#include "core/Toast.h"

#include "BenchLoop.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>

namespace benchpage {

// The process of a benchmark that drives the program: offscreen unless a platform is named, data
// and working folder of its own, the application, no debug or info lines (the figures do not
// measure a terminal), and the service simulator with no pings and the host of the benchmark rooms.
class BenchProcess
{
public:
    BenchProcess(int& argc, char** argv) : m_offscreen(prepare(m_dir)), m_app(argc, argv)
    {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    }

    // False when the simulator does not start.
    bool startSimulator()
    {
        if (!sim.start())
            return false;
        sim.control("/_sim/room/config", {{"ping_interval", 0}});
        sim.control("/_sim/room/host", {{"wechat_user_space_id", 10001}, {"name", "Host"}});
        return true;
    }

    SimulatorProcess sim;

private:
    static bool prepare(const QTemporaryDir& dir)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        QDir::setCurrent(dir.path());
        return true;
    }

    QTemporaryDir m_dir;
    bool m_offscreen; // the environment is set before the application is made
    QApplication m_app;
};

// The main window of a logged-in host, shown at 1280x800 for the life of the object, on a fake
// engine; let go with the room channel and the toast.
class MainWindowPage
{
public:
    MainWindowPage()
    {
        m_login.uid = 4242;
        m_login.wechat_user_space_id = 10001;
        m_login.name = QString::fromUtf8("主播小王");
        m_login.token = "bench-token";
        NetUtils::getInstance()->setLoginInfo(m_login);
        window = new LiveMainWindow;
        window->initLiveMainWindowParams(&m_login); // the window keeps the pointer
        window->initFromLogin();
        window->resize(1280, 800);
        window->show();
    }
    ~MainWindowPage()
    {
        delete window;
        destroyChatWsClient();
        Toast::resetInstance();
        benchloop::settle(200);
    }
    MainWindowPage(const MainWindowPage&) = delete;
    MainWindowPage& operator=(const MainWindowPage&) = delete;

    LiveMainWindow* window = nullptr;

private:
    LoginInfo m_login;
    FakeLiveCore m_core;
};

// Runs the benchmarks the command line names (after the simulator is up).
inline int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace benchpage
