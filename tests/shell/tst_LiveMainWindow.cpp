// test-label: unit
// The main window's frame and its set-up after login, offscreen against the engine fake.
#include "support/DocumentFixtures.h"
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "canvas/ShowCarmeraWidget.h"
#include "chat/ImSDKManager.h"
#include "cohost/SceneWidget.h"
#include "cohost/TrtcManager.h"
#include "core/UntrustedText.h"
#include "core/DataCenter.h"
#include "documents/DocumentControl.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentDialogs.h"
#include "documents/DocumentShareWidget.h"
#include "shell/LivePauseOrStopWidget.h"
#include "shell/MyButton.h"
#include "widgets/PopTipDlg.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{

LoginInfo hostRecord(const QString& name = QString::fromUtf8("主播小王"), int uid = 4242)
{
    LoginInfo info;
    info.uid = uid;
    info.name = name;
    info.photo = "http://127.0.0.1:9/avatar.png"; // refused at once; the avatar is tested elsewhere
    info.token = "token-1";
    return info;
}

MyButton* toolButton(LiveMainWindow& w, const char* name)
{
    return formWidget<MyButton>(w, name);
}

bool looksSelected(MyButton* button)
{
    auto* frame = button->findChild<QFrame*>("frameButton");
    return frame && frame->styleSheet().startsWith("QFrame{background-color:#2C2F42;");
}

void sendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button)
{
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, pos, w.mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

} // namespace

class tst_LiveMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void constructedFrame();
    void titleBarDrag_data();
    void titleBarDrag();
    void setUpAfterLogin();
    void nameLabel_data();
    void nameLabel();
    void savedDocumentsOfTheUserAfterLogin();
    void broadcastHint();
    void rateIcon_data();
    void rateIcon();
    void destroyWithRateThreadRunning();

private:
    QTemporaryDir m_dir;
};

void tst_LiveMainWindow::initTestCase()
{
    // The store keeps config.ini in the working directory and the user folders under the data
    // location: both private to this test.
    QVERIFY(testsupport::useStoreDir(m_dir));
    // The share tool runs its picker modally: closed at once here.
    Access::setModalDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
}

void tst_LiveMainWindow::constructedFrame()
{
    FakeLiveCore core;
    LiveMainWindow w;
    QCOMPARE(w.windowTitle(), QString::fromUtf8("索维zova"));
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.minimumSize(), QSize(1280, 800));

    // Only the document and desktop-share tools are offered; the document tool is the selected one.
    const QList<const char*> visible = {"document_btn", "desktop_share_btn"};
    const QList<const char*> hidden = {"whiteboard_btn", "layout_btn", "conn_mic_btn"};
    for (const char* name : visible)
        QVERIFY2(!toolButton(w, name)->isHidden(), name);
    for (const char* name : hidden)
        QVERIFY2(toolButton(w, name)->isHidden(), name);
    QVERIFY(looksSelected(toolButton(w, "document_btn")));
    QVERIFY(!looksSelected(toolButton(w, "desktop_share_btn")));
    QCOMPARE(toolButton(w, "document_btn")->size(), QSize(74, 85));
    QCOMPARE(toolButton(w, "document_btn")->findChild<QLabel*>("textlbl")->text(), QString::fromUtf8("文档"));

    // Top to bottom: document, whiteboard, desktop share, co-host, scene layout.
    auto* column = formWidget(w, "frame_4")->layout();
    QList<int> rows;
    for (const char* name :
         {"document_btn", "whiteboard_btn", "desktop_share_btn", "conn_mic_btn", "layout_btn"}) {
        for (int i = 0; i < column->count(); ++i) {
            QLayout* row = column->itemAt(i)->layout();
            if (row && row->indexOf(toolButton(w, name)) >= 0)
                rows << i;
        }
    }
    QCOMPARE(rows, (QList<int>{0, 1, 2, 3, 4}));

    QCOMPARE(formWidget<QPushButton>(w, "select_live_btn")->text(), QString::fromUtf8("选择开播方式"));
    QCOMPARE(formWidget<QPushButton>(w, "live_mode_btn")->text(), QString::fromUtf8("选择\n开播方式"));
    QCOMPARE(formWidget<QLabel>(w, "live_status_label")->text(), QString::fromUtf8("直播准备中"));
    QVERIFY(formWidget(w, "share_btn")->isHidden());
    QCOMPARE(formWidget(w, "room_name_label")->size(), QSize(280, 20));
    QCOMPARE(formWidget(w, "usernamelbl")->maximumSize(), QSize(0, 0));
    QCOMPARE(formWidget(w, "preview_widget")->metaObject()->className(), "VideoWindows");
    for (const char* overlay :
         {"share_display_label", "document_page_label", "scene_label", "whiteboard_label"}) {
        QLabel* label = formWidget<QLabel>(w, overlay);
        QVERIFY2(label && label->isHidden(), overlay);
        QCOMPARE(label->parentWidget(), formWidget(w, "preview_widget"));
    }
    QCOMPARE(Access::liveType(w), mainwin::LiveTypeNone);
    QVERIFY(core.calls.isEmpty()); // the engine starts only after login
}

