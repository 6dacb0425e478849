#pragma once
// Where the store keeps its files during a test: config.ini in the working directory and the
// user folders under the data location. Tests point both into a temporary folder of their own.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace testsupport {

// Makes `dir` the data location (XDG_DATA_HOME=<dir>/data) and the working directory; false when
// the folder is not there or cannot be entered.
inline bool useStoreDir(const QTemporaryDir& dir)
{
    if (!dir.isValid())
        return false;
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    return QDir::setCurrent(dir.path());
}

// initTestCase of a test that reads pixels back from a real X display: fails under the offscreen
// platform, then keeps the store's files in `dir`. (A failure here skips the test functions.)
inline void setUpScreenTest(const QTemporaryDir& dir)
{
    QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
    QVERIFY(useStoreDir(dir));
}

} // namespace testsupport
