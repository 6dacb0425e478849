// Camera transforms: mirror, quarter turns, flip, the default place, taking the camera off the
// picture and putting it back, and the camera rectangle the document tool keeps.
#include "shell/LiveMainWindow.h"

#include "canvas/CameraTransformCounters.h"
#include "canvas/DesktopShareDialog.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QLabel>

namespace
{
const char* kCameraSource = "camera source";

// The default overlay in preview pixels; 229 canvas pixels wide in portrait live mode.
constexpr int kOverlayWidth = 280;
constexpr int kOverlayHeight = 153;
constexpr int kPortraitWidth = 229;

// Portrait live mode: the height that goes with the 229-pixel width, and the factor behind it.
float portraitFactor(int canvasHeight)
{
    return 464.0f / float(canvasHeight);
}
int portraitHeight(int canvasHeight)
{
    return int(portraitFactor(canvasHeight) * 128);
}

// The engine's preview scale, or `fallback` while it is 0 (canvas units).
float previewScaleOr(float fallback)
{
    const float scale = LiveCore::get_instance()->core_get_preview_scale();
    return scale == 0 ? fallback : scale;
}

// Mirrors a camera by its float rectangle at the preview scale `s`: the width turns negative and the
// position moves by the old width, so the picture covers the same area.
void mirrorScaled(const char* name, float s)
{
    auto* core = LiveCore::get_instance();
    float x = 0, y = 0, w = 0, h = 0;
    core->scene_get_source_rectf(name, &x, &y, &w, &h);
    core->scene_set_source_base_size(name, -w * s, h * s, 1, false, false);
    core->scene_set_source_posf(name, (x + w) * s, y * s, false);
}
} // namespace

void LiveMainWindow::saveCameraPosAndSize(float x, float y, float width, float height)
{
    m_docCameraRect = docpage::CameraRect{x, y, width, height};
}

void LiveMainWindow::handleGetDocumentCameraPosAndSize()
{
    docpage::CameraRect& r = m_docCameraRect;
    LiveCore::get_instance()->scene_get_source_rectf(kCameraSource, &r.x, &r.y, &r.width, &r.height);
    qDebug() << "handleGetDocumentCameraPosAndSize:" << r.x << r.y << r.width << r.height;
}

void LiveMainWindow::setObsSourcePosAndSize(const char* source, float x, float y, float width, float height)
{
    auto* core = LiveCore::get_instance();
    core->scene_set_source_base_size(source, width, height, 0, false, false);
    core->scene_set_source_pos(source, int(x), int(y));
}

void LiveMainWindow::handleSceneWidgetMirror()
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    const float CW = float(m_canvasWidth);
    const float sx = float(ui->preview_widget->width()) / CW;
    const bool sharing = m_desktopShareDialog && m_desktopShareDialog->isSharing();

    if (!sharing) {
        if (m_liveType == mainwin::LiveTypeDocument || m_liveType == mainwin::LiveTypeDesktopShare) {
            mirrorScaled(kCameraSource, previewScaleOr(sx));
        } else if (m_liveType == mainwin::LiveTypeSceneLayout) {
            const float s = previewScaleOr(sx);
            for (const QString& name : m_cameraNames)
                mirrorScaled(name.toUtf8().constData(), s);
        }
    } else {
        int x = 0, y = 0;
        float w = 0, h = 0;
        core->scene_get_source_rect(kCameraSource, &x, &y, &w, &h);
        const bool portrait = store->liveMode && m_liveType == mainwin::LiveTypeDesktopShare;
        if (!portrait) {
            core->scene_set_source_base_size(kCameraSource, -w, h, 1, false, false);
        } else if (CameraTransformCounters::instance().quarterTurned()) {
            // A turned camera is sized with the canvas's sides traded.
            store->swapCanvasSize = true;
            core->scene_set_source_size(kCameraSource, store->cameraMirror ? -kPortraitWidth : kPortraitWidth,
                                        portraitHeight(m_canvasHeight), true, false);
            store->swapCanvasSize = false;
        } else {
            const float s = previewScaleOr(float(m_Prelbl->width()) / CW);
            core->scene_set_source_base_size(kCameraSource, -w * s, h * s, 1, false, false);
        }
        core->scene_set_source_pos(kCameraSource, int(float(x) + w), y);
    }
    handleGetDocumentCameraPosAndSize();
}

void LiveMainWindow::handleRotateClockwise()
{
    auto* core = LiveCore::get_instance();
    core->source_set_rotation(kCameraSource, CameraTransformCounters::instance().turnClockwise());
    handleGetDocumentCameraPosAndSize();
    if (core->core_get_camera_count() > 0 && !core->scene_has_source(kCameraSource))
        core->scene_add_source(nullptr, nullptr, kCameraSource, true);
}

void LiveMainWindow::handleRotateAnticlockwise()
{
    LiveCore::get_instance()->source_set_rotation(kCameraSource,
                                                  CameraTransformCounters::instance().turnAnticlockwise());
    handleGetDocumentCameraPosAndSize();
}

void LiveMainWindow::handleFlipVertically()
{
    LiveCore::get_instance()->source_set_flip_vertically(kCameraSource,
                                                         CameraTransformCounters::instance().nextFlip());
    handleGetDocumentCameraPosAndSize();
}

