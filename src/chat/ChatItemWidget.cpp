#include "chat/ChatItemWidget.h"

#include "chat/MessageLabel.h"
#include "chat/PictureCache.h"
#include "chat/ShowBigImageDialog.h"
#include "chat/UserWithTagLabel.h"
#include "chat/MarkUserTagDialog.h"
#include "chat/ViewerModeration.h"
#include "core/FormBody.h"
#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "core/Toast.h"
#include "widgets/ChatRecordOptDialog.h"
#include "widgets/ClickableLabel.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {

const char kTextBubbleStyle[] =
    "background-color: transparent;font-size:14px;color: #FFFFFF;border-top-left-radius: 4px;"
    "border-top-right-radius:14px; border-bottom-left-radius:0px; border-bottom-right-radius:14px;"
    "background: #404364;text-align: left;font-style: normal;line-height: 20px;padding:2px;"
    "margin-right:16px;margin-bottom:14px;margin-top:0px";
const char kGiftBubbleStyle[] =
    "font-size:14px;color: #FFFFFF;border-top-left-radius: 4px;border-top-right-radius:14px; "
    "border-bottom-left-radius:0px; border-bottom-right-radius:14px;background: #404364;text-align: left;"
    "font-style: normal;line-height: 20px;padding:2px;margin-right:16px;margin-bottom:14px;margin-top:0px;";
const char kQuoteStyle[] =
    "border-top-left-radius: 4px;border-top-right-radius:4px; border-bottom-left-radius:4px; "
    "border-bottom-right-radius:4px;padding-left:8px;padding-right:8px;padding-top:2px;padding-bottom:2px;"
    "background: #292B43; margin-top:4px;margin-right:8px;margin-bottom:20px;font-family: Microsoft YaHei;"
    "font-size:14px;color: #FFFFFF;line-height: 20px;text-align: left;font-style: normal; ";
const char kTimeStyle[] = "font-size:12px;color:#889098;line-height:18px;background:#00000000;"
                          "font-family: PingFangSC, PingFang SC;font - weight: 400; ";
const char kAvatarStyle[] = "background:#00000000;color:#889098";
const char kPictureBubbleStyle[] = "background: #404364;border-radius: 4px;margin-top:2px";

// The labels' names, by which a shared look finds them.
const char kAvatarName[] = "chat_row_avatar";
const char kFillerName[] = "chat_row_filler";
const char kTextBubbleName[] = "chat_row_text_bubble";
const char kGiftBubbleName[] = "chat_row_gift_bubble";
const char kPictureBubbleName[] = "chat_row_picture_bubble";
const char kTimeName[] = "chat_row_time";
const char kQuoteName[] = "chat_row_quote";
const char kSharedLookProperty[] = "_chat_row_look";

// Every label style of a row, each under the label's name, for a holder to carry once.
QString sharedLookSheet()
{
    const struct {
        const char* name;
        const char* style;
    } rules[] = {{kAvatarName, kAvatarStyle},
                 {kFillerName, kAvatarStyle},
                 {kTextBubbleName, kTextBubbleStyle},
                 {kGiftBubbleName, kGiftBubbleStyle},
                 {kPictureBubbleName, kPictureBubbleStyle},
                 {kTimeName, kTimeStyle},
                 {kQuoteName, kQuoteStyle}};
    QString sheet;
    for (const auto& rule : rules)
        sheet += QStringLiteral("#%1{%2}").arg(QLatin1String(rule.name), QLatin1String(rule.style));
    return sheet;
}

bool holderSharesLook(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        if (w->property(kSharedLookProperty).toBool())
            return true;
    }
    return false;
}

constexpr int kToastMs = 2000;
constexpr int kPictureBox = 224;
constexpr int kPinnedPictureHeight = 60;

QGradientStops stops(const char* from, const char* to)
{
    return {{0.0, QColor(from)}, {1.0, QColor(to)}};
}

