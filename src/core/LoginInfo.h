#pragma once
// The record of the signed-in host. Every login flow fills one; the login dialog keeps the
// authoritative copy, NetUtils keeps its own. It lives in core because every area reads it (the
// chat, the co-host handling, the main window), not only the login. Texts are kept whole (no
// fixed-width cut).

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct LoginInfo {
    qint32 uid = 0;
    qint32 wechat_user_space_id = 0;
    qint32 client_type = 0;
    QString name;
    QString photo;
    QString openid;
    QString unionid;
    qint32 main_wechat_user_space_id = 0;
    QString main_name;
    QString main_photo;
    QString main_openid;
    QString main_unionid;
    QString qrscene;
    QByteArray token; // sent as the "openapitoken" header when not empty
    qint32 loginType = 0; // 0 phone and password, 1 WeChat QR code, 2 sub-account
};

class LoginObserver
{
public:
    virtual ~LoginObserver() = default;
    // loginInfo points to a filled LoginInfo owned by the caller, valid during the call.
    virtual void onLoginStatusNotify(void* loginInfo, int code) = 0;
};
