// Chat pictures: the choice, temporary storage credentials, the upload queue and sending the
// stored picture's address to the room.
#include "shell/LiveMainWindow.h"

#include "chat/ChatSender.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "chat/UploadThread.h"
#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "core/Toast.h"
#include "platform/OssClient.h"
#include "shell/ChatSideState.h"
#include "shell/LiveControl.h"

#include <QDebug>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QStandardPaths>

std::function<QString()>& LiveMainWindow::pictureChooser()
{
    static std::function<QString()> choose = [] {
        return QFileDialog::getOpenFileName(nullptr, QString::fromUtf8("选择图片"),
                                            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                                            QStringLiteral("Images (*.png *.jpg *.jpeg )"));
    };
    return choose;
}

UploadThread* LiveMainWindow::ensureUploadThread()
{
    if (!m_uploadThread) {
        m_uploadThread = new UploadThread;
        connect(m_uploadThread, &UploadThread::sigGeneratePresignedUrl, this, &LiveMainWindow::handleSendChatRecordImg);
        connect(m_uploadThread, &UploadThread::sigUploadRefused, this, &LiveMainWindow::onPictureUploadRefused);
        m_uploadThread->start();
    }
    return m_uploadThread;
}

void LiveMainWindow::choosePicture()
{
    const QString path = pictureChooser()();
    if (path.isEmpty())
        return;
    if (ensureUploadThread()->hasClient())
        commitUploadPicWork(path);
    else
        requestOssCredentials(path, false);
}

void LiveMainWindow::requestOssCredentials(const QString& path, bool retried)
{
    const qint64 roomId = liveControl()->roomId();
    QPointer<LiveMainWindow> self(this);
    NetUtils::getInstance()->postRaw(API_GET_OSS_STS, solvek::FormBody().add("room_id", roomId).toString(),
                                     [self, path, roomId, retried](const QByteArray& reply) {
                                         // A picture of a room the host has left is not uploaded.
                                         if (self && self->liveControl()->roomId() == roomId)
                                             self->createOssClient(reply, path, retried);
                                     });
}

void LiveMainWindow::createOssClient(QByteArray reply, QString path, bool retried)
{
    const QJsonDocument doc = QJsonDocument::fromJson(reply);
    if (!doc.isObject())
        return;
    const QJsonObject data = doc.object().value(QLatin1String("data")).toObject();
    qDebug() << "json:" << solvek::loggable(QJsonDocument(data).toJson(QJsonDocument::Compact));
    const QByteArray keyId = data.value(QLatin1String("AccessKeyId")).toString().toUtf8();
    const QByteArray keySecret = data.value(QLatin1String("AccessKeySecret")).toString().toUtf8();
    const QByteArray token = data.value(QLatin1String("SecurityToken")).toString().toUtf8();
    // An error reply has no credentials: no client, so the next picture asks again.
    if (keyId.isEmpty() || keySecret.isEmpty() || token.isEmpty()) {
        qDebug() << "storage credentials missing; picture dropped";
        return;
    }
    ensureUploadThread()->setClient(
        std::make_shared<OssClient>(OSS_ENDPOINT_URL.toString(), keyId, keySecret, token));
    commitUploadPicWork(path, retried);
}

void LiveMainWindow::commitUploadPicWork(QString path, bool retried)
{
    UploadWork work;
    work.roomId = liveControl()->roomId();
    work.key = UploadWork::objectKey(work.roomId, path, QDateTime::currentDateTime());
    work.filename = path;
    work.retried = retried;
    qDebug() << "commitUploadPicWork tempPath:" << work.filename;
    qDebug() << "commitUploadPicWork fileName:" << work.key;
    ensureUploadThread()->addWork(work);
}

void LiveMainWindow::onPictureUploadRefused(UploadWork work)
{
    // Credentials expire: fetch new ones once and try that picture once more.
    if (work.retried || work.roomId != liveControl()->roomId())
        return;
    requestOssCredentials(work.filename, true);
}

void LiveMainWindow::handleSendChatRecordImg(QString imgUrl, qint64 roomId)
{
    qDebug() << "handleSendChatRecordImg imgUrl:" << imgUrl;
    if (roomId != liveControl()->roomId()) {
        qDebug() << "picture uploaded for an earlier room; not sent";
        return;
    }
    const QString say = RoomProtocol::sayPictureMessage(imgUrl);
    const int seq = showOwnMessage(say, imgUrl);
    const bool connected = isChatWsConnected();
    sendChatWsMessage(say);
    if (!connected) {
        m_roomRouter->ownMessages().cancel(imgUrl, seq);
        Toast::getInstance()->showStatus(QString::fromUtf8("发送失败"), false, ChatSideState::kToastMs);
    } else {
        m_roomRouter->ownMessageSent(seq);
    }
}
