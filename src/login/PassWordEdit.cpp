#include "login/PassWordEdit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{
const char kEyeClosed[] = ":/images/login/eye_closed.png";
const char kEyeOpen[] = ":/images/login/eye_open.png";
} // namespace

PassWordEdit::PassWordEdit(QWidget* parent)
    : LoginInputField(QStringLiteral("framePassword"), QStringLiteral("请输入密码"), 8, parent)
{
    m_edit->setObjectName(QStringLiteral("passwd_edit"));
    m_edit->setEchoMode(QLineEdit::Password);

    m_eyeIcon = new QLabel(m_clearIcon->parentWidget());
    m_eyeIcon->setFixedSize(24, 24);
    m_eyeIcon->setScaledContents(true);
    m_eyeIcon->setPixmap(QPixmap(QString::fromLatin1(kEyeClosed)));
    m_eyeIcon->installEventFilter(this);
    m_row->insertWidget(1, m_eyeIcon); // between the line edit and the clear icon
}

bool PassWordEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_eyeIcon && event->type() == QEvent::MouseButtonPress) {
        m_eyeIcon->setPixmap(QPixmap(QString::fromLatin1(m_shown ? kEyeClosed : kEyeOpen)));
        m_edit->setEchoMode(m_shown ? QLineEdit::Password : QLineEdit::Normal);
        m_shown = !m_shown;
    }
    return LoginInputField::eventFilter(watched, event);
}
