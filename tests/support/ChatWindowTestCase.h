#pragma once
// The set-up shared by the main window's chat tests: ChatWindowFixture started once for the case
// and a fresh window (m_w) for each test function, closed after it.
//
//   class tst_Something : public ChatWindowTestCase { Q_OBJECT private slots: void aCase(); };
//
// A case that needs more set-up declares its own slot of the same name (QtTest runs the most
// derived one) and calls this class's first.

#include "support/ChatWindowFixture.h"

#include <QJsonObject>
#include <QObject>

class ChatSideState;

class ChatWindowTestCase : public QObject
{
    Q_OBJECT

protected:
    ChatSideState* chat() const;
    // A control call of the simulator that it answered with "ok".
    bool control(const QString& path, const QJsonObject& body) { return m_fx.control(path, body); }
    // Chooses the room (named "Room") as the host's room-choice dialog does.
    void chooseRoom(qint64 roomId);
    // Chooses the room and waits until its channel has signed in and its first history page came.
    bool enterRoom(qint64 roomId);
    // Waits until the channel's frames so far have been dispatched (a ping answered).
    void settle();

    ChatWindowFixture m_fx;
    SimulatorProcess& m_sim = m_fx.sim;
    LiveMainWindow* m_w = nullptr; // the window of the running test function
    static constexpr int kChannelWaitMs = 15000;

protected slots:
    void initTestCase();
    void init();
    void cleanup();
};
