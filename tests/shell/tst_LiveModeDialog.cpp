// test-label: integration
#include "core/DataCenter.h"
#include "core/LoginInfo.h"
#include "shell/LiveModeDialog.h"
#include "support/SimulatorProcess.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char kRtmpBase[] = "rtmp://127.0.0.1:19350/live";
const char kListPath[] = "/Mobile/Index/newRoomList";
const char kPushPath[] = "/liveSystem/live/getPushUrl";

QJsonObject room(qint64 id, const QString& nick, int liveType = 1)
{
    return QJsonObject{{"app_id", double(id)},
                       {"push_app_nick", nick},
                       {"live_type", liveType},
                       {"push_app_stream", QStringLiteral("s%1").arg(id)}};
}

LiveRoomInfo info(qint64 id, const char* nick, int liveType = 1)
{
    return LiveRoomInfo{id, liveType, QStringLiteral("s%1").arg(id).toUtf8(), QByteArray(nick)};
}

QJsonObject jsonReply(const QJsonValue& body, const QString& type = QStringLiteral("application/json;charset=utf-8"))
{
    return QJsonObject{{"content_type", type}, {"body", body}};
}

} // namespace

class tst_LiveModeDialog : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_root;
    std::shared_ptr<CDataCenter> m_store;
    LoginInfo m_login;

    template <typename T> static T* child(QWidget& w, const char* name) { return w.findChild<T*>(QLatin1String(name)); }
    static QComboBox* box(QWidget& w) { return child<QComboBox>(w, "live_room_cbx"); }
    static QStringList rows(QWidget& w)
    {
        QStringList out;
        for (int i = 0; i < box(w)->count(); ++i)
            out << box(w)->itemText(i);
        return out;
    }
    bool setRooms(const QJsonArray& rooms) { return m_sim.control("/_sim/rooms/set", {{"rooms", rooms}}).isObject(); }
    // The dialog shown with its first list in (the constructor asks for it).
    void openWithList(LiveModeDialog& d, int count)
    {
        d.show();
        QTRY_COMPARE_WITH_TIMEOUT(box(d)->count(), count, 10000);
        QTRY_COMPARE(m_sim.requests(kListPath).size(), 1);
    }
    void keepStore()
    {
        m_store->pushServer = QStringLiteral("rtmp://previous/live");
        m_store->pushKey = QStringLiteral("previousKey");
    }
    bool storeKept() const
    {
        return m_store->pushServer == QLatin1String("rtmp://previous/live") && m_store->pushKey == QLatin1String("previousKey");
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QNetworkReply*>();
        QVERIFY(m_sim.start({"--rtmp", kRtmpBase}));
        m_store = std::make_shared<CDataCenter>(m_root.path() + QStringLiteral("/config.ini"));
        CDataCenter::setInstanceForTesting(m_store);
        m_login.uid = 42;
        m_login.token = "token-42";
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        keepStore();
    }

    // ---- rules without widgets ----------------------------------------------------------------

    void contentType_data()
    {
        QTest::addColumn<QVariant>("header");
        QTest::addColumn<bool>("json");
        QTest::addColumn<bool>("picture");
        QTest::newRow("exact") << QVariant("application/json;charset=utf-8") << true << false;
        QTest::newRow("blank after ;") << QVariant("application/json; charset=utf-8") << false << false;
        QTest::newRow("no charset") << QVariant("application/json") << false << false;
        QTest::newRow("upper case") << QVariant("application/json;charset=UTF-8") << false << false;
        QTest::newRow("absent") << QVariant() << false << false;
        QTest::newRow("png") << QVariant("image/png") << false << true;
        QTest::newRow("jpeg") << QVariant("image/jpeg") << false << true;
        QTest::newRow("gif") << QVariant("image/gif") << false << false;
        QTest::newRow("png with charset") << QVariant("image/png;charset=utf-8") << false << false;
    }
    void contentType()
    {
        QFETCH(QVariant, header);
        QTEST(livemode::isJsonContentType(header), "json");
        QTEST(livemode::isPictureContentType(header), "picture");
    }

    void parseReply_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("appId");
        QTest::newRow("push url") << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"rtmp://h/a/k\",\"app_id\":7}}")
                                  << int(livemode::Reply::PushUrl) << qint64(7);
        QTest::newRow("push url, id as text") << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"x\",\"app_id\":\"8\"}}")
                                              << int(livemode::Reply::PushUrl) << qint64(8);
        QTest::newRow("push url, id beyond 64 bits")
            << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"x\",\"app_id\":1e300}}") << int(livemode::Reply::PushUrl)
            << qint64(0);
        QTest::newRow("push url, id below 64 bits")
            << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"x\",\"app_id\":-1e19}}") << int(livemode::Reply::PushUrl)
            << qint64(0);
        QTest::newRow("push url, id as huge text")
            << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"x\",\"app_id\":\"99999999999999999999\"}}")
            << int(livemode::Reply::PushUrl) << qint64(0);
        QTest::newRow("room list") << QByteArray("{\"code\":200,\"data\":[]}") << int(livemode::Reply::RoomList) << qint64(0);
        QTest::newRow("code as text") << QByteArray("{\"code\":\"200\",\"data\":[]}") << int(livemode::Reply::Refused) << qint64(0);
        QTest::newRow("code 1") << QByteArray("{\"code\":1,\"data\":[]}") << int(livemode::Reply::Refused) << qint64(0);
        QTest::newRow("no code") << QByteArray("{\"data\":[]}") << int(livemode::Reply::Refused) << qint64(0);
        QTest::newRow("data object without url") << QByteArray("{\"code\":200,\"data\":{\"push_url\":\"\"}}")
                                                 << int(livemode::Reply::Other) << qint64(0);
        QTest::newRow("not json") << QByteArray("<html>") << int(livemode::Reply::Invalid) << qint64(0);
        QTest::newRow("empty body") << QByteArray() << int(livemode::Reply::Invalid) << qint64(0);
    }
    void parseReply()
    {
        QFETCH(QByteArray, body);
        const livemode::Reply reply = livemode::parseReply(body);
        QTEST(int(reply.kind), "kind");
        QTEST(reply.appId, "appId");
    }

    void roomFields()
    {
        const QByteArray text = "[{\"app_id\":\"12\",\"push_app_nick\":\"甲\",\"live_type\":5,\"push_app_stream\":\"s\"},{\"app_id\":13,\"live_type\":\"5\",\"extra\":1},{\"app_id\":\"x\"}]";
        const QJsonArray rooms = QJsonDocument::fromJson(text).array();
        QCOMPARE(livemode::roomFromJson(rooms[0]), (LiveRoomInfo{12, 5, "s", "甲"}));
        QCOMPARE(livemode::roomFromJson(rooms[1]), (LiveRoomInfo{13, 0, "", ""}));
        QCOMPARE(livemode::roomFromJson(rooms[2]).app_id, qint64(0));
    }

    void recentRooms()
    {
        livemode::RoomListState state;
        QList<LiveRoomInfo> twelve;
        for (int i = 1; i <= 12; ++i)
            twelve << info(i, "r");
        QCOMPARE(state.apply(twelve, 12), 11);
        QCOMPARE(state.recentRooms, twelve.mid(0, 10));
        QCOMPARE(state.roomMap.size(), 12);

        // A second reply of the same list (two requests in flight) adds no second copy.
        state.apply(twelve, -1);
        QCOMPARE(state.recentRooms.size(), 10);

        // A repeated id gets its own row; the room keeps its first values.
        livemode::RoomListState dup;
        const int current = dup.apply({info(5, "first"), info(6, "other"), info(5, "second", 5)}, 5);
        QCOMPARE(current, 2);
        QCOMPARE(dup.indexToAppId.value(0), qint64(5));
        QCOMPARE(dup.indexToAppId.value(2), qint64(5));
        QCOMPARE(dup.roomMap.value(5).push_app_nick, QByteArray("first"));
        QCOMPARE(dup.recentRooms.size(), 2);

        // A shorter list leaves no rows of the longer one behind.
        dup.apply({info(9, "only")}, -1);
        QCOMPARE(dup.indexToAppId.size(), 1);
    }

    // ---- the dialog against the simulator -------------------------------------------------------

    void formAtStart()
    {
        LiveModeDialog d(nullptr, &m_login);
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(d.windowModality(), Qt::ApplicationModal);
        QCOMPARE(d.windowTitle(), QStringLiteral("选择开播方式"));
        QCOMPARE(d.size(), QSize(400, 346));
        QVERIFY(child<QRadioButton>(d, "room_btn")->isChecked());
        QVERIFY(!child<QRadioButton>(d, "custom_btn")->isChecked());
        QLineEdit* edit = child<QLineEdit>(d, "stream_url_edit");
        QVERIFY(!edit->isEnabled());
        QCOMPARE(edit->placeholderText(), QStringLiteral("请输入推流地址"));
        QVERIFY(box(d)->isEnabled());
        QVERIFY(box(d)->isEditable());
        QCOMPARE(box(d)->currentText(), QStringLiteral("请选择直播间"));
        d.show();
        QVERIFY(!child<QLabel>(d, "label_4")->isVisible());

        // The two modes switch which input is usable.
        child<QRadioButton>(d, "custom_btn")->setChecked(true);
        QVERIFY(edit->isEnabled());
        QVERIFY(!box(d)->isEnabled());
        child<QRadioButton>(d, "room_btn")->setChecked(true);
        QVERIFY(!edit->isEnabled());
        QVERIFY(box(d)->isEnabled());
        QVERIFY(!box(d)->isEditable());
    }

    // The host picks the co-host room of the demo account; the store ends with the local RTMP
    // server and the room's key.
    void choosingARoom()
    {
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 3);
        QCOMPARE(rows(d), (QStringList{"新品发布会直播间", "连麦访谈直播间", "周末读书分享会"}));

        const QJsonObject listRequest = m_sim.requests(kListPath)[0].toObject();
        QCOMPARE(listRequest["body"].toString(), QStringLiteral("push_status=1"));
        QCOMPARE(listRequest["headers"].toObject()["openapitoken"].toString(), QStringLiteral("token-42"));

        box(d)->setCurrentIndex(1);
        QCOMPARE(d.selectedAppId(), qint64(10087));
        child<QPushButton>(d, "ok_btn")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(storeKept()); // nothing is reported until the push address is in

        QVERIFY(chosen.wait(10000));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(m_store->pushServer, QString::fromLatin1(kRtmpBase));
        QCOMPARE(m_store->pushKey, QStringLiteral("sv10087"));
        QCOMPARE(*d.liveInfo(), (LiveRoomInfo{10087, 5, "sv10087", "连麦访谈直播间"}));
        QCOMPARE(box(d)->count(), 0);
        QCOMPARE(d.confirmedAppId(), qint64(10087));

        const QJsonArray pushRequests = m_sim.requests(kPushPath);
        QCOMPARE(pushRequests.size(), 1);
        QCOMPARE(pushRequests[0].toObject()["body"].toString(), QStringLiteral("room_id=10087"));
        QCOMPARE(pushRequests[0].toObject()["headers"].toObject()["openapitoken"].toString(), QStringLiteral("token-42"));

        // The next opening selects the confirmed room again.
        d.refreshRoomList();
        QTRY_COMPARE_WITH_TIMEOUT(d.roomState().roomMap.size(), 3, 10000);
        QCOMPARE(box(d)->currentIndex(), 1);
        QCOMPARE(d.selectedAppId(), qint64(10087));
    }

    // OK without a real room keeps the dialog open with the hint and asks for nothing.
    void okWithoutRoom_data()
    {
        QTest::addColumn<bool>("recentOnly");
        QTest::newRow("empty list") << false;
        QTest::newRow("only recent rooms listed") << true;
    }
    void okWithoutRoom()
    {
        QFETCH(bool, recentOnly);
        if (!recentOnly)
            QVERIFY(setRooms({})); // before the dialog asks for its first list
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        if (recentOnly) {
            openWithList(d, 3);
            QVERIFY(m_sim.script(kListPath, {QJsonObject{{"hang", true}}}));
            d.refreshRoomList(); // shows the last list's rooms while the new one is on its way
            QCOMPARE(rows(d), (QStringList{"新品发布会直播间", "连麦访谈直播间", "周末读书分享会"}));
            box(d)->setCurrentIndex(2);
        } else {
            d.show();
            QSignalSpy finished(d.findChild<QNetworkAccessManager*>(), &QNetworkAccessManager::finished);
            QVERIFY(finished.wait(10000));
        }
        child<QPushButton>(d, "ok_btn")->click();
        QVERIFY(d.isVisible());
        QLabel* hint = child<QLabel>(d, "label_4");
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->text(), QStringLiteral("请选择直播间"));
        QCOMPARE(d.confirmedAppId(), qint64(-1));
        QTest::qWait(200);
        QCOMPARE(m_sim.requests(kPushPath).size(), 0);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(storeKept());

        child<QPushButton>(d, "cancel_btn")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(!hint->isVisible());
        QCOMPARE(box(d)->count(), 0);
    }

    // Push-address answers that must not complete the choice: the store keeps the previous room's
    // address.
    void refusedPushAddress_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        const QJsonObject ok{{"code", 200}, {"data", QJsonObject{{"push_url", "rtmp://h/live/k"}, {"app_id", 10086}}}};
        QTest::newRow("too few parts")
            << jsonReply(QJsonObject{{"code", 200}, {"data", QJsonObject{{"push_url", "rtmp://h/live"}, {"app_id", 10086}}}});
        QTest::newRow("room not in list")
            << jsonReply(QJsonObject{{"code", 200}, {"data", QJsonObject{{"push_url", "rtmp://h/live/k"}, {"app_id", 999}}}});
        QTest::newRow("another listed room")
            << jsonReply(QJsonObject{{"code", 200}, {"data", QJsonObject{{"push_url", "rtmp://h/live/k"}, {"app_id", 10088}}}});
        QTest::newRow("blank in content type") << jsonReply(ok, "application/json; charset=utf-8");
        QTest::newRow("no charset") << jsonReply(ok, "application/json");
        QTest::newRow("code as text") << jsonReply(QJsonObject{{"code", "200"}, {"data", ok["data"]}});
        QTest::newRow("code 500") << jsonReply(QJsonObject{{"code", 500}, {"msg", "busy"}});
        QTest::newRow("http 500") << QJsonObject{{"status", 500}, {"content_type", "application/json;charset=utf-8"}, {"body", ok}};
        QTest::newRow("not json") << jsonReply(QJsonValue("{oops"));
    }
    void refusedPushAddress()
    {
        QFETCH(QJsonObject, reply);
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 3);
        QNetworkAccessManager* manager = d.findChild<QNetworkAccessManager*>();
        QSignalSpy finished(manager, &QNetworkAccessManager::finished);
        QVERIFY(m_sim.script(kPushPath, {reply}));
        box(d)->setCurrentIndex(0);
        child<QPushButton>(d, "ok_btn")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(finished.wait(10000));
        QCOMPARE(chosen.count(), 0);
        QVERIFY(storeKept());
        QCOMPARE(*d.liveInfo(), LiveRoomInfo());
    }

    // Room-list replies that are dropped leave the list empty.
    void refusedRoomList_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        const QJsonObject list{{"code", 200}, {"data", QJsonArray{room(1, "甲")}}};
        QTest::newRow("blank in content type") << jsonReply(list, "application/json; charset=utf-8");
        QTest::newRow("no charset") << jsonReply(list, "application/json");
        QTest::newRow("no content type") << QJsonObject{{"body", list}};
        QTest::newRow("code 401") << jsonReply(QJsonObject{{"code", 401}, {"data", list["data"]}});
        QTest::newRow("data not an array") << jsonReply(QJsonObject{{"code", 200}, {"data", QJsonObject{{"a", 1}}}});
    }
    void refusedRoomList()
    {
        QFETCH(QJsonObject, reply);
        QVERIFY(m_sim.script(kListPath, {reply}));
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy finished(d.findChild<QNetworkAccessManager*>(), &QNetworkAccessManager::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(box(d)->count(), 0);
        QVERIFY(d.roomState().roomMap.isEmpty());
    }

    void customAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("key");
        QTest::newRow("with key") << "rtmp://127.0.0.1:1935/live/mykey" << "rtmp://127.0.0.1:1935/live" << "mykey";
        QTest::newRow("without key") << "srt://127.0.0.1:9000" << "srt://127.0.0.1:9000" << "";
        QTest::newRow("pasted with blanks") << "  rtmp://127.0.0.1:1935/live/mykey \t" << "rtmp://127.0.0.1:1935/live"
                                            << "mykey";
        QTest::newRow("unicode key") << "rtmp://h/live/直播 🎥" << "rtmp://h/live" << "直播 🎥";
    }
    void customAddress()
    {
        QFETCH(QString, text);
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 3);
        box(d)->setCurrentIndex(0);
        child<QRadioButton>(d, "custom_btn")->setChecked(true);
        child<QLineEdit>(d, "stream_url_edit")->setText(text);
        // The window reacts while the dialog is still open: check the store at the signal.
        QString serverAtSignal;
        connect(&d, &LiveModeDialog::live_mode_select, this, [&] { serverAtSignal = m_store->pushServer; });
        child<QPushButton>(d, "ok_btn")->click();
        QCOMPARE(chosen.count(), 1);
        QTEST(serverAtSignal, "server");
        QTEST(m_store->pushServer, "server");
        QTEST(m_store->pushKey, "key");
        QCOMPARE(*d.liveInfo(), (LiveRoomInfo{0, -1, "", ""}));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.confirmedAppId(), qint64(-1));
        QCOMPARE(m_sim.requests(kPushPath).size(), 0);
    }

    void emptyCustomAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("placeholder typed in") << "请输入推流地址";
        QTest::newRow("blanks only") << " \t  ";
        QTest::newRow("placeholder with blanks") << " 请输入推流地址 ";
    }
    void emptyCustomAddress()
    {
        QFETCH(QString, text);
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        d.show();
        child<QRadioButton>(d, "custom_btn")->setChecked(true);
        child<QLineEdit>(d, "stream_url_edit")->setText(text);
        child<QPushButton>(d, "ok_btn")->click();
        QVERIFY(d.isVisible());
        QCOMPARE(child<QLabel>(d, "label_4")->text(), QStringLiteral("请输入推流地址"));
        QVERIFY(child<QLabel>(d, "label_4")->isVisible());
        QCOMPARE(chosen.count(), 0);
        QVERIFY(storeKept());
        child<QPushButton>(d, "close_btn")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }

    // 12 rooms: the next opening shows the first 10 until the new list arrives.
    void recentRoomsBridgeTheNextList()
    {
        QJsonArray twelve;
        QStringList names;
        for (int i = 1; i <= 12; ++i) {
            twelve << room(500 + i, QStringLiteral("房间%1").arg(i));
            names << QStringLiteral("房间%1").arg(i);
        }
        QVERIFY(setRooms(twelve));
        LiveModeDialog d(nullptr, &m_login);
        openWithList(d, 12);
        QVERIFY(m_sim.script(kListPath, {QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        d.refreshRoomList();
        QCOMPARE(rows(d), names.mid(0, 10));
        QCOMPARE(d.selectedAppId(), qint64(-1)); // shown, not selectable
        QTRY_COMPARE_WITH_TIMEOUT(box(d)->count(), 12, 10000);
        QCOMPARE(rows(d), names);
        QCOMPARE(d.selectedAppId(), qint64(501));
    }

    // A repeated id gets two rows; either chooses the room as it first appeared.
    void duplicateIdKeepsTheFirst()
    {
        QVERIFY(setRooms({room(77, "第一次"), room(77, "第二次", 5)}));
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 2);
        box(d)->setCurrentIndex(1);
        child<QPushButton>(d, "ok_btn")->click();
        QVERIFY(chosen.wait(10000));
        QCOMPARE(*d.liveInfo(), (LiveRoomInfo{77, 1, "s77", "第一次"}));
        QCOMPARE(m_store->pushServer, QString::fromLatin1(kRtmpBase));
        QCOMPARE(m_store->pushKey, QStringLiteral("s77"));
    }

    // Elements of a room list that are no usable rooms are left out; the others stay choosable.
    void unusableRoomsLeftOut()
    {
        QJsonArray rooms{room(0, "零号"), room(-1, "负一"), QJsonObject{{"app_id", "x"}, {"push_app_nick", "坏"}},
                         QJsonObject{{"app_id", 1e300}, {"push_app_nick", "大"}}, QJsonValue("text"), QJsonValue(),
                         QJsonArray{1, 2}, room(78, "可用")};
        QVERIFY(setRooms(rooms));
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 1);
        QCOMPARE(rows(d), QStringList{"可用"});
        child<QPushButton>(d, "ok_btn")->click();
        QVERIFY(chosen.wait(10000));
        QCOMPARE(d.liveInfo()->app_id, qint64(78));
    }

    // A late answer for a room the host has since replaced by a custom address changes nothing.
    void lateAnswerForAReplacedRoom()
    {
        LiveModeDialog d(nullptr, &m_login);
        QSignalSpy chosen(&d, &LiveModeDialog::live_mode_select);
        openWithList(d, 3);
        QVERIFY(m_sim.script(kPushPath, {QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        QSignalSpy finished(d.findChild<QNetworkAccessManager*>(), &QNetworkAccessManager::finished);
        box(d)->setCurrentIndex(0);
        child<QPushButton>(d, "ok_btn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kPushPath).size(), 1, 10000);

        d.show();
        child<QRadioButton>(d, "custom_btn")->setChecked(true);
        child<QLineEdit>(d, "stream_url_edit")->setText("rtmp://example.test/app/own");
        child<QPushButton>(d, "ok_btn")->click();
        QCOMPARE(chosen.count(), 1);
        QVERIFY(finished.wait(10000));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(m_store->pushServer, QStringLiteral("rtmp://example.test/app"));
        QCOMPARE(m_store->pushKey, QStringLiteral("own"));
        QCOMPARE(d.liveInfo()->app_id, qint64(0));
    }

    // A request that never answers ends after the transfer time-out.
    void hangingRequestEnds()
    {
        QVERIFY(m_sim.script(kListPath, {QJsonObject{{"hang", true}, {"times", 2}}}));
        LiveModeDialog d(nullptr, &m_login);
        d.setTransferTimeout(300);
        QSignalSpy finished(d.findChild<QNetworkAccessManager*>(), &QNetworkAccessManager::finished);
        d.refreshRoomList();
        QVERIFY(finished.wait(10000));
        QCOMPARE(box(d)->count(), 0);
    }

    void dragging()
    {
        LiveModeDialog d(nullptr, &m_login);
        d.move(100, 100);
        d.show();
        const QPoint start = d.pos();
        QTest::mousePress(&d, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(80, 30), QPointF(d.mapToGlobal(QPoint(80, 30))), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&d, &move);
        QCOMPARE(d.pos(), start + QPoint(30, 20));
        QTest::mouseRelease(&d, Qt::LeftButton, Qt::NoModifier, QPoint(80, 30));
        const QPoint after = d.pos();
        QMouseEvent idle(QEvent::MouseMove, QPointF(10, 10), QPointF(d.mapToGlobal(QPoint(10, 10))), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&d, &idle);
        QCOMPARE(d.pos(), after);
    }
};

QTEST_MAIN(tst_LiveModeDialog)
#include "tst_LiveModeDialog.moc"
