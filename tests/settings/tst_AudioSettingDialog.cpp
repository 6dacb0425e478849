// test-label: unit
// The audio page on the fake engine and a fake input: the microphone list, what the switches and
// sliders do to the engine, the settings file and the store, when the meter samples, and what it
// shows for what the input wrote. Last, the default input with no sound server.
#include "core/DataCenter.h"
#include "settings/AudioSettingDialog.h"
#include "settings/Device.h"
#include "settings/SettingsDialog.h"
#include "support/FakeLiveCore.h"
#include "support/PcmSamples.h"
#include "support/SettingsFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

using Values = SettingValues;

namespace
{
// The inputs the page made, in order; the test writes blocks through the running one.
class FakeLevelInput : public LevelInput
{
public:
    static inline QList<QPointer<FakeLevelInput>> made;
    static inline bool refuseStart = false;

    FakeLevelInput() { made << this; }
    bool start(QIODevice* sink) override
    {
        m_sink = sink;
        running = !refuseStart;
        return running;
    }
    void stop() override { running = false; }
    void write(const QByteArray& block)
    {
        QVERIFY(running && m_sink && m_sink->write(block) == block.size());
    }
    void fail()
    {
        running = false;
        emit failed();
    }

    bool running = false;

private:
    QPointer<QIODevice> m_sink;
};

int runningInputs()
{
    int n = 0;
    for (const auto& input : FakeLevelInput::made)
        n += input && input->running ? 1 : 0;
    return n;
}

QStringList messages;
void collectMessages(QtMsgType, const QMessageLogContext&, const QString& text)
{
    messages << text;
}
} // namespace

class tst_AudioSettingDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsTheEngineMicrophones();
    void withoutMicrophoneNothingSamples();
    void showsWhatIsInMemory_data();
    void showsWhatIsInMemory();
    void volumesReachEngineFileAndMemory();
    void desktopSwitch();
    void microphoneSwitch();
    void meterShowsTheLevelOfEachTick();
    void failedInputLeavesTheMeterAtZero();
    void samplesOnlyWhileVisible();
    void tabPressWhileSamplingDeletesThePage();
    void defaultInputWithoutSoundServer();

private:
    void makeStore(const Values& file = {});
    void makePage();
    Values fileValues() { return readSettingValues(*m_store); }
    template <typename T> T* child(const char* name)
    {
        return m_page->findChild<T*>(QString::fromLatin1(name));
    }
    QSlider* meter() { return child<QSlider>("desktop_volume"); }
    QTimer* levelTimer() { return m_page->findChild<QTimer*>(QStringLiteral("level_timer")); }

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<AudioSettingDialog> m_page;
};

void tst_AudioSettingDialog::init()
{
    QFile::remove(m_dir.filePath("config.ini"));
    FakeLevelInput::made.clear();
    FakeLevelInput::refuseStart = false;
    AudioSettingDialog::setLevelInputFactory([] { return new FakeLevelInput; });
    m_core = std::make_unique<FakeLiveCore>();
    m_core->microphones = QStringList{"Default", "Mic A", "Mic B"};
}

void tst_AudioSettingDialog::cleanup()
{
    m_page.reset();
    AudioSettingDialog::setLevelInputFactory(nullptr);
    m_core.reset();
    CDataCenter::setInstanceForTesting(nullptr);
    m_store.reset();
}

void tst_AudioSettingDialog::makeStore(const Values& file)
{
    m_store = makeTestStore(m_dir.filePath("config.ini"), file);
}

void tst_AudioSettingDialog::makePage()
{
    if (!m_store)
        makeStore();
    m_page = std::make_unique<AudioSettingDialog>();
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_core->clearCalls();
}

void tst_AudioSettingDialog::listsTheEngineMicrophones()
{
    makePage();
    auto* list = child<QComboBox>("mic_cbx");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    QCOMPARE(items, (QStringList{"Mic A", "Mic B"}));
    for (QWidget* w : QList<QWidget*>{list, child<QSlider>("mic_volume"), meter()})
        QVERIFY(w->isEnabled());
    QVERIFY(child<QCheckBox>("mic_switch")->isChecked());
    QVERIFY(child<QCheckBox>("desktop_audio_switch")->isChecked());
    QVERIFY(child<QSlider>("horizontalSlider_2")->isEnabled());
    QVERIFY(m_page->isSampling());
    QVERIFY(levelTimer()->isActive());
    QCOMPARE(levelTimer()->interval(), 100);
    QCOMPARE(runningInputs(), 1);
    // Choosing another microphone changes nothing: the engine captures the default input.
    list->setCurrentIndex(1);
    QCOMPARE(m_core->calls, QStringList());
    QCOMPARE(fileValues(), Values{});
}

