// test-label: e2e
// test-timeout: 240
// The co-host road end to end: the main window with the real engine on X, the simulator's room
// channel and loopback real-time room. The host puts a page on the canvas, chooses a co-host room
// and starts (handshake, room entry, the mix of the host alone, the canvas reaching the room); a
// viewer applies, the host agrees on the "连麦" page, the co-host's tile shows the frames the
// co-host sends; the tile dropped on the preview gives the co-host a box in the
// mix; a pause asks first and leaves the host alone in the mix; the stop leaves the room.
#include "support/LiveWindowE2E.h"

#include "cohost/CoHostList.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/VideoWindows.h"
#include "documents/DocumentShareWidget.h"
#include "shell/LiveControl.h"
#include "widgets/ChatRecordOptDialog.h"
#include "widgets/CustomWidget.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 30000;
constexpr qint64 kRoom = 10087;
constexpr int kHost = LiveWindowE2E::kHost;
constexpr int kViewer = 55;

bool near(QRgb a, QRgb b, int tolerance = 16)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}
} // namespace

class tst_CoHostRoadE2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void coHostRoad();

private:
    QJsonObject trtc() const { return m_sim.getJson("/_sim/trtc").toObject(); }
    // The user ids of the running mix's boxes, sorted.
    QStringList mixUsers() const
    {
        QStringList out;
        for (const QJsonValue& m : trtc().value("mixes").toArray())
            if (m.toObject().value("running").toBool())
                for (const QJsonValue& l : m.toObject().value("layouts").toArray())
                    out << l.toObject().value("user_id").toString();
        out.sort();
        return out;
    }
    bool choosePopupRow(const char* title) { return m_e2e.choosePopupRow(title); }
    void screenshot(QWidget* widget, const QString& name)
    {
        const QByteArray dir = qgetenv("SOLVEK_SCREENSHOT_DIR");
        const QString path = QDir(dir.isEmpty() ? m_dir.path() : QString::fromLocal8Bit(dir)).filePath(name);
        QVERIFY2(widget->grab().toImage().save(path), qPrintable(path));
    }

    LiveWindowE2E m_e2e;
    QTemporaryDir& m_dir = m_e2e.dir;
    SimulatorProcess& m_sim = m_e2e.sim;
    std::unique_ptr<LiveMainWindow>& m_window = m_e2e.window;
};

void tst_CoHostRoadE2E::initTestCase()
{
    if (!LiveWindowE2E::hasDisplay())
        QSKIP("needs an X server");
    QVERIFY(m_e2e.start());
}

void tst_CoHostRoadE2E::cleanupTestCase()
{
    m_e2e.stop();
}

