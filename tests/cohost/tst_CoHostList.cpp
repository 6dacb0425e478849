// test-label: unit
// The co-host list against the recording cloud, a real strip and mix bookkeeping: rows made and
// kept by the room channel's messages (ids that cannot key a row, malformed online lists), what a
// removal takes with it, availability reports, the search, and removing everyone.
#include "support/FakeTrtcCloud.h"

#include "cohost/CoHostList.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"

#include <QJsonArray>
#include <QSet>
#include <QJsonDocument>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace
{
constexpr int kRoom = 1001;
constexpr qint64 kHost = 10001;

QJsonObject onlineList(const QJsonValue& data)
{
    QJsonObject o{{"type", "get_trtc_online_list"}};
    if (!data.isUndefined())
        o.insert("data", data);
    return o;
}

QJsonObject user(const QJsonValue& id, const QString& name = QStringLiteral("co-host"))
{
    return QJsonObject{
        {"wechat_user_space_id", id}, {"name", name}, {"photo", ""}, {"trtc_tag", "second_broad"}};
}

QJsonArray users(std::initializer_list<int> ids)
{
    QJsonArray a;
    for (int id : ids)
        a.append(user(id, QStringLiteral("user%1").arg(id)));
    return a;
}
} // namespace

class tst_CoHostList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<TrtcManager> m_mix;
    std::unique_ptr<QWidget> m_page;
    std::unique_ptr<SceneCenterWidget> m_strip;
    std::unique_ptr<CoHostList> m_list;
    QVBoxLayout* m_column = nullptr;
    ItemConnectMicWidget* m_hostRow = nullptr;
    QStringList m_sent;
    QStringList m_preview;

    QList<int> rowIds() const
    {
        QList<int> ids = m_list->rows().keys();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    // The column's widgets top to bottom as names ("<stretch>" for the trailing stretch).
    QStringList column() const
    {
        QStringList out;
        for (int i = 0; i < m_column->count(); ++i) {
            QLayoutItem* item = m_column->itemAt(i);
            if (item->spacerItem())
                out << QStringLiteral("<stretch>");
            else if (auto* row = qobject_cast<ItemConnectMicWidget*>(item->widget()))
                out << row->userInfo()->name;
            else
                out << item->widget()->objectName();
        }
        return out;
    }
    void apply(qint64 id, const QString& name)
    {
        m_list->handleTrtcApply(id, name, QString(), QString(), true);
    }
    // Puts co-host `id`'s box into the mix as the preview does on a drop.
    void placeBox(int id) { m_mix->updateMixUser(id, TrtcMixRect{0, 0, 480, 270}, 8); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CDataCenter::getInstance()->userDocRoot = m_dir.path();
    }

    void init()
    {
        m_cloud = std::make_unique<FakeTrtcCloud>();
        m_mix = std::make_unique<TrtcManager>();
        m_page = std::make_unique<QWidget>();
        m_column = new QVBoxLayout(m_page.get());
        m_hostRow = new ItemConnectMicWidget(
            new TrtcMicUserInfo(kHost, QStringLiteral("主播小王"), QString(), QStringLiteral("main_broad")),
            false, false, m_page.get());
        m_column->addWidget(m_hostRow);
        m_column->addStretch();
        m_strip = std::make_unique<SceneCenterWidget>();
        m_strip->setRoomId(kRoom);
        m_list = std::make_unique<CoHostList>(m_strip.get());
        m_list->setHostId(kHost);
        m_list->attachList(m_column, m_hostRow);
        m_sent.clear();
        m_preview.clear();
        CoHostList::Hooks& h = m_list->hooks;
        h.sendRoomMessage = [this](const QString& text) { m_sent << text; };
        h.cancelPreviewVideo = [this](int id) { m_preview << QStringLiteral("cancel %1").arg(id); };
        h.clearPreviewVideos = [this] { m_preview << QStringLiteral("clear"); };
        h.removeMixBox = [this](int id) { m_mix->removeMixUser(id); };
        m_page->show();
    }

    void cleanup()
    {
        m_list.reset();
        m_strip.reset();
        m_page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_mix.reset();
        m_cloud.reset();
    }

    void applyMakesOnePendingRow()
    {
        apply(55, QStringLiteral("first"));
        ItemConnectMicWidget* row = m_list->row(55);
        QVERIFY(row && row->agreeButton() && !row->isHidden());
        QCOMPARE(column(), (QStringList{"主播小王", "first", "<stretch>"}));
        apply(55, QStringLiteral("second")); // a second application changes nothing
        QCOMPARE(m_list->row(55), row);
        QCOMPARE(column(), (QStringList{"主播小王", "first", "<stretch>"}));
        QCOMPARE(m_strip->remoteCount(), 0); // the tile waits for the co-host to join
        // The online list leaves a pending row pending.
        m_list->handleTrtcOnline(onlineList(users({55})));
        QCOMPARE(m_list->row(55), row);
        QVERIFY(row->agreeButton());
    }

    // Ids that cannot key a row get neither row nor tile, whichever message names them.
    void unreadableIdsGetNoRow_data()
    {
        QTest::addColumn<QJsonValue>("id");
        QTest::newRow("text") << QJsonValue("abc");
        QTest::newRow("minus one") << QJsonValue(-1);
        QTest::newRow("zero") << QJsonValue(0);
        QTest::newRow("beyond 32 bits") << QJsonValue(qint64(4294967351));
        QTest::newRow("beyond 32 bits as text") << QJsonValue("4294967351");
        QTest::newRow("absent") << QJsonValue();
        QTest::newRow("the host") << QJsonValue(kHost);
    }
    void unreadableIdsGetNoRow()
    {
        QFETCH(QJsonValue, id);
        m_list->handleTrtcOnline(onlineList(QJsonArray{user(id)}));
        const qint64 read = CoHostList::readOnlineUserId(id);
        apply(read, QStringLiteral("ghost"));
        m_list->handleTrtcLogin(read);
        QVERIFY(m_list->rows().isEmpty());
        QCOMPARE(m_strip->remoteCount(), 0);
        QCOMPARE(column(), (QStringList{"主播小王", "<stretch>"}));
        // A truncated id must not reach a co-host that has a row.
        m_list->handleTrtcOnline(onlineList(users({55})));
        m_list->handleTrtcRemove_1(read);
        QCOMPARE(rowIds(), QList<int>{55});
    }

    void onlineListKeepsRowsInStep()
    {
        m_list->handleTrtcOnline(onlineList(users({55, 66})));
        QCOMPARE(rowIds(), (QList<int>{55, 66}));
        QVERIFY(!m_list->row(55)->agreeButton()); // connected
        QVERIFY(m_strip->remoteWidget(55) && m_strip->remoteWidget(66));
        placeBox(55);
        placeBox(66);
        QCOMPARE(m_mix->mixLayoutCount(), 2);

        QPointer<ItemConnectMicWidget> row55 = m_list->row(55);
        m_list->handleTrtcOnline(onlineList(users({66})));
        QCOMPARE(rowIds(), QList<int>{66});
        QVERIFY(!m_strip->remoteWidget(55));
        QCOMPARE(m_preview, QStringList{"cancel 55"});
        QCOMPARE(m_mix->mixLayoutCount(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row55);
        QCOMPARE(column(), (QStringList{"主播小王", "user66", "<stretch>"}));

        // A list that is not there says nothing: everyone stays.
        for (const QJsonValue& data :
             {QJsonValue(), QJsonValue(QJsonObject{{"0", user(66)}}), QJsonValue("[]")})
            m_list->handleTrtcOnline(onlineList(data));
        QCOMPARE(rowIds(), QList<int>{66});
        QCOMPARE(m_mix->mixLayoutCount(), 1);
        // An empty list that is there removes everyone.
        m_list->handleTrtcOnline(onlineList(QJsonArray()));
        QVERIFY(m_list->rows().isEmpty());
        QCOMPARE(m_strip->remoteCount(), 0);
        QCOMPARE(m_mix->mixLayoutCount(), 0);
        QVERIFY(m_sent.isEmpty());
    }

    void joiningMakesTheTileOrAsksForTheList()
    {
        apply(55, QStringLiteral("xabx"));
        m_list->row(55)->agreeConnMic();
        m_list->handleTrtcLogin(55);
        QVERIFY(m_strip->remoteWidget(55));
        m_list->handleTrtcLogin(55); // a second login adds nothing
        QCOMPARE(m_strip->remoteCount(), 1);
        QVERIFY(m_sent.isEmpty());
        m_list->handleTrtcLogin(77);
        QCOMPARE(m_sent, QStringList{R"({"type":"get_trtc_online_list"})"});
        QCOMPARE(m_strip->remoteCount(), 1);
    }

    // The row's own refusal and removal go through the list, and the row goes once its slot is done.
    void rowButtonsRemoveTheRow()
    {
        apply(55, QStringLiteral("xabx"));
        QPointer<ItemConnectMicWidget> row = m_list->row(55);
        row->refuseButton()->click();
        QVERIFY(!m_list->hasRow(55));
        QVERIFY(row && row->isHidden()); // deleted later, not under its own click
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row);
        QCOMPARE(column(), (QStringList{"主播小王", "<stretch>"}));
    }

    void availabilityReachesTileAndRow()
    {
        // A tile without a row (the strip keeps its own record of the co-host).
        TrtcMicUserInfo loose(55, QStringLiteral("loose"), QString(), QString());
        QVERIFY(m_strip->addRemoteUser(&loose));
        m_cloud->clearCalls();
        m_list->handleRemoteVideoAvailable("wechat_55_1001", true);
        QVERIFY(m_cloud->calls().join(' ').contains("startRemoteView(wechat_55_1001"));
        QVERIFY(m_list->rows().isEmpty());

        m_list->handleTrtcOnline(onlineList(users({66})));
        ItemConnectMicWidget* row = m_list->row(66);
        QVERIFY(!row->cameraOn() && !row->micOn());
        m_list->handleRemoteVideoAvailable("wechat_66_1001", true);
        m_list->handleRemoteAudioAvailable("wechat_66_1001", true);
        QVERIFY(row->cameraOn() && row->micOn());
        m_list->handleRemoteAudioAvailable("wechat_66_1001", false);
        QVERIFY(!row->micOn());

        // Reports that come before the room channel names the co-host reach its row when made.
        m_list->handleRemoteVideoAvailable("wechat_77_1001", true);
        m_list->handleRemoteAudioAvailable("wechat_77_1001", true);
        m_list->handleTrtcOnline(onlineList(users({66, 77})));
        QVERIFY(m_list->row(77)->cameraOn() && m_list->row(77)->micOn());

        // Not a co-host's id, or not all of one: nothing at all.
        m_cloud->clearCalls();
        for (const char* id : {"user_1_2", "wechat_55", "wechat_66_", "wechat_99999999999_1001",
                               "wechat_66_99999999999", "xwechat_66_1001", ""}) {
            m_list->handleRemoteVideoAvailable(id, false);
            m_list->handleRemoteAudioAvailable(id, false);
        }
        m_list->handleRemoteAudioAvailable(nullptr, false);
        QVERIFY(row->cameraOn());
        QCOMPARE(m_cloud->calls(), QStringList());
    }

    void searchHidesAndRestores()
    {
        m_list->handleTrtcOnline(
            onlineList(QJsonArray{user(55, QStringLiteral("xabx")), user(66, QStringLiteral("xyz"))}));
        ItemConnectMicWidget* xabx = m_list->row(55);
        ItemConnectMicWidget* xyz = m_list->row(66);

        m_list->searchName(QStringLiteral("AB"));
        QVERIFY(!xabx->isHidden());
        QVERIFY(xyz->isHidden() && m_hostRow->isHidden());
        QVERIFY(m_column->indexOf(xyz) < 0);

        m_list->searchName(QStringLiteral("nobody"));
        QWidget* placeholder = m_list->placeholder();
        QVERIFY(placeholder && !placeholder->isHidden());
        QCOMPARE(column(), QStringList{"mic_list_empty"});
        QVERIFY(xabx->isHidden());

        m_list->searchName(QString()); // nothing happens
        QCOMPARE(column(), QStringList{"mic_list_empty"});

        m_list->showAllRows();
        QVERIFY(placeholder->isHidden());
        const QStringList all = column();
        QCOMPARE(all.first(), QStringLiteral("主播小王"));
        QCOMPARE(all.last(), QStringLiteral("<stretch>"));
        QCOMPARE(QSet<QString>(all.begin() + 1, all.end() - 1), (QSet<QString>{"xabx", "xyz"}));
        for (QWidget* w :
             {static_cast<QWidget*>(m_hostRow), static_cast<QWidget*>(xabx), static_cast<QWidget*>(xyz)})
            QVERIFY(!w->isHidden());

        // A row that arrives while the placeholder shows takes its place.
        m_list->searchName(QStringLiteral("nobody"));
        apply(77, QStringLiteral("new"));
        QVERIFY(placeholder->isHidden());
        QCOMPARE(column(), (QStringList{"new", "<stretch>"}));
    }

    void removeAllTellsEveryCoHostAndEmptiesTheMix()
    {
        m_list->handleTrtcOnline(onlineList(users({55, 66})));
        placeBox(55);
        placeBox(66);
        QPointer<ItemConnectMicWidget> row55 = m_list->row(55);
        m_list->removeAll();
        QVERIFY(m_list->rows().isEmpty());
        QCOMPARE(m_strip->remoteCount(), 0);
        QCOMPARE(m_preview, QStringList{"clear"});
        QCOMPARE(m_mix->mixLayoutCount(), 0);
        m_sent.sort();
        QCOMPARE(m_sent, (QStringList{R"({"type":"trtc_remove","wechat_user_space_id":55})",
                                      R"({"type":"trtc_remove","wechat_user_space_id":66})"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!row55);
        QCOMPARE(column(), (QStringList{"主播小王", "<stretch>"}));
    }
};

QTEST_MAIN(tst_CoHostList)
#include "tst_CoHostList.moc"
