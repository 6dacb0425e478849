#pragma once
// An X server of the test's own: tests that read pixels back from the screen (screen capture,
// window grabs) must not see the windows of tests running beside them on a shared display.
//
//   SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_Something)   // instead of QTEST_MAIN
//
// starts a private Xvfb (1920x1080x24) and points DISPLAY at it before the application object
// exists. The server is stopped last at exit (libobs and the EGL driver still talk to it in their
// exit handlers), and goes with the process after a crash too.

#include <QApplication>
#include <QtTest>

namespace testsupport {
// Starts the server and sets DISPLAY; false (with a message on stderr) when it cannot.
bool startPrivateXServer();
} // namespace testsupport

#define SOLVEK_TEST_MAIN_OWN_DISPLAY(TestObject)                                                       \
    int main(int argc, char* argv[])                                                                   \
    {                                                                                                  \
        if (!testsupport::startPrivateXServer())                                                       \
            return 1;                                                                                  \
        QApplication app(argc, argv);                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                       \
        TestObject tc;                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                          \
    }
