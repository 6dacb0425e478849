#include "shell/CloseDialog.h"

#include "core/DataCenter.h"
#include "ui_CloseDialog.h"

#include <QMouseEvent>
#include <QSignalBlocker>

namespace
{
const char* kRadioStyle =
    "QRadioButton {   border: none;color:#ffffff;}"
    "QRadioButton::indicator {   image: url(:/images/live/noselectRio.png);   width: 16px;"
    "   height: 16px;}"
    "QRadioButton::indicator:checked {   image: url(:/images/live/selectRio.png);}";
const char* kCheckBoxStyle =
    "QCheckBox {   border: none;color:#ffffff;}"
    "QCheckBox::indicator {   image: url(:/images/live/noselectChk.png);   width: 16px;"
    "   height: 16px;}"
    "QCheckBox::indicator:checked {   image: url(:/images/live/selectChk.png);}";

QString flagText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
} // namespace

CloseDialog::CloseDialog(QWidget* parent) : QDialog(parent), ui(new Ui::CloseDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(QString::fromUtf8("关闭提示"));
    ui->quit_btn->setChecked(true);
    ui->hints_cbx->setChecked(false);
    ui->quit_btn->setStyleSheet(kRadioStyle);
    ui->mimimize_btn->setStyleSheet(kRadioStyle);
    ui->hints_cbx->setStyleSheet(kCheckBoxStyle);
    if (CDataCenter::getInstance()->exitCheck)
        ui->quit_btn->setChecked(true);
    else
        ui->mimimize_btn->setChecked(true);

    // Connected only now, so that building the prompt writes nothing to the settings file.
    connect(ui->quit_btn, &QRadioButton::toggled, this, &CloseDialog::onQuitToggled);
    connect(ui->mimimize_btn, &QRadioButton::toggled, this, &CloseDialog::onMinimizeToggled);
    connect(ui->hints_cbx, &QCheckBox::stateChanged, this, &CloseDialog::onCheckBoxStateChanged);
}

CloseDialog::~CloseDialog()
{
    delete ui;
}

void CloseDialog::loadSettings()
{
    auto store = CDataCenter::getInstance();
    // Showing the stored choice is not a change of it: nothing is written back.
    const QSignalBlocker quitBlocker(ui->quit_btn);
    const QSignalBlocker minimizeBlocker(ui->mimimize_btn);
    if (store->exitCheck) {
        m_choice = ChoiceExit;
        ui->quit_btn->setChecked(true);
    } else {
        m_choice = ChoiceMinimize;
        ui->mimimize_btn->setChecked(true);
    }
    if (store->noTitleTipcheck)
        m_dontAsk = true;
}

void CloseDialog::on_cancel_btn_clicked()
{
    reject();
}

void CloseDialog::on_exitbtn_clicked()
{
    reject();
}

void CloseDialog::on_ok_btn_clicked()
{
    accept();
}

void CloseDialog::on_quit_btn_clicked()
{
    m_choice = ChoiceExit;
}

void CloseDialog::on_mimimize_btn_clicked()
{
    m_choice = ChoiceMinimize;
}

void CloseDialog::onCheckBoxStateChanged(int state)
{
    const bool checked = state == Qt::Checked;
    auto store = CDataCenter::getInstance();
    store->noTitleTipcheck = checked;
    store->setValue(QStringLiteral("noTitleTipcheck"), flagText(checked));
    m_dontAsk = checked;
}

void CloseDialog::onQuitToggled(bool checked)
{
    storeExitCheck(checked);
}

void CloseDialog::onMinimizeToggled(bool checked)
{
    storeExitCheck(!checked);
}

void CloseDialog::storeExitCheck(bool exit)
{
    auto store = CDataCenter::getInstance();
    store->setValue(QStringLiteral("ExitCheck"), flagText(exit));
    store->exitCheck = exit;
}

void CloseDialog::mousePressEvent(QMouseEvent* event)
{
    m_drag.press(*event);
}

void CloseDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag.move(*this, *event))
        QWidget::mouseMoveEvent(event);
}

void CloseDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.release(*this, *event);
}
