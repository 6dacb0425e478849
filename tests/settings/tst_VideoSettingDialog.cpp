// test-label: unit
// The video page on the fake engine: the camera list, the preview display it makes and removes,
// what it records in the store, and "LiveMode" copied into the store.
#include "core/DataCenter.h"
#include "settings/VideoSettingDialog.h"
#include "support/FakeLiveCore.h"
#include "support/SettingsFile.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_VideoSettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void selectsTheStoredCameraWithOneDisplay();
    void anotherCameraReplacesTheDisplay();
    void storedIndexOutOfRangeSelectsTheFirst();
    void withoutCameraNoDisplay();
    void liveModeIsCopiedIntoTheStore_data();
    void liveModeIsCopiedIntoTheStore();
    void destructionRemovesTheDisplay();

private:
    void makeStore(bool withLiveMode = false, bool liveMode = false);
    void makePage()
    {
        m_page = std::make_unique<VideoSettingDialog>();
        m_page->show();
    }
    QComboBox* list() { return m_page->findChild<QComboBox*>("select_dev_box"); }
    LiveWindowHandle target() { return LiveWindowHandle(m_page->previewTarget()->winId()); }

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<VideoSettingDialog> m_page;
};

void tst_VideoSettingDialog::init()
{
    QFile::remove(m_dir.filePath("config.ini"));
    m_core = std::make_unique<FakeLiveCore>();
    m_core->cameras = QStringList{"Cam A", "Cam B"};
    m_core->sources << "camera source"; // made at start-up, not yet in the scene
    m_core->rects["camera source"] = QRectF(0, 0, 1280, 720);
}

void tst_VideoSettingDialog::cleanup()
{
    m_page.reset();
    m_core.reset();
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

void tst_VideoSettingDialog::makeStore(bool withLiveMode, bool liveMode)
{
    SettingValues values;
    if (withLiveMode)
        values["LiveMode"] = liveMode ? "true" : "false";
    m_store = makeTestStore(m_dir.filePath("config.ini"), values);
}

void tst_VideoSettingDialog::selectsTheStoredCameraWithOneDisplay()
{
    makeStore();
    m_store->cameraIndex = 1;
    makePage();
    QCOMPARE(list()->count(), 2);
    QCOMPARE(list()->currentIndex(), 1);
    QVERIFY(list()->isEnabled());
    QCOMPARE(m_store->cameraName, QString("Cam B"));
    QCOMPARE(m_store->cameraIndex, 1);
    QCOMPARE(m_store->settingPreviewWinId, qint64(target()));
    QCOMPARE(m_core->displays, QSet<LiveWindowHandle>{target()});
    // The camera joins the scene for the preview, sized to 16:9 of its width.
    QCOMPARE(m_core->callsNamed("scene_add_source"), QStringList{"scene_add_source(camera source,true)"});
    QCOMPARE(m_core->callsNamed("scene_set_source_base_size"),
             QStringList{"scene_set_source_base_size(camera source,1280,720,1,false,false)"});
    QCOMPARE(m_core->count("core_create_display"), 1);
    // The preview is a child of the preview area, covering it.
    QWidget* view = m_page->previewTarget();
    QCOMPARE(view->parentWidget(), m_page->findChild<QLabel*>("label_3"));
    QCOMPARE(view->geometry(), QRect(0, 0, 434, 244));
    QVERIFY(!view->isHidden());
}

void tst_VideoSettingDialog::anotherCameraReplacesTheDisplay()
{
    makeStore();
    makePage();
    QSignalSpy changed(m_page.get(), &VideoSettingDialog::changeShowCarmera);
    m_core->clearCalls();
    list()->setCurrentIndex(1);
    QCOMPARE(m_store->cameraName, QString("Cam B"));
    QCOMPARE(m_store->cameraIndex, 1);
    QCOMPARE(changed.count(), 1);
    // The old display goes before the new one is made: one draw callback per window.
    const QStringList displayCalls = m_core->calls.filter(QRegularExpression("display"));
    QCOMPARE(displayCalls, (QStringList{"core_destroy_setting_display(camera source)",
                                        QString("core_create_display(camera source,%1)").arg(target())}));
    QCOMPARE(m_core->displays, QSet<LiveWindowHandle>{target()});
    QCOMPARE(m_core->count("scene_add_source"), 0); // already in the scene
    // The live camera keeps its device: the choice is only recorded.
    QCOMPARE(m_core->count("source_set_camera_device"), 0);
}

void tst_VideoSettingDialog::storedIndexOutOfRangeSelectsTheFirst()
{
    makeStore();
    m_store->cameraIndex = 5;
    makePage();
    QCOMPARE(list()->currentIndex(), 0);
    QCOMPARE(m_store->cameraName, QString("Cam A"));
    QCOMPARE(m_store->cameraIndex, 0);
}

void tst_VideoSettingDialog::withoutCameraNoDisplay()
{
    m_core->cameras.clear();
    makeStore();
    m_store->cameraName = "Cam Z";
    m_store->cameraIndex = 0;
    makePage();
    QCOMPARE(list()->count(), 1);
    QCOMPARE(list()->itemText(0), QString::fromUtf8("暂无设备"));
    QVERIFY(!list()->isEnabled());
    QVERIFY(!m_page->previewTarget());
    QVERIFY(
        m_page->findChild<QLabel*>("label_3")->findChildren<QWidget*>().isEmpty()); // the placeholder shows
    QVERIFY(m_core->displays.isEmpty());
    QCOMPARE(m_core->count("core_create_display"), 0);
    QCOMPARE(m_core->count("scene_add_source"), 0);
    QCOMPARE(m_store->cameraName, QString("Cam Z"));
    m_page.reset();
    QCOMPARE(m_core->count("core_destroy_setting_display"), 0);
}

void tst_VideoSettingDialog::liveModeIsCopiedIntoTheStore_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("liveMode");
    QTest::addColumn<bool>("memoryBefore");
    QTest::addColumn<bool>("sharing");
    QTest::addColumn<QRect>("view");
    QTest::addColumn<QString>("sizing");
    const QRect whole(0, 0, 434, 244), box((434 - 137) / 2, 0, 137, 244);
    const QString landscape = "scene_set_source_base_size(camera source,1280,720,1,false,false)";
    const QString portrait = "scene_set_source_size(camera source,426,80,true,false)";
    QTest::newRow("absent clears") << false << false << true << false << whole << landscape;
    QTest::newRow("false") << true << false << true << true << whole << landscape;
    QTest::newRow("true, not sharing") << true << true << false << false << whole << portrait;
    QTest::newRow("true while sharing: a 9:16 box") << true << true << false << true << box << portrait;
}

