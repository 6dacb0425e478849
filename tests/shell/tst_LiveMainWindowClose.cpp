// test-label: unit
// Leaving the main window, offscreen against the engine fake: the close button and the window's
// close event with the close prompt, "not asked again" in this run and the next, the logout and
// the event loop's restart code, the settings popup with the settings window, and the share
// dialog. Modal dialogs run through the window's replaceable runner.
#include "support/DocumentFixtures.h"
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "core/UntrustedText.h"
#include "core/DataCenter.h"
#include "core/ServiceConstants.h"
#include "documents/DocumentShareWidget.h"
#include "settings/SettingsDialog.h"
#include "settings/VideoSettingDialog.h"
#include "shell/CloseDialog.h"
#include "widgets/LogoutDialog.h"
#include "widgets/PopTipDlg.h"
#include "shell/PopupDialog.h"
#include "shell/ShareLiveDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
const char* kCloseLiveHint = "直播推流中！请停止推流后再退出";
const char* kLogoutLiveHint = "直播推流中！请暂停/停止推流后再退出登录";

// What the host does in the close prompt.
enum class Answer { Exit, Minimise, Cancel, Cross };

// Ends a nested QApplication::exec that the code under test failed to end.
struct LoopGuard {
    QTimer timer;
    LoopGuard()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        timer.start(15000);
    }
};
} // namespace
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(mainwin::LiveState)

class tst_LiveMainWindowClose : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void closeWhileLiveOnlyHints_data();
    void closeWhileLiveOnlyHints();
    void closePrompt_data();
    void closePrompt();
    void notAskedAgainInThisRunAndTheNext();
    void savedExitWithoutPromptEndsTheLoop();
    void closeByOtherMeansWhenNotLive_data();
    void closeByOtherMeansWhenNotLive();
    void exitWithTheSettingsWindowOpenEndsTheLoop();
    void logout_data();
    void logout();
    void logoutEndsTheLoopWith777();
    void settingsPopupTogglesWithTheButton();
    void moreSettings_data();
    void moreSettings();
    void popupLogoutRowAsksToLogOut();
    void shareButtonRunsTheShareDialog();

private:
    void makeWindow();
    // Runs the close prompt as the host would answer it; counts the runs.
    void answerPromptWith(Answer answer, bool dontAskAgain = false);
    QPushButton* button(const char* name) { return formWidget<QPushButton>(*m_window, name); }
    PopTipDlg* tip() { return Access::broadcastTip(*m_window); }
    bool centredOnWindow(const QWidget& dialog) const
    {
        const QPoint c = m_window->geometry().center();
        return dialog.pos() == QPoint(c.x() - dialog.width() / 2, c.y() - dialog.height() / 2);
    }

    QTemporaryDir m_dir;
    LoginInfo m_login;
    std::function<void(int)> m_realExit;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<LiveMainWindow> m_window;
    int m_runs = 0;
    QList<int> m_exitCodes;
};

void tst_LiveMainWindowClose::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
    solvek::setServiceOverride("http://127.0.0.1:9");
    m_login.uid = 4242;
    m_login.name = QString::fromUtf8("主播小王");
    m_login.token = "token-1";
    m_realExit = Access::exitEventLoop();
}

void tst_LiveMainWindowClose::init()
{
    QFile::remove(m_dir.filePath("config.ini"));
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    m_core = std::make_unique<FakeLiveCore>();
    m_cloud = std::make_unique<FakeTrtcCloud>();
    m_runs = 0;
    m_exitCodes.clear();
    Access::exitEventLoop() = [this](int code) { m_exitCodes << code; };
    Access::setModalDialogRunner([this](QDialog&) { return ++m_runs, int(QDialog::Rejected); });
    makeWindow();
}

