#include "documents/PanelParts.h"

#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QScrollArea>
#include <QToolButton>

namespace panelparts
{

QToolButton* makeAddButton(QWidget* parent, const char* objectName, const QString& text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(text);
    button->setMinimumSize(90, 26);
    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(10);
    button->setFont(font);
    button->setIcon(QIcon(":/images/live/showadd.png"));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setStyleSheet("QToolButton{color:#FFFFFF;background-color:rgb(77, 79, 99);border:none;"
                          "border-radius:4px;}");
    return button;
}

QScrollArea* makeScrollingRow(QWidget* parent, const char* handleColour, QHBoxLayout** row)
{
    auto* area = new QScrollArea(parent);
    area->setObjectName("scrollArea");
    area->setFrameShape(QFrame::NoFrame);
    area->setStyleSheet(QString("QScrollArea{background:transparent;border:none;}"
                                "QScrollBar:horizontal{height:6px;background:transparent;margin:0px;}"
                                "QScrollBar::handle:horizontal{background:%1;border-radius:3px;min-width:20px;}"
                                "QScrollBar::handle:horizontal:hover{background:#FFFFFF;}"
                                "QScrollBar::add-line:horizontal,QScrollBar::sub-line:horizontal{width:0px;}"
                                "QScrollBar::add-page:horizontal,QScrollBar::sub-page:horizontal"
                                "{background:transparent;}")
                            .arg(QString::fromLatin1(handleColour)));
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setWidgetResizable(true);
    auto* content = new QWidget;
    content->setObjectName("scrollAreaWidgetContents");
    content->setStyleSheet("#scrollAreaWidgetContents{background:transparent;}");
    *row = new QHBoxLayout(content);
    (*row)->setContentsMargins(0, 0, 0, 0);
    (*row)->setSpacing(4);
    area->setWidget(content);
    return area;
}

} // namespace panelparts
