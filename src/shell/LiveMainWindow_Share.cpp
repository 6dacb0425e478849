// Desktop and window share: the picker's choice goes onto the canvas through the engine, the
// preview shows it in m_Prelbl, the camera shrinks to an overlay and a bar offers the way out.
#include "shell/LiveMainWindow.h"

#include "canvas/AppPopupWindow.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "canvas/HideWindow.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/Toast.h"
#include "engine/LiveCore.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QLabel>
#include <QVBoxLayout>

namespace
{
const char* kCameraSource = "camera source";
const char* kDesktopSource = "desktop source";
const char* kWindowSource = "window source";
constexpr int kShareFailedToastMs = 2000;

LiveWindowHandle handleOf(QWidget* widget)
{
    return static_cast<LiveWindowHandle>(widget->winId());
}
} // namespace

void LiveMainWindow::closeShareBars()
{
    if (m_floatingWindow && m_floatingWindow->sharing) {
        m_floatingWindow->sharing = false;
        m_floatingWindow->close();
    }
    if (m_hideWindow)
        m_hideWindow->close();
    if (m_appPopupWindow && m_appPopupWindow->isVisible())
        m_appPopupWindow->close();
}

QRect LiveMainWindow::layOutSharePreview(bool portrait)
{
    QFrame* frame = ui->render_frame;
    QRect R;
    if (portrait) {
        const int H = frame->height();
        const int W = H * 9 / 16;
        R = QRect((frame->width() - W) / 2, 0, W, H);
        fitPreviewWidget(R, true);
        m_Prelbl->setGeometry(0, 0, R.width(), R.height());
    } else {
        R = QRect(QPoint(0, 0), frame->size());
        fitPreviewWidget(R, false);
        m_Prelbl->setGeometry(R);
    }
    return R;
}

void LiveMainWindow::desktop_share_clicked(int type, QString name)
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();

    // 1-2. A share running already gives way without its exit slot.
    closeShareBars();
    qDebug() << "desktop_share_clicked start\n";
    if (core->scene_has_source(kWindowSource))
        core->scene_remove_source(kWindowSource);
    if (core->scene_has_source(kDesktopSource))
        core->scene_remove_source(kDesktopSource);
    m_shareType = type;

    // 3-4.
    const bool portrait = store->liveMode;
    const QRect R = layOutSharePreview(portrait);
    m_Prelbl->setAlignment(Qt::AlignCenter);
    m_Prelbl->show();
    m_docLbl->hide();
    m_sceneLbl->hide();
    const QRect L = m_Prelbl->geometry();
    const LiveWindowHandle wid = handleOf(m_Prelbl);
    core->core_set_source_display(wid);
    int x = 0, y = 0, w = 0, h = 0;
    core->core_get_preview_rect(&x, &y, &w, &h);
    const float sx = float(ui->preview_widget->width()) / float(m_canvasWidth);
    const float sy = float(ui->preview_widget->height()) / float(m_canvasHeight);

    if (type == 0) {
        // 5.
        core->core_create_monitor_source(kDesktopSource);
        core->scene_add_source(nullptr, nullptr, kDesktopSource, true);
        core->core_destory_display(kDesktopSource);
        core->core_create_display(kDesktopSource, wid);
        if (portrait) {
            const int h9 = R.width() * 9 / 16;
            core->core_update_preview_scale(2 * R.width(), 2 * h9);
            core->scene_set_source_size(kDesktopSource, R.width(), h9, true, false);
            core->scene_set_source_pos(kDesktopSource, 0, h9 + R.height() / 2);
            m_shownStrip = QRect(0, (R.height() - h9) / 2, R.width(), h9);
        } else {
            core->scene_set_source_size(kDesktopSource, w, h, true, false);
        }
        showMinimized();
        m_hideWindow->show();
        m_floatingWindow->sharing = true;
        // The bar's first showing lasts the full hide interval, as every later one does.
        m_floatingWindow->showWindow();
    } else if (type == 1) {
        // 6.
        core->core_create_win_capture_source(kWindowSource);
        if (!startWindowShare(name, R, L, sx, sy, wid)) {
            // The window closed or was renamed since the picker listed it: nothing would be
            // captured, so the share does not start.
            qDebug() << "desktop_share_clicked: no window titled" << name;
            core->core_destory_display(kWindowSource);
            core->scene_remove_source(kWindowSource);
            endShareCommon();
            Toast::getInstance()->showStatus(QString::fromUtf8("窗口共享失败，请重新选择"), false,
                                             kShareFailedToastMs);
            return;
        }
        placeAppPopupWindow(pos());
        m_appPopupWindow->show();
    }

    // 8.
    if (core->core_get_camera_count() > 0)
        placeShareCameraOverlay(R, sx, sy);

    // 9.
    if (m_desktopShareDialog)
        m_desktopShareDialog->setSharing(true);
    store->desktopSharing = true;
    m_shareActive = true;
    if (m_sceneWidget) {
        m_sceneWidget->setCameraShown(false);
        m_sceneWidget->setInUseBadgeVisible(true);
    }
    m_shareCameraOverlay = true;
    qDebug() << "desktop_share_clicked end\n";
}

