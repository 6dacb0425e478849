#include "cohost/ConnectMicInviteDialog.h"

#include "core/DataCenter.h"
#include "core/FormBody.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "core/Toast.h"
#include "widgets/CustomWidget.h"
#include "ui_ConnectMicInviteDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QJsonObject>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

ConnectMicInviteDialog::ConnectMicInviteDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::ConnectMicInviteDialog)
{
    ui->setupUi(this);
    setFixedSize(600, 324);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    ui->stackedWidget->setAttribute(Qt::WA_TranslucentBackground);
    for (QLineEdit* edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3})
        edit->setTextMargins(8, 0, 8, 0);

    m_webTab = new CustomWidget(ui->widget);
    m_webTab->setGeometry(120, 59, 160, 25);
    m_webTab->setText(QStringLiteral("网页直播"));
    m_appletTab = new CustomWidget(ui->widget);
    m_appletTab->setGeometry(320, 59, 160, 25);
    m_appletTab->setText(QStringLiteral("小程序直播"));
    m_webTab->installEventFilter(this);
    m_appletTab->installEventFilter(this);
    selectTab(true);

    connect(ui->close_btn, &ClickableLabel::clicked, this, [this]() {
        qDebug() << "emit sigConnectMicInviteDialogClose();";
        emit sigConnectMicInviteDialogClose();
        close();
    });
    connect(ui->pushButton, &QPushButton::clicked, this, [this]() { copyText(ui->lineEdit->text()); });
    connect(ui->pushButton_2, &QPushButton::clicked, this, [this]() { copyText(ui->lineEdit_3->text()); });
}

ConnectMicInviteDialog::~ConnectMicInviteDialog()
{
    delete ui;
}

QString ConnectMicInviteDialog::pictureFile()
{
    return CDataCenter::getInstance()->userDocRoot + QStringLiteral("/inviteMic.jpeg");
}

// ---- refresh -----------------------------------------------------------------------------------

void ConnectMicInviteDialog::refreshLink(qint64 roomId, const QString& appStream)
{
    if (roomId != m_refreshedRoom) {
        // Nothing of the previous room may stay beside this room's number, even when this
        // room's replies fail or come late.
        m_refreshedRoom = roomId;
        ++m_roomSerial;
        m_link.clear();
        m_password.clear();
        for (QLineEdit* edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3})
            edit->clear();
        ui->wxPic->clear();
    }
    const quint64 serial = m_roomSerial;
    m_roomNumber = QString::number(roomId);

    QPointer<ConnectMicInviteDialog> self(this);
    NetUtils::getInstance()->postJson(
        API_GET_WEB_CASTINFO, solvek::FormBody().add(QStringLiteral("room_id"), roomId).toString(),
        [self, serial](const QJsonObject& reply) {
            if (self)
                self->onWebCastInfo(serial, reply);
        },
        [](const QString&) { qDebug() << "API_GET_WEB_CASTINFO error"; });

    if (!m_pictureManager)
        m_pictureManager = new QNetworkAccessManager(this);
    // The stream name is one query value: "&" or "#" in it must not start another member.
    const QByteArray address = API_APPLET_CODE_PUSH.toString().toUtf8() +
                               "?app=" + solvek::FormBody::encode(appStream) + "&type=audience";
    QNetworkRequest request(QUrl::fromEncoded(address));
    request.setTransferTimeout(kPictureTimeoutMs);
    QNetworkReply* reply = m_pictureManager->get(request);
    solvek::limitReplySize(reply, kMaxPictureBytes);
    connect(reply, &QNetworkReply::finished, this,
            [this, serial, reply]() { onPictureReply(serial, reply); });
}

void ConnectMicInviteDialog::onWebCastInfo(quint64 serial, const QJsonObject& reply)
{
    if (serial != m_roomSerial)
        return; // a reply for a room that is no longer the chosen one
    qDebug() << "API_GET_WEB_CASTINFO success";
    const WebCastInfo info = readWebCastInfo(reply);
    if (info.link) {
        m_link = *info.link;
        ui->lineEdit->setText(m_link);
        ui->lineEdit->setCursorPosition(0);
        ui->lineEdit_2->setText(m_roomNumber);
    }
    if (info.password) {
        m_password = *info.password;
        ui->lineEdit_3->setText(m_password);
    }
}

ConnectMicInviteDialog::WebCastInfo ConnectMicInviteDialog::readWebCastInfo(const QJsonObject& reply)
{
    WebCastInfo out;
    const QJsonObject info = reply.value(QStringLiteral("data")).toObject();
    const QJsonValue url = info.value(QStringLiteral("second_broad_url"));
    if (url.isString())
        out.link = url.toString();
    const QJsonValue pwd = info.value(QStringLiteral("second_broad_pwd"));
    if (pwd.isString())
        out.password = pwd.toString();
    return out;
}

void ConnectMicInviteDialog::onPictureReply(quint64 serial, QNetworkReply* reply)
{
    reply->deleteLater();
    if (serial != m_roomSerial)
        return;
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network request error";
        return;
    }
    m_pictureFile.setFileName(pictureFile());
    if (!m_pictureFile.open(QIODevice::WriteOnly)) {
        qDebug() << "Unable to save the image file.";
        return;
    }
    const QByteArray bytes = reply->readAll();
    m_pictureFile.write(bytes);
    m_pictureFile.close();

    // Decoded off the window's thread; a picture of an earlier room is dropped.
    PictureDecoder::decodeLater(
        bytes, QSize(kPictureSide, kPictureSide), this, [this, serial](const QImage& image) {
            if (serial != m_roomSerial)
                return;
            if (image.isNull())
                qDebug() << "pixmap load fail";
            const QPixmap scaled = QPixmap::fromImage(image).scaled(
                kPictureSide, kPictureSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            ui->wxPic->setPixmap(ImageUtils::roundedPixmap(scaled, kPictureRadius));
        });
}

// ---- showing, tabs, copying, dragging ------------------------------------------------------------

void ConnectMicInviteDialog::showDialog()
{
    if (isVisible())
        return;
    selectTab(true);
    show();
    ui->lineEdit->setCursorPosition(0);
}

void ConnectMicInviteDialog::selectTab(bool web)
{
    m_webTab->setBlueLineVisible(web);
    m_webTab->setTextStyleSheet(web ? m_selectedTabStyle : m_unselectedTabStyle);
    m_appletTab->setBlueLineVisible(!web);
    m_appletTab->setTextStyleSheet(web ? m_unselectedTabStyle : m_selectedTabStyle);
    ui->stackedWidget->setCurrentIndex(web ? 0 : 1);
}

void ConnectMicInviteDialog::showWebTexts()
{
    ui->lineEdit->setText(m_link);
    ui->lineEdit->setCursorPosition(0);
    ui->lineEdit_2->setText(m_roomNumber);
    ui->lineEdit_3->setText(m_password);
}

bool ConnectMicInviteDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_webTab) {
            selectTab(true);
            showWebTexts();
        } else if (watched == m_appletTab) {
            selectTab(false);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ConnectMicInviteDialog::copyText(const QString& text)
{
    QApplication::clipboard()->setText(text);
    Toast::getInstance()->showStatus(QStringLiteral("复制成功"), true, kToastMs);
}

void ConnectMicInviteDialog::mousePressEvent(QMouseEvent* event)
{
    m_lastMousePos = event->globalPos();
    QDialog::mousePressEvent(event);
}

void ConnectMicInviteDialog::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint now = event->globalPos();
    move(pos() + (now - m_lastMousePos));
    m_lastMousePos = now;
    QDialog::mouseMoveEvent(event);
}
