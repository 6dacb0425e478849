#include "cohost/ItemConnectMicWidget.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/RoomProtocol.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/NetUtils.h"
#include "widgets/ChatRecordOptDialog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace
{

const char kNameStyle[] = "color:white;font-size:14px;font-family: Microsoft YaHei;";
const char kBadgeStyle[] = "background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 %1, stop:1 %2);"
                           "color: white;font-size: 12px;font-family: Microsoft YaHei;";
const char kTextButtonStyle[] =
    "background: #1C1F32;border-radius: 4px;width: 24px;height: 20px;font-family: PingFangSC, PingFang SC;"
    "font-weight: 400;font-size: 12px;color: #888A98;line-height: 20px;text-align: right;font-style: normal;";
const char kIconButtonStyle[] = "background: transparent;color: white;";

struct ButtonLook {
    const char* icon;
    const char* toolTip;
};
const ButtonLook kMicOn{":/images/live/mic_open.png", "关闭麦克风"};
const ButtonLook kMicOff{":/images/live/mic_close.png", "开启麦克风"};
const ButtonLook kCameraOn{":/images/live/camera_open.png", "关闭摄像头"};
const ButtonLook kCameraOff{":/images/live/camera_close.png", "开启摄像头"};
const ButtonLook kNoMic{":/images/live/nomic.png", "无麦克风"};
const ButtonLook kNoCamera{":/images/live/nocamera.png", "无摄像头"};
const ButtonLook kRemove{":/images/live/remove.png", "移除副麦"};

void applyLook(QPushButton* button, const ButtonLook& look)
{
    if (!button)
        return;
    button->setIcon(QIcon(QString::fromUtf8(look.icon)));
    button->setToolTip(QString::fromUtf8(look.toolTip));
}

ItemConnectMicWidget::Hooks defaultHooks()
{
    ItemConnectMicWidget::Hooks h;
    h.confirm = [](QWidget* owner, const QString& title, const QString& content,
                   std::function<void()> onEnter) {
        auto* dlg = new ChatRecordOptDialog(nullptr);
        dlg->setTitle(title);
        dlg->setContent(content);
        QObject::connect(dlg, &ChatRecordOptDialog::onEnter, dlg, [onEnter]() { onEnter(); });
        // The question is about this row: when the row goes, so does the question.
        QObject::connect(owner, &QObject::destroyed, dlg, &QWidget::close);
        dlg->show();
        dlg->activateWindow();
    };
    return h;
}

QPixmap roundAvatar(const QPixmap& source)
{
    const int side = ItemConnectMicWidget::kAvatarSide;
    return ImageUtils::roundedPixmap(
        source.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), side / 2);
}

} // namespace

ItemConnectMicWidget::Hooks& ItemConnectMicWidget::hooks()
{
    static Hooks h = defaultHooks();
    return h;
}

void ItemConnectMicWidget::resetHooks()
{
    hooks() = defaultHooks();
}

ItemConnectMicWidget::ItemConnectMicWidget(TrtcMicUserInfo* info, bool pending, bool isSecond,
                                           QWidget* parent)
    : QWidget(parent), m_info(info), m_isSecond(isSecond)
{
    setupForm();

    m_avatarLabel = new QLabel(this);
    m_avatarLabel->setFixedSize(kAvatarSide, kAvatarSide);
    m_avatarLabel->setAlignment(Qt::AlignCenter);
    m_avatarLabel->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(m_avatarLabel);

    auto* textColumn = new QVBoxLayout;
    textColumn->setContentsMargins(0, 0, 0, 0);
    textColumn->setSpacing(6);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setStyleSheet(QString::fromLatin1(kNameStyle));
    m_nameLabel->ensurePolished(); // the style sheet's font is the one the name is elided in
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setWordWrap(false);
    m_nameLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_nameLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_nameLabel->setFixedHeight(16);
    m_nameLabel->setContentsMargins(0, 0, 0, 0);
    m_nameLabel->setText(
        QFontMetrics(m_nameLabel->font()).elidedText(m_info->name, Qt::ElideRight, kNameWidth));
    textColumn->addWidget(m_nameLabel);

    m_badgeLabel = new QLabel(this);
    m_badgeLabel->setFixedSize(32, 16);
    m_badgeLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_badgeLabel->setAlignment(Qt::AlignCenter);
    m_badgeLabel->setText(isSecond ? QStringLiteral("副麦") : QStringLiteral("主麦"));
    m_badgeLabel->setStyleSheet(isSecond ? QString::fromLatin1(kBadgeStyle).arg("#0EBFE8", "#1EBD3C")
                                         : QString::fromLatin1(kBadgeStyle).arg("#AE6DFF", "#396BEB"));
    textColumn->addWidget(m_badgeLabel);
    m_layout->addLayout(textColumn);

    if (pending) {
        m_agreeBtn = new QPushButton(QStringLiteral("同意"), this);
        m_agreeBtn->setStyleSheet(QString::fromUtf8(kTextButtonStyle));
        m_separator = new QFrame(this);
        m_separator->setFrameShape(QFrame::VLine);
        m_separator->setFixedSize(1, 10);
        m_separator->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 25)"));
        m_refuseBtn = new QPushButton(QStringLiteral("拒绝"), this);
        m_refuseBtn->setStyleSheet(QString::fromUtf8(kTextButtonStyle));
        m_layout->addWidget(m_agreeBtn);
        m_layout->addWidget(m_separator);
        m_layout->addWidget(m_refuseBtn);
        connect(m_agreeBtn, &QPushButton::clicked, this, &ItemConnectMicWidget::agreeConnMic);
        connect(m_refuseBtn, &QPushButton::clicked, this, &ItemConnectMicWidget::refuseConnMic);
    } else {
        addConnectedButtons();
    }

    requestAvatar();
}

