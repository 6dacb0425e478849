// test-label: integration
// test-timeout: 240
// No credential reaches the log file: each road runs against the simulator, which notes every
// credential it hands out (login and sub-login tokens, the co-host link token, real-time and IM
// signatures, storage credentials, the secrets of signed push addresses), while the program's
// log writer writes its file; then no line of the file holds any of them, nor the password typed.
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "login/LoginTestSupport.h"

#include "core/SolVekLog.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"
#include "login/PhoneNumWidget.h"
#include "login/SelectAccoutDialog.h"
#include "login/SubAccoutWidget.h"
#include "login/UserWidget.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 15000;
const char kPassword[] = "demo1234";

SolVekLog* g_log = nullptr;

void toLogFile(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    g_log->writeLog(type, context, msg);
}
} // namespace

class tst_LogSecrets : public ChatWindowTestCase
{
    Q_OBJECT

    QtMessageHandler m_previous = nullptr;
    QString m_picture;

    QStringList secrets() const
    {
        QStringList out{QString::fromLatin1(kPassword)};
        for (const QJsonValue& s : m_sim.getJson("/_sim/secrets").toArray())
            out << s.toString();
        return out;
    }

    // Signs in by phone, or with the sub-account code, as the login dialog does.
    LoginInfo phoneLogin()
    {
        PhoneNumWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        w.phoneEdit()->setText(QString());
        w.passwordEdit()->setText(QString());
        typeText(w.phoneEdit()->lineEdit(), "13800000000");
        typeText(w.passwordEdit()->lineEdit(), kPassword);
        QTest::mouseClick(w.loginButton(), Qt::LeftButton);
        return QTest::qWaitFor([&] { return !observer.records.isEmpty(); }, kWait) ? observer.records.value(0)
                                                                                   : LoginInfo();
    }
    LoginInfo subAccountLogin()
    {
        SubAccoutWidget::setAccountDialogRunner([](QDialog& d) {
            d.show();
            return int(QDialog::Accepted);
        });
        SubAccoutWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        if (QTest::qWaitFor([&] { return !w.scene().isEmpty(); }, kWait)) {
            m_sim.control("/_sim/login/master", {{"scene", w.scene()}});
            if (QTest::qWaitFor([&] { return w.accountDialog() && !w.accountDialog()->cards().isEmpty(); },
                                kWait)) {
                QTest::mouseClick(w.accountDialog()->loginButton(), Qt::LeftButton);
                if (!QTest::qWaitFor([&] { return !observer.records.isEmpty(); }, kWait))
                    qWarning() << "the sub-login did not answer";
            }
        }
        SubAccoutWidget::setAccountDialogRunner({});
        return observer.records.value(0);
    }

    bool imJoined(qint64 roomId) const
    {
        const QJsonObject groups = m_sim.getJson("/_sim/im").toObject().value("groups").toObject();
        return !groups.value(QStringLiteral("room_%1").arg(roomId))
                    .toObject()
                    .value("members")
                    .toArray()
                    .isEmpty();
    }
    bool mixRunning() const
    {
        for (const QJsonValue& m : m_sim.getJson("/_sim/trtc").toObject().value("mixes").toArray())
            if (m.toObject().value("running").toBool())
                return true;
        return false;
    }
    int pictureSays() const
    {
        int n = 0;
        for (const QJsonObject& say : m_sim.framesOfType("say"))
            n += say.value("content").toObject().value("msg_type").toString() == "image";
        return n;
    }

private slots:
    void initTestCase()
    {
        ChatWindowTestCase::initTestCase();
        // The program's log writer with its file on, as a host switches it on.
        g_log = new SolVekLog(std::tmpfile());
        g_log->setEnabled(true);
        m_previous = qInstallMessageHandler(toLogFile);
        m_picture = m_fx.dir.filePath("picture.png");
        QImage picture(32, 32, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_picture));
        Access::pictureChooser() = [this] { return m_picture; };
    }
    void cleanupTestCase() { qInstallMessageHandler(m_previous); }
    void init()
    {
        ChatWindowTestCase::init();
        QVERIFY(control("/_sim/rooms/signed", {{"on", true}}));
    }

    void noCredentialInTheLog_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("issued"); // credentials the road is handed at least
        QTest::newRow("main road") << "main" << 2;
        QTest::newRow("co-host road") << "co-host" << 4;
        QTest::newRow("chat pictures") << "pictures" << 3;
        QTest::newRow("sub-account login") << "sub-account" << 2;
    }
    void noCredentialInTheLog()
    {
        QFETCH(QString, road);
        QFETCH(int, issued);
        const int before = secrets().size();
        const qint64 logStart = QFileInfo(g_log->fileName()).size();

        // The window of a fresh sign-in.
        const LoginInfo info = road == "sub-account" ? subAccountLogin() : phoneLogin();
        QVERIFY(!info.token.isEmpty());
        delete m_w;
        m_fx.login = info;
        NetUtils::getInstance()->setLoginInfo(info);
        m_w = m_fx.w = new LiveMainWindow;
        m_w->initLiveMainWindowParams(&m_fx.login);
        m_w->initFromLogin();
        m_w->show();
        LiveControl* live = Access::liveControl(*m_w);

        if (road == "main" || road == "sub-account") {
            QVERIFY(chooseRoomInDialog(*m_w, 10086));
            QTRY_VERIFY_WITH_TIMEOUT(!m_sim.framesOfType("login").isEmpty(), kWait);
            QTRY_VERIFY_WITH_TIMEOUT(imJoined(10086), kWait);
            live->liveButtonClicked();
            QTRY_COMPARE_WITH_TIMEOUT(live->state(), mainwin::LiveStateLive, kWait);
            live->stop();
        } else if (road == "co-host") {
            QVERIFY(chooseRoomInDialog(*m_w, 10087));
            QTRY_VERIFY_WITH_TIMEOUT(!live->trtcLoginMessage().isEmpty(), kWait);
            live->liveButtonClicked();
            QTRY_COMPARE_WITH_TIMEOUT(live->state(), mainwin::LiveStateLive, kWait);
            QTRY_VERIFY_WITH_TIMEOUT(mixRunning(), kWait);
            live->stop();
            QTRY_VERIFY_WITH_TIMEOUT(!mixRunning(), kWait);
        } else if (road == "pictures") {
            QVERIFY(enterRoom(123));
            QTest::mouseClick(chat()->pictureButton, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            QTRY_COMPARE_WITH_TIMEOUT(pictureSays(), 1, kWait);
        }
        settle();

        const QStringList handedOut = secrets();
        QVERIFY2(handedOut.size() - before >= issued, qPrintable(handedOut.join(' ')));
        QFile file(g_log->fileName());
        QVERIFY(file.open(QIODevice::ReadOnly) && file.seek(logStart));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.size() > 20); // the road was logged
        QStringList leaks;
        for (const QByteArray& line : lines)
            for (const QString& secret : handedOut)
                if (line.contains(secret.toUtf8()))
                    leaks << secret + " in: " + QString::fromUtf8(line);
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join("\n")));
    }
};

QTEST_MAIN(tst_LogSecrets)
#include "tst_LogSecrets.moc"
