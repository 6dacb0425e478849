#include "chat/ViewerModeration.h"

#include "chat/ChatItemWidget.h"
#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"

#include <QDebug>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QWidgetAction>

namespace {
constexpr int kToastMs = 2000;
const char kMenuStyle[] =
    "QMenu {    background-color: #ffffff;    border-radius:4px;padding:2px 0;border: 2px solid white;}"
    "QMenu::item {    background-color: transparent;border-radius:4px;padding:6px 10px;font-size:14px;"
    "color:#191919;text-align: center;}QMenu::item:selected {    background-color: lightgray;}"
    "QMenu::separator {    height: 1px;    background-color: gray;}";
} // namespace

void ViewerModeration::requestState(qint64 roomId, const QString& spaceId, QObject* context,
                                    std::function<void(const QJsonObject& data)> onData)
{
    const QString body = solvek::FormBody()
                             .add("room_id", roomId)
                             .add("uid", NetUtils::getInstance()->getLoginInfo().uid)
                             .add("wechat_user_space_id", spaceId)
                             .toString();
    QPointer<QObject> alive(context);
    NetUtils::getInstance()->postJson(
        API_GET_USER_INFO, body,
        [alive, onData](const QJsonObject& reply) {
            if (alive)
                onData(reply.value("data").toObject());
        },
        [](const QString& error) { ChatItemWidget::hooks().showTip(error, kToastMs); });
}

QMenu* ViewerModeration::makeMenu(QWidget* parent, const QStringList& entries)
{
    auto* menu = new QMenu(parent);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setStyleSheet(QLatin1String(kMenuStyle));
    for (const QString& entry : entries) {
        auto* label = new QLabel(entry);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QLatin1String(CHAT_MENU_LABEL_STYLE));
        auto* action = new QWidgetAction(menu);
        action->setText(entry);
        action->setDefaultWidget(label);
        menu->addAction(action);
    }
    return menu;
}

QString ViewerModeration::elidedName(const QString& name, int width)
{
    const QFontMetrics metrics{QFont()};
    QString shown = metrics.elidedText(name, Qt::ElideRight, width);
    if (shown.size() < name.size())
        shown = shown.left(shown.size() - 1) + QStringLiteral("...");
    return shown;
}

QStringList ViewerModeration::stateEntries(const QJsonObject& d)
{
    const QString cancel = QStringLiteral("取消");
    const bool muted = d.contains("shut_up") && d.value("shut_up").isDouble() && d.value("shut_up").toDouble() == 1;
    const bool blocked = d.contains("forbid") && d.value("forbid").isDouble() && d.value("forbid").toDouble() == 1;
    const bool shielded = d.contains("is_shield") && d.value("is_shield").toBool();
    return {QStringLiteral("%1禁言").arg(muted ? cancel : QString()),
            QStringLiteral("%1拉黑").arg(blocked ? cancel : QString()),
            QStringLiteral("%1屏蔽").arg(shielded ? cancel : QString()), QStringLiteral("打标签")};
}

QString ViewerModeration::optWord(const QString& entry)
{
    if (entry.endsWith(QStringLiteral("禁言")))
        return QStringLiteral("shut_up");
    if (entry.endsWith(QStringLiteral("拉黑")))
        return QStringLiteral("forbid");
    return QStringLiteral("shield");
}

QString ViewerModeration::confirmText(const QString& entry, const QString& name)
{
    return QStringLiteral("是否%1用户 <font color='#FFFFFF'>%2</font> ？").arg(entry.toHtmlEscaped(), name.toHtmlEscaped());
}

void ViewerModeration::send(const QString& entry, qint64 roomId, const QString& spaceId, std::function<void()> done,
                            std::function<void()> failed)
{
    const QString body = solvek::FormBody()
                             .add("uid", NetUtils::getInstance()->getLoginInfo().uid)
                             .add("room_id", roomId)
                             .add("wechat_user_space_id", spaceId)
                             .add("opt", optWord(entry))
                             .toString();
    const QString url = entry.contains(QStringLiteral("取消")) ? QString(API_POST_USER_CANCEL_OPT)
                                                              : QString(API_POST_USER_OPT);
    NetUtils::getInstance()->postRaw(
        url, body,
        [entry, done, failed](const QByteArray& reply) {
            qDebug() << entry + QStringLiteral("返回数据：") << solvek::loggable(reply);
            const auto ok = [entry, done](const QJsonObject&) {
                ChatItemWidget::hooks().showStatus(QStringLiteral("%1成功").arg(entry), true, kToastMs);
                if (done)
                    done();
            };
            // Only the envelope's success code says the measure was taken: a reply that is no
            // envelope (cut off, a proxy's page) is a failure, not a success.
            doDataToJson(reply, ok, [failed](const QString& msg) {
                ChatItemWidget::hooks().showStatus(msg, false, kToastMs);
                if (failed)
                    failed();
            });
        },
        [failed](const QString& error) {
            ChatItemWidget::hooks().showStatus(error, false, kToastMs);
            if (failed)
                failed();
        });
}
