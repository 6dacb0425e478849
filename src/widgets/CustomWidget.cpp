#include "widgets/CustomWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CustomWidget::CustomWidget(QWidget* parent) : QWidget(parent)
{
    m_textLabel = new QLabel(this);
    m_textLabel->setAlignment(Qt::AlignCenter);

    m_whiteLine = new QLabel(this);
    m_whiteLine->setFixedSize(28, 2);
    m_whiteLine->setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 255);"));
    m_whiteLine->hide();
    m_blueLine = new QLabel(this);
    m_blueLine->setFixedSize(28, 2);
    m_blueLine->setStyleSheet(QStringLiteral("background-color:#0669F5;"));
    m_blueLine->hide();

    auto* lines = new QHBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addWidget(m_whiteLine);
    lines->addWidget(m_blueLine);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_textLabel);
    column->addLayout(lines);
}

CustomWidget::~CustomWidget()
{
    delete m_textLabel;
    m_textLabel = nullptr;
}

void CustomWidget::setText(const QString& text)
{
    m_textLabel->setText(text);
}

void CustomWidget::setTextStyleSheet(const QString& styleSheet)
{
    m_textLabel->setStyleSheet(styleSheet);
}

void CustomWidget::setWhiteLineVisible(bool visible)
{
    m_whiteLine->setVisible(visible);
}

void CustomWidget::setBlueLineVisible(bool visible)
{
    m_blueLine->setVisible(visible);
}
