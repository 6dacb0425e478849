// libFuzzer target: arbitrary bytes as the replies of the sub-account login (the code, the main
// accounts a scan offers, the sub-login) and of the phone and QR logins, read as the login panels
// read them.
// Besides the sanitizers it checks that a code's lifetime stays within its bound, that every
// offered account becomes a record of the scene read, and that no login without a token passes.
#include "FuzzCheck.h"

#include "login/LoginReply.h"
#include "login/SelectAccoutDialog.h"
#include "login/SubAccoutWidget.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonObject reply =
        QJsonDocument::fromJson(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)))
            .object();
    const QJsonObject body = reply.value(QStringLiteral("data")).toObject();

    const SubAccoutWidget::CodeReply code = SubAccoutWidget::readCodeReply(reply);
    fuzz::check(code.expireSeconds >= 0 && code.expireSeconds <= SubAccoutWidget::kMaxExpireSeconds);

    const QList<LoginInfo> accounts = SubAccoutWidget::readAccounts(reply, code.scene);
    const QJsonValue users = body.value(QStringLiteral("users"));
    fuzz::check(accounts.size() == (users.isArray() ? users.toArray().size() : 0));
    for (const LoginInfo& account : accounts)
        fuzz::check(account.qrscene == code.scene && account.token.isEmpty());

    LoginInfo card = accounts.value(0);
    LoginInfo signedIn;
    if (SelectAccoutDialog::completeRecord(card, body, &signedIn))
        fuzz::check(!signedIn.token.isEmpty() && signedIn.loginType == 2 &&
                    signedIn.main_wechat_user_space_id == card.wechat_user_space_id);

    solvek::replyCode(reply);
    LoginInfo record;
    if (solvek::loginInfoFromData(body, 0, &record))
        fuzz::check(!record.token.isEmpty());
    return 0;
}
