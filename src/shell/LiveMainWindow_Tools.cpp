// Tools and live types: the tool switch, the selected look of the tool buttons, the panels in the
// control strip and the placeholders inside the preview.
#include "shell/LiveMainWindow.h"

#include "canvas/AppPopupWindow.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "canvas/ShowCarmeraWidget.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "documents/DocumentControl.h"
#include "documents/WhiteBoardControl.h"
#include "engine/LiveCore.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/SceneLayoutControl.h"
#include "shell/MyButton.h"
#include "widgets/LogoutDialog.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace
{
const char* kCameraSource = "camera source";
const char* kImageSource = "image_source";

const char* kPlaceholderButtonStyle =
    "background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #527FF6, stop: 1 #396BEB);"
    "color: #FFFFFF; font-family: Microsoft YaHei;font-size: 14px; font-weight: 400;padding-bottom:2px";
const char* kPlaceholderHintStyle =
    "color: #6B6C83; font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;";

struct PlaceholderLook {
    const char* pictureStyle;
    const char* buttonText; // UTF-8
    const char* hintText;   // UTF-8
    int hintWidth;
};

void addCentredRow(QVBoxLayout* column, QWidget* widget)
{
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    row->addWidget(widget, 0, Qt::AlignCenter);
}

// Fills the empty column with picture, button and hint between two expanding spacers; returns the
// button for the caller to wire.
QPushButton* buildPlaceholder(QVBoxLayout* column, QWidget* preview, const PlaceholderLook& look)
{
    column->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding));

    auto* picture = new QLabel(preview);
    picture->setFixedSize(72, 72);
    picture->setStyleSheet(QString::fromLatin1(look.pictureStyle));
    addCentredRow(column, picture);

    auto* button = new QPushButton(preview);
    button->setFixedSize(108, 33);
    button->setText(QString::fromUtf8(look.buttonText));
    button->setStyleSheet(QString::fromLatin1(kPlaceholderButtonStyle));
    addCentredRow(column, button);

    auto* hint = new QLabel(preview);
    hint->setFixedSize(look.hintWidth, 20);
    hint->setAlignment(Qt::AlignCenter);
    hint->setText(QString::fromUtf8(look.hintText));
    hint->setStyleSheet(QString::fromLatin1(kPlaceholderHintStyle));
    addCentredRow(column, hint);

    column->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding));
    for (QWidget* widget :
         {static_cast<QWidget*>(picture), static_cast<QWidget*>(button), static_cast<QWidget*>(hint)})
        widget->show();
    return button;
}

// "Hide where visible": also a label shown inside a window not shown yet.
void hideShown(QWidget* widget)
{
    if (widget)
        widget->hide();
}
} // namespace

void LiveMainWindow::selectLivetype(LiveType type)
{
    qDebug() << "selectLivetype000000000000" << m_liveType;

    // A running share ends only with the host's consent, asked before anything changes so that a
    // refusal leaves the tool, its buttons and the remembered tool as they were. It is asked for
    // every target but the share tool itself, also from the co-host invitation, which takes the
    // tool over without this switch while a share may still run.
    const bool endShare =
        type != mainwin::LiveTypeDesktopShare && m_desktopShareDialog && m_desktopShareDialog->isSharing();
    if (endShare) {
        qDebug() << "desktop is shared";
        if (!confirmShareExit()) {
            updateToolButtons(m_liveType);
            return;
        }
    }

    if (type != mainwin::LiveTypeDocument) {
        // Documents stay open behind the other tools: their camera overlay, taken off by the host,
        // goes back to its corner of the whole canvas.
        if (m_documentControl && m_documentControl->tabCount() > 0 && !m_docCameraOverlay)
            handleDragSceneWidget();
        if (type != mainwin::LiveTypeConnMic)
            m_lastLiveType = type;
    } else {
        m_lastLiveType = mainwin::LiveTypeDocument;
    }

    updateToolButtons(type);

    if (type != m_liveType)
        leaveTool(m_liveType);
    if (endShare)
        endRunningShare();

    clearLayoutKeepWidgets(m_toolPanelLayout);
    clearLayout(m_placeholderLayout);

    switch (type) {
    case mainwin::LiveTypeDocument:
        enterDocumentTool();
        break;
    case mainwin::LiveTypeWhiteBoard:
        enterWhiteBoardTool();
        break;
    case mainwin::LiveTypeDesktopShare:
        enterShareTool();
        break;
    case mainwin::LiveTypeSceneLayout:
        enterSceneLayoutTool();
        break;
    default:
        break;
    }
    m_liveType = type;
}

