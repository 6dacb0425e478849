#pragma once
// The audio page: the broadcast's microphone and desktop sound on or off, their volumes, and the
// microphone's input level.
//
// Switches and sliders act on the engine at once and write the settings file and the store's
// members, so a page built later shows what is in effect. The microphone list only shows the
// names the engine lists: the engine always captures the system's default input.
//
// The level meter: while the page is visible, the engine lists a microphone and the microphone
// is on, a LevelInput writes the default input into a Device and a 100 ms timer puts the level of
// what arrived in between on the meter. No nested event loop: the page may be deleted (a tab press)
// at any moment. An input that cannot run leaves the meter at 0 and is not retried until sampling
// starts again. Tests replace the input through setLevelInputFactory.

#include "settings/SettingsPage.h"

#include <functional>

class Device;
class QTimer;
class LevelInput;

namespace Ui
{
class AudioSettingDialog;
}

class AudioSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    using LevelInputFactory = std::function<LevelInput*()>;
    // Sampling period of the meter.
    static constexpr int kLevelIntervalMs = 100;

    explicit AudioSettingDialog(QWidget* parent = nullptr);
    ~AudioSettingDialog() override;

    // Replaces the default audio input (an empty function restores it).
    static void setLevelInputFactory(LevelInputFactory factory);

    // Whether the meter is sampling now (input running or failed, timer on).
    bool isSampling() const { return m_sampling; }

signals:
    // The microphone switch (true: on).
    void changeInputAudioStatus(bool b);

public slots:
    // One level: what the input wrote since the last tick.
    void timeout();
    void updateSlider(uchar level);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Both kept here: the settings dialog is not moved from this page.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setMicOn(bool on);
    void setDesktopOn(bool on);
    void setMicVolume(int value);
    void setDesktopVolume(int value);
    void showMicControls(bool active);
    void showDesktopControls(bool active);
    // Starts or stops the input and the timer to match visibility, devices and the switch.
    void updateSampling();
    void startInput();
    void stopInput();

    Ui::AudioSettingDialog* ui;
    QTimer* m_levelTimer = nullptr; // owned
    Device* m_device = nullptr;
    LevelInput* m_input = nullptr;
    bool m_hasMic = false;
    bool m_pageShown = false;
    bool m_sampling = false;

    static LevelInputFactory s_levelInputFactory;
};
