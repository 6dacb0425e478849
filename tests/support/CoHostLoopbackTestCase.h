#pragma once
// The set-up shared by the co-host tests against the simulator's loopback room: one simulator for
// the case with the host signed in (cohostloopback::startSignedIn), its documents in a folder of
// the case's own, and the room the test functions enter.
//
//   class tst_Something : public CoHostLoopbackTestCase { Q_OBJECT private slots: void aCase(); };
//
// A case that needs more set-up declares its own initTestCase and calls this class's first.

#include "support/CoHostLoopback.h"
#include "support/SimulatorProcess.h"

#include "core/LoginInfo.h"
#include "shell/LiveModeDialog.h"

#include <QObject>
#include <QTemporaryDir>

class CoHostLoopbackTestCase : public QObject
{
    Q_OBJECT

protected:
    static constexpr int kWaitMs = 15000;
    static constexpr int kRoom = 1001; // the co-host room
    static constexpr int kId = 55;     // the co-host's space id

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
    LoginInfo m_login;
    LiveRoomInfo m_room;

protected slots:
    void initTestCase();
};
