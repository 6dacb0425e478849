#pragma once
// Stand-in for the video page (camera choice and preview), replaced when that page lands. It only
// carries the signal the settings dialog relays.

#include "settings/SettingsPage.h"

class VideoSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    explicit VideoSettingDialog(QWidget* parent = nullptr) : SettingsPage(parent)
    {
        resize(482, 528);
        setStyleSheet(QStringLiteral("background-color: #FCFDFE;"));
    }

signals:
    // An orientation change refused because a broadcast runs.
    void sendOutPutLiveInfoSig();
};