void tst_LiveMainWindow::titleBarDrag_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QPoint>("step");
    QTest::addColumn<bool>("moves");

    const QPoint inBar(300, 20);
    QTest::newRow("left in the title bar")
        << inBar << int(Qt::LeftButton) << false << QPoint(30, -40) << true;
    QTest::newRow("just below 500") << inBar << int(Qt::LeftButton) << false << QPoint(499, -499) << true;
    QTest::newRow("right button") << inBar << int(Qt::RightButton) << false << QPoint(30, 40) << false;
    QTest::newRow("below the bar") << QPoint(300, 60) << int(Qt::LeftButton) << false << QPoint(30, 40)
                                   << false;
    QTest::newRow("maximised") << inBar << int(Qt::LeftButton) << true << QPoint(30, 40) << false;
    QTest::newRow("500 px jump in x") << inBar << int(Qt::LeftButton) << false << QPoint(500, 0) << false;
    QTest::newRow("500 px jump in y") << inBar << int(Qt::LeftButton) << false << QPoint(0, -500) << false;
}

void tst_LiveMainWindow::titleBarDrag()
{
    QFETCH(QPoint, press);
    QFETCH(int, button);
    QFETCH(bool, maximized);
    QFETCH(QPoint, step);
    QFETCH(bool, moves);

    FakeLiveCore core;
    LiveMainWindow w;
    w.resize(1280, 800);
    w.layout()->activate();
    QCOMPARE(formWidget(w, "frame")->geometry(), QRect(0, 0, 1280, 52));
    w.move(600, 600);
    Access::setMaximized(w, maximized);
    const QPoint start = w.pos();

    sendMouse(w, QEvent::MouseButtonPress, press, Qt::MouseButton(button));
    sendMouse(w, QEvent::MouseMove, press + step, Qt::MouseButton(button));
    QCOMPARE(w.pos(), moves ? start + step : start);

    // After the release the pointer no longer drags the window.
    sendMouse(w, QEvent::MouseButtonRelease, press + step, Qt::MouseButton(button));
    const QPoint afterRelease = w.pos();
    sendMouse(w, QEvent::MouseMove, press + QPoint(7, 7), Qt::LeftButton);
    QCOMPARE(w.pos(), afterRelease);
}

