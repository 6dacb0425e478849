#pragma once
// The one main window. Its implementation is split by concern into LiveMainWindow_<Concern>.cpp;
// declarations below are grouped the same way, so each concern adds its lines in its own block.
#include "chat/ItemChatRecord.h"
#include "chat/ItemOnlineUserInfo.h"
#include "chat/UploadWork.h"
#include "platform/TrtcCloud.h"
#include "core/NetInfoThread.h"
#include "core/LoginInfo.h"
#include "canvas/CameraOverlayHandler.h"
#include "canvas/DocumentPageGeometry.h"
#include "canvas/PreviewRefit.h"
#include "canvas/SceneSourceInfo.h"
#include "scenes/InfoWidget.h"
#include "scenes/PreviewWidget.h"
#include "shell/CloseDialog.h"
#include "shell/LiveMainWindowRules.h"

#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QHBoxLayout;
class QJsonObject;
class QJsonValue;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QVBoxLayout;
class QWheelEvent;
struct audio_data;
struct video_data;
class AddSceneDialog;
class AppPopupWindow;
class ChatSideState;
class ClickableLabel;
class CoHostList;
class OnlineSideState;
class OnlineTabWidget;
class QListWidgetItem;
class DesktopShareDialog;
class DocumentControl;
class DocumentShareWidget;
class EmoteCacheJob;
class FloatingWindow;
class HideWindow;
class ItemConnectMicWidget;
class ConnectMicInviteDialog;
class LiveControl;
class LiveModeDialog;
class LivePauseOrStopWidget;
class MyButton;
class PopTipDlg;
class PopupMenuFrame;
class PopupDialog;
class RightChildMenu;
class RightMenu;
class RoomMessageRouter;
class SceneCenterWidget;
class SceneLayoutControl;
class SceneWidget;
class SettingsDialog;
class ShareLiveDialog;
class ShowCarmeraWidget;
class SideSearchBar;
class SortPageMenu;
class UploadThread;

class Ui_LiveMainWindow;
class WhiteBoardControl;
struct LiveMainWindowTestAccess;

class LiveMainWindow : public QMainWindow, public TrtcCloudCallbackDefaultImpl
{
    Q_OBJECT
    friend struct LiveMainWindowTestAccess;

public:
    using LiveState = mainwin::LiveState;
    using LiveType = mainwin::LiveType;

    explicit LiveMainWindow(QWidget* parent = nullptr);
    ~LiveMainWindow() override;

    // ---- Set-up after login (LiveMainWindow_Login.cpp)
    void initLiveMainWindowParams(LoginInfo* loginInfo);
    void initFromLogin();

    // ---- Frame (LiveMainWindow_TitleBar.cpp)
    // Shows a hint of the broadcast controls for 3000 ms below the title bar.
    void showBroadcastHint(const QString& text);

    // ---- Co-host (LiveMainWindow_CoHost.cpp)
    // The co-host link token's reply: the room channel keeps the token and prepares the co-host
    // login text from it.
    void onWsTokenReply(const QJsonObject& reply);
    // The id of an element of the co-host online list, as the co-host list reads it.
    static qint64 readOnlineUserId(const QJsonValue& value);
    // The raw-frame receivers of a co-host room, on libobs' audio and video threads: each frame
    // goes to the live control's custom frame sender (dropped before the first start).
    void onObsAudioFrame(void* userData, uint64_t mixIndex, audio_data* data);
    void onObsVideoFrame(void* userData, video_data* frame);

public slots:
    // ---- Frame
    void on_minimize_btn_clicked();
    // Re-fit on maximise, restore and resize (LiveMainWindow_Refit.cpp).
    void on_maximize_btn_clicked();

    // ---- Set-up after login
    void update_network_rate(int bitrate);

    // ---- Live control (LiveMainWindow_Live.cpp)
    void initLiveCore();
    void on_select_live_btn_clicked();
    void on_live_mode_btn_clicked();
    void showLiveModeDialog();
    void live_mode_selected();
    void changeLiveRoom();
    void pause_live();
    void stop_live();
    void LiveTimeOut();

    // ---- Tools and live types (LiveMainWindow_Tools.cpp)
    void selectLivetype(LiveType type);
    void updateToolButtons(LiveType type);
    void showDocumentLayout();

