#include "support/ChatOpsTestCase.h"

#include "core/NetUtils.h"

#include <QtTest>

QJsonObject ChatOpsTestCase::viewerState(const QString& spaceId) const
{
    const QJsonObject all = m_sim.getJson("/_sim/chatops/state").toObject();
    return all.value("viewers").toObject().value("42/" + spaceId).toObject();
}

void ChatOpsTestCase::initTestCase()
{
    QVERIFY(m_sim.start());
    LoginInfo login;
    login.uid = 77;
    NetUtils::getInstance()->setLoginInfo(login);
}

void ChatOpsTestCase::init()
{
    QVERIFY(m_sim.reset());
    m_hooks.reset(new ChatRowHooks);
}

void ChatOpsTestCase::cleanup() { m_hooks.reset(); }
