#include "shell/SideSearchBar.h"

#include "widgets/ClickableLabel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>

namespace
{
const char kSearchBarStyle[] = "background: #04091F;border - radius: 4px; margin-left:8px;margin-right:8px;";
const char kSearchEditStyle[] = "QLineEdit {font-family: Microsoft YaHei;color: white; font-weight: "
                                "400;font-size: 14px;line-height: 20px;"
                                "text-align: left;font - style: normal;margin:0px;padding-bottom:1px;}";
const char kSearchButtonStyle[] =
    "QLabel{font-family: Microsoft YaHei;color:white;line-height:20px;font-size:14px;font-weight: 400;"
    "background: qlineargradient( x1:0, y1:0, x2:1, y2:0, stop:0 #527FF6, stop:1 #396BEB);border-radius: 4px;"
    "margin-left:0px;margin-right:6px;padding-bottom:2px;} ";
} // namespace

SideSearchBar::SideSearchBar(const QString& namePrefix, QWidget* parent) : QFrame(parent)
{
    setStyleSheet(QString::fromUtf8(kSearchBarStyle));
    setContentsMargins(8, 0, 6, 0);
    setFixedHeight(40);
    auto* row = new QHBoxLayout(this);
    row->setAlignment(Qt::AlignVCenter);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(namePrefix + QStringLiteral("_search_edit"));
    m_edit->addAction(QIcon(QStringLiteral(":/images/live/ic_online_list_search.png")),
                      QLineEdit::LeadingPosition);
    m_edit->setFixedHeight(40);
    m_edit->setPlaceholderText(QString::fromUtf8("请输入用户昵称搜索"));
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Active, QPalette::PlaceholderText, QColor(0x6B, 0x6C, 0x83));
    m_edit->setPalette(palette);
    m_edit->setStyleSheet(QString::fromUtf8(kSearchEditStyle));
    m_edit->setTextMargins(0, 0, 0, 1);

    m_button = new ClickableLabel(this);
    m_button->setObjectName(namePrefix + QStringLiteral("_search_button"));
    m_button->setText(QString::fromUtf8("搜索"));
    m_button->setAlignment(Qt::AlignCenter);
    m_button->setFixedSize(58, 28);
    m_button->setStyleSheet(QString::fromUtf8(kSearchButtonStyle));
    row->addWidget(m_edit);
    row->addWidget(m_button);

    m_clearAction = new QAction(QIcon(QStringLiteral(":/images/live/ic_online_list_search_clear.svg")),
                                QString(), m_edit);
    connect(m_clearAction, &QAction::triggered, m_edit, &QLineEdit::clear);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_edit->removeAction(m_clearAction);
        else if (!m_edit->actions().contains(m_clearAction))
            m_edit->addAction(m_clearAction, QLineEdit::TrailingPosition);
    });
}