void tst_AudioSettingDialog::withoutMicrophoneNothingSamples()
{
    m_core->microphones.clear();
    makePage();
    auto* list = child<QComboBox>("mic_cbx");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->itemText(0), QString::fromUtf8("暂无设备"));
    for (QWidget* w : QList<QWidget*>{list, child<QSlider>("mic_volume"), meter()})
        QVERIFY(!w->isEnabled());
    QCOMPARE(meter()->value(), 0);
    QVERIFY(!m_page->isSampling());
    QVERIFY(!levelTimer()->isActive());
    QVERIFY(FakeLevelInput::made.isEmpty());

    // The switch still records the choice, and only that.
    QSignalSpy status(m_page.get(), &AudioSettingDialog::changeInputAudioStatus);
    auto* micSwitch = child<QCheckBox>("mic_switch");
    QTest::mouseClick(micSwitch, Qt::LeftButton);
    QVERIFY(!micSwitch->isChecked());
    QCOMPARE(fileValues(), (Values{{"CloseMicAudio", "true"}}));
    QVERIFY(m_store->closeMicAudio);
    QTest::mouseClick(micSwitch, Qt::LeftButton);
    QCOMPARE(fileValues(), (Values{{"CloseMicAudio", "false"}}));
    QVERIFY(!m_store->closeMicAudio);
    QCOMPARE(m_core->calls, QStringList());
    QCOMPARE(status.count(), 0);
    QVERIFY(FakeLevelInput::made.isEmpty());
    QVERIFY(!list->isEnabled());
}

void tst_AudioSettingDialog::showsWhatIsInMemory_data()
{
    QTest::addColumn<Values>("file");
    QTest::addColumn<int>("micMemory"); // -1: as loaded
    QTest::addColumn<int>("micShown");
    QTest::addColumn<int>("desktopShown");
    QTest::addColumn<bool>("micOn");
    QTest::addColumn<bool>("desktopOn");
    QTest::newRow("nothing stored") << Values{} << -1 << 30 << 30 << true << true;
    QTest::newRow("stored values") << Values{{"InputAudio", "45"}, {"OutPutAudio", "0"}} << -1 << 45 << 0
                                   << true << true;
    // The store holds loaded volumes to 0..100; the page's own rule is for memory above 100.
    QTest::newRow("stored 150 loads as 100")
        << Values{{"InputAudio", "150"}, {"OutPutAudio", "100"}} << -1 << 100 << 100 << true << true;
    QTest::newRow("memory 150 shows 30") << Values{} << 150 << 30 << 30 << true << true;
    QTest::newRow("both off") << Values{{"CloseMicAudio", "true"}, {"CloseDesktopAudio", "true"}} << -1 << 30
                              << 30 << false << false;
}

void tst_AudioSettingDialog::showsWhatIsInMemory()
{
    QFETCH(Values, file);
    QFETCH(int, micMemory);
    QFETCH(int, micShown);
    QFETCH(int, desktopShown);
    QFETCH(bool, micOn);
    QFETCH(bool, desktopOn);
    makeStore(file);
    if (micMemory >= 0)
        m_store->inputAudio = micMemory;
    makePage();
    QCOMPARE(child<QSlider>("mic_volume")->value(), micShown);
    QCOMPARE(child<QSlider>("horizontalSlider_2")->value(), desktopShown);
    QCOMPARE(child<QCheckBox>("mic_switch")->isChecked(), micOn);
    QCOMPARE(child<QCheckBox>("desktop_audio_switch")->isChecked(), desktopOn);
    QCOMPARE(child<QSlider>("mic_volume")->isEnabled(), micOn);
    QCOMPARE(meter()->isEnabled(), micOn);
    QCOMPARE(child<QSlider>("horizontalSlider_2")->isEnabled(), desktopOn);
    QCOMPARE(child<QSlider>("horizontalSlider_2")->styleSheet().contains("#0669F5"), desktopOn);
    QCOMPARE(m_page->isSampling(), micOn);
    // Building the page writes nothing.
    QCOMPARE(fileValues(), file);
    QCOMPARE(m_core->calls, QStringList());
}

