#include "login/UserWidget.h"

#include "core/ImageUtils.h"
#include "core/UntrustedText.h"
#include "login/LoginPicture.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

namespace
{
const char kInitialLook[] =
    "QWidget{background-color:rgba(6,105,245,0); border-radius: 4px; border: 1px solid #F6F6F6;}"
    "QLabel { background-color:rgba(255,255,255,0); border-radius: 4px; border: 1px solid "
    "rgba(255,255,255,0); }";
const char kNotSelectedLook[] =
    "QWidget{background-color:rgba(6,105,245,0); border-radius: 4px; border: 1px solid #F6F6F6;}"
    "QLabel{background-color:rgba(255,255,255,0.1);border-color:rgba(255,255,255,0.1);}";
const char kSelectedLook[] =
    "QWidget{background-color:rgba(6,105,245,0.1); border-radius: 4px; border: 1px solid #0669F5;}"
    "QLabel{background-color:rgba(255,255,255,0.1);border-color:rgba(255,255,255,0.1);}";

QFont cardFont(bool bold)
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(14);
    font.setBold(bold);
    return font;
}
} // namespace

UserWidget::UserWidget(QWidget* parent, const QString& photo, const QString& name) : QWidget(parent)
{
    setFixedSize(160, 190);
    setStyleSheet(QString::fromLatin1(kInitialLook));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* title = new QLabel(QStringLiteral("管理员账号"), this);
    title->setObjectName(QStringLiteral("label"));
    title->setAlignment(Qt::AlignCenter);
    title->setFont(cardFont(true));
    title->setStyleSheet(
        QStringLiteral("color: black;font-family: Microsoft YaHei;font-weight: bold;font-size: 14px;"));
    layout->addWidget(title);

    auto* photoRow = new QHBoxLayout();
    photoRow->setContentsMargins(0, 0, 0, 0);
    photoRow->setSpacing(0);
    photoRow->setAlignment(Qt::AlignCenter);
    m_photoLabel = new QLabel(this);
    m_photoLabel->setObjectName(QStringLiteral("photo_label"));
    m_photoLabel->setFixedSize(68, 68);
    m_photoLabel->setAlignment(Qt::AlignCenter);
    m_photoLabel->setContentsMargins(0, 0, 0, 0);
    photoRow->addWidget(m_photoLabel);
    layout->addLayout(photoRow);

    m_nameLabel = new QLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("name_label"));
    m_nameLabel->setTextFormat(Qt::PlainText); // the name comes from the service
    m_nameLabel->setAlignment(Qt::AlignCenter);
    m_nameLabel->setFont(cardFont(false));
    m_nameLabel->setStyleSheet(QStringLiteral(" color: black;font-family: Microsoft YaHei;font-size: 14px;"));
    m_nameLabel->setText(shownName(name, QFontMetrics(m_nameLabel->font())));
    m_nameLabel->setToolTip(solvek::plainToolTip(name));
    layout->addWidget(m_nameLabel);

    // The fallback first: an address that is not a web address gets nothing else, and a fetched
    // picture replaces it when it arrives.
    showAvatar(ImageUtils::fallbackPixmap());
    solvek::fetchLoginPicture(
        photo, this, [this](const QPixmap& picture) { showAvatar(picture); },
        QSize(kAvatarSide, kAvatarSide));
}

QString UserWidget::shownName(const QString& name, const QFontMetrics& metrics, int width)
{
    const QString elided = metrics.elidedText(name, Qt::ElideRight, width);
    if (elided.size() >= name.size())
        return name;
    return elided.left(elided.size() - 1) + QStringLiteral("...");
}

void UserWidget::setSelected(bool selected)
{
    m_selected = selected;
    setStyleSheet(QString::fromLatin1(selected ? kSelectedLook : kNotSelectedLook));
}

void UserWidget::showAvatar(const QPixmap& picture)
{
    if (picture.isNull()) {
        m_photoLabel->clear();
        return;
    }
    const QPixmap scaled =
        picture.scaled(kAvatarSide, kAvatarSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_photoLabel->setPixmap(ImageUtils::roundedPixmap(scaled, kAvatarSide / 2));
}

void UserWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
