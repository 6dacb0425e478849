#include "login/LoginPicture.h"

#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "login/LoginReply.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

namespace solvek
{

namespace
{
QNetworkAccessManager* pictureManager()
{
    static QPointer<QNetworkAccessManager> manager;
    if (!manager)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    return manager;
}
} // namespace

bool fetchLoginPicture(const QString& address, QObject* context, std::function<void(const QPixmap&)> done)
{
    if (!ImageUtils::isRoomPictureAddress(address))
        return false;
    QNetworkReply* reply = pictureManager()->get(loginRequest(QUrl(address)));
    limitReplySize(reply, kMaxQrPictureBytes);
    // Released whether or not the context still waits for it.
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)]() {
        QPixmap picture;
        if (reply->error() == QNetworkReply::NoError)
            picture = QPixmap::fromImage(ImageUtils::decodeImage(reply->readAll()));
        done(picture.isNull() ? ImageUtils::fallbackPixmap() : picture);
    });
    return true;
}

} // namespace solvek