ItemConnectMicWidget::~ItemConnectMicWidget()
{
    delete m_info;
}

void ItemConnectMicWidget::setupForm()
{
    setObjectName(QStringLiteral("ItemConnectMicWidget"));
    setWindowTitle(QStringLiteral("ItemConnectMicWidget"));
    resize(734, 55);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setContentsMargins(0, 0, 0, 0);
    setFixedHeight(kRowHeight);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(8, 0, 8, 0);
}

void ItemConnectMicWidget::addConnectedButtons()
{
    auto makeButton = [this]() {
        auto* button = new TransparentButton(this);
        // The button makes itself a tool window; in the row it is a plain child the layout places
        // (adding it to the layout alone leaves it a window at the screen's corner).
        button->setWindowFlags(Qt::Widget);
        m_layout->addWidget(button);
        button->setFixedSize(20, 20);
        button->setIconSize(QSize(16, 16));
        button->setStyleSheet(QString::fromLatin1(kIconButtonStyle));
        button->show();
        return button;
    };
    m_micBtn = makeButton();
    m_cameraBtn = makeButton();
    connect(m_micBtn, &QPushButton::clicked, this, &ItemConnectMicWidget::micSlot);
    connect(m_cameraBtn, &QPushButton::clicked, this, &ItemConnectMicWidget::cameraSlot);
    if (m_isSecond) {
        m_removeBtn = makeButton();
        applyLook(m_removeBtn, kRemove);
        connect(m_removeBtn, &QPushButton::clicked, this, &ItemConnectMicWidget::removeSlot);
    }
    // A co-host starts silent and dark; the host's own row starts with both on.
    setMicState(!m_isSecond);
    setCameraState(!m_isSecond);
}

QPushButton* ItemConnectMicWidget::micButton() const
{
    return m_micBtn;
}
QPushButton* ItemConnectMicWidget::cameraButton() const
{
    return m_cameraBtn;
}
QPushButton* ItemConnectMicWidget::removeButton() const
{
    return m_removeBtn;
}

int ItemConnectMicWidget::spaceId() const
{
    return int(m_info->wechat_user_space_id);
}

QString ItemConnectMicWidget::avatarFile(qint64 spaceId)
{
    return CDataCenter::getInstance()->userDocRoot + QStringLiteral("/micUser/") + QString::number(spaceId) +
           QStringLiteral(".jpeg");
}

// ---- states ------------------------------------------------------------------------------------

void ItemConnectMicWidget::setMicState(bool on)
{
    m_micOn = on;
    applyLook(m_micBtn, on ? kMicOn : kMicOff);
}

void ItemConnectMicWidget::setCameraState(bool on)
{
    m_cameraOn = on;
    applyLook(m_cameraBtn, on ? kCameraOn : kCameraOff);
}

void ItemConnectMicWidget::setNoMic()
{
    applyLook(m_micBtn, kNoMic);
    if (m_micBtn)
        m_micBtn->setEnabled(false);
}

void ItemConnectMicWidget::setNoCamera()
{
    applyLook(m_cameraBtn, kNoCamera);
    if (m_cameraBtn)
        m_cameraBtn->setEnabled(false);
}

// ---- buttons -----------------------------------------------------------------------------------

void ItemConnectMicWidget::sendManage(const char* behavior) const
{
    sendChatWsMessage(
        RoomProtocol::trtcManageMessage(QString::fromLatin1(behavior), m_info->wechat_user_space_id));
}

