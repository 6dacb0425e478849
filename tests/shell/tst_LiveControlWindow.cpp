// test-label: unit
// The live controls as the main window draws them, offscreen against the engine fake: the room
// choice in the title bar, the live button's looks and labels, the clock, the pause/stop popup,
// the hints and the side panel's pages.
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "chat/RoomMessageRouter.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/VideoWindows.h"
#include "core/UntrustedText.h"
#include "core/DataCenter.h"
#include "core/ServiceConstants.h"
#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"
#include "widgets/CustomWidget.h"
#include "shell/LivePauseOrStopWidget.h"
#include "shell/MyButton.h"
#include "widgets/PopTipDlg.h"

#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{

LiveRoomInfo room(qint64 id, const QString& name, int liveType = 1)
{
    LiveRoomInfo info;
    info.app_id = id;
    info.live_type = liveType;
    info.push_app_stream = "sv" + QByteArray::number(id);
    info.push_app_nick = name.toUtf8();
    return info;
}

} // namespace

class tst_LiveControlWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void roomChoiceInTheTitleBar();
    void roomNameLabel_data();
    void roomNameLabel();
    void customAddressChoice();
    void startPauseResumeStop();
    void startFailureShowsTheHint();
    void outputFailureWhileLiveClearsTheButton();
    void selectWhileLiveRefused();
    void coHostRoomShowsTheCoHostTool();

private:
    // Chooses a room through the select button, as the dialog reports it.
    void choose(const LiveRoomInfo& info);
    QPushButton* button(const char* name) { return formWidget<QPushButton>(*m_window, name); }
    QLabel* label(const char* name) { return formWidget<QLabel>(*m_window, name); }

    QTemporaryDir m_dir;
    LoginInfo m_login;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<LiveMainWindow> m_window;
};

void tst_LiveControlWindow::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
    // Every request of the dialogs goes to a closed loopback port.
    solvek::setServiceOverride("http://127.0.0.1:9");
    m_login.uid = 4242;
    m_login.name = QString::fromUtf8("主播小王");
    m_login.photo = "http://127.0.0.1:9/avatar.png";
    m_login.token = "token-1";
}

void tst_LiveControlWindow::init()
{
    m_core = std::make_unique<FakeLiveCore>();
    m_cloud = std::make_unique<FakeTrtcCloud>();
    auto store = CDataCenter::getInstance();
    store->pushServer = "rtmp://127.0.0.1:1935/live";
    store->pushKey = "sv10086";
    m_window = std::make_unique<LiveMainWindow>();
    m_window->initLiveMainWindowParams(&m_login);
    m_window->resize(1500, 800);
    m_window->show();
    Access::liveControl(*m_window)->hooks.screenSize = [] { return QSize(1280, 720); };
}

void tst_LiveControlWindow::cleanup()
{
    m_window.reset();
    m_cloud.reset();
    m_core.reset();
}

