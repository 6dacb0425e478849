#pragma once
// One row of the co-host list: the host's own row ("主麦") or a co-host or candidate ("副麦"),
// with avatar, name and badge. A pending row offers "同意" and "拒绝"; a connected row switches the
// user's microphone and camera and, for a co-host, removes them. Its buttons send the co-host
// control messages over the room channel (sendChatWsMessage) and tell the tiles through signals.
//
// The row owns its record and deletes it with itself; the co-host tile only borrows the pointer.
// The avatar is fetched once by the row's own manager and cached as
// "<document root>/micUser/<space id>.jpeg", which the co-host tile shows. The remove
// confirmation goes through a replaceable function (tests answer it) and dies with the row: the
// room channel can take a row away while its confirmation is open. The owner deletes rows with
// deleteLater, since a row's own slots may be on the stack.
//
// TransparentButton: a push button painted almost fully transparent that still takes every
// click on its area (the row's small buttons).

#include "core/PictureLimits.h"
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>

struct TrtcMicUserInfo;
class QFrame;
class QHBoxLayout;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;

class TransparentButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TransparentButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class ItemConnectMicWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 40;
    static constexpr int kAvatarSide = 40;
    static constexpr int kNameWidth = 140;
    // Bounds of the avatar download (untrusted address).
    static constexpr qint64 kMaxAvatarBytes = PictureLimits::kMaxAvatarBytes;
    static constexpr int kAvatarTimeoutMs = 10000;

    struct Hooks {
        // Asks (title, rich text) and runs onEnter on confirmation. `owner` is the row: the
        // question must go when the row goes.
        std::function<void(QWidget* owner, const QString& title, const QString& richContent,
                           std::function<void()> onEnter)>
            confirm;
    };
    static Hooks& hooks();
    static void resetHooks();

    // isSecond: a co-host or candidate (false: the host's own row). Takes ownership of info.
    ItemConnectMicWidget(TrtcMicUserInfo* info, bool pending, bool isSecond, QWidget* parent = nullptr);
    ~ItemConnectMicWidget() override;

    TrtcMicUserInfo* userInfo() const { return m_info; }

    void setMicState(bool on);
    void setCameraState(bool on);
    void setNoMic();
    void setNoCamera();
    bool micOn() const { return m_micOn; }
    bool cameraOn() const { return m_cameraOn; }

    // From the co-host tile's buttons: set the state and tell the co-host (no signal back).
    void onTileMicClicked(bool on);
    void onTileCameraClicked(bool on);

    // The cache file of a co-host's avatar.
    static QString avatarFile(qint64 spaceId);

    // For tests: the parts of the row.
    QLabel* avatarLabel() const { return m_avatarLabel; }
    QLabel* nameLabel() const { return m_nameLabel; }
    QLabel* badgeLabel() const { return m_badgeLabel; }
    QPushButton* micButton() const;
    QPushButton* cameraButton() const;
    QPushButton* removeButton() const;
    QPushButton* agreeButton() const { return m_agreeBtn; }
    QPushButton* refuseButton() const { return m_refuseBtn; }
    // The avatar request has ended (shown, failed or never made).
    bool avatarSettled() const { return m_avatarSettled; }

signals:
    void removeItem(int userId);
    void sigCameraBtnClicked(bool flag);
    void sigMicBtnClicked(bool flag);

public slots:
    void agreeConnMic();
    void refuseConnMic();
    void micSlot();
    void cameraSlot();
    void removeSlot();

private:
    void setupForm();
    void addConnectedButtons();
    void requestAvatar();
    void onAvatarReply(QNetworkReply* reply);
    void showAvatarFailed();
    void settleAvatar();
    void sendManage(const char* behavior) const;
    int spaceId() const;

    TrtcMicUserInfo* m_info;
    QNetworkAccessManager* m_avatarManager = nullptr;
    QHBoxLayout* m_layout = nullptr;
    QLabel* m_avatarLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_badgeLabel = nullptr;
    TransparentButton* m_micBtn = nullptr;
    TransparentButton* m_cameraBtn = nullptr;
    TransparentButton* m_removeBtn = nullptr;
    QFrame* m_separator = nullptr;
    QPushButton* m_agreeBtn = nullptr;
    QPushButton* m_refuseBtn = nullptr;
    bool m_cameraOn = false;
    bool m_micOn = false;
    bool m_isSecond;
    bool m_avatarSettled = false;
};
