#include "shell/ShareLiveDialog.h"

#include "ui_ShareLiveDialog.h"

#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/PictureDecoder.h"
#include "core/ServiceConstants.h"
#include "shell/LiveModeDialog.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>

namespace sharelive
{

QByteArray shareRequestBody(qint64 roomId, int userId)
{
    return solvek::FormBody()
        .add(QStringLiteral("room_id"), roomId)
        .add(QStringLiteral("scene"), roomId)
        .add(QStringLiteral("uid"), userId)
        .add(QStringLiteral("path"), kMiniProgramPath)
        .add(QStringLiteral("type"), kMiniProgramType)
        .toByteArray();
}

QByteArray qrCodeRequestBody(const QString& watchUrl)
{
    return solvek::FormBody().add(QStringLiteral("content"), watchUrl).toByteArray();
}

ShareReply parseShareReply(const QByteArray& body)
{
    ShareReply out;
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (doc.isNull())
        return out;
    out.parsed = true;
    const QJsonObject obj = doc.object();
    if (obj.value(QLatin1String("code")).toInt() != 200)
        return out;
    out.ok = true;
    const QJsonObject data = obj.value(QLatin1String("data")).toObject();
    out.imgUrl = data.value(QLatin1String("img_url")).toString();
    out.watchUrl = data.value(QLatin1String("watch_url")).toString();
    return out;
}

QPixmap sharePicture(const QImage& image)
{
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(image).scaled(kPictureSize, kPictureSize, Qt::IgnoreAspectRatio,
                                            Qt::FastTransformation);
}

QPixmap sharePicture(const QByteArray& body)
{
    return sharePicture(PictureDecoder::decode(body, QSize(kPictureSize, kPictureSize)));
}

bool isFetchableAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace sharelive

namespace
{

const QNetworkRequest::Attribute kGenerationAttribute = QNetworkRequest::User;

} // namespace

ShareLiveDialog::ShareLiveDialog(QWidget* parent) : QDialog(parent), ui(new Ui::ShareLiveDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("分享直播"));

    m_shareManager = new QNetworkAccessManager(this);
    m_qrManager = new QNetworkAccessManager(this);
    connect(m_shareManager, &QNetworkAccessManager::finished, this, &ShareLiveDialog::onShareReply);
    connect(m_qrManager, &QNetworkAccessManager::finished, this, &ShareLiveDialog::onQrReply);
}

ShareLiveDialog::~ShareLiveDialog()
{
    delete ui;
}

QNetworkRequest ShareLiveDialog::makeRequest(const QUrl& url) const
{
    QNetworkRequest request(url);
    request.setTransferTimeout(m_transferTimeoutMs);
    // POST bodies are forms; saying so spares Qt's guess (a GET sends no body and no type).
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setAttribute(kGenerationAttribute, m_generation);
    return request;
}

bool ShareLiveDialog::isCurrent(QNetworkReply* reply) const
{
    return reply->request().attribute(kGenerationAttribute).toInt() == m_generation;
}

void ShareLiveDialog::requestShare(qint64 roomId, const char* token, int userId)
{
    if (roomId < 0 || token == nullptr)
        return;
    ++m_generation;
    // The previous room's codes would lead viewers to the wrong room.
    ui->label_4->clear();
    ui->label_5->clear();

    QNetworkRequest request = makeRequest(API_LIVE_SHARE.toUrl());
    request.setRawHeader("openapitoken", QByteArray(token));
    solvek::limitReplySize(m_shareManager->post(request, sharelive::shareRequestBody(roomId, userId)),
                           m_maxReplyBytes);
}

void ShareLiveDialog::onShareReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network error:" << reply->errorString();
        return;
    }
    const QVariant type = reply->header(QNetworkRequest::ContentTypeHeader);
    if (!type.isValid())
        return;
    qDebug() << "type: " << type.toString();
    if (!isCurrent(reply))
        return;

    if (livemode::isPictureContentType(type)) {
        showPictureLater(reply->readAll(), ui->label_5);
        return;
    }
    if (!livemode::isJsonContentType(type))
        return;

    const QByteArray body = reply->readAll();
    const sharelive::ShareReply share = sharelive::parseShareReply(body);
    if (!share.parsed) {
        qDebug() << "invalid json data: " << QJsonDocument::fromJson(body).toJson();
        return;
    }
    qDebug().noquote() << "share data: " << QJsonDocument::fromJson(body).toJson(QJsonDocument::Indented);
    if (!share.ok)
        return;

    const QUrl imgUrl(share.imgUrl);
    if (sharelive::isFetchableAddress(imgUrl))
        solvek::limitReplySize(m_shareManager->get(makeRequest(imgUrl)), m_maxReplyBytes);
    else
        qDebug() << "img_url is not an http address:" << share.imgUrl;
    solvek::limitReplySize(m_qrManager->post(makeRequest(API_TOOLS_QRCODE.toUrl()),
                                             sharelive::qrCodeRequestBody(share.watchUrl)),
                           m_maxReplyBytes);
}

void ShareLiveDialog::onQrReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return;
    const QVariant type = reply->header(QNetworkRequest::ContentTypeHeader);
    if (!type.isValid())
        return;
    qDebug() << "type: " << type.toString();
    if (!isCurrent(reply) || !livemode::isPictureContentType(type))
        return;
    showPictureLater(reply->readAll(), ui->label_4);
}

void ShareLiveDialog::showPictureLater(const QByteArray& body, QLabel* label)
{
    // Decoded off the window's thread; a picture of an earlier room is dropped when it arrives.
    const int generation = m_generation;
    PictureDecoder::decodeLater(body, QSize(sharelive::kPictureSize, sharelive::kPictureSize), label,
                                [this, label, generation](const QImage& image) {
                                    const QPixmap picture = sharelive::sharePicture(image);
                                    if (generation == m_generation && !picture.isNull())
                                        label->setPixmap(picture);
                                });
}

void ShareLiveDialog::on_close_btn_clicked()
{
    close();
}

void ShareLiveDialog::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = event->globalPos();
    QDialog::mousePressEvent(event);
}

void ShareLiveDialog::mouseMoveEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_lastPos);
    m_lastPos = event->globalPos();
    QDialog::mouseMoveEvent(event);
}

void ShareLiveDialog::mouseReleaseEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_lastPos);
    QDialog::mouseReleaseEvent(event);
}
