#pragma once
// Lets the main window's tests reach its private state (the window befriends this struct).
#include "shell/ChatSideState.h"
#include "shell/OnlineSideState.h"
#include "shell/LiveControl.h"
#include "shell/LiveMainWindow.h"
#include "shell/LiveModeDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <QNetworkAccessManager>

struct LiveMainWindowTestAccess {
    static void setLiveState(LiveMainWindow& w, mainwin::LiveState state) { w.m_liveState = state; }
    static void setMaximized(LiveMainWindow& w, bool maximized) { w.m_isMaximized = maximized; }
    static bool maximized(LiveMainWindow& w) { return w.m_isMaximized; }
    static mainwin::LiveType liveType(LiveMainWindow& w) { return w.m_liveType; }
    // tools and live types
    static void setLiveType(LiveMainWindow& w, mainwin::LiveType type) { w.m_liveType = type; }
    static mainwin::LiveType lastLiveType(LiveMainWindow& w) { return w.m_lastLiveType; }
    static DocumentControl* documentControl(LiveMainWindow& w) { return w.m_documentControl; }
    static WhiteBoardControl* whiteBoardControl(LiveMainWindow& w) { return w.m_whiteBoardControl; }
    static SceneLayoutControl* sceneLayoutControl(LiveMainWindow& w) { return w.m_sceneLayoutControl; }
    static DesktopShareDialog* sharePicker(LiveMainWindow& w) { return w.m_desktopShareDialog; }
    static FloatingWindow* floatingWindow(LiveMainWindow& w) { return w.m_floatingWindow; }
    static AppPopupWindow* appPopupWindow(LiveMainWindow& w) { return w.m_appPopupWindow; }
    static AddSceneDialog* addSceneDialog(LiveMainWindow& w) { return w.m_addSceneDialog; }
    // desktop and window share
    static HideWindow* hideWindow(LiveMainWindow& w) { return w.m_hideWindow; }
    static int shareType(LiveMainWindow& w) { return w.m_shareType; }
    static bool shareActive(LiveMainWindow& w) { return w.m_shareActive; }
    static void setShareActive(LiveMainWindow& w, bool active) { w.m_shareActive = active; }
    static bool& shareCameraOverlay(LiveMainWindow& w) { return w.m_shareCameraOverlay; }
    static QRect shownStrip(LiveMainWindow& w) { return w.m_shownStrip; }
    static QString& curPagePath(LiveMainWindow& w) { return w.m_curPagePath; }
    static bool& docCameraOverlay(LiveMainWindow& w) { return w.m_docCameraOverlay; }
    static docpage::CameraRect& docCameraRect(LiveMainWindow& w) { return w.m_docCameraRect; }
    static int& sceneState(LiveMainWindow& w) { return w.m_sceneState; }
    static std::vector<SceneSourceInfo>& sceneSources(LiveMainWindow& w) { return w.m_sceneSources; }
    static std::vector<QString>& cameraNames(LiveMainWindow& w) { return w.m_cameraNames; }
    static std::map<QString, int>& pageIndexes(LiveMainWindow& w) { return w.m_pageIndexes; }
    static bool& fullScreen(LiveMainWindow& w) { return w.m_isFullScreen; }
    // scene layouts on the canvas
    static InfoWidgetVec& sceneInfoWidgets(LiveMainWindow& w) { return w.m_sceneInfoWidgets; }
    static std::map<QString, int>& sceneZOrder(LiveMainWindow& w) { return w.m_sceneZOrder; }
    static bool& wheelBusy(LiveMainWindow& w) { return w.m_wheelBusy; }
    static quintptr& sceneDisplayWindow(LiveMainWindow& w) { return w.m_sceneDisplayWindow; }
    static QTimer* sceneTipTimer(LiveMainWindow& w) { return w.m_popTipTimer; }
    static void leaveSceneFullScreen(LiveMainWindow& w) { w.leaveSceneFullScreen(); }
    static void setOpenFileChooser(
        std::function<QString(QWidget*, const QString&, const QString&, const QString&)> chooser)
    {
        LiveMainWindow::s_chooseOpenFile = std::move(chooser);
    }
    static QLabel* overlayLabel(LiveMainWindow& w, int which) // 0 share, 1 page, 2 scene, 3 whiteboard
    {
        QLabel* labels[] = {w.m_Prelbl, w.m_docLbl, w.m_sceneLbl, w.m_whiteBoardLbl};
        return labels[which];
    }
    static PopTipDlg* broadcastTip(LiveMainWindow& w) { return w.m_broadcastTipDlg; }
    static QTimer* broadcastTipTimer(LiveMainWindow& w) { return w.m_broadcastTipTimer; }
    static PopTipDlg* sceneTip(LiveMainWindow& w) { return w.m_popTipDlg; }
    static DocumentShareWidget* documents(LiveMainWindow& w) { return w.m_documentShareWidget; }
    static ShowCarmeraWidget* cameraWindow(LiveMainWindow& w) { return w.m_showCarmeraWidget; }
    static LivePauseOrStopWidget* pauseOrStop(LiveMainWindow& w) { return w.m_pauseOrStopWidget; }
    static QNetworkAccessManager* avatarManager(LiveMainWindow& w) { return w.m_avatarManager; }
    static SceneWidget* sceneWidget(LiveMainWindow& w) { return w.m_sceneWidget; }
    static QHBoxLayout* toolPanelLayout(LiveMainWindow& w) { return w.m_toolPanelLayout; }
    static QVBoxLayout* placeholderLayout(LiveMainWindow& w) { return w.m_placeholderLayout; }
    static NetInfoThread& netInfoThread(LiveMainWindow& w) { return w.m_netInfoThread; }
    static UploadThread* uploadThread(LiveMainWindow& w) { return w.m_uploadThread; }
    static std::function<QString()>& pictureChooser() { return LiveMainWindow::pictureChooser(); }
    static UploadThread* ensureUploadThread(LiveMainWindow& w) { return w.ensureUploadThread(); }
    static void setCameraSettleSeconds(int seconds) { LiveMainWindow::s_cameraSettleSeconds = seconds; }
    static void showAvatarCamera(LiveMainWindow& w) { w.showAvatarCamera(); }
    // live control
    static LiveControl* liveControl(LiveMainWindow& w) { return w.liveControl(); }
    static LiveModeDialog* roomDialog(LiveMainWindow& w) { return w.m_liveModeDialog; }
    static RoomMessageRouter* roomRouter(LiveMainWindow& w) { return w.m_roomRouter; }
    static QLabel* liveEndLabel(LiveMainWindow& w) { return w.m_liveEndLabel; }
    static QLabel* liveTimeLabel(LiveMainWindow& w) { return w.m_liveTimeLabel; }
    static qint64 lastRoomId(LiveMainWindow& w) { return w.m_lastRoomId; }
    static std::function<int(QDialog&)> roomDialogRunner() { return LiveMainWindow::s_runRoomDialog; }
    static void setRoomDialogRunner(std::function<int(QDialog&)> runner)
    {
        LiveMainWindow::s_runRoomDialog = std::move(runner);
    }
    // chat
    static ChatSideState* chat(LiveMainWindow& w) { return w.chatSide(); }
    static void initChatTabBar(LiveMainWindow& w) { w.initChatTabBar(); }
    // online users
    static OnlineSideState* online(LiveMainWindow& w) { return w.onlineSide(); }
    // close, logout and settings popup
    static CloseDialog& closeDialog(LiveMainWindow& w) { return w.m_closeDialog; }
    static PopupDialog* popup(LiveMainWindow& w) { return w.m_popupDialog; }
    static bool popupShown(LiveMainWindow& w) { return w.m_popupShown; }
    static SettingsDialog* settingsDialog(LiveMainWindow& w) { return w.m_settingsDialog; }
    static ShareLiveDialog* shareLiveDialog(LiveMainWindow& w) { return w.m_shareLiveDialog; }
    static void setLastRoomId(LiveMainWindow& w, qint64 id) { w.m_lastRoomId = id; }
    // camera and preview menus
    static RightMenu* rightMenu(LiveMainWindow& w) { return w.m_rightMenu; }
    static RightChildMenu* rightChildMenu(LiveMainWindow& w) { return w.m_rightChildMenu; }
    static SortPageMenu* sortPageMenu(LiveMainWindow& w) { return w.m_sortPageMenu; }
    static QPoint& menuGlobalPos(LiveMainWindow& w) { return w.m_menuGlobalPos; }
    static SceneCenterWidget* sceneCenter(LiveMainWindow& w) { return w.m_sceneCenterWidget; }
    // co-host
    static ConnectMicInviteDialog* inviteDialog(LiveMainWindow& w) { return w.m_connectMicInviteDialog; }
    static CoHostList* coHostList(LiveMainWindow& w) { return w.m_coHostList; }
    static void setModalDialogRunner(std::function<int(QDialog&)> runner)
    {
        LiveMainWindow::s_runModalDialog = std::move(runner);
    }
    static std::function<void(int)>& exitEventLoop() { return LiveMainWindow::s_exitEventLoop; }
    // preview interaction: one event through the window's filter; true when it was consumed
    static bool filter(LiveMainWindow& w, QObject* watched, QEvent* event) { return w.eventFilter(watched, event); }
    static CameraOverlayHandler& cameraOverlay(LiveMainWindow& w) { return w.m_cameraOverlay; }
};

