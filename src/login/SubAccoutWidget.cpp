#include "login/SubAccoutWidget.h"

#include "core/ServiceConstants.h"
#include "login/LoginLinks.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>

namespace
{
QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text,
                  const QString& style)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(QFont(QStringLiteral("微软雅黑")));
    label->setStyleSheet(style);
    return label;
}
} // namespace

SubAccoutWidget::SubAccoutWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SubAccoutWidget"));
    setFixedSize(360, 444);
    const QString plain = QStringLiteral("font-size: 14px;");
    const QString blue = QStringLiteral("font-size: 14px; color: rgb(6, 105, 245);");
    makeLabel(this, "label", QRect(140, 40, 85, 25), QStringLiteral("微信登录"),
              QStringLiteral("font-size: 18px; font-weight: bold;"))
        ->setAlignment(Qt::AlignCenter);
    makeLabel(this, "qrcode_label", QRect(90, 117, 180, 180), QString(),
              QStringLiteral("border:1px solid #F6F7FB;"));
    makeLabel(this, "label_2", QRect(96, 305, 168, 20), QStringLiteral("请使用微信二维码扫描登录"),
              QStringLiteral("font-size: 14px; color: rgb(151, 151, 161);"));
    makeLabel(this, "label_3", QRect(108, 341, 98, 20), QStringLiteral("切换主账号登录"), plain);
    m_mainLabel = makeLabel(this, "main_label", QRect(210, 341, 42, 20), QStringLiteral("主账号"), blue);
    makeLabel(this, "label_5", QRect(68, 392, 111, 20), QStringLiteral("登录即代表您同意"), plain);
    m_serviceLabel =
        makeLabel(this, "service_label", QRect(180, 392, 111, 20), QStringLiteral("《索维服务条款》"), blue);
    m_mainLabel->installEventFilter(this);
    m_serviceLabel->installEventFilter(this);
}

bool SubAccoutWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_mainLabel)
            emit clicked();
        else if (watched == m_serviceLabel)
            solvek::openLoginLink(QUrl(RECHARGE_AGREEMENT_URL.toString()));
    }
    return QWidget::eventFilter(watched, event);
}

void SubAccoutWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