ChatItemWidget::Hooks defaultHooks()
{
    ChatItemWidget::Hooks h;
    h.execMenu = [](QMenu* menu, const QPoint& pos) { menu->exec(pos); };
    h.confirm = [](const QString& title, const QString& content, std::function<void()> onEnter) {
        auto* dlg = new ChatRecordOptDialog(nullptr);
        dlg->setTitle(title);
        dlg->setContent(content);
        QObject::connect(dlg, &ChatRecordOptDialog::onEnter, dlg, [onEnter]() { onEnter(); });
        dlg->show();
    };
    h.showTip = [](const QString& text, int ms) { Toast::getInstance()->showTip(text, ms); };
    h.showStatus = [](const QString& text, bool ok, int ms) { Toast::getInstance()->showStatus(text, ok, ms); };
    h.openTagDialog = [](const ItemChatRecord& record, const QList<UserTag>& tags) {
        // The record carries no photo of its own: the dialog fetches it from the sender's address.
        MarkUserTagDialog::openFor(record.from_client_name, record.avatarUrl().toString(),
                                   record.wechat_user_space_id.toInt(), QString(), record.room_id, tags);
    };
    h.runTagDialog = [](MarkUserTagDialog* dialog) {
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->exec();
    };
    h.showBigImage = [](const QString& address) { ShowBigImageDialog::instance()->showImage(address); };
    h.serverMessageId = [](const ItemChatRecord&) { return QString(); };
    return h;
}

} // namespace

ChatItemWidget::Hooks& ChatItemWidget::hooks()
{
    static Hooks h = defaultHooks();
    return h;
}

void ChatItemWidget::resetHooks()
{
    hooks() = defaultHooks();
}

void ChatItemWidget::shareLook(QWidget* holder)
{
    if (holder->property(kSharedLookProperty).toBool())
        return;
    holder->setStyleSheet(holder->styleSheet() + sharedLookSheet());
    holder->setProperty(kSharedLookProperty, true);
}

void ChatItemWidget::styleLabel(QWidget* label, const char* name, const char* style)
{
    label->setObjectName(QLatin1String(name));
    if (!m_sharedLook)
        label->setStyleSheet(QLatin1String(style));
}

ChatItemWidget::ChatItemWidget(QWidget* parent) : QWidget(parent), m_sharedLook(holderSharesLook(parent))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);

    m_outer = new QVBoxLayout(this);
    m_outer->setContentsMargins(8, 6, 0, 6);
    m_row = new QHBoxLayout;
    m_row->setAlignment(Qt::AlignTop);
    m_outer->addLayout(m_row);

    auto* avatarColumn = new QVBoxLayout;
    m_avatar = new ClickableLabel(this);
    styleLabel(m_avatar, kAvatarName, kAvatarStyle);
    m_avatar->setAlignment(Qt::AlignTop);
    m_avatar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* filler = new QLabel(this);
    styleLabel(filler, kFillerName, kAvatarStyle);
    filler->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    avatarColumn->addWidget(m_avatar);
    avatarColumn->addWidget(filler);
    m_row->addLayout(avatarColumn);

    m_content = new QVBoxLayout;
    m_content->setSpacing(0);
    m_content->setAlignment(Qt::AlignTop);
    m_name = new UserWithTagLabel(this);
    m_name->setWordWrap(true);
    m_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_bubble = new MessageLabel(this);
    m_content->addWidget(m_name);
    m_content->addSpacing(4);
    m_content->addWidget(m_bubble);
    m_row->addLayout(m_content);
}

