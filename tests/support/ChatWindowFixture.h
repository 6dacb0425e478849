#pragma once
// A main window signed in as the chat tests' host, against a simulator of its own: started once
// per test program (start), a fresh window per test function (open, close).
#include "support/FakeLiveCore.h"
#include "support/SimulatorProcess.h"
#include "support/StoreDir.h"

#include "chat/ChatWebSocketClient.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "shell/LiveMainWindow.h"

#include <QJsonObject>
#include <QTemporaryDir>

struct ChatWindowFixture {
    static constexpr int kHost = 10001;

    QTemporaryDir dir;
    SimulatorProcess sim;
    LoginInfo login;
    FakeLiveCore* core = nullptr;
    LiveMainWindow* w = nullptr;

    bool control(const QString& path, const QJsonObject& body)
    {
        return sim.control(path, body).toObject().value("ok").toBool();
    }

    bool start()
    {
        if (!testsupport::useStoreDir(dir) || !sim.start())
            return false;
        setChatWsReconnectInterval(200);
        login.uid = 4242;
        login.wechat_user_space_id = kHost;
        login.name = QString::fromUtf8("主播小王");
        login.photo = "http://127.0.0.1:9/avatar.png";
        login.token = "chat-token";
        NetUtils::getInstance()->setLoginInfo(login);
        return true;
    }

    bool open()
    {
        if (!sim.reset() || !control("/_sim/room/config", {{"ping_interval", 0}}) ||
            !control("/_sim/room/host", {{"wechat_user_space_id", kHost}, {"name", "Host"}}))
            return false;
        core = new FakeLiveCore;
        w = new LiveMainWindow;
        w->initLiveMainWindowParams(&login);
        w->initFromLogin();
        return true;
    }

    void close()
    {
        delete w;
        w = nullptr;
        delete core;
        core = nullptr;
        destroyChatWsClient();
        Toast::resetInstance();
    }
};