void tst_LiveMainWindow::setUpAfterLogin()
{
    FakeLiveCore core;
    LoginInfo info = hostRecord();
    LiveMainWindow w;
    w.initLiveMainWindowParams(nullptr); // nothing happens without a record
    QVERIFY(core.calls.isEmpty());
    QVERIFY(!Access::documents(w));

    w.initLiveMainWindowParams(&info);
    QCOMPARE(core.calls.first(), QString("core_startup(null,null,null)"));
    QCOMPARE(core.callsNamed("core_create_scene"), QStringList{"core_create_scene(solvek)"});
    // The picture source comes after the engine start-up, which ends with the camera in the scene.
    QCOMPARE(core.callsNamed("core_create_image_source"), QStringList{"core_create_image_source(image_source,0)"});
    QVERIFY(core.calls.indexOf("core_create_image_source(image_source,0)") >
            core.calls.indexOf("scene_add_source(camera source,true)"));

    // The document tool is current, its button selected; the tool layouts sit where the tools expect.
    QCOMPARE(Access::liveType(w), mainwin::LiveTypeDocument);
    QVERIFY(looksSelected(toolButton(w, "document_btn")));
    QCOMPARE(Access::toolPanelLayout(w)->parentWidget(), formWidget(w, "control_frame"));
    QCOMPARE(Access::toolPanelLayout(w)->contentsMargins(), QMargins(5, 5, 5, 5));
    QCOMPARE(Access::toolPanelLayout(w)->spacing(), 0);
    QCOMPARE(Access::placeholderLayout(w)->parentWidget(), formWidget(w, "preview_widget"));
    QCOMPARE(Access::placeholderLayout(w)->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(Access::placeholderLayout(w)->spacing(), 16);

    ShowCarmeraWidget* camera = Access::cameraWindow(w);
    QVERIFY(camera && camera->isHidden());
    QCOMPARE(camera->parentWidget(), formWidget(w, "preview_widget"));
    QCOMPARE(camera->size(), QSize(280, 158));
    QVERIFY(Access::pauseOrStop(w) && Access::pauseOrStop(w)->isHidden());
    QCOMPARE(Access::pauseOrStop(w)->parentWidget(), &w);
    QVERIFY(Access::broadcastTip(w) && Access::broadcastTip(w)->isHidden());
    QVERIFY(Access::sceneTip(w) && Access::sceneTip(w)->isHidden());
    QVERIFY(Access::documents(w)->isHidden());

    // A press on another tool's tile switches the tool.
    QTest::mousePress(toolButton(w, "desktop_share_btn")->findChild<QFrame*>("frameButton"), Qt::LeftButton);
    QCOMPARE(Access::liveType(w), mainwin::LiveTypeDesktopShare);
    QVERIFY(looksSelected(toolButton(w, "desktop_share_btn")));
    QVERIFY(!looksSelected(toolButton(w, "document_btn")));

    w.initFromLogin();
    QCOMPARE(TrtcManager::getInstance()->userInfo(), &info);
    QCOMPARE(ImSDKManager::getInstance()->loginInfo(), &info);
    QCOMPARE(Access::sceneWidget(w)->anchorInfo(), &info);
    auto store = CDataCenter::getInstance();
    QCOMPARE(store->userName, info.name);
    QCOMPARE(store->uidText, QString("4242"));
    QVERIFY(QFileInfo(store->userDocDir).isDir());
    QVERIFY(store->userDocDir.endsWith("/solvek/userdoc/4242"));
    QCOMPARE(formWidget<QStackedWidget>(w, "listPageWidget")->currentIndex(), 0);
    QVERIFY(Access::netInfoThread(w).isRunning());
}

void tst_LiveMainWindow::nameLabel_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << QString("ab");
    QTest::newRow("long") << QString::fromUtf8("一位名字很长的主播");
}

void tst_LiveMainWindow::nameLabel()
{
    QFETCH(QString, name);
    FakeLiveCore core;
    LoginInfo info = hostRecord(name);
    LiveMainWindow w;
    w.initLiveMainWindowParams(&info);
    w.initFromLogin();

    QLabel* label = formWidget<QLabel>(w, "usernamelbl");
    const QFontMetrics metrics(label->font());
    const int width = metrics.horizontalAdvance(name);
    QCOMPARE(label->size(), width < 35 ? QSize(width + 8, 25) : QSize(0, 0));
    QCOMPARE(label->text(), metrics.elidedText(name, Qt::ElideRight, 42));
    QCOMPARE(label->toolTip(), solvek::plainToolTip(name));
}

void tst_LiveMainWindow::savedDocumentsOfTheUserAfterLogin()
{
    // The user's list and page folders as an earlier session left them.
    auto store = CDataCenter::getInstance();
    store->uidText = "777";
    const QStringList keys{"svpczsjz_first_.pdf_10", "not a key", "svpczsjz_second_.png_20"};
    for (int i = 0; i < keys.size(); ++i) {
        store->setDocInfoValue(QString::number(i), keys[i]);
        QVERIFY(testsupport::writeCachedDocument(CDataCenter::defaultUserDocRoot() + "/777", keys[i]));
    }
    store->setDocInfoValue("count", "3");
    store->uidText.clear();

    FakeLiveCore core;
    LoginInfo info = hostRecord("host", 777);
    LiveMainWindow w;
    w.initLiveMainWindowParams(&info);
    const QList<DocumentCreateWidget*> tiles = Access::documents(w)->tiles();
    QCOMPARE(tiles.size(), 2);
    QCOMPARE(tiles[0]->fileName(), QString("first.pdf"));
    QCOMPARE(tiles[1]->fileName(), QString("second.png"));
    QCOMPARE(tiles[1]->state(), int(DocumentCreateWidget::StateDone));
    QCOMPARE(tiles[1]->pageDir(), store->userDocDir + "/svpczsjz_second_.png_20");
    QVERIFY(QFileInfo(store->userDocDir).isDir());

    // Applying a tile opens it in the document panel; deleting it closes the tab again.
    QTest::mousePress(tiles[1]->findChild<QLabel*>("lblUse"), Qt::LeftButton);
    QCOMPARE(Access::documentControl(w)->tabCount(), 1);
    DocumentDialogs::runModal = [](QDialog&) { return int(QDialog::Accepted); };
    QTest::mousePress(tiles[1]->findChild<QLabel*>("lblDel"), Qt::LeftButton);
    DocumentDialogs::runModal = [](QDialog& dialog) { return dialog.exec(); };
    QCOMPARE(Access::documentControl(w)->tabCount(), 0);
    QCOMPARE(Access::documents(w)->tiles(), QList<DocumentCreateWidget*>{tiles[0]});
    QVERIFY(!QFileInfo::exists(tiles[1]->pageDir()));
}

