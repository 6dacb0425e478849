#include "chat/ItemOnlineUserWidget.h"

#include "chat/LazyRowList.h"

#include "chat/ChatItemWidget.h"
#include "chat/LazyRowList.h"
#include "chat/MarkUserTagDialog.h"
#include "chat/PictureCache.h"
#include "chat/UserWithTagLabel.h"
#include "chat/ViewerModeration.h"
#include "core/ImageUtils.h"
#include "core/UntrustedText.h"
#include "widgets/ClickableLabel.h"

#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

namespace
{
constexpr int kToastMs = 2000;

QPixmap roundPhoto(const QPixmap& picture)
{
    if (picture.isNull())
        return picture;
    const QPixmap scaled = picture.scaled(ItemOnlineUserWidget::kPhotoSide, ItemOnlineUserWidget::kPhotoSide,
                                          Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return ImageUtils::roundedPixmap(scaled, ItemOnlineUserWidget::kPhotoSide / 2);
}

QGradientStops stops(const char* from, const char* to)
{
    return {{0.0, QColor(from)}, {1.0, QColor(to)}};
}

} // namespace

ItemOnlineUserWidget::ItemOnlineUserWidget(const ItemOnlineUserInfo& record, QWidget* parent)
    : QWidget(parent), m_record(record)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setContentsMargins(0, 0, 0, 0);
    setFixedHeight(kRowHeight);

    m_photo = new QLabel(this);
    m_photo->setFixedSize(42, 42);
    m_photo->setAlignment(Qt::AlignCenter);
    m_photo->setContentsMargins(0, 0, 0, 0);
    m_nameColumn = new QVBoxLayout;
    m_nameColumn->setContentsMargins(0, 0, 0, 0);
    m_nameColumn->setSpacing(2);
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText); // viewers' names are never markup
    m_name->setWordWrap(false);
    m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_name->setContentsMargins(0, 0, 0, 0);
    m_name->setStyleSheet(QStringLiteral("color:white;font-size:14px;font-family: Microsoft YaHei;"));
    m_nameColumn->addWidget(m_name);

    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(m_photo);
    layout->addLayout(m_nameColumn);

    if (m_record.wus_id > 0) {
        m_action = new ClickableLabel(this);
        m_action->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;font-size: 12px;color: #888A98; "));
        m_action->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(m_action);
        switch (m_record.list_type) {
        case ItemOnlineUserInfo::Online:
            m_action->setText(QStringLiteral("更多"));
            connect(m_action, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { setOnlineListListener(); });
            break;
        case ItemOnlineUserInfo::Muted:
            setClickListener(QStringLiteral("取消禁言"));
            break;
        case ItemOnlineUserInfo::Blocked:
            setClickListener(QStringLiteral("取消拉黑"));
            break;
        default:
            setClickListener(QStringLiteral("取消屏蔽"));
            break;
        }
        m_action->adjustSize();
    }

    QLabel* photo = m_photo;
    const auto show = [photo](const QPixmap& pm) { photo->setPixmap(pm); };
    // The fallback first; a web address replaces it when its picture arrives.
    PictureCache::instance().fetchMade(QString(), QStringLiteral("online40"), this, roundPhoto, show);
    if (PictureCache::isFetchable(m_record.client_photo))
        PictureCache::instance().fetchMade(m_record.client_photo, QStringLiteral("online40"), this, roundPhoto, show);
}

void ItemOnlineUserWidget::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    qDebug() << "Widget has been painted!" << QStringLiteral("width:%1 height:%2").arg(width()).arg(height());
    updateUsername();
    emit loadFinished(width(), height());
}

void ItemOnlineUserWidget::updateUsername()
{
    if (m_name) {
        qDebug() << "ui->user_name->width()" << m_name->width();
        const QString& name = m_record.client_name;
        const QString shown = ViewerModeration::elidedName(name, m_name->width() - 8);
        // Set only on change: setting the text schedules another paint.
        if (m_name->text() != shown)
            m_name->setText(shown);
        const QString tip = solvek::plainToolTip(name);
        if (m_name->toolTip() != tip)
            m_name->setToolTip(tip);
    }
    if (m_record.list_type != ItemOnlineUserInfo::Online || m_badgeDone)
        return;
    m_badgeDone = true;
    if (!m_record.is_assistant && !m_record.is_admin)
        return;
    m_badge = new UserWithTagLabel(this);
    m_badge->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_nameColumn->addWidget(m_badge);
    if (m_record.is_assistant)
        m_badge->addGradientTag(QStringLiteral("助理"), stops("#FF82E9", "#C07FFF"));
    else
        m_badge->addGradientTag(QStringLiteral("管理"), stops("#2684FF", "#005CD7"));
    m_badge->show();
}

