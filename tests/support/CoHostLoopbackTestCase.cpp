#include "support/CoHostLoopbackTestCase.h"

#include <QtTest>

void CoHostLoopbackTestCase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(cohostloopback::startSignedIn(m_sim, m_dir.path(), m_login));
}
