// Documents and whiteboards on the canvas: the page image as the engine's "image_source" fitted to
// the canvas, the host camera as a small overlay on it, the small handlers between the document
// list and the panels, and the whiteboard overlay.
#include "shell/LiveMainWindow.h"

#include "canvas/DocumentPageGeometry.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "documents/DocumentControl.h"
#include "documents/DocumentShareWidget.h"
#include "documents/WhiteBoardControl.h"
#include "engine/LiveCore.h"
#include "scenes/SceneLayoutControl.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QLabel>
#include <QVBoxLayout>

namespace
{
const char* kCameraSource = "camera source";
const char* kImageSource = "image_source";

// "添加白板" adds whiteboards up to this count (the panel reports the count before adding).
constexpr int kMaxWhiteBoardsBeforeAdd = 10;

// The page's pixel size goes to the store, where the engine's sizing reads it; a page that does
// not load (or is larger than pictures may be) counts as 0 x 0.
void storePageSize(const QString& path)
{
    const QImage page = ImageUtils::loadImageFile(path);
    auto store = CDataCenter::getInstance();
    store->docImageWidth = page.width();
    store->docImageHeight = page.height();
}
} // namespace

void LiveMainWindow::recvUsePicslot(QString strfilePath, QString strfileName)
{
    // A document used again starts its camera overlay at the default place.
    m_docCameraRect = docpage::CameraRect{};
    if (!m_documentControl)
        return;
    m_documentControl->addDocument(strfilePath, strfileName);
    recvDoucmentSharePicslot(strfilePath + "/pic0.png");
}

void LiveMainWindow::onDocumentTileDeleted(QString strfilePath, QString strfileName)
{
    if (m_documentControl)
        m_documentControl->removeDocument(strfilePath, strfileName);
}

void LiveMainWindow::recvDoucmentSharePicslot(QString strfilePath)
{
    clearLayout(m_placeholderLayout);
    ui->preview_widget->resize(ui->render_frame->size());
    ui->preview_widget->move(ui->render_frame->pos());
    m_docLbl->setGeometry(ui->preview_widget->geometry());
    m_docLbl->setAlignment(Qt::AlignCenter);
    m_docLbl->show();

    auto* core = LiveCore::get_instance();
    // Removing the source also releases it, so every new page gets a fresh one below.
    bool sizeKnown = false;
    if (!strfilePath.isEmpty() && strfilePath != m_curPagePath) {
        m_curPagePath = strfilePath;
        storePageSize(m_curPagePath);
        sizeKnown = true;
        core->scene_remove_source(kImageSource);
        core->source_set_image_file(kImageSource, strfilePath, false);
    }
    if (!core->scene_has_source(kImageSource)) {
        core->core_create_image_source(kImageSource, 0);
        core->scene_add_source(nullptr, nullptr, kImageSource, true);
        if (!sizeKnown) // a page just read is not decoded a second time
            storePageSize(m_curPagePath);
        core->source_set_image_file(kImageSource, strfilePath, false);
    }

    core->core_destory_display(kImageSource);
    core->core_update_preview_scale(m_canvasWidth, m_canvasHeight);
    core->core_create_display(kImageSource, static_cast<LiveWindowHandle>(m_docLbl->winId()));
    const float scale = core->core_get_preview_scale();

    auto store = CDataCenter::getInstance();
    const docpage::PageFit fit =
        docpage::fitPage(store->docImageWidth, store->docImageHeight, m_canvasWidth, m_canvasHeight, scale);
    if (fit.call == docpage::SizeCall::Size)
        core->scene_set_source_size(kImageSource, fit.width, fit.height, false, false);
    else if (fit.call == docpage::SizeCall::SizeF)
        core->scene_set_source_sizef(kImageSource, fit.widthF, fit.heightF, false, false);
    if (fit.call != docpage::SizeCall::None)
        core->scene_set_source_pos(kImageSource, fit.x, fit.y);

    showDocumentCamera(scale);
}

void LiveMainWindow::showDocumentCamera(float scale)
{
    auto* core = LiveCore::get_instance();
    if (!m_docCameraOverlay) {
        core->scene_remove_source(kCameraSource);
        return;
    }
    if (core->core_get_camera_count() > 0) {
        if (!core->scene_has_source(kCameraSource) &&
            !core->scene_add_source(nullptr, nullptr, kCameraSource, true)) {
            core->core_create_camera_source(kCameraSource);
            core->scene_add_source(nullptr, nullptr, kCameraSource, true);
        }
        core->scene_move_source_order(kCameraSource, 2);
        // A rectangle the host placed (recorded before each page change) is kept as it is.
        if (!m_docCameraRect.placed())
            m_docCameraRect =
                docpage::defaultCameraRect(ui->preview_widget->width(), m_canvasWidth, m_canvasHeight, scale,
                                           CDataCenter::getInstance()->cameraMirror);
        const docpage::CameraRect& rect = m_docCameraRect;
        qDebug() << "CameraPosAndSize:" << rect.x << rect.y << rect.width << rect.height;
        core->scene_set_source_base_size(kCameraSource, rect.width, rect.height, 0, false, true);
        core->scene_set_source_posf_abs(kCameraSource, rect.x, rect.y, false, true);
    }
    // The host tile shows its avatar while the camera is on the page, with or without a device.
    m_sceneWidget->setCameraShown(false);
    m_sceneWidget->setInUseBadgeVisible(true);
}

void LiveMainWindow::onDocumentTabClosed(QString strpath, QString strfileName)
{
    if (m_documentShareWidget)
        m_documentShareWidget->resetUseState(strpath, strfileName);
}

void LiveMainWindow::showDocumentList()
{
    if (!m_documentShareWidget)
        return;
    m_documentShareWidget->showFirstPage();
    m_documentShareWidget->show();
}

void LiveMainWindow::recvWhiteBoardShareslot(int)
{
    // A panel over the preview; the canvas and its sources stay as they are.
    ui->preview_widget->setStyleSheet("background-color:transparent;");
    m_whiteBoardLbl->setFixedSize(ui->preview_widget->width(), ui->preview_widget->height() + 1);
    m_whiteBoardLbl->show();
}

void LiveMainWindow::onAddWhiteBoard(int num)
{
    if (m_whiteBoardControl && num <= kMaxWhiteBoardsBeforeAdd)
        m_whiteBoardControl->addItem(num + 1);
}
