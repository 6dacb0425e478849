#include "login/QRcodeWidget.h"

#include "core/DataCenter.h"
#include "core/FormBody.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginReply.h"

#include <QDebug>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace
{
const char kGenerationProperty[] = "solvekQrGeneration";
const char kKindProperty[] = "solvekQrKind";
const char kCodeStyle[] = "border:1px solid #F6F7FB;";
const char kShadedStyle[] = "QLabel{border:1px solid #F6F7FB;background-color:rgb(0,0,0)}";
const QSize kCodeSize(180, 180);
} // namespace

QRcodeWidget::Timings& QRcodeWidget::timings()
{
    static Timings t;
    return t;
}

QString QRcodeWidget::cachedPicturePath()
{
    return CDataCenter::getInstance()->userDocRoot + QStringLiteral("/weixinload") + QStringLiteral(".jpeg");
}

QRcodeWidget::QRcodeWidget(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* codeRow = new QHBoxLayout();
    codeRow->setContentsMargins(0, 0, 0, 0);
    codeRow->setSpacing(0);
    m_codeLabel = new QLabel(this);
    m_codeLabel->setFixedSize(kCodeSize);
    m_codeLabel->setAlignment(Qt::AlignCenter);
    m_codeLabel->setStyleSheet(QString::fromLatin1(kCodeStyle));
    codeRow->addWidget(m_codeLabel);
    layout->addLayout(codeRow);
    layout->addSpacing(8);

    auto* hintRow = new QHBoxLayout();
    hintRow->setContentsMargins(0, 0, 0, 0);
    hintRow->setSpacing(0);
    auto* hint = new QLabel(QStringLiteral("请使用微信扫描二维码登录"), this);
    hint->setFixedSize(168, 20);
    hint->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;font-size: 14px; color: #9797A1;"));
    hintRow->addWidget(hint);
    layout->addLayout(hintRow);

    // Until the new code arrives, the last one (blurred from its 100 x 100 copy) keeps the place.
    const QPixmap cached(cachedPicturePath());
    if (!cached.isNull())
        m_codeLabel->setPixmap(
            cached.scaled(100, 100, Qt::IgnoreAspectRatio).scaled(kCodeSize, Qt::IgnoreAspectRatio));

    m_manager = new QNetworkAccessManager(this);
    connect(m_manager, &QNetworkAccessManager::finished, this, &QRcodeWidget::onReply);
    requestCode();

    m_pollTimer.setInterval(timings().pollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &QRcodeWidget::pollLogin);
    m_pollTimer.start();
}

QRcodeWidget::~QRcodeWidget()
{
    m_pollTimer.stop();
}

void QRcodeWidget::stop()
{
    m_pollTimer.stop();
    m_stopped = true;
    abortPolls();
}

void QRcodeWidget::abortPolls()
{
    const QList<QPointer<QNetworkReply>> polls = std::exchange(m_polls, {});
    for (const QPointer<QNetworkReply>& reply : polls)
        if (reply && reply->isRunning())
            reply->abort();
}

QWidget* QRcodeWidget::overlay() const
{
    return m_overlay;
}

void QRcodeWidget::requestCode()
{
    ++m_generation;
    m_qrscene.clear();
    const QString url = API_GET_WECHAT_QRCODE.toString();
    qDebug() << "登录参数     " << url;
    send(m_manager->get(solvek::loginRequest(QUrl(url))), RequestKind::Code);
}

void QRcodeWidget::send(QNetworkReply* reply, RequestKind kind)
{
    solvek::limitReplySize(reply, kind == RequestKind::Picture ? solvek::kMaxQrPictureBytes
                                                               : solvek::kMaxLoginReplyBytes);
    reply->setProperty(kGenerationProperty, m_generation);
    reply->setProperty(kKindProperty, static_cast<int>(kind));
}

void QRcodeWidget::pollLogin()
{
    if (m_qrscene.isEmpty())
        return;
    const QByteArray body = solvek::FormBody{{QStringLiteral("qrscene"), m_qrscene}}.toByteArray();
    QNetworkReply* reply =
        m_manager->post(solvek::loginFormRequest(QUrl(API_LOGIN_WECHAT_QRCODE_LOGIN.toString())), body);
    send(reply, RequestKind::Poll);
    m_polls.erase(std::remove_if(m_polls.begin(), m_polls.end(),
                                 [](const QPointer<QNetworkReply>& r) { return !r || r->isFinished(); }),
                  m_polls.end());
    m_polls.append(reply);
}