void tst_LiveControlWindow::choose(const LiveRoomInfo& info)
{
    int runs = 0;
    Access::setRoomDialogRunner([&](QDialog& dialog) {
        ++runs;
        auto& rooms = static_cast<LiveModeDialog&>(dialog);
        *rooms.liveInfo() = info;
        emit rooms.live_mode_select();
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(button("select_live_btn"), Qt::LeftButton);
    QCOMPARE(runs, 1);
}

void tst_LiveControlWindow::roomChoiceInTheTitleBar()
{
    auto* pages = formWidget<QStackedWidget>(*m_window, "listPageWidget");
    QCOMPARE(button("live_mode_btn")->text(), QString::fromUtf8("选择\n开播方式"));
    LiveControl* control = Access::liveControl(*m_window);

    // OK on a room whose push address never arrives chooses nothing: the side panel keeps
    // asking for a live mode.
    Access::setRoomDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    QTest::mouseClick(button("select_live_btn"), Qt::LeftButton);
    QVERIFY(!control->liveModeChosen());
    QCOMPARE(control->state(), mainwin::LiveStateIdle);

    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QCOMPARE(control->state(), mainwin::LiveStateReady);
    QVERIFY(control->liveModeChosen());
    QCOMPARE(button("live_mode_btn")->text(), QString::fromUtf8("开始直播"));
    QVERIFY(button("live_mode_btn")->styleSheet().contains("play.png"));
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播准备中"));
    QCOMPARE(button("select_live_btn")->text(), QString::fromUtf8("已选：直播间开播"));
    QCOMPARE(button("select_live_btn")->size(), QSize(136, 28));
    QVERIFY(button("share_btn")->isVisible());
    QVERIFY(label("room_name_label")->isVisible());
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(Access::lastRoomId(*m_window), 10086);
    QCOMPARE(formWidget<VideoWindows>(*m_window, "preview_widget")->roomId(), 10086);
    QCOMPARE(m_window->findChild<SceneCenterWidget*>()->roomId(), 10086);
    QCOMPARE(Access::roomRouter(*m_window)->roomId(), 10086);
    QVERIFY(!m_window->findChild<MyButton*>("conn_mic_btn")->isVisible());
}

void tst_LiveControlWindow::roomNameLabel_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << QString::fromUtf8("读书会");
    QTest::newRow("wider than a third")
        << QString::fromUtf8("一个名字很长很长很长很长很长很长很长很长很长很长很长很长很长很长"
                             "很长很长很长很长很长很长很长很长很长的直播间");
}

void tst_LiveControlWindow::roomNameLabel()
{
    QFETCH(QString, name);
    choose(room(7, name));
    QLabel* nameLabel = label("room_name_label");
    const int third = m_window->width() / 3;
    const QFontMetrics metrics(nameLabel->font());
    const int width = metrics.horizontalAdvance(name);
    QCOMPARE(nameLabel->toolTip(), solvek::plainToolTip(name));
    QCOMPARE(nameLabel->text(), metrics.elidedText(name, Qt::ElideRight, third));
    QCOMPARE(nameLabel->size(), QSize(width < third ? width + 8 : third, 20));
    if (width >= third)
        QVERIFY(nameLabel->text().endsWith(QChar(0x2026)));
    else
        QCOMPARE(nameLabel->text(), name);
}

void tst_LiveControlWindow::customAddressChoice()
{
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    LiveRoomInfo custom;
    custom.live_type = -1;
    choose(custom);
    QCOMPARE(button("select_live_btn")->text(), QString::fromUtf8("已选：自定义开播"));
    QVERIFY(!label("room_name_label")->isVisible());
    QVERIFY(label("room_name_label")->text().isEmpty());
    QVERIFY(!button("share_btn")->isVisible());
    QCOMPARE(button("live_mode_btn")->text(), QString::fromUtf8("开始直播"));
    // The room pages stay with the last room.
    QCOMPARE(Access::lastRoomId(*m_window), 10086);
}

void tst_LiveControlWindow::startPauseResumeStop()
{
    auto* pages = formWidget<QStackedWidget>(*m_window, "listPageWidget");
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QPushButton* live = button("live_mode_btn");
    QTest::mouseClick(live, Qt::LeftButton);
    QCOMPARE(m_core->count("start_stream"), 1);
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播中"));
    QVERIFY(live->text().isEmpty());
    QVERIFY(live->styleSheet().contains("stop.png"));
    QCOMPARE(Access::liveEndLabel(*m_window)->text(), QString::fromUtf8("结束直播"));
    QCOMPARE(Access::liveTimeLabel(*m_window)->text(), QString("00:00:00"));
    m_window->LiveTimeOut();
    QCOMPARE(Access::liveTimeLabel(*m_window)->text(), QString("00:00:01"));

    // The live button opens the popup above itself; a row chooses and hides it.
    LivePauseOrStopWidget* popup = Access::pauseOrStop(*m_window);
    QTest::mouseClick(live, Qt::LeftButton);
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->pos(), QPoint(110, m_window->height() - 126));
    QTest::mousePress(labelWithText(*popup, "暂停直播"), Qt::LeftButton);
    QVERIFY(!popup->isVisible());
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播暂停中"));
    QCOMPARE(Access::liveEndLabel(*m_window)->text(), QString::fromUtf8("继续直播"));
    QCOMPARE(m_core->callsNamed("pause_stream"), QStringList{"pause_stream(true)"});

    QTest::mouseClick(live, Qt::LeftButton); // resume
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播中"));
    QCOMPARE(Access::liveEndLabel(*m_window)->text(), QString::fromUtf8("结束直播"));
    QCOMPARE(Access::liveTimeLabel(*m_window)->text(), QString("00:00:01"));

    QTest::mouseClick(live, Qt::LeftButton);
    QTest::mousePress(labelWithText(*popup, "结束直播"), Qt::LeftButton);
    QCOMPARE(Access::liveControl(*m_window)->state(), mainwin::LiveStateIdle);
    QCOMPARE(m_core->count("stop_stream"), 1);
    QCOMPARE(pages->currentIndex(), 0); // the tip page
    QCOMPARE(live->text(), QString::fromUtf8("选择\n开播方式"));
    QVERIFY(live->styleSheet().contains("play.png"));
    QVERIFY(!Access::liveEndLabel(*m_window));
    QVERIFY(live->findChildren<QLabel*>().isEmpty());
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播准备中"));
    QCOMPARE(button("select_live_btn")->text(), QString::fromUtf8("选择开播方式"));
    QCOMPARE(button("select_live_btn")->size(), QSize(108, 28));
    QVERIFY(!label("room_name_label")->isVisible());
    QVERIFY(!button("share_btn")->isVisible());
    QCOMPARE(Access::lastRoomId(*m_window), -1);

    // The same room again, and a new start with fresh labels.
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QCOMPARE(pages->currentIndex(), 1);
    QTest::mouseClick(live, Qt::LeftButton);
    QCOMPARE(Access::liveEndLabel(*m_window)->text(), QString::fromUtf8("结束直播"));
    QCOMPARE(Access::liveTimeLabel(*m_window)->text(), QString("00:00:00"));
}

