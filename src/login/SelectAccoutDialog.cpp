#include "login/SelectAccoutDialog.h"
#include "ui_SelectAccoutDialog.h"

#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginReply.h"
#include "login/UserWidget.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyleOption>
#include <QWheelEvent>

namespace
{
const char kScrollBarStyle[] =
    "QScrollBar:horizontal{height:2px;background:#F6F6F6;border-radius:3px;margin:0px;}"
    "QScrollBar::handle:horizontal{background:#C6C6CB;min-width:40px;max-width:40px;border-radius:3px;}"
    "QScrollBar::add-line:horizontal,QScrollBar::sub-line:horizontal{width:0px;border:none;}"
    "QScrollBar::add-page:horizontal,QScrollBar::sub-page:horizontal{background:none;}";

// The space id of the sub-login reply: text as a decimal number (0 when it is none), a number
// as it is, anything else (missing, null) -1.
qint32 spaceIdOf(const QJsonValue& value)
{
    if (value.isString()) {
        qDebug() << "wechat_user_space_id is string";
        return value.toString().toInt();
    }
    if (value.isDouble()) {
        qDebug() << "wechat_user_space_id is int";
        return value.toInt();
    }
    return -1;
}
} // namespace

SelectAccoutDialog::SelectAccoutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::SelectAccoutDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("选择登录账号"));

    m_cardsLayout = new QHBoxLayout(&m_content);
    m_cardsLayout->setContentsMargins(0, 0, 0, 0);
    QScrollArea* area = ui->scrollArea;
    area->setWidget(&m_content);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->verticalScrollBar()->setEnabled(false);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->horizontalScrollBar()->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
    area->horizontalScrollBar()->setSingleStep(2);
}

SelectAccoutDialog::~SelectAccoutDialog()
{
    delete ui;
}

void SelectAccoutDialog::addUser(UserWidget* card)
{
    m_cardsLayout->addWidget(card);
}

void SelectAccoutDialog::clearUsers()
{
    while (QLayoutItem* item = m_cardsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_loginInfo = LoginInfo();
    m_chosen = false;
}

void SelectAccoutDialog::setLoginInfo(const LoginInfo& info)
{
    m_loginInfo = info;
    m_chosen = true;
}

QList<UserWidget*> SelectAccoutDialog::cards() const
{
    QList<UserWidget*> out;
    for (int i = 0; i < m_cardsLayout->count(); ++i)
        if (auto* card = qobject_cast<UserWidget*>(m_cardsLayout->itemAt(i)->widget()))
            out << card;
    return out;
}

QPushButton* SelectAccoutDialog::loginButton() const
{
    return ui->login_btn;
}

QPushButton* SelectAccoutDialog::closeButton() const
{
    return ui->close_btn;
}

QScrollArea* SelectAccoutDialog::scrollArea() const
{
    return ui->scrollArea;
}

void SelectAccoutDialog::on_close_btn_clicked()
{
    close();
    reject();
}

void SelectAccoutDialog::on_login_btn_clicked()
{
    if (!m_chosen)
        return;
    const LoginInfo card = m_loginInfo;
    auto* manager = new QNetworkAccessManager(this);
    // The reply is judged against the record chosen at this press, whatever is chosen later.
    connect(manager, &QNetworkAccessManager::finished, this,
            [this, card](QNetworkReply* reply) { onLoginReply(reply, card); });
    const QUrl url = QUrl::fromUserInput(API_LOGIN_SUB_LOGIN.toString());
    const QByteArray body = solvek::FormBody()
                                .add(QStringLiteral("uid"), card.uid)
                                .add(QStringLiteral("unionid"), card.unionid)
                                .add(QStringLiteral("openid"), card.openid)
                                .add(QStringLiteral("qrscene"), card.qrscene)
                                .toByteArray();
    solvek::limitReplySize(manager->post(solvek::loginFormRequest(url), body), solvek::kMaxLoginReplyBytes);
}

bool SelectAccoutDialog::completeRecord(const LoginInfo& card, const QJsonObject& data, LoginInfo* out)
{
    LoginInfo info = card;
    info.loginType = 2;
    info.main_wechat_user_space_id = card.wechat_user_space_id;
    info.token = data.value(QStringLiteral("token")).toString().toUtf8();
    info.main_openid = card.openid;
    info.main_name = card.name;
    info.main_photo = card.photo;
    info.main_unionid = card.unionid;
    info.openid = data.value(QStringLiteral("openid")).toString();
    info.name = data.value(QStringLiteral("name")).toString();
    info.photo = data.value(QStringLiteral("photo")).toString();
    info.unionid = data.value(QStringLiteral("unionid")).toString();
    info.wechat_user_space_id = spaceIdOf(data.value(QStringLiteral("wechat_user_space_id")));
    if (info.token.isEmpty())
        return false;
    *out = info;
    return true;
}

void SelectAccoutDialog::onLoginReply(QNetworkReply* reply, const LoginInfo& card)
{
    reply->deleteLater();
    reply->manager()->deleteLater(); // one manager per press, gone with its reply
    QJsonObject envelope;
    if (!solvek::readLoginJson(reply, &envelope))
        return;
    const int code = solvek::replyCode(envelope);
    LoginInfo record = card;
    if (code == 200) {
        if (!completeRecord(card, envelope.value(QStringLiteral("data")).toObject(), &record)) {
            // Nothing to sign in with: the choice stays open, as after a refusal.
            qDebug() << "select recv data without a token";
            return;
        }
        qDebug() << "select recv data: " << solvek::loggable(QJsonDocument(envelope).toJson(QJsonDocument::Compact));
        close();
        accept();
    }
    if (m_observer)
        m_observer->onLoginStatusNotify(&record, code);
}

void SelectAccoutDialog::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 8, 8);
    const QRegion rounded(path.toFillPolygon().toPolygon());
    if (mask() != rounded)
        setMask(rounded);
}

void SelectAccoutDialog::mousePressEvent(QMouseEvent* event)
{
    m_dragOrigin = event->globalPos();
    QDialog::mousePressEvent(event);
}

void SelectAccoutDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton) {
        move(pos() + event->globalPos() - m_dragOrigin);
        m_dragOrigin = event->globalPos();
    }
    QDialog::mouseMoveEvent(event);
}

void SelectAccoutDialog::mouseReleaseEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_dragOrigin);
    QDialog::mouseReleaseEvent(event);
}

void SelectAccoutDialog::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    qDebug() << "wheelEvent delta:" << delta;
    QScrollBar* bar = ui->scrollArea->horizontalScrollBar();
    bar->setValue(bar->value() - delta / qMax(1, bar->singleStep()));
    event->accept();
}
