// test-label: integration
// The co-host invitation against the simulator: link, password and QR picture of a room, what a
// refresh keeps and drops, the tabs, the copy buttons and closing.
#include "support/SimulatorProcess.h"

#include "cohost/ConnectMicInviteDialog.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "widgets/ClickableLabel.h"
#include "widgets/CustomWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
constexpr int kWait = 10000;
const char kWebCast[] = "/MiniProgram/PushFlow/getWebCastInfo";
const char kCodePush[] = "/Applet/codePush";
} // namespace

class tst_ConnectMicInviteDialog : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
    std::unique_ptr<ConnectMicInviteDialog> m_dialog;
    // The dialog's form, found by object name.
    struct Form {
        QLineEdit* lineEdit;
        QLineEdit* lineEdit_2;
        QLineEdit* lineEdit_3;
        QPushButton* pushButton;
        QPushButton* pushButton_2;
        QLabel* wxPic;
        QStackedWidget* stackedWidget;
        ClickableLabel* close_btn;
    } m_form{};
    Form* ui = &m_form;
    template <typename T> T* child(const char* name)
    {
        return m_dialog->findChild<T*>(QString::fromLatin1(name));
    }

    bool setWebCast(qint64 room, const QString& url, const QString& pwd, const QStringList& omit = {})
    {
        return control("/_sim/cohost/webcast", {{"room_id", room},
                                                {"second_broad_url", url},
                                                {"second_broad_pwd", pwd},
                                                {"omit", QJsonArray::fromStringList(omit)}});
    }
    bool control(const QString& path, const QJsonObject& body)
    {
        return m_sim.control(path, body).toObject().value("ok").toBool();
    }
    bool pictureShown() const { return !ui->wxPic->pixmap(Qt::ReturnByValue).isNull(); }
    // Refreshes and waits until both replies are in.
    void refreshAndSettle(qint64 room, const QString& stream)
    {
        m_dialog->refreshLink(room, stream);
        QTRY_VERIFY_WITH_TIMEOUT(pictureShown() && !ui->lineEdit_3->text().isEmpty(), kWait);
    }
    void press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_sim.start());
        CDataCenter::getInstance()->userDocRoot = m_dir.path();
        LoginInfo login;
        login.token = "invite-token";
        NetUtils::getInstance()->setLoginInfo(login);
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(setWebCast(10087, "https://console.example/second?r=10087", "111111"));
        QVERIFY(setWebCast(10090, "https://console.example/second?r=10090", "222222"));
        m_dialog = std::make_unique<ConnectMicInviteDialog>();
        m_form = Form{child<QLineEdit>("lineEdit"),           child<QLineEdit>("lineEdit_2"),
                      child<QLineEdit>("lineEdit_3"),         child<QPushButton>("pushButton"),
                      child<QPushButton>("pushButton_2"),     child<QLabel>("wxPic"),
                      child<QStackedWidget>("stackedWidget"), child<ClickableLabel>("close_btn")};
        QVERIFY(ui->lineEdit && ui->lineEdit_3 && ui->wxPic && ui->close_btn && ui->stackedWidget);
    }
    void cleanup() { m_dialog.reset(); }

    void refreshShowsTheRoomsLinkAndPicture()
    {
        QCOMPARE(m_dialog->size(), QSize(600, 324));
        QVERIFY(!m_dialog->isVisible());
        refreshAndSettle(10087, "sv10087");
        QCOMPARE(ui->lineEdit->text(), QStringLiteral("https://console.example/second?r=10087"));
        QCOMPARE(ui->lineEdit->cursorPosition(), 0);
        QCOMPARE(ui->lineEdit_2->text(), QStringLiteral("10087"));
        QCOMPARE(ui->lineEdit_3->text(), QStringLiteral("111111"));
        const QJsonArray asked = m_sim.requests(kWebCast);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).toObject().value("body").toString(), QStringLiteral("room_id=10087"));

        const QJsonObject query = m_sim.requests(kCodePush).at(0).toObject().value("query").toObject();
        QCOMPARE(query, (QJsonObject{{"app", "sv10087"}, {"type", "audience"}}));
        QVERIFY(!ImageUtils::loadImageFile(ConnectMicInviteDialog::pictureFile()).isNull());
        const QImage shown = ui->wxPic->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(shown.size(), QSize(140, 140));
        QCOMPARE(qAlpha(shown.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(shown.pixel(139, 139)), 0);
        QCOMPARE(qAlpha(shown.pixel(70, 70)), 255);
        QCOMPARE(qAlpha(shown.pixel(4, 70)), 255);
    }

    // A stream name is one query value.
    void streamNameIsEncoded()
    {
        m_dialog->refreshLink(10087, "a&b#c");
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kCodePush).size(), 1, kWait);
        const QJsonObject query = m_sim.requests(kCodePush).at(0).toObject().value("query").toObject();
        QCOMPARE(query, (QJsonObject{{"app", "a&b#c"}, {"type", "audience"}}));
    }

    // The same room again: missing members keep what was shown.
    void sameRoomKeepsMissingMembers()
    {
        refreshAndSettle(10087, "sv10087");
        QVERIFY(setWebCast(10087, "https://console.example/second?r=10087&v=2", "", {"second_broad_pwd"}));
        m_dialog->refreshLink(10087, "sv10087");
        QTRY_COMPARE_WITH_TIMEOUT(ui->lineEdit->text(),
                                  QStringLiteral("https://console.example/second?r=10087&v=2"), kWait);
        QCOMPARE(ui->lineEdit_2->text(), QStringLiteral("10087"));
        QCOMPARE(ui->lineEdit_3->text(), QStringLiteral("111111"));
    }

    // Another room: nothing of the previous room stays, and its late replies are dropped.
    void newRoomDropsThePreviousRoom()
    {
        refreshAndSettle(10087, "sv10087");
        // The previous room answers late, the new one fails.
        QVERIFY(control("/_sim/cohost/webcast", {{"room_id", 10087},
                                                 {"second_broad_url", "https://late.example"},
                                                 {"second_broad_pwd", "999999"},
                                                 {"delay", 0.6}}));
        QVERIFY(control("/_sim/cohost/applet", {{"app", "sv10087"}, {"delay", 0.6}}));
        QVERIFY(control("/_sim/cohost/webcast", {{"room_id", 10090}, {"status", 500}}));
        QVERIFY(control("/_sim/cohost/applet", {{"app", "sv10090"}, {"status", 500}}));
        auto* pictures = m_dialog->findChild<QNetworkAccessManager*>();
        QVERIFY(pictures);
        QSignalSpy pictureReplies(pictures, &QNetworkAccessManager::finished);
        QSignalSpy apiReplies(NetUtils::getInstance()->networkManager(), &QNetworkAccessManager::finished);

        m_dialog->refreshLink(10087, "sv10087"); // answered late
        m_dialog->refreshLink(10090, "sv10090"); // fails
        for (QLineEdit* edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3})
            QVERIFY(edit->text().isEmpty());
        QVERIFY(!pictureShown());

        QTRY_COMPARE_WITH_TIMEOUT(pictureReplies.size(), 2, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(apiReplies.size(), 2, kWait);
        QCoreApplication::processEvents();
        for (QLineEdit* edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3})
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->text()));
        QVERIFY(!pictureShown());

        // The web tab shows the new room's number beside nothing else.
        m_dialog->showDialog();
        press(m_dialog->webTab());
        QCOMPARE(ui->lineEdit_2->text(), QStringLiteral("10090"));
        QVERIFY(ui->lineEdit->text().isEmpty() && ui->lineEdit_3->text().isEmpty());
    }

    void showDialogAndTabs()
    {
        refreshAndSettle(10087, "sv10087");
        m_dialog->showDialog();
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(ui->stackedWidget->currentIndex(), 0);
        QVERIFY(m_dialog->webTab()->blueLine()->isVisible());
        QVERIFY(!m_dialog->appletTab()->blueLine()->isVisible());

        press(m_dialog->appletTab());
        QCOMPARE(ui->stackedWidget->currentIndex(), 1);
        QVERIFY(!m_dialog->webTab()->blueLine()->isVisible());
        QVERIFY(m_dialog->appletTab()->blueLine()->isVisible());
        QVERIFY(m_dialog->appletTab()->textLabel()->styleSheet().contains("#FFFFFF"));
        QVERIFY(m_dialog->webTab()->textLabel()->styleSheet().contains("#6B6C83"));

        // Opening it again while it is open changes nothing.
        m_dialog->showDialog();
        QCOMPARE(ui->stackedWidget->currentIndex(), 1);

        // Back on the web tab the stored texts are shown again.
        ui->lineEdit->setText("scribble");
        ui->lineEdit_3->clear();
        press(m_dialog->webTab());
        QCOMPARE(ui->stackedWidget->currentIndex(), 0);
        QCOMPARE(ui->lineEdit->text(), QStringLiteral("https://console.example/second?r=10087"));
        QCOMPARE(ui->lineEdit_2->text(), QStringLiteral("10087"));
        QCOMPARE(ui->lineEdit_3->text(), QStringLiteral("111111"));

        // Showing always starts on the first page.
        press(m_dialog->appletTab());
        m_dialog->hide();
        m_dialog->showDialog();
        QCOMPARE(ui->stackedWidget->currentIndex(), 0);
    }

    void copyButtons()
    {
        refreshAndSettle(10087, "sv10087");
        m_dialog->showDialog();
        QTest::mouseClick(ui->pushButton, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("https://console.example/second?r=10087"));
        QCOMPARE(Toast::getInstance()->textLabel()->text(), QStringLiteral("复制成功"));
        Toast::getInstance()->textLabel()->clear();
        QTest::mouseClick(ui->pushButton_2, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("111111"));
        QCOMPARE(Toast::getInstance()->textLabel()->text(), QStringLiteral("复制成功"));
    }

    void closeHidesAndTells()
    {
        m_dialog->showDialog();
        QSignalSpy closed(m_dialog.get(), &ConnectMicInviteDialog::sigConnectMicInviteDialogClose);
        QTest::mousePress(ui->close_btn, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        QCOMPARE(closed.size(), 1);
        QVERIFY(!m_dialog->isVisible());
    }

    void dragMovesTheDialog()
    {
        m_dialog->showDialog();
        m_dialog->move(100, 100);
        const QPoint start = m_dialog->pos();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 10), QPointF(start + QPoint(300, 10)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_dialog.get(), &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(330, 50), QPointF(start + QPoint(330, 50)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_dialog.get(), &move);
        QCOMPARE(m_dialog->pos(), start + QPoint(30, 40));
    }
};

QTEST_MAIN(tst_ConnectMicInviteDialog)
#include "tst_ConnectMicInviteDialog.moc"
