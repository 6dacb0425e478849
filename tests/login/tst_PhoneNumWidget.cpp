// test-label: integration
#include "login/LoginTestSupport.h"

#include "core/ServiceConstants.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"
#include "login/PhoneNumWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class tst_PhoneNumWidget : public QObject
{
    Q_OBJECT
    LoginFixture m_fx;
    SimulatorProcess& m_sim = m_fx.sim;

    static void type(PhoneNumWidget& w, const QString& phone, const QString& password)
    {
        typeText(w.phoneEdit()->lineEdit(), phone);
        typeText(w.passwordEdit()->lineEdit(), password);
    }

    // Clicks the login button and waits until its reply has been handled.
    static void loginAndWait(PhoneNumWidget& w)
    {
        QTest::mouseClick(w.loginButton(), Qt::LeftButton);
        auto* manager = w.findChild<QNetworkAccessManager*>();
        QVERIFY(manager);
        QSignalSpy finished(manager, &QNetworkAccessManager::finished);
        QVERIFY(finished.wait(15000));
    }

private slots:
    void initTestCase() { QVERIFY(m_fx.start()); }
    void init() { QVERIFY(m_fx.reset()); }

    void successFillsTheRecordAndTheRememberedLogin_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::newRow("remember") << true;
        QTest::newRow("forget") << false;
    }
    void successFillsTheRecordAndTheRememberedLogin()
    {
        QFETCH(bool, remember);
        LoginTestEnvironment::remember("13900000000", "old");
        PhoneNumWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        w.phoneEdit()->setText(QString());
        w.passwordEdit()->setText(QString());
        type(w, "13800000000", "demo1234");
        w.rememberBox()->setChecked(remember);
        loginAndWait(w);

        QCOMPARE(observer.codes, QList<int>{200});
        const LoginInfo& info = observer.records.first();
        QCOMPARE(info.uid, 10001);
        QCOMPARE(info.wechat_user_space_id, 20001);
        QCOMPARE(info.name, QString("索维演示主播"));
        QCOMPARE(info.photo, m_sim.baseUrl() + "/pic/100x100/demo-host");
        QCOMPARE(info.token, QByteArray("sim-demo-token-7f3a9c"));
        QCOMPARE(info.loginType, 0);
        QVERIFY(info.openid.isEmpty() && info.qrscene.isEmpty() && info.main_wechat_user_space_id == 0);

        QSettings stored = LoginTestEnvironment::remembered();
        if (remember) {
            QCOMPARE(stored.value("username").toString(), QString("13800000000"));
            QCOMPARE(stored.value("password").toString(), QString("demo1234"));
            QCOMPARE(stored.value("remember").toBool(), true);
            QCOMPARE(w.phoneEdit()->text(), QString("13800000000"));
        } else {
            QVERIFY(!stored.contains("username") && !stored.contains("password") &&
                    !stored.contains("remember"));
            QCOMPARE(w.phoneEdit()->text(), QString());
            QCOMPARE(w.passwordEdit()->text(), QString());
        }
        QCOMPARE(formsSent(m_sim, "/liveSystem/login/userLogin").size(), 1);
    }

    void rejectedLoginShowsTheHint_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QJsonArray>("scripted"); // empty: the simulator's own answer
        QTest::newRow("wrong password") << "nope" << QJsonArray();
        const QString ct = "application/json;charset=utf-8";
        QTest::newRow("code as text")
            << "demo1234"
            << QJsonArray{QJsonObject{
                   {"content_type", ct},
                   {"body", QJsonObject{{"code", "200"}, {"data", QJsonObject{{"token", "t"}}}}}}};
        QTest::newRow("no token") << "demo1234"
                                  << QJsonArray{QJsonObject{
                                         {"content_type", ct},
                                         {"body",
                                          QJsonObject{{"code", 200}, {"data", QJsonObject{{"uid", 5}}}}}}};
        QTest::newRow("empty token")
            << "demo1234"
            << QJsonArray{QJsonObject{
                   {"content_type", ct},
                   {"body", QJsonObject{{"code", 200}, {"data", QJsonObject{{"uid", 5}, {"token", ""}}}}}}};
    }
    void rejectedLoginShowsTheHint()
    {
        QFETCH(QString, password);
        QFETCH(QJsonArray, scripted);
        if (!scripted.isEmpty())
            QVERIFY(m_sim.script("/liveSystem/login/userLogin", scripted));
        PhoneNumWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        type(w, "13800000000", password);
        w.rememberBox()->setChecked(true);
        QVERIFY(w.errorHint()->isHidden());
        loginAndWait(w);
        QVERIFY(!w.errorHint()->isHidden());
        QCOMPARE(w.errorHint()->text(), QString("账号或者密码错误！"));
        QCOMPARE(w.errorHint()->size(), QSize(296, 28));
        QVERIFY(observer.codes.isEmpty());
        QVERIFY(!LoginTestEnvironment::remembered().contains("username"));
    }

    void unusableReplyShowsNothing_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        const QJsonObject ok{{"code", 200}, {"data", QJsonObject{{"uid", 1}, {"token", "t"}}}};
        QTest::newRow("other content type")
            << QJsonObject{{"content_type", "application/json"}, {"body", ok}};
        QTest::newRow("no json") << QJsonObject{{"content_type", "application/json;charset=utf-8"},
                                                {"body", "<html>"}};
        QTest::newRow("server error")
            << QJsonObject{{"status", 500}, {"content_type", "application/json;charset=utf-8"}, {"body", ok}};
    }
    void unusableReplyShowsNothing()
    {
        QFETCH(QJsonObject, reply);
        QVERIFY(m_sim.script("/liveSystem/login/userLogin", QJsonArray{reply}));
        PhoneNumWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        type(w, "13800000000", "demo1234");
        loginAndWait(w);
        QVERIFY(w.errorHint()->isHidden());
        QVERIFY(observer.codes.isEmpty());
    }

    void formValuesArriveIntact()
    {
        PhoneNumWidget w;
        type(w, "13800000000", "a&b+c% =密");
        loginAndWait(w);
        const QList<QJsonObject> forms = formsSent(m_sim, "/liveSystem/login/userLogin");
        QCOMPARE(forms.size(), 1);
        QCOMPARE(forms.first().keys(), (QStringList{"mobile", "password"}));
        QCOMPARE(forms.first().value("password").toString(), QString("a&b+c% =密"));
        const QJsonObject request = m_sim.requests("/liveSystem/login/userLogin").first().toObject();
        QCOMPARE(request.value("headers").toObject().value("Content-Type").toString(),
                 QString("application/x-www-form-urlencoded"));
    }

    void enableRule_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both empty") << ""
                                    << "" << false;
        QTest::newRow("phone only") << "138"
                                    << "" << false;
        QTest::newRow("password only") << ""
                                       << "x" << false;
        QTest::newRow("both") << "1"
                              << "x" << true;
        QTest::newRow("letters only in phone") << "abc"
                                               << "x" << false;
    }
    void enableRule()
    {
        QFETCH(QString, phone);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        PhoneNumWidget w;
        QVERIFY(!w.loginButton()->isEnabled());
        type(w, phone, password);
        QCOMPARE(w.loginButton()->isEnabled(), enabled);
        QCOMPARE(w.loginButton()->styleSheet().contains("rgba(6, 105, 245, 1)"), enabled);
        QCOMPARE(w.loginButton()->styleSheet().contains("rgba(6, 105, 245, 0.5)"), !enabled);
        if (enabled) { // the clear icon disables it again
            QTest::mousePress(w.passwordEdit()->clearIcon(), Qt::LeftButton);
            QVERIFY(!w.loginButton()->isEnabled());
        }
    }

    void rememberedLoginFillsTheForm()
    {
        LoginTestEnvironment::remember("13800000000", "demo1234");
        PhoneNumWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QCOMPARE(w.phoneEdit()->text(), QString("13800000000"));
        QCOMPARE(w.passwordEdit()->text(), QString("demo1234"));
        QVERIFY(w.rememberBox()->isChecked());
        QVERIFY(w.loginButton()->isEnabled());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.loginButton()->hasFocus());
    }

    void stoppedButtonSendsNothing()
    {
        PhoneNumWidget w;
        type(w, "13800000000", "demo1234");
        w.stop();
        QTest::mouseClick(w.loginButton(), Qt::LeftButton);
        QVERIFY(!w.findChild<QNetworkAccessManager*>());
    }

    void forgottenPasswordOpensTheResetPage()
    {
        PhoneNumWidget w;
        QTest::mousePress(w.forgetLabel(), Qt::LeftButton);
        QCOMPARE(m_fx.env->openedLinks, QList<QUrl>{QUrl(RESET_PASSWORD_URL.toString())});
        QVERIFY(m_fx.env->openedLinks.first().toString().endsWith("/wechat/#/user/resetpwd"));
    }
};

QTEST_MAIN(tst_PhoneNumWidget)
#include "tst_PhoneNumWidget.moc"