void ItemConnectMicWidget::agreeConnMic()
{
    if (!m_agreeBtn)
        return;
    // The agree button may be the sender still on the stack: the three go once control is back.
    for (QWidget* w : std::initializer_list<QWidget*>{m_agreeBtn, m_separator, m_refuseBtn}) {
        w->disconnect(this);
        m_layout->removeWidget(w);
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    }
    m_agreeBtn = nullptr;
    m_separator = nullptr;
    m_refuseBtn = nullptr;
    addConnectedButtons();
    sendChatWsMessage(RoomProtocol::trtcAgreeMessage(m_info->wechat_user_space_id));
}

void ItemConnectMicWidget::refuseConnMic()
{
    emit removeItem(spaceId());
}

void ItemConnectMicWidget::micSlot()
{
    const bool wasOn = m_micOn;
    QPointer<ItemConnectMicWidget> self(this);
    emit sigMicBtnClicked(!wasOn);
    if (!self)
        return;
    sendManage(wasOn ? "close_sound" : "open_sound");
    setMicState(!wasOn);
}

void ItemConnectMicWidget::cameraSlot()
{
    const bool wasOn = m_cameraOn;
    QPointer<ItemConnectMicWidget> self(this);
    emit sigCameraBtnClicked(!wasOn);
    if (!self)
        return;
    sendManage(wasOn ? "close_video_screen" : "open_video_screen");
    setCameraState(!wasOn);
}

void ItemConnectMicWidget::onTileMicClicked(bool on)
{
    setMicState(on);
    sendManage(on ? "open_sound" : "close_sound");
}

void ItemConnectMicWidget::onTileCameraClicked(bool on)
{
    setCameraState(on);
    sendManage(on ? "open_video_screen" : "close_video_screen");
}

void ItemConnectMicWidget::removeSlot()
{
    const QString content = QStringLiteral("是否移除连麦用户 <font color='#FFFFFF'>%2</font> ？")
                                .arg(m_info->name.toHtmlEscaped());
    QPointer<ItemConnectMicWidget> self(this);
    hooks().confirm(this, QStringLiteral("移除连麦"), content, [self]() {
        // The room may have taken the row away while the question was open.
        if (!self)
            return;
        sendChatWsMessage(RoomProtocol::trtcRemoveMessage(self->m_info->wechat_user_space_id));
        emit self->removeItem(self->spaceId());
    });
}

// ---- avatar ------------------------------------------------------------------------------------

void ItemConnectMicWidget::requestAvatar()
{
    const QString photo = m_info->photo;
    // A viewer names this address: only a web picture outside the host's own machine and network
    // is fetched (never a local file).
    if (!ImageUtils::isRoomPictureAddress(photo)) {
        qDebug() << "Network request error";
        showAvatarFailed();
        return;
    }
    m_avatarManager = new QNetworkAccessManager(this);
    QNetworkRequest request(QUrl::fromEncoded(photo.toUtf8()));
    request.setTransferTimeout(kAvatarTimeoutMs);
    QNetworkReply* reply = m_avatarManager->get(request);
    solvek::limitReplySize(reply, kMaxAvatarBytes);
    connect(reply, &QNetworkReply::finished, this, [this, reply]() { onAvatarReply(reply); });
}

void ItemConnectMicWidget::onAvatarReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network request error";
        showAvatarFailed();
        return;
    }
    const QString file = avatarFile(m_info->wechat_user_space_id);
    QDir().mkpath(QFileInfo(file).path());
    // Written aside and renamed: the co-host tile may read the file at any moment.
    const QByteArray bytes = reply->readAll();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) < 0 || !out.commit()) {
        qDebug() << "Unable to save the image file.";
        settleAvatar();
        return;
    }
    // Decoded off the window's thread, from the bytes just saved.
    PictureDecoder::decodeLater(bytes, QSize(kAvatarSide, kAvatarSide), this, [this](const QImage& image) {
        if (image.isNull()) {
            // Refused or no picture: the load-failed picture, and no file for the tile to show.
            qDebug() << "pixmap load fail";
            showAvatarFailed();
            return;
        }
        m_avatarLabel->setPixmap(roundAvatar(QPixmap::fromImage(image)));
        settleAvatar();
    });
}

void ItemConnectMicWidget::showAvatarFailed()
{
    m_avatarLabel->setPixmap(roundAvatar(ImageUtils::fallbackPixmap()));
    const QString file = avatarFile(m_info->wechat_user_space_id);
    if (QFile::exists(file)) {
        qDebug() << "remove file strdir";
        QFile::remove(file);
    }
    settleAvatar();
}

void ItemConnectMicWidget::settleAvatar()
{
    m_avatarSettled = true;
}

TransparentButton::TransparentButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    show();
}

void TransparentButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    // Alpha 1 keeps the button invisible while every pixel still takes the mouse.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 1));
}
