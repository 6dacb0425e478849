// test-label: engine
// The video and audio pages on real libobs under X, with a private sound server whose default
// microphone is fed a 440 Hz sine: the audio page lists the microphone and its meter follows the
// signal through Qt Multimedia; the video page's preview is one display in its own window, drawn
// once however often the preview is re-run, and gone with the page. No camera exists here, so the
// engine's camera list is given two names.
// test-timeout: 240
#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/ObsLiveCore.h"
#include "settings/AudioSettingDialog.h"
#include "settings/SettingsDialog.h"
#include "settings/VideoSettingDialog.h"
#include "support/PulseServer.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
class ListedCamerasCore : public ObsLiveCore
{
public:
    QList<QByteArray> cameras;
    int core_get_camera_count() override { return cameras.size(); }
    const char* core_get_camera_name(int index) override
    {
        return index >= 0 && index < cameras.size() ? cameras.at(index).constData() : nullptr;
    }
};
} // namespace

class tst_SettingsPagesEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void meterFollowsTheMicrophone();
    void previewIsOneDisplayOfThePage();

private:
    PulseServer m_pulse;
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    ListedCamerasCore m_core;
};

void tst_SettingsPagesEngine::initTestCase()
{
    QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
    // Before the engine, which reads its device list once at start.
    QVERIFY(m_pulse.start());
    QVERIFY(m_pulse.feedSine(0.5));
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    LiveCore::set_instance(&m_core);
    QVERIFY(runLiveCoreStartup(1280, 720));
}

void tst_SettingsPagesEngine::cleanupTestCase()
{
    m_core.core_shutdown();
    LiveCore::set_instance(nullptr);
    CDataCenter::setInstanceForTesting(nullptr);
    m_pulse.stop();
}

void tst_SettingsPagesEngine::meterFollowsTheMicrophone()
{
    QVERIFY(m_core.state().find_source("audio_input")); // the engine captures the microphone
    AudioSettingDialog page;
    auto* list = page.findChild<QComboBox*>("mic_cbx");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    QVERIFY2(items.contains(QString::fromLatin1(PulseServer::kMicDescription)), qPrintable(items.join('|')));
    QVERIFY(!items.contains("Default"));
    QVERIFY(list->isEnabled());

    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(page.isSampling());
    auto* meter = page.findChild<QSlider*>("desktop_volume");
    // A half-scale sine: 20 log10 of 16384 x 2 / pi.
    QTRY_VERIFY2_WITH_TIMEOUT(qAbs(meter->value() - 80) <= 1, qPrintable(QString::number(meter->value())),
                              30000);
    QVERIFY(m_pulse.feedSine(0));
    QTRY_COMPARE_WITH_TIMEOUT(meter->value(), 0, 30000);
    QVERIFY(m_pulse.feedSine(0.5));
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(meter->value() - 80) <= 1, 30000);
}

void tst_SettingsPagesEngine::previewIsOneDisplayOfThePage()
{
    // Through the settings dialog, which builds its pages without parent and then puts them in
    // place: the display must be in the window the page ends up showing.
    m_core.cameras = {"Cam A", "Cam B"};
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* page = qobject_cast<VideoSettingDialog*>(dialog.currentPage());
    QVERIFY(page);
    QWidget* view = page->previewTarget();
    QVERIFY(view);
    QVERIFY(view->isVisible()); // shown: the engine made its display
    const auto window = LiveWindowHandle(view->winId());
    QVERIFY(m_core.scene_has_source("camera source"));
    QCOMPARE(m_store->settingPreviewWinId, qint64(window));
    QVERIFY(m_core.state().displays.count(window));
    QVERIFY(m_core.state().displays.at(window)); // a real display, not a failed one
    QCOMPARE(m_core.drawRegistrations(window), 1);

    page->findChild<QComboBox*>("select_dev_box")->setCurrentIndex(1);
    QCOMPARE(m_store->cameraName, QString("Cam B"));
    QCOMPARE(LiveWindowHandle(page->previewTarget()->winId()), window);
    QCOMPARE(m_core.drawRegistrations(window), 1); // not drawn twice into one window

    // Closed, the dialog keeps its page and the page its display.
    QTest::mouseClick(dialog.findChild<QPushButton*>("close_btn"), Qt::LeftButton);
    QCOMPARE(m_core.drawRegistrations(window), 1);
    dialog.showNormal();

    QTest::mousePress(dialog.findChild<QLabel*>("help_label"), Qt::LeftButton);
    QVERIFY(!m_core.state().displays.count(window));
    QCOMPARE(m_core.drawRegistrations(window), 0);
    m_core.cameras.clear();
}

QTEST_MAIN(tst_SettingsPagesEngine)
#include "tst_SettingsPagesEngine.moc"
