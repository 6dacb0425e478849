#include "chat/MarkUserTagDialog.h"

#include "chat/ChatItemWidget.h"
#include "chat/PictureCache.h"
#include "chat/UserTagCheckWidget.h"
#include "chat/ViewerModeration.h"
#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "core/UntrustedText.h"
#include "widgets/ClickableLabel.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int kToastMs = 2000;
constexpr int kColumns = 5;
constexpr int kPhotoSide = 40;

const char kTitleStyle[] = "border-color: rgba(255, 255, 255, 0);\nfont-weight: 600;\nfont-size: 16px;\ncolor: #FFFFFF;\n"
                           "line-height: 22px;\ntext-align: left;\nfont-style: normal;\nfont-family: Microsoft YaHei;";
const char kNameStyle[] = "border-color: rgba(255, 255, 255, 0);\nfont-weight: 600;\nfont-size: 14px;\ncolor: #FFFFFF;\n"
                          "line-height: 20px;\ntext-align: left;\nfont-style: normal;\nfont-family: Microsoft YaHei;";
const char kInfoStyle[] = "border-color: rgba(255, 255, 255, 0);\nfont-weight: 400;\nfont-size: 14px;\ncolor: #FFFFFF;\n"
                          "line-height: 20px;\ntext-align: left;\nfont-style: normal;\nfont-family: Microsoft YaHei;";
const char kClearBorder[] = "border-color: rgba(255, 255, 255, 0);";
const char kScrollBarStyle[] =
    "QScrollArea{border:none;background-color:transparent;margin:0,4px,10px,4px;}"
    "QScrollArea QScrollBar:vertical{width:4px;background:#13172E;padding-top:0px;padding-bottom:0px;border-radius:2px;}"
    "QScrollArea QScrollBar::handle:vertical{background:#6B6C83;min-height: 120px;max-height: 120px;border-radius:2px;}"
    "QScrollArea QScrollBar::handle:vertical:hover{background:#6B6C83;border-radius:2px;}"
    "QScrollArea QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:#13172E;border-radius:2px;}"
    "QScrollArea QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;width:0px;}";
const char kCancelStyle[] = "font-weight: 400;\nborder-color: rgb(255, 255, 255);\nfont-size: 14px;\ncolor: #191919;\n"
                            "line-height: 20px;\ntext-align: center;\nfont-style: normal;\nbackground: #FFFFFF;\n"
                            "border-radius: 4px;\nfont-family: Microsoft YaHei;";
const char kConfirmStyle[] = "font-weight: 400;\nfont-size: 14px;\ncolor: #FFFFFF;\nline-height: 20px;\n"
                             "text-align: center;\nfont-style: normal;\nbackground: #0669F5;\nborder-radius: 4px;\n"
                             "font-family: Microsoft YaHei;\nborder-color: #0669F5;";

QPixmap circlePhoto(const QPixmap& photo)
{
    if (photo.isNull())
        return QPixmap();
    const QPixmap scaled = photo.scaled(kPhotoSide, kPhotoSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPixmap out(scaled.size());
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(out.rect(), kPhotoSide / 2, kPhotoSide / 2);
    p.setClipPath(clip);
    p.drawPixmap(0, 0, scaled);
    return out;
}

} // namespace

