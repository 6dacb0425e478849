#include "widgets/EmptyListPlaceholder.h"

#include <QLabel>
#include <QPixmap>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace
{
const char kEmptyTextStyle[] = "font-weight: 400;font-size: 14px;color: #6B6C83;line-height: 20px;"
                               "text-align: right;font-style: normal; font-family: Microsoft YaHei;";
} // namespace

EmptyListPlaceholder::EmptyListPlaceholder(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setContentsMargins(0, 80, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/images/live/ic_online_list_data_is_null.png")));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto* text = new QLabel(QString::fromUtf8("暂无数据"), this);
    text->setStyleSheet(QString::fromUtf8(kEmptyTextStyle));
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addSpacerItem(new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
}