void QRcodeWidget::onReply(QNetworkReply* reply)
{
    reply->deleteLater();
    // After a login, or once a newer code was asked for, what is still in flight means nothing.
    if (m_stopped || reply->property(kGenerationProperty).toInt() != m_generation)
        return;
    switch (static_cast<RequestKind>(reply->property(kKindProperty).toInt())) {
    case RequestKind::Code:
        handleCodeReply(reply);
        break;
    case RequestKind::Picture:
        handlePictureReply(reply);
        break;
    case RequestKind::Poll:
        handlePollReply(reply);
        break;
    }
}

void QRcodeWidget::handleCodeReply(QNetworkReply* reply)
{
    QJsonObject envelope;
    if (!solvek::readLoginJson(reply, &envelope) || solvek::replyCode(envelope) != 200) {
        showFailure();
        return;
    }
    const QJsonObject data = envelope.value(QStringLiteral("data")).toObject();
    const QString scene = data.value(QStringLiteral("qrscene")).toString();
    const QString picture = data.value(QStringLiteral("img_src")).toString();
    // The picture is fetched only from a web address: the network manager would also open a
    // local file (a FIFO named there blocks the GUI thread for good).
    if (data.value(QStringLiteral("uid")).toInt(0) != 0 || scene.isEmpty() ||
        !ImageUtils::isRemoteAddress(picture)) {
        showFailure();
        return;
    }
    m_qrscene = scene;
    send(m_manager->get(solvek::loginRequest(QUrl(picture))), RequestKind::Picture);
}

void QRcodeWidget::handlePictureReply(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network error:" << reply->errorString();
        showFailure();
        return;
    }
    const QByteArray type = reply->rawHeader("Content-Type");
    qDebug() << "type: " << type;
    if (type != "image/jpg") {
        showFailure();
        return;
    }
    // Decoded off the window's thread, within the picture bounds.
    const int generation = m_generation;
    PictureDecoder::decodeLater(reply->readAll(), kCodeSize, this, [this, generation](const QImage& image) {
        if (m_stopped || generation != m_generation)
            return;
        takeCodePicture(image);
    });
}

void QRcodeWidget::takeCodePicture(const QImage& image)
{
    m_codePixmap = QPixmap::fromImage(image);
    if (m_codePixmap.isNull()) {
        qDebug() << "qrcodeImage load from data fail";
        m_codePixmap = QPixmap();
        m_codeLabel->clear();
        showFailure();
        return;
    }
    const QString cache = cachedPicturePath();
    QDir().mkpath(QFileInfo(cache).absolutePath());
    m_codePixmap.scaled(100, 100, Qt::IgnoreAspectRatio).save(cache, "JPEG");
    m_codeLabel->setPixmap(m_codePixmap.scaled(kCodeSize, Qt::IgnoreAspectRatio));
}

void QRcodeWidget::handlePollReply(QNetworkReply* reply)
{
    QJsonObject envelope;
    if (!solvek::readLoginJson(reply, &envelope))
        return;
    const QJsonObject data = envelope.value(QStringLiteral("data")).toObject();
    if (solvek::replyCode(envelope) == 200) {
        if (data.value(QStringLiteral("uid")).toInt(0) == 0)
            return;
        qDebug() << "return QRecord value";
        if (!m_observer)
            return;
        LoginInfo info;
        if (!solvek::loginInfoFromData(data, 1, &info)) {
            showFailure();
            return;
        }
        confirmLogin(info);
        return;
    }
    if (envelope.value(QStringLiteral("msg")).toString() == QStringLiteral("用户信息不存在！"))
        return; // not scanned yet
    showFailure();
}

void QRcodeWidget::confirmLogin(const LoginInfo& info)
{
    m_pollTimer.stop();
    // A code confirms once: polls of it still in flight (one is sent every interval, answered or
    // not) must not hand the same login on again.
    ++m_generation;
    abortPolls();
    showDimmedCode();
    setOverlay(true);
    m_codeLabel->repaint();
    // The host sees the success mark before the main window's start-up takes the GUI thread.
    QThread::msleep(static_cast<unsigned long>(timings().successPauseMs));
    LoginInfo record = info;
    if (m_observer)
        m_observer->onLoginStatusNotify(&record, 200);
    m_qrscene.clear();
    m_codeLabel->clear();
    m_codeLabel->repaint();
    m_overlayIcon->hide();
    m_overlayText->hide();
}

