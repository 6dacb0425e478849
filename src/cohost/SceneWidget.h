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

signals:
    void sendMirrorStatus();

private:
    QLabel* m_cameraView = nullptr;
    LoginInfo* m_loginInfo = nullptr;
    bool m_hasMic = false;
    bool m_hasCamera = false;
    int m_liveMode = 0;
};