// A named widget of the window's form.
template <typename T = QWidget> T* formWidget(QWidget& window, const char* name)
{
    return window.findChild<T*>(QString::fromLatin1(name));
}

// The first label under `parent` that shows `text` (UTF-8), or null.
inline QLabel* labelWithText(QWidget& parent, const char* text)
{
    for (QLabel* label : parent.findChildren<QLabel*>())
        if (label->text() == QString::fromUtf8(text))
            return label;
    return nullptr;
}

// Chooses a room through the window's room dialog, as the host does; true once the live control
// has it ready.
inline bool chooseRoomInDialog(LiveMainWindow& window, qint64 roomId, int waitMs = 15000)
{
    bool picked = false;
    const std::function<int(QDialog&)> previous = LiveMainWindowTestAccess::roomDialogRunner();
    LiveMainWindowTestAccess::setRoomDialogRunner([&](QDialog& dialog) {
        auto& rooms = static_cast<LiveModeDialog&>(dialog);
        dialog.show();
        if (!QTest::qWaitFor([&] { return rooms.roomState().roomMap.contains(roomId); }, waitMs))
            return int(QDialog::Rejected);
        auto* box = dialog.findChild<QComboBox*>("live_room_cbx");
        box->setCurrentIndex(box->findData(roomId));
        QTest::mouseClick(dialog.findChild<QPushButton*>("ok_btn"), Qt::LeftButton);
        picked = dialog.result() == QDialog::Accepted;
        return dialog.result();
    });
    QTest::mouseClick(formWidget<QPushButton>(window, "select_live_btn"), Qt::LeftButton);
    LiveMainWindowTestAccess::setRoomDialogRunner(previous);
    LiveControl* control = LiveMainWindowTestAccess::liveControl(window);
    return picked &&
           QTest::qWaitFor(
               [&] { return control->state() == mainwin::LiveStateReady && control->roomId() == roomId; },
               waitMs);
}
