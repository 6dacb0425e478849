#include "login/LoginPicture.h"

#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "core/PictureDecoder.h"
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

bool fetchLoginPicture(const QString& address, QObject* context, std::function<void(const QPixmap&)> done,
                       const QSize& shownSize)
{
    if (!ImageUtils::isRoomPictureAddress(address))
        return false;
    QNetworkReply* reply = pictureManager()->get(loginRequest(QUrl(address)));
    limitReplySize(reply, kMaxQrPictureBytes);
    // Released whether or not the context still waits for it.
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QObject::connect(
        reply, &QNetworkReply::finished, context, [reply, context, shownSize, done = std::move(done)]() {
            if (reply->error() != QNetworkReply::NoError) {
                done(ImageUtils::fallbackPixmap());
                return;
            }
            // Decoded off the window's thread.
            PictureDecoder::decodeLater(reply->readAll(), shownSize, context, [done](const QImage& image) {
                done(image.isNull() ? ImageUtils::fallbackPixmap() : QPixmap::fromImage(image));
            });
        });
    return true;
}

} // namespace solvek
