// Re-fit on maximise, restore and resize: the preview, the labels over it, the share picture and
// (in portrait live mode) the camera overlay follow the render area's new size. What goes where is
// previewrefit::refit's; this file reads the widgets for it and applies its answer.
#include "shell/LiveMainWindow.h"

#include "canvas/AppPopupWindow.h"
#include "chat/EmoteListWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "scenes/SceneLayoutControl.h"
#include "shell/ChatSideState.h"
#include "ui_LiveMainWindow.h"

#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace
{
const char* kCameraSource = "camera source";
const char* kWindowSource = "window source";
} // namespace

void LiveMainWindow::on_maximize_btn_clicked()
{
    // The maximised flag is also the one that stops the title-bar drag.
    if (m_isMaximized) {
        m_isMaximized = false;
        showNormal();
        ui->maximize_btn->setStyleSheet(mainwin::kMaximizeStyle);
        refitPreview(previewrefit::Path::Restore);
    } else {
        m_isMaximized = true;
        showMaximized();
        ui->maximize_btn->setStyleSheet(mainwin::kRestoreStyle);
        refitPreview(previewrefit::Path::Maximise);
    }
    if (m_appPopupWindow && m_appPopupWindow->isVisible())
        placeAppPopupWindow(pos());
    if (m_sceneCenterWidget)
        m_sceneCenterWidget->updateRemoteWidgets();
    update();
}

void LiveMainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The emote grid spans the chat page: its columns and place follow the window's size.
    if (m_chatSide && m_chatSide->emotePanel)
        m_chatSide->emotePanel->updateLayout();
    // Nothing of a minimised window is seen (a desktop share shows it minimised): the next size
    // it is shown at is fitted.
    if (isMinimized())
        return;
    // A window manager reports a maximised window at the screen's corner, whatever pos() says.
    if (m_appPopupWindow && m_appPopupWindow->isVisible())
        placeAppPopupWindow(m_isMaximized ? QPoint(0, 0) : pos());
    // One pixel wider and back: the host tile lays itself out for the new size.
    if (m_sceneWidget && m_sceneWidget->minimumWidth() == m_sceneWidget->maximumWidth()) {
        const int width = m_sceneWidget->width();
        m_sceneWidget->setFixedWidth(width + 1);
        m_sceneWidget->setFixedWidth(width);
    }

    refitPreview(previewrefit::Path::ResizeEvent);
    ui->preview_widget->handleResize();
}

void LiveMainWindow::refitPreview(previewrefit::Path path)
{
    auto store = CDataCenter::getInstance();
    QWidget* preview = ui->preview_widget;

    previewrefit::Input in;
    // The preview lies in render_frame's own layout, so R is the frame's area in its coordinates.
    in.renderArea = QRect(QPoint(0, 0), ui->render_frame->size());
    in.canvasWidth = m_canvasWidth;
    in.canvasHeight = m_canvasHeight;
    in.portrait = store->liveMode && m_liveType == mainwin::LiveTypeDesktopShare;
    in.path = path;
    in.maximised = m_isMaximized;
    in.shareKind = m_shareType;
    in.shareLabelVisible = m_Prelbl->isVisibleTo(this);
    in.shareLabelSize = m_Prelbl->size();
    in.documentLabelVisible = m_docLbl->isVisibleTo(this);
    in.sceneLabelVisible = m_sceneLbl->isVisibleTo(this);
    in.sceneLabelInPreview = m_sceneLbl->parentWidget() == preview && !m_sceneLbl->isHidden();
    in.tool = m_liveType;
    in.sceneInUse = m_sceneLayoutControl && m_sceneState == 1;
    const previewrefit::Result out = previewrefit::refit(in);

    auto* core = LiveCore::get_instance();
    // 1 and 2: the preview and the labels over it.
    fitPreviewWidget(out.preview, out.column);
    if (out.shareLabel)
        m_Prelbl->setGeometry(*out.shareLabel);
    if (out.previewScale)
        core->core_update_preview_scale(out.previewScale->width(), out.previewScale->height());
    if (!out.shareSource.isEmpty()) {
        const QByteArray name = out.shareSource.toUtf8();
        core->scene_set_source_size(name.constData(), out.sourceSize.width(), out.sourceSize.height(), true,
                                    false);
        core->scene_set_source_pos(name.constData(), out.sourcePos.x(), out.sourcePos.y());
    }
    if (out.shownStrip)
        m_shownStrip = *out.shownStrip;
    if (out.camera)
        core->scene_set_source_pos(kCameraSource, out.camera->x(), out.camera->y());
    if (out.documentLabel) {
        m_docLbl->setGeometry(*out.documentLabel);
        recvDoucmentSharePicslot(QString());
    }
    if (out.sceneLabelSize)
        m_sceneLbl->resize(*out.sceneLabelSize);
    if (out.reapplyScene)
        m_sceneLayoutControl->reapplySceneInUse();
    // The layout placeholders are the preview's own layout: they follow it without help.

    // 3: the display on the share label.
    using previewrefit::DisplayAction;
    if (out.display != DisplayAction::None && out.display != DisplayAction::Keep) {
        const auto wid = static_cast<LiveWindowHandle>(m_Prelbl->winId());
        if (out.display == DisplayAction::RemakeSource) {
            core->core_destroy_source_display(kWindowSource);
            core->core_create_display(kWindowSource, wid);
        } else if (out.display == DisplayAction::Remake) {
            core->core_destory_display(kWindowSource);
            core->core_create_display(kWindowSource, wid);
        }
        // Also after a re-make: a desktop share has no window source to make a display with, and
        // a display made before the server has the label's new size would keep the old one.
        core->core_resize_display(wid);
    }

    if (out.sceneLabelAfter)
        m_sceneLbl->setGeometry(*out.sceneLabelAfter);
}

void LiveMainWindow::fitPreviewWidget(const QRect& geometry, bool column)
{
    QWidget* preview = ui->preview_widget;
    if (!m_previewFormMinimum.isValid())
        m_previewFormMinimum = preview->minimumSize();
    if (column) {
        // The frame's layout would undo a plain move: it keeps the column centred instead.
        preview->setFixedSize(geometry.size());
        ui->verticalLayout_7->setAlignment(preview, Qt::AlignHCenter);
    } else {
        preview->setMinimumSize(m_previewFormMinimum);
        preview->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        ui->verticalLayout_7->setAlignment(preview, Qt::Alignment());
    }
    preview->setGeometry(geometry);
}

void LiveMainWindow::placeAppPopupWindow(const QPoint& topLeft)
{
    m_appPopupWindow->move(topLeft.x(), topLeft.y() + height() - ui->control_frame->height() -
                                            m_appPopupWindow->height() / 2);
}
