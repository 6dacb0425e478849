// test-label: integration
// The co-host side of the main window against the simulator: the invitation dialog that each
// co-host room refreshes, opening and closing it; the "连麦" page and its rows driven by the room
// channel (applications, acceptance and its refusal, joins and leaves); the host's sound towards
// the real-time room; and a pause that ends two co-host links.
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "support/FakeTrtcCloud.h"
#include "support/RawAudioBlock.h"

#include "cohost/CoHostList.h"
#include "cohost/ConnectMicInviteDialog.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "shell/LiveControl.h"
#include "shell/MyButton.h"
#include "widgets/ChatRecordOptDialog.h"
#include "widgets/ClickableLabel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 10000;
const char kWebCast[] = "/MiniProgram/PushFlow/getWebCastInfo";
constexpr qint64 kCoHostRoom = 10087;

// The names of the co-host list's rows top to bottom, the host's first.
QStringList rowNames(CoHostList* list)
{
    QStringList out;
    QVBoxLayout* column = list->listLayout();
    for (int i = 0; column && i < column->count(); ++i)
        if (auto* row = qobject_cast<ItemConnectMicWidget*>(column->itemAt(i)->widget()))
            out << row->userInfo()->name;
    return out;
}

ChatRecordOptDialog* openQuestion()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<ChatRecordOptDialog*>(w); d && d->isVisible())
            return d;
    return nullptr;
}
} // namespace

class tst_LiveMainWindowCoHost : public ChatWindowTestCase
{
    Q_OBJECT


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
    CoHostList* list() { return Access::coHostList(*m_w); }
    SceneCenterWidget* strip() { return m_w->findChild<SceneCenterWidget*>("SceneCenterWidget"); }
    bool sim(const char* path, qint64 id, QJsonObject body = {})
    {
        body.insert("room_id", QString::number(kCoHostRoom));
        body.insert("wechat_user_space_id", id);
        return m_fx.control(QString::fromLatin1(path), body);
    }
    // Room frames the host sent that contain `text`.
    int sentFrames(const QString& text)
    {
        int n = 0;
        for (const QJsonValue& f : m_fx.sim.frames())
            n += f.toObject().value("text").toString().contains(text) ? 1 : 0;
        return n;
    }
    // Chooses the co-host room and waits until its channel has prepared the co-host login.
    void chooseCoHostRoom()
    {
        choose(kCoHostRoom, 5);
        QTRY_VERIFY_WITH_TIMEOUT(!Access::liveControl(*m_w)->trtcLoginMessage().isEmpty(), kWait);
    }
    // Starts the co-host broadcast through the room channel's handshake.
    void startCoHostLive()
    {
        chooseCoHostRoom();
        LiveControl* control = Access::liveControl(*m_w);
        control->liveButtonClicked();
        QTRY_COMPARE_WITH_TIMEOUT(control->state(), mainwin::LiveStateLive, kWait);
    }
    QJsonArray mixLayouts()
    {
        const QJsonArray mixes = m_fx.sim.getJson("/_sim/trtc").toObject().value("mixes").toArray();
        for (const QJsonValue& m : mixes)
            if (m.toObject().value("running").toBool())
                return m.toObject().value("layouts").toArray();
        return {};
    }
    QStringList mixUsers()
    {
        QStringList out;
        for (const QJsonValue& l : mixLayouts())
            out << l.toObject().value("user_id").toString();
        out.sort();
        return out;
    }

    QString link() const
    {
        auto* dialog = Access::inviteDialog(*m_w);
        return dialog ? dialog->findChild<QLineEdit*>("lineEdit")->text() : QString();
    }

private slots:
    void init()
    {
        ChatWindowTestCase::init();
        for (qint64 room : {10087, 10090})
            QVERIFY(m_fx.control("/_sim/cohost/webcast",
                                 {{"room_id", room},
                                  {"second_broad_url", QStringLiteral("https://c.example/%1").arg(room)},
                                  {"second_broad_pwd", "pwd"}}));
    }

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

    // The page's own button opens the invitation as the window's tool 4; the store's stream
    // quality (its "LiveType") stays what it was.
    void inviteButtonTakesTheToolNotTheQuality()
    {
        auto store = CDataCenter::getInstance();
        store->streamQuality = 1;
        choose(kCoHostRoom, 5);
        m_w->selectLivetype(mainwin::LiveTypeDocument);
        auto* invite = m_w->findChild<QToolButton*>("mic_invite_button");
        QVERIFY(invite);
        invite->click();
        QVERIFY(Access::inviteDialog(*m_w)->isVisible());
        QCOMPARE(Access::liveType(*m_w), mainwin::LiveTypeConnMic);
        QCOMPARE(store->streamQuality, 1);
        Access::inviteDialog(*m_w)->close();
        emit Access::inviteDialog(*m_w)->sigConnectMicInviteDialogClose();
        QCOMPARE(Access::liveType(*m_w), mainwin::LiveTypeDocument);
        QCOMPARE(store->streamQuality, 1);
    }