void LiveMainWindow::placeCornerCamera(bool mirror)
{
    auto* core = LiveCore::get_instance();
    const float sx = float(ui->preview_widget->width()) / float(m_canvasWidth);
    const float sy = float(ui->preview_widget->height()) / float(m_canvasHeight);
    const int w = int(kOverlayWidth / sx);
    const int h = int(kOverlayHeight / sy);
    core->scene_set_source_size(kCameraSource, mirror ? -w : w, h, true, false);
    core->scene_set_source_pos(kCameraSource, mirror ? m_canvasWidth : m_canvasWidth - w, m_canvasHeight - h);
}

void LiveMainWindow::ClickMenuReset()
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    core->source_set_flip_vertically(kCameraSource, false);
    core->source_set_rotation(kCameraSource, 0);
    saveCameraPosAndSize();

    if (core->core_get_camera_count() > 0) {
        if (!core->scene_has_source(kCameraSource))
            core->scene_add_source(nullptr, nullptr, kCameraSource, true);
        const bool m = store->cameraMirror;
        const float CW = float(m_canvasWidth);
        const float CH = float(m_canvasHeight);
        const float sx = float(ui->preview_widget->width()) / CW;
        const float sy = float(ui->preview_widget->height()) / CH;
        if (store->liveMode && m_liveType == mainwin::LiveTypeDesktopShare) {
            const float f = portraitFactor(m_canvasHeight);
            const int h = portraitHeight(m_canvasHeight);
            core->scene_set_source_size(kCameraSource, m ? -kPortraitWidth : kPortraitWidth, h, true, false);
            const int x = m ? m_canvasWidth - kPortraitWidth
                            : int(CW - kPortraitWidth / (float(m_Prelbl->width()) / CW));
            core->scene_set_source_pos(kCameraSource, x, int(CH - 2 * h / f));
        } else if (m_liveType == mainwin::LiveTypeDocument) {
            const float s = previewScaleOr(sx);
            const int w = int(kOverlayWidth / sx * s);
            const int h = int(kOverlayHeight / sy * s);
            if (m) {
                core->scene_set_source_size(kCameraSource, -w, h, true, false);
                core->scene_set_source_pos(kCameraSource, m_canvasWidth, m_canvasHeight - h);
            } else {
                core->scene_set_source_base_size(kCameraSource, w * s, h * s, 1, false, false);
                core->scene_set_source_pos(kCameraSource, int((CW - w) * s), int((CH - h) * s));
            }
        } else {
            placeCornerCamera(m);
        }
    }
    CameraTransformCounters::instance().reset();
}

void LiveMainWindow::CancelCarmera()
{
    auto* core = LiveCore::get_instance();
    if (m_liveType == mainwin::LiveTypeDesktopShare) {
        m_shareCameraOverlay = false;
        core->scene_remove_source(kCameraSource);
    } else if (m_liveType == mainwin::LiveTypeDocument) {
        m_docCameraOverlay = false;
        core->scene_remove_source(kCameraSource);
    } else if (core->core_get_camera_count() > 0) {
        // The camera goes back to the host's tile and over the whole canvas.
        auto store = CDataCenter::getInstance();
        if (!core->scene_has_source(kCameraSource))
            core->scene_add_source(nullptr, nullptr, kCameraSource, true);
        core->core_destory_display(kCameraSource);
        core->core_create_display(kCameraSource,
                                  static_cast<LiveWindowHandle>(m_sceneWidget->cameraViewWinId()));
        core->core_update_preview_scale(store->screenWidth, store->screenHeight);
        core->scene_set_source_size(kCameraSource, store->screenWidth, store->screenHeight, true, false);
    }
    m_sceneWidget->setInUseBadgeVisible(false);
    m_sceneWidget->setDragEnabled(true);
}

void LiveMainWindow::handleDragSceneWidget()
{
    if (m_liveType == mainwin::LiveTypeDesktopShare)
        m_shareCameraOverlay = true;
    else if (m_liveType == mainwin::LiveTypeDocument)
        m_docCameraOverlay = true;
    else
        return;
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    // Taken out and added again, the camera comes on top.
    core->scene_remove_source(kCameraSource);
    core->scene_add_source(nullptr, nullptr, kCameraSource, true);
    setChosenCameraDevice();
    core->scene_move_source_order(kCameraSource, 2);
    placeCornerCamera(store->cameraMirror);
}

void LiveMainWindow::setChosenCameraDevice()
{
    auto* core = LiveCore::get_instance();
    QByteArray device = CDataCenter::getInstance()->cameraName.toUtf8();
    if (device.isEmpty()) {
        const char* first = core->core_get_camera_name(0);
        device = QByteArray(first ? first : "");
    }
    core->source_set_camera_device(device.constData(), kCameraSource);
}

void LiveMainWindow::setShowCarmera()
{
    bool takeOff = false;
    if (!m_shareCameraOverlay)
        takeOff = m_liveType == mainwin::LiveTypeDesktopShare;
    else if (!m_docCameraOverlay)
        takeOff = m_liveType == mainwin::LiveTypeDocument;
    if (takeOff)
        LiveCore::get_instance()->scene_remove_source(kCameraSource);
}