MarkUserTagDialog::MarkUserTagDialog(QWidget* parent) : QDialog(parent)
{
    setFixedWidth(510);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint);
    setContentsMargins(0, 0, 0, 0);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QFrame(this);
    frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    frame->setStyleSheet(QStringLiteral("background: #1C1F32;border-radius: 8px;border: 1px solid #6B6C83; "));
    frame->setContentsMargins(24, 16, 24, 24);
    outer->addWidget(frame);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(24, 16, 24, 24);
    column->setSpacing(0);

    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setAlignment(Qt::AlignVCenter);
    auto* title = new QLabel(QStringLiteral("打标签"), frame);
    title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    title->setStyleSheet(QLatin1String(kTitleStyle));
    m_close = new ClickableLabel(frame);
    m_close->setPixmap(QPixmap(QStringLiteral(":/images/live/exit.png")));
    m_close->setStyleSheet(QLatin1String(kClearBorder));
    m_close->adjustSize();
    titleRow->addWidget(title);
    titleRow->addWidget(m_close);
    column->addLayout(titleRow);

    column->addSpacing(16);
    auto* viewerRow = new QHBoxLayout;
    viewerRow->setContentsMargins(0, 0, 0, 0);
    viewerRow->setAlignment(Qt::AlignVCenter);
    m_photo = new QLabel(frame);
    m_photo->setFixedSize(42, 42);
    m_photo->setStyleSheet(QLatin1String(kClearBorder));
    m_photo->setContentsMargins(0, 0, 0, 0);
    auto* nameColumn = new QVBoxLayout;
    nameColumn->setSpacing(0);
    m_name = new QLabel(frame);
    m_name->setTextFormat(Qt::PlainText); // viewers' names are never markup
    m_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_name->setStyleSheet(QLatin1String(kNameStyle));
    m_info = new QLabel(frame);
    m_info->setTextFormat(Qt::PlainText);
    m_info->setStyleSheet(QLatin1String(kInfoStyle));
    nameColumn->addWidget(m_name);
    nameColumn->addWidget(m_info);
    viewerRow->addWidget(m_photo);
    viewerRow->addSpacing(8);
    viewerRow->addLayout(nameColumn);
    column->addLayout(viewerRow);

    column->addSpacing(16);
    m_scroll = new QScrollArea(frame);
    m_scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_scroll->setWidgetResizable(true);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setContentsMargins(0, 0, 0, 0);
    m_scroll->setStyleSheet(QStringLiteral("border-color:rgba(255,255,255,0);"));
    m_scroll->verticalScrollBar()->setSingleStep(10);
    m_scroll->verticalScrollBar()->setStyleSheet(QLatin1String(kScrollBarStyle));
    auto* tagsHolder = new QWidget;
    tagsHolder->setStyleSheet(QStringLiteral("border-color:rgba(255,255,255,0);"));
    tagsHolder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tagsHolder->setContentsMargins(0, 0, 4, 0);
    m_grid = new QGridLayout(tagsHolder);
    m_grid->setSpacing(8);
    m_grid->setVerticalSpacing(8);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_scroll->setWidget(tagsHolder);
    column->addWidget(m_scroll);

    column->addSpacing(24);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    buttons->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_cancel = new QPushButton(QStringLiteral("取  消"), frame);
    m_cancel->setFixedSize(62, 32);
    m_cancel->setStyleSheet(QLatin1String(kCancelStyle));
    m_confirm = new QPushButton(QStringLiteral("确  定"), frame);
    m_confirm->setFixedSize(62, 32);
    m_confirm->setStyleSheet(QLatin1String(kConfirmStyle));
    // Saving replaces all of the viewer's tags: not before the room's tags were shown.
    m_confirm->setEnabled(false);
    buttons->addWidget(m_cancel);
    buttons->addSpacing(8);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);

    connect(m_close, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { accept(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_confirm, &QPushButton::clicked, this, &MarkUserTagDialog::save);
}

void MarkUserTagDialog::openFor(const QString& name, const QString& photoAddress, int spaceId, const QString& region,
                                qint64 roomId, const QList<UserTag>& viewerTags)
{
    auto* dialog = new MarkUserTagDialog(nullptr);
    dialog->setUserInfo(name, QPixmap(), spaceId, region, roomId);
    dialog->setPhotoAddress(photoAddress);
    dialog->setViewerTags(viewerTags);
    dialog->requestTagList();
    ChatItemWidget::hooks().runTagDialog(dialog);
}

void MarkUserTagDialog::setUserInfo(const QString& name, const QPixmap& photo, int spaceId, const QString& region,
                                    qint64 roomId)
{
    qDebug() << "ui->user_name->width()" << m_name->width();
    m_name->setText(ViewerModeration::elidedName(name, m_name->width() - 8));
    m_name->setToolTip(solvek::plainToolTip(name));
    qDebug() << "username size:" << m_name->sizeHint();
    m_photo->setPixmap(circlePhoto(photo));
    m_info->setText(QStringLiteral("ID：%1　　%2").arg(spaceId).arg(region));
    m_spaceId = spaceId;
    m_roomId = roomId;
}

void MarkUserTagDialog::setPhotoAddress(const QString& address)
{
    QLabel* photo = m_photo;
    const auto show = [photo](const QPixmap& pm) { photo->setPixmap(pm); };
    PictureCache::instance().fetchMade(QString(), QStringLiteral("tag40"), this, circlePhoto, show);
    if (PictureCache::isFetchable(address))
        PictureCache::instance().fetchMade(address, QStringLiteral("tag40"), this, circlePhoto, show);
}

void MarkUserTagDialog::requestTagList()
{
    QPointer<MarkUserTagDialog> self(this);
    NetUtils::getInstance()->postJson(
        API_GET_TAG_LIST, solvek::FormBody().add("room_id", m_roomId).toString(),
        [self](const QJsonObject& reply) {
            if (self)
                self->fillGrid(parseUserTagList(reply.value("data")));
        },
        [](const QString& error) { ChatItemWidget::hooks().showStatus(error, false, kToastMs); });
}

int MarkUserTagDialog::tagAreaHeight(int tagCount)
{
    if (tagCount <= 0)
        return 0;
    const int rows = (tagCount + kColumns - 1) / kColumns;
    return qMin(40 * rows - 4, kMaxTagAreaHeight);
}

QList<UserTagCheckWidget*> MarkUserTagDialog::tagWidgets() const
{
    QList<UserTagCheckWidget*> out;
    for (int i = 0; i < m_grid->count(); ++i) {
        if (auto* w = qobject_cast<UserTagCheckWidget*>(m_grid->itemAt(i)->widget()))
            out << w;
    }
    return out;
}

void MarkUserTagDialog::fillGrid(const QList<UserTag>& roomTags)
{
    const int rows = (roomTags.size() + kColumns - 1) / kColumns;
    QWidget* holder = m_scroll->widget();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const int i = r * kColumns + c;
            if (i >= roomTags.size()) {
                m_grid->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), r, c);
                continue;
            }
            auto* tag = new UserTagCheckWidget(holder);
            tag->setTag(roomTags.at(i));
            connect(tag, &UserTagCheckWidget::onAdd, this, [this](int id) {
                if (!m_selectedIds.contains(id))
                    m_selectedIds.append(id);
            });
            connect(tag, &UserTagCheckWidget::onRemove, this, [this](int id) { m_selectedIds.removeOne(id); });
            bool held = false;
            for (const UserTag& own : qAsConst(m_viewerTags))
                held = held || own.id == roomTags.at(i).id;
            tag->setSelected(held);
            m_grid->addWidget(tag, r, c);
        }
    }
    const int area = tagAreaHeight(roomTags.size());
    m_scroll->setFixedHeight(area);
    adjustSize();
    setFixedHeight(area + kBaseHeight);
    m_confirm->setEnabled(true);
}

void MarkUserTagDialog::save()
{
    m_confirm->setEnabled(false);
    QStringList ids;
    for (int id : qAsConst(m_selectedIds))
        ids << QString::number(id);
    const QString joined = ids.join(QLatin1Char(','));
    qDebug() << "userTagIdList " + joined;
    const QString body = solvek::FormBody()
                             .add("room_id", m_roomId)
                             .add("wechat_user_space_id", m_spaceId)
                             .add("tag_id", joined)
                             .toString();
    QPointer<MarkUserTagDialog> self(this);
    NetUtils::getInstance()->postJson(
        API_POST_MARK_TAG, body,
        [self](const QJsonObject&) {
            if (self) {
                self->m_confirm->setEnabled(true);
                self->accept();
            }
            ChatItemWidget::hooks().showStatus(QStringLiteral("保存成功"), true, kToastMs);
        },
        [self](const QString& error) {
            if (self)
                self->m_confirm->setEnabled(true);
            ChatItemWidget::hooks().showStatus(error, false, kToastMs);
        });
}