void tst_LiveMainWindowClose::makeWindow()
{
    m_window = std::make_unique<LiveMainWindow>();
    m_window->initLiveMainWindowParams(&m_login);
    m_window->setGeometry(100, 80, 1300, 820);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_LiveMainWindowClose::cleanup()
{
    m_window.reset();
    m_cloud.reset();
    m_core.reset();
    Access::exitEventLoop() = m_realExit;
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

void tst_LiveMainWindowClose::answerPromptWith(Answer answer, bool dontAskAgain)
{
    Access::setModalDialogRunner([this, answer, dontAskAgain](QDialog& dialog) {
        ++m_runs;
        auto* prompt = qobject_cast<CloseDialog*>(&dialog);
        if (!prompt || !prompt->isVisible() || prompt->windowModality() != Qt::ApplicationModal ||
            !centredOnWindow(*prompt))
            return -1;
        auto click = [&](const char* name) {
            QTest::mouseClick(prompt->findChild<QAbstractButton*>(name), Qt::LeftButton, {}, QPoint(5, 8));
        };
        if (answer == Answer::Exit)
            click("quit_btn");
        if (answer == Answer::Minimise)
            click("mimimize_btn");
        if (dontAskAgain)
            click("hints_cbx");
        click(answer == Answer::Cancel ? "cancel_btn" : answer == Answer::Cross ? "exitbtn" : "ok_btn");
        return prompt->result();
    });
}

void tst_LiveMainWindowClose::closeWhileLiveOnlyHints_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("close button") << true;
    QTest::newRow("close event (system menu, Alt+F4, taskbar)") << false;
}

void tst_LiveMainWindowClose::closeWhileLiveOnlyHints()
{
    QFETCH(bool, byButton);
    Access::setLiveState(*m_window, mainwin::LiveStateLive);
    if (byButton)
        QTest::mouseClick(button("close_btn"), Qt::LeftButton);
    else
        QVERIFY(!m_window->close());
    QCOMPARE(m_runs, 0);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->isMinimized());
    QVERIFY(!Access::closeDialog(*m_window).isVisible());
    QVERIFY(tip()->isVisible());
    QCOMPARE(tip()->textLabel()->text(), QString::fromUtf8(kCloseLiveHint));
    if (byButton)
        QTRY_VERIFY_WITH_TIMEOUT(!tip()->isVisible(), 8000);
}

void tst_LiveMainWindowClose::closePrompt_data()
{
    QTest::addColumn<mainwin::LiveState>("state");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("idle, exit") << mainwin::LiveStateIdle << Answer::Exit << "closed";
    QTest::newRow("ready, minimise") << mainwin::LiveStateReady << Answer::Minimise << "minimised";
    QTest::newRow("paused, exit") << mainwin::LiveStatePaused << Answer::Exit << "closed";
    QTest::newRow("paused, minimise") << mainwin::LiveStatePaused << Answer::Minimise << "minimised";
    QTest::newRow("idle, cancel") << mainwin::LiveStateIdle << Answer::Cancel << "open";
    QTest::newRow("paused, close cross") << mainwin::LiveStatePaused << Answer::Cross << "open";
}

void tst_LiveMainWindowClose::closePrompt()
{
    QFETCH(mainwin::LiveState, state);
    QFETCH(Answer, answer);
    QFETCH(QString, outcome);
    Access::setLiveState(*m_window, state);
    answerPromptWith(answer);
    QTest::mouseClick(button("close_btn"), Qt::LeftButton);
    QCOMPARE(m_runs, 1);
    QVERIFY(!tip()->isVisible());
    QCOMPARE(m_window->isVisible(), outcome != "closed");
    QCOMPARE(m_window->isMinimized(), outcome == "minimised");
    QCOMPARE(m_exitCodes, outcome == "closed" ? QList<int>{0} : QList<int>{});
    QVERIFY(!Access::closeDialog(*m_window).isVisible());
}

void tst_LiveMainWindowClose::notAskedAgainInThisRunAndTheNext()
{
    answerPromptWith(Answer::Minimise, true);
    QTest::mouseClick(button("close_btn"), Qt::LeftButton);
    QCOMPARE(m_runs, 1);
    QVERIFY(m_window->isMinimized());

    m_window->showNormal();
    QVERIFY(!m_window->isMinimized());
    QTest::mouseClick(button("close_btn"), Qt::LeftButton);
    QCOMPARE(m_runs, 1);
    QVERIFY(m_window->isMinimized());

    // The next run: a store that loads the file afresh, and a new window.
    m_window.reset();
    m_store->sync();
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    makeWindow();
    QTest::mouseClick(button("close_btn"), Qt::LeftButton);
    QCOMPARE(m_runs, 1);
    QVERIFY(m_window->isMinimized());
    QVERIFY(m_window->isVisible());
}

// A file that only says "do not ask" (no "ExitCheck") exits at once; the last window closing
// ends the event loop with 0, which does not restart the program.
void tst_LiveMainWindowClose::savedExitWithoutPromptEndsTheLoop()
{
    m_window.reset();
    m_store->setValue("noTitleTipcheck", "true");
    m_store->sync();
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    makeWindow();
    Access::exitEventLoop() = m_realExit;

    LoopGuard guard;
    QTimer::singleShot(0, m_window.get(), [this] { QTest::mouseClick(button("close_btn"), Qt::LeftButton); });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(m_runs, 0);
    QVERIFY(!m_window->isVisible());
}

void tst_LiveMainWindowClose::closeByOtherMeansWhenNotLive_data()
{
    QTest::addColumn<mainwin::LiveState>("state");
    QTest::newRow("idle") << mainwin::LiveStateIdle;
    QTest::newRow("paused") << mainwin::LiveStatePaused;
}

