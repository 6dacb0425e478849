#include "widgets/LogoutDialog.h"
#include "widgets/RoundedMask.h"

#include "ui_LogoutDialog.h"

#include <QMouseEvent>

LogoutDialog::LogoutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::LogoutDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

LogoutDialog::~LogoutDialog()
{
    delete ui;
}

void LogoutDialog::setContent(const QString& title, const QString& text, const QString& okText,
                              bool showCancel)
{
    ui->label_2->setFixedSize(359, 20);
    ui->label_2->setStyleSheet(QStringLiteral("color:rgb(255, 255, 255);font-size:14px;"));
    ui->label->setText(title);
    ui->label_2->setText(text);
    ui->ok_btn->setText(okText);
    ui->ok_btn->setStyleSheet(QStringLiteral(
        "color: rgb(255, 255, 255);background-color: rgb(6, 105, 245);font-size:14px;border-radius:4px;"));
    ui->cancel_btn->setStyleSheet(QStringLiteral(
        "color: rgb(0, 0, 0);background-color: rgb(255, 255, 255);font-size:14px;border-radius:4px;"));
    if (!showCancel)
        ui->cancel_btn->hide();
}

void LogoutDialog::setDeleteContent(const QString& title, const QString& name, const QString& okText,
                                    bool showCancel)
{
    setContent(title, QString(), okText, showCancel);
    // Elide in the font the label will show the text in (its style sheet sets the size).
    ui->label_2->ensurePolished();
    const QString shortName = ui->label_2->fontMetrics().elidedText(name, Qt::ElideRight, kDeleteNameWidth);
    // The name is a file or layout name: "<b>.pdf" is a name, not markup.
    ui->label_2->setTextFormat(Qt::PlainText);
    ui->label_2->setText(QStringLiteral("您确定要删除 %1 吗？").arg(shortName));
}

void LogoutDialog::setWideContent(const QString& title, const QString& text, const QString& okText,
                                  bool showCancel)
{
    setContent(title, text, okText, showCancel);
    ui->ok_btn->setFixedSize(80, 32);
    ui->ok_btn->move(297, 114);
    ui->cancel_btn->move(223, 114);
}

void LogoutDialog::setAcceptOnOk(bool acceptOnOk)
{
    m_acceptOnOk = acceptOnOk;
}

void LogoutDialog::on_ok_btn_clicked()
{
    if (m_acceptOnOk)
        accept();
    else
        reject();
}

void LogoutDialog::on_cancel_btn_clicked()
{
    reject();
}

void LogoutDialog::paintEvent(QPaintEvent* event)
{
    paintRoundedWindow(*this, 8);
    QWidget::paintEvent(event);
}

void LogoutDialog::mousePressEvent(QMouseEvent* event)
{
    m_drag.press(*event);
}

void LogoutDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag.move(*this, *event))
        QWidget::mouseMoveEvent(event);
}

void LogoutDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.release(*this, *event);
}
