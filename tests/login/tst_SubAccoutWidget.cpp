// test-label: integration
// The sub-account login against the simulator: the code and the asks for the account list, the
// account choice, the sub-login and its reply, declining and the code's lifetime.
#include "login/LoginTestSupport.h"

#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "login/LoginDialog.h"
#include "login/PriAccoutWidget.h"
#include "login/SelectAccoutDialog.h"
#include "login/SubAccoutWidget.h"
#include "login/UserWidget.h"
#include "shell/AppStartup.h"
#include "shell/LiveMainWindow.h"
#include "support/FakeLiveCore.h"

#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <sys/stat.h>

namespace
{
const char kPollPath[] = "/liveSystem/login/showMasterUser";
const char kCodePath[] = "/liveSystem/login/showWechatQrcode";
const char kSubLoginPath[] = "/liveSystem/login/subLogin";

QJsonObject user(int uid, const QString& name, const QString& photo = QString())
{
    return QJsonObject{{"uid", uid}, {"wechat_user_space_id", uid + 10000}, {"name", name}, {"photo", photo}};
}

void press(QWidget* w)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

QImage imageOf(const QLabel* label)
{
    return label->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

class tst_SubAccoutWidget : public QObject
{
    Q_OBJECT
    LoginFixture m_fx;
    SimulatorProcess& m_sim = m_fx.sim;
    QTemporaryDir m_files;

    int count(const char* path) const { return m_sim.requests(path).size(); }
    QStringList rawBodies(const char* path) const
    {
        QStringList out;
        for (const QJsonValue& r : m_sim.requests(path))
            out << r.toObject().value("body").toString();
        return out;
    }
    QList<double> times(const char* path) const
    {
        QList<double> out;
        for (const QJsonValue& r : m_sim.requests(path))
            out << r.toObject().value("time").toDouble();
        return out;
    }
    // Marks the panel's current code scanned, once it is known. `offer` may name the "users"
    // offered (the simulator's two demo accounts otherwise) and a "reply" with fields that
    // replace those of the sub-login's reply.
    void scan(SubAccoutWidget& w, QJsonObject offer = {})
    {
        QVERIFY(QTest::qWaitFor([&] { return !w.scene().isEmpty(); }, 15000));
        offer.insert("scene", w.scene());
        QVERIFY(m_sim.control("/_sim/login/master", offer).toObject().value("ok").toBool());
    }
    // The account choice shown without a nested loop: the test drives it from outside, and the
    // panel takes it as accepted (it does nothing more).
    static void showWithoutBlocking()
    {
        SubAccoutWidget::setAccountDialogRunner([](QDialog& d) {
            d.show();
            return int(QDialog::Accepted);
        });
    }
    static bool waitForCards(SubAccoutWidget& w, int n)
    {
        return QTest::qWaitFor([&] { return w.accountDialog()->cards().size() == n && w.accountDialog()->isVisible(); },
                               15000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_fx.start());
        QVERIFY(m_files.isValid());
        SubAccoutWidget::timings().pollRetryMs = 100;
    }
    void init()
    {
        QVERIFY(m_fx.reset());
        NetUtils::getInstance()->setLoginInfo(LoginInfo());
    }
    void cleanup() { SubAccoutWidget::setAccountDialogRunner({}); }

    void pollsCarryTheSceneOnceTheCodeHasArrived()
    {
        QVERIFY(m_sim.script(kCodePath, QJsonArray{QJsonObject{{"passthrough", true}, {"delay", 0.5}}}));
        SubAccoutWidget w;
        QVERIFY(w.codeLabel()->movie()); // the loading animation until the code arrives
        QCOMPARE(w.codeLabel()->movie()->speed(), 200);
        QVERIFY(QTest::qWaitFor([&] { return !w.scene().isEmpty(); }, 15000));
        const QString scene = w.scene();
        QVERIFY(QTest::qWaitFor([&] { return rawBodies(kPollPath).endsWith("qrscene=" + scene); }, 15000));
        QVERIFY(QTest::qWaitFor([&] { return !w.codeLabel()->pixmap(Qt::ReturnByValue).isNull(); }, 15000));
        QCOMPARE(w.codeLabel()->pixmap(Qt::ReturnByValue).size(), QSize(180, 180));

        const QStringList bodies = rawBodies(kPollPath);
        const int firstWithScene = bodies.indexOf("qrscene=" + scene);
        QVERIFY2(firstWithScene >= 2, qPrintable(bodies.join(' '))); // repeated while the code was on its way
        for (int i = 0; i < bodies.size(); ++i)
            QCOMPARE(bodies.at(i), i < firstWithScene ? QString("qrscene=") : "qrscene=" + scene);
        QVERIFY(w.accountDialog()->cards().isEmpty());
    }

    void chosenCardSignsIn_data()
    {
        QTest::addColumn<int>("pressed"); // card pressed before the login button; -1: none
        QTest::newRow("login at once") << -1;
        QTest::newRow("second card") << 1;
    }
    void chosenCardSignsIn()
    {
        QFETCH(int, pressed);
        showWithoutBlocking();
        SubAccoutWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        const QJsonArray users{user(501, "甲"), user(502, "乙"), user(503, "丙")};
        scan(w, {{"users", users}});
        const QString scene = w.scene();
        QVERIFY(waitForCards(w, 3));
        SelectAccoutDialog* dialog = w.accountDialog();
        const QList<UserWidget*> cards = dialog->cards();
        QCOMPARE(w.cards(), cards);
        QVERIFY(cards.at(0)->isSelected());
        QVERIFY(!cards.at(1)->isSelected() && !cards.at(2)->isSelected());
        QCOMPARE(dialog->loginInfo().uid, 501);
        QVERIFY(w.scene().isEmpty());
        if (pressed >= 0)
            press(cards.at(pressed)->nameLabel()); // a press on a card's label reaches the card
        const int index = qMax(pressed, 0);
        for (int i = 0; i < cards.size(); ++i)
            QCOMPARE(cards.at(i)->isSelected(), i == index);

        QTest::mouseClick(dialog->loginButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !observer.codes.isEmpty(); }, 15000));
        const int uid = users.at(index).toObject().value("uid").toInt();
        QCOMPARE(rawBodies(kSubLoginPath),
                 QStringList{QString("uid=%1&unionid=uSimSub0001&openid=oSimSub0001&qrscene=%2").arg(uid).arg(scene)});
        QCOMPARE(observer.codes, QList<int>{200});
        const LoginInfo& info = observer.records.first();
        QCOMPARE(info.loginType, 2);
        QCOMPARE(info.uid, uid);
        QCOMPARE(info.main_wechat_user_space_id, uid + 10000);
        QCOMPARE(info.main_name, users.at(index).toObject().value("name").toString());
        QCOMPARE(info.main_openid, QString("oSimSub0001"));
        QCOMPARE(info.main_unionid, QString("uSimSub0001"));
        QCOMPARE(info.openid, QString("oSimSub0001"));
        QCOMPARE(info.name, QString("索维子账号"));
        QCOMPARE(info.qrscene, scene);
        QVERIFY(info.token.startsWith("sim-sub-token-" + QByteArray::number(uid)));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void spaceIdOfTheReply_data()
    {
        QTest::addColumn<QJsonValue>("sent");
        QTest::addColumn<int>("expected");
        QTest::newRow("text") << QJsonValue("1234") << 1234;
        QTest::newRow("number") << QJsonValue(1234) << 1234;
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << -1;
        QTest::newRow("not a number") << QJsonValue("abc") << 0;
    }
    void spaceIdOfTheReply()
    {
        QFETCH(QJsonValue, sent);
        QFETCH(int, expected);
        showWithoutBlocking();
        SubAccoutWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        scan(w, {{"reply", QJsonObject{{"wechat_user_space_id", sent}}}});
        QVERIFY(waitForCards(w, 2));
        QTest::mouseClick(w.accountDialog()->loginButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !observer.codes.isEmpty(); }, 15000));
        QCOMPARE(observer.codes, QList<int>{200});
        QCOMPARE(observer.records.first().wechat_user_space_id, expected);
        QCOMPARE(observer.records.first().uid, 10001);
        QCOMPARE(observer.records.first().main_wechat_user_space_id, 20001);
    }

    void declineStartsOverWithOneNewCode()
    {
        QList<QPointer<UserWidget>> shown;
        SubAccoutWidget::setAccountDialogRunner([&](QDialog& d) {
            for (UserWidget* card : static_cast<SelectAccoutDialog&>(d).cards())
                shown << card;
            d.show();
            QTest::mouseClick(static_cast<SelectAccoutDialog&>(d).closeButton(), Qt::LeftButton);
            return d.result();
        });
        SubAccoutWidget w;
        scan(w);
        const QString first = w.scene();
        QVERIFY(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 15000));
        QCOMPARE(shown.size(), 2);
        QVERIFY(!w.accountDialog()->isVisible());
        for (const QPointer<UserWidget>& card : shown)
            QVERIFY(card.isNull()); // deleted
        QVERIFY(w.accountDialog()->cards().isEmpty());
        QVERIFY(!w.accountDialog()->hasChosen());
        QVERIFY(QTest::qWaitFor([&] { return !w.scene().isEmpty(); }, 15000));
        QVERIFY(w.scene() != first);
        QVERIFY(QTest::qWaitFor([&] { return rawBodies(kPollPath).endsWith("qrscene=" + w.scene()); }, 15000));
        QCOMPARE(count(kCodePath), 2);
        QCOMPARE(count(kSubLoginPath), 0);
    }

    // The code's lifetime is in seconds, and each code has its own: declining does not let the
    // timer of the code before replace the new one early.
    void codeLivesItsSecondsAlsoAfterADecline()
    {
        QVERIFY(m_sim.control("/_sim/login/options", QJsonObject{{"expire_seconds", 2}}).isObject());
        int runs = 0;
        SubAccoutWidget::setAccountDialogRunner([&](QDialog& d) {
            ++runs;
            QTest::qWait(600);
            d.reject();
            return d.result();
        });
        SubAccoutWidget w;
        QVERIFY(QTest::qWaitFor([&] { return !w.scene().isEmpty(); }, 15000));
        QVERIFY2(w.refreshRemainingMs() > 1000, qPrintable(QString::number(w.refreshRemainingMs())));
        scan(w);
        QVERIFY(QTest::qWaitFor([&] { return runs == 1 && count(kCodePath) == 2; }, 15000));
        QVERIFY(QTest::qWaitFor([&] { return count(kCodePath) == 3; }, 15000));
        QList<double> t = times(kCodePath);
        QVERIFY2(t.at(2) - t.at(1) > 1.9, qPrintable(QString::number(t.at(2) - t.at(1))));
        QTest::qWait(1200);
        QCOMPARE(count(kCodePath), 3); // one refresh chain
        QCOMPARE(runs, 1);
    }

    void emptyListAfterCardsSendsNothing()
    {
        int runs = 0;
        bool chosenAtSecond = true;
        SubAccoutWidget::setAccountDialogRunner([&](QDialog& d) {
            auto& dialog = static_cast<SelectAccoutDialog&>(d);
            if (++runs == 2) {
                chosenAtSecond = dialog.hasChosen();
                QTest::mouseClick(dialog.loginButton(), Qt::LeftButton);
                QTest::qWait(300);
            }
            d.reject();
            return d.result();
        });
        SubAccoutWidget w;
        scan(w);
        QVERIFY(QTest::qWaitFor([&] { return runs == 1; }, 15000));
        scan(w, {{"users", QJsonArray()}});
        QVERIFY(QTest::qWaitFor([&] { return runs == 2; }, 15000));
        QVERIFY(!chosenAtSecond);
        QCOMPARE(count(kSubLoginPath), 0);
    }

    void refusedRepliesKeepTheChoiceOpen()
    {
        const QJsonObject tokenless{{"content_type", "application/json;charset=utf-8"},
                                    {"body", QJsonObject{{"code", 200},
                                                         {"data", QJsonObject{{"name", "x"}, {"wechat_user_space_id", 1}}}}}};
        const QJsonObject refused{{"content_type", "application/json;charset=utf-8"},
                                  {"body", QJsonObject{{"code", 400}, {"msg", "无权登录该账号"}}}};
        QVERIFY(m_sim.script(kSubLoginPath, QJsonArray{tokenless, refused}));
        showWithoutBlocking();
        SubAccoutWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        scan(w);
        QVERIFY(waitForCards(w, 2));
        SelectAccoutDialog* dialog = w.accountDialog();

        QTest::mouseClick(dialog->loginButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return count(kSubLoginPath) == 1; }, 15000));
        QTest::qWait(300);
        QVERIFY(observer.codes.isEmpty()); // no token: not a login
        QVERIFY(dialog->isVisible());

        QTest::mouseClick(dialog->loginButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !observer.codes.isEmpty(); }, 15000));
        QCOMPARE(observer.codes, QList<int>{400});
        QVERIFY(dialog->isVisible());

        QTest::mouseClick(dialog->loginButton(), Qt::LeftButton); // the simulator answers this one
        QVERIFY(QTest::qWaitFor([&] { return observer.codes.size() == 2; }, 15000));
        QCOMPARE(observer.codes, (QList<int>{400, 200}));
        QVERIFY(!dialog->isVisible());
    }

    // Pictures named by the service are fetched from web addresses only; a path is never
    // opened (a named pipe would block for good), the fallback picture shows instead.
    void localPicturePathsAreNotOpened()
    {
        const QString fifo = m_files.filePath("pipe");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QJsonObject code{{"content_type", "application/json;charset=utf-8"},
                               {"body", QJsonObject{{"code", 200},
                                                    {"data", QJsonObject{{"qrscene", "scene-local"},
                                                                         {"img_src", fifo},
                                                                         {"expire_seconds", 300}}}}}};
        QVERIFY(m_sim.script(kCodePath, QJsonArray{code}));
        showWithoutBlocking();
        SubAccoutWidget w;
        scan(w, {{"users", QJsonArray{user(601, "本地", "/etc/hosts"), user(602, "管道", fifo),
                                      user(603, "网络", m_sim.baseUrl() + "/pic/90x90/avatar")}}});
        QVERIFY(waitForCards(w, 3));
        const QImage fallbackCode = ImageUtils::fallbackPixmap()
                                        .scaled(180, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                        .toImage()
                                        .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(imageOf(w.codeLabel()), fallbackCode);
        const QList<UserWidget*> cards = w.accountDialog()->cards();
        const QImage fallbackAvatar = imageOf(cards.at(0)->photoLabel());
        QCOMPARE(fallbackAvatar.size(), QSize(66, 66));
        QCOMPARE(imageOf(cards.at(1)->photoLabel()), fallbackAvatar);
        QVERIFY(QTest::qWaitFor([&] { return imageOf(cards.at(2)->photoLabel()) != fallbackAvatar; }, 15000));
        const QImage fetched = imageOf(cards.at(2)->photoLabel());
        QCOMPARE(fetched.pixelColor(0, 0).alpha(), 0); // round: the corners are clear
        QCOMPARE(fetched.pixelColor(33, 33).alpha(), 255);
    }

    void longNamesAreShortened()
    {
        const QString shortName = QStringLiteral("主播");
        const QString longName = QStringLiteral("一个非常非常非常非常非常长的直播间主账号名称");
        UserWidget small(nullptr, QString(), shortName);
        UserWidget wide(nullptr, QString(), longName);
        const QFontMetrics metrics(wide.nameLabel()->font());
        QVERIFY(metrics.horizontalAdvance(longName) > UserWidget::kNameWidth);
        QCOMPARE(small.nameLabel()->text(), shortName);
        const QString shown = wide.nameLabel()->text();
        QVERIFY(shown.endsWith("..."));
        const QString kept = shown.chopped(3);
        QVERIFY(!kept.isEmpty() && longName.startsWith(kept) && kept.size() < longName.size());
        QVERIFY(metrics.horizontalAdvance(kept) <= UserWidget::kNameWidth);
        QVERIFY(wide.nameLabel()->toolTip().contains(longName));
        QCOMPARE(wide.nameLabel()->textFormat(), Qt::PlainText);
    }

    void wheelMovesTheCardsByHalfTheDelta()
    {
        SelectAccoutDialog dialog;
        for (int i = 0; i < 6; ++i)
            dialog.addUser(new UserWidget(nullptr, QString(), QString::number(i)));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QScrollBar* bar = dialog.scrollArea()->horizontalScrollBar();
        QVERIFY(bar->maximum() > 100);
        QWheelEvent down(QPointF(250, 150), QPointF(250, 150), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&dialog, &down);
        QCOMPARE(bar->value(), 60);
        QVERIFY(down.isAccepted());
    }

    void stopEndsAsksAndClosesTheChoice()
    {
        showWithoutBlocking();
        SubAccoutWidget w;
        scan(w);
        QVERIFY(waitForCards(w, 2));
        w.stop();
        QVERIFY(!w.accountDialog()->isVisible());
        QCOMPARE(w.refreshRemainingMs(), -1);
        const int codes = count(kCodePath);
        w.requestQrcode();
        w.pollMasterUser();
        QTest::qWait(300);
        QCOMPARE(count(kCodePath), codes);
    }

    // The whole road: the login dialog's sub-account tab, a code scanned with two accounts, the
    // second chosen, and the main window opened for it.
    void choosingTheSecondAccountOpensTheMainWindow()
    {
        FakeLiveCore core;
        QTemporaryDir root;
        auto store = std::make_shared<CDataCenter>(root.path() + QStringLiteral("/config.ini"));
        store->userDocRoot = root.path() + QStringLiteral("/userdoc");
        CDataCenter::setInstanceForTesting(store);
        SubAccoutWidget::setAccountDialogRunner([](QDialog& d) {
            auto& dialog = static_cast<SelectAccoutDialog&>(d);
            QTimer::singleShot(0, &dialog, [&dialog] {
                press(dialog.cards().at(1));
                QTest::mouseClick(dialog.loginButton(), Qt::LeftButton);
            });
            return dialog.exec();
        });
        bool mainShown = false, loginHidden = false;
        QString userDir;
        solvek::AppStartup startup;
        startup.setLauncher([](const QString&, const QStringList&) { return true; });
        startup.setEventLoop([&]() {
            LoginDialog* login = nullptr;
            LiveMainWindow* window = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                login = login ? login : qobject_cast<LoginDialog*>(top);
                window = window ? window : qobject_cast<LiveMainWindow*>(top);
            }
            if (!login || !window)
                return -1;
            press(login->priWidget()->findChild<QLabel*>("sub_label"));
            SubAccoutWidget* sub = login->subWidget();
            if (!sub)
                return -1;
            scan(*sub);
            mainShown = QTest::qWaitFor([&] { return window->isVisible(); }, 20000);
            loginHidden = !login->isVisible();
            userDir = CDataCenter::getInstance()->userDocDir;
            return 0;
        });
        QCOMPARE(startup.run(), 0);
        QVERIFY(mainShown);
        QVERIFY(loginHidden);
        const LoginInfo info = NetUtils::getInstance()->getLoginInfo();
        QCOMPARE(info.uid, 10002);
        QCOMPARE(info.main_name, QString("索维第二直播间"));
        QCOMPARE(info.loginType, 2);
        QVERIFY(userDir.endsWith("/10002"));
    }
};

QTEST_MAIN(tst_SubAccoutWidget)
#include "tst_SubAccoutWidget.moc"
