#pragma once
// Helpers shared by the login tests: a recording observer, private settings and document root,
// and the short timings of the QR tab.

#include "core/DataCenter.h"
#include "core/LoginInfo.h"
#include "login/LoginLinks.h"
#include "login/QRcodeWidget.h"
#include "support/SimulatorProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkReply>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <memory>

struct RecordingObserver : LoginObserver {
    QList<LoginInfo> records;
    QList<int> codes;
    void onLoginStatusNotify(void* loginInfo, int code) override
    {
        codes << code;
        records << *static_cast<LoginInfo*>(loginInfo);
    }
};

// Everything a login test touches on disk lives in one temporary folder; links are recorded
// instead of opened.
class LoginTestEnvironment
{
public:
    LoginTestEnvironment()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path() + "/settings");
        CDataCenter::getInstance()->userDocRoot = m_dir.path() + "/userdoc";
        solvek::setLoginLinkOpener([this](const QUrl& url) {
            openedLinks << url;
            return true;
        });
        QRcodeWidget::timings().pollMs = 100;
        QRcodeWidget::timings().successPauseMs = 10;
    }
    ~LoginTestEnvironment() { solvek::setLoginLinkOpener({}); }

    static QSettings remembered()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "solvek", "solvek");
    }
    static void remember(const QString& user, const QString& password)
    {
        QSettings stored = remembered();
        stored.setValue("username", user);
        stored.setValue("password", password);
        stored.setValue("remember", true);
    }

    QList<QUrl> openedLinks;

private:
    QTemporaryDir m_dir;
};

// The simulator and the private environment of one test executable.
struct LoginFixture {
    SimulatorProcess sim;
    std::unique_ptr<LoginTestEnvironment> env;

    bool start()
    {
        qRegisterMetaType<QNetworkReply*>();
        env.reset(new LoginTestEnvironment);
        return sim.start();
    }
    // Back to a fresh simulator, no remembered login, no cached code, no links opened.
    bool reset()
    {
        env->openedLinks.clear();
        LoginTestEnvironment::remembered().clear();
        QFile::remove(QRcodeWidget::cachedPicturePath());
        return sim.reset();
    }
};

// The form bodies the simulator received on a path, in order.
inline QList<QJsonObject> formsSent(const SimulatorProcess& sim, const QString& path)
{
    QList<QJsonObject> out;
    for (const QJsonValue& r : sim.requests(path))
        out << r.toObject().value("form").toObject();
    return out;
}

// Types text as key presses; characters without a key of their own arrive as text input.
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
