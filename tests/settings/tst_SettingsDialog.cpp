// test-label: unit
// The settings window: pages built anew on every tab press, kept across close and show, the
// relays of the page signals, the close signal, and Escape acting as the close button.
#include "core/DataCenter.h"
#include "settings/AccountSettingDialog.h"
#include "settings/AudioSettingDialog.h"
#include "settings/HelpSettingDialog.h"
#include "settings/SettingsDialog.h"
#include "settings/SystemSettingDialog.h"
#include "settings/VideoSettingDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_SettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnTheVideoTabWithThreeTabsHidden();
    void everyTabBuildsItsPage_data();
    void everyTabBuildsItsPage();
    void pressingTheTabOnShowRebuildsThePage();
    void closeAndShowKeepThePage();
    void pageSignalsAreRelayed();
    void accountLogoutHidesBeforeTellingTheWindow();
    void escapeInAPageClosesTheDialogNotThePage();
    void dragMovesTheFramelessWindow();

private:
    QLabel* tab(const char* name) { return m_dialog->findChild<QLabel*>(QString::fromLatin1(name)); }
    void press(const char* name) { QTest::mousePress(tab(name), Qt::LeftButton); }

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<SettingsDialog> m_dialog;
};

void tst_SettingsDialog::init()
{
    QFile::remove(m_dir.filePath("config.ini"));
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    m_dialog = std::make_unique<SettingsDialog>();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void tst_SettingsDialog::cleanup()
{
    m_dialog.reset();
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

void tst_SettingsDialog::opensOnTheVideoTabWithThreeTabsHidden()
{
    QCOMPARE(m_dialog->size(), QSize(600, 560));
    QVERIFY(m_dialog->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(m_dialog->windowTitle(), QString::fromUtf8("设置"));
    QVERIFY(qobject_cast<VideoSettingDialog*>(m_dialog->currentPage()));
    QVERIFY(m_dialog->currentPage()->isVisible());
    QVERIFY(tab("video_label")->styleSheet().contains("#EAEDF3"));
    for (const char* name : {"audio_label", "help_label", "system_label"}) {
        QVERIFY(tab(name)->isVisible());
        QVERIFY(!tab(name)->styleSheet().contains("#EAEDF3"));
    }
    for (const char* name : {"beauty_label", "conn_mic_label", "accout_label"})
        QVERIFY(tab(name)->isHidden());
}

void tst_SettingsDialog::everyTabBuildsItsPage_data()
{
    QTest::addColumn<QString>("tabName");
    QTest::addColumn<QString>("pageClass"); // empty: the area stays empty
    QTest::newRow("video") << "video_label" << "VideoSettingDialog";
    QTest::newRow("audio") << "audio_label" << "AudioSettingDialog";
    QTest::newRow("help") << "help_label" << "HelpSettingDialog";
    QTest::newRow("system") << "system_label" << "SystemSettingDialog";
    QTest::newRow("account (hidden tab)") << "accout_label" << "AccountSettingDialog";
    QTest::newRow("beauty (hidden tab)") << "beauty_label" << "";
    QTest::newRow("co-host (hidden tab)") << "conn_mic_label" << "";
}

void tst_SettingsDialog::everyTabBuildsItsPage()
{
    QFETCH(QString, tabName);
    QFETCH(QString, pageClass);
    QPointer<QWidget> old = m_dialog->currentPage();
    press(tabName.toLatin1().constData());
    QVERIFY(!old); // deleted, not merely hidden
    QWidget* area = m_dialog->findChild<QWidget*>("setting_frame");
    QWidget* page = m_dialog->currentPage();
    if (pageClass.isEmpty()) {
        QVERIFY(!page);
        QVERIFY(area->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
    } else {
        QVERIFY(page);
        QCOMPARE(page->metaObject()->className(), pageClass.toLatin1().constData());
        QCOMPARE(page->parentWidget(), area);
        QVERIFY(page->isVisible());
        QCOMPARE(page->geometry(), area->contentsRect()); // inside the 1 px border
        QCOMPARE(area->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }
    for (QLabel* label : m_dialog->findChildren<QLabel*>(QRegularExpression("_label$")))
        QCOMPARE(label->styleSheet().contains("#EAEDF3"), label->objectName() == tabName);
}

void tst_SettingsDialog::pressingTheTabOnShowRebuildsThePage()
{
    press("system_label");
    auto* first = qobject_cast<SystemSettingDialog*>(m_dialog->currentPage());
    QVERIFY(first);
    QVERIFY(first->findChild<QRadioButton*>("liveRio")->isChecked());
    QPointer<QWidget> watch = first;

    m_store->streamQuality = 1;
    press("system_label");
    QVERIFY(!watch);
    auto* second = qobject_cast<SystemSettingDialog*>(m_dialog->currentPage());
    QVERIFY(second);
    QVERIFY(second->findChild<QRadioButton*>("highRio")->isChecked());
}

void tst_SettingsDialog::closeAndShowKeepThePage()
{
    QSignalSpy closed(m_dialog.get(), &SettingsDialog::sendShowCameraSig);
    press("help_label");
    QPointer<QWidget> page = m_dialog->currentPage();
    auto* close = m_dialog->findChild<QPushButton*>("close_btn");
    for (int round = 1; round <= 2; ++round) {
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(closed.count(), round);
        m_dialog->showNormal();
        QVERIFY(page);
        QCOMPARE(m_dialog->currentPage(), page.data());
        QVERIFY(page->isVisible());
    }
}

void tst_SettingsDialog::pageSignalsAreRelayed()
{
    QSignalSpy liveInfo(m_dialog.get(), &SettingsDialog::sendLiveInfoSig);
    QSignalSpy audio(m_dialog.get(), &SettingsDialog::sendChangeInputAudioStatus);

    emit qobject_cast<VideoSettingDialog*>(m_dialog->currentPage())->sendOutPutLiveInfoSig();
    QCOMPARE(liveInfo.count(), 1);
    press("video_label");
    emit qobject_cast<VideoSettingDialog*>(m_dialog->currentPage())->sendOutPutLiveInfoSig();
    QCOMPARE(liveInfo.count(), 2);

    press("audio_label");
    auto* page = qobject_cast<AudioSettingDialog*>(m_dialog->currentPage());
    QVERIFY(page);
    emit page->changeInputAudioStatus(false);
    emit page->changeInputAudioStatus(true);
    QCOMPARE(audio.count(), 2);
    QCOMPARE(audio.at(0).at(0).toBool(), false);
    QCOMPARE(audio.at(1).at(0).toBool(), true);
    QCOMPARE(liveInfo.count(), 2);
}

void tst_SettingsDialog::accountLogoutHidesBeforeTellingTheWindow()
{
    press("accout_label");
    QWidget* page = m_dialog->currentPage();
    QVERIFY(qobject_cast<AccountSettingDialog*>(page));
    QList<bool> visibleAtLogout;
    connect(m_dialog.get(), &SettingsDialog::sendLoginOutSig, this,
            [&] { visibleAtLogout << m_dialog->isVisible() << page->isVisible(); });
    QSignalSpy closed(m_dialog.get(), &SettingsDialog::sendShowCameraSig);
    QTest::mouseClick(page->findChild<QPushButton*>("pushButton_3"), Qt::LeftButton);
    QCOMPARE(visibleAtLogout, (QList<bool>{false, false}));
    QCOMPARE(closed.count(), 0);
}

void tst_SettingsDialog::escapeInAPageClosesTheDialogNotThePage()
{
    QSignalSpy closed(m_dialog.get(), &SettingsDialog::sendShowCameraSig);
    press("system_label");
    QWidget* page = m_dialog->currentPage();
    auto* radio = page->findChild<QRadioButton*>("fps24Rio");
    radio->setFocus();
    QTest::keyClick(radio, Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(m_dialog->currentPage(), page);
    QVERIFY(!page->isHidden());

    m_dialog->showNormal();
    QVERIFY(page->isVisible());
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(closed.count(), 2);
    QVERIFY(!page->isHidden());
    // Nothing was written on the way.
    QVERIFY(!QFile::exists(m_dir.filePath("config.ini")) || m_store->getInt("LiveFps") == 0);
}

void tst_SettingsDialog::dragMovesTheFramelessWindow()
{
    m_dialog->move(100, 100);
    const QPoint start = m_dialog->pos();
    auto send = [this](QEvent::Type type, QPoint global) {
        QMouseEvent event(type, m_dialog->mapFromGlobal(global), global, Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(m_dialog.get(), &event);
    };
    const QPoint grab = m_dialog->mapToGlobal(QPoint(300, 16));
    send(QEvent::MouseButtonPress, grab);
    send(QEvent::MouseMove, grab + QPoint(20, 15));
    QCOMPARE(m_dialog->pos(), start + QPoint(20, 15));
    // The release moves by its distance from the last move once more.
    send(QEvent::MouseButtonRelease, grab + QPoint(25, 15));
    QCOMPARE(m_dialog->pos(), start + QPoint(25, 15));
}

QTEST_MAIN(tst_SettingsDialog)
#include "tst_SettingsDialog.moc"
