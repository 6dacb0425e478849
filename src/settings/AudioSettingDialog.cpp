#include "settings/AudioSettingDialog.h"
#include "ui_AudioSettingDialog.h"

#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "settings/Device.h"

#include <QMouseEvent>
#include <QTimer>

namespace
{
const char kSwitchStyle[] =
    "QCheckBox::indicator{width:44px;height:22px;image:url(:/images/settings/switch_close.png);}"
    "QCheckBox::indicator:checked{image:url(:/images/settings/switch_open.png);}";
// The filled part is blue while the control is active, grey while it is switched off.
const char kSliderStyle[] = "QSlider::groove:horizontal{height:4px;background:#DEE3E8;border-radius:2px;}"
                            "QSlider::sub-page:horizontal{background:%1;border-radius:2px;}"
                            "QSlider::handle:horizontal{width:%2px;height:19px;margin:-8px 0;%3}";
const char kActive[] = "#0669F5";
const char kInactive[] = "#bbbbbb";
const char kHandleImage[] = "border-image:url(:/images/settings/slider.png);";
const char kNoDevice[] = "暂无设备";

QString sliderStyle(bool active, bool withHandle)
{
    return QString::fromLatin1(kSliderStyle)
        .arg(QLatin1String(active ? kActive : kInactive))
        .arg(withHandle ? 19 : 0)
        .arg(QLatin1String(withHandle ? kHandleImage : ""));
}

QString flagText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Volumes above 100 (the store holds its loaded values to 0..100, but a member can be set to
// anything) show as the default.
int shownVolume(int stored)
{
    return stored > 100 ? 30 : stored;
}
} // namespace

AudioSettingDialog::LevelInputFactory AudioSettingDialog::s_levelInputFactory;

void AudioSettingDialog::setLevelInputFactory(LevelInputFactory factory)
{
    s_levelInputFactory = std::move(factory);
}

AudioSettingDialog::AudioSettingDialog(QWidget* parent) : SettingsPage(parent), ui(new Ui::AudioSettingDialog)
{
    ui->setupUi(this);
    styleDeviceList(ui->mic_cbx);
    ui->mic_switch->setStyleSheet(QLatin1String(kSwitchStyle));
    ui->desktop_audio_switch->setStyleSheet(QLatin1String(kSwitchStyle));

    LiveCore* core = LiveCore::get_instance();
    const int count = core->core_get_audio_count();
    for (int i = 0; i < count; ++i) {
        const char* name = core->core_get_audio_name(i);
        const QString text = QString::fromUtf8(name ? name : "");
        // The engine's own entry for the system default, not a device.
        if (text != QLatin1String("Default"))
            ui->mic_cbx->addItem(text);
    }
    m_hasMic = count > 0;
    if (!m_hasMic)
        ui->mic_cbx->addItem(QString::fromUtf8(kNoDevice));

    auto store = CDataCenter::getInstance();
    ui->mic_switch->setChecked(!store->closeMicAudio);
    ui->desktop_audio_switch->setChecked(!store->closeDesktopAudio);
    ui->mic_volume->setValue(shownVolume(store->inputAudio));
    ui->horizontalSlider_2->setValue(shownVolume(store->outPutAudio));
    ui->desktop_volume->setValue(0);

    m_device = new Device(this);
    m_device->open(QIODevice::WriteOnly);
    connect(m_device, &Device::levelChanged, this, &AudioSettingDialog::updateSlider);
    m_levelTimer = new QTimer(this);
    m_levelTimer->setObjectName(QStringLiteral("level_timer"));
    m_levelTimer->setInterval(kLevelIntervalMs);
    connect(m_levelTimer, SIGNAL(timeout()), this, SLOT(timeout()));

    showDesktopControls(!store->closeDesktopAudio);
    showMicControls(m_hasMic && !store->closeMicAudio);

    // Connected after the controls took their state: building the page writes nothing.
    connect(ui->mic_volume, &QSlider::valueChanged, this, &AudioSettingDialog::setMicVolume);
    connect(ui->horizontalSlider_2, &QSlider::valueChanged, this, &AudioSettingDialog::setDesktopVolume);
    connect(ui->mic_switch, &QCheckBox::toggled, this, &AudioSettingDialog::setMicOn);
    connect(ui->desktop_audio_switch, &QCheckBox::toggled, this, &AudioSettingDialog::setDesktopOn);
}

AudioSettingDialog::~AudioSettingDialog()
{
    m_levelTimer->stop();
    stopInput(); // before the device it writes into goes
    delete ui;
}

void AudioSettingDialog::showMicControls(bool active)
{
    ui->mic_cbx->setEnabled(active);
    ui->mic_volume->setEnabled(active);
    ui->desktop_volume->setEnabled(active);
    ui->mic_volume->setStyleSheet(sliderStyle(active, true));
    ui->desktop_volume->setStyleSheet(sliderStyle(active, false));
    if (!active)
        ui->desktop_volume->setValue(0);
}

void AudioSettingDialog::showDesktopControls(bool active)
{
    ui->horizontalSlider_2->setEnabled(active);
    ui->horizontalSlider_2->setStyleSheet(sliderStyle(active, true));
}

void AudioSettingDialog::setMicOn(bool on)
{
    auto store = CDataCenter::getInstance();
    store->closeMicAudio = !on;
    if (m_hasMic) {
        LiveCore* core = LiveCore::get_instance();
        core->core_set_mic_source(on);
        // A microphone switched on is a new source at full volume: give it the slider's.
        if (on)
            core->source_set_mic_volume(float(ui->mic_volume->value()) / 100.0f);
        showMicControls(on);
        updateSampling();
    } else {
        ui->desktop_volume->setValue(0);
    }
    store->setValue(QStringLiteral("CloseMicAudio"), flagText(!on));
    if (m_hasMic)
        emit changeInputAudioStatus(on);
}

void AudioSettingDialog::setDesktopOn(bool on)
{
    auto store = CDataCenter::getInstance();
    LiveCore* core = LiveCore::get_instance();
    store->closeDesktopAudio = !on;
    store->setValue(QStringLiteral("CloseDesktopAudio"), flagText(!on));
    showDesktopControls(on);
    core->core_set_desktop_audio_source(false);
    if (on) {
        core->core_set_desktop_audio_source(true);
        core->source_set_desktop_volume(float(ui->horizontalSlider_2->value()) / 100.0f);
    }
}

void AudioSettingDialog::setMicVolume(int value)
{
    LiveCore::get_instance()->source_set_mic_volume(float(value) / 100.0f);
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("InputAudio"), QString::number(value));
    store->inputAudio = value;
}