    // Applications, acceptance, a refused acceptance, a join without application and a co-host
    // leaving by itself, all through the room channel.
    void rowsFollowTheRoomChannel()
    {
        chooseCoHostRoom();
        QCOMPARE(rowNames(list()), QStringList{QString::fromUtf8("主播小王")});
        QVERIFY(sim("/_sim/cohost/apply", 55, {{"name", "xabx"}}));
        QTRY_VERIFY_WITH_TIMEOUT(list()->hasRow(55), kWait);
        ItemConnectMicWidget* row = list()->row(55);
        QVERIFY(row->agreeButton());
        QVERIFY(!strip()->remoteWidget(55));
        // Agreeing: the co-host joins and its tile follows the server's "trtc_login".
        row->agreeButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(strip()->remoteWidget(55), kWait);

        // A refused acceptance takes the candidate's row away.
        QVERIFY(m_fx.control("/_sim/cohost/refuse", {{"err_msg", "名额已满"}}));
        QVERIFY(sim("/_sim/cohost/apply", 56, {{"name", "xyz"}}));
        QTRY_VERIFY_WITH_TIMEOUT(list()->hasRow(56), kWait);
        list()->row(56)->agreeButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!list()->hasRow(56), kWait);
        QVERIFY(!strip()->remoteWidget(56));

        // A co-host that joins unannounced is asked for with the online list.
        const int asked = sentFrames("get_trtc_online_list");
        QVERIFY(sim("/_sim/cohost/join", 77, {{"name", "late"}}));
        QTRY_VERIFY_WITH_TIMEOUT(list()->hasRow(77) && strip()->remoteWidget(77), kWait);
        QVERIFY(sentFrames("get_trtc_online_list") > asked);
        QVERIFY(!list()->row(77)->agreeButton());

        // The search bar of the page.
        auto* edit = m_w->findChild<QLineEdit*>("mic_search_edit");
        edit->setText("AB");
        QTest::mousePress(m_w->findChild<ClickableLabel*>("mic_search_button"), Qt::LeftButton);
        QVERIFY(!list()->row(55)->isHidden() && list()->row(77)->isHidden());
        QVERIFY(edit->actions().size() == 2); // the search icon and the clear action
        edit->actions().last()->trigger();
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(rowNames(list()).first(), QString::fromUtf8("主播小王"));
        QCOMPARE(rowNames(list()).size(), 3);

        // Leaving: row and tile go.
        QVERIFY(sim("/_sim/cohost/leave", 77));
        QTRY_VERIFY_WITH_TIMEOUT(!list()->hasRow(77), kWait);
        QVERIFY(!strip()->remoteWidget(77));
        QVERIFY(list()->hasRow(55));
    }

    // The host tile's microphone switch in a co-host room mutes the host towards the room and
    // back; outside one it registers nothing.
    void hostMicrophoneTowardsTheRoom()
    {
        FakeTrtcCloud cloud;
        startCoHostLive();
        SceneWidget* tile = Access::sceneWidget(*m_w);
        deliverAudioBlock();
        QCOMPARE(cloud.audioFrames(), 1);
        emit tile->sigSetLocalAudio(true);
        deliverAudioBlock();
        QCOMPARE(cloud.audioFrames(), 1);
        emit tile->sigSetLocalAudio(false);
        deliverAudioBlock();
        QCOMPARE(cloud.audioFrames(), 2);

        Access::liveControl(*m_w)->stop();
        choose(10086, 1);
        emit tile->sigSetLocalAudio(false);
        deliverAudioBlock();
        QCOMPARE(cloud.audioFrames(), 2);
    }

    // A pause with two co-hosts asks first; confirmed, both are told to leave and the mix that the
    // audience sees holds the host alone.
    void pauseWithTwoCoHostsLeavesTheHostAlone()
    {
        startCoHostLive();
        const QString host = QStringLiteral("user_%1_%2").arg(ChatWindowFixture::kHost).arg(kCoHostRoom);
        QTRY_COMPARE_WITH_TIMEOUT(mixUsers(), QStringList{host}, kWait);
        for (qint64 id : {55, 66})
            QVERIFY(sim("/_sim/cohost/join", id));
        QTRY_VERIFY_WITH_TIMEOUT(strip()->remoteWidget(55) && strip()->remoteWidget(66), kWait);
        // The real-time room's reports reach the rows.
        QTRY_VERIFY_WITH_TIMEOUT(list()->row(55)->cameraOn() && list()->row(66)->micOn(), kWait);
        // Both on the preview: each has its box in the mix.
        for (int id : {55, 66})
            TrtcManager::getInstance()->updateMixUser(id, TrtcMixRect{0, 0, 480, 270}, 8);
        QTRY_COMPARE_WITH_TIMEOUT(mixUsers().size(), 3, kWait);

        m_w->onPauseRequested();
        ChatRecordOptDialog* question = openQuestion();
        QVERIFY(question);
        QCOMPARE(question->findChild<QLabel*>("title")->text(), QString::fromUtf8("关闭连麦"));
        QCOMPARE(Access::liveControl(*m_w)->state(), mainwin::LiveStateLive); // nothing yet
        const int removesBefore = sentFrames("trtc_remove");
        question->findChild<QPushButton*>("enter_btn")->click();
        QCOMPARE(Access::liveControl(*m_w)->state(), mainwin::LiveStatePaused);
        QVERIFY(list()->rows().isEmpty());
        QCOMPARE(rowNames(list()), QStringList{QString::fromUtf8("主播小王")});
        QCOMPARE(strip()->remoteCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(sentFrames("trtc_remove") - removesBefore, 2, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(mixUsers(), QStringList{host}, kWait);

        // Resumed without co-hosts, the stop needs no question.
        Access::liveControl(*m_w)->liveButtonClicked();
        QCOMPARE(Access::liveControl(*m_w)->state(), mainwin::LiveStateLive);
        m_w->onStopRequested();
        QVERIFY(!openQuestion());
        QCOMPARE(Access::liveControl(*m_w)->state(), mainwin::LiveStateIdle);
    }
};

QTEST_MAIN(tst_LiveMainWindowCoHost)
#include "tst_LiveMainWindowCoHost.moc"
