#include "settings/SettingsPage.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListView>
#include <QStyledItemDelegate>

namespace
{
const char kDeviceListStyle[] =
    "QComboBox{background-color:#FFFFFF;border:1px solid #EFEFEF;border-radius:4px;padding-left:12px;"
    "font: 14px \"Microsoft YaHei\";color:#191919;}"
    "QComboBox:disabled{color:#999999;}"
    "QComboBox::drop-down{subcontrol-origin:padding;subcontrol-position:top right;width:40px;border:none;}"
    "QComboBox::down-arrow{image:url(:/images/settings/select.png);}"
    "QComboBox QAbstractItemView{background-color:#FFFFFF;outline:none;border:1px solid #EFEFEF;}"
    "QComboBox QAbstractItemView::item{height:32px;color:#191919;padding-left:12px;}"
    "QComboBox QAbstractItemView::item:hover{background-color:rgb(203, 230, 254);color:#191919;}"
    "QComboBox QAbstractItemView::item:selected{background-color:rgb(203, 230, 254);color:#191919;}";
} // namespace

void SettingsPage::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore(); // the settings dialog handles it
        return;
    }
    QDialog::keyPressEvent(event);
}

void SettingsPage::styleDeviceList(QComboBox* box)
{
    box->setView(new QListView(box));
    box->setItemDelegate(new QStyledItemDelegate(box)); // after the view, which brings a delegate of its own
    box->setFont(QFont(QStringLiteral("Microsoft YaHei"), 10));
    box->setIconSize(QSize(10, 10));
    box->setStyleSheet(QLatin1String(kDeviceListStyle));
}