void tst_LiveMainWindow::broadcastHint()
{
    FakeLiveCore core;
    LoginInfo info = hostRecord();
    LiveMainWindow w;
    w.showBroadcastHint("ignored before set-up"); // no popup yet: nothing happens

    w.initLiveMainWindowParams(&info);
    w.resize(1400, 800);
    w.move(100, 50);
    PopTipDlg* tip = Access::broadcastTip(w);
    const QPoint topLeft = w.mapToGlobal(QPoint(0, 0));
    w.showBroadcastHint(QString::fromUtf8("直播推流中！请停止推流后再退出"));
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->pos(), QPoint((1400 - 266) / 2 + topLeft.x(), topLeft.y() + 12));
    QCOMPARE(tip->textLabel()->text(), QString::fromUtf8("直播推流中！请停止推流后再退出"));

    // A newer hint gets its whole 3000 ms: the earlier hint's hide must not cut it short.
    // Waiting well past a coarse timer's slack (5 % of 3000 ms) keeps the comparison meaningful.
    QTimer* hide = Access::broadcastTipTimer(w);
    QTest::qWait(1000);
    const int leftOfFirst = hide->remainingTime();
    w.showBroadcastHint("second");
    QVERIFY(hide->isActive());
    QVERIFY(hide->remainingTime() > leftOfFirst);
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isVisible(), 10000);
    QVERIFY(!hide->isActive());
}

void tst_LiveMainWindow::rateIcon_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("text");

    const int live = mainwin::LiveStateLive;
    QTest::newRow("live 0") << live << 0 << "speed_low"
                            << "0kb/s";
    QTest::newRow("live 10") << live << 10 << "speed_low"
                             << "10kb/s";
    QTest::newRow("live 11") << live << 11 << "speed_medium"
                             << "11kb/s";
    QTest::newRow("live 450") << live << 450 << "speed_medium"
                              << "450kb/s";
    QTest::newRow("live 451") << live << 451 << "speed_high"
                              << "451kb/s";
    QTest::newRow("idle") << int(mainwin::LiveStateIdle) << 900 << "speed_low"
                          << "0kb/s";
    QTest::newRow("ready") << int(mainwin::LiveStateReady) << 900 << "speed_low"
                           << "0kb/s";
    QTest::newRow("paused") << int(mainwin::LiveStatePaused) << 900 << "speed_low"
                            << "0kb/s";
}

void tst_LiveMainWindow::rateIcon()
{
    QFETCH(int, state);
    QFETCH(int, bitrate);
    QFETCH(QString, icon);
    QFETCH(QString, text);

    FakeLiveCore core;
    LiveMainWindow w;
    Access::setLiveState(w, mainwin::LiveState(state));
    w.update_network_rate(bitrate);
    QCOMPARE(formWidget(w, "network_label")->styleSheet(),
             QString("border-image: url(:/images/live/%1.png);").arg(icon));
    QCOMPARE(formWidget<QLabel>(w, "rate_label")->text(), text);
}

void tst_LiveMainWindow::destroyWithRateThreadRunning()
{
    FakeLiveCore core;
    LoginInfo info = hostRecord();
    auto w = std::make_unique<LiveMainWindow>();
    w->initLiveMainWindowParams(&info);
    w->show();
    w->initFromLogin();
    QSignalSpy reports(&Access::netInfoThread(*w), &NetInfoThread::sendCurrentNetInfo);
    QVERIFY(reports.wait(5000));
    w.reset(); // stops and joins the monitor and the emote job
}

QTEST_MAIN(tst_LiveMainWindow)
#include "tst_LiveMainWindow.moc"