void AudioSettingDialog::setDesktopVolume(int value)
{
    if (!ui->desktop_audio_switch->isChecked())
        return;
    LiveCore::get_instance()->source_set_desktop_volume(float(value) / 100.0f);
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("OutPutAudio"), QString::number(value));
    store->outPutAudio = value;
}

// ---- the level meter ---------------------------------------------------------------------------------

void AudioSettingDialog::showEvent(QShowEvent* event)
{
    SettingsPage::showEvent(event);
    m_pageShown = true;
    updateSampling();
}

void AudioSettingDialog::hideEvent(QHideEvent* event)
{
    SettingsPage::hideEvent(event);
    m_pageShown = false;
    updateSampling();
}

void AudioSettingDialog::updateSampling()
{
    const bool wanted = m_pageShown && m_hasMic && ui->mic_switch->isChecked();
    if (wanted == m_sampling)
        return;
    m_sampling = wanted;
    if (wanted) {
        startInput();
        m_levelTimer->start();
    } else {
        m_levelTimer->stop();
        stopInput();
        ui->desktop_volume->setValue(0);
    }
}

void AudioSettingDialog::startInput()
{
    m_device->clear();
    m_input = s_levelInputFactory ? s_levelInputFactory() : new QtLevelInput;
    if (!m_input)
        return;
    m_input->setParent(this);
    connect(m_input, &LevelInput::failed, this, [this] {
        // Not retried every tick: one log line, not ten a second. Sampling again (the page shown
        // again, the microphone switched on again) tries anew.
        stopInput();
        ui->desktop_volume->setValue(0);
    });
    if (!m_input->start(m_device)) {
        stopInput();
        ui->desktop_volume->setValue(0);
    }
}

void AudioSettingDialog::stopInput()
{
    if (!m_input)
        return;
    LevelInput* input = m_input;
    m_input = nullptr;
    input->disconnect(this);
    input->stop();
    input->deleteLater(); // may be inside its own signal
    m_device->clear();
}

void AudioSettingDialog::timeout()
{
    if (m_input)
        m_device->takeLevel();
}

void AudioSettingDialog::updateSlider(uchar level)
{
    ui->desktop_volume->setValue(int(level));
}

void AudioSettingDialog::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void AudioSettingDialog::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}