void tst_LiveMainWindowClose::closeByOtherMeansWhenNotLive()
{
    QFETCH(mainwin::LiveState, state);
    Access::setLiveState(*m_window, state);
    QVERIFY(m_window->close());
    QCOMPARE(m_runs, 0);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!tip()->isVisible());
    QCOMPARE(m_exitCodes, QList<int>{0});
}

// A window without a parent (the settings window) stays open after the main window closes, so
// Qt's last-window rule never fires: the accepted close itself ends the loop, with 0.
void tst_LiveMainWindowClose::exitWithTheSettingsWindowOpenEndsTheLoop()
{
    m_window->more_settings_clicked();
    QVERIFY(Access::settingsDialog(*m_window)->isVisible());
    Access::exitEventLoop() = m_realExit;
    answerPromptWith(Answer::Exit);
    LoopGuard guard;
    QTimer::singleShot(0, m_window.get(), [this] { QTest::mouseClick(button("close_btn"), Qt::LeftButton); });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(m_runs, 1);
    QVERIFY(!m_window->isVisible());
    Access::settingsDialog(*m_window)->hide();
}

void tst_LiveMainWindowClose::logout_data()
{
    QTest::addColumn<mainwin::LiveState>("state");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<bool>("restarts");
    QTest::addColumn<QString>("hint");
    const QString liveHint = QString::fromUtf8(kLogoutLiveHint);
    QTest::newRow("idle, ok") << mainwin::LiveStateIdle << true << true << QString();
    QTest::newRow("ready, ok") << mainwin::LiveStateReady << true << true << QString();
    QTest::newRow("paused, ok") << mainwin::LiveStatePaused << true << true << QString();
    QTest::newRow("idle, cancel") << mainwin::LiveStateIdle << false << false << QString();
    QTest::newRow("live, ok") << mainwin::LiveStateLive << true << false << liveHint;
    QTest::newRow("live, cancel") << mainwin::LiveStateLive << false << false << liveHint;
}

void tst_LiveMainWindowClose::logout()
{
    QFETCH(mainwin::LiveState, state);
    QFETCH(bool, pressOk);
    QFETCH(bool, restarts);
    QFETCH(QString, hint);
    Access::setLiveState(*m_window, state);
    Access::setLastRoomId(*m_window, 10086);
    DocumentShareWidget* documents = Access::documents(*m_window);
    const QString key = "svpczsjz_doc-a_.pdf_10";
    QVERIFY(testsupport::writeCachedDocument(m_store->userDocDir, key));
    m_store->setDocInfoValue("0", key);
    m_store->setDocInfoValue("count", "1");
    documents->loadSavedDocuments();
    QCOMPARE(documents->tiles().size(), 1);

    Access::setModalDialogRunner([&](QDialog& dialog) {
        ++m_runs;
        auto* confirm = qobject_cast<LogoutDialog*>(&dialog);
        if (!confirm || confirm->windowModality() != Qt::ApplicationModal)
            return -1;
        confirm->show();
        QTest::mouseClick(confirm->findChild<QPushButton*>(pressOk ? "ok_btn" : "cancel_btn"),
                          Qt::LeftButton);
        return confirm->result();
    });
    m_window->logout_clicked();
    QCOMPARE(m_runs, 1);
    QCOMPARE(m_exitCodes, restarts ? QList<int>{777} : QList<int>{});
    QCOMPARE(Access::lastRoomId(*m_window), restarts ? qint64(-1) : qint64(10086));
    QCOMPARE(documents->tiles().isEmpty(), restarts);
    QCOMPARE(tip()->isVisible(), !hint.isEmpty());
    if (!hint.isEmpty())
        QCOMPARE(tip()->textLabel()->text(), hint);
    QVERIFY(m_window->isVisible());
}

void tst_LiveMainWindowClose::logoutEndsTheLoopWith777()
{
    Access::exitEventLoop() = m_realExit;
    Access::setLiveState(*m_window, mainwin::LiveStatePaused);
    Access::setModalDialogRunner([this](QDialog&) { return ++m_runs, int(QDialog::Accepted); });
    LoopGuard guard;
    QTimer::singleShot(0, m_window.get(), [this] { m_window->logout_clicked(); });
    QCOMPARE(QApplication::exec(), 777);
    QCOMPARE(m_runs, 1);
}

