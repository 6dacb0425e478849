// test-label: integration
// The co-host side of the main window against the simulator: the invitation dialog that each
// co-host room refreshes, opening and closing it from the tool bar.
#include "support/ChatWindowFixture.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ClickableLabel.h"
#include "cohost/ConnectMicInviteDialog.h"
#include "shell/LiveControl.h"
#include "shell/MyButton.h"

#include <QLineEdit>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 10000;
const char kWebCast[] = "/MiniProgram/PushFlow/getWebCastInfo";
} // namespace

class tst_LiveMainWindowCoHost : public QObject
{
    Q_OBJECT

    ChatWindowFixture m_fx;
    LiveMainWindow* m_w = nullptr;

    // Chooses a room and waits until the window has set it up (after its push address came).
    void choose(qint64 roomId, int liveType)
    {
        LiveRoomInfo room;
        room.app_id = roomId;
        room.live_type = liveType;
        room.push_app_stream = "sv" + QByteArray::number(roomId);
        room.push_app_nick = "room";
        Access::liveControl(*m_w)->choose(room);
        QTRY_COMPARE_WITH_TIMEOUT(Access::lastRoomId(*m_w), roomId, kWait);
    }
    QString link() const
    {
        auto* dialog = Access::inviteDialog(*m_w);
        return dialog ? dialog->findChild<QLineEdit*>("lineEdit")->text() : QString();
    }

private slots:
    void initTestCase() { QVERIFY(m_fx.start()); }
    void init()
    {
        QVERIFY(m_fx.open());
        m_w = m_fx.w;
        for (qint64 room : {10087, 10090})
            QVERIFY(m_fx.control("/_sim/cohost/webcast",
                                 {{"room_id", room},
                                  {"second_broad_url", QStringLiteral("https://c.example/%1").arg(room)},
                                  {"second_broad_pwd", "pwd"}}));
    }
    void cleanup() { m_fx.close(); }

    // The first co-host room makes the dialog; every co-host room refreshes it with its link.
    void coHostRoomsRefreshTheInvitation()
    {
        choose(10086, 1);
        QVERIFY(!Access::inviteDialog(*m_w));
        choose(10087, 5);
        ConnectMicInviteDialog* dialog = Access::inviteDialog(*m_w);
        QVERIFY(dialog && !dialog->isVisible() && !dialog->parent());
        QTRY_COMPARE_WITH_TIMEOUT(link(), QStringLiteral("https://c.example/10087"), kWait);
        const QJsonObject query =
            m_fx.sim.requests("/Applet/codePush").at(0).toObject().value("query").toObject();
        QCOMPARE(query.value("app").toString(), QStringLiteral("sv10087"));

        choose(10086, 1);
        choose(10090, 5);
        QCOMPARE(Access::inviteDialog(*m_w), dialog);
        QTRY_COMPARE_WITH_TIMEOUT(link(), QStringLiteral("https://c.example/10090"), kWait);
        QCOMPARE(dialog->findChild<QLineEdit*>("lineEdit_2")->text(), QStringLiteral("10090"));
        QCOMPARE(m_fx.sim.requests(kWebCast).size(), 2);
    }

    // The co-host tool opens the dialog; closing it gives the tool bar back to the tool before.
    void toolOpensAndCloseRestores()
    {
        choose(10087, 5);
        ConnectMicInviteDialog* dialog = Access::inviteDialog(*m_w);
        QVERIFY(dialog);
        const mainwin::LiveType before = Access::liveType(*m_w);
        QVERIFY(before != mainwin::LiveTypeConnMic);
        auto* connMic = m_w->findChild<MyButton*>("conn_mic_btn");
        QVERIFY(connMic);
        emit connMic->clickframe(1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(Access::liveType(*m_w), mainwin::LiveTypeConnMic);

        QTest::mousePress(dialog->findChild<ClickableLabel*>("close_btn"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(4, 4));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Access::liveType(*m_w), before);
    }
};

QTEST_MAIN(tst_LiveMainWindowCoHost)
#include "tst_LiveMainWindowCoHost.moc"
