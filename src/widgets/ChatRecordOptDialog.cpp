#include "widgets/ChatRecordOptDialog.h"

#include "ui_ChatRecordOptDialog.h"

ChatRecordOptDialog::ChatRecordOptDialog(QWidget* parent) : QDialog(parent), ui(new Ui::ChatRecordOptDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    const QPixmap exitIcon(QStringLiteral(":/images/live/exit.png"));
    if (!exitIcon.isNull())
        ui->close_btn->setPixmap(exitIcon.scaled(16, 16, Qt::IgnoreAspectRatio));
    ui->content->setWordWrap(true);
    connect(ui->close_btn, &ClickableLabel::clicked, this, [this](QVariant&, QMouseEvent*) { close(); });
}

ChatRecordOptDialog::~ChatRecordOptDialog()
{
    delete ui;
}

void ChatRecordOptDialog::setTitle(const QString& title)
{
    ui->title->setText(title);
}

void ChatRecordOptDialog::setContent(const QString& content)
{
    ui->content->setText(content);
}

void ChatRecordOptDialog::on_cancel_btn_clicked()
{
    close();
}

void ChatRecordOptDialog::on_enter_btn_clicked()
{
    emit onEnter();
    close();
}
