#pragma once
// Minimal host camera tile (replaced by the full co-host tile).
#include "login/LoginInfo.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

class SceneWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SceneWidget(QWidget* parent = nullptr) : QWidget(parent)
    {
        setFixedSize(160, 120);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_cameraView = new QLabel(this);
        m_cameraView->setAttribute(Qt::WA_NativeWindow);
        layout->addWidget(m_cameraView);
    }
    void setAnchorPhoto(LoginInfo* info) { m_loginInfo = info; }
    LoginInfo* anchorInfo() const { return m_loginInfo; }
    WId cameraViewWinId() { return m_cameraView->winId(); }
    void placeToolWidget() {}
    void setLiveMode(int mode) { m_liveMode = mode; }
    int liveMode() const { return m_liveMode; }
    void setDeviceAvailability(bool hasMic, bool hasCamera)
    {
        m_hasMic = hasMic;
        m_hasCamera = hasCamera;
    }
    // The tile's live camera view (true) or its avatar; true also hides the in-use badge.
    void setCameraShown(bool shown)
    {
        m_cameraShown = shown;
        if (shown)
            m_inUseBadge = false;
    }
    bool cameraShown() const { return m_cameraShown; }
    // Whether the host may drag the tile onto the preview.
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    bool dragEnabled() const { return m_dragEnabled; }
    void setInUseBadgeVisible(bool visible) { m_inUseBadge = visible; }
    bool inUseBadgeVisible() const { return m_inUseBadge; }

signals:
    void sendMirrorStatus();

private:
    QLabel* m_cameraView = nullptr;
    LoginInfo* m_loginInfo = nullptr;
    bool m_hasMic = false;
    bool m_hasCamera = false;
    int m_liveMode = 0;
    bool m_cameraShown = true;
    bool m_dragEnabled = true;
    bool m_inUseBadge = false;
};
