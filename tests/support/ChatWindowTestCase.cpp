#include "support/ChatWindowTestCase.h"

#include "support/LiveMainWindowTestAccess.h"

#include "shell/LiveControl.h"

#include <QtTest>

ChatSideState* ChatWindowTestCase::chat() const { return LiveMainWindowTestAccess::chat(*m_w); }

void ChatWindowTestCase::chooseRoom(qint64 roomId)
{
    LiveRoomInfo room;
    room.app_id = roomId;
    room.push_app_nick = "Room";
    LiveMainWindowTestAccess::liveControl(*m_w)->choose(room);
}

bool ChatWindowTestCase::enterRoom(qint64 roomId)
{
    const int before = m_sim.framesOfType("login").size();
    chooseRoom(roomId);
    return QTest::qWaitFor([&] { return m_sim.framesOfType("login").size() > before && !chat()->pageInFlight; },
                           kChannelWaitMs);
}

void ChatWindowTestCase::settle()
{
    const int pongs = m_sim.framesOfType("pong").size();
    QVERIFY(control("/_sim/room/push", {{"frame", QJsonObject{{"type", "ping"}}}}));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("pong").size(), pongs + 1, kChannelWaitMs);
}

void ChatWindowTestCase::initTestCase() { QVERIFY(m_fx.start()); }

void ChatWindowTestCase::init()
{
    QVERIFY(m_fx.open());
    m_w = m_fx.w;
}

void ChatWindowTestCase::cleanup()
{
    m_fx.close();
    m_w = nullptr;
}
