#pragma once
// The "邀请连麦" dialog: the host hands a second host the co-host application link, the room
// number and the login password of the room ("网页直播"), or the mini-program QR code of the
// room's stream ("小程序直播").
//
// One dialog per run, made hidden by the main window's room change in a co-host room, which calls
// refreshLink for every newly chosen room; it keeps its texts and picture between openings. The
// link and password come from the open API, the QR picture from the console host and is cached
// as "<document root>/inviteMic.jpeg". A refresh for another room empties what belonged to the
// previous room at once and drops that room's late replies, so the host never hands out one
// room's credentials beside another room's number.

#include "core/PictureLimits.h"
#include <QDialog>
#include <QFile>
#include <QPoint>
#include <QString>

#include <optional>

class CustomWidget;
class QJsonObject;
class QNetworkAccessManager;
class QNetworkReply;

namespace Ui
{
class ConnectMicInviteDialog;
}

class ConnectMicInviteDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPictureSide = 140;
    static constexpr int kPictureRadius = 4;
    static constexpr int kToastMs = 2000;
    // Bounds of the QR picture download.
    static constexpr qint64 kMaxPictureBytes = PictureLimits::kMaxAvatarBytes;
    static constexpr int kPictureTimeoutMs = 10000;

    explicit ConnectMicInviteDialog(QWidget* parent = nullptr);
    ~ConnectMicInviteDialog() override;

    void refreshLink(qint64 roomId, const QString& appStream);
    void showDialog();

    // The cache file of the QR picture.
    static QString pictureFile();

    // The invitation reply: its "data" object's "second_broad_url" and "second_broad_pwd"; a
    // member that is not text is absent (and leaves what is shown as it is).
    struct WebCastInfo {
        std::optional<QString> link;
        std::optional<QString> password;
    };
    static WebCastInfo readWebCastInfo(const QJsonObject& reply);

    // The two tabs ("网页直播", "小程序直播").
    CustomWidget* webTab() const { return m_webTab; }
    CustomWidget* appletTab() const { return m_appletTab; }

signals:
    void sigConnectMicInviteDialogClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void selectTab(bool web);
    void showWebTexts();
    void onWebCastInfo(quint64 serial, const QJsonObject& reply);
    void onPictureReply(quint64 serial, QNetworkReply* reply);
    void copyText(const QString& text);

    Ui::ConnectMicInviteDialog* ui;
    QNetworkAccessManager* m_pictureManager = nullptr;
    QFile m_pictureFile;
    QString m_link;
    QString m_password;
    QString m_roomNumber;
    CustomWidget* m_webTab = nullptr;
    CustomWidget* m_appletTab = nullptr;
    const QString m_selectedTabStyle = "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;"
                                       "color: #FFFFFF;line-height: 20px;border: none solid #464C71;";
    const QString m_unselectedTabStyle = "font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;"
                                         "color: #6B6C83;line-height: 20px;border: none solid #464C71;";
    QPoint m_lastMousePos;
    // Replies carry the serial of the room they were asked for; a newer room makes them stale.
    qint64 m_refreshedRoom = -1;
    quint64 m_roomSerial = 0;
};