QPoint ItemOnlineUserWidget::menuPosition(const QPoint& p, int availableHeight, const QSize& hint)
{
    const int top = availableHeight - p.y() <= kRowHeight ? p.y() - hint.height() : p.y() + kRowHeight;
    return QPoint(p.x() - hint.width(), top);
}

void ItemOnlineUserWidget::setOnlineListListener()
{
    QPointer<ItemOnlineUserWidget> self(this);
    ViewerModeration::requestState(m_record.room_id, QString::number(m_record.wus_id), this,
                                   [self](const QJsonObject& data) {
                                       if (self)
                                           self->showMenu(data);
                                   });
}

void ItemOnlineUserWidget::showMenu(const QJsonObject& d)
{
    m_record.tags = parseUserTagList(d.value("tags"));
    if (m_menu && m_menu->isVisible())
        m_menu->close();
    // Complaints ("投诉") are never offered from the list.
    const QStringList entries = ViewerModeration::stateEntries(d);
    m_menu = ViewerModeration::makeMenu(this, entries);
    QPointer<ItemOnlineUserWidget> self(this);
    for (QAction* action : m_menu->actions()) {
        const QString entry = action->text();
        connect(action, &QAction::triggered, this, [self, d, entry, entries]() {
            if (self)
                self->entryChosen(d, entry, entries);
        });
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() : 0;
    const QPoint pos = menuPosition(mapToGlobal(rect().topRight()), available, m_menu->sizeHint());
    QPointer<QMenu> menu = m_menu;
    ChatItemWidget::hooks().execMenu(menu, pos);
}

void ItemOnlineUserWidget::entryChosen(const QJsonObject& d, const QString& entry, const QStringList& entries)
{
    if (d.value("is_admin").toBool()) {
        ChatItemWidget::hooks().showTip(QStringLiteral("管理员无需操作"), kToastMs);
        return;
    }
    const QString spaceId = QString::number(m_record.wus_id);
    if (entry == entries.value(0) || entry == entries.value(1) || entry == entries.value(2)) {
        const bool leavesList = entry == entries.value(1); // blocked viewers leave the online list
        QPointer<ItemOnlineUserWidget> self(this);
        const qint64 roomId = m_record.room_id;
        ChatItemWidget::hooks().confirm(entry, ViewerModeration::confirmText(entry, m_record.client_name),
                                        [self, entry, roomId, spaceId, leavesList]() {
                                            if (self)
                                                self->sendHeld(entry, roomId, spaceId, leavesList);
                                        });
    } else if (entry == QStringLiteral("打标签")) {
        MarkUserTagDialog::openFor(m_record.client_name, m_record.client_photo, m_record.wus_id, m_record.ip_location,
                                   m_record.room_id, parseUserTagList(d.value("tags")));
    }
}

void ItemOnlineUserWidget::setClickListener(const QString& buttonText)
{
    m_action->setText(buttonText);
    connect(m_action, &ClickableLabel::clicked, this, [this, buttonText](QVariant&, QMouseEvent*) {
        QPointer<ItemOnlineUserWidget> self(this);
        const qint64 roomId = m_record.room_id;
        const QString spaceId = QString::number(m_record.wus_id);
        ChatItemWidget::hooks().confirm(buttonText, ViewerModeration::confirmText(buttonText, m_record.client_name),
                                        [self, buttonText, roomId, spaceId]() {
                                            if (self)
                                                self->sendHeld(buttonText, roomId, spaceId, true);
                                        });
    });
}

void ItemOnlineUserWidget::sendHeld(const QString& entry, qint64 roomId, const QString& spaceId, bool leavesList)
{
    // The list keeps a row whose operation is on its way (it would otherwise let the row go once
    // enough viewers arrived above it, and the answer would find no row to take away).
    setProperty(LazyRowList::kHeldProperty, property(LazyRowList::kHeldProperty).toInt() + 1);
    QPointer<ItemOnlineUserWidget> self(this);
    const auto release = [self] {
        if (self)
            self->setProperty(LazyRowList::kHeldProperty, self->property(LazyRowList::kHeldProperty).toInt() - 1);
    };
    ViewerModeration::send(
        entry, roomId, spaceId,
        [self, leavesList, release]() {
            release();
            if (self && leavesList)
                emit self->onRemoveItem(self);
        },
        release);
}
