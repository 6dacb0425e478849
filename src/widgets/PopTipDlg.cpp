#include "widgets/PopTipDlg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>

PopTipDlg::PopTipDlg(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    resize(300, 40);

    auto* frame = new QFrame(this);
    frame->setGeometry(0, 0, 300, 40);
    frame->setStyleSheet(QStringLiteral("QFrame{background-color:#ffffff;border:none;border-radius:4px;}"));

    m_iconLabel = new QLabel(frame);
    m_iconLabel->setFixedSize(16, 16);
    const QPixmap icon(QStringLiteral(":/images/live/tip.png"));
    if (!icon.isNull())
        m_iconLabel->setPixmap(icon.scaled(16, 16, Qt::IgnoreAspectRatio));

    m_textLabel = new QLabel(frame);
    m_textLabel->setText(QStringLiteral("功能正在升级维护中，敬请期待！"));
    m_textLabel->setStyleSheet(QStringLiteral(
        "QLabel{font-family: Microsoft YaHei;font-size: 14px;font-weight: 400;color: ##191919;}"));

    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(18, 9, 16, 9);
    layout->addItem(new QSpacerItem(16, 0, QSizePolicy::Expanding, QSizePolicy::Expanding));
    layout->addWidget(m_iconLabel);
    layout->addWidget(m_textLabel);
    layout->addItem(new QSpacerItem(16, 0, QSizePolicy::Expanding, QSizePolicy::Expanding));
    layout->setSpacing(8);
}

void PopTipDlg::setText(const QString& text)
{
    m_textLabel->setText(text);
}
