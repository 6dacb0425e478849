#include "chat/UserTagCheckWidget.h"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace {
// The outline of an unselected tag; also the fill of a tag whose colour is no colour.
const char kGrey[] = "#6B6C83";
} // namespace

UserTagCheckWidget::UserTagCheckWidget(QWidget* parent)
    : QWidget(parent),
      m_textStyle(QStringLiteral("font-weight: 400;font - size: 14px;color: #FFFFFF;line - height: 20px;"
                                 "text - align: center;font - style: normal;font-family: Microsoft YaHei; "))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setFixedHeight(32);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText); // tag titles are the service's text, never markup
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_label->setStyleSheet(m_textStyle);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label, 0, Qt::AlignCenter);
}

void UserTagCheckWidget::setTag(const UserTag& tag)
{
    m_tag = tag;
    m_label->setText(tag.title);
    // Only a colour Qt reads goes into the style sheet: anything else could carry rules of its own.
    const QString color = QColor::isValidColor(tag.color) ? tag.color : QString::fromLatin1(kGrey);
    m_selectedStyle = QStringLiteral("background: %1;border-radius: 4px;border:1px solid %1 ;%2").arg(color, m_textStyle);
    m_unselectedStyle = QStringLiteral("background: rgba(255, 255, 255, 0);border-radius: 4px;border-style:dashed;"
                                       "border-width:1px;border-color:%1;%2")
                            .arg(QLatin1String(kGrey), m_textStyle);
    m_label->setStyleSheet(m_selected ? m_selectedStyle : m_unselectedStyle);
    show();
}

void UserTagCheckWidget::setSelected(bool selected)
{
    m_selected = selected;
    m_label->setStyleSheet(selected ? m_selectedStyle : m_unselectedStyle);
    if (selected)
        emit onAdd(m_tag.id);
    else
        emit onRemove(m_tag.id);
}

void UserTagCheckWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        setSelected(!m_selected);
}
