#include "login/PhoneNumEdit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

PhoneNumEdit::PhoneNumEdit(QWidget* parent)
    : LoginInputField(QStringLiteral("framePhoneNum"), QStringLiteral("请输入手机号码"), 0, parent)
{
    m_edit->setObjectName(QStringLiteral("phone_edit"));
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), m_edit));
}
