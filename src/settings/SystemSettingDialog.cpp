#include "settings/SystemSettingDialog.h"
#include "ui_SystemSettingDialog.h"

#include "core/DataCenter.h"

#include <QCheckBox>
#include <QRadioButton>

namespace
{
const char* kRadioStyle = "QRadioButton{font: 14px \"Microsoft YaHei\";color:#191919;}"
                          "QRadioButton::indicator{image: url(:/images/live/noselectRio.png);width:16px;height:16px;}"
                          "QRadioButton::indicator:checked{image: url(:/images/live/selectRio.png);}";
const char* kCheckBoxStyle = "QCheckBox::indicator{image: url(:/images/live/noselectChk.png);width:16px;height:16px;}"
                             "QCheckBox::indicator:checked{image: url(:/images/live/selectChk.png);}";

QString flagText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

SystemSettingDialog::SystemSettingDialog(QWidget* parent) : SettingsPage(parent), ui(new Ui::SystemSettingDialog)
{
    ui->setupUi(this);
    for (QRadioButton* radio : findChildren<QRadioButton*>())
        radio->setStyleSheet(QLatin1String(kRadioStyle));
    ui->noTitleTipcheck->setStyleSheet(QLatin1String(kCheckBoxStyle));

    auto store = CDataCenter::getInstance();
    if (store->getBool(QStringLiteral("noTitleTipcheck"))) {
        store->noTitleTipcheck = true;
        ui->noTitleTipcheck->setChecked(true);
    }
    // Absent means exit, as the store itself reads it at start: opening this page must not turn
    // the close action into minimise.
    store->exitCheck = store->getBool(QStringLiteral("ExitCheck"), true);
    (store->exitCheck ? ui->exitsystemRio : ui->minRio)->setChecked(true);

    if (store->streamQuality == 0)
        ui->standardRio->setChecked(true);
    else if (store->streamQuality == 1)
        ui->highRio->setChecked(true);
    else
        ui->liveRio->setChecked(true);

    (store->getInt(QStringLiteral("LiveFps")) == 24 ? ui->fps24Rio : ui->fps30Rio)->setChecked(true);

    const auto onChecked = [this](QRadioButton* radio, auto apply) {
        connect(radio, &QRadioButton::toggled, this, [apply](bool checked) {
            if (checked)
                apply();
        });
    };
    onChecked(ui->standardRio, [this] { setQuality(0); });
    onChecked(ui->highRio, [this] { setQuality(1); });
    onChecked(ui->liveRio, [this] { setQuality(2); });
    onChecked(ui->fps24Rio, [this] { setFps(24); });
    onChecked(ui->fps30Rio, [this] { setFps(30); });
    connect(ui->noTitleTipcheck, &QCheckBox::toggled, this, &SystemSettingDialog::setDontAsk);
    // A switch between the two runs both handlers, which agree.
    connect(ui->exitsystemRio, &QRadioButton::toggled, this, [this](bool checked) { setExit(checked); });
    connect(ui->minRio, &QRadioButton::toggled, this, [this](bool checked) { setExit(!checked); });
}

SystemSettingDialog::~SystemSettingDialog()
{
    delete ui;
}

void SystemSettingDialog::changeScroll(int value)
{
    const int y = int((50.0 - ui->widget->height()) * value / 150.0);
    ui->widget->move(0, y);
}

void SystemSettingDialog::setQuality(int quality)
{
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("LiveType"), QString::number(quality));
    store->streamQuality = quality;
}

void SystemSettingDialog::setFps(int fps)
{
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("LiveFps"), QString::number(fps));
    store->liveFps = fps;
}

void SystemSettingDialog::setDontAsk(bool dontAsk)
{
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("noTitleTipcheck"), flagText(dontAsk));
    store->noTitleTipcheck = dontAsk;
}

void SystemSettingDialog::setExit(bool exit)
{
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("ExitCheck"), flagText(exit));
    store->exitCheck = exit;
}
