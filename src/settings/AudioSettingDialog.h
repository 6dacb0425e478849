#pragma once
// Stand-in for the audio page (devices, volumes, level meter), replaced when that page lands. It
// only carries the signal the settings dialog relays.

#include "settings/SettingsPage.h"

class AudioSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    explicit AudioSettingDialog(QWidget* parent = nullptr) : SettingsPage(parent)
    {
        resize(482, 528);
        setStyleSheet(QStringLiteral("background-color: #FCFDFE;"));
    }

signals:
    // The microphone switch.
    void changeInputAudioStatus(bool on);
};
