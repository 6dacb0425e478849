// Preview interaction: the window's one event filter (presses that close popups, the full-screen
// scene's keys, wheel and press, the title-bar items) and the camera overlay's mouse handling on
// the preview, which CameraOverlayHandler decides and this file carries out.
#include "shell/LiveMainWindow.h"

#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "canvas/ShowCarmeraWidget.h"
#include "canvas/SortPageMenu.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "core/UntrustedText.h"
#include "engine/LiveCore.h"
#include "shell/LiveControl.h"
#include "shell/LivePauseOrStopWidget.h"
#include "ui_LiveMainWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>

namespace
{
const char kCameraSource[] = "camera source";
} // namespace

void LiveMainWindow::initConnections()
{
    VideoWindows* preview = ui->preview_widget;
    connect(preview, &VideoWindows::sigShowRightMenu, this, &LiveMainWindow::handleShowRightMenu);
    connect(preview, &VideoWindows::sigDragSceneWidget, this, &LiveMainWindow::handleDragSceneWidget);
    connect(preview, &VideoWindows::sigReplyDragEvent, m_sceneCenterWidget, &SceneCenterWidget::onReplyDragEvent);
    connect(m_sceneCenterWidget, &SceneCenterWidget::sigCloseRemoteCamera, preview,
            &VideoWindows::handleRightMenuCancelRef);
}

bool LiveMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();

    // 1. Any press closes the popups that float over the window (the preview's menus and the pause
    // popup).
    if (type == QEvent::MouseButtonPress) {
        if (m_rightMenu) {
            m_rightMenu->hide();
            if (m_rightChildMenu)
                m_rightChildMenu->hide();
            if (m_sortPageMenu)
                m_sortPageMenu->hide();
        }
        if (m_pauseOrStopWidget && m_pauseOrStopWidget->isVisible())
            m_pauseOrStopWidget->hide();
    }

    // 2. The full-screen scene: Escape and a press on it end it, the wheel turns its pages.
    if (m_isFullScreen && m_sceneLbl) {
        if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            m_sceneLbl->isVisible()) {
            leaveSceneFullScreen();
            return true;
        }
        if (type == QEvent::Wheel && m_sceneLbl->isVisible()) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            const int delta = wheel->angleDelta().y();
            if (delta == 0)
                return true;
            turnLayoutPage(delta > 0, m_canvasWidth, m_canvasHeight, wheel);
        }
        if (type == QEvent::MouseButtonPress && watched == m_sceneLbl)
            leaveSceneFullScreen();
    }

    // 4. The title bar's items (the side tabs and the tip link are served by the chat page's own
    // filter).
    if (watched != ui->preview_widget) {
        if (watched == ui->room_name_label && type == QEvent::Enter) {
            // The room's name comes from the service: a plain tool tip, whatever it holds.
            ui->room_name_label->setToolTip(solvek::plainToolTip(liveControl()->roomName()));
        } else if (type == QEvent::MouseButtonPress && (watched == ui->user_photo || watched == ui->usernamelbl)) {
            on_settings_btn_clicked();
        }
        return QMainWindow::eventFilter(watched, event);
    }

    // 5. The preview: the camera overlay of the tool in use.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_liveType == mainwin::LiveTypeDesktopShare) {
            if (handleShareOverlay(mouse, CDataCenter::getInstance()->liveMode))
                return true;
        } else if (m_liveType == mainwin::LiveTypeDocument) {
            if (pressCameraOverlay(mouse))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool LiveMainWindow::handleShareOverlay(QMouseEvent* event, bool portrait)
{
    return feedCameraOverlay(portrait ? CameraOverlayHandler::Handling::Portrait
                                      : CameraOverlayHandler::Handling::LandscapeShare,
                             event);
}

bool LiveMainWindow::pressCameraOverlay(QMouseEvent* event)
{
    return feedCameraOverlay(CameraOverlayHandler::Handling::Document, event);
}

bool LiveMainWindow::feedCameraOverlay(CameraOverlayHandler::Handling handling, QMouseEvent* event)
{
    using Handling = CameraOverlayHandler::Handling;
    auto* core = LiveCore::get_instance();
    CameraOverlayHandler::Scene scene;
    scene.handling = handling;
    scene.cameraRead = core->scene_get_source_rect(kCameraSource, &scene.x, &scene.y, &scene.w, &scene.h);
    if (handling == Handling::Document)
        scene.cameraReadF =
            core->scene_get_source_rectf(kCameraSource, &scene.fx, &scene.fy, &scene.fw, &scene.fh);
    scene.preview = ui->preview_widget->size();
    scene.canvas = QSize(m_canvasWidth, m_canvasHeight);
    if (!m_Prelbl->isHidden())
        scene.shareLabel = m_Prelbl->size();
    scene.previewScale = core->core_get_preview_scale();
    scene.maximized = m_isMaximized;
    scene.menuAllowed = handling == Handling::Document ? m_docCameraOverlay : m_shareCameraOverlay && m_shareActive;

    const QPoint p = event->pos();
    CameraOverlayHandler::Result r;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        r = m_cameraOverlay.press(scene, p, event->button());
        break;
    case QEvent::MouseMove:
        r = m_cameraOverlay.move(scene, p, event->buttons());
        break;
    default:
        r = m_cameraOverlay.release(scene);
        break;
    }

    for (const CameraOverlayHandler::EngineCall& call : r.calls) {
        switch (call.op) {
        case CameraOverlayHandler::EngineCall::Pos:
            core->scene_set_source_pos(kCameraSource, int(call.a), int(call.b));
            break;
        case CameraOverlayHandler::EngineCall::PosfAbs:
            core->scene_set_source_posf_abs(kCameraSource, call.a, call.b, false, false);
            break;
        case CameraOverlayHandler::EngineCall::BaseSize:
            core->scene_set_source_base_size(kCameraSource, call.a, call.b, 1, false, false);
            break;
        }
    }
    if (r.setsCursor)
        ui->preview_widget->setCursor(r.cursor);
    if (r.hideCameraMenus && m_showCarmeraWidget)
        m_showCarmeraWidget->setMenusVisible(false);
    if (r.openMenu && m_rightMenu) {
        // The host's own camera; the submenus open beside this point.
        m_menuGlobalPos = event->globalPos();
        m_rightMenu->move(m_menuGlobalPos);
        m_rightMenu->show();
        m_rightMenu->setMode(0, 0);
    }
    return r.consumed;
}

void LiveMainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_isFullScreen && m_sceneLbl) {
        leaveSceneFullScreen();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