void LiveMainWindow::updateToolButtons(LiveType type)
{
    MyButton* selected = nullptr;
    switch (type) {
    case mainwin::LiveTypeDocument:
        selected = m_documentBtn;
        break;
    case mainwin::LiveTypeDesktopShare:
        selected = m_desktopShareBtn;
        break;
    case mainwin::LiveTypeSceneLayout:
        selected = m_sceneLayoutBtn;
        break;
    case mainwin::LiveTypeConnMic:
        selected = m_connMicBtn;
        break;
    default:
        return; // the whiteboard button is never shown selected
    }
    for (MyButton* button :
         {m_documentBtn, m_whiteBoardBtn, m_desktopShareBtn, m_sceneLayoutBtn, m_connMicBtn})
        button->setSelected(button == selected);
    for (MyButton* button :
         {m_documentBtn, m_whiteBoardBtn, m_desktopShareBtn, m_sceneLayoutBtn, m_connMicBtn})
        button->updateStyle();
}

void LiveMainWindow::leaveTool(LiveType from)
{
    switch (from) {
    case mainwin::LiveTypeDocument:
        if (m_documentControl)
            m_documentControl->hide();
        hideShown(m_docLbl);
        hideShown(m_showCarmeraWidget);
        break;
    case mainwin::LiveTypeWhiteBoard:
        hideShown(m_docLbl);
        hideShown(m_showCarmeraWidget);
        break;
    case mainwin::LiveTypeSceneLayout:
        hideShown(m_sceneLbl);
        hideShown(m_showCarmeraWidget);
        break;
    default:
        break; // the share tool's share is ended by the switch itself
    }
}

bool LiveMainWindow::confirmShareExit()
{
    LogoutDialog question;
    question.setWideContent(QString::fromUtf8("正在共享"),
                            QString::fromUtf8("屏幕共享不支持与其他功能同时使用,如需切换请退出共享"),
                            QString::fromUtf8("退出共享"), true);
    question.setWindowModality(Qt::ApplicationModal);
    return s_runModalDialog(question) == QDialog::Accepted;
}

void LiveMainWindow::endRunningShare()
{
    if (m_appPopupWindow && m_appPopupWindow->isVisible()) {
        m_appPopupWindow->close();
        exit_window_share_clicked();
    }
    if (m_floatingWindow && m_floatingWindow->sharing) {
        m_floatingWindow->sharing = false;
        m_floatingWindow->close();
        exit_desktop_share_clicked();
    }
    auto* core = LiveCore::get_instance();
    if (!core->scene_has_source(kCameraSource))
        core->scene_add_source(nullptr, nullptr, kCameraSource, true);
}

void LiveMainWindow::removeSceneSources()
{
    auto* core = LiveCore::get_instance();
    for (const SceneSourceInfo& source : m_sceneSources)
        core->scene_remove_source(source.name.toUtf8().constData());
    m_sceneSources.clear();
}

void LiveMainWindow::removeCameraCopies()
{
    auto* core = LiveCore::get_instance();
    // The first name is the host camera itself, which stays.
    for (size_t i = 1; i < m_cameraNames.size(); ++i)
        core->scene_remove_source(m_cameraNames[i].toUtf8().constData());
    m_cameraNames.clear();
}

void LiveMainWindow::enterDocumentTool()
{
    removeSceneSources();
    removeCameraCopies();

    if (!m_documentControl) {
        // Connected once, when made: entering the tool again must not double the handlers.
        m_documentControl = new DocumentControl(nullptr);
        connect(m_documentControl, &DocumentControl::sendResetStatusSig, this,
                &LiveMainWindow::onDocumentTabClosed);
        connect(m_documentControl, &DocumentControl::sendAddDoc, this, &LiveMainWindow::showDocumentList);
        connect(m_documentControl, &DocumentControl::sigGetCameraPos, this,
                &LiveMainWindow::handleGetDocumentCameraPosAndSize);
        connect(m_documentControl, &DocumentControl::sendDocumentSharePicSig, this,
                [this](QString path) { recvDoucmentSharePicslot(path); });
        connect(m_documentControl, &DocumentControl::sendDelDocumentClear, this,
                &LiveMainWindow::showDocumentLayout);
    }
    m_toolPanelLayout->addWidget(m_documentControl);
    m_documentControl->show();

    if (m_documentControl->tabCount() > 0) {
        recvDoucmentSharePicslot(m_curPagePath);
        return;
    }
    m_curPagePath = QString();
    showDocumentPlaceholder();
}