void QRcodeWidget::showFailure()
{
    // Polling a dead code is pointless; refresh asks for a new one.
    m_pollTimer.stop();
    abortPolls();
    m_qrscene.clear();
    m_failed = true;
    showDimmedCode();
    setOverlay(false);
    m_codeLabel->repaint();
}

void QRcodeWidget::refresh()
{
    m_failed = false;
    m_overlay->hide();
    showCodePicture();
    requestCode();
    m_pollTimer.start(timings().pollMs);
}

void QRcodeWidget::showDimmedCode()
{
    QPixmap dimmed(kCodeSize);
    dimmed.fill(Qt::transparent);
    if (!m_codePixmap.isNull()) {
        QPainter painter(&dimmed);
        painter.setOpacity(0.2);
        painter.drawPixmap(0, 0, m_codePixmap.scaled(kCodeSize, Qt::IgnoreAspectRatio));
    }
    m_codeLabel->setAlignment(Qt::AlignCenter);
    m_codeLabel->setPixmap(dimmed);
    m_codeLabel->setStyleSheet(QString::fromLatin1(kShadedStyle));
}

void QRcodeWidget::showCodePicture()
{
    QPixmap full(kCodeSize);
    full.fill(Qt::transparent);
    if (!m_codePixmap.isNull()) {
        QPainter painter(&full);
        painter.drawPixmap(0, 0, m_codePixmap.scaled(kCodeSize, Qt::IgnoreAspectRatio));
    }
    m_codeLabel->setPixmap(full);
    m_codeLabel->setStyleSheet(QString::fromLatin1(kShadedStyle));
    m_codeLabel->repaint();
}

void QRcodeWidget::ensureOverlay()
{
    if (m_overlay)
        return;
    m_overlay = new QLabel(m_codeLabel);
    m_overlay->setGeometry(0, 0, m_codeLabel->width(), m_codeLabel->height());
    m_overlay->setStyleSheet(QStringLiteral("QLabel{background-color:rgba(0,0,0,0);}"));
    auto* layout = new QVBoxLayout(m_overlay);
    layout->setContentsMargins(62, 43, 58, 43);
    layout->setSpacing(16);
    m_overlayIcon = new QLabel(m_overlay);
    m_overlayIcon->setFixedSize(52, 52);
    m_overlayText = new QLabel(m_overlay);
    m_overlayText->setFixedSize(66, 26);
    QFont font(QStringLiteral("微软雅黑"), 10);
    font.setBold(true);
    m_overlayText->setFont(font);
    layout->addWidget(m_overlayIcon);
    layout->addWidget(m_overlayText);
    m_refreshBtn = new QPushButton(m_overlay);
    m_refreshBtn->setGeometry(146, 10, 24, 24);
    m_refreshBtn->setStyleSheet(
        QStringLiteral("QPushButton{border-image:url(:/images/login/refresh.png);border:none;}"));
    connect(m_refreshBtn, &QPushButton::clicked, this, &QRcodeWidget::refresh);
}

void QRcodeWidget::setOverlay(bool success)
{
    ensureOverlay();
    if (success) {
        m_overlayIcon->setStyleSheet(
            QStringLiteral("QLabel{border-image:url(:/images/login/success.png);border:none;}"));
        m_overlayText->setText(QStringLiteral("登录成功"));
        m_overlayText->setStyleSheet(QStringLiteral(
            "QLabel{color:#FFFFFF;border:none;font-family: Microsoft YaHei;font-size: 14px;}"));
    } else {
        m_overlayIcon->setStyleSheet(
            QStringLiteral("QLabel{border-image:url(:/images/login/failed.png);border:none;}"));
        m_overlayText->setText(QStringLiteral("登录失败"));
        m_overlayText->setStyleSheet(QStringLiteral("QLabel{color:#FFFFFF;border:none;}"));
    }
    m_overlayIcon->show();
    m_overlayText->show();
    m_refreshBtn->setVisible(!success);
    m_overlay->raise();
    m_overlay->show();
}
