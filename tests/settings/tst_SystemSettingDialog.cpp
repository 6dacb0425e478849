// test-label: unit
// The system page: what it shows for what the settings file and the store hold (building it
// writes nothing), and what each click writes to the file and to the store.
#include "core/DataCenter.h"
#include "settings/SystemSettingDialog.h"
#include "support/SettingsFile.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using Values = SettingValues;

class tst_SystemSettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsWhatIsStored_data();
    void showsWhatIsStored();
    void clicksWriteFileAndStore_data();
    void clicksWriteFileAndStore();
    void clickOnTheCheckedButtonWritesNothing();
    void scrollMovesTheContent();

private:
    void makeStore(const Values& file);
    // The "setting" group of the file as it is on disk now.
    Values fileValues() { return readSettingValues(*m_store); }
    QRadioButton* radio(const char* name) { return m_page->findChild<QRadioButton*>(name); }
    QString checkedText(const char* group);

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<SystemSettingDialog> m_page;
};

void tst_SystemSettingDialog::init()
{
    QFile::remove(m_dir.filePath("config.ini"));
}

void tst_SystemSettingDialog::cleanup()
{
    m_page.reset();
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

void tst_SystemSettingDialog::makeStore(const Values& file)
{
    m_store = makeTestStore(m_dir.filePath("config.ini"), file);
}

QString tst_SystemSettingDialog::checkedText(const char* group)
{
    for (QRadioButton* r : m_page->findChild<QWidget*>(group)->findChildren<QRadioButton*>())
        if (r->isChecked())
            return r->text();
    return QString();
}

void tst_SystemSettingDialog::showsWhatIsStored_data()
{
    QTest::addColumn<Values>("file");
    QTest::addColumn<int>("quality"); // the store's member, set before the page is built
    QTest::addColumn<QString>("qualityShown");
    QTest::addColumn<QString>("fpsShown");
    QTest::addColumn<bool>("dontAsk");
    QTest::addColumn<QString>("closeShown");
    QTest::addColumn<bool>("exitInMemory");
    const QString exit = QString::fromUtf8("退出程序"), minimise = QString::fromUtf8("最小化到任务栏");
    QTest::newRow("empty file") << Values{} << 2 << "超清" << "30fps" << false << exit << true;
    QTest::newRow("fps 25 reads as 30") << Values{{"LiveFps", "25"}} << 2 << "超清" << "30fps" << false << exit
                                        << true;
    QTest::newRow("fps 24, standard") << Values{{"LiveFps", "24"}} << 0 << "标清" << "24fps" << false << exit
                                      << true;
    QTest::newRow("high") << Values{} << 1 << "高清" << "30fps" << false << exit << true;
    QTest::newRow("out of range quality") << Values{} << 7 << "超清" << "30fps" << false << exit << true;
    QTest::newRow("not asked, minimise")
        << Values{{"noTitleTipcheck", "true"}, {"ExitCheck", "false"}} << 2 << "超清" << "30fps" << true
        << minimise << false;
    QTest::newRow("exit stored") << Values{{"ExitCheck", "true"}, {"noTitleTipcheck", "false"}} << 2 << "超清"
                                 << "30fps" << false << exit << true;
}

void tst_SystemSettingDialog::showsWhatIsStored()
{
    QFETCH(Values, file);
    QFETCH(int, quality);
    QFETCH(QString, qualityShown);
    QFETCH(QString, fpsShown);
    QFETCH(bool, dontAsk);
    QFETCH(QString, closeShown);
    QFETCH(bool, exitInMemory);
    makeStore(file);
    m_store->streamQuality = quality;
    // The page copies the file's close action into memory, whatever memory held.
    m_store->exitCheck = !exitInMemory;
    m_page = std::make_unique<SystemSettingDialog>();
    m_page->show();

    QCOMPARE(checkedText("groupBox"), qualityShown);
    QCOMPARE(checkedText("groupBox_2"), fpsShown);
    QCOMPARE(m_page->findChild<QCheckBox*>("noTitleTipcheck")->isChecked(), dontAsk);
    QCOMPARE(checkedText("groupBox_5"), closeShown);
    QCOMPARE(m_store->exitCheck, exitInMemory);
    QCOMPARE(m_store->noTitleTipcheck, dontAsk);
    QCOMPARE(m_store->streamQuality, quality);
    QCOMPARE(fileValues(), file);
}

void tst_SystemSettingDialog::clicksWriteFileAndStore_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<Values>("written");
    QTest::newRow("standard") << "standardRio" << Values{{"LiveType", "0"}};
    QTest::newRow("high") << "highRio" << Values{{"LiveType", "1"}};
    QTest::newRow("24fps") << "fps24Rio" << Values{{"LiveFps", "24"}};
    QTest::newRow("exit -> minimise") << "minRio" << Values{{"ExitCheck", "false"}};
    QTest::newRow("box on") << "noTitleTipcheck" << Values{{"noTitleTipcheck", "true"}};
}

void tst_SystemSettingDialog::clicksWriteFileAndStore()
{
    QFETCH(QString, control);
    QFETCH(Values, written);
    makeStore({});
    m_page = std::make_unique<SystemSettingDialog>();
    m_page->show();
    auto* button = m_page->findChild<QAbstractButton*>(control);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    QVERIFY(button->isChecked());
    QCOMPARE(fileValues(), written);
    QCOMPARE(m_store->streamQuality, control == "standardRio" ? 0 : control == "highRio" ? 1 : 2);
    QCOMPARE(m_store->liveFps, control == "fps24Rio" ? 24 : 30);
    QCOMPARE(m_store->exitCheck, control != "minRio");
    QCOMPARE(m_store->noTitleTipcheck, control == "noTitleTipcheck");

    // Back again: the other value, in the file and in memory.
    if (control == "noTitleTipcheck") {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
        QCOMPARE(fileValues(), (Values{{"noTitleTipcheck", "false"}}));
        QVERIFY(!m_store->noTitleTipcheck);
    }
    if (control == "minRio") {
        QTest::mouseClick(radio("exitsystemRio"), Qt::LeftButton, {}, QPoint(4, 8));
        QCOMPARE(fileValues(), (Values{{"ExitCheck", "true"}}));
        QVERIFY(m_store->exitCheck);
    }
}

void tst_SystemSettingDialog::clickOnTheCheckedButtonWritesNothing()
{
    makeStore({{"LiveFps", "25"}});
    m_page = std::make_unique<SystemSettingDialog>();
    m_page->show();
    for (const char* name : {"fps30Rio", "liveRio", "exitsystemRio"}) {
        QVERIFY(radio(name)->isChecked());
        QTest::mouseClick(radio(name), Qt::LeftButton, {}, QPoint(4, 8));
    }
    QCOMPARE(fileValues(), (Values{{"LiveFps", "25"}}));
}

void tst_SystemSettingDialog::scrollMovesTheContent()
{
    makeStore({});
    m_page = std::make_unique<SystemSettingDialog>();
    QWidget* content = m_page->findChild<QWidget*>("widget");
    QCOMPARE(content->geometry(), QRect(0, 0, 471, 351));
    m_page->changeScroll(150);
    QCOMPARE(content->pos(), QPoint(0, 50 - 351));
    m_page->changeScroll(1);
    QCOMPARE(content->pos(), QPoint(0, -2)); // -301 / 150, toward zero
}

QTEST_MAIN(tst_SystemSettingDialog)
#include "tst_SystemSettingDialog.moc"
