#pragma once
// The set-up shared by the tests of viewer rows and dialogs against the simulator's chat
// operations: one simulator for the whole case with host uid 77 logged in, the simulator reset
// and the chat row's hooks replaced (ChatRowHooks) for each test function.
//
//   class tst_Something : public ChatOpsTestCase { Q_OBJECT private slots: void aCase(); };
//
// QtTest runs these slots for the derived case; it declares no initTestCase, init or cleanup.

#include "support/ChatRowHooks.h"
#include "support/SimulatorProcess.h"

#include <QJsonObject>
#include <QObject>

#include <memory>

class ChatOpsTestCase : public QObject
{
    Q_OBJECT

protected:
    // What the simulator keeps for a viewer of room 42 (shut_up, forbid, is_shield, ...).
    QJsonObject viewerState(const QString& spaceId) const;

    SimulatorProcess m_sim;
    std::unique_ptr<ChatRowHooks> m_hooks;

private slots:
    void initTestCase();
    void init();
    void cleanup();
};
