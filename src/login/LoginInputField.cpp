#include "login/LoginInputField.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

LoginInputField::LoginInputField(const QString& frameName, const QString& placeholder, int spacing,
                                 QWidget* parent)
    : QWidget(parent)
{
    auto* frame = new QFrame(this);
    frame->setObjectName(frameName);
    frame->setStyleSheet(
        QStringLiteral("QFrame#%1{background-color: #F4F7FB;border-radius:4px}").arg(frameName) +
        QStringLiteral("QLabel{min-width:15px;background-color: #F4F7FB;}") +
        QStringLiteral("QLineEdit{background-color: #F4F7FB;border:none;font-family: Microsoft "
                       "YaHei;font-size: 14px;border-radius:4px}"));

    m_edit = new QLineEdit(frame);
    m_edit->setPlaceholderText(placeholder);
    m_edit->setTextMargins(12, 0, 0, 0);
    m_edit->setSizePolicy(m_edit->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    m_clearIcon = new QLabel(frame);
    m_clearIcon->setFixedSize(18, 18);
    m_clearIcon->setScaledContents(true);
    m_clearIcon->setPixmap(QPixmap(QStringLiteral(":/images/login/empty.png")));
    m_clearIcon->installEventFilter(this);

    m_row = new QHBoxLayout(frame);
    m_row->setContentsMargins(0, 0, 12, 0);
    m_row->setSpacing(spacing);
    m_row->addWidget(m_edit);
    m_row->addWidget(m_clearIcon);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(frame);

    connect(m_edit, &QLineEdit::textEdited, this, &LoginInputField::handleTextChanged);
}

QString LoginInputField::text() const
{
    return m_edit->text();
}

void LoginInputField::setText(const QString& text)
{
    m_edit->setText(text);
}

void LoginInputField::handleTextChanged(QString newText)
{
    m_clearIcon->setVisible(!newText.isEmpty());
    m_edit->setStyleSheet(QStringLiteral("QLineEdit{color:#191919;}"));
    emit textChanged(newText);
}

bool LoginInputField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_clearIcon && event->type() == QEvent::MouseButtonPress) {
        m_edit->clear();
        m_clearIcon->hide();
        m_edit->setStyleSheet(QStringLiteral("QLineEdit{color:#B8BEC4;}"));
        emit textChanged(QString());
    }
    return QWidget::eventFilter(watched, event);
}
