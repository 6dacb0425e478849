// test-label: integration
#include "login/LoginTestSupport.h"

#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginDialog.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"
#include "login/PhoneNumWidget.h"
#include "login/PriAccoutWidget.h"
#include "login/SubAccoutWidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class tst_LoginDialog : public QObject
{
    Q_OBJECT
    LoginFixture m_fx;
    SimulatorProcess& m_sim = m_fx.sim;

    static LoginInfo record(int uid, const QByteArray& token)
    {
        LoginInfo info;
        info.uid = uid;
        info.name = QString("主播%1").arg(uid);
        info.token = token;
        return info;
    }
    static QLabel* link(PriAccoutWidget* panel, const char* name) { return panel->findChild<QLabel*>(name); }
    static void press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); }
    static void openPhoneTab(LoginDialog& d) { press(link(d.priWidget(), "phone_num_label")); }
    int userLogins() const { return m_sim.requests("/liveSystem/login/userLogin").size(); }

private slots:
    void initTestCase() { QVERIFY(m_fx.start()); }
    void init()
    {
        QVERIFY(m_fx.reset());
        NetUtils::getInstance()->setLoginInfo(LoginInfo());
    }

    void failureResultChangesNothing()
    {
        LoginDialog d;
        QSignalSpy success(&d, &LoginDialog::sigAccounLoginSuccess);
        LoginInfo info = record(7, "t7");
        d.onLoginStatusNotify(&info, 500);
        QCOMPARE(success.count(), 0);
        QCOMPARE(d.loginInfo()->uid, 0);
        QVERIFY(d.priWidget()->qrTab()->isPolling());
        QVERIFY(!d.loadingCover()->isVisibleTo(&d));
    }

    // A second success delivered while the first one lets pending events through is ignored.
    void onlyTheFirstSuccessCounts()
    {
        LoginDialog d;
        QSignalSpy success(&d, &LoginDialog::sigAccounLoginSuccess);
        LoginInfo first = record(1, "first");
        LoginInfo second = record(2, "second");
        bool secondDelivered = false;
        QTimer::singleShot(0, &d, [&] {
            secondDelivered = true;
            d.onLoginStatusNotify(&second, 200);
        });
        d.onLoginStatusNotify(&first, 200);
        QVERIFY(secondDelivered);
        QCOMPARE(success.count(), 1);
        QCOMPARE(d.loginInfo()->uid, 1);
        QCOMPARE(NetUtils::getInstance()->getLoginInfo().token, QByteArray("first"));
        d.onLoginStatusNotify(&second, 200); // and later ones too
        QCOMPARE(success.count(), 1);
        QCOMPARE(d.loginInfo()->token, QByteArray("first"));
    }

    void successCoversTheCurrentPanel_data()
    {
        QTest::addColumn<bool>("subPanel");
        QTest::newRow("main panel") << false;
        QTest::newRow("sub panel") << true;
    }
    void successCoversTheCurrentPanel()
    {
        QFETCH(bool, subPanel);
        LoginDialog d;
        if (subPanel)
            press(link(d.priWidget(), "sub_label"));
        QCOMPARE(d.currentPanel(), subPanel ? 1 : 0);
        LoginInfo info = record(3, "t3");
        d.onLoginStatusNotify(&info, 200);
        QVERIFY(d.loadingCover()->isVisibleTo(&d));
        QWidget* panel = subPanel ? static_cast<QWidget*>(d.subWidget()) : d.priWidget();
        QWidget* container = subPanel ? d.subContainer() : d.priContainer();
        QVERIFY(panel->isHidden());
        QVERIFY(container->isVisibleTo(&d));
        QVERIFY(!d.priWidget()->qrTab()->isPolling()); // the panels are stopped
    }

    void phoneLoginThroughTheDialog()
    {
        LoginDialog d;
        QSignalSpy success(&d, &LoginDialog::sigAccounLoginSuccess);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        openPhoneTab(d);
        PhoneNumWidget* phone = d.priWidget()->phoneTab();
        QVERIFY(phone);
        typeText(phone->phoneEdit()->lineEdit(), "13800000000");
        typeText(phone->passwordEdit()->lineEdit(), "demo1234");

        // Return or Enter in a field neither closes the dialog nor signs in, even with a default button.
        phone->loginButton()->setDefault(true);
        for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(phone->passwordEdit()->lineEdit(), Qt::Key(key));
            QTest::keyClick(phone->phoneEdit()->lineEdit(), Qt::Key(key));
        }
        QTest::qWait(200);
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(userLogins(), 0);

        // On the focused login button Return presses it.
        phone->loginButton()->setFocus();
        QTest::keyClick(phone->loginButton(), Qt::Key_Return);
        QVERIFY(success.wait(15000));
        QCOMPARE(userLogins(), 1);
        QCOMPARE(d.loginInfo()->name, QString("索维演示主播"));
        QCOMPARE(d.loginInfo()->loginType, 0);
        QCOMPARE(NetUtils::getInstance()->getLoginInfo().token, QByteArray("sim-demo-token-7f3a9c"));
    }

    void qrLoginThroughTheDialog()
    {
        LoginDialog d;
        QSignalSpy success(&d, &LoginDialog::sigAccounLoginSuccess);
        QTRY_VERIFY_WITH_TIMEOUT(!d.priWidget()->qrTab()->scene().isEmpty(), 15000);
        openPhoneTab(d); // hidden, the code still signs in
        QVERIFY(m_sim.control("/_sim/login/qrcode", QJsonObject{{"state", "confirmed"}})
                    .toObject()
                    .value("ok")
                    .toBool());
        QVERIFY(success.wait(15000));
        QCOMPARE(d.loginInfo()->uid, 10001);
        QCOMPARE(d.loginInfo()->loginType, 1);
        QTest::qWait(300);
        QCOMPARE(success.count(), 1);
    }

    void tabsKeepTheCodeAndRebuildThePhoneForm()
    {
        LoginDialog d;
        PriAccoutWidget* pri = d.priWidget();
        QRcodeWidget* qr = pri->qrTab();
        openPhoneTab(d);
        QVERIFY(qr->isHidden());
        QVERIFY(qr->isPolling());
        QPointer<PhoneNumWidget> firstPhone = pri->phoneTab();
        typeText(firstPhone->phoneEdit()->lineEdit(), "139");

        press(link(pri, "qr_code_label"));
        QCOMPARE(pri->qrTab(), qr); // the same code, never paused
        QVERIFY(!qr->isHidden());
        QVERIFY(qr->isPolling());
        QVERIFY(firstPhone.isNull());
        QCOMPARE(link(pri, "qr_code_label")->styleSheet().contains("#0669F5"), true);

        openPhoneTab(d);
        QVERIFY(pri->phoneTab());
        QCOMPARE(pri->phoneTab()->phoneEdit()->text(), QString()); // what was typed is gone
        QCOMPARE(link(pri, "phone_num_label")->styleSheet().contains("#0669F5"), true);
        QCOMPARE(link(pri, "phone_num_underline")->styleSheet(),
                 QString("background-color: rgb(6, 105, 245);"));
    }

    void linksAndPanels()
    {
        LoginDialog d;
        press(link(d.priWidget(), "reg_label"));
        press(link(d.priWidget(), "service_label"));
        QCOMPARE(m_fx.env->openedLinks,
                 (QList<QUrl>{QUrl(REGISTER_URL.toString()), QUrl(RECHARGE_AGREEMENT_URL.toString())}));

        press(link(d.priWidget(), "sub_label"));
        QCOMPARE(d.currentPanel(), 1);
        QVERIFY(d.subContainer()->isVisibleTo(&d));
        QVERIFY(d.priContainer()->isHidden());
        QVERIFY(d.priWidget()->qrTab()->isPolling()); // a switch stops nothing

        press(d.subWidget()->mainLink());
        QCOMPARE(d.currentPanel(), 0);
        QVERIFY(d.priContainer()->isVisibleTo(&d));
        QVERIFY(d.subContainer()->isHidden());
    }

    void escapeClosesWithoutLogin()
    {
        LoginDialog d;
        QSignalSpy success(&d, &LoginDialog::sigAccounLoginSuccess);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(success.count(), 0);
    }

    void draggingStopsOverTheLinks_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("moves");
        QTest::newRow("plain text") << "label" << true;
        QTest::newRow("register link") << "reg_label" << false;
    }
    void draggingStopsOverTheLinks()
    {
        QFETCH(QString, label);
        QFETCH(bool, moves);
        LoginDialog d;
        d.move(100, 100);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QWidget* target = d.priWidget()->findChild<QWidget*>(label);
        const QPoint start = d.pos();
        const QPoint global = target->mapToGlobal(QPoint(3, 3));
        QMouseEvent pressEvent(QEvent::MouseButtonPress, d.mapFromGlobal(global), global, Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&d, &pressEvent);
        QMouseEvent moveEvent(QEvent::MouseMove, QPoint(3, 3), global + QPoint(30, 20), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &moveEvent);
        QCOMPARE(d.pos(), moves ? start + QPoint(30, 20) : start);
    }
};

QTEST_MAIN(tst_LoginDialog)
#include "tst_LoginDialog.moc"