void ChatItemWidget::addChatRecord(const ItemChatRecord& r)
{
    auto show = [this](const QPixmap& photo) {
        m_avatar->setPixmap(photo);
        m_avatar->adjustSize();
    };
    const QString roundAvatar = QStringLiteral("round avatar");
    if (r.avatar.isNull()) {
        // Until the photo arrives, and for a photo that is no web address, the fallback picture
        // (an address that is never fetched gives it at once).
        PictureCache::instance().fetchMade(QString(), roundAvatar, this, &ItemChatRecord::roundAvatar, show);
    } else {
        show(r.avatar);
    }
    const QUrl photoUrl = r.avatarUrl();
    if (!photoUrl.isEmpty()) {
        // Records carry no photo of their own (or a stand-in): the sender's photo replaces it
        // when it arrives.
        PictureCache::instance().fetchMade(photoUrl.toString(), roundAvatar, this, &ItemChatRecord::roundAvatar,
                                           show);
    }

    m_name->clearTags();
    if (r.is_shield) {
        TagItem shield;
        shield.isText = false;
        shield.picture = QPixmap(QStringLiteral(":/images/live/ic_user_shield.png"))
                             .scaled(20, 20, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_name->addItem(shield);
    }
    if (r.top)
        m_name->addGradientTag(QStringLiteral("置顶"), stops("#FFB200", "#FFC03C"));
    if (r.user_type == 3) {
        m_name->addGradientTag(QStringLiteral("马甲"), stops("#5AEACC", "#20C814"));
    } else {
        m_avatar->setPayload(QVariant::fromValue(r));
        connect(m_avatar, &ClickableLabel::clicked, this, &ChatItemWidget::onShowHeadImgOptMenu);
        qDebug() << "master_txt:" << r.master_txt;
        static const QList<QPair<QString, QGradientStops>> roles = {
            {QStringLiteral("总管理"), stops("#2684FF", "#005CD7")},
            {QStringLiteral("管理员"), stops("#2684FF", "#005CD7")},
            {QStringLiteral("管理"), stops("#FFBC1E", "#FF6131")},
            {QStringLiteral("助理"), stops("#FF82E9", "#C07FFF")},
        };
        for (const auto& role : roles) {
            if (r.master_txt == role.first)
                m_name->addGradientTag(r.master_txt, role.second);
        }
    }
    m_name->setUserTags(r);

    if (r.msg_type == QLatin1String("image")) {
        fillPictureBubble(r);
    } else if (r.msg_type == QLatin1String("speak") || r.msg_type == QLatin1String("at")) {
        const QString text = chatDisplayText(r.content.content);
        if (r.msg_type == QLatin1String("at") && !r.top)
            m_bubble->setMention(r.to_nick, text);
        else
            m_bubble->setMessage(text);
        m_bubble->setWordWrap(true);
        m_bubble->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_bubble->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        styleLabel(m_bubble, kTextBubbleName, kTextBubbleStyle);
        m_bubble->setContentsMargins(0, 0, 0, 2);
        m_bubble->update();
        m_bubble->setPayload(QVariant::fromValue(r));
        connect(m_bubble, &ClickableLabel::clicked, this, &ChatItemWidget::onShowMessageOptMenu);
    } else if (r.msg_type == QLatin1String("gift")) {
        m_bubble->setGift(r.content.gift_img_src, r.content.gift_num);
        m_bubble->setWordWrap(true);
        m_bubble->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_bubble->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        styleLabel(m_bubble, kGiftBubbleName, kGiftBubbleStyle);
    }

    // Shown once its look is chosen: showing polishes it.
    m_bubble->show();

    if (!r.chat_time.isEmpty() && !r.top) {
        m_time = new QLabel(this);
        m_time->setTextFormat(Qt::PlainText);
        m_time->setText(r.chat_time);
        m_time->setAlignment(Qt::AlignCenter);
        styleLabel(m_time, kTimeName, kTimeStyle);
        m_outer->insertSpacing(0, 6);
        m_outer->insertWidget(1, m_time);
        m_outer->insertSpacing(2, 6);
    }

    if (!r.content.quote_content.isEmpty() && !r.top) {
        m_quote = new MessageLabel(this);
        m_quote->setWordWrap(true);
        m_quote->setAlignment(Qt::AlignLeft);
        m_quote->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        styleLabel(m_quote, kQuoteName, kQuoteStyle);
        m_quote->setBubbleColor(QStringLiteral("#292B43"));
        m_quote->setCornerRadius(4);
        const QString quoted = r.content.quote_content;
        const int colon = quoted.indexOf(QLatin1Char(':'));
        m_quote->setReply(colon < 0 ? quoted : quoted.left(colon), colon < 0 ? QString() : quoted.mid(colon + 1));
        m_quote->show();
        m_content->addSpacing(4);
        m_content->addWidget(m_quote);
        connect(m_quote, &ClickableLabel::paintEventFinished, this, &ChatItemWidget::onLabelPainted);
        connect(m_quote, &MessageLabel::layoutChanged, this, &ChatItemWidget::scheduleHeightUpdate);
    }

    connect(m_name, &UserWithTagLabel::paintEventFinished, this, &ChatItemWidget::onLabelPainted);
    connect(m_bubble, &ClickableLabel::paintEventFinished, this, &ChatItemWidget::onLabelPainted);
    connect(m_name, &UserWithTagLabel::layoutChanged, this, &ChatItemWidget::scheduleHeightUpdate);
    connect(m_bubble, &MessageLabel::layoutChanged, this, &ChatItemWidget::scheduleHeightUpdate);
    updateHeight();
}

QSize ChatItemWidget::scaledPictureSize(const QSize& p, bool pinned)
{
    const qint64 w = p.width();
    const qint64 h = p.height();
    if (w <= 0 || h <= 0)
        return p;
    auto size = [](qint64 sw, qint64 sh) { return QSize(int(qMax<qint64>(1, sw)), int(qMax<qint64>(1, sh))); };
    if (pinned) {
        if (w <= kPictureBox && h <= kPinnedPictureHeight)
            return p;
        const qint64 heightAtBox = h * kPictureBox / w;
        if (heightAtBox > kPinnedPictureHeight)
            return size(w * kPinnedPictureHeight / h, kPinnedPictureHeight);
        return size(kPictureBox, heightAtBox);
    }
    if (w > kPictureBox)
        return size(kPictureBox, h * kPictureBox / w);
    return p;
}

void ChatItemWidget::fillPictureBubble(const ItemChatRecord& r)
{
    qDebug() << "content img:" << r.content.img_src;
    m_bubble->clearSegments();
    styleLabel(m_bubble, kPictureBubbleName, kPictureBubbleStyle);
    m_bubble->setAlignment(Qt::AlignCenter);
    m_bubble->setPayload(QVariant::fromValue(r));
    connect(m_bubble, &ClickableLabel::clicked, this, [this](QVariant& payload, QMouseEvent*) { onShowBigImage(payload); });
    connect(m_bubble, &ClickableLabel::rightClicked, this, &ChatItemWidget::onShowMessageOptMenu);

    // Until the picture arrives the bubble holds a line-height placeholder.
    QPixmap placeholder(20, 20);
    placeholder.fill(QColor(255, 255, 255, 40));
    m_bubble->setPicture(placeholder);
    const bool pinned = r.top;
    PictureCache::instance().fetch(r.content.img_src, this, [this, pinned](const QPixmap& picture) {
        const QSize target = scaledPictureSize(picture.size(), pinned);
        const QPixmap scaled =
            target == picture.size() ? picture : picture.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_bubble->setPicture(ImageUtils::roundedPixmap(scaled, 6));
    });
}

void ChatItemWidget::onLabelPainted(bool)
{
    // Labels report every paint; the row's height is changed afterwards, never inside a paint.
    scheduleHeightUpdate();
}

void ChatItemWidget::scheduleHeightUpdate()
{
    if (m_heightUpdatePending)
        return;
    m_heightUpdatePending = true;
    QMetaObject::invokeMethod(this, [this]() {
        m_heightUpdatePending = false;
        updateHeight();
    }, Qt::QueuedConnection);
}

void ChatItemWidget::updateHeight()
{
    layout()->invalidate();
    const int h = sizeHint().height();
    if (h == m_rowHeight)
        return;
    m_rowHeight = h;
    setFixedHeight(h);
    emit onLoadFinish(h);
}

void ChatItemWidget::mousePressEvent(QMouseEvent* event)
{
    qDebug() << "Mouse Press Event intercepted!";
    event->ignore();
}

// ---- menus ---------------------------------------------------------------------------------

QStringList ChatItemWidget::messageMenuEntries(const ItemChatRecord& r)
{
    QStringList entries{QStringLiteral("%1置顶").arg(r.top ? QStringLiteral("取消") : QString())};
    if (r.msg_type != QLatin1String("image"))
        entries << QStringLiteral("引用");
    entries << QStringLiteral("删除");
    return entries;
}

QStringList ChatItemWidget::senderMenuEntries(const QJsonObject& d)
{
    return ViewerModeration::stateEntries(d) << QStringLiteral("@TA");
}

QMenu* ChatItemWidget::prepareMenu(const ItemChatRecord& record, const QStringList& entries)
{
    m_current = record;
    if (m_menu) {
        if (m_menu->isVisible())
            m_menu->close();
        m_menu->deleteLater();
    }
    m_menu = ViewerModeration::makeMenu(this, entries);
    return m_menu;
}

void ChatItemWidget::runMenu(const QPoint& globalPos)
{
    QPointer<QMenu> menu = m_menu;
    hooks().execMenu(menu, globalPos);
}

void ChatItemWidget::onShowMessageOptMenu(QVariant& payload, QMouseEvent* event)
{
    const ItemChatRecord record = payload.value<ItemChatRecord>();
    const QPoint pos = event ? event->globalPos() : QCursor::pos();
    const QStringList entries = messageMenuEntries(record);
    QMenu* menu = prepareMenu(record, entries);
    QPointer<ChatItemWidget> self(this);
    for (QAction* action : menu->actions()) {
        const QString entry = action->text();
        connect(action, &QAction::triggered, this, [self, record, entry]() {
            if (!self)
                return;
            if (entry.endsWith(QStringLiteral("置顶")))
                self->pinMessage(record, entry);
            else if (entry == QStringLiteral("引用"))
                emit self->onClicked(QStringLiteral("reply"), record);
            else if (entry == QStringLiteral("删除"))
                emit self->onClicked(QStringLiteral("delete"), record);
        });
    }
    runMenu(pos);
}

void ChatItemWidget::pinMessage(const ItemChatRecord& record, const QString& entry)
{
    qDebug() << entry;
    ItemChatRecord target = record;
    if (record.local_seq != -1) {
        // The host's own message carries a local placeholder id until its echo names the
        // server's id; pinning needs the real one, for the request and the room message alike.
        target.id = hooks().serverMessageId ? hooks().serverMessageId(record) : QString();
        if (target.id.isEmpty()) {
            hooks().showStatus(QStringLiteral("%1失败").arg(entry), false, kToastMs);
            return;
        }
    }
    const QString body = solvek::FormBody()
                             .add("msg_id", target.id)
                             .add("room_id", target.room_id)
                             .add("is_top", target.top ? "2" : "1")
                             .toString();
    QPointer<ChatItemWidget> self(this);
    NetUtils::getInstance()->postJson(
        API_POST_ROOM_TOP, body,
        [self, target, entry](const QJsonObject&) {
            hooks().showStatus(QStringLiteral("%1成功").arg(entry), true, kToastMs);
            if (self)
                emit self->onClicked(QStringLiteral("top"), target);
        },
        [](const QString& error) { hooks().showStatus(error, false, kToastMs); });
}

void ChatItemWidget::onShowHeadImgOptMenu(QVariant& payload, QMouseEvent* event)
{
    const ItemChatRecord record = payload.value<ItemChatRecord>();
    const QPoint pos = event ? event->globalPos() : QCursor::pos();
    QPointer<ChatItemWidget> self(this);
    ViewerModeration::requestState(record.room_id, record.wechat_user_space_id, this,
                                   [self, record, pos](const QJsonObject& data) {
                                       if (self)
                                           self->showSenderMenu(record, data, pos);
                                   });
}

void ChatItemWidget::showSenderMenu(const ItemChatRecord& record, const QJsonObject& d, const QPoint& pos)
{
    QMenu* menu = prepareMenu(record, senderMenuEntries(d));
    QPointer<ChatItemWidget> self(this);
    const bool isAdmin = d.value("is_admin").toBool();
    for (QAction* action : menu->actions()) {
        const QString entry = action->text();
        connect(action, &QAction::triggered, this, [self, record, entry, isAdmin, d]() {
            if (entry == QStringLiteral("@TA")) {
                if (self)
                    emit self->onClicked(QStringLiteral("at"), record);
                return;
            }
            if (isAdmin) {
                hooks().showTip(QStringLiteral("管理员无需操作"), kToastMs);
                return;
            }
            if (entry == QStringLiteral("打标签")) {
                hooks().openTagDialog(record, parseUserTagList(d.value("tags")));
                return;
            }
            const QString content = ViewerModeration::confirmText(entry, record.from_client_name);
            // The confirmation may outlive the row (the list can be cleared meanwhile): it
            // works on its own copy of the record.
            hooks().confirm(entry, content, [record, entry]() {
                ViewerModeration::send(entry, record.room_id, record.wechat_user_space_id, nullptr);
            });
        });
    }
    runMenu(pos);
}

void ChatItemWidget::onShowBigImage(QVariant& payload)
{
    hooks().showBigImage(payload.value<ItemChatRecord>().content.img_src);
}
