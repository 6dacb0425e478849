#pragma once
// What the phone and WeChat QR logins share: their requests (own network managers, default TLS
// configuration, a transfer time-out) and the reading of a login reply.

#include "core/LoginInfo.h"
#include "core/PictureLimits.h"

#include <QJsonObject>
#include <QNetworkRequest>

class QNetworkReply;

namespace solvek
{

// Requests of the login tabs give up after this long, so a silent server cannot hang a tab.
inline constexpr int kLoginRequestTimeoutMs = 30000;
// The time-out the login requests use now (kLoginRequestTimeoutMs unless a test shortened it).
int loginRequestTimeoutMs();
void setLoginRequestTimeoutMs(int ms);

// The exact content type of the open API's JSON replies; anything else is not a login reply.
inline constexpr char kLoginJsonContentType[] = "application/json;charset=utf-8";

// Bounds of what the login tabs take: a JSON reply, and the QR code's picture (bytes; its pixels
// are bounded like every picture, core/PictureLimits.h).
inline constexpr qint64 kMaxLoginReplyBytes = 1024 * 1024;
inline constexpr qint64 kMaxQrPictureBytes = PictureLimits::kMaxAvatarBytes;

QNetworkRequest loginRequest(const QUrl& url);
// A POST request carrying a form body.
QNetworkRequest loginFormRequest(const QUrl& url);

// Reads a finished reply as the open API's JSON envelope. False (with a debug line saying why)
// on a network error, a missing or other content type, or a body that is not a JSON object.
bool readLoginJson(QNetworkReply* reply, QJsonObject* out);

// The "code" of an envelope as a number; a code sent as text counts as 0.
int replyCode(const QJsonObject& envelope);

// Fills a zeroed record from the "data" object of a successful login reply. A login without a
// token cannot be used for anything, so a missing or empty "token" makes it fail (false).
bool loginInfoFromData(const QJsonObject& data, qint32 loginType, LoginInfo* out);

} // namespace solvek