void tst_LiveControlWindow::startFailureShowsTheHint()
{
    m_core->results["start_stream"] = false;
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QTest::mouseClick(button("live_mode_btn"), Qt::LeftButton);
    PopTipDlg* tip = Access::broadcastTip(*m_window);
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->textLabel()->text(), QString::fromUtf8(" 推流失败，请重试！"));
    QCOMPARE(button("live_mode_btn")->text(), QString::fromUtf8("选择\n开播方式"));
    QCOMPARE(button("select_live_btn")->text(), QString::fromUtf8("选择开播方式"));
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播准备中"));
    // Idle: the live button opens the room dialog.
    int runs = 0;
    Access::setRoomDialogRunner([&](QDialog&) { return ++runs, int(QDialog::Rejected); });
    QTest::mouseClick(button("live_mode_btn"), Qt::LeftButton);
    QCOMPARE(runs, 1);
}

void tst_LiveControlWindow::outputFailureWhileLiveClearsTheButton()
{
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QTest::mouseClick(button("live_mode_btn"), Qt::LeftButton);
    QTest::mouseClick(button("live_mode_btn"), Qt::LeftButton);
    QVERIFY(Access::pauseOrStop(*m_window)->isVisible());
    m_core->emitStreamEvent(LiveStreamEvent::Stopped, -2);
    QCOMPARE(Access::broadcastTip(*m_window)->textLabel()->text(), QString::fromUtf8(" 推流失败，请重试！"));
    QCOMPARE(button("live_mode_btn")->text(), QString::fromUtf8("选择\n开播方式"));
    QVERIFY(button("live_mode_btn")->findChildren<QLabel*>().isEmpty());
    QVERIFY(!Access::pauseOrStop(*m_window)->isVisible());
    QCOMPARE(label("live_status_label")->text(), QString::fromUtf8("直播准备中"));
}

void tst_LiveControlWindow::selectWhileLiveRefused()
{
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QTest::mouseClick(button("live_mode_btn"), Qt::LeftButton);
    int runs = 0;
    Access::setRoomDialogRunner([&](QDialog&) { return ++runs, int(QDialog::Rejected); });
    QTest::mouseClick(button("select_live_btn"), Qt::LeftButton);
    QCOMPARE(runs, 0);
    QCOMPARE(Access::broadcastTip(*m_window)->textLabel()->text(),
             QString::fromUtf8("直播推流中！请暂停推流后再切换开播方式"));
    // Paused: the room dialog opens.
    Access::liveControl(*m_window)->pause();
    QTest::mouseClick(button("select_live_btn"), Qt::LeftButton);
    QCOMPARE(runs, 1);
}

void tst_LiveControlWindow::coHostRoomShowsTheCoHostTool()
{
    auto* connMic = m_window->findChild<MyButton*>("conn_mic_btn");
    SceneWidget* tile = Access::sceneWidget(*m_window);
    choose(room(10087, QString::fromUtf8("连麦访谈直播间"), 5));
    QVERIFY(connMic->isVisible());
    QCOMPARE(tile->liveMode(), 1);
    QCOMPARE(Access::roomRouter(*m_window)->coHostMode(), 1);
    choose(room(10086, QString::fromUtf8("新品发布会直播间")));
    QVERIFY(!connMic->isVisible());
    QCOMPARE(tile->liveMode(), 0);

    // A stop of a co-host broadcast takes the co-host tool and the "连麦" tab away again.
    Access::initChatTabBar(*m_window);
    QWidget* micTab = Access::chat(*m_window)->micTab;
    choose(room(10087, QString::fromUtf8("连麦访谈直播间"), 5));
    QVERIFY(connMic->isVisible() && micTab->isVisible());
    LiveControl* control = Access::liveControl(*m_window);
    control->setTrtcLoginMessage(QStringLiteral("login-10087"));
    control->liveButtonClicked();
    control->handleRTrtcLogin(QJsonObject{{"type", "r_trtc_login"}, {"code", 200}});
    QCOMPARE(control->state(), mainwin::LiveStateLive);
    control->stop();
    QVERIFY(!connMic->isVisible());
    QVERIFY(!micTab->isVisible());
}

QTEST_MAIN(tst_LiveControlWindow)
#include "tst_LiveControlWindow.moc"