void tst_VideoSettingDialog::liveModeIsCopiedIntoTheStore()
{
    QFETCH(bool, stored);
    QFETCH(bool, liveMode);
    QFETCH(bool, memoryBefore);
    QFETCH(bool, sharing);
    QFETCH(QRect, view);
    QFETCH(QString, sizing);
    makeStore(stored, liveMode);
    m_store->liveMode = memoryBefore;
    m_store->desktopSharing = sharing;
    makePage();
    QCOMPARE(m_store->liveMode, liveMode);
    QCOMPARE(m_page->previewTarget()->geometry(), view);
    QCOMPARE(m_core->calls.filter("_size(").value(0), sizing);
    // Re-running the preview makes no second box.
    const int children = m_page->findChild<QLabel*>("label_3")->findChildren<QWidget*>().size();
    m_page->openCarmera(2);
    QCOMPARE(m_page->findChild<QLabel*>("label_3")->findChildren<QWidget*>().size(), children);
    QCOMPARE(m_core->displays.size(), 1);
}

void tst_VideoSettingDialog::destructionRemovesTheDisplay()
{
    makeStore();
    makePage();
    QCOMPARE(m_core->displays.size(), 1);
    m_page->openCarmera(0); // any other state removes it
    QVERIFY(m_core->displays.isEmpty());
    QVERIFY(m_page->previewTarget()->isHidden());
    m_page->openCarmera(2);
    QCOMPARE(m_core->displays.size(), 1);
    m_core->clearCalls();
    m_page.reset();
    QCOMPARE(m_core->calls, QStringList{"core_destroy_setting_display(camera source)"});
    QVERIFY(m_core->displays.isEmpty());
}

QTEST_MAIN(tst_VideoSettingDialog)
#include "tst_VideoSettingDialog.moc"
