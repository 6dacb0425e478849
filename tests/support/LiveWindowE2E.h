#pragma once
// The whole program for an end-to-end test: the main window with the real engine on the X server
// of the run, signed in as the demo host, against a simulator of its own whose rooms push to a
// private RTMP server.
#include "support/LiveMainWindowTestAccess.h"
#include "support/RtmpServer.h"
#include "support/SimulatorProcess.h"
#include "support/StoreDir.h"

#include "core/DataCenter.h"
#include "core/NetUtils.h"
#include "shell/LivePauseOrStopWidget.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

struct LiveWindowE2E {
    static constexpr int kHost = 10001;

    QTemporaryDir dir;
    RtmpServer rtmp;
    SimulatorProcess sim;
    LoginInfo login;
    std::unique_ptr<LiveMainWindow> window;

    static bool hasDisplay()
    {
        return qgetenv("QT_QPA_PLATFORM") != "offscreen" && !qEnvironmentVariableIsEmpty("DISPLAY");
    }

    // Services, sign-in and the shown window; false when a step failed.
    bool start()
    {
        if (!testsupport::useStoreDir(dir) || !rtmp.start() || !sim.start({"--rtmp", rtmp.url()}))
            return false;
        login.uid = kHost;
        login.wechat_user_space_id = kHost;
        login.name = QString::fromUtf8("演示主播");
        login.photo = sim.baseUrl() + "/pic/100x100/demo-host";
        login.token = "e2e-token";
        NetUtils::getInstance()->setLoginInfo(login); // as the login dialog does
        // The smallest push size keeps the encoder light on a shared machine.
        CDataCenter::getInstance()->streamQuality = 0;

        window = std::make_unique<LiveMainWindow>();
        window->initLiveMainWindowParams(&login);
        window->move(0, 0);
        window->show();
        window->initFromLogin();
        return QTest::qWaitForWindowExposed(window.get());
    }

    void stop()
    {
        window.reset();
        sim.stop();
        rtmp.stop();
    }

    void clickLiveButton()
    {
        QTest::mouseClick(formWidget<QPushButton>(*window, "live_mode_btn"), Qt::LeftButton);
    }

    // Opens the pause/stop popup with the live button and presses one of its titles.
    bool choosePopupRow(const char* title)
    {
        clickLiveButton();
        LivePauseOrStopWidget* popup = LiveMainWindowTestAccess::pauseOrStop(*window);
        if (!popup->isVisible())
            return false;
        QLabel* row = labelWithText(*popup, title);
        if (!row)
            return false;
        QTest::mousePress(row, Qt::LeftButton);
        return !popup->isVisible();
    }
};