void LiveMainWindow::enterWhiteBoardTool()
{
    hideShown(m_docLbl);
    hideShown(m_sceneLbl);
    if (!m_whiteBoardControl) {
        m_whiteBoardControl = new WhiteBoardControl(nullptr);
        connect(m_whiteBoardControl, &WhiteBoardControl::sendAddWhiteBoard, this,
                &LiveMainWindow::onAddWhiteBoard);
        connect(m_whiteBoardControl, &WhiteBoardControl::sendShowWhiteBoard, this,
                &LiveMainWindow::recvWhiteBoardShareslot);
    }
    m_toolPanelLayout->addWidget(m_whiteBoardControl);
    m_whiteBoardControl->show();
}

void LiveMainWindow::enterShareTool()
{
    hideShown(m_docLbl);
    hideShown(m_sceneLbl);
    LiveCore::get_instance()->scene_remove_source(kImageSource);
    dropPendingSceneWork();
    removeSceneSources();
    if (!m_isFullScreen)
        m_pageIndexes.clear();
    removeCameraCopies();
    if (!m_desktopShareDialog)
        return;
    s_runModalDialog(*m_desktopShareDialog);
    m_desktopShareDialog->startRefreshTimer();
}

void LiveMainWindow::enterSceneLayoutTool()
{
    // The share windows close without the share's own exit handling.
    if (m_Prelbl)
        m_Prelbl->hide();
    hideShown(m_docLbl);
    LiveCore::get_instance()->scene_remove_source(kImageSource);
    if (m_appPopupWindow && m_appPopupWindow->isVisible())
        m_appPopupWindow->close();
    if (m_floatingWindow && m_floatingWindow->sharing) {
        m_floatingWindow->sharing = false;
        m_floatingWindow->close();
    }
    if (m_desktopShareDialog && m_desktopShareDialog->isVisible())
        m_desktopShareDialog->close();

    if (!m_sceneLayoutControl) {
        m_sceneLayoutControl = new SceneLayoutControl(nullptr, m_addSceneDialog);
        connect(m_sceneLayoutControl, &SceneLayoutControl::use_scene_click, this,
                &LiveMainWindow::use_scene_clicked);
        connect(m_sceneLayoutControl, &SceneLayoutControl::_use_scene_clickEX, this,
                &LiveMainWindow::_use_scene_clickedEX);
        connect(m_sceneLayoutControl, &SceneLayoutControl::close_cliceScene, this,
                &LiveMainWindow::_cancle_scene_clicked);
        connect(m_sceneLayoutControl, &SceneLayoutControl::fullScreen, this, &LiveMainWindow::_fullScreen);
        connect(m_sceneLayoutControl, &SceneLayoutControl::cancle_scene, this,
                &LiveMainWindow::_cancle_scene_clicked);
        connect(m_sceneLayoutControl, &SceneLayoutControl::sendMaxSceneSig, this,
                &LiveMainWindow::showMaxSceneHint);
    }
    m_toolPanelLayout->addWidget(m_sceneLayoutControl);
    m_sceneLayoutControl->show();

    if (m_sceneState == 1)
        m_sceneLayoutControl->reapplySceneInUse();
    else
        showLayoutPlaceholder();
}

void LiveMainWindow::showDocumentPlaceholder()
{
    const PlaceholderLook look{"border-image: url(:/images/live/documentLayout.png)", "添加文档",
                               "支持PDF/DOC/DOCX/PPT/PPTX", 216};
    QPushButton* add = buildPlaceholder(m_placeholderLayout, ui->preview_widget, look);
    connect(add, &QPushButton::clicked, this, &LiveMainWindow::showDocumentList);
}

void LiveMainWindow::showLayoutPlaceholder()
{
    const PlaceholderLook look{"border-image: url(:/images/live/layout.png)", "添加画面布局",
                               "或点击右下角添加画面布局", 168};
    QPushButton* add = buildPlaceholder(m_placeholderLayout, ui->preview_widget, look);
    connect(add, &QPushButton::clicked, this, [this] {
        if (!m_addSceneDialog)
            return;
        // The same limit as the strip's own button: an eleventh layout would not be kept.
        if (m_sceneLayoutControl && m_sceneLayoutControl->layoutCount() >= scenestrip::kMaxLayouts) {
            emit m_sceneLayoutControl->sendMaxSceneSig();
            return;
        }
        m_addSceneDialog->show();
        m_addSceneDialog->resetForNew(false, 0);
        m_sceneState = 0;
    });
}

void LiveMainWindow::showDocumentLayout()
{
    CancelCarmera();
    m_sceneWidget->setCameraShown(true);
    m_sceneWidget->setDragEnabled(false);
    hideShown(m_docLbl);
    auto* core = LiveCore::get_instance();
    core->scene_remove_source(kImageSource);
    core->core_create_display(kCameraSource, static_cast<LiveWindowHandle>(m_sceneWidget->cameraViewWinId()));
    placeCameraOverCanvas();

    clearLayout(m_placeholderLayout);
    showDocumentPlaceholder();
}
