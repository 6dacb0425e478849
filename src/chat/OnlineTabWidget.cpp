#include "chat/OnlineTabWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

OnlineTabWidget::OnlineTabWidget(QWidget* parent) : QWidget(parent)
{
    m_text = new QLabel(this);
    m_text->setAlignment(Qt::AlignCenter);
    m_underline = new QLabel(this);
    m_underline->setFixedSize(28, 2);
    m_underline->setStyleSheet(QStringLiteral("background-color: rgb(255, 255, 255);"));
    m_underline->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_text);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_underline);
    layout->addLayout(row);
}

void OnlineTabWidget::setText(const QString& text) { m_text->setText(text); }

void OnlineTabWidget::setNormalStyle(const QString& style)
{
    m_normalStyle = style;
    if (!m_selected)
        m_text->setStyleSheet(style);
}

void OnlineTabWidget::setSelectedStyle(const QString& style)
{
    m_selectedStyle = style;
    if (m_selected)
        m_text->setStyleSheet(style);
}

void OnlineTabWidget::setSelected(bool selected)
{
    m_selected = selected;
    m_text->setStyleSheet(selected ? m_selectedStyle : m_normalStyle);
    m_underline->setVisible(selected);
}

void OnlineTabWidget::mousePressEvent(QMouseEvent* event)
{
    // The underline marks the selected tab: pressing it again changes nothing.
    if (!m_underline->isHidden())
        return;
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    setSelected(true);
    if (button == Qt::LeftButton)
        emit leftClicked(object, event);
    else
        emit rightClicked(object, event);
}