    // ---- Scene layouts (LiveMainWindow_Scenes.cpp)
    void save_btn_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                          QString strPath);
    void save_and_use_btn_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                                  QString strPath);
    void on_SetAddSceneBackground();
    void use_scene_clicked(std::vector<PreviewWidget*> preWidgetVec);
    void _use_scene_clickedEX(InfoWidgetVec InfoWidgetVec, int count, int isImageNum,
                              bool bLectureLayout = false);
    void _cancle_scene_clicked(int count, int isImageNum);
    void _fullScreen(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, int isCamNum);
    // The strip asked for an eleventh layout.
    void showMaxSceneHint();
    // Turns the page of the picture tile under the wheel's pointer (width and height: the area the
    // scene is shown in, the preview or, in full screen, the canvas).
    void turnLayoutPage(bool up, int width, int height, QWheelEvent* event);
    // Applying a layout reads its pictures' sizes off the window's thread first; the layout is
    // applied (and `then` run) once they are in, unless a later apply, a cancel or the share tool
    // came first.
    void applySceneWhenRead(const InfoWidgetVec& tiles, bool lectureLayout, std::function<void()> then);
    void applySceneLayout(const InfoWidgetVec& tiles, bool lectureLayout, bool fullScreen,
                          const std::map<QString, QSize>& sizes);
    // The picture a tile shows: its first page, or in full screen the page turned to there.
    QString sceneTilePicturePath(const InfoWidgetPtr& tile, const QString& sourceName, bool fullScreen) const;
    void dropPendingSceneWork();

    // ---- Documents (LiveMainWindow_Documents.cpp)
    void recvUsePicslot(QString strfilePath, QString strfileName);
    void onDocumentTileDeleted(QString strfilePath, QString strfileName);
    void recvDoucmentSharePicslot(QString strfilePath = QString());
    // The panel closed a tab: its tiles in the list are no longer in use.
    void onDocumentTabClosed(QString strpath, QString strfileName);
    // The document list opens on its first page (the panel's and the placeholder's "添加文档").
    void showDocumentList();
    void recvWhiteBoardShareslot(int nIndex);
    void onAddWhiteBoard(int num);

    // ---- Desktop and window share (LiveMainWindow_Share.cpp)
    void desktop_share_clicked(int type, QString name);
    void desktop_cancel_clicked();
    void exit_desktop_share_clicked();
    void exit_window_share_clicked();

    // ---- Camera (LiveMainWindow_Camera.cpp)
    void handleSceneWidgetMirror();
    void CancelCarmera();
    void handleDragSceneWidget();
    void handleGetDocumentCameraPosAndSize();
    void handleRotateClockwise();
    void handleRotateAnticlockwise();
    void handleFlipVertically();
    void ClickMenuReset();
    void saveCameraPosAndSize(float x = -1, float y = -1, float width = -1, float height = -1);
    void setObsSourcePosAndSize(const char* source, float x, float y, float width, float height);
    void setShowCarmera();

    // ---- Preview menus (LiveMainWindow_Menus.cpp)
    void initRightMenu();
    void handleShowRightMenu(int userId);
    void ClickChildRightMenu(int userId);
    void ClickSortPageRightMenu(int userId);
    void handleSortMenuTop(int userId);
    void handleSortMenuBottom(int userId);
    void handleSortMenuUp(int userId);
    void handleSortMenuDown(int userId);

    // ---- Co-host (LiveMainWindow_CoHost.cpp)
    // Asks for the co-host link token (the live control's start in a co-host room).
    void getWsTokenAndTrtcLogin();
    // The room channel's answer "r_trtc_login" to the co-host login; the live control acts on it.
    void handleRTrtcLogin(QJsonObject& jsonObj);
    void showConnMicInviteDialogSlot();
    void handlConnMicInviteDialogClose();
    void handleRemoteVideoAvailable(const char* userId, bool available);
    void handleRemoteAudioAvailable(const char* userId, bool available);
    void onPauseRequested();
    void onStopRequested();
    // The room channel's co-host messages (ids as read; the list judges them).
    void handleTrtcApply(qint64 id, QString name, QString photo, QString trtcTag, bool apply = true);
    void handleTrtcLogin(qint64 id);
    void handleTrtcOnline(QJsonObject& jsonObj);
    void handleTrtcRemove(int id);
    void handleTrtcRemove_1(qint64 id, bool eraseFromMap = true);
    void handleLocalAudio(bool isMute);
    // Ends every co-host link of the room (room choice, pause, stop).
    void handleStopLive();
    void handleMicListSearchName(QString name);
    void handleMicListSearchFinish();

    // ---- Chat and audience (LiveMainWindow_Chat.cpp)
    void initChatTabBar();
    void initTipPage();
    void initChatPage();
    void initOnlineUserPage();
    void showChatPage();
    void showOnlineUserPage();
    void resetChatList();
    void sendChatText();
    void handleAdminSendMessage(QString sendWssMessage, QString content = QString());
    int handleAdminSendMessageRecv(QString sendWssMessage, QString msg_id);
    void addItemChatRecord(ItemChatRecord& value, bool isWss);
    void updateChatRecordList();
    void getUserTagInfo();
    void connWss(qlonglong roomId);
    void initWss(QString ws_url);
    void onWsConnected();
    void onWsTextMessage(QString message);
    // An IM group chat card (the router takes the copies made on the SDK's thread).
    void handleImSDKNewMessage(QByteArray newMessage);
    // History, pinning, row actions and mute-all.
    void loadMoreChatRecord();
    void onChatRecordPage(const QJsonObject& reply);
    void setPinnedMessage(ItemChatRecord& record, bool show);
    void onChatItemAction(QString action, ItemChatRecord item);
    void toggleMuteAll();
    void setMuteAllState(bool on);
    // Chat pictures (LiveMainWindow_Pictures.cpp).
    void choosePicture();
    void createOssClient(QByteArray reply, QString path, bool retried = false);
    void commitUploadPicWork(QString path, bool retried = false);
    void handleSendChatRecordImg(QString imgUrl, qint64 roomId);
    void onPictureUploadRefused(UploadWork work);
    // Online users (LiveMainWindow_OnlineUsers.cpp).
    OnlineTabWidget* createOnlineTab(QString text, int index);
    // Selects a tab and reloads it; -1 reloads the current tab.
    void onOnlineTabChanged(QVariant index);
    void refreshOnlineList();
    // One page of muted ("shut_up"), blocked ("forbid") or shielded ("shield") viewers.
    void requestUserList(QString type);
    void fillOnlineList(const QList<ItemOnlineUserInfo>& list, bool atTop);
    void showOnlineEmpty(bool empty);

    // ---- Close, logout and settings popup (LiveMainWindow_Close.cpp)
