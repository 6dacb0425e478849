#include "chat/ItemOnlineUserWidget.h"

#include "chat/PictureCache.h"
#include "core/ImageUtils.h"
#include "core/UntrustedText.h"

#include <QHBoxLayout>
#include <QLabel>

namespace
{
QPixmap roundPhoto(const QPixmap& picture)
{
    if (picture.isNull())
        return picture;
    const QPixmap scaled = picture.scaled(ItemOnlineUserWidget::kPhotoSide, ItemOnlineUserWidget::kPhotoSide,
                                          Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return ImageUtils::roundedPixmap(scaled, ItemOnlineUserWidget::kPhotoSide / 2);
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
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText); // viewers' names are never markup
    m_name->setWordWrap(false);
    m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_name->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_name->setStyleSheet(QStringLiteral("color:white;font-size:14px;font-family: Microsoft YaHei;"));
    m_name->setText(m_record.client_name);
    m_name->setToolTip(solvek::plainToolTip(m_record.client_name));

    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(m_photo);
    layout->addWidget(m_name);

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
    emit loadFinished(width(), height());
}