bool LiveMainWindow::startWindowShare(const QString& title, const QRect& R, const QRect& L, float sx, float sy,
                                      quintptr wid)
{
    auto* core = LiveCore::get_instance();
    const int count = core->core_get_win_count();
    for (int i = 0; i < count; ++i) {
        const char* raw = core->core_get_win_name(i);
        const QString item = QString::fromUtf8(raw ? raw : "");
        qDebug() << "core_get_win_name:" << item;
        // Items are "<class>: <title>"; a ": " inside the title stays part of it.
        const QString winName = item.section(": ", 1);
        if (winName.isEmpty() || winName != title)
            continue;
        qDebug() << "winName == name:" << item;
        core->core_destory_display(kWindowSource);
        core->core_create_display(kWindowSource, static_cast<LiveWindowHandle>(wid));
        core->core_set_win_capture_source(item.toUtf8().constData(), kWindowSource);
        core->scene_add_source(nullptr, nullptr, kWindowSource, true);
        if (CDataCenter::getInstance()->liveMode) {
            const int h9 = R.width() * 9 / 16;
            core->core_update_preview_scale(2 * R.width(), 2 * h9);
            core->scene_set_source_size(kWindowSource, R.width(), h9, true, false);
            const int y = m_isMaximized ? (R.height() - h9) / 2 : h9 + R.height() / 2;
            core->scene_set_source_pos(kWindowSource, 0, y);
            m_shownStrip = QRect(0, (R.height() - h9) / 2, R.width(), h9);
        } else {
            core->scene_set_share_source_size(kWindowSource, int(float(L.width()) / sx),
                                              int(float(L.height()) / sy), true, false);
            core->scene_set_source_pos(kWindowSource, 0, 20);
        }
        return true;
    }
    return false;
}

void LiveMainWindow::placeShareCameraOverlay(const QRect& R, float sx, float sy)
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    if (!core->scene_has_source(kCameraSource))
        core->scene_add_source(nullptr, nullptr, kCameraSource, true);
    setChosenCameraDevice();
    core->scene_move_source_order(kCameraSource, 2);

    const float CW = float(m_canvasWidth);
    const float CH = float(m_canvasHeight);
    if (store->liveMode) {
        const float fh = float(R.height()) / CH;
        const float fw = float(m_Prelbl->width()) / CW;
        const float k = 464.0f / CH;
        const int h = int(fh * 126);
        int x = 0;
        if (store->cameraMirror) {
            core->scene_set_source_size(kCameraSource, -229, h, true, false);
            x = m_canvasWidth - 229;
        } else {
            core->scene_set_source_size(kCameraSource, 229, h, true, false);
            x = int(CW - 229 / fw);
        }
        core->scene_set_source_pos(kCameraSource, x, int(CH - 2 * h / k));
    } else {
        // 280 x 153 preview pixels in the bottom-right corner, mirrored or not.
        const int w = int(280 / sx);
        const int h = int(153 / sy);
        core->scene_set_source_size(kCameraSource, w, h, true, false);
        core->scene_set_source_pos(kCameraSource, m_canvasWidth - w, m_canvasHeight - h);
    }
}

void LiveMainWindow::desktop_cancel_clicked()
{
    if (!m_shareActive && m_sceneWidget)
        m_sceneWidget->setCameraShown(true);
    if (m_desktopShareDialog && m_desktopShareDialog->isSharing())
        return;
    removeSceneSources();
    removeCameraCopies();
    if (m_sceneWidget)
        LiveCore::get_instance()->core_create_display(kCameraSource, static_cast<LiveWindowHandle>(m_sceneWidget->cameraViewWinId()));
    placeCameraOverCanvas();
}

void LiveMainWindow::exit_desktop_share_clicked()
{
    auto* core = LiveCore::get_instance();
    // With a camera its display swap below releases the share display; without, release it here.
    if (core->core_get_camera_count() == 0)
        core->core_destory_display(kDesktopSource);
    core->scene_remove_source(kDesktopSource);
    core->scene_remove_source(kCameraSource);
    showNormal();
    endShareCommon();
}

void LiveMainWindow::exit_window_share_clicked()
{
    auto* core = LiveCore::get_instance();
    if (core->core_get_camera_count() == 0)
        core->core_destory_display(kWindowSource);
    core->scene_remove_source(kWindowSource);
    endShareCommon();
}

void LiveMainWindow::endShareCommon()
{
    auto* core = LiveCore::get_instance();
    closeShareBars();
    if (m_desktopShareDialog)
        m_desktopShareDialog->setSharing(false);
    CDataCenter::getInstance()->desktopSharing = false;
    m_Prelbl->hide();

    if (core->core_get_camera_count() != 0) {
        if (!core->scene_has_source(kCameraSource))
            core->scene_add_source(nullptr, nullptr, kCameraSource, true);
        core->core_destory_display(kCameraSource);
        if (m_sceneWidget)
            core->core_create_display(kCameraSource, static_cast<LiveWindowHandle>(m_sceneWidget->cameraViewWinId()));
        placeCameraOverCanvas();
    }

    m_shareCameraOverlay = true;
    m_shareType = -1;
    m_shareActive = false;
    if (m_sceneWidget) {
        m_sceneWidget->setCameraShown(true);
        m_sceneWidget->setDragEnabled(false);
    }
}