public slots:
    void on_close_btn_clicked();
    void logout_clicked();
    void on_settings_btn_clicked();
    void handlePopupDialogClose();
    void more_settings_clicked();
    void check_update_clicked();
    void on_share_btn_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Centres a top-level dialog on the window.
    void centreOnWindow(QWidget& dialog) const;
    void setSettingsButtonLook(bool popupShown);
    // Runs the close prompt, the logout confirmation and the share dialog modally (tests replace it).
    inline static std::function<int(QDialog&)> s_runModalDialog = [](QDialog& dialog) {
        return dialog.exec();
    };
    // Ends the event loop with a code (QCoreApplication::exit; tests record the code instead).
    static std::function<void(int)> s_exitEventLoop;

protected:
    // ---- Frame
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // ---- Scene layouts
    void wheelEvent(QWheelEvent* event) override;

    // ---- Preview interaction (LiveMainWindow_Preview.cpp)
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // ---- Frame (LiveMainWindow.cpp)
    void initUi();
    MyButton* makeToolButton(const QString& objectName, int kind, const QString& icon, const QString& text,
                             bool selected, QHBoxLayout* row, bool visible);

    // ---- Set-up after login
    void handleAvatarReply(QNetworkReply* reply);
    void showAvatar(const QImage& image);
    void showAvatarCamera();

    // ---- Live control
    // The state machine behind the live controls, made and wired on first use.
    LiveControl* liveControl();
    void renderLiveControls(int state);
    void showLiveRoomChoice();
    void showLiveStopped();
    void showLiveClock(const QString& text);
    void clearLiveButtonLabels();
    void showPauseOrStopPopup();
    void showLiveFailureToast(const QString& text);

    // ---- Tools and live types
    void leaveTool(LiveType from);
    // Asks the host whether the running share may end; true when it may.
    bool confirmShareExit();
    void endRunningShare();
    void enterDocumentTool();
    void enterWhiteBoardTool();
    void enterShareTool();
    void enterSceneLayoutTool();
    void showDocumentPlaceholder();
    void showLayoutPlaceholder();
    // Takes the applied scene's picture sources and the camera copies off the canvas.
    void removeSceneSources();
    void removeCameraCopies();

    // ---- Desktop and window share
    // Closes the bars of a running share (a new share replaces it without an exit slot).
    void closeShareBars();
    // Fits preview_widget and m_Prelbl for a share; returns R, the preview's geometry.
    QRect layOutSharePreview(bool portrait);
    // Puts the chosen window on the canvas; false when no engine window item carries `title`.
    bool startWindowShare(const QString& title, const QRect& R, const QRect& L, float sx, float sy,
                          quintptr wid);
    // The host camera as the small overlay in the canvas's lower right corner.
    void placeShareCameraOverlay(const QRect& R, float sx, float sy);
    // The common tail of both exits (and of a failed window share).
    void endShareCommon();

    // ---- Scene layouts
    // Ends the scene's full screen: the label goes back into the preview, the scene stays as it is
    // (the main display moves with the label when its native window changed on the way).
    void leaveSceneFullScreen();
    // A hint in m_popTipDlg over the top of `reference`, hidden 3000 ms after the newest one.
    void showSceneHint(const QString& text, QWidget* reference);
    // The host camera over the whole canvas (mirrored when the camera is).
    void placeCameraOverCanvas();
    // Picks the layout editor's background picture: (parent, caption, folder, filter) -> path or
    // "" (QFileDialog::getOpenFileName; tests replace it).
    static std::function<QString(QWidget*, const QString&, const QString&, const QString&)> s_chooseOpenFile;

    // ---- Documents
    // The camera overlay on the page just placed at the preview scale `scale`.
    void showDocumentCamera(float scale);

    // ---- Preview interaction
    void initConnections();
    // The document tool's overlay handling of a preview mouse event; true consumes it.
    bool pressCameraOverlay(QMouseEvent* event);
    // The share tool's (landscape or portrait) overlay handling; true consumes the event.
    bool handleShareOverlay(QMouseEvent* event, bool portrait);
    // Feeds one preview mouse event to the overlay handler and carries its result out.
    bool feedCameraOverlay(CameraOverlayHandler::Handling handling, QMouseEvent* event);
    CameraOverlayHandler m_cameraOverlay;

    // ---- Re-fit on maximise, restore and resize
    void refitPreview(previewrefit::Path path);
    // preview_widget at `geometry`: a column of fixed size kept centred by the frame's layout, or
    // free to follow the frame.
    void fitPreviewWidget(const QRect& geometry, bool column);
    // The window-share bar at the window's lower left edge, the window's top left taken as `topLeft`.
    void placeAppPopupWindow(const QPoint& topLeft);

    // ---- Chat and audience
    void toggleEmotePanel();
    void addRemindMessage(const QString& name, bool enter);
    ClickableLabel* createBtnWithImg(QString imagePath);
    ChatSideState* chatSide();
    // A room or custom address chosen: the chat's side of it (word list, own tags, chat list).
    void onChatRoomChosen();
    int showOwnMessage(const QString& sayMessage, const QString& content);
    // The picture dialog ("选择图片"); tests replace it. Returns the chosen path or empty text.
    static std::function<QString()>& pictureChooser();
    UploadThread* ensureUploadThread();
    void requestOssCredentials(const QString& path, bool retried);
    void selectSideTab(int tab, int page);
    void clearChatList();
    void removeChatRow(const QString& messageId, int ownLocalSeq);
    void removeQuoteBar();
    void scrollChatToBottom();
    void insertChatRow(ItemChatRecord& value, bool isWss);
    // Adds held-back rows for up to `limit` ms (all of them with -1).
    void flushHeldChatRows(int limit);
    // History pages and the row bound (LiveMainWindow_ChatHistory.cpp).
    void addLoadMoreHeader();
    void onChatRecordPage(const QJsonObject& reply, quint64 roomEpoch, int page);
    void showLoadMoreIdle();
    void trimChatRows();
    void deleteChatMessage(const ItemChatRecord& item);
    void postChatDelete(const QString& msgId, bool reportFailure);
    // Online users.
    OnlineSideState* onlineSide();
    qint64 currentOnlineRoom();
    void clearOnlineRows();
    void removeOnlineRow(QListWidgetItem* item, const QString& key);
    void handleOnlineListMessage(int onlineNum, const QJsonObject& message);
    // Adds waiting viewers for about budgetMs (all of them when negative).
    void addWaitingOnlineRows(int budgetMs);
    void addOnlineRecord(const ItemOnlineUserInfo& record, bool atTop);
    void onlineUserLeft(const QString& key);
    void showOnlineCount(int onlineNum);

    // ---- Frame state
    Ui_LiveMainWindow* ui = nullptr;
    int m_canvasWidth = 1920;
    int m_canvasHeight = 1080;
    LoginInfo* m_loginInfo = nullptr;
    bool m_dragging = false;
    QPoint m_dragStart;
    bool m_isMaximized = false;
    CloseDialog m_closeDialog;
    PopupDialog* m_popupDialog = nullptr;
    bool m_popupShown = false;
    SettingsDialog* m_settingsDialog = nullptr;
    NetInfoThread m_netInfoThread;
    SceneCenterWidget* m_sceneCenterWidget = nullptr;
    SceneWidget* m_sceneWidget = nullptr;
    MyButton* m_documentBtn = nullptr;
    MyButton* m_whiteBoardBtn = nullptr;
    MyButton* m_desktopShareBtn = nullptr;
    MyButton* m_sceneLayoutBtn = nullptr;
    MyButton* m_connMicBtn = nullptr;
    QLabel* m_Prelbl = nullptr;
    QLabel* m_docLbl = nullptr;
    QLabel* m_sceneLbl = nullptr;
    QLabel* m_whiteBoardLbl = nullptr;
    ShareLiveDialog* m_shareLiveDialog = nullptr;
    const QString m_selectedTabStyle = "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;"
                                       "color: #FFFFFF;line-height: 20px;";
    const QString m_unselectedTabStyle = "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;"
                                         "color: #6B6C83;line-height: 20px;";
    const QString m_tagBadgeStyle = "background:%1;font-size:12px;padding:0 4px;color:white;"
                                    "font-family:Microsoft YaHei;line-height:20px";

    // ---- Set-up after login state
    QNetworkAccessManager* m_avatarManager = nullptr;
    QPixmap m_avatarPixmap;
    PopTipDlg* m_popTipDlg = nullptr;
    PopTipDlg* m_broadcastTipDlg = nullptr;
    QTimer* m_broadcastTipTimer = nullptr; // one hide per hint: a newer hint restarts it
    AddSceneDialog* m_addSceneDialog = nullptr;
    DocumentShareWidget* m_documentShareWidget = nullptr;
    DesktopShareDialog* m_desktopShareDialog = nullptr;
    HideWindow* m_hideWindow = nullptr;
    FloatingWindow* m_floatingWindow = nullptr;
    AppPopupWindow* m_appPopupWindow = nullptr;
    ShowCarmeraWidget* m_showCarmeraWidget = nullptr;
    QHBoxLayout* m_toolPanelLayout = nullptr;
    QVBoxLayout* m_placeholderLayout = nullptr;
    std::unique_ptr<EmoteCacheJob> m_emoteJob;
    // The avatar handler waits this long for a freshly added camera (tests shorten it).
    inline static int s_cameraSettleSeconds = 2;

    // ---- Live control state
    // A copy of the control's state, for the parts of the window that only read it.
    LiveState m_liveState = mainwin::LiveStateIdle;
    LiveControl* m_liveControl = nullptr; // owns the live clock
    LiveModeDialog* m_liveModeDialog = nullptr;
    LivePauseOrStopWidget* m_pauseOrStopWidget = nullptr;
    // The room channel and its dispatcher (the chat side routes its messages through it too).
    RoomMessageRouter* m_roomRouter = nullptr;
    qint64 m_lastRoomId = -1; // the room whose pages were last set up; -1 none
    QVBoxLayout* m_liveBtnLayout = nullptr;
    QLabel* m_liveEndLabel = nullptr;
    QLabel* m_liveTimeLabel = nullptr;
    // Runs the room dialog modally (tests replace it).
    inline static std::function<int(QDialog&)> s_runRoomDialog = [](QDialog& dialog) {
        return dialog.exec();
    };

    // ---- Tools and live types state
    LiveType m_liveType = mainwin::LiveTypeNone;
    LiveType m_lastLiveType = mainwin::LiveTypeNone;
    // The tools' panels, made on first use and kept (the control strip owns them once placed).
    DocumentControl* m_documentControl = nullptr;
    WhiteBoardControl* m_whiteBoardControl = nullptr;
    SceneLayoutControl* m_sceneLayoutControl = nullptr;

    // ---- Desktop and window share state
    int m_shareType = -1; // 0 whole screen, 1 one window, -1 no share
    bool m_shareActive = false;
    // The camera overlay belongs on the canvas in the share tool.
    bool m_shareCameraOverlay = true;
    QRect m_shownStrip;         // portrait: the 16:9 strip of the column that shows the share picture
    QSize m_previewFormMinimum; // preview_widget's own minimum, back in landscape

    // ---- Documents state
    QString m_curPagePath; // the page image on the canvas
    // The camera overlay belongs on the document page (cleared when the host takes it off).
    bool m_docCameraOverlay = true;
    // Where the host left the camera overlay on the page; unplaced (-1) until then.
    docpage::CameraRect m_docCameraRect;

    // ---- Scene layouts state
    int m_sceneState = -1; // -1 none, 0 edited or saved without use, 1 applied
    std::vector<SceneSourceInfo> m_sceneSources;
    std::vector<QString> m_cameraNames; // "camera source", then its copies in tile order
    std::map<QString, int> m_pageIndexes;
    bool m_isFullScreen = false;
    // The applied scene's records, shared with the strip (which may drop its own meanwhile).
    InfoWidgetVec m_sceneInfoWidgets;
    std::map<QString, int> m_sceneZOrder; // source name -> tile number (-1 the background)
    bool m_wheelBusy = false;
    quint64 m_sceneApplyGeneration = 0; // a pending apply or page turn of an older one is dropped
    bool m_sceneApplyPending = false;   // an apply waits for its pictures' sizes
    quintptr m_sceneDisplayWindow = 0; // the scene label's window the main display is on (0 none)
    QTimer* m_popTipTimer = nullptr;   // one hide for the scene hints: a newer one restarts it

    // ---- Chat and audience state
    UploadThread* m_uploadThread = nullptr;
    ChatSideState* m_chatSide = nullptr;     // the side panel's chat state, a child of the window
    OnlineSideState* m_onlineSide = nullptr; // the online-users page's state, a child of the window

    // ---- Camera and preview menus state
    // The camera in the bottom-right corner at its default overlay size (mirrored when the camera is).
    void placeCornerCamera(bool mirror);
    // Points "camera source" at the chosen camera (the store's, else the first one).
    void setChosenCameraDevice();
    // Opens `submenu` for `userId` beside the context menu's second row.
    void openSubmenu(PopupMenuFrame* submenu, int userId);
    RightMenu* m_rightMenu = nullptr;
    RightChildMenu* m_rightChildMenu = nullptr;
    SortPageMenu* m_sortPageMenu = nullptr;
    QPoint m_menuGlobalPos; // where the context menu was opened (screen); submenus open beside it

    // ---- Co-host state
    CoHostList* m_coHostList = nullptr;   // the rows of the co-host list (made with the strip)
    SideSearchBar* m_micSearch = nullptr; // set once the co-host page is built
    void initCoHostList();
    void wireCoHostSignalling();
    void initMicPage();
    // Made once by the first co-host room (no parent; deleted with the window).
    ConnectMicInviteDialog* m_connectMicInviteDialog = nullptr;
    void refreshInviteDialog();
};