void tst_AudioSettingDialog::volumesReachEngineFileAndMemory()
{
    makePage();
    child<QSlider>("mic_volume")->setValue(45);
    QCOMPARE(m_core->calls, QStringList{"source_set_mic_volume(0.45)"});
    QCOMPARE(m_core->micVolume, 0.45f);
    QCOMPARE(m_store->inputAudio, 45);

    m_core->clearCalls();
    child<QSlider>("horizontalSlider_2")->setValue(60);
    QCOMPARE(m_core->calls, QStringList{"source_set_desktop_volume(0.6)"});
    QCOMPARE(m_store->outPutAudio, 60);
    QCOMPARE(fileValues(), (Values{{"InputAudio", "45"}, {"OutPutAudio", "60"}}));

    // A page built now shows what is in effect.
    makePage();
    QCOMPARE(child<QSlider>("mic_volume")->value(), 45);
    QCOMPARE(child<QSlider>("horizontalSlider_2")->value(), 60);

    // The desktop slider of switched-off desktop sound does nothing.
    QTest::mouseClick(child<QCheckBox>("desktop_audio_switch"), Qt::LeftButton);
    QVERIFY(!child<QCheckBox>("desktop_audio_switch")->isChecked());
    m_core->clearCalls();
    child<QSlider>("horizontalSlider_2")->setValue(80);
    QCOMPARE(m_core->calls, QStringList());
    QCOMPARE(m_store->outPutAudio, 60);
    QCOMPARE(fileValues().value("OutPutAudio"), QString("60"));
}

void tst_AudioSettingDialog::desktopSwitch()
{
    makeStore({{"CloseDesktopAudio", "true"}, {"OutPutAudio", "70"}});
    makePage();
    auto* desktop = child<QCheckBox>("desktop_audio_switch");
    auto* slider = child<QSlider>("horizontalSlider_2");
    QVERIFY(!slider->isEnabled());

    QTest::mouseClick(desktop, Qt::LeftButton);
    QCOMPARE(m_core->calls,
             (QStringList{"core_set_desktop_audio_source(false)", "core_set_desktop_audio_source(true)",
                          "source_set_desktop_volume(0.7)"}));
    QCOMPARE(m_core->desktopVolume, 0.7f); // not the new source's 1
    QVERIFY(slider->isEnabled());
    QVERIFY(slider->styleSheet().contains("#0669F5"));
    QVERIFY(!m_store->closeDesktopAudio);
    QCOMPARE(fileValues().value("CloseDesktopAudio"), QString("false"));

    m_core->clearCalls();
    QTest::mouseClick(desktop, Qt::LeftButton);
    QCOMPARE(m_core->calls, QStringList{"core_set_desktop_audio_source(false)"});
    QVERIFY(!m_core->sources.contains("audio_output"));
    QVERIFY(!slider->isEnabled());
    QVERIFY(slider->styleSheet().contains("#bbbbbb"));
    QVERIFY(m_store->closeDesktopAudio);
    QCOMPARE(fileValues().value("CloseDesktopAudio"), QString("true"));
}

void tst_AudioSettingDialog::microphoneSwitch()
{
    makeStore({{"InputAudio", "45"}});
    m_core->core_set_mic_source(true); // as at start-up
    makePage();
    QSignalSpy status(m_page.get(), &AudioSettingDialog::changeInputAudioStatus);
    auto* mic = child<QCheckBox>("mic_switch");
    FakeLevelInput::made.first()->write(pcmSamples(1000, 32767));
    m_page->timeout();
    QCOMPARE(meter()->value(), 90);

    QTest::mouseClick(mic, Qt::LeftButton);
    QCOMPARE(m_core->calls, QStringList{"core_set_mic_source(false)"});
    QVERIFY(!m_page->isSampling());
    QVERIFY(!levelTimer()->isActive());
    QCOMPARE(runningInputs(), 0);
    QCOMPARE(meter()->value(), 0);
    QVERIFY(!meter()->isEnabled() && !child<QSlider>("mic_volume")->isEnabled() &&
            !child<QComboBox>("mic_cbx")->isEnabled());
    QVERIFY(m_store->closeMicAudio);
    QCOMPARE(fileValues().value("CloseMicAudio"), QString("true"));

    m_core->clearCalls();
    QTest::mouseClick(mic, Qt::LeftButton);
    // The new source gets the slider's volume, not its own full volume.
    QCOMPARE(m_core->calls, (QStringList{"core_set_mic_source(true)", "source_set_mic_volume(0.45)"}));
    QCOMPARE(m_core->micVolume, 0.45f);
    QVERIFY(m_page->isSampling());
    QVERIFY(levelTimer()->isActive());
    QCOMPARE(FakeLevelInput::made.size(), 2);
    QCOMPARE(runningInputs(), 1);
    QVERIFY(meter()->isEnabled());
    QVERIFY(!m_store->closeMicAudio);
    QCOMPARE(fileValues().value("CloseMicAudio"), QString("false"));
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QCOMPARE(status.at(1).at(0).toBool(), true);
}