void tst_CoHostRoadE2E::coHostRoad()
{
    // A blue page on the canvas: what the host sends is recognisable.
    QVERIFY(QDir(m_dir.path()).mkpath("doc"));
    QImage blue(1920, 1080, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(m_dir.filePath("doc/pic0.png")));
    emit Access::documents(*m_window)->sendUseSig(m_dir.filePath("doc"), "a.pdf");

    // The co-host room: the "连麦" tab and page come with it.
    LiveControl* control = Access::liveControl(*m_window);
    LiveRoomInfo room;
    room.app_id = kRoom;
    room.live_type = 5;
    room.push_app_stream = "sv10087";
    room.push_app_nick = "连麦访谈直播间";
    QVERIFY(control->choose(room));
    QVERIFY(Access::chat(*m_window)->micTab->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!control->trtcLoginMessage().isEmpty(), kWait);

    // Start: handshake, entry, the host's mix, the canvas in the room.
    QTest::mouseClick(formWidget<QPushButton>(*m_window, "live_mode_btn"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(control->state(), mainwin::LiveStateLive, kWait);
    const QString host = QStringLiteral("user_%1_%2").arg(kHost).arg(kRoom);
    QTRY_COMPARE_WITH_TIMEOUT(mixUsers(), QStringList{host}, kWait);
    const QUrl frameUrl(m_sim.baseUrl() + "/_sim/trtc/frame?user=" + host);
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QImage frame = QImage::fromData(SimulatorProcess::httpGet(frameUrl));
            return !frame.isNull() &&
                   near(frame.pixel(frame.width() / 2, frame.height() / 2), qRgb(0, 0, 255), 40);
        },
        kWait));

    // A viewer applies and the host agrees on the "连麦" page.
    CoHostList* list = Access::coHostList(*m_window);
    QWidget* micTab = Access::chat(*m_window)->micTab;
    QTest::mousePress(micTab, Qt::LeftButton);
    QCOMPARE(formWidget<QStackedWidget>(*m_window, "listPageWidget")->currentIndex(), 2);
    QVERIFY(!m_sim
                 .control("/_sim/cohost/apply", {{"room_id", QString::number(kRoom)},
                                                 {"wechat_user_space_id", kViewer},
                                                 {"name", QString::fromUtf8("连麦观众")}})
                 .isNull());
    QTRY_VERIFY_WITH_TIMEOUT(list->hasRow(kViewer), kWait);
    QTest::mouseClick(list->row(kViewer)->agreeButton(), Qt::LeftButton);

    // The co-host joins: its tile shows the frames it sends.
    auto* strip = m_window->findChild<SceneCenterWidget*>("SceneCenterWidget");
    QTRY_VERIFY_WITH_TIMEOUT(strip->remoteWidget(kViewer), kWait);
    SceneRemoteWidget* tile = strip->remoteWidget(kViewer);
    const QString coHost = QStringLiteral("wechat_%1_%2").arg(kViewer).arg(kRoom);
    const QJsonArray rgb = trtc()
                               .value("rooms")
                               .toObject()
                               .value(QString::number(kRoom))
                               .toObject()
                               .value(coHost)
                               .toObject()
                               .value("colour")
                               .toArray();
    QCOMPARE(rgb.size(), 3);
    const QRgb colour = qRgb(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt());
    QTRY_VERIFY_WITH_TIMEOUT(tile->videoAvailable(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(
        near(tile->grab().toImage().pixel(tile->width() / 2, tile->height() / 2), colour), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(list->row(kViewer)->cameraOn(), kWait);
    screenshot(formWidget<QWidget>(*m_window, "mic_page"), "cohost-list.png");
    screenshot(strip, "cohost-strip.png");

    // The tile dropped on the preview: the co-host's video goes there and its box into the mix.
    auto* overlay = formWidget<VideoWindows>(*m_window, "preview_widget");
    QVERIFY(overlay && overlay->width() > 0);
    QCursor::setPos(overlay->mapToGlobal(overlay->rect().center()));
    overlay->handleDropEvent(QString::number(kViewer));
    QVERIFY(overlay->remoteVideo(kViewer));
    QTRY_COMPARE_WITH_TIMEOUT(mixUsers(), (QStringList{host, coHost}), kWait);
    screenshot(m_window.get(), "cohost-window.png");

    // Pause: asked first, then the co-host is told to leave and the mix holds the host alone.
    QVERIFY(choosePopupRow("暂停直播"));
    QCOMPARE(control->state(), mainwin::LiveStateLive);
    ChatRecordOptDialog* question = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<ChatRecordOptDialog*>(w); d && d->isVisible())
            question = d;
    QVERIFY(question);
    QTest::mouseClick(question->findChild<QPushButton*>("enter_btn"), Qt::LeftButton);
    QCOMPARE(control->state(), mainwin::LiveStatePaused);
    QVERIFY(!list->hasRow(kViewer));
    QCOMPARE(strip->remoteCount(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(mixUsers(), QStringList{host}, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(
        !trtc().value("rooms").toObject().value(QString::number(kRoom)).toObject().contains(coHost), kWait);

    // Resume, then stop: nobody left to ask about; the publication ends and the host leaves the room.
    m_e2e.clickLiveButton();
    QCOMPARE(control->state(), mainwin::LiveStateLive);
    QVERIFY(choosePopupRow("结束直播"));
    QCOMPARE(control->state(), mainwin::LiveStateIdle);
    QTRY_VERIFY_WITH_TIMEOUT(mixUsers().isEmpty(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!trtc().value("sessions").toArray().at(0).toObject().value("entered").toBool(),
                             kWait);
}

QTEST_MAIN(tst_CoHostRoadE2E)
#include "tst_CoHostRoadE2E.moc"
