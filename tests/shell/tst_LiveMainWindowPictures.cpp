// test-label: integration
// Chat pictures from the picture button to the simulator's bucket and the room: one credential
// request serves later pictures, refused credentials are renewed once, an error reply makes no
// client, a stop drops queued work and the client, a room change mid-upload sends nothing, and a
// closed channel tells the host.
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ChatListWidget.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "chat/UploadThread.h"
#include "core/Toast.h"
#include "platform/OssClient.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QFile>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 15000;
const char kSts[] = "/Mobile/Tools/getSts";
} // namespace

class tst_LiveMainWindowPictures : public ChatWindowTestCase
{
    Q_OBJECT

    QString m_next;


    QString writePicture(const QString& name)
    {
        const QString path = m_fx.dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + name.toUtf8());
        return path;
    }
    // Picture "say" frames: their img_src in arrival order.
    QStringList pictureSays() const
    {
        QStringList out;
        for (const QJsonObject& say : m_sim.framesOfType("say")) {
            const QJsonObject content = say.value("content").toObject();
            if (content.value("msg_type").toString() == "image")
                out << content.value("content").toObject().value("img_src").toString();
        }
        return out;
    }
    int puts() const
    {
        int n = 0;
        for (const QJsonValue& r : m_sim.requests())
            n += r.toObject().value("method").toString() == "PUT";
        return n;
    }
    QStringList storedKeys() const
    {
        QStringList out;
        for (const QJsonValue& o : m_sim.getJson("/_sim/oss/objects").toArray())
            out << o.toObject().value("key").toString();
        return out;
    }
    void pick(const QString& path)
    {
        m_next = path;
        QTest::mouseClick(chat()->pictureButton, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    }

private slots:
    void initTestCase()
    {
        ChatWindowTestCase::initTestCase();
        Access::pictureChooser() = [this] { return m_next; };
    }

    void twoPicturesOneCredentialRequest()
    {
        QVERIFY(enterRoom(123));
        pick(QString()); // cancelled: nothing happens
        QVERIFY(!Access::uploadThread(*m_w));
        pick(writePicture("a.png"));
        QTRY_COMPARE_WITH_TIMEOUT(pictureSays().size(), 1, kWait);
        pick(writePicture("b.JPG"));
        QTRY_COMPARE_WITH_TIMEOUT(pictureSays().size(), 2, kWait);
        QCOMPARE(m_sim.requests(kSts).size(), 1);
        QCOMPARE(m_sim.requests(kSts).at(0).toObject().value("form").toObject().value("room_id").toString(),
                 QString("123"));
        QCOMPARE(puts(), 2);
        const QStringList keys = storedKeys();
        QCOMPARE(keys.size(), 2);
        QVERIFY(keys.at(1).startsWith("Uploads/Advert/123/") && keys.at(1).endsWith(".JPG"));
        for (int i = 0; i < 2; ++i) {
            const QString src = pictureSays().at(i);
            QVERIFY2(!src.contains('?'), qPrintable(src));
            QCOMPARE(src, m_sim.baseUrl() + "/svfs/" + keys.at(i));
        }
        settle();
        QCOMPARE(chat()->rows.ownCount(), 2);
        QCOMPARE(chat()->list->count(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(Access::roomRouter(*m_w)->ownMessages().pendingCount(), 0, kWait);
    }

    void expiredCredentialsAreRenewedOnce()
    {
        QVERIFY(enterRoom(123));
        pick(writePicture("a.png"));
        QTRY_COMPARE_WITH_TIMEOUT(pictureSays().size(), 1, kWait);
        QVERIFY(control("/_sim/oss/expire", {}));
        pick(writePicture("b.png"));
        QTRY_COMPARE_WITH_TIMEOUT(pictureSays().size(), 2, kWait);
        QCOMPARE(m_sim.requests(kSts).size(), 2);
        QCOMPARE(puts(), 3); // the refused one, then its retry
        QCOMPARE(storedKeys().size(), 2);

        // Credentials that are refused again are not fetched a third time for that picture.
        QVERIFY(control("/_sim/oss/config", {{"lifetime", 0}}));
        QVERIFY(control("/_sim/oss/expire", {}));
        pick(writePicture("c.png"));
        QTRY_COMPARE_WITH_TIMEOUT(puts(), 5, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(!Access::uploadThread(*m_w)->hasClient(), kWait);
        settle();
        QCOMPARE(m_sim.requests(kSts).size(), 3);
        QCOMPARE(pictureSays().size(), 2);
    }

    void errorReplyMakesNoClient()
    {
        QVERIFY(enterRoom(123));
        QVERIFY(m_sim.script(kSts, QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 500}, {"msg", "down"}}}}}));
        pick(writePicture("a.png"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kSts).size(), 1, kWait);
        settle();
        QVERIFY(!Access::uploadThread(*m_w)->hasClient());
        pick(writePicture("b.png"));
        QTRY_COMPARE_WITH_TIMEOUT(pictureSays().size(), 1, kWait);
        QCOMPARE(m_sim.requests(kSts).size(), 2);
        QCOMPARE(puts(), 1);
    }

    void stopDropsQueuedWorkAndTheClient()
    {
        QVERIFY(enterRoom(123));
        LiveControl* live = Access::liveControl(*m_w);
        live->liveButtonClicked();
        QVERIFY(control("/_sim/oss/config", {{"put_delay", 1.0}}));
        UploadThread* t = Access::ensureUploadThread(*m_w);
        // Refused credentials are not renewed for these (retries already), so nothing else comes.
        t->setClient(std::make_shared<OssClient>(m_sim.baseUrl(), "id", "secret", "token"));
        for (const char* name : {"x.png", "y.png", "z.png"})
            t->addWork(UploadWork{QString("Uploads/") + name, writePicture(name), 123, true});
        QTRY_COMPARE_WITH_TIMEOUT(puts(), 1, kWait); // the first is under way, two wait
        QCOMPARE(t->queuedCount(), 2);
        live->stop();
        QCOMPARE(t->queuedCount(), 0);
        QVERIFY(!t->hasClient());
        QTRY_VERIFY_WITH_TIMEOUT(!t->isUploading(), kWait);
        settle();
        QCOMPARE(puts(), 1);
        QCOMPARE(m_sim.requests(kSts).size(), 0);
    }

    void roomChangeMidUploadSendsNothing()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(control("/_sim/oss/config", {{"put_delay", 1.0}}));
        pick(writePicture("a.png"));
        QTRY_COMPARE_WITH_TIMEOUT(puts(), 1, kWait);
        QVERIFY(enterRoom(502));
        QTRY_COMPARE_WITH_TIMEOUT(storedKeys().size(), 1, kWait);
        QVERIFY(storedKeys().at(0).startsWith("Uploads/Advert/501/"));
        settle();
        QVERIFY(pictureSays().isEmpty());
        QCOMPARE(chat()->rows.ownCount(), 0);
    }

    void closedChannelTellsTheHost()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(control("/_sim/oss/config", {{"put_delay", 0.5}}));
        pick(writePicture("a.png"));
        QTRY_COMPARE_WITH_TIMEOUT(puts(), 1, kWait);
        destroyChatWsClient();
        QVERIFY(!isChatWsConnected());
        QTRY_COMPARE_WITH_TIMEOUT(Toast::getInstance()->textLabel()->text(), QString::fromUtf8("发送失败"), kWait);
        QCOMPARE(Access::roomRouter(*m_w)->ownMessages().pendingCount(), 0);
        QVERIFY(pictureSays().isEmpty());
    }
};

QTEST_MAIN(tst_LiveMainWindowPictures)
#include "tst_LiveMainWindowPictures.moc"