void tst_AudioSettingDialog::meterShowsTheLevelOfEachTick()
{
    makePage();
    FakeLevelInput* input = FakeLevelInput::made.value(0);
    QVERIFY(input && input->running);
    for (const QByteArray& block : pcmBlocks(halfScaleSine(), 4092, 4))
        input->write(block);
    m_page->timeout();
    QCOMPARE(meter()->value(), 80);
    // A tick with nothing written leaves the meter.
    m_page->timeout();
    QCOMPARE(meter()->value(), 80);
    input->write(pcmSamples(4410 * 2, 0));
    m_page->timeout();
    QCOMPARE(meter()->value(), 0);
    // The timer drives it on its own as well.
    input->write(pcmSamples(1000, 2));
    QTRY_COMPARE(meter()->value(), 6);
}

void tst_AudioSettingDialog::failedInputLeavesTheMeterAtZero()
{
    makePage();
    FakeLevelInput* input = FakeLevelInput::made.value(0);
    input->write(pcmSamples(1000, 32767));
    m_page->timeout();
    QCOMPARE(meter()->value(), 90);
    input->fail();
    QCOMPARE(meter()->value(), 0);
    for (int i = 0; i < 5; ++i)
        m_page->timeout();
    QCOMPARE(FakeLevelInput::made.size(), 1); // not retried every tick

    // Sampling again tries anew; an input that does not start leaves the meter at 0.
    FakeLevelInput::refuseStart = true;
    m_page->hide();
    m_page->show();
    QCOMPARE(FakeLevelInput::made.size(), 2);
    m_page->timeout();
    QCOMPARE(meter()->value(), 0);
}

void tst_AudioSettingDialog::samplesOnlyWhileVisible()
{
    makeStore();
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mousePress(dialog.findChild<QLabel*>("audio_label"), Qt::LeftButton);
    auto* page = qobject_cast<AudioSettingDialog*>(dialog.currentPage());
    QVERIFY(page);
    QVERIFY(page->isSampling());
    QCOMPARE(runningInputs(), 1);

    // Closed, the dialog keeps its page, which stops listening until it is shown again.
    QTest::mouseClick(dialog.findChild<QPushButton*>("close_btn"), Qt::LeftButton);
    QCOMPARE(dialog.currentPage(), page);
    QVERIFY(!page->isSampling());
    QCOMPARE(runningInputs(), 0);
    dialog.showNormal();
    QVERIFY(page->isSampling());
    QCOMPARE(runningInputs(), 1);
}

void tst_AudioSettingDialog::tabPressWhileSamplingDeletesThePage()
{
    makeStore();
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mousePress(dialog.findChild<QLabel*>("audio_label"), Qt::LeftButton);
    QPointer<QWidget> page = dialog.currentPage();
    QPointer<FakeLevelInput> input = FakeLevelInput::made.value(0);
    input->write(pcmSamples(1000, 100));
    QTest::qWait(250); // ticks come and go
    QTest::mousePress(dialog.findChild<QLabel*>("help_label"), Qt::LeftButton);
    QVERIFY(!page);
    QVERIFY(!input || !input->running);
    QTest::qWait(250); // nothing of the page is left to tick
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_AudioSettingDialog::defaultInputWithoutSoundServer()
{
    // The real input, with no sound server to reach: the meter stays at 0 and the failure is
    // logged once, not once per tick.
    AudioSettingDialog::setLevelInputFactory(nullptr);
    makePage();
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessages);
    m_page->hide();
    m_page->show();
    QTest::qWait(1000);
    qInstallMessageHandler(previous);
    QCOMPARE(meter()->value(), 0);
    QCOMPARE(messages.filter("level meter").size(), 1);
}

int main(int argc, char** argv)
{
    // No sound server for this test, whatever the machine has.
    qputenv("PULSE_SERVER", "unix:/nonexistent/solvek-no-sound-server");
    QApplication app(argc, argv);
    tst_AudioSettingDialog test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_AudioSettingDialog.moc"
