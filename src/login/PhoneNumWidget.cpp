#include "login/PhoneNumWidget.h"

#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginLinks.h"
#include "login/LoginReply.h"
#include "login/PassWordEdit.h"
#include "login/PhoneNumEdit.h"

#include <QCheckBox>
#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace
{
const char kButtonDisabledStyle[] = "font-family: Microsoft YaHei;font-weight: bold;color: white;font-size: "
                                    "14px;background-color: rgba(6, 105, 245, 0.5);border-radius:4px";
const char kButtonEnabledStyle[] = "font-family: Microsoft YaHei;font-weight: bold;color: white;font-size: "
                                   "14px;background-color: rgba(6, 105, 245, 1);border-radius:4px";
const char kKeyUser[] = "username";
const char kKeyPassword[] = "password";
const char kKeyRemember[] = "remember";
} // namespace

PhoneNumWidget::PhoneNumWidget(QWidget* parent)
    : QWidget(parent), m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("solvek"),
                                  QStringLiteral("solvek"))
{
    const QString user = m_settings.value(kKeyUser).toString();
    const QString password = m_settings.value(kKeyPassword).toString();
    const bool remember = m_settings.value(kKeyRemember).toBool();

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    m_hintErrLabel = new QLabel(QStringLiteral("账号或者密码错误！"), this);
    m_hintErrLabel->setObjectName(QStringLiteral("hintErrLabel"));
    m_hintErrLabel->setStyleSheet(QStringLiteral("QLabel#hintErrLabel{padding-left:12px;font-family: "
                                                 "Microsoft YaHei;font-size: 14px; background-color: "
                                                 "#FFECEC; color:#FA0000; border-radius:4px}"));
    m_hintErrLabel->setFixedSize(0, 0);
    m_hintErrLabel->hide();
    m_layout->addWidget(m_hintErrLabel);

    m_phoneSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_layout->addItem(m_phoneSpacer);

    m_phoneEdit = new PhoneNumEdit(this);
    m_phoneEdit->setFixedSize(296, 40);
    m_layout->addWidget(m_phoneEdit);
    m_layout->addItem(new QSpacerItem(0, 24, QSizePolicy::Expanding, QSizePolicy::Fixed));

    m_passwordEdit = new PassWordEdit(this);
    m_passwordEdit->setFixedSize(296, 40);
    m_layout->addWidget(m_passwordEdit);
    m_layout->addItem(new QSpacerItem(0, 16, QSizePolicy::Expanding, QSizePolicy::Fixed));

    m_checkRow = new QHBoxLayout();
    m_checkRow->setContentsMargins(0, 0, 0, 0);
    m_checkRow->setSpacing(0);
    m_rememberBox = new QCheckBox(QStringLiteral("记住密码"), this);
    m_rememberBox->setStyleSheet(QStringLiteral(
        "QCheckBox{border:none;}QCheckBox::indicator{width:16px;height:16px;image:url(:/images/live/"
        "noselectChk.png);}QCheckBox::indicator:checked{image:url(:/images/live/selectChk.png);}"));
    m_checkRow->addWidget(m_rememberBox);
    m_checkRow->addSpacing(164);
    m_forgetLabel = new QLabel(QStringLiteral("忘记密码"), this);
    m_forgetLabel->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;font-size: 14px"));
    m_forgetLabel->installEventFilter(this);
    m_checkRow->addWidget(m_forgetLabel);
    m_layout->addLayout(m_checkRow);

    m_buttonSpacer = new QSpacerItem(0, 48, QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_layout->addItem(m_buttonSpacer);

    m_loginBtn = new QPushButton(QStringLiteral("登   录"), this);
    m_loginBtn->setFixedSize(296, 40);
    m_loginBtn->setEnabled(false);
    m_loginBtn->setStyleSheet(QString::fromLatin1(kButtonDisabledStyle));
    m_layout->addWidget(m_loginBtn);

    m_phoneEdit->setText(user);
    m_passwordEdit->setText(password);
    m_rememberBox->setChecked(remember);

    connect(m_loginBtn, &QPushButton::clicked, this, &PhoneNumWidget::on_loginBtn_clicked);
    connect(m_phoneEdit, &LoginInputField::textChanged, this, &PhoneNumWidget::updateLoginButton);
    connect(m_passwordEdit, &LoginInputField::textChanged, this, &PhoneNumWidget::updateLoginButton);
    updateLoginButton();
    // Only an enabled button takes the focus: with a remembered login, Return signs in at once.
    m_loginBtn->setFocus();
}

void PhoneNumWidget::stop()
{
    disconnect(m_loginBtn, &QPushButton::clicked, this, &PhoneNumWidget::on_loginBtn_clicked);
}

void PhoneNumWidget::updateLoginButton()
{
    const bool ready = !m_phoneEdit->text().isEmpty() && !m_passwordEdit->text().isEmpty();
    m_loginBtn->setEnabled(ready);
    m_loginBtn->setStyleSheet(QString::fromLatin1(ready ? kButtonEnabledStyle : kButtonDisabledStyle));
}

void PhoneNumWidget::on_loginBtn_clicked()
{
    const QString mobile = m_phoneEdit->text();
    const QString password = m_passwordEdit->text();
    // One manager per attempt; it goes with its reply.
    auto* manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this,
            [this, manager, mobile, password](QNetworkReply* reply) {
                onLoginReply(reply, mobile, password);
                reply->deleteLater();
                manager->deleteLater();
            });
    const QByteArray body = solvek::FormBody{
        {QStringLiteral("mobile"), mobile},
        {QStringLiteral("password"),
         password}}.toByteArray();
    solvek::limitReplySize(manager->post(solvek::loginFormRequest(QUrl(API_LOGIN_USER_LOGIN.toString())), body),
                           solvek::kMaxLoginReplyBytes);
}

void PhoneNumWidget::onLoginReply(QNetworkReply* reply, const QString& mobile, const QString& password)
{
    QJsonObject envelope;
    if (!solvek::readLoginJson(reply, &envelope))
        return;
    LoginInfo info;
    if (solvek::replyCode(envelope) != 200 ||
        !solvek::loginInfoFromData(envelope.value(QStringLiteral("data")).toObject(), 0, &info)) {
        showErrorHint();
        return;
    }
    qDebug() << "phone data: " << solvek::loggable(QJsonDocument(envelope).toJson(QJsonDocument::Compact));
    if (!m_observer)
        return;
    if (m_rememberBox->isChecked()) {
        m_settings.setValue(kKeyUser, mobile);
        m_settings.setValue(kKeyPassword, password);
        m_settings.setValue(kKeyRemember, true);
    } else {
        m_settings.remove(kKeyUser);
        m_settings.remove(kKeyPassword);
        m_settings.remove(kKeyRemember);
        m_phoneEdit->setText(QString());
        m_passwordEdit->setText(QString());
    }
    m_settings.sync();
    m_observer->onLoginStatusNotify(&info, 200);
}

void PhoneNumWidget::showErrorHint()
{
    m_phoneSpacer->changeSize(0, 5, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_buttonSpacer->changeSize(0, 10, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_hintErrLabel->setFixedSize(296, 28);
    m_hintErrLabel->show();
    m_layout->invalidate();
}

bool PhoneNumWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_forgetLabel && event->type() == QEvent::MouseButtonPress)
        solvek::openLoginLink(QUrl(RESET_PASSWORD_URL.toString()));
    return QWidget::eventFilter(watched, event);
}
