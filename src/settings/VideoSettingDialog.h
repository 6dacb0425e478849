#pragma once
// The video page: the camera list and a live preview of "camera source" inside the page.
//
// The chosen camera's name and index go to the store, where the main window finds them the next
// time it sets up the camera source; the camera that is live keeps its device until then. The
// preview is an engine display drawn into a native child of the preview area, which keeps its
// placeholder picture while there is no display (no camera). The preview lasts as long as the
// page, hidden with its dialog or not. The engine adds a draw callback per display creation on a
// window, so re-running the preview removes the page's display first; the page's destruction
// removes it too. The orientation choice and the camera and mirror
// check boxes of this page are never shown and are not built; "LiveMode" is still copied into the
// store.

#include "settings/SettingsPage.h"

namespace Ui
{
class VideoSettingDialog;
}

class VideoSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    explicit VideoSettingDialog(QWidget* parent = nullptr);
    ~VideoSettingDialog() override;

    // The window the preview draws into now (null before the first preview).
    QWidget* previewTarget() const { return m_target; }

signals:
    // Emitted after every change of camera choice.
    void changeShowCarmera();
    // An orientation change refused because a broadcast runs.
    void sendOutPutLiveInfoSig();

public slots:
    // 2 shows the preview (again), anything else removes it.
    void openCarmera(int state);

protected:
    // Moves go on to the settings dialog, which moves its window, except over the camera list.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void removePreview();
    QWidget* makeTarget();

    Ui::VideoSettingDialog* ui;
    bool m_hasCamera = false;
    bool m_displayTried = false; // the engine remembers even a failed display until it is removed
    QWidget* m_landscapeView = nullptr;
    QWidget* m_portraitView = nullptr; // the 9:16 box, made once
    QWidget* m_target = nullptr;
};
