#include "shell/PopupDialog.h"

#include "core/DataCenter.h"
#include "core/UntrustedText.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPixmap>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace
{
const char* kFrameStyle =
    "QFrame#popFrame{background-color: #404364;border: 1px solid #616380; border-radius: 8px;}"
    "QLabel{font-family: Microsoft YaHei;font-size: 14px;color:#FFFFFF;"
    "background-color: transparent;}";
const char* kNameStyle =
    "QLabel{font-family: Microsoft YaHei;font-size:14px;color:#FFFFFF;background-color: transparent;}";
constexpr int kRowSideSpace = 15;
} // namespace

PopupDialog::PopupDialog(QWidget* parent, const QString& name) : QDialog(parent)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setFixedSize(140, 161);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_popFrame = new QFrame(this);
    m_popFrame->setObjectName(QStringLiteral("popFrame"));
    m_popFrame->setStyleSheet(kFrameStyle);
    outer->addWidget(m_popFrame);

    auto* column = new QVBoxLayout(m_popFrame);
    column->setContentsMargins(12, 12, 12, 16);

    // The user row: avatar and name centred between two spacers sized from the full name.
    m_avatarLabel.setFixedSize(24, 24);
    m_avatarLabel.setStyleSheet(
        QStringLiteral("border-image:url(%1) 0 0 0 0 stretch stretch;border-radius:12px;")
            .arg(CDataCenter::getInstance()->userDocDir + QStringLiteral("/temp.jpeg")));
    m_nameLabel.resize(84, 20);
    m_nameLabel.setStyleSheet(kNameStyle);
    m_nameLabel.setTextFormat(Qt::PlainText); // the name comes from the service
    m_nameLabel.ensurePolished();
    const QFontMetrics metrics = m_nameLabel.fontMetrics();
    const int spacer = userRowSpacerWidth(metrics.horizontalAdvance(name));
    m_nameLabel.setText(shownName(name, metrics));
    m_nameLabel.adjustSize();
    m_nameLabel.setToolTip(solvek::plainToolTip(name));
    m_nameLabel.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* userRow = new QHBoxLayout;
    userRow->setSpacing(8);
    userRow->addItem(new QSpacerItem(spacer, 20, QSizePolicy::Expanding, QSizePolicy::Expanding));
    userRow->addWidget(&m_avatarLabel);
    userRow->addWidget(&m_nameLabel);
    userRow->addItem(new QSpacerItem(spacer, 20, QSizePolicy::Expanding, QSizePolicy::Expanding));
    column->addLayout(userRow);

    auto* separator = new QLabel(m_popFrame);
    separator->setObjectName(QStringLiteral("separator"));
    separator->setFixedSize(116, 1);
    separator->setStyleSheet(QStringLiteral("background-color:#616380"));
    column->addWidget(separator);

    setUpMenuLabels(m_moreSettingsIcon, ":/images/live/more_settings.png", m_moreSettingsText, "更多设置");
    column->addLayout(makeMenuRow(m_moreSettingsIcon, m_moreSettingsText));
    // Built like the others, but the update check is not offered from here.
    setUpMenuLabels(m_updateIcon, ":/images/live/update.png", m_updateText, "检查更新");
    m_updateIcon.setParent(m_popFrame);
    m_updateText.setParent(m_popFrame);
    m_updateIcon.hide();
    m_updateText.hide();
    setUpMenuLabels(m_logoutIcon, ":/images/live/logout.png", m_logoutText, "退出登录");
    column->addLayout(makeMenuRow(m_logoutIcon, m_logoutText));

    for (QLabel* text : {&m_moreSettingsText, &m_updateText, &m_logoutText})
        text->installEventFilter(this);
}

void PopupDialog::setUpMenuLabels(QLabel& icon, const char* iconFile, QLabel& text, const char* textUtf8)
{
    icon.setPixmap(
        QPixmap(QString::fromLatin1(iconFile)).scaled(20, 20, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    text.setText(QString::fromUtf8(textUtf8));
    text.setStyleSheet(QStringLiteral("padding-bottom:2px"));
}

QHBoxLayout* PopupDialog::makeMenuRow(QLabel& icon, QLabel& text)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->addItem(new QSpacerItem(kRowSideSpace, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    row->addWidget(&icon);
    row->addWidget(&text);
    row->addItem(new QSpacerItem(kRowSideSpace, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    return row;
}

int PopupDialog::userRowSpacerWidth(int nameWidth)
{
    // A name wider than the row would give a negative width, which a layout does not expect.
    return qMax(0, (98 - nameWidth) / 2 - 10);
}

QString PopupDialog::shownName(const QString& name, const QFontMetrics& metrics)
{
    const QString elided = metrics.elidedText(name, Qt::ElideRight, kNameElideWidth);
    if (elided == name)
        return name;
    return elided.left(elided.size() - 1) + QStringLiteral("...");
}

void PopupDialog::placeUnderParent()
{
    QWidget* button = parentWidget();
    if (!button)
        return;
    const QPoint p = button->mapToGlobal(QPoint(button->width() / 2, button->height() + 26));
    move(p.x() - width() / 2, p.y());
}

bool PopupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == &m_moreSettingsText)
            emit more_settings_clicked();
        else if (watched == &m_updateText)
            emit check_update_clicked();
        else if (watched == &m_logoutText)
            emit logout_clicked();
    }
    return QDialog::eventFilter(watched, event);
}

void PopupDialog::closeEvent(QCloseEvent* event)
{
    emit sigPopupDialogClose();
    QDialog::closeEvent(event);
}
