// Construction, the frame's own widgets and destruction of the main window.
#include "shell/LiveMainWindow.h"

#include "canvas/DesktopShareDialog.h"
#include "chat/EmoteCacheJob.h"
#include "chat/UploadThread.h"
#include "cohost/ConnectMicInviteDialog.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "core/Toast.h"
#include "documents/DocumentShareWidget.h"
#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"
#include "shell/MyButton.h"
#include "shell/PopupDialog.h"
#include "shell/ShareLiveDialog.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QLabel>

namespace
{
const char* kWhiteLabelStyle =
    "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: #FFFFFF;line-height: 20px;";
} // namespace

LiveMainWindow::LiveMainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui_LiveMainWindow)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setWindowTitle(QString::fromUtf8("索维zova"));
    m_dragging = false;
    m_isMaximized = false;
    initUi();
    initConnections();
    installEventFilter(this);
    connect(m_sceneWidget, &SceneWidget::sendMirrorStatus, this, &LiveMainWindow::handleSceneWidgetMirror);
}

void LiveMainWindow::initUi()
{
    setWindowFlags(Qt::FramelessWindowHint);
    ui->preview_widget->installEventFilter(this);
    ui->room_name_label->installEventFilter(this);
    ui->user_photo->installEventFilter(this);
    ui->usernamelbl->installEventFilter(this);

    ui->maximize_btn->setStyleSheet(mainwin::kMaximizeStyle);
    ui->live_status_label->setStyleSheet(kWhiteLabelStyle);
    ui->live_status_label->setText(QString::fromUtf8("直播准备中"));
    ui->room_name_label->setStyleSheet(kWhiteLabelStyle);
    ui->room_name_label->setFixedSize(280, 20);
    // Room and user names come from the service: shown as written, never as markup.
    ui->room_name_label->setTextFormat(Qt::PlainText);
    ui->usernamelbl->setTextFormat(Qt::PlainText);
    ui->share_btn->hide();
    ui->rate_label->setStyleSheet(kWhiteLabelStyle);

    m_sceneCenterWidget = new SceneCenterWidget(this);
    ui->scene_layout->addWidget(m_sceneCenterWidget);
    initCoHostList();
    m_sceneCenterWidget->show();
    m_sceneWidget = m_sceneCenterWidget->sceneWidget();
    m_sceneWidget->setMouseTracking(true);

    // Rows top to bottom: document, whiteboard, desktop share, co-host, scene layout.
    m_documentBtn = makeToolButton("document_btn", 0, "document.png", QString::fromUtf8("文档"), true,
                                   ui->horizontalLayout_2, true);
    m_whiteBoardBtn = makeToolButton("whiteboard_btn", 1, "whiteboard.png", QString::fromUtf8("白板"), false,
                                     ui->horizontalLayout_6, false);
    m_desktopShareBtn = makeToolButton("desktop_share_btn", 1, "desktop_share.png",
                                       QString::fromUtf8("桌面共享"), false, ui->horizontalLayout_7, true);
    m_sceneLayoutBtn = makeToolButton("layout_btn", 1, "layout.png", QString::fromUtf8("画面布局"), false,
                                      ui->horizontalLayout_9, false);
    m_connMicBtn = makeToolButton("conn_mic_btn", 1, "conn_mic.png", QString::fromUtf8("连麦"), false,
                                  ui->horizontalLayout_8, false);

    m_Prelbl = new QLabel(ui->preview_widget);
    m_Prelbl->setObjectName("share_display_label");
    m_Prelbl->hide();
    m_docLbl = new QLabel(ui->preview_widget);
    m_docLbl->setObjectName("document_page_label");
    m_docLbl->hide();
    m_sceneLbl = new QLabel(ui->preview_widget);
    m_sceneLbl->setObjectName("scene_label");
    m_sceneLbl->installEventFilter(this);
    m_sceneLbl->setGeometry(ui->preview_widget->geometry());
    m_sceneLbl->hide();
    m_whiteBoardLbl = new QLabel(ui->preview_widget);
    m_whiteBoardLbl->setObjectName("whiteboard_label");
    m_whiteBoardLbl->setGeometry(ui->preview_widget->geometry());
    m_whiteBoardLbl->hide();

    m_shareLiveDialog = new ShareLiveDialog(nullptr);
    m_shareLiveDialog->hide();
}

MyButton* LiveMainWindow::makeToolButton(const QString& objectName, int kind, const QString& icon,
                                         const QString& text, bool selected, QHBoxLayout* row, bool visible)
{
    auto* button = new MyButton(this);
    button->setObjectName(objectName);
    button->initUi();
    button->setType(kind);
    button->setSelected(selected);
    button->setIconAndText(icon, text);
    button->setFixedSize(74, 85);
    // Between the row's two 1-pixel spacers.
    row->insertWidget(1, button);
    button->setVisible(visible);
    return button;
}

LiveMainWindow::~LiveMainWindow()
{
    Toast::resetInstance();
    m_netInfoThread.requestInterruption();
    m_netInfoThread.wait();
    if (m_uploadThread) {
        m_uploadThread->setRunning(false);
        m_uploadThread->clearWork();
        // An upload in progress would hold the window up to its time-out.
        m_uploadThread->abortUpload();
        m_uploadThread->wait();
        delete m_uploadThread;
        m_uploadThread = nullptr;
    }
    // The emote job fetches into the application folder; it must end before the program does.
    m_emoteJob.reset();
    delete m_popupDialog;
    m_popupDialog = nullptr;
    // The live control owns the clock; it also empties the raw-frame slots it filled.
    delete m_liveControl;
    m_liveControl = nullptr;
    delete m_desktopShareDialog;
    m_desktopShareDialog = nullptr;
    delete m_documentShareWidget;
    m_documentShareWidget = nullptr;
    delete m_liveModeDialog;
    m_liveModeDialog = nullptr;
    delete m_connectMicInviteDialog;
    m_connectMicInviteDialog = nullptr;
    delete ui;
    ui = nullptr;
    qDebug() << "LiveMainWindow::~LiveMainWindow()";
}