void tst_LiveMainWindowClose::settingsPopupTogglesWithTheButton()
{
    const QString normalLook = "QPushButton#settings_btn {border-image: url(:/images/live/settings.png)};";
    const QString openLook =
        "QPushButton#settings_btn {border-image: url(:/images/live/settings_hover.png)};";
    QPushButton* settings = button("settings_btn");
    QVERIFY(!Access::popup(*m_window));

    QTest::mouseClick(settings, Qt::LeftButton);
    PopupDialog* popup = Access::popup(*m_window);
    QVERIFY(popup);
    QCOMPARE(popup->parentWidget(), settings);
    QVERIFY(popup->isVisible());
    QVERIFY(Access::popupShown(*m_window));
    QCOMPARE(settings->styleSheet(), openLook);
    const QPoint below = settings->mapToGlobal(QPoint(settings->width() / 2, settings->height() + 26));
    QCOMPARE(popup->pos(), QPoint(below.x() - popup->width() / 2, below.y()));
    bool named = false;
    for (QLabel* label : popup->findChildren<QLabel*>())
        named = named || label->toolTip() == solvek::plainToolTip(m_login.name);
    QVERIFY(named);

    QTest::mouseClick(settings, Qt::LeftButton);
    QVERIFY(!popup->isVisible());
    QVERIFY(!Access::popupShown(*m_window));
    QCOMPARE(settings->styleSheet(), normalLook);

    // A press outside the popup closes it, and the window follows.
    QTest::mouseClick(settings, Qt::LeftButton);
    QCOMPARE(Access::popup(*m_window), popup);
    QVERIFY(popup->isVisible());
    QTest::mousePress(popup, Qt::LeftButton, {}, QPoint(-30, -30));
    QVERIFY(!popup->isVisible());
    QVERIFY(!Access::popupShown(*m_window));
    QCOMPARE(settings->styleSheet(), normalLook);
}

void tst_LiveMainWindowClose::moreSettings_data()
{
    QTest::addColumn<mainwin::LiveState>("state");
    QTest::addColumn<bool>("streaming");
    QTest::newRow("idle") << mainwin::LiveStateIdle << false;
    QTest::newRow("ready") << mainwin::LiveStateReady << false;
    QTest::newRow("live") << mainwin::LiveStateLive << true;
    QTest::newRow("paused") << mainwin::LiveStatePaused << true;
}

void tst_LiveMainWindowClose::moreSettings()
{
    QFETCH(mainwin::LiveState, state);
    QFETCH(bool, streaming);
    Access::setLiveState(*m_window, state);
    m_store->isStreaming = !streaming;
    QTest::mouseClick(button("settings_btn"), Qt::LeftButton);
    PopupDialog* popup = Access::popup(*m_window);
    QTest::mousePress(labelWithText(*popup, "更多设置"), Qt::LeftButton);

    SettingsDialog* settings = Access::settingsDialog(*m_window);
    QVERIFY(settings);
    QVERIFY(settings->isVisible());
    QVERIFY(!settings->parentWidget());
    QVERIFY(centredOnWindow(*settings));
    QVERIFY(qobject_cast<VideoSettingDialog*>(settings->currentPage())); // opens on the video tab
    QCOMPARE(m_store->isStreaming, streaming);
    // The flag is cleared but the popup is left as it is.
    QVERIFY(!Access::popupShown(*m_window));
    QCOMPARE(button("settings_btn")->styleSheet(),
             QString("QPushButton#settings_btn {border-image: url(:/images/live/settings.png)};"));

    // The same window every time.
    settings->hide();
    m_window->more_settings_clicked();
    QCOMPARE(Access::settingsDialog(*m_window), settings);
    QVERIFY(settings->isVisible());

    emit settings->sendLiveInfoSig();
    QVERIFY(tip()->isVisible());
    QCOMPARE(tip()->textLabel()->text(), QString::fromUtf8("直播推流中，请中断推流后重试！"));
    QCOMPARE(m_runs, 0);
    emit settings->sendLoginOutSig();
    QCOMPARE(m_runs, 1);
    settings->hide();
    delete settings; // the window never deletes it: it ends with the process
}

void tst_LiveMainWindowClose::popupLogoutRowAsksToLogOut()
{
    QString asked;
    Access::setModalDialogRunner([&](QDialog& dialog) {
        asked = dialog.metaObject()->className();
        return int(QDialog::Rejected);
    });
    QTest::mouseClick(button("settings_btn"), Qt::LeftButton);
    QTest::mousePress(labelWithText(*Access::popup(*m_window), "退出登录"), Qt::LeftButton);
    QCOMPARE(asked, QString("LogoutDialog"));
    QVERIFY(!Access::popupShown(*m_window));
    QVERIFY(m_exitCodes.isEmpty());
}

void tst_LiveMainWindowClose::shareButtonRunsTheShareDialog()
{
    ShareLiveDialog* share = Access::shareLiveDialog(*m_window);
    QDialog* ran = nullptr;
    bool centred = false;
    Access::setModalDialogRunner([&](QDialog& dialog) {
        ran = &dialog;
        centred = centredOnWindow(dialog);
        return int(QDialog::Rejected);
    });
    button("share_btn")->show();
    QTest::mouseClick(button("share_btn"), Qt::LeftButton);
    QCOMPARE(ran, share);
    QVERIFY(centred);
}

QTEST_MAIN(tst_LiveMainWindowClose)
#include "tst_LiveMainWindowClose.moc"
